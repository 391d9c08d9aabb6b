// Containers and checksums.
#include "base/Zol_dstruct.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/Zol_cpuid.h"
#include "base/Zol_streams.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define ZOL_X86_SIMD 1
#else
#define ZOL_X86_SIMD 0
#endif

namespace zol {

const char* const xmlVariantKind[14] = {"null", "shortint", "smallint", "integer", "int64",
                                        "byte", "word",     "longword", "uint64",  "single",
                                        "double", "currency", "boolean", "string"};

namespace {

// ---------------------------------------------------------------- text helpers
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string LowerAscii(std::string s) {
  for (char& c : s) c = LowerChar(c);
  return s;
}

std::string StripBlanks(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && s[a] == ' ') ++a;
  while (b > a && s[b - 1] == ' ') --b;
  return s.substr(a, b - a);
}

// & < > " and control bytes are escaped; everything else is kept as it is.
std::string XmlEscape(const std::string& s) {
  std::string r;
  r.reserve(s.size() + 8);
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&': r += "&amp;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '"': r += "&quot;"; break;
      default:
        if (c < 32 || c == 127) {
          r += "&#";
          r += std::to_string(c);
          r += ';';
        } else {
          r += ch;
        }
    }
  }
  return r;
}

// Inverse of XmlEscape; also knows &apos; and hexadecimal character references.
// Unknown or malformed references are kept literally.
std::string XmlUnescape(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] != '&') {
      r += s[i++];
      continue;
    }
    size_t semi = s.find(';', i + 1);
    if (semi == std::string::npos || semi - i > 12) {
      r += s[i++];
      continue;
    }
    std::string ent = s.substr(i + 1, semi - i - 1);
    bool ok = true;
    if (ent == "amp") r += '&';
    else if (ent == "lt") r += '<';
    else if (ent == "gt") r += '>';
    else if (ent == "quot") r += '"';
    else if (ent == "apos") r += '\'';
    else if (ent.size() >= 2 && ent[0] == '#') {
      uint32_t cp = 0;
      const char* b = ent.data() + 1;
      const char* e = ent.data() + ent.size();
      int base = 10;
      if (*b == 'x' || *b == 'X') {
        base = 16;
        ++b;
      }
      auto res = std::from_chars(b, e, cp, base);
      if (b == e || res.ec != std::errc() || res.ptr != e || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
        ok = false;
      else
        AppendUtf8(r, cp);
    } else {
      ok = false;
    }
    if (ok) {
      i = semi + 1;
    } else {
      r += s[i++];
    }
  }
  return r;
}

// Strict integer parse of a whole text (blanks around it allowed).
template <typename T>
bool ParseInt(const std::string& text, T& v) {
  std::string s = StripBlanks(text);
  if (s.empty()) return false;
  const char* b = s.data();
  const char* e = s.data() + s.size();
  if (*b == '+') ++b;
  auto res = std::from_chars(b, e, v);
  return b != e && res.ec == std::errc() && res.ptr == e;
}

bool ParseDecimalNumber(const std::string& text, double& v) {
  std::string s = StripBlanks(text);
  if (s.empty()) return false;
  const char* b = s.data();
  const char* e = s.data() + s.size();
  if (*b == '+') ++b;
  auto res = std::from_chars(b, e, v);
  return b != e && res.ec == std::errc() && res.ptr == e;
}

template <typename T>
std::string ShortestText(T v) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

// Floating-point scanner over a text starting at its first character (the
// rules of the stream scanner, decimal separator '.' or ','); 0 on error.
long double ScanNumberText(const std::string& s) {
  std::string num;
  int state = 1;
  int expValue = 0;
  bool error = false;
  size_t i = 0;
  for (;; ++i) {
    char c = i < s.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(s[i]))) : 'Z';
    bool sep = (c == '.' || c == ',');
    bool digit = (c >= '0' && c <= '9');
    bool sign = (c == '+' || c == '-');
    bool white = (c == '\t' || c == '\n' || c == '\r' || c == ' ');
    int next = -1;  // -1 error, 0 end
    switch (state) {
      case 1: next = sep ? 4 : digit ? 3 : sign ? 2 : white ? 1 : -1; break;
      case 2: next = sep ? 4 : digit ? 3 : -1; break;
      case 3: next = sep ? 4 : digit ? 3 : (c == 'E') ? 6 : 0; break;
      case 4: next = sep ? -1 : digit ? 5 : (c == 'E') ? 6 : 0; break;
      case 5: next = sep ? -1 : digit ? 5 : (c == 'E') ? 6 : 0; break;
      case 6: next = digit ? 8 : sign ? 7 : -1; break;
      case 7: next = digit ? 8 : -1; break;
      case 8: next = digit ? 8 : 0; break;
    }
    if (next == -1) {
      error = true;
      break;
    }
    if (next == 0) break;
    if (!white) {
      if (next == 8) {
        if (expValue <= 4200) {
          int nv = expValue * 10 + (c - '0');
          if (nv <= 4200) {
            expValue = nv;
            num += c;
          } else {
            expValue = nv;  // this and later exponent digits are dropped
          }
        }
      } else {
        num += sep ? '.' : c;
      }
    }
    state = next;
    if (i >= s.size()) break;
  }
  if (error || num.empty()) return 0;
  if (num.back() == '.') num += '0';
  if (num.back() == 'E' || num.back() == '+' || num.back() == '-') return 0;
  const char* b = num.data();
  const char* e = num.data() + num.size();
  if (*b == '+') ++b;
  double v = 0;
  auto res = std::from_chars(b, e, v);
  if (res.ec == std::errc::result_out_of_range) {
    bool neg = num[0] == '-';
    size_t ep = num.find('E');
    bool bigExp = ep != std::string::npos && num[ep + 1] != '-';
    v = bigExp ? (neg ? -DBL_MAX : DBL_MAX) : 0.0;
  } else if (res.ec != std::errc()) {
    return 0;
  }
  v = std::clamp(v, -1.7e308, 1.7e308);
  return v;
}

// Does the lower-cased line open the record <tag ... sig="zolcsuite" ... id="DataID">?
bool LineOpensRecord(const std::string& line, const std::string& tag, const std::string& dataID) {
  std::string low = LowerAscii(line);
  if (low.find("<" + tag) == std::string::npos) return false;
  if (low.find("zolcsuite") == std::string::npos) return false;
  if (dataID.empty()) return true;
  size_t p = low.find("id=\"");
  if (p == std::string::npos) return false;
  p += 4;
  size_t q = low.find('"', p);
  if (q == std::string::npos) return false;
  return Trim(XmlUnescape(low.substr(p, q - p))) == LowerAscii(dataID);
}

std::string RecordOpening(const std::string& tag, const std::string& dataID) {
  return "<" + tag + " sig=\"" + ZolSignature + "\" vers=\"" + ZolRecordVersion + "\" id=\"" +
         XmlEscape(dataID) + "\">";
}

// Reads lines (LF-terminated, CR dropped) from the stream's position until one
// opens the record; the stream is left directly after that line.
bool LocateRecordInStream(TStream& Stream, const std::string& tag, const std::string& dataID) {
  std::string line;
  char buf[4096];
  for (;;) {
    int64_t start = Stream.Position();
    int64_t n = Stream.Read(buf, sizeof buf);
    if (n <= 0) {
      return !line.empty() && LineOpensRecord(line, tag, dataID);
    }
    for (int64_t i = 0; i < n; ++i) {
      char c = buf[i];
      if (c == '\n' || c == '\r') {
        if (LineOpensRecord(line, tag, dataID)) {
          Stream.Seek(start + i + 1, soBeginning);
          return true;
        }
        line.clear();
      } else {
        line += c;
      }
    }
  }
}

bool StreamAtEnd(TStream& Stream) { return Stream.Position() >= Stream.Size(); }

void WriteLine(TStream& Stream, const std::string& s) {
  std::string t = s + "\n";
  Stream.WriteBuffer(t.data(), static_cast<int64_t>(t.size()));
}

std::exception_ptr OutOfMemory() { return std::make_exception_ptr(EOutOfMemory("Out of memory")); }

// ---------------------------------------------------------------- CRC tables
struct CRC32Table {
  // t[0] is the byte table of the reflected polynomial; t[k] advances a byte
  // that is followed by k more bytes (eight bytes per step, one lookup each).
  uint32_t t[8][256];
  constexpr CRC32Table() : t() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
      t[0][i] = c;
    }
    for (int k = 1; k < 8; ++k)
      for (uint32_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
};
constexpr CRC32Table kCRC32;

struct CRC16Table {
  // t[0] is the byte table of polynomial 1021; t[k] advances a byte that is
  // followed by k more bytes.
  uint16_t t[8][256];
  constexpr CRC16Table() : t() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i << 8;
      for (int k = 0; k < 8; ++k) c = (c & 0x8000) ? ((c << 1) ^ 0x1021) : (c << 1);
      t[0][i] = static_cast<uint16_t>(c);
    }
    for (int k = 1; k < 8; ++k)
      for (uint32_t i = 0; i < 256; ++i)
        t[k][i] = static_cast<uint16_t>((t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 8]);
  }
};
constexpr CRC16Table kCRC16;

struct BitCountTable {
  uint8_t t[256];
  constexpr BitCountTable() : t() {
    for (int i = 0; i < 256; ++i) {
      int n = 0;
      for (int k = 0; k < 8; ++k) n += (i >> k) & 1;
      t[i] = static_cast<uint8_t>(n);
    }
  }
};
constexpr BitCountTable kBitCount;

uint8_t CombineByte(uint8_t a, uint8_t b, TLogicOp op) {
  switch (op) {
    case loAND: return a & b;
    case loOR: return a | b;
    case loXOR: return a ^ b;
    case loANDNot: return static_cast<uint8_t>(a & ~b);
    case loORNot: return static_cast<uint8_t>(a | ~b);
    case loXORNot: return static_cast<uint8_t>(a ^ ~b);
  }
  return a;
}

}  // namespace

std::string RecordXmlEscape(const std::string& s) { return XmlEscape(s); }
std::string RecordXmlUnescape(const std::string& s) { return XmlUnescape(s); }
bool RecordLineOpens(const std::string& Line, const std::string& Tag, const std::string& DataID) {
  return LineOpensRecord(Line, Tag, DataID);
}
std::string RecordOpeningLine(const std::string& Tag, const std::string& DataID) { return RecordOpening(Tag, DataID); }

// ==================================================================== TStringArray
TStringArray::TStringArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FCells.assign(2, std::vector<uint32_t>(10, 0));
    FRowAttrib.assign(10, 0);
    FColAttrib.assign(1, 0);
    FSortOrder.resize(10);
    for (int i = 0; i < 10; ++i) FSortOrder[i] = i + 1;
    InitStore();
  } catch (const std::bad_alloc&) {
    throw EZOLDStructError("Class TStringArray: failed to initialize (out of memory)");
  }
}

TStringArray::~TStringArray() = default;

void TStringArray::InitStore() {
  FPages.clear();
  AddPage();
  FFirstFit.fill(0);
}

void TStringArray::AddPage() {
  if (FPages.size() >= 65535) throw EZOLDStructError("Class TStringArray: string store exhausted");
  Page p;
  p.Data = std::make_unique<uint8_t[]>(PageSize);
  p.NextFree = 1;
  FPages.push_back(std::move(p));
}

void TStringArray::SetAllocRowsBy(int n) { FAllocRowsBy = std::max(1, n); }

void TStringArray::SetNrCols(int n) { Resize(n, FNrRows); }

void TStringArray::SetNrRows(int n) { Resize(FNrCols, n); }

bool TStringArray::Resize(int NrColumns, int NrRows) {
  if (NrColumns == FNrCols && NrRows == FNrRows) return true;
  if (NrColumns < 1 || NrRows < 1) return false;
  int keepRows = std::min(NrRows, FNrRows);
  if (NrColumns != FNrCols || NrRows > FAllocRows) {
    int64_t alloc = static_cast<int64_t>(FAllocRowsBy) * ((NrRows - 1) / FAllocRowsBy + 1);
    if (alloc > INT_MAX) alloc = NrRows;
    try {
      std::vector<std::vector<uint32_t>> cells(static_cast<size_t>(NrColumns) + 1);
      for (int c = 0; c <= NrColumns; ++c) {
        cells[c].assign(static_cast<size_t>(alloc), 0);
        if (c <= FNrCols) std::copy_n(FCells[c].begin(), keepRows, cells[c].begin());
      }
      std::vector<uint8_t> rowAttr(static_cast<size_t>(alloc), 0);
      std::copy_n(FRowAttrib.begin(), keepRows, rowAttr.begin());
      std::vector<uint8_t> colAttr(static_cast<size_t>(NrColumns), 0);
      std::copy_n(FColAttrib.begin(), std::min(NrColumns, FNrCols), colAttr.begin());
      std::vector<int> order(static_cast<size_t>(alloc));
      FCells.swap(cells);
      FRowAttrib.swap(rowAttr);
      FColAttrib.swap(colAttr);
      FSortOrder.swap(order);
      FAllocRows = static_cast<int>(alloc);
    } catch (const std::bad_alloc&) {
      std::rethrow_exception(OutOfMemory());
    }
  } else {
    int hi = std::max(NrRows, FNrRows);
    for (int c = 0; c <= FNrCols; ++c)
      std::fill(FCells[c].begin() + keepRows, FCells[c].begin() + hi, 0u);
    std::fill(FRowAttrib.begin() + keepRows, FRowAttrib.begin() + hi, 0);
  }
  for (int i = 0; i < FAllocRows; ++i) FSortOrder[i] = i + 1;
  FNrCols = NrColumns;
  FNrRows = NrRows;
  Changed();
  return true;
}

int TStringArray::AddRow() {
  Resize(FNrCols, FNrRows + 1);
  return FNrRows;
}

std::string TStringArray::TextOfHandle(uint32_t h) const {
  if (h == 0) return std::string();
  uint32_t page = h >> 16, off = h & 0xFFFF;
  if (page < 1 || page > FPages.size() || off < 1) return std::string();
  const uint8_t* p = FPages[page - 1].Data.get() + off - 1;
  size_t len = p[0];
  if (off + len > static_cast<uint32_t>(PageSize)) return std::string();
  return std::string(reinterpret_cast<const char*>(p + 1), len);
}

std::string TStringArray::GetString(int ACol, int ARow) const {
  if (ACol < 0 || ACol > FNrCols || ARow < 1 || ARow > FNrRows) return std::string();
  return TextOfHandle(Handle(ACol, Phys(ARow)));
}

void TStringArray::StoreText(int ACol, int PhysRow, const std::string& Value) {
  uint32_t& h = HandleRef(ACol, PhysRow);
  size_t len = std::min<size_t>(Value.size(), 255);
  if (h != 0) {
    uint8_t* p = FPages[(h >> 16) - 1].Data.get() + (h & 0xFFFF) - 1;
    if (p[0] >= len) {
      p[0] = static_cast<uint8_t>(len);
      if (len) std::memcpy(p + 1, Value.data(), len);
      return;
    }
  }
  // The first page (from page 1) with room; a page keeps its last byte free.
  size_t pg = static_cast<size_t>(FFirstFit[len]);
  while (pg < FPages.size() && !(static_cast<int>(len) < PageSize - FPages[pg].NextFree)) ++pg;
  if (pg >= FPages.size()) {
    AddPage();
    pg = FPages.size() - 1;
  }
  FFirstFit[len] = static_cast<int>(pg);
  Page& page = FPages[pg];
  int f = page.NextFree;
  uint8_t* p = page.Data.get() + f - 1;
  p[0] = static_cast<uint8_t>(len);
  if (len) std::memcpy(p + 1, Value.data(), len);
  page.NextFree = f + static_cast<int>(len) + 1;
  h = (static_cast<uint32_t>(pg + 1) << 16) | static_cast<uint32_t>(f);
}

void TStringArray::SetString(int ACol, int ARow, const std::string& Value) {
  if (ACol < 0 || ACol > FNrCols || ARow < 1 || ARow > FNrRows) return;
  StoreText(ACol, Phys(ARow), Value.size() > 255 ? Utf8Truncate(Value, 255) : Value);
  Changed();
}

long double TStringArray::GetAsNumber(int ACol, int ARow) const {
  std::string stored = GetString(ACol, ARow);
  std::string s = StripBlanks(stored);
  std::replace(s.begin(), s.end(), ',', '.');
  if (s.empty()) return 0;
  // optional sign, digits with an optional '.', optional exponent
  size_t i = 0;
  if (s[i] == '+' || s[i] == '-') ++i;
  size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  bool ok = digits > 0;
  if (ok && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t ed = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++ed;
    ok = ed > 0;
  }
  long double v = 0;
  if (ok && i == s.size()) {
    const char* b = s.data();
    if (*b == '+') ++b;
    auto res = std::from_chars(b, s.data() + s.size(), v);
    ok = res.ec == std::errc() && res.ptr == s.data() + s.size();
  } else {
    ok = false;
  }
  if (!ok)
    throw EZOLDStructError("Class TStringArray: invalid numeric string: [" + std::to_string(ACol) + "," +
                           std::to_string(ARow) + "]: " + stored);
  return v;
}

uint8_t TStringArray::GetRowAttrib(int ARow) const {
  if (ARow < 1 || ARow > FNrRows) return 0;
  return FRowAttrib[Phys(ARow) - 1];
}

void TStringArray::SetRowAttrib(int ARow, uint8_t Attrib) {
  if (ARow < 1 || ARow > FNrRows) return;
  FRowAttrib[Phys(ARow) - 1] = Attrib;
  Changed();
}

uint8_t TStringArray::GetColAttrib(int ACol) const {
  if (ACol < 1 || ACol > FNrCols) return 0;
  return FColAttrib[ACol - 1];
}

void TStringArray::SetColAttrib(int ACol, uint8_t Attrib) {
  if (ACol < 1 || ACol > FNrCols) return;
  FColAttrib[ACol - 1] = Attrib;
  Changed();
}

int TStringArray::GetSortOrder(int Ix) const {
  if (Ix < 1 || Ix > FNrRows) return -1;
  return FSortOrder[Ix - 1];
}

void TStringArray::SetSortOrder(int Ix, int Value) {
  if (Ix < 1 || Ix > FNrRows || Value < 1 || Value > FNrRows) return;
  FSortOrder[Ix - 1] = Value;
}

void TStringArray::Clear() {
  for (auto& col : FCells) std::fill(col.begin(), col.end(), 0u);
  for (int i = 0; i < FAllocRows; ++i) FSortOrder[i] = i + 1;
  std::fill(FRowAttrib.begin(), FRowAttrib.end(), 0);
  std::fill(FColAttrib.begin(), FColAttrib.end(), 0);
  InitStore();
}

void TStringArray::Fill(const std::string& Value) {
  if (Value.empty()) {
    Clear();
    return;
  }
  for (int c = 0; c <= FNrCols; ++c)
    for (int r = 1; r <= FNrRows; ++r) SetString(c, r, Value);
}

bool TStringArray::ColumnEmpty(int ACol) const {
  for (int r = 1; r <= FNrRows; ++r) {
    std::string s = GetString(ACol, r);
    if (s.find_first_not_of(' ') != std::string::npos) return false;
  }
  return true;
}

bool TStringArray::RowEmpty(int ARow) const {
  for (int c = 1; c <= FNrCols; ++c) {
    std::string s = GetString(c, ARow);
    if (s.find_first_not_of(' ') != std::string::npos) return false;
  }
  return true;
}

bool TStringArray::Find(const std::string& Text, bool MatchCase, bool Exact, int ColLow, int ColHigh,
                        int RowLow, int RowHigh, int& Col, int& Row) const {
  std::string t = MatchCase ? Text : LowerAscii(Text);
  if (!Exact && t.empty()) return false;
  if (ColLow == -1 || ColHigh == -1) {
    ColLow = 0;
    ColHigh = FNrCols;
  }
  if (RowLow == -1 && RowHigh == -1) {
    RowLow = 1;
    RowHigh = FNrRows;
  }
  ColLow = std::clamp(ColLow, 0, FNrCols);
  ColHigh = std::clamp(ColHigh, 0, FNrCols);
  RowLow = std::clamp(RowLow, 1, FNrRows);
  RowHigh = std::clamp(RowHigh, 1, FNrRows);
  if (ColLow > ColHigh) std::swap(ColLow, ColHigh);
  if (RowLow > RowHigh) std::swap(RowLow, RowHigh);
  for (int r = RowLow; r <= RowHigh; ++r) {
    for (int c = ColLow; c <= ColHigh; ++c) {
      std::string s = GetString(c, r);
      if (!MatchCase) s = LowerAscii(s);
      bool hit = Exact ? (s == t) : (s.find(t) != std::string::npos);
      if (hit) {
        Col = c;
        Row = r;
        return true;
      }
    }
  }
  return false;
}

bool TStringArray::FindCell(const std::string& Text, bool MatchCase, int ColLow, int ColHigh, int RowLow,
                            int RowHigh, int& Col, int& Row) const {
  return Find(Text, MatchCase, false, ColLow, ColHigh, RowLow, RowHigh, Col, Row);
}

bool TStringArray::FindCellExact(const std::string& Text, bool MatchCase, int ColLow, int ColHigh,
                                 int RowLow, int RowHigh, int& Col, int& Row) const {
  return Find(Text, MatchCase, true, ColLow, ColHigh, RowLow, RowHigh, Col, Row);
}

bool TStringArray::FindCellInSortedColumn(const std::string& Text, bool MatchCase, int ColIx, int RowLow,
                                          int RowHigh, bool Ascending, int& Row) const {
  std::string t = MatchCase ? Text : LowerAscii(Text);
  auto cell = [&](int r) { return MatchCase ? GetString(ColIx, r) : LowerAscii(GetString(ColIx, r)); };
  ColIx = std::clamp(ColIx, 0, FNrCols);
  if (RowLow == -1 && RowHigh == -1) {
    RowLow = 1;
    RowHigh = FNrRows;
  } else {
    RowLow = std::clamp(RowLow, 1, FNrRows);
    RowHigh = std::clamp(RowHigh, 1, FNrRows);
    if (RowLow > RowHigh) std::swap(RowLow, RowHigh);
  }
  int lo = RowLow, hi = RowHigh;
  bool found = false;
  while (lo <= hi && !found) {
    int mid = lo + (hi - lo) / 2;
    Row = mid;
    std::string s = cell(mid);
    if (s == t) {
      found = true;
    } else {
      bool before = t < s;
      if ((Ascending && before) || (!Ascending && !before))
        hi = mid - 1;
      else
        lo = mid + 1;
    }
  }
  if (found)
    while (Row > RowLow && cell(Row - 1) == t) --Row;
  return found;
}

void TStringArray::InsertRow(int ARow) {
  if (ARow < 1 || ARow > FNrRows) return;
  // The logical order is made physical first, so the rows keep the order shown.
  CommitSorting();
  int old = FNrRows;
  TNotifyEvent saved = std::move(OnChange);
  OnChange = nullptr;
  try {
    Resize(FNrCols, old + 1);
  } catch (...) {
    OnChange = std::move(saved);
    throw;
  }
  OnChange = std::move(saved);
  for (int c = 0; c <= FNrCols; ++c) {
    auto& col = FCells[c];
    std::move_backward(col.begin() + (ARow - 1), col.begin() + old, col.begin() + old + 1);
    col[ARow - 1] = 0;
  }
  std::move_backward(FRowAttrib.begin() + (ARow - 1), FRowAttrib.begin() + old, FRowAttrib.begin() + old + 1);
  FRowAttrib[ARow - 1] = 0;
  Changed();
}

void TStringArray::RemoveRow(int ARow) {
  if (ARow < 1 || ARow > FNrRows) return;
  if (FNrRows == 1) {
    for (int c = 0; c <= FNrCols; ++c) HandleRef(c, Phys(1)) = 0;
    FRowAttrib[Phys(1) - 1] = 0;
    Changed();
    return;
  }
  CommitSorting();
  for (int c = 0; c <= FNrCols; ++c) {
    auto& col = FCells[c];
    std::move(col.begin() + ARow, col.begin() + FNrRows, col.begin() + (ARow - 1));
    col[FNrRows - 1] = 0;
  }
  std::move(FRowAttrib.begin() + ARow, FRowAttrib.begin() + FNrRows, FRowAttrib.begin() + (ARow - 1));
  FRowAttrib[FNrRows - 1] = 0;
  Resize(FNrCols, FNrRows - 1);
}

void TStringArray::CopyRow(int Src, int Dst) {
  if (Src < 1 || Src > FNrRows || Dst < 1 || Dst > FNrRows) return;
  if (Src != Dst) {
    int ps = Phys(Src), pd = Phys(Dst);
    for (int c = 0; c <= FNrCols; ++c) {
      std::string s = TextOfHandle(Handle(c, ps));
      if (s.empty() && Handle(c, pd) == 0) continue;
      StoreText(c, pd, s);
    }
    FRowAttrib[pd - 1] = FRowAttrib[ps - 1];
  }
  Changed();
}

void TStringArray::BeforeSortExchange(const std::string& InString, std::string& OutString) {
  OutString = InString;
  if (OnBeforeSortExchange) OnBeforeSortExchange(this, InString, OutString);
}

void TStringArray::Sort(int ColIx, int Col2Ix, bool Ascending) {
  if (OnPercentDone) OnPercentDone(this, 0);
  const int n = FNrRows;
  if (n > 1) {
    // Sort keys by physical row.
    bool useSecond = Col2Ix >= 1;
    std::vector<std::string> key1(static_cast<size_t>(n) + 1), key2(useSecond ? static_cast<size_t>(n) + 1 : 0);
    for (int p = 1; p <= n; ++p) {
      std::string k;
      BeforeSortExchange(ColIx >= 0 && ColIx <= FNrCols ? TextOfHandle(Handle(ColIx, p)) : std::string(), k);
      key1[p] = LowerAscii(std::move(k));
      if (useSecond) {
        BeforeSortExchange(Col2Ix <= FNrCols ? TextOfHandle(Handle(Col2Ix, p)) : std::string(), k);
        key2[p] = LowerAscii(std::move(k));
      }
    }
    auto outOfOrder = [&](int pa, int pb) {
      int cmp = key1[pa].compare(key1[pb]);
      if (cmp == 0 && useSecond) cmp = key2[pa].compare(key2[pb]);
      return Ascending ? cmp > 0 : cmp < 0;
    };
    double total = 0;
    {
      int gap = n;
      do {
        gap = std::max(1, static_cast<int>(std::trunc(gap / 1.3)));
        total += n - gap;
      } while (gap > 1);
      total += n;
    }
    double comparisons = 0;
    int gap = n;
    bool swapped;
    do {
      gap = std::max(1, static_cast<int>(std::trunc(gap / 1.3)));
      swapped = false;
      for (int e = 1; e + gap <= n; ++e) {
        int& a = FSortOrder[e - 1];
        int& b = FSortOrder[e + gap - 1];
        if (outOfOrder(a, b)) {
          std::swap(a, b);
          swapped = true;
        }
      }
      comparisons += n - gap;
      if (OnPercentDone)
        OnPercentDone(this, static_cast<int>(std::min(100.0, std::round(100.0 * comparisons / total))));
    } while (gap > 1 || swapped);
    Changed();
  }
  if (OnPercentDone) OnPercentDone(this, 100);
}

void TStringArray::UnSort() {
  for (int i = 0; i < FAllocRows; ++i) FSortOrder[i] = i + 1;
  Changed();
}

void TStringArray::CommitSorting() {
  bool identity = true;
  for (int i = 0; i < FNrRows && identity; ++i) identity = FSortOrder[i] == i + 1;
  // An order that SetSortOrder left without being a permutation is dropped:
  // moving by it would give two cells the same string.
  bool permutation = true;
  if (!identity) {
    std::vector<bool> seen(static_cast<size_t>(FNrRows) + 1, false);
    for (int i = 0; i < FNrRows && permutation; ++i) {
      int p = FSortOrder[i];
      permutation = p >= 1 && p <= FNrRows && !seen[p];
      if (permutation) seen[p] = true;
    }
  }
  if (!identity && permutation) {
    std::vector<uint32_t> tmp(static_cast<size_t>(FNrRows));
    for (int c = 0; c <= FNrCols; ++c) {
      for (int i = 0; i < FNrRows; ++i) tmp[i] = FCells[c][FSortOrder[i] - 1];
      std::copy(tmp.begin(), tmp.end(), FCells[c].begin());
    }
    std::vector<uint8_t> attr(static_cast<size_t>(FNrRows));
    for (int i = 0; i < FNrRows; ++i) attr[i] = FRowAttrib[FSortOrder[i] - 1];
    std::copy(attr.begin(), attr.end(), FRowAttrib.begin());
  }
  for (int i = 0; i < FAllocRows; ++i) FSortOrder[i] = i + 1;
}

void TStringArray::GarbageCollection() {
  std::vector<std::vector<uint32_t*>> byPage(FPages.size());
  for (int c = 0; c <= FNrCols; ++c)
    for (int r = 1; r <= FNrRows; ++r) {
      uint32_t& h = HandleRef(c, r);
      if (h != 0 && (h >> 16) >= 1 && (h >> 16) <= FPages.size()) byPage[(h >> 16) - 1].push_back(&h);
    }
  std::vector<uint8_t> image(PageSize);
  for (size_t p = 0; p < FPages.size(); ++p) {
    uint8_t* data = FPages[p].Data.get();
    int pos = 1;
    for (uint32_t* h : byPage[p]) {
      const uint8_t* src = data + (*h & 0xFFFF) - 1;
      int len = src[0] + 1;
      std::memcpy(image.data() + pos - 1, src, static_cast<size_t>(len));
      *h = (static_cast<uint32_t>(p + 1) << 16) | static_cast<uint32_t>(pos);
      pos += len;
    }
    std::memcpy(data, image.data(), static_cast<size_t>(pos - 1));
    FPages[p].NextFree = pos;
  }
  FFirstFit.fill(0);
}

void TStringArray::Changed() {
  if (OnChange) OnChange(this);
}

int TStringArray::PageNextFree(int Page) const {
  if (Page < 1 || Page > NumPages()) return 0;
  return FPages[Page - 1].NextFree;
}

uint32_t TStringArray::CellHandle(int ACol, int ARow) const {
  if (ACol < 0 || ACol > FNrCols || ARow < 1 || ARow > FNrRows) return 0;
  return Handle(ACol, Phys(ARow));
}

void TStringArray::SwapContents(TStringArray& o) {
  std::swap(FNrCols, o.FNrCols);
  std::swap(FNrRows, o.FNrRows);
  std::swap(FAllocRows, o.FAllocRows);
  FPages.swap(o.FPages);
  FCells.swap(o.FCells);
  FRowAttrib.swap(o.FRowAttrib);
  FColAttrib.swap(o.FColAttrib);
  FSortOrder.swap(o.FSortOrder);
  std::swap(FFirstFit, o.FFirstFit);
}

void TStringArray::WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const {
  if (CreateHeader) WriteLn(F, "<?xml version=\"1.0\"?>");
  WriteLn(F, "");
  WriteLn(F, "<!-- TStringArray / ZOL Component Suite -->");
  WriteLn(F, RecordOpening("strarray", DataID));
  WriteLn(F, "  <numcols>" + std::to_string(FNrCols) + "</numcols>");
  WriteLn(F, "  <numrows>" + std::to_string(FNrRows) + "</numrows>");
  for (int c = 1; c <= FNrCols; ++c)
    if (FColAttrib[c - 1] != 0)
      WriteLn(F, "  <colattrib col=" + std::to_string(c) + " value=" + std::to_string(FColAttrib[c - 1]) + " />");
  for (int r = 1; r <= FNrRows; ++r)
    if (GetRowAttrib(r) != 0)
      WriteLn(F, "  <rowattrib row=" + std::to_string(r) + " value=" + std::to_string(GetRowAttrib(r)) + " />");
  std::string line;
  for (int r = 1; r <= FNrRows; ++r)
    for (int c = 0; c <= FNrCols; ++c) {
      std::string s = GetString(c, r);
      if (s.empty()) continue;
      line = "  <cell col=" + std::to_string(c) + " row=" + std::to_string(r) + ">";
      line += XmlEscape(s);
      line += "</cell>";
      WriteLn(F, line);
    }
  WriteLn(F, "</strarray>");
}

bool TStringArray::SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) { WriteToOpenXMLFile(F, true, DataID); });
}

bool TStringArray::ReadFromOpenXMLFile(TextFile& F, const std::string& DataID) {
  struct CellRec {
    int Col, Row;
    std::string Text;
  };
  try {
    std::string line;
    bool located = false;
    while (ReadLn(F, line)) {
      if (LineOpensRecord(line, "strarray", DataID)) {
        located = true;
        break;
      }
    }
    if (!located) return false;
    static const std::vector<std::string> tags = {"numcols", "numrows", "colattrib", "rowattrib",
                                                  "cell",    "/strarray", ""};
    int numCols = -1, numRows = -1;
    std::vector<CellRec> cells;
    std::vector<std::pair<int, int>> colAttr, rowAttr;
    std::string content, attrs;
    bool closed = false;
    while (!closed) {
      int ix = ReadNextTagInTextFile(F, tags, content, attrs);
      switch (ix) {
        case 0:
        case 1: {
          int v = 0;
          if (!ParseInt(content, v) || v < 1) return false;
          (ix == 0 ? numCols : numRows) = v;
          break;
        }
        case 2:
        case 3: {
          int i = 0, v = 0;
          if (!ParseInt(ScanForXMLAttrib(attrs, ix == 2 ? "col" : "row"), i) ||
              !ParseInt(ScanForXMLAttrib(attrs, "value"), v) || v < 0 || v > 255)
            return false;
          (ix == 2 ? colAttr : rowAttr).emplace_back(i, v);
          break;
        }
        case 4: {
          CellRec rec;
          if (!ParseInt(ScanForXMLAttrib(attrs, "col"), rec.Col) || !ParseInt(ScanForXMLAttrib(attrs, "row"), rec.Row))
            return false;
          rec.Text = XmlUnescape(content);
          cells.push_back(std::move(rec));
          break;
        }
        case 5:
          closed = true;
          break;
        default:
          if (Eof(F)) return false;  // truncated: the record never closed
          break;                     // an element of a later version: skipped
      }
    }
    if (numCols < 1 || numRows < 1) return false;
    // A table of many empty cells is stored compactly; refuse sizes that the
    // file cannot plausibly describe instead of allocating them.
    int64_t fileSize = std::max<int64_t>(0, FileSize(TextFileName(F)));
    int64_t handles = (static_cast<int64_t>(numCols) + 1) * numRows;
    if (handles > (int64_t(1) << 22) + 16 * fileSize) return false;
    for (const auto& rc : cells)
      if (rc.Col < 0 || rc.Col > numCols || rc.Row < 1 || rc.Row > numRows) return false;
    for (const auto& a : colAttr)
      if (a.first < 1 || a.first > numCols) return false;
    for (const auto& a : rowAttr)
      if (a.first < 1 || a.first > numRows) return false;
    TStringArray tmp(nullptr);
    tmp.SetAllocRowsBy(FAllocRowsBy);
    tmp.Resize(numCols, numRows);
    for (const auto& rc : cells)
      tmp.StoreText(rc.Col, rc.Row, rc.Text.size() > 255 ? Utf8Truncate(rc.Text, 255) : rc.Text);
    for (const auto& a : colAttr) tmp.FColAttrib[a.first - 1] = static_cast<uint8_t>(a.second);
    for (const auto& a : rowAttr) tmp.FRowAttrib[a.first - 1] = static_cast<uint8_t>(a.second);
    SwapContents(tmp);
    Changed();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TStringArray::LoadFromXMLFile(const std::string& FileName, const std::string& DataID) {
  return ReadRecordFile(FileName, [&](TextFile& F) { return ReadFromOpenXMLFile(F, DataID); });
}

// ==================================================================== TBitFld
TBitFld::TBitFld(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FBits.assign(static_cast<size_t>(FSize / 8 + 2), 0);
  } catch (const std::bad_alloc&) {
    throw EZOLDStructError(ComponentMsg("not enough memory on heap"));
  }
}

void TBitFld::MaskTail() {
  size_t last = static_cast<size_t>(FSize / 8);
  FBits[last] &= static_cast<uint8_t>((2u << (FSize % 8)) - 1);
  std::fill(FBits.begin() + last + 1, FBits.end(), 0);
}

void TBitFld::SetSize(int n) {
  if (n <= 0 || n == FSize) return;
  try {
    FBits.resize(static_cast<size_t>(n / 8 + 2), 0);
  } catch (const std::bad_alloc&) {
    throw EZOLDStructError(ComponentMsg("not enough memory on heap"));
  }
  FSize = n;
  MaskTail();
}

bool TBitFld::GetBit(int Ix) const {
  if (Ix < 0 || Ix > FSize) return false;
  return (FBits[Ix / 8] >> (Ix % 8)) & 1;
}

void TBitFld::SetBit(int Ix, bool Value) {
  if (Ix < 0 || Ix > FSize) return;
  uint8_t m = static_cast<uint8_t>(1u << (Ix % 8));
  if (Value)
    FBits[Ix / 8] |= m;
  else
    FBits[Ix / 8] &= static_cast<uint8_t>(~m);
}

void TBitFld::ToggleBit(int Ix) {
  if (Ix < 0 || Ix > FSize) return;
  FBits[Ix / 8] ^= static_cast<uint8_t>(1u << (Ix % 8));
}

void TBitFld::Clear() { std::fill(FBits.begin(), FBits.end(), 0); }

void TBitFld::Invert() {
  for (int i = 0; i <= FSize / 8; ++i) FBits[i] = static_cast<uint8_t>(~FBits[i]);
  MaskTail();
}

int TBitFld::CountTrueBits() const {
  // Bits above Size are always 0, so whole bytes can be counted.
  int n = 0;
  for (int i = 0; i <= FSize / 8; ++i) n += kBitCount.t[FBits[i]];
  return n;
}

int TBitFld::FirstTrueBit() const {
  for (int i = 0; i <= FSize / 8; ++i)
    if (FBits[i] != 0)
      for (int k = 0; k < 8; ++k)
        if ((FBits[i] >> k) & 1) return i * 8 + k;
  return -1;
}

void TBitFld::Clone(const TBitFld* Src) {
  if (!Src || Src == this) return;
  SetSize(Src->FSize);
  std::copy(Src->FBits.begin(), Src->FBits.end(), FBits.begin());
}

void TBitFld::CombineWith(const TBitFld* Src, TLogicOp Op) {
  if (!Src || Src->FSize != FSize) return;
  for (int i = 0; i <= FSize / 8; ++i) FBits[i] = CombineByte(FBits[i], Src->FBits[i], Op);
  MaskTail();
}

void TBitFld::MakeListOfBits(TIntArray& List, bool State) const {
  List.clear();
  int n = State ? CountTrueBits() : FSize + 1 - CountTrueBits();
  List.reserve(static_cast<size_t>(n));
  for (int i = 0; i <= FSize; ++i)
    if (GetBit(i) == State) List.push_back(i);
}

void TBitFld::RandomFillBits(int n) {
  auto draw = [this]() { return static_cast<int>(std::nearbyint(Random() * FSize)); };
  if (n > FSize / 2) {
    std::fill(FBits.begin(), FBits.end(), 0xFF);
    MaskTail();
    int toClear = FSize + 1 - n;  // Size + 1 bits exist: exactly n stay set
    while (toClear > 0) {
      int r = draw();
      if (GetBit(r)) {
        SetBit(r, false);
        --toClear;
      }
    }
  } else {
    Clear();
    int toSet = n;
    while (toSet > 0) {
      int r = draw();
      if (!GetBit(r)) {
        SetBit(r, true);
        --toSet;
      }
    }
  }
}

void TBitFld::RandomFill(double Percent) {
  if (!(Percent > 0)) Percent = 0;
  if (Percent > 100) Percent = 100;
  RandomFillBits(static_cast<int>(std::nearbyint(Percent / 100.0 * FSize)));
}

void TBitFld::RandomFill(int NumBits) { RandomFillBits(std::clamp(NumBits, 0, FSize)); }

// ==================================================================== TByteMatrix
TByteMatrix::TByteMatrix(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FData.assign(1, 0);
  } catch (const std::bad_alloc&) {
    throw EZOLDStructError(ComponentMsg("not enough memory on heap"));
  }
}

void TByteMatrix::SetNrCols(int n) { Resize(std::max(1, n), FNrRows); }

void TByteMatrix::SetNrRows(int n) { Resize(FNrCols, std::max(1, n)); }

bool TByteMatrix::Resize(int NrColumns, int NrRows) {
  if ((NrColumns == FNrCols && NrRows == FNrRows) || NrColumns < 1 || NrRows < 1) return false;
  std::vector<uint8_t> data;
  try {
    data.assign(static_cast<size_t>(NrColumns) * static_cast<size_t>(NrRows), 0);
  } catch (const std::bad_alloc&) {
    throw EZOLDStructError(ComponentMsg("not enough memory on heap"));
  } catch (const std::length_error&) {
    throw EZOLDStructError(ComponentMsg("not enough memory on heap"));
  }
  int kc = std::min(NrColumns, FNrCols), kr = std::min(NrRows, FNrRows);
  for (int r = 1; r <= kr; ++r)
    std::copy_n(FData.begin() + static_cast<std::ptrdiff_t>(Addr(1, r)), kc,
                data.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(r - 1) * NrColumns));
  FData.swap(data);
  FNrCols = NrColumns;
  FNrRows = NrRows;
  Changed();
  return true;
}

void TByteMatrix::Fill(uint8_t Value) {
  std::fill(FData.begin(), FData.end(), Value);
  Changed();
}

uint8_t TByteMatrix::GetByte(int Col, int Row) const { return Inside(Col, Row) ? FData[Addr(Col, Row)] : 0; }

void TByteMatrix::SetByte(int Col, int Row, uint8_t Value) {
  if (!Inside(Col, Row)) return;
  FData[Addr(Col, Row)] = Value;
  Changed();
}

bool TByteMatrix::GetBit(int Col, int Row, int Bit) const {
  if (!Inside(Col, Row) || Bit < 0 || Bit > 7) return false;
  return (FData[Addr(Col, Row)] >> Bit) & 1;
}

void TByteMatrix::SetBit(int Col, int Row, int Bit, bool Value) {
  if (!Inside(Col, Row) || Bit < 0 || Bit > 7) return;
  uint8_t m = static_cast<uint8_t>(1u << Bit);
  uint8_t& b = FData[Addr(Col, Row)];
  b = Value ? (b | m) : static_cast<uint8_t>(b & ~m);
  Changed();
}

void TByteMatrix::ToggleBit(int Col, int Row, int Bit) {
  if (!Inside(Col, Row) || Bit < 0 || Bit > 7) return;
  FData[Addr(Col, Row)] ^= static_cast<uint8_t>(1u << Bit);
  Changed();
}

void TByteMatrix::CombineWith(const TByteMatrix* Src, TLogicOp Op) {
  if (!Src || Src->FNrCols != FNrCols || Src->FNrRows != FNrRows) return;
  for (size_t i = 0; i < FData.size(); ++i) FData[i] = CombineByte(FData[i], Src->FData[i], Op);
}

void TByteMatrix::Changed() {
  if (OnChange) OnChange(this);
}

// ==================================================================== TFifo
TFifo::TFifo(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FRing.assign(static_cast<size_t>(FSize), 0);
  } catch (const std::bad_alloc&) {
    throw EZOLDStructError(ComponentMsg("FIFO structure too large"));
  }
}

void TFifo::SetSize(int n) {
  if (n <= 0 || n == FSize) return;
  int count = CountBytes();
  int keep = std::min(count, n - 1);
  std::vector<uint8_t> ring;
  try {
    ring.assign(static_cast<size_t>(n), 0);
  } catch (const std::bad_alloc&) {
    std::rethrow_exception(OutOfMemory());
  }
  for (int i = 0; i < keep; ++i) ring[i] = FRing[(FOutIx + (count - keep) + i) % FSize];
  FRing.swap(ring);
  FSize = n;
  FOutIx = 0;
  FInIx = keep;
}

int TFifo::CountBytes() const { return ((FInIx - FOutIx) % FSize + FSize) % FSize; }

bool TFifo::PutByte(uint8_t b) {
  if (CountBytes() >= FSize - 1) return false;
  FRing[FInIx] = b;
  FInIx = (FInIx + 1) % FSize;
  return true;
}

bool TFifo::ForceByte(uint8_t b) {
  if (FSize < 2) return false;
  bool discarded = false;
  if (CountBytes() >= FSize - 1) {
    FOutIx = (FOutIx + 1) % FSize;
    discarded = true;
  }
  FRing[FInIx] = b;
  FInIx = (FInIx + 1) % FSize;
  return discarded;
}

bool TFifo::GetByte(uint8_t& b) {
  if (FInIx == FOutIx) return false;
  b = FRing[FOutIx];
  FOutIx = (FOutIx + 1) % FSize;
  return true;
}

bool TFifo::LoadBack(uint8_t b) {
  if (CountBytes() >= FSize - 1) return false;
  FOutIx = (FOutIx - 1 + FSize) % FSize;
  FRing[FOutIx] = b;
  return true;
}

bool TFifo::SenseByte(int Ix, uint8_t& b) const {
  if (Ix < 0 || Ix >= CountBytes()) return false;
  b = FRing[(FOutIx + Ix) % FSize];
  return true;
}

void TFifo::Clear() {
  FInIx = 0;
  FOutIx = 0;
}

// ==================================================================== TRLEncoder
TRLEncoder::TRLEncoder(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FOut.reserve(static_cast<size_t>(4 * FBufLeng));
  } catch (const std::bad_alloc&) {
    throw EZOLDStructError(ComponentMsg("not enough memory on heap"));
  }
}

void TRLEncoder::SetBufLeng(int n) {
  n = std::max(1, n);
  if (n == FBufLeng) return;
  std::vector<uint8_t> out;
  try {
    out.reserve(4 * static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    throw EZOLDStructError(ComponentMsg("not enough memory on heap"));
  } catch (const std::length_error&) {
    throw EZOLDStructError(ComponentMsg("not enough memory on heap"));
  }
  FOut.swap(out);
  FOutStart = 0;
  FBufLeng = n;
}

void TRLEncoder::Compact() {
  if (FOutStart > 0 && FOutStart >= FOut.size() / 2) {
    FOut.erase(FOut.begin(), FOut.begin() + static_cast<std::ptrdiff_t>(FOutStart));
    FOutStart = 0;
  }
}

void TRLEncoder::EmitRun() {
  if (FRunCount == 1 && FRunByte != LeadIn) {
    Emit(FRunByte);
  } else if (FRunCount == 2 && FRunByte != LeadIn) {
    Emit(FRunByte);
    Emit(FRunByte);
  } else if (FRunCount > 0) {
    Emit(LeadIn);
    Emit(static_cast<uint8_t>(FRunCount));
    Emit(FRunByte);
  }
  FRunCount = 0;
}

bool TRLEncoder::Encode(const uint8_t* InBuf, int NumBytes) {
  if (InBuf)
    for (int i = 0; i < NumBytes; ++i) {
      uint8_t b = InBuf[i];
      if (FRunCount == 0) {
        FRunByte = b;
        FRunCount = 1;
      } else if (b == FRunByte) {
        if (++FRunCount == 255) {
          Emit(LeadIn);
          Emit(255);
          Emit(b);
          FRunCount = 0;
        }
      } else {
        EmitRun();
        FRunByte = b;
        FRunCount = 1;
      }
    }
  return Waiting() >= FBufLeng;
}

bool TRLEncoder::Encode(const TBytes& InBuf, int NumBytes) {
  return Encode(InBuf.data(), std::clamp(NumBytes, 0, static_cast<int>(InBuf.size())));
}

void TRLEncoder::GetResult(TBytes& OutBuf) {
  if (Waiting() < FBufLeng) return;
  OutBuf.assign(FOut.begin() + static_cast<std::ptrdiff_t>(FOutStart),
                FOut.begin() + static_cast<std::ptrdiff_t>(FOutStart) + FBufLeng);
  FOutStart += static_cast<size_t>(FBufLeng);
  Compact();
}

int TRLEncoder::Finish(TBytes& OutBuf) {
  if (FRunCount > 0) {
    Emit(LeadIn);
    Emit(static_cast<uint8_t>(FRunCount));
    Emit(FRunByte);
    FRunCount = 0;
  }
  int n = std::min(Waiting(), FBufLeng);
  OutBuf.assign(FOut.begin() + static_cast<std::ptrdiff_t>(FOutStart),
                FOut.begin() + static_cast<std::ptrdiff_t>(FOutStart) + n);
  FOutStart += static_cast<size_t>(n);
  Compact();
  return n;
}

bool TRLEncoder::Decode(uint8_t b) {
  switch (FDecState) {
    case rlData:
      if (b == LeadIn)
        FDecState = rlLeadin;
      else
        Emit(b);
      break;
    case rlLeadin:
      FDecCount = b;
      FDecState = rlCnt;
      break;
    case rlCnt:
      FOut.insert(FOut.end(), static_cast<size_t>(FDecCount), b);
      FDecState = rlData;
      break;
  }
  return Waiting() >= FBufLeng;
}

void TRLEncoder::Reset() {
  FOut.clear();
  FOutStart = 0;
  FRunCount = 0;
  FRunByte = 0;
  FDecState = rlData;
  FDecCount = 0;
}

// ==================================================================== TVariant
TVariant TVariant::CurrencyUnits(int64_t TenThousandths) {
  TVariant r;
  r.FKind = vkCurrency;
  r.FInt = TenThousandths;
  return r;
}

TVariant TVariant::Currency(double v) {
  TVariant r;
  r.FKind = vkCurrency;
  double scaled = std::nearbyint(v * 10000.0);
  if (!(scaled > -9.2e18)) scaled = -9.2e18;
  if (scaled > 9.2e18) scaled = 9.2e18;
  r.FInt = static_cast<int64_t>(scaled);
  return r;
}

std::string TVariant::AsString() const {
  switch (FKind) {
    case vkNull: return std::string();
    case vkShortInt:
    case vkSmallInt:
    case vkInteger:
    case vkInt64: return std::to_string(FInt);
    case vkByte:
    case vkWord:
    case vkLongWord:
    case vkUInt64: return std::to_string(FUInt);
    case vkSingle: return ShortestText(FSingle);
    case vkDouble: return ShortestText(FDouble);
    case vkCurrency: {
      uint64_t a = FInt < 0 ? static_cast<uint64_t>(-(FInt + 1)) + 1 : static_cast<uint64_t>(FInt);
      std::string s = (FInt < 0 ? "-" : "") + std::to_string(a / 10000);
      unsigned frac = static_cast<unsigned>(a % 10000);
      if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, ".%04u", frac);
        std::string f(buf);
        while (f.back() == '0') f.pop_back();
        s += f;
      }
      return s;
    }
    case vkBoolean: return FInt ? "True" : "False";
    case vkString: return FStr;
  }
  return std::string();
}

long double TVariant::AsExtended() const {
  switch (FKind) {
    case vkShortInt:
    case vkSmallInt:
    case vkInteger:
    case vkInt64:
    case vkBoolean: return static_cast<long double>(FInt);
    case vkByte:
    case vkWord:
    case vkLongWord:
    case vkUInt64: return static_cast<long double>(FUInt);
    case vkSingle: return FSingle;
    case vkDouble: return FDouble;
    case vkCurrency: return static_cast<long double>(FInt) / 10000.0L;
    default: return 0;
  }
}

int64_t TVariant::AsInt64() const {
  switch (FKind) {
    case vkShortInt:
    case vkSmallInt:
    case vkInteger:
    case vkInt64:
    case vkBoolean: return FInt;
    case vkByte:
    case vkWord:
    case vkLongWord:
    case vkUInt64: return FUInt > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(FUInt);
    case vkCurrency: return FInt / 10000;
    case vkSingle:
    case vkDouble: {
      long double v = std::trunc(AsExtended());
      if (!(v > -9.2e18L)) return v != v ? 0 : INT64_MIN;
      if (v > 9.2e18L) return INT64_MAX;
      return static_cast<int64_t>(v);
    }
    default: return 0;
  }
}

bool TVariant::AsBoolean() const {
  if (FKind == vkString) {
    if (SameText(FStr, "true")) return true;
    double v = 0;
    return ParseDecimalNumber(FStr, v) && v != 0;
  }
  if (FKind == vkUInt64 || FKind == vkByte || FKind == vkWord || FKind == vkLongWord) return FUInt != 0;
  if (FKind == vkSingle) return FSingle != 0;
  if (FKind == vkDouble) return FDouble != 0;
  return FInt != 0;
}

bool TVariant::operator==(const TVariant& o) const {
  if (FKind != o.FKind) return false;
  switch (FKind) {
    case vkNull: return true;
    case vkByte:
    case vkWord:
    case vkLongWord:
    case vkUInt64: return FUInt == o.FUInt;
    case vkSingle: return FSingle == o.FSingle;
    case vkDouble: return FDouble == o.FDouble;
    case vkString: return FStr == o.FStr;
    default: return FInt == o.FInt;
  }
}

// ==================================================================== TAssocArray
TAssocArray::TAssocArray(TComponent* AOwner) : TComponent(AOwner) {
  FKeys.reserve(static_cast<size_t>(FGranularity));
  FValues.reserve(static_cast<size_t>(FGranularity));
}

void TAssocArray::SetGranularity(int v) { FGranularity = std::max(1, v); }

int TAssocArray::IndexOfKey(const std::string& Key) const {
  if (FIgnoreCase) {
    std::string k = LowerAscii(Key);
    for (size_t i = 0; i < FKeys.size(); ++i)
      if (FKeys[i].size() == k.size() && LowerAscii(FKeys[i]) == k) return static_cast<int>(i);
  } else {
    for (size_t i = 0; i < FKeys.size(); ++i)
      if (FKeys[i] == Key) return static_cast<int>(i);
  }
  return -1;
}

void TAssocArray::Grow() {
  if (FKeys.size() == FKeys.capacity()) {
    FKeys.reserve(FKeys.size() + static_cast<size_t>(FGranularity));
    FValues.reserve(FKeys.size() + static_cast<size_t>(FGranularity));
  }
}

void TAssocArray::Add(const std::string& Key, const TVariant& Value) {
  int i = IndexOfKey(Key);
  if (i >= 0) {
    FValues[i] = Value;
    return;
  }
  Grow();
  FKeys.push_back(FIgnoreCase ? LowerAscii(Key) : Key);
  FValues.push_back(Value);
}

TVariant TAssocArray::Resolve(const std::string& Key) const {
  int i = IndexOfKey(Key);
  return i >= 0 ? FValues[i] : TVariant();
}

std::string TAssocArray::ResolveAsString(const std::string& Key) const { return Resolve(Key).AsString(); }

long double TAssocArray::ResolveAsNumber(const std::string& Key) const {
  TVariant v = Resolve(Key);
  if (v.IsNumeric()) return v.AsExtended();
  if (v.IsString()) return ScanNumberText(v.StrValue());
  return 0;
}

bool TAssocArray::Remove(const std::string& Key) {
  int i = IndexOfKey(Key);
  if (i < 0) return false;
  size_t last = FKeys.size() - 1;
  if (static_cast<size_t>(i) != last) {
    FKeys[i] = std::move(FKeys[last]);
    FValues[i] = std::move(FValues[last]);
  }
  FKeys.pop_back();
  FValues.pop_back();
  return true;
}

void TAssocArray::Clear() {
  std::vector<std::string>().swap(FKeys);
  std::vector<TVariant>().swap(FValues);
  FKeys.reserve(static_cast<size_t>(FGranularity));
  FValues.reserve(static_cast<size_t>(FGranularity));
}

std::string TAssocArray::GetKeys(int Ix) const {
  if (Ix < 1 || Ix > NumEntries()) return std::string();
  return FKeys[Ix - 1];
}

void TAssocArray::SetKeys(int Ix, const std::string& Key) {
  if (Ix < 1 || Ix > NumEntries()) return;
  FKeys[Ix - 1] = Key;
}

TVariant TAssocArray::GetValues(int Ix) const {
  if (Ix < 1 || Ix > NumEntries()) return TVariant(std::string());
  return FValues[Ix - 1];
}

void TAssocArray::SetValues(int Ix, const TVariant& Value) {
  if (Ix < 1 || Ix > NumEntries()) return;
  FValues[Ix - 1] = Value;
}

namespace {

// Text of a value in an assoc element.
std::string ValueText(const TVariant& v) {
  switch (v.Kind()) {
    case vkNull: return std::string();
    case vkBoolean: return v.AsBoolean() ? "true" : "false";
    case vkString: return XmlEscape(v.StrValue());
    default: return v.AsString();
  }
}

bool ParseCurrency(const std::string& text, TVariant& out) {
  std::string s = StripBlanks(text);
  size_t dot = s.find('.');
  std::string ip = s.substr(0, dot), fp = dot == std::string::npos ? "" : s.substr(dot + 1);
  if (fp.size() > 4 || (dot != std::string::npos && fp.empty())) return false;
  bool neg = !ip.empty() && ip[0] == '-';
  if (neg) ip.erase(0, 1);
  int64_t whole = 0;
  if (ip.empty() || ip[0] == '+' || ip[0] == '-' || !ParseInt(ip, whole)) return false;
  int64_t frac = 0;
  if (!fp.empty()) {
    if (fp[0] == '+' || fp[0] == '-' || !ParseInt(fp, frac)) return false;
    for (size_t i = fp.size(); i < 4; ++i) frac *= 10;
  }
  if (whole > (INT64_MAX - frac) / 10000) return false;
  int64_t v = whole * 10000 + frac;
  out = TVariant::CurrencyUnits(neg ? -v : v);
  return true;
}

bool ParseValue(int kind, const std::string& text, TVariant& out) {
  switch (kind) {
    case vkNull: out = TVariant(); return StripBlanks(text).empty();
    case vkShortInt:
    case vkSmallInt:
    case vkInteger:
    case vkInt64: {
      int64_t v = 0;
      if (!ParseInt(text, v)) return false;
      if (kind == vkShortInt) {
        if (v < INT8_MIN || v > INT8_MAX) return false;
        out = TVariant(static_cast<signed char>(v));
      } else if (kind == vkSmallInt) {
        if (v < INT16_MIN || v > INT16_MAX) return false;
        out = TVariant(static_cast<short>(v));
      } else if (kind == vkInteger) {
        if (v < INT32_MIN || v > INT32_MAX) return false;
        out = TVariant(static_cast<int>(v));
      } else {
        out = TVariant(static_cast<long long>(v));
      }
      return true;
    }
    case vkByte:
    case vkWord:
    case vkLongWord:
    case vkUInt64: {
      std::string s = StripBlanks(text);
      uint64_t v = 0;
      if (s.empty() || s[0] == '-' || !ParseInt(s, v)) return false;
      if (kind == vkByte) {
        if (v > UINT8_MAX) return false;
        out = TVariant(static_cast<unsigned char>(v));
      } else if (kind == vkWord) {
        if (v > UINT16_MAX) return false;
        out = TVariant(static_cast<unsigned short>(v));
      } else if (kind == vkLongWord) {
        if (v > UINT32_MAX) return false;
        out = TVariant(static_cast<unsigned>(v));
      } else {
        out = TVariant(static_cast<unsigned long long>(v));
      }
      return true;
    }
    case vkSingle:
    case vkDouble: {
      std::string s = StripBlanks(text);
      if (s.empty()) return false;
      const char* b = s.data();
      const char* e = s.data() + s.size();
      if (kind == vkSingle) {
        float f = 0;
        auto res = std::from_chars(b, e, f);
        if (res.ec != std::errc() || res.ptr != e) return false;
        out = TVariant(f);
      } else {
        double d = 0;
        auto res = std::from_chars(b, e, d);
        if (res.ec != std::errc() || res.ptr != e) return false;
        out = TVariant(d);
      }
      return true;
    }
    case vkCurrency: return ParseCurrency(text, out);
    case vkBoolean: {
      std::string s = LowerAscii(StripBlanks(text));
      if (s != "true" && s != "false") return false;
      out = TVariant(s == "true");
      return true;
    }
    case vkString: out = TVariant(XmlUnescape(text)); return true;
  }
  return false;
}

}  // namespace

void TAssocArray::WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const {
  if (CreateHeader) WriteLine(Stream, "<?xml version=\"1.0\"?>");
  WriteLine(Stream, "");
  WriteLine(Stream, "<!-- TAssocArray / ZOL Component Suite -->");
  WriteLine(Stream, RecordOpening("assocarray", DataID));
  WriteLine(Stream, "  <numentries>" + std::to_string(NumEntries()) + "</numentries>");
  for (size_t i = 0; i < FKeys.size(); ++i)
    WriteLine(Stream, "  <assoc key=\"" + XmlEscape(FKeys[i]) + "\" kind=\"" + xmlVariantKind[FValues[i].Kind()] +
                          "\">" + ValueText(FValues[i]) + "</assoc>");
  WriteLine(Stream, "</assocarray>");
}

bool TAssocArray::ReadFromXMLStream(TStream& Stream, const std::string& DataID) {
  try {
    if (!LocateRecordInStream(Stream, "assocarray", DataID)) return false;
    static const std::vector<std::string> tags = {"numentries", "assoc", "/assocarray", ""};
    std::vector<std::pair<std::string, TVariant>> entries;
    int64_t declared = -1;
    std::string content, attrs;
    bool closed = false;
    while (!closed) {
      int ix = ReadNextTagInStream(Stream, tags, content, attrs);
      switch (ix) {
        case 0:
          if (declared >= 0 || !ParseInt(content, declared) || declared < 0) return false;
          break;
        case 1: {
          int kind = XmlTableIndex(xmlVariantKind, ScanForXMLAttrib(attrs, "kind"));
          TVariant v;
          if (kind < 0 || !ParseValue(kind, content, v)) return false;
          entries.emplace_back(XmlUnescape(ScanForXMLAttrib(attrs, "key")), std::move(v));
          break;
        }
        case 2:
          closed = true;
          break;
        default:
          if (StreamAtEnd(Stream)) return false;  // truncated
          break;
      }
    }
    if (declared != static_cast<int64_t>(entries.size())) return false;
    std::vector<std::string> oldKeys;
    std::vector<TVariant> oldValues;
    FKeys.swap(oldKeys);
    FValues.swap(oldValues);
    try {
      Clear();
      for (auto& e : entries) Add(e.first, e.second);
    } catch (...) {
      FKeys.swap(oldKeys);
      FValues.swap(oldValues);
      throw;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int TAssocArray::AddXMLAttributes(const std::string& AttrText) {
  int added = 0;
  size_t i = 0;
  const size_t n = AttrText.size();
  while (i < n) {
    // name
    std::string name;
    while (i < n && AttrText[i] != '=' && AttrText[i] != '"') name += AttrText[i++];
    if (i >= n || AttrText[i] == '"') break;  // no value / syntax error
    ++i;                                        // '='
    name = Trim(name);
    while (i < n && AttrText[i] == ' ') ++i;
    std::string value;
    bool quoted = false;
    if (i < n && AttrText[i] == '"') {
      quoted = true;
      ++i;
      while (i < n && AttrText[i] != '"') value += AttrText[i++];
      if (i < n) ++i;
    } else {
      if (i < n && AttrText[i] == '=') break;
      bool error = false;
      while (i < n && AttrText[i] != ' ' && AttrText[i] != '"') {
        if (AttrText[i] == '=') {
          error = true;
          break;
        }
        value += AttrText[i++];
      }
      if (error) break;
      if (i < n) ++i;
    }
    if (name.empty()) break;
    if (quoted) {
      Add(name, TVariant(XmlUnescape(value)));
    } else {
      int64_t iv = 0;
      double dv = 0;
      if (ParseInt(value, iv))
        Add(name, TVariant(static_cast<long long>(iv)));
      else if (value.find_first_of("0123456789") != std::string::npos && ParseDecimalNumber(value, dv) &&
               std::isfinite(dv))
        Add(name, TVariant(dv));
      else
        Add(name, TVariant(XmlUnescape(value)));
    }
    ++added;
  }
  return added;
}

// ==================================================================== checksums
uint32_t CalcNextCRC32(uint8_t b, uint32_t crc) { return kCRC32.t[0][(crc ^ b) & 0xFF] ^ (crc >> 8); }

namespace {
// Slicing by 8: eight bytes per step, one table lookup each.
uint32_t CRC32UpdatePortable(uint32_t crc, const uint8_t* p, size_t n) {
  const auto& t = kCRC32.t;
  while (n >= 8) {
    uint32_t lo = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][p[4]] ^
          t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    p += 8;
    n -= 8;
  }
  while (n--) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc;
}

#if ZOL_X86_SIMD
// Folding with carry-less multiplication (Gopal et al., "Fast CRC Computation
// for Generic Polynomials Using PCLMULQDQ Instruction", Intel 2009).
//
// The bits are reflected: in a 128-bit lane, bit k is the coefficient of
// x^(127-k), so the low quadword holds the high-degree half H and the value is
// H*x^64 + L.  Moving a lane D bits further along the message multiplies it by
// x^D; with K1 = x^(64+D-1) mod P and K2 = x^(D-1) mod P (as reflected
// quadwords) clmul(H, K1) ^ clmul(L, K2) is congruent to it (a carry-less
// product of two reflected quadwords is the reflected product times x).  The
// folded 16 bytes are then run through the table code, which does the final
// reduction; no Barrett step is needed.
constexpr uint64_t CRC32FoldConstant(int e) {
  // x^e mod P (P = 104C11DB7, unreflected), written reflected into a quadword:
  // the coefficient of x^d goes to bit 63 - d.
  uint64_t r = 1;
  for (int i = 0; i < e; ++i) {
    r <<= 1;
    if (r & 0x100000000ull) r ^= 0x104C11DB7ull;
  }
  uint64_t q = 0;
  for (int d = 0; d < 32; ++d)
    if (r >> d & 1) q |= uint64_t(1) << (63 - d);
  return q;
}
constexpr uint64_t kFold512H = CRC32FoldConstant(64 + 512 - 1), kFold512L = CRC32FoldConstant(512 - 1);
constexpr uint64_t kFold128H = CRC32FoldConstant(64 + 128 - 1), kFold128L = CRC32FoldConstant(128 - 1);

__attribute__((target("pclmul,sse2"))) inline __m128i CRC32Fold(__m128i x, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

__attribute__((target("pclmul,sse2"))) uint32_t CRC32UpdateCLMUL(uint32_t crc, const uint8_t* p, size_t n) {
  if (n < 64) return CRC32UpdatePortable(crc, p, n);
  auto load = [](const uint8_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
  // The running CRC enters as the first four message bytes XORed with it.
  __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x1 = load(p + 16), x2 = load(p + 32), x3 = load(p + 48);
  p += 64;
  n -= 64;
  const __m128i k512 = _mm_set_epi64x(static_cast<long long>(kFold512L), static_cast<long long>(kFold512H));
  while (n >= 64) {
    x0 = _mm_xor_si128(CRC32Fold(x0, k512), load(p));
    x1 = _mm_xor_si128(CRC32Fold(x1, k512), load(p + 16));
    x2 = _mm_xor_si128(CRC32Fold(x2, k512), load(p + 32));
    x3 = _mm_xor_si128(CRC32Fold(x3, k512), load(p + 48));
    p += 64;
    n -= 64;
  }
  const __m128i k128 = _mm_set_epi64x(static_cast<long long>(kFold128L), static_cast<long long>(kFold128H));
  __m128i x = _mm_xor_si128(CRC32Fold(x0, k128), x1);
  x = _mm_xor_si128(CRC32Fold(x, k128), x2);
  x = _mm_xor_si128(CRC32Fold(x, k128), x3);
  while (n >= 16) {
    x = _mm_xor_si128(CRC32Fold(x, k128), load(p));
    p += 16;
    n -= 16;
  }
  alignas(16) uint8_t folded[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(folded), x);
  return CRC32UpdatePortable(CRC32UpdatePortable(0, folded, 16), p, n);
}
#endif

uint32_t CRC32Update(uint32_t crc, const uint8_t* p, size_t n) {
#if ZOL_X86_SIMD
  if (n >= 64 && CPUHas(cfPCLMULQDQ) && CPUHas(cfSSE2)) return CRC32UpdateCLMUL(crc, p, n);
#endif
  return CRC32UpdatePortable(crc, p, n);
}
}  // namespace

uint32_t CRC32ofBuffer(const void* Buf, size_t NumBytes) {
  if (!Buf) return 0;
  return ~CRC32Update(0xFFFFFFFFu, static_cast<const uint8_t*>(Buf), NumBytes);
}

uint32_t CRC32ofBuffer(const TBytes& Buf, int NumBytes) {
  return CRC32ofBuffer(Buf.data(), static_cast<size_t>(std::clamp(NumBytes, 0, static_cast<int>(Buf.size()))));
}

bool CalcCRC32ofFile(const std::string& FileName, uint32_t& CRC) {
  CRC = 0;
  try {
    if (DirectoryExists(FileName)) return false;
    TFileStream fs(FileName, fmOpenRead | fmShareDenyNone);
    uint8_t buf[4096];
    uint32_t crc = 0xFFFFFFFFu;
    for (;;) {
      int64_t n = fs.Read(buf, sizeof buf);
      if (n < 0) return false;
      if (n == 0) break;
      crc = CRC32Update(crc, buf, static_cast<size_t>(n));
    }
    CRC = ~crc;
    return true;
  } catch (...) {
    CRC = 0;
    return false;
  }
}

uint32_t CalcCRC32ofFile(const std::string& FileName) {
  uint32_t crc = 0;
  CalcCRC32ofFile(FileName, crc);
  return crc;
}

uint16_t CalcNextCRC16(uint8_t b, uint16_t crc) {
  return static_cast<uint16_t>(kCRC16.t[0][((crc >> 8) ^ b) & 0xFF] ^ (crc << 8));
}

uint16_t CRC16ofBuffer(const void* Buf, size_t NumBytes, TCRC16Mode Mode) {
  const uint8_t* p = static_cast<const uint8_t*>(Buf);
  uint16_t crc = Mode == crcCCITT ? 0xFFFF : 0;
  if (!p) return crc;
  // Slicing by 8: the CRC enters the first two bytes, each byte of the group
  // is advanced past the bytes after it by its own table.
  const auto& t = kCRC16.t;
  size_t n = NumBytes;
  while (n >= 8) {
    crc = static_cast<uint16_t>(t[7][p[0] ^ (crc >> 8)] ^ t[6][p[1] ^ (crc & 0xFF)] ^ t[5][p[2]] ^ t[4][p[3]] ^
                                t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
    p += 8;
    n -= 8;
  }
  while (n--) crc = CalcNextCRC16(*p++, crc);
  return crc;
}

uint16_t CRC16ofBuffer(const TBytes& Buf, int NumBytes, TCRC16Mode Mode) {
  return CRC16ofBuffer(Buf.data(), static_cast<size_t>(std::clamp(NumBytes, 0, static_cast<int>(Buf.size()))),
                       Mode);
}

// ---------------------------------------------------------------- ASCII85
void EncodeASCII85(TStream& InStream, TStream& OutStream) {
  std::string out;
  out.reserve(4096 + 8);
  auto flush = [&]() {
    if (!out.empty()) OutStream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
    out.clear();
  };
  auto group = [&](const uint8_t* g, int c) {
    uint64_t v = 0;
    for (int i = 0; i < c; ++i) v = (v << 8) | g[i];
    if (c == 4 && v == 0) {
      out += 'z';
    } else {
      char d[5];
      for (int i = c; i >= 0; --i) {
        d[i] = static_cast<char>(v % 85 + 33);
        v /= 85;
      }
      out.append(d, static_cast<size_t>(c + 1));
    }
    if (out.size() >= 4096) flush();
  };
  uint8_t buf[4096 + 4];
  int pending = 0;
  for (;;) {
    int64_t n = InStream.Read(buf + pending, 4096);
    if (n <= 0) break;
    int avail = pending + static_cast<int>(n);
    int i = 0;
    for (; i + 4 <= avail; i += 4) group(buf + i, 4);
    pending = avail - i;
    std::memmove(buf, buf + i, static_cast<size_t>(pending));
  }
  if (pending > 0) group(buf, pending);
  out += "~>";
  flush();
}

int DecodeASCII85(TStream& InStream, TStream& OutStream) {
  int result = 0;
  std::string out;
  int g[5];
  int k = 0;
  auto flushOut = [&]() {
    if (!out.empty()) OutStream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
    out.clear();
  };
  auto endGroup = [&]() {
    if (k >= 2) {
      int64_t v = 0;
      for (int i = 0; i < k; ++i) v = v * 85 + g[i];
      uint64_t u = static_cast<uint64_t>(v);
      for (int i = k - 2; i >= 0; --i) out += static_cast<char>((u >> (8 * i)) & 0xFF);
    }
    k = 0;
    if (out.size() >= 4096) flushOut();
  };
  uint8_t buf[4096];
  bool done = false;
  while (!done) {
    int64_t n = InStream.Read(buf, sizeof buf);
    if (n <= 0) break;
    for (int64_t i = 0; i < n && !done; ++i) {
      uint8_t c = buf[i];
      if (c == 13 || c == 10) continue;
      if (c == '~') {
        done = true;
        break;
      }
      if (k == 0 && c == 'z') {
        out.append(4, '\0');
        if (out.size() >= 4096) flushOut();
        continue;
      }
      if (c == 'z')
        result = -2;
      else if (c < '!' || c > 'u')
        result = -1;
      g[k++] = static_cast<int>(c) - 33;
      if (k == 5) endGroup();
    }
  }
  endGroup();
  flushOut();
  return result;
}

// ---------------------------------------------------------------- SHA-1
namespace {
inline uint32_t Rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
}  // namespace

void TSHA1Context::Init() {
  FState[0] = 0x67452301u;
  FState[1] = 0xEFCDAB89u;
  FState[2] = 0x98BADCFEu;
  FState[3] = 0x10325476u;
  FState[4] = 0xC3D2E1F0u;
  FLength = 0;
  FBufLen = 0;
}

namespace {
// The portable compression function: Blocks blocks of 64 bytes.
void SHA1BlocksPortable(uint32_t* State, const uint8_t* p, size_t Blocks) {
  for (; Blocks; --Blocks, p += 64) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
      w[i] = (uint32_t(p[4 * i]) << 24) | (uint32_t(p[4 * i + 1]) << 16) | (uint32_t(p[4 * i + 2]) << 8) |
             uint32_t(p[4 * i + 3]);
    for (int i = 16; i < 80; ++i) w[i] = Rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = State[0], b = State[1], c = State[2], d = State[3], e = State[4];
    auto step = [&](uint32_t f, uint32_t k, uint32_t wi) {
      uint32_t t = Rol(a, 5) + f + e + k + wi;
      e = d;
      d = c;
      c = Rol(b, 30);
      b = a;
      a = t;
    };
    for (int i = 0; i < 20; ++i) step((b & c) | (~b & d), 0x5A827999u, w[i]);
    for (int i = 20; i < 40; ++i) step(b ^ c ^ d, 0x6ED9EBA1u, w[i]);
    for (int i = 40; i < 60; ++i) step((b & c) | (b & d) | (c & d), 0x8F1BBCDCu, w[i]);
    for (int i = 60; i < 80; ++i) step(b ^ c ^ d, 0xCA62C1D6u, w[i]);
    State[0] += a;
    State[1] += b;
    State[2] += c;
    State[3] += d;
    State[4] += e;
  }
}

#if ZOL_X86_SIMD
// The compression function on the processor's SHA extensions.  The register
// abcd holds A..D with A in the top lane; e carries E (top lane) plus the
// next four message words.  Each sha1rnds4 does four rounds; the message words
// of group g (g >= 4) are msg2(msg1(W[g-4], W[g-3]) ^ W[g-2], W[g-1]).
__attribute__((target("sha,sse4.1"))) void SHA1BlocksSHANI(uint32_t* State, const uint8_t* p, size_t Blocks) {
  const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090A0B0C0D0E0FLL);
  __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(State)), 0x1B);
  __m128i e0 = _mm_set_epi32(static_cast<int>(State[4]), 0, 0, 0);
  for (; Blocks; --Blocks, p += 64) {
    const __m128i abcdSave = abcd, eSave = e0;
    __m128i w0 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), byteSwap);
    __m128i w1 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), byteSwap);
    __m128i w2 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), byteSwap);
    __m128i w3 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)), byteSwap);
    __m128i prev = abcd, e;
    // rounds 0-3
    e = _mm_add_epi32(e0, w0);
    abcd = _mm_sha1rnds4_epu32(abcd, e, 0);
#define ZOL_SHA1_GROUP(F, W)              \
  e = _mm_sha1nexte_epu32(prev, W);       \
  prev = abcd;                            \
  abcd = _mm_sha1rnds4_epu32(abcd, e, F);
#define ZOL_SHA1_NEXT(A, B, C, D) A = _mm_sha1msg2_epu32(_mm_xor_si128(_mm_sha1msg1_epu32(A, B), C), D);
    ZOL_SHA1_GROUP(0, w1)  // rounds 4-7
    ZOL_SHA1_GROUP(0, w2)
    ZOL_SHA1_GROUP(0, w3)
    ZOL_SHA1_NEXT(w0, w1, w2, w3) ZOL_SHA1_GROUP(0, w0)  // rounds 16-19
    ZOL_SHA1_NEXT(w1, w2, w3, w0) ZOL_SHA1_GROUP(1, w1)  // rounds 20-23
    ZOL_SHA1_NEXT(w2, w3, w0, w1) ZOL_SHA1_GROUP(1, w2)
    ZOL_SHA1_NEXT(w3, w0, w1, w2) ZOL_SHA1_GROUP(1, w3)
    ZOL_SHA1_NEXT(w0, w1, w2, w3) ZOL_SHA1_GROUP(1, w0)
    ZOL_SHA1_NEXT(w1, w2, w3, w0) ZOL_SHA1_GROUP(1, w1)
    ZOL_SHA1_NEXT(w2, w3, w0, w1) ZOL_SHA1_GROUP(2, w2)  // rounds 40-43
    ZOL_SHA1_NEXT(w3, w0, w1, w2) ZOL_SHA1_GROUP(2, w3)
    ZOL_SHA1_NEXT(w0, w1, w2, w3) ZOL_SHA1_GROUP(2, w0)
    ZOL_SHA1_NEXT(w1, w2, w3, w0) ZOL_SHA1_GROUP(2, w1)
    ZOL_SHA1_NEXT(w2, w3, w0, w1) ZOL_SHA1_GROUP(2, w2)
    ZOL_SHA1_NEXT(w3, w0, w1, w2) ZOL_SHA1_GROUP(3, w3)  // rounds 60-63
    ZOL_SHA1_NEXT(w0, w1, w2, w3) ZOL_SHA1_GROUP(3, w0)
    ZOL_SHA1_NEXT(w1, w2, w3, w0) ZOL_SHA1_GROUP(3, w1)
    ZOL_SHA1_NEXT(w2, w3, w0, w1) ZOL_SHA1_GROUP(3, w2)
    ZOL_SHA1_NEXT(w3, w0, w1, w2) ZOL_SHA1_GROUP(3, w3)  // rounds 76-79
#undef ZOL_SHA1_GROUP
#undef ZOL_SHA1_NEXT
    e0 = _mm_sha1nexte_epu32(prev, eSave);
    abcd = _mm_add_epi32(abcd, abcdSave);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(State), _mm_shuffle_epi32(abcd, 0x1B));
  State[4] = static_cast<uint32_t>(_mm_extract_epi32(e0, 3));
}
#endif

void SHA1Blocks(uint32_t* State, const uint8_t* p, size_t Blocks) {
#if ZOL_X86_SIMD
  if (CPUHas(cfSHA) && CPUHas(cfSSSE3) && CPUHas(cfSSE41)) return SHA1BlocksSHANI(State, p, Blocks);
#endif
  SHA1BlocksPortable(State, p, Blocks);
}
}  // namespace

void TSHA1Context::Block(const uint8_t* p) { SHA1Blocks(FState, p, 1); }

void TSHA1Context::Update(const void* Data, size_t Len) {
  const uint8_t* p = static_cast<const uint8_t*>(Data);
  if (!p || Len == 0) return;
  FLength += Len;
  if (FBufLen > 0) {
    size_t take = std::min(Len, 64 - FBufLen);
    std::memcpy(FBuf + FBufLen, p, take);
    FBufLen += take;
    p += take;
    Len -= take;
    if (FBufLen < 64) return;
    Block(FBuf);
    FBufLen = 0;
  }
  if (Len >= 64) {
    SHA1Blocks(FState, p, Len / 64);
    p += Len / 64 * 64;
    Len %= 64;
  }
  if (Len) {
    std::memcpy(FBuf, p, Len);
    FBufLen = Len;
  }
}

TSHA1Digest TSHA1Context::Final() {
  uint64_t bits = FLength * 8;
  uint8_t pad[72];
  size_t padLen = (FBufLen < 56) ? 56 - FBufLen : 120 - FBufLen;
  std::memset(pad, 0, sizeof pad);
  pad[0] = 0x80;
  for (int i = 0; i < 8; ++i) pad[padLen + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  uint64_t keep = FLength;
  Update(pad, padLen + 8);
  FLength = keep;
  TSHA1Digest d;
  for (int i = 0; i < 5; ++i) {
    d[4 * i] = static_cast<uint8_t>(FState[i] >> 24);
    d[4 * i + 1] = static_cast<uint8_t>(FState[i] >> 16);
    d[4 * i + 2] = static_cast<uint8_t>(FState[i] >> 8);
    d[4 * i + 3] = static_cast<uint8_t>(FState[i]);
  }
  return d;
}

TSHA1Digest SHA1FromBuffer(const void* Buf, size_t NumBytes) {
  TSHA1Context ctx;
  ctx.Update(Buf, NumBytes);
  return ctx.Final();
}

TSHA1Digest SHA1FromString(const std::string& s) { return SHA1FromBuffer(s.data(), s.size()); }

TSHA1Digest SHA1FromStream(TStream& Stream) {
  TSHA1Context ctx;
  uint8_t buf[1024];
  for (;;) {
    int64_t n = Stream.Read(buf, sizeof buf);
    if (n <= 0) break;
    ctx.Update(buf, static_cast<size_t>(n));
  }
  return ctx.Final();
}

TSHA1Digest SHA1FromFile(const std::string& FileName) {
  TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
  return SHA1FromStream(fs);
}

std::string SHA1DigestToHex(const TSHA1Digest& Digest) {
  static const char hex[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(40);
  for (uint8_t b : Digest) {
    s += hex[b >> 4];
    s += hex[b & 15];
  }
  return s;
}

// ==================================================================== combinatorics
bool NextCombination(TBytes& Comb, int NumElem) {
  if (Comb.empty()) return false;
  int k = Comb[0];
  if (static_cast<int>(Comb.size()) < k + 1) return false;
  for (int p = k; p >= 1; --p) {
    if (Comb[p] < NumElem - k + p) {
      ++Comb[p];
      for (int j = p + 1; j <= k; ++j) Comb[j] = static_cast<uint8_t>(Comb[j - 1] + 1);
      return true;
    }
  }
  return false;
}

namespace {
bool PermStep(TBytes& Perm, int n, int a) {
  if (a <= 1) return false;
  int v = n - a + 1;
  int q = 0;
  for (int i = 1; i <= n; ++i)
    if (Perm[i] == v) {
      q = i;
      break;
    }
  if (q < 1 || q > a) return false;  // not a permutation of the expected shape
  if (q != a) {
    std::swap(Perm[q], Perm[q + 1]);
    return true;
  }
  if (!PermStep(Perm, n, a - 1)) return false;
  for (int i = a; i >= 2; --i) Perm[i] = Perm[i - 1];
  Perm[1] = static_cast<uint8_t>(v);
  return true;
}
}  // namespace

bool NextPermutation(TBytes& Perm) {
  if (Perm.empty()) return false;
  int n = Perm[0];
  if (static_cast<int>(Perm.size()) < n + 1) return false;
  TBytes work(Perm);
  if (!PermStep(work, n, n)) return false;
  Perm.swap(work);
  return true;
}

int IndexOfNearestArrayValue(double x, const std::vector<double>& Arr) {
  if (Arr.empty()) return -1;
  int best = 0;
  double bestDist = DBL_MAX;
  for (size_t i = 0; i < Arr.size(); ++i) {
    double d = std::fabs(Arr[i] - x);
    if (d < bestDist) {
      bestDist = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

int IndexOfNearestArrayValue(int x, const std::vector<int32_t>& Arr) {
  if (Arr.empty()) return -1;
  int best = 0;
  double bestDist = DBL_MAX;
  for (size_t i = 0; i < Arr.size(); ++i) {
    double d = std::fabs(static_cast<double>(Arr[i]) - static_cast<double>(x));
    if (d < bestDist) {
      bestDist = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

}  // namespace zol
