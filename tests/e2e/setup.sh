#!/usr/bin/env bash
# The setup under Wine, in a prefix and on a display of its own (tools/wine-session.sh):
#
#   setup            a silent install; the program started from the install folder counts;
#                    the setup again while it runs (it ends as "Esci" ends it, the new
#                    program takes its place and starts again); a silent uninstall that
#                    keeps the counter; an install and an uninstall with /PURGE.
#   setup_refusals   a setup or uninstall while another setup runs, a read-only install
#                    folder, /D= naming a file, a running copy that does not end: each ends
#                    with its exit status and changes nothing, the running copy and its
#                    count included.
#
#   setup.sh SCENARIO SETUP.exe PROGRAM.exe PROBE.exe WORKDIR
#
# PROGRAM.exe is the program inside SETUP.exe. Wine hands a Windows exit status to the
# shell modulo 256. A failed scenario keeps its folder under WORKDIR.
set -u
scenario=$1
setup=$2
# Creating a shortcut starts winemenubuilder, which would write .desktop files into the
# host user's home, outside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# shellcheck source=tools/wine-session.sh
. "$(dirname "$0")/../../tools/wine-session.sh"
skittera_session_start "$scenario" "$3" "$4" "$5"
built_program=$program
top=$(cd "$(dirname "$0")/../.." && pwd)

version=$(python3 "$top/tools/release.py" describe --exe "$setup" | sed -n 's/^ProductVersion: //p')
[ -n "$version" ] || fail "$setup has no version"
wine_user=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 ! -name Public -printf '%f\n' | head -1)
[ -n "$wine_user" ] || fail "the prefix has no user folder"
install_dir="$WINEPREFIX/drive_c/users/$wine_user/AppData/Local/Programs/Skittera"
install_dir_windows="C:\\users\\$wine_user\\AppData\\Local\\Programs\\Skittera"
shortcut="$WINEPREFIX/drive_c/users/$wine_user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Skittera.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Skittera'
user_run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
user_switch_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'

# Runs a setup or an uninstaller with its arguments and sets "status" to its exit status.
run_setup() {
    status=0
    skittera_wine "$@" >"$work/setup.out" 2>&1 </dev/null || status=$?
}

expect_status() {
    [ "$status" = "$1" ] || fail "$2: exit status $status, expected $1"
}

# The data of a value of any type, as `reg` shows it (a DWORD as 0x...); status 1 when
# the value does not exist.
reg_data() {
    wine64 reg query "$1" /v "$2" "$reg_view" >"$work/reg.out" 2>&1 </dev/null || return 1
    tr -d '\r' <"$work/reg.out" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

expect_data() {
    local actual
    actual=$(reg_data "$1" "$2") || fail "$1\\$2 is missing"
    [ "$actual" = "$3" ] || fail "$1\\$2 is '$actual', expected '$3'"
}

expect_no_value() {
    reg_data "$1" "$2" >/dev/null && fail "$1\\$2 is still there: $(reg_data "$1" "$2")"
    return 0
}

saved_distance() { reg_get "$user_key" SkitDistanza || fail "no distance saved"; }

# The program in the install folder, started as the user would and counting.
start_installed() {
    program="$install_dir/skittera.exe"
    park_pointer "$1" "$2"
    start_program
    wait_until_counting
}

# The installed program, its uninstaller, the shortcut and the uninstall entry.
expect_installed() {
    local what=$1 program_file=$2
    cmp -s "$install_dir/skittera.exe" "$program_file" || fail "$what: skittera.exe is not the program of the setup"
    [ -f "$install_dir/uninstall.exe" ] || fail "$what: no uninstall.exe"
    [ -f "$shortcut" ] || fail "$what: no Start menu shortcut"
    expect_data "$uninstall_key" DisplayName Skittera
    expect_data "$uninstall_key" DisplayVersion "$version"
    expect_data "$uninstall_key" Publisher "The Skittera developers"
    expect_data "$uninstall_key" DisplayIcon "$install_dir_windows\\skittera.exe"
    expect_data "$uninstall_key" InstallLocation "$install_dir_windows"
    expect_data "$uninstall_key" UninstallString "\"$install_dir_windows\\uninstall.exe\""
    expect_data "$uninstall_key" QuietUninstallString "\"$install_dir_windows\\uninstall.exe\" /S"
    expect_data "$uninstall_key" NoModify 0x1
    expect_data "$uninstall_key" NoRepair 0x1
    local size
    size=$(reg_data "$uninstall_key" EstimatedSize) || fail "$what: no EstimatedSize"
    # The program and the uninstaller: a few hundred kilobytes.
    if [ $((size)) -lt 100 ] || [ $((size)) -gt 2000 ]; then
        fail "$what: EstimatedSize $size KB"
    fi
    [ -z "$(find "$install_dir" -name '*.new' -o -name '*.old' -o -name '*.tmp')" ] ||
        fail "$what: left-overs in the install folder: $(ls "$install_dir")"
}

# Task Manager's switch for the user's entry, off.
switch_off() {
    wine64 reg add "$user_switch_key" /v Skittera /t REG_BINARY /d 030000000000000000000000 /f "$reg_view" \
        >/dev/null 2>&1 </dev/null || fail "cannot switch the entry off"
}

# A silent uninstall copies the uninstaller to %TEMP% and returns at once while the copy
# works: it is done when the folder has gone.
uninstall_silently() {
    run_setup "$install_dir/uninstall.exe" /S "$@"
    expect_status 0 "uninstall.exe /S $*"
    for _ in $(seq 150); do
        [ -e "$install_dir" ] || break
        sleep 0.2
    done
    [ ! -e "$install_dir" ] || fail "uninstall.exe /S $*: the install folder is still there: $(ls "$install_dir")"
    # The uninstall entry goes last but one, before the uninstaller itself.
    reg_data "$uninstall_key" DisplayName >/dev/null && fail "the uninstall entry is still there"
    [ ! -e "$shortcut" ] || fail "the Start menu shortcut is still there"
}

scenario_setup() {
    # The first setup holds an older build of the program (one with bytes of its own after
    # its image), so that the second one is seen to replace it.
    cp "$built_program" "$work/old-skittera.exe"
    printf 'an older build' >>"$work/old-skittera.exe"
    python3 "$top/tools/release.py" setup --exe "$work/old-skittera.exe" --version "$version" \
        --licence "$top/LICENSE" --icon "$top/resources/skittera.ico" --date 0 --out "$work/old-setup.exe" ||
        fail "cannot make the older setup"

    note "silent install"
    local started=$SECONDS
    run_setup "$work/old-setup.exe" /S
    expect_status 0 "setup /S"
    expect_installed "install" "$work/old-skittera.exe"
    # The log-on box's form: the path, unquoted since it holds no blank.
    expect_data "$user_run_key" Skittera "$install_dir_windows\\skittera.exe"
    probe window >/dev/null && fail "a silent install started the program"
    note "installed in $((SECONDS - started)) s"

    note "the installed program counts"
    start_installed 100 500
    move_through 500 500 500 200 # 300 pixels up: 300 * 254/960 mm
    # The user turns the start at log-on off in the program: an update leaves it off.
    wine64 reg delete "$user_run_key" /v Skittera /f >/dev/null 2>&1 </dev/null || fail "cannot delete the Run value"

    note "setup again while the program runs"
    started=$SECONDS
    run_setup "$setup" /S
    expect_status 0 "setup /S over the running program"
    note "updated in $((SECONDS - started)) s"
    wait_program 15
    [ "$exit_code" = 1 ] || fail "the running program ended with $exit_code, not as Esci ends it"
    expect_distance_near "$(saved_distance)" 7.9375
    expect_installed "update" "$built_program"
    expect_no_value "$user_run_key" Skittera
    probe wait-window 30000 >/dev/null || fail "the update did not start the program again"
    wait_until_counting
    wait_taskbar visible
    [ "$(probe windows)" = "windows 1 icons 1" ] || fail "after the update: $(cat "$work/probe.out")"
    move_through 500 200 500 500 # the started copy counts on: 300 pixels down

    note "silent uninstall"
    reg_set "$user_run_key" Skittera "$install_dir_windows\\skittera.exe"
    switch_off
    reg_set "$machine_run_key" Skittera 'C:\elsewhere\skittera.exe'
    started=$SECONDS
    uninstall_silently
    note "uninstalled in $((SECONDS - started)) s"
    probe wait-gone 10000 >/dev/null || fail "the uninstall left the program running"
    expect_no_value "$user_run_key" Skittera
    expect_no_value "$user_switch_key" Skittera
    expect_data "$machine_run_key" Skittera 'C:\elsewhere\skittera.exe' # another copy's
    expect_distance_near "$(saved_distance)" 15.875                      # kept, and saved at the end

    note "install, and uninstall with /PURGE"
    run_setup "$setup" /S
    expect_status 0 "setup /S after an uninstall"
    expect_installed "second install" "$built_program"
    expect_data "$user_run_key" Skittera "$install_dir_windows\skittera.exe"
    # The entry switched off in Task Manager, the program's box shows it clear: an update
    # leaves it so.
    switch_off
    run_setup "$setup" /S
    expect_status 0 "setup /S over an entry switched off"
    expect_data "$user_switch_key" Skittera 030000000000000000000000
    expect_data "$user_run_key" Skittera "$install_dir_windows\skittera.exe"
    uninstall_silently /PURGE
    expect_no_value "$user_switch_key" Skittera
    reg_data "$user_key" SkitDistanza >/dev/null && fail "/PURGE kept the counter"
    wine64 reg query "$user_key" >/dev/null 2>&1 </dev/null && fail "/PURGE kept $user_key"
    return 0
}

# What must not change when a setup refuses: the installed program, the uninstall entry,
# no files left over, and the running copy with its count.
expect_unchanged() {
    local what=$1
    expect_installed "$what" "$built_program"
    kill -0 "$program_pid" 2>/dev/null || fail "$what: the running program ended"
    probe window >/dev/null || fail "$what: the running program's window is gone"
}

# Makes a folder read-only even for root: without write permission, or immutable.
make_read_only() {
    chmod a-w "$1"
    touch "$1/.probe" 2>/dev/null || return 0
    rm -f "$1/.probe"
    chattr +i "$1" 2>/dev/null && ! touch "$1/.probe" 2>/dev/null
}

make_writable() {
    chattr -i "$1" 2>/dev/null
    chmod u+w "$1"
}

scenario_setup_refusals() {
    run_setup "$setup" /S
    expect_status 0 "setup /S"
    start_installed 100 500
    move_through 500 500 500 200

    note "a setup while another one runs"
    skittera_exec_wine "$setup" >"$work/first-setup.out" 2>&1 </dev/null &
    local first=$!
    program_pid="$program_pid $first" # ended with the session should anything fail
    local shown=""
    for _ in $(seq 100); do
        shown=$(xdotool search --name 'Skittera' 2>/dev/null | head -1)
        [ -n "$shown" ] && break
        sleep 0.1
    done
    [ -n "$shown" ] || fail "the first setup shows no window"
    program_pid=${program_pid% *}
    run_setup "$setup" /S
    expect_status $((1618 % 256)) "a second setup"
    expect_unchanged "a second setup"
    run_setup "$install_dir/uninstall.exe" /S "_?=$install_dir_windows"
    expect_status $((1618 % 256)) "an uninstall during a setup"
    expect_unchanged "an uninstall during a setup"
    kill -KILL "$first" 2>/dev/null
    wait "$first" 2>/dev/null

    note "/D= naming a file"
    printf 'not a folder' >"$WINEPREFIX/drive_c/skittera-file"
    run_setup "$setup" /S '/D=C:\skittera-file'
    expect_status $((267 % 256)) "/D= naming a file"
    [ "$(cat "$WINEPREFIX/drive_c/skittera-file")" = "not a folder" ] || fail "/D= naming a file: the file changed"
    expect_unchanged "/D= naming a file"
    # One argument with a blank: Wine puts it in quotes, which /D= may not have.
    run_setup "$setup" /S '/D=C:\Skittera altrove'
    expect_status $((267 % 256)) "/D= in quotes"
    [ ! -e "$WINEPREFIX/drive_c/Skittera altrove" ] || fail "/D= in quotes: the folder was made"
    expect_unchanged "/D= in quotes"

    note "a read-only install folder"
    if make_read_only "$install_dir"; then
        run_setup "$setup" /S
        make_writable "$install_dir"
        expect_status $((1603 % 256)) "a read-only install folder"
        expect_unchanged "a read-only install folder"
    else
        make_writable "$install_dir"
        note "NOT RUN: this file system lets root write into any folder, so no folder here is read-only"
    fi

    note "a copy that does not end"
    probe post command 40001 >/dev/null
    wait_program 15
    [ "$exit_code" = 1 ] || fail "Esci ended the program with $exit_code"
    expect_distance_near "$(saved_distance)" 7.9375 # the count survived every refusal
    play_role deaf-copy deaf "play a copy that hangs" 60000
    local started=$SECONDS
    run_setup "$setup" /S
    expect_status 32 "a setup over a copy that does not end"
    note "gave up on the hanging copy after $((SECONDS - started)) s"
    kill -0 "$role_pid" 2>/dev/null || fail "the setup ended the hanging copy"
    expect_installed "a copy that does not end" "$built_program"
    kill "$role_pid" 2>/dev/null
    wait "$role_pid" 2>/dev/null
    return 0
}

case "$scenario" in
setup | setup_refusals)
    note "display $DISPLAY, prefix $WINEPREFIX"
    started_at=$SECONDS
    "scenario_$scenario"
    note "took $((SECONDS - started_at)) s"
    ;;
*)
    fail "no scenario $scenario"
    ;;
esac
session_passed=1
note "passed"
