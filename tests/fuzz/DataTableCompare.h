// Content comparison of two data tables for the round-trip harnesses: size,
// the stored state bits (invalid, empty), the values of numeric cells, names,
// attributes and the comment.
#pragma once

#include "FuzzUtil.h"
#include "math/Zol_datatable.h"

namespace zolfuzz {

inline bool SameDataTable(const zol::TDataTable& a, const zol::TDataTable& b, bool Names, bool Attribs) {
  if (a.NrOfColumns() != b.NrOfColumns() || a.NrOfRows() != b.NrOfRows()) return false;
  for (int c = 1; c <= a.NrOfColumns(); ++c) {
    if (Names && a.GetColName(c) != b.GetColName(c)) return false;
    if (Attribs && a.GetColAttrib(c) != b.GetColAttrib(c)) return false;
  }
  for (int r = 1; r <= a.NrOfRows(); ++r) {
    if (Names && a.GetRowName(r) != b.GetRowName(r)) return false;
    if (Attribs && a.GetRowAttrib(r) != b.GetRowAttrib(r)) return false;
    for (int c = 1; c <= a.NrOfColumns(); ++c) {
      const uint8_t sa = a.GetCellState(c, r) & 3, sb = b.GetCellState(c, r) & 3;
      if (sa != sb) return false;
      if (sa == 0 && !SameNum(a.GetElem(c, r), b.GetElem(c, r))) return false;
    }
  }
  return true;
}

}  // namespace zolfuzz
