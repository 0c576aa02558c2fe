#!/usr/bin/env bash
# `make run`: starts the built Brindle in the private Wine prefix.
#   scripts/run.sh BUILD_DIR        (inside scripts/test-env.sh)
# With the user's display (BRDL_USER_DISPLAY, the DISPLAY that make was given),
# brdl.exe simply runs there. Without one it walks through the program's whole
# life in the virtual display, as a user would, and saves a picture of each step
# under BUILD_DIR/demo/: the install dialog, the first main window, the options
# dialog with three more settings checked, the four rows, a row changed before
# OK, a new start of the installed copy reading the zone back, a row button's
# tooltip, the main window at 144 DPI (150 %), and the "/u" question; after Yes it
# waits until the installed file and folder are gone. It copies four of the
# pictures into docs/ for the README.
# Any step that does not happen ends the walk with a message and exit code 1.
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
demo="$build/demo"
docs=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/docs
# PNG without the text and time chunks ImageMagick would stamp: the same picture
# gives the same bytes, so a new walk leaves docs/ unchanged when nothing changed.
png_options=(-strip -define png:exclude-chunks=date,time)

fail() { echo "run: $*" >&2; exit 1; }

# Always the whole life from a first start: forget an earlier walk's settings
# (an uninstall removes them, an interrupted walk may not), and give "Active
# scripting" the prefix's own Enable again, as the walk changes it.
wine reg delete 'HKCU\Software\Talvane\BRDL' /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Zones\3' \
  /v 1400 /t REG_DWORD /d 0 /f >/dev/null 2>&1 || fail "cannot reset the Active scripting policy"
rm -rf "$demo"
mkdir -p "$demo" "$docs"

step() { wine "$helper" "$desktop" "$@"; }

# Prints the rectangle (WxH+X+Y) of the window titled $1 once it is shown and painted.
locate() {
  local geometry
  geometry=$(step wait "$1") || return 1
  echo "${geometry%$'\r'}"
}

# Crops the desktop to rectangle $2 and saves it as demo/$1.png.
capture() {
  local full="$build/.screen.png" picture="$demo/$1.png"
  # The desktop exists once its window was found; import would wait for a click otherwise.
  timeout 30 /usr/bin/import -window "$screen" "$full" || return 1
  /usr/bin/convert "$full" -crop "$2" +repage "${png_options[@]}" "$picture" || return 1
  rm -f "$full"
  echo "$picture"
}

# Waits for the window titled $2 and saves it as demo/$1.png.
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

# Starts a program with its arguments in the virtual desktop.
program=""
start() {
  wine explorer "/desktop=$desktop,1024x768" "$@" &
  program=$!
}
finish() {
  # Leave nothing running if a step failed.
  if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then
    kill "$program" 2>/dev/null || true
  fi
}
trap finish EXIT

# Waits until the window titled $1 is gone and its program has ended.
ended() {
  step gone "$1" || return 1
  wait "$program" || true
  program=""
}

# The uninstall entry's command line, as the installer registered it for the
# current user (a 32-bit program's entry stands in the 32-bit view of the registry).
uninstall_command() {
  local key='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\BRDL' view line
  for view in /reg:64 /reg:32; do
    line=$(wine reg query "$key" /v UninstallString "$view" 2>/dev/null | tr -d '\r' | grep UninstallString) || continue
    echo "${line#*REG_SZ    }"
    return 0
  done
  return 1
}

# Rows: 0 is the default "Active scripting" until Options adds three more in the
# catalogue's order; row r has Enable, Prompt and Disable as buttons 1011+3r..1013+3r.

# 1-2. A first start: the install dialog as it opens, installed for the current
# user into the folder offered (Wine says this account owns every folder, which an
# installation for all users refuses), then the first main window.
start "$exe"
shoot 01-install "Install Brindle" >/dev/null || fail "no install dialog"
step choose "Install Brindle" 1062 || fail "the click on Current user did not check it"
step press "Install Brindle" 1                   # OK
step gone "Install Brindle" || fail "the install dialog did not close"
shoot 02-main "Brindle" >/dev/null || fail "no main window after the install"

# 3-4. Options, three more settings clicked in their check squares, then OK.
step press "Brindle" 1051                        # Options...
locate "Options" >/dev/null || fail "no options dialog"
for item in 0 5 9; do
  step click "Options" 1051 "$item" || fail "cannot click setting $item in Options"
done
shoot 03-options "Options" >/dev/null || fail "the options dialog went away"
step press "Options" 1                           # OK
step gone "Options" || fail "the options dialog did not close"
shoot 04-four-rows "Brindle" >/dev/null || fail "no main window after Options"

# 5. Row 1 ("Active scripting", Enable) set to Disable with a click, pictured
# before OK writes it to the zone.
step choose "Brindle" 1016 || fail "the click on Disable of row 1 did not check it"
shoot 05-row-changed "Brindle" >/dev/null || fail "no main window after the click"
step press "Brindle" 1                           # OK
ended "Brindle" || fail "the main window did not close on OK"

# 6-7. A new start of the installed copy, as the uninstall entry names it: the
# rows read back from the zone, then the pointer resting on row 0's unchecked
# Disable button (its colour image and its tooltip).
command=$(uninstall_command) || fail "no uninstall entry in the registry"
installed=${command#\"}
installed=${installed%%\"*}
installed_unix=$(wine winepath -u "$installed" 2>/dev/null | tr -d '\r')
[ -f "$installed_unix" ] || fail "the installed copy $installed is missing"
start "$installed"
shoot 06-new-start "Brindle" >/dev/null || fail "the installed copy showed no main window"
place=$(step hover "Brindle" 1013) || fail "no tooltip over row 0's Disable button"
capture 07-tooltip "$(grow "${place%$'\r'}" 4)" >/dev/null || fail "no picture of the tooltip"
step press "Brindle" 2                           # Cancel: the zone stays as it is
ended "Brindle" || fail "the main window did not close on Cancel"

# 8. The same window at 144 DPI: the prefix's LogPixels, which each program reads
# as it starts, put back to what it was (96 where none was set) at once.
desktop_key='HKCU\Control Panel\Desktop'
dpi_before=$(wine reg query "$desktop_key" /v LogPixels 2>/dev/null | tr -d '\r' | awk '/LogPixels/ {print $3}') || true
wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 || fail "cannot set LogPixels"
start "$installed"
shot_144=$(shoot 08-144-dpi "Brindle") || shot_144=""
wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$((${dpi_before:-96}))" /f >/dev/null 2>&1 ||
  fail "cannot put LogPixels back"
[ -n "$shot_144" ] || fail "no main window at 144 DPI"
step press "Brindle" 2                           # Cancel
ended "Brindle" || fail "the main window at 144 DPI did not close on Cancel"

# 9-10. The uninstall entry's "/u", its question answered Yes, and the hidden
# script removing the installed file and its folder after the program ends.
# The hidden script echoes its lines into the Wine console it shares: not ours to show.
start "$installed" /u >/dev/null
shoot 09-uninstall "Brindle" >/dev/null || fail "no uninstall question"
step press "Brindle" 6                           # Yes
ended "Brindle" || fail "the uninstall question did not close"
folder_unix=$(dirname "$installed_unix")
for ((waited = 0; waited < 300; waited++)); do
  [ -e "$installed_unix" ] || [ -e "$folder_unix" ] || break
  sleep 0.1
done
[ -e "$installed_unix" ] && fail "the installed file $installed is still there 30 s after the uninstall"
[ -e "$folder_unix" ] && fail "the folder of $installed is still there 30 s after the uninstall"

# Small copies for the README: the windows are small, so at their own size.
cp "$demo/01-install.png" "$docs/install.png"
cp "$demo/03-options.png" "$docs/options.png"
cp "$demo/06-new-start.png" "$docs/main-window.png"
cp "$demo/08-144-dpi.png" "$docs/main-window-144dpi.png"

echo "Uninstalled: $installed and its folder are gone"
echo "Pictures of the walk:"
for picture in "$demo"/*.png; do
  echo "  $picture"
done
echo "For the README: $docs/install.png, $docs/options.png, $docs/main-window.png, $docs/main-window-144dpi.png"
