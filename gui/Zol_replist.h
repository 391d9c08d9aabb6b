// Report list data: a table of short text cells in named columns, each column
// with an optional input format and check-mark mode, plus a common header, a
// comment and a data identifier.  The cells live in a TStringArray (column 0 is
// a hidden key column); rows are numbered 1..NrOfRows.
//
// Check marks: in a column whose check mode is not cmNone the stored text
// begins with a check character ('X' checked, blank unchecked, any other
// character checked) followed by the visible text; an empty stored text is
// unchecked with empty visible text.
//
// Column formats "[type][width]rest" (at most 80 characters): the type letter
// (c, l, d, e, f, h, i, s; a leading '#' marks a field that cannot be edited,
// ":N" after c or l the number of drop-down lines, the text after d a date
// pattern), the editing field's width in pixels (missing or not positive: 200)
// and the type's parameter text.  The default value of a new row: c/l the first
// choice of "a|b|c"; d the rest; e/f the rest, or with "rixN" the row number
// with N decimals; h with "rixN" N upper-case hexadecimal digits (at most 8); i
// with "rixN" the row number padded to N digits; s the rest, or with "$pwd$N" a
// new password of N characters.  The markers are found case-insensitively; N
// is read directly after the marker.
//
// Tagged-text record (the common record syntax of the suite):
//
//   <!-- TRLData / ZOL Component Suite -->
//   <replist sig="ZOLCSuite" vers="1.0" id="DataID">
//     <numcols>3</numcols>
//     <numrows>2</numrows>
//     <colname col=1>Name</colname>
//     <checkedcol col=2 mode="box" />      (mode box or radio)
//     <commonhd>Header</commonhd>
//     <colformat col=3>[f][80]rix2</colformat>
//     <cell col=1 row=1>text</cell>        (stored texts, logical order, only non-empty)
//     <comment>text</comment>
//   </replist>
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_dstruct.h"
#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_grids.h"
#include "base/platform/Zol_menus.h"

namespace zol {

class EZOLRLDataError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TCheckMode { cmNone, cmBox, cmRadio };

// Tags of the record.  A scoped enumeration: the matrix unit already has an
// unscoped xmlInvalid.
enum class TRepListXmlTag {
  xmlNumCols,
  xmlNumRows,
  xmlColName,
  xmlCheckedColumn,
  xmlCommonHd,
  xmlColumnFormat,
  xmlCell,
  xmlComment,
  xmlEndReplist,
  xmlInvalid
};

using TNameStrType = std::string;   // at most 50 bytes
using TColFmtString = std::string;  // at most 80 bytes

using TBeforeHTMLExportEvent = std::function<void(TObject* Sender, std::string& Text, int Col, int Row)>;

class TRLData : public TComponent {
 public:
  static constexpr int MaxNameLength = 50;
  static constexpr int MaxFormatLength = 80;

  explicit TRLData(TComponent* AOwner);
  ~TRLData() override;

  // ---- dimensions and texts
  int NrOfColumns() const { return FNrCols; }
  void SetNrCols(int n);  // below 1 taken as 1
  int NrOfRows() const { return FNrRows; }
  void SetNrRows(int n);  // below 0 taken as 0
  // Adds an empty row at the end / inserts one before row r (1..NrOfRows + 1).
  int AddRow();
  void InsertRow(int r);
  const std::string& CommonHeader() const { return FCommonHeader; }
  void SetCommonHeader(const std::string& v) { FCommonHeader = v; }
  const std::string& Comment() const { return FComment; }
  void SetComment(const std::string& v) { FComment = v; }
  const std::string& DataID() const { return FDataID; }
  void SetDataID(const std::string& v) { FDataID = v; }

  // ---- columns (c in 1..NrOfColumns; others ignored or answered empty)
  std::string GetColName(int c) const;
  void SetColName(int c, const std::string& Name);  // cut to 50 bytes
  std::string GetColumnFormat(int c) const;
  void SetColumnFormat(int c, const std::string& Format);  // cut to 80 bytes
  TCheckMode GetColCheckMode(int c) const;
  void SetColCheckMode(int c, TCheckMode Mode);
  bool GetCheckedCol(int c) const { return GetColCheckMode(c) == cmBox; }
  void SetCheckedCol(int c, bool v) { SetColCheckMode(c, v ? cmBox : cmNone); }
  // The highest column whose name equals Name (Partial: contains it), ASCII case folded; −1 if none.
  int ColumnIndex(const std::string& Name, bool Partial) const;

  // ---- cells (c in 0..NrOfColumns, r in 1..NrOfRows)
  std::string GetElem(int c, int r) const;
  void SetElem(int c, int r, const std::string& Text);
  bool GetElemChecked(int c, int r) const;
  void SetElemChecked(int c, int r, bool State);
  void SetAllCheckmarksOfCol(int c, bool State);
  void InvertAllCheckmarksOfCol(int c);
  int CountCheckedElemsInCol(int c) const;
  int CountCheckedElemsInRow(int r) const;
  int FirstCheckedElemInCol(int c) const;
  // The stored text as a number (TStringArray::GetAsNumber, which raises for non-numbers); 0 out of range.
  double GetAsNumber(int c, int r) const;
  std::string GetCellDefaultValue(int c, int r) const;
  void CopyRow(int Src, int Dst);
  void RemoveRow(int r);
  void RemoveEmptyRows();
  void Fill(const std::string& Text);
  void Clear();

  // ---- sorting
  int SortColumn() const { return FSortColumn; }
  int SortColumnSec() const { return FSortColumnSec; }
  bool SortOrder() const { return FSortOrder; }
  bool SortToggle() const { return FSortToggle; }
  void SetSortToggle(bool v) { FSortToggle = v; }
  void Sort(int ColIx, int Col2Ix, bool Ascending);
  void UnSort();

  // ---- clipboard
  // The text CopyToClipBoard puts on the clipboard.
  std::string ClipboardText(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader,
                            bool TabSeparated) const;
  std::string ClipboardText(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader,
                            const std::string& Separator) const;
  void CopyToClipBoard(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader, bool TabSeparated) const;
  void CopyToClipBoard(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader,
                       const std::string& Separator) const;

  // ---- assignment
  void Assign(const TPersistent& Source) override;
  // Assigns this list to Dest: another TRLData takes a copy (Dest.Assign(*this));
  // other targets raise EConvertError, as the platform's generic assignment does.
  void AssignTo(TPersistent& Dest) const;

  // ---- hooks
  void BeforeHTMLExport(std::string& Text, int Col, int Row);
  void BeforeSortExchange(TObject* Sender, const std::string& InString, std::string& OutString);

  // ---- files
  // Readers answer false (the list unchanged) when the record is missing, truncated or inconsistent.
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& DataID);
  bool LoadFromXMLFile(const std::string& FileName, const std::string& DataID);
  bool ReadFromXMLStream(TStream& Stream, const std::string& DataID);
  bool ReadFromXMLString(const std::string& Text, const std::string& DataID);
  // An empty DataID writes the list's own DataID.
  void WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const;
  void WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const;
  bool SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const;
  // Fills the list from lines FirstLine..LastLine (1-based; LastLine < FirstLine:
  // to the end) of a text file, one row per line, fields split at TAB into
  // columns 1, 2, …; the column count grows to the widest line.  False when
  // the file cannot be read (the list unchanged).
  bool LoadLinesFromFile(int FirstLine, int LastLine, const std::string& FileName);
  // Writes the cell range as an HTML page holding one table: with WithHeader a
  // row of column names (background HeaderColor, e.g. "#E0E0E0", when given);
  // ColWidths[i] (pixels, 0 or missing: no width) for the i-th column of the
  // range; Border, CellPadding, CellSpacing as table attributes; Title as the
  // page title, Caption as the table caption (when not empty).  Each cell text
  // passes BeforeHTMLExport and is escaped.  False when the file cannot be written.
  bool ExportHTMLTable(const std::string& FileName, int ColLow, int ColHigh, int RowLow, int RowHigh,
                       const std::vector<int>& ColWidths, int Border, int CellPadding, int CellSpacing,
                       bool WithHeader, const std::string& Title, const std::string& Caption,
                       const std::string& HeaderColor);

  // The cell store (row attributes are kept there).
  TStringArray& Cells() { return *FCells; }
  const TStringArray& Cells() const { return *FCells; }

  TBeforeSortExchgEvent OnBeforeSortExchange;
  TBeforeHTMLExportEvent OnBeforeHTMLExport;
  TOnPercentDoneEvent OnPercentDone;

 private:
  bool ValidCol(int c) const { return c >= 1 && c <= FNrCols; }
  bool ValidRow(int r) const { return r >= 1 && r <= FNrRows; }
  bool HasCheck(int c) const { return ValidCol(c) && FCheckModes[c] != cmNone; }
  void ResetColumns(int from);
  std::string RecordText(bool CreateHeader, const std::string& DataID) const;
  bool ReadRecordBody(const std::string& Body, size_t InputSize);
  void HookStore();

  std::unique_ptr<TStringArray> FCells;
  int FNrCols = 1, FNrRows = 0;
  std::string FCommonHeader = "ZOL Report Listview", FComment, FDataID;
  std::vector<std::string> FColNames, FColFormats;  // index 0 unused
  std::vector<TCheckMode> FCheckModes;
  int FSortColumn = -1, FSortColumnSec = -1;
  bool FSortOrder = true, FSortToggle = true;
};

// Whether a report list record (with this data identifier, ASCII case folded;
// empty: any) opens in the file / in the stream from its position (the stream
// is then left after the opening line).  A file that cannot be opened raises EInOutError.
bool CheckIfValidReplist(const std::string& FileName, const std::string& DataID);
bool CheckIfValidReplist(TStream& Stream, const std::string& DataID);


// ==================================================================== TReportListView
// A grid control that shows and edits one report list (TRLData), which it
// creates and owns.
//
// Grid layout: grid column g shows data column g + 1 (data column 0 is never
// shown); the head rows (the common header row when CommonHeaderVisible, then
// the column header row when ColumnHeadersVisible; CountHeadRows of them) are
// the grid's fixed rows; grid row CountHeadRows + r − 1 shows logical data row
// r.  The grid keeps at least one row below the head rows: with no rows it is
// blank and the empty message is drawn below the head rows.
//
// Row attribute bits (in the cell store, moving with their rows through
// sorting, insertion and removal): 128 selected, 64 disabled (not checkable,
// not editable, drawn in the disabled colours), 32 hidden by the filter of
// FilterAndSort (the grid row then has height 0).  Column attribute bit 128:
// the column is selected.  Attribute changes raise OnSelectedChange, not OnChange.
//
// Check marks: a click less than 18 pixels right of a check cell's left edge
// proposes the opposite state; OnBeforeCheckedChange may replace it (a veto
// leaves the cell as it is, also in radio columns); OnCheckedChange then
// receives the state the cell now has.  A click on the checked cell of a radio
// column changes nothing (a radio column is unchecked only by the program).
//
// Password columns show six asterisks; the in-place editor and the row editor
// mask their text with '*'.
//
// Context menu (right click, unless the application assigned its own
// PopupMenu): "Copy", "Copy All", "Select All", "Deselect All", "Edit Row...",
// "Insert Row", "Add Row", "Delete Row", "Remove Empty Rows", "Check All",
// "Uncheck All", "Invert Check Marks", "Data Read-Only".  Copy writes the
// selected rows (or the cursor row when none is selected) in the tab layout
// with the column names; Copy All the whole list.  DataReadOnly locks typing,
// check-box clicks, the row editor and every menu entry that changes the data
// (Edit Row, Insert, Add, Delete, Remove Empty Rows, Check All, Uncheck All,
// Invert); selecting and copying stay possible.
//
// Filtering (FilterAndSort): a row is shown when the filter finds a match in
// one of the searched columns (their visible texts; all columns when the list
// of columns is empty; an empty filter shows every row).  fmSimple: the filter
// text occurs in the cell.  fmBoolean: terms combined with AND, OR, NOT (also
// &, |, !), parentheses and "quoted phrases"; adjacent terms without an
// operator are combined with AND; NOT binds tighter than AND, AND tighter
// than OR; a term matches a row when it occurs in one of its searched cells.
// fmGrep: the filter is a pattern of the suite's TGrep matcher.  Case is
// folded (ASCII) unless MatchCase.  OnBeforeFilter is asked for every row
// with Found true and CombineWithInternalSearch loAND: the row is shown when
// (internal result) op Found holds, op being the handler's TLogicOp.
class EZOLRepListError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TFilterMode { fmSimple, fmBoolean, fmGrep };

using TCheckStateChangeEvent = std::function<void(TObject* Sender, bool State, int Col, int Row)>;
using TBeforeCheckStateChangeEvent = std::function<void(TObject* Sender, bool& State, int Col, int Row)>;
using TRequestEditFormatEvent = std::function<void(TObject* Sender, int Col, int Row, std::string& Format)>;
// ACol, ARow: data column and row.
using TRenderCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, TColor& PenColor, TColor& BrushColor,
                       TColor& FontColor, TFontStyles& FontStyles, std::string& Text)>;
using TBeforeFilterEvent =
    std::function<void(TObject* Sender, int Row, bool& Found, TLogicOp& CombineWithInternalSearch)>;
// Col, Row: data column and row.
using TRLEditTextEvent = std::function<void(TObject* Sender, int Col, int Row, std::string& Value)>;

// The pixel width of the widest visible text of data column Col (rows
// 1..NrOfRows, check characters removed) in the canvas's font; with
// WithHeader the column name counts too.  0 for a column out of range.
int DetermineMaxColWidth(TCanvas& Canvas, const TRLData& Data, int Col, bool WithHeader);

class TReportListView : public TCustomGrid {
 public:
  static constexpr uint8_t RowSelectedBit = 0x80, RowDisabledBit = 0x40, RowHiddenBit = 0x20,
                           ColSelectedBit = 0x80;

  explicit TReportListView(TComponent* AOwner);
  ~TReportListView() override;

  // The owned report list.  After changing it directly call Changed.
  TRLData* Data() const { return FData; }
  // Brings the grid in step with the data (dimensions, row heights), repaints and raises OnChange.
  void Changed();

  // ---------------------------------------------------------------- dimensions and texts
  int NrOfColumns() const { return FData->NrOfColumns(); }
  void SetNrCols(int n);
  void SetNrOfColumns(int n) { SetNrCols(n); }
  int NrOfRows() const { return FData->NrOfRows(); }
  void SetNrRows(int n);
  void SetNrOfRows(int n) { SetNrRows(n); }
  const std::string& CommonHeader() const { return FData->CommonHeader(); }
  void SetCommonHeader(const std::string& v);
  const std::string& Comment() const { return FData->Comment(); }
  void SetComment(const std::string& v);
  const std::string& DataID() const { return FData->DataID(); }
  void SetDataID(const std::string& v);
  std::string ColName(int c) const { return FData->GetColName(c); }
  std::string GetColName(int c) const { return FData->GetColName(c); }
  void SetColName(int c, const std::string& Name);
  std::string ColumnFormat(int c) const { return FData->GetColumnFormat(c); }
  std::string GetColumnFormat(int c) const { return FData->GetColumnFormat(c); }
  void SetColumnFormat(int c, const std::string& Format);
  TCheckMode ColCheckMode(int c) const { return FData->GetColCheckMode(c); }
  TCheckMode GetColCheckMode(int c) const { return FData->GetColCheckMode(c); }
  void SetColCheckMode(int c, TCheckMode Mode);
  int SortColumn() const { return FData->SortColumn(); }
  int SortColumnSec() const { return FData->SortColumnSec(); }
  bool SortOrder() const { return FData->SortOrder(); }

  // ---------------------------------------------------------------- cells (forwarded to the data)
  std::string GetElem(int c, int r) const { return FData->GetElem(c, r); }
  void SetElem(int c, int r, const std::string& Text);
  bool GetElemChecked(int c, int r) const { return FData->GetElemChecked(c, r); }
  void SetElemChecked(int c, int r, bool State);
  void SetAllCheckmarksOfCol(int c, bool State);
  void InvertAllCheckmarksOfCol(int c);
  int CountCheckedElemsInCol(int c) const { return FData->CountCheckedElemsInCol(c); }
  int CountCheckedElemsInRow(int r) const { return FData->CountCheckedElemsInRow(r); }
  int FirstCheckedElemInCol(int c) const { return FData->FirstCheckedElemInCol(c); }
  double GetAsNumber(int c, int r) const { return FData->GetAsNumber(c, r); }
  std::string GetCellDefaultValue(int c, int r) const { return FData->GetCellDefaultValue(c, r); }
  void CopyToClipBoard(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader, bool TabSeparated) const {
    FData->CopyToClipBoard(ColLow, RowLow, ColHigh, RowHigh, WithHeader, TabSeparated);
  }
  void CopyToClipBoard(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader,
                       const std::string& Separator) const {
    FData->CopyToClipBoard(ColLow, RowLow, ColHigh, RowHigh, WithHeader, Separator);
  }
  // The selected rows (the cursor row when none is selected) in the tab layout with the column names.
  void CopySelectedRowsToClipBoard() const;
  void Sort(int ColIx, int Col2Ix, bool Ascending);
  void UnSort();
  void RemoveRow(int r);
  void RemoveEmptyRows();
  void Fill(const std::string& Text);
  void Clear();
  // Insert an empty row before r (1..NrOfRows + 1) / append one; AddRow answers the new row.
  void InsertRow(int r);
  int AddRow();

  // ---------------------------------------------------------------- files (forwarded to the data)
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& DataID);
  bool LoadFromXMLFile(const std::string& FileName, const std::string& DataID);
  bool ReadFromXMLStream(TStream& Stream, const std::string& DataID);
  bool ReadFromXMLString(const std::string& Text, const std::string& DataID);
  void WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const {
    FData->WriteToOpenXMLFile(F, CreateHeader, DataID);
  }
  void WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const {
    FData->WriteToXMLStream(Stream, CreateHeader, DataID);
  }
  bool SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const {
    return FData->SaveAsXMLFile(FileName, DataID);
  }
  bool LoadLinesFromFile(int FirstLine, int LastLine, const std::string& FileName);
  bool ExportHTMLTable(const std::string& FileName, int ColLow, int ColHigh, int RowLow, int RowHigh,
                       const std::vector<int>& ColWidths, int Border, int CellPadding, int CellSpacing,
                       bool WithHeader, const std::string& Title, const std::string& Caption,
                       const std::string& HeaderColor) {
    return FData->ExportHTMLTable(FileName, ColLow, ColHigh, RowLow, RowHigh, ColWidths, Border, CellPadding,
                                  CellSpacing, WithHeader, Title, Caption, HeaderColor);
  }

  // ---------------------------------------------------------------- selection and row states
  bool GetRowSelect(int r) const;
  void SetRowSelect(int r, bool v);
  bool GetRowEnabled(int r) const;
  void SetRowEnabled(int r, bool v);
  bool GetColSelect(int c) const;
  void SetColSelect(int c, bool v);
  void SelectAllRows();
  void DeselectAllRows();
  void EnableAllRows();
  void DisableAllRows();
  void SelectAllColumns();
  void DeselectAllColumns();
  int FirstSelectedRow() const;
  int FirstSelectedColumn() const;
  int NumSelectedRows() const;
  int NumSelectedColumns() const;
  int NumEnabledRows() const;
  // Whether row r is shown (not hidden by the filter); false out of range.
  bool RowVisible(int r) const;
  int NumVisibleRows() const;

  // ---------------------------------------------------------------- geometry
  int CountHeadRows() const { return (FCommonHeaderVisible ? 1 : 0) + (FColumnHeadersVisible ? 1 : 0); }
  // The data cell under a pixel: Col = grid column + 1; Row = data row, 0
  // outside the grid's cells (Col then 0 too), −1 on the column header row,
  // −2 on the common header row.
  void MouseCell(int X, int Y, int& Col, int& Row) const;
  // Scrolls row r into the middle of the visible rows and selects it (the cursor goes there).
  void CenterScrollAndSelect(int r);
  // Fits data column c to its widest text (check box and padding included);
  // with WithHeader the column name counts too; Extra pixels are added.
  void AutoColWidth(int Column, bool WithHeader = true, int Extra = 0);
  // Widens data column c to at least Width pixels.
  void ExpandColWidth(int Column, int Width);
  // Width of data column c (grid column c − 1); 0 / ignored out of range.
  void SetColWidths(int Column, int Width);
  int GetColWidths(int Column) const;
  using TCustomGrid::ColWidths;

  // ---------------------------------------------------------------- row editor and filter
  // Opens the row editor for row r and answers whether it was confirmed with
  // OK.  Form: a form to build the editor in (kept; otherwise one is made and
  // freed); Left, Top: its position (−1: centred on the screen); Caption and
  // the button captions (empty: "Edit Row r", "OK", "Cancel").
  bool EditRowEntries(int r, TForm* Form = nullptr, int Left = -1, int Top = -1, const std::string& Caption = "",
                      const std::string& OKCaption = "", const std::string& CancelCaption = "");
  // The editor form while EditRowEntries runs (nullptr otherwise).
  TForm* RowEditorForm() const { return FEditorForm; }
  // Shows only the rows that match Filter in the Columns (see the header
  // comment), then sorts by SortCol (≥ 1; 0 or less leaves the order) in the
  // given direction.  Answers the number of rows shown, −1 for a filter that
  // cannot be read (every row is then shown).
  int FilterAndSort(const std::string& Filter, const std::vector<int>& Columns, int SortCol, TFilterMode Mode,
                    bool MatchCase = false, bool Ascending = true);
  // Shows every row again.
  void ResetFilter();

  // ---------------------------------------------------------------- per-column settings
  TAlignment ColAlignment(int c) const;
  void SetColAlignment(int c, TAlignment a);
  bool ColumnEditable(int c) const;
  void SetColumnEditable(int c, bool v);
  bool ColumnIsPwd(int c) const;
  void SetColumnIsPwd(int c, bool v);

  // ---------------------------------------------------------------- properties
  bool CommonHeaderVisible() const { return FCommonHeaderVisible; }
  void SetCommonHeaderVisible(bool v) { SetHeadLayout(FCommonHeaderVisible, v); }
  int CommonHeaderHeight() const { return FCommonHeaderHeight; }
  void SetCommonHeaderHeight(int v) { SetHeadLayout(FCommonHeaderHeight, v); }  // 8..127
  TAlignment CommonHeaderAlignment() const { return FCommonHeaderAlignment; }
  void SetCommonHeaderAlignment(TAlignment v) { SetSetup(FCommonHeaderAlignment, v); }
  bool ColumnHeadersVisible() const { return FColumnHeadersVisible; }
  void SetColumnHeadersVisible(bool v) { SetHeadLayout(FColumnHeadersVisible, v); }
  int ColumnHeadersHeight() const { return FColumnHeadersHeight; }
  void SetColumnHeadersHeight(int v) { SetHeadLayout(FColumnHeadersHeight, v); }  // 8..127
  bool FixedFirstColumn() const { return FFixedFirstColumn; }
  void SetFixedFirstColumn(bool v) { SetHeadLayout(FFixedFirstColumn, v); }

  TColor ColorCommonHd() const { return FColorCommonHd; }
  void SetColorCommonHd(TColor v) { SetSetup(FColorCommonHd, v); }
  TColor ColorCommonHdText() const { return FColorCommonHdText; }
  void SetColorCommonHdText(TColor v) { SetSetup(FColorCommonHdText, v); }
  TColor ColorColumnHd() const { return FColorColumnHd; }
  void SetColorColumnHd(TColor v) { SetSetup(FColorColumnHd, v); }
  TColor ColorColumnHdText() const { return FColorColumnHdText; }
  void SetColorColumnHdText(TColor v) { SetSetup(FColorColumnHdText, v); }
  TColor ColorText() const { return FColorText; }
  void SetColorText(TColor v) { SetSetup(FColorText, v); }
  TColor ColorBkgdNormal() const { return FColorBkgdNormal; }
  void SetColorBkgdNormal(TColor v) { SetSetup(FColorBkgdNormal, v); }
  TColor ColorBkgdShaded() const { return FColorBkgdShaded; }
  void SetColorBkgdShaded(TColor v) { SetSetup(FColorBkgdShaded, v); }
  TColor ColorSelectedRow() const { return FColorSelectedRow; }
  void SetColorSelectedRow(TColor v) { SetSetup(FColorSelectedRow, v); }
  TColor ColorSelectedRowText() const { return FColorSelectedRowText; }
  void SetColorSelectedRowText(TColor v) { SetSetup(FColorSelectedRowText, v); }
  TColor ColorSelectedCol() const { return FColorSelectedCol; }
  void SetColorSelectedCol(TColor v) { SetSetup(FColorSelectedCol, v); }
  TColor ColorSelectedColText() const { return FColorSelectedColText; }
  void SetColorSelectedColText(TColor v) { SetSetup(FColorSelectedColText, v); }
  TColor ColorSelectedBoth() const { return FColorSelectedBoth; }
  void SetColorSelectedBoth(TColor v) { SetSetup(FColorSelectedBoth, v); }
  TColor ColorSelectedBothText() const { return FColorSelectedBothText; }
  void SetColorSelectedBothText(TColor v) { SetSetup(FColorSelectedBothText, v); }
  TColor ColorHigh() const { return FColorHigh; }
  void SetColorHigh(TColor v) { SetSetup(FColorHigh, v); }
  TColor ColorHighText() const { return FColorHighText; }
  void SetColorHighText(TColor v) { SetSetup(FColorHighText, v); }
  TColor ColorDisabledBkgd() const { return FColorDisabledBkgd; }
  void SetColorDisabledBkgd(TColor v) { SetSetup(FColorDisabledBkgd, v); }
  TColor ColorDisabledText() const { return FColorDisabledText; }
  void SetColorDisabledText(TColor v) { SetSetup(FColorDisabledText, v); }
  TColor ColorEmptyMsg() const { return FColorEmptyMsg; }
  void SetColorEmptyMsg(TColor v) { SetSetup(FColorEmptyMsg, v); }
  TColor InterRowIndicatorColor() const { return FInterRowIndicatorColor; }
  void SetInterRowIndicatorColor(TColor v) { SetSetup(FInterRowIndicatorColor, v); }

  int RowColPattern() const { return FRowColPattern; }
  void SetRowColPattern(int v);  // at least 0
  int HighLightRow() const { return FHighLightRow; }
  void SetHighLightRow(int v) { SetSetup(FHighLightRow, std::max(0, v)); }
  int HighLightColumn() const { return FHighLightColumn; }
  void SetHighLightColumn(int v) { SetSetup(FHighLightColumn, std::max(0, v)); }
  bool HighLightBold() const { return FHighLightBold; }
  void SetHighLightBold(bool v) { SetSetup(FHighLightBold, v); }
  const std::string& EmptyMessage() const { return FEmptyMessage; }
  void SetEmptyMessage(const std::string& v) { SetSetup(FEmptyMessage, v); }
  int InterRowIndi() const { return FInterRowIndi; }
  void SetInterRowIndi(int v) { SetSetup(FInterRowIndi, std::max(0, v)); }
  int InterRowIndicatorWidth() const { return FInterRowIndicatorWidth; }
  void SetInterRowIndicatorWidth(int v) { SetSetup(FInterRowIndicatorWidth, std::clamp(v, 1, 32)); }
  int RowSelectMode() const { return FRowSelectMode; }
  void SetRowSelectMode(int v) { SetSetup(FRowSelectMode, std::clamp(v, 0, 2)); }
  bool UseCtrlForMultiSel() const { return FUseCtrlForMultiSel; }
  void SetUseCtrlForMultiSel(bool v) { SetSetup(FUseCtrlForMultiSel, v); }
  bool SortEnabled() const { return FSortEnabled; }
  void SetSortEnabled(bool v) { SetSetup(FSortEnabled, v); }
  bool ShowEmptyCheckBoxes() const { return FShowEmptyCheckBoxes; }
  void SetShowEmptyCheckBoxes(bool v) { SetSetup(FShowEmptyCheckBoxes, v); }
  bool AutoAdvance() const { return FAutoAdvance; }
  void SetAutoAdvance(bool v) { SetSetup(FAutoAdvance, v); }
  bool ROCheckmarks() const { return FROCheckmarks; }
  void SetROCheckmarks(bool v) { SetSetup(FROCheckmarks, v); }
  bool SuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool v);
  bool DataReadOnly() const { return FDataReadOnly; }
  void SetDataReadOnly(bool v);
  // With BlockInternalPopup a right click opens no built-in menu.
  bool BlockInternalPopup() const { return FBlockInternalPopup; }
  void SetBlockInternalPopup(bool v) { FBlockInternalPopup = v; }
  TPopupMenu* ContextMenu() const { return FMenu; }
  // Opens the context menu as a right click at (X, Y) does.
  void OpenContextMenu(int X, int Y);

  // ---------------------------------------------------------------- events
  TNotifyEvent OnChange, OnChangeSetup, OnSelectedChange;
  TCheckStateChangeEvent OnCheckedChange;
  TBeforeCheckStateChangeEvent OnBeforeCheckedChange;
  TRequestEditFormatEvent OnRequestEditFormat;
  TRenderCellEvent OnBeforeRenderCell;
  TBeforeFilterEvent OnBeforeFilter;
  TBeforeSortExchgEvent OnBeforeSortExchange;
  TBeforeHTMLExportEvent OnBeforeHTMLExport;
  TOnPercentDoneEvent OnPercentDone;
  // The in-place editor's text of a data cell, and a committed edit (data column and row).
  TRLEditTextEvent OnGetEditText;
  TRLEditTextEvent OnSetEditText;

 protected:
  void Paint() override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  bool CanEditShow() const override;
  std::string GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const std::string& Value) override;
  void PrepareEditor(TCustomEdit& Editor, int ACol, int ARow) override;
  void EditorClosedByKey(uint16_t Key, TShiftState Shift) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void EnabledChanged() override;

 private:
  template <class T>
  void SetSetup(T& field, const T& v) {
    if (field == v) return;
    field = v;
    SetupChanged();
  }
  void SetupChanged();
  // Setters of the head rows and the fixed column (heights clamped to 8..127): relayout, then OnChangeSetup.
  void SetHeadLayout(bool& Field, bool v);
  void SetHeadLayout(int& Field, int v);
  template <class T>
  T ColSetting(const std::vector<T>& List, int c, T Default) const {
    return ValidCol(c) && static_cast<size_t>(c) < List.size() ? T(List[static_cast<size_t>(c)]) : Default;
  }
  template <class T>
  void SetColSetting(std::vector<T>& List, int c, T v) {
    if (!ValidCol(c) || static_cast<size_t>(c) >= List.size() || T(List[static_cast<size_t>(c)]) == v) return;
    List[static_cast<size_t>(c)] = v;
    SetupChanged();
  }
  void DataChanged();
  // Runs a reader of the data, then brings the grid in step; answers the reader's result.
  template <class F>
  bool AfterRead(F&& Read) {
    bool ok = Read();
    Changed();
    return ok;
  }
  void HookData();
  // AllRows: recompute every data row's height (rows hidden by the filter have height 0).
  void SyncLayout(bool AllRows = false);
  void SyncColumnSettings();
  void SetRowAttribBit(int r, uint8_t bit, bool v);
  void SetAllRowBits(uint8_t bit, bool v);
  int CountRows(bool (TReportListView::*Test)(int) const) const;
  void SelectedChanged();
  bool ValidCol(int c) const { return c >= 1 && c <= NrOfColumns(); }
  bool ValidRow(int r) const { return r >= 1 && r <= NrOfRows(); }
  int GridRowOf(int r) const { return CountHeadRows() + r - 1; }
  int DataRowOf(int gr) const { return gr - CountHeadRows() + 1; }
  bool NearColumnBorder(int X, int Y) const;
  void HeaderClick(int c);
  void CheckBoxClick(int c, int r);
  void RowSelectClick(int r, TShiftState Shift);
  void DrawCommonHeader(TCanvas& cv);
  void DrawHeaderCell(TCanvas& cv, int c, const TRect& R);
  void DrawDataCell(TCanvas& cv, int c, int r, const TRect& R);
  void BuildMenu();
  void UpdateMenu();
  // The rows the menu acts on: the selected ones, else the cursor row.
  std::vector<int> TargetRows() const;
  int CursorRow() const;
  bool RowMatches(int r, const std::vector<int>& Cols, TFilterMode Mode, const std::string& Filter,
                  bool MatchCase, void* Prog);

  TRLData* FData = nullptr;
  TPopupMenu* FMenu = nullptr;
  std::vector<TMenuItem*> FItems;
  TForm* FEditorForm = nullptr;
  std::vector<TAlignment> FColAlign;  // index 0 unused
  std::vector<bool> FColEditable, FColPwd;
  bool FCommonHeaderVisible = false, FColumnHeadersVisible = true;
  int FCommonHeaderHeight = 20, FColumnHeadersHeight = 20;
  TAlignment FCommonHeaderAlignment = taCenter;
  bool FFixedFirstColumn = false;
  TColor FColorCommonHd = clBtnFace, FColorCommonHdText = clBlack, FColorColumnHd = clBtnFace,
         FColorColumnHdText = clBlack, FColorText = 0x002000, FColorBkgdNormal = clWhite,
         FColorBkgdShaded = 0xF0F0E8, FColorSelectedRow = 0x94BAED, FColorSelectedRowText = 0x800000,
         FColorSelectedCol = 0xF0D8C0, FColorSelectedColText = 0x800000, FColorSelectedBoth = 0xC08850,
         FColorSelectedBothText = clWhite, FColorHigh = 0xCC9966, FColorHighText = clWhite,
         FColorDisabledBkgd = 0xF0F0F0, FColorDisabledText = 0xC0C0C0, FColorEmptyMsg = clGray,
         FInterRowIndicatorColor = 0x0000FF;
  int FRowColPattern = 1, FHighLightRow = 0, FHighLightColumn = 0;
  bool FHighLightBold = false;
  std::string FEmptyMessage;
  int FInterRowIndi = 0, FInterRowIndicatorWidth = 3;
  int FRowSelectMode = 1;
  bool FUseCtrlForMultiSel = true, FSortEnabled = true, FShowEmptyCheckBoxes = true, FAutoAdvance = false,
       FROCheckmarks = false, FSuppressPaint = false, FDataReadOnly = false, FBlockInternalPopup = false;
  int FAnchorRow = 0;
  int FMuteStore = 0;
  bool FInLayout = false;
  bool FFiltered = false;  // some rows may be hidden
};

}  // namespace zol
