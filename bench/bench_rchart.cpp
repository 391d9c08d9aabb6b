// Full repaint of a 1000 x 700 chart holding 10^6 line points, with and
// without per-column decimation, against Cairo drawing the same polyline
// (1-pixel, no anti-aliasing) into an image surface.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <memory>
#include <vector>

#include "chart/Zol_rchart.h"

using namespace zol;

namespace {

constexpr int kW = 1000, kH = 700, kN = 1000000;

double Signal(int i) {
  const double t = i * 0.001;
  uint32_t h = static_cast<uint32_t>(i) * 2654435761u;
  return std::sin(t * 0.05) * 1.5 + std::sin(t * 3.1) * 0.4 + ((h >> 8) & 0xFFFF) / 65536.0 - 0.5;
}

std::unique_ptr<TRChart> MakeChart(bool decimate) {
  auto c = std::make_unique<TRChart>(nullptr);
  c->SetSuppressPaint(true);
  c->SetBounds(0, 0, kW, kH);
  c->SetRange(1, 0, -3, 1000, 3);
  c->SetAllocSize(kN + 1);
  c->MoveTo(0, Signal(0));
  for (int i = 1; i <= kN; ++i) c->DrawTo(i * 0.001, Signal(i));
  c->SetDecimateLines(decimate);
  c->SetSuppressPaint(false);
  return c;
}

void BM_RChart_Repaint(benchmark::State& state, bool decimate) {
  auto c = MakeChart(decimate);
  TBitmap b;
  for (auto _ : state) {
    c->CopyToBitmap(b);
    benchmark::DoNotOptimize(b.Bits());
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
void BM_RChart_Repaint_Full(benchmark::State& state) { BM_RChart_Repaint(state, false); }
void BM_RChart_Repaint_Decimated(benchmark::State& state) { BM_RChart_Repaint(state, true); }

// The same polyline through the same mapping, as one Cairo path (Chunk 0) or
// stroked in pieces of Chunk segments, as the chart's polylines are.
void BM_Cairo_Polyline(benchmark::State& state) {
  const int chunk = static_cast<int>(state.range(0));
  auto c = MakeChart(false);
  std::vector<std::pair<double, double>> pts(kN + 1);
  for (int i = 0; i <= kN; ++i) {
    int px, py;
    c->R2M(1, i * 0.001, Signal(i), px, py);
    pts[static_cast<size_t>(i)] = {px + 0.5, py + 0.5};
  }
  cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(surf);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1);
  for (auto _ : state) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, pts[0].first, pts[0].second);
    for (int i = 1; i <= kN; ++i) {
      cairo_line_to(cr, pts[static_cast<size_t>(i)].first, pts[static_cast<size_t>(i)].second);
      if (chunk > 0 && i % chunk == 0) {
        cairo_stroke(cr);
        cairo_move_to(cr, pts[static_cast<size_t>(i)].first, pts[static_cast<size_t>(i)].second);
      }
    }
    cairo_stroke(cr);
    cairo_surface_flush(surf);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surf));
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surf);
  state.SetItemsProcessed(state.iterations() * kN);
}

}  // namespace

BENCHMARK(BM_RChart_Repaint_Full)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RChart_Repaint_Decimated)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cairo_Polyline)->Arg(200)->Arg(0)->Unit(benchmark::kMillisecond);
