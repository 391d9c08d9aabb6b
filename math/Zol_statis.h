// Statistical distributions and tests: normal, t, chi-square, F and
// Mann-Whitney U distributions with their quantiles, the incomplete gamma and
// beta functions, binomial and hypergeometric terms, outlier tests (Grubbs,
// Dean-Dixon), normality tests (Kolmogorov-Smirnov, Lilliefors,
// Shapiro-Wilk), two-sample tests, a kernel density estimator, the tabulated
// random generator TRandGen and the cross-validation driver TCrossValidator.
//
// Accuracy: the distribution functions and quantiles are computed to about
// 1e-13 relative to the smaller of the two tail probabilities (lower and
// upper), so quantiles far out in a tail (p = 1e-10, p = 1 - 1e-10) are as
// accurate as central ones.  LnGamma alone keeps its six-term series (absolute
// error below 2e-10); the other routines use the full-precision log-gamma of
// the C library.
//
// Functions return 0 (or the neutral value stated) for arguments outside their
// domain; quantiles return 0 unless 0 < p < 1.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "math/Zol_matrix.h"
#include "math/Zol_vector.h"

namespace zol {

class EZOLStatisError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TSignifLevel { Dot20, Dot15, Dot10, Dot05, Dot01 };
enum TSignifLevelEx { Dot001, Dot002, Dot005, Dot010, Dot020, Dot050, Dot100, Dot200, Dot500 };
enum TtTestVersion { ttPaired, ttHomoScedastic, ttHeteroScedastic };

// ---------------------------------------------------------------- distribution functions
double nDistriDensity(double x);
double nDistriIntegral(double x);
double nDistriQuantile(double p);
double Erf(double x);
double ErfApprox(double x);
// Regularised lower incomplete gamma P(a, x): note the argument order.
double IncompleteGamma(double x, double a);
// Regularised incomplete beta I_x(a, b).
double IncompleteBeta(double x, double a, double b);
double LnGamma(double x);
double LnBeta(double a, double b);
// Exact binomial coefficient; saturates at 2147483647 when the value does not
// fit (from C(34, 16) on).  LnBinomCoeff gives the logarithm for any size.
int BinomCoeff(int n, int k);
double LnBinomCoeff(int n, int k);
double HyperGeoDistriDensity(double p, int npop, int nsample, int k);
double WeibullDensity(double x, double Shape, double Scale);
double FisherTransform(double r);
double FisherTransformInv(double z);
double ConfidenceInterval(double Alpha, double StdDev, int NumData);
// Fisher separation; defined with the clustering routines (Zol_math2), declared
// here as well because it belongs to the statistics routines too.
double CalcFishQ(double Mean1, double Mean2, double StdDev1, double StdDev2);

// Student t (df > 0), chi-square (df > 0) and F (df1, df2 > 0) distributions:
// density, distribution function (lower tail) and quantile.
double tDistriDensity(double x, double df);
double tDistriIntegral(double x, double df);
double tDistriQuantile(double p, double df);
double Chi2DistriDensity(double x, double df);
double chi2DistriIntegral(double x, double df);
double chi2DistriQuantile(double p, double df);
double FDistriDensity(double x, double df1, double df2);
double FDistriIntegral(double x, double df1, double df2);
double FDistriQuantile(double p, double df1, double df2);

// Mann-Whitney U statistic for samples of n1 and n2 values without ties:
// P(U = u), P(U <= u) and the smallest u with P(U <= u) >= p.  Exact (the
// recursion of Mann and Whitney) while n1·n2 <= 6400, else the normal
// approximation with continuity correction.  The exact computation counts
// ProcStat, calls MathFeedBackProc and stops (result -1) when AbortMathProc
// is set.  Invalid sizes (< 1) give 0 (quantile: -1).
double UDistriDensity(double u, int n1, int n2);
double UDistriIntegral(double u, int n1, int n2);
int UDistriQuantile(double p, int n1, int n2);

// ---------------------------------------------------------------- tests
int GrubbsTest(std::span<const double> Data, double Alpha, double& MaxDev);
double GrubbsCriticalValues(int n, bool TwoSided, double Alpha);
int DeanDixonTest(std::span<const double> Data, TSignifLevelEx Level, double& Statistic);
double DeanDixonCriticalValues(int n, TSignifLevelEx Level);
// Data is sorted ascending in place unless IsSorted.
double PerformKSNormalityTest(std::span<double> Data, bool IsSorted);
// KS statistic of the data standardised with their own mean and standard
// deviation; Data is sorted in place unless IsSorted.  Fewer than 2 values or
// no spread: 0.
double PerformLillieforsTest(std::span<double> Data, bool IsSorted);
double LillieforsPValue(int n, double D);
double LillieforsQuantile(int n, double p);
double KSPValue(int n, double D);
double KSQuantile(int n, TSignifLevel Level);
double KolmogSmir1SampleTestStat(int n, TSignifLevel Level);
int WilcoxonSRQuantile(int n, double p, bool TwoSided);
// Shapiro-Wilk W of the data (3..5000 values, sorted in a copy) and its
// p-value; data without spread give W = 1, p = 1.  "ShapiroWilkTest: number
// of data points is too low" / "... too high" otherwise.
double ShapiroWilkTest(std::span<const double> Data, double& PValue);
// p-value (upper tail) of W for n values, n = 3..5000; -1 otherwise.
double ShapiroWilkIntegral(int n, double W);
// Two-sided p-value of the two-sample t test; t and the degrees of freedom
// (Welch-Satterthwaite for ttHeteroScedastic) are returned too.  ttPaired
// needs samples of equal size.  Too few values or no spread: p = 1, t = 0.
double Perform2SampleTTest(std::span<const double> Data1, std::span<const double> Data2, TtTestVersion Version,
                           double& t, double& df);
// Two-sided p-value of the Mann-Whitney U test.  U is the statistic of
// Data1 (pairs x > y, ties counting ½), z the normal deviate with tie and
// continuity correction; the p-value is exact without ties when the exact
// distribution is available, else from z.
double PerformMannWhitneyUTest(std::span<const double> Data1, std::span<const double> Data2, double& U,
                               double& z);
// Kernel density estimate (see the unit's notes); DensFunc must not be null.
// Counts ProcStat, calls MathFeedBackProc; AbortMathProc stops it, the rest of
// DensFunc then stays 0.
void EstimateProbDensity(std::span<double> Data, TVector* DensFunc, double RangeLow, double RangeHigh,
                         double Scale, double Window, int NumSteps, int& MinIdx, int& MaxIdx,
                         const std::function<void(int Percent)>& Feedback = nullptr);
// The text of the <comment> element of the first <plsmodel> record (signature
// attribute "ZOLCSuite") of a tagged-text file; empty when there is none or
// the file cannot be read.
std::string LoadPLSModelComment(const std::string& FileName);

// ---------------------------------------------------------------- TRandGen
class TRandGen : public TComponent {
 public:
  explicit TRandGen(TComponent* AOwner);

  double LowBorder() const { return FLow; }
  void SetLowBorder(double v) { FLow = v; }
  double HighBorder() const { return FHigh; }
  void SetHighBorder(double v) { FHigh = v; }
  int Resolution() const { return static_cast<int>(FProb.size()); }
  void SetResolution(int v);
  double GetProbability(int i) const;
  void SetProbability(int i, double v);
  double GetLambda(int i) const;
  int IndexOfLambda(double x) const;

  void NormalDistri(double Mean, double StdDev);
  void WeibullDistri(double Shape, double Scale);
  void UniformDistri();
  void tDistri(double df);
  void Chi2Distri(double df);
  void FDistri(double df1, double df2);
  void Normalize();
  bool Standardize();
  double GetRandNum();

 private:
  template <typename F>
  void FillTable(F f);
  double FLow = 0.0, FHigh = 1.0;
  std::vector<double> FProb;
};

// ---------------------------------------------------------------- TCrossValidator
using TOnModelCreateRequestEvent =
    std::function<void(TObject* Sender, int PercentDone, const std::vector<int>& ObjectList, bool& Success)>;
using TOnModelApplyRequestEvent = std::function<void(TObject* Sender, int PercentDone,
                                                     const std::vector<double>& Predictors,
                                                     std::vector<double>& Response)>;

class TCrossValidator : public TComponent {
 public:
  explicit TCrossValidator(TComponent* AOwner);

  TMatrix* XMat() const { return FXMat; }
  void SetXMat(TMatrix* m) { FXMat = m; }
  TMatrix* YMat() const { return FYMat; }
  void SetYMat(TMatrix* m) { FYMat = m; }
  int SizeTestSet() const { return FTestSize; }
  void SetTestSize(int v);
  // Repeated random hold-out validation.  Objects are numbered 1..n.  Fewer
  // than two objects raise "TCrossValidator.Execute: at least two objects are
  // needed"; 100 model builds failing in a row end the run like an abort.
  bool Execute();
  double GetRMSEP(int i) const;
  int NumResponses() const { return static_cast<int>(FErrSum.size()); }

  TOnModelCreateRequestEvent OnModelCreateRequest;
  TOnModelApplyRequestEvent OnModelApplyRequest;
  TOnCheckAbortEvent OnCheckAbort;

 private:
  TMatrix* FXMat = nullptr;
  TMatrix* FYMat = nullptr;
  int FTestSize = 1;
  int FNumObj = 0;
  std::vector<double> FErrSum;
};

}  // namespace zol
