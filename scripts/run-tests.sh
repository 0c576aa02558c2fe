#!/usr/bin/env bash
# `make test`: every test of both builds, side by side, each build in a test
# environment of its own (scripts/test-env.sh: its own prefix and wineserver).
#   scripts/run-tests.sh BUILD_DIR BUILD64_DIR
# Says for each build how its programs ran: natively, through qemu-i386
# emulation, or not at all and why.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Inside a test environment: one build's ctest.
if [ "${1:-}" = --ctest ]; then
  dir=$2 name=$3 how=natively cases=""
  if [ "$name" = 32-bit ] && [ "$BRDL_WIN32" = qemu ]; then
    # Each emulated process start costs seconds: of the end-to-end cases, the
    # first start (install dialog to main window) and the removal by "/u".
    export BRDL_E2E_CASES='*first start*,*remov*'
    # The check list's screen-reader object starts COM threads, which qemu-user runs unreliably: that case skips.
    how="through qemu-i386 emulation (end to end: the first start and the removal by /u; in process: all but the check list)"
    # Picked by name, which may change: say which cases, and stop if none is left.
    cases=$(wine "$dir/tests/brdl_e2e.exe" --list-test-cases --test-case="$BRDL_E2E_CASES" | tr -d '\r' |
            grep -v -e '^\[doctest\]' -e '^====' | sed 's/^/  /') || true
    [ -n "$cases" ] || { echo "run-tests: no end-to-end case matches $BRDL_E2E_CASES" >&2; exit 1; }
  fi
  echo "run-tests: $name build, $how"
  [ -z "$cases" ] || printf 'run-tests: its end-to-end cases:\n%s\n' "$cases"
  exec ctest --test-dir "$dir" --output-on-failure
fi

build=$(cd "${1:?usage: scripts/run-tests.sh BUILD_DIR BUILD64_DIR}" && pwd)
build64=$(cd "${2:?usage: scripts/run-tests.sh BUILD_DIR BUILD64_DIR}" && pwd)
# A 32-bit prefix made through qemu takes about half a minute, and every
# emulated run is CPU-bound: started first, in the background, with its output
# kept for the end.
log32="$build/test-32.log"
setsid "$here/test-env.sh" --build "$build" --32 "$0" --ctest "$build" 32-bit >"$log32" 2>&1 &
pid32=$!
setsid "$here/test-env.sh" --build "$build64" --64 "$0" --ctest "$build64" 64-bit &
pid64=$!
# Each runs in a process group of its own, which an interrupted run ends; Wine's
# processes have sessions of their own, which end with their prefixes' servers.
stop() {
  kill -- -"$pid32" -"$pid64" 2>/dev/null || true
  for prefix in "$build"/wineprefix{,-e2e} "$build64"/wineprefix{,-e2e}; do
    [ ! -d "$prefix" ] || WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
}
trap stop EXIT
trap 'exit 130' INT TERM
rc64=0
wait "$pid64" || rc64=$?
echo "run-tests: waiting for the 32-bit build's tests ($log32)"
rc32=0
wait "$pid32" || rc32=$?
trap - EXIT
cat "$log32"

verdict() { [ "$1" -eq 0 ] && echo passed || echo FAILED; }
echo "run-tests: 64-bit build run natively: $(verdict $rc64)"
if how=$(grep -m1 '^run-tests: 32-bit build, ' "$log32"); then
  echo "run-tests: 32-bit build run ${how#run-tests: 32-bit build, }: $(verdict $rc32)"
elif why=$(sed -n 's/^test-env: 32-bit programs cannot run here: //p' "$log32") && [ -n "$why" ]; then
  echo "run-tests: 32-bit build not run: $why"
else
  echo "run-tests: 32-bit build FAILED before its tests (see above)"
  rc32=1
fi
[ $rc64 -eq 0 ] && [ $rc32 -eq 0 ]
