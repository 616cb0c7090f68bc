#!/usr/bin/env python3
"""Finds the five transport buttons in a screenshot of the main window.

usage: find_buttons.py SCREENSHOT.ppm   (binary PPM, 8 bits a sample)

The buttons are the only row of exactly five light rectangles of one width, evenly spaced, on
the window's dark background (the keyboard's rows hold more caps than five). Prints one "x y"
centre per button, left to right (Record, Finish, Play, Circle play, End Play); exits 1 when no
such row is found.
"""
import re
import sys


def five_buttons(row, width):
    """(start, width) of the five light runs on a pixel row when it holds exactly five wide
    ones of one width at one spacing."""
    light = bytes(min(row[3 * x:3 * x + 3]) > 170 for x in range(width))
    wide = [(m.start(), m.end() - m.start()) for m in re.finditer(b"\x01{20,}", light)]
    if len(wide) != 5:
        return None
    widths = [w for _, w in wide]
    steps = [wide[k + 1][0] - wide[k][0] for k in range(4)]
    if max(widths) - min(widths) > 3 or max(steps) - min(steps) > 3:
        return None
    return tuple(wide)


def main():
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    if not header:
        sys.exit("not a binary PPM of 8 bits a sample")
    width, height = int(header[1]), int(header[2])
    pixels, rows = data[header.end():], {}
    for y in range(height):
        group = five_buttons(pixels[3 * width * y:3 * width * (y + 1)], width)
        if group:
            rows.setdefault(group, []).append(y)
    if not rows:
        print("no row of five buttons found", file=sys.stderr)
        return 1
    # Rows through the labels are broken up by the text; the rows above and below them agree.
    group, ys = max(rows.items(), key=lambda item: len(item[1]))
    for x, w in group:
        print(x + w // 2, (min(ys) + max(ys)) // 2)
    return 0


if __name__ == "__main__":
    sys.exit(main())
