#!/usr/bin/env bash
# The long reliability runs: 50 hard kills of a looping program timer, 10-minute soaks of a
# one-second repeating interval (the program, and the loop in-process), the unwritable and
# shared settings file. About 26 minutes.
#
#   bash scripts/stress.sh                                  # everything
#   BUILD_DIR=build bash scripts/stress.sh --gtest_filter=*Soak*   # arguments go to the test exe
#
# Uses the build folder's private display, sound server and Wine prefix, like test.sh.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$here/services.sh"
cmake --build "$BUILD" -j2 --target velmora_stress_tests

trap stop_services EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

start_wine_session "$BUILD"
rm -rf "$BUILD"/wineprefix/drive_c/users/*/Temp/velmora-e2e-*

bash "$here/wine-run.sh" "$BUILD/bin/velmora_stress_tests.exe" "$@"
