#!/usr/bin/env bash
# Prints a Windows program's file size and the size of each of its sections, and fails when
# the file is larger than the limit.
#
#   tools/check-size.sh EXE LIMIT      LIMIT in bytes, or in KiB with a K (300K = 307200)
#
# Exit status: 0 within the limit, 1 over it (or no readable program), 2 for a wrong call.
# The section table comes from objdump of the mingw-w64 binutils, which reads 32-bit and
# 64-bit programs alike. To see what made a section grow, link the program again with a
# map and read which library members came in, and why (docs/performance.md shows how).
set -euo pipefail

usage() {
    echo "usage: tools/check-size.sh EXE LIMIT   (LIMIT in bytes, or KiB with a K: 300K)" >&2
    exit 2
}
[ $# -eq 2 ] || usage
exe=$1
# Digits, with at most one K at the end; no more than 12 of them, so the shell's arithmetic
# cannot wrap round.
[[ $2 =~ ^([0-9]{1,12})(K?)$ ]] || usage
limit=$((10#${BASH_REMATCH[1]}))
[ -z "${BASH_REMATCH[2]}" ] || limit=$((limit * 1024))

objdump=""
for candidate in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump; do
    if command -v "$candidate" >/dev/null; then
        objdump=$candidate
        break
    fi
done
[ -n "$objdump" ] || { echo "check-size: no mingw-w64 objdump (tools/install-deps.sh installs it)" >&2; exit 1; }
[ -f "$exe" ] || { echo "check-size: $exe: no such file" >&2; exit 1; }
headers=$("$objdump" -h "$exe" 2>&1) || { echo "check-size: $exe: not a program objdump can read: $headers" >&2; exit 1; }
case "$headers" in
*"file format pei-"*) ;;
*) echo "check-size: $exe: not a Windows program" >&2; exit 1 ;;
esac

size=$(stat -c %s "$exe")
echo "$exe: $size bytes, limit $limit"
# Lines of the table: "  0 .text  0002f408  VMA  LMA  File-off  Algn", in hexadecimal. The
# size is the section's size in memory; .bss takes none of the file.
while read -r index name hex _; do
    if [[ $index =~ ^[0-9]+$ && $hex =~ ^[0-9a-fA-F]+$ ]]; then
        printf '  %-10s %8d\n' "$name" "$((16#$hex))"
    fi
done <<<"$headers"
if [ "$size" -gt "$limit" ]; then
    echo "check-size: $exe is $((size - limit)) bytes over the limit of $limit" >&2
    exit 1
fi
echo "within the limit by $((limit - size)) bytes"
