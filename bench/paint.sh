#!/usr/bin/env bash
# Time of a whole WM_PAINT of the read-out for the five layouts at three sizes, with and
# without a background image, against the floor of one FillRect plus one BitBlt, before and
# after the kept back buffer (velmora_paint_bench.exe under Wine).
#
#   bash bench/paint.sh [milliseconds per case]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
echo "== paint: a whole WM_PAINT against FillRect + BitBlt (median)"
wine "$BUILD/bin/velmora_paint_bench.exe" "$@" </dev/null >"$BUILD/paint-bench.out" 2>&1 || {
    cat "$BUILD/paint-bench.out"
    exit 1
}
tr -d '\r' <"$BUILD/paint-bench.out"
