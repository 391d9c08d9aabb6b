#!/usr/bin/env python3
"""Expected number-label texts, written with Python's own formatting
(printf-style %-formatting, int/format for bases, datetime for dates).

Writes data/indicators_numlab.tsv: display type, precision, value as a
hexadecimal float, comma flag, plus flag, expected text (UTF-8)."""
import datetime
import math
import os

TYPES = ["dtFloat", "dtFixP", "dtExp", "dtHex", "dtZeroInt", "dtInt", "dtDateTime", "dtState",
         "dtBin", "dtOct", "dtDeg", "dtDegMin", "dtDegMinSec", "dtEEng", "dtEEngNoDP"]
DEG = "\u00b0"


def round_half_away(v):
    return int(math.floor(abs(v) + 0.5)) * (1 if v >= 0 else -1)


def in_base(n, base, digits):
    s = {16: "%X", 8: "%o", 2: None}[base]
    body = format(abs(n), "b") if base == 2 else s % abs(n)
    body = body.rjust(digits, "0")
    return ("-" if n < 0 else "") + body


def degrees(v, prec, parts):
    neg = v < 0
    scale = 60 if parts == 1 else 3600
    total = round(abs(v) * scale * 10 ** prec) / 10 ** prec
    d = int(total // scale)
    rest = total - d * scale
    w = prec + 3 if prec > 0 else 2
    if parts == 1:
        return "%s%d%s%0*.*f'" % ("-" if neg else "", d, DEG, w, prec, rest)
    m = int(rest // 60)
    s = rest - m * 60
    return "%s%d%s%02d'%0*.*f\"" % ("-" if neg else "", d, DEG, m, w, prec, s)


def eng(v, prec):
    e = 0 if v == 0 else int(math.floor(math.floor(math.log10(abs(v))) / 3)) * 3
    m = "%.*f" % (prec, v / 10 ** e)
    if abs(float(m)) >= 1000:
        e += 3
        m = "%.*f" % (prec, v / 10 ** e)
    return m + "E%+03d" % e


def dt(v):
    base = datetime.datetime(1899, 12, 30)
    t = base + datetime.timedelta(days=v)
    return t.strftime("%Y-%m-%d %H:%M:%S")


def fmt(t, prec, v, comma, plus):
    if t == "dtFloat":
        s = "%1.*g" % (prec, v)
    elif t == "dtFixP":
        s = "%1.*f" % (prec, v)
    elif t == "dtExp":
        s = "%1.*e" % (prec, v)
    elif t == "dtInt":
        n = round_half_away(v)
        s = ("-" if n < 0 else "") + str(abs(n)).rjust(prec, "0")
    elif t == "dtZeroInt":
        n = round_half_away(v)
        s = "%0*d" % (prec, n)
    elif t == "dtHex":
        s = in_base(round_half_away(v), 16, prec)
    elif t == "dtBin":
        s = in_base(round_half_away(v), 2, prec)
    elif t == "dtOct":
        s = in_base(round_half_away(v), 8, prec)
    elif t == "dtDateTime":
        s = dt(v)
    elif t == "dtDeg":
        s = "%.*f" % (prec, v) + DEG
    elif t == "dtDegMin":
        s = degrees(v, prec, 1)
    elif t == "dtDegMinSec":
        s = degrees(v, prec, 2)
    elif t == "dtEEng":
        s = eng(v, prec)
    elif t == "dtEEngNoDP":
        s = eng(v, 0)
    if t not in ("dtHex", "dtDateTime", "dtBin"):
        if comma:
            s = s.replace(".", ",")
        if plus and v > 0:
            s = "+" + s
    return s


cases = []
values = [0.0, 1.0, -1.0, 3.14159265, -2.5, 2.5, 1234.5678, -0.000123456, 98765432.1, 1e-7, 255.0, -255.4, 0.5]
for t in ["dtFloat", "dtFixP", "dtExp", "dtInt", "dtZeroInt", "dtHex", "dtBin", "dtOct", "dtDeg",
          "dtDegMin", "dtDegMinSec", "dtEEng", "dtEEngNoDP"]:
    for prec in (0, 3, 6):
        for v in values:
            for comma, plus in ((0, 0), (1, 1)):
                if t in ("dtBin",) and abs(v) > 1e6:
                    continue
                cases.append((t, prec, v, comma, plus))
for v in (0.0, 45000.5, 45000.25 + 1.0 / 86400 * 7, 36526.999988425926, 2.0, 73051.75):
    cases.append(("dtDateTime", 0, v, 0, 0))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "indicators_numlab.tsv")
with open(out, "w", encoding="utf-8") as f:
    for t, prec, v, comma, plus in cases:
        f.write("%s\t%d\t%s\t%d\t%d\t%s\n" % (t, prec, float(v).hex(), comma, plus, fmt(t, prec, v, comma, plus)))
print(len(cases), "cases")
