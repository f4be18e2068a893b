#!/usr/bin/env bash
# The long random-use run: the real program driven by tests/random's RandomUse
# over several seeds, in a Wine prefix of the tests' own (with the tests'
# printer and shell recorder), printing each seed's figures and the totals.
# Usage: scripts/random-use.sh [STEPS_PER_SEED] [SEEDS...]   (1000 over 1..5)
# QORV_RANDOM_ALL=1 adds the actions whose faults are mended elsewhere;
# QORV_RANDOM_TRACE=1 prints every action.
set -euo pipefail
cd "$(dirname "$0")/.."
steps=${1:-1000}
shift || true
seeds=("$@")
[ ${#seeds[@]} -gt 0 ] || seeds=(1 2 3 4 5)
. scripts/wine-arch.sh
preset=$qorv_windows_preset
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2 --target RandomUse QorvTestPrinter
build=$PWD/build/$preset
QORV_WINE_UNMANAGED=1 . scripts/wine-env.sh "$PWD/build/wineprefix-test"
trap qorv_wine_cleanup EXIT
wine "$build/tests/printer/QorvTestPrinter.exe" install "Z:$PWD/tests/printer/QorvTestPrinter.ppd" >/dev/null
all=()
[ "${QORV_RANDOM_ALL:-0}" = 1 ] && all=(--all)
log=$(mktemp)
for seed in "${seeds[@]}"; do
  wine "$build/tests/random/RandomUse.exe" "Z:$build/app/Vantrel2006.exe" "$seed" "$steps" "${all[@]}" |
    tr -d '\r' | tee -a "$log" | grep -v '^random-use:   box' || true
done
echo "random-use: totals over seeds ${seeds[*]}:"
awk '/: seed [0-9]+: steps/ {
       for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+,?$/) { v = $i; sub(",", "", v); n[$(i-1)] += v }
     }
     /^random-use:   box/ { sub(/^random-use:   box +/, ""); c = $1; $1 = ""; $2 = ""; sub(/^  /, ""); box[$0] += c }
     END {
       printf "random-use:   steps %d, starts %d, closes %d, crashes %d, hangs %d, windows off screen %d\n",
              n["steps"], n["starts"], n["closes"], n["crashes"], n["hangs"], n["screen"]
       for (b in box) printf "random-use:   box %5d x %s\n", box[b], b
     }' "$log"
rm -f "$log"
