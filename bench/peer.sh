#!/usr/bin/env bash
# Velmora against Wine's own clock.exe (a Win32 clock that repaints every second), both
# under one Wine prefix and one display, both with seconds shown and a 300 x 200 window:
#   start-up to the first painted frame (median of 7 alternating starts of each),
#   then both side by side for 60 s: CPU time used, resident memory at the end, wake-ups
#   per second (voluntary + involuntary context switches of all threads).
# Velmora counts down 5 minutes given on its command line. At start-up Velmora's window has
# the 300 x 200 of its settings file, the peer its own default size (it keeps no setting).
#
#   bash bench/peer.sh                 # build folder build-bench
#   BUILD_DIR=other bash bench/peer.sh
#   VELMORA_PEER_SECONDS=20 bash bench/peer.sh   # a shorter side-by-side period
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds="${VELMORA_PEER_SECONDS:-60}"
rounds="${VELMORA_PEER_STARTS:-7}"

# The peer has the word size of the build measured.
if [ "$(cat "$BUILD/wine-arch")" = win64 ]; then
    clocks=(/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/clock.exe /usr/lib/wine/x86_64-windows/clock.exe)
else
    clocks=(/usr/lib/i386-linux-gnu/wine/i386-windows/clock.exe /usr/lib/wine/i386-windows/clock.exe)
fi
clock=""
for c in "${clocks[@]}" "$WINEPREFIX/drive_c/windows/system32/clock.exe"; do
    if [ -f "$c" ]; then clock="$c"; break; fi
done
[ -n "$clock" ] || { echo "peer.sh: Wine's clock.exe not found" >&2; exit 1; }

dir="$(bench_folder peer \
    '[OPTION_SETTING]' 'SHOW_SEC=1' 'START_SYURYO_CHECK=0' 'EXIT_CHECK=0' 'WIN_SAVE=1' \
    '[WINDOW]' 'LEFT=40' 'TOP=40' 'WIDTH=300' 'HEIGHT=200' '[TIMER]' 'RESUME=0')"
velmora="$(windows_path "$dir/velmora.exe")"
peer="$(windows_path "$clock")"
out="$BUILD/bench-run/probe.out"

fail() {
    echo "peer.sh: $*" >&2
    [ -f "$out" ] && tr -d '\r' <"$out" >&2
    exit 1
}

# launch <program> [args]: starts it through the probe; sets pid and painted.
launch() {
    run_probe "$out" launch 30 "$@" || fail "could not start $1"
    pid="$(probe_value "$out" pid)"
    painted="$(probe_value "$out" painted_ms)"
    size="$(probe_value "$out" size)"
}
close_program() {
    run_probe "$out" close "$1" 20 || fail "could not close process $1"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "== start-up to the first painted frame ($rounds starts of each, alternating)"
: >"$BUILD/bench-run/start-velmora"
: >"$BUILD/bench-run/start-peer"
for i in $(seq 1 "$rounds"); do
    launch "$velmora" 300
    echo "$painted" >>"$BUILD/bench-run/start-velmora"
    close_program "$pid"
    v="$painted ms ($size)"
    launch "$peer"
    echo "$painted" >>"$BUILD/bench-run/start-peer"
    close_program "$pid"
    echo "  start $i: Velmora $v, peer $painted ms ($size)"
done
start_velmora="$(median <"$BUILD/bench-run/start-velmora")"
start_peer="$(median <"$BUILD/bench-run/start-peer")"

# The Unix process of a Windows one: the wine process of this prefix whose command line
# names the program.
unix_pid() {
    local name="$1" p
    for p in /proc/[0-9]*; do
        [ -r "$p/cmdline" ] || continue
        { tr '\0' '\n' <"$p/cmdline"; } 2>/dev/null | grep -qi "$name\$" || continue
        { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        basename "$p"
        return 0
    done
    return 1
}
# CPU clock ticks (user + system) of the process.
cpu_ticks() {
    sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}
# Context switches of all its threads.
switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { s += $2 } END { print s }'
}
# "thread-id:switches" for each thread, to tell the threads apart.
thread_switches() {
    local t
    for t in /proc/"$1"/task/*; do
        echo "$(basename "$t"):$(awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { s += $2 } END { print s }' "$t/status" 2>/dev/null)"
    done
}
# per_thread <before> <after> <seconds>: switches per second of each thread seen in both.
per_thread() {
    local a b id
    for b in $2; do
        id="${b%%:*}"
        for a in $1; do
            [ "${a%%:*}" = "$id" ] && awk -v x="${a#*:}" -v y="${b#*:}" -v s="$3" 'BEGIN { printf "%.2f ", (y - x) / s }'
        done
    done
}
rss_kb() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"
}
threads() {
    awk '/^Threads:/ { print $2 }' "/proc/$1/status"
}

echo "== side by side for $seconds s"
launch "$velmora" 300
vpid="$pid"
launch "$peer"
ppid_="$pid"
run_probe "$out" place "$vpid" 40 40 300 200 || fail "could not place Velmora"
echo "  Velmora window $(tr -d '\r' <"$out")"
run_probe "$out" place "$ppid_" 380 40 300 200 || fail "could not place the peer"
echo "  peer window $(tr -d '\r' <"$out")"
# The peer shows seconds when its face changes within 1.5 s; otherwise turn them on.
run_probe "$out" changes "$ppid_" 1500 || fail "could not watch the peer"
if [ "$(probe_value "$out" changed_pixels)" = "0" ]; then
    run_probe "$out" menu-id "$peer" "&Seconds" || fail "no seconds item in the peer's menu"
    run_probe "$out" command "$ppid_" "$(probe_value "$out" id)" || fail "could not command the peer"
    sleep 0.5
    run_probe "$out" changes "$ppid_" 1500
    [ "$(probe_value "$out" changed_pixels)" != "0" ] || fail "the peer does not show seconds"
fi
echo "  peer shows seconds (its face changes every second)"
run_probe "$out" changes "$vpid" 1500
echo "  Velmora's read-out changed $(probe_value "$out" changed_pixels) pixels in 1.5 s"

uv="$(unix_pid velmora.exe)" || fail "no Unix process of velmora.exe"
up="$(unix_pid clock.exe)" || fail "no Unix process of clock.exe"
hz="$(getconf CLK_TCK)"
cv0="$(cpu_ticks "$uv")"; cp0="$(cpu_ticks "$up")"
sv0="$(switches "$uv")"; sp0="$(switches "$up")"
tv0="$(thread_switches "$uv")"; tp0="$(thread_switches "$up")"
t0="$(date +%s.%N)"
sleep "$seconds"
cv1="$(cpu_ticks "$uv")"; cp1="$(cpu_ticks "$up")"
sv1="$(switches "$uv")"; sp1="$(switches "$up")"
tv1="$(thread_switches "$uv")"; tp1="$(thread_switches "$up")"
t1="$(date +%s.%N)"
rv="$(rss_kb "$uv")"; rp="$(rss_kb "$up")"
tv="$(threads "$uv")"; tp="$(threads "$up")"
import -window root "$BUILD/bench-run/peer.png" 2>/dev/null || true
close_program "$vpid"
close_program "$ppid_"

calc() { awk "BEGIN { printf \"%.${1}f\", $2 }"; }
span="$(calc 3 "$t1 - $t0")"
cpu_v="$(calc 0 "($cv1 - $cv0) * 1000 / $hz * 60 / $span")"
cpu_p="$(calc 0 "($cp1 - $cp0) * 1000 / $hz * 60 / $span")"
wake_v="$(calc 2 "($sv1 - $sv0) / $span")"
wake_p="$(calc 2 "($sp1 - $sp0) / $span")"
mem_v="$(calc 1 "$rv / 1024")"
mem_p="$(calc 1 "$rp / 1024")"

echo
echo "Velmora (count-down, seconds shown) / Wine clock.exe (seconds shown), 300 x 200, ${span} s"
echo "measured: $bench_measures; peer $clock"
printf '%-44s %12s / %-12s %s\n' "figure" "Velmora" "peer" "ratio"
row() { printf '%-44s %12s / %-12s %s\n' "$1" "$2" "$3" "$(calc 2 "$2 / ($3 > 0 ? $3 : 1)")"; }
row "CPU time per minute (ms)" "$cpu_v" "$cpu_p"
row "resident memory after the period (MiB)" "$mem_v" "$mem_p"
row "wake-ups per second (all threads)" "$wake_v" "$wake_p"
row "start-up to first painted frame (ms, median)" "$start_velmora" "$start_peer"
printf '%-44s %12s / %-12s\n' "threads" "$tv" "$tp"
echo "wake-ups per second of each thread: Velmora $(per_thread "$tv0" "$tv1" "$span")/ peer $(per_thread "$tp0" "$tp1" "$span")"
echo "(a wake-up here is any context switch; under Wine every call into the wineserver is one)"
echo "(CPU clock tick $((1000 / hz)) ms; screenshot $BUILD/bench-run/peer.png)"
