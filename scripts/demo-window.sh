#!/usr/bin/env bash
# Shows selvane-window under Wine, in the tests' prefix with its fixture drives, starting in
# D:\docs. With a display it stays open for a person; without one (run under xvfb-run by
# `make demo`) it shows the control for a few seconds and saves a screenshot.
# Usage: scripts/demo-window.sh BUILD_DIR   (inside scripts/wine-session.sh)
set -euo pipefail
build=${1:?usage: demo-window.sh BUILD_DIR}
here=$(dirname "$0")
program=$build/selvane-window.exe
if [ -n "${SELVANE_HEADLESS:-}" ]; then
    "$here/wine-run.sh" "$build" "$program" --path 'D:\docs' --close-after 6 &
    sleep 4
    "$here/screenshot.sh" "$build/artifacts/selvane-window.png"
    wait
    echo "demo: screenshot in $build/artifacts/selvane-window.png"
else
    "$here/wine-run.sh" "$build" "$program" --path 'D:\docs'
fi
