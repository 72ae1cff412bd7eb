#!/usr/bin/env bash
# Runs a command on a private GNOME Shell (headless, native Wayland) with private session and
# system buses, the AppIndicator extension (a StatusNotifier host and watcher) and the tests' own
# extension, which opens org.gnome.Shell.Eval. Exits with the command's status.
#   tests/support/with-gnome.sh COMMAND [ARGUMENT...]
set -euo pipefail

support=$(cd "$(dirname "$0")" && pwd)
source "$support/desktop-session.sh"

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
<busconfig><type>$1</type><listen>unix:path=$root/$1-bus</listen><auth>EXTERNAL</auth>
  <policy context="default"><allow user="*"/><allow own="*"/><allow eavesdrop="true"/>
    <allow send_destination="*" eavesdrop="true"/></policy></busconfig>
CONF
    local bus
    mapfile -t bus < <(dbus-daemon --config-file="$root/$1.conf" --fork --print-address=1 \
        --print-pid=1)
    pids+=("${bus[1]}")
    export "$2=${bus[0]}"
}
start_bus system DBUS_SYSTEM_BUS_ADDRESS
start_bus session DBUS_SESSION_BUS_ADDRESS
unset DISPLAY WAYLAND_DISPLAY

XDG_RUNTIME_DIR="$runtime" HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" GSETTINGS_BACKEND=keyfile \
    NO_AT_BRIDGE=1 gnome-shell --headless --wayland --no-x11 --virtual-monitor 1280x1024 \
    >"$root/shell.log" 2>&1 &
pids+=($!)

# Ready once the start-up is over, the overview closed and the tray's watcher on the bus.
shell_ready() {
    [ "$(gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval '!Main.layoutManager._startingUp && !Main.overview.visible' \
        2>/dev/null)" = "(true, 'true')" ] &&
        gdbus introspect --session --dest org.kde.StatusNotifierWatcher \
            --object-path /StatusNotifierWatcher >/dev/null 2>&1
}
await 300 $! "GNOME Shell" "$root/shell.log" shell_ready

export WAYLAND_DISPLAY="$runtime/wayland-0" QT_QPA_PLATFORM=wayland
"$@"
