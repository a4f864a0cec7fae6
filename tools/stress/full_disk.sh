#!/usr/bin/env bash
# Runs `tessel` into a destination that fills up in the middle of the run and checks that
# the run still ends normally (exit status 0 and its final text), that the files that did
# not fit are not counted as saved, and that nothing partial is left:
#
#   fsize   a file-size limit (RLIMIT_FSIZE, `ulimit -f`) below some of the files
#   tmpfs   a 16 MiB tmpfs as the destination (only as root; skipped where mount fails)
#   loop    a 16 MiB ext4 image mounted by loop device (as root; skipped where it fails)
#
#   bash tools/stress/full_disk.sh [--tessel PATH] [CASE...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tessel=$root/build/native/bin/tessel
cases=()
while [ $# -gt 0 ]; do
  case "$1" in
    --tessel) tessel=$2; shift 2 ;;
    -*) echo "usage: $0 [--tessel PATH] [CASE...]" >&2; exit 2 ;;
    *) cases+=("$1"); shift ;;
  esac
done
[ ${#cases[@]} -gt 0 ] || cases=(fsize tmpfs loop)
[ -x "$tessel" ] || { echo "full_disk: no $tessel (build the native preset)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessel-full.XXXXXX")
mounted=
cleanup() {
  if [ -n "$mounted" ]; then umount "$mounted" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "full_disk: $1: $2" >&2; exit 1; }

# Ten files of 1 to 10 MiB of random bytes, in a shuffled order of folders.
src=$work/src
for i in 1 2 3 4 5 6 7 8 9 10; do
  mkdir -p "$src/d$(( (i * 7) % 10 ))"
  head -c $((i << 20)) /dev/urandom >"$src/d$(( (i * 7) % 10 ))/f$i.bin"
done

# check CASE OUTPUT DST: the final text is there, and the saved count is what DST holds,
# every file whole.
check() {
  local name=$1 out=$2 dst=$3 saved f
  grep -q '抽出を終了しました。' <<<"$out" || { echo "$out" >&2; fail "$name" "no final text"; }
  saved=$(sed -n 's/^実際に保存されたファイル数：\([0-9]*\)個.*/\1/p' <<<"$out")
  [ "$saved" = "$(find "$dst" -mindepth 1 | wc -l)" ] ||
    fail "$name" "saved $saved, but the destination holds $(find "$dst" -mindepth 1 | wc -l) entries"
  while IFS= read -r -d '' f; do
    cmp -s "$f" "$(find "$src" -name "${f##*/}")" || fail "$name" "${f##*/} is not whole"
  done < <(find "$dst" -type f -print0)
  echo "full_disk: $name: $saved of 10 saved, each whole, nothing partial"
  [ "$saved" -lt 10 ] || fail "$name" "the destination never filled up"
}

run_into() {  # CASE DST: a run with a mounted destination
  local out status=0
  out=$("$tessel" -q -y -e bin "$src" "$2" 2>&1) || status=$?
  [ "$status" -eq 0 ] || { echo "$out" >&2; fail "$1" "exit status $status"; }
  check "$1" "$out" "$2"
}

for c in "${cases[@]}"; do
  case $c in
    fsize)
      dst=$work/fsize
      mkdir "$dst"
      status=0
      # 4 MiB in blocks of 1024 bytes: files of 5 MiB and more cannot be written.
      out=$(ulimit -f 4096 && "$tessel" -q -y -e bin "$src" "$dst" 2>&1) || status=$?
      [ "$status" -eq 0 ] || { echo "$out" >&2; fail fsize "exit status $status"; }
      check fsize "$out" "$dst"
      [ "$(find "$dst" -type f | wc -l)" -eq 4 ] || fail fsize "expected f1 to f4 only"
      ;;
    tmpfs | loop)
      dst=$work/$c
      mkdir "$dst"
      if [ "$c" = tmpfs ]; then
        mount -t tmpfs -o size=16m tmpfs "$dst" 2>/dev/null ||
          { echo "full_disk: tmpfs: skipped (cannot mount here)"; continue; }
      else
        truncate -s 16M "$work/disk.img"
        mkfs.ext4 -q "$work/disk.img" 2>/dev/null && mount -o loop "$work/disk.img" "$dst" 2>/dev/null ||
          { echo "full_disk: loop: skipped (cannot mount here)"; continue; }
        rmdir "$dst/lost+found"
      fi
      mounted=$dst
      run_into "$c" "$dst"
      umount "$dst"
      mounted=
      ;;
    *) fail "$c" "no such case" ;;
  esac
done
echo "full_disk: passed: ${cases[*]}"
