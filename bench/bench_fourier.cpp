// FFT of 2^10, 2^16 and 2^20 complex points: TFastFourier (on the
// processor's fast path and on the portable one) against FFTW (one thread,
// FFTW_ESTIMATE and FFTW_MEASURE plans), and the Daubechies-4 wavelet
// transform of 2^20 points.  After the runs a table gives our time over
// FFTW_ESTIMATE's for each size (1.0 = as fast).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "base/Zol_cpuid.h"
#include "bench/bench_table.h"

#include "math/Zol_fourier.h"
#include "math/Zol_wavelet.h"

#ifdef ZOL_HAVE_FFTW3
#include <fftw3.h>
#endif

using namespace zol;

// The signal of every run: a complex one (both parts non-zero).
static double SignalRe(int i) { return std::sin(0.001 * i); }
static double SignalIm(int i) { return std::cos(0.0007 * i); }

static void RunZol(benchmark::State& state, bool portable) {
  const bool saved = CPUPortable();
  SetCPUPortable(portable);
  const int n = static_cast<int>(state.range(0));
  TFastFourier f(nullptr);
  f.SetNumData(n);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 1; i <= n; ++i) {
      f.SetRealVal(i, SignalRe(i));
      f.SetImagVal(i, SignalIm(i));
    }
    state.ResumeTiming();
    f.Transform();
    benchmark::DoNotOptimize(f.GetRealVal(1));
  }
  state.SetItemsProcessed(state.iterations() * n);
  SetCPUPortable(saved);
}
static void BM_ZolFFT(benchmark::State& state) { RunZol(state, false); }
static void BM_ZolFFTPortable(benchmark::State& state) { RunZol(state, true); }
BENCHMARK(BM_ZolFFT)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZolFFTPortable)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

#ifdef ZOL_HAVE_FFTW3
static void RunFftw(benchmark::State& state, unsigned flags) {
  const int n = static_cast<int>(state.range(0));
  fftw_complex* buf = fftw_alloc_complex(static_cast<size_t>(n));
  fftw_plan p = fftw_plan_dft_1d(n, buf, buf, FFTW_BACKWARD, flags);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < n; ++i) {
      buf[i][0] = SignalRe(i + 1);
      buf[i][1] = SignalIm(i + 1);
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

namespace {

// The console report, keeping the best processor time of each run name.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // run name -> seconds per iteration: the best repetition, or the median
  // when only the aggregates are reported
  std::map<std::string, double> Time;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs) {
      if (r.error_occurred || r.iterations <= 0) continue;
      const double t = r.cpu_accumulated_time / static_cast<double>(r.iterations);
      const std::string name = r.run_name.str();
      if (r.run_type == Run::RT_Iteration) {
        auto it = Time.find(name);
        if (it == Time.end() || t < it->second) Time[name] = t;
      } else if (r.aggregate_name == "median" && !Time.count(name)) {
        Time[name] = t;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintRatios(const RatioReporter& rep) {
  std::printf("\nFFT time ratios (ours / FFTW_ESTIMATE, one thread; lower is faster; target <= 1.5) on %s\n",
              CPUInfo().Brand.c_str());
  std::printf("%-28s %10s %10s %10s\n", "", "2^10", "2^16", "2^20");
  for (const char* ours : {"BM_ZolFFT", "BM_ZolFFTPortable"}) {
    std::printf("%-28s", ours);
    for (int n : {1 << 10, 1 << 16, 1 << 20}) {
      auto a = rep.Time.find(std::string(ours) + "/" + std::to_string(n));
      auto b = rep.Time.find("BM_FftwEstimate/" + std::to_string(n));
      if (a == rep.Time.end() || b == rep.Time.end() || b->second <= 0)
        std::printf(" %10s", "-");
      else
        std::printf(" %9.2fx", a->second / b->second);
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithTable<RatioReporter>(argc, argv, PrintRatios); }
