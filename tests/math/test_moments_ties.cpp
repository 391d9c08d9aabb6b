// Moments of data far from zero, undefined moments, Kendall's tau with ties
// and the diagonal of similarity matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include "math/Zol_math2.h"
#include "math/Zol_matrix.h"
#include "math/Zol_vector.h"

using namespace zol;

namespace {
#include "data/moments_kendall_ref.inc"

std::unique_ptr<TVector> VecOf(const double* v, int n) {
  auto r = std::make_unique<TVector>(nullptr);
  r->Resize(n);
  for (int i = 0; i < n; ++i) r->SetVal(i + 1, v[i]);
  return r;
}
}  // namespace

TEST(MomentsFarFromZero, AgreeWithExactArithmetic) {
  // Exact values: fractions over the doubles themselves (moments_kendall_ref.py).
  struct Case {
    const double* data;
    int n;
    const double* want;
  };
  for (Case c : {Case{kOffsetSmall, 5, kOffsetSmallMoments}, Case{kOffsetUniform, 300, kOffsetUniformMoments}}) {
    auto v = VecOf(c.data, c.n);
    double s, k;
    v->SkewKurt(0, 0, s, k);
    EXPECT_NEAR(s, c.want[0], 1e-12 * std::fabs(c.want[0])) << c.n;
    EXPECT_NEAR(k, c.want[1], 1e-12 * std::fabs(c.want[1])) << c.n;
    v->SkewKurtSample(0, 0, s, k);
    EXPECT_NEAR(s, c.want[2], 1e-12 * std::fabs(c.want[2])) << c.n;
    EXPECT_NEAR(k, c.want[3], 1e-12 * std::fabs(c.want[3])) << c.n;
  }
  // The curve fit's read-outs share the rule.
  TCurveFit f(nullptr);
  for (int i = 0; i < 300; ++i) f.EnterStatValue(kOffsetUniform[i], kOffsetUniform[299 - i]);
  EXPECT_NEAR(f.SkewnessX(), kOffsetUniformMoments[0], 1e-12 * std::fabs(kOffsetUniformMoments[0]));
  EXPECT_NEAR(f.KurtosisX(), kOffsetUniformMoments[1], 1e-12 * std::fabs(kOffsetUniformMoments[1]));
}

TEST(MomentsFarFromZero, UndefinedMomentsAreZeroInBothForms) {
  const double constant[] = {3, 3, 3, 3, 3, 3, 3, 3};
  auto v = VecOf(constant, 8);
  double s = -1, k = -1;
  v->SkewKurt(0, 0, s, k);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(k, 0.0);
  v->SkewKurtSample(0, 0, s, k);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(k, 0.0) << "no small-sample correction of an undefined kurtosis";
  auto three = VecOf(kOffsetSmall, 3);
  three->SkewKurtSample(0, 0, s, k);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(k, 0.0);
}

TEST(KendallWithTies, ProbabilityUsesTheTieCorrectedVariance) {
  // scipy.stats.kendalltau(x, y, method='asymptotic') on integer data with many ties.
  TCurveFit f(nullptr);
  for (int i = 0; i < 25; ++i) f.EnterStatValue(kTiedX[i], kTiedY[i]);
  double p;
  EXPECT_NEAR(f.KendallsTau(p), kTiedKendall[0], 1e-12);
  EXPECT_NEAR(p, kTiedKendall[1], 1e-6 + 1e-4 * kTiedKendall[1]);
  // Without ties the probability keeps the plain variance (4n + 10)/(9n(n − 1)).
  TCurveFit g(nullptr);
  const double gx[] = {1, 2, 3, 4, 5, 6, 7, 8}, gy[] = {2, 1, 4, 3, 6, 5, 8, 7};
  for (int i = 0; i < 8; ++i) g.EnterStatValue(gx[i], gy[i]);
  double tau = g.KendallsTau(p);
  EXPECT_NEAR(tau, 20.0 / 28.0, 1e-15);  // C = 24, D = 4
  double z = tau / std::sqrt((4 * 8 + 10) / (9.0 * 8 * 7));
  EXPECT_NEAR(p, std::erfc(z / std::sqrt(2.0)), 1e-6);
}

TEST(SimilarityMatrices, DiagonalIsTheValueOfARowWithItself) {
  TMatrix d(nullptr), dm(nullptr);
  d.Resize(3, 4);  // 3 columns, 4 rows
  const double rows[4][3] = {{1, 0, 2}, {0, 0, 0}, {1, 0, 2}, {3, 1, 0}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) d.SetVal(c + 1, r + 1, rows[r][c]);
  dm.Resize(4, 4);
  for (TDistMode m : {dmJaccard, dmDice}) {
    ASSERT_EQ(d.CalcDistMat(m, &dm), 0);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(dm.GetVal(i, i), 1.0) << m;
    EXPECT_EQ(dm.GetVal(1, 3), dm.GetVal(1, 1)) << "identical rows 1 and 3";
  }
  for (TDistMode m : {dmManhattan, dmEuclid, dmEuclidSqr}) {
    ASSERT_EQ(d.CalcDistMat(m, &dm), 0);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(dm.GetVal(i, i), 0.0) << m;
    EXPECT_EQ(dm.GetVal(1, 3), 0.0);
  }
}
