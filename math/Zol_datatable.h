// TDataTable: a table of observations -- a rectangle of numeric cells with a
// state byte per cell, named columns and rows, a one-byte attribute per column
// and per row, and a measurement scale type per column with up to 25 category
// labels for nominal and ordinal columns.
//
// Cells are addressed (Column, Row), both 1-based.  Reads outside the table
// give 0, an empty text or stUnknown; writes outside are ignored.  A table has
// at least one column and one row (sizes below 1 count as 1; removing the last
// column or row is ignored).
//
// Cell state byte: bit 0 (1) invalid content, bit 1 (2) empty, bit 5 (32)
// imputed, bit 6 (64) mark A, bit 7 (128) mark B; bits 2..4 are free flags.
// A cell is numeric when bits 0 and 1 are clear.
//
// Statistics over a region (ColLo, RowLo, ColHi, RowHi), normalised like the
// matrix regions ((0, 0) = the whole dimension, otherwise clamped and ordered):
//  - NumCells forms: numeric cells of interval and ratio columns;
//  - MarkedCells forms: those whose state bits 2..7 share a bit with the
//    mask's bits 2..7;
//  - ValidCells forms: numeric cells of all columns.
// Means and variances are computed in two passes (Σ(x − mean)²/(n − 1)), so a
// variance is never negative and keeps its precision for data far from zero;
// the variance is 1.0 for fewer than 3 cells.  Quartiles and percentiles use
// the (n + 1)·p position with linear interpolation, clamped to the extremes.
//
// Events: values → OnChange; structure, scale types and labels →
// OnChangeSetup; names and the comment → OnChangeNames; attributes →
// OnChangeAttrib; cell states → OnChangeCellState; size → OnResize.  A bulk
// operation fires each of its events once, at its end.
//
// Value store: the table owns a TMatrix, unless AssignAnotherDataMatrix hands
// it an outside matrix.  The table then takes that matrix's OnChange and
// OnSortExchange (they are cleared when the table lets the matrix go), follows
// size changes made to the matrix directly, and asks to be told when the
// matrix is destroyed: the table then continues with a matrix of its own, all
// values 0, states and names kept.
//
// ------------------------------------------------------------------ files
// Numbers are written with Precision decimals in fixed notation (Precision
// >= 0, at most 20) or, for a negative Precision, in the shortest form that
// reads back to exactly the same double ("0.1", "1e+300", "inf", "nan").
// Empty cells are written as empty fields, invalid cells as "-nan-"; when
// read, an empty field gives an empty cell (state 2, value 0) and a field that
// is not a number an invalid cell (state 1, value 0).  Numbers are read with a
// '.' decimal point; a ',' is accepted instead when the field delimiter is not
// a comma.  Scale types, category labels, marks and the imputed flag are not
// stored by these formats.
//
// ASC file (TAB-separated text; every line, the last included, ends in LF;
// CR LF is read as well):
//     line 1   the comment (line breaks replaced by blanks)
//     line 2   number of columns, TAB, ";nr. of columns"
//     line 3   number of rows, TAB, ";nr. of rows"
//     line 4   four flags TRUE/FALSE separated by blanks, TAB,
//              ";row attributes, column names, row names, column attributes"
//     [names]  when flag 2: the column names, each in double quotes (an inner
//              quote doubled), separated by TABs
//     [attrs]  when flag 4: the column attributes (0..255), separated by TABs
//     rows     one line per row: ["row name" TAB] [row attribute TAB] values
//              separated by TABs
// The writer always writes column and row names and writes the attribute
// flags TRUE only when some attribute is not 0.  The reader also takes names
// without quotes and lines whose fields are separated by blanks instead of
// TABs (as long as no field is empty), so the pair tables of the curve fit
// read as well.  A quoted name may hold TABs and line breaks.
//
// CSV file (RFC 4180): records end in CR LF; fields are separated by the
// delimiter (comma, colon, semicolon or TAB; csvUnknown writes commas and,
// when reading, takes the delimiter that occurs most often outside quotes in
// the first record, ties going to semicolon, TAB, comma, colon); a field holding the delimiter, a double quote, CR or LF,
// or leading/trailing blanks is enclosed in double quotes with inner quotes
// doubled; a record of one empty field is written as "".  With column names
// the first record holds them (preceded by an empty field when row names are
// written); with row names the first field of every data record is the row
// name.  The reader takes LF, CR LF or CR record ends, skips a UTF-8
// byte-order mark and blank lines; every record must hold as many fields as
// the first (a short last record is a truncated file).  The last record
// needs no line break, so a file cut exactly at a field boundary of its last
// record cannot be told from a complete one.
//
// Every reader returns false on a damaged, truncated or unreadable file and
// leaves the table unchanged then.  Counts read from a file are checked
// against the data the file really holds before anything is allocated.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "math/Zol_matrix.h"
#include "math/Zol_vector.h"

namespace zol {

class EZOLDataTableError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TMScaleType { stUnknown, stNominal, stOrdinal, stInterval, stRatio };
// "unknown", "nominal", "ordinal", "interval", "ratio".
extern const char* const MScaleTypeNames[5];

enum TCSVDelimiters { csvComma, csvColon, csvSemicolon, csvTab, csvUnknown };

// Cell-state bits.
constexpr uint8_t csInvalid = 0x01;
constexpr uint8_t csEmpty = 0x02;
constexpr uint8_t csImputed = 0x20;
constexpr uint8_t csMarkA = 0x40;
constexpr uint8_t csMarkB = 0x80;

constexpr int MaxNominalIDs = 25;   // category labels per column
constexpr int NominalIDCapacity = 10;  // bytes of a category label
constexpr int DTNameCapacity = 50;     // bytes of a column or row name

using TNominalIDStr = std::string;
using TDataTableResizeEvent =
    std::function<void(TObject* Sender, int OldColumns, int OldRows, int NewColumns, int NewRows)>;

class TDataTable : public TComponent {
 public:
  // One cell holding 0, state 0, named C-1 and R-1.
  explicit TDataTable(TComponent* AOwner);
  ~TDataTable() override;

  // ---------------------------------------------------------------- size
  int NrOfColumns() const { return FNCols; }
  int NrOfRows() const { return FNRows; }
  void SetNrCols(int n) { Resize(n, FNRows); }
  void SetNrRows(int n) { Resize(FNCols, n); }
  // New cells hold 0 with state 0; new columns and rows get default names
  // (C-n, R-n), attribute 0 and (columns) stInterval without labels.
  // "not enough memory on heap" when the storage cannot grow (size kept).
  void Resize(int NCols, int NRows);

  const std::string& Comment() const { return FComment; }
  void SetComment(const std::string& v);

  // ---------------------------------------------------------------- cells
  // In nominal and ordinal columns the value is rounded to an integer.
  double GetElem(int c, int r) const;
  void SetElem(int c, int r, double v);
  // Label of a category cell: empty for other columns; the label when the
  // rounded value lies in 1..25, otherwise the number as text.
  std::string GetElemNominal(int c, int r) const;
  // Looks the label (cut to 10 bytes) up case-insensitively, stores it in the
  // first free slot when absent and gives the cell its number.  Ignored for
  // other columns and for an empty label; "number of available nominal values
  // exceeded" (cell unchanged) when no slot is free.
  void SetElemNominal(int c, int r, const std::string& Label);
  uint8_t GetCellState(int c, int r) const;
  void SetCellState(int c, int r, uint8_t s);
  bool GetIsEmpty(int c, int r) const { return (GetCellState(c, r) & csEmpty) != 0; }
  void SetIsEmpty(int c, int r, bool v) { SetStateBit(c, r, csEmpty, v); }
  bool GetIsImputed(int c, int r) const { return (GetCellState(c, r) & csImputed) != 0; }
  void SetIsImputed(int c, int r, bool v) { SetStateBit(c, r, csImputed, v); }
  bool GetIsNumber(int c, int r) const;
  void SetAllCellStates(uint8_t s);
  void UnmarkAllCells();
  void InvertCellStates(uint8_t Mask);
  void ExchangeMarkings();
  bool IfRowHasCellState(int r, uint8_t Mask) const;
  bool IfColHasCellState(int c, uint8_t Mask) const;
  int CountMarkedCellsInRow(int r, uint8_t Mask) const;
  int CountMarkedCellsInColumn(int c, uint8_t Mask) const;
  // Value v into every cell whose state shares a bit with Mask; the count.
  int FillMarkedCells(double v, uint8_t Mask);
  // All cell states of t when both tables have the same size.
  bool CopyCellStatesFrom(const TDataTable* t);

  // Value filling and arithmetic.  Fill and the random fills set every cell's
  // value (states unchanged); SMult and SAdd change the numeric cells of
  // interval and ratio columns only.
  void Fill(double v);
  void FillRandomUniform(double Low, double High);
  void FillRandomGauss(double Mean, double StdDev);
  void SMult(double f);
  void SAdd(double f);
  // The numeric cell of the region closest to x (first in column, row order on
  // ties); Col = Row = 0 when the region holds no numeric cell.
  void Find(int ColLo, int RowLo, int ColHi, int RowHi, double x, int& Col, int& Row) const;

  // ---------------------------------------------------------------- names, attributes, scales
  std::string GetColName(int c) const;
  void SetColName(int c, const std::string& v);  // cut to 50 bytes
  std::string GetRowName(int r) const;
  void SetRowName(int r, const std::string& v);
  uint8_t GetColAttrib(int c) const;
  void SetColAttrib(int c, uint8_t v);
  uint8_t GetRowAttrib(int r) const;
  void SetRowAttrib(int r, uint8_t v);
  TMScaleType GetMScaleType(int c) const;
  void SetMScaleType(int c, TMScaleType v);
  // First column (row) whose trimmed, upper-cased name equals the trimmed,
  // upper-cased Name; 0 when none.
  int FindColIndex(const std::string& Name) const;
  int FindRowIndex(const std::string& Name) const;
  // Label k (1..25) of column c; empty for interval and ratio columns.
  TNominalIDStr GetNominalID(int c, int k) const;
  // A non-empty label (cut to 10 bytes) only in nominal and ordinal columns;
  // the empty text clears the slot in any column.
  void SetNominalID(int c, int k, const TNominalIDStr& Label);
  // The existing number (case-insensitive) or the first free slot; the column
  // becomes stNominal.  "number of available nominal values exceeded" when all
  // 25 slots are in use; 0 for an empty label or a column outside the table.
  int AddNominalID(int c, const TNominalIDStr& Label);
  int OrdinalOfNominalID(int c, const TNominalIDStr& Label, bool IgnoreCase) const;
  void ClearNominalIDs(int c);
  std::vector<int> ListOfCategorialVars() const;
  TMScaleType FindHighestMLevel(int ColLo, int ColHi) const;
  TMScaleType FindLowestMLevel(int ColLo, int ColHi) const;
  int RowAttribLevels() const;
  int ColAttribLevels() const;

  // ---------------------------------------------------------------- structure
  // r in 1..NrOfRows + 1 (c likewise); the new row (column) holds values 0,
  // states 0, attribute 0, an empty name (and stInterval without labels).
  void InsertRow(int r);
  void InsertColumn(int c);
  void RemoveRow(int r);
  void RemoveColumn(int c);
  void ExchangeRows(int r1, int r2);
  void ExchangeColumns(int c1, int c2);
  void MirrorRows();
  void MirrorColumns();
  // The matrix sort with the cell states following their values (also those
  // of a key column outside the region).  WithNames moves the row (column)
  // names and attributes along (for columns also scale types and labels).
  // OnSortExchange fires for every swap as the matrix reports it.
  void SortRows(int KeyCol, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi, bool WithNames);
  void SortCols(int KeyRow, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi, bool WithNames);
  // Reorder the rows RowLo..RowHi by their names (ASCII case-insensitive) or
  // attributes; values and states of the columns ColLo..ColHi, names and
  // attributes move along (columns: likewise with scale types and labels).
  void SortRowNames(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi);
  void SortColNames(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi);
  void SortRowAttributes(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi);
  void SortColAttributes(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi);
  void Clear();
  // m becomes the value store (not owned); nullptr is ignored.
  void AssignAnotherDataMatrix(TMatrix* m);
  TMatrix* DataMatrix() const { return FMat; }
  bool UsesOutsideMatrix() const { return FMat != FOwnMat.get(); }
  // Size, values, states, names, attributes, scale types and labels of t.
  void CopyContentsFrom(const TDataTable* t);
  // All cells as one long column, column by column (see the description of
  // the "(data)" and "(column)" columns in the source).
  void Serialize(bool WithColumnIndex);

  // ---------------------------------------------------------------- statistics
  int CountNumCells(int ColLo, int RowLo, int ColHi, int RowHi) const;
  int CountValidCells(int ColLo, int RowLo, int ColHi, int RowHi) const;
  int CountEmptyCells(int ColLo, int RowLo, int ColHi, int RowHi) const;
  int CountImputedCells(int ColLo, int RowLo, int ColHi, int RowHi) const;
  double SumOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, int& NumCells) const;
  double SumOfMarkedCells(int ColLo, int RowLo, int ColHi, int RowHi, uint8_t Mask, int& NumCells) const;
  void MeanVarOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Mean, double& Variance,
                         int& NumCells) const;
  void MeanVarOfMarkedCells(int ColLo, int RowLo, int ColHi, int RowHi, uint8_t Mask, double& Mean,
                            double& Variance, int& NumCells) const;
  // Start values +1.7e308 / −1.7e308 (kept when no cell is used).
  void MinMaxOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Min, double& Max, int& NumCells) const;
  void MinMaxOfMarkedCells(int ColLo, int RowLo, int ColHi, int RowHi, uint8_t Mask, double& Min, double& Max,
                           int& NumCells) const;
  void MinMaxOfValidCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Min, double& Max,
                          int& NumCells) const;
  // "negative argument passed to GeometricMean" / "negative or zero argument
  // passed to HarmonicMean"; 0 when no cell is used.
  double GeometricMeanOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, int& NumCells) const;
  double HarmonicMeanOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, int& NumCells) const;
  // Population and sample-corrected moments as for vectors (0 for fewer than 4 cells).
  void SkewKurtOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Skewness, double& Kurtosis,
                          int& NumCells) const;
  void SkewKurtSampleOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Skewness, double& Kurtosis,
                                int& NumCells) const;
  // All results 0 when no cell is used.
  void QuartilesOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Q1, double& Q2, double& Q3,
                           int& NumCells) const;
  double PercentileOfNumCells(double p, int ColLo, int RowLo, int ColHi, int RowHi, int& NumCells) const;
  double PercentileOfMarkedCells(double p, int ColLo, int RowLo, int ColHi, int RowHi, uint8_t Mask,
                                 int& NumCells) const;
  // Per interval/ratio column (row: over its numeric cells of such columns):
  // mean and variance of the numeric cells; when the variance is > 0 those
  // cells become (x − mean)/sd.  The vectors (not resized) receive mean and sd;
  // entries of other columns are left alone.
  void StandardizeNumCellColumns(TVector* Means = nullptr, TVector* StdDevs = nullptr);
  void StandardizeNumCellRows(TVector* Means = nullptr, TVector* StdDevs = nullptr);
  void MeanCenterNumCellColumns(TVector* Means = nullptr);
  void MeanCenterNumCellRows(TVector* Means = nullptr);
  // True when the numeric cells of column c (at least 2) hold exactly two
  // distinct values: FirstValue that of the first of them, SecondValue the other.
  bool CheckDichotomousColumn(int c, double& FirstValue, double& SecondValue) const;
  // Association matrix of the columns FirstCol..LastCol over the rows
  // FirstRow..LastRow (modes 0 cross products, 1 covariance, 2 correlation,
  // 3 squared correlation, 4 mean squared difference).  Counts ProcStat,
  // calls MathFeedBackProc and stops (false) once AbortMathProc is set.  A
  // pair with fewer than 2 usable rows gives 0 in modes 0, 1 and 4.
  bool CalcCovar(TMatrix* Covar, int FirstCol, int LastCol, int FirstRow, int LastRow, int Mode) const;

  // ---------------------------------------------------------------- checksums
  std::string CRCofData() const;  // the values, as TMatrix::CRCofData
  std::string CRCofCellStates() const;
  std::string CRCofNamesAndAttributes() const;

  // ---------------------------------------------------------------- text files (formats above)
  // Writers raise the platform's file errors (EFCreateError, EWriteError).
  void ExportAsASC(const std::string& FileName, int Precision) const;
  void ExportAsASC(TStream& Stream, int Precision) const;
  void ExportAsCSV(const std::string& FileName, int Precision, TCSVDelimiters Delimiter, bool WithColNames,
                   bool WithRowNames) const;
  void ExportAsCSV(TStream& Stream, int Precision, TCSVDelimiters Delimiter, bool WithColNames,
                   bool WithRowNames) const;
  // Replaces the whole table (size, values, states, names, comment left empty).
  bool ImportFromCSV(const std::string& FileName, TCSVDelimiters Delimiter, bool WithColNames,
                     bool WithRowNames);
  bool ImportFromCSV(TStream& Stream, TCSVDelimiters Delimiter, bool WithColNames, bool WithRowNames);
  // Replaces the whole table: size, comment, names (defaults when the file has
  // none), attributes, values and states; scale types stInterval.
  bool ImportASC(const std::string& FileName);
  bool ImportASC(TStream& Stream);
  bool ImportASCFromClipboard();
  // Places the file's block with its first cell at (DestCol, DestRow) (values
  // below 1 count as 1); with AdjustSize the table grows to hold it (false
  // when it would exceed 2^28 cells), otherwise what lies outside is dropped.  Names and attributes the file holds go to
  // the target columns and rows.
  bool ReadFromASC(const std::string& FileName, int DestCol, int DestRow, bool AdjustSize);
  bool ReadFromASC(TStream& Stream, int DestCol, int DestRow, bool AdjustSize);
  bool ReadFromASCClipboard(int DestCol, int DestRow, bool AdjustSize);

  // ---------------------------------------------------------------- events
  TNotifyEvent OnChange;
  TNotifyEvent OnChangeSetup;
  TNotifyEvent OnChangeNames;
  TNotifyEvent OnChangeAttrib;
  TNotifyEvent OnChangeCellState;
  TDataTableResizeEvent OnResize;
  TSortExchgEvent OnSortExchange;

  struct TParsedTable;  // the result of a file reader (internal)

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // Sorts whole rows (columns) of the region by a key comparison of two indices.
  void SortRowsByKey(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi,
                     const std::function<int(int, int)>& Cmp);
  void SortColsByKey(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi,
                     const std::function<int(int, int)>& Cmp);
  friend class TDTBulk;
  enum : unsigned { evData = 1, evSetup = 2, evNames = 4, evAttrib = 8, evCellState = 16, evResize = 32 };
  void Fire(unsigned kinds);
  void BeginBulk();
  void EndBulk();
  void HookMatrix(TMatrix* m);
  void UnhookMatrix(TMatrix* m);
  void OnMatrixSortExchange(TObject* Sender, uint8_t ExchgWhat, int i1, int i2, int first, int last);
  // States, names, attributes, scales and labels of a new layout: new column
  // c' takes the old column ColMap[c' - 1] (0: a new one), rows likewise.
  struct TAux {
    std::vector<uint8_t> States;
    std::vector<std::string> ColNames, RowNames;
    std::vector<uint8_t> ColAttr, RowAttr;
    std::vector<TMScaleType> Scale;
    std::vector<std::array<TNominalIDStr, MaxNominalIDs>> Labels;
  };
  TAux BuildAux(const std::vector<int>& ColMap, const std::vector<int>& RowMap, bool DefaultNames) const;
  void CommitAux(TAux& a);
  // BuildAux plus the values, the matrix resized (hook muted); no events.
  void Remap(const std::vector<int>& ColMap, const std::vector<int>& RowMap, bool DefaultNames);
  void ResizeMatrixMuted(int NCols, int NRows);
  void MatrixChanged();
  bool InTable(int c, int r) const { return c >= 1 && c <= FNCols && r >= 1 && r <= FNRows; }
  size_t SIdx(int c, int r) const { return static_cast<size_t>(c - 1) * FNRows + static_cast<size_t>(r - 1); }
  double RawVal(int c, int r) const { return FMat->GetVal(c, r); }
  void RawSet(int c, int r, double v);  // no event
  void SetStateBit(int c, int r, uint8_t bit, bool v);
  void NormRegion(int& ColLo, int& RowLo, int& ColHi, int& RowHi) const;
  bool IsNumCol(int c) const;
  // Values of the region selected by kind: 0 NumCells, 1 MarkedCells, 2 ValidCells.
  std::vector<double> Collect(int ColLo, int RowLo, int ColHi, int RowHi, int Kind, uint8_t Mask) const;
  void SwapRowsAll(int r1, int r2, int ColLo, int ColHi, bool WithNames);
  void SwapColsAll(int c1, int c2, int RowLo, int RowHi, bool WithNames);
  void ApplyParsed(const TParsedTable& p, bool Replace, int DestCol, int DestRow, bool AdjustSize);
  std::string DefaultColName(int c) const;
  std::string DefaultRowName(int r) const;

  int FNCols = 1, FNRows = 1;
  std::unique_ptr<TMatrix> FOwnMat;
  TMatrix* FMat = nullptr;
  std::vector<uint8_t> FStates;  // column-major, FNCols × FNRows
  std::vector<std::string> FColNames, FRowNames;
  std::vector<uint8_t> FColAttr, FRowAttr;
  std::vector<TMScaleType> FScale;
  std::vector<std::array<TNominalIDStr, MaxNominalIDs>> FLabels;
  std::string FComment;
  // Sorting state: names move along, key column outside the region.
  bool FSortWithNames = false;
  int FSortKey = 0;
  bool FSorting = false;
  // Event bookkeeping.
  int FBulkDepth = 0;
  unsigned FPending = 0;
  unsigned FSilenced = 0;
  int FBulkOldCols = 0, FBulkOldRows = 0;
  int FMatMute = 0;
};

}  // namespace zol
