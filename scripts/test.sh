#!/usr/bin/env bash
# Builds and runs every test: the portable libraries natively with
# AddressSanitizer and UBSan, then the Windows program's tests under Wine.
# Where the machine runs no 32-bit programs (wine-arch.sh), the 32-bit tree is
# still built, and the Windows tests run on the 64-bit build of the same
# sources.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
. scripts/wine-arch.sh

jobs=$(nproc)
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j "$jobs"
ctest --preset native-asan -j "$jobs"

cmake --preset win32 >/dev/null
if [ "$qorv_windows_preset" = win64 ]; then
  # All of it, tests and benchmarks too: what ships must build, and warn of
  # nothing, for 32 bits as well.
  cmake --build --preset win32 -j "$jobs"
  echo "test: this machine runs no 32-bit programs; the Windows tests run on the 64-bit build"
  cmake --preset win64 >/dev/null
fi
cmake --build --preset "$qorv_windows_preset" -j "$jobs"
QORV_WINE_UNMANAGED=1 . scripts/wine-env.sh "$PWD/build/wineprefix-test"
trap qorv_wine_cleanup EXIT
ctest --preset "$qorv_windows_preset"
