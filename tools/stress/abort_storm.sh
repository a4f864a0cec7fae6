#!/usr/bin/env bash
# Stops `tessel` runs with SIGINT at random moments and checks what each one leaves behind:
# the command ends (no deadlock) with 130, or 0 when the run was over first; the
# destination holds no partial and no temporary file; every file there is byte for byte
# the source file of its name.
#
#   bash tools/stress/abort_storm.sh [--runs N] [--tessel PATH] [--seed S] [--whole-ms M]
#
# The moments come from the seed (default: a fresh one) and the length of a whole run, which
# the script measures unless --whole-ms gives it. Both are printed first, and a failure says
# how to replay the same moments.
#
# The tree: three large files (64 MiB) of random bytes (the signal mostly lands inside one of their
# copies) and 300 small ones in ten folders, every name different. Each run gets an empty
# destination. Prints one line per 20 runs and a summary; exit status 1 on the first fault.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=200
tessel=$root/build/native/bin/tessel
seed=
whole_ms=
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --tessel) tessel=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --whole-ms) whole_ms=$2; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--tessel PATH] [--seed S] [--whole-ms M]" >&2; exit 2 ;;
  esac
done
[ -x "$tessel" ] || { echo "abort_storm: no $tessel (build the native preset)" >&2; exit 2; }
# Not $$: process numbers repeat, and a seed nobody wrote down replays nothing.
[ -n "$seed" ] || seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
case $seed in '' | *[!0-9]*) echo "abort_storm: --seed takes a number" >&2; exit 2 ;; esac
echo "abort_storm: seed $seed"
RANDOM=$seed

work=$(mktemp -d "${TMPDIR:-/tmp}/tessel-storm.XXXXXX")
trap 'rm -rf "$work"' EXIT
src=$work/src
for i in 0 1 2; do
  mkdir -p "$src/big$i"
  head -c $((64 << 20)) /dev/urandom >"$src/big$i/large$i.bin"
done
for i in $(seq 0 299); do
  mkdir -p "$src/d$((i % 10))"
  head -c $((1024 + (i * 977) % 65536)) /dev/urandom >"$src/d$((i % 10))/small$i.dat"
done
declare -A origin
while IFS= read -r -d '' f; do origin[${f##*/}]=$f; done < <(find "$src" -type f -print0)

# How long a whole run takes here, so that the signals spread over all its phases.
# The shortest of three runs (the first one also warms the cache). A replay gives it, and
# warms the cache with one run.
measured=
for _ in 1 2 3; do
  full=$work/full
  mkdir "$full"
  start=$(date +%s%N)
  "$tessel" -q -y -e bin,dat "$src" "$full" >/dev/null
  ms=$(( ($(date +%s%N) - start) / 1000000 + 1 ))
  rm -rf "$full"
  if [ -n "$whole_ms" ]; then break; fi
  if [ -z "$measured" ] || [ "$ms" -lt "$measured" ]; then measured=$ms; fi
done
whole_ms=${whole_ms:-$measured}
echo "abort_storm: $runs runs of $tessel, a whole run takes ${whole_ms} ms, seed $seed"

fail() {
  echo "abort_storm: run $1: $2" >&2
  echo "abort_storm: replay: bash tools/stress/abort_storm.sh --seed $seed --whole-ms $whole_ms" \
    "--runs $1 --tessel $tessel" >&2
  exit 1
}
interrupted=0 finished=0 copied=0
for run in $(seq 1 "$runs"); do
  dst=$work/dst$run
  mkdir "$dst"
  "$tessel" -q -y -e bin,dat "$src" "$dst" >/dev/null 2>"$work/stderr" &
  pid=$!
  # Mostly inside the run, now and then just after its end.
  delay=$(( RANDOM % (whole_ms + whole_ms / 10) ))
  sleep "$(awk "BEGIN { print $delay / 1000 }")"
  kill -INT "$pid" 2>/dev/null || true
  for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    fail "$run" "still running 15 s after SIGINT (deadlock?)"
  fi
  status=0
  wait "$pid" || status=$?
  case $status in
    130) interrupted=$((interrupted + 1)) ;;
    0) finished=$((finished + 1)) ;;
    *) cat "$work/stderr" >&2; fail "$run" "exit status $status" ;;
  esac
  if grep -q Sanitizer "$work/stderr"; then cat "$work/stderr" >&2; fail "$run" "sanitizer report"; fi
  while IFS= read -r -d '' entry; do
    name=${entry##*/}
    [ -f "$entry" ] && [ ! -L "$entry" ] || fail "$run" "not a plain file: $entry"
    [ -n "${origin[$name]:-}" ] || fail "$run" "left behind: $name"
    cmp -s "$entry" "${origin[$name]}" || fail "$run" "differs from its source: $name"
    copied=$((copied + 1))
  done < <(find "$dst" -mindepth 1 -print0)
  rm -rf "$dst"
  [ $((run % 20)) -ne 0 ] || echo "abort_storm: $run runs, $interrupted interrupted, $finished finished"
done
echo "abort_storm: passed: $runs runs ($interrupted interrupted, $finished finished first)," \
  "$copied copies checked byte for byte, no partial or temporary file"
