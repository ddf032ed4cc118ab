# shellcheck shell=bash
# The steps of tools/test.sh, one function each; sourcing this file only defines them.
# They run in the checkout's top folder, and keep what happened to each target, for the
# closing lines, in the run's record folder RECORD:
#   RECORD/report-TARGET    one line a step ("lint" for clang-tidy)
#   RECORD/second-runs.txt  the tests that passed only on their second run
#   RECORD/counts           "PASSED FAILED SKIPPED", one line a target whose tests ran
# A check that fails makes its step return 1 after noting it; a step that cannot go on
# (a build that fails) returns the failing command's status.

# test_note RECORD TARGET LINE: one line of what happened to TARGET.
test_note() {
    echo "$3" >>"$1/report-$2"
}

# test_format: the C++ sources in the committed .clang-format style.
test_format() {
    echo "== format check"
    "$PWD/tools/check-format.sh"
}

# test_build RECORD TARGET JOBS: configures and builds build/TARGET; an unknown target
# ends the run with status 2.
test_build() {
    local record=$1 target=$2 jobs=$3
    echo "== build $target"
    case "$target" in
    native) cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null || return ;;
    i686 | x86_64)
        cmake -S . -B "build/$target" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-$target.cmake" >/dev/null || return
        ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
    esac
    cmake --build "build/$target" -j "$jobs" || return
    test_note "$record" "$target" "built"
}

# test_sanitized RECORD JOBS: the native build once more with AddressSanitizer and
# UndefinedBehaviorSanitizer (build/sanitize) and its tests; what it finds fails them.
test_sanitized() {
    local record=$1 jobs=$2
    echo "== build and test native under AddressSanitizer and UndefinedBehaviorSanitizer"
    if cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKITTERA_SANITIZE=ON >/dev/null &&
        cmake --build build/sanitize -j "$jobs" >/dev/null &&
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            ctest --test-dir build/sanitize --output-on-failure -j "$jobs" --timeout 600; then
        test_note "$record" native "tests under the sanitizers: passed"
    else
        test_note "$record" native "tests under the sanitizers: FAILED (see above)"
        return 1
    fi
}

# test_fuzz RECORD: every fuzz target of bench/fuzz for its fixed number of runs
# (tools/fuzz.sh); a failure names the target and the input.
test_fuzz() {
    local record=$1 output
    echo "== fuzz"
    if output=$("$PWD/tools/fuzz.sh" 2>&1); then
        echo "$output"
        test_note "$record" fuzz "$(grep -c '^fuzz .*no failure' <<<"$output") targets, no failure"
    else
        echo "$output"
        while IFS= read -r line; do
            test_note "$record" fuzz "$line"
        done < <(grep -E '^fuzz .*FAILED|^fuzz .*no such' <<<"$output")
        [ -s "$record/report-fuzz" ] || test_note "$record" fuzz "FAILED (see above)"
        return 1
    fi
}

# test_release_checks RECORD TARGET...: of the Windows targets among TARGET..., the
# release's program within its size, and a clean release build in another folder giving
# the programs just built, byte for byte.
test_release_checks() {
    local record=$1 target status=0
    local windows_targets=()
    shift
    for target in "$@"; do
        case "$target" in
        i686 | x86_64)
            windows_targets+=("$target")
            if "$PWD/tools/check-size.sh" "build/$target/shell/skittera.exe" 300K; then
                test_note "$record" "$target" "program size within its limit"
            else
                test_note "$record" "$target" "program size OVER ITS LIMIT"
                status=1
            fi
            ;;
        esac
    done
    [ ${#windows_targets[@]} -gt 0 ] || return "$status"
    if "$PWD/tools/release.sh" --compare "$PWD/build" "${windows_targets[@]}"; then
        for target in "${windows_targets[@]}"; do
            test_note "$record" "$target" "release zip: same bytes from a clean build"
        done
    else
        for target in "${windows_targets[@]}"; do test_note "$record" "$target" "release zip: FAILED (see above)"; done
        status=1
    fi
    return "$status"
}

# test_lint RECORD: clang-tidy over every C++ source (tools/lint.sh).
test_lint() {
    echo "== lint"
    if "$PWD/tools/lint.sh"; then
        test_note "$1" lint "clang-tidy: no findings"
    else
        test_note "$1" lint "clang-tidy: FAILED"
        return 1
    fi
}

# test_thread_sanitizer RECORD JOBS: the settings suite built with clang's ThreadSanitizer
# in build/tsan (a native build of its own, that target only) and run: the history's
# read-ahead reads the record on a thread while the main thread saves, and a race
# between them fails the suite. Noted with the native target.
test_thread_sanitizer() {
    local record=$1 jobs=$2
    echo "== settings tests under ThreadSanitizer"
    if ! cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        "-DCMAKE_CXX_FLAGS=-fsanitize=thread -O1 -g" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread" >/dev/null ||
        ! cmake --build build/tsan -j "$jobs" --target settings_tests >/dev/null; then
        test_note "$record" native "settings tests under ThreadSanitizer: NOT BUILT"
        return 1
    fi
    if TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" build/tsan/tests/settings/settings_tests --gtest_brief=1; then
        test_note "$record" native "settings tests under ThreadSanitizer: passed, no race"
    else
        test_note "$record" native "settings tests under ThreadSanitizer: FAILED"
        return 1
    fi
}

# test_target RECORD TARGET JOBS: runs the tests of build/TARGET (for a Windows target, in
# the Wine session already started) and counts them.
#
# Under Wine a test shares the X server and the wineserver with the desktop's own
# timing: a Windows test that fails is run once more, and only a second failure fails
# the run. Every test that needed the second run goes into the record's list, with the
# output of its first failure, so that flakiness shows in every log.
test_target() {
    local record=$1 target=$2 jobs=$3 status=0
    local first="$record/$target-first.xml" second="$record/$target-second.xml"
    local junit="$PWD/tools/junit.py" counted total passed failures skipped again
    if ! ctest --test-dir "build/$target" --output-on-failure -j "$jobs" --timeout 600 --output-junit "$first"; then
        if [ "$target" = native ]; then
            status=1
        else
            echo "== test $target: the failed tests once more"
            ctest --test-dir "build/$target" --rerun-failed --output-on-failure -j "$jobs" --timeout 600 \
                --output-junit "$second" || status=1
            python3 "$junit" second-runs "$target" "$first" "$second" >>"$record/second-runs.txt" ||
                echo "-- $target: the results of the two runs cannot be read" >>"$record/second-runs.txt"
        fi
    fi
    if counted=$(python3 "$junit" count "$first" "$second"); then
        read -r total passed failures skipped again <<<"$counted"
        test_note "$record" "$target" \
            "tests: $total in all, $passed passed ($again of them on the second run), $failures failed, $skipped skipped"
        echo "$passed $failures $skipped" >>"$record/counts"
    else
        test_note "$record" "$target" "tests: the results cannot be read"
        status=1
    fi
    return "$status"
}

# test_closing_lines RECORD NOTE TARGET...: the tests that needed a second run, what ran
# and what did not for each target and for lint, NOTE (when not empty) and the counts
# over all the tests that ran.
test_closing_lines() {
    local record=$1 note=$2 target line
    shift 2
    if [ -s "$record/second-runs.txt" ]; then
        echo "== Tests that passed only when run a second time:"
        cat "$record/second-runs.txt"
    else
        echo "== No test needed a second run."
    fi

    echo "== What ran and what did not"
    for target in "$@" fuzz lint; do
        [ -f "$record/report-$target" ] || continue
        while IFS= read -r line; do
            printf '%-7s %s\n' "$target" "$line"
        done <"$record/report-$target"
    done
    if [ -n "$note" ]; then
        echo "NOTE: $note"
    fi
    if [ -s "$record/counts" ]; then
        awk '{ passed += $1; failed += $2; skipped += $3 }
            END { printf "%d passed, %d failed, %d skipped\n", passed, failed, skipped }' "$record/counts"
    fi
}
