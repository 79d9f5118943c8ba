#!/usr/bin/env bash
# Time-up lateness: 20 short count-downs started from the command line ("velmora.exe 2"),
# each timed from its scheduled end (section ALARM_TIME of the settings file, which the
# program writes at the start) to the moment its "時間になりました" notice is visible.
#
#   bash bench/timeup.sh                       # 20 runs of 2 s
#   VELMORA_TIMEUP_RUNS=5 VELMORA_TIMEUP_SECONDS=3 bash bench/timeup.sh
#   VELMORA_TIMEUP_ALARM=0 bash bench/timeup.sh  # without the alarm sound (ALARM_PLAY=0)
#   VELMORA_TIMEUP_KEEP=1 bash bench/timeup.sh   # stop at the first failed run and save the
#                                                # backtraces of the program's threads
# A run fails when no notice is visible 10 s after the scheduled end; the others still count.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

runs="${VELMORA_TIMEUP_RUNS:-20}"
length="${VELMORA_TIMEUP_SECONDS:-2}"
alarm="${VELMORA_TIMEUP_ALARM:-1}"
dir="$(bench_folder timeup \
    '[OPTION_SETTING]' 'SHOW_SEC=1' 'START_SYURYO_CHECK=1' 'EXIT_CHECK=0' 'WIN_SAVE=1' "ALARM_PLAY=$alarm" \
    '[WINDOW]' 'LEFT=40' 'TOP=40' 'WIDTH=300' 'HEIGHT=200' '[TIMER]' 'RESUME=0')"
ini="$(ls "$dir"/*" Velmora.ini")"
out="$BUILD/bench-run/timeup.out"

echo "== time-up lateness: $runs count-downs of $length s from the command line, ALARM_PLAY=$alarm"
keep=()
[ "${VELMORA_TIMEUP_KEEP:-0}" = 1 ] && keep=(keep)
status=0
run_probe "$out" timeup "$runs" "$length" "$(windows_path "$dir/velmora.exe")" \
    "$(windows_path "$ini")" "${keep[@]}" || status=$?
tr -d '\r' <"$out"
if grep -q '^kept pid' "$out"; then
    import -window root "$BUILD/bench-run/timeup-failed.png" 2>/dev/null || true
    winedbg --command "bt all" </dev/null >"$BUILD/bench-run/timeup-failed-bt.txt" 2>&1 || true
    echo "screenshot $BUILD/bench-run/timeup-failed.png, backtraces of every Wine thread in" \
        "$BUILD/bench-run/timeup-failed-bt.txt (map velmora+offsets with nm on bin/velmora.exe)"
fi
exit $status
