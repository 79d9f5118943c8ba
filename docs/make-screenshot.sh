#!/usr/bin/env bash
# Makes docs/screenshot.png from the real program: builds, starts velmora.exe under Wine
# on a private headless display with a 1 h 30 min count-down running, and crops the
# window out of a screenshot of the virtual desktop.
#
#   bash docs/make-screenshot.sh            # writes docs/screenshot.png
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../scripts/build.sh"
source "$here/services.sh"
export VELMORA_BUILD_DIR="$BUILD"
trap stop_services EXIT

start_xvfb "$BUILD/xvfb-docs.log"
start_pulse "$BUILD"
bash "$here/prepare-wine.sh" "$BUILD"

# A folder of its own, so the screenshot does not depend on the build folder's settings.
work="$BUILD/docs-shot"
rm -rf "$work"
mkdir -p "$work"
cp "$BUILD/bin/velmora.exe" "$BUILD/bin/alarm.wav" "$BUILD/bin/second.wav" "$BUILD/bin/Readme.txt" "$work/"
left=20 top=20 width=640 height=240
user="$(whoami)"
{
    printf '\xff\xfe'
    printf '[OPTION_SETTING]\r\nSEC_SOUND_PATH=\r\nSTART_SYURYO_CHECK=0\r\nALWAYS_TRAY=0\r\n[WINDOW]\r\nLEFT=%d\r\nTOP=%d\r\nWIDTH=%d\r\nHEIGHT=%d\r\n' \
        $left $top $width $height | iconv -f UTF-8 -t UTF-16LE
} >"$work/$user Velmora.ini"

(
    source "$here/wine-env.sh"
    wine "$work/velmora.exe" 5400 </dev/null >/dev/null 2>&1 &
    sleep 5
    # In the virtual desktop Wine's screen coordinates are the X root's.
    import -window root -crop "${width}x${height}+${left}+${top}" +repage "$root/docs/screenshot.png"
    wineserver -k </dev/null >/dev/null 2>&1 || true
)
echo "wrote $root/docs/screenshot.png"
