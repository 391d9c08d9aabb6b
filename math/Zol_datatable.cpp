// TDataTable: cells with states, names, attributes and scale types; statistics
// and text files (see the header for the rules and the file layouts).
#include "math/Zol_datatable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <new>
#include <set>
#include <stdexcept>

#include "base/Zol_dstruct.h"
#include "base/Zol_stringl.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_sysutils.h"
#include "math/Zol_math1.h"

namespace zol {

const char* const MScaleTypeNames[5] = {"unknown", "nominal", "ordinal", "interval", "ratio"};

// Collects the events of a bulk operation and fires each once at its end.
// When the operation is left by an exception the events are dropped (a
// handler must not throw while another exception is in flight).
class TDTBulk {
 public:
  explicit TDTBulk(TDataTable* t) : FT(t), FExceptions(std::uncaught_exceptions()) { FT->BeginBulk(); }
  ~TDTBulk() noexcept(false) {
    if (std::uncaught_exceptions() > FExceptions) {
      if (--FT->FBulkDepth == 0) FT->FPending = 0;
      return;
    }
    FT->EndBulk();
  }
  TDTBulk(const TDTBulk&) = delete;
  TDTBulk& operator=(const TDTBulk&) = delete;

 private:
  TDataTable* FT;
  int FExceptions;
};

namespace {

constexpr uint8_t kNonNumeric = csInvalid | csEmpty;
constexpr uint8_t kMarkBits = 0xFC;  // bits 2..7

bool IsCategorial(TMScaleType t) { return t == stNominal || t == stOrdinal; }

void NormRange(int& Lo, int& Hi, int N) {
  if (Lo == 0 && Hi == 0) {
    Lo = 1;
    Hi = N;
    return;
  }
  Lo = std::clamp(Lo, 1, std::max(N, 1));
  Hi = std::clamp(Hi, 1, std::max(N, 1));
  if (Lo > Hi) std::swap(Lo, Hi);
}

// Comb sort (shrink 1.3) over positions Lo..Hi; Cmp(i, j) < 0, 0, > 0.
template <class Cmp, class Swp>
void CombSort(int Lo, int Hi, bool Ascending, Cmp cmp, Swp swp) {
  if (Hi - Lo <= 0) return;
  int gap = Hi - Lo;
  bool swapped;
  do {
    gap = std::max(1, static_cast<int>(gap / 1.3));
    swapped = false;
    for (int i = Lo; i + gap <= Hi; ++i) {
      const int c = cmp(i, i + gap);
      if (Ascending ? c > 0 : c < 0) {
        swp(i, i + gap);
        swapped = true;
      }
    }
  } while (gap > 1 || swapped);
}

int CmpNum(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

std::string NormName(const std::string& s) { return UpperCase(Trim(s)); }

// Eight CRC-32 accumulators; a byte goes to accumulator (position mod 8),
// positions counted from 1 within each sequence.
class TCRC8 {
 public:
  void Seq(const uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const size_t k = (i + 1) % 8;
      acc[k] = CalcNextCRC32(b[i], acc[k]);
    }
  }
  void Seq(const std::string& s) { Seq(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }
  std::string Result() const {
    std::string r;
    char buf[16];
    for (uint32_t a : acc) {
      std::snprintf(buf, sizeof buf, "%08X", ~a);
      r += buf;
    }
    return r;
  }

 private:
  uint32_t acc[8] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                     0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
};

// ---------------------------------------------------------------- text helpers
std::string FormatNum(double v, int Precision) {
  if (Precision < 0) return FloatToStr(v);
  return strff(static_cast<long double>(v), 1, std::min(Precision, 20));
}

// Value of a field: empty → csEmpty, a number → 0, anything else → csInvalid.
uint8_t ParseCell(const std::string& field, bool DecimalComma, double& v) {
  const std::string t = Trim(field);
  v = 0.0;
  if (t.empty()) return csEmpty;
  double x;
  if (TryStrToFloat(t, x)) {
    v = x;
    return 0;
  }
  if (DecimalComma && std::count(t.begin(), t.end(), ',') == 1 && t.find('.') == std::string::npos) {
    std::string u = t;
    u[u.find(',')] = '.';
    if (TryStrToFloat(u, x)) {
      v = x;
      return 0;
    }
  }
  return csInvalid;
}

std::string CellText(uint8_t state, double v, int Precision) {
  if (state & csEmpty) return std::string();
  if (state & csInvalid) return "-nan-";
  return FormatNum(v, Precision);
}

std::string Quoted(const std::string& s) {
  std::string r = "\"";
  for (char ch : s) {
    if (ch == '"') r += '"';
    r += ch;
  }
  r += '"';
  return r;
}

char DelimChar(TCSVDelimiters d) {
  switch (d) {
    case csvColon: return ':';
    case csvSemicolon: return ';';
    case csvTab: return '\t';
    default: return ',';
  }
}

// One record of delimited text starting at pos.  Fields may be quoted
// (RFC 4180: "" inside stands for "; a quoted field may hold delimiters and
// line breaks).  The record ends at LF, CR LF, CR or the end of the text.
// False when a quoted field is not closed (truncated text).
struct TRecord {
  std::vector<std::string> Fields;
  std::vector<bool> WasQuoted;
  size_t Begin = 0, End = 0;  // raw text of the record (without its line end)
  bool SawDelim = false;
};

bool ParseRecord(const std::string& s, size_t& pos, char delim, TRecord& rec) {
  rec.Fields.clear();
  rec.WasQuoted.clear();
  rec.SawDelim = false;
  rec.Begin = pos;
  const size_t n = s.size();
  std::string f;
  bool quoted = false;
  for (;;) {
    f.clear();
    quoted = false;
    if (pos < n && s[pos] == '"') {
      quoted = true;
      ++pos;
      for (;;) {
        if (pos >= n) return false;  // unterminated quote
        const char ch = s[pos++];
        if (ch == '"') {
          if (pos < n && s[pos] == '"') {
            f += '"';
            ++pos;
          } else {
            break;
          }
        } else {
          f += ch;
        }
      }
    }
    // Unquoted part (or stray text after a closing quote).
    while (pos < n && s[pos] != delim && s[pos] != '\n' && s[pos] != '\r') f += s[pos++];
    rec.Fields.push_back(f);
    rec.WasQuoted.push_back(quoted);
    if (pos < n && s[pos] == delim) {
      rec.SawDelim = true;
      ++pos;
      continue;
    }
    rec.End = pos;
    if (pos < n && s[pos] == '\r') {
      ++pos;
      if (pos < n && s[pos] == '\n') ++pos;
    } else if (pos < n && s[pos] == '\n') {
      ++pos;
    }
    return true;
  }
}

// Whitespace-separated tokens of raw text (quotes respected).
std::vector<std::string> SplitBlanks(const std::string& s) {
  std::vector<std::string> r;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= n) break;
    std::string t;
    if (s[i] == '"') {
      ++i;
      while (i < n) {
        if (s[i] == '"') {
          if (i + 1 < n && s[i + 1] == '"') {
            t += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        t += s[i++];
      }
    } else {
      while (i < n && s[i] != ' ' && s[i] != '\t') t += s[i++];
    }
    r.push_back(t);
  }
  return r;
}

bool ParseByte(const std::string& f, uint8_t& b) {
  int v;
  if (!TryStrToInt(Trim(f), v) || v < 0 || v > 255) return false;
  b = static_cast<uint8_t>(v);
  return true;
}

// The remaining bytes of a stream (false when it cannot be read or is larger
// than 2 GiB).
bool ReadAll(TStream& Stream, std::string& out) {
  try {
    const int64_t pos = Stream.Position();
    const int64_t size = Stream.Size();
    if (size < pos) return false;
    const int64_t n = size - pos;
    if (n > (int64_t{1} << 31)) return false;
    out.assign(static_cast<size_t>(n), '\0');
    if (n > 0 && Stream.Read(out.data(), n) != n) return false;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const Exception&) {
    return false;
  }
}

void WriteText(TStream& Stream, const std::string& s) {
  if (!s.empty()) Stream.WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
}

}  // namespace

// A file's contents before they go into the table.
struct TDataTable::TParsedTable {
  int NC = 0, NR = 0;
  std::string Comment;
  bool HasColNames = false, HasRowNames = false, HasColAttr = false, HasRowAttr = false;
  std::vector<std::string> ColNames, RowNames;
  std::vector<uint8_t> ColAttr, RowAttr;
  std::vector<double> Values;   // row by row
  std::vector<uint8_t> States;  // row by row
};

namespace {

// Leading decimal integer of a header line (blanks before it; after it a
// blank, TAB, ';' or the end of the line).
bool LeadingInt(const std::string& line, int& v) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  size_t j = i;
  if (j < line.size() && (line[j] == '+' || line[j] == '-')) ++j;
  const size_t d = j;
  while (j < line.size() && line[j] >= '0' && line[j] <= '9') ++j;
  if (j == d) return false;
  if (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != ';') return false;
  return TryStrToInt(line.substr(i, j - i), v);
}

// The flag line: TRUE/FALSE words (ASCII case-insensitive); the first three
// are required, the fourth is true only when it reads TRUE.
bool AscFlags(std::string line, bool& f1, bool& f2, bool& f3, bool& f4) {
  for (char& ch : line)
    if (ch == '\t') ch = ' ';
  line = Trim(UpperCase(line));
  bool* flags[4] = {&f1, &f2, &f3, &f4};
  for (int k = 0; k < 4; ++k) {
    *flags[k] = false;
    if (line.compare(0, 4, "TRUE") == 0) {
      *flags[k] = true;
      line = Trim(line.substr(4));
    } else if (line.compare(0, 5, "FALSE") == 0) {
      line = Trim(line.substr(5));
    } else if (k < 3) {
      return false;
    }
  }
  return true;
}

// ASC text → parsed table; false on any fault.
bool ParseASC(const std::string& text, TDataTable::TParsedTable& p) {
  // The four header lines (see ReadHeaderOfASC); the counts are the leading
  // integers of lines 2 and 3, so "2<TAB>;nr. of columns" reads as 2.
  size_t pos = 0;
  std::string hdr[4];
  for (auto& l : hdr) {
    const size_t lf = text.find('\n', pos);
    if (lf == std::string::npos) return false;
    l = text.substr(pos, lf - pos);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    pos = lf + 1;
  }
  const std::string comment = BytesToUtf8(hdr[0]);
  int nc = 0, nr = 0;
  bool f1, f2, f3, f4;
  if (!LeadingInt(hdr[1], nc) || !LeadingInt(hdr[2], nr)) return false;
  if (!AscFlags(hdr[3], f1, f2, f3, f4)) return false;
  if (nc < 1 || nr < 1) return false;
  // Every row is at least one line and holds nc fields (nc - 1 separators):
  // check the counts against the text before anything is allocated.
  const size_t rest = text.size() - pos;
  const uint64_t lines = static_cast<uint64_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(pos), text.end(), '\n')) + 1;
  if (static_cast<uint64_t>(nr) > lines) return false;
  if (static_cast<uint64_t>(nc) > rest + 1) return false;
  p.NC = nc;
  p.NR = nr;
  p.Comment = comment;
  p.HasRowAttr = f1;
  p.HasColNames = f2;
  p.HasRowNames = f3;
  p.HasColAttr = f4;
  TRecord rec;
  // Fields of the next record, falling back to blank separation when a
  // record without TABs does not hold the expected count.
  auto next = [&](size_t expected, std::vector<std::string>& out) -> bool {
    if (pos >= text.size()) return false;
    if (!ParseRecord(text, pos, '\t', rec)) return false;
    if (pos == rec.End) return false;  // every line ends in a line break
    out = rec.Fields;
    if (out.size() != expected && !rec.SawDelim) out = SplitBlanks(text.substr(rec.Begin, rec.End - rec.Begin));
    return out.size() == expected;
  };
  std::vector<std::string> fields;
  if (f2) {
    if (!next(static_cast<size_t>(nc), fields)) return false;
    p.ColNames.reserve(nc);
    for (auto& f : fields) p.ColNames.push_back(Utf8Truncate(BytesToUtf8(f), DTNameCapacity));
  }
  if (f4) {
    if (!next(static_cast<size_t>(nc), fields)) return false;
    p.ColAttr.resize(nc);
    for (int c = 0; c < nc; ++c)
      if (!ParseByte(fields[c], p.ColAttr[c])) return false;
  }
  const size_t lead = (f3 ? 1 : 0) + (f1 ? 1 : 0);
  for (int r = 0; r < nr; ++r) {
    if (!next(static_cast<size_t>(nc) + lead, fields)) return false;
    size_t i = 0;
    if (f3) p.RowNames.push_back(Utf8Truncate(BytesToUtf8(fields[i++]), DTNameCapacity));
    if (f1) {
      uint8_t b;
      if (!ParseByte(fields[i++], b)) return false;
      p.RowAttr.push_back(b);
    }
    for (int c = 0; c < nc; ++c) {
      double v;
      const uint8_t st = ParseCell(fields[i + c], false, v);
      p.Values.push_back(v);
      p.States.push_back(st);
    }
  }
  return true;
}

bool ParseCSV(const std::string& textIn, TCSVDelimiters Delimiter, bool WithColNames, bool WithRowNames,
              TDataTable::TParsedTable& p) {
  size_t pos = 0;
  const std::string& text = textIn;
  if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
      static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
    pos = 3;
  char delim = DelimChar(Delimiter);
  if (Delimiter == csvUnknown) {
    // The most frequent candidate outside quotes in the first record.
    const char cands[4] = {';', '\t', ',', ':'};  // ties go to the earlier one
    int counts[4] = {0, 0, 0, 0};
    bool inq = false;
    for (size_t i = pos; i < text.size(); ++i) {
      const char ch = text[i];
      if (ch == '"') inq = !inq;
      if (!inq && (ch == '\n' || ch == '\r')) break;
      if (!inq)
        for (int k = 0; k < 4; ++k)
          if (ch == cands[k]) ++counts[k];
    }
    int best = 0;
    for (int k = 1; k < 4; ++k)
      if (counts[k] > counts[best]) best = k;
    delim = cands[best];
  }
  const bool decComma = delim != ',';
  TRecord rec;
  size_t width = 0;  // fields per record
  bool first = true;
  int rows = 0;
  while (pos < text.size()) {
    if (!ParseRecord(text, pos, delim, rec)) return false;
    if (rec.End == rec.Begin && rec.Fields.size() == 1 && !rec.WasQuoted[0]) continue;  // blank line
    if (first) {
      width = rec.Fields.size();
      if (WithRowNames && width < 2) return false;
    } else if (rec.Fields.size() != width) {
      return false;
    }
    if (first && WithColNames) {
      first = false;
      for (size_t i = WithRowNames ? 1 : 0; i < width; ++i)
        p.ColNames.push_back(Utf8Truncate(BytesToUtf8(rec.Fields[i]), DTNameCapacity));
      continue;
    }
    first = false;
    size_t i = 0;
    if (WithRowNames) p.RowNames.push_back(Utf8Truncate(BytesToUtf8(rec.Fields[i++]), DTNameCapacity));
    for (; i < width; ++i) {
      double v;
      const uint8_t st = ParseCell(rec.Fields[i], decComma, v);
      p.Values.push_back(v);
      p.States.push_back(st);
    }
    if (++rows == std::numeric_limits<int>::max()) return false;
  }
  if (rows < 1 || width < 1) return false;
  const size_t nc = width - (WithRowNames ? 1 : 0);
  if (nc < 1 || nc > static_cast<size_t>(std::numeric_limits<int>::max())) return false;
  p.NC = static_cast<int>(nc);
  p.NR = rows;
  p.HasColNames = WithColNames;
  p.HasRowNames = WithRowNames;
  return true;
}

}  // namespace

// ==================================================================== TDataTable
TDataTable::TDataTable(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FOwnMat = std::make_unique<TMatrix>(nullptr);
    FMat = FOwnMat.get();
    FStates.assign(1, 0);
    FColNames = {DefaultColName(1)};
    FRowNames = {DefaultRowName(1)};
    FColAttr.assign(1, 0);
    FRowAttr.assign(1, 0);
    FScale.assign(1, stInterval);
    FLabels.resize(1);
    HookMatrix(FMat);
  } catch (const std::bad_alloc&) {
    FOwnMat.reset();
    throw EZOLDataTableError(ComponentMsg("failed to initialize (out of memory)"));
  }
}

TDataTable::~TDataTable() {
  if (FMat && FMat != FOwnMat.get()) UnhookMatrix(FMat);
  if (FOwnMat) {
    FOwnMat->OnChange = nullptr;
    FOwnMat->OnSortExchange = nullptr;
  }
}

std::string TDataTable::DefaultColName(int c) const { return "C-" + IntToStr(c); }
std::string TDataTable::DefaultRowName(int r) const { return "R-" + IntToStr(r); }

// ---------------------------------------------------------------- events
void TDataTable::Fire(unsigned kinds) {
  kinds &= ~FSilenced;
  if (kinds == 0) return;
  if (FBulkDepth > 0) {
    FPending |= kinds;
    return;
  }
  if ((kinds & evSetup) && OnChangeSetup) OnChangeSetup(this);
  if ((kinds & evNames) && OnChangeNames) OnChangeNames(this);
  if ((kinds & evAttrib) && OnChangeAttrib) OnChangeAttrib(this);
  if ((kinds & evCellState) && OnChangeCellState) OnChangeCellState(this);
  if ((kinds & evData) && OnChange) OnChange(this);
}

void TDataTable::BeginBulk() {
  if (FBulkDepth++ == 0) {
    FPending = 0;
    FBulkOldCols = FNCols;
    FBulkOldRows = FNRows;
  }
}

void TDataTable::EndBulk() {
  if (--FBulkDepth > 0) return;
  const unsigned pend = FPending & ~FSilenced;
  FPending = 0;
  if (((pend & evResize) || FBulkOldCols != FNCols || FBulkOldRows != FNRows) && !(FSilenced & evResize) &&
      OnResize)
    OnResize(this, FBulkOldCols, FBulkOldRows, FNCols, FNRows);
  Fire(pend & ~evResize);
}

void TDataTable::HookMatrix(TMatrix* m) {
  m->OnChange = [this](TObject*) { MatrixChanged(); };
  m->OnSortExchange = [this](TObject* Sender, uint8_t What, int i1, int i2, int first, int last) {
    OnMatrixSortExchange(Sender, What, i1, i2, first, last);
  };
  if (m != FOwnMat.get()) FreeNotification(m);
}

void TDataTable::UnhookMatrix(TMatrix* m) {
  m->OnChange = nullptr;
  m->OnSortExchange = nullptr;
  RemoveFreeNotification(m);
}

void TDataTable::MatrixChanged() {
  if (FMatMute > 0) return;
  const int nc = std::max(1, FMat->NrOfColumns()), nr = std::max(1, FMat->NrOfRows());
  if (nc != FNCols || nr != FNRows) {
    // The outside matrix was resized directly: follow it.
    TDTBulk bulk(this);
    std::vector<int> cm(nc), rm(nr);
    for (int c = 1; c <= nc; ++c) cm[c - 1] = c <= FNCols ? c : 0;
    for (int r = 1; r <= nr; ++r) rm[r - 1] = r <= FNRows ? r : 0;
    TAux a = BuildAux(cm, rm, true);
    CommitAux(a);
    Fire(evSetup | evNames | evAttrib | evCellState | evData);
    return;
  }
  Fire(evData);
}

void TDataTable::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent != nullptr && AComponent == FMat && FMat != FOwnMat.get()) {
    // The outside matrix is going away: continue with one of our own.
    FMat = nullptr;
    FOwnMat = std::make_unique<TMatrix>(nullptr);
    FMat = FOwnMat.get();
    FOwnMat->Resize(FNCols, FNRows);
    HookMatrix(FMat);
    Fire(evData);
  }
}

// ---------------------------------------------------------------- layout
TDataTable::TAux TDataTable::BuildAux(const std::vector<int>& cm, const std::vector<int>& rm,
                                      bool DefaultNames) const {
  const int nc = static_cast<int>(cm.size()), nr = static_cast<int>(rm.size());
  TAux a;
  a.States.assign(static_cast<size_t>(nc) * static_cast<size_t>(nr), 0);
  a.ColNames.resize(nc);
  a.RowNames.resize(nr);
  a.ColAttr.assign(nc, 0);
  a.RowAttr.assign(nr, 0);
  a.Scale.assign(nc, stInterval);
  a.Labels.resize(nc);
  for (int c = 1; c <= nc; ++c) {
    const int oc = cm[c - 1];
    if (oc >= 1 && oc <= FNCols) {
      a.ColNames[c - 1] = FColNames[oc - 1];
      a.ColAttr[c - 1] = FColAttr[oc - 1];
      a.Scale[c - 1] = FScale[oc - 1];
      a.Labels[c - 1] = FLabels[oc - 1];
      for (int r = 1; r <= nr; ++r) {
        const int orow = rm[r - 1];
        if (orow >= 1 && orow <= FNRows)
          a.States[static_cast<size_t>(c - 1) * nr + (r - 1)] = FStates[SIdx(oc, orow)];
      }
    } else if (DefaultNames) {
      a.ColNames[c - 1] = DefaultColName(c);
    }
  }
  for (int r = 1; r <= nr; ++r) {
    const int orow = rm[r - 1];
    if (orow >= 1 && orow <= FNRows) {
      a.RowNames[r - 1] = FRowNames[orow - 1];
      a.RowAttr[r - 1] = FRowAttr[orow - 1];
    } else if (DefaultNames) {
      a.RowNames[r - 1] = DefaultRowName(r);
    }
  }
  return a;
}

void TDataTable::CommitAux(TAux& a) {
  FNCols = static_cast<int>(a.ColNames.size());
  FNRows = static_cast<int>(a.RowNames.size());
  FStates.swap(a.States);
  FColNames.swap(a.ColNames);
  FRowNames.swap(a.RowNames);
  FColAttr.swap(a.ColAttr);
  FRowAttr.swap(a.RowAttr);
  FScale.swap(a.Scale);
  FLabels.swap(a.Labels);
}

void TDataTable::ResizeMatrixMuted(int NCols, int NRows) {
  ++FMatMute;
  try {
    FMat->Resize(NCols, NRows);
  } catch (const EZOLMatrixError&) {
    --FMatMute;
    throw EZOLDataTableError(ComponentMsg("not enough memory on heap"));
  } catch (const std::bad_alloc&) {
    --FMatMute;
    throw EZOLDataTableError(ComponentMsg("not enough memory on heap"));
  }
  --FMatMute;
}

void TDataTable::Remap(const std::vector<int>& cm, const std::vector<int>& rm, bool DefaultNames) {
  const int nc = static_cast<int>(cm.size()), nr = static_cast<int>(rm.size());
  TAux a;
  std::vector<double> vals;
  try {
    a = BuildAux(cm, rm, DefaultNames);
    vals.assign(static_cast<size_t>(nc) * static_cast<size_t>(nr), 0.0);
  } catch (const std::bad_alloc&) {
    throw EZOLDataTableError(ComponentMsg("not enough memory on heap"));
  } catch (const std::length_error&) {
    throw EZOLDataTableError(ComponentMsg("not enough memory on heap"));
  }
  for (int c = 1; c <= nc; ++c) {
    const int oc = cm[c - 1];
    if (oc < 1) continue;
    for (int r = 1; r <= nr; ++r)
      if (rm[r - 1] >= 1) vals[static_cast<size_t>(c - 1) * nr + (r - 1)] = RawVal(oc, rm[r - 1]);
  }
  ResizeMatrixMuted(nc, nr);
  for (int c = 1; c <= nc; ++c) std::copy_n(vals.data() + static_cast<size_t>(c - 1) * nr, nr, FMat->ColumnData(c));
  CommitAux(a);
}

void TDataTable::Resize(int NCols, int NRows) {
  NCols = std::max(NCols, 1);
  NRows = std::max(NRows, 1);
  if (NCols == FNCols && NRows == FNRows && FMat->NrOfColumns() == NCols && FMat->NrOfRows() == NRows) return;
  TDTBulk bulk(this);
  std::vector<int> cm(NCols), rm(NRows);
  for (int c = 1; c <= NCols; ++c) cm[c - 1] = c <= FNCols ? c : 0;
  for (int r = 1; r <= NRows; ++r) rm[r - 1] = r <= FNRows ? r : 0;
  Remap(cm, rm, true);
  Fire(evResize);
}

void TDataTable::SetComment(const std::string& v) {
  if (v == FComment) return;
  FComment = v;
  Fire(evNames);
}

// ---------------------------------------------------------------- cells
void TDataTable::RawSet(int c, int r, double v) {
  if (c >= 1 && c <= FMat->NrOfColumns() && r >= 1 && r <= FMat->NrOfRows()) FMat->ColumnData(c)[r - 1] = v;
}

bool TDataTable::IsNumCol(int c) const {
  const TMScaleType t = FScale[c - 1];
  return t == stInterval || t == stRatio;
}

double TDataTable::GetElem(int c, int r) const {
  if (!InTable(c, r)) return 0.0;
  const double v = RawVal(c, r);
  return IsCategorial(FScale[c - 1]) ? std::round(v) : v;
}

void TDataTable::SetElem(int c, int r, double v) {
  if (!InTable(c, r)) return;
  FMat->SetVal(c, r, v);
}

std::string TDataTable::GetElemNominal(int c, int r) const {
  if (!InTable(c, r) || !IsCategorial(FScale[c - 1])) return std::string();
  const double v = std::round(RawVal(c, r));
  if (v >= 1 && v <= MaxNominalIDs) return FLabels[c - 1][static_cast<int>(v) - 1];
  if (std::isfinite(v) && std::fabs(v) < 9e18) return IntToStr(static_cast<int64_t>(v));
  return FloatToStr(v);
}

void TDataTable::SetElemNominal(int c, int r, const std::string& Label) {
  if (!InTable(c, r) || !IsCategorial(FScale[c - 1])) return;
  const std::string lab = Utf8Truncate(Label, NominalIDCapacity);
  if (lab.empty()) return;
  auto& labels = FLabels[c - 1];
  int k = 0;
  for (int i = 0; i < MaxNominalIDs && k == 0; ++i)
    if (!labels[i].empty() && SameText(labels[i], lab)) k = i + 1;
  if (k == 0) {
    for (int i = 0; i < MaxNominalIDs && k == 0; ++i)
      if (labels[i].empty()) k = i + 1;
    if (k == 0) throw EZOLDataTableError(ComponentMsg("number of available nominal values exceeded"));
    labels[k - 1] = lab;
    Fire(evSetup);
  }
  FMat->SetVal(c, r, k);
}

uint8_t TDataTable::GetCellState(int c, int r) const { return InTable(c, r) ? FStates[SIdx(c, r)] : 0; }

void TDataTable::SetCellState(int c, int r, uint8_t s) {
  if (!InTable(c, r)) return;
  uint8_t& st = FStates[SIdx(c, r)];
  if (st == s) return;
  st = s;
  Fire(evCellState);
}

void TDataTable::SetStateBit(int c, int r, uint8_t bit, bool v) {
  if (!InTable(c, r)) return;
  uint8_t& st = FStates[SIdx(c, r)];
  const uint8_t ns = v ? static_cast<uint8_t>(st | bit) : static_cast<uint8_t>(st & ~bit);
  TDTBulk bulk(this);
  if (ns != st) {
    st = ns;
    Fire(evCellState);
  }
  Fire(evData);
}

bool TDataTable::GetIsNumber(int c, int r) const { return InTable(c, r) && (FStates[SIdx(c, r)] & kNonNumeric) == 0; }

void TDataTable::SetAllCellStates(uint8_t s) {
  std::fill(FStates.begin(), FStates.end(), s);
  Fire(evCellState);
}

void TDataTable::UnmarkAllCells() {
  for (uint8_t& s : FStates) s &= static_cast<uint8_t>(~(csMarkA | csMarkB));
  Fire(evCellState);
}

void TDataTable::InvertCellStates(uint8_t Mask) {
  for (uint8_t& s : FStates) s ^= Mask;
  Fire(evCellState);
}

void TDataTable::ExchangeMarkings() {
  for (uint8_t& s : FStates) {
    const uint8_t a = s & csMarkA, b = s & csMarkB;
    s = static_cast<uint8_t>((s & ~(csMarkA | csMarkB)) | (a << 1) | (b >> 1));
  }
  Fire(evCellState);
}

bool TDataTable::IfRowHasCellState(int r, uint8_t Mask) const { return CountMarkedCellsInRow(r, Mask) > 0; }
bool TDataTable::IfColHasCellState(int c, uint8_t Mask) const { return CountMarkedCellsInColumn(c, Mask) > 0; }

int TDataTable::CountMarkedCellsInRow(int r, uint8_t Mask) const {
  if (r < 1 || r > FNRows) return 0;
  int n = 0;
  for (int c = 1; c <= FNCols; ++c)
    if (FStates[SIdx(c, r)] & Mask) ++n;
  return n;
}

int TDataTable::CountMarkedCellsInColumn(int c, uint8_t Mask) const {
  if (c < 1 || c > FNCols) return 0;
  int n = 0;
  for (int r = 1; r <= FNRows; ++r)
    if (FStates[SIdx(c, r)] & Mask) ++n;
  return n;
}

int TDataTable::FillMarkedCells(double v, uint8_t Mask) {
  int n = 0;
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r)
      if (FStates[SIdx(c, r)] & Mask) {
        RawSet(c, r, v);
        ++n;
      }
  if (n > 0) FMat->Changed();
  return n;
}

bool TDataTable::CopyCellStatesFrom(const TDataTable* t) {
  if (!t || t->FNCols != FNCols || t->FNRows != FNRows) return false;
  if (t == this) return true;
  FStates = t->FStates;
  Fire(evCellState);
  return true;
}

void TDataTable::Fill(double v) {
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) RawSet(c, r, v);
  FMat->Changed();
}

void TDataTable::FillRandomUniform(double Low, double High) {
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) RawSet(c, r, Low + Random() * (High - Low));
  FMat->Changed();
}

void TDataTable::FillRandomGauss(double Mean, double StdDev) {
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) RawSet(c, r, Mean + StdDev * GRandom());
  FMat->Changed();
}

void TDataTable::SMult(double f) {
  for (int c = 1; c <= FNCols; ++c)
    if (IsNumCol(c))
      for (int r = 1; r <= FNRows; ++r)
        if (!(FStates[SIdx(c, r)] & kNonNumeric)) RawSet(c, r, RawVal(c, r) * f);
  FMat->Changed();
}

void TDataTable::SAdd(double f) {
  for (int c = 1; c <= FNCols; ++c)
    if (IsNumCol(c))
      for (int r = 1; r <= FNRows; ++r)
        if (!(FStates[SIdx(c, r)] & kNonNumeric)) RawSet(c, r, RawVal(c, r) + f);
  FMat->Changed();
}

void TDataTable::Find(int ColLo, int RowLo, int ColHi, int RowHi, double x, int& Col, int& Row) const {
  NormRegion(ColLo, RowLo, ColHi, RowHi);
  Col = Row = 0;
  double best = std::numeric_limits<double>::infinity();
  for (int c = ColLo; c <= ColHi; ++c)
    for (int r = RowLo; r <= RowHi; ++r) {
      if (FStates[SIdx(c, r)] & kNonNumeric) continue;
      const double d = std::fabs(RawVal(c, r) - x);
      if (Col == 0 || d < best) {
        best = d;
        Col = c;
        Row = r;
      }
    }
}

// ---------------------------------------------------------------- names, attributes, scales
std::string TDataTable::GetColName(int c) const { return (c >= 1 && c <= FNCols) ? FColNames[c - 1] : std::string(); }
std::string TDataTable::GetRowName(int r) const { return (r >= 1 && r <= FNRows) ? FRowNames[r - 1] : std::string(); }

void TDataTable::SetColName(int c, const std::string& v) {
  if (c < 1 || c > FNCols) return;
  std::string s = Utf8Truncate(v, DTNameCapacity);
  if (s == FColNames[c - 1]) return;
  FColNames[c - 1] = std::move(s);
  Fire(evNames);
}

void TDataTable::SetRowName(int r, const std::string& v) {
  if (r < 1 || r > FNRows) return;
  std::string s = Utf8Truncate(v, DTNameCapacity);
  if (s == FRowNames[r - 1]) return;
  FRowNames[r - 1] = std::move(s);
  Fire(evNames);
}

uint8_t TDataTable::GetColAttrib(int c) const { return (c >= 1 && c <= FNCols) ? FColAttr[c - 1] : 0; }
uint8_t TDataTable::GetRowAttrib(int r) const { return (r >= 1 && r <= FNRows) ? FRowAttr[r - 1] : 0; }

void TDataTable::SetColAttrib(int c, uint8_t v) {
  if (c < 1 || c > FNCols || FColAttr[c - 1] == v) return;
  FColAttr[c - 1] = v;
  Fire(evAttrib);
}

void TDataTable::SetRowAttrib(int r, uint8_t v) {
  if (r < 1 || r > FNRows || FRowAttr[r - 1] == v) return;
  FRowAttr[r - 1] = v;
  Fire(evAttrib);
}

TMScaleType TDataTable::GetMScaleType(int c) const { return (c >= 1 && c <= FNCols) ? FScale[c - 1] : stUnknown; }

void TDataTable::SetMScaleType(int c, TMScaleType v) {
  if (c < 1 || c > FNCols) return;
  v = static_cast<TMScaleType>(std::clamp(static_cast<int>(v), 0, 4));
  if (FScale[c - 1] == v) return;
  FScale[c - 1] = v;
  Fire(evSetup);
}

int TDataTable::FindColIndex(const std::string& Name) const {
  const std::string n = NormName(Name);
  for (int c = 1; c <= FNCols; ++c)
    if (NormName(FColNames[c - 1]) == n) return c;
  return 0;
}

int TDataTable::FindRowIndex(const std::string& Name) const {
  const std::string n = NormName(Name);
  for (int r = 1; r <= FNRows; ++r)
    if (NormName(FRowNames[r - 1]) == n) return r;
  return 0;
}

TNominalIDStr TDataTable::GetNominalID(int c, int k) const {
  if (c < 1 || c > FNCols || k < 1 || k > MaxNominalIDs || !IsCategorial(FScale[c - 1])) return std::string();
  return FLabels[c - 1][k - 1];
}

void TDataTable::SetNominalID(int c, int k, const TNominalIDStr& Label) {
  if (c < 1 || c > FNCols || k < 1 || k > MaxNominalIDs) return;
  const std::string lab = Utf8Truncate(Label, NominalIDCapacity);
  if (!lab.empty() && !IsCategorial(FScale[c - 1])) return;
  if (FLabels[c - 1][k - 1] == lab) return;
  FLabels[c - 1][k - 1] = lab;
  Fire(evSetup);
}

int TDataTable::AddNominalID(int c, const TNominalIDStr& Label) {
  if (c < 1 || c > FNCols) return 0;
  const std::string lab = Utf8Truncate(Label, NominalIDCapacity);
  if (lab.empty()) return 0;
  TDTBulk bulk(this);
  if (FScale[c - 1] != stNominal) {
    FScale[c - 1] = stNominal;
    Fire(evSetup);
  }
  auto& labels = FLabels[c - 1];
  for (int i = 0; i < MaxNominalIDs; ++i)
    if (!labels[i].empty() && SameText(labels[i], lab)) return i + 1;
  for (int i = 0; i < MaxNominalIDs; ++i)
    if (labels[i].empty()) {
      labels[i] = lab;
      Fire(evSetup);
      return i + 1;
    }
  throw EZOLDataTableError(ComponentMsg("number of available nominal values exceeded"));
}

int TDataTable::OrdinalOfNominalID(int c, const TNominalIDStr& Label, bool IgnoreCase) const {
  if (c < 1 || c > FNCols || !IsCategorial(FScale[c - 1])) return 0;
  const std::string lab = Utf8Truncate(Label, NominalIDCapacity);
  if (lab.empty()) return 0;
  for (int i = 0; i < MaxNominalIDs; ++i) {
    const std::string& l = FLabels[c - 1][i];
    if (IgnoreCase ? SameText(l, lab) : l == lab) return i + 1;
  }
  return 0;
}

void TDataTable::ClearNominalIDs(int c) {
  if (c < 1 || c > FNCols) return;
  for (auto& l : FLabels[c - 1]) l.clear();
  Fire(evSetup);
}

std::vector<int> TDataTable::ListOfCategorialVars() const {
  std::vector<int> r;
  for (int c = 1; c <= FNCols; ++c)
    if (IsCategorial(FScale[c - 1])) r.push_back(c);
  return r;
}

TMScaleType TDataTable::FindHighestMLevel(int ColLo, int ColHi) const {
  NormRange(ColLo, ColHi, FNCols);
  TMScaleType t = stNominal;
  for (int c = ColLo; c <= ColHi; ++c) t = std::max(t, FScale[c - 1]);
  return t;
}

TMScaleType TDataTable::FindLowestMLevel(int ColLo, int ColHi) const {
  NormRange(ColLo, ColHi, FNCols);
  TMScaleType t = stRatio;
  for (int c = ColLo; c <= ColHi; ++c) t = std::min(t, FScale[c - 1]);
  return t;
}

int TDataTable::RowAttribLevels() const { return static_cast<int>(std::set<uint8_t>(FRowAttr.begin(), FRowAttr.end()).size()); }
int TDataTable::ColAttribLevels() const { return static_cast<int>(std::set<uint8_t>(FColAttr.begin(), FColAttr.end()).size()); }

// ---------------------------------------------------------------- structure
void TDataTable::InsertRow(int r) {
  if (r < 1 || r > FNRows + 1) return;
  TDTBulk bulk(this);
  std::vector<int> cm(FNCols), rm(FNRows + 1);
  for (int c = 1; c <= FNCols; ++c) cm[c - 1] = c;
  for (int i = 1; i <= FNRows + 1; ++i) rm[i - 1] = i < r ? i : (i == r ? 0 : i - 1);
  Remap(cm, rm, false);
  Fire(evSetup | evResize);
}

void TDataTable::InsertColumn(int c) {
  if (c < 1 || c > FNCols + 1) return;
  TDTBulk bulk(this);
  std::vector<int> cm(FNCols + 1), rm(FNRows);
  for (int i = 1; i <= FNCols + 1; ++i) cm[i - 1] = i < c ? i : (i == c ? 0 : i - 1);
  for (int i = 1; i <= FNRows; ++i) rm[i - 1] = i;
  Remap(cm, rm, false);
  Fire(evSetup | evResize);
}

void TDataTable::RemoveRow(int r) {
  if (r < 1 || r > FNRows || FNRows <= 1) return;
  TDTBulk bulk(this);
  std::vector<int> cm(FNCols), rm(FNRows - 1);
  for (int c = 1; c <= FNCols; ++c) cm[c - 1] = c;
  for (int i = 1; i <= FNRows - 1; ++i) rm[i - 1] = i < r ? i : i + 1;
  Remap(cm, rm, false);
  Fire(evSetup | evResize);
}

void TDataTable::RemoveColumn(int c) {
  if (c < 1 || c > FNCols || FNCols <= 1) return;
  TDTBulk bulk(this);
  std::vector<int> cm(FNCols - 1), rm(FNRows);
  for (int i = 1; i <= FNCols - 1; ++i) cm[i - 1] = i < c ? i : i + 1;
  for (int i = 1; i <= FNRows; ++i) rm[i - 1] = i;
  Remap(cm, rm, false);
  Fire(evSetup | evResize);
}

void TDataTable::SwapRowsAll(int r1, int r2, int ColLo, int ColHi, bool WithNames) {
  for (int c = ColLo; c <= ColHi; ++c) {
    std::swap(FStates[SIdx(c, r1)], FStates[SIdx(c, r2)]);
    const double a = RawVal(c, r1), b = RawVal(c, r2);
    RawSet(c, r1, b);
    RawSet(c, r2, a);
  }
  if (WithNames) {
    std::swap(FRowNames[r1 - 1], FRowNames[r2 - 1]);
    std::swap(FRowAttr[r1 - 1], FRowAttr[r2 - 1]);
  }
}

void TDataTable::SwapColsAll(int c1, int c2, int RowLo, int RowHi, bool WithNames) {
  for (int r = RowLo; r <= RowHi; ++r) {
    std::swap(FStates[SIdx(c1, r)], FStates[SIdx(c2, r)]);
    const double a = RawVal(c1, r), b = RawVal(c2, r);
    RawSet(c1, r, b);
    RawSet(c2, r, a);
  }
  if (WithNames) {
    std::swap(FColNames[c1 - 1], FColNames[c2 - 1]);
    std::swap(FColAttr[c1 - 1], FColAttr[c2 - 1]);
    std::swap(FScale[c1 - 1], FScale[c2 - 1]);
    std::swap(FLabels[c1 - 1], FLabels[c2 - 1]);
  }
}

void TDataTable::ExchangeRows(int r1, int r2) {
  if (r1 < 1 || r1 > FNRows || r2 < 1 || r2 > FNRows || r1 == r2) return;
  SwapRowsAll(r1, r2, 1, FNCols, true);
  TDTBulk bulk(this);
  Fire(evNames | evAttrib | evCellState);
  FMat->Changed();
}

void TDataTable::ExchangeColumns(int c1, int c2) {
  if (c1 < 1 || c1 > FNCols || c2 < 1 || c2 > FNCols || c1 == c2) return;
  SwapColsAll(c1, c2, 1, FNRows, true);
  TDTBulk bulk(this);
  Fire(evSetup | evNames | evAttrib | evCellState);
  FMat->Changed();
}

void TDataTable::MirrorRows() {
  for (int i = 1, j = FNRows; i < j; ++i, --j) SwapRowsAll(i, j, 1, FNCols, true);
  TDTBulk bulk(this);
  Fire(evNames | evAttrib | evCellState);
  FMat->Changed();
}

void TDataTable::MirrorColumns() {
  for (int i = 1, j = FNCols; i < j; ++i, --j) SwapColsAll(i, j, 1, FNRows, true);
  TDTBulk bulk(this);
  Fire(evSetup | evNames | evAttrib | evCellState);
  FMat->Changed();
}

// Also for sorts of an outside matrix made directly: the states of the
// reported range follow their values.
void TDataTable::OnMatrixSortExchange(TObject*, uint8_t What, int i1, int i2, int first, int last) {
  {
    if (What == 2 && i1 >= 1 && i1 <= FNRows && i2 >= 1 && i2 <= FNRows) {
      for (int c = std::max(first, 1); c <= std::min(last, FNCols); ++c)
        std::swap(FStates[SIdx(c, i1)], FStates[SIdx(c, i2)]);
      if (FSorting && (FSortKey < first || FSortKey > last) && FSortKey >= 1 && FSortKey <= FNCols)
        std::swap(FStates[SIdx(FSortKey, i1)], FStates[SIdx(FSortKey, i2)]);
      if (FSorting && FSortWithNames) {
        std::swap(FRowNames[i1 - 1], FRowNames[i2 - 1]);
        std::swap(FRowAttr[i1 - 1], FRowAttr[i2 - 1]);
      }
    } else if (What == 1 && i1 >= 1 && i1 <= FNCols && i2 >= 1 && i2 <= FNCols) {
      for (int r = std::max(first, 1); r <= std::min(last, FNRows); ++r)
        std::swap(FStates[SIdx(i1, r)], FStates[SIdx(i2, r)]);
      if (FSorting && (FSortKey < first || FSortKey > last) && FSortKey >= 1 && FSortKey <= FNRows)
        std::swap(FStates[SIdx(i1, FSortKey)], FStates[SIdx(i2, FSortKey)]);
      if (FSorting && FSortWithNames) {
        std::swap(FColNames[i1 - 1], FColNames[i2 - 1]);
        std::swap(FColAttr[i1 - 1], FColAttr[i2 - 1]);
        std::swap(FScale[i1 - 1], FScale[i2 - 1]);
        std::swap(FLabels[i1 - 1], FLabels[i2 - 1]);
      }
    }
  }
  if (OnSortExchange) OnSortExchange(this, What, i1, i2, first, last);
}

void TDataTable::SortRows(int KeyCol, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi, bool WithNames) {
  TDTBulk bulk(this);
  FSortWithNames = WithNames;
  FSortKey = KeyCol;
  FSorting = true;
  try {
    FMat->SortRows(KeyCol, Ascending, ColLo, RowLo, ColHi, RowHi);
  } catch (...) {
    FSorting = false;
    throw;
  }
  FSorting = false;
  Fire(evCellState | (WithNames ? evNames | evAttrib : 0u));
}

void TDataTable::SortCols(int KeyRow, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi, bool WithNames) {
  TDTBulk bulk(this);
  FSortWithNames = WithNames;
  FSortKey = KeyRow;
  FSorting = true;
  try {
    FMat->SortCols(KeyRow, Ascending, ColLo, RowLo, ColHi, RowHi);
  } catch (...) {
    FSorting = false;
    throw;
  }
  FSorting = false;
  Fire(evCellState | (WithNames ? evSetup | evNames | evAttrib : 0u));
}

void TDataTable::SortRowsByKey(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi,
                               const std::function<int(int, int)>& Cmp) {
  NormRegion(ColLo, RowLo, ColHi, RowHi);
  TDTBulk bulk(this);
  CombSort(RowLo, RowHi, Ascending, Cmp, [&](int a, int b) {
    SwapRowsAll(a, b, ColLo, ColHi, true);
    if (OnSortExchange) OnSortExchange(this, 2, a, b, ColLo, ColHi);
  });
  Fire(evNames | evAttrib | evCellState);
  FMat->Changed();
}

void TDataTable::SortColsByKey(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi,
                               const std::function<int(int, int)>& Cmp) {
  NormRegion(ColLo, RowLo, ColHi, RowHi);
  TDTBulk bulk(this);
  CombSort(ColLo, ColHi, Ascending, Cmp, [&](int a, int b) {
    SwapColsAll(a, b, RowLo, RowHi, true);
    if (OnSortExchange) OnSortExchange(this, 1, a, b, RowLo, RowHi);
  });
  Fire(evSetup | evNames | evAttrib | evCellState);
  FMat->Changed();
}

void TDataTable::SortRowNames(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
  SortRowsByKey(Ascending, ColLo, RowLo, ColHi, RowHi,
                [&](int a, int b) { return CompareText(FRowNames[a - 1], FRowNames[b - 1]); });
}

void TDataTable::SortColNames(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
  SortColsByKey(Ascending, ColLo, RowLo, ColHi, RowHi,
                [&](int a, int b) { return CompareText(FColNames[a - 1], FColNames[b - 1]); });
}

void TDataTable::SortRowAttributes(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
  SortRowsByKey(Ascending, ColLo, RowLo, ColHi, RowHi,
                [&](int a, int b) { return CmpNum(FRowAttr[a - 1], FRowAttr[b - 1]); });
}

void TDataTable::SortColAttributes(bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
  SortColsByKey(Ascending, ColLo, RowLo, ColHi, RowHi,
                [&](int a, int b) { return CmpNum(FColAttr[a - 1], FColAttr[b - 1]); });
}

void TDataTable::Clear() {
  TDTBulk bulk(this);
  for (int c = 1; c <= FNCols; ++c) {
    FColNames[c - 1] = DefaultColName(c);
    FColAttr[c - 1] = 0;
    FScale[c - 1] = stInterval;
    for (auto& l : FLabels[c - 1]) l.clear();
  }
  for (int r = 1; r <= FNRows; ++r) {
    FRowNames[r - 1] = DefaultRowName(r);
    FRowAttr[r - 1] = 0;
  }
  std::fill(FStates.begin(), FStates.end(), 0);
  FComment.clear();
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) RawSet(c, r, 0.0);
  Fire(evSetup | evNames | evAttrib | evCellState);
  FMat->Changed();
}

void TDataTable::AssignAnotherDataMatrix(TMatrix* m) {
  if (m == nullptr || m == FMat) return;
  const int nc = std::max(1, m->NrOfColumns()), nr = std::max(1, m->NrOfRows());
  std::vector<int> cm(nc), rm(nr);
  for (int c = 1; c <= nc; ++c) cm[c - 1] = c <= FNCols ? c : 0;
  for (int r = 1; r <= nr; ++r) rm[r - 1] = r <= FNRows ? r : 0;
  TAux a;
  try {
    a = BuildAux(cm, rm, true);
  } catch (const std::bad_alloc&) {
    throw EZOLDataTableError(ComponentMsg("not enough memory on heap"));
  }
  TDTBulk bulk(this);
  const unsigned oldSilenced = FSilenced;
  FSilenced |= evData | evSetup | evNames | evAttrib;
  if (FMat == FOwnMat.get()) {
    FOwnMat.reset();
  } else {
    UnhookMatrix(FMat);
  }
  FMat = m;
  HookMatrix(m);
  CommitAux(a);
  std::fill(FScale.begin(), FScale.end(), stInterval);
  FSilenced = oldSilenced;
  Fire(evResize | evCellState);
}

void TDataTable::CopyContentsFrom(const TDataTable* t) {
  if (!t || t == this) return;
  TDTBulk bulk(this);
  std::vector<int> cm(t->FNCols), rm(t->FNRows);
  for (int c = 1; c <= t->FNCols; ++c) cm[c - 1] = c;
  for (int r = 1; r <= t->FNRows; ++r) rm[r - 1] = r;
  // t's layout and values, built from t itself.
  TAux a;
  try {
    a = t->BuildAux(cm, rm, true);
  } catch (const std::bad_alloc&) {
    throw EZOLDataTableError(ComponentMsg("not enough memory on heap"));
  }
  ResizeMatrixMuted(t->FNCols, t->FNRows);
  for (int c = 1; c <= t->FNCols; ++c)
    for (int r = 1; r <= t->FNRows; ++r) RawSet(c, r, t->RawVal(c, r));
  CommitAux(a);
  Fire(evSetup | evNames | evAttrib | evCellState | evResize);
  FMat->Changed();
}

void TDataTable::Serialize(bool WithColumnIndex) {
  const int64_t cells = static_cast<int64_t>(FNCols) * FNRows;
  if (cells > std::numeric_limits<int>::max()) throw EZOLDataTableError(ComponentMsg("not enough memory on heap"));
  const int nr = static_cast<int>(cells), nc = WithColumnIndex ? 2 : 1, dc = nc;
  const TMScaleType highest = FindHighestMLevel(1, FNCols);
  TAux a;
  std::vector<double> vals;
  try {
    a.States.assign(static_cast<size_t>(nc) * nr, 0);
    a.ColNames.assign(nc, std::string());
    a.RowNames.resize(nr);
    a.ColAttr.assign(nc, 0);
    a.RowAttr.assign(nr, 0);
    a.Scale.assign(nc, stInterval);
    a.Labels.resize(nc);
    vals.assign(static_cast<size_t>(nc) * nr, 0.0);
  } catch (const std::bad_alloc&) {
    throw EZOLDataTableError(ComponentMsg("not enough memory on heap"));
  }
  a.ColNames[dc - 1] = "(data)";
  a.Scale[dc - 1] = highest;
  if (WithColumnIndex) {
    a.ColNames[0] = "(column)";
    a.Scale[0] = stNominal;
    for (int k = 1; k <= std::min(FNCols, MaxNominalIDs); ++k)
      a.Labels[0][k - 1] = Utf8Truncate(IntToStr(k) + ":" + FColNames[k - 1], NominalIDCapacity);
  }
  for (int k = 1; k <= FNCols; ++k)
    for (int j = 1; j <= FNRows; ++j) {
      const size_t i = static_cast<size_t>(k - 1) * FNRows + (j - 1);
      vals[static_cast<size_t>(dc - 1) * nr + i] = RawVal(k, j);
      a.States[static_cast<size_t>(dc - 1) * nr + i] = FStates[SIdx(k, j)];
      if (WithColumnIndex) vals[i] = k;
      a.RowNames[i] = FRowNames[j - 1];
      a.RowAttr[i] = FRowAttr[j - 1];
    }
  TDTBulk bulk(this);
  const unsigned oldSilenced = FSilenced;
  FSilenced |= evData;
  try {
    ResizeMatrixMuted(nc, nr);
  } catch (...) {
    FSilenced = oldSilenced;
    throw;
  }
  for (int c = 1; c <= nc; ++c) std::copy_n(vals.data() + static_cast<size_t>(c - 1) * nr, nr, FMat->ColumnData(c));
  CommitAux(a);
  ++FMatMute;
  FMat->Changed();
  --FMatMute;
  FSilenced = oldSilenced;
  Fire(evSetup | evNames | evAttrib | evCellState | evResize);
}

// ---------------------------------------------------------------- statistics
void TDataTable::NormRegion(int& ColLo, int& RowLo, int& ColHi, int& RowHi) const {
  NormRange(ColLo, ColHi, FNCols);
  NormRange(RowLo, RowHi, FNRows);
}

std::vector<double> TDataTable::Collect(int ColLo, int RowLo, int ColHi, int RowHi, int Kind, uint8_t Mask) const {
  NormRegion(ColLo, RowLo, ColHi, RowHi);
  std::vector<double> v;
  for (int c = ColLo; c <= ColHi; ++c) {
    if (Kind != 2 && !IsNumCol(c)) continue;
    for (int r = RowLo; r <= RowHi; ++r) {
      const uint8_t s = FStates[SIdx(c, r)];
      if (s & kNonNumeric) continue;
      if (Kind == 1 && (s & Mask & kMarkBits) == 0) continue;
      v.push_back(RawVal(c, r));
    }
  }
  return v;
}

int TDataTable::CountNumCells(int ColLo, int RowLo, int ColHi, int RowHi) const {
  return static_cast<int>(Collect(ColLo, RowLo, ColHi, RowHi, 0, 0).size());
}

int TDataTable::CountValidCells(int ColLo, int RowLo, int ColHi, int RowHi) const {
  return static_cast<int>(Collect(ColLo, RowLo, ColHi, RowHi, 2, 0).size());
}

int TDataTable::CountEmptyCells(int ColLo, int RowLo, int ColHi, int RowHi) const {
  NormRegion(ColLo, RowLo, ColHi, RowHi);
  int n = 0;
  for (int c = ColLo; c <= ColHi; ++c)
    for (int r = RowLo; r <= RowHi; ++r)
      if (FStates[SIdx(c, r)] & csEmpty) ++n;
  return n;
}

int TDataTable::CountImputedCells(int ColLo, int RowLo, int ColHi, int RowHi) const {
  NormRegion(ColLo, RowLo, ColHi, RowHi);
  int n = 0;
  for (int c = ColLo; c <= ColHi; ++c)
    for (int r = RowLo; r <= RowHi; ++r)
      if (FStates[SIdx(c, r)] & csImputed) ++n;
  return n;
}

double TDataTable::SumOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 0, 0);
  NumCells = static_cast<int>(v.size());
  return vecstat::Sum(v);
}

double TDataTable::SumOfMarkedCells(int ColLo, int RowLo, int ColHi, int RowHi, uint8_t Mask, int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 1, Mask);
  NumCells = static_cast<int>(v.size());
  return vecstat::Sum(v);
}

void TDataTable::MeanVarOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Mean, double& Variance,
                                   int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 0, 0);
  NumCells = static_cast<int>(v.size());
  vecstat::MeanVar(v, Mean, Variance);
}

void TDataTable::MeanVarOfMarkedCells(int ColLo, int RowLo, int ColHi, int RowHi, uint8_t Mask, double& Mean,
                                      double& Variance, int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 1, Mask);
  NumCells = static_cast<int>(v.size());
  vecstat::MeanVar(v, Mean, Variance);
}

namespace {
void MinMaxOf(const std::vector<double>& v, double& Min, double& Max) {
  Min = 1.7e308;
  Max = -1.7e308;
  for (double x : v) {
    if (x < Min) Min = x;
    if (x > Max) Max = x;
  }
}
}  // namespace

void TDataTable::MinMaxOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Min, double& Max,
                                  int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 0, 0);
  NumCells = static_cast<int>(v.size());
  MinMaxOf(v, Min, Max);
}

void TDataTable::MinMaxOfMarkedCells(int ColLo, int RowLo, int ColHi, int RowHi, uint8_t Mask, double& Min,
                                     double& Max, int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 1, Mask);
  NumCells = static_cast<int>(v.size());
  MinMaxOf(v, Min, Max);
}

void TDataTable::MinMaxOfValidCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Min, double& Max,
                                    int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 2, 0);
  NumCells = static_cast<int>(v.size());
  MinMaxOf(v, Min, Max);
}

double TDataTable::GeometricMeanOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 0, 0);
  NumCells = static_cast<int>(v.size());
  if (v.empty()) return 0.0;
  if (vecstat::HasNegative(v)) throw EZOLDataTableError(ComponentMsg("negative argument passed to GeometricMean"));
  return vecstat::GeometricMean(v);
}

double TDataTable::HarmonicMeanOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 0, 0);
  NumCells = static_cast<int>(v.size());
  if (v.empty()) return 0.0;
  if (vecstat::HasNonPositive(v))
    throw EZOLDataTableError(ComponentMsg("negative or zero argument passed to HarmonicMean"));
  return vecstat::HarmonicMean(v);
}

void TDataTable::SkewKurtOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Skewness, double& Kurtosis,
                                    int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 0, 0);
  NumCells = static_cast<int>(v.size());
  vecstat::SkewKurt(v, Skewness, Kurtosis);
}

void TDataTable::SkewKurtSampleOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Skewness,
                                          double& Kurtosis, int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 0, 0);
  NumCells = static_cast<int>(v.size());
  vecstat::SkewKurtSample(v, Skewness, Kurtosis);
}

void TDataTable::QuartilesOfNumCells(int ColLo, int RowLo, int ColHi, int RowHi, double& Q1, double& Q2, double& Q3,
                                     int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 0, 0);
  NumCells = static_cast<int>(v.size());
  vecstat::Quartiles(v, Q1, Q2, Q3);
}

double TDataTable::PercentileOfNumCells(double p, int ColLo, int RowLo, int ColHi, int RowHi, int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 0, 0);
  NumCells = static_cast<int>(v.size());
  return v.empty() ? 0.0 : vecstat::Percentile(v, p);
}

double TDataTable::PercentileOfMarkedCells(double p, int ColLo, int RowLo, int ColHi, int RowHi, uint8_t Mask,
                                           int& NumCells) const {
  const auto v = Collect(ColLo, RowLo, ColHi, RowHi, 1, Mask);
  NumCells = static_cast<int>(v.size());
  return v.empty() ? 0.0 : vecstat::Percentile(v, p);
}

void TDataTable::StandardizeNumCellColumns(TVector* Means, TVector* StdDevs) {
  for (int c = 1; c <= FNCols; ++c) {
    if (!IsNumCol(c)) continue;
    const auto v = Collect(c, 1, c, FNRows, 0, 0);
    double mean, var;
    vecstat::MeanVar(v, mean, var);
    const double sd = std::sqrt(var);
    if (var > 0.0)
      for (int r = 1; r <= FNRows; ++r)
        if (!(FStates[SIdx(c, r)] & kNonNumeric)) RawSet(c, r, (RawVal(c, r) - mean) / sd);
    if (Means && c <= Means->NrOfElem()) Means->Data()[c - 1] = mean;
    if (StdDevs && c <= StdDevs->NrOfElem()) StdDevs->Data()[c - 1] = sd;
  }
  if (Means) Means->Changed();
  if (StdDevs) StdDevs->Changed();
  FMat->Changed();
}

void TDataTable::StandardizeNumCellRows(TVector* Means, TVector* StdDevs) {
  for (int r = 1; r <= FNRows; ++r) {
    const auto v = Collect(1, r, FNCols, r, 0, 0);
    double mean, var;
    vecstat::MeanVar(v, mean, var);
    const double sd = std::sqrt(var);
    if (var > 0.0)
      for (int c = 1; c <= FNCols; ++c)
        if (IsNumCol(c) && !(FStates[SIdx(c, r)] & kNonNumeric)) RawSet(c, r, (RawVal(c, r) - mean) / sd);
    if (Means && r <= Means->NrOfElem()) Means->Data()[r - 1] = mean;
    if (StdDevs && r <= StdDevs->NrOfElem()) StdDevs->Data()[r - 1] = sd;
  }
  if (Means) Means->Changed();
  if (StdDevs) StdDevs->Changed();
  FMat->Changed();
}

void TDataTable::MeanCenterNumCellColumns(TVector* Means) {
  for (int c = 1; c <= FNCols; ++c) {
    if (!IsNumCol(c)) continue;
    const auto v = Collect(c, 1, c, FNRows, 0, 0);
    double mean, var;
    vecstat::MeanVar(v, mean, var);
    for (int r = 1; r <= FNRows; ++r)
      if (!(FStates[SIdx(c, r)] & kNonNumeric)) RawSet(c, r, RawVal(c, r) - mean);
    if (Means && c <= Means->NrOfElem()) Means->Data()[c - 1] = mean;
  }
  if (Means) Means->Changed();
  FMat->Changed();
}

void TDataTable::MeanCenterNumCellRows(TVector* Means) {
  for (int r = 1; r <= FNRows; ++r) {
    const auto v = Collect(1, r, FNCols, r, 0, 0);
    double mean, var;
    vecstat::MeanVar(v, mean, var);
    for (int c = 1; c <= FNCols; ++c)
      if (IsNumCol(c) && !(FStates[SIdx(c, r)] & kNonNumeric)) RawSet(c, r, RawVal(c, r) - mean);
    if (Means && r <= Means->NrOfElem()) Means->Data()[r - 1] = mean;
  }
  if (Means) Means->Changed();
  FMat->Changed();
}

bool TDataTable::CheckDichotomousColumn(int c, double& FirstValue, double& SecondValue) const {
  FirstValue = SecondValue = 0.0;
  if (c < 1 || c > FNCols || FNRows < 2) return false;
  int distinct = 0;
  for (int r = 1; r <= FNRows; ++r) {
    if (FStates[SIdx(c, r)] & kNonNumeric) continue;
    const double v = GetElem(c, r);
    if (distinct == 0) {
      FirstValue = v;
      distinct = 1;
    } else if (v != FirstValue) {
      if (distinct == 1) {
        SecondValue = v;
        distinct = 2;
      } else if (v != SecondValue) {
        return false;
      }
    }
  }
  return distinct == 2;
}

bool TDataTable::CalcCovar(TMatrix* Covar, int FirstCol, int LastCol, int FirstRow, int LastRow, int Mode) const {
  AbortMathProc = false;
  if (Covar == nullptr) return false;
  NormRange(FirstCol, LastCol, FNCols);
  NormRange(FirstRow, LastRow, FNRows);
  const int nv = LastCol - FirstCol + 1;
  if (Covar->NrOfColumns() < nv || Covar->NrOfRows() < nv) return false;
  auto step = [] {
    ++ProcStat;
    if (MathFeedBackProc) MathFeedBackProc(ProcStat);
  };
  std::vector<double> means(nv, 0.0);
  if (Mode > 0)
    for (int j = 1; j <= nv; ++j) {
      double var;
      int n;
      MeanVarOfNumCells(FirstCol + j - 1, FirstRow, FirstCol + j - 1, LastRow, means[j - 1], var, n);
      step();
    }
  std::vector<double> xs, ys;
  for (int k = 1; k <= nv; ++k) {
    if (AbortMathProc) return false;
    step();
    const int ck = FirstCol + k - 1;
    for (int j = 1; j <= k; ++j) {
      const int cj = FirstCol + j - 1;
      xs.clear();
      ys.clear();
      for (int r = FirstRow; r <= LastRow; ++r) {
        if ((FStates[SIdx(ck, r)] & kNonNumeric) || (FStates[SIdx(cj, r)] & kNonNumeric)) continue;
        xs.push_back(RawVal(ck, r));
        ys.push_back(RawVal(cj, r));
      }
      const double p = static_cast<double>(xs.size());
      double res = 0.0;
      switch (Mode) {
        case 0:
        case 1:
        case 4: {
          if (xs.size() < 2) break;
          long double s = 0;
          for (size_t i = 0; i < xs.size(); ++i) {
            const double x = xs[i], y = ys[i];
            if (Mode == 0) s += static_cast<long double>(x) * y;
            else if (Mode == 1) s += static_cast<long double>(x - means[k - 1]) * (y - means[j - 1]);
            else s += static_cast<long double>(x - y) * (x - y);
          }
          res = static_cast<double>(s / (p - 1));
          break;
        }
        case 2:
        case 3: {
          if (xs.size() <= 2) break;
          long double sx = 0, sy = 0, sxx0 = 0, syy0 = 0;
          for (size_t i = 0; i < xs.size(); ++i) {
            sx += xs[i];
            sy += ys[i];
            sxx0 += static_cast<long double>(xs[i]) * xs[i];
            syy0 += static_cast<long double>(ys[i]) * ys[i];
          }
          const long double mx = sx / p, my = sy / p;
          long double sxx = 0, syy = 0, sxy = 0;  // about the means (two passes)
          for (size_t i = 0; i < xs.size(); ++i) {
            const long double dx = xs[i] - mx, dy = ys[i] - my;
            sxx += dx * dx;
            syy += dy * dy;
            sxy += dx * dy;
          }
          if (sxx0 > 0 && syy0 > 0 && sxx != 0 && syy != 0) {
            res = static_cast<double>(sxy / std::sqrt(std::fabs(sxx * syy)));
            if (Mode == 3) res *= res;
          }
          break;
        }
        default:
          break;
      }
      if ((Mode == 2 || Mode == 3) && j == k) res = 1.0;
      Covar->ColumnData(j)[k - 1] = res;
      Covar->ColumnData(k)[j - 1] = res;
    }
  }
  Covar->Changed();
  return true;
}

// ---------------------------------------------------------------- checksums
std::string TDataTable::CRCofData() const {
  vecstat::TCRC64Builder b;
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) b.Add(RawVal(c, r));
  return b.Result();
}

std::string TDataTable::CRCofCellStates() const {
  TCRC8 crc;
  for (int c = 1; c <= FNCols; ++c) crc.Seq(FStates.data() + SIdx(c, 1), static_cast<size_t>(FNRows));
  return crc.Result();
}

std::string TDataTable::CRCofNamesAndAttributes() const {
  TCRC8 crc;
  crc.Seq(FComment);
  for (const auto& n : FColNames) crc.Seq(n);
  crc.Seq(FColAttr.data(), FColAttr.size());
  for (const auto& n : FRowNames) crc.Seq(n);
  crc.Seq(FRowAttr.data(), FRowAttr.size());
  std::vector<uint8_t> sc(FScale.size());
  for (size_t i = 0; i < sc.size(); ++i) sc[i] = static_cast<uint8_t>(FScale[i]);
  crc.Seq(sc.data(), sc.size());
  for (const auto& labels : FLabels)
    for (const auto& l : labels) crc.Seq(l);
  return crc.Result();
}

// ---------------------------------------------------------------- text files
void TDataTable::ExportAsASC(TStream& Stream, int Precision) const {
  bool rowAttr = false, colAttr = false;
  for (uint8_t a : FRowAttr) rowAttr |= a != 0;
  for (uint8_t a : FColAttr) colAttr |= a != 0;
  std::string comment = FComment;
  for (char& ch : comment)
    if (ch == '\n' || ch == '\r') ch = ' ';
  std::string s;
  s += comment + "\n";
  s += IntToStr(FNCols) + "\t;nr. of columns\n";
  s += IntToStr(FNRows) + "\t;nr. of rows\n";
  s += std::string(rowAttr ? "TRUE" : "FALSE") + " TRUE TRUE " + (colAttr ? "TRUE" : "FALSE") +
       "\t;row attributes, column names, row names, column attributes\n";
  for (int c = 1; c <= FNCols; ++c) s += (c > 1 ? "\t" : "") + Quoted(FColNames[c - 1]);
  s += "\n";
  if (colAttr) {
    for (int c = 1; c <= FNCols; ++c) s += (c > 1 ? "\t" : "") + IntToStr(FColAttr[c - 1]);
    s += "\n";
  }
  for (int r = 1; r <= FNRows; ++r) {
    s += Quoted(FRowNames[r - 1]);
    if (rowAttr) s += "\t" + IntToStr(FRowAttr[r - 1]);
    for (int c = 1; c <= FNCols; ++c) s += "\t" + CellText(FStates[SIdx(c, r)], RawVal(c, r), Precision);
    s += "\n";
  }
  WriteText(Stream, s);
}

void TDataTable::ExportAsASC(const std::string& FileName, int Precision) const {
  TFileStream fs(FileName, fmCreate);
  ExportAsASC(fs, Precision);
}

void TDataTable::ExportAsCSV(TStream& Stream, int Precision, TCSVDelimiters Delimiter, bool WithColNames,
                             bool WithRowNames) const {
  const char delim = DelimChar(Delimiter);
  // A file written for a reader that detects the delimiter quotes every field
  // holding one of the candidates, so that only the commas stand outside quotes.
  const std::string special =
      std::string("\"\r\n") + (Delimiter == csvUnknown ? std::string(",:;\t") : std::string(1, delim));
  auto field = [&special](const std::string& f) {
    const bool needs = f.find_first_of(special) != std::string::npos ||
                       (!f.empty() && (f.front() == ' ' || f.back() == ' '));
    return needs ? Quoted(f) : f;
  };
  auto record = [&](const std::vector<std::string>& fs) {
    if (fs.size() == 1 && fs[0].empty()) return std::string("\"\"\r\n");
    std::string r;
    for (size_t i = 0; i < fs.size(); ++i) {
      if (i) r += delim;
      r += field(fs[i]);
    }
    return r + "\r\n";
  };
  std::string s;
  std::vector<std::string> fs;
  if (WithColNames) {
    if (WithRowNames) fs.emplace_back();
    for (const auto& n : FColNames) fs.push_back(n);
    s += record(fs);
  }
  for (int r = 1; r <= FNRows; ++r) {
    fs.clear();
    if (WithRowNames) fs.push_back(FRowNames[r - 1]);
    for (int c = 1; c <= FNCols; ++c) fs.push_back(CellText(FStates[SIdx(c, r)], RawVal(c, r), Precision));
    s += record(fs);
  }
  WriteText(Stream, s);
}

void TDataTable::ExportAsCSV(const std::string& FileName, int Precision, TCSVDelimiters Delimiter, bool WithColNames,
                             bool WithRowNames) const {
  TFileStream fs(FileName, fmCreate);
  ExportAsCSV(fs, Precision, Delimiter, WithColNames, WithRowNames);
}

void TDataTable::ApplyParsed(const TParsedTable& p, bool Replace, int DestCol, int DestRow, bool AdjustSize) {
  TDTBulk bulk(this);
  if (Replace) {
    std::vector<int> cm(p.NC, 0), rm(p.NR, 0);
    TAux a = BuildAux(cm, rm, true);
    ResizeMatrixMuted(p.NC, p.NR);
    CommitAux(a);
    FComment = p.Comment;
    DestCol = DestRow = 1;
  } else {
    DestCol = std::max(DestCol, 1);
    DestRow = std::max(DestRow, 1);
    if (AdjustSize) Resize(std::max(FNCols, DestCol + p.NC - 1), std::max(FNRows, DestRow + p.NR - 1));
  }
  for (int r = 0; r < p.NR; ++r) {
    const int tr = DestRow + r;
    if (tr > FNRows) break;
    if (p.HasRowNames) FRowNames[tr - 1] = p.RowNames[r];
    if (p.HasRowAttr) FRowAttr[tr - 1] = p.RowAttr[r];
    for (int c = 0; c < p.NC; ++c) {
      const int tc = DestCol + c;
      if (tc > FNCols) break;
      const size_t i = static_cast<size_t>(r) * p.NC + c;
      RawSet(tc, tr, p.Values[i]);
      FStates[SIdx(tc, tr)] = p.States[i];
    }
  }
  for (int c = 0; c < p.NC; ++c) {
    const int tc = DestCol + c;
    if (tc > FNCols) break;
    if (p.HasColNames) FColNames[tc - 1] = p.ColNames[c];
    if (p.HasColAttr) FColAttr[tc - 1] = p.ColAttr[c];
  }
  Fire(evSetup | evNames | evAttrib | evCellState);
  FMat->Changed();
}

namespace {
// A block placed at (DestCol, DestRow) must leave the table within
// 2^28 cells when it grows to hold it.
bool DestFits(int DestCol, int DestRow, int NC, int NR, int CurCols, int CurRows, bool AdjustSize) {
  const int64_t cols = static_cast<int64_t>(std::max(DestCol, 1)) + NC - 1;
  const int64_t rows = static_cast<int64_t>(std::max(DestRow, 1)) + NR - 1;
  if (!AdjustSize) return true;
  return std::max<int64_t>(cols, CurCols) * std::max<int64_t>(rows, CurRows) <= (int64_t{1} << 28);
}
}  // namespace

bool TDataTable::ImportFromCSV(TStream& Stream, TCSVDelimiters Delimiter, bool WithColNames, bool WithRowNames) {
  std::string text;
  if (!ReadAll(Stream, text)) return false;
  TParsedTable p;
  try {
    if (!ParseCSV(text, Delimiter, WithColNames, WithRowNames, p)) return false;
    text.clear();
    text.shrink_to_fit();
    ApplyParsed(p, true, 1, 1, false);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const EZOLDataTableError&) {
    return false;
  }
  return true;
}

bool TDataTable::ImportFromCSV(const std::string& FileName, TCSVDelimiters Delimiter, bool WithColNames,
                               bool WithRowNames) {
  try {
    TFileStream fs(FileName, fmOpenRead);
    return ImportFromCSV(fs, Delimiter, WithColNames, WithRowNames);
  } catch (const Exception&) {
    return false;
  }
}

bool TDataTable::ReadFromASC(TStream& Stream, int DestCol, int DestRow, bool AdjustSize) {
  std::string text;
  if (!ReadAll(Stream, text)) return false;
  TParsedTable p;
  try {
    if (!ParseASC(text, p)) return false;
    if (!DestFits(DestCol, DestRow, p.NC, p.NR, FNCols, FNRows, AdjustSize)) return false;
    text.clear();
    text.shrink_to_fit();
    ApplyParsed(p, false, DestCol, DestRow, AdjustSize);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const EZOLDataTableError&) {
    return false;
  }
  return true;
}

bool TDataTable::ImportASC(TStream& Stream) {
  std::string text;
  if (!ReadAll(Stream, text)) return false;
  TParsedTable p;
  try {
    if (!ParseASC(text, p)) return false;
    text.clear();
    text.shrink_to_fit();
    ApplyParsed(p, true, 1, 1, false);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const EZOLDataTableError&) {
    return false;
  }
  return true;
}

bool TDataTable::ImportASC(const std::string& FileName) {
  try {
    TFileStream fs(FileName, fmOpenRead);
    return ImportASC(fs);
  } catch (const Exception&) {
    return false;
  }
}

bool TDataTable::ReadFromASC(const std::string& FileName, int DestCol, int DestRow, bool AdjustSize) {
  try {
    TFileStream fs(FileName, fmOpenRead);
    return ReadFromASC(fs, DestCol, DestRow, AdjustSize);
  } catch (const Exception&) {
    return false;
  }
}

bool TDataTable::ImportASCFromClipboard() {
  TStringStream s(Clipboard().AsText());
  return ImportASC(s);
}

bool TDataTable::ReadFromASCClipboard(int DestCol, int DestRow, bool AdjustSize) {
  TStringStream s(Clipboard().AsText());
  return ReadFromASC(s, DestCol, DestRow, AdjustSize);
}

}  // namespace zol
