// String utilities and pattern search.
#include "base/Zol_stringl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "base/Zol_streams.h"

namespace zol {

namespace {

// ---------------------------------------------------------------- UTF-8 helpers
// Decodes the character at byte offset i and advances i; a byte that does not
// start a valid sequence stands for the Latin-1 character with its code.
char32_t NextChar(const std::string& s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  }
  if (len == 0 || i + len > s.size()) {
    ++i;
    return b0;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return b0;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values beyond the range are not valid.
  static const char32_t minOf[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < minOf[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return b0;
  }
  i += len;
  return cp;
}

void AppendChar(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::vector<char32_t> Decode(const std::string& s) {
  std::vector<char32_t> v;
  v.reserve(s.size());
  for (size_t i = 0; i < s.size();) v.push_back(NextChar(s, i));
  return v;
}

std::string Encode(const std::vector<char32_t>& v, size_t from = 0, size_t count = std::string::npos) {
  std::string out;
  const size_t end = count == std::string::npos ? v.size() : std::min(v.size(), from + count);
  for (size_t i = from; i < end; ++i) AppendChar(out, v[i]);
  return out;
}

// Byte offset behind the first n characters of s.
size_t OffsetOfChars(const std::string& s, size_t n) {
  size_t i = 0;
  while (n > 0 && i < s.size()) {
    NextChar(s, i);
    --n;
  }
  return i;
}

size_t CharCount(const std::string& s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); ++n) NextChar(s, i);
  return n;
}

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool IsUpperLetter(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || c == 0x178;
}
bool IsLowerLetter(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7);
}
char32_t ToUpperL1(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  return c;
}
char32_t ToLowerL1(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c == 0x178) return 0xFF;
  return c;
}

bool MatchAt(const std::string& s, size_t i, const std::string& sub, bool ignoreCase) {
  if (i + sub.size() > s.size()) return false;
  if (!ignoreCase) return std::memcmp(s.data() + i, sub.data(), sub.size()) == 0;
  for (size_t k = 0; k < sub.size(); ++k)
    if (LowerAscii(s[i + k]) != LowerAscii(sub[k])) return false;
  return true;
}

std::string PadLeft(const std::string& s, int width) {
  const int n = static_cast<int>(s.size());
  return n >= width ? s : std::string(static_cast<size_t>(width - n), ' ') + s;
}

int HexVal(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// ---------------------------------------------------------------- number texts
// Mantissa digits and decimal exponent of |x| rounded to `dec` decimals.
void SciParts(long double x, int dec, std::string& mant, int& exp10) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.*Le", dec, std::fabs(x));
  const char* e = std::strchr(buf, 'e');
  mant.assign(buf, e ? static_cast<size_t>(e - buf) : std::strlen(buf));
  exp10 = e ? std::atoi(e + 1) : 0;
}

std::string ExpText(int exp10, int digits) {
  std::string d = std::to_string(std::abs(exp10));
  if (static_cast<int>(d.size()) < digits) d.insert(0, static_cast<size_t>(digits) - d.size(), '0');
  return std::string(exp10 < 0 ? "E-" : "E+") + d;
}

}  // namespace

// ---------------------------------------------------------------- number and time formatting
std::string strff(long double x, int Width, int Decimals) {
  const int w = std::abs(Width);
  std::string s;
  if (std::isnan(x)) return PadLeft("NAN", w);
  if (std::isinf(x)) return PadLeft(x < 0 ? "-INF" : "INF", w);
  const char sign = std::signbit(x) && x != 0 ? '-' : ' ';
  if (Decimals == -2) {
    // The host's layout: sign, d.ddd, 'E', sign, four exponent digits, in a
    // field of w + 2; two leading zeros of the exponent are then removed.
    const int dec = std::clamp(w - 7, 1, 40);
    std::string mant;
    int e10;
    SciParts(x, dec, mant, e10);
    s = PadLeft(std::string(1, sign) + mant + ExpText(e10, 4), w + 2);
    const size_t ep = s.find('E');
    const bool fits = s.compare(ep + 2, 2, "00") == 0;
    s.erase(ep + 2, 2);
    if (!fits) s.assign(s.size(), '*');
  } else if (Decimals < 0) {
    std::string mant;
    int e10;
    SciParts(x, 16, mant, e10);
    s = PadLeft((sign == '-' ? "-" : "") + mant + ExpText(e10, 4), w);
  } else {
    // Values up to the extended range have thousands of integer digits.
    const int dec = std::min(Decimals, 100);
    const long double v = x == 0 ? 0.0L : x;
    const int n = std::snprintf(nullptr, 0, "%.*Lf", dec, v);
    std::string buf(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
    std::snprintf(buf.data(), buf.size(), "%.*Lf", dec, v);
    buf.resize(static_cast<size_t>(std::max(n, 0)));
    s = PadLeft(buf, w);
  }
  if (Width < 0) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') s[i++] = '0';
    if (i < s.size() && s[i] == '-' && i > 0) {
      s[i] = '0';
      s[0] = '-';
    }
  }
  return s;
}

std::string strffForcePlus(long double x, int Width, int Decimals) {
  std::string s = strff(x, Width, Decimals);
  if (std::isnan(x) || x < 0 || s.empty() || s[0] == '*') return s;
  if (s[0] == ' ') {
    size_t i = 0;
    while (i + 1 < s.size() && s[i + 1] == ' ') ++i;
    s[i] = '+';
  } else if (s[0] == '0' && !(s.size() > 1 && s[1] == '.')) {
    s[0] = '+';
  } else {
    s.insert(0, 1, '+');
  }
  return s;
}

std::string FormatData(double x, int Width, int Decimals) {
  static const double upper[9] = {999999999.0, 9999999.9, 999999.99, 99999.999, 9999.9999,
                                  999.99999,   99.999999, 9.9999999, 0.99999999};
  if (Decimals >= 0 && Decimals <= 8) {
    const double a = std::fabs(x);
    if (x == 0 || (a <= upper[Decimals] && a >= std::pow(10.0, -Decimals))) return strff(x, Width, Decimals);
  }
  return strff(x, Width + 6, -2);
}

std::string SigDigStr(double x, int Width, int Digits) {
  if (Digits < 1) Digits = 1;
  if (x == 0 || !std::isfinite(x)) return strff(x, Width, Digits - 1);
  const int e = static_cast<int>(std::floor(std::log10(std::fabs(x)) + 1));
  const int sciWidth = std::max(Width, Digits + 6);
  if (Digits < e) {
    if (e > Width - 1) return strff(x, sciWidth, -2);
    return strff(x, Width, 0);
  }
  if (e < Digits - Width + 3) return strff(x, sciWidth, -2);
  return strff(x, Width, Digits - e);
}

std::string SigDigStr(double x, int Width, int Digits, bool Trim) {
  std::string s = SigDigStr(x, Width, Digits);
  return Trim ? StripLTBlanks(s) : s;
}

std::string TimeString(double Seconds, int Format) {
  if (!(Seconds > 0)) Seconds = 0;
  // Hundredths by truncation; the small allowance keeps 1.29 s from becoming 1.28 s.
  const double total = std::floor(Seconds * 100.0 + 1e-6);
  const long long cs = total > 9.0e17 ? 900000000000000000LL : static_cast<long long>(total);
  const long long h = cs / 360000;
  const int m = static_cast<int>((cs / 6000) % 60);
  const int sec = static_cast<int>((cs / 100) % 60);
  const int hund = static_cast<int>(cs % 100);
  auto two = [](long long v) {
    std::string t = std::to_string(v);
    return t.size() < 2 ? "0" + t : t;
  };
  auto blank2 = [](long long v) { return PadLeft(std::to_string(v), 2); };
  switch (Format) {
    case 1: return two(h) + ":" + two(m) + ":" + two(sec);
    case 2: return blank2(h) + "h" + two(m);
    case 3: return blank2(h) + "h" + two(m) + "'" + two(sec) + "\"";
    case 4: return two(h) + ":" + two(m);
    case 5: {
      const long long h24 = h % 24;
      long long h12 = h24 % 12;
      if (h12 == 0) h12 = 12;
      return blank2(h12) + ":" + two(m) + (h24 >= 12 ? "p" : "a");
    }
    default: return two(h) + ":" + two(m) + ":" + two(sec) + "." + two(hund);
  }
}

std::string BoolToStr(bool Value, int Style) {
  switch (Style) {
    case 1: return Value ? "T" : "F";
    case 2: return Value ? ".T." : ".F.";
    case 3: return Value ? "1" : "0";
    case 4: return Value ? "-1" : "0";
    case 5: return Value ? "FF" : "00";
    default: return Value ? "TRUE" : "FALSE";
  }
}

// ---------------------------------------------------------------- filling and trimming
std::string StripLTBlanks(const std::string& s) { return StripTrailingBlanks(StripLeadingBlanks(s)); }

std::string StripLeadingBlanks(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

std::string StripTrailingBlanks(const std::string& s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

std::string StripLeadingChars(char c, const std::string& s) {
  size_t i = 0;
  while (i < s.size() && s[i] == c) ++i;
  return s.substr(i);
}

std::string StripTrailingChars(char c, const std::string& s) {
  size_t n = s.size();
  while (n > 1 && s[n - 1] == c) --n;
  return s.substr(0, n);
}

std::string EnsureTrailingChar(char c, const std::string& s) {
  if (s.empty() || s.back() == c) return s;
  return s + c;
}

std::string EnsureLeadingChar(char c, const std::string& s) {
  if (s.empty() || s.front() == c) return s;
  return c + s;
}

std::string EnsureTrailingBkSlash(const std::string& s) { return EnsureTrailingChar('\\', s); }

std::string LeftString(const std::string& s, int n) {
  if (n <= 0) return std::string();
  const size_t len = CharCount(s);
  if (len >= static_cast<size_t>(n)) return s.substr(0, OffsetOfChars(s, static_cast<size_t>(n)));
  return s + std::string(static_cast<size_t>(n) - len, ' ');
}

std::string RightString(const std::string& s, int n) {
  if (n <= 0) return std::string();
  const size_t len = CharCount(s);
  if (len >= static_cast<size_t>(n)) return s.substr(0, OffsetOfChars(s, static_cast<size_t>(n)));
  return std::string(static_cast<size_t>(n) - len, ' ') + s;
}

std::string CenterString(const std::string& s, int n) {
  if (n <= 0) return std::string();
  const size_t len = CharCount(s);
  if (len >= static_cast<size_t>(n)) return s.substr(0, OffsetOfChars(s, static_cast<size_t>(n)));
  const size_t pad = static_cast<size_t>(n) - len;
  const size_t left = pad / 2;
  return std::string(left, ' ') + s + std::string(pad - left, ' ');
}

std::string AbbrevString(const std::string& s, int n) {
  if (n < 0) n = 0;
  if (CharCount(s) <= static_cast<size_t>(n)) return s;
  return s.substr(0, OffsetOfChars(s, static_cast<size_t>(std::max(0, n - 2)))) + "..";
}

std::string MultiChar(char c, int n) { return std::string(static_cast<size_t>(std::clamp(n, 1, 255)), c); }

// ---------------------------------------------------------------- editing
std::string ReplaceCharInString(const std::string& s, char OldChar, char NewChar) {
  std::string r = s;
  std::replace(r.begin(), r.end(), OldChar, NewChar);
  return r;
}

std::string RemoveCharInString(const std::string& s, char c) {
  std::string r;
  r.reserve(s.size());
  for (char ch : s)
    if (ch != c) r += ch;
  return r;
}

std::string RemoveControlChars(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (char ch : s)
    if (static_cast<unsigned char>(ch) >= 32) r += ch;
  return r;
}

std::string ReplaceStringInString(const std::string& s, const std::string& OldStr, const std::string& NewStr,
                                  bool IgnoreCase) {
  if (OldStr.empty()) return s;
  std::string r;
  size_t i = 0;
  while (i < s.size()) {
    if (MatchAt(s, i, OldStr, IgnoreCase)) {
      r += NewStr;
      i += OldStr.size();
    } else {
      r += s[i++];
    }
  }
  return r;
}

std::string CapitalizeString(const std::string& s) {
  std::string r;
  bool inWord = false;
  for (size_t i = 0; i < s.size();) {
    char32_t c = NextChar(s, i);
    if (IsUpperLetter(c) || IsLowerLetter(c)) {
      if (!inWord) c = ToUpperL1(c);
      inWord = true;
    } else if ((c >= '0' && c <= '9') || c > 127) {
      inWord = true;
    } else {
      inWord = false;
    }
    AppendChar(r, c);
  }
  return r;
}

std::string ChangeCase(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size();) {
    char32_t c = NextChar(s, i);
    if (IsUpperLetter(c))
      c = ToLowerL1(c);
    else if (IsLowerLetter(c))
      c = ToUpperL1(c);
    AppendChar(r, c);
  }
  return r;
}

std::string ReverseString(const std::string& s) {
  auto v = Decode(s);
  std::reverse(v.begin(), v.end());
  return Encode(v);
}

std::string ReduceStringToAZ09(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size();) {
    const char32_t c = NextChar(s, i);
    r += (c < 128 && std::isalnum(static_cast<int>(c))) ? static_cast<char>(c) : '_';
  }
  return r;
}

std::string ReduceStringToFN83CompliantChars(const std::string& s) {
  static const char* extra = "!#$%&'()-@^_`{}~";
  std::string r;
  for (size_t i = 0; i < s.size();) {
    const char32_t c = NextChar(s, i);
    const bool ok = c < 128 && c > 32 && (std::isalnum(static_cast<int>(c)) || std::strchr(extra, static_cast<int>(c)));
    r += ok ? static_cast<char>(c) : '_';
  }
  return r;
}

std::string ExpandDiphthongs(const std::string& s) {
  const auto v = Decode(s);
  std::string r;
  for (size_t i = 0; i < v.size(); ++i) {
    const char32_t c = v[i];
    const bool capsFollow = i + 1 >= v.size() || IsUpperLetter(v[i + 1]);
    switch (c) {
      case 0xE4: r += "ae"; break;
      case 0xF6: r += "oe"; break;
      case 0xFC: r += "ue"; break;
      case 0xDF: r += "ss"; break;
      case 0xB5:
      case 0x3BC: r += "u"; break;
      case 0xC4: r += capsFollow ? "AE" : "Ae"; break;
      case 0xD6: r += capsFollow ? "OE" : "Oe"; break;
      case 0xDC: r += capsFollow ? "UE" : "Ue"; break;
      default: AppendChar(r, c);
    }
  }
  return r;
}

std::string ProcessHexChars(const std::string& s) {
  std::string r;
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      if (s[i + 1] == '\\') {
        r += '\\';
        i += 2;
        continue;
      }
      if (s[i + 1] == '#' && i + 3 < s.size() && HexVal(s[i + 2]) >= 0 && HexVal(s[i + 3]) >= 0) {
        AppendChar(r, static_cast<char32_t>(HexVal(s[i + 2]) * 16 + HexVal(s[i + 3])));
        i += 4;
        continue;
      }
    }
    r += s[i++];
  }
  return r;
}

// ---------------------------------------------------------------- searching and counting
int NumberedPos(const std::string& Sub, const std::string& s, int Start, bool IgnoreCase, int n) {
  if (Sub.empty() || n < 1) return 0;
  size_t i = static_cast<size_t>(std::max(Start, 1) - 1);
  int found = 0;
  while (i + Sub.size() <= s.size()) {
    if (MatchAt(s, i, Sub, IgnoreCase)) {
      if (++found == n) return static_cast<int>(i) + 1;
      i += Sub.size();
    } else {
      ++i;
    }
  }
  return 0;
}

int PosLast(const std::string& Sub, const std::string& s) {
  if (Sub.empty()) return 0;
  const size_t p = s.rfind(Sub);
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

int CountStringInString(const std::string& Sub, const std::string& s, bool CaseSensitive) {
  if (Sub.empty()) return 0;
  int count = 0;
  size_t i = 0;
  while (i + Sub.size() <= s.size()) {
    if (MatchAt(s, i, Sub, !CaseSensitive)) {
      ++count;
      i += Sub.size();
    } else {
      ++i;
    }
  }
  return count;
}

int CountCharInString(char c, const std::string& s, bool CaseSensitive) {
  int count = 0;
  for (char ch : s)
    if (CaseSensitive ? ch == c : LowerAscii(ch) == LowerAscii(c)) ++count;
  return count;
}

namespace {

struct CharSet {
  std::bitset<256> low;
  std::vector<char32_t> high;
  bool Has(char32_t c) const {
    return c < 256 ? low[c] : std::find(high.begin(), high.end(), c) != high.end();
  }
  void Add(char32_t c) {
    if (c < 256)
      low.set(c);
    else
      high.push_back(c);
  }
};

CharSet ExpandCharList(const std::string& list) {
  CharSet set;
  size_t i = 0;
  while (i < list.size()) {
    auto macro = [&](const char* m) {
      const size_t n = std::strlen(m);
      if (list.compare(i, n, m) != 0) return false;
      i += n;
      return true;
    };
    if (macro("//dig")) {
      for (char32_t c = '0'; c <= '9'; ++c) set.Add(c);
    } else if (macro("//lc")) {
      for (char32_t c = 'a'; c <= 'z'; ++c) set.Add(c);
    } else if (macro("//uc")) {
      for (char32_t c = 'A'; c <= 'Z'; ++c) set.Add(c);
    } else if (macro("//31dwn")) {
      for (char32_t c = 0; c <= 31; ++c) set.Add(c);
    } else if (macro("//128up")) {
      for (char32_t c = 128; c <= 255; ++c) set.Add(c);
    } else {
      set.Add(NextChar(list, i));
    }
  }
  return set;
}

}  // namespace

bool StringContains(const std::string& s, const std::string& CharList) {
  const CharSet set = ExpandCharList(CharList);
  for (size_t i = 0; i < s.size();)
    if (set.Has(NextChar(s, i))) return true;
  return false;
}

bool StringContainsOtherThan(const std::string& s, const std::string& CharList) {
  const CharSet set = ExpandCharList(CharList);
  for (size_t i = 0; i < s.size();)
    if (!set.Has(NextChar(s, i))) return true;
  return false;
}

bool TestAllChar(const std::string& s, char c) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [c](char ch) { return ch == c; });
}

int FindFirstNonBlank(const std::string& s) {
  const size_t p = s.find_first_not_of(' ');
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool IsLetter(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigitLetter(char32_t c) { return IsDigit(c) || IsLetter(c); }
bool IsHexChar(char32_t c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsUmlaut(char32_t c) {
  return c == 0xE4 || c == 0xF6 || c == 0xFC || c == 0xC4 || c == 0xD6 || c == 0xDC || c == 0xDF;
}

bool IsAbbreviation(const std::string& s) {
  int run = 0, longest = 0, others = 0;
  for (size_t i = 0; i < s.size();) {
    const char32_t c = NextChar(s, i);
    if (IsUpperLetter(c)) {
      longest = std::max(longest, ++run);
    } else {
      run = 0;
      if (IsLowerLetter(c) || IsDigit(c)) ++others;
    }
  }
  return longest > 1 && longest > others;
}

int StringIx(const std::string& s, const std::vector<std::string>& List) {
  for (size_t i = 0; i < List.size(); ++i)
    if (List[i] == s) return static_cast<int>(i) + 1;
  return 0;
}

bool EqualAnsiStrings(const std::string& a, const std::string& b) { return SameText(a, b); }

// ---------------------------------------------------------------- words and tokens
const std::bitset<256> WordSeps = [] {
  std::bitset<256> b;
  for (unsigned char c : std::string("\x0a\x0d \"#%'()*+,-./:;<=>[\\]{}")) b.set(c);
  b.set(0);
  return b;
}();

namespace {
inline bool IsSep(char c) { return WordSeps[static_cast<unsigned char>(c)]; }
}  // namespace

std::string ExtractWordFromString(const std::string& s, int Pos, int& First, int& Last) {
  First = Last = 0;
  if (Pos < 1 || Pos > static_cast<int>(s.size()) || IsSep(s[static_cast<size_t>(Pos - 1)])) return std::string();
  size_t a = static_cast<size_t>(Pos - 1), b = a;
  while (a > 0 && !IsSep(s[a - 1])) --a;
  while (b + 1 < s.size() && !IsSep(s[b + 1])) ++b;
  First = static_cast<int>(a) + 1;
  Last = static_cast<int>(b) + 1;
  return s.substr(a, b - a + 1);
}

std::string ExtractWordFromString(const std::string& s, int Pos) {
  int f, l;
  return ExtractWordFromString(s, Pos, f, l);
}

std::string ExtractSubString(const std::string& s, int n, char Delimiter) {
  if (n < 0) return std::string();
  size_t start = 0;
  for (int k = 0; k < n; ++k) {
    const size_t p = s.find(Delimiter, start);
    if (p == std::string::npos) return std::string();
    start = p + 1;
  }
  const size_t p = s.find(Delimiter, start);
  return s.substr(start, p == std::string::npos ? std::string::npos : p - start);
}

int Tokenize(const std::string& s, char Delimiter, std::vector<std::string>& Tokens) {
  Tokens.clear();
  if (s.empty()) return 0;
  size_t start = 0;
  for (;;) {
    const size_t p = s.find(Delimiter, start);
    if (p == std::string::npos || static_cast<int>(Tokens.size()) == MaxTokens - 1) {
      Tokens.push_back(Utf8Truncate(s.substr(start), GrepMaxString));
      break;
    }
    Tokens.push_back(Utf8Truncate(s.substr(start, p - start), GrepMaxString));
    start = p + 1;
  }
  return static_cast<int>(Tokens.size());
}

std::string ReadLnString(const std::string& s, int& Pos, bool& EndOfString, int Mode) {
  EndOfString = false;
  std::string line;
  size_t i = static_cast<size_t>(std::max(Pos, 1) - 1);
  char prev = 0;
  while (i < s.size()) {
    const char c = s[i++];
    bool ends = false;
    if (static_cast<unsigned char>(c) >= 32) {
      line += c;
    } else {
      switch (Mode) {
        case 0: ends = c == '\n'; break;
        case 1: ends = c == '\r'; break;
        case 2: ends = c == '\n' || c == '\r'; break;
        case 3: ends = c == '\r' && prev == '\n'; break;
        case 4: ends = c == '\n' && prev == '\r'; break;
        default: break;
      }
    }
    prev = c;
    if (ends) {
      Pos = static_cast<int>(i) + 1;
      return line;
    }
  }
  EndOfString = true;
  Pos = static_cast<int>(s.size()) + 1;
  return line;
}

int CountWords(const std::string& s) {
  int words = 0, run = 0;
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (IsSep(c)) {
      if (run >= 2) ++words;
      run = 0;
      ++i;
    } else {
      NextChar(s, i);
      ++run;
    }
  }
  return words;
}

namespace {

// ParseQuotedName with a flag telling whether a name was there at all.
std::string ParseName(const std::string& s, int& Pos, bool& found) {
  TQuotedStrState state = vsStart;
  std::string name;
  size_t i = static_cast<size_t>(std::max(Pos, 1) - 1);
  found = false;
  while (i < s.size() && state != vsEnd) {
    const char c = s[i];
    switch (state) {
      case vsStart:
        if (c == ' ') {
          ++i;
        } else if (c == '"') {
          state = vsQuote;
          found = true;
          ++i;
        } else {
          state = vsNormal;
          found = true;
        }
        break;
      case vsQuote:
        if (c == '"')
          state = vs1stQuote;
        else
          name += c;
        ++i;
        break;
      case vs1stQuote:
        if (c == '"') {
          name += '"';
          state = vsQuote;
          ++i;
        } else {
          state = vsEnd;
        }
        break;
      case vsNormal:
        if (c == ' ')
          state = vsEnd;
        else {
          name += c;
          ++i;
        }
        break;
      case vsEnd: break;
    }
  }
  Pos = static_cast<int>(i) + 1;
  return name;
}

}  // namespace

std::string ParseQuotedName(const std::string& s, int& Pos) {
  bool found;
  return ParseName(s, Pos, found);
}

std::string ExtractParam(const std::string& s, int n) {
  int pos = 1;
  for (int k = 1; k <= n; ++k) {
    bool found;
    std::string name = ParseName(s, pos, found);
    if (!found) return std::string();
    if (k == n) return name;
  }
  return std::string();
}

bool TextLineCoords(const std::string& s, int Pos, int& Line, int& Col) {
  Line = Col = 0;
  if (Pos < 1 || Pos > static_cast<int>(s.size()) + 1) return false;
  Line = 1;
  Col = 1;
  for (size_t i = 0; i + 1 < static_cast<size_t>(Pos); ++i) {
    const char c = s[i];
    if (c == '\n' || (c == '\r' && !(i + 1 < s.size() && s[i + 1] == '\n'))) {
      ++Line;
      Col = 1;
    } else {
      ++Col;
    }
  }
  return true;
}

std::string UUEncodeStr(const std::string& s) {
  auto enc = [](unsigned v) { return static_cast<char>(v == 0 ? '`' : 32 + v); };
  std::string out;
  for (size_t start = 0; start < s.size(); start += 45) {
    const size_t n = std::min<size_t>(45, s.size() - start);
    out += enc(static_cast<unsigned>(n));
    for (size_t k = 0; k < n; k += 3) {
      unsigned b[3] = {0, 0, 0};
      for (size_t j = 0; j < 3 && k + j < n; ++j) b[j] = static_cast<unsigned char>(s[start + k + j]);
      out += enc(b[0] >> 2);
      out += enc(((b[0] & 3) << 4) | (b[1] >> 4));
      out += enc(((b[1] & 15) << 2) | (b[2] >> 6));
      out += enc(b[2] & 63);
    }
    out += '\n';
  }
  return out;
}

std::string UUDecodeStr(const std::string& s) {
  auto dec = [](char c) -> unsigned {
    const auto u = static_cast<unsigned char>(c);
    return (u < 32 || u > 96) ? 0 : (u - 32) & 63;
  };
  std::string out;
  size_t start = 0;
  while (start < s.size()) {
    size_t end = s.find('\n', start);
    if (end == std::string::npos) end = s.size();
    std::string line = s.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.compare(0, 6, "begin ") == 0 || line == "end") continue;
    const size_t n = dec(line[0]);
    const size_t groups = (line.size() - 1) / 4;
    const size_t avail = std::min(n, groups * 3);
    std::string bytes;
    for (size_t g = 0; g < groups && bytes.size() < avail; ++g) {
      const unsigned a = dec(line[1 + 4 * g]), b = dec(line[2 + 4 * g]), c = dec(line[3 + 4 * g]),
                     d = dec(line[4 + 4 * g]);
      bytes += static_cast<char>(((a << 2) | (b >> 4)) & 0xFF);
      bytes += static_cast<char>(((b << 4) | (c >> 2)) & 0xFF);
      bytes += static_cast<char>(((c << 6) | d) & 0xFF);
    }
    bytes.resize(avail);
    out += bytes;
  }
  return out;
}

int ReadNextTagInString(const std::string& s, int& Pos, const std::vector<std::string>& TagList,
                        std::string& Content, std::string& Attributes) {
  size_t off = static_cast<size_t>(std::max(Pos, 1) - 1);
  const int r = ReadNextTagInBuffer(s.data(), s.size(), off, TagList, Content, Attributes);
  Pos = static_cast<int>(off) + 1;
  return r;
}

int DetectNextTagInString(const std::string& s, int Pos, const std::vector<std::string>& TagList, int& TagPos) {
  size_t start;
  const int r = DetectNextTagInBuffer(s.data(), s.size(), static_cast<size_t>(std::max(Pos, 1) - 1), TagList, start);
  TagPos = start < s.size() ? static_cast<int>(start) + 1 : 0;
  return r;
}

// ---------------------------------------------------------------- substitution
namespace {

struct ScrambleTables {
  char32_t fwd[256];
  char32_t inv[256];
  explicit ScrambleTables(uint32_t seed) { Build(seed); }
  void Build(uint32_t seed) {
    std::minstd_rand gen(seed);
    bool used[256] = {};
    fwd[0] = 0;
    used[0] = true;
    for (int code = 1; code < 256; ++code) {
      // A draw that is taken already moves on to the next free code, so the
      // loop ends after at most 255 steps per code.
      unsigned r = 1 + static_cast<unsigned>(gen() % 255);
      while (used[r]) r = r % 255 + 1;
      used[r] = true;
      fwd[code] = r;
    }
    for (int c = 0; c < 256; ++c) inv[fwd[c]] = static_cast<char32_t>(c);
  }
};

ScrambleTables& Tables() {
  static ScrambleTables t(4711);
  return t;
}

std::string MapChars(const std::string& s, const char32_t* table) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const char32_t c = NextChar(s, i);
    AppendChar(r, c < 256 ? table[c] : c);
  }
  return r;
}

}  // namespace

void InitScramble(uint32_t Seed) { Tables().Build(Seed); }
std::string Scramble(const std::string& s) { return MapChars(s, Tables().fwd); }
std::string DeScramble(const std::string& s) { return MapChars(s, Tables().inv); }

// ---------------------------------------------------------------- TGrep
TGrep::TGrep(TComponent* AOwner) : TComponent(AOwner) {}

std::string TGrep::ErrorText(int Code) {
  switch (Code) {
    case 1: return "reg.exp. must not start with $, *, ?, or +";
    case 2: return "circumflex not allowed here";
    case 3: return "no character allowed after end of line";
    case 4: return "empty set";
    case 5: return "circumflex has to be quoted in set";
    case 6: return "mismatch of set brackets";
    case 7: return "minus not allowed here";
    case 8: return "mismatch of group brackets";
    case 9: return "*, ?, + have to be applied to groups or sets only";
    case 10: return "reg.exp. too long (more than 64 tokens)";
    case 11: return "string or group longer than 255 characters";
    default: return std::string();
  }
}

void TGrep::SetRegExp(const std::string& v) {
  const int err = CompileRegExp(v);
  if (err != 0 && FStopOnError)
    throw EZOLStringlError(ComponentMsg("error in regular expression - " + ErrorText(err)));
}

void TGrep::SetIgnoreCase(bool v) {
  if (v == FIgnoreCase) return;
  FIgnoreCase = v;
  CompileRegExp(FRegExp);
}

void TGrep::SetSearchStartPos(int v) { FSearchStartPos = std::max(1, v); }

int TGrep::CompileRegExp(const std::string& Pattern) {
  if (&Pattern != &FRegExp) FRegExp = Pattern;
  FTokens.clear();
  FErrorCode = 0;
  // Hex escapes: "\#41" (blanks and a '$' may precede the digits) becomes the
  // escaped character "\A", so that the character is always a literal.
  std::string pat;
  {
    const std::string src = FIgnoreCase ? LowerCase(Pattern) : Pattern;
    size_t i = 0;
    while (i < src.size()) {
      if (src[i] == '\\' && i + 1 < src.size()) {
        if (src[i + 1] == '#') {
          size_t j = i + 2;
          while (j < src.size() && src[j] == ' ') ++j;
          if (j < src.size() && src[j] == '$') ++j;
          if (j + 1 < src.size() && HexVal(src[j]) >= 0 && HexVal(src[j + 1]) >= 0) {
            char ch = static_cast<char>(HexVal(src[j]) * 16 + HexVal(src[j + 1]));
            if (FIgnoreCase) ch = LowerAscii(ch);
            pat += '\\';
            pat += ch;
            i = j + 2;
            continue;
          }
        }
        pat += src[i];
        pat += src[i + 1];
        i += 2;
        continue;
      }
      pat += src[i++];
    }
  }

  enum St { sStart, sAfterAtom, sSetOpen, sInSet, sAfterSet, sInGroup, sAfterGroup, sAfterEnd, sAfterRepeat };
  enum Kind { kNone, kLiteral, kAny, kBol, kSet, kGroup, kRepeat };
  St st = sStart;
  Kind last = kNone;
  TGrepToken cur;           // set or group under construction
  bool negate = false;      // set starts with '^'
  bool rangePending = false;
  bool justRanged = false;  // the last set member closed a range
  int lastMember = -1;
  int err = 0;

  auto push = [&](const TGrepToken& t) {
    if (static_cast<int>(FTokens.size()) >= GrepMaxTokens) {
      err = 10;
      return;
    }
    FTokens.push_back(t);
  };
  auto addLiteral = [&](char ch) {
    if (last == kLiteral && st == sAfterAtom) {
      TGrepToken& t = FTokens.back();
      if (t.Count >= GrepMaxString) {
        err = 11;
        return;
      }
      t.Table[++t.Count] = ch;
    } else {
      TGrepToken t;
      t.Action = taNormal;
      t.Count = 1;
      t.Table[1] = ch;
      push(t);
    }
    last = kLiteral;
    st = sAfterAtom;
  };
  auto addMember = [&](unsigned char ch) {
    if (rangePending) {
      int a = lastMember, b = ch;
      if (a > b) std::swap(a, b);
      for (int k = a; k <= b; ++k) cur.Table[k] = '*';
      rangePending = false;
      justRanged = true;
    } else {
      cur.Table[ch] = '*';
      lastMember = ch;
      justRanged = false;
    }
    st = sInSet;
  };

  size_t i = 0;
  while (i < pat.size() && err == 0) {
    const char c = pat[i];
    if (st == sAfterEnd) {
      err = 3;
      break;
    }
    if (st == sSetOpen || st == sInSet) {
      if (c == '\\') {
        if (i + 1 >= pat.size()) {
          err = 6;
          break;
        }
        addMember(static_cast<unsigned char>(pat[i + 1]));
        i += 2;
        continue;
      }
      if (c == ']') {
        if (st == sSetOpen || rangePending) {
          if (st == sSetOpen) {
            err = 4;
            break;
          }
          cur.Table[static_cast<unsigned char>('-')] = '*';  // a '-' before ']' is a member
          rangePending = false;
        }
        if (negate)
          for (int k = 0; k < 256; ++k) cur.Table[k] = cur.Table[k] == '*' ? ' ' : '*';
        push(cur);
        last = kSet;
        st = sAfterSet;
      } else if (c == '^') {
        if (st == sSetOpen && !negate)
          negate = true;
        else {
          err = 5;
          break;
        }
      } else if (c == '-') {
        if (st == sSetOpen || justRanged || rangePending) {
          err = 7;
          break;
        }
        rangePending = true;
      } else {
        addMember(static_cast<unsigned char>(c));
      }
      ++i;
      continue;
    }
    if (st == sInGroup) {
      char ch = c;
      if (c == ')') {
        if (cur.Count == 0) {
          err = 8;
          break;
        }
        push(cur);
        last = kGroup;
        st = sAfterGroup;
        ++i;
        continue;
      }
      if (c == '^') {
        err = 2;
        break;
      }
      if (c == '\\') {
        if (i + 1 >= pat.size()) {
          err = 8;
          break;
        }
        ch = pat[++i];
      }
      if (cur.Count >= GrepMaxString) {
        err = 11;
        break;
      }
      cur.Table[++cur.Count] = ch;
      ++i;
      continue;
    }
    // start, after an atom, a set, a group or a repeat
    switch (c) {
      case '*':
      case '+':
      case '?': {
        if (st == sStart) {
          err = 1;
          break;
        }
        const TGrepTokenAct act = c == '*' ? taMult0 : (c == '+' ? taMult1 : taOpti);
        TGrepToken& t = FTokens.back();
        if (last == kSet) {
          t.Action = act;
          t.Count = -1;
        } else if (last == kAny) {
          t.Action = act;
          t.Count = 0;
        } else if (last == kGroup) {
          t.Action = act;
        } else if (last == kLiteral) {
          if (t.Count == 1) {
            t.Action = act;
          } else {
            TGrepToken r;
            r.Action = act;
            r.Count = 1;
            r.Table[1] = t.Table[t.Count];
            t.Table[t.Count--] = 0;
            push(r);
          }
        } else {
          err = 9;
          break;
        }
        last = kRepeat;
        st = sAfterRepeat;
        break;
      }
      case '$': {
        if (st == sStart) {
          err = 1;
          break;
        }
        TGrepToken t;
        t.Action = taEol;
        push(t);
        st = sAfterEnd;
        break;
      }
      case '^': {
        if (st != sStart) {
          err = 2;
          break;
        }
        TGrepToken t;
        t.Action = taBol;
        push(t);
        last = kBol;
        st = sAfterAtom;
        break;
      }
      case '.': {
        TGrepToken t;
        t.Action = taAnyByte;
        push(t);
        last = kAny;
        st = sAfterAtom;
        break;
      }
      case '[':
        cur = TGrepToken();
        cur.Action = taSet;
        cur.Count = -1;
        std::memset(cur.Table, ' ', sizeof cur.Table);
        negate = rangePending = justRanged = false;
        lastMember = -1;
        st = sSetOpen;
        break;
      case ']': err = 6; break;
      case '(':
        cur = TGrepToken();
        cur.Action = taNormal;
        st = sInGroup;
        break;
      case ')': err = 8; break;
      case '\\':
        if (i + 1 < pat.size()) ++i;
        addLiteral(pat[i]);
        break;
      default: addLiteral(c); break;
    }
    ++i;
  }
  if (err == 0) {
    if (st == sSetOpen || st == sInSet) err = 6;
    if (st == sInGroup) err = 8;
  }
  FErrorCode = err;
  return err;
}

bool TGrep::MatchOperand(const TGrepToken& tk, int p, int& next) const {
  const int L = static_cast<int>(FSubject.size());
  if (tk.Count == 0) {
    if (p > L) return false;
    next = p + 1;
    return true;
  }
  if (tk.Count < 0) {
    if (p > L || tk.Table[static_cast<unsigned char>(FSubject[static_cast<size_t>(p - 1)])] != '*') return false;
    next = p + 1;
    return true;
  }
  if (p - 1 + tk.Count > L) return false;
  if (std::memcmp(FSubject.data() + p - 1, tk.Table + 1, static_cast<size_t>(tk.Count)) != 0) return false;
  next = p + tk.Count;
  return true;
}

bool TGrep::MatchFrom(size_t t, int p) {
  const int L = static_cast<int>(FSubject.size());
  const size_t memo = t * static_cast<size_t>(L + 2) + static_cast<size_t>(p);
  const bool useMemo = !FFailed.empty();
  if (useMemo && FFailed[memo]) return false;
  TGrepToken& tk = FTokens[t];
  const bool isLast = t + 1 == FTokens.size();
  bool ok = false;
  int next = 0;
  switch (tk.Action) {
    case taNormal:
    case taAnyByte:
    case taSet: {
      // Count selects the operand: the string, the set (-1) or any character (0).
      if (MatchOperand(tk, p, next)) {
        tk.MatchPos = p;
        if (isLast) {
          FMatchEnd = next - 1;
          ok = true;
        } else {
          ok = MatchFrom(t + 1, next);
        }
      }
      break;
    }
    case taBol:
      if (p == 1) {
        tk.MatchPos = 1;
        if (isLast) {
          FMatchEnd = 0;
          ok = true;
        } else {
          ok = MatchFrom(t + 1, 1);
        }
      }
      break;
    case taEol:
      if (p == L + 1 && isLast) {
        tk.MatchPos = p;
        FMatchEnd = L;
        ok = true;
      }
      break;
    case taMult0:
    case taMult1:
    case taOpti: {
      if (p > L + 1) break;
      const int minOcc = tk.Action == taMult1 ? 1 : 0;
      const int maxOcc = tk.Action == taOpti ? 1 : INT32_MAX;
      int q = p, k = 0;
      if (isLast) {
        while (k < maxOcc && MatchOperand(tk, q, next)) {
          q = next;
          ++k;
        }
        if (k >= minOcc) {
          tk.MatchPos = p;
          FMatchEnd = q - 1;
          ok = true;
        }
        break;
      }
      for (;;) {
        if (k >= minOcc) {
          tk.MatchPos = p;
          if (MatchFrom(t + 1, q)) {
            ok = true;
            break;
          }
        }
        if (k >= maxOcc || !MatchOperand(tk, q, next)) break;
        q = next;
        ++k;
      }
      break;
    }
  }
  if (!ok && useMemo) FFailed[memo] = true;
  return ok;
}

bool TGrep::MatchString(const std::string& Subject, int& Pos) {
  Pos = 0;
  FMatchStart = FMatchEnd = 0;
  if (FErrorCode != 0 || FTokens.empty()) return false;
  FSubject = FIgnoreCase ? LowerCase(Subject) : Subject;
  const int L = static_cast<int>(FSubject.size());
  // Failed (token, position) pairs are remembered, which keeps nested repeats
  // polynomial; for huge subjects (table above 32 MB) the table is left out.
  const size_t cells = FTokens.size() * static_cast<size_t>(L + 2);
  if (cells <= (size_t{1} << 28))
    FFailed.assign(cells, false);
  else
    FFailed.clear();
  const int lastStart = FTokens[0].Action == taBol ? 1 : L + 1;
  bool found = false;
  for (int p = FSearchStartPos; p <= lastStart; ++p) {
    if (MatchFrom(0, p)) {
      found = true;
      break;
    }
  }
  FSubject.clear();
  FFailed.clear();
  if (!found) {
    FMatchEnd = 0;
    return false;
  }
  FMatchStart = Pos = FTokens[0].MatchPos;
  return true;
}

TGrepToken TGrep::GetRegExpToken(int Index) const {
  if (FTokens.empty()) return TGrepToken();
  return FTokens[static_cast<size_t>(std::clamp(Index, 1, NrTokens()) - 1)];
}

void TGrep::PrintRegExp(const std::string& FileName) const {
  static const char* names[] = {" taNormal: ", "taAnyByte: ", "    taEol: ", "    taBol: ",
                                "    taSet: ", "  taMult0: ", "  taMult1: ", "   taOpti: "};
  auto members = [](const TGrepToken& t) {
    std::string m;
    for (int k = 0; k < 256; ++k)
      if (t.Table[k] == '*') m += static_cast<char>(k);
    return m;
  };
  TextFile f;
  AssignFile(f, FileName);
  Rewrite(f);
  for (const TGrepToken& t : FTokens) {
    std::string line = names[t.Action];
    switch (t.Action) {
      case taNormal: line.append(t.Table + 1, static_cast<size_t>(t.Count)); break;
      case taSet: line += members(t); break;
      case taMult0:
      case taMult1:
      case taOpti:
        if (t.Count > 0)
          line += "(string) " + std::string(t.Table + 1, static_cast<size_t>(t.Count));
        else if (t.Count < 0)
          line += "(set) " + members(t);
        else
          line += "(anychar) ";
        break;
      default: break;
    }
    WriteLn(f, line);
  }
  WriteLn(f, FErrorCode == 0 ? "no errors" : ErrorText(FErrorCode));
  CloseFile(f);
}

}  // namespace zol
