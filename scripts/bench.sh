#!/usr/bin/env bash
# Runs every benchmark; each prints its figures next to peers measured in the
# same run:
#  - PNG decoding and encoding against libpng, spng and stb_image (native);
#  - the program's start-up under Wine against three floors (a bare window,
#    one with the common controls 6 and the visual style, and the main
#    window's system controls in plain Win32), its steps, lookups;
#  - the whole-catalogue export of each form under Wine against its floor;
#  - the HTML view's layout of the whole catalogue page for A4 and Letter (native);
#  - Print Preview and About under Wine: command to window shown, against a
#    bare modal window.
# Arguments go to the PNG benchmark (for example --encode).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target png_bench htmlview_bench
./build/native/bench/png_bench "$@"
./build/native/bench/htmlview_bench

. scripts/wine-arch.sh
cmake --preset "$qorv_windows_preset" >/dev/null
cmake --build --preset "$qorv_windows_preset" -j 2 --target StartupBench ExportBench ModalBench TimedProgram BareWindow ThemedWindow ControlsWindow Vantrel2006
QORV_WINE_UNMANAGED=1 . scripts/wine-env.sh "$PWD/build/wineprefix-test"
trap qorv_wine_cleanup EXIT
(cd "build/$qorv_windows_preset" && wine bench/win32/StartupBench.exe app/Vantrel2006.exe bench/win32/TimedProgram.exe \
  bench/win32/BareWindow.exe bench/win32/ThemedWindow.exe bench/win32/ControlsWindow.exe \
  "${QORV_STARTUP_RUNS:-21}")
(cd "build/$qorv_windows_preset" && wine bench/win32/ExportBench.exe "${QORV_EXPORT_RUNS:-21}")
(cd "build/$qorv_windows_preset" && wine bench/win32/ModalBench.exe "${QORV_MODAL_RUNS:-15}")
