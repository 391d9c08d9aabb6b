// Explorer entry: the report list view.
#include <string>

#include "apps/explorer/Explorer.h"
#include "gui/Zol_replist.h"

namespace {

std::string BoolText(bool b) { return b ? "true" : "false"; }
bool TextBool(const std::string& s) { return s == "true" || s == "1" || s == "yes"; }
int TextInt(const std::string& s, int fallback) {
  try {
    return std::stoi(s);
  } catch (...) {
    return fallback;
  }
}

}  // namespace

ZOL_EXPLORER_ENTRY("GUI controls", "TReportListView") {
  auto* v = new zol::TReportListView(&Parent);
  v->SetParent(&Parent);
  v->SetBounds(0, 0, 480, 260);
  v->SetNrCols(4);
  v->SetNrRows(10);
  const char* names[4] = {"Done", "Task", "Owner", "Hours"};
  for (int c = 1; c <= 4; ++c) v->SetColName(c, names[c - 1]);
  v->SetColCheckMode(1, zol::cmBox);
  v->SetColumnFormat(3, "[l]Ann|Ben|Cleo");
  v->SetColumnFormat(4, "[f][80]rix1");
  v->SetColAlignment(4, zol::taRightJustify);
  v->SetColumnEditable(2, true);
  const char* owners[3] = {"Ann", "Ben", "Cleo"};
  for (int r = 1; r <= 10; ++r) {
    v->SetElem(1, r, "");
    v->SetElem(2, r, "Task " + std::to_string(r));
    v->SetElem(3, r, owners[r % 3]);
    v->SetElem(4, r, std::to_string(r * 3 % 7) + ".5");
  }
  v->SetElemChecked(1, 2, true);
  v->SetElemChecked(1, 5, true);
  v->SetRowSelect(3, true);
  v->SetEmptyMessage("(no tasks)");
  explorer::Demo dm{v, {}};
  dm.Properties.push_back({"NrOfRows", [v] { return std::to_string(v->NrOfRows()); },
                           [v](const std::string& s) { v->SetNrRows(TextInt(s, v->NrOfRows())); }});
  dm.Properties.push_back({"CommonHeaderVisible", [v] { return BoolText(v->CommonHeaderVisible()); },
                           [v](const std::string& s) { v->SetCommonHeaderVisible(TextBool(s)); }});
  dm.Properties.push_back({"CommonHeader", [v] { return v->CommonHeader(); },
                           [v](const std::string& s) { v->SetCommonHeader(s); }});
  dm.Properties.push_back({"ColumnHeadersVisible", [v] { return BoolText(v->ColumnHeadersVisible()); },
                           [v](const std::string& s) { v->SetColumnHeadersVisible(TextBool(s)); }});
  dm.Properties.push_back({"RowColPattern", [v] { return std::to_string(v->RowColPattern()); },
                           [v](const std::string& s) { v->SetRowColPattern(TextInt(s, v->RowColPattern())); }});
  dm.Properties.push_back({"RowSelectMode", [v] { return std::to_string(v->RowSelectMode()); },
                           [v](const std::string& s) { v->SetRowSelectMode(TextInt(s, v->RowSelectMode())); }});
  dm.Properties.push_back({"HighLightRow", [v] { return std::to_string(v->HighLightRow()); },
                           [v](const std::string& s) { v->SetHighLightRow(TextInt(s, v->HighLightRow())); }});
  dm.Properties.push_back({"InterRowIndi", [v] { return std::to_string(v->InterRowIndi()); },
                           [v](const std::string& s) { v->SetInterRowIndi(TextInt(s, v->InterRowIndi())); }});
  dm.Properties.push_back({"ShowEmptyCheckBoxes", [v] { return BoolText(v->ShowEmptyCheckBoxes()); },
                           [v](const std::string& s) { v->SetShowEmptyCheckBoxes(TextBool(s)); }});
  dm.Properties.push_back({"DataReadOnly", [v] { return BoolText(v->DataReadOnly()); },
                           [v](const std::string& s) { v->SetDataReadOnly(TextBool(s)); }});
  dm.Properties.push_back({"EmptyMessage", [v] { return v->EmptyMessage(); },
                           [v](const std::string& s) { v->SetEmptyMessage(s); }});
  return dm;
}
