#!/usr/bin/env python3
"""Reference uuencoding made with Python's binascii (backtick for zero).

Each line of tests/base/data/uu_ref.txt holds the input bytes and the encoded
text, both in hexadecimal; the input is encoded in chunks of 45 bytes, one
encoded line per chunk.
"""
import binascii
import os

INPUTS = [
    b"A",
    b"Cat",
    b"hello world",
    bytes(range(45)),
    bytes(range(46)),
    bytes(range(100)),
    bytes([0, 0, 0, 255, 254, 253, 128]),
    "Grüße".encode("utf-8"),
]


def uu(data):
    out = b""
    for i in range(0, len(data), 45):
        out += binascii.b2a_uu(data[i:i + 45], backtick=True)
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "data", "uu_ref.txt"), "w") as f:
        f.write("# input bytes (hex) and their uuencoded lines (hex)\n")
        for data in INPUTS:
            f.write("%s %s\n" % (data.hex(), uu(data).hex()))


if __name__ == "__main__":
    main()
