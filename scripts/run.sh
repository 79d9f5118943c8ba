#!/usr/bin/env bash
# Builds Velmora and starts it under Wine.
#
#   bash scripts/run.sh
#   VELMORA_RUN_SECONDS=5 bash scripts/run.sh   # close it 5 s after the screenshot
#
# Without a DISPLAY it starts its own headless X server (and a null-sink sound
# server). About 4 s after the start a screenshot of the whole screen is saved
# as <build>/screenshot.png. The script returns when the program exits.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$here/services.sh"

export VELMORA_BUILD_DIR="$BUILD"
trap stop_services EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

own_display=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    start_xvfb "$BUILD/xvfb.log"
    start_pulse "$BUILD"
    own_display=1
fi
bash "$here/prepare-wine.sh" "$BUILD"
{ source "$here/wine-env.sh"; } 2>/dev/null

wine "$BUILD/bin/velmora.exe" "$@" </dev/null &
program=$!

sleep 4
screenshot="$BUILD/screenshot.png"
if import -window root "$screenshot" 2>/dev/null; then
    if [ $own_display -eq 1 ]; then
        echo "screenshot of the headless display: $screenshot"
    fi
else
    echo "could not take a screenshot" >&2
fi

if [ -n "${VELMORA_RUN_SECONDS:-}" ]; then
    for _ in $(seq 1 $((VELMORA_RUN_SECONDS * 10))); do
        kill -0 $program 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 $program 2>/dev/null; then
        # Ends every program of this prefix, velmora.exe among them.
        wineserver -k </dev/null >/dev/null 2>&1 || true
        wait $program 2>/dev/null || true
        exit 0
    fi
fi

status=0
wait $program || status=$?
exit $status
