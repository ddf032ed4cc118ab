#!/usr/bin/env bash
# End-to-end scenarios: the real program under Wine, on an Xvfb display and in a Wine
# prefix of its own, driven from outside the way a user and the system would: xdotool
# moves and clicks the pointer, the probe program looks at windows and pixels and sends
# messages, and `wine64 reg` reads and writes the registry.
#
#   scenarios.sh SCENARIO PROGRAM.exe PROBE.exe WORKDIR
#
# A failed scenario keeps its folder under WORKDIR (the program's output, a screenshot).
set -u
scenario=$1
# The monitors' scenarios need displays other than the usual virtual desktop.
case "$scenario" in
edid_size) export SKITTERA_SESSION_DISPLAYS=edid ;;
two_monitors) export SKITTERA_SESSION_DISPLAYS=two-monitors ;;
esac
# shellcheck source=tools/wine-session.sh
. "$(dirname "$0")/../../tools/wine-session.sh"
skittera_session_start "$scenario" "$2" "$3" "$4"

expect_exit_code() {
    wait_program 15
    [ "$exit_code" = "$1" ] || fail "exit code $exit_code, expected $1"
}

expect_value() {
    local actual
    actual=$(reg_get "$1" "$2") || fail "$1\\$2 is missing"
    [ "$actual" = "$3" ] || fail "$1\\$2 is '$actual', expected '$3'"
}

# The distances below are worked out for the test screen: 1280 x 960 pixels, which Wine
# reports as 339 x 254 mm (96 dots per inch), so a pixel is 339/1280 mm wide and 254/960
# mm high. A leg of dx, dy pixels then measures sqrt((dx * 339/1280)^2 + (dy * 254/960)^2)
# mm; the figures are sums of such legs, in centimetres, written out at each path.
expect_test_screen() {
    local calibration
    calibration=$(probe calibration) || fail "the display reports no size"
    [ "$calibration" = "calibration 339 254 1280 960" ] ||
        fail "the display reports '$calibration'; the distances here are for 339 x 254 mm at 1280 x 960"
}

# Starts the program with the pointer resting at (x, y) and waits until it counts.
start_counting_at() {
    park_pointer "$1" "$2"
    start_program
    wait_until_counting
}

# Chooses "Esci", which must end the program with 1, and reads the distance it saved
# into the caller's "saved".
exit_and_read_distance() {
    probe post command 40001 >/dev/null
    expect_exit_code 1
    saved=$(reg_get "$user_key" SkitDistanza) || fail "no distance saved"
}

# Without a virtual desktop the hook hears moves only over Wine windows: one covers
# every monitor for the rest of the scenario.
cover_screens() { play_role cover covering "cover the screens"; }

expect_monitors() {
    local monitors
    monitors=$(probe monitors | sort | tr '\n' ' ')
    [ "$monitors" = "$1" ] || fail "the session's monitors are '$monitors', expected '$1'"
}

expect_window() {
    local state
    state=$(probe window) || fail "the main window is gone"
    case "$state" in
    *" $1") ;;
    *) fail "main window: $state, expected $1" ;;
    esac
}

# The first start shows the balloon with the way to the icon once the icon is there, and
# records that it did as the REG_DWORD 1.
expect_balloon_recorded() {
    local i
    for i in $(seq 25); do
        if wine64 reg query "$user_key" /v SkitFumetto "$reg_view" >"$work/reg.out" 2>&1 </dev/null &&
            tr -d '\r' <"$work/reg.out" | grep -q "SkitFumetto *REG_DWORD *0x1$"; then
            return 0
        fi
        sleep 0.2
    done
    fail "the first start recorded no balloon: $(tr -d '\r' <"$work/reg.out")"
}

# --- Scenarios ---------------------------------------------------------------------

# The splash stands centred in the work area, shows picture 102 pixel for pixel, and
# hides at the first tick, three seconds on; a command of no meaning hides it at once.
scenario_splash() {
    start_program
    local shown=$SECONDS
    local expected_x=$(((screen_width - 250) / 2)) expected_y=$(((screen_height - 171) / 2))
    local place
    place=$(probe window)
    [ "$place" = "window $expected_x $expected_y $((expected_x + 250)) $((expected_y + 171)) visible" ] ||
        fail "splash at '$place'"
    probe splash-mismatch "$program" >/dev/null || fail "the splash does not show its picture: $(cat "$work/probe.out")"
    wait_taskbar visible
    expect_balloon_recorded
    probe wait-hidden 8000 >/dev/null || fail "the splash did not hide"
    local took=$((SECONDS - shown))
    [ "$took" -ge 2 ] || fail "the splash hid after $took s, before the first tick"
    probe post command 0 0 >/dev/null
    probe post close >/dev/null
    expect_exit_code 1

    start_program
    probe post command 12345 >/dev/null
    probe wait-hidden 1500 >/dev/null || fail "a command did not hide the splash"
    probe window >/dev/null || fail "a command of no meaning ended the program"
    probe post close >/dev/null
    expect_exit_code 1
}

# Pointer moves along a known path; Exit saves exactly the distance of that path.
scenario_path() {
    local path=(700 100 700 600 150 650 1000 300 1000 900 5 5 640 480)
    start_counting_at 100 100
    move_through "${path[@]}"
    local saved
    exit_and_read_distance
    note "saved $saved cm"
    # Legs (dx, dy): (0, 500) 13.229166666667 cm, (-550, 50) 14.626356331875,
    # (850, -350) 24.341996588599, (0, 600) 15.875, (-995, -895) 35.428487128471,
    # (635, 475) 20.994719020321.
    expect_distance_near "$saved" 124.495725735933
    expect_value "$user_key" SkitCome Centimetri
    expect_value "$user_key" SkitData "$(today)"
}

# The tray menu: two owner-drawn items with their pictures, the right edge at the
# pointer; a click elsewhere closes it; "Esci" saves and ends with 1.
scenario_menu() {
    # The first start's balloon, shown before: none covers the menu's pictures. A text
    # value of the name counts as well as the program's own number.
    reg_set "$user_key" SkitFumetto 1
    start_program
    wait_taskbar visible
    xdotool mousemove "$icon_x" "$icon_y" sleep 0.2 click 3
    local menu left top right bottom
    menu=$(probe wait-menu 5000) || fail "no menu after a right click on the icon"
    read -r _ left top right bottom _ <<<"$menu"
    [ "$right" = "$icon_x" ] || fail "menu's right edge at $right, pointer at $icon_x"
    local exit_picture properties_picture
    exit_picture=$(probe find-picture "$program" 184 "$left" "$top" "$right" "$bottom") ||
        fail "the menu does not show the exit picture"
    properties_picture=$(probe find-picture "$program" 183 "$left" "$top" "$right" "$bottom") ||
        fail "the menu does not show the properties picture"
    local exit_x exit_y properties_x properties_y
    read -r _ exit_x exit_y <<<"$exit_picture"
    read -r _ properties_x properties_y <<<"$properties_picture"
    [ "$exit_x" = "$properties_x" ] && [ "$properties_y" -gt "$exit_y" ] ||
        fail "pictures at $exit_x,$exit_y and $properties_x,$properties_y"
    probe window | grep -q hidden || fail "the menu left the splash up"

    xdotool mousemove 300 300 sleep 0.2 click 1
    probe wait-no-menu 3000 >/dev/null || fail "a click elsewhere did not close the menu"
    probe window >/dev/null || fail "closing the menu ended the program"

    xdotool mousemove "$icon_x" "$icon_y" sleep 0.2 click 3
    probe wait-menu 5000 >/dev/null || fail "no menu at the second right click"
    xdotool mousemove $((exit_x + 30)) $((exit_y + 7)) sleep 0.3 click 1
    expect_exit_code 1
    reg_get "$user_key" SkitDistanza >/dev/null || fail "Esci saved nothing"
}

# Opens the tray menu with a right click on the icon, or ("post") with the tray message
# as the shell sends it for Shift+F10 on the icon: WM_CONTEXTMENU (123) for icon 0, the
# icon's point in wParam (y in the high word).
open_menu() {
    focus_before_menu=$(xdotool getwindowfocus -f 2>/dev/null)
    if [ "${1:-click}" = post ]; then
        probe post tray $(((icon_y << 16) | icon_x)) 123 >/dev/null
    else
        xdotool mousemove "$icon_x" "$icon_y" sleep 0.2 click 3
    fi
    probe wait-menu 5000 >/dev/null || fail "no menu after the ${1:-click}"
}

# Presses keys one after the other, as a person would. A menu that has just opened may
# still be taking the keyboard: the first key waits until the X focus has moved, or
# three seconds have passed.
press_keys() {
    local i
    for i in $(seq 30); do
        [ "$(xdotool getwindowfocus -f 2>/dev/null)" != "$focus_before_menu" ] && break
        sleep 0.1
    done
    xdotool key --delay 150 "$@"
}

# The tray menu answers the keyboard: Escape closes it, the arrows move through it and
# Enter chooses. The X keyboard focus is in the Wine desktop from the start, where a
# person working in it would have it.
scenario_menu_keys() {
    reg_set "$user_key" SkitDistanza 5
    focus_desktop
    start_program
    wait_until_counting
    wait_taskbar visible
    open_menu click
    press_keys Escape
    probe wait-no-menu 5000 >/dev/null || fail "Escape did not close the menu"
    probe window >/dev/null || fail "Escape ended the program"
    [ "$(probe dialogs)" = "dialogs 0" ] || fail "Escape opened the dialog"

    # "Esci" is the first item, "Propietà" the second.
    open_menu post
    press_keys Down Down Return
    probe wait-dialog 10000 >/dev/null || fail "Down, Down, Enter did not open the dialog"
    probe wait-no-menu 3000 >/dev/null || fail "the menu stayed open beside the dialog"
    probe close-dialog >/dev/null || fail "cannot close the dialog"
    for _ in $(seq 50); do
        [ "$(probe dialogs)" = "dialogs 0" ] && break
        sleep 0.2
    done
    [ "$(probe dialogs)" = "dialogs 0" ] || fail "the dialog did not close"

    # Up from no selection goes to the last item.
    open_menu click
    press_keys Up Up Return
    expect_exit_code 1
    local saved
    saved=$(reg_get "$user_key" SkitDistanza) || fail "Esci saved nothing"
    [ "$saved" != 5 ] || fail "Esci did not save the distance"
}

# Exit, a close and the end of the session, each while the menu is open, end the
# program and save.
scenario_menu_end() {
    local how seed=1
    for how in "post command 40001" "post close" "send endsession 1 0"; do
        seed=$((seed + 1))
        reg_set "$user_key" SkitDistanza "$seed"
        start_program
        wait_until_counting
        open_menu post
        # shellcheck disable=SC2086 # the probe's command and its arguments
        probe $how >/dev/null || fail "the program did not take '$how' while its menu was open"
        expect_exit_code 1
        # The pointer stood still, so the distance is the one the program started with.
        expect_value "$user_key" SkitDistanza "$seed.0000000000"
    done
}

# A second start hands over to the first, which hides its splash and opens its dialog,
# and ends with 0; a third start while the dialog is open opens no second one. A start
# while a copy is ending waits for it and runs.
scenario_second_instance() {
    start_program
    local first_pid=$program_pid
    skittera_wine "$program" >"$work/second.out" 2>&1 </dev/null
    local code=$?
    [ "$code" = 0 ] || fail "the second start ended with $code"
    probe wait-dialog 10000 >/dev/null || fail "the first instance did not open its dialog"
    expect_window hidden
    skittera_wine "$program" >"$work/third.out" 2>&1 </dev/null
    code=$?
    [ "$code" = 0 ] || fail "the third start ended with $code"
    sleep 1
    [ "$(probe dialogs)" = "dialogs 1" ] || fail "$(cat "$work/probe.out") open"
    program_pid=$first_pid
    probe post close >/dev/null
    expect_exit_code 1

    # A copy started while the running one is ending (its window marked, the mutex held
    # while it saves) does not hand over to the window that is going away: it waits for
    # the mutex and runs.
    play_role ending-copy ending "play an ending copy" 2000
    local ending=$role_pid
    skittera_exec_wine "$program" >"$work/program.out" 2>&1 </dev/null &
    program_pid=$!
    wait "$ending" || fail "the ending copy got $(tr -d '\r' <"$work/ending-copy.out")"
    grep -q "handed over 0" "$work/ending-copy.out" ||
        fail "the new copy handed over to an ending one: $(tr -d '\r' <"$work/ending-copy.out")"
    probe wait-window 30000 >/dev/null || {
        wait_program 1
        fail "the new copy did not run after the ending one (exit code $exit_code)"
    }
    wait_until_counting
    [ "$(probe windows)" = "windows 1 icons 1" ] || fail "after an ending copy: $(cat "$work/probe.out")"
    probe post close >/dev/null
    expect_exit_code 1
}

# A click on "Storico..." opens the history window in front of the properties dialog and
# owned by it; Escape closes it and leaves the dialog, "Chiudi" in the dialog and "Esci"
# then end as usual.
scenario_history_window() {
    start_program
    probe post tray 0 515 >/dev/null
    probe wait-dialog 10000 >/dev/null || fail "the double click did not open the dialog"
    local button left top right bottom
    button=$(probe control 1044) || fail "the dialog has no \"Storico...\" button"
    read -r _ left top right bottom _ <<<"$button"
    xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) sleep 0.3 click 1
    local history
    history=$(probe wait-history 10000) || fail "a click on \"Storico...\" opened no history window"
    case "$history" in
    "owned history "*" visible") ;;
    *) fail "history window: $history, expected one owned by the dialog" ;;
    esac
    xdotool key Escape
    probe wait-no-history 5000 >/dev/null || fail "Escape did not close the history window"
    [ "$(probe dialogs)" = "dialogs 1" ] || fail "closing the history window closed the dialog"
    probe close-dialog >/dev/null
    probe post command 40001 >/dev/null
    expect_exit_code 1
}

# Waits up to $1 seconds for the copies with the given process ids to end, and sets
# copies_running (how many still run), copies_ended (their exit codes) and running_pid.
wait_copies() {
    local seconds=$1 pid i
    shift
    for ((i = 0; i < seconds * 10; i++)); do
        local alive=0
        for pid in "$@"; do
            kill -0 "$pid" 2>/dev/null && alive=$((alive + 1))
        done
        [ "$alive" -le 1 ] && break
        sleep 0.1
    done
    copies_running=0
    copies_ended=""
    running_pid=""
    for pid in "$@"; do
        if kill -0 "$pid" 2>/dev/null; then
            copies_running=$((copies_running + 1))
            running_pid=$pid
        else
            local code=0
            wait "$pid" || code=$?
            copies_ended="$copies_ended $code"
        fi
    done
}

# Four copies started at the same instant, several times over: exactly one runs, with
# one window and one icon, the other three hand over to it and end with 0, and a path
# is counted once; the distance carries on from one round to the next. Then a copy that
# starts while the running one has no window yet waits for it and hands over, and one
# whose forerunner crashed while starting runs.
scenario_one_copy() {
    # The test screen, 1280 x 960 pixels, is reported as 339 x 254 mm. The path goes
    # 800 pixels across, 800 * 339 / 1280 = 211.875 mm, and 600 pixels down,
    # 600 * 254 / 960 = 158.75 mm: 37.0625 cm a round.
    local round expected=(37.0625 74.125 111.1875)
    for round in 0 1 2; do
        park_pointer 200 200
        local pids=() i
        for i in 1 2 3 4; do
            skittera_exec_wine "$program" >"$work/copy$i.out" 2>&1 </dev/null &
            pids+=($!)
        done
        wait_copies 60 "${pids[@]}"
        [ "$copies_running" = 1 ] || fail "round $round: $copies_running copies running, ended with:$copies_ended"
        [ "$copies_ended" = " 0 0 0" ] || fail "round $round: the other copies ended with:$copies_ended"
        program_pid=$running_pid
        wait_until_counting
        wait_taskbar visible
        [ "$(probe windows)" = "windows 1 icons 1" ] || fail "round $round: $(cat "$work/probe.out")"
        probe wait-dialog 10000 >/dev/null || fail "round $round: the running copy did not open its dialog"
        [ "$(probe dialogs)" = "dialogs 1" ] || fail "round $round: $(cat "$work/probe.out") open"
        move_through 200 200 1000 200 1000 800
        probe post command 40001 >/dev/null
        expect_exit_code 1
        probe wait-gone 10000 >/dev/null || fail "round $round: a main window is left: $(probe windows)"
        local saved
        saved=$(reg_get "$user_key" SkitDistanza) || fail "round $round: no distance saved"
        note "round $round: saved $saved cm"
        expect_distance_near "$saved" "${expected[$round]}"
    done

    play_role starting-copy holding "play a starting copy" 3000
    local starting=$role_pid
    skittera_exec_wine "$program" >"$work/program.out" 2>&1 </dev/null &
    program_pid=$!
    wait_program 30
    [ "$exit_code" = 0 ] || {
        kill "$program_pid" 2>/dev/null
        fail "a copy started beside a starting one ended with $exit_code"
    }
    wait "$starting" || fail "the starting copy got $(tr -d '\r' <"$work/starting-copy.out")"
    grep -q "handed over 1" "$work/starting-copy.out" ||
        fail "the starting copy got $(tr -d '\r' <"$work/starting-copy.out")"

    play_role crashed-copy holding "play a crashing copy" 2000
    local crashed=$role_pid
    start_program
    wait "$crashed"
    wait_until_counting
    wait_taskbar visible
    [ "$(probe windows)" = "windows 1 icons 1" ] || fail "after a crashed start: $(cat "$work/probe.out")"
    probe post close >/dev/null
    expect_exit_code 1
}

# The end of the session: the query saves a checkpoint and the program goes on; an end
# that does not happen changes nothing; the real end saves everything and ends.
scenario_end_session() {
    reg_set "$machine_run_key" Skittera 'C:\elsewhere\skittera.exe'
    start_counting_at 200 200
    move_through 600 500 200 500
    [ "$(probe send queryendsession 0 0)" = "result 1" ] || fail "the session end was refused"
    local saved
    saved=$(reg_get "$user_key" SkitDistanza) || fail "no checkpoint at the session's end query"
    expect_distance_near "$saved" 10.59375 # 400 pixels across: 400 * 339/1280 mm
    expect_value "$machine_run_key" Skittera 'C:\elsewhere\skittera.exe'

    probe send endsession 0 0 >/dev/null || fail "no answer to a cancelled session end"
    sleep 0.5
    probe window >/dev/null || fail "a cancelled session end ended the program"
    [ "$(taskbar_state)" = visible ] || fail "a cancelled session end took the icon away"
    move_through 600 100

    probe send endsession 1 0 >/dev/null
    expect_exit_code 1
    saved=$(reg_get "$user_key" SkitDistanza) || fail "nothing saved at the session's end"
    expect_distance_near "$saved" 25.568211042286 # and (400, -400): 14.974461042286 cm
    # Another copy's entry is the user's to change, through the check box: the exit leaves it.
    expect_value "$machine_run_key" Skittera 'C:\elsewhere\skittera.exe'
}

# Suspend saves a checkpoint; a kill after it keeps the checkpoint, and the next start
# counts on from there.
scenario_checkpoint() {
    start_counting_at 300 300
    move_through 300 700 900 700 900 300
    [ "$(probe send powerbroadcast 4 0)" = "result 1" ] || fail "suspend was refused"
    kill_program
    local saved
    saved=$(reg_get "$user_key" SkitDistanza) || fail "no checkpoint at suspend"
    expect_distance_near "$saved" 26.473958333333 # (600, 0) 15.890625 cm, (0, -400) 10.583333333333
    reg_get "$machine_run_key" Skittera >/dev/null && fail "a checkpoint wrote the log-on entry"

    start_counting_at 900 100
    move_through 100 100 100 400
    probe post command 40001 >/dev/null
    expect_exit_code 1
    local total
    total=$(reg_get "$user_key" SkitDistanza) || fail "nothing saved"
    expect_distance_near "$total" 34.411458333333 # and (0, 300): 7.9375 cm
}

# A new taskbar: the icon that the shell lost comes back, and the renewed hook counts.
scenario_taskbar_created() {
    start_counting_at 400 400
    wait_taskbar visible
    probe delete-icon >/dev/null || fail "cannot take the icon away"
    wait_taskbar hidden
    probe broadcast-taskbar >/dev/null || fail "cannot announce a new taskbar"
    wait_taskbar visible
    # Answered only after the announcement before it has been handled.
    probe send null >/dev/null || fail "the program ended"
    move_through 800 400 800 100 400 100
    local saved
    exit_and_read_distance
    expect_distance_near "$saved" 18.53125 # (0, -300) 7.9375 cm, (-400, 0) 10.59375
}

# At log-on the shell may not take icons yet: the icon comes at a later tick.
scenario_late_shell() {
    play_role refuse-tray refusing "play a shell that is not ready" 5000
    local refusing=$role_pid
    start_program
    sleep 1
    [ "$(taskbar_state)" = hidden ] || fail "the icon was added although the shell refused it"
    wait "$refusing"
    wait_taskbar visible
    probe post close >/dev/null
    expect_exit_code 1
}

# Odd stored values: the program starts, runs its ticks and saves sound values.
scenario_odd_registry() {
    reg_set "$user_key" SkitDistanza nan
    reg_set "$user_key" SkitCome metri
    reg_set "$user_key" SkitData ""
    reg_set "$machine_run_key" Skittera ""
    start_program
    probe wait-hidden 8000 >/dev/null || fail "no first tick"
    sleep 5.5 # a tooltip refresh at the running period too
    probe post command 40001 >/dev/null
    expect_exit_code 1
    expect_value "$user_key" SkitDistanza 0.0000000000
    expect_value "$user_key" SkitCome Centimetri
    expect_value "$user_key" SkitData "$(today)"
    expect_value "$machine_run_key" Skittera "" # starts nothing, and the exit leaves it

    local long_date
    long_date=$(printf 'x%.0s' $(seq 511))
    reg_set "$user_key" SkitDistanza 1e300
    reg_set "$user_key" SkitCome Chilometri
    reg_set "$user_key" SkitData "$long_date"
    reg_set "$machine_run_key" Skittera 'C:\old\skittera.exe'
    start_program
    probe wait-hidden 8000 >/dev/null || fail "no first tick with a huge distance"
    local saved
    exit_and_read_distance
    case "$saved" in
    "$(python3 -c 'print("%.10f" % 1e300)')") ;;
    *) fail "huge distance saved as $saved" ;;
    esac
    expect_value "$user_key" SkitCome Chilometri
    expect_value "$user_key" SkitData "$long_date"
    expect_value "$machine_run_key" Skittera 'C:\old\skittera.exe'
}

# Messages from outside: nonsense is ignored, a quit or a close ends the program the
# way Exit does.
scenario_outside_messages() {
    start_counting_at 100 500
    probe post tray 0 0x10203 >/dev/null # another icon's double click: 515 for icon 1
    probe post tray 0 12345 >/dev/null  # no mouse message at all
    probe post timer 0 0x12345678 >/dev/null # a timer with someone's callback address
    probe post command 40003 >/dev/null
    sleep 1
    [ "$(probe dialogs)" = "dialogs 0" ] || fail "a foreign tray message opened the dialog"
    probe window >/dev/null || fail "a foreign message ended the program"
    move_through 500 500 500 200
    probe post quit >/dev/null
    expect_exit_code 1
    local saved
    saved=$(reg_get "$user_key" SkitDistanza) || fail "a quit from outside saved nothing"
    expect_distance_near "$saved" 7.9375 # 300 pixels down: 300 * 254/960 mm

    start_program
    probe post close >/dev/null
    expect_exit_code 1
    probe wait-gone 3000 >/dev/null || fail "a close left the window behind"
}

# A monitor whose EDID states 400 x 300 mm for 1280 x 960 pixels: a quarter of a pixel
# more than the 96 dpi that Wine's GDI assumes, and the program counts with the EDID.
# Then the user states 320 x 240 mm for that monitor, and the program counts with that.
scenario_edid_size() {
    expect_monitors "monitor 0 0 1280 960 "
    cover_screens
    # 400 mm / 1280 px = 300 mm / 960 px = 0.3125 mm per pixel. From (100, 100), which is
    # only recorded: 640 px down = 200 mm; 960 px right = 300 mm; 384 px left and 512 px up,
    # 3-4-5 as 120 mm and 160 mm, = 200 mm. 700 mm = 70 cm. (GDI's 339 x 254 mm would
    # give 59.3 cm.)
    local path=(100 100 100 740 1060 740 676 228)
    start_counting_at 100 100
    move_through "${path[@]}"
    local saved
    exit_and_read_distance
    note "saved $saved cm with the EDID's size, path 70 cm"
    expect_distance_near "$saved" 70

    # The override is named for the EDID's manufacturer SKT, product 0x1234 and serial
    # 0x42. 320 mm / 1280 px = 240 mm / 960 px = 0.25 mm per pixel: the same path is
    # 160 + 240 + 160 = 560 mm = 56 cm, and the counter goes on from 70 to 126 cm.
    reg_set "$user_key" SkitSchermo.SKT1234.00000042 320x240
    start_counting_at 100 100
    move_through "${path[@]}"
    exit_and_read_distance
    note "saved $saved cm with the user's size, 70 + 56 cm"
    expect_distance_near "$saved" 126
    expect_value "$user_key" SkitSchermo.SKT1234.00000042 320x240
}

# Two monitors without EDID, each at GDI's figures for it under Wine: the primary
# 1024 x 768 at x 0 with 271 x 203 mm, the other 1280 x 1024 to its left at x -1280 with
# 339 x 271 mm. Nothing lies below the primary one: pushing the pointer there counts
# nothing. X's coordinates are Windows' plus 1280.
scenario_two_monitors() {
    expect_monitors "monitor -1280 0 0 1024 monitor 0 0 1024 768 "
    cover_screens
    # In Windows' coordinates, from (600, 100) on the primary, only recorded:
    #   to (600, 767), its last row:   667 px x 203/768 mm     = 176.3033854 mm
    #   to (600, 1000) and (600, 1020) in the dead corner, 233 px and more below the
    #   primary and 601 px right of the other: beyond reach of every monitor, where no
    #   Windows pointer can be, so the program takes its table for out of date: 0 mm,
    #   and the next point starts afresh
    #   back up to (600, 400):          only recorded
    #   left across x = 0 to (-200, 400): 600 px x 271/1024 mm on the primary
    #                                   + 200 px x 339/1280 mm on the other
    #                                   = 158.7890625 + 52.96875 = 211.7578125 mm
    #   down to (-200, 1000):           600 px x 271/1024 mm    = 158.7890625 mm
    #   left to (-1180, 1000):          980 px x 339/1280 mm    = 259.546875 mm
    # 806.3971354 mm = 80.63971354 cm. Which of two neighbouring pixels takes the
    # crossing changes it by 1 px x 0.0002 mm: well within 1e-4 cm.
    local path=(1880 100 1880 767 1880 1000 1880 1020 1880 400 1080 400 1080 1000 100 1000)
    start_counting_at 1880 100
    # Wine's X11 driver on this Xinerama screen passes moves into and out of the dead
    # corner on late and merged when they come 0.12 or 0.3 s apart; a second apart each
    # arrives as it was made.
    move_pause=1 move_through "${path[@]}"
    local saved
    exit_and_read_distance
    note "saved $saved cm, path 80.63971354 cm"
    expect_distance_near "$saved" 80.639713542 1e-4
}

# The display changes while the program runs (in the virtual desktop, from 1280 x 960 to
# 1024 x 768 and back): every move is counted at the factors of the mode it was made in.
# Wine's GDI gives 339 x 254 mm at 1280 x 960 and 271 x 203 mm at 1024 x 768.
scenario_display_change() {
    start_counting_at 100 100
    # At 1280 x 960, from (100, 100): 480 px down x 254/960 mm = 127 mm; 640 px right x
    # 339/1280 mm = 169.5 mm.
    move_through 100 100 100 580 740 580
    probe change-display 1024 768 >/dev/null || fail "cannot change the display: $(cat "$work/probe.out")"
    expect_monitors "monitor 0 0 1024 768 "
    # At 1024 x 768 the next move starts afresh; from (200, 200): 512 px down x 203/768 mm
    # = 135.3333333 mm; 768 px right x 271/1024 mm = 203.25 mm.
    move_through 200 200 200 712 968 712
    probe restore-display >/dev/null || fail "cannot restore the display: $(cat "$work/probe.out")"
    expect_monitors "monitor 0 0 1280 960 "
    # Back at 1280 x 960, from (100, 100): 480 px down = 127 mm.
    move_through 100 100 100 580
    # 127 + 169.5 + 135.3333333 + 203.25 + 127 mm = 762.0833333 mm.
    local saved
    exit_and_read_distance
    note "saved $saved cm, path 76.20833333 cm"
    expect_distance_near "$saved" 76.208333333
}

# Pointer moves made right after the splash hides are all counted, whatever the main
# thread does then. Without a virtual desktop, as most users run Wine programs: the X
# screen is covered by a plain Wine window, so that every move reaches the hook.
scenario_moves_after_splash() {
    # The session's desktop goes; from here on the prefix runs without one.
    wineserver -k >/dev/null 2>&1 </dev/null
    wine64 reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 </dev/null ||
        fail "cannot switch the virtual desktop off"
    cover_screens
    expect_test_screen # again: now without the virtual desktop
    # The pointer rests on the splash: as it hides, the window under the pointer
    # changes, which sends a pointer event through the hooks at that very moment.
    park_pointer 640 480
    start_program
    probe wait-hidden 10000 >/dev/null || fail "the splash did not hide"
    move_through 640 480 960 480 960 720 640 720 640 480 320 480 320 240 640 240 640 480
    local saved
    exit_and_read_distance
    note "saved $saved cm"
    # A leg of 320 pixels across is 320 x 339/1280 = 84.75 mm, one of 240 pixels up or
    # down 240 x 254/960 = 63.5 mm. Four of each: 4 x 8.475 + 4 x 6.35 = 59.3 cm.
    expect_distance_near "$saved" 59.3
}

# The record of the days: a path, presses of every button and turns of both wheels,
# then "Esci": today's value holds them, beside the counter; a second run on the same
# day adds to it; past and unreadable values stay exactly as they were.
# Ends the program, then checks today's value of the record and the counter: the distance
# (both), the presses and the wheel notches; leaves the active seconds in $seconds.
expect_today() {
    local value distance presses notches
    sleep 0.3
    exit_and_read_distance
    value=$(reg_get "$history_key" "$day") || fail "no value for today, $day"
    note "today $value, counter $saved"
    IFS=';' read -r distance presses notches seconds <<<"$value"
    expect_distance_near "$distance" "$1"
    expect_distance_near "$saved" "$1"
    [ "$presses" = "$2" ] || fail "$presses presses counted, expected $2"
    [ "$notches" = "$3" ] || fail "$notches wheel notches counted, expected $3"
}

scenario_day_record() {
    local history_key="$user_key\\Storico" day saved seconds
    day=$(date +%Y-%m-%d)
    reg_set "$history_key" 2020-02-29 "100.2500000000;10;20;30"
    reg_set "$history_key" 2020-13-01 "1.0000000000;1;1;1"
    reg_set "$history_key" 2020-03-01 rotto

    start_counting_at 100 100
    move_through 700 100 700 400 100 400
    # Left twice, right, middle and the two side buttons (X buttons 8 and 9): six
    # presses. The wheel up three notches and down two, and the horizontal wheel (6 and
    # 7) once each way: seven notches.
    xdotool click --repeat 2 --delay 150 1 click 3 click 2 click 8 click 9
    xdotool click --repeat 3 --delay 150 4 click --repeat 2 --delay 150 5 click 6 click 7
    # The first move only records the position; then legs (0, 300) 7.9375 cm and (-600, 0)
    # 15.890625 cm. The counter started at 0 too.
    expect_today 23.828125 6 7
    [ "$seconds" -ge 1 ] || fail "no active second counted"
    [ "$seconds" -le 3 ] || fail "$seconds active seconds for a path of 0.24 s"

    start_counting_at 100 400
    move_through 100 100 700 100 # counted: (600, 0), 15.890625 cm
    xdotool click 1
    expect_today 39.71875 7 7 # the second run adds to the first
    [ "$seconds" -ge 2 ] || fail "the second run's active second was not added: $seconds"

    expect_value "$history_key" 2020-02-29 "100.2500000000;10;20;30"
    expect_value "$history_key" 2020-13-01 "1.0000000000;1;1;1"
    expect_value "$history_key" 2020-03-01 rotto
}

case "$scenario" in
splash | path | menu | menu_keys | menu_end | second_instance | one_copy | end_session | checkpoint | \
    taskbar_created | late_shell | odd_registry | outside_messages | moves_after_splash | edid_size | two_monitors | \
    display_change | day_record | history_window)
    note "display $DISPLAY, prefix $WINEPREFIX"
    # The two monitors' figures are checked by their scenario.
    [ "$scenario" = two_monitors ] || expect_test_screen
    "scenario_$scenario"
    ;;
*)
    fail "no scenario $scenario"
    ;;
esac
session_passed=1
note "passed"
