# Sourced by the test and run scripts: a throwaway Wine prefix with a virtual desktop
# on a private Xvfb display. Nothing here touches a real user's Wine or registry.
#
#   skittera_wine PROGRAM.exe ARGS...   runs a Windows program with the loader its kind
#                             needs (see below); skittera_exec_wine the same in the background
#   skittera_wine_start DIR   prefix under DIR (made once from a template), Xvfb and a
#                             persistent wineserver; exports WINEPREFIX and DISPLAY
#   skittera_wine_stop        ends the wineserver and the Xvfb that start began
#   skittera_new_prefix DIR   a fresh copy of the template prefix, for one scenario
#   skittera_on_exit FUNCTION runs FUNCTION however the script ends, signals included
#   skittera_watchdog SECONDS FIFO   SIGALRM to the script when its time is up
#
# SKITTERA_SCREEN is the X screen's size, SKITTERA_XVFB_OPTIONS more options for Xvfb.

# wineserver and wine64 from Wine's own folder; the 32-bit loader, `wine`, is only ever
# started through skittera_wine below.
export PATH="/usr/lib/wine:$PATH"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="} # no Mono or Gecko prompts
export LANG=C.UTF-8 LC_ALL=C.UTF-8

SKITTERA_SCREEN=${SKITTERA_SCREEN:-1280x960}

# Bash runs an EXIT trap on a signal only when the signal itself is trapped: so every
# script that starts processes or makes folders ends through here, and its clean-up
# runs on Ctrl-C, on a runner's SIGTERM and on a failure alike.
skittera_on_exit() {
    # shellcheck disable=SC2064 # the function's name is meant to be fixed now
    trap "$1" EXIT
    trap 'exit 129' HUP
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

# CTest ends a test that runs over its time-out with SIGKILL, which no clean-up survives.
# So a script watches its own time: after SECONDS it gets SIGALRM (its trap fails the
# test and cleans up). The watchdog is one process, a subshell waiting in bash's own
# read on a FIFO nobody writes to; its PID is in SKITTERA_WATCHDOG_PID, to be killed
# when the script ends.
skittera_watchdog() {
    local seconds=$1 fifo=$2 script=$$
    rm -f "$fifo"
    mkfifo "$fifo" || return 1
    (
        read -r -t "$seconds" _ <>"$fifo"
        kill -ALRM "$script" 2>/dev/null
    ) &
    SKITTERA_WATCHDOG_PID=$!
}

# Wine hands its own output on to the wineserver it starts; a pipe would then stay
# open until that server exits. So every wine call here writes to files.
skittera_quiet_wine() {
    "$@" >/dev/null 2>&1 </dev/null
}

# Wine's own fonts (Debian's fonts-wine) into a prefix's Fonts folder, where the
# prefix's font list looks for them: without them "MS Sans Serif", the dialog font, is
# replaced by a wider face that changes every dialog's layout, and the caption buttons
# lose their Marlett glyphs.
skittera_add_wine_fonts() {
    local fonts=/usr/share/wine/fonts
    [ -d "$fonts" ] && [ -d "$1/drive_c/windows/Fonts" ] || return 0
    cp -n "$fonts"/* "$1/drive_c/windows/Fonts/" 2>/dev/null || true
}

# Wine has two loaders. wine64 runs 64-bit Windows programs, makes prefixes and runs
# Wine's own tools (reg, wineboot); it works on every machine. /usr/lib/wine/wine runs
# 32-bit Windows programs and is itself a 32-bit Linux program, which a kernel without
# 32-bit emulation (its log says "32-bit emulation disabled") refuses with "Exec format
# error": there no 32-bit Windows program can run. Whether this machine runs it is found
# out by trying it, once per script. SKITTERA_NO_32BIT=1 makes the answer "no" on a
# machine that could, to check that path; nothing can make it "yes".
skittera_wine32_loader=/usr/lib/wine/wine
skittera_wine32_answer=""
skittera_wine32_runs() {
    if [ -z "$skittera_wine32_answer" ]; then
        skittera_wine32_answer=no
        if [ "${SKITTERA_NO_32BIT:-0}" != 1 ] &&
            "$skittera_wine32_loader" --version >/dev/null 2>&1 </dev/null; then
            skittera_wine32_answer=yes
        fi
    fi
    [ "$skittera_wine32_answer" = yes ]
}

# The one sentence that says why the 32-bit programs do not run here: asked not to, or
# the set-up's record of why (the kernel refuses them, or 32-bit Wine could not be had).
skittera_no_wine32_reason() {
    local record="${SKITTERA_SETUP_STATE:-/var/tmp/skittera-setup}/wine32-reason"
    if [ "${SKITTERA_NO_32BIT:-0}" = 1 ]; then
        echo "32-bit Windows programs are not run: SKITTERA_NO_32BIT=1 asks to test as on a machine whose kernel runs no 32-bit programs."
    elif [ -s "$record" ]; then
        cat "$record" # the set-up's own sentence
    elif [ ! -e "$skittera_wine32_loader" ]; then
        echo "32-bit Windows programs cannot run here: Wine's 32-bit loader $skittera_wine32_loader is not installed (tools/install-deps.sh installs it where the kernel runs 32-bit programs)."
    else
        echo "32-bit Windows programs cannot run here: this machine's kernel runs no 32-bit programs (32-bit emulation is off), so Wine's 32-bit loader $skittera_wine32_loader cannot start."
    fi
}

# 64 or 32: the kind of a Windows program, from the machine field of its PE header.
skittera_program_bits() {
    local pe machine
    pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$pe" ] || { echo "$1: not a Windows program" >&2; return 1; }
    machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
    case "$machine" in
    8664) echo 64 ;;
    014c) echo 32 ;;
    *) echo "$1: not an x86 or x86-64 Windows program (machine ${machine:-unreadable})" >&2; return 1 ;;
    esac
}

# Prints the loader a Windows program needs. For a 32-bit program where none can run it
# prints the reason to standard error instead and fails.
skittera_loader_for() {
    local bits
    bits=$(skittera_program_bits "$1") || return 1
    if [ "$bits" = 64 ]; then
        echo wine64
    elif skittera_wine32_runs; then
        echo "$skittera_wine32_loader"
    else
        echo "$(basename "$1"): $(skittera_no_wine32_reason)" >&2
        return 1
    fi
}

# Runs a Windows program with the loader its kind needs; a program that no loader here
# can run is not started, and the status is 126, the shell's for a program that cannot
# be executed.
skittera_wine() {
    local loader
    loader=$(skittera_loader_for "$1") || return 126
    "$loader" "$@"
}

# The same for a program started in the background, as `skittera_exec_wine PROGRAM ... &`:
# the loader replaces the background subshell, so that $! is the program's own process
# and a signal sent to it reaches the program.
skittera_exec_wine() {
    local loader
    loader=$(skittera_loader_for "$1") || exit 126
    exec "$loader" "$@"
}

skittera_make_template() {
    local template=$1
    if [ -f "$template/.skittera-ready" ]; then
        skittera_add_wine_fonts "$template"
        return 0
    fi
    rm -rf "$template"
    mkdir -p "$template"
    WINEPREFIX="$template" skittera_quiet_wine wine64 wineboot -i
    WINEPREFIX="$template" skittera_quiet_wine wine64 reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
    WINEPREFIX="$template" skittera_quiet_wine wine64 reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
        /d "$SKITTERA_SCREEN" /f
    # A crash ends the process instead of waiting for someone to close a dialog.
    WINEPREFIX="$template" skittera_quiet_wine wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
        /t REG_DWORD /d 0 /f
    WINEPREFIX="$template" skittera_quiet_wine wineserver -w
    skittera_add_wine_fonts "$template"
    touch "$template/.skittera-ready"
}

# The prefix's DLL folders hold well over a gigabyte that Wine only reads, so the copy
# hard-links them; every other file (the registry files above all) becomes a copy of
# its own, so that no scenario can change the template.
skittera_new_prefix() {
    local target=$1 file
    rm -rf "$target"
    if ! cp -al "$SKITTERA_WINE_TEMPLATE" "$target" 2>/dev/null; then
        rm -rf "$target"
        cp -a "$SKITTERA_WINE_TEMPLATE" "$target" # another file system: no hard links there
        return
    fi
    find "$target" -type f ! -path "$target/drive_c/windows/system32/*" ! -path "$target/drive_c/windows/syswow64/*" \
        ! -path "$target/drive_c/windows/winsxs/*" -print0 | while IFS= read -r -d '' file; do
        cp -p "$file" "$file.copy" && mv -f "$file.copy" "$file"
    done
}

skittera_free_display() {
    local display=${SKITTERA_DISPLAY_BASE:-90}
    while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
        display=$((display + 1))
    done
    echo "$display"
}

# Starts an Xvfb on a free display and echoes "display pid".
skittera_start_xvfb() {
    local display attempt
    for attempt in 1 2 3 4 5; do
        display=$(skittera_free_display)
        # shellcheck disable=SC2086 # SKITTERA_XVFB_OPTIONS holds several words, or none
        Xvfb ":$display" -screen 0 "${SKITTERA_SCREEN}x24" -nolisten tcp ${SKITTERA_XVFB_OPTIONS:-} >/dev/null 2>&1 &
        local pid=$!
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$display" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$display" ]; then
            echo "$display $pid"
            return 0
        fi
        kill "$pid" 2>/dev/null # alive but without its socket: not one to keep
        SKITTERA_DISPLAY_BASE=$((display + 1))
    done
    return 1
}

skittera_wine_start() {
    local root
    root=$(mkdir -p "$1" && cd "$1" && pwd)
    mkdir -p "$root"
    export SKITTERA_WINE_TEMPLATE="$root/template"
    skittera_make_template "$SKITTERA_WINE_TEMPLATE"
    if [ ! -f "$root/prefix/.skittera-ready" ]; then
        skittera_new_prefix "$root/prefix"
    fi
    skittera_add_wine_fonts "$root/prefix"
    export WINEPREFIX="$root/prefix"
    local started
    started=$(skittera_start_xvfb) || { echo "cannot start Xvfb" >&2; return 1; }
    export DISPLAY=":${started% *}"
    SKITTERA_XVFB_PID=${started#* }
    wineserver -p >/dev/null 2>&1 </dev/null
    export SKITTERA_WINE_READY=1
}

# Ends what skittera_wine_start started: the prefix's own wineserver (and with it every
# Wine process of that prefix) and the Xvfb, by its PID.
skittera_wine_stop() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 </dev/null
    [ -n "${SKITTERA_XVFB_PID:-}" ] && kill "$SKITTERA_XVFB_PID" 2>/dev/null
    unset SKITTERA_WINE_READY SKITTERA_XVFB_PID
    return 0
}

# For the screenshot tools: runs a preview program (which writes its window's rectangle to
# the file it is given, then holds the window for six seconds) in the current session,
# grabs the screen once the window has painted and crops it to the window. Sets
# skittera_shot_size to "WIDTHxHEIGHT". Needs import and convert (ImageMagick).
#   skittera_preview_shot PREVIEW.exe OUTPUT.png WORK-FOLDER
skittera_preview_shot() {
    local preview=$1 output=$2 work=$3 program x y width height
    rm -f "$work/rect"
    # Wine's output goes to files: see skittera_quiet_wine.
    skittera_exec_wine "$preview" "$work/rect" 6000 >"$work/out" 2>"$work/err" </dev/null &
    program=$!
    for _ in $(seq 150); do
        [ -s "$work/rect" ] && break
        sleep 0.1
    done
    if [ ! -s "$work/rect" ]; then
        kill "$program" 2>/dev/null
        cat "$work/err" >&2
        return 1
    fi
    sleep 1.5 # let the window finish painting
    read -r x y width height <"$work/rect"
    import -display "$DISPLAY" -window root "$work/screen.png"
    convert "$work/screen.png" -crop "${width}x${height}+${x}+${y}" +repage -strip "$output"
    wait "$program" || true
    skittera_shot_size="${width}x${height}"
}
