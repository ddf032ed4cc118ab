#!/usr/bin/env bash
# Makes the release from a clean 32-bit build: build/release/Skittera-<version>.zip with
# skittera.exe, README.txt (Italian and English, from docs/release-readme.txt) and
# LICENSE.txt, and prints the zip's SHA-256.
#
#   tools/release.sh                 the zip
#   tools/release.sh --compare EXE   the zip, then fail unless its program has the same bytes
#                                    as EXE (another build of the same sources, in another
#                                    folder at another time) and packing again gives the same zip
#
# The same commit gives the same bytes: the program is linked without a time stamp (the
# packer refuses one that has any), and the zip's entries are in a fixed order with fixed
# attributes and the commit's date (SOURCE_DATE_EPOCH, when set, instead).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
compare=""
case "${1:-}" in
"") ;;
--compare) compare=${2:?"--compare needs the program to compare with"} ;;
*) echo "usage: tools/release.sh [--compare EXE]" >&2; exit 2 ;;
esac

"$top/tools/install-deps.sh"
out="$top/build/release"
build="$out/i686"
echo "== release build in $build"
rm -rf "$build"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j "${SKITTERA_JOBS:-$(nproc)}" --target skittera >/dev/null

version=$(sed -n 's/^#define SKITTERA_VERSION_TEXT "\(.*\)"$/\1/p' "$build/resources/version.h")
[ -n "$version" ] || { echo "release: no version in $build/resources/version.h" >&2; exit 1; }
date=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || echo 0)}
zip="$out/Skittera-$version.zip"
pack() {
    python3 "$top/tools/release.py" pack --exe "$build/shell/skittera.exe" --version "$version" \
        --readme "$top/docs/release-readme.txt" --licence "$top/LICENSE" --date "$date" --out "$1"
}
rm -f "$zip"
pack "$zip"

if [ -n "$compare" ]; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    cmp "$build/shell/skittera.exe" "$compare" ||
        { echo "release: $build/shell/skittera.exe and $compare differ" >&2; exit 1; }
    pack "$scratch/again.zip"
    cmp "$zip" "$scratch/again.zip" || { echo "release: packing again gave another zip" >&2; exit 1; }
    echo "== same bytes as $compare, and the same zip when packed again"
fi

echo "== $zip"
sha256sum "$zip" | sed "s|$out/||"
