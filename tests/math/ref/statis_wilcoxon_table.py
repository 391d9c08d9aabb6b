#!/usr/bin/python3
# Exact critical values of the Wilcoxon signed-rank statistic T for n = 8..100
# at the two-sided levels 0.10, 0.05, 0.02, 0.01, 0.001: the largest T with
# P(T <= T) <= alpha/2, from the exact null distribution (counts of subsets of
# 1..n by their sum).  -1 where no such T exists.  These are the values of the
# published tables of the test.
import numpy as np
LEVELS = [0.10, 0.05, 0.02, 0.01, 0.001]
for n in range(8, 101):
    maxs = n * (n + 1) // 2
    cnt = [0] * (maxs + 1); cnt[0] = 1          # Python integers: exact
    for k in range(1, n + 1):
        for s in range(maxs, k - 1, -1):
            cnt[s] += cnt[s - k]
    tot = 2 ** n
    row = []
    for a in LEVELS:
        acc = 0; crit = -1
        for t in range(maxs + 1):
            acc += cnt[t]
            if acc * 2 <= a * tot:   # P(T <= t) <= a/2
                crit = t
            else:
                break
        row.append(crit)
    print('{%s},  // n = %d' % (', '.join(str(v) for v in row), n))
