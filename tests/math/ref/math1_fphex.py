#!/usr/bin/env python3
"""Reference bit patterns of IEEE single, double and x87 80-bit extended numbers.

Single and double come from Python's struct module (big-endian packing, so the
hex text is most significant byte first).  The 80-bit extended pattern is
computed exactly with fractions: the decimal text is rounded to a 64-bit
mantissa (round half to even), then sign, 15-bit biased exponent and the
mantissa with its explicit integer bit are written out.

Output: tests/math/data/math1_fphex.txt, one line per value:
    <decimal text> <single hex> <double hex> <extended hex>
Run:  python3 tests/math/ref/math1_fphex.py > tests/math/data/math1_fphex.txt
"""
import struct
from fractions import Fraction

VALUES = [
    "0", "-0", "1", "-1", "2", "0.5", "0.1", "-0.1", "1.5", "3.141592653589793",
    "2.718281828459045", "1234.0", "-1234.5678", "1e10", "1e-10", "6.02214076e23",
    "1.602176634e-19", "65504", "16777217", "9007199254740993", "123456789.123456789",
    "3.4028234663852886e38", "1.17549435e-38", "1.401298464324817e-45",
    "2.2250738585072014e-308", "4.9406564584124654e-324", "1.7976931348623157e308",
    "1e-320", "-7.25", "0.3333333333333333", "1e300", "-1e-300",
    "inf", "-inf",
    # beyond the double range: extended only
    "1e-4940", "3.6451995318824746e-4951", "-1.18973149535723176502e4932", "1e1000",
]


def ext_hex(text):
    if text in ("inf", "-inf"):
        se = 0x7FFF | (0x8000 if text.startswith("-") else 0)
        return "%04X%016X" % (se, 1 << 63)
    neg = text.startswith("-")
    v = abs(Fraction(text.lstrip("-")))
    sign = 0x8000 if neg else 0
    if v == 0:
        return "%04X%016X" % (sign, 0)
    # find e with 2^e <= v < 2^(e+1)
    e = v.numerator.bit_length() - v.denominator.bit_length()
    while Fraction(2) ** e > v:
        e -= 1
    while Fraction(2) ** (e + 1) <= v:
        e += 1
    emin = 1 - 16383
    shift = 63 - max(e, emin)  # value = mant * 2^-shift
    scaled = v * (Fraction(2) ** shift)
    mant = scaled.numerator // scaled.denominator
    rest = scaled - mant
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and mant % 2 == 1):
        mant += 1
    if e < emin:  # subnormal
        exp = 0 if mant < (1 << 63) else 1
    else:
        exp = e + 16383
        if mant == (1 << 64):  # rounding carried into the next binade
            mant >>= 1
            exp += 1
    return "%04X%016X" % (sign | exp, mant)


def main():
    for t in VALUES:
        x = float(t)
        zero_text = Fraction(t.lstrip("-")) == 0 if "inf" not in t else False
        if (x == 0 and not zero_text) or (abs(x) == float("inf") and "inf" not in t):
            print(t, "-", "-", ext_hex(t))  # not a double
            continue
        s = struct.pack(">f", x).hex().upper() if abs(x) <= 3.4028235677973366e38 or abs(x) == float("inf") else "-"
        d = struct.pack(">d", x).hex().upper()
        print(t, s, d, ext_hex(t))


if __name__ == "__main__":
    main()
