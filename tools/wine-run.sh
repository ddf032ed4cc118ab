#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest and passes on its output and exit code.
# The prefix, display and wineserver come from tools/test.sh (tools/wine-env.sh); run
# alone, it sets up its own in the build folder and ends them again.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tools/wine-env.sh
. "$here/wine-env.sh"

own_session=0
if [ -z "${SKITTERA_WINE_READY:-}" ]; then
    skittera_wine_start "${SKITTERA_WINE_ROOT:-$here/../build/wine}" || exit 1
    own_session=1
fi

program=$1
shift
case "$program" in
*.exe) ;;
*) [ -f "$program.exe" ] && program="$program.exe" ;;
esac

work=$(mktemp -d)
# Output to files: see skittera_quiet_wine. A test that hangs is ended by CTest's timeout.
wine "$program" "$@" >"$work/out" 2>"$work/err" </dev/null
code=$?
cat "$work/out"
cat "$work/err" >&2
rm -rf "$work"
[ "$own_session" = 1 ] && skittera_wine_stop
exit "$code"
