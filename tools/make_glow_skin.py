#!/usr/bin/env python3
"""Regenerates resources/glow_button.png, the skin shared by every glow button.

Four 13 x 28 frames side by side at x = 0, 14, 28 and 42 (normal, hover or focused, pressed and a
spare one): light grey-blue fills with soft dark-blue borders. The buttons stretch the centre of a
frame, so only its edges and corners need care. Standard library only and deterministic.
Usage: python3 tools/make_glow_skin.py [--out REPO_ROOT]
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_images import in_rounded_rect, mix, png_bytes, render, write  # noqa: E402

WIDTH, HEIGHT = 55, 28
FRAME_WIDTH = 13
FRAME_STARTS = (0, 14, 28, 42)

# (border, fill at the top, fill at the bottom) per frame, straight RGBA.
FRAMES = (
    ((52, 84, 140, 230), (236, 241, 248, 250), (208, 218, 232, 250)),
    ((40, 92, 170, 240), (244, 248, 255, 252), (214, 228, 248, 252)),
    ((34, 64, 120, 245), (188, 202, 224, 252), (216, 226, 240, 252)),
    ((120, 132, 150, 200), (230, 232, 236, 220), (214, 218, 224, 220)),
)


def skin_scene(x, y):
    px, py = x * WIDTH, y * HEIGHT
    for (border, top, bottom), start in zip(FRAMES, FRAME_STARTS):
        if not start <= px < start + FRAME_WIDTH:
            continue
        lx = px - start
        # The last three rows stay clear: the button keeps them for its bottom shade.
        if not in_rounded_rect(lx, py, 0.0, 0.0, FRAME_WIDTH, HEIGHT - 3.0, 3.0):
            if in_rounded_rect(lx, py, 1.0, 1.0, FRAME_WIDTH - 1.0, HEIGHT - 1.5, 3.0):
                return (20, 40, 80, 40)  # soft shade under the button
            return None
        if in_rounded_rect(lx, py, 1.0, 1.0, FRAME_WIDTH - 1.0, HEIGHT - 4.0, 2.0):
            return mix(top, bottom, py / HEIGHT)
        return border
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    root = parser.parse_args().out
    write(os.path.join(root, "resources", "glow_button.png"),
          png_bytes(render(WIDTH, HEIGHT, skin_scene, 4)))


if __name__ == "__main__":
    main()
