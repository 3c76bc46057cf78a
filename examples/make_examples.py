#!/usr/bin/env python3
"""Draws the example plates of zalvo-plan.

Run from anywhere: python3 examples/make_examples.py. Writes, next to this
script:
  blobs.png   160x80 colour PNG at 100 pixels per inch: black blobs, a grey
              blob and a black wall that only a red seed line lets a corridor
              through.
  text.pgm    200x64 binary PGM: lines of text-like marks, one of them grey.
  closed.pbm  48x24 plain PBM: a black wall over the whole height with no
              seed, so no line crosses it.
Each image has a <name>.args file with the planner options its expected
result (<name>.expected.json) was made with. Only the standard library is
used, so the images are the same on every machine.
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY = (128, 128, 128)
RED = (255, 0, 0)


class Canvas:
    def __init__(self, columns, rows):
        self.columns = columns
        self.rows = rows
        self.pixels = [[WHITE] * columns for _ in range(rows)]

    def set(self, x, y, colour):
        if 0 <= x < self.columns and 0 <= y < self.rows:
            self.pixels[y][x] = colour

    def rectangle(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(cy - ry, cy + ry + 1):
            for x in range(cx - rx, cx + rx + 1):
                if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
                    self.set(x, y, colour)

    def text_line(self, left, right, baseline, height, colour):
        """Words of letters of varied width; deterministic."""
        widths = [3, 4, 2, 4, 3, 5, 3]
        x = left
        i = 0
        while x < right:
            for _ in range(2 + i % 4):
                width = widths[i % len(widths)]
                top = baseline - (height if i % 3 == 0 else height * 2 // 3)
                self.rectangle(x, top, min(right, x + width - 1), baseline, colour)
                x += width + 1
                i += 1
            x += 4


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, canvas, pixels_per_inch):
    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in canvas.pixels)
    pixels_per_metre = round(pixels_per_inch / 0.0254)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.columns, canvas.rows, 8, 2, 0, 0, 0)))
        f.write(png_chunk(b"pHYs", struct.pack(">IIB", pixels_per_metre, pixels_per_metre, 1)))
        f.write(png_chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(png_chunk(b"IEND", b""))


def write_pgm(path, canvas):
    with open(path, "wb") as f:
        f.write(b"P5\n# zalvo-plan example\n%d %d\n255\n" % (canvas.columns, canvas.rows))
        f.write(bytes(pixel[0] for row in canvas.pixels for pixel in row))


def write_plain_pbm(path, canvas):
    with open(path, "w") as f:
        f.write("P1\n# zalvo-plan example\n%d %d\n" % (canvas.columns, canvas.rows))
        for row in canvas.pixels:
            f.write(" ".join("1" if pixel == BLACK else "0" for pixel in row) + "\n")


def write_args(name, arguments):
    with open(os.path.join(HERE, name + ".args"), "w") as f:
        f.write("\n".join(arguments) + "\n")


def blobs():
    canvas = Canvas(160, 80)
    canvas.ellipse(20, 30, 8, 12, BLACK)
    canvas.ellipse(55, 60, 10, 8, GREY)
    canvas.ellipse(60, 15, 9, 7, BLACK)
    canvas.rectangle(96, 0, 103, 79, BLACK)
    canvas.rectangle(96, 44, 103, 44, RED)
    canvas.ellipse(135, 30, 7, 10, BLACK)
    write_png(os.path.join(HERE, "blobs.png"), canvas, 100)
    write_args("blobs", ["--min-distance", "2px", "--preferred-distance", "6px"])


def text():
    canvas = Canvas(200, 64)
    canvas.text_line(10, 180, 12, 6, BLACK)
    canvas.text_line(20, 190, 34, 6, GREY)
    canvas.text_line(10, 170, 56, 6, BLACK)
    write_pgm(os.path.join(HERE, "text.pgm"), canvas)
    write_args("text", ["--resolution", "150", "--min-distance", "0.3mm", "--preferred-distance", "4pt",
                        "--penalty", "middle", "--row-policy", "stagger", "--split-column", "100"])


def closed():
    canvas = Canvas(48, 24)
    canvas.rectangle(20, 0, 23, 23, BLACK)
    write_plain_pbm(os.path.join(HERE, "closed.pbm"), canvas)
    write_args("closed", ["--resolution", "72", "--min-distance", "1pt", "--preferred-distance", "3pt"])


if __name__ == "__main__":
    blobs()
    text()
    closed()
