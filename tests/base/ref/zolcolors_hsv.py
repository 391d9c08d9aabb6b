#!/usr/bin/env python3
"""Reference values for the RGB <-> HSI conversions, from Python's colorsys
(hue/saturation/value, which is what the suite calls HSI).  Prints C++
initialisers pasted into test_zolcolors.cpp."""
import colorsys

samples = [(255, 0, 0), (12, 200, 77), (90, 30, 240), (250, 250, 10), (1, 2, 3), (200, 100, 150),
           (0, 255, 255), (128, 64, 32)]
for r, g, b in samples:
    h, s, v = colorsys.rgb_to_hsv(r / 255, g / 255, b / 255)
    print("    {%d, %d, %d, %.12f, %.12f, %.12f}," % (r, g, b, h * 360, s, v))
