#!/usr/bin/env bash
# Builds the README's C++ sample (docs/sample/selvane_host.cpp) with the README's own commands,
# as a reader copies them, for the bitness of BUILD_DIR, and runs it under Wine in that build's
# prefix: it must host the control and report the folder it was given.
# Usage: readme_sample.sh BUILD_DIR   (inside scripts/wine-session.sh)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
commands=$(awk '/<!-- sample build -->/ { found = 1; next }
                found && /^```sh/ { inside = 1; next }
                inside && /^```/ { exit }
                inside { print }' "$root/README.md")
[ -n "$commands" ] || { echo "FAIL: README.md has no sample build commands"; exit 1; }
bits=32
if [ "$(cat "$build/wine-arch")" = win64 ]; then
    # The README's second settings line, for 64-bit programs, instead of its first.
    bits=64
    commands=$(echo "$commands" | sed -e 's/^arch=i686 /# &/' -e 's/^# \(arch=x86_64 \)/\1/')
fi
echo "$commands"
if ! (cd "$root" && bash -euc "$commands"); then
    echo "FAIL: the README's commands did not build the sample"
    exit 1
fi
program=$root/build/sample$bits/selvane_host.exe
[ -f "$program" ] || { echo "FAIL: no $program"; exit 1; }
"$root/scripts/wine-run.sh" "$build" "$program" 'D:\docs' --check 2>/dev/null | tr -d '\r'
