#!/usr/bin/env bash
# Builds the optimised native tree and runs the PNG decoding and encoding
# benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target png_bench
./build/native/bench/png_bench "$@"
