#!/usr/bin/env python3
"""Draws the program's artwork and writes res/snarvik.ico and res/snarvik.cur.

The icon is a pair of opened scissors (blades up, blue handles) in the 16 standard
colours, drawn for each size: as 256-colour images at 19x19 (the window's icon), 16x16 and
32x32, and as 32-bit images with an alpha channel at the other sizes the notification area
asks for at common scalings: 20 (125 %), 24 (150 %), 40 (250 %) and 48 (300 %). (Wine hands
a tray icon's mask to its taskbar cut short unless the width is a multiple of 16; with an
alpha channel the mask is not used.) The cursor is a 32x32 monochrome arrow with a diamond cross-hair
below it, hot spot at the arrow's tip (0, 0).
"""
import math
import struct
import sys
from pathlib import Path

# The 16 standard system colours, in palette order.
STANDARD = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GRAY, BLUE, WHITE = 0, 4, 7, 8, 12, 15
CLEAR = None


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def scissors(size):
    """Colour index (or CLEAR) per pixel, rows top to bottom."""
    pivot = (0.5, 0.56)
    blades = [((0.20, 0.04), (0.62, 0.70)), ((0.80, 0.04), (0.38, 0.70))]
    rings = [(0.27, 0.80), (0.73, 0.80)]
    ring_radius, ring_width = 0.155, 0.075
    blade_width = max(0.055, 0.9 / size)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            u, v = (x + 0.5) / size, (y + 0.5) / size
            colour = CLEAR
            for (cx, cy) in rings:
                d = math.hypot(u - cx, v - cy)
                if abs(d - ring_radius) <= ring_width / 2:
                    colour = BLUE if abs(d - ring_radius) <= ring_width / 2 - 0.9 / size else NAVY
            for (a, b) in blades:
                d = segment_distance(u, v, a[0], a[1], b[0], b[1])
                if d <= blade_width:
                    colour = SILVER if d <= blade_width - 0.9 / size else GRAY
            if math.hypot(u - pivot[0], v - pivot[1]) <= max(0.05, 0.8 / size):
                colour = BLACK
            row.append(colour)
        rows.append(row)
    return rows


def icon_image(pixels):
    """A 256-colour icon image: BITMAPINFOHEADER, palette, XOR bits, AND mask."""
    height, width = len(pixels), len(pixels[0])
    xor_stride = (width + 3) & ~3
    and_stride = ((width + 31) // 32) * 4
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 8, 0,
                         (xor_stride + and_stride) * height, 0, 0, 256, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in STANDARD)
    palette += b'\0' * (4 * (256 - len(STANDARD)))
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        xor += bytes(0 if c is CLEAR else c for c in row) + b'\0' * (xor_stride - width)
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + palette + bytes(xor) + bytes(mask)


def icon_image_32(pixels):
    """The same picture as a 32-bit image with an alpha channel (and the AND mask)."""
    height, width = len(pixels), len(pixels[0])
    and_stride = ((width + 31) // 32) * 4
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 32, 0,
                         (width * 4 + and_stride) * height, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        for c in row:
            colour += b'\0\0\0\0' if c is CLEAR else bytes(STANDARD[c][::-1]) + b'\xff'
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def container(kind, images, hotspot=(0, 0)):
    """An .ico (kind 1) or .cur (kind 2) file holding the given (width, height, colours, bpp, bytes)."""
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for (width, height, colours, bpp, data) in images:
        planes, bits = (1, bpp) if kind == 1 else hotspot
        out += struct.pack('<BBBBHHII', width % 256, height % 256, colours % 256, 0, planes, bits,
                           len(data), offset)
        offset += len(data)
        body += data
    return out + body


ARROW = [
    "X", "XX", "XWX", "XWWX", "XWWWX", "XWWWWX", "XWWWWWX", "XWWWWWWX", "XWWWWWWWX",
    "XWWWWWWWWX", "XWWWWWWWWWX", "XWWWWWWXXXXX", "XWWWXWWX", "XWWXXWWX", "XWX  XWWX",
    "XX   XWWX", "X     XWWX", "      XWWX", "       XX",
]


def cursor_pixels():
    """'X' black, 'W' white, ' ' transparent, 32x32."""
    grid = [[' '] * 32 for _ in range(32)]
    for y, line in enumerate(ARROW):
        for x, ch in enumerate(line):
            grid[y][x] = ch
    cx, cy, rx, ry = 14, 23, 8.5, 7.5
    for y in range(32):
        for x in range(32):
            d = abs(x - cx) / rx + abs(y - cy) / ry
            if d <= 1.0:
                grid[y][x] = 'W' if d <= 0.8 else 'X'
    for x in range(cx - 4, cx + 5):
        grid[cy][x] = 'X'
    for y in range(cy - 4, cy + 5):
        grid[y][cx] = 'X'
    return grid


def cursor_image(grid):
    """A monochrome cursor image: header, 2-entry palette, XOR bits, AND bits."""
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, 256, 0, 0, 2, 0)
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(grid):
        x_bits, a_bits = bytearray(4), bytearray(4)
        for x, ch in enumerate(row):
            if ch == 'W':
                x_bits[x // 8] |= 0x80 >> (x % 8)
            if ch == ' ':
                a_bits[x // 8] |= 0x80 >> (x % 8)
        xor += x_bits
        mask += a_bits
    return header + palette + bytes(xor) + bytes(mask)


def main():
    res = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / 'res')
    images = [(n, n, 0, 8, icon_image(scissors(n))) for n in (19, 16, 32)]
    images += [(n, n, 0, 32, icon_image_32(scissors(n))) for n in (20, 24, 40, 48)]
    (res / 'snarvik.ico').write_bytes(container(1, images))
    (res / 'snarvik.cur').write_bytes(container(2, [(32, 32, 2, 1, cursor_image(cursor_pixels()))]))


if __name__ == '__main__':
    main()
