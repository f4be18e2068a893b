#!/usr/bin/env bash
# Fails when a tracked C or C++ source differs from what clang-format makes of
# it with the repository's .clang-format, and names each such file. One
# clang-format run checks them all, without writing anything.
# Usage: check-format.sh [source root]
#        check-format.sh --self-test   (a scratch tree with one file off)
# Exits 77 (a skip for CTest) when clang-format is not installed.
set -euo pipefail

command -v clang-format >/dev/null || { echo "clang-format not installed: format not checked"; exit 77; }

if [[ ${1:-} == --self-test ]]; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    cp "$(dirname "$0")/../.clang-format" "$scratch/"
    mkdir -p "$scratch/lib"
    printf 'int Clean(int a) {\n    return a + 1;\n}\n' >"$scratch/lib/Clean.cpp"
    printf 'int  Off( int a ){return a+1;}\n' >"$scratch/lib/Off.h"
    out=$(bash "$0" "$scratch" 2>&1) && { echo "self-test: an unformatted file passed"; exit 1; }
    grep -q "lib/Off.h" <<<"$out" || { echo "self-test: the file that is off was not named"; exit 1; }
    grep -q "Clean.cpp" <<<"$out" && { echo "self-test: a clean file was named"; exit 1; }
    rm "$scratch/lib/Off.h"
    bash "$0" "$scratch" >/dev/null || { echo "self-test: a clean tree was refused"; exit 1; }
    echo "self-test: ok"
    exit 0
fi

root=${1:-$(dirname "$0")/..}
cd "$root"

# The tracked sources; outside a git checkout (a source archive), every one
# below the root but the build trees.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1 && [[ $(git rev-parse --show-prefix) == "" ]]; then
    list() { git ls-files -z -- '*.c' '*.cpp' '*.h'; }
else
    list() { find . -path ./build -prune -o -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print0; }
fi

# --dry-run reports each place as "file:line:col: error: code should be
# clang-formatted"; only the file names are kept.
status=0
out=$(list | xargs -0 -r clang-format --dry-run --Werror 2>&1 >/dev/null) || status=$?
off=$(sed -n 's|^\(\./\)\{0,1\}\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*|\2|p' <<<"$out" |
      sort -u)
if [[ -n $off ]]; then
    while IFS= read -r file; do
        echo "$file: not formatted (clang-format -i $file)"
    done <<<"$off"
    exit 1
fi
# A failure that names no file (a broken .clang-format) must not pass.
if ((status != 0)); then
    echo "clang-format failed:"
    head -5 <<<"$out"
    exit 1
fi
