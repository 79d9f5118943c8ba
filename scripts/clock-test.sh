#!/usr/bin/env bash
# Runs a test program in a Wine session whose clocks the test can move:
#
#   bash scripts/clock-test.sh <build folder> <program.exe> [arguments...]
#
# Every process of the session (the wineserver first) runs with tests/clock/clock_shim.c
# preloaded, built here into <build>/clock. The shim adds the offsets in <build>/clock/offsets
# ("<wall clock ms> <tick count ms>") to the time that Wine reads, and reads that file again
# every 50 ms; the program finds its path in VELMORA_CLOCK_FILE. The session has a prefix
# (<build>/wineprefix-clock) and an Xvfb of its own, as moving the clocks of the build folder's
# own session would disturb every other test. The exit code is the program's.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: clock-test.sh <build folder> <program.exe> [arguments...]" >&2
    exit 2
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "$1" && pwd)"
shift

mkdir -p "$build/clock"
shim="$build/clock/clock_shim.so"
source_file="$here/../tests/clock/clock_shim.c"
# The shim is built for the Wine that runs the build folder's programs: 32-bit, or 64-bit
# for a 64-bit build.
bits=-m32
[ "$(cat "$build/wine-arch" 2>/dev/null)" = win64 ] && bits=-m64
if [ ! -f "$shim" ] || [ "$source_file" -nt "$shim" ] || ! grep -qx -- "$bits" "$shim.bits" 2>/dev/null; then
    gcc "$bits" -shared -fPIC -O2 -Wall -Werror -o "$shim" "$source_file" -ldl
    printf "%s\n" "$bits" >"$shim.bits"
fi
export VELMORA_CLOCK_FILE="$build/clock/offsets"
echo "0 0" >"$VELMORA_CLOCK_FILE"

source "$here/services.sh"
start_private_wine_session "$build" "$build/wineprefix-clock" "$build/xvfb-clock.log"
source "$here/wine-env.sh"
# A server left from an earlier run would not have the shim.
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -w </dev/null >/dev/null 2>&1 || true
# Helpers of the other word size cannot load the shim; they say so on stderr and go on.
export LD_PRELOAD="$shim"
(wineserver -p || true; wine wineboot) </dev/null >/dev/null 2>&1
wine "$@" </dev/null 2> >(grep -v 'wrong ELF class' >&2)
