#!/usr/bin/env bash
# Makes the release zips from clean builds, each with skittera.exe, README.txt (Italian and
# English, from docs/release-readme.txt) and LICENSE.txt, and prints their SHA-256:
#   build/release/Skittera-<version>.zip        the 64-bit program (x86_64): the release
#   build/release/Skittera-<version>-32bit.zip  the 32-bit program (i686), for 32-bit Windows
#
#   tools/release.sh [TARGET...]                       the zips (default: x86_64 i686)
#   tools/release.sh --compare BUILD-ROOT [TARGET...]  the zips, then fail unless each program
#                                    has the same bytes as BUILD-ROOT/TARGET/shell/skittera.exe
#                                    (another build of the same sources, in another folder at
#                                    another time) and packing again gives the same zip
#
# The same commit gives the same bytes: the program is linked without a time stamp (the
# packer refuses one that has any), and the zip's entries are in a fixed order with fixed
# attributes and the commit's date (SOURCE_DATE_EPOCH, when set, instead).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
compare=""
if [ "${1:-}" = --compare ]; then
    compare=${2:?"--compare needs the build folder whose programs to compare with"}
    shift 2
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(x86_64 i686)
for target in "${targets[@]}"; do
    case "$target" in
    x86_64 | i686) ;;
    *) echo "usage: tools/release.sh [--compare BUILD-ROOT] [x86_64|i686 ...]" >&2; exit 2 ;;
    esac
done

"$top/tools/install-deps.sh"
out="$top/build/release"
date=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || echo 0)}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

zip_name() {
    case "$1" in
    x86_64) echo "Skittera-$2.zip" ;;
    i686) echo "Skittera-$2-32bit.zip" ;;
    esac
}

# The clean builds run side by side: each is mostly one compiler at a time.
for target in "${targets[@]}"; do
    build="$out/$target"
    rm -rf "$build"
    (
        cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$target.cmake" &&
            cmake --build "$build" -j "${SKITTERA_JOBS:-$(nproc)}" --target skittera
    ) >"$scratch/$target.log" 2>&1 &
    echo "$!" >"$scratch/$target.pid"
done
for target in "${targets[@]}"; do
    echo "== release build in $out/$target"
    wait "$(cat "$scratch/$target.pid")" || { cat "$scratch/$target.log" >&2; exit 1; }
done

for target in "${targets[@]}"; do
    build="$out/$target"
    version=$(sed -n 's/^#define SKITTERA_VERSION_TEXT "\(.*\)"$/\1/p' "$build/resources/version.h")
    [ -n "$version" ] || { echo "release: no version in $build/resources/version.h" >&2; exit 1; }
    zip="$out/$(zip_name "$target" "$version")"
    pack() {
        python3 "$top/tools/release.py" pack --exe "$build/shell/skittera.exe" --version "$version" \
            --readme "$top/docs/release-readme.txt" --licence "$top/LICENSE" --date "$date" --out "$1"
    }
    rm -f "$zip"
    pack "$zip"

    if [ -n "$compare" ]; then
        cmp "$build/shell/skittera.exe" "$compare/$target/shell/skittera.exe" ||
            { echo "release: $build/shell/skittera.exe and $compare/$target/shell/skittera.exe differ" >&2; exit 1; }
        pack "$scratch/again.zip"
        cmp "$zip" "$scratch/again.zip" || { echo "release: packing $zip again gave another zip" >&2; exit 1; }
        echo "== $target: same bytes as $compare/$target/shell/skittera.exe, and the same zip when packed again"
    fi
    echo "== $zip"
    sha256sum "$zip" | sed "s|$out/||"
done
