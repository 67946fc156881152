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
# With --per-user, per user (one Programs folder for both, as Windows resolves it): side by side,
# either removed first; a same-version rebuild, an older version; the sample from the zip alone.
# Usage: installers.sh [--per-user] BUILD_DIR_64 BUILD_DIR_32 ZIP   (inside wine-session.sh of
#        BUILD_DIR_64; the fresh prefix is made under BUILD_DIR_64/installer-test[-user], its
#        drive D: is the fixture's)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# The project's version, as the packages carry it.
release=$(sed -n 's/^project(Selvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
per_user=0
[ "$1" = --per-user ] && { per_user=1; shift; }
build64=$(cd "$1" && pwd) build32=$(cd "$2" && pwd) zip=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
work=$build64/installer-test
[ $per_user = 1 ] && work=$build64/installer-test-user
runs32=1
failed=0
fail() { echo "FAIL: $*"; failed=1; }
ok() { echo "ok: $*"; }

x86=$work/packages/selvane-x86.msi
x64=$work/packages/selvane-x64.msi
# An older release of the 64-bit package: the same files, its library's version and its
# package's version set back to 1.1.0.
older_package() {  # older_package OUT.msi
    local older=$work/older
    mkdir -p "$older/installer"
    cp "$build64/Selvane.Control.manifest" "$older/"
    cp "$build64/installer/selvane.ico" "$older/installer/"
    cmake -DIDL="$root/control/com/selvane.idl" -DMODULE_HEADER="$root/control/com/module.h" -DVERSION=1.1.0 \
          -DARCH=x64 -DOUT="$older/installer/selvane-x64" -P "$root/cmake/installer.cmake"
    /usr/bin/python3 "$root/tests/windows/pe_version.py" set "$build64/selvane.ocx" 1.1.0.0 "$older/selvane.ocx"
    "$root/scripts/make-msi.sh" "$older" "$1" >/dev/null
}
if [ "${4:-}" != inside ]; then
# Per machine every step needs 32-bit programs; per user only the 32-bit ones do.
"$root/scripts/runs-32-bit.sh" >/dev/null || { [ $per_user = 1 ] || { "$root/scripts/runs-32-bit.sh"; exit 0; }; runs32=0; }
rm -rf "$work" && mkdir -p "$work/packages" && echo win64 >"$work/wine-arch"
"$root/scripts/make-msi.sh" "$build32" "$x86" >/dev/null && "$root/scripts/make-msi.sh" "$build64" "$x64" >/dev/null ||
    { echo "FAIL: building the packages"; exit 1; }
if [ $per_user = 1 ]; then
    # The same version rebuilt with other contents (a byte more at the library's end), and an older one.
    cp "$build64/selvane.ocx" "$work/rebuilt.ocx" && printf '\0' >>"$work/rebuilt.ocx"
    "$root/scripts/make-msi.sh" "$build64" "$work/packages/selvane-x64-rebuilt.msi" "$work/rebuilt.ocx" >/dev/null &&
        older_package "$work/packages/selvane-x64-older.msi" || { echo "FAIL: building the packages"; exit 1; }
    # Wine installs per machine when asked per user, and resolves the Program Files folders as
    # per machine: both are set to one Programs folder before the folders are resolved, as
    # Windows resolves them per user.
    for msi in "$work"/packages/*.msi; do for folder in ProgramFilesFolder ProgramFiles64Folder; do
        for row in "\`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('Emulate$folder', 51, '$folder', '[LocalAppDataFolder]Programs\\')" \
                   "\`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('Emulate$folder', 990)"; do
            msibuild "$msi" -q "INSERT INTO $row"
        done
    done; done
fi

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
# A component both packages carry is the same in both: its row, and every registry row of it.
# A [reference] resolves per package, to a folder or a file of that bitness's own: none may stand there.
same_component() {  # same_component MSI ID: the component's row and its registry rows, after their names
    local name=$(table "$1" Component | awk -F'\t' -v id="$2" '$2 == id { print $1 }')
    { table "$1" Component | awk -F'\t' -v id="$2" '$2 == id'; table "$1" Registry | awk -F'\t' -v c="$name" '$6 == c' | sort; } | cut -f3-
}
for id in $(comm -12 <(table "$x86" Component | cut -f2 | sort) <(table "$x64" Component | cut -f2 | sort)); do
    [ "$(same_component "$x64" "$id")" = "$(same_component "$x86" "$id")" ] && ! same_component "$x64" "$id" | grep -q '\[' &&
        ok "component $id: the same in both" || fail "component $id differs between the packages"
done

# --- The fresh prefix ---------------------------------------------------------------------------
# A first session makes the prefix; its drive D: is then the tests' fixture, and a second
# session runs the rest (this script again, with "inside").
"$root/scripts/wine-session.sh" "$work" true || { echo "FAIL: making the prefix"; exit 1; }
ln -sfn "$build64/fixture/d" "$work/wine/dosdevices/d:"
mode=$([ $per_user = 1 ] && echo --per-user)
"$root/scripts/wine-session.sh" "$work" "$0" $mode "$build64" "$build32" "$zip" inside || failed=1
[ $failed = 0 ] && echo "installers: every step as expected"
exit $failed
fi
"$root/scripts/runs-32-bit.sh" >/dev/null || runs32=0

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
[ $runs32 = 1 ] && create 32 >/dev/null
create 64 >/dev/null
snapshot before

if [ $per_user = 1 ]; then
    # From the zip alone, in an empty folder, before anything is registered: the sample builds
    # against include\ for both bitnesses, and runs with x64\ (and x86\) beside it.
    unpacked=$work/zip-alone
    rm -rf "$unpacked" && mkdir -p "$unpacked" && (cd "$unpacked" && unzip -q "$zip") || fail "unzipping $zip"
    top=$(ls -d "$unpacked"/selvane-*)
    for arch in x86 x64; do
        compiler=x86_64-w64-mingw32-g++-posix && [ $arch = x86 ] && compiler=i686-w64-mingw32-g++-posix
        (cd "$top" && $compiler -std=c++17 -municode -static -I include samples/selvane_host.cpp \
            -o $arch/selvane_host.exe -lole32 -loleaut32 -luuid -luser32) || { fail "zip: the sample doesn't build for $arch"; continue; }
        cp "$top/samples/selvane-app.manifest" "$top/$arch/selvane_host.exe.manifest"
        [ $arch = x86 ] && [ $runs32 = 0 ] && continue
        got=$(run "$top/$arch/selvane_host.exe" 'D:\docs' --check 2>/dev/null | tr -d '\r')
        [[ "$got" == *"Path D:\\docs"* ]] && ok "zip, $arch: the sample built from the zip hosts the control unregistered" ||
            fail "zip, $arch: the sample built from the zip says: $got"
    done
    user_install() { msiexec /i "$(winpath "$1")" /qn MSIINSTALLPERUSER=1; }
    # The 64-bit package writes what regsvr32 writes (file paths aside): both from one table.
    run 'C:\windows\system32\regsvr32.exe' /s "$build64/selvane.ocx" || fail "regsvr32 of the 64-bit build"
    snapshot regsvr32
    run 'C:\windows\system32\regsvr32.exe' /s /u "$build64/selvane.ocx"
    user_install "$x64" || fail "installing the 64-bit package"
    snapshot installed
    diff_py equal-changes "$work/before.hklm.reg" "$work/regsvr32.hklm.reg" "$work/installed.hklm.reg" "${bookkeeping[@]}" &&
        ok "the 64-bit package registers what regsvr32 does" || fail "the 64-bit package registers other than regsvr32"
    msiexec /x "$(winpath "$x64")" /qn || fail "uninstalling the 64-bit package"
    programs=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local | head -1)/Programs/Selvane
    works() {  # works x86|x64: that bitness's file is in place and its script host creates it
        local bits=${1#x}; bits=${bits/86/32}
        [ -f "$programs/$1/selvane.ocx" ] && { [ $bits = 32 ] && [ $runs32 = 0 ] || [[ "$(create $bits)" == created* ]]; }
    }
    names_gone() {  # names_gone FOLDER: no value in the registry names Selvane\FOLDER
        snapshot now
        ! cat "$work"/now.hk*.reg | iconv -f utf-16 -t utf-8 2>/dev/null | grep -qiF "Selvane\\\\$1"
    }
    user_install "$x86" && user_install "$x64" || fail "per user: msiexec /i of both packages"
    works x86 && works x64 && ok "per user: both bitnesses side by side, each in its own folder" ||
        fail "per user: the folders hold $(cd "$programs" 2>/dev/null && find . -type f | tr '\n' ' ')"
    for first in x86 x64; do
        other=x64 && [ $first = x64 ] && other=x86
        msiexec /x "$(winpath "$work/packages/selvane-$first.msi")" /qn || fail "per user: msiexec /x $first"
        works $other && names_gone $first && ok "per user: $other works after $first went, and nothing names its folder" ||
            fail "per user: $other after $first went"
        user_install "$work/packages/selvane-$first.msi" || fail "per user: installing $first again"
    done
    # A rebuild of the same version replaces the installed file; an older version refuses.
    user_install "$work/packages/selvane-x64-rebuilt.msi" || fail "per user: installing the rebuilt package"
    cmp -s "$work/rebuilt.ocx" "$programs/x64/selvane.ocx" && ok "per user: the same version rebuilt replaced the file" ||
        fail "per user: the rebuilt package left the earlier file"
    if user_install "$work/packages/selvane-x64-older.msi"; then fail "per user: the older version installed"; fi
    cmp -s "$work/rebuilt.ocx" "$programs/x64/selvane.ocx" || fail "per user: the older version replaced the file"
    msiexec /x "$(winpath "$work/packages/selvane-x64-rebuilt.msi")" /qn && msiexec /x "$(winpath "$x86")" /qn ||
        fail "per user: the last uninstalls"
    snapshot removed
    diff_py same "$work/before.hkcu.reg" "$work/removed.hkcu.reg" "${wine_own[@]}" "${containers[@]}" ||
        fail "per user: the user's registry after both uninstalls"
    [ ! -e "$programs" ] || fail "per user: $(cd "$programs" && find . | tr '\n' ' ') left"
    exit $failed
fi
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
for dir in "Program Files/Selvane/x64" "Program Files (x86)/Selvane/x86"; do
    for file in selvane.ocx Selvane.Control.manifest members.md LICENSE.txt; do
        [ -f "$WINEPREFIX/drive_c/$dir/$file" ] || fail "no $dir/$file"
    done
done
grep -q 'processorArchitecture="amd64"' "$WINEPREFIX/drive_c/Program Files/Selvane/x64/Selvane.Control.manifest" ||
    fail "the 64-bit folder holds another bitness's manifest"
arp=$(diff_py added "$work/before.hklm.reg" "$work/installed.hklm.reg" | grep -i 'currentversion\\uninstall\\{\|installer\\products\\')
for want in '"displayname" "Selvane (32-bit)"' '"displayname" "Selvane (64-bit)"' "\"displayversion\" \"$release\"" \
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

older_package "$work/packages/selvane-x64-older.msi" || fail "building the older package"
msiexec /i "$(winpath "$work/packages/selvane-x64-older.msi")" /qn || fail "installing the older package"
installed_ocx=$WINEPREFIX/drive_c/Program\ Files/Selvane/x64/selvane.ocx
[ "$(/usr/bin/python3 "$root/tests/windows/pe_version.py" get "$installed_ocx")" = 1.1.0.0 ] || fail "the older file is not in place"
msiexec /i "$(winpath "$x64")" /qn || fail "installing the newer package over the older"
snapshot upgraded
products=$(diff_py added "$work/before.hklm.reg" "$work/upgraded.hklm.reg" |
    grep -ic '^software\\microsoft\\windows\\currentversion\\uninstall\\{[^\\]*} "displayname"')
version=$(/usr/bin/python3 "$root/tests/windows/pe_version.py" get "$installed_ocx")
[ "$products" = 1 ] && [ "$version" = "$release.0" ] && ok "upgrade: one product, library $version" ||
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
