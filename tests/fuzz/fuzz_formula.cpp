// Formula readers: the chemists' notation (ParseChemFormula) and the stored
// form of the formula control (ReadFromString, ScanMolFormula), each read,
// written in a form the same reader takes and read again to the same entries.
// fuzz-libs: chemlib
#include <string>

#include "FuzzUtil.h"
#include "chem/Zol_cform.h"

using namespace zol;

namespace {

bool SameFormula(const TFormulaRec& a, const TFormulaRec& b) {
  if (a.NumAtoms != b.NumAtoms) return false;
  for (int i = 1; i <= a.NumAtoms; ++i)
    if (a.AtNum[i] != b.AtNum[i] || a.AtWgt[i] != b.AtWgt[i] || a.AtCnt[i] != b.AtCnt[i]) return false;
  return true;
}

}  // namespace

ZOL_FUZZ_TARGET(formula)(const uint8_t* Data, size_t Size) {
  if (Size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(Data), Size);

  // the chemists' notation: every entry written as "[mass Symbol]count"
  TFormulaRec f;
  int err = -1;
  if (ParseChemFormula(text, f, err)) {
    FUZZ_REQUIRE(f.NumAtoms >= 0 && f.NumAtoms <= MaxFormulaEntries);
    std::string again;
    for (int i = 1; i <= f.NumAtoms; ++i) {
      FUZZ_REQUIRE(f.AtCnt[i] >= 1);
      again += "[" + std::to_string(f.AtWgt[i]) + ChemElem(f.AtNum[i], 0, 1, 0) + "]";
      if (f.AtCnt[i] > 1) again += std::to_string(f.AtCnt[i]);
    }
    TFormulaRec g;
    int err2 = -1;
    FUZZ_REQUIRE(ParseChemFormula(again, g, err2));
    FUZZ_REQUIRE(SameFormula(f, g));
  } else {
    FUZZ_REQUIRE(err >= 1 && err <= static_cast<int>(text.size()) + 1);
    FUZZ_REQUIRE(f.NumAtoms == 0);
  }

  // the stored form: entries with mass numbers, as AsString(1) writes them
  TMolForm a(nullptr), b(nullptr);
  a.ReadFromString(text);
  b.ReadFromString(a.AsString(1));
  FUZZ_REQUIRE(SameFormula(a.AsFormulaRec(), b.AsFormulaRec()));
  a.ScanMolFormula(text);
  FUZZ_REQUIRE(a.ScanStopPos() >= 1 && a.ScanStopPos() <= static_cast<int>(text.size()) + 1);
  (void)a.ChemMolWgt();
  (void)a.AsString(0);

  // the part scanner from every start position
  for (int p = 1; p <= static_cast<int>(text.size()) && p <= 64; ++p) {
    int pos = p, z = 0, w = 0, n = 0;
    if (ScanNextFormPart(text, pos, z, w, n)) FUZZ_REQUIRE(z >= 1 && n >= 1 && n <= 255 && w <= 999);
  }
  return 0;
}
