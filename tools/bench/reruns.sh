#!/usr/bin/env bash
# Runs the tessel command three times over one source folder into one fresh destination, in
# the numbered and in the separate mode, and prints for each run the files saved, the files
# the destination then holds, their bytes, and the bytes the run wrote (write_bytes of
# /proc/PID/io: what it gave the file system to put on disk). Not a test: it prints.
#
#   tools/bench/reruns.sh SRC [WORK]     WORK: where the destinations go (default: a fresh
#                                        folder in /var/tmp, removed at the end)
#   TESSEL=path/to/tessel tools/bench/reruns.sh SRC     another build of the command
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
src=${1:?usage: reruns.sh SRC [WORK]}
if [ -n "${2:-}" ]; then
  work=$2
  mkdir -p "$work"
else
  work=$(mktemp -d /var/tmp/tessel-reruns.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi
tessel=${TESSEL:-$root/build/native/bin/tessel}
if [ -z "${TESSEL:-}" ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target tessel >/dev/null
fi

# run MODE DST: one run; prints "saved written" (written: write_bytes caused by the run; the
# shell that measures writes nothing itself, and a child's counts are added to its parent's
# when it is waited for).
run() {
  bash -c '
    bytes() { awk "/^write_bytes/ { print \$2 }" /proc/$$/io; }
    before=$(bytes)
    out=$("$@")
    after=$(bytes)
    saved=$(sed -n "s/^実際に保存されたファイル数：\([0-9]*\)個.*/\1/p" <<<"$out")
    echo "${saved:-?} $((after - before))"
  ' _ "$tessel" -q -y -d "$1" "$src" "$2"
}

printf '%-9s %4s %8s %8s %13s %13s\n' mode run saved files bytes written
for mode in numbered separate; do
  dst=$work/$mode
  rm -rf "$dst"
  for r in 1 2 3; do
    read -r saved written < <(run "$mode" "$dst")
    files=$(find "$dst" -type f | wc -l)
    bytes=$(find "$dst" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
    printf '%-9s %4d %8s %8d %13d %13d\n' "$mode" "$r" "$saved" "$files" "$bytes" "$written"
  done
done
