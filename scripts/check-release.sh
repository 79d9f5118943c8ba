#!/usr/bin/env bash
# Proves that the release is reproducible and that the package runs on its own:
#  1. clones the current commit twice into separate temporary folders, makes the package in
#     each with scripts/release.sh and compares the two zips byte for byte (uncommitted
#     changes are not part of it; VELMORA_SKIP_TWIN_BUILD=1 skips this step);
#  2. unzips the package into an empty folder, checks that velmora.exe imports system DLLs
#     only, starts it under a private Wine session, waits for its painted window, checks that
#     its settings file appears beside it, and closes it. Where this machine cannot run 32-bit
#     programs (or VELMORA_FORCE_64BIT=1) it stops before the start and says so: the package
#     holds the 32-bit program, and building and comparing it needs no Wine.
#
#   bash scripts/check-release.sh                  # <build-release>/velmora-*-win32.zip
#   bash scripts/check-release.sh path/to/velmora-<version>-win32.zip
#   BUILD_DIR=other bash scripts/check-release.sh  # the build folder of scripts/release.sh
#
# A screenshot of the running package is saved as <build>/release-check.png.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/project.sh"
build_path build-release
if [ $# -ge 1 ]; then
    zip="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
else
    zip="$(ls "$BUILD"/velmora-*-win32.zip 2>/dev/null | head -n 1 || true)"
fi
if [ -z "$zip" ] || [ ! -f "$zip" ]; then
    echo "check-release.sh: no package; run scripts/release.sh first" >&2
    exit 1
fi
[ -f "$BUILD/CMakeCache.txt" ] || {
    echo "check-release.sh: $BUILD is not a configured build folder" >&2
    exit 1
}
fail() {
    echo "check-release.sh: FAIL: $*" >&2
    exit 1
}

twins_checked="the twin build was skipped"
if [ "${VELMORA_SKIP_TWIN_BUILD:-0}" != 1 ]; then
    commit="$(git -C "$root" rev-parse HEAD)"
    echo "== two packages of commit $commit, built in separate folders"
    twins="$(mktemp -d)"
    trap 'rm -rf "$twins"' EXIT
    for twin in one two; do
        git clone -q --shared --no-checkout "$root" "$twins/$twin"
        git -C "$twins/$twin" checkout -q --detach "$commit"
        # The second build runs at a later time from another path: neither may show in the bytes.
        BUILD_DIR="$twins/$twin/build-release" bash "$twins/$twin/scripts/release.sh" \
            >"$twins/$twin.log" 2>&1 || {
            tail -n 40 "$twins/$twin.log" >&2
            fail "scripts/release.sh failed in the clone $twins/$twin"
        }
    done
    first="$(ls "$twins"/one/build-release/velmora-*-win32.zip)"
    second="$(ls "$twins"/two/build-release/velmora-*-win32.zip)"
    if ! cmp "$first" "$second"; then
        mkdir -p "$twins/x1" "$twins/x2"
        unzip -q "$first" -d "$twins/x1"
        unzip -q "$second" -d "$twins/x2"
        for f in $(ls "$twins/x1"); do
            cmp -l "$twins/x1/$f" "$twins/x2/$f" | head -n 5 | sed "s|^|  $f: |" >&2 || true
        done
        fail "two packages of one commit differ"
    fi
    echo "byte-identical: $(basename "$first"), $(stat -c %s "$first") bytes," \
        "sha256 $(sha256sum "$first" | cut -d' ' -f1)"
    rm -rf "$twins"
    trap - EXIT
    twins_checked="two packages of this commit are byte-identical"
fi

echo "== package $zip"
expected="LICENSE.txt Readme.txt alarm.wav second.wav velmora.exe"
listed="$(unzip -Z1 "$zip" | sort | tr '\n' ' ' | sed 's/ $//')"
[ "$listed" = "$expected" ] || fail "the package holds [$listed], expected [$expected]"

dir="$BUILD/release-check"
rm -rf "$dir"
mkdir -p "$dir"
unzip -q "$zip" -d "$dir"
echo "unzipped into the empty folder $dir"
if ! grep -q $'\r$' "$dir/LICENSE.txt" || grep -q $'[^\r]$' "$dir/LICENSE.txt"; then
    fail "LICENSE.txt does not end every line with CR LF"
fi

echo "== DLLs that velmora.exe imports"
dlls="$(i686-w64-mingw32-objdump -p "$dir/velmora.exe" | sed -n 's/^\s*DLL Name: //p')"
[ -n "$dlls" ] || fail "objdump found no imports"
# The system's own DLLs; anything else (lib*.dll, the MinGW runtime) would have to be shipped.
system_dlls=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll"
system_dlls+=" shlwapi.dll winmm.dll imm32.dll uxtheme.dll advapi32.dll msvcrt.dll ole32.dll oleaut32.dll "
bad=0
for dll in $dlls; do
    lower="$(echo "$dll" | tr 'A-Z' 'a-z')"
    if [[ "$lower" == lib*.dll || "$lower" == mingw*.dll || "$system_dlls" != *" $lower "* ]]; then
        echo "  $dll   <- not a system DLL"
        bad=1
    else
        echo "  $dll"
    fi
done
[ $bad -eq 0 ] || fail "velmora.exe needs DLLs that Windows does not have"

if ! runs_32bit_programs; then
    echo "check-release.sh: the package's files and imports check out ($twins_checked), but its" \
        "velmora.exe was NOT started: $(why_64bit), and the package holds the 32-bit program;" \
        "run this check on a machine that runs 32-bit programs to see it start"
    exit 0
fi

echo "== start under Wine"
cmake --build "$BUILD" --target velmora_probe_bench -j2 >/dev/null
export VELMORA_PROBE="$BUILD/bin/velmora_probe_bench.exe"
source "$here/wine-session.sh"
wine_session_start "$BUILD"
out="$BUILD/release-check.out"
run_probe "$out" launch 30 "$(windows_path "$dir/velmora.exe")" || {
    cat "$out" >&2
    fail "velmora.exe did not show a painted window"
}
pid="$(probe_value "$out" pid)"
echo "window of class $(probe_value "$out" class) shown after $(probe_value "$out" window_ms) ms," \
    "painted after $(probe_value "$out" painted_ms) ms"
import -window root "$BUILD/release-check.png" 2>/dev/null || true

settings=""
for _ in $(seq 1 50); do
    settings="$(ls "$dir"/*" Velmora.ini" 2>/dev/null | head -n 1 || true)"
    [ -n "$settings" ] && break
    sleep 0.1
done
[ -n "$settings" ] || fail "no settings file \"<user> Velmora.ini\" appeared beside velmora.exe"
echo "settings file beside it: $(basename "$settings")"

run_probe "$out" close "$pid" 20 || {
    cat "$out" >&2
    fail "velmora.exe did not close"
}
echo "closed: $(tr -d '\r' <"$out")"
echo "check-release.sh: the package runs from an empty folder"
