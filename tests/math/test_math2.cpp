#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "math/Zol_math2.h"

using namespace zol;

namespace {
#include "data/math2_ref.inc"

std::string TempName(const std::string& stem) {
  return (std::filesystem::temp_directory_path() / ("zolmath2_" + std::to_string(::getpid()) + "_" + stem)).string();
}

std::unique_ptr<TMatrix> MatOf(const double* d, int rows, int cols, double offset = 0) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(cols, rows);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= cols; ++c) m->SetVal(c, r, d[(r - 1) * cols + (c - 1)] + offset);
  return m;
}

std::unique_ptr<TVector> VecOf(const std::vector<double>& v) {
  auto p = std::make_unique<TVector>(nullptr);
  p->Resize(static_cast<int>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) p->SetVal(static_cast<int>(i) + 1, v[i]);
  return p;
}

std::unique_ptr<TCurveFit> FitOf(const double* x, const double* y, int n) {
  auto f = std::make_unique<TCurveFit>(nullptr);
  for (int i = 0; i < n; ++i) f->EnterStatValue(x[i], y[i]);
  return f;
}
}  // namespace

// ---------------------------------------------------------------- covariance and PCA
TEST(Math2Covar, MatchesNumpyAndSurvivesLargeOffsets) {
  auto d = MatOf(kPcaData, 9, 3);
  TMatrix cv(nullptr);
  cv.Resize(3, 3);
  ASSERT_TRUE(CalcCovar(d.get(), &cv, 1, 3, 1, 9, 1));
  for (int j = 0; j < 3; ++j)
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(cv.GetVal(k + 1, j + 1), kPcaCov[j * 3 + k], 1e-12);
  ASSERT_TRUE(CalcCovar(d.get(), &cv, 1, 3, 1, 9, 2));
  for (int j = 0; j < 3; ++j)
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(cv.GetVal(k + 1, j + 1), kPcaCorr[j * 3 + k], 1e-12);
  // An offset of 1e9 cancels all digits in a one-pass formula.
  auto off = MatOf(kPcaData, 9, 3, 1e9);
  ASSERT_TRUE(CalcCovar(off.get(), &cv, 1, 3, 1, 9, 1));
  for (int j = 0; j < 3; ++j)
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(cv.GetVal(k + 1, j + 1), kPcaCovOffset[j * 3 + k], 1e-6);
  // too small a target
  TMatrix small(nullptr);
  small.Resize(2, 3);
  EXPECT_FALSE(CalcCovar(d.get(), &small, 1, 3, 1, 9, 1));
}

TEST(Math2Covar, DocumentedTwoColumnCaseAndOneObject) {
  TMatrix d(nullptr);
  d.Resize(2, 3);
  for (int r = 1; r <= 3; ++r) {
    d.SetVal(1, r, r);
    d.SetVal(2, r, 2 * r);
  }
  TMatrix cv(nullptr);
  cv.Resize(2, 2);
  ASSERT_TRUE(CalcCovar(&d, &cv, 1, 2, 1, 3, 1));
  EXPECT_DOUBLE_EQ(cv.GetVal(1, 1), 1);
  EXPECT_DOUBLE_EQ(cv.GetVal(2, 1), 2);
  EXPECT_DOUBLE_EQ(cv.GetVal(2, 2), 4);
  ASSERT_TRUE(CalcCovar(&d, &cv, 1, 2, 1, 3, 2));
  EXPECT_NEAR(cv.GetVal(1, 2), 1, 1e-15);
  ASSERT_TRUE(CalcPrincComp(&d, 1, 2, 1, 3, 1, false));
  EXPECT_EQ(GetEigenSize(), 2);
  EXPECT_NEAR(GetEigenResult(1, 0), 5, 1e-12);
  EXPECT_NEAR(GetEigenResult(2, 0), 0, 1e-12);
  EXPECT_NEAR(GetEigenResult(1, 2) / GetEigenResult(1, 1), 2, 1e-12);
  ASSERT_TRUE(CalcPrincComp(&d, 1, 2, 1, 3, 1));
  EXPECT_NEAR(GetEigenResult(1, 0), 1, 1e-12);
  EXPECT_EQ(GetEigenResult(3, 0), 0);  // outside
  // one object: finite zeros, no 0/0
  ASSERT_TRUE(CalcPrincComp(&d, 1, 2, 2, 2, 2, true));
  for (int i = 1; i <= 2; ++i)
    for (int k = 0; k <= 2; ++k) EXPECT_TRUE(std::isfinite(GetEigenResult(i, k)));
  RemoveEigenMatrix();
  EXPECT_EQ(GetEigenSize(), 0);
  EXPECT_EQ(GetEigenResult(1, 0), 0);
}

TEST(Math2Covar, PrincipalComponentsMatchEigh) {
  auto d = MatOf(kPcaData, 9, 3);
  ASSERT_TRUE(CalcPrincComp(d.get(), 1, 3, 1, 9, 1, false));
  for (int i = 1; i <= 3; ++i) {
    EXPECT_NEAR(GetEigenResult(i, 0), kPcaEigVal[i - 1], 1e-12);
    // eigenvectors up to sign
    double dot = 0;
    for (int k = 1; k <= 3; ++k) dot += GetEigenResult(i, k) * kPcaEigVec[(i - 1) * 3 + k - 1];
    EXPECT_NEAR(std::fabs(dot), 1, 1e-10);
  }
}

TEST(Math2Covar, ProgressAndAbort) {
  TMatrix d(nullptr);
  d.Resize(30, 40);
  d.FillRandomUniform(0, 1);
  int calls = 0;
  MathFeedBackProc = [&](int32_t) {
    if (++calls == 5) AbortMathProc = true;
  };
  TMatrix cv(nullptr);
  cv.Resize(30, 30);
  EXPECT_FALSE(CalcCovar(&d, &cv, 1, 30, 1, 40, 1));
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
  EXPECT_TRUE(CalcCovar(&d, &cv, 1, 30, 1, 40, 1));
}

// ---------------------------------------------------------------- TCurveFit
TEST(Math2CurveFit, DocumentedLinearParabolaAndDegenerateCases) {
  TCurveFit f(nullptr);
  double k, d, q;
  f.EnterStatValue(0, 1);
  EXPECT_THROW(f.CalcLinFit(k, d, q), EZOLMath2Error);
  f.EnterStatValue(1, 3);
  f.EnterStatValue(2, 5);
  f.CalcLinFit(k, d, q);
  EXPECT_NEAR(k, 2, 1e-14);
  EXPECT_NEAR(d, 1, 1e-14);
  EXPECT_NEAR(q, 1, 1e-14);
  TCurveFit p(nullptr);
  for (int x = -3; x <= 4; ++x) p.EnterStatValue(x, 1 + x * x);
  double a, b, c;
  p.CalcParabolFit(a, b, c, q);
  EXPECT_NEAR(a, 1, 1e-12);
  EXPECT_NEAR(b, 0, 1e-12);
  EXPECT_NEAR(c, 1, 1e-12);
  TCurveFit e(nullptr);
  for (int i = 0; i < 4; ++i) e.EnterStatValue(2, i);
  e.CalcLinFit(k, d, q);
  EXPECT_EQ(k, 0);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(q, 0);
  TCurveFit two(nullptr);
  two.EnterStatValue(1, 2);
  two.EnterStatValue(3, 6);
  int n;
  double mx, my, sx, sy, md, sd, r;
  two.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(mx, 2);
  EXPECT_EQ(my, 4);
  EXPECT_EQ(md, -2);
  EXPECT_EQ(sx, 0);
  EXPECT_EQ(r, 0);
}

TEST(Math2CurveFit, FitsMatchPolyfit) {
  auto f = FitOf(kFitX, kFitY, 21);
  double k, d, q, a, b, c;
  f->CalcLinFit(k, d, q);
  EXPECT_NEAR(k, kPolyFit1[1], 1e-10);
  EXPECT_NEAR(d, kPolyFit1[0], 1e-10);
  EXPECT_NEAR(q, kPolyR2_1[0], 1e-10);
  f->CalcParabolFit(a, b, c, q);
  EXPECT_NEAR(a, kPolyFit2[0], 1e-10);
  EXPECT_NEAR(b, kPolyFit2[1], 1e-10);
  EXPECT_NEAR(c, kPolyFit2[2], 1e-10);
  EXPECT_NEAR(q, kPolyR2_2[0], 1e-10);
  const double* refs[] = {kPolyFit1, kPolyFit2, kPolyFit3, kPolyFit5};
  const double* r2[] = {kPolyR2_1, kPolyR2_2, kPolyR2_3, kPolyR2_5};
  const int degs[] = {1, 2, 3, 5};
  for (int t = 0; t < 4; ++t) {
    std::vector<double> co;
    bool trunc = true;
    ASSERT_TRUE(f->CalcPolyFit(degs[t], co, q, trunc));
    EXPECT_FALSE(trunc);
    ASSERT_EQ(co.size(), static_cast<size_t>(degs[t] + 1));
    for (int i = 0; i <= degs[t]; ++i) EXPECT_NEAR(co[i], refs[t][i], 1e-9) << degs[t] << " " << i;
    EXPECT_NEAR(q, r2[t][0], 1e-10);
  }
  std::vector<double> co;
  bool trunc;
  double xc = 1.0;
  ASSERT_TRUE(f->CalcCenteredPolyFit(3, co, xc, q, trunc));
  EXPECT_EQ(xc, 1.0);
  for (int i = 0; i <= 3; ++i) EXPECT_NEAR(co[i], kCentPoly3[i], 1e-9);
  EXPECT_NEAR(q, kPolyR2_3[0], 1e-10);
  xc = 0;
  ASSERT_TRUE(f->CalcCenteredPolyFit(1, co, xc, q, trunc));
  EXPECT_NEAR(xc, 0.5, 1e-14);  // mean of x
  // a polynomial of too high a degree for 3 points is truncated, still exact
  TCurveFit s(nullptr);
  s.EnterStatValue(0, 1);
  s.EnterStatValue(1, 2);
  s.EnterStatValue(2, 5);
  ASSERT_TRUE(s.CalcPolyFit(4, co, q, trunc));
  EXPECT_TRUE(trunc);
  for (int x = 0; x <= 2; ++x) {
    double v = 0;
    for (int i = 4; i >= 0; --i) v = v * x + co[i];
    EXPECT_NEAR(v, s.DataY(x + 1), 1e-10);
  }
}

TEST(Math2CurveFit, StatisticsAreStableAndRemovalKeepsOrder) {
  TCurveFit f(nullptr);
  // Variance of 1e9 + {0, 1, 2, 3} is 5/3; one-pass sums lose it.
  for (int i = 0; i < 4; ++i) f.EnterStatValue(1e9 + i, 2e9 - 2 * i);
  EXPECT_NEAR(f.StdDevX(), std::sqrt(5.0 / 3.0), 1e-9);
  EXPECT_NEAR(f.StdDevY(), 2 * std::sqrt(5.0 / 3.0), 1e-9);
  EXPECT_NEAR(f.Rxy(), -1, 1e-12);
  TCurveFit g(nullptr);
  for (int i = 1; i <= 300; ++i) g.EnterStatValue(i, 2 * i);
  EXPECT_EQ(g.NumData(), 300);  // grew past the first 1000? no: 300 fit
  g.RemoveStatValue(10);
  ASSERT_EQ(g.NumData(), 299);
  for (int i = 1; i <= 299; ++i) ASSERT_EQ(g.DataX(i), i < 10 ? i : i + 1);
  EXPECT_EQ(g.DataX(300), 0);
  EXPECT_NEAR(g.MeanX(), (45150.0 - 10) / 299, 1e-9);
  TCurveFit big(nullptr);
  for (int i = 0; i < 2500; ++i) big.EnterStatValue(i, -i);
  EXPECT_EQ(big.NumData(), 2500);
  EXPECT_EQ(big.DataY(2500), -2499);
  EXPECT_EQ(big.MaxX(), 2499);
  // flags
  TCurveFit z(nullptr);
  z.EnterStatValue(0, 1);
  EXPECT_TRUE(z.XRecipInvalid());
  EXPECT_TRUE(z.XLogInvalid());
  EXPECT_FALSE(z.YRecipInvalid());
  EXPECT_GT(static_cast<double>(z.Sums().rX), 1e300);
}

TEST(Math2CurveFit, RankCorrelationsMatchScipy) {
  auto f = FitOf(kRankX, kRankY, 14);
  EXPECT_NEAR(f->Rxy(), kPearson[0], 1e-12);
  double p;
  EXPECT_NEAR(f->KendallsTau(p), kKendallTauB[0], 1e-12);
  EXPECT_GT(p, 0);
  EXPECT_LT(p, 0.01);
  EXPECT_NEAR(f->Spearman(), kSpearman[0], 1e-12);
  EXPECT_NEAR(f->KruskalGamma(), kGamma[0], 1e-12);
  // undefined cases answer 0, never NaN
  TCurveFit two(nullptr);
  two.EnterStatValue(1, 2);
  two.EnterStatValue(2, 3);
  EXPECT_EQ(two.KendallsTau(p), 0);
  EXPECT_EQ(p, 1);
  EXPECT_EQ(two.KruskalGamma(), 0);
  EXPECT_EQ(two.Spearman(), 0);
  TCurveFit tied(nullptr);
  for (int i = 0; i < 5; ++i) tied.EnterStatValue(3, i);
  EXPECT_EQ(tied.KendallsTau(p), 0);
  EXPECT_EQ(tied.KruskalGamma(), 0);
  EXPECT_EQ(tied.Spearman(), 0);
  // cache follows the data
  tied.Init();
  for (int i = 0; i < 5; ++i) tied.EnterStatValue(i, i * i);
  EXPECT_NEAR(tied.KendallsTau(), 1, 1e-15);
  EXPECT_NEAR(tied.Spearman(), 1, 1e-15);
}

TEST(Math2CurveFit, CircleAnovaAnglesAndGreatCircle) {
  TCurveFit c(nullptr);
  for (int i = 0; i < 12; ++i) {
    const double a = i * 0.5;
    c.EnterStatValue(3 + 2.5 * std::cos(a), -1 + 2.5 * std::sin(a));
  }
  double r, cx, cy;
  c.CalcCircleFit(r, cx, cy);
  EXPECT_NEAR(r, 2.5, 1e-9);
  EXPECT_NEAR(cx, 3, 1e-9);
  EXPECT_NEAR(cy, -1, 1e-9);
  TCurveFit line(nullptr);
  for (int i = 0; i < 4; ++i) line.EnterStatValue(i, i);
  EXPECT_THROW(line.CalcCircleFit(r, cx, cy), EZOLMath2Error);
  // ANOVA: observed 1..5 (x), fitted values (y)
  TCurveFit an(nullptr);
  const double obs[] = {1, 2, 3, 4, 5}, fit[] = {1.2, 1.8, 3.0, 4.1, 4.9};
  for (int i = 0; i < 5; ++i) an.EnterStatValue(obs[i], fit[i]);
  int dfReg, dfRes, dfTot;
  double ssres, ssreg, sstot, msres, msreg, F;
  an.CalcAnovaReg(1, true, dfReg, dfRes, dfTot, ssres, ssreg, sstot, msres, msreg, F);
  EXPECT_EQ(dfTot, 4);
  EXPECT_EQ(dfRes, 3);
  EXPECT_NEAR(sstot, 10, 1e-12);
  EXPECT_NEAR(ssreg, 3.24 + 1.44 + 0 + 1.21 + 3.61, 1e-12);
  EXPECT_NEAR(ssres, 0.04 + 0.04 + 0 + 0.01 + 0.01, 1e-12);
  EXPECT_NEAR(F, ssreg / (ssres / 3), 1e-9);
  an.CalcAnovaReg(4, true, dfReg, dfRes, dfTot, ssres, ssreg, sstot, msres, msreg, F);
  EXPECT_EQ(dfRes, 0);
  EXPECT_TRUE(std::isfinite(msres));
  // circular means
  TCurveFit ang(nullptr);
  ang.EnterStatValue(350, 90);
  ang.EnterStatValue(10, 180);
  EXPECT_NEAR(std::fmod(ang.MeanXDegrees() + 180, 360) - 180, 0, 1e-9);
  EXPECT_GE(ang.MeanXDegrees(), 0);
  EXPECT_LT(ang.MeanXDegrees(), 360);
  EXPECT_NEAR(ang.MeanYDegrees(), 135, 1e-9);
  TCurveFit ang2(nullptr);
  ang2.EnterStatValue(200, 0);
  ang2.EnterStatValue(220, 0);
  EXPECT_NEAR(ang2.MeanXDegrees(), 210, 1e-9);
  ang2.EnterStatValue(300, 0);
  ang2.EnterStatValue(320, 0);
  EXPECT_NEAR(ang2.MeanXDegrees(), 260, 1e-9);
  EXPECT_NEAR(SphereGreatCircleDist(6371, 0, 0, 0, 90), 6371 * M_PI / 2, 1e-9);
  EXPECT_NEAR(SphereGreatCircleDist(1, 10, 20, 10, 20), 0, 1e-7);
  EXPECT_NEAR(SphereGreatCircleDist(1, 90, 0, -90, 0), M_PI, 1e-12);
}

TEST(Math2CurveFit, AscRoundTrip) {
  TCurveFit f(nullptr);
  f.EnterStatValue(1.5, -2.25);
  f.EnterStatValue(3, 4.125);
  f.EnterStatValue(-7.5, 0);
  const std::string fn = TempName("rt.asc");
  EXPECT_EQ(f.ExportAsASC(fn, "two\nlines", 4), "");
  std::ifstream in(fn);
  std::string l1, l2, l3, l4, l5;
  std::getline(in, l1);
  std::getline(in, l2);
  std::getline(in, l3);
  std::getline(in, l4);
  std::getline(in, l5);
  in.close();
  EXPECT_EQ(l1, "two lines");
  EXPECT_EQ(l2, "2\t;nr. of columns");
  EXPECT_EQ(l3, "3\t;nr. of rows");
  EXPECT_EQ(l5, "\"x\"\t\"y\"");
  TCurveFit g(nullptr);
  g.EnterStatValue(99, 99);
  ASSERT_EQ(g.ImportASC(fn), 0);
  ASSERT_EQ(g.NumData(), 3);
  EXPECT_EQ(g.DataX(1), 1.5);
  EXPECT_EQ(g.DataY(2), 4.125);
  EXPECT_EQ(g.DataX(3), -7.5);
  EXPECT_NEAR(g.MeanX(), -1, 1e-15);
  EXPECT_EQ(g.MinX(), -7.5);
  // damaged files
  {
    std::ofstream o(fn, std::ios::trunc);
    o << "c\n2\t;c\n3\t;r\nFALSE TRUE FALSE\t;x\n\"x\"\t\"y\"\n1\t2\n3\tabc\n";
  }
  EXPECT_EQ(g.ImportASC(fn), 250);
  EXPECT_EQ(g.NumData(), 3);  // unchanged
  {
    std::ofstream o(fn, std::ios::trunc);
    o << "c\n3\t;c\n1\t;r\nFALSE TRUE FALSE\t;x\n\"a\" \"b\" \"c\"\n1 2 3\n";
  }
  EXPECT_THROW(g.ImportASC(fn), EZOLMath2Error);
  {
    std::ofstream o(fn, std::ios::trunc);
    o << "c\n2\t;c\n2000000000\t;r\nFALSE TRUE FALSE\t;x\n\"a\" \"b\"\n1 2\n";
  }
  EXPECT_EQ(g.ImportASC(fn), 250);
  std::filesystem::remove(fn);
  EXPECT_NE(g.ImportASC(fn), 0);
}

// ---------------------------------------------------------------- filters
TEST(Math2Filters, DocumentedMovingAverageAndErrors) {
  auto s = VecOf({1, 2, 3, 4, 5});
  TVector d(nullptr);
  d.Resize(5);
  MovingAverageSmooth(s.get(), 1, 5, 3, &d);
  const double want[] = {2, 2, 3, 4, 4};
  for (int i = 1; i <= 5; ++i) EXPECT_DOUBLE_EQ(d.GetVal(i), want[i - 1]);
  try {
    MovingAverageSmooth(s.get(), 1, 5, 4, &d);
    FAIL();
  } catch (const EZOLMath2Error& e) {
    EXPECT_STREQ(e.what(), "MovingAverageSmooth: length of smoothing window must be odd");
  }
  auto big = VecOf(std::vector<double>(40, 1.0));
  try {
    PolynomialSmooth(big.get(), 1, 40, 27, &d);
    FAIL();
  } catch (const EZOLMath2Error& e) {
    EXPECT_STREQ(e.what(), "PolynomialSmooth: length of polynomial is out of range");
  }
  try {
    FirstDeriv(s.get(), 1, 5, 5, &d);
    FAIL();
  } catch (const EZOLMath2Error& e) {
    EXPECT_STREQ(e.what(), "FirstDeriv: specified range for calculation is smaller than the length of the polynomial");
  }
  EXPECT_THROW(WeightedAverageSmooth(nullptr, 1, 5, 3, &d), EZOLMath2Error);
  // weighted average of a line keeps the line inside
  auto l = VecOf({0, 1, 2, 3, 4, 5, 6});
  TVector w(nullptr);
  w.Resize(7);
  WeightedAverageSmooth(l.get(), 1, 7, 5, &w);
  EXPECT_DOUBLE_EQ(w.GetVal(4), 3);
  EXPECT_DOUBLE_EQ(w.GetVal(1), 2);
}

TEST(Math2Filters, SavitzkyGolayMatchesScipy) {
  struct C {
    int w;
    const double* c[3];
  } cases[] = {{5, {kSG5_0, kSG5_1, kSG5_2}},
               {7, {kSG7_0, kSG7_1, kSG7_2}},
               {9, {kSG9_0, kSG9_1, kSG9_2}},
               {11, {kSG11_0, kSG11_1, kSG11_2}},
               {25, {kSG25_0, kSG25_1, kSG25_2}}};
  for (const C& cs : cases)
    for (int d = 0; d < 3; ++d) {
      const std::vector<double> got = SavitzkyGolayCoeffs(cs.w, d);
      for (int i = 0; i < cs.w; ++i) EXPECT_NEAR(got[i], cs.c[d][i], 1e-13) << cs.w << " " << d << " " << i;
    }
  // published integer table for window 5: -3 12 17 12 -3 / 35
  const std::vector<double> w5 = SavitzkyGolayCoeffs(5, 0);
  EXPECT_NEAR(w5[0] * 35, -3, 1e-12);
  EXPECT_NEAR(w5[2] * 35, 17, 1e-12);
  // on a parabola the filters are exact: y = x², y' = 2x, y'' = 2
  std::vector<double> v;
  for (int i = 0; i < 20; ++i) v.push_back(static_cast<double>(i) * i);
  auto s = VecOf(v);
  TVector d(nullptr);
  d.Resize(20);
  PolynomialSmooth(s.get(), 1, 20, 7, &d);
  EXPECT_NEAR(d.GetVal(10), 81, 1e-10);
  FirstDeriv(s.get(), 1, 20, 7, &d);
  EXPECT_NEAR(d.GetVal(10), 18, 1e-10);
  SecondDeriv(s.get(), 1, 20, 9, &d);
  EXPECT_NEAR(d.GetVal(10), 2, 1e-10);
  // sub-range: result starts at Dest position 1
  PolynomialSmooth(s.get(), 5, 15, 5, &d);
  EXPECT_NEAR(d.GetVal(3), 36, 1e-10);  // source position 7
}

// ---------------------------------------------------------------- clustering
TEST(Math2Cluster, KMeansMatchesScipyPartition) {
  auto d = MatOf(kKmData, 24, 2);
  TMatrix centers(nullptr);
  TIntVector assign(nullptr);
  kMeansClustering(d.get(), 0, 0, 3, &centers, &assign);
  ASSERT_EQ(assign.NrOfElem(), 24);
  for (int i = 1; i <= 24; ++i) EXPECT_EQ(assign.GetVal(i) - 1, static_cast<int>(kKmLabels[i - 1])) << i;
  for (int k = 1; k <= 3; ++k)
    for (int c = 1; c <= 2; ++c) EXPECT_NEAR(centers.GetVal(c, k), kKmCenters[(k - 1) * 2 + c - 1], 1e-12);
  EXPECT_THROW(kMeansClustering(d.get(), 0, 0, 25, &centers, &assign), EZOLMath2Error);
  int calls = 0;
  MathFeedBackProc = [&](int32_t) {
    ++calls;
    AbortMathProc = true;
  };
  EXPECT_NO_THROW(kMeansClustering(d.get(), 0, 0, 3, &centers, &assign));
  EXPECT_EQ(calls, 1);
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
}

TEST(Math2Cluster, AgglomerativeHeightsMatchLinkage) {
  auto d = MatOf(kHcData, 10, 2);
  struct C {
    TClusterMethod m;
    TDistMode dm;
    const double* h;
  } cases[] = {{cmSingleLink, dmEuclid, kHc_single},
               {cmCompleteLink, dmEuclid, kHc_complete},
               {cmUpgma, dmEuclid, kHc_average},
               {cmWard, dmEuclidSqr, kHc_ward}};
  for (const C& cs : cases) {
    TIntMatrix merges(nullptr);
    TVector heights(nullptr), pos(nullptr);
    ASSERT_EQ(AgglomClustering(nullptr, d.get(), cs.dm, cs.m, 0.5, &merges, &heights, &pos, nullptr, nullptr), 0);
    ASSERT_EQ(heights.NrOfElem(), 9);
    for (int k = 1; k <= 9; ++k) EXPECT_NEAR(heights.GetVal(k), cs.h[k - 1], 1e-10) << cs.m << " " << k;
    EXPECT_EQ(merges.GetVal(3, 9), 19);
    // leaves occupy the places 1..10 once each
    std::set<double> places;
    for (int i = 1; i <= 10; ++i) places.insert(pos.GetVal(i));
    EXPECT_EQ(places.size(), 10u);
    EXPECT_EQ(*places.begin(), 1);
    EXPECT_EQ(*places.rbegin(), 10);
  }
  // abort through the feedback
  TIntMatrix merges(nullptr);
  TVector heights(nullptr), pos(nullptr);
  int calls = 0;
  auto fb = [&](TObject*, int, double) {
    if (++calls == 3) AbortMathProc = true;
  };
  EXPECT_EQ(AgglomClustering(nullptr, d.get(), dmEuclid, cmSingleLink, 0.5, &merges, &heights, &pos, fb, nullptr),
            -1);
  AbortMathProc = false;
  EXPECT_EQ(merges.GetVal(1, 1), 0);
  EXPECT_EQ(heights.GetVal(1), 0);
}

// ---------------------------------------------------------------- neighbours
TEST(Math2Knn, NeighboursMatchKdTree) {
  auto d = MatOf(kHcData, 10, 2);
  auto q = VecOf({0.1, -0.2});
  TMatrix nb(nullptr);
  FindNearestNeighbors(4, d.get(), 1, 10, q.get(), &nb);
  ASSERT_EQ(nb.NrOfRows(), 4);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(nb.GetVal(1, i), kKnnIdx[i - 1]);
    EXPECT_NEAR(nb.GetVal(2, i), kKnnDist[i - 1], 1e-12);
  }
  // estimates from the four neighbours
  TVector targets(nullptr);
  targets.Resize(10);
  for (int i = 1; i <= 10; ++i) targets.SetVal(i, i * 10);
  double est, md;
  EstimateByKNN(d.get(), &targets, 4, kwmAverage, 1, q.get(), est, md);
  EXPECT_NEAR(md, (kKnnDist[0] + kKnnDist[1] + kKnnDist[2] + kKnnDist[3]) / 4, 1e-12);
  EXPECT_NEAR(est, (kKnnIdx[0] + kKnnIdx[1] + kKnnIdx[2] + kKnnIdx[3]) * 10 / 4, 1e-12);
  EstimateByKNN(d.get(), &targets, 1, kwmGauss, 1, q.get(), est, md);
  EXPECT_NEAR(est, kKnnIdx[0] * 10, 1e-12);
  // mean distance to the K nearest including the object itself
  TMatrix line(nullptr);
  line.Resize(1, 4);
  for (int i = 1; i <= 4; ++i) line.SetVal(1, i, i * i);  // 1 4 9 16
  TVector res(nullptr);
  MeanDistanceKNN(&line, 2, 1, 4, &res);
  EXPECT_DOUBLE_EQ(res.GetVal(1), 1.5);
  EXPECT_DOUBLE_EQ(res.GetVal(3), 2.5);
  EXPECT_DOUBLE_EQ(res.GetVal(4), 3.5);
  auto a = VecOf({1, 2}), b = VecOf({1, 3});
  EXPECT_NEAR(CalcGaussKernel(a.get(), b.get(), 2), std::exp(-0.25), 1e-15);
  EXPECT_NEAR(CalcGaussKernel(a.get(), b.get(), 0.01), std::exp(-20.0), 1e-20);
}

// ---------------------------------------------------------------- images
TEST(Math2Image, CorrelationAndBounds) {
  TBitmap a, b;
  a.SetSize(6, 5);
  b.SetSize(6, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      a.ScanLine(y)[x] = 0xFF000000u | static_cast<uint32_t>((x * 40) << 16) | static_cast<uint32_t>(y * 30);
      b.ScanLine(y)[x] = 0xFF000000u | static_cast<uint32_t>((255 - x * 40) << 16) | static_cast<uint32_t>(y * 30);
    }
  EXPECT_NEAR(CalcImgCorrelation(&a, &b, TRect(0, 0, 5, 4), TRect(0, 0, 5, 4), icmRed), -1, 1e-12);
  EXPECT_NEAR(CalcImgCorrelation(&a, &b, TRect(0, 0, 5, 4), TRect(0, 0, 5, 4), icmBlue), 1, 1e-12);
  EXPECT_THROW(CalcImgCorrelation(&a, &b, TRect(0, 0, 5, 4), TRect(0, 0, 4, 4), icmRed), EZOLMath2Error);
  EXPECT_THROW(CalcImgCorrelation(&a, &b, TRect(1, 0, 6, 4), TRect(0, 0, 5, 4), icmRed), EZOLMath2Error);
}

// ---------------------------------------------------------------- plane geometry
TEST(Math2Geometry, PolygonsAndHull) {
  const TPointDoubleArray sq = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  EXPECT_DOUBLE_EQ(PolygonArea(sq), 1);
  const TPointDoubleArray cw(sq.rbegin(), sq.rend());
  EXPECT_DOUBLE_EQ(PolygonArea(cw), -1);
  EXPECT_TRUE(PointIsInsidePolygon(0.5, 0.5, sq));
  EXPECT_FALSE(PointIsInsidePolygon(1.5, 0.5, sq));
  EXPECT_TRUE(PointIsInsideConvexHull(0.5, 0.5, sq));
  EXPECT_FALSE(PointIsInsideConvexHull(0.5, 0.5, cw));
  EXPECT_FALSE(PointIsInsideConvexHull(1.0, 0.5, sq));  // on an edge
  // three points given clockwise come back counter-clockwise
  const TPointDoubleArray tri = {{0, 0}, {0, 1}, {1, 0}};
  const TPointDoubleArray th = Convex2DHull(tri);
  ASSERT_EQ(th.size(), 3u);
  EXPECT_GT(PolygonArea(th), 0);
  // random cloud against the reference hull
  TPointDoubleArray pts;
  for (int i = 0; i < 30; ++i) pts.push_back({kHullPts[2 * i], kHullPts[2 * i + 1]});
  const TPointDoubleArray h = Convex2DHull(pts);
  const size_t nref = sizeof(kHullIdx) / sizeof(kHullIdx[0]);
  ASSERT_EQ(h.size(), nref);
  // same cyclic sequence (both counter-clockwise)
  size_t start = nref;
  for (size_t i = 0; i < nref; ++i) {
    const TPointDouble& p = pts[static_cast<size_t>(kHullIdx[i]) - 1];
    if (p.X == h[0].X && p.Y == h[0].Y) start = i;
  }
  ASSERT_LT(start, nref);
  for (size_t i = 0; i < nref; ++i) {
    const TPointDouble& p = pts[static_cast<size_t>(kHullIdx[(start + i) % nref]) - 1];
    EXPECT_EQ(h[i].X, p.X);
    EXPECT_EQ(h[i].Y, p.Y);
  }
  EXPECT_GT(PolygonArea(h), 0);
  for (const TPointDouble& p : pts)
    if (std::none_of(h.begin(), h.end(), [&](const TPointDouble& q) { return q.X == p.X && q.Y == p.Y; })) {
      EXPECT_TRUE(PointIsInsideConvexHull(p.X, p.Y, h));
    }
  // collinear points on an edge are dropped
  const TPointDoubleArray withMid = {{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}};
  EXPECT_EQ(Convex2DHull(withMid).size(), 4u);
}

// ---------------------------------------------------------------- pseudo-inverse and eigen solver
TEST(Math2Algebra, PseudoInverseSatisfiesPenroseConditions) {
  // rank-deficient 4 × 3 (column 3 = column 1 + column 2)
  const double a[] = {1, 2, 3, 4, 0, 4, -1, 5, 4, 2, 2, 4};
  auto m = MatOf(a, 4, 3);
  TMatrix p(nullptr), ap(nullptr), apa(nullptr), pa(nullptr), pap(nullptr);
  ASSERT_TRUE(PseudoInverse(m.get(), &p, 0));
  ASSERT_EQ(p.NrOfColumns(), 4);
  ASSERT_EQ(p.NrOfRows(), 3);
  pa.Resize(3, 3);
  apa.Resize(3, 4);
  pap.Resize(4, 3);
  ASSERT_TRUE(p.Multiply(m.get(), &pa));   // P·A (3 × 3)
  ASSERT_TRUE(m->Multiply(&pa, &apa));    // A·P·A
  ASSERT_TRUE(pa.Multiply(&p, &pap));     // P·A·P
  for (int r = 1; r <= 4; ++r)
    for (int c = 1; c <= 3; ++c) EXPECT_NEAR(apa.GetVal(c, r), m->GetVal(c, r), 1e-10);
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 4; ++c) EXPECT_NEAR(pap.GetVal(c, r), p.GetVal(c, r), 1e-10);
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) EXPECT_NEAR(pa.GetVal(c, r), pa.GetVal(r, c), 1e-10);  // symmetric
}

TEST(Math2Algebra, JacobiEigenpairsOfLargerMatrix) {
  const int n = 12;
  TMatrix s(nullptr);
  s.Resize(n, n);
  for (int i = 1; i <= n; ++i)
    for (int j = i; j <= n; ++j) {
      const double v = std::sin(i * 1.3 + j * 0.7) + (i == j ? 3.0 * i : 0.0);
      s.SetVal(i, j, v);
      s.SetVal(j, i, v);
    }
  std::vector<double> val, vec;
  ASSERT_TRUE(CalcEigVec(&s, val, vec));
  double trace = 0, sum = 0;
  for (int i = 1; i <= n; ++i) trace += s.GetVal(i, i);
  for (int k = 0; k < n; ++k) {
    sum += val[k];
    for (int i = 0; i < n; ++i) {
      double av = 0;
      for (int j = 0; j < n; ++j) av += s.GetVal(j + 1, i + 1) * vec[k * n + j];
      EXPECT_NEAR(av, val[k] * vec[k * n + i], 1e-10);
    }
  }
  EXPECT_NEAR(sum, trace, 1e-10);
}
