#!/usr/bin/python3
"""Element counts of formulas in the notation chemists type, taken from Open
Babel: each text is paired with a SMILES of the same compound, and
`obabel -h --append formula` gives its formula.  Writes
tests/chem/data/formula_expected.tsv: text <TAB> "Symbol:count ..." (sorted)."""
import os
import re
import subprocess

PAIRS = [
    ("CH4", "C"),
    ("CO2", "O=C=O"),
    ("HF", "F"),
    ("H2O", "O"),
    ("D2O", "[2H]O[2H]"),
    ("NaCl", "[Na+].[Cl-]"),
    ("Ca(OH)2", "[Ca+2].[OH-].[OH-]"),
    ("Al2(SO4)3", "[Al+3].[Al+3].[O-]S(=O)(=O)[O-].[O-]S(=O)(=O)[O-].[O-]S(=O)(=O)[O-]"),
    ("K4[Fe(CN)6]", "[K+].[K+].[K+].[K+].[Fe-4](C#N)(C#N)(C#N)(C#N)(C#N)C#N"),
    ("CuSO4·5H2O", "[Cu+2].[O-]S(=O)(=O)[O-].O.O.O.O.O"),
    ("CuSO4.5H2O", "[Cu+2].[O-]S(=O)(=O)[O-].O.O.O.O.O"),
    ("Na2CO3*10H2O", "[Na+].[Na+].[O-]C(=O)[O-]" + ".O" * 10),
    ("C6H5COOH", "OC(=O)c1ccccc1"),
    ("CH3(CH2)4CH3", "CCCCCC"),
    ("(CH3)3COH", "CC(C)(C)O"),
    ("Co(NH3)6Cl3", "[Co+3].N.N.N.N.N.N.[Cl-].[Cl-].[Cl-]"),
    ("Fe2O3", "[Fe+3].[Fe+3].[O-2].[O-2].[O-2]"),
    ("Ca3(PO4)2", "[Ca+2].[Ca+2].[Ca+2].[O-]P(=O)([O-])[O-].[O-]P(=O)([O-])[O-]"),
    ("UO2(NO3)2·6H2O", "O=[U+2]=O.[O-][N+](=O)[O-].[O-][N+](=O)[O-].O.O.O.O.O.O"),
    ("C12H22O11", "OC[C@H]1O[C@@](CO)(O[C@H]2O[C@H](CO)[C@@H](O)[C@H](O)[C@H]2O)[C@@H](O)[C@@H]1O"),
]

out = os.path.join(os.path.dirname(__file__), "..", "data", "formula_expected.tsv")
with open(out, "w", encoding="utf-8") as f:
    for text, smi in PAIRS:
        r = subprocess.run(["obabel", f"-:{smi}", "-h", "-osmi", "--append", "formula"],
                           capture_output=True, text=True, check=True)
        formula = r.stdout.split("\t")[-1].strip()
        counts = {}
        for sym, n in re.findall(r"([A-Z][a-z]?)(\d*)", formula):
            counts[sym] = counts.get(sym, 0) + (int(n) if n else 1)
        f.write(text + "\t" + " ".join(f"{k}:{v}" for k, v in sorted(counts.items())) + "\n")
print(open(out, encoding="utf-8").read())
