// Scale gauge TScaleGauge: value and margin rules, index positions on linear
// and logarithmic scales (fixed and moving dial, both orientations), index
// pictures, degenerate ranges and the mouse through the headless host.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "chart/Zol_gauge.h"

using namespace zol;

namespace {

// A gauge whose index is a red thread on a plain white ground.
std::unique_ptr<TScaleGauge> ThreadGauge() {
  auto g = std::make_unique<TScaleGauge>(nullptr);
  g->SetBackground(gbPlain);
  g->SetColorBg1(clWhite);
  g->SetIndexMode(gimThread);
  g->SetColorIndex1(clRed);
  return g;
}

// Columns (horizontal) or rows (vertical) that are red along the given line across the area.
std::vector<int> RedAt(const TBitmap& b, bool horizontal, int across) {
  std::vector<int> r;
  const int n = horizontal ? b.Width() : b.Height();
  for (int i = 0; i < n; ++i) {
    const TColor c = horizontal ? b.GetPixel(i, across) : b.GetPixel(across, i);
    if (c == clRed) r.push_back(i);
  }
  return r;
}

}  // namespace

TEST(GaugeProperties, DefaultsAndClamping) {
  TScaleGauge g(nullptr);
  EXPECT_EQ(g.Width(), 300);
  EXPECT_EQ(g.Height(), 75);
  EXPECT_EQ(g.Min(), -10);
  EXPECT_EQ(g.Max(), 10);
  EXPECT_EQ(g.MarginLeft(), 20);
  EXPECT_EQ(g.MarginBottom(), 20);
  g.SetValue(20);
  EXPECT_EQ(g.Value(), 10);
  g.SetValue(-99);
  EXPECT_EQ(g.Value(), -10);
  g.SetMax(5);  // the value follows the range
  g.SetValue(7);
  EXPECT_EQ(g.Value(), 5);
  g.SetMarginLeft(290);  // 300 − MarginRight 10 − 20
  EXPECT_EQ(g.MarginLeft(), 270);
  g.SetMarginTop(-3);
  EXPECT_EQ(g.MarginTop(), 0);
  g.SetMarginBottom(500);
  EXPECT_EQ(g.MarginBottom(), 75 - 0 - 20);
  g.SetBounds(0, 0, 100, 75);  // shrinking the control shrinks the margins
  EXPECT_LE(g.MarginLeft() + g.MarginRight(), 80);
}

TEST(GaugeProperties, LogarithmicNeedsAPositiveRange) {
  TScaleGauge g(nullptr);
  g.SetLogarithmic(true);  // Min −10
  EXPECT_FALSE(g.Logarithmic());
  g.SetMin(0.1);
  g.SetMax(100);
  g.SetLogarithmic(true);
  EXPECT_TRUE(g.Logarithmic());
  g.SetMin(-1);  // no longer possible: back to linear
  EXPECT_FALSE(g.Logarithmic());
  g.SetMinTicks(7);
  EXPECT_EQ(g.MinTicks(), 7);
  g.SetShortTicks(false);
  EXPECT_FALSE(g.Scale().ShortTicks());
}

TEST(GaugeIndex, LinearFixedDial) {
  auto g = ThreadGauge();
  // Axis from x = 20 to x = 289: 269 pixels for 20 units.
  for (double v : {-10.0, -6.3, 0.4, 3.7, 9.1, 10.0}) {
    g->SetValue(v);
    const int expected = static_cast<int>(std::lround(20 + (v + 10) / 20 * 269));
    EXPECT_EQ(g->IndexPixel(), expected) << v;
    auto b = g->ExportBitmap();
    EXPECT_EQ(RedAt(*b, true, 15), std::vector<int>{expected}) << v;
    EXPECT_EQ(RedAt(*b, true, 30), std::vector<int>{expected}) << v;
  }
}

TEST(GaugeIndex, LogarithmicFixedDial) {
  auto g = ThreadGauge();
  g->SetMin(1);
  g->SetMax(1000);
  g->SetLogarithmic(true);
  for (double v : {1.0, 10.0, 42.0, 500.0, 1000.0}) {
    g->SetValue(v);
    const int expected = static_cast<int>(std::lround(20 + std::log10(v) / 3 * 269));
    EXPECT_EQ(g->IndexPixel(), expected) << v;
    EXPECT_EQ(RedAt(*g->ExportBitmap(), true, 20), std::vector<int>{expected}) << v;
  }
}

TEST(GaugeIndex, MovingDialCentresTheScale) {
  auto g = ThreadGauge();
  g->SetFixedDial(false);
  g->SetValue(3);
  EXPECT_EQ(g->IndexPixel(), (20 + 289) / 2);
  EXPECT_DOUBLE_EQ(g->Scale().RangeLow(), -7);
  EXPECT_DOUBLE_EQ(g->Scale().RangeHigh(), 13);
  EXPECT_EQ(RedAt(*g->ExportBitmap(), true, 20), std::vector<int>{154});
  g->SetMin(1);
  g->SetMax(100);
  g->SetLogarithmic(true);
  g->SetValue(20);
  EXPECT_NEAR(g->Scale().RangeLow(), 2, 1e-12);  // 20 / sqrt(100)
  EXPECT_NEAR(g->Scale().RangeHigh(), 200, 1e-9);
  // The index stands where the scale shows the value.
  EXPECT_NEAR(g->Scale().R2M(20), g->IndexPixel(), 1);
}

TEST(GaugeIndex, VerticalGauge) {
  auto g = ThreadGauge();
  g->SetBounds(0, 0, 80, 300);
  g->SetOrientation(goVertical);
  g->SetMarginLeft(10);
  g->SetMarginRight(10);
  g->SetMarginTop(10);
  g->SetMarginBottom(10);
  g->SetMin(0);
  g->SetMax(100);
  for (double v : {0.0, 25.3, 77.0, 100.0}) {
    g->SetValue(v);
    const int expected = static_cast<int>(std::lround(289 - v / 100 * 279));
    EXPECT_EQ(g->IndexPixel(), expected) << v;
    EXPECT_EQ(RedAt(*g->ExportBitmap(), false, 60), std::vector<int>{expected}) << v;
  }
}

TEST(GaugePicture, BarBandAndTriangles) {
  auto g = ThreadGauge();
  g->SetValue(0);
  const int p = g->IndexPixel();  // 20 + 134.5 rounded
  g->SetIndexMode(gimBar);
  auto b = g->ExportBitmap();
  // Bar rows: 3 .. (55 − 10)/3 = 15 below the top margin; columns 20..p.
  for (int x = 20; x <= p; ++x) EXPECT_EQ(b->GetPixel(x, 10 + 3), clRed) << x;
  EXPECT_EQ(b->GetPixel(p + 1, 13), clWhite);
  EXPECT_EQ(b->GetPixel(100, 10 + 15), clRed);
  EXPECT_EQ(b->GetPixel(100, 10 + 16), clWhite);
  EXPECT_EQ(b->GetPixel(100, 10 + 2), clWhite);
  g->SetIndexMode(gimDualColorBand);
  g->SetGaugeZero(5);
  g->SetColorIndex2(clBlue);
  b = g->ExportBitmap();
  const int z = static_cast<int>(std::lround(20 + 15.0 / 20 * 269));
  EXPECT_EQ(b->GetPixel(p, 14), clBlue);  // below zero: the second colour
  EXPECT_EQ(b->GetPixel(z, 14), clBlue);
  EXPECT_EQ(b->GetPixel(p - 1, 14), clWhite);
  EXPECT_EQ(b->GetPixel(z + 1, 14), clWhite);
  g->SetIndexMode(gimBand);
  g->SetColorIndex1(clBlack);
  g->SetColorIndex2(clBlue);
  b = g->ExportBitmap();
  EXPECT_EQ(b->GetPixel(20, 14), clBlack);  // the colour runs from ColorIndex1 at the start
  EXPECT_EQ(b->GetPixel(p, 14), clBlue);    // to ColorIndex2 at the index
  const TColor mid = b->GetPixel((20 + p) / 2, 14);
  EXPECT_NEAR(static_cast<int>((mid >> 16) & 255), 127, 2);
  EXPECT_EQ(mid & 0xFFFF, 0u);
  g->SetIndexMode(gimTriangle);
  g->SetColorIndex1(clRed);
  b = g->ExportBitmap();
  // Apex row 7 below the area's top edge; widths 15, 13, …, 1.
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(b->GetPixel(p - (7 - i), 10 + i), clRed) << i;
    EXPECT_EQ(b->GetPixel(p + (7 - i), 10 + i), clRed) << i;
    EXPECT_EQ(b->GetPixel(p + (8 - i), 10 + i), clWhite) << i;
  }
  EXPECT_EQ(b->GetPixel(p, 18), clWhite);
}

TEST(GaugePicture, CoversAndFrames) {
  TScaleGauge g(nullptr);
  g.SetColorCover(clLime);
  g.SetFrameStyleOuter(fsSimple);
  g.SetFrameStyleInner(fsNone);
  auto b = g.ExportBitmap();
  EXPECT_EQ(b->GetPixel(0, 0), clBlack);     // simple outer frame
  EXPECT_EQ(b->GetPixel(5, 5), clLime);      // margin cover
  EXPECT_EQ(b->GetPixel(295, 40), clLime);
  EXPECT_EQ(b->GetPixel(150, 70), clLime);
  // The vertical gradient runs from ColorBg1 at the left edge of the area to ColorBg2.
  EXPECT_EQ(b->GetPixel(20, 12), RGB(128, 128, 128));
  EXPECT_EQ(b->GetPixel(289, 12), clWhite);
  // Mirrored: ColorBg1 at both edges, ColorBg2 in the middle (270 columns, f = 1 − |2i/269 − 1|).
  g.SetBackground(gbVertMidBand);
  g.SetColorBg1(clBlack);
  g.SetColorBg2(RGB(0, 0, 200));
  g.SetIndexMode(gimBar);
  g.SetColorIndex1(clBlack);
  g.SetValue(-10);  // no bar beyond the first column
  b = g.ExportBitmap();
  EXPECT_EQ(b->GetPixel(21, 30), RGB(0, 0, static_cast<int>(200 * (1 - std::fabs(2.0 / 269 - 1)))));
  EXPECT_EQ(b->GetPixel(289, 30), clBlack);
  EXPECT_EQ(b->GetPixel(20 + 134, 30), RGB(0, 0, static_cast<int>(200 * (1 - std::fabs(268.0 / 269 - 1)))));
  g.SetBackground(gbHorizGrad);  // rows 10..54 from ColorBg1 to ColorBg2
  b = g.ExportBitmap();
  EXPECT_EQ(b->GetPixel(150, 10), clBlack);
  EXPECT_EQ(b->GetPixel(150, 32), RGB(0, 0, static_cast<int>(200 * (22.0 / 44))));
}

TEST(GaugeDegenerate, EqualEndsAndCollapsedAreas) {
  TScaleGauge g(nullptr);
  g.SetMin(5);
  g.SetMax(5);
  g.SetValue(9);
  EXPECT_EQ(g.Value(), 5);
  EXPECT_NE(g.Scale().RangeLow(), g.Scale().RangeHigh());
  g.ExportBitmap();
  g.SetBounds(0, 0, 15, 10);  // narrower than the margins allow
  EXPECT_GE(g.MarginLeft(), 0);
  EXPECT_GE(g.MarginRight(), 0);
  const int p = g.IndexPixel();
  EXPECT_GE(p, -1);
  EXPECT_LE(p, 15);
  EXPECT_TRUE(std::isfinite(g.PixelToValue(3, 3)));
  for (int m = 0; m <= gimBar; ++m) {
    g.SetIndexMode(static_cast<TGaugeIndexMode>(m));
    g.ExportBitmap();
  }
  g.SetBounds(0, 0, 0, 0);
  g.ExportBitmap();
}

TEST(GaugeHost, MouseReportsTheValueUnderIt) {
  Application()->ResetHeadless();
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 400, 200);
  auto* g = new TScaleGauge(form.get());
  g->SetParent(form.get());
  g->SetBounds(50, 40, 300, 75);
  form->Show();
  Application()->ProcessMessages();
  std::vector<std::pair<bool, double>> seen;
  g->OnMouseMoveInGauge = [&](TObject* s, bool in, TShiftState, double v) {
    EXPECT_EQ(s, g);
    seen.emplace_back(in, v);
  };
  Application()->PostMouseMove(form.get(), 0, 50 + 20, 40 + 30);    // start of the scale
  Application()->PostMouseMove(form.get(), 0, 50 + 289, 40 + 30);   // end of the scale
  Application()->PostMouseMove(form.get(), 0, 50 + 5, 40 + 30);     // left margin
  Application()->ProcessMessages();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[0].first);
  EXPECT_NEAR(seen[0].second, -10, 1e-9);
  EXPECT_TRUE(seen[1].first);
  EXPECT_NEAR(seen[1].second, 10, 1e-9);
  EXPECT_FALSE(seen[2].first);
  EXPECT_NEAR(seen[2].second, -10 - 15 * 20.0 / 269, 1e-9);
  // A change of value repaints the gauge at once.
  const int before = g->PaintCount();
  g->SetValue(2);
  EXPECT_EQ(g->PaintCount(), before + 1);
  g->SetValue(2);
  EXPECT_EQ(g->PaintCount(), before + 1);
  TScaleGauge copy(nullptr);
  g->SetMin(1);
  g->SetLogarithmic(true);
  g->SetCaption("rpm");
  copy.Assign(*g);
  EXPECT_TRUE(copy.Logarithmic());
  EXPECT_EQ(copy.Caption(), "rpm");
  EXPECT_EQ(copy.Value(), 2);
  EXPECT_EQ(copy.IndexPixel(), g->IndexPixel());
}
