#!/bin/sh
# Gives the event dispinterface of a type library written by widl the two attributes widl
# cannot write for a dispinterface: version 1.0 and non-extensible; and takes away the name
# "a" widl gives every parameter the IDL leaves unnamed (the members' results), which the
# published library leaves without a name. Edits the file in place.
#
# The library is in the MSFT layout: a 0x54-byte header, one 4-byte offset per type info
# (4 more bytes when a help-string DLL is named), then the segment directory, whose first
# entry locates the table of 0x64-byte type-info records. A record's kind is in the low
# nibble of its first word, its flags at +0x30 and its version (major in the low word) at +0x38.
# Its members' records start 4 bytes past the offset at +0x04, one after another, as many as the
# low word at +0x18 says; a record's size is the low word of its first word, its parameter count
# the word at +0x14, and it ends with 12 bytes a parameter, the name's offset in the name table
# (the directory's eighth entry) at +4 of those, or -1 for none. A name there has its length in
# the byte at +8 and its characters from +12.
#
# widl also stamps the library with the time it ran, as a text ("Created by WIDL version 7.0 at
# Tue Dec  8 13:42:00 2026" and a line feed) and, just after it at the next 4-byte boundary, as a
# number (VT_UI4, then the seconds). Both are set to SECONDS (the checkout's last commit), so that
# the same commit gives the same library, and so the same selvane.ocx.
# Usage: patch-typelib.sh LIBRARY.tlb SECONDS
set -eu
tlb=$1
stamp=$2

u32() { od -An -t u4 -j "$1" -N 4 "$tlb" | tr -d ' '; }
u16() { od -An -t u2 -j "$1" -N 2 "$tlb" | tr -d ' '; }
u8() { od -An -t u1 -j "$1" -N 1 "$tlb" | tr -d ' '; }
put_u32() {
    v=$2
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))" |
        dd of="$tlb" bs=1 seek="$1" conv=notrunc status=none
}

[ "$(u32 0)" = "$((0x5446534d))" ] || { echo "$tlb: not an MSFT type library" >&2; exit 1; }
count=$(u32 $((0x20)))
varflags=$(u32 $((0x14)))
directory=$((0x54 + 4 * count))
[ $((varflags & 0x100)) -eq 0 ] || directory=$((directory + 4))
table=$(u32 $directory)

TKIND_DISPATCH=4
TYPEFLAG_FDUAL=$((0x40))
TYPEFLAG_FNONEXTENSIBLE=$((0x80))
patched=0
i=0
while [ $i -lt "$count" ]; do
    record=$((table + i * 0x64))
    kind=$(($(u32 $record) & 15))
    flags=$(u32 $((record + 0x30)))
    # A dual interface is also stored as a dispatch type: only the pure dispinterface is ours.
    if [ $kind -eq $TKIND_DISPATCH ] && [ $((flags & TYPEFLAG_FDUAL)) -eq 0 ]; then
        put_u32 $((record + 0x30)) $((flags | TYPEFLAG_FNONEXTENSIBLE))
        put_u32 $((record + 0x38)) 1
        patched=$((patched + 1))
    fi
    i=$((i + 1))
done
[ $patched -eq 1 ] || { echo "$tlb: expected one dispinterface, found $patched" >&2; exit 1; }

NO_NAME=4294967295
names=$(u32 $((directory + 7 * 16)))
unnamed=0
i=0
while [ $i -lt "$count" ]; do
    record=$((table + i * 0x64))
    functions=$(($(u32 $((record + 0x18))) & 0xffff))
    position=$(($(u32 $((record + 4))) + 4))
    f=0
    while [ $f -lt $functions ]; do
        size=$(($(u32 $position) & 0xffff))
        arguments=$(u16 $((position + 0x14)))
        k=0
        while [ $k -lt "$arguments" ]; do
            field=$((position + size - (arguments - k) * 12 + 4))
            name=$(u32 $field)
            if [ "$name" != $NO_NAME ] && [ "$(u8 $((names + name + 8)))" = 1 ] &&
               [ "$(u8 $((names + name + 12)))" = 97 ]; then
                put_u32 $field $NO_NAME
                unnamed=$((unnamed + 1))
            fi
            k=$((k + 1))
        done
        position=$((position + size))
        f=$((f + 1))
    done
    i=$((i + 1))
done
[ $unnamed -gt 0 ] || { echo "$tlb: no parameter named a: has widl changed?" >&2; exit 1; }

# The time stamp.
at=$(grep -obUa "Created by WIDL version [^ ]* at " "$tlb" | head -1)
[ -n "$at" ] || { echo "$tlb: no time stamp of widl: has widl changed?" >&2; exit 1; }
matched=${at#*:}
text=$((${at%%:*} + ${#matched}))
LC_ALL=C TZ=UTC date -d "@$stamp" "+%a %b %e %H:%M:%S %Y" | tr -d '\n' | dd of="$tlb" bs=1 seek=$text conv=notrunc status=none
number=$(( (text + 25 + 3) / 4 * 4 ))
VT_UI4=19
[ "$(u16 $number)" = $VT_UI4 ] || { echo "$tlb: no VT_UI4 after widl's time stamp" >&2; exit 1; }
put_u32 $((number + 2)) "$stamp"
