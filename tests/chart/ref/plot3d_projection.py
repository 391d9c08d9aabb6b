#!/usr/bin/python3
"""Reference pixel positions for the 3D views (TPlot3D, TRot3D).

Computes, independently of the library, where known points land on the
screen for fixed view angles:
  - TPlot3D: the eight cube corners (±150) and the grid points of a small
    surface, projected with the elevation/azimuth rotation matrix, scaled,
    magnified, shifted to the centre and rounded half away from zero; the far
    corner is the one farthest from the viewer (smallest row-3 value).
  - TRot3D: the integer rotation matrix round(1000·M) for two-axis mode and
    for three-axis mode (M from scipy's intrinsic X-Y-Z Euler rotation), and
    the projection of cube points with integer division truncated towards
    zero; the display-list coordinates of a small point set after centring on
    the centroid and scaling each axis to 1000 units.

Writes tests/chart/data/plot3d_projection.txt (one record per line).
"""
import math
import os

import numpy as np
from scipy.spatial.transform import Rotation

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "plot3d_projection.txt")


def rnd(v):
    """Round half away from zero; refuse values too close to a tie."""
    frac = abs(v) - math.floor(abs(v))
    assert abs(frac - 0.5) > 1e-6, f"tie at {v}"
    return int(math.copysign(math.floor(abs(v) + 0.5), v))


def rot2(ax, az):
    a, z = math.radians(ax), math.radians(az)
    # Elevation about the screen x axis after the azimuth about the vertical.
    rz = np.array([[math.cos(z), -math.sin(z), 0], [math.sin(z), math.cos(z), 0], [0, 0, 1]])
    rx = np.array([[1, 0, 0], [0, math.cos(a), -math.sin(a)], [0, math.sin(a), math.cos(a)]])
    m = rx @ rz
    m[np.abs(m) < 1e-6] = 0.0
    return m


lines = []

# ---- TPlot3D cube corners
plot_cases = [
    # ax, az, sfx, sfy, sfz, mag, cx, cy
    (60, 15, 1, 1, 1, 1.0, 325, 250),
    (66, 135, 1, 1, 1, 1.0, 325, 250),
    (30, 200, 1, 1, 1, 1.0, 325, 250),
    (120, 300, 1, 1, 1, 1.0, 325, 250),
    (45, 250, 1.5, 0.5, 2.0, 0.7, 100, 80),
    (200, 80, 1, 2, 0.5, 1.3, 300, 260),
]
for ax, az, sfx, sfy, sfz, mag, cx, cy in plot_cases:
    m = rot2(ax, az)
    px, toward = [], []
    for n in range(8):
        p = np.array([150.0 if n & 4 else -150.0, 150.0 if n & 2 else -150.0, 150.0 if n & 1 else -150.0])
        q = p * np.array([sfx, sfy, sfz])
        s = m @ q
        px.append((rnd(s[0] * mag + cx), rnd(s[1] * mag + cy)))
        toward.append(s[2])
    far = int(np.argmin(toward))
    lines.append("plotcube " + " ".join(str(v) for v in (ax, az, sfx, sfy, sfz, mag, cx, cy)) + " " + str(far)
                 + " " + " ".join(f"{x} {y}" for x, y in px))

# ---- TPlot3D grid points: a 3 x 4 grid, z range -2..6
vals = np.array([[0.0, 1.0, 2.0, 3.0], [4.0, 5.0, -1.0, 0.5], [2.5, 6.0, -2.0, 1.25]])  # [column][row]
ncol, nrow = vals.shape
zl, zh = -2.0, 6.0
kz = 300.0 / (zh - zl)
oz = -150.0 - zl * kz
for ax, az, mag, cx, cy in [(60, 15, 1.0, 325, 250), (35, 290, 0.8, 200, 150)]:
    m = rot2(ax, az)
    pts = []
    for i in range(1, ncol + 1):
        for j in range(1, nrow + 1):
            X = (i - ncol / 2 - 0.5) * 300.0 / (ncol - 1)
            Y = (j - nrow / 2 - 0.5) * 300.0 / (nrow - 1)
            Z = kz * vals[i - 1][j - 1] + oz
            s = m @ np.array([X, Y, Z])
            pts.append(f"{rnd(s[0] * mag + cx)} {rnd(s[1] * mag + cy)}")
    lines.append(f"plotgrid {ax} {az} {mag} {cx} {cy} " + " ".join(pts))


# ---- TRot3D
def irot(m):
    m = m.copy()
    m[np.abs(m) < 1e-6] = 0.0
    return np.array([[int(math.copysign(math.floor(abs(1000 * v) + 0.5), v)) for v in row] for row in m], dtype=np.int64)


def idiv(a, b):
    """Integer division truncated towards zero."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


rot_cases = [
    # mode (2 or 3), ax, ay, az, magnification, cx, cy
    (2, 110, 150, 210, 0.8, 225, 150),
    (2, 20, 0, 75, 1.7, 100, 90),
    (3, 110, 150, 210, 0.8, 225, 150),
    (3, 35, 300, 10, 2.5, 60, 40),
]
cube_pts = [(-400, -400, -400), (400, -400, 400), (400, 400, 400), (0, 0, 0), (700, 0, 0), (0, -700, 0), (123, -456, 789)]
for mode, ax, ay, az, mag, cx, cy in rot_cases:
    if mode == 2:
        m = rot2(ax, az)
    else:
        m = Rotation.from_euler("XYZ", [ax, ay, az], degrees=True).as_matrix()
    r = irot(m)
    div = rnd(4000.0 / mag)
    res = []
    for (X, Y, Z) in cube_pts:
        sx = idiv(X * r[0][0] + Y * r[0][1] + Z * r[0][2], div) + cx
        sy = idiv(X * r[1][0] + Y * r[1][1] + Z * r[1][2], div) + cy
        res.append(f"{sx} {sy}")
    lines.append(f"rotmat {mode} {ax} {ay} {az} {mag} {cx} {cy} " + " ".join(str(v) for v in r.flatten()) + " "
                 + " ".join(res))

# ---- TRot3D display list of a small point set (automatic origin and scaling)
pts = np.array([[1.0, 2.0, 3.0], [11.3, -3.0, 3.5], [6.0, 7.2, 5.0], [2.0, 0.0, 1.1]])
cent = pts.mean(axis=0)
ext = pts.max(axis=0) - pts.min(axis=0)
fac = 1000.0 / ext
cube = [[rnd(v) for v in (p - cent) * fac] for p in pts]
lines.append("rotcloud " + " ".join(f"{v:.17g}" for v in fac) + " " + " ".join(f"{c[0]} {c[1]} {c[2]}" for c in cube))
iso = np.full(3, fac.min())
cube = [[rnd(v) for v in (p - cent) * iso] for p in pts]
lines.append("rotcloudiso " + " ".join(f"{c[0]} {c[1]} {c[2]}" for c in cube))

with open(OUT, "w") as f:
    f.write("# written by tests/chart/ref/plot3d_projection.py\n")
    f.write("\n".join(lines) + "\n")
print(OUT)
