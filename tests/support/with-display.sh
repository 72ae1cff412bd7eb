#!/usr/bin/env bash
# Runs a command on a private X display: starts Xvfb on a free display number, and with
# WITH_TRAY=1 also trayer as the notification area, runs the command with DISPLAY and
# QT_QPA_PLATFORM=xcb set, stops both afterwards and exits with the command's status.
#   tests/support/with-display.sh COMMAND [ARGUMENT...]
#   WITH_TRAY=1 tests/support/with-display.sh COMMAND [ARGUMENT...]
# trayer needs a moment to take over the tray; a test waits for it with
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
stop() {
    [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null || true
}
trap stop EXIT
trap 'exit 143' INT TERM

if ! read -r -u "${XVFB[0]}" display; then
    echo "$0: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb

if [ "${WITH_TRAY:-0}" = 1 ]; then
    trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
    tray_pid=$!
fi

status=0
"$@" || status=$?
exit "$status"
