#!/usr/bin/env bash
# Fails when a source includes a unit of a layer above its own, when one of
# the libraries over the framework includes a sibling library, or when a
# portable file (not *_win32.*) includes <windows.h> or a Windows-only header.
# Usage: check-includes.sh [source root]
#        check-includes.sh --self-test   (the check finds what it must, in a scratch tree)
set -euo pipefail

if [[ ${1:-} == --self-test ]]; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    mkdir -p "$scratch"/{framework,app,png,settings,components}
    printf '#include "framework/Components.h"\n' >"$scratch/png/Clean.cpp"
    printf '#include "framework/Forms_win32.h"\n' >"$scratch/components/Edit_win32.cpp"
    printf '#include <windows.h>\n#include "framework/Forms_win32.h"\n' >"$scratch/app/Ok_win32.cpp"
    printf '#include "png/QorvFormatPNG.h"\n#include "settings/unitSettings.h"\n' >"$scratch/app/Uses.cpp"
    bash "$0" "$scratch" || { echo "self-test: a clean tree was refused"; exit 1; }
    printf '#include "framework/Forms_win32.h"\n' >"$scratch/framework/Controls_win32.cpp"
    printf '#include <windows.h>\n' >"$scratch/png/Portable.cpp"
    printf '#include "app/formMain_win32.h"\n' >"$scratch/framework/Low.h"
    printf '#include "framework/Classes.h"\n#include "png/QorvFormatPNG.h"\n' >"$scratch/settings/Sibling.cpp"
    printf '#include "settings/unitSettings.h"\n' >"$scratch/components/Sibling.h"
    out=$(bash "$0" "$scratch") && { echo "self-test: faults passed"; exit 1; }
    for expect in Controls_win32.cpp:1 Portable.cpp:1 Low.h:1 settings/Sibling.cpp:2 \
        components/Sibling.h:1; do
        grep -q "$expect" <<<"$out" || { echo "self-test: missed $expect"; exit 1; }
    done
    echo "self-test: ok"
    exit 0
fi

root=${1:-$(dirname "$0")/..}
cd "$root"

# The layers, lowest first. Each may use only itself and the layers before
# it. The libraries (one rank) stand side by side over the framework: each
# uses the framework only, never a sibling; the program uses them all.
layers=(framework framework-windows framework-forms framework-registration
        libraries app tests bench fuzz)
libraries=(png settings components about htmlview)

layer_of() { # path -> layer name
    case "$1" in
    framework/Forms_win32.*) echo framework-forms ;;
    framework/Registration_win32.*) echo framework-registration ;;
    framework/*_win32.*) echo framework-windows ;;
    */*) echo "${1%%/*}" ;;
    esac
}

rank_of() {
    local i
    for i in "${libraries[@]}"; do
        [[ $i == "$1" ]] && set -- libraries
    done
    for i in "${!layers[@]}"; do
        [[ ${layers[$i]} == "$1" ]] && { echo "$i"; return; }
    done
    echo -1
}

status=0
while IFS= read -r file; do
    own=$(layer_of "$file")
    own_rank=$(rank_of "$own")
    [[ $own_rank -ge 0 ]] || continue
    portable=1
    [[ $file == *_win32.* ]] && portable=0
    while IFS=: read -r line text; do
        if [[ $text =~ \#include[[:space:]]*\<windows\.h\> ]]; then
            if ((portable)); then
                echo "$file:$line: portable file includes <windows.h>"
                status=1
            fi
            continue
        fi
        [[ $text =~ \#include[[:space:]]*\"([^\"]+)\" ]] || continue
        target=${BASH_REMATCH[1]}
        if ((portable)) && [[ $target == *_win32.* ]]; then
            echo "$file:$line: portable file includes Windows-only $target"
            status=1
        fi
        target_layer=$(layer_of "$target")
        target_rank=$(rank_of "$target_layer")
        if ((target_rank > own_rank)); then
            echo "$file:$line: $own includes $target from the layer above it ($target_layer)"
            status=1
        elif ((target_rank == own_rank)) && [[ $target_layer != "$own" ]]; then
            echo "$file:$line: $own includes $target from its sibling $target_layer"
            status=1
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find . -path ./build -prune -o -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print | sed 's|^\./||' | sort)
exit $status
