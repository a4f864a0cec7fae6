#!/usr/bin/env bash
# How tessel's run time and memory grow with the tree: mixed trees (one file in four an
# image) of 2,000 to 200,000 files, each copied by `tessel -q -y` and by
# `find ... -exec cp -n -t DST {} +`, the median of a few rounds each, and tessel's peak
# memory (GNU time). Writes the figures as a table and plots them with gnuplot.
#
#   bash tools/bench/scale.sh [PNG]      default docs/scaling.png
#   SIZES="2000 20000" ROUNDS=3 BENCH_DIR=/path bash tools/bench/scale.sh
#
# The trees need about 12 KB per file (200,000 files: 2.4 GB); BENCH_DIR keeps them between
# calls, otherwise they go to a fresh folder in /var/tmp that is removed at the end.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
png=$(realpath -m "${1:-docs/scaling.png}")
sizes=${SIZES:-2000 5000 10000 20000 50000 100000 200000}
rounds=${ROUNDS:-3}
if [ -n "${BENCH_DIR:-}" ]; then
  work=$BENCH_DIR
  mkdir -p "$work"
else
  work=$(mktemp -d /var/tmp/tessel-scale.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi

cmake --preset native >/dev/null
cmake --build --preset native --target tessel make_tree >/dev/null
bin=$root/build/native/bin

mkdir -p "$work/seeds"
for size in 48x32 96x96 160x120 200x150 256x192 320x240; do
  [ -f "$work/seeds/$size.jpg" ] || convert -size "$size" gradient:navy-orange "$work/seeds/$size.jpg"
  [ -f "$work/seeds/$size.gif" ] || convert -size "$size" gradient:green-white -colors 64 "$work/seeds/$size.gif"
done

median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
seconds() {  # COMMAND...: wall time in seconds
  local start
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { print e - s }'
}
find_cp() {
  find "$1" -type f \( -iname '*.jpeg' -o -iname '*.jpg' -o -iname '*.gif' -o -iname '*.png' \
    -o -iname '*.bmp' \) -exec cp -n -t "$2" {} +
}

data=$work/scale.dat
echo "# files  tessel_s  find_cp_s  tessel_peak_MiB" >"$data"
for n in $sizes; do
  tree=$work/tree$n
  [ -d "$tree" ] || "$bin/make_tree" mixed "$tree" "$work/seeds" "$n"
  t=() f=() mem=0
  for _ in $(seq "$rounds"); do
    rm -rf "$work/dst" && mkdir "$work/dst" && sync
    t+=("$(seconds "$bin/tessel" -q -y "$tree" "$work/dst")")
    rm -rf "$work/dst" && mkdir "$work/dst" && sync
    f+=("$(seconds find_cp "$tree" "$work/dst")")
  done
  rm -rf "$work/dst" && mkdir "$work/dst"
  kib=$( { /usr/bin/time -f '%M' "$bin/tessel" -q -y "$tree" "$work/dst" >/dev/null; } 2>&1 | tail -1)
  mem=$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1024 }')
  line="$n $(printf '%s\n' "${t[@]}" | median) $(printf '%s\n' "${f[@]}" | median) $mem"
  echo "$line" | tee -a "$data"
  [ -n "${BENCH_DIR:-}" ] || rm -rf "$tree"
done

gnuplot <<EOF
set terminal pngcairo size 800,480 font "sans,10"
set output "$png"
set title "Copying the pictures of a mixed tree (one file in four an image)"
set xlabel "files in the tree"
set ylabel "run time (s), median of $rounds"
set y2label "tessel peak memory (MiB)"
set logscale x
set logscale y
set xrange [1500:260000]
set format x "%.0s%c"
set ytics nomirror
set y2tics
set y2range [0:*]
set key bottom right box opaque
set grid
plot "$data" using 1:2 with linespoints lw 2 pt 7 title "tessel -q -y", \
     "$data" using 1:3 with linespoints lw 2 pt 5 title "find ... -exec cp -n -t", \
     "$data" using 1:4 axes x1y2 with linespoints dt 2 pt 9 title "tessel peak memory (right axis)"
EOF
echo "scale: $png"
