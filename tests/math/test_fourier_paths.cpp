// The transform on every power-of-two size from 1 to 2^20 points, on the
// processor's fast path (AVX2) and on the portable one, against numpy.fft.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "base/Zol_cpuid.h"
#include "math/Zol_fourier.h"

using namespace zol;

namespace {
#include "data/fourier_sizes_ref.inc"

// Switches the fast paths off (or leaves them on) for the lifetime of the object.
struct PathScope {
  bool Saved = CPUPortable();
  explicit PathScope(bool Portable) { SetCPUPortable(Portable); }
  ~PathScope() { SetCPUPortable(Saved); }
};

// The input of tests/math/ref/fourier_sizes.py: a 64-bit LCG seeded with n;
// with realOnly the imaginary parts are 0.
void FillSignal(TFastFourier& f, int n, bool realOnly = false) {
  uint64_t s = static_cast<uint64_t>(n);
  auto next = [&s] {
    s = 6364136223846793005ULL * s + 1442695040888963407ULL;
    return static_cast<double>(s >> 11) * 0x1p-53 - 0.5;
  };
  for (int i = 1; i <= n; ++i) {
    const double re = next();
    const double im = next();
    f.SetRealVal(i, re);
    f.SetImagVal(i, realOnly ? 0.0 : im);
  }
}

// The rounding error grows with the size and the number of stages.
double Tolerance(int n, bool inverse) {
  const double scale = inverse ? 1.0 / std::sqrt(static_cast<double>(n)) : std::sqrt(static_cast<double>(n));
  return 4e-16 * scale * (std::log2(static_cast<double>(n)) + 1) * 4;
}

void CheckAllSizes(bool portable, bool realOnly) {
  PathScope path(portable);
  std::string label = portable ? "portable" : (CPUHas(cfAVX2) ? "AVX2" : "portable (no AVX2)");
  if (realOnly) label += ", real signal";
  TFastFourier f(nullptr);
  for (const FftSizeRef& ref : kFftSizeRef) {
    // The real signal's lines in place of the complex one's.
    FftSizeRef r = ref;
    if (realOnly) {
      r.fre = ref.rfre;
      r.fim = ref.rfim;
      r.ire = ref.rire;
      r.iim = ref.riim;
    }
    f.SetNumData(r.n);
    FillSignal(f, r.n, realOnly);
    f.Transform();
    const double tf = Tolerance(r.n, false), ti = Tolerance(r.n, true);
    for (int i = 0; i < r.count; ++i) {
      ASSERT_NEAR(f.GetRealVal(r.line[i] + 1), r.fre[i], tf) << label << " n=" << r.n << " line " << r.line[i];
      ASSERT_NEAR(f.GetImagVal(r.line[i] + 1), r.fim[i], tf) << label << " n=" << r.n << " line " << r.line[i];
    }
    FillSignal(f, r.n, realOnly);
    f.InverseTransform();
    for (int i = 0; i < r.count; ++i) {
      ASSERT_NEAR(f.GetRealVal(r.line[i] + 1), r.ire[i], ti) << label << " n=" << r.n << " line " << r.line[i];
      ASSERT_NEAR(f.GetImagVal(r.line[i] + 1), r.iim[i], ti) << label << " n=" << r.n << " line " << r.line[i];
    }
  }
}

}  // namespace

TEST(FastFourierPaths, FastPathMatchesNumpyOnEverySize) { CheckAllSizes(false, false); }

TEST(FastFourierPaths, PortablePathMatchesNumpyOnEverySize) { CheckAllSizes(true, false); }

// Real signals take the way through a complex transform of half the length.
TEST(FastFourierPaths, RealSignalsMatchNumpyOnEverySize) {
  CheckAllSizes(false, true);
  CheckAllSizes(true, true);
}

// A forward and an inverse transform restore the signal on either path, also
// where the two are taken by different paths (they share the twiddle tables).
TEST(FastFourierPaths, RoundTripAcrossPaths) {
  for (int n : {2, 8, 1 << 9, 1 << 14, 1 << 17}) {
    TFastFourier f(nullptr);
    f.SetNumData(n);
    FillSignal(f, n, n == (1 << 14));  // one real signal: its spectrum is not real
    {
      PathScope fast(false);
      f.Transform();
    }
    {
      PathScope portable(true);
      f.InverseTransform();
    }
    TFastFourier g(nullptr);
    g.SetNumData(n);
    FillSignal(g, n, n == (1 << 14));
    for (int i = 1; i <= n; ++i) {
      ASSERT_NEAR(f.GetRealVal(i), g.GetRealVal(i), 1e-14) << "n=" << n << " i=" << i;
      ASSERT_NEAR(f.GetImagVal(i), g.GetImagVal(i), 1e-14) << "n=" << n << " i=" << i;
    }
  }
}
