#!/usr/bin/env bash
# Runs one Windows program under Wine in the tests' prefix; CTest's emulator for the Windows tests.
# Usage: scripts/wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
# Run it inside scripts/wine-session.sh: without a server booted on an X display first, Wine
# starts its helper processes from here, they keep CTest's output pipe open, and CTest waits
# for them until its timeout.
set -euo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh" "$1"
shift
if [ -z "${DISPLAY:-}" ]; then
    echo "wine-run: no X display; run the Windows tests inside scripts/wine-session.sh" >&2
    exit 2
fi
exec "$selvane_wine" "$@" </dev/null
