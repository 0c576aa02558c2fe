#!/usr/bin/env bash
# Makes (or refreshes) DIR, a private copy of Wine's loader folder in which the
# 32-bit loader runs under qemu-i386, for a kernel that runs no 32-bit programs.
#   scripts/qemu-wine.sh DIR        then put DIR/bin first on PATH
# Nothing is registered with the system (no binfmt handler): only Wine started
# from DIR/bin knows to go through qemu.
set -euo pipefail

tree=$(mkdir -p "${1:?usage: scripts/qemu-wine.sh DIR}" && cd "$1" && pwd)
loaders=/usr/lib/wine

# Wine starts a child's loader from the real folder of its own executable, by
# name ("wine" for 32-bit, "wine64" for 64-bit), so the loaders must be real
# files here, not links into /usr/lib/wine.
mkdir -p "$tree/lib/wine" "$tree/lib/x86_64-linux-gnu" "$tree/lib/i386-linux-gnu" "$tree/share" "$tree/bin"
cmp -s "$loaders/wine64" "$tree/lib/wine/wine64" || cp "$loaders/wine64" "$tree/lib/wine/wine64"
cmp -s "$loaders/wine" "$tree/lib/wine/wine32" || cp "$loaders/wine" "$tree/lib/wine/wine32"
# The loaders look for ntdll.so in ../<triplet>/wine, and Wine's data in ../../share/wine.
ln -sfn /usr/lib/x86_64-linux-gnu/wine "$tree/lib/x86_64-linux-gnu/wine"
ln -sfn /usr/lib/i386-linux-gnu/wine "$tree/lib/i386-linux-gnu/wine"
ln -sfn /usr/share/wine "$tree/share/wine"
ln -sfn "$loaders/wineserver" "$tree/lib/wine/wineserver"

# -0 keeps argv[0] naming this script: the 32-bit Wine takes its own loader's
# name from it, for 32-bit children, and appends "64" for 64-bit ones.
# -R: qemu 7.2 takes MAP_FIXED_NOREPLACE as a mere hint, so Wine's start-up
# reservations land elsewhere, those above 2 GB are kept, and reserving the upper
# 2 GB then misses some 65,000 times, each miss scanning qemu's map of a 4 GB
# guest (about 90 s a process). A guest space that ends just above the shared
# user data page at 0x7ffe0000 leaves nothing up there: about 2 s a process.
qemu=$(command -v qemu-i386) || { echo "qemu-wine: no qemu-i386 (Debian's qemu-user)" >&2; exit 1; }
cat >"$tree/lib/wine/wine.new" <<EOF
#!/bin/sh
exec $qemu -R 0x7fff0000 -0 "\$0" "\${0%/*}/wine32" "\$@"
EOF
# The front: the 64-bit loader, which hands a 32-bit program to ./wine itself.
cat >"$tree/bin/wine.new" <<EOF
#!/bin/sh
exec "$tree/lib/wine/wine64" "\$@"
EOF
chmod +x "$tree/lib/wine/wine.new" "$tree/bin/wine.new"
mv "$tree/lib/wine/wine.new" "$tree/lib/wine/wine"
mv "$tree/bin/wine.new" "$tree/bin/wine"
# Debian's wineboot, winepath and friends start `wine-stable` from the PATH.
ln -sfn wine "$tree/bin/wine-stable"
