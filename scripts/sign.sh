#!/usr/bin/env bash
# Signs Windows files in place (selvane.ocx, the installers) with Authenticode, SHA-256.
# Usage: scripts/sign.sh FILE...
# The key comes from the environment, never from the checkout:
#   SIGN_CERT       the certificate (PEM or DER; a chain file may follow the leaf)
#   SIGN_KEY        its private key (PEM or DER)
#   SIGN_PASS_FILE  a file holding the key's passphrase, when it has one
# and, for a time stamp, either of:
#   SIGN_TIMESTAMP  the address of an RFC 3161 time-stamping service
#   SIGN_TSA_CERT, SIGN_TSA_KEY   a local time-stamping certificate and key (no network)
set -euo pipefail
: "${SIGN_CERT:?sign: SIGN_CERT names no certificate}" "${SIGN_KEY:?sign: SIGN_KEY names no key}"
options=(-h sha256 -certs "$SIGN_CERT" -key "$SIGN_KEY" -n "Selvane file-selection control")
[ -n "${SIGN_PASS_FILE:-}" ] && options+=(-readpass "$SIGN_PASS_FILE")
if [ -n "${SIGN_TIMESTAMP:-}" ]; then
    options+=(-ts "$SIGN_TIMESTAMP")
elif [ -n "${SIGN_TSA_CERT:-}" ] && [ -n "${SIGN_TSA_KEY:-}" ]; then
    options+=(-TSA-certs "$SIGN_TSA_CERT" -TSA-key "$SIGN_TSA_KEY")
fi
for file in "$@"; do
    signed=$file.signing
    rm -f "$signed"
    if ! osslsigncode sign "${options[@]}" -in "$file" -out "$signed" >/dev/null; then
        rm -f "$signed"
        echo "sign: signing $file failed" >&2
        exit 1
    fi
    chmod --reference="$file" "$signed"
    mv "$signed" "$file"
    echo "sign: $file"
done
