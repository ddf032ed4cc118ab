#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
#
# Two steps. The first installs everything but 32-bit Wine; it fails only when one of
# those packages cannot be installed, and then its last line names the package and
# apt's reason. The second, 32-bit Wine (wine32:i386, which brings the i386
# architecture), runs only where this machine runs 32-bit programs, found out by
# starting a tiny i386 program made here. When that step fails (an i386 index that
# cannot be fetched, dependencies that cannot be met) it says so in one sentence, the
# architecture is taken away again and the set-up goes on: the test command then reads
# the reason from the record below and runs no i686 tests, as on a machine without
# 32-bit emulation. Packages already installed are not asked for again, and a failed
# 32-bit step is not tried again for a day, so a second run does no apt work.
#
#   SKITTERA_SETUP_STATE   the folder of the 32-bit records (default /var/tmp/skittera-setup)
#   SKITTERA_SETUP_PAUSE   seconds between tries of apt-get update (default 10)
#   SKITTERA_NO_32BIT=1    as on a machine that runs no 32-bit programs
set -uo pipefail

packages="cmake g++ make clang googletest libgtest-dev libbenchmark-dev clang-format clang-tidy
g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
wine wine64 fonts-wine xvfb xauth xdotool imagemagick x11-utils x11-xserver-utils libxrandr-dev python3
python3-pil nsis osslsigncode openssl libclang-rt-14-dev"
wine32_package=wine32:i386
state=${SKITTERA_SETUP_STATE:-/var/tmp/skittera-setup}
reason="$state/wine32-reason"  # why 32-bit programs cannot run here, when they cannot
failed="$state/wine32-failed" # when the last 32-bit step failed
pause=${SKITTERA_SETUP_PAUSE:-10}
update_tries=3

sudo_cmd=""
[ "$(id -u)" = 0 ] || sudo_cmd=sudo

installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

# Starts a 96-byte i386 Linux program that only exits with status 42: only a kernel that
# runs 32-bit programs gives that status back.
# SKITTERA_SETUP_RUNS_32BIT=yes or no gives the answer instead, for the set-up's own test.
runs_32bit_programs() {
    case "${SKITTERA_SETUP_RUNS_32BIT:-}" in
    yes) return 0 ;;
    no) return 1 ;;
    esac
    local dir status=0
    dir=$(mktemp -d) || return 1
    {
        printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0'
        printf '\50\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0'
        printf '\270\1\0\0\0\273\52\0\0\0\315\200' # exit(42) through int 0x80
    } >"$dir/probe"
    chmod +x "$dir/probe"
    "$dir/probe" 2>/dev/null || status=$?
    rm -rf "$dir"
    [ "$status" = 42 ]
}

# apt's reason in one line: its error lines, and the first unmet dependency if any.
apt_reason() {
    local depends errors
    depends=$(grep -m1 ' : Depends: ' "$1" | sed 's/^ *//')
    errors=$(grep '^E: ' "$1" | sed 's/^E: //' | paste -sd ' ' -)
    echo "${depends:+$depends; }${errors:-apt-get gave no reason}"
}

# apt-get update, tried a few times: an index that fails (a mirror in the middle of a
# sync) does not stop the set-up, whose packages may well come from the other indexes.
update_indexes() {
    local try log
    log=$(mktemp)
    for try in $(seq "$update_tries"); do
        if $sudo_cmd apt-get update -qq >"$log" 2>&1; then
            rm -f "$log"
            return 0
        fi
        echo "== apt-get update failed (try $try of $update_tries): $(apt_reason "$log")"
        [ "$try" = "$update_tries" ] || sleep "$pause"
    done
    rm -f "$log"
    echo "== going on with the indexes that could be read"
}

# Installs the packages given; on failure prints apt's reason to the file $1.
apt_install() {
    local log=$1
    shift
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1
}

install_main() {
    local missing="" package log
    for package in $packages; do
        installed "$package" || missing="$missing $package"
    done
    [ -n "$missing" ] || return 0
    echo "== installing:$missing"
    update_indexes
    log=$(mktemp)
    # shellcheck disable=SC2086 # the list is meant to be split
    if apt_install "$log" $missing; then
        rm -f "$log"
        return 0
    fi
    # One at a time, to name the package that cannot be had.
    for package in $missing; do
        installed "$package" && continue
        if ! apt_install "$log" "$package"; then
            echo "== set-up failed: the package $package cannot be installed: $(apt_reason "$log")"
            rm -f "$log"
            return 1
        fi
    done
    rm -f "$log"
}

install_wine32() {
    if [ "${SKITTERA_NO_32BIT:-0}" = 1 ]; then
        echo "== SKITTERA_NO_32BIT=1: no i386 packages are asked for"
        return 0
    fi
    mkdir -p "$state"
    if ! runs_32bit_programs; then
        echo "32-bit Windows programs cannot run here: this machine's kernel runs no 32-bit programs (32-bit emulation is off), so Wine's 32-bit loader cannot start." >"$reason"
        echo "== this machine runs no 32-bit programs: no i386 packages are needed, and the i686 tests will not run"
        return 0
    fi
    if installed "$wine32_package"; then
        rm -f "$reason" "$failed"
        return 0
    fi
    if [ -n "$(find "$failed" -mmin -1440 2>/dev/null)" ]; then
        echo "== $(cat "$reason") (tried less than a day ago; delete $failed to try again now)"
        return 0
    fi
    echo "== installing 32-bit Wine: $wine32_package"
    local added=0 log
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo_cmd dpkg --add-architecture i386 && added=1
    fi
    update_indexes
    log=$(mktemp)
    if apt_install "$log" "$wine32_package"; then
        rm -f "$log" "$reason" "$failed"
        return 0
    fi
    echo "32-bit Windows programs cannot run here: 32-bit Wine ($wine32_package) could not be installed: $(apt_reason "$log")" >"$reason"
    touch "$failed"
    rm -f "$log"
    echo "== $(cat "$reason")"
    if [ "$added" = 1 ]; then
        $sudo_cmd dpkg --remove-architecture i386 2>/dev/null || true
    fi
    return 0
}

install_main || exit 1
install_wine32
