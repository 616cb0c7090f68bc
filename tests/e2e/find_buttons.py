#!/usr/bin/env python3
"""Finds the five transport buttons in a screenshot of the main window.

usage: find_buttons.py SCREENSHOT.ppm

The buttons are the only row of exactly five light rectangles of one width, evenly spaced, on
the window's dark background (the keyboard's rows hold more caps than five). Prints one "x y"
centre per button, left to right (Record, Finish, Play, Circle play, End Play); exits 1 when no
such row is found.
"""
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, at = [], 0
    while len(fields) < 4:  # magic, width, height, maximum, with comments allowed between
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b"P6":
        sys.exit("not a binary PPM")
    pixels = data[at + 1:]
    if int(fields[3]) > 255:  # 16 bits a sample, most significant byte first
        pixels = pixels[0::2]
    return int(fields[1]), int(fields[2]), pixels


def light_runs(pixels, width, y):
    runs, start = [], None
    for x in range(width):
        r, g, b = pixels[3 * (y * width + x):3 * (y * width + x) + 3]
        light = r > 170 and g > 170 and b > 170
        if light and start is None:
            start = x
        elif not light and start is not None:
            runs.append((start, x - start))
            start = None
    if start is not None:
        runs.append((start, width - start))
    return runs


def five_buttons(runs):
    """The runs when the row holds exactly five wide ones of one width at one spacing."""
    wide = [run for run in runs if run[1] >= 20]
    if len(wide) != 5:
        return None
    widths = [w for _, w in wide]
    steps = [wide[k + 1][0] - wide[k][0] for k in range(4)]
    if max(widths) - min(widths) > 3 or max(steps) - min(steps) > 3:
        return None
    return tuple(wide)


def main():
    width, height, pixels = read_ppm(sys.argv[1])
    rows = {}
    for y in range(height):
        group = five_buttons(light_runs(pixels, width, y))
        if group:
            rows.setdefault(group, []).append(y)
    if not rows:
        print("no row of five buttons found", file=sys.stderr)
        return 1
    # Rows through the labels are broken up by the text; the rows above and below them agree.
    group, ys = max(rows.items(), key=lambda item: len(item[1]))
    y = (min(ys) + max(ys)) // 2
    for x, w in group:
        print(x + w // 2, y)
    return 0


if __name__ == "__main__":
    sys.exit(main())
