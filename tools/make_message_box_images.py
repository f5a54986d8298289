#!/usr/bin/env python3
"""Regenerates the message box's two pictures under resources/.

message_box_background.png: a 2 x 160 strip of translucent bands drawn over the box's own fill
(rows 0-95 header, 96 a divider, 97-128 body, 129-159 footer).
message_box_icons.png: five 40 x 40 icons side by side: hand (stop), exclamation, question,
asterisk (information) and user.
Standard library only and deterministic.
Usage: python3 tools/make_message_box_images.py [--out REPO_ROOT]
"""

import argparse
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_images import in_segment, in_upper_ring, mix, png_bytes, render, write  # noqa: E402

ICON = 40
ICON_KINDS = ("hand", "exclamation", "question", "asterisk", "user")
WHITE = (255, 255, 255, 255)


def background_rows():
    rows = []
    for y in range(160):
        if y <= 95:  # header: a light sheen fading towards the body
            colour = mix((255, 255, 255, 64), (255, 255, 255, 22), y / 95.0)
        elif y == 96:
            colour = (255, 255, 255, 90)
        elif y <= 128:  # body: a faint even veil
            colour = (255, 255, 255, 22)
        elif y == 129:
            colour = (255, 255, 255, 70)
        else:  # footer: darker, under the buttons
            colour = mix((0, 0, 0, 40), (0, 0, 0, 70), (y - 130) / 29.0)
        rows.append([colour, colour])
    return rows


def in_triangle(x, y, ax, ay, bx, by, cx, cy):
    def side(px, py, qx, qy):
        return (qx - px) * (y - py) - (qy - py) * (x - px)
    d1, d2, d3 = side(ax, ay, bx, by), side(bx, by, cx, cy), side(cx, cy, ax, ay)
    return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0)


def glyph(kind, x, y):
    """Colour of the icon of kind at (x, y) in its own 40 x 40 cell, or None."""
    c = 20.0
    r = math.hypot(x - c, y - c)
    if kind == "hand":
        if in_segment(x, y, 13, 13, 27, 27, 2.6) or in_segment(x, y, 13, 27, 27, 13, 2.6):
            return WHITE if r <= 17 else None
        return (214, 48, 49, 255) if r <= 17 else None
    if kind == "exclamation":
        if not in_triangle(x, y, 20, 3, 37, 35, 3, 35):
            return None
        if in_segment(x, y, 20, 13, 20, 24, 2.2) or math.hypot(x - 20, y - 30) <= 2.4:
            return (40, 30, 0, 255)
        return (250, 196, 40, 255)
    if kind == "question":
        if r > 17:
            return None
        if (in_upper_ring(x, y, 20, 15, 5.5, 1.9) or in_segment(x, y, 25.5, 15, 20, 21, 1.9) or
                in_segment(x, y, 20, 21, 20, 24, 1.9) or math.hypot(x - 20, y - 29.5) <= 2.2):
            return WHITE
        return (48, 120, 220, 255)
    if kind == "asterisk":
        if r > 17:
            return None
        if in_segment(x, y, 20, 18, 20, 30, 2.2) or math.hypot(x - 20, y - 11.5) <= 2.5:
            return WHITE
        return (30, 150, 200, 255)
    if kind == "user":
        if math.hypot(x - 20, y - 13) <= 7.5:
            return (90, 190, 120, 255)
        if y >= 23 and y <= 36 and math.hypot((x - 20) / 14.0, (y - 36) / 13.0) <= 1.0:
            return (90, 190, 120, 255)
        return None
    return None


def icon_scene(u, v):
    px, py = u * ICON * len(ICON_KINDS), v * ICON
    index = min(int(px // ICON), len(ICON_KINDS) - 1)
    return glyph(ICON_KINDS[index], px - index * ICON, py)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    root = parser.parse_args().out
    write(os.path.join(root, "resources", "message_box_background.png"),
          png_bytes(background_rows()))
    write(os.path.join(root, "resources", "message_box_icons.png"),
          png_bytes(render(ICON * len(ICON_KINDS), ICON, icon_scene, 4)))


if __name__ == "__main__":
    main()
