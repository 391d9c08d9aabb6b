#include "gui/Zol_replist.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <memory>

#include "base/Zol_filesys.h"
#include "base/Zol_htmlsupport.h"
#include "base/Zol_streams.h"
#include "base/Zol_stringl.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_stdctrls.h"
#include "base/platform/Zol_sysutils.h"
#include "gui/Zol_numio.h"

namespace zol {

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

bool ToInt(const std::string& text, int& v) {
  size_t a = 0, b = text.size();
  while (a < b && text[a] == ' ') ++a;
  while (b > a && text[b - 1] == ' ') --b;
  if (a == b) return false;
  const char* s = text.data() + a;
  const char* e = text.data() + b;
  if (*s == '+') ++s;
  auto r = std::from_chars(s, e, v);
  return s != e && r.ec == std::errc() && r.ptr == e;
}

// The decimal digits directly after position p (blanks first allowed); 0 when none.
int DigitsAfter(const std::string& s, size_t p) {
  while (p < s.size() && s[p] == ' ') ++p;
  long long v = 0;
  bool any = false;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
    v = std::min<long long>(v * 10 + (s[p] - '0'), 1000000);
    any = true;
    ++p;
  }
  return any ? static_cast<int>(v) : 0;
}

const char* const kTags[] = {"numcols", "numrows", "colname", "checkedcol", "commonhd",
                             "colformat", "cell", "comment", "/replist"};

}  // namespace

// ---------------------------------------------------------------- TRLData
TRLData::TRLData(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FCells = std::make_unique<TStringArray>(nullptr);
    FCells->SetAllocRowsBy(10);
    FCells->Resize(1, 1);
    FColNames.assign(2, std::string());
    FColFormats.assign(2, std::string());
    FCheckModes.assign(2, cmNone);
  } catch (const std::bad_alloc&) {
    throw EZOLRLDataError(ComponentMessage(Name(), "failed to initialize (out of memory)"));
  }
  ResetColumns(1);
  HookStore();
}

TRLData::~TRLData() = default;

void TRLData::HookStore() {
  FCells->OnBeforeSortExchange = [this](TObject*, const std::string& in, std::string& out) {
    BeforeSortExchange(this, in, out);
  };
  FCells->OnPercentDone = [this](TObject*, int p) {
    if (OnPercentDone) {
      TOnPercentDoneEvent h = OnPercentDone;
      h(this, p);
    }
  };
}

void TRLData::ResetColumns(int from) {
  for (int c = std::max(1, from); c <= FNrCols; ++c) {
    FColNames[c] = "C-" + std::to_string(c);
    FColFormats[c].clear();
    FCheckModes[c] = cmNone;
  }
}

void TRLData::SetNrCols(int n) {
  n = std::max(1, n);
  if (n == FNrCols) return;
  int old = FNrCols;
  try {
    FColNames.resize(n + 1);
    FColFormats.resize(n + 1);
    FCheckModes.resize(n + 1, cmNone);
  } catch (const std::bad_alloc&) {
    throw EZOLRLDataError(ComponentMessage(Name(), "not enough memory on heap"));
  }
  try {
    FCells->Resize(n, std::max(1, FNrRows));
  } catch (...) {
    FColNames.resize(old + 1);
    FColFormats.resize(old + 1);
    FCheckModes.resize(old + 1);
    throw;
  }
  FNrCols = n;
  if (n > old) ResetColumns(old + 1);
}

void TRLData::SetNrRows(int n) {
  n = std::max(0, n);
  if (n == FNrRows) return;
  int old = FNrRows;
  FCells->Resize(FNrCols, std::max(1, n));
  if (n == 0 || old == 0) {
    // Rows that come into range again are empty.
    for (int c = 0; c <= FNrCols; ++c) FCells->SetString(c, 1, "");
    FCells->SetRowAttrib(1, 0);
  }
  FNrRows = n;
}

int TRLData::AddRow() {
  SetNrRows(FNrRows + 1);
  return FNrRows;
}

void TRLData::InsertRow(int r) {
  if (r < 1 || r > FNrRows + 1) return;
  if (FNrRows == 0) {
    SetNrRows(1);
    return;
  }
  if (r == FNrRows + 1) {
    AddRow();
    return;
  }
  FCells->InsertRow(r);
  FNrRows = FCells->NrOfRows();
}

std::string TRLData::GetColName(int c) const { return ValidCol(c) ? FColNames[c] : std::string(); }

void TRLData::SetColName(int c, const std::string& Name) {
  if (ValidCol(c)) FColNames[c] = Utf8Truncate(Name, MaxNameLength);
}

std::string TRLData::GetColumnFormat(int c) const { return ValidCol(c) ? FColFormats[c] : std::string(); }

void TRLData::SetColumnFormat(int c, const std::string& Format) {
  if (ValidCol(c)) FColFormats[c] = Utf8Truncate(Format, MaxFormatLength);
}

TCheckMode TRLData::GetColCheckMode(int c) const { return ValidCol(c) ? FCheckModes[c] : cmNone; }

void TRLData::SetColCheckMode(int c, TCheckMode Mode) {
  if (!ValidCol(c) || Mode == FCheckModes[c]) return;
  TNotifyEvent saved = FCells->OnChange;
  FCells->OnChange = nullptr;
  TCheckMode old = FCheckModes[c];
  int rows = FNrRows;
  if (old == cmNone) {
    for (int r = 1; r <= rows; ++r) {
      std::string s = FCells->GetString(c, r);
      if (!s.empty()) FCells->SetString(c, r, " " + s);
    }
    FCheckModes[c] = Mode;
  } else if (Mode == cmNone) {
    for (int r = 1; r <= rows; ++r) {
      std::string s = FCells->GetString(c, r);
      if (!s.empty()) FCells->SetString(c, r, s.substr(1));
    }
    FCheckModes[c] = Mode;
  } else {
    FCheckModes[c] = Mode;
    if (old == cmBox && Mode == cmRadio) {
      for (int r = 1; r <= rows; ++r) {
        std::string s = FCells->GetString(c, r);
        FCells->SetString(c, r, s.empty() ? std::string(" ") : " " + s.substr(1));
      }
    }
  }
  FCells->OnChange = saved;
  FCells->Changed();
}

int TRLData::ColumnIndex(const std::string& Name, bool Partial) const {
  std::string n = Lower(Name);
  for (int c = FNrCols; c >= 1; --c) {
    std::string cn = Lower(FColNames[c]);
    if (Partial ? cn.find(n) != std::string::npos : cn == n) return c;
  }
  return -1;
}

std::string TRLData::GetElem(int c, int r) const {
  if (c < 0 || c > FNrCols || !ValidRow(r)) return std::string();
  std::string s = FCells->GetString(c, r);
  if (HasCheck(c) && !s.empty()) s.erase(0, 1);
  return s;
}

void TRLData::SetElem(int c, int r, const std::string& Text) {
  if (c < 0 || c > FNrCols || !ValidRow(r)) return;
  if (HasCheck(c)) {
    std::string s = FCells->GetString(c, r);
    char ch = s.empty() ? ' ' : s[0];
    FCells->SetString(c, r, std::string(1, ch) + Text);
  } else {
    FCells->SetString(c, r, Text);
  }
}

bool TRLData::GetElemChecked(int c, int r) const {
  if (!HasCheck(c) || !ValidRow(r)) return false;
  std::string s = FCells->GetString(c, r);
  return !s.empty() && s[0] != ' ';
}

void TRLData::SetElemChecked(int c, int r, bool State) {
  if (!HasCheck(c) || !ValidRow(r)) return;
  if (FCheckModes[c] == cmRadio) {
    for (int k = 1; k <= FNrRows; ++k) {
      std::string s = FCells->GetString(c, k);
      if (!s.empty() && s[0] != ' ') FCells->SetString(c, k, " " + s.substr(1));
    }
  }
  std::string s = FCells->GetString(c, r);
  std::string mark = State ? "X" : " ";
  FCells->SetString(c, r, s.empty() ? mark : mark + s.substr(1));
}

void TRLData::SetAllCheckmarksOfCol(int c, bool State) {
  if (GetColCheckMode(c) != cmBox) return;
  for (int r = 1; r <= FNrRows; ++r) {
    std::string s = FCells->GetString(c, r);
    std::string mark = State ? "X" : " ";
    FCells->SetString(c, r, s.empty() ? mark : mark + s.substr(1));
  }
}

void TRLData::InvertAllCheckmarksOfCol(int c) {
  if (GetColCheckMode(c) != cmBox) return;
  for (int r = 1; r <= FNrRows; ++r) {
    std::string s = FCells->GetString(c, r);
    if (s.empty()) FCells->SetString(c, r, "X");
    else FCells->SetString(c, r, (s[0] == 'X' ? " " : "X") + s.substr(1));
  }
}

int TRLData::CountCheckedElemsInCol(int c) const {
  if (!HasCheck(c)) return 0;
  int n = 0;
  for (int r = 1; r <= FNrRows; ++r) n += GetElemChecked(c, r) ? 1 : 0;
  return n;
}

int TRLData::CountCheckedElemsInRow(int r) const {
  if (!ValidRow(r)) return 0;
  int n = 0;
  for (int c = 1; c <= FNrCols; ++c) n += GetElemChecked(c, r) ? 1 : 0;
  return n;
}

int TRLData::FirstCheckedElemInCol(int c) const {
  if (!HasCheck(c)) return 0;
  for (int r = 1; r <= FNrRows; ++r)
    if (GetElemChecked(c, r)) return r;
  return 0;
}

double TRLData::GetAsNumber(int c, int r) const {
  if (c < 0 || c > FNrCols || !ValidRow(r)) return 0;
  return static_cast<double>(FCells->GetAsNumber(c, r));
}

std::string TRLData::GetCellDefaultValue(int c, int r) const {
  std::string fmt = GetColumnFormat(c);
  if (fmt.empty()) return std::string();
  char type = 's';
  std::string rest = fmt;
  if (!rest.empty() && rest[0] == '[') {
    size_t e = rest.find(']');
    if (e == std::string::npos) return std::string();
    std::string g1 = rest.substr(1, e - 1);
    size_t t = 0;
    if (t < g1.size() && g1[t] == '#') ++t;  // the not-editable mark comes before the type letter
    if (t < g1.size()) type = static_cast<char>(g1[t] | 0x20);
    rest = rest.substr(e + 1);
    if (!rest.empty() && rest[0] == '[') {
      size_t e2 = rest.find(']');
      rest = e2 == std::string::npos ? std::string() : rest.substr(e2 + 1);
    }
  }
  std::string low = Lower(rest);
  size_t rix = low.find("rix");
  switch (type) {
    case 'c':
    case 'l': {
      size_t bar = rest.find('|');
      return bar == std::string::npos ? rest : rest.substr(0, bar);
    }
    case 'd': return rest;
    case 'e':
    case 'f':
      if (rix == std::string::npos) return rest;
      return strff(r, 1, DigitsAfter(rest, rix + 3));
    case 'h': {
      if (rix == std::string::npos) return rest;
      int n = std::clamp(DigitsAfter(rest, rix + 3), 1, 8);
      char buf[32];
      std::snprintf(buf, sizeof buf, "%0*X", n, static_cast<unsigned>(r));
      std::string s = buf;
      return s.size() > 8 ? s.substr(s.size() - 8) : s;
    }
    case 'i': {
      if (rix == std::string::npos) return rest;
      int n = std::min(DigitsAfter(rest, rix + 3), 64);
      std::string digits = std::to_string(r < 0 ? -static_cast<long long>(r) : r);
      while (static_cast<int>(digits.size()) < n) digits.insert(digits.begin(), '0');
      return r < 0 ? "-" + digits : digits;
    }
    default: {
      size_t pwd = low.find("$pwd$");
      if (pwd == std::string::npos) return rest;
      return InventPassword(DigitsAfter(rest, pwd + 5));
    }
  }
}

void TRLData::CopyRow(int Src, int Dst) {
  if (!ValidRow(Src) || !ValidRow(Dst)) return;
  FCells->CopyRow(Src, Dst);
}

void TRLData::RemoveRow(int r) {
  if (!ValidRow(r)) return;  // also an empty list: the row count never goes below 0
  FCells->CommitSorting();
  if (FNrRows == 1) {
    for (int c = 0; c <= FNrCols; ++c) FCells->SetString(c, 1, "");
    FCells->SetRowAttrib(1, 0);
    FNrRows = 0;
    return;
  }
  FCells->RemoveRow(r);
  --FNrRows;
}

void TRLData::RemoveEmptyRows() {
  for (int r = FNrRows; r >= 1; --r) {
    bool empty = true;
    for (int c = 0; c <= FNrCols && empty; ++c) {
      if (!GetElem(c, r).empty()) empty = false;
      // A check mark is data too: a checked row is kept.
      if (GetElemChecked(c, r)) empty = false;
    }
    if (empty) RemoveRow(r);
  }
}

void TRLData::Fill(const std::string& Text) {
  for (int r = 1; r <= FNrRows; ++r)
    for (int c = 1; c <= FNrCols; ++c) SetElem(c, r, Text);
}

void TRLData::Clear() {
  FCells->Clear();
  ResetColumns(1);
}

void TRLData::Sort(int ColIx, int Col2Ix, bool Ascending) {
  FSortColumn = ColIx;
  FSortColumnSec = Col2Ix;
  FSortOrder = Ascending;
  FCells->Sort(ColIx, Col2Ix, Ascending);
}

void TRLData::UnSort() {
  FSortColumn = FSortColumnSec = -1;
  FCells->UnSort();
}

std::string TRLData::ClipboardText(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader,
                                   bool TabSeparated) const {
  if (TabSeparated) return ClipboardText(ColLow, RowLow, ColHigh, RowHigh, WithHeader, std::string("\t"));
  ColLow = std::max(0, ColLow);
  ColHigh = std::min(FNrCols, ColHigh);
  RowLow = std::max(1, RowLow);
  RowHigh = std::min(FNrRows, RowHigh);
  std::vector<int> width;
  for (int c = ColLow; c <= ColHigh; ++c) {
    int w = WithHeader ? static_cast<int>(GetColName(c).size()) : 0;
    for (int r = RowLow; r <= RowHigh; ++r) w = std::max(w, static_cast<int>(FCells->GetString(c, r).size()));
    width.push_back(w);
  }
  std::string out;
  if (WithHeader) {
    for (int c = ColLow; c <= ColHigh; ++c) out += LeftString(GetColName(c), width[c - ColLow] + 1);
    out += "\n\n";
  }
  for (int r = RowLow; r <= RowHigh; ++r) {
    for (int c = ColLow; c <= ColHigh; ++c) out += LeftString(GetElem(c, r), width[c - ColLow] + 1);
    out += "\n";
  }
  return out;
}

std::string TRLData::ClipboardText(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader,
                                   const std::string& Separator) const {
  ColLow = std::max(0, ColLow);
  ColHigh = std::min(FNrCols, ColHigh);
  RowLow = std::max(1, RowLow);
  RowHigh = std::min(FNrRows, RowHigh);
  std::string out;
  if (WithHeader) {
    for (int c = ColLow; c <= ColHigh; ++c) {
      if (c > ColLow) out += Separator;
      out += GetColName(c);
    }
    out += "\n\n";
  }
  for (int r = RowLow; r <= RowHigh; ++r) {
    for (int c = ColLow; c <= ColHigh; ++c) {
      if (c > ColLow) out += Separator;
      out += GetElem(c, r);
    }
    out += "\n";
  }
  return out;
}

void TRLData::CopyToClipBoard(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader,
                              bool TabSeparated) const {
  Clipboard().SetAsText(ClipboardText(ColLow, RowLow, ColHigh, RowHigh, WithHeader, TabSeparated));
}

void TRLData::CopyToClipBoard(int ColLow, int RowLow, int ColHigh, int RowHigh, bool WithHeader,
                              const std::string& Separator) const {
  Clipboard().SetAsText(ClipboardText(ColLow, RowLow, ColHigh, RowHigh, WithHeader, Separator));
}

void TRLData::AssignTo(TPersistent& Dest) const { Dest.Assign(*this); }

void TRLData::Assign(const TPersistent& Source) {
  const auto* src = dynamic_cast<const TRLData*>(&Source);
  if (!src) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  auto store = std::make_unique<TStringArray>(nullptr);
  const TStringArray& s = *src->FCells;
  store->SetAllocRowsBy(s.AllocRowsBy());
  store->Resize(s.NrOfColumns(), std::max(1, s.NrOfRows()));
  for (int c = 1; c <= s.NrOfColumns(); ++c) store->SetColAttrib(c, s.GetColAttrib(c));
  // Physical rows are copied as they are, then the sort order, so the copy shows the same logical order.
  for (int r = 1; r <= s.NrOfRows(); ++r) store->SetSortOrder(r, r);
  std::vector<int> order(s.NrOfRows());
  for (int r = 1; r <= s.NrOfRows(); ++r) order[r - 1] = s.GetSortOrder(r);
  for (int r = 1; r <= s.NrOfRows(); ++r) {
    int phys = order[r - 1];
    for (int c = 0; c <= s.NrOfColumns(); ++c) store->SetString(c, phys, s.GetString(c, r));
    store->SetRowAttrib(phys, s.GetRowAttrib(r));
  }
  for (int r = 1; r <= s.NrOfRows(); ++r) store->SetSortOrder(r, order[r - 1]);
  std::vector<std::string> names = src->FColNames, formats = src->FColFormats;
  std::vector<TCheckMode> modes = src->FCheckModes;
  FCells = std::move(store);
  HookStore();
  FNrCols = src->FNrCols;
  FNrRows = src->FNrRows;
  FSortColumn = src->FSortColumn;
  FSortColumnSec = src->FSortColumnSec;
  FSortOrder = src->FSortOrder;
  FSortToggle = src->FSortToggle;
  FComment = src->FComment;
  FCommonHeader = src->FCommonHeader;
  FDataID = src->FDataID;
  OnBeforeSortExchange = src->OnBeforeSortExchange;
  FColNames = std::move(names);
  FColFormats = std::move(formats);
  FCheckModes = std::move(modes);
}

void TRLData::BeforeHTMLExport(std::string& Text, int Col, int Row) {
  if (OnBeforeHTMLExport) {
    TBeforeHTMLExportEvent h = OnBeforeHTMLExport;
    h(this, Text, Col, Row);
  }
}

void TRLData::BeforeSortExchange(TObject*, const std::string& InString, std::string& OutString) {
  if (OnBeforeSortExchange) {
    TBeforeSortExchgEvent h = OnBeforeSortExchange;
    h(this, InString, OutString);
  }
}

// ---- files
std::string TRLData::RecordText(bool CreateHeader, const std::string& DataID) const {
  std::string id = DataID.empty() ? FDataID : DataID;
  std::string t;
  auto line = [&t](const std::string& s) { t += s + "\n"; };
  if (CreateHeader) line("<?xml version=\"1.0\"?>");
  line("");
  line("<!-- TRLData / ZOL Component Suite -->");
  line(RecordOpeningLine("replist", id));
  line("  <numcols>" + std::to_string(FNrCols) + "</numcols>");
  line("  <numrows>" + std::to_string(FNrRows) + "</numrows>");
  for (int c = 1; c <= FNrCols; ++c)
    line("  <colname col=" + std::to_string(c) + ">" + RecordXmlEscape(FColNames[c]) + "</colname>");
  for (int c = 1; c <= FNrCols; ++c)
    if (FCheckModes[c] != cmNone)
      line("  <checkedcol col=" + std::to_string(c) + " mode=\"" + (FCheckModes[c] == cmBox ? "box" : "radio") +
           "\" />");
  line("  <commonhd>" + RecordXmlEscape(FCommonHeader) + "</commonhd>");
  for (int c = 1; c <= FNrCols; ++c)
    if (!FColFormats[c].empty())
      line("  <colformat col=" + std::to_string(c) + ">" + RecordXmlEscape(FColFormats[c]) + "</colformat>");
  for (int r = 1; r <= FNrRows; ++r)
    for (int c = 0; c <= FNrCols; ++c) {
      std::string s = FCells->GetString(c, r);
      if (!s.empty())
        line("  <cell col=" + std::to_string(c) + " row=" + std::to_string(r) + ">" + RecordXmlEscape(s) +
             "</cell>");
    }
  line("  <comment>" + RecordXmlEscape(FComment) + "</comment>");
  line("</replist>");
  return t;
}

void TRLData::WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const {
  std::string t = RecordText(CreateHeader, DataID);
  t.pop_back();  // the last line's LF comes with WriteLn
  size_t s = 0;
  for (;;) {
    size_t e = t.find('\n', s);
    WriteLn(F, t.substr(s, e == std::string::npos ? std::string::npos : e - s));
    if (e == std::string::npos) break;
    s = e + 1;
  }
}

void TRLData::WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const {
  std::string t = RecordText(CreateHeader, DataID);
  Stream.WriteBuffer(t.data(), static_cast<int64_t>(t.size()));
}

bool TRLData::SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) { WriteToOpenXMLFile(F, true, DataID); });
}

bool TRLData::ReadRecordBody(const std::string& Body, size_t InputSize) {
  struct CellRec {
    int Col, Row;
    std::string Text;
  };
  std::vector<std::string> tags(std::begin(kTags), std::end(kTags));
  tags.push_back("");
  int numCols = -1, numRows = -1;
  std::vector<std::pair<int, std::string>> names, formats;
  std::vector<std::pair<int, TCheckMode>> modes;
  std::vector<CellRec> cells;
  std::string header = FCommonHeader, comment = FComment;
  size_t pos = 0;
  std::string content, attrs;
  bool closed = false;
  while (!closed) {
    if (pos >= Body.size()) return false;  // truncated: the record never closed
    int ix = ReadNextTagInBuffer(Body.data(), Body.size(), pos, tags, content, attrs);
    int col = 0, row = 0;
    using enum TRepListXmlTag;
    const auto tag = static_cast<TRepListXmlTag>(ix);
    switch (tag) {
      case xmlNumCols:
      case xmlNumRows: {
        int v = 0;
        if (!ToInt(content, v) || v < (tag == xmlNumCols ? 1 : 0)) return false;
        (tag == xmlNumCols ? numCols : numRows) = v;
        break;
      }
      case xmlColName:
      case xmlColumnFormat:
        if (!ToInt(ScanForXMLAttrib(attrs, "col"), col)) return false;
        (tag == xmlColName ? names : formats).emplace_back(col, RecordXmlUnescape(content));
        break;
      case xmlCheckedColumn: {
        if (!ToInt(ScanForXMLAttrib(attrs, "col"), col)) return false;
        std::string m = Lower(ScanForXMLAttrib(attrs, "mode"));
        modes.emplace_back(col, m == "radio" ? cmRadio : cmBox);
        break;
      }
      case xmlCommonHd: header = RecordXmlUnescape(content); break;
      case xmlCell:
        if (!ToInt(ScanForXMLAttrib(attrs, "col"), col) || !ToInt(ScanForXMLAttrib(attrs, "row"), row))
          return false;
        cells.push_back({col, row, RecordXmlUnescape(content)});
        break;
      case xmlComment: comment = RecordXmlUnescape(content); break;
      case xmlEndReplist: closed = true; break;
      default: break;  // an element of a later version is skipped
    }
  }
  if (numCols < 1 || numRows < 0) return false;
  // Refuse sizes the input cannot plausibly describe instead of allocating them.
  int64_t handles = (static_cast<int64_t>(numCols) + 1) * std::max(1, numRows);
  if (handles > (int64_t(1) << 22) + 16 * static_cast<int64_t>(InputSize)) return false;
  for (const auto& n : names)
    if (n.first < 1 || n.first > numCols) return false;
  for (const auto& n : formats)
    if (n.first < 1 || n.first > numCols) return false;
  for (const auto& m : modes)
    if (m.first < 1 || m.first > numCols) return false;
  for (const auto& rc : cells)
    if (rc.Col < 0 || rc.Col > numCols || rc.Row < 1 || rc.Row > numRows) return false;
  TRLData tmp(nullptr);
  tmp.SetNrCols(numCols);
  tmp.SetNrRows(numRows);
  for (const auto& n : names) tmp.SetColName(n.first, n.second);
  for (const auto& n : formats) tmp.SetColumnFormat(n.first, n.second);
  for (const auto& m : modes) tmp.FCheckModes[m.first] = m.second;
  for (const auto& rc : cells) tmp.FCells->SetString(rc.Col, rc.Row, rc.Text);
  tmp.FCommonHeader = header;
  tmp.FComment = comment;
  tmp.FDataID = FDataID;
  auto sortExchange = OnBeforeSortExchange;
  Assign(tmp);
  OnBeforeSortExchange = sortExchange;
  FSortColumn = FSortColumnSec = -1;
  return true;
}

namespace {
// The record's data identifier from its opening line.
std::string IdOfLine(const std::string& line) {
  std::string low = Lower(line);
  size_t p = low.find("id=\"");
  if (p == std::string::npos) return std::string();
  p += 4;
  size_t q = line.find('"', p);
  if (q == std::string::npos) return std::string();
  return RecordXmlUnescape(line.substr(p, q - p));
}
}  // namespace

bool TRLData::ReadFromOpenXMLFile(TextFile& F, const std::string& DataID) {
  try {
    std::string line, body;
    bool located = false;
    while (ReadLn(F, line)) {
      if (RecordLineOpens(line, "replist", DataID)) {
        located = true;
        break;
      }
    }
    if (!located) return false;
    std::string id = IdOfLine(line);
    std::string l;
    while (ReadLn(F, l)) {
      body += l;
      body += '\n';
      if (Lower(l).find("</replist>") != std::string::npos) break;
    }
    if (!ReadRecordBody(body, body.size())) return false;
    FDataID = id;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TRLData::LoadFromXMLFile(const std::string& FileName, const std::string& DataID) {
  return ReadRecordFile(FileName, [&](TextFile& F) { return ReadFromOpenXMLFile(F, DataID); });
}

bool TRLData::ReadFromXMLStream(TStream& Stream, const std::string& DataID) {
  try {
    bool eos = false;
    std::string line;
    bool located = false;
    while (!eos) {
      line = ReadLnStream(Stream, eos, 0);
      if (RecordLineOpens(line, "replist", DataID)) {
        located = true;
        break;
      }
    }
    if (!located) return false;
    std::string id = IdOfLine(line);
    int ix = -1;
    std::string body = ReadStreamUntilTagList(Stream, {"</replist>"}, ix);
    if (ix != 0) return false;
    if (!ReadRecordBody(body, body.size())) return false;
    FDataID = id;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TRLData::ReadFromXMLString(const std::string& Text, const std::string& DataID) {
  TStringStream s(Text);
  return ReadFromXMLStream(s, DataID);
}

bool TRLData::LoadLinesFromFile(int FirstLine, int LastLine, const std::string& FileName) {
  std::vector<std::vector<std::string>> rows;
  try {
    TextFile F;
    AssignFile(F, FileName);
    Reset(F);
    std::string line;
    int n = 0;
    while (ReadLn(F, line)) {
      ++n;
      if (n < FirstLine) continue;
      if (LastLine >= FirstLine && n > LastLine) break;
      std::vector<std::string> fields;
      size_t s = 0;
      for (;;) {
        size_t e = line.find('\t', s);
        fields.push_back(BytesToUtf8(line.substr(s, e == std::string::npos ? std::string::npos : e - s)));
        if (e == std::string::npos) break;
        s = e + 1;
      }
      rows.push_back(std::move(fields));
    }
    CloseFile(F);
  } catch (const std::exception&) {
    return false;
  }
  size_t width = 1;
  for (const auto& r : rows) width = std::max(width, r.size());
  if (static_cast<int>(width) > FNrCols) SetNrCols(static_cast<int>(width));
  SetNrRows(static_cast<int>(rows.size()));
  for (int r = 1; r <= FNrRows; ++r)
    for (int c = 1; c <= FNrCols; ++c)
      SetElem(c, r, c - 1 < static_cast<int>(rows[r - 1].size()) ? rows[r - 1][c - 1] : std::string());
  return true;
}

bool TRLData::ExportHTMLTable(const std::string& FileName, int ColLow, int ColHigh, int RowLow, int RowHigh,
                              const std::vector<int>& ColWidths, int Border, int CellPadding, int CellSpacing,
                              bool WithHeader, const std::string& Title, const std::string& Caption,
                              const std::string& HeaderColor) {
  ColLow = std::max(0, ColLow);
  ColHigh = std::min(FNrCols, ColHigh);
  RowLow = std::max(1, RowLow);
  RowHigh = std::min(FNrRows, RowHigh);
  std::string h = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                  MakeStringHTMLCompatible(Title) + "</title>\n</head>\n<body>\n";
  h += "<table border=\"" + std::to_string(std::max(0, Border)) + "\" cellpadding=\"" +
       std::to_string(std::max(0, CellPadding)) + "\" cellspacing=\"" + std::to_string(std::max(0, CellSpacing)) +
       "\">\n";
  if (!Caption.empty()) h += "<caption>" + MakeStringHTMLCompatible(Caption) + "</caption>\n";
  auto widthAttr = [&](int c) {
    size_t i = static_cast<size_t>(c - ColLow);
    return i < ColWidths.size() && ColWidths[i] > 0 ? " width=\"" + std::to_string(ColWidths[i]) + "\"" : std::string();
  };
  if (WithHeader) {
    h += "<tr>";
    for (int c = ColLow; c <= ColHigh; ++c) {
      h += "<th" + widthAttr(c);
      if (!HeaderColor.empty()) h += " bgcolor=\"" + MakeStringHTMLCompatible(HeaderColor) + "\"";
      h += ">" + MakeStringHTMLCompatible(GetColName(c)) + "</th>";
    }
    h += "</tr>\n";
  }
  for (int r = RowLow; r <= RowHigh; ++r) {
    h += "<tr>";
    for (int c = ColLow; c <= ColHigh; ++c) {
      std::string t = GetElem(c, r);
      BeforeHTMLExport(t, c, r);
      h += "<td" + (WithHeader ? std::string() : widthAttr(c)) + ">" + MakeStringHTMLCompatible(t) + "</td>";
    }
    h += "</tr>\n";
  }
  h += "</table>\n</body>\n</html>\n";
  return WriteRecordFile(FileName, [&](TextFile& F) { Write(F, h); });
}

// ---------------------------------------------------------------- free routines
bool CheckIfValidReplist(const std::string& FileName, const std::string& DataID) {
  TextFile F;
  AssignFile(F, FileName);
  Reset(F);
  std::string line;
  bool found = false;
  while (ReadLn(F, line)) {
    if (RecordLineOpens(line, "replist", DataID)) {
      found = true;
      break;
    }
  }
  CloseFile(F);
  return found;
}

bool CheckIfValidReplist(TStream& Stream, const std::string& DataID) {
  bool eos = false;
  while (!eos) {
    std::string line = ReadLnStream(Stream, eos, 0);
    if (RecordLineOpens(line, "replist", DataID)) return true;
  }
  return false;
}

}  // namespace zol

// ==================================================================== TReportListView
namespace zol {

namespace {

constexpr int kCheckBoxSpace = 18;  // a check-box click counts left of this
constexpr int kBorderGrip = 4;      // header clicks this close to a column border do not sort

std::string FoldAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

void FillCol(TCanvas& c, const TRect& r, TColor col) {
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(col);
  c.FillRect(r);
}

// target := target op src
bool ApplyLogicOp(bool target, TLogicOp op, bool src) {
  switch (op) {
    case loAND: return target && src;
    case loOR: return target || src;
    case loXOR: return target != src;
    case loANDNot: return target && !src;
    case loORNot: return target || !src;
    case loXORNot: return target != !src;
  }
  return target;
}

// Cuts s (on a character boundary) and ends it with "..." so that it fits into Width pixels.
std::string FitText(TCanvas& cv, const std::string& s, int Width) {
  if (cv.TextWidth(s) <= Width) return s;
  std::string t = s;
  while (!t.empty()) {
    size_t k = t.size() - 1;
    while (k > 0 && (static_cast<unsigned char>(t[k]) & 0xC0) == 0x80) --k;
    t.erase(k);
    if (cv.TextWidth(t + "...") <= Width) return t + "...";
  }
  return cv.TextWidth("...") <= Width ? "..." : std::string();
}

// ---- the column format, as the row editor reads it
struct TColFormatInfo {
  char Type = 's';
  bool ReadOnly = false;
  int DropLines = 0;        // c, l: lines of the drop-down list (0: the platform's default)
  std::string DatePattern;  // d
  int Width = 200;
  std::string Rest;
};

TColFormatInfo ParseColFormat(const std::string& Fmt) {
  TColFormatInfo f;
  std::string rest = Fmt;
  if (!rest.empty() && rest[0] == '[') {
    size_t e = rest.find(']');
    std::string g1 = e == std::string::npos ? rest.substr(1) : rest.substr(1, e - 1);
    rest = e == std::string::npos ? std::string() : rest.substr(e + 1);
    size_t t = 0;
    if (t < g1.size() && g1[t] == '#') {
      f.ReadOnly = true;
      ++t;
    }
    if (t < g1.size()) f.Type = static_cast<char>(g1[t] | 0x20);
    std::string param = t < g1.size() ? g1.substr(t + 1) : std::string();
    if ((f.Type == 'c' || f.Type == 'l') && !param.empty() && param[0] == ':') {
      int n = 0;
      for (size_t i = 1; i < param.size() && param[i] >= '0' && param[i] <= '9' && n < 1000; ++i)
        n = n * 10 + (param[i] - '0');
      f.DropLines = n;
    } else if (f.Type == 'd') {
      f.DatePattern = param;
    }
    if (!rest.empty() && rest[0] == '[') {
      size_t e2 = rest.find(']');
      std::string g2 = e2 == std::string::npos ? rest.substr(1) : rest.substr(1, e2 - 1);
      rest = e2 == std::string::npos ? std::string() : rest.substr(e2 + 1);
      int w = 0;
      bool ok = ToInt(g2, w);
      f.Width = ok && w > 0 ? std::min(w, 4000) : 200;
    }
  }
  f.Rest = rest;
  if (std::string("cldefhis").find(f.Type) == std::string::npos) f.Type = 's';
  return f;
}

std::vector<std::string> SplitChoices(const std::string& s) {
  std::vector<std::string> v;
  size_t p = 0;
  while (true) {
    size_t q = s.find('|', p);
    v.push_back(s.substr(p, q == std::string::npos ? std::string::npos : q - p));
    if (q == std::string::npos) break;
    p = q + 1;
  }
  return v;
}

// Reads Text written with a date pattern of the picker (numeric fields, month
// names, AM/PM); false when it does not fit the pattern.
bool ParseDateWithPattern(const std::string& Pattern, const std::string& Text, TDateTime& Value) {
  static const char* const kMonths[12] = {"january", "february", "march",     "april",   "may",      "june",
                                          "july",    "august",   "september", "october", "november", "december"};
  static const char* const kDays[7] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, sec = 0;
  int pm = -1;
  bool hour12 = false;
  size_t ti = 0;
  auto number = [&](int maxDigits, int& out) {
    int n = 0, d = 0;
    while (ti < Text.size() && d < maxDigits && Text[ti] >= '0' && Text[ti] <= '9') {
      n = n * 10 + (Text[ti++] - '0');
      ++d;
    }
    out = n;
    return d > 0;
  };
  auto name = [&](const char* const* table, int count, bool abbrev, int& out) {
    std::string low = FoldAscii(Text.substr(ti));
    for (int i = 0; i < count; ++i) {
      std::string n = abbrev ? std::string(table[i]).substr(0, 3) : std::string(table[i]);
      if (low.compare(0, n.size(), n) == 0) {
        ti += n.size();
        out = i + 1;
        return true;
      }
    }
    return false;
  };
  size_t p = 0;
  while (p < Pattern.size()) {
    char ch = Pattern[p];
    size_t run = 1;
    while (p + run < Pattern.size() && Pattern[p + run] == ch) ++run;
    if (ch == '\'' || ch == '"') {
      size_t e = Pattern.find(ch, p + 1);
      std::string lit = Pattern.substr(p + 1, e == std::string::npos ? std::string::npos : e - p - 1);
      if (Text.compare(ti, lit.size(), lit) != 0) return false;
      ti += lit.size();
      p = e == std::string::npos ? Pattern.size() : e + 1;
      continue;
    }
    bool ok = true;
    int dummy = 0;
    switch (ch) {
      case 'y':
        ok = number(run >= 4 ? 4 : 2, year);
        if (ok && run < 4) year += year < 50 ? 2000 : 1900;
        break;
      case 'M':
        if (run >= 3) ok = name(kMonths, 12, run == 3, month);
        else ok = number(2, month);
        break;
      case 'd':
        if (run >= 3) ok = name(kDays, 7, run == 3, dummy);
        else ok = number(2, day);
        break;
      case 'H': ok = number(2, hour); break;
      case 'h':
        ok = number(2, hour);
        hour12 = true;
        break;
      case 'm': ok = number(2, minute); break;
      case 's': ok = number(2, sec); break;
      case 't': {
        std::string low = FoldAscii(Text.substr(ti, run >= 2 ? 2 : 1));
        if (low.empty() || (low[0] != 'a' && low[0] != 'p')) return false;
        pm = low[0] == 'p' ? 1 : 0;
        ti += low.size();
        break;
      }
      default:
        for (size_t k = 0; k < run; ++k, ++ti)
          if (ti >= Text.size() || Text[ti] != ch) return false;
        break;
    }
    if (!ok) return false;
    p += run;
  }
  if (ti != Text.size()) return false;
  if (hour12 && pm >= 0) hour = hour % 12 + (pm == 1 ? 12 : 0);
  TDateTime d, t;
  if (!TryEncodeDate(year, month, day, d) || !TryEncodeTime(hour, minute, sec, 0, t)) return false;
  Value = d + t;
  return true;
}

// ---- the boolean filter: a small expression tree over search terms
struct TBoolNode {
  enum Kind { Term, And, Or, Not } K = Term;
  std::string Text;
  std::unique_ptr<TBoolNode> A, B;
};

class TBoolParser {
 public:
  explicit TBoolParser(const std::string& s) { Tokenize(s); }
  std::unique_ptr<TBoolNode> Parse() {
    if (!FOk || FTok.empty()) return nullptr;
    auto n = ParseOr();
    if (!n || FPos != FTok.size()) return nullptr;
    return n;
  }

 private:
  struct Tok {
    char Kind;  // 't' term, '&', '|', '!', '(', ')'
    std::string Text;
  };
  void Tokenize(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
      char c = s[i];
      if (c == ' ' || c == '\t') {
        ++i;
      } else if (c == '(' || c == ')' || c == '&' || c == '|' || c == '!') {
        FTok.push_back({c, std::string()});
        ++i;
      } else if (c == '"') {
        size_t e = s.find('"', i + 1);
        if (e == std::string::npos) {
          FOk = false;
          return;
        }
        FTok.push_back({'t', s.substr(i + 1, e - i - 1)});
        i = e + 1;
      } else {
        size_t e = i;
        while (e < s.size() && std::string(" \t()&|!\"").find(s[e]) == std::string::npos) ++e;
        std::string w = s.substr(i, e - i);
        std::string u = FoldAscii(w);
        if (u == "and") FTok.push_back({'&', std::string()});
        else if (u == "or") FTok.push_back({'|', std::string()});
        else if (u == "not") FTok.push_back({'!', std::string()});
        else FTok.push_back({'t', w});
        i = e;
      }
    }
  }
  bool Peek(char k) const { return FPos < FTok.size() && FTok[FPos].Kind == k; }
  std::unique_ptr<TBoolNode> Bin(TBoolNode::Kind k, std::unique_ptr<TBoolNode> a, std::unique_ptr<TBoolNode> b) {
    auto n = std::make_unique<TBoolNode>();
    n->K = k;
    n->A = std::move(a);
    n->B = std::move(b);
    return n;
  }
  std::unique_ptr<TBoolNode> ParseOr() {
    auto a = ParseAnd();
    while (a && Peek('|')) {
      ++FPos;
      auto b = ParseAnd();
      if (!b) return nullptr;
      a = Bin(TBoolNode::Or, std::move(a), std::move(b));
    }
    return a;
  }
  std::unique_ptr<TBoolNode> ParseAnd() {
    auto a = ParseNot();
    while (a && (Peek('&') || Peek('t') || Peek('!') || Peek('('))) {
      if (Peek('&')) ++FPos;
      auto b = ParseNot();
      if (!b) return nullptr;
      a = Bin(TBoolNode::And, std::move(a), std::move(b));
    }
    return a;
  }
  std::unique_ptr<TBoolNode> ParseNot() {
    if (++FDepth > 200) return nullptr;  // hostile nesting
    std::unique_ptr<TBoolNode> r;
    if (Peek('!')) {
      ++FPos;
      auto a = ParseNot();
      if (a) r = Bin(TBoolNode::Not, std::move(a), nullptr);
    } else if (Peek('(')) {
      ++FPos;
      auto a = ParseOr();
      if (a && Peek(')')) {
        ++FPos;
        r = std::move(a);
      }
    } else if (Peek('t')) {
      r = std::make_unique<TBoolNode>();
      r->Text = FTok[FPos++].Text;
    }
    --FDepth;
    return r;
  }
  std::vector<Tok> FTok;
  size_t FPos = 0;
  int FDepth = 0;
  bool FOk = true;
};

bool EvalBool(const TBoolNode& n, const std::function<bool(const std::string&)>& TermFound) {
  switch (n.K) {
    case TBoolNode::Term: return TermFound(n.Text);
    case TBoolNode::And: return EvalBool(*n.A, TermFound) && EvalBool(*n.B, TermFound);
    case TBoolNode::Or: return EvalBool(*n.A, TermFound) || EvalBool(*n.B, TermFound);
    case TBoolNode::Not: return !EvalBool(*n.A, TermFound);
  }
  return false;
}

}  // namespace

int DetermineMaxColWidth(TCanvas& Canvas, const TRLData& Data, int Col, bool WithHeader) {
  if (Col < 1 || Col > Data.NrOfColumns()) return 0;
  int w = WithHeader ? Canvas.TextWidth(Data.GetColName(Col)) : 0;
  for (int r = 1; r <= Data.NrOfRows(); ++r) w = std::max(w, Canvas.TextWidth(Data.GetElem(Col, r)));
  return w;
}

// ---------------------------------------------------------------- construction
TReportListView::TReportListView(TComponent* AOwner) : TCustomGrid(AOwner) {
  try {
    FData = new TRLData(this);
    FMenu = new TPopupMenu(this);
  } catch (const std::bad_alloc&) {
    throw EZOLRepListError(ComponentMessage(Name(), "failed to initialize table editor (out of memory)"));
  }
  SetOptions(goFixedVertLine | goFixedHorzLine | goColSizing | goRowSelect | goThumbTracking);
  FInLayout = true;
  FData->SetNrCols(ColCount());  // the grid's initial column count
  FData->SetNrRows(0);
  FInLayout = false;
  HookData();
  SyncLayout();
  BuildMenu();
}

TReportListView::~TReportListView() {
  if (FData) {
    FData->OnBeforeSortExchange = nullptr;
    FData->OnBeforeHTMLExport = nullptr;
    FData->OnPercentDone = nullptr;
    FData->Cells().OnChange = nullptr;
  }
}

void TReportListView::HookData() {
  // Set every time: TRLData::Assign replaces the cell store.
  FData->Cells().OnChange = [this](TObject*) {
    if (FMuteStore > 0) return;
    DataChanged();
  };
  FData->OnBeforeSortExchange = [this](TObject*, const std::string& in, std::string& out) {
    if (OnBeforeSortExchange) OnBeforeSortExchange(this, in, out);
  };
  FData->OnBeforeHTMLExport = [this](TObject*, std::string& Text, int Col, int Row) {
    if (OnBeforeHTMLExport) OnBeforeHTMLExport(this, Text, Col, Row);
  };
  FData->OnPercentDone = [this](TObject*, int p) {
    if (OnPercentDone) OnPercentDone(this, p);
  };
}

void TReportListView::DataChanged() {
  if (FInLayout) return;
  Invalidate();
  if (OnChange) OnChange(this);
}

void TReportListView::Changed() {
  HookData();
  SyncLayout();
  DataChanged();
}

void TReportListView::SetupChanged() {
  Invalidate();
  if (OnChangeSetup) OnChangeSetup(this);
}

void TReportListView::SyncColumnSettings() {
  size_t n = static_cast<size_t>(NrOfColumns()) + 1;
  FColAlign.resize(n, taLeftJustify);
  FColEditable.resize(n, false);
  FColPwd.resize(n, false);
}

void TReportListView::SyncLayout(bool AllRows) {
  if (FInLayout) return;
  FInLayout = true;
  SyncColumnSettings();
  const int nc = NrOfColumns(), heads = CountHeadRows();
  const int rows = heads + std::max(NrOfRows(), 1);
  if (ColCount() != nc) SetColCount(nc);
  if (RowCount() < rows) SetRowCount(rows);
  if (FixedRows() != heads) SetFixedRows(heads);
  if (RowCount() != rows) SetRowCount(rows);
  int fc = FFixedFirstColumn && nc > 1 ? 1 : 0;
  if (FixedCols() != fc) SetFixedCols(fc);
  if (FCommonHeaderVisible) SetRowHeights(0, FCommonHeaderHeight);
  if (FColumnHeadersVisible) SetRowHeights(heads - 1, FColumnHeadersHeight);
  for (int r = 1; (FFiltered || AllRows) && r <= std::max(NrOfRows(), 1); ++r) {
    int h = (ValidRow(r) && (FData->Cells().GetRowAttrib(r) & RowHiddenBit)) ? 0 : DefaultRowHeight();
    if (RowHeights(GridRowOf(r)) != h) SetRowHeights(GridRowOf(r), h);
  }
  FInLayout = false;
  Invalidate();
}

// ---------------------------------------------------------------- forwarding
void TReportListView::SetNrCols(int n) {
  FData->SetNrCols(n);
  Changed();
  if (OnChangeSetup) OnChangeSetup(this);
}

void TReportListView::SetNrRows(int n) {
  FData->SetNrRows(n);
  Changed();
}

void TReportListView::SetCommonHeader(const std::string& v) {
  if (v == FData->CommonHeader()) return;
  FData->SetCommonHeader(v);
  DataChanged();
}

void TReportListView::SetComment(const std::string& v) {
  if (v == FData->Comment()) return;
  FData->SetComment(v);
  DataChanged();
}

void TReportListView::SetDataID(const std::string& v) {
  if (v == FData->DataID()) return;
  FData->SetDataID(v);
  DataChanged();
}

void TReportListView::SetColName(int c, const std::string& Name) {
  if (!ValidCol(c)) return;
  FData->SetColName(c, Name);
  DataChanged();
}

void TReportListView::SetColumnFormat(int c, const std::string& Format) {
  if (!ValidCol(c)) return;
  FData->SetColumnFormat(c, Format);
  DataChanged();
}

void TReportListView::SetColCheckMode(int c, TCheckMode Mode) {
  if (!ValidCol(c)) return;
  FData->SetColCheckMode(c, Mode);
  DataChanged();
}

void TReportListView::SetElem(int c, int r, const std::string& Text) {
  if (c < 0 || c > NrOfColumns() || !ValidRow(r)) return;
  FData->SetElem(c, r, Text);
}

void TReportListView::SetElemChecked(int c, int r, bool State) {
  if (!ValidCol(c) || !ValidRow(r)) return;
  FData->SetElemChecked(c, r, State);
}

void TReportListView::SetAllCheckmarksOfCol(int c, bool State) {
  if (!ValidCol(c)) return;
  FData->SetAllCheckmarksOfCol(c, State);
}

void TReportListView::InvertAllCheckmarksOfCol(int c) {
  if (!ValidCol(c)) return;
  FData->InvertAllCheckmarksOfCol(c);
}

void TReportListView::Sort(int ColIx, int Col2Ix, bool Ascending) {
  FData->Sort(ColIx, Col2Ix, Ascending);
  Changed();
}

void TReportListView::UnSort() {
  FData->UnSort();
  Changed();
}

void TReportListView::RemoveRow(int r) {
  if (!ValidRow(r)) return;
  FData->RemoveRow(r);
  if (FAnchorRow > NrOfRows()) FAnchorRow = 0;
  Changed();
}

void TReportListView::RemoveEmptyRows() {
  FData->RemoveEmptyRows();
  if (FAnchorRow > NrOfRows()) FAnchorRow = 0;
  Changed();
}

void TReportListView::Fill(const std::string& Text) {
  FData->Fill(Text);
  Changed();
}

void TReportListView::Clear() {
  FData->Clear();
  std::fill(FColAlign.begin(), FColAlign.end(), taLeftJustify);
  std::fill(FColEditable.begin(), FColEditable.end(), false);
  std::fill(FColPwd.begin(), FColPwd.end(), false);
  FAnchorRow = 0;
  Changed();
}

void TReportListView::InsertRow(int r) {
  if (r < 1 || r > NrOfRows() + 1) return;
  FData->InsertRow(r);
  if (FAnchorRow >= r) ++FAnchorRow;
  Changed();
}

int TReportListView::AddRow() {
  int n = FData->AddRow();
  Changed();
  return n;
}

bool TReportListView::ReadFromOpenXMLFile(TextFile& F, const std::string& DataID) {
  return AfterRead([&] { return FData->ReadFromOpenXMLFile(F, DataID); });
}

bool TReportListView::LoadFromXMLFile(const std::string& FileName, const std::string& DataID) {
  return AfterRead([&] { return FData->LoadFromXMLFile(FileName, DataID); });
}

bool TReportListView::ReadFromXMLStream(TStream& Stream, const std::string& DataID) {
  return AfterRead([&] { return FData->ReadFromXMLStream(Stream, DataID); });
}

bool TReportListView::ReadFromXMLString(const std::string& Text, const std::string& DataID) {
  return AfterRead([&] { return FData->ReadFromXMLString(Text, DataID); });
}

bool TReportListView::LoadLinesFromFile(int FirstLine, int LastLine, const std::string& FileName) {
  return AfterRead([&] { return FData->LoadLinesFromFile(FirstLine, LastLine, FileName); });
}

void TReportListView::CopySelectedRowsToClipBoard() const {
  std::vector<int> rows = TargetRows();
  if (rows.empty()) return;
  TRLData tmp(nullptr);
  tmp.SetNrCols(NrOfColumns());
  tmp.SetNrRows(static_cast<int>(rows.size()));
  for (int c = 1; c <= NrOfColumns(); ++c) {
    tmp.SetColName(c, FData->GetColName(c));
    tmp.SetColCheckMode(c, FData->GetColCheckMode(c));
  }
  for (size_t i = 0; i < rows.size(); ++i)
    for (int c = 0; c <= NrOfColumns(); ++c)
      tmp.Cells().SetString(c, static_cast<int>(i) + 1, FData->Cells().GetString(c, rows[i]));
  tmp.CopyToClipBoard(1, 1, NrOfColumns(), static_cast<int>(rows.size()), true, true);
}

// ---------------------------------------------------------------- selection and row states
bool TReportListView::GetRowSelect(int r) const {
  return ValidRow(r) && (FData->Cells().GetRowAttrib(r) & RowSelectedBit) != 0;
}

bool TReportListView::GetRowEnabled(int r) const {
  return ValidRow(r) && (FData->Cells().GetRowAttrib(r) & RowDisabledBit) == 0;
}

bool TReportListView::GetColSelect(int c) const {
  return ValidCol(c) && (FData->Cells().GetColAttrib(c) & ColSelectedBit) != 0;
}

bool TReportListView::RowVisible(int r) const {
  return ValidRow(r) && (FData->Cells().GetRowAttrib(r) & RowHiddenBit) == 0;
}

void TReportListView::SetRowAttribBit(int r, uint8_t bit, bool v) {
  if (!ValidRow(r)) return;
  uint8_t a = FData->Cells().GetRowAttrib(r);
  uint8_t n = v ? static_cast<uint8_t>(a | bit) : static_cast<uint8_t>(a & ~bit);
  if (n == a) return;
  ++FMuteStore;
  FData->Cells().SetRowAttrib(r, n);
  --FMuteStore;
}

void TReportListView::SelectedChanged() {
  Invalidate();
  if (OnSelectedChange) OnSelectedChange(this);
}

void TReportListView::SetRowSelect(int r, bool v) {
  if (!ValidRow(r)) return;
  SetRowAttribBit(r, RowSelectedBit, v);
  SelectedChanged();
}

void TReportListView::SetRowEnabled(int r, bool v) {
  if (!ValidRow(r)) return;
  SetRowAttribBit(r, RowDisabledBit, !v);
  SelectedChanged();
}

void TReportListView::SetColSelect(int c, bool v) {
  if (!ValidCol(c)) return;
  uint8_t a = FData->Cells().GetColAttrib(c);
  uint8_t n = v ? static_cast<uint8_t>(a | ColSelectedBit) : static_cast<uint8_t>(a & ~ColSelectedBit);
  if (n != a) {
    ++FMuteStore;
    FData->Cells().SetColAttrib(c, n);
    --FMuteStore;
  }
  SelectedChanged();
}

void TReportListView::SetAllRowBits(uint8_t bit, bool v) {
  bool old = FSuppressPaint;
  FSuppressPaint = true;
  for (int r = 1; r <= NrOfRows(); ++r) SetRowAttribBit(r, bit, v);
  FSuppressPaint = old;
  SelectedChanged();
}

void TReportListView::SelectAllRows() { SetAllRowBits(RowSelectedBit, true); }
void TReportListView::DeselectAllRows() { SetAllRowBits(RowSelectedBit, false); }
void TReportListView::EnableAllRows() { SetAllRowBits(RowDisabledBit, false); }
void TReportListView::DisableAllRows() { SetAllRowBits(RowDisabledBit, true); }

void TReportListView::SelectAllColumns() {
  ++FMuteStore;
  for (int c = 1; c <= NrOfColumns(); ++c)
    FData->Cells().SetColAttrib(c, FData->Cells().GetColAttrib(c) | ColSelectedBit);
  --FMuteStore;
  SelectedChanged();
}

void TReportListView::DeselectAllColumns() {
  ++FMuteStore;
  for (int c = 1; c <= NrOfColumns(); ++c)
    FData->Cells().SetColAttrib(c, FData->Cells().GetColAttrib(c) & static_cast<uint8_t>(~ColSelectedBit));
  --FMuteStore;
  SelectedChanged();
}

int TReportListView::FirstSelectedRow() const {
  for (int r = 1; r <= NrOfRows(); ++r)
    if (GetRowSelect(r)) return r;
  return 0;
}

int TReportListView::FirstSelectedColumn() const {
  for (int c = 1; c <= NrOfColumns(); ++c)
    if (GetColSelect(c)) return c;
  return 0;
}

int TReportListView::CountRows(bool (TReportListView::*Test)(int) const) const {
  int n = 0;
  for (int r = 1; r <= NrOfRows(); ++r) n += (this->*Test)(r) ? 1 : 0;
  return n;
}

int TReportListView::NumSelectedRows() const { return CountRows(&TReportListView::GetRowSelect); }

int TReportListView::NumSelectedColumns() const {
  int n = 0;
  for (int c = 1; c <= NrOfColumns(); ++c) n += GetColSelect(c) ? 1 : 0;
  return n;
}

int TReportListView::NumEnabledRows() const { return CountRows(&TReportListView::GetRowEnabled); }

int TReportListView::NumVisibleRows() const { return CountRows(&TReportListView::RowVisible); }

// ---------------------------------------------------------------- per-column settings
TAlignment TReportListView::ColAlignment(int c) const { return ColSetting(FColAlign, c, taLeftJustify); }
void TReportListView::SetColAlignment(int c, TAlignment a) { SetColSetting(FColAlign, c, a); }
bool TReportListView::ColumnEditable(int c) const { return ColSetting(FColEditable, c, false); }
void TReportListView::SetColumnEditable(int c, bool v) { SetColSetting(FColEditable, c, v); }
bool TReportListView::ColumnIsPwd(int c) const { return ColSetting(FColPwd, c, false); }
void TReportListView::SetColumnIsPwd(int c, bool v) { SetColSetting(FColPwd, c, v); }

// ---------------------------------------------------------------- properties
void TReportListView::SetHeadLayout(bool& Field, bool v) {
  if (v == Field) return;
  Field = v;
  SyncLayout(true);
  SetupChanged();
}

void TReportListView::SetHeadLayout(int& Field, int v) {
  v = std::clamp(v, 8, 127);
  if (v == Field) return;
  Field = v;
  SyncLayout(true);
  SetupChanged();
}


void TReportListView::SetRowColPattern(int v) { SetSetup(FRowColPattern, std::max(0, v)); }

void TReportListView::SetSuppressPaint(bool v) {
  if (v == FSuppressPaint) return;
  FSuppressPaint = v;
  if (!v) Invalidate();
}

void TReportListView::SetDataReadOnly(bool v) {
  if (v == FDataReadOnly) return;
  FDataReadOnly = v;
  if (v && EditorMode()) CancelEditor();
  UpdateMenu();
  SetupChanged();
}

void TReportListView::EnabledChanged() {
  TCustomGrid::EnabledChanged();
  Invalidate();
}

// ---------------------------------------------------------------- geometry
void TReportListView::MouseCell(int X, int Y, int& Col, int& Row) const {
  int gc = -1, gr = -1;
  if (!MouseToCell(X, Y, gc, gr)) {
    Col = Row = 0;
    return;
  }
  Col = gc + 1;
  const int heads = CountHeadRows();
  if (gr < heads) {
    bool common = FCommonHeaderVisible && gr == 0;
    Row = common ? -2 : -1;
  } else {
    int r = DataRowOf(gr);
    Row = ValidRow(r) ? r : 0;
  }
}

void TReportListView::CenterScrollAndSelect(int r) {
  if (!ValidRow(r)) return;
  int gr = GridRowOf(r);
  SetTopRow(std::max(FixedRows(), gr - VisibleRowCount() / 2));
  FocusCell(std::max(Col(), FixedCols()), gr);
  SetTopRow(std::max(FixedRows(), gr - VisibleRowCount() / 2));
  bool old = FSuppressPaint;
  FSuppressPaint = true;
  for (int i = 1; i <= NrOfRows(); ++i) SetRowAttribBit(i, RowSelectedBit, i == r);
  FSuppressPaint = old;
  FAnchorRow = r;
  SelectedChanged();
}

void TReportListView::AutoColWidth(int Column, bool WithHeader, int Extra) {
  if (!ValidCol(Column)) return;
  TCanvas& cv = Canvas();
  cv.Font().Assign(Font());
  int w = 0;
  if (ColumnIsPwd(Column)) {
    w = cv.TextWidth("******");
    if (WithHeader) w = std::max(w, cv.TextWidth(GetColName(Column)));
  } else {
    w = DetermineMaxColWidth(cv, *FData, Column, WithHeader);
  }
  if (ColCheckMode(Column) != cmNone) w += kCheckBoxSpace;
  if (Column == SortColumn()) w += 12;
  TCustomGrid::SetColWidths(Column - 1, std::max(1, w + 6 + Extra));
}

void TReportListView::ExpandColWidth(int Column, int Width) {
  if (!ValidCol(Column)) return;
  if (ColWidths(Column - 1) < Width) TCustomGrid::SetColWidths(Column - 1, Width);
}

void TReportListView::SetColWidths(int Column, int Width) {
  if (!ValidCol(Column)) return;
  TCustomGrid::SetColWidths(Column - 1, Width);
}

int TReportListView::GetColWidths(int Column) const { return ValidCol(Column) ? ColWidths(Column - 1) : 0; }

// ---------------------------------------------------------------- drawing
void TReportListView::Paint() {
  if (FSuppressPaint) return;
  if (ColCount() != NrOfColumns() || RowCount() != CountHeadRows() + std::max(NrOfRows(), 1)) SyncLayout();
  TCustomGrid::Paint();
  TCanvas& cv = Canvas();
  cv.ResetClip();
  TRect in = Rect(0, 0, Width(), Height());
  if (BorderStyle() == bsSingle) InflateRect(in, -2, -2);
  const int heads = CountHeadRows();
  if (FCommonHeaderVisible) DrawCommonHeader(cv);
  // The empty list: the area below the head rows in the control colour, the message centred in it.
  if (NrOfRows() == 0) {
    int top = in.Top;
    for (int i = 0; i < heads; ++i) top += RowHeights(i) > 0 ? RowHeights(i) + GridLineWidth() : 0;
    TRect area = Rect(in.Left, std::min(top, in.Bottom), in.Right, in.Bottom);
    FillCol(cv, area, Color());
    if (!FEmptyMessage.empty()) {
      cv.SetClipRect(area);
      cv.Font().Assign(Font());
      cv.Font().SetColor(FColorEmptyMsg);
      cv.Brush().SetStyle(bsClear);
      TSize ext = cv.TextExtent(FEmptyMessage);
      cv.TextOut(area.Left + (area.Width() - ext.cx) / 2, area.Top + (area.Height() - ext.cy) / 2, FEmptyMessage);
      cv.Brush().SetStyle(bsSolid);
      cv.ResetClip();
    }
  }
  // The inter-row indicator: a line on the grid line above row n (n = NrOfRows + 1: below the last row).
  const int n = FInterRowIndi;
  if (n >= 1 && n <= NrOfRows() + 1 && GridRowOf(n) >= TopRow()) {
    int y = INT_MIN;
    if (n <= NrOfRows()) {
      TRect cr = CellRect(FixedCols(), GridRowOf(n));
      if (!cr.IsEmpty()) y = cr.Top - GridLineWidth();
    } else {
      TRect cr = CellRect(FixedCols(), GridRowOf(n - 1));
      if (!cr.IsEmpty()) y = cr.Bottom;
    }
    if (y == INT_MIN && RowHeights(GridRowOf(std::min(n, NrOfRows()))) == 0) y = INT_MIN;
    if (y != INT_MIN) {
      const int w = FInterRowIndicatorWidth;
      TRect line = Rect(in.Left, y - (w - 1) / 2, in.Right, y - (w - 1) / 2 + w);
      cv.SetClipRect(in);
      FillCol(cv, line, FInterRowIndicatorColor);
      cv.ResetClip();
    }
  }
}

void TReportListView::DrawCommonHeader(TCanvas& cv) {
  TRect cr0 = CellRect(0, 0);
  if (cr0.IsEmpty()) return;
  TRect in = Rect(0, 0, Width(), Height());
  if (BorderStyle() == bsSingle) InflateRect(in, -2, -2);
  // Across the whole width of the visible columns.
  int right = cr0.Right;
  for (int g = ColCount() - 1; g >= 0; --g) {
    TRect cr = CellRect(g, 0);
    if (!cr.IsEmpty()) {
      right = std::min(cr.Right, in.Right);
      break;
    }
  }
  TRect band = Rect(in.Left, cr0.Top, std::max(right, cr0.Right), cr0.Bottom);
  cv.SetClipRect(in);
  FillCol(cv, band, FColorCommonHd);
  FillCol(cv, Rect(band.Left, band.Top, band.Right, band.Top + 1), clBtnHighlight);
  FillCol(cv, Rect(band.Left, band.Top, band.Left + 1, band.Bottom), clBtnHighlight);
  cv.Font().Assign(Font());
  cv.Font().SetColor(FColorCommonHdText);
  cv.Brush().SetStyle(bsClear);
  std::vector<std::string> lines;
  const std::string& t = CommonHeader();
  size_t p = 0;
  while (true) {
    size_t q = t.find('\n', p);
    std::string ln = t.substr(p, q == std::string::npos ? std::string::npos : q - p);
    if (!ln.empty() && ln.back() == '\r') ln.pop_back();
    lines.push_back(ln);
    if (q == std::string::npos) break;
    p = q + 1;
  }
  int lh = cv.TextHeight("Xg");
  int y = band.Top + (band.Height() - lh * static_cast<int>(lines.size())) / 2;
  cv.SetClipRect(band);
  for (const std::string& ln : lines) {
    int w = cv.TextWidth(ln);
    int x = band.Left + 4;
    if (FCommonHeaderAlignment == taRightJustify) x = band.Right - 4 - w;
    else if (FCommonHeaderAlignment == taCenter) x = band.Left + (band.Width() - w) / 2;
    cv.TextOut(x, y, ln);
    y += lh;
  }
  cv.Brush().SetStyle(bsSolid);
  cv.ResetClip();
}

void TReportListView::DrawHeaderCell(TCanvas& cv, int c, const TRect& R) {
  FillCol(cv, Rect(R.Left + 1, R.Top + 1, R.Right, R.Bottom), FColorColumnHd);
  cv.Font().Assign(Font());
  cv.Font().SetColor(FColorColumnHdText);
  cv.Brush().SetStyle(bsClear);
  const bool sorted = c == SortColumn();
  int avail = R.Width() - 4 - (sorted ? 14 : 0);
  std::string text = FitText(cv, GetColName(c), std::max(0, avail));
  int w = cv.TextWidth(text), h = cv.TextHeight("Xg");
  int x = R.Left + 2;
  TAlignment a = ColAlignment(c);
  if (a == taRightJustify) x = R.Left + 2 + avail - w;
  else if (a == taCenter) x = R.Left + 2 + (avail - w) / 2;
  cv.TextOut(x, R.Top + (R.Height() - h) / 2, text);
  if (sorted) {
    // A triangle 8 pixels wide and 6 high pointing up (ascending) or down.
    int tx = R.Right - 12, ty = R.Top + (R.Height() - 6) / 2;
    cv.Pen().SetColor(FColorColumnHdText);
    cv.Pen().SetWidth(1);
    cv.Brush().SetStyle(bsSolid);
    cv.Brush().SetColor(FColorColumnHdText);
    if (SortOrder()) cv.Polygon({TPoint(tx, ty + 5), TPoint(tx + 7, ty + 5), TPoint(tx + 3, ty)});
    else cv.Polygon({TPoint(tx, ty), TPoint(tx + 7, ty), TPoint(tx + 3, ty + 5)});
  }
  cv.Brush().SetStyle(bsSolid);
}

void TReportListView::DrawDataCell(TCanvas& cv, int c, int r, const TRect& R) {
  std::string text = ColumnIsPwd(c) ? std::string("******") : GetElem(c, r);
  const uint8_t ra = FData->Cells().GetRowAttrib(r);
  const bool rowSel = (ra & RowSelectedBit) != 0, disabled = (ra & RowDisabledBit) != 0;
  const bool colSel = GetColSelect(c);
  TColor fcol = FColorText, brush = FColorBkgdNormal, pen = FColorText;
  if (FRowColPattern > 0) brush = ((r - 1) / FRowColPattern) % 2 == 0 ? FColorBkgdShaded : FColorBkgdNormal;
  TFontStyles style;
  if (Enabled()) {
    if (disabled) {
      brush = FColorDisabledBkgd;
      fcol = FColorDisabledText;
    } else {
      if (rowSel && colSel) {
        brush = FColorSelectedBoth;
        fcol = FColorSelectedBothText;
      } else if (colSel) {
        brush = FColorSelectedCol;
        fcol = FColorSelectedColText;
      } else if (rowSel) {
        brush = FColorSelectedRow;
        fcol = FColorSelectedRowText;
      }
      if ((FHighLightRow > 0 && r == FHighLightRow) || (FHighLightColumn > 0 && c == FHighLightColumn)) {
        brush = FColorHigh;
        fcol = FColorHighText;
        if (FHighLightBold) style.Include(fsBold);
      }
    }
  } else {
    brush = FColorDisabledBkgd;
    fcol = FColorDisabledText;
  }
  pen = fcol;
  if (OnBeforeRenderCell) OnBeforeRenderCell(this, c, r, pen, brush, fcol, style, text);
  FillCol(cv, R, brush);
  cv.Font().Assign(Font());
  cv.Font().SetColor(fcol);
  cv.Font().SetStyle(style);
  int left = R.Left;
  const bool check = ColCheckMode(c) != cmNone;
  if (check && (!text.empty() || FShowEmptyCheckBoxes)) {
    TColor boxCol = (disabled || !Enabled()) ? FColorDisabledText : pen;
    cv.Pen().SetColor(boxCol);
    cv.Pen().SetWidth(1);
    cv.Brush().SetStyle(bsClear);
    cv.Rectangle(R.Left + 4, R.Top + 4, R.Left + 15, R.Top + 15);
    if (GetElemChecked(c, r)) {
      // The tick: two strokes, each two pixels thick.
      for (int d = 0; d < 2; ++d) {
        cv.MoveTo(R.Left + 6, R.Top + 8 + d);
        cv.LineTo(R.Left + 8, R.Top + 10 + d);
        cv.LineTo(R.Left + 13, R.Top + 5 + d);
      }
    }
    left = R.Left + kCheckBoxSpace;
  } else if (check) {
    left = R.Left + kCheckBoxSpace;
  }
  cv.Brush().SetStyle(bsClear);
  int w = cv.TextWidth(text), h = cv.TextHeight("Xg");
  int x = left + 2;
  TAlignment a = ColAlignment(c);
  if (a == taRightJustify) x = R.Right - 2 - w;
  else if (a == taCenter) x = left + (R.Right - left - w) / 2;
  cv.TextOut(x, R.Top + (R.Height() - h) / 2, text);
  cv.Brush().SetStyle(bsSolid);
}

void TReportListView::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas& cv = Canvas();
  const int heads = CountHeadRows(), c = ACol + 1;
  if (ARow < heads) {
    if (FColumnHeadersVisible && ARow == heads - 1) DrawHeaderCell(cv, c, ARect);
    else FillCol(cv, ARect, FColorCommonHd);  // drawn over as one band in Paint
  } else {
    int r = DataRowOf(ARow);
    if (ValidRow(r) && ValidCol(c)) DrawDataCell(cv, c, r, ARect);
    else FillCol(cv, ARect, Color());
  }
  TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
}

// ---------------------------------------------------------------- editing in place
bool TReportListView::CanEditShow() const {
  if (FDataReadOnly || !(Options() & goEditing)) return false;
  const int c = Col() + 1, r = DataRowOf(Row());
  return Row() >= FixedRows() && Col() >= FixedCols() && ValidRow(r) && ColumnEditable(c) && GetRowEnabled(r);
}

std::string TReportListView::GetEditText(int ACol, int ARow) {
  const int c = ACol + 1, r = DataRowOf(ARow);
  std::string s = (ValidCol(c) && ValidRow(r)) ? GetElem(c, r) : std::string();
  if (OnGetEditText) OnGetEditText(this, c, r, s);
  return s;
}

void TReportListView::SetEditText(int ACol, int ARow, const std::string& Value) {
  const int c = ACol + 1, r = DataRowOf(ARow);
  if (FDataReadOnly || !ValidCol(c) || !ValidRow(r) || !GetRowEnabled(r)) return;
  FData->SetElem(c, r, Value);  // keeps the check character (a blank for an empty cell)
  std::string v = Value;
  if (OnSetEditText) OnSetEditText(this, c, r, v);
}

void TReportListView::PrepareEditor(TCustomEdit& Editor, int ACol, int) {
  Editor.SetPasswordChar(ColumnIsPwd(ACol + 1) ? '*' : '\0');
}

void TReportListView::EditorClosedByKey(uint16_t Key, TShiftState) {
  if (Key == VK_RETURN && FAutoAdvance) {
    uint16_t k = VK_DOWN;
    KeyDown(k, 0);
  }
  Invalidate();
}

// ---------------------------------------------------------------- keyboard
void TReportListView::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_RETURN && FAutoAdvance && !EditorMode()) Key = VK_DOWN;
  const uint16_t k = Key;
  TCustomGrid::KeyDown(Key, Shift);
  const bool nav = k == VK_PRIOR || k == VK_NEXT || k == VK_END || k == VK_HOME || k == VK_LEFT || k == VK_RIGHT ||
                   k == VK_UP || k == VK_DOWN;
  if (nav && FRowSelectMode != 0 && NrOfRows() > 0) {
    int r = DataRowOf(Row());
    bool old = FSuppressPaint;
    FSuppressPaint = true;
    for (int i = 1; i <= NrOfRows(); ++i) SetRowAttribBit(i, RowSelectedBit, i == r);
    FSuppressPaint = old;
    if (ValidRow(r)) FAnchorRow = r;
    SelectedChanged();
  }
}

// ---------------------------------------------------------------- mouse
bool TReportListView::NearColumnBorder(int X, int Y) const {
  int gc, gr;
  if (!MouseToCell(X, Y, gc, gr)) return false;
  TRect cr = CellRect(gc, gr);
  return X - cr.Left < kBorderGrip || cr.Right + GridLineWidth() - 1 - X < kBorderGrip;
}

void TReportListView::HeaderClick(int c) {
  if (!ValidCol(c)) return;
  FData->SetSortToggle(!FData->SortToggle());
  FData->Sort(c, FData->SortColumnSec(), FData->SortToggle());
  // The selection moves with its rows (attribute bytes); the cursor follows the first selected row.
  int sel = FirstSelectedRow();
  if (sel > 0) {
    FInLayout = true;
    FocusCell(std::max(Col(), FixedCols()), GridRowOf(sel));
    FInLayout = false;
  }
  Changed();
}

void TReportListView::CheckBoxClick(int c, int r) {
  const bool current = GetElemChecked(c, r);
  const bool radio = ColCheckMode(c) == cmRadio;
  if (radio && current) return;  // a radio button is not unchecked by a click
  bool State = !current;
  std::weak_ptr<int> life = LifeToken();
  if (OnBeforeCheckedChange) {
    TBeforeCheckStateChangeEvent h = OnBeforeCheckedChange;
    h(this, State, c, r);
    if (life.expired()) return;
  }
  if (!ValidCol(c) || !ValidRow(r)) return;  // the handler may have changed the list
  if (State == GetElemChecked(c, r)) return;  // vetoed (or nothing to change)
  FData->SetElemChecked(c, r, State);
  if (OnCheckedChange) {
    TCheckStateChangeEvent h = OnCheckedChange;
    h(this, GetElemChecked(c, r), c, r);
  }
}

void TReportListView::RowSelectClick(int r, TShiftState Shift) {
  if (FRowSelectMode == 0 || !ValidRow(r)) return;
  bool old = FSuppressPaint;
  FSuppressPaint = true;
  if (FRowSelectMode == 1) {
    for (int i = 1; i <= NrOfRows(); ++i) SetRowAttribBit(i, RowSelectedBit, i == r);
    FAnchorRow = r;
  } else if ((Shift & ssShift) && ValidRow(FAnchorRow)) {
    // Only the anchor row's selection bit is copied; the disabled and hidden bits stay with their rows.
    const bool sel = GetRowSelect(FAnchorRow);
    for (int i = std::min(FAnchorRow, r); i <= std::max(FAnchorRow, r); ++i) SetRowAttribBit(i, RowSelectedBit, sel);
  } else if ((Shift & ssCtrl) || !FUseCtrlForMultiSel) {
    SetRowAttribBit(r, RowSelectedBit, !GetRowSelect(r));
    FAnchorRow = r;
  } else {
    for (int i = 1; i <= NrOfRows(); ++i) SetRowAttribBit(i, RowSelectedBit, i == r);
    FAnchorRow = r;
  }
  FSuppressPaint = old;
  SelectedChanged();
}

void TReportListView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  std::weak_ptr<int> life = LifeToken();
  int gc = -1, gr = -1;
  const bool inCell = MouseToCell(X, Y, gc, gr);
  const int heads = CountHeadRows();
  if (Button == mbRight) {
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    if (life.expired()) return;
    if (!PopupMenu()) OpenContextMenu(X, Y);
    return;
  }
  if (Button != mbLeft || !inCell) {
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (gr < heads) {
    const bool colHeader = FColumnHeadersVisible && gr == heads - 1;
    if (colHeader && (Shift & ssDouble) && NearColumnBorder(X, Y)) {
      // Fit the column left of the border (skipping columns of width 0).
      TRect cr = CellRect(gc, gr);
      int g = X - cr.Left < kBorderGrip ? gc - 1 : gc;
      while (g >= 0 && ColWidths(g) == 0) --g;
      if (g >= 0) AutoColWidth(g + 1);
      return;
    }
    if (colHeader && FSortEnabled && !NearColumnBorder(X, Y) && !(Shift & ssDouble)) {
      if (EditorMode()) HideEditor();
      HeaderClick(gc + 1);
      return;
    }
    TCustomGrid::MouseDown(Button, Shift, X, Y);  // column sizing
    return;
  }
  const int c = gc + 1, r = DataRowOf(gr);
  if (!ValidRow(r) || !ValidCol(c)) {
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (EditorMode()) HideEditor();
  if (life.expired() || !ValidRow(r)) return;
  bool checkClick = false;
  if (ColCheckMode(c) != cmNone && !(Shift & ssDouble)) {
    TRect cr = CellRect(gc, gr);
    std::string stored = FData->Cells().GetString(c, r);
    if (X - cr.Left < kCheckBoxSpace && !FROCheckmarks && !FDataReadOnly && GetRowEnabled(r) &&
        (stored.size() > 1 || FShowEmptyCheckBoxes)) {
      checkClick = true;
      CheckBoxClick(c, r);
      if (life.expired()) return;
    }
  }
  if (ValidRow(r)) RowSelectClick(r, Shift);
  if (life.expired()) return;
  // Editing only in editable columns of enabled rows, and not by a check-box click.
  TGridOptions o = Options();
  bool edit = !checkClick && ValidRow(r) && ColumnEditable(c) && GetRowEnabled(r) && !FDataReadOnly;
  SetOptions(edit ? (o | goEditing) : (o & ~goEditing));
  // The attribute bytes hold the selection: the grid's own range selection is not extended.
  TCustomGrid::MouseDown(Button, Shift & ~ssShift, X, Y);
  if (life.expired()) return;
  Invalidate();
}

// ---------------------------------------------------------------- context menu
namespace {
enum MenuEntry {
  meCopy,
  meCopyAll,
  meSelectAll,
  meDeselectAll,
  meEditRow,
  meInsertRow,
  meAddRow,
  meDeleteRow,
  meRemoveEmpty,
  meCheckAll,
  meUncheckAll,
  meInvertChecks,
  meReadOnly,
  meCount
};
const char* const kMenuCaptions[meCount] = {"Copy",       "Copy All",        "Select All",    "Deselect All",
                                            "Edit Row...", "Insert Row",      "Add Row",       "Delete Row",
                                            "Remove Empty Rows", "Check All", "Uncheck All", "Invert Check Marks",
                                            "Data Read-Only"};
}  // namespace

int TReportListView::CursorRow() const {
  int r = DataRowOf(Row());
  return ValidRow(r) ? r : 0;
}

std::vector<int> TReportListView::TargetRows() const {
  std::vector<int> rows;
  for (int r = 1; r <= NrOfRows(); ++r)
    if (GetRowSelect(r)) rows.push_back(r);
  if (rows.empty() && CursorRow() > 0) rows.push_back(CursorRow());
  return rows;
}

void TReportListView::BuildMenu() {
  for (int i = 0; i < meCount; ++i) {
    TMenuItem* it = FMenu->AddItem(kMenuCaptions[i]);
    FItems.push_back(it);
  }
  auto checkCols = [this](int op) {
    if (FDataReadOnly) return;
    for (int c = 1; c <= NrOfColumns(); ++c) {
      if (ColCheckMode(c) != cmBox) continue;
      if (op == 2) FData->InvertAllCheckmarksOfCol(c);
      else FData->SetAllCheckmarksOfCol(c, op == 0);
    }
  };
  FItems[meCopy]->OnClick = [this](TObject*) { CopySelectedRowsToClipBoard(); };
  FItems[meCopyAll]->OnClick = [this](TObject*) {
    if (NrOfRows() > 0) CopyToClipBoard(1, 1, NrOfColumns(), NrOfRows(), true, true);
  };
  FItems[meSelectAll]->OnClick = [this](TObject*) {
    if (FRowSelectMode == 2) SelectAllRows();
  };
  FItems[meDeselectAll]->OnClick = [this](TObject*) { DeselectAllRows(); };
  FItems[meEditRow]->OnClick = [this](TObject*) {
    if (!FDataReadOnly && CursorRow() > 0) EditRowEntries(CursorRow());
  };
  FItems[meInsertRow]->OnClick = [this](TObject*) {
    if (!FDataReadOnly) InsertRow(std::max(1, CursorRow()));
  };
  FItems[meAddRow]->OnClick = [this](TObject*) {
    if (!FDataReadOnly) AddRow();
  };
  FItems[meDeleteRow]->OnClick = [this](TObject*) {
    if (FDataReadOnly) return;
    std::vector<int> rows = TargetRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) RemoveRow(*it);
  };
  FItems[meRemoveEmpty]->OnClick = [this](TObject*) {
    if (!FDataReadOnly) RemoveEmptyRows();
  };
  FItems[meCheckAll]->OnClick = [checkCols](TObject*) { checkCols(0); };
  FItems[meUncheckAll]->OnClick = [checkCols](TObject*) { checkCols(1); };
  FItems[meInvertChecks]->OnClick = [checkCols](TObject*) { checkCols(2); };
  FItems[meReadOnly]->OnClick = [this](TObject*) { SetDataReadOnly(!FDataReadOnly); };
  UpdateMenu();
}

void TReportListView::UpdateMenu() {
  if (FItems.size() != meCount) return;
  const bool any = NrOfRows() > 0;
  bool anyBox = false;
  for (int c = 1; c <= NrOfColumns(); ++c) anyBox = anyBox || ColCheckMode(c) == cmBox;
  FItems[meCopy]->SetEnabled(any);
  FItems[meCopyAll]->SetEnabled(any);
  FItems[meSelectAll]->SetEnabled(any && FRowSelectMode == 2);
  FItems[meDeselectAll]->SetEnabled(any && FRowSelectMode != 0);
  const bool rw = !FDataReadOnly;
  FItems[meEditRow]->SetEnabled(rw && CursorRow() > 0 && GetRowEnabled(CursorRow()));
  FItems[meInsertRow]->SetEnabled(rw);
  FItems[meAddRow]->SetEnabled(rw);
  FItems[meDeleteRow]->SetEnabled(rw && any);
  FItems[meRemoveEmpty]->SetEnabled(rw && any);
  FItems[meCheckAll]->SetEnabled(rw && anyBox && any);
  FItems[meUncheckAll]->SetEnabled(rw && anyBox && any);
  FItems[meInvertChecks]->SetEnabled(rw && anyBox && any);
  FItems[meReadOnly]->SetChecked(FDataReadOnly);
}

void TReportListView::OpenContextMenu(int X, int Y) {
  if (FBlockInternalPopup || PopupMenu()) return;
  int c = 0, r = 0;
  MouseCell(X, Y, c, r);
  if (r > 0) {
    // A right click on a row that is not selected moves the cursor there.
    if (!GetRowSelect(r)) FocusCell(std::max(c - 1, FixedCols()), GridRowOf(r));
  }
  UpdateMenu();
  TPoint p = ClientToScreen(TPoint(X, Y));
  FMenu->Popup(p.X, p.Y);
}

// ---------------------------------------------------------------- row editor
bool TReportListView::EditRowEntries(int r, TForm* Form, int Left, int Top, const std::string& Caption,
                                     const std::string& OKCaption, const std::string& CancelCaption) {
  if (!ValidRow(r) || FDataReadOnly || FEditorForm) return false;
  if (EditorMode()) HideEditor();
  std::unique_ptr<TForm> own;
  TForm* form = Form;
  if (!form) {
    own = std::make_unique<TForm>(nullptr);
    form = own.get();
  }
  const int nc = NrOfColumns();
  struct Field {
    int Col = 0;
    TColFormatInfo Fmt;
    std::string FmtText;
    TControl* Ctrl = nullptr;
    TLabel* Label = nullptr;
    std::string Shown;  // the text the field started with
    bool CellEmpty = false;
  };
  std::vector<Field> fields(static_cast<size_t>(nc));
  std::vector<TComponent*> made;  // freed afterwards, also when the form is the caller's
  // The label column: the widest name plus 8 pixels.
  TCanvas& cv = Canvas();
  cv.Font().Assign(form->Font());
  int labelW = 0, fieldW = 0;
  for (int c = 1; c <= nc; ++c) labelW = std::max(labelW, cv.TextWidth(GetColName(c) + ":"));
  labelW += 8;
  std::weak_ptr<int> life = LifeToken();
  for (int c = 1; c <= nc; ++c) {
    Field& f = fields[static_cast<size_t>(c - 1)];
    f.Col = c;
    std::string fmt = GetColumnFormat(c);
    if (OnRequestEditFormat) {
      OnRequestEditFormat(this, c, r, fmt);
      if (life.expired()) return false;
    }
    f.FmtText = fmt;
    f.Fmt = ParseColFormat(fmt);
    fieldW = std::max(fieldW, f.Fmt.Width);
  }
  if (!ValidRow(r) || NrOfColumns() != nc) return false;  // a handler changed the list
  // The form: one line per column, 25 pixels apart; OK and Cancel (81 x 29) at the top right.
  const int y0 = 8, step = 25, btnW = 81, btnH = 29;
  const int fieldX = labelW + 8;
  const int clientW = fieldX + fieldW + 16 + btnW + 8;
  const int clientH = std::max(step * nc + 38, 8 + 2 * btnH + 6 + 8);
  if (!Form) {
    form->SetCaption(Caption.empty() ? "Edit Row " + std::to_string(r) : Caption);
  } else if (!Caption.empty()) {
    form->SetCaption(Caption);
  }
  int fl = Left, ft = Top;
  if (fl < 0 || ft < 0) {
    TRect wa = Screen()->WorkAreaRect();
    if (fl < 0) fl = std::max(0, (wa.Width() - clientW) / 2);
    if (ft < 0) ft = std::max(0, (wa.Height() - clientH) / 2);
  }
  form->SetBounds(fl, ft, clientW, clientH);
  TWinControl* first = nullptr;
  for (int c = 1; c <= nc; ++c) {
    Field& f = fields[static_cast<size_t>(c - 1)];
    const int y = y0 + (c - 1) * step;
    const std::string value = GetElem(c, r);
    f.CellEmpty = value.empty();
    std::string shown = value;
    if (f.CellEmpty) {
      // The default value of the format in force (the application may have replaced it).
      TRLData tmp(nullptr);
      tmp.SetColumnFormat(1, f.FmtText);
      shown = tmp.GetCellDefaultValue(1, r);
    }
    auto* lab = new TLabel(form);
    made.push_back(lab);
    lab->SetParent(form);
    lab->SetAutoSize(false);
    lab->SetAlignment(taRightJustify);
    lab->SetBounds(0, y + 3, labelW, 17);
    lab->SetCaption(GetColName(c) + ":");
    f.Label = lab;
    TWinControl* ctrl = nullptr;
    switch (f.Fmt.Type) {
      case 'c':
      case 'l': {
        auto* cb = new TComboBox(form);
        made.push_back(cb);
        cb->SetParent(form);
        cb->SetStyle(f.Fmt.Type == 'l' ? csDropDownList : csDropDown);
        for (const std::string& ch : SplitChoices(f.Fmt.Rest)) cb->Items().Add(ch);
        if (f.Fmt.DropLines > 0) cb->SetDropDownCount(f.Fmt.DropLines);
        if (f.Fmt.Type == 'l') cb->SetItemIndex(cb->Items().IndexOf(shown));
        else cb->SetText(shown);
        f.Shown = cb->Text();
        ctrl = cb;
        break;
      }
      case 'd': {
        auto* dp = new TDateTimePicker(form);
        made.push_back(dp);
        dp->SetParent(form);
        dp->SetFormat(f.Fmt.DatePattern);
        TDateTime v = 0;
        if (ParseDateWithPattern(dp->EffectivePattern(), shown, v)) dp->SetDateTime(v);
        else dp->SetDateTime(Date());
        f.Shown = dp->Text();
        ctrl = dp;
        break;
      }
      case 'e':
      case 'f':
      case 'h':
      case 'i': {
        auto* ni = new TNumIO(form);
        made.push_back(ni);
        ni->SetParent(form);
        ni->SetRangeLow(-1.7e308);
        ni->SetRangeHigh(1.7e308);
        ni->SetBeep(false);
        ni->SetInputFormat(f.Fmt.Type == 'e'   ? itDynamic
                           : f.Fmt.Type == 'f' ? itFloat
                           : f.Fmt.Type == 'h' ? itHex
                                               : itInt);
        ni->SetText(shown);
        f.Shown = ni->Text();
        ctrl = ni;
        break;
      }
      default: {
        auto* ed = new TEdit(form);
        made.push_back(ed);
        ed->SetParent(form);
        if (ColumnIsPwd(c)) ed->SetPasswordChar('*');
        ed->SetText(shown);
        f.Shown = ed->Text();
        ctrl = ed;
        break;
      }
    }
    ctrl->SetBounds(fieldX, y, f.Fmt.Width, 21);
    if (f.Fmt.ReadOnly) {
      ctrl->SetEnabled(false);
      ctrl->SetColor(clBtnFace);
      ctrl->Font().SetColor(clGray);
    } else if (!first) {
      first = ctrl;
    }
    f.Ctrl = ctrl;
    // An empty cell takes its default on OK even when the field is left as it is.
    if (f.CellEmpty) f.Shown = std::string("\x01") + f.Shown;
  }
  auto* ok = new TButton(form);
  made.push_back(ok);
  ok->SetParent(form);
  ok->SetBounds(clientW - 8 - btnW, 8, btnW, btnH);
  ok->SetCaption(OKCaption.empty() ? "OK" : OKCaption);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = new TButton(form);
  made.push_back(cancel);
  cancel->SetParent(form);
  cancel->SetBounds(clientW - 8 - btnW, 8 + btnH + 6, btnW, btnH);
  cancel->SetCaption(CancelCaption.empty() ? "Cancel" : CancelCaption);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  form->SetActiveControl(first ? first : ok);
  form->SetModalResult(mrNone);

  FEditorForm = form;
  TModalResult res = form->ShowModal();
  if (life.expired()) return false;
  FEditorForm = nullptr;
  bool confirmed = res == mrOk;
  if (confirmed && ValidRow(r) && NrOfColumns() == nc) {
    for (Field& f : fields) {
      std::string text;
      bool have = true;
      if (auto* cb = dynamic_cast<TComboBox*>(f.Ctrl)) {
        if (f.Fmt.Type == 'l' && cb->ItemIndex() < 0) have = false;  // no choice made: the cell stays
        text = cb->Text();
      } else if (auto* dp = dynamic_cast<TDateTimePicker*>(f.Ctrl)) {
        text = FormatDatePattern(dp->EffectivePattern(), dp->DateTime());
      } else if (auto* ni = dynamic_cast<TNumIO*>(f.Ctrl)) {
        ni->Commit();
        text = ni->Text();
      } else if (auto* ed = dynamic_cast<TCustomEdit*>(f.Ctrl)) {
        text = ed->Text();
      }
      // A field left as it was leaves its cell alone (a cell that is no
      // number or date is not rewritten); an empty cell takes its default.
      bool empty = !f.Shown.empty() && f.Shown[0] == '\x01';
      std::string shown = empty ? f.Shown.substr(1) : f.Shown;
      if (have && (empty || text != shown)) FData->SetElem(f.Col, r, text);
    }
  }
  // The generated controls go; a form of the caller stays.
  for (auto it = made.rbegin(); it != made.rend(); ++it) delete *it;
  if (form->Visible()) form->Hide();
  own.reset();
  Invalidate();
  return confirmed;
}

// ---------------------------------------------------------------- filtering
void TReportListView::ResetFilter() {
  ++FMuteStore;
  for (int r = 1; r <= NrOfRows(); ++r) SetRowAttribBit(r, RowHiddenBit, false);
  --FMuteStore;
  SyncLayout(true);
  FFiltered = false;
  SetupChanged();
}

int TReportListView::FilterAndSort(const std::string& Filter, const std::vector<int>& Columns, int SortCol,
                                   TFilterMode Mode, bool MatchCase, bool Ascending) {
  std::vector<int> cols;
  for (int c : Columns)
    if (ValidCol(c)) cols.push_back(c);
  if (Columns.empty())
    for (int c = 1; c <= NrOfColumns(); ++c) cols.push_back(c);
  const std::string needle = MatchCase ? Filter : FoldAscii(Filter);
  auto cellHas = [&](int r, const std::string& term) {
    for (int c : cols) {
      std::string t = GetElem(c, r);
      if (!MatchCase) t = FoldAscii(t);
      if (t.find(term) != std::string::npos) return true;
    }
    return false;
  };
  std::function<bool(int)> internal;
  bool bad = false;
  std::unique_ptr<TBoolNode> tree;
  std::unique_ptr<TGrep> grep;
  if (Filter.empty()) {
    internal = [](int) { return true; };
  } else if (Mode == fmSimple) {
    internal = [&](int r) { return cellHas(r, needle); };
  } else if (Mode == fmBoolean) {
    tree = TBoolParser(Filter).Parse();
    if (!tree) bad = true;
    internal = [&](int r) {
      return EvalBool(*tree, [&](const std::string& term) { return cellHas(r, MatchCase ? term : FoldAscii(term)); });
    };
  } else {
    grep = std::make_unique<TGrep>(nullptr);
    grep->SetStopOnError(false);
    grep->SetIgnoreCase(!MatchCase);
    if (grep->CompileRegExp(Filter) != 0) bad = true;
    internal = [&](int r) {
      for (int c : cols) {
        int pos = 0;
        if (grep->MatchString(GetElem(c, r), pos)) return true;
      }
      return false;
    };
  }
  int shown = 0;
  ++FMuteStore;
  for (int r = 1; r <= NrOfRows(); ++r) {
    bool keep = bad ? true : internal(r);
    if (OnBeforeFilter && !bad) {
      bool found = true;
      TLogicOp op = loAND;
      OnBeforeFilter(this, r, found, op);
      keep = ApplyLogicOp(keep, op, found);
    }
    SetRowAttribBit(r, RowHiddenBit, !keep);
    shown += keep ? 1 : 0;
  }
  --FMuteStore;
  if (SortCol >= 1 && SortCol <= NrOfColumns()) FData->Sort(SortCol, FData->SortColumnSec(), Ascending);
  HookData();
  SyncLayout(true);
  FFiltered = shown < NrOfRows();
  DataChanged();
  if (OnChangeSetup) OnChangeSetup(this);
  return bad ? -1 : shown;
}

}  // namespace zol
