#!/usr/bin/env bash
# Creates the Wine prefix of a build folder once: prepare-wine.sh <build>
# The prefix gets one 1024x768 virtual desktop named Default (every program
# then runs inside it, with frames drawn by Wine, a taskbar and a tray) and the
# Marlett font for caption buttons. A stamp file marks a finished prefix.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: prepare-wine.sh <build folder>" >&2
    exit 2
fi
mkdir -p "$1"
VELMORA_BUILD_DIR="$1"
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# Wine runs the 32-bit program in a 32-bit Linux process. A kernel with its 32-bit support
# turned off (its log then says "32-bit emulation disabled") cannot start one, and no test
# can run on that machine.
if ! wine --version </dev/null >/dev/null 2>&1; then
    echo "prepare-wine.sh: this machine cannot run 32-bit programs, so Wine cannot start" \
         "(a 32-bit program fails with \"Exec format error\"; the kernel's 32-bit support is off)" >&2
    exit 1
fi

stamp="$WINEPREFIX/.velmora-prepared-2"
[ -f "$stamp" ] && exit 0

exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$stamp" ] && exit 0

# A prefix without the stamp was left half made: start again.
if [ -d "$WINEPREFIX" ]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
fi

echo "prepare-wine.sh: creating $WINEPREFIX" >&2
# No .NET or HTML engine: their installers would ask for downloads.
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f \
    </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f \
    </dev/null >/dev/null 2>&1
# No crash debugger: a program that crashes must end, with an exit code that says so,
# instead of staying in place with its windows under the debugger.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
    /t REG_SZ /d '' /f </dev/null >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
# Ending the server writes the registry out; the desktop applies from now on.
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -w </dev/null >/dev/null 2>&1 || true

if ! grep -q '"Desktop"="Default"' "$WINEPREFIX/user.reg"; then
    echo "prepare-wine.sh: the virtual desktop setting did not reach the registry" >&2
    exit 1
fi
if ! grep -A3 -F '[Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]' \
        "$WINEPREFIX/system.reg" | grep -q '^"Debugger"=""'; then
    echo "prepare-wine.sh: the crash debugger is still set" >&2
    exit 1
fi
touch "$stamp"
