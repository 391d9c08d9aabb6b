#!/usr/bin/env python3
"""Reference values for the date patterns of the date-time picker.

Writes tests/base/data/datepattern_ref.txt, one case per line, TAB-separated:
    <serial date (days since 1899-12-30, with time fraction)> <pattern> <expected text>
The expected text comes from Python's datetime (strftime with the C locale's
English names).  Run from the repository root:  python3 tests/base/ref/datepattern_ref.py
"""
import datetime
import random
from pathlib import Path

EPOCH = datetime.datetime(1899, 12, 30)
rng = random.Random(20261208)

# pattern in the picker's notation -> strftime pattern
PATTERNS = [
    ("yyyy-MM-dd", "%Y-%m-%d"),
    ("dddd, d MMMM yyyy", "%A, {d} %B %Y"),
    ("dd.MM.yy", "%d.%m.%y"),
    ("ddd d MMM yyyy", "%a {d} %b %Y"),
    ("M/d/yyyy", "{m}/{d}/%Y"),
    ("yyyy-MM-dd HH:mm:ss", "%Y-%m-%d %H:%M:%S"),
    ("h:mm tt", "{h}:%M %p"),
    ("hh 'o''clock' t", "%I o'clock {t}"),
    ("'Day' d", "Day {d}"),
]

serials = [0.0, 1.0, 2.0, 36526.0, 45292.5, 45351.75, 60000.25, 2.0 + 0.999988]
for _ in range(20):
    serials.append(rng.randrange(1, 80000) + rng.randrange(0, 86400) / 86400.0)

lines = []
for s in serials:
    dt = EPOCH + datetime.timedelta(days=s)
    # The picker shows whole seconds, truncated (the time is decoded, not rounded).
    secs = int(round((s - int(s)) * 86400 * 1000)) // 1000
    dt = EPOCH + datetime.timedelta(days=int(s), seconds=secs)
    for pat, fmt in PATTERNS:
        h12 = dt.hour % 12 or 12
        f = fmt.replace("{d}", str(dt.day)).replace("{m}", str(dt.month)).replace("{h}", str(h12))
        f = f.replace("{t}", "A" if dt.hour < 12 else "P")
        text = dt.strftime(f)
        lines.append(f"{s!r}\t{pat}\t{text}")

out = Path(__file__).resolve().parent.parent / "data" / "datepattern_ref.txt"
out.write_text("\n".join(lines) + "\n")
print(f"{len(lines)} cases -> {out}")
