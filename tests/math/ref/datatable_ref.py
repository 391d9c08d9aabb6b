#!/usr/bin/python3
"""Reference values for the data-table tests, from numpy, scipy, zlib and the
csv module.  Writes tests/math/data/datatable_ref.inc (C++ initialisers) and
tests/math/data/datatable_py.csv, and checks tests/math/data/datatable_ours.csv
(the table as our CSV writer stores it) with Python's csv reader.

The statistics table has 5 columns and 40 rows; the tests read the values and
cell states column by column.  Column 3 is nominal (left out of the NumCells
statistics); cells with state 1 (invalid) or 2 (empty) are skipped; states 32
(imputed), 64 (mark A) and 128 (mark B) leave a cell numeric.

Statistics follow the library's definitions:
  - variance: sample variance (ddof=1);
  - quartiles/percentiles: the (n+1)p position with linear interpolation,
    numpy.percentile(method='weibull');
  - SkewKurt: population third/fourth moments over the sample standard
    deviation: m3/s^3 and m4/s^4 - 3;  SkewKurtSample: scipy.stats.skew and
    kurtosis with bias=False;
  - geometric/harmonic mean: scipy.stats.gmean/hmean;
  - covariance / correlation of two columns over the rows where both cells
    are numeric: numpy.cov / numpy.corrcoef of those rows.
CRC: zlib.crc32 of the bytes that go to each of the eight accumulators."""
import csv
import io
import os
import struct
import zlib

import numpy as np
from scipy import stats

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")
rng = np.random.default_rng(20261208)
out = []


def arr(name, a, ctype="double"):
    a = np.asarray(a).ravel()
    if ctype == "double":
        body = ", ".join(repr(float(v)) for v in a)
    else:
        body = ", ".join(str(int(v)) for v in a)
    out.append(f"static const {ctype} {name}[{len(a)}] = {{{body}}};")


def scalar(name, v):
    out.append(f"static const double {name} = {float(v)!r};")


def text(name, s):
    out.append(f'static const char* const {name} = "{s}";')


# ---------------------------------------------------------------- statistics table
NC, NR = 5, 40
vals = np.round(rng.normal(50.0, 12.0, size=(NC, NR)), 4)  # [col][row]
vals[1] = np.round(np.exp(rng.normal(1.0, 0.6, size=NR)), 5)  # positive column
vals[2] = rng.integers(1, 4, size=NR)  # nominal categories 1..3
states = np.zeros((NC, NR), dtype=int)
for c in range(NC):
    idx = rng.permutation(NR)
    states[c, idx[:3]] = 2  # empty
    states[c, idx[3:5]] = 1  # invalid
    states[c, idx[5:10]] = 64  # mark A
    states[c, idx[10:13]] = 128  # mark B
    states[c, idx[13:15]] = 64 | 128
    states[c, idx[15:17]] = 32  # imputed: numeric, no mark bit 6/7
    states[c, idx[17]] = 64 | 2  # marked but empty
scale = [3, 4, 1, 3, 4]  # interval, ratio, nominal, interval, ratio
arr("kStatVals", vals)
arr("kStatStates", states, "int")
arr("kStatScale", scale, "int")

numeric = (states & 3) == 0
numcols = [c for c in range(NC) if scale[c] in (3, 4)]
num = np.concatenate([vals[c][numeric[c]] for c in numcols])  # column by column
scalar("kNumCount", len(num))
scalar("kNumSum", np.sum(num))
scalar("kNumMean", np.mean(num))
scalar("kNumVar", np.var(num, ddof=1))
scalar("kNumMin", np.min(num))
scalar("kNumMax", np.max(num))
arr("kNumQuart", np.percentile(num, [25, 50, 75], method="weibull"))
pct_p = [0.0, 0.5, 5.0, 12.5, 50.0, 66.6, 95.0, 99.9, 100.0]
arr("kPctP", pct_p)
arr("kNumPct", np.percentile(num, pct_p, method="weibull"))
e = num - num.mean()
s = np.std(num, ddof=1)
scalar("kNumSkewPop", np.mean(e**3) / s**3)
scalar("kNumKurtPop", np.mean(e**4) / s**4 - 3.0)
scalar("kNumSkewSample", stats.skew(num, bias=False))
scalar("kNumKurtSample", stats.kurtosis(num, fisher=True, bias=False))

# column 2 alone (positive): geometric and harmonic means
col2 = vals[1][numeric[1]]
scalar("kCol2GMean", stats.gmean(col2))
scalar("kCol2HMean", stats.hmean(col2))

# marked cells, mask 64: numeric cells of interval/ratio columns with bit 6
marked = np.concatenate([vals[c][numeric[c] & ((states[c] & 64) != 0)] for c in numcols])
scalar("kMarkCount", len(marked))
scalar("kMarkSum", np.sum(marked))
scalar("kMarkMean", np.mean(marked))
scalar("kMarkVar", np.var(marked, ddof=1))
arr("kMarkPct", np.percentile(marked, pct_p, method="weibull"))

# valid cells: numeric cells of all columns
valid = np.concatenate([vals[c][numeric[c]] for c in range(NC)])
scalar("kValidCount", len(valid))
scalar("kValidMin", np.min(valid))
scalar("kValidMax", np.max(valid))

# sub-region: columns 4..5, rows 11..30
sub = np.concatenate([vals[c][10:30][numeric[c][10:30]] for c in (3, 4)])
scalar("kSubMean", np.mean(sub))
scalar("kSubVar", np.var(sub, ddof=1))
arr("kSubQuart", np.percentile(sub, [25, 50, 75], method="weibull"))

# covariance / correlation of columns 1, 2, 4 with pairwise numeric rows
cov_cols = [0, 1, 3]
cov = np.zeros((3, 3))
cor = np.zeros((3, 3))
for j in range(3):
    for k in range(3):
        a, b = cov_cols[j], cov_cols[k]
        both = numeric[a] & numeric[b]
        x, y = vals[a][both], vals[b][both]
        # mode 1 centres with each column's own mean over its numeric cells
        ma, mb = vals[a][numeric[a]].mean(), vals[b][numeric[b]].mean()
        cov[j, k] = np.sum((x - ma) * (y - mb)) / (len(x) - 1)
        cor[j, k] = 1.0 if j == k else np.corrcoef(x, y)[0, 1]
arr("kCovMode1", cov)
arr("kCorMode2", cor)
# the same pair check against numpy.cov where both columns are complete
xy = np.vstack([vals[0][numeric[0] & numeric[3]], vals[3][numeric[0] & numeric[3]]])
scalar("kCorr14", np.corrcoef(xy)[0, 1])

# data with a large offset: a one-pass variance would lose every digit
off = 1.0e9 + np.round(rng.uniform(0.0, 1.0, size=30), 6)
arr("kOffsetData", off)
scalar("kOffsetVar", np.var(off - 1.0e9, ddof=1))

# ---------------------------------------------------------------- checksums
def crc8(sequences):
    """Eight accumulators; byte at position p (from 1) of each sequence goes to p mod 8."""
    streams = [bytearray() for _ in range(8)]
    for seq in sequences:
        for i, b in enumerate(seq):
            streams[(i + 1) % 8].append(b)
    return "".join("%08X" % zlib.crc32(bytes(s)) for s in streams)


crc_vals = np.round(rng.normal(size=(3, 4)) * 100.0, 3)  # 3 columns, 4 rows
crc_states = rng.integers(0, 256, size=(3, 4))
arr("kCrcVals", crc_vals)
arr("kCrcStates", crc_states, "int")
raw = [struct.pack("<d", v) for v in crc_vals.ravel()]  # column by column
text("kCrcData", "".join("%08X" % zlib.crc32(bytes(b[k] for b in raw)) for k in range(8)))
text("kCrcCellStates", crc8([bytes(int(v) for v in col) for col in crc_states]))

comment = "Trial 7"
col_names = ["Weight", "Height", "Colour"]
row_names = ["R-1", "alpha", "beta", "R-4"]
col_attr = [3, 0, 200]
row_attr = [1, 2, 0, 9]
scales = [3, 4, 1]
labels = [[""] * 25, [""] * 25, ["red", "green", "blue"] + [""] * 22]
seqs = [comment.encode()]
seqs += [n.encode() for n in col_names]
seqs.append(bytes(col_attr))
seqs += [n.encode() for n in row_names]
seqs.append(bytes(row_attr))
seqs.append(bytes(scales))
seqs += [lab.encode() for col in labels for lab in col]
text("kCrcNames", crc8(seqs))

# ---------------------------------------------------------------- CSV exchange
# The table both files hold: names with delimiters, quotes and a line break,
# an empty cell and a text that is not a number.
csv_cols = ["x", "y, mm", 'say "hi"', "multi\nline"]
csv_rows = ["first", "second;", "", "fourth"]
csv_cells = [  # [row][col]; None = empty cell, str = invalid text
    [1.5, -2.25, 1e-300, 0.1],
    [3.0, None, 123456789.125, -0.0],
    [1e300, 42.0, "abc", 7.0],
    [0.5, 2.0, 3.0, 4.0],
]
rows = [[""] + csv_cols]
for name, cells in zip(csv_rows, csv_cells):
    rows.append([name] + ["" if v is None else (v if isinstance(v, str) else repr(v)) for v in cells])
buf = io.StringIO(newline="")
csv.writer(buf).writerows(rows)
with open(os.path.join(DATA, "datatable_py.csv"), "w", newline="") as f:
    f.write(buf.getvalue())

ours = os.path.join(DATA, "datatable_ours.csv")
if os.path.exists(ours):
    with open(ours, newline="") as f:
        got = list(csv.reader(f))
    assert got[0] == [""] + csv_cols, got[0]
    assert [r[0] for r in got[1:]] == csv_rows, got
    for r, cells in zip(got[1:], csv_cells):
        for field, v in zip(r[1:], cells):
            if v is None:
                assert field == "", (field, v)
            elif isinstance(v, str):
                assert field == "-nan-", (field, v)
            else:
                assert float(field) == v, (field, v)
    with open(ours, "rb") as f:
        assert f.read().count(b"\r\n") >= len(csv_rows) + 1
    print("datatable_ours.csv reads back with Python's csv module")
else:
    print("datatable_ours.csv missing: not checked")

with open(os.path.join(DATA, "datatable_ref.inc"), "w") as f:
    f.write("// Generated by tests/math/ref/datatable_ref.py -- do not edit.\n")
    f.write("\n".join(out) + "\n")
