#!/usr/bin/env bash
# Count-down timing: time-up lateness against the scheduled end tick, wake-ups per second and
# CPU time per minute of count-down (velmora_countdown_bench.exe under Wine).
#
#   bash bench/countdown.sh                 # 10 count-downs of 2 s, then 60 s
#   bash bench/countdown.sh 20 3 120        # runs, seconds per run, long count-down seconds
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cmake --build "$BUILD" --target velmora velmora_countdown_bench -j2 >/dev/null
dir="$(bench_folder countdown \
    '[OPTION_SETTING]' 'SHOW_SEC=1' 'START_SYURYO_CHECK=0' 'EXIT_CHECK=0' 'WIN_SAVE=0' 'ALARM_PLAY=0' \
    '[WINDOW]' 'LEFT=40' 'TOP=40' 'WIDTH=300' 'HEIGHT=200' '[TIMER]' 'RESUME=0')"
echo "== count-down: time-up lateness, wake-ups, CPU per minute"
out="$BUILD/countdown-bench.out"
wine "$BUILD/bin/velmora_countdown_bench.exe" "${1:-10}" "${2:-2}" "${3:-60}" \
    "$(windows_path "$dir/velmora.exe")" </dev/null >"$out" 2>&1 || {
    cat "$out"
    exit 1
}
tr -d '\r' <"$out"
