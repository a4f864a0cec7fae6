#!/usr/bin/env bash
# The tessel command on the local disk with a cold page cache, as a disk is when nothing has
# read its pictures since it was plugged in or booted: the picture tree
# (tools/bench/picture_tree.sh, in /var/tmp) after `sync; echo 3 >/proc/sys/vm/drop_caches`
# before every run, each copy into a fresh folder on the same disk:
#
#   tessel -q -n -t auto SRC DST                                    the dry run that reads
#                                                                   every header
#   tessel -q -n SRC DST                                            the plain dry run
#   find SRC PICTURES -print0 | xargs -0 -P16 -n 16 head -c 4096    every header, 16 in flight
#   tessel -q -y SRC DST                                            the copy
#   find SRC PICTURES -exec cp -n -t DST {} +                       one cp at a time
#   find SRC PICTURES -exec cp --backup=numbered -t DST {} +         the same, every file
#
# PICTURES: the extensions tessel takes (jpeg, jpg, gif, png, bmp, in any case), so that
# find's side reads what tessel's does (cp -n copies fewer: it skips every name already
# taken, where tessel numbers those of another size; with --backup=numbered it writes every
# file, as tessel does). A build that takes --jobs is also
# timed with --jobs=1 and --jobs=8. The median of ROUNDS rounds, the rows taken in turns.
# Targets, as ratios of medians of one run on one tree:
#
#   dry run -t auto vs the header read     <= 1.1 x
#   copy vs find -exec cp                  <= 0.8 x
#
# Not a test: it prints, and exits 1 when a target is missed by a build that takes --jobs
# (today's build keeps one call in flight, and is only measured). Root only: it empties the
# page cache of the whole machine before every run, which slows whatever else runs there for
# a moment. Takes under a minute.
#
#   tools/bench/cold_local.sh [--rounds N]              (default 5)
#   TESSEL=path/to/tessel tools/bench/cold_local.sh      another build of the command
set -euo pipefail
rounds=5
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    *) echo "usage: $0 [--rounds N]" >&2; exit 2 ;;
  esac
done
if [ "$(id -u)" -ne 0 ]; then
  echo "cold_local: root only (it writes /proc/sys/vm/drop_caches)" >&2
  exit 2
fi
# shellcheck source=tools/bench/picture_runs.sh
. "$(dirname "${BASH_SOURCE[0]}")/picture_runs.sh"
trap 'rm -rf "$work"' EXIT

before_run() {
  echo 3 >/proc/sys/vm/drop_caches
  src=$tree
}
after_run() { :; }

echo "cold_local: the page cache emptied before every run; tree: $(tree_summary)"
echo "tessel: $tessel"
add_row dry_auto "tessel -q -n -t auto SRC DST" tessel_run -n -t auto
add_row dry "tessel -q -n SRC DST" tessel_run -n
add_row heads "find SRC PICTURES -print0 | xargs -0 -P16 -n 16 head -c 4096" heads
add_row copy "tessel -q -y SRC DST" tessel_run -y
add_row find_cp "find SRC PICTURES -exec cp -n -t DST {} +" find_cp
add_row find_cp_all "find SRC PICTURES -exec cp --backup=numbered -t DST {} +" find_cp_all
add_jobs_rows dry_auto copy
measure

echo
print_rows
echo
ratio "dry run -t auto vs the 16-in-flight header read" dry_auto heads 1.1
ratio "copy vs find -exec cp" copy find_cp 0.8
ratio "copy vs find -exec cp --backup=numbered (every file written)" copy find_cp_all
ratio "dry run vs the 16-in-flight header read" dry heads
verdict
