#!/usr/bin/python3
"""Builds the test molfiles and their expected values.

Molfiles: `obabel -:"SMILES" --gen2d -omol` (the aromatic benzene file is the
Kekule file with every ring bond turned into bond type 4).
Expected values (data/expected.tsv, one molecule per line, tab separated):
  name, atoms, bonds, element symbols, charges (atom:charge), isotopes
  (atom:mass number), bonds (a-b-type), formula, molecular weight and exact
  mass (Open Babel with hydrogens added: `obabel x.mol -h -oreport`), number of
  rings and sorted ring sizes of the smallest set of smallest rings
  (RDKit GetSymmSSSR).
Atoms, charges, isotopes and bonds are read with both RDKit and Open Babel
(CML output) and must agree before a line is written.
Run from this folder: ./make_molfiles.py
"""
import os
import subprocess
import xml.etree.ElementTree as ET
from rdkit import Chem

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")

MOLECULES = [
    ("water", "O"),
    ("ethanol", "CCO"),
    ("acetic_acid", "CC(=O)O"),
    ("benzene", "c1ccccc1"),
    ("naphthalene", "c1ccc2ccccc2c1"),
    ("pyridine", "c1ccncc1"),
    ("ammonium_chloride", "[NH4+].[Cl-]"),
    ("sodium_benzoate", "[Na+].[O-]C(=O)c1ccccc1"),
    ("cubane", "C12C3C4C1C5C2C3C45"),
    ("adamantane", "C1C2CC3CC1CC(C2)C3"),
    ("norbornane", "C1CC2CCC1C2"),
    ("cyclohexane", "C1CCCCC1"),
    ("cholesterol", "CC(C)CCCC(C)C1CCC2C1(CCC3C2CC=C4C3(CCC(C4)O)C)C"),
    ("testosterone", "CC12CCC3C(C1CCC2O)CCC4=CC(=O)CCC34C"),
    ("estradiol", "CC12CCC3c4ccc(O)cc4CCC3C1CCC2O"),
    ("aspirin", "CC(=O)Oc1ccccc1C(=O)O"),
    ("caffeine", "Cn1cnc2c1c(=O)n(c(=O)n2C)C"),
    ("ibuprofen", "CC(C)Cc1ccc(cc1)C(C)C(=O)O"),
    ("paracetamol", "CC(=O)Nc1ccc(O)cc1"),
    ("nicotine", "CN1CCCC1c1cccnc1"),
    ("chloramphenicol", "OCC(NC(=O)C(Cl)Cl)C(O)c1ccc(cc1)[N+](=O)[O-]"),
    ("methane_13c", "[13CH4]"),
    ("bromobenzene", "Brc1ccccc1"),
    ("acetonitrile", "CC#N"),
]


def run(args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def write_aromatic_benzene():
    src = os.path.join(DATA, "benzene.mol")
    lines = open(src).read().split("\n")
    counts = lines[3]
    na, nb = int(counts[0:3]), int(counts[3:6])
    for i in range(4 + na, 4 + na + nb):
        l = lines[i]
        lines[i] = l[:6] + "  4" + l[9:]
    lines[0] = "benzene_aromatic"
    open(os.path.join(DATA, "benzene_aromatic.mol"), "w").write("\n".join(lines))


def rdkit_tables(path):
    m = Chem.MolFromMolFile(path, sanitize=False, removeHs=False)
    atoms = [a.GetSymbol() for a in m.GetAtoms()]
    charges = {a.GetIdx() + 1: a.GetFormalCharge() for a in m.GetAtoms() if a.GetFormalCharge()}
    isos = {a.GetIdx() + 1: a.GetIsotope() for a in m.GetAtoms() if a.GetIsotope()}
    bonds = []
    for b in m.GetBonds():
        t = b.GetBondType()
        t = {Chem.BondType.SINGLE: 1, Chem.BondType.DOUBLE: 2, Chem.BondType.TRIPLE: 3,
             Chem.BondType.AROMATIC: 4}[t]
        bonds.append((b.GetBeginAtomIdx() + 1, b.GetEndAtomIdx() + 1, t))
    sm = Chem.MolFromMolFile(path, removeHs=False)
    rings = sorted(len(r) for r in Chem.GetSymmSSSR(sm))
    return atoms, charges, isos, sorted(bonds), rings


def obabel_tables(path):
    cml = run(["obabel", path, "-ocml"])
    root = ET.fromstring(cml)
    ns = {"c": root.tag.split("}")[0][1:]} if root.tag.startswith("{") else {}
    def find(tag):
        return root.iter(("{%s}" % ns["c"] if ns else "") + tag)
    ids, atoms, charges, isos = {}, [], {}, {}
    for i, a in enumerate(find("atom"), 1):
        ids[a.get("id")] = i
        atoms.append(a.get("elementType"))
        if a.get("formalCharge") and int(a.get("formalCharge")):
            charges[i] = int(a.get("formalCharge"))
        if a.get("isotope"):
            isos[i] = int(a.get("isotope"))
    bonds = []
    for b in find("bond"):
        a1, a2 = b.get("atomRefs2").split()
        o = b.get("order")
        o = {"1": 1, "2": 2, "3": 3, "S": 1, "D": 2, "T": 3, "A": 4}[o]
        bonds.append((ids[a1], ids[a2], o))
    return atoms, charges, isos, sorted(bonds)


def report(path):
    out = run(["obabel", path, "-h", "-oreport"])
    vals = {}
    for l in out.split("\n"):
        if ":" in l:
            k, v = l.split(":", 1)
            vals[k.strip()] = v.strip()
    return vals["FORMULA"], vals["MASS"], vals["EXACT MASS"]


def main():
    for name, smi in MOLECULES:
        out = os.path.join(DATA, name + ".mol")
        run(["obabel", "-:" + smi, "--gen2d", "-omol", "-O", out, "--title", name])
    write_aromatic_benzene()
    names = [n for n, _ in MOLECULES] + ["benzene_aromatic"]
    rows = []
    for name in names:
        path = os.path.join(DATA, name + ".mol")
        ra, rc, ri, rb, rings = rdkit_tables(path)
        oa, oc, oi, ob = obabel_tables(path)
        if name == "benzene_aromatic":
            # Open Babel writes kekulised bond orders in CML; compare the pairs only.
            ob = [(a, b, 4) for a, b, _ in ob]
        assert (ra, rc, ri, rb) == (oa, oc, oi, ob), name
        formula, mw, exact = report(path)
        rows.append("\t".join([
            name, str(len(ra)), str(len(rb)), ",".join(ra),
            ",".join("%d:%d" % kv for kv in sorted(rc.items())),
            ",".join("%d:%d" % kv for kv in sorted(ri.items())),
            ",".join("%d-%d-%d" % b for b in rb),
            formula, mw, exact, str(len(rings)), ",".join(map(str, rings))]))
    with open(os.path.join(DATA, "expected.tsv"), "w") as f:
        f.write("# name\tatoms\tbonds\tsymbols\tcharges\tisotopes\tbonds\tformula\tMW\texact\trings\tringsizes\n")
        f.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
