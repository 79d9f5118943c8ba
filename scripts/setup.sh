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
    update_package_lists
    apt_install "${missing[@]}" && return 0
    # A mirror caught mid-sync can leave one index unreadable (seen: bookworm-security's
    # i386 list). The install then finds amd64 libraries at security versions whose i386
    # twins exist only in the main archive, and a multi-arch pair must share a version.
    # Preferring the main archive keeps both architectures on one version.
    local codename
    codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
    if [ "$lists_complete" = 0 ] && [ -n "$codename" ]; then
        echo "setup.sh: the install failed with a package list missing; installing again from $codename's main archive (apt-get install -t $codename)" >&2
        apt_install -t "$codename" "${missing[@]}" && return 0
    fi
    if [ "$lists_complete" = 0 ]; then
        echo "setup.sh: could not install ${missing[*]}: a package list could not be read" \
             "(apt's messages above; 'Mirror sync in progress?' means the mirror is being updated);" \
             "wait a while, an hour at most, and run this command again" >&2
    else
        echo "setup.sh: apt-get could not install ${missing[*]} (its messages are above);" \
             "put right what it names and run this command again" >&2
    fi
    exit 1
}

apt_install() {
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$@" >&2
}

# Reads the package lists once per set-up. A mirror in the middle of a sync serves an
# index of the wrong size for a while, so a failed update is tried again after a pause;
# lists_complete says whether every index was read in the end.
lists_read=0
lists_complete=1
update_package_lists() {
    [ "$lists_read" = 1 ] && return 0
    lists_read=1
    local attempt pause="${VELMORA_APT_RETRY_PAUSE:-15}"
    for attempt in 1 2 3; do
        DEBIAN_FRONTEND=noninteractive apt-get update -q >&2 && return 0
        [ "$attempt" = 3 ] && break
        echo "setup.sh: apt-get update failed (attempt $attempt of 3); trying again in $pause s" >&2
        sleep "$pause"
    done
    echo "setup.sh: some package lists could not be read; going on with those that were" >&2
    lists_complete=0
}

install_missing "${packages[@]}"
# Where the kernel cannot run 32-bit programs (or VELMORA_FORCE_64BIT=1), the tests run the
# 64-bit build under 64-bit Wine (scripts/build.sh).
if ! runs_32bit_programs; then
    install_missing g++-mingw-w64-x86-64 wine64
fi
make_japanese_locale
