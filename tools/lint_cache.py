#!/usr/bin/env python3
"""The cache of tools/lint.sh: clean clang-tidy verdicts, kept outside the checkout.

    lint_cache.py keys JOBS DATABASE SOURCES OUT TOP HEADER_FILTER [ARGUMENT...]
        writes "key<TAB>source" to OUT for every source named in SOURCES (one a line),
        as the compile commands of DATABASE compile it; ARGUMENTs are those clang-tidy is
        given (--extra-arg=... among them)
    lint_cache.py pending KEYS TODO
        writes the lines of KEYS whose source has no clean verdict to TODO, each ended by
        a NUL (for xargs -0), and prints how many had one
    lint_cache.py keep KEY
        keeps a clean verdict

A verdict is one empty file in ${SKITTERA_CACHE:-${XDG_CACHE_HOME:-~/.cache}/skittera}/clang-tidy,
named by a hash of the source's preprocessed text (itself and every header it includes, as
clang sees them for that build), the compiler's arguments, the .clang-tidy file, clang-tidy's
version and the arguments of the check, with the checkout's folder TOP taken out of all of
them, so that every checkout of the same sources on this machine (another worktree, a fresh
clone) shares them. Any change to any of those gives another key, and so a check. A source
that clang cannot preprocess gets an empty key: it is always checked. SKITTERA_LINT_CACHE=0
counts no verdict, so that everything is checked again.
"""

import concurrent.futures
import hashlib
import json
import os
import shlex
import subprocess
import sys


def folder():
    """Where the verdicts are kept; made when missing."""
    home = os.environ.get("SKITTERA_CACHE") or os.path.join(
        os.environ.get("XDG_CACHE_HOME") or os.path.join(os.environ["HOME"], ".cache"), "skittera"
    )
    path = os.path.join(home, "clang-tidy")
    os.makedirs(path, exist_ok=True)
    return path


def keys(jobs, database, sources, out, top, header_filter, *extra):
    config = os.path.join(top, ".clang-tidy")
    extra_args = [a[len("--extra-arg=") :] for a in extra if a.startswith("--extra-arg=")]
    with open(database) as f:
        commands = {os.path.realpath(os.path.join(e["directory"], e["file"])): e for e in json.load(f)}
    base = hashlib.sha256()
    with open(config, "rb") as f:
        base.update(f.read())
    base.update(subprocess.run(["clang-tidy", "--version"], capture_output=True).stdout)
    base.update(("\0".join([header_filter] + list(extra))).replace(top, "<top>").encode())

    def key(source):
        entry = commands[source]
        words = shlex.split(entry["command"]) if "command" in entry else list(entry["arguments"])
        args, skip = [], False
        for word in words[1:]:
            if skip:
                skip = False
            elif word == "-o":
                skip = True
            elif word != "-c" and os.path.realpath(os.path.join(entry["directory"], word)) != source:
                args.append(word)
        run = subprocess.run(
            ["clang++", *args, *extra_args, "-E", "-w", source], cwd=entry["directory"], capture_output=True
        )
        if run.returncode != 0:
            return ""
        digest = base.copy()
        # The compiler's arguments, as they change what clang-tidy sees beyond the text (the
        # language standard, -fno-exceptions); without the object file's name.
        digest.update("\0".join(args).replace(top, "<top>").encode() + b"\0")
        digest.update(source.replace(top, "<top>").encode() + b"\0")
        digest.update(run.stdout.replace(top.encode(), b"<top>"))
        return digest.hexdigest()

    with open(sources) as f:
        paths = [line for line in f.read().split("\n") if line]
    with concurrent.futures.ThreadPoolExecutor(int(jobs)) as pool:
        found = list(pool.map(key, paths))
    with open(out, "w") as f:
        f.write("".join(f"{k}\t{p}\n" for k, p in zip(found, paths)))


def pending(keys_file, todo):
    kept = folder()
    use = os.environ.get("SKITTERA_LINT_CACHE", "1") != "0"
    cached = 0
    with open(keys_file) as f, open(todo, "w") as out:
        for line in f.read().split("\n"):
            if not line:
                continue
            key = line.split("\t", 1)[0]
            if key and use and os.path.exists(os.path.join(kept, key)):
                cached += 1
            else:
                out.write(line + "\0")
    print(cached)


def keep(key):
    if key:
        open(os.path.join(folder(), key), "w").close()


def main(argv):
    command, arguments = (argv[1], argv[2:]) if len(argv) > 1 else ("", [])
    if command == "keys" and len(arguments) >= 6:
        keys(*arguments)
    elif command == "pending" and len(arguments) == 2:
        pending(*arguments)
    elif command == "keep" and len(arguments) == 1:
        keep(*arguments)
    else:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
