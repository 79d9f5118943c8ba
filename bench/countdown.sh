#!/usr/bin/env bash
# Count-down timing: time-up lateness against the scheduled end tick, wake-ups per second and
# CPU time per minute of count-down. The first figures come from velmora_countdown_bench.exe
# (the loop in-process); the last from the real program counting down from its command line,
# read from outside in /proc (CPU ticks and context switches of all its threads).
#
#   bash bench/countdown.sh                 # 10 count-downs of 2 s, then 60 s
#   bash bench/countdown.sh 20 3 120        # runs, seconds per run, long count-down seconds
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cmake --build "$BUILD" --target velmora velmora_countdown_bench -j2 >/dev/null
runs="${1:-10}" short="${2:-2}" long="${3:-60}"

echo "== count-down: time-up lateness, wake-ups, CPU per minute"
out="$BUILD/countdown-bench.out"
wine "$BUILD/bin/velmora_countdown_bench.exe" "$runs" "$short" "$long" </dev/null >"$out" 2>&1 || {
    cat "$out"
    exit 1
}
tr -d '\r' <"$out"

dir="$(bench_folder countdown \
    '[OPTION_SETTING]' 'SHOW_SEC=1' 'START_SYURYO_CHECK=0' 'EXIT_CHECK=0' 'WIN_SAVE=0' 'ALARM_PLAY=0' \
    '[WINDOW]' 'LEFT=40' 'TOP=40' 'WIDTH=300' 'HEIGHT=200' '[TIMER]' 'RESUME=0')"
# cpu_ticks <pid>: user + system clock ticks; switches <pid>: context switches of all threads.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { n += $2 } END { print n }'; }
(cd "$dir" && exec wine ./velmora.exe "$((long + 10))" </dev/null >/dev/null 2>&1) &
program=$!
sleep 3   # start-up and first paints are not part of the count-down's cost
c0="$(cpu_ticks $program)" s0="$(switches $program)"
sleep "$long"
c1="$(cpu_ticks $program)" s1="$(switches $program)"
kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
hz="$(getconf CLK_TCK)"
awk -v c="$((c1 - c0))" -v s="$((s1 - s0))" -v hz="$hz" -v t="$long" 'BEGIN {
    printf "velmora.exe counting down with seconds shown, %d s: CPU %.0f ms per minute, %.1f context switches per second (all threads)\n",
        t, c * 1000 / hz * 60 / t, s / t }'
