#!/usr/bin/python3
"""Writes the reference images of test_imaging.cpp with Pillow (Debian python3-pil).

Every picture follows a formula that the test evaluates again, so the test
checks our decoders against files written by an independent encoder.  The
decoded JPEG reference (a binary PPM) is Pillow's own decoding of the file.
Run from this folder: /usr/bin/python3 make_imaging_refs.py  (writes into ../data)
"""
import struct
from pathlib import Path
from PIL import Image

OUT = Path(__file__).resolve().parent.parent / "data"
OUT.mkdir(exist_ok=True)
W, H = 13, 7


def pattern(x, y):
    return ((x * 7 + y * 3) & 255, (x * y * 5) & 255, (255 - x * 11 - y) & 255)


def smooth(x, y, w, h):
    return (x * 255 // (w - 1), y * 255 // (h - 1), (x + y) * 255 // (w + h - 2))


def rgb_image():
    im = Image.new("RGB", (W, H))
    for y in range(H):
        for x in range(W):
            im.putpixel((x, y), pattern(x, y))
    return im


# 24-bit BMP, bottom-up rows with padding (13 * 3 = 39 bytes -> 40).
rgb_image().save(OUT / "img_rgb24.bmp")

# 8-bit palettized BMP: index (x + y) % 16, palette entry i = (16i, 255 - 16i, 8i).
pal = Image.new("P", (W, H))
palette = []
for i in range(256):
    palette += [(i * 16) & 255, (255 - i * 16) & 255, (i * 8) & 255]
pal.putpalette(palette)
for y in range(H):
    for x in range(W):
        pal.putpixel((x, y), (x + y) % 16)
pal.save(OUT / "img_pal8.bmp")
pal.save(OUT / "img_pal8.png")

# 32-bit top-down BMP written field by field: BITMAPINFOHEADER, negative
# height, BI_RGB, the fourth byte = alpha (x * 20) & 255 (not all zero).
rows = b""
for y in range(H):
    for x in range(W):
        r, g, b = pattern(x, y)
        rows += bytes((b, g, r, (x * 20) & 255))
hdr = struct.pack("<IiiHHIIiiII", 40, W, -H, 1, 32, 0, len(rows), 3780, 3780, 0, 0)
fh = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(rows), 0, 0, 54)
(OUT / "img_topdown32.bmp").write_bytes(fh + hdr + rows)

# PNG: RGB, RGBA (alpha (x * 20) & 255) and 8-bit grey (value (x * 19 + y * 5) & 255).
rgb_image().save(OUT / "img_rgb.png")
rgba = Image.new("RGBA", (W, H))
for y in range(H):
    for x in range(W):
        rgba.putpixel((x, y), pattern(x, y) + ((x * 20) & 255,))
rgba.save(OUT / "img_rgba.png")
grey = Image.new("L", (W, H))
for y in range(H):
    for x in range(W):
        grey.putpixel((x, y), (x * 19 + y * 5) & 255)
grey.save(OUT / "img_grey.png")

# JPEG of a smooth 64 x 48 picture, quality 95, baseline and progressive,
# and Pillow's decoding of the baseline file as a binary PPM.
JW, JH = 64, 48
sm = Image.new("RGB", (JW, JH))
for y in range(JH):
    for x in range(JW):
        sm.putpixel((x, y), smooth(x, y, JW, JH))
sm.save(OUT / "img_q95.jpg", quality=95)
sm.save(OUT / "img_q95_prog.jpg", quality=95, progressive=True)
Image.open(OUT / "img_q95.jpg").convert("RGB").save(OUT / "img_q95_decoded.ppm")

# 1-bit BMP: white where (x + y) % 3 == 0, black elsewhere.
mono = Image.new("1", (W, H))
for y in range(H):
    for x in range(W):
        mono.putpixel((x, y), 1 if (x + y) % 3 == 0 else 0)
mono.save(OUT / "img_mono1.bmp")

# 16-bit BMP with bit fields (RGB 5-6-5), bottom-up, written field by field;
# pixel (x, y) has r5 = (x * 2) & 31, g6 = (y * 9) & 63, b5 = (x + y) & 31.
rows = b""
for y in reversed(range(H)):
    row = b""
    for x in range(W):
        v = (((x * 2) & 31) << 11) | (((y * 9) & 63) << 5) | ((x + y) & 31)
        row += struct.pack("<H", v)
    row += b"\0" * ((4 - len(row) % 4) % 4)
    rows += row
hdr = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 16, 3, len(rows), 3780, 3780, 0, 0)
masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
fh = struct.pack("<2sIHHI", b"BM", 14 + 40 + 12 + len(rows), 0, 0, 14 + 40 + 12)
(OUT / "img_rgb565.bmp").write_bytes(fh + hdr + masks + rows)

# Grey JPEG and Pillow's decoding of it (binary PGM).
gj = Image.new("L", (JW, JH))
for y in range(JH):
    for x in range(JW):
        gj.putpixel((x, y), (x * 3 + y * 2) & 255)
gj.save(OUT / "img_grey.jpg", quality=95)
Image.open(OUT / "img_grey.jpg").save(OUT / "img_grey_decoded.pgm")
