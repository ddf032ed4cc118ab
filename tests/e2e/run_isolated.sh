#!/usr/bin/env bash
# Runs one Windows test program under Wine in a session of its own (tools/wine-session.sh): a fresh
# prefix and display, so that what it does to the registry, the tray and the pointer
# meets no other test. Passes on the program's output and exit code.
#
#   run_isolated.sh NAME PROGRAM.exe PROBE.exe WORKDIR [ARGUMENT...]
set -u
# shellcheck source=tools/wine-session.sh
. "$(dirname "$0")/../../tools/wine-session.sh"
skittera_session_start "$1" "$2" "$3" "$4"
shift 4

# In the background, so that the watchdog's signal reaches the trap at once.
skittera_exec_wine "$program" "$@" >"$work/program.out" 2>"$work/program.err" </dev/null &
program_pid=$!
code=0
wait "$program_pid" || code=$?
program_pid=""
cat "$work/program.out"
cat "$work/program.err" >&2
[ "$code" = 0 ] && session_passed=1
exit "$code"
