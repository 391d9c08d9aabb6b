// numlib: invert a matrix and summarise a column.
#include <cstdio>

#include "math/Zol_matrix.h"

int main() {
  zol::TMatrix m(nullptr);
  m.Resize(3, 3);  // columns, rows
  const double a[3][3] = {{4, 1, 2}, {1, 3, 0}, {2, 0, 5}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m.SetVal(c + 1, r + 1, a[r][c]);
  std::printf("determinant %.6f\n", m.Determinant());
  if (!m.Invert()) return 1;
  std::printf("inverse row 1: %.6f %.6f %.6f\n", m.GetVal(1, 1), m.GetVal(2, 1), m.GetVal(3, 1));
  zol::TMatrix d(nullptr);
  d.Resize(1, 5);
  const double v[5] = {2, 4, 4, 5, 10};
  for (int i = 0; i < 5; ++i) d.SetVal(1, i + 1, v[i]);
  double mean, var;
  d.MeanVar(1, 1, 1, 5, mean, var);
  std::printf("mean %.3f variance %.3f\n", mean, var);
}
