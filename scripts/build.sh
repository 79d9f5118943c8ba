# Sourced by test.sh and run.sh: installs what is missing, then configures and
# builds the folder BUILD_DIR (default "build") and sets BUILD to its full path.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
cd "$root"

bash "$here/setup.sh"

BUILD="${BUILD_DIR:-build}"
case "$BUILD" in
    /*) ;;
    *) BUILD="$root/$BUILD" ;;
esac
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

cmake -S "$root" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}" >"$BUILD/configure.log" 2>&1 || {
    cat "$BUILD/configure.log" >&2
    echo "configuring $BUILD failed" >&2
    exit 1
}
cmake --build "$BUILD" -j2
