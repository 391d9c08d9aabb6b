#include "math/Zol_math2.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <cmath>
#include <fstream>
#include <limits>
#include <numeric>
#include <sstream>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "base/Zol_filesys.h"
#include "base/Zol_stringl.h"
#include "base/Zol_univconst.h"
#include "base/Zol_zolcolors.h"
#include "base/platform/Zol_sysutils.h"
#include "math/Zol_math1.h"
#include "math/Zol_statis.h"

namespace zol {

namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

void StepProgress() {
  ++ProcStat;
  if (MathFeedBackProc) {
    TMathFeedBackProc cb = MathFeedBackProc;
    cb(ProcStat);
  }
}

// Module-wide result of the last principal component analysis.
std::vector<double> gEigVal;
std::vector<double> gEigVec;  // eigenvector k at [(k − 1)·NV .. k·NV − 1]
int gEigSize = 0;

}  // namespace

// ================================================================ covariance and PCA
bool CalcCovar(const TMatrix* Data, TMatrix* Covar, int FirstCol, int LastCol, int FirstRow, int LastRow, int Mode) {
  AbortMathProc = false;
  if (!Data || !Covar) return false;
  const int nv = LastCol - FirstCol + 1;
  const int n = LastRow - FirstRow + 1;
  if (nv <= 0 || n <= 0) return false;
  if (Covar->NrOfColumns() < nv || Covar->NrOfRows() < nv) return false;
  // One observation: the divisor n − 1 would be 0; take 1 so that centred
  // entries come out 0 instead of 0/0.
  const double div = n > 1 ? n - 1.0 : 1.0;
  std::vector<double> mean(nv, 0.0), var(nv, 0.0);
  if (Mode > 0) {
    // Pass 1: means.
    std::vector<long double> s(nv, 0.0L);
    for (int r = FirstRow; r <= LastRow; ++r) {
      for (int j = 0; j < nv; ++j) s[j] += Data->GetVal(FirstCol + j, r);
      StepProgress();
    }
    for (int j = 0; j < nv; ++j) mean[j] = static_cast<double>(s[j] / n);
    // Variances from centred values (never negative).
    for (int j = 0; j < nv; ++j) {
      long double q = 0;
      for (int r = FirstRow; r <= LastRow; ++r) {
        const double d = Data->GetVal(FirstCol + j, r) - mean[j];
        q += static_cast<long double>(d) * d;
      }
      var[j] = static_cast<double>(q / div);
    }
  }
  for (int k = 0; k < nv; ++k) {
    if (AbortMathProc) return false;
    StepProgress();
    for (int j = 0; j <= k; ++j) {
      long double sum = 0;
      for (int r = FirstRow; r <= LastRow; ++r) {
        const double xj = Data->GetVal(FirstCol + j, r);
        const double xk = Data->GetVal(FirstCol + k, r);
        switch (Mode) {
          case 0: sum += static_cast<long double>(xj) * xk; break;
          case 1:
          case 2:
          case 3: sum += static_cast<long double>(xj - mean[j]) * (xk - mean[k]); break;
          case 4: sum += static_cast<long double>(xj - xk) * (xj - xk); break;
          default: break;
        }
      }
      double v = static_cast<double>(sum / div);
      if (Mode == 2 || Mode == 3) {
        double s = std::sqrt(var[j] * var[k]);
        if (s == 0) s = 1e-38;
        v = v / s;
        if (Mode == 2 && j == k) v = 1.0;
        if (Mode == 3) v = v * v;
      } else if (Mode < 0 || Mode > 4) {
        v = 0;
      }
      Covar->SetVal(j + 1, k + 1, v);
      Covar->SetVal(k + 1, j + 1, v);
    }
  }
  return true;
}

// Cyclic Jacobi rotations for a real symmetric matrix, after H. Rutishauser,
// "The Jacobi method for real symmetric matrices", Numer. Math. 9 (1966)
// 1-10 (Handbook for Automatic Computation II, contribution II/1): threshold
// sweeps over the upper triangle, the rotation angle from the stable
// tan formula, diagonal updates accumulated separately per sweep.
bool CalcEigVec(const TMatrix* Mat, std::vector<double>& EigVal, std::vector<double>& EigVec) {
  if (!Mat) return false;
  const int n = Mat->NrOfColumns();
  if (n < 1 || n > 10000 || Mat->NrOfRows() < n) return false;
  std::vector<double> a, v, b, z;
  try {
    a.assign(static_cast<size_t>(n) * n, 0.0);
    v.assign(static_cast<size_t>(n) * n, 0.0);
    b.assign(n, 0.0);
    z.assign(n, 0.0);
    EigVal.assign(n, 0.0);
  } catch (const std::bad_alloc&) {
    throw EZOLMath2Error("CalcEigVec: not enough memory");
  }
  auto A = [&](int i, int j) -> double& { return a[static_cast<size_t>(i) * n + j]; };
  auto V = [&](int i, int j) -> double& { return v[static_cast<size_t>(i) * n + j]; };  // row i, vector j
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) A(i, j) = Mat->GetVal(j + 1, i + 1);
  for (int i = 0; i < n; ++i) {
    V(i, i) = 1.0;
    b[i] = EigVal[i] = A(i, i);
  }
  bool converged = false;
  for (int sweep = 1; sweep <= 100; ++sweep) {
    double sm = 0;
    for (int p = 0; p < n - 1; ++p)
      for (int q = p + 1; q < n; ++q) sm += std::fabs(A(p, q));
    if (sm == 0.0) {
      converged = true;
      break;
    }
    StepProgress();
    if (AbortMathProc) return false;
    const double tresh = sweep < 4 ? 0.2 * sm / (static_cast<double>(n) * n) : 0.0;
    for (int p = 0; p < n - 1; ++p) {
      for (int q = p + 1; q < n; ++q) {
        const double g = 100.0 * std::fabs(A(p, q));
        if (sweep > 4 && std::fabs(EigVal[p]) + g == std::fabs(EigVal[p]) &&
            std::fabs(EigVal[q]) + g == std::fabs(EigVal[q])) {
          A(p, q) = 0.0;
          continue;
        }
        if (std::fabs(A(p, q)) <= tresh) continue;
        const double h = EigVal[q] - EigVal[p];
        double t;
        if (std::fabs(h) + g == std::fabs(h)) {
          t = A(p, q) / h;
        } else {
          const double theta = 0.5 * h / A(p, q);
          t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
          if (theta < 0) t = -t;
        }
        const double c = 1.0 / std::sqrt(1 + t * t);
        const double s = t * c;
        const double tau = s / (1.0 + c);
        const double hh = t * A(p, q);
        z[p] -= hh;
        z[q] += hh;
        EigVal[p] -= hh;
        EigVal[q] += hh;
        A(p, q) = 0.0;
        auto rot = [&](double& x, double& y) {
          const double gg = x, hv = y;
          x = gg - s * (hv + gg * tau);
          y = hv + s * (gg - hv * tau);
        };
        for (int j = 0; j < p; ++j) rot(A(j, p), A(j, q));
        for (int j = p + 1; j < q; ++j) rot(A(p, j), A(j, q));
        for (int j = q + 1; j < n; ++j) rot(A(p, j), A(q, j));
        for (int j = 0; j < n; ++j) rot(V(j, p), V(j, q));
      }
    }
    for (int p = 0; p < n; ++p) {
      b[p] += z[p];
      EigVal[p] = b[p];
      z[p] = 0.0;
    }
  }
  if (!converged) return false;
  EigVec.assign(static_cast<size_t>(n) * n, 0.0);
  for (int k = 0; k < n; ++k)
    for (int i = 0; i < n; ++i) EigVec[static_cast<size_t>(k) * n + i] = V(i, k);
  return true;
}

bool CalcPrincComp(const TMatrix* Data, int FirstCol, int LastCol, int FirstRow, int LastRow, int Mode,
                   bool RelativeEigenValues) {
  const int nv = LastCol - FirstCol + 1;
  if (!Data || nv <= 0 || nv > 10000) return false;
  TMatrix work(nullptr);
  if (!work.Resize(nv, nv)) return false;
  if (!CalcCovar(Data, &work, FirstCol, LastCol, FirstRow, LastRow, Mode)) return false;
  std::vector<double> val, vec;
  if (!CalcEigVec(&work, val, vec)) return false;
  if (RelativeEigenValues) {
    double s = 0;
    for (double x : val) s += std::fabs(x);
    if (s != 0)
      for (double& x : val) x /= s;
  }
  for (int i = 0; i < nv; ++i) {
    int best = i;
    for (int j = i + 1; j < nv; ++j)
      if (val[j] > val[best]) best = j;
    if (best != i) {
      std::swap(val[i], val[best]);
      std::swap_ranges(vec.begin() + static_cast<ptrdiff_t>(i) * nv, vec.begin() + static_cast<ptrdiff_t>(i + 1) * nv,
                       vec.begin() + static_cast<ptrdiff_t>(best) * nv);
    }
  }
  gEigVal = std::move(val);
  gEigVec = std::move(vec);
  gEigSize = nv;
  return true;
}

bool CalcPrincComp(const TMatrix* Data, int FirstCol, int LastCol, int FirstRow, int LastRow, int Mode) {
  return CalcPrincComp(Data, FirstCol, LastCol, FirstRow, LastRow, Mode, true);
}

double GetEigenResult(int Index, int Item) {
  if (Index < 1 || Index > gEigSize || Item < 0 || Item > gEigSize) return 0;
  if (Item == 0) return gEigVal[Index - 1];
  return gEigVec[static_cast<size_t>(Index - 1) * gEigSize + (Item - 1)];
}

int GetEigenSize() { return gEigSize; }

void RemoveEigenMatrix() {
  gEigVal.clear();
  gEigVec.clear();
  gEigSize = 0;
}

bool PseudoInverse(const TMatrix* A, TMatrix* PInv, double Threshold) {
  if (!A || !PInv) return false;
  const int nc = A->NrOfColumns(), nr = A->NrOfRows();
  TMatrix u(nullptr), v(nullptr);
  TVector w(nullptr);
  if (!A->SingularValueDecomposition(&u, &w, &v)) return false;
  double wmax = 0;
  for (int k = 1; k <= nc; ++k) wmax = std::max(wmax, std::fabs(w.GetVal(k)));
  if (Threshold == 0) Threshold = std::max(nc, nr) * wmax * 1.2e-16;
  PInv->Resize(nr, nc);
  for (int r = 1; r <= nc; ++r)
    for (int c = 1; c <= nr; ++c) {
      double s = 0;
      for (int k = 1; k <= nc; ++k)
        if (std::fabs(w.GetVal(k)) > Threshold) s += v.GetVal(k, r) / w.GetVal(k) * u.GetVal(k, c);
      PInv->ColumnData(c)[r - 1] = s;
    }
  PInv->Changed();
  return true;
}

double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2) {
  const double l1 = Lat1 * kDegToRad, l2 = Lat2 * kDegToRad;
  double c = std::cos(l1) * std::cos(l2) * std::cos((Long1 - Long2) * kDegToRad) + std::sin(l1) * std::sin(l2);
  c = std::clamp(c, -1.0, 1.0);
  return Radius * std::acos(c);
}

// ================================================================ TCurveFit
TCurveFit::TCurveFit(TComponent* AOwner) : TComponent(AOwner) {
  FData = new TMatrix(this);
  FData->Resize(2, 1000);
  Init();
}

TCurveFit::~TCurveFit() = default;

void TCurveFit::DataChanged() {
  FSplineValid = FSmoothValid = false;
  FRankValid = false;
}

void TCurveFit::Init() {
  FNumData = 0;
  FSums = TSums{};
  FXLogInvalid = FYLogInvalid = FXRecipInvalid = FYRecipInvalid = false;
  FMinX = FMinY = 1.7e308;
  FMaxX = FMaxY = -1.7e308;
  DataChanged();
}

void TCurveFit::AddToSums(double xd, double yd) {
  const long double x = xd, y = yd;
  TSums& s = FSums;
  s.x += x;
  s.y += y;
  s.x2 += x * x;
  s.y2 += y * y;
  s.diff += x - y;
  s.diff2 += (x - y) * (x - y);
  s.xy += x * y;
  s.x2y += x * x * y;
  s.xy2 += x * y * y;
  s.x3 += x * x * x;
  s.y3 += y * y * y;
  s.x4 += x * x * x * x;
  s.y4 += y * y * y * y;
  const long double big = uc_MaxDouble;
  const bool xz = std::fabs(xd) <= 1e-30, yz = std::fabs(yd) <= 1e-30;
  if (xz) FXRecipInvalid = true;
  if (yz) FYRecipInvalid = true;
  const long double rx = xz ? big : 1.0L / x;
  const long double ry = yz ? big : 1.0L / y;
  s.rY += ry;
  s.rXY += (xz || yz) ? big : 1.0L / (x * y);
  s.rY2 += yz ? big : ry * ry;
  s.xDivY += x * ry;
  s.rX += rx;
  s.rX2 += xz ? big : rx * rx;
  s.yDivX += y * rx;
  if (xd <= 0) FXLogInvalid = true;
  if (yd <= 0) FYLogInvalid = true;
  if (xd > 0) {
    const long double lx = std::log(x);
    s.lnX += lx;
    s.lnX2 += lx * lx;
    s.yLnX += y * lx;
    s.xLnX += x * lx;
    s.lnXDivY += lx * ry;
    if (yd > 0) s.lnXLnY += lx * std::log(y);
  }
  if (yd > 0) {
    const long double ly = std::log(y);
    s.lnY += ly;
    s.lnY2 += ly * ly;
    s.xLnY += x * ly;
    s.x2LnY += x * x * ly;
  }
  FMinX = std::min(FMinX, xd);
  FMaxX = std::max(FMaxX, xd);
  FMinY = std::min(FMinY, yd);
  FMaxY = std::max(FMaxY, yd);
}

void TCurveFit::RebuildSums() {
  FSums = TSums{};
  FXLogInvalid = FYLogInvalid = FXRecipInvalid = FYRecipInvalid = false;
  FMinX = FMinY = 1.7e308;
  FMaxX = FMaxY = -1.7e308;
  for (int i = 1; i <= FNumData; ++i) AddToSums(FData->GetVal(1, i), FData->GetVal(2, i));
}

void TCurveFit::EnterStatValue(double x, double y) {
  if (FNumData >= FData->NrOfRows()) FData->Resize(2, FData->NrOfRows() + 1000);
  ++FNumData;
  FData->ColumnData(1)[FNumData - 1] = x;
  FData->ColumnData(2)[FNumData - 1] = y;
  AddToSums(x, y);
  DataChanged();
}

void TCurveFit::RemoveStatValue(int i) {
  if (i < 1 || i > FNumData) return;
  double* cx = FData->ColumnData(1);
  double* cy = FData->ColumnData(2);
  std::copy(cx + i, cx + FNumData, cx + i - 1);
  std::copy(cy + i, cy + FNumData, cy + i - 1);
  --FNumData;
  // The sums are rebuilt from the remaining pairs rather than subtracted, so
  // that no cancellation error accumulates and the extremes stay exact.
  RebuildSums();
  DataChanged();
}

double TCurveFit::GetDataX(int i) const { return (i >= 1 && i <= FNumData) ? FData->GetVal(1, i) : 0.0; }
double TCurveFit::GetDataY(int i) const { return (i >= 1 && i <= FNumData) ? FData->GetVal(2, i) : 0.0; }

std::vector<double> TCurveFit::Column(int c) const {
  const double* p = FData->ColumnData(c);
  return std::vector<double>(p, p + FNumData);
}

namespace {
// Two-pass sums about the means.
struct TCentred {
  double mx = 0, my = 0, md = 0;
  long double qx = 0, qy = 0, qd = 0, qxy = 0;
};
TCentred Centre(const double* x, const double* y, int n) {
  TCentred r;
  if (n <= 0) return r;
  long double sx = 0, sy = 0;
  for (int i = 0; i < n; ++i) {
    sx += x[i];
    sy += y[i];
  }
  r.mx = static_cast<double>(sx / n);
  r.my = static_cast<double>(sy / n);
  r.md = r.mx - r.my;
  for (int i = 0; i < n; ++i) {
    const long double dx = x[i] - r.mx, dy = y[i] - r.my, dd = (x[i] - y[i]) - r.md;
    r.qx += dx * dx;
    r.qy += dy * dy;
    r.qd += dd * dd;
    r.qxy += dx * dy;
  }
  return r;
}
}  // namespace

void TCurveFit::CalcStatistics(int& NumData, double& MeanX, double& MeanY, double& StdDevX, double& StdDevY,
                               double& MeanDiff, double& StdDevDiff, double& rxy) const {
  const int n = FNumData;
  NumData = n;
  MeanX = MeanY = StdDevX = StdDevY = MeanDiff = StdDevDiff = rxy = 0;
  if (n <= 0) return;
  const TCentred c = Centre(FData->ColumnData(1), FData->ColumnData(2), n);
  MeanX = c.mx;
  MeanY = c.my;
  MeanDiff = static_cast<double>(FSums.diff / n);
  if (n > 2) {
    StdDevX = static_cast<double>(std::sqrt(c.qx / (n - 1)));
    StdDevY = static_cast<double>(std::sqrt(c.qy / (n - 1)));
    StdDevDiff = static_cast<double>(std::sqrt(c.qd / (n - 1)));
    if (c.qx > 0 && c.qy > 0) rxy = static_cast<double>(c.qxy / std::sqrt(c.qx * c.qy));
  }
}

double TCurveFit::MeanX() const { return FNumData > 0 ? static_cast<double>(FSums.x / FNumData) : 0.0; }
double TCurveFit::MeanY() const { return FNumData > 0 ? static_cast<double>(FSums.y / FNumData) : 0.0; }
double TCurveFit::MeanDiff() const { return FNumData > 0 ? static_cast<double>(FSums.diff / FNumData) : 0.0; }
double TCurveFit::StdDevX() const {
  int n;
  double a, b, sx, sy, md, sd, r;
  CalcStatistics(n, a, b, sx, sy, md, sd, r);
  return sx;
}
double TCurveFit::StdDevY() const {
  int n;
  double a, b, sx, sy, md, sd, r;
  CalcStatistics(n, a, b, sx, sy, md, sd, r);
  return sy;
}
double TCurveFit::StdDevDiff() const {
  int n;
  double a, b, sx, sy, md, sd, r;
  CalcStatistics(n, a, b, sx, sy, md, sd, r);
  return sd;
}
double TCurveFit::Rxy() const {
  int n;
  double a, b, sx, sy, md, sd, r;
  CalcStatistics(n, a, b, sx, sy, md, sd, r);
  return r;
}
double TCurveFit::SkewnessX() const {
  double s, k;
  vecstat::SkewKurt(Column(1), s, k);
  return s;
}
double TCurveFit::SkewnessY() const {
  double s, k;
  vecstat::SkewKurt(Column(2), s, k);
  return s;
}
double TCurveFit::KurtosisX() const {
  double s, k;
  vecstat::SkewKurt(Column(1), s, k);
  return k;
}
double TCurveFit::KurtosisY() const {
  double s, k;
  vecstat::SkewKurt(Column(2), s, k);
  return k;
}
void TCurveFit::QuartilesX(double& Q1, double& Q2, double& Q3) const { vecstat::Quartiles(Column(1), Q1, Q2, Q3); }
void TCurveFit::QuartilesY(double& Q1, double& Q2, double& Q3) const { vecstat::Quartiles(Column(2), Q1, Q2, Q3); }

void TCurveFit::CalcLinFit(double& k, double& d, double& FitQual) const {
  const int n = FNumData;
  if (n < 2) throw EZOLMath2Error("CalcLinFit: not enough data points");
  k = d = FitQual = 0;
  const double* x = FData->ColumnData(1);
  const double* y = FData->ColumnData(2);
  const TCentred c = Centre(x, y, n);
  long double Sx = 0, Sy = 0, Sxx = 0, Syy = 0, Sxy = 0;
  for (int i = 0; i < n; ++i) {
    const long double xc = x[i] - c.mx, yc = y[i] - c.my;
    Sx += xc;
    Sy += yc;
    Sxx += xc * xc;
    Syy += yc * yc;
    Sxy += xc * yc;
  }
  const long double D = n * Sxx - Sx * Sx;
  if (D == 0) return;
  const long double kk = (n * Sxy - Sx * Sy) / D;
  const long double d0 = (Sxx * Sy - Sx * Sxy) / D;
  k = static_cast<double>(kk);
  d = static_cast<double>(d0 - kk * c.mx + c.my);
  const long double den = Syy - Sy * Sy / n;
  FitQual = den == 0 ? 1.0 : static_cast<double>((Sy * d0 + kk * Sxy - Sy * Sy / n) / den);
}

void TCurveFit::CalcParabolFit(double& a, double& b, double& c, double& FitQual) const {
  const int n = FNumData;
  if (n < 3) throw EZOLMath2Error("CalcParabolFit: not enough data points");
  a = b = c = FitQual = 0;
  const double* x = FData->ColumnData(1);
  const double* y = FData->ColumnData(2);
  const TCentred m = Centre(x, y, n);
  long double S1 = 0, S2 = 0, S3 = 0, S4 = 0, Sy = 0, Syy = 0, Sxy = 0, Sx2y = 0;
  for (int i = 0; i < n; ++i) {
    const long double xc = x[i] - m.mx, yc = y[i] - m.my, x2 = xc * xc;
    S1 += xc;
    S2 += x2;
    S3 += x2 * xc;
    S4 += x2 * x2;
    Sy += yc;
    Syy += yc * yc;
    Sxy += xc * yc;
    Sx2y += x2 * yc;
  }
  const long double D = n * S2 - S1 * S1, E = n * Sx2y - S2 * Sy, F = n * S3 - S2 * S1, G = n * Sxy - S1 * Sy,
                    H = n * S4 - S2 * S2;
  const long double den2 = D * H - F * F;
  const long double c2 = den2 == 0 ? 0.0L : (D * E - F * G) / den2;
  const long double c1 = D == 0 ? 0.0L : (G - F * c2) / D;
  const long double c0 = (Sy - c1 * S1 - c2 * S2) / n;
  const long double xm = m.mx;
  c = static_cast<double>(c2);
  b = static_cast<double>(c1 - 2 * c2 * xm);
  a = static_cast<double>(xm * xm * c2 + c0 - xm * c1 + m.my);
  const long double den = Syy - Sy * Sy / n;
  FitQual = den == 0 ? 1.0 : static_cast<double>((Sy * c0 + c1 * Sxy + c2 * Sx2y - Sy * Sy / n) / den);
}

// Least squares through the singular value decomposition of the design whose
// columns 1..Degree hold u^k and column Degree + 1 holds 1.
bool TCurveFit::SolveDesign(int Degree, const std::vector<double>& u, const std::vector<double>& b,
                            std::vector<double>& c, bool& Truncated) const {
  const int n = static_cast<int>(u.size());
  const int nc = Degree + 1;
  Truncated = false;
  TMatrix design(nullptr);
  design.Resize(nc, n);
  for (int i = 0; i < n; ++i) {
    double p = 1;
    for (int k = 1; k <= Degree; ++k) {
      p *= u[i];
      design.ColumnData(k)[i] = p;
    }
    design.ColumnData(nc)[i] = 1.0;
  }
  TMatrix U(nullptr), V(nullptr);
  TVector W(nullptr);
  if (!design.SingularValueDecomposition(&U, &W, &V)) return false;
  double wmax = 0;
  for (int k = 1; k <= nc; ++k) wmax = std::max(wmax, std::fabs(W.GetVal(k)));
  std::vector<double> w(nc);
  for (int k = 1; k <= nc; ++k) {
    w[k - 1] = W.GetVal(k);
    if (std::fabs(w[k - 1]) < 1e-14 * wmax || w[k - 1] == 0) {
      if (w[k - 1] != 0 || n > 0) Truncated = true;
      w[k - 1] = 0;
    }
  }
  c.assign(nc, 0.0);
  for (int k = 1; k <= nc; ++k) {
    if (w[k - 1] == 0) continue;
    long double ub = 0;
    for (int i = 1; i <= n; ++i) ub += static_cast<long double>(U.GetVal(k, i)) * b[i - 1];
    const double f = static_cast<double>(ub) / w[k - 1];
    for (int l = 1; l <= nc; ++l) c[l - 1] += V.GetVal(k, l) * f;
  }
  return true;
}

namespace {
// Squared correlation of fitted and observed values (rule of the poly fits).
double FitR2(const std::vector<double>& v, const std::vector<double>& y) {
  const size_t n = y.size();
  if (n == 0) return 0;
  long double sy = 0, sv = 0, syy = 0, svv = 0;
  for (size_t i = 0; i < n; ++i) {
    sy += y[i];
    sv += v[i];
    syy += static_cast<long double>(y[i]) * y[i];
    svv += static_cast<long double>(v[i]) * v[i];
  }
  if (!(syy > 0 && svv > 0)) return 0;
  // Centred sums computed in two passes (stable).
  const long double my = sy / n, mv = sv / n;
  long double qy = 0, qv = 0, qvy = 0;
  for (size_t i = 0; i < n; ++i) {
    const long double dy = y[i] - my, dv = v[i] - mv;
    qy += dy * dy;
    qv += dv * dv;
    qvy += dv * dy;
  }
  if (qy == 0 || qv == 0) return 0;
  const double r = static_cast<double>(qvy / std::sqrt(std::fabs(qy * qv)));
  return r * r;
}
}  // namespace

bool TCurveFit::CalcPolyFit(int Degree, std::vector<double>& Coeffs, double& FitQual, bool& Truncated) const {
  if (Degree < 0) Degree = 0;
  Coeffs.assign(Degree + 1, 0.0);
  FitQual = 0;
  Truncated = false;
  if (FNumData < 1) return false;
  const std::vector<double> x = Column(1), y = Column(2);
  std::vector<double> c;
  if (!SolveDesign(Degree, x, y, c, Truncated)) return false;
  Coeffs[0] = c[Degree];
  for (int k = 1; k <= Degree; ++k) Coeffs[k] = c[k - 1];
  std::vector<double> v(x.size());
  for (size_t i = 0; i < x.size(); ++i) {
    double s = 0;
    for (int k = Degree; k >= 0; --k) s = s * x[i] + Coeffs[k];
    v[i] = s;
  }
  FitQual = FitR2(v, y);
  return true;
}

bool TCurveFit::CalcCenteredPolyFit(int Degree, std::vector<double>& Coeffs, double& XCenter, double& FitQual,
                                    bool& Truncated) const {
  if (Degree < 0) Degree = 0;
  Coeffs.assign(Degree + 1, 0.0);
  FitQual = 0;
  Truncated = false;
  if (FNumData < 1) return false;
  const std::vector<double> x = Column(1), y = Column(2);
  double mx, var, my, vy;
  vecstat::MeanVar(x, mx, var);
  vecstat::MeanVar(y, my, vy);
  if (XCenter == 0) XCenter = mx;
  double s = std::sqrt(std::max(var, 0.0));
  if (s == 0) s = 1.0;
  std::vector<double> u(x.size()), b(y.size());
  for (size_t i = 0; i < x.size(); ++i) {
    u[i] = (x[i] - XCenter) / s;
    b[i] = y[i] - my;
  }
  std::vector<double> c;
  if (!SolveDesign(Degree, u, b, c, Truncated)) return false;
  std::vector<double> v(x.size());
  for (size_t i = 0; i < x.size(); ++i) {
    double t = 0;
    for (int k = Degree; k >= 1; --k) t = (t + c[k - 1]) * u[i];
    v[i] = t + c[Degree];
  }
  FitQual = FitR2(v, b);
  Coeffs[0] = c[Degree] + my;
  double sk = 1;
  for (int k = 1; k <= Degree; ++k) {
    sk *= s;
    Coeffs[k] = c[k - 1] / sk;
  }
  return true;
}

void TCurveFit::CalcAnovaReg(int NumPred, bool Intercept, int& dfReg, int& dfRes, int& dfTot, double& SSRes,
                             double& SSReg, double& SSTot, double& MSRes, double& MSReg, double& F) const {
  const int n = FNumData;
  dfTot = Intercept ? n - 1 : n;
  dfReg = NumPred;
  dfRes = dfTot - NumPred;
  // Spreads about m computed from the stored pairs (two-pass) rather than
  // from Σx² − 2mΣx + n·m², which cancels badly for large values.
  const double m = (Intercept && n > 0) ? static_cast<double>(FSums.x / n) : 0.0;
  long double st = 0, sr = 0, se = 0;
  for (int i = 1; i <= n; ++i) {
    const double xo = FData->GetVal(1, i), yf = FData->GetVal(2, i);
    st += static_cast<long double>(xo - m) * (xo - m);
    sr += static_cast<long double>(yf - m) * (yf - m);
    se += static_cast<long double>(xo - yf) * (xo - yf);
  }
  SSTot = static_cast<double>(st);
  SSReg = static_cast<double>(sr);
  SSRes = static_cast<double>(se);
  // Zero degrees of freedom leave the mean square at 0 instead of dividing by 0.
  MSReg = dfReg != 0 ? SSReg / dfReg : 0.0;
  MSRes = dfRes != 0 ? SSRes / dfRes : 0.0;
  if (MSReg == 0)
    F = 0;
  else if (MSRes == 0)
    F = 1e10;
  else
    F = MSReg / MSRes;
}

void TCurveFit::CalcCircleFit(double& Radius, double& CenterX, double& CenterY) const {
  const int n = FNumData;
  if (n < 3) throw EZOLMath2Error("CalcCircleFit: not enough data points");
  const TSums& s = FSums;
  const long double O = s.y * s.y - n * s.y2, R = s.x * s.x - n * s.x2, A = n * s.xy - s.x * s.y;
  const long double T = O * R - A * A;
  if (T == 0) throw EZOLMath2Error("CalcCircleFit: radius is infinite");
  const long double C = (s.x2 + s.y2) * s.y - (s.x2y + s.y3) * n;
  const long double D = (s.x2 + s.y2) * s.x - (s.xy2 + s.x3) * n;
  const long double cx = (A * C + O * D) / (2 * T), cy = (A * D + R * C) / (2 * T);
  CenterX = static_cast<double>(cx);
  CenterY = static_cast<double>(cy);
  const long double r2 = ((cx * cx + cy * cy) * n + s.x2 + s.y2 - 2 * (s.x * cx + s.y * cy)) / n;
  Radius = static_cast<double>(std::sqrt(std::fabs(r2)));
}

double TCurveFit::CalcMeanDegrees(int Column) const {
  if (Column != 1 && Column != 2) return 0;
  long double S = 0, C = 0;
  for (int i = 1; i <= FNumData; ++i) {
    const double a = FData->GetVal(Column, i) * kDegToRad;
    S += std::sin(a);
    C += std::cos(a);
  }
  if (S == 0 && C == 0) return 0;
  double e = std::atan2(static_cast<double>(S), static_cast<double>(C)) / kDegToRad;
  if (e < 0) e += 360.0;
  if (e >= 360.0) e -= 360.0;
  return e;
}

void TCurveFit::BasicRankCounts(int64_t& C, int64_t& D, int64_t& Ty, int64_t& Tx) const {
  if (!FRankValid) {
    FRankC = FRankD = FRankTy = FRankTx = 0;
    const int n = FNumData;
    if (n >= 3) {
      const double* x = FData->ColumnData(1);
      const double* y = FData->ColumnData(2);
      for (int i = 0; i < n - 1; ++i)
        for (int j = i + 1; j < n; ++j) {
          const double dx = x[i] - x[j], dy = y[i] - y[j];
          const double p = (dx > 0 ? 1 : dx < 0 ? -1 : 0) * (dy > 0 ? 1 : dy < 0 ? -1 : 0);
          if (p > 0)
            ++FRankC;
          else if (p < 0)
            ++FRankD;
          else if (dx != 0)
            ++FRankTy;
          else if (dy != 0)
            ++FRankTx;
        }
    }
    FRankValid = true;
  }
  C = FRankC;
  D = FRankD;
  Ty = FRankTy;
  Tx = FRankTx;
}

double TCurveFit::KendallsTau(double& Prob) const {
  Prob = 1.0;
  int64_t C, D, Ty, Tx;
  BasicRankCounts(C, D, Ty, Tx);
  const double den = std::sqrt(static_cast<double>(C + D + Ty) * static_cast<double>(C + D + Tx));
  if (FNumData < 3 || den == 0) return 0;
  const double tau = static_cast<double>(C - D) / den;
  const double n = FNumData;
  // Tie groups of x and of y: Σt(t−1)/2, Σt(t−1)(t−2) and Σt(t−1)(2t+5).
  auto ties = [](std::vector<double> v, double& pairs, double& t3, double& t5) {
    std::sort(v.begin(), v.end());
    pairs = t3 = t5 = 0;
    for (size_t i = 0; i < v.size();) {
      size_t j = i;
      while (j < v.size() && v[j] == v[i]) ++j;
      const double t = static_cast<double>(j - i);
      pairs += t * (t - 1) / 2;
      t3 += t * (t - 1) * (t - 2);
      t5 += t * (t - 1) * (2 * t + 5);
      i = j;
    }
  };
  double xp, x3, x5, yp, y3, y5;
  ties(Column(1), xp, x3, x5);
  ties(Column(2), yp, y3, y5);
  if (xp == 0 && yp == 0) {
    const double v = (4 * n + 10) / (9 * n * (n - 1));
    Prob = 1.0 - ErfApprox(std::fabs(tau) / std::sqrt(v) / std::sqrt(2.0));
  } else {
    // With ties, the variance of C − D corrected for them (Kendall, Rank
    // Correlation Methods, 1970, eq. 4.4): the normal approximation of C − D.
    const double m = n * (n - 1);
    const double var = (m * (2 * n + 5) - x5 - y5) / 18 + 2 * xp * yp / m + x3 * y3 / (9 * m * (n - 2));
    Prob = var > 0 ? 1.0 - ErfApprox(std::fabs(static_cast<double>(C - D)) / std::sqrt(var) / std::sqrt(2.0))
                   : 1.0;
  }
  return tau;
}

double TCurveFit::KendallsTau() const {
  double p;
  return KendallsTau(p);
}

double TCurveFit::KruskalGamma() const {
  int64_t C, D, Ty, Tx;
  BasicRankCounts(C, D, Ty, Tx);
  if (C + D == 0) return 0;
  return static_cast<double>(C - D) / static_cast<double>(C + D);
}

namespace {
// Mid-ranks (1-based) and the tie correction Σ(t³ − t)/12.
std::vector<double> MidRanks(const std::vector<double>& v, double& T) {
  const size_t n = v.size();
  std::vector<size_t> idx(n);
  std::iota(idx.begin(), idx.end(), 0);
  std::stable_sort(idx.begin(), idx.end(), [&](size_t a, size_t b) { return v[a] < v[b]; });
  std::vector<double> r(n);
  T = 0;
  size_t i = 0;
  while (i < n) {
    size_t j = i;
    while (j + 1 < n && v[idx[j + 1]] == v[idx[i]]) ++j;
    const double mid = (i + j) / 2.0 + 1.0;
    for (size_t k = i; k <= j; ++k) r[idx[k]] = mid;
    const double t = static_cast<double>(j - i + 1);
    T += (t * t * t - t) / 12.0;
    i = j + 1;
  }
  return r;
}
}  // namespace

double TCurveFit::Spearman() const {
  const int n = FNumData;
  if (n < 3) return 0;
  double Tx, Ty;
  const std::vector<double> rx = MidRanks(Column(1), Tx), ry = MidRanks(Column(2), Ty);
  double D = 0;
  for (int i = 0; i < n; ++i) D += (rx[i] - ry[i]) * (rx[i] - ry[i]);
  const double N = static_cast<double>(n) * (static_cast<double>(n) * n - 1);
  if (Tx == 0 && Ty == 0) return 1.0 - 6.0 * D / N;
  const double den = (N - 12 * Tx) * (N - 12 * Ty);
  if (den <= 0) return 0;  // a variable with all values tied
  return (N - 6 * (D + Tx + Ty)) / std::sqrt(den);
}

std::string TCurveFit::ExportAsASC(const std::string& FileName, const std::string& Comment, int Precision) const {
  std::ofstream f(FileName, std::ios::binary | std::ios::trunc);
  if (!f) throw EInOutError("TCurveFit.ExportAsASC: cannot create file " + FileName);
  std::string c = Comment;
  for (char& ch : c)
    if (ch == '\n' || ch == '\r') ch = ' ';
  if (c.empty()) c = "Exported by ZOL TCurveFit component: " + FileName;
  f << c << '\n';
  f << "2\t;nr. of columns\n";
  f << FNumData << "\t;nr. of rows\n";
  f << "FALSE TRUE FALSE\t;row attributes, column names, row names\n";
  // Column names are quoted, as the reader (and other readers of the format)
  // expect.
  f << "\"x\"\t\"y\"\n";
  for (int i = 1; i <= FNumData; ++i)
    f << strff(FData->GetVal(1, i), 1, Precision) << '\t' << strff(FData->GetVal(2, i), 1, Precision) << '\n';
  f.flush();
  if (!f) throw EInOutError("TCurveFit.ExportAsASC: cannot write file " + FileName);
  return "";
}

namespace {
// Tokens of a text: quoted strings (quotes removed, flagged) or runs of
// non-blank characters.
struct TAscToken {
  std::string text;
  bool quoted = false;
};
bool NextAscToken(const std::string& s, size_t& pos, TAscToken& tok) {
  while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\r' || s[pos] == '\n')) ++pos;
  if (pos >= s.size()) return false;
  tok = TAscToken{};
  if (s[pos] == '"') {
    const size_t e = s.find('"', pos + 1);
    if (e == std::string::npos) {
      tok.text = s.substr(pos + 1);
      pos = s.size();
    } else {
      tok.text = s.substr(pos + 1, e - pos - 1);
      pos = e + 1;
    }
    tok.quoted = true;
    return true;
  }
  const size_t b = pos;
  while (pos < s.size() && s[pos] != ' ' && s[pos] != '\t' && s[pos] != '\r' && s[pos] != '\n') ++pos;
  tok.text = s.substr(b, pos - b);
  return true;
}
bool ParseAscDouble(const std::string& t, double& v) {
  if (t.empty()) return false;
  std::string u = t;
  std::replace(u.begin(), u.end(), ',', '.');
  std::istringstream is(u);
  is.imbue(std::locale::classic());
  is >> v;
  return !is.fail() && is.eof() && std::isfinite(v);
}
// The count lines carry a comment after the number ("2<TAB>;nr. of
// columns"); a header reader that wants the whole line to be a number
// refuses them, so the leading integers are read here, as a decimal scanner
// reads them.  Answers Fallback when a count cannot be read.
int ReadAscCounts(const std::string& FileName, int& nc, int& nr, bool& f1, bool& f2, bool& f3, bool& f4,
                  int Fallback) {
  std::ifstream in(FileName, std::ios::binary);
  std::string l1, l2, l3, l4;
  if (!std::getline(in, l1) || !std::getline(in, l2) || !std::getline(in, l3)) return Fallback;
  std::getline(in, l4);
  auto lead = [](const std::string& l, int& v) {
    size_t p = 0;
    while (p < l.size() && (l[p] == ' ' || l[p] == '\t')) ++p;
    size_t e = p;
    if (e < l.size() && (l[e] == '-' || l[e] == '+')) ++e;
    const size_t d = e;
    while (e < l.size() && l[e] >= '0' && l[e] <= '9' && e - d < 10) ++e;
    if (e == d) return false;
    if (e < l.size() && l[e] >= '0' && l[e] <= '9') return false;  // too long
    const long long x = std::stoll(l.substr(p, e - p));
    if (x < -2147483647LL || x > 2147483647LL) return false;
    v = static_cast<int>(x);
    return true;
  };
  if (!lead(l2, nc)) return 255;
  if (!lead(l3, nr)) return 254;
  // Flags: TRUE/FALSE words from the left, case ignored; the fourth is
  // true only when it reads TRUE.
  std::istringstream fl(l4);
  bool* flags[4] = {&f1, &f2, &f3, &f4};
  for (int k = 0; k < 4; ++k) {
    std::string w;
    fl >> w;
    for (char& ch : w) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (w == "TRUE") {
      *flags[k] = true;
    } else if (w == "FALSE") {
      *flags[k] = false;
    } else {
      if (k < 3) return 253;
      *flags[k] = false;
    }
  }
  return 0;
}
}  // namespace

int TCurveFit::ImportASC(const std::string& FileName) {
  std::string comment;
  int nc = 0, nr = 0;
  bool f1 = false, f2 = false, f3 = false, f4 = false;
  int res = ReadHeaderOfASC(FileName, comment, nc, nr, f1, f2, f3, f4);
  if (res == 255 || res == 254) res = ReadAscCounts(FileName, nc, nr, f1, f2, f3, f4, res);
  if (res != 0) return res;
  if (f1) return -7;
  if (nc != 2)
    throw EZOLMath2Error("TCurveFit.ImportASC: number of columns must be 2 (is actually " + std::to_string(nc) +
                         ").");
  std::ifstream in(FileName, std::ios::binary);
  if (!in) return 251;
  std::string line;
  for (int i = 0; i < 4; ++i)
    if (!std::getline(in, line)) return 250;
  std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Every row needs at least two characters; refuse counts the file cannot hold.
  if (nr < 0 || static_cast<size_t>(nr) > rest.size() / 2 + 1) return 250;
  size_t pos = 0;
  TAscToken tok;
  if (f2) {
    for (int c = 0; c < nc; ++c)
      if (!NextAscToken(rest, pos, tok)) return 250;
  }
  std::vector<double> xs, ys;
  xs.reserve(nr);
  ys.reserve(nr);
  for (int r = 0; r < nr; ++r) {
    if (f3) {
      const size_t save = pos;
      if (!NextAscToken(rest, pos, tok)) return 250;
      if (!tok.quoted) pos = save;  // an optional row name
    }
    double v[2];
    for (int c = 0; c < nc; ++c) {
      if (!NextAscToken(rest, pos, tok) || !ParseAscDouble(tok.text, v[c])) return 250;
    }
    xs.push_back(v[0]);
    ys.push_back(v[1]);
  }
  const int rows = std::max(1000, ((nr + 999) / 1000) * 1000);
  FData->Resize(2, rows);
  std::copy(xs.begin(), xs.end(), FData->ColumnData(1));
  std::copy(ys.begin(), ys.end(), FData->ColumnData(2));
  FNumData = nr;
  RebuildSums();
  DataChanged();
  return 0;
}

void TCurveFit::SetNatural1(bool v) {
  if (v == FNatural1) return;
  FNatural1 = v;
  FSplineValid = FSmoothValid = false;
}
void TCurveFit::SetNaturalN(bool v) {
  if (v == FNaturalN) return;
  FNaturalN = v;
  FSplineValid = FSmoothValid = false;
}
void TCurveFit::SetY1Dash(double v) {
  if (v == FY1Dash) return;
  FY1Dash = v;
  FSplineValid = FSmoothValid = false;
}
void TCurveFit::SetYNDash(double v) {
  if (v == FYNDash) return;
  FYNDash = v;
  FSplineValid = FSmoothValid = false;
}
void TCurveFit::SetSplineSmoothing(double v) {
  if (v == FSplineSmoothing) return;
  FSplineSmoothing = v;
  FSplineValid = FSmoothValid = false;
}

// ================================================================ filters
namespace {
enum class TFilter { Moving, Weighted, SGSmooth, SGDeriv1, SGDeriv2 };

void RunFilter(const char* Name, TFilter Kind, const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest) {
  const std::string pre = std::string(Name) + ": ";
  if (!Source || !Dest) throw EZOLMath2Error(pre + "either SourceVec or DestVec is undefined");
  const bool sg = Kind != TFilter::Moving && Kind != TFilter::Weighted;
  Source->MakeValidElemRange(Lo, Hi);
  if (WindowLen % 2 == 0)
    throw EZOLMath2Error(pre + (sg ? "length of polynomial must be odd" : "length of smoothing window must be odd"));
  if (sg) {
    if (WindowLen < 5 || WindowLen > 25) throw EZOLMath2Error(pre + "length of polynomial is out of range");
  } else if (WindowLen < 3) {
    throw EZOLMath2Error(pre + "length of smoothing window is out of range");
  }
  if (Hi - Lo < WindowLen) {
    if (!sg)
      throw EZOLMath2Error(pre + "specified range for smoothing is smaller than the length of the smoothing windows");
    if (Kind == TFilter::SGDeriv1)
      throw EZOLMath2Error(pre + "specified range for calculation is smaller than the length of the polynomial");
    throw EZOLMath2Error(pre + "specified range for smoothing is smaller than the length of the polynomial");
  }
  const int h = WindowLen / 2;
  std::vector<double> w(WindowLen);
  switch (Kind) {
    case TFilter::Moving: std::fill(w.begin(), w.end(), 1.0 / WindowLen); break;
    case TFilter::Weighted: {
      const double f = 4.0 / ((WindowLen + 1.0) * (WindowLen + 1.0));
      for (int i = -h; i <= h; ++i) w[i + h] = (h + 1 - std::abs(i)) * f;
      break;
    }
    case TFilter::SGSmooth: w = SavitzkyGolayCoeffs(WindowLen, 0); break;
    case TFilter::SGDeriv1: w = SavitzkyGolayCoeffs(WindowLen, 1); break;
    case TFilter::SGDeriv2: w = SavitzkyGolayCoeffs(WindowLen, 2); break;
  }
  const int len = Hi - Lo + 1;
  std::vector<double> out(len, 0.0);
  const double* src = Source->Data();
  for (int p = Lo + h; p <= Hi - h; ++p) {
    double s = 0;
    for (int i = -h; i <= h; ++i) s += w[i + h] * src[p + i - 1];
    out[p - Lo] = s;
  }
  for (int q = 0; q < h; ++q) {
    out[q] = out[h];
    out[len - 1 - q] = out[len - 1 - h];
  }
  double* dst = Dest->Data();
  const int nd = Dest->NrOfElem();
  for (int q = 0; q < len && q < nd; ++q) dst[q] = out[q];
  Dest->Changed();
}
}  // namespace

// Savitzky-Golay weights from the least-squares fit of a quadratic to the
// points −h..h (A. Savitzky, M. J. E. Golay, Anal. Chem. 36 (1964) 1627): the
// row Deriv of (XᵀX)⁻¹Xᵀ times Deriv!.  For smoothing and the second
// derivative the quadratic and cubic fits give the same weights (the
// published tables, e.g. −3 12 17 12 −3 / 35); the first derivative is the
// quadratic one (k / Σk²).
std::vector<double> SavitzkyGolayCoeffs(int WindowLen, int Deriv) {
  const int h = WindowLen / 2;
  std::vector<double> res(2 * h + 1, 0.0);
  if (Deriv < 0 || Deriv > 2 || h < 1) return res;
  // Normal matrix of the basis 1, k, k² (odd moments vanish).
  double s0 = 0, s2 = 0, s4 = 0;
  for (int k = -h; k <= h; ++k) {
    s0 += 1;
    s2 += static_cast<double>(k) * k;
    s4 += static_cast<double>(k) * k * k * k;
  }
  const double det = s0 * s4 - s2 * s2;
  for (int k = -h; k <= h; ++k) {
    const double k2 = static_cast<double>(k) * k;
    double v = 0;
    if (Deriv == 0)
      v = (s4 - s2 * k2) / det;
    else if (Deriv == 1)
      v = k / s2;
    else
      v = 2.0 * (s0 * k2 - s2) / det;
    res[k + h] = v;
  }
  return res;
}

void MovingAverageSmooth(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest) {
  RunFilter("MovingAverageSmooth", TFilter::Moving, Source, Lo, Hi, WindowLen, Dest);
}
void WeightedAverageSmooth(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest) {
  RunFilter("WeightedAverageSmooth", TFilter::Weighted, Source, Lo, Hi, WindowLen, Dest);
}
void PolynomialSmooth(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest) {
  RunFilter("PolynomialSmooth", TFilter::SGSmooth, Source, Lo, Hi, WindowLen, Dest);
}
void FirstDeriv(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest) {
  RunFilter("FirstDeriv", TFilter::SGDeriv1, Source, Lo, Hi, WindowLen, Dest);
}
void SecondDeriv(const TVector* Source, int Lo, int Hi, int WindowLen, TVector* Dest) {
  RunFilter("SecondDeriv", TFilter::SGDeriv2, Source, Lo, Hi, WindowLen, Dest);
}

// ================================================================ clustering
void kMeansClustering(const TMatrix* Data, int /*Unused1*/, int /*Unused2*/, int NumClusters, TMatrix* Centers,
                      TIntVector* Assignment) {
  if (!Data || !Centers || !Assignment) throw EZOLMath2Error("kMeansClustering: matrix or vector is undefined");
  const int nr = Data->NrOfRows(), nc = Data->NrOfColumns();
  if (NumClusters > nr) throw EZOLMath2Error("kMeansClustering: number of clusters is greater than number of objects");
  if (NumClusters < 1) throw EZOLMath2Error("kMeansClustering: number of clusters must be at least 1");
  AbortMathProc = false;
  Centers->Resize(nc, nr);
  Assignment->Resize(nr);
  // The data row by row and the centres centre by centre, contiguous; every
  // sum runs over the columns (and the rows) in the same order as before.
  const size_t stride = static_cast<size_t>(nc);
  std::vector<double> x(static_cast<size_t>(nr) * stride), ctr(static_cast<size_t>(NumClusters) * stride);
  for (int c = 1; c <= nc; ++c) {
    const double* col = Data->ColumnData(c);
    for (int r = 0; r < nr; ++r) x[r * stride + c - 1] = col[r];
  }
  for (int k = 0; k < NumClusters; ++k)
    for (int c = 0; c < nc; ++c) ctr[k * stride + c] = x[k * stride + c];
  auto storeCenters = [&] {
    for (int c = 1; c <= nc; ++c) {
      double* col = Centers->ColumnData(c);
      for (int k = 0; k < NumClusters; ++k) col[k] = ctr[k * stride + c - 1];
    }
  };
  storeCenters();
  std::vector<int> assign(nr, 0);
  std::vector<double> sum(static_cast<size_t>(NumClusters) * stride);
  std::vector<int> cnt(NumClusters);
  const size_t kk = static_cast<size_t>(NumClusters);
  std::vector<double> ctrT(kk * stride), dist(kk);
  bool done = false;
  bool aborted = false;
  for (int iter = 1; iter <= 1000 && !done; ++iter) {
    StepProgress();
    // AbortMathProc stops the iteration; the centres and assignments of the
    // last complete step are returned.
    if (AbortMathProc) {
      aborted = true;
      break;
    }
    bool changed = false;
    // The centres column by column: the distances of a row to all centres
    // are summed side by side (each over the columns in order).
    for (int k = 0; k < NumClusters; ++k)
      for (int c = 0; c < nc; ++c) ctrT[c * kk + k] = ctr[k * stride + c];
    for (int r = 0; r < nr; ++r) {
      const double* xr = x.data() + r * stride;
      std::fill(dist.begin(), dist.end(), 0.0);
      for (int c = 0; c < nc; ++c) {
        const double xc = xr[c];
        const double* cc = ctrT.data() + c * kk;
        for (size_t k = 0; k < kk; ++k) {
          const double t = xc - cc[k];
          dist[k] += t * t;
        }
      }
      int best = 1;
      double bd = std::numeric_limits<double>::infinity();
      for (int k = 0; k < NumClusters; ++k)
        if (dist[k] < bd) {
          bd = dist[k];
          best = k + 1;
        }
      if (assign[r] != best) {
        assign[r] = best;
        changed = true;
      }
    }
    if (!changed) {
      done = true;
      break;
    }
    std::fill(sum.begin(), sum.end(), 0.0);
    std::fill(cnt.begin(), cnt.end(), 0);
    for (int r = 0; r < nr; ++r) {
      const int k = assign[r] - 1;
      ++cnt[k];
      const double* xr = x.data() + r * stride;
      double* sk = sum.data() + k * stride;
      for (int c = 0; c < nc; ++c) sk[c] += xr[c];
    }
    for (int k = 0; k < NumClusters; ++k)
      for (int c = 0; c < nc; ++c) ctr[k * stride + c] = cnt[k] > 0 ? sum[k * stride + c] / cnt[k] : 0.0;
    storeCenters();
  }
  Centers->Changed();
  for (int r = 1; r <= nr; ++r) Assignment->Data()[r - 1] = assign[r - 1];
  Assignment->Changed();
  if (!done && !aborted) throw EZOLMath2Error("kMeansClustering: max. number of iterations exceeded");
}

namespace {

// Storage of doubles (not initialised: the caller fills every entry) that asks
// the system for large pages: the half distance matrix of a few thousand
// objects is a hundred megabytes and more, and mapping it page by page costs
// more than the clustering itself.
class TPairBuffer {
 public:
  explicit TPairBuffer(size_t Count) {
    const size_t bytes = std::max<size_t>(Count, 1) * sizeof(double);
#if defined(__linux__)
    constexpr size_t kLarge = size_t(2) << 20;
    if (bytes >= kLarge) {
      void* p = std::aligned_alloc(kLarge, (bytes + kLarge - 1) / kLarge * kLarge);
      if (p) {
        madvise(p, bytes, MADV_HUGEPAGE);
        FData.reset(static_cast<double*>(p));
        return;
      }
    }
#endif
    void* p = std::malloc(bytes);
    if (!p) throw std::bad_alloc();
    FData.reset(static_cast<double*>(p));
  }
  double* Data() const { return FData.get(); }

 private:
  struct Free {
    void operator()(double* p) const { std::free(p); }
  };
  std::unique_ptr<double, Free> FData;
};

// The values of TMatrix::CalcDistMat for row i and the rows j0 .. j1-1 of the
// column-wise data (column k at cols + k·stride): the sums of the rows run
// side by side, each over the columns in order, as CalcDistMat sums them.
template <TDistMode Mode>
void PairValues(const double* cols, size_t stride, int p, size_t i, size_t j0, size_t j1, double* out) {
  constexpr size_t kBlock = 256;
  for (; j0 < j1; j0 += kBlock, out += kBlock) {
    const size_t m = std::min(kBlock, j1 - j0);
    double sxy[kBlock] = {}, sxx[kBlock] = {}, syy[kBlock] = {};
    for (int k = 0; k < p; ++k) {
      const double* col = cols + static_cast<size_t>(k) * stride;
      const double xk = col[i];
      const double* y = col + j0;
      for (size_t j = 0; j < m; ++j) {
        if constexpr (Mode == dmManhattan) {
          sxy[j] += std::fabs(xk - y[j]);
        } else if constexpr (Mode == dmEuclid || Mode == dmEuclidSqr) {
          const double t = xk - y[j];
          sxy[j] += t * t;
        } else {
          sxy[j] += xk * y[j];
          sxx[j] += xk * xk;
          syy[j] += y[j] * y[j];
        }
      }
    }
    for (size_t j = 0; j < m; ++j) {
      if constexpr (Mode == dmEuclid) {
        out[j] = std::sqrt(sxy[j]);
      } else if constexpr (Mode == dmJaccard) {
        const double den = sxx[j] + syy[j] - sxy[j];
        out[j] = den != 0.0 ? sxy[j] / den : 1.0;
      } else if constexpr (Mode == dmDice) {
        const double den = sxx[j] + syy[j];
        out[j] = den != 0.0 ? 2.0 * sxy[j] / den : 1.0;
      } else {
        out[j] = sxy[j];
      }
    }
  }
}

// Single linkage with a built-in distance through the minimum spanning tree
// (Prim's algorithm on the data, O(n²) time, no distance matrix): when the
// weights of the tree edges are all different, no two pairs of clusters are
// ever at the same smallest distance, so the merges are the tree edges in
// ascending order, each joining the clusters of its ends; the merged cluster
// lives on in the larger index, which is the largest member of the cluster.
// False (nothing to rely on) when two tree edges weigh the same or a distance
// is not a number: then the merges follow the tie rule of the general way.
bool SingleLinkByTree(const TMatrix* Data, TDistMode Mode, std::vector<int>& m1, std::vector<int>& m2,
                      std::vector<double>& hts) {
  const int n = Data->NrOfRows(), p = Data->NrOfColumns();
  if (n < 2) return true;
  const size_t nn = static_cast<size_t>(n);
  // The data column by column, and the objects not yet in the tree likewise
  // (compacted: slot t holds object obj[t]).
  std::vector<double> cols(nn * static_cast<size_t>(p)), rest;
  for (int c = 1; c <= p; ++c) std::copy_n(Data->ColumnData(c), n, cols.data() + (c - 1) * nn);
  rest = cols;
  std::vector<int> obj(nn), from(nn, -1);
  std::iota(obj.begin(), obj.end(), 0);
  std::vector<double> best(nn, std::numeric_limits<double>::infinity()), acc(nn), xv(static_cast<size_t>(p));
  struct Edge {
    double w;
    int a, b;
  };
  std::vector<Edge> edges;
  edges.reserve(nn - 1);
  size_t m = nn;
  auto removeSlot = [&](size_t t) {
    --m;
    for (int k = 0; k < p; ++k) rest[k * nn + t] = rest[k * nn + m];
    obj[t] = obj[m];
    from[t] = from[m];
    best[t] = best[m];
  };
  int v = 0;
  removeSlot(0);
  while (m > 0) {
    for (int k = 0; k < p; ++k) xv[k] = cols[k * nn + v];
    std::fill_n(acc.begin(), m, 0.0);
    for (int k = 0; k < p; ++k) {
      const double xk = xv[k];
      const double* r = rest.data() + k * nn;
      if (Mode == dmManhattan) {
        for (size_t t = 0; t < m; ++t) acc[t] += std::fabs(xk - r[t]);
      } else {
        for (size_t t = 0; t < m; ++t) {
          const double d = xk - r[t];
          acc[t] += d * d;
        }
      }
    }
    // (Euclidean distances are compared squared: the root is monotonic, so
    // the tree is a tree of the distances as well; its edges get their roots
    // below.)
    bool nan = false;
    for (size_t t = 0; t < m; ++t) {
      const double a = acc[t];
      nan |= a != a;
      const bool closer = a < best[t];
      best[t] = closer ? a : best[t];
      from[t] = closer ? v : from[t];
    }
    if (nan) return false;
    size_t next = 0;
    double bv = best[0];
    for (size_t t = 1; t < m; ++t)
      if (best[t] < bv) {
        bv = best[t];
        next = t;
      }
    if (from[next] < 0) return false;  // infinite distances only
    edges.push_back({Mode == dmEuclid ? std::sqrt(best[next]) : best[next], from[next], obj[next]});
    v = obj[next];
    removeSlot(next);
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& x, const Edge& y) { return x.w < y.w; });
  for (size_t e = 1; e < edges.size(); ++e)
    if (!(edges[e - 1].w < edges[e].w)) return false;
  // Union-find over the objects; top[root] is the largest member, where the
  // cluster lives, id[] the cluster numbers as the general way gives them.
  std::vector<int> up(nn), top(nn), id(nn);
  std::iota(up.begin(), up.end(), 0);
  std::iota(top.begin(), top.end(), 0);
  std::iota(id.begin(), id.end(), 1);
  auto find = [&up](int x) {
    while (up[x] != x) x = up[x] = up[up[x]];
    return x;
  };
  for (size_t e = 0; e < edges.size(); ++e) {
    const int ra = find(edges[e].a), rb = find(edges[e].b);
    const int bi = std::min(top[ra], top[rb]), bj = std::max(top[ra], top[rb]);
    m1[e] = id[bi];
    m2[e] = id[bj];
    hts[e] = edges[e].w;
    id[bj] = n + static_cast<int>(e) + 1;
    up[rb] = ra;
    top[ra] = bj;
  }
  return true;
}

}  // namespace

int AgglomClustering(TObject* Sender, TMatrix* Data, TDistMode DistMode, TClusterMethod Method, double FlexAlpha,
                     TIntMatrix* Merges, TVector* Heights, TVector* Positions, TClusterFeedback Feedback,
                     TOnCalcDistanceEvent UserDistance) {
  if (!Data || !Merges || !Heights || !Positions)
    throw EZOLMath2Error("AgglomClustering: matrix or vector is undefined");
  FlexAlpha = std::clamp(FlexAlpha, 0.5, 1.0);
  const int n = Data->NrOfRows();
  AbortMathProc = false;
  std::vector<int> id(n), size(n, 1);
  std::vector<char> active(n, 1);
  for (int i = 0; i < n; ++i) id[i] = i + 1;
  const int steps = std::max(n - 1, 0);
  Merges->Resize(3, std::max(steps, 1));
  Merges->Fill(0);
  Heights->Resize(std::max(steps, 1));
  Heights->Fill(0);
  Positions->Resize(std::max(2 * n - 1, 1));
  Positions->Fill(0);
  std::vector<int> m1(steps), m2(steps);
  std::vector<double> hts(steps);
  // Every merge step first looks at AbortMathProc, then reports progress.
  auto beginStep = [&](int k) {
    if (AbortMathProc) return false;
    ++ProcStat;
    if (MathFeedBackProc) {
      TMathFeedBackProc cb = MathFeedBackProc;
      cb(ProcStat);
    }
    if (Feedback) Feedback(Sender, ProcStat, static_cast<double>(k) / n * 100.0);
    return true;
  };
  auto abandon = [&] {
    Merges->Fill(0);
    Heights->Fill(0);
    Positions->Fill(0);
    return -1;
  };
  if (Method == cmSingleLink && (DistMode == dmEuclid || DistMode == dmEuclidSqr || DistMode == dmManhattan) &&
      SingleLinkByTree(Data, DistMode, m1, m2, hts)) {
    for (int k = 1; k <= steps; ++k)
      if (!beginStep(k)) return abandon();
  } else {
    // The distances D(i, j), i < j, row by row: row i holds j = i+1 .. n-1 and
    // starts at rowOf[i] = pairs + i·n - i·(i+1)/2 with D(i, i+1).
    const size_t nn = static_cast<size_t>(std::max(n, 0));
    TPairBuffer pairs(nn * (nn > 0 ? nn - 1 : 0) / 2);
    std::vector<double*> rowOf(nn);
    for (size_t i = 0; i < nn; ++i) rowOf[i] = pairs.Data() + (i * nn - i * (i + 1) / 2);
    if (DistMode == dmUserDef) {
      TMatrix dm(nullptr);
      dm.Resize(n, n);
      TOnCalcDistanceEvent saved = Data->OnCalcDistance;
      Data->OnCalcDistance = UserDistance;
      try {
        Data->CalcDistMat(DistMode, &dm);
      } catch (...) {
        Data->OnCalcDistance = saved;
        throw;
      }
      Data->OnCalcDistance = saved;
      for (size_t i = 0; i < nn; ++i) {
        const double* col = dm.ColumnData(static_cast<int>(i) + 1);
        std::copy(col + i + 1, col + nn, rowOf[i]);
      }
    } else {
      const int p = Data->NrOfColumns();
      std::vector<double> cols(nn * static_cast<size_t>(std::max(p, 1)));
      for (int c = 1; c <= p; ++c) std::copy_n(Data->ColumnData(c), n, cols.data() + (c - 1) * nn);
      for (size_t i = 0; i + 1 < nn; ++i) {
        double* out = rowOf[i];
        switch (DistMode) {
          case dmJaccard: PairValues<dmJaccard>(cols.data(), nn, p, i, i + 1, nn, out); break;
          case dmManhattan: PairValues<dmManhattan>(cols.data(), nn, p, i, i + 1, nn, out); break;
          case dmEuclid: PairValues<dmEuclid>(cols.data(), nn, p, i, i + 1, nn, out); break;
          case dmEuclidSqr: PairValues<dmEuclidSqr>(cols.data(), nn, p, i, i + 1, nn, out); break;
          case dmDice: PairValues<dmDice>(cols.data(), nn, p, i, i + 1, nn, out); break;
          case dmUserDef: break;
        }
      }
    }
    auto D = [&](int i, int j) -> double& { return i < j ? rowOf[i][j - i - 1] : rowOf[j][i - j - 1]; };
    std::vector<int> id(n), size(n, 1);
    std::vector<char> active(n, 1);
    for (int i = 0; i < n; ++i) id[i] = i + 1;
    // The pair merged next is the first smallest distance D(i, j), i < j, of
    // the active clusters in the order i, then j.  Each row i keeps the first
    // smallest of its entries j > i (rowMin, rowArg; rowArg -1 when it has
    // none), so that only the rows the last merge touched are scanned again.
    std::vector<double> rowMin(n, 0.0);
    std::vector<int> rowArg(n, -1);
    auto scanRow = [&](int i) {
      const double* di = rowOf[i];  // di[t] = D(i, i + 1 + t)
      const char* act = active.data() + i + 1;
      int arg = -1;
      double best = 0;
      for (int t = 0; t < n - i - 1; ++t)
        if (act[t] && (arg < 0 || di[t] < best)) {
          best = di[t];
          arg = i + 1 + t;
        }
      rowMin[i] = best;
      rowArg[i] = arg;
    };
    for (int i = 0; i < n; ++i) scanRow(i);
    std::vector<int> alive(n);  // the active clusters in ascending order
    std::iota(alive.begin(), alive.end(), 0);
    for (int k = 1; k <= steps; ++k) {
      if (!beginStep(k)) return abandon();
      int bi = -1, bj = -1;
      double best = 0;
      for (const int i : alive) {
        if (rowArg[i] < 0) continue;
        if (bi < 0 || rowMin[i] < best) {
          best = rowMin[i];
          bi = i;
          bj = rowArg[i];
        }
      }
      // bi < bj: the merged cluster lives on in bj.  Its distances to the
      // others follow the linkage; the rows before bj then see their entry bj
      // changed, and those before bi lose their entry bi.
      const double dij = D(bi, bj);
      const double ni = size[bi], nj = size[bj];
      m1[k - 1] = id[bi];
      m2[k - 1] = id[bj];
      hts[k - 1] = dij;
      id[bj] = n + k;
      size[bj] += size[bi];
      active[bi] = 0;
      alive.erase(std::lower_bound(alive.begin(), alive.end(), bi));
      // The entries of the rows before bi and bj are far apart in memory:
      // they are fetched some rows ahead.
      constexpr size_t kAhead = 8;
      const size_t nAlive = alive.size();
      for (size_t t = 0; t < nAlive; ++t) {
        const int q = alive[t];
        if (q == bj) continue;
        if (t + kAhead < nAlive) {
          const int r = alive[t + kAhead];
          if (r < bi) __builtin_prefetch(&D(r, bi));
          if (r < bj) __builtin_prefetch(&D(r, bj), 1);
        }
        const double dik = D(bi, q), nk = size[q];
        double& djq = D(bj, q);
        const double djk = djq;
        double v = 0;
        switch (Method) {
          case cmSingleLink: v = std::min(dik, djk); break;
          case cmCompleteLink: v = std::max(dik, djk); break;
          case cmWard: v = ((ni + nk) * dik + (nj + nk) * djk - nk * dij) / (ni + nj + nk); break;
          case cmAvgLink: v = (dik + djk) / 2; break;
          case cmUpgma: v = (ni * dik + nj * djk) / (ni + nj); break;
          case cmFlexLink: v = FlexAlpha * (dik + djk) + (1 - 2 * FlexAlpha) * dij; break;
        }
        djq = v;
        if (q > bj) continue;
        if (rowArg[q] == bi) {
          scanRow(q);
        } else if (rowArg[q] == bj) {
          if (v < rowMin[q])
            rowMin[q] = v;
          else if (!(v == rowMin[q]))
            scanRow(q);
        } else if (rowArg[q] < 0 || v < rowMin[q] || (v == rowMin[q] && bj < rowArg[q])) {
          rowMin[q] = v;
          rowArg[q] = bj;
        }
      }
      scanRow(bj);
    }
  }
  for (int k = 1; k <= steps; ++k) {
    Merges->SetVal(1, k, m1[k - 1]);
    Merges->SetVal(2, k, m2[k - 1]);
    Merges->SetVal(3, k, n + k);
    Heights->Data()[k - 1] = hts[k - 1];
  }
  Heights->Changed();
  // Leaf order: expand the last merge, first child before second.
  std::vector<double> pos(2 * n, 0.0);
  if (n >= 1) {
    int place = 0;
    std::vector<int> stack{steps > 0 ? n + steps : 1};
    while (!stack.empty()) {
      const int node = stack.back();
      stack.pop_back();
      if (node <= n) {
        pos[node] = ++place;
      } else {
        stack.push_back(m2[node - n - 1]);
        stack.push_back(m1[node - n - 1]);
      }
    }
    for (int k = 1; k <= steps; ++k) pos[n + k] = (pos[m1[k - 1]] + pos[m2[k - 1]]) / 2.0;
    for (int i = 1; i <= 2 * n - 1; ++i) Positions->Data()[i - 1] = pos[i];
  }
  Positions->Changed();
  return 0;
}

// ================================================================ nearest neighbours
namespace {
// Keeps the best entries in ascending order; equal distances keep the earlier
// entry first.
void InsertSorted(std::vector<double>& dist, std::vector<int>& obj, int& count, int cap, double d, int o) {
  int p = count;
  while (p > 0 && dist[p - 1] > d) --p;
  if (p >= cap) return;
  const int last = std::min(count, cap - 1);
  for (int q = last; q > p; --q) {
    dist[q] = dist[q - 1];
    obj[q] = obj[q - 1];
  }
  dist[p] = d;
  obj[p] = o;
  if (count < cap) ++count;
}
}  // namespace

void FindNearestNeighbors(int k, const TMatrix* Data, int FirstObj, int LastObj, const TVector* Query,
                          TMatrix* Neighbors, TKnnDistFunc DistFunc) {
  if (!Data || !Query || !Neighbors) throw EZOLMath2Error("FindNearestNeighbors: matrix or vector is undefined");
  const int nr = Data->NrOfRows();
  FirstObj = std::clamp(FirstObj, 1, std::max(nr, 1));
  LastObj = std::clamp(LastObj, 1, std::max(nr, 1));
  if (FirstObj > LastObj) std::swap(FirstObj, LastObj);
  k = std::min({k, 100, nr});
  if (k < 1) k = 1;
  std::vector<double> dist(k);
  std::vector<int> obj(k);
  int count = 0;
  const int nq = Query->NrOfElem();
  for (int o = FirstObj; o <= LastObj; ++o) {
    double d;
    if (DistFunc) {
      d = DistFunc(o);
    } else {
      double s = 0;
      for (int c = 1; c <= nq; ++c) {
        const double t = Query->GetVal(c) - Data->GetVal(c, o);
        s += t * t;
      }
      d = std::sqrt(s);
    }
    InsertSorted(dist, obj, count, k, d, o);
  }
  Neighbors->Resize(2, k);
  Neighbors->Fill(0);
  for (int i = 0; i < count; ++i) {
    Neighbors->ColumnData(1)[i] = obj[i];
    Neighbors->ColumnData(2)[i] = dist[i];
  }
  Neighbors->Changed();
}

void MeanDistanceKNN(const TMatrix* Data, int K, int FirstObj, int LastObj, TVector* Result) {
  if (!Data || !Result) throw EZOLMath2Error("MeanDistanceKNN: matrix or vector is undefined");
  const int nr = Data->NrOfRows(), nc = Data->NrOfColumns();
  FirstObj = std::clamp(FirstObj, 1, nr);
  LastObj = std::clamp(LastObj, 1, nr);
  if (FirstObj > LastObj) std::swap(FirstObj, LastObj);
  K = std::clamp(K, 1, 50);
  K = std::min(K, nr);
  if (Result->NrOfElem() < LastObj) Result->Resize(LastObj);
  std::vector<double> dist(K);
  std::vector<int> obj(K);
  for (int o = FirstObj; o <= LastObj; ++o) {
    int count = 0;
    for (int q = FirstObj; q <= LastObj; ++q) {
      double s = 0;
      for (int c = 1; c <= nc; ++c) {
        const double t = Data->GetVal(c, o) - Data->GetVal(c, q);
        s += t * t;
      }
      // The object itself first among equal distances.
      const double d = std::sqrt(s);
      if (q == o) {
        int p = 0;
        while (p < count && dist[p] < d) ++p;
        if (p < K) {
          for (int r = std::min(count, K - 1); r > p; --r) {
            dist[r] = dist[r - 1];
            obj[r] = obj[r - 1];
          }
          dist[p] = d;
          obj[p] = q;
          if (count < K) ++count;
        }
      } else {
        InsertSorted(dist, obj, count, K, d, q);
      }
    }
    double s = 0;
    for (int i = 0; i < count; ++i) s += dist[i];
    Result->Data()[o - 1] = count > 0 ? s / count : 0.0;
  }
  Result->Changed();
}

void EstimateByKNN(const TMatrix* Data, const TVector* Targets, int K, TKnnWMode WeightMode, double KernelWidth,
                   const TVector* Query, double& Estimate, double& MeanDist) {
  if (!Data || !Targets || !Query) throw EZOLMath2Error("EstimateByKNN: matrix or vector is undefined");
  K = std::clamp(K, 1, Data->NrOfRows());
  TMatrix nb(nullptr);
  FindNearestNeighbors(K, Data, 1, Data->NrOfRows(), Query, &nb);
  K = nb.NrOfRows();
  std::vector<double> d(K), t(K);
  double sd = 0;
  for (int j = 1; j <= K; ++j) {
    d[j - 1] = nb.GetVal(2, j);
    t[j - 1] = Targets->GetVal(static_cast<int>(nb.GetVal(1, j)));
    sd += d[j - 1];
  }
  MeanDist = sd / K;
  const double q = MeanDist == 0 ? 0.001 : MeanDist;
  Estimate = 0;
  switch (WeightMode) {
    case kwmGauss: {
      double sw = 0, swt = 0;
      for (int j = 0; j < K; ++j) {
        const double a = KernelWidth * d[j] / q;
        const double w = std::exp(-a * a);
        sw += w;
        swt += w * t[j];
      }
      Estimate = sw > 0 ? swt / sw : 0.0;
      break;
    }
    case kwmAverage: {
      double s = 0;
      for (double v : t) s += v;
      Estimate = s / K;
      break;
    }
    case kwmMedian: {
      double q1, q2, q3;
      vecstat::Quartiles(t, q1, q2, q3);
      Estimate = q2;
      break;
    }
    case kwmLinear: {
      double sw = 0, swt = 0;
      for (int j = 0; j < K; ++j) {
        const double w = (q * KernelWidth) != 0 ? 1.0 - d[j] / (q * KernelWidth) : 0.0;
        if (w > 0) {
          sw += w;
          swt += w * t[j];
        }
      }
      Estimate = sw > 0 ? swt / sw : 0.0;
      break;
    }
  }
}

double CalcGaussKernel(const TVector* V1, const TVector* V2, double Width) {
  if (!V1 || !V2) return 0;
  double D = 0;
  for (int i = 1; i <= V2->NrOfElem(); ++i) {
    const double t = V1->GetVal(i) - V2->GetVal(i);
    D += t * t;
  }
  return std::exp(-std::min(D / (Width * Width), 20.0));
}

double CalcGaussKernelMat(const TVector* V, const TMatrix* M, int Row, double Width) {
  if (!V || !M) return 0;
  double D = 0;
  for (int c = 1; c <= M->NrOfColumns(); ++c) {
    const double t = V->GetVal(c) - M->GetVal(c, Row);
    D += t * t;
  }
  return std::exp(-std::min(D / (Width * Width), 20.0));
}

// ================================================================ images
double CalcImgCorrelation(const TBitmap* Img1, const TBitmap* Img2, const TRect& Area1, const TRect& Area2,
                          TImgCompareMode Mode) {
  if (!Img1 || !Img2) throw EZOLMath2Error("CalcImgCorrelation: image is undefined");
  if (Area1.Right - Area1.Left != Area2.Right - Area2.Left || Area1.Bottom - Area1.Top != Area2.Bottom - Area2.Top)
    throw EZOLMath2Error("CalcImgCorrelation: image ranges to compare are not of equal size");
  auto inside = [](const TBitmap* b, const TRect& a) {
    return a.Left >= 0 && a.Top >= 0 && a.Left <= a.Right && a.Top <= a.Bottom && a.Right < b->Width() &&
           a.Bottom < b->Height();
  };
  if (!inside(Img1, Area1) || !inside(Img2, Area2))
    throw EZOLMath2Error("CalcImgCorrelation: image range is outside the bitmap");
  auto value = [Mode](uint32_t px) -> double {
    const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
    double H, S, I;
    switch (Mode) {
      case icmRed: return r;
      case icmBlue: return b;
      case icmGreen: return g;
      case icmHue: RGBtoHSI(r, g, b, H, S, I); return H;
      case icmLightness: RGBtoHSI(r, g, b, H, S, I); return I;
      case icmSaturation: RGBtoHSI(r, g, b, H, S, I); return S;
      case icmGrayValues: return RGBtoGray(r, g, b);
    }
    return 0;
  };
  TCurveFit cf(nullptr);
  const int dx = Area2.Left - Area1.Left, dy = Area2.Top - Area1.Top;
  for (int x = Area1.Left; x <= Area1.Right; ++x)
    for (int y = Area1.Top; y <= Area1.Bottom; ++y)
      cf.EnterStatValue(value(Img1->ScanLine(y)[x]), value(Img2->ScanLine(y + dy)[x + dx]));
  return cf.Rxy();
}

// ================================================================ plane geometry
bool PointIsInsidePolygon(double x, double y, const TPointDoubleArray& Polygon) {
  const size_t n = Polygon.size();
  if (n < 3) return false;
  int count = 0;
  for (size_t i = 0; i < n; ++i) {
    const TPointDouble& a = Polygon[i];
    const TPointDouble& b = Polygon[(i + 1) % n];
    if ((a.X < x && b.X > x) || (a.X > x && b.X < x)) {
      const double yy = a.Y + (x - a.X) * (b.Y - a.Y) / (b.X - a.X);
      if (yy > y) ++count;
    }
  }
  return (count % 2) == 1;
}

double PolygonArea(const TPointDoubleArray& Polygon) {
  const size_t n = Polygon.size();
  double s = 0;
  for (size_t i = 0; i < n; ++i) {
    const TPointDouble& a = Polygon[i];
    const TPointDouble& b = Polygon[(i + 1) % n];
    s += (a.X - b.X) * (a.Y + b.Y);
  }
  return 0.5 * s;
}

bool PointIsInsideConvexHull(double x, double y, const TPointDoubleArray& Hull) {
  const size_t n = Hull.size();
  if (n < 3) return false;
  auto left = [&](const TPointDouble& a, const TPointDouble& b) {
    return (b.X - a.X) * (y - a.Y) - (b.Y - a.Y) * (x - a.X) > 0;
  };
  if (!left(Hull[n - 1], Hull[0])) return false;
  for (size_t i = 0; i + 1 < n; ++i)
    if (!left(Hull[i], Hull[i + 1])) return false;
  return true;
}

// Hull vertices by Andrew's monotone chain (A. M. Andrew, Inf. Process. Lett.
// 9 (1979) 216), collinear points dropped; then ordered counter-clockwise by
// the angle about the centroid of all points, starting from the direction
// straight down (AngleToXAxis + π/2).
TPointDoubleArray Convex2DHull(const TPointDoubleArray& Points) {
  const size_t n = Points.size();
  if (n == 0) return {};
  double cx = 0, cy = 0;
  for (const TPointDouble& p : Points) {
    cx += p.X;
    cy += p.Y;
  }
  cx /= n;
  cy /= n;
  auto angle = [&](const TPointDouble& p) {
    double a = AngleToXAxis(p.X - cx, p.Y - cy) + 3.14159265358979323846 / 2;
    if (a > 2 * 3.14159265358979323846) a -= 2 * 3.14159265358979323846;
    return a;
  };
  std::vector<TPointDouble> hull;
  if (n <= 3) {
    hull = Points;
    // Three points given clockwise come back counter-clockwise.
    if (n == 3) {
      const double cr = (hull[1].X - hull[0].X) * (hull[2].Y - hull[0].Y) -
                        (hull[1].Y - hull[0].Y) * (hull[2].X - hull[0].X);
      if (cr < 0) std::swap(hull[1], hull[2]);
    }
  } else {
    std::vector<TPointDouble> p = Points;
    std::sort(p.begin(), p.end(), [](const TPointDouble& a, const TPointDouble& b) {
      return a.X < b.X || (a.X == b.X && a.Y < b.Y);
    });
    auto cross = [](const TPointDouble& o, const TPointDouble& a, const TPointDouble& b) {
      return (a.X - o.X) * (b.Y - o.Y) - (a.Y - o.Y) * (b.X - o.X);
    };
    std::vector<TPointDouble> h(2 * n);
    size_t k = 0;
    for (size_t i = 0; i < n; ++i) {
      while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
      h[k++] = p[i];
    }
    for (size_t i = n - 1, t = k + 1; i > 0; --i) {
      while (k >= t && cross(h[k - 2], h[k - 1], p[i - 1]) <= 0) --k;
      h[k++] = p[i - 1];
    }
    h.resize(k > 1 ? k - 1 : k);
    hull = h;
    if (hull.size() >= 3) {
      // Rotate so that the vertex with the smallest angle comes first
      // (the chain is already counter-clockwise).
      size_t first = 0;
      for (size_t i = 1; i < hull.size(); ++i)
        if (angle(hull[i]) < angle(hull[first])) first = i;
      std::rotate(hull.begin(), hull.begin() + static_cast<ptrdiff_t>(first), hull.end());
    }
  }
  return hull;
}

}  // namespace zol

namespace zol {

// ================================================================ linearisable fits
namespace {
constexpr long double kTiny = 1e-30L;

// Solves the symmetric 3 × 3 system S·c = r by Gaussian elimination with
// partial pivoting; false when it is singular.
bool Solve3(const long double S[3][3], const long double r[3], long double c[3]) {
  long double a[3][4];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) a[i][j] = S[i][j];
    a[i][3] = r[i];
  }
  long double scale = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) scale = std::max(scale, std::fabs(a[i][j]));
  if (scale == 0) return false;
  for (int col = 0; col < 3; ++col) {
    int piv = col;
    for (int i = col + 1; i < 3; ++i)
      if (std::fabs(a[i][col]) > std::fabs(a[piv][col])) piv = i;
    if (std::fabs(a[piv][col]) <= 1e-17L * scale) return false;
    for (int j = 0; j < 4; ++j) std::swap(a[col][j], a[piv][j]);
    for (int i = 0; i < 3; ++i) {
      if (i == col) continue;
      long double f = a[i][col] / a[col][col];
      for (int j = col; j < 4; ++j) a[i][j] -= f * a[col][j];
    }
  }
  for (int i = 0; i < 3; ++i) c[i] = a[i][3] / a[i][i];
  return true;
}
}  // namespace

void TCurveFit::LineFit(const char* Name, long double su, long double sv, long double suu, long double suv,
                        long double svv, bool Invalid, double& k, double& d, double& FitQual) const {
  k = d = FitQual = 0;
  if (FNumData < 2) throw EZOLMath2Error(std::string(Name) + ": not enough data points");
  if (Invalid) throw EZOLMath2Error(std::string(Name) + ": data not suitable for this model");
  const long double n = FNumData;
  const long double den = n * suu - su * su;
  // All u equal (to the precision of the sums): no line.
  if (!(den > 1e-16L * n * suu) || !(std::fabs(den) > kTiny))
    throw EZOLMath2Error(std::string(Name) + ": data not suitable for this model");
  const long double kk = (n * suv - su * sv) / den;
  k = static_cast<double>(kk);
  d = static_cast<double>((sv - kk * su) / n);
  const long double qv = n * svv - sv * sv;
  FitQual = qv > 0 ? static_cast<double>((n * suv - su * sv) * (n * suv - su * sv) / (den * qv)) : 1.0;
}

void TCurveFit::CalcReciLinFit(double& k, double& d, double& FitQual) const {
  const TSums& s = FSums;
  LineFit("CalcReciLinFit", s.x, s.rY, s.x2, s.xDivY, s.rY2, FYRecipInvalid, k, d, FitQual);
}

void TCurveFit::CalcHyperbolFit(double& k, double& d, double& FitQual) const {
  const TSums& s = FSums;
  LineFit("CalcHyperbolFit", s.rX, s.y, s.rX2, s.yDivX, s.y2, FXRecipInvalid, k, d, FitQual);
}

void TCurveFit::CalcReciHyperbolFit(double& k, double& d, double& FitQual) const {
  const TSums& s = FSums;
  LineFit("CalcReciHyperbolFit", s.rX, s.rY, s.rX2, s.rXY, s.rY2, FXRecipInvalid || FYRecipInvalid, k, d, FitQual);
}

void TCurveFit::CalcLogFit(double& k, double& d, double& FitQual) const {
  const TSums& s = FSums;
  LineFit("CalcLogFit", s.lnX, s.y, s.lnX2, s.yLnX, s.y2, FXLogInvalid, k, d, FitQual);
}

void TCurveFit::CalcReciLogFit(double& k, double& d, double& FitQual) const {
  const TSums& s = FSums;
  LineFit("CalcReciLogFit", s.lnX, s.rY, s.lnX2, s.lnXDivY, s.rY2, FXLogInvalid || FYRecipInvalid, k, d, FitQual);
}

void TCurveFit::CalcPowerFit(double& k, double& d, double& FitQual) const {
  const TSums& s = FSums;
  LineFit("CalcPowerFit", s.lnX, s.lnY, s.lnX2, s.lnXLnY, s.lnY2, FXLogInvalid || FYLogInvalid, k, d, FitQual);
  d = std::exp(d);
}

void TCurveFit::CalcExponentialFit(double& k, double& d, double& FitQual) const {
  const TSums& s = FSums;
  LineFit("CalcExponentialFit", s.x, s.lnY, s.x2, s.xLnY, s.lnY2, FYLogInvalid, k, d, FitQual);
  d = std::exp(d);
}

void TCurveFit::Fit3(const char* Name, const long double S[3][3], const long double r[3], long double svv,
                     long double sv, bool Invalid, double c[3], double& FitQual) const {
  c[0] = c[1] = c[2] = FitQual = 0;
  if (FNumData < 3) throw EZOLMath2Error(std::string(Name) + ": not enough data points");
  if (Invalid) throw EZOLMath2Error(std::string(Name) + ": data not suitable for this model");
  long double x[3];
  if (!Solve3(S, r, x)) throw EZOLMath2Error(std::string(Name) + ": data not suitable for this model");
  const long double n = FNumData;
  // Residual and total sums of squares of the transformed values.
  const long double ssRes = svv - (x[0] * r[0] + x[1] * r[1] + x[2] * r[2]);
  const long double ssTot = svv - sv * sv / n;
  FitQual = ssTot > 0 ? static_cast<double>(std::clamp(1 - ssRes / ssTot, 0.0L, 1.0L)) : 1.0;
  for (int i = 0; i < 3; ++i) c[i] = static_cast<double>(x[i]);
}

void TCurveFit::CalcHoerlFit(double& a, double& b, double& c, double& FitQual) const {
  const TSums& s = FSums;
  const long double n = FNumData;
  // ln y = ln a + x·ln b + c·ln x
  const long double S[3][3] = {{n, s.x, s.lnX}, {s.x, s.x2, s.xLnX}, {s.lnX, s.xLnX, s.lnX2}};
  const long double r[3] = {s.lnY, s.xLnY, s.lnXLnY};
  double p[3];
  Fit3("CalcHoerlFit", S, r, s.lnY2, s.lnY, FXLogInvalid || FYLogInvalid, p, FitQual);
  a = std::exp(p[0]);
  b = std::exp(p[1]);
  c = p[2];
}

void TCurveFit::CalcGaussFit(double& a, double& b, double& c, double& FitQual) const {
  const TSums& s = FSums;
  const long double n = FNumData;
  // ln y = α + β·x + γ·x², γ = −1/(2c²), β = b/c², α = ln a − b²/(2c²)
  const long double S[3][3] = {{n, s.x, s.x2}, {s.x, s.x2, s.x3}, {s.x2, s.x3, s.x4}};
  const long double r[3] = {s.lnY, s.xLnY, s.x2LnY};
  double p[3];
  a = b = c = 0;
  Fit3("CalcGaussFit", S, r, s.lnY2, s.lnY, FYLogInvalid, p, FitQual);
  if (!(p[2] < 0)) {
    FitQual = 0;
    throw EZOLMath2Error("CalcGaussFit: data not suitable for this model");
  }
  c = std::sqrt(-1.0 / (2 * p[2]));
  b = -p[1] / (2 * p[2]);
  a = std::exp(p[0] - p[1] * p[1] / (4 * p[2]));
}

// ================================================================ splines
namespace {
// Second derivatives of the interpolating cubic spline through (x, y) (x
// strictly increasing): natural ends or clamped slopes (the tridiagonal
// system of the classic spline construction, e.g. Press et al., Numerical
// Recipes, 2nd ed., section 3.3).
std::vector<double> SplineSecondDerivs(const std::vector<double>& x, const std::vector<double>& y, bool nat1,
                                       double yp1, bool natN, double ypn) {
  const size_t n = x.size();
  std::vector<double> y2(n, 0.0), u(n, 0.0);
  if (n < 2) return y2;
  if (nat1) {
    y2[0] = u[0] = 0.0;
  } else {
    y2[0] = -0.5;
    u[0] = (3.0 / (x[1] - x[0])) * ((y[1] - y[0]) / (x[1] - x[0]) - yp1);
  }
  for (size_t i = 1; i + 1 < n; ++i) {
    const double sig = (x[i] - x[i - 1]) / (x[i + 1] - x[i - 1]);
    const double p = sig * y2[i - 1] + 2.0;
    y2[i] = (sig - 1.0) / p;
    u[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]) - (y[i] - y[i - 1]) / (x[i] - x[i - 1]);
    u[i] = (6.0 * u[i] / (x[i + 1] - x[i - 1]) - sig * u[i - 1]) / p;
  }
  double qn = 0, un = 0;
  if (!natN) {
    qn = 0.5;
    un = (3.0 / (x[n - 1] - x[n - 2])) * (ypn - (y[n - 1] - y[n - 2]) / (x[n - 1] - x[n - 2]));
  }
  y2[n - 1] = (un - qn * u[n - 2]) / (qn * y2[n - 2] + 1.0);
  for (size_t k = n - 1; k-- > 0;) y2[k] = y2[k] * y2[k + 1] + u[k];
  return y2;
}

// Value at t of the cubic spline with nodes x, values y and second derivatives y2.
double SplineAt(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& y2, double t) {
  const size_t n = x.size();
  if (n == 0) return 0;
  if (n == 1) return y[0];
  size_t hi = std::upper_bound(x.begin(), x.end(), t) - x.begin();
  hi = std::clamp<size_t>(hi, 1, n - 1);
  const size_t lo = hi - 1;
  const double h = x[hi] - x[lo];
  const double a = (x[hi] - t) / h, b = (t - x[lo]) / h;
  return a * y[lo] + b * y[hi] + ((a * a * a - a) * y2[lo] + (b * b * b - b) * y2[hi]) * (h * h) / 6.0;
}
}  // namespace

void TCurveFit::Nodes(std::vector<double>& x, std::vector<double>& y) const {
  const std::vector<double> cx = Column(1), cy = Column(2);
  std::vector<size_t> idx(cx.size());
  std::iota(idx.begin(), idx.end(), 0);
  std::stable_sort(idx.begin(), idx.end(), [&](size_t a, size_t b) { return cx[a] < cx[b]; });
  x.clear();
  y.clear();
  for (size_t i = 0; i < idx.size();) {
    size_t j = i;
    long double sum = 0;
    while (j < idx.size() && cx[idx[j]] == cx[idx[i]]) sum += cy[idx[j++]];
    x.push_back(cx[idx[i]]);
    y.push_back(static_cast<double>(sum / (j - i)));
    i = j;
  }
}

double TCurveFit::CubicSpline(double x) const {
  if (!FSplineValid) {
    Nodes(FSplX, FSplY);
    FSplD2 = SplineSecondDerivs(FSplX, FSplY, FNatural1, FY1Dash, FNaturalN, FYNDash);
    FSplineValid = true;
  }
  return SplineAt(FSplX, FSplY, FSplD2, x);
}

void TCurveFit::SmoothedSpline(double x, double& y, bool& Valid) const {
  if (!FSmoothValid) {
    std::vector<double> nx, ny;
    Nodes(nx, ny);
    FSmX.clear();
    FSmY.clear();
    FSmD2.clear();
    const double p = std::clamp(FSplineSmoothing, 0.0, 1.0);
    if (nx.size() == 2 || (nx.size() >= 2 && p == 1.0)) {
      FSmX = nx;
      FSmY = ny;
      FSmD2 = SplineSecondDerivs(nx, ny, true, 0, true, 0);
    } else if (nx.size() >= 3) {
      TVector X(nullptr), Y(nullptr), F(nullptr), G(nullptr);
      X.Resize(static_cast<int>(nx.size()));
      Y.Resize(static_cast<int>(nx.size()));
      for (size_t i = 0; i < nx.size(); ++i) {
        X.SetVal(static_cast<int>(i + 1), nx[i]);
        Y.SetVal(static_cast<int>(i + 1), ny[i]);
      }
      // p = 0 is the limit of a huge penalty: the least-squares line.
      const double lambda = p > 0 ? (1 - p) / p : 1e300;
      if (lambda >= 1e15) {
        long double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (size_t i = 0; i < nx.size(); ++i) {
          sx += nx[i];
          sy += ny[i];
          sxx += static_cast<long double>(nx[i]) * nx[i];
          sxy += static_cast<long double>(nx[i]) * ny[i];
        }
        const long double m = nx.size();
        const long double k = (m * sxy - sx * sy) / (m * sxx - sx * sx), d = (sy - k * sx) / m;
        FSmX = nx;
        for (double v : nx) FSmY.push_back(static_cast<double>(k * v + d));
        FSmD2.assign(nx.size(), 0.0);
      } else if (PenalizedCubicSpline(&X, &Y, lambda, &F, &G)) {
        FSmX = nx;
        for (size_t i = 0; i < nx.size(); ++i) {
          FSmY.push_back(F.GetVal(static_cast<int>(i + 1)));
          FSmD2.push_back(G.GetVal(static_cast<int>(i + 1)));
        }
      }
    }
    FSmoothValid = true;
  }
  Valid = FSmX.size() >= 2;
  y = Valid ? SplineAt(FSmX, FSmY, FSmD2, x) : 0.0;
}

bool PenalizedCubicSpline(const TVector* X, const TVector* Y, double Lambda, TVector* Fitted, TVector* SecondDeriv) {
  if (!X || !Y || !Fitted || !SecondDeriv) return false;
  const int n = X->NrOfElem();
  if (n < 3 || Y->NrOfElem() != n || !(Lambda >= 0) || !std::isfinite(Lambda)) return false;
  std::vector<double> x(n), y(n), h(n - 1);
  for (int i = 0; i < n; ++i) {
    x[i] = X->GetVal(i + 1);
    y[i] = Y->GetVal(i + 1);
  }
  for (int i = 0; i + 1 < n; ++i) {
    h[i] = x[i + 1] - x[i];
    if (!(h[i] > 0)) return false;
  }
  // Interior knots j = 1..n−2: Q (n × (n−2)) has Q[j−1][j] = 1/h[j−1],
  // Q[j][j] = −1/h[j−1] − 1/h[j], Q[j+1][j] = 1/h[j]; R ((n−2) × (n−2)) is
  // tridiagonal with R[j][j] = (h[j−1] + h[j])/3 and R[j][j+1] = h[j]/6.
  // (R + Lambda·QᵀQ)·γ = Qᵀy, then f = y − Lambda·Q·γ.  The matrix is
  // pentadiagonal, symmetric and positive definite: solved by a banded
  // Cholesky factorisation.
  const int m = n - 2;
  auto q = [&](int row, int j) -> double {  // Q[row][j], j = 1..m (interior knot j)
    if (row == j - 1) return 1.0 / h[j - 1];
    if (row == j) return -1.0 / h[j - 1] - 1.0 / h[j];
    if (row == j + 1) return 1.0 / h[j];
    return 0.0;
  };
  // Band storage: A[k][d] = entry (k, k + d) for d = 0..2 (0-based k = j − 1).
  std::vector<std::array<double, 3>> A(m, {0.0, 0.0, 0.0});
  std::vector<double> rhs(m, 0.0);
  for (int k = 0; k < m; ++k) {
    const int j = k + 1;
    A[k][0] = (h[j - 1] + h[j]) / 3.0;
    if (k + 1 < m) A[k][1] = h[j] / 6.0;
    for (int d = 0; d <= 2 && k + d < m; ++d) {
      const int j2 = j + d;
      double qq = 0;
      for (int row = j2 - 1; row <= j + 1; ++row) qq += q(row, j) * q(row, j2);
      A[k][d] += Lambda * qq;
    }
    rhs[k] = q(j - 1, j) * y[j - 1] + q(j, j) * y[j] + q(j + 1, j) * y[j + 1];
  }
  // Cholesky: L (lower, bandwidth 2) with L·Lᵀ = A.
  std::vector<std::array<double, 3>> L(m, {0.0, 0.0, 0.0});  // L[k][d] = entry (k, k − d)
  for (int k = 0; k < m; ++k) {
    for (int d = 2; d >= 1; --d) {
      if (k - d < 0) continue;
      double s = A[k - d][d];
      for (int e = d + 1; e <= 2; ++e)
        if (k - e >= 0) s -= L[k][e] * L[k - d][e - d];
      L[k][d] = s / L[k - d][0];
    }
    double s = A[k][0];
    for (int d = 1; d <= 2; ++d)
      if (k - d >= 0) s -= L[k][d] * L[k][d];
    if (!(s > 0)) return false;
    L[k][0] = std::sqrt(s);
  }
  std::vector<double> g(m);
  for (int k = 0; k < m; ++k) {
    double s = rhs[k];
    for (int d = 1; d <= 2; ++d)
      if (k - d >= 0) s -= L[k][d] * g[k - d];
    g[k] = s / L[k][0];
  }
  for (int k = m - 1; k >= 0; --k) {
    double s = g[k];
    for (int d = 1; d <= 2; ++d)
      if (k + d < m) s -= L[k + d][d] * g[k + d];
    g[k] = s / L[k][0];
  }
  Fitted->Resize(n);
  SecondDeriv->Resize(n);
  for (int i = 0; i < n; ++i) {
    double qg = 0;
    for (int j = std::max(1, i - 1); j <= std::min(m, i + 1); ++j) qg += q(i, j) * g[j - 1];
    Fitted->SetVal(i + 1, y[i] - Lambda * qg);
    SecondDeriv->SetVal(i + 1, (i >= 1 && i <= m) ? g[i - 1] : 0.0);
  }
  return true;
}

// ================================================================ least squares and regression
bool SingValDecomp(const TMatrix* A, TMatrix* U, TVector* W, TMatrix* V) {
  if (!A || !U || !W || !V) return false;
  return A->SingularValueDecomposition(U, W, V);
}

bool SingValEquSolve(const TMatrix* A, const TVector* B, TVector* X, TVector* StdErr, bool& Truncated) {
  Truncated = false;
  if (!A || !B || !X) return false;
  const int nc = A->NrOfColumns(), m = A->NrOfRows();
  if (nc < 1 || m < 1 || B->NrOfElem() != m) return false;
  TMatrix U(nullptr), V(nullptr);
  TVector W(nullptr);
  if (!A->SingularValueDecomposition(&U, &W, &V)) return false;
  double wmax = 0;
  for (int k = 1; k <= nc; ++k) wmax = std::max(wmax, std::fabs(W.GetVal(k)));
  std::vector<double> w(nc);
  for (int k = 1; k <= nc; ++k) {
    w[k - 1] = W.GetVal(k);
    if (std::fabs(w[k - 1]) < 1e-14 * wmax || w[k - 1] == 0) {
      Truncated = true;
      w[k - 1] = 0;
    }
  }
  std::vector<long double> c(nc, 0.0L);
  for (int k = 1; k <= nc; ++k) {
    if (w[k - 1] == 0) continue;
    long double ub = 0;
    for (int i = 1; i <= m; ++i) ub += static_cast<long double>(U.GetVal(k, i)) * B->GetVal(i);
    const long double f = ub / w[k - 1];
    for (int l = 1; l <= nc; ++l) c[l - 1] += V.GetVal(k, l) * f;
  }
  X->Resize(nc);
  for (int l = 1; l <= nc; ++l) X->SetVal(l, static_cast<double>(c[l - 1]));
  if (StdErr) {
    StdErr->Resize(nc);
    for (int l = 1; l <= nc; ++l) {
      long double s = 0;
      for (int k = 1; k <= nc; ++k)
        if (w[k - 1] != 0) s += static_cast<long double>(V.GetVal(k, l)) * V.GetVal(k, l) / (w[k - 1] * w[k - 1]);
      StdErr->SetVal(l, static_cast<double>(std::sqrt(s)));
    }
  }
  return true;
}

bool MultiLinReg(const TMatrix* X, const TVector* Y, bool Intercept, std::vector<double>& Coeffs, double& RSqr) {
  RSqr = 0;
  if (!X || !Y) return false;
  const int p = X->NrOfColumns(), n = X->NrOfRows();
  Coeffs.assign(std::max(p, 0) + 1, 0.0);
  if (p < 1 || n < 1 || Y->NrOfElem() != n) return false;
  TMatrix A(nullptr);
  A.Resize(p + (Intercept ? 1 : 0), n);
  for (int c = 1; c <= p; ++c)
    for (int r = 1; r <= n; ++r) A.SetVal(c, r, X->GetVal(c, r));
  if (Intercept)
    for (int r = 1; r <= n; ++r) A.SetVal(p + 1, r, 1.0);
  TVector sol(nullptr);
  bool trunc;
  if (!SingValEquSolve(&A, Y, &sol, nullptr, trunc)) return false;
  for (int c = 1; c <= p; ++c) Coeffs[c] = sol.GetVal(c);
  if (Intercept) Coeffs[0] = sol.GetVal(p + 1);
  long double my = 0;
  if (Intercept) {
    for (int r = 1; r <= n; ++r) my += Y->GetVal(r);
    my /= n;
  }
  long double ssRes = 0, ssTot = 0;
  for (int r = 1; r <= n; ++r) {
    long double f = Coeffs[0];
    for (int c = 1; c <= p; ++c) f += Coeffs[c] * X->GetVal(c, r);
    const long double y = Y->GetVal(r);
    ssRes += (y - f) * (y - f);
    ssTot += (y - my) * (y - my);
  }
  RSqr = ssTot > 0 ? static_cast<double>(1 - ssRes / ssTot) : 1.0;
  return true;
}

namespace {
// Ridge solution on centred (and possibly scaled) predictors Z (n × p, row
// major) and centred y: (ZᵀZ + Lambda·I)·b = Zᵀy by Cholesky.
bool RidgeSolve(const std::vector<double>& Z, const std::vector<double>& yc, int n, int p, double Lambda,
                std::vector<double>& b) {
  std::vector<long double> M(static_cast<size_t>(p) * p, 0.0L), r(p, 0.0L);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < p; ++j) {
      const long double zij = Z[static_cast<size_t>(i) * p + j];
      r[j] += zij * yc[i];
      for (int k = 0; k <= j; ++k) M[static_cast<size_t>(j) * p + k] += zij * Z[static_cast<size_t>(i) * p + k];
    }
  for (int j = 0; j < p; ++j) M[static_cast<size_t>(j) * p + j] += Lambda;
  // Cholesky of the lower triangle.
  for (int j = 0; j < p; ++j) {
    for (int k = 0; k < j; ++k) {
      long double s = M[static_cast<size_t>(j) * p + k];
      for (int l = 0; l < k; ++l) s -= M[static_cast<size_t>(j) * p + l] * M[static_cast<size_t>(k) * p + l];
      M[static_cast<size_t>(j) * p + k] = s / M[static_cast<size_t>(k) * p + k];
    }
    long double s = M[static_cast<size_t>(j) * p + j];
    for (int l = 0; l < j; ++l) s -= M[static_cast<size_t>(j) * p + l] * M[static_cast<size_t>(j) * p + l];
    if (!(s > 1e-300L)) return false;
    M[static_cast<size_t>(j) * p + j] = std::sqrt(s);
  }
  std::vector<long double> t(p);
  for (int j = 0; j < p; ++j) {
    long double s = r[j];
    for (int l = 0; l < j; ++l) s -= M[static_cast<size_t>(j) * p + l] * t[l];
    t[j] = s / M[static_cast<size_t>(j) * p + j];
  }
  for (int j = p - 1; j >= 0; --j) {
    long double s = t[j];
    for (int l = j + 1; l < p; ++l) s -= M[static_cast<size_t>(l) * p + j] * t[l];
    t[j] = s / M[static_cast<size_t>(j) * p + j];
  }
  b.assign(p, 0.0);
  for (int j = 0; j < p; ++j) b[j] = static_cast<double>(t[j]);
  return true;
}

bool RidgeCommon(const TMatrix* X, const TVector* Y, double Lambda, bool Standardise, std::vector<double>& Coeffs) {
  if (!X || !Y) return false;
  const int p = X->NrOfColumns(), n = X->NrOfRows();
  Coeffs.assign(std::max(p, 0) + 1, 0.0);
  if (p < 1 || n < 2 || Y->NrOfElem() != n || !(Lambda >= 0) || !std::isfinite(Lambda)) return false;
  std::vector<double> mean(p), sd(p, 1.0), Z(static_cast<size_t>(n) * p), yc(n);
  long double my = 0;
  for (int r = 1; r <= n; ++r) my += Y->GetVal(r);
  my /= n;
  for (int r = 0; r < n; ++r) yc[r] = static_cast<double>(Y->GetVal(r + 1) - my);
  std::vector<int> used;
  for (int c = 0; c < p; ++c) {
    long double s = 0;
    for (int r = 1; r <= n; ++r) s += X->GetVal(c + 1, r);
    mean[c] = static_cast<double>(s / n);
    long double q = 0;
    for (int r = 1; r <= n; ++r) q += (X->GetVal(c + 1, r) - mean[c]) * (X->GetVal(c + 1, r) - mean[c]);
    if (Standardise) sd[c] = static_cast<double>(std::sqrt(q / (n - 1)));
    if (Standardise && sd[c] == 0) continue;  // a constant column stays at 0
    used.push_back(c);
  }
  const int pu = static_cast<int>(used.size());
  if (pu == 0) {
    Coeffs[0] = static_cast<double>(my);
    return true;
  }
  Z.assign(static_cast<size_t>(n) * pu, 0.0);
  for (int r = 0; r < n; ++r)
    for (int k = 0; k < pu; ++k) {
      const int c = used[k];
      Z[static_cast<size_t>(r) * pu + k] = (X->GetVal(c + 1, r + 1) - mean[c]) / sd[c];
    }
  std::vector<double> b;
  if (!RidgeSolve(Z, yc, n, pu, Lambda, b)) return false;
  long double b0 = my;
  for (int k = 0; k < pu; ++k) {
    Coeffs[used[k] + 1] = b[k];
    if (!Standardise) b0 -= static_cast<long double>(b[k]) * mean[used[k]];
  }
  Coeffs[0] = static_cast<double>(b0);
  return true;
}
}  // namespace

bool RidgeReg(const TMatrix* X, const TVector* Y, double Lambda, std::vector<double>& Coeffs) {
  return RidgeCommon(X, Y, Lambda, false, Coeffs);
}

bool RidgeRegStd(const TMatrix* X, const TVector* Y, double Lambda, std::vector<double>& Coeffs) {
  return RidgeCommon(X, Y, Lambda, true, Coeffs);
}

bool SimPLS(const TMatrix* X, const TMatrix* Y, int NumLV, TMatrix* B, TVector* Intercept) {
  if (!X || !Y || !B || !Intercept) return false;
  const int p = X->NrOfColumns(), n = X->NrOfRows(), m = Y->NrOfColumns();
  if (p < 1 || m < 1 || n < 2 || Y->NrOfRows() != n || NumLV < 1 || NumLV > std::min(p, n - 1)) return false;
  // Centred data, row major.
  std::vector<double> X0(static_cast<size_t>(n) * p), Y0(static_cast<size_t>(n) * m), mx(p), my(m);
  for (int c = 0; c < p; ++c) {
    long double s = 0;
    for (int r = 1; r <= n; ++r) s += X->GetVal(c + 1, r);
    mx[c] = static_cast<double>(s / n);
    for (int r = 0; r < n; ++r) X0[static_cast<size_t>(r) * p + c] = X->GetVal(c + 1, r + 1) - mx[c];
  }
  for (int c = 0; c < m; ++c) {
    long double s = 0;
    for (int r = 1; r <= n; ++r) s += Y->GetVal(c + 1, r);
    my[c] = static_cast<double>(s / n);
    for (int r = 0; r < n; ++r) Y0[static_cast<size_t>(r) * m + c] = Y->GetVal(c + 1, r + 1) - my[c];
  }
  // S = X0ᵀ·Y0 (p × m)
  std::vector<double> S(static_cast<size_t>(p) * m, 0.0);
  for (int r = 0; r < n; ++r)
    for (int i = 0; i < p; ++i)
      for (int j = 0; j < m; ++j) S[static_cast<size_t>(i) * m + j] += X0[static_cast<size_t>(r) * p + i] * Y0[static_cast<size_t>(r) * m + j];
  std::vector<std::vector<double>> R, Q, V;
  for (int a = 0; a < NumLV; ++a) {
    // q: dominant eigenvector of SᵀS (m × m) by power iteration (m = 1: q = 1).
    std::vector<double> q(m, 1.0);
    if (m > 1) {
      std::vector<double> StS(static_cast<size_t>(m) * m, 0.0);
      for (int i = 0; i < p; ++i)
        for (int j = 0; j < m; ++j)
          for (int k = 0; k < m; ++k)
            StS[static_cast<size_t>(j) * m + k] += S[static_cast<size_t>(i) * m + j] * S[static_cast<size_t>(i) * m + k];
      for (int it = 0; it < 1000; ++it) {
        std::vector<double> nq(m, 0.0);
        for (int j = 0; j < m; ++j)
          for (int k = 0; k < m; ++k) nq[j] += StS[static_cast<size_t>(j) * m + k] * q[k];
        double norm = 0;
        for (double v : nq) norm += v * v;
        norm = std::sqrt(norm);
        if (norm == 0) break;
        double diff = 0;
        for (int j = 0; j < m; ++j) {
          nq[j] /= norm;
          diff += std::fabs(nq[j] - q[j]);
        }
        q = nq;
        if (diff < 1e-15) break;
      }
    }
    std::vector<double> r(p, 0.0), t(n, 0.0);
    for (int i = 0; i < p; ++i)
      for (int j = 0; j < m; ++j) r[i] += S[static_cast<size_t>(i) * m + j] * q[j];
    for (int row = 0; row < n; ++row)
      for (int i = 0; i < p; ++i) t[row] += X0[static_cast<size_t>(row) * p + i] * r[i];
    double tn = 0;
    for (double v : t) tn += v * v;
    tn = std::sqrt(tn);
    if (!(tn > 0)) return false;
    for (double& v : t) v /= tn;
    for (double& v : r) v /= tn;
    std::vector<double> pl(p, 0.0), ql(m, 0.0);
    for (int row = 0; row < n; ++row) {
      for (int i = 0; i < p; ++i) pl[i] += X0[static_cast<size_t>(row) * p + i] * t[row];
      for (int j = 0; j < m; ++j) ql[j] += Y0[static_cast<size_t>(row) * m + j] * t[row];
    }
    // v: the loading made orthogonal to the previous ones.
    std::vector<double> v = pl;
    for (const auto& vp : V) {
      double d = 0;
      for (int i = 0; i < p; ++i) d += vp[i] * pl[i];
      for (int i = 0; i < p; ++i) v[i] -= d * vp[i];
    }
    double vn = 0;
    for (double x : v) vn += x * x;
    vn = std::sqrt(vn);
    if (!(vn > 0)) return false;
    for (double& x : v) x /= vn;
    // Deflate S: S −= v·(vᵀS).
    for (int j = 0; j < m; ++j) {
      double d = 0;
      for (int i = 0; i < p; ++i) d += v[i] * S[static_cast<size_t>(i) * m + j];
      for (int i = 0; i < p; ++i) S[static_cast<size_t>(i) * m + j] -= v[i] * d;
    }
    R.push_back(r);
    Q.push_back(ql);
    V.push_back(v);
  }
  // B = R·Qᵀ
  B->Resize(m, p);
  for (int i = 0; i < p; ++i)
    for (int j = 0; j < m; ++j) {
      double s = 0;
      for (int a = 0; a < NumLV; ++a) s += R[a][i] * Q[a][j];
      B->SetVal(j + 1, i + 1, s);
    }
  Intercept->Resize(m);
  for (int j = 0; j < m; ++j) {
    long double s = my[j];
    for (int i = 0; i < p; ++i) s -= static_cast<long double>(mx[i]) * B->GetVal(j + 1, i + 1);
    Intercept->SetVal(j + 1, static_cast<double>(s));
  }
  return true;
}

// ================================================================ starting centres
bool FindCenters(const TMatrix* Data, int NumClusters, TMatrix* Centers, TIntVector* Rows) {
  if (!Data || !Centers) return false;
  const int n = Data->NrOfRows(), p = Data->NrOfColumns();
  if (NumClusters < 1 || NumClusters > n || p < 1) return false;
  auto dist2 = [&](int r1, const std::vector<double>& c) {
    long double s = 0;
    for (int k = 1; k <= p; ++k) {
      const long double d = Data->GetVal(k, r1) - c[k - 1];
      s += d * d;
    }
    return s;
  };
  auto row = [&](int r) {
    std::vector<double> v(p);
    for (int k = 1; k <= p; ++k) v[k - 1] = Data->GetVal(k, r);
    return v;
  };
  std::vector<double> mean(p, 0.0);
  for (int k = 1; k <= p; ++k) {
    long double s = 0;
    for (int r = 1; r <= n; ++r) s += Data->GetVal(k, r);
    mean[k - 1] = static_cast<double>(s / n);
  }
  std::vector<int> chosen;
  int first = 1;
  long double best = dist2(1, mean);
  for (int r = 2; r <= n; ++r)
    if (long double d = dist2(r, mean); d < best) best = d, first = r;
  chosen.push_back(first);
  std::vector<long double> nearest(n + 1);
  for (int r = 1; r <= n; ++r) nearest[r] = dist2(r, row(first));
  while (static_cast<int>(chosen.size()) < NumClusters) {
    int far = 1;
    for (int r = 2; r <= n; ++r)
      if (nearest[r] > nearest[far]) far = r;
    chosen.push_back(far);
    const std::vector<double> c = row(far);
    for (int r = 1; r <= n; ++r) nearest[r] = std::min(nearest[r], dist2(r, c));
  }
  Centers->Resize(p, NumClusters);
  for (int i = 0; i < NumClusters; ++i)
    for (int k = 1; k <= p; ++k) Centers->SetVal(k, i + 1, Data->GetVal(k, chosen[i]));
  if (Rows) {
    Rows->Resize(NumClusters);
    for (int i = 0; i < NumClusters; ++i) Rows->SetVal(i + 1, chosen[i]);
  }
  return true;
}

}  // namespace zol
