#!/usr/bin/env bash
# Measures the running program under Wine against an empty Win32 program built the same
# way: CPU time and wake-ups while idle, resident memory, the memory each opening of
# the dialog leaves behind, and the files' sizes. Needs a Windows build first
# (tools/test.sh, or build/x86_64 by hand). SKITTERA_MEASURED_PROGRAM measures another
# skittera.exe (an older build, say) with the same helpers.
#
#   bench/measure_program.sh [BUILD_DIR] [IDLE_SECONDS] [DIALOG_OPENINGS]
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/x86_64}" && pwd)
idle_seconds=${2:-60}
dialog_openings=${3:-400}
empty_program="$build/bench/empty_program.exe"
# shellcheck source=tools/wine-session.sh
. "$top/tools/wine-session.sh"
skittera_session_start measure "${SKITTERA_MEASURED_PROGRAM:-$build/shell/skittera.exe}" \
    "$build/tests/e2e/skittera_probe.exe" "$build/measure"

# The Linux process of a Windows program of this session's prefix.
linux_pid() {
    local entry
    for entry in /proc/[0-9]*; do
        {
            tr '\0' '\n' <"$entry/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" &&
                tr '\0' ' ' <"$entry/cmdline" | grep -qi "$1" &&
                echo "${entry#/proc/}" && return 0
        } 2>/dev/null
    done
    return 1
}

# CPU time in nanoseconds (the scheduler's own count) and voluntary context switches over all
# threads of a process: under Wine every request to the Wine server is one, so they
# count the program's calls into the system as well as its wake-ups.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{sum += $1} END {printf "%.0f", sum}'; }
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {sum += $2} END {print sum}'; }
resident_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }

# Prints "cpu-µs waits rss-KiB" for a process left alone for the idle period.
measure_idle() {
    local pid=$1 cpu wakes
    sleep 5
    cpu=$(cpu_ns "$pid")
    wakes=$(wakeups "$pid")
    sleep "$idle_seconds"
    echo "$((($(cpu_ns "$pid") - cpu) / 1000)) $(($(wakeups "$pid") - wakes)) $(resident_kb "$pid")"
}

park_pointer 300 300
start_program
wait_until_counting
pid=$(linux_pid skittera.exe) || fail "cannot find the program's process"
note "program: process $pid, idle for $idle_seconds s"
read -r program_cpu program_wakeups program_rss <<<"$(measure_idle "$pid")"

# The dialog opened by the tray icon's double click, the pointer moved a little and the
# dialog closed, round after round; the resident memory every hundred rounds, after ten
# rounds that load what any first opening loads.
probe dialog-rounds 10 >/dev/null || fail "cannot open and close the dialog: $(cat "$work/probe.out")"
dialog_rss=$(resident_kb "$pid")
dialog_start=$dialog_rss
note "program: $dialog_openings openings of the dialog"
for ((done_rounds = 0; done_rounds < dialog_openings; done_rounds += 100)); do
    rounds=$((dialog_openings - done_rounds < 100 ? dialog_openings - done_rounds : 100))
    probe dialog-rounds "$rounds" >/dev/null || fail "cannot open and close the dialog: $(cat "$work/probe.out")"
    dialog_rss="$dialog_rss $(resident_kb "$pid")"
done
dialog_growth=$(awk -v start="$dialog_start" -v end="${dialog_rss##* }" -v n="$dialog_openings" \
    'BEGIN {printf "%.1f", (n > 0 ? (end - start) / n : 0)}')
probe post close >/dev/null
wait_program 15

skittera_exec_wine "$empty_program" >"$work/empty.out" 2>&1 </dev/null &
program_pid=$! # ended by the session's clean-up if this script stops early
sleep 2
pid=$(linux_pid empty_program.exe) || fail "cannot find the empty program's process"
note "empty program: process $pid, idle for $idle_seconds s"
read -r empty_cpu empty_wakeups empty_rss <<<"$(measure_idle "$pid")"
kill "$pid" 2>/dev/null
wait_program 15

printf '%-28s %12s %14s\n' "" "skittera.exe" "empty program"
printf '%-28s %12s %14s\n' "CPU time idle, µs" "$program_cpu" "$empty_cpu"
printf '%-28s %12s %14s\n' "blocking waits idle" "$program_wakeups" "$empty_wakeups"
printf '%-28s %12s %14s\n' "resident memory, KiB" "$program_rss" "$empty_rss"
echo "resident memory over $dialog_openings openings of the dialog, KiB (every 100): $dialog_rss"
echo "growth per opening of the dialog: $dialog_growth KiB"
printf '%-28s %12s %14s\n' "file size, bytes" "$(stat -c %s "$program")" "$(stat -c %s "$empty_program")"
echo "DLLs the program imports: $(x86_64-w64-mingw32-objdump -p "$program" | awk '/DLL Name/ {printf "%s ", $3}')"
session_passed=1
