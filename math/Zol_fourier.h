// Fast Fourier transform of a complex signal of power-of-two length, with
// nine weighting windows and read-outs of power, magnitude, phase,
// Fourier-series coefficients and RMS over spectral lines.
//
// Sign convention: the forward transform puts sum_j x_j e^(+2 pi i jk/N) into
// line k (no scaling); the inverse uses e^(-2 pi i jk/N) and divides by N.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"

namespace zol {

class EZOLFourierError : public EZOLError {
  using EZOLError::EZOLError;
};

enum TFastFourierWgtWin {
  fwRectangle, fwTriangle, fwCos2, fwGauss, fwHamming, fwBlackman, fwBlkmHarris, fwBlkmNuttall, fwUserDef
};

class TFastFourier : public TComponent {
 public:
  explicit TFastFourier(TComponent* AOwner);
  int SpectrumSize() const { return FN; }
  // n must be a power of two ("data length must be power of 2"); clears the
  // data and sets the user weights to 0.
  void SetNumData(int n);
  void SetSpectrumSize(int n) { SetNumData(n); }
  TFastFourierWgtWin WeightingWindow() const { return FWindow; }
  void SetWeightingWindow(TFastFourierWgtWin w) { FWindow = w; }

  // Elements 1..N; 0 and ignored outside.
  double GetRealVal(int i) const;
  void SetRealVal(int i, double v);
  double GetImagVal(int i) const;
  void SetImagVal(int i, double v);
  double GetWgtVal(int i) const;
  void SetWgtVal(int i, double v);
  void Clear();
  void ClearReal();
  void ClearImag();

  // Window, then the forward transform, in place.
  void Transform();
  // Inverse transform without window, divided by N.
  void InverseTransform();

  // Read-outs of spectral line k (0..N/2; 0 outside).  Lines 0 and N/2 have
  // no partner line and are counted once.
  double PowerSpec(int k) const;
  double Magnitude(int k) const;
  double FSerCos(int k) const;
  double FSerSin(int k) const;
  // Angle of line k in (-pi, pi] (atan2), for k = 1..N/2; 0 otherwise.
  double Phase(int k) const;
  double GetPowerSpec(int k) const { return PowerSpec(k); }
  double GetMagnitude(int k) const { return Magnitude(k); }
  double GetFSerCos(int k) const { return FSerCos(k); }
  double GetFSerSin(int k) const { return FSerSin(k); }
  double GetPhase(int k) const { return Phase(k); }
  double RMS(int k1, int k2) const;
  double FreqOfLine(int k, double SamplingInterval) const;
  int LineOfFreq(double Freq, double SamplingInterval) const;
  double MaxPower() const;
  double MaxMagni() const;
  double MaxReal() const;
  double MaxImag() const;
  double MinReal() const;
  double MinImag() const;

 private:
  void Fft(int sign);
  void ApplyWindow();
  void UpdateExtremes() const;
  // Sum of the squared parts of line k and its partner (N/2 and 0 once).
  double PowerTerm(int k) const;
  int FN = 256;
  TFastFourierWgtWin FWindow = fwRectangle;
  std::vector<double> FData;  // interleaved re, im of elements 1..N
  std::vector<double> FWeights;
  // Twiddle tables of the transform of N points, of N/2 points (real
  // signals go through one of half the length) and of the step from the half
  // transform to the spectrum of a real signal; each is built for the size
  // in its ...N member on first use.
  std::vector<double> FTwiddle, FHalfTwiddle, FRealTwiddle;
  size_t FTwiddleN = 0, FHalfTwiddleN = 0, FRealTwiddleN = 0;
  mutable bool FExtremesValid = false;
  mutable double FMaxPower = 0, FMaxMagni = 0, FMaxReal = 0, FMaxImag = 0, FMinReal = 0, FMinImag = 0;
};

}  // namespace zol
