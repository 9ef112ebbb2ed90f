#!/usr/bin/env python3
"""Draws the About box picture (680 x 337, RGB PNG) into module/resources/about_picture.png.

The picture is the module's own artwork: a night-blue backdrop, a chain of bone ellipsoids with
their soft influence halos, and two plates where the About box's link regions lie. The texts
are drawn over it at run time. Standard library only; run it again after changing the design.
"""
import math
import os
import struct
import zlib

W, H = 680, 337


def lerp(a, b, s):
    return a + (b - a) * s


def mix(c0, c1, s):
    s = max(0.0, min(1.0, s))
    return tuple(lerp(x, y, s) for x, y in zip(c0, c1))


# Bone ellipsoids: centre, semi-axes, rotation (radians).
BONES = [
    ((455, 95), (70, 22), -0.35),
    ((560, 60), (48, 16), -0.15),
    ((420, 200), (85, 26), 0.55),
    ((560, 255), (60, 19), 0.25),
    ((640, 180), (34, 12), 1.2),
]
# Plates behind link regions 2 and 3 (client pixels: left, top, right, bottom).
PLATES = [(20, 240, 110, 280), (130, 240, 320, 280)]


def ellipse_distance(x, y, centre, axes, angle):
    dx, dy = x - centre[0], y - centre[1]
    c, s = math.cos(angle), math.sin(angle)
    u, v = dx * c + dy * s, -dx * s + dy * c
    return math.sqrt((u / axes[0]) ** 2 + (v / axes[1]) ** 2)


def pixel(x, y):
    top, bottom = (10, 18, 48), (34, 58, 104)
    colour = mix(top, bottom, y / (H - 1))
    # A faint diagonal sheen.
    colour = mix(colour, (60, 90, 150), 0.25 * max(0.0, 1.0 - abs((x - y * 1.6) - 180) / 260))
    for centre, axes, angle in BONES:
        d = ellipse_distance(x, y, centre, axes, angle)
        if d < 1.0:
            colour = mix((235, 196, 120), (255, 236, 190), 1.0 - d)
        elif d < 2.2:
            colour = mix(colour, (120, 170, 230), 0.45 * (2.2 - d) / 1.2)
    for left, top_, right, bottom_ in PLATES:
        if left <= x < right and top_ <= y < bottom_:
            edge = min(x - left, right - 1 - x, y - top_, bottom_ - 1 - y)
            colour = mix(colour, (70, 110, 170), 0.8 if edge > 1 else 1.0)
    return bytes(int(round(c)) for c in colour)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    rows = bytearray()
    for y in range(H):
        line = b"".join(pixel(x, y) for x in range(W))
        # Sub filter: each byte minus the byte of the pixel to its left.
        filtered = bytearray(line[:3])
        for i in range(3, len(line)):
            filtered.append((line[i] - line[i - 3]) & 0xFF)
        rows += b"\x01" + filtered
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    out = os.path.join(os.path.dirname(__file__), "..", "module", "resources", "about_picture.png")
    with open(out, "wb") as f:
        f.write(png)
    print(f"{os.path.normpath(out)}: {len(png)} bytes")


if __name__ == "__main__":
    main()
