#!/usr/bin/env python3
"""Reference bytes of the 80-bit extended format (10 bytes, little-endian).

Each value is given as a decimal literal; the script rounds it exactly (with
rational arithmetic, round half to even) to a 64-bit mantissa with explicit
integer bit and a 15-bit exponent of bias 16383, and prints the literal and the
ten bytes in hexadecimal.  Output: tests/base/data/extended_ref.txt
"""
from decimal import Decimal, getcontext
from fractions import Fraction
import os

getcontext().prec = 6000

VALUES = [
    "0", "-0", "1", "-1", "2", "0.5", "-2.5", "10", "0.1", "-0.1", "1e308", "-1e-308",
    "3.14159265358979323846264338327950288",
    "2.71828182845904523536028747135266250",
    "0.333333333333333333333333333333333333",
    "123456789012345678901",
    "1e4000", "-1e-4000",
    "1.18973149535723176502e+4932",   # largest finite value
    "3.36210314311209350626e-4932",   # smallest normal value
    "3.64519953188247460253e-4951",   # smallest denormal value
    "1e-4940", "-7.5e-4945",
    "inf", "-inf",
]


def round_half_even(fr):
    q, r = divmod(fr.numerator, fr.denominator)
    twice = 2 * r
    if twice > fr.denominator or (twice == fr.denominator and q % 2 == 1):
        q += 1
    return q


def encode(text):
    if text in ("inf", "-inf"):
        sign = 1 if text.startswith("-") else 0
        mant, biased = 1 << 63, 0x7FFF
    else:
        sign = 1 if text.strip().startswith("-") else 0
        x = abs(Fraction(Decimal(text)))
        if x == 0:
            mant, biased = 0, 0
        else:
            e = x.numerator.bit_length() - x.denominator.bit_length()
            if Fraction(2) ** e > x:
                e -= 1
            if Fraction(2) ** (e + 1) <= x:
                e += 1
            biased = e + 16383
            if biased >= 1:
                mant = round_half_even(x * Fraction(2) ** (63 - e))
                if mant == 1 << 64:
                    mant >>= 1
                    biased += 1
            else:
                mant = round_half_even(x * Fraction(2) ** (16382 + 63))
                biased = 1 if mant >= 1 << 63 else 0
            if biased >= 0x7FFF:
                mant, biased = 1 << 63, 0x7FFF
    data = mant.to_bytes(8, "little") + ((sign << 15) | biased).to_bytes(2, "little")
    return data.hex()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "data", "extended_ref.txt")
    with open(out, "w") as f:
        f.write("# decimal literal, then the 10 bytes of the 80-bit extended format (little-endian)\n")
        for v in VALUES:
            f.write("%s %s\n" % (v, encode(v)))


if __name__ == "__main__":
    main()
