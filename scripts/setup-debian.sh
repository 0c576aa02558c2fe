#!/usr/bin/env bash
# Installs what building and testing Brindle needs on Debian 12; does nothing
# when everything is there already.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 wine32:i386 fonts-wine
  xvfb xauth imagemagick
  doctest-dev
  qemu-user
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

need_update=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  need_update=1
fi

installed=$(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Status}\n' 2>/dev/null | awk '$2 == "installed" { print $1 }')
native=$(dpkg --print-architecture)
missing=()
for p in "${packages[@]}"; do
  case "$p" in *:*) q="$p" ;; *) q="$p:$native" ;; esac
  grep -qx -e "$q" -e "${q%:*}:all" <<<"$installed" || missing+=("$p")
done

[ ${#missing[@]} -gt 0 ] || exit 0
echo "Installing: ${missing[*]}"
if [ -n "$need_update" ] || [ ! -d /var/lib/apt/lists ] || [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v -e lock -e partial)" ] || ! apt-cache show "${missing[0]}" >/dev/null 2>&1; then
  $sudo apt-get update -qq
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
