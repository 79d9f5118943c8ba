#!/usr/bin/env bash
# Installs everything needed to build Velmora and run its tests on Debian 12.
# Safe to run again: it returns at once when every package is already there.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/project.sh"

packages=(
    cmake make g++-mingw-w64-i686
    wine wine32:i386 fonts-wine fonts-ipafont-gothic
    xvfb x11-utils xdotool imagemagick xcompmgr openbox
    pulseaudio pulseaudio-utils sox
    googletest zip python3
    clang lld unzip
    gcc-multilib locales
)

is_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Wine can make a file or folder with a Japanese name only when glibc has a
# UTF-8 Japanese locale.
has_japanese_locale() {
    locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'
}

make_japanese_locale() {
    has_japanese_locale && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup.sh: the ja_JP.UTF-8 locale is missing; run as root to make it" >&2
        exit 1
    fi
    grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >&2
}

# install_missing <package...>: installs those that are not installed yet.
install_missing() {
    local p missing=()
    for p in "$@"; do
        is_installed "$p" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup.sh: missing packages: ${missing[*]}; run as root to install them" >&2
        exit 1
    fi
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    echo "setup.sh: installing ${missing[*]}" >&2
    DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" >&2
}

install_missing "${packages[@]}"
# Where the kernel cannot run 32-bit programs, the tests run the 64-bit build under
# 64-bit Wine (scripts/build.sh).
if ! runs_32bit_programs; then
    install_missing g++-mingw-w64-x86-64 wine64
fi
make_japanese_locale
