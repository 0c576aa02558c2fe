#!/usr/bin/env bash
# `make bench`, inside scripts/test-env.sh: start-up against the floors and
# Wine's Internet Options, the same at 144 DPI (150 %), peak working set, one OK,
# Brindle's own start-up steps and the size of the shipped executable. Prints
# figures; asserts nothing.
#   bench/run.sh BUILD_DIR BUILD64_DIR [RUNS]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: bench/run.sh BUILD_DIR BUILD64_DIR [RUNS]}" && pwd)
build64=$(cd "$2" && pwd)
runs=${3:-20}

timed=$build
if [ -n "${BRDL_NO_WIN32:-}" ]; then
  timed=$build64
  echo "bench: this kernel runs no 32-bit programs: timing the 64-bit build ($timed/brdl.exe)"
else
  echo "bench: timing the 32-bit build ($timed/brdl.exe)"
fi
desktop=$(wine reg query 'HKCU\Software\Wine\Explorer' /v Desktop 2>/dev/null | tr -d '\r' | awk '/Desktop/ {print $3}')
echo "bench: $(wine --version | tr -d '\r'), prefix $WINEPREFIX, display $DISPLAY (Xvfb unless given)," \
     "Wine virtual desktop: ${desktop:-none}"
echo "bench: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); load$(uptime | sed "s/.*load average//")"
echo "bench: Brindle installed for the current user (InstFlag 2), default options; runs after the warm-up" \
     "find the place the previous run stored"
echo

bin=$timed/bench
wine "$bin/bench_startup.exe" "$runs" \
  brdl Brindle "$timed/brdl.exe" \
  floor Brindle "$bin/floor.exe" \
  floor-bare Floor "$bin/floor_bare.exe" \
  inetcpl "Internet Settings" "control.exe inetcpl.cpl" | tr -d '\r'
echo

# The prefix's display scale, which each program reads as it starts; put back on any exit.
desktop_key='HKCU\Control Panel\Desktop'
dpi_before=$(wine reg query "$desktop_key" /v LogPixels 2>/dev/null | tr -d '\r' | awk '/LogPixels/ {print $3}') || true
restore_dpi() {
  if [ -n "$dpi_before" ]; then
    wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$((dpi_before))" /f >/dev/null 2>&1
  else
    wine reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1 || true
  fi
}
trap restore_dpi EXIT
wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
echo "at 144 DPI (LogPixels 144, 150 %):"
wine "$bin/bench_startup.exe" "$runs" \
  brdl Brindle "$timed/brdl.exe" \
  inetcpl "Internet Settings" "control.exe inetcpl.cpl" | tr -d '\r'
restore_dpi
echo
wine "$bin/bench_startup.exe" ok 10 "$timed/brdl.exe" | tr -d '\r'
echo
wine "$bin/bench_init_steps.exe" 30 | tr -d '\r'
echo
python3 "$root/bench/pe_size.py" "$build/brdl.exe" 131072
echo "load after the bench$(uptime | sed "s/.*load average//")"
