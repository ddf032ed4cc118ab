#!/usr/bin/env bash
# Fails when a C++ source differs from the committed .clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | grep -v '^resources/resource.h$' || true)
[ -z "$files" ] && exit 0
# shellcheck disable=SC2086
clang-format --dry-run -Werror $files
