// Controls: bounds and coordinates, parent/child lists, alignment, font and
// hint inheritance, window creation, repainting and composition, teardown.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_menus.h"

using namespace zol;

namespace {

// A windowed control that counts window creation and paints a solid colour.
class TSwatch : public TCustomControl {
 public:
  explicit TSwatch(TComponent* AOwner, TColor fill = clRed) : TCustomControl(AOwner), Fill(fill) {}
  int Created = 0;
  TColor Fill;

 protected:
  void CreateWnd() override {
    TCustomControl::CreateWnd();
    ++Created;
  }
  void Paint() override {
    Canvas().Brush().SetColor(Fill);
    Canvas().FillRect(Rect(0, 0, Width(), Height()));
  }
};

// A graphic control that draws only a one-pixel frame: the inside shows the parent.
class TFrameOnly : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    Canvas().Brush().SetColor(clBlue);
    Canvas().FrameRect(Rect(0, 0, Width(), Height()));
  }
};

class Controls : public ::testing::Test {
 protected:
  void SetUp() override { Application()->ResetHeadless(); }
  void TearDown() override { Application()->ResetHeadless(); }
};

// ---------------------------------------------------------------- bounds
TEST_F(Controls, BoundsClientAreaAndResizeEvents) {
  TForm form(nullptr);
  auto* c = new TCustomControl(&form);
  int resized = 0;
  c->OnResize = [&](TObject*) { ++resized; };
  c->SetBounds(5, 6, 40, 30);
  EXPECT_EQ(c->BoundsRect(), Rect(5, 6, 45, 36));
  EXPECT_EQ(c->ClientRect(), Rect(0, 0, 40, 30));
  EXPECT_EQ(resized, 1);
  c->SetLeft(7);  // a move is not a resize
  c->SetTop(8);
  EXPECT_EQ(resized, 1);
  c->SetWidth(41);
  c->SetClientHeight(31);
  EXPECT_EQ(resized, 3);
  c->SetBounds(7, 8, 41, 31);  // unchanged: nothing
  EXPECT_EQ(resized, 3);
  c->SetBounds(0, 0, -5, -1);
  EXPECT_EQ(c->Width(), 0);
  EXPECT_EQ(c->Height(), 0);
  EXPECT_EQ(c->ClientWidth(), 0);
}

TEST_F(Controls, CoordinatesThroughNestedParents) {
  TForm form(nullptr);
  form.SetBounds(100, 200, 400, 300);
  auto* panel = new TCustomControl(&form);
  panel->SetParent(&form);
  panel->SetBounds(10, 20, 200, 100);
  auto* g = new TGraphicControl(&form);
  g->SetParent(panel);
  g->SetBounds(3, 4, 10, 10);
  EXPECT_EQ(g->ClientOrigin(), Point(113, 224));
  EXPECT_EQ(g->ClientToScreen(Point(1, 1)), Point(114, 225));
  EXPECT_EQ(g->ScreenToClient(Point(113, 224)), Point(0, 0));
  EXPECT_EQ(g->ClientToParent(Point(0, 0), &form), Point(13, 24));
}

// ---------------------------------------------------------------- parent lists
TEST_F(Controls, ParentChildListsAndOrder) {
  TForm form(nullptr);
  auto* p1 = new TCustomControl(&form);
  auto* p2 = new TCustomControl(&form);
  auto* g = new TGraphicControl(&form);
  p1->SetParent(&form);
  p2->SetParent(&form);
  g->SetParent(p1);
  EXPECT_EQ(form.ControlCount(), 2);
  EXPECT_EQ(form.Controls(0), p1);
  EXPECT_EQ(form.Controls(5), nullptr);
  EXPECT_TRUE(form.ContainsControl(g));
  g->SetParent(p2);  // moving leaves the old list
  EXPECT_EQ(p1->ControlCount(), 0);
  EXPECT_EQ(p2->Controls(0), g);
  EXPECT_FALSE(p1->ContainsControl(g));
  p1->BringToFront();
  EXPECT_EQ(form.Controls(1), p1);
  p1->SendToBack();
  EXPECT_EQ(form.Controls(0), p1);
  EXPECT_THROW(form.SetParent(p1), EInvalidOperation) << "a parent inside its own child";
  EXPECT_THROW(p1->SetParent(p1), EInvalidOperation);
  g->SetParent(nullptr);
  EXPECT_EQ(p2->ControlCount(), 0);
  EXPECT_EQ(g->Parent(), nullptr);
}

TEST_F(Controls, ControlAtPosSkipsHiddenAndDisabled) {
  TForm form(nullptr);
  auto* back = new TCustomControl(&form);
  back->SetParent(&form);
  back->SetBounds(0, 0, 100, 100);
  auto* front = new TCustomControl(&form);
  front->SetParent(&form);
  front->SetBounds(50, 50, 100, 100);
  auto* g = new TGraphicControl(&form);
  g->SetParent(&form);
  g->SetBounds(60, 60, 10, 10);  // below both windowed siblings
  EXPECT_EQ(form.ControlAtPos(Point(60, 60)), front);
  EXPECT_EQ(form.ControlAtPos(Point(49, 49)), back);
  EXPECT_EQ(form.ControlAtPos(Point(100, 100)), front) << "Right/Bottom are exclusive";
  EXPECT_EQ(form.ControlAtPos(Point(150, 150)), nullptr);
  front->SetEnabled(false);
  EXPECT_EQ(form.ControlAtPos(Point(60, 60)), back);
  EXPECT_EQ(form.ControlAtPos(Point(60, 60), true), front);
  back->Hide();
  EXPECT_EQ(form.ControlAtPos(Point(60, 60)), g);
}

TEST_F(Controls, AlignmentLaysOutChildrenAndFollowsResize) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto make = [&](TAlign a, int w, int h) {
    auto* c = new TCustomControl(&form);
    c->SetBounds(0, 0, w, h);
    c->SetParent(&form);
    c->SetAlign(a);
    return c;
  };
  TCustomControl* top = make(alTop, 10, 20);
  TCustomControl* bottom = make(alBottom, 10, 30);
  TCustomControl* left = make(alLeft, 40, 10);
  TCustomControl* right = make(alRight, 50, 10);
  TCustomControl* client = make(alClient, 1, 1);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 20));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 170, 300, 200));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 20, 40, 170));
  EXPECT_EQ(right->BoundsRect(), Rect(250, 20, 300, 170));
  EXPECT_EQ(client->BoundsRect(), Rect(40, 20, 250, 170));
  form.SetBounds(0, 0, 200, 100);
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 70, 200, 100));
  EXPECT_EQ(client->BoundsRect(), Rect(40, 20, 150, 70));
  top->Hide();  // a hidden aligned control gives its space away
  EXPECT_EQ(client->BoundsRect(), Rect(40, 0, 150, 70));
  top->SetHeight(5);
  top->Show();
  EXPECT_EQ(client->BoundsRect(), Rect(40, 5, 150, 70));
  form.SetBounds(0, 0, 60, 30);  // too small: sizes stop at 0
  EXPECT_EQ(client->Width(), 0);
  EXPECT_GE(client->Height(), 0);
}

// ---------------------------------------------------------------- inherited properties
TEST_F(Controls, ParentFontUntilTheControlsOwnFontChanges) {
  TForm form(nullptr);
  auto* panel = new TCustomControl(&form);
  panel->SetParent(&form);
  auto* label = new TGraphicControl(&form);
  label->SetParent(panel);
  EXPECT_TRUE(label->ParentFont());
  form.Font().SetName("Courier New");
  form.Font().SetSize(14);
  EXPECT_EQ(panel->Font().Name(), "Courier New");
  EXPECT_EQ(label->Font().Size(), 14) << "through two levels";
  label->Font().SetColor(clRed);  // its own change: no longer follows
  EXPECT_FALSE(label->ParentFont());
  form.Font().SetSize(20);
  EXPECT_EQ(panel->Font().Size(), 20);
  EXPECT_EQ(label->Font().Size(), 14);
  label->SetParentFont(true);
  EXPECT_EQ(label->Font().Size(), 20);
  // A control put on a parent takes the parent's font.
  auto* late = new TGraphicControl(&form);
  late->SetParent(&form);
  EXPECT_EQ(late->Font().Name(), "Courier New");
}

TEST_F(Controls, ParentColorAndShowHint) {
  TForm form(nullptr);
  auto* c = new TCustomControl(&form);
  c->SetParent(&form);
  c->SetParentColor(true);
  form.SetColor(clYellow);
  EXPECT_EQ(c->Color(), clYellow);
  c->SetColor(clAqua);
  EXPECT_FALSE(c->ParentColor());
  form.SetColor(clWhite);
  EXPECT_EQ(c->Color(), clAqua);

  EXPECT_FALSE(c->ShowHint());
  form.SetShowHint(true);
  EXPECT_TRUE(c->ShowHint()) << "ParentShowHint follows the parent";
  c->SetShowHint(false);
  EXPECT_FALSE(c->ParentShowHint());
  EXPECT_FALSE(c->ShowHint());
}

// ---------------------------------------------------------------- windows
TEST_F(Controls, WindowIsCreatedOnceWhenShowing) {
  TForm form(nullptr);
  auto* a = new TSwatch(&form);
  a->SetParent(&form);
  EXPECT_FALSE(a->HandleAllocated()) << "the form is not shown yet";
  auto* hidden = new TSwatch(&form);
  hidden->Hide();
  hidden->SetParent(&form);
  form.Show();
  EXPECT_TRUE(form.HandleAllocated());
  EXPECT_EQ(a->Created, 1);
  EXPECT_EQ(hidden->Created, 0);
  hidden->Show();
  EXPECT_EQ(hidden->Created, 1);
  auto* late = new TSwatch(&form);
  late->SetParent(&form);  // a parent that is showing
  EXPECT_EQ(late->Created, 1);
  form.Hide();
  form.Show();
  late->SetParent(nullptr);
  late->SetParent(&form);
  EXPECT_EQ(a->Created, 1);
  EXPECT_EQ(late->Created, 1);

  // HandleNeeded creates the parents' windows first.
  TForm other(nullptr);
  auto* outer = new TSwatch(&other);
  outer->SetParent(&other);
  auto* inner = new TSwatch(&other);
  inner->SetParent(outer);
  inner->HandleNeeded();
  EXPECT_TRUE(other.HandleAllocated());
  EXPECT_EQ(outer->Created, 1);
  EXPECT_EQ(inner->Created, 1);
}

TEST_F(Controls, AParentlessControlIsAWindowOnceItsWindowExists) {
  TApplication* app = Application();
  auto top = std::make_unique<TSwatch>(nullptr);
  top->SetBounds(0, 0, 50, 40);
  auto* kid = new TSwatch(top.get());
  kid->SetParent(top.get());
  kid->SetBounds(10, 10, 10, 10);
  int clicks = 0;
  kid->OnClick = [&](TObject*) { ++clicks; };
  app->Click(top.get(), 12, 12);
  app->ProcessMessages();
  EXPECT_EQ(clicks, 0) << "no window yet: input is dropped";
  EXPECT_FALSE(top->Showing());
  top->HandleNeeded();
  EXPECT_TRUE(top->Showing());
  EXPECT_EQ(kid->Created, 1) << "the children's windows follow";
  app->Click(top.get(), 12, 12);
  app->ProcessMessages();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(top->PaintCount(), 1);
  EXPECT_EQ(kid->PaintCount(), 1);
  kid->SetFocus();
  EXPECT_TRUE(kid->Focused());
  top->Hide();
  EXPECT_FALSE(kid->Focused());
}

// ---------------------------------------------------------------- repainting
TEST_F(Controls, InvalidateRepaintsOnceOnTheNextProcessMessages) {
  TApplication* app = Application();
  TForm form(nullptr);
  auto* a = new TSwatch(&form);
  a->SetParent(&form);
  a->SetBounds(0, 0, 20, 20);
  auto* g = new TFrameOnly(&form);
  g->SetParent(a);
  g->SetBounds(2, 2, 5, 5);
  EXPECT_EQ(a->PaintCount(), 0);
  app->ProcessMessages();
  EXPECT_EQ(a->PaintCount(), 0) << "not showing: nothing painted";
  form.Show();
  app->ProcessMessages();
  EXPECT_EQ(a->PaintCount(), 1);
  EXPECT_EQ(g->PaintCount(), 1);
  int formPaints = form.PaintCount();
  app->ProcessMessages();
  EXPECT_EQ(a->PaintCount(), 1) << "nothing invalid: no paint";
  a->Invalidate();
  a->Invalidate();
  a->Refresh();  // paints now
  EXPECT_EQ(a->PaintCount(), 2);
  a->Invalidate();
  a->Invalidate();
  EXPECT_TRUE(a->NeedsPaint());
  app->ProcessMessages();
  EXPECT_EQ(a->PaintCount(), 3) << "two requests, one paint";
  EXPECT_EQ(g->PaintCount(), 3) << "a graphic child is painted again with its parent";
  EXPECT_EQ(form.PaintCount(), formPaints);
  g->Invalidate();
  app->ProcessMessages();
  EXPECT_EQ(g->PaintCount(), 4);
  EXPECT_EQ(a->PaintCount(), 3);
  a->Hide();
  a->Invalidate();
  app->ProcessMessages();
  EXPECT_EQ(a->PaintCount(), 3) << "hidden: stays invalid";
  a->Show();
  app->ProcessMessages();
  EXPECT_EQ(a->PaintCount(), 4);
  // Property setters repaint.
  a->SetColor(clGreen);
  a->SetBounds(0, 0, 21, 20);
  app->ProcessMessages();
  EXPECT_EQ(a->PaintCount(), 5);
}

TEST_F(Controls, PaintToBitmapComposesChildrenInOrder) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 40, 30);
  form.SetColor(clWhite);
  auto* red = new TSwatch(&form, clRed);
  red->SetParent(&form);
  red->SetBounds(5, 5, 10, 10);
  auto* green = new TSwatch(&form, clLime);
  green->SetParent(&form);
  green->SetBounds(10, 10, 10, 10);  // over red
  auto* off = new TSwatch(&form, clBlue);
  off->SetParent(&form);
  off->SetBounds(35, 25, 20, 20);  // cut at the form's edge
  auto* frame = new TFrameOnly(&form);
  frame->SetParent(red);
  frame->SetBounds(1, 1, 6, 6);
  auto* gone = new TSwatch(&form, clBlack);
  gone->SetParent(&form);
  gone->SetBounds(0, 20, 5, 5);
  gone->Hide();

  std::unique_ptr<TBitmap> bmp = form.PaintToBitmap();
  ASSERT_EQ(bmp->Width(), 40);
  ASSERT_EQ(bmp->Height(), 30);
  EXPECT_EQ(bmp->GetPixel(0, 0), clWhite);
  EXPECT_EQ(bmp->GetPixel(5, 5), clRed);
  EXPECT_EQ(bmp->GetPixel(14, 14), clLime) << "the later sibling paints on top";
  EXPECT_EQ(bmp->GetPixel(19, 19), clLime);
  EXPECT_EQ(bmp->GetPixel(20, 20), clWhite);
  EXPECT_EQ(bmp->GetPixel(39, 29), clBlue);
  EXPECT_EQ(bmp->GetPixel(6, 6), clBlue) << "frame of the graphic control";
  EXPECT_EQ(bmp->GetPixel(8, 8), clRed) << "inside the frame the parent shows through";
  EXPECT_EQ(bmp->GetPixel(2, 22), clWhite) << "hidden controls are not drawn";

  // PaintTo draws the same picture at an offset.
  TBitmap target(50, 40);
  target.Canvas().Brush().SetColor(clBlack);
  target.Canvas().FillRect(Rect(0, 0, 50, 40));
  green->PaintTo(target.Canvas(), 3, 4);
  EXPECT_EQ(target.GetPixel(3, 4), clLime);
  EXPECT_EQ(target.GetPixel(12, 13), clLime);
  EXPECT_EQ(target.GetPixel(13, 14), clBlack);
  EXPECT_EQ(target.GetPixel(2, 4), clBlack);
}

TEST_F(Controls, OnPaintDrawsOnTheControlsCanvas) {
  TForm form(nullptr);
  auto* c = new TCustomControl(&form);
  c->SetParent(&form);
  c->SetBounds(0, 0, 8, 8);
  c->SetColor(clSilver);
  c->OnPaint = [c](TObject*) {
    c->Canvas().Pen().SetColor(clRed);
    c->Canvas().MoveTo(0, 0);
    c->Canvas().LineTo(8, 0);
  };
  auto bmp = c->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(3, 0), clRed);
  EXPECT_EQ(bmp->GetPixel(3, 3), clSilver) << "the background is erased with Color";
  EXPECT_TRUE(c->HandleAllocated()) << "painting needs the window";
}

// ---------------------------------------------------------------- teardown
TEST_F(Controls, OwnerAndParentTeardown) {
  auto form = std::make_unique<TForm>(nullptr);
  auto* panel = new TCustomControl(form.get());
  panel->SetParent(form.get());
  auto* child = new TCustomControl(form.get());
  child->SetParent(panel);
  auto* sibling = new TGraphicControl(form.get());
  sibling->SetParent(panel);
  // A control freed early leaves its parent's list and its owner's.
  int owned = form->ComponentCount();
  delete child;
  EXPECT_EQ(panel->ControlCount(), 1);
  EXPECT_EQ(form->ComponentCount(), owned - 1);
  // A parent freed before its children: they lose their parent, their owner frees them.
  delete panel;
  EXPECT_EQ(sibling->Parent(), nullptr);
  EXPECT_EQ(form->ControlCount(), 0);
  // A child the caller holds outlives the form it sat on.
  auto mine = std::make_unique<TCustomControl>(nullptr);
  mine->SetParent(form.get());
  auto menu = std::make_unique<TPopupMenu>(nullptr);
  mine->SetPopupMenu(menu.get());
  menu.reset();
  EXPECT_EQ(mine->PopupMenu(), nullptr) << "a freed menu is forgotten";
  form.reset();  // frees sibling too
  EXPECT_EQ(mine->Parent(), nullptr);
  mine->SetParent(nullptr);
}

TEST_F(Controls, FormsRegisterWithTheScreen) {
  int before = Screen()->FormCount();
  {
    TForm f(nullptr);
    EXPECT_EQ(Screen()->FormCount(), before + 1);
    EXPECT_EQ(Screen()->Forms(before), &f);
    EXPECT_FALSE(f.Visible()) << "forms start hidden";
    EXPECT_EQ(f.Width(), 320);
  }
  EXPECT_EQ(Screen()->FormCount(), before);
}

}  // namespace
