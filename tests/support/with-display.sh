#!/usr/bin/env bash
# Runs a command on a private X display (Xvfb) under a window manager (openbox), on a private
# session bus, with QT_QPA_PLATFORM=xcb; WITH_TRAY=1 adds trayer (an XEmbed tray), WITH_TRAY=sni
# xfce4-panel's status tray (a StatusNotifier host): TRAY_HOST_PID is its process, and
# TRAY_HOST_COMMAND runs another one (after a test has killed it). Exits with the command's status.
#   [WITH_TRAY=1|sni] tests/support/with-display.sh COMMAND [ARGUMENT...]
set -euo pipefail

support=$(cd "$(dirname "$0")" && pwd)
source "$support/desktop-session.sh"

# Xvfb picks the display number itself and writes it to the pipe once it accepts clients.
coproc XVFB { exec Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x1024x24 2>/dev/null; }
pids+=("$XVFB_PID")
if ! read -r -u "${XVFB[0]}" display; then
    echo "$0: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb

# The window manager has taken over once it names its check window on the root window.
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
await 100 $! openbox "" wm_ready

# A bus of our own, so that nothing of the user's session answers. The panel's settings daemon,
# started by the bus, reads them from the bus's own XDG_CONFIG_HOME.
mapfile -t bus < <(XDG_CONFIG_HOME="$root" dbus-daemon --session --fork --print-address=1 \
    --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS="${bus[0]}"
pids+=("${bus[1]}")

host="$root/tray-host"
case "${WITH_TRAY:-0}" in
    1)
        printf '#!/bin/sh\nexec trayer --edge top --align right --widthtype request --height 24 \\\n    >/dev/null 2>&1\n' >"$host"
        ;;
    sni)
        # One panel along the top holding only the status tray.
        channels="$root/xfce4/xfconf/xfce-perchannel-xml"
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
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/></property>
</channel>
XML

        # NO_AT_BRIDGE: no accessibility bus of its own.
        printf '#!/bin/sh\nXDG_CONFIG_HOME="%s" NO_AT_BRIDGE=1 exec xfce4-panel --sm-client-disable \\\n    >/dev/null 2>&1\n' "$root" >"$host"
        ;;
esac
if [ -f "$host" ]; then
    chmod +x "$host"
    "$host" &
    pids+=($!)
    export TRAY_HOST_PID=$! TRAY_HOST_COMMAND="$host"
fi

"$@"
