#!/usr/bin/env bash
# Builds the release zip, for using the control without registration or bundling it in one's
# own installer:
#   selvane-VERSION/x86/   selvane.ocx, Selvane.Control.manifest   (32-bit programs)
#   selvane-VERSION/x64/   the same for 64-bit programs
#   selvane-VERSION/docs/  members.md, settings-stream.md
#   selvane-VERSION/samples/  selvane_host.cpp, selvane-app.manifest
#   selvane-VERSION/include/  selvane.idl, selvane_h.h and selvane_i.c (made from it by widl),
#                             selvane.tlb: what a C++ program, or #import, builds against
#   selvane-VERSION/bundling/ selvane-x86.wxs, selvane-x64.wxs (WiX fragments) and selvane-x86.reg,
#                             selvane-x64.reg: what to register, from the installers' own rows
#   selvane-VERSION/INSTALL.md, LICENSE.txt, RELEASE-NOTES.md (this version's section of CHANGELOG.md)
# The same inputs give the same bytes: entries in a fixed order, each dated at the time of the
# checkout's last commit (SOURCE_DATE_EPOCH when set), with fixed permissions.
# Usage: scripts/make-zip.sh BUILD_DIR_32 BUILD_DIR_64 OUT.zip [SELVANE_OCX_32 SELVANE_OCX_64]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: make-zip.sh BUILD_DIR_32 BUILD_DIR_64 OUT.zip [SELVANE_OCX_32 SELVANE_OCX_64]"
build32=${1:?$usage} build64=${2:?$usage} out=${3:?$usage}
ocx32=${4:-$build32/selvane.ocx} ocx64=${5:-$build64/selvane.ocx}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build64/CMakeCache.txt")
[ -n "$version" ] || { echo "make-zip: no project version in $build64/CMakeCache.txt" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}

top=selvane-$version
mkdir -p "$(dirname "$out")"
rm -f "$out"
notes=$(mktemp)
trap 'rm -f "$notes"' EXIT
awk -v v="## $version" '$0 == v { on = 1 } on && /^## / && $0 != v { exit } on' "$root/CHANGELOG.md" >"$notes"
[ -s "$notes" ] || { echo "make-zip: CHANGELOG.md has no section for $version" >&2; exit 1; }
/usr/bin/python3 - "$out" "$epoch" \
    "$top/x86/selvane.ocx=$ocx32" "$top/x86/Selvane.Control.manifest=$build32/Selvane.Control.manifest" \
    "$top/x64/selvane.ocx=$ocx64" "$top/x64/Selvane.Control.manifest=$build64/Selvane.Control.manifest" \
    "$top/docs/members.md=$root/docs/members.md" "$top/docs/settings-stream.md=$root/docs/settings-stream.md" \
    "$top/samples/selvane_host.cpp=$root/docs/sample/selvane_host.cpp" \
    "$top/samples/selvane-app.manifest=$build64/generated/selvane-app.manifest" \
    "$top/include/selvane.idl=$root/control/com/selvane.idl" \
    "$top/include/selvane_h.h=$build64/generated/control/com/selvane_h.h" \
    "$top/include/selvane_i.c=$build64/generated/control/com/selvane_i.c" \
    "$top/include/selvane.tlb=$build32/generated/selvane.tlb" \
    "$top/bundling/selvane-x86.wxs=$build32/installer/selvane-x86-fragment.wxs" \
    "$top/bundling/selvane-x64.wxs=$build64/installer/selvane-x64-fragment.wxs" \
    "$top/bundling/selvane-x86.reg=$build32/installer/selvane-x86.reg" \
    "$top/bundling/selvane-x64.reg=$build64/installer/selvane-x64.reg" \
    "$top/INSTALL.md=$root/docs/INSTALL.md" "$top/LICENSE.txt=$root/LICENSE" "$top/RELEASE-NOTES.md=$notes" <<'EOF'
import sys, time, zipfile
out, epoch, pairs = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
# Zip times are local times of two-second steps from 1980 on; the commit's UTC time stands in.
stamp = time.gmtime(max(epoch, 315532800))[:6]
with zipfile.ZipFile(out, 'w') as archive:
    for name, path in sorted(pair.split('=', 1) for pair in pairs):
        entry = zipfile.ZipInfo(name, stamp)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o644 << 16
        entry.create_system = 0
        with open(path, 'rb') as source:
            archive.writestr(entry, source.read(), compresslevel=9)
EOF
echo "make-zip: $out"
