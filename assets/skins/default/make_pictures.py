#!/usr/bin/env python3
"""Draws the default skin's pictures (240x320 at 96 dpi): the wallpaper and
the nine-patch button and panel frames."""

import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from pngdraw import Canvas, hex_rgb, mix, solid, vertical  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


def wallpaper():
    # A calm diagonal blend with two faint light circles.
    c = Canvas(240, 320)
    a, b = hex_rgb("#15233B"), hex_rgb("#2B4C6F")

    def paint(x, y):
        t = (x / 240.0 * 0.35 + y / 320.0 * 0.65)
        base = mix(a, b, t)
        glow = max(0.0, 1.0 - math.hypot(x - 200, y - 40) / 160.0) ** 2 * 0.25
        glow += max(0.0, 1.0 - math.hypot(x - 30, y - 290) / 120.0) ** 2 * 0.15
        return mix(base, hex_rgb("#6FA8DC"), glow)

    c.fill(paint)
    c.save(os.path.join(HERE, "wallpaper.png"))


def button():
    # Two 24x24 states side by side (normal, pressed); 8-pixel corners stay
    # as drawn when the button is stretched.
    c = Canvas(48, 24)
    c.rounded_rect(0.5, 0.5, 23.5, 23.5, 7, vertical(hex_rgb("#4A90D9"), hex_rgb("#2F6DB5"), 0, 24))
    c.rounded_rect(24.5, 0.5, 47.5, 23.5, 7, vertical(hex_rgb("#245A96"), hex_rgb("#1D4A7D"), 0, 24))
    c.save(os.path.join(HERE, "button.png"))


def panel():
    # A translucent dark card with a one-pixel light edge; 10-pixel corners.
    c = Canvas(32, 32)
    c.rounded_rect(0.5, 0.5, 31.5, 31.5, 9, solid(hex_rgb("#9FC3E8")), 0.35)
    c.rounded_rect(1.5, 1.5, 30.5, 30.5, 8, solid(hex_rgb("#0B1626")), 0.75)
    c.save(os.path.join(HERE, "panel.png"))


if __name__ == "__main__":
    wallpaper()
    button()
    panel()
