# Sourced by the benchmark scripts: builds the program and the benchmark executables in
# BUILD_DIR (default build-bench, Release) and starts one private Wine session (Xvfb, null
# sound server, the folder's prefix) unless bench/run.sh has started one already.
#
# They measure the build that runs here: the 32-bit program, or where this machine cannot run
# 32-bit programs (or VELMORA_FORCE_64BIT=1) its 64-bit twin, built in <build>-x86_64 and run
# under 64-bit Wine. bench_measures names it.
bench_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$bench_dir/../scripts/project.sh"
if runs_32bit_programs; then
    build_folder build-bench
    bench_toolchain="$root/cmake/toolchain-i686-mingw.cmake"
    bench_measures="the 32-bit build in $BUILD under 32-bit Wine"
else
    build_path build-bench
    BUILD_DIR="$BUILD-x86_64" build_folder build-bench
    bench_toolchain="$root/cmake/toolchain-x86_64-mingw.cmake"
    bench_measures="the 64-bit build in $BUILD under 64-bit Wine: $(why_64bit)"
fi

if [ -z "${VELMORA_BENCH_SESSION:-}" ]; then
    echo "benchmarks of $bench_measures" >&2
    bash "$here/setup.sh"
    configure_build "$bench_toolchain"
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
