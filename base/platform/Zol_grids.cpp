#include "base/platform/Zol_grids.h"

#include <algorithm>
#include <climits>

#include "base/platform/Zol_forms.h"

namespace zol {

namespace {

template <class F, class... A>
void Fire(const F& handler, A&&... args) {
  if (handler) {
    F copy = handler;  // the handler may free its sender
    copy(std::forward<A>(args)...);
  }
}

void Fill(TCanvas& c, const TRect& r, TColor col) {
  if (r.IsEmpty()) return;
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(col);
  c.FillRect(r);
}

constexpr int kBar = 17;  // scroll bar thickness
constexpr int kSizeGrip = 2;  // pixels on either side of a line that start sizing

}  // namespace

// ---------------------------------------------------------------- in-place editors
TInplaceEdit::TInplaceEdit(TCustomGrid* AGrid) : TCustomEdit(AGrid), FGrid(AGrid) {
  SetBorderStyle(bsNone);
  SetTabStop(false);
  SetVisible(false);
}

bool TCustomGrid::EditorKey(uint16_t& Key, TShiftState Shift) {
  uint16_t k = Key;
  switch (k) {
    case VK_RETURN:
    case VK_ESCAPE:
      Key = 0;
      EditorDone(k == VK_RETURN, 0, Shift, true);
      EditorClosedByKey(k, Shift);
      return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
      Key = 0;
      EditorDone(true, k, Shift, true);
      return true;
    case VK_TAB:
      if (FOptions & goTabs) {
        Key = 0;
        EditorDone(true, k, Shift, true);
      } else {
        EditorDone(true, 0, Shift, true);  // the focus moves on from the grid
      }
      return true;
    default: return false;
  }
}

void TInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TControl::KeyDown(Key, Shift);
  if (Key == 0 || FGrid->EditorKey(Key, Shift)) return;
  EditKey(Key, Shift);
}

void TInplaceEdit::DoExit() {
  TCustomEdit::DoExit();
  if (FGrid->EditorMode() && !FGrid->FClosingEditor) FGrid->EditorDone(true, 0, 0, false);
}

TInplaceEditList::TInplaceEditList(TCustomGrid* AGrid) : TComboBox(AGrid), FGrid(AGrid) {
  SetBorderStyle(bsNone);
  SetTabStop(false);
  SetVisible(false);
}

void TInplaceEditList::KeyDown(uint16_t& Key, TShiftState Shift) {
  // With the list closed the grid's keys close the editor; otherwise the combo box has them.
  bool gridKey = Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR ||
                 Key == VK_NEXT || Key == VK_TAB;
  if (!DroppedDown() && !(Shift & ssAlt) && gridKey) {
    TControl::KeyDown(Key, Shift);
    if (Key != 0) FGrid->EditorKey(Key, Shift);
    return;
  }
  TComboBox::KeyDown(Key, Shift);
}

void TInplaceEditList::DoExit() {
  TComboBox::DoExit();
  if (FGrid->EditorMode() && !FGrid->FClosingEditor) FGrid->EditorDone(true, 0, 0, false);
}

// ---------------------------------------------------------------- TCustomGrid
TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetColor(clWindow);
  FColWidths.assign(5, FDefaultColWidth);
  FRowHeights.assign(5, FDefaultRowHeight);
  SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::SetColCount(int v) {
  v = std::max(1, v);
  int oldC = ColCount(), oldR = RowCount();
  if (v == oldC) return;
  FColWidths.resize(v, FDefaultColWidth);
  if (FFixedCols >= v) FFixedCols = v - 1;
  SizeChanged(oldC, oldR);
  UpdateScrollState();
  Invalidate();
}

void TCustomGrid::SetRowCount(int v) {
  v = std::max(1, v);
  int oldC = ColCount(), oldR = RowCount();
  if (v == oldR) return;
  FRowHeights.resize(v, FDefaultRowHeight);
  if (FFixedRows >= v) FFixedRows = v - 1;
  SizeChanged(oldC, oldR);
  UpdateScrollState();
  Invalidate();
}

void TCustomGrid::SetFixedCols(int v) {
  if (v < 0 || v >= ColCount()) throw EInvalidGridOperation("Fixed column count must be less than column count");
  if (v == FFixedCols) return;
  HideEditor();
  FFixedCols = v;
  UpdateScrollState();
  Invalidate();
}

void TCustomGrid::SetFixedRows(int v) {
  if (v < 0 || v >= RowCount()) throw EInvalidGridOperation("Fixed row count must be less than row count");
  if (v == FFixedRows) return;
  HideEditor();
  FFixedRows = v;
  UpdateScrollState();
  Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int v) {
  v = std::max(0, v);
  FDefaultColWidth = v;
  std::fill(FColWidths.begin(), FColWidths.end(), v);
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
  v = std::max(0, v);
  FDefaultRowHeight = v;
  std::fill(FRowHeights.begin(), FRowHeights.end(), v);
  RowHeightsChanged();
}

int TCustomGrid::ColWidths(int c) const { return c >= 0 && c < ColCount() ? FColWidths[c] : 0; }
int TCustomGrid::RowHeights(int r) const { return r >= 0 && r < RowCount() ? FRowHeights[r] : 0; }

void TCustomGrid::SetColWidths(int c, int w) {
  if (c < 0 || c >= ColCount()) return;
  w = std::max(0, w);
  if (FColWidths[c] == w) return;
  FColWidths[c] = w;
  ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int r, int h) {
  if (r < 0 || r >= RowCount()) return;
  h = std::max(0, h);
  if (FRowHeights[r] == h) return;
  FRowHeights[r] = h;
  RowHeightsChanged();
}

void TCustomGrid::ColWidthsChanged() {
  UpdateScrollState();
  PlaceEditor();
  Invalidate();
}

void TCustomGrid::RowHeightsChanged() {
  UpdateScrollState();
  PlaceEditor();
  Invalidate();
}

void TCustomGrid::SetGridLineWidth(int v) {
  v = std::max(0, v);
  if (v == FGridLineWidth) return;
  FGridLineWidth = v;
  UpdateScrollState();
  Invalidate();
}

void TCustomGrid::SetFixedColor(TColor v) {
  if (v == FFixedColor) return;
  FFixedColor = v;
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions v) {
  if (v == FOptions) return;
  FOptions = v;
  if (!(v & goEditing)) HideEditor();
  if (!(v & (goRangeSelect | goRowSelect))) FAnchor = FCurrent;
  Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle v) {
  if (v == FScrollBars) return;
  FScrollBars = v;
  UpdateScrollState();
  Invalidate();
}

void TCustomGrid::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  UpdateScrollState();
  Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool v) {
  if (v == FDefaultDrawing) return;
  FDefaultDrawing = v;
  Invalidate();
}

void TCustomGrid::SizeChanged(int, int) {
  auto clampC = [this](TGridCoord& g) {
    g.X = std::clamp(g.X, FFixedCols, ColCount() - 1);
    g.Y = std::clamp(g.Y, FFixedRows, RowCount() - 1);
  };
  clampC(FCurrent);
  clampC(FAnchor);
  clampC(FTopLeft);
  if (EditorMode()) PlaceEditor();
}

// ---- geometry
TRect TCustomGrid::Inside() const {
  TRect r = Rect(0, 0, Width(), Height());
  if (FBorderStyle == bsSingle) InflateRect(r, -2, -2);
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

TPoint TCustomGrid::GridOrigin() const { return Inside().TopLeft(); }

namespace {
int Extent(const std::vector<int>& sizes, int from, int to, int lw) {
  long long s = 0;
  for (int i = from; i < to; ++i)
    if (sizes[i] > 0) s += sizes[i] + lw;
  return static_cast<int>(std::min<long long>(s, INT_MAX / 2));
}
}  // namespace

bool TCustomGrid::VertBarShowing() const {
  if (FScrollBars != ssVertical && FScrollBars != ssBoth) return false;
  TRect in = Inside();
  int totalH = Extent(FRowHeights, 0, RowCount(), FGridLineWidth);
  int totalW = Extent(FColWidths, 0, ColCount(), FGridLineWidth);
  bool h0 = (FScrollBars == ssBoth) && totalW > in.Width();
  return totalH > in.Height() - (h0 ? kBar : 0);
}

bool TCustomGrid::HorzBarShowing() const {
  if (FScrollBars != ssHorizontal && FScrollBars != ssBoth) return false;
  TRect in = Inside();
  int totalW = Extent(FColWidths, 0, ColCount(), FGridLineWidth);
  return totalW > in.Width() - (VertBarShowing() ? kBar : 0);
}

TRect TCustomGrid::CellsArea() const {
  TRect r = Inside();
  if (VertBarShowing()) r.Right = std::max(r.Left, r.Right - kBar);
  if (HorzBarShowing()) r.Bottom = std::max(r.Top, r.Bottom - kBar);
  return r;
}

TRect TCustomGrid::VertScrollBarRect() const {
  if (!VertBarShowing()) return TRect();
  TRect in = Inside(), a = CellsArea();
  return Rect(a.Right, in.Top, in.Right, a.Bottom);
}

TRect TCustomGrid::HorzScrollBarRect() const {
  if (!HorzBarShowing()) return TRect();
  TRect in = Inside(), a = CellsArea();
  return Rect(in.Left, a.Bottom, a.Right, in.Bottom);
}

namespace {
// Start of cell i of an axis: fixed cells from Origin, then the cells from First on.
int AxisStart(const std::vector<int>& sizes, int fixed, int first, int i, int origin, int lw) {
  if (i < fixed) return origin + Extent(sizes, 0, i, lw);
  if (i < first) return INT_MIN;
  return origin + Extent(sizes, 0, fixed, lw) + Extent(sizes, first, i, lw);
}
}  // namespace

int TCustomGrid::ColStart(int c) const {
  return AxisStart(FColWidths, FFixedCols, FTopLeft.X, c, GridOrigin().X, FGridLineWidth);
}

int TCustomGrid::RowStart(int r) const {
  return AxisStart(FRowHeights, FFixedRows, FTopLeft.Y, r, GridOrigin().Y, FGridLineWidth);
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
  if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount()) return TRect();
  int x = ColStart(ACol), y = RowStart(ARow);
  if (x == INT_MIN || y == INT_MIN) return TRect();
  TRect a = CellsArea();
  if (x >= a.Right || y >= a.Bottom) return TRect();
  return Rect(x, y, x + FColWidths[ACol], y + FRowHeights[ARow]);
}

bool TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
  ACol = ARow = -1;
  TRect a = CellsArea();
  if (!PtInRect(a, Point(X, Y))) return false;
  auto find = [&](const std::vector<int>& sizes, int fixed, int first, int origin, int p) {
    int pos = origin;
    for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
      if (i == fixed) i = std::max(fixed, first);
      if (i >= static_cast<int>(sizes.size())) break;
      if (sizes[i] <= 0) continue;
      int end = pos + sizes[i] + FGridLineWidth;
      if (p < end) return i;
      pos = end;
    }
    return -1;
  };
  TPoint o = GridOrigin();
  ACol = find(FColWidths, FFixedCols, FTopLeft.X, o.X, X);
  ARow = find(FRowHeights, FFixedRows, FTopLeft.Y, o.Y, Y);
  if (ACol < 0 || ARow < 0) {
    ACol = ARow = -1;
    return false;
  }
  return true;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
  TGridCoord g;
  MouseToCell(X, Y, g.X, g.Y);
  return g;
}

namespace {
// The first scrollable index from which the rest of the axis fits into Avail pixels.
int MaxFirst(const std::vector<int>& sizes, int fixed, int avail, int lw) {
  int t = static_cast<int>(sizes.size()), acc = 0;
  while (t - 1 >= fixed) {
    int e = sizes[t - 1] > 0 ? sizes[t - 1] + lw : 0;
    if (acc + e > avail) break;
    acc += e;
    --t;
  }
  return std::clamp(t, fixed, static_cast<int>(sizes.size()) - 1);
}

// Number of cells from First on that end before Limit, the first starting at Pos.
int WholeCells(const std::vector<int>& sizes, int first, int pos, int limit, int lw) {
  int n = 0;
  for (int i = first; i < static_cast<int>(sizes.size()); ++i) {
    if (sizes[i] <= 0) continue;
    if (pos + sizes[i] > limit) break;
    pos += sizes[i] + lw;
    ++n;
  }
  return std::max(n, first < static_cast<int>(sizes.size()) ? 1 : 0);
}
}  // namespace

int TCustomGrid::MaxTopRow() const {
  return MaxFirst(FRowHeights, FFixedRows, CellsArea().Height() - Extent(FRowHeights, 0, FFixedRows, FGridLineWidth),
                  FGridLineWidth);
}

int TCustomGrid::MaxLeftCol() const {
  return MaxFirst(FColWidths, FFixedCols, CellsArea().Width() - Extent(FColWidths, 0, FFixedCols, FGridLineWidth),
                  FGridLineWidth);
}

int TCustomGrid::VisibleRowCount() const {
  return WholeCells(FRowHeights, FTopLeft.Y, RowStart(FTopLeft.Y), CellsArea().Bottom, FGridLineWidth);
}

int TCustomGrid::VisibleColCount() const {
  return WholeCells(FColWidths, FTopLeft.X, ColStart(FTopLeft.X), CellsArea().Right, FGridLineWidth);
}

TScrollBarState TCustomGrid::VertState() const {
  TScrollBarState s;
  s.Kind = sbVertical;
  s.Min = FFixedRows;
  s.Max = RowCount() - 1;
  s.Page = std::max(1, VisibleRowCount());
  s.Max = std::max(s.Max, MaxTopRow() + s.Page - 1);
  s.Position = FTopLeft.Y;
  s.LargeChange = s.Page;
  s.Enabled = IsEnabledChain();
  return s;
}

TScrollBarState TCustomGrid::HorzState() const {
  TScrollBarState s;
  s.Kind = sbHorizontal;
  s.Min = FFixedCols;
  s.Max = ColCount() - 1;
  s.Page = std::max(1, VisibleColCount());
  s.Max = std::max(s.Max, MaxLeftCol() + s.Page - 1);
  s.Position = FTopLeft.X;
  s.LargeChange = s.Page;
  s.Enabled = IsEnabledChain();
  return s;
}

void TCustomGrid::UpdateScrollState() {
  TGridCoord old = FTopLeft;
  FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, MaxLeftCol());
  FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, MaxTopRow());
  if (!(old == FTopLeft)) TopLeftChanged();
}

void TCustomGrid::Resize() {
  TCustomControl::Resize();
  UpdateScrollState();
  PlaceEditor();
}

void TCustomGrid::SetTopRow(int v) {
  v = std::clamp(v, FFixedRows, MaxTopRow());
  if (v == FTopLeft.Y) return;
  FTopLeft.Y = v;
  Invalidate();
  TopLeftChanged();
}

void TCustomGrid::SetLeftCol(int v) {
  v = std::clamp(v, FFixedCols, MaxLeftCol());
  if (v == FTopLeft.X) return;
  FTopLeft.X = v;
  Invalidate();
  TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
  PlaceEditor();
  Fire(OnTopLeftChanged, this);
}

void TCustomGrid::ClampInView() {
  TGridCoord old = FTopLeft;
  TRect a = CellsArea();
  if (FCurrent.Y < FTopLeft.Y) FTopLeft.Y = FCurrent.Y;
  while (FTopLeft.Y < FCurrent.Y && RowStart(FCurrent.Y) + FRowHeights[FCurrent.Y] > a.Bottom) ++FTopLeft.Y;
  if (!(FOptions & goRowSelect)) {
    if (FCurrent.X < FTopLeft.X) FTopLeft.X = FCurrent.X;
    while (FTopLeft.X < FCurrent.X && ColStart(FCurrent.X) + FColWidths[FCurrent.X] > a.Right) ++FTopLeft.X;
  }
  FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, std::max(FFixedCols, std::min(FTopLeft.X, ColCount() - 1)));
  FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, std::max(FFixedRows, std::min(FTopLeft.Y, RowCount() - 1)));
  if (!(old == FTopLeft)) {
    Invalidate();
    TopLeftChanged();
  }
}

// ---- current cell and selection
bool TCustomGrid::SelectCell(int ACol, int ARow) {
  bool can = true;
  if (OnSelectCell) {
    TSelectCellEvent h = OnSelectCell;
    h(this, ACol, ARow, can);
  }
  return can;
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
  ACol = std::clamp(ACol, FFixedCols, ColCount() - 1);
  ARow = std::clamp(ARow, FFixedRows, RowCount() - 1);
  if (!(FOptions & (goRangeSelect | goRowSelect))) MoveAnchor = true;
  if (ACol != FCurrent.X || ARow != FCurrent.Y) {
    HideEditor();
    std::weak_ptr<int> life = LifeToken();
    if (!SelectCell(ACol, ARow)) return;
    if (life.expired()) return;
    FCurrent = {ACol, ARow};
  }
  if (MoveAnchor) FAnchor = FCurrent;
  if (Show) ClampInView();
  Invalidate();
  if ((FOptions & goAlwaysShowEditor) && (FOptions & goEditing) && Focused()) ShowEditor();
}

void TCustomGrid::FocusCell(int ACol, int ARow) { MoveCurrent(ACol, ARow, true, true); }
void TCustomGrid::SetCol(int v) { MoveCurrent(v, FCurrent.Y, true, true); }
void TCustomGrid::SetRow(int v) { MoveCurrent(FCurrent.X, v, true, true); }

TGridRect TCustomGrid::Selection() const {
  TGridRect r;
  if (FOptions & goRowSelect) {
    r.Left = FFixedCols;
    r.Right = ColCount() - 1;
    r.Top = std::min(FAnchor.Y, FCurrent.Y);
    r.Bottom = std::max(FAnchor.Y, FCurrent.Y);
  } else if (FOptions & goRangeSelect) {
    r.Left = std::min(FAnchor.X, FCurrent.X);
    r.Right = std::max(FAnchor.X, FCurrent.X);
    r.Top = std::min(FAnchor.Y, FCurrent.Y);
    r.Bottom = std::max(FAnchor.Y, FCurrent.Y);
  } else {
    r = {FCurrent.X, FCurrent.Y, FCurrent.X, FCurrent.Y};
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& r) {
  HideEditor();
  auto cx = [this](int c) { return std::clamp(c, FFixedCols, ColCount() - 1); };
  auto cy = [this](int v) { return std::clamp(v, FFixedRows, RowCount() - 1); };
  FCurrent = {cx(std::min(r.Left, r.Right)), cy(std::min(r.Top, r.Bottom))};
  FAnchor = (FOptions & (goRangeSelect | goRowSelect)) ? TGridCoord{cx(std::max(r.Left, r.Right)), cy(std::max(r.Top, r.Bottom))}
                                                      : FCurrent;
  ClampInView();
  Invalidate();
}

bool TCustomGrid::MoveByKey(uint16_t Key, TShiftState Shift) {
  bool ctrl = (Shift & ssCtrl) != 0;
  bool ext = (Shift & ssShift) != 0 && (FOptions & goRangeSelect) && Key != VK_TAB;
  int c = FCurrent.X, r = FCurrent.Y;
  auto stepCol = [&](int from, int dir) {
    int x = from + dir;
    while (x >= FFixedCols && x < ColCount() && FColWidths[x] <= 0) x += dir;
    if (x < FFixedCols || x >= ColCount()) return from;
    return x;
  };
  auto stepRow = [&](int from, int dir) {
    int y = from + dir;
    while (y >= FFixedRows && y < RowCount() && FRowHeights[y] <= 0) y += dir;
    if (y < FFixedRows || y >= RowCount()) return from;
    return y;
  };
  switch (Key) {
    case VK_UP: r = stepRow(r, -1); break;
    case VK_DOWN: r = stepRow(r, 1); break;
    case VK_LEFT:
      if (FOptions & goRowSelect) {
        SetLeftCol(FTopLeft.X - 1);
        return true;
      }
      c = stepCol(c, -1);
      break;
    case VK_RIGHT:
      if (FOptions & goRowSelect) {
        SetLeftCol(FTopLeft.X + 1);
        return true;
      }
      c = stepCol(c, 1);
      break;
    case VK_HOME:
      if (ctrl || (FOptions & goRowSelect)) r = FFixedRows;
      if (!(FOptions & goRowSelect) || ctrl) c = FFixedCols;
      break;
    case VK_END:
      if (ctrl || (FOptions & goRowSelect)) r = RowCount() - 1;
      if (!(FOptions & goRowSelect) || ctrl) c = ColCount() - 1;
      break;
    case VK_PRIOR: {
      int n = std::max(1, VisibleRowCount());
      r = std::max(FFixedRows, r - n);
      SetTopRow(FTopLeft.Y - n);
      break;
    }
    case VK_NEXT: {
      int n = std::max(1, VisibleRowCount());
      r = std::min(RowCount() - 1, r + n);
      SetTopRow(FTopLeft.Y + n);
      break;
    }
    case VK_TAB: {
      if (!(FOptions & goTabs)) return false;
      bool back = (Shift & ssShift) != 0;
      int nc = stepCol(c, back ? -1 : 1);
      if (nc == c) {
        int nr = stepRow(r, back ? -1 : 1);
        if (nr != r) {
          r = nr;
          c = back ? ColCount() - 1 : FFixedCols;
          if (FColWidths[c] <= 0) c = stepCol(c, back ? -1 : 1);
        }
      } else {
        c = nc;
      }
      break;
    }
    default: return false;
  }
  MoveCurrent(c, r, !ext, true);
  return true;
}

// ---- editing
bool TCustomGrid::EditorMode() const { return FActiveEditor && FActiveEditor->Visible(); }

TCustomEdit* TCustomGrid::InplaceEditor() const { return EditorMode() ? FActiveEditor : nullptr; }

void TCustomGrid::SetEditorMode(bool v) {
  if (v) ShowEditor();
  else HideEditor();
}

bool TCustomGrid::CanEditShow() const {
  return (FOptions & goEditing) && !(FOptions & goRowSelect) && FCurrent.X >= FFixedCols && FCurrent.Y >= FFixedRows;
}

TEditStyle TCustomGrid::GetEditStyle(int, int) { return esSimple; }
void TCustomGrid::GetEditList(int, int, TStringList&) {}
void TCustomGrid::PrepareEditor(TCustomEdit&, int, int) {}

std::string TCustomGrid::GetEditText(int ACol, int ARow) {
  std::string s;
  if (OnGetEditText) {
    TGetEditEvent h = OnGetEditText;
    h(this, ACol, ARow, s);
  }
  return s;
}

void TCustomGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
  Fire(OnSetEditText, this, ACol, ARow, Value);
}

void TCustomGrid::EditorClosedByKey(uint16_t, TShiftState) {}

void TCustomGrid::PlaceEditor() {
  if (!EditorMode()) return;
  TRect r = CellRect(FCurrent.X, FCurrent.Y);
  if (r.IsEmpty()) {
    HideEditor();
    return;
  }
  FActiveEditor->SetBoundsRect(r);
}

void TCustomGrid::ShowEditor() {
  if (!CanEditShow() || EditorMode() || FClosingEditor) return;
  ClampInView();
  TRect r = CellRect(FCurrent.X, FCurrent.Y);
  if (r.IsEmpty()) return;
  TEditStyle style = GetEditStyle(FCurrent.X, FCurrent.Y);
  std::string text = GetEditText(FCurrent.X, FCurrent.Y);
  if (style == esPickList) {
    if (!FEditList) {
      FEditList = new TInplaceEditList(this);
      FEditList->SetParent(this);
    }
    TStringList items;
    GetEditList(FCurrent.X, FCurrent.Y, items);
    FEditList->Items().Assign(items);
    FEditList->SetDropDownCount(FDropDownRows);
    FActiveEditor = FEditList;
  } else {
    if (!FEdit) {
      FEdit = new TInplaceEdit(this);
      FEdit->SetParent(this);
    }
    FActiveEditor = FEdit;
  }
  FActiveEditor->SetFont(Font());
  FActiveEditor->SetText(text);
  FEditOriginal = text;
  PrepareEditor(*FActiveEditor, FCurrent.X, FCurrent.Y);
  FActiveEditor->SetBoundsRect(r);
  FActiveEditor->Show();
  if (FActiveEditor->CanFocus()) FActiveEditor->SetFocus();
  FActiveEditor->SelectAll();
  Invalidate();
}

void TCustomGrid::EditorDone(bool Store, uint16_t MoveKey, TShiftState Shift, bool Refocus) {
  if (!EditorMode() || FClosingEditor) return;
  FClosingEditor = true;
  TCustomEdit* ed = FActiveEditor;
  std::string text = ed->Text();
  bool hadFocus = ed->Focused();
  std::weak_ptr<int> life = LifeToken();
  if (hadFocus && Refocus && CanFocus()) SetFocus();
  if (life.expired()) return;
  ed->Hide();
  FActiveEditor = nullptr;
  FClosingEditor = false;
  Invalidate();
  if (Store && text != FEditOriginal) SetEditText(FCurrent.X, FCurrent.Y, text);
  if (life.expired()) return;
  if (MoveKey) MoveByKey(MoveKey, Shift);
}

void TCustomGrid::HideEditor() { EditorDone(true, 0, 0, true); }
void TCustomGrid::CancelEditor() { EditorDone(false, 0, 0, true); }

// ---- drawing
void TCustomGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (OnDrawCell) {
    TDrawCellEvent h = OnDrawCell;
    h(this, ACol, ARow, ARect, AState);
  }
}

void TCustomGrid::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  Fill(c, ClientRect(), Color());
  if (FBorderStyle == bsSingle) DrawSunkenField(c, ClientRect(), Color());
  TRect a = CellsArea();
  TGridRect sel = Selection();
  bool foc = Focused() || (FActiveEditor && FActiveEditor->Focused());
  bool rowSel = (FOptions & goRowSelect) != 0;
  std::vector<int> cols, rows;
  for (int i = 0; i < FFixedCols; ++i) cols.push_back(i);
  for (int i = FTopLeft.X; i < ColCount(); ++i) {
    if (ColStart(i) >= a.Right) break;
    cols.push_back(i);
  }
  for (int i = 0; i < FFixedRows; ++i) rows.push_back(i);
  for (int i = FTopLeft.Y; i < RowCount(); ++i) {
    if (RowStart(i) >= a.Bottom) break;
    rows.push_back(i);
  }
  int lw = FGridLineWidth;
  for (int r : rows) {
    if (FRowHeights[r] <= 0) continue;
    for (int col : cols) {
      if (FColWidths[col] <= 0) continue;
      TRect cr = CellRect(col, r);
      if (cr.IsEmpty()) continue;
      bool fixed = col < FFixedCols || r < FFixedRows;
      bool current = col == FCurrent.X && r == FCurrent.Y;
      TGridDrawState st = 0;
      if (fixed) st |= gdFixed;
      if (!fixed && sel.Contains(col, r) && (!current || rowSel || (FOptions & goDrawFocusSelected))) st |= gdSelected;
      if (!fixed && current && foc) st |= gdFocused;
      TRect clip;
      IntersectRect(clip, cr, a);
      c.SetClipRect(clip);
      c.Font().Assign(Font());
      if (FDefaultDrawing) {
        if (fixed) {
          Fill(c, cr, FFixedColor);
          Fill(c, Rect(cr.Left, cr.Top, cr.Right, cr.Top + 1), clBtnHighlight);
          Fill(c, Rect(cr.Left, cr.Top, cr.Left + 1, cr.Bottom), clBtnHighlight);
        } else {
          Fill(c, cr, (st & gdSelected) ? clHighlight : Color());
        }
        if (st & gdSelected) c.Font().SetColor(clHighlightText);
      }
      DrawCell(col, r, cr, st);
      c.SetClipRect(a);
      if (FDefaultDrawing && (st & gdFocused) && !rowSel && !EditorMode()) DrawFocusRect(c, cr);
      // The lines right of and below the cell; the crossing pixel goes with the horizontal line.
      if (lw > 0) {
        bool vline = fixed ? (FOptions & goFixedVertLine) : (FOptions & goVertLine);
        bool hline = fixed ? (FOptions & goFixedHorzLine) : (FOptions & goHorzLine);
        TColor lc = fixed ? clWindowFrame : clSilver;
        if (vline) Fill(c, Rect(cr.Right, cr.Top, cr.Right + lw, cr.Bottom + lw), lc);
        if (hline) Fill(c, Rect(cr.Left, cr.Bottom, cr.Right + lw, cr.Bottom + lw), lc);
      }
    }
  }
  c.ResetClip();
  TRect vb = VertScrollBarRect(), hb = HorzScrollBarRect();
  if (!vb.IsEmpty()) VertState().Paint(c, vb);
  if (!hb.IsEmpty()) HorzState().Paint(c, hb);
  if (!vb.IsEmpty() && !hb.IsEmpty()) Fill(c, Rect(vb.Left, hb.Top, vb.Right, hb.Bottom), clBtnFace);
  Fire(OnPaint, this);
}

// ---- input
int TCustomGrid::SizingLine(int X, int Y, bool& IsCol) const {
  TPoint o = GridOrigin();
  int fixedH = o.Y + Extent(FRowHeights, 0, FFixedRows, FGridLineWidth);
  int fixedW = o.X + Extent(FColWidths, 0, FFixedCols, FGridLineWidth);
  TRect a = CellsArea();
  if ((FOptions & goColSizing) && Y >= o.Y && Y < fixedH && FFixedRows > 0) {
    for (int col = 0; col < ColCount(); ++col) {
      if (col >= FFixedCols && col < FTopLeft.X) continue;
      int s = ColStart(col);
      if (s == INT_MIN || s >= a.Right) break;
      if (FColWidths[col] <= 0) continue;
      int line = s + FColWidths[col];
      if (X >= line - kSizeGrip && X <= line + FGridLineWidth + kSizeGrip - 1) {
        IsCol = true;
        return col;
      }
    }
  }
  if ((FOptions & goRowSizing) && X >= o.X && X < fixedW && FFixedCols > 0) {
    for (int r = 0; r < RowCount(); ++r) {
      if (r >= FFixedRows && r < FTopLeft.Y) continue;
      int s = RowStart(r);
      if (s == INT_MIN || s >= a.Bottom) break;
      if (FRowHeights[r] <= 0) continue;
      int line = s + FRowHeights[r];
      if (Y >= line - kSizeGrip && Y <= line + FGridLineWidth + kSizeGrip - 1) {
        IsCol = false;
        return r;
      }
    }
  }
  return -1;
}

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  if ((Key == VK_F2 || Key == VK_RETURN) && (FOptions & goEditing) && !(Shift & (ssCtrl | ssAlt))) {
    if (CanEditShow()) {
      Key = 0;
      ShowEditor();
      return;
    }
  }
  if (Key == VK_TAB && !(FOptions & goTabs)) return;
  if (MoveByKey(Key, Shift)) Key = 0;
}

void TCustomGrid::KeyPressText(std::string& Text) {
  TCustomControl::KeyPressText(Text);
  if (Text.empty() || static_cast<unsigned char>(Text[0]) < 0x20 || Text[0] == 0x7F) return;
  if (!CanEditShow() || EditorMode()) return;
  ShowEditor();
  if (!EditorMode()) return;
  // The typed character replaces the cell's text.
  FActiveEditor->SelectAll();
  std::string t = Text;
  FActiveEditor->DispatchKeyPressText(t);
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  std::weak_ptr<int> life = LifeToken();
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (life.expired() || Button != mbLeft) return;
  if (EditorMode()) HideEditor();
  if (!Focused() && CanFocus()) SetFocus();
  TPoint p(X, Y);
  int pos;
  if (FTracker.Press(VertState(), VertScrollBarRect(), p, pos)) {
    FDrag = Drag::VBar;
    SetTopRow(pos);
    return;
  }
  if (FTracker.Press(HorzState(), HorzScrollBarRect(), p, pos)) {
    FDrag = Drag::HBar;
    SetLeftCol(pos);
    return;
  }
  bool isCol = false;
  int line = SizingLine(X, Y, isCol);
  if (line >= 0) {
    FDrag = isCol ? Drag::SizeCol : Drag::SizeRow;
    FSizeIndex = line;
    FSizeStart = isCol ? X : Y;
    FSizeOrig = isCol ? FColWidths[line] : FRowHeights[line];
    return;
  }
  int col, row;
  if (!MouseToCell(X, Y, col, row)) return;
  if (col < FFixedCols || row < FFixedRows) return;
  bool wasCurrent = col == FCurrent.X && row == FCurrent.Y;
  bool extend = (Shift & ssShift) && (FOptions & (goRangeSelect | goRowSelect));
  MoveCurrent(col, row, !extend, true);
  if (life.expired()) return;
  FDrag = Drag::Select;
  if ((Shift & ssDouble) || (wasCurrent && !extend)) {
    if (FOptions & goEditing) {
      FDrag = Drag::None;
      ShowEditor();
    }
  }
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  TPoint p(X, Y);
  int pos;
  switch (FDrag) {
    case Drag::VBar:
      if (FTracker.Move(VertState(), VertScrollBarRect(), p, pos)) SetTopRow(pos);
      return;
    case Drag::HBar:
      if (FTracker.Move(HorzState(), HorzScrollBarRect(), p, pos)) SetLeftCol(pos);
      return;
    case Drag::SizeCol:
      SetColWidths(FSizeIndex, std::max(1, FSizeOrig + X - FSizeStart));
      return;
    case Drag::SizeRow:
      SetRowHeights(FSizeIndex, std::max(1, FSizeOrig + Y - FSizeStart));
      return;
    case Drag::Select: {
      if (!(Shift & ssLeft) || !(FOptions & (goRangeSelect | goRowSelect))) return;
      TRect a = CellsArea();
      int cx = std::clamp(X, a.Left, a.Right - 1), cy = std::clamp(Y, a.Top, a.Bottom - 1);
      int col, row;
      if (!MouseToCell(cx, cy, col, row)) return;
      // Beyond the edges the grid scrolls one cell.
      if (Y >= a.Bottom) row = std::min(RowCount() - 1, row + 1);
      if (X >= a.Right) col = std::min(ColCount() - 1, col + 1);
      if (Y < a.Top) row = std::max(FFixedRows, FTopLeft.Y - 1);
      if (X < a.Left) col = std::max(FFixedCols, FTopLeft.X - 1);
      MoveCurrent(std::max(col, FFixedCols), std::max(row, FFixedRows), false, true);
      return;
    }
    case Drag::None: {
      bool isCol = false;
      int line = SizingLine(X, Y, isCol);
      SetCursor(line >= 0 ? (isCol ? crHSplit : crVSplit) : crDefault);
      return;
    }
  }
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FDrag = Drag::None;
  FTracker.Release();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomGrid::MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  if (TCustomControl::MouseWheel(Shift, WheelDelta, X, Y)) return true;
  int steps = WheelDelta / WHEEL_DELTA;
  if (steps == 0) steps = WheelDelta > 0 ? 1 : -1;
  SetTopRow(FTopLeft.Y - 3 * steps);
  return true;
}

void TCustomGrid::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TCustomGrid::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

// ---------------------------------------------------------------- TStringGrid
TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) { SizeChanged(0, 0); }

std::string TStringGrid::Cells(int ACol, int ARow) const {
  if (ARow < 0 || ARow >= static_cast<int>(FCells.size())) return std::string();
  const auto& row = FCells[ARow];
  if (ACol < 0 || ACol >= static_cast<int>(row.size())) return std::string();
  return row[ACol];
}

void TStringGrid::SetCells(int ACol, int ARow, const std::string& v) {
  if (ARow < 0 || ARow >= static_cast<int>(FCells.size())) return;
  auto& row = FCells[ARow];
  if (ACol < 0 || ACol >= static_cast<int>(row.size())) return;
  if (row[ACol] == v) return;
  row[ACol] = v;
  Invalidate();
}

std::vector<std::string> TStringGrid::Cols(int ACol) const {
  std::vector<std::string> r;
  if (ACol < 0 || ACol >= ColCount()) return r;
  for (int i = 0; i < RowCount(); ++i) r.push_back(Cells(ACol, i));
  return r;
}

std::vector<std::string> TStringGrid::Rows(int ARow) const {
  if (ARow < 0 || ARow >= static_cast<int>(FCells.size())) return {};
  return FCells[ARow];
}

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
  FCells.resize(RowCount());
  for (auto& row : FCells) row.resize(ColCount());
  TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (DefaultDrawing()) {
    TCanvas& c = Canvas();
    c.Brush().SetStyle(bsClear);
    c.TextOut(ARect.Left + 2, ARect.Top + 2, Cells(ACol, ARow));
  }
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

std::string TStringGrid::GetEditText(int ACol, int ARow) {
  std::string s = Cells(ACol, ARow);
  if (OnGetEditText) {
    TGetEditEvent h = OnGetEditText;
    h(this, ACol, ARow, s);
  }
  return s;
}

void TStringGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
  SetCells(ACol, ARow, Value);
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

}  // namespace zol
