#!/usr/bin/env bash
# The set-up's decisions (tools/install-deps.sh), with stand-ins for apt-get, dpkg,
# dpkg-query and sudo first on PATH: they record what they are asked, and fail as a
# package mirror in the middle of a sync does. Each case runs the set-up twice: the
# second run must do no apt work.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin="$work/bin"
mkdir -p "$bin"

cat >"$bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE/calls"
case "$1" in
update)
    if [ "$FAKE_UPDATE" = fail ]; then
        echo "E: Failed to fetch bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
        exit 100
    fi ;;
install)
    shift
    asked=""
    for word in "$@"; do
        case "$word" in -*) ;; *) asked="$asked $word" ;; esac
    done
    for package in $asked; do
        if [[ " $FAKE_REFUSED " == *" $package "* ]]; then
            echo " $package : Depends: libbrotli1:i386 (>= 1.0.9) but it is not going to be installed" >&2
            echo "E: Unable to correct problems, you have held broken packages." >&2
            exit 100
        fi
    done
    for package in $asked; do echo "$package" >>"$FAKE/installed"; done ;;
esac
STANDIN
cat >"$bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
grep -qx -- "${!#}" "$FAKE/installed" 2>/dev/null && printf 'install ok installed'
STANDIN
cat >"$bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
case "$1" in
--print-foreign-architectures) cat "$FAKE/architectures" 2>/dev/null ;;
--add-architecture) echo "dpkg $*" >>"$FAKE/calls"; echo "$2" >>"$FAKE/architectures" ;;
--remove-architecture) echo "dpkg $*" >>"$FAKE/calls"; sed -i "/^$2\$/d" "$FAKE/architectures" ;;
esac
STANDIN
printf '#!/bin/sh\nexec "$@"\n' >"$bin/sudo"
chmod +x "$bin"/*

base=$(sed -n '/^packages="/,/"$/p' "$top/tools/install-deps.sh" | tr -d '"' | sed 's/^packages=//')

# name | runs 32-bit | installed before | update | refused by apt | status | calls expected (;) | calls never made (;) | output's last line
cases=(
    "no 32-bit, all there|no|base|ok||0||apt-get;dpkg --add|runs no 32-bit programs"
    "no 32-bit, i386 index failing|no||fail||0|apt-get update;apt-get update;apt-get update;apt-get install -y -qq --no-install-recommends cmake|i386;dpkg --add|runs no 32-bit programs"
    "32-bit, i386 side failing|yes|base|fail|wine32:i386|0|dpkg --add-architecture i386;apt-get install -y -qq --no-install-recommends wine32:i386;dpkg --remove-architecture i386|apt-get install -y -qq --no-install-recommends cmake|could not be installed: wine32:i386 : Depends: libbrotli1:i386"
    "32-bit, healthy mirror|yes|base|ok||0|dpkg --add-architecture i386;apt-get update;apt-get install -y -qq --no-install-recommends wine32:i386|dpkg --remove|"
    "a needed package refused|no||ok|xdotool|1|apt-get install -y -qq --no-install-recommends xdotool||the package xdotool cannot be installed: xdotool : Depends: libbrotli1:i386 (>= 1.0.9) but it is not going to be installed; Unable to correct problems"
)

failures=0
fail() { echo "FAIL [$name]: $*"; failures=$((failures + 1)); }

for row in "${cases[@]}"; do
    IFS='|' read -r name runs32 before update refused status expected never last <<<"$row"
    export FAKE="$work/case" FAKE_UPDATE="$update" FAKE_REFUSED="$refused"
    rm -rf "$FAKE" && mkdir -p "$FAKE"
    # shellcheck disable=SC2086 # one package a line
    [ "$before" = base ] && printf '%s\n' $base >"$FAKE/installed"
    run() {
        : >"$FAKE/calls"
        PATH="$bin:$PATH" SKITTERA_SETUP_STATE="$FAKE/state" SKITTERA_SETUP_PAUSE=0 \
            SKITTERA_SETUP_RUNS_32BIT="$runs32" bash "$top/tools/install-deps.sh" >"$FAKE/out" 2>&1
    }
    code=0
    run || code=$?
    [ "$code" = "$status" ] || fail "exit status $code, not $status: $(cat "$FAKE/out")"
    IFS=';' read -ra wanted <<<"$expected"
    for call in "${wanted[@]}"; do
        count=$(grep -c -- "^$call" "$FAKE/calls")
        needed=$(printf '%s\n' "${wanted[@]}" | grep -cx -- "$call")
        [ "$count" -ge "$needed" ] || fail "asked '$call' $count times, not $needed: $(tr '\n' '/' <"$FAKE/calls")"
    done
    IFS=';' read -ra unwanted <<<"$never"
    for call in "${unwanted[@]}"; do
        ! grep -q -- "$call" "$FAKE/calls" || fail "asked '$call': $(tr '\n' '/' <"$FAKE/calls")"
    done
    [[ "$(tail -n1 "$FAKE/out")" == *"$last"* ]] || fail "last line '$(tail -n1 "$FAKE/out")' without '$last'"
    [ "$status" = 0 ] || continue
    [ -s "$FAKE/architectures" ] && [ "$runs32" = no ] && fail "an architecture was added: $(cat "$FAKE/architectures")"
    run || fail "the second run failed: $(cat "$FAKE/out")"
    [ ! -s "$FAKE/calls" ] || fail "the second run did apt work: $(tr '\n' '/' <"$FAKE/calls")"
    # The test command gives the set-up's reason for not running the i686 tests.
    reason=$(SKITTERA_SETUP_STATE="$FAKE/state" bash -c '. "$1/tools/wine-env.sh"; skittera_no_wine32_reason' _ "$top")
    case "$name" in
    "32-bit, i386 side failing") [[ "$reason" == *"could not be installed"* ]] || fail "the test command's reason: $reason" ;;
    "no 32-bit"*) [[ "$reason" == *"kernel runs no 32-bit programs"* ]] || fail "the test command's reason: $reason" ;;
    esac
done

echo "${#cases[@]} cases, $failures failures"
[ "$failures" = 0 ]
