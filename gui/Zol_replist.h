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

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_dstruct.h"
#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"

namespace zol {

class EZOLRLDataError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TCheckMode { cmNone, cmBox, cmRadio };

enum TRepListXmlTag {
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

}  // namespace zol
