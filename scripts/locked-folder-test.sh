#!/usr/bin/env bash
# Runs the program from a folder that nobody may create files in, as Program Files is to a
# user: root may write anywhere, so the folder gets the immutable attribute (chattr +i),
# which is taken off again however the test ends.
#
#   bash scripts/locked-folder-test.sh <build folder> <velmora_e2e_tests.exe>
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: locked-folder-test.sh <build folder> <e2e tests exe>" >&2
    exit 2
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "$1" && pwd)"
base="$build/locked-folder-$$"
program="$base/Program Files/Velmora"

cleanup() {
    chattr -i "$program" 2>/dev/null || true
    rm -rf "$base"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
utf16() { printf '\xff\xfe'; printf "$1" | iconv -f UTF-8 -t UTF-16LE; }

mkdir -p "$program" "$base/AppData"
cp "$build/bin/velmora.exe" "$build/bin/alarm.wav" "$program/"
user="$(id -un)"
utf16 '[TIMER_SETTING]\r\nMIN=5\r\n[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\n' >"$program/$user Velmora.ini"
utf16 '1000\t\t0\tstep\r\n' >"$program/${user}_program_timer_0.txt"
chattr +i "$program"

VELMORA_LOCKED_FOLDER="$(windows_path "$program")" \
VELMORA_LOCKED_APPDATA="$(windows_path "$base/AppData")" \
    bash "$here/wine-run.sh" "$2" --gtest_filter='LockedProgramFolder.*'
