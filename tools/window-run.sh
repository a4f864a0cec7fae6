#!/usr/bin/env bash
# Drives one whole run of the real program under Wine from a second process, by control
# IDs only, as a user would: source and destination typed in, Run pressed, and the log
# read until it says "抽出を終了しました。". Prints the log and what the destination holds.
#
#   bash tools/window-run.sh [SOURCE [DESTINATION]] [--bound N] [--screenshots DIR]
#
# SOURCE defaults to /usr/share/icons (thousands of real PNG files), DESTINATION to a new
# temporary folder; both are Linux paths, handed to the window as Wine's Z: drive. With
# --screenshots it saves DIR/window-running.png (during the copy) and
# DIR/window-finished.png (after the run). With --bound the run asks for its lower bound by
# hand: the threshold dialog is answered with N (and, with --screenshots, pictured over the
# run's histogram as DIR/threshold-dialog.png). Under another locale
# (TESSEL_WINE_LANG=en_US.UTF-8: code page 1252) the pictures carry its name
# (DIR/window-finished-en_US.png), and under another screen density (TESSEL_WINE_DPI=144,
# in a Wine prefix of its own) its DPI (DIR/threshold-dialog-144dpi.png).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

shots=
bound=
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --screenshots) shots=${2:?}; shift 2 ;;
    --bound) bound=${2:?}; shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
source=$(realpath "${args[0]:-/usr/share/icons}")
destination=${args[1]:-$(mktemp -d /tmp/tessel-window-run.XXXXXX)}
mkdir -p "$destination"
destination=$(realpath "$destination")
[ -z "$shots" ] || { mkdir -p "$shots"; shots=$(realpath "$shots"); }
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
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# From its own folder inside the prefix, with no Tessel.ini from an earlier start.
folder=$TESSEL_WINEPREFIX/drive_c/Tessel
rm -rf "$folder"
mkdir -p "$folder"
cp build/win64/bin/Tessel.exe "$folder/"
(cd "$folder" && exec "$root/tools/wine-run.sh" "$folder/Tessel.exe") >/dev/null 2>&1 &
program=$!
trap 'drive close >/dev/null 2>&1 || true; wait "$program" 2>/dev/null || true' EXIT

capture() {  # file [title]: a window by its title (Wine names X windows in UTF-8)
  local id
  id=$(DISPLAY=$display xdotool search --onlyvisible --name "^${2:-てっせる！}\$" | head -1)
  DISPLAY=$display import -window "$id" "$1"
  echo "window-run: $1"
}

drive wait 60
drive set 1000 "$(windows_path "$source")"
drive set 1001 "$(windows_path "$destination")"
[ -z "$bound" ] || drive check 1020  # 実行毎に手動で設定
drive press 1007
if [ -n "$bound" ]; then
  drive wait-dialog 600
  if [ -n "$shots" ]; then
    # The pointer over the chart draws its line and reads out the size under it.
    title=下限閾値を設定してください
    id=$(DISPLAY=$display xdotool search --onlyvisible --name "^$title\$" | head -1)
    DISPLAY=$display xdotool mousemove --window "$id" $((150 * dpi / 96)) $((120 * dpi / 96))
    sleep 0.5
    capture "$shots/threshold-dialog$suffix.png" "$title"
  fi
  drive dialog-set 1028 "$bound"
  drive dialog-press 1030  # 設定する
elif [ -n "$shots" ]; then
  # Well into the copy, while the bar and the copying line move.
  drive wait-progress 70 120 || true
  capture "$shots/window-running$suffix.png"
fi
drive wait-text 1006 '抽出を終了しました。' 600
[ -z "$shots" ] || { sleep 0.3; capture "$shots/window-finished$suffix.png"; }
drive get 1006 | tr -d '\r'  # tessel-drive prints UTF-8
echo "window-run: $(find "$destination" -type f | wc -l) files in $destination"
