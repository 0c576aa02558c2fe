#!/usr/bin/env bash
# `make reproducible`: builds the shipped 32-bit brdl.exe twice from clean, in two
# temporary build folders from this same source tree, and compares the two
# executables byte for byte. Prints the size and the imported DLLs; exits
# nonzero when the builds differ.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for n in 1 2; do
  cmake -S "$root" -B "$work/build$n" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DBRDL_TESTS=OFF >/dev/null
  cmake --build "$work/build$n" --target brdl -j "$(nproc)" >/dev/null
done

first="$work/build1/brdl.exe"
second="$work/build2/brdl.exe"
size=$(stat -c %s "$first")
echo "brdl.exe (32-bit): $size bytes, $(( (size + 1023) / 1024 )) KiB"
echo "imports:"
i686-w64-mingw32-objdump -p "$first" | grep 'DLL Name' | sed 's/^[[:space:]]*/  /'

if cmp "$first" "$second"; then
  echo "two clean builds are byte-identical (sha256 $(sha256sum "$first" | cut -d' ' -f1))"
else
  echo "two clean builds differ; first differing bytes (offset, octal values):" >&2
  cmp -l "$first" "$second" | head -n 10 >&2 || true
  exit 1
fi
