// TNTabEd: a grid control for viewing and editing a numeric data table.
//
// The editor creates and owns one TDataTable and shows it through the
// platform grid.  Grid layout (grid indices 0-based): column 0 holds the row
// names (80 pixels wide at creation); with AttribRowVisible column 1 holds
// the row attributes (32 pixels); then the data columns.  Row 0 holds the
// column names; with AttribColVisible row 1 holds the column attributes; then
// the data rows.  Data column c sits in grid column c + ColOffset() − 1.
//
// The top-left cell shows the current cell as "column:row" (or "Comment:"
// while the comment is edited).  Cell texts: invalid cells "-nan-", empty
// cells nothing, category cells (nominal and ordinal columns) their label,
// other cells FormatData(value, NumWidth, decimal places of the column).
//
// Two built-in context menus (data cells, headings) mark and unmark cells,
// clear, copy, paste, extract numbers from the clipboard, toggle the empty
// flag and edit the headings.  Copy writes one line per selected row ending
// in CR LF; a line starts with a blank, its fields are separated by TAB, a
// cell that is not a number is written "####".  Extract reads such text back:
// fields are split at TABs so that every field keeps its column (a field
// without a number leaves its cell alone); inside a field the numbers
// separated by blanks go to consecutive columns.
//
// DataReadOnly locks typing and every menu entry that changes values, states
// of values (empty flag), names or the table's structure: Clear, Paste,
// Extract, Toggle Empty, Edit Heading, Insert and Delete.  Marking stays
// possible on a read-only table.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_grids.h"
#include "base/platform/Zol_menus.h"
#include "base/platform/Zol_stdctrls.h"
#include "math/Zol_datatable.h"

namespace zol {

class EZOLNTabedError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

using TBeforePopupEvent = std::function<void(TObject* Sender, TPopupMenu* Menu)>;
// Col and Row are grid indices (headings included).
using TBeforeRenderCellEvent = std::function<void(TObject* Sender, int Col, int Row, TFontStyles& FontStyle,
                                                  TColor& BrushColor, TColor& FontColor, std::string& Text)>;

// Number of entries of the caption tables.
constexpr int NTabEdDataEntries = 12;   // data menu, captions of at most 25 bytes
constexpr int NTabEdHeadEntries = 5;    // heading menu, 20 bytes
constexpr int NTabEdSubEntries = 4;     // "Range", "Column", "Row", "All", 20 bytes

class TNTabEd : public TCustomGrid {
 public:
  explicit TNTabEd(TComponent* AOwner);
  ~TNTabEd() override;

  // ---------------------------------------------------------------- data table
  TDataTable* Data() const { return FData; }
  int NrOfColumns() const { return FData->NrOfColumns(); }
  int NrOfRows() const { return FData->NrOfRows(); }
  void SetNrCols(int n);
  void SetNrRows(int n);
  void Redimension(int Columns, int Rows);
  std::string Comment() const { return FData->Comment(); }
  void SetComment(const std::string& v) { FData->SetComment(v); }

  // Forwarding operations (the data table's operations; its events reach ours).
  double GetElem(int c, int r) const { return FData->GetElem(c, r); }
  void SetElem(int c, int r, double v) { FData->SetElem(c, r, v); }
  uint8_t GetCellState(int c, int r) const { return FData->GetCellState(c, r); }
  void SetCellState(int c, int r, uint8_t s) { FData->SetCellState(c, r, s); }
  std::string GetColName(int c) const { return FData->GetColName(c); }
  void SetColName(int c, const std::string& v) { FData->SetColName(c, v); }
  std::string GetRowName(int r) const { return FData->GetRowName(r); }
  void SetRowName(int r, const std::string& v) { FData->SetRowName(r, v); }
  uint8_t GetColAttrib(int c) const { return FData->GetColAttrib(c); }
  void SetColAttrib(int c, uint8_t v) { FData->SetColAttrib(c, v); }
  uint8_t GetRowAttrib(int r) const { return FData->GetRowAttrib(r); }
  void SetRowAttrib(int r, uint8_t v) { FData->SetRowAttrib(r, v); }
  void InsertRow(int r) { FData->InsertRow(r); }
  void RemoveRow(int r) { FData->RemoveRow(r); }
  void InsertColumn(int c);
  void RemoveColumn(int c);
  void MirrorColumns();
  void MirrorRows() { FData->MirrorRows(); }
  void Fill(double v) { FData->Fill(v); }
  int FillMarkedCells(double v, uint8_t Mask) { return FData->FillMarkedCells(v, Mask); }
  void InvertCellStates(uint8_t Mask) { FData->InvertCellStates(Mask); }
  void ExchangeMarkings() { FData->ExchangeMarkings(); }
  // Clears the table: names "C-n" and "R-n", decimal places 3.
  void Clear();
  void SortCols(int KeyRow, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi, bool WithNames) {
    FData->SortCols(KeyRow, Ascending, ColLo, RowLo, ColHi, RowHi, WithNames);
  }
  void SortRows(int KeyCol, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi, bool WithNames) {
    FData->SortRows(KeyCol, Ascending, ColLo, RowLo, ColHi, RowHi, WithNames);
  }
  void SortColNames(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
    FData->SortColNames(Ascending, ColLo, RowLo, ColHi, RowHi);
  }
  void SortRowNames(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
    FData->SortRowNames(Ascending, ColLo, RowLo, ColHi, RowHi);
  }
  void SortColAttributes(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
    FData->SortColAttributes(Ascending, ColLo, RowLo, ColHi, RowHi);
  }
  void SortRowAttributes(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
    FData->SortRowAttributes(Ascending, ColLo, RowLo, ColHi, RowHi);
  }
  int FindColIndex(const std::string& Name) const { return FData->FindColIndex(Name); }
  int FindRowIndex(const std::string& Name) const { return FData->FindRowIndex(Name); }
  void AssignAnotherDataMatrix(TMatrix* m) { FData->AssignAnotherDataMatrix(m); }
  void CopyContentsFrom(const TNTabEd* Other);
  bool CopyCellStatesFrom(const TNTabEd* Other);

  // ---------------------------------------------------------------- cells
  int GetDecPlaces(int c) const;
  void SetDecPlaces(int c, int v);  // above 10 -> 10, negative -> −1
  bool GetIsEmpty(int c, int r) const { return FData->GetIsEmpty(c, r); }
  void SetIsEmpty(int c, int r, bool v) { FData->SetIsEmpty(c, r, v); }
  bool GetIsNumber(int c, int r) const { return FData->GetIsNumber(c, r); }
  bool GetElemMarkedA(int c, int r) const { return (GetCellState(c, r) & csMarkA) != 0; }
  bool GetElemMarkedB(int c, int r) const { return (GetCellState(c, r) & csMarkB) != 0; }
  void SetElemMarkedA(int c, int r, bool v) { SetMarkBit(c, r, csMarkA, v); }
  void SetElemMarkedB(int c, int r, bool v) { SetMarkBit(c, r, csMarkB, v); }
  bool IfRowMarked(int r) const { return FData->IfRowHasCellState(r, csMarkA | csMarkB); }
  bool IfColumnMarked(int c) const { return FData->IfColHasCellState(c, csMarkA | csMarkB); }
  bool IfAnyMarked() const;
  int NrOfMarkedDataA() const;
  int NrOfMarkedDataB() const;
  void MarkAllElemsA() { MarkBlock(1, 1, NrOfColumns(), NrOfRows(), csMarkA, true); }
  void MarkAllElemsB() { MarkBlock(1, 1, NrOfColumns(), NrOfRows(), csMarkB, true); }
  void UnMarkAllElems() { FData->UnmarkAllCells(); }
  // The text a data cell shows ("" outside the table).
  std::string CellText(int c, int r) const;

  // ---------------------------------------------------------------- layout
  int ColOffset() const { return FAttribRowVisible ? 2 : 1; }
  int RowOffset() const { return FAttribColVisible ? 2 : 1; }
  // Fits data column c (0: the row-name column) to its widest text; with
  // WithHeading the heading counts too; Extra pixels are added.
  void AutoColWidth(int Column, bool WithHeading, int Extra);
  // Data row r (0: every row) becomes as high as the font's text plus Extra.
  void AutoRowHeight(int Row, int Extra);
  void SetRowHeight(int Row, int Height);  // data row (0: the column-name row)

  // ---------------------------------------------------------------- clipboard
  bool GetClipMatrixSize(int& Columns, int& Rows) const;
  // The menu actions, also callable directly.
  void CopyToClipboard();
  void PasteFromPrivateClipboard();
  bool ClipboardPasteAvailable() const { return FClipValid; }
  void ExtractFromClipboard();
  const TDataTable* PrivateClipboard() const { return FClip; }

  // ---------------------------------------------------------------- menus
  TPopupMenu* DataMenu() const { return FDataMenu; }
  TPopupMenu* HeadingMenu() const { return FHeadMenu; }
  std::string GetPopupDCaption(int i) const;
  void SetPopupDCaption(int i, const std::string& s);
  std::string GetPopupHCaption(int i) const;
  void SetPopupHCaption(int i, const std::string& s);
  std::string GetPopupMCaption(int i) const;
  void SetPopupMCaption(int i, const std::string& s);
  std::string GetPopupUCaption(int i) const;
  void SetPopupUCaption(int i, const std::string& s);
  void SetPopupDMask(uint32_t m);
  void SetPopupHMask(uint32_t m);
  // Opens the data menu (over data cells) or the heading menu as a right
  // click at (X, Y) does.
  void OpenContextMenu(int X, int Y);

  // ---------------------------------------------------------------- in-place editors
  TEdit* HeadingEdit() const { return FHeadEdit; }
  TMemo* CommentMemo() const { return FMemo; }
  bool CommentEditing() const { return FMemo->Visible(); }
  // Opens the heading edit over grid cell (ACol, ARow).
  void EditHeading(int ACol, int ARow);
  void EditComment();

  // ---------------------------------------------------------------- properties
  bool AttribRowVisible() const { return FAttribRowVisible; }
  void SetAttribRowVisible(bool v);
  bool AttribColVisible() const { return FAttribColVisible; }
  void SetAttribColVisible(bool v);
  int NumWidth() const { return FNumWidth; }
  void SetNumWidth(int v);
  bool DataReadOnly() const { return FDataReadOnly; }
  void SetDataReadOnly(bool v);
  bool AutoAdvance() const { return FAutoAdvance; }
  void SetAutoAdvance(bool v) { FAutoAdvance = v; }
  int AutoAdvanceDir() const { return FAutoAdvanceDir; }
  void SetAutoAdvanceDir(int v) { FAutoAdvanceDir = v == 1 ? 1 : 0; }
  bool BlockInternalPopup() const { return FBlockInternalPopup; }
  void SetBlockInternalPopup(bool v) { FBlockInternalPopup = v; }
  bool CommentEditingAllowed() const { return FCommentEditingAllowed; }
  void SetCommentEditingAllowed(bool v) { FCommentEditingAllowed = v; }
  bool ClipboardUseFullPrec() const { return FClipFullPrec; }
  void SetClipboardUseFullPrec(bool v) { FClipFullPrec = v; }
  bool BoldMarks() const { return FBoldMarks; }
  void SetBoldMarks(bool v) { SetProp(FBoldMarks, v); }
  bool BoldSelHeads() const { return FBoldSelHeads; }
  void SetBoldSelHeads(bool v) { SetProp(FBoldSelHeads, v); }
  int NomEditDropDownCount() const { return FNomDropDown; }
  void SetNomEditDropDownCount(int v);
  bool OptimizeRowHeight() const { return FOptimizeRowHeight; }
  void SetOptimizeRowHeight(bool v);
  TColor ColorBackground() const { return FColBackground; }
  void SetColorBackground(TColor v) { SetProp(FColBackground, v); }
  TColor ColorFixed() const { return FixedColor(); }
  void SetColorFixed(TColor v) { SetFixedColor(v); }
  TColor ColorNormal() const { return FColNormal; }
  void SetColorNormal(TColor v) { SetProp(FColNormal, v); }
  TColor ColorSelected() const { return FColSelected; }
  void SetColorSelected(TColor v) { SetProp(FColSelected, v); }
  TColor ColorMarkedA() const { return FColMarkA; }
  void SetColorMarkedA(TColor v) { SetProp(FColMarkA, v); }
  TColor ColorMarkedB() const { return FColMarkB; }
  void SetColorMarkedB(TColor v) { SetProp(FColMarkB, v); }
  TColor ColorMarkedBoth() const { return FColMarkBoth; }
  void SetColorMarkedBoth(TColor v) { SetProp(FColMarkBoth, v); }
  TColor ColorRangeSelFG() const { return FColRangeFG; }
  void SetColorRangeSelFG(TColor v) { SetProp(FColRangeFG, v); }
  TColor ColorRangeSelBG() const { return FColRangeBG; }
  void SetColorRangeSelBG(TColor v) { SetProp(FColRangeBG, v); }

  // ---------------------------------------------------------------- events
  TNotifyEvent OnChange, OnChangeSetup, OnHeadingChanged, OnAttributeChanged, OnCellStateChanged,
      OnLayoutChanged, OnPaste;
  TSortExchgEvent OnSortExchange;
  TBeforePopupEvent OnBeforePopup;
  TBeforeRenderCellEvent OnBeforeRenderCell;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  bool CanEditShow() const override;
  std::string GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const std::string& Value) override;
  TEditStyle GetEditStyle(int ACol, int ARow) override;
  void GetEditList(int ACol, int ARow, TStringList& List) override;
  void EditorClosedByKey(uint16_t Key, TShiftState Shift) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void ColWidthsChanged() override;

 private:
  template <class T>
  void SetProp(T& field, T v) {
    if (field == v) return;
    field = v;
    Invalidate();
  }
  template <size_t N>
  static std::string CaptionAt(const std::array<std::string, N>& t, int i);
  template <size_t N>
  void SetCaptionAt(std::array<std::string, N>& t, int i, const std::string& s, size_t Cap);
  void SyncSize();
  void RebuildLayout();
  void SetMarkBit(int c, int r, uint8_t bit, bool v);
  void MarkBlock(int c1, int r1, int c2, int r2, uint8_t bit, bool v);
  // The selection in data coordinates, clamped to the table; false when empty.
  bool DataSelection(int& c1, int& r1, int& c2, int& r2) const;
  void Advance();
  void BuildMenus();
  void UpdateMenuCaptions();
  void MarkAction(int Set, uint8_t bit, bool v);  // Set: 0 range, 1 columns, 2 rows, 3 all
  void ClearSelection();
  void ToggleEmptySelection();
  void SelectAllData();
  void HeadAction(int Entry);
  void HeadEditKey(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void MemoKey(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void CloseHeadEdit();
  void CloseMemo();
  // Parses clipboard-style text; Store writes the numbers at (c0, r0).
  bool ScanClipText(const std::string& Text, bool Store, int c0, int r0, int& Columns, int& Rows);

  TDataTable* FData = nullptr;
  TDataTable* FClip = nullptr;
  bool FClipValid = false;
  TEdit* FHeadEdit = nullptr;
  TMemo* FMemo = nullptr;
  TPopupMenu* FDataMenu = nullptr;
  TPopupMenu* FHeadMenu = nullptr;
  std::vector<TMenuItem*> FDItems, FHItems, FMarkA, FMarkB, FUnmarkA, FUnmarkB;
  std::array<std::string, NTabEdDataEntries> FDCaptions;
  std::array<std::string, NTabEdHeadEntries> FHCaptions;
  std::array<std::string, NTabEdSubEntries> FMCaptions, FUCaptions;
  uint32_t FDMask = 0xFFFFFFFFu, FHMask = 0xFFFFFFFFu;
  std::vector<int> FDecPlaces;
  int FHeadCol = -1, FHeadRow = -1;  // grid cell of the heading menu / heading edit
  bool FHeadMenuOpen = false;
  bool FAttribRowVisible = true, FAttribColVisible = false;
  int FNumWidth = 1;
  bool FDataReadOnly = false;
  bool FAutoAdvance = true;
  int FAutoAdvanceDir = 0;
  bool FBlockInternalPopup = false, FCommentEditingAllowed = true, FClipFullPrec = true;
  bool FBoldMarks = true, FBoldSelHeads = true;
  int FNomDropDown = 8;
  bool FOptimizeRowHeight = false;
  TColor FColBackground = clWindow, FColNormal = 0x002000, FColSelected = 0x404040, FColMarkA = 0x0000FF,
         FColMarkB = 0xFF0000, FColMarkBoth = 0xCC00BB, FColRangeFG = 0x80552C, FColRangeBG = 0xF8E8E0;
  bool FInLayout = false;
};

}  // namespace zol
