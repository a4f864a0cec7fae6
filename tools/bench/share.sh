#!/usr/bin/env bash
# The tessel command over a share on a home network, against what find, head, cp and xargs
# do there: the picture tree (tools/bench/picture_tree.sh) seen through the latency mirror
# (tools/bench/latency_fs.py, every call answered after 2 ms, many at once, nothing cached by
# the kernel), each run into a fresh folder on the local disk:
#
#   tessel -q -n SRC DST and tessel -q -n -t auto SRC DST          the dry runs
#   find SRC PICTURES -print0 | xargs -0 -P16 -n 16 head -c 4096    every header, 16 in flight
#   tessel -q -y SRC DST                                            the copy
#   find SRC PICTURES -exec cp -n -t DST {} +                       one cp at a time
#   find SRC PICTURES -print0 | xargs -0 -P8 -n 16 cp -n -t DST     eight cps side by side
#
# PICTURES: the extensions tessel takes (jpeg, jpg, gif, png, bmp, in any case), so that
# find's side reads what tessel's does (cp -n copies fewer: it skips every name already
# taken, where tessel numbers those of another size). find walks one folder at a time, so
# its walk (about 20 s here) bounds both xargs rows; xargs's cp exits 123 as a rule, as two
# cps meet on one name and the second fails. A build that takes --jobs is also timed
# with --jobs=1 and --jobs=8. The median of ROUNDS rounds, the rows taken in turns; the mirror
# is mounted afresh for every run. Targets, as ratios of medians of one run on one tree:
#
#   copy vs xargs -P8 cp                               <= 1.0 x
#   dry run (and dry run -t auto) vs the header read   <= 1.0 x
#
# Not a test: it prints, and exits 1 when a target is missed by a build that takes --jobs
# (today's build keeps one call in flight, and is only measured). Takes about 25 minutes with
# today's build.
#
#   tools/bench/share.sh [--latency-ms MS] [--rounds N]      (defaults 2 and 3)
#   tools/bench/share.sh --latency-ms 0 --rounds 1            what the mirror itself costs
#                                                             (Python: about 0.2 ms a call)
#   TESSEL=path/to/tessel tools/bench/share.sh                another build of the command
set -euo pipefail
latency=2
rounds=3
while [ $# -gt 0 ]; do
  case $1 in
    --latency-ms) latency=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    *) echo "usage: $0 [--latency-ms MS] [--rounds N]" >&2; exit 2 ;;
  esac
done
# shellcheck source=tools/bench/picture_runs.sh
. "$(dirname "${BASH_SOURCE[0]}")/picture_runs.sh"

share=$work/share
mkdir "$share"
fs_pid=
mount_share() {
  # In its own session: a Ctrl-C of the bench leaves the mirror to the unmount below.
  setsid /usr/bin/python3 "$root/tools/bench/latency_fs.py" --latency-ms "$latency" \
    "$tree" "$share" </dev/null >>"$work/fs.log" 2>&1 &
  fs_pid=$!
  # Polled until the mount stands (well under a second), at most 30 s.
  for _ in $(seq 300); do
    if awk -v m="$share" '$2 == m { up = 1 } END { exit !up }' /proc/mounts; then return 0; fi
    kill -0 "$fs_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "share: the mirror did not come up:" >&2
  cat "$work/fs.log" >&2
  exit 1
}
unmount_share() {
  [ -n "$fs_pid" ] || return 0
  fusermount -u "$share" 2>/dev/null || fusermount -u -z "$share" || true
  # Polled until the mirror's process has ended after its unmount, at most 10 s.
  for _ in $(seq 100); do kill -0 "$fs_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$fs_pid" 2>/dev/null || true
  fs_pid=
}
trap 'unmount_share; rm -rf "$work"' EXIT

before_run() {
  mount_share
  src=$share
}
after_run() { unmount_share; }

echo "share: the latency mirror at $latency ms per call; tree: $(tree_summary)"
echo "tessel: $tessel"
# What the kernel does not cache: a second stat costs what the first did.
mount_share
/usr/bin/python3 - "$share/tango-icon-theme/usr" <<'PY'
import os, sys, time
took = []
for _ in range(5):
    start = time.perf_counter()
    os.stat(sys.argv[1])
    took.append((time.perf_counter() - start) * 1000)
print("one stat of SRC/tango-icon-theme/usr (2 lookups and a getattr), 5 times: %s ms"
      % " ".join("%.1f" % t for t in took))
PY
unmount_share

add_row dry "tessel -q -n SRC DST" tessel_run -n
add_row dry_auto "tessel -q -n -t auto SRC DST" tessel_run -n -t auto
add_row heads "find SRC PICTURES -print0 | xargs -0 -P16 -n 16 head -c 4096" heads
add_row copy "tessel -q -y SRC DST" tessel_run -y
add_row find_cp "find SRC PICTURES -exec cp -n -t DST {} +" find_cp
add_row xargs_cp "find SRC PICTURES -print0 | xargs -0 -P8 -n 16 cp -n -t DST" xargs_cp
add_jobs_rows dry dry_auto copy
measure

echo
print_rows
echo
ratio "copy vs xargs -P8 cp" copy xargs_cp 1.0
ratio "dry run vs the 16-in-flight header read" dry heads 1.0
ratio "dry run -t auto vs the 16-in-flight header read" dry_auto heads 1.0
ratio "copy vs find -exec cp" copy find_cp
verdict
