#!/usr/bin/env python3
# Makes about/logo.gif: the 30 x 15 Selvane product mark (a transparent GIF89a
# with a 64-colour palette), drawn from the pixel art below.
# Run from the repo root:  python3 scripts/make-logo.py
# Standard library only; the output is byte-for-byte the same on every run.

import os
import struct

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
SIZE_BITS = 5            # palette holds 2 ** (SIZE_BITS + 1) entries
LZW_MIN_CODE_SIZE = 6


# --- Palette ----------------------------------------------------------------

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


# --- LZW --------------------------------------------------------------------

class BitPacker:
    """Packs variable-width codes least significant bit first."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.nbits = 0

    def write(self, code, width):
        self.acc |= code << self.nbits
        self.nbits += width
        while self.nbits >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.nbits -= 8

    def finish(self):
        if self.nbits:
            self.out.append(self.acc & 0xFF)
        self.acc = self.nbits = 0
        return bytes(self.out)


def lzw_encode(pixels, min_code_size):
    """GIF-flavoured LZW: starts with a clear code, ends with end-of-info,
    widens codes up to 12 bits and restarts with a clear code when the
    code table reaches 4096 entries."""
    clear = 1 << min_code_size
    end = clear + 1
    packer = BitPacker()

    def restart():
        return {}, end + 1, min_code_size + 1  # table, next code, width

    table, next_code, width = restart()
    packer.write(clear, width)
    if not pixels:
        packer.write(end, width)
        return packer.finish()

    prefix = pixels[0]
    for px in pixels[1:]:
        key = (prefix, px)
        if key in table:
            prefix = table[key]
            continue
        packer.write(prefix, width)
        # The decoder will be able to receive code `next_code` from the
        # next code on, so widen as soon as it no longer fits.
        if next_code >= (1 << width) and width < 12:
            width += 1
        table[key] = next_code
        next_code += 1
        if next_code == 4096:
            packer.write(clear, width)
            table, next_code, width = restart()
        prefix = px

    packer.write(prefix, width)
    if next_code >= (1 << width) and width < 12:
        width += 1
    packer.write(end, width)
    return packer.finish()


def sub_blocks(data):
    """Split data into sub-blocks of at most 255 bytes plus a terminator."""
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


# --- GIF writer ---------------------------------------------------------------

def make_gif(pixels, palette, transparent_index):
    gif = bytearray(b"GIF89a")

    # Logical screen: global table present, 8 bits per primary, unsorted.
    packed = 0x80 | (7 << 4) | SIZE_BITS
    gif += struct.pack("<HHBBB", WIDTH, HEIGHT, packed, transparent_index, 0)
    for r, g, b in palette:
        gif += bytes((r, g, b))

    # Graphic control: disposal 1 (leave in place), transparency on, no delay.
    gif += bytes((0x21, 0xF9, 4, (1 << 2) | 1, 0, 0, transparent_index, 0))

    # Image descriptor: whole screen, no local table, not interlaced.
    gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0)
    gif.append(LZW_MIN_CODE_SIZE)
    gif += sub_blocks(lzw_encode(pixels, LZW_MIN_CODE_SIZE))

    gif.append(0x3B)
    return bytes(gif)


def main():
    palette, index_of = build_palette()
    pixels = drawing_indices(index_of)
    data = make_gif(pixels, palette, index_of[TRANSPARENT])

    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = os.path.join(root, "about", "logo.gif")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (os.path.relpath(path), len(data)))


if __name__ == "__main__":
    main()
