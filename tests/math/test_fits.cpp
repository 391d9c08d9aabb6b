// Linearisable fits, splines, least squares, ridge and partial least squares
// regression, and the starting centres of clustering, against NumPy/SciPy
// (tests/math/ref/fits_ref.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "math/Zol_math2.h"
#include "math/Zol_matrix.h"
#include "math/Zol_vector.h"

using namespace zol;

namespace {
#include "data/fits_ref.inc"

constexpr int kN = 23;

std::unique_ptr<TCurveFit> Fit(const double* x, const double* y, int n) {
  auto f = std::make_unique<TCurveFit>(nullptr);
  for (int i = 0; i < n; ++i) f->EnterStatValue(x[i], y[i]);
  return f;
}

void Near(double got, double want, double rel, const std::string& what) {
  EXPECT_NEAR(got, want, rel * std::max(1.0, std::fabs(want))) << what;
}

std::unique_ptr<TMatrix> RegX() {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(3, 40);
  for (int r = 0; r < 40; ++r)
    for (int c = 0; c < 3; ++c) m->SetVal(c + 1, r + 1, kRegX[r * 3 + c]);
  return m;
}

std::unique_ptr<TVector> Vec(const double* v, int n) {
  auto r = std::make_unique<TVector>(nullptr);
  r->Resize(n);
  for (int i = 0; i < n; ++i) r->SetVal(i + 1, v[i]);
  return r;
}
}  // namespace

TEST(LinearisableFits, TwoParameterModelsMatchPolyfitOfTheTransformedData) {
  using Method = void (TCurveFit::*)(double&, double&, double&) const;
  struct Case {
    const char* name;
    Method m;
    const double* y;
    const double* want;
  };
  const Case cases[] = {
      {"ReciLin", &TCurveFit::CalcReciLinFit, kReciLinY, kReciLinWant},
      {"Hyperbol", &TCurveFit::CalcHyperbolFit, kHyperbolY, kHyperbolWant},
      {"ReciHyperbol", &TCurveFit::CalcReciHyperbolFit, kReciHyperbolY, kReciHyperbolWant},
      {"Log", &TCurveFit::CalcLogFit, kLogY, kLogWant},
      {"ReciLog", &TCurveFit::CalcReciLogFit, kReciLogY, kReciLogWant},
      {"Power", &TCurveFit::CalcPowerFit, kPowerY, kPowerWant},
      {"Exponential", &TCurveFit::CalcExponentialFit, kExponentialY, kExponentialWant},
  };
  for (const Case& c : cases) {
    auto f = Fit(kFitX, c.y, kN);
    double k, d, q;
    ((*f).*(c.m))(k, d, q);
    Near(k, c.want[0], 1e-10, std::string(c.name) + " k");
    Near(d, c.want[1], 1e-10, std::string(c.name) + " d");
    Near(q, c.want[2], 1e-10, std::string(c.name) + " quality");
  }
}

TEST(LinearisableFits, ThreeParameterModelsMatchLeastSquares) {
  auto h = Fit(kFitX, kHoerlY, kN);
  double a, b, c, q;
  h->CalcHoerlFit(a, b, c, q);
  Near(a, kHoerlWant[0], 1e-9, "Hoerl a");
  Near(b, kHoerlWant[1], 1e-9, "Hoerl b");
  Near(c, kHoerlWant[2], 1e-9, "Hoerl c");
  Near(q, kHoerlWant[3], 1e-9, "Hoerl quality");
  auto g = Fit(kFitX, kGaussY, kN);
  g->CalcGaussFit(a, b, c, q);
  Near(a, kGaussWant[0], 1e-9, "Gauss a");
  Near(b, kGaussWant[1], 1e-9, "Gauss b");
  Near(c, kGaussWant[2], 1e-9, "Gauss c");
  Near(q, kGaussWant[3], 1e-9, "Gauss quality");
}

TEST(LinearisableFits, DataTheModelCannotTakeIsRefused) {
  double k, d, q, a, b, c;
  TCurveFit one(nullptr);
  one.EnterStatValue(1, 1);
  EXPECT_THROW(one.CalcPowerFit(k, d, q), EZOLMath2Error);
  try {
    one.CalcLogFit(k, d, q);
  } catch (const EZOLMath2Error& e) {
    EXPECT_STREQ(e.what(), "CalcLogFit: not enough data points");
  }
  auto zero = Fit(kFitX, kLogY, kN);
  zero->EnterStatValue(0.0, 1.0);  // ln 0 and 1/0
  EXPECT_THROW(zero->CalcLogFit(k, d, q), EZOLMath2Error);
  EXPECT_THROW(zero->CalcHyperbolFit(k, d, q), EZOLMath2Error);
  EXPECT_NO_THROW(zero->CalcExponentialFit(k, d, q));
  auto neg = Fit(kFitX, kLogY, kN);
  neg->EnterStatValue(2.0, -1.0);
  EXPECT_THROW(neg->CalcPowerFit(k, d, q), EZOLMath2Error);
  EXPECT_THROW(neg->CalcGaussFit(a, b, c, q), EZOLMath2Error);
  // A parabola in ln y that opens upwards is no Gaussian.
  auto up = Fit(kFitX, kExponentialY, kN);
  up->EnterStatValue(0.1, 50.0);
  try {
    up->CalcGaussFit(a, b, c, q);
    ADD_FAILURE() << "expected a refusal";
  } catch (const EZOLMath2Error& e) {
    EXPECT_STREQ(e.what(), "CalcGaussFit: data not suitable for this model");
  }
  // All x equal: no line.
  TCurveFit same(nullptr);
  for (int i = 0; i < 5; ++i) same.EnterStatValue(2.0, i + 1.0);
  EXPECT_THROW(same.CalcLogFit(k, d, q), EZOLMath2Error);
}

TEST(Splines, CubicSplineMatchesScipyForEachKindOfEnd) {
  constexpr int n = 9, m = 37;
  auto f = Fit(kSplX, kSplY, n);
  struct Ends {
    bool nat1, natN;
    double d1, dN;
    const double* want;
  };
  for (Ends e : {Ends{true, true, 0, 0, kSplNatural}, Ends{false, false, 0.9, -0.4, kSplClamped},
                 Ends{true, false, 0, -0.4, kSplMixed}}) {
    f->SetNatural1(e.nat1);
    f->SetNaturalN(e.natN);
    f->SetY1Dash(e.d1);
    f->SetYNDash(e.dN);
    for (int i = 0; i < m; ++i) Near(f->CubicSpline(kSplAt[i]), e.want[i], 1e-12, "at " + std::to_string(kSplAt[i]));
  }
  // Through the nodes exactly; pairs of equal x are merged (their mean).
  f->SetNatural1(true);
  f->SetNaturalN(true);
  for (int i = 0; i < n; ++i) Near(f->CubicSpline(kSplX[i]), kSplY[i], 1e-14, "node");
  f->EnterStatValue(kSplX[3], kSplY[3] + 1.0);
  Near(f->CubicSpline(kSplX[3]), kSplY[3] + 0.5, 1e-14, "merged node");
  TCurveFit empty(nullptr);
  EXPECT_EQ(empty.CubicSpline(1.0), 0.0);
  empty.EnterStatValue(2, 7);
  EXPECT_EQ(empty.CubicSpline(-3.0), 7.0);
}

TEST(Splines, PenalizedSplineMatchesScipysSmoothingSpline) {
  constexpr int n = 9, m = 37;
  auto X = Vec(kSplX, n), Y = Vec(kSplNoisy, n);
  struct Case {
    double lambda;
    const double *fitted, *at, *d2;
  };
  for (Case c : {Case{0.05, kSmoothAFitted, kSmoothAAt, kSmoothAD2}, Case{1.0, kSmoothBFitted, kSmoothBAt, kSmoothBD2},
                 Case{30.0, kSmoothCFitted, kSmoothCAt, kSmoothCD2}}) {
    TVector F(nullptr), G(nullptr);
    ASSERT_TRUE(PenalizedCubicSpline(X.get(), Y.get(), c.lambda, &F, &G));
    for (int i = 0; i < n; ++i) {
      Near(F.GetVal(i + 1), c.fitted[i], 1e-9, "fitted, lambda " + std::to_string(c.lambda));
      Near(G.GetVal(i + 1), c.d2[i], 1e-8, "second derivative, lambda " + std::to_string(c.lambda));
    }
    // Through the curve fit: SplineSmoothing p with lambda = (1 − p)/p.
    auto f = Fit(kSplX, kSplNoisy, n);
    f->SetSplineSmoothing(1.0 / (1.0 + c.lambda));
    for (int i = 0; i < m; ++i) {
      double y;
      bool valid;
      f->SmoothedSpline(std::clamp(kSplAt[i], kSplX[0], kSplX[n - 1]), y, valid);
      ASSERT_TRUE(valid);
      Near(y, c.at[i], 1e-9, "smoothed at " + std::to_string(kSplAt[i]));
    }
  }
  TVector F(nullptr), G(nullptr);
  auto bad = Vec(kSplX, n);
  bad->SetVal(4, bad->GetVal(3));  // not strictly increasing
  EXPECT_FALSE(PenalizedCubicSpline(bad.get(), Y.get(), 1.0, &F, &G));
  EXPECT_FALSE(PenalizedCubicSpline(X.get(), Y.get(), -1.0, &F, &G));
  // p = 1 interpolates, p = 0 is the least-squares line.
  auto f = Fit(kSplX, kSplNoisy, n);
  f->SetSplineSmoothing(1.0);
  double y;
  bool valid;
  f->SmoothedSpline(kSplX[4], y, valid);
  Near(y, kSplNoisy[4], 1e-12, "p = 1");
  f->SetSplineSmoothing(0.0);
  double k, d, q;
  f->CalcLinFit(k, d, q);
  f->SmoothedSpline(3.3, y, valid);
  Near(y, k * 3.3 + d, 1e-10, "p = 0");
  TCurveFit one(nullptr);
  one.EnterStatValue(1, 1);
  one.SmoothedSpline(1, y, valid);
  EXPECT_FALSE(valid);
}

TEST(Regression, MultipleRegressionAndTheSvdSolverMatchLstsq) {
  auto X = RegX();
  auto Y = Vec(kRegY, 40);
  std::vector<double> c;
  double r2;
  ASSERT_TRUE(MultiLinReg(X.get(), Y.get(), true, c, r2));
  for (int k = 0; k < 4; ++k) Near(c[k], kMlrWant[k], 1e-11, "coefficient " + std::to_string(k));
  Near(r2, kMlrWant[4], 1e-12, "R squared");
  ASSERT_TRUE(MultiLinReg(X.get(), Y.get(), false, c, r2));
  for (int k = 0; k < 4; ++k) Near(c[k], kMlrNoIntercept[k], 1e-11, "no intercept " + std::to_string(k));
  Near(r2, kMlrNoIntercept[4], 1e-12, "R squared about 0");
  // The solver with a column of ones: the standard error factors are √diag((AᵀA)⁻¹).
  TMatrix A(nullptr);
  A.Resize(4, 40);
  for (int r = 1; r <= 40; ++r) {
    for (int k = 1; k <= 3; ++k) A.SetVal(k, r, X->GetVal(k, r));
    A.SetVal(4, r, 1.0);
  }
  TVector sol(nullptr), se(nullptr);
  bool truncated = true;
  ASSERT_TRUE(SingValEquSolve(&A, Y.get(), &sol, &se, truncated));
  EXPECT_FALSE(truncated);
  Near(sol.GetVal(4), kMlrWant[0], 1e-11, "intercept");
  for (int k = 0; k < 4; ++k) Near(se.GetVal(k + 1), kSvdStdErr[k], 1e-10, "std err " + std::to_string(k));
  // A repeated column is truncated to the minimum-norm solution.
  A.Resize(5, 40);
  for (int r = 1; r <= 40; ++r) A.SetVal(5, r, A.GetVal(4, r));
  ASSERT_TRUE(SingValEquSolve(&A, Y.get(), &sol, nullptr, truncated));
  EXPECT_TRUE(truncated);
  Near(sol.GetVal(4), kMlrWant[0] / 2, 1e-10, "split intercept");
  Near(sol.GetVal(5), kMlrWant[0] / 2, 1e-10, "split intercept");
  TMatrix U(nullptr), V(nullptr);
  TVector W(nullptr);
  ASSERT_TRUE(SingValDecomp(X.get(), &U, &W, &V));
  EXPECT_EQ(W.NrOfElem(), 3);
  auto shortY = Vec(kRegY, 39);
  EXPECT_FALSE(MultiLinReg(X.get(), shortY.get(), true, c, r2));
}

TEST(Regression, RidgeMatchesTheClosedForm) {
  auto X = RegX();
  auto Y = Vec(kRegY, 40);
  struct Case {
    double lambda;
    const double *plain, *std;
  };
  for (Case cs : {Case{0.0, kRidge0, kRidgeStd0}, Case{5.0, kRidge5, kRidgeStd5}, Case{200.0, kRidge200, kRidgeStd200}}) {
    std::vector<double> c;
    ASSERT_TRUE(RidgeReg(X.get(), Y.get(), cs.lambda, c));
    for (int k = 0; k < 4; ++k) Near(c[k], cs.plain[k], 1e-11, "ridge " + std::to_string(k));
    ASSERT_TRUE(RidgeRegStd(X.get(), Y.get(), cs.lambda, c));
    for (int k = 0; k < 4; ++k) Near(c[k], cs.std[k], 1e-11, "standardised " + std::to_string(k));
  }
  std::vector<double> c;
  EXPECT_FALSE(RidgeReg(X.get(), Y.get(), -1, c));
  // Lambda 0 is ordinary least squares.
  double r2;
  std::vector<double> ols;
  MultiLinReg(X.get(), Y.get(), true, ols, r2);
  RidgeReg(X.get(), Y.get(), 0, c);
  for (int k = 0; k < 4; ++k) Near(c[k], ols[k], 1e-10, "lambda 0");
}

TEST(Regression, SimplsSpansTheKrylovSpace) {
  auto X = RegX();
  TMatrix Y(nullptr), B(nullptr);
  Y.Resize(1, 40);
  for (int r = 1; r <= 40; ++r) Y.SetVal(1, r, kRegY[r - 1]);
  TVector b0(nullptr);
  const double* want[] = {kPls1, kPls2, kPls3};
  for (int a = 1; a <= 3; ++a) {
    ASSERT_TRUE(SimPLS(X.get(), &Y, a, &B, &b0)) << a;
    Near(b0.GetVal(1), want[a - 1][0], 1e-10, "intercept, " + std::to_string(a) + " LV");
    for (int k = 1; k <= 3; ++k) Near(B.GetVal(1, k), want[a - 1][k], 1e-10, "coefficient, " + std::to_string(a) + " LV");
  }
  // Two responses: each column as with its response alone (the full model is least squares).
  TMatrix Y2(nullptr), B2(nullptr);
  Y2.Resize(2, 40);
  for (int r = 1; r <= 40; ++r) {
    Y2.SetVal(1, r, kRegY[r - 1]);
    Y2.SetVal(2, r, 2 * kRegY[r - 1] - X->GetVal(1, r));
  }
  ASSERT_TRUE(SimPLS(X.get(), &Y2, 3, &B2, &b0));
  for (int k = 1; k <= 3; ++k) Near(B2.GetVal(1, k), kPls3[k], 1e-9, "response 1");
  Near(B2.GetVal(2, 1), 2 * kPls3[1] - 1, 1e-9, "response 2");
  EXPECT_FALSE(SimPLS(X.get(), &Y, 4, &B, &b0));
  EXPECT_FALSE(SimPLS(X.get(), &Y, 0, &B, &b0));
}

TEST(Clustering, FindCentersIsWithinTwiceTheBestCoveringRadius) {
  // 12 points in three groups; the best three centres (chosen among the
  // points) are found by trying every triple.
  const double pts[12][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {10, 10}, {11, 10}, {10, 12},
                             {-8, 9}, {-9, 9}, {-8, 10}, {0.5, 0.5}, {10.5, 11}};
  TMatrix D(nullptr), C(nullptr);
  D.Resize(2, 12);
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 2; ++c) D.SetVal(c + 1, r + 1, pts[r][c]);
  TIntVector rows(nullptr);
  ASSERT_TRUE(FindCenters(&D, 3, &C, &rows));
  auto radius = [&](const std::vector<int>& centres) {
    double worst = 0;
    for (auto& p : pts) {
      double best = 1e300;
      for (int c : centres) best = std::min(best, std::hypot(p[0] - pts[c][0], p[1] - pts[c][1]));
      worst = std::max(worst, best);
    }
    return worst;
  };
  double opt = 1e300;
  for (int a = 0; a < 12; ++a)
    for (int b = a + 1; b < 12; ++b)
      for (int c = b + 1; c < 12; ++c) opt = std::min(opt, radius({a, b, c}));
  std::vector<int> got;
  for (int i = 1; i <= 3; ++i) got.push_back(rows.GetVal(i) - 1);
  EXPECT_LE(radius(got), 2 * opt + 1e-12);
  // One centre per group, the first the point nearest the mean.
  std::sort(got.begin(), got.end());
  EXPECT_EQ(C.GetVal(1, 1), pts[rows.GetVal(1) - 1][0]);
  EXPECT_FALSE(FindCenters(&D, 13, &C, nullptr));
  EXPECT_FALSE(FindCenters(&D, 0, &C, nullptr));
  ASSERT_TRUE(FindCenters(&D, 12, &C, &rows));
  std::vector<int> all;
  for (int i = 1; i <= 12; ++i) all.push_back(rows.GetVal(i));
  std::sort(all.begin(), all.end());
  for (int i = 0; i < 12; ++i) EXPECT_EQ(all[i], i + 1);
}
