#!/usr/bin/env bash
# Signing as `make release SIGN_CERT=... SIGN_KEY=...` does it, with a throwaway authority,
# signing certificate and time-stamping certificate made here by openssl: both selvane.ocx
# files and both installers verify against the authority, carry a time stamp, and fail to
# verify once one byte of them has changed.
# Usage: signing.sh BUILD_DIR_64 BUILD_DIR_32   (no Wine needed)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build64=$(cd "$1" && pwd) build32=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

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
"$root/scripts/make-msi.sh" "$build32" x86.msi >/dev/null && "$root/scripts/make-msi.sh" "$build64" x64.msi >/dev/null ||
    { echo "FAIL: building the packages"; exit 1; }
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
[ $failed = 0 ] && echo "signing: every step as expected"
exit $failed
