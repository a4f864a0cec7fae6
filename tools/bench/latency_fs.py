#!/usr/bin/python3
"""tools/bench/latency_fs.py: a folder as a share on a home network shows it, for benchmarks.

    latency_fs.py [--latency-ms MS] BACKING MOUNTPOINT

Mounts a read-only view of the folder BACKING at MOUNTPOINT (FUSE, in the foreground, until
it is unmounted) that answers every call the kernel makes (lookup, getattr, readdir, open,
read, flush, release, readlink, statfs, access, ...) only after MS milliseconds (default 2),
as a NAS answers each request after one round trip. Calls are answered by many threads at
once, so a program that keeps several calls in flight waits for one delay, not for several.

The kernel keeps nothing that could answer in the share's stead: attributes and names expire
at once (attr_timeout, entry_timeout and negative_timeout of 0: every folder on the way of
every path is looked up here again, and every stat reaches getattr), and direct_io sends every read here at the program's own
offset, with no page cache or read-ahead in between. A share's own client caches more than
this; the mirror is the worst case, the one where a program's order of calls shows. A
listing tells each name's kind (file, folder, link) as a share's does, nothing more.
"""
import argparse
import errno
import os
import stat
import time

from fusepy import FUSE, FuseOSError, Operations

# The calls that are no request to the share: mounting and unmounting.
UNTIMED = ("init", "destroy")


class LatencyFs(Operations):
    use_ns = True

    def __init__(self, backing, latency):
        self.backing = os.path.realpath(backing)
        self.latency = latency

    def __call__(self, op, *args):
        if op not in UNTIMED:
            time.sleep(self.latency)  # releases the GIL: other threads' calls wait alongside
        # An OSError of the backing folder goes back to the kernel as its errno (fusepy).
        return super().__call__(op, *args)

    def _real(self, path):
        return os.path.join(self.backing, path.lstrip("/"))

    def getattr(self, path, fh=None):
        st = os.lstat(self._real(path))
        keys = ("st_mode", "st_nlink", "st_uid", "st_gid", "st_size", "st_blocks")
        attrs = {k: getattr(st, k) for k in keys}
        for k in ("st_atime", "st_mtime", "st_ctime"):
            attrs[k] = getattr(st, k + "_ns")
        return attrs

    def readlink(self, path):
        return os.readlink(self._real(path))

    def readdir(self, path, fh):
        # Each name with its kind, as a share's listing gives it (SMB's directory query, NFS's
        # READDIRPLUS): without it the kernel says DT_UNKNOWN, and every walker must ask a
        # stat of every entry, which no program pays on a real share.
        entries = [(".", None, 0), ("..", None, 0)]
        with os.scandir(self._real(path)) as listing:
            for entry in listing:
                if entry.is_dir(follow_symlinks=False):
                    kind = stat.S_IFDIR
                elif entry.is_symlink():
                    kind = stat.S_IFLNK
                else:
                    kind = stat.S_IFREG
                entries.append((entry.name, {"st_mode": kind}, 0))
        return entries

    def statfs(self, path):
        st = os.statvfs(self._real(path))
        keys = ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree",
                "f_files", "f_flag", "f_frsize", "f_namemax")
        return {k: getattr(st, k) for k in keys}

    def access(self, path, amode):
        if amode & os.W_OK:
            raise FuseOSError(errno.EROFS)
        if not os.access(self._real(path), amode):
            raise FuseOSError(errno.EACCES)

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def flush(self, path, fh):
        return 0

    def release(self, path, fh):
        os.close(fh)
        return 0


def main():
    parser = argparse.ArgumentParser(description="A read-only mirror of BACKING at "
                                     "MOUNTPOINT that answers every call after a delay.")
    parser.add_argument("--latency-ms", type=float, default=2.0,
                        help="the delay before every answer, in milliseconds (default 2)")
    parser.add_argument("backing")
    parser.add_argument("mountpoint")
    args = parser.parse_args()
    FUSE(LatencyFs(args.backing, args.latency_ms / 1000.0), args.mountpoint,
         foreground=True, nothreads=False, ro=True, direct_io=True,
         attr_timeout=0, entry_timeout=0, negative_timeout=0, fsname="latency_fs")


if __name__ == "__main__":
    main()
