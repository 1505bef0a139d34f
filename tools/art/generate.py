#!/usr/bin/python3
"""Draws every picture of the saver into resources/.

    /usr/bin/python3 tools/art/generate.py            # writes resources/*.bmp, *.ico
    /usr/bin/python3 tools/art/generate.py --preview DIR   # also scaled-up PNGs to look at

Needs Debian's python3-pil, python3-numpy and fonts-dejavu-core (use the
system python: a pyenv or venv python will not see Debian's modules).  Every
random choice comes from fixed seeds, so running it again gives byte-identical
files.  The outputs are committed; the build does not run this script.

Pictures written:
  sprite.bmp   586 x 266, 8 bpp: 21 popped pieces at their cells, and the
               kernel in 16 roll positions along y 220-251
  mask.bmp     586 x 266, 1 bpp: 0 (black) on every image pixel, 1 elsewhere
  preview.bmp  150 x 112, 8 bpp: the preview monitor's still picture
  title.bmp    320 x 240, 8 bpp: the configuration dialog's title picture
  about.bmp    150 x 112, 8 bpp: the about box's small title picture
  fizzlet.ico  16, 32 and 48 pixel kernel icon
"""

import argparse
import os
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bmpio  # noqa: E402
import kernels  # noqa: E402

SHEET_W, SHEET_H = 586, 266

# Cell rectangles of the popped pieces on the sheet: (left, top, width, height).
# The saver's sprite table addresses the sheet with exactly these numbers.
PIECE_CELLS = [
    (5, 22, 75, 56), (104, 18, 63, 67), (192, 18, 66, 66), (282, 19, 63, 50),
    (375, 17, 55, 50), (458, 16, 40, 56), (525, 16, 52, 50),
    (23, 111, 38, 37), (83, 106, 31, 42), (135, 110, 42, 38), (200, 108, 48, 39),
    (267, 97, 50, 50), (336, 95, 49, 53), (403, 101, 58, 44),
    (60, 169, 49, 37), (124, 164, 40, 43), (180, 166, 42, 41), (238, 175, 39, 32),
    (297, 177, 35, 31), (349, 173, 26, 35), (393, 177, 32, 31),
]
KERNEL_TOP, KERNEL_SIZE, ROLL_STEPS = 220, 32, 16

# Seed of each piece on the sheet, picked by eye from a contact sheet of
# candidates so that each shape suits its cell's proportions and the set
# runs from white puffs to a couple of well-toasted ones.
PIECE_SEEDS = [2027, 2022, 2009, 2031, 2008, 2026, 2039,
               2019, 2013, 2017, 2023, 2016, 2037, 2035,
               2034, 2012, 2036, 2028, 2001, 2014, 2045]
SCENE_SEED = 7      # scattering of pieces and kernels on the other pictures

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")

NAME = "Fizzlet"
SUBTITLE = "Screen Saver"


# ---------------------------------------------------------------- palettes

def to_bytes(rgb):
    return np.clip(np.rint(rgb * 255), 0, 255).astype(np.uint8)


def quantize(rgb, inside):
    """Index the pixels of rgb (uint8, H x W x 3) into a 256-entry palette.

    Entry 0 is black and is given to exactly the pixels outside `inside`;
    inside pixels get entries 1-255, none of which is black, so a picture
    pixel can never be mistaken for background."""
    pixels = rgb[inside]
    strip = Image.fromarray(pixels.reshape(1, -1, 3))
    q = strip.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    used = np.array(q.getpalette()[:255 * 3]).reshape(-1, 3)
    palette = [(0, 0, 0)]
    for r, g, b in used:
        palette.append((int(r), int(g), int(b)) if (r, g, b) != (0, 0, 0) else (1, 1, 1))
    # Unused entries: a grey ramp, never black.
    while len(palette) < 256:
        v = 16 + (len(palette) * 239) // 255
        palette.append((v, v, v))
    indices = np.zeros(inside.shape, np.uint8)
    indices[inside] = np.array(q, dtype=np.uint8).reshape(-1) + 1
    return indices, palette


def quantize_picture(rgb):
    """A whole picture (black background included) to 256 colours; entry 0
    is black.  No dithering: 255 colours are plenty for these few hues, and
    dither noise would speckle the black background."""
    img = Image.fromarray(rgb)
    q = img.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = np.array(q.getpalette()[:255 * 3]).reshape(-1, 3)
    idx = np.array(q, dtype=np.uint8).astype(np.int32)
    # Put pure black at entry 0 (merging it if the quantizer made one).
    blacks = [i for i, c in enumerate(pal) if tuple(c) == (0, 0, 0)]
    out = idx + 1
    for b in blacks:
        out[idx == b] = 0
    out[(rgb == 0).all(axis=-1)] = 0
    palette = [(0, 0, 0)] + [tuple(int(v) for v in c) if tuple(c) != (0, 0, 0) else (1, 1, 1)
                             for c in pal]
    while len(palette) < 256:
        palette.append((1, 1, 1))
    return out.astype(np.uint8), palette


def indexed_to_rgb(indices, palette):
    return np.array(palette, np.uint8)[indices]


# ---------------------------------------------------------------- the sheet

def kernel_frames():
    """The 16 roll positions, each turned 22.5 degrees further clockwise, so
    that playing them forwards rolls the kernel to the right."""
    frames = []
    for k in range(ROLL_STEPS):
        rgb, cov = kernels.render_kernel(360.0 * k / ROLL_STEPS)
        frames.append((rgb, cov >= 0.5))
    return frames


def build_sheet():
    rgb = np.zeros((SHEET_H, SHEET_W, 3))
    inside = np.zeros((SHEET_H, SHEET_W), bool)
    for i, (x, y, w, h) in enumerate(PIECE_CELLS):
        piece, cov = kernels.render_piece(w, h, PIECE_SEEDS[i])
        m = cov >= 0.5
        rgb[y:y + h, x:x + w][m] = piece[m]
        inside[y:y + h, x:x + w] |= m
    for k, (krgb, m) in enumerate(kernel_frames()):
        x = KERNEL_SIZE * k
        rgb[KERNEL_TOP:KERNEL_TOP + 32, x:x + 32][m] = krgb[m]
        inside[KERNEL_TOP:KERNEL_TOP + 32, x:x + 32] |= m
    rgb8 = to_bytes(rgb)
    # Even the darkest edge pixel of an image stays off pure black.
    dark = inside & (rgb8.max(axis=-1) < 8)
    rgb8[dark] = np.maximum(rgb8[dark], np.array([10, 7, 3], np.uint8))
    indices, palette = quantize(rgb8, inside)
    return indices, palette, ~inside


# ---------------------------------------------------------------- scenes

def paste(canvas, rgb, cov, x, y):
    """Draw rgb over canvas at (x, y) with coverage as alpha, clipped."""
    h, w = cov.shape
    H, W = canvas.shape[:2]
    x0, y0, x1, y1 = max(x, 0), max(y, 0), min(x + w, W), min(y + h, H)
    if x0 >= x1 or y0 >= y1:
        return
    a = np.clip(cov[y0 - y:y1 - y, x0 - x:x1 - x] * 1.6 - 0.3, 0, 1)[..., None]
    src = rgb[y0 - y:y1 - y, x0 - x:x1 - x]
    canvas[y0:y1, x0:x1] = canvas[y0:y1, x0:x1] * (1 - a) + src * a


def scatter_pieces(canvas, rng, cols, rows, lo, hi, region):
    """Popped pieces of random sizes spread over region (x0, y0, x1, y1): one
    per cell of a cols x rows grid, jittered, drawn in random order.  Those
    drawn first are a little dimmer, as if further back."""
    x0, y0, x1, y1 = region
    spots = [(c, r) for r in range(rows) for c in range(cols)]
    order = rng.permutation(len(spots))
    for i, j in enumerate(order):
        c, r = spots[j]
        w = int(rng.integers(lo, hi))
        h = int(w * rng.uniform(0.75, 1.15))
        cx = x0 + (c + rng.uniform(0.2, 0.8)) * (x1 - x0) / cols
        cy = y0 + (r + rng.uniform(0.2, 0.8)) * (y1 - y0) / rows
        rgb, cov = kernels.render_piece(w, h, int(rng.integers(1 << 30)), factor=3)
        near = i / max(1, len(spots) - 1)
        rgb = rgb * (0.86 + 0.14 * near)
        paste(canvas, rgb, cov, int(cx - w / 2), int(cy - h / 2))


def kernel_row(canvas, rng, size, y, gap):
    """Unpopped kernels along the bottom edge, each at its own angle."""
    x = int(rng.integers(-size // 3, 2))
    while x < canvas.shape[1]:
        rgb, cov = kernels.render_kernel(float(rng.uniform(0, 360)), factor=6, size=size)
        paste(canvas, rgb, cov, x, y + int(rng.integers(-1, 2)))
        x += size + int(rng.integers(gap[0], gap[1]))


def draw_title(canvas, text, size, centre_y, outline, font=FONT_BOLD):
    """Text in golden letters with a red outline and a soft drop shadow."""
    H, W = canvas.shape[:2]
    f = ImageFont.truetype(font, size)
    l, t, r, b = f.getbbox(text, stroke_width=outline)
    x = (W - (r - l)) // 2 - l
    y = centre_y - (b - t) // 2 - t

    def layer(stroke, dx=0, dy=0):
        img = Image.new("L", (W, H), 0)
        ImageDraw.Draw(img).text((x + dx, y + dy), text, font=f, fill=255,
                                 stroke_width=stroke, stroke_fill=255)
        return np.asarray(img, np.float64) / 255

    shadow = kernels.blur(layer(outline, outline // 2 + 1, outline // 2 + 1), max(1.0, outline / 2))
    edge = layer(outline)
    face = layer(0)
    rows = (np.arange(H) - (centre_y - size / 2)) / size
    gold = kernels.mix((1.0, 0.93, 0.55), (0.96, 0.62, 0.10), np.clip(rows, 0, 1))
    gold = np.broadcast_to(gold[:, None, :], (H, W, 3))
    red = np.array((0.86, 0.07, 0.05))
    canvas *= (1 - 0.8 * shadow)[..., None]
    canvas[:] = canvas * (1 - edge[..., None]) + red * edge[..., None]
    canvas[:] = canvas * (1 - face[..., None]) + gold * face[..., None]


def build_title(width, height, seed):
    """The configuration dialog's title picture at any size: popped pieces on
    black, the name in large red-outlined letters, kernels along the bottom."""
    s = width / 320
    rng = np.random.default_rng(seed)
    canvas = np.zeros((height, width, 3))
    scatter_pieces(canvas, rng, 5, 3, int(34 * s), int(60 * s),
                   (0, 0, width, int(height * 0.84)))
    draw_title(canvas, NAME, int(78 * s), int(height * 0.40), max(2, int(5 * s)))
    draw_title(canvas, SUBTITLE, int(30 * s), int(height * 0.66), max(1, int(3 * s)))
    ksize = max(16, int(30 * s))
    kernel_row(canvas, rng, ksize, height - ksize - max(1, int(4 * s)), (int(2 * s), int(12 * s) + 1))
    return to_bytes(canvas)


def build_preview(seed):
    """The preview monitor's still picture: the name in two lines over
    scattered popped pieces, a row of kernels along the bottom."""
    rng = np.random.default_rng(seed)
    W, H = 150, 112
    canvas = np.zeros((H, W, 3))
    scatter_pieces(canvas, rng, 5, 3, 16, 28, (0, 0, W, 92))
    draw_title(canvas, NAME, 32, 34, 2)
    draw_title(canvas, SUBTITLE, 17, 64, 2)
    kernel_row(canvas, rng, 16, H - 19, (1, 6))
    return to_bytes(canvas)


def build_icon():
    images = []
    for size in (16, 32, 48):
        rgb, cov = kernels.render_kernel(-35.0, factor=8, size=size, edge_dim=0.0)
        rgba = np.dstack([to_bytes(rgb), to_bytes(cov)])
        rgba[cov <= 0] = 0
        images.append((size, rgba))
    return images


# ---------------------------------------------------------------- main

def save_png(path, rgb, scale):
    img = Image.fromarray(rgb)
    img.resize((img.width * scale, img.height * scale), Image.NEAREST).save(path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.normpath(os.path.join(here, "..", "..", "resources"))
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--out", default=default_out, help="folder for the pictures")
    ap.add_argument("--preview", help="also write scaled-up PNGs of everything here")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)

    indices, palette, mask = build_sheet()
    bmpio.write_bmp8(os.path.join(args.out, "sprite.bmp"), indices, palette)
    bmpio.write_bmp1(os.path.join(args.out, "mask.bmp"), mask)

    pictures = {
        "preview": build_preview(SCENE_SEED),
        "title": build_title(320, 240, SCENE_SEED + 1),
    }
    # The about box shows the same picture, smaller.
    big = Image.fromarray(pictures["title"])
    pictures["about"] = np.asarray(big.resize((150, 112), Image.LANCZOS))
    quantized = {}
    for name, rgb in pictures.items():
        idx, pal = quantize_picture(rgb)
        bmpio.write_bmp8(os.path.join(args.out, name + ".bmp"), idx, pal)
        quantized[name] = indexed_to_rgb(idx, pal)
    icons = build_icon()
    bmpio.write_ico(os.path.join(args.out, "fizzlet.ico"), icons)

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        sheet = indexed_to_rgb(indices, palette)
        save_png(os.path.join(args.preview, "sheet.png"), sheet, 2)
        save_png(os.path.join(args.preview, "mask.png"),
                 np.repeat(mask[..., None].astype(np.uint8) * 255, 3, axis=-1), 2)
        for name, rgb in quantized.items():
            save_png(os.path.join(args.preview, name + ".png"), rgb, 3)
        strip = sheet[KERNEL_TOP:KERNEL_TOP + 32, 0:512]
        save_png(os.path.join(args.preview, "roll.png"), strip, 4)
        for size, rgba in icons:
            Image.fromarray(rgba, "RGBA").resize((size * 4, size * 4), Image.NEAREST).save(
                os.path.join(args.preview, "icon%d.png" % size))


if __name__ == "__main__":
    main()
