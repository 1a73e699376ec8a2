#!/usr/bin/env python3
"""Draws Veilquill's pictures and icons and writes them as BMP and ICO files.

    make_artwork.py OUTPUT_FOLDER

Writes into OUTPUT_FOLDER:
    main_banner.bmp   535 x 75, 24 bits    banner at the top of the main window
    about_banner.bmp  375 x 100, 24 bits   banner of the About box
    success.bmp       100 x 100, 24 bits   picture of the success notices
    failure.bmp       100 x 100, 24 bits   picture of the failure, open-error and wait notices
    installer_side.bmp  164 x 314, 24 bits  picture of the installer's first and last pages
    program.ico       48 x 48 at 24 bits   the program's icon: a text page with a padlock
    encrypted.ico     48, 32, 16 at 8 bits; 48 at 32, 32 at 24, 16 at 32 bits
                                           the closed padlock that marks an encrypted file

Needs nothing but Python 3. Everything is drawn from shapes described here: signed distance
fields with analytic anti-aliasing, round-capped strokes, gradients and blurred shadows. The
lettering uses the two small stroke fonts below, not a system font. The output is the same,
byte for byte, on every run.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------------------------
# Colours are tuples of floats 0..1: (r, g, b, a).


def rgb(hex_text, alpha=1.0):
    """'#rrggbb' -> (r, g, b, a)."""
    h = hex_text.lstrip("#")
    return (int(h[0:2], 16) / 255.0, int(h[2:4], 16) / 255.0, int(h[4:6], 16) / 255.0, alpha)


def with_alpha(colour, alpha):
    return colour[:3] + (alpha,)


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def clamp01(v):
    return 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def gradient_stops(stops, t):
    """Colour at t along [(t0, colour0), (t1, colour1), ...]."""
    t = clamp01(t)
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, 0.0 if t1 == t0 else (t - t0) / (t1 - t0))
    return stops[-1][1]


def linear_gradient(x0, y0, x1, y1, stops):
    """Paint that varies along the line from (x0, y0) to (x1, y1)."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def paint(x, y):
        return gradient_stops(stops, ((x - x0) * dx + (y - y0) * dy) / length2)

    return paint


# ---------------------------------------------------------------------------------------------
# Masks: coverage 0..1 per pixel, with the bounding box of the covered pixels.


class Mask:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.v = [0.0] * (w * h)
        self.box = None  # (x0, y0, x1, y1), x1 and y1 exclusive

    @staticmethod
    def full(w, h):
        m = Mask(w, h)
        m.v = [1.0] * (w * h)
        m.box = (0, 0, w, h)
        return m

    def grow(self, x0, y0, x1, y1):
        if self.box is None:
            self.box = (x0, y0, x1, y1)
        else:
            b = self.box
            self.box = (min(b[0], x0), min(b[1], y0), max(b[2], x1), max(b[3], y1))

    def clip_box(self, x0, y0, x1, y1):
        """Whole-pixel box around (x0, y0)-(x1, y1), clipped to the mask."""
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1)
        return x0, y0, x1, y1

    def copy(self):
        m = Mask(self.w, self.h)
        m.v = list(self.v)
        m.box = self.box
        return m

    def union(self, other):
        if other.box is None:
            return self
        x0, y0, x1, y1 = other.box
        for y in range(y0, y1):
            row = y * self.w
            for i in range(row + x0, row + x1):
                if other.v[i] > self.v[i]:
                    self.v[i] = other.v[i]
        self.grow(*other.box)
        return self

    def subtract(self, other):
        if other.box is None or self.box is None:
            return self
        x0, y0 = max(self.box[0], other.box[0]), max(self.box[1], other.box[1])
        x1, y1 = min(self.box[2], other.box[2]), min(self.box[3], other.box[3])
        for y in range(y0, y1):
            row = y * self.w
            for i in range(row + x0, row + x1):
                self.v[i] *= 1.0 - other.v[i]
        return self

    def intersect(self, other):
        if self.box is None:
            return self
        x0, y0, x1, y1 = self.box
        for y in range(y0, y1):
            row = y * self.w
            for i in range(row + x0, row + x1):
                self.v[i] *= other.v[i]
        return self

    def shifted(self, dx, dy):
        """The mask moved by whole pixels."""
        m = Mask(self.w, self.h)
        if self.box is None:
            return m
        x0, y0, x1, y1 = self.box
        for y in range(y0, y1):
            ty = y + dy
            if not 0 <= ty < self.h:
                continue
            for x in range(x0, x1):
                tx = x + dx
                if 0 <= tx < self.w:
                    m.v[ty * self.w + tx] = self.v[y * self.w + x]
        m.box = (max(0, x0 + dx), max(0, y0 + dy), min(self.w, x1 + dx), min(self.h, y1 + dy))
        return m

    def blurred(self, radius, passes=3):
        """Box blur repeated `passes` times, which comes close to a Gaussian."""
        if self.box is None or radius <= 0:
            return self.copy()
        w, h = self.w, self.h
        grow = radius * passes + 1
        x0, y0 = max(0, self.box[0] - grow), max(0, self.box[1] - grow)
        x1, y1 = min(w, self.box[2] + grow), min(h, self.box[3] + grow)
        v = list(self.v)
        span = 2 * radius + 1
        for _ in range(passes):
            out = [0.0] * (w * h)
            for y in range(y0, y1):
                row = y * w
                for x in range(x0, x1):
                    a, b = max(0, x - radius), min(w - 1, x + radius)
                    out[row + x] = sum(v[row + a : row + b + 1]) / span
            v = out
            out = [0.0] * (w * h)
            for x in range(x0, x1):
                for y in range(y0, y1):
                    a, b = max(0, y - radius), min(h - 1, y + radius)
                    out[y * w + x] = sum(v[k * w + x] for k in range(a, b + 1)) / span
            v = out
        m = Mask(w, h)
        m.v = v
        m.box = (x0, y0, x1, y1)
        return m


def coverage(d):
    """Coverage of a pixel whose centre lies at signed distance d (pixels) from a shape's edge."""
    if d <= -0.5:
        return 1.0
    if d >= 0.5:
        return 0.0
    return 0.5 - d


def sdf_mask(w, h, box, sdf):
    """Mask of the shape with signed distance function sdf(x, y), negative inside."""
    m = Mask(w, h)
    x0, y0, x1, y1 = m.clip_box(*box)
    if x0 >= x1 or y0 >= y1:
        return m
    for y in range(y0, y1):
        py = y + 0.5
        row = y * w
        for x in range(x0, x1):
            c = coverage(sdf(x + 0.5, py))
            if c > 0.0:
                m.v[row + x] = c
    m.box = (x0, y0, x1, y1)
    return m


def circle(w, h, cx, cy, r):
    box = (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1)
    return sdf_mask(w, h, box, lambda x, y: math.hypot(x - cx, y - cy) - r)


def ellipse(w, h, cx, cy, rx, ry):
    def sdf(x, y):
        dx, dy = x - cx, y - cy
        k0 = math.hypot(dx / rx, dy / ry)
        k1 = math.hypot(dx / (rx * rx), dy / (ry * ry))
        return k0 * (k0 - 1.0) / k1 if k1 > 0 else -min(rx, ry)

    return sdf_mask(w, h, (cx - rx - 1, cy - ry - 1, cx + rx + 1, cy + ry + 1), sdf)


def rounded_rect(w, h, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return sdf_mask(w, h, (x0 - 1, y0 - 1, x1 + 1, y1 + 1), sdf)


def polygon(w, h, points):
    """Filled polygon, anti-aliased by its exact signed distance."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    n = len(points)
    edges = [(points[i], points[(i + 1) % n]) for i in range(n)]

    def sdf(x, y):
        best = float("inf")
        inside = False
        for (ax, ay), (bx, by) in edges:
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            ll = ex * ex + ey * ey
            t = clamp01((wx * ex + wy * ey) / ll) if ll > 0 else 0.0
            dx, dy = wx - ex * t, wy - ey * t
            best = min(best, dx * dx + dy * dy)
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        d = math.sqrt(best)
        return -d if inside else d

    return sdf_mask(w, h, (min(xs) - 1, min(ys) - 1, max(xs) + 1, max(ys) + 1), sdf)


def strokes(w, h, polylines, width):
    """Round-capped, round-joined strokes of the given width along each polyline."""
    m = Mask(w, h)
    r = width / 2.0
    for line in polylines:
        segments = list(zip(line, line[1:])) if len(line) > 1 else [(line[0], line[0])]
        for (ax, ay), (bx, by) in segments:
            x0, y0, x1, y1 = m.clip_box(
                min(ax, bx) - r - 1, min(ay, by) - r - 1, max(ax, bx) + r + 1, max(ay, by) + r + 1
            )
            if x0 >= x1 or y0 >= y1:
                continue
            ex, ey = bx - ax, by - ay
            ll = ex * ex + ey * ey
            for y in range(y0, y1):
                py = y + 0.5
                row = y * w
                for x in range(x0, x1):
                    wx, wy = x + 0.5 - ax, py - ay
                    t = clamp01((wx * ex + wy * ey) / ll) if ll > 0 else 0.0
                    c = coverage(math.hypot(wx - ex * t, wy - ey * t) - r)
                    if c > m.v[row + x]:
                        m.v[row + x] = c
            m.grow(x0, y0, x1, y1)
    return m


def arc_points(cx, cy, rx, ry, a0, a1, y_up=False):
    """Points along an elliptical arc from angle a0 to a1 in degrees, 0 pointing right and 90
    pointing up. With y_up the coordinates grow upwards (font units), otherwise downwards."""
    steps = max(6, int(abs(a1 - a0) / 7))
    sign = 1.0 if y_up else -1.0
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + rx * math.cos(a), cy + sign * ry * math.sin(a)))
    return pts


# ---------------------------------------------------------------------------------------------
# Images: premultiplied RGBA floats.


class Image:
    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        self.px = [0.0] * (w * h * 4)
        if background is not None:
            self.fill(Mask.full(w, h), background)

    def fill(self, mask, paint, opacity=1.0):
        """Lays `paint` (a colour or a function of x, y giving one) over the image through mask."""
        if mask.box is None:
            return
        x0, y0, x1, y1 = mask.box
        constant = not callable(paint)
        if constant:
            pr, pg, pb, pa = paint
        px = self.px
        for y in range(y0, y1):
            row = y * self.w
            for x in range(x0, x1):
                cov = mask.v[row + x]
                if cov <= 0.0:
                    continue
                if not constant:
                    pr, pg, pb, pa = paint(x + 0.5, y + 0.5)
                a = pa * cov * opacity
                if a <= 0.0:
                    continue
                i = (row + x) * 4
                k = 1.0 - a
                px[i] = pr * a + px[i] * k
                px[i + 1] = pg * a + px[i + 1] * k
                px[i + 2] = pb * a + px[i + 2] * k
                px[i + 3] = a + px[i + 3] * k

    def shadow(self, mask, blur, dx, dy, opacity):
        """A soft black shadow of the shape, to lie under what is painted next."""
        self.fill(mask.shifted(dx, dy).blurred(blur), (0.0, 0.0, 0.0, 1.0), opacity)

    def pixel(self, x, y):
        """Straight (not premultiplied) RGBA of one pixel."""
        i = (y * self.w + x) * 4
        a = self.px[i + 3]
        if a <= 0.0:
            return (0.0, 0.0, 0.0, 0.0)
        return (self.px[i] / a, self.px[i + 1] / a, self.px[i + 2] / a, a)


# ---------------------------------------------------------------------------------------------
# Stroke fonts. A glyph is (parts, advance). Parts are in font units, y up from the baseline:
# stroked polylines and filled dots. The advance is the width of the glyph's ink measured along
# the middle of its strokes.


def line(*points):
    return ("line", list(points))


def curve(points):
    return ("line", points)


def dot(x, y, r):
    return ("dot", x, y, r)


def font_arc(cx, cy, rx, ry, a0, a1):
    return arc_points(cx, cy, rx, ry, a0, a1, y_up=True)


def bowl_and_leg(x0, y0, radius, top):
    """The closed bowl of P and R: from the top of the stem round to the stem's middle."""
    return [(0.0, y0), (0.0, top), (x0, top)] + font_arc(x0, top - radius, radius, radius, 90, -90)[
        1:
    ] + [(0.0, top - 2 * radius)]


# The word mark, lower case with an x-height of 1.
TITLE_FONT = {
    "V": ([line((0.0, 1.42), (0.54, 0.0), (1.08, 1.42))], 1.08),
    "e": ([curve([(0.04, 0.5), (0.94, 0.5)] + font_arc(0.49, 0.5, 0.45, 0.5, 0, 318)[1:])], 0.95),
    "i": ([line((0.0, 0.0), (0.0, 1.0)), dot(0.0, 1.33, 0.125)], 0.0),
    "l": ([line((0.0, 0.0), (0.0, 1.46))], 0.0),
    "q": ([curve(font_arc(0.45, 0.5, 0.45, 0.5, 0, 360)), line((0.9, 1.0), (0.9, -0.46))], 0.9),
    "u": (
        [
            curve([(0.0, 1.0), (0.0, 0.44)] + font_arc(0.42, 0.44, 0.42, 0.44, 180, 360)[1:]),
            line((0.84, 1.0), (0.84, 0.0)),
        ],
        0.84,
    ),
}

# Capitals and figures with a cap height of 1.
CAPS_FONT = {
    " ": ([], 0.35),
    ".": ([dot(0.0, 0.0, 0.09)], 0.0),
    "0": ([curve(font_arc(0.3, 0.5, 0.3, 0.5, 0, 360))], 0.6),
    "1": ([line((0.0, 0.78), (0.26, 1.0), (0.26, 0.0))], 0.26),
    "C": ([curve(font_arc(0.42, 0.5, 0.42, 0.5, 42, 318))], 0.74),
    "E": (
        [line((0.56, 1.0), (0.0, 1.0), (0.0, 0.0), (0.56, 0.0)), line((0.0, 0.5), (0.46, 0.5))],
        0.56,
    ),
    "F": ([line((0.56, 1.0), (0.0, 1.0), (0.0, 0.0)), line((0.0, 0.5), (0.46, 0.5))], 0.52),
    "I": ([line((0.0, 0.0), (0.0, 1.0))], 0.0),
    "L": ([line((0.0, 1.0), (0.0, 0.0), (0.52, 0.0))], 0.52),
    "N": ([line((0.0, 0.0), (0.0, 1.0), (0.68, 0.0), (0.68, 1.0))], 0.68),
    "O": ([curve(font_arc(0.46, 0.5, 0.46, 0.5, 0, 360))], 0.92),
    "P": ([curve(bowl_and_leg(0.34, 0.0, 0.26, 1.0))], 0.6),
    "R": ([curve(bowl_and_leg(0.34, 0.0, 0.26, 1.0)), line((0.3, 0.48), (0.62, 0.0))], 0.62),
    "S": (
        [
            curve(
                font_arc(0.3, 0.75, 0.29, 0.25, 35, 270)
                + font_arc(0.3, 0.25, 0.3, 0.25, 90, -145)[1:]
            )
        ],
        0.6,
    ),
    "T": ([line((0.0, 1.0), (0.64, 1.0)), line((0.32, 1.0), (0.32, 0.0))], 0.64),
    "V": ([line((0.0, 1.0), (0.34, 0.0), (0.68, 1.0))], 0.68),
    "X": ([line((0.0, 1.0), (0.64, 0.0)), line((0.0, 0.0), (0.64, 1.0))], 0.64),
    "Y": ([line((0.0, 1.0), (0.33, 0.5), (0.66, 1.0)), line((0.33, 0.5), (0.33, 0.0))], 0.66),
}


def text_width(font, text, size, stroke, spacing):
    """Width in pixels of text set by text_mask with the same measures."""
    total = 0.0
    for i, ch in enumerate(text):
        parts, advance = font[ch]
        total += advance * size + (stroke if parts else 0.0)
        if i + 1 < len(text):
            total += spacing * size
    return total


def text_mask(w, h, font, text, x, baseline, size, stroke, spacing):
    """Mask of text whose ink starts at x; size is the font unit in pixels, stroke the pen
    width in pixels and spacing the gap between glyphs in font units."""
    m = Mask(w, h)
    pen = x
    for ch in text:
        parts, advance = font[ch]
        ox = pen + (stroke / 2.0 if parts else 0.0)
        polylines = []
        for part in parts:
            if part[0] == "line":
                polylines.append([(ox + px * size, baseline - py * size) for px, py in part[1]])
            else:
                _, px, py, r = part
                radius = max(r * size, stroke / 2.0)
                m.union(circle(w, h, ox + px * size, baseline - py * size, radius))
        if polylines:
            m.union(strokes(w, h, polylines, stroke))
        pen += advance * size + (stroke if parts else 0.0) + spacing * size
    return m


# ---------------------------------------------------------------------------------------------
# The palette.

NAVY = rgb("#101a2e")
INDIGO = rgb("#1a2d4f")
TEAL = rgb("#1f6f86")
TEAL_LIGHT = rgb("#5cc8d6")
MIST = rgb("#a9e3ea")
WHITE = rgb("#ffffff")
GOLD_LIGHT = rgb("#ffe08a")
GOLD = rgb("#f2b632")
GOLD_DARK = rgb("#b57812")
BROWN = rgb("#5a3a0c")
STEEL_LIGHT = rgb("#eef2f6")
STEEL = rgb("#a7b3c2")
STEEL_DARK = rgb("#4d5a6b")
PAPER_SHADE = rgb("#dde6f0")
PAPER_FOLD = rgb("#c9d4e2")
TEXT_LINES = rgb("#5b7fa8")


# ---------------------------------------------------------------------------------------------
# Pieces shared by several pictures.


def draw_padlock(img, x0, y0, size):
    """A closed padlock drawn on a 48-unit grid scaled into the square at (x0, y0) with side
    `size` pixels."""
    w, h = img.w, img.h
    s = size / 48.0
    # The shackle: a steel arch whose legs stand in the body.
    cx = x0 + 24 * s
    arch_r = 11.0 * s
    legs_bottom = y0 + 26 * s
    path = (
        [(cx - arch_r, legs_bottom)]
        + arc_points(cx, y0 + 16.0 * s, arch_r, arch_r, 180, 0)
        + [(cx + arch_r, legs_bottom)]
    )
    img.fill(strokes(w, h, [path], 8.0 * s), STEEL_DARK)
    steel = [(0, STEEL), (0.35, STEEL_LIGHT), (1, STEEL)]
    img.fill(strokes(w, h, [path], 5.6 * s), linear_gradient(cx - arch_r, 0, cx + arch_r, 0, steel))
    # The body: a dark rim round a golden face with a sheen across its top.
    bx0, by0, bx1, by1 = x0 + 6 * s, y0 + 21 * s, x0 + 42 * s, y0 + 46 * s
    body = rounded_rect(w, h, bx0, by0, bx1, by1, 5.0 * s)
    img.shadow(body, max(1, int(round(1.5 * s))), 0, max(1, int(round(1.2 * s))), 0.35)
    img.fill(body, BROWN)
    inset = 1.3 * s
    face = rounded_rect(w, h, bx0 + inset, by0 + inset, bx1 - inset, by1 - inset, 4.0 * s)
    gold = [(0, GOLD_LIGHT), (0.45, GOLD), (1, GOLD_DARK)]
    img.fill(face, linear_gradient(0, by0, 0, by1, gold))
    sheen = rounded_rect(w, h, bx0 + 3 * s, by0 + 2.4 * s, bx1 - 3 * s, by0 + 6.5 * s, 2.0 * s)
    img.fill(sheen, WHITE, 0.35)
    # The keyhole.
    kx, ky = cx, y0 + 31.5 * s
    hole = circle(w, h, kx, ky, 3.3 * s)
    foot = ky + 8.5 * s
    slot = [(kx - 1.6 * s, ky), (kx + 1.6 * s, ky), (kx + 2.4 * s, foot), (kx - 2.4 * s, foot)]
    hole.union(polygon(w, h, slot))
    img.fill(hole, BROWN)


def draw_veil(img, x_from, x_to, y_mid, amplitude, count, phase):
    """Thin crossing waves that fade in from x_from: the veil behind the lettering."""
    w, h = img.w, img.h
    for k in range(count):
        amp = amplitude * (0.55 + 0.45 * math.sin(k * 1.7 + 0.4))
        wavelength = 150.0 + 22.0 * k
        offset = (k - (count - 1) / 2.0) * (amplitude * 0.55)
        wave_phase = phase + k * 0.55
        pts = []
        x = x_from - 20.0
        while x <= x_to + 20.0:
            swing = amp * math.sin(2 * math.pi * x / wavelength + wave_phase)
            pts.append((x, y_mid + offset + swing))
            x += 4.0
        strength = 0.10 + 0.05 * (k % 3)

        def fade(x, y, strength=strength):
            return with_alpha(MIST, strength * smoothstep(x_from, x_from + 140, x))

        img.fill(strokes(w, h, [pts], 1.1 + 0.25 * (k % 3)), fade)


def draw_emblem(img, cx, cy, r):
    """The round teal badge with the padlock at the left of both banners."""
    w, h = img.w, img.h
    disc = circle(w, h, cx, cy, r)
    img.shadow(disc, 3, 0, 2, 0.55)
    teal = [(0, TEAL_LIGHT), (0.55, TEAL), (1, INDIGO)]
    img.fill(disc, linear_gradient(cx - r, cy - r, cx + r, cy + r, teal))
    img.fill(circle(w, h, cx, cy, r).subtract(circle(w, h, cx, cy, r - 1.6)), WHITE, 0.35)
    glow = ellipse(w, h, cx, cy - r * 0.45, r * 0.72, r * 0.42).intersect(disc)
    img.fill(glow, fading_white(cy - r, cy, 0.3))
    lock = 1.18 * r
    draw_padlock(img, cx - lock / 2.0, cy - lock / 2.0 - 0.02 * r, lock)


def fading_white(y0, y1, alpha):
    """White of the given alpha at y0 fading to nothing at y1."""
    stops = [(0, with_alpha(WHITE, alpha)), (1, with_alpha(WHITE, 0.0))]
    return linear_gradient(0, y0, 0, y1, stops)


def banner_background(w, h):
    img = Image(w, h, linear_gradient(0, 0, w, h * 0.6, [(0, NAVY), (0.55, INDIGO), (1, TEAL)]))
    # Light from above and a deeper floor.
    light = [(0, with_alpha(WHITE, 0.07)), (0.5, with_alpha(WHITE, 0.0)), (1, (0, 0, 0, 0.18))]
    img.fill(Mask.full(w, h), linear_gradient(0, 0, 0, h, light))
    return img


TITLE_SPACING = 0.25


def draw_title(img, x, baseline, size, stroke):
    """The word mark 'Veilquill'; returns its width in pixels."""
    name = "Veilquill"
    mark = text_mask(img.w, img.h, TITLE_FONT, name, x, baseline, size, stroke, TITLE_SPACING)
    img.shadow(mark, 2, 1, 2, 0.6)
    shade = [(0, WHITE), (1, mix(WHITE, MIST, 0.55))]
    img.fill(mark, linear_gradient(0, baseline - 1.45 * size, 0, baseline, shade))
    return text_width(TITLE_FONT, name, size, stroke, TITLE_SPACING)


def draw_gold_rule(img, x0, x1, y):
    rule = strokes(img.w, img.h, [[(x0, y), (x1, y)]], 1.2)
    img.fill(rule, lambda x, _: with_alpha(GOLD, 0.85 * (1 - smoothstep(x0, x1, x))))


def draw_caps(img, text, x, baseline, size, stroke, colour, spacing=0.38, align_right=False):
    if align_right:
        x -= text_width(CAPS_FONT, text, size, stroke, spacing)
    img.fill(text_mask(img.w, img.h, CAPS_FONT, text, x, baseline, size, stroke, spacing), colour)


# ---------------------------------------------------------------------------------------------
# The pictures.


def main_banner():
    w, h = 535, 75
    img = banner_background(w, h)
    draw_veil(img, 250, w, 38, 13, 7, 0.3)
    draw_emblem(img, 40, 37.5, 27)
    width = draw_title(img, 86, 42, 21.5, 4.6)
    draw_gold_rule(img, 86, 86 + width + 40, 56.5)
    draw_caps(img, "TEXT FILE ENCRYPTION", 87, 67, 7.0, 1.35, MIST)
    return img


def about_banner():
    w, h = 375, 100
    img = banner_background(w, h)
    draw_veil(img, 170, w, 52, 15, 6, 1.1)
    draw_emblem(img, 50, 50, 33)
    width = draw_title(img, 102, 54, 22.0, 4.7)
    draw_gold_rule(img, 102, 102 + width + 30, 69.5)
    draw_caps(img, "TEXT FILE ENCRYPTION", 103, 82, 7.0, 1.35, MIST)
    draw_caps(img, "VERSION 1.0.1", w - 14, 82, 6.0, 1.2, with_alpha(MIST, 0.7), 0.34, True)
    return img


def installer_side():
    """The tall picture at the left of the installer's welcome and finish pages."""
    w, h = 164, 314
    img = banner_background(w, h)
    draw_veil(img, -60, w, 230, 16, 6, 0.8)
    draw_emblem(img, w / 2.0, 92, 40)
    width = text_width(TITLE_FONT, "Veilquill", 19.0, 4.2, TITLE_SPACING)
    x = (w - width) / 2.0
    draw_title(img, x, 176, 19.0, 4.2)
    draw_gold_rule(img, x, x + width + 20, 190.5)
    draw_caps(img, "TEXT FILE", x + 1, 206, 6.5, 1.3, MIST)
    draw_caps(img, "ENCRYPTION", x + 1, 218, 6.5, 1.3, MIST)
    return img


def notice_picture(tint_light, tint, badge_top, badge_bottom, sign):
    """A 100 x 100 tile with a round glossy badge; sign(w, h, cx, cy, r) gives its white mark."""
    w, h = 100, 100
    ground = [(0, mix(WHITE, tint_light, 0.5)), (1, tint_light)]
    img = Image(w, h, linear_gradient(0, 0, 0, h, ground))
    edge = Mask(w, h)
    for y in range(h):
        edge.v[y * w + w - 1] = 1.0
    edge.box = (w - 1, 0, w, h)
    img.fill(edge, tint, 0.35)
    cx, cy, r = 50.0, 49.0, 33.0
    disc = circle(w, h, cx, cy, r)
    img.shadow(disc, 3, 0, 3, 0.30)
    img.fill(disc, linear_gradient(0, cy - r, 0, cy + r, [(0, badge_top), (1, badge_bottom)]))
    img.fill(circle(w, h, cx, cy, r).subtract(circle(w, h, cx, cy, r - 2.0)), WHITE, 0.45)
    gloss = ellipse(w, h, cx, cy - r * 0.48, r * 0.74, r * 0.40).intersect(disc)
    img.fill(gloss, fading_white(cy - r, cy, 0.45))
    mark = sign(w, h, cx, cy, r)
    img.shadow(mark, 1, 0, 1, 0.25)
    img.fill(mark, WHITE)
    return img


def check_mark(w, h, cx, cy, r):
    tick = [(-0.46, 0.02), (-0.12, 0.36), (0.48, -0.30)]
    return strokes(w, h, [[(cx + dx * r, cy + dy * r) for dx, dy in tick]], 0.24 * r)


def cross_mark(w, h, cx, cy, r):
    k = 0.33 * r
    bars = [[(cx - k, cy - k), (cx + k, cy + k)], [(cx - k, cy + k), (cx + k, cy - k)]]
    return strokes(w, h, bars, 0.22 * r)


def success_picture():
    greens = rgb("#dff3e4"), rgb("#2e9e4f"), rgb("#5fd07d"), rgb("#1c8a3e")
    return notice_picture(*greens, check_mark)


def failure_picture():
    reds = rgb("#f8e1e1"), rgb("#c42b2b"), rgb("#f2666a"), rgb("#b3202a")
    return notice_picture(*reds, cross_mark)


def program_icon(size):
    """A page of text with a padlock in front of it."""
    w = h = size
    s = size / 48.0
    img = Image(w, h)
    fold = 9 * s
    px0, py0, px1, py1 = 5 * s, 2 * s, 33 * s, 42 * s
    sheet = [(px0, py0), (px1 - fold, py0), (px1, py0 + fold), (px1, py1), (px0, py1)]
    outline = polygon(w, h, sheet)
    img.shadow(outline, 1, 1, 1, 0.30)
    img.fill(outline, STEEL_DARK)
    t = 1.2 * s
    paper = polygon(
        w,
        h,
        [
            (px0 + t, py0 + t),
            (px1 - fold - t * 0.4, py0 + t),
            (px1 - t, py0 + fold + t * 0.4),
            (px1 - t, py1 - t),
            (px0 + t, py1 - t),
        ],
    )
    img.fill(paper, linear_gradient(0, py0, 0, py1, [(0, WHITE), (1, PAPER_SHADE)]))
    ear = polygon(w, h, [(px1 - fold, py0), (px1 - fold, py0 + fold), (px1, py0 + fold)])
    img.fill(ear, linear_gradient(px1 - fold, py0, px1, py0 + fold, [(0, PAPER_FOLD), (1, STEEL)]))
    # Lines of text, kept clear of the folded corner.
    rows = []
    y = py0 + 8 * s
    for i in range(6):
        margin = fold + 3 * s if y < py0 + fold + 2 * s else 5 * s
        right = px1 - margin - (4 * s if i % 3 == 2 else 0)
        rows.append([(px0 + 5 * s, y), (right, y)])
        y += 4.6 * s
    img.fill(strokes(w, h, rows, 1.9 * s), TEXT_LINES)
    draw_padlock(img, 14 * s, 13 * s, 35 * s)
    return img


def encrypted_icon(size):
    """A closed padlock filling the icon; 16 x 16 is fitted to whole pixels by hand."""
    img = Image(size, size)
    if size >= 32:
        draw_padlock(img, 0, 0, size)
        return img
    w = h = size
    arch = arc_points(8.0, 5.5, 3.0, 3.0, 180, 0)
    shackle = [(5.0, 8.0)] + arch + [(11.0, 8.0)]
    img.fill(strokes(w, h, [shackle], 3.2), STEEL_DARK)
    steel = [(0, STEEL), (0.4, STEEL_LIGHT), (1, STEEL)]
    img.fill(strokes(w, h, [shackle], 1.5), linear_gradient(5, 0, 11, 0, steel))
    img.fill(rounded_rect(w, h, 2.0, 7.0, 14.0, 16.0, 1.6), BROWN)
    gold = [(0, GOLD_LIGHT), (0.5, GOLD), (1, GOLD_DARK)]
    img.fill(rounded_rect(w, h, 3.0, 8.0, 13.0, 15.0, 1.0), linear_gradient(0, 8, 0, 15, gold))
    img.fill(rounded_rect(w, h, 7.0, 9.5, 9.0, 13.5, 0.6), BROWN)
    return img


# ---------------------------------------------------------------------------------------------
# File writers.

BAYER4 = [0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5]


def to_byte(v, x=0, y=0, dither=False):
    """0..1 -> 0..255; the ordered dither hides the bands of gentle gradients."""
    bias = (BAYER4[(y & 3) * 4 + (x & 3)] + 0.5) / 16.0 if dither else 0.5
    return min(255, int(clamp01(v) * 255.0 + bias))


def opaque_rgb(img, x, y, backdrop):
    """The pixel laid over an opaque backdrop colour."""
    r, g, b, a = img.pixel(x, y)
    return tuple(c * a + d * (1.0 - a) for c, d in zip((r, g, b), backdrop))


def bmp_bytes(img):
    """An uncompressed 24-bit BMP file, rows bottom-up."""
    w, h = img.w, img.h
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = opaque_rgb(img, x, y, (1.0, 1.0, 1.0))
            row += bytes((to_byte(b, x, y, True), to_byte(g, x, y, True), to_byte(r, x, y, True)))
        pixels += row + b"\0" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


# Icon images without an alpha channel lay their half-covered edge pixels on a light grey, the
# colour of the dialogs, title bars and status bars that show them.
ICON_BACKDROP = (0.90, 0.90, 0.90)


def and_mask(img, opaque):
    """The 1-bit AND mask, rows bottom-up and padded to 32 bits: 1 where the icon is clear."""
    w, h = img.w, img.h
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if not opaque(x, y):
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def median_cut(colours, count):
    """A palette of at most `count` colours for a list of (r, g, b) byte triples."""
    boxes = [sorted(set(colours))]
    while len(boxes) < count:
        best, best_span, best_axis = None, 0, 0
        for i, box in enumerate(boxes):
            for axis in range(3):
                span = max(c[axis] for c in box) - min(c[axis] for c in box)
                if span > best_span:
                    best, best_span, best_axis = i, span, axis
        if best is None:
            break
        box = sorted(boxes[best], key=lambda c: (c[best_axis], c))
        half = len(box) // 2
        boxes[best : best + 1] = [box[:half], box[half:]]
    return [tuple(int(sum(c[k] for c in box) / len(box) + 0.5) for k in range(3)) for box in boxes]


def icon_image_bytes(img, bpp):
    """One icon image: BITMAPINFOHEADER (double height), palette, colour bits, AND mask."""
    w, h = img.w, img.h

    def header(size, colours):
        return struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0, size, 0, 0, colours, 0)

    if bpp == 32:
        pixels = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = img.pixel(x, y)
                if to_byte(a) == 0:
                    pixels += b"\0\0\0\0"
                else:
                    pixels += bytes((to_byte(b), to_byte(g), to_byte(r), to_byte(a)))
        mask = and_mask(img, lambda x, y: to_byte(img.pixel(x, y)[3]) > 0)
        return header(len(pixels) + len(mask), 0) + bytes(pixels) + mask

    def opaque(x, y):
        return img.pixel(x, y)[3] >= 0.5

    def colour(x, y):
        return tuple(to_byte(c) for c in opaque_rgb(img, x, y, ICON_BACKDROP))

    mask = and_mask(img, opaque)
    if bpp == 24:
        stride = (w * 3 + 3) & ~3
        pixels = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray()
            for x in range(w):
                r, g, b = colour(x, y) if opaque(x, y) else (0, 0, 0)
                row += bytes((b, g, r))
            pixels += row + b"\0" * (stride - len(row))
        return header(len(pixels) + len(mask), 0) + bytes(pixels) + mask

    # 8 bits: index 0 is the black under clear pixels, the rest a median-cut palette.
    used = [colour(x, y) for y in range(h) for x in range(w) if opaque(x, y)]
    palette = [(0, 0, 0)] + median_cut(used, 255)
    palette += [(0, 0, 0)] * (256 - len(palette))
    nearest = {}

    def index_of(c):
        if c not in nearest:
            nearest[c] = min(
                range(1, 256), key=lambda i: (sum((palette[i][k] - c[k]) ** 2 for k in range(3)), i)
            )
        return nearest[c]

    stride = (w + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(index_of(colour(x, y)) if opaque(x, y) else 0 for x in range(w))
        pixels += row + b"\0" * (stride - len(row))
    quads = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header(len(pixels) + len(mask), 256) + quads + bytes(pixels) + mask


def ico_bytes(images):
    """An .ico file of (image, bits per pixel) pairs, in the given order."""
    datas = [icon_image_bytes(img, bpp) for img, bpp in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (img, bpp), data in zip(images, datas):
        # The colour count is 0 for 256 colours and more.
        out += struct.pack("<BBBBHHII", img.w % 256, img.h % 256, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + b"".join(datas)


def write(folder, name, data):
    """Writes a file whole, so a build never sees half of one."""
    path = os.path.join(folder, name)
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_artwork.py OUTPUT_FOLDER\n")
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    write(folder, "main_banner.bmp", bmp_bytes(main_banner()))
    write(folder, "about_banner.bmp", bmp_bytes(about_banner()))
    write(folder, "success.bmp", bmp_bytes(success_picture()))
    write(folder, "failure.bmp", bmp_bytes(failure_picture()))
    write(folder, "installer_side.bmp", bmp_bytes(installer_side()))
    write(folder, "program.ico", ico_bytes([(program_icon(48), 24)]))
    lock48, lock32, lock16 = encrypted_icon(48), encrypted_icon(32), encrypted_icon(16)
    images = [(lock48, 8), (lock32, 8), (lock16, 8), (lock48, 32), (lock32, 24), (lock16, 32)]
    write(folder, "encrypted.ico", ico_bytes(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
