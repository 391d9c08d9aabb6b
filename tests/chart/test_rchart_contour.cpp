// The contour plot (pivot grid, sampling, iso levels of a paraboloid, the
// colour of an empty function) and the Smith chart (conversions against the
// complex-number formulas of tests/chart/ref/rchart_smith.py, defaults).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "chart/Zol_rchart.h"

using namespace zol;

namespace {

std::unique_ptr<TContourPlot> NewPlot() {
  Application()->ResetHeadless();
  auto p = std::make_unique<TContourPlot>(nullptr);
  p->SetSuppressPaint(true);
  p->SetBounds(0, 0, 220, 220);
  p->SetMarginLeft(10);
  p->SetMarginRight(10);
  p->SetMarginTop(10);
  p->SetMarginBottom(10);
  p->Scale1X().SetVisible(false);
  p->Scale1Y().SetVisible(false);
  p->SetGridStyle(gsNone);
  p->SetSuppressPaint(false);
  return p;
}

}  // namespace

TEST(ContourPlot, DefaultsAndPivotCounts) {
  Application()->ResetHeadless();
  TContourPlot p(nullptr);
  EXPECT_EQ(-5.2, p.ScaleX().RangeLow());
  EXPECT_EQ(5.2, p.ScaleY().RangeHigh());
  EXPECT_EQ(gsPoints, p.GridStyle());
  EXPECT_EQ(cpmColorSurface, p.PlotMode());
  EXPECT_FALSE(p.Scale2X().Visible());
  EXPECT_EQ(-1, p.IsoLow());
  EXPECT_EQ(1, p.IsoHigh());
  EXPECT_EQ(0.1, p.IsoDist());
  // 300 x 200 with margins 50/10/16/32: plotting area 240 x 152.
  EXPECT_EQ(48, p.NumPivotsX());
  EXPECT_EQ(30, p.NumPivotsY());
  p.SetPivotResX(1);
  EXPECT_EQ(2, p.NumPivotsX());
  p.SetPivotResY(-7);
  EXPECT_EQ(2, p.NumPivotsY());
  p.SetPivotRes(20);  // the shorter side (152) gets 20/5 + 1, the longer round(4 * 240/152) + 1
  EXPECT_EQ(7, p.NumPivotsX());
  EXPECT_EQ(5, p.NumPivotsY());
  p.SetPivotRes(3);
  EXPECT_EQ(10, p.GetPivotRes());
  p.ResizePivotMatrix(3, 99999);
  EXPECT_EQ(2, p.NumPivotsX());
  EXPECT_EQ(1000, p.NumPivotsY());
}

TEST(ContourPlot, IsoParametersAreKeptSound) {
  Application()->ResetHeadless();
  TContourPlot p(nullptr);
  p.SetIsoLow(5);
  EXPECT_EQ(6, p.IsoHigh());
  p.SetIsoHigh(2);
  EXPECT_EQ(1, p.IsoLow());
  p.SetIsoDist(0);
  EXPECT_EQ(0.1, p.IsoDist());
  p.SetIsoDist(-1);
  EXPECT_EQ(0.1, p.IsoDist());
  p.SetIsoDist(1e-9);  // a billion levels: refused
  EXPECT_EQ(0.1, p.IsoDist());
  p.SetIsoParams(0, 1e12, 1);  // capped at MaxContourLevels levels
  EXPECT_LE((p.IsoHigh() - p.IsoLow()) / p.IsoDist(), TContourPlot::MaxContourLevels * (1 + 1e-12));
  TBitmap b;
  p.CopyToBitmap(b);  // finishes
}

TEST(ContourPlot, SamplesEveryPivotOverTheRanges) {
  auto p = NewPlot();
  p->SetPivotResX(5);
  p->SetPivotResY(3);
  p->SetRange(1, 0, 10, 4, 20);
  std::vector<std::pair<double, double>> calls;
  p->OnEstimateZVal = [&](TObject*, double x, double y, double& z) {
    calls.push_back({x, y});
    z = x * 100 + y;
  };
  std::vector<int> progress;
  p->OnProgress = [&](TObject*, int v) { progress.push_back(v); };
  TBitmap b;
  p->CopyToBitmap(b);
  ASSERT_EQ(15u, calls.size());
  EXPECT_EQ(std::make_pair(0.0, 10.0), calls.front());
  EXPECT_EQ(std::make_pair(4.0, 20.0), calls.back());
  EXPECT_EQ(std::make_pair(1.0, 15.0), calls[4]);  // pivot (2, 2)
  EXPECT_EQ(10, p->MinZ());
  EXPECT_EQ(420, p->MaxZ());
  EXPECT_EQ(215, p->PivotMatrix().GetVal(3, 2));  // x = 2, y = 15
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(100, progress.back());
  for (size_t i = 1; i < progress.size(); ++i) EXPECT_LE(progress[i - 1], progress[i]);
  // Drawing again without a change does not sample again; zooming does.
  p->CopyToBitmap(b);
  EXPECT_EQ(15u, calls.size());
  p->SetRange(1, 0, 10, 2, 20);
  p->CopyToBitmap(b);
  EXPECT_EQ(30u, calls.size());
}

TEST(ContourPlot, WithoutAFunctionTheSurfaceHasTheColourOfZero) {
  auto p = NewPlot();
  p->SetIsoParams(-10, 10, 1);
  TBitmap b;
  p->CopyToBitmap(b);
  const TColor zero = p->IsoColor(0);
  EXPECT_NE(p->IsoColor(-10), zero);
  for (int y = 11; y < 210; ++y)
    for (int x = 11; x < 210; ++x) ASSERT_EQ(zero, b.GetPixel(x, y)) << x << "," << y;
  EXPECT_EQ(clBlack, b.GetPixel(10, 10));  // the outline stays
}

TEST(ContourPlot, IsoDotsOfAParaboloidLieOnCircles) {
  auto p = NewPlot();  // 200 x 200 pixels for -5.2..5.2
  p->SetPlotMode(cpmMonoDots);
  p->IsoColors().SetColorElem(1, clFuchsia);
  p->SetIsoParams(1, 25, 4);  // levels 1, 5, 9, 13, 17, 21
  p->OnEstimateZVal = [](TObject*, double x, double y, double& z) { z = x * x + y * y; };
  TBitmap b;
  p->CopyToBitmap(b);
  const double levels[] = {1, 5, 9, 13, 17, 21};
  int count[6] = {};
  const double pix = 10.4 / 200;  // world units per pixel
  int far = 0;
  for (int y = 11; y < 210; ++y)
    for (int x = 11; x < 210; ++x) {
      if (b.GetPixel(x, y) != clFuchsia) continue;
      double wx, wy;
      p->M2R(1, x, y, wx, wy);
      const double r = std::hypot(wx, wy);
      int best = 0;
      for (int k = 1; k < 6; ++k)
        if (std::fabs(r - std::sqrt(levels[k])) < std::fabs(r - std::sqrt(levels[best]))) best = k;
      // Pivots every 5 pixels: the linear interpolation of r^2 misses the circle by well under two pixels.
      if (std::fabs(r - std::sqrt(levels[best])) > 2 * pix) ++far;
      ++count[best];
    }
  EXPECT_EQ(0, far);
  for (int k = 0; k < 6; ++k) EXPECT_GT(count[k], 20 * std::sqrt(levels[k])) << levels[k];
  // The colour-coded surface shows the value's colour at the pivots.
  p->SetPlotMode(cpmColorSurfNoIp);
  p->SetIsoParams(0, 50, 1);
  p->CopyToBitmap(b);
  EXPECT_EQ(p->IsoColor(0), b.GetPixel(110, 110));
  EXPECT_EQ(p->IsoColor(2 * 5.2 * 5.2), b.GetPixel(12, 12));
}

// ---------------------------------------------------------------- Smith chart

TEST(SmithChart, ConversionsMatchTheComplexFormulas) {
  std::ifstream f(std::string(ZOL_TEST_SRC_DIR) + "/data/rchart_smith.txt");
  ASSERT_TRUE(f.good());
  std::string line;
  int n = 0;
  while (std::getline(f, line)) {
    std::istringstream in(line);
    std::string kind;
    double a, b, c, d;
    in >> kind >> a >> b >> c >> d;
    if (kind == "G") {
      EXPECT_NEAR(c, TSmithChart::CalcReflectionReal(a, b), 1e-14) << line;
      EXPECT_NEAR(d, TSmithChart::CalcReflectionImag(a, b), 1e-14) << line;
    } else {
      EXPECT_NEAR(c, TSmithChart::CalcResistance(a, b), 1e-12 * std::max(1.0, std::fabs(c))) << line;
      EXPECT_NEAR(d, TSmithChart::CalcReactance(a, b), 1e-12 * std::max(1.0, std::fabs(d))) << line;
    }
    ++n;
  }
  EXPECT_EQ(20, n);
  EXPECT_EQ(0, TSmithChart::CalcReflectionReal(1, 0));
  EXPECT_EQ(-1, TSmithChart::CalcReflectionReal(0, 0));
  EXPECT_EQ(std::numeric_limits<double>::max(), TSmithChart::CalcResistance(1, 0));
  EXPECT_EQ(std::numeric_limits<double>::max(), TSmithChart::CalcReactance(1, 0));
  // z = -1 has no finite coefficient: a defined value instead of 0/0.
  EXPECT_EQ(std::numeric_limits<double>::max(), TSmithChart::CalcReflectionReal(-1, 0));
  EXPECT_EQ(0, TSmithChart::CalcReflectionImag(-1, 0));
}

TEST(SmithChart, DefaultsDiagramAndLayerOne) {
  Application()->ResetHeadless();
  TSmithChart s(nullptr);
  s.SetBounds(0, 0, 300, 300);
  EXPECT_TRUE(s.Isometric());
  EXPECT_FALSE(s.Scale1X().Visible());
  EXPECT_FALSE(s.Scale1Y().Visible());
  EXPECT_TRUE(s.TransparentItems());
  EXPECT_EQ(gsPoints, s.GridStyle());
  EXPECT_EQ(RGB(232, 232, 248), s.DiagramColor());
  s.SetRange(-1.2, -1.2, 1.2, 1.2);
  s.SetActiveLayer(2);
  s.MarkAt(0.5, 0.5, 1);
  EXPECT_EQ(1, s.GetChartItem(0).Layer);
  s.SetGridStyle(gsNone);
  TBitmap b;
  s.CopyToBitmap(b);
  int px, py;
  s.R2M(0.3, 0.3, px, py);
  EXPECT_EQ(s.DiagramColor(), b.GetPixel(px, py));  // inside the unit circle
  s.R2M(1.1, 1.1, px, py);
  EXPECT_EQ(s.ChartColor(), b.GetPixel(px, py));  // outside it
  s.R2M(-0.5, 0, px, py);
  EXPECT_EQ(s.GridColorDark(), b.GetPixel(px, py));  // the real axis
  s.SetRange(0, 0, 1, 2);
  s.CenterChart();
  EXPECT_DOUBLE_EQ(-0.5, s.GetRangeLowX());
  EXPECT_DOUBLE_EQ(0.5, s.GetRangeHighX());
  EXPECT_NEAR(0, s.GetRangeLowY() + s.GetRangeHighY(), 1e-12);
}

TEST(ContourPlot, AttachedColorScaleFollowsTheIsoRange) {
  Application()->ResetHeadless();
  auto p = std::make_unique<TContourPlot>(nullptr);
  auto cs = std::make_unique<TColorScale>(nullptr);
  p->SetAttachedColorScale(cs.get());
  p->SetIsoParams(-3, 7, 0.5);
  EXPECT_EQ(-3, cs->ScaleRangeLow());
  EXPECT_EQ(7, cs->ScaleRangeHigh());
  EXPECT_TRUE(cs->ColorArray().IsEqual(p->IsoColors()));
  cs.reset();  // the plot forgets it
  EXPECT_EQ(nullptr, p->AttachedColorScale());
  p->SetIsoLow(0);
  auto cs2 = std::make_unique<TColorScale>(nullptr);
  p->SetAttachedColorScale(cs2.get());
  p.reset();  // and a destroyed plot leaves the colour scale alone
  cs2->SetScaleRangeLow(1);
}
