#!/usr/bin/env bash
# Builds everything (program, tests, benchmarks) with clang for i686 MinGW, warnings as
# errors; runs nothing. The portability check beside the GCC build of scripts/test.sh.
#
#   bash scripts/build-clang.sh                 # build folder build-clang
#   BUILD_DIR=other bash scripts/build-clang.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/project.sh"
bash "$here/setup.sh"
build_folder build-clang
configure_build "$root/cmake/toolchain-i686-mingw-clang.cmake" -DVELMORA_WERROR=ON
cmake --build "$BUILD" -j2
