#!/usr/bin/python3
"""Reference statistics for the box plot.

For each data set the script writes the five-number summary, the 10th and 90th
percentiles, the mean and the whiskers/outliers of a box plot whose whiskers
reach the extreme values:
- quartiles and percentiles: numpy.percentile with method="weibull", the
  (n + 1)·p position with linear interpolation, clamped to the extremes;
- mean, whiskers and outliers: matplotlib.cbook.boxplot_stats with
  whis=(0, 100) (whiskers at the minimum and maximum, so no outliers);
  its own quartiles use another position rule and are not used.
Writes data/boxplot_stats.txt: per set a line "set <name> <n>", a line
"values v1 v2 ...", and a line
"stats min p10 q1 median q3 p90 max mean whislo whishi nfliers"
with 17 significant digits.
"""
import os

import numpy as np
from matplotlib import cbook

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "boxplot_stats.txt")

rng = np.random.default_rng(20261208)
sets = [
    ("one", [4.25]),
    ("two", [3.0, -1.0]),
    ("three", [5.0, 1.0, 3.0]),
    ("ten", [7, 1, 9, 3, 3, 8, 2, 6, 10, 4]),
    ("ties", [2, 2, 2, 5, 5, 9, 9, 9, 9, 1, 2]),
    ("skewed", [0.1, 0.2, 0.2, 0.3, 0.5, 0.8, 1.3, 2.1, 3.4, 5.5, 8.9, 14.4, 23.3]),
    ("gauss50", list(np.round(rng.normal(10.0, 3.0, 50), 6))),
    ("uniform37", list(np.round(rng.uniform(-100.0, 100.0, 37), 6))),
    ("far", [1e9 + 0.5, 1e9 + 1.5, 1e9 + 0.25, 1e9 + 3.0, 1e9 + 2.0]),
]

lines = []
for name, vals in sets:
    x = np.array(vals, dtype=float)
    q = np.percentile(x, [10, 25, 50, 75, 90], method="weibull")
    st = cbook.boxplot_stats(x, whis=(0, 100))[0]
    lines.append("set %s %d" % (name, len(x)))
    lines.append("values " + " ".join("%.17g" % v for v in x))
    lines.append("stats " + " ".join("%.17g" % v for v in [x.min(), q[0], q[1], q[2], q[3], q[4], x.max(), st["mean"],
                                                           st["whislo"], st["whishi"]]) +
                 " %d" % len(st["fliers"]))
with open(OUT, "w", newline="\n") as f:
    f.write("\n".join(lines) + "\n")
