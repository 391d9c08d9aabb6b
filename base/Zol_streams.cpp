// Tagged-text records and stream helpers.
#include "base/Zol_streams.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <locale.h>
#include <stdlib.h>

namespace zol {

namespace {

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool SameBytesNoCase(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && SameBytesNoCase(s.data() + s.size() - tail.size(), tail.data(), tail.size());
}

std::string StripBlanks(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && s[a] == ' ') ++a;
  while (b > a && s[b - 1] == ' ') --b;
  return s.substr(a, b - a);
}

// Reads a stream in blocks and gives it back byte by byte; Finish() moves the
// stream back to just behind the last byte handed out.
class StreamSource {
 public:
  explicit StreamSource(TStream& s) : FStream(s) {}
  ~StreamSource() {
    try {
      Finish();
    } catch (...) {
    }
  }
  bool Get(char& c) {
    if (FPos >= FLen) {
      if (FEnded) return false;
      // Small blocks first: most calls read a short tag or line and give the
      // rest back, larger blocks once more is needed.
      FLen = static_cast<size_t>(std::max<int64_t>(0, FStream.Read(FBuf, static_cast<int64_t>(FChunk))));
      FChunk = std::min(sizeof FBuf, FChunk * 2);
      FPos = 0;
      if (FLen == 0) {
        FEnded = true;
        return false;
      }
    }
    c = FBuf[FPos++];
    return true;
  }
  // Hands the last byte out once more (only directly after a successful Get).
  void Unget() {
    if (FPos > 0) --FPos;
  }
  void Finish() {
    if (FLen > FPos) FStream.Seek(-static_cast<int64_t>(FLen - FPos), soCurrent);
    FLen = FPos = 0;
  }

 private:
  TStream& FStream;
  char FBuf[8192];
  size_t FChunk = 128;
  size_t FPos = 0, FLen = 0;
  bool FEnded = false;
};

class BufferSource {
 public:
  BufferSource(const char* data, size_t len, size_t pos) : FData(data), FLen(len), FPos(pos) {}
  bool Get(char& c) {
    if (FPos >= FLen) return false;
    c = FData[FPos++];
    return true;
  }
  size_t Pos() const { return FPos; }

 private:
  const char* FData;
  size_t FLen, FPos;
};

class FileSource {
 public:
  explicit FileSource(TextFile& f) : FFile(f) {}
  bool Get(char& c) { return ReadChar(FFile, c); }

 private:
  TextFile& FFile;
};

// Skips input up to and including the next '<' and reads the tag text up to
// and including the next '>'.  A comment ("<!--") is read up to its "-->".
// False when the input ends first.
template <class Src>
bool ReadTagText(Src& src, std::string& tag) {
  tag.clear();
  char c;
  for (;;) {
    if (!src.Get(c)) return false;
    if (c == '<') break;
  }
  for (;;) {
    if (!src.Get(c)) return false;
    tag += c;
    if (c == '>') {
      bool comment = tag.size() >= 3 && tag.compare(0, 3, "!--") == 0;
      if (!comment) return true;
      if (tag.size() >= 6 && tag.compare(tag.size() - 3, 3, "-->") == 0) return true;
    }
  }
}

struct TagParts {
  std::string Name;   // lower-cased
  std::string Attrs;  // raw bytes, stripped of blanks
  bool Empty = false;
  bool IsStart() const { return !Name.empty() && !Empty && Name[0] != '/' && Name[0] != '?' && Name[0] != '!'; }
};

TagParts SplitTag(const std::string& tag) {
  TagParts p;
  size_t endLen = 1;  // the final ">"
  if (tag.size() >= 2 && tag.compare(tag.size() - 2, 2, "/>") == 0 && tag.compare(0, 1, "!") != 0 &&
      tag.compare(0, 1, "?") != 0) {
    p.Empty = true;
    endLen = 2;
  }
  size_t body = tag.size() >= endLen ? tag.size() - endLen : 0;
  size_t blank = tag.find(' ');
  if (blank != std::string::npos && blank < body) {
    p.Name = tag.substr(0, blank);
    p.Attrs = StripBlanks(tag.substr(blank + 1, body - blank - 1));
  } else {
    p.Name = tag.substr(0, body);
  }
  for (char& ch : p.Name) ch = LowerAscii(ch);
  return p;
}

// Reads the content of the start tag `name` up to its end tag.  Raw receives
// every byte read (the end tag included when found); the result is the length
// of the content proper.
template <class Src>
size_t ReadContent(Src& src, const std::string& name, std::string& raw) {
  const std::string endTag = "</" + name + ">";
  raw.clear();
  char c;
  while (src.Get(c)) {
    raw += c;
    if (c == '>' && EndsWithNoCase(raw, endTag)) return raw.size() - endTag.size();
  }
  return raw.size();
}

int TagIndex(const std::vector<std::string>& TagList, const std::string& name) {
  for (size_t i = 0; i < TagList.size(); ++i)
    if (SameText(TagList[i], name)) return static_cast<int>(i);
  return static_cast<int>(TagList.size()) - 1;
}

template <class Src>
int ReadNextTag(Src& src, const std::vector<std::string>& TagList, std::string& Content, std::string& Attributes) {
  Content.clear();
  Attributes.clear();
  std::string tag;
  if (!ReadTagText(src, tag)) return static_cast<int>(TagList.size()) - 1;
  TagParts p = SplitTag(tag);
  Attributes = BytesToUtf8(p.Attrs);
  if (p.IsStart()) {
    std::string raw;
    size_t n = ReadContent(src, p.Name, raw);
    raw.resize(n);
    Content = BytesToUtf8(raw);
  }
  return TagIndex(TagList, p.Name);
}

// The C locale for text-to-number conversion, independent of the process locale.
locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

}  // namespace

// ---------------------------------------------------------------- tag reader
int ReadNextTagInTextFile(TextFile& F, const std::vector<std::string>& TagList, std::string& Content,
                          std::string& Attributes) {
  FileSource src(F);
  return ReadNextTag(src, TagList, Content, Attributes);
}

int ReadNextTagInStream(TStream& Stream, const std::vector<std::string>& TagList, std::string& Content,
                        std::string& Attributes) {
  StreamSource src(Stream);
  int r = ReadNextTag(src, TagList, Content, Attributes);
  src.Finish();
  return r;
}

int ReadNextTagInBuffer(const char* Data, size_t Len, size_t& Pos, const std::vector<std::string>& TagList,
                        std::string& Content, std::string& Attributes) {
  BufferSource src(Data, Len, std::min(Pos, Len));
  int r = ReadNextTag(src, TagList, Content, Attributes);
  Pos = src.Pos();
  return r;
}

int DetectNextTagInBuffer(const char* Data, size_t Len, size_t Pos, const std::vector<std::string>& TagList,
                          size_t& TagStart) {
  TagStart = Len;
  BufferSource src(Data, Len, std::min(Pos, Len));
  std::string tag;
  if (!ReadTagText(src, tag)) return static_cast<int>(TagList.size()) - 1;
  TagStart = src.Pos() - tag.size() - 1;
  return TagIndex(TagList, SplitTag(tag).Name);
}

std::string ScanForXMLAttrib(const std::string& AttrText, const std::string& AttrName) {
  const std::string want = LowerCase(AttrName);
  enum { stName, stAfterEquals, stQuoted, stBare } state = stName;
  std::string name, value;
  auto matches = [&] { return LowerCase(StripBlanks(name)) == want; };
  for (char c : AttrText) {
    bool ended = false;
    switch (state) {
      case stName:
        if (c == '"') return std::string();
        if (c == '=')
          state = stAfterEquals;
        else
          name += c;
        break;
      case stAfterEquals:
        if (c == ' ') break;
        if (c == '"')
          state = stQuoted;
        else if (c == '=')
          return std::string();
        else {
          value = c;
          state = stBare;
        }
        break;
      case stQuoted:
        if (c == '"')
          ended = true;
        else
          value += c;
        break;
      case stBare:
        if (c == ' ' || c == '"')
          ended = true;
        else if (c == '=')
          return std::string();
        else
          value += c;
        break;
    }
    if (ended) {
      if (matches()) return value;
      name.clear();
      value.clear();
      state = stName;
    }
  }
  if (matches()) return value;
  return std::string();
}

bool ScanStreamForXMLTag(TStream& Stream, const std::string& TagName, std::string& Attributes,
                         std::string& Content) {
  Attributes.clear();
  Content.clear();
  const std::string want = LowerCase(TagName);
  StreamSource src(Stream);
  std::string tag;
  while (ReadTagText(src, tag)) {
    TagParts p = SplitTag(tag);
    if (p.Name != want || p.Name.empty() || p.Name[0] == '/') continue;
    Attributes = BytesToUtf8(p.Attrs);
    if (p.IsStart()) {
      std::string raw;
      raw.resize(ReadContent(src, p.Name, raw));
      Content = BytesToUtf8(raw);
    }
    src.Finish();
    return true;
  }
  src.Finish();
  return false;
}

std::string ReadStreamUntilTagList(TStream& Stream, const std::vector<std::string>& TagList, int& TagIx) {
  TagIx = -1;
  std::string text;
  StreamSource src(Stream);
  char c;
  while (src.Get(c)) {
    text += c;
    for (size_t i = 0; i < TagList.size(); ++i) {
      if (!TagList[i].empty() && EndsWithNoCase(text, TagList[i])) {
        TagIx = static_cast<int>(i);
        src.Finish();
        return BytesToUtf8(text);
      }
    }
  }
  src.Finish();
  return BytesToUtf8(text);
}

int ExtractFromStream(TStream& Stream, TMemoryStream& Target, const TStringList& TagNames) {
  auto wanted = [&](const std::string& name) {
    for (int i = 0; i < TagNames.Count(); ++i)
      if (SameText(TagNames[i], name)) return true;
    return false;
  };
  int count = 0;
  StreamSource src(Stream);
  std::string tag;
  Target.Seek(0, soEnd);
  while (ReadTagText(src, tag)) {
    TagParts p = SplitTag(tag);
    if (!(p.IsStart() || (p.Empty && !p.Name.empty())) || !wanted(p.Name)) continue;
    std::string out = "<" + tag;
    if (p.IsStart()) {
      std::string raw;
      ReadContent(src, p.Name, raw);
      out += raw;
    }
    out += "\r\n";
    Target.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
    ++count;
  }
  src.Finish();
  return count;
}

int SearchAndReplace(TMemoryStream& Source, TMemoryStream& Target, const std::string& SearchText,
                     const std::string& ReplaceText, bool IgnoreCase, int FirstOccurrence, int MaxCount,
                     const std::string& StopText,
                     const std::function<std::string(const std::string&)>& OnReplace) {
  const std::string data(reinterpret_cast<const char*>(Source.Memory()), static_cast<size_t>(Source.Size()));
  auto matchAt = [&](size_t i, const std::string& pat) {
    if (i + pat.size() > data.size()) return false;
    return IgnoreCase ? SameBytesNoCase(data.data() + i, pat.data(), pat.size())
                      : std::memcmp(data.data() + i, pat.data(), pat.size()) == 0;
  };
  size_t stop = data.size();
  if (!StopText.empty()) {
    for (size_t i = 0; i + StopText.size() <= data.size(); ++i)
      if (matchAt(i, StopText)) {
        stop = i;
        break;
      }
  }
  if (FirstOccurrence < 1) FirstOccurrence = 1;
  std::string out;
  out.reserve(data.size());
  int occ = 0, reps = 0;
  size_t i = 0;
  const size_t m = SearchText.size();
  while (i < data.size()) {
    if (m > 0 && i + m <= stop && matchAt(i, SearchText)) {
      ++occ;
      if (occ >= FirstOccurrence && (MaxCount <= 0 || reps < MaxCount)) {
        out += OnReplace ? OnReplace(data.substr(i, m)) : ReplaceText;
        ++reps;
      } else {
        out.append(data, i, m);
      }
      i += m;
    } else {
      out += data[i++];
    }
  }
  Source.Seek(0, soEnd);
  Target.Clear();
  Target.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  return reps;
}

// ---------------------------------------------------------------- number scanners
double ScanStreamFPNum(TStream& Stream, bool AllowExp, int DecPSep) {
  enum Cls { cSep, cDigit, cSign, cExp, cBlank, cOther };
  // -1 error, 0 end
  static const int table[9][6] = {
      {0, 0, 0, 0, 0, 0},          // unused
      {4, 3, 2, -1, 1, -1},        // 1 start
      {4, 3, -1, -1, -1, -1},      // 2 after sign
      {4, 3, 0, 6, 0, 0},          // 3 integer digits
      {-1, 5, 0, 6, 0, 0},         // 4 after separator
      {-1, 5, 0, 6, 0, 0},         // 5 fraction digits
      {-1, 8, 7, -1, -1, -1},      // 6 after E
      {-1, 8, -1, -1, -1, -1},     // 7 after exponent sign
      {0, 8, 0, 0, 0, 0},          // 8 exponent digits
  };
  std::string num;
  int state = 1;
  int expValue = 0;
  bool expCut = false;
  bool gotByte = false;
  for (;;) {
    uint8_t b = 0;
    gotByte = Stream.Read(&b, 1) == 1;
    char c = gotByte ? static_cast<char>(b) : 'Z';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    Cls cls;
    if ((c == '.' && (DecPSep == 1 || DecPSep == 3)) || (c == ',' && (DecPSep == 2 || DecPSep == 3)))
      cls = cSep;
    else if (c >= '0' && c <= '9')
      cls = cDigit;
    else if (c == '+' || c == '-')
      cls = cSign;
    else if (c == 'E')
      cls = cExp;
    else if (c == '\t' || c == '\n' || c == '\r' || c == ' ')
      cls = cBlank;
    else
      cls = cOther;
    int next = table[state][cls];
    if (next == 6 && !AllowExp) next = 0;
    if (next <= 0) {
      // The byte that stopped the scan is read again by the next reader (a
      // stream that ended has nothing to give back).
      if (gotByte) Stream.Seek(-1, soCurrent);
      if (next < 0) return 0.0;
      break;
    }
    if (cls == cSep) {
      num += '.';
    } else if (cls == cBlank) {
      // skipped
    } else if (next == 8 && cls == cDigit) {
      if (!expCut) {
        int v = expValue * 10 + (c - '0');
        if (v > 4200)
          expCut = true;
        else {
          expValue = v;
          num += c;
        }
      }
    } else {
      num += c;
    }
    state = next;
  }
  if (!num.empty() && num.back() == '.') num += '0';
  long double v = strtold_l(num.c_str(), nullptr, CLocale());
  if (std::isnan(v)) return 0.0;
  if (v > 1.7e308L) return 1.7e308;
  if (v < -1.7e308L) return -1.7e308;
  return static_cast<double>(v);
}

int ScanStreamDecimal(TStream& Stream) {
  StreamSource src(Stream);
  char c;
  bool have = src.Get(c);
  while (have && c == ' ') have = src.Get(c);
  bool neg = false;
  if (have && (c == '-' || c == '+')) {
    neg = c == '-';
    have = src.Get(c);
  }
  int64_t v = 0;
  const int64_t limit = neg ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
  while (have && c >= '0' && c <= '9') {
    v = std::min<int64_t>(limit, v * 10 + (c - '0'));
    have = src.Get(c);
  }
  src.Finish();
  return static_cast<int>(neg ? -v : v);
}

// ---------------------------------------------------------------- binary numbers
void ExtendedToBytes(long double value, uint8_t bytes[10]) {
  uint64_t mant = 0;
  unsigned exp = 0;
  const unsigned sign = std::signbit(value) ? 1u : 0u;
  if (std::isnan(value)) {
    exp = 0x7FFF;
    mant = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exp = 0x7FFF;
    mant = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    long double m = std::frexp(std::fabs(value), &e);  // |value| = m * 2^e, m in [0.5, 1)
    // Normalised: 1.f * 2^(e-1), integer bit explicit.  The host's mantissa has
    // at most 64 bits, so m * 2^64 is an exact integer below 2^64; a wider host
    // mantissa is cut to 64 bits.
    mant = static_cast<uint64_t>(std::ldexp(m, 64));
    long biased = static_cast<long>(e) - 1 + 16383;
    if (biased >= 0x7FFF) {
      exp = 0x7FFF;
      mant = 0x8000000000000000ull;
    } else if (biased <= 0) {
      // Denormal: exponent field 0 stands for 2^-16382 without the integer bit.
      long shift = 1 - biased;
      mant = shift >= 64 ? 0 : (mant >> shift);
      exp = 0;
    } else {
      exp = static_cast<unsigned>(biased);
    }
  }
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(mant >> (8 * i));
  const unsigned se = (sign << 15) | exp;
  bytes[8] = static_cast<uint8_t>(se & 0xFF);
  bytes[9] = static_cast<uint8_t>(se >> 8);
}

long double BytesToExtended(const uint8_t bytes[10]) {
  uint64_t mant = 0;
  for (int i = 7; i >= 0; --i) mant = (mant << 8) | bytes[i];
  const unsigned se = static_cast<unsigned>(bytes[8]) | (static_cast<unsigned>(bytes[9]) << 8);
  const bool neg = (se & 0x8000) != 0;
  const int exp = static_cast<int>(se & 0x7FFF);
  long double v;
  if (exp == 0x7FFF) {
    v = (mant & 0x7FFFFFFFFFFFFFFFull) == 0 ? HUGE_VALL : std::nanl("");
  } else if (exp == 0) {
    v = std::ldexp(static_cast<long double>(mant), -16382 - 63);
  } else if ((mant & 0x8000000000000000ull) == 0) {
    v = std::nanl("");  // an "unnormal" (integer bit clear) is not a valid number
  } else {
    v = std::ldexp(static_cast<long double>(mant), exp - 16383 - 63);
  }
  return neg ? -v : v;
}

void WriteExtendedToStream(TStream& Stream, long double value) {
  uint8_t b[10];
  ExtendedToBytes(value, b);
  Stream.WriteBuffer(b, 10);
}

long double ReadExtendedFromStream(TStream& Stream, bool& Error) {
  uint8_t b[10];
  Error = true;
  try {
    if (Stream.Read(b, 10) != 10) return 0;
  } catch (const std::exception&) {
    return 0;
  }
  Error = false;
  return BytesToExtended(b);
}

void WriteLongintToStream(TStream& Stream, int32_t value) {
  const uint32_t u = static_cast<uint32_t>(value);
  uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                  static_cast<uint8_t>(u >> 24)};
  Stream.WriteBuffer(b, 4);
}

int32_t ReadLongintFromStream(TStream& Stream, bool& Error) {
  uint8_t b[4];
  Error = true;
  try {
    if (Stream.Read(b, 4) != 4) return 0;
  } catch (const std::exception&) {
    return 0;
  }
  Error = false;
  const uint32_t u = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                     (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return static_cast<int32_t>(u);
}

// ---------------------------------------------------------------- text helpers
void WriteStringStream(TStream& Stream, const std::string& s) {
  if (!s.empty()) Stream.WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
}

void WriteLnStream(TStream& Stream, const std::string& s) {
  WriteStringStream(Stream, s + "\r\n");
}

std::string ReadLnStream(TStream& Stream, bool& EndOfStream, int LineEndMode) {
  EndOfStream = false;
  std::string line;
  StreamSource src(Stream);
  char c;
  char prev = 0;
  for (;;) {
    if (!src.Get(c)) {
      EndOfStream = true;
      break;
    }
    const auto u = static_cast<unsigned char>(c);
    if (u >= 32 || c == '\t') {
      line += c;
    } else {
      bool ends = false;
      switch (LineEndMode) {
        case 0: ends = c == '\n'; break;
        case 1: ends = c == '\r'; break;
        case 2: ends = c == '\r' || c == '\n'; break;
        case 3: ends = c == '\r' && prev == '\n'; break;
        case 4: ends = c == '\n' && prev == '\r'; break;
        default: break;
      }
      if (ends) break;
    }
    prev = c;
  }
  src.Finish();
  return BytesToUtf8(line);
}

std::string StreamAsString(TStream& Stream) {
  std::string s;
  char buf[4096];
  for (;;) {
    int64_t n = Stream.Read(buf, sizeof buf);
    if (n <= 0) break;
    s.append(buf, static_cast<size_t>(n));
  }
  return BytesToUtf8(s);
}

std::string ReadStreamUntil(TStream& Stream, const std::string& Delimiter, int& Status) {
  Status = -1;
  if (Delimiter.empty()) {
    Status = 0;
    return std::string();
  }
  std::string text;
  char buf[256];
  const size_t m = Delimiter.size();
  for (;;) {
    int64_t n = Stream.Read(buf, sizeof buf);
    if (n < 0) n = 0;
    const size_t old = text.size();
    text.append(buf, static_cast<size_t>(n));
    // Only occurrences that end in the new block are new.
    size_t from = old >= m - 1 ? old - (m - 1) : 0;
    for (size_t i = from; i + m <= text.size(); ++i) {
      if (SameBytesNoCase(text.data() + i, Delimiter.data(), m)) {
        const size_t end = i + m;
        Stream.Seek(-static_cast<int64_t>(text.size() - end), soCurrent);
        text.resize(end);
        Status = 0;
        return BytesToUtf8(text);
      }
    }
    if (n < static_cast<int64_t>(sizeof buf)) break;
  }
  return BytesToUtf8(text);
}

bool FindInStream(TStream& Stream, uint8_t b) {
  StreamSource src(Stream);
  char c;
  while (src.Get(c)) {
    if (static_cast<uint8_t>(c) == b) {
      src.Finish();
      return true;
    }
  }
  src.Finish();
  return false;
}

int CountLinesInStream(TStream& Stream) {
  int64_t count = 0;
  char buf[4096];
  for (;;) {
    int64_t n = Stream.Read(buf, sizeof buf);
    if (n <= 0) break;
    count += std::count(buf, buf + n, '\n');
  }
  return static_cast<int>(std::min<int64_t>(count, INT_MAX));
}

bool WriteRecordFile(const std::string& FileName, const std::function<void(TextFile&)>& Write) {
  try {
    TextFile F;
    AssignFile(F, FileName);
    Rewrite(F);
    Write(F);
    CloseFile(F);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ReadRecordFile(const std::string& FileName, const std::function<bool(TextFile&)>& Read) {
  try {
    TextFile F;
    AssignFile(F, FileName);
    Reset(F);
    const bool ok = Read(F);
    CloseFile(F);
    return ok;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace zol
