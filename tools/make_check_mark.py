#!/usr/bin/env python3
"""Regenerates resources/menu_check.png, the check mark of check-marked popup-menu entries.

A 20 x 20 picture drawn centred in a menu row's icon cell. Standard library only and deterministic.
Usage: python3 tools/make_check_mark.py [--out REPO_ROOT]
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_images import in_segment, png_bytes, render, write  # noqa: E402

SIZE = 20
INK = (34, 68, 102, 255)  # dark slate, readable on the light icon strip and the blue hot row


def check_scene(x, y):
    px, py = x * SIZE, y * SIZE
    if (in_segment(px, py, 5.0, 10.5, 8.5, 14.0, 1.1) or
            in_segment(px, py, 8.5, 14.0, 15.0, 6.0, 1.1)):
        return INK
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    root = parser.parse_args().out
    write(os.path.join(root, "resources", "menu_check.png"),
          png_bytes(render(SIZE, SIZE, check_scene, 4)))


if __name__ == "__main__":
    main()
