#!/usr/bin/env bash
# Builds everything and runs every test: the format check, the native build and both
# Windows builds (x86_64, the release, and i686, the 32-bit release), the release's size
# and same-bytes checks (tools/release.sh), clang-tidy (tools/lint.sh), the native test
# suite and the Windows test programs under Wine on a private Xvfb display. Installs what
# is missing with apt-get first.
#
#   tools/test.sh            everything
#   SKITTERA_TARGETS="native x86_64" tools/test.sh    a subset
#   SKITTERA_LINT=0 tools/test.sh    without clang-tidy
#   SKITTERA_NO_32BIT=1 tools/test.sh    as on a machine that runs no 32-bit programs
#
# Where the machine runs no 32-bit programs, the i686 build is still made and checked,
# but its tests cannot run: the command says so at the start and in its closing lines,
# and passes when everything that could run passed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
targets=${SKITTERA_TARGETS:-"native x86_64 i686"}
jobs=${SKITTERA_JOBS:-$(nproc)}

"$top/tools/install-deps.sh"
. "$top/tools/wine-env.sh"

no_32bit_note=""
if ! skittera_wine32_runs; then
    no_32bit_note="$(skittera_no_wine32_reason) The i686 build is made and checked, but its tests do not run."
    if [[ " $targets " == *" i686 "* ]]; then
        echo "== NOTE: $no_32bit_note"
    fi
fi

results=$(mktemp -d)
cleanup() {
    skittera_wine_stop
    rm -rf "$results"
}
skittera_on_exit cleanup

# What happened to each target, for the closing lines: one line a step.
report() { echo "$2" >>"$results/report-$1"; }

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
    report "$target" "built"
done

# The release's program within its size, and a clean release build in another folder
# giving the programs just built, byte for byte.
windows_targets=""
for target in $targets; do
    case "$target" in
    i686 | x86_64)
        windows_targets="$windows_targets $target"
        if "$top/tools/check-size.sh" "build/$target/shell/skittera.exe" 300K; then
            report "$target" "program size within its limit"
        else
            report "$target" "program size OVER ITS LIMIT"
            failed=1
        fi
        ;;
    esac
done
if [ -n "$windows_targets" ]; then
    # shellcheck disable=SC2086 # the list of targets is meant to be split
    if "$top/tools/release.sh" --compare "$top/build" $windows_targets; then
        for target in $windows_targets; do report "$target" "release zip: same bytes from a clean build"; done
    else
        for target in $windows_targets; do report "$target" "release zip: FAILED (see above)"; done
        failed=1
    fi
fi

if [ "${SKITTERA_LINT:-1}" != 0 ]; then
    echo "== lint"
    if "$top/tools/lint.sh"; then
        report lint "clang-tidy: no findings"
    else
        report lint "clang-tidy: FAILED"
        failed=1
    fi
fi

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

# Counts a target's tests from the JUnit files of its runs: "TOTAL PASSED FAILED SKIPPED
# SECOND" (SKIPPED: not run, as a test that asks to be skipped; SECOND: passed only on the
# second run).
count_tests() {
    python3 - "$@" <<'PYTHON'
import os
import sys
import xml.etree.ElementTree as tree
first, second = sys.argv[1:3]
def outcome(path):
    if not os.path.exists(path):
        return {}
    return {case.get("name"): case.get("status") for case in tree.parse(path).getroot().iter("testcase")}
final = outcome(first)
again = outcome(second)
final.update(again)
passed = sum(1 for status in final.values() if status == "run")
failed = sum(1 for status in final.values() if status == "fail")
print(len(final), passed, failed, len(final) - passed - failed, sum(1 for status in again.values() if status == "run"))
PYTHON
}

wine_started=0
for target in $targets; do
    if [ "$target" = i686 ] && ! skittera_wine32_runs; then
        echo "== test i686: NOT RUN. $(skittera_no_wine32_reason)"
        report i686 "tests: NOT RUN, none of them. $(skittera_no_wine32_reason)"
        continue
    fi
    echo "== test $target"
    first="$results/$target-first.xml"
    second="$results/$target-second.xml"
    if [ "$target" != native ] && [ "$wine_started" = 0 ]; then
        skittera_wine_start "$top/build/wine"
        wine_started=1
    fi
    if ! ctest --test-dir "build/$target" --output-on-failure -j "$jobs" --timeout 600 --output-junit "$first"; then
        if [ "$target" = native ]; then
            failed=1
        else
            echo "== test $target: the failed tests once more"
            ctest --test-dir "build/$target" --rerun-failed --output-on-failure -j "$jobs" --timeout 600 \
                --output-junit "$second" || failed=1
            list_second_runs "$target" "$first" "$second" >>"$results/second-runs.txt" ||
                echo "-- $target: the results of the two runs cannot be read" >>"$results/second-runs.txt"
        fi
    fi
    if counted=$(count_tests "$first" "$second"); then
        read -r total passed failures skipped again <<<"$counted"
        report "$target" "tests: $total in all, $passed passed ($again of them on the second run), $failures failed, $skipped skipped"
        echo "$passed $failures $skipped" >>"$results/counts"
    else
        report "$target" "tests: the results cannot be read"
        failed=1
    fi
done

if [ -s "$results/second-runs.txt" ]; then
    echo "== Tests that passed only when run a second time:"
    cat "$results/second-runs.txt"
else
    echo "== No test needed a second run."
fi

echo "== What ran and what did not"
for target in $targets lint; do
    [ -f "$results/report-$target" ] || continue
    while IFS= read -r line; do
        printf '%-7s %s\n' "$target" "$line"
    done <"$results/report-$target"
done
if [ -n "$no_32bit_note" ] && [[ " $targets " == *" i686 "* ]]; then
    echo "NOTE: $no_32bit_note"
fi
if [ -s "$results/counts" ]; then
    awk '{ passed += $1; failed += $2; skipped += $3 }
        END { printf "%d passed, %d failed, %d skipped\n", passed, failed, skipped }' "$results/counts"
fi
exit "$failed"
