#!/usr/bin/env bash
# Pictures of the splash, the tray menu and the properties dialog at a given dots per
# inch, put side by side: how the program's windows look where Windows does not scale
# them as pictures (Windows 7 to 10 1511 at 125 % and more, see docs/dpi.md). Wine
# scales fonts and GDI's figures to its LogPixels value as those systems do.
#
#   tools/dpi-screenshots.sh [DPI] [BUILD-DIR] [OUTPUT]   default 144, build/x86_64, docs/dpi-144.png
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export SKITTERA_SESSION_DPI=${1:-144}
build=${2:-$top/build/x86_64}
output=${3:-$top/docs/dpi-$SKITTERA_SESSION_DPI.png}
program=$build/shell/skittera.exe
probe_program=$build/tests/e2e/skittera_probe.exe
[ -f "$program" ] && [ -f "$probe_program" ] || { echo "build the Windows target first" >&2; exit 1; }
# shellcheck source=tools/wine-session.sh
. "$top/tools/wine-session.sh"
skittera_session_start "dpi-$SKITTERA_SESSION_DPI" "$program" "$probe_program" "$top/build/run"

shot() {
    local file=$1 left=$2 top_edge=$3 right=$4 bottom=$5
    import -window root -crop "$((right - left))x$((bottom - top_edge))+$left+$top_edge" +repage "$work/$file" ||
        fail "cannot grab $file"
}

# As if started before: the first start's balloon would cover the menu in its picture.
reg_set "$user_key" SkitFumetto 1
park_pointer 20 20
start_program
sleep 0.5
read -r _ left top_edge right bottom _ <<<"$(probe window)"
shot splash.png "$left" "$top_edge" "$right" "$bottom"
wait_until_counting

# Shift+F10 on the icon, as the shell sends it: WM_CONTEXTMENU (123) with the icon's point
probe post tray $(((icon_y << 16) | icon_x)) 123 >/dev/null
menu=$(probe wait-menu 5000) || fail "the tray menu did not open"
sleep 0.5
read -r _ left top_edge right bottom _ <<<"$menu"
shot menu.png "$left" "$top_edge" "$right" "$bottom"
xdotool key Escape
probe post command 0 >/dev/null
probe wait-no-menu 5000 >/dev/null || xdotool mousemove 20 20 click 1

probe post tray 0 515 >/dev/null # a double click
dialog=$(probe wait-dialog 10000) || fail "the dialog did not open"
sleep 2.2 # two ticks: the drums and the gauge are drawn
read -r _ left top_edge right bottom _ <<<"$dialog"
shot dialog.png "$left" "$top_edge" "$right" "$bottom"
probe close-dialog >/dev/null
probe post command 40001 >/dev/null
wait_program 15

montage "$work/splash.png" "$work/menu.png" "$work/dialog.png" -tile x1 -geometry +8+8 -gravity north \
    -background '#d0d0d0' -strip "$output" || fail "cannot put the pictures together"
echo "wrote $output"
session_passed=1
