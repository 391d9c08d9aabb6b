#!/usr/bin/python3
"""Reference values for the Smith chart conversions.

The reflection coefficient of a normalised impedance z = r + jx is
Gamma = (z - 1) / (z + 1), and back z = (1 + Gamma) / (1 - Gamma); both are
evaluated here with Python's complex numbers (the textbook formulas, not the
library's closed forms).  Writes data/rchart_smith.txt with one line per case:
"G r x ReGamma ImGamma" and "Z u v r x", values with 17 significant digits.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "rchart_smith.txt")

impedances = [(0, 0), (1, 0), (0.5, 0.5), (2, -3), (0, 1), (0, -1), (10, 0.1), (0.01, 50), (3.7, 1.25),
              (1, 1), (0.2, -0.7), (100, -100)]
coefficients = [(0, 0), (0.5, 0), (-0.5, 0.25), (0.3, -0.4), (-1, 0), (0, 0.99), (0.6, 0.7), (-0.2, -0.9)]

lines = []
for r, x in impedances:
    g = (complex(r, x) - 1) / (complex(r, x) + 1)
    lines.append("G %.17g %.17g %.17g %.17g" % (r, x, g.real, g.imag))
for u, v in coefficients:
    z = (1 + complex(u, v)) / (1 - complex(u, v))
    lines.append("Z %.17g %.17g %.17g %.17g" % (u, v, z.real, z.imag))
with open(OUT, "w", newline="\n") as f:
    f.write("\n".join(lines) + "\n")
