#include "math/Zol_wavelet.h"

#include <cmath>
#include <new>

namespace zol {

namespace {
bool IsPowerOf2(int n) { return n > 0 && (n & (n - 1)) == 0; }

// Orthonormal Daubechies scaling filters in their published order (sum √2,
// sum of squares 1), from the closed forms of Daubechies (1988).
std::vector<long double> DaubechiesFilter(int order) {
  const long double s2 = std::sqrt(2.0L);
  switch (order) {
    case 1: return {1 / s2, 1 / s2};
    case 2: {
      const long double s3 = std::sqrt(3.0L), d = 4 * s2;
      return {(1 + s3) / d, (3 + s3) / d, (3 - s3) / d, (1 - s3) / d};
    }
    default: {
      const long double a = std::sqrt(10.0L), b = std::sqrt(5 + 2 * a), d = 16 * s2;
      return {(1 + a + b) / d,         (5 + a + 3 * b) / d, (10 - 2 * a + 2 * b) / d,
              (10 - 2 * a - 2 * b) / d, (5 + a - 3 * b) / d, (1 + a - b) / d};
    }
  }
}
}  // namespace

TWavelet1D::TWavelet1D(TComponent* AOwner) : TComponent(AOwner) {
  FData.assign(256, 0.0L);
  SetOrder(2);
}

void TWavelet1D::SetOrder(int n) {
  if (n < 1 || n > 3) throw EZOLWaveletError(ComponentMsg("invalid order of Daubechies wavelet family"));
  FOrder = n;
  FH = DaubechiesFilter(n);
  const size_t L = FH.size();
  FG.assign(L, 0.0L);
  // g[L + 1 - f] = s_f·h[f], s_1 = -1, alternating: g = (h[L], -h[L-1], …, -h[1]).
  for (size_t f = 0; f < L; ++f) FG[L - 1 - f] = (f % 2 == 0 ? -1.0L : 1.0L) * FH[f];
}

void TWavelet1D::SetNumData(int n) {
  if (!IsPowerOf2(n)) throw EZOLWaveletError(ComponentMsg("data length must be power of 2"));
  try {
    std::vector<long double>(static_cast<size_t>(n), 0.0L).swap(FData);
  } catch (const std::bad_alloc&) {
    throw EZOLWaveletError(ComponentMsg("not enough memory on heap"));
  }
}

long double TWavelet1D::GetDataVal(int i) const {
  return (i >= 1 && i <= Size()) ? FData[static_cast<size_t>(i - 1)] : 0.0L;
}
void TWavelet1D::SetDataVal(int i, long double v) {
  if (i >= 1 && i <= Size()) FData[static_cast<size_t>(i - 1)] = v;
}
long double TWavelet1D::LowPass(int k) const {
  return (k >= 1 && k <= static_cast<int>(FH.size())) ? FH[static_cast<size_t>(k - 1)] : 0.0L;
}
long double TWavelet1D::HighPass(int k) const {
  return (k >= 1 && k <= static_cast<int>(FG.size())) ? FG[static_cast<size_t>(k - 1)] : 0.0L;
}

void TWavelet1D::Clear() { std::fill(FData.begin(), FData.end(), 0.0L); }
void TWavelet1D::Transform(int Levels) { DoWLT(Levels, false); }
void TWavelet1D::InverseTransform(int Levels) { DoWLT(Levels, true); }
void TWavelet1D::SingleStep(bool Inverse) { PartialWLT(Size(), 0, Inverse); }

void TWavelet1D::DoWLT(int Levels, bool Inverse) {
  if (Levels <= 0) Levels = 1;
  if (Size() <= 1) return;
  // The stretch lengths of the forward levels: Size, Size/2, …
  std::vector<int> lengths;
  for (int m = Size(); m > 1 && static_cast<int>(lengths.size()) < Levels; m /= 2) lengths.push_back(m);
  if (!Inverse) {
    for (int m : lengths) PartialWLT(m, 0, false);
  } else {
    for (auto it = lengths.rbegin(); it != lengths.rend(); ++it) PartialWLT(*it, 0, true);
  }
}

void TWavelet1D::PartialWLT(int NumPoints, int Offset, bool Inverse) {
  const int n = NumPoints;
  if (n <= 1 || Offset < 0 || Offset + n > Size()) return;
  const int half = n / 2, L = static_cast<int>(FH.size());
  long double* x = FData.data() + Offset;
  std::vector<long double> w(static_cast<size_t>(n), 0.0L);
  for (int l = 1; l <= half; ++l) {
    for (int k = 1; k <= L; ++k) {
      int p = 2 * l - L + k - 1;
      if (p < 0) {
        if (FExtMode == wseZeroPad) continue;
        if (FExtMode == wseWrap) {
          p = ((p % n) + n) % n;
        } else {
          // Mirror about the start, folding again for stretches shorter than the filter.
          int q = (-p - 1) % (2 * n);
          p = q < n ? q : 2 * n - 1 - q;
        }
      }
      const long double hk = FH[static_cast<size_t>(k - 1)], gk = FG[static_cast<size_t>(k - 1)];
      if (!Inverse) {
        w[static_cast<size_t>(l - 1)] += hk * x[p];
        w[static_cast<size_t>(half + l - 1)] += gk * x[p];
      } else {
        w[static_cast<size_t>(p)] += hk * x[l - 1] + gk * x[half + l - 1];
      }
    }
  }
  std::copy(w.begin(), w.end(), x);
}

}  // namespace zol
