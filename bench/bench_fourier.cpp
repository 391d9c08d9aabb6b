// FFT of 2^10, 2^16 and 2^20 complex points: TFastFourier against FFTW
// (one thread, FFTW_ESTIMATE and FFTW_MEASURE plans), and the Daubechies-4
// wavelet transform of 2^20 points.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "math/Zol_fourier.h"
#include "math/Zol_wavelet.h"

#ifdef ZOL_HAVE_FFTW3
#include <fftw3.h>
#endif

using namespace zol;

static void BM_ZolFFT(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TFastFourier f(nullptr);
  f.SetNumData(n);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 1; i <= n; ++i) {
      f.SetRealVal(i, std::sin(0.001 * i));
      f.SetImagVal(i, 0);
    }
    state.ResumeTiming();
    f.Transform();
    benchmark::DoNotOptimize(f.GetRealVal(1));
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ZolFFT)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

#ifdef ZOL_HAVE_FFTW3
static void RunFftw(benchmark::State& state, unsigned flags) {
  const int n = static_cast<int>(state.range(0));
  fftw_complex* buf = fftw_alloc_complex(static_cast<size_t>(n));
  fftw_plan p = fftw_plan_dft_1d(n, buf, buf, FFTW_BACKWARD, flags);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < n; ++i) {
      buf[i][0] = std::sin(0.001 * (i + 1));
      buf[i][1] = 0;
    }
    state.ResumeTiming();
    fftw_execute(p);
    benchmark::DoNotOptimize(buf[0][0]);
  }
  state.SetItemsProcessed(state.iterations() * n);
  fftw_destroy_plan(p);
  fftw_free(buf);
}
static void BM_FftwEstimate(benchmark::State& state) { RunFftw(state, FFTW_ESTIMATE); }
static void BM_FftwMeasure(benchmark::State& state) { RunFftw(state, FFTW_MEASURE); }
BENCHMARK(BM_FftwEstimate)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FftwMeasure)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
#endif

static void BM_ZolDaubechies4(benchmark::State& state) {
  const int n = 1 << 20;
  TWavelet1D w(nullptr);
  w.SetOrder(2);
  w.SetNumData(n);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 1; i <= n; ++i) w.SetDataVal(i, std::sin(0.001 * i));
    state.ResumeTiming();
    w.Transform(1);
    benchmark::DoNotOptimize(w.GetDataVal(1));
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ZolDaubechies4)->Unit(benchmark::kMillisecond);
