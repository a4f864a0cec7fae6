#!/usr/bin/python3
"""tests/support/hold_fs.py: a disk that stops answering, for tests.

    hold_fs.py [--writable] BACKING MOUNTPOINT CONTROL

Mounts a view of the folder BACKING at MOUNTPOINT (FUSE, in the foreground; read-only unless
--writable, which passes writes through to BACKING) and
takes its orders from plain files in the folder CONTROL, so that any process that can write a
file can drive it: a test on Linux, or a Windows test under Wine through its Z:\\ paths.

  hold       lines "NAME OFFSET": a read of a file named NAME (its last path component) at
             OFFSET or past it is held until the test lets it go
  release    a number N: the first N reads that were held go on (later ones still wait)
  fail-list  lines of folder names: listing a folder of that name fails with EIO (opening it
             still works), as a failing disk breaks off a listing
  fail-all   any content: from now on every call fails with EIO, as a disk that was pulled
             or a share that dropped
  held       written here: how many reads have been held so far, counted from 1 in the
             order they arrived
  log        what went wrong here, if anything (stderr)

The files are read afresh on every call, so a change takes effect with the next call. A held
read looks at `release` every few milliseconds. Entries are listed sorted by name, so a test
knows which folder comes after which.
"""
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

# How often a held read looks whether it may go on.
HOLD_POLL_SECONDS = 0.002


class HoldFs(Operations):
    use_ns = True

    def __init__(self, backing, control, writable):
        self.backing = os.path.realpath(backing)
        self.control = control
        self.writable = writable
        self.counting = threading.Lock()  # not "lock": fusepy would take it for the lock call
        self.held = 0

    def _real(self, path):
        return os.path.join(self.backing, path.lstrip("/"))

    def _lines(self, name):
        try:
            with open(os.path.join(self.control, name), encoding="utf-8") as f:
                return [line.rstrip("\r\n") for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def _released(self):
        lines = self._lines("release")
        try:
            return int(lines[0]) if lines else 0
        except ValueError:
            return 0

    def _holds(self, name, offset):
        for line in self._lines("hold"):
            held_name, _, start = line.rpartition(" ")
            try:
                if held_name == name and offset >= int(start):
                    return True
            except ValueError:
                continue
        return False

    def _write_held(self, count):
        # Whole or not at all: a reader never sees a half-written number.
        path = os.path.join(self.control, "held")
        with open(path + ".new", "w", encoding="utf-8") as f:
            f.write("%d\n" % count)
        os.replace(path + ".new", path)

    def __call__(self, op, *args):
        if op not in ("init", "destroy", "release") and os.path.exists(
                os.path.join(self.control, "fail-all")):
            raise FuseOSError(errno.EIO)
        return super().__call__(op, *args)

    # --- what the kernel asks ----------------------------------------------------------

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._real(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        keys = ("st_mode", "st_nlink", "st_uid", "st_gid", "st_size", "st_blocks",
                "st_atime_ns", "st_mtime_ns", "st_ctime_ns")
        attrs = {k: getattr(st, k) for k in keys}
        for k in ("st_atime", "st_mtime", "st_ctime"):
            attrs[k] = attrs.pop(k + "_ns")
        return attrs

    def readlink(self, path):
        return os.readlink(self._real(path))

    def readdir(self, path, fh):
        if os.path.basename(path) in self._lines("fail-list"):
            raise FuseOSError(errno.EIO)
        return [".", ".."] + sorted(os.listdir(self._real(path)))

    def statfs(self, path):
        st = os.statvfs(self._real(path))
        keys = ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree",
                "f_files", "f_flag", "f_frsize", "f_namemax")
        return {k: getattr(st, k) for k in keys}

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR) and not self.writable:
            raise FuseOSError(errno.EROFS)
        return self._os(os.open, self._real(path), flags & ~os.O_CREAT)

    # Writes, with --writable only (the mount is read-only otherwise).
    def _os(self, call, *args):
        try:
            return call(*args)
        except OSError as e:
            raise FuseOSError(e.errno)

    def create(self, path, mode, fi=None):
        return self._os(os.open, self._real(path), os.O_WRONLY | os.O_CREAT | os.O_EXCL, mode)

    def write(self, path, data, offset, fh):
        return self._os(os.pwrite, fh, data, offset)

    def truncate(self, path, length, fh=None):
        self._os(os.truncate, self._real(path), length)

    def unlink(self, path):
        self._os(os.unlink, self._real(path))

    def rename(self, old, new):
        self._os(os.rename, self._real(old), self._real(new))

    def link(self, target, source):
        self._os(os.link, self._real(source), self._real(target))

    def mkdir(self, path, mode):
        self._os(os.mkdir, self._real(path), mode)

    def rmdir(self, path):
        self._os(os.rmdir, self._real(path))

    def chmod(self, path, mode):
        self._os(os.chmod, self._real(path), mode)

    def utimens(self, path, times=None):
        self._os(os.utime, self._real(path), ns=times)

    def fsync(self, path, datasync, fh):
        self._os(os.fdatasync if datasync else os.fsync, fh)

    def flush(self, path, fh):
        return 0

    def read(self, path, size, offset, fh):
        if self._holds(os.path.basename(path), offset):
            with self.counting:
                self.held += 1
                number = self.held
                self._write_held(number)
            while self._released() < number:
                time.sleep(HOLD_POLL_SECONDS)
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)
        return 0


def main():
    args = sys.argv[1:]
    writable = bool(args) and args[0] == "--writable"
    if writable:
        args = args[1:]
    if len(args) != 3:
        sys.exit("usage: hold_fs.py [--writable] BACKING MOUNTPOINT CONTROL")
    backing, mountpoint, control = args
    # direct_io: every read a program makes reaches read() above at its own offset, with no
    # page cache in between that could serve it, or read ahead into a held range.
    FUSE(HoldFs(backing, control, writable), mountpoint, foreground=True, ro=not writable,
         direct_io=True, fsname="hold_fs")


if __name__ == "__main__":
    main()
