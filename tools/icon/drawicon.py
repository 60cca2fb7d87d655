#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
# Draws data/icons/trackmill.png (64x64) from the same shapes as
# trackmill.svg, with 4x4 supersampling; only the standard library is needed.
import struct
import sys
import zlib

SIZE, SS = 64, 4


def inside_arrow(x, y):
    # The arrow of the SVG: shaft 38..52 x 26..38, head 52..62 from 18 to 46.
    if 38 <= x <= 52 and 26 <= y <= 38:
        return True
    if 52 <= x <= 62:
        half = 14 * (62 - x) / 10
        return abs(y - 32) <= half
    return False


def colour(x, y):
    if inside_arrow(x, y):
        return (210, 60, 42, 255)
    d = ((x - 30) ** 2 + (y - 32) ** 2) ** 0.5
    if d <= 4:
        return (255, 255, 255, 255)
    if d <= 8:
        return (74, 82, 99, 255)
    if 16.25 <= d <= 17.75:
        return (170, 179, 194, 255)
    if d <= 26:
        t = min(1.0, ((x - 24) ** 2 + (y - 22) ** 2) ** 0.5 / 38)
        grey = int(255 - t * (255 - 138))
        return (grey, min(255, grey + 6), min(255, grey + 16), 255)
    if d <= 28:
        return (74, 82, 99, 255)
    return (0, 0, 0, 0)


def main(path):
    rows = []
    for py in range(SIZE):
        row = bytearray([0])
        for px in range(SIZE):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    c = colour(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS)
                    for i in range(3):
                        acc[i] += c[i] * c[3]
                    acc[3] += c[3]
            a = acc[3] // (SS * SS)
            rgb = [acc[i] // acc[3] if acc[3] else 0 for i in range(3)]
            row += bytes(rgb + [a])
        rows.append(bytes(row))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "data/icons/trackmill.png")
