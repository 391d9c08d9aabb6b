// Two-, three- and four-dimensional number containers: TMatrix (double),
// TIntMatrix (int32, dense or sparse), TMat3D and TMat4D, with statistics,
// sorting, arithmetic, linear algebra and storage.
//
// Elements are addressed (column, row), both 1-based; reads outside return 0,
// writes outside are ignored.  Rows are the objects and columns the variables.
// Regions are (ColLo, RowLo, ColHi, RowHi); (0, 0) in one dimension means all
// of it, otherwise bounds are clamped and ordered (MakeValidColRange/RowRange).
// The region statistics run over the region's elements column by column with
// the rules of the vector statistics (two-pass variance, (n + 1)·p quantiles).
//
// Storage formats
//  - StoreOnFile / LoadFromFile (text): comment lines starting with '#', then
//    one line per matrix row holding the values of the stored columns
//    separated by one blank, each value in its shortest exact form (so the
//    file reads back bit for bit and numpy.loadtxt / any whitespace-separated
//    reader opens it):
//        # ZOL matrix
//        # columns 3 rows 2
//        # dataid <DataID>
//        1 2 3
//        4 5 6
//    The reader skips '#' and empty lines and refuses a line that holds only
//    separators (rows without values cannot be written back); every row must hold the same number
//    of values, and when the "# columns C rows R" line is present the table
//    must have that shape (a file cut short is refused).  With AdjustSize the matrix takes the file's shape, otherwise
//    values land in the top-left corner and those beyond the matrix are dropped.
//  - SaveToStream / LoadFromStream: ColLo, RowLo, ColHi, RowHi, then the values
//    of the region column by column, every number a 10-byte little-endian
//    extended (the vector stream format in two dimensions).  LoadFromStream
//    stores the region at its original place; with AdjustSize the matrix is
//    resized to ColHi × RowHi.
//  - SaveBinary / LoadBinary / ReadBinaryHeader: a 272-byte header, then the
//    values column by column:
//        bytes 0-7     "ZOLMTX", 0x1A, 1     (TIntMatrix: "ZOLIMX", 0x1A, 1)
//        bytes 8-11    NrOfColumns, int32 little-endian
//        bytes 12-15   NrOfRows, int32 little-endian
//        bytes 16-271  DataID: one length byte and 255 bytes (UTF-8, zero filled)
//        bytes 272-    NrOfColumns·NrOfRows values, IEEE double (TIntMatrix:
//                      int32), little-endian, column by column
//    e.g. numpy.fromfile(f, '<f8', offset=272).reshape(ncols, nrows).
//    An empty matrix (no columns or no rows) is kept exactly; its other
//    dimension may be at most 65536, as the file length cannot bound it.
//  - Tagged-text records (WriteToXMLStream, SaveAsXMLFile, ...):
//        <matrix sig="ZOLCSuite" vers="1.0" id="DataID">
//          <numcols>3</numcols>
//          <numrows>2</numrows>
//          <cell c=1 r=1>0.5</cell>
//          ...
//        </matrix>
//    one cell per element; TMat3D adds <numplanes> and l=, TMat4D also
//    <numtimeslots> and t=.  Cells outside the stated dimensions are ignored.
//    A TMatrix or TIntMatrix record with zero columns or rows is an empty
//    matrix and reads back with those dimensions; TMat3D and TMat4D refuse it.
//  - StoreSparseMat / LoadSparseMat (TIntMatrix): Matrix Market coordinate
//    format ("%%MatrixMarket matrix coordinate integer general", a comment
//    line "% dataid <DataID>", "rows columns entries", then "row column value"
//    per entry, 1-based).
//  - TMat4D binary file: 4096-byte records; record 0 holds columns, rows,
//    layers and the number of stored time slots (int32 little-endian at bytes
//    0, 4, 8, 12) and the DataID (length byte + 255 bytes at 16); records 1, …
//    hold 512 little-endian doubles each in storage order.  Appending writes
//    the new values first and the header last, so an interrupted append leaves
//    the earlier contents readable.
// Every reader returns false on a damaged or truncated file and then leaves the
// object unchanged; sizes read from a file are checked against its length
// before anything is allocated.
//
// Linear algebra (TMatrix): LUdecomposition, Determinant and Invert use row
// pivoting with implicit (row-scale) pivot selection.  A pivot counts as zero
// when its magnitude, relative to its row's largest original element, is at
// most n·2.2e-16 (or the pivot is below 1e-100); the matrix is then singular:
// LUdecomposition and Invert return false, Determinant returns 0.  These and
// the singular value decomposition are long computations: they clear
// AbortMathProc when they start, advance ProcStat (calling MathFeedBackProc)
// as they go and stop with the failure result once AbortMathProc is set
// (Invert then leaves the matrix unchanged).
#pragma once

#include <cstdint>
#include <utility>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "math/Zol_vector.h"

namespace zol {

class EZOLMatrixError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TNormType { ntColwise, ntRowwise, ntSpectral, ntFrobenius };
enum TDistMode { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };
// "Jaccard coefficient", "Manhattan", "Euclidean", "squared Euclidean",
// "Dice coefficient", "user defined".
extern const char* const DistModeNames[6];

// Tags of the tagged-text matrix records.
enum TMatXmlTag {
  xmlMatNumCols,
  xmlMatNumRows,
  xmlMatNumLayers,
  xmlMatNumTimeSlots,
  xmlMatCell,
  xmlMatBegin,
  xmlMatEnd,
  xmlInvalid
};
// "numcols", "numrows", "numplanes", "numtimeslots", "cell", "matrix",
// "/matrix", "invalidtag".
extern const char* const xmlMatXmlTag[8];

// Sign (+1/−1) of the row permutation of the last LU decomposition.
extern int LUPermSign;

using TOnCalcDistanceEvent = std::function<void(TObject* Sender, int Row1, int Row2, double& Distance)>;

class TMatrix;
class TIntMatrix;

// ---------------------------------------------------------------- TMatrixBase
// The code TMatrix (double) and TIntMatrix (int32_t) share: the dimensions,
// column-major dense storage and its resizing, the element loops (copy,
// mirror, exchange, arithmetic), the region statistics, search and sorting,
// every storage format but the sparse one, and the events.  Derived is the
// matrix class itself, Elem its element type and Vec the vector class of that
// element type.  Elements are read through Derived::GetVal and written through
// Derived::RawSet (no Changed), so a sparse TIntMatrix runs the same code.
// The members are defined in Zol_matrix.cpp for these two instances only.
template <typename Derived, typename Elem, typename Vec>
class TMatrixBase : public TComponent {
 public:
  explicit TMatrixBase(TComponent* AOwner) : TComponent(AOwner), FData(1, Elem{}) {}

  int NrOfColumns() const { return FNCols; }
  int NrOfRows() const { return FNRows; }
  void SetNCols(int n);
  void SetNRows(int n);

  const std::string& DataID() const { return FDataID; }
  void SetDataID(const std::string& v);

  void CopyFrom(const Derived* Src, int ColLo, int RowLo, int ColHi, int RowHi, int DestCol, int DestRow);
  void CopyRowToVec(Vec* V, int Row, int ColLo, int ColHi) const;
  void CopyColToVec(Vec* V, int Col, int RowLo, int RowHi) const;
  void MirrorColumns();
  void MirrorRows();
  void ExchangeColumns(int c1, int c2);
  void ExchangeRows(int r1, int r2);
  std::string CRCofData() const;

  // False when m is missing or its size differs.  Integer elements wrap around
  // like 32-bit arithmetic.
  bool Add(const Derived* m);
  bool Subtract(const Derived* m);
  void SAdd(Elem f);
  double Correlate(const Derived* m) const;  // "matrices do not match"

  void MakeValidColRange(int& Lo, int& Hi) const;
  void MakeValidRowRange(int& Lo, int& Hi) const;
  double Sum(int ColLo, int RowLo, int ColHi, int RowHi) const;
  void MinMax(int ColLo, int RowLo, int ColHi, int RowHi, Elem& Min, Elem& Max) const;
  void MeanVar(int ColLo, int RowLo, int ColHi, int RowHi, double& Mean, double& Variance) const;
  double GeometricMean(int ColLo, int RowLo, int ColHi, int RowHi) const;
  double HarmonicMean(int ColLo, int RowLo, int ColHi, int RowHi) const;
  void SkewKurt(int ColLo, int RowLo, int ColHi, int RowHi, double& Skewness, double& Kurtosis) const;
  void SkewKurtSample(int ColLo, int RowLo, int ColHi, int RowHi, double& Skewness, double& Kurtosis) const;
  bool Quartiles(int ColLo, int RowLo, int ColHi, int RowHi, double& Q1, double& Q2, double& Q3) const;
  double Percentile(double p, int ColLo, int RowLo, int ColHi, int RowHi) const;
  bool Histogram(int ColLo, int RowLo, int ColHi, int RowHi, double FirstBin, double LastBin, double BinWidth,
                 TIntVector* Hist, int& Underflow, int& Overflow, int& MaxCount) const;

  void Find(int ColLo, int RowLo, int ColHi, int RowHi, Elem x, int& Col, int& Row) const;
  int FindInSortedColumn(int Col, bool Ascending, Elem x) const;
  void SortRows(int KeyCol, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi);
  void SortCols(int KeyRow, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi);

  // Storage (formats above).
  bool StoreOnFile(int ColLo, int RowLo, int ColHi, int RowHi, const std::string& FileName) const;
  bool LoadFromFile(const std::string& FileName, bool AdjustSize);
  void SaveToStream(TStream& Stream, int ColLo, int RowLo, int ColHi, int RowHi) const;
  void SaveToStream(std::unique_ptr<TMemoryStream>& Stream, int ColLo, int RowLo, int ColHi, int RowHi) const;
  bool LoadFromStream(TStream* Stream, bool AdjustSize);
  bool SaveBinary(const std::string& FileName) const;
  bool LoadBinary(const std::string& FileName);
  bool ReadBinaryHeader(const std::string& FileName, int& NCols, int& NRows, std::string& DataID) const;
  void WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const;
  bool ReadFromXMLStream(TStream& Stream, const std::string& DataID);
  void WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const;
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& DataID);
  bool SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const;
  bool LoadFromXMLFile(const std::string& FileName, const std::string& DataID);

  void Changed();
  std::function<void(TObject* Sender)> OnChange;
  TSortExchgEvent OnSortExchange;

 protected:
  const Derived& Self() const { return static_cast<const Derived&>(*this); }
  Derived& Self() { return static_cast<Derived&>(*this); }
  size_t Idx(int c, int r) const { return static_cast<size_t>(c - 1) * FAllocRows + static_cast<size_t>(r - 1); }
  // Dense storage of max(NCols, 1) × max(NRows, 1) elements, values kept where
  // both indices survive; "not enough memory on heap" on failure.
  void ResizeDense(int NCols, int NRows);
  void TransposeDense();
  // The values of the (valid) region column by column, as doubles.
  std::vector<double> Region(int ColLo, int RowLo, int ColHi, int RowHi) const;
  // Makes the matrix dense NCols × NRows with the column-major Vals and the
  // DataID ID (the result of a reader).
  void SetFromParsed(int NCols, int NRows, const std::vector<Elem>& Vals, const std::string& ID);
  void WriteXml(const std::function<void(const std::string&)>& Line, bool CreateHeader,
                const std::string& DataID) const;
  int FNCols = 1, FNRows = 1;
  int FAllocRows = 1;
  std::vector<Elem> FData;
  bool FSparse = false;  // TIntMatrix only: the elements are in its entry list
  std::string FDataID;
};

// ---------------------------------------------------------------- TMatrix
class TMatrix : public TMatrixBase<TMatrix, double, TVector> {
 public:
  // A new matrix has 1 column and 1 row holding 0.
  explicit TMatrix(TComponent* AOwner) : TMatrixBase(AOwner) {}

  // Negative sizes count as 0; storage max(NCols,1) × max(NRows,1); values kept
  // where both indices survive; Changed; "not enough memory on heap" on failure.
  bool Resize(int NCols, int NRows);
  double GetVal(int c, int r) const {
    return (c >= 1 && c <= FNCols && r >= 1 && r <= FNRows) ? FData[Idx(c, r)] : 0.0;
  }
  void SetVal(int c, int r, double v);
  // Column-major storage of (at least) NrOfColumns × NrOfRows values: element
  // (c, r) at ColumnData(c)[r - 1].  Call Changed after writing.
  double* ColumnData(int c) { return FData.data() + static_cast<size_t>(c - 1) * FAllocRows; }
  const double* ColumnData(int c) const { return FData.data() + static_cast<size_t>(c - 1) * FAllocRows; }

  // Index <= 1: first precision (start 15); >= 2: second (start −1); clamped to
  // −1..25.  Kept for callers formatting values; the writers use exact forms.
  int GetFPrecis(int i) const { return i <= 1 ? FPrecis[0] : FPrecis[1]; }
  void SetFPrecis(int i, int v);

  void Fill(double v);
  void FillRandomUniform(double Low, double High);
  void FillRandomGauss(double Mean, double StdDev);
  void Clone(const TMatrix* Src);
  using TMatrixBase::CopyFrom;
  void CopyFrom(const TIntMatrix* Src, int ColLo, int RowLo, int ColHi, int RowHi, int DestCol, int DestRow);
  void CopyFromVec(const TVector* Vec, int VecLo, int VecHi, int DestCol, int DestRow);
  void Transpose();

  void SMult(double f);
  // Prod = self · B.  Prod may be self or B (a working copy is used then).
  bool Multiply(const TMatrix* B, TMatrix* Prod) const;
  bool TransposeAndMultiply(const TMatrix* B, TMatrix* Prod) const;
  bool TransposeAndMultiply(const TVector* v, TVector* Prod) const;
  double Trace() const;
  void StandardizeColumns(TVector* Means = nullptr, TVector* StdDevs = nullptr);
  void StandardizeRows(TVector* Means = nullptr, TVector* StdDevs = nullptr);
  void MeanCenterColumns(TVector* Means = nullptr);
  void MeanCenterRows(TVector* Means = nullptr);

  // Linear algebra.
  bool LUdecomposition(TMatrix* L, TMatrix* U) const;
  double Determinant() const;
  bool Invert();
  // ntColwise: largest column sum of |a|; ntRowwise: largest row sum;
  // ntFrobenius: √Σa²; ntSpectral: largest singular value ("near singular
  // covariance matrix" when the decomposition does not converge or is aborted).
  double Norm(TNormType NormType) const;
  // Singular value decomposition of a copy: self (n columns × m rows) =
  // U · diag(W) · Vᵀ with U n × m, W n values, V n × n.  False when the
  // iteration did not converge (30 iterations for some value) or the matrix is
  // empty; AbortMathProc stops it (false).
  bool SingularValueDecomposition(TMatrix* U, TVector* W, TMatrix* V) const;
  // 0 success, −1 DistMat not square, −2 its size differs from NrOfRows.  The
  // diagonal holds a row's value with itself: 1 for the similarities
  // dmJaccard and dmDice, 0 otherwise.
  int CalcDistMat(TDistMode Mode, TMatrix* DistMat) const;

  TOnCalcDistanceEvent OnCalcDistance;

 private:
  friend class TMatrixBase<TMatrix, double, TVector>;
  void RawSet(int c, int r, double v) {
    if (c >= 1 && c <= FNCols && r >= 1 && r <= FNRows) FData[Idx(c, r)] = v;
  }
  void SwapVals(int c1, int r1, int c2, int r2) { std::swap(FData[Idx(c1, r1)], FData[Idx(c2, r2)]); }
  int FPrecis[2] = {15, -1};
};

// ---------------------------------------------------------------- TIntMatrix
// Sparse entries are kept sorted by column, then row.
struct TSparseEntry {
  int32_t Col, Row, Value;
};

class TIntMatrix : public TMatrixBase<TIntMatrix, int32_t, TIntVector> {
 public:
  // Dense mode, 1 × 1 holding 0.
  explicit TIntMatrix(TComponent* AOwner) : TMatrixBase(AOwner) {}
  // Sparse mode: empty, 0 × 0, capacity Increment (at least 1).
  TIntMatrix(TComponent* AOwner, int Increment);

  bool Resize(int NCols, int NRows);
  int32_t GetVal(int c, int r) const;
  void SetVal(int c, int r, int32_t v);
  bool IsSparse() const { return FSparse; }
  int NumSparseEntries() const { return static_cast<int>(FEntries.size()); }
  const std::vector<TSparseEntry>& SparseEntries() const { return FEntries; }
  void ArrayToSparse(int Increment);
  void SparseToArray();

  void Fill(int32_t v);
  void FillRandomUniform(int32_t Low, int32_t High);  // integers Low..High
  void Clone(const TIntMatrix* Src);
  void Transpose();

  void SMult(int32_t f);
  bool Multiply(const TIntMatrix* B, TIntMatrix* Prod) const;
  bool TransposeAndMultiply(const TIntMatrix* B, TIntMatrix* Prod) const;
  int64_t Trace() const;

  bool StoreSparseMat(const std::string& FileName) const;
  bool LoadSparseMat(const std::string& FileName);

 private:
  friend class TMatrixBase<TIntMatrix, int32_t, TIntVector>;
  void RawSet(int c, int r, int32_t v);  // no Changed
  void SwapVals(int c1, int r1, int c2, int r2);
  void BecomeDense();  // empty dense storage, the entries dropped
  void UpdateSparseBounds();  // FMinCol..FMaxRow from the entries
  std::vector<TSparseEntry> FEntries;
  int FIncrement = 1;
  size_t FCapacity = 0;
  int FMinCol = 2147483647, FMaxCol = 1, FMinRow = 2147483647, FMaxRow = 1;
};

extern template class TMatrixBase<TMatrix, double, TVector>;
extern template class TMatrixBase<TIntMatrix, int32_t, TIntVector>;

// ---------------------------------------------------------------- TMat3D
class TMat3D : public TComponent {
 public:
  explicit TMat3D(TComponent* AOwner);  // 1 × 1 × 1 holding 0
  int NrOfColumns() const { return FNC; }
  int NrOfRows() const { return FNR; }
  int NrOfLayers() const { return FNL; }
  void SetNrOfColumns(int n) { Resize(n, FNR, FNL); }
  void SetNrOfRows(int n) { Resize(FNC, n, FNL); }
  void SetNrOfLayers(int n) { Resize(FNC, FNR, n); }
  // All sizes > 0 (else false, nothing changes); values kept where indices survive.
  bool Resize(int NCols, int NRows, int NLayers);
  double GetVal(int c, int r, int l) const;
  void SetVal(int c, int r, int l, double v);  // no OnChange
  const std::string& DataID() const { return FDataID; }
  void SetDataID(const std::string& v);

  void Fill(double v);
  void FillRandomUniform(double Low, double High);
  void FillRandomGauss(double Mean, double StdDev);
  void Find(int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi, double x, int& c, int& r,
            int& l) const;
  std::string CRCofData() const;

  void WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const;
  bool ReadFromXMLStream(TStream& Stream, const std::string& DataID);
  void WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const;
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& DataID);
  bool SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const;
  bool LoadFromXMLFile(const std::string& FileName, const std::string& DataID);

  void Changed();
  std::function<void(TObject* Sender)> OnChange;

 private:
  size_t Addr(int c, int r, int l) const {
    return static_cast<size_t>(c - 1) + static_cast<size_t>(FNC) * (static_cast<size_t>(r - 1) + static_cast<size_t>(FNR) * static_cast<size_t>(l - 1));
  }
  int FNC = 1, FNR = 1, FNL = 1;
  std::vector<double> FData;
  std::string FDataID;
};

// ---------------------------------------------------------------- TMat4D
class TMat4D : public TComponent {
 public:
  explicit TMat4D(TComponent* AOwner);  // 1 × 1 × 1 × 1 holding 0
  int NrOfColumns() const { return FNC; }
  int NrOfRows() const { return FNR; }
  int NrOfLayers() const { return FNL; }
  int NrOfTimeSlots() const { return FNT; }
  // All sizes > 0; a different size discards the contents (new block of zeros).
  bool Resize(int NCols, int NRows, int NLayers, int NTimeSlots);
  // 0-based storage position of (c, r, l, t).
  int64_t Addr4D(int c, int r, int l, int t) const {
    return (c - 1) + static_cast<int64_t>(r - 1) * FNC + static_cast<int64_t>(l - 1) * FNC * FNR +
           static_cast<int64_t>(t - 1) * FNC * FNR * FNL;
  }
  double GetVal(int c, int r, int l, int t) const;
  void SetVal(int c, int r, int l, int t, double v);
  double MemoryConsumed() const;  // megabytes
  const std::string& DataID() const { return FDataID; }
  void SetDataID(const std::string& v);
  const double* Data() const { return FData.data(); }

  void Fill(double v);
  void FillLayer(int Layer, double v);
  void FillRandomUniform(double Low, double High);
  void FillRandomGauss(double Mean, double StdDev);
  void Find(int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi, int SlotLo, int SlotHi, double x,
            int& c, int& r, int& l, int& t) const;
  void MinMax(int ColLo, int RowLo, int LayerLo, int SlotLo, int ColHi, int RowHi, int LayerHi, int SlotHi,
              double& Min, double& Max) const;
  void MeanVar(int ColLo, int RowLo, int LayerLo, int SlotLo, int ColHi, int RowHi, int LayerHi, int SlotHi,
               double& Mean, double& Variance) const;
  double Sum(int ColLo, int RowLo, int LayerLo, int SlotLo, int ColHi, int RowHi, int LayerHi, int SlotHi) const;
  void CopyLayerToMatrix(TMatrix* m, int ColLo, int ColHi, int RowLo, int RowHi, int Layer, int Slot) const;
  void CopyMatrixToLayer(const TMatrix* m, int MColLo, int MColHi, int MRowLo, int MRowHi, int Layer, int Slot,
                         int DestCol, int DestRow);
  void MeanOfLayersToMatrix(TMatrix* m, int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi,
                            int SlotLo, int SlotHi) const;
  void StdDevOfLayersToMatrix(TMatrix* m, int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi,
                              int SlotLo, int SlotHi) const;
  void Cut(int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi, int SlotLo, int SlotHi);
  void MirrorColumns();
  void MirrorRows();
  void MirrorLayers();
  void MirrorTimeSlots();
  std::string CRCofData() const;

  // Binary file (format above).  SaveBinary/AppendToBinaryFile raise
  // "specified time slot beyond data range" / "X,Y,Z of matrices do not match";
  // file errors of the platform propagate.  LoadBinary raises for a SlotFirst
  // beyond the stored count and returns false (array unchanged) for a damaged,
  // truncated or missing file.
  void SaveBinary(const std::string& FileName, int SlotFirst, int SlotLast);
  bool LoadBinary(const std::string& FileName, int SlotFirst, int SlotLast);
  bool ReadBinaryHeader(const std::string& FileName, int& NCols, int& NRows, int& NLayers, int& NTimeSlots,
                        std::string& DataID) const;
  void AppendToBinaryFile(const std::string& FileName, int SlotFirst, int SlotLast);

  void WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const;
  bool ReadFromXMLStream(TStream& Stream, const std::string& DataID);
  void WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const;
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& DataID);
  bool SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const;
  bool LoadFromXMLFile(const std::string& FileName, const std::string& DataID);

  void Changed();
  std::function<void(TObject* Sender)> OnChange;
  TOnPercentDoneEvent OnPercentDone;

 private:
  void NormRange(int& Lo, int& Hi, int N) const;
  std::vector<double> Region(int ColLo, int RowLo, int LayerLo, int SlotLo, int ColHi, int RowHi, int LayerHi,
                             int SlotHi) const;
  void LayerStats(TMatrix* m, int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi, int SlotLo,
                  int SlotHi, bool StdDev) const;
  int FNC = 1, FNR = 1, FNL = 1, FNT = 1;
  std::vector<double> FData;
  std::string FDataID;
};

}  // namespace zol
