#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "math/Zol_fourier.h"
#include "math/Zol_wavelet.h"

using namespace zol;

namespace {
#include "data/fourier_wavelet_ref.inc"
}  // namespace

TEST(FastFourier, EveryWindowMatchesNumpyAndScipy) {
  TFastFourier f(nullptr);
  f.SetNumData(16);
  for (const FftWindowRef& r : kFftRef) {
    for (int i = 1; i <= 16; ++i) {
      f.SetRealVal(i, kFftInRe[i - 1]);
      f.SetImagVal(i, kFftInIm[i - 1]);
    }
    f.SetWeightingWindow(r.win);
    f.Transform();
    for (int k = 0; k < 16; ++k) {
      EXPECT_NEAR(f.GetRealVal(k + 1), r.re[k], 1e-12) << "window " << r.win << " line " << k;
      EXPECT_NEAR(f.GetImagVal(k + 1), r.im[k], 1e-12) << "window " << r.win << " line " << k;
    }
  }
}

TEST(FastFourier, UserWindowRoundTripAndSizes) {
  TFastFourier f(nullptr);
  f.SetName("FFT");
  try {
    f.SetNumData(100);
    FAIL();
  } catch (const EZOLFourierError& e) {
    EXPECT_STREQ(e.what(), "Component \"FFT\": data length must be power of 2");
  }
  EXPECT_EQ(f.SpectrumSize(), 256);
  EXPECT_EQ(f.GetWgtVal(1), 1.0);  // user weights start at 1 …
  f.SetRealVal(3, 5);
  f.SetNumData(512);  // … and become 0 with every change of size, like the data
  EXPECT_EQ(f.GetRealVal(3), 0);
  EXPECT_EQ(f.GetWgtVal(1), 0);
  EXPECT_EQ(f.GetRealVal(0), 0);
  EXPECT_EQ(f.GetRealVal(513), 0);
  f.SetNumData(64);
  for (int i = 1; i <= 64; ++i) {
    f.SetRealVal(i, std::sin(i * 0.3) + 0.1 * i);
    f.SetImagVal(i, std::cos(i * 0.7));
    f.SetWgtVal(i, 0.5);
  }
  f.SetWeightingWindow(fwUserDef);
  f.Transform();
  f.InverseTransform();
  for (int i = 1; i <= 64; ++i) {
    EXPECT_NEAR(f.GetRealVal(i), 0.5 * (std::sin(i * 0.3) + 0.1 * i), 1e-13);
    EXPECT_NEAR(f.GetImagVal(i), 0.5 * std::cos(i * 0.7), 1e-13);
  }
}

TEST(FastFourier, ReadOutsCountEveryLineOnce) {
  TFastFourier f(nullptr);
  f.SetNumData(8);
  for (int i = 1; i <= 8; ++i) f.SetRealVal(i, 1);
  f.Transform();
  EXPECT_DOUBLE_EQ(f.PowerSpec(0), 8);
  EXPECT_DOUBLE_EQ(f.Magnitude(0), 1);
  for (int k = 1; k <= 4; ++k) EXPECT_NEAR(f.PowerSpec(k), 0, 1e-28);
  // (-1)^j has all its energy (8) in line N/2, once.
  f.Clear();
  for (int i = 1; i <= 8; ++i) f.SetRealVal(i, (i % 2) ? 1 : -1);
  f.Transform();
  EXPECT_NEAR(f.PowerSpec(4), 8, 1e-12);
  EXPECT_NEAR(f.Magnitude(4), 1, 1e-12);
  EXPECT_NEAR(f.FSerCos(4), 1, 1e-12);
  EXPECT_NEAR(f.RMS(0, 4), 1, 1e-12);  // the RMS of a ±1 signal
  EXPECT_NEAR(f.Phase(4), 0, 1e-12);
  // A negative real line has the phase pi, not 0.
  f.Clear();
  for (int i = 1; i <= 8; ++i) f.SetRealVal(i, (i % 2) ? -1 : 1);
  f.Transform();
  EXPECT_NEAR(f.Phase(4), std::numbers::pi, 1e-12);
  EXPECT_EQ(f.Phase(0), 0);
  EXPECT_EQ(f.Phase(5), 0);
  EXPECT_EQ(f.PowerSpec(5), 0);
}

TEST(FastFourier, FourierSeriesOfACosineAndFrequencies) {
  TFastFourier f(nullptr);
  f.SetNumData(32);
  for (int i = 1; i <= 32; ++i)
    f.SetRealVal(i, 3 * std::cos(2 * std::numbers::pi * 2 * (i - 1) / 32) + 2 * std::sin(2 * std::numbers::pi * 5 * (i - 1) / 32));
  f.Transform();
  EXPECT_NEAR(f.FSerCos(2), 3, 1e-12);
  EXPECT_NEAR(f.FSerSin(2), 0, 1e-12);
  // With the e^(+i…) convention the sine coefficient of sin comes out with its sign.
  EXPECT_NEAR(std::fabs(f.FSerSin(5)), 2, 1e-12);
  EXPECT_NEAR(f.Magnitude(2), 3, 1e-12);
  EXPECT_NEAR(f.MaxMagni(), 3, 1e-12);
  EXPECT_DOUBLE_EQ(f.FreqOfLine(4, 0.01), 4 / (0.01 * 32));
  EXPECT_EQ(f.FreqOfLine(17, 0.01), 0);
  EXPECT_EQ(f.LineOfFreq(12.5, 0.01), 4);
  EXPECT_EQ(f.LineOfFreq(60, 0.01), 0);  // above the Nyquist limit of 50
  EXPECT_NEAR(f.RMS(2, 2), std::sqrt(2 * 48.0 * 48.0) / 32, 1e-12);
}

TEST(Wavelet, DaubechiesFiltersAndTransformsMatchPyWavelets) {
  TWavelet1D w(nullptr);
  for (int order = 1; order <= 3; ++order) {
    w.SetOrder(order);
    long double s = 0, sq = 0;
    for (int k = 1; k <= 2 * order; ++k) {
      s += w.LowPass(k);
      sq += w.LowPass(k) * w.LowPass(k);
      EXPECT_EQ(w.HighPass(2 * order + 1 - k), (k % 2 ? -1 : 1) * w.LowPass(k));
    }
    EXPECT_NEAR(static_cast<double>(s), std::sqrt(2.0), 1e-17);
    EXPECT_NEAR(static_cast<double>(sq), 1.0, 1e-17);
  }
  w.SetOrder(2);
  EXPECT_NEAR(static_cast<double>(w.LowPass(1)), 0.48296291314453416, 1e-17);
  w.SetOrder(3);
  EXPECT_NEAR(static_cast<double>(w.LowPass(2)), 0.8068915093110925, 1e-16);
  w.SetNumData(16);
  for (const WaveletRef& r : kWlRef) {
    w.SetOrder(r.order);
    for (int i = 1; i <= 16; ++i) w.SetDataVal(i, kWlIn[i - 1]);
    w.Transform(r.levels);
    for (int i = 1; i <= 16; ++i)
      EXPECT_NEAR(static_cast<double>(w.GetDataVal(i)), r.out[i - 1], 1e-13)
          << "order " << r.order << " levels " << r.levels << " i " << i;
    w.InverseTransform(r.levels);
    for (int i = 1; i <= 16; ++i) EXPECT_NEAR(static_cast<double>(w.GetDataVal(i)), kWlIn[i - 1], 1e-14);
  }
}

TEST(Wavelet, HaarEdgeCasesAndErrors) {
  TWavelet1D w(nullptr);
  w.SetName("WL");
  w.SetOrder(1);
  w.SetNumData(4);
  for (int i = 1; i <= 4; ++i) w.SetDataVal(i, 1);
  w.Transform(1);
  EXPECT_NEAR(static_cast<double>(w.GetDataVal(1)), std::sqrt(2.0), 1e-17);
  EXPECT_NEAR(static_cast<double>(w.GetDataVal(2)), std::sqrt(2.0), 1e-17);
  EXPECT_EQ(w.GetDataVal(3), 0);
  w.InverseTransform(1);  // one level back restores the input
  for (int i = 1; i <= 4; ++i) EXPECT_NEAR(static_cast<double>(w.GetDataVal(i)), 1, 1e-17);
  w.Transform(2);
  EXPECT_NEAR(static_cast<double>(w.GetDataVal(1)), 2, 1e-17);
  EXPECT_NEAR(static_cast<double>(w.GetDataVal(2)), 0, 1e-17);
  w.InverseTransform(2);
  for (int i = 1; i <= 4; ++i) EXPECT_NEAR(static_cast<double>(w.GetDataVal(i)), 1, 1e-17);
  try {
    w.SetOrder(4);
    FAIL();
  } catch (const EZOLWaveletError& e) {
    EXPECT_STREQ(e.what(), "Component \"WL\": invalid order of Daubechies wavelet family");
  }
  EXPECT_EQ(w.Order(), 1);
  EXPECT_NEAR(static_cast<double>(w.LowPass(1)), std::sqrt(0.5), 1e-18);
  EXPECT_THROW(w.SetNumData(6), EZOLWaveletError);
}

TEST(Wavelet, ShortStretchesStayInBoundsInEveryMode) {
  // Order 3 (six taps) on stretches of 2 and 4 reaches far before the start.
  TWavelet1D w(nullptr);
  w.SetOrder(3);
  for (TWLSigExtMode m : {wseWrap, wseZeroPad, wseSymmetric}) {
    w.SetSignalExtMode(m);
    w.SetNumData(2);
    w.SetDataVal(1, 1);
    w.SetDataVal(2, 2);
    w.Transform(5);
    w.SetNumData(4);
    for (int i = 1; i <= 4; ++i) w.SetDataVal(i, i);
    w.Transform(2);
    w.InverseTransform(2);
    if (m == wseWrap) {
      for (int i = 1; i <= 4; ++i) EXPECT_NEAR(static_cast<double>(w.GetDataVal(i)), i, 1e-15);
    }
  }
  w.SetNumData(1);
  w.SetDataVal(1, 7);
  w.Transform(1);
  EXPECT_EQ(w.GetDataVal(1), 7);
}
