#!/usr/bin/env python3
"""Reference labels of date/time axes for test_scale.cpp.

Writes ../data/scale_datetime.txt: for every level (seconds, minutes, hours,
days, months, years) and every step of its table a range, and the labelled
ticks the axis must show: their values (days since 1899-12-30) and texts.
Dates and times come from Python's datetime module; the tick rules are those
of the scale: multiples of the step counted from midnight (seconds, minutes,
hours), from 1 January of the first year (days), the first of every month
whose number m has m mod step = 1 (months), 1 January of years that are
multiples of the step (years).  Default label format: "hh:nn", "hh:nn:ss",
"dd-Mmm-yyyy", "Mmm-yyyy", "yyyy".
"""
import datetime
import math
import os

EPOCH = datetime.datetime(1899, 12, 30)
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "scale_datetime.txt")


def dt(days):
    return EPOCH + datetime.timedelta(days=days)


def day_number(d):
    return (datetime.datetime(d.year, d.month, d.day) - EPOCH).days


cases = []


def add(name, low, high, minticks, short, ticks):
    cases.append((name, low, high, minticks, short, ticks))


BASE = 45000.300003  # 2023-03-15 07:12:00.26
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]

# Seconds, minutes, hours: u units per tick with MinTicks 3.
for level, upd, steps, us in (
    ("sec", 86400, [1, 2, 5, 10, 20, 30], [1.2, 2.5, 6, 12, 25, 40]),
    ("min", 1440, [1, 2, 5, 10, 20, 30], [1.5, 3, 7, 15, 25, 45]),
    ("hour", 24, [1, 2, 3, 6, 8, 12], [1.5, 2.5, 4, 7, 10, 20]),
):
    for u in us:
        for short in (1, 0):
            low = BASE
            high = low + 3 * u / upd
            step = max(s for s in steps if s <= u)
            first = math.ceil(low * upd / step - 1e-9)
            last = math.floor(high * upd / step + 1e-9)
            ticks = []
            for q in range(first, last + 1):
                units = q * step
                v = units / upd
                # the time of day from the exact count of units
                secs = round((units % upd) * 86400 / upd)
                t = datetime.time(secs // 3600, secs // 60 % 60, secs % 60)
                text = t.strftime("%H:%M:%S") if level == "sec" else t.strftime("%H:%M")
                ticks.append((v, text))
            add("%s_u%g_s%d" % (level, u, short), low, high, 3, short, ticks)

# Days: d days per tick.
for d in (1.5, 2.5, 5, 10, 20, 29):
    for short in (1, 0):
        low = BASE + 11
        high = low + 3 * d
        step = max(s for s in (1, 2, 3, 7, 14, 28) if s <= d)
        jan1 = day_number(datetime.datetime(dt(math.floor(low)).year, 1, 1))
        ticks = []
        for x in range(math.ceil(low), math.floor(high) + 1):
            if (x - jan1) % step == 0:
                t = dt(x)
                ticks.append((x, "%02d-%s-%04d" % (t.day, MONTHS[t.month - 1], t.year)))
        add("day_d%g_s%d" % (d, short), low, high, 3, short, ticks)

# Months: mpt months per tick.
for mpt in (1.2, 2.5, 3.5, 5, 10):
    for short in (1, 0):
        low = BASE + 40
        high = low + 3 * mpt * 30.4375
        step = max(s for s in (1, 2, 3, 4, 6) if s <= mpt)
        ticks = []
        t = dt(math.floor(low))
        y, m = t.year, t.month
        while True:
            x = day_number(datetime.datetime(y, m, 1))
            if x > high:
                break
            if x >= low and (step == 1 or m % step == 1):
                ticks.append((x, "%s-%04d" % (MONTHS[m - 1], y)))
            m += 1
            if m > 12:
                m, y = 1, y + 1
        add("month_m%g_s%d" % (mpt, short), low, high, 3, short, ticks)

# Years: a years per tick.
for a in (1.5, 3, 7, 15, 30, 300):
    for short in (1, 0):
        low = 20000.5  # 1954-10-03
        high = low + 3 * a * 365.25
        p = 10 ** math.floor(math.log10(a))
        mant = a / p
        f = 5 if mant >= 5 else (2 if mant >= 2 else 1)
        g = max(1, round(p * f))
        ticks = []
        for y in range(dt(low).year, min(dt(min(high, 2958465)).year, 9999) + 1):
            x = day_number(datetime.datetime(y, 1, 1))
            if low <= x <= high and y % g == 0:
                ticks.append((x, "%d" % y))
        add("year_a%g_s%d" % (a, short), low, high, 3, short, ticks)

with open(OUT, "w") as fh:
    fh.write("# written by ref/scale_datetime.py\n")
    for name, low, high, minticks, short, ticks in cases:
        fh.write("case %s %.17g %.17g %d %d\n" % (name, low, high, minticks, short))
        for v, text in ticks:
            fh.write("tick %.17g %s\n" % (v, text))
        fh.write("end\n")
print("wrote", len(cases), "cases to", OUT)
