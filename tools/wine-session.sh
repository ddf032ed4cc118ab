# shellcheck shell=bash
# A Wine session of one's own, for the end-to-end tests, the test programs that run in a
# session of their own, the headless demonstration and the measuring script, and the
# helpers that drive the program from outside. Sourcing this file only defines functions;
# a script starts its session with
#
#   skittera_session_start NAME PROGRAM.exe PROBE.exe WORK_ROOT
#
# in its own shell (not in a subshell or $(...): it sets the script's exit traps and the
# variables below). It brings in tools/wine-env.sh, makes a fresh prefix in
# WORK_ROOT/NAME (from the test run's template, or from one made under WORK_ROOT), starts
# an Xvfb display and brings the prefix's desktop up; everything is ended again however
# the script ends, and the session's folder is removed unless the script failed (set
# session_passed=1 at the end). With SKITTERA_TIME_LIMIT set, the session fails by itself
# after that many seconds (see skittera_watchdog).
#
# What the script has then:
#   work                   the session's folder; WINEPREFIX and DISPLAY are exported
#   program, probe_program the programs given (the probe looks at windows from outside)
#   program_pid            a program the script started in the background, ended with the
#                          session (start_program sets it)
#   screen_width, screen_height, icon_x, icon_y   the screen, and where the tray icon is
#   user_key, machine_run_key, reg_view           the program's registry keys, and the
#                          view of the registry that `reg` is to be told
#
# SKITTERA_SESSION_DISPLAYS chooses what the session's Windows programs see as displays:
#   desktop (the default)  one 1280 x 960 virtual desktop, whose monitor has no EDID
#   edid                   no virtual desktop; one 1280 x 960 screen whose monitor's EDID
#                          states 400 x 300 mm (tests/e2e/set_edid.c)
#   two-monitors           no virtual desktop; a 2304 x 1024 screen split into two
#                          monitors, 1280 x 1024 and the primary 1024 x 768 to its right,
#                          which Windows places at x -1280 and 0; nothing lies below the
#                          primary one (a dead corner of 1024 x 256)
# Without a virtual desktop a low-level hook hears only the moves over Wine windows:
# run `probe cover` first. SKITTERA_SESSION_DPI (96 when unset) is the dots per inch
# that Wine scales its fonts and GDI's figures to, as Windows does at 150 % for 144.

note() { echo "[$session_name] $*"; }

# Ends the session with a failure, wherever it is called: inside $(...) or a pipeline,
# exit alone would end only that subshell and the scenario would go on, so the subshell
# asks the script itself to fail (SIGUSR1) first.
fail() {
    echo "FAIL [$session_name]: $*" >&2
    [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" >/dev/null 2>&1
    [ "$BASHPID" != "$$" ] && kill -USR1 "$$"
    exit 1
}

# Run by the exit trap that skittera_session_start sets.
skittera_session_end() {
    [ -n "$SKITTERA_WATCHDOG_PID" ] && kill "$SKITTERA_WATCHDOG_PID" 2>/dev/null
    local pid
    for pid in $program_pid; do
        kill -KILL "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    # The lingering desktop process goes with the prefix's session: a signal of ours to
    # its wine process would also end this script (seen with the demonstration).
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 </dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -f "$work/.watchdog"
    if [ "$session_passed" = 1 ]; then
        rm -rf "$work"
    fi
}

# skittera_session_start NAME PROGRAM.exe PROBE.exe WORK_ROOT: see the top of this file.
# shellcheck disable=SC2034 # the variables it sets are for the script that calls it
skittera_session_start() {
    session_name=$1
    program=$2
    probe_program=$3
    local work_root=$4 session_displays started dpi_key here
    here=$(dirname "${BASH_SOURCE[0]}")
    # shellcheck source=tools/wine-env.sh
    . "$here/wine-env.sh"

    mkdir -p "$work_root"
    work_root=$(cd "$work_root" && pwd) # Wine takes absolute prefix paths only
    work="$work_root/$session_name"
    rm -rf "$work"
    mkdir -p "$work"
    program_pid=""
    xvfb_pid=""
    SKITTERA_WATCHDOG_PID=""
    session_passed=0

    skittera_on_exit skittera_session_end
    trap 'exit 1' USR1
    trap 'fail "ran out of its time limit of $SKITTERA_TIME_LIMIT s"' ALRM
    if [ -n "${SKITTERA_TIME_LIMIT:-}" ]; then
        skittera_watchdog "$SKITTERA_TIME_LIMIT" "$work/.watchdog"
    fi

    # The template prefix: the one tools/test.sh made, or one made here once for all scenarios.
    if [ -z "${SKITTERA_WINE_TEMPLATE:-}" ] || [ ! -f "$SKITTERA_WINE_TEMPLATE/.skittera-ready" ]; then
        export SKITTERA_WINE_TEMPLATE="$work_root/template"
        (
            flock 9
            skittera_make_template "$SKITTERA_WINE_TEMPLATE"
        ) 9>"$work_root/template.lock"
    fi
    skittera_new_prefix "$work/prefix"
    export WINEPREFIX="$work/prefix"
    session_displays=${SKITTERA_SESSION_DISPLAYS:-desktop}
    case "$session_displays" in
    desktop) ;;
    # -noreset: the server forgets the EDID property and the monitors when its last client
    # leaves, which it does between the preparation and the session.
    edid) export SKITTERA_XVFB_OPTIONS=-noreset SKITTERA_SCREEN=1280x960 ;;
    two-monitors) export SKITTERA_XVFB_OPTIONS=-noreset SKITTERA_SCREEN=2304x1024 ;;
    *) fail "no display set-up $session_displays" ;;
    esac
    started=$(skittera_start_xvfb) || fail "cannot start Xvfb"
    export DISPLAY=":${started% *}"
    xvfb_pid=${started#* }

    # Wine reads the monitors, their EDIDs and its own settings when its session starts, so
    # all of it is in place before the first program, and the session that `wine64 reg` began
    # is ended.
    if [ "$session_displays" != desktop ]; then
        skittera_quiet_wine wine64 reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f
    fi
    case "$session_displays" in
    edid)
        cc -O2 -o "$work/set_edid" "$here/../tests/e2e/set_edid.c" -lXrandr -lX11 ||
            fail "cannot build set_edid (libxrandr-dev)"
        "$work/set_edid" 400 300 1280 960 || fail "cannot give the screen an EDID"
        ;;
    two-monitors)
        # Through Xinerama (UseXRandR off) Wine takes the monitors that --setmonitor made.
        { xrandr --setmonitor MonA 1280/400x1024/300+0+0 screen >/dev/null &&
            xrandr --setmonitor '*MonB' 1024/300x768/225+1280+0 none >/dev/null; } || fail "cannot split the screen"
        skittera_quiet_wine wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f
        ;;
    esac
    if [ -n "${SKITTERA_SESSION_DPI:-}" ]; then
        for dpi_key in 'HKCU\Control Panel\Desktop' \
            'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
            skittera_quiet_wine wine64 reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$SKITTERA_SESSION_DPI" /f ||
                fail "cannot set the dots per inch"
        done
    fi
    if [ "$session_displays" != desktop ] || [ -n "${SKITTERA_SESSION_DPI:-}" ]; then
        skittera_quiet_wine wineserver -k
        skittera_quiet_wine wineserver -w
    fi

    # The desktop comes up first and stays for the whole scenario: while Wine builds it, it
    # moves the pointer to the screen's centre and back, which the program would count.
    skittera_exec_wine "$probe_program" linger >"$work/linger.out" 2>&1 </dev/null &
    sleep 0.5
    for _ in $(seq 100); do
        skittera_wine "$probe_program" taskbar >"$work/probe.out" 2>&1 </dev/null && break
        sleep 0.1
    done

    screen_width=${SKITTERA_SCREEN%x*}
    screen_height=${SKITTERA_SCREEN#*x}
    # Wine's tray puts the newest icon at the right end of the taskbar, 16 x 16 about 10
    # pixels in from the corner.
    icon_x=$((screen_width - 10))
    icon_y=$((screen_height - 10))

    user_key='HKCU\Software\Skittera'
    machine_run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
    # The registry as the program sees it: a 64-bit program's HKLM\Software is not the one a
    # 32-bit program sees, so `reg` is told the program's view.
    reg_view="/reg:$(skittera_program_bits "$program")" || fail "$program is not a Windows program"
}

# Runs the probe; prints its output without carriage returns and passes on its status.
probe() {
    skittera_wine "$probe_program" "$@" >"$work/probe.out" 2>"$work/probe.err" </dev/null
    local status=$?
    tr -d '\r' <"$work/probe.out"
    return "$status"
}

start_program() {
    skittera_exec_wine "$program" >"$work/program.out" 2>"$work/program.err" </dev/null &
    program_pid=$!
    probe wait-window 30000 >/dev/null || fail "the main window did not appear"
}

# Waits until the program runs its message loop, and so counts: a posted command is
# only taken there, after start-up has installed the hook. A command of no meaning only
# hides the splash.
wait_until_counting() {
    probe post command 0 >/dev/null || fail "cannot reach the program"
    probe wait-hidden 10000 >/dev/null || fail "the program does not take its messages"
}

# Waits for the program to end (at most $1 seconds) and sets exit_code ("running"
# when it has not ended). Not in a subshell: only this shell can wait for its child.
# shellcheck disable=SC2034 # exit_code is for the script
wait_program() {
    local tenths=$(($1 * 10)) i
    for ((i = 0; i < tenths; i++)); do
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$program_pid" 2>/dev/null; then
        exit_code=running
        return
    fi
    exit_code=0
    wait "$program_pid" || exit_code=$?
    program_pid=""
}

# Ends the program the hard way, as a crash or a power cut would: its process is
# killed, with no chance to save anything.
kill_program() {
    kill -KILL "$program_pid" 2>/dev/null
    wait_program 15
    probe wait-gone 10000 >/dev/null || fail "the killed program's window is still there"
}

# Gives the X keyboard focus to the Wine desktop's window, as a window manager does when
# the user clicks into it: Wine may leave it on the taskbar's window, where keys are lost.
focus_desktop() {
    local desktop
    desktop=$(xdotool search --name 'Wine desktop' | head -1)
    [ -n "$desktop" ] || fail "no Wine desktop window"
    xdotool windowfocus --sync "$desktop" || fail "cannot give the keyboard focus to the Wine desktop"
}

# Prints the text of a string value; status 1 when it does not exist.
reg_get() {
    wine64 reg query "$1" /v "$2" "$reg_view" >"$work/reg.out" 2>"$work/reg.err" </dev/null || return 1
    tr -d '\r' <"$work/reg.out" | sed -n "s/^ *$2 *REG_SZ *//p"
}

reg_set() {
    wine64 reg add "$1" /v "$2" /t REG_SZ /d "$3" /f "$reg_view" >/dev/null 2>&1 </dev/null ||
        fail "cannot write $1\\$2"
}

today() { date +%d.%m.%Y; }

# Puts the pointer where a path starts, before the program runs. Wine reports the
# pointer's position to the hook when windows appear under it, so a path that began
# somewhere else would gain a leg from wherever the pointer stood.
park_pointer() {
    xdotool mousemove "$1" "$2"
    sleep 0.1
}

# Moves the pointer through the given points, one event each. The program counts from
# the first of them: the first move after its start only records where the pointer is.
# move_pause sets the pause after each move (0.12 s when unset).
move_through() {
    while [ $# -ge 2 ]; do
        xdotool mousemove "$1" "$2"
        sleep "${move_pause:-0.12}"
        shift 2
    done
}

# The saved distance against one worked out by hand, within a micrometre unless the path
# allows more (a third argument, in centimetres).
expect_distance_near() {
    python3 - "$1" "$2" "${3:-1e-6}" <<'PYTHON' || fail "saved distance $1, expected $2"
import sys
saved, expected, tolerance = (float(v) for v in sys.argv[1:4])
sys.exit(0 if abs(saved - expected) <= tolerance else 1)
PYTHON
}

# Plays a part of the probe in the background (ROLE and its arguments) and waits up to
# ten seconds for it to print WORD, which it does once it is in place; fails with WHAT
# otherwise. Its output is in $work/ROLE.out, its process in role_pid.
# shellcheck disable=SC2034 # role_pid is for the script
play_role() {
    local role=$1 word=$2 what=$3
    shift 3
    skittera_exec_wine "$probe_program" "$role" "$@" >"$work/$role.out" 2>&1 </dev/null &
    role_pid=$!
    for _ in $(seq 100); do
        grep -q "$word" "$work/$role.out" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "cannot $what: $(cat "$work/$role.out")"
}

taskbar_state() { probe taskbar | awk '{print $2}'; }

wait_taskbar() {
    local i
    for i in $(seq 50); do
        [ "$(taskbar_state)" = "$1" ] && return 0
        sleep 0.2
    done
    fail "the taskbar is not $1 (the tray icon is $( [ "$1" = visible ] && echo missing || echo still there))"
}
