#!/usr/bin/env bash
# Runs a test program on a screen of another DPI, without touching the build folder's prefix
# or display (setting LogPixels needs a restart of the prefix's wineserver, and every other
# test expects 96 DPI):
#
#   bash scripts/dpi-test.sh <build folder> <dpi> <program.exe> [arguments...]
#
# The program runs in the prefix <build>/wineprefix-dpi<dpi>, made once with the same
# set-up as the build folder's own (prepare-wine.sh), LogPixels = <dpi> and a virtual desktop
# of 1024 x 768 at 96 DPI scaled to <dpi> (1536 x 1152 at 144), as a screen of that DPI has
# more pixels; on an Xvfb of its own. It gets VELMORA_DPI=<dpi> in its environment. The exit
# code is the program's.
set -euo pipefail

if [ $# -lt 3 ]; then
    echo "usage: dpi-test.sh <build folder> <dpi> <program.exe> [arguments...]" >&2
    exit 2
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "$1" && pwd)"
dpi="$2"
shift 2

desktop="$((1024 * dpi / 96))x$((768 * dpi / 96))"
source "$here/services.sh"
start_private_wine_session "$build" "$build/wineprefix-dpi$dpi" "$build/xvfb-dpi$dpi.log" \
    "$((1024 * dpi / 96 + 64))x$((768 * dpi / 96 + 64))"
source "$here/wine-env.sh"

# The prefix keeps its DPI from one run to the next; the settings apply after a restart.
if [ ! -f "$WINEPREFIX/.velmora-dpi" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d "$desktop" /f \
        </dev/null >/dev/null 2>&1
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.velmora-dpi"
fi
# The server and Wine's desktop start with no output attached (see test.sh).
(wineserver -p || true; wine wineboot) </dev/null >/dev/null 2>&1

export VELMORA_DPI="$dpi"
# The test saves its pictures into VELMORA_SHOTS (a Unix path) when set; the folder must exist.
if [ -n "${VELMORA_SHOTS:-}" ]; then
    mkdir -p "$VELMORA_SHOTS"
fi
wine "$@" </dev/null
