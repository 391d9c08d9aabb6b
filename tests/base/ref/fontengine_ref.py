#!/usr/bin/python3
"""Reference values for tests/base/test_fontengine.cpp, read straight from the font files'
tables with fontTools (Debian package python3-fonttools).

Rules the values follow (the text engine's documented behaviour):
- a requested family maps onto one of the pinned font files (aliases below, DejaVu Sans otherwise);
- the advance of a glyph is hmtx advance * em / unitsPerEm rounded half up to whole pixels, and
  a text's width is the sum of those advances (no kerning);
- a character missing from the font is taken from DejaVu Sans (same weight) when that font has
  it, otherwise the font's glyph 0 (.notdef) stands in;
- bytes that do not form valid UTF-8 stand for Latin-1 characters;
- Ascent/Descent are OS/2 usWinAscent/usWinDescent scaled and rounded the same way.

Usage:  /usr/bin/python3 tests/base/ref/fontengine_ref.py > tests/base/data/fontengine_ref.inc
"""
from fontTools.pens.statisticsPen import StatisticsPen
from fontTools.ttLib import TTFont

LIB = "/usr/share/fonts/truetype/liberation2/"
DJV = "/usr/share/fonts/truetype/dejavu/"
FILES = {
    ("Liberation Sans", False, False): LIB + "LiberationSans-Regular.ttf",
    ("Liberation Sans", True, False): LIB + "LiberationSans-Bold.ttf",
    ("Liberation Sans", False, True): LIB + "LiberationSans-Italic.ttf",
    ("Liberation Sans", True, True): LIB + "LiberationSans-BoldItalic.ttf",
    ("Liberation Serif", False, False): LIB + "LiberationSerif-Regular.ttf",
    ("Liberation Serif", True, False): LIB + "LiberationSerif-Bold.ttf",
    ("Liberation Serif", False, True): LIB + "LiberationSerif-Italic.ttf",
    ("Liberation Serif", True, True): LIB + "LiberationSerif-BoldItalic.ttf",
    ("Liberation Mono", False, False): LIB + "LiberationMono-Regular.ttf",
    ("Liberation Mono", True, False): LIB + "LiberationMono-Bold.ttf",
    ("Liberation Mono", False, True): LIB + "LiberationMono-Italic.ttf",
    ("Liberation Mono", True, True): LIB + "LiberationMono-BoldItalic.ttf",
    # the DejaVu core set has no italic faces: italics are slanted regular/bold outlines
    ("DejaVu Sans", False, False): DJV + "DejaVuSans.ttf",
    ("DejaVu Sans", True, False): DJV + "DejaVuSans-Bold.ttf",
    ("DejaVu Sans", False, True): DJV + "DejaVuSans.ttf",
    ("DejaVu Sans", True, True): DJV + "DejaVuSans-Bold.ttf",
    ("DejaVu Sans Mono", False, False): DJV + "DejaVuSansMono.ttf",
    ("DejaVu Sans Mono", True, False): DJV + "DejaVuSansMono-Bold.ttf",
    ("DejaVu Serif", False, False): DJV + "DejaVuSerif.ttf",
    ("DejaVu Serif", True, False): DJV + "DejaVuSerif-Bold.ttf",
}
ALIASES = {
    "arial": "Liberation Sans", "ms sans serif": "Liberation Sans", "tahoma": "Liberation Sans",
    "helvetica": "Liberation Sans", "verdana": "Liberation Sans", "segoe ui": "Liberation Sans",
    "courier new": "Liberation Mono", "courier": "Liberation Mono",
    "times new roman": "Liberation Serif", "times": "Liberation Serif",
}
FAMILIES = sorted({k[0] for k in FILES})

_fonts = {}


def font(path):
    if path not in _fonts:
        _fonts[path] = TTFont(path)
    return _fonts[path]


def family_of(name):
    low = name.lower()
    for fam in FAMILIES:
        if fam.lower() == low:
            return fam
    return ALIASES.get(low, "DejaVu Sans")


def file_of(name, bold, italic):
    return FILES[(family_of(name), bold, italic)]


def scale(v, em, upem):
    r = (2 * abs(v) * em + upem) // (2 * upem)
    return -r if v < 0 else r


def decode(data):
    out, i = [], 0
    while i < len(data):
        for n in (1, 2, 3, 4):
            try:
                s = data[i:i + n].decode("utf-8", errors="strict")
            except UnicodeDecodeError:
                continue
            out.append(ord(s))
            i += n
            break
        else:
            out.append(data[i])
            i += 1
    return out


def advance(f, cp, em):
    cmap = f.getBestCmap()
    gname = cmap.get(cp)
    return gname


def text_width(name, bold, italic, em, data):
    main = font(file_of(name, bold, italic))
    fall = font(FILES[("DejaVu Sans", bold, italic)])
    total = 0
    for cp in decode(data):
        f = main
        g = main.getBestCmap().get(cp)
        if g is None:
            g2 = fall.getBestCmap().get(cp)
            if g2 is not None:
                f, g = fall, g2
            else:
                g = main.getGlyphOrder()[0]
        total += scale(f["hmtx"][g][0], em, f["head"].unitsPerEm)
    return total


def c_string(data):
    out = '"'
    for b in data:
        c = chr(b)
        if c in '"\\' or b < 0x20 or b >= 0x7F:
            out += "\\%03o" % b
        else:
            out += c
    return out + '"'


STRINGS = [
    "Hello, World!".encode(),
    "0123456789".encode(),
    "The quick brown fox jumps over the lazy dog".encode(),
    "Ärger über Größe: 25 °C ± 0,5 µm".encode(),
    "αβγ ΔΩ".encode(),
    "x ⠇⠁ y".encode(),        # braille: only DejaVu Sans has it
    "a\ue123b".encode(),       # private use: no pinned font has it
    b"caf\xe9 \xff\xfe",        # Latin-1 bytes, not UTF-8
    b"\xe2\x82 \xc3",            # truncated sequences
]
WIDTH_CASES = [
    ("Arial", False, False, 13), ("Arial", True, False, 13), ("Times New Roman", False, True, 16),
    ("Courier New", False, False, 12), ("Verdana", False, False, 11), ("Unknown Face", False, False, 13),
    ("DejaVu Sans Mono", True, False, 20), ("times", True, True, 100), ("Segoe UI", False, False, 9),
    ("DejaVu Sans", False, True, 15),
]
METRIC_CASES = [
    ("Arial", False, False, 13), ("Arial", True, False, 16), ("Times New Roman", False, False, 13),
    ("Courier New", False, True, 24), ("DejaVu Sans", False, False, 13), ("DejaVu Serif", True, False, 40),
    ("Helvetica", True, True, 7),
]


def metrics(name, bold, italic, em):
    f = font(file_of(name, bold, italic))
    upem = f["head"].unitsPerEm
    os2, hhea, post = f["OS/2"], f["hhea"], f["post"]
    asc, desc = os2.usWinAscent, os2.usWinDescent
    ext = max(0, hhea.lineGap - ((asc + desc) - (hhea.ascent - hhea.descent)))
    a, d = scale(asc, em, upem), scale(desc, em, upem)
    # rules: the centre of the stroke rounded to a pixel row, top row = centre - thickness / 2
    ul_thick = max(1, scale(post.underlineThickness, em, upem))
    ul_top = a + scale(post.underlineThickness - 2 * post.underlinePosition, em, 2 * upem) - ul_thick // 2
    ul_top = max(ul_top, a)
    if ul_top + ul_thick > a + d:
        ul_top = max(a, a + d - ul_thick)
    st_thick = max(1, scale(os2.yStrikeoutSize, em, upem))
    st_top = a - scale(2 * os2.yStrikeoutPosition - os2.yStrikeoutSize, em, 2 * upem) - st_thick // 2
    return dict(
        asc=scale(asc, em, upem), desc=scale(desc, em, upem), ext=scale(ext, em, upem),
        ave=scale(os2.xAvgCharWidth, em, upem), maxw=scale(hhea.advanceWidthMax, em, upem),
        ul_top=ul_top, ul_thick=ul_thick, st_top=st_top,
        st_thick=max(1, scale(os2.yStrikeoutSize, em, upem)))


INK_CASES = [
    ("Arial", False, False, 48, "Hg@"), ("Times New Roman", True, False, 40, "Quiz"),
    ("Courier New", False, True, 36, "{x}"), ("DejaVu Sans", False, True, 44, "Ink"),
    ("Verdana", False, False, 60, "O"),
]
SHEAR = 0x0366A / 65536.0  # slant of synthesised italics (tan 12 degrees)


def ink(name, bold, italic, em, text):
    """Outline area in square pixels and its centre relative to the text's reference point
    (the top-left corner of the cell, y downward), with whole-pixel pen advances."""
    path = file_of(name, bold, italic)
    f = font(path)
    upem = f["head"].unitsPerEm
    synth_italic = italic and ("Italic" not in path and "Oblique" not in path)
    ascent = scale(f["OS/2"].usWinAscent, em, upem)
    gs, cmap = f.getGlyphSet(), f.getBestCmap()
    area = sx = sy = 0.0
    pen_x = 0
    for ch in text:
        g = cmap[ord(ch)]
        st = StatisticsPen(glyphset=gs)
        gs[g].draw(st)
        a = abs(st.area) * (em / upem) ** 2
        mx, my = st.meanX * em / upem, st.meanY * em / upem
        if synth_italic:
            mx += SHEAR * my
        area += a
        sx += a * (pen_x + mx)
        sy += a * (ascent - my)
        pen_x += scale(f["hmtx"][g][0], em, upem)
    return area, sx / area, sy / area


def b(v):
    return "true" if v else "false"


def main():
    print("// Generated by tests/base/ref/fontengine_ref.py from the font files' tables (fontTools).")
    print("// {request, bold, italic, em, text, width}")
    print("static const TWidthRef kWidthRefs[] = {")
    for name, bold, italic, em in WIDTH_CASES:
        for s in STRINGS:
            print('    {"%s", %s, %s, %d, %s, %d},' % (name, b(bold), b(italic), em, c_string(s),
                                                   text_width(name, bold, italic, em, s)))
    print("};")
    print("// {request, bold, italic, em, ascent, descent, external leading, ave char width,")
    print("//  max char width, underline top, underline thickness, strike-out top, strike-out thickness}")
    print("static const TMetricRef kMetricRefs[] = {")
    for name, bold, italic, em in METRIC_CASES:
        m = metrics(name, bold, italic, em)
        print('    {"%s", %s, %s, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d},' % (
            name, b(bold), b(italic), em, m["asc"], m["desc"], m["ext"], m["ave"], m["maxw"],
            m["ul_top"], m["ul_thick"], m["st_top"], m["st_thick"]))
    print("};")
    print("// {request, bold, italic, em, text, outline area (px^2), centre x, centre y}")
    print("static const TInkRef kInkRefs[] = {")
    for name, bold, italic, em, text in INK_CASES:
        area, cx, cy = ink(name, bold, italic, em, text)
        print('    {"%s", %s, %s, %d, "%s", %.3f, %.4f, %.4f},' % (name, b(bold), b(italic), em, text, area, cx, cy))
    print("};")


if __name__ == "__main__":
    main()
