// Axis scales, gauges and colour scales: time to render one picture.  The
// degenerate ranges (a unit step over 10^12, 300 decades, a step below the
// resolution of the values) must cost about as much as an ordinary axis,
// since the number of ticks walked is bounded by the axis length.
#include <benchmark/benchmark.h>

#include <functional>

#include "chart/Zol_colorscale.h"
#include "chart/Zol_gauge.h"
#include "chart/Zol_scale.h"

using namespace zol;

namespace {

void RenderScale(benchmark::State& state, const std::function<void(TScale&)>& setup) {
  TScale s(nullptr);
  s.SetBounds(0, 0, 800, 80);
  setup(s);
  TBitmap bmp(800, 80);
  for (auto _ : state) {
    s.RenderTo(bmp.Canvas(), 0, 0);
    benchmark::ClobberMemory();
  }
  state.counters["ticks"] = s.NumTicks();
}

}  // namespace

BENCHMARK_CAPTURE(RenderScale, Linear, [](TScale&) {});
BENCHMARK_CAPTURE(RenderScale, UnitStepsOver1e12, [](TScale& s) {
  s.SetRange(0, 1e12);
  s.SetMinTicks(0);
});
BENCHMARK_CAPTURE(RenderScale, Log300Decades, [](TScale& s) {
  s.SetRange(1e-99, 1e201);
  s.SetLogarithmic(true);
  s.SetMinTicks(10);
});
BENCHMARK_CAPTURE(RenderScale, StepBelowResolution, [](TScale& s) {
  s.SetRange(1e15, 1e15 + 0.5);
  s.SetMinTicks(10);
});
BENCHMARK_CAPTURE(RenderScale, DateTimeMonths, [](TScale& s) {
  s.SetLabelType(ftDateTime);
  s.SetRange(45000, 45300);
});

static void RenderGauge(benchmark::State& state) {
  TScaleGauge g(nullptr);
  g.SetValue(3.7);
  TBitmap bmp(300, 75);
  for (auto _ : state) {
    g.RenderTo(bmp.Canvas(), 0, 0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(RenderGauge);

static void RenderColorScale(benchmark::State& state) {
  TColorScale c(nullptr);
  TBitmap bmp(300, 75);
  for (auto _ : state) {
    c.RenderTo(bmp.Canvas(), 0, 0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(RenderColorScale);

static void ValueToColor(benchmark::State& state) {
  TColorScale c(nullptr);
  double v = -10, sum = 0;
  for (auto _ : state) {
    sum += c.ValueToColor(v);
    v = v > 10 ? -10 : v + 0.001;
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(ValueToColor);
