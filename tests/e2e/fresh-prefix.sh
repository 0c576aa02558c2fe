#!/bin/sh
# Runs a test program in a fresh copy of the test prefix, so nothing an earlier
# run (or `make run`) left there matters; BRDL_E2E_CASES picks its doctest cases.
set -eu
wineserver -w
rm -rf "$WINEPREFIX-e2e"
cp -a "$WINEPREFIX" "$WINEPREFIX-e2e"
export WINEPREFIX="$WINEPREFIX-e2e"
wine "$@" ${BRDL_E2E_CASES:+"--test-case=$BRDL_E2E_CASES"} && rc=0 || rc=$?
wineserver -k 2>/dev/null || true
exit $rc
