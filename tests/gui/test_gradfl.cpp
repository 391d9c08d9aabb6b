// Gradient fill: band borders and colours from the MulDiv rule (rounding to
// nearest), mid-band mirroring, flipped colours, grid lines and the frame.
#include <gtest/gtest.h>

#include "gui/Zol_gradfl.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

class GradFill : public HostTest {};

TEST_F(GradFill, MulDivRoundsToNearestAndRefusesZeroDivisor) {
  EXPECT_EQ(MulDiv(1, 255, 4), 64);   // 63.75
  EXPECT_EQ(MulDiv(2, 255, 4), 128);  // 127.5 rounds up
  EXPECT_EQ(MulDiv(3, 255, 4), 191);  // 191.25
  EXPECT_EQ(MulDiv(1, -255, 4), -64);
  EXPECT_EQ(MulDiv(2, -255, 4), -128);  // halves away from zero
  EXPECT_EQ(MulDiv(7, 3, 0), -1);
  EXPECT_EQ(MulDiv(2000000000, 2000000000, 2000000000), 2000000000);  // 64-bit product
  EXPECT_EQ(MulDiv(2000000000, 3, 2), -1);                             // result beyond 32 bits
}

TEST_F(GradFill, FourBandsBlackToWhiteAtTwoSizes) {
  for (int h : {100, 37}) {
    auto* g = Place(new TGradFill(Form.get()), 0, 0, 20, h);
    g->SetFrameStyle(fsNone);
    g->SetColorFirst(clBlack);
    g->SetColorLast(clWhite);
    g->SetNrColors(4);
    auto bmp = g->PaintToBitmap();
    const int grey[4] = {0, 64, 128, 191};
    for (int i = 0; i < 4; ++i) {
      // Band i spans MulDiv(i, h, 4) .. MulDiv(i + 1, h, 4) - 1.
      const int a = (i * h * 2 + 4) / 8, b = ((i + 1) * h * 2 + 4) / 8 - 1;
      EXPECT_EQ(bmp->GetPixel(10, a), RGB(grey[i], grey[i], grey[i])) << h << " band " << i;
      EXPECT_EQ(bmp->GetPixel(10, b), RGB(grey[i], grey[i], grey[i])) << h << " band " << i;
    }
    delete g;
  }
}

TEST_F(GradFill, VerticalBandsMidBandAndFlip) {
  auto* g = Place(new TGradFill(Form.get()), 0, 0, 50, 10);
  g->SetFrameStyle(fsNone);
  g->SetColorFirst(RGB(0, 100, 200));
  g->SetColorLast(RGB(250, 0, 100));
  g->SetNrColors(5);
  g->SetFillType(gtVert);
  auto bmp = g->PaintToBitmap();
  // Five bands of 10 pixels from left to right; channel = first + MulDiv(i, last - first, 5).
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(bmp->GetPixel(i * 10 + 5, 5), RGB(50 * i, 100 - 20 * i, 200 - 20 * i)) << i;
  g->SetFillType(gtMidBandVert);
  bmp = g->PaintToBitmap();
  const int idx[5] = {0, 1, 2, 1, 0};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(bmp->GetPixel(i * 10 + 5, 5), RGB(50 * idx[i], 100 - 20 * idx[i], 200 - 20 * idx[i])) << i;
  g->SetFillType(gtVert);
  g->SetColorFlipped(true);
  bmp = g->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(5, 5), RGB(250, 0, 100));
  EXPECT_EQ(bmp->GetPixel(15, 5), RGB(200, 20, 120));
  // Fewer than two bands: one band of the first colour.
  g->SetNrColors(0);
  EXPECT_EQ(g->NrColors(), 1);
  g->SetColorFlipped(false);
  bmp = g->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(49, 9), RGB(0, 100, 200));
}

TEST_F(GradFill, GridLinesOnBandBordersAndFrameOnTop) {
  auto* g = Place(new TGradFill(Form.get()), 0, 0, 40, 40);
  g->SetColorFirst(clBlack);
  g->SetColorLast(clBlack);
  g->SetNrColors(4);
  g->SetGridMode(gmBoth);
  g->SetGridColor(clRed);
  g->SetFrameStyle(fsRaised);
  auto bmp = g->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(20, 10), clRed);  // vertical line x = 10, 20, 30
  EXPECT_EQ(bmp->GetPixel(15, 30), clRed);  // horizontal line y = 30
  EXPECT_EQ(bmp->GetPixel(15, 15), clBlack);
  // Raised frame in grey, silver and white.
  EXPECT_EQ(bmp->GetPixel(0, 15), clWhite);
  EXPECT_EQ(bmp->GetPixel(1, 15), clSilver);
  EXPECT_EQ(bmp->GetPixel(39, 15), clGray);
  EXPECT_EQ(bmp->GetPixel(38, 15), clGray);
  g->SetGridMode(gmHoriz);
  bmp = g->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(20, 15), clBlack);
  EXPECT_EQ(bmp->GetPixel(15, 20), clRed);
}

TEST_F(GradFill, OnPaintFiresAfterTheFill) {
  auto* g = Place(new TGradFill(Form.get()), 0, 0, 30, 30);
  int painted = 0;
  g->OnPaint = [&](TObject* s) {
    EXPECT_EQ(s, g);
    ++painted;
  };
  g->PaintToBitmap();
  EXPECT_EQ(painted, 1);
}

}  // namespace
