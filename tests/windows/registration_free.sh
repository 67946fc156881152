#!/usr/bin/env bash
# selvane.ocx with nothing in the registry. With the control unregistered, the demo host can't
# find it; the same host with docs/selvane-app.manifest as its own finds it through
# Selvane.Control.manifest beside it, creates it by ProgID and by class, hosts it in Wine's
# ATL container and hears its Click (the tour). The control is registered again at the end.
# Usage: registration_free.sh BUILD_DIR SELVANE_OCX DEMO DEMO_REGFREE   (inside wine-session.sh)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1 ocx=$2 plain=$3 regfree=$4
run() { "$root/scripts/wine-run.sh" "$build" "$@"; }

run regsvr32 /s /u "$ocx" || { echo "FAIL: regsvr32 /u $ocx"; exit 1; }
trap 'run regsvr32 /s "$ocx" || echo "FAIL: registering $ocx again"' EXIT
failed=0
if run reg query 'HKCR\Selvane_OCX.Selvane' >/dev/null 2>&1 ||
   run reg query 'HKCR\CLSID\{22B565BE-1009-4FB6-AD51-6C5A2281F9B1}' >/dev/null 2>&1; then
    echo "FAIL: the class is still registered"
    failed=1
fi
if run "$plain" --tour; then
    echo "FAIL: the demo without the manifest found the control"
    failed=1
else
    echo "registration-free: without the manifest the demo finds no control, as it should"
fi
if run "$regfree" --tour; then
    echo "registration-free: the tour passed through the manifest alone"
else
    echo "FAIL: the tour through the manifest"
    failed=1
fi
exit $failed
