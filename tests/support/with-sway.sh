#!/usr/bin/env bash
# Runs a command on a private sway (headless, native Wayland) on a private session bus; as root,
# as the user "nobody" (sway will not run as root). WAYBAR_CONFIG is a waybar configuration with
# only the tray, for the command to run waybar -c "$WAYBAR_CONFIG". Exits with the command's status.
#   tests/support/with-sway.sh COMMAND [ARGUMENT...]
set -euo pipefail

if [ "$(id -u)" -eq 0 ]; then
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all \
        env TMPDIR=/tmp "$0" "$@"
fi
source "$(dirname "$0")/desktop-session.sh"

export XDG_RUNTIME_DIR="$root/runtime" HOME="$root/home"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
mkdir "$HOME"
echo 'output HEADLESS-1 mode 1280x1024' >"$root/sway.conf"
cat >"$root/waybar.json" <<'CONF'
{"layer": "top", "position": "top", "height": 26, "modules-right": ["tray"],
 "tray": {"spacing": 4}}
CONF
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK

mapfile -t bus < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 \
    --address="unix:path=$root/session-bus")
export DBUS_SESSION_BUS_ADDRESS="${bus[0]}"
pids+=("${bus[1]}")

WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$root/sway.conf" >"$root/sway.log" 2>&1 &
pids+=($!)
sway_ready() {
    socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'sway-ipc.*.sock' | head -n 1)
    display=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' | head -n 1)
    [ -n "$socket" ] && [ -n "$display" ] &&
        SWAYSOCK="$socket" swaymsg -t get_version >/dev/null 2>&1
}
await 100 $! sway "$root/sway.log" sway_ready

export SWAYSOCK="$socket" WAYLAND_DISPLAY="$display" QT_QPA_PLATFORM=wayland NO_AT_BRIDGE=1
export WAYBAR_CONFIG="$root/waybar.json"
"$@"
