"""Writers for the two Windows picture formats the saver embeds: uncompressed
device-independent bitmaps (8 and 1 bits per pixel) and icons.

Written by hand rather than through PIL so that every header field is under
our control: the resource compiler and GDI take these files as they are.
"""

import struct

import numpy as np


def _row_stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def _bmp(width, height, bits, palette, rows):
    """rows: list of bytes objects, top row first, each already padded."""
    colours = len(palette)
    header_size = 14 + 40 + 4 * colours
    image_size = sum(len(r) for r in rows)
    file_header = struct.pack("<2sIHHI", b"BM", header_size + image_size, 0, 0, header_size)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       2835, 2835, colours, colours)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    # Device-independent bitmaps are stored bottom row first.
    return file_header + info + pal + b"".join(reversed(rows))


def write_bmp8(path, indices, palette):
    """indices: 2-D uint8 array (height, width); palette: 256 (r, g, b) tuples."""
    assert indices.dtype == np.uint8 and len(palette) == 256
    height, width = indices.shape
    stride = _row_stride(width, 8)
    rows = [bytes(indices[y]) + b"\0" * (stride - width) for y in range(height)]
    with open(path, "wb") as f:
        f.write(_bmp(width, height, 8, palette, rows))


def write_bmp1(path, bits):
    """bits: 2-D bool array, True = palette entry 1 (white)."""
    height, width = bits.shape
    stride = _row_stride(width, 1)
    rows = []
    for y in range(height):
        packed = np.packbits(bits[y].astype(np.uint8)).tobytes()
        rows.append(packed + b"\0" * (stride - len(packed)))
    with open(path, "wb") as f:
        f.write(_bmp(width, height, 1, [(0, 0, 0), (255, 255, 255)], rows))


def write_ico(path, images):
    """images: list of (size, rgba uint8 array size x size x 4).

    Each image is stored the classic way (a 32-bit bottom-up bitmap of doubled
    height followed by a 1-bit AND mask), which every Windows version reads.
    """
    entries = []
    blobs = []
    for size, rgba in images:
        assert rgba.shape == (size, size, 4)
        xor_rows = [rgba[y][:, [2, 1, 0, 3]].tobytes() for y in range(size)]
        and_stride = _row_stride(size, 1)
        and_rows = []
        for y in range(size):
            packed = np.packbits((rgba[y, :, 3] == 0).astype(np.uint8)).tobytes()
            and_rows.append(packed + b"\0" * (and_stride - len(packed)))
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        blob = info + b"".join(reversed(xor_rows)) + b"".join(reversed(and_rows))
        blobs.append(blob)
        entries.append((size, len(blob)))
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for size, length in entries:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, length, offset)
        offset += length
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))
