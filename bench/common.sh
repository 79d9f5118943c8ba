# Sourced by the benchmark scripts: builds the program and the benchmark executables in
# BUILD_DIR (default build-bench, Release) and starts one private Wine session (Xvfb, null
# sound server, the folder's prefix) unless bench/run.sh has started one already.
bench_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$bench_dir")"
cd "$root"

BUILD="${BUILD_DIR:-build-bench}"
case "$BUILD" in
    /*) ;;
    *) BUILD="$root/$BUILD" ;;
esac
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

if [ -z "${VELMORA_BENCH_SESSION:-}" ]; then
    bash "$root/scripts/setup.sh"
    cmake -S "$root" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$BUILD/configure.log" 2>&1 || {
        cat "$BUILD/configure.log" >&2
        echo "configuring $BUILD failed" >&2
        exit 1
    }
    cmake --build "$BUILD" --target velmora velmora_paint_bench velmora_probe_bench -j2 >/dev/null
fi

export VELMORA_PROBE="$BUILD/bin/velmora_probe_bench.exe"
source "$root/scripts/wine-session.sh"
if [ -z "${VELMORA_BENCH_SESSION:-}" ]; then
    wine_session_start "$BUILD"
    export VELMORA_BENCH_SESSION=1
else
    { source "$root/scripts/wine-env.sh"; } 2>/dev/null
fi

# A fresh folder with a copy of the program, its sounds and a settings file:
#   bench_folder <name> <settings lines...>   -> prints the folder
# The settings file is "<user> Velmora.ini" (the user name Wine reports is the Unix one).
bench_folder() {
    local dir="$BUILD/bench-run/$1"
    shift
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$BUILD/bin/velmora.exe" "$BUILD/bin/alarm.wav" "$BUILD/bin/second.wav" "$dir/"
    printf '%s\r\n' "$@" >"$dir/$(id -un) Velmora.ini"
    echo "$dir"
}
