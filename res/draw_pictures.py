#!/usr/bin/env python3
"""Draws the program's pictures and writes them as .bmp and .ico files.

Run from anywhere: python3 res/draw_pictures.py. The output is committed; run the
script again after changing a drawing. Only the standard library is used.

Every bitmap is drawn for 100, 150 and 200 % display scales (NAME.bmp, NAME_150.bmp,
NAME_200.bmp): the drawings are written in 100 % pixels and the shapes are sampled at
the larger size, not enlarged afterwards. Edges that lie on whole pixels at 100 % are
kept on whole pixels at every size, so sheets, folders and frames stay crisp.

Bitmaps are 24-bit with pure green (0, 255, 0) as the transparent colour; edge
pixels are blended against white, the background of the lists and the tree they
appear in. Icons carry a real alpha channel.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SUB = 4  # sub-samples per pixel edge

GREEN_KEY = (0, 255, 0)


class Canvas:
    """A picture drawn with filled shapes, sampled SUB x SUB times per pixel.

    Coordinates are given in 100 % pixels and multiplied by scale; width and
    height are the picture's real size in pixels.
    """

    def __init__(self, width, height, scale=1.0):
        self.w, self.h = width, height
        self.k = scale
        self.samples = [None] * (width * SUB * height * SUB)

    def _at(self, v):
        return v * self.k

    def _edge(self, v):
        """A rectangle edge: on a whole pixel at 100 %, on a whole pixel here too."""
        return round(v * self.k) if float(v).is_integer() else v * self.k

    def _fill(self, inside, colour, box):
        x0, y0, x1, y1 = box
        sx0 = max(0, int(math.floor(x0 * SUB)))
        sy0 = max(0, int(math.floor(y0 * SUB)))
        sx1 = min(self.w * SUB, int(math.ceil(x1 * SUB)))
        sy1 = min(self.h * SUB, int(math.ceil(y1 * SUB)))
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / SUB
            row = sy * self.w * SUB
            for sx in range(sx0, sx1):
                x = (sx + 0.5) / SUB
                if inside(x, y):
                    self.samples[row + sx] = colour

    def rect(self, x0, y0, x1, y1, colour, radius=0.0):
        x0, y0, x1, y1 = self._edge(x0), self._edge(y0), self._edge(x1), self._edge(y1)
        radius = self._at(radius)

        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            if radius <= 0:
                return True
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius

        self._fill(inside, colour, (x0, y0, x1, y1))

    def ellipse(self, cx, cy, rx, ry, colour):
        cx, cy, rx, ry = self._at(cx), self._at(cy), self._at(rx), self._at(ry)

        def inside(x, y):
            return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0

        self._fill(inside, colour, (cx - rx, cy - ry, cx + rx, cy + ry))

    def ring(self, cx, cy, r_out, r_in, colour):
        cx, cy, r_out, r_in = self._at(cx), self._at(cy), self._at(r_out), self._at(r_in)

        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            return r_in * r_in <= d <= r_out * r_out

        self._fill(inside, colour, (cx - r_out, cy - r_out, cx + r_out, cy + r_out))

    def polygon(self, points, colour):
        points = [(self._at(x), self._at(y)) for x, y in points]

        def inside(x, y):
            hit = False
            n = len(points)
            for i in range(n):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                if (ya > y) != (yb > y):
                    if x < xa + (y - ya) * (xb - xa) / (yb - ya):
                        hit = not hit
            return hit

        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self._fill(inside, colour, (min(xs), min(ys), max(xs), max(ys)))

    def line(self, xa, ya, xb, yb, width, colour):
        dx, dy = xb - xa, yb - ya
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(xa + nx, ya + ny), (xb + nx, yb + ny), (xb - nx, yb - ny),
                      (xa - nx, ya - ny)], colour)

    def blocks(self, x, y, block, bits, colour):
        """Rows of '#' and '.' as block x block squares from (x, y), all in real
        pixels: lettering too small to survive anti-aliasing."""
        for j, row in enumerate(bits):
            for i, ch in enumerate(row):
                if ch == "#":
                    box = (x + i * block, y + j * block, x + (i + 1) * block,
                           y + (j + 1) * block)
                    self._fill(lambda px, py: True, colour, box)

    def rgba(self):
        """Per pixel (r, g, b, a), averaging the sub-samples."""
        out = []
        for py in range(self.h):
            for px in range(self.w):
                r = g = b = n = 0
                for sy in range(SUB):
                    row = (py * SUB + sy) * self.w * SUB + px * SUB
                    for sx in range(SUB):
                        c = self.samples[row + sx]
                        if c is not None:
                            r, g, b, n = r + c[0], g + c[1], b + c[2], n + 1
                if n == 0:
                    out.append((0, 0, 0, 0))
                else:
                    out.append((r // n, g // n, b // n, 255 * n // (SUB * SUB)))
        return out


def keyed_rgb(canvas):
    """24-bit pixels: transparent becomes pure green, edges blend into white."""
    out = []
    for r, g, b, a in canvas.rgba():
        if a < 96:
            out.append(GREEN_KEY)
        else:
            k = a / 255.0
            out.append(tuple(int(round(c * k + 255 * (1 - k))) for c in (r, g, b)))
    return out


def write_bmp(path, width, height, rgb):
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = rgb[y * width + x]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_ico(path, draw, sizes):
    images = []
    for size in sizes:
        c = Canvas(size, size)
        draw(c, size / 48.0)
        px = c.rgba()
        xor = bytearray()
        for y in range(size - 1, -1, -1):
            for x in range(size):
                r, g, b, a = px[y * size + x]
                xor += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for y in range(size - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(size):
                if px[y * size + x][3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0)
        images.append((size, info + xor + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, blob in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in images:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


# Colours shared by every picture, so they read as one family.
BLUE = (38, 98, 196)
BLUE_LIGHT = (96, 156, 232)
BLUE_DARK = (22, 60, 130)
TEAL = (0, 150, 160)
TEAL_LIGHT = (70, 200, 205)
TEAL_DARK = (0, 96, 104)
GOLD = (250, 196, 40)
GOLD_DARK = (196, 130, 10)
GREY = (140, 146, 156)
GREY_LIGHT = (200, 204, 210)
GREY_DARK = (90, 96, 106)
RED = (208, 44, 44)
WHITE = (255, 255, 255)
PAPER = (250, 250, 246)
INK = (50, 56, 66)
GREEN = (40, 160, 70)


def cube(c, x, y, s, light, mid, dark):
    """An isometric block whose top corner is at (x, y), s wide."""
    h = s / 2
    c.polygon([(x, y), (x + h, y + h / 2), (x, y + h), (x - h, y + h / 2)], light)
    c.polygon([(x - h, y + h / 2), (x, y + h), (x, y + h * 2), (x - h, y + h * 1.5)], mid)
    c.polygon([(x + h, y + h / 2), (x, y + h), (x, y + h * 2), (x + h, y + h * 1.5)], dark)


def sparkle(c, x, y, r, colour):
    c.polygon([(x, y - r), (x + r * 0.25, y - r * 0.25), (x + r, y), (x + r * 0.25, y + r * 0.25),
               (x, y + r), (x - r * 0.25, y + r * 0.25), (x - r, y), (x - r * 0.25, y - r * 0.25)],
              colour)


def draw_product(c, k):
    """Three registry blocks with a sparkle: the program's own picture."""
    cube(c, 14 * k, 19 * k, 20 * k, BLUE_LIGHT, BLUE, BLUE_DARK)
    cube(c, 34 * k, 19 * k, 20 * k, TEAL_LIGHT, TEAL, TEAL_DARK)
    cube(c, 24 * k, 4 * k, 20 * k, BLUE_LIGHT, BLUE, BLUE_DARK)
    sparkle(c, 40 * k, 8 * k, 7.5 * k, GOLD_DARK)
    sparkle(c, 40 * k, 8 * k, 6 * k, GOLD)
    sparkle(c, 8 * k, 40 * k, 4.5 * k, GOLD)


def draw_edit_icon(c, k):
    """A registry sheet with a pencil: viewing or editing one entry."""
    c.rect(6 * k, 3 * k, 36 * k, 45 * k, GREY_DARK, 3 * k)
    c.rect(7.5 * k, 4.5 * k, 34.5 * k, 43.5 * k, PAPER, 2 * k)
    for i, colour in enumerate((BLUE, TEAL, BLUE, GREY, BLUE)):
        y = (10 + i * 6.5) * k
        c.rect(11 * k, y, 15 * k, y + 3.5 * k, colour)
        c.rect(17 * k, y + 0.75 * k, (31 - (i % 2) * 6) * k, y + 2.75 * k, GREY_LIGHT)
    c.line(42 * k, 14 * k, 22 * k, 38 * k, 7 * k, GOLD_DARK)
    c.line(42 * k, 14 * k, 22 * k, 38 * k, 4.5 * k, GOLD)
    c.polygon([(19.5 * k, 35.5 * k), (24.5 * k, 40 * k), (17 * k, 43 * k)], (236, 206, 160))
    c.polygon([(18 * k, 40.5 * k), (19.6 * k, 42 * k), (17 * k, 43 * k)], INK)
    c.line(44.5 * k, 11 * k, 40 * k, 16.4 * k, 7 * k, RED)


# 16-pixel pictures --------------------------------------------------------

def small_block(c, x, light, mid, dark):
    cube(c, x + 8, 1.5, 13, light, mid, dark)


def small_folder(c, x, body=GOLD, edge=GOLD_DARK):
    c.rect(x + 1, 3, x + 7, 6, edge, 1)
    c.rect(x + 1, 4.5, x + 15, 14, edge, 1)
    c.rect(x + 2, 6, x + 14, 13, body, 0.5)


def small_tag(c, x, border):
    c.rect(x + 0.5, 2.5, x + 15.5, 13.5, border, 1.5)
    c.rect(x + 1.5, 3.5, x + 14.5, 12.5, WHITE, 1)


LETTERS = {
    "a": ["###", "..#", "###", "#.#", "###"],
    "b": ["#..", "###", "#.#", "#.#", "###"],
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#", "##", ".#", ".#", ".#"],
}


def lettering(c, cx, cy, text, colour):
    """Block letters centred on (cx, cy), in squares of whole pixels: one pixel
    at 100 %, two at 150 % and 200 % (letters one pixel apart at 150 %, so three
    still fit a tag)."""
    block, gap = max(1, round(c.k)), max(1, int(c.k))
    width = sum(len(LETTERS[ch][0]) * block for ch in text) + gap * (len(text) - 1)
    height = len(LETTERS[text[0]]) * block
    x = math.floor(cx * c.k - width / 2)
    y = math.floor(cy * c.k - height / 2)
    for ch in text:
        c.blocks(x, y, block, LETTERS[ch], colour)
        x += len(LETTERS[ch][0]) * block + gap


def draw_cleaner_results(c):
    small_block(c, 0, BLUE_LIGHT, BLUE, BLUE_DARK)  # string value
    small_folder(c, 16)  # key
    small_block(c, 32, GREY_LIGHT, GREY, GREY_DARK)  # any other value


def draw_search_results(c):
    small_folder(c, 0)  # key
    small_tag(c, 16, GREY)
    lettering(c, 16 + 8, 8, "ab", RED)  # string value
    small_tag(c, 32, GREY)
    lettering(c, 32 + 8, 8, "011", BLUE)  # any other value


def draw_floppy(c, x=0):
    c.rect(x + 1, 1, x + 15, 15, BLUE_DARK, 1.5)
    c.rect(x + 2, 2, x + 14, 14, BLUE, 1)
    c.rect(x + 4, 1.5, x + 12, 6, GREY_LIGHT)
    c.rect(x + 9.5, 2.5, x + 11, 5, GREY_DARK)
    c.rect(x + 3.5, 8.5, x + 12.5, 14.5, PAPER)
    c.rect(x + 5, 10, x + 11, 11, GREY)
    c.rect(x + 5, 12, x + 11, 13, GREY)


def task_sheet(c, x):
    c.rect(x + 2.5, 1, x + 12.5, 15, GREY_DARK, 1)
    c.rect(x + 3.5, 2, x + 11.5, 14, PAPER, 0.5)


def cross(c, x, y, r, colour):
    c.line(x - r, y - r, x + r, y + r, 2, colour)
    c.line(x - r, y + r, x + r, y - r, 2, colour)


def clock(c, cx, cy, r, face, rim):
    c.ellipse(cx, cy, r, r, rim)
    c.ellipse(cx, cy, r - 1.3, r - 1.3, face)
    c.line(cx, cy, cx, cy - r + 2.5, 1.3, INK)
    c.line(cx, cy, cx + r - 3, cy, 1.3, INK)


def globe(c, cx, cy, r):
    c.ellipse(cx, cy, r, r, TEAL_DARK)
    c.ellipse(cx, cy, r - 1, r - 1, TEAL_LIGHT)
    c.polygon([(cx - 4.5, cy - 3), (cx - 0.5, cy - 4.5), (cx + 0.5, cy - 0.5), (cx - 2, cy + 1.5),
               (cx - 4.5, cy + 0.5)], GREEN)
    c.polygon([(cx + 1.5, cy + 1.5), (cx + 4.5, cy + 0.5), (cx + 3.5, cy + 4), (cx + 1, cy + 4)],
              GREEN)


def gear(c, cx, cy, r, colour):
    for i in range(8):
        a = i * math.pi / 4
        c.line(cx, cy, cx + math.cos(a) * r, cy + math.sin(a) * r, 2.6, colour)
    c.ellipse(cx, cy, r - 1.5, r - 1.5, colour)
    c.ellipse(cx, cy, 1.8, 1.8, WHITE)


def person(c, x, y, colour, dark):
    c.ellipse(x, y + 0.5, 3.2, 3.2, dark)
    c.ellipse(x, y + 0.5, 2.3, 2.3, colour)
    c.rect(x - 5, y + 4.5, x + 5, y + 12, dark, 3)
    c.rect(x - 4, y + 5.5, x + 4, y + 11, colour, 2.2)


def badge_missing(c, x):
    c.ellipse(x + 11.5, 11.5, 4.2, 4.2, WHITE)
    cross(c, x + 11.5, 11.5, 2.3, RED)


def draw_tasks(c):
    x = 0
    # 1 missing files in the current user's settings
    person(c, x + 6.5, 3.2, BLUE_LIGHT, BLUE_DARK)
    badge_missing(c, x)
    x += 16
    # 2 missing files in the settings of all users
    person(c, x + 10, 2.5, TEAL_LIGHT, TEAL_DARK)
    person(c, x + 5.5, 4, BLUE_LIGHT, BLUE_DARK)
    badge_missing(c, x)
    x += 16
    # 3 missing files in the machine's settings: a computer
    c.rect(x + 1, 1.5, x + 14, 10.5, GREY_DARK, 1)
    c.rect(x + 2.2, 2.7, x + 12.8, 9.3, BLUE_LIGHT)
    c.rect(x + 5, 10.5, x + 10, 12.5, GREY)
    c.rect(x + 3, 12.5, x + 12, 14, GREY_DARK, 0.5)
    badge_missing(c, x)
    x += 16
    # 4 class registrations: a gear on a registry block
    small_block(c, x, BLUE_LIGHT, BLUE, BLUE_DARK)
    gear(c, x + 11, 11, 4.6, GREY_DARK)
    x += 16
    # 5 uninstall entries: a package box
    c.polygon([(x + 8, 1), (x + 15, 4.5), (x + 8, 8), (x + 1, 4.5)], (226, 180, 120))
    c.polygon([(x + 1, 4.5), (x + 8, 8), (x + 8, 15), (x + 1, 11.5)], (196, 142, 80))
    c.polygon([(x + 15, 4.5), (x + 8, 8), (x + 8, 15), (x + 15, 11.5)], (160, 110, 56))
    x += 16
    # 6 history lists: a clock
    clock(c, x + 8, 8, 7, WHITE, BLUE)
    x += 16
    # 7 start menu order, empty keys and file types: a menu of lines
    c.rect(x + 1, 1, x + 15, 15, GREY_DARK, 1)
    c.rect(x + 2, 2, x + 14, 14, WHITE, 0.5)
    c.rect(x + 2, 2, x + 5, 14, BLUE)
    for y in (3.5, 7, 10.5):
        c.rect(x + 6.5, y, x + 12.5, y + 1.8, GREY)
    x += 16
    # 8 shared library counts: stacked library sheets
    c.rect(x + 4, 1, x + 15, 12, GREY_DARK, 1)
    c.rect(x + 5, 2, x + 14, 11, GREY_LIGHT, 0.5)
    c.rect(x + 1, 4, x + 12, 15, GREY_DARK, 1)
    c.rect(x + 2, 5, x + 11, 14, PAPER, 0.5)
    gear(c, x + 6.5, 9.5, 3.6, BLUE)
    x += 16
    # 9 locale entries: a globe
    globe(c, x + 8, 8, 7)
    x += 16
    # 10 time zones: a globe and a small clock
    globe(c, x + 6.5, 6.5, 6)
    clock(c, x + 11, 11, 4.6, WHITE, GOLD_DARK)
    x += 16
    # 11 start-up entries: a green start arrow
    c.ellipse(x + 8, 8, 7, 7, (20, 120, 50))
    c.ellipse(x + 8, 8, 6, 6, GREEN)
    c.polygon([(x + 6, 4.5), (x + 12, 8), (x + 6, 11.5)], WHITE)


SCALES = (100, 150, 200)


def bitmap(name, width, height, draw, spare_rows=0):
    """NAME.bmp at 100 %, NAME_150.bmp and NAME_200.bmp: width x height pixels at
    100 %, scaled; spare_rows transparent rows below at every size."""
    for scale in SCALES:
        k = scale / 100.0
        w, h = round(width * k), round(height * k) + spare_rows
        c = Canvas(w, h, k)
        draw(c)
        suffix = "" if scale == 100 else "_%d" % scale
        write_bmp(os.path.join(HERE, name + suffix + ".bmp"), w, h, keyed_rgb(c))


# Icons for small and large icons at 100 % to 200 % (16, 20, 24, 32 and 32, 40,
# 48, 64), so that the system never has to enlarge one.
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64)


def main():
    bitmap("PagePictures", 48, 48, lambda c: draw_product(c, 1.0))
    bitmap("CleanerResults", 48, 16, draw_cleaner_results)
    bitmap("CleanerTasks", 176, 16, draw_tasks, spare_rows=1)
    bitmap("BackupRow", 16, 16, draw_floppy)
    bitmap("SearchResults", 48, 16, draw_search_results)
    write_ico(os.path.join(HERE, "MainFrame.ico"), draw_product, ICON_SIZES)
    write_ico(os.path.join(HERE, "EditRegItem.ico"), draw_edit_icon, ICON_SIZES)


if __name__ == "__main__":
    main()
