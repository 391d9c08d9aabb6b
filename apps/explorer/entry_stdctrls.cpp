// Explorer entries: a few of the platform's standard controls and the grid.
#include <string>

#include "apps/explorer/Explorer.h"
#include "base/platform/Zol_grids.h"
#include "base/platform/Zol_stdctrls.h"

using explorer::BoolText;
using explorer::TextBool;
using explorer::TextInt;

ZOL_EXPLORER_ENTRY("Platform", "TEdit") {
  auto* e = new zol::TEdit(&Parent);
  e->SetParent(&Parent);
  e->SetBounds(8, 8, 200, 21);
  e->SetText("Edit me");
  explorer::Demo d{e, {}};
  d.Properties.push_back({"Text", [e] { return e->Text(); }, [e](const std::string& v) { e->SetText(v); }});
  d.Properties.push_back({"MaxLength", [e] { return std::to_string(e->MaxLength()); },
                          [e](const std::string& v) { e->SetMaxLength(TextInt(v, 0)); }});
  d.Properties.push_back({"ReadOnly", [e] { return BoolText(e->ReadOnly()); },
                          [e](const std::string& v) { e->SetReadOnly(TextBool(v)); }});
  d.Properties.push_back({"PasswordChar", [e] { return std::string(e->PasswordChar() ? 1 : 0, e->PasswordChar()); },
                          [e](const std::string& v) { e->SetPasswordChar(v.empty() ? 0 : v[0]); }});
  return d;
}

ZOL_EXPLORER_ENTRY("Platform", "TButton") {
  auto* b = new zol::TButton(&Parent);
  b->SetParent(&Parent);
  b->SetBounds(8, 8, 81, 29);
  b->SetCaption("OK");
  b->SetDefault(true);
  explorer::Demo d{b, {}};
  d.Properties.push_back({"Caption", [b] { return b->Caption(); }, [b](const std::string& v) { b->SetCaption(v); }});
  d.Properties.push_back({"Default", [b] { return BoolText(b->Default()); },
                          [b](const std::string& v) { b->SetDefault(TextBool(v)); }});
  d.Properties.push_back({"Enabled", [b] { return BoolText(b->Enabled()); },
                          [b](const std::string& v) { b->SetEnabled(TextBool(v)); }});
  return d;
}

ZOL_EXPLORER_ENTRY("Platform", "TListBox") {
  auto* l = new zol::TListBox(&Parent);
  l->SetParent(&Parent);
  l->SetBounds(8, 8, 160, 120);
  for (int i = 1; i <= 20; ++i) l->Items().Add("Item " + std::to_string(i));
  l->SetItemIndex(0);
  explorer::Demo d{l, {}};
  d.Properties.push_back({"ItemIndex", [l] { return std::to_string(l->ItemIndex()); },
                          [l](const std::string& v) { l->SetItemIndex(TextInt(v, -1)); }});
  d.Properties.push_back({"MultiSelect", [l] { return BoolText(l->MultiSelect()); },
                          [l](const std::string& v) { l->SetMultiSelect(TextBool(v)); }});
  return d;
}

ZOL_EXPLORER_ENTRY("Platform", "TComboBox") {
  auto* c = new zol::TComboBox(&Parent);
  c->SetParent(&Parent);
  c->SetBounds(8, 8, 160, 21);
  for (const char* s : {"Linear", "Logarithmic", "Reciprocal"}) c->Items().Add(s);
  c->SetItemIndex(0);
  explorer::Demo d{c, {}};
  d.Properties.push_back({"Style", [c] { return std::to_string(static_cast<int>(c->Style())); },
                          [c](const std::string& v) { c->SetStyle(static_cast<zol::TComboBoxStyle>(TextInt(v, 0) == 1)); }});
  d.Properties.push_back({"ItemIndex", [c] { return std::to_string(c->ItemIndex()); },
                          [c](const std::string& v) { c->SetItemIndex(TextInt(v, -1)); }});
  return d;
}

ZOL_EXPLORER_ENTRY("Platform", "TPanel") {
  auto* p = new zol::TPanel(&Parent);
  p->SetParent(&Parent);
  p->SetBounds(8, 8, 200, 80);
  p->SetCaption("Panel");
  p->SetBevelInner(zol::bvLowered);
  p->SetBorderWidth(2);
  explorer::Demo d{p, {}};
  d.Properties.push_back({"Caption", [p] { return p->Caption(); }, [p](const std::string& v) { p->SetCaption(v); }});
  d.Properties.push_back({"BevelWidth", [p] { return std::to_string(p->BevelWidth()); },
                          [p](const std::string& v) { p->SetBevelWidth(TextInt(v, 1)); }});
  d.Properties.push_back({"BorderWidth", [p] { return std::to_string(p->BorderWidth()); },
                          [p](const std::string& v) { p->SetBorderWidth(TextInt(v, 0)); }});
  return d;
}

ZOL_EXPLORER_ENTRY("Platform", "TStringGrid") {
  auto* g = new zol::TStringGrid(&Parent);
  g->SetParent(&Parent);
  g->SetBounds(8, 8, 420, 220);
  g->SetColCount(8);
  g->SetRowCount(20);
  g->SetOptions(g->Options() | zol::goEditing | zol::goColSizing | zol::goTabs);
  for (int c = 1; c < 8; ++c) g->SetCells(c, 0, std::string(1, static_cast<char>('A' + c - 1)));
  for (int r = 1; r < 20; ++r) {
    g->SetCells(0, r, std::to_string(r));
    for (int c = 1; c < 8; ++c) g->SetCells(c, r, std::to_string(r * c));
  }
  explorer::Demo d{g, {}};
  d.Properties.push_back({"ColCount", [g] { return std::to_string(g->ColCount()); },
                          [g](const std::string& v) { g->SetColCount(TextInt(v, 5)); }});
  d.Properties.push_back({"RowCount", [g] { return std::to_string(g->RowCount()); },
                          [g](const std::string& v) { g->SetRowCount(TextInt(v, 5)); }});
  d.Properties.push_back({"DefaultColWidth", [g] { return std::to_string(g->DefaultColWidth()); },
                          [g](const std::string& v) { g->SetDefaultColWidth(TextInt(v, 64)); }});
  d.Properties.push_back({"TopRow", [g] { return std::to_string(g->TopRow()); },
                          [g](const std::string& v) { g->SetTopRow(TextInt(v, 1)); }});
  return d;
}
