#!/usr/bin/env bash
# Builds the release package <build>/velmora-<version>-win32.zip: velmora.exe, Readme.txt,
# alarm.wav, second.wav and LICENSE.txt, flat, ready to unzip into an empty folder.
#
#   bash scripts/release.sh                     # build folder build-release
#   BUILD_DIR=other bash scripts/release.sh
#   VELMORA_TOOLCHAIN=cmake/toolchain-i686-mingw-clang.cmake bash scripts/release.sh
#
# The version is the project VERSION of CMakeLists.txt. File times in the zip are those of
# the last commit and velmora.exe carries no link time, so two packages of one commit are
# byte-identical (scripts/check-release.sh checks it).
# scripts/check-release.sh then proves that the package runs from an empty folder.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/project.sh"
bash "$here/setup.sh"
build_folder build-release
toolchain="${VELMORA_TOOLCHAIN:-cmake/toolchain-i686-mingw.cmake}"
case "$toolchain" in
    /*) ;;
    *) toolchain="$root/$toolchain" ;;
esac

configure_build "$toolchain"
cmake --build "$BUILD" --target velmora -j2

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"
if [ -z "$version" ]; then
    echo "release.sh: no project version in $BUILD/CMakeCache.txt" >&2
    exit 1
fi
bin="$BUILD/bin"
for f in velmora.exe Readme.txt alarm.wav second.wav; do
    if [ ! -f "$bin/$f" ]; then
        echo "release.sh: $bin/$f is missing" >&2
        exit 1
    fi
done

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp "$bin/velmora.exe" "$bin/Readme.txt" "$bin/alarm.wav" "$bin/second.wav" "$stage/"
# Symbols are of no use to the user and make up a third of the file. strip writes the PE
# header anew with the current time unless SOURCE_DATE_EPOCH names one: 0, as the linker left
# it, so the checksum is fixed too.
SOURCE_DATE_EPOCH=0 i686-w64-mingw32-strip --strip-all "$stage/velmora.exe"
# Notepad of older Windows shows a file with bare LF line ends as one line.
sed 's/\r$//; s/$/\r/' LICENSE >"$stage/LICENSE.txt"

stamp="$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)"
touch -d "@$stamp" "$stage"/*

zip="$BUILD/velmora-$version-win32.zip"
rm -f "$zip"
(cd "$stage" && TZ=UTC zip -X -q "$zip" velmora.exe Readme.txt alarm.wav second.wav LICENSE.txt)
unzip -l "$zip"
echo "$zip"
