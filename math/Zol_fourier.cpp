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

// Decimation in time on the interleaved array: bit-reversal reordering, then
// the radix-2 butterflies for block lengths 2, 4, …, N, two stages per pass.  The twiddle
// factors e^(±2πik/N) come from a table computed directly with cos/sin (more
// accurate than advancing them by a recurrence, and the same for both signs).
void TFastFourier::Fft(int sign) {
  const size_t n = static_cast<size_t>(FN);
  double* d = FData.data();
  if (FTwiddle.size() != n) {
    // The pairs exchanged by the bit-reversal reordering, computed once per size.
    FSwaps.clear();
    for (size_t i = 0, j = 0; i < n; ++i) {
      if (j > i) {
        FSwaps.push_back(static_cast<uint32_t>(i));
        FSwaps.push_back(static_cast<uint32_t>(j));
      }
      size_t bit = n >> 1;
      while (bit && (j & bit)) {
        j ^= bit;
        bit >>= 1;
      }
      j |= bit;
    }
  }
  for (size_t k = 0; k < FSwaps.size(); k += 2) {
    const size_t i = FSwaps[k], j = FSwaps[k + 1];
    std::swap(d[2 * i], d[2 * j]);
    std::swap(d[2 * i + 1], d[2 * j + 1]);
  }
  if (FTwiddle.size() != n) {
    FTwiddle.assign(n, 0.0);  // cos, sin of 2πk/N for k < N/2
    for (size_t k = 0; k < n / 2; ++k) {
      const double a = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
      FTwiddle[2 * k] = std::cos(a);
      FTwiddle[2 * k + 1] = std::sin(a);
    }
  }
  const double* tw = FTwiddle.data();
  const double s = sign >= 0 ? 1.0 : -1.0;
  // Stages are done two at a time (block lengths 2q and 4q in one pass over
  // the data); with an odd number of stages the first, multiplication-free
  // stage of block length 2 is done alone.
  size_t q = 1;
  int stages = 0;
  for (size_t m = n; m > 1; m >>= 1) ++stages;
  if (stages % 2) {
    for (size_t a = 0; a + 1 < n; a += 2) {
      const double tr = d[2 * a + 2], ti = d[2 * a + 3];
      d[2 * a + 2] = d[2 * a] - tr;
      d[2 * a + 3] = d[2 * a + 1] - ti;
      d[2 * a] += tr;
      d[2 * a + 1] += ti;
    }
    q = 2;
  }
  for (; 4 * q <= n; q <<= 2) {
    const size_t len = 4 * q, stride2 = n / len;
    for (size_t start = 0; start < n; start += len) {
      double* x0 = d + 2 * start;
      double* x1 = x0 + 2 * q;
      double* x2 = x1 + 2 * q;
      double* x3 = x2 + 2 * q;
      for (size_t j = 0; j < q; ++j) {
        // W2 = w^(j·stride2) of the block length 4q, W1 = W2² of the length 2q.
        const double w2r = tw[2 * j * stride2], w2i = s * tw[2 * j * stride2 + 1];
        const double w1r = tw[4 * j * stride2], w1i = s * tw[4 * j * stride2 + 1];
        const size_t re = 2 * j, im = 2 * j + 1;
        double tr = w1r * x1[re] - w1i * x1[im], ti = w1r * x1[im] + w1i * x1[re];
        const double b0r = x0[re] + tr, b0i = x0[im] + ti, b1r = x0[re] - tr, b1i = x0[im] - ti;
        tr = w1r * x3[re] - w1i * x3[im];
        ti = w1r * x3[im] + w1i * x3[re];
        const double b2r = x2[re] + tr, b2i = x2[im] + ti, b3r = x2[re] - tr, b3i = x2[im] - ti;
        const double ur = w2r * b2r - w2i * b2i, ui = w2r * b2i + w2i * b2r;
        // W2·w^(q·stride2) = W2·(s·i).
        const double pr = w2r * b3r - w2i * b3i, pi = w2r * b3i + w2i * b3r;
        const double vr = -s * pi, vi = s * pr;
        x0[re] = b0r + ur;
        x0[im] = b0i + ui;
        x2[re] = b0r - ur;
        x2[im] = b0i - ui;
        x1[re] = b1r + vr;
        x1[im] = b1i + vi;
        x3[re] = b1r - vr;
        x3[im] = b1i - vi;
      }
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
