#!/usr/bin/env bash
# Takes the screenshot of the properties dialog that the README shows: runs the
# preview program of a Windows build under Wine on a private Xvfb display, grabs the
# screen and crops it to the dialog.
#
#   tools/dialog-screenshot.sh [BUILD-DIR] [OUTPUT]   default build/x86_64, docs/dialog.png
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/x86_64}
output=${2:-$top/docs/dialog.png}
preview=$build/tests/dialog/dialog_preview.exe
[ -f "$preview" ] || { echo "no $preview: build the Windows target first" >&2; exit 1; }

# shellcheck source=tools/wine-env.sh
. "$top/tools/wine-env.sh"
work=$(mktemp -d)
program=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    skittera_wine_stop
    rm -rf "$work"
}
skittera_on_exit cleanup
skittera_wine_start "$top/build/wine"

# Wine's output goes to files: see wine-env.sh.
skittera_exec_wine "$preview" "$work/rect" 6000 >"$work/out" 2>"$work/err" </dev/null &
program=$!
for _ in $(seq 100); do
    [ -s "$work/rect" ] && break
    sleep 0.1
done
[ -s "$work/rect" ] || { echo "the dialog did not open" >&2; cat "$work/err" >&2; exit 1; }
sleep 1.5 # let the dialog and its drums finish painting
read -r x y width height <"$work/rect"
import -display "$DISPLAY" -window root "$work/screen.png"
convert "$work/screen.png" -crop "${width}x${height}+${x}+${y}" +repage -strip "$output"
wait "$program"
program=""
echo "wrote $output (${width}x${height})"
