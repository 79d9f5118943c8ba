#!/usr/bin/env bash
# Every benchmark in one Wine session, one after another: paint, peer, time-up lateness.
# The figures go to standard output and to <build>/bench-run/figures.txt.
#
#   bash bench/run.sh                  # build folder build-bench
#   BUILD_DIR=other bash bench/run.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
mkdir -p "$BUILD/bench-run"
# The scripts below set the Wine locale themselves; bash would only warn that glibc lacks it.
# A part that fails says so; the others still run.
child() { env -u LANG -u LC_ALL bash "$@" || echo "($(basename "$1") failed: see above)"; }
{
    echo "Velmora benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(wine --version)"
    echo "measured: $bench_measures"
    child "$bench_dir/paint.sh" 1000
    echo
    child "$bench_dir/peer.sh"
    echo
    child "$bench_dir/timeup.sh"
    echo
    VELMORA_TIMEUP_ALARM=0 child "$bench_dir/timeup.sh"
} 2>&1 | tee "$BUILD/bench-run/figures.txt"
