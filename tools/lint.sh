#!/usr/bin/env bash
# clang-tidy over every C++ source of the repository, with the checks of .clang-tidy (the reasons
# for the set are there). Fails on any finding, and on a source that no build compiles.
#
#   tools/lint.sh
#
# A source's clean verdict is kept outside the checkout, by tools/lint_cache.py (what the key
# holds, and where the verdicts are, is told there): a later run skips a source whose key has a
# verdict; any change to what the key holds checks it again. Sources with findings are never
# kept. `rm -rf ~/.cache/skittera/clang-tidy` (or SKITTERA_LINT_CACHE=0 for one run) checks
# everything again.
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
lint_cache="$top/tools/lint_cache.py"

# check_one BUILD ARGS... "key<TAB>source": clang-tidy on one source, its output to the scratch
# folder; a clean verdict is kept under its key.
check_one() {
    local build=$1 line=${!#}
    local key=${line%%$'\t'*} source=${line#*$'\t'}
    set -- "${@:2:$#-2}"
    local out
    out="$scratch/out/$(printf '%s' "$source" | sha256sum | cut -c1-16)"
    local status=0
    clang-tidy -p "$build" --quiet --header-filter="$header_filter" "$@" "$source" >"$out.out" 2>"$out.err" ||
        status=$?
    if [ "$status" = 0 ] && ! grep -qE '^[^ ].*:[0-9]+:[0-9]+: (warning|error):' "$out.out"; then
        python3 "$lint_cache" keep "$key"
    fi
    return "$status"
}
export -f check_one
export scratch lint_cache header_filter
mkdir -p "$scratch/out"

status=0
total=0
cached=0
for group in windows native; do
    if [ "$group" = windows ]; then build=build/i686 args=("${windows_args[@]}"); else build=build/native args=(); fi
    [ -s "$scratch/$group" ] || continue
    python3 "$lint_cache" keys "$jobs" "$build/compile_commands.json" "$scratch/$group" "$scratch/$group.keys" \
        "$top" "$header_filter" "${args[@]}"
    total=$((total + $(wc -l <"$scratch/$group.keys")))
    cached=$((cached + $(python3 "$lint_cache" pending "$scratch/$group.keys" "$scratch/$group.todo")))
    xargs -0 -P "$jobs" -n 1 -r bash -c 'check_one "$@"' check_one "$build" "${args[@]}" <"$scratch/$group.todo" ||
        status=1
done
echo "== clang-tidy: $checks checks, $(wc -l <"$scratch/windows") sources as i686 Windows," \
    "$(wc -l <"$scratch/native") native only; $cached of $total unchanged since a clean check," \
    "$((total - cached)) checked now"

# A header's finding is reported by every source that includes it: count each once.
cat "$scratch/out"/*.out 2>/dev/null | grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error):' |
    sort -u >"$scratch/findings" || true
findings=$(wc -l <"$scratch/findings")
if [ "$findings" != 0 ]; then
    cat "$scratch/out"/*.out
    echo "lint: $findings finding(s):" >&2
    cat "$scratch/findings" >&2
    exit 1
fi
if [ "$status" != 0 ]; then
    cat "$scratch/out"/*.err >&2
    echo "lint: clang-tidy failed without a finding" >&2
    exit 1
fi
echo "== clang-tidy: no findings"
