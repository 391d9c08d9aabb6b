// The explorer: an interactive program that lists every visual component of
// the suite and shows the selected one live, with a panel of its main
// properties.
//
// An entry is registered with ZOL_EXPLORER_ENTRY in its own source file
// (entry_<topic>.cpp).  Its body builds the component inside Parent (owner
// and parent both Parent, placed at the top-left of Parent's client area at
// the size it likes) and answers the control with the properties the panel
// offers:
//
//   ZOL_EXPLORER_ENTRY("Charts", "TRChart") {
//     auto* c = new zol::TRChart(&Parent);   // owned by Parent
//     c->SetParent(&Parent);
//     c->SetBounds(0, 0, 600, 400);
//     explorer::Demo d{c, {}};
//     d.Properties.push_back({"Caption", [c] { return c->Caption(); },
//                             [c](const std::string& v) { c->SetCaption(v); }});
//     return d;
//   }
//
// The explorer frees the control when another entry is chosen.  Without a
// window host the same entries render headless (explorer --shot), which is
// how the window tests compare a real window with the canvas picture.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/platform/Zol_controls.h"

namespace explorer {

// One property of the panel: its current value as text, and a setter taking
// text (empty Set: read-only).
struct Property {
  std::string Name;
  std::function<std::string()> Get;
  std::function<void(const std::string&)> Set;
};

// Properties of two common kinds: a flag shown as "true"/"false" (set by
// "true", "1" or "yes"), and an integer (a text that is no number leaves it).
// Property texts: "true"/"false" for flags ("1" and "yes" read as true too);
// an integer text that cannot be read gives the fallback.
inline std::string BoolText(bool b) { return b ? "true" : "false"; }
inline bool TextBool(const std::string& s) { return s == "true" || s == "1" || s == "yes"; }
inline int TextInt(const std::string& s, int fallback) {
  try {
    return std::stoi(s);
  } catch (...) {
    return fallback;
  }
}
inline Property BoolProperty(const std::string& Name, std::function<bool()> Get, std::function<void(bool)> Set) {
  return {Name, [Get] { return BoolText(Get()); }, [Set](const std::string& v) { Set(TextBool(v)); }};
}
// An unreadable integer text leaves the property as it is.
inline Property IntProperty(const std::string& Name, std::function<int()> Get, std::function<void(int)> Set) {
  return {Name, [Get] { return std::to_string(Get()); },
          [Get, Set](const std::string& v) { Set(TextInt(v, Get())); }};
}

struct Demo {
  zol::TControl* Control = nullptr;
  std::vector<Property> Properties;
};

struct EntryInfo {
  std::string Group;  // library or topic shown as a heading of the list
  std::string Name;   // the class name
  std::function<Demo(zol::TWinControl& Parent)> Build;
};

int RegisterEntry(EntryInfo info);
// Every registered entry, sorted by group, then name.
std::vector<EntryInfo>& Entries();
// The entry "Group/Name" (or just "Name" when it is unique); nullptr when unknown.
const EntryInfo* FindEntry(const std::string& key);

}  // namespace explorer

#define ZOL_EXPLORER_CAT2(a, b) a##b
#define ZOL_EXPLORER_CAT(a, b) ZOL_EXPLORER_CAT2(a, b)
#define ZOL_EXPLORER_ENTRY(group, name)                                                       \
  static explorer::Demo ZOL_EXPLORER_CAT(explorer_entry_, __LINE__)(zol::TWinControl & Parent); \
  static const int ZOL_EXPLORER_CAT(explorer_reg_, __LINE__) = explorer::RegisterEntry(          \
      {group, name, &ZOL_EXPLORER_CAT(explorer_entry_, __LINE__)});                             \
  static explorer::Demo ZOL_EXPLORER_CAT(explorer_entry_, __LINE__)(zol::TWinControl & Parent)
