#!/usr/bin/env python3
"""Places and colours of a skin, read from its layout and pack, for the screenshot scripts.

    skin_places.py LAYOUT PACK ORIGIN SCALE FIELD...

prints the fields on one line, each as the window system sees it for a main window at
(ORIGIN, ORIGIN) under QT_SCALE_FACTOR=SCALE:
  size:N     width and height of piece N (in skin pixels)
  centre:N   the screen point in the middle of piece N of the main window
  rect:L     the rectangle of lines L ... L + 3 (1-based), scaled
  colour:L   the Windows colour value of line L as #rrggbb
"""
import struct
import sys


def main(layout, pack, origin, scale, fields):
    v = [int(x) if x.strip() else 0 for x in open(layout).read().split('\n')]
    data = open(pack, 'rb').read()
    offset, sizes = 0, []
    for i in range(19):
        w, h = struct.unpack('<ii', data[offset + 18:offset + 26])
        sizes.append((w, abs(h)))
        b, r = v[38 + i], v[57 + i]
        offset += (b - 2) * 2048 + r if b > 2 else r
    out = []
    for field in fields:
        kind, n = field.split(':')
        n = int(n)
        if kind == 'size':
            out += sizes[n - 1]
        elif kind == 'centre':
            out += [scale * (origin + v[2 * n - 2 + k] + sizes[n - 1][k] // 2) for k in (0, 1)]
        elif kind == 'rect':
            out += [scale * x for x in v[n - 1:n + 3]]
        elif kind == 'colour':
            ref = v[n - 1]
            out.append('#%02x%02x%02x' % (ref & 255, ref >> 8 & 255, ref >> 16 & 255))
        else:
            sys.exit(f'unknown field {field}')
    print(*out)


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5:])
