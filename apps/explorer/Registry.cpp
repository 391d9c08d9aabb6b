// The explorer's list of entries.
#include <algorithm>

#include "apps/explorer/Explorer.h"

namespace explorer {

std::vector<EntryInfo>& Entries() {
  static std::vector<EntryInfo> entries;
  return entries;
}

int RegisterEntry(EntryInfo info) {
  auto& list = Entries();
  list.push_back(std::move(info));
  std::stable_sort(list.begin(), list.end(), [](const EntryInfo& a, const EntryInfo& b) {
    return a.Group != b.Group ? a.Group < b.Group : a.Name < b.Name;
  });
  return static_cast<int>(list.size());
}

const EntryInfo* FindEntry(const std::string& key) {
  const EntryInfo* found = nullptr;
  for (const auto& e : Entries()) {
    if (key == e.Group + "/" + e.Name) return &e;
    if (key == e.Name) {
      if (found) return nullptr;  // ambiguous
      found = &e;
    }
  }
  return found;
}

}  // namespace explorer
