#!/usr/bin/env python3
"""Reference dates of Easter Sunday (Gregorian) for the years 1..9999.

Values come from python3-dateutil (dateutil.easter, EASTER_WESTERN) and are
cross-checked against the anonymous Gregorian algorithm (Meeus/Jones/Butcher);
the script stops if the two disagree.  Output: tests/gui/data/easter_ref.txt,
one line "year month day" per year.
"""
import os
from dateutil.easter import easter, EASTER_WESTERN


def butcher(y):
    a = y % 19
    b, c = divmod(y, 100)
    d, e = divmod(b, 4)
    f = (b + 8) // 25
    g = (b - f + 1) // 3
    h = (19 * a + b - d - g + 15) % 30
    i, k = divmod(c, 4)
    l = (32 + 2 * e + 2 * i - h - k) % 7
    m = (a + 11 * h + 22 * l) // 451
    month, day = divmod(h + l - 7 * m + 114, 31)
    return month, day + 1


out = os.path.join(os.path.dirname(__file__), "..", "data", "easter_ref.txt")
with open(out, "w") as f:
    for y in range(1, 10000):
        d = easter(y, EASTER_WESTERN)
        assert (d.month, d.day) == butcher(y), y
        f.write(f"{y} {d.month} {d.day}\n")
