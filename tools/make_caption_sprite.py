#!/usr/bin/env python3
"""Regenerates resources/caption_sprite.png, the strip of caption-button glyphs.

Each button kind has three cells side by side (normal, hover, pressed); the cells are read at
(x, 2, width, 19) by the caption buttons. Standard library only and deterministic.
Usage: python3 tools/make_caption_sprite.py [--out REPO_ROOT]
"""

import argparse
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_images import in_rounded_rect, in_segment, in_upper_ring, png_bytes, render, write  # noqa: E402

WIDTH, HEIGHT = 729, 20
CELL_TOP, CELL_BOTTOM = 2.0, 20.0
GLYPH_Y = 11.0  # vertical centre of every glyph

# (kind, x of the normal, hover and pressed cells, cell width)
CELLS = [("close", (0, 40, 80), 39)] + [
    (kind, (120 + 87 * i, 149 + 87 * i, 178 + 87 * i), 28)
    for i, kind in enumerate(("maximize", "restore", "minimize", "menu", "more", "theme", "help"))
]

GLYPH = (232, 234, 238, 235)
GLYPH_ACTIVE = (255, 255, 255, 255)
BACKGROUNDS = {
    "close": (None, (224, 52, 52, 235), (170, 30, 30, 245)),
    "other": (None, (255, 255, 255, 56), (255, 255, 255, 100)),
}


def in_outline(x, y, x0, y0, x1, y1, top_thickness, thickness):
    inside = x0 <= x <= x1 and y0 <= y <= y1
    inner = x0 + thickness <= x <= x1 - thickness and y0 + top_thickness <= y <= y1 - thickness
    return inside and not inner


def in_glyph(kind, x, y, cx, cy):
    """Whether the point (x, y) lies on the glyph of kind centred at (cx, cy)."""
    if kind == "close":
        return (in_segment(x, y, cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5, 0.75) or
                in_segment(x, y, cx - 4.5, cy + 4.5, cx + 4.5, cy - 4.5, 0.75))
    if kind == "maximize":
        return in_outline(x, y, cx - 5, cy - 4.5, cx + 5, cy + 4.5, 2, 1)
    if kind == "restore":
        front = in_outline(x, y, cx - 5, cy - 2, cx + 3, cy + 4.5, 2, 1)
        behind = in_outline(x, y, cx - 3, cy - 4.5, cx + 5, cy + 2, 1, 1)
        covered = cx - 5 <= x <= cx + 3 and cy - 2 <= y <= cy + 4.5
        return front or (behind and not covered)
    if kind == "minimize":
        return cx - 5 <= x <= cx + 5 and cy + 3 <= y <= cy + 4.5
    if kind == "menu":
        return cx - 5 <= x <= cx + 5 and any(abs(y - (cy + d)) <= 0.6 for d in (-3.5, 0, 3.5))
    if kind == "more":
        return (in_segment(x, y, cx - 4.5, cy - 2, cx, cy + 2.5, 0.8) or
                in_segment(x, y, cx, cy + 2.5, cx + 4.5, cy - 2, 0.8))
    if kind == "theme":
        distance = math.hypot(x - cx, y - cy)
        return abs(distance - 4.5) <= 0.7 or (distance <= 4.5 and x <= cx)
    if kind == "help":
        return (in_upper_ring(x, y, cx, cy - 2, 3, 0.75) or
                in_segment(x, y, cx + 3, cy - 2, cx, cy + 1.5, 0.75) or
                in_segment(x, y, cx, cy + 1.5, cx, cy + 2.5, 0.75) or
                math.hypot(x - cx, y - (cy + 4.6)) <= 0.95)
    return False


def sprite_scene(x, y):
    px, py = x * WIDTH, y * HEIGHT
    for kind, starts, width in CELLS:
        for state, start in enumerate(starts):
            if not start <= px < start + width:
                continue
            lx = px - start
            if in_glyph(kind, lx, py, width / 2.0, GLYPH_Y):
                return GLYPH if state == 0 else GLYPH_ACTIVE
            background = BACKGROUNDS["close" if kind == "close" else "other"][state]
            if background and in_rounded_rect(lx, py, 0.5, CELL_TOP, width - 0.5, CELL_BOTTOM, 2):
                return background
            return None
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    root = parser.parse_args().out
    write(os.path.join(root, "resources", "caption_sprite.png"),
          png_bytes(render(WIDTH, HEIGHT, sprite_scene, 4)))


if __name__ == "__main__":
    main()
