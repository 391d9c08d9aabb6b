#include "gui/Zol_replist.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "base/Zol_filesys.h"
#include "base/Zol_htmlsupport.h"
#include "base/Zol_streams.h"
#include "base/Zol_stringl.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_sysutils.h"

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
    switch (ix) {
      case xmlNumCols:
      case xmlNumRows: {
        int v = 0;
        if (!ToInt(content, v) || v < (ix == xmlNumCols ? 1 : 0)) return false;
        (ix == xmlNumCols ? numCols : numRows) = v;
        break;
      }
      case xmlColName:
      case xmlColumnFormat:
        if (!ToInt(ScanForXMLAttrib(attrs, "col"), col)) return false;
        (ix == xmlColName ? names : formats).emplace_back(col, RecordXmlUnescape(content));
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
