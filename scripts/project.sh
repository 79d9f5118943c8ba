# Sourced, not run, by the scripts that build: sets `here` (this folder) and `root` (the
# project folder, made the current one), and defines
#
#   build_path <default>        BUILD = full path of BUILD_DIR (default <default>, in the project folder)
#   build_folder <default>      the same, made if missing
#   runs_32bit_programs         true when the programs run here are the 32-bit ones: this
#                               machine can start a 32-bit program (Wine's 32-bit loader; a
#                               kernel with its 32-bit support turned off, whose log says
#                               "32-bit emulation disabled", cannot) and VELMORA_FORCE_64BIT=1
#                               does not ask for the 64-bit path
#   why_64bit                   one line: why the 64-bit build is the one run here
#   configure_build <toolchain> [cmake options...]
#                               configures BUILD for Release with that toolchain file; the output
#                               goes to BUILD/configure.log and is shown when configuring fails
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
cd "$root"

build_path() {
    BUILD="${BUILD_DIR:-$1}"
    case "$BUILD" in
        /*) ;;
        *) BUILD="$root/$BUILD" ;;
    esac
}

build_folder() {
    build_path "$1"
    mkdir -p "$BUILD"
    BUILD="$(cd "$BUILD" && pwd)"
}

configure_build() {
    local toolchain="$1"
    shift
    cmake -S "$root" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release "$@" \
        >"$BUILD/configure.log" 2>&1 || {
        cat "$BUILD/configure.log" >&2
        echo "${0##*/}: configuring $BUILD failed" >&2
        exit 1
    }
}

runs_32bit_programs() {
    [ "${VELMORA_FORCE_64BIT:-0}" != 1 ] && /usr/lib/wine/wine --version </dev/null >/dev/null 2>&1
}

why_64bit() {
    if [ "${VELMORA_FORCE_64BIT:-0}" = 1 ]; then
        echo "VELMORA_FORCE_64BIT=1 asks for the 64-bit path"
    else
        echo "this machine cannot run 32-bit programs (the kernel's 32-bit support is off)"
    fi
}
