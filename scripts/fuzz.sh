#!/usr/bin/env bash
# The fuzzing campaigns for a time budget: the settings record and the control's members on the
# in-memory host (natively, under the sanitizers), then IDispatch and the three persistence
# forms against the registered selvane.ocx under Wine. The seconds are shared evenly among the
# four. Each campaign prints its crashes and hangs with the command that replays them, and a
# summary line; the summaries are repeated at the end. Exits 1 if any case crashed or hung.
# Usage: scripts/fuzz.sh SECONDS SEED   (after the native and windows presets are built)
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz.sh SECONDS SEED}
seed=${2:?usage: fuzz.sh SECONDS SEED}
share=$(awk -v s="$seconds" 'BEGIN { printf "%.0f", s / 4 }')
native=build/native/selvane-native-fuzz
windows=$PWD/build/windows
com=$windows/tests/windows/selvane-com-fuzz.exe
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "fuzz: seed $seed, $seconds s in all, $share s for each campaign"
for target in record members; do
    "$native" --target "$target" --seed "$seed" --seconds "$share" 2>&1 | tee -a "$log" | grep -v '^    #'
done

scripts/wine-prefix.sh "$windows" >/dev/null
# One Wine session for both Windows campaigns, with the control registered as a user would.
xvfb-run -a -s "-screen 0 1280x1024x24" scripts/wine-session.sh "$windows" sh -c '
    scripts/wine-run.sh "$1" regsvr32 /s "$1/selvane.ocx" || exit 2
    for target in dispatch persistence; do
        scripts/wine-run.sh "$1" "$2" --target "$target" --seed "$3" --seconds "$4"
    done' fuzz "$windows" "$com" "$seed" "$share" 2>&1 | grep -v 'Read access denied for device' | tee -a "$log"

echo
echo "fuzz: summary (seed $seed)"
summaries=$(grep -E '^fuzz [a-z]+: seed [0-9]+, [0-9]+ cases' "$log")
echo "$summaries"
[ "$(echo "$summaries" | grep -c ' 0 crashes, 0 hangs')" -eq 4 ]
