# shellcheck shell=bash
# tools/bench/picture_runs.sh: what share.sh and cold_local.sh share (sourced, not run).
#
# The caller sets `rounds`, defines before_run (sets `src`, the source folder to time, after
# making sure nothing of it is cached) and after_run, adds its rows with add_row, and calls
# measure, print_rows and ratio. TESSEL=path selects another build of the command; without
# it the native preset's is built first.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tessel=${TESSEL:-$root/build/native/bin/tessel}
if [ -z "${TESSEL:-}" ]; then
  nice cmake --preset native >/dev/null
  nice cmake --build --preset native --target tessel >/dev/null
fi
tessel=$(realpath "$tessel")
tree=$(bash "$root/tools/bench/picture_tree.sh")
work=$(mktemp -d /var/tmp/tessel-pictures-run.XXXXXX)
# A build with several calls in flight takes --jobs; the targets are its to meet.
has_jobs=0
if [[ $("$tessel" --help) == *--jobs* ]]; then has_jobs=1; fi

# The picture extensions tessel takes by default, as find sees them.
pictures() {
  local src=$1
  shift
  find "$src" -type f \( -iname '*.jpeg' -o -iname '*.jpg' -o -iname '*.gif' -o -iname '*.png' \
    -o -iname '*.bmp' \) "$@"
}

# The commands, each called with SRC DST last. xargs gets -n 16: without it, it hands each
# process as many names as one command line holds (128 KiB, some 1,400 of the tree's paths),
# and of the 16 or 8 processes asked for only two would ever run.
tessel_run() { "$tessel" -q "$@"; }
heads() { pictures "$1" -print0 | xargs -0 -P16 -n 16 head -c 4096 >/dev/null; }
find_cp() { pictures "$1" -exec cp -n -t "$2" {} +; }
# The same work as tessel's numbered copy: every picture written, a taken name under a
# numbered backup name (name.~1~) instead of left out.
find_cp_all() { pictures "$1" -exec cp --backup=numbered -t "$2" {} +; }
xargs_cp() { pictures "$1" -print0 | xargs -0 -P8 -n 16 cp -n -t "$2"; }

tree_summary() {
  local files pictures_found bytes
  files=$(find "$tree" -type f | wc -l)
  read -r pictures_found bytes < <(pictures "$tree" -printf '%s\n' |
    awk '{ n++; s += $1 } END { printf "%d %.1f\n", n, s / 1e6 }')
  echo "$pictures_found pictures ($bytes MB) among $files files, $tree"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

row_ids=()
declare -A row_label row_cmd row_times row_files
# add_row ID LABEL COMMAND...: a row of the table, COMMAND called with SRC DST appended.
add_row() {
  local id=$1
  row_ids+=("$id")
  row_label[$id]=$2
  shift 2
  row_cmd[$id]="$*"
}

# add_jobs_rows KIND...: with a build that takes --jobs, rows of each kind (dry, dry_auto,
# copy) again with --jobs=1 and with --jobs=8.
add_jobs_rows() {
  [ "$has_jobs" = 1 ] || return 0
  local n kind
  for n in 1 8; do
    for kind in "$@"; do
      case $kind in
        dry) add_row "dry$n" "tessel -q -n --jobs=$n SRC DST" tessel_run -n "--jobs=$n" ;;
        dry_auto) add_row "dry_auto$n" "tessel -q -n -t auto --jobs=$n SRC DST" tessel_run -n -t auto "--jobs=$n" ;;
        copy) add_row "copy$n" "tessel -q -y --jobs=$n SRC DST" tessel_run -y "--jobs=$n" ;;
      esac
    done
  done
}

# Every row `rounds` times, in turns (so that a busy machine slows all of them alike), each
# into a fresh empty destination on the local disk after a sync. The time of one run is its
# wall clock; before_run and after_run are not in it.
measure() {
  local r id start end status words t
  for r in $(seq "${rounds:?}"); do
    for id in "${row_ids[@]}"; do
      read -ra words <<<"${row_cmd[$id]}"
      rm -rf "$work/dst"
      mkdir "$work/dst"
      sync
      before_run
      start=$(date +%s.%N)
      status=0
      "${words[@]}" "$src" "$work/dst" >/dev/null 2>&1 || status=$?
      end=$(date +%s.%N)
      after_run
      [ "$status" -eq 0 ] || echo "  (${row_label[$id]} exited $status)" >&2
      t=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f", e - s }')
      row_times[$id]+=" $t"
      row_files[$id]=$(find "$work/dst" -type f -printf '%s\n' |
        awk '{ n++; s += $1 } END { if (n) printf "%d, %.1f MB", n, s / 1e6; else print "-" }')
      printf '  round %d/%d  %-64s %8s s\n' "$r" "$rounds" "${row_label[$id]}" "$t" >&2
    done
  done
  rm -rf "$work/dst"
}

seconds_of() { tr ' ' '\n' <<<"${row_times[$1]# }" | median; }

print_rows() {
  local id
  printf '%-64s %8s  %-30s %s\n' what median rounds "in DST"
  for id in "${row_ids[@]}"; do
    printf '%-64s %7.2fs  %-30s %s\n' "${row_label[$id]}" "$(seconds_of "$id")" \
      "${row_times[$id]# }" "${row_files[$id]}"
  done
}

missed=0
# ratio LABEL ID OVER_ID [TARGET]: the median of ID over that of OVER_ID, against TARGET when
# one is given.
ratio() {
  local value verdict=
  value=$(awk -v a="$(seconds_of "$2")" -v b="$(seconds_of "$3")" 'BEGIN { printf "%.2f", a / b }')
  if [ -n "${4:-}" ]; then
    verdict="(<= $4) ok"
    if awk -v v="$value" -v t="$4" 'BEGIN { exit !(v > t) }'; then
      verdict="(<= $4) MISSED"
      missed=1
    fi
  fi
  printf '%-64s %6sx  %s\n' "$1" "$value" "$verdict"
}

# The exit status: 1 when a target was missed by a build that takes --jobs; the build of
# today keeps one call in flight and is only measured.
verdict() {
  if [ "$has_jobs" = 0 ]; then
    echo "(this build takes no --jobs: figures only, no target applies)"
    return 0
  fi
  return "$missed"
}
