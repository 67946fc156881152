#!/usr/bin/env bash
# Runs a command inside one Wine session of the tests' prefix: the server started and the
# prefix booted on the caller's X display, and both stopped afterwards. Exits with the
# command's code. Run it under xvfb-run, after scripts/wine-prefix.sh:
#   xvfb-run -a -s "-screen 0 1280x1024x24" scripts/wine-session.sh BUILD_DIR COMMAND [ARGS...]
set -uo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh" "${1:?usage: wine-session.sh BUILD_DIR COMMAND [ARGS...]}"
shift

if [ -z "${DISPLAY:-}" ]; then
    echo "wine-session: no X display; run it under xvfb-run" >&2
    exit 2
fi

stop_server() { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; }
trap stop_server EXIT

# A server left from elsewhere may belong to another display, where no window of ours can open.
stop_server
# The server and Wine's helper processes (services, explorer, ...) start here, once, with
# their output going nowhere. Started by the first test instead, they would hold CTest's
# output pipe open, and CTest would wait for them.
wineserver -p >/dev/null 2>&1 </dev/null
if ! WINEDLLOVERRIDES=$selvane_wineboot_overrides "$selvane_wine" wineboot </dev/null >/dev/null 2>&1; then
    echo "wine-session: wineboot failed in $WINEPREFIX" >&2
    exit 2
fi

"$@"
