#include "gui/Zol_marksel.h"

#include <algorithm>

namespace zol {

TMarkSel::TMarkSel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 8 * 20 + 4, 7 * 20 + 4);
  SetTabStop(true);
}

void TMarkSel::SetNrOfColumns(int v) {
  StoreAndRepaint(FNrOfColumns, std::clamp(v, 1, 256));
  FSelected = std::min(FSelected, NrOfMarks() - 1);
}

void TMarkSel::SetNrOfRows(int v) {
  StoreAndRepaint(FNrOfRows, std::clamp(v, 1, 256));
  FSelected = std::min(FSelected, NrOfMarks() - 1);
}

void TMarkSel::SetSelected(int v) { StoreAndRepaint(FSelected, std::clamp(v, 0, NrOfMarks() - 1)); }

int TMarkSel::NrOfMarks() const { return std::min(FNrOfColumns * FNrOfRows, 256); }

TRect TMarkSel::CellRect(int k) const {
  if (k < 0 || k >= NrOfMarks()) return TRect();
  const int fw = FrameWidth(FFrameStyle);
  const int iw = Width() - 2 * fw, ih = Height() - 2 * fw;
  const int col = k % FNrOfColumns, row = k / FNrOfColumns;
  // Cell borders spread the inner area evenly over the columns and rows.
  const int x1 = fw + col * iw / FNrOfColumns, x2 = fw + (col + 1) * iw / FNrOfColumns;
  const int y1 = fw + row * ih / FNrOfRows, y2 = fw + (row + 1) * ih / FNrOfRows;
  return Rect(x1, y1, x2, y2);
}

int TMarkSel::MarkAt(int X, int Y) const {
  const int fw = FrameWidth(FFrameStyle);
  const int iw = Width() - 2 * fw, ih = Height() - 2 * fw;
  if (iw <= 0 || ih <= 0 || X < fw || Y < fw || X >= fw + iw || Y >= fw + ih) return -1;
  const int col = static_cast<int>(static_cast<int64_t>(X - fw) * FNrOfColumns / iw);
  const int row = static_cast<int>(static_cast<int64_t>(Y - fw) * FNrOfRows / ih);
  // Integer borders: step to the cell whose rectangle really holds the point.
  for (int r = std::max(0, row - 1); r <= std::min(FNrOfRows - 1, row + 1); ++r)
    for (int c = std::max(0, col - 1); c <= std::min(FNrOfColumns - 1, col + 1); ++c) {
      const int k = r * FNrOfColumns + c;
      if (k < NrOfMarks() && PtInRect(CellRect(k), Point(X, Y))) return k;
    }
  return -1;
}

void TMarkSel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (CanFocus() && !Focused()) SetFocus();
  if (Button != mbLeft || (Shift & ssDouble)) return;
  const int k = MarkAt(X, Y);
  FLastDown = k;
  if (k < 0) return;
  SetSelected(k);
  if (auto handler = OnMarkClick) handler(this, k);
}

void TMarkSel::DblClick() {
  TCustomControl::DblClick();
  if (FLastDown >= 0)
    if (auto handler = OnMarkDblClick) handler(this, FLastDown);
}

void TMarkSel::MouseMove(TShiftState Shift, int X, int Y) {
  StoreAndRepaint(FHiLited, MarkAt(X, Y));
  TCustomControl::MouseMove(Shift, X, Y);
}

void TMarkSel::MouseLeave() {
  StoreAndRepaint(FHiLited, -1);
  TCustomControl::MouseLeave();
}

void TMarkSel::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  int k = FSelected;
  switch (Key) {
    case VK_LEFT: k -= 1; break;
    case VK_RIGHT: k += 1; break;
    case VK_UP: k -= FNrOfColumns; break;
    case VK_DOWN: k += FNrOfColumns; break;
    case VK_HOME: k = 0; break;
    case VK_END: k = NrOfMarks() - 1; break;
    case VK_RETURN: case VK_SPACE:
      if (auto handler = OnMarkClick) handler(this, FSelected);
      Key = 0;
      return;
    default: return;
  }
  Key = 0;
  if (k >= 0 && k < NrOfMarks()) SetSelected(k);
}

void TMarkSel::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorBackGnd);
  c.FillRect(Rect(0, 0, w, h));
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmCopy);
  c.Font().Assign(Font());
  c.SetTextAlign(TA_LEFT | TA_TOP);
  for (int k = 0; k < NrOfMarks(); ++k) {
    const TRect r = CellRect(k);
    TColor bg = FColorBackGnd, fg = FColorMarks;
    if (k == FSelected) {
      bg = FColorSelBG;
      fg = FColorSelFG;
    } else if (k == FHiLited) {
      bg = FColorHiLiteBG;
      fg = FColorHiLiteSymbol;
    }
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(bg);
    c.FillRect(r);
    const int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
    c.Pen().SetColor(fg);
    c.Font().SetColor(fg);
    if (k == 0 && FShowZeroAsCross) {
      c.MoveTo(r.Left + 2, r.Top + 2);
      c.LineTo(r.Right - 2, r.Bottom - 2);
      c.MoveTo(r.Right - 3, r.Top + 2);
      c.LineTo(r.Left + 1, r.Bottom - 2);
    } else {
      c.SetClipRect(r);
      DrawMarkOnCanvas(c, static_cast<uint8_t>(k), cx, cy);
      c.ResetClip();
    }
  }
  c.Brush().SetStyle(bsSolid);
  DrawSchemeFrame(c, FFrameStyle, FColorScheme, 0, 0, w - 1, h - 1);
  TCustomControl::Paint();
}

}  // namespace zol
