#!/usr/bin/env python3
"""Regenerates the program icon, the two tray icons and the local web host's advert pictures.

Standard library only and deterministic, so the committed bytes change only when this file does.
Usage: python3 tools/make_images.py [--out REPO_ROOT]
"""

import argparse
import math
import os
import struct
import zlib

ICON_SIZES = (16, 20, 24, 28, 32, 36, 40, 44, 48, 52, 56, 64)
ADVERT_SIZE = (334, 82)  # the main window's advert image control

# Shapes are tested in unit coordinates (0..1 across the picture) and sampled several times per
# pixel, which gives smooth edges without a real rasteriser.


def in_rounded_rect(x, y, x0, y0, x1, y1, radius):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    dx = max(x0 + radius - x, 0.0, x - (x1 - radius))
    dy = max(y0 + radius - y, 0.0, y - (y1 - radius))
    return dx * dx + dy * dy <= radius * radius


def in_segment(x, y, ax, ay, bx, by, half_width):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)))
    px, py = ax + t * vx - x, ay + t * vy - y
    return px * px + py * py <= half_width * half_width


def in_upper_ring(x, y, cx, cy, radius, half_width):
    distance = math.hypot(x - cx, y - cy)
    return y <= cy and abs(distance - radius) <= half_width


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(len(a)))


def render(width, height, scene, samples):
    """Returns rows of straight RGBA tuples; scene(u, v) gives the colour at a unit point."""
    rows = []
    count = samples * samples
    for py in range(height):
        row = []
        for px in range(width):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    colour = scene((px + (sx + 0.5) / samples) / width,
                                   (py + (sy + 0.5) / samples) / height)
                    if colour is not None:
                        weight = colour[3] / 255.0
                        r += colour[0] * weight
                        g += colour[1] * weight
                        b += colour[2] * weight
                        a += colour[3]
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                coverage = a / 255.0
                row.append((round(r / coverage), round(g / coverage), round(b / coverage),
                            round(a / count)))
        rows.append(row)
    return rows


def bridge_scene(top, bottom, structure, bird):
    """The Larkbridge mark: an arch bridge with a small lark above it on a rounded square."""

    def scene(x, y):
        if in_upper_ring(x, y, 0.63, 0.24, 0.08, 0.035) or \
                in_upper_ring(x, y, 0.79, 0.24, 0.08, 0.035):
            return bird  # a gliding lark: two raised wings
        deck = 0.10 <= x <= 0.90 and abs(y - 0.70) <= 0.045
        arch = in_upper_ring(x, y, 0.5, 0.70, 0.33, 0.05)
        hangers = any(abs(x - hx) <= 0.022 and 0.40 <= y <= 0.70 for hx in (0.36, 0.5, 0.64))
        piers = any(abs(x - px) <= 0.04 and 0.70 <= y <= 0.86 for px in (0.17, 0.83))
        if deck or arch or hangers or piers:
            return structure
        if in_rounded_rect(x, y, 0.02, 0.02, 0.98, 0.98, 0.2):
            return mix(top, bottom, y) + (255,)
        return None

    return scene


# 5x7 capitals and digits for the advert captions: only the characters they use.
GLYPHS = {
    "A": ("01110", "10001", "10001", "11111", "10001", "10001", "10001"),
    "B": ("11110", "10001", "10001", "11110", "10001", "10001", "11110"),
    "D": ("11110", "10001", "10001", "10001", "10001", "10001", "11110"),
    "E": ("11111", "10000", "10000", "11110", "10000", "10000", "11111"),
    "G": ("01111", "10000", "10000", "10111", "10001", "10001", "01111"),
    "I": ("01110", "00100", "00100", "00100", "00100", "00100", "01110"),
    "K": ("10001", "10010", "10100", "11000", "10100", "10010", "10001"),
    "L": ("10000", "10000", "10000", "10000", "10000", "10000", "11111"),
    "N": ("10001", "11001", "10101", "10011", "10001", "10001", "10001"),
    "O": ("01110", "10001", "10001", "10001", "10001", "10001", "01110"),
    "P": ("11110", "10001", "10001", "11110", "10000", "10000", "10000"),
    "R": ("11110", "10001", "10001", "11110", "10100", "10010", "10001"),
    "S": ("01111", "10000", "10000", "01110", "00001", "00001", "11110"),
    "T": ("11111", "00100", "00100", "00100", "00100", "00100", "00100"),
    "V": ("10001", "10001", "10001", "10001", "10001", "01010", "00100"),
    "1": ("00100", "01100", "00100", "00100", "00100", "00100", "01110"),
    "2": ("01110", "10001", "00001", "00010", "00100", "01000", "11111"),
    "3": ("11110", "00001", "00001", "01110", "00001", "00001", "11110"),
    " ": ("00000",) * 7,
}


def text_pixels(text, left, top, scale):
    """Advert pixels (x, y) covered by text drawn with each font dot scale x scale pixels."""
    pixels = set()
    for index, char in enumerate(text):
        for row, bits in enumerate(GLYPHS[char]):
            for column, bit in enumerate(bits):
                if bit == "1":
                    x0, y0 = left + (index * 6 + column) * scale, top + row * scale
                    pixels.update((x0 + dx, y0 + dy) for dx in range(scale) for dy in range(scale))
    return pixels


def advert_scene(number, accent):
    width, height = ADVERT_SIZE
    big = text_pixels(f"ADVERT {number}", 96, 14, 4)
    small = text_pixels("LARKBRIDGE PARTNER", 96, 52, 2)
    mark = bridge_scene((20, 60, 110), (10, 30, 70), (235, 240, 250, 255), accent + (255,))

    def scene(x, y):
        px, py = x * width, y * height
        if 16 <= px < 80 and 9 <= py < 73:
            colour = mark((px - 16) / 64, (py - 9) / 64)
            if colour is not None:
                return colour
        if (int(px), int(py)) in big:
            return accent + (255,)
        if (int(px), int(py)) in small:
            return (200, 210, 225, 255)
        stripe = (int(px + py) // 12) % 2 == 0 and px > 300
        base = mix((28, 32, 44), (16, 18, 26), y)
        return (mix(base, accent, 0.18) if stripe else base) + (255,)

    return scene


def png_bytes(rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib_bytes(rows):
    """An icon image as a 32-bit DIB: header, bottom-up BGRA rows, then the 1-bit AND mask."""
    size = len(rows)
    mask_stride = ((size + 31) // 32) * 4
    pixels = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    mask = b""
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    return header + pixels + mask


def ico_bytes(images):
    """An ICO container of square images (rows); every entry a 32-bit DIB, which all readers take."""
    entries = [dib_bytes(rows) for rows in images]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for rows, data in zip(images, entries):
        size = len(rows) % 256
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(entries)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print(f"{path}: {len(data)} bytes")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    root = parser.parse_args().out

    program = bridge_scene((64, 150, 240), (24, 78, 170), (255, 255, 255, 255), (255, 204, 64, 255))
    write(os.path.join(root, "resources", "larkbridge.ico"),
          ico_bytes([render(size, size, program, 4) for size in ICON_SIZES]))

    idle = bridge_scene((150, 154, 160), (100, 104, 110), (232, 234, 236, 255),
                        (210, 212, 215, 255))
    running = bridge_scene((70, 220, 100), (20, 150, 60), (255, 255, 255, 255),
                           (255, 236, 80, 255))
    write(os.path.join(root, "resources", "tray_idle.ico"), ico_bytes([render(16, 16, idle, 4)]))
    write(os.path.join(root, "resources", "tray_running.ico"),
          ico_bytes([render(16, 16, running, 4)]))

    accents = {1: (0, 220, 230), 2: (255, 190, 60), 3: (120, 230, 120)}
    width, height = ADVERT_SIZE
    for number, accent in accents.items():
        write(os.path.join(root, "webhost", "site", "gg", f"gg{number}.png"),
              png_bytes(render(width, height, advert_scene(number, accent), 2)))


if __name__ == "__main__":
    main()
