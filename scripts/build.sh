# Sourced by test.sh and run.sh: installs what is missing, then configures and
# builds the folder BUILD_DIR (default "build") and sets BUILD to its full path.
source "$(dirname "${BASH_SOURCE[0]}")/project.sh"
bash "$here/setup.sh"
build_folder build
configure_build "$root/cmake/toolchain-i686-mingw.cmake" -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}"
cmake --build "$BUILD" -j2
