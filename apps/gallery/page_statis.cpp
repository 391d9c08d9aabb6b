// Gallery page: a Kohonen map trained on colours (each neuron drawn in the
// colour of its weights), a corner of its weights as numbers, and values of
// the distribution functions and tests.
#include <algorithm>
#include <cstdio>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "apps/gallery/Gallery.h"
#include "base/Zol_stringl.h"
#include "base/platform/Zol_sysutils.h"
#include "math/Zol_kohonen.h"
#include "math/Zol_math1.h"
#include "math/Zol_matrix.h"
#include "math/Zol_statis.h"

using namespace zol;

namespace {

std::string Num(double v, int dec) { return strff(static_cast<long double>(v), 1, dec); }

// Seven significant digits (scientific far from 1).
std::string Sig(double v) {
  char b[40];
  std::snprintf(b, sizeof b, "%.7g", v);
  return b;
}

int Clamp255(double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }

}  // namespace

ZOL_GALLERY_PAGE("statis", "Statistics and Kohonen maps", 50) {
  // ---- Kohonen map of colours
  const int S = 14, cell = 30;
  const double centres[6][3] = {{230, 30, 30}, {30, 200, 40}, {40, 60, 230}, {240, 220, 40}, {250, 250, 250}, {20, 20, 20}};
  const char* names[6] = {"red", "green", "blue", "yellow", "white", "black"};
  RandSeed = 20261207;
  auto data = std::make_unique<TMatrix>(nullptr);
  data->Resize(3, 600);
  for (int r = 1; r <= 600; ++r) {
    const double* c = centres[(r - 1) % 6];
    for (int k = 0; k < 3; ++k) data->SetVal(k + 1, r, std::clamp(c[k] + GRandom() * 18.0, 0.0, 255.0));
  }
  TKohonen k(nullptr);
  k.SetDataMat(data.get());
  k.StandardizeData();
  k.SetSizeX(S);
  k.SetSizeY(S);
  k.SetNrOfTrnSteps(60);
  k.SetInitialNeighbors(6);
  k.SetInitialAlpha(0.6);
  k.SetComment("600 noisy colours around six centres");
  k.Trainit();

  TBitmap bmp(S * cell + 200, S * cell + 20);
  TCanvas& cv = bmp.Canvas();
  cv.Brush().SetColor(clWhite);
  cv.FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
  cv.Font().SetName("Arial");
  cv.Font().SetSize(9);
  for (int x = 1; x <= S; ++x)
    for (int y = 1; y <= S; ++y) {
      const TColor col = RGB(Clamp255(k.GetWeight(x, y, 1)), Clamp255(k.GetWeight(x, y, 2)), Clamp255(k.GetWeight(x, y, 3)));
      cv.Brush().SetColor(col);
      cv.Brush().SetStyle(bsSolid);
      cv.Pen().SetColor(clGray);
      cv.Rectangle(10 + (x - 1) * cell, 10 + (y - 1) * cell, 10 + x * cell + 1, 10 + y * cell + 1);
    }
  // the winners of the six centres
  std::vector<std::vector<std::string>> win = {{"colour", "winner x", "winner y", "squared distance"}};
  for (int i = 0; i < 6; ++i) {
    int wx, wy;
    double d;
    k.ApplyIt(std::span<const double>(centres[i], 3), wx, wy, d);
    const int cx = 10 + (wx - 1) * cell + cell / 2, cy = 10 + (wy - 1) * cell + cell / 2;
    cv.Pen().SetColor(i == 5 ? clWhite : clBlack);
    cv.Brush().SetStyle(bsClear);
    cv.Ellipse(cx - 6, cy - 6, cx + 7, cy + 7);
    cv.Font().SetColor(clBlack);
    cv.TextOut(S * cell + 24, 14 + i * 22, std::string(names[i]) + ": (" + std::to_string(wx) + ", " +
                                               std::to_string(wy) + ")");
    win.push_back({names[i], std::to_string(wx), std::to_string(wy), Num(d, 4)});
  }
  page.AddHeading("Kohonen map");
  page.AddText("A " + std::to_string(S) + " x " + std::to_string(S) +
               " map trained for 60 steps on 600 colours (red, green, blue as inputs, standardised); every "
               "neuron is painted in the colour of its weights, the circles mark the winners of the six "
               "centre colours.");
  page.AddImage("kohonen", bmp, "TKohonen, 14 x 14 neurons, 3 inputs");
  page.AddTable(win);
  std::vector<std::vector<std::string>> wt = {{"neuron", "red", "green", "blue"}};
  for (int x = 1; x <= 3; ++x)
    for (int y = 1; y <= 2; ++y)
    {
      std::string name = "(";
      name += std::to_string(x);
      name += ", ";
      name += std::to_string(y);
      name += ")";
      wt.push_back({name, Num(k.GetWeight(x, y, 1), 1), Num(k.GetWeight(x, y, 2), 1), Num(k.GetWeight(x, y, 3), 1)});
    }
  page.AddText("Weights of the top-left neurons in data units:");
  page.AddTable(wt);

  // ---- distributions
  page.AddHeading("Distribution functions");
  std::vector<std::vector<std::string>> q = {{"p", "normal", "t (5 df)", "chi-square (3 df)", "F (4, 12 df)"}};
  for (double p : {1e-10, 0.001, 0.025, 0.5, 0.95, 0.999}) {
    q.push_back({Sig(p), Sig(nDistriQuantile(p)), Sig(tDistriQuantile(p, 5)), Sig(chi2DistriQuantile(p, 3)),
                 Sig(FDistriQuantile(p, 4, 12))});
  }
  page.AddText("Quantiles (inverse distribution functions):");
  page.AddTable(q);
  std::vector<std::vector<std::string>> f = {{"function", "value"}};
  f.push_back({"nDistriIntegral(1.96)", Num(nDistriIntegral(1.96), 8)});
  f.push_back({"Erf(0.5)", Num(Erf(0.5), 10)});
  f.push_back({"IncompleteGamma(2, 3)", Num(IncompleteGamma(2, 3), 10)});
  f.push_back({"IncompleteBeta(0.3, 2, 5)", Num(IncompleteBeta(0.3, 2, 5), 10)});
  f.push_back({"BinomCoeff(20, 10)", std::to_string(BinomCoeff(20, 10))});
  f.push_back({"HyperGeoDistriDensity(0.3, 50, 10, 3)", Num(HyperGeoDistriDensity(0.3, 50, 10, 3), 8)});
  f.push_back({"GrubbsCriticalValues(20, two-sided, 0.05)", Num(GrubbsCriticalValues(20, true, 0.05), 6)});
  f.push_back({"DeanDixonCriticalValues(10, 0.05)", Num(DeanDixonCriticalValues(10, Dot050), 3)});
  f.push_back({"KSPValue(20, 0.25)", Num(KSPValue(20, 0.25), 8)});
  f.push_back({"WilcoxonSRQuantile(20, 0.05, two-sided)", std::to_string(WilcoxonSRQuantile(20, 0.05, true))});
  page.AddTable(f);

  // ---- tests on one sample
  std::vector<double> x;
  for (int i = 0; i < 40; ++i) x.push_back(10.0 + GRandom());
  x.push_back(15.5);
  double md, W, pw;
  const int out = GrubbsTest(x, 0.05, md);
  W = ShapiroWilkTest(x, pw);
  std::vector<double> sorted = x;
  const double D = PerformLillieforsTest(sorted, false);
  page.AddHeading("Tests");
  page.AddText("40 normal values (mean 10, standard deviation 1) and one value 15.5:");
  page.AddTable({{"test", "statistic", "result"},
                 {"Grubbs (alpha 0.05)", Num(md, 4), out ? "outlier at position " + std::to_string(out) : "none"},
                 {"Shapiro-Wilk", Num(W, 5), "p = " + Num(pw, 5)},
                 {"Lilliefors", Num(D, 5), "p = " + Num(LillieforsPValue(static_cast<int>(x.size()), D), 4)}});
}
