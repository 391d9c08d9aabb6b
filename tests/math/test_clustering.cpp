// Agglomerative clustering against the merges worked out step by step from
// its definition (tests/math/ref/cluster_ref.py): tie-rich grid data, where
// the first smallest pair in row-major order decides, and random data, where
// single linkage takes the spanning-tree way; distance matrices of more rows
// than one block of the computation against SciPy.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "math/Zol_math2.h"
#include "math/Zol_matrix.h"

using namespace zol;

namespace {
#include "data/cluster_ref.inc"

std::unique_ptr<TMatrix> Rows(const double* d, int rows, int cols) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(cols, rows);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= cols; ++c) m->SetVal(c, r, d[(r - 1) * cols + (c - 1)]);
  return m;
}
}  // namespace

TEST(Clustering, AgglomerativeMergesFollowTheDefinitionOnTiesAndRandomData) {
  auto grid = Rows(kGridData, 40, 2);
  auto rnd = Rows(kRndData, 300, 4);
  for (const AgglomRef& r : kAgglomRef) {
    TMatrix* d = r.set == 0 ? grid.get() : rnd.get();
    const int n = d->NrOfRows();
    TIntMatrix merges(nullptr);
    TVector heights(nullptr), pos(nullptr);
    ASSERT_EQ(AgglomClustering(nullptr, d, r.mode, r.method, r.alpha, &merges, &heights, &pos, nullptr, nullptr), 0);
    for (int k = 1; k < n; ++k) {
      ASSERT_EQ(merges.GetVal(1, k), r.m1[k - 1]) << "set " << r.set << " mode " << r.mode << " method " << r.method << " step " << k;
      ASSERT_EQ(merges.GetVal(2, k), r.m2[k - 1]) << "set " << r.set << " mode " << r.mode << " method " << r.method << " step " << k;
      ASSERT_EQ(merges.GetVal(3, k), n + k);
      ASSERT_NEAR(heights.GetVal(k), r.h[k - 1], 1e-12 * std::max(1.0, std::fabs(r.h[k - 1])))
          << "set " << r.set << " mode " << r.mode << " method " << r.method << " step " << k;
    }
  }
}

// The spanning-tree way reports every step like the general one and stops
// at an abort request in the same place.
TEST(Clustering, SingleLinkageStepsReportAndAbort) {
  auto rnd = Rows(kRndData, 300, 4);
  int steps = 0;
  auto count = [&](TObject*, int, double) { ++steps; };
  TIntMatrix merges(nullptr);
  TVector heights(nullptr), pos(nullptr);
  ASSERT_EQ(AgglomClustering(nullptr, rnd.get(), dmEuclid, cmSingleLink, 0.5, &merges, &heights, &pos, count, nullptr),
            0);
  EXPECT_EQ(steps, 299);
  // Leaves take the places 1..300, the root lies between them.
  EXPECT_GE(pos.GetVal(599), 1);
  EXPECT_LE(pos.GetVal(599), 300);
  steps = 0;
  auto stop = [&](TObject*, int, double) {
    if (++steps == 5) AbortMathProc = true;
  };
  EXPECT_EQ(AgglomClustering(nullptr, rnd.get(), dmEuclid, cmSingleLink, 0.5, &merges, &heights, &pos, stop, nullptr),
            -1);
  AbortMathProc = false;
  EXPECT_EQ(steps, 5);
  EXPECT_EQ(merges.GetVal(1, 1), 0);
  EXPECT_EQ(heights.GetVal(1), 0);
}

// A missing value makes every distance of its row NaN: the clustering still
// ends with n - 1 merges, each of two clusters that exist at that step.
TEST(Clustering, NaNDistancesStillGiveAValidTree) {
  auto d = Rows(kRndData, 60, 4);
  d->SetVal(2, 7, std::nan(""));
  for (TClusterMethod m : {cmSingleLink, cmCompleteLink, cmWard}) {
    TIntMatrix merges(nullptr);
    TVector heights(nullptr), pos(nullptr);
    ASSERT_EQ(AgglomClustering(nullptr, d.get(), dmEuclid, m, 0.5, &merges, &heights, &pos, nullptr, nullptr), 0);
    std::vector<char> alive(120, 0);
    for (int i = 1; i <= 60; ++i) alive[i] = 1;
    for (int k = 1; k < 60; ++k) {
      const int a = merges.GetVal(1, k), b = merges.GetVal(2, k);
      ASSERT_TRUE(a >= 1 && a < 60 + k && alive[a]) << m << " step " << k;
      ASSERT_TRUE(b >= 1 && b < 60 + k && alive[b] && a != b) << m << " step " << k;
      alive[a] = alive[b] = 0;
      alive[60 + k] = 1;
    }
  }
}

TEST(Clustering, DistanceMatricesOfManyRowsMatchScipy) {
  auto d = Rows(kDistData, 300, 7);
  const int picks = sizeof(kDistPickI) / sizeof(kDistPickI[0]);
  for (const DistRef& r : kDistRef) {
    TMatrix dm(nullptr);
    dm.Resize(300, 300);
    ASSERT_EQ(d->CalcDistMat(r.mode, &dm), 0);
    for (int k = 0; k < picks; ++k) {
      const int i = kDistPickI[k] + 1, j = kDistPickJ[k] + 1;
      EXPECT_NEAR(dm.GetVal(j, i), r.v[k], 1e-12 * std::max(1.0, std::fabs(r.v[k]))) << r.mode << " " << i << "," << j;
      EXPECT_EQ(dm.GetVal(j, i), dm.GetVal(i, j));
    }
  }
  // A square matrix may receive its own distances.
  TMatrix sq(nullptr);
  sq.Resize(300, 300);
  for (int r = 1; r <= 300; ++r)
    for (int c = 1; c <= 7; ++c) sq.SetVal(c, r, kDistData[(r - 1) * 7 + c - 1]);
  ASSERT_EQ(sq.CalcDistMat(dmEuclid, &sq), 0);
  for (int k = 0; k < picks; ++k) {
    const int i = kDistPickI[k] + 1, j = kDistPickJ[k] + 1;
    EXPECT_NEAR(sq.GetVal(j, i), kDistRef[0].v[k], 1e-12 * std::max(1.0, kDistRef[0].v[k]));
  }
}
