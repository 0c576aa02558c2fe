#!/bin/sh
# Runs a test program in a Wine prefix of its own: a fresh copy of the test
# prefix, so nothing an earlier run (or `make run`) left there matters.
set -eu
wineserver -w
fresh="$WINEPREFIX-e2e"
rm -rf "$fresh"
cp -a "$WINEPREFIX" "$fresh"
export WINEPREFIX="$fresh"
set +e
wine "$@"
rc=$?
wineserver -k 2>/dev/null
exit $rc
