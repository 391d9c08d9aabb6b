// The standard controls: edit field, memo, label, buttons, check and radio
// buttons, panel, list box, combo box, speed button, scroll bar and date-time
// picker, driven through the headless host and checked pixel by pixel against
// the drawing rules.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/HostFormTest.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_stdctrls.h"

using namespace zol;

namespace {

TColor Sys(TColor c) { return ColorToRGB(c); }

// The height of one text line in a control's font (the font engine's metrics).
int TextH(TControl* c) {
  TBitmap b(1, 1);
  b.Canvas().Font().Assign(c->Font());
  return b.Canvas().TextHeight("Ag");
}
int TextW(TControl* c, const std::string& s) {
  TBitmap b(1, 1);
  b.Canvas().Font().Assign(c->Font());
  return b.Canvas().TextWidth(s);
}

class StdCtrls : public HostFormTest {
 protected:
  StdCtrls() : HostFormTest(400, 300) {}
  template <class T>
  T* Make(int x, int y, int w, int h, TWinControl* parent = nullptr) {
    auto* c = new T(form.get());
    c->SetParent(parent ? parent : form.get());
    c->SetBounds(x, y, w, h);
    return c;
  }
  // A click at a point of a control (its client coordinates).
  void ClickAt(TControl* c, int x, int y, TShiftState s = 0) {
    TPoint p = c->ClientToParent(Point(x, y), form.get());
    app->Click(form.get(), p.X, p.Y, mbLeft, s);
    app->ProcessMessages();
  }
};

// ---------------------------------------------------------------- drawing helpers
TEST(StdDraw, Frame3DPaintsTheCornersAsDocumented) {
  TBitmap b(6, 5);
  TRect r = Rect(0, 0, 6, 5);
  Frame3D(b.Canvas(), r, clRed, clBlue, 1);
  EXPECT_EQ(r, Rect(1, 1, 5, 4));
  EXPECT_EQ(b.GetPixel(0, 0), clRed);
  EXPECT_EQ(b.GetPixel(4, 0), clRed);
  EXPECT_EQ(b.GetPixel(5, 0), clBlue);  // top-right corner belongs to the bottom/right colour
  EXPECT_EQ(b.GetPixel(0, 3), clRed);
  EXPECT_EQ(b.GetPixel(0, 4), clBlue);  // bottom-left corner too
  EXPECT_EQ(b.GetPixel(5, 4), clBlue);
  EXPECT_EQ(b.GetPixel(1, 1), clWhite);  // inside untouched
}

TEST(StdDraw, FocusRectInvertsEverySecondPixelAndUndoesItself) {
  TBitmap b(8, 6);
  b.Canvas().Brush().SetColor(RGB(10, 20, 30));
  b.Canvas().FillRect(Rect(0, 0, 8, 6));
  DrawFocusRect(b.Canvas(), Rect(1, 1, 7, 5));
  EXPECT_EQ(b.GetPixel(1, 1), RGB(245, 235, 225));
  EXPECT_EQ(b.GetPixel(2, 1), RGB(10, 20, 30));
  EXPECT_EQ(b.GetPixel(6, 4), RGB(245, 235, 225));
  EXPECT_EQ(b.GetPixel(5, 4), RGB(10, 20, 30));
  EXPECT_EQ(b.GetPixel(3, 3), RGB(10, 20, 30));  // inside untouched
  DrawFocusRect(b.Canvas(), Rect(1, 1, 7, 5));
  EXPECT_EQ(b.GetPixel(1, 1), RGB(10, 20, 30));
}

// ---------------------------------------------------------------- TEdit
TEST_F(StdCtrls, EditTypingCaretAndShiftSelection) {
  auto* e = Make<TEdit>(10, 10, 150, 21);
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  e->SetFocus();
  app->ProcessMessages();
  Type("hello world");
  EXPECT_EQ(e->Text(), "hello world");
  EXPECT_EQ(changes, 11);
  EXPECT_EQ(e->CaretPos(), 11);
  Key(VK_LEFT, ssShift | ssCtrl);  // selects "world"
  EXPECT_EQ(e->SelText(), "world");
  Key(VK_LEFT, ssShift);
  EXPECT_EQ(e->SelText(), " world");
  Type("!");
  EXPECT_EQ(e->Text(), "hello!");
  Key(VK_HOME);
  Key(VK_RIGHT, ssShift);
  Key(VK_RIGHT, ssShift);
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelLength(), 2);
  Key(VK_DELETE);
  EXPECT_EQ(e->Text(), "llo!");
  Key(VK_END);
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), "llo");
  // Without Shift an arrow collapses the selection to its end.
  e->SelectAll();
  Key(VK_LEFT);
  EXPECT_EQ(e->SelLength(), 0);
  EXPECT_EQ(e->CaretPos(), 0);
}

TEST_F(StdCtrls, EditKeepsUtf8WholeAndHonoursMaxLengthAndReadOnly) {
  auto* e = Make<TEdit>(10, 10, 150, 21);
  e->SetFocus();
  Type("a\xC3\xA9z");  // a é z
  EXPECT_EQ(e->Text(), "a\xC3\xA9z");
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(e->CaretPos(), 1);  // stepped over both bytes of é
  Key(VK_DELETE);
  EXPECT_EQ(e->Text(), "az");
  e->SetText("");
  e->SetMaxLength(3);
  Type("ab");
  Type("\xC3\xA9");  // would need 4 bytes: refused rather than split
  EXPECT_EQ(e->Text(), "ab");
  Type("c");
  Type("d");
  EXPECT_EQ(e->Text(), "abc");
  e->SetReadOnly(true);
  Key(VK_BACK);
  Type("x");
  EXPECT_EQ(e->Text(), "abc");
}

TEST_F(StdCtrls, EditClipboardRoundTripAndPasswordRefusesToCopy) {
  auto* e = Make<TEdit>(10, 10, 150, 21);
  auto* f = Make<TEdit>(10, 40, 150, 21);
  e->SetText("alpha beta");
  e->SetFocus();
  app->ProcessMessages();
  e->SetSelStart(6);
  e->SetSelLength(4);
  Key('X', ssCtrl);
  EXPECT_EQ(e->Text(), "alpha ");
  EXPECT_EQ(Clipboard().AsText(), "beta");
  f->SetFocus();
  app->ProcessMessages();
  Key(VK_END);
  Key('V', ssCtrl);
  Key(VK_INSERT, ssShift);
  EXPECT_EQ(f->Text(), "betabeta");
  // A multi-line clipboard text pastes its first line into a single-line field.
  Clipboard().SetAsText("one\r\ntwo");
  f->SelectAll();
  Key('V', ssCtrl);
  EXPECT_EQ(f->Text(), "one");

  e->SetPasswordChar('*');
  e->SetFocus();
  app->ProcessMessages();
  e->SelectAll();
  Key('C', ssCtrl);
  Key('X', ssCtrl);
  EXPECT_EQ(Clipboard().AsText(), "one\r\ntwo");
  EXPECT_EQ(e->Text(), "alpha ");
}

TEST_F(StdCtrls, EditCaretIsDrawnWhereTheTextEndsAndBlinks) {
  auto* e = Make<TEdit>(10, 10, 150, 21);
  e->SetFocus();
  app->ProcessMessages();
  Type("ab");
  int th = TextH(e);
  int x = 3 + TextW(e, "ab");
  int y0 = 2 + (17 - th) / 2;
  auto bmp = e->PaintToBitmap();
  for (int y = y0; y < y0 + th; ++y) EXPECT_EQ(bmp->GetPixel(x, y), Sys(clWindowText)) << y;
  EXPECT_EQ(bmp->GetPixel(x, y0 + th), Sys(clWindow));
  EXPECT_NE(bmp->GetPixel(x + 1, y0 + th / 2), Sys(clWindowText));
  app->AdvanceClock(500);
  bmp = e->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(x, y0), Sys(clWindow));  // blinked off
  app->AdvanceClock(500);
  bmp = e->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(x, y0), Sys(clWindowText));
  // Typing shows the caret at once.
  app->AdvanceClock(500);
  Type("c");
  EXPECT_TRUE(e->CaretShowing());
  // Not focused: no caret and no blinking timer.
  form->SetActiveControl(nullptr);
  Make<TButton>(200, 10, 75, 25)->SetFocus();
  app->ProcessMessages();
  EXPECT_FALSE(e->CaretShowing());
}

TEST_F(StdCtrls, EditSunkenFrameColours) {
  auto* e = Make<TEdit>(10, 10, 60, 21);
  auto bmp = e->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 0), Sys(clBtnShadow));
  EXPECT_EQ(bmp->GetPixel(59, 0), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(0, 20), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(1, 1), Sys(cl3DDkShadow));
  EXPECT_EQ(bmp->GetPixel(58, 19), Sys(cl3DLight));
  EXPECT_EQ(bmp->GetPixel(2, 2), Sys(clWindow));
  e->SetEnabled(false);
  bmp = e->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(2, 2), Sys(clBtnFace));
}

TEST_F(StdCtrls, EditMouseClickPlacesCaretAndDragSelects) {
  auto* e = Make<TEdit>(10, 10, 200, 21);
  e->SetText("abcdef");
  int xc = 3 + TextW(e, "abc");
  ClickAt(e, xc, 10);
  EXPECT_EQ(e->CaretPos(), 3);
  EXPECT_EQ(e->SelLength(), 0);
  ClickAt(e, 3 + TextW(e, "abcde"), 10, ssShift);
  EXPECT_EQ(e->SelText(), "de");
  // Drag from a to c.
  TPoint a = e->ClientToParent(Point(3, 10), form.get());
  app->PostMouseDown(form.get(), mbLeft, 0, a.X, a.Y);
  app->PostMouseMove(form.get(), ssLeft, a.X + TextW(e, "ab"), a.Y);
  app->PostMouseUp(form.get(), mbLeft, 0, a.X + TextW(e, "ab"), a.Y);
  app->ProcessMessages();
  EXPECT_EQ(e->SelText(), "ab");
}

TEST_F(StdCtrls, EditUndoTakesBackTheLastChange) {
  auto* e = Make<TEdit>(10, 10, 150, 21);
  e->SetFocus();
  app->ProcessMessages();
  EXPECT_FALSE(e->CanUndo());
  Type("abc");
  Type("def");
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), "abcde");
  Key('Z', ssCtrl);
  EXPECT_EQ(e->Text(), "abcdef");
  Key('Z', ssCtrl);  // a second undo redoes
  EXPECT_EQ(e->Text(), "abcde");
  Key(VK_HOME);
  Type("xy");  // a run of typing undoes as one
  Key('Z', ssCtrl);
  EXPECT_EQ(e->Text(), "abcde");
  e->SelectAll();
  Key('X', ssCtrl);
  EXPECT_EQ(e->Text(), "");
  Key(VK_BACK, ssAlt);
  EXPECT_EQ(e->Text(), "abcde");
}

TEST_F(StdCtrls, RandomInputNeverBreaksTheEditingControls) {
  auto* e = Make<TEdit>(10, 10, 80, 21);
  e->SetMaxLength(20);
  auto* m = Make<TMemo>(10, 40, 120, 60);
  auto* cb = Make<TComboBox>(10, 110, 100, 21);
  for (const char* s : {"a", "bb", "ccc"}) cb->Items().Add(s);
  const uint16_t keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_BACK, VK_DELETE,
                           VK_RETURN, VK_PRIOR, VK_NEXT, VK_F4, VK_ESCAPE, 'A', 'C', 'X', 'V', 'Z'};
  const TShiftState shifts[] = {0, ssShift, ssCtrl, ssAlt, ssShift | ssCtrl};
  const std::string texts[] = {"x", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xFF", "\x80", " "};
  unsigned seed = 12345;
  auto next = [&seed](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  TWinControl* targets[] = {e, m, cb};
  for (int round = 0; round < 600; ++round) {
    if (round % 50 == 0) {
      targets[next(3)]->SetFocus();
      app->ProcessMessages();
    }
    if (next(2)) app->PressKey(keys[next(18)], shifts[next(5)]);
    else app->PostText(texts[next(7)]);
    if (round % 10 == 0) app->ProcessMessages();
  }
  app->ProcessMessages();
  EXPECT_LE(e->Text().size(), 20u);
  for (TCustomEdit* x : {static_cast<TCustomEdit*>(e), static_cast<TCustomEdit*>(m), static_cast<TCustomEdit*>(cb)}) {
    EXPECT_LE(x->SelStart() + x->SelLength(), static_cast<int>(x->Text().size()));
    x->PaintToBitmap();
  }
}

TEST_F(StdCtrls, EditScrollsLongTextToKeepTheCaretVisible) {
  auto* e = Make<TEdit>(10, 10, 40, 21);
  e->SetFocus();
  app->ProcessMessages();
  Type("0123456789012345678901234567890");
  int x = e->CaretX();
  TRect ta = e->TextArea();
  EXPECT_GE(x, ta.Left);
  EXPECT_LT(x, ta.Right);
  Key(VK_HOME);
  EXPECT_EQ(e->CaretX(), ta.Left);
}

// ---------------------------------------------------------------- TMemo
TEST_F(StdCtrls, MemoLinesFollowTheTextBothWays) {
  auto* m = Make<TMemo>(10, 10, 200, 100);
  m->SetFocus();
  app->ProcessMessages();
  Type("one");
  Key(VK_RETURN);
  Type("two");
  ASSERT_EQ(m->Lines().Count(), 2);
  EXPECT_EQ(m->Lines()[1], "two");
  EXPECT_EQ(m->CaretLine(), 1);
  Key(VK_UP);
  EXPECT_EQ(m->CaretLine(), 0);
  EXPECT_EQ(m->CaretColumn(), 3);
  m->Lines().Add("three");
  EXPECT_EQ(m->Text(), "one\ntwo\nthree");
  // Return in a memo is text, not the form's default button.
  auto* ok = Make<TButton>(250, 10, 75, 25);
  ok->SetDefault(true);
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  m->SetFocus();
  app->ProcessMessages();
  Key(VK_RETURN);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(m->Lines().Count(), 4);
}

// ---------------------------------------------------------------- TLabel
TEST_F(StdCtrls, LabelSizesToItsLines) {
  auto* l = new TLabel(form.get());
  l->SetParent(form.get());
  l->SetCaption("Hello\nWorld!!");
  EXPECT_EQ(l->Width(), TextW(l, "World!!"));
  EXPECT_EQ(l->Height(), 2 * TextH(l));
  l->SetAutoSize(false);
  l->SetWordWrap(true);
  l->SetCaption("aa bb cc");
  l->SetWidth(TextW(l, "aa bb") + 1);
  auto lines = l->DrawnLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "aa bb");
  EXPECT_EQ(lines[1], "cc");
}

// ---------------------------------------------------------------- TButton and modal forms
TEST_F(StdCtrls, ButtonBevelsRaisedPressedAndDefault) {
  auto* b = Make<TButton>(10, 10, 75, 25);
  auto bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 0), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(73, 0), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(74, 0), Sys(cl3DDkShadow));
  EXPECT_EQ(bmp->GetPixel(0, 24), Sys(cl3DDkShadow));
  EXPECT_EQ(bmp->GetPixel(74, 24), Sys(cl3DDkShadow));
  EXPECT_EQ(bmp->GetPixel(1, 1), Sys(cl3DLight));
  EXPECT_EQ(bmp->GetPixel(73, 1), Sys(clBtnShadow));
  EXPECT_EQ(bmp->GetPixel(1, 23), Sys(clBtnShadow));
  EXPECT_EQ(bmp->GetPixel(2, 2), Sys(clBtnFace));
  // Held down with the mouse: the bevels turn over.
  TPoint p = b->ClientToParent(Point(30, 12), form.get());
  app->PostMouseDown(form.get(), mbLeft, 0, p.X, p.Y);
  app->ProcessMessages();
  bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(1, 1), Sys(cl3DDkShadow));  // inside the focus frame
  app->PostMouseUp(form.get(), mbLeft, 0, p.X, p.Y);
  app->ProcessMessages();
  // Focused: the outer frame and the focus rectangle 4 pixels inside.
  ASSERT_TRUE(b->Focused());
  bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 0), Sys(clWindowFrame));
  EXPECT_EQ(bmp->GetPixel(1, 1), Sys(clBtnHighlight));
  TColor face = Sys(clBtnFace);
  EXPECT_EQ(bmp->GetPixel(4, 4), face ^ 0xFFFFFF);
  EXPECT_EQ(bmp->GetPixel(5, 4), face);
  EXPECT_EQ(bmp->GetPixel(6, 4), face ^ 0xFFFFFF);
}

TEST_F(StdCtrls, ModalFormEndsWithTheButtonsModalResult) {
  auto* dlg = new TForm(form.get());
  dlg->SetBounds(50, 50, 300, 120);
  auto* edit = new TEdit(dlg);
  edit->SetParent(dlg);
  edit->SetBounds(10, 10, 150, 21);
  auto* ok = new TButton(dlg);
  ok->SetParent(dlg);
  ok->SetBounds(200, 10, 81, 29);
  ok->SetCaption("OK");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = new TButton(dlg);
  cancel->SetParent(dlg);
  cancel->SetBounds(200, 45, 81, 29);
  cancel->SetCaption("Cancel");
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  dlg->SetActiveControl(edit);

  // A click on OK.
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  app->Click(dlg, 220, 20);
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(dlg->Visible());

  // Return in the edit field: the default button.
  dlg->OnShow = [&](TObject*) {
    edit->SetFocus();
    app->PostText("x");
    app->PressKey(VK_RETURN);
  };
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(edit->Text(), "x");

  // Escape: the cancel button.
  dlg->OnShow = [&](TObject*) {
    edit->SetFocus();
    app->PressKey(VK_ESCAPE);
  };
  EXPECT_EQ(dlg->ShowModal(), mrCancel);

  // Space on the focused cancel button.
  dlg->OnShow = [&](TObject*) {
    cancel->SetFocus();
    app->PressKey(VK_SPACE);
  };
  EXPECT_EQ(dlg->ShowModal(), mrCancel);

  // A handler may veto by resetting the result.
  ok->OnClick = [&](TObject*) { dlg->SetModalResult(mrNone); };
  dlg->OnShow = [&](TObject*) { app->Click(dlg, 220, 20); };
  EXPECT_EQ(dlg->ShowModal(), mrNone);
  // A disabled default button does not take Return.
  ok->OnClick = nullptr;
  ok->SetEnabled(false);
  dlg->OnShow = [&](TObject*) {
    edit->SetFocus();
    app->PressKey(VK_RETURN);
  };
  EXPECT_EQ(dlg->ShowModal(), mrNone);
}

// ---------------------------------------------------------------- check and radio buttons
TEST_F(StdCtrls, CheckBoxTogglesByMouseAndSpaceThroughGrayed) {
  auto* cb = Make<TCheckBox>(10, 10, 120, 17);
  cb->SetCaption("Check");
  int clicks = 0;
  cb->OnClick = [&](TObject*) { ++clicks; };
  ClickAt(cb, 5, 8);
  EXPECT_TRUE(cb->Checked());
  EXPECT_EQ(clicks, 1);
  ASSERT_TRUE(cb->Focused());
  Key(VK_SPACE);
  EXPECT_FALSE(cb->Checked());
  EXPECT_EQ(clicks, 2);
  cb->SetAllowGrayed(true);
  Key(VK_SPACE);
  Key(VK_SPACE);
  EXPECT_EQ(cb->State(), cbGrayed);
  Key(VK_SPACE);
  EXPECT_EQ(cb->State(), cbUnchecked);
  cb->SetChecked(false);  // no change, no event
  EXPECT_EQ(clicks, 5);
}

TEST_F(StdCtrls, CheckMarkPixels) {
  auto* cb = Make<TCheckBox>(10, 10, 100, 17);
  cb->SetChecked(true);
  auto bmp = cb->PaintToBitmap();
  // Box 13 x 13 at (0, 2); inside from (2, 4); mark columns 3..9.
  EXPECT_EQ(bmp->GetPixel(0, 2), Sys(clBtnShadow));
  EXPECT_EQ(bmp->GetPixel(12, 14), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(1, 3), Sys(cl3DDkShadow));
  const int rows[7] = {4, 5, 6, 5, 4, 3, 2};
  for (int j = 0; j < 7; ++j) {
    int x = 3 + j, y = 4 + rows[j];
    EXPECT_EQ(bmp->GetPixel(x, y - 1), Sys(clWindow)) << j;
    for (int k = 0; k < 3; ++k) EXPECT_EQ(bmp->GetPixel(x, y + k), Sys(clWindowText)) << j << "," << k;
    // Below the mark: the field, or the inner frame under the lowest column.
    EXPECT_EQ(bmp->GetPixel(x, y + 3), y + 3 < 13 ? Sys(clWindow) : Sys(cl3DLight)) << j;
  }
}

TEST_F(StdCtrls, RadioButtonsExcludeEachOtherPerParent) {
  auto* p1 = Make<TPanel>(0, 0, 200, 100);
  auto* p2 = Make<TPanel>(200, 0, 200, 100);
  auto* a = Make<TRadioButton>(5, 5, 100, 17, p1);
  auto* b = Make<TRadioButton>(5, 30, 100, 17, p1);
  auto* c = Make<TRadioButton>(5, 5, 100, 17, p2);
  c->SetChecked(true);
  a->SetChecked(true);
  ClickAt(b, 5, 8);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(c->Checked());
  auto bmp = b->PaintToBitmap();
  // The 4 x 4 dot at (4..7, 2+4..2+7) of the 12 x 12 circle at (0, 2).
  EXPECT_EQ(bmp->GetPixel(5, 8), Sys(clWindowText));
  EXPECT_EQ(bmp->GetPixel(3, 8), Sys(clWindow));
  bmp = a->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(5, 8), Sys(clWindow));
}

// ---------------------------------------------------------------- TPanel
TEST_F(StdCtrls, PanelBevelsAndClientAlignment) {
  auto* p = Make<TPanel>(10, 10, 100, 60);
  p->SetBevelInner(bvLowered);
  p->SetBorderWidth(2);
  EXPECT_EQ(p->ClientRect(), Rect(4, 4, 96, 56));
  auto* child = Make<TPanel>(0, 0, 10, 20, p);
  child->SetAlign(alTop);
  EXPECT_EQ(child->BoundsRect(), Rect(4, 4, 96, 24));
  auto bmp = p->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 0), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(99, 0), Sys(clBtnShadow));
  EXPECT_EQ(bmp->GetPixel(1, 1), Sys(clBtnFace));  // the border
  EXPECT_EQ(bmp->GetPixel(3, 30), Sys(clBtnShadow));  // inner lowered bevel, left
  EXPECT_EQ(bmp->GetPixel(96, 30), Sys(clBtnHighlight));  // inner bevel, right
}

// ---------------------------------------------------------------- TListBox
TEST_F(StdCtrls, ListBoxMouseKeysAndScrolling) {
  auto* lb = Make<TListBox>(10, 10, 120, 0);
  int ih = lb->ItemHeight();
  EXPECT_EQ(ih, TextH(lb) + 2);
  lb->SetHeight(4 + 5 * ih);  // five whole items
  for (int i = 0; i < 20; ++i) lb->Items().Add("item " + std::to_string(i));
  EXPECT_EQ(lb->VisibleItems(), 5);
  EXPECT_TRUE(lb->ScrollBarShowing());
  int clicks = 0;
  lb->OnClick = [&](TObject*) { ++clicks; };
  ClickAt(lb, 20, 2 + 2 * ih + 1);
  EXPECT_EQ(lb->ItemIndex(), 2);
  EXPECT_EQ(clicks, 1);
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(lb->ItemIndex(), 5);
  EXPECT_EQ(lb->TopIndex(), 1);
  Key(VK_END);
  EXPECT_EQ(lb->ItemIndex(), 19);
  EXPECT_EQ(lb->TopIndex(), 15);
  Key(VK_PRIOR);
  EXPECT_EQ(lb->ItemIndex(), 15);
  Key(VK_HOME);
  EXPECT_EQ(lb->TopIndex(), 0);
  EXPECT_EQ(clicks, 7);
  TPoint c = lb->ClientToParent(Point(20, 20), form.get());
  app->PostMouseWheel(form.get(), 0, -WHEEL_DELTA, c.X, c.Y);
  app->ProcessMessages();
  EXPECT_EQ(lb->TopIndex(), 3);
  // The scroll bar's down arrow scrolls one line.
  ClickAt(lb, lb->Width() - 10, lb->Height() - 5);
  EXPECT_EQ(lb->TopIndex(), 4);
  Type("item 1");  // type-ahead: first char 'i' moves to the next item starting with it
  EXPECT_EQ(lb->ItemIndex(), 1);
  lb->SetItemIndex(99);
  EXPECT_EQ(lb->ItemIndex(), -1);
  lb->Items().Clear();
  EXPECT_FALSE(lb->ScrollBarShowing());
  EXPECT_EQ(lb->TopIndex(), 0);
}

TEST_F(StdCtrls, ListBoxSelectionIsDrawnInHighlight) {
  auto* lb = Make<TListBox>(10, 10, 100, 60);
  lb->Items().Add("a");
  lb->Items().Add("b");
  lb->SetItemIndex(1);
  int ih = lb->ItemHeight();
  auto bmp = lb->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(90, 2 + ih + 1), Sys(clHighlight));
  EXPECT_EQ(bmp->GetPixel(90, 2 + 1), Sys(clWindow));
  EXPECT_EQ(bmp->GetPixel(90, 2 + 2 * ih), Sys(clWindow));
}

TEST_F(StdCtrls, ListBoxMultiSelectWithCtrlAndShift) {
  auto* lb = Make<TListBox>(10, 10, 120, 200);
  for (int i = 0; i < 8; ++i) lb->Items().Add(std::to_string(i));
  lb->SetMultiSelect(true);
  int ih = lb->ItemHeight();
  ClickAt(lb, 10, 2 + 1 * ih + 1);
  ClickAt(lb, 10, 2 + 4 * ih + 1, ssShift);
  EXPECT_EQ(lb->SelCount(), 4);
  ClickAt(lb, 10, 2 + 2 * ih + 1, ssCtrl);
  EXPECT_EQ(lb->SelCount(), 3);
  EXPECT_FALSE(lb->Selected(2));
  EXPECT_TRUE(lb->Selected(4));
}

// ---------------------------------------------------------------- TComboBox
TEST_F(StdCtrls, ComboDropDownListChoosesByMouse) {
  auto* cb = Make<TComboBox>(20, 30, 120, 21);
  cb->SetStyle(csDropDownList);
  for (const char* s : {"red", "green", "blue"}) cb->Items().Add(s);
  int changes = 0, selects = 0;
  cb->OnChange = [&](TObject*) { ++changes; };
  cb->OnSelect = [&](TObject*) { ++selects; };
  ClickAt(cb, 60, 10);
  ASSERT_TRUE(cb->DroppedDown());
  TListBox* l = cb->DropDownList();
  EXPECT_EQ(l->Parent(), form.get());
  EXPECT_EQ(l->Left(), 20);
  EXPECT_EQ(l->Top(), 51);
  EXPECT_EQ(l->Height(), 3 * l->ItemHeight() + 2);
  // Clicking the second line chooses "green" and closes the list.
  app->Click(form.get(), 40, 51 + 1 + l->ItemHeight() + 2);
  app->ProcessMessages();
  EXPECT_FALSE(cb->DroppedDown());
  EXPECT_EQ(cb->ItemIndex(), 1);
  EXPECT_EQ(cb->Text(), "green");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(selects, 1);
  EXPECT_TRUE(cb->Focused());
  // The keyboard: Down chooses the next item, Alt+Down opens, Escape closes without choosing.
  Key(VK_DOWN);
  EXPECT_EQ(cb->Text(), "blue");
  Key(VK_DOWN, ssAlt);
  EXPECT_TRUE(cb->DroppedDown());
  Key(VK_UP);
  Key(VK_ESCAPE);
  EXPECT_FALSE(cb->DroppedDown());
  EXPECT_EQ(cb->Text(), "blue");
  Key(VK_F4);
  Key(VK_UP);
  Key(VK_RETURN);
  EXPECT_EQ(cb->Text(), "green");
  EXPECT_EQ(changes, 3);
  Type("r");
  EXPECT_EQ(cb->Text(), "red");
  // csDropDownList does not take free text.
  Type("zz");
  EXPECT_EQ(cb->Text(), "red");
}

TEST_F(StdCtrls, ComboDropDownTakesFreeText) {
  auto* cb = Make<TComboBox>(20, 30, 120, 21);
  for (const char* s : {"one", "two"}) cb->Items().Add(s);
  cb->SetFocus();
  app->ProcessMessages();
  Type("tw");
  EXPECT_EQ(cb->ItemIndex(), -1);
  Type("o");
  EXPECT_EQ(cb->ItemIndex(), 1);
  Type("x");
  EXPECT_EQ(cb->Text(), "twox");
  EXPECT_EQ(cb->ItemIndex(), -1);
  cb->SetItemIndex(0);
  EXPECT_EQ(cb->Text(), "one");
  cb->Items().Clear();
  EXPECT_EQ(cb->ItemIndex(), -1);
  // Escape with the list closed is left to the form (a cancel button).
  auto* cancel = Make<TButton>(200, 200, 75, 25);
  cancel->SetCancel(true);
  int n = 0;
  cancel->OnClick = [&](TObject*) { ++n; };
  Key(VK_ESCAPE);
  EXPECT_EQ(n, 1);
}

TEST_F(StdCtrls, ComboButtonFacePixels) {
  auto* cb = Make<TComboBox>(20, 30, 120, 21);
  auto bmp = cb->PaintToBitmap();
  TRect br = cb->ButtonRect();
  EXPECT_EQ(br, Rect(101, 2, 118, 19));
  EXPECT_EQ(bmp->GetPixel(101, 2), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(117, 18), Sys(cl3DDkShadow));
  // The arrow: 7 pixels wide at its top row, centred in the face inside.
  int cx = (103 + 116) / 2, cy = (4 + 17) / 2;
  for (int x = cx - 3; x <= cx + 3; ++x) EXPECT_EQ(bmp->GetPixel(x, cy - 2), Sys(clBtnText)) << x;
  EXPECT_EQ(bmp->GetPixel(cx - 4, cy - 2), Sys(clBtnFace));
  EXPECT_EQ(bmp->GetPixel(cx, cy + 1), Sys(clBtnText));
  EXPECT_EQ(bmp->GetPixel(cx + 1, cy + 1), Sys(clBtnFace));
}

// ---------------------------------------------------------------- TSpeedButton
TEST_F(StdCtrls, SpeedButtonGroupsAndAllowAllUp) {
  auto* a = Make<TSpeedButton>(10, 10, 23, 22);
  auto* b = Make<TSpeedButton>(35, 10, 23, 22);
  auto* solo = Make<TSpeedButton>(60, 10, 23, 22);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  solo->SetDown(true);
  EXPECT_FALSE(solo->Down());  // no group, never stays down
  ClickAt(a, 5, 5);
  EXPECT_TRUE(a->Down());
  ClickAt(b, 5, 5);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  ClickAt(b, 5, 5);
  EXPECT_TRUE(b->Down());  // without AllowAllUp one stays down
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());
  ClickAt(b, 5, 5);
  EXPECT_FALSE(b->Down());
  a->SetDown(true);
  auto bmp = a->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 0), Sys(clBtnShadow));
  EXPECT_EQ(bmp->GetPixel(22, 21), Sys(clBtnHighlight));
  bmp = b->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 0), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(22, 21), Sys(clBtnShadow));
}

TEST_F(StdCtrls, SpeedButtonGlyphIsCentredAndTransparent) {
  auto* s = Make<TSpeedButton>(10, 10, 23, 22);
  TBitmap g(5, 4);
  g.Canvas().Brush().SetColor(clFuchsia);
  g.Canvas().FillRect(Rect(0, 0, 5, 4));
  g.Canvas().SetPixel(2, 1, clRed);
  s->SetGlyph(g);
  auto bmp = s->PaintToBitmap();
  // Glyph at ((23 - 5) / 2, (22 - 4) / 2) = (9, 9).
  EXPECT_EQ(bmp->GetPixel(11, 10), clRed);
  EXPECT_EQ(bmp->GetPixel(10, 10), Sys(clBtnFace));
}

// ---------------------------------------------------------------- TScrollBar
TEST_F(StdCtrls, ScrollBarArrowsPagesAndThumb) {
  auto* sb = Make<TScrollBar>(10, 10, 200, 17);
  sb->SetParams(0, 0, 100);
  sb->SetPageSize(10);
  sb->SetLargeChange(10);
  int changes = 0;
  sb->OnChange = [&](TObject*) { ++changes; };
  ClickAt(sb, 195, 8);  // right arrow
  EXPECT_EQ(sb->Position(), 1);
  ClickAt(sb, 150, 8);  // track right of the thumb
  EXPECT_EQ(sb->Position(), 11);
  EXPECT_EQ(changes, 2);
  sb->SetPosition(1000);
  EXPECT_EQ(sb->Position(), 91);  // Max - Page + 1
  // Dragging the thumb to the start of the track.
  TScrollBarState st;
  st.Kind = sbHorizontal;
  st.Min = 0;
  st.Max = 100;
  st.Page = 10;
  st.Position = 91;
  TRect t = st.ThumbRect(Rect(0, 0, 200, 17));
  EXPECT_EQ(t.Right, 200 - 17);
  EXPECT_EQ(t.Width(), 166 * 10 / 101);
  TPoint p = sb->ClientToParent(Point(t.Left + 2, 8), form.get());
  app->PostMouseDown(form.get(), mbLeft, 0, p.X, p.Y);
  app->PostMouseMove(form.get(), ssLeft, p.X - 500, p.Y);
  app->PostMouseUp(form.get(), mbLeft, 0, p.X - 500, p.Y);
  app->ProcessMessages();
  EXPECT_EQ(sb->Position(), 0);
}

// ---------------------------------------------------------------- TDateTimePicker
TEST(DatePattern, MatchesPythonStrftime) {
  std::ifstream in(std::string(ZOL_TEST_SRC_DIR) + "/data/datepattern_ref.txt");
  ASSERT_TRUE(in.good());
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    std::istringstream ss(line);
    std::string serial, pattern, expected;
    std::getline(ss, serial, '\t');
    std::getline(ss, pattern, '\t');
    std::getline(ss, expected);
    EXPECT_EQ(FormatDatePattern(pattern, std::stod(serial)), expected) << serial << " " << pattern;
    ++n;
  }
  EXPECT_GT(n, 100);
}

TEST_F(StdCtrls, DateTimePickerStepsFieldsAndTypesDigits) {
  auto* d = Make<TDateTimePicker>(10, 10, 186, 21);
  d->SetDate(EncodeDate(2024, 1, 31));
  EXPECT_EQ(d->Text(), "2024-01-31");
  int changes = 0;
  d->OnChange = [&](TObject*) { ++changes; };
  d->SetFocus();
  app->ProcessMessages();
  Key(VK_RIGHT);  // month
  Key(VK_UP);
  EXPECT_EQ(d->Text(), "2024-02-29");  // the day is clamped to February
  Key(VK_RIGHT);  // day
  Key(VK_UP);
  EXPECT_EQ(d->Text(), "2024-02-01");  // wraps inside the month
  Key(VK_DOWN);
  EXPECT_EQ(d->Text(), "2024-02-29");
  Key(VK_HOME);
  Type("1999");
  EXPECT_EQ(d->Text(), "1999-02-28");
  EXPECT_EQ(d->FieldIndex(), 1);
  Type("07");
  Type("4");
  EXPECT_EQ(d->Text(), "1999-07-04");
  EXPECT_EQ(changes, 9);
  d->SetFormat("d MMMM yyyy");
  EXPECT_EQ(d->Text(), "4 July 1999");
  d->SetMaxDate(EncodeDate(1999, 7, 1));
  EXPECT_EQ(d->Text(), "1 July 1999");
  d->SetMaxDate(0);
  d->SetKind(dtkTime);
  d->SetFormat("");
  d->SetTime(EncodeTime(13, 5, 9, 0));
  EXPECT_EQ(d->Text(), "13:05:09");
}

}  // namespace
