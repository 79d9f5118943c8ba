# Sourced, not run: one private Wine session for the release check and the benchmarks.
#
#   source scripts/wine-session.sh
#   wine_session_start <build folder>   # own Xvfb, null sound server, the folder's prefix
#   run_probe <out file> <probe arguments...>
#   wine_session_stop                   # also run by the EXIT trap it sets
#
# The prefix is <build>/wineprefix (made by prepare-wine.sh). The wineserver and Wine's
# desktop are started before the first measured program, with no output attached.
VELMORA_SESSION_SCRIPTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$VELMORA_SESSION_SCRIPTS/services.sh"

wine_session_start() {
    trap wine_session_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    start_wine_session "$1"
    { source "$VELMORA_SESSION_SCRIPTS/wine-env.sh"; } 2>/dev/null
}

wine_session_stop() {
    stop_services
}

# Windows form of a Unix path (Wine maps / to drive Z:).
windows_path() {
    local p
    p="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
    echo "Z:${p//\//\\}"
}

# run_probe <out file> <arguments...>: the probe of the benchmarks under Wine. Its output
# goes to a file, never a pipe: a program it starts inherits the output and would keep a
# pipe open for as long as it runs.
run_probe() {
    local out="$1"
    shift
    wine "$VELMORA_PROBE" "$@" </dev/null >"$out" 2>&1
}

# probe_value <out file> <name>: the value of a "name value" line of the probe's output.
probe_value() {
    sed -n "s/^$2 //p" "$1" | tr -d '\r' | head -n 1
}
