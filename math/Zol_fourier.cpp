#include "math/Zol_fourier.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

namespace zol {

namespace {
bool IsPowerOf2(int n) { return n > 0 && (n & (n - 1)) == 0; }
}  // namespace

TFastFourier::TFastFourier(TComponent* AOwner) : TComponent(AOwner) {
  FData.assign(2 * static_cast<size_t>(FN), 0.0);
  FWeights.assign(static_cast<size_t>(FN), 1.0);
}

void TFastFourier::SetNumData(int n) {
  if (!IsPowerOf2(n)) throw EZOLFourierError(ComponentMsg("data length must be power of 2"));
  try {
    std::vector<double> d(2 * static_cast<size_t>(n), 0.0), w(static_cast<size_t>(n), 0.0);
    FData.swap(d);
    FWeights.swap(w);
  } catch (const std::bad_alloc&) {
    throw EZOLFourierError(ComponentMsg("not enough memory on heap"));
  }
  FN = n;
  FExtremesValid = false;
}

double TFastFourier::GetRealVal(int i) const {
  return (i >= 1 && i <= FN) ? FData[2 * static_cast<size_t>(i - 1)] : 0.0;
}
void TFastFourier::SetRealVal(int i, double v) {
  if (i < 1 || i > FN) return;
  FData[2 * static_cast<size_t>(i - 1)] = v;
  FExtremesValid = false;
}
double TFastFourier::GetImagVal(int i) const {
  return (i >= 1 && i <= FN) ? FData[2 * static_cast<size_t>(i - 1) + 1] : 0.0;
}
void TFastFourier::SetImagVal(int i, double v) {
  if (i < 1 || i > FN) return;
  FData[2 * static_cast<size_t>(i - 1) + 1] = v;
  FExtremesValid = false;
}
double TFastFourier::GetWgtVal(int i) const {
  return (i >= 1 && i <= FN) ? FWeights[static_cast<size_t>(i - 1)] : 0.0;
}
void TFastFourier::SetWgtVal(int i, double v) {
  if (i >= 1 && i <= FN) FWeights[static_cast<size_t>(i - 1)] = v;
}

void TFastFourier::Clear() {
  std::fill(FData.begin(), FData.end(), 0.0);
  FExtremesValid = false;
}
void TFastFourier::ClearReal() {
  for (size_t i = 0; i < FData.size(); i += 2) FData[i] = 0;
  FExtremesValid = false;
}
void TFastFourier::ClearImag() {
  for (size_t i = 1; i < FData.size(); i += 2) FData[i] = 0;
  FExtremesValid = false;
}

void TFastFourier::ApplyWindow() {
  const double N = FN;
  const double pi = std::numbers::pi;
  for (int i = 1; i <= FN; ++i) {
    double t = (i - N / 2) / N, f = 1;
    switch (FWindow) {
      case fwRectangle: return;
      case fwTriangle: {
        // The b-th element from either end is weighted 2b/N.
        int b = std::min(i, FN + 1 - i);
        f = 2.0 * b / N;
        break;
      }
      case fwCos2: f = std::cos(pi * t) * std::cos(pi * t); break;
      case fwGauss: f = std::exp(-0.5 * (6 * t) * (6 * t)); break;
      case fwHamming: f = 0.543478261 + 0.456521739 * std::cos(2 * pi * t); break;
      case fwBlackman: f = 0.42659 + 0.49656 * std::cos(2 * pi * t) + 0.076848 * std::cos(4 * pi * t); break;
      case fwBlkmHarris:
        f = 0.35875 + 0.48829 * std::cos(2 * pi * t) + 0.14128 * std::cos(4 * pi * t) +
            0.01168 * std::cos(6 * pi * t);
        break;
      case fwBlkmNuttall:
        f = 0.3635819 + 0.4891775 * std::cos(2 * pi * t) + 0.1365995 * std::cos(4 * pi * t) +
            0.0106411 * std::cos(6 * pi * t);
        break;
      case fwUserDef: f = FWeights[static_cast<size_t>(i - 1)]; break;
    }
    FData[2 * static_cast<size_t>(i - 1)] *= f;
    FData[2 * static_cast<size_t>(i - 1) + 1] *= f;
  }
}

// Radix-2 decimation in time on the interleaved array: bit-reversal, then the
// butterflies for block lengths 2, 4, …, N with twiddles advanced by the
// trigonometric recurrence (w += w·(−2 sin²(θ/2)) + i·w·sin θ).
void TFastFourier::Fft(int sign) {
  double* d = FData.data();
  const size_t n = 2 * static_cast<size_t>(FN);
  size_t j = 1;
  for (size_t i = 1; i < n; i += 2) {
    if (j > i) {
      std::swap(d[j - 1], d[i - 1]);
      std::swap(d[j], d[i]);
    }
    size_t m = n >> 1;
    while (m >= 2 && j > m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
  for (size_t mmax = 2; n > mmax; mmax <<= 1) {
    const size_t step = mmax << 1;
    const double theta = sign * (2 * std::numbers::pi / static_cast<double>(mmax));
    const double wtemp = std::sin(0.5 * theta);
    const double wpr = -2.0 * wtemp * wtemp, wpi = std::sin(theta);
    double wr = 1.0, wi = 0.0;
    for (size_t m = 1; m < mmax; m += 2) {
      for (size_t i = m; i <= n; i += step) {
        const size_t k = i + mmax;
        const double tr = wr * d[k - 1] - wi * d[k];
        const double ti = wr * d[k] + wi * d[k - 1];
        d[k - 1] = d[i - 1] - tr;
        d[k] = d[i] - ti;
        d[i - 1] += tr;
        d[i] += ti;
      }
      const double w0 = wr;
      wr = w0 * wpr - wi * wpi + wr;
      wi = wi * wpr + w0 * wpi + wi;
    }
  }
  FExtremesValid = false;
}

void TFastFourier::Transform() {
  ApplyWindow();
  Fft(+1);
}

void TFastFourier::InverseTransform() {
  Fft(-1);
  const double inv = 1.0 / FN;
  for (double& v : FData) v *= inv;
}

double TFastFourier::PowerTerm(int k) const {
  auto sq = [this](int line) {
    double re = FData[2 * static_cast<size_t>(line)], im = FData[2 * static_cast<size_t>(line) + 1];
    return re * re + im * im;
  };
  if (k == 0 || 2 * k == FN) return sq(k);
  return sq(k) + sq(FN - k);
}

double TFastFourier::PowerSpec(int k) const {
  if (k < 0 || k > FN / 2) return 0;
  return PowerTerm(k) / FN;
}

double TFastFourier::Magnitude(int k) const {
  if (k < 0 || k > FN / 2) return 0;
  const double re = FData[2 * static_cast<size_t>(k)], im = FData[2 * static_cast<size_t>(k) + 1];
  if (k == 0 || 2 * k == FN) return std::sqrt(re * re + im * im) / FN;
  const double re2 = FData[2 * static_cast<size_t>(FN - k)], im2 = FData[2 * static_cast<size_t>(FN - k) + 1];
  return std::sqrt((re + re2) * (re + re2) + (im - im2) * (im - im2)) / FN;
}

double TFastFourier::FSerCos(int k) const {
  if (k < 0 || k > FN / 2) return 0;
  const double re = FData[2 * static_cast<size_t>(k)];
  if (k == 0 || 2 * k == FN) return re / FN;
  return (re + FData[2 * static_cast<size_t>(FN - k)]) / FN;
}

double TFastFourier::FSerSin(int k) const {
  if (k <= 0 || k > FN / 2 || 2 * k == FN) return 0;
  return (FData[2 * static_cast<size_t>(k) + 1] - FData[2 * static_cast<size_t>(FN - k) + 1]) / FN;
}

double TFastFourier::Phase(int k) const {
  if (k <= 0 || k > FN / 2) return 0;
  return std::atan2(FData[2 * static_cast<size_t>(k) + 1], FData[2 * static_cast<size_t>(k)]);
}

double TFastFourier::RMS(int k1, int k2) const {
  k1 = std::clamp(k1, 0, FN / 2);
  k2 = std::clamp(k2, 0, FN / 2);
  if (k1 > k2) std::swap(k1, k2);
  double s = 0;
  for (int k = k1; k <= k2; ++k) s += PowerTerm(k);
  return std::sqrt(s) / FN;
}

double TFastFourier::FreqOfLine(int k, double SamplingInterval) const {
  if (k < 1 || k > FN / 2 || SamplingInterval == 0) return 0;
  return k / (SamplingInterval * FN);
}

int TFastFourier::LineOfFreq(double Freq, double SamplingInterval) const {
  double l = std::round(FN * Freq * SamplingInterval);
  if (!(l >= 1 && l <= FN / 2)) return 0;
  return static_cast<int>(l);
}

void TFastFourier::UpdateExtremes() const {
  if (FExtremesValid) return;
  FMaxPower = FMaxMagni = 0;
  FMaxReal = FMaxImag = -1e308;
  FMinReal = FMinImag = 1e308;
  for (int i = 0; i < FN; ++i) {
    double re = FData[2 * static_cast<size_t>(i)], im = FData[2 * static_cast<size_t>(i) + 1];
    FMaxReal = std::max(FMaxReal, re);
    FMinReal = std::min(FMinReal, re);
    FMaxImag = std::max(FMaxImag, im);
    FMinImag = std::min(FMinImag, im);
  }
  for (int k = 0; k <= FN / 2; ++k) {
    FMaxPower = std::max(FMaxPower, PowerSpec(k));
    FMaxMagni = std::max(FMaxMagni, Magnitude(k));
  }
  FExtremesValid = true;
}

double TFastFourier::MaxPower() const { return UpdateExtremes(), FMaxPower; }
double TFastFourier::MaxMagni() const { return UpdateExtremes(), FMaxMagni; }
double TFastFourier::MaxReal() const { return UpdateExtremes(), FMaxReal; }
double TFastFourier::MaxImag() const { return UpdateExtremes(), FMaxImag; }
double TFastFourier::MinReal() const { return UpdateExtremes(), FMinReal; }
double TFastFourier::MinImag() const { return UpdateExtremes(), FMinImag; }

}  // namespace zol
