// Explorer entry: the report list view.
#include <string>

#include "apps/explorer/Explorer.h"
#include "gui/Zol_replist.h"

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
  auto& p = dm.Properties;
  using explorer::BoolProperty;
  using explorer::IntProperty;
  p.push_back(IntProperty("NrOfRows", [v] { return v->NrOfRows(); }, [v](int n) { v->SetNrRows(n); }));
  p.push_back(BoolProperty("CommonHeaderVisible", [v] { return v->CommonHeaderVisible(); },
                           [v](bool b) { v->SetCommonHeaderVisible(b); }));
  p.push_back({"CommonHeader", [v] { return v->CommonHeader(); }, [v](const std::string& s) { v->SetCommonHeader(s); }});
  p.push_back(BoolProperty("ColumnHeadersVisible", [v] { return v->ColumnHeadersVisible(); },
                           [v](bool b) { v->SetColumnHeadersVisible(b); }));
  p.push_back(IntProperty("RowColPattern", [v] { return v->RowColPattern(); }, [v](int n) { v->SetRowColPattern(n); }));
  p.push_back(IntProperty("RowSelectMode", [v] { return v->RowSelectMode(); }, [v](int n) { v->SetRowSelectMode(n); }));
  p.push_back(IntProperty("HighLightRow", [v] { return v->HighLightRow(); }, [v](int n) { v->SetHighLightRow(n); }));
  p.push_back(IntProperty("InterRowIndi", [v] { return v->InterRowIndi(); }, [v](int n) { v->SetInterRowIndi(n); }));
  p.push_back(BoolProperty("ShowEmptyCheckBoxes", [v] { return v->ShowEmptyCheckBoxes(); },
                           [v](bool b) { v->SetShowEmptyCheckBoxes(b); }));
  p.push_back(BoolProperty("DataReadOnly", [v] { return v->DataReadOnly(); }, [v](bool b) { v->SetDataReadOnly(b); }));
  p.push_back({"EmptyMessage", [v] { return v->EmptyMessage(); }, [v](const std::string& s) { v->SetEmptyMessage(s); }});
  return dm;
}
