#!/usr/bin/env python3
"""ISO 8601 week numbers from Python's date.isocalendar().

Writes tests/gui/data/minical_isoweek.txt with "year month day week" lines:
every day of the years 2019..2028 around the year change (Dec 20 .. Jan 10),
plus the first day of every month from 1900 to 2100.
"""
import datetime
import os

out = os.path.join(os.path.dirname(__file__), "..", "data", "minical_isoweek.txt")
days = set()
for y in range(2019, 2029):
    start = datetime.date(y, 12, 20)
    for k in range(22):
        days.add(start + datetime.timedelta(days=k))
for y in range(1900, 2101):
    for m in range(1, 13):
        days.add(datetime.date(y, m, 1))
with open(out, "w") as f:
    for d in sorted(days):
        f.write(f"{d.year} {d.month} {d.day} {d.isocalendar()[1]}\n")
