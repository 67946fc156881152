#!/usr/bin/env bash
# Both builds registered in one 64-bit prefix: the 32-bit script host (SysWOW64) creates the
# 32-bit control and the 64-bit one the 64-bit control, and unregistering either build leaves
# the other creatable. Ends with both registered.
# Then the settings each build saves load in the other as in itself. The prefix is left as the
# other tests expect it: the 64-bit build registered alone.
# Usage: both_bitnesses.sh BUILD_DIR_64 SELVANE_OCX_64 SETTINGS_EXCHANGE_64 BUILD_DIR_32
#        (inside wine-session.sh; BUILD_DIR_32 is the windows preset's folder)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1 ocx64=$2 exchange64=$3 build32=$4
ocx32=$build32/selvane.ocx
exchange32=$build32/tests/windows/selvane-settings-exchange.exe
script='Z:'$(echo "$root/tests/windows/scripts/create.vbs" | tr / '\\')
run() { "$root/scripts/wine-run.sh" "$build" "$@"; }
regsvr32_32() { run 'C:\windows\syswow64\regsvr32.exe' /s "$@"; }
regsvr32_64() { run 'C:\windows\system32\regsvr32.exe' /s "$@"; }
failed=0

"$root/scripts/runs-32-bit.sh" || exit 0
for file in "$ocx32" "$exchange32"; do
    [ -f "$file" ] || { echo "FAIL: no $file (build the windows preset first)"; exit 1; }
done

# expect HOST(32|64) WANTED(created|not created) WHEN
expect() {
    local host='C:\windows\system32\cscript.exe' got
    [ "$1" = 32 ] && host='C:\windows\syswow64\cscript.exe'
    got=$(run "$host" //nologo "$script" 2>/dev/null | tr -d '\r')
    if [[ "$got" == "$2"* ]]; then
        echo "ok: $1-bit script host, $3: $got"
    else
        echo "FAIL: $1-bit script host, $3: $got"
        failed=1
    fi
}

regsvr32_64 "$ocx64" && regsvr32_32 "$ocx32" || { echo "FAIL: registering both"; exit 1; }
expect 32 created "both registered"
expect 64 created "both registered"

regsvr32_32 /u "$ocx32" || { echo "FAIL: unregistering the 32-bit build"; failed=1; }
expect 32 "not created" "32-bit build unregistered"
expect 64 created "32-bit build unregistered"

regsvr32_32 "$ocx32" && regsvr32_64 /u "$ocx64" || { echo "FAIL: swapping the registrations"; failed=1; }
expect 32 created "64-bit build unregistered"
expect 64 "not created" "64-bit build unregistered"

regsvr32_64 "$ocx64" || { echo "FAIL: registering the 64-bit build again"; failed=1; }
expect 64 created "both registered again"

# What each build saves, each build loads alike.
saved=$(mktemp -d)
trap 'rm -rf "$saved"; regsvr32_32 /u "$ocx32" || echo "FAIL: unregistering the 32-bit build at the end"' EXIT
run "$exchange32" save "$saved/by32.bin" >/dev/null && run "$exchange64" save "$saved/by64.bin" >/dev/null ||
    { echo "FAIL: saving the settings"; failed=1; }
if cmp -s "$saved/by32.bin" "$saved/by64.bin"; then
    echo "ok: both builds save the same $(stat -c %s "$saved/by32.bin") bytes"
else
    echo "FAIL: the builds save different bytes"
    failed=1
fi
want=$(run "$exchange32" load "$saved/by32.bin" | tr -d '\r')
echo "32-bit build, its own save: $want"
[[ "$want" == "loaded: Path=D:\docs FileType=*.txt BackColor=00336699"* ]] || { echo "FAIL: the 32-bit build's own round trip"; failed=1; }
for pair in "64 by32" "32 by64" "64 by64"; do
    set -- $pair
    program=$exchange64
    [ "$1" = 32 ] && program=$exchange32
    got=$(run "$program" load "$saved/$2.bin" | tr -d '\r')
    if [ "$got" = "$want" ]; then
        echo "ok: the $1-bit build loads $2.bin alike"
    else
        echo "FAIL: the $1-bit build loading $2.bin: $got"
        failed=1
    fi
done
[ $failed = 0 ] && echo "side by side: every step as expected"
exit $failed
