#!/usr/bin/env python3
"""Reference values for the checksum tests of the dstruct unit.

Writes tests/base/data/dstruct_ref.txt, one case per line:
    <kind> <input as hex, '-' when empty> <expected value>
kinds:
    crc16x  CRC-16, polynomial 1021, start 0      (binascii.crc_hqx(data, 0))
    crc16c  CRC-16, polynomial 1021, start FFFF   (binascii.crc_hqx(data, 0xFFFF))
    sha1    SHA-1 digest in upper-case hex        (the sha1sum tool of coreutils)
    a85     ASCII85 of inputs made of whole 4-byte groups, followed by "~>"
            (base64.a85encode, no folding, no wrapping)
Run from the repository root:  python3 tests/base/ref/dstruct_ref.py
"""
import base64
import binascii
import random
import subprocess
from pathlib import Path

rng = random.Random(20261207)
inputs = [b"", b"123456789", b"a", b"abc", bytes(range(256)), b"\x00" * 7, b"\xff" * 64,
          b"The quick brown fox jumps over the lazy dog"]
for n in (1, 2, 3, 55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 1000, 4097):
    inputs.append(bytes(rng.randrange(256) for _ in range(n)))

lines = []
def hx(b):
    return b.hex() if b else "-"

for b in inputs:
    lines.append(f"crc16x {hx(b)} {binascii.crc_hqx(b, 0):04X}")
    lines.append(f"crc16c {hx(b)} {binascii.crc_hqx(b, 0xFFFF):04X}")
    out = subprocess.run(["sha1sum"], input=b, capture_output=True, check=True).stdout
    lines.append(f"sha1 {hx(b)} {out.split()[0].decode().upper()}")

a85_inputs = [b"\x00\x00\x00\x00", b"\x00\x00\x00\x00" * 3, b"Man sure.", b"\xff\xff\xff\xff",
              b"\x01\x02\x03\x04\x00\x00\x00\x00\x05\x06\x07\x08"]
for n in (4, 8, 64, 400):
    a85_inputs.append(bytes(rng.randrange(256) for _ in range(n)))
for b in a85_inputs:
    if len(b) % 4:
        b = b[: len(b) - len(b) % 4]
    enc = base64.a85encode(b, foldspaces=False, wrapcol=0, pad=False, adobe=False).decode() + "~>"
    lines.append(f"a85 {hx(b)} {enc}")

out = Path(__file__).resolve().parent.parent / "data" / "dstruct_ref.txt"
out.write_text("\n".join(lines) + "\n")
print(f"{len(lines)} cases written to {out}")
