#!/usr/bin/python3
"""Reference ring sets for the ring perception tests: RDKit's symmetrised
smallest set of smallest rings (Chem.GetSymmSSSR) of fused, bridged and caged
carbon skeletons.  Writes tests/chem/data/sssr_expected.tsv:
name <TAB> atom count <TAB> bonds "a-b,a-b,..." (1-based) <TAB> ring sizes (sorted)."""
import os
from rdkit import Chem

SMILES = {
    "bicyclo[2.2.2]octane": "C1CC2CCC1CC2",
    "norbornane": "C1CC2CCC1C2",
    "adamantane": "C1C2CC3CC1CC(C2)C3",
    "cubane": "C12C3C4C1C5C2C3C45",
    "prismane": "C12C3C1C4C2C34",
    "spiro[4.5]decane": "C1CCC2(CC1)CCCC2",
    "dodecahedrane": "C12C3C4C5C1C6C7C2C8C3C9C4C%10C5C6C%11C7C8C9C%10%11",
    "perhydrophenalene": "C1CC2CCCC3C2C(C1)CCC3",
}

def edges_of(mol):
    return [(b.GetBeginAtomIdx() + 1, b.GetEndAtomIdx() + 1) for b in mol.GetBonds()]

rows = []
for name, smi in SMILES.items():
    mol = Chem.MolFromSmiles(smi)
    rows.append((name, mol))

# An eight-membered ring with three-membered rings fused onto bonds 1-2, 3-4,
# 5-6 and 7-8 (C12H16): every atom lies in a three-membered ring.
rw = Chem.RWMol()
for _ in range(12):
    rw.AddAtom(Chem.Atom(6))
for i in range(8):
    rw.AddBond(i, (i + 1) % 8, Chem.BondType.SINGLE)
for k, (a, b) in enumerate([(0, 1), (2, 3), (4, 5), (6, 7)]):
    rw.AddBond(8 + k, a, Chem.BondType.SINGLE)
    rw.AddBond(8 + k, b, Chem.BondType.SINGLE)
m = rw.GetMol()
Chem.SanitizeMol(m)
rows.append(("tetracyclopropa-cyclooctane", m))

out = os.path.join(os.path.dirname(__file__), "..", "data", "sssr_expected.tsv")
with open(out, "w") as f:
    for name, mol in rows:
        sizes = sorted(len(r) for r in Chem.GetSymmSSSR(mol))
        bonds = ",".join(f"{a}-{b}" for a, b in edges_of(mol))
        f.write(f"{name}\t{mol.GetNumAtoms()}\t{bonds}\t{' '.join(map(str, sizes))}\n")
print(open(out).read())
