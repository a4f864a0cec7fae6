#!/usr/bin/env bash
# Times the file engine's scan and copies against find and cp on generated trees:
#   1. many small files: 40 folders x 250 files of 4 KiB (a third of them .jpg)
#   2. a few large files: 4 x 256 MiB
# Builds what it needs (preset native).
#
#   tools/bench/file_engine_bench.sh [work-folder]     (default: a fresh folder under /tmp)
#
# Both sides write to the same disk; on a busy machine the numbers swing with the
# write-back of whatever ran before, so run it more than once.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=${1:-$(mktemp -d /tmp/tessel-bench-XXXXXX)}
trap 'rm -rf "$work"' EXIT

cmake --preset native >/dev/null -S "$root"
cmake --build "$root/build/native" --target file_engine_bench >/dev/null
bin=$root/build/native/bin/file_engine_bench

small=$work/small
for d in $(seq 1 40); do
  mkdir -p "$small/d$d"
  for f in $(seq 1 250); do
    case $((f % 3)) in 0) ext=jpg ;; 1) ext=txt ;; *) ext=dat ;; esac
    head -c 4096 /dev/urandom >"$small/d$d/f${d}_$f.$ext"
  done
done
large=$work/large
mkdir -p "$large"
for f in 1 2 3 4; do head -c $((256 << 20)) /dev/urandom >"$large/big$f.jpg"; done

run() {
  local name=$1 src=$2
  echo "== $name"
  sync
  rm -rf "$work/out" && mkdir "$work/out"
  "$bin" "$src" "$work/out" jpg
  rm -rf "$work/out" && mkdir "$work/out"
  sync
  local t0=$EPOCHREALTIME
  find "$src" -type f -iname '*.jpg' >/dev/null
  local t1=$EPOCHREALTIME
  find "$src" -type f -iname '*.jpg' -exec cp -p -t "$work/out" {} +
  local t2=$EPOCHREALTIME
  printf 'find: %.3f s   find + cp -p: %.3f s\n' "$(echo "$t1 - $t0" | bc)" "$(echo "$t2 - $t1" | bc)"
}
run "small files" "$small"
run "large files" "$large"
run "large files, second run" "$large"
