#!/usr/bin/env python3
"""Reference values of the combined congruential generator LongRand.

Written from the generator's definition with Python's unbounded integers:
three state values; a non-zero seed s0 gives s = s0 rem 990923 (sign of s0),
x1 = |s|, x2 = |s xor (s shl 8)| rem 990923, x3 = |s xor (s shl 16)| rem 990923
(the shifted values wrap at 32 bits, signed); each call sets
x1 = x1*1187 rem 1001003, x2 = x2*983 rem 990923, x3 = x3*1283 rem 1400423 and
returns the fractional part of x1/1001003 + x2/990923 + x3/1400423.
Seeds that are not multiples of 990923 only (the library replaces a zero state).
Run: python3 tests/math/ref/math1_longrand.py   (values are embedded in test_math1.cpp)
"""
from fractions import Fraction


def wrap32(v):
    v &= 0xFFFFFFFF
    return v - (1 << 32) if v >= (1 << 31) else v


def rem(a, m):  # remainder with the sign of a
    r = abs(a) % m
    return -r if a < 0 else r


def seq(seed, n):
    s = rem(seed, 990923)
    x1 = abs(s)
    x2 = abs(wrap32(s ^ wrap32(s << 8))) % 990923
    x3 = abs(wrap32(s ^ wrap32(s << 16))) % 990923
    out = []
    for _ in range(n):
        x1 = x1 * 1187 % 1001003
        x2 = x2 * 983 % 990923
        x3 = x3 * 1283 % 1400423
        f = Fraction(x1, 1001003) + Fraction(x2, 990923) + Fraction(x3, 1400423)
        f -= f.numerator // f.denominator
        out.append(float(f))
    return out


for seed in (1, 12345, -777, 2000000000):
    print(seed, " ".join(repr(v) for v in seq(seed, 5)))
