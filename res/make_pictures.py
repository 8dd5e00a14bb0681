#!/usr/bin/env python3
"""Draws tamberlo's pictures: the 32 x 32, 256-colour program icon
(tamberlo.ico) and the 55 x 40, 24-bit logo shown in the dialogs (logo.bmp).

Both show a 40-pin DIP microcontroller on a green circuit board. The files are
written byte for byte the same on every run (no time stamps, no randomness),
next to this script unless another folder is given.
Usage: make_pictures.py [OUTPUT_DIR]
"""

import os
import struct
import sys

BOARD = (24, 110, 52)
BOARD_EDGE = (10, 70, 30)
BOARD_LIGHT = (44, 140, 72)
COPPER = (214, 170, 60)
CHIP = (34, 34, 38)
CHIP_TOP = (74, 74, 82)
CHIP_SHADOW = (12, 12, 14)
PIN = (200, 200, 206)
PIN_DARK = (130, 130, 138)
LABEL = (226, 226, 226)
NOTCH = (16, 16, 18)

# 3 x 5 pixel digits, one string per row, '#' marks a lit pixel.
DIGITS = {
    "3": ["###", "..#", ".##", "..#", "###"],
    "5": ["###", "#..", "###", "..#", "###"],
    "8": ["###", "#.#", "###", "#.#", "###"],
}


class Canvas:
    """A width x height grid of RGB tuples; None marks a transparent pixel."""

    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def text(self, x, y, digits, colour):
        for digit in digits:
            for row, bits in enumerate(DIGITS[digit]):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        self.put(x + col, y + row, colour)
            x += 4


def draw_board(canvas, rounded):
    w, h = canvas.width, canvas.height
    canvas.rect(0, 0, w - 1, h - 1, BOARD_EDGE)
    canvas.rect(1, 1, w - 2, h - 2, BOARD)
    canvas.rect(1, 1, w - 2, 1, BOARD_LIGHT)
    if rounded:
        for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
            canvas.put(x, y, None)
        for x, y in ((1, 1), (w - 2, 1), (1, h - 2), (w - 2, h - 2)):
            canvas.put(x, y, BOARD_EDGE)


def draw_chip(canvas, left, top, right, bottom, pin_pitch, pin_length, trace_to_edge):
    """Draws a DIP package lying on its side: pins along the top and bottom
    edges, pin 1 at the bottom left next to the notch, copper traces from each
    pin towards the board edge when trace_to_edge is set."""
    count = (right - left - 4) // pin_pitch + 1
    first = left + (right - left - (count - 1) * pin_pitch) // 2
    pin_x = [first + i * pin_pitch for i in range(count)]
    for x in pin_x:
        if trace_to_edge:
            canvas.rect(x, 1, x, top - pin_length - 1, COPPER)
            canvas.rect(x, bottom + pin_length + 1, x, canvas.height - 2, COPPER)
        canvas.rect(x, top - pin_length, x, top - 1, PIN)
        canvas.rect(x, bottom + 1, x, bottom + pin_length, PIN_DARK)
    canvas.rect(left + 1, bottom + 1, right + 1, bottom + 1, CHIP_SHADOW)
    canvas.rect(left, top, right, bottom, CHIP)
    canvas.rect(left, top, right, top, CHIP_TOP)
    middle = (top + bottom) // 2
    canvas.rect(left, middle - 1, left + 1, middle + 1, NOTCH)
    canvas.put(left + 2, middle, NOTCH)
    canvas.put(left + 3, bottom - 2, LABEL)


def draw_logo():
    canvas = Canvas(55, 40, BOARD)
    draw_board(canvas, rounded=False)
    draw_chip(canvas, 6, 13, 48, 26, 4, 3, trace_to_edge=True)
    canvas.text(20, 17, "8535", LABEL)
    return canvas


def draw_icon():
    canvas = Canvas(32, 32, BOARD)
    draw_board(canvas, rounded=True)
    draw_chip(canvas, 4, 10, 27, 21, 3, 3, trace_to_edge=True)
    canvas.text(12, 13, "85", LABEL)
    return canvas


def row_padding(row_bytes):
    return b"\0" * (-row_bytes % 4)


def bitmap_info_header(width, height, bits, colours_used):
    return struct.pack(
        "<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 2835, 2835, colours_used, 0
    )


def encode_bmp(canvas):
    """24-bit bottom-up BMP; each row of BGR triples is padded to 4 bytes."""
    rows = []
    for row in reversed(canvas.pixels):
        data = b"".join(bytes((b, g, r)) for (r, g, b) in row)
        rows.append(data + row_padding(len(data)))
    image = b"".join(rows)
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(image), 0, 0, header_size)
    return file_header + bitmap_info_header(canvas.width, canvas.height, 24, 0) + image


def encode_ico(canvas):
    """One-image ICO: 8 bits per pixel with a 256-entry palette, followed by
    the 1-bit AND mask that marks transparent pixels."""
    colours = sorted({c for row in canvas.pixels for c in row if c is not None})
    palette = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
    if len(palette) > 256:
        raise ValueError("icon uses more than 256 colours")
    index = {c: i for i, c in enumerate(palette)}
    palette_bytes = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    palette_bytes += b"\0" * (4 * (256 - len(palette)))

    colour_rows = []
    mask_rows = []
    for row in reversed(canvas.pixels):
        data = bytes(index.get(c, 0) for c in row)
        colour_rows.append(data + row_padding(len(data)))
        mask = bytearray((canvas.width + 7) // 8)
        for x, c in enumerate(row):
            if c is None:
                mask[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(mask) + row_padding(len(mask)))

    image = (
        bitmap_info_header(canvas.width, 2 * canvas.height, 8, 256)
        + palette_bytes
        + b"".join(colour_rows)
        + b"".join(mask_rows)
    )
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", canvas.width, canvas.height, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(out_dir, "logo.bmp"), "wb") as f:
        f.write(encode_bmp(draw_logo()))
    with open(os.path.join(out_dir, "tamberlo.ico"), "wb") as f:
        f.write(encode_ico(draw_icon()))


if __name__ == "__main__":
    main()
