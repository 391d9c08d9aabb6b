// Raster label: the built-in dot font, dot geometry and block modes,
// proportional spacing, rasterised fonts and timer-driven scrolling on the
// headless host's clock.
#include <gtest/gtest.h>

#include <string>

#include "gui/Zol_rasterlab.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

class RasterLab : public HostTest {};

// The letter A of a 5 × 7 dot font, drawn out by hand.
const char* const kLetterA[7] = {".###.", "#...#", "#...#", "#...#", "#####", "#...#", "#...#"};

TEST_F(RasterLab, DefaultsAndTheBuiltInLetter) {
  auto* r = Place(new TRasterLab(Form.get()), 0, 0, 400, 68);
  EXPECT_EQ(r->Font().Name(), "default");
  EXPECT_EQ(r->Font().Size(), 8);
  EXPECT_EQ(r->GridColumns(), 100);
  EXPECT_EQ(r->GridRows(), 17);
  r->SetText("A");
  for (int row = 0; row < 7; ++row)
    for (int col = 0; col < 5; ++col)
      EXPECT_EQ(r->DotLit(1 + col, 1 + row), kLetterA[row][col] == '#') << row << "," << col;
  EXPECT_FALSE(r->DotLit(0, 0));
  // Dots of 3 pixels at a pitch of 4: lit dot (1 + 1, 1 + 0) covers x 8..10, y 4..6.
  auto bmp = r->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(8, 4), clLime);
  EXPECT_EQ(bmp->GetPixel(10, 6), clLime);
  EXPECT_EQ(bmp->GetPixel(11, 6), clBlack);     // gap between dots
  EXPECT_EQ(bmp->GetPixel(4, 4), RGB(0, 64, 0));  // dark dot (1, 1)
  EXPECT_EQ(bmp->GetPixel(200, 40), RGB(0, 64, 0));
}

TEST_F(RasterLab, BlockModesAndDotSizes) {
  auto* r = Place(new TRasterLab(Form.get()), 0, 0, 120, 40);
  r->SetText("A");
  r->SetDotSpacing(5);
  r->SetDotSize(5);
  r->SetCharBlockMode(rdbmOn);
  auto bmp = r->PaintToBitmap();
  // Cell of "A": columns 1..6, rows 1..7; outside it no dots.
  EXPECT_EQ(bmp->GetPixel(5 + 2, 5 + 2), RGB(0, 64, 0));  // dark dot (1, 1) inside the cell
  EXPECT_EQ(bmp->GetPixel(10 * 5 + 2, 5 + 2), clBlack);   // (10, 1) outside
  EXPECT_EQ(bmp->GetPixel(2 * 5, 5), clLime);             // lit (2, 1), dots touch at size 5
  r->SetCharBlockMode(rdbmRaster);
  bmp = r->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(5 + 2, 5 + 2), RGB(0, 64, 0));  // single pixel in the dot's middle
  EXPECT_EQ(bmp->GetPixel(5 + 1, 5 + 2), clBlack);
  // Dots smaller than the pitch sit in its middle.
  r->SetDotSize(1);
  r->SetCharBlockMode(rdbmOff);
  bmp = r->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(2 * 5 + 2, 5 + 2), clLime);
  EXPECT_EQ(bmp->GetPixel(2 * 5 + 1, 5 + 2), clBlack);
}

TEST_F(RasterLab, ProportionalSpacingAndAutoCenter) {
  auto* r = Place(new TRasterLab(Form.get()), 0, 0, 400, 68);
  r->SetText("il");
  EXPECT_EQ(r->TextDotWidth(), 12);  // fixed cells of 5 + 1
  r->SetProportional(true);
  // 'i' and 'l' use three columns each (plus one).
  EXPECT_EQ(r->TextDotWidth(), 8);
  r->SetText("i l");
  EXPECT_EQ(r->TextDotWidth(), 11);  // a blank takes half a cell
  r->SetAutoCenter(true);
  r->SetProportional(false);
  r->SetText("AA");
  // 12 dots in 100 columns: from column 44; 7 rows in 17: from row 5.
  EXPECT_TRUE(r->DotLit(44, 5 + 1));
  EXPECT_FALSE(r->DotLit(44, 5));
  r->SetAutoHeight(true);
  EXPECT_EQ(r->Height(), (7 + 2) * 4);
}

TEST_F(RasterLab, RasterisedFontsKeepTheirExtents) {
  TFont f;
  f.SetName("Liberation Mono");
  f.SetHeight(-20);
  const TRDCharMatrix m = CreateBitFont(f);
  EXPECT_EQ(m.LeftCol[' '], -1);
  EXPECT_GT(m.Height, 12);
  EXPECT_LE(m.Height, 32);
  ASSERT_GE(m.LeftCol['I'], 0);
  ASSERT_GE(m.LeftCol['W'], 0);
  EXPECT_LT(m.RightCol['I'] - m.LeftCol['I'], m.RightCol['W'] - m.LeftCol['W']);
  // An accented Latin-1 letter has dots (drawn from its UTF-8 form).
  EXPECT_GE(m.LeftCol[0xC4], 0);
  auto* r = Place(new TRasterLab(Form.get()), 0, 0, 400, 100);
  r->SetText("W");
  r->Font().SetName("Liberation Mono");
  r->Font().SetHeight(-20);
  EXPECT_EQ(r->ActiveMatrix().Height, m.Height);
  r->Font().SetName("default");
  EXPECT_EQ(r->ActiveMatrix().Height, 7);
  // A matrix of the application's own.
  TRDCharMatrix own;
  own.Rows['x'][0] = 0x1;
  own.Rows['x'][9] = 0x1;
  own.UpdateExtents();
  EXPECT_EQ(own.Height, 10);
  r->SetCharMatrix(own);
  r->SetText("x");
  EXPECT_TRUE(r->DotLit(1, 1 + 9));
}

TEST_F(RasterLab, ScrollingByTheTimer) {
  auto* r = Place(new TRasterLab(Form.get()), 0, 0, 80, 40);  // 20 columns
  r->SetText("A");  // 6 dots wide
  r->SetScrollInterval(50);
  int ticks = 0, restarts = 0;
  r->OnScrollTimer = [&](TObject*) { ++ticks; };
  r->OnScrollLoopRestart = [&](TObject*) { ++restarts; };
  r->SetScrollMode(rdsmLeft);
  EXPECT_TRUE(r->Scrolling());
  EXPECT_EQ(r->ScrollPos(), 20);  // enters at the right edge
  TApplication* app = Application();
  app->AdvanceClock(49);
  EXPECT_EQ(ticks, 0);
  app->AdvanceClock(1);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(r->ScrollPos(), 19);
  EXPECT_TRUE(r->DotLit(19, 1 + 1));  // first column of "A", row 1
  EXPECT_FALSE(r->DotLit(19 + 1, 1 + 1));
  // After 26 steps the text has left the grid: it enters again.
  app->AdvanceClock(25 * 50);
  EXPECT_EQ(ticks, 26);
  EXPECT_EQ(restarts, 1);
  EXPECT_EQ(r->ScrollPos(), 20);
  // Without the loop scrolling stops once the text has left.
  r->SetScrollLoop(false);
  r->SetScrollIncrement(4);
  app->AdvanceClock(50 * 7);
  EXPECT_FALSE(r->Scrolling());
  const int stopped = ticks;
  app->AdvanceClock(1000);
  EXPECT_EQ(ticks, stopped);
  // Upward: enters at the bottom.
  r->SetScrollMode(rdsmUp);
  EXPECT_EQ(r->ScrollPos(), 10);
  app->AdvanceClock(50);
  EXPECT_EQ(r->ScrollPos(), 6);
  r->SetScrollMode(rdsmOff);
  EXPECT_FALSE(r->Scrolling());
  r->SetScrollInterval(1);
  EXPECT_EQ(r->ScrollInterval(), 10);
}

}  // namespace
