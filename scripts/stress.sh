#!/usr/bin/env bash
# Runs both bitnesses' Windows suites at once, round after round, beside a busy loop on every
# core, and reports every test that failed or crashed, at exit included. Not part of make test:
# it looks for what shows one run in many, on a machine as loaded as a shared CI host.
#   scripts/stress.sh ROUNDS BUILD_DIR...
set -uo pipefail
rounds=${1:?usage: stress.sh ROUNDS BUILD_DIR...}
shift
cd "$(dirname "$0")/.."
log_dir=$(mktemp -d)

load=()
for _ in $(seq "$(nproc)"); do
    sh -c 'while :; do :; done' &
    load+=($!)
done
trap 'kill "${load[@]}" 2>/dev/null' EXIT

for round in $(seq "$rounds"); do
    runs=()
    for build in "$@"; do
        preset=$(basename "$build")
        log="$log_dir/$round-$preset.log"
        mkdir -p "$build/artifacts"
        SELVANE_ARTIFACTS="$PWD/$build/artifacts" xvfb-run -a -s "-screen 0 1280x1024x24" \
            scripts/wine-session.sh "$build" ctest --preset "$preset" >"$log" 2>&1 &
        runs+=($!)
    done
    wait "${runs[@]}"
    for build in "$@"; do
        preset=$(basename "$build")
        log="$log_dir/$round-$preset.log"
        summary=$(grep -E 'tests passed|tests failed' "$log" | tail -1)
        echo "round $round, $preset: ${summary:-no summary (see $log)}"
        grep -E '\*\*\*(Failed|Exception|Timeout)' "$log" | sed 's/^/    /'
    done
done
echo "logs: $log_dir"
if grep -lE '\*\*\*(Failed|Exception|Timeout)' "$log_dir"/*.log >/dev/null 2>&1; then
    echo "stress: FAILURES"
    exit 1
fi
echo "stress: every test of every round passed"
