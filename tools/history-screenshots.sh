#!/usr/bin/env bash
# Pictures of the history window for the README and docs/dpi.md: runs the preview
# program of a Windows build under Wine on a private Xvfb display at 96, 144 and 192
# dots per inch (Wine's LogPixels, as tools/dpi-screenshots.sh sets it), grabs the
# screen and crops it to the window.
#
#   tools/history-screenshots.sh [BUILD-DIR]   default build/x86_64; writes docs/history.png,
#                                             docs/history-144.png and docs/history-192.png
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/x86_64}
preview=$build/tests/dialog/history_preview.exe
[ -f "$preview" ] || { echo "no $preview: build the Windows target first" >&2; exit 1; }

# shellcheck source=tools/wine-env.sh
. "$top/tools/wine-env.sh"
work=$(mktemp -d)
xvfb=""
export WINEPREFIX=$top/build/screenshots/prefix
cleanup() {
    skittera_quiet_wine wineserver -k
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
skittera_on_exit cleanup

# A prefix of its own, kept between runs: the dots per inch change in it, and the tests'
# prefixes keep theirs.
if [ ! -f "$WINEPREFIX/.skittera-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    skittera_quiet_wine wine64 wineboot -i
    skittera_quiet_wine wine64 reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
    skittera_quiet_wine wine64 reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$SKITTERA_SCREEN" /f
    skittera_quiet_wine wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    skittera_quiet_wine wineserver -w
    skittera_add_wine_fonts "$WINEPREFIX"
    touch "$WINEPREFIX/.skittera-ready"
fi
started=$(skittera_start_xvfb) || { echo "cannot start Xvfb" >&2; exit 1; }
export DISPLAY=":${started% *}"
xvfb=${started#* }

for dpi in 96 144 192; do
    for dpi_key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        skittera_quiet_wine wine64 reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$dpi" /f
    done
    skittera_quiet_wine wineserver -k
    skittera_quiet_wine wineserver -w
    output=$top/docs/history-$dpi.png
    [ "$dpi" = 96 ] && output=$top/docs/history.png
    skittera_preview_shot "$preview" "$output" "$work" ||
        { echo "the history window did not open at $dpi dpi" >&2; exit 1; }
    echo "wrote $output ($skittera_shot_size) at $dpi dpi"
done
