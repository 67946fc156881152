#!/usr/bin/python3
# Makes about/logo.gif: the 30 x 15 Selvane product mark (a transparent GIF89a
# with a 64-colour palette), drawn from the pixel art below and encoded by
# Pillow (python3-pil, which scripts/setup.sh installs for Debian's python3).
# The output is byte-for-byte the same on every run; another Pillow than
# Debian 12's may encode it differently, which --check then reports.
#   scripts/make-logo.py               writes about/logo.gif
#   scripts/make-logo.py --check FILE  fails unless FILE holds exactly those bytes

import io
import os
import sys

from PIL import Image

# --- Drawing ---------------------------------------------------------------
# One character per pixel, 30 columns by 15 rows: a yellow folder holding a
# sheet of paper, beside a bold dark-blue "S".

WIDTH, HEIGHT = 30, 15

DRAWING = [
    "..............................",
    ".....ggggggggg.....abBBBba....",
    ".kKKkgWWWWWWWfg...bBlllBBBa...",
    ".KEEEgW------Wgk..BlBa..abBc..",
    ".KDDDgWWWWWWWWgK..BlBb....a...",
    ".Kdddgw-----wwgK..aBlBBBba....",
    ".KKKKKKKKKKKKKKK...abBllBBba..",
    ".KLLLLLLLLLLLLLK......abBBBb..",
    ".KLYYYYYYYYYYYhK........BBBa..",
    ".KLYYYYYYYYYYYhK..c.....BBBa..",
    ".KYyyyyyyyyyyyhK..BBa..abBBb..",
    ".KyxxxxxxxxxxxhK..aBBBBBBBb...",
    ".KhhhhhhhhhhhhHK...abBBBba....",
    ".kKKKKKKKKKKKKKk..............",
    "..............................",
]

TRANSPARENT = "."

# Character -> RGB. Order here fixes the palette order (after the
# transparent entry, which is always index 0).
LEGEND = [
    (".", (255, 255, 255)),  # background, marked transparent
    # folder
    ("K", (142, 90, 18)),    # outline
    ("k", (190, 140, 70)),   # softened outline corners
    ("E", (240, 186, 60)),   # tab, lit top
    ("D", (226, 164, 36)),   # back panel and tab
    ("d", (204, 142, 28)),   # back panel, shaded edge
    ("L", (255, 238, 160)),  # front flap, highlight
    ("Y", (255, 214, 74)),   # front flap, light
    ("y", (248, 194, 48)),   # front flap, mid
    ("x", (242, 182, 40)),   # front flap, lower
    ("h", (232, 170, 34)),   # front flap, right and bottom shade
    ("H", (212, 148, 26)),   # front flap, darkest corner
    # paper
    ("g", (160, 170, 188)),  # sheet outline
    ("W", (255, 255, 255)),  # sheet
    ("w", (230, 234, 242)),  # sheet, in the flap's shadow
    ("f", (214, 220, 232)),  # sheet, folded corner
    ("-", (120, 140, 176)),  # text lines on the sheet
    # letter
    ("B", (20, 44, 118)),    # dark blue body
    ("l", (38, 68, 150)),    # body highlight
    ("b", (74, 100, 166)),   # edge, half tone
    ("a", (158, 176, 216)),  # edge, light tone
    ("c", (208, 216, 236)),  # tip, faint tone
]

PALETTE_SIZE = 64


# --- Palette and pixels -------------------------------------------------------

def build_palette():
    """Return (list of 64 RGB tuples, dict char -> index).

    The legend colours come first; the remaining entries are a neutral grey
    ramp from black to white so the table is always exactly 64 entries.
    """
    colours = [rgb for _, rgb in LEGEND]
    index_of = {ch: i for i, (ch, _) in enumerate(LEGEND)}
    spare = PALETTE_SIZE - len(colours)
    for i in range(spare):
        level = round(255 * i / (spare - 1)) if spare > 1 else 128
        colours.append((level, level, level))
    assert len(colours) == PALETTE_SIZE
    return colours, index_of


def drawing_indices(index_of):
    assert len(DRAWING) == HEIGHT
    pixels = []
    for row in DRAWING:
        assert len(row) == WIDTH, row
        pixels.extend(index_of[ch] for ch in row)
    return pixels


# --- GIF ---------------------------------------------------------------------

def make_gif():
    palette, index_of = build_palette()
    image = Image.new("P", (WIDTH, HEIGHT))
    image.putpalette([level for rgb in palette for level in rgb])
    image.putdata(drawing_indices(index_of))
    out = io.BytesIO()
    # optimize=False keeps the palette whole and in the legend's order.
    image.save(out, format="GIF", transparency=index_of[TRANSPARENT], optimize=False)
    return out.getvalue()


def main(args):
    data = make_gif()
    if args[:1] == ["--check"] and len(args) == 2:
        with open(args[1], "rb") as f:
            if f.read() != data:
                print("%s is not what scripts/make-logo.py makes; run it and commit the result" % args[1])
                return 1
        print("%s is what scripts/make-logo.py makes (%d bytes)" % (args[1], len(data)))
        return 0
    if args:
        print("usage: make-logo.py [--check FILE]", file=sys.stderr)
        return 2
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = os.path.join(root, "about", "logo.gif")
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (os.path.relpath(path), len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
