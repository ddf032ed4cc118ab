#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
packages="cmake g++ make clang googletest libgtest-dev libbenchmark-dev clang-format clang-tidy
g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
wine wine64 wine32:i386 fonts-wine xvfb xauth xdotool imagemagick x11-utils x11-xserver-utils libxrandr-dev python3
python3-pil"
missing=""
for package in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
    "install ok installed") ;;
    *) missing="$missing $package" ;;
    esac
done
[ -z "$missing" ] && exit 0
echo "== installing:$missing"
sudo_cmd=""
[ "$(id -u)" = 0 ] || sudo_cmd=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
fi
$sudo_cmd apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends $missing >/dev/null
