// One-dimensional discrete wavelet transform of the Daubechies family
// (orders 1..3, filter lengths 2, 4, 6) in extended precision.
//
// One level of the forward transform on a stretch x[0..n-1] computes, for
// l = 1..n/2 and k = 1..L, with p = 2l - L + k - 1:
//   a[l] += h[k]·x[p]   (first half: approximation)
//   d[l] += g[k]·x[p]   (second half: details)
// Positions p < 0 are wrapped (periodic signal), dropped (zero padding) or
// mirrored (symmetric: -1 -> 0, -2 -> 1), following SignalExtMode.  With
// wrapping this is the periodized transform, and the inverse restores the
// signal exactly.
#pragma once

#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"

namespace zol {

class EZOLWaveletError : public EZOLError {
  using EZOLError::EZOLError;
};

enum TWaveletFamily { wlfDaubechies };
enum TWLSigExtMode { wseWrap, wseZeroPad, wseSymmetric };

class TWavelet1D : public TComponent {
 public:
  explicit TWavelet1D(TComponent* AOwner);
  TWaveletFamily WaveletFamily() const { return FFamily; }
  void SetWaveletFam(TWaveletFamily f) { FFamily = f; }
  int Order() const { return FOrder; }
  // 1..3, else "invalid order of Daubechies wavelet family" (filters kept).
  void SetOrder(int n);
  int Size() const { return static_cast<int>(FData.size()); }
  // A power of two, else "data length must be power of 2"; the data become 0.
  void SetNumData(int n);
  void SetSize(int n) { SetNumData(n); }
  TWLSigExtMode SignalExtMode() const { return FExtMode; }
  void SetSignalExtMode(TWLSigExtMode m) { FExtMode = m; }
  long double GetDataVal(int i) const;  // 1..Size; 0 outside
  void SetDataVal(int i, long double v);
  // The filters, 1..L (0 outside).
  long double LowPass(int k) const;
  long double HighPass(int k) const;
  void Clear();
  void Transform(int Levels);
  void InverseTransform(int Levels);
  // Levels <= 0 counts as 1.  The inverse undoes the levels of a forward
  // transform with the same count, starting at the coarsest of them.
  void DoWLT(int Levels, bool Inverse);
  void SingleStep(bool Inverse);
  void PartialWLT(int NumPoints, int Offset, bool Inverse);

 private:
  TWaveletFamily FFamily = wlfDaubechies;
  int FOrder = 2;
  TWLSigExtMode FExtMode = wseWrap;
  std::vector<long double> FData, FH, FG;
};

}  // namespace zol
