// Platform services: the drawing grid.
//
// TCustomGrid shows a table of cells with fixed (heading) rows and columns,
// scrolls the others, keeps a current cell and a selection, navigates with
// the keyboard and the mouse, resizes columns and rows with the mouse and
// edits cells in place.  TDrawGrid leaves the cells' contents to OnDrawCell;
// TStringGrid keeps a text per cell and draws it.
//
// Geometry (control coordinates): with BorderStyle bsSingle a 2-pixel sunken
// frame surrounds the cells, which start at (2, 2) (GridOrigin); without a
// border at (0, 0).  Column c is ColWidths(c) pixels wide and followed by a
// grid line of GridLineWidth pixels; the fixed columns come first, then the
// columns from LeftCol on (rows likewise with RowHeights and TopRow).  A
// column or row of size 0 takes no space, not even its line.  The lines
// between fixed cells are clWindowFrame (goFixedVertLine/goFixedHorzLine),
// the others clSilver (goVertLine/goHorzLine); without the option the line's
// pixels keep the background.  A fixed cell is filled with FixedColor and
// gets a clBtnHighlight line along its top and left edges; a selected cell is
// clHighlight with clHighlightText (the current cell only with
// goDrawFocusSelected, or when the whole row is selected); the current cell
// carries the focus rectangle while the grid has the focus.  Scroll bars of
// 17 pixels appear at the right and bottom of the inside when the cells do
// not fit (ScrollBars decides which may appear).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_stdctrls.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

// Raised for an impossible grid layout ("Fixed column count must be less than column count").
class EInvalidGridOperation : public Exception { using Exception::Exception; };

struct TGridCoord {
  int X = 0, Y = 0;
  friend constexpr bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A block of cells, inclusive on all sides.
struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend constexpr bool operator==(const TGridRect&, const TGridRect&) = default;
  bool Contains(int c, int r) const { return c >= Left && c <= Right && r >= Top && r <= Bottom; }
};

using TGridOptions = uint32_t;
enum : TGridOptions {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4,
  goDrawFocusSelected = 1u << 5,
  goRowSizing = 1u << 6,
  goColSizing = 1u << 7,
  goEditing = 1u << 8,
  goTabs = 1u << 9,
  goRowSelect = 1u << 10,
  goAlwaysShowEditor = 1u << 11,
  goThumbTracking = 1u << 12,
};

using TGridDrawState = unsigned;
enum : TGridDrawState { gdSelected = 1, gdFocused = 2, gdFixed = 4 };

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TEditStyle { esSimple, esPickList };

using TDrawCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::string& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const std::string& Value)>;

class TCustomGrid;

// The in-place editor: an edit field without a frame laid over the current
// cell.  Enter stores the text (SetEditText) and closes it, Escape closes it
// and restores the text it started with; Up, Down, Page Up, Page Down and Tab
// store the text and move in the grid.
class TInplaceEdit : public TCustomEdit {
 public:
  explicit TInplaceEdit(TCustomGrid* AGrid);
  TCustomGrid* Grid() const { return FGrid; }

 protected:
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void DoExit() override;

 private:
  TCustomGrid* FGrid;
};

// The in-place editor of a cell with a pick list (GetEditStyle esPickList):
// a combo box over the cell taking free text, its list holding GetEditList.
class TInplaceEditList : public TComboBox {
 public:
  explicit TInplaceEditList(TCustomGrid* AGrid);
  TCustomGrid* Grid() const { return FGrid; }

 protected:
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void DoExit() override;

 private:
  TCustomGrid* FGrid;
};

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  // ---- size
  int ColCount() const { return static_cast<int>(FColWidths.size()); }
  void SetColCount(int v);  // at least 1; FixedCols shrinks to fit
  int RowCount() const { return static_cast<int>(FRowHeights.size()); }
  void SetRowCount(int v);
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int v);  // 0..ColCount−1, else EInvalidGridOperation
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int v);
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int v);  // resets every column's width
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int v);
  int ColWidths(int c) const;  // 0 out of range
  void SetColWidths(int c, int w);  // ignored out of range; negative widths taken as 0
  int RowHeights(int r) const;
  void SetRowHeights(int r, int h);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int v);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor v);
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions v);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool v);
  int DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(int v) { FDropDownRows = v < 1 ? 1 : v; }

  // ---- position and selection
  int Col() const { return FCurrent.X; }
  void SetCol(int v);
  int Row() const { return FCurrent.Y; }
  void SetRow(int v);
  // Moves the current cell (asking SelectCell) and collapses the selection onto it.
  void FocusCell(int ACol, int ARow);
  TGridRect Selection() const;
  void SetSelection(const TGridRect& r);
  int TopRow() const { return FTopLeft.Y; }
  void SetTopRow(int v);
  int LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int v);
  // Number of scrollable rows (columns) wholly visible from TopRow (LeftCol); at least 1 when any exist.
  int VisibleRowCount() const;
  int VisibleColCount() const;

  // ---- geometry
  TPoint GridOrigin() const;
  // The rectangle of a visible cell (without its lines); empty when the cell is scrolled away.
  TRect CellRect(int ACol, int ARow) const;
  // The cell under a control point; false (and −1, −1) outside every cell.
  bool MouseToCell(int X, int Y, int& ACol, int& ARow) const;
  TGridCoord MouseCoord(int X, int Y) const;
  TRect VertScrollBarRect() const;
  TRect HorzScrollBarRect() const;

  // ---- editing
  bool EditorMode() const;
  void SetEditorMode(bool v);
  // The editor while it is shown (nullptr otherwise).
  TCustomEdit* InplaceEditor() const;
  // Opens the editor on the current cell (goEditing and CanEditShow).
  void ShowEditor();
  // Closes the editor, storing its text.
  void HideEditor();
  // Closes the editor without storing.
  void CancelEditor();

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;

 protected:
  friend class TInplaceEdit;
  friend class TInplaceEditList;
  void Paint() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPressText(std::string& Text) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) override;
  void DoEnter() override;
  void DoExit() override;
  void Resize() override;

  // Draws one cell's contents (the background is already filled when
  // DefaultDrawing); the default fires OnDrawCell.
  virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
  // Whether the current cell may move to (ACol, ARow); the default asks OnSelectCell.
  virtual bool SelectCell(int ACol, int ARow);
  virtual std::string GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const std::string& Value);
  virtual bool CanEditShow() const;
  virtual TEditStyle GetEditStyle(int ACol, int ARow);
  virtual void GetEditList(int ACol, int ARow, TStringList& List);
  // Called when the in-place editor is about to show for (ACol, ARow), its
  // text already set; a grid may adjust it here (e.g. a password character).
  virtual void PrepareEditor(TCustomEdit& Editor, int ACol, int ARow);
  virtual void TopLeftChanged();
  // Called after Return (store) or Escape (cancel) closed the editor; the
  // default does nothing (a grid that advances on Return moves here).
  virtual void EditorClosedByKey(uint16_t Key, TShiftState Shift);
  virtual void SizeChanged(int OldColCount, int OldRowCount);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  // The navigation of a key (arrows, Home/End, Page Up/Down, Tab); true when it was one.
  bool MoveByKey(uint16_t Key, TShiftState Shift);

 private:
  void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
  void ClampInView();
  void UpdateScrollState();
  int MaxTopRow() const;
  int MaxLeftCol() const;
  TRect Inside() const;
  TRect CellsArea() const;
  bool VertBarShowing() const;
  bool HorzBarShowing() const;
  TScrollBarState VertState() const;
  TScrollBarState HorzState() const;
  // Column (row) start positions of the visible cells.
  int ColStart(int c) const;
  int RowStart(int r) const;
  int SizingLine(int X, int Y, bool& IsCol) const;
  // The keys that close the editor (Return, Escape) or store it and move
  // (Up, Down, Page Up/Down, Tab); true when Key was one of them.
  bool EditorKey(uint16_t& Key, TShiftState Shift);
  // Closes the editor (storing its text when asked and changed), then moves by MoveKey.
  void EditorDone(bool Store, uint16_t MoveKey, TShiftState Shift, bool Refocus);
  void PlaceEditor();

  std::vector<int> FColWidths{0}, FRowHeights{0};
  int FFixedCols = 1, FFixedRows = 1;
  int FDefaultColWidth = 64, FDefaultRowHeight = 24;
  int FGridLineWidth = 1;
  TColor FFixedColor = clBtnFace;
  TGridOptions FOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  TScrollStyle FScrollBars = ssBoth;
  TBorderStyle FBorderStyle = bsSingle;
  bool FDefaultDrawing = true;
  int FDropDownRows = 8;
  TGridCoord FCurrent{1, 1}, FAnchor{1, 1}, FTopLeft{1, 1};
  // Mouse state.
  enum class Drag { None, Select, SizeCol, SizeRow, VBar, HBar };
  Drag FDrag = Drag::None;
  int FSizeIndex = 0, FSizeStart = 0, FSizeOrig = 0;
  TScrollBarTracker FTracker;
  // Editor.
  TInplaceEdit* FEdit = nullptr;
  TInplaceEditList* FEditList = nullptr;
  TCustomEdit* FActiveEditor = nullptr;
  std::string FEditOriginal;
  bool FClosingEditor = false;
};

class TDrawGrid : public TCustomGrid {
 public:
  explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
};

// A grid holding a text per cell.  Cells are drawn with their text 2 pixels
// right of and 2 below the cell's corner (then OnDrawCell runs); the editor
// edits the text and a committed edit stores it.
class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* AOwner);
  // "" out of range; the setter ignores cells out of range.
  std::string Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const std::string& v);
  std::vector<std::string> Cols(int ACol) const;
  std::vector<std::string> Rows(int ARow) const;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  std::string GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const std::string& Value) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;

 private:
  std::vector<std::vector<std::string>> FCells;  // [row][col]
};

}  // namespace zol
