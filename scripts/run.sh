#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
. scripts/wine-arch.sh
cmake --preset "$qorv_windows_preset" >/dev/null
cmake --build --preset "$qorv_windows_preset" -j "$(nproc)" --target Vantrel2006
. scripts/wine-env.sh "${QORV_WINEPREFIX:-$HOME/.wine-vantrel}"
trap qorv_wine_cleanup EXIT
wine "build/$qorv_windows_preset/app/Vantrel2006.exe"
