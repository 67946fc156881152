#!/usr/bin/env bash
# What `make demo` runs inside the Wine session: selvane.ocx registered in the tests' prefix as
# a user's regsvr32 does it, then selvane-demo hosting it in Wine's ATL container.
# With a display the demo stays open for a person, starting in D:\docs of the fixture drives.
# Without one (SELVANE_HEADLESS set, under xvfb-run) it plays its scripted tour, printing what
# happened, and leaves screenshots of the demo's window and of the About dialog in
# BUILD_DIR/artifacts (selvane-demo.png, selvane-demo-about.png); the exit code is the tour's.
# With SELVANE_README_PICTURE set to a path, a tour that went as expected also copies its
# window's screenshot there, and the About dialog's to selvane-about.png beside it: `make demo`
# keeps the README's pictures this way.
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
fi
exit $rc
