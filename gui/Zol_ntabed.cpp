#include "gui/Zol_ntabed.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "base/Zol_stringl.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_sysutils.h"
#include "math/Zol_math1.h"

namespace zol {

namespace {

const char* const DefDCaptions[NTabEdDataEntries] = {
    "Mark as type A", "Mark as type B", "Unmark type A", "Unmark type B", "Unmark All",
    "Clear",          "Copy",           "Paste",         "Data Read-Only", "Extract from Clipboard",
    "Select All",     "Toggle Empty State"};
const char* const DefHCaptions[NTabEdHeadEntries] = {"Edit Heading", "Change Precision", "Select..", "Insert..",
                                                     "Delete.."};
const char* const DefSubCaptions[NTabEdSubEntries] = {"Range", "Column", "Row", "All"};

constexpr size_t DataCaptionCap = 25;
constexpr size_t SubCaptionCap = 20;
constexpr size_t SetCaptionMax = 50;

// Cuts s to at most n bytes without splitting a UTF-8 sequence.
std::string CutUtf8(const std::string& s, size_t n) {
  if (s.size() <= n) return s;
  size_t k = n;
  while (k > 0 && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80) --k;
  return s.substr(0, k);
}

void FillRectCol(TCanvas& c, const TRect& r, TColor col) {
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(col);
  c.FillRect(r);
}

bool CanBeginNumber(char ch) { return ch == '+' || ch == '-' || ch == '.' || (ch >= '0' && ch <= '9'); }

}  // namespace

// ------------------------------------------------------------------ construction
TNTabEd::TNTabEd(TComponent* AOwner) : TCustomGrid(AOwner) {
  try {
    FData = new TDataTable(this);
    FClip = new TDataTable(this);
    FHeadEdit = new TEdit(this);
    FMemo = new TMemo(this);
    FDataMenu = new TPopupMenu(this);
    FHeadMenu = new TPopupMenu(this);
  } catch (const std::bad_alloc&) {
    throw EZOLNTabedError("Component \"" + Name() + "\": failed to initialize table editor (out of memory)");
  }
  for (int i = 0; i < NTabEdDataEntries; ++i) FDCaptions[i] = DefDCaptions[i];
  for (int i = 0; i < NTabEdHeadEntries; ++i) FHCaptions[i] = DefHCaptions[i];
  for (int i = 0; i < NTabEdSubEntries; ++i) FMCaptions[i] = FUCaptions[i] = DefSubCaptions[i];

  SetOptions(Options() | goEditing | goRangeSelect | goColSizing | goRowSizing);
  SetDropDownRows(FNomDropDown);
  // The data table takes the grid's initial size of 5 x 5 cells minus the
  // headings (row names, row attributes; column names): 3 columns, 4 rows.
  const int nc = ColCount() - ColOffset(), nr = RowCount() - RowOffset();
  FData->Resize(nc, nr);
  FDecPlaces.assign(static_cast<size_t>(FData->NrOfColumns()), 3);
  FInLayout = true;
  SetColCount(FData->NrOfColumns() + ColOffset());
  SetRowCount(FData->NrOfRows() + RowOffset());
  SetFixedCols(ColOffset());
  SetFixedRows(RowOffset());
  SetColWidths(0, 80);
  SetColWidths(1, 32);
  FocusCell(ColOffset(), RowOffset());
  FInLayout = false;

  FHeadEdit->SetParent(this);
  FHeadEdit->SetVisible(false);
  FHeadEdit->OnKeyDown = [this](TObject* s, uint16_t& k, TShiftState sh) { HeadEditKey(s, k, sh); };
  FMemo->SetParent(this);
  FMemo->SetVisible(false);
  FMemo->SetWantReturns(false);
  FMemo->SetColor(clTeal);
  FMemo->Font().SetColor(clWhite);
  FMemo->OnKeyDown = [this](TObject* s, uint16_t& k, TShiftState sh) { MemoKey(s, k, sh); };

  FData->OnChange = [this](TObject*) {
    Invalidate();
    if (OnChange) OnChange(this);
  };
  FData->OnChangeSetup = [this](TObject*) {
    Invalidate();
    if (OnChangeSetup) OnChangeSetup(this);
  };
  FData->OnChangeNames = [this](TObject*) {
    Invalidate();
    if (OnHeadingChanged) OnHeadingChanged(this);
  };
  FData->OnChangeAttrib = [this](TObject*) {
    Invalidate();
    if (OnAttributeChanged) OnAttributeChanged(this);
  };
  FData->OnChangeCellState = [this](TObject*) {
    Invalidate();
    if (OnCellStateChanged) OnCellStateChanged(this);
  };
  FData->OnResize = [this](TObject*, int, int, int, int) { SyncSize(); };
  FData->OnSortExchange = [this](TObject*, uint8_t w, int i1, int i2, int f, int l) {
    Invalidate();
    if (OnSortExchange) OnSortExchange(this, w, i1, i2, f, l);
  };
  BuildMenus();
}

TNTabEd::~TNTabEd() {
  // The table's events point at this editor: silence them before the owned
  // components go.
  if (FData) {
    FData->OnChange = nullptr;
    FData->OnChangeSetup = nullptr;
    FData->OnChangeNames = nullptr;
    FData->OnChangeAttrib = nullptr;
    FData->OnChangeCellState = nullptr;
    FData->OnResize = nullptr;
    FData->OnSortExchange = nullptr;
  }
}

// ------------------------------------------------------------------ size and layout
void TNTabEd::SyncSize() {
  int n = FData->NrOfColumns(), m = FData->NrOfRows();
  int oldCols = ColCount() - ColOffset();
  int lastW = ColWidths(ColCount() - 1);
  try {
    int lastDec = FDecPlaces.empty() ? 3 : FDecPlaces.back();
    FDecPlaces.resize(static_cast<size_t>(n), lastDec);
  } catch (const std::bad_alloc&) {
    throw EZOLNTabedError("Component \"" + Name() + "\": not enough memory on heap");
  }
  FInLayout = true;
  SetColCount(n + ColOffset());
  SetRowCount(m + RowOffset());
  for (int c = oldCols + 1; c <= n; ++c) SetColWidths(c + ColOffset() - 1, lastW);
  FInLayout = false;
  Invalidate();
  if (OnChangeSetup) OnChangeSetup(this);
}

void TNTabEd::RebuildLayout() {
  // Keeps the widths of the name and data columns and the heights of the heading and data rows.
  FInLayout = true;
  int nc = NrOfColumns(), nr = NrOfRows();
  int oldCo = FixedCols(), oldRo = FixedRows();
  std::vector<int> w(static_cast<size_t>(nc)), h(static_cast<size_t>(nr));
  for (int c = 1; c <= nc; ++c) w[c - 1] = ColWidths(c + oldCo - 1);
  for (int r = 1; r <= nr; ++r) h[r - 1] = RowHeights(r + oldRo - 1);
  int w0 = ColWidths(0), h0 = RowHeights(0);
  SetFixedCols(0);
  SetFixedRows(0);
  SetColCount(nc + ColOffset());
  SetRowCount(nr + RowOffset());
  SetFixedCols(ColOffset());
  SetFixedRows(RowOffset());
  SetColWidths(0, w0);
  SetRowHeights(0, h0);
  if (FAttribRowVisible) SetColWidths(1, 32);
  if (FAttribColVisible) SetRowHeights(1, DefaultRowHeight());
  for (int c = 1; c <= nc; ++c) SetColWidths(c + ColOffset() - 1, w[c - 1]);
  for (int r = 1; r <= nr; ++r) SetRowHeights(r + RowOffset() - 1, h[r - 1]);
  if (Col() < ColOffset() || Row() < RowOffset())
    FocusCell(std::max(Col(), ColOffset()), std::max(Row(), RowOffset()));
  FInLayout = false;
  Invalidate();
}

void TNTabEd::SetNrCols(int n) { FData->SetNrCols(n); }
void TNTabEd::SetNrRows(int n) { FData->SetNrRows(n); }
void TNTabEd::Redimension(int Columns, int Rows) { FData->Resize(Columns, Rows); }

void TNTabEd::InsertColumn(int c) {
  if (c < 1 || c > NrOfColumns() + 1) return;
  int dec = FDecPlaces[static_cast<size_t>(std::min(c, NrOfColumns()) - 1)];
  FDecPlaces.insert(FDecPlaces.begin() + (c - 1), dec);
  FData->InsertColumn(c);
  if (static_cast<int>(FDecPlaces.size()) != NrOfColumns()) FDecPlaces.resize(NrOfColumns(), 3);
}

void TNTabEd::RemoveColumn(int c) {
  if (c < 1 || c > NrOfColumns() || NrOfColumns() < 2) return;
  FDecPlaces.erase(FDecPlaces.begin() + (c - 1));
  FData->RemoveColumn(c);
  if (static_cast<int>(FDecPlaces.size()) != NrOfColumns()) FDecPlaces.resize(NrOfColumns(), 3);
}

void TNTabEd::MirrorColumns() {
  std::reverse(FDecPlaces.begin(), FDecPlaces.end());
  FData->MirrorColumns();
  if (OnLayoutChanged) OnLayoutChanged(this);
}

void TNTabEd::Clear() {
  FData->Clear();
  for (int c = 1; c <= NrOfColumns(); ++c) FData->SetColName(c, "C-" + std::to_string(c));
  for (int r = 1; r <= NrOfRows(); ++r) FData->SetRowName(r, "R-" + std::to_string(r));
  std::fill(FDecPlaces.begin(), FDecPlaces.end(), 3);
  Invalidate();
  if (OnLayoutChanged) OnLayoutChanged(this);
}

void TNTabEd::CopyContentsFrom(const TNTabEd* Other) {
  if (!Other || Other == this) return;
  FData->CopyContentsFrom(Other->FData);
}

bool TNTabEd::CopyCellStatesFrom(const TNTabEd* Other) {
  if (!Other) return false;
  return FData->CopyCellStatesFrom(Other->FData);
}

void TNTabEd::ColWidthsChanged() {
  TCustomGrid::ColWidthsChanged();
  if (!FInLayout && OnLayoutChanged) OnLayoutChanged(this);
}

void TNTabEd::AutoColWidth(int Column, bool WithHeading, int Extra) {
  if (Column < 0 || Column > NrOfColumns()) return;
  TCanvas& cv = Canvas();
  cv.Font().Assign(Font());
  int w = 0;
  if (Column == 0) {
    for (int r = 1; r <= NrOfRows(); ++r) w = std::max(w, cv.TextWidth(GetRowName(r)));
  } else {
    for (int r = 1; r <= NrOfRows(); ++r) w = std::max(w, cv.TextWidth(CellText(Column, r)));
    if (WithHeading) w = std::max(w, cv.TextWidth(GetColName(Column)));
  }
  int gc = Column == 0 ? 0 : Column + ColOffset() - 1;
  SetColWidths(gc, std::max(1, w + 4 + Extra));
}

void TNTabEd::AutoRowHeight(int Row, int Extra) {
  TCanvas& cv = Canvas();
  cv.Font().Assign(Font());
  int h = std::max(1, cv.TextHeight("Xg") + 2 + Extra);
  if (Row <= 0) {
    for (int r = 0; r < RowCount(); ++r) SetRowHeights(r, h);
  } else if (Row <= NrOfRows()) {
    SetRowHeights(Row + RowOffset() - 1, h);
  }
}

void TNTabEd::SetRowHeight(int Row, int Height) {
  if (Row < 0 || Row > NrOfRows()) return;
  SetRowHeights(Row == 0 ? 0 : Row + RowOffset() - 1, Height);
}

// ------------------------------------------------------------------ properties
void TNTabEd::SetAttribRowVisible(bool v) {
  if (v == FAttribRowVisible) return;
  FAttribRowVisible = v;
  RebuildLayout();
}

void TNTabEd::SetAttribColVisible(bool v) {
  if (v == FAttribColVisible) return;
  FAttribColVisible = v;
  RebuildLayout();
}

void TNTabEd::SetNumWidth(int v) {
  if (v < 1 || v > 20 || v == FNumWidth) return;
  FNumWidth = v;
  Invalidate();
}

void TNTabEd::SetDataReadOnly(bool v) {
  if (v == FDataReadOnly) return;
  FDataReadOnly = v;
  if (v && EditorMode()) CancelEditor();
  UpdateMenuCaptions();
}

void TNTabEd::SetNomEditDropDownCount(int v) {
  FNomDropDown = std::max(1, v);
  SetDropDownRows(FNomDropDown);
}

void TNTabEd::SetOptimizeRowHeight(bool v) {
  FOptimizeRowHeight = v;
  if (v) AutoRowHeight(0, 2);
}

int TNTabEd::GetDecPlaces(int c) const {
  if (c < 1 || c > static_cast<int>(FDecPlaces.size())) return 0;
  return FDecPlaces[static_cast<size_t>(c - 1)];
}

void TNTabEd::SetDecPlaces(int c, int v) {
  if (c < 1 || c > static_cast<int>(FDecPlaces.size())) return;
  v = v > 10 ? 10 : (v < 0 ? -1 : v);
  if (FDecPlaces[static_cast<size_t>(c - 1)] == v) return;
  FDecPlaces[static_cast<size_t>(c - 1)] = v;
  Invalidate();
  if (OnLayoutChanged) OnLayoutChanged(this);
}

// ------------------------------------------------------------------ marks
void TNTabEd::SetMarkBit(int c, int r, uint8_t bit, bool v) {
  if (c < 1 || c > NrOfColumns() || r < 1 || r > NrOfRows()) return;
  uint8_t s = FData->GetCellState(c, r);
  uint8_t n = v ? static_cast<uint8_t>(s | bit) : static_cast<uint8_t>(s & ~bit);
  if (n != s) FData->SetCellState(c, r, n);
}

void TNTabEd::MarkBlock(int c1, int r1, int c2, int r2, uint8_t bit, bool v) {
  for (int c = c1; c <= c2; ++c)
    for (int r = r1; r <= r2; ++r) SetMarkBit(c, r, bit, v);
}

bool TNTabEd::IfAnyMarked() const {
  for (int r = 1; r <= NrOfRows(); ++r)
    if (IfRowMarked(r)) return true;
  return false;
}

int TNTabEd::NrOfMarkedDataA() const {
  int n = 0;
  for (int c = 1; c <= NrOfColumns(); ++c) n += FData->CountMarkedCellsInColumn(c, csMarkA);
  return n;
}

int TNTabEd::NrOfMarkedDataB() const {
  int n = 0;
  for (int c = 1; c <= NrOfColumns(); ++c) n += FData->CountMarkedCellsInColumn(c, csMarkB);
  return n;
}

// ------------------------------------------------------------------ cell text and drawing
std::string TNTabEd::CellText(int c, int r) const {
  if (c < 1 || c > NrOfColumns() || r < 1 || r > NrOfRows()) return std::string();
  uint8_t s = FData->GetCellState(c, r);
  if (s & csInvalid) return "-nan-";
  if (s & csEmpty) return std::string();
  TMScaleType st = FData->GetMScaleType(c);
  double x = FData->GetElem(c, r);
  if (st == stNominal || st == stOrdinal) {
    double rv = std::round(x);
    long long v = std::fabs(rv) < 9e15 ? static_cast<long long>(rv) : 0;
    if (v >= 1 && v <= MaxNominalIDs) {
      std::string lab = FData->GetNominalID(c, static_cast<int>(v));
      if (!lab.empty()) return lab;
    }
    return std::string(MScaleTypeNames[st]) + ":" + std::to_string(v);
  }
  return FormatData(x, FNumWidth, GetDecPlaces(c));
}

void TNTabEd::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas& cv = Canvas();
  const int co = ColOffset(), ro = RowOffset();
  const int dc = ACol - co + 1, dr = ARow - ro + 1;
  TGridRect sel = Selection();
  TFontStyles style;
  TColor brush, fcol;
  std::string text;
  if (AState & gdFixed || ACol < co || ARow < ro) {
    brush = FixedColor();
    fcol = Font().Color();
    if (ACol == 0 && ARow == 0) {
      if (FMemo->Visible()) {
        text = "Comment:";
        brush = clTeal;
        fcol = clWhite;
      } else {
        text = std::to_string(Col() - co + 1) + ":" + std::to_string(Row() - ro + 1);
      }
    } else if (ARow < ro && ACol < co) {
      if (ACol == 1 && ARow == 0) text = "Attrib";
      else if (ACol == 0 && ARow == 1) text = "Attribute";
    } else if (ARow == 0) {
      text = GetColName(dc);
    } else if (ARow == 1 && FAttribColVisible) {
      text = std::to_string(GetColAttrib(dc));
    } else if (ACol == 0) {
      text = GetRowName(dr);
    } else {
      text = std::to_string(GetRowAttrib(dr));
    }
    bool selHead = (ARow < ro && ACol >= co && ACol >= sel.Left && ACol <= sel.Right) ||
                   (ACol < co && ARow >= ro && ARow >= sel.Top && ARow <= sel.Bottom);
    if (FBoldSelHeads && selHead) {
      style.Include(fsBold);
      fcol = FColSelected;
    }
  } else {
    uint8_t s = GetCellState(dc, dr);
    bool a = (s & csMarkA) != 0, b = (s & csMarkB) != 0;
    brush = FColBackground;
    fcol = FColNormal;
    if (a || b) {
      fcol = a && b ? FColMarkBoth : (a ? FColMarkA : FColMarkB);
      if (FBoldMarks) style.Include(fsBold);
    } else if (sel.Contains(ACol, ARow)) {
      fcol = FColRangeFG;
      brush = FColRangeBG;
    }
    text = CellText(dc, dr);
  }
  if (OnBeforeRenderCell) OnBeforeRenderCell(this, ACol, ARow, style, brush, fcol, text);
  TRect r = ARect;
  if (AState & gdFixed) {
    // Keep the light edge of the heading cells.
    FillRectCol(cv, Rect(r.Left + 1, r.Top + 1, r.Right, r.Bottom), brush);
  } else {
    FillRectCol(cv, r, brush);
  }
  cv.Font().Assign(Font());
  cv.Font().SetColor(fcol);
  cv.Font().SetStyle(style);
  cv.Brush().SetStyle(bsClear);
  cv.SetClipRect(r);
  cv.TextOut(r.Left + 2, r.Top + 1, text);
  cv.ResetClip();
  if (FHeadMenuOpen && ACol == FHeadCol && ARow == FHeadRow) {
    cv.Pen().SetMode(pmNot);
    cv.Brush().SetStyle(bsClear);
    cv.Rectangle(r);
    cv.Pen().SetMode(pmCopy);
  }
  cv.Brush().SetStyle(bsSolid);
}

// ------------------------------------------------------------------ editing
bool TNTabEd::CanEditShow() const {
  return !FDataReadOnly && Col() >= ColOffset() && Row() >= RowOffset() && TCustomGrid::CanEditShow();
}

std::string TNTabEd::GetEditText(int ACol, int ARow) {
  std::string s = Trim(CellText(ACol - ColOffset() + 1, ARow - RowOffset() + 1));
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, s);
  return s;
}

void TNTabEd::SetEditText(int ACol, int ARow, const std::string& Value) {
  const int c = ACol - ColOffset() + 1, r = ARow - RowOffset() + 1;
  if (FDataReadOnly || c < 1 || c > NrOfColumns() || r < 1 || r > NrOfRows()) return;
  uint8_t marks = GetCellState(c, r) & static_cast<uint8_t>(~(csInvalid | csEmpty));
  TMScaleType st = FData->GetMScaleType(c);
  std::string t = Trim(Value);
  bool ok = false;
  double v = 0;
  if (st == stNominal || st == stOrdinal) {
    for (int k = 1; k <= MaxNominalIDs && !ok; ++k) {
      std::string lab = FData->GetNominalID(c, k);
      if (!lab.empty() && SameText(Trim(lab), t)) {
        ok = true;
        v = k;
      }
    }
    if (!ok && !t.empty()) {
      size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
      bool digits = i < t.size();
      for (size_t j = i; j < t.size(); ++j)
        if (t[j] < '0' || t[j] > '9') digits = false;
      if (digits && t.size() < 10) {
        ok = true;
        v = std::stod(t);
      }
    }
  } else {
    std::replace(t.begin(), t.end(), ',', '.');
    if (!t.empty()) {
      size_t pos = 0;
      try {
        v = std::stod(t, &pos);
        ok = pos == t.size() && std::isfinite(v);
      } catch (...) {
        ok = false;
      }
    }
  }
  // Marks are kept: only the invalid and empty flags follow the input.
  if (ok) {
    FData->SetElem(c, r, v);
    FData->SetCellState(c, r, marks);
  } else {
    FData->SetCellState(c, r, static_cast<uint8_t>(marks | csInvalid));
  }
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

TEditStyle TNTabEd::GetEditStyle(int ACol, int) {
  TMScaleType st = FData->GetMScaleType(ACol - ColOffset() + 1);
  return (st == stNominal || st == stOrdinal) ? esPickList : esSimple;
}

void TNTabEd::GetEditList(int ACol, int, TStringList& List) {
  int c = ACol - ColOffset() + 1;
  for (int k = 1; k <= MaxNominalIDs; ++k) {
    std::string lab = FData->GetNominalID(c, k);
    if (!lab.empty()) List.Add(lab);
  }
}

void TNTabEd::Advance() {
  if (!FAutoAdvance) return;
  if (FAutoAdvanceDir == 0) {
    if (Row() < RowCount() - 1) FocusCell(Col(), Row() + 1);
  } else {
    if (Col() < ColCount() - 1) FocusCell(Col() + 1, Row());
  }
}

void TNTabEd::EditorClosedByKey(uint16_t Key, TShiftState) {
  if (Key == VK_RETURN) Advance();
  Invalidate();
}

void TNTabEd::KeyDown(uint16_t& Key, TShiftState Shift) {
  if ((Key == VK_RETURN || Key == 0) && !EditorMode()) {
    Advance();
    Key = 0;
    Invalidate();
    return;
  }
  TCustomGrid::KeyDown(Key, Shift);
  Invalidate();  // the top-left cell shows the current cell
}

void TNTabEd::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FHeadEdit->Visible() || FMemo->Visible()) {
    CloseHeadEdit();
    CloseMemo();
    return;
  }
  int gc = -1, gr = -1;
  bool inCell = MouseToCell(X, Y, gc, gr);
  if (Button == mbRight) {
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    if (!PopupMenu()) OpenContextMenu(X, Y);
    return;
  }
  if (Button == mbLeft && inCell && gc == 0 && gr == 0 && FCommentEditingAllowed) {
    EditComment();
    return;
  }
  if (Button == mbLeft && FDataReadOnly && inCell && gc == Col() && gr == Row()) {
    // A second click on the current cell opens no editor on a read-only table.
    Invalidate();
    return;
  }
  TCustomGrid::MouseDown(Button, Shift, X, Y);
  Invalidate();
}

// ------------------------------------------------------------------ heading edit and comment
void TNTabEd::EditHeading(int ACol, int ARow) {
  const int co = ColOffset(), ro = RowOffset();
  bool colHead = ARow < ro && ACol >= co && ACol < ColCount();
  bool rowHead = ACol < co && ARow >= ro && ARow < RowCount();
  if (!colHead && !rowHead) return;
  FHeadCol = ACol;
  FHeadRow = ARow;
  std::string t;
  if (colHead) t = ARow == 1 ? std::to_string(GetColAttrib(ACol - co + 1)) : GetColName(ACol - co + 1);
  else t = ACol == 1 ? std::to_string(GetRowAttrib(ARow - ro + 1)) : GetRowName(ARow - ro + 1);
  TRect cr = CellRect(ACol, ARow);
  FHeadEdit->SetBounds(cr.Left + 30, cr.Top + 5, 120, 21);
  FHeadEdit->SetText(t);
  FHeadEdit->SetVisible(true);
  FHeadEdit->SetFocus();
  Invalidate();
}

void TNTabEd::HeadEditKey(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_ESCAPE) {
    Key = 0;
    CloseHeadEdit();
    return;
  }
  if (Key != VK_RETURN) return;
  Key = 0;
  const int co = ColOffset(), ro = RowOffset();
  std::string t = FHeadEdit->Text();
  bool colHead = FHeadRow < ro;
  bool attrib = colHead ? FHeadRow == 1 : FHeadCol == 1;
  int idx = colHead ? FHeadCol - co + 1 : FHeadRow - ro + 1;
  if (attrib) {
    std::string n = Trim(t);
    std::replace(n.begin(), n.end(), ',', '.');
    size_t pos = 0;
    double v = 0;
    bool ok = false;
    try {
      v = std::stod(n, &pos);
      ok = !n.empty() && pos == n.size() && !std::isnan(v);
    } catch (...) {
      ok = false;
    }
    if (ok) {
      v = std::clamp(v, 0.0, 255.0);
      uint8_t b = static_cast<uint8_t>(std::lround(v));
      if (colHead) SetColAttrib(idx, b);
      else SetRowAttrib(idx, b);
    }
  } else {
    if (colHead) SetColName(idx, t);
    else SetRowName(idx, t);
  }
  CloseHeadEdit();
}

void TNTabEd::CloseHeadEdit() {
  if (!FHeadEdit->Visible()) return;
  FHeadEdit->SetVisible(false);
  if (CanFocus()) SetFocus();
  Invalidate();
}

void TNTabEd::EditComment() {
  if (!FCommentEditingAllowed) return;
  if (EditorMode()) HideEditor();
  int left = CellRect(0, 0).Right;
  if (left <= 0) left = ColWidths(0);
  FMemo->SetBounds(left, CellRect(0, 0).Bottom, std::max(10, Width() - 20 - left), 80);
  FMemo->SetText(Comment());
  FMemo->SetVisible(true);
  FMemo->SetFocus();
  Invalidate();
}

void TNTabEd::MemoKey(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_RETURN) {
    Key = 0;
    std::string t = FMemo->Text();
    CloseMemo();
    SetComment(t);
  } else if (Key == VK_ESCAPE) {
    Key = 0;
    CloseMemo();
  }
}

void TNTabEd::CloseMemo() {
  if (!FMemo->Visible()) return;
  FMemo->SetVisible(false);
  if (CanFocus()) SetFocus();
  Invalidate();
}

// ------------------------------------------------------------------ selection helpers
bool TNTabEd::DataSelection(int& c1, int& r1, int& c2, int& r2) const {
  TGridRect s = Selection();
  c1 = std::max(1, s.Left - ColOffset() + 1);
  r1 = std::max(1, s.Top - RowOffset() + 1);
  c2 = std::min(NrOfColumns(), s.Right - ColOffset() + 1);
  r2 = std::min(NrOfRows(), s.Bottom - RowOffset() + 1);
  return c1 <= c2 && r1 <= r2;
}

void TNTabEd::SelectAllData() {
  SetSelection({ColOffset(), RowOffset(), ColCount() - 1, RowCount() - 1});
  Invalidate();
}

void TNTabEd::MarkAction(int Set, uint8_t bit, bool v) {
  int c1, r1, c2, r2;
  if (Set == 3) {
    c1 = r1 = 1;
    c2 = NrOfColumns();
    r2 = NrOfRows();
  } else {
    if (!DataSelection(c1, r1, c2, r2)) return;
    if (Set == 1) {
      r1 = 1;
      r2 = NrOfRows();
    } else if (Set == 2) {
      c1 = 1;
      c2 = NrOfColumns();
    }
  }
  MarkBlock(c1, r1, c2, r2, bit, v);
}

void TNTabEd::ClearSelection() {
  if (FDataReadOnly) return;
  int c1, r1, c2, r2;
  if (!DataSelection(c1, r1, c2, r2)) return;
  for (int c = c1; c <= c2; ++c)
    for (int r = r1; r <= r2; ++r) {
      FData->SetElem(c, r, 0);
      FData->SetCellState(c, r, 0);
    }
}

void TNTabEd::ToggleEmptySelection() {
  if (FDataReadOnly) return;
  int c1, r1, c2, r2;
  if (!DataSelection(c1, r1, c2, r2)) return;
  for (int c = c1; c <= c2; ++c)
    for (int r = r1; r <= r2; ++r) FData->SetIsEmpty(c, r, !FData->GetIsEmpty(c, r));
}

// ------------------------------------------------------------------ clipboard
void TNTabEd::CopyToClipboard() {
  int c1, r1, c2, r2;
  if (!DataSelection(c1, r1, c2, r2)) return;
  FClip->Resize(c2 - c1 + 1, r2 - r1 + 1);
  std::string text;
  for (int r = r1; r <= r2; ++r) {
    text += ' ';
    for (int c = c1; c <= c2; ++c) {
      if (c > c1) text += '\t';
      FClip->SetElem(c - c1 + 1, r - r1 + 1, FData->GetElem(c, r));
      FClip->SetCellState(c - c1 + 1, r - r1 + 1, FData->GetCellState(c, r));
      if (!FData->GetIsNumber(c, r)) text += "####";
      else if (FClipFullPrec) text += strff(FData->GetElem(c, r), 22, -1);
      else text += strff(FData->GetElem(c, r), 1, GetDecPlaces(c));
    }
    text += "\r\n";
  }
  Clipboard().SetAsText(text);
  FClipValid = true;
  UpdateMenuCaptions();
}

void TNTabEd::PasteFromPrivateClipboard() {
  if (!FClipValid || FDataReadOnly) return;
  int c1, r1, c2, r2;
  if (!DataSelection(c1, r1, c2, r2)) return;
  int lastC = std::min(NrOfColumns(), c1 + FClip->NrOfColumns() - 1);
  int lastR = std::min(NrOfRows(), r1 + FClip->NrOfRows() - 1);
  for (int c = c1; c <= lastC; ++c)
    for (int r = r1; r <= lastR; ++r) {
      FData->SetElem(c, r, FClip->GetElem(c - c1 + 1, r - r1 + 1));
      FData->SetCellState(c, r, FClip->GetCellState(c - c1 + 1, r - r1 + 1));
    }
  SetSelection({c1 + ColOffset() - 1, r1 + RowOffset() - 1, lastC + ColOffset() - 1, lastR + RowOffset() - 1});
  Invalidate();
  if (OnPaste) OnPaste(this);
}

// Lines end at LF (a CR is a blank).  A line is split into fields at TAB; in a
// field, numbers are scanned one after the other (exponent allowed, '.' or ','
// as decimal point), each going to the next column; a field without a number
// still takes one column, so that the columns of tab-separated text stay in
// place.  Characters that cannot begin a number are skipped.
bool TNTabEd::ScanClipText(const std::string& Text, bool Store, int c0, int r0, int& Columns, int& Rows) {
  Columns = 0;
  Rows = 0;
  bool any = false;
  int line = 0;
  size_t start = 0;
  while (start <= Text.size()) {
    size_t end = Text.find('\n', start);
    if (end == std::string::npos) end = Text.size();
    std::string ln = Text.substr(start, end - start);
    std::replace(ln.begin(), ln.end(), '\r', ' ');
    int k = 0;
    bool lineHasNum = false;
    size_t fs = 0;
    bool hasTabs = ln.find('\t') != std::string::npos;
    while (true) {
      size_t fe = ln.find('\t', fs);
      if (fe == std::string::npos) fe = ln.size();
      std::string field = ln.substr(fs, fe - fs) + " ";
      int inField = 0;
      size_t p = 0;
      while (p < field.size()) {
        if (!CanBeginNumber(field[p])) {
          ++p;
          continue;
        }
        int pos = static_cast<int>(p) + 1;  // the scanner counts from 1
        double v = ScanFPNum(field, true, 3, pos);
        size_t np = static_cast<size_t>(std::max(pos - 1, 0));
        if (np <= p) np = p + 1;
        if (Store) {
          int c = c0 + k + inField, r = r0 + line;
          if (c >= 1 && c <= NrOfColumns() && r >= 1 && r <= NrOfRows()) {
            FData->SetElem(c, r, v);
            FData->SetCellState(c, r, FData->GetCellState(c, r) & static_cast<uint8_t>(~(csInvalid | csEmpty)));
          }
        }
        ++inField;
        p = np;
      }
      if (inField > 0) lineHasNum = true;
      k += hasTabs ? std::max(1, inField) : inField;
      if (fe >= ln.size()) break;
      fs = fe + 1;
    }
    if (lineHasNum) {
      any = true;
      // Trailing fields without numbers do not widen the block.
      Columns = std::max(Columns, k);
      Rows = line + 1;
    }
    ++line;
    if (end >= Text.size()) break;
    start = end + 1;
  }
  return any;
}

bool TNTabEd::GetClipMatrixSize(int& Columns, int& Rows) const {
  Columns = Rows = 0;
  if (!Clipboard().HasFormat(CF_TEXT)) return false;
  return const_cast<TNTabEd*>(this)->ScanClipText(Clipboard().AsText(), false, 0, 0, Columns, Rows);
}

void TNTabEd::ExtractFromClipboard() {
  if (FDataReadOnly || !Clipboard().HasFormat(CF_TEXT)) return;
  int c1, r1, c2, r2;
  if (!DataSelection(c1, r1, c2, r2)) return;
  int cols = 0, rows = 0;
  ScanClipText(Clipboard().AsText(), true, c1, r1, cols, rows);
  if (cols > 0 && rows > 0) {
    int lastC = std::min(NrOfColumns(), c1 + cols - 1), lastR = std::min(NrOfRows(), r1 + rows - 1);
    SetSelection({c1 + ColOffset() - 1, r1 + RowOffset() - 1, lastC + ColOffset() - 1, lastR + RowOffset() - 1});
  }
  Invalidate();
  if (OnChange) OnChange(this);
  if (OnPaste) OnPaste(this);
}

// ------------------------------------------------------------------ menus
void TNTabEd::BuildMenus() {
  auto sub = [this](TMenuItem* parent, std::vector<TMenuItem*>& list, uint8_t bit, bool v) {
    for (int i = 0; i < NTabEdSubEntries; ++i) {
      TMenuItem* it = new TMenuItem(FDataMenu);
      it->OnClick = [this, i, bit, v](TObject*) { MarkAction(i, bit, v); };
      parent->Add(it);
      list.push_back(it);
    }
  };
  for (int i = 0; i < NTabEdDataEntries; ++i) {
    TMenuItem* it = new TMenuItem(FDataMenu);
    FDataMenu->Items()->Add(it);
    FDItems.push_back(it);
  }
  sub(FDItems[0], FMarkA, csMarkA, true);
  sub(FDItems[1], FMarkB, csMarkB, true);
  sub(FDItems[2], FUnmarkA, csMarkA, false);
  sub(FDItems[3], FUnmarkB, csMarkB, false);
  FDItems[4]->OnClick = [this](TObject*) { UnMarkAllElems(); };
  FDItems[5]->OnClick = [this](TObject*) { ClearSelection(); };
  FDItems[6]->OnClick = [this](TObject*) { CopyToClipboard(); };
  FDItems[7]->OnClick = [this](TObject*) { PasteFromPrivateClipboard(); };
  FDItems[8]->OnClick = [this](TObject*) { SetDataReadOnly(!FDataReadOnly); };
  FDItems[9]->OnClick = [this](TObject*) { ExtractFromClipboard(); };
  FDItems[10]->OnClick = [this](TObject*) { SelectAllData(); };
  FDItems[11]->OnClick = [this](TObject*) { ToggleEmptySelection(); };
  for (int i = 0; i < NTabEdHeadEntries; ++i) {
    TMenuItem* it = new TMenuItem(FHeadMenu);
    it->OnClick = [this, i](TObject*) { HeadAction(i + 1); };
    FHeadMenu->Items()->Add(it);
    FHItems.push_back(it);
  }
  UpdateMenuCaptions();
}

void TNTabEd::UpdateMenuCaptions() {
  for (int i = 0; i < NTabEdDataEntries; ++i) {
    FDItems[i]->SetCaption(FDCaptions[i]);
    FDItems[i]->SetEnabled((FDMask >> i) & 1u);
  }
  for (int i = 0; i < NTabEdSubEntries; ++i) {
    FMarkA[i]->SetCaption(FMCaptions[i]);
    FMarkB[i]->SetCaption(FMCaptions[i]);
    FUnmarkA[i]->SetCaption(FUCaptions[i]);
    FUnmarkB[i]->SetCaption(FUCaptions[i]);
  }
  // The entries that change values, value states or the structure.
  for (int i : {5, 7, 9, 11})
    if (FDataReadOnly) FDItems[i]->SetEnabled(false);
  if (!FClipValid) FDItems[7]->SetEnabled(false);
  FDItems[8]->SetChecked(FDataReadOnly);
  FDItems[8]->SetImageIndex(FDataReadOnly ? 1 : 0);  // checked box / empty box

  const bool colHead = FHeadRow >= 0 && FHeadRow < RowOffset();
  const std::string what = colHead ? " Column" : " Row";
  for (int i = 0; i < NTabEdHeadEntries; ++i) {
    std::string cap = FHCaptions[i];
    if (i >= 2 && cap.size() >= 2 && cap.compare(cap.size() - 2, 2, "..") == 0)
      cap = cap.substr(0, cap.size() - 2) + what;
    FHItems[i]->SetCaption(cap);
    FHItems[i]->SetEnabled((FHMask >> i) & 1u);
  }
  FHItems[1]->SetVisible(colHead);
  if (FDataReadOnly)
    for (int i : {0, 3, 4}) FHItems[i]->SetEnabled(false);
}

void TNTabEd::OpenContextMenu(int X, int Y) {
  if (FBlockInternalPopup || PopupMenu()) return;
  int gc, gr;
  if (!MouseToCell(X, Y, gc, gr)) return;
  const int co = ColOffset(), ro = RowOffset();
  if (gc >= co && gr >= ro) {
    // A right click outside the selection moves the current cell there.
    if (!Selection().Contains(gc, gr)) FocusCell(gc, gr);
    UpdateMenuCaptions();
    if (OnBeforePopup) OnBeforePopup(this, FDataMenu);
    TPoint p = ClientToScreen(TPoint(X + 10, Y - 20));
    FDataMenu->Popup(p.X, p.Y);
    Invalidate();
    return;
  }
  if ((gc < co) == (gr < ro)) return;  // the corner cells have no menu
  FHeadCol = gc;
  FHeadRow = gr;
  UpdateMenuCaptions();
  if (OnBeforePopup) OnBeforePopup(this, FHeadMenu);
  TRect cr = CellRect(gc, gr);
  TPoint p = ClientToScreen(TPoint(cr.Left + 20, cr.Top + 20));
  FHeadMenuOpen = true;
  PaintNow();
  std::weak_ptr<int> life = LifeToken();
  FHeadMenu->Popup(p.X, p.Y);
  if (life.expired()) return;
  FHeadMenuOpen = false;
  Invalidate();
}

void TNTabEd::HeadAction(int Entry) {
  const int co = ColOffset(), ro = RowOffset();
  const bool colHead = FHeadRow < ro;
  const int idx = colHead ? FHeadCol - co + 1 : FHeadRow - ro + 1;
  switch (Entry) {
    case 1:
      if (!FDataReadOnly) EditHeading(FHeadCol, FHeadRow);
      break;
    case 2:
      if (colHead) {
        int d = GetDecPlaces(idx);
        SetDecPlaces(idx, d < 0 ? 10 : d - 1);
        // The menu opens again at the same place.
        TRect cr = CellRect(FHeadCol, FHeadRow);
        TPoint p = ClientToScreen(TPoint(cr.Left + 20, cr.Top + 20));
        UpdateMenuCaptions();
        FHeadMenu->Popup(p.X, p.Y);
      }
      break;
    case 3:
      if (colHead) SetSelection({FHeadCol, ro, FHeadCol, RowCount() - 1});
      else SetSelection({co, FHeadRow, ColCount() - 1, FHeadRow});
      Invalidate();
      break;
    case 4:
      if (FDataReadOnly) break;
      if (colHead) {
        InsertColumn(idx);
        SetColName(idx, "(...)");
      } else {
        InsertRow(idx);
        SetRowName(idx, "(...)");
      }
      break;
    case 5:
      if (FDataReadOnly) break;
      if (colHead) RemoveColumn(idx);
      else RemoveRow(idx);
      break;
    default:
      break;
  }
}

// ------------------------------------------------------------------ captions
// Caption tables: index 1..N, a new caption cut to the table's capacity.
template <size_t N>
std::string TNTabEd::CaptionAt(const std::array<std::string, N>& t, int i) {
  return i >= 1 && i <= static_cast<int>(N) ? t[static_cast<size_t>(i - 1)] : std::string();
}
template <size_t N>
void TNTabEd::SetCaptionAt(std::array<std::string, N>& t, int i, const std::string& s, size_t Cap) {
  if (i < 1 || i > static_cast<int>(N)) return;
  t[static_cast<size_t>(i - 1)] = CutUtf8(CutUtf8(s, SetCaptionMax), Cap);
  UpdateMenuCaptions();
}
std::string TNTabEd::GetPopupDCaption(int i) const { return CaptionAt(FDCaptions, i); }
void TNTabEd::SetPopupDCaption(int i, const std::string& s) { SetCaptionAt(FDCaptions, i, s, DataCaptionCap); }
std::string TNTabEd::GetPopupHCaption(int i) const { return CaptionAt(FHCaptions, i); }
void TNTabEd::SetPopupHCaption(int i, const std::string& s) { SetCaptionAt(FHCaptions, i, s, SubCaptionCap); }
std::string TNTabEd::GetPopupMCaption(int i) const { return CaptionAt(FMCaptions, i); }
void TNTabEd::SetPopupMCaption(int i, const std::string& s) { SetCaptionAt(FMCaptions, i, s, SubCaptionCap); }
std::string TNTabEd::GetPopupUCaption(int i) const { return CaptionAt(FUCaptions, i); }
void TNTabEd::SetPopupUCaption(int i, const std::string& s) { SetCaptionAt(FUCaptions, i, s, SubCaptionCap); }
void TNTabEd::SetPopupDMask(uint32_t m) {
  FDMask = m;
  UpdateMenuCaptions();
}
void TNTabEd::SetPopupHMask(uint32_t m) {
  FHMask = m;
  UpdateMenuCaptions();
}

}  // namespace zol
