#!/bin/sh
# Saves what the X display shows to OUT; the format follows OUT's extension (png, bmp, ...).
# Usage: scripts/screenshot.sh OUT [STATUS [CROP]]
# With STATUS, writes the exit code to that file as the very last step. A Windows program
# under Wine starts a Unix program without a process handle to wait on (Wine 8), so the
# screenshot helper of the Windows tests waits for this file instead. With CROP, an
# ImageMagick geometry WxH+X+Y (a window's rectangle), only that part of the screen is kept.
# The image carries no time stamp or other metadata: the same screen gives the same file.
PATH=/usr/bin:/bin
out=$1
status=${2:-}
crop=${3:-}
tmp=$out.partial

# A BMP is always plain 24-bit (BITMAPINFOHEADER, bottom-up), so that a test can read its pixels.
case $out in
    *.bmp | *.BMP) format=bmp3 type=TrueColor ;;
    *) format=${out##*.} type= ;;
esac
# /usr/bin/convert: ImageMagick's, whatever else PATH may put first.
if [ -n "${DISPLAY:-}" ] &&
    xwd -root -silent |
    /usr/bin/convert xwd:- ${crop:+-crop "$crop" +repage} -strip ${type:+-type "$type"} "$format:$tmp" &&
    mv -f "$tmp" "$out"; then
    rc=0
else
    rm -f "$tmp"
    echo "screenshot.sh: could not save $out (DISPLAY=${DISPLAY:-unset})" >&2
    rc=1
fi
if [ -n "$status" ]; then
    echo $rc >"$status.partial" && mv -f "$status.partial" "$status"
fi
exit $rc
