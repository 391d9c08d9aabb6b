// Text engine: measuring and rasterising chart-sized labels.
#include <benchmark/benchmark.h>

#include "base/platform/Zol_fontengine.h"

using namespace zol;

namespace {

TFontSpec LabelFont(int orientation) {
  TFontSpec f;
  f.Name = "Arial";
  f.EmPixels = 13;
  f.Orientation = orientation;
  return f;
}

void BM_TextWidthLabel(benchmark::State& state) {
  const TFontSpec f = LabelFont(0);
  for (auto _ : state) benchmark::DoNotOptimize(FontEngine::TextWidth(f, "-1.2345E+03"));
}
BENCHMARK(BM_TextWidthLabel);

void BM_MetricsLabel(benchmark::State& state) {
  const TFontSpec f = LabelFont(0);
  for (auto _ : state) benchmark::DoNotOptimize(FontEngine::Metrics(f));
}
BENCHMARK(BM_MetricsLabel);

// Orientation in tenths of a degree: 0, a quarter turn, and an arbitrary angle.
void BM_RenderLabel(benchmark::State& state) {
  const TFontSpec f = LabelFont(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(FontEngine::Render(f, "-1.2345E+03"));
}
BENCHMARK(BM_RenderLabel)->Arg(0)->Arg(900)->Arg(300);

void BM_RenderParagraph(benchmark::State& state) {
  TFontSpec f = LabelFont(0);
  f.EmPixels = 24;
  f.Underline = true;
  const std::string text = "The quick brown fox jumps over the lazy dog 0123456789 ÄÖÜ äöü ß";
  for (auto _ : state) benchmark::DoNotOptimize(FontEngine::Render(f, text));
}
BENCHMARK(BM_RenderParagraph);

}  // namespace
