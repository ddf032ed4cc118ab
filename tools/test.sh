#!/usr/bin/env bash
# Builds everything and runs every test: the native core suite, the format check,
# the release's same-bytes check (tools/release.sh), clang-tidy (tools/lint.sh), and the
# Windows builds (i686, the release, and x86_64) with their tests under Wine
# on a private Xvfb display. Installs what is missing with apt-get first.
#
#   tools/test.sh            everything
#   SKITTERA_TARGETS="native i686" tools/test.sh    a subset
#   SKITTERA_LINT=0 tools/test.sh    without clang-tidy (about 11 minutes on two cores)
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

# A clean release build in another folder must give the program just built, byte for byte.
case " $targets " in
*" i686 "*) "$top/tools/release.sh" --compare "$top/build/i686/shell/skittera.exe" || failed=1 ;;
esac

if [ "${SKITTERA_LINT:-1}" != 0 ]; then
    echo "== lint"
    "$top/tools/lint.sh" || failed=1
fi

. "$top/tools/wine-env.sh"
results=$(mktemp -d)
cleanup() {
    skittera_wine_stop
    rm -rf "$results"
}
skittera_on_exit cleanup

# Under Wine a test shares the X server and the wineserver with the desktop's own
# timing: a Windows test that fails is run once more, and only a second failure fails
# the run. Every test that needed the second run is listed at the end, with the output
# of its first failure, so that flakiness shows in every log. Prints that list's entries
# for one target from the JUnit files of the two runs.
list_second_runs() {
    python3 - "$@" <<'PYTHON'
import sys
import xml.etree.ElementTree as tree
target, first, second = sys.argv[1:4]
def outcome(path):
    return {case.get("name"): case for case in tree.parse(path).getroot().iter("testcase")}
first_run, second_run = outcome(first), outcome(second)
for name, case in second_run.items():
    if case.get("status") != "run" or name not in first_run:
        continue
    lines = (first_run[name].findtext("system-out") or "").rstrip().splitlines()
    shown = lines[-80:]
    print(f"-- {target} {name}: failed, then passed. The first run's output"
          + (f" (its last {len(shown)} of {len(lines)} lines)" if len(shown) < len(lines) else "") + ":")
    for line in shown:
        print("   " + line)
PYTHON
}

wine_started=0
for target in $targets; do
    echo "== test $target"
    if [ "$target" = native ]; then
        ctest --test-dir "build/$target" --output-on-failure -j "$jobs" --timeout 600 || failed=1
        continue
    fi
    if [ "$wine_started" = 0 ]; then
        skittera_wine_start "$top/build/wine"
        wine_started=1
    fi
    first="$results/$target-first.xml"
    second="$results/$target-second.xml"
    if ! ctest --test-dir "build/$target" --output-on-failure -j "$jobs" --timeout 600 --output-junit "$first"; then
        echo "== test $target: the failed tests once more"
        ctest --test-dir "build/$target" --rerun-failed --output-on-failure -j "$jobs" --timeout 600 \
            --output-junit "$second" || failed=1
        list_second_runs "$target" "$first" "$second" >>"$results/second-runs.txt" ||
            echo "-- $target: the results of the two runs cannot be read" >>"$results/second-runs.txt"
    fi
done

if [ -s "$results/second-runs.txt" ]; then
    echo "== Tests that passed only when run a second time:"
    cat "$results/second-runs.txt"
else
    echo "== No test needed a second run."
fi
exit "$failed"
