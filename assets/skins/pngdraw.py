"""A tiny anti-aliased drawing kit for the bundled skins' pictures.

Only the Python standard library: shapes are drawn from signed distances
(one pixel of smooth edge), composited "over" in straight RGBA and written
as 8-bit RGBA PNG. The scripts beside the PNGs (make_pictures.py) use it;
run them again after changing them and check the PNGs in.
"""

import math
import struct
import zlib


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.px = [(0.0, 0.0, 0.0, 0.0)] * (width * height)

    def blend(self, x, y, rgb, alpha):
        if alpha <= 0.0:
            return
        i = y * self.width + x
        r, g, b, a = self.px[i]
        out_a = alpha + a * (1.0 - alpha)
        if out_a <= 0.0:
            return
        k = a * (1.0 - alpha)
        self.px[i] = ((rgb[0] * alpha + r * k) / out_a, (rgb[1] * alpha + g * k) / out_a,
                      (rgb[2] * alpha + b * k) / out_a, out_a)

    def shade(self, distance, paint, box=None, opacity=1.0):
        """Fills where distance(x, y) < 0 with paint(x, y) -> rgb."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, int(y0)), min(self.height, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.width, int(math.ceil(x1)))):
                cx, cy = x + 0.5, y + 0.5
                cover = clamp(0.5 - distance(cx, cy))
                if cover > 0.0:
                    self.blend(x, y, paint(cx, cy), cover * opacity)

    def fill(self, paint):
        self.shade(lambda x, y: -1.0, paint)

    def circle(self, cx, cy, radius, paint, opacity=1.0):
        self.shade(lambda x, y: math.hypot(x - cx, y - cy) - radius, paint,
                   (cx - radius - 1, cy - radius - 1, cx + radius + 1, cy + radius + 1), opacity)

    def ring(self, cx, cy, radius, thickness, paint, opacity=1.0):
        half = thickness / 2.0
        self.shade(lambda x, y: abs(math.hypot(x - cx, y - cy) - radius) - half, paint,
                   (cx - radius - half - 1, cy - radius - half - 1, cx + radius + half + 1, cy + radius + half + 1),
                   opacity)

    def rounded_rect(self, x0, y0, x1, y1, radius, paint, opacity=1.0):
        cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
        hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

        def distance(x, y):
            qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
            outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
            return outside + min(max(qx, qy), 0.0) - radius

        self.shade(distance, paint, (x0 - 1, y0 - 1, x1 + 1, y1 + 1), opacity)

    def save(self, path):
        rows = bytearray()
        for y in range(self.height):
            rows.append(0)
            for r, g, b, a in self.px[y * self.width:(y + 1) * self.width]:
                rows += bytes(int(round(clamp(c) * 255)) for c in (r, g, b, a))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        png = b"\x89PNG\r\n\x1a\n"
        png += chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
        png += chunk(b"IEND", b"")
        with open(path, "wb") as f:
            f.write(png)


def solid(rgb):
    return lambda x, y: rgb


def vertical(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, clamp((y - y0) / float(y1 - y0)))
