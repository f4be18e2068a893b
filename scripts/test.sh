#!/usr/bin/env bash
# Builds and runs every test: the portable libraries natively with
# AddressSanitizer and UBSan, then the Windows program's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j "$jobs"
ctest --preset native-asan -j "$jobs"

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
QORV_WINE_UNMANAGED=1 . scripts/wine-env.sh "$PWD/build/wineprefix-test"
trap qorv_wine_cleanup EXIT
ctest --preset win32
