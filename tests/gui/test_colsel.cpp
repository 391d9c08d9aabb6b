// Colour selector: the colour list, selection by mouse (drop-down list on the
// form) and keys through the headless host, renaming, and the box picture.
#include <gtest/gtest.h>

#include "base/Zol_zolcolors.h"
#include "gui/Zol_colsel.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

class ColSel : public HostTest {};

TEST_F(ColSel, ListFollowsThePredefinedColours) {
  auto* s = Place(new TColSel(Form.get()), 10, 10, 150, 22);
  EXPECT_EQ(s->NumColors(), 16);
  EXPECT_EQ(s->SelColor(), clBlack);
  EXPECT_EQ(s->ArrayColor(10), clRed);
  EXPECT_EQ(s->ArrayColorName(10), "Red");
  EXPECT_EQ(s->ArrayColorName(47), "WindowText");
  EXPECT_EQ(s->ArrayColor(47), clWindowText);
  int changes = 0;
  s->OnChange = [&](TObject*) { ++changes; };
  s->SetSelColor(clYellow);
  EXPECT_EQ(s->SelIndex(), 12);
  EXPECT_EQ(changes, 1);
  s->SetSelColor(RGB(1, 2, 3));  // not in the list: ignored
  EXPECT_EQ(s->SelColor(), clYellow);
  s->SetSelColor(clBtnFace);  // in the table, but beyond NumColors
  EXPECT_EQ(s->SelColor(), clYellow);
  s->SetNumColors(30);
  s->SetSelColor(clBtnFace);
  EXPECT_EQ(s->SelIndex(), 25);
  s->SetNumColors(10);  // the selection follows into the shorter list
  EXPECT_EQ(s->SelIndex(), 10);
  s->SetNumColors(100);
  EXPECT_EQ(s->NumColors(), 47);
  EXPECT_EQ(changes, 3);
}

TEST_F(ColSel, DropDownListChoosesWithTheMouse) {
  auto* s = Place(new TColSel(Form.get()), 10, 10, 150, 22);
  int drops = 0, changes = 0;
  s->OnDropDown = [&](TObject*) { ++drops; };
  s->OnChange = [&](TObject*) { ++changes; };
  TApplication* app = Application();
  app->Click(Form.get(), 50, 20);
  app->ProcessMessages();
  ASSERT_TRUE(s->DroppedDown());
  EXPECT_EQ(drops, 1);
  TColSelList* list = s->DropList();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->Visible());
  EXPECT_EQ(list->Top(), 32);  // right under the box
  EXPECT_EQ(list->Left(), 10);
  EXPECT_EQ(list->Height(), 8 * s->ItemHeight() + 2);
  // The third entry of the list (green).
  const int y = list->Top() + 1 + 2 * s->ItemHeight() + s->ItemHeight() / 2;
  app->Click(Form.get(), 60, y);
  app->ProcessMessages();
  EXPECT_FALSE(s->DroppedDown());
  EXPECT_FALSE(list->Visible());
  EXPECT_EQ(s->SelColor(), clGreen);
  EXPECT_EQ(changes, 1);
  // The wheel over the box steps through the colours.
  app->PostMouseWheel(Form.get(), 0, -WHEEL_DELTA, 50, 20);
  app->ProcessMessages();
  EXPECT_EQ(s->SelColor(), clOlive);
}

TEST_F(ColSel, KeysStepOpenAndCancel) {
  auto* s = Place(new TColSel(Form.get()), 10, 10, 150, 22);
  s->SetFocus();
  TApplication* app = Application();
  app->PressKey(VK_DOWN);
  app->PressKey(VK_DOWN);
  app->ProcessMessages();
  EXPECT_EQ(s->SelIndex(), 3);
  app->PressKey(VK_UP);
  app->ProcessMessages();
  EXPECT_EQ(s->SelIndex(), 2);
  app->PressKey(VK_F4);
  app->ProcessMessages();
  EXPECT_TRUE(s->DroppedDown());
  app->PressKey(VK_END);
  app->ProcessMessages();
  EXPECT_EQ(s->SelIndex(), 16);
  EXPECT_EQ(s->DropList()->TopIndex(), 9);  // the last eight entries shown
  app->PressKey(VK_ESCAPE);
  app->ProcessMessages();
  EXPECT_FALSE(s->DroppedDown());
  EXPECT_EQ(s->SelIndex(), 2);  // back to the colour before the list opened
  app->PressKey(VK_DOWN, ssAlt);
  app->PressKey(VK_DOWN);
  app->PressKey(VK_RETURN);
  app->ProcessMessages();
  EXPECT_FALSE(s->DroppedDown());
  EXPECT_EQ(s->SelIndex(), 3);
  app->PressKey(VK_HOME);
  app->ProcessMessages();
  EXPECT_EQ(s->SelIndex(), 1);
}

TEST_F(ColSel, RenamingAndPicture) {
  auto* s = Place(new TColSel(Form.get()), 0, 0, 150, 22);
  int renamed = 0;
  s->OnColorNameChange = [&](TObject*, int i) { renamed = i; };
  s->SetArrayColorName(10, "Rot");
  EXPECT_EQ(renamed, 10);
  EXPECT_EQ(s->ArrayColorName(10), "Rot");
  renamed = 0;
  s->SetArrayColorName(48, "x");
  EXPECT_EQ(renamed, 0);
  s->SetSelColor(clRed);
  s->SetColorBarWidth(30);
  auto bmp = s->PaintToBitmap();
  // The swatch: item at (2, 2), bar from x 4 to 34 with a black outline, red inside.
  EXPECT_EQ(bmp->GetPixel(4, 10), clBlack);
  EXPECT_EQ(bmp->GetPixel(10, 10), clRed);
  EXPECT_EQ(bmp->GetPixel(33, 10), clBlack);
  // The drop-down button on the right is raised.
  EXPECT_EQ(bmp->GetPixel(150 - 19, 10), RGB(255, 255, 255));
}

TEST_F(ColSel, DestroyingTheFormFirstFreesTheOpenList) {
  auto* s = Place(new TColSel(Form.get()), 0, 0, 150, 22);
  s->SetDroppedDown(true);
  EXPECT_TRUE(s->DroppedDown());
  Form.reset();  // frees the list (a child of the form) and the box
  SUCCEED();
}

}  // namespace
