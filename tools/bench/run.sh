#!/usr/bin/env bash
# Builds the tessel command and the benchmark helpers (preset native), makes the benchmark
# trees and prints figures. Not a test: nothing here passes or fails.
#
#   tools/bench/run.sh              all figures, 5 rounds per pair
#   ROUNDS=9 tools/bench/run.sh     more rounds
#   BENCH_DIR=/path tools/bench/run.sh   where the trees go (default: a fresh folder in
#                                   /var/tmp, removed at the end); needs ~1 GB
#
# Figures:
#   1. a re-run over the tree's own finished destination vs a dry run   (medians)
#   1b. the second numbered run over the collision tree (make_tree collide: a third of the
#      names are held by pictures of two sizes) vs a dry run, and the bytes it wrote
#   2. tessel --dry-run -q   vs  the bare C walk of bare_walk.c          (medians)
#   3. tessel -q -y SRC DST  vs  find SRC ... -exec cp -n -t DST {} +   (medians)
#   4. tessel --dry-run -q -t auto  vs  identify -ping over the same images (medians; the
#      bound makes the dry run read every header, which a run without one does not)
#   5. the duplicate-name count at 10^6 names (Google Benchmark)
#   6. peak memory of a dry run over 200,000 found files, per found file
#   7. how soon the worker gives way: its end after a bound is answered, a stop while the
#      bound is asked, a stop while a copy is held mid-file   (median and worst of 20)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
rounds=${ROUNDS:-5}
if [ -n "${BENCH_DIR:-}" ]; then
  work=$BENCH_DIR
  mkdir -p "$work"
else
  work=$(mktemp -d /var/tmp/tessel-bench.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi

cmake --preset native >/dev/null
cmake --build --preset native --target tessel make_tree bare_walk duplicates_bench \
  stop_latency_bench >/dev/null
bin=$root/build/native/bin
tessel=$bin/tessel

echo "== trees in $work"
if [ ! -d "$work/src" ]; then
  mkdir -p "$work/seeds"
  # A few JPEG and GIF pictures of mixed sizes from ImageMagick; make_tree replicates them
  # and writes the PNG and BMP pictures itself.
  for size in 48x32 96x96 160x120 200x150 256x192 320x240; do
    convert -size "$size" gradient:navy-orange "$work/seeds/$size.jpg"
    convert -size "$size" gradient:green-white -colors 64 "$work/seeds/$size.gif"
  done
  "$bin/make_tree" mixed "$work/src" "$work/seeds"
fi
echo "files: $(find "$work/src" -type f | wc -l), folders: $(find "$work/src" -mindepth 1 -type d | wc -l)," \
  "images: $(find "$work/src" -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.gif' -o -iname '*.png' -o -iname '*.bmp' \) | wc -l)," \
  "size: $(du -sh "$work/src" | cut -f1)"

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
# seconds COMMAND...: runs it, prints the wall time in seconds
seconds() {
  local start end
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  calc "$end - $start"
}
median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

find_cp() {
  find "$work/src" -type f \( -iname '*.jpeg' -o -iname '*.jpg' -o -iname '*.gif' -o -iname '*.png' \
    -o -iname '*.bmp' \) -exec cp -n -t "$work/dst" {} +
}
tessel_copy() { "$tessel" -q -y "$work/src" "$work/dst"; }
identify_ping() {
  find "$work/src" -type f \( -iname '*.jpeg' -o -iname '*.jpg' -o -iname '*.gif' -o -iname '*.png' \
    -o -iname '*.bmp' \) -print0 | xargs -0 identify -ping -format '%w %h\n'
}
tessel_dry() { "$tessel" -n -q "$work/src" "$work/dst"; }
tessel_measure() { "$tessel" -n -q -t auto "$work/src" "$work/dst"; }
bare_walk() { "$bin/bare_walk" "$work/src"; }

fresh_dst() { rm -rf "$work/dst"; sync; }

echo "== 1. re-run over the finished destination vs dry run ($rounds rounds, alternating)"
# First, before any tree is removed, and every round gets its own copy of the first run's
# destination, all made before the first timing. Without a journal ext4 passes over recently
# deleted inodes (up to 6 minutes old) one by one when it makes a new file: right after
# figure 3's rounds, each removing a 5,000-file destination, that search would dominate any
# run that makes one. A re-run over an unchanged tree makes none; the copies keep the figure
# fair should a change ever make it write.
if [ ! -d "$work/finished" ]; then "$tessel" -q -y "$work/src" "$work/finished" >/dev/null; fi
mkdir -p "$work/dst"
for ((r = 0; r < rounds; r++)); do cp -a "$work/finished" "$work/rerun$r"; done
sync; sleep 1
: >"$work/t1" && : >"$work/t2"
for ((r = 0; r < rounds; r++)); do
  if ((r % 2 == 0)); then
    seconds "$tessel" -q -y "$work/src" "$work/rerun$r" >>"$work/t1"; seconds tessel_dry >>"$work/t2"
  else
    seconds tessel_dry >>"$work/t2"; seconds "$tessel" -q -y "$work/src" "$work/rerun$r" >>"$work/t1"
  fi
done
saved=$("$tessel" -q -y "$work/src" "$work/rerun0" | sed -n 's/^実際に保存されたファイル数：\([0-9]*\)個.*/\1/p')
rm -rf "$work"/rerun*
t1=$(median <"$work/t1")
t2=$(median <"$work/t2")
printf 're-run      %.3f s (median; %s files saved)\ndry run     %.3f s (median)\nratio       %.2f (target <= 1.5)\n' \
  "$t1" "$saved" "$t2" "$(calc "$t1 / $t2")"

echo "== 1b. second numbered run over the collision tree vs dry run ($rounds rounds, alternating)"
# A re-run over an unchanged tree writes nothing, so one finished destination serves every
# round; a last run tells the bytes written (write_bytes in /proc: a child's counts join its
# parent's when it is waited for), and the destination's file count is taken before and after.
if [ ! -d "$work/collide" ]; then "$bin/make_tree" collide "$work/collide" "$work/seeds"; fi
if [ ! -d "$work/collided" ]; then "$tessel" -q -y "$work/collide" "$work/collided" >/dev/null; fi
collide_dry() { "$tessel" -n -q "$work/collide" "$work/collided"; }
collide_rerun() { "$tessel" -q -y "$work/collide" "$work/collided"; }
# The re-run's final text, then the bytes it wrote.
collide_written() {
  bash -c '
    bytes() { awk "/^write_bytes/ { print \$2 }" /proc/$$/io; }
    before=$(bytes)
    "$@"
    echo "written $(($(bytes) - before))"
  ' _ "$tessel" -q -y "$work/collide" "$work/collided"
}
count_files() { find "$1" -type f | wc -l; }
files_before=$(count_files "$work/collided")
sync; sleep 1
: >"$work/t1" && : >"$work/t2"
for ((r = 0; r < rounds; r++)); do
  if ((r % 2 == 0)); then
    seconds collide_rerun >>"$work/t1"; seconds collide_dry >>"$work/t2"
  else
    seconds collide_dry >>"$work/t2"; seconds collide_rerun >>"$work/t1"
  fi
done
out=$(collide_written)
saved=$(sed -n 's/^実際に保存されたファイル数：\([0-9]*\)個.*/\1/p' <<<"$out")
written=$(sed -n 's/^written //p' <<<"$out")
t1=$(median <"$work/t1")
t2=$(median <"$work/t2")
printf 're-run      %.3f s (median; %s files saved, %s bytes written, %s files in the destination before the rounds and %s after)\ndry run     %.3f s (median)\nratio       %.2f (target <= 2.0, 0 bytes written)\n' \
  "$t1" "$saved" "$written" "$files_before" "$(count_files "$work/collided")" "$t2" "$(calc "$t1 / $t2")"

echo "== 2. search: tessel --dry-run vs the bare walk ($rounds rounds, alternating)"
"$bin/bare_walk" "$work/src"
: >"$work/t1" && : >"$work/t2"
for ((r = 0; r < rounds; r++)); do
  if ((r % 2 == 0)); then
    seconds tessel_dry >>"$work/t1"; seconds bare_walk >>"$work/t2"
  else
    seconds bare_walk >>"$work/t2"; seconds tessel_dry >>"$work/t1"
  fi
done
t1=$(median <"$work/t1")
t2=$(median <"$work/t2")
printf 'tessel -n   %.3f s (median)\nbare walk   %.3f s (median)\nratio       %.2f (target <= 1.3)\n' \
  "$t1" "$t2" "$(calc "$t1 / $t2")"

echo "== 3. copy: tessel vs find + cp ($rounds rounds, alternating)"
: >"$work/t1" && : >"$work/t2"
fresh_dst; tessel_copy >/dev/null; fresh_dst   # warm the cache once
for ((r = 0; r < rounds; r++)); do
  if ((r % 2 == 0)); then
    fresh_dst; seconds tessel_copy >>"$work/t1"
    fresh_dst; mkdir "$work/dst"; seconds find_cp >>"$work/t2"
  else
    fresh_dst; mkdir "$work/dst"; seconds find_cp >>"$work/t2"
    fresh_dst; seconds tessel_copy >>"$work/t1"
  fi
done
t1=$(median <"$work/t1")
t2=$(median <"$work/t2")
printf 'tessel      %.3f s (median)\nfind + cp   %.3f s (median)\nratio       %.2f (target <= 1.1)\n' \
  "$t1" "$t2" "$(calc "$t1 / $t2")"

echo "== 4. measuring: tessel --dry-run vs identify -ping ($rounds rounds, alternating)"
: >"$work/t1" && : >"$work/t2"
mkdir -p "$work/dst"
for ((r = 0; r < rounds; r++)); do
  if ((r % 2 == 0)); then
    seconds tessel_measure >>"$work/t1"; seconds identify_ping >>"$work/t2"
  else
    seconds identify_ping >>"$work/t2"; seconds tessel_measure >>"$work/t1"
  fi
done
t1=$(median <"$work/t1")
t2=$(median <"$work/t2")
printf 'tessel -n -t auto %.3f s (median)\nidentify    %.3f s (median)\nspeed-up    %.1fx (target >= 20)\n' \
  "$t1" "$t2" "$(calc "$t2 / $t1")"

echo "== 5. duplicate-name count"
"$bin/duplicates_bench" --benchmark_min_time=0.5 2>/dev/null | grep -E 'CountDuplicateNames|Benchmark'

echo "== 6. peak memory of a dry run over 200,000 found files"
if [ ! -d "$work/many" ]; then "$bin/make_tree" many "$work/many" 200000; fi
mkdir -p "$work/empty"
rss() { /usr/bin/time -f '%M' "$tessel" -n -q "$1" "$work/dst" 2>&1 >/dev/null | tail -1; }
base=$(rss "$work/empty")
full=$(rss "$work/many")
path=$(find "$work/many" -type f | awk '{ s += length($0) } END { printf "%.1f", s / NR }')
printf 'empty run   %d KiB\n200,000     %d KiB\nper file    %.0f bytes, of which the path text %.0f; beyond it %.0f (target < 300)\n' \
  "$base" "$full" "$(calc "($full - $base) * 1024 / 200000")" "$path" \
  "$(calc "($full - $base) * 1024 / 200000 - $path")"

echo "== 7. how soon the worker gives way (20 rounds)"
"$bin/stop_latency_bench" 20
