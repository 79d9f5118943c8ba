#!/usr/bin/env bash
# Builds everything (program, tests, benchmarks) with clang for i686 MinGW, warnings as
# errors; runs nothing. The portability check beside the GCC build of scripts/test.sh.
#
#   bash scripts/build-clang.sh                 # build folder build-clang
#   BUILD_DIR=other bash scripts/build-clang.sh
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
cd "$root"

bash "$here/setup.sh"

BUILD="${BUILD_DIR:-build-clang}"
case "$BUILD" in
    /*) ;;
    *) BUILD="$root/$BUILD" ;;
esac
mkdir -p "$BUILD"

cmake -S "$root" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw-clang.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=ON >"$BUILD/configure.log" 2>&1 || {
    cat "$BUILD/configure.log" >&2
    echo "build-clang.sh: configuring $BUILD failed" >&2
    exit 1
}
cmake --build "$BUILD" -j2
