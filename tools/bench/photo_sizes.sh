#!/usr/bin/env bash
# The newer formats' readers against the formats' own tools, then against their speed.
# Not a test: it prints a table and figures.
#
#   tools/bench/photo_sizes.sh            the check, then 5 rounds of the speed
#   ROUNDS=9 COPIES=400 tools/bench/photo_sizes.sh
#
# 1. Every WebP, HEIC, AVIF, TIFF, DNG and JPEG XL picture under tests/data/images: the
#    SIDE `tessel -n -l` lists against the side of the size that `identify -ping` reads (its
#    first frame), or, where ImageMagick 6 has no reader, the size `djxl` decodes (JPEG XL)
#    or `dcraw -i -v` reports (DNG). One row per format: files, and how many agree.
# 2. A tree of COPIES copies of each picture identify reads (WebP, HEIC, AVIF, TIFF), in
#    folders of 100: `tessel -n -q` against `identify -ping` over the same files (xargs
#    batches), medians of alternating rounds. Target: >= 20x.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
rounds=${ROUNDS:-5}
copies=${COPIES:-200}
work=$(mktemp -d /var/tmp/tessel-photos.XXXXXX)
trap 'rm -rf "$work"' EXIT

cmake --preset native >/dev/null
cmake --build --preset native --target tessel >/dev/null
tessel=$root/build/native/bin/tessel
images=$root/tests/data/images

# floor(sqrt(w * h)), capped as the probe caps it.
side() { awk -v w="$1" -v h="$2" 'BEGIN { s = int(sqrt(w * h)); while (s * s > w * h) s--;
  while ((s + 1) * (s + 1) <= w * h) s++; print (s > 65535 ? 65535 : s) }'; }

echo "== 1. sizes: tessel against the formats' own tools"
mkdir -p "$work/check"
cp "$images"/*.webp "$images"/*.heic "$images"/*.avif "$images"/*.tif "$images"/*.tiff \
  "$images"/*.dng "$images"/*.jxl "$work/check/"
"$tessel" -n -l -e webp,heic,avif,tif,tiff,dng,jxl "$work/check" "$work/none" |
  awk -F'\t' 'NF == 3 { n = split($3, p, "/"); print p[n] "\t" $1 }' | sort >"$work/listed"
: >"$work/rows"
for f in "$work"/check/*; do
  name=${f##*/}
  case $name in
    *.jxl)
      djxl "$f" "$work/decoded.png" >/dev/null 2>&1
      size=$(identify -format '%w %h' "$work/decoded.png") tool=djxl ;;
    *.dng)
      size=$(dcraw -i -v "$f" | awk '/^Image size:/ { print $3, $5 }') tool=dcraw ;;
    *)
      size=$(identify -ping -format '%w %h\n' "$f[0]" 2>/dev/null | head -n 1) tool=identify ;;
  esac
  expected=$(side $size)
  got=$(awk -F'\t' -v n="$name" '$1 == n { print $2 }' "$work/listed")
  agree=no
  [ "$got" = "$expected" ] && agree=yes
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "${name%%_*}" "$name" "$tool" "${size/ /x}" "$got" "$agree" \
    >>"$work/rows"
done
column -t -s $'\t' -N format,file,tool,size,side,agrees "$work/rows"
echo
printf '%-6s %-5s %-6s %s\n' format files agree against
awk -F'\t' '{ n[$1]++; if ($6 == "yes") a[$1]++; if (index(t[$1], $3) == 0) t[$1] = t[$1] " " $3 }
  END { for (f in n) printf "%-6s %-5d %-6d%s\n", f, n[f], a[f], t[f] }' "$work/rows" | sort

echo
echo "== 2. measuring: tessel -n -q vs identify -ping ($rounds rounds, alternating)"
src=$work/tree
for ((i = 0; i < copies; i++)); do
  d=$src/$((i / 100))/$i
  mkdir -p "$d"
  for f in "$images"/*.webp "$images"/*.heic "$images"/*.avif "$images"/*.tif "$images"/*.tiff; do
    cp "$f" "$d/"
  done
done
count=$(find "$src" -type f | wc -l)
now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
seconds() {
  local start end
  start=$(now)
  "$@" >/dev/null 2>&1
  end=$(now)
  calc "$end - $start"
  echo
}
median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
tessel_dry() { "$tessel" -n -q -k photos "$src" "$work/none"; }
identify_ping() { find "$src" -type f -print0 | xargs -0 identify -ping -format '%w %h\n'; }
: >"$work/t1" && : >"$work/t2"
for ((r = 0; r < rounds; r++)); do
  if ((r % 2 == 0)); then
    seconds tessel_dry >>"$work/t1"; seconds identify_ping >>"$work/t2"
  else
    seconds identify_ping >>"$work/t2"; seconds tessel_dry >>"$work/t1"
  fi
done
t1=$(median <"$work/t1")
t2=$(median <"$work/t2")
printf '%d files\ntessel -n   %.3f s (median)\nidentify    %.3f s (median)\nspeed-up    %.1fx (target >= 20)\n' \
  "$count" "$t1" "$t2" "$(calc "$t2 / $t1")"
