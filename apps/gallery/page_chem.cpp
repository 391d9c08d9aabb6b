// Gallery page: molecular formulas painted by TMolForm, and the test molecules
// read from their molfiles with formula, weights and rings.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_classes.h"
#include "chem/Zol_cdata.h"
#include "chem/Zol_cform.h"
#include "chem/Zol_cstruct.h"

using namespace zol;

namespace {

std::string DataDir() { return ZOL_SOURCE_DIR "/tests/chem/data/"; }

std::string Fixed(double v, int dec) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", dec, v);
  return buf;
}

}  // namespace

ZOL_GALLERY_PAGE("chem", "Chemistry", 70) {
  page.AddHeading("Molecular formulas");
  struct Sample {
    const char* text;
    TIsotVisib vis;
    bool deut;
    TAlignment align;
    const char* note;
  };
  const Sample samples[] = {
      {"C6H12O6", ivSpecial, true, taLeftJustify, "C6H12O6, left aligned"},
      {"13C1 H4", ivSpecial, true, taLeftJustify, "13C1 H4: special isotope shown"},
      {"12C1 H4", ivSpecial, true, taLeftJustify, "12C1 H4: nominal isotope hidden"},
      {"D2O", ivSpecial, true, taCenter, "D2O with UseDeuterium"},
      {"D2O", ivSpecial, false, taCenter, "D2O without UseDeuterium"},
      {"C8 H10 N4 O2", ivAlways, true, taCenter, "caffeine, all mass numbers"},
      {"Ca(O H)2", ivSpecial, true, taRightJustify, "Ca(O H)2, right aligned"},
      {"Al2(S O4)3", ivSpecial, true, taRightJustify, "Al2(S O4)3"},
  };
  const int rowH = 44, w = 520;
  TBitmap bmp(w, rowH * static_cast<int>(std::size(samples)) + 10);
  TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
  auto f = std::make_unique<TMolForm>(nullptr);
  f->Font().SetName("Arial");
  f->Font().SetSize(16);
  f->SetColorBkg(0xF0F0F0);
  int y = 5;
  for (const Sample& s : samples) {
    f->SetMolFormula(s.text);
    f->SetIsotopeVis(s.vis);
    f->SetUseDeuterium(s.deut);
    f->SetAlignment(s.align);
    f->DrawOn(c, 10, y, 220, rowH - 6);
    c.Brush().SetStyle(bsClear);
    c.Font().SetName("Arial");
    c.Font().SetSize(10);
    c.Font().SetColor(clBlack);
    c.TextOut(245, y + 12, s.note);
    y += rowH;
  }
  page.AddImage("formulas", bmp, "Formulas painted by TMolForm: superscript mass numbers, subscript counts");

  page.AddHeading("Test molecules");
  const char* names[] = {"water", "ethanol", "acetic_acid", "benzene", "benzene_aromatic", "naphthalene",
                         "pyridine", "ammonium_chloride", "sodium_benzoate", "cubane", "adamantane",
                         "norbornane", "cyclohexane", "cholesterol", "testosterone", "estradiol", "aspirin",
                         "caffeine", "ibuprofen", "paracetamol", "nicotine", "chloramphenicol", "methane_13c",
                         "bromobenzene", "acetonitrile"};
  std::vector<std::vector<std::string>> rows{
      {"molecule", "formula", "weight", "exact mass", "rings (SSSR)", "ring sizes", "independent rings"}};
  auto t = std::make_unique<TCTab>(nullptr);
  auto rings = std::make_unique<RingListType>();
  auto form = std::make_unique<TMolForm>(nullptr);
  for (const char* n : names) {
    TextFile file;
    AssignFile(file, DataDir() + n + ".mol");
    bool ok = false;
    try {
      Reset(file);
      ok = t->ReadFromMDLMolFile(file);
      CloseFile(file);
    } catch (const Exception&) {
      ok = false;
    }
    if (!ok) {
      rows.push_back({n, "(not read)", "", "", "", "", ""});
      continue;
    }
    TFormulaRec fr;
    t->CalcMolecularFormula(fr);
    form->SetFormulaRec(fr);
    int nr = t->FindSSSR(*rings);
    std::string sizes;
    for (int r = 1; r <= nr; ++r) sizes += (r > 1 ? "," : "") + std::to_string(rings->Rings[r].Length);
    rows.push_back({n, form->AsString(0), Fixed(t->CalcChemMolWeight(), 3), Fixed(t->CalcExactMolWeight(), 4),
                    std::to_string(nr), sizes, std::to_string(t->RingsInMolecule())});
  }
  page.AddTable(rows);
}
