// Zol_math2: covariance matrices and principal components, the curve-fitting
// component TCurveFit, smoothing and derivative filters, clustering,
// nearest-neighbour routines and plane geometry.
//
// Notes on numerics:
//  - Variances, covariances and correlations are computed in two passes
//    (means first, then centred sums), so they never go negative and do not
//    lose their digits on data with a large offset.
//  - With a single observation the divisor n − 1 is taken as 1, so one object
//    gives a zero covariance matrix (and PCA eigenvalues 0) instead of 0/0.
//  - Rank correlations answer 0 (Kendall's probability 1) when they are not
//    defined: fewer than 3 pairs or a variable whose values are all tied.
//  - Circular means are atan2-based and lie in [0, 360).
//  - The ASC exchange writes and reads quoted column names ("x" and "y").
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_graphics.h"
#include "math/Zol_matrix.h"
#include "math/Zol_vector.h"

namespace zol {

class EZOLMath2Error : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

// A point of the plane (y axis up for the orientation rules below).
struct TPointDouble {
  double X = 0;
  double Y = 0;
};
using TPointDoubleArray = std::vector<TPointDouble>;

// ---------------------------------------------------------------- covariance and PCA
// Association matrix of columns FirstCol..LastCol over rows FirstRow..LastRow
// written into Covar[j, k] (variables numbered from 1).  Mode 0 cross
// products, 1 covariance, 2 correlation (diagonal 1), 3 squared correlation,
// 4 mean squared difference, others 0.  False when Covar is too small, the
// ranges are empty, or the run was aborted through AbortMathProc.
bool CalcCovar(const TMatrix* Data, TMatrix* Covar, int FirstCol, int LastCol, int FirstRow, int LastRow, int Mode);

// Eigenvalues and eigenvectors of the symmetric NV × NV matrix Mat (only read)
// by cyclic Jacobi rotations.  EigVal receives NV values, EigVec NV·NV values,
// eigenvector k in EigVec[(k − 1)·NV .. k·NV − 1].  False for more than 10000
// variables, on abort or when the rotations do not converge.
bool CalcEigVec(const TMatrix* Mat, std::vector<double>& EigVal, std::vector<double>& EigVec);

// Principal components (see CalcCovar for Mode: 1 covariance, 2 correlation).
// The result is module-wide and read through GetEigenResult/GetEigenSize.
bool CalcPrincComp(const TMatrix* Data, int FirstCol, int LastCol, int FirstRow, int LastRow, int Mode,
                   bool RelativeEigenValues);
bool CalcPrincComp(const TMatrix* Data, int FirstCol, int LastCol, int FirstRow, int LastRow, int Mode);
// Item 0: eigenvalue Index; Item k >= 1: component k of eigenvector Index;
// 0 outside the result.
double GetEigenResult(int Index, int Item);
int GetEigenSize();
void RemoveEigenMatrix();

// Moore-Penrose pseudo-inverse of A (unchanged) into PInv (A's rows ×
// A's columns swapped).  Threshold 0: max(n, m)·w_max·1.2e-16.  False when
// the singular value decomposition does not converge.
bool PseudoInverse(const TMatrix* A, TMatrix* PInv, double Threshold);

// Great-circle distance on a sphere, angles in degrees.
double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2);

// ---------------------------------------------------------------- TCurveFit
class TCurveFit : public TComponent {
 public:
  explicit TCurveFit(TComponent* AOwner);
  ~TCurveFit() override;

  void Init();
  void EnterStatValue(double x, double y);
  void RemoveStatValue(int i);
  int NumData() const { return FNumData; }
  double GetDataX(int i) const;
  double GetDataY(int i) const;
  double DataX(int i) const { return GetDataX(i); }
  double DataY(int i) const { return GetDataY(i); }

  // Validity flags of the running sums.
  bool XLogInvalid() const { return FXLogInvalid; }
  bool YLogInvalid() const { return FYLogInvalid; }
  bool XRecipInvalid() const { return FXRecipInvalid; }
  bool YRecipInvalid() const { return FYRecipInvalid; }
  double MinX() const { return FMinX; }
  double MaxX() const { return FMaxX; }
  double MinY() const { return FMinY; }
  double MaxY() const { return FMaxY; }

  // Running sums (extended precision), for callers building their own fits.
  struct TSums {
    long double x, y, x2, y2, diff, diff2, xy, x2y, xy2, x3, y3, x4, y4;
    long double rY, rXY, rY2, xDivY, rX, rX2, yDivX;
    long double lnX, lnX2, yLnX, xLnX, lnXDivY, lnXLnY, lnY, lnY2, xLnY, x2LnY;
  };
  const TSums& Sums() const { return FSums; }

  void CalcStatistics(int& NumData, double& MeanX, double& MeanY, double& StdDevX, double& StdDevY,
                      double& MeanDiff, double& StdDevDiff, double& rxy) const;
  void CalcLinFit(double& k, double& d, double& FitQual) const;
  void CalcParabolFit(double& a, double& b, double& c, double& FitQual) const;
  bool CalcPolyFit(int Degree, std::vector<double>& Coeffs, double& FitQual, bool& Truncated) const;
  bool CalcCenteredPolyFit(int Degree, std::vector<double>& Coeffs, double& XCenter, double& FitQual,
                           bool& Truncated) const;
  void CalcAnovaReg(int NumPred, bool Intercept, int& dfReg, int& dfRes, int& dfTot, double& SSRes, double& SSReg,
                    double& SSTot, double& MSRes, double& MSReg, double& F) const;
  void CalcCircleFit(double& Radius, double& CenterX, double& CenterY) const;

  // Linearisable fits from the running sums: a straight line is fitted to
  // transformed values u(x), v(y) by least squares, and FitQual is the squared
  // correlation of u and v (the line's coefficient of determination in the
  // transformed coordinates).  Fewer than 2 pairs (3 for the three-parameter
  // models) raise "<name>: not enough data points"; data the transformation
  // cannot take (a logarithm of a value <= 0, a reciprocal of a value within
  // 1e-30 of zero) or a degenerate system raise "<name>: data not suitable for
  // this model".
  void CalcReciLinFit(double& k, double& d, double& FitQual) const;       // y = 1/(k·x + d)
  void CalcHyperbolFit(double& k, double& d, double& FitQual) const;      // y = k/x + d
  void CalcReciHyperbolFit(double& k, double& d, double& FitQual) const;  // y = 1/(k/x + d)
  void CalcLogFit(double& k, double& d, double& FitQual) const;           // y = k·ln x + d
  void CalcReciLogFit(double& k, double& d, double& FitQual) const;       // y = 1/(k·ln x + d)
  void CalcPowerFit(double& k, double& d, double& FitQual) const;         // y = d·x^k
  void CalcExponentialFit(double& k, double& d, double& FitQual) const;   // y = d·e^(k·x)
  // y = a·b^x·x^c (ln y linear in x and ln x).
  void CalcHoerlFit(double& a, double& b, double& c, double& FitQual) const;
  // y = a·exp(−(x − b)²/(2c²)) (ln y quadratic in x; c > 0).  A fitted
  // parabola that does not open downwards is no Gaussian: "not suitable".
  void CalcGaussFit(double& a, double& b, double& c, double& FitQual) const;

  // Splines through the stored pairs, sorted by x (pairs of equal x merged,
  // their y averaged), built on first use and kept until the data or the
  // spline settings change.
  // CubicSpline: the interpolating cubic spline; each end natural (second
  // derivative 0: Natural1, NaturalN) or clamped to the slope Y1Dash, YNDash.
  // Beyond the ends the end pieces are continued.  With a single distinct x
  // the spline is that y; without pairs 0.
  double CubicSpline(double x) const;
  // SmoothedSpline: the cubic smoothing spline minimising
  // p·Σ(y − f(x))² + (1 − p)·∫f''² with p = SplineSmoothing clamped to [0, 1]
  // (p = 1 interpolates, p = 0 is the least-squares line): PenalizedCubicSpline
  // with Lambda = (1 − p)/p.  Valid is false with fewer than 2 distinct x.
  void SmoothedSpline(double x, double& y, bool& Valid) const;

  double MeanX() const;
  double MeanY() const;
  double MeanDiff() const;
  double StdDevX() const;
  double StdDevY() const;
  double StdDevDiff() const;
  double Rxy() const;
  double SkewnessX() const;
  double SkewnessY() const;
  double KurtosisX() const;
  double KurtosisY() const;
  void QuartilesX(double& Q1, double& Q2, double& Q3) const;
  void QuartilesY(double& Q1, double& Q2, double& Q3) const;
  // Circular mean in degrees of column 1 (x) or 2 (y), in [0, 360).
  double CalcMeanDegrees(int Column) const;
  double MeanXDegrees() const { return CalcMeanDegrees(1); }
  double MeanYDegrees() const { return CalcMeanDegrees(2); }

  // Concordant, discordant, tied-in-y-only, tied-in-x-only pair counts.
  void BasicRankCounts(int64_t& C, int64_t& D, int64_t& Ty, int64_t& Tx) const;
  double KendallsTau(double& Prob) const;
  double KendallsTau() const;
  double KruskalGamma() const;
  double Spearman() const;

  std::string ExportAsASC(const std::string& FileName, const std::string& Comment, int Precision) const;
  int ImportASC(const std::string& FileName);

  // Spline settings (kept for the spline read-outs).
  bool Natural1() const { return FNatural1; }
  void SetNatural1(bool v);
  bool NaturalN() const { return FNaturalN; }
  void SetNaturalN(bool v);
  double Y1Dash() const { return FY1Dash; }
  void SetY1Dash(double v);
  double YNDash() const { return FYNDash; }
  void SetYNDash(double v);
  double SplineSmoothing() const { return FSplineSmoothing; }
  void SetSplineSmoothing(double v);

 private:
  void AddToSums(double x, double y);
  void RebuildSums();
  void DataChanged();
  std::vector<double> Column(int c) const;
  bool SolveDesign(int Degree, const std::vector<double>& u, const std::vector<double>& b, std::vector<double>& c,
                   bool& Truncated) const;

  TMatrix* FData = nullptr;  // owned by this component
  int FNumData = 0;
  TSums FSums{};
  bool FXLogInvalid = false, FYLogInvalid = false, FXRecipInvalid = false, FYRecipInvalid = false;
  double FMinX = 1.7e308, FMaxX = -1.7e308, FMinY = 1.7e308, FMaxY = -1.7e308;
  bool FNatural1 = true, FNaturalN = true;
  double FY1Dash = 0, FYNDash = 0, FSplineSmoothing = 0.5;
  mutable bool FSplineValid = false;
  mutable bool FSmoothValid = false;
  // Spline nodes (distinct x), values and second derivatives.
  mutable std::vector<double> FSplX, FSplY, FSplD2, FSmX, FSmY, FSmD2;
  void LineFit(const char* Name, long double su, long double sv, long double suu, long double suv, long double svv,
               bool Invalid, double& k, double& d, double& FitQual) const;
  void Fit3(const char* Name, const long double S[3][3], const long double r[3], long double svv, long double sv,
            bool Invalid, double c[3], double& FitQual) const;
  void Nodes(std::vector<double>& x, std::vector<double>& y) const;
  mutable bool FRankValid = false;
  mutable int64_t FRankC = 0, FRankD = 0, FRankTy = 0, FRankTx = 0;
};

// ---------------------------------------------------------------- least squares and regression
// The singular value decomposition of A (unchanged; n columns × m rows):
// A = U·diag(W)·Vᵀ (as TMatrix::SingularValueDecomposition).  False when it
// does not converge.
bool SingValDecomp(const TMatrix* A, TMatrix* U, TVector* W, TMatrix* V);
// Least-squares solution of A·x = B (A n columns × m rows, B m values)
// through the singular value decomposition: singular values below 1e-14 of
// the largest are taken as 0 (Truncated tells), giving the minimum-norm
// solution.  X receives n values, StdErr (may be nullptr) the standard error
// factor √(Σ V_lk²/w_k²) of each.  False when the decomposition does not
// converge or the sizes do not match.
bool SingValEquSolve(const TMatrix* A, const TVector* B, TVector* X, TVector* StdErr, bool& Truncated);
// Multiple linear regression of Y on the columns of X (one row per
// observation): Coeffs[0] the intercept (0 without Intercept), Coeffs[k] the
// coefficient of column k; RSqr the coefficient of determination (about the
// mean with Intercept, about 0 without).  False when sizes do not match, there
// are no observations, or the solver fails.
bool MultiLinReg(const TMatrix* X, const TVector* Y, bool Intercept, std::vector<double>& Coeffs, double& RSqr);
// Ridge regression: minimises Σ(y − b0 − Σ b_k x_k)² + Lambda·Σ b_k² (the
// intercept b0 is not penalised): Coeffs[0] = b0, Coeffs[k] = b_k in the units
// of the data.  False for Lambda < 0, mismatched sizes or a singular system.
bool RidgeReg(const TMatrix* X, const TVector* Y, double Lambda, std::vector<double>& Coeffs);
// The same on standardised predictors (each column centred and divided by its
// sample standard deviation; a constant column keeps coefficient 0):
// Coeffs[k] the coefficients of the standardised columns, Coeffs[0] the mean
// of y.
bool RidgeRegStd(const TMatrix* X, const TVector* Y, double Lambda, std::vector<double>& Coeffs);
// Partial least squares by the SIMPLS algorithm (S. de Jong, Chemometrics and
// Intelligent Laboratory Systems 18 (1993) 251-263) with NumLV latent
// variables: X (p columns × n rows) predicts Y (m columns × n rows).  B
// receives the p × m regression coefficients (column j for response j, row k
// for predictor k) and Intercept the m values ȳ − x̄·B.  False when sizes do
// not match or NumLV is outside 1..min(p, n − 1).
bool SimPLS(const TMatrix* X, const TMatrix* Y, int NumLV, TMatrix* B, TVector* Intercept);
// Cubic smoothing spline (C. H. Reinsch, Numer. Math. 10 (1967) 177-183, in
// the matrix form of Green & Silverman, 1994): minimises
// Σ(Y_i − f(X_i))² + Lambda·∫f''² over natural cubic splines with knots at X
// (strictly increasing, at least 3 values; Lambda >= 0).  Fitted receives
// f(X_i), SecondDeriv f'' at the knots (0 at both ends).  False otherwise.
bool PenalizedCubicSpline(const TVector* X, const TVector* Y, double Lambda, TVector* Fitted, TVector* SecondDeriv);

// ---------------------------------------------------------------- smoothing filters
void MovingAverageSmooth(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest);
void WeightedAverageSmooth(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest);
void PolynomialSmooth(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest);
void FirstDeriv(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest);
void SecondDeriv(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest);
// Savitzky-Golay weights (quadratic fit) for a window of 2h + 1 points,
// Deriv 0..2, for the values at offsets −h..h; derivatives per sample step.
std::vector<double> SavitzkyGolayCoeffs(int WindowLen, int Deriv);

// ---------------------------------------------------------------- clustering
// Starting centres for clustering the rows of Data by farthest-first
// traversal (T. F. Gonzalez, Theoretical Computer Science 38 (1985) 293-306):
// the first centre is the row nearest to the mean of all rows, each further
// one the row farthest (squared Euclidean distance) from the centres chosen
// so far (the first such row on ties).  The maximal distance of a row to its
// nearest centre is at most twice the best possible with NumClusters centres.
// Centers receives the rows (Data's columns × NumClusters rows), Rows (may be
// nullptr) their row numbers.  False when NumClusters is outside
// 1..NrOfRows.
bool FindCenters(const TMatrix* Data, int NumClusters, TMatrix* Centers, TIntVector* Rows);
// Rows of Data into NumClusters clusters (1-based numbers in Assignment; the
// first NumClusters rows of Centers hold the centres).  Each iteration
// advances ProcStat; AbortMathProc ends the run early without an error.
void kMeansClustering(const TMatrix* Data, int Unused1, int Unused2, int NumClusters, TMatrix* Centers,
                      TIntVector* Assignment);

enum TClusterMethod { cmSingleLink, cmCompleteLink, cmWard, cmAvgLink, cmFlexLink, cmUpgma };
using TClusterFeedback = std::function<void(TObject* Sender, int ProcStat, double Percent)>;
int AgglomClustering(TObject* Sender, TMatrix* Data, TDistMode DistMode, TClusterMethod Method, double FlexAlpha,
                     TIntMatrix* Merges, TVector* Heights, TVector* Positions, TClusterFeedback Feedback,
                     TOnCalcDistanceEvent UserDistance);

// ---------------------------------------------------------------- nearest neighbours
using TKnnDistFunc = std::function<double(int Obj)>;
void FindNearestNeighbors(int k, const TMatrix* Data, int FirstObj, int LastObj, const TVector* Query,
                          TMatrix* Neighbors, TKnnDistFunc DistFunc = nullptr);
void MeanDistanceKNN(const TMatrix* Data, int K, int FirstObj, int LastObj, TVector* Result);
enum TKnnWMode { kwmGauss, kwmAverage, kwmMedian, kwmLinear };
void EstimateByKNN(const TMatrix* Data, const TVector* Targets, int K, TKnnWMode WeightMode, double KernelWidth,
                   const TVector* Query, double& Estimate, double& MeanDist);
double CalcGaussKernel(const TVector* V1, const TVector* V2, double Width);
double CalcGaussKernelMat(const TVector* V, const TMatrix* M, int Row, double Width);
// CalcFishQ (Fisher's separation quotient) is declared in math/Zol_statis.h.

// ---------------------------------------------------------------- images
enum TImgCompareMode { icmRed, icmBlue, icmGreen, icmHue, icmLightness, icmSaturation, icmGrayValues };
// Areas include both ends; both must lie inside their bitmaps.
double CalcImgCorrelation(const TBitmap* Img1, const TBitmap* Img2, const TRect& Area1, const TRect& Area2,
                          TImgCompareMode Mode);

// ---------------------------------------------------------------- plane geometry
bool PointIsInsidePolygon(double x, double y, const TPointDoubleArray& Polygon);
double PolygonArea(const TPointDoubleArray& Polygon);
bool PointIsInsideConvexHull(double x, double y, const TPointDoubleArray& Hull);
TPointDoubleArray Convex2DHull(const TPointDoubleArray& Points);

}  // namespace zol
