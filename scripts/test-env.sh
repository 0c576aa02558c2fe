#!/usr/bin/env bash
# Runs a command in Brindle's test environment: a private Wine prefix under the
# build folder, Wine's log quiet, and a virtual X display when none is given.
#   scripts/test-env.sh [--build DIR] [--32 | --64] COMMAND [ARGS...]
# --32: the command needs 32-bit programs; where none can run, say why and exit 0
# without running it. --64: it runs 64-bit programs only, so a kernel without
# 32-bit support needs no emulation and the prefix is made by the 64-bit loader.
# The command finds in BRDL_WIN32 how 32-bit programs run: native, qemu or none.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
needs=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    --32 | --64) needs=$1; shift ;;
    *) break ;;
  esac
done

export WINEPREFIX="$build/wineprefix"

# A kernel without 32-bit support (ia32_emulation off) cannot start Wine's 32-bit
# loader. Then `wine` is the 64-bit loader; it hands 32-bit programs to qemu-i386
# through a private copy of Wine's loader folder when qemu-user is installed.
# BRDL_NO_WIN32 tells the callers that 32-bit programs do not run natively.
# BRDL_FORCE_QEMU=1 takes that path on any kernel, to try it where 32-bit runs.
why=""
if [ -z "${BRDL_FORCE_QEMU:-}" ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export BRDL_WIN32=native
elif [ "$needs" != --64 ] && [ -x /usr/lib/wine/wine ] && command -v qemu-i386 >/dev/null; then
  "$root/scripts/qemu-wine.sh" "$build/qemu-wine"
  export PATH="$build/qemu-wine/bin:$PATH" BRDL_WIN32=qemu BRDL_NO_WIN32=1
  # An emulated 32-bit process starts in about 2 s instead of a tenth: the
  # end-to-end driver's waits for windows and scripts stretch threefold.
  export BRDL_TIME_SCALE=${BRDL_TIME_SCALE:-3}
else
  export PATH="$root/scripts/wine64-only:$PATH" BRDL_WIN32=none BRDL_NO_WIN32=1
  why="not natively, and qemu-i386 (Debian's qemu-user) is not installed"
  [ -x /usr/lib/wine/wine ] || why="the 32-bit Wine (wine32:i386) is not installed"
fi
if [ "$needs" = --32 ] && [ "$BRDL_WIN32" = none ]; then
  echo "test-env: 32-bit programs cannot run here: $why" >&2
  exit 0
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

# A prefix made where 32-bit programs could not start has an empty 32-bit system folder.
if [ "$BRDL_WIN32" != none ] && [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "test-env: $WINEPREFIX has no 32-bit system folder: making it again" >&2
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "test-env: creating the Wine prefix $WINEPREFIX (once)" >&2
  mkdir -p "$WINEPREFIX"
  # Quiet when it works; when a step fails, what it printed and the free space
  # (a prefix takes over a gigabyte), and no half-made prefix to trip the next run.
  log="$build/wineprefix.log"
  step() {
    "$@" >>"$log" 2>&1 && return
    echo "test-env: making the prefix failed at: $*" >&2
    tail -n 20 "$log" >&2
    df -h "$WINEPREFIX" >&2
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    exit 1
  }
  : >"$log"
  step wineboot -i
  # Every window in a virtual desktop: frames and captions in screenshots, and no
  # waiting on an absent window manager whenever a window is hidden.
  step wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  step wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
  # A crashing test ends at once instead of waiting in Wine's debugger.
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >>"$log" 2>&1 || true
  step wineserver -w
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
