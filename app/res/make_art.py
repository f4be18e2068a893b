#!/usr/bin/env python3
"""Draws the program's artwork and writes it beside this script.

    python3 make_art.py [--preview DIR | --check]

ToolbarLarge.bmp / ToolbarSmall.bmp: the ten tool-bar pictures as 32 x 32 and
16 x 16 strips, 32-bit BGRA with straight alpha (for ImageList_Add, ILC_COLOR32).
WordWrap.bmp: the 16 x 16 word-wrap glyph, 24-bit, magenta = transparent.
Vantrel2006.ico: the program icon at 16, 32 and 48 pixels, 32-bit with alpha.
About.png: the About window's background, 458 x 358, 8-bit palette of 128
entries, gamma 0.45 and one text chunk; the window shows its top 301 rows.

Pictures are designed on a 32-unit grid (48 for the icon) and rendered with
4 x 4 supersampling. At 16 pixels one unit is half a pixel, so strokes there
are two units wide and edges sit on even units: drawn for the small size, not
scaled down.

--preview also writes enlarged PNGs over a light background for looking at;
--check writes nothing and fails when a committed file differs from what this
script draws.
"""

import math
import os
import struct
import sys
import zlib

SS = 4  # supersampling per axis

# --- Colours (r, g, b, a), 0..255 -------------------------------------------

WHITE = (255, 255, 255, 255)
INK = (60, 64, 72, 255)
TEXT = (130, 140, 155, 255)
BLUE = (45, 100, 200, 255)
LIGHTBLUE = (120, 175, 235, 255)
DARKBLUE = (20, 55, 130, 255)
GREEN = (40, 160, 60, 255)
DARKGREEN = (20, 100, 35, 255)
RED = (215, 40, 35, 255)
DARKRED = (140, 20, 20, 255)
GREY = (175, 180, 188, 255)
LIGHTGREY = (220, 223, 228, 255)
DARKGREY = (95, 100, 108, 255)
BROWN = (120, 80, 40, 255)
GLASS = (190, 225, 255, 150)


def mix(c0, c1, t):
    return tuple(round(a + (b - a) * t) for a, b in zip(c0, c1))


def vgrad(y0, c0, y1, c1):
    """A paint that runs from c0 at y0 to c1 at y1."""
    def paint(_x, y):
        return mix(c0, c1, min(1.0, max(0.0, (y - y0) / (y1 - y0))))
    return paint


def rgrad(cx, cy, r, c0, c1):
    """A paint that runs from c0 at (cx, cy) to c1 at distance r."""
    def paint(x, y):
        return mix(c0, c1, min(1.0, math.hypot(x - cx, y - cy) / r))
    return paint


# --- Shapes: an inside test in design units and a bounding box ---------------

class Shape:
    def __init__(self, inside, box):
        self.inside = inside
        self.box = box  # x0, y0, x1, y1


def rect(x0, y0, x1, y1, r=0):
    """Rectangle, optionally with rounded corners of radius r."""
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        if r <= 0:
            return True
        dx = max(x0 + r - x, 0, x - (x1 - r))
        dy = max(y0 + r - y, 0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return Shape(inside, (x0, y0, x1, y1))


def ellipse(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry
    return Shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def ring(cx, cy, r, w, a0=None, a1=None):
    """Annulus of outer radius r and width w; with a0..a1 (degrees, clockwise
    from three o'clock, y down) only that arc."""
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if not (r - w <= d <= r):
            return False
        if a0 is None:
            return True
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return (a - a0) % 360 <= (a1 - a0) % 360
    return Shape(inside, (cx - r, cy - r, cx + r, cy + r))


def line(x0, y0, x1, y1, w):
    """Stroke of width w with round caps."""
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy or 1e-9
    h = w / 2

    def inside(x, y):
        t = min(1.0, max(0.0, ((x - x0) * dx + (y - y0) * dy) / ll))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= h * h
    return Shape(inside, (min(x0, x1) - h, min(y0, y1) - h, max(x0, x1) + h, max(y0, y1) + h))


def poly(*pts):
    def inside(x, y):
        c = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return Shape(inside, (min(xs), min(ys), max(xs), max(ys)))


# --- Canvas: straight-alpha RGBA floats, painted with "over" ------------------

class Canvas:
    def __init__(self, w, h, scale):
        self.w, self.h, self.scale = w, h, scale
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def fill(self, shape, paint, ox=0, cell=None):
        """Paints shape; ox shifts it right by whole pixels into a strip cell
        cell pixels wide, outside which nothing is painted."""
        s = self.scale
        cell = self.w - ox if cell is None else cell
        x0, y0, x1, y1 = shape.box
        for py in range(max(0, int(y0 * s) - 1), min(self.h, int(y1 * s) + 2)):
            for px in range(max(0, int(x0 * s) - 1), min(int(x1 * s) + 2, cell)):
                hits = 0
                for j in range(SS):
                    y = (py + (j + 0.5) / SS) / s
                    for i in range(SS):
                        if shape.inside((px + (i + 0.5) / SS) / s, y):
                            hits += 1
                if hits:
                    cx, cy = (px + 0.5) / s, (py + 0.5) / s
                    c = paint(cx, cy) if callable(paint) else paint
                    self._over(ox + px, py, c, hits / (SS * SS))

    def _over(self, x, y, c, cover):
        d = self.px[y * self.w + x]
        sa = c[3] / 255 * cover
        oa = sa + d[3] * (1 - sa)
        if oa <= 0:
            return
        for k in range(3):
            d[k] = (c[k] / 255 * sa + d[k] * d[3] * (1 - sa)) / oa
        d[3] = oa

    def bytes_bgra(self):
        """Bottom-up rows of B, G, R, A, as a DIB stores them."""
        out = bytearray()
        for y in range(self.h - 1, -1, -1):
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                out += bytes((round(b * 255), round(g * 255), round(r * 255), round(a * 255)))
        return bytes(out)


class Pen:
    """Draws on a canvas in design units; knows whether it draws small."""

    def __init__(self, canvas, ox, cell, small):
        self.c, self.ox, self.cell, self.small = canvas, ox, cell, small
        self.ow = 2 if small else 1  # outline: one pixel at either size

    def fill(self, shape, paint):
        self.c.fill(shape, paint, self.ox, self.cell)

    def box(self, x0, y0, x1, y1, paint, edge=INK, r=0):
        """Filled rectangle with a one-pixel edge."""
        w = self.ow
        self.fill(rect(x0, y0, x1, y1, r), edge)
        self.fill(rect(x0 + w, y0 + w, x1 - w, y1 - w, max(0, r - w)), paint)

    def disc(self, cx, cy, r, paint, edge=INK):
        self.fill(ellipse(cx, cy, r), edge)
        self.fill(ellipse(cx, cy, r - self.ow), paint)

    def text_lines(self, x0, x1, y0, y1, step, colour=TEXT):
        """Lines of text on a sheet: one pixel high, every step units."""
        y = y0
        n = 0
        while y + self.ow <= y1:
            end = x1 if n % 3 != 2 else x0 + (x1 - x0) * 0.6
            self.fill(rect(x0, y, end, y + self.ow), colour)
            y += step
            n += 1

    def sheet(self, x0, y0, x1, y1, lines=True):
        """A sheet of paper with a folded corner and lines of text."""
        w = self.ow
        f = 8  # the folded corner
        outline = poly((x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1))
        inner = poly((x0 + w, y0 + w), (x1 - f - w * 0.4, y0 + w), (x1 - w, y0 + f + w * 0.4),
                     (x1 - w, y1 - w), (x0 + w, y1 - w))
        self.fill(outline, INK)
        self.fill(inner, vgrad(y0, WHITE, y1, (232, 236, 242, 255)))
        self.fill(poly((x1 - f, y0), (x1 - f, y0 + f), (x1, y0 + f)), INK)
        self.fill(poly((x1 - f + w, y0 + w * 2.4), (x1 - f + w, y0 + f - w), (x1 - w * 2.4, y0 + f - w)),
                  LIGHTGREY)
        if lines:
            margin = 2 * w if self.small else 2 * w + 2
            self.text_lines(x0 + margin, x1 - margin, y0 + f + 2, y1 - 2 * w, 4)

    def magnifier(self, cx, cy, r, hx, hy):
        """Lens centred at (cx, cy) of radius r, handle out to (hx, hy)."""
        hw = 5 if not self.small else 4
        dx, dy = hx - cx, hy - cy
        d = math.hypot(dx, dy)
        sx, sy = cx + dx / d * (r - 1), cy + dy / d * (r - 1)
        self.fill(line(sx, sy, hx, hy, hw + 2 * self.ow), INK)
        self.fill(line(sx, sy, hx, hy, hw), BROWN)
        self.fill(ellipse(cx, cy, r), INK)
        rim = 2 if self.small else 2.5
        self.fill(ellipse(cx, cy, r - self.ow), GREY)
        self.fill(ellipse(cx, cy, r - self.ow - rim), INK)
        self.fill(ellipse(cx, cy, r - 2 * self.ow - rim), rgrad(cx - r / 3, cy - r / 3, r, WHITE, GLASS))

    def window(self, x0, y0, x1, y1):
        """An application window: blue title bar over a white client area."""
        w = self.ow
        self.fill(rect(x0, y0, x1, y1, 1 if not self.small else 0), DARKBLUE)
        self.fill(rect(x0 + w, y0 + w, x1 - w, y0 + 6), vgrad(y0, LIGHTBLUE, y0 + 6, BLUE))
        self.fill(rect(x0 + w, y0 + 6, x1 - w, y1 - w), WHITE)
        if not self.small:
            self.fill(rect(x1 - 5, y0 + 2, x1 - 2, y0 + 4), WHITE)


# --- The ten tool-bar pictures ----------------------------------------------

def draw_find(p):
    p.magnifier(13, 13, 11, 28, 28)


def draw_list(p):
    w = p.ow
    p.box(2, 2, 30, 30, WHITE, INK)
    if p.small:
        rows = [6, 12, 18, 24]
        for y in rows:
            p.fill(rect(6, y, 10, y + 4), BLUE)
            p.fill(rect(12, y + 1, 26, y + 3), DARKGREY)
    else:
        for i, y in enumerate(range(6, 27, 5)):
            p.fill(rect(6, y, 9, y + 3), BLUE if i != 1 else GREEN)
            p.fill(rect(11, y + 1, 26 - (i % 2) * 4, y + 2 + w), DARKGREY)


def draw_copy(p):
    p.sheet(2, 2, 20, 24)
    p.sheet(12, 8, 30, 30)


def draw_export(p):
    p.sheet(2, 2, 22, 30)
    p.fill(poly((12, 14), (20, 14), (20, 8), (31, 18), (20, 28), (20, 22), (12, 22)), DARKGREEN)
    w = p.ow * 1.2
    p.fill(poly((12 + w, 14 + w), (20 + w, 14 + w), (20 + w, 8 + 2.6 * w), (31 - 1.6 * w, 18),
                (20 + w, 28 - 2.6 * w), (20 + w, 22 - w), (12 + w, 22 - w)),
           vgrad(8, (110, 210, 110, 255), 28, GREEN))


def draw_print(p):
    w = p.ow
    # paper going in
    p.box(8, 2, 24, 14, WHITE, INK)
    # body
    p.fill(rect(2, 12, 30, 26, 3), INK)
    p.fill(rect(2 + w, 12 + w, 30 - w, 26 - w, 2), vgrad(12, LIGHTGREY, 26, GREY))
    p.fill(rect(6, 20, 26, 22), DARKGREY)
    p.fill(ellipse(25, 16, 1.5 if not p.small else 2), GREEN)
    # paper coming out
    p.box(8, 22, 24, 30, WHITE, INK)
    p.fill(rect(11, 25, 21, 25 + w), TEXT)


def draw_preview(p):
    if p.small:
        p.sheet(2, 2, 20, 26)
        p.magnifier(20, 20, 8, 30, 30)
    else:
        p.sheet(2, 2, 22, 30)
        p.magnifier(19, 18, 8, 29, 29)


def draw_pin(p):
    w = p.ow
    # needle, collar across it, then the head
    if p.small:
        p.fill(line(12, 20, 3, 29, 2.5), DARKGREY)
    else:
        p.fill(line(13, 19, 3, 29, 2 + w), DARKGREY)
        p.fill(line(13, 19, 5, 27, w), LIGHTGREY)
    p.fill(poly((8, 14), (14, 8), (24, 18), (18, 24)), INK)
    p.fill(poly((8 + 1.4 * w, 14), (14, 8 + 1.4 * w), (24 - 1.4 * w, 18), (18, 24 - 1.4 * w)),
           vgrad(8, (240, 90, 80, 255), 24, RED))
    r = 8.5 if not p.small else 9
    p.fill(ellipse(21, 11, r), INK)
    p.fill(ellipse(21, 11, r - w), rgrad(18, 8, 9, (255, 150, 140, 255), DARKRED))


def draw_save_layout(p):
    p.window(2, 2, 24, 22)
    # floppy disk
    w = p.ow
    p.fill(poly((14, 14), (28, 14), (31, 17), (31, 31), (14, 31)), INK)
    p.fill(poly((14 + w, 14 + w), (28 - w / 2, 14 + w), (31 - w, 17 + w / 2), (31 - w, 31 - w),
                (14 + w, 31 - w)), vgrad(14, (70, 120, 210, 255), 31, DARKBLUE))
    p.fill(rect(17, 14 + w, 27, 21), LIGHTGREY)
    p.fill(rect(23, 15 + w, 25, 20), DARKGREY)
    p.fill(rect(17, 24, 28, 31 - w), WHITE)
    if not p.small:
        p.fill(rect(19, 26, 26, 27), TEXT)
        p.fill(rect(19, 28, 24, 29), TEXT)


def draw_clear_layout(p):
    p.window(2, 2, 24, 22)
    t = 5 if not p.small else 4.5
    for (a, b, c, d) in ((15, 15, 29, 29), (29, 15, 15, 29)):
        p.fill(line(a, b, c, d, t + 2 * p.ow), WHITE)
    for (a, b, c, d) in ((15, 15, 29, 29), (29, 15, 15, 29)):
        p.fill(line(a, b, c, d, t), DARKRED)
    for (a, b, c, d) in ((15, 15, 29, 29), (29, 15, 15, 29)):
        p.fill(line(a, b, c, d, t - p.ow * 1.2), RED)


def draw_about(p):
    p.fill(ellipse(16, 16, 15), DARKBLUE)
    p.fill(ellipse(16, 16, 15 - p.ow), rgrad(11, 9, 20, (130, 185, 245, 255), (25, 80, 180, 255)))
    if p.small:
        p.fill(rect(14, 6, 18, 10), WHITE)
        p.fill(rect(14, 12, 18, 26), WHITE)
    else:
        p.fill(ellipse(16, 9, 2.6), WHITE)
        p.fill(rect(13.5, 13, 18.5, 25, 1), WHITE)
        p.fill(rect(12, 23, 20, 25.5, 0.8), WHITE)


TOOLBAR = [draw_find, draw_list, draw_copy, draw_export, draw_print, draw_preview,
           draw_pin, draw_save_layout, draw_clear_layout, draw_about]


def render_strip(size):
    canvas = Canvas(size * len(TOOLBAR), size, size / 32)
    for i, draw in enumerate(TOOLBAR):
        draw(Pen(canvas, i * size, size, size <= 16))
    return canvas


# --- Program icon --------------------------------------------------------------

# The question mark at 16 pixels, drawn pixel by pixel.
QUESTION16 = [".###.", "#...#", "...#.", "..#..", ".....", "..#.."]


def draw_icon(p):
    """A document with a red error sign carrying a question mark (48 units)."""
    small = p.small
    w = 48 / p.c.w  # one pixel in units
    if small:
        x0, y0, x1, y1, f = 3, 3, 33, 45, 9
    else:
        x0, y0, x1, y1, f = 5, 2, 35, 42, 12
    p.fill(poly((x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1)), INK)
    p.fill(poly((x0 + w, y0 + w), (x1 - f - w * 0.4, y0 + w), (x1 - w, y0 + f + w * 0.4),
                (x1 - w, y1 - w), (x0 + w, y1 - w)), vgrad(y0, WHITE, y1, (225, 231, 240, 255)))
    p.fill(poly((x1 - f, y0), (x1 - f, y0 + f), (x1, y0 + f)), INK)
    if small:
        for y in (12, 18):
            p.fill(rect(9, y, 21, y + w), TEXT)
    else:
        p.fill(poly((x1 - f + w, y0 + w * 2.4), (x1 - f + w, y0 + f - w),
                    (x1 - w * 2.4, y0 + f - w)), LIGHTGREY)
        for i, y in enumerate(range(8, 36, 5)):
            end = 26 if y < 14 else (30 if i % 3 != 2 else 22)
            p.fill(rect(10, y, end, y + 1.5 * w), TEXT)
    # the error sign
    cx, cy, r = (31.5, 31.5, 16.5) if small else (31, 31, 16)
    if not small:
        p.fill(ellipse(cx, cy + 1, r + 0.5), (0, 0, 0, 60))
    p.fill(ellipse(cx, cy, r), DARKRED)
    p.fill(ellipse(cx, cy, r - w), rgrad(cx - 5, cy - 6, r + 4, (255, 120, 105, 255), (190, 25, 20, 255)))
    # the question mark
    if small:
        for j, row in enumerate(QUESTION16):
            for i, ch in enumerate(row):
                if ch == "#":
                    p.fill(rect((8 + i) * w, (8 + j) * w, (9 + i) * w, (9 + j) * w), WHITE)
        return
    t = 4.6
    p.fill(ring(cx, cy - 5, 6.5 + t / 2, t, 170, 90), WHITE)
    p.fill(line(cx, cy + 3.8, cx, cy + 5, t), WHITE)
    p.fill(ellipse(cx, cy + 10.5, t * 0.62), WHITE)


def render_icon(size):
    canvas = Canvas(size, size, size / 48)
    draw_icon(Pen(canvas, 0, size, size <= 16))
    return canvas


# --- Word-wrap glyph: pixel art, no blending against the key colour ----------

WORDWRAP = [
    "................",
    "................",
    "................",
    ".##########.....",
    "................",
    ".#############..",
    "..............#.",
    "..............#.",
    ".........#....#.",
    "........##....#.",
    ".......########.",
    "........##......",
    ".........#......",
    ".######.........",
    "................",
    "................",
]
KEY = (255, 0, 255)


def wordwrap_bmp():
    rows = []
    for line_ in reversed(WORDWRAP):
        row = bytearray()
        for ch in line_:
            b = (0, 0, 0) if ch == "#" else KEY
            row += bytes((b[2], b[1], b[0]))
        row += b"\0" * ((4 - len(row) % 4) % 4)
        rows.append(bytes(row))
    return bmp_file(16, 16, 24, b"".join(rows))


# --- File formats ----------------------------------------------------------------

def info_header(w, h, bpp, image_size):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, image_size, 2835, 2835, 0, 0)


def bmp_file(w, h, bpp, pixels):
    offset = 14 + 40
    return (b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
            + info_header(w, h, bpp, len(pixels)) + pixels)


def ico_file(canvases):
    images = []
    for c in canvases:
        xor = c.bytes_bgra()
        stride = ((c.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(c.h - 1, -1, -1):
            row = bytearray(stride)
            for x in range(c.w):
                if c.px[y * c.w + x][3] < 1 / 255:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        images.append(info_header(c.w, c.h * 2, 32, len(xor) + len(mask)) + xor + bytes(mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


# The build names the architecture (x86 or amd64) when it configures the file.
MANIFEST = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="Drovanex.Vantrel2006" version="1.0.0.26" processorArchitecture="@QORV_MANIFEST_ARCH@"/>
  <description>Drovanex Vantrel 2006</description>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
          processorArchitecture="@QORV_MANIFEST_ARCH@" publicKeyToken="6595b64144ccf1df" language="*"/>
    </dependentAssembly>
  </dependency>
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
      <!-- Windows 7 -->
      <supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>
      <!-- Windows 8 -->
      <supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>
      <!-- Windows 8.1 -->
      <supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>
      <!-- Windows 10 and 11 -->
      <supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>
    </application>
  </compatibility>
</assembly>
"""


# --- Preview: enlarged PNG over a light background -----------------------------

def png_file(w, h, rgb_rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(r) for r in rgb_rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview(canvas, zoom):
    rows = []
    for y in range(canvas.h):
        row = bytearray()
        for x in range(canvas.w):
            r, g, b, a = canvas.px[y * canvas.w + x]
            bg = 236 if ((x // 4 + y // 4) % 2) else 250
            px = bytes(round((c * a + bg / 255 * (1 - a)) * 255) for c in (r, g, b))
            row += px * zoom
        rows.extend([row] * zoom)
    return png_file(canvas.w * zoom, canvas.h * zoom, rows)


# --- About window background: 458 x 358, 8-bit palette -------------------------

ABOUT_W, ABOUT_H = 458, 358
STRIP = 106  # the white strip down the left side
PALE_YELLOW = (255, 250, 215)

# Capitals and digits of the title, 5 x 7.
GLYPHS = {
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


def about_pixels():
    """The picture as rows of (r, g, b): a blue title band over the yellow
    area with the product name, a red error sign at the top left, the white
    strip, and a grey band in the lowest rows that the window does not show."""
    px = [[PALE_YELLOW] * ABOUT_W for _ in range(ABOUT_H)]
    band = 66
    for y in range(ABOUT_H):
        for x in range(ABOUT_W):
            if y >= 301:
                px[y][x] = (200, 204, 212)
            elif x < STRIP:
                px[y][x] = (255, 255, 255)
            elif y < band:
                t = round((x - STRIP) / (ABOUT_W - STRIP) * 31) / 31
                px[y][x] = mix(DARKBLUE[:3], LIGHTBLUE[:3], t)
            elif y < band + 2:
                px[y][x] = DARKBLUE[:3]
    # the title, three pixels per dot, with a dark shadow
    x0, y0, dot = 128, 20, 4
    for dx, dy, colour in ((2, 2, DARKBLUE[:3]), (0, 0, (255, 255, 255))):
        for i, ch in enumerate("VANTREL 2006"):
            for j, row in enumerate(GLYPHS[ch]):
                for k, c in enumerate(row):
                    if c != "#":
                        continue
                    for yy in range(dot):
                        for xx in range(dot):
                            px[y0 + dy + j * dot + yy][x0 + dx + i * 6 * dot + k * dot + xx] = colour
    # the error sign: a red disc with a white cross, edges mixed over 8 steps
    cx, cy, r = 53.0, 40.0, 28.0
    for y in range(int(cy - r - 2), int(cy + r + 3)):
        for x in range(int(cx - r - 2), int(cx + r + 3)):
            cover = 0
            inner = 0
            for sy in range(4):
                for sx in range(4):
                    fx, fy = x + (sx + 0.5) / 4 - cx, y + (sy + 0.5) / 4 - cy
                    if fx * fx + fy * fy <= r * r:
                        cover += 1
                        if abs(abs(fx) - abs(fy)) <= 4.5 and max(abs(fx), abs(fy)) <= 13:
                            inner += 1
            if cover:
                red = mix(px[y][x], RED[:3], round(cover / 16 * 8) / 8)
                px[y][x] = mix(red, (255, 255, 255), round(inner / 16 * 8) / 8)
    return px


def about_png():
    rows = about_pixels()
    palette = []
    index = {}
    for row in rows:
        for c in row:
            if c not in index:
                index[c] = len(palette)
                palette.append(c)
    if len(palette) > 128:
        raise SystemExit("About.png needs %d colours, 128 allowed" % len(palette))
    palette += [(0, 0, 0)] * (128 - len(palette))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(index[c] for c in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", ABOUT_W, ABOUT_H, 8, 3, 0, 0, 0))
            + chunk(b"gAMA", struct.pack(">I", 45000))
            + chunk(b"PLTE", b"".join(bytes(c) for c in palette))
            + chunk(b"tEXt", b"Title\0Drovanex Vantrel 2006")
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    args = sys.argv[1:]
    check = args[:1] == ["--check"]
    preview_dir = args[1] if args[:1] == ["--preview"] and len(args) > 1 else None

    large, small = render_strip(32), render_strip(16)
    icons = [render_icon(s) for s in (16, 32, 48)]
    files = {
        "ToolbarLarge.bmp": bmp_file(large.w, large.h, 32, large.bytes_bgra()),
        "ToolbarSmall.bmp": bmp_file(small.w, small.h, 32, small.bytes_bgra()),
        "WordWrap.bmp": wordwrap_bmp(),
        "Vantrel2006.ico": ico_file(icons),
        "Vantrel2006.manifest.in": MANIFEST.encode("utf-8"),
        "About.png": about_png(),
    }
    if check:
        stale = []
        for name, data in files.items():
            try:
                with open(os.path.join(here, name), "rb") as f:
                    if f.read() != data:
                        stale.append(name)
            except OSError:
                stale.append(name)
        if stale:
            print("out of date: " + ", ".join(stale))
        return 1 if stale else 0
    for name, data in files.items():
        with open(os.path.join(here, name), "wb") as f:
            f.write(data)
    if preview_dir:
        os.makedirs(preview_dir, exist_ok=True)
        shots = {"large.png": (large, 4), "small.png": (small, 8)}
        for c in icons:
            shots["icon%d.png" % c.w] = (c, 192 // c.w)
        for name, (c, zoom) in shots.items():
            with open(os.path.join(preview_dir, name), "wb") as f:
                f.write(preview(c, zoom))
    return 0


if __name__ == "__main__":
    sys.exit(main())
