// On/off button: exclusive groups, normal and speed-button toggling through
// the headless host, glyph placement and looks in both colour schemes, user glyphs.
#include <gtest/gtest.h>

#include "gui/Zol_onoffbut.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

class OnOffBut : public HostTest {};

TEST_F(OnOffBut, GroupedButtonsAreExclusive) {
  auto* a = Place(new TOnOffBut(Form.get()), 0, 0, 30, 30);
  auto* b = Place(new TOnOffBut(Form.get()), 40, 0, 30, 30);
  auto* other = Place(new TOnOffBut(Form.get()), 80, 0, 30, 30);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  other->SetGroupIndex(2);
  a->SetOnOff(true);
  other->SetOnOff(true);
  b->SetOnOff(true);
  EXPECT_FALSE(a->OnOff());
  EXPECT_TRUE(b->OnOff());
  EXPECT_TRUE(other->OnOff());  // another group
  b->SetOnOff(false);            // refused without AllowAllOff
  EXPECT_TRUE(b->OnOff());
  // The buttons switched off take over the sender's AllowAllOff.
  a->SetAllowAllOff(true);
  EXPECT_TRUE(a->AllowAllOff());
  b->SetAllowAllOff(false);
  a->SetOnOff(true);
  EXPECT_FALSE(b->OnOff());
  EXPECT_TRUE(b->AllowAllOff());
  a->SetOnOff(false);  // allowed now
  EXPECT_FALSE(a->OnOff());
  // Buttons without a group switch freely.
  auto* free1 = Place(new TOnOffBut(Form.get()), 0, 40, 30, 30);
  free1->SetOnOff(true);
  free1->SetOnOff(false);
  EXPECT_FALSE(free1->OnOff());
}

TEST_F(OnOffBut, GroupsAreLimitedToOneParent) {
  auto* panel = Place(new TCustomControl(Form.get()), 100, 100, 100, 100);
  auto* a = Place(new TOnOffBut(Form.get()), 0, 0, 30, 30);
  auto* b = new TOnOffBut(Form.get());
  b->SetParent(panel);
  a->SetGroupIndex(3);
  b->SetGroupIndex(3);
  a->SetOnOff(true);
  b->SetOnOff(true);
  EXPECT_TRUE(a->OnOff());
  EXPECT_TRUE(b->OnOff());
}

TEST_F(OnOffBut, ClicksToggleOnReleaseOrOnPress) {
  auto* a = Place(new TOnOffBut(Form.get()), 10, 10, 30, 30);
  TApplication* app = Application();
  app->Click(Form.get(), 20, 20);
  app->ProcessMessages();
  EXPECT_TRUE(a->OnOff());
  // Normal mode: the press alone does nothing; a release outside the button neither.
  app->PostMouseDown(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
  EXPECT_TRUE(a->OnOff());
  app->PostMouseMove(Form.get(), ssLeft, 200, 200);
  app->PostMouseUp(Form.get(), mbLeft, 0, 200, 200);
  app->ProcessMessages();
  EXPECT_TRUE(a->OnOff());
  // Speed-button mode toggles on the press.
  a->SetMode(oobmSpeedBut);
  app->PostMouseMove(Form.get(), 0, 20, 20);
  app->PostMouseDown(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
  EXPECT_FALSE(a->OnOff());
  app->PostMouseUp(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
  EXPECT_FALSE(a->OnOff());
  // A grouped button is not switched off by a click.
  a->SetMode(oobmNormalBut);
  a->SetGroupIndex(5);
  a->SetOnOff(true);
  app->Click(Form.get(), 20, 20);
  app->ProcessMessages();
  EXPECT_TRUE(a->OnOff());
}

TEST_F(OnOffBut, CheckboxGlyphAtTwoPlacesAndSchemes) {
  for (int size : {30, 51}) {
    auto* a = Place(new TOnOffBut(Form.get()), 0, 0, size, size);
    a->SetColorBackgnd(clYellow);
    const int gx = (size - 13) / 2, gy = (size - 13) / 2;
    EXPECT_EQ(a->GlyphRect(), Bounds(gx, gy, 13, 13));
    auto bmp = a->PaintToBitmap();
    EXPECT_EQ(bmp->GetPixel(gx, gy), clGray);            // box outline
    EXPECT_EQ(bmp->GetPixel(gx + 12, gy + 12), clGray);
    EXPECT_EQ(bmp->GetPixel(gx + 6, gy + 6), clWhite);   // empty box
    EXPECT_EQ(bmp->GetPixel(gx - 1, gy), clYellow);
    a->SetOnOff(true);
    bmp = a->PaintToBitmap();
    EXPECT_EQ(bmp->GetPixel(gx + 5, gy + 7), clBlack);  // the tick's corner
    delete a;
  }
  auto* a = Place(new TOnOffBut(Form.get()), 0, 0, 40, 40);
  a->SetAutoCenter(false);
  a->SetLeftSpace(3);
  a->SetTopSpace(5);
  EXPECT_EQ(a->GlyphRect(), Bounds(3, 5, 13, 13));
  a->SetButtonStyle(oobsButLamp);
  a->SetFrameStyle(fsRaised);
  auto bmp = a->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(3, 10), clWhite);   // lamp button face raised (csBWG)
  EXPECT_EQ(bmp->GetPixel(39, 20), clBlack);  // control frame, outer bottom-right
  a->SetColorScheme(csSystem);
  bmp = a->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(39, 20), RGB(105, 105, 105));
  EXPECT_EQ(bmp->GetPixel(3 + 11, 5 + 11), clMaroon);  // lamp off
  a->SetOnOff(true);
  bmp = a->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(3 + 11, 5 + 11), clRed);
}

TEST_F(OnOffBut, EveryStyleDrawsAndDiffersBetweenStates) {
  auto* a = Place(new TOnOffBut(Form.get()), 0, 0, 40, 40);
  for (int s = oobsCheckbox; s <= oobsHDRight; ++s) {
    a->SetButtonStyle(static_cast<TOnOffButStyle>(s));
    a->SetOnOff(false);
    auto off = a->PaintToBitmap();
    a->SetOnOff(true);
    auto on = a->PaintToBitmap();
    int diff = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) diff += off->GetPixel(x, y) != on->GetPixel(x, y);
    EXPECT_GT(diff, 3) << "style " << s;
  }
}

TEST_F(OnOffBut, UserGlyphHalvesAndTexts) {
  TBitmap g(20, 10);
  g.Canvas().Brush().SetColor(clRed);
  g.Canvas().FillRect(Rect(0, 0, 10, 10));
  g.Canvas().Brush().SetColor(clLime);
  g.Canvas().FillRect(Rect(10, 0, 20, 10));
  g.Canvas().SetPixel(0, 9, clFuchsia);  // transparent colour (bottom-left)
  auto* a = Place(new TOnOffBut(Form.get()), 0, 0, 30, 30);
  a->SetUserGlyph(oobsUser3, g);
  a->SetButtonStyle(oobsUser3);
  a->SetColorBackgnd(clWhite);
  EXPECT_EQ(a->GlyphSize(), TSize(10, 10));
  auto bmp = a->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(15, 15), clRed);
  EXPECT_EQ(bmp->GetPixel(10, 19), clWhite);  // transparent pixel
  a->SetOnOff(true);
  bmp = a->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(15, 15), clLime);
  EXPECT_FALSE(a->LoadUserGlyph(oobsUser1, "/nonexistent/glyph.bmp"));
  EXPECT_FALSE(a->LoadUserGlyph(oobsBulb, "/nonexistent/glyph.bmp"));
  // A user style without a glyph draws nothing and has no size.
  a->SetButtonStyle(oobsUser5);
  EXPECT_EQ(a->GlyphSize(), TSize(0, 0));
  EXPECT_NO_THROW(a->PaintToBitmap());
  // Texts lie beside the glyph.
  a->SetBounds(0, 0, 120, 80);
  a->SetButtonStyle(oobsCheckbox);
  a->SetRightText("R");
  a->SetColorText(clBlue);
  bmp = a->PaintToBitmap();
  const TRect gr = a->GlyphRect();
  bool ink = false;
  for (int y = gr.Top - 4; y < gr.Bottom + 4; ++y)
    for (int x = gr.Right + 4; x < gr.Right + 14; ++x) ink |= bmp->GetPixel(x, y) != clWhite;
  EXPECT_TRUE(ink);
}

TEST_F(OnOffBut, MouseActionsShowHoverAndPress) {
  auto* a = Place(new TOnOffBut(Form.get()), 10, 10, 41, 41);  // checkbox at (14, 14)
  a->SetColorBackgnd(clWhite);
  a->SetColorText(clBlue);
  a->SetMouseAction(oomaFocused);
  TApplication* app = Application();
  auto plain = a->PaintToBitmap();
  app->PostMouseMove(Form.get(), 0, 30, 30);
  app->ProcessMessages();
  auto hover = a->PaintToBitmap();
  // A dotted frame two pixels around the glyph (14..26), in the text colour.
  EXPECT_EQ(plain->GetPixel(12, 12), clWhite);
  EXPECT_EQ(hover->GetPixel(12, 12), clBlue);
  app->PostMouseMove(Form.get(), 0, 300, 300);
  app->ProcessMessages();
  EXPECT_EQ(a->PaintToBitmap()->GetPixel(12, 12), clWhite);
  // oomaPlain: the glyph moves one pixel down and right while the button is held.
  a->SetMouseAction(oomaPlain);
  app->PostMouseMove(Form.get(), 0, 30, 30);
  app->PostMouseDown(Form.get(), mbLeft, 0, 30, 30);
  app->ProcessMessages();
  auto held = a->PaintToBitmap();
  EXPECT_EQ(held->GetPixel(14, 14), clWhite);
  EXPECT_EQ(held->GetPixel(15, 15), clGray);
  app->PostMouseUp(Form.get(), mbLeft, 0, 30, 30);
  app->ProcessMessages();
  auto released = a->PaintToBitmap();
  EXPECT_EQ(released->GetPixel(14, 14), clGray);
}

}  // namespace
