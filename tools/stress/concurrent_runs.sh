#!/usr/bin/env bash
# Two tessel runs started at once into one destination, N times (default 20): each source
# holds the same 100 names, every file of other bytes and size. Every round must save 200
# files and report no failure.
#
#   tools/stress/concurrent_runs.sh [N] [TESSEL]
set -euo pipefail
rounds=${1:-20}
tessel=${2:-build/native/bin/tessel}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for side in 1 2; do
  mkdir -p "$work/src$side"
  for i in $(seq 0 99); do
    head -c $((100 + 2 * i + side)) /dev/urandom >"$work/src$side/p$i.jpg"
  done
done
bad=0
for round in $(seq 1 "$rounds"); do
  rm -rf "$work/dst" && mkdir "$work/dst"
  "$tessel" -q --report="$work/one.tsv" "$work/src1" "$work/dst" >/dev/null &
  "$tessel" -q --report="$work/two.tsv" "$work/src2" "$work/dst" >/dev/null &
  wait
  files=$(find "$work/dst" -type f | wc -l)
  failed=$(cat "$work/one.tsv" "$work/two.tsv" | grep -c '^failed' || true)
  numbered=$(find "$work/dst" -name '*(*' | wc -l)
  echo "round $round: $files files, $failed failed, $numbered numbered"
  [ "$files" -eq 200 ] && [ "$failed" -eq 0 ] || bad=$((bad + 1))
done
echo "$bad of $rounds rounds went wrong"
[ "$bad" -eq 0 ]
