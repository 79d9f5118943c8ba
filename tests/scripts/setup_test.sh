#!/usr/bin/env bash
# What scripts/setup.sh does when apt fails, run on stand-ins for the package tools placed
# first on PATH: a mirror mid-sync whose i386 index has the wrong size for a while, an
# install that then finds "held broken packages", and the install again from the main archive.
#
#   bash tests/scripts/setup_test.sh [project folder]
set -euo pipefail
root="$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/../..}" && pwd)"
codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
if [ -z "$codename" ]; then
    echo "SKIP: /etc/os-release names no VERSION_CODENAME"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stand_ins="$work/bin"
mkdir "$stand_ins"

# apt-get: "update" fails as often as the file update-fails says; "install" succeeds or
# fails as FAKE_INSTALL (plain) or FAKE_INSTALL_T (with -t) says. Each call is logged.
cat >"$stand_ins/apt-get" <<'STAND_IN'
#!/bin/sh
command="$1"
shift
case "$command" in
    update)
        echo update >>"$FAKE_STATE/calls"
        left="$(cat "$FAKE_STATE/update-fails")"
        [ "$left" -gt 0 ] || exit 0
        echo $((left - 1)) >"$FAKE_STATE/update-fails"
        echo "E: Failed to fetch http://mirror/debian-security/dists/x-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
        exit 100 ;;
    install)
        call=install result="$FAKE_INSTALL" packages=""
        while [ $# -gt 0 ]; do
            case "$1" in
                -t) call="install-t:$2" result="$FAKE_INSTALL_T"; shift ;;
                -*) ;;
                *) packages="$packages $1" ;;
            esac
            shift
        done
        echo "$call" >>"$FAKE_STATE/calls"
        if [ "$result" != ok ]; then
            echo "E: Unable to correct problems, you have held broken packages." >&2
            exit 100
        fi
        printf '%s\n' $packages >>"$FAKE_STATE/installed" ;;
    *) exit 2 ;;
esac
STAND_IN
cat >"$stand_ins/dpkg-query" <<'STAND_IN'
#!/bin/sh
for package; do :; done
if [ "${FAKE_ALL_INSTALLED:-0}" = 1 ] || grep -qx "$package" "$FAKE_STATE/installed" 2>/dev/null; then
    printf 'install ok installed'
else
    exit 1
fi
STAND_IN
cat >"$stand_ins/dpkg" <<'STAND_IN'
#!/bin/sh
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
STAND_IN
printf '#!/bin/sh\n[ "$1" = -u ] && echo 0 || echo root\n' >"$stand_ins/id"
printf '#!/bin/sh\nprintf "C\\nja_JP.utf8\\n"\n' >"$stand_ins/locale"
chmod +x "$stand_ins"/*

# name | failed updates | plain install | install -t | exit | apt-get calls | a line of the output
cases=(
    "mirror mid-sync, main archive installs|9|fail|ok|0|update update update install install-t:$codename install install-t:$codename|installing again from $codename's main archive (apt-get install -t $codename)"
    "mirror mid-sync, main archive fails too|9|fail|fail|1|update update update install install-t:$codename|could not install .*: a package list could not be read.*run this command again"
    "mirror back at the second update|1|ok|fail|0|update update install install|trying again in 0 s"
    "every list read, install fails|0|fail|ok|1|update install|apt-get could not install .*put right what it names"
    "everything installed already|0|fail|fail|0||"
)
failures=0
for row in "${cases[@]}"; do
    IFS='|' read -r name fails install install_t want_exit want_calls want_line <<<"$row"
    export FAKE_STATE="$work/$RANDOM$RANDOM"
    mkdir "$FAKE_STATE"
    echo "$fails" >"$FAKE_STATE/update-fails"
    : >"$FAKE_STATE/calls"
    status=0
    FAKE_INSTALL="$install" FAKE_INSTALL_T="$install_t" FAKE_ALL_INSTALLED=$([ -z "$want_calls" ] && echo 1 || echo 0) \
        VELMORA_FORCE_64BIT=1 VELMORA_APT_RETRY_PAUSE=0 PATH="$stand_ins:$PATH" \
        bash "$root/scripts/setup.sh" >"$FAKE_STATE/out" 2>&1 || status=$?
    calls="$(tr '\n' ' ' <"$FAKE_STATE/calls" | sed 's/ $//')"
    problem=""
    [ "$status" = "$want_exit" ] || problem+=" exit $status, expected $want_exit;"
    [ "$calls" = "$want_calls" ] || problem+=" apt-get calls [$calls], expected [$want_calls];"
    if [ -n "$want_line" ] && ! grep -q -- "$want_line" "$FAKE_STATE/out"; then
        problem+=" no line matching [$want_line];"
    fi
    # A failed set-up ends with the one line that says what to do.
    if [ "$want_exit" != 0 ] && ! tail -n 1 "$FAKE_STATE/out" | grep -q "run this command again"; then
        problem+=" the last line does not say what to do;"
    fi
    if [ -n "$problem" ]; then
        echo "FAIL: $name:$problem"
        sed 's/^/    /' "$FAKE_STATE/out"
        failures=$((failures + 1))
    else
        echo "ok: $name"
    fi
done
[ "$failures" = 0 ]
