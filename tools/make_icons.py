#!/usr/bin/env python3
"""Draw the program icons (a stopwatch with a red wedge of time left) and
write resources/tiv500.ico (16x16 + 32x32) and resources/tiv501.ico (32x32 + 16x16).

Standard library only.  Shapes are sampled on a sub-pixel grid so that the
edges come out anti-aliased; each image is stored as a 32-bit BGRA DIB with
a 1-bit AND mask, which every Windows version and Wine can read.
"""

import math
import os
import struct
import sys

SUB = 8  # sub-samples per pixel along each axis

RING = (28, 62, 120)      # dark blue case
FACE = (255, 255, 255)
WEDGE = (224, 52, 40)     # time still to run
HAND = (24, 24, 24)
CROWN = (28, 62, 120)


def seg_dist(px, py, ax, ay, bx, by):
    """Distance from point p to segment a-b."""
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    qx, qy = ax + t * dx, ay + t * dy
    return math.hypot(px - qx, py - qy)


def make_painter(size):
    """Return f(x, y) -> (r, g, b) or None, in a 0..1 square, tuned per size
    so that the 16-pixel image keeps strokes at least a pixel wide."""
    px = 1.0 / size
    small = size <= 16
    cx, cy = 0.5, 0.56 if not small else 0.5625
    r_out = 0.43 if not small else 0.4375
    ring_w = max(0.085, 1.6 * px) if small else 0.075
    r_in = r_out - ring_w
    wedge_r = r_in - (0.6 * px if small else 1.2 * px)
    hand_w = 2.0 * px
    # crown (the button of a stopwatch) above the case
    crown_w = 0.25 if small else 0.19
    crown_top = 0.0 if small else 0.03
    crown_h = 2.0 * px if small else 3.0 * px
    stem_w = 2.0 * px if small else 2.5 * px
    # wedge from 12 o'clock clockwise over 150 degrees (about 25 minutes)
    wedge_deg = 150.0
    end_ang = math.radians(wedge_deg)
    # hands: the long one to 12, the short one along the wedge's far edge
    long_len = r_in - 1.2 * px
    short_len = r_in * 0.62
    hx0, hy0 = cx, cy
    long_end = (cx, cy - long_len)
    short_end = (cx + short_len * math.sin(end_ang),
                 cy - short_len * math.cos(end_ang))
    ticks = []
    if not small:
        for k in range(12):
            a = math.radians(30 * k)
            if k % 3 == 0:
                t0 = r_in - 3.2 * px
            else:
                t0 = r_in - 2.0 * px
            t1 = r_in - 0.4 * px
            ticks.append(((cx + t0 * math.sin(a), cy - t0 * math.cos(a)),
                          (cx + t1 * math.sin(a), cy - t1 * math.cos(a)),
                          0.9 * px if k % 3 == 0 else 0.55 * px))

    def paint(x, y):
        d = math.hypot(x - cx, y - cy)
        # hands and centre on top of everything inside the face
        if d < r_in:
            if d < (1.4 * px if small else 2.0 * px):
                return HAND
            if seg_dist(x, y, hx0, hy0, *long_end) < hand_w / 2 + 0.0:
                return HAND
            if seg_dist(x, y, hx0, hy0, *short_end) < hand_w / 2 + 0.0:
                return HAND
            for (a, b, w) in ticks:
                if seg_dist(x, y, a[0], a[1], b[0], b[1]) < w / 2:
                    return HAND
            if d < wedge_r:
                ang = math.atan2(x - cx, -(y - cy))  # 0 at 12, clockwise
                if ang < 0:
                    ang += 2 * math.pi
                if ang <= end_ang:
                    return WEDGE
            return FACE
        if d < r_out:
            return RING
        # crown: a small bar on a stem above the case
        if abs(x - cx) < crown_w / 2 and crown_top <= y < crown_top + crown_h:
            return CROWN
        if abs(x - cx) < stem_w / 2 and crown_top + crown_h <= y < cy - r_out + ring_w:
            return CROWN
        return None

    return paint


def render(size):
    """Return rows (top to bottom) of (r, g, b, a) tuples."""
    paint = make_painter(size)
    rows = []
    n = SUB * SUB
    for py in range(size):
        row = []
        for px in range(size):
            rs = gs = bs = 0
            cover = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    x = (px + (sx + 0.5) / SUB) / size
                    y = (py + (sy + 0.5) / SUB) / size
                    c = paint(x, y)
                    if c is not None:
                        rs += c[0]
                        gs += c[1]
                        bs += c[2]
                        cover += 1
            if cover == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(rs / cover), round(gs / cover),
                            round(bs / cover), round(255 * cover / n)))
        rows.append(row)
    return rows


def dib(rows):
    """BITMAPINFOHEADER + BGRA pixels + AND mask, both bottom-up."""
    h = len(rows)
    w = len(rows[0])
    mask_stride = ((w + 31) // 32) * 4
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            pixels += bytes((b, g, r, a))
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def ico(images):
    """images: list of rows-lists; returns the bytes of an .ico file."""
    blobs = [dib(rows) for rows in images]
    out = bytearray(struct.pack('<HHH', 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for rows, blob in zip(images, blobs):
        w = len(rows[0])
        h = len(rows)
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'resources')
    img16 = render(16)
    img32 = render(32)
    with open(os.path.join(outdir, 'tiv500.ico'), 'wb') as f:
        f.write(ico([img16, img32]))
    with open(os.path.join(outdir, 'tiv501.ico'), 'wb') as f:
        f.write(ico([img32, img16]))


if __name__ == '__main__':
    main()
