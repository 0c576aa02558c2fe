#!/usr/bin/env bash
# `make test`, inside scripts/test-env.sh: every test of both builds.
#   scripts/run-tests.sh BUILD_DIR BUILD64_DIR
set -euo pipefail
if [ -n "${BRDL_NO_WIN32:-}" ]; then
  echo "run-tests: this kernel runs no 32-bit programs; the 32-bit build is built but not tested here" >&2
else
  ctest --test-dir "$1" --output-on-failure
fi
ctest --test-dir "$2" --output-on-failure
