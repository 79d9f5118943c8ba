#!/usr/bin/env bash
# Runs the program from a folder that nobody may create files in, as Program Files is to a
# user: root may write anywhere, so the folder gets the immutable attribute (chattr +i),
# which is taken off again however the test ends. With "full", the folder is instead a small
# file system filled up to the last block (a full disk), unmounted again at the end.
#
#   bash scripts/locked-folder-test.sh <build folder> <velmora_e2e_tests.exe> [full]
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: locked-folder-test.sh <build folder> <e2e tests exe>" >&2
    exit 2
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "$1" && pwd)"
base="$build/locked-folder-$$"
program="$base/Program Files/Velmora"

mode="${3:-locked}"
cleanup() {
    chattr -i "$program" 2>/dev/null || true
    if [ "$mode" = full ]; then umount "$program" 2>/dev/null || true; fi
    rm -rf "$base"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
utf16() { printf '\xff\xfe'; printf "$1" | iconv -f UTF-8 -t UTF-16LE; }

mkdir -p "$program" "$base/AppData"
user="$(id -un)"
if [ "$mode" = full ]; then
    mount -t tmpfs -o size=2m tmpfs "$program"
    cp "$build/bin/velmora.exe" "$program/"
    # 4096 bytes, one block: a key more needs a second one.
    pad="$(printf '%*s' 1962 '' | tr ' ' p)"
    utf16 "[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\nSTART_SYURYO_CHECK=0\r\nPAD=$pad\r\n[TIMER_SETTING]\r\nMIN=5\r\n" \
        >"$program/$user Velmora.ini"
    dd if=/dev/zero of="$program/filler" bs=4k 2>/dev/null || true
    filter='FullDisk.*'
else
    cp "$build/bin/velmora.exe" "$build/bin/alarm.wav" "$program/"
    utf16 '[TIMER_SETTING]\r\nMIN=5\r\n[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\n' >"$program/$user Velmora.ini"
    utf16 '1000\t\t0\tstep\r\n' >"$program/${user}_program_timer_0.txt"
    # Read-only, as files from a DVD, an ISO or a read-only share are.
    chmod a-w "$program/$user Velmora.ini" "$program/${user}_program_timer_0.txt"
    chattr +i "$program"
    filter='LockedProgramFolder.*'
fi

VELMORA_LOCKED_FOLDER="$(windows_path "$program")" \
VELMORA_LOCKED_UNIX_FOLDER="$program" \
VELMORA_LOCKED_APPDATA="$(windows_path "$base/AppData")" \
    bash "$here/wine-run.sh" "$2" --gtest_filter="$filter"
