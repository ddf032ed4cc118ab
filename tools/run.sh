#!/usr/bin/env bash
# Starts Skittera under Wine: the release, the 64-bit build, which runs on every machine
# that runs Wine's 64-bit loader (those without 32-bit emulation too).
#
#   tools/run.sh          with a display: the program in a Wine virtual desktop window
#   tools/run.sh --demo   (or with no display) the headless demonstration on Xvfb
#
# With a display the program runs in its own Wine prefix (build/run/prefix), so the
# counter and the settings live on from one run to the next; under Wine the program
# sees the pointer only while it moves inside the virtual desktop window. End it with
# "Esci" in the tray menu of that desktop (bottom right).
#
# The demonstration starts the program on a private Xvfb display in a fresh prefix,
# saves a screenshot of the splash, moves the pointer along a known path, opens the
# dialog with a double click on the tray icon, shows the tray menu, ends the program
# with "Esci" and prints the distance it saved. The screenshots go to docs/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

"$top/tools/install-deps.sh"
build="$top/build/x86_64"
echo "== build"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build" -j "${SKITTERA_JOBS:-2}" --target skittera skittera_probe >/dev/null
program="$build/shell/skittera.exe"
probe_program="$build/tests/e2e/skittera_probe.exe"

run_on_display() {
    # shellcheck source=tools/wine-env.sh
    . "$top/tools/wine-env.sh"
    export WINEPREFIX="$top/build/run/prefix"
    local size=${SKITTERA_SCREEN_WINDOW:-1024x768}
    SKITTERA_SCREEN=$size skittera_make_template "$WINEPREFIX"
    skittera_quiet_wine wine64 reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$size" /f
    echo "== Skittera runs in the Wine desktop window; end it with Esci in its tray menu"
    local code=0
    skittera_wine "$program" >"$top/build/run/program.log" 2>&1 </dev/null || code=$?
    echo "exit code $code"
    wine64 reg query 'HKCU\Software\Skittera' >"$top/build/run/settings.txt" 2>/dev/null </dev/null || true
    tr -d '\r' <"$top/build/run/settings.txt" | sed -n 's/^ *\(Skit[A-Za-z]*\) *REG_SZ *\(.*\)$/\1 = \2/p'
}

run_demo() {
    # shellcheck source=tools/wine-session.sh
    . "$top/tools/wine-session.sh"
    skittera_session_start demo "$program" "$probe_program" "$top/build/run"
    note "Xvfb display $DISPLAY, fresh Wine prefix $WINEPREFIX"

    # A screenshot cropped to a rectangle "left top right bottom".
    shot() {
        local file=$1 left=$2 top_edge=$3 right=$4 bottom=$5
        import -window root -crop "$((right - left))x$((bottom - top_edge))+$left+$top_edge" +repage \
            "$top/docs/$file" || fail "cannot save $file"
        note "saved docs/$file"
    }

    local path=(700 120 700 600 200 600 200 120 1100 450)
    # As if started before: the first start's balloon would cover the menu in its picture.
    reg_set "$user_key" SkitFumetto 1
    park_pointer 200 120
    start_program
    local splash
    splash=$(probe window)
    read -r _ left top_edge right bottom _ <<<"$splash"
    shot splash.png "$left" "$top_edge" "$right" "$bottom"
    wait_until_counting
    note "moving the pointer along a path of $((${#path[@]} / 2)) points"
    move_through "${path[@]}"

    xdotool mousemove "$icon_x" "$icon_y" sleep 0.3 click --repeat 2 --delay 120 1
    local dialog
    dialog=$(probe wait-dialog 10000) || fail "the dialog did not open"
    sleep 2.2 # two ticks of the dialog: the odometer and the gauge are up to date
    read -r _ left top_edge right bottom _ <<<"$dialog"
    shot demo-dialog.png "$left" "$top_edge" "$right" "$bottom"
    probe close-dialog >/dev/null || fail "cannot close the dialog"

    xdotool mousemove "$icon_x" "$icon_y" sleep 0.3 click 3
    local menu exit_picture
    menu=$(probe wait-menu 5000) || fail "the tray menu did not open"
    read -r _ left top_edge right bottom _ <<<"$menu"
    sleep 0.3
    shot tray-menu.png $((left - 40)) $((top_edge - 30)) "$screen_width" "$screen_height"
    exit_picture=$(probe find-picture "$program" 184 "$left" "$top_edge" "$right" "$bottom") ||
        fail "no Esci in the menu"
    read -r _ left top_edge <<<"$exit_picture"
    local esci_x=$((left + 30)) esci_y=$((top_edge + 7))
    note "choosing Esci"
    xdotool mousemove "$esci_x" "$esci_y" sleep 0.3 click 1
    wait_program 15
    note "exit code $exit_code"
    local saved
    saved=$(reg_get "$user_key" SkitDistanza) || fail "nothing saved"
    # On the 1280 x 960 screen that Wine reports as 339 x 254 mm, the legs (0, 480),
    # (-500, 0), (0, -480), (900, 330) and, to the tray icon, (170, 500) measure 12.7,
    # 13.2421875, 12.7, 25.384771873436 and 13.974331824370 cm.
    note "saved distance: $saved cm; the pointer's path to the tray icon measures 78.001291197807 cm on the" \
        "1280 x 960 screen, and the trip to Esci adds the rest"
    session_passed=1
}

if [ "${1:-}" != --demo ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    run_on_display
else
    run_demo
fi
