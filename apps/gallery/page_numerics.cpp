// Gallery page: principal components of a small data set, a fitted polynomial
// with its residuals, and the spectrum of a signal under every window.
#include <cmath>
#include <numbers>
#include <string>

#include "apps/gallery/Gallery.h"
#include "math/Zol_fourier.h"
#include "math/Zol_math1.h"
#include "math/Zol_math2.h"
#include "math/Zol_matrix.h"

using namespace zol;

namespace {
std::string Num(double v, int dec = 4) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", dec, v);
  return buf;
}
}  // namespace

ZOL_GALLERY_PAGE("numerics", "Principal components, polynomial fit, spectra", 45) {
  // Eight objects, three variables (length, width, weight of a made-up part).
  const double data[8][3] = {{10.1, 4.2, 31.0}, {11.3, 4.6, 35.2}, {9.7, 4.0, 29.1}, {12.4, 5.1, 40.3},
                             {10.9, 4.4, 33.8}, {13.0, 5.3, 42.9}, {9.2, 3.9, 27.5}, {11.8, 4.9, 37.6}};
  TMatrix m(nullptr);
  m.Resize(3, 8);
  for (int r = 1; r <= 8; ++r)
    for (int c = 1; c <= 3; ++c) m.SetVal(c, r, data[r - 1][c - 1]);
  std::vector<std::vector<std::string>> rows{{"component", "eigenvalue", "v1", "v2", "v3"}};
  if (CalcPrincComp(&m, 1, 3, 1, 8, 2)) {
    for (int k = 1; k <= GetEigenSize(); ++k)
      rows.push_back({std::to_string(k), Num(GetEigenResult(k, 0)), Num(GetEigenResult(k, 1)),
                      Num(GetEigenResult(k, 2)), Num(GetEigenResult(k, 3))});
  }
  page.AddHeading("Principal components (correlation matrix) of 8 objects × 3 variables");
  page.AddTable(rows);

  // A cubic fit through noisy points and the residuals.
  TCurveFit fit(nullptr);
  std::vector<std::pair<double, double>> pts;
  for (int i = 0; i <= 12; ++i) {
    double x = i * 0.5, y = 0.3 * x * x * x - 2 * x * x + x + 4 + 0.2 * std::sin(7.0 * i);
    pts.emplace_back(x, y);
    fit.EnterStatValue(x, y);
  }
  std::vector<double> coef;
  double qual = 0;
  bool truncated = false;
  std::vector<std::vector<std::string>> fr{{"x", "y", "fitted", "residual"}};
  if (fit.CalcPolyFit(3, coef, qual, truncated)) {
    for (auto [x, y] : pts) {
      double f = 0;
      for (size_t k = coef.size(); k-- > 0;) f = f * x + coef[k];
      fr.push_back({Num(x, 2), Num(y), Num(f), Num(y - f)});
    }
    std::string eq = "y = ";
    for (size_t k = 0; k < coef.size(); ++k) eq += (k ? " + " : "") + Num(coef[k]) + (k ? "·x^" + std::to_string(k) : "");
    page.AddHeading("Cubic least-squares fit: " + eq + " (fit quality " + Num(qual) + ")");
  }
  page.AddTable(fr);

  // Two sines (lines 8 and 21 of 128) under every window: power of the lines around them.
  const char* names[] = {"rectangle", "triangle", "cos²", "Gauss", "Hamming", "Blackman", "Blackman-Harris", "Blackman-Nuttall"};
  std::vector<std::vector<std::string>> sp{{"window", "P[6]", "P[7]", "P[8]", "P[9]", "P[10]", "P[20]", "P[21]", "P[22]"}};
  TFastFourier f(nullptr);
  f.SetNumData(128);
  for (int w = 0; w < 8; ++w) {
    f.Clear();
    for (int i = 1; i <= 128; ++i)
      f.SetRealVal(i, std::sin(2 * std::numbers::pi * 8.3 * (i - 1) / 128) +
                          0.3 * std::sin(2 * std::numbers::pi * 21 * (i - 1) / 128));
    f.SetWeightingWindow(static_cast<TFastFourierWgtWin>(w));
    f.Transform();
    std::vector<std::string> row{names[w]};
    for (int k : {6, 7, 8, 9, 10, 20, 21, 22}) row.push_back(Num(f.PowerSpec(k), 3));
    sp.push_back(row);
  }
  page.AddHeading("Power spectrum of sin(8.3 cycles) + 0.3·sin(21 cycles), N = 128, per window");
  page.AddTable(sp);
}
