// Mark selector: cell layout, marks drawn through the shared mark painter,
// selection and hover colours, clicks, double clicks and keys through the host.
#include <gtest/gtest.h>

#include "gui/Zol_marksel.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

class MarkSel : public HostTest {
 protected:
  // 8 × 7 cells of 20 × 20 pixels inside a lowered frame of 2 pixels.
  TMarkSel* Make() { return Place(new TMarkSel(Form.get()), 10, 10, 164, 144); }
  static TPoint CellCentre(int k) { return TPoint(2 + (k % 8) * 20 + 10, 2 + (k / 8) * 20 + 10); }
};

TEST_F(MarkSel, CellsAndMarks) {
  auto* m = Make();
  EXPECT_EQ(m->NrOfMarks(), 56);
  EXPECT_EQ(m->CellRect(9), Rect(22, 22, 42, 42));
  EXPECT_EQ(m->MarkAt(21, 21), 0);
  EXPECT_EQ(m->MarkAt(22, 22), 9);
  EXPECT_EQ(m->MarkAt(1, 1), -1);  // on the frame
  m->SetSelected(3);
  auto bmp = m->PaintToBitmap();
  // Mark 8: filled square of 5 × 5 pixels around the centre, in the mark colour.
  const TPoint c8 = CellCentre(8);
  EXPECT_EQ(bmp->GetPixel(c8.X - 2, c8.Y - 2), clBlack);
  EXPECT_EQ(bmp->GetPixel(c8.X + 2, c8.Y + 2), clBlack);
  EXPECT_EQ(bmp->GetPixel(c8.X + 3, c8.Y), clWhite);
  // Mark 0 shown as a cross from corner to corner of its cell.
  EXPECT_EQ(bmp->GetPixel(2 + 2, 2 + 2), clBlack);
  EXPECT_EQ(bmp->GetPixel(2 + 10, 2 + 10), clBlack);
  // The selected cell (3) has the selection colours: background navy, square mark 3 = plus.
  const TPoint c3 = CellCentre(3);
  EXPECT_EQ(bmp->GetPixel(c3.X - 8, c3.Y - 8), clNavy);
  EXPECT_EQ(bmp->GetPixel(c3.X, c3.Y), clWhite);
  m->SetShowZeroAsCross(false);
  bmp = m->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(2 + 2, 2 + 2), clWhite);
  EXPECT_EQ(bmp->GetPixel(CellCentre(0).X, CellCentre(0).Y), clBlack);  // the single pixel of mark 0
}

TEST_F(MarkSel, TwoSizesAndBothSchemes) {
  for (int cell : {12, 25}) {
    auto* m = Place(new TMarkSel(Form.get()), 0, 0, 4 * cell + 2, 2 * cell + 2);
    m->SetFrameStyle(fsSimple);
    m->SetNrOfColumns(4);
    m->SetNrOfRows(2);
    m->SetSelected(7);
    auto bmp = m->PaintToBitmap();
    EXPECT_EQ(bmp->GetPixel(0, 0), clBlack);
    EXPECT_EQ(m->CellRect(5), Rect(1 + cell, 1 + cell, 1 + 2 * cell, 1 + 2 * cell));
    // Mark 7: filled 3 × 3 square centred in its cell (selected: white on navy).
    const TRect r = m->CellRect(7);
    const int cx = r.Left + cell / 2, cy = r.Top + cell / 2;
    EXPECT_EQ(bmp->GetPixel(cx + 1, cy + 1), clWhite);
    EXPECT_EQ(bmp->GetPixel(cx + 2, cy), clNavy);
    m->SetColorScheme(csSystem);
    bmp = m->PaintToBitmap();
    EXPECT_EQ(bmp->GetPixel(0, 0), RGB(100, 100, 100));
    delete m;
  }
}

TEST_F(MarkSel, ClickDoubleClickHoverAndKeys) {
  auto* m = Make();
  int clicked = -1, dbl = -1;
  m->OnMarkClick = [&](TObject*, int k) { clicked = k; };
  m->OnMarkDblClick = [&](TObject*, int k) { dbl = k; };
  TApplication* app = Application();
  const TPoint c = CellCentre(19);
  app->Click(Form.get(), 10 + c.X, 10 + c.Y);
  app->ProcessMessages();
  EXPECT_EQ(clicked, 19);
  EXPECT_EQ(m->Selected(), 19);
  app->DoubleClick(Form.get(), 10 + c.X, 10 + c.Y);
  app->ProcessMessages();
  EXPECT_EQ(dbl, 19);
  // Hover colours the cell under the mouse.
  const TPoint h = CellCentre(20);
  app->PostMouseMove(Form.get(), 0, 10 + h.X, 10 + h.Y);
  app->ProcessMessages();
  EXPECT_EQ(m->HiLited(), 20);
  auto bmp = m->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(h.X - 8, h.Y - 8), clYellow);
  app->PostMouseMove(Form.get(), 0, 300, 300);
  app->ProcessMessages();
  EXPECT_EQ(m->HiLited(), -1);
  // Keys move the selection inside the grid; Return reports it.
  EXPECT_TRUE(m->Focused());
  app->PressKey(VK_RIGHT);
  app->PressKey(VK_DOWN);
  app->ProcessMessages();
  EXPECT_EQ(m->Selected(), 28);
  app->PressKey(VK_END);
  app->PressKey(VK_RIGHT);  // stays at the last mark
  app->ProcessMessages();
  EXPECT_EQ(m->Selected(), 55);
  clicked = -1;
  app->PressKey(VK_RETURN);
  app->ProcessMessages();
  EXPECT_EQ(clicked, 55);
}

TEST_F(MarkSel, SettersClamp) {
  auto* m = Make();
  m->SetNrOfColumns(0);
  EXPECT_EQ(m->NrOfColumns(), 1);
  m->SetNrOfColumns(100);
  m->SetNrOfRows(100);
  EXPECT_EQ(m->NrOfMarks(), 256);
  m->SetSelected(300);
  EXPECT_EQ(m->Selected(), 255);
  m->SetNrOfColumns(2);
  m->SetNrOfRows(2);
  EXPECT_EQ(m->Selected(), 3);
  m->SetSelected(-4);
  EXPECT_EQ(m->Selected(), 0);
  EXPECT_NO_THROW(m->PaintToBitmap());
}

}  // namespace
