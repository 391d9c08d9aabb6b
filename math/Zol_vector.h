// One-dimensional number containers: TVector (double) and TIntVector (int32).
//
// Elements are addressed 1..NrOfElem; reads outside return 0, writes outside
// are ignored.  Every mutation ends in Changed(), which fires OnChange
// (Standardize, MeanCenter and ShuffleElems change the elements silently).
//
// Ranges (Lo, Hi): MakeValidElemRange treats (0, 0) as the whole vector and
// otherwise clamps both bounds to 1..NrOfElem and orders them.  Sum,
// Quartiles, Percentile and SortElems clamp the same way without the (0, 0)
// rule.
//
// Statistics:
//  - MeanVar: mean Σx/n and the sample variance Σ(x − mean)²/(n − 1), computed
//    in two passes (so the variance is never negative and keeps its precision
//    for data far from zero); exactly 1.0 for fewer than 3 values.
//  - SkewKurt: population moments about the mean divided by the sample
//    standard deviation: skewness (Σe³/n)/s³, excess kurtosis (Σe⁴/n)/s⁴ − 3;
//    0 for n < 4 or s = 0.  SkewKurtSample applies the small-sample
//    corrections S·n²/((n−1)(n−2)) and
//    (K+3)·n²(n+1)/((n−1)(n−2)(n−3)) − 3(n−1)²/((n−2)(n−3)).
//  - Quartiles/Percentile: position (n + 1)·p with linear interpolation,
//    clamped to the extreme values.
//  - Histogram: NBins = Round(|LastBin − FirstBin| / BinWidth) bins of width
//    BinWidth starting at FirstBin; x < FirstBin counts as underflow,
//    x >= FirstBin + NBins·BinWidth as overflow, so every value lands in
//    exactly one of bins, underflow or overflow.  BinWidth <= 0 (or not a
//    number), more than 500 bins or no bin at all: false, nothing changed.
//    Positions of Lo..Hi outside the vector are skipped.
//
// Stream format (SaveToStream / LoadFromStream): Lo, Hi, then the values of
// Lo..Hi, every number a 10-byte little-endian extended.
//
// Text format (StoreOnFile / LoadFromFile): line 1 "Lo Hi", then one value per
// line; lines end in LF.
//
// Readers return false on any fault and then leave the vector unchanged: the
// header must satisfy 1 <= Lo <= Hi, the file must hold all Hi − Lo + 1 values,
// and resizing (AdjustSize) is refused when positions 1..Lo−1 would make the
// vector more than 16 Mi elements longer than the data the file holds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"

namespace zol {

class EZOLVectorError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

class TIntVector;

// ---------------------------------------------------------------- statistics on plain arrays
// Shared by vectors, matrices, 3D/4D arrays and the data table.  All take the
// values in the order given; none changes them.
namespace vecstat {
double Sum(std::span<const double> x);
// Two-pass mean and sample variance; variance exactly 1.0 when x.size() < 3,
// mean 0 for an empty span.
void MeanVar(std::span<const double> x, double& Mean, double& Variance);
// Population moments as described above (0 for n < 4 or zero spread).
void SkewKurt(std::span<const double> x, double& Skewness, double& Kurtosis);
void SkewKurtSample(std::span<const double> x, double& Skewness, double& Kurtosis);
// Value at the 1-based position P of sorted data with linear interpolation,
// clamped to the first/last value.  Sorted must not be empty.
double InterpolateSorted(std::span<const double> Sorted, double P);
// Quartiles / percentile (p in percent, clamped to 0..100) of unsorted data
// (sorted in a working copy).  Empty data: all results 0.
void Quartiles(std::span<const double> x, double& Q1, double& Q2, double& Q3);
double Percentile(std::span<const double> x, double p);
// The most frequent value (smallest on ties); 0 for empty data.
double Mode(std::span<const double> x);
// GeometricMean: exp(Σ ln x / n), 0 when a value is 0.  HarmonicMean:
// n / Σ 1/x.  The callers check the arguments with HasNegative/HasNonPositive.
bool HasNegative(std::span<const double> x);
double GeometricMean(std::span<const double> x);  // caller has checked for negatives
bool HasNonPositive(std::span<const double> x);
double HarmonicMean(std::span<const double> x);  // caller has checked for values <= 0
// Histogram as described above; Hist is resized to NBins (when it differs) and
// cleared.  False (nothing changed) for a bad bin width or more than 500 bins.
bool Histogram(std::span<const double> x, double FirstBin, double LastBin, double BinWidth, TIntVector* Hist,
               int& Underflow, int& Overflow, int& MaxCount);
// Eight CRC-32 accumulators, one per byte of the IEEE representation; the
// complemented accumulators as 8 upper-case hex digits each (64 characters).
class TCRC64Builder {
 public:
  void Add(double v);
  std::string Result() const;

 private:
  uint32_t acc[8] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                     0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
};
// The same with four accumulators over 32-bit integers (32 characters).
class TCRC32Builder {
 public:
  void Add(int32_t v);
  std::string Result() const;

 private:
  uint32_t acc[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
};
// Shortest decimal text that reads back to exactly the same double.
std::string DoubleToRoundTrip(double v);
}  // namespace vecstat

// ---------------------------------------------------------------- TVectorBase
// The code TVector (double) and TIntVector (int32_t) share: the elements and
// their access with range checks, fill/copy/sort/search, the statistics, the
// stream and text readers and the events.  Derived is the vector class itself
// (the type of the other operand of Clone, CopyFrom, Add, ...), Elem its
// element type.  The members are defined in Zol_vector.cpp for these two
// instances only.
template <typename Derived, typename Elem>
class TVectorBase : public TComponent {
 public:
  // A new vector has one element holding 0.
  explicit TVectorBase(TComponent* AOwner) : TComponent(AOwner), FData(1, Elem{}) {}

  int NrOfElem() const { return static_cast<int>(FData.size()); }
  // n = size: true; n <= 0: false; otherwise values kept up to the smaller
  // size, new ones 0, Changed.  "not enough memory" when the storage fails.
  bool Resize(int n);
  Elem GetVal(int i) const { return (i >= 1 && i <= NrOfElem()) ? FData[i - 1] : Elem{}; }
  void SetVal(int i, Elem v);
  // Direct access to the NrOfElem elements (0-based); call Changed after writing.
  Elem* Data() { return FData.data(); }
  const Elem* Data() const { return FData.data(); }
  std::span<const Elem> Values() const { return FData; }

  void Fill(Elem v);
  void Clear();
  void Clone(const Derived* Src);
  void CopyFrom(const Derived* Src, int SrcLo, int SrcHi, int DestLo);
  void Mirror();
  // Uniform Fisher–Yates shuffle with the shared generator (not reseeded).
  void ShuffleElems();
  std::string CRCofData() const;

  // Arithmetic; "vectors have different dimensions" when the sizes differ.
  // Integer elements wrap around like 32-bit arithmetic.
  void Add(const Derived& v);
  void Subtract(const Derived& v);
  void SMult(Elem f);
  // Σ over i of self[i]·v[i + Shift]; positions outside v contribute 0.
  double Correlate(const Derived& v, int Shift) const;
  double CalcVecLeng() const;

  void MakeValidElemRange(int& Lo, int& Hi) const;
  void MinMax(int Lo, int Hi, Elem& Min, Elem& Max) const;
  int Find(int Lo, int Hi, Elem x) const;
  int FindInSortedVector(bool Ascending, Elem x) const;
  // Comb sort (shrink 1.3); OnSortExchange(this, 0, i, j, 0, 0) for every swap.
  void SortElems(bool Ascending, int Lo, int Hi);

  double Sum(int Lo, int Hi) const;
  void MeanVar(int Lo, int Hi, double& Mean, double& Variance) const;
  void SkewKurt(int Lo, int Hi, double& Skewness, double& Kurtosis) const;
  void SkewKurtSample(int Lo, int Hi, double& Skewness, double& Kurtosis) const;
  bool Quartiles(int Lo, int Hi, double& Q1, double& Q2, double& Q3) const;
  double Percentile(double p, int Lo, int Hi) const;
  Elem Mode(int Lo, int Hi) const;
  double GeometricMean(int Lo, int Hi) const;
  double HarmonicMean(int Lo, int Hi) const;

  // Stream storage (format above).  The unique_ptr form creates a memory
  // stream when it holds none.  Stream write failures propagate.
  void SaveToStream(TStream& Stream, int Lo, int Hi) const;
  void SaveToStream(std::unique_ptr<TMemoryStream>& Stream, int Lo, int Hi) const;
  bool LoadFromStream(TStream* Stream, bool AdjustSize);
  bool LoadFromFile(const std::string& FileName, bool AdjustSize);

  void Changed();
  std::function<void(TObject* Sender)> OnChange;
  TSortExchgEvent OnSortExchange;

 protected:
  // Values <= 0 or equal to the current size do nothing; others call Resize.
  void SetSize(int n);
  // "vectors have different dimensions" unless v has the size of this vector.
  void RequireSameSize(const Derived& v) const;
  // The text format with every value written by Format.
  bool WriteTextFile(int Lo, int Hi, const std::string& FileName,
                     const std::function<std::string(Elem)>& Format) const;
  std::vector<Elem> FData;
};

// ---------------------------------------------------------------- TVector
class TVector : public TVectorBase<TVector, double> {
 public:
  // A new vector has one element holding 0.
  explicit TVector(TComponent* AOwner) : TVectorBase(AOwner) {}

  // Values <= 0 or equal to the current size do nothing; others call Resize.
  void SetNrOfElem(int n);
  double DotProduct(const TVector& v) const;
  void SetVecLeng(double L);  // "vector has zero length" for a zero vector
  void Standardize(double& Mean, double& StdDev);
  double MeanCenter();
  bool Histogram(int Lo, int Hi, double FirstBin, double LastBin, double BinWidth, TIntVector* Hist,
                 int& Underflow, int& Overflow, int& MaxCount) const;
  // Precision: below −2 becomes 2, above 20 becomes 20; >= 0 fixed notation with
  // that many decimals, −1 scientific in 13 characters, −2 scientific in 26.
  bool StoreOnFile(int Lo, int Hi, int Precision, const std::string& FileName) const;
};

// ---------------------------------------------------------------- TIntVector
class TIntVector : public TVectorBase<TIntVector, int32_t> {
 public:
  explicit TIntVector(TComponent* AOwner) : TVectorBase(AOwner) {}

  // Values <= 0 or equal to the current size do nothing; others call Resize.
  void SetIntVecSize(int n);
  // Summed in 64 bits, returned as int (wraps like the 32-bit original beyond).
  int32_t DotProduct(const TIntVector& v) const;
  bool StoreOnFile(int Lo, int Hi, const std::string& FileName) const;
};

extern template class TVectorBase<TVector, double>;
extern template class TVectorBase<TIntVector, int32_t>;

}  // namespace zol
