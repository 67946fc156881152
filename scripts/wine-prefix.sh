#!/usr/bin/env bash
# Creates or refreshes the Wine prefix and the fixture folders the Windows tests run against.
# Usage: scripts/wine-prefix.sh BUILD_DIR        (the windows build folder, e.g. build/windows)
#
#   BUILD_DIR/wine      the private 32-bit prefix
#   BUILD_DIR/fixture   the folders behind the drives below (tests/windows/fixture.h names them)
#
#   D:  fixture/d, fixed, label FIXTUREDATA (from the file .windows-label, which Wine lists
#       as a hidden file of D:\)
#       zero.txt (0 bytes), nine.txt (999), thousand.txt (1000), huge.bin (3 GiB, sparse)
#       docs\   a.txt B.txt c.log _under.txt Zeta.TXT (all empty)
#               secret.txt (hidden), sys.txt (system), hiddendir\ (hidden), sysdir\ (system)
#               alpha\ Beta\ Gamma\ letters\old\
#       many\   33,000 empty files f00000.txt .. f32999.txt
#       cases\  Same.txt and same.txt: two files whose names differ in case only, as a Unix
#               folder (or a case-sensitive Windows folder) can hold
#       deep\   12 nested folders named nested_folder_level_01_padding .. _12_padding
#               (30 characters each; the innermost path is 379 characters) holding deep.txt
#       wide\   one folder of a 121-character name, wider than the directory list
#   E:  fixture/e, fixed, no label: first.txt (10 bytes), café.txt (20 bytes)
#   N:  network drive \\fakesrv\share, served from fixture/share: pub\ and readme.txt (7 bytes)
#   H:  hang/mnt, where the tests' file system that doesn't answer is mounted while they run
#       (tests/windows/hang_fs.sh); I: its folder hang/mnt/list, whose list doesn't answer;
#       J: to M: its folder hang/mnt/roots, whose root hangs when the tests ask
#   Windows are unmanaged (HKCU\Software\Wine\X11 Driver, Managed=N): there is no window manager.
#   Every file and folder on D:, E: and N: is dated 2001-02-03 04:05:06 UTC (the tests run
#   with TZ=UTC, so that is also the local time they see).
#
# The hidden and system attributes are set through Wine and kept by it as extended attributes
# (user.DOSATTRIB) of the Unix files, so the build folder's file system must support them.
# A second run checks stamps and links only, and starts no Wine process when all is in place.
# The stamps hold a hash of this script: editing it rebuilds the fixture.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "${1:?usage: wine-prefix.sh BUILD_DIR}"
# shellcheck source=scripts/wine-env.sh
. "$here/wine-env.sh" "$1"

fixture=$selvane_build/fixture
layout=$(sha256sum "$here/wine-prefix.sh" | cut -c1-16)
tree_stamp=$fixture/tree.stamp
attributes_stamp=$fixture/attributes.stamp
fixture_time=2001-02-03T04:05:06Z

say() { echo "wine-prefix: $*"; }

# A file of SIZE bytes of 'x'.
fill() { head -c "$2" /dev/zero | tr '\0' x >"$1"; }

build_tree() {
    say "building the fixture in $fixture"
    rm -rf "$fixture"
    local d=$fixture/d e=$fixture/e share=$fixture/share
    mkdir -p "$d" "$e" "$share/pub"

    printf 'FIXTUREDATA\n' >"$d/.windows-label"
    : >"$d/zero.txt"
    fill "$d/nine.txt" 999
    fill "$d/thousand.txt" 1000
    truncate -s 3G "$d/huge.bin"

    mkdir -p "$d/docs/letters/old" "$d/docs/Beta" "$d/docs/alpha" "$d/docs/Gamma" \
             "$d/docs/hiddendir" "$d/docs/sysdir"
    (cd "$d/docs" && touch a.txt B.txt c.log _under.txt Zeta.TXT secret.txt sys.txt)

    mkdir "$d/cases"
    (cd "$d/cases" && touch Same.txt same.txt)

    mkdir "$d/many"
    (cd "$d/many" && seq -f 'f%05.0f.txt' 0 32999 | xargs touch)

    local deep=$d/deep n
    for n in $(seq -w 1 12); do deep=$deep/nested_folder_level_${n}_padding; done
    mkdir -p "$deep"
    : >"$deep/deep.txt"

    mkdir -p "$d/wide/a_folder_whose_name_runs_far_past_the_right_edge_of_the_directory_list_so_that_the_list_scrolls_sideways_to_show_it_whole"

    fill "$e/first.txt" 10
    fill "$e/café.txt" 20
    printf 'readme\n' >"$share/readme.txt"

    find "$d" "$e" "$share" -exec touch -d "$fixture_time" {} +
    echo "$layout" >"$tree_stamp"
}

# \\deadsrv1 to \\deadsrv9, each with the shares share1 to share3, every one of them H:\attr,
# which hangs.
hang_servers=9
hang_shares=3
root_drives="j: k: l: m:"
drive_link_ok() { [ "$(readlink "$WINEPREFIX/dosdevices/$1" 2>/dev/null)" = "$2" ]; }
root_links_ok() {
    for drive in $root_drives; do drive_link_ok "$drive" "$selvane_build/hang/mnt/roots" || return 1; done
}

# The drive links, N:'s type, and unmanaged windows (see below) in the prefix's registry files.
settings_ok() {
    drive_link_ok d: "$fixture/d" && drive_link_ok e: "$fixture/e" &&
        drive_link_ok n: unc/fakesrv/share && drive_link_ok unc/fakesrv/share "$fixture/share" &&
        drive_link_ok h: "$selvane_build/hang/mnt" && drive_link_ok i: "$selvane_build/hang/mnt/list" &&
        root_links_ok && drive_link_ok unc/deadsrv$hang_servers/share$hang_shares "$selvane_build/hang/mnt/attr" &&
        sed -n '/^\[Software\\\\Wine\\\\Drives\]/,/^$/p' "$WINEPREFIX/system.reg" | grep -qs '^"n:"="network"' &&
        grep -qs '^"Managed"="N"' "$WINEPREFIX/user.reg"
}

server_running=0
start_server() {
    [ $server_running = 1 ] && return
    wineserver -p >/dev/null 2>&1
    server_running=1
}
# Stops any server of this prefix, also one left from an earlier session.
stop_server() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    server_running=0
}
trap '[ $server_running = 0 ] || stop_server' EXIT

# Runs a Wine command line through cmd, its output in Unix line endings.
wine_cmd() { "$selvane_wine" cmd /c "$1" </dev/null 2>/dev/null | tr -d '\r'; }

# The flag letters attrib shows for one path (attrib prints the flags, then the path).
attributes_of() {
    wine_cmd "attrib /d $1" | awk -v path="$1" '
        { i = index(toupper($0), toupper(path)) }
        i > 0 { flags = substr($0, 1, i - 1); gsub(/ /, "", flags); print flags; exit }'
}

set_attributes() {
    say "setting the hidden and system attributes"
    start_server
    wine_cmd 'attrib +h D:\docs\secret.txt & attrib +s D:\docs\sys.txt & attrib +h D:\docs\hiddendir & attrib +s D:\docs\sysdir' >/dev/null || true
    local path want got failed=0
    for path_want in 'D:\docs\secret.txt=H' 'D:\docs\sys.txt=S' 'D:\docs\hiddendir=H' 'D:\docs\sysdir=S' \
                     'D:\docs\a.txt=' 'D:\docs\alpha='; do
        path=${path_want%=*} want=${path_want##*=}
        got=$(attributes_of "$path") || true
        got=${got//A/}
        if [ "$got" != "$want" ]; then
            echo "wine-prefix: $path has attributes '$got' under Wine, expected '$want'" >&2
            failed=1
        fi
    done
    if [ $failed = 1 ]; then
        echo "wine-prefix: Wine keeps these attributes as user extended attributes; does the file system of $fixture support them?" >&2
        exit 1
    fi
    echo "$layout" >"$attributes_stamp"
}

started=$SECONDS

[ "$(cat "$tree_stamp" 2>/dev/null)" = "$layout" ] || build_tree

if [ ! -f "$WINEPREFIX/.update-timestamp" ]; then
    say "creating the prefix $WINEPREFIX"
    stop_server
    WINEDLLOVERRIDES=$selvane_wineboot_overrides "$selvane_wine" wineboot --init </dev/null >/dev/null 2>&1
    stop_server
    [ -f "$WINEPREFIX/.update-timestamp" ] || { echo "wine-prefix: wineboot did not create the prefix" >&2; exit 1; }
fi

if ! settings_ok; then
    say "mapping D:, E:, the network drive N:, the hanging drives H: to M: and the hanging server, and leaving windows unmanaged"
    # Wine reads the drive links when the server starts; none may run while they change.
    stop_server
    dev=$WINEPREFIX/dosdevices
    rm -f "$dev/d:" "$dev/e:" "$dev/n:" "$dev/unc/fakesrv/share" "$dev/h:" "$dev/i:"
    mkdir -p "$dev/unc/fakesrv" "$selvane_build/hang/mnt"
    ln -s "$fixture/d" "$dev/d:"
    ln -s "$fixture/e" "$dev/e:"
    ln -s "$fixture/share" "$dev/unc/fakesrv/share"
    ln -s unc/fakesrv/share "$dev/n:"
    ln -s "$selvane_build/hang/mnt" "$dev/h:"
    ln -s "$selvane_build/hang/mnt/list" "$dev/i:"
    for drive in $root_drives; do rm -f "$dev/$drive" && ln -s "$selvane_build/hang/mnt/roots" "$dev/$drive"; done
    for server in $(seq $hang_servers); do
        rm -rf "$dev/unc/deadsrv$server" && mkdir -p "$dev/unc/deadsrv$server"
        for share in $(seq $hang_shares); do ln -s "$selvane_build/hang/mnt/attr" "$dev/unc/deadsrv$server/share$share"; done
    done
    start_server
    # Into the registry view of the prefix's own bitness, where its mount manager reads it.
    view=
    [ "$WINEARCH" = win64 ] && view=/reg:64
    "$selvane_wine" reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f $view </dev/null >/dev/null 2>&1
    # Xvfb runs no window manager. Wine would still hand its top-level windows to one, and
    # then wait 2 s for it whenever an active window is hidden or destroyed.
    "$selvane_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    # The server writes the registry files as it stops; the drive type takes effect with the
    # next server.
    stop_server
    settings_ok || { echo "wine-prefix: the drive mapping or the registry settings did not stick" >&2; exit 1; }
fi

if [ "$(cat "$attributes_stamp" 2>/dev/null)" != "$layout" ]; then
    set_attributes
    stop_server
fi

say "ready ($((SECONDS - started)) s)"
