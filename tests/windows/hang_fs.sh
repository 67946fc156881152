#!/usr/bin/env bash
# Mounts, and takes away again, the tests' file system that doesn't answer (hang_fs.py) at
# BUILD_DIR/hang/mnt, where the prefix's drives H: and I: lead (scripts/wine-prefix.sh). CTest
# mounts it before the tests of a drive that doesn't answer and unmounts it after them, also
# when they fail. Without /dev/fuse or fusepy the mount fails, and those tests with it.
# Usage: tests/windows/hang_fs.sh mount|unmount BUILD_DIR
set -uo pipefail
action=${1:?usage: hang_fs.sh mount|unmount BUILD_DIR}
build=$(cd "${2:?usage: hang_fs.sh mount|unmount BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
dir=$build/hang
mnt=$dir/mnt
pidfile=$dir/pid
log=$dir/log
# Debian's python3-fusepy is the system Python's (its module is fusepy), whatever else is on PATH.
python=/usr/bin/python3
[ -x "$python" ] || python=python3

unmount() {
    # Killed, the file system answers every call still waiting on it with an error.
    local pid
    pid=$(cat "$pidfile" 2>/dev/null)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -f "$pidfile"
    if grep -qs " $mnt fuse" /proc/mounts; then
        fusermount3 -u -z "$mnt" 2>/dev/null || umount -l "$mnt" 2>/dev/null
    fi
    if grep -qs " $mnt fuse" /proc/mounts; then
        echo "hang_fs: $mnt is still mounted" >&2
        return 1
    fi
}

case $action in
mount)
    mkdir -p "$mnt"
    unmount || exit 1  # one left from a run that was cut short
    if [ ! -c /dev/fuse ]; then
        echo "hang_fs: /dev/fuse is missing: the tests of a drive that doesn't answer can't run" >&2
        exit 1
    fi
    if ! "$python" -c 'import fusepy' 2>/dev/null; then
        echo "hang_fs: python3-fusepy is missing (scripts/setup.sh installs it)" >&2
        exit 1
    fi
    # Its own session and no terminal of CTest's: CTest would wait for an output pipe it holds.
    setsid "$python" "$here/hang_fs.py" "$mnt" </dev/null >"$log" 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 100); do
        if [ -d "$mnt/healthy" ]; then
            echo "hang_fs: mounted at $mnt"
            exit 0
        fi
        kill -0 "$(cat "$pidfile")" 2>/dev/null || break
        sleep 0.1
    done
    echo "hang_fs: the file system did not come up at $mnt:" >&2
    cat "$log" >&2
    unmount
    exit 1
    ;;
unmount)
    unmount && echo "hang_fs: unmounted $mnt"
    ;;
*)
    echo "usage: hang_fs.sh mount|unmount BUILD_DIR" >&2
    exit 2
    ;;
esac
