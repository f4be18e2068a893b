#!/usr/bin/env bash
# Makes the pictures the README shows: builds the program, starts it under
# Xvfb in a Wine prefix made for the run, drives it to each view with
# ScreenDriver (tests/screens) and photographs the window into docs/.
# The prefix is new each time, so the pictures show a first start.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
out=${1:-docs}
mkdir -p "$out"

. scripts/wine-arch.sh
cmake --preset "$qorv_windows_preset" >/dev/null
cmake --build --preset "$qorv_windows_preset" -j "$(nproc)" --target Vantrel2006 ScreenDriver
build=$PWD/build/$qorv_windows_preset

scratch=$(mktemp -d "$PWD/build/screens.XXXXXX")
# A display of our own, whatever the caller's: the pictures must not show
# anything but the program.
unset DISPLAY
QORV_WINE_UNMANAGED=1 . scripts/wine-env.sh "$scratch/prefix"
program_pid=
finish() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  qorv_wine_cleanup
  rm -rf "$scratch"
}
trap finish EXIT

drive() { wine "$build/tests/screens/ScreenDriver.exe" "$@" | tr -d '\r'; }
# shot <name> <geometry>: the screen's rectangle into $out/<name>.png.
shot() {
  import -window root -crop "$2" +repage "$out/$1.png"
  echo "screenshots: $out/$1.png ($2)"
}

# The program starts from a folder of the prefix, as an installed copy would.
mkdir -p "$scratch/app"
cp "$build/app/Vantrel2006.exe" "$build/app/License.txt" "$scratch/app/"
( cd "$scratch/app" && exec wine Vantrel2006.exe ) &
program_pid=$!

drive main >/dev/null
shot find "$(drive code 5)"
shot list "$(drive button 1)"
drive button 0 >/dev/null
drive button 15 >/dev/null
shot about "$(drive window About)"
drive close About
drive button 8 >/dev/null
shot preview "$(drive window "Print Preview")"
drive close "Print Preview"
drive close "Drovanex Vantrel 2006"
wait "$program_pid" || true
program_pid=
