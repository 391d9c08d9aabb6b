// Colour scale TColorScale: value ↔ colour conversion and its round trips,
// equal colour ends, the ordering rules of ColorLow/ColorHigh, the colour bar
// pixel by pixel in both orientations, repainting and the mouse.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "chart/Zol_colorscale.h"

using namespace zol;

TEST(ColorScaleConversion, EndsAndOutside) {
  TColorScale c(nullptr);
  const TColorArray& a = c.ColorArray();
  ASSERT_EQ(a.Size(), 1000);
  EXPECT_EQ(c.ValueToColor(-10), a.GetColorElem(1));
  EXPECT_EQ(c.ValueToColor(-50), a.GetColorElem(1));
  EXPECT_EQ(c.ValueToColor(10), a.GetColorElem(1000));
  EXPECT_EQ(c.ValueToColor(1e300), a.GetColorElem(1000));
  EXPECT_EQ(c.ValueToColor(-1e300), a.GetColorElem(1));
  // round((v + 10) · 1000 / 20)
  EXPECT_EQ(c.ValueToColor(0), a.GetColorElem(500));
  EXPECT_EQ(c.ValueToColor(3.33), a.GetColorElem(667));
  EXPECT_EQ(c.ValueToColor(-9.96), a.GetColorElem(2));
  EXPECT_EQ(c.ValueToColor(-9.99), a.GetColorElem(1));  // rounds to index 0, which is entry 1
}

TEST(ColorScaleConversion, EqualEndsGiveTheMiddleColour) {
  TColorScale c(nullptr);
  c.SetColorLow(2);
  c.SetColorHigh(2);
  EXPECT_EQ(c.ColorLow(), 2);
  EXPECT_EQ(c.ColorHigh(), 2);
  for (double v : {-1e9, 0.0, 2.0, 7.5, std::nan("")}) EXPECT_EQ(c.ValueToColor(v), c.ColorArray().GetColorElem(500));
  EXPECT_EQ(c.ColorToValue(c.ColorArray().GetColorElem(900)), 2);
  c.ColorArray().SetSize(1);  // a single colour: its index 1, never 0
  EXPECT_EQ(c.ValueToColor(2), c.ColorArray().GetColorElem(1));
  c.ExportBitmap();
}

TEST(ColorScaleConversion, LowAndHighKeepTheirOrder) {
  TColorScale c(nullptr);
  c.SetColorLow(15);  // above ColorHigh 10: ColorHigh moves up
  EXPECT_EQ(c.ColorLow(), 15);
  EXPECT_EQ(c.ColorHigh(), 15);
  c.SetColorHigh(-4);  // below ColorLow: ColorLow moves down
  EXPECT_EQ(c.ColorLow(), -4);
  EXPECT_EQ(c.ColorHigh(), -4);
  c.SetColorHigh(6);
  c.SetScaleRangeLow(-1);
  c.SetScaleRangeHigh(-1);  // equal ends on the scale: its low end moves to 0
  EXPECT_EQ(c.ScaleRangeLow(), 0);
  EXPECT_EQ(c.ScaleRangeHigh(), -1);
}

TEST(ColorScaleConversion, ValueColourValueRoundTrip) {
  TColorScale c(nullptr);
  c.SetColorLow(-3);
  c.SetColorHigh(47);
  const TColorArray& a = c.ColorArray();
  const int n = a.Size();
  const double step = 50.0 / n;
  for (double v = -3; v <= 47; v += 0.0371) {
    const TColor col = c.ValueToColor(v);
    const double back = c.ColorToValue(col);
    // The value of the first entry holding that colour, within half an entry
    // of v when the entries around v differ.
    const int raw = static_cast<int>(std::lround((v + 3) / step));
    const int idx = std::max(1, raw);
    int first = idx;
    while (first > 1 && a.GetColorElem(first - 1) == col) --first;
    EXPECT_NEAR(back, -3 + first * step, 1e-9) << v;
    if (first == idx) {  // half an entry; a whole one below the first entry (index 0 is 1)
      EXPECT_LE(std::fabs(back - v), (raw < 1 ? step : step / 2) + 1e-9) << v;
    }
    EXPECT_EQ(c.ValueToColor(back), col) << v;  // the colour is stable
  }
}

TEST(ColorScaleConversion, GreyRampRoundTripIsExact) {
  TColorScale c(nullptr);
  c.ColorArray().SetSize(256);
  for (int i = 1; i <= 256; ++i) c.ColorArray().SetColorElem(i, RGB(i - 1, i - 1, i - 1));
  c.SetColorLow(0);
  c.SetColorHigh(256);
  for (int k = 1; k <= 256; ++k) {
    EXPECT_EQ(c.ValueToColor(k), RGB(k - 1, k - 1, k - 1));
    EXPECT_DOUBLE_EQ(c.ColorToValue(RGB(k - 1, k - 1, k - 1)), k);
  }
  // A colour between entries converts to the nearest entry.
  EXPECT_DOUBLE_EQ(c.ColorToValue(RGB(100, 101, 100)), 101);
}

TEST(ColorScalePicture, HorizontalBar) {
  TColorScale c(nullptr);
  c.SetFramedColorScale(false);
  c.SetFrameStyle(fsNone);
  c.ColorArray().SetSize(100);
  for (int i = 1; i <= 100; ++i) c.ColorArray().SetColorElem(i, RGB(i, 0, 255 - i));
  c.SetScaleRangeLow(0);
  c.SetScaleRangeHigh(100);
  c.SetColorLow(20);
  c.SetColorHigh(70);
  // Bar columns 16..283 (267 pixels for 0..100); pLow = round(16 + 53.4) = 69,
  // pHigh = round(16 + 186.9) = 203; column x takes index round((x − 69)/134·100).
  auto b = c.ExportBitmap();
  for (int x = 69; x <= 203; ++x) {
    const int idx = std::max(1, static_cast<int>(std::lround((x - 69) / 134.0 * 100)));
    EXPECT_EQ(b->GetPixel(x, 8), RGB(idx, 0, 255 - idx)) << x;
    EXPECT_EQ(b->GetPixel(x, 52), RGB(idx, 0, 255 - idx)) << x;  // last bar row: 75 − 22 − 1
  }
  EXPECT_EQ(b->GetPixel(68, 30), clSilver);
  EXPECT_EQ(b->GetPixel(204, 30), clSilver);
  EXPECT_EQ(b->GetPixel(100, 7), clSilver);
  c.SetExtendColors(true);
  b = c.ExportBitmap();
  EXPECT_EQ(b->GetPixel(16, 30), RGB(1, 0, 254));
  EXPECT_EQ(b->GetPixel(68, 30), RGB(1, 0, 254));
  EXPECT_EQ(b->GetPixel(204, 30), RGB(100, 0, 155));
  EXPECT_EQ(b->GetPixel(283, 30), RGB(100, 0, 155));
  EXPECT_EQ(b->GetPixel(284, 30), clSilver);
  c.SetFramedColorScale(true);
  c.SetColorOfScale(clLime);
  b = c.ExportBitmap();
  EXPECT_EQ(b->GetPixel(15, 30), clLime);
  EXPECT_EQ(b->GetPixel(284, 30), clLime);
  EXPECT_EQ(b->GetPixel(100, 7), clLime);
  // The scale's base line runs under the bar, its ticks below it.
  EXPECT_EQ(b->GetPixel(100, 53), clLime);
  EXPECT_EQ(b->GetPixel(16, 59), clLime);  // tick at 0, 7 pixels from the base line
}

TEST(ColorScalePicture, VerticalBarRunsUpwards) {
  TColorScale c(nullptr);
  c.SetBounds(0, 0, 90, 220);
  c.SetOrientation(csoVertical);
  c.SetFramedColorScale(false);
  c.SetFrameStyle(fsNone);
  c.SetMarginTop(10);
  c.SetMarginBottom(10);
  c.SetMarginLeft(10);
  c.SetMarginRight(50);
  c.ColorArray().SetSize(2);
  c.ColorArray().SetColorElem(1, clRed);
  c.ColorArray().SetColorElem(2, clBlue);
  // Rows 10..209, −10 at the bottom (209), 10 at the top (10); row y takes
  // index round((y − 209)/(10 − 209)·2) clamped to 1..2.
  auto b = c.ExportBitmap();
  for (int y = 10; y <= 209; ++y) {
    const int idx = std::clamp(static_cast<int>(std::lround((y - 209) / -199.0 * 2)), 1, 2);
    EXPECT_EQ(b->GetPixel(20, y), idx == 1 ? clRed : clBlue) << y;
  }
  EXPECT_EQ(b->GetPixel(20, 9), clSilver);
  EXPECT_EQ(b->GetPixel(39, 100), clRed);   // last bar column: 90 − 50 − 1
  EXPECT_EQ(b->GetPixel(39, 40), clBlue);
  EXPECT_EQ(b->GetPixel(40, 100), clBlack);  // base line of the scale at x = 90 − 50
}

TEST(ColorScaleHost, ArrayChangesRepaintAndTheMouseReportsValues) {
  Application()->ResetHeadless();
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 400, 200);
  auto* c = new TColorScale(form.get());
  c->SetParent(form.get());
  c->SetBounds(20, 20, 300, 75);
  form->Show();
  Application()->ProcessMessages();
  const int before = c->PaintCount();
  c->ColorArray().SetColorElem(5, clWhite);
  EXPECT_GT(c->PaintCount(), before);
  std::vector<std::pair<bool, double>> seen;
  c->OnMouseMoveInScale = [&](TObject*, bool in, TShiftState, double v) { seen.emplace_back(in, v); };
  Application()->PostMouseMove(form.get(), 0, 20 + 16, 20 + 30);
  Application()->PostMouseMove(form.get(), 0, 20 + 283, 20 + 60);
  Application()->ProcessMessages();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].first);
  EXPECT_NEAR(seen[0].second, -10, 1e-9);
  EXPECT_FALSE(seen[1].first);  // below the bar
  EXPECT_NEAR(seen[1].second, 10, 1e-9);
  TColorScale copy(nullptr);
  c->SetColorLow(-2);
  c->SetCaption("K");
  copy.Assign(*c);
  EXPECT_EQ(copy.ColorLow(), -2);
  EXPECT_EQ(copy.Caption(), "K");
  EXPECT_TRUE(copy.ColorArray().IsEqual(c->ColorArray()));
}
