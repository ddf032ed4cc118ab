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
cleanup() {
    skittera_wine_stop
    rm -rf "$work"
}
skittera_on_exit cleanup
skittera_wine_start "$top/build/wine"

skittera_preview_shot "$preview" "$output" "$work" || { echo "the dialog did not open" >&2; exit 1; }
echo "wrote $output ($skittera_shot_size)"
