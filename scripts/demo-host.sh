#!/usr/bin/env bash
# What `make demo` runs inside the Wine session: selvane.ocx registered in the tests' prefix as
# a user's regsvr32 does it, then selvane-demo hosting it in Wine's ATL container.
# With a display the demo stays open for a person, starting in D:\docs of the fixture drives.
# Without one (SELVANE_HEADLESS set, under xvfb-run) it plays its scripted tour, printing what
# happened, and leaves screenshots of the demo's window and of the About dialog in
# BUILD_DIR/artifacts (selvane-demo.png, selvane-demo-about.png); then the same tour at 125, 150
# and 200 % (selvane-demo-120.png, -144.png, -192.png). The exit code says whether every tour
# went as expected.
# With SELVANE_README_PICTURE set to a path, a tour that went as expected also copies its
# window's screenshot there, the About dialog's to selvane-about.png and the one at 150 % to
# selvane-demo-150.png beside it: `make demo` keeps the README's pictures this way.
# Usage: scripts/demo-host.sh BUILD_DIR   (inside scripts/wine-session.sh)
set -euo pipefail
build=${1:?usage: demo-host.sh BUILD_DIR}
here=$(dirname "$0")
program=$build/selvane-demo.exe

if ! "$here/wine-run.sh" "$build" regsvr32 /s "$build/selvane.ocx"; then
    echo "demo: regsvr32 could not register $build/selvane.ocx" >&2
    exit 1
fi
if [ -z "${SELVANE_HEADLESS:-}" ]; then
    exec "$here/wine-run.sh" "$build" "$program" --path 'D:\docs'
fi

shot=${SELVANE_ARTIFACTS:-$build/artifacts}/selvane-demo.png
rm -f "$shot"
rc=0
"$here/wine-run.sh" "$build" "$program" --tour || rc=$?
[ -f "$shot" ] && echo "demo: screenshot in $shot"

# The tour again at 125, 150 and 200 % (LogPixels 120, 144, 192), each leaving
# selvane-demo-DPI.png; the prefix's own scale is put back however the runs end.
scale='HKCU\Control Panel\Desktop'
trap '"$here/wine-run.sh" "$build" reg delete "$scale" /v LogPixels /f >/dev/null 2>&1' EXIT
for dpi in 120 144 192; do
    "$here/wine-run.sh" "$build" reg add "$scale" /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
    scaled=${shot%.png}-$dpi.png
    rm -f "$scaled"
    if "$here/wine-run.sh" "$build" "$program" --tour --shot "selvane-demo-$dpi" >/dev/null; then
        echo "demo: the tour at $dpi dpi went as expected; screenshot in $scaled"
    else
        echo "demo: the tour at $dpi dpi did not go as expected" >&2
        rc=1
    fi
done
"$here/wine-run.sh" "$build" reg delete "$scale" /v LogPixels /f >/dev/null 2>&1
if [ $rc -ne 0 ]; then
    echo "demo: the tour did not go as expected (exit code $rc)" >&2
elif [ -n "${SELVANE_README_PICTURE:-}" ] && [ -f "$shot" ]; then
    cp "$shot" "$SELVANE_README_PICTURE"
    echo "demo: the same in $SELVANE_README_PICTURE"
    about=${shot%.png}-about.png
    if [ -f "$about" ]; then
        cp "$about" "$(dirname "$SELVANE_README_PICTURE")/selvane-about.png"
        echo "demo: the About dialog's in $(dirname "$SELVANE_README_PICTURE")/selvane-about.png"
    fi
    cp "${shot%.png}-144.png" "${SELVANE_README_PICTURE%.png}-150.png"
    echo "demo: at 150 % in ${SELVANE_README_PICTURE%.png}-150.png"
fi
exit $rc
