# Sourced by test.sh and run.sh: installs what is missing, then configures and
# builds the folder BUILD_DIR (default "build") and sets BUILD to the full path of the
# folder whose programs run here, PRODUCT_BUILD to the 32-bit one.
#
# A machine that cannot run 32-bit programs (or VELMORA_FORCE_64BIT=1) builds the same
# sources a second time for 64-bit Windows, in <build>-x86_64, and BUILD names that folder:
# its programs run under 64-bit Wine.
source "$(dirname "${BASH_SOURCE[0]}")/project.sh"
bash "$here/setup.sh"
build_folder build
configure_build "$root/cmake/toolchain-i686-mingw.cmake" -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}"
cmake --build "$BUILD" -j2
PRODUCT_BUILD="$BUILD"
if ! runs_32bit_programs; then
    echo "${0##*/}: $(why_64bit); the programs run here are the 64-bit build, in $BUILD-x86_64" >&2
    BUILD_DIR="$BUILD-x86_64" build_folder build
    configure_build "$root/cmake/toolchain-x86_64-mingw.cmake" -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}"
    cmake --build "$BUILD" -j2
fi
