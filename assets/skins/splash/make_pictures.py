#!/usr/bin/env python3
"""Draws the splash skin's pictures (240x320 at 96 dpi): the background, the
launcher mark and the eight frames of the wait indicator."""

import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from pngdraw import Canvas, hex_rgb, mix, solid, vertical  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
TOP, BOTTOM = hex_rgb("#0E1726"), hex_rgb("#123A52")
GLOW = hex_rgb("#1F6F8B")


def background():
    c = Canvas(240, 320)
    base = vertical(TOP, BOTTOM, 0, 320)

    def paint(x, y):
        # A soft light behind the mark, fading out over 150 pixels.
        d = math.hypot(x - 120, y - 140) / 150.0
        return mix(base(x, y), GLOW, max(0.0, 1.0 - d) ** 2 * 0.55)

    c.fill(paint)
    c.save(os.path.join(HERE, "background.png"))


def mark():
    # A rounded tile holding a two-by-two grid of icons: the home screen.
    c = Canvas(96, 96)
    c.rounded_rect(4, 4, 92, 92, 22, vertical(hex_rgb("#3FC1C9"), hex_rgb("#2D6FD6"), 4, 92))
    white = solid((1.0, 1.0, 1.0))
    for gx, gy in ((22, 22), (52, 22), (22, 52), (52, 52)):
        c.rounded_rect(gx, gy, gx + 22, gy + 22, 6, white, 0.92 if (gx, gy) != (52, 52) else 0.55)
    c.save(os.path.join(HERE, "mark.png"))


def wait_frames():
    # Eight dots on a circle; the bright one moves on by one dot per frame and
    # the ones behind it fade. The frames lie side by side, 32 pixels each.
    frames, size, dots = 8, 32, 8
    c = Canvas(frames * size, size)
    for f in range(frames):
        for d in range(dots):
            angle = 2 * math.pi * d / dots - math.pi / 2
            x = f * size + 16 + 11 * math.cos(angle)
            y = 16 + 11 * math.sin(angle)
            behind = (f - d) % dots
            level = max(0.25, 1.0 - behind * 0.18)
            c.circle(x, y, 2.8 if behind == 0 else 2.4, solid(mix(BOTTOM, (1.0, 1.0, 1.0), level)))
    c.save(os.path.join(HERE, "wait.png"))


if __name__ == "__main__":
    background()
    mark()
    wait_frames()
