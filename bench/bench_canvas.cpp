// Raster canvas throughput: lines, fills, shapes, text, stretching, flood fill
// and the image codecs, with Cairo's image surface (no antialiasing) as the
// reference for lines and rectangle fills.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <random>
#include <vector>

#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_imaging.h"

using namespace zol;

namespace {

constexpr int kW = 1024, kH = 768;

std::vector<TPoint> RandomPoints(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<TPoint> v(n);
  for (auto& p : v) p = {int(rng() % kW), int(rng() % kH)};
  return v;
}

void Lines(benchmark::State& state, TPenMode mode, int width, TPenStyle style) {
  TBitmap b(kW, kH);
  TCanvas& c = b.Canvas();
  c.Pen().SetMode(mode);
  c.Pen().SetWidth(width);
  c.Pen().SetStyle(style);
  auto pts = RandomPoints(1000, 1);
  for (auto _ : state) {
    c.MoveTo(pts[0].X, pts[0].Y);
    for (size_t i = 1; i < pts.size(); ++i) c.LineTo(pts[i].X, pts[i].Y);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(pts.size() - 1));
}

void BM_LineTo_Thin(benchmark::State& s) { Lines(s, pmCopy, 1, psSolid); }
void BM_LineTo_Xor(benchmark::State& s) { Lines(s, pmXor, 1, psSolid); }
void BM_LineTo_Dashed(benchmark::State& s) { Lines(s, pmCopy, 1, psDash); }
void BM_LineTo_Wide5(benchmark::State& s) { Lines(s, pmCopy, 5, psSolid); }

void BM_Cairo_Lines(benchmark::State& state) {
  cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(surf);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgb(cr, 0, 0, 0);
  auto pts = RandomPoints(1000, 1);
  for (auto _ : state) {
    for (size_t i = 1; i < pts.size(); ++i) {
      cairo_move_to(cr, pts[i - 1].X + 0.5, pts[i - 1].Y + 0.5);
      cairo_line_to(cr, pts[i].X + 0.5, pts[i].Y + 0.5);
      cairo_stroke(cr);
    }
    cairo_surface_flush(surf);
  }
  state.SetItemsProcessed(state.iterations() * int64_t(pts.size() - 1));
  cairo_destroy(cr);
  cairo_surface_destroy(surf);
}

void BM_FillRect_Full(benchmark::State& state) {
  TBitmap b(kW, kH);
  TCanvas& c = b.Canvas();
  int i = 0;
  for (auto _ : state) {
    c.Brush().SetColor(RGB(i & 255, 0, 0));
    c.FillRect(Rect(0, 0, kW, kH));
    ++i;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void BM_Cairo_FillRect_Full(benchmark::State& state) {
  cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(surf);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  int i = 0;
  for (auto _ : state) {
    cairo_set_source_rgb(cr, (i & 255) / 255.0, 0, 0);
    cairo_rectangle(cr, 0, 0, kW, kH);
    cairo_fill(cr);
    cairo_surface_flush(surf);
    ++i;
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
  cairo_destroy(cr);
  cairo_surface_destroy(surf);
}

void BM_Rectangles_Small(benchmark::State& state) {
  TBitmap b(kW, kH);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clYellow);
  auto pts = RandomPoints(1000, 2);
  for (auto _ : state) {
    for (const TPoint& p : pts) c.Rectangle(p.X, p.Y, p.X + 20, p.Y + 12);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(pts.size()));
}

void BM_Ellipse(benchmark::State& state) {
  TBitmap b(kW, kH);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clAqua);
  const int r = static_cast<int>(state.range(0));
  for (auto _ : state) {
    c.Ellipse(10, 10, 10 + 2 * r, 10 + r);
    benchmark::ClobberMemory();
  }
}

void BM_Polygon_Star(benchmark::State& state) {
  TBitmap b(kW, kH);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clLime);
  std::vector<TPoint> star;
  for (int i = 0; i < 101; ++i) {
    double a = i * 2 * 3.14159265358979 * 50 / 101;
    star.push_back({int(512 + 370 * std::cos(a)), int(384 + 370 * std::sin(a))});
  }
  for (auto _ : state) {
    c.Polygon(star);
    benchmark::ClobberMemory();
  }
}

void BM_TextOut(benchmark::State& state) {
  TBitmap b(kW, kH);
  TCanvas& c = b.Canvas();
  c.Font().SetHeight(-13);
  c.Brush().SetStyle(bsClear);
  for (auto _ : state) {
    for (int y = 0; y < 700; y += 20) c.TextOut(5, y, "The quick brown fox jumps over the lazy dog 0123456789");
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 35);
}

void Stretch(benchmark::State& state, int mode, int sw, int sh, int dw, int dh) {
  TBitmap src(sw, sh), dst(dw, dh);
  std::mt19937 rng(3);
  for (int i = 0; i < sw * sh; ++i) src.Bits()[i] = rng() | 0xFF000000u;
  dst.Canvas().SetStretchBltMode(mode);
  for (auto _ : state) {
    dst.Canvas().StretchDraw(Rect(0, 0, dw, dh), src);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * dw * dh);
}
void BM_Stretch_Nearest_Up(benchmark::State& s) { Stretch(s, COLORONCOLOR, 512, 384, 1024, 768); }
void BM_Stretch_Halftone_Up(benchmark::State& s) { Stretch(s, HALFTONE, 512, 384, 1024, 768); }
void BM_Stretch_Halftone_Down(benchmark::State& s) { Stretch(s, HALFTONE, 1024, 768, 256, 192); }

void BM_FloodFill(benchmark::State& state) {
  TBitmap b(kW, kH);
  TCanvas& c = b.Canvas();
  c.Ellipse(0, 0, kW, kH);
  int i = 0;
  for (auto _ : state) {
    TColor old = ColorToRGB(c.Pixels(kW / 2, kH / 2));
    c.Brush().SetColor(RGB(i & 255, 128, 0) == old ? RGB(0, 0, 1) : RGB(i & 255, 128, 0));
    c.FloodFill(kW / 2, kH / 2, old, fsSurface);
    ++i;
  }
}

void BM_Codec(benchmark::State& state, int kind, bool decode) {
  TBitmap b(512, 512);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) b.ScanLine(y)[x] = 0xFF000000u | (uint32_t(x / 2) << 16) | (uint32_t(y / 2) << 8) | uint32_t((x ^ y) & 255);
  TMemoryStream ms;
  auto save = [&](TStream& s) {
    if (kind == 0) b.SaveBMPToStream(s);
    else if (kind == 1) b.SavePNGToStream(s);
    else b.SaveJPEGToStream(s, 90);
  };
  save(ms);
  TBitmap r;
  for (auto _ : state) {
    if (decode) {
      ms.SetPosition(0);
      benchmark::DoNotOptimize(r.LoadFromStream(ms));
    } else {
      TMemoryStream out;
      save(out);
      benchmark::DoNotOptimize(out.Size());
    }
  }
  state.SetItemsProcessed(state.iterations() * 512 * 512);
}
void BM_BMP_Encode(benchmark::State& s) { BM_Codec(s, 0, false); }
void BM_BMP_Decode(benchmark::State& s) { BM_Codec(s, 0, true); }
void BM_PNG_Encode(benchmark::State& s) { BM_Codec(s, 1, false); }
void BM_PNG_Decode(benchmark::State& s) { BM_Codec(s, 1, true); }
void BM_JPEG_Encode(benchmark::State& s) { BM_Codec(s, 2, false); }
void BM_JPEG_Decode(benchmark::State& s) { BM_Codec(s, 2, true); }

}  // namespace

BENCHMARK(BM_LineTo_Thin);
BENCHMARK(BM_LineTo_Xor);
BENCHMARK(BM_LineTo_Dashed);
BENCHMARK(BM_LineTo_Wide5);
BENCHMARK(BM_Cairo_Lines);
BENCHMARK(BM_FillRect_Full);
BENCHMARK(BM_Cairo_FillRect_Full);
BENCHMARK(BM_Rectangles_Small);
BENCHMARK(BM_Ellipse)->Arg(20)->Arg(300);
BENCHMARK(BM_Polygon_Star);
BENCHMARK(BM_TextOut);
BENCHMARK(BM_Stretch_Nearest_Up);
BENCHMARK(BM_Stretch_Halftone_Up);
BENCHMARK(BM_Stretch_Halftone_Down);
BENCHMARK(BM_FloodFill);
BENCHMARK(BM_BMP_Encode);
BENCHMARK(BM_BMP_Decode);
BENCHMARK(BM_PNG_Encode);
BENCHMARK(BM_PNG_Decode);
BENCHMARK(BM_JPEG_Encode);
BENCHMARK(BM_JPEG_Decode);
