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
bool ParseDouble(std::string_view s, double& v) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

bool ParseInt(std::string_view s, int64_t& v) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

// "Lo Hi" of the first line of the text format.
bool ParseLoHi(const std::string& line, int64_t& Lo, int64_t& Hi) {
  const size_t p = line.find_first_not_of(" \t");
  if (p == std::string::npos) return false;
  const size_t q = line.find_first_of(" \t", p);
  if (q == std::string::npos) return false;
  return ParseInt(std::string_view(line).substr(p, q - p), Lo) && ParseInt(std::string_view(line).substr(q), Hi);
}

// Reads all lines of a text file; false when it cannot be opened or read.
bool ReadAllLines(const std::string& FileName, std::vector<std::string>& Lines) {
  try {
    TextFile F;
    AssignFile(F, FileName);
    Reset(F);
    std::string line;
    while (ReadLn(F, line)) Lines.push_back(line);
    CloseFile(F);
    return true;
  } catch (const std::exception&) {
    return false;
  }
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

// Reads the header Lo/Hi (extended values, rounded) from a vector stream.
bool ReadStreamLoHi(TStream& Stream, int64_t& Lo, int64_t& Hi) {
  bool err1 = false, err2 = false;
  const long double lo = ReadExtendedFromStream(Stream, err1);
  const long double hi = ReadExtendedFromStream(Stream, err2);
  if (err1 || err2) return false;
  if (!(std::fabs(lo) < 3e9L) || !(std::fabs(hi) < 3e9L)) return false;
  Lo = std::llround(static_cast<double>(lo));
  Hi = std::llround(static_cast<double>(hi));
  return true;
}

template <typename T>
void CombSort(T* a, int Lo, int Hi, bool Ascending, const std::function<void(int, int)>& OnSwap) {
  // Lo, Hi are 1-based positions of the 0-based array a
  if (Hi - Lo <= 0) return;
  int gap = Hi - Lo;
  bool swapped;
  do {
    gap = static_cast<int>(gap / 1.3);
    if (gap < 1) gap = 1;
    swapped = false;
    for (int i = Lo; i + gap <= Hi; ++i) {
      T& x = a[i - 1];
      T& y = a[i + gap - 1];
      const bool out = Ascending ? (x > y) : (x < y);
      if (out) {
        std::swap(x, y);
        swapped = true;
        if (OnSwap) OnSwap(i, i + gap);
      }
    }
  } while (gap != 1 || swapped);
}

template <typename T>
int FindSorted(const T* a, int n, bool Ascending, double x) {
  // 1-based bisection over the 0-based array a
  auto at = [a](int i) { return static_cast<double>(a[i - 1]); };
  int lo = 1, hi = n;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    if (at(mid) == x) return mid;
    if ((Ascending && x >= at(mid)) || (!Ascending && x < at(mid)))
      lo = mid;
    else
      hi = mid;
  }
  return std::fabs(at(hi) - x) > std::fabs(at(lo) - x) ? lo : hi;
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

}  // namespace

// ==================================================================== TVector
TVector::TVector(TComponent* AOwner) : TComponent(AOwner), FData(1, 0.0) {}

void TVector::Changed() {
  if (OnChange) OnChange(this);
}

void TVector::SetNrOfElem(int n) {
  if (n <= 0 || n == NrOfElem()) return;
  Resize(n);
}

bool TVector::Resize(int n) {
  if (n == NrOfElem()) return true;
  if (n <= 0) return false;
  try {
    FData.resize(static_cast<size_t>(n), 0.0);
  } catch (const std::bad_alloc&) {
    throw EZOLVectorError(ComponentMsg("not enough memory"));
  }
  Changed();
  return true;
}

void TVector::SetVal(int i, double v) {
  if (i < 1 || i > NrOfElem()) return;
  FData[i - 1] = v;
  Changed();
}

void TVector::Fill(double v) {
  std::fill(FData.begin(), FData.end(), v);
  Changed();
}

void TVector::Clear() { Fill(0.0); }

void TVector::Clone(const TVector* Src) {
  if (Src == nullptr || Src == this) return;
  FData = Src->FData;
  Changed();
}

void TVector::CopyFrom(const TVector* Src, int SrcLo, int SrcHi, int DestLo) {
  if (Src == nullptr) return;
  Src->MakeValidElemRange(SrcLo, SrcHi);
  std::vector<double> tmp(Src->FData.begin() + (SrcLo - 1), Src->FData.begin() + SrcHi);
  for (size_t k = 0; k < tmp.size(); ++k) {
    const int64_t d = static_cast<int64_t>(DestLo) + static_cast<int64_t>(k);
    if (d >= 1 && d <= NrOfElem()) FData[d - 1] = tmp[k];
  }
  Changed();
}

void TVector::Mirror() {
  std::reverse(FData.begin(), FData.end());
  Changed();
}

void TVector::ShuffleElems() { ShuffleSpan(FData.data(), NrOfElem()); }

std::string TVector::CRCofData() const {
  vecstat::TCRC64Builder b;
  for (double v : FData) b.Add(v);
  return b.Result();
}

void TVector::Add(const TVector& v) {
  if (v.NrOfElem() != NrOfElem()) throw EZOLVectorError(ComponentMsg("vectors have different dimensions"));
  for (size_t i = 0; i < FData.size(); ++i) FData[i] += v.FData[i];
  Changed();
}

void TVector::Subtract(const TVector& v) {
  if (v.NrOfElem() != NrOfElem()) throw EZOLVectorError(ComponentMsg("vectors have different dimensions"));
  for (size_t i = 0; i < FData.size(); ++i) FData[i] -= v.FData[i];
  Changed();
}

void TVector::SMult(double f) {
  for (double& x : FData) x *= f;
  Changed();
}

double TVector::DotProduct(const TVector& v) const {
  if (v.NrOfElem() != NrOfElem()) throw EZOLVectorError(ComponentMsg("vectors have different dimensions"));
  double s = 0.0;
  for (size_t i = 0; i < FData.size(); ++i) s += FData[i] * v.FData[i];
  return s;
}

double TVector::Correlate(const TVector& v, int Shift) const {
  double s = 0.0;
  for (int i = 1; i <= NrOfElem(); ++i) s += FData[i - 1] * v.GetVal(static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(i) + Shift, -1, INT32_MAX)));
  return s;
}

double TVector::CalcVecLeng() const {
  double s = 0.0;
  for (double x : FData) s += x * x;
  return std::sqrt(s);
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

void TVector::MakeValidElemRange(int& Lo, int& Hi) const {
  const int n = NrOfElem();
  if (Lo == 0 && Hi == 0) {
    Lo = 1;
    Hi = n;
    return;
  }
  Lo = std::clamp(Lo, 1, std::max(n, 1));
  Hi = std::clamp(Hi, 1, std::max(n, 1));
  if (Lo > Hi) std::swap(Lo, Hi);
}

static void ClampNoZero(int& Lo, int& Hi, int n) {
  Lo = std::clamp(Lo, 1, std::max(n, 1));
  Hi = std::clamp(Hi, 1, std::max(n, 1));
  if (Lo > Hi) std::swap(Lo, Hi);
}

void TVector::MinMax(int Lo, int Hi, double& Min, double& Max) const {
  MakeValidElemRange(Lo, Hi);
  Min = 1.7e308;
  Max = -1.7e308;
  for (int i = Lo; i <= Hi; ++i) {
    const double v = FData[i - 1];
    if (v < Min) Min = v;
    if (v > Max) Max = v;
  }
}

int TVector::Find(int Lo, int Hi, double x) const {
  MakeValidElemRange(Lo, Hi);
  int best = 0;
  double bd = std::numeric_limits<double>::infinity();
  for (int i = Lo; i <= Hi; ++i) {
    const double d = std::fabs(FData[i - 1] - x);
    if (d < bd || best == 0) {
      if (best == 0 || d < bd) {
        bd = d;
        best = i;
      }
    }
  }
  return best;
}

int TVector::FindInSortedVector(bool Ascending, double x) const {
  return FindSorted(FData.data(), NrOfElem(), Ascending, x);
}

void TVector::SortElems(bool Ascending, int Lo, int Hi) {
  ClampNoZero(Lo, Hi, NrOfElem());
  if (Hi - Lo <= 0) return;
  std::function<void(int, int)> cb;
  if (OnSortExchange) cb = [this](int a, int b) { OnSortExchange(this, 0, a, b, 0, 0); };
  CombSort(FData.data(), Lo, Hi, Ascending, cb);
  Changed();
}

double TVector::Sum(int Lo, int Hi) const {
  if (FData.empty()) return 0.0;
  ClampNoZero(Lo, Hi, NrOfElem());
  return vecstat::Sum(std::span<const double>(FData).subspan(Lo - 1, Hi - Lo + 1));
}

void TVector::MeanVar(int Lo, int Hi, double& Mean, double& Variance) const {
  MakeValidElemRange(Lo, Hi);
  vecstat::MeanVar(std::span<const double>(FData).subspan(Lo - 1, Hi - Lo + 1), Mean, Variance);
}

void TVector::SkewKurt(int Lo, int Hi, double& Skewness, double& Kurtosis) const {
  MakeValidElemRange(Lo, Hi);
  vecstat::SkewKurt(std::span<const double>(FData).subspan(Lo - 1, Hi - Lo + 1), Skewness, Kurtosis);
}

void TVector::SkewKurtSample(int Lo, int Hi, double& Skewness, double& Kurtosis) const {
  MakeValidElemRange(Lo, Hi);
  vecstat::SkewKurtSample(std::span<const double>(FData).subspan(Lo - 1, Hi - Lo + 1), Skewness, Kurtosis);
}

bool TVector::Quartiles(int Lo, int Hi, double& Q1, double& Q2, double& Q3) const {
  Q1 = Q2 = Q3 = 0.0;
  if (FData.empty()) return false;
  ClampNoZero(Lo, Hi, NrOfElem());
  try {
    vecstat::Quartiles(std::span<const double>(FData).subspan(Lo - 1, Hi - Lo + 1), Q1, Q2, Q3);
  } catch (const std::bad_alloc&) {
    throw EZOLVectorError(ComponentMsg("not enough memory on heap"));
  }
  return true;
}

double TVector::Percentile(double p, int Lo, int Hi) const {
  if (FData.empty()) return 0.0;
  ClampNoZero(Lo, Hi, NrOfElem());
  try {
    return vecstat::Percentile(std::span<const double>(FData).subspan(Lo - 1, Hi - Lo + 1), p);
  } catch (const std::bad_alloc&) {
    throw EZOLVectorError(ComponentMsg("not enough memory on heap"));
  }
}

double TVector::Mode(int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  return vecstat::Mode(std::span<const double>(FData).subspan(Lo - 1, Hi - Lo + 1));
}

double TVector::GeometricMean(int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  auto s = std::span<const double>(FData).subspan(Lo - 1, Hi - Lo + 1);
  if (vecstat::HasNegative(s)) throw EZOLVectorError(ComponentMsg("negative argument passed to GeometricMean"));
  return vecstat::GeometricMean(s);
}

double TVector::HarmonicMean(int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  auto s = std::span<const double>(FData).subspan(Lo - 1, Hi - Lo + 1);
  if (vecstat::HasNonPositive(s))
    throw EZOLVectorError(ComponentMsg("negative or zero argument passed to HarmonicMean"));
  return vecstat::HarmonicMean(s);
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

void TVector::SaveToStream(TStream& Stream, int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  WriteExtendedToStream(Stream, Lo);
  WriteExtendedToStream(Stream, Hi);
  for (int i = Lo; i <= Hi; ++i) WriteExtendedToStream(Stream, FData[i - 1]);
}

void TVector::SaveToStream(std::unique_ptr<TMemoryStream>& Stream, int Lo, int Hi) const {
  if (!Stream) Stream = std::make_unique<TMemoryStream>();
  SaveToStream(*Stream, Lo, Hi);
}

bool TVector::LoadFromStream(TStream* Stream, bool AdjustSize) {
  if (Stream == nullptr) return false;
  try {
    const int64_t start = Stream->Position();
    const int64_t avail = Stream->Size() - start;
    int64_t Lo, Hi;
    if (avail < 20 || !ReadStreamLoHi(*Stream, Lo, Hi)) {
      Stream->SetPosition(start);
      return false;
    }
    if (!ValidStoredRange(Lo, Hi, (avail - 20) / 10) || (!AdjustSize && Hi > NrOfElem())) {
      Stream->SetPosition(start);
      return false;
    }
    std::vector<uint8_t> raw(static_cast<size_t>(Hi - Lo + 1) * 10);
    if (Stream->Read(raw.data(), static_cast<int64_t>(raw.size())) != static_cast<int64_t>(raw.size())) {
      Stream->SetPosition(start);
      return false;
    }
    std::vector<double> vals(static_cast<size_t>(Hi - Lo + 1));
    for (size_t k = 0; k < vals.size(); ++k) vals[k] = static_cast<double>(BytesToExtended(&raw[k * 10]));
    if (AdjustSize && Hi != NrOfElem()) FData.resize(static_cast<size_t>(Hi), 0.0);
    std::copy(vals.begin(), vals.end(), FData.begin() + (Lo - 1));
    Changed();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TVector::StoreOnFile(int Lo, int Hi, int Precision, const std::string& FileName) const {
  MakeValidElemRange(Lo, Hi);
  if (Precision < -2) Precision = 2;
  if (Precision > 20) Precision = 20;
  try {
    TextFile F;
    AssignFile(F, FileName);
    Rewrite(F);
    WriteLn(F, std::to_string(Lo) + " " + std::to_string(Hi));
    for (int i = Lo; i <= Hi; ++i) WriteLn(F, FormatVectorValue(FData[i - 1], Precision));
    CloseFile(F);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TVector::LoadFromFile(const std::string& FileName, bool AdjustSize) {
  std::vector<std::string> lines;
  if (!ReadAllLines(FileName, lines) || lines.empty()) return false;
  int64_t Lo, Hi;
  if (!ParseLoHi(lines[0], Lo, Hi)) return false;
  if (!ValidStoredRange(Lo, Hi, static_cast<int64_t>(lines.size()) - 1)) return false;
  if (!AdjustSize && Hi > NrOfElem()) return false;
  if (AdjustSize && Hi != NrOfElem()) FData.resize(static_cast<size_t>(Hi), 0.0);
  for (int64_t i = Lo; i <= Hi; ++i) {
    double v;
    if (ParseDouble(lines[static_cast<size_t>(i - Lo + 1)], v)) FData[static_cast<size_t>(i - 1)] = v;
  }
  Changed();
  return true;
}

// ==================================================================== TIntVector
TIntVector::TIntVector(TComponent* AOwner) : TComponent(AOwner), FData(1, 0) {}

void TIntVector::Changed() {
  if (OnChange) OnChange(this);
}

void TIntVector::SetIntVecSize(int n) {
  if (n <= 0 || n == NrOfElem()) return;
  Resize(n);
}

bool TIntVector::Resize(int n) {
  if (n == NrOfElem()) return true;
  if (n <= 0) return false;
  try {
    FData.resize(static_cast<size_t>(n), 0);
  } catch (const std::bad_alloc&) {
    throw EZOLVectorError(ComponentMsg("not enough memory"));
  }
  Changed();
  return true;
}

void TIntVector::SetVal(int i, int32_t v) {
  if (i < 1 || i > NrOfElem()) return;
  FData[i - 1] = v;
  Changed();
}

void TIntVector::Fill(int32_t v) {
  std::fill(FData.begin(), FData.end(), v);
  Changed();
}

void TIntVector::Clear() { Fill(0); }

void TIntVector::Clone(const TIntVector* Src) {
  if (Src == nullptr || Src == this) return;
  FData = Src->FData;
  Changed();
}

void TIntVector::CopyFrom(const TIntVector* Src, int SrcLo, int SrcHi, int DestLo) {
  if (Src == nullptr) return;
  Src->MakeValidElemRange(SrcLo, SrcHi);
  std::vector<int32_t> tmp(Src->FData.begin() + (SrcLo - 1), Src->FData.begin() + SrcHi);
  for (size_t k = 0; k < tmp.size(); ++k) {
    const int64_t d = static_cast<int64_t>(DestLo) + static_cast<int64_t>(k);
    if (d >= 1 && d <= NrOfElem()) FData[d - 1] = tmp[k];
  }
  Changed();
}

void TIntVector::Mirror() {
  std::reverse(FData.begin(), FData.end());
  Changed();
}

void TIntVector::ShuffleElems() { ShuffleSpan(FData.data(), NrOfElem()); }

std::string TIntVector::CRCofData() const {
  vecstat::TCRC32Builder b;
  for (int32_t v : FData) b.Add(v);
  return b.Result();
}

void TIntVector::Add(const TIntVector& v) {
  if (v.NrOfElem() != NrOfElem()) throw EZOLVectorError(ComponentMsg("vectors have different dimensions"));
  for (size_t i = 0; i < FData.size(); ++i)
    FData[i] = static_cast<int32_t>(static_cast<uint32_t>(FData[i]) + static_cast<uint32_t>(v.FData[i]));
  Changed();
}

void TIntVector::Subtract(const TIntVector& v) {
  if (v.NrOfElem() != NrOfElem()) throw EZOLVectorError(ComponentMsg("vectors have different dimensions"));
  for (size_t i = 0; i < FData.size(); ++i)
    FData[i] = static_cast<int32_t>(static_cast<uint32_t>(FData[i]) - static_cast<uint32_t>(v.FData[i]));
  Changed();
}

void TIntVector::SMult(int32_t f) {
  for (int32_t& x : FData) x = static_cast<int32_t>(static_cast<uint32_t>(x) * static_cast<uint32_t>(f));
  Changed();
}

int32_t TIntVector::DotProduct(const TIntVector& v) const {
  if (v.NrOfElem() != NrOfElem()) throw EZOLVectorError(ComponentMsg("vectors have different dimensions"));
  uint64_t s = 0;
  for (size_t i = 0; i < FData.size(); ++i)
    s += static_cast<uint64_t>(static_cast<int64_t>(FData[i]) * static_cast<int64_t>(v.FData[i]));
  return static_cast<int32_t>(static_cast<uint32_t>(s));
}

double TIntVector::Correlate(const TIntVector& v, int Shift) const {
  double s = 0.0;
  for (int i = 1; i <= NrOfElem(); ++i)
    s += static_cast<double>(FData[i - 1]) *
         v.GetVal(static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(i) + Shift, -1, INT32_MAX)));
  return s;
}

double TIntVector::CalcVecLeng() const {
  double s = 0.0;
  for (int32_t x : FData) s += static_cast<double>(x) * static_cast<double>(x);
  return std::sqrt(s);
}

void TIntVector::MakeValidElemRange(int& Lo, int& Hi) const {
  const int n = NrOfElem();
  if (Lo == 0 && Hi == 0) {
    Lo = 1;
    Hi = n;
    return;
  }
  ClampNoZero(Lo, Hi, n);
}

void TIntVector::MinMax(int Lo, int Hi, int32_t& Min, int32_t& Max) const {
  MakeValidElemRange(Lo, Hi);
  Min = 2147483647;
  Max = -2147483647;
  for (int i = Lo; i <= Hi; ++i) {
    Min = std::min(Min, FData[i - 1]);
    Max = std::max(Max, FData[i - 1]);
  }
}

int TIntVector::Find(int Lo, int Hi, int32_t x) const {
  MakeValidElemRange(Lo, Hi);
  int best = 0;
  int64_t bd = 0;
  for (int i = Lo; i <= Hi; ++i) {
    const int64_t d = std::llabs(static_cast<int64_t>(FData[i - 1]) - x);
    if (best == 0 || d < bd) {
      bd = d;
      best = i;
    }
  }
  return best;
}

int TIntVector::FindInSortedVector(bool Ascending, int32_t x) const {
  return FindSorted(FData.data(), NrOfElem(), Ascending, static_cast<double>(x));
}

void TIntVector::SortElems(bool Ascending, int Lo, int Hi) {
  ClampNoZero(Lo, Hi, NrOfElem());
  if (Hi - Lo <= 0) return;
  std::function<void(int, int)> cb;
  if (OnSortExchange) cb = [this](int a, int b) { OnSortExchange(this, 0, a, b, 0, 0); };
  CombSort(FData.data(), Lo, Hi, Ascending, cb);
  Changed();
}

std::vector<double> TIntVector::RangeAsDouble(int Lo, int Hi) const {
  return std::vector<double>(FData.begin() + (Lo - 1), FData.begin() + Hi);
}

double TIntVector::Sum(int Lo, int Hi) const {
  ClampNoZero(Lo, Hi, NrOfElem());
  return vecstat::Sum(RangeAsDouble(Lo, Hi));
}

void TIntVector::MeanVar(int Lo, int Hi, double& Mean, double& Variance) const {
  MakeValidElemRange(Lo, Hi);
  vecstat::MeanVar(RangeAsDouble(Lo, Hi), Mean, Variance);
}

void TIntVector::SkewKurt(int Lo, int Hi, double& Skewness, double& Kurtosis) const {
  MakeValidElemRange(Lo, Hi);
  vecstat::SkewKurt(RangeAsDouble(Lo, Hi), Skewness, Kurtosis);
}

void TIntVector::SkewKurtSample(int Lo, int Hi, double& Skewness, double& Kurtosis) const {
  MakeValidElemRange(Lo, Hi);
  vecstat::SkewKurtSample(RangeAsDouble(Lo, Hi), Skewness, Kurtosis);
}

bool TIntVector::Quartiles(int Lo, int Hi, double& Q1, double& Q2, double& Q3) const {
  Q1 = Q2 = Q3 = 0.0;
  if (FData.empty()) return false;
  ClampNoZero(Lo, Hi, NrOfElem());
  vecstat::Quartiles(RangeAsDouble(Lo, Hi), Q1, Q2, Q3);
  return true;
}

double TIntVector::Percentile(double p, int Lo, int Hi) const {
  ClampNoZero(Lo, Hi, NrOfElem());
  return vecstat::Percentile(RangeAsDouble(Lo, Hi), p);
}

int32_t TIntVector::Mode(int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  return static_cast<int32_t>(vecstat::Mode(RangeAsDouble(Lo, Hi)));
}

double TIntVector::GeometricMean(int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  const auto v = RangeAsDouble(Lo, Hi);
  if (vecstat::HasNegative(v)) throw EZOLVectorError(ComponentMsg("negative argument passed to GeometricMean"));
  return vecstat::GeometricMean(v);
}

double TIntVector::HarmonicMean(int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  const auto v = RangeAsDouble(Lo, Hi);
  if (vecstat::HasNonPositive(v))
    throw EZOLVectorError(ComponentMsg("negative or zero argument passed to HarmonicMean"));
  return vecstat::HarmonicMean(v);
}

void TIntVector::SaveToStream(TStream& Stream, int Lo, int Hi) const {
  MakeValidElemRange(Lo, Hi);
  WriteExtendedToStream(Stream, Lo);
  WriteExtendedToStream(Stream, Hi);
  for (int i = Lo; i <= Hi; ++i) WriteExtendedToStream(Stream, FData[i - 1]);
}

void TIntVector::SaveToStream(std::unique_ptr<TMemoryStream>& Stream, int Lo, int Hi) const {
  if (!Stream) Stream = std::make_unique<TMemoryStream>();
  SaveToStream(*Stream, Lo, Hi);
}

bool TIntVector::LoadFromStream(TStream* Stream, bool AdjustSize) {
  if (Stream == nullptr) return false;
  try {
    const int64_t start = Stream->Position();
    const int64_t avail = Stream->Size() - start;
    int64_t Lo, Hi;
    if (avail < 20 || !ReadStreamLoHi(*Stream, Lo, Hi) || !ValidStoredRange(Lo, Hi, (avail - 20) / 10) ||
        (!AdjustSize && Hi > NrOfElem())) {
      Stream->SetPosition(start);
      return false;
    }
    std::vector<uint8_t> raw(static_cast<size_t>(Hi - Lo + 1) * 10);
    if (Stream->Read(raw.data(), static_cast<int64_t>(raw.size())) != static_cast<int64_t>(raw.size())) {
      Stream->SetPosition(start);
      return false;
    }
    std::vector<int32_t> vals(static_cast<size_t>(Hi - Lo + 1));
    for (size_t k = 0; k < vals.size(); ++k) {
      const long double x = BytesToExtended(&raw[k * 10]);
      vals[k] = (x >= -2147483648.0L && x <= 2147483647.0L) ? static_cast<int32_t>(std::llround(static_cast<double>(x))) : 0;
    }
    if (AdjustSize && Hi != NrOfElem()) FData.resize(static_cast<size_t>(Hi), 0);
    std::copy(vals.begin(), vals.end(), FData.begin() + (Lo - 1));
    Changed();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TIntVector::StoreOnFile(int Lo, int Hi, const std::string& FileName) const {
  MakeValidElemRange(Lo, Hi);
  try {
    TextFile F;
    AssignFile(F, FileName);
    Rewrite(F);
    WriteLn(F, std::to_string(Lo) + " " + std::to_string(Hi));
    for (int i = Lo; i <= Hi; ++i) WriteLn(F, std::to_string(FData[i - 1]));
    CloseFile(F);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TIntVector::LoadFromFile(const std::string& FileName, bool AdjustSize) {
  std::vector<std::string> lines;
  if (!ReadAllLines(FileName, lines) || lines.empty()) return false;
  int64_t Lo, Hi;
  if (!ParseLoHi(lines[0], Lo, Hi)) return false;
  if (!ValidStoredRange(Lo, Hi, static_cast<int64_t>(lines.size()) - 1)) return false;
  if (!AdjustSize && Hi > NrOfElem()) return false;
  if (AdjustSize && Hi != NrOfElem()) FData.resize(static_cast<size_t>(Hi), 0);
  for (int64_t i = Lo; i <= Hi; ++i) {
    int64_t v;
    if (ParseInt(lines[static_cast<size_t>(i - Lo + 1)], v) && v >= INT32_MIN && v <= INT32_MAX)
      FData[static_cast<size_t>(i - 1)] = static_cast<int32_t>(v);
  }
  Changed();
  return true;
}

}  // namespace zol
