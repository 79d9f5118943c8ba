# Sourced, not run: sets up the Wine environment for one build folder.
#
#   VELMORA_BUILD_DIR=/path/to/build; source scripts/wine-env.sh
#
# Every build folder has its own prefix (<build>/wineprefix), so several build
# folders can be tested at the same time without sharing a wineserver. The prefix is
# 32-bit, or 64-bit for a 64-bit build (the file <build>/wine-arch, written by CMake).
# DISPLAY is taken from VELMORA_DISPLAY (exported by test.sh for the Xvfb it
# started), else left as it is. PULSE_SERVER points at the null-sink sound
# server that test.sh starts in <build>/pulse, when that server is there.

if [ -z "${VELMORA_BUILD_DIR:-}" ]; then
    echo "wine-env.sh: VELMORA_BUILD_DIR is not set" >&2
    return 1 2>/dev/null || exit 1
fi
VELMORA_BUILD_DIR="$(cd "$VELMORA_BUILD_DIR" && pwd)"
export VELMORA_BUILD_DIR

# VELMORA_WINEPREFIX names another prefix for the same build folder (dpi-test.sh uses one
# per DPI).
export WINEPREFIX="${VELMORA_WINEPREFIX:-$VELMORA_BUILD_DIR/wineprefix}"
export WINEARCH=win32
if [ "$(cat "$VELMORA_BUILD_DIR/wine-arch" 2>/dev/null)" = win64 ]; then
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    wine64_bin="$(cd "$(dirname "${BASH_SOURCE[0]}")/wine64" && pwd)"
    case ":$PATH:" in
        *":$wine64_bin:"*) ;;
        *) export PATH="$wine64_bin:$PATH" ;;
    esac
fi
export WINEDEBUG="${VELMORA_WINEDEBUG:--all}"   # VELMORA_WINEDEBUG=err+all shows Wine's errors
# Wine reads the Japanese locale by itself (code page 932); glibc does not need
# it installed, but bash warns when it is missing, hence the silenced group.
{ export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null

if [ -n "${VELMORA_DISPLAY:-}" ]; then
    export DISPLAY="$VELMORA_DISPLAY"
fi

# The sound server's socket path: test.sh records it, because a long build
# path does not fit into a Unix socket name and then lives under /tmp instead.
if [ -z "${VELMORA_PULSE_SOCKET:-}" ] && [ -f "$VELMORA_BUILD_DIR/pulse/socket-path" ]; then
    VELMORA_PULSE_SOCKET="$(cat "$VELMORA_BUILD_DIR/pulse/socket-path")"
fi
if [ -n "${VELMORA_PULSE_SOCKET:-}" ] && [ -S "$VELMORA_PULSE_SOCKET" ]; then
    export PULSE_SERVER="unix:$VELMORA_PULSE_SOCKET"
fi
