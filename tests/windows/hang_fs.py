#!/usr/bin/env python3
"""A file system that doesn't answer, for the Windows tests of the control's deadline.

    hang_fs.py MOUNTPOINT      (runs in the foreground until unmounted; tests/windows/hang_fs.sh)

Linked into the tests' Wine prefix as H: (its root) and I: (its folder list), it holds:

    healthy/     a.txt (5 bytes), b.txt (5 bytes), sub/
    list/        x.txt; reading the folder's names doesn't answer while the drive hangs
    attr/        file.txt (4 bytes); its attributes don't answer while the drive hangs
    slow/        1,000 files s0000.txt .. s0999.txt (1 byte each); each one's attributes take
                 SLOW_DELAY seconds, always: a folder that answers slowly but surely
    sluggish/    s.txt; while the drive is sluggish, the attributes of the folder and of what
                 is in it take SLUGGISH_DELAY seconds: a drive that answers every call, but late
    late/        l.txt; the same, but LATE_DELAY seconds: each call of a program (several looks
                 under Wine) answers late, yet within its deadline; files can be made and
                 deleted there, so that the folder changes
    roots/       the root of the drives J: to M:, which doesn't answer while the roots hang

The drive starts answering. Looking up the name ".hang" in the root makes it hang, ".sluggish"
makes it sluggish, ".hangroots" makes roots/ hang; looking up ".answer" answers every call
that hangs and lets the drive answer again, at once. The root's ".calls" has the number of calls the drive has had as its size.
No call hangs longer
than HANG_LIMIT seconds. Each hanging path
lies in a folder of its own: libfuse 2 serializes the lookups of one folder.
"""

import errno
import stat
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations, fuse_get_context

SLOW_COUNT = 1000
SLOW_DELAY = 0.0015
HANG_LIMIT = 60
SLUGGISH_DELAY = 1.5
LATE_DELAY = 0.15
STAMP = 981173106  # 2001-02-03 04:05:06 UTC, the fixture's time

TREE = {"/": ["attr", "healthy", "late", "list", "roots", "slow", "sluggish"], "/roots": [], "/sluggish": ["s.txt"], "/late": ["l.txt"],
        "/healthy": ["a.txt", "b.txt", "sub"], "/healthy/sub": [],
        "/list": ["x.txt"], "/attr": ["file.txt"]}
FILES = {"/healthy/a.txt": b"aaaa\n", "/healthy/b.txt": b"bbbb\n", "/list/x.txt": b"xx\n",
         "/attr/file.txt": b"fff\n", "/sluggish/s.txt": b"s",
         "/late/l.txt": b"l"}
SLOW_NAMES = ["s%04d.txt" % i for i in range(SLOW_COUNT)]
FOLDERS = set(TREE) | {"/slow"}
SLOW_PATHS = {"/slow/" + name for name in SLOW_NAMES}


def from_wine_server():
    """Whether Wine's server makes the call: it opens files for every program, so a call late
    there would stall every thread of every program, which a Windows machine has no part like."""
    try:
        with open("/proc/%d/comm" % fuse_get_context()[2]) as comm:
            return comm.read().startswith("wineserver")
    except OSError:
        return False


class HangFS(Operations):
    def __init__(self):
        self.hanging = False
        self.roots_hanging = False
        self.sluggish = False
        self.calls = 0
        self.changed = threading.Condition()

    # A call waits until the drive answers, or HANG_LIMIT has passed: a control that waits for
    # it after all then makes its test slow and failed, not the whole run hung.
    def wait_while_hanging(self, what="hanging"):
        end = time.monotonic() + HANG_LIMIT
        with self.changed:
            while getattr(self, what) and time.monotonic() < end:
                self.changed.wait(end - time.monotonic())

    def set_hanging(self, hanging, what="hanging"):
        with self.changed:
            setattr(self, what, hanging)
            self.changed.notify_all()

    def getattr(self, path, fh=None):
        if path == "/.calls":
            # How many calls the drive has had (its size), for tests of what idling costs.
            return dict(st_mode=stat.S_IFREG | 0o444, st_nlink=1, st_size=self.calls)
        self.calls += 1
        if path == "/.hang":
            self.set_hanging(True)
            raise FuseOSError(errno.ENOENT)
        if path == "/.hangroots":
            self.set_hanging(True, "roots_hanging")
            raise FuseOSError(errno.ENOENT)
        if path == "/.sluggish":
            self.sluggish = True
            raise FuseOSError(errno.ENOENT)
        if path == "/.answer":
            self.sluggish = False
            self.set_hanging(False, "roots_hanging")
            self.set_hanging(False)
            raise FuseOSError(errno.ENOENT)
        if self.sluggish and not from_wine_server():
            for folder, delay in (("/sluggish", SLUGGISH_DELAY), ("/late", LATE_DELAY)):
                if path == folder or path.startswith(folder + "/"):
                    time.sleep(delay)
        if path == "/roots" and not from_wine_server():
            self.wait_while_hanging("roots_hanging")
        times = {"st_atime": STAMP, "st_mtime": STAMP, "st_ctime": STAMP}
        if path in FOLDERS:
            return dict(st_mode=stat.S_IFDIR | 0o755, st_nlink=2, st_size=0, **times)
        if path == "/attr/file.txt":
            self.wait_while_hanging()
        if path in SLOW_PATHS:
            time.sleep(SLOW_DELAY)
            return dict(st_mode=stat.S_IFREG | 0o644, st_nlink=1, st_size=1, **times)
        if path in FILES:
            return dict(st_mode=stat.S_IFREG | 0o644, st_nlink=1, st_size=len(FILES[path]), **times)
        raise FuseOSError(errno.ENOENT)

    def readdir(self, path, fh):
        self.calls += 1
        if path == "/list":
            self.wait_while_hanging()
        if path == "/slow":
            return [".", ".."] + SLOW_NAMES
        if path not in TREE:
            raise FuseOSError(errno.ENOENT)
        return [".", ".."] + TREE[path]

    def create(self, path, mode, fi=None):
        folder, _, name = path.rpartition("/")
        if folder != "/late" or path in FILES:
            raise FuseOSError(errno.EACCES)
        FILES[path] = b""
        TREE[folder].append(name)
        return 0

    def unlink(self, path):
        folder, _, name = path.rpartition("/")
        if folder != "/late" or path == "/late/l.txt" or path not in FILES:
            raise FuseOSError(errno.EACCES)
        del FILES[path]
        TREE[folder].remove(name)

    def read(self, path, size, offset, fh):
        if path in SLOW_PATHS:
            return b"s"[offset:offset + size]
        if path not in FILES:
            raise FuseOSError(errno.ENOENT)
        return FILES[path][offset:offset + size]

    def statfs(self, path):
        return dict(f_bsize=4096, f_frsize=4096, f_blocks=1024, f_bfree=512, f_bavail=512, f_files=2048,
                    f_ffree=1024, f_favail=1024, f_namemax=255)


if __name__ == "__main__":
    # Nothing is cached, so that every call the tests make reaches the file system.
    FUSE(HangFS(), sys.argv[1], foreground=True, nothreads=False, fsname="selvane-hang", attr_timeout=0,
         entry_timeout=0, negative_timeout=0)
