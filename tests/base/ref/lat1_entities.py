#!/usr/bin/env python3
"""Writes the HTML 4 Latin-1 entity names of code points 160..255, one
"code name" pair per line, from Python's html.entities table."""
import html.entities
import os

out = os.path.join(os.path.dirname(__file__), "..", "data", "lat1_entities.txt")
with open(out, "w") as f:
    for cp in range(160, 256):
        f.write(f"{cp} {html.entities.codepoint2name[cp]}\n")
