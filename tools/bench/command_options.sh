#!/usr/bin/env bash
# The cost of the command's account and content options against a plain run, timed by wall
# clock (the median of RUNS runs each, after one pair that warms the page cache):
#
#   1. --same-content, first run into an empty destination     target <= 1.1 x plain
#   2. --same-content, NEW new pictures into a destination of
#      BASE pictures (every name new, no bytes equal)           target <= 1.5 x plain
#   3. --report=FILE, first run into an empty destination      target <= 1.05 x plain
#
# Plain and option runs are taken in turns, each after a sync. The pictures are random bytes of sizes between 4 KiB and 256 KiB named *.jpg, so that many
# sizes meet (about one new file in five meets a size of the destination's): harder on the
# index than photographs, whose sizes spread over millions of values. Not a test: it prints,
# and exits 1 when a target is missed.
#
#   tools/bench/command_options.sh [--base N] [--new N] [--runs N] [WORK]
#   TESSEL=path/to/tessel tools/bench/command_options.sh     another build of the command
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
base=50000
new=5000
runs=3
work=
while [ $# -gt 0 ]; do
  case $1 in
    --base) base=$2; shift 2 ;;
    --new) new=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) work=$1; shift ;;
  esac
done
if [ -z "$work" ]; then
  work=$(mktemp -d /var/tmp/tessel-options.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
tessel=${TESSEL:-$root/build/native/bin/tessel}
if [ -z "${TESSEL:-}" ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target tessel >/dev/null
fi

# The trees, made once per WORK (deterministic).
python3 - "$work" "$base" "$new" <<'PY'
import os, random, sys
work, base, new = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def make(folder, prefix, count, seed, per_folder):
    marker = os.path.join(folder, ".made")
    if os.path.exists(marker):
        return
    rng = random.Random(seed)
    for i in range(count):
        sub = folder if per_folder == 0 else os.path.join(folder, "f%03d" % (i // per_folder))
        os.makedirs(sub, exist_ok=True)
        with open(os.path.join(sub, "%s-%06d.jpg" % (prefix, i)), "wb") as f:
            f.write(rng.randbytes(rng.randint(4096, 262144)))
    open(marker, "w").close()
make(os.path.join(work, "base"), "base", base, 1, 0)
make(os.path.join(work, "new"), "new", new, 2, 50)
PY

# seconds CMD...: the wall time of one run, in seconds.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Before each run: an empty destination, or the destination of `base` with the new copies
# of the last run taken out again.
empty_dst() {
  rm -rf "$work/dst"
  mkdir "$work/dst"
}
base_dst() { find "$work/base" -maxdepth 1 -name 'new-*' -delete; }

# pair PREPARE DST ARGS...: "plain with", the median times of runs of `new` into DST without
# and with ARGS, taken in turns (so that the page cache and the disk's write-back treat both
# alike), each after PREPARE and a sync, the first pair left out.
pair() {
  local prepare=$1 dst=$2
  shift 2
  local plain=() with=() t
  for r in $(seq 0 "$runs"); do
    for kind in plain with; do
      "$prepare"
      sync
      if [ $kind = plain ]; then
        t=$(seconds "$tessel" -q "$work/new" "$dst")
        [ "$r" -gt 0 ] && plain+=("$t")
      else
        t=$(seconds "$tessel" -q "$@" "$work/new" "$dst")
        [ "$r" -gt 0 ] && with+=("$t")
      fi
    done
  done
  "$prepare"
  echo "$(printf '%s\n' "${plain[@]}" | median) $(printf '%s\n' "${with[@]}" | median)"
}

missed=0
# row NAME PLAIN WITH TARGET
row() {
  local ratio verdict=ok
  ratio=$(echo "scale=3; $3 / $2" | bc)
  if [ "$(echo "$ratio > $4" | bc)" = 1 ]; then verdict=MISSED; missed=1; fi
  printf '%-44s %8.3f s %8.3f s %6.2fx  (<= %s) %s\n' "$1" "$2" "$3" "$ratio" "$4" "$verdict"
}

printf '%-44s %10s %10s %7s\n' "what ($new new, $base in the destination)" plain with ratio
read -r plain same < <(pair empty_dst "$work/dst" --same-content)
row "--same-content, into an empty destination" "$plain" "$same" 1.1
read -r plain_base same_base < <(pair base_dst "$work/base" --same-content)
row "--same-content, into $base pictures" "$plain_base" "$same_base" 1.5
read -r plain_report report < <(pair empty_dst "$work/dst" --report="$work/report.tsv")
row "--report=FILE, into an empty destination" "$plain_report" "$report" 1.05
records=$(wc -l <"$work/report.tsv")
echo "report: $records records"
exit $missed
