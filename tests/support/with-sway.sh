#!/usr/bin/env bash
# Runs a command on a private sway (headless, native Wayland) on a private session bus. Sway
# will not run as root, so as root everything here, the command too, runs as the unprivileged
# user "nobody". The command gets WAYLAND_DISPLAY, SWAYSOCK, DBUS_SESSION_BUS_ADDRESS and
# QT_QPA_PLATFORM=wayland, and WAYBAR_CONFIG: a waybar configuration with only the tray (a
# StatusNotifier host and watcher), for the command to start and stop waybar itself
# (waybar -c "$WAYBAR_CONFIG"). Stops everything afterwards and exits with the command's status.
#   tests/support/with-sway.sh COMMAND [ARGUMENT...]
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi
if [ "$(id -u)" -eq 0 ]; then
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all \
        env TMPDIR=/tmp "$0" "$@"
fi

root=$(mktemp -d)
sway_pid=""
bus_pid=""
stop() {
    if [ -n "$sway_pid" ]; then kill "$sway_pid" 2>/dev/null || true; fi
    if [ -n "$bus_pid" ]; then kill "$bus_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap stop EXIT
trap 'exit 143' INT TERM

export XDG_RUNTIME_DIR="$root/runtime" HOME="$root/home"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
mkdir "$HOME"
cat >"$root/sway.conf" <<'CONF'
output HEADLESS-1 mode 1280x1024
CONF
cat >"$root/waybar.json" <<'CONF'
{"layer": "top", "position": "top", "height": 26, "modules-right": ["tray"],
 "tray": {"spacing": 4}}
CONF
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK

mapfile -t bus < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 \
    --address="unix:path=$root/session-bus")
export DBUS_SESSION_BUS_ADDRESS="${bus[0]}"
bus_pid="${bus[1]}"

WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$root/sway.conf" >"$root/sway.log" 2>&1 &
sway_pid=$!
socket=""
for _ in $(seq 100); do
    socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'sway-ipc.*.sock' | head -n 1)
    display=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' | head -n 1)
    if [ -n "$socket" ] && [ -n "$display" ] && SWAYSOCK="$socket" swaymsg -t get_version \
        >/dev/null 2>&1; then
        break
    fi
    socket=""
    kill -0 "$sway_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$socket" ]; then
    echo "$0: sway did not start; its log:" >&2
    cat "$root/sway.log" >&2
    exit 1
fi

export SWAYSOCK="$socket" WAYLAND_DISPLAY="$display" QT_QPA_PLATFORM=wayland NO_AT_BRIDGE=1
export WAYBAR_CONFIG="$root/waybar.json"
status=0
"$@" || status=$?
exit "$status"
