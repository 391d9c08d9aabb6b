// Content comparison of two matrices for the round-trip harnesses.
#pragma once

#include "FuzzUtil.h"
#include "math/Zol_matrix.h"

namespace zolfuzz {

template <typename M, typename Eq>
bool SameMatrix(const M& a, const M& b, Eq eq) {
  if (a.NrOfColumns() != b.NrOfColumns() || a.NrOfRows() != b.NrOfRows() || a.DataID() != b.DataID())
    return false;
  for (int c = 1; c <= a.NrOfColumns(); ++c)
    for (int r = 1; r <= a.NrOfRows(); ++r)
      if (!eq(a.GetVal(c, r), b.GetVal(c, r))) return false;
  return true;
}

}  // namespace zolfuzz
