# Sourced by the scripts that meet our programs on the session bus (tests/bus, tools/bench): a scratch
# folder ($work) that is the user's home and runtime folder, a private dbus-daemon in it, and `pids`,
# whose processes end with the script (and the folder goes). Then `owner_ready MOUSE_PATH` waits for
# the owner to serve that mouse read (false after 10 s).
work=$(mktemp -d "${TMPDIR:-/tmp}/krm-bus.XXXXXX")
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen KRM_TRACE=
dbus-daemon --session --address="unix:path=$work/bus" --nofork --nopidfile >/dev/null 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/bus
for _ in $(seq 100); do [[ -S $work/bus ]] && break; sleep 0.05; done

owner_ready() {
    local _
    for _ in $(seq 200); do
        [[ "$(busctl --user get-property io.krm.krmconfig "$1" io.krm.Mouse1 Ready 2>/dev/null)" == "b true" ]] &&
            return 0
        sleep 0.05
    done
    return 1
}
