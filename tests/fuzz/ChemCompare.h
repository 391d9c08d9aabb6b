// Content comparison of two connection tables for the chemistry harnesses:
// atoms, mass numbers, charges and the bond lists of every atom (order of the
// slots ignored).
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "chem/Zol_cstruct.h"

namespace zolfuzz {

inline bool SameTable(const zol::TCTab& a, const zol::TCTab& b) {
  if (a.NAtoms() != b.NAtoms()) return false;
  for (int i = 1; i <= a.NAtoms(); ++i) {
    if (a.AtNum(i) != b.AtNum(i) || a.AtWeight(i) != b.AtWeight(i) || a.Charge(i) != b.Charge(i)) return false;
    std::vector<std::pair<int, int>> ca, cb;
    for (int s = 1; s <= zol::MaxConn; ++s) {
      if (a.ConnTo(i, s) > 0) ca.emplace_back(a.ConnTo(i, s), a.TypConn(i, s));
      if (b.ConnTo(i, s) > 0) cb.emplace_back(b.ConnTo(i, s), b.TypConn(i, s));
    }
    std::sort(ca.begin(), ca.end());
    std::sort(cb.begin(), cb.end());
    if (ca != cb) return false;
  }
  return true;
}

}  // namespace zolfuzz
