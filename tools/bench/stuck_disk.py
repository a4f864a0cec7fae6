#!/usr/bin/python3
"""tools/bench/stuck_disk.py: the tessel command over a disk that stops answering.

    stuck_disk.py TESSEL [ROUNDS]

Each round copies a 64 MiB file from the hold file system (tests/support/hold_fs.py) whose
reads wait from 1 MiB on, sends SIGINT while the read is held, and measures how soon the
command says on standard error that it is stopping (target 200 ms), then lets the read go
and measures how soon the command ends after it (it cannot end before: the kernel holds a
process while one of its threads is in such a read). Median and worst of the rounds. Not a
test: nothing here passes or fails.
"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURE = os.path.join(HERE, "..", "..", "tests", "e2e", "hold_fs_fixture.sh")


def held(control):
    try:
        with open(os.path.join(control, "held"), encoding="utf-8") as f:
            return int(f.read().strip() or 0)
    except FileNotFoundError:
        return 0


def until(condition, limit=30.0):
    end = time.monotonic() + limit
    while not condition():
        if time.monotonic() > end:
            raise SystemExit("stuck_disk: timed out")
        time.sleep(0.001)


def main():
    tessel = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    work = tempfile.mkdtemp(prefix="tessel-stuck-")
    disk = os.path.join(work, "disk")
    subprocess.run(["bash", FIXTURE, "start", disk], check=True)
    control = os.path.join(disk, "control")
    message, ending = [], []
    try:
        src = os.path.join(disk, "backing", "src")
        os.makedirs(src)
        with open(os.path.join(src, "big.zip"), "wb") as f:
            f.truncate(64 << 20)
        with open(os.path.join(control, "hold"), "w", encoding="utf-8") as f:
            f.write("big.zip %d\n" % (1 << 20))
        for r in range(rounds):
            before = held(control)
            with open(os.path.join(control, "release"), "w", encoding="utf-8") as f:
                f.write("%d\n" % before)
            dst = os.path.join(work, "dst%d" % r)
            os.makedirs(dst)
            child = subprocess.Popen(
                [tessel, "-q", "-k", "archives", os.path.join(disk, "mount", "src"), dst],
                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            until(lambda: held(control) > before)
            start = time.monotonic()
            child.send_signal(signal.SIGINT)
            line = child.stderr.readline().decode("utf-8", "replace")
            message.append((time.monotonic() - start) * 1000)
            if "stopping" not in line:
                raise SystemExit("stuck_disk: unexpected %r" % line)
            with open(os.path.join(control, "release"), "w", encoding="utf-8") as f:
                f.write("1000000000\n")
            released = time.monotonic()
            child.stderr.read()
            child.wait()
            ending.append((time.monotonic() - released) * 1000)
    finally:
        subprocess.run(["bash", FIXTURE, "stop", disk], check=False)
        subprocess.run(["rm", "-rf", work], check=False)
    for what, values in (("Ctrl-C -> 'stopping' on stderr", message),
                         ("the read returns -> the command ends", ending)):
        print("%-38s median %7.2f ms, worst %7.2f ms (%d rounds; target <= 200 ms)"
              % (what, statistics.median(values), max(values), len(values)))


if __name__ == "__main__":
    main()
