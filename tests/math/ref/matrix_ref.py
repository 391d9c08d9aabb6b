#!/usr/bin/python3
"""Reference values for the vector and matrix tests, from numpy, scipy and zlib.
Writes tests/math/data/matrix_ref.inc (C++ initialisers).

Matrices are written row by row (numpy layout A[row][col]); the tests read
element (col, row) of a TMatrix as A[row][col].

Statistics follow the library's definitions:
  - variance: sample variance (ddof=1), numpy.var;
  - quartiles/percentiles: the (n+1)p position with linear interpolation,
    numpy.percentile(method='weibull');
  - SkewKurt: population third/fourth moments over the sample standard
    deviation (ddof=1): m3/s^3 and m4/s^4 - 3 (written out with numpy);
  - SkewKurtSample: scipy.stats.skew/kurtosis with bias=False;
  - geometric/harmonic mean: scipy.stats.gmean/hmean.
Linear algebra: numpy.linalg.det/inv/svd/pinv/norm; distances:
scipy.spatial.distance.cdist (cityblock, euclidean, sqeuclidean) and the
continuous Jaccard (Tanimoto) and Dice coefficients written out with numpy.
CRC: zlib.crc32 over byte k of every element (k = 0..7, little-endian)."""
import os
import struct
import zlib

import numpy as np
from scipy import stats
from scipy.spatial.distance import cdist

rng = np.random.default_rng(20261207)
out = []


def arr(name, a):
    a = np.asarray(a, dtype=float).ravel()
    body = ", ".join(repr(float(v)) for v in a)
    out.append(f"static const double {name}[{len(a)}] = {{{body}}};")


def scalar(name, v):
    out.append(f"static const double {name} = {float(v)!r};")


def text(name, s):
    out.append(f'static const char* const {name} = "{s}";')


# ---------------------------------------------------------------- vector statistics
stat_data = np.round(rng.normal(10.0, 3.0, size=37) ** 2 / 7.0, 6)
arr("kStatData", stat_data)
scalar("kStatMean", np.mean(stat_data))
scalar("kStatVar", np.var(stat_data, ddof=1))
q = np.percentile(stat_data, [25, 50, 75], method="weibull")
arr("kStatQuart", q)
pct_p = [0.0, 1.0, 2.5, 10.0, 33.3, 50.0, 90.0, 97.0, 99.9, 100.0]
arr("kStatPctP", pct_p)
arr("kStatPct", np.percentile(stat_data, pct_p, method="weibull"))
e = stat_data - stat_data.mean()
s = np.std(stat_data, ddof=1)
scalar("kStatSkewPop", np.mean(e**3) / s**3)
scalar("kStatKurtPop", np.mean(e**4) / s**4 - 3.0)
scalar("kStatSkewSample", stats.skew(stat_data, bias=False))
scalar("kStatKurtSample", stats.kurtosis(stat_data, fisher=True, bias=False))
scalar("kStatGMean", stats.gmean(stat_data))
scalar("kStatHMean", stats.hmean(stat_data))

# data with a large offset: the two-pass variance must keep its digits
offset_data = 1.0e9 + np.round(rng.uniform(0.0, 1.0, size=25), 6)
arr("kOffsetData", offset_data)
scalar("kOffsetVar", np.var(offset_data - 1.0e9, ddof=1))  # exact shift, no cancellation

# ---------------------------------------------------------------- CRC of a vector
crc_data = rng.normal(size=11) * 1000.0
arr("kCrcData", crc_data)
raw = [struct.pack("<d", v) for v in crc_data]
crc = "".join("%08X" % zlib.crc32(bytes(b[k] for b in raw)) for k in range(8))
text("kCrcExpected", crc)
ints = [7, -1, 2147483647, -2147483648, 0, 123456]
out.append("static const int32_t kCrcInts[6] = {7, -1, 2147483647, -2147483647 - 1, 0, 123456};")
rawi = [struct.pack("<i", v) for v in ints]
text("kCrcIntExpected", "".join("%08X" % zlib.crc32(bytes(b[k] for b in rawi)) for k in range(4)))

# ---------------------------------------------------------------- linear algebra
A5 = np.round(rng.normal(size=(5, 5)), 4)
arr("kA5", A5)
scalar("kA5Det", np.linalg.det(A5))
arr("kA5Inv", np.linalg.inv(A5))
scalar("kA5Norm1", np.linalg.norm(A5, 1))
scalar("kA5NormInf", np.linalg.norm(A5, np.inf))
scalar("kA5Norm2", np.linalg.norm(A5, 2))
scalar("kA5NormFro", np.linalg.norm(A5, "fro"))

# badly scaled rows (non-singular)
S4 = np.array([[1e-8, 2e-8, 0, 1e-8], [3, 1, 4, 1], [5e6, 9e6, 2e6, 6e6], [5, 3, 5, 8]])
arr("kS4", S4)
scalar("kS4Det", np.linalg.det(S4))
arr("kS4Inv", np.linalg.inv(S4))

# tall (7 rows x 4 columns) and wide (3 rows x 6 columns) matrices
T74 = np.round(rng.normal(size=(7, 4)), 3)
arr("kT74", T74)
arr("kT74Sv", np.linalg.svd(T74, compute_uv=False))
arr("kT74Pinv", np.linalg.pinv(T74))
scalar("kT74Norm1", np.linalg.norm(T74, 1))
scalar("kT74NormInf", np.linalg.norm(T74, np.inf))
scalar("kT74Norm2", np.linalg.norm(T74, 2))
W36 = np.round(rng.normal(size=(3, 6)), 3)
arr("kW36", W36)
arr("kW36Sv", np.linalg.svd(W36, compute_uv=False))
arr("kW36Pinv", np.linalg.pinv(W36))
# rank-deficient: third column = first + second
R53 = np.round(rng.normal(size=(5, 3)), 3)
R53[:, 2] = R53[:, 0] + R53[:, 1]
arr("kR53", R53)
arr("kR53Pinv", np.linalg.pinv(R53))

# products
P34 = np.round(rng.normal(size=(3, 4)), 3)
P45 = np.round(rng.normal(size=(4, 5)), 3)
arr("kP34", P34)
arr("kP45", P45)
arr("kP35", P34 @ P45)
arr("kP34tP34", P34.T @ P34)

# ---------------------------------------------------------------- distance matrices
D = np.round(rng.uniform(-2, 3, size=(6, 4)), 3)
D[4] = D[1]  # identical rows
arr("kDist", D)
arr("kDistManhattan", cdist(D, D, "cityblock"))
arr("kDistEuclid", cdist(D, D, "euclidean"))
arr("kDistEuclidSqr", cdist(D, D, "sqeuclidean"))
sxy = D @ D.T
sq = np.diag(sxy)
jac = sxy / (sq[:, None] + sq[None, :] - sxy)
dice = 2 * sxy / (sq[:, None] + sq[None, :])
# The diagonal is each row's coefficient with itself (1), like any two identical rows.
arr("kDistJaccard", jac)
arr("kDistDice", dice)

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "matrix_ref.inc")
with open(path, "w") as f:
    f.write("// Generated by tests/math/ref/matrix_ref.py -- do not edit.\n")
    f.write("\n".join(out) + "\n")
