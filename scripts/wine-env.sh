# Sourced by the run and test scripts: a Wine prefix of the project's own, an X
# display (Xvfb when there is none) and one persistent wineserver, so that each
# Windows test executable starts in about a second instead of booting Wine anew.
# Usage: . scripts/wine-env.sh <prefix-dir>

qorv_prefix=${1:?prefix directory}
export WINEPREFIX=$qorv_prefix
. "$(dirname "${BASH_SOURCE[0]}")/wine-arch.sh"
mkdir -p "$WINEPREFIX"
if [ "$qorv_windows_preset" = win64 ]; then
  export WINEARCH=win64
  # The wine command (and wineboot, winepath... through wine-stable) would
  # take the 32-bit loader, which cannot run here: these take the 64-bit one.
  mkdir -p "$WINEPREFIX/qorv-bin"
  for qorv_name in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$WINEPREFIX/qorv-bin/$qorv_name"
    chmod +x "$WINEPREFIX/qorv-bin/$qorv_name"
  done
  export PATH=$WINEPREFIX/qorv-bin:$PATH
else
  export WINEARCH=win32
fi
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts: neither package can be had here. No
# winemenubuilder either: shortcuts made in a prefix (the installer's) would
# otherwise become menu entries and file associations of the Linux desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 91 120); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then
      Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      qorv_xvfb_pid=$!
      export DISPLAY=:$n
      for _ in $(seq 1 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
      break
    fi
  done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-env: creating the Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  if [ "${QORV_WINE_UNMANAGED:-0}" = 1 ]; then
    # Tests run on a bare X display: with no window manager to answer, Wine
    # waits two seconds on every top-level window it destroys unless its
    # windows are left unmanaged.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  fi
fi
# Wine's own bitmap and TrueType faces ("MS Sans Serif", Tahoma...): without
# them the forms' 8-point "MS Sans Serif" falls back to a wider face and the
# labels laid out for it run into each other.
if [ -d /usr/share/wine/fonts ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wineserver -p >/dev/null 2>&1 || true
# Start the prefix's background services now, detached from our output: when
# a test program starts them they inherit CTest's pipe and CTest waits on it.
wineboot </dev/null >/dev/null 2>&1 || true
# A test prefix beside a Windows build tree opens the documents and addresses the
# program hands to the shell (.htm, .txt, http:, mailto:) with the tests'
# ShellRecorder, which only notes them: tests never start a browser, mail
# program or editor. QORV_SHELL_RECORDER names another recorder program.
qorv_recorder=${QORV_SHELL_RECORDER:-}
qorv_tree=$(cd "$(dirname "$WINEPREFIX")" && pwd)/$qorv_windows_preset
if [ -z "$qorv_recorder" ] && [ "${QORV_WINE_UNMANAGED:-0}" = 1 ] && [ -d "$qorv_tree" ]; then
  qorv_recorder=$qorv_tree/tests/tools/ShellRecorder.exe
fi
if [ -n "$qorv_recorder" ] &&
  [ "$(cat "$WINEPREFIX/.qorv-shell-recorder" 2>/dev/null)" != "$qorv_recorder" ]; then
  # The program file need not exist yet: the build makes it where it is named.
  qorv_command=$(printf '\\"Z:%s\\" \\"%%1\\"' "$(printf %s "$qorv_recorder" | sed 's|/|\\\\|g')")
  qorv_reg=$WINEPREFIX/drive_c/qorv-shell-recorder.reg
  {
    printf 'REGEDIT4\n\n'
    printf '[HKEY_CLASSES_ROOT\\QorvShellRecorder.Document\\shell\\open\\command]\n@="%s"\n\n' "$qorv_command"
    for ext in .htm .txt; do
      printf '[HKEY_CLASSES_ROOT\\%s]\n@="QorvShellRecorder.Document"\n\n' "$ext"
    done
    for scheme in http mailto; do
      printf '[-HKEY_CLASSES_ROOT\\%s\\shell\\open\\ddeexec]\n\n' "$scheme"
      printf '[HKEY_CLASSES_ROOT\\%s\\shell\\open\\command]\n@="%s"\n\n' "$scheme" "$qorv_command"
    done
  } >"$qorv_reg"
  if wine regedit /s 'C:\qorv-shell-recorder.reg' </dev/null >/dev/null 2>&1; then
    printf %s "$qorv_recorder" >"$WINEPREFIX/.qorv-shell-recorder"
  fi
  rm -f "$qorv_reg"
fi
qorv_wine_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${qorv_xvfb_pid:-}" ]; then kill "$qorv_xvfb_pid" 2>/dev/null || true; fi
}
