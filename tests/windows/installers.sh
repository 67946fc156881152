#!/usr/bin/env bash
# The installers, as a Windows developer meets them, in a fresh 64-bit prefix of their own:
#   - both packages built by scripts/make-msi.sh, their tables read back with msiinfo;
#   - both installed with msiexec /qn: each bitness's script host creates its own control and
#     its settings program saves the control's settings; the registry then holds what regsvr32
#     of the same files writes (file paths aside); Add/Remove Programs lists both;
#   - uninstalling the 64-bit package leaves the 32-bit control working; uninstalling both
#     leaves the registry and Program Files exactly as they were;
#   - an older version, then this one: one product left, and the newer file in place;
#   - the release zip's folders with nothing registered: the demo host with the sample
#     application manifest creates the control by ProgID and tours it.
# Usage: installers.sh BUILD_DIR_64 BUILD_DIR_32 ZIP   (inside wine-session.sh of BUILD_DIR_64;
#        the fresh prefix is made under BUILD_DIR_64/installer-test, its drive D: is the
#        fixture's)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build64=$(cd "$1" && pwd) build32=$(cd "$2" && pwd) zip=$3
work=$build64/installer-test
failed=0
fail() { echo "FAIL: $*"; failed=1; }
ok() { echo "ok: $*"; }

x86=$work/packages/selvane-x86.msi
x64=$work/packages/selvane-x64.msi
if [ "${4:-}" != inside ]; then
"$root/scripts/runs-32-bit.sh" || exit 0
rm -rf "$work" && mkdir -p "$work/packages" && echo win64 >"$work/wine-arch"
"$root/scripts/make-msi.sh" "$build32" "$x86" >/dev/null && "$root/scripts/make-msi.sh" "$build64" "$x64" >/dev/null ||
    { echo "FAIL: building the packages"; exit 1; }

# --- The tables -------------------------------------------------------------------------------
table() { msiinfo export "$1" "$2" 2>/dev/null | tail -n +4 | tr -d '\r'; }
for msi in "$x86" "$x64"; do
    name=$(basename "$msi")
    roots=$(table "$msi" Registry | cut -f2 | sort -u | tr '\n' ' ')
    [ "$roots" = "-1 " ] && ok "$name: every registry row under HKMU (-1)" || fail "$name: registry roots $roots"
    [ "$(table "$msi" Property | awk -F'\t' '$1 == "ALLUSERS" { print $2 }')" = 2 ] &&
        ok "$name: ALLUSERS=2" || fail "$name: ALLUSERS is not 2"
    [ -z "$(table "$msi" SelfReg)" ] || fail "$name: a SelfReg row"
done
# The 64-bit package's own components are 64-bit (attribute 256); the shared one is 32-bit in
# both, so that Windows Installer counts it as one.
while IFS=$'\t' read -r component _ _ attributes _; do
    bits=$(( attributes & 256 ))
    case $component in
        Shared) [ $bits = 0 ] || fail "x64: the shared component is 64-bit" ;;
        *) [ $bits = 256 ] && ok "x64: component $component is 64-bit" || fail "x64: component $component is 32-bit" ;;
    esac
done < <(table "$x64" Component)
[ "$(table "$x86" Component | awk -F'\t' '$1 == "Shared" { print $2 }')" = \
  "$(table "$x64" Component | awk -F'\t' '$1 == "Shared" { print $2 }')" ] || fail "the shared component differs"

# --- The fresh prefix ---------------------------------------------------------------------------
# A first session makes the prefix; its drive D: is then the tests' fixture, and a second
# session runs the rest (this script again, with "inside").
"$root/scripts/wine-session.sh" "$work" true || { echo "FAIL: making the prefix"; exit 1; }
ln -sfn "$build64/fixture/d" "$work/wine/dosdevices/d:"
"$root/scripts/wine-session.sh" "$work" "$0" "$build64" "$build32" "$zip" inside || failed=1
[ $failed = 0 ] && echo "installers: every step as expected"
exit $failed
fi

. "$root/scripts/wine-env.sh" "$work"
run() { "$root/scripts/wine-run.sh" "$work" "$@"; }
winpath() { echo "Z:$1" | tr / '\\'; }
msiexec() { run 'C:\windows\system32\msiexec.exe' "$@"; }
snapshot() {  # snapshot NAME: both hives' software keys, and what Program Files holds
    run 'C:\windows\system32\reg.exe' export 'HKLM\Software' "$(winpath "$work/$1.hklm.reg")" /y >/dev/null 2>&1
    run 'C:\windows\system32\reg.exe' export 'HKCU\Software' "$(winpath "$work/$1.hkcu.reg")" /y >/dev/null 2>&1
    (cd "$WINEPREFIX/drive_c" && find "Program Files" "Program Files (x86)" | sort) >"$work/$1.files"
}
diff_py() { /usr/bin/python3 "$root/tests/windows/registry_diff.py" "$@"; }
create() {  # create 32|64: what the script host of that bitness says when it creates the control
    local host='C:\windows\system32\cscript.exe'
    [ "$1" = 32 ] && host='C:\windows\syswow64\cscript.exe'
    run "$host" //nologo "$(winpath "$root/tests/windows/scripts/create.vbs")" 2>/dev/null | tr -d '\r'
}
saves() {  # saves 32|64: the settings program of that bitness saves the registered control's settings
    local build=$build64
    [ "$1" = 32 ] && build=$build32
    run "$build/tests/windows/selvane-settings-exchange.exe" save "$(winpath "$work/saved$1.bin")" >/dev/null 2>&1 &&
        [ -s "$work/saved$1.bin" ]
}
# The installer's own bookkeeping, which regsvr32 has no part in; and the copies of the ProgIDs
# that Wine keeps in the 32-bit view (see cmake/installer.cmake), where Windows has one key.
bookkeeping=('Software\Classes\Installer' 'Software\Microsoft\Windows\CurrentVersion\Installer'
             'Software\Microsoft\Windows\CurrentVersion\Uninstall'
             'Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall'
             'Software\Classes\Wow6432Node\Selvane_OCX.Selvane' 'Software\Classes\Wow6432Node\Selvane_OCX.Selvane.1'
             'Software\Wow6432Node\Classes\Selvane_OCX.Selvane' 'Software\Wow6432Node\Classes\Selvane_OCX.Selvane.1')
# What stays of Windows Installer once it has run: its empty containers. And what Wine's own
# programs write for the user as they start (menus, file associations, mouse settings).
containers=('~Software\Classes\Installer' '~Software\Microsoft\Windows\CurrentVersion\Installer')
wine_own=('Software\Wine')

# Once, before the first picture: what the script hosts register for themselves at their first run.
create 32 >/dev/null; create 64 >/dev/null
snapshot before
# What regsvr32 writes for the two builds' files, taken back again at once.
run 'C:\windows\syswow64\regsvr32.exe' /s "$build32/selvane.ocx" && run 'C:\windows\system32\regsvr32.exe' /s "$build64/selvane.ocx" ||
    fail "regsvr32 of both builds"
snapshot regsvr32
run 'C:\windows\syswow64\regsvr32.exe' /s /u "$build32/selvane.ocx"
run 'C:\windows\system32\regsvr32.exe' /s /u "$build64/selvane.ocx"

msiexec /i "$(winpath "$x86")" /qn && msiexec /i "$(winpath "$x64")" /qn || fail "msiexec /i of both packages"
snapshot installed
for bits in 32 64; do
    got=$(create $bits)
    [[ "$got" == created* ]] && ok "$bits-bit script host after both installs: $got" || fail "$bits-bit script host: $got"
    saves $bits && ok "$bits-bit settings saved" || fail "$bits-bit control saving its settings"
done
cmp -s "$work/saved32.bin" "$work/saved64.bin" || fail "the two bitnesses saved different settings"
diff_py equal-changes "$work/before.hklm.reg" "$work/regsvr32.hklm.reg" "$work/installed.hklm.reg" "${bookkeeping[@]}" ||
    fail "the packages register other than regsvr32"
for dir in "Program Files" "Program Files (x86)"; do
    for file in selvane.ocx Selvane.Control.manifest members.md; do
        [ -f "$WINEPREFIX/drive_c/$dir/Selvane/$file" ] || fail "no $dir/Selvane/$file"
    done
done
grep -q 'processorArchitecture="amd64"' "$WINEPREFIX/drive_c/Program Files/Selvane/Selvane.Control.manifest" ||
    fail "the 64-bit folder holds another bitness's manifest"
arp=$(diff_py added "$work/before.hklm.reg" "$work/installed.hklm.reg" | grep -i 'currentversion\\uninstall\\{\|installer\\products\\')
for want in '"displayname" "Selvane (32-bit)"' '"displayname" "Selvane (64-bit)"' '"displayversion" "1.2.0"' \
            '"publisher" "Selvane developers"' '"producticon" "'; do
    grep -qiF "$want" <<<"$arp" || fail "Add/Remove Programs lacks $want"
done

msiexec /x "$(winpath "$x64")" /qn || fail "msiexec /x of the 64-bit package"
[[ "$(create 32)" == created* ]] && ok "the 32-bit control still works without the 64-bit package" ||
    fail "the 32-bit control after the 64-bit package went: $(create 32)"
[[ "$(create 64)" == "not created"* ]] || fail "the 64-bit control outlived its package"
msiexec /x "$(winpath "$x86")" /qn || fail "msiexec /x of the 32-bit package"
snapshot removed
diff_py same "$work/before.hklm.reg" "$work/removed.hklm.reg" "${containers[@]}" ||
    fail "the machine's registry after both uninstalls"
diff_py same "$work/before.hkcu.reg" "$work/removed.hkcu.reg" "${wine_own[@]}" || fail "the user's registry after both uninstalls"
diff -u "$work/before.files" "$work/removed.files" || fail "Program Files after both uninstalls"
[ $failed = 0 ] && ok "install, use and uninstall leave the prefix as it was"

# An older release of the 64-bit package: the same files, its library's version and its
# package's version set back to 1.1.0.
older=$work/older
mkdir -p "$older/installer"
cp "$build64/Selvane.Control.manifest" "$older/"
cp "$build64/installer/selvane.ico" "$older/installer/"
cmake -DIDL="$root/control/com/selvane.idl" -DMODULE_HEADER="$root/control/com/module.h" -DVERSION=1.1.0 -DARCH=x64 \
      -DOUT="$older/installer/selvane-x64" -P "$root/cmake/installer.cmake"
/usr/bin/python3 "$root/tests/windows/pe_version.py" set "$build64/selvane.ocx" 1.1.0.0 "$older/selvane.ocx"
"$root/scripts/make-msi.sh" "$older" "$work/packages/selvane-x64-older.msi" >/dev/null || fail "building the older package"
msiexec /i "$(winpath "$work/packages/selvane-x64-older.msi")" /qn || fail "installing the older package"
installed_ocx=$WINEPREFIX/drive_c/Program\ Files/Selvane/selvane.ocx
[ "$(/usr/bin/python3 "$root/tests/windows/pe_version.py" get "$installed_ocx")" = 1.1.0.0 ] || fail "the older file is not in place"
msiexec /i "$(winpath "$x64")" /qn || fail "installing the newer package over the older"
snapshot upgraded
products=$(diff_py added "$work/before.hklm.reg" "$work/upgraded.hklm.reg" |
    grep -ic '^software\\microsoft\\windows\\currentversion\\uninstall\\{[^\\]*} "displayname"')
version=$(/usr/bin/python3 "$root/tests/windows/pe_version.py" get "$installed_ocx")
[ "$products" = 1 ] && [ "$version" = 1.2.0.0 ] && ok "upgrade: one product, library $version" ||
    fail "upgrade: $products products listed, library $version"
[[ "$(create 64)" == created* ]] || fail "the 64-bit control after the upgrade"
msiexec /x "$(winpath "$x64")" /qn || fail "uninstalling after the upgrade"
snapshot upgraded-removed
diff_py same "$work/before.hklm.reg" "$work/upgraded-removed.hklm.reg" "${containers[@]}" || fail "the registry after the upgrade's uninstall"

# The zip, unpacked beside the registration-free demo host, with nothing registered.
unpacked=$work/zip
rm -rf "$unpacked" && mkdir -p "$unpacked" && (cd "$unpacked" && unzip -q "$zip") || fail "unzipping $zip"
for arch in x86 x64; do
    build=$build64
    [ $arch = x86 ] && build=$build32
    folder=$(ls -d "$unpacked"/*/"$arch")
    cp "$build/selvane-demo-regfree.exe" "$folder/"
    cmp -s "$(dirname "$folder")/samples/selvane-app.manifest" "$build/generated/selvane-app.manifest" ||
        fail "the zip's sample application manifest is not the one the demo host carries"
    if run "$folder/selvane-demo-regfree.exe" --tour >"$work/zip-$arch.log" 2>&1; then
        ok "zip, $arch: the demo host with the sample manifest tours the control with nothing registered"
    else
        fail "zip, $arch: the registration-free tour"; tail -5 "$work/zip-$arch.log"
    fi
done
exit $failed
