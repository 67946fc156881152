#!/usr/bin/env bash
# What makes a release reproducible, checked on this build's files: selvane.ocx carries no link
# time and no folder of the machine that built it, and the zip and the installers made twice,
# a second apart, are the same bytes.
# Usage: reproducible.sh BUILD_DIR_64 BUILD_DIR_32   (no Wine needed)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build64=$(cd "$1" && pwd) build32=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for ocx in "$build32/selvane.ocx" "$build64/selvane.ocx"; do
    stamp=$(/usr/bin/python3 -c '
import struct, sys
data = open(sys.argv[1], "rb").read()
print(struct.unpack_from("<I", data, struct.unpack_from("<I", data, 0x3C)[0] + 8)[0])' "$ocx")
    [ "$stamp" = 0 ] || { echo "FAIL: $ocx has the link time $stamp"; failed=1; }
    if grep -c -a -F -e "$root" -e "$(dirname "$build64")" "$ocx" >/dev/null; then
        echo "FAIL: $ocx names a folder of this machine: $(strings "$ocx" | grep -F -e "$root" | head -2)"
        failed=1
    fi
done
"$root/scripts/make-zip.sh" "$build32" "$build64" "$work/a.zip" >/dev/null
sleep 1
"$root/scripts/make-zip.sh" "$build32" "$build64" "$work/b.zip" >/dev/null
cmp -s "$work/a.zip" "$work/b.zip" || { echo "FAIL: the zip differs from one run to the next"; failed=1; }
for build in "$build32" "$build64"; do
    "$root/scripts/make-msi.sh" "$build" "$work/a.msi" >/dev/null
    sleep 1
    "$root/scripts/make-msi.sh" "$build" "$work/b.msi" >/dev/null
    cmp -s "$work/a.msi" "$work/b.msi" || { echo "FAIL: the installer of $build differs from one run to the next"; failed=1; }
done
[ $failed = 0 ] && echo "reproducible: no link time, no build folder, the same zip and installers"
exit $failed
