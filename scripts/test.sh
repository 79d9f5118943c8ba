#!/usr/bin/env bash
# Builds Velmora and runs all its tests under Wine on a private headless display.
#
#   bash scripts/test.sh               # everything
#   bash scripts/test.sh -R Settings   # extra arguments go to ctest
#   BUILD_DIR=build-mine bash scripts/test.sh
#
# Each build folder has its own Wine prefix, X display and sound server, so
# several build folders can be tested at the same time.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$here/services.sh"

export VELMORA_BUILD_DIR="$BUILD"
trap stop_services EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

start_xvfb "$BUILD/xvfb.log"
start_pulse "$BUILD"
bash "$here/prepare-wine.sh" "$BUILD"

# Start the wineserver and Wine's desktop before the first test, with no
# output attached: helpers started from a test would hold ctest's pipe open.
# (In a subshell: ctest's own environment stays free of the Japanese locale,
# which this machine's C library lacks; wine-run.sh sets it for each test.)
(
    source "$here/wine-env.sh"
    wineserver -p || true   # one already running is fine
    wine wineboot
) </dev/null >/dev/null 2>&1

status=0
ctest --test-dir "$BUILD" --output-on-failure -j1 --timeout 120 "$@" || status=$?
exit $status
