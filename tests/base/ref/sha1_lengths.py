#!/usr/bin/python3
# SHA-1 reference digests (Python's hashlib) of prefixes of a fixed
# pseudo-random byte stream: every length 0..300 and a few larger ones.
# The stream is xorshift32 (13, 17, 5) from seed 2463534242, one byte (the top
# eight bits) per step; test_checksums_fast.cpp generates the same bytes.
import hashlib
import os

LENGTHS = list(range(301)) + [4095, 4096, 4097, 65599, 3 * 1024 * 1024 + 17]


def stream(n):
    x = 2463534242
    out = bytearray(n)
    for i in range(n):
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        out[i] = x >> 24
    return bytes(out)


data = stream(max(LENGTHS))
here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "..", "data", "sha1_lengths.txt"), "w") as f:
    for n in LENGTHS:
        f.write("%d %s\n" % (n, hashlib.sha1(data[:n]).hexdigest().upper()))
