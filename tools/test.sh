#!/usr/bin/env bash
# Builds everything and runs every test: the native core suite, the format check,
# clang-tidy (tools/lint.sh), the release's same-bytes check (tools/release.sh), and the
# Windows builds (i686, the release, and x86_64) with their tests under Wine
# on a private Xvfb display. Installs what is missing with apt-get first.
#
#   tools/test.sh            everything
#   SKITTERA_TARGETS="native i686" tools/test.sh    a subset
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
targets=${SKITTERA_TARGETS:-"native i686 x86_64"}
jobs=${SKITTERA_JOBS:-$(nproc)}

"$top/tools/install-deps.sh"

echo "== format check"
"$top/tools/check-format.sh"

failed=0
for target in $targets; do
    echo "== build $target"
    case "$target" in
    native) cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null ;;
    i686 | x86_64)
        cmake -S . -B "build/$target" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$target.cmake" >/dev/null
        ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
    esac
    cmake --build "build/$target" -j "$jobs"
done

echo "== lint"
"$top/tools/lint.sh" || failed=1

# A clean release build in another folder must give the program just built, byte for byte.
case " $targets " in
*" i686 "*) "$top/tools/release.sh" --compare "$top/build/i686/shell/skittera.exe" || failed=1 ;;
esac

. "$top/tools/wine-env.sh"
trap skittera_wine_stop EXIT
wine_started=0
for target in $targets; do
    echo "== test $target"
    if [ "$target" != native ] && [ "$wine_started" = 0 ]; then
        skittera_wine_start "$top/build/wine"
        wine_started=1
    fi
    repeat=()
    # Under Wine a test shares the X server and the wineserver with the desktop's own
    # timing; a failure that does not come back on a second run is reported but not fatal.
    [ "$target" != native ] && repeat=(--repeat until-pass:2)
    ctest --test-dir "build/$target" --output-on-failure -j "$jobs" --timeout 600 "${repeat[@]}" || failed=1
done
exit "$failed"
