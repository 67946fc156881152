#!/usr/bin/env bash
# Builds the installer of one bitness from a Windows build folder's installer sources
# (cmake/installer.cmake) and its files, with wixl, then mends what wixl can't write:
#   - the rows under HKMU get root -1 (wixl writes 4, which Windows Installer skips silently);
#   - the library's file version is recorded, which wixl leaves out;
#   - the keys with no value ("Control", the category) are added;
#   - the package code and the product code are derived from the package's contents, so that
#     the same inputs give the same codes and different ones different codes: a rebuild of the
#     same version with other contents replaces the installed one (its upgrade takes the same
#     version too), and an older version still refuses to replace a newer one;
#   - the summary's times and the packed files' times are those of the checkout's last commit,
#     not of the build, so that the same inputs give the same package, byte for byte.
# Usage: scripts/make-msi.sh BUILD_DIR OUT.msi [SELVANE_OCX]
#   SELVANE_OCX: the library to package instead of BUILD_DIR/selvane.ocx (a signed copy).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: make-msi.sh BUILD_DIR OUT.msi [SELVANE_OCX]}" && pwd)
out=${2:?usage: make-msi.sh BUILD_DIR OUT.msi [SELVANE_OCX]}
ocx=${3:-$build/selvane.ocx}

sources=
for arch in x86 x64; do
    [ -f "$build/installer/selvane-$arch.wxs" ] && sources=$build/installer/selvane-$arch.wxs
done
[ -n "$sources" ] || { echo "make-msi: no installer sources in $build/installer (build selvane_installer_sources)" >&2; exit 1; }
sources=${sources%.wxs}
arch=${sources##*-}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$ocx" "$stage/selvane.ocx"
cp "$build/Selvane.Control.manifest" "$build/installer/selvane.ico" "$stage/"
cp "$root/docs/members.md" "$stage/"
cp "$root/LICENSE" "$stage/LICENSE.txt"
# The cabinet keeps each file's time: the time of the checkout's last commit (SOURCE_DATE_EPOCH
# when set), as the zip's entries.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 946684800)}
touch -d "@$epoch" "$stage"/*

mkdir -p "$(dirname "$out")"
rm -f "$out"
# wixl reads the files named in the source relative to the source's own folder.
cp "$sources.wxs" "$stage/selvane.wxs"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
(cd "$stage" && wixl -a "$arch" -D SourceDir=. -o "$out" selvane.wxs)
version=$(sed -n 's/.* Version="\([0-9.]*\)".*/\1/p' "$sources.wxs" | head -1)
msibuild "$out" -q "UPDATE \`Registry\` SET \`Root\`=-1 WHERE \`Root\`=4"
# The library's version, which decides whether an installation replaces a file already there.
msibuild "$out" -q "UPDATE \`File\` SET \`Version\`='$version.0', \`Language\`='1033' WHERE \`File\`='selvane.ocx'"
while IFS= read -r row; do
    [ -n "$row" ] && msibuild "$out" -q "$row"
done <"$sources.sql"

# A GUID from the package's contents and a purpose, in the registry's form.
code_of() {
    { printf '%s\n' "$1"; cat "$sources.sql" "$stage"/*; } | sha256sum | cut -c1-32 |
        sed 's/^\(........\)\(....\)\(....\)\(....\)\(............\)$/\1-\2-\3-\4-\5/' | tr a-f A-F
}
package_code=$(code_of package)
msibuild "$out" -q "UPDATE \`Property\` SET \`Value\`='{$(code_of product)}' WHERE \`Property\`='ProductCode'"
# The same version counts as older (513: features migrate, the highest version is included).
# Attributes is part of the row's key, so the row is written anew.
upgrade_code=$(sed -n 's/.* UpgradeCode="\([^"]*\)".*/\1/p' "$sources.wxs" | head -1)
msibuild "$out" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\`='WIX_UPGRADE_DETECTED'"
msibuild "$out" -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('{$upgrade_code}', '$version', 513, 'WIX_UPGRADE_DETECTED')"
bitness=32-bit
[ "$arch" = x64 ] && bitness=64-bit
template="Intel;1033"
[ "$arch" = x64 ] && template="x64;1033"
msibuild "$out" -s "Selvane file-selection control $version ($bitness)" "Selvane developers" "$template" "{$package_code}"

# The summary information holds its two times (made, last saved) as VT_FILETIME (64) values:
# 4 bytes of type, then 100-nanosecond steps since 1601. libmsi writes the time it ran into
# both; they become the commit's time too.
/usr/bin/python3 - "$out" "$epoch" <<'PYTHON'
import struct, sys, time
path, epoch = sys.argv[1], int(sys.argv[2])
data = bytearray(open(path, 'rb').read())
def steps(seconds):
    return (seconds + 11644473600) * 10**7
now, day, fixed = steps(int(time.time())), 86400 * 10**7, struct.pack('<Q', steps(epoch))
found, at = 0, data.find(b'\x40\x00\x00\x00')
while 0 <= at <= len(data) - 12:
    if abs(struct.unpack_from('<Q', data, at + 4)[0] - now) < day:
        data[at + 4:at + 12] = fixed
        found += 1
    at = data.find(b'\x40\x00\x00\x00', at + 1)
if found != 2:
    sys.exit("make-msi: expected the summary's two times, found %d" % found)
open(path, 'wb').write(data)
PYTHON
echo "make-msi: $out ($arch, version $version)"
