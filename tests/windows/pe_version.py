#!/usr/bin/python3
"""Reads or sets the file version in a Windows library's version record (VS_FIXEDFILEINFO).

  pe_version.py get FILE              prints the file version, e.g. 1.2.0.0
  pe_version.py set FILE 1.1.0.0 OUT  writes a copy of FILE whose file and product versions are 1.1.0.0
"""
import struct
import sys

SIGNATURE = struct.pack('<I', 0xFEEF04BD)


def where(data):
    at = data.find(SIGNATURE)
    if at < 0 or data.find(SIGNATURE, at + 1) >= 0:
        sys.exit('pe_version: no single version record')
    return at


def main(argv):
    data = bytearray(open(argv[2], 'rb').read())
    at = where(data)
    if argv[1] == 'get':
        ms, ls = struct.unpack_from('<II', data, at + 8)
        print('%d.%d.%d.%d' % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))
        return 0
    a, b, c, d = (int(x) for x in argv[3].split('.'))
    # dwFileVersionMS/LS, then dwProductVersionMS/LS.
    struct.pack_into('<IIII', data, at + 8, a << 16 | b, c << 16 | d, a << 16 | b, c << 16 | d)
    open(argv[4], 'wb').write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
