#!/usr/bin/env python3
"""Draws the tool's two icons and writes them as 256-colour .ico files.

KEZICON: a strapped archive box. DELICON: the same box with a red cross,
shown by the shell as the file icon of the uninstaller.
Usage: make_icons.py <output folder>
"""
import struct
import sys

PALETTE = [
    (0, 0, 0),          # 0 transparent (masked)
    (40, 30, 20),       # 1 outline
    (222, 170, 82),     # 2 box face
    (245, 205, 120),    # 3 lid
    (180, 128, 52),     # 4 box side shade
    (40, 80, 170),      # 5 strap
    (120, 160, 230),    # 6 strap light
    (200, 30, 30),      # 7 cross
    (255, 255, 255),    # 8 white
    (240, 200, 40),     # 9 buckle
    (20, 20, 20),       # 10 strap, German module
    (210, 20, 20),      # 11
    (250, 200, 0),      # 12
]
PALETTE += [(i, i, i) for i in range(256 - len(PALETTE))]


def box(x, y):
    """Colour index of the archive box at the unit square point (x, y)."""
    if not (0.10 <= x <= 0.90 and 0.18 <= y <= 0.90):
        return 0
    edge = min(x - 0.10, 0.90 - x, y - 0.18, 0.90 - y)
    if edge < 0.045:
        return 1
    if 0.44 <= x <= 0.56:
        if 0.30 <= y <= 0.42 and 0.46 <= x <= 0.54:
            return 9
        return 6 if x < 0.48 else 5
    if y < 0.36:
        return 3 if abs(y - 0.36) > 0.03 else 1
    return 4 if x > 0.78 else 2


def cross(x, y):
    cx, cy, r = 0.70, 0.70, 0.27
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    if d2 > r * r:
        return None
    if d2 > (r - 0.05) ** 2:
        return 8
    u, v = x - cx, y - cy
    if abs(u - v) < 0.055 or abs(u + v) < 0.055:
        return 8
    return 7


def kez(x, y):
    return box(x, y)


def kez_de(x, y):
    """The German language module's variant: a strap in the flag's colours."""
    c = box(x, y)
    if c in (5, 6):
        return 10 if x < 0.4733 else 11 if x < 0.5267 else 12
    return c


def delete(x, y):
    c = cross(x, y)
    return c if c is not None else box(x, y)


def image(draw, size):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            row.append(draw((px + 0.5) / size, (py + 0.5) / size))
        rows.append(row)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor_stride = (size + 3) & ~3
    and_stride = ((size + 31) // 32) * 4
    xor = b''
    mask = b''
    for row in reversed(rows):          # bitmaps are stored bottom-up
        xor += bytes(row) + bytes(xor_stride - size)
        bits = bytearray(and_stride)
        for px, c in enumerate(row):
            if c == 0:
                bits[px // 8] |= 0x80 >> (px % 8)
        mask += bytes(bits)
    return header + palette + xor + mask


def icon(draw, sizes):
    images = [image(draw, s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else '.'
    sizes = [32, 16, 48]
    with open(folder + '/kezicon.ico', 'wb') as f:
        f.write(icon(kez, sizes))
    with open(folder + '/delicon.ico', 'wb') as f:
        f.write(icon(delete, sizes))
    with open(folder + '/kezicon_de.ico', 'wb') as f:
        f.write(icon(kez_de, sizes))


if __name__ == '__main__':
    main()
