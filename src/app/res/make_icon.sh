#!/usr/bin/env bash
# Draws icon 101 (tessel.ico) with ImageMagick: a mosaic of four tiles, 16x16 in 256 colours
# (shaded tiles, so the writer keeps 8 bits per pixel), 32x32 in the 16 VGA colours (4 bits
# per pixel), and for finer screens the 16x16 mosaic drawn again at 48x48 and 256x256 in
# true colour (the title bar at 150 % and 200 %, the About dialog, Explorer's large icons;
# the writer stores the 256x256 one as PNG). Opaque: no transparent pixels. Run it only to
# change the picture; the build uses the committed tessel.ico.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 1x1 xc:black xc:maroon xc:green xc:olive xc:navy xc:purple xc:teal xc:silver \
  xc:gray xc:red xc:lime xc:yellow xc:blue xc:fuchsia xc:aqua xc:white +append "$work/vga.png"

convert -size 16x16 xc:'#404040' \
  \( -size 7x7 gradient:'#6090FF-#1030A0' \) -geometry +0+0 -composite \
  \( -size 7x7 gradient:'#FF8060-#A02010' \) -geometry +9+0 -composite \
  \( -size 7x7 gradient:'#70E080-#107020' \) -geometry +0+9 -composite \
  \( -size 7x7 gradient:'#FFE070-#B08000' \) -geometry +9+9 -composite \
  -fill white -draw 'rectangle 2,2 3,3' -draw 'rectangle 11,11 12,12' \
  -alpha off +dither -colors 256 -type Palette "$work/small.png"

convert -size 32x32 xc:gray \
  -fill blue -draw 'rectangle 1,1 14,14' -fill red -draw 'rectangle 17,1 30,14' \
  -fill lime -draw 'rectangle 1,17 14,30' -fill yellow -draw 'rectangle 17,17 30,30' \
  -fill navy -draw 'rectangle 1,14 14,14' -draw 'rectangle 14,1 14,14' \
  -fill maroon -draw 'rectangle 17,14 30,14' -draw 'rectangle 30,1 30,14' \
  -fill green -draw 'rectangle 1,30 14,30' -draw 'rectangle 14,17 14,30' \
  -fill olive -draw 'rectangle 17,30 30,30' -draw 'rectangle 30,17 30,30' \
  -fill white -draw 'rectangle 4,4 8,8' -draw 'rectangle 21,21 25,25' \
  -fill black -draw 'rectangle 0,0 31,0' -draw 'rectangle 0,31 31,31' \
  -draw 'rectangle 0,0 0,31' -draw 'rectangle 31,0 31,31' \
  -alpha off +dither -remap "$work/vga.png" -type Palette "$work/big.png"

# The 16x16 mosaic at `size` (48 or 256: three and sixteen times it), each length of it
# multiplied, the shading drawn at the full size rather than enlarged.
fine() {
  local size=$1 k=$(($1 / 16))
  local tile=$((7 * k)) far=$((9 * k)) spot=$((2 * k)) spotEnd=$((4 * k - 1))
  local spot2=$((11 * k)) spot2End=$((13 * k - 1))
  convert -size "${size}x$size" xc:'#404040' \
    \( -size "${tile}x$tile" gradient:'#6090FF-#1030A0' \) -geometry +0+0 -composite \
    \( -size "${tile}x$tile" gradient:'#FF8060-#A02010' \) -geometry "+$far+0" -composite \
    \( -size "${tile}x$tile" gradient:'#70E080-#107020' \) -geometry "+0+$far" -composite \
    \( -size "${tile}x$tile" gradient:'#FFE070-#B08000' \) -geometry "+$far+$far" -composite \
    -fill white -draw "rectangle $spot,$spot $spotEnd,$spotEnd" \
    -draw "rectangle $spot2,$spot2 $spot2End,$spot2End" \
    -alpha off -alpha opaque -depth 8 -type TrueColorAlpha "PNG32:$work/fine$size.png"
}
fine 48
fine 256

convert "$work/small.png" "$work/big.png" "PNG32:$work/fine48.png" "PNG32:$work/fine256.png" tessel.ico
