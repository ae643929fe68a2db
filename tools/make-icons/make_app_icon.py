#!/usr/bin/env python3
"""Draws the program's icon for the desktop's hicolor theme, in the style of
the button pictures (make_icons.py): a fax page going out over the line.

Run: tools/make-icons/make_app_icon.py data/icons/hicolor
Writes SIZExSIZE/apps/corvane.png for each size; shapes are laid out on the
buttons' 32-unit grid and drawn at the size asked for.
"""
import os
import sys

import make_icons as shapes

SIZES = (48, 64, 128)


class GridCanvas(shapes.Canvas):
    """A canvas that takes 32-unit coordinates whatever its size."""

    def __init__(self, size):
        super().__init__()
        self.unit = size / 32

    def polygon(self, points, color):
        super().polygon([(x * self.unit, y * self.unit) for x, y in points], color)


def draw(c):
    c.circle(16, 16, 15.5, (52, 92, 150, 255))
    shapes.page(c, 6, 5, 15, 21)
    c.rect(9, 8, 6, 3, shapes.BLUE)
    shapes.arrow(c, 15, 21, 30, shapes.YELLOW)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else "."
    for size in SIZES:
        shapes.SIZE = size
        shapes.N = size * shapes.SCALE
        c = GridCanvas(size)
        draw(c)
        directory = f"{target}/{size}x{size}/apps"
        os.makedirs(directory, exist_ok=True)
        with open(f"{directory}/corvane.png", "wb") as out:
            out.write(c.png())


if __name__ == "__main__":
    main()
