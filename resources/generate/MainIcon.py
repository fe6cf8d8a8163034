#!/usr/bin/env python3
"""Draws the program's icon: a yellow torpedo on blue. resources/MainIcon.png, 64 x 64, is the
window's icon; resources/icons/ holds the same picture at the sizes of the desktop's icon theme.

Run it from anywhere after changing the picture; the PNG files are checked in, so the build
does not need Python. The shapes are drawn on a 64-unit square whatever the size, and tested
per pixel on a 4 x 4 grid of samples for smooth edges.
"""
import math
import os
import struct
import zlib

SIZE = 64
THEME_SIZES = (16, 24, 32, 48, 64, 128, 256, 512)
SAMPLES = 4
BLUE = (30, 90, 170)
DEEP = (20, 60, 130)
YELLOW = (255, 221, 0)
SHADE = (214, 170, 0)
FIN = (200, 150, 0)


def along(x, y):
    """Coordinates in the torpedo's frame: u along its axis (tail 0 to nose 1), v across."""
    tail, nose = (12.0, 52.0), (52.0, 12.0)
    dx, dy = nose[0] - tail[0], nose[1] - tail[1]
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    px, py = x - tail[0], y - tail[1]
    return (px * ux + py * uy) / length, (-px * uy + py * ux), length


def colour_at(x, y):
    u, v, length = along(x, y)
    half = 7.0
    # The body: a cylinder with a rounded nose; the upper side lit, the lower side shaded.
    if 0.12 <= u <= 0.82 and abs(v) <= half:
        return YELLOW if v < 2.5 else SHADE
    if u > 0.82:
        nose_len = 0.18 * length
        t = (u - 0.82) * length / nose_len
        if t <= 1 and abs(v) <= half * math.sqrt(max(0.0, 1 - t * t)):
            return YELLOW if v < 2.5 else SHADE
    # The tail fins: a wedge wider than the body behind it, and the propeller disc.
    if 0.02 <= u < 0.2 and abs(v) <= half + (0.2 - u) * 45:
        return FIN
    if 0.0 <= u < 0.05 and abs(v) <= 4:
        return DEEP
    # The sea: lighter towards the top.
    k = y / (SIZE - 1)
    return tuple(round(BLUE[i] * (1 - 0.35 * k) + DEEP[i] * 0.35 * k) for i in range(3))


def render(pixels):
    unit = SIZE / pixels
    rows = []
    for y in range(pixels):
        row = bytearray()
        for x in range(pixels):
            acc = [0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((x + (sx + 0.5) / SAMPLES) * unit, (y + (sy + 0.5) / SAMPLES) * unit)
                    for i in range(3):
                        acc[i] += c[i]
            n = SAMPLES * SAMPLES
            row += bytes(round(a / n) for a in acc) + b"\xff"
        rows.append(bytes(row))
    return rows


def png(rows, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + r for r in rows)
    header = struct.pack(">IIBBBBB", pixels, pixels, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def write(path, pixels):
    with open(path, "wb") as f:
        f.write(png(render(pixels), pixels))


if __name__ == "__main__":
    resources = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    write(os.path.join(resources, "MainIcon.png"), SIZE)
    os.makedirs(os.path.join(resources, "icons"), exist_ok=True)
    for pixels in THEME_SIZES:
        write(os.path.join(resources, "icons", "%dx%d.png" % (pixels, pixels)), pixels)
