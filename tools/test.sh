#!/usr/bin/env bash
# Builds everything and runs every test: the format check, the native build and both
# Windows builds (x86_64, the release, and i686, the 32-bit release), the release's size
# and same-bytes checks (tools/release.sh), clang-tidy (tools/lint.sh), the native test
# suite (its settings suite once more under ThreadSanitizer, and the whole suite under
# AddressSanitizer and UndefinedBehaviorSanitizer), the fuzz targets (tools/fuzz.sh) and
# the Windows test programs under Wine on a private Xvfb display. Installs what is
# missing with apt-get first.
#
#   tools/test.sh            everything
#   SKITTERA_TARGETS="native x86_64" tools/test.sh    a subset
#   SKITTERA_LINT=0 tools/test.sh    without clang-tidy
#   SKITTERA_SANITIZE=0, SKITTERA_FUZZ=0    without the sanitized native suite, without the fuzz targets
#   SKITTERA_NO_32BIT=1 tools/test.sh    as on a machine that runs no 32-bit programs
#
# Where the machine runs no 32-bit programs, the i686 build is still made and checked,
# but its tests cannot run: the command says so at the start and in its closing lines,
# and passes when everything that could run passed.
#
# The steps are the functions of tools/test-steps.sh; tools/junit.py reads CTest's JUnit
# files for the counts and the list of tests that passed only on a second run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
targets=${SKITTERA_TARGETS:-"native x86_64 i686"}
jobs=${SKITTERA_JOBS:-$(nproc)}

"$top/tools/install-deps.sh"
# shellcheck source=tools/wine-env.sh
. "$top/tools/wine-env.sh"
# shellcheck source=tools/test-steps.sh
. "$top/tools/test-steps.sh"

no_32bit_note=""
if ! skittera_wine32_runs; then
    no_32bit_note="$(skittera_no_wine32_reason) The i686 build is made and checked, but its tests do not run."
    if [[ " $targets " == *" i686 "* ]]; then
        echo "== NOTE: $no_32bit_note"
    fi
fi

results=$(mktemp -d)
# shellcheck disable=SC2317 # called by the exit trap
cleanup() {
    skittera_wine_stop
    rm -rf "$results"
}
skittera_on_exit cleanup

test_format

failed=0
for target in $targets; do
    test_build "$results" "$target" "$jobs"
done

# shellcheck disable=SC2086 # the list of targets is meant to be split
test_release_checks "$results" $targets || failed=1

if [ "${SKITTERA_LINT:-1}" != 0 ]; then
    test_lint "$results" || failed=1
fi

wine_started=0
for target in $targets; do
    if [ "$target" = i686 ] && ! skittera_wine32_runs; then
        echo "== test i686: NOT RUN. $(skittera_no_wine32_reason)"
        test_note "$results" i686 "tests: NOT RUN, none of them. $(skittera_no_wine32_reason)"
        continue
    fi
    echo "== test $target"
    if [ "$target" != native ] && [ "$wine_started" = 0 ]; then
        skittera_wine_start "$top/build/wine"
        wine_started=1
    fi
    test_target "$results" "$target" "$jobs" || failed=1
    if [ "$target" = native ] && [ "${SKITTERA_SANITIZE:-1}" != 0 ]; then
        test_thread_sanitizer "$results" "$jobs" || failed=1
        test_sanitized "$results" "$jobs" || failed=1
    fi
done

if [[ " $targets " == *" native "* ]] && [ "${SKITTERA_FUZZ:-1}" != 0 ]; then
    test_fuzz "$results" || failed=1
fi

# The closing lines repeat the note only when the i686 tests were asked for.
[[ " $targets " == *" i686 "* ]] || no_32bit_note=""
# shellcheck disable=SC2086 # the list of targets is meant to be split
test_closing_lines "$results" "$no_32bit_note" $targets
exit "$failed"
