#!/usr/bin/env bash
# Builds the fuzz targets of bench/fuzz with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer; build/fuzz) and runs each over its seed corpus.
#
#   tools/fuzz.sh                   each target for a fixed number of runs (the test command's step)
#   tools/fuzz.sh --seconds 600     each target for ten minutes instead, for a deeper look
#   tools/fuzz.sh --runs N [NAME...]    N runs each, of the targets named (all by default)
#
# What a run finds beside the committed seeds goes to a scratch corpus under
# build/fuzz/work, made afresh for each run. A crash, a sanitizer's report or a property that fails stops that
# target; the command names the target and the input file (kept under
# build/fuzz/findings/NAME) and fails after the other targets ran. One line a target
# gives the inputs it ran and how many a second.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
limit=(-runs=20000)
jobs=${SKITTERA_JOBS:-$(nproc)}
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) limit=(-max_total_time="$2"); shift 2 ;;
    --runs) limit=(-runs="$2"); shift 2 ;;
    *) break ;;
    esac
done
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(StoredSettings DayRecord Edid MonitorOverride LogonEntry HistoryCsv HistoryImport TextFormat
        HistorySummary)
fi

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DSKITTERA_FUZZ=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/fuzz -j "$jobs" --target fuzz_targets >/dev/null

failed=0
for name in "${targets[@]}"; do
    program="build/fuzz/bench/fuzz/fuzz_$name"
    seeds="bench/fuzz/corpus/$name"
    work="build/fuzz/work/$name"
    findings="build/fuzz/findings/$name"
    log="build/fuzz/findings/$name.log"
    if [ ! -x "$program" ] || [ ! -d "$seeds" ]; then
        echo "fuzz $name: no such target" >&2
        exit 2
    fi
    rm -rf "$findings" "$work"
    mkdir -p "$work" "$findings"
    # The seed corpus is read, never written: new inputs go to a fresh scratch corpus.
    # The same seed every time, so that a run of the test command is the same run.
    started=$(date +%s.%N)
    if "$program" "${limit[@]}" -seed=1 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "$seeds" >"$log" 2>&1; then
        awk -v name="$name" -v started="$started" -v ended="$(date +%s.%N)" \
            '/^stat::number_of_executed_units/ { runs = $2 }
            END { seconds = ended - started; printf "fuzz %s: %d inputs in %.1f s, %d a second, no failure\n", name, runs, seconds, runs / seconds }' "$log"
    else
        # The input that stopped the run; slow ones are only noted beside it.
        input=$(find "$findings" -type f ! -name 'slow-unit-*' | head -n 1)
        echo "fuzz $name: FAILED on input ${input:-(none kept)}; the run's log is $log"
        grep -E "property failed|ERROR: |runtime error|SUMMARY" "$log" | head -n 5 || true
        failed=1
    fi
done
exit "$failed"
