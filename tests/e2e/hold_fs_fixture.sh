#!/usr/bin/env bash
# Mounts one hold file system (tests/support/hold_fs.py) for the Windows end-to-end suite,
# which cannot start a Linux process itself, and unmounts it after the suite:
#
#   hold_fs_fixture.sh start DIR    DIR/backing shown at DIR/mount, driven through DIR/control
#   hold_fs_fixture.sh stop DIR     lets every held read go, unmounts, ends the process
#
# The tests reach it through Z:\ paths (TESSEL_HOLD_FS=DIR). The file system is started
# detached from our output, or ctest, reading this script's pipe, would wait for it to end.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
verb=${1:?start or stop}
dir=${2:?folder}

stop() {
  if [ -d "$dir/control" ]; then echo 1000000000 >"$dir/control/release"; fi
  if mountpoint -q "$dir/mount" 2>/dev/null; then
    fusermount -u "$dir/mount" 2>/dev/null || fusermount -u -z "$dir/mount" || true
  fi
  if [ -f "$dir/pid" ]; then
    pid=$(cat "$dir/pid")
    # Polled until the file system's process has ended after its unmount, at most 10 s.
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill "$pid" 2>/dev/null || true
    rm -f "$dir/pid"
  fi
}

case $verb in
  start)
    stop
    rm -rf "$dir"
    mkdir -p "$dir/backing" "$dir/mount" "$dir/control"
    # Debian's python3, which has Debian's fusepy, whatever python3 comes first on PATH.
    setsid /usr/bin/python3 "$here/../support/hold_fs.py" "$dir/backing" "$dir/mount" \
      "$dir/control" </dev/null >"$dir/log" 2>&1 &
    echo $! >"$dir/pid"
    # Polled until the mount stands (a new mount takes well under a second), at most 30 s.
    for _ in $(seq 300); do
      if mountpoint -q "$dir/mount"; then exit 0; fi
      kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
      sleep 0.1
    done
    echo "hold_fs_fixture: the mount did not come up:" >&2
    cat "$dir/log" >&2
    exit 1
    ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
