#!/usr/bin/env bash
# Takes screenshots of the real program under Wine: the main window and the About dialog,
# as PNGs for the README.
#
#   bash tools/screenshot.sh                       docs/main-window.png, docs/about-dialog.png
#   bash tools/screenshot.sh --keep-running DIR    DIR/main-window.png only; the program stays
#
# Builds the win64 program if needed. The program runs from its own folder inside the Wine
# prefix (C:\Tessel), so it starts with the default window size and C:\Tessel in its fields.
# Under another locale (TESSEL_WINE_LANG=en_US.UTF-8: code page 1252) the pictures carry its
# name: docs/main-window-en_US.png, docs/about-dialog-en_US.png; at another screen density
# (TESSEL_WINE_DPI=144, in a Wine prefix of its own) its DPI: docs/main-window-144dpi.png.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

keep=0
out=$root/docs
if [ "${1:-}" = "--keep-running" ]; then
  keep=1
  out=${2:?usage: $0 [--keep-running DIR]}
fi
mkdir -p "$out"
locale=${TESSEL_WINE_LANG:-ja_JP.UTF-8}
suffix=
[ "$locale" = ja_JP.UTF-8 ] || suffix=-${locale%%.*}

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Tessel tessel-drive >/dev/null

# The prefix that tools/wine-run.sh takes for the DPI asked (TESSEL_WINE_DPI, default 96).
dpi=${TESSEL_WINE_DPI:-96}
if [ "$dpi" = 96 ]; then
  export TESSEL_WINEPREFIX=${TESSEL_WINEPREFIX:-$root/build/wineprefix}
else
  export TESSEL_WINEPREFIX=${TESSEL_WINEPREFIX:-$root/build/wineprefix-${dpi}dpi}
  suffix=$suffix-${dpi}dpi
fi
display=$(tools/wine-run.sh --display)
drive() { tools/wine-run.sh build/win64/bin/tessel-drive.exe "$@"; }

# A fresh folder each time: no Tessel.ini from an earlier start.
folder=$TESSEL_WINEPREFIX/drive_c/Tessel
rm -rf "$folder"
mkdir -p "$folder"
cp build/win64/bin/Tessel.exe "$folder/"
(cd "$folder" && exec "$root/tools/wine-run.sh" "$folder/Tessel.exe") \
  >/dev/null 2>&1 &
program=$!

# The X window of the top-level Wine window titled $1 (Wine names it in UTF-8).
window_named() {
  local id
  for _ in $(seq 100); do
    id=$(DISPLAY=$display xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  echo "screenshot: no window named $1" >&2
  return 1
}

capture() {  # window-title file
  local id
  id=$(window_named "$1")
  sleep 0.5  # let the first paint finish
  DISPLAY=$display import -window "$id" "$2"
  echo "screenshot: $2"
}

drive wait
capture "てっせる！" "$out/main-window$suffix.png"
if [ "$keep" = 1 ]; then
  echo "$display"  # the display the program runs on, for the caller
  exit 0
fi

drive command 1036  # "バージョン情報(&A)"
drive wait-dialog
capture "バージョン情報" "$out/about-dialog$suffix.png"

# Closing the main window under the open dialog also ends the dialog and the program.
drive close
wait "$program" || true
