#!/usr/bin/env python3
# Regenerate res/Loupa.ico with: python3 res/icon/make_icon.py  (standard library only; same bytes every run)
"""Draws Loupa's magnifying glass and writes it as a Windows icon.

The icon holds 64, 48, 40, 32, 24, 20 and 16 px images at 32 bpp (with alpha)
and 8 bpp, and 32 and 16 px images at 4 bpp with the standard 16-colour
palette; the palette images carry an AND mask for transparency. The sizes
between the classic 16, 32 and 48 are the small and large icons at 125, 150
and 200 % scaling, which Windows would otherwise stretch.

The artwork is drawn from a few shapes (lens rim, glass, highlight, handle) in
a 48-unit design space, sampled on a regular sub-pixel grid. Only arithmetic
and square roots are used, so the output is the same on every machine.
"""

import os
import struct
import sys

SUBSAMPLES = 8  # per axis

# Materials, painted in this order (later ones cover earlier ones).
NONE, HANDLE, GRIP, RIM, GLASS, HIGHLIGHT = range(6)

# The 16 colours of the standard VGA palette, as (r, g, b).
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
# Each material's colour in the 16-colour images: black grip and collar, navy
# rim, aqua glass with a white gleam.
VGA16_INDEX = {HANDLE: 0, GRIP: 0, RIM: 4, GLASS: 14, HIGHLIGHT: 15}


class Geometry:
    """The shapes for one image size, in pixels."""

    def __init__(self, size):
        k = size / 48.0
        self.size = size
        self.cx = self.cy = 19.0 * k
        self.r_outer = 16.0 * k
        # Thin lines vanish at 16 px: keep the rim and handle at least this wide.
        rim = max(3.5 * k, 1.7)
        self.r_inner = self.r_outer - rim
        half_width = max(3.6 * k, 1.45)
        self.handle_r = half_width
        # The handle leaves the rim at 45 degrees towards the lower right corner.
        start = self.r_outer - 1.0 * k
        d = 0.7071067811865476
        self.h0 = (self.cx + start * d, self.cy + start * d)
        self.h1 = (size - half_width - 1.2 * k, size - half_width - 1.2 * k)
        # The part next to the lens is a collar; the grip starts after it.
        self.grip_from = (self.r_outer + 4.0 * k) if size > 16 else (self.r_outer + 1.2)
        self.gleam_in = self.r_inner * 0.55
        self.gleam_out = self.r_inner * 0.80

    def material(self, x, y):
        dx = x - self.cx
        dy = y - self.cy
        dd = dx * dx + dy * dy
        if dd <= self.r_inner * self.r_inner:
            # A crescent of light in the upper left quarter of the glass.
            if self.gleam_in * self.gleam_in <= dd <= self.gleam_out * self.gleam_out:
                if dx < 0 and dy < 0 and abs(dx - dy) < 0.62 * (-dx - dy):
                    return HIGHLIGHT
            return GLASS
        if dd <= self.r_outer * self.r_outer:
            return RIM
        ax, ay = self.h0
        bx, by = self.h1
        vx, vy = bx - ax, by - ay
        t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)
        t = min(1.0, max(0.0, t))
        px, py = ax + t * vx - x, ay + t * vy - y
        if px * px + py * py <= self.handle_r * self.handle_r:
            along = (x - self.cx) * 0.7071067811865476 + (y - self.cy) * 0.7071067811865476
            return GRIP if along >= self.grip_from else HANDLE
        return NONE

    def colour(self, material, x, y):
        """RGBA in 0..1 for the full-colour images."""
        if material == GLASS:
            # Light blue, brighter towards the upper left.
            u = ((x - self.cx) + (y - self.cy)) / (2.0 * self.r_inner)  # -0.7 .. 0.7
            u = min(1.0, max(-1.0, u))
            f = (u + 1.0) / 2.0
            top = (0.86, 0.95, 1.00)
            bottom = (0.52, 0.78, 0.95)
            return tuple(a + (b - a) * f for a, b in zip(top, bottom)) + (1.0,)
        if material == HIGHLIGHT:
            return (1.0, 1.0, 1.0, 1.0)
        if material == RIM:
            # Dark blue-grey with a faint lighter band on its upper left.
            u = ((x - self.cx) + (y - self.cy)) / (2.0 * self.r_outer)
            f = min(1.0, max(0.0, (u + 0.7) / 1.4))
            light = (0.30, 0.42, 0.56)
            dark = (0.10, 0.17, 0.27)
            return tuple(a + (b - a) * f for a, b in zip(light, dark)) + (1.0,)
        if material in (HANDLE, GRIP):
            # Across the handle: lit on its upper right edge.
            ax, ay = self.h0
            across = ((x - ax) * 0.7071067811865476 - (y - ay) * 0.7071067811865476)
            f = min(1.0, max(0.0, (across / self.handle_r + 1.0) / 2.0))
            if material == HANDLE:
                edge, core = (0.42, 0.45, 0.50), (0.22, 0.24, 0.28)
            else:
                edge, core = (0.36, 0.24, 0.16), (0.14, 0.08, 0.05)
            g = abs(f - 0.5) * 2.0
            base = tuple(c + (e - c) * (1.0 - g) * 0.8 for c, e in zip(core, edge))
            return base + (1.0,)
        return (0.0, 0.0, 0.0, 0.0)


def sample_points(size):
    step = 1.0 / SUBSAMPLES
    offsets = [(i + 0.5) * step for i in range(SUBSAMPLES)]
    for py in range(size):
        for px in range(size):
            yield px, py, [(px + ox, py + oy) for oy in offsets for ox in offsets]


def render_rgba(size):
    """Rows top to bottom of (r, g, b, a) bytes, colour not premultiplied."""
    geo = Geometry(size)
    image = [[(0, 0, 0, 0)] * size for _ in range(size)]
    n = SUBSAMPLES * SUBSAMPLES
    for px, py, points in sample_points(size):
        acc = [0.0, 0.0, 0.0, 0.0]
        for x, y in points:
            r, g, b, a = geo.colour(geo.material(x, y), x, y)
            acc[0] += r * a
            acc[1] += g * a
            acc[2] += b * a
            acc[3] += a
        alpha = acc[3] / n
        if acc[3] > 0.0:
            rgb = [min(255, int(c / acc[3] * 255.0 + 0.5)) for c in acc[:3]]
        else:
            rgb = [0, 0, 0]
        a8 = min(255, int(alpha * 255.0 + 0.5))
        image[py][px] = (rgb[0], rgb[1], rgb[2], a8) if a8 > 0 else (0, 0, 0, 0)
    return image


def render_vga16(size):
    """Rows of palette indices, None where transparent."""
    geo = Geometry(size)
    image = [[None] * size for _ in range(size)]
    n = SUBSAMPLES * SUBSAMPLES
    for px, py, points in sample_points(size):
        counts = [0] * 6
        for x, y in points:
            counts[geo.material(x, y)] += 1
        if counts[NONE] * 2 > n:
            continue
        best = max(range(1, 6), key=lambda m: (counts[m], m))
        image[py][px] = VGA16_INDEX[best]
    return image


def median_cut(colours, limit):
    """At most `limit` representative colours for a list of (r, g, b)."""
    boxes = [sorted(colours)]
    while len(boxes) < limit:
        best, best_range, best_channel = None, 0, 0
        for i, box in enumerate(boxes):
            if len(set(box)) < 2:
                continue
            for ch in range(3):
                values = [c[ch] for c in box]
                rng = max(values) - min(values)
                if rng > best_range:
                    best, best_range, best_channel = i, rng, ch
        if best is None:
            break
        box = sorted(boxes[best], key=lambda c: (c[best_channel], c))
        mid = len(box) // 2
        # Keep equal colours together so both halves stay non-empty and distinct.
        while mid < len(box) and box[mid] == box[mid - 1]:
            mid += 1
        if mid == len(box):
            mid = len(box) // 2
            while mid > 0 and box[mid] == box[mid - 1]:
                mid -= 1
        boxes[best:best + 1] = [box[:mid], box[mid:]]
    palette = []
    for box in boxes:
        count = len(box)
        palette.append(tuple((sum(c[ch] for c in box) + count // 2) // count for ch in range(3)))
    return palette


def nearest(palette, colour, first=0):
    best, best_d = first, None
    for i in range(first, len(palette)):
        p = palette[i]
        d = (p[0] - colour[0]) ** 2 + (p[1] - colour[1]) ** 2 + (p[2] - colour[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def to_palette8(rgba):
    """(palette of 256, rows of indices or None) from a full-colour image."""
    opaque = [px[:3] for row in rgba for px in row if px[3] >= 128]
    # Index 0 stays black: the colour under the AND mask's transparent pixels.
    palette = [(0, 0, 0)] + median_cut(opaque, 255)
    cache = {}
    rows = []
    for row in rgba:
        out = []
        for px in row:
            if px[3] < 128:
                out.append(None)
                continue
            key = px[:3]
            if key not in cache:
                cache[key] = nearest(palette, key, first=1)
            out.append(cache[key])
        rows.append(out)
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette, rows


def and_mask(transparent_rows, size):
    """1 bpp mask rows, bottom-up, each padded to 32 bits; 1 = transparent."""
    stride = ((size + 31) // 32) * 4
    data = bytearray()
    for row in reversed(transparent_rows):
        line = bytearray(stride)
        for x, clear in enumerate(row):
            if clear:
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    return bytes(data)


def bitmap_header(size, bpp, image_bytes):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, image_bytes, 0, 0, 0, 0)


def image_32(rgba):
    size = len(rgba)
    xor = bytearray()
    for row in reversed(rgba):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask = and_mask([[px[3] < 128 for px in row] for row in rgba], size)
    return bitmap_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def image_indexed(palette, rows, bpp):
    size = len(rows)
    stride = ((size * bpp + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, index in enumerate(row):
            value = 0 if index is None else index
            if bpp == 8:
                line[x] = value
            else:
                line[x // 2] |= value << (4 if x % 2 == 0 else 0)
        xor += line
    mask = and_mask([[index is None for index in row] for row in rows], size)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return bitmap_header(size, bpp, len(xor) + len(mask)) + colours + bytes(xor) + mask


SIZES = (64, 48, 40, 32, 24, 20, 16)


def build_icon():
    images = []  # (size, colour count, bpp, data)
    full = {size: render_rgba(size) for size in SIZES}
    for size in SIZES:
        images.append((size, 0, 32, image_32(full[size])))
    for size in SIZES:
        palette, rows = to_palette8(full[size])
        images.append((size, 0, 8, image_indexed(palette, rows, 8)))
    for size in (32, 16):
        images.append((size, 16, 4, image_indexed(VGA16, render_vga16(size), 4)))

    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    body = b""
    for size, colours, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
        body += data
    return header + entries + body


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "Loupa.ico")
    data = build_icon()
    with open(target, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (os.path.normpath(target), len(data)))


if __name__ == "__main__":
    main()
