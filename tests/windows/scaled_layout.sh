#!/usr/bin/env bash
# The control's layout at 150 % (LogPixels 144) is the one at 100 % times 1.5, within a pixel:
# every part's place and its font's pixel height, as selvane-window --measure prints them. The
# drive list's bottom is left out: a drop-down list is as tall as its entries and its frame,
# whose pixels the system doesn't scale. The prefix's scale is put back at the end.
# Usage: scaled_layout.sh BUILD_DIR SELVANE_WINDOW   (inside wine-session.sh)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1 window=$2
run() { "$root/scripts/wine-run.sh" "$build" "$@"; }
scale='HKCU\Control Panel\Desktop'

trap 'run reg delete "$scale" /v LogPixels /f >/dev/null 2>&1' EXIT
at96=$(run "$window" --measure) || { echo "FAIL: selvane-window --measure at 96 dpi"; exit 1; }
run reg add "$scale" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null || { echo "FAIL: reg add"; exit 1; }
at144=$(run "$window" --measure) || { echo "FAIL: selvane-window --measure at 144 dpi"; exit 1; }
printf '%s\n' "$at96" "--" "$at144"
paste -d' ' <(printf '%s\n' "$at96") <(printf '%s\n' "$at144") | awk '
    NF != 12 || $1 != $7 { print "FAIL: the two measures differ in their parts: " $0; bad = 1; next }
    {
        for (i = 2; i <= 6; i++) {
            if ($1 == "Drive1" && i == 5) continue
            if ((d = $(i + 6) - 1.5 * $i) > 1 || d < -1) {
                printf "FAIL: %s value %d is %d at 144 dpi, %d at 96\n", $1, i - 1, $(i + 6), $i; bad = 1
            }
        }
        parts++
    }
    END { if (parts != 7) { print "FAIL: " parts " parts measured"; bad = 1 }; if (!bad) print "scaled layout: 7 parts at 1.5 times" ; exit bad }'
