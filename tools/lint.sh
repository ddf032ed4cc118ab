#!/usr/bin/env bash
# clang-tidy over every C++ source of the repository, with the checks of .clang-tidy (the reasons
# for the set are there). Fails on any finding, and on a source that no build compiles.
#
#   tools/lint.sh
#
# The sources are checked as the 32-bit Windows build compiles them: its compile commands
# (build/i686/compile_commands.json), with clang told the target (--target=i686-w64-windows-gnu)
# and given the mingw-w64 headers and the cross g++'s C++ library in place of the machine's own.
# The few sources that only the native build compiles (the tests over the in-memory registry, the
# engine benchmark) are checked with the native build's commands.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${SKITTERA_JOBS:-$(nproc)}
command -v clang-tidy >/dev/null || "$top/tools/install-deps.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Configuring is enough: the compile commands are written then, and the only generated header
# (resources/version.h) too.
cmake -S "$top" -B build/i686 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
    >"$scratch/configure.log" || { cat "$scratch/configure.log"; exit 1; }
cmake -S "$top" -B build/native -DCMAKE_BUILD_TYPE=Release \
    >"$scratch/configure.log" || { cat "$scratch/configure.log"; exit 1; }

# The newest posix-threads g++ for i686 (the toolchain files use the -posix compilers).
cxx_include=$(find /usr/lib/gcc/i686-w64-mingw32 -maxdepth 3 -path '*-posix/include/c++' | sort -V | tail -n 1)
[ -d "$cxx_include" ] || { echo "lint: no i686 mingw-w64 g++ headers under /usr/lib/gcc" >&2; exit 1; }
windows_args=(
    --extra-arg=--target=i686-w64-windows-gnu
    --extra-arg=-nostdinc++ --extra-arg=-nostdlibinc
    "--extra-arg=-isystem$cxx_include"
    "--extra-arg=-isystem$cxx_include/i686-w64-mingw32"
    "--extra-arg=-isystem$cxx_include/backward"
    --extra-arg=-isystem/usr/i686-w64-mingw32/include
)

# Which build compiles each source; a source in neither is an error, not a silent pass.
git ls-files --cached --others --exclude-standard -- '*.cpp' >"$scratch/sources"
python3 - "$top" "$scratch/sources" build/i686/compile_commands.json build/native/compile_commands.json \
    "$scratch/windows" "$scratch/native" "$scratch/orphans" <<'EOF'
import json, os, sys
top, sources, windows_db, native_db, windows_out, native_out, orphans_out = sys.argv[1:]
def compiled(database):
    with open(database) as f:
        return {os.path.realpath(os.path.join(entry["directory"], entry["file"])) for entry in json.load(f)}
windows, native = compiled(windows_db), compiled(native_db)
groups = {windows_out: [], native_out: [], orphans_out: []}
with open(sources) as f:
    for name in f.read().split("\n"):
        if not name:
            continue
        path = os.path.realpath(os.path.join(top, name))
        groups[windows_out if path in windows else native_out if path in native else orphans_out].append(path)
for out, paths in groups.items():
    with open(out, "w") as f:
        f.write("".join(p + "\n" for p in paths))
EOF
if [ -s "$scratch/orphans" ]; then
    echo "lint: no build compiles these sources, so they cannot be checked:" >&2
    cat "$scratch/orphans" >&2
    exit 1
fi

# Findings in the repository's own headers count too; the build folders' and the system's do not.
folders=$(git ls-files --cached --others --exclude-standard -- '*.h' | sed -n 's|^\([^/]*\)/.*|\1|p' | sort -u |
    paste -sd '|' -)
header_filter="^$(printf '%s' "$top" | sed 's/[][\.*^$+?(){}|]/\\&/g')/($folders)/"

checks=$(clang-tidy --list-checks | sed -n 's/^ \{4\}\([a-z].*\)$/\1/p' | wc -l)
echo "== clang-tidy: $checks checks, $(wc -l <"$scratch/windows") sources as i686 Windows," \
    "$(wc -l <"$scratch/native") native only"
status=0
xargs -P "$jobs" -n 1 -r clang-tidy -p build/i686 --quiet --header-filter="$header_filter" "${windows_args[@]}" \
    <"$scratch/windows" >"$scratch/windows.out" 2>"$scratch/windows.err" || status=1
xargs -P "$jobs" -n 1 -r clang-tidy -p build/native --quiet --header-filter="$header_filter" \
    <"$scratch/native" >"$scratch/native.out" 2>"$scratch/native.err" || status=1

# A header's finding is reported by every source that includes it: count each once.
cat "$scratch/windows.out" "$scratch/native.out" | grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error):' |
    sort -u >"$scratch/findings" || true
findings=$(wc -l <"$scratch/findings")
if [ "$findings" != 0 ]; then
    cat "$scratch/windows.out" "$scratch/native.out"
    echo "lint: $findings finding(s):" >&2
    cat "$scratch/findings" >&2
    exit 1
fi
if [ "$status" != 0 ]; then
    cat "$scratch/windows.err" "$scratch/native.err" >&2
    echo "lint: clang-tidy failed without a finding" >&2
    exit 1
fi
echo "== clang-tidy: no findings"
