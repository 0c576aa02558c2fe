#!/usr/bin/env bash
# Runs a command in Brindle's test environment: a private Wine prefix under the
# build folder, Wine's log quiet, and a virtual X display when none is given.
#   scripts/test-env.sh [--build DIR] COMMAND [ARGS...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
if [ "${1:-}" = "--build" ]; then
  build=$(mkdir -p "$2" && cd "$2" && pwd)
  shift 2
fi

export WINEPREFIX="$build/wineprefix"

# A kernel without 32-bit support (ia32_emulation off) cannot start Wine's 32-bit
# loader: run the 64-bit programs only, and tell the callers so.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export PATH="$root/scripts/wine64-only:$PATH"
  export BRDL_NO_WIN32=1
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  # Xvfb picks a free display number itself and writes it to the pipe.
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display <"$fifo" || { echo "test-env: Xvfb did not start" >&2; rm -f "$fifo"; exit 1; }
  rm -f "$fifo"
  export DISPLAY=":$display"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "test-env: creating the Wine prefix $WINEPREFIX (once)" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # Every window in a virtual desktop: frames and captions in screenshots, and no
  # waiting on an absent window manager whenever a window is hidden.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  # A crashing test ends at once instead of waiting in Wine's debugger.
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1
  wineserver -w
fi

# Wine does not find fonts-wine's Marlett by itself: caption buttons would draw as letters.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi

set +e
"$@"
rc=$?
set -e
exit $rc
