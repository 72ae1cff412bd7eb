#!/usr/bin/env bash
# Runs a command on a private X display managed by a real window manager: starts Xvfb on a free
# display number, openbox on it (waiting until it has taken over), a private session bus, and
# with WITH_TRAY=1 trayer as an XEmbed notification area, or with WITH_TRAY=sni xfce4-panel with
# its status tray (a StatusNotifier host). Runs the command with DISPLAY, QT_QPA_PLATFORM=xcb and
# DBUS_SESSION_BUS_ADDRESS set, stops everything afterwards and exits with the command's status.
#   tests/support/with-display.sh COMMAND [ARGUMENT...]
#   WITH_TRAY=1|sni tests/support/with-display.sh COMMAND [ARGUMENT...]
# With a tray, the command also gets TRAY_HOST_PID, the host's process, and TRAY_HOST_COMMAND, a
# program that runs another such host in the foreground (to start it again after killing it).
# A tray host needs a moment to take over; a test waits for it.
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi

# Xvfb picks the display number itself and writes it to the pipe once it accepts clients.
coproc XVFB { exec Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x1024x24 2>/dev/null; }
xvfb_pid=$XVFB_PID
pids=()
work=$(mktemp -d)
stop() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap stop EXIT
trap 'exit 143' INT TERM

if ! read -r -u "${XVFB[0]}" display; then
    echo "$0: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb

# The window manager has taken over once it names its check window on the root window.
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    echo "$0: openbox did not take over the display" >&2
    exit 1
fi

# A bus of our own, so that nothing of the user's session answers. The panel's settings daemon,
# started by the bus, reads them from the bus's own XDG_CONFIG_HOME.
mapfile -t bus < <(XDG_CONFIG_HOME="$work" dbus-daemon --session --fork --print-address=1 \
    --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS="${bus[0]}"
pids+=("${bus[1]}")

# One panel along the top holding only the status tray.
write_panel_settings() {
    local channels="$work/xfce4/xfconf/xfce-perchannel-xml"
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
}

host="$work/tray-host"
case "${WITH_TRAY:-0}" in
    1)
        printf '#!/bin/sh\nexec trayer --edge top --align right --widthtype request --height 24 \\\n    >/dev/null 2>&1\n' >"$host"
        ;;
    sni)
        write_panel_settings
        # NO_AT_BRIDGE: no accessibility bus of its own.
        printf '#!/bin/sh\nXDG_CONFIG_HOME="%s" NO_AT_BRIDGE=1 exec xfce4-panel --sm-client-disable \\\n    >/dev/null 2>&1\n' "$work" >"$host"
        ;;
esac
if [ -f "$host" ]; then
    chmod +x "$host"
    "$host" &
    pids+=($!)
    export TRAY_HOST_PID=$! TRAY_HOST_COMMAND="$host"
fi

status=0
"$@" || status=$?
exit "$status"
