// Rotated label: position and turn of the text cell, anti-aliasing off,
// transparency and the frame.
#include <gtest/gtest.h>

#include <algorithm>

#include "gui/Zol_rotlab.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

class RotLab : public HostTest {};

// The bounding box of the pixels that differ from the background.
TRect InkBox(const TBitmap& b, TColor bg) {
  TRect r(b.Width(), b.Height(), -1, -1);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.GetPixel(x, y) != bg) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

TEST_F(RotLab, TurnedTextIsCentredOnTheControl) {
  auto* l = Place(new TRotLab(Form.get()), 0, 0, 120, 120);
  l->SetCaption("HHHHHHHH");
  l->Font().SetHeight(-16);
  auto bmp = l->PaintToBitmap();
  TRect flat = InkBox(*bmp, clWhite);
  EXPECT_GT(flat.Width(), 2 * flat.Height());
  EXPECT_NEAR((flat.Left + flat.Right) / 2.0, 60, 2);
  l->SetTextAngle(90);
  bmp = l->PaintToBitmap();
  TRect up = InkBox(*bmp, clWhite);
  EXPECT_GT(up.Height(), 2 * up.Width());
  EXPECT_NEAR((up.Top + up.Bottom) / 2.0, 60, 2);
  EXPECT_NEAR((up.Left + up.Right) / 2.0, 60, 3);
  EXPECT_NEAR(up.Height(), flat.Width(), 2);
  l->SetTextAngle(-90);
  EXPECT_EQ(l->TextAngle(), 270);
  l->SetTextAngle(405);
  EXPECT_EQ(l->TextAngle(), 45);
}

TEST_F(RotLab, AlignmentAboutTheAnchor) {
  auto* l = Place(new TRotLab(Form.get()), 0, 0, 200, 60);
  l->SetCaption("HHHH");
  l->SetAutoCenter(false);
  l->SetPosX(100);
  l->SetPosY(30);
  l->SetAlignment(taLeftJustify);
  auto bmp = l->PaintToBitmap();
  TRect r = InkBox(*bmp, clWhite);
  EXPECT_GE(r.Left, 100);
  EXPECT_LE(r.Left, 102);
  l->SetAlignment(taRightJustify);
  bmp = l->PaintToBitmap();
  r = InkBox(*bmp, clWhite);
  EXPECT_LE(r.Right, 100);
  EXPECT_GE(r.Right, 97);
  // The text's middle line passes through PosY.
  EXPECT_NEAR((r.Top + r.Bottom) / 2.0, 30, 3);
}

TEST_F(RotLab, WithoutAntiAliasOnlyTwoColours) {
  auto* l = Place(new TRotLab(Form.get()), 0, 0, 100, 100);
  l->SetCaption("Sample");
  l->SetTextAngle(30);
  l->Font().SetColor(clRed);
  l->SetAntiAlias(false);
  auto bmp = l->PaintToBitmap();
  int red = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      const TColor c = bmp->GetPixel(x, y);
      ASSERT_TRUE(c == clWhite || c == clRed) << x << "," << y;
      red += c == clRed;
    }
  EXPECT_GT(red, 20);
  l->SetAntiAlias(true);
  bmp = l->PaintToBitmap();
  int mixed = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      const TColor c = bmp->GetPixel(x, y);
      mixed += c != clWhite && c != clRed;
    }
  EXPECT_GT(mixed, 0);
}

TEST_F(RotLab, TransparentShowsTheParentAndFrames) {
  Form->SetColor(clAqua);
  auto* l = Place(new TRotLab(Form.get()), 10, 10, 50, 30);
  l->SetCaption("");
  l->SetTransparent(true);
  auto bmp = l->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(25, 15), clAqua);
  l->SetTransparent(false);
  l->SetColor(clYellow);
  l->SetFrameStyle(fsEngraved);
  bmp = l->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(25, 15), clYellow);
  EXPECT_EQ(bmp->GetPixel(0, 15), clGray);   // engraved: shadow outer top-left
  EXPECT_EQ(bmp->GetPixel(1, 15), clWhite);  // highlight inner top-left
  int entered = 0, left = 0;
  l->OnMouseEnter = [&](TObject*) { ++entered; };
  l->OnMouseLeave = [&](TObject*) { ++left; };
  Application()->PostMouseMove(Form.get(), 0, 20, 20);
  Application()->PostMouseMove(Form.get(), 0, 200, 200);
  Application()->ProcessMessages();
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(left, 1);
}

}  // namespace
