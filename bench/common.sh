# Sourced by the benchmark scripts: builds the program and the benchmark executables in
# BUILD_DIR (default build-bench, Release) and starts one private Wine session (Xvfb, null
# sound server, the folder's prefix) unless bench/run.sh has started one already.
bench_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$bench_dir/../scripts/project.sh"
build_folder build-bench

if [ -z "${VELMORA_BENCH_SESSION:-}" ]; then
    bash "$here/setup.sh"
    configure_build "$root/cmake/toolchain-i686-mingw.cmake"
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
