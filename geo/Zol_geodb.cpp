#include "geo/Zol_geodb.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "base/Zol_streams.h"
#include "base/Zol_stringl.h"
#include "math/Zol_math1.h"

namespace zol {

static_assert(sizeof(float) == 4 && sizeof(double) == 8, "file fields need IEEE types");

const char* const GDB_ITEMNAMES[9] = {"Border", "Town", "City", "Lake", "River",
                                      "Road", "Route", "BLOB", "Undefined"};

namespace {
enum { fData = 0, fDesc = 1, fIx0 = 2 };  // positions in FFileNames
const char* const kExt[7] = {".zolgdd", ".zolgds", ".zolgi0", ".zolgi1",
                             ".zolgi2", ".zolgi3", ".zolgi4"};
constexpr int kBlock = 16384;
constexpr int64_t kMaxDataPos = std::numeric_limits<int32_t>::max();
const int kMetaCap[5] = {255, 127, 127, 255, 255};

// Signed 32-bit fields of the records.
void PutI32(uint8_t* p, int32_t v) { PutLE32(p, static_cast<uint32_t>(v)); }
int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetLE32(p)); }
// A length-byte string of capacity cap at p (cap + 1 bytes), unused bytes = fill.
// The bytes a text is stored as in a field of cap bytes.  A text read from a
// field that held Latin-1 bytes (not valid UTF-8) can be longer in UTF-8 than
// the field: it is stored as those Latin-1 bytes again, so that rewriting a
// file keeps its texts; otherwise the UTF-8 text is cut to the field.
std::string FieldBytes(const std::string& s, size_t cap) {
  if (s.size() <= cap) return s;
  const std::u32string cps = Utf8ToCodePoints(s);
  if (cps.size() <= cap && IsValidUtf8(s)) {
    std::string latin1;
    for (char32_t c : cps) {
      if (c > 0xFF) return Utf8Truncate(s, cap);
      latin1 += static_cast<char>(c);
    }
    if (!IsValidUtf8(latin1)) return latin1;  // reads back as the same text
  }
  return Utf8Truncate(s, cap);
}

void PutShortString(uint8_t* p, const std::string& s, int cap, uint8_t fill) {
  const std::string t = FieldBytes(s, static_cast<size_t>(cap));
  p[0] = static_cast<uint8_t>(t.size());
  std::memset(p + 1, fill, static_cast<size_t>(cap));
  std::memcpy(p + 1, t.data(), t.size());
}
std::string GetShortString(const uint8_t* p, int cap) {
  const int n = std::min<int>(p[0], cap);  // a length byte beyond the capacity is clamped
  return BytesToUtf8(std::string_view(reinterpret_cast<const char*>(p + 1), static_cast<size_t>(n)));
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenFile(const std::string& name, const char* mode) {
  return FilePtr(std::fopen(name.c_str(), mode));
}

[[noreturn]] void RaiseIO(const std::string& what) {
  const int err = errno;
  throw EInOutError(what + ": " + std::strerror(err), err);
}

int64_t StreamSize(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  const long n = std::ftell(f);
  return n;
}

bool ReadAt(std::FILE* f, int64_t pos, void* buf, size_t n) {
  if (std::fseek(f, static_cast<long>(pos), SEEK_SET) != 0) return false;
  return std::fread(buf, 1, n, f) == n;
}

void WriteAt(std::FILE* f, int64_t pos, const void* buf, size_t n, const std::string& what) {
  if (std::fseek(f, static_cast<long>(pos), SEEK_SET) != 0 || std::fwrite(buf, 1, n, f) != n)
    RaiseIO(what);
}

// Reads a whole small file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& name, std::vector<uint8_t>& out) {
  FilePtr f = OpenFile(name, "rb");
  if (!f) return false;
  const int64_t n = StreamSize(f.get());
  if (n < 0) return false;
  out.resize(static_cast<size_t>(n));
  return n == 0 || ReadAt(f.get(), 0, out.data(), out.size());
}

void WriteWholeFile(const std::string& name, const std::vector<uint8_t>& data) {
  // Written beside and renamed over the old file, so an interrupted write leaves
  // either the old or the new index, never a cut one.
  const std::string tmp = name + ".tmp";
  {
    FilePtr f = OpenFile(tmp, "wb");
    if (!f) RaiseIO(tmp);
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), f.get()) != data.size())
      RaiseIO(tmp);
    if (std::fflush(f.get()) != 0) RaiseIO(tmp);
  }
  if (std::rename(tmp.c_str(), name.c_str()) != 0) RaiseIO(name);
}

bool NameMatches(const std::string& item, const std::string& key, uint8_t mode) {
  const std::string a = LowerCase(item), b = LowerCase(key);
  switch (mode) {
    case 1: return a.compare(0, b.size(), b) == 0;
    case 2: return a.find(b) != std::string::npos;
    default: return a == b;
  }
}

std::string TrimRightSpaces(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}
}  // namespace

// ---------------------------------------------------------------- records
void ClearMetaInfo(TMetaInfo& MetaInfo) {
  for (auto& s : MetaInfo.Items) s.clear();
}

void ClearGdbData(TgdbData& Data) {
  Data = TgdbData();
  Data.Name.clear();
  Data.DataPos = -1;
  Data.ItemType = gitUndefined;
  Data.Date = Now();
}

TSCoords ExtractLocation(const TgdbData& Data) {
  TSCoords c;
  c.Latitude = Data.LatLow;
  c.Longitude = Data.LongLow;
  return c;
}

void EncodeGdbData(const TgdbData& d, uint8_t* b) {
  std::memset(b, 0, gdbDescriptorSize);
  PutI32(b + 0, d.ItemID);
  PutShortString(b + 4, d.Name, gdbNameLength, ' ');
  PutLEFloat(b + 64, d.FloatAttrib);
  b[68] = d.ByteAttrib;
  PutI32(b + 72, d.IntAttrib2);
  PutI32(b + 76, d.DataPos);
  PutLEDouble(b + 80, d.Date);
  PutI32(b + 88, d.IntAttrib1);
  PutLEFloat(b + 92, d.LatLow);
  PutLEFloat(b + 96, d.LatHigh);
  PutLEFloat(b + 100, d.LongLow);
  PutLEFloat(b + 104, d.LongHigh);
  b[108] = static_cast<uint8_t>(d.ItemType);
  PutI32(b + 112, d.NumData);
  b[116] = d.Closed ? 1 : 0;
}

TgdbData DecodeGdbData(const uint8_t* b) {
  TgdbData d;
  d.ItemID = GetI32(b + 0);
  d.Name = GetShortString(b + 4, gdbNameLength);
  d.FloatAttrib = GetLEFloat(b + 64);
  d.ByteAttrib = b[68];
  d.IntAttrib2 = GetI32(b + 72);
  d.DataPos = GetI32(b + 76);
  d.Date = GetLEDouble(b + 80);
  d.IntAttrib1 = GetI32(b + 88);
  d.LatLow = GetLEFloat(b + 92);
  d.LatHigh = GetLEFloat(b + 96);
  d.LongLow = GetLEFloat(b + 100);
  d.LongHigh = GetLEFloat(b + 104);
  d.ItemType = b[108] <= gitUndefined ? static_cast<TgdbItem>(b[108]) : gitUndefined;
  d.NumData = GetI32(b + 112);
  d.Closed = b[116] != 0;
  return d;
}

void EncodeMetaInfo(const TMetaInfo& m, uint8_t* b) {
  int pos = 0;
  for (int i = 0; i < 5; ++i) {
    PutShortString(b + pos, m.Items[i], kMetaCap[i], 0);
    pos += kMetaCap[i] + 1;
  }
}

TMetaInfo DecodeMetaInfo(const uint8_t* b) {
  TMetaInfo m;
  int pos = 0;
  for (int i = 0; i < 5; ++i) {
    m.Items[i] = GetShortString(b + pos, kMetaCap[i]);
    pos += kMetaCap[i] + 1;
  }
  return m;
}

std::string GeoLatitude(double Value, TDegreeFormat Format, int Decimals) {
  Value = std::clamp(Value, -90.0, 90.0);
  return DegreeToStr(std::fabs(Value), Format, Decimals) + (Value >= 0 ? " N" : " S");
}

std::string GeoLongitude(double Value, TDegreeFormat Format, int Decimals) {
  Value = std::clamp(Value, -180.0, 180.0);
  return DegreeToStr(std::fabs(Value), Format, Decimals) + (Value >= 0 ? " E" : " W");
}

std::string ReadSystemInformation(const std::string& FileName) {
  const std::string base = ChangeFileExt(FileName, "");
  FilePtr f = OpenFile(base + kExt[fData], "rb");
  if (!f) return std::string();
  uint8_t h[gdbHeaderSize];
  const int64_t size = StreamSize(f.get());
  if (size < gdbHeaderSize || !ReadAt(f.get(), 0, h, sizeof h)) return std::string();
  std::ostringstream os;
  os << "database: " << base << "\n";
  os << "version: " << GetI32(h + 4) << "\n";
  os << "last item ID: " << GetI32(h + 0) << "\n";
  os << "description: " << GetShortString(h + 8, 63) << "\n";
  os << "revision: " << GetI32(h + 72) << "\n";
  for (int i = 0; i < 7; ++i) os << "size of " << kExt[i] << ": " << FileSize(base + kExt[i]) << "\n";
  const int64_t ds = FileSize(base + kExt[fDesc]);
  os << "entries: " << (ds > 0 ? ds / gdbDescriptorSize : 0) << "\n";
  return os.str();
}

// ---------------------------------------------------------------- TGeoDB
TGeoDB::TGeoDB(TComponent* AOwner) : TComponent(AOwner) {}

TGeoDB::~TGeoDB() {
  try {
    CloseDB();
  } catch (...) {
    // a destructor must not throw; the indices can be rebuilt from the descriptors
  }
}

void TGeoDB::Progress(int Pct) {
  if (OnPercentDone) OnPercentDone(this, Pct);
}

void TGeoDB::SetDBName(const std::string& Value) {
  if (Value.empty()) {
    CloseDB();
    return;
  }
  CloseDB();
  try {
    OpenDB(ChangeFileExt(Value, ""));
  } catch (...) {
    // a database that cannot be opened leaves the component closed
    const bool lazy = FLazyWrite;
    FLazyWrite = false;
    FBaseName = "x";
    CloseDB();
    FLazyWrite = lazy;
    throw;
  }
}

void TGeoDB::CloseDB() {
  if (FBaseName.empty()) return;
  if (FLazyWrite) WriteAllIndices();
  FBaseName.clear();
  for (auto& n : FFileNames) n.clear();
  FData.clear();
  FIxItemID.clear();
  for (auto& ix : FIxLL) ix.clear();
  FLastItemID = 0;
  FVersion = 4;
  FRevision = 0;
  FDescription.clear();
  FIndicesRebuilt = false;
  FMaxLatSpan = -1;
}

void TGeoDB::OpenDB(const std::string& BaseName) {
  for (int i = 0; i < 7; ++i) FFileNames[i] = BaseName + kExt[i];
  FIndicesRebuilt = false;
  // Indices: a file that exists is only read, never recreated (it may merely be
  // unreadable for the moment); a missing one is created empty.
  bool ixOk = true;
  for (int i = 0; i < 5; ++i) {
    const std::string& name = FFileNames[fIx0 + i];
    std::vector<uint8_t> raw;
    if (!FileExists(name)) {
      FilePtr f = OpenFile(name, "wb");
      if (!f) ixOk = false;
    } else if (!ReadWholeFile(name, raw) || raw.size() % 8 != 0) {
      ixOk = false;
      raw.clear();
    }
    const size_t n = raw.size() / 8;
    if (i == 0) {
      FIxItemID.resize(n);
      for (size_t k = 0; k < n; ++k) FIxItemID[k] = {GetI32(&raw[8 * k]), GetI32(&raw[8 * k + 4])};
    } else {
      FIxLL[i - 1].resize(n);
      for (size_t k = 0; k < n; ++k) FIxLL[i - 1][k] = {GetLEFloat(&raw[8 * k]), GetI32(&raw[8 * k + 4])};
    }
  }
  // Descriptors.
  FData.clear();
  bool newDB = false;
  {
    std::vector<uint8_t> raw;
    if (!FileExists(FFileNames[fDesc])) {
      FilePtr f = OpenFile(FFileNames[fDesc], "wb");
      if (!f) RaiseIO(FFileNames[fDesc]);
      newDB = true;
    } else if (!ReadWholeFile(FFileNames[fDesc], raw)) {
      RaiseIO(FFileNames[fDesc]);
    }
    const size_t n = raw.size() / gdbDescriptorSize;
    // A partial record at the end is the trace of an interrupted append: dropped.
    if (raw.size() % gdbDescriptorSize != 0) {
      if (::truncate(FFileNames[fDesc].c_str(), static_cast<off_t>(n * gdbDescriptorSize)) != 0)
        RaiseIO(FFileNames[fDesc]);
    }
    FData.reserve(n);
    for (size_t k = 0; k < n; ++k) FData.push_back(DecodeGdbData(&raw[k * gdbDescriptorSize]));
  }
  if (newDB) {
    FLastItemID = 0;
    FVersion = 4;
    FRevision = 0;
    FDescription.clear();
  }
  // Data file and its header.
  int32_t maxID = 0;
  for (const auto& d : FData) maxID = std::max(maxID, d.ItemID);
  {
    FilePtr f = OpenFile(FFileNames[fData], "rb");
    uint8_t h[gdbHeaderSize];
    bool haveHeader = false;
    if (f) {
      const int64_t size = StreamSize(f.get());
      haveHeader = size >= gdbHeaderSize && ReadAt(f.get(), 0, h, sizeof h);
    }
    f.reset();
    if (haveHeader) {
      FLastItemID = GetI32(h + 0);
      FVersion = GetI32(h + 4);
      FDescription = Utf8Truncate(GetShortString(h + 8, 63), gdbDescriptionLength);
      FRevision = GetI32(h + 72);
    } else {
      if (!newDB) {
        FVersion = 4;
        FRevision = 0;
        FDescription.clear();
      }
      FLastItemID = maxID;  // item IDs go on after the highest one in use
      FBaseName = BaseName;
      if (!FileExists(FFileNames[fData])) {
        FilePtr c = OpenFile(FFileNames[fData], "wb");
        if (!c) {
          FBaseName.clear();
          RaiseIO(FFileNames[fData]);
        }
      }
      WriteHeader("SetDBName");
    }
    if (FLastItemID < maxID) FLastItemID = maxID;  // never hand out an ID twice
  }
  FBaseName = BaseName;
  if (!ixOk || !ValidateIndices()) {
    RecalcIndexes();
    FIndicesRebuilt = true;
  }
}

bool TGeoDB::ValidateIndices() const {
  const size_t n = FData.size();
  if (FIxItemID.size() != n) return false;
  for (const auto& ix : FIxLL)
    if (ix.size() != n) return false;
  std::vector<uint8_t> seen(n);
  for (size_t k = 0; k < n; ++k) {
    const auto& e = FIxItemID[k];
    if (e.RecIx < 0 || static_cast<size_t>(e.RecIx) >= n || seen[e.RecIx]) return false;
    seen[e.RecIx] = 1;
    if (FData[e.RecIx].ItemID != e.ItemID) return false;
    if (k > 0 && FIxItemID[k - 1].ItemID > e.ItemID) return false;
  }
  for (int w = 0; w < 4; ++w) {
    std::fill(seen.begin(), seen.end(), 0);
    for (size_t k = 0; k < n; ++k) {
      const auto& e = FIxLL[w][k];
      if (e.RecIx < 0 || static_cast<size_t>(e.RecIx) >= n || seen[e.RecIx]) return false;
      seen[e.RecIx] = 1;
      const TgdbData& d = FData[e.RecIx];
      const float v = w == 0 ? d.LatLow : w == 1 ? d.LatHigh : w == 2 ? d.LongLow : d.LongHigh;
      if (std::memcmp(&v, &e.Value, 4) != 0) return false;
      if (k > 0 && FIxLL[w][k - 1].Value > e.Value) return false;
    }
  }
  return true;
}

void TGeoDB::WriteHeader(const char* Op) {
  uint8_t h[gdbHeaderSize] = {};
  PutI32(h + 0, FLastItemID);
  PutI32(h + 4, FVersion);
  PutShortString(h + 8, FDescription, 63, 0);
  PutI32(h + 72, FRevision);
  FilePtr f = OpenFile(FFileNames[fData], "r+b");
  if (!f) throw EZOLGeoDBError(ComponentMsg(std::string(Op) + ": cannot open database."));
  WriteAt(f.get(), 0, h, sizeof h, FFileNames[fData]);
}

void TGeoDB::SaveIndex(int Index) {
  if (FBaseName.empty() || Index < 0 || Index > 4) return;
  std::vector<uint8_t> raw(FData.size() * 8);
  for (size_t k = 0; k < FData.size(); ++k) {
    if (Index == 0) {
      PutI32(&raw[8 * k], FIxItemID[k].ItemID);
      PutI32(&raw[8 * k + 4], FIxItemID[k].RecIx);
    } else {
      PutLEFloat(&raw[8 * k], FIxLL[Index - 1][k].Value);
      PutI32(&raw[8 * k + 4], FIxLL[Index - 1][k].RecIx);
    }
  }
  WriteWholeFile(FFileNames[fIx0 + Index], raw);
}

void TGeoDB::WriteAllIndices() {
  for (int i = 0; i < 5; ++i) SaveIndex(i);
}

void TGeoDB::SetLazyWrite(bool Value) {
  if (Value == FLazyWrite) return;
  FLazyWrite = Value;
  if (!Value) WriteAllIndices();
}

void TGeoDB::SetDescription(const std::string& Value) {
  if (FBaseName.empty()) return;
  FDescription = Utf8Truncate(Value, gdbDescriptionLength);
  WriteHeader("SetDescription");
}

void TGeoDB::SetRevision(int32_t Value) {
  if (FBaseName.empty()) return;
  FRevision = Value;
  WriteHeader("SetRevision");
}

// ---- accessors
TgdbData TGeoDB::Sumdata(int Ix) const {
  if (FData.empty()) {
    TgdbData d;
    return d;
  }
  Ix = std::clamp(Ix, 1, NumEntries());
  return FData[Ix - 1];
}

TIxItemIDRec TGeoDB::IxItemID(int Ix) const {
  if (FIxItemID.empty()) return {0, 0};
  Ix = std::clamp(Ix, 1, static_cast<int>(FIxItemID.size()));
  TIxItemIDRec r = FIxItemID[Ix - 1];
  r.RecIx += 1;
  return r;
}

TIxLLRec TGeoDB::LLEntry(int Which, int Ix) const {
  const auto& a = FIxLL[Which];
  if (a.empty()) return {0.0f, 0};
  Ix = std::clamp(Ix, 1, static_cast<int>(a.size()));
  TIxLLRec r = a[Ix - 1];
  r.RecIx += 1;
  return r;
}

int TGeoDB::ClosestLL(int Which, float Value) const {
  const auto& a = FIxLL[Which];
  auto it = std::lower_bound(a.begin(), a.end(), Value,
                             [](const TIxLLRec& e, float v) { return e.Value < v; });
  return static_cast<int>(it - a.begin()) + 1;
}

int TGeoDB::GetClosestItemIDIx(int32_t ItemID) const {
  auto it = std::lower_bound(FIxItemID.begin(), FIxItemID.end(), ItemID,
                             [](const TIxItemIDRec& e, int32_t v) { return e.ItemID < v; });
  return static_cast<int>(it - FIxItemID.begin()) + 1;
}

int TGeoDB::SearchForItemID(int32_t ItemID) const {
  const int pos = GetClosestItemIDIx(ItemID);
  if (pos > static_cast<int>(FIxItemID.size())) return 0;
  const auto& e = FIxItemID[pos - 1];
  return e.ItemID == ItemID ? e.RecIx + 1 : 0;
}

int TGeoDB::SearchData(const std::string& Name) const {
  return SearchData(Name, gitUndefined, 1, 0);
}

int TGeoDB::SearchData(const std::string& Name, TgdbItem ItemKind, int StartPos,
                       uint8_t Mode) const {
  for (int i = std::max(StartPos, 1); i <= NumEntries(); ++i) {
    const TgdbData& d = FData[i - 1];
    if (ItemKind != gitUndefined && d.ItemType != ItemKind) continue;
    if (NameMatches(TrimRightSpaces(d.Name), Name, Mode)) return i;
  }
  return 0;
}

std::vector<int> TGeoDB::SearchArea(float LatLow, float LatHigh, float LongLow,
                                    float LongHigh) const {
  std::vector<int> out;
  if (FData.empty() || LatLow > LatHigh || LongLow > LongHigh) return out;
  auto meets = [&](const TgdbData& d) {
    return d.LatLow <= LatHigh && d.LatHigh >= LatLow && d.LongLow <= LongHigh &&
           d.LongHigh >= LongLow;
  };
  if (FMaxLatSpan < 0) {
    float span = 0;
    for (const auto& d : FData) {
      const float h = d.LatHigh - d.LatLow;
      if (!std::isfinite(h)) {
        span = std::numeric_limits<float>::quiet_NaN();
        break;
      }
      span = std::max(span, h);
    }
    FMaxLatSpan = span;
  }
  if (!std::isnan(FMaxLatSpan)) {
    // An item meeting the box has LatLow in [LatLow - span, LatHigh]: one range of the
    // LatLow index.
    const int first = ClosestLL(0, LatLow - FMaxLatSpan) - 1;
    const int last = ClosestLL(0, std::nextafter(LatHigh, std::numeric_limits<float>::infinity())) - 1;
    for (int k = first; k < last; ++k) {
      const int r = FIxLL[0][k].RecIx;
      if (meets(FData[r])) out.push_back(r + 1);
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  // Items with LatLow <= LatHigh are a prefix of the LatLow index, items with
  // LatHigh >= LatLow a suffix of the LatHigh index; the smaller set is checked.
  const int nLow = ClosestLL(0, std::nextafter(LatHigh, std::numeric_limits<float>::infinity())) - 1;
  const int firstHigh = ClosestLL(1, LatLow);
  const int nHigh = NumEntries() - firstHigh + 1;
  if (nLow <= nHigh) {
    for (int k = 0; k < nLow; ++k) {
      const int r = FIxLL[0][k].RecIx;
      if (meets(FData[r])) out.push_back(r + 1);
    }
  } else {
    for (int k = firstHigh - 1; k < NumEntries(); ++k) {
      const int r = FIxLL[1][k].RecIx;
      if (meets(FData[r])) out.push_back(r + 1);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

// ---- index maintenance
void TGeoDB::SortIxInto(TIxLLRecArray& Ix, int NumUsed, float Value, int32_t RecIx) {
  int lo = 0, hi = NumUsed - 1, probe = 0;
  bool larger = false;
  while (lo <= hi) {
    probe = (lo + hi) / 2;
    if (Value < Ix[probe].Value) {
      hi = probe - 1;
      larger = false;
    } else if (Value > Ix[probe].Value) {
      lo = probe + 1;
      larger = true;
    } else {
      larger = false;
      break;
    }
  }
  int pos = NumUsed == 0 ? 0 : probe + (larger ? 1 : 0);
  std::move_backward(Ix.begin() + pos, Ix.begin() + NumUsed, Ix.begin() + NumUsed + 1);
  Ix[pos] = {Value, RecIx};
}

void TGeoDB::SortIxItemIDInto(TIxItemIDRecArray& Ix, int NumUsed, int32_t ItemID, int32_t RecIx) {
  int lo = 0, hi = NumUsed - 1, probe = 0;
  bool larger = false;
  while (lo <= hi) {
    probe = (lo + hi) / 2;
    if (ItemID < Ix[probe].ItemID) {
      hi = probe - 1;
      larger = false;
    } else if (ItemID > Ix[probe].ItemID) {
      lo = probe + 1;
      larger = true;
    } else {
      larger = false;
      break;
    }
  }
  int pos = NumUsed == 0 ? 0 : probe + (larger ? 1 : 0);
  std::move_backward(Ix.begin() + pos, Ix.begin() + NumUsed, Ix.begin() + NumUsed + 1);
  Ix[pos] = {ItemID, RecIx};
}

void TGeoDB::InsertIntoIndex(int RecNo, const TgdbData& Data) {
  FMaxLatSpan = -1;
  // The arrays hold one free slot at the end.
  const int used = static_cast<int>(FIxItemID.size()) - 1;
  if (used < 0) return;
  SortIxItemIDInto(FIxItemID, used, Data.ItemID, RecNo - 1);
  SortIxInto(FIxLL[0], used, Data.LatLow, RecNo - 1);
  SortIxInto(FIxLL[1], used, Data.LatHigh, RecNo - 1);
  SortIxInto(FIxLL[2], used, Data.LongLow, RecNo - 1);
  SortIxInto(FIxLL[3], used, Data.LongHigh, RecNo - 1);
}

void TGeoDB::RemoveIndexEntries(int RecNo) {
  FMaxLatSpan = -1;
  auto itID = std::find_if(FIxItemID.begin(), FIxItemID.end(),
                           [&](const TIxItemIDRec& e) { return e.RecIx + 1 == RecNo; });
  if (itID != FIxItemID.end()) FIxItemID.erase(itID);
  for (auto& a : FIxLL) {
    auto it = std::find_if(a.begin(), a.end(), [&](const TIxLLRec& e) { return e.RecIx + 1 == RecNo; });
    if (it != a.end()) a.erase(it);
  }
}

void TGeoDB::RecalcIndexes() {
  // Sorted at once (stable, so equal keys keep record order) rather than inserted
  // one by one, which would cost a shift of the array per record.
  FMaxLatSpan = -1;
  const int n = NumEntries();
  FIxItemID.resize(n);
  for (auto& a : FIxLL) a.resize(n);
  for (int i = 0; i < n; ++i) {
    const TgdbData& d = FData[i];
    FIxItemID[i] = {d.ItemID, i};
    FIxLL[0][i] = {d.LatLow, i};
    FIxLL[1][i] = {d.LatHigh, i};
    FIxLL[2][i] = {d.LongLow, i};
    FIxLL[3][i] = {d.LongHigh, i};
  }
  std::stable_sort(FIxItemID.begin(), FIxItemID.end(),
                   [](const TIxItemIDRec& a, const TIxItemIDRec& b) { return a.ItemID < b.ItemID; });
  for (auto& a : FIxLL)
    std::stable_sort(a.begin(), a.end(),
                     [](const TIxLLRec& x, const TIxLLRec& y) { return x.Value < y.Value; });
  if (!FBaseName.empty() && !FLazyWrite) {
    try {
      WriteAllIndices();
    } catch (const EInOutError&) {
      // the indices in memory are right; the files are written again on the next change
    }
  }
}

// ---- adding and replacing
TgdbData TGeoDB::BuildEntry(const char* Op, const std::string& Name, const TgdbPolygon& Polygon,
                            bool Closed, TgdbItem ItemType, uint8_t ByteAttrib, double Date,
                            int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
                            float LongHigh, float FloatAttrib, int32_t IntAttrib2,
                            const TMetaInfo& MetaInfo, const void* Data, int64_t DataSize,
                            bool FromFile, const std::string& SourceFile, int32_t ItemID) {
  TgdbData d;
  d.ItemID = ItemID;
  d.Name = Utf8Truncate(Name, gdbNameLength);
  d.FloatAttrib = FloatAttrib;
  d.ByteAttrib = ByteAttrib;
  d.IntAttrib2 = IntAttrib2;
  d.Date = Date;
  d.IntAttrib1 = IntAttrib1;
  d.LatLow = LatLow;
  d.LatHigh = LatHigh;
  d.LongLow = LongLow;
  d.LongHigh = LongHigh;
  d.ItemType = ItemType > gitUndefined ? gitUndefined : ItemType;
  d.DataPos = -1;
  d.NumData = 0;
  d.Closed = false;
  if (d.ItemType == gitTown || d.ItemType == gitUndefined) return d;

  FilePtr f = OpenFile(FFileNames[fData], "r+b");
  if (!f) throw EZOLGeoDBError(ComponentMsg(std::string(Op) + ": cannot open database."));
  const int64_t end = StreamSize(f.get());
  if (end < gdbHeaderSize) RaiseIO(FFileNames[fData]);
  auto checkRoom = [&](int64_t bytes) {
    // DataPos is a signed 32-bit offset: the data must begin below 2^31 bytes.
    if (end > kMaxDataPos || bytes < 0 || bytes > kMaxDataPos - end)
      throw EZOLGeoDBError(ComponentMsg(std::string(Op) + ": data file would exceed 2 GiB."));
  };

  if (d.ItemType == gitBLOB) {
    TMetaInfo meta = MetaInfo;
    FilePtr src;
    int64_t size = DataSize;
    if (FromFile) {
      const std::string path = SourceFile.empty() ? MetaInfo[miFilePath] : SourceFile;
      src = OpenFile(path, "rb");
      if (!src) RaiseIO(path);
      size = StreamSize(src.get());
      if (size < 0 || std::fseek(src.get(), 0, SEEK_SET) != 0) RaiseIO(path);
      d.Date = FileDateTime(path);
      meta[miFilePath] = Utf8Truncate(path, 127);
    } else if (size < 0 || (size > 0 && !Data)) {
      size = 0;
    }
    checkRoom(gdbMetaInfoSize + size);
    if (size > std::numeric_limits<int32_t>::max())
      throw EZOLGeoDBError(ComponentMsg(std::string(Op) + ": data file would exceed 2 GiB."));
    d.NumData = static_cast<int32_t>(size);
    d.DataPos = static_cast<int32_t>(end);
    uint8_t mb[gdbMetaInfoSize];
    EncodeMetaInfo(meta, mb);
    WriteAt(f.get(), end, mb, sizeof mb, FFileNames[fData]);
    std::vector<uint8_t> buf(kBlock);
    int64_t done = 0;
    while (done < size) {
      const size_t n = static_cast<size_t>(std::min<int64_t>(kBlock, size - done));
      if (FromFile) {
        if (std::fread(buf.data(), 1, n, src.get()) != n) RaiseIO(SourceFile);
        if (std::fwrite(buf.data(), 1, n, f.get()) != n) RaiseIO(FFileNames[fData]);
      } else {
        if (std::fwrite(static_cast<const uint8_t*>(Data) + done, 1, n, f.get()) != n)
          RaiseIO(FFileNames[fData]);
      }
      done += static_cast<int64_t>(n);
      Progress(static_cast<int>(std::lround(100.0 * static_cast<double>(done) / static_cast<double>(size))));
    }
  } else {
    float latLo = 90, latHi = -90, lonLo = 180, lonHi = -180;
    for (const auto& p : Polygon) {
      if (p.Latitude < latLo) latLo = p.Latitude;
      if (p.Latitude > latHi) latHi = p.Latitude;
      if (p.Longitude < lonLo) lonLo = p.Longitude;
      if (p.Longitude > lonHi) lonHi = p.Longitude;
    }
    d.LatLow = latLo;
    d.LatHigh = latHi;
    d.LongLow = lonLo;
    d.LongHigh = lonHi;
    const int64_t count = static_cast<int64_t>(Polygon.size());
    if (count > std::numeric_limits<int32_t>::max() / 8)
      throw EZOLGeoDBError(ComponentMsg(std::string(Op) + ": data file would exceed 2 GiB."));
    checkRoom(count * 8);
    d.DataPos = static_cast<int32_t>(end);
    std::vector<uint8_t> raw(static_cast<size_t>(count) * 8);
    for (int64_t k = 0; k < count; ++k) {
      PutLEFloat(&raw[8 * k], Polygon[k].Latitude);
      PutLEFloat(&raw[8 * k + 4], Polygon[k].Longitude);
    }
    if (!raw.empty()) WriteAt(f.get(), end, raw.data(), raw.size(), FFileNames[fData]);
    for (int64_t k = 1; k <= count; ++k)
      if (OnPercentDone) Progress(static_cast<int>(std::lround(100.0 * k / count)));
    d.NumData = static_cast<int32_t>(count);
    d.Closed = Closed;
  }
  if (std::fflush(f.get()) != 0) RaiseIO(FFileNames[fData]);
  return d;
}

void TGeoDB::WriteDescriptor(int RecIx, const TgdbData& Data) {
  uint8_t b[gdbDescriptorSize];
  EncodeGdbData(Data, b);
  FilePtr f = OpenFile(FFileNames[fDesc], "r+b");
  if (!f) RaiseIO(FFileNames[fDesc]);
  WriteAt(f.get(), static_cast<int64_t>(RecIx) * gdbDescriptorSize, b, sizeof b, FFileNames[fDesc]);
}

int TGeoDB::AddData(const std::string& Name, const TgdbPolygon& Polygon, bool Closed,
                    TgdbItem ItemType, uint8_t ByteAttrib, double Date, int32_t IntAttrib1,
                    float LatLow, float LatHigh, float LongLow, float LongHigh, float FloatAttrib,
                    int32_t IntAttrib2, const TMetaInfo& MetaInfo, const void* Data,
                    int64_t DataSize, bool FromFile, const std::string& SourceFile) {
  if (FBaseName.empty()) return -1;
  if (FLastItemID == std::numeric_limits<int32_t>::max())
    throw EZOLGeoDBError(ComponentMsg("AddData: no item ID left."));
  Progress(0);
  ++FLastItemID;
  try {
    WriteHeader("AddData");
  } catch (...) {
    --FLastItemID;
    throw;
  }
  const TgdbData d = BuildEntry("AddData", Name, Polygon, Closed, ItemType, ByteAttrib, Date,
                                IntAttrib1, LatLow, LatHigh, LongLow, LongHigh, FloatAttrib,
                                IntAttrib2, MetaInfo, Data, DataSize, FromFile, SourceFile,
                                FLastItemID);
  WriteDescriptor(NumEntries(), d);
  FData.push_back(d);
  FIxItemID.push_back({0, 0});
  for (auto& a : FIxLL) a.push_back({0.0f, 0});
  InsertIntoIndex(NumEntries(), d);
  if (!FLazyWrite) WriteAllIndices();
  Progress(100);
  return NumEntries();
}

void TGeoDB::ReplaceData(int Ix, const std::string& Name, const TgdbPolygon& Polygon, bool Closed,
                         TgdbItem ItemType, uint8_t ByteAttrib, double Date, int32_t IntAttrib1,
                         float LatLow, float LatHigh, float LongLow, float LongHigh,
                         float FloatAttrib, int32_t IntAttrib2, const TMetaInfo& MetaInfo,
                         const void* Data, int64_t DataSize, bool FromFile,
                         const std::string& SourceFile) {
  if (FBaseName.empty() || Ix < 1 || Ix > NumEntries()) return;
  Progress(0);
  const TgdbData d = BuildEntry("ReplaceData", Name, Polygon, Closed, ItemType, ByteAttrib, Date,
                                IntAttrib1, LatLow, LatHigh, LongLow, LongHigh, FloatAttrib,
                                IntAttrib2, MetaInfo, Data, DataSize, FromFile, SourceFile,
                                FData[Ix - 1].ItemID);
  WriteDescriptor(Ix - 1, d);
  FData[Ix - 1] = d;
  RemoveIndexEntries(Ix);
  FIxItemID.push_back({0, 0});
  for (auto& a : FIxLL) a.push_back({0.0f, 0});
  InsertIntoIndex(Ix, d);
  if (!FLazyWrite) WriteAllIndices();
  Progress(100);
}

// ---- the add and replace variants
#define ZOL_GDB_POLY_ADD(Fn, Kind)                                                              \
  int TGeoDB::Fn(const std::string& Name, const TgdbPolygon& Polygon, double Date,             \
                 int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh, \
                 float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2) {                   \
    return AddData(Name, Polygon, Kind == gitLake, Kind, ByteAttrib, Date, IntAttrib1, LatLow,  \
                   LatHigh, LongLow, LongHigh, FloatAttrib, IntAttrib2, TMetaInfo(), nullptr,   \
                   0, false);                                                                   \
  }
ZOL_GDB_POLY_ADD(AddLake, gitLake)
ZOL_GDB_POLY_ADD(AddRiver, gitRiver)
ZOL_GDB_POLY_ADD(AddRoad, gitRoad)
ZOL_GDB_POLY_ADD(AddRoute, gitRoute)
#undef ZOL_GDB_POLY_ADD

int TGeoDB::AddBorder(const std::string& Name, const TgdbPolygon& Polygon, bool Closed,
                      double Date, int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
                      float LongHigh, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2) {
  return AddData(Name, Polygon, Closed, gitBorder, ByteAttrib, Date, IntAttrib1, LatLow, LatHigh,
                 LongLow, LongHigh, FloatAttrib, IntAttrib2, TMetaInfo(), nullptr, 0, false);
}

int TGeoDB::AddCity(const std::string& Name, const TgdbPolygon& Polygon, bool Closed, double Date,
                    int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
                    float LongHigh, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2) {
  return AddData(Name, Polygon, Closed, gitCity, ByteAttrib, Date, IntAttrib1, LatLow, LatHigh,
                 LongLow, LongHigh, FloatAttrib, IntAttrib2, TMetaInfo(), nullptr, 0, false);
}

int TGeoDB::AddTown(const std::string& Name, double Date, int32_t IntAttrib1, TSCoords Coords,
                    float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2) {
  return AddData(Name, TgdbPolygon(), false, gitTown, ByteAttrib, Date, IntAttrib1,
                 Coords.Latitude, Coords.Latitude, Coords.Longitude, Coords.Longitude,
                 FloatAttrib, IntAttrib2, TMetaInfo(), nullptr, 0, false);
}

int TGeoDB::AddBLOB(const std::string& FileName, double Date, int32_t IntAttrib1, float LatLow,
                    float LatHigh, float LongLow, float LongHigh, float FloatAttrib,
                    uint8_t ByteAttrib, int32_t IntAttrib2, const TMetaInfo& MetaInfo) {
  return AddBLOB(FileName, FileName, Date, IntAttrib1, LatLow, LatHigh, LongLow, LongHigh,
                 FloatAttrib, ByteAttrib, IntAttrib2, MetaInfo);
}

int TGeoDB::AddBLOB(const std::string& FileName, const std::string& BlobName, double Date,
                    int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
                    float LongHigh, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2,
                    const TMetaInfo& MetaInfo) {
  return AddData(ExtractFileName(BlobName), TgdbPolygon(), false, gitBLOB, ByteAttrib, Date,
                 IntAttrib1, LatLow, LatHigh, LongLow, LongHigh, FloatAttrib, IntAttrib2, MetaInfo,
                 nullptr, 0, true, FileName);
}

int TGeoDB::AddBLOB(const std::string& FileName, const std::string& BlobName,
                    const std::string& Comment, double Date, int32_t IntAttrib1, float LatLow,
                    float LatHigh, float LongLow, float LongHigh, float FloatAttrib,
                    uint8_t ByteAttrib, int32_t IntAttrib2, const TMetaInfo& MetaInfo,
                    TMetaInfo* MetaInfoOut) {
  TMetaInfo m = MetaInfo;
  if (!Comment.empty()) m[miComment] = Comment;
  const int r = AddBLOB(FileName, BlobName, Date, IntAttrib1, LatLow, LatHigh, LongLow, LongHigh,
                        FloatAttrib, ByteAttrib, IntAttrib2, m);
  if (r > 0 && MetaInfoOut) GetMetaInfo(r, *MetaInfoOut);
  return r;
}

int TGeoDB::AddBLOB(const std::string& BlobName, double Date, int32_t IntAttrib1, float LatLow,
                    float LatHigh, float LongLow, float LongHigh, float FloatAttrib,
                    uint8_t ByteAttrib, int32_t IntAttrib2, const TMetaInfo& MetaInfo,
                    const void* Data, int64_t DataSize) {
  return AddData(ExtractFileName(BlobName), TgdbPolygon(), false, gitBLOB, ByteAttrib, Date,
                 IntAttrib1, LatLow, LatHigh, LongLow, LongHigh, FloatAttrib, IntAttrib2, MetaInfo,
                 Data, DataSize, false);
}

int TGeoDB::AddBLOB(const std::string& BlobName, double Date, int32_t IntAttrib1, float LatLow,
                    float LatHigh, float LongLow, float LongHigh, float FloatAttrib,
                    uint8_t ByteAttrib, int32_t IntAttrib2, const TMetaInfo& MetaInfo,
                    TMemoryStream& Stream) {
  return AddBLOB(BlobName, Date, IntAttrib1, LatLow, LatHigh, LongLow, LongHigh, FloatAttrib,
                 ByteAttrib, IntAttrib2, MetaInfo, Stream.Memory(), Stream.Size());
}

#define ZOL_GDB_POLY_REPLACE(Fn, Kind)                                                        \
  void TGeoDB::Fn(int Ix, const std::string& Name, const TgdbPolygon& Polygon, double Date,  \
                  int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,            \
                  float LongHigh, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2) { \
    ReplaceData(Ix, Name, Polygon, Kind == gitLake, Kind, ByteAttrib, Date, IntAttrib1, LatLow, \
                LatHigh, LongLow, LongHigh, FloatAttrib, IntAttrib2, TMetaInfo(), nullptr, 0,   \
                false);                                                                         \
  }
ZOL_GDB_POLY_REPLACE(ReplaceLake, gitLake)
ZOL_GDB_POLY_REPLACE(ReplaceRiver, gitRiver)
ZOL_GDB_POLY_REPLACE(ReplaceRoad, gitRoad)
ZOL_GDB_POLY_REPLACE(ReplaceRoute, gitRoute)
#undef ZOL_GDB_POLY_REPLACE

void TGeoDB::ReplaceBorder(int Ix, const std::string& Name, const TgdbPolygon& Polygon, bool Closed,
                  double Date, int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
                  float LongHigh, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2) {
  ReplaceData(Ix, Name, Polygon, Closed, gitBorder, ByteAttrib, Date, IntAttrib1, LatLow, LatHigh,
              LongLow, LongHigh, FloatAttrib, IntAttrib2, TMetaInfo(), nullptr, 0, false);
}

void TGeoDB::ReplaceCity(int Ix, const std::string& Name, const TgdbPolygon& Polygon, bool Closed,
                  double Date, int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
                  float LongHigh, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2) {
  ReplaceData(Ix, Name, Polygon, Closed, gitCity, ByteAttrib, Date, IntAttrib1, LatLow, LatHigh,
              LongLow, LongHigh, FloatAttrib, IntAttrib2, TMetaInfo(), nullptr, 0, false);
}

void TGeoDB::ReplaceTown(int Ix, const std::string& Name, double Date, int32_t IntAttrib1,
                         TSCoords Coords, float FloatAttrib, uint8_t ByteAttrib,
                         int32_t IntAttrib2) {
  ReplaceData(Ix, Name, TgdbPolygon(), false, gitTown, ByteAttrib, Date, IntAttrib1,
              Coords.Latitude, Coords.Latitude, Coords.Longitude, Coords.Longitude, FloatAttrib,
              IntAttrib2, TMetaInfo(), nullptr, 0, false);
}

void TGeoDB::ReplaceBLOB(int Ix, const std::string& FileName, double Date, int32_t IntAttrib1,
                         float LatLow, float LatHigh, float LongLow, float LongHigh,
                         float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2,
                         const TMetaInfo& MetaInfo) {
  ReplaceData(Ix, ExtractFileName(FileName), TgdbPolygon(), false, gitBLOB, ByteAttrib, Date,
              IntAttrib1, LatLow, LatHigh, LongLow, LongHigh, FloatAttrib, IntAttrib2, MetaInfo,
              nullptr, 0, true, FileName);
}

void TGeoDB::ReplaceBLOB(int Ix, const std::string& BlobName, double Date, int32_t IntAttrib1,
                         float LatLow, float LatHigh, float LongLow, float LongHigh,
                         float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2,
                         const TMetaInfo& MetaInfo, const void* Data, int64_t DataSize) {
  ReplaceData(Ix, ExtractFileName(BlobName), TgdbPolygon(), false, gitBLOB, ByteAttrib, Date,
              IntAttrib1, LatLow, LatHigh, LongLow, LongHigh, FloatAttrib, IntAttrib2, MetaInfo,
              Data, DataSize, false);
}

void TGeoDB::ReplaceBLOB(int Ix, const std::string& BlobName, double Date, int32_t IntAttrib1,
                         float LatLow, float LatHigh, float LongLow, float LongHigh,
                         float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2,
                         const TMetaInfo& MetaInfo, TMemoryStream& Stream) {
  ReplaceBLOB(Ix, BlobName, Date, IntAttrib1, LatLow, LatHigh, LongLow, LongHigh, FloatAttrib,
              ByteAttrib, IntAttrib2, MetaInfo, Stream.Memory(), Stream.Size());
}

// ---- deleting
void TGeoDB::DeleteData(int Ix) {
  if (FBaseName.empty() || Ix < 1 || Ix > NumEntries()) return;
  const int last = NumEntries();
  if (Ix != last) WriteDescriptor(Ix - 1, FData[last - 1]);
  if (::truncate(FFileNames[fDesc].c_str(), static_cast<off_t>(last - 1) * gdbDescriptorSize) != 0)
    RaiseIO(FFileNames[fDesc]);
  FData[Ix - 1] = FData[last - 1];
  FData.pop_back();
  RemoveIndexEntries(Ix);
  if (Ix != last) {
    for (auto& e : FIxItemID)
      if (e.RecIx + 1 == last) {
        e.RecIx = Ix - 1;
        break;
      }
    for (auto& a : FIxLL)
      for (auto& e : a)
        if (e.RecIx + 1 == last) {
          e.RecIx = Ix - 1;
          break;
        }
  }
  if (!FLazyWrite) WriteAllIndices();
}

// ---- retrieving
int TGeoDB::RetrievePolygon(int Ix, TgdbPolygon& Polygon) {
  if (Ix < 1) Ix = 1;
  if (Ix > NumEntries()) return 0;
  const TgdbData& d = FData[Ix - 1];
  if (d.ItemType == gitTown || d.ItemType == gitBLOB || d.ItemType == gitUndefined ||
      d.DataPos < 0 || d.NumData < 0)
    return 0;
  FilePtr f = OpenFile(FFileNames[fData], "rb");
  if (!f) return 0;
  const int64_t size = StreamSize(f.get());
  // The points must lie inside the file before anything is allocated.
  if (d.DataPos < gdbHeaderSize || static_cast<int64_t>(d.DataPos) + 8LL * d.NumData > size)
    return 0;
  Progress(0);
  std::vector<uint8_t> raw(static_cast<size_t>(d.NumData) * 8);
  if (!raw.empty() && !ReadAt(f.get(), d.DataPos, raw.data(), raw.size())) return 0;
  Polygon.resize(static_cast<size_t>(d.NumData));
  const int step = d.NumData / 100 + 1;
  for (int k = 0; k < d.NumData; ++k) {
    Polygon[k].Latitude = GetLEFloat(&raw[8 * k]);
    Polygon[k].Longitude = GetLEFloat(&raw[8 * k + 4]);
    if ((k + 1) % step == 0 && OnPercentDone)
      Progress(static_cast<int>(std::lround(100.0 * (k + 1) / d.NumData)));
  }
  Progress(100);
  return 1;
}

bool TGeoDB::ReadBlobHeader(int Ix, TMetaInfo& MetaInfo, int64_t& ContentPos) const {
  if (Ix < 1 || Ix > NumEntries()) return false;
  const TgdbData& d = FData[Ix - 1];
  if (d.ItemType != gitBLOB || d.DataPos < gdbHeaderSize || d.NumData < 0) return false;
  FilePtr f = OpenFile(FFileNames[fData], "rb");
  if (!f) return false;
  const int64_t size = StreamSize(f.get());
  if (static_cast<int64_t>(d.DataPos) + gdbMetaInfoSize + d.NumData > size) return false;
  uint8_t mb[gdbMetaInfoSize];
  if (!ReadAt(f.get(), d.DataPos, mb, sizeof mb)) return false;
  MetaInfo = DecodeMetaInfo(mb);
  ContentPos = static_cast<int64_t>(d.DataPos) + gdbMetaInfoSize;
  return true;
}

bool TGeoDB::GetMetaInfo(int Ix, TMetaInfo& MetaInfo) {
  int64_t pos;
  return ReadBlobHeader(Ix, MetaInfo, pos);
}

bool TGeoDB::ReadBlobContent(int Ix, TMetaInfo& MetaInfo, std::vector<uint8_t>* Out,
                             std::FILE* To) {
  int64_t pos;
  TMetaInfo m;
  if (!ReadBlobHeader(Ix, m, pos)) return false;
  const int64_t total = FData[Ix - 1].NumData;
  FilePtr f = OpenFile(FFileNames[fData], "rb");
  if (!f || std::fseek(f.get(), static_cast<long>(pos), SEEK_SET) != 0) return false;
  Progress(0);
  if (Out) Out->resize(static_cast<size_t>(total));
  std::vector<uint8_t> buf(kBlock);
  int64_t done = 0;
  while (done < total) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(kBlock, total - done));
    uint8_t* dst = Out ? Out->data() + done : buf.data();
    if (std::fread(dst, 1, n, f.get()) != n) return false;
    if (To && std::fwrite(dst, 1, n, To) != n) RaiseIO("RetrieveBLOB");
    done += static_cast<int64_t>(n);
    Progress(static_cast<int>(std::lround(100.0 * static_cast<double>(done) / static_cast<double>(total))));
  }
  Progress(100);
  MetaInfo = m;
  return true;
}

int TGeoDB::RetrieveBLOB(int Ix, const std::string& FileName, TMetaInfo& MetaInfo) {
  if (Ix < 1 || Ix > NumEntries() || FData[Ix - 1].ItemType != gitBLOB) return 0;
  std::string name = FileName;
  if (name.empty() || name.back() == '\\' || name.back() == '/')
    name += ReduceStringToFN83CompliantChars(TrimRightSpaces(FData[Ix - 1].Name));
  if (name.empty() || name.back() == '\\' || name.back() == '/')
    throw EZOLGeoDBError(ComponentMsg("RetrieveBLOB: invalid filename."));
  TMetaInfo m;
  int64_t pos;
  if (!ReadBlobHeader(Ix, m, pos)) return 0;
  FilePtr out = OpenFile(name, "wb");
  if (!out) RaiseIO(name);
  if (!ReadBlobContent(Ix, MetaInfo, nullptr, out.get())) return 0;
  if (std::fflush(out.get()) != 0) RaiseIO(name);
  return 1;
}

int TGeoDB::RetrieveBLOB(int Ix, TMetaInfo& MetaInfo, void* Buffer, int64_t BufferSize) {
  if (Ix < 1 || Ix > NumEntries() || FData[Ix - 1].ItemType != gitBLOB) return 0;
  if (BufferSize < FData[Ix - 1].NumData)
    throw EZOLGeoDBError(
        ComponentMsg("RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData."));
  std::vector<uint8_t> data;
  if (!ReadBlobContent(Ix, MetaInfo, &data, nullptr)) return 0;
  if (!data.empty()) std::memcpy(Buffer, data.data(), data.size());
  return 1;
}

int TGeoDB::RetrieveBLOB(int Ix, TMetaInfo& MetaInfo, TMemoryStream& Stream) {
  if (Ix < 1 || Ix > NumEntries() || FData[Ix - 1].ItemType != gitBLOB) return 0;
  std::vector<uint8_t> data;
  if (!ReadBlobContent(Ix, MetaInfo, &data, nullptr)) return 0;
  Stream.Clear();
  if (!data.empty()) Stream.Write(data.data(), static_cast<int64_t>(data.size()));
  Stream.Seek(0, soBeginning);
  return 1;
}

// ---- updating in place
void TGeoDB::UpdateBasicData(int Ix, const TgdbData& Data) {
  if (FBaseName.empty() || Ix < 1 || Ix > NumEntries()) return;
  TgdbData d = Data;
  const TgdbData& old = FData[Ix - 1];
  d.ItemID = old.ItemID;
  d.ItemType = old.ItemType;
  d.DataPos = old.DataPos;
  d.NumData = old.NumData;
  d.Name = Utf8Truncate(d.Name, gdbNameLength);
  WriteDescriptor(Ix - 1, d);
  FData[Ix - 1] = d;
  RemoveIndexEntries(Ix);
  FIxItemID.push_back({0, 0});
  for (auto& a : FIxLL) a.push_back({0.0f, 0});
  InsertIntoIndex(Ix, d);
  if (!FLazyWrite) WriteAllIndices();
}

bool TGeoDB::UpdateMetaInfo(int Ix, const TMetaInfo& MetaInfo) {
  TMetaInfo old;
  int64_t pos;
  if (FBaseName.empty() || !ReadBlobHeader(Ix, old, pos)) return false;
  uint8_t mb[gdbMetaInfoSize];
  EncodeMetaInfo(MetaInfo, mb);
  FilePtr f = OpenFile(FFileNames[fData], "r+b");
  if (!f) RaiseIO(FFileNames[fData]);
  WriteAt(f.get(), pos - gdbMetaInfoSize, mb, sizeof mb, FFileNames[fData]);
  return true;
}

void TGeoDB::GarbageCollection() {
  if (FBaseName.empty()) return;
  const std::string tmp = FFileNames[fData] + ".tmp";
  FilePtr src = OpenFile(FFileNames[fData], "rb");
  if (!src) RaiseIO(FFileNames[fData]);
  const int64_t size = StreamSize(src.get());
  std::vector<TgdbData> nd = FData;
  {
    FilePtr dst = OpenFile(tmp, "wb");
    if (!dst) RaiseIO(tmp);
    uint8_t h[gdbHeaderSize];
    if (!ReadAt(src.get(), 0, h, sizeof h)) RaiseIO(FFileNames[fData]);
    if (std::fwrite(h, 1, sizeof h, dst.get()) != sizeof h) RaiseIO(tmp);
    int64_t out = gdbHeaderSize;
    std::vector<uint8_t> buf;
    for (auto& d : nd) {
      if (d.DataPos < 0) continue;
      int64_t len = -1;
      if (d.ItemType == gitBLOB && d.NumData >= 0) len = gdbMetaInfoSize + int64_t(d.NumData);
      else if (d.ItemType < gitBLOB && d.ItemType != gitTown && d.NumData >= 0) len = 8LL * d.NumData;
      if (len < 0 || d.DataPos < gdbHeaderSize || d.DataPos + len > size) {
        d.DataPos = -1;  // a reference beyond the file is dropped
        d.NumData = 0;
        continue;
      }
      buf.resize(static_cast<size_t>(len));
      if (len > 0 && !ReadAt(src.get(), d.DataPos, buf.data(), buf.size())) RaiseIO(FFileNames[fData]);
      if (len > 0 && std::fwrite(buf.data(), 1, buf.size(), dst.get()) != buf.size()) RaiseIO(tmp);
      d.DataPos = static_cast<int32_t>(out);
      out += len;
    }
    if (std::fflush(dst.get()) != 0) RaiseIO(tmp);
  }
  src.reset();
  // Descriptors first into a file beside, then both renamed into place.
  std::vector<uint8_t> draw(nd.size() * gdbDescriptorSize);
  for (size_t k = 0; k < nd.size(); ++k) EncodeGdbData(nd[k], &draw[k * gdbDescriptorSize]);
  WriteWholeFile(FFileNames[fDesc], draw);
  if (std::rename(tmp.c_str(), FFileNames[fData].c_str()) != 0) RaiseIO(FFileNames[fData]);
  FData = nd;
}

void TGeoDB::ExportDataDebug(const std::string& FileName) const {
  FilePtr f = OpenFile(FileName, "w");
  if (!f) RaiseIO(FileName);
  std::ostringstream os;
  os << "database " << FBaseName << "\nversion " << FVersion << ", last item ID " << FLastItemID
     << ", revision " << FRevision << "\ndescription " << FDescription << "\nentries "
     << NumEntries() << "\n";
  for (int i = 1; i <= NumEntries(); ++i) {
    const TgdbData& d = FData[i - 1];
    os << i << "\tID " << d.ItemID << "\t" << GDB_ITEMNAMES[d.ItemType] << "\t"
       << TrimRightSpaces(d.Name) << "\tbox " << d.LatLow << " " << d.LatHigh << " " << d.LongLow
       << " " << d.LongHigh << "\tDataPos " << d.DataPos << "\tNumData " << d.NumData
       << (d.Closed ? "\tclosed" : "") << "\n";
  }
  const std::string s = os.str();
  if (std::fwrite(s.data(), 1, s.size(), f.get()) != s.size()) RaiseIO(FileName);
}

}  // namespace zol
