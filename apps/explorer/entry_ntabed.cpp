// Explorer entry: the numeric table editor.
#include <string>

#include "apps/explorer/Explorer.h"
#include "gui/Zol_ntabed.h"

using explorer::BoolText;
using explorer::TextBool;
using explorer::TextInt;

ZOL_EXPLORER_ENTRY("GUI controls", "TNTabEd") {
  auto* t = new zol::TNTabEd(&Parent);
  t->SetParent(&Parent);
  t->SetBounds(0, 0, 480, 260);
  t->Redimension(5, 10);
  zol::TDataTable* d = t->Data();
  d->SetMScaleType(5, zol::stOrdinal);
  d->SetNominalID(5, 1, "low");
  d->SetNominalID(5, 2, "mid");
  d->SetNominalID(5, 3, "high");
  for (int r = 1; r <= 10; ++r)
    for (int c = 1; c <= 4; ++c) t->SetElem(c, r, c * 1.25 + r * r * 0.5);
  for (int r = 1; r <= 10; ++r) t->SetElem(5, r, 1 + r % 3);
  t->SetElemMarkedA(1, 3, true);
  t->SetElemMarkedB(2, 4, true);
  t->SetElemMarkedA(3, 5, true);
  t->SetElemMarkedB(3, 5, true);
  t->SetIsEmpty(4, 2, true);
  t->SetCellState(4, 6, zol::csInvalid);
  explorer::Demo dm{t, {}};
  dm.Properties.push_back({"NrOfColumns", [t] { return std::to_string(t->NrOfColumns()); },
                           [t](const std::string& v) { t->SetNrCols(TextInt(v, t->NrOfColumns())); }});
  dm.Properties.push_back({"NrOfRows", [t] { return std::to_string(t->NrOfRows()); },
                           [t](const std::string& v) { t->SetNrRows(TextInt(v, t->NrOfRows())); }});
  dm.Properties.push_back({"AttribRowVisible", [t] { return BoolText(t->AttribRowVisible()); },
                           [t](const std::string& v) { t->SetAttribRowVisible(TextBool(v)); }});
  dm.Properties.push_back({"AttribColVisible", [t] { return BoolText(t->AttribColVisible()); },
                           [t](const std::string& v) { t->SetAttribColVisible(TextBool(v)); }});
  dm.Properties.push_back({"NumWidth", [t] { return std::to_string(t->NumWidth()); },
                           [t](const std::string& v) { t->SetNumWidth(TextInt(v, t->NumWidth())); }});
  dm.Properties.push_back({"DataReadOnly", [t] { return BoolText(t->DataReadOnly()); },
                           [t](const std::string& v) { t->SetDataReadOnly(TextBool(v)); }});
  dm.Properties.push_back({"BoldMarks", [t] { return BoolText(t->BoldMarks()); },
                           [t](const std::string& v) { t->SetBoldMarks(TextBool(v)); }});
  dm.Properties.push_back({"Comment", [t] { return t->Comment(); },
                           [t](const std::string& v) { t->SetComment(v); }});
  return dm;
}
