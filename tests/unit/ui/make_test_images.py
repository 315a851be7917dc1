#!/usr/bin/env python3
"""Writes the ui unit tests' pictures (PNG) and icon (ICO) into a folder.

Standard library only and fully determined by this file, so every build
makes the same bytes. The colours and sizes are the ones the tests expect
(see ui_test_resources.h and ui_test_support.h).
"""
import struct
import sys
import zlib
from pathlib import Path

RED = (255, 0, 0, 255)
GREEN = (0, 255, 0, 255)
BLUE = (0, 0, 255, 255)
WHITE = (255, 255, 255, 255)
# kFrameColours in ui_test_support.h.
FRAME_COLOURS = [(200, 0, 0, 255), (0, 200, 0, 255), (0, 0, 200, 255),
                 (200, 200, 0, 255), (0, 200, 200, 255), (200, 0, 200, 255)]
# kPieceColours in ui_test_support.h; the last piece is half transparent.
PIECE_COLOURS = [(255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255), (255, 255, 0, 255),
                 (0, 255, 255, 255), (255, 0, 255, 255), (128, 128, 128, 255),
                 (255, 255, 255, 128)]


def png(width, height, pixel):
    """A truecolour PNG with alpha; pixel(x, y) gives (r, g, b, a)."""
    rows = b"".join(
        b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def solid(width, height, colour):
    return png(width, height, lambda x, y: colour)


def strip(frame_width, height, colours):
    return png(frame_width * len(colours), height, lambda x, y: colours[x // frame_width])


def icon(sizes):
    """An ICO of 32-bit DIB images: an opaque blue square with a white
    diagonal, one image per size."""
    images = []
    for size in sizes:
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = b"".join(
            bytes((255, 255, 255, 255) if x == y else (255, 0, 0, 255))  # BGRA
            for y in reversed(range(size)) for x in range(size))
        mask_row = ((size + 31) // 32) * 4
        images.append(header + pixels + b"\0" * (mask_row * size))
    offset = 6 + 16 * len(sizes)
    directory = struct.pack("<HHH", 0, 1, len(sizes))
    for size, image in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image),
                                 offset)
        offset += len(image)
    return directory + b"".join(images)


def main(folder):
    out = Path(folder)
    out.mkdir(parents=True, exist_ok=True)
    files = {
        "normal.png": solid(7, 5, RED),
        "high_resolution.png": solid(14, 10, BLUE),
        "columns.png": strip(2, 2, [RED, GREEN, BLUE, WHITE]),
        "not_an_image.bin": b"This is no picture.\n" * 4,
        "positions.png": png(20, 12, lambda x, y: (10 * x, 20 * y, 128, 255)),
        "six_frames.png": strip(8, 8, FRAME_COLOURS),
        "three_frames.png": strip(10, 6, FRAME_COLOURS[:3]),
        "bar_filled.png": solid(40, 6, GREEN),
        "bar_empty.png": solid(40, 6, RED),
        "test.ico": icon([16, 32, 48]),
    }
    for index, colour in enumerate(PIECE_COLOURS):
        files["piece_%d.png" % index] = solid(4, 4, colour)
    for name, data in files.items():
        path = out / name
        if not path.exists() or path.read_bytes() != data:
            path.write_bytes(data)


if __name__ == "__main__":
    main(sys.argv[1])
