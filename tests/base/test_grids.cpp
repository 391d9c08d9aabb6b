// The drawing grid: geometry, lines, navigation, selection, scrolling,
// column sizing and the in-place editor, driven through the headless host.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/HostFormTest.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_grids.h"

using namespace zol;

namespace {

TColor Sys(TColor c) { return ColorToRGB(c); }

int TextW(TControl* c, const std::string& s) {
  TBitmap b(1, 1);
  b.Canvas().Font().Assign(c->Font());
  return b.Canvas().TextWidth(s);
}
int TextH(TControl* c) {
  TBitmap b(1, 1);
  b.Canvas().Font().Assign(c->Font());
  return b.Canvas().TextHeight("Ag");
}

class Grid : public HostFormTest {
 protected:
  Grid() : HostFormTest(600, 400) {}
  void SetUp() override {
    HostFormTest::SetUp();
    g = new TStringGrid(form.get());
    g->SetParent(form.get());
    g->SetBounds(10, 10, 300, 150);
  }
  // A click at a grid point (control coordinates).
  void ClickAt(int x, int y, TShiftState s = 0) {
    app->Click(form.get(), 10 + x, 10 + y, mbLeft, s);
    app->ProcessMessages();
  }
  void Focus() {
    g->SetFocus();
    app->ProcessMessages();
  }
  TStringGrid* g = nullptr;
};

TEST_F(Grid, CellGeometryAndHitTest) {
  EXPECT_EQ(g->ColCount(), 5);
  EXPECT_EQ(g->RowCount(), 5);
  EXPECT_EQ(g->DefaultColWidth(), 64);
  EXPECT_EQ(g->DefaultRowHeight(), 24);
  EXPECT_EQ(g->CellRect(0, 0), Rect(2, 2, 66, 26));
  EXPECT_EQ(g->CellRect(1, 1), Rect(67, 27, 131, 51));
  EXPECT_EQ(g->CellRect(2, 3), Rect(132, 77, 196, 101));
  int c, r;
  ASSERT_TRUE(g->MouseToCell(70, 30, c, r));
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 1);
  ASSERT_TRUE(g->MouseToCell(66, 26, c, r));  // the line belongs to the cell before it
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);
  EXPECT_FALSE(g->MouseToCell(1, 1, c, r));  // the border
  EXPECT_EQ(c, -1);
  // A column of width 0 takes no space.
  g->SetColWidths(1, 0);
  EXPECT_EQ(g->CellRect(2, 1), Rect(67, 27, 131, 51));
  ASSERT_TRUE(g->MouseToCell(70, 30, c, r));
  EXPECT_EQ(c, 2);
  // Out of range: empty answers.
  EXPECT_TRUE(g->CellRect(9, 0).IsEmpty());
  EXPECT_EQ(g->ColWidths(-1), 0);
  EXPECT_EQ(g->Cells(7, 7), "");
  g->SetCells(7, 7, "ignored");
  EXPECT_THROW(g->SetFixedCols(5), EInvalidGridOperation);
}

TEST_F(Grid, LinesFixedCellsAndSelectionPixels) {
  g->SetScrollBars(ssNone);
  g->SetOptions(g->Options() | goDrawFocusSelected);
  auto bmp = g->PaintToBitmap();
  // Fixed lines clWindowFrame, the others clSilver; the crossing pixel goes with the horizontal line.
  EXPECT_EQ(bmp->GetPixel(66, 10), Sys(clWindowFrame));
  EXPECT_EQ(bmp->GetPixel(30, 26), Sys(clWindowFrame));
  EXPECT_EQ(bmp->GetPixel(66, 26), Sys(clWindowFrame));
  EXPECT_EQ(bmp->GetPixel(131, 100), Sys(clSilver));
  EXPECT_EQ(bmp->GetPixel(100, 76), Sys(clSilver));
  // Fixed cells: highlight edge, then the fixed colour.
  EXPECT_EQ(bmp->GetPixel(2, 10), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(10, 2), Sys(clBtnHighlight));
  EXPECT_EQ(bmp->GetPixel(3, 3), Sys(clBtnFace));
  // The current cell (1, 1), drawn selected with goDrawFocusSelected; the others in the window colour.
  EXPECT_EQ(bmp->GetPixel(100, 40), Sys(clHighlight));
  EXPECT_EQ(bmp->GetPixel(150, 40), Sys(clWindow));
  // Without the options the lines keep the background.
  g->SetOptions(goFixedVertLine | goFixedHorzLine);
  bmp = g->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(131, 100), Sys(clWindow));
  EXPECT_EQ(bmp->GetPixel(66, 10), Sys(clWindowFrame));
}

TEST_F(Grid, StringGridDrawsTextAtItsOffset) {
  g->SetScrollBars(ssNone);
  g->SetCells(2, 2, "I");
  g->Font().SetColor(clRed);
  auto bmp = g->PaintToBitmap();
  TRect r = g->CellRect(2, 2);
  // Text pixels inside the cell, none left of or above the text origin.
  bool red = false;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (bmp->GetPixel(x, y) != Sys(clWindow)) {
        red = true;
        EXPECT_GE(x, r.Left + 2);
        EXPECT_GE(y, r.Top + 2);
      }
  EXPECT_TRUE(red);
}

TEST_F(Grid, KeyboardNavigationAndScrolling) {
  g->SetRowCount(30);
  g->SetColCount(10);
  int topChanges = 0;
  g->OnTopLeftChanged = [&](TObject*) { ++topChanges; };
  Focus();
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 1);
  Key(VK_UP);
  Key(VK_LEFT);
  EXPECT_EQ(g->Col(), 1);  // fixed cells are never current
  EXPECT_EQ(g->Row(), 1);
  Key(VK_DOWN);
  Key(VK_RIGHT);
  EXPECT_EQ(g->Col(), 2);
  EXPECT_EQ(g->Row(), 2);
  Key(VK_END);
  EXPECT_EQ(g->Col(), 9);
  EXPECT_GT(g->LeftCol(), 1);
  Key(VK_HOME);
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->LeftCol(), 1);
  Key(VK_END, ssCtrl);
  EXPECT_EQ(g->Row(), 29);
  EXPECT_EQ(g->Col(), 9);
  // The last row is wholly visible.
  TRect r = g->CellRect(9, 29);
  ASSERT_FALSE(r.IsEmpty());
  EXPECT_LE(r.Bottom, 150 - 2 - 17);
  Key(VK_HOME, ssCtrl);
  EXPECT_EQ(g->TopRow(), 1);
  int vis = g->VisibleRowCount();
  EXPECT_EQ(vis, (150 - 4 - 17 - 25) / 25);
  Key(VK_NEXT);
  EXPECT_EQ(g->Row(), 1 + vis);
  EXPECT_EQ(g->TopRow(), 1 + vis);
  EXPECT_GT(topChanges, 3);
  // Tab moves only with goTabs; it wraps to the next row.
  g->SetOptions(g->Options() | goTabs);
  Key(VK_END);
  Key(VK_TAB);
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 2 + vis);
  Key(VK_TAB, ssShift);
  EXPECT_EQ(g->Col(), 9);
  EXPECT_EQ(g->Row(), 1 + vis);
}

TEST_F(Grid, ShiftArrowsAndMouseSelectRanges) {
  Focus();
  Key(VK_RIGHT, ssShift);
  Key(VK_DOWN, ssShift);
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 2}));
  ClickAt(100, 80);  // cell (1, 3)
  EXPECT_EQ(g->Selection(), (TGridRect{1, 3, 1, 3}));
  ClickAt(150, 30, ssShift);  // cell (2, 1)
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 3}));
  // Drag from (3, 1) to (4, 2).
  app->PostMouseDown(form.get(), mbLeft, 0, 10 + 200, 10 + 30);
  app->PostMouseMove(form.get(), ssLeft, 10 + 270, 10 + 60);
  app->PostMouseUp(form.get(), mbLeft, 0, 10 + 270, 10 + 60);
  app->ProcessMessages();
  EXPECT_EQ(g->Selection(), (TGridRect{3, 1, 4, 2}));
  EXPECT_EQ(g->Col(), 4);
  // Row selection spans every scrollable column.
  g->SetOptions(g->Options() | goRowSelect);
  ClickAt(100, 55);
  EXPECT_EQ(g->Selection(), (TGridRect{1, 2, 4, 2}));
  // Without range selection Shift moves the single cell.
  g->SetOptions(goFixedVertLine | goFixedHorzLine);
  Key(VK_DOWN, ssShift);
  EXPECT_EQ(g->Selection(), (TGridRect{g->Col(), 3, g->Col(), 3}));
}

TEST_F(Grid, SelectCellVetoesAMove) {
  g->OnSelectCell = [](TObject*, int c, int, bool& can) { can = c != 3; };
  Focus();
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  EXPECT_EQ(g->Col(), 2);
  ClickAt(230, 30);  // cell (3, 1)
  EXPECT_EQ(g->Col(), 2);
}

TEST_F(Grid, ScrollBarsAndWheel) {
  g->SetRowCount(40);
  ASSERT_FALSE(g->VertScrollBarRect().IsEmpty());
  TRect vb = g->VertScrollBarRect();
  EXPECT_EQ(vb.Right, 298);
  EXPECT_EQ(vb.Width(), 17);
  // The down arrow.
  ClickAt(vb.Left + 8, vb.Bottom - 5);
  EXPECT_EQ(g->TopRow(), 2);
  app->PostMouseWheel(form.get(), 0, -WHEEL_DELTA, 60, 60);
  app->ProcessMessages();
  EXPECT_EQ(g->TopRow(), 5);
  g->SetTopRow(1000);
  int maxTop = g->TopRow();
  EXPECT_EQ(g->CellRect(1, 39).IsEmpty(), false);
  EXPECT_EQ(maxTop + g->VisibleRowCount() - 1, 39);
  // Shrinking the grid keeps the current cell and the top row inside it.
  g->SetRow(30);
  g->SetRowCount(10);
  EXPECT_EQ(g->Row(), 9);
  EXPECT_LE(g->TopRow(), 9);
}

TEST_F(Grid, ColumnSizingByDraggingTheHeaderLine) {
  g->SetOptions(g->Options() | goColSizing);
  int line = g->CellRect(1, 0).Right;  // 131
  app->PostMouseDown(form.get(), mbLeft, 0, 10 + line, 10 + 10);
  app->PostMouseMove(form.get(), ssLeft, 10 + line + 20, 10 + 10);
  app->PostMouseUp(form.get(), mbLeft, 0, 10 + line + 20, 10 + 10);
  app->ProcessMessages();
  EXPECT_EQ(g->ColWidths(1), 84);
  EXPECT_EQ(g->CellRect(2, 1).Left, 67 + 84 + 1);
  // Without the option the same drag does not size.
  g->SetOptions(g->Options() & ~goColSizing);
  app->PostMouseDown(form.get(), mbLeft, 0, 10 + 151, 10 + 10);
  app->PostMouseMove(form.get(), ssLeft, 10 + 171, 10 + 10);
  app->PostMouseUp(form.get(), mbLeft, 0, 10 + 171, 10 + 10);
  app->ProcessMessages();
  EXPECT_EQ(g->ColWidths(1), 84);
}

TEST_F(Grid, InPlaceEditorCommitsAndCancels) {
  g->SetOptions(g->Options() | goEditing);
  g->SetCells(1, 1, "old");
  std::vector<std::string> stored;
  g->OnSetEditText = [&](TObject*, int c, int r, const std::string& v) {
    stored.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + v);
  };
  Focus();
  Key(VK_F2);
  ASSERT_TRUE(g->EditorMode());
  TCustomEdit* ed = g->InplaceEditor();
  EXPECT_EQ(ed->Text(), "old");
  EXPECT_EQ(ed->BoundsRect(), g->CellRect(1, 1));
  EXPECT_TRUE(ed->Focused());
  Key(VK_END);
  Type("er");
  Key(VK_RETURN);
  EXPECT_FALSE(g->EditorMode());
  EXPECT_TRUE(g->Focused());
  EXPECT_EQ(g->Cells(1, 1), "older");
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0], "1,1=older");
  // Escape restores.
  Key(VK_RETURN);
  ASSERT_TRUE(g->EditorMode());
  Type("zzz");
  Key(VK_ESCAPE);
  EXPECT_FALSE(g->EditorMode());
  EXPECT_EQ(g->Cells(1, 1), "older");
  EXPECT_EQ(stored.size(), 1u);
  // Typing a character opens the editor with that character; Down stores and moves.
  Type("7");
  ASSERT_TRUE(g->EditorMode());
  Type("5");
  Key(VK_DOWN);
  EXPECT_EQ(g->Cells(1, 1), "75");
  EXPECT_EQ(g->Row(), 2);
  EXPECT_FALSE(g->EditorMode());
  // A click on the current cell opens the editor, a click elsewhere stores it.
  ClickAt(100, 55);  // (1, 2), already current
  ASSERT_TRUE(g->EditorMode());
  Type("x");
  ClickAt(150, 80);  // (2, 3)
  EXPECT_FALSE(g->EditorMode());
  EXPECT_EQ(g->Cells(1, 2), "x");
  EXPECT_EQ(g->Col(), 2);
  EXPECT_EQ(g->Row(), 3);
  // Escape after the editor closed reaches the form (no editor to cancel).
  EXPECT_EQ(stored.size(), 3u);
}

TEST_F(Grid, EditorCaretPixelsAndGetEditText) {
  g->SetOptions(g->Options() | goEditing);
  g->SetCells(1, 1, "12");
  g->OnGetEditText = [](TObject*, int, int, std::string& v) { v += "3"; };
  Focus();
  Key(VK_F2);
  ASSERT_TRUE(g->EditorMode());
  EXPECT_EQ(g->InplaceEditor()->Text(), "123");
  Key(VK_END);
  TRect cr = g->CellRect(1, 1);
  int th = TextH(g);
  int x = cr.Left + 1 + TextW(g, "123");
  int y0 = cr.Top + (cr.Height() - th) / 2;
  auto bmp = g->PaintToBitmap();
  for (int y = y0; y < y0 + th; ++y) EXPECT_EQ(bmp->GetPixel(x, y), Sys(clWindowText)) << y;
  EXPECT_EQ(bmp->GetPixel(x, y0 - 1), Sys(clWindow));
  // Editing is refused without goEditing and in row-select mode.
  Key(VK_ESCAPE);
  g->SetOptions(g->Options() | goRowSelect);
  Key(VK_F2);
  EXPECT_FALSE(g->EditorMode());
}

// A grid whose second column edits from a pick list.
class PickGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
  int Advanced = 0;

 protected:
  TEditStyle GetEditStyle(int ACol, int) override { return ACol == 2 ? esPickList : esSimple; }
  void GetEditList(int, int, TStringList& List) override {
    List.Add("alpha");
    List.Add("beta");
  }
  void EditorClosedByKey(uint16_t Key, TShiftState) override {
    if (Key == VK_RETURN) ++Advanced;
  }
};

TEST_F(Grid, PickListEditor) {
  auto* p = new PickGrid(form.get());
  p->SetParent(form.get());
  p->SetBounds(10, 200, 300, 150);
  p->SetOptions(p->Options() | goEditing);
  p->SetFocus();
  app->ProcessMessages();
  Key(VK_RIGHT);
  Key(VK_F2);
  ASSERT_TRUE(p->EditorMode());
  auto* combo = dynamic_cast<TComboBox*>(p->InplaceEditor());
  ASSERT_NE(combo, nullptr);
  Key(VK_DOWN, ssAlt);
  ASSERT_TRUE(combo->DroppedDown());
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);  // takes "beta" and closes the list
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_TRUE(p->EditorMode());
  Key(VK_RETURN);  // stores
  EXPECT_FALSE(p->EditorMode());
  EXPECT_EQ(p->Cells(2, 1), "beta");
  EXPECT_EQ(p->Advanced, 1);
}

TEST_F(Grid, OwnerDrawnCellsAndStates) {
  auto* d = new TDrawGrid(form.get());
  d->SetParent(form.get());
  d->SetBounds(10, 200, 200, 100);
  d->SetScrollBars(ssNone);
  d->SetDefaultDrawing(false);
  std::vector<std::string> seen;
  d->OnDrawCell = [&](TObject*, int c, int r, TRect rect, TGridDrawState st) {
    if (r > 1 || c > 1) return;
    seen.push_back(std::to_string(c) + "," + std::to_string(r) + ((st & gdFixed) ? "F" : "") +
                   ((st & gdFocused) ? "C" : "") + " " + std::to_string(rect.Left));
  };
  d->SetFocus();
  app->ProcessMessages();
  d->PaintToBitmap();
  std::vector<std::string> want = {"0,0F 2", "1,0F 67", "0,1F 2", "1,1C 67"};
  EXPECT_EQ(seen, want);
}


TEST_F(Grid, RandomInputKeepsTheGridConsistent) {
  auto* p = new PickGrid(form.get());
  p->SetParent(form.get());
  p->SetBounds(10, 200, 250, 120);
  p->SetColCount(7);
  p->SetRowCount(30);
  p->SetOptions(p->Options() | goEditing | goTabs | goColSizing | goRowSizing);
  unsigned seed = 99;
  auto next = [&seed](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  const uint16_t keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_TAB,
                           VK_RETURN, VK_ESCAPE, VK_F2, VK_BACK, VK_DELETE, VK_F4};
  const TShiftState shifts[] = {0, ssShift, ssCtrl, ssAlt};
  TStringGrid* grids[] = {g, p};
  for (int round = 0; round < 800; ++round) {
    TStringGrid* t = grids[(round / 100) % 2];
    if (round % 100 == 0) {
      t->SetFocus();
      app->ProcessMessages();
    }
    switch (next(6)) {
      case 0:
      case 1: app->PressKey(keys[next(15)], shifts[next(4)]); break;
      case 2: app->PostText(next(2) ? "7" : "\xC3\xA9"); break;
      case 3: {
        TPoint q = t->ClientToParent(Point(static_cast<int>(next(t->Width() + 20)) - 10,
                                           static_cast<int>(next(t->Height() + 20)) - 10), form.get());
        app->Click(form.get(), q.X, q.Y, mbLeft, shifts[next(2)]);
        break;
      }
      case 4: {
        TPoint q = t->ClientToParent(Point(static_cast<int>(next(t->Width())), static_cast<int>(next(t->Height()))),
                                     form.get());
        app->PostMouseDown(form.get(), mbLeft, 0, q.X, q.Y);
        app->PostMouseMove(form.get(), ssLeft, q.X + static_cast<int>(next(200)) - 100, q.Y + static_cast<int>(next(200)) - 100);
        app->PostMouseUp(form.get(), mbLeft, 0, q.X, q.Y);
        break;
      }
      default:
        if (next(3) == 0) t->SetRowCount(2 + static_cast<int>(next(40)));
        else app->PostMouseWheel(form.get(), 0, next(2) ? WHEEL_DELTA : -WHEEL_DELTA, 100, 50);
        break;
    }
    app->ProcessMessages();
    ASSERT_GE(t->Row(), t->FixedRows());
    ASSERT_LT(t->Row(), t->RowCount());
    ASSERT_GE(t->TopRow(), t->FixedRows());
    ASSERT_LT(t->TopRow(), t->RowCount());
    TGridRect sel = t->Selection();
    ASSERT_LE(sel.Bottom, t->RowCount() - 1);
  }
  g->PaintToBitmap();
  p->PaintToBitmap();
}

}  // namespace
