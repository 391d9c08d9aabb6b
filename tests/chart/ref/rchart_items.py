#!/usr/bin/python3
"""Reference files for the chart item list tests.

Assembles, with Python's struct module and independently of the library, the
104-byte item records of a chart data file (data/rchart_items.bin) and the
readable dump the chart writes for the same items (data/rchart_items_dump.txt),
then reads the binary file back with NumPy as a structured array to check the
layout (offsets and total size).

Record layout (little-endian): x1 y1 x2 y2 (double) | colour, fill colour,
shadow colour, highlight colour (uint32) | pen style (uint8) + 3 padding |
tag (int32) | line width (int32) | class (uint8) | kind (uint8) | 2 padding |
layer (int32) | transparent (uint8) | frame style (uint8) | text (length byte
+ 15 bytes) | 2 padding | size (int32) | depth (int32) | mark/alignment
(uint8) | 7 reserved.
"""
import os
import struct

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")

FMT = "<4d4IB3xiiBB2xiBB16s2xiiB7x"
assert struct.calcsize(FMT) == 104

KINDS = {1: "tkMarkAt", 2: "tkLine", 3: "tkLineTo", 4: "tkRect", 5: "tkRectFrame", 6: "tk3DBar",
         7: "tkText", 8: "tkMoveTo", 9: "tkEllipse", 12: "tkMoveRelPix", 13: "tkLineRelPix",
         14: "tkArrow", 15: "tkTextOfs", 16: "tkRectRelPix"}
FRAMES = {2: "rbLowered", 3: "rbRaised", 4: "rbEmbossed", 5: "rbEngraved"}

SILVER = 0xC0C0C0


def item(kind, x1, y1, x2=0.0, y2=0.0, color=0, fill=SILVER, shadow=0, hilite=0, pen=0, tag=0, width=1,
         cls=0, layer=1, transp=0, frame=0, text=b"", size=0, depth=0, mark=0):
    return dict(kind=kind, x1=x1, y1=y1, x2=x2, y2=y2, color=color, fill=fill, shadow=shadow, hilite=hilite,
                pen=pen, tag=tag, width=width, cls=cls, layer=layer, transp=transp, frame=frame,
                text=text[:15], size=size, depth=depth, mark=mark)


# The same items the test adds through the chart's methods (see test_rchart.cpp).
ITEMS = [
    item(1, 1.5, -2.25, color=0x0000FF, tag=42, cls=3, mark=7),
    item(2, 0, 0, 10, 5, color=0x00FF00, pen=2, width=3),
    item(3, 3, 4),
    item(4, 1, 1, 2, 2, transp=1),
    item(5, 0, 0, 4, 3, frame=3, shadow=0x808080, hilite=0xFFFFFF),
    item(6, 1, 0, 2, 5, depth=8, size=45),
    item(7, 5, 5, text=b"Hello", size=12, mark=2),
    item(8, 7, 8),
    item(9, 5, 5, 2, 1),
    item(12, 3, -4),
    item(13, 5, 6),
    item(14, 0, 0, 3, 3, size=10),
    item(15, 1, 2, 4, -3, text=b"OffsetText long longer", size=10, mark=1),
    item(16, 2, 3, 10, 20, layer=2, cls=200, fill=0x123456),
]


def pack(it):
    return struct.pack(FMT, it["x1"], it["y1"], it["x2"], it["y2"], it["color"], it["fill"], it["shadow"],
                       it["hilite"], it["pen"], it["tag"], it["width"], it["cls"], it["kind"], it["layer"],
                       it["transp"], it["frame"], bytes([len(it["text"])]) + it["text"].ljust(15, b"\0"),
                       it["size"], it["depth"], it["mark"])


def dump(items):
    out = []
    pt = lambda x, y: "[%.4f/%.4f]" % (x, y)
    tf = lambda b: "TRUE" if b else "FALSE"
    for i, it in enumerate(items):
        k = it["kind"]
        out += ["", "------ item %d ------" % i, " elemtype: " + KINDS[k], " startpnt: " + pt(it["x1"], it["y1"]),
                "    color: %08X" % it["color"], " penstyle: %02X" % it["pen"], "linewidth: %d" % it["width"],
                " classnum: %d" % it["cls"]]
        if k == 1:
            out.append(" marktype: %d" % it["mark"])
        elif k == 2:
            out.append(" endpoint: " + pt(it["x2"], it["y2"]))
        elif k == 4:
            out += ["   corner: " + pt(it["x2"], it["y2"]), "fillcolor: %08X" % it["fill"],
                    "  transp.: " + tf(it["transp"])]
        elif k == 5:
            out += ["   corner: " + pt(it["x2"], it["y2"]), "fillcolor: %08X" % it["fill"]]
            if it["frame"] in FRAMES:
                out.append("frametype: " + FRAMES[it["frame"]])
            out += ["shadowcol: %08X" % it["shadow"], "hilitecol: %08X" % it["hilite"]]
        elif k == 6:
            out += [" endpoint: " + pt(it["x2"], it["y2"]), "fillcolor: %08X" % it["fill"],
                    "    depth: %d" % it["depth"], "    angle: %d" % it["size"]]
        elif k in (7, 15):
            out += ["     text: '" + it["text"].decode("latin-1") + "'", "     size: %d" % it["size"],
                    "    align: %d" % it["mark"]]
            if k == 15:
                out += [" offset x: '%.0f'" % it["x2"], " offset y: '%.0f'" % it["y2"]]
        elif k == 9:
            out += [" halfaxes: %.4f %.4f" % (it["x2"], it["y2"]), "fillcolor: %08X" % it["fill"],
                    "  transp.: " + tf(it["transp"])]
        elif k == 14:
            out += ["    arrow: " + pt(it["x2"], it["y2"]), "fillcolor: %08X" % it["fill"],
                    "  transp.: " + tf(it["transp"]), " headsize: %d" % it["size"]]
        elif k == 16:
            out += ["    dx/dy: %.0f/%.0f" % (it["x2"], it["y2"]), "fillcolor: %08X" % it["fill"],
                    "  transp.: " + tf(it["transp"])]
    return "\n".join(out) + "\n"


def main():
    os.makedirs(DATA, exist_ok=True)
    raw = b"".join(pack(it) for it in ITEMS)
    with open(os.path.join(DATA, "rchart_items.bin"), "wb") as f:
        f.write(raw)
    with open(os.path.join(DATA, "rchart_items_dump.txt"), "w", newline="\n") as f:
        f.write(dump(ITEMS))
    # Read back with NumPy: the offsets of the record as a structured type.
    dt = np.dtype({"names": ["x1", "y1", "x2", "y2", "color", "fill", "pen", "tag", "width", "cls", "kind",
                             "layer", "transp", "frame", "textlen", "size", "depth", "mark"],
                   "formats": ["<f8"] * 4 + ["<u4", "<u4", "u1", "<i4", "<i4", "u1", "u1", "<i4", "u1", "u1",
                                             "u1", "<i4", "<i4", "u1"],
                   "offsets": [0, 8, 16, 24, 32, 36, 48, 52, 56, 60, 61, 64, 68, 69, 70, 88, 92, 96],
                   "itemsize": 104})
    a = np.frombuffer(raw, dtype=dt)
    assert len(a) == len(ITEMS)
    assert list(a["kind"]) == [it["kind"] for it in ITEMS]
    assert a["textlen"][12] == 15 and a["layer"][13] == 2


if __name__ == "__main__":
    main()
