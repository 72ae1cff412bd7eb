#!/usr/bin/env bash
# Runs a command on a private GNOME Shell: headless, native Wayland (no X server), on a private
# session bus and a private system bus, with the AppIndicator extension (a StatusNotifier host
# and watcher) and the tests' own extension (gnome-shell-extension/), which opens
# org.gnome.Shell.Eval for reading and changing window states. Runs the command with
# WAYLAND_DISPLAY, DBUS_SESSION_BUS_ADDRESS and QT_QPA_PLATFORM=wayland set, stops everything
# afterwards and exits with the command's status.
#   tests/support/with-gnome.sh COMMAND [ARGUMENT...]
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi
support=$(cd "$(dirname "$0")" && pwd)

root=$(mktemp -d)
shell_pid=""
bus_pids=()
stop() {
    if [ -n "$shell_pid" ]; then
        kill "$shell_pid" 2>/dev/null || true
        # The shell saves its state on the way out; it gets a few seconds.
        for _ in $(seq 50); do kill -0 "$shell_pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$shell_pid" 2>/dev/null || true
    fi
    for pid in "${bus_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap stop EXIT
trap 'exit 143' INT TERM

runtime="$root/runtime"
home="$root/home"
mkdir -m 0700 "$runtime"
mkdir -p "$home/config/glib-2.0/settings" "$home/data/gnome-shell/extensions" "$home/cache"
ln -s "$support/gnome-shell-extension" "$home/data/gnome-shell/extensions/quorvel-tests@quorvel.example"
cat >"$home/config/glib-2.0/settings/keyfile" <<'KEYS'
[org/gnome/shell]
enabled-extensions=['ubuntu-appindicators@ubuntu.com', 'quorvel-tests@quorvel.example']
welcome-dialog-last-shown-version='999'
KEYS

# A bus that lets everyone in and activates nothing, so no service outlives the run.
start_bus() { # TYPE VARIABLE
    cat >"$root/$1.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$1</type>
  <listen>unix:path=$root/$1-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
CONF
    local bus
    mapfile -t bus < <(dbus-daemon --config-file="$root/$1.conf" --fork --print-address=1 \
        --print-pid=1)
    bus_pids+=("${bus[1]}")
    export "$2=${bus[0]}"
}
start_bus system DBUS_SYSTEM_BUS_ADDRESS
start_bus session DBUS_SESSION_BUS_ADDRESS
unset DISPLAY WAYLAND_DISPLAY

XDG_RUNTIME_DIR="$runtime" HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" GSETTINGS_BACKEND=keyfile \
    NO_AT_BRIDGE=1 gnome-shell --headless --wayland --no-x11 --virtual-monitor 1280x1024 \
    >"$root/shell.log" 2>&1 &
shell_pid=$!

eval_in_shell() { # JAVASCRIPT
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>/dev/null
}
# Ready once the start-up is over, the overview closed and the tray's watcher on the bus.
ready=""
for _ in $(seq 300); do
    if [ "$(eval_in_shell '!Main.layoutManager._startingUp && !Main.overview.visible')" = \
        "(true, 'true')" ] &&
        gdbus introspect --session --dest org.kde.StatusNotifierWatcher \
            --object-path /StatusNotifierWatcher >/dev/null 2>&1; then
        ready=1
        break
    fi
    kill -0 "$shell_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$ready" ]; then
    echo "$0: GNOME Shell did not start; its log:" >&2
    cat "$root/shell.log" >&2
    exit 1
fi

export WAYLAND_DISPLAY="$runtime/wayland-0" QT_QPA_PLATFORM=wayland
status=0
"$@" || status=$?
exit "$status"
