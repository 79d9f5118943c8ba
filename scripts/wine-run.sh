#!/usr/bin/env bash
# Runs a Windows program under Wine with the environment of its build folder.
# CMake uses this as the cross-compiling emulator: wine-run.sh <exe> [args...]
# The build folder is VELMORA_BUILD_DIR when exported, otherwise the nearest
# folder above the exe that holds CMakeCache.txt (the exes live in <build>/bin).
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: wine-run.sh program.exe [arguments...]" >&2
    exit 2
fi

if [ -z "${VELMORA_BUILD_DIR:-}" ]; then
    dir="$(cd "$(dirname "$1")" && pwd)"
    found=""
    probe="$dir"
    while [ "$probe" != "/" ]; do
        if [ -f "$probe/CMakeCache.txt" ]; then
            found="$probe"
            break
        fi
        probe="$(dirname "$probe")"
    done
    VELMORA_BUILD_DIR="${found:-$(dirname "$dir")}"
fi

source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# Wine's helper processes keep whatever stdin they inherit; give them nothing.
exec wine "$@" </dev/null
