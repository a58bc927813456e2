#!/usr/bin/env python3
"""Draws the tool's icon, a handheld showing a map pin, as a 16-colour .ico (32x32 and 16x16).

usage: make-icon.py OUTPUT.ico
"""
import struct
import sys

# The standard 16-colour palette, so that the icon looks the same on every display depth.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, GREEN, TEAL, NAVY, SILVER, GRAY, RED, LIME, YELLOW, AQUA, WHITE = 0, 2, 6, 4, 7, 8, 9, 10, 11, 14, 15


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, fill, edge, round_corners=False):
        self.rect(x0, y0, x1, y1, edge)
        self.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)
        if round_corners:
            for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
                self.px[y][x] = None

    def points(self, colour, *xy):
        for x, y in xy:
            self.px[y][x] = colour


def draw_32():
    c = Canvas(32)
    c.frame(19, 0, 22, 3, GRAY, BLACK)                      # antenna
    c.frame(7, 2, 24, 31, NAVY, BLACK, round_corners=True)  # body
    c.frame(9, 4, 22, 19, WHITE, BLACK)                     # screen
    c.rect(10, 14, 14, 18, AQUA)                            # lake
    c.rect(17, 5, 21, 8, LIME)                              # park
    c.rect(10, 11, 21, 11, SILVER)                          # roads
    c.rect(13, 5, 13, 18, SILVER)
    c.rect(18, 9, 18, 18, SILVER)
    c.rect(14, 5, 17, 9, RED)                               # pin head
    c.rect(15, 6, 16, 7, WHITE)
    c.points(RED, (13, 6), (13, 7), (18, 6), (18, 7))
    c.rect(15, 10, 16, 11, RED)
    c.points(RED, (15, 12), (16, 12))
    c.points(BLACK, (15, 13), (16, 13))
    for y in (22, 25, 28):                                  # keypad
        for x in (10, 15, 20):
            c.rect(x, y, x + 1, y + 1, SILVER)
    c.rect(14, 21, 17, 21, TEAL)
    return c


def draw_16():
    c = Canvas(16)
    c.rect(10, 0, 11, 1, GRAY)
    c.frame(3, 1, 12, 15, NAVY, BLACK, round_corners=True)
    c.frame(4, 2, 11, 10, WHITE, BLACK)
    c.rect(5, 8, 6, 9, AQUA)
    c.rect(9, 3, 10, 4, LIME)
    c.rect(5, 6, 10, 6, SILVER)
    c.rect(6, 3, 8, 5, RED)
    c.points(WHITE, (7, 4))
    c.points(RED, (7, 6), (7, 7))
    c.points(BLACK, (7, 8))
    for y in (12, 14):
        c.points(SILVER, (5, y), (7, y), (8, y), (10, y))
    return c


def row_bytes(bits_per_pixel, width):
    return ((width * bits_per_pixel + 31) // 32) * 4


def encode(canvas):
    """One icon image: BITMAPINFOHEADER (double height), palette, XOR bits, AND mask, bottom-up."""
    n = canvas.size
    xor_stride, and_stride = row_bytes(4, n), row_bytes(1, n)
    xor, mask = bytearray(), bytearray()
    for row in reversed(canvas.px):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, colour in enumerate(row):
            index = BLACK if colour is None else colour
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if colour is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def main():
    images = [(32, encode(draw_32())), (16, encode(draw_16()))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
