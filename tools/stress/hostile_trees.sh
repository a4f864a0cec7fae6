#!/usr/bin/env bash
# Runs `tessel` over trees built to hurt a folder walker and checks that each run completes
# with exit status 0, finds and saves exactly the files it should, and copies them whole:
#
#   loops        symbolic links to the folder itself, its parent, each other, a dead link
#   wide         N files in one folder (default 100,000)
#   deep         folders nested 300 deep, a picture at every tenth level
#   names        names with CR, LF, a tab, a leading dash, the byte 0x5C inside a code page
#                932 character, characters code page 932 cannot write, and non-UTF-8 bytes
#   unreadable   an unreadable file and an unreadable folder, the run done as another user
#                (skipped when the script does not run as root)
#   changing     files deleted and grown by another process while the run goes on
#
#   bash tools/stress/hostile_trees.sh [--files N] [--tessel PATH] [CASE...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tessel=$root/build/native/bin/tessel
wide=100000
cases=()
while [ $# -gt 0 ]; do
  case "$1" in
    --files) wide=$2; shift 2 ;;
    --tessel) tessel=$2; shift 2 ;;
    -*) echo "usage: $0 [--files N] [--tessel PATH] [CASE...]" >&2; exit 2 ;;
    *) cases+=("$1"); shift ;;
  esac
done
[ ${#cases[@]} -gt 0 ] || cases=(loops wide deep names unreadable changing)
[ -x "$tessel" ] || { echo "hostile_trees: no $tessel (build the native preset)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessel-hostile.XXXXXX")
chmod 755 "$work"
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT

fail() { echo "hostile_trees: $1: $2" >&2; exit 1; }
png() {  # path side: a PNG header of side x side (the rest is never read)
  printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR' >"$1"
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' 0 0 $(($2 >> 8)) $(($2 & 255)))" >>"$1"
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' 0 0 $(($2 >> 8)) $(($2 & 255)))" >>"$1"
  printf '\x08\x02\x00\x00\x00\x00\x00\x00\x00' >>"$1"
}

# run CASE EXPECTED_FOUND EXPECTED_SAVED [tessel options...] SRC DST: runs and checks.
run() {
  local name=$1 found=$2 saved=$3
  shift 3
  local out status=0
  out=$("$tessel" -q -y "$@" 2>"$work/stderr") || status=$?
  [ "$status" -eq 0 ] || { cat "$work/stderr" >&2; fail "$name" "exit status $status"; }
  ! grep -q Sanitizer "$work/stderr" || { cat "$work/stderr" >&2; fail "$name" "sanitizer report"; }
  grep -q "抽出ファイルが${found}個見つかりました。" <<<"$out" ||
    { echo "$out" >&2; fail "$name" "expected $found found"; }
  if [ "$saved" != - ]; then
    grep -q "実際に保存されたファイル数：${saved}個" <<<"$out" ||
      { echo "$out" >&2; fail "$name" "expected $saved saved"; }
  fi
  echo "hostile_trees: $name: $found found, $saved saved"
}

# Every file in DST is byte for byte the file of the same name under SRC (names are
# unique in these trees; a link to a file counts as that file).
same_as_sources() {
  local name=$1 src=$2 dst=$3 f
  declare -A origin=()
  while IFS= read -r -d '' f; do origin[${f##*/}]=$f; done < <(find "$src" \( -type f -o -type l \) -print0)
  while IFS= read -r -d '' f; do
    [ -n "${origin[${f##*/}]:-}" ] || fail "$name" "left behind: ${f##*/}"
    cmp -s "$f" "${origin[${f##*/}]}" || fail "$name" "differs from its source: ${f##*/}"
  done < <(find "$dst" -type f -print0)
}

for c in "${cases[@]}"; do
  src=$work/$c/src dst=$work/$c/dst
  mkdir -p "$src" "$dst"
  case $c in
    loops)
      mkdir -p "$src/a/b"
      png "$src/a/one.png" 100
      png "$src/a/b/two.png" 200
      ln -s . "$src/a/self"
      ln -s .. "$src/a/b/up"
      ln -s "$src" "$src/a/b/root"
      ln -s ping "$src/pong" && ln -s pong "$src/ping"
      ln -s nowhere "$src/dead.png"
      ln -s ../one.png "$src/a/b/link.png"  # a link to a file is a file
      run loops 4 3 "$src" "$dst"  # the dead link is listed, but nothing can be read
      same_as_sources loops "$src" "$dst"
      ;;
    wide)
      (cd "$src" && seq -f 'f%06g.jpg' 1 "$wide" | xargs touch)
      run wide "$wide" "$wide" "$src" "$dst"
      [ "$(find "$dst" -type f | wc -l)" -eq "$wide" ] || fail wide "not every file copied"
      ;;
    deep)
      path=$src
      for level in $(seq 1 300); do
        path=$path/d
        mkdir "$path"
        [ $((level % 10)) -ne 0 ] || png "$path/level$level.png" "$level"
      done
      run deep 30 30 "$src" "$dst"
      ;;
    names)
      for n in $'cr\rname.jpg' $'lf\nname.jpg' $'tab\tname.jpg' '-dash.jpg' '--help.jpg' \
        $'\x95\x5c.jpg' $'\x83\x5c\x83\x74\x83\x67.jpg' '한국.jpg' 'emoji😀.jpg' 'café.jpg' \
        $'latin\xe9.jpg' 'back\slash.jpg' ' lead blank.jpg'; do
        printf '%s' "$n" >"$src/$n"
      done
      mkdir "$src/-dir" "$src/"$'\x95\x5c'"dir"
      printf x >"$src/-dir/in.jpg"
      printf y >"$src/"$'\x95\x5c'"dir/under.jpg"
      run names 15 15 "$src" "$dst"
      same_as_sources names "$src" "$dst"
      ;;
    unreadable)
      if [ "$(id -u)" -ne 0 ]; then echo "hostile_trees: unreadable: skipped (not root)"; continue; fi
      mkdir -p "$src/open" "$src/closed"
      png "$src/open/fine.png" 64
      png "$src/open/locked.png" 65
      png "$src/closed/hidden.png" 66
      chown -R nobody "$dst"
      chmod 000 "$src/open/locked.png" "$src/closed"
      # As nobody: the locked file is found (listed) but not copied, the closed folder is
      # not entered.
      out=$(setpriv --reuid=nobody --regid=nogroup --clear-groups "$tessel" -q -y "$src" "$dst" 2>&1) ||
        { echo "$out" >&2; fail unreadable "exit status"; }
      grep -q "抽出ファイルが2個見つかりました。" <<<"$out" || { echo "$out" >&2; fail unreadable "found"; }
      grep -q "実際に保存されたファイル数：1個" <<<"$out" || { echo "$out" >&2; fail unreadable "saved"; }
      [ "$(ls "$dst")" = fine.png ] || fail unreadable "destination: $(ls "$dst")"
      echo "hostile_trees: unreadable: 2 found, 1 saved, the closed folder skipped"
      ;;
    changing)
      for i in $(seq 1 3000); do
        mkdir -p "$src/d$((i % 30))"
        head -c $((i % 4096 + 1)) /dev/zero >"$src/d$((i % 30))/f$i.jpg"
      done
      # Another process deletes some files and grows others while the run goes on.
      (
        for i in $(seq 1 3000); do
          case $((i % 3)) in
            0) rm -f "$src/d$((i % 30))/f$i.jpg" ;;
            1) head -c 100000 /dev/zero >>"$src/d$((i % 30))/f$i.jpg" ;;
          esac
        done
      ) &
      changer=$!
      out=$("$tessel" -q -y "$src" "$dst" 2>&1) || { echo "$out" >&2; fail changing "exit status"; }
      wait "$changer"
      grep -q "抽出を終了しました。" <<<"$out" || { echo "$out" >&2; fail changing "no final text"; }
      # Each copy holds what the file held while it was read: at least its first size, at
      # most its grown one, and zeros throughout.
      while IFS= read -r -d '' f; do
        size=$(stat -c %s "$f")
        i=${f##*/f}; i=${i%.jpg}
        [ "$size" -ge $((i % 4096 + 1)) ] && [ "$size" -le $((i % 4096 + 1 + 100000)) ] ||
          fail changing "f$i.jpg copied with $size bytes"
        cmp -s -n "$size" "$f" /dev/zero || fail changing "f$i.jpg holds other bytes"
      done < <(find "$dst" -type f -print0)
      echo "hostile_trees: changing: run completed, $(find "$dst" -type f | wc -l) whole copies"
      ;;
    *) fail "$c" "no such case" ;;
  esac
done
echo "hostile_trees: passed: ${cases[*]}"
