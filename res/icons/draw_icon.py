#!/usr/bin/env python3
"""Draws icon 128 of File Manager: a folder with a small bar chart in front of it.

Writes mainframe-32.png and mainframe-16.png (4-bit palette PNGs, 16 colours, one of them
transparent) for the Qt resources, and mainframe.ico (4-bit images with a transparency mask)
for the Windows build. Run it again after changing the drawing; the outputs are committed.
"""
import os
import struct
import zlib

# The classic 16-colour palette; fuchsia's slot serves as the transparent colour.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
CLEAR, BLACK, OLIVE, YELLOW, WHITE = 13, 0, 3, 11, 15
RED, GREEN, BLUE, GRAY = 9, 2, 12, 8


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def rect(img, x0, y0, x1, y1, fill, outline=None):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            edge = x in (x0, x1) or y in (y0, y1)
            img[y][x] = outline if (edge and outline is not None) else fill


def draw_small():
    img = canvas(16)
    rect(img, 1, 2, 6, 4, OLIVE, BLACK)
    rect(img, 1, 4, 14, 14, OLIVE, BLACK)
    rect(img, 2, 6, 13, 13, YELLOW)
    for x, top, colour in [(3, 7, RED), (6, 9, GREEN), (9, 11, BLUE)]:
        rect(img, x, top, x + 2, 13, colour, BLACK)
    return img


def draw(size):
    if size == 16:
        return draw_small()
    img = canvas(size)
    s = size / 32.0

    def p(v):
        return int(round(v * s))

    # Folder: tab, back and front.
    rect(img, p(2), p(5), p(12), p(9), OLIVE, BLACK)
    rect(img, p(2), p(8), p(29), p(27), OLIVE, BLACK)
    rect(img, p(3), p(11), p(28), p(26), YELLOW, BLACK)
    # Bar chart in front: largest first, as the table sorts.
    base = p(24)
    bars = [(p(7), p(13), RED), (p(14), p(17), GREEN), (p(21), p(20), BLUE)]
    width = max(p(5) - 1, 2)
    for x, top, colour in bars:
        rect(img, x, top, x + width, base, colour, BLACK)
    # A white highlight on the folder's front edge.
    for x in range(p(4), p(28)):
        if img[p(12)][x] == YELLOW:
            img[p(12)][x] = WHITE
    return img


def png(img, path):
    size = len(img)
    raw = b""
    for row in img:
        line = bytearray([0])
        for i in range(0, size, 2):
            line.append((row[i] << 4) | row[i + 1])
        raw += bytes(line)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    plte = b"".join(bytes(c) for c in PALETTE)
    trns = bytes(255 if i != CLEAR else 0 for i in range(16))
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0))
    data += chunk(b"PLTE", plte) + chunk(b"tRNS", trns)
    data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def ico_image(img):
    size = len(img)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor = b""
    mask = b""
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(img):
        line = bytearray()
        for i in range(0, size, 2):
            a = BLACK if row[i] == CLEAR else row[i]
            b = BLACK if row[i + 1] == CLEAR else row[i + 1]
            line.append((a << 4) | b)
        xor += bytes(line)
        bits = bytearray(mask_stride)
        for x, v in enumerate(row):
            if v == CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + palette + xor + mask


def ico(images, path):
    data = struct.pack("<HHH", 0, 1, len(images))
    blobs = [ico_image(img) for img in images]
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        size = len(img)
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(data + b"".join(blobs))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    big, small = draw(32), draw(16)
    png(big, os.path.join(here, "mainframe-32.png"))
    png(small, os.path.join(here, "mainframe-16.png"))
    ico([big, small], os.path.join(here, "mainframe.ico"))


if __name__ == "__main__":
    main()
