#!/usr/bin/env bash
# `make run`: starts the built Brindle in the private Wine prefix.
#   scripts/run.sh BUILD_DIR        (inside scripts/test-env.sh)
# With the user's display (BRDL_USER_DISPLAY, the DISPLAY that make was given),
# brdl.exe simply runs there. Without one it walks through a first start in the
# virtual display as a user would: a picture of the install dialog, an install
# with its defaults, a picture of the main window, one with the pointer resting on
# a row button (its tooltip shown), one of the options dialog, three more settings
# checked there and one of the four rows; then the program is closed.
set -euo pipefail

build=$(cd "${1:?usage: scripts/run.sh BUILD_DIR}" && pwd)
exe="$build/brdl.exe"
helper="$build/walkthrough.exe"
if [ -n "${BRDL_NO_WIN32:-}" ]; then
  # This kernel runs no 32-bit programs: show the 64-bit build, same resources.
  echo "run: this kernel runs no 32-bit programs; starting the 64-bit build" >&2
  exe="$build/x64/brdl.exe"
  helper="$build/x64/walkthrough.exe"
fi

if [ -n "${BRDL_USER_DISPLAY:-}" ]; then
  exec wine "$exe"
fi

[ -f "$helper" ] || { echo "run: $helper is missing (tools/walkthrough is not built)" >&2; exit 1; }

desktop=Brindle
# A virtual desktop draws captions and frames, which a bare X display does not.
screen="$desktop - Wine desktop"

# Always show the first start: forget an earlier walk's install flag.
wine reg delete 'HKCU\Software\Talvane\BRDL' /v InstFlag /f >/dev/null 2>&1 || true

step() { wine "$helper" "$desktop" "$@"; }

# Prints the rectangle (WxH+X+Y) of the window titled $1 once it is shown and painted.
locate() {
  local geometry
  geometry=$(step wait "$1") || return 1
  echo "${geometry%$'\r'}"
}

# Crops the desktop to rectangle $2 and saves it as screenshot-$1.png.
capture() {
  local full="$build/.screen.png" picture="$build/screenshot-$1.png"
  # The desktop exists once its window was found; import would wait for a click otherwise.
  timeout 30 /usr/bin/import -window "$screen" "$full"
  /usr/bin/convert "$full" -crop "$2" +repage "$picture"
  rm -f "$full"
  echo "$picture"
}

shoot() {
  local geometry
  geometry=$(locate "$2") || return 1
  capture "$1" "$geometry"
}

# Grows rectangle WxH+X+Y by $2 pixels on every side, within the desktop's top left.
grow() {
  local w h x y
  IFS='x+' read -r w h x y <<<"$1"
  echo "$((w + 2 * $2))x$((h + 2 * $2))+$((x > $2 ? x - $2 : 0))+$((y > $2 ? y - $2 : 0))"
}

wine explorer "/desktop=$desktop,1024x768" "$exe" &
program=$!
finish() {
  # Leave nothing running if a step failed.
  if kill -0 "$program" 2>/dev/null; then
    kill "$program" 2>/dev/null || true
  fi
}
trap finish EXIT

install_picture=$(shoot install "Install Brindle") || exit 1
step press "Install Brindle" 1   # OK: the default folder, all users
main_picture=$(shoot main "Brindle") || exit 1
# The pointer on row 0's Disable button: its colour image and its tooltip, which may
# stand outside the window.
main_place=$(locate "Brindle") || exit 1
step hover "Brindle" 1013
tooltip_picture=$(capture tooltip "$(grow "$main_place" 40)") || exit 1
step press "Brindle" 1051        # Options...
options_picture=$(shoot options "Options") || exit 1
for item in 0 5 9; do            # three more settings, clicked in their check squares
  step click "Options" 1051 "$item"
done
step wait "Options" >/dev/null   # lets the clicks be handled
step press "Options" 1           # OK: four rows
step gone "Options"
rows_picture=$(shoot four-rows "Brindle") || exit 1
step press "Brindle" 2           # Cancel: the zone stays as it is
step gone "Brindle"
wait "$program" || true

echo "Install dialog: $install_picture"
echo "Main window:    $main_picture"
echo "Options:        $options_picture"
echo "Four rows:      $rows_picture"
echo "Row tooltip:    $tooltip_picture"
