#!/usr/bin/env python3
"""Draws the main window's button pictures (32x32 PNG) from simple shapes.

Run: tools/make-icons/make_icons.py src/app/resources/icons
Shapes are drawn at four times the size and averaged down for smooth edges.
"""
import math
import struct
import sys
import zlib

SIZE = 32
SCALE = 4
N = SIZE * SCALE


class Canvas:
    def __init__(self):
        self.px = [[(0, 0, 0, 0)] * N for _ in range(N)]

    def plot(self, x, y, color):
        if 0 <= x < N and 0 <= y < N:
            self.px[y][x] = color

    def polygon(self, points, color):
        pts = [(x * SCALE, y * SCALE) for x, y in points]
        for y in range(N):
            yc = y + 0.5
            xs = []
            for (x1, y1), (x2, y2) in zip(pts, pts[1:] + pts[:1]):
                if (y1 <= yc < y2) or (y2 <= yc < y1):
                    xs.append(x1 + (yc - y1) * (x2 - x1) / (y2 - y1))
            xs.sort()
            for a, b in zip(xs[::2], xs[1::2]):
                for x in range(int(math.ceil(a - 0.5)), int(math.floor(b - 0.5)) + 1):
                    self.plot(x, y, color)

    def rect(self, x, y, w, h, color):
        self.polygon([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], color)

    def frame(self, x, y, w, h, fill, border, width=1.2):
        self.rect(x, y, w, h, border)
        self.rect(x + width, y + width, w - 2 * width, h - 2 * width, fill)

    def line(self, x1, y1, x2, y2, width, color):
        dx, dy = x2 - x1, y2 - y1
        length = math.hypot(dx, dy) or 1
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x1 + nx, y1 + ny), (x2 + nx, y2 + ny), (x2 - nx, y2 - ny), (x1 - nx, y1 - ny)], color)

    def circle(self, cx, cy, r, color):
        self.polygon([(cx + r * math.cos(a / 24 * 2 * math.pi), cy + r * math.sin(a / 24 * 2 * math.pi))
                      for a in range(24)], color)

    def png(self):
        rows = []
        for y in range(SIZE):
            row = bytearray([0])
            for x in range(SIZE):
                acc = [0, 0, 0, 0]
                for sy in range(SCALE):
                    for sx in range(SCALE):
                        r, g, b, a = self.px[y * SCALE + sy][x * SCALE + sx]
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
                alpha = acc[3] // (SCALE * SCALE)
                if acc[3]:
                    row += bytes([acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], alpha])
                else:
                    row += bytes(4)
            rows.append(bytes(row))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


WHITE = (255, 255, 255, 255)
INK = (40, 44, 52, 255)
PAPER = (250, 250, 245, 255)
LINES = (120, 130, 150, 255)
BLUE = (40, 100, 200, 255)
GREEN = (40, 160, 70, 255)
RED = (200, 50, 40, 255)
YELLOW = (240, 190, 40, 255)
BROWN = (150, 110, 60, 255)


def page(c, x=7, y=3, w=18, h=24, lines=True):
    c.frame(x, y, w, h, PAPER, INK)
    if lines:
        for i in range(4):
            c.rect(x + 3, y + 5 + i * 4, w - 6, 1.4, LINES)


def plus(c, cx, cy, color):
    c.circle(cx, cy, 6.5, color)
    c.rect(cx - 4, cy - 1.2, 8, 2.4, WHITE)
    c.rect(cx - 1.2, cy - 4, 2.4, 8, WHITE)


def arrow(c, x1, y, x2, color):
    c.line(x1, y, x2 - 4, y, 3, color)
    c.polygon([(x2, y), (x2 - 6, y - 5), (x2 - 6, y + 5)], color)


def icons():
    def new(c):
        page(c)
        plus(c, 23, 23, GREEN)

    def addcover(c):
        page(c, 10, 6, 17, 23)
        page(c, 4, 2, 17, 23, lines=False)
        c.rect(7, 6, 11, 4, BLUE)
        plus(c, 23, 24, GREEN)

    def edit(c):
        page(c)
        c.line(12, 25, 27, 8, 4, YELLOW)
        c.polygon([(10.5, 28), (11, 23), (14, 26)], INK)

    def clone(c):
        page(c, 3, 2, 16, 21)
        page(c, 12, 9, 16, 21)

    def forward(c):
        page(c, 3, 3, 16, 22)
        arrow(c, 10, 22, 30, BLUE)

    def delete(c):
        c.frame(9, 9, 14, 19, (220, 220, 225, 255), INK)
        c.rect(6, 5, 20, 3, INK)
        c.rect(13, 2.5, 6, 3, INK)
        for x in (12.5, 15.5, 18.5):
            c.rect(x, 12, 1.5, 13, LINES)
        c.line(5, 27, 27, 5, 3, RED)

    def archive(c):
        c.frame(4, 12, 24, 16, BROWN, INK)
        c.frame(2, 7, 28, 6, (190, 150, 90, 255), INK)
        c.rect(12, 16, 8, 2.5, INK)

    def sort(c):
        for i, w in enumerate((18, 13, 8)):
            c.rect(4, 6 + i * 8, w, 4, BLUE)
        c.line(25, 4, 25, 24, 3, INK)
        c.polygon([(25, 29), (19.5, 22), (30.5, 22)], INK)

    def send(c):
        page(c, 3, 5, 16, 22)
        arrow(c, 12, 16, 31, GREEN)

    def receive(c):
        page(c, 13, 5, 16, 22)
        arrow(c, 1, 16, 20, BLUE)

    def view(c):
        page(c, 3, 2, 18, 24)
        c.circle(19, 18, 7, INK)
        c.circle(19, 18, 5, (200, 225, 250, 255))
        c.line(23, 23, 29, 29, 3.5, INK)

    def exit_(c):
        c.frame(5, 3, 16, 26, (200, 170, 120, 255), INK)
        c.circle(17, 16, 1.4, INK)
        arrow(c, 14, 16, 31, RED)

    return {"new": new, "addcover": addcover, "edit": edit, "clone": clone, "forward": forward, "delete": delete,
            "archive": archive, "sort": sort, "send": send, "receive": receive, "view": view, "exit": exit_}


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, draw in icons().items():
        c = Canvas()
        draw(c)
        with open(f"{target}/{name}.png", "wb") as out:
            out.write(c.png())


if __name__ == "__main__":
    main()
