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

# Tests build with warnings as errors (VELMORA_WERROR=OFF to relax that locally).
export VELMORA_WERROR="${VELMORA_WERROR:-ON}"
source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$here/services.sh"

# The same sources with clang, warnings as errors (build only, folder <build>-clang);
# VELMORA_SKIP_CLANG=1 skips it for quick local runs.
if [ "${VELMORA_SKIP_CLANG:-0}" != 1 ]; then
    BUILD_DIR="$PRODUCT_BUILD-clang" bash "$here/build-clang.sh" >"$PRODUCT_BUILD/clang-build.log" 2>&1 || {
        tail -n 50 "$PRODUCT_BUILD/clang-build.log" >&2
        echo "the clang build failed (see $PRODUCT_BUILD/clang-build.log)" >&2
        exit 1
    }
fi

ctest_pid=""
cleanup() {
    if [ -n "$ctest_pid" ]; then
        kill "$ctest_pid" 2>/dev/null || true
        wait "$ctest_pid" 2>/dev/null || true
    fi
    stop_services
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

start_wine_session "$BUILD"

# Folders of end-to-end runs that were cut short.
rm -rf "$BUILD"/wineprefix/drive_c/users/*/Temp/velmora-e2e-*

# ctest runs in the background so that a TERM or INT reaches the traps at once.
# Every test runs once: a failure is a fault in the test or in the program.
ctest --test-dir "$BUILD" --output-on-failure -j1 --timeout 120 "$@" &
ctest_pid=$!
status=0
wait "$ctest_pid" || status=$?
ctest_pid=""
exit $status
