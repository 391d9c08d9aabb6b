// Structure drawing: labels, bond pictures, fitting into a box, picking atoms,
// rings and chains, the layout search and the degenerate structures.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_sysutils.h"
#include "chem/Zol_cdata.h"
#include "chem/Zol_chemgrph.h"

using namespace zol;

namespace {

const std::string kData = ZOL_TEST_SRC_DIR "/data/";
constexpr TColor kInk = 0x000080;

struct A {
  int z;
  double x, y;
  int charge = 0;
  int mass = 0;
};

void Build(TCTab& t, const std::vector<A>& atoms, const std::vector<std::array<int, 3>>& bonds) {
  t.Clear();
  for (const A& a : atoms) {
    CTElem e;
    ClearCTElem(e);
    e.AtNum = static_cast<uint8_t>(a.z);
    e.AtWeight = static_cast<uint16_t>(a.mass ? a.mass : IntAtWeight(a.z));
    e.Charge = static_cast<int8_t>(a.charge);
    e.Coords[0] = static_cast<float>(a.x);
    e.Coords[1] = static_cast<float>(a.y);
    ASSERT_TRUE(t.AddAtom(e));
  }
  for (const auto& b : bonds) ASSERT_TRUE(t.MakeConnection(b[0], b[1], b[2]));
}

std::unique_ptr<TBitmap> White(int w, int h) {
  auto bmp = std::make_unique<TBitmap>(w, h);
  bmp->Canvas().Brush().SetColor(clWhite);
  bmp->Canvas().FillRect(Rect(0, 0, w, h));
  return bmp;
}

std::set<std::pair<int, int>> Painted(TBitmap& bmp, TColor bkg = clWhite) {
  std::set<std::pair<int, int>> s;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x)
      if (bmp.Canvas().Pixels(x, y) != bkg) s.insert({x, y});
  return s;
}

bool ReadMol(TCTab& t, const std::string& name) {
  TextFile f;
  AssignFile(f, kData + name);
  Reset(f);
  bool ok = t.ReadFromMDLMolFile(f);
  CloseFile(f);
  return ok;
}

// The atom coordinates and bonds of a V2000 molfile, read straight from its columns.
struct MolGeom {
  std::vector<double> x, y;
  std::vector<std::array<int, 3>> bonds;
};

MolGeom ParseMolfile(const std::string& name) {
  std::ifstream in(kData + name);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  MolGeom g;
  int na = std::atoi(lines.at(3).substr(0, 3).c_str()), nb = std::atoi(lines.at(3).substr(3, 3).c_str());
  for (int i = 0; i < na; ++i) {
    const std::string& l = lines.at(4 + i);
    g.x.push_back(std::atof(l.substr(0, 10).c_str()));
    g.y.push_back(std::atof(l.substr(10, 10).c_str()));
  }
  for (int i = 0; i < nb; ++i) {
    const std::string& l = lines.at(4 + na + i);
    g.bonds.push_back({std::atoi(l.substr(0, 3).c_str()), std::atoi(l.substr(3, 3).c_str()),
                       std::atoi(l.substr(6, 3).c_str())});
  }
  return g;
}

class ChemGraph : public ::testing::Test {
 protected:
  void SetUp() override { g = std::make_unique<TChemGraph>(nullptr); }
  std::unique_ptr<TChemGraph> g;
};

}  // namespace

// ---------------------------------------------------------------- labels
TEST_F(ChemGraph, LabelsFollowTheHydrogenAndChargeTable) {
  struct Case {
    int z, charge;
    std::vector<int> bondTypes;  // bonds to carbon partners
    const char* label;
  };
  const Case cases[] = {
      {7, 0, {}, "NH3"},          {7, 0, {1}, "NH2"},         {7, 0, {1, 1}, "NH"},
      {7, 0, {1, 1, 1}, "N"},     {7, 0, {3}, "N"},           {7, 1, {}, "NH4+"},
      {7, 1, {1}, "NH3+"},        {7, 1, {1, 1, 1, 1}, "N+"}, {7, -1, {1}, "NH-"},
      {7, -1, {1, 1}, "N-"},      {15, 0, {}, "PH3"},         {8, 0, {1}, "OH"},
      {8, 0, {2}, "O"},           {8, 0, {1, 1}, "O"},        {8, -1, {1}, "O-"},
      {8, 1, {1}, "OH2+"},        {16, 0, {1}, "SH"},         {17, -1, {}, "Cl-"},
      {11, 1, {}, "Na+"},         {6, 0, {1}, "C"},           {6, -1, {1, 1, 1}, "C-"},
      // Charges beyond the table keep their sign and size.
      {20, 2, {}, "Ca2+"},        {26, 3, {}, "Fe3+"},        {16, -2, {}, "S2-"},
  };
  for (const Case& c : cases) {
    std::vector<A> atoms{{c.z, 0, 0, c.charge}};
    std::vector<std::array<int, 3>> bonds;
    for (int t : c.bondTypes) {
      atoms.push_back({6, double(atoms.size()), 0});
      bonds.push_back({1, static_cast<int>(atoms.size()), t});
    }
    Build(g->MolGraph(), atoms, bonds);
    std::string label;
    int n = g->ConstructElemSymb(1, label);
    EXPECT_EQ(label, c.label) << "element " << c.z << " charge " << c.charge;
    EXPECT_EQ(n, static_cast<int>(label.size()));
  }
  std::string label = "x";
  EXPECT_EQ(g->ConstructElemSymb(0, label), 0);
  EXPECT_EQ(label, "");
  EXPECT_EQ(g->ConstructElemSymb(99, label), 0);
}

// ---------------------------------------------------------------- bond pictures
TEST_F(ChemGraph, DoubleAndTripleBondsAreParallelLinesAtTheirOffsets) {
  // Horizontal bond from (15, 20) to (45, 20): the perpendicular is the y axis.
  for (int type : {1, 2, 3}) {
    Build(g->MolGraph(), {{6, 0, 0}, {6, 1, 0}}, {{1, 2, type}});
    auto bmp = White(60, 40);
    g->DrawMolRaw(dmSkeleton, 30, 15, 20, false, bmp->Canvas());
    std::vector<int> rows = type == 1 ? std::vector<int>{20}
                            : type == 2 ? std::vector<int>{18, 22}  // 20 ± 1.65 rounded
                                        : std::vector<int>{17, 20, 23};
    std::set<std::pair<int, int>> want;
    for (int y : rows)
      for (int x = 15; x < 45; ++x) want.insert({x, y});  // the end point is not painted
    EXPECT_EQ(Painted(*bmp), want) << "bond type " << type;
    EXPECT_EQ(bmp->Canvas().Pixels(30, rows[0]), kInk);
  }
  // Vertical double bond from (20, 10) to (20, 40): lines at x = 18 and 22.
  Build(g->MolGraph(), {{6, 0, 0}, {6, 0, 1}}, {{1, 2, 2}});
  auto bmp = White(40, 50);
  g->DrawMolRaw(dmSkeleton, 30, 20, 10, false, bmp->Canvas());
  std::set<std::pair<int, int>> want;
  for (int y = 10; y < 40; ++y) {
    want.insert({18, y});
    want.insert({22, y});
  }
  EXPECT_EQ(Painted(*bmp), want);
}

TEST_F(ChemGraph, AromaticBondsAreDashedAndBenzeneClosesItsRing) {
  const double r = 1.0;  // hexagon of unit sides
  std::vector<A> atoms;
  for (int i = 0; i < 6; ++i)
    atoms.push_back({6, r * std::cos(M_PI / 3 * i), r * std::sin(M_PI / 3 * i)});
  Build(g->MolGraph(), atoms, {{1, 2, 4}, {2, 3, 4}, {3, 4, 4}, {4, 5, 4}, {5, 6, 4}, {6, 1, 4}});
  auto bmp = White(100, 100);
  g->DrawMolRaw(dmSkeleton, 40, 50, 50, false, bmp->Canvas());
  auto px = Painted(*bmp);
  ASSERT_FALSE(px.empty());
  // Every painted pixel lies on one of the six sides; every side has ink and gaps.
  std::vector<int> inkPerSide(6, 0);
  for (auto [x, y] : px) {
    double best = 1e9;
    int side = -1;
    for (int i = 0; i < 6; ++i) {
      double x0 = 50 + 40 * atoms[i].x, y0 = 50 + 40 * atoms[i].y;
      double x1 = 50 + 40 * atoms[(i + 1) % 6].x, y1 = 50 + 40 * atoms[(i + 1) % 6].y;
      double t = std::clamp(((x - x0) * (x1 - x0) + (y - y0) * (y1 - y0)) / (40.0 * 40.0), 0.0, 1.0);
      double d = std::hypot(x - (x0 + t * (x1 - x0)), y - (y0 + t * (y1 - y0)));
      if (d < best) best = d, side = i;
    }
    EXPECT_LE(best, 1.0) << x << "," << y;
    ++inkPerSide[side];
  }
  for (int i = 0; i < 6; ++i) {
    EXPECT_GT(inkPerSide[i], 8) << "side " << i;
    EXPECT_LT(inkPerSide[i], 38) << "side " << i << " is not dashed";
  }
}

TEST_F(ChemGraph, LabelsOfIonsAndIsotopesAreDrawnAroundTheirAtom) {
  // Ammonium: an isolated, charged nitrogen is labelled in skeleton mode.
  Build(g->MolGraph(), {{7, 0, 0, 1}}, {});
  auto bmp = White(120, 60);
  TCanvas& c = bmp->Canvas();
  c.Font().SetName("Courier New");
  c.Font().SetSize(12);
  g->DrawMolRaw(dmSkeleton, 10, 60, 30, false, c);
  TSize sz = c.TextExtent("NH4+");
  auto px = Painted(*bmp);
  ASSERT_FALSE(px.empty());
  int x0 = 60 - sz.cx / 2, y0 = 30 - sz.cy / 2;
  for (auto [x, y] : px) {
    EXPECT_GE(x, x0);
    EXPECT_LT(x, x0 + sz.cx);
    EXPECT_GE(y, y0);
    EXPECT_LT(y, y0 + sz.cy);
  }
  EXPECT_EQ(c.Font().Size(), 12) << "the font is restored";

  // 13C: the mass number stands before the symbol and above its middle.
  Build(g->MolGraph(), {{6, 0, 0, 0, 13}}, {});
  auto iso = White(120, 60);
  iso->Canvas().Font().SetName("Courier New");
  iso->Canvas().Font().SetSize(12);
  g->DrawMolRaw(dmSkeleton, 10, 60, 30, false, iso->Canvas());
  TSize cs = iso->Canvas().TextExtent("C");
  int left = 60 - cs.cx / 2;
  int before = 0, beforeHigh = 0;
  for (auto [x, y] : Painted(*iso))
    if (x < left) {
      ++before;
      if (y < 30) ++beforeHigh;
    }
  EXPECT_GT(before, 5);
  EXPECT_GT(beforeHigh, before / 2);
  // A carbon of natural mass is not labelled in skeleton mode, but is in all-atoms mode.
  Build(g->MolGraph(), {{6, 0, 0}, {6, 1, 0}}, {{1, 2, 1}});
  auto nat = White(60, 40);
  g->DrawMolRaw(dmSkeleton, 30, 15, 20, false, nat->Canvas());
  EXPECT_EQ(Painted(*nat).size(), 30u);
  auto all = White(60, 40);
  g->DrawMolRaw(dmAllAtoms, 30, 15, 20, false, all->Canvas());
  int row = 0;
  for (int x = 15; x < 45; ++x) row += all->Canvas().Pixels(x, 20) == kInk;
  EXPECT_GT(Painted(*all).size(), 30u);
  EXPECT_LT(row, 28) << "the bond stops before both labels";
}

TEST_F(ChemGraph, BondsStopAtLabelsAndColouredAtomsColourTheirHalf) {
  // O=C: the oxygen is labelled in hetero mode, so the bond stops at its box.
  Build(g->MolGraph(), {{6, 0, 0}, {8, 1, 0}}, {{1, 2, 1}});
  auto bmp = White(100, 40);
  TCanvas& c = bmp->Canvas();
  c.Font().SetName("Courier New");
  c.Font().SetSize(10);
  g->DrawMolRaw(dmHeteroOnly, 60, 20, 20, false, c);
  TSize sz = c.TextExtent("OH");
  int boxLeft = 80 - sz.cx / 2;
  for (int x = 20; x < boxLeft - 2; ++x) EXPECT_EQ(c.Pixels(x, 20), kInk) << x;
  EXPECT_NE(c.Pixels(boxLeft - 1, 20), kInk);

  // An individual colour paints the atom's half of the bond.
  Build(g->MolGraph(), {{6, 0, 0}, {6, 1, 0}}, {{1, 2, 1}});
  g->SetAtColor(2, clGreen);
  auto col = White(60, 40);
  g->DrawMolRaw(dmSkeleton, 30, 15, 20, true, col->Canvas());
  EXPECT_EQ(col->Canvas().Pixels(16, 20), kInk);
  EXPECT_EQ(col->Canvas().Pixels(43, 20), clGreen);
  auto mono = White(60, 40);
  g->DrawMolRaw(dmSkeleton, 30, 15, 20, false, mono->Canvas());
  EXPECT_EQ(mono->Canvas().Pixels(43, 20), kInk);
}

// ---------------------------------------------------------------- display word
TEST_F(ChemGraph, AtomColourAndVisualAttributeLiveInTheDisplayWord) {
  Build(g->MolGraph(), {{6, 0, 0}, {8, 1, 0}}, {{1, 2, 2}});
  EXPECT_EQ(g->AtColor(1), clNone);
  EXPECT_EQ(g->MolGraph().AtomEntries(1).DispAttr, 0x80000000u);
  g->SetAtColor(1, 0x123456);
  EXPECT_EQ(g->AtColor(1), 0x123456);
  EXPECT_EQ(g->MolGraph().AtomEntries(1).DispAttr, 0x00123456u);
  g->SetVisAttrib(1, 5);
  EXPECT_EQ(g->VisAttrib(1), 5);
  EXPECT_EQ(g->MolGraph().AtomEntries(1).DispAttr, 0x50123456u);
  g->SetAtColor(1, clNone);
  EXPECT_EQ(g->AtColor(1), clNone);
  EXPECT_EQ(g->VisAttrib(1), 5);
  // Atom numbers outside the table are ignored.
  g->SetAtColor(0, clRed);
  g->SetAtColor(3, clRed);
  g->SetVisAttrib(0, 3);
  EXPECT_EQ(g->AtColor(0), clNone);
  EXPECT_EQ(g->VisAttrib(3), 0);
  EXPECT_EQ(g->MolGraph().AtomEntries(2).DispAttr, 0x80000000u);
}

// ---------------------------------------------------------------- fitting
TEST_F(ChemGraph, ShowMoleculeInABoxScalesCentresAndSizesTheFont) {
  // Benzene of unit bonds: x from -1.7321 to 0, y from -0.5 to 1.5.
  Build(g->MolGraph(),
        {{6, -0.8660, -0.5}, {6, -1.7321, 0}, {6, -1.7321, 1}, {6, -0.8660, 1.5}, {6, 0, 1}, {6, 0, 0}},
        {{1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {4, 5, 2}, {5, 6, 1}, {6, 1, 2}});
  auto bmp = White(200, 100);
  g->ShowMoleculeInABox(bmp->Canvas(), dmSkeleton, 0, 0, 200, 100, 30);
  // min(200 / 1.7321, 100 / 2) = 50, limited to 30 / 1.0.
  EXPECT_NEAR(g->Scale(), 30.0, 1e-3);
  EXPECT_NEAR(g->OffsetX(), 100 + 30 * 0.86605, 2e-3);
  EXPECT_NEAR(g->OffsetY(), 50 - 30 * 0.5, 2e-3);
  // Without a bond limit the box decides.
  g->ShowMoleculeInABox(bmp->Canvas(), dmSkeleton, 0, 0, 200, 100, 0);
  EXPECT_NEAR(g->Scale(), 50.0, 1e-3);
  // The label font: round(30 · 1 / 5) + 4 = 10 points; 8 below the threshold; at most 20.
  Build(g->MolGraph(), {{8, 0, 0}, {6, 1, 0}}, {{1, 2, 1}});
  auto lab = White(200, 100);
  g->ShowMoleculeInABox(lab->Canvas(), dmHeteroOnly, 0, 0, 200, 100, 30);
  auto inkHeight = [](TBitmap& b) {
    int y0 = 1 << 30, y1 = -1;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x)
        if (b.Canvas().Pixels(x, y) != clWhite) y0 = std::min(y0, y), y1 = std::max(y1, y);
    return y1 - y0 + 1;
  };
  TBitmap ref(200, 100);
  ref.Canvas().Font().SetName("Courier New");
  ref.Canvas().Font().SetSize(10);
  int h10 = ref.Canvas().TextHeight("OH");
  ref.Canvas().Font().SetSize(20);
  int h20 = ref.Canvas().TextHeight("OH");
  int h = inkHeight(*lab);
  EXPECT_LE(h, h10);
  EXPECT_GT(h, h10 / 2);
  auto big = White(400, 300);
  g->ShowMoleculeInABox(big->Canvas(), dmHeteroOnly, 0, 0, 400, 300, 200);  // 40 + 4 -> 20
  EXPECT_GT(inkHeight(*big), h10);
  EXPECT_LE(inkHeight(*big), h20);
}

TEST_F(ChemGraph, DrawnMoleculesKeepTheFileGeometryUpToTheScale) {
  for (const char* name : {"benzene.mol", "naphthalene.mol", "caffeine.mol", "aspirin.mol", "ibuprofen.mol",
                           "cholesterol.mol", "nicotine.mol"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(ReadMol(g->MolGraph(), name));
    MolGeom geo = ParseMolfile(name);
    const TCTab& t = g->MolGraph();
    ASSERT_EQ(t.NAtoms(), static_cast<int>(geo.x.size()));
    const int L = 10, T = 10, R = 390, B = 290;
    auto bmp = White(400, 300);
    g->ShowMoleculeInABox(bmp->Canvas(), dmSkeleton, L, T, R, B, 25);
    double s = g->Scale(), ox = g->OffsetX(), oy = g->OffsetY();
    auto sx = [&](int a) { return ox + s * t.Coords(a, 1); };
    auto sy = [&](int a) { return oy + s * t.Coords(a, 2); };
    for (int a = 1; a <= t.NAtoms(); ++a) {
      EXPECT_GE(sx(a), L - 0.5);
      EXPECT_LE(sx(a), R + 0.5);
      EXPECT_GE(sy(a), T - 0.5);
      EXPECT_LE(sy(a), B + 0.5);
    }
    // One factor takes every bond of the file into the table and on to the
    // screen, directions kept; the reader keeps coordinates as whole units of
    // its own scale, so each bond may be off by a unit.
    double k = 0, sum = 0;
    for (auto [a, b, type] : geo.bonds) {
      double f = std::hypot(geo.x[b - 1] - geo.x[a - 1], geo.y[b - 1] - geo.y[a - 1]);
      k += std::hypot(t.Coords(b, 1) - t.Coords(a, 1), t.Coords(b, 2) - t.Coords(a, 2)) / f;
    }
    k /= geo.bonds.size();
    for (auto [a, b, type] : geo.bonds) {
      double fx = geo.x[b - 1] - geo.x[a - 1], fy = geo.y[b - 1] - geo.y[a - 1];
      double px = sx(b) - sx(a), py = sy(b) - sy(a);
      double f = std::hypot(fx, fy), p = std::hypot(px, py);
      sum += p;
      EXPECT_NEAR(p / s, k * f, 1.5) << "bond " << a << "-" << b;
      EXPECT_NEAR(std::acos(std::clamp((fx * px + fy * py) / (f * p), -1.0, 1.0)), 0.0, 1.5 / (k * f))
          << "bond " << a << "-" << b;
      if (type != 1) continue;
      // The pixel in the middle of each single bond is ink (labels sit at the ends).
      int mx = static_cast<int>(std::lround((sx(a) + sx(b)) / 2));
      int my = static_cast<int>(std::lround((sy(a) + sy(b)) / 2));
      bool ink = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) ink |= bmp->Canvas().Pixels(mx + dx, my + dy) == kInk;
      EXPECT_TRUE(ink) << "bond " << a << "-" << b;
    }
    EXPECT_LE(sum / geo.bonds.size(), 25.0 + 1e-3);
  }
}

// ---------------------------------------------------------------- the control
TEST_F(ChemGraph, PaintShowsFrameAndTheEmptyMessage) {
  g->SetBounds(0, 0, 200, 100);
  auto bmp = g->PaintToBitmap();
  TCanvas& c = bmp->Canvas();
  EXPECT_EQ(c.Pixels(0, 0), clWhite);         // raised frame: highlight top-left
  EXPECT_EQ(c.Pixels(199, 99), TColor(0x808080));  // shadow bottom-right
  EXPECT_EQ(c.Pixels(10, 10), ColorToRGB(clBtnFace));
  int ink = 0;
  for (int y = 40; y < 60; ++y)
    for (int x = 20; x < 180; ++x) ink += c.Pixels(x, y) == kInk;
  EXPECT_GT(ink, 50) << "\"no structure loaded\"";
  g->SetSuppressPaint(true);
  EXPECT_EQ(g->Width(), 200);
}

TEST_F(ChemGraph, DegenerateStructuresDrawInsideTheControl) {
  g->SetBounds(0, 0, 200, 120);
  TColor face = ColorToRGB(clBtnFace);
  auto inkBox = [&](TBitmap& bmp, int& x0, int& y0, int& x1, int& y1) {
    x0 = y0 = 1 << 30;
    x1 = y1 = -1;
    for (int y = 3; y < bmp.Height() - 3; ++y)
      for (int x = 3; x < bmp.Width() - 3; ++x)
        if (bmp.Canvas().Pixels(x, y) != face) {
          x0 = std::min(x0, x); x1 = std::max(x1, x);
          y0 = std::min(y0, y); y1 = std::max(y1, y);
        }
    return x1 >= 0;
  };
  int x0, y0, x1, y1;
  // A single atom: labelled in the middle.
  Build(g->MolGraph(), {{17, 5, 7, -1}}, {});
  auto one = g->PaintToBitmap();
  ASSERT_TRUE(inkBox(*one, x0, y0, x1, y1));
  EXPECT_NEAR((x0 + x1) / 2.0, 100, 6);
  EXPECT_NEAR((y0 + y1) / 2.0, 60, 6);
  EXPECT_TRUE(std::isfinite(g->Scale()));
  // No coordinates: the atoms go on a circle, bonds between them visible.
  Build(g->MolGraph(), {{6, 0, 0}, {6, 0, 0}, {8, 0, 0}, {7, 0, 0}}, {{1, 2, 1}, {2, 3, 2}, {3, 4, 1}});
  auto none = g->PaintToBitmap();
  ASSERT_TRUE(inkBox(*none, x0, y0, x1, y1));
  EXPECT_GT(x1 - x0, 15);
  EXPECT_GT(y1 - y0, 15);
  EXPECT_EQ(g->MolGraph().Coords(1, 1), 0.0) << "the table keeps its coordinates";
  // Two fragments (sodium and chloride ions) far apart: both inside.
  Build(g->MolGraph(), {{11, 0, 0, 1}, {17, 100, 0, -1}}, {});
  auto frag = g->PaintToBitmap();
  ASSERT_TRUE(inkBox(*frag, x0, y0, x1, y1));
  EXPECT_LT(x0, 60);
  EXPECT_GT(x1, 140);
  // Drawn as is: scale 1, no offset.
  g->SetDrawAsIs(true);
  Build(g->MolGraph(), {{6, 20, 30}, {6, 60, 30}}, {{1, 2, 1}});
  auto asis = g->PaintToBitmap();
  for (int x = 20; x < 60; ++x) EXPECT_EQ(asis->Canvas().Pixels(x, 30), kInk) << x;
  EXPECT_EQ(asis->Canvas().Pixels(60, 30), face);
  EXPECT_DOUBLE_EQ(g->Scale(), 1.0);
}

// ---------------------------------------------------------------- picking
namespace {
// Ethylbenzene: ring 1..6 (unit hexagon around the origin), chain 7-8 off atom 1.
void Ethylbenzene(TCTab& t) {
  std::vector<A> atoms;
  for (int i = 0; i < 6; ++i) atoms.push_back({6, std::cos(M_PI / 3 * i), std::sin(M_PI / 3 * i)});
  atoms.push_back({6, 2, 0});
  atoms.push_back({6, 2.5, 0.866});
  Build(t, atoms, {{1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {4, 5, 2}, {5, 6, 1}, {6, 1, 2}, {1, 7, 1}, {7, 8, 1}});
}
}  // namespace

TEST_F(ChemGraph, MouseMovesReportTheNearestAtom) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 320, 220);
  auto* cg = new TChemGraph(form.get());
  cg->SetParent(form.get());
  cg->SetBounds(10, 10, 300, 200);
  Ethylbenzene(cg->MolGraph());
  form->Show();
  Application()->ProcessMessages();
  ASSERT_GT(cg->Scale(), 0);
  std::vector<int> atoms;
  double lastDist = -1, rx = 0;
  cg->OnMoveOverStruct = [&](TObject* s, int atom, double dist, TShiftState, double x, double) {
    EXPECT_EQ(s, cg);
    atoms.push_back(atom);
    lastDist = dist;
    rx = x;
  };
  for (int a : {8, 4, 1}) {
    int x = static_cast<int>(std::lround(cg->OffsetX() + cg->Scale() * cg->MolGraph().Coords(a, 1)));
    int y = static_cast<int>(std::lround(cg->OffsetY() + cg->Scale() * cg->MolGraph().Coords(a, 2)));
    Application()->PostMouseMove(form.get(), 0, 10 + x, 10 + y);
    Application()->ProcessMessages();
    EXPECT_LT(lastDist, 1.0 / cg->Scale());
    EXPECT_NEAR(rx, cg->MolGraph().Coords(a, 1), 1.0 / cg->Scale());
  }
  EXPECT_EQ(atoms, (std::vector<int>{8, 4, 1}));
  form.reset();
}

TEST_F(ChemGraph, RingsAndChainsArePickedUnderTheCursor) {
  Ethylbenzene(g->MolGraph());
  auto bmp = White(300, 200);
  g->DrawMolRaw(dmSkeleton, 40, 100, 100, false, bmp->Canvas());
  RingType ring;
  ASSERT_TRUE(g->FindRingNextToCursor(100, 100, ring));  // the ring's centre
  ASSERT_EQ(ring.Length, 6);
  std::set<int> got(ring.Atoms + 1, ring.Atoms + 7);
  EXPECT_EQ(got, (std::set<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(g->FindRingNextToCursor(100 + 40 * 2.4, 100, ring));
  EXPECT_EQ(ring.Length, 0);

  AtListType chain;
  ASSERT_TRUE(g->FindChainNexttoCursor(100 + 40 * 2.5, 100 + 40 * 0.866, chain));  // on atom 8
  ASSERT_EQ(chain.Length, 2);
  EXPECT_EQ(std::set<int>({chain.Atoms[1], chain.Atoms[2]}), (std::set<int>{7, 8}));
  EXPECT_FALSE(g->FindChainNexttoCursor(100 + 40, 100, chain)) << "atom 1 is a ring atom";
  EXPECT_FALSE(g->FindChainNexttoCursor(290, 190, chain)) << "too far from any atom";

  // Naphthalene: the point inside one ring picks that ring, not the outline of both.
  ASSERT_TRUE(ReadMol(g->MolGraph(), "naphthalene.mol"));
  g->ShowMoleculeInABox(bmp->Canvas(), dmSkeleton, 0, 0, 300, 200, 40);
  RingListType rings;
  ASSERT_EQ(g->MolGraph().FindSSSR(rings), 2);
  for (int r = 1; r <= 2; ++r) {
    double cx = 0, cy = 0;
    for (int i = 1; i <= 6; ++i) {
      cx += g->MolGraph().Coords(rings.Rings[r].Atoms[i], 1) / 6;
      cy += g->MolGraph().Coords(rings.Rings[r].Atoms[i], 2) / 6;
    }
    int px = static_cast<int>(std::lround(g->OffsetX() + g->Scale() * cx));
    int py = static_cast<int>(std::lround(g->OffsetY() + g->Scale() * cy));
    ASSERT_TRUE(g->FindRingNextToCursor(px, py, ring));
    EXPECT_EQ(ring.Length, 6);
    EXPECT_TRUE(TCTab::RingInRingList(ring, rings));
    std::set<int> a(ring.Atoms + 1, ring.Atoms + 7), b(rings.Rings[r].Atoms + 1, rings.Rings[r].Atoms + 7);
    EXPECT_EQ(a, b);
  }
}

// ---------------------------------------------------------------- layout search
TEST_F(ChemGraph, LayoutSearchNeverWorsensAndIsReproducible) {
  // A crumpled cyclohexane: bonds far from 1.
  auto crumpled = [&]() {
    Build(g->MolGraph(),
          {{6, 0, 0}, {6, 0.3, 0.1}, {6, 2.2, 0.4}, {6, 1.9, 2.5}, {6, 0.2, 1.1}, {6, -0.8, 0.9}},
          {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 6, 1}, {6, 1, 1}});
  };
  auto bondError = [&]() {
    double e = 0;
    for (int a = 1; a <= 6; ++a) {
      int b = a % 6 + 1;
      e += std::fabs(std::hypot(g->MolGraph().Coords(a, 1) - g->MolGraph().Coords(b, 1),
                                g->MolGraph().Coords(a, 2) - g->MolGraph().Coords(b, 2)) - 1);
    }
    return e / 6;
  };
  crumpled();
  double before = g->LayoutScore(1.0), errBefore = bondError();
  RandSeed = 4711;
  g->OptimizeMolShape(1.0);
  double after = g->LayoutScore(1.0);
  EXPECT_GT(after, before);
  EXPECT_LT(bondError(), errBefore);
  std::vector<double> first;
  for (int a = 1; a <= 6; ++a) first.push_back(g->MolGraph().Coords(a, 1));
  // Running on from the result never loses ground either.
  g->OptimizeMolShape(1.0);
  EXPECT_GE(g->LayoutScore(1.0), after - 1e-4);
  // Same seed, same start: same layout.
  crumpled();
  RandSeed = 4711;
  g->OptimizeMolShape(1.0);
  for (int a = 1; a <= 6; ++a) EXPECT_EQ(g->MolGraph().Coords(a, 1), first[a - 1]);
  // Nothing to do for a single atom or a bad bond length.
  Build(g->MolGraph(), {{6, 1, 2}}, {});
  g->OptimizeMolShape(1.0);
  EXPECT_EQ(g->MolGraph().Coords(1, 1), 1.0);
  crumpled();
  g->OptimizeMolShape(0);
  g->OptimizeMolShape(std::nan(""));
  EXPECT_EQ(g->MolGraph().Coords(3, 1), static_cast<float>(2.2));
}

TEST_F(ChemGraph, LayoutScoreMatchesItsDefinitionOnASmallCase) {
  // Propane bent at 90 degrees: 1-2 and 2-3 of length 1, 1..3 not bonded.
  Build(g->MolGraph(), {{6, 1, 0}, {6, 0, 0}, {6, 0, 1}}, {{1, 2, 1}, {2, 3, 1}});
  const double L = 1.2, d13 = std::sqrt(2.0);
  // Bond 1-2: (1 − L)², plus neighbour 3 of atom 2: (d13 − 1.732 L)²; bond 2-3 likewise.
  double want = 2 * (-0.5 * (1 - L) * (1 - L) - 0.5 * (d13 - 1.732 * L) * (d13 - 1.732 * L)) + d13;
  EXPECT_NEAR(g->LayoutScore(L), want, 1e-12);
}
