#!/usr/bin/env bash
# Runs a command on a private X display: starts Xvfb on a free display number, and with
# WITH_TRAY=1 also trayer as an XEmbed notification area, or with WITH_TRAY=sni a private
# session bus and xfce4-panel with its status tray (a StatusNotifier host). Runs the command with
# DISPLAY and QT_QPA_PLATFORM=xcb set (and DBUS_SESSION_BUS_ADDRESS for sni), stops everything
# afterwards and exits with the command's status.
#   tests/support/with-display.sh COMMAND [ARGUMENT...]
#   WITH_TRAY=1|sni tests/support/with-display.sh COMMAND [ARGUMENT...]
# A tray host needs a moment to take over; a test waits for it with
# QTRY_VERIFY(QSystemTrayIcon::isSystemTrayAvailable()).
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi

# Xvfb picks the display number itself and writes it to the pipe once it accepts clients.
coproc XVFB { exec Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x1024x24 2>/dev/null; }
xvfb_pid=$XVFB_PID
tray_pid=""
bus_pid=""
panel_home=""
stop() {
    if [ -n "$tray_pid" ]; then kill "$tray_pid" 2>/dev/null || true; fi
    if [ -n "$bus_pid" ]; then kill "$bus_pid" 2>/dev/null || true; fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    if [ -n "$panel_home" ]; then rm -rf "$panel_home"; fi
}
trap stop EXIT
trap 'exit 143' INT TERM

if ! read -r -u "${XVFB[0]}" display; then
    echo "$0: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb

# One panel along the top holding only the status tray. Its settings daemon, started by the bus,
# reads them from the bus's own XDG_CONFIG_HOME.
start_status_notifier_host() {
    panel_home=$(mktemp -d)
    local channels="$panel_home/xfce4/xfconf/xfce-perchannel-xml"
    mkdir -p "$channels"
    cat >"$channels/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
    local bus
    mapfile -t bus < <(XDG_CONFIG_HOME="$panel_home" dbus-daemon --session --fork \
        --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS="${bus[0]}"
    bus_pid="${bus[1]}"
    # NO_AT_BRIDGE: no accessibility bus of its own.
    XDG_CONFIG_HOME="$panel_home" NO_AT_BRIDGE=1 xfce4-panel --disable-wm-check --sm-client-disable \
        >/dev/null 2>&1 &
    tray_pid=$!
}

case "${WITH_TRAY:-0}" in
    1)
        trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
        tray_pid=$!
        ;;
    sni) start_status_notifier_host ;;
esac

status=0
"$@" || status=$?
exit "$status"
