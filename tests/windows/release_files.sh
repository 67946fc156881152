#!/usr/bin/env bash
# The release's files as `make release` makes them, checked on this build's (no Wine needed):
#   - reproducible: selvane.ocx carries no link time and no folder of the machine that built it,
#     and the zip and the installers made twice, a second apart, are the same bytes;
#   - signed with a throwaway authority, signing and time-stamping certificates made here by
#     openssl: both selvane.ocx files and both installers verify against the authority with
#     SHA-256 and a time stamp, and fail to verify once one byte of them has changed.
# Usage: release_files.sh BUILD_DIR_64 BUILD_DIR_32
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build64=$(cd "$1" && pwd) build32=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for ocx in "$build32/selvane.ocx" "$build64/selvane.ocx"; do
    stamp=$(/usr/bin/python3 -c '
import struct, sys
data = open(sys.argv[1], "rb").read()
print(struct.unpack_from("<I", data, struct.unpack_from("<I", data, 0x3C)[0] + 8)[0])' "$ocx")
    [ "$stamp" = 0 ] || fail "$ocx has the link time $stamp"
    if grep -c -a -F -e "$root" -e "$(dirname "$build64")" "$ocx" >/dev/null; then
        fail "$ocx names a folder of this machine: $(strings "$ocx" | grep -F -e "$root" | head -2)"
    fi
done
"$root/scripts/make-zip.sh" "$build32" "$build64" "$work/a.zip" >/dev/null
sleep 1
"$root/scripts/make-zip.sh" "$build32" "$build64" "$work/b.zip" >/dev/null
cmp -s "$work/a.zip" "$work/b.zip" || fail "the zip differs from one run to the next"
for pair in "x86 $build32" "x64 $build64"; do
    set -- $pair
    "$root/scripts/make-msi.sh" "$2" "$work/$1.msi" >/dev/null && sleep 1 &&
        "$root/scripts/make-msi.sh" "$2" "$work/$1-again.msi" >/dev/null || { echo "FAIL: building the packages"; exit 1; }
    cmp -s "$work/$1.msi" "$work/$1-again.msi" || fail "the $1 installer differs from one run to the next"
done
[ $failed = 0 ] && echo "ok: no link time, no build folder, the same zip and installers"

# What bundlers get says what the installers write: each .reg listing and WiX fragment holds
# exactly the package's registry rows (the Wine-only copies of the ProgIDs aside), keys with no
# value included, the library's path as the listing's default folder or the fragment's file.
for pair in "x86 $build32" "x64 $build64"; do
    set -- $pair
    msiinfo export "$work/$1.msi" Registry | tail -n +4 | tr -d '\r' >"$work/$1.rows"
    /usr/bin/python3 - "$work/$1.rows" "$2/installer/selvane-$1.reg" "$2/installer/selvane-$1-fragment.wxs" <<'PYTHON' &&
import re, sys, xml.etree.ElementTree as tree
rows, reg, fragment = sys.argv[1:]
ocx = lambda v: re.sub(r'\[#Selvane_x(86|64)_ocx\]', '[#selvane.ocx]', v)
package = {(k.lower(), None, None) if n == '*' else (k.lower(), n, v)
           for _, _, k, n, v, c in (l.rstrip('\n').split('\t') for l in open(rows)) if c != 'WineProgIds'}
text = open(reg).read()
path, listed, key = re.search(r'for (.*selvane\.ocx)\.', text).group(1), set(), None
for line in text.splitlines():
    if line.startswith('[HKEY_LOCAL_MACHINE\\'):
        key = line[len('[HKEY_LOCAL_MACHINE\\'):-1].lower()
        listed.add((key, None, None))
    elif key and '=' in line:
        name, value = line.split('=', 1)
        listed.add((key, '' if name == '@' else name.strip('"'), value.strip('"').replace('\\\\', '\\').replace(path, '[#selvane.ocx]')))
listed -= {(k, None, None) for k, n, v in listed if n is not None}  # headers of keys with values
wix = '{http://schemas.microsoft.com/wix/2006/wi}'
fragmented = {(e.get('Key').lower(), e.get('Name', ''), ocx(e.get('Value'))) if e.tag == wix + 'RegistryValue'
              else (e.get('Key').lower(), None, None)
              for e in tree.parse(fragment).iter() if e.tag in (wix + 'RegistryValue', wix + 'RegistryKey')}
for name, got in (('listing', listed), ('fragment', fragmented)):
    if got != package:
        sys.exit('FAIL: %s: the %s differs from the package: %s / %s' % (reg, name, sorted(got - package, key=str)[:3], sorted(package - got, key=str)[:3]))
PYTHON
        echo "ok: $1: the .reg listing and the WiX fragment hold the package's registry rows" || fail "$1: the bundlers' files"
done

# An authority, and two certificates it issues: one for code signing, one for time stamps.
cd "$work"
quiet() { "$@" >/dev/null 2>&1 || { echo "FAIL: $*"; exit 1; }; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Selvane test authority" \
    -keyout ca.key -out ca.pem -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign"
issue() {  # issue NAME USAGE
    quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=Selvane test $1" -keyout "$1.key" -out "$1.csr"
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,%s\n' "$2" >"$1.ext"
    quiet openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile "$1.ext" -out "$1.pem"
}
issue signer codeSigning
issue stamper timeStamping
cat signer.pem ca.pem >signer-chain.pem
cat stamper.pem ca.pem >stamper-chain.pem

cp "$build32/selvane.ocx" x86.ocx
cp "$build64/selvane.ocx" x64.ocx
SIGN_CERT=signer-chain.pem SIGN_KEY=signer.key SIGN_TSA_CERT=stamper-chain.pem SIGN_TSA_KEY=stamper.key \
    "$root/scripts/sign.sh" x86.ocx x64.ocx x86.msi x64.msi >/dev/null || fail "scripts/sign.sh"

for file in x86.ocx x64.ocx x86.msi x64.msi; do
    report=$(osslsigncode verify -CAfile ca.pem -TSA-CAfile ca.pem -in "$file" 2>&1)
    if grep -q "^Signature verification: ok" <<<"$report" && grep -qi "Message digest algorithm *: SHA256" <<<"$report" &&
       grep -q "^Timestamp Server Signature verification: ok" <<<"$report"; then
        echo "ok: $file signed with SHA-256 and time-stamped, verified against the authority"
    else
        fail "$file: $(grep -i "verif\|digest\|error" <<<"$report" | head -5)"
    fi
    # One byte changed in the middle of the file.
    size=$(stat -c %s "$file")
    printf '\x5a' | dd of="$file" bs=1 seek=$((size / 2)) conv=notrunc status=none
    if osslsigncode verify -CAfile ca.pem -TSA-CAfile ca.pem -in "$file" >/dev/null 2>&1; then
        fail "$file still verifies after a byte changed"
    else
        echo "ok: $file fails to verify after a byte changed"
    fi
done
[ $failed = 0 ] && echo "release files: every step as expected"
exit $failed
