#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target Vantrel2006
. scripts/wine-env.sh "${QORV_WINEPREFIX:-$HOME/.wine-vantrel}"
trap qorv_wine_cleanup EXIT
wine build/win32/app/Vantrel2006.exe
