#!/usr/bin/env python3
"""Draws Brindle's icons and the link's hand cursor from code and writes them to
app/icons/*.ico and app/icons/hand.cur, each at every size the program loads at
the display scales it supports (16 x 16 at 96 DPI, 20 at 120, 24 at 144, 32 at
192, ...). The 32-bit images are PNG-compressed (Windows loads those since Vista),
the 256- and 16-colour ones stay bitmaps.

Run by hand after changing the artwork; the .ico files are committed and the
build only compiles them in.  Standard library only; same bytes on every run.

    python3 tools/make_icons.py [--preview sheet.png]
"""
import math
import struct
import sys
import zlib
from pathlib import Path

OUT = Path(__file__).resolve().parent.parent / "app" / "icons"
SS = 8  # samples per pixel edge where a shape boundary crosses the pixel

# --- shapes: signed distance in design units (16 across the icon), < 0 inside


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def rrect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return d


def segment_distance(x, y, a, b):
    ex, ey, wx, wy = b[0] - a[0], b[1] - a[1], x - a[0], y - a[1]
    t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
    return math.hypot(wx - ex * t, wy - ey * t)


def polygon(pts):
    edges = list(zip(pts, pts[1:] + pts[:1]))

    def d(x, y):
        inside = False
        for (ax, ay), (bx, by) in edges:  # even-odd crossings of a ray to the left
            if (ay <= y) != (by <= y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        dist = min(segment_distance(x, y, a, b) for a, b in edges)
        return -dist if inside else dist
    return d


def stroke(pts, width):
    """A thick polyline with round caps and joins."""
    segments = list(zip(pts, pts[1:]))
    return lambda x, y: min(segment_distance(x, y, a, b) for a, b in segments) - width / 2


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def grow(shape, by):  # negative shrinks
    return lambda x, y: shape(x, y) - by


def right_of(x0):
    return lambda x, y: x0 - x


def arc(cx, cy, r, a0, a1, n=16):
    """Points on a circle, angles in degrees counter-clockwise from +x, y down."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy - r * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def bezier(p0, p1, p2, n=12):
    return [tuple((1 - t) ** 2 * a + 2 * (1 - t) * t * b + t * t * c for a, b, c in zip(p0, p1, p2))
            for t in (i / n for i in range(n + 1))]


def vgrad(top, bottom, y0, y1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


class Canvas:
    """Premultiplied RGBA; fill() paints a shape with antialiased coverage.
    hard=True rounds coverage to 0/1 for the 16-colour images, which look
    better crisp than with edge colours snapped to the VGA palette."""

    def __init__(self, size, hard=False):
        self.n, self.k, self.hard = size, size / 16, hard
        self.px = [[0.0] * 4 for _ in range(size * size)]
        self.line = self.units(1 if size <= 32 else 2)  # outline width

    def units(self, pixels):
        return pixels / self.k

    def fill(self, shape, colour):
        k, sub = self.k, [(i + 0.5) / SS for i in range(SS)]
        reach = 0.75 / k  # beyond this a pixel is wholly in or out
        for py in range(self.n):
            for px in range(self.n):
                x, y = (px + 0.5) / k, (py + 0.5) / k
                d = shape(x, y)
                if d > reach:
                    continue
                cov = 1.0 if d < -reach else sum(
                    shape((px + sx) / k, (py + sy) / k) < 0 for sy in sub for sx in sub) / SS ** 2
                if self.hard:
                    cov = float(cov >= 0.5)
                if cov:
                    rgb = colour(x, y) if callable(colour) else colour
                    p = self.px[py * self.n + px]
                    for i in range(3):
                        p[i] = rgb[i] * cov + p[i] * (1 - cov)
                    p[3] = cov + p[3] * (1 - cov)

    def outlined(self, shape, fill, line):
        self.fill(shape, line)
        self.fill(grow(shape, -self.line), fill)

    def rgba(self):
        return [(0, 0, 0, 0) if a < 1 / 512 else
                tuple(min(255, round(c / a)) for c in (r, g, b)) + (round(a * 255),)
                for r, g, b, a in self.px]


# --- palettes: every motif takes its colours by name, so grey variants are a mapping

LOCK = dict(line=(74, 46, 10), body_hi=(255, 222, 112), body_lo=(206, 138, 22),
            keyhole=(74, 46, 10), steel_line=(34, 36, 44), steel_hi=(150, 156, 168),
            steel_lo=(84, 88, 100))
SHIELD = dict(LOCK, edge=(16, 36, 86), rim=(150, 196, 248), left_hi=(104, 164, 236), left_lo=(46, 104, 196),
              right_hi=(40, 88, 176), right_lo=(22, 52, 124), steel_line=None,
              steel_hi=(236, 240, 246), steel_lo=(170, 182, 200))
CHECK = dict(line=(18, 92, 24), hi=(128, 214, 84), lo=(38, 150, 42))
CROSS = dict(line=(128, 12, 12), hi=(250, 104, 88), lo=(204, 28, 24))
BUBBLE = dict(line=(20, 62, 140), hi=(120, 178, 244), lo=(44, 112, 212), mark=(255, 255, 255))

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# The shield redrawn in flat VGA colours for the 16-colour images.
SHIELD_VGA = dict(line=VGA[0], body_hi=VGA[11], body_lo=VGA[11], keyhole=VGA[0],
                  edge=VGA[0], rim=VGA[12], left_hi=VGA[12], left_lo=VGA[12], right_hi=VGA[4],
                  right_lo=VGA[4], steel_line=None, steel_hi=VGA[15], steel_lo=VGA[7])


def luma(rgb):
    return 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]


def mono(pal):  # plain grey: same contrast, no colour
    return {k: v and (luma(v),) * 3 for k, v in pal.items()}


def faded(pal):  # "off": grey, lighter and flatter, still outlined enough to read
    return {k: v and (80 + luma(v) * 0.6,) * 3 for k, v in pal.items()}


# --- motifs


def padlock(c, p, body, legs, arc_y, thick, open=False):
    """body box, shackle leg centres, arc centre height and shackle thickness in
    design units; open leaves the left leg hanging free above the body."""
    x0, y0, x1, y1 = body
    lx, rx = legs
    path = arc((lx + rx) / 2, arc_y, (rx - lx) / 2, 180, 0) + [(rx, y0 + 1)]
    if not open:
        path.insert(0, (lx, y0 + 1))
    if p["steel_line"]:
        c.fill(stroke(path, thick + 2 * c.line), p["steel_line"])
    c.fill(stroke(path, thick), vgrad(p["steel_hi"], p["steel_lo"], arc_y - (rx - lx) / 2, y0))
    c.outlined(rrect(x0, y0, x1, y1, c.units(1)), vgrad(p["body_hi"], p["body_lo"], y0, y1), p["line"])
    if x1 - x0 < c.units(8):  # too small for a keyhole to be more than a smudge
        return
    kx, ky, r = (x0 + x1) / 2, y0 + 0.4 * (y1 - y0), max(c.units(1), 0.09 * (x1 - x0))
    slot = polygon([(kx - r / 2, ky), (kx + r / 2, ky),
                    (kx + r * 0.8, ky + 2.5 * r), (kx - r * 0.8, ky + 2.5 * r)])
    c.fill(union(circle(kx, ky, r), slot), p["keyhole"])


def shield(c, p):
    half = bezier((8, 1), (11, 2), (14, 2), 6) + bezier((14, 2), (14, 12), (8, 15))[1:]
    outline = polygon(half + [(16 - x, y) for x, y in reversed(half[1:-1])])
    inner = grow(outline, -c.line)
    c.fill(outline, p["edge"])
    if c.n >= 32:  # room for a bevel: a light rim just inside the edge
        c.fill(inner, p["rim"])
        inner = grow(inner, -c.units(1))
    c.fill(inner, vgrad(p["left_hi"], p["left_lo"], 2, 14))
    c.fill(intersect(inner, right_of(8)), vgrad(p["right_hi"], p["right_lo"], 2, 14))
    padlock(c, p, (5, 7, 11, 12), (6.5, 9.5), 5, 1)


def lock_button(c, p, open=False):
    """The padlock filling a small square, laid out in whole pixels so it stays crisp."""
    n, u = c.n, c.units
    side, top, thick = round(n * 0.19), round(n * 0.56), 1 if n < 20 else 2
    reach = 1 + (thick + 2) / 2  # from the body's side to the middle of a shackle leg
    padlock(c, p, (u(side), u(top), u(n - side), u(n - 1)), (u(side + reach), u(n - side - reach)),
            u(top - 3 - open), u(thick), open)


def check(c, p):
    c.outlined(stroke([(3.5, 8.5), (6.5, 11.5), (12.5, 4.5)], 3.6),
               vgrad(p["hi"], p["lo"], 4, 13), p["line"])


def cross(c, p):
    c.outlined(union(stroke([(4.2, 4.2), (11.8, 11.8)], 3.4), stroke([(11.8, 4.2), (4.2, 11.8)], 3.4)),
               vgrad(p["hi"], p["lo"], 3, 13), p["line"])


def bubble(c, p):
    body = union(rrect(1.2, 1.4, 14.8, 12.2, 3.4), polygon([(3.6, 10), (8, 11), (3.2, 14.9)]))
    c.outlined(body, vgrad(p["hi"], p["lo"], 1.5, 12), p["line"])
    hook = arc(8, 4.9, 1.75, 160, -60, 10) + [(8, 7.4), (8, 8.0)]
    c.fill(union(stroke(hook, 1.7), circle(8, 10.1, 1.0)), p["mark"])


def hand(c, p):
    """The pointing hand of the link: the index finger's tip at pixel (13, 4), the hot spot."""
    finger = stroke([(6.75, 2.9), (6.75, 9)], 2.5)
    knuckles = [stroke([(x, 8.1), (x, 10)], w) for x, w in ((8.75, 2.0), (10.75, 2.0), (12.5, 1.6))]
    palm = rrect(5.5, 9, 13.3, 15.6, 1.6)
    thumb = stroke([(2.8, 9.2), (5.6, 12.6)], 2.3)
    c.outlined(union(finger, palm, thumb, *knuckles), p["fill"], p["line"])
    for x in (7.75, 9.75, 11.75):  # the clefts between the fingers, one pixel each
        c.fill(stroke([(x, 8.6), (x, 10.4)], c.line), p["line"])


HAND = dict(fill=(255, 255, 255), line=(0, 0, 0))


def render(motif, pal, size, hard=False, **kw):
    c = Canvas(size, hard)
    motif(c, pal, **kw)
    return c.rgba()


# --- .ico writing


def mask_rows(size, rgba):
    stride = (size + 31) // 32 * 4
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        bits = bytearray(stride)
        for x in range(size):
            if rgba[y * size + x][3] < 128:
                bits[x >> 3] |= 0x80 >> (x & 7)
        rows.append(bytes(bits))
    return b"".join(rows)


def median_cut(counts, limit):
    """Deterministic palette of at most `limit` colours from {rgb: count}."""
    boxes = [sorted(counts.items())]
    while len(boxes) < limit:
        best = None
        for i, box in enumerate(boxes):
            spans = [max(c[ch] for c, _ in box) - min(c[ch] for c, _ in box) for ch in range(3)]
            if len(box) > 1 and (best is None or max(spans) > best[0]):
                best = (max(spans), i, spans.index(max(spans)))
        if best is None:
            break
        _, i, ch = best
        box = sorted(boxes[i], key=lambda e: (e[0][ch], e[0]))
        total, acc, cut = sum(n for _, n in box), 0, 0
        while cut < len(box) - 1 and 2 * acc < total:  # split at the weighted median
            acc += box[cut][1]
            cut += 1
        cut = max(cut, 1)
        boxes[i:i + 1] = [box[:cut], box[cut:]]
    return [tuple(round(sum(c[ch] * n for c, n in box) / sum(n for _, n in box)) for ch in range(3))
            for box in boxes]


def nearest(palette, rgb):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], rgb)))


def dib(size, bpp, rgba, max_colours=40):  # 40 is plenty for these few hues and keeps files small
    """BITMAPINFOHEADER + palette + bottom-up XOR bitmap + AND mask."""
    stride = (size * bpp + 31) // 32 * 4
    if bpp == 32:
        palette = []
        rows = [b"".join(struct.pack("<4B", b, g, r, a) if a >= 1 else bytes(4)
                         for r, g, b, a in rgba[y * size:(y + 1) * size]) for y in range(size)]
    else:
        opaque = [px[:3] for px in rgba if px[3] >= 128]
        if bpp == 4:
            palette = VGA
        else:  # index 0 stays black: the XOR colour under a transparent mask bit
            counts = {}
            for rgb in opaque:
                counts[rgb] = counts.get(rgb, 0) + 1
            palette = [(0, 0, 0)] + sorted(set(median_cut(counts, max_colours)) - {(0, 0, 0)})
        index = {rgb: nearest(palette, rgb) for rgb in sorted(set(opaque))}
        rows = []
        for y in range(size):
            ids = [index[px[:3]] if px[3] >= 128 else 0 for px in rgba[y * size:(y + 1) * size]]
            if bpp == 4:
                ids += [0] * (len(ids) % 2)
                ids = [hi << 4 | lo for hi, lo in zip(ids[::2], ids[1::2])]
            rows.append(bytes(ids))
    xor = b"".join(row.ljust(stride, b"\0") for row in reversed(rows))
    image = xor + mask_rows(size, rgba)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bpp, 0, len(image), 0, 0,
                         len(palette), 0)
    return header + b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in palette) + image


def png(size, rgba):
    """An 8-bit RGBA PNG, unfiltered: the smallest for these few flat colours."""
    raw = b"".join(b"\0" + b"".join(bytes(px) for px in rgba[y * size:(y + 1) * size]) for y in range(size))
    return png_file(size, size, 6, raw)


def write_ico(path, images):
    """images: [(size, bpp, rgba)]; bpp 32 is stored as PNG."""
    blobs = [(size, bpp, png(size, rgba) if bpp == 32 else dib(size, bpp, rgba)) for size, bpp, rgba in images]
    head = struct.pack("<HHH", 0, 1, len(blobs))
    offset, entries = 6 + 16 * len(blobs), b""
    for size, bpp, blob in blobs:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if bpp == 4 else 0, 0,
                               1, bpp, len(blob), offset)
        offset += len(blob)
    path.write_bytes(head + entries + b"".join(b for _, _, b in blobs))


def cursor_dib(size, rgba):
    """Monochrome: white where the drawing is light, black where dark."""
    stride = (size + 31) // 32 * 4
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        bits = bytearray(stride)
        for x in range(size):
            r, g, b, a = rgba[y * size + x]
            if a >= 128 and luma((r, g, b)) >= 128:
                bits[x >> 3] |= 0x80 >> (x & 7)
        rows.append(bytes(bits))
    image = b"".join(rows) + mask_rows(size, rgba)
    return (struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 1, 0, len(image), 0, 0, 2, 0)
            + bytes([0, 0, 0, 0, 255, 255, 255, 0]) + image)


def write_cur(path, images):
    """images: [(size, hot_spot, rgba)], one monochrome image each."""
    blobs = [(size, hot, cursor_dib(size, rgba)) for size, hot, rgba in images]
    head = struct.pack("<HHH", 0, 2, len(blobs))
    offset, entries = 6 + 16 * len(blobs), b""
    for size, hot, blob in blobs:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 2, 0, *hot, len(blob), offset)
        offset += len(blob)
    path.write_bytes(head + entries + b"".join(b for _, _, b in blobs))


def read_ico(path):
    """Parses an .ico back, checking its structure; returns [(size, bpp, rgba)]."""
    data = path.read_bytes()
    reserved, kind, count = struct.unpack_from("<HHH", data)
    assert (reserved, kind) == (0, 1) and count, path
    images, end = [], 6 + 16 * count
    for i in range(count):
        w, h, colours, _, planes, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert offset == end and w == h and planes == 1 and colours == (16 if bpp == 4 else 0), path
        end += length
        if data[offset:offset + 8] == b"\x89PNG\r\n\x1a\n":
            images.append((w, bpp, read_png(data[offset:offset + length], w)))
            continue
        hsize, bw, bh, bplanes, bbpp, _, isize, _, _, used, _ = struct.unpack_from(
            "<IiiHHIIiiII", data, offset)
        assert (hsize, bw, bh, bplanes, bbpp) == (40, w, 2 * w, 1, bpp), path
        stride, mstride = (w * bpp + 31) // 32 * 4, (w + 31) // 32 * 4
        assert length == 40 + 4 * used + isize and isize == (stride + mstride) * w, path
        pal = [data[offset + 40 + 4 * j:offset + 43 + 4 * j][::-1] for j in range(used)]
        xor, mask = offset + 40 + 4 * used, offset + 40 + 4 * used + stride * w
        rgba = []
        for y in range(w - 1, -1, -1):
            for x in range(w):
                clear = data[mask + y * mstride + x // 8] >> (7 - x % 8) & 1
                if bpp == 32:
                    b, g, r, a = data[xor + y * stride + 4 * x:xor + y * stride + 4 * x + 4]
                    assert (a < 128) == bool(clear), path
                    rgba.append((r, g, b, a))
                else:
                    byte = data[xor + y * stride + x * bpp // 8]
                    j = byte if bpp == 8 else byte >> (4 - 4 * (x % 2)) & 15
                    rgba.append((0, 0, 0, 0) if clear else tuple(pal[j]) + (255,))
        images.append((w, bpp, rgba))
    assert end == len(data), path
    return images


# --- the set


# The sizes the program asks for: 16 x 16 row images and the 32 x 32 program icon
# at 100, 125, 150, 200, 250 and 300 % display scale (its IconSizes table).
ROW_SIZES = (16, 20, 24, 32, 40, 48)
PROGRAM_SIZES = (16, 20, 24, 32, 40, 48, 64)
# The link's hand at the cursor sizes Windows uses: 100 %, 150 % and 200 % and up.
CURSOR_SIZES = (32, 48, 64)


def row_images(motif, pal, **kw):
    """Every size in 32 bits, and 16 x 16 in 256 colours as before."""
    return [(size, 32, render(motif, pal, size, **kw)) for size in ROW_SIZES] + \
        [(16, 8, render(motif, pal, 16, **kw))]


def build():
    files = {"program.ico": []}
    for size in reversed(PROGRAM_SIZES):
        smooth = render(shield, SHIELD, size)
        files["program.ico"].append((size, 32, smooth))
        if size in (48, 32, 24, 16):
            files["program.ico"] += [(size, 8, smooth), (size, 4, render(shield, SHIELD_VGA, size, hard=True))]
    for name, pal in (("toolbar_normal.ico", mono(LOCK)), ("toolbar_hot.ico", LOCK)):
        files[name] = [(size, bpp, render(lock_button, pal, size)) for size in (20, 16) for bpp in (32, 8)]
    rows = {"enable": (check, CHECK), "prompt": (bubble, BUBBLE), "disable": (cross, CROSS)}
    for name, (motif, pal) in rows.items():
        files[name + ".ico"] = row_images(motif, pal)
        files[name + "_off.ico"] = row_images(motif, faded(pal))
    files["locked.ico"] = row_images(lock_button, LOCK)
    files["unlocked.ico"] = row_images(lock_button, LOCK, open=True)
    return files


def hand_hot_spot(size):
    """The tip of the index finger: (13, 4) at 32 x 32, in proportion at the other sizes."""
    return int(6.75 * size / 16), size // 8


def png_file(width, height, colour_type, raw):
    """colour_type 2 (RGB) or 6 (RGBA), 8 bits a sample; raw: filtered rows."""
    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body))
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def read_png(data, size):
    """The RGBA pixels of a PNG that png() wrote, checking its structure."""
    width, height, depth, colour_type = struct.unpack_from(">IIBB", data, 16)
    assert (width, height, depth, colour_type) == (size, size, 8, 6)
    raw = zlib.decompress(data[41:-12])  # IDAT: after the signature and IHDR, before IEND
    rows = [raw[y * (4 * size + 1):(y + 1) * (4 * size + 1)] for y in range(size)]
    assert all(row[0] == 0 for row in rows)
    return [tuple(row[1 + 4 * x:5 + 4 * x]) for row in rows for x in range(size)]


def write_png(path, width, height, pixels):
    raw = b"".join(b"\0" + bytes(pixels[y * width * 3:(y + 1) * width * 3]) for y in range(height))
    path.write_bytes(png_file(width, height, 2, raw))


def preview(path, decoded):
    """Every image enlarged on button grey, then all of them at 1x on both button greys."""
    cell, per_row = 200, 8
    cells = [img for name in decoded for img in decoded[name]]
    zoomed_rows = (len(cells) + per_row - 1) // per_row
    width, height = cell * per_row, cell * zoomed_rows + 2 * 60
    sheet = bytearray([255] * width * height * 3)

    def rect(x0, y0, w, h, grey):
        for y in range(y0, y0 + h):
            sheet[(y * width + x0) * 3:(y * width + x0 + w) * 3] = bytes([grey]) * w * 3

    def blit(x0, y0, size, rgba, zoom, bg):
        for y in range(size * zoom):
            for x in range(size * zoom):
                r, g, b, a = rgba[(y // zoom) * size + x // zoom]
                o = ((y0 + y) * width + x0 + x) * 3
                sheet[o:o + 3] = bytes(round(c * a / 255 + bg * (1 - a / 255)) for c in (r, g, b))

    for i, (size, _, rgba) in enumerate(cells):
        zoom = 160 // size
        x0, y0 = i % per_row * cell, i // per_row * cell
        rect(x0 + 4, y0 + 4, 192, 192, 192)
        blit(x0 + 4 + (192 - size * zoom) // 2, y0 + 4 + (192 - size * zoom) // 2, size, rgba, zoom, 192)
    for band, bg in enumerate((192, 240)):
        y0, x = cell * zoomed_rows + band * 60, 0
        rect(0, y0, width, 60, bg)
        for size, _, rgba in cells:
            blit(8 + x, y0 + 6, size, rgba, 1, bg)
            x += size + 6
    write_png(path, width, height, sheet)


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    decoded = {}
    for name, images in build().items():
        write_ico(OUT / name, images)
        decoded[name] = read_ico(OUT / name)
        print(f"{name:20} {len(images):2} images {(OUT / name).stat().st_size:6} bytes")
    hands = [(size, hand_hot_spot(size), render(hand, HAND, size, hard=True)) for size in CURSOR_SIZES]
    write_cur(OUT / "hand.cur", hands)
    print(f"{'hand.cur':20} {len(hands):2} images {(OUT / 'hand.cur').stat().st_size:6} bytes")
    decoded["hand.cur"] = [(size, 1, rgba) for size, _, rgba in hands]
    if "--preview" in sys.argv:
        preview(Path(sys.argv[sys.argv.index("--preview") + 1]), decoded)


if __name__ == "__main__":
    main()
