#!/usr/bin/env python3
"""Regenerates the pictures of the three application windows under resources/.

Window background, caption glyphs, button frames, the advert placeholder, node frames, service
logos, the about picture and the site button. Standard library only and deterministic.
Usage: python3 tools/make_window_images.py [--out REPO_ROOT]
"""

import argparse
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_images import (GLYPHS, in_rounded_rect, in_segment, mix, png_bytes, render,  # noqa: E402
                         text_pixels, write)

GLYPHS.update({
    "C": ("01111", "10000", "10000", "10000", "10000", "10000", "01111"),
    "H": ("10001", "10001", "10001", "11111", "10001", "10001", "10001"),
    "U": ("10001", "10001", "10001", "10001", "10001", "10001", "01110"),
    "Y": ("10001", "10001", "01010", "00100", "00100", "00100", "00100"),
})

WHITE = (255, 255, 255)
CYAN = (0, 220, 255)


def solid(colour):
    return lambda x, y: colour


def outline(width, height, colour, radius, thickness, fill=None):
    """A rounded rectangle outline, `thickness` pixels wide, inside a width x height picture."""
    t = thickness

    def scene(x, y):
        px, py = x * width, y * height
        outer = in_rounded_rect(px, py, 0.5, 0.5, width - 0.5, height - 0.5, radius)
        inner = in_rounded_rect(px, py, 0.5 + t, 0.5 + t, width - 0.5 - t, height - 0.5 - t,
                                max(radius - t, 0.0))
        if outer and not inner:
            return colour
        return fill if inner else None

    return scene


def bar(colour):
    return lambda x, y: colour if 0.31 <= x <= 0.69 and abs(y - 0.52) <= 0.04 else None


def cross(colour):
    def scene(x, y):
        if in_segment(x, y, 0.33, 0.33, 0.67, 0.67, 0.045) or \
                in_segment(x, y, 0.67, 0.33, 0.33, 0.67, 0.045):
            return colour
        return None

    return scene


def placeholder():
    width, height = 334, 82
    caption = text_pixels("YOUR ADVERT HERE", 71, 26, 2)
    contact = text_pixels("CONTACT LARKBRIDGE", 113, 50, 1)

    def scene(x, y):
        px, py = int(x * width), int(y * height)
        if (px, py) in caption:
            return CYAN + (255,)
        if (px, py) in contact:
            return (120, 200, 220, 255)
        return mix((30, 34, 46), (20, 22, 30), y) + (255,)

    return scene


def steam_logo(x, y):
    # A piston rod joining two bearings: an original mark for the Steam entry.
    if in_segment(x, y, 0.30, 0.68, 0.66, 0.36, 0.07) or math.hypot(x - 0.68, y - 0.34) <= 0.16:
        return WHITE + (255,)
    if math.hypot(x - 0.28, y - 0.70) <= 0.12:
        return WHITE + (255,)
    return (23, 42, 74, 255) if math.hypot(x - 0.5, y - 0.5) <= 0.49 else None


def uplay_logo(x, y):
    # A swirl: an open ring with a dot, for the Uplay entry.
    d = math.hypot(x - 0.5, y - 0.5)
    if abs(d - 0.28) <= 0.07 and not (x > 0.5 and y < 0.5):
        return WHITE + (255,)
    if math.hypot(x - 0.5, y - 0.5) <= 0.08:
        return WHITE + (255,)
    return (0, 112, 255, 255) if d <= 0.49 else None


def origin_logo(x, y):
    # A ring with a short flare, for the Origin entry.
    d = math.hypot(x - 0.5, y - 0.52)
    if abs(d - 0.26) <= 0.08 or in_segment(x, y, 0.5, 0.08, 0.62, 0.2, 0.05):
        return (255, 120, 30, 255)
    return None


def nexon_logo(x, y):
    # A bold N on a dark square, for the Nexon entry.
    if in_segment(x, y, 0.28, 0.25, 0.28, 0.75, 0.07) or \
            in_segment(x, y, 0.72, 0.25, 0.72, 0.75, 0.07) or \
            in_segment(x, y, 0.28, 0.25, 0.72, 0.75, 0.07):
        return WHITE + (255,)
    return (40, 40, 48, 255) if in_rounded_rect(x, y, 0.02, 0.02, 0.98, 0.98, 0.2) else None


def wrench(x, y):
    # A white wrench across a blue rounded square.
    head = math.hypot(x - 0.34, y - 0.34) <= 0.17 and not (
        in_segment(x, y, 0.30, 0.30, 0.12, 0.12, 0.07))
    handle = in_segment(x, y, 0.38, 0.38, 0.76, 0.76, 0.07)
    if head or handle:
        return WHITE + (255,)
    if in_rounded_rect(x, y, 0.02, 0.02, 0.98, 0.98, 0.18):
        return mix((40, 140, 245), (20, 90, 200), y) + (255,)
    return None


def site_button(top, bottom):
    return lambda x, y: (mix(top, bottom, y) + (255,)
                         if in_rounded_rect(x * 98, y * 29, 0.5, 0.5, 97.5, 28.5, 5) else None)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    out = os.path.join(parser.parse_args().out, "resources")

    pictures = {
        "window_background.png": (350, 350, solid((18, 30, 56, 255)), 1),
        "minimise.png": (26, 26, bar(WHITE + (230,)), 4),
        "minimise_lit.png": (26, 26, bar(CYAN + (255,)), 4),
        "close.png": (26, 26, cross(WHITE + (230,)), 4),
        "close_lit.png": (26, 26, cross((255, 120, 120, 255)), 4),
        "start_frame.png": (43, 36, outline(43, 36, WHITE + (40,), 3, 1), 2),
        "start_frame_lit.png": (43, 36, outline(43, 36, CYAN + (110,), 3, 1, (0, 160, 255, 24)), 2),
        "stop_frame.png": (43, 36, outline(43, 36, WHITE + (40,), 3, 1), 2),
        "stop_frame_lit.png": (43, 36, outline(43, 36, (255, 140, 90, 120), 3, 1,
                                               (255, 120, 60, 24)), 2),
        "square_frame.png": (55, 55, outline(55, 55, WHITE + (50,), 2, 1), 2),
        "square_frame_lit.png": (55, 55, outline(55, 55, (40, 150, 255, 230), 8, 1.5,
                                                 (40, 150, 255, 30)), 2),
        "advert_placeholder.png": (334, 82, placeholder(), 1),
        "node_frame.png": (74, 56, outline(74, 56, (40, 70, 130, 255), 3, 1), 2),
        "node_frame_lit.png": (74, 56, outline(74, 56, (60, 170, 255, 255), 3, 1.5,
                                               (60, 170, 255, 30)), 2),
        "node_frame2.png": (74, 56, outline(74, 56, (110, 110, 118, 255), 3, 1), 2),
        "node_frame2_lit.png": (74, 56, outline(74, 56, (255, 150, 40, 255), 3, 1.5,
                                                (255, 150, 40, 30)), 2),
        "logo_steam.png": (20, 20, steam_logo, 4),
        "logo_uplay.png": (20, 20, uplay_logo, 4),
        "logo_origin.png": (22, 22, origin_logo, 4),
        "logo_nexon.png": (20, 20, nexon_logo, 4),
        "about_wrench.png": (80, 80, wrench, 3),
        "site_button.png": (98, 29, site_button((30, 120, 230), (20, 90, 200)), 2),
        "site_button_lit.png": (98, 29, site_button((80, 165, 255), (50, 130, 240)), 2),
    }
    for name, (width, height, scene, samples) in pictures.items():
        write(os.path.join(out, name), png_bytes(render(width, height, scene, samples)))


if __name__ == "__main__":
    main()
