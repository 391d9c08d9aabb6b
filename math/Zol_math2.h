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
  bool FSplineValid = false;
  mutable bool FRankValid = false;
  mutable int64_t FRankC = 0, FRankD = 0, FRankTy = 0, FRankTx = 0;
};

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
