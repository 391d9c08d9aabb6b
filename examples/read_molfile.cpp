// chemlib: read a molfile, print its formula, weight and rings.
#include <cstdio>
#include <string>

#include "base/platform/Zol_classes.h"
#include "chem/Zol_cdata.h"
#include "chem/Zol_cstruct.h"

int main(int argc, char** argv) {
  std::string file = argc > 1 ? argv[1] : "caffeine.mol";
  zol::TCTab t(nullptr);
  zol::TextFile f;
  zol::AssignFile(f, file);
  zol::Reset(f);
  bool ok = t.ReadFromMDLMolFile(f);
  zol::CloseFile(f);
  if (!ok) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return 1;
  }
  zol::TFormulaRec r;
  t.CalcMolecularFormula(r);
  std::string formula;
  for (int i = 1; i <= r.NumAtoms; ++i)
    formula += zol::CElemSymb(r.AtNum[i]) + (r.AtCnt[i] > 1 ? std::to_string(r.AtCnt[i]) : std::string());
  zol::RingListType rings;
  int n = t.FindSSSR(rings);
  std::printf("%s: %s, %.2f g/mol, %d rings:", t.StrucName().c_str(), formula.c_str(), t.CalcChemMolWeight(), n);
  for (int i = 1; i <= n; ++i) std::printf(" %d", rings.Rings[i].Length);
  std::printf("\n");
}
