#!/usr/bin/python3
"""Writes the clipboard text the table editor's Copy must produce for a small
block, formatted here with Python's own number formatting:

- full precision: 17 significant digits in scientific notation with a sign and
  four exponent digits ("1.5000000000000000E+0000"), right-aligned in 22;
- column precision: fixed notation with the column's decimal places.

Each line starts with a blank, fields are separated by TAB, a cell that is not
a number is "####", lines end in CR LF.

Run: /usr/bin/python3 tests/gui/ref/ntabed_copy.py  (writes tests/gui/data/)
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data")

# The block: rows of cells, None for a cell that is not a number.
BLOCK = [[1.5, None], [-0.25, 100.0], [1e-300, 123456789.125]]
DECIMALS = [3, 1]  # decimal places of the two columns


def full(x):
    mant, exp = ("%.16E" % x).split("E")
    e = int(exp)
    s = "%sE%s%04d" % (mant, "-" if e < 0 else "+", abs(e))
    return s.rjust(22)


def fixed(x, d):
    return "%.*f" % (d, x)


def layout(fmt):
    lines = []
    for row in BLOCK:
        fields = ["####" if v is None else fmt(v, k) for k, v in enumerate(row)]
        lines.append(" " + "\t".join(fields) + "\r\n")
    return "".join(lines)


os.makedirs(OUT, exist_ok=True)
with open(os.path.join(OUT, "ntabed_copy_full.txt"), "w", newline="") as f:
    f.write(layout(lambda v, k: full(v)))
with open(os.path.join(OUT, "ntabed_copy_cols.txt"), "w", newline="") as f:
    f.write(layout(lambda v, k: fixed(v, DECIMALS[k])))
