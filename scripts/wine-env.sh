# Sourced by the run and test scripts: a Wine prefix of the project's own, an X
# display (Xvfb when there is none) and one persistent wineserver, so that each
# Windows test executable starts in about a second instead of booting Wine anew.
# Usage: . scripts/wine-env.sh <prefix-dir>

qorv_prefix=${1:?prefix directory}
export WINEPREFIX=$qorv_prefix
export WINEARCH=win32
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

mkdir -p "$WINEPREFIX"
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
wineserver -p >/dev/null 2>&1 || true
# Start the prefix's background services now, detached from our output: when
# a test program starts them they inherit CTest's pipe and CTest waits on it.
wineboot </dev/null >/dev/null 2>&1 || true
qorv_wine_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${qorv_xvfb_pid:-}" ]; then kill "$qorv_xvfb_pid" 2>/dev/null || true; fi
}
