#!/usr/bin/env bash
# Makes the release from clean builds and prints the SHA-256 of what it made:
#   build/release/Skittera-<version>.zip        the 64-bit program (x86_64): the release
#   build/release/Skittera-<version>-32bit.zip  the 32-bit program (i686), for 32-bit Windows
#   build/release/Skittera-<version>-setup.exe  the setup of the 64-bit program, for the user alone
#   build/release/winget/                       the winget manifests of that setup
# Each zip holds skittera.exe, README.txt (Italian and English, from docs/release-readme.txt)
# and LICENSE.txt; the setup is made from packaging/skittera.nsi.
#
#   tools/release.sh [TARGET...]                       the release (default: x86_64 i686)
#   tools/release.sh --compare BUILD-ROOT [TARGET...]  the release, then fail unless each program
#                                    has the same bytes as BUILD-ROOT/TARGET/shell/skittera.exe
#                                    (another build of the same sources, in another folder at
#                                    another time) and packing again gives the same zip and setup
#   tools/release.sh --from BUILD-ROOT --out DIR [TARGET...]
#                                    packs the programs built in BUILD-ROOT/TARGET into DIR
#                                    instead of building afresh (for the release's own tests)
#
# The same commit gives the same bytes: the program is linked without a time stamp (the
# packer refuses one that has any), the zip's entries are in a fixed order with fixed
# attributes and the commit's date (SOURCE_DATE_EPOCH, when set, instead), and the setup
# stores no file times.
#
# Signing: with SKITTERA_SIGN_PFX (a PKCS#12 file) and SKITTERA_SIGN_PASSWORD (its password)
# set, the program in the zips, the setup and the uninstaller inside it are signed with
# osslsigncode, time-stamped by SKITTERA_SIGN_TIMESTAMP_URL when that names an RFC 3161
# server. Unsigned otherwise, the default; with --compare the setup of a signed release is
# not made twice, since signatures differ from one signing to the next.
# SKITTERA_DOWNLOAD_URL is where the setup will be published (its folder), for the winget
# manifests.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
compare=""
from=""
out="$top/build/release"
while [ $# -gt 0 ]; do
    case "$1" in
    --compare) compare=${2:?"--compare needs the build folder whose programs to compare with"}; shift 2 ;;
    --from) from=${2:?"--from needs the build folder whose programs to pack"}; shift 2 ;;
    --out) out=${2:?"--out needs a folder"}; shift 2 ;;
    *) break ;;
    esac
done
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(x86_64 i686)
for target in "${targets[@]}"; do
    case "$target" in
    x86_64 | i686) ;;
    *) echo "usage: tools/release.sh [--compare BUILD-ROOT | --from BUILD-ROOT --out DIR] [x86_64|i686 ...]" >&2; exit 2 ;;
    esac
done
signing=""
if [ -n "${SKITTERA_SIGN_PFX:-}" ]; then
    [ -r "$SKITTERA_SIGN_PFX" ] || { echo "release: cannot read SKITTERA_SIGN_PFX=$SKITTERA_SIGN_PFX" >&2; exit 1; }
    signing=1
fi

mkdir -p "$out"
out=$(cd "$out" && pwd)
date=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || echo 0)}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
release=(python3 "$top/tools/release.py")

zip_name() {
    case "$1" in
    x86_64) echo "Skittera-$2.zip" ;;
    i686) echo "Skittera-$2-32bit.zip" ;;
    esac
}

build_root="$out"
if [ -n "$from" ]; then
    build_root=$(cd "$from" && pwd)
else
    "$top/tools/install-deps.sh"
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
fi

for target in "${targets[@]}"; do
    build="$build_root/$target"
    version=$(sed -n 's/^#define SKITTERA_VERSION_TEXT "\(.*\)"$/\1/p' "$build/resources/version.h")
    [ -n "$version" ] || { echo "release: no version in $build/resources/version.h" >&2; exit 1; }
    exe="$build/shell/skittera.exe"
    if [ -n "$compare" ]; then
        cmp "$exe" "$compare/$target/shell/skittera.exe" ||
            { echo "release: $exe and $compare/$target/shell/skittera.exe differ" >&2; exit 1; }
    fi
    if [ -n "$signing" ]; then
        mkdir -p "$scratch/$target"
        cp "$exe" "$scratch/$target/skittera.exe"
        exe="$scratch/$target/skittera.exe"
        "${release[@]}" sign --in "$exe"
    fi

    zip="$out/$(zip_name "$target" "$version")"
    pack() {
        "${release[@]}" pack --exe "$exe" --version "$version" \
            --readme "$top/docs/release-readme.txt" --licence "$top/LICENSE" --date "$date" --out "$1"
    }
    rm -f "$zip"
    pack "$zip"
    made=("$zip")
    if [ -n "$compare" ]; then
        pack "$scratch/again.zip"
        cmp "$zip" "$scratch/again.zip" || { echo "release: packing $zip again gave another zip" >&2; exit 1; }
    fi

    # The setup installs the 64-bit program: 32-bit Windows takes the 32-bit zip.
    if [ "$target" = x86_64 ]; then
        setup="$out/Skittera-$version-setup.exe"
        make_setup() {
            "${release[@]}" setup --exe "$exe" --version "$version" --licence "$top/LICENSE" \
                --icon "$top/resources/skittera.ico" --date "$date" --out "$1"
        }
        rm -f "$setup"
        make_setup "$setup"
        if [ -n "$compare" ] && [ -z "$signing" ]; then
            make_setup "$scratch/again-setup.exe"
            cmp "$setup" "$scratch/again-setup.exe" ||
                { echo "release: making $setup again gave another setup" >&2; exit 1; }
        fi
        rm -rf "$out/winget"
        "${release[@]}" winget --setup "$setup" --date "$date" --out "$out/winget" \
            --url "${SKITTERA_DOWNLOAD_URL:-https://example.invalid/skittera/$version}"
        "${release[@]}" check-winget --setup "$setup" --manifests "$out/winget"
        made+=("$setup")
        echo "== $out/winget: the winget manifests, read back against $(basename "$setup")"
        [ -n "${SKITTERA_DOWNLOAD_URL:-}" ] ||
            echo "== NOTE: SKITTERA_DOWNLOAD_URL is not set: the manifests name https://example.invalid/ as the setup's address"
    fi
    if [ -n "$compare" ]; then
        echo "== $target: same bytes as $compare/$target/shell/skittera.exe, and the same when packed again"
    fi
    for file in "${made[@]}"; do
        echo "== $file"
        sha256sum "$file" | sed "s|$out/||"
    done
done
