# Sourced by the with-*.sh runners: checks the usage, makes a private folder ($root), stops the
# processes listed in $pids and removes the folder on the way out.
if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi
root=$(mktemp -d)
pids=()
stop() {
    kill "${pids[@]}" 2>/dev/null || true
    # GNOME Shell saves its state on the way out; everything gets a few seconds.
    for _ in $(seq 50); do kill -0 "${pids[@]}" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap stop EXIT
trap 'exit 143' INT TERM

# Polls COMMAND every tenth of a second, at most TRIES times and while process PID runs; when it
# never succeeds, says that WHAT did not start, shows LOG (if not empty) and exits 1.
await() { # TRIES PID WHAT LOG COMMAND...
    local tries=$1 pid=$2 what=$3 log=$4
    shift 4
    for _ in $(seq "$tries"); do
        "$@" && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "$0: $what did not start" >&2
    if [ -n "$log" ]; then cat "$log" >&2; fi
    exit 1
}
