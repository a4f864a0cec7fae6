#!/usr/bin/env bash
# What a move that loses nothing costs: 10,000 pictures of random bytes, 4 to 256 KiB each
# (about 1.3 GB), timed by wall clock, the median of RUNS rounds:
#
#   1. --move vs a plain copy of the same tree                    target <= 1.3 x
#   2. --move --verify vs --move                                   target <= 2.0 x
#   3. --undo of that move vs the move                             target <= 1.2 x
#
# once with the source on the destination's file system (/var/tmp) and once with it on
# another (a tmpfs, as a card or a stick is another disk). Every run starts after a sync, from
# a fresh source (hard links of a pristine tree: the move removes only its own links). The
# move waits for its copies to reach the disk and the plain copy does not, as cp does not:
# that difference is what the figures show. Not a test: it prints, and exits 1 when a target
# is missed.
#
#   tools/bench/move.sh [--files N] [--runs N]
#   TESSEL=path/to/tessel tools/bench/move.sh     another build of the command
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
files=10000
runs=3
while [ $# -gt 0 ]; do
  case $1 in
    --files) files=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "usage: $0 [--files N] [--runs N]" >&2; exit 1 ;;
  esac
done
tessel=${TESSEL:-$root/build/native/bin/tessel}
if [ -z "${TESSEL:-}" ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target tessel >/dev/null
fi
disk=$(mktemp -d /var/tmp/tessel-move.XXXXXX)
other=$(mktemp -d /dev/shm/tessel-move.XXXXXX)
trap 'rm -rf "$disk" "$other"' EXIT

make_tree() {  # folder
  python3 - "$1" "$files" <<'PY'
import os, random, sys
folder, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(7)
for i in range(count):
    sub = os.path.join(folder, "f%03d" % (i // 100))
    os.makedirs(sub, exist_ok=True)
    with open(os.path.join(sub, "p%06d.jpg" % i), "wb") as f:
        f.write(rng.randbytes(rng.randint(4096, 262144)))
PY
}

# Seconds of one run of tessel with ARGS, after a sync.
timed() {
  sync
  local start end
  start=$(date +%s.%N)
  "$tessel" -q "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

missed=0
check() {  # name ratio target
  local verdict=ok
  if [ "$(echo "$2 > $3" | bc)" = 1 ]; then verdict=MISSED; missed=1; fi
  printf '  %-34s %5.2f x  (target <= %s)  %s\n' "$1" "$2" "$3" "$verdict"
}

for layout in same other; do
  if [ $layout = same ]; then home=$disk; else home=$other; fi
  make_tree "$home/pristine"
  bytes=$(du -sb "$home/pristine" | cut -f1)
  plain=() move=() verify=() undo=()
  for _ in $(seq 1 "$runs"); do
    for kind in plain move verify; do
      rm -rf "$home/src" "$disk/dst" "$disk/run.tsv"
      cp -al "$home/pristine" "$home/src"
      case $kind in
        plain) plain+=("$(timed -y "$home/src" "$disk/dst")") ;;
        move)
          move+=("$(timed -y --move --report="$disk/run.tsv" "$home/src" "$disk/dst")")
          undo+=("$(timed --undo="$disk/run.tsv")")
          # The undo put every source back and emptied the destination.
          [ "$(find "$home/src" -type f | wc -l)" -eq "$files" ] || { echo "undo lost files" >&2; exit 1; }
          [ ! -e "$disk/dst" ] || { echo "undo left the destination" >&2; exit 1; }
          ;;
        verify) verify+=("$(timed -y --move --verify "$home/src" "$disk/dst")") ;;
      esac
    done
  done
  p=$(printf '%s\n' "${plain[@]}" | median)
  m=$(printf '%s\n' "${move[@]}" | median)
  v=$(printf '%s\n' "${verify[@]}" | median)
  u=$(printf '%s\n' "${undo[@]}" | median)
  echo "== $files files, $((bytes / 1000000)) MB, source on $([ $layout = same ] && echo "the destination's file system" || echo "another file system (tmpfs)")"
  printf '  plain %.2f s, --move %.2f s, --move --verify %.2f s, --undo %.2f s\n' "$p" "$m" "$v" "$u"
  check "--move vs plain copy" "$(echo "$m / $p" | bc -l)" 1.3
  check "--move --verify vs --move" "$(echo "$v / $m" | bc -l)" 2.0
  check "--undo vs --move" "$(echo "$u / $m" | bc -l)" 1.2
  rm -rf "$home/pristine" "$home/src" "$disk/dst"
done
exit $missed
