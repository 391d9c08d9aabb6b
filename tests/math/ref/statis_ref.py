#!/usr/bin/python3
# Reference values for tests/math/test_statis.cpp from SciPy (and, for the
# Mann-Whitney distribution, from brute-force enumeration).  Writes
# tests/math/data/statis_ref.inc.  Run with Debian's interpreter.
import itertools, math, os
import numpy as np
from scipy import special, stats
import mpmath as mp
mp.mp.dps = 40

# High-precision quantiles with mpmath (SciPy's ppf is good to about 1e-7 in
# the far tails): root of ln(tail(x)) = ln(q) near SciPy's value.
def mp_quantile(tail_lower, tail_upper, p, guess):
    p = mp.mpf(p)
    if p <= mp.mpf(0.5):
        q, tail = p, tail_lower
    else:
        q, tail = 1 - p, tail_upper
    f = lambda x: mp.log(tail(x)) - mp.log(q)
    g = mp.mpf(guess)
    lo, hi = g * (1 - mp.mpf('1e-3')), g * (1 + mp.mpf('1e-3'))
    if lo > hi: lo, hi = hi, lo
    return float(mp.findroot(f, (lo, hi), solver='anderson', verify=False))

def t_lower(df):   # P(T <= x) for x < 0 written for |x|: lower tail at -|x|
    return lambda x: mp.betainc(mp.mpf(df) / 2, mp.mpf(0.5), 0, df / (df + x * x), regularized=True) / 2
def t_ppf(p, df):
    if p == 0.5: return 0.0
    g = stats.t.ppf(p, df)
    tl = t_lower(df)
    # both tails in terms of |x|: P(T <= -|x|) = P(T >= |x|)
    q = mp.mpf(p) if p < 0.5 else 1 - mp.mpf(p)
    f = lambda x: mp.log(tl(x)) - mp.log(q)
    x = float(mp.findroot(f, (abs(g) * (1 - 1e-3), abs(g) * (1 + 1e-3)), solver='anderson', verify=False))
    return -x if p < 0.5 else x
def chi2_ppf(p, df):
    k = mp.mpf(df) / 2
    return mp_quantile(lambda x: mp.gammainc(k, 0, x / 2, regularized=True),
                       lambda x: mp.gammainc(k, x / 2, mp.inf, regularized=True), p, stats.chi2.ppf(p, df))
def f_ppf(p, d1, d2):
    a, b = mp.mpf(d1) / 2, mp.mpf(d2) / 2
    return mp_quantile(lambda x: mp.betainc(a, b, 0, d1 * x / (d1 * x + d2), regularized=True),
                       lambda x: mp.betainc(b, a, 0, d2 / (d1 * x + d2), regularized=True), p, stats.f.ppf(p, d1, d2))

# Kolmogorov distribution for the exact branch: the matrix of Marsaglia, Tsang
# and Wang evaluated in 40-digit arithmetic (an exact rational-arithmetic
# check of our double-precision evaluation).
def ks_sf_mp(n, d):
    d = mp.mpf(d)
    k = int(n * d) + 1; m = 2 * k - 1; h = k - n * d
    H = mp.matrix(m, m)
    for i in range(m):
        for j in range(m):
            H[i, j] = 1 if i - j + 1 >= 0 else 0
    for i in range(m):
        H[i, 0] -= h ** (i + 1); H[m - 1, i] -= h ** (m - i)
    if 2 * h - 1 > 0: H[m - 1, 0] += (2 * h - 1) ** m
    for i in range(m):
        for j in range(m):
            if i - j + 1 > 0: H[i, j] /= mp.factorial(i - j + 1)
    Q = H ** n
    s = Q[k - 1, k - 1]
    for i in range(1, n + 1): s = s * i / n
    return float(1 - s)

out = []
def arr(name, rows):
    out.append('static const double %s[][%d] = {' % (name, len(rows[0])))
    for r in rows:
        out.append('    {%s},' % ', '.join(repr(float(v)) for v in r))
    out.append('};')
def vec(name, v):
    out.append('static const double %s[] = {%s};' % (name, ', '.join(repr(float(x)) for x in v)))

# normal: x, cdf, sf, pdf
xs = [-37.5, -20.0, -8.5, -6.3613, -3.0, -1.0, -1e-3, 0.0, 0.5, 1.96, 5.0, 8.0]
arr('kNorm', [(x, stats.norm.cdf(x), stats.norm.sf(x), stats.norm.pdf(x)) for x in xs])
ps = [1e-300, 1e-100, 1e-20, 1e-10, 1e-5, 0.01, 0.025, 0.3, 0.5, 0.7, 0.975, 0.999, 1 - 1e-10, 1 - 2**-52]
arr('kNormPpf', [(p, stats.norm.ppf(p)) for p in ps])
# erf
arr('kErf', [(x, special.erf(x)) for x in [-3.0, -0.7, -1e-4, 0.0, 0.2, 1.0, 2.5, 6.0]])
# incomplete gamma P(a, x), Q(a, x)
rows = []
for a in [0.1, 0.5, 1.0, 3.0, 10.0, 57.5, 1000.0]:
    for x in [1e-5, 0.3, 1.0, 2.5, 9.0, 60.0, 980.0, 1100.0]:
        rows.append((a, x, special.gammainc(a, x), special.gammaincc(a, x)))
arr('kGammaInc', rows)
# incomplete beta I_x(a, b)
rows = []
for a, b in [(0.5, 0.5), (1.0, 3.0), (2.5, 7.0), (10.0, 0.5), (30.0, 40.0), (200.0, 300.0)]:
    for x in [1e-6, 0.05, 0.3, 0.5, 0.77, 0.999]:
        rows.append((x, a, b, special.betainc(a, b, x)))
arr('kBetaInc', rows)
arr('kGammaLn', [(x, special.gammaln(x)) for x in [0.01, 0.5, 1.0, 1.5, 2.0, 3.7, 10.0, 100.0, 1e5]])
# t, chi2, F: (df..., x, pdf, cdf, sf)
rows = []
for df in [1.0, 2.0, 3.5, 10.0, 30.0, 1000.0]:
    for x in [-50.0, -2.5, -0.3, 0.0, 1.0, 4.0, 1e4]:
        rows.append((df, x, stats.t.pdf(x, df), stats.t.cdf(x, df), stats.t.sf(x, df)))
arr('kT', rows)
rows = []
for df in [1.0, 2.0, 3.5, 10.0, 30.0, 1000.0]:
    for p in [1e-10, 1e-4, 0.025, 0.3, 0.5, 0.9, 0.995, 1 - 1e-10]:
        rows.append((df, p, t_ppf(p, df)))
arr('kTPpf', rows)
rows = []
for df in [0.5, 1.0, 2.0, 5.0, 17.0, 300.0]:
    for x in [1e-8, 0.2, 1.0, 4.0, 17.0, 60.0, 400.0]:
        rows.append((df, x, stats.chi2.pdf(x, df), stats.chi2.cdf(x, df), stats.chi2.sf(x, df)))
arr('kChi2', rows)
rows = []
for df in [0.5, 1.0, 2.0, 5.0, 17.0, 300.0]:
    for p in [1e-10, 1e-4, 0.025, 0.3, 0.5, 0.9, 0.995, 1 - 1e-10]:
        rows.append((df, p, chi2_ppf(p, df)))
arr('kChi2Ppf', rows)
rows = []
for d1, d2 in [(1, 1), (2, 5), (5, 2), (4, 12), (10, 30), (50, 200)]:
    for x in [1e-6, 0.1, 0.8, 1.0, 2.5, 10.0, 1e3]:
        rows.append((d1, d2, x, stats.f.pdf(x, d1, d2), stats.f.cdf(x, d1, d2), stats.f.sf(x, d1, d2)))
arr('kF', rows)
rows = []
for d1, d2 in [(1, 1), (2, 5), (5, 2), (4, 12), (10, 30), (50, 200)]:
    for p in [1e-10, 1e-4, 0.05, 0.5, 0.95, 0.999, 1 - 1e-10]:
        rows.append((d1, d2, p, f_ppf(p, d1, d2)))
arr('kFPpf', rows)
# binomial coefficients: n, k, exact (saturated at 2^31-1), log
rows = []
for n, k in [(5, 2), (10, 5), (30, 15), (33, 16), (34, 16), (34, 17), (60, 3), (60, 30), (1000, 500)]:
    c = math.comb(n, k)
    rows.append((n, k, min(c, 2147483647), special.gammaln(n + 1) - special.gammaln(k + 1) - special.gammaln(n - k + 1)))
arr('kBinom', rows)
# hypergeometric pmf: p, npop, nsample, k, pmf  (M = round(p*npop))
rows = []
for p, N, n, k in [(0.3, 50, 10, 3), (0.5, 20, 7, 0), (0.1, 1000, 100, 12), (0.8, 40, 20, 15), (0.25, 12, 5, 3)]:
    M = round(p * N)
    rows.append((p, N, n, k, stats.hypergeom.pmf(k, N, M, n)))
arr('kHyper', rows)
rows = []
for x, c, s in [(0.5, 1.5, 1.0), (2.0, 0.7, 3.0), (10.0, 3.0, 8.0), (1e-3, 2.0, 0.5)]:
    rows.append((x, c, s, stats.weibull_min.pdf(x, c, scale=s)))
arr('kWeibull', rows)
# Kolmogorov-Smirnov: n, D, P(D_n >= D)
rows = []
for n, D in [(1, 0.6), (5, 0.2), (5, 0.5), (10, 0.27), (20, 0.1), (50, 0.15), (80, 0.2), (100, 0.1), (400, 0.05),
             (1000, 0.03)]:
    s_ = n * D * D
    exact = not (s_ > 7.24 or (s_ > 3.76 and n >= 100))
    rows.append((n, D, ks_sf_mp(n, D) if exact else stats.kstwo.sf(D, n), stats.kstwo.sf(D, n)))
arr('kKS', rows)
rows = []
for n in [5, 10, 25, 60]:
    for a in [0.2, 0.15, 0.1, 0.05, 0.01]:
        rows.append((n, a, stats.kstwo.isf(a, n)))
arr('kKSQuant', rows)
# Grubbs critical values (two-sided and one-sided)
rows = []
for n in [3, 5, 10, 20, 50, 100]:
    for a in [0.05, 0.01]:
        g = []
        for k in (2, 1):
            t = t_ppf(1 - a / (k * n), n - 2)
            g.append((n - 1) / math.sqrt(n) * math.sqrt(t * t / (n - 2 + t * t)))
        rows.append((n, a, g[0], g[1]))
arr('kGrubbs', rows)

# data sets
rng = np.random.default_rng(7)
sets = {
    'kSet3': np.array([1.0, 2.0, 4.5]),
    'kSet4': np.array([2.1, 3.4, 1.9, 5.6]),
    'kSet7': np.round(rng.normal(10, 2, 7), 4),
    'kSet11': np.round(rng.exponential(1.0, 11), 4),
    'kSet12': np.round(rng.normal(0, 1, 12), 4),
    'kSet20': np.round(rng.uniform(0, 1, 20), 4),
    'kSet50': np.round(rng.normal(5, 3, 50), 4),
    'kSet300': np.round(rng.gamma(4.0, 1.0, 300), 4),
}
for k, v in sets.items():
    vec(k, v)
arr('kShapiro', [(len(v), *stats.shapiro(v)) for v in sets.values()])
# KS against N(0,1) and Lilliefors statistic (data standardised with ddof=1)
rows = []
for v in sets.values():
    z = (v - v.mean()) / v.std(ddof=1)
    rows.append((len(v), stats.kstest(v, 'norm').statistic, stats.kstest(z, 'norm').statistic))
arr('kKSData', rows)
# t tests: set a = kSet12, b = kSet20[:12] * 2 - 0.5
a = sets['kSet12']; b = np.round(sets['kSet20'][:12] * 2 - 0.5, 4); c = sets['kSet50'][:17]
vec('kTTa', a); vec('kTTb', b); vec('kTTc', c)
r1 = stats.ttest_rel(a, b); r2 = stats.ttest_ind(a, c, equal_var=True); r3 = stats.ttest_ind(a, c, equal_var=False)
welch_df = (a.var(ddof=1)/len(a) + c.var(ddof=1)/len(c))**2 / ((a.var(ddof=1)/len(a))**2/(len(a)-1) + (c.var(ddof=1)/len(c))**2/(len(c)-1))
arr('kTTest', [(r1.statistic, r1.pvalue, len(a) - 1), (r2.statistic, r2.pvalue, len(a) + len(c) - 2),
               (r3.statistic, r3.pvalue, welch_df)])
# Mann-Whitney: exact (no ties) and asymptotic with ties
m1 = np.array([1.1, 2.3, 0.4, 5.6, 3.3, 4.1, 2.9]); m2 = np.array([6.2, 7.7, 3.9, 8.1, 5.9, 9.4, 4.8, 6.6, 7.1])
t1 = np.array([1, 2, 2, 3, 3, 3, 4, 5, 6, 6, 7, 8, 8, 9, 10, 11, 12, 12, 13, 14, 15], float)
t2 = np.array([3, 4, 5, 5, 6, 7, 8, 9, 9, 10, 11, 12, 13, 14, 15, 16, 16, 17, 18], float)
vec('kMW1', m1); vec('kMW2', m2); vec('kMWt1', t1); vec('kMWt2', t2)
e = stats.mannwhitneyu(m1, m2, alternative='two-sided', method='exact')
s = stats.mannwhitneyu(t1, t2, alternative='two-sided', method='asymptotic', use_continuity=True)
arr('kMWTest', [(e.statistic, e.pvalue), (s.statistic, s.pvalue)])
# exact U distribution by enumeration: (n1, n2, u, P(U = u), P(U <= u))
rows = []
for n1, n2 in [(4, 5), (3, 7), (6, 6)]:
    N = n1 + n2
    cnt = {}
    tot = 0
    for comb in itertools.combinations(range(N), n1):   # positions of sample 1 in the ordered pool
        u = sum(p - i for i, p in enumerate(comb))        # pairs x > y
        cnt[u] = cnt.get(u, 0) + 1; tot += 1
    acc = 0
    for u in range(n1 * n2 + 1):
        acc += cnt.get(u, 0)
        rows.append((n1, n2, u, cnt.get(u, 0) / tot, acc / tot))
arr('kUDist', rows)
# signed-rank quantiles: least-squares parabola through (ln p, T) of the
# exact table row (statis_wilcoxon_table.py), rounded half to even
def wilcoxon_row(n):
    maxs = n * (n + 1) // 2
    cnt = [0] * (maxs + 1); cnt[0] = 1
    for k in range(1, n + 1):
        for s2 in range(maxs, k - 1, -1): cnt[s2] += cnt[s2 - k]
    row = []
    for a in [0.10, 0.05, 0.02, 0.01, 0.001]:
        acc = 0; crit = -1
        for t in range(maxs + 1):
            acc += cnt[t]
            if acc * 2 <= a * 2 ** n: crit = t
            else: break
        row.append(crit)
    return row
rows = []
for n in [8, 9, 12, 20, 50, 100]:
    row = wilcoxon_row(n); cntp = 3 if n == 8 else (4 if n <= 10 else 5)
    lv = np.log([0.10, 0.05, 0.02, 0.01, 0.001][:cntp])
    c = np.polyfit(lv, row[:cntp], 2)
    for p, two in [(0.05, 1), (0.01, 1), (0.2, 1), (0.0005, 1), (0.025, 0), (0.003, 0)]:
        L = math.log(p) if two else math.log(2 * p)
        v = round(float(np.polyval(c, L)))
        rows.append((n, p, two, max(v, 0)))
arr('kWilcoxon', rows)
# kernel density of equally spaced data: mean of normal densities, width = Scale
xsd = np.arange(10.0)
grid = np.linspace(-3, 12, 31)
vec('kKdeGrid', grid)
vec('kKdeScale1', [stats.norm.pdf(g, xsd, 1.0).mean() for g in grid])
vec('kKdeScale2', [stats.norm.pdf(g, xsd, 2.5).mean() for g in grid])

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data', 'statis_ref.inc')
with open(path, 'w') as f:
    f.write('// Generated by tests/math/ref/statis_ref.py (SciPy %s); do not edit.\n' % __import__('scipy').__version__)
    f.write('\n'.join(out) + '\n')
