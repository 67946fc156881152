#!/usr/bin/env bash
# `make release`: builds both bitnesses from scratch in Release and writes dist/:
#   selvane-VERSION-x86.msi, selvane-VERSION-x64.msi   the installers (scripts/make-msi.sh)
#   selvane-VERSION.zip                                the files without an installer (scripts/make-zip.sh)
#   SHA256SUMS                                         their checksums
# With SIGN_CERT and SIGN_KEY (scripts/sign.sh says which others it takes), both selvane.ocx
# files are signed before they are packaged, and then the installers; without them the
# release is unsigned, and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
dist=$root/dist
stage=$root/build/release-stage

# From scratch: nothing of an earlier build (an older commit's time stamp) comes along.
rm -rf build/release-x86 build/release-x64
for preset in release-x86 release-x64; do
    cmake --preset $preset >/dev/null
    cmake --build --preset $preset --target selvane_ocx selvane_idl selvane_assembly_manifest selvane_installer_sources
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release-x64/CMakeCache.txt)

rm -rf "$stage" "$dist" && mkdir -p "$stage/x86" "$stage/x64" "$dist"
cp build/release-x86/selvane.ocx "$stage/x86/"
cp build/release-x64/selvane.ocx "$stage/x64/"
signing=0
if [ -n "${SIGN_CERT:-}" ] || [ -n "${SIGN_KEY:-}" ]; then
    signing=1
    scripts/sign.sh "$stage/x86/selvane.ocx" "$stage/x64/selvane.ocx"
fi

scripts/make-msi.sh build/release-x86 "$dist/selvane-$version-x86.msi" "$stage/x86/selvane.ocx"
scripts/make-msi.sh build/release-x64 "$dist/selvane-$version-x64.msi" "$stage/x64/selvane.ocx"
[ $signing = 1 ] && scripts/sign.sh "$dist/selvane-$version-x86.msi" "$dist/selvane-$version-x64.msi"
scripts/make-zip.sh build/release-x86 build/release-x64 "$dist/selvane-$version.zip" \
    "$stage/x86/selvane.ocx" "$stage/x64/selvane.ocx"
(cd "$dist" && sha256sum -- *.msi *.zip >SHA256SUMS)

echo
echo "release $version in dist/:"
(cd "$dist" && ls -l)
if [ $signing = 1 ]; then
    echo "signed with $SIGN_CERT"
    if [ -z "${SIGN_TIMESTAMP:-}" ] && [ -z "${SIGN_TSA_CERT:-}" ]; then
        echo "WARNING: signed without a time stamp: the signatures stop verifying when the certificate" \
             "expires. Give a time-stamping service: make release ... SIGN_TIMESTAMP=http://timestamp.example/"
    fi
else
    echo "UNSIGNED: no SIGN_CERT and SIGN_KEY were given (make release SIGN_CERT=... SIGN_KEY=...)"
fi
