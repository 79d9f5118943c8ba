#!/usr/bin/env bash
# Installs everything needed to build Velmora and run its tests on Debian 12.
# Safe to run again: it returns at once when every package is already there.
set -euo pipefail

packages=(
    cmake make g++-mingw-w64-i686
    wine wine32:i386 fonts-wine fonts-ipafont-gothic
    xvfb x11-utils xdotool imagemagick xcompmgr openbox
    pulseaudio pulseaudio-utils sox
    googletest zip python3
    clang lld unzip
)

is_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do
    is_installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "setup.sh: missing packages: ${missing[*]}; run as root to install them" >&2
    exit 1
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

export DEBIAN_FRONTEND=noninteractive
echo "setup.sh: installing ${missing[*]}" >&2
apt-get update -q >&2
apt-get install -y -q "${missing[@]}" >&2
