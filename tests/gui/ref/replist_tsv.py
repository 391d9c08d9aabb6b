#!/usr/bin/python3
"""Reference for the report list's tab-separated clipboard layout.

Writes tests/gui/data/replist_tsv_cells.txt (the column names and cells, one
per line, row by row) and tests/gui/data/replist_tsv_expected.txt: the text a
spreadsheet expects on the clipboard, written by Python's csv module (TAB as
delimiter, no quoting, LF line ends), the header followed by an empty line.
The expected text is read back by csv.reader, which must give the cells again.
"""
import csv
import io
import os

names = ["Sample", "Mass/g", "Notes", "Größe", "x"]
rows = [
    ["Basalt", "31.00", "grey; fine", "mittel", "1"],
    ["", "9.95", "", "", ""],
    ["Quartz sand", "12.50", "a \"clean\" lot", "fein", "2"],
    ["Ölschiefer", "0.1", "  leading blanks", "µm", "3"],
    ["x", "", "trailing blank ", "—", ""],
    ["Kaolin", "4.75", "last, row", "grob", "99"],
]

here = os.path.dirname(os.path.abspath(__file__))
data = os.path.join(here, "..", "data")

buf = io.StringIO()
w = csv.writer(buf, delimiter="\t", quoting=csv.QUOTE_NONE, quotechar=None, lineterminator="\n")
w.writerow(names)
expected = buf.getvalue() + "\n"
buf = io.StringIO()
w = csv.writer(buf, delimiter="\t", quoting=csv.QUOTE_NONE, quotechar=None, lineterminator="\n")
w.writerows(rows)
expected += buf.getvalue()

# Read back: header, the empty line, then the rows, cell for cell.
back = list(csv.reader(io.StringIO(expected), delimiter="\t", quoting=csv.QUOTE_NONE))
assert back[0] == names and back[1] == [] and back[2:] == rows, back

with open(os.path.join(data, "replist_tsv_cells.txt"), "w", encoding="utf-8", newline="\n") as f:
    f.write(f"{len(names)} {len(rows)}\n")
    for s in names:
        f.write(s + "\n")
    for r in rows:
        for s in r:
            f.write(s + "\n")
with open(os.path.join(data, "replist_tsv_expected.txt"), "w", encoding="utf-8", newline="\n") as f:
    f.write(expected)
