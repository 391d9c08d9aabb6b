// Gallery page: structure drawings of the test molecules — fitted into boxes
// in each display mode, ions and isotopes, a layout before and after the
// random search — as PNG, SVG and PDF.
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "base/platform/Zol_sysutils.h"
#include "chem/Zol_cdata.h"
#include "chem/Zol_chemgrph.h"

using namespace zol;

namespace {

std::string MolDir() { return ZOL_SOURCE_DIR "/tests/chem/data/"; }

bool LoadMol(TCTab& t, const std::string& name) {
  TextFile f;
  AssignFile(f, MolDir() + name);
  Reset(f);
  bool ok = t.ReadFromMDLMolFile(f);
  CloseFile(f);
  return ok;
}

struct Cell {
  std::string file;     // molfile, or empty for a built structure
  TCGDispMode mode;
  std::string caption;
  std::function<void(TCTab&)> build;
};

void Atom(TCTab& t, int z, double x, double y, int charge = 0, int mass = 0) {
  CTElem e;
  ClearCTElem(e);
  e.AtNum = static_cast<uint8_t>(z);
  e.AtWeight = static_cast<uint16_t>(mass ? mass : IntAtWeight(z));
  e.Charge = static_cast<int8_t>(charge);
  e.Coords[0] = static_cast<float>(x);
  e.Coords[1] = static_cast<float>(y);
  t.AddAtom(e);
}

const int kCellW = 240, kCellH = 170, kCols = 4;

std::vector<Cell> Cells() {
  return {
      {"caffeine.mol", dmHeteroOnly, "caffeine, hetero atoms", nullptr},
      {"aspirin.mol", dmHeteroOnly, "aspirin, hetero atoms", nullptr},
      {"benzene_aromatic.mol", dmSkeleton, "benzene, aromatic bonds", nullptr},
      {"naphthalene.mol", dmSkeleton, "naphthalene, skeleton", nullptr},
      {"cholesterol.mol", dmSkeleton, "cholesterol, skeleton", nullptr},
      {"nicotine.mol", dmAllAtoms, "nicotine, all atoms", nullptr},
      {"ibuprofen.mol", dmNumbers, "ibuprofen, atom numbers", nullptr},
      {"acetonitrile.mol", dmAllAtoms, "acetonitrile, triple bond", nullptr},
      {"sodium_benzoate.mol", dmHeteroOnly, "sodium benzoate, ions", nullptr},
      {"ammonium_chloride.mol", dmSkeleton, "ammonium chloride", nullptr},
      {"methane_13c.mol", dmSkeleton, "13C methane, isotope label", nullptr},
      {"", dmHeteroOnly, "glycine zwitterion, coloured atoms",
       [](TCTab& t) {
         Atom(t, 7, 0, 0, 1);
         Atom(t, 6, 0.866, 0.5);
         Atom(t, 6, 1.732, 0);
         Atom(t, 8, 2.598, 0.5, -1);
         Atom(t, 8, 1.732, -1);
         t.MakeConnection(1, 2, 1);
         t.MakeConnection(2, 3, 1);
         t.MakeConnection(3, 4, 1);
         t.MakeConnection(3, 5, 2);
       }},
  };
}

void DrawCells(TCanvas& c, TChemGraph& g, const std::vector<Cell>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    int x = static_cast<int>(i % kCols) * kCellW, y = static_cast<int>(i / kCols) * kCellH;
    const Cell& cell = cells[i];
    g.MolGraph().Clear();
    if (cell.build) {
      cell.build(g.MolGraph());
    } else if (!LoadMol(g.MolGraph(), cell.file)) {
      continue;
    }
    if (cell.build) {
      g.SetAtColor(1, clBlue);
      g.SetAtColor(4, clRed);
      g.SetAtColor(5, clRed);
    }
    c.Pen().SetColor(clSilver);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(x + 2, y + 2, x + kCellW - 2, y + kCellH - 2);
    g.ShowMoleculeInABox(c, cell.mode, x + 22, y + 18, x + kCellW - 22, y + kCellH - 34, 30);
    c.Font().SetName("Arial");
    c.Font().SetSize(9);
    c.Font().SetColor(clBlack);
    c.SetTextAlign(TA_CENTER | TA_TOP);
    c.TextOut(x + kCellW / 2, y + kCellH - 22, cell.caption);
    c.SetTextAlign(TA_LEFT | TA_TOP);
  }
}

}  // namespace

ZOL_GALLERY_PAGE("chemgrph", "Structure drawing", 72) {
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* g = new TChemGraph(owner.get());
  const auto cells = Cells();
  const int rows = static_cast<int>((cells.size() + kCols - 1) / kCols);
  const int w = kCols * kCellW, h = rows * kCellH;

  TBitmap sheet(w, h);
  sheet.Canvas().Brush().SetColor(clWhite);
  sheet.Canvas().FillRect(Rect(0, 0, w, h));
  DrawCells(sheet.Canvas(), *g, cells);
  page.AddImage("molecules", sheet,
                "Test molecules fitted into their boxes (bonds at most 30 pixels) in the four display modes");

  TMetafile mf;
  mf.SetSize(w, h);
  {
    TMetafileCanvas mc(mf);
    DrawCells(mc, *g, cells);
  }
  mf.SaveToFile(page.FilePath("molecules.svg"));
  page.AddLink("molecules.svg", "The same sheet as SVG");
  TPrinter& prn = Printer();
  prn.SetPixelsPerInch(96);
  prn.SetPaperSizeMM(w * 25.4 / 96, h * 25.4 / 96);
  prn.SetTitle("Structure drawing");
  prn.SetOutputFile(page.FilePath("molecules.pdf"));
  prn.BeginDoc();
  DrawCells(prn.Canvas(), *g, cells);
  prn.EndDoc();
  page.AddLink("molecules.pdf", "The same sheet as a PDF page");

  // The control itself: frame, background and the structure fitted into it.
  page.AddHeading("The control");
  g->SetBounds(0, 0, 300, 200);
  LoadMol(g->MolGraph(), "testosterone.mol");
  g->SetDisplayMode(dmHeteroOnly);
  page.AddImage("control", *g->PaintToBitmap(), "TChemGraph, 300 x 200, testosterone, hetero atoms");
  g->MolGraph().Clear();
  page.AddImage("empty", *g->PaintToBitmap(), "An empty table");

  // Layout improvement: a crumpled ring system and the result of the search.
  page.AddHeading("Layout improvement");
  LoadMol(g->MolGraph(), "paracetamol.mol");
  RandSeed = 20261208;
  double xmin, ymin, xmax, ymax, xm, ym;
  double b = g->MolGraph().CalcMolExtents(xmin, ymin, xmax, ymax, xm, ym);
  for (int a = 1; a <= g->MolGraph().NAtoms(); ++a) {
    g->MolGraph().SetCoords(a, 1, g->MolGraph().Coords(a, 1) + (Random() - 0.5) * 1.2 * b);
    g->MolGraph().SetCoords(a, 2, g->MolGraph().Coords(a, 2) + (Random() - 0.5) * 1.2 * b);
  }
  g->MolGraph().Changed();
  double before = g->LayoutScore(b);
  page.AddImage("crumpled", *g->PaintToBitmap(), "paracetamol with its atoms moved at random");
  g->OptimizeMolShape(b);
  double after = g->LayoutScore(b);
  page.AddImage("optimized", *g->PaintToBitmap(), "after OptimizeMolShape");
  page.AddText("Layout score (higher is better) before " + std::to_string(before) + ", after " +
               std::to_string(after) + ".");
}
