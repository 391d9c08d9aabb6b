// Numeric utilities of the math library.
#include "math/Zol_math1.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace zol {

namespace {

constexpr long double kLog2 = 0.3010299956639812L;  // log10 2
constexpr long double kLog5 = 0.6989700043360189L;  // log10 5
constexpr double kPi = 3.14159265358979323846;
constexpr const char* kHexDigits = "0123456789ABCDEF";
constexpr const char* kDegSign = "\xC2\xB0";  // U+00B0 in UTF-8
constexpr int kDegSteps[12] = {1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360};
constexpr double kFPClamp = 1.7e308;

// The integer part, truncated towards zero.
long double IntPart(long double x) { return std::trunc(x); }

std::string PadLeft(const std::string& s, int width) {
  width = std::min(width, 4096);
  if (static_cast<int>(s.size()) >= width) return s;
  return std::string(static_cast<size_t>(width) - s.size(), ' ') + s;
}

std::string NonFiniteText(double x) {
  if (std::isnan(x)) return "NaN";
  return x < 0 ? "-Inf" : "+Inf";
}

// Fixed notation with dec digits after the point (C locale, correctly rounded).
std::string FixedText(double x, int dec) {
  dec = std::clamp(dec, 0, 350);
  char buf[768];
  auto r = std::to_chars(buf, buf + sizeof(buf), x, std::chars_format::fixed, dec);
  if (r.ec != std::errc()) return NonFiniteText(x);
  return std::string(buf, r.ptr);
}

// The platform's scientific conversion into a field of `width` characters:
// sign or blank, one digit, ".", the fraction digits (at least 1, at most 16),
// "E", the exponent sign and four exponent digits; padded on the left.
// fullPrecision asks for all 17 significant digits whatever the width.
std::string SciText(double x, int width, bool fullPrecision = false) {
  if (!std::isfinite(x)) return PadLeft(NonFiniteText(x), width);
  int frac = fullPrecision ? 16 : std::clamp(width - 9, 1, 16);
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof(buf), x, std::chars_format::scientific, frac);
  std::string t(buf, r.ptr);
  size_t epos = t.find('e');
  std::string mant = t.substr(0, epos);
  int ex = 0;
  std::from_chars(t.data() + epos + 2, t.data() + t.size(), ex);
  bool negExp = t[epos + 1] == '-';
  std::string res;
  if (mant[0] == '-')
    res = mant;
  else
    res = " " + mant;
  char eb[16];
  std::snprintf(eb, sizeof(eb), "E%c%04d", negExp ? '-' : '+', ex);
  res += eb;
  return PadLeft(res, width);
}

// Reads an unsigned number of the form digits [ "." digits ] at index i;
// returns false when there is no digit.
bool ReadPlainNumber(const std::string& s, size_t& i, double& v) {
  size_t j = i;
  bool any = false;
  while (j < s.size() && s[j] >= '0' && s[j] <= '9') { ++j; any = true; }
  if (j < s.size() && s[j] == '.') {
    size_t k = j + 1;
    bool fr = false;
    while (k < s.size() && s[k] >= '0' && s[k] <= '9') { ++k; fr = true; }
    if (any || fr) { j = k; any = true; }
  }
  if (!any) return false;
  std::string t = s.substr(i, j - i);
  if (t.back() == '.') t += '0';
  if (t.front() == '.') t = "0" + t;
  auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec == std::errc::result_out_of_range) v = std::numeric_limits<double>::infinity();
  i = j;
  return true;
}

int HexVal(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int DigitVal(char c, int base) {
  int v = HexVal(c);
  return (v >= 0 && v < base) ? v : -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Converts a number text in C syntax ("-12.5E+3") to a double clamped to
// [-1.7e308, 1.7e308]; out-of-range magnitudes saturate or vanish.
double ConvertNumberText(const std::string& t) {
  bool neg = false;
  size_t b = 0;
  if (b < t.size() && (t[b] == '+' || t[b] == '-')) { neg = t[b] == '-'; ++b; }
  long double v = 0;
  auto r = std::from_chars(t.data() + b, t.data() + t.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Estimate the decimal exponent to tell overflow from underflow.
    long long de = 0;
    size_t i = b;
    bool seenNonZero = false;
    long long intDigits = 0, leadZeros = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
      if (t[i] != '0') seenNonZero = true;
      if (seenNonZero) ++intDigits;
    }
    if (i < t.size() && t[i] == '.') {
      ++i;
      for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        if (!seenNonZero) {
          if (t[i] == '0') ++leadZeros; else seenNonZero = true;
        }
      }
    }
    long long ex = 0;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
      ++i;
      bool en = false;
      if (i < t.size() && (t[i] == '+' || t[i] == '-')) { en = t[i] == '-'; ++i; }
      for (; i < t.size() && t[i] >= '0' && t[i] <= '9' && ex < 100000; ++i) ex = ex * 10 + (t[i] - '0');
      if (en) ex = -ex;
    }
    de = (intDigits > 0 ? intDigits : -leadZeros) + ex;
    v = de > 0 ? kFPClamp : 0.0L;
  } else if (r.ec != std::errc()) {
    v = 0;
  }
  if (v > kFPClamp) v = kFPClamp;
  double d = static_cast<double>(v);
  return neg ? -d : d;
}

char SystemDecimalPoint() {
  const std::lconv* lc = std::localeconv();
  if (lc && lc->decimal_point && lc->decimal_point[0] == ',') return ',';
  return '.';
}

std::string TrimBlanks(const std::string& s) {
  size_t a = 0, e = s.size();
  while (a < e && IsBlank(s[a])) ++a;
  while (e > a && IsBlank(s[e - 1])) --e;
  return s.substr(a, e - a);
}

// Counts one pass of a long computation.
void CountPass() {
  ++ProcStat;
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
}

template <typename T>
void CombSort(std::span<T> a, bool ascending) {
  const size_t n = a.size();
  if (n < 2) return;
  size_t gap = n;
  bool swapped;
  do {
    gap = static_cast<size_t>(static_cast<double>(gap) / 1.3);
    if (gap < 1) gap = 1;
    swapped = false;
    for (size_t i = 0; i + gap < n; ++i) {
      bool out = ascending ? (a[i] > a[i + gap]) : (a[i] < a[i + gap]);
      if (out) {
        std::swap(a[i], a[i + gap]);
        swapped = true;
      }
    }
    CountPass();
  } while (gap > 1 || swapped);
}

template <typename T>
int SortInto(std::span<T> a, T value, bool ascending, bool allowDup) {
  const size_t n = a.size();
  if (n == 0) return -1;
  auto fits = [&](const T& e) { return ascending ? (e >= value) : (e <= value); };
  size_t i = 0;
  while (i < n - 1 && !fits(a[i])) ++i;
  if (!fits(a[i]) || (a[i] == value && !allowDup)) return -1;
  for (size_t j = n - 1; j > i; --j) a[j] = a[j - 1];
  a[i] = value;
  return static_cast<int>(i);
}

template <typename T>
void InsertInto(std::span<T> a, T value, int position) {
  if (position < 0 || static_cast<size_t>(position) >= a.size()) return;
  for (size_t j = a.size() - 1; j > static_cast<size_t>(position); --j) a[j] = a[j - 1];
  a[static_cast<size_t>(position)] = value;
}

template <typename T>
T LoadValue(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

template <typename T>
T ReverseBytes(T x) {
  unsigned char b[sizeof(T)];
  std::memcpy(b, &x, sizeof(T));
  std::reverse(b, b + sizeof(T));
  std::memcpy(&x, b, sizeof(T));
  return x;
}

std::string ToHexBytes(const unsigned char* msbFirst, size_t n) {
  std::string s;
  s.reserve(2 * n);
  for (size_t i = 0; i < n; ++i) {
    s += kHexDigits[msbFirst[i] >> 4];
    s += kHexDigits[msbFirst[i] & 15];
  }
  return s;
}

// Parses exactly n hex bytes (2n digits) into msbFirst; false on any error.
bool FromHexBytes(const std::string& s, unsigned char* msbFirst, size_t n) {
  if (s.size() != 2 * n) return false;
  for (size_t i = 0; i < n; ++i) {
    int hi = HexVal(s[2 * i]), lo = HexVal(s[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    msbFirst[i] = static_cast<unsigned char>(hi * 16 + lo);
  }
  return true;
}

[[noreturn]] void InvalidHex(const char* routine, const std::string& s) {
  throw EZOLError(std::string(routine) + ": invalid hex string \"" + s + "\"");
}

// State of the generators.
bool gGaussCached = false;
double gGaussValue = 0.0;
int32_t gLR1 = 0, gLR2 = 0, gLR3 = 0;

// Start-up: the shared generator gets a seed drawn from the clock.
struct Math1Startup {
  Math1Startup() { Randomize(); }
} gMath1Startup;

std::string DigitsOf(uint32_t v, int ndig, int bitsPerDigit) {
  std::string s(static_cast<size_t>(ndig), '0');
  const uint32_t mask = (1u << bitsPerDigit) - 1;
  for (int i = ndig - 1; i >= 0; --i) {
    s[static_cast<size_t>(i)] = kHexDigits[v & mask];
    v >>= bitsPerDigit;
  }
  return s;
}

int ScanBased(const std::string& Text, int& Pos, int base, const char* prefix) {
  size_t i = Pos < 1 ? 0 : static_cast<size_t>(Pos - 1);
  while (i < Text.size() && IsBlank(Text[i])) ++i;
  if (i < Text.size() && prefix && Text[i] == prefix[0]) {
    if (i + 1 < Text.size() && DigitVal(Text[i + 1], base) >= 0) ++i;
  } else if (base == 16 && i + 2 < Text.size() && Text[i] == '0' &&
             (Text[i + 1] == 'x' || Text[i + 1] == 'X') && DigitVal(Text[i + 2], 16) >= 0) {
    i += 2;
  }
  uint32_t v = 0;
  size_t start = i;
  while (i < Text.size()) {
    int d = DigitVal(Text[i], base);
    if (d < 0) break;
    v = v * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
    ++i;
  }
  if (i == start) return 0;
  Pos = static_cast<int>(i) + 1;
  return static_cast<int32_t>(v);
}

bool ValidBased(const std::string& Text, int base, int maxBits) {
  std::string t = TrimBlanks(Text);
  if (t.empty()) return false;
  uint64_t v = 0;
  for (char c : t) {
    int d = DigitVal(c, base);
    if (d < 0) return false;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (v >> maxBits) return false;
  }
  return true;
}

}  // namespace

// ====================================================================== scale and rounding

void CalcScalePars(int NTicks, long double Low, long double High, long double& FirstTick,
                   long double& Distance, uint16_t& NrSubTicks) {
  if (Low == High || !std::isfinite(Low) || !std::isfinite(High)) {
    FirstTick = Low;
    Distance = 0;
    NrSubTicks = 1;
    return;
  }
  const long double s = Low < High ? 1.0L : -1.0L;
  const long double span = std::fabs(High - Low);
  // A negative tick count is taken by its magnitude.
  const long double nTicks = std::fabs(static_cast<long double>(NTicks));
  if (NTicks == 0) {
    // Unit steps, in the direction of the axis so that the ticks run towards High.
    Distance = s;
    NrSubTicks = span > 10 ? 1 : 5;
  } else {
    long double g = std::log(span / nTicks) / std::log(10.0L);
    long double h = g - IntPart(g);
    if (std::fabs(h) < 1e-10L || std::fabs(h) > 0.9999999999L) {
      g = std::round(g);
      h = 0;
    }
    if (g < 0 && h != 0) g = g - 1;
    if (h < 0) h = h + 1;
    // Rounding down in logarithmic space; the tolerance lets a raw step that is
    // a hair below 2 or 5 times a power of ten still take that step.
    long double mant;
    if (h < kLog2 - 1e-10L) {
      mant = 1;
      NrSubTicks = 5;
    } else if (h < kLog5 - 1e-10L) {
      mant = 2;
      NrSubTicks = 4;
    } else {
      mant = 5;
      NrSubTicks = 5;
    }
    const int k = static_cast<int>(IntPart(g));
    // mant * 10^k computed exactly where possible (10^k is exact up to 10^27).
    long double d = k >= 0 ? mant * std::pow(10.0L, static_cast<long double>(k))
                           : mant / std::pow(10.0L, static_cast<long double>(-k));
    Distance = s * d;
    if (Distance == 0 || !std::isfinite(Distance)) {  // beyond the range of the type
      FirstTick = Low;
      Distance = 0;
      NrSubTicks = 1;
      return;
    }
  }
  // First multiple of Distance at or beyond Low (tolerance 0.001 step).  The
  // loop is bounded: when Distance is below the resolution of Low the sum
  // would stand still.
  const long double tol = 0.001L * std::fabs(Distance);
  long double ft = (IntPart(Low / Distance) - 1) * Distance;
  for (int guard = 0; guard < 8 && s * (Low - ft) > tol; ++guard) {
    long double next = ft + Distance;
    if (next == ft) break;
    ft = next;
  }
  if (s * (Low - ft) > tol) ft = Low;
  FirstTick = ft;
}

namespace {
// Shared part of the 1-2-5 rounding: d = log10|x| (snapped onto an integer
// within 1e-14), k = floor(d), m = 10^(d - k).
void Split125(double x, int& k, double& m) {
  double d = std::log10(std::fabs(x));
  double rd = std::round(d);
  if (std::fabs(d - rd) < 1e-14) d = rd;
  k = IntNeg(d);
  // |x| scaled by the exact power of ten (pow(10, d - k) would put 8 at 7.999...).
  // Subnormal values take the scaling in two steps (10^320 is no double).
  if (k < -300)
    m = std::fabs(x) * 1e300 * std::pow(10.0, static_cast<double>(-k - 300));
  else if (k < 0)
    m = std::fabs(x) * std::pow(10.0, static_cast<double>(-k));
  else
    m = std::fabs(x) / std::pow(10.0, static_cast<double>(k));
}
double Compose125(double sign, double mant, int k) {
  if (k < -300) return sign * (mant / 1e300 / std::pow(10.0, static_cast<double>(-k - 300)));
  double p = std::pow(10.0, static_cast<double>(std::abs(k)));
  return sign * (k >= 0 ? mant * p : mant / p);
}
}  // namespace

double Round125(double x) {
  if (x == 0 || !std::isfinite(x)) return x == 0 ? 0.0 : x;
  int k;
  double m;
  Split125(x, k, m);
  double mant = m < 1.5 ? 1 : m < 3 ? 2 : m < 8 ? 5 : 10;
  return Compose125(x >= 0 ? 1.0 : -1.0, mant, k);
}

double RoundPos125(double x) {
  if (x == 0 || !std::isfinite(x)) return x == 0 ? 0.0 : x;
  int k;
  double m;
  Split125(x, k, m);
  double mant;
  if (x > 0)
    mant = m > 5 ? 10 : m > 2 ? 5 : m > 1 ? 2 : 1;
  else
    mant = m >= 10 ? 10 : m >= 5 ? 5 : m >= 2 ? 2 : 1;
  return Compose125(x > 0 ? 1.0 : -1.0, mant, k);
}

double RoundNeg125(double x) {
  if (x == 0 || !std::isfinite(x)) return x == 0 ? 0.0 : x;
  int k;
  double m;
  Split125(x, k, m);
  double mant;
  if (x >= 0)
    mant = m >= 10 ? 10 : m >= 5 ? 5 : m >= 2 ? 2 : 1;
  else
    mant = m > 5 ? 10 : m > 2 ? 5 : m > 1 ? 2 : 1;
  return Compose125(x >= 0 ? 1.0 : -1.0, mant, k);
}

void RoundDegrees(int& Deg, int& Min, int& Sec, bool RoundUp) {
  if (Deg < 0 || Min < 0 || Sec < 0) {
    Deg = Min = Sec = 0;
    return;
  }
  Min = std::min(Min, 59);
  Sec = std::min(Sec, 59);
  // Largest table step <= a (at least the first) or smallest >= a (at most the last).
  auto pick = [RoundUp](double a, int nsteps) {
    if (RoundUp) {
      for (int i = 0; i < nsteps; ++i)
        if (kDegSteps[i] >= a) return kDegSteps[i];
      return kDegSteps[nsteps - 1];
    }
    int r = kDegSteps[0];
    for (int i = 0; i < nsteps; ++i)
      if (kDegSteps[i] <= a) r = kDegSteps[i];
    return r;
  };
  if (Deg >= 1) {
    Deg = pick(Deg + Min / 60.0 + Sec / 3600.0, 12);
    Min = Sec = 0;
  } else if (Min >= 1) {
    int m = pick(Min + Sec / 60.0, 9);
    Sec = 0;
    if (m >= 60) {
      Deg = 1;
      Min = 0;
    } else {
      Min = m;
    }
  } else if (Sec >= 1) {
    int sc = pick(Sec, 9);
    if (sc >= 60) {
      Min = 1;
      Sec = 0;
    } else {
      Sec = sc;
    }
  }
}

int IntPos(double x) {
  if (std::isnan(x)) return 0;
  double c = std::ceil(x);
  if (c >= 2147483647.0) return std::numeric_limits<int>::max();
  if (c <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(c);
}

int IntNeg(double x) {
  if (std::isnan(x)) return 0;
  double f = std::floor(x);
  if (f >= 2147483647.0) return std::numeric_limits<int>::max();
  if (f <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(f);
}

// ====================================================================== number to text

std::string strf(double x, int Width, int Decimals) {
  if (Decimals == -2) {
    std::string t = SciText(x, Width + 2);
    if (!std::isfinite(x)) return PadLeft(NonFiniteText(x), Width);
    // The exponent ends the text: sign and four digits.
    const size_t n = t.size();
    const bool fits = t[n - 4] == '0' && t[n - 3] == '0';
    t.erase(n - 4, 2);
    if (!fits) t.assign(t.size(), '*');
    return t;
  }
  if (Decimals < 0) return SciText(x, Width, true);
  if (!std::isfinite(x)) return PadLeft(NonFiniteText(x), Width);
  return PadLeft(FixedText(x, Decimals), Width);
}

std::string EEngStr(double x, int NDig) {
  static const char kPrefix[] = "afpnum kMGT";
  if (!std::isfinite(x)) return std::isnan(x) ? "NaN" : (x < 0 ? "-Inf" : "Inf");
  NDig = std::clamp(NDig, -9, 9);
  int b = NDig >= 2 ? NDig - 1 : (NDig >= -1 ? 0 : NDig + 1);
  int ab = std::abs(b);
  if (x == 0) return strf(0, 1, ab);
  double ax = std::fabs(x);
  int e = IntNeg(std::log10(ax));
  std::string txt;
  int p = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    p = std::clamp(static_cast<int>(std::floor(e / 3.0)), -6, 4);
    int dec = std::max(0, ab + 3 * p - e);
    double mant = ax / std::pow(10.0, 3.0 * p);
    txt = strf(mant, 1, dec);
    // Rounding may carry into the next power of ten (999.6 -> "1000"):
    // then the exponent is one higher.
    double back = 0;
    std::from_chars(txt.data(), txt.data() + txt.size(), back);
    if (back >= std::pow(10.0, e + 1 - 3 * p) * (1 - 1e-15) && e < 400)
      ++e;
    else
      break;
  }
  if (p != 0) {
    char letter = kPrefix[p + 6];
    if (NDig < -1) {
      size_t dp = txt.find('.');
      if (dp == std::string::npos)
        txt += letter;
      else
        txt[dp] = letter;
    } else {
      txt += letter;
    }
  }
  if (x < 0) txt = "-" + txt;
  return txt;
}

std::string MakeEFormat(double x, int Width, int NDecimals) {
  NDecimals = std::clamp(NDecimals, 2, 15);
  Width = std::clamp(Width, 8, 40);
  if (!std::isfinite(x)) return PadLeft(NonFiniteText(x), Width);
  std::string t = SciText(x, NDecimals + 8);
  // t: sign/blank, digit, ".", NDecimals-1 digits, "E", sign, 4 digits.
  const size_t epos = t.find('E');
  std::string digits;
  for (size_t i = 1; i < epos; ++i)
    if (t[i] != '.') digits += t[i];
  int ex = 0;
  std::from_chars(t.data() + epos + 2, t.data() + t.size(), ex);
  if (t[epos + 1] == '-') ex = -ex;
  if (x != 0) ex += 1;
  char eb[16];
  // At least two exponent digits; a third one when the exponent needs it.
  std::snprintf(eb, sizeof(eb), "E%c%02d", ex < 0 ? '-' : '+', std::abs(ex));
  std::string res = std::string(1, t[0]) + "0." + digits + eb;
  return PadLeft(res, Width);
}

std::string DegreeToStr(double x, TDegreeFormat Format, int NDec) {
  NDec = std::clamp(NDec, 0, 8);
  switch (Format) {
    case dfDeg:
      return strf(x, 1, NDec) + kDegSign;
    case dfNumeric:
      return strf(x, 1, NDec);
    case dfDegMin:
    case dfDegMinSec:
      break;
  }
  if (!std::isfinite(x)) return NonFiniteText(x);
  const bool neg = std::signbit(x) && x != 0;
  const double ax = std::fabs(x);
  const long double scale = std::pow(10.0L, NDec);
  const long double perDeg = (Format == dfDegMin ? 60.0L : 3600.0L) * scale;
  std::string sign = neg ? "-" : "";
  if (ax * perDeg < 9e18L) {
    // Count in units of the last shown decimal of minutes (or seconds), so that
    // carries into the next minute or degree are exact.  The sign stays also
    // for angles between -1 and 0 degrees, and goes for values shown as zero.
    const long long units = std::llround(static_cast<long double>(ax) * perDeg);
    if (units == 0) sign.clear();
    const long long perD = static_cast<long long>(perDeg);
    const long long deg = units / perD;
    const long long rest = units % perD;
    if (Format == dfDegMin) {
      double minutes = static_cast<double>(rest / scale);
      return sign + std::to_string(deg) + kDegSign + " " + strf(minutes, NDec + 3, NDec) + "'";
    }
    const long long perMin = static_cast<long long>(60.0L * scale);
    const long long mins = rest / perMin;
    double secs = static_cast<double>((rest % perMin) / scale);
    return sign + std::to_string(deg) + kDegSign + " " + strf(static_cast<double>(mins), 2, 0) +
           "' " + strf(secs, NDec + 3, NDec) + "\"";
  }
  // Huge angles: the degrees alone carry all the precision there is.
  std::string d = strf(std::trunc(ax), 1, 0);
  if (Format == dfDegMin) return sign + d + kDegSign + " " + strf(0, NDec + 3, NDec) + "'";
  return sign + d + kDegSign + " " + strf(0, 2, 0) + "' " + strf(0, NDec + 3, NDec) + "\"";
}

std::string Decimal(int value, uint8_t NDig) {
  int n = NDig == 0 ? 1 : NDig;
  long long a = std::llabs(static_cast<long long>(value));
  std::string digits = std::to_string(a);
  if (static_cast<int>(digits.size()) > n)
    digits = digits.substr(digits.size() - static_cast<size_t>(n));
  else
    digits = std::string(static_cast<size_t>(n) - digits.size(), '0') + digits;
  return value < 0 ? "-" + digits : digits;
}

std::string Hex(int value, uint8_t NDig) {
  return DigitsOf(static_cast<uint32_t>(value), std::clamp<int>(NDig, 1, 8), 4);
}

std::string Octal(int value, uint8_t NDig) {
  return DigitsOf(static_cast<uint32_t>(value), std::clamp<int>(NDig, 1, 11), 3);
}

std::string Bin(int value, uint8_t NDig) {
  return DigitsOf(static_cast<uint32_t>(value), std::clamp<int>(NDig, 1, 32), 1);
}

std::string Roman(int value) {
  static const int kVal[13] = {1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1};
  static const char* const kTxt[13] = {"M", "CM", "D", "CD", "C", "XC", "L", "XL", "X", "IX", "V", "IV", "I"};
  if (value <= 0 || value >= 30000) return "";
  std::string s;
  for (int i = 0; i < 13; ++i)
    while (value >= kVal[i]) {
      s += kTxt[i];
      value -= kVal[i];
    }
  return s;
}

std::string FPNumToHex(float x) {
  uint32_t u;
  std::memcpy(&u, &x, 4);
  unsigned char b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(u >> (8 * (3 - i)));
  return ToHexBytes(b, 4);
}

std::string FPNumToHex(double x) {
  uint64_t u;
  std::memcpy(&u, &x, 8);
  unsigned char b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(u >> (8 * (7 - i)));
  return ToHexBytes(b, 8);
}

std::string FPNumToHex(long double x) {
  // 80-bit extended layout built explicitly: sign, 15-bit biased exponent,
  // 64-bit mantissa with explicit integer bit.
  unsigned sign = std::signbit(x) ? 1u : 0u;
  unsigned exp = 0;
  uint64_t mant = 0;
  if (std::isnan(x)) {
    exp = 0x7FFF;
    mant = 0xC000000000000000ull;
  } else if (std::isinf(x)) {
    exp = 0x7FFF;
    mant = 0x8000000000000000ull;
  } else if (x != 0) {
    int e;
    long double f = std::frexp(std::fabs(x), &e);  // |x| = f * 2^e, f in [0.5, 1)
    int biased = e - 1 + 16383;
    if (biased >= 1) {
      exp = static_cast<unsigned>(biased);
      mant = static_cast<uint64_t>(std::ldexp(f, 64));
    } else {
      mant = static_cast<uint64_t>(std::ldexp(std::fabs(x), 16445));
    }
  }
  unsigned char b[10];
  unsigned se = (sign << 15) | exp;
  b[0] = static_cast<unsigned char>(se >> 8);
  b[1] = static_cast<unsigned char>(se);
  for (int i = 0; i < 8; ++i) b[2 + i] = static_cast<unsigned char>(mant >> (8 * (7 - i)));
  return ToHexBytes(b, 10);
}

float HexToSingle(const std::string& s) {
  unsigned char b[4];
  if (!FromHexBytes(s, b, 4)) InvalidHex("HexToSingle", s);
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u = (u << 8) | b[i];
  float x;
  std::memcpy(&x, &u, 4);
  return x;
}

double HexToDouble(const std::string& s) {
  unsigned char b[8];
  if (!FromHexBytes(s, b, 8)) InvalidHex("HexToDouble", s);
  uint64_t u = 0;
  for (int i = 0; i < 8; ++i) u = (u << 8) | b[i];
  double x;
  std::memcpy(&x, &u, 8);
  return x;
}

long double HexToExtended(const std::string& s) {
  unsigned char b[10];
  if (!FromHexBytes(s, b, 10)) InvalidHex("HexToExtended", s);
  unsigned se = (static_cast<unsigned>(b[0]) << 8) | b[1];
  bool neg = (se & 0x8000) != 0;
  int exp = static_cast<int>(se & 0x7FFF);
  uint64_t mant = 0;
  for (int i = 0; i < 8; ++i) mant = (mant << 8) | b[2 + i];
  long double v;
  if (exp == 0x7FFF) {
    if ((mant << 1) == 0)
      v = std::numeric_limits<long double>::infinity();
    else
      v = std::numeric_limits<long double>::quiet_NaN();
  } else if (exp == 0) {
    v = std::ldexp(static_cast<long double>(mant), -16445);
  } else {
    v = std::ldexp(static_cast<long double>(mant), exp - 16383 - 63);
  }
  return neg ? -v : v;
}

int StrToIntDefault(const std::string& s, int Default) {
  if (s.empty()) return Default;
  int v;
  return TryStrToInt(s, v) ? v : Default;
}

// ====================================================================== scanning and validation

int ScanHex(const std::string& Text, int& Pos) { return ScanBased(Text, Pos, 16, "$"); }
int ScanOctal(const std::string& Text, int& Pos) { return ScanBased(Text, Pos, 8, "&"); }
int ScanBin(const std::string& Text, int& Pos) { return ScanBased(Text, Pos, 2, "%"); }

int ScanDecimal(const std::string& Text, int& Pos) {
  size_t i = Pos < 1 ? 0 : static_cast<size_t>(Pos - 1);
  while (i < Text.size() && IsBlank(Text[i])) ++i;
  bool neg = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
    neg = Text[i] == '-';
    ++i;
  }
  long long v = 0;
  size_t start = i;
  while (i < Text.size() && Text[i] >= '0' && Text[i] <= '9') {
    if (v <= 2147483648LL) v = v * 10 + (Text[i] - '0');
    ++i;
  }
  if (i == start) return 0;
  Pos = static_cast<int>(i) + 1;
  if (neg) v = -v;
  return static_cast<int>(std::clamp(v, -2147483648LL, 2147483647LL));
}

double ScanFPNum(const std::string& Text, bool AllowExp, int DecPSep, int& Pos) {
  if (Pos < 1) Pos = 1;
  size_t i = static_cast<size_t>(Pos - 1);
  auto isSep = [DecPSep](char c) {
    return (c == '.' && (DecPSep == 1 || DecPSep == 3)) || (c == ',' && (DecPSep == 2 || DecPSep == 3));
  };
  std::string num;
  int state = 1;
  int expVal = 0;
  bool expCut = false;
  bool ok = false;
  for (;;) {
    char c = i < Text.size() ? Text[i] : 'Z';  // the end counts as the letter Z
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    const bool digit = c >= '0' && c <= '9';
    const bool sep = isSep(c);
    const bool sign = c == '+' || c == '-';
    const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
    int next = 0;  // 0 = error, -1 = end
    switch (state) {
      case 1: next = sep ? 4 : digit ? 3 : sign ? 2 : blank ? 1 : 0; break;
      case 2: next = sep ? 4 : digit ? 3 : 0; break;
      case 3: next = sep ? 4 : digit ? 3 : (c == 'E' && AllowExp) ? 6 : -1; break;
      case 4: next = sep ? 0 : digit ? 5 : (c == 'E' && AllowExp) ? 6 : -1; break;
      case 5: next = sep ? 0 : digit ? 5 : (c == 'E' && AllowExp) ? 6 : -1; break;
      case 6: next = digit ? 8 : sign ? 7 : 0; break;
      case 7: next = digit ? 8 : 0; break;
      case 8: next = digit ? 8 : -1; break;
    }
    if (next == 0) break;
    if (next == -1) {
      ok = true;
      break;
    }
    if (!(state == 1 && blank)) {
      if (next == 8) {
        if (!expCut && expVal * 10 + (c - '0') <= 4200)
          expVal = expVal * 10 + (c - '0'), num += c;
        else
          expCut = true;
      } else {
        num += sep ? '.' : c;
      }
    }
    state = next;
    ++i;  // i never passes the end: the end character ends or fails every state
  }
  Pos = static_cast<int>(i) + 1;
  if (!ok) return 0;
  if (!num.empty() && num.back() == '.') num += '0';
  if (state == 8 && num.back() == 'E') return 0;  // all exponent digits were dropped
  if (state == 8 && (num.back() == '+' || num.back() == '-')) return 0;
  return ConvertNumberText(num);
}

double ScanDegrees(const std::string& Text, int& Pos, bool AllowCompass, int& ErrCode) {
  ErrCode = 1;
  size_t i = Pos < 1 ? 0 : static_cast<size_t>(Pos - 1);
  auto skipBlanks = [&](size_t& k) {
    while (k < Text.size() && IsBlank(Text[k])) ++k;
  };
  auto startsWith = [&](size_t k, const char* lit) {
    size_t n = std::strlen(lit);
    return k + n <= Text.size() && Text.compare(k, n, lit) == 0;
  };
  skipBlanks(i);
  double sign = 1;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
    if (Text[i] == '-') sign = -1;
    ++i;
  }
  double deg = 0, mins = 0, secs = 0;
  if (!ReadPlainNumber(Text, i, deg)) return 0;
  if (startsWith(i, kDegSign)) i += 2;
  // Minutes: a number followed by ' or the prime sign.
  size_t k = i;
  skipBlanks(k);
  double v;
  size_t k2 = k;
  if (ReadPlainNumber(Text, k2, v)) {
    size_t mark = 0;
    if (startsWith(k2, "\xE2\x80\xB2")) mark = 3;
    else if (k2 < Text.size() && Text[k2] == '\'' && !startsWith(k2, "''")) mark = 1;
    if (mark) {
      mins = v;
      i = k2 + mark;
      // Seconds: a number followed by " or the double prime sign ('' too).
      size_t k3 = i;
      skipBlanks(k3);
      size_t k4 = k3;
      if (ReadPlainNumber(Text, k4, v)) {
        size_t m2 = 0;
        if (startsWith(k4, "\xE2\x80\xB3")) m2 = 3;
        else if (startsWith(k4, "''")) m2 = 2;
        else if (k4 < Text.size() && Text[k4] == '"') m2 = 1;
        if (m2) {
          secs = v;
          i = k4 + m2;
        }
      }
    }
  }
  if (!(mins >= 0 && mins < 60)) {
    ErrCode = 2;
    return 0;
  }
  if (!(secs >= 0 && secs < 60)) {
    ErrCode = 3;
    return 0;
  }
  if (AllowCompass) {
    size_t k5 = i;
    skipBlanks(k5);
    if (k5 < Text.size()) {
      char c = Text[k5];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c == 'N' || c == 'S' || c == 'E' || c == 'W') {
        if (c == 'S' || c == 'W') sign = -sign;
        i = k5 + 1;
      }
    }
  }
  ErrCode = 0;
  Pos = static_cast<int>(i) + 1;
  return sign * (deg + mins / 60.0 + secs / 3600.0);
}

TDateTime ScanDateTime(const std::string& Text, const std::string& Format, TLanguage Language,
                       int& Pos) {
  int startPos = Pos < 1 ? 1 : Pos;
  size_t i = static_cast<size_t>(startPos - 1);
  int year = -1, month = -1, day = -1, hour = 0, minute = 0, sec = 0, msec = 0;
  bool anyDate = false;
  // Reads between minD and maxD digits.
  auto readDigits = [&](int minD, int maxD, int& out) {
    int n = 0, v = 0;
    while (n < maxD && i < Text.size() && Text[i] >= '0' && Text[i] <= '9') {
      v = v * 10 + (Text[i] - '0');
      ++i;
      ++n;
    }
    if (n < minD) return false;
    out = v;
    return true;
  };
  size_t f = 0;
  while (f < Format.size()) {
    const char fc = Format[f];
    size_t run = 1;
    while (f + run < Format.size() && Format[f + run] == fc) ++run;
    const char lc = (fc >= 'A' && fc <= 'Z') ? static_cast<char>(fc + 32) : fc;
    const int rl = static_cast<int>(std::min<size_t>(run, 9));
    bool good = true;
    if (lc == 'y') {
      int v;
      if (rl == 2) {
        good = readDigits(2, 2, v);
        if (good) v += v < 50 ? 2000 : 1900;
      } else {
        good = rl == 1 || rl == 3 ? readDigits(1, 4, v) : readDigits(rl, rl, v);
      }
      year = v;
      anyDate = true;
    } else if (fc == 'm' && run >= 3) {
      // Month name; the longest name that matches wins.
      int best = -1;
      size_t bestLen = 0;
      for (int lg = 1; lg < NumLanguages; ++lg) {
        if (Language != lgUnknown && lg != Language) continue;
        for (int mo = 1; mo <= 12; ++mo) {
          for (const char* name : {MonthLong[lg][mo], MonthShort[lg][mo]}) {
            size_t n = std::strlen(name);
            if (n == 0 || n <= bestLen || i + n > Text.size()) continue;
            if (SameText(Text.substr(i, n), name)) {
              best = mo;
              bestLen = n;
            }
          }
        }
      }
      good = best > 0;
      if (good) {
        month = best;
        i += bestLen;
      }
      anyDate = true;
    } else if (fc == 'm' || lc == 'd') {
      int v;
      good = rl == 1 ? readDigits(1, 2, v) : readDigits(rl, rl, v);
      (fc == 'm' ? month : day) = v;
      anyDate = true;
    } else if (lc == 'h' || fc == 'M' || lc == 'n' || lc == 's') {
      int v;
      good = rl == 1 ? readDigits(1, 2, v) : readDigits(rl, rl, v);
      (lc == 'h' ? hour : lc == 's' ? sec : minute) = v;
    } else if (lc == 'z') {
      int v;
      good = rl == 1 ? readDigits(1, 3, v) : readDigits(rl, rl, v);
      msec = v;
    } else if (fc == ' ') {
      while (i < Text.size() && IsBlank(Text[i])) ++i;
    } else {
      for (size_t r = 0; r < run && good; ++r) {
        good = i < Text.size() && Text[i] == fc;
        ++i;
      }
    }
    if (!good) return 0;
    f += run;
  }
  TDateTime d = 0, t = 0;
  if (anyDate) {
    if (year < 0) year = 1900;
    if (month < 0) month = 1;
    if (day < 0) day = 1;
    if (!TryEncodeDate(year, month, day, d)) return 0;
  }
  if (!TryEncodeTime(hour, minute, sec, msec, t)) return 0;
  Pos = static_cast<int>(i) + 1;
  return d >= 0 ? d + t : d - t;
}

bool IsValidDouble(const std::string& Text, bool AllowExp, TDecPSep DecPSep) {
  std::string t = TrimBlanks(Text);
  char sysSep = SystemDecimalPoint();
  auto isSep = [&](char c) {
    switch (DecPSep) {
      case dsDot: return c == '.';
      case dsComma: return c == ',';
      case dsBoth: return c == '.' || c == ',';
      case dsSystem: return c == sysSep;
    }
    return false;
  };
  size_t i = 0;
  std::string num;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) num += t[i++];
  bool digits = false;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') { num += t[i++]; digits = true; }
  if (i < t.size() && isSep(t[i])) {
    ++i;
    num += '.';
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') { num += t[i++]; digits = true; }
  }
  if (!digits) return false;
  if (num.back() == '.') num += '0';
  if (i < t.size() && AllowExp && (t[i] == 'e' || t[i] == 'E')) {
    num += 'E';
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) num += t[i++];
    bool ed = false;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') { num += t[i++]; ed = true; }
    if (!ed) return false;
  }
  if (i != t.size()) return false;
  // The value must be representable as a double.
  size_t b = (num[0] == '+' || num[0] == '-') ? 1 : 0;
  long double v = 0;
  auto r = std::from_chars(num.data() + b, num.data() + num.size(), v);
  if (r.ec == std::errc::result_out_of_range) return ConvertNumberText(num) == 0;  // underflow is fine
  return r.ec == std::errc() && v <= DBL_MAX;
}

bool IsValidFPNum(const std::string& Text, TDecPSep DecPSep) { return IsValidDouble(Text, true, DecPSep); }
bool IsValidHex(const std::string& Text) { return ValidBased(Text, 16, 32); }
bool IsValidOct(const std::string& Text) { return ValidBased(Text, 8, 32); }
bool IsValidBin(const std::string& Text) { return ValidBased(Text, 2, 32); }

bool IsValidDecInt(const std::string& Text) {
  std::string t = TrimBlanks(Text);
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  if (i == t.size()) return false;
  long long v = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    v = v * 10 + (t[i] - '0');
    if (v > 2147483648LL) return false;
  }
  return neg || v <= 2147483647LL;
}

// ====================================================================== angles and geometry

double AngleToXAxis(double dx, double dy) {
  if (dx == 0) return dy > 0 ? kPi / 2 : 3 * kPi / 2;
  double a = std::atan(dy / dx);
  if (dx < 0) a += kPi;
  if (a < 0) a += 2 * kPi;
  return a;
}

double CanonicalAngleRadians(double x) {
  const double tp = 2 * kPi;
  if (std::fabs(x) > tp) {
    double q = x / tp;
    x = (q - std::trunc(q)) * tp;
  }
  if (x > kPi) x -= tp;
  if (x < -kPi) x += tp;
  return x;
}

double CanonicalAngleDegrees(double x) {
  if (std::fabs(x) > 360) {
    double q = x / 360;
    x = (q - std::trunc(q)) * 360;
  }
  if (x > 180) x -= 360;
  if (x < -180) x += 360;
  return x;
}

void ConvertDegrees(double& Deg, double& Min, double& Sec, TDegreeFormat SourceFormat,
                    TDegreeFormat TargetFormat) {
  if (!(Min >= 0 && Min <= 60)) throw EZOLMath1Error("ConvertDegrees: invalid range of minutes");
  if (!(Sec >= 0 && Sec <= 60)) throw EZOLMath1Error("ConvertDegrees: invalid range of seconds");
  auto decimalOf = [](TDegreeFormat f) { return f == dfDeg || f == dfNumeric; };
  if (SourceFormat == TargetFormat || (decimalOf(SourceFormat) && decimalOf(TargetFormat))) {
    if (TargetFormat != dfDegMinSec) Sec = 0;
    if (decimalOf(TargetFormat)) Min = 0;
    return;
  }
  // The sign belongs to the whole angle; it is carried by Deg (also as -0 for
  // angles between -1 and 0 degrees).
  const bool neg = std::signbit(Deg);
  const double ad = std::fabs(Deg);
  if (decimalOf(TargetFormat)) {
    double v = std::trunc(ad) + Min / 60.0;
    if (SourceFormat == dfDegMinSec) v = std::trunc(ad) + std::trunc(Min) / 60.0 + Sec / 3600.0;
    if (decimalOf(SourceFormat)) v = ad;
    Deg = neg ? -v : v;
    Min = Sec = 0;
    return;
  }
  double d, m;
  if (decimalOf(SourceFormat)) {
    d = std::trunc(ad);
    m = (ad - d) * 60.0;
  } else if (SourceFormat == dfDegMinSec) {
    d = std::trunc(ad);
    m = Min + Sec / 60.0;
  } else {
    d = std::trunc(ad);
    m = Min;
  }
  if (TargetFormat == dfDegMin) {
    if (m > 60 - 1e-10) {  // a rounding remainder of a whole degree
      m = 0;
      d += 1;
    }
    Deg = neg ? -d : d;
    Min = m;
    Sec = 0;
    return;
  }
  // dfDegMinSec
  double wm = std::trunc(m);
  double s = (m - wm) * 60.0;
  if (s > 60 - 1e-8) {
    s = 0;
    wm += 1;
  }
  if (wm >= 60) {
    wm -= 60;
    d += 1;
  }
  Deg = neg ? -d : d;
  Min = wm;
  Sec = s;
}

double EuclideanDistance(double x1, double y1, double x2, double y2) {
  return std::hypot(x2 - x1, y2 - y1);
}

int DistFromRect(TPoint Point, TRect Rect) {
  const long long x = Point.X, y = Point.Y;
  if (x > Rect.Left && x < Rect.Right) {
    if (y < Rect.Top) return static_cast<int>(std::min<long long>(Rect.Top - y, INT32_MAX));
    if (y > Rect.Bottom) return static_cast<int>(std::min<long long>(y - Rect.Bottom, INT32_MAX));
    return 0;
  }
  if (y > Rect.Top && y < Rect.Bottom) {
    if (x <= Rect.Left) return static_cast<int>(std::min<long long>(Rect.Left - x, INT32_MAX));
    return static_cast<int>(std::min<long long>(x - Rect.Right, INT32_MAX));
  }
  auto cd = [&](long long cx, long long cy) {
    return std::hypot(static_cast<double>(x - cx), static_cast<double>(y - cy));
  };
  double d = std::min({cd(Rect.Left, Rect.Top), cd(Rect.Right, Rect.Top), cd(Rect.Left, Rect.Bottom),
                       cd(Rect.Right, Rect.Bottom)});
  return static_cast<int>(std::min(std::round(d), 2147483647.0));
}

double InterpolZofXYRect(double z1, double z2, double z3, double z4, double rx, double ry) {
  double g = z1 + (z3 - z1) * rx;
  double h = z2 + (z4 - z2) * rx;
  return g + (h - g) * ry;
}

// ====================================================================== elementary functions

double lg(double x) {
  if (x <= 0) throw EMathError("logarithm: invalid argument");
  return std::log10(x);
}

double ld(double x) {
  if (x <= 0) throw EMathError("logarithm: invalid argument");
  return std::log2(x);
}

double sinh(double x) {
  double e = std::exp(x);
  return (e - 1.0 / e) / 2;
}

double cosh(double x) {
  double e = std::exp(x);
  return (e + 1.0 / e) / 2;
}

double tgh(double x) { return 1 - 2 / (std::exp(2 * x) + 1); }

double tg(double x) {
  double c = std::cos(x);
  if (c == 0) throw EMathError("tangens overflow");
  return std::sin(x) / c;
}

double cot(double x) {
  double s = std::sin(x);
  if (s == 0) throw EMathError("cotangens overflow");
  return std::cos(x) / s;
}

double Polynomial(double x, std::span<const double> Coeff, int Order) {
  if (Order < 0 || static_cast<size_t>(Order) >= Coeff.size())
    throw EZOLMath1Error("Polynomial: invalid order of polynomial");
  double sum = 0, p = 1;
  for (int i = 0; i <= Order; ++i) {
    sum += Coeff[static_cast<size_t>(i)] * p;
    p *= x;
  }
  return sum;
}

long double Factorial(int n) {
  if (n < 0) throw EZOLMath1Error("Factorial: negative argument");
  if (n > 1000) throw EZOLMath1Error("Factorial: argument too big");
  long double f = 1;
  for (int i = 2; i <= n; ++i) f *= i;
  return f;
}

double Min(double a, double b) { return a < b ? a : b; }
double Max(double a, double b) { return a > b ? a : b; }
double Signum(double x) { return x >= 0 ? 1.0 : -1.0; }

bool WithinBounds(double x, double b1, double b2) {
  return b1 <= b2 ? (x >= b1 && x <= b2) : (x >= b2 && x <= b1);
}

// ====================================================================== integers and bits

bool IsPrime(int n) {
  long long a = std::llabs(static_cast<long long>(n));
  for (long long d = 2; d * d <= a; ++d)
    if (a % d == 0) return false;
  return true;
}

void CancelFraction(int& Num, int& Den) {
  long long a = std::llabs(static_cast<long long>(Num)), b = std::llabs(static_cast<long long>(Den));
  if (a < 2 || b < 2) return;  // no common factor of 2 or more is possible
  while (b != 0) {
    long long t = a % b;
    a = b;
    b = t;
  }
  if (a > 1) {
    Num = static_cast<int>(Num / a);
    Den = static_cast<int>(Den / a);
  }
}

bool CheckPowerOfTwo(uint32_t n) { return (n & (n - 1)) == 0; }

uint8_t BitReversal(uint8_t b) {
  static const auto table = [] {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
      int r = 0;
      for (int k = 0; k < 8; ++k)
        if (i & (1 << k)) r |= 1 << (7 - k);
      t[static_cast<size_t>(i)] = static_cast<uint8_t>(r);
    }
    return t;
  }();
  return table[b];
}

int CountBits(uint8_t b) {
  int n = 0;
  for (; b; b = static_cast<uint8_t>(b >> 1)) n += b & 1;
  return n;
}

uint8_t DecodeBit(int n) { return (n >= 0 && n <= 7) ? static_cast<uint8_t>(1u << n) : 0; }

int DecodeLong(int n) { return (n >= 0 && n <= 31) ? static_cast<int32_t>(1u << n) : 0; }

int EncodeLong(int value) {
  uint32_t v = static_cast<uint32_t>(value);
  int i = 0;
  while (i < 31 && (v & 1) == 0) {
    v >>= 1;
    ++i;
  }
  return i;
}

uint16_t GrayCode(uint16_t n) { return static_cast<uint16_t>(n ^ (n >> 1)); }

double ConvertEndian(double x) { return ReverseBytes(x); }
float ConvertEndian(float x) { return ReverseBytes(x); }
uint16_t ConvertEndian(uint16_t x) { return ReverseBytes(x); }
int32_t ConvertEndian(int32_t x) { return ReverseBytes(x); }

void ExChange(int32_t& a, int32_t& b) { std::swap(a, b); }
void ExChange(uint8_t& a, uint8_t& b) { std::swap(a, b); }
void ExChange(float& a, float& b) { std::swap(a, b); }
void ExChange(double& a, double& b) { std::swap(a, b); }
void ExChange(long double& a, long double& b) { std::swap(a, b); }
void ExChange(std::string& a, std::string& b) { std::swap(a, b); }
void ExChange(bool& a, bool& b) { std::swap(a, b); }
void ExChange(char16_t& a, char16_t& b) { std::swap(a, b); }
void ExChange(uint16_t& a, uint16_t& b) { std::swap(a, b); }
void ExChange(int8_t& a, int8_t& b) { std::swap(a, b); }
void ExChange(uint32_t& a, uint32_t& b) { std::swap(a, b); }
void ExChange(int64_t& a, int64_t& b) { std::swap(a, b); }

void ExChange(void* a, void* b, int NumBytes) {
  auto* pa = static_cast<unsigned char*>(a);
  auto* pb = static_cast<unsigned char*>(b);
  for (int i = 0; i < NumBytes; ++i) std::swap(pa[i], pb[i]);
}

// ====================================================================== random numbers

bool BRandom(double p) {
  if (p >= 1) return true;
  return Random() < p;
}

double CRandom(double Location, double Scale) {
  double u = Random();
  return Location + Scale * std::tan((u - 0.5) * kPi);
}

double GRandom() {
  if (gGaussCached) {
    gGaussCached = false;
    return gGaussValue;
  }
  double u, v, s;
  do {  // s = 0 would give ln 0 / 0: drawn again
    u = 2 * Random() - 1;
    v = 2 * Random() - 1;
    s = u * u + v * v;
  } while (s >= 1 || s == 0);
  double f = std::sqrt(-2 * std::log(s) / s);
  gGaussValue = u * f;
  gGaussCached = true;
  return v * f;
}

double LongRand(int Seed) {
  if (Seed != 0) {
    int32_t s = Seed % 990923;
    if (s == 0) s = (Seed / 990923) % 990923;  // multiples of the modulus: never 0 here
    auto wrap = [](uint32_t u) { return static_cast<int64_t>(static_cast<int32_t>(u)); };
    const uint32_t us = static_cast<uint32_t>(s);
    gLR1 = static_cast<int32_t>(std::llabs(static_cast<long long>(s)));
    gLR2 = static_cast<int32_t>(std::llabs(wrap(us ^ (us << 8))) % 990923);
    gLR3 = static_cast<int32_t>(std::llabs(wrap(us ^ (us << 16))) % 990923);
    // A zero state would stay zero for ever.
    if (gLR1 == 0) gLR1 = 1;
    if (gLR2 == 0) gLR2 = 1;
    if (gLR3 == 0) gLR3 = 1;
  }
  if (gLR1 == 0 && gLR2 == 0 && gLR3 == 0) return 0;
  gLR1 = static_cast<int32_t>((static_cast<int64_t>(gLR1) * 1187) % 1001003);
  gLR2 = static_cast<int32_t>((static_cast<int64_t>(gLR2) * 983) % 990923);
  gLR3 = static_cast<int32_t>((static_cast<int64_t>(gLR3) * 1283) % 1400423);
  double r = gLR1 / 1001003.0 + gLR2 / 990923.0 + gLR3 / 1400423.0;
  return r - std::floor(r);
}

// ====================================================================== sorting and insertion

void SortArray(std::span<double> Data, bool Ascending) { CombSort(Data, Ascending); }
void SortArray(std::span<float> Data, bool Ascending) { CombSort(Data, Ascending); }
void SortArray(std::span<int32_t> Data, bool Ascending) { CombSort(Data, Ascending); }

void SortArray(void* Data, int NumElem, TVarKind Kind, bool Ascending) {
  if (!Data || NumElem < 2) return;
  const size_t n = static_cast<size_t>(NumElem);
  switch (Kind) {
    case rnum:
    case dnum: CombSort(std::span<double>(static_cast<double*>(Data), n), Ascending); break;
    case snum: CombSort(std::span<float>(static_cast<float*>(Data), n), Ascending); break;
    case inum:
    case lnum: CombSort(std::span<int32_t>(static_cast<int32_t*>(Data), n), Ascending); break;
    default: break;
  }
}

int SortIntoArray(std::span<double> Data, double Value, bool Ascending, bool AllowDuplicates) {
  return SortInto(Data, Value, Ascending, AllowDuplicates);
}
int SortIntoArray(std::span<float> Data, float Value, bool Ascending, bool AllowDuplicates) {
  return SortInto(Data, Value, Ascending, AllowDuplicates);
}
int SortIntoArray(std::span<int32_t> Data, int32_t Value, bool Ascending, bool AllowDuplicates) {
  return SortInto(Data, Value, Ascending, AllowDuplicates);
}

int SortIntoArray(void* Data, int NumElem, TVarKind Kind, const void* Value, bool Ascending,
                  bool AllowDuplicates) {
  if (!Data || !Value || NumElem < 1) return 0;
  const size_t n = static_cast<size_t>(NumElem);
  int r = -1;
  switch (Kind) {
    case rnum:
    case dnum:
      r = SortInto(std::span<double>(static_cast<double*>(Data), n), LoadValue<double>(Value), Ascending,
                   AllowDuplicates);
      break;
    case snum:
      r = SortInto(std::span<float>(static_cast<float*>(Data), n), LoadValue<float>(Value), Ascending,
                   AllowDuplicates);
      break;
    case inum:
    case lnum:
      r = SortInto(std::span<int32_t>(static_cast<int32_t*>(Data), n), LoadValue<int32_t>(Value),
                   Ascending, AllowDuplicates);
      break;
    default: break;
  }
  return r + 1;
}

void InsertIntoArray(std::span<double> Data, double Value, int Position) { InsertInto(Data, Value, Position); }
void InsertIntoArray(std::span<float> Data, float Value, int Position) { InsertInto(Data, Value, Position); }
void InsertIntoArray(std::span<int32_t> Data, int32_t Value, int Position) {
  InsertInto(Data, Value, Position);
}

void InsertIntoArray(void* Data, int NumElem, TVarKind Kind, const void* Value, int Position) {
  if (!Data || !Value || NumElem < 1 || Position < 1 || Position > NumElem) return;
  const size_t n = static_cast<size_t>(NumElem);
  switch (Kind) {
    case rnum:
    case dnum:
      InsertInto(std::span<double>(static_cast<double*>(Data), n), LoadValue<double>(Value), Position - 1);
      break;
    case snum:
      InsertInto(std::span<float>(static_cast<float*>(Data), n), LoadValue<float>(Value), Position - 1);
      break;
    case inum:
    case lnum:
      InsertInto(std::span<int32_t>(static_cast<int32_t*>(Data), n), LoadValue<int32_t>(Value),
                 Position - 1);
      break;
    default: break;
  }
}

}  // namespace zol
