#!/usr/bin/python3
# Monte Carlo estimate of the upper critical values of Dixon's ratios
# r10 (n = 3-7), r11 (8-10), r21 (11-13) and r22 (14-100) for samples of
# standard normal data, at the one-sided levels 0.001 ... 0.5.  Both ends of
# every sample are used (they have the same distribution).  Writes the C++
# table rows to tests/math/data/statis_dixon_mc.inc; the rows that the
# published tables fix (n = 3, 8, 11, 14, 100) serve to check the estimate.
import numpy as np, os, sys

ALPHAS = [0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5]
rng = np.random.default_rng(20261207)
N = int(sys.argv[1]) if len(sys.argv) > 1 else 100000
CH = 20000

def ratios(s, n):
    # s: sorted samples (rows); returns the high-end and low-end ratios
    x = lambda i: s[:, i - 1]
    if n <= 7:
        hi = (x(n) - x(n - 1)) / (x(n) - x(1)); lo = (x(2) - x(1)) / (x(n) - x(1))
    elif n <= 10:
        hi = (x(n) - x(n - 1)) / (x(n) - x(2)); lo = (x(2) - x(1)) / (x(n - 1) - x(1))
    elif n <= 13:
        hi = (x(n) - x(n - 2)) / (x(n) - x(2)); lo = (x(3) - x(1)) / (x(n - 1) - x(1))
    else:
        hi = (x(n) - x(n - 2)) / (x(n) - x(3)); lo = (x(3) - x(1)) / (x(n - 2) - x(1))
    return np.concatenate([hi, lo])

rows = []
for n in range(3, 101):
    vals = []
    done = 0
    while done < N:
        m = min(CH, N - done)
        s = np.sort(rng.standard_normal((m, n)), axis=1)
        vals.append(ratios(s, n))
        done += m
    v = np.concatenate(vals)
    q = np.quantile(v, [1 - a for a in ALPHAS])
    rows.append((n, q))
    print(n, ' '.join('%.3f' % t for t in q), flush=True)

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data', 'statis_dixon_mc.inc')
with open(out, 'w') as f:
    f.write('// Monte Carlo estimates (statis_dixon_mc.py, %d samples per size, both ends)\n' % N)
    for n, q in rows:
        f.write('{%s},  // n = %d\n' % (', '.join('%.3f' % t for t in q), n))
