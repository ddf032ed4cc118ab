#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest and passes on its output and exit code.
# The prefix, display and wineserver come from tools/test.sh (tools/wine-env.sh); run
# alone, it sets up its own in the build folder and ends them again.
#
# The program gets SKITTERA_TIME_LIMIT seconds (570: inside the 600 s that tools/test.sh
# gives CTest tests), then it is ended here and the test fails, before CTest's own
# time-out could kill this script with no chance to clean up.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tools/wine-env.sh
. "$here/wine-env.sh"

own_session=0
work=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "$work" ] && rm -rf "$work"
    [ "$own_session" = 1 ] && skittera_wine_stop
}
skittera_on_exit cleanup

if [ -z "${SKITTERA_WINE_READY:-}" ]; then
    own_session=1
    skittera_wine_start "${SKITTERA_WINE_ROOT:-$here/../build/wine}" || exit 1
fi

program=$1
shift
case "$program" in
*.exe) ;;
*) [ -f "$program.exe" ] && program="$program.exe" ;;
esac

loader=$(skittera_loader_for "$program") || exit 126
work=$(mktemp -d)
limit=${SKITTERA_TIME_LIMIT:-570}
# Output to files: see skittera_quiet_wine. In the background, so that a signal reaches
# the trap at once instead of after the program.
timeout -k 10 "$limit" "$loader" "$program" "$@" >"$work/out" 2>"$work/err" </dev/null &
program_pid=$!
code=0
wait "$program_pid" || code=$?
program_pid=""
cat "$work/out"
cat "$work/err" >&2
[ "$code" = 124 ] && echo "$(basename "$program"): ended after the time limit of $limit s" >&2
exit "$code"
