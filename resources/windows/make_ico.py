#!/usr/bin/env python3
"""Joins square RGBA PNGs into one Windows icon or cursor:
    make_ico.py OUT.ico IN.png...
    make_ico.py --cursor HOT_X HOT_Y OUT.cur IN.png...

Sizes below 256 are stored as 32-bit bitmaps, which every Windows and Wine draw; 256 keeps its
PNG, as Windows has read PNG entries there since Vista. Only what our own artwork is made of is
read: 8-bit RGBA, not interlaced. Anything else is refused with a message, never guessed at.
A cursor's hot spot is given for its 32-pixel picture and grows with the larger ones, as the
artwork draws them (7, 8 at 32 is 14, 16 at 64).
"""
import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_chunks(data):
    position = len(PNG_SIGNATURE)
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        yield kind, data[position + 8:position + 8 + length]
        position += 12 + length


def read_png(path):
    """Returns (size, rows of RGBA bytes, the file's bytes)."""
    with open(path, "rb") as file:
        data = file.read()
    if not data.startswith(PNG_SIGNATURE):
        raise ValueError(f"{path}: not a PNG file")
    header, compressed = None, b""
    for kind, body in png_chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
    if header is None:
        raise ValueError(f"{path}: the PNG has no header")
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0) or width != height:
        raise ValueError(f"{path}: only square 8-bit RGBA PNGs without interlacing are read")
    return width, unfilter(zlib.decompress(compressed), width, height), data


def paeth(left, up, up_left):
    estimate = left + up - up_left
    distances = (abs(estimate - left), abs(estimate - up), abs(estimate - up_left))
    return (left, up, up_left)[distances.index(min(distances))]


def unfilter(raw, width, height, pixel=4):
    stride = width * pixel
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, row = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for x in range(stride):
            left = row[x - pixel] if x >= pixel else 0
            up_left = previous[x - pixel] if x >= pixel else 0
            predictor = (0, left, previous[x], (left + previous[x]) // 2,
                         paeth(left, previous[x], up_left))[kind]
            row[x] = (row[x] + predictor) & 0xFF
        rows.append(bytes(row))
        previous = row
    return rows


def bitmap_entry(size, rows):
    """A BITMAPINFOHEADER with twice the height (colour, then mask), rows bottom up, BGRA."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes(row[x + i] for x in range(0, len(row), 4) for i in (2, 1, 0, 3))
                      for row in reversed(rows))
    return header + colour + transparency_mask(size, rows)


def transparency_mask(size, rows):
    """The AND mask, 32-bit aligned rows bottom up: set where the pixel is fully transparent,
    for whatever draws the mask rather than the alpha channel (the cursor's black-and-white
    fallback)."""
    stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x in range(size):
            if row[4 * x + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return mask


def make_icon(paths, hot_spot=None):
    images = []
    for path in paths:
        size, rows, data = read_png(path)
        images.append((size, data if size >= 256 else bitmap_entry(size, rows)))
    images.sort(key=lambda image: image[0])
    kind = 1 if hot_spot is None else 2
    directory = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for size, body in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        # An icon's planes and bit count are a cursor's hot spot.
        if hot_spot is None:
            fields = (1, 32)
        else:
            fields = (hot_spot[0] * size // 32, hot_spot[1] * size // 32)
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, *fields, len(body), offset)
        offset += len(body)
    return directory + b"".join(body for _, body in images)


def main():
    arguments = sys.argv[1:]
    hot_spot = None
    try:
        if arguments[:1] == ["--cursor"]:
            hot_spot = (int(arguments[1]), int(arguments[2]))
            arguments = arguments[3:]
    except (IndexError, ValueError):
        arguments = []
    if len(arguments) < 2:
        sys.exit("usage: make_ico.py [--cursor HOT_X HOT_Y] OUT IN.png...")
    try:
        icon = make_icon(arguments[1:], hot_spot)
    except (OSError, ValueError, struct.error, zlib.error) as error:
        sys.exit(f"make_ico.py: {error}")
    with open(arguments[0], "wb") as file:
        file.write(icon)


if __name__ == "__main__":
    main()
