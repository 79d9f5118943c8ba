# Sourced by test.sh and run.sh: starts and stops the headless X server and the
# null-sink sound server that the tests use. Each start records what it started
# so that stop_services ends exactly those processes.

VELMORA_SCRIPTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
VELMORA_XVFB_PID=""
VELMORA_PULSE_PID=""
VELMORA_PULSE_TMP=""

# start_xvfb <log file> [WxH]: starts Xvfb (1280x1024 unless given) on the first free display
# number from 90 on, waits until it answers and exports DISPLAY and VELMORA_DISPLAY.
start_xvfb() {
    local log="$1" size="${2:-1280x1024}" n tries
    for n in $(seq 90 189); do
        # A lock file or socket means another server has (or had) this number.
        [ -e "/tmp/.X$n-lock" ] && continue
        [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset >"$log" 2>&1 </dev/null &
        VELMORA_XVFB_PID=$!
        for tries in $(seq 1 100); do
            if ! kill -0 "$VELMORA_XVFB_PID" 2>/dev/null; then
                break   # lost a race for this number, or failed: try the next
            fi
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n" VELMORA_DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        kill "$VELMORA_XVFB_PID" 2>/dev/null || true
        wait "$VELMORA_XVFB_PID" 2>/dev/null || true
        VELMORA_XVFB_PID=""
    done
    echo "could not start Xvfb (see $log)" >&2
    return 1
}

# start_pulse <build dir>: starts a PulseAudio server with only a null sink,
# private to this build folder, and exports VELMORA_PULSE_SOCKET/PULSE_SERVER.
start_pulse() {
    local build="$1" dir="$1/pulse" socket tries
    rm -rf "$dir"
    mkdir -p "$dir/runtime"
    chmod 700 "$dir" "$dir/runtime"
    socket="$dir/native"
    # A Unix socket name holds at most 107 bytes.
    if [ ${#socket} -gt 100 ]; then
        VELMORA_PULSE_TMP="$(mktemp -d /tmp/velmora-pulse.XXXXXX)"
        socket="$VELMORA_PULSE_TMP/native"
    fi
    XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir" \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --log-target=stderr \
        -L "module-null-sink sink_name=nullsink" \
        -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
        >"$dir/pulseaudio.log" 2>&1 </dev/null &
    VELMORA_PULSE_PID=$!
    for tries in $(seq 1 100); do
        if ! kill -0 "$VELMORA_PULSE_PID" 2>/dev/null; then
            break
        fi
        if [ -S "$socket" ] && pactl -s "unix:$socket" info >/dev/null 2>&1; then
            echo "$socket" >"$dir/socket-path"
            export VELMORA_PULSE_SOCKET="$socket" PULSE_SERVER="unix:$socket"
            return 0
        fi
        sleep 0.1
    done
    echo "could not start PulseAudio (see $dir/pulseaudio.log)" >&2
    return 1
}

# stop_services: ends the wineserver of the current prefix and the servers
# started above; safe to call more than once.
stop_services() {
    if [ -n "${VELMORA_BUILD_DIR:-}" ] && [ -d "$VELMORA_BUILD_DIR/wineprefix" ]; then
        (source "$VELMORA_SCRIPTS/wine-env.sh" && wineserver -k) </dev/null >/dev/null 2>&1 || true
    fi
    if [ -n "$VELMORA_PULSE_PID" ]; then
        kill "$VELMORA_PULSE_PID" 2>/dev/null || true
        wait "$VELMORA_PULSE_PID" 2>/dev/null || true
        VELMORA_PULSE_PID=""
    fi
    if [ -n "$VELMORA_PULSE_TMP" ]; then
        rm -rf "$VELMORA_PULSE_TMP"
        VELMORA_PULSE_TMP=""
    fi
    if [ -n "${VELMORA_BUILD_DIR:-}" ]; then
        rm -f "$VELMORA_BUILD_DIR/pulse/socket-path"
    fi
    if [ -n "$VELMORA_XVFB_PID" ]; then
        kill "$VELMORA_XVFB_PID" 2>/dev/null || true
        wait "$VELMORA_XVFB_PID" 2>/dev/null || true
        VELMORA_XVFB_PID=""
    fi
}

# start_wine_session <build dir>: the build folder's own Wine session: its Xvfb, its sound
# server, its prefix prepared, and the wineserver and Wine's desktop started before the first
# program, with no output attached (helpers started from a test would hold the caller's pipe
# open). Wine's environment is set in a subshell: the caller keeps the machine's locale
# (wine-run.sh sets the Japanese one, which scripts/setup.sh generates, for each run).
start_wine_session() {
    export VELMORA_BUILD_DIR="$1"
    start_xvfb "$1/xvfb.log"
    start_pulse "$1"
    bash "$VELMORA_SCRIPTS/prepare-wine.sh" "$1"
    (
        source "$VELMORA_SCRIPTS/wine-env.sh"
        wineserver -p || true   # one already running is fine
        wine wineboot
    ) </dev/null >/dev/null 2>&1
}

# start_private_wine_session <build dir> <prefix> <Xvfb log> [WxH]: a Wine session of its own
# for a test that must not disturb the build folder's (another DPI, moved clocks): its own
# prefix, prepared as the build folder's, and its own Xvfb. Both end when the script exits.
start_private_wine_session() {
    export VELMORA_BUILD_DIR="$1" VELMORA_WINEPREFIX="$2"
    unset VELMORA_DISPLAY
    trap stop_services EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    start_xvfb "$3" ${4:+"$4"}
    bash "$VELMORA_SCRIPTS/prepare-wine.sh" "$1"
}
