// Progress bar: geometry at creation (margins, frames, filled length), the
// four directions, an empty range, the gradient modes, grid lines and the
// value text event.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gui/Zol_progbar.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

class ProgBar : public HostTest {
 protected:
  TProgBar* Bar(int w = 300, int h = 28) {
    auto* b = Place(new TProgBar(Form.get()), 0, 0, w, h);
    b->SetTextVisible(false);
    b->SetColorMax(clRed);
    b->SetColorBackGnd(clWhite);
    return b;
  }
};

TEST_F(ProgBar, DefaultsAtCreation) {
  TProgBar b(nullptr);
  EXPECT_EQ(b.Width(), 300);
  EXPECT_EQ(b.Height(), 28);
  EXPECT_EQ(b.Direction(), dirRightward);
  EXPECT_EQ(b.FrameStyleOuter(), fsRaised);
  EXPECT_EQ(b.FrameStyleInner(), fsLowered);
  EXPECT_EQ(b.MarginTop() + b.MarginBottom() + b.MarginLeft() + b.MarginRight(), 16);
  EXPECT_TRUE(b.TextVisible());
  EXPECT_EQ(b.TextPosX(), 14);
  EXPECT_EQ(b.TextPosY(), 14);
  // Outer frame 2 + margin 4 + inner frame 2 on every side.
  EXPECT_EQ(b.BarRect(), Rect(8, 8, 292, 20));
}

TEST_F(ProgBar, FilledLengthRoundsAndGrowsInEachDirection) {
  for (int w : {300, 111}) {
    auto* b = Bar(w, 28);
    b->SetValue(50);
    const int len = w - 16;
    const int filled = static_cast<int>(std::lround(len * 0.5));
    EXPECT_EQ(b->FilledLength(), filled);
    auto bmp = b->PaintToBitmap();
    EXPECT_EQ(bmp->GetPixel(8, 14), clRed);
    EXPECT_EQ(bmp->GetPixel(8 + filled - 1, 14), clRed);
    EXPECT_EQ(bmp->GetPixel(8 + filled, 14), clWhite);
    b->SetDirection(dirLeftward);
    bmp = b->PaintToBitmap();
    EXPECT_EQ(bmp->GetPixel(w - 9, 14), clRed);
    EXPECT_EQ(bmp->GetPixel(w - 8 - filled, 14), clRed);
    EXPECT_EQ(bmp->GetPixel(w - 9 - filled, 14), clWhite);
    // Margins in ColorMargin between the frames.
    EXPECT_EQ(bmp->GetPixel(4, 14), clSilver);
    delete b;
  }
  auto* v = Bar(28, 108);  // bar area 12 × 92
  v->SetMin(-10);
  v->SetMax(10);
  v->SetValue(-5);  // a quarter: 23 pixels
  v->SetDirection(dirUpward);
  auto bmp = v->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(14, 99), clRed);
  EXPECT_EQ(bmp->GetPixel(14, 100 - 23), clRed);
  EXPECT_EQ(bmp->GetPixel(14, 100 - 24), clWhite);
  v->SetDirection(dirDownward);
  bmp = v->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(14, 8), clRed);
  EXPECT_EQ(bmp->GetPixel(14, 8 + 22), clRed);
  EXPECT_EQ(bmp->GetPixel(14, 8 + 23), clWhite);
}

TEST_F(ProgBar, RangeClampsAndAnEmptyRangeShowsAnEmptyBar) {
  auto* b = Bar();
  b->SetValue(150);
  EXPECT_EQ(b->Value(), 100);
  b->SetValue(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(b->Value(), 100);
  b->SetMin(200);  // not above Max
  EXPECT_EQ(b->Min(), 100);
  EXPECT_EQ(b->Value(), 100);
  EXPECT_EQ(b->FilledLength(), 0);
  auto bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(8, 14), clWhite);
  EXPECT_EQ(bmp->GetPixel(291, 14), clWhite);
  b->SetShowColorGradient(true);
  for (TColorMapping m : {cgmCover, cgmStretch, cgmMove}) {
    b->SetColorMapMode(m);
    EXPECT_NO_THROW(b->PaintToBitmap());
  }
  b->SetMax(-std::numeric_limits<double>::infinity());  // below Min: taken as Min
  EXPECT_EQ(b->Max(), 100);
  b->SetMax(std::numeric_limits<double>::infinity());
  b->SetValue(1e300);
  EXPECT_EQ(b->FilledLength(), 0);  // no finite fraction of an infinite range
  // The widest finite range: the difference of the ends overflows a double.
  b->SetMin(-1.7e308);
  b->SetMax(1.7e308);
  b->SetValue(0);
  EXPECT_EQ(b->FilledLength(), 142);
  b->SetValue(1.7e308);
  EXPECT_EQ(b->FilledLength(), 284);
}

TEST_F(ProgBar, GradientModes) {
  auto* b = Bar(116, 28);  // bar 100 pixels: x 8..107
  b->SetColorMin(RGB(0, 0, 0));
  b->SetColorMax(RGB(0, 0, 198));
  b->SetShowColorGradient(true);
  b->SetValue(50);
  // cgmCover: the gradient spans the whole bar; pixel p has p / 99 of the way.
  auto bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(8, 14), RGB(0, 0, 0));
  EXPECT_EQ(bmp->GetPixel(8 + 49, 14), RGB(0, 0, 98));
  EXPECT_EQ(bmp->GetPixel(8 + 50, 14), clWhite);
  // cgmStretch: over the 50 filled pixels, the last one at the full colour.
  b->SetColorMapMode(cgmStretch);
  bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(8, 14), RGB(0, 0, 0));
  EXPECT_EQ(bmp->GetPixel(8 + 49, 14), RGB(0, 0, 198));
  // cgmMove: the bar end shows the far end of the gradient.
  b->SetColorMapMode(cgmMove);
  bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(8 + 49, 14), RGB(0, 0, 198));
  EXPECT_EQ(bmp->GetPixel(8, 14), RGB(0, 0, 100));  // 50 / 99 of the way
}

TEST_F(ProgBar, GridLinesAndValueText) {
  auto* b = Bar(116, 28);
  b->SetGridDist(10);
  b->SetColorGrid(clLime);
  b->SetValue(100);
  auto bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(8 + 10, 14), clLime);
  EXPECT_EQ(bmp->GetPixel(8 + 90, 14), clLime);
  EXPECT_EQ(bmp->GetPixel(8 + 11, 14), clRed);
  b->SetGridDist(1);  // no grid at 1
  bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(8 + 10, 14), clRed);

  b->SetTextVisible(true);
  b->SetTextDecPlaces(2);
  b->SetValue(42.126);
  EXPECT_EQ(b->ValueText(), "42.13");
  std::string seen;
  b->OnShowValue = [&](TObject*, std::string& t) {
    seen = t;
    t = "";
  };
  b->PaintToBitmap();
  EXPECT_EQ(seen, b->ValueText());
}

TEST_F(ProgBar, FramesInBothSchemes) {
  auto* b = Bar();
  auto bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 14), clWhite);   // outer raised: highlight
  EXPECT_EQ(bmp->GetPixel(299, 14), clBlack); // dark shadow
  EXPECT_EQ(bmp->GetPixel(6, 14), clGray);    // inner lowered: shadow outside
  EXPECT_EQ(bmp->GetPixel(7, 14), clBlack);   // dark shadow inside
  EXPECT_EQ(bmp->GetPixel(293, 14), clWhite);
  b->SetColorScheme(csSystem);
  bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(299, 14), RGB(105, 105, 105));
  EXPECT_EQ(bmp->GetPixel(6, 14), RGB(160, 160, 160));
  EXPECT_EQ(bmp->GetPixel(292, 14), RGB(227, 227, 227));
  b->SetFrameStyleOuter(fsNone);
  b->SetFrameStyleInner(fsSimple);
  EXPECT_EQ(b->BarRect(), Rect(5, 5, 295, 23));
}

}  // namespace
