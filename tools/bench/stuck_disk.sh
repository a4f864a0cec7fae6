#!/usr/bin/env bash
# The promise "Abort, Ctrl-C and close return at once, even while the disk does not answer",
# timed over the hold file system (tests/support/hold_fs.py), whose reads of one file wait
# from 1 MiB on until they are let go:
#   1. the tessel command: SIGINT while its copy's read is held -> "stopping" on standard
#      error; the read let go -> the command's end (tools/bench/stuck_disk.py);
#   2. the window under Wine: "中断" while the worker's read is held -> the form restored,
#      and the next message answered (tools/drive/stop_bench_win32.cpp).
# Median and worst of 20 rounds each. Not a test: nothing here passes or fails.
#
#   bash tools/bench/stuck_disk.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
rounds=${1:-20}

cmake --preset native >/dev/null
cmake --build --preset native --target tessel >/dev/null
echo "== the command"
[ "${SKIP_COMMAND:-}" ] || /usr/bin/python3 tools/bench/stuck_disk.py build/native/bin/tessel "$rounds"

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Tessel stop_bench >/dev/null
disk=$(mktemp -d /tmp/tessel-stuck-window.XXXXXX)
trap 'bash tests/e2e/hold_fs_fixture.sh stop "$disk/fs"; rm -rf "$disk"' EXIT
bash tests/e2e/hold_fs_fixture.sh start "$disk/fs"
echo "== the window (Wine)"
# Into a file, not a pipe: the Wine processes that the program starts (its desktop) keep the
# pipe open after the bench has ended.
TESSEL_HOLD_FS=$disk/fs tools/wine-run.sh build/win64/bin/stop_bench.exe \
  "Z:$(pwd | tr / '\\')\\build\\win64\\bin\\Tessel.exe" "$rounds" >"$disk/window.txt"
cat "$disk/window.txt"
