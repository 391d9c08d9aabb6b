// One-dimensional number containers.
#include "math/Zol_vector.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "base/Zol_dstruct.h"
#include "base/Zol_streams.h"
#include "base/platform/Zol_sysutils.h"
#include "math/Zol_math1.h"
#include "math/Zol_vecmatbase.h"

namespace zol {

// ==================================================================== plain-array statistics
namespace vecstat {

double Sum(std::span<const double> x) {
  double s = 0.0;
  for (double v : x) s += v;
  return s;
}

void MeanVar(std::span<const double> x, double& Mean, double& Variance) {
  const size_t n = x.size();
  Mean = 0.0;
  Variance = 1.0;
  if (n == 0) return;
  Mean = Sum(x) / static_cast<double>(n);
  if (n < 3) return;
  // Two passes: the squared deviations from the mean, with the summed
  // deviations as a correction term for the rounding of the mean.
  double s2 = 0.0, s1 = 0.0;
  for (double v : x) {
    const double e = v - Mean;
    s1 += e;
    s2 += e * e;
  }
  Variance = (s2 - s1 * s1 / static_cast<double>(n)) / static_cast<double>(n - 1);
  if (Variance < 0.0) Variance = 0.0;
}

namespace {
// Skewness and excess kurtosis; false when they are undefined (fewer than 4
// values or no spread), leaving both 0.  The moments are taken about the
// mean in two steps: the mean of the data, then the mean of the remaining
// deviations, so that data far from zero (1e9 + small values) keep every digit
// of their spread.
bool Moments(std::span<const double> x, double& Skewness, double& Kurtosis) {
  Skewness = 0.0;
  Kurtosis = 0.0;
  const size_t n = x.size();
  if (n < 4) return false;
  const double dn = static_cast<double>(n);
  const double m = Sum(x) / dn;
  double c = 0;
  for (double v : x) c += v - m;
  c /= dn;
  double se2 = 0, se3 = 0, se4 = 0;
  for (double v : x) {
    const double e = (v - m) - c;
    const double e2 = e * e;
    se2 += e2;
    se3 += e2 * e;
    se4 += e2 * e2;
  }
  const double var = se2 / (dn - 1.0);
  if (!(var > 0.0)) return false;
  const double s = std::sqrt(var);
  Skewness = (se3 / dn) / (s * s * s);
  Kurtosis = (se4 / dn) / (var * var) - 3.0;
  return true;
}
}  // namespace

void SkewKurt(std::span<const double> x, double& Skewness, double& Kurtosis) {
  Moments(x, Skewness, Kurtosis);
}

void SkewKurtSample(std::span<const double> x, double& Skewness, double& Kurtosis) {
  // Undefined moments stay 0: the corrections apply to real moments only.
  if (!Moments(x, Skewness, Kurtosis)) return;
  const double n = static_cast<double>(x.size());
  Skewness = Skewness * n * n / ((n - 1) * (n - 2));
  Kurtosis = (Kurtosis + 3.0) * n * n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) -
             3.0 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
}

double InterpolateSorted(std::span<const double> Sorted, double P) {
  const size_t n = Sorted.size();
  if (n == 0) return 0.0;
  if (n == 1 || !(P >= 1.0)) return Sorted[0];
  if (P >= static_cast<double>(n)) return Sorted[n - 1];
  const size_t k = static_cast<size_t>(P);  // 1 <= k < n
  const double r = P - static_cast<double>(k);
  return Sorted[k - 1] + (Sorted[k] - Sorted[k - 1]) * r;
}

// Total order with NaN last (a strict weak order even for NaN data, which
// the plain < is not).
static bool LessNaNLast(double a, double b) { return a < b || (!std::isnan(a) && std::isnan(b)); }

static std::vector<double> SortedCopy(std::span<const double> x) {
  std::vector<double> w(x.begin(), x.end());
  std::sort(w.begin(), w.end(), LessNaNLast);
  return w;
}

// The value at the 1-based position P of the sorted order, by selection
// (the same result as InterpolateSorted on a sorted copy).
static double SelectInterpolated(std::vector<double>& w, double P) {
  const size_t n = w.size();
  if (n == 1 || !(P >= 1.0)) return *std::min_element(w.begin(), w.end(), LessNaNLast);
  if (P >= static_cast<double>(n)) return *std::max_element(w.begin(), w.end(), LessNaNLast);
  const size_t k = static_cast<size_t>(P);  // 1 <= k < n
  const double r = P - static_cast<double>(k);
  std::nth_element(w.begin(), w.begin() + (k - 1), w.end(), LessNaNLast);
  const double lo = w[k - 1];
  const double hi = *std::min_element(w.begin() + k, w.end(), LessNaNLast);
  return lo + (hi - lo) * r;
}

void Quartiles(std::span<const double> x, double& Q1, double& Q2, double& Q3) {
  Q1 = Q2 = Q3 = 0.0;
  if (x.empty()) return;
  std::vector<double> w(x.begin(), x.end());
  const double n1 = static_cast<double>(w.size() + 1);
  Q1 = SelectInterpolated(w, n1 * 0.25);
  Q2 = SelectInterpolated(w, n1 * 0.5);
  Q3 = SelectInterpolated(w, n1 * 0.75);
}

double Percentile(std::span<const double> x, double p) {
  if (x.empty()) return 0.0;
  if (std::isnan(p)) p = 0.0;
  p = std::clamp(p, 0.0, 100.0);
  std::vector<double> w(x.begin(), x.end());
  if (p >= 100.0) return *std::max_element(w.begin(), w.end(), LessNaNLast);
  return SelectInterpolated(w, p * static_cast<double>(w.size() + 1) / 100.0);
}

double Mode(std::span<const double> x) {
  if (x.empty()) return 0.0;
  const std::vector<double> w = SortedCopy(x);
  double best = w[0];
  size_t bestLen = 1, runLen = 1;
  for (size_t i = 1; i < w.size(); ++i) {
    if (w[i] == w[i - 1]) {
      ++runLen;
      if (runLen > bestLen) {
        bestLen = runLen;
        best = w[i];
      }
    } else {
      runLen = 1;
    }
  }
  return best;
}

bool HasNegative(std::span<const double> x) {
  return std::any_of(x.begin(), x.end(), [](double v) { return v < 0.0; });
}

double GeometricMean(std::span<const double> x) {
  if (x.empty()) return 0.0;
  double s = 0.0;
  for (double v : x) {
    if (v == 0.0) return 0.0;
    s += std::log(v);
  }
  return std::exp(s / static_cast<double>(x.size()));
}

bool HasNonPositive(std::span<const double> x) {
  return std::any_of(x.begin(), x.end(), [](double v) { return !(v > 0.0); });
}

double HarmonicMean(std::span<const double> x) {
  if (x.empty()) return 0.0;
  double s = 0.0;
  for (double v : x) s += 1.0 / v;
  return static_cast<double>(x.size()) / s;
}

bool Histogram(std::span<const double> x, double FirstBin, double LastBin, double BinWidth, TIntVector* Hist,
               int& Underflow, int& Overflow, int& MaxCount) {
  if (!(BinWidth > 0.0) || !std::isfinite(BinWidth) || !std::isfinite(FirstBin) || !std::isfinite(LastBin))
    return false;
  const double nb = std::round(std::fabs(LastBin - FirstBin) / BinWidth);
  if (!(nb <= 500.0) || nb < 1.0 || Hist == nullptr) return false;
  const int NBins = static_cast<int>(nb);
  if (Hist->NrOfElem() != NBins) Hist->Resize(NBins);
  int32_t* h = Hist->Data();
  std::fill(h, h + NBins, 0);
  Underflow = Overflow = MaxCount = 0;
  for (double v : x) {
    if (std::isnan(v)) continue;
    if (v < FirstBin) {
      ++Underflow;
      continue;
    }
    const double b = std::floor((v - FirstBin) / BinWidth);
    if (!(b < nb)) {
      ++Overflow;
      continue;
    }
    const int bi = static_cast<int>(b);
    ++h[bi];
    if (h[bi] > MaxCount) MaxCount = h[bi];
  }
  Hist->Changed();
  return true;
}

void TCRC64Builder::Add(double v) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  for (int k = 0; k < 8; ++k) acc[k] = CalcNextCRC32(static_cast<uint8_t>(bits >> (8 * k)), acc[k]);
}

std::string TCRC64Builder::Result() const {
  char buf[8 * 8 + 1];
  for (int k = 0; k < 8; ++k) std::snprintf(buf + 8 * k, 9, "%08X", static_cast<unsigned>(~acc[k]));
  return std::string(buf, 64);
}

void TCRC32Builder::Add(int32_t v) {
  const uint32_t bits = static_cast<uint32_t>(v);
  for (int k = 0; k < 4; ++k) acc[k] = CalcNextCRC32(static_cast<uint8_t>(bits >> (8 * k)), acc[k]);
}

std::string TCRC32Builder::Result() const {
  char buf[4 * 8 + 1];
  for (int k = 0; k < 4; ++k) std::snprintf(buf + 8 * k, 9, "%08X", static_cast<unsigned>(~acc[k]));
  return std::string(buf, 32);
}

std::string DoubleToRoundTrip(double v) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof(buf), v);
  return std::string(buf, res.ptr);
}

}  // namespace vecstat

// ==================================================================== shared helpers
namespace {

// Parses a number filling the whole (trimmed) text; accepts a leading '+'.
template <typename T>
bool ParseNumber(std::string_view s, T& v) {
  return vecmat::ParseWhole(vecmat::TrimNumber(s, " \t", " \t\r"), v);
}

// "Lo Hi" of the first line of the text format.
bool ParseLoHi(const std::string& line, int64_t& Lo, int64_t& Hi) {
  const size_t p = line.find_first_not_of(" \t");
  if (p == std::string::npos) return false;
  const size_t q = line.find_first_of(" \t", p);
  if (q == std::string::npos) return false;
  return ParseNumber(std::string_view(line).substr(p, q - p), Lo) && ParseNumber(std::string_view(line).substr(q), Hi);
}

// Largest gap tolerated in front of the stored range when a reader enlarges a
// vector (positions 1..Lo−1 hold zeros).
constexpr int64_t MaxLeadingGap = 16 * 1024 * 1024;

// Header check shared by the stream and text readers.  Count is the number of
// values the source holds (or can hold).
bool ValidStoredRange(int64_t Lo, int64_t Hi, int64_t Available) {
  if (Lo < 1 || Hi < Lo || Hi > std::numeric_limits<int32_t>::max()) return false;
  if (Hi - Lo + 1 > Available) return false;
  return Lo - 1 <= MaxLeadingGap;
}

void ShuffleSpan(auto* a, int n) {
  // Fisher–Yates: position i swaps with a uniformly drawn position 0..i.
  for (int i = n - 1; i > 0; --i) {
    const int j = Random(i + 1);
    std::swap(a[i], a[j]);
  }
}

std::string FormatVectorValue(double v, int Precision) {
  if (Precision >= 0) {
    char buf[512];
    std::snprintf(buf, sizeof(buf), "%.*f", Precision, v);
    return buf;
  }
  return strf(v, Precision == -1 ? 13 : 26, -2);
}

// What differs between the element types.
template <typename Elem>
struct TVecElem;

template <>
struct TVecElem<double> {
  using CRC = vecstat::TCRC64Builder;
  static constexpr double MinStart = 1.7e308, MaxStart = -1.7e308;
  static double Plus(double a, double b) { return a + b; }
  static double Minus(double a, double b) { return a - b; }
  static double Times(double a, double b) { return a * b; }
  static double Distance(double a, double b) { return std::fabs(a - b); }
  static double FromExtended(long double x) { return static_cast<double>(x); }
  static bool Parse(std::string_view s, double& v) { return ParseNumber(s, v); }
};

template <>
struct TVecElem<int32_t> {
  using CRC = vecstat::TCRC32Builder;
  static constexpr int32_t MinStart = 2147483647, MaxStart = -2147483647;
  // 32-bit two's complement arithmetic (wraps instead of overflowing)
  static int32_t Plus(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
  }
  static int32_t Minus(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
  }
  static int32_t Times(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
  }
  static int64_t Distance(int32_t a, int32_t b) { return std::llabs(static_cast<int64_t>(a) - b); }
  static int32_t FromExtended(long double x) { return vecmat::ExtendedToInt32(x); }
  static bool Parse(std::string_view s, int32_t& v) {
    int64_t w;
    if (!ParseNumber(s, w) || w < INT32_MIN || w > INT32_MAX) return false;
    v = static_cast<int32_t>(w);
    return true;
  }
};

// Calls f with the elements Lo..Hi as doubles: a view of double storage, a
// converted copy of integer storage.
template <typename Elem, typename F>
auto WithDoubles(const std::vector<Elem>& Data, int Lo, int Hi, F f) {
  if constexpr (std::is_same_v<Elem, double>) {
    return f(std::span<const double>(Data).subspan(Lo - 1, Hi - Lo + 1));
  } else {
    const std::vector<double> v(Data.begin() + (Lo - 1), Data.begin() + Hi);
    return f(std::span<const double>(v));
  }
}

}  // namespace

// ==================================================================== TVectorBase
template <typename D, typename E>
void TVectorBase<D, E>::Changed() {
  if (OnChange) OnChange(this);
}

template <typename D, typename E>
bool TVectorBase<D, E>::Resize(int n) {
  if (n == NrOfElem()) return true;
  if (n <= 0) return false;
  try {
    FData.resize(static_cast<size_t>(n), E{});
  } catch (const std::bad_alloc&) {
    throw EZOLVectorError(ComponentMsg("not enough memory"));
  }
  Changed();
  return true;
}

template <typename D, typename E>
void TVectorBase<D, E>::SetSize(int n) {
  if (n <= 0 || n == NrOfElem()) return;
  Resize(n);
}

template <typename D, typename E>
void TVectorBase<D, E>::RequireSameSize(const D& v) const {
  if (v.NrOfElem() != NrOfElem()) throw EZOLVectorError(ComponentMsg("vectors have different dimensions"));
}

template <typename D, typename E>
void TVectorBase<D, E>::SetVal(int i, E v) {
  if (i < 1 || i > NrOfElem()) return;
  FData[i - 1] = v;
  Changed();
}

template <typename D, typename E>
void TVectorBase<D, E>::Fill(E v) {
  std::fill(FData.begin(), FData.end(), v);
  Changed();
}

template <typename D, typename E>
void TVectorBase<D, E>::Clear() {
  Fill(E{});
}

template <typename D, typename E>
void TVectorBase<D, E>::Clone(const D* Src) {
  if (Src == nullptr || Src == this) return;
  FData = Src->FData;
  Changed();
}

template <typename D, typename E>
void TVectorBase<D, E>::CopyFrom(const D* Src, int SrcLo, int SrcHi, int DestLo) {
  if (Src == nullptr) return;
  Src->MakeValidElemRange(SrcLo, SrcHi);
  std::vector<E> tmp(Src->FData.begin() + (SrcLo - 1), Src->FData.begin() + SrcHi);
  for (size_t k = 0; k < tmp.size(); ++k) {
    const int64_t d = static_cast<int64_t>(DestLo) + static_cast<int64_t>(k);
    if (d >= 1 && d <= NrOfElem()) FData[d - 1] = tmp[k];
  }
  Changed();
}

template <typename D, typename E>
void TVectorBase<D, E>::Mirror() {
  std::reverse(FData.begin(), FData.end());
  Changed();
}

template <typename D, typename E>
void TVectorBase<D, E>::ShuffleElems() {
  ShuffleSpan(FData.data(), NrOfElem());
}

template <typename D, typename E>
std::string TVectorBase<D, E>::CRCofData() const {
  typename TVecElem<E>::CRC b;
  for (E v : FData) b.Add(v);
  return b.Result();
}

template <typename D, typename E>
void TVectorBase<D, E>::Add(const D& v) {
  RequireSameSize(v);
  for (size_t i = 0; i < FData.size(); ++i) FData[i] = TVecElem<E>::Plus(FData[i], v.FData[i]);
  Changed();
}

template <typename D, typename E>
void TVectorBase<D, E>::Subtract(const D& v) {
  RequireSameSize(v);
  for (size_t i = 0; i < FData.size(); ++i) FData[i] = TVecElem<E>::Minus(FData[i], v.FData[i]);
  Changed();
}

template <typename D, typename E>
void TVectorBase<D, E>::SMult(E f) {
  for (E& x : FData) x = TVecElem<E>::Times(x, f);
  Changed();
}

template <typename D, typename E>
double TVectorBase<D, E>::Correlate(const D& v, int Shift) const {
  double s = 0.0;
  for (int i = 1; i <= NrOfElem(); ++i)
    s += static_cast<double>(FData[i - 1]) *
         v.GetVal(static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(i) + Shift, -1, INT32_MAX)));
  return s;
}

template <typename D, typename E>
double TVectorBase<D, E>::CalcVecLeng() const {
  double s = 0.0;
  for (E x : FData) s += static_cast<double>(x) * static_cast<double>(x);
  return std::sqrt(s);
}

template <typename D, typename E>
void TVectorBase<D, E>::MakeValidElemRange(int& Lo, int& Hi) const {
  vecmat::NormRange(Lo, Hi, NrOfElem());
}

template <typename D, typename E>
void TVectorBase<D, E>::MinMax(int Lo, int Hi, E& Min, E& Max) const {
  MakeValidElemRange(Lo, Hi);
  Min = TVecElem<E>::MinStart;
  Max = TVecElem<E>::MaxStart;
  for (int i = Lo; i <= Hi; ++i) {
    const E v = FData[i - 1];
    if (v < Min) Min = v;
    if (v > Max) Max = v;
  }
}

template <typename D, typename E>
int TVectorBase<D, E>::Find(int Lo, int Hi, E x) const {
  MakeValidElemRange(Lo, Hi);
  int best = 0;
  decltype(TVecElem<E>::Distance(x, x)) bd{};
  for (int i = Lo; i <= Hi; ++i) {
    const auto d = TVecElem<E>::Distance(FData[i - 1], x);
    if (best == 0 || d < bd) {
      bd = d;
      best = i;
    }
  }
  return best;
}

template <typename D, typename E>
int TVectorBase<D, E>::FindInSortedVector(bool Ascending, E x) const {
  const E* a = FData.data();
  return vecmat::BisectSorted(NrOfElem(), Ascending, static_cast<double>(x),
                              [a](int i) { return static_cast<double>(a[i - 1]); });
}

template <typename D, typename E>
void TVectorBase<D, E>::SortElems(bool Ascending, int Lo, int Hi) {
  vecmat::ClampRange(Lo, Hi, NrOfElem());
  if (Hi - Lo <= 0) return;
  E* a = FData.data();
  vecmat::CombSortIdx(
      Lo, Hi, Ascending, [a](int i) { return a[i - 1]; },
      [&](int i, int j) {
        std::swap(a[i - 1], a[j - 1]);
        if (OnSortExchange) OnSortExchange(this, 0, i, j, 0, 0);
      });
  Changed();
}

template <typename D, typename E>
double TVectorBase<D, E>::Sum(int Lo, int Hi) const {
  vecmat::ClampRange(Lo, Hi, NrOfElem());
  return WithDoubles(FData, Lo, Hi, [](std::span<const double> x) { return vecstat::Sum(x); });
}

template <typename D, typename E>
void TVectorBase<D, E>::MeanVar(int Lo, int Hi, double& Mean, double& Variance) const {
  MakeValidElemRange(Lo, Hi);
  WithDoubles(FData, Lo, Hi, [&](std::span<const double> x) { vecstat::MeanVar(x, Mean, Variance); });
}

template <typename D, typename E>
void TVectorBase<D, E>::SkewKurt(int Lo, int Hi, double& Skewness, double& Kurtosis) const {
  MakeValidElemRange(Lo, Hi);
  WithDoubles(FData, Lo, Hi, [&](std::span<const double> x) { vecstat::SkewKurt(x, Skewness, Kurtosis); });
}

template <typename D, typename E>
void TVectorBase<D, E>::SkewKurtSample(int Lo, int Hi, double& Skewness, double& Kurtosis) const {
  MakeValidElemRange(Lo, Hi);
  WithDoubles(FData, Lo, Hi, [&](std::span<const double> x) { vecstat::SkewKurtSample(x, Skewness, Kurtosis); });
}

template <typename D, typename E>
bool TVectorBase<D, E>::Quartiles(int Lo, int Hi, double& Q1, double& Q2, double& Q3) const {
  Q1 = Q2 = Q3 = 0.0;
  vecmat::ClampRange(Lo, Hi, NrOfElem());
  try {
    WithDoubles(FData, Lo, Hi, [&](std::span<const double> x) { vecstat::Quartiles(x, Q1, Q2, Q3); });
  } catch (const std::bad_alloc&) {
    throw EZOLVectorError(ComponentMsg("not enough memory on heap"));
  }
  return true;
}

template <typename D, typename E>
double TVectorBase<D, E>::Percentile(double p, int Lo, int Hi) const {
  vecmat::ClampRange(Lo, Hi, NrOfElem());
  try {
    return WithDoubles(FData, Lo, Hi, [p](std::span<const double> x) { return vecstat::Percentile(x, p); });
  } catch (const std::bad_alloc&) {
    throw EZOLVectorError(ComponentMsg("not enough memory on heap"));
  }
}

template <typename D, typename E>
E TVectorBase<D, E>::Mode(int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  return static_cast<E>(WithDoubles(FData, Lo, Hi, [](std::span<const double> x) { return vecstat::Mode(x); }));
}

template <typename D, typename E>
double TVectorBase<D, E>::GeometricMean(int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  return WithDoubles(FData, Lo, Hi, [this](std::span<const double> x) {
    if (vecstat::HasNegative(x)) throw EZOLVectorError(ComponentMsg("negative argument passed to GeometricMean"));
    return vecstat::GeometricMean(x);
  });
}

template <typename D, typename E>
double TVectorBase<D, E>::HarmonicMean(int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  return WithDoubles(FData, Lo, Hi, [this](std::span<const double> x) {
    if (vecstat::HasNonPositive(x))
      throw EZOLVectorError(ComponentMsg("negative or zero argument passed to HarmonicMean"));
    return vecstat::HarmonicMean(x);
  });
}

template <typename D, typename E>
void TVectorBase<D, E>::SaveToStream(TStream& Stream, int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  WriteExtendedToStream(Stream, Lo);
  WriteExtendedToStream(Stream, Hi);
  for (int i = Lo; i <= Hi; ++i) WriteExtendedToStream(Stream, FData[i - 1]);
}

template <typename D, typename E>
void TVectorBase<D, E>::SaveToStream(std::unique_ptr<TMemoryStream>& Stream, int Lo, int Hi) const {
  if (!Stream) Stream = std::make_unique<TMemoryStream>();
  SaveToStream(*Stream, Lo, Hi);
}

template <typename D, typename E>
bool TVectorBase<D, E>::LoadFromStream(TStream* Stream, bool AdjustSize) {
  if (Stream == nullptr) return false;
  try {
    const int64_t start = Stream->Position();
    const int64_t avail = Stream->Size() - start;
    int64_t lohi[2];
    if (avail < 20 || !vecmat::ReadExtendedIndices(*Stream, lohi, 2) ||
        !ValidStoredRange(lohi[0], lohi[1], (avail - 20) / 10) || (!AdjustSize && lohi[1] > NrOfElem())) {
      Stream->SetPosition(start);
      return false;
    }
    const int64_t Lo = lohi[0], Hi = lohi[1];
    std::vector<uint8_t> raw(static_cast<size_t>(Hi - Lo + 1) * 10);
    if (Stream->Read(raw.data(), static_cast<int64_t>(raw.size())) != static_cast<int64_t>(raw.size())) {
      Stream->SetPosition(start);
      return false;
    }
    std::vector<E> vals(static_cast<size_t>(Hi - Lo + 1));
    for (size_t k = 0; k < vals.size(); ++k) vals[k] = TVecElem<E>::FromExtended(BytesToExtended(&raw[k * 10]));
    if (AdjustSize && Hi != NrOfElem()) FData.resize(static_cast<size_t>(Hi), E{});
    std::copy(vals.begin(), vals.end(), FData.begin() + (Lo - 1));
    Changed();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

template <typename D, typename E>
bool TVectorBase<D, E>::WriteTextFile(int Lo, int Hi, const std::string& FileName,
                                      const std::function<std::string(E)>& Format) const {
  MakeValidElemRange(Lo, Hi);
  try {
    TextFile F;
    AssignFile(F, FileName);
    Rewrite(F);
    WriteLn(F, std::to_string(Lo) + " " + std::to_string(Hi));
    for (int i = Lo; i <= Hi; ++i) WriteLn(F, Format(FData[i - 1]));
    CloseFile(F);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

template <typename D, typename E>
bool TVectorBase<D, E>::LoadFromFile(const std::string& FileName, bool AdjustSize) {
  std::vector<std::string> lines;
  if (!vecmat::ReadAllLines(FileName, lines) || lines.empty()) return false;
  int64_t Lo, Hi;
  if (!ParseLoHi(lines[0], Lo, Hi)) return false;
  if (!ValidStoredRange(Lo, Hi, static_cast<int64_t>(lines.size()) - 1)) return false;
  if (!AdjustSize && Hi > NrOfElem()) return false;
  if (AdjustSize && Hi != NrOfElem()) FData.resize(static_cast<size_t>(Hi), E{});
  // a line that holds no valid value leaves its element as it was
  for (int64_t i = Lo; i <= Hi; ++i) {
    E v;
    if (TVecElem<E>::Parse(lines[static_cast<size_t>(i - Lo + 1)], v)) FData[static_cast<size_t>(i - 1)] = v;
  }
  Changed();
  return true;
}

template class TVectorBase<TVector, double>;
template class TVectorBase<TIntVector, int32_t>;

// ==================================================================== TVector
void TVector::SetNrOfElem(int n) { SetSize(n); }

double TVector::DotProduct(const TVector& v) const {
  RequireSameSize(v);
  double s = 0.0;
  for (size_t i = 0; i < FData.size(); ++i) s += FData[i] * v.FData[i];
  return s;
}

void TVector::SetVecLeng(double L) {
  const double len = CalcVecLeng();
  if (len == 0.0) throw EZOLVectorError("vector has zero length");
  const double f = L / len;
  for (double& x : FData) x *= f;
  Changed();
}

void TVector::Standardize(double& Mean, double& StdDev) {
  double var;
  vecstat::MeanVar(FData, Mean, var);
  StdDev = std::sqrt(var);
  if (StdDev > 0.0)
    for (double& x : FData) x = (x - Mean) / StdDev;
}

double TVector::MeanCenter() {
  const double m = vecstat::Sum(FData) / static_cast<double>(NrOfElem());
  for (double& x : FData) x -= m;
  return m;
}

bool TVector::Histogram(int Lo, int Hi, double FirstBin, double LastBin, double BinWidth, TIntVector* Hist,
                        int& Underflow, int& Overflow, int& MaxCount) const {
  // The range is taken as given; positions outside the vector are skipped.
  if (Lo > Hi) std::swap(Lo, Hi);
  const int lo = std::max(Lo, 1), hi = std::min(Hi, NrOfElem());
  std::span<const double> s;
  if (lo <= hi) s = std::span<const double>(FData).subspan(lo - 1, hi - lo + 1);
  return vecstat::Histogram(s, FirstBin, LastBin, BinWidth, Hist, Underflow, Overflow, MaxCount);
}

bool TVector::StoreOnFile(int Lo, int Hi, int Precision, const std::string& FileName) const {
  if (Precision < -2) Precision = 2;
  if (Precision > 20) Precision = 20;
  return WriteTextFile(Lo, Hi, FileName, [Precision](double v) { return FormatVectorValue(v, Precision); });
}

// ==================================================================== TIntVector
void TIntVector::SetIntVecSize(int n) { SetSize(n); }

int32_t TIntVector::DotProduct(const TIntVector& v) const {
  RequireSameSize(v);
  uint64_t s = 0;
  for (size_t i = 0; i < FData.size(); ++i)
    s += static_cast<uint64_t>(static_cast<int64_t>(FData[i]) * static_cast<int64_t>(v.FData[i]));
  return static_cast<int32_t>(static_cast<uint32_t>(s));
}

bool TIntVector::StoreOnFile(int Lo, int Hi, const std::string& FileName) const {
  return WriteTextFile(Lo, Hi, FileName, [](int32_t v) { return std::to_string(v); });
}

}  // namespace zol
