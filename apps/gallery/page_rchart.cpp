// Gallery page: the two-dimensional chart — every item kind, two layers with
// joint axes, a signal of a million points with and without decimation, the
// standard layouts, and one chart as PNG, SVG and PDF.
#include <cmath>
#include <memory>
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "base/platform/Zol_sysutils.h"
#include "chart/Zol_rchart.h"

using namespace zol;

namespace {

std::unique_ptr<TRChart> NewChart(int w, int h) {
  auto c = std::make_unique<TRChart>(nullptr);
  c->SetSuppressPaint(true);
  c->SetBounds(0, 0, w, h);
  c->SetWindColor(RGB(236, 236, 236));
  c->SetSuppressPaint(false);
  return c;
}

void ItemKinds(TRChart& c) {
  c.SetCaption("every item kind");
  c.SetRange(1, 0, 0, 12, 10);
  c.SetGridStyle(gsDotLines);
  c.SetGridColor(RGB(180, 180, 180));
  c.Scale1X().SetShortTicks(false);
  c.Scale1Y().SetShortTicks(false);
  c.SetDataColor(clNavy);
  for (int i = 0; i < 8; ++i) c.MarkAt(0.6 + i * 0.5, 9.3, static_cast<uint8_t>(i * 3));  // tkMarkAt
  c.SetDataColor(clRed);
  c.SetLineWidth(2);
  c.Line(0.5, 8.2, 4, 8.2);  // tkLine
  c.SetLineWidth(1);
  c.SetDataColor(clGreen);
  c.MoveTo(0.5, 6);  // tkMoveTo, tkLineto
  for (int i = 1; i <= 35; ++i) c.DrawTo(0.5 + i * 0.1, 6 + 0.9 * std::sin(i * 0.45));
  c.SetDataColor(clBlack);
  c.SetFillColor(RGB(255, 220, 120));
  c.Rectangle(5, 8, 7, 9.5);  // tkRect
  c.SetFillColor(RGB(200, 200, 200));
  c.RectFrame(7.5, 8, 9.5, 9.5, fsRaised, RGB(100, 100, 100), clWhite);  // tkRectFrame
  c.SetFillColor(RGB(120, 170, 255));
  c.Bar3D(5, 2, 6, 6, 10, 40);  // tk3DBar
  c.SetFillColor(RGB(255, 150, 150));
  c.Bar3D(6.8, 2, 7.8, 4.5, 10, 40);
  c.SetFillColor(RGB(180, 255, 180));
  c.Ellipse(10.5, 8.5, 1, 0.9);  // tkEllipse
  c.SetDataColor(clPurple);
  c.Text(2, 4.5, 10, "tkText");  // tkText
  c.Text(2, 3.6, 8, "tkTextOfs", 10, 4, taLeftJustify);  // tkTextOfs
  c.SetDataColor(clMaroon);
  c.MoveTo(9, 5);
  c.MoveToRelPix(0, 0);  // tkMoveRelPix
  for (int i = 0; i < 4; ++i) c.DrawToRelPix(i % 2 ? 0 : 14, i % 2 ? 12 : -6);  // tkLineRelPix
  c.SetFillColor(RGB(255, 255, 150));
  c.RectangleRelPix(9, 2, 40, 20);  // tkRectRelPix
  c.SetDataColor(clTeal);
  c.SetFillColor(clTeal);
  c.Arrow(0.8, 1, 3.5, 2.6, 10);  // tkArrow
  c.SetTransparentItems(true);
  c.Arrow(0.8, 0.5, 3.8, 0.5, 8);
  c.AddTextLabel(10.5, 3.5, clBlack, "text label\nwith two lines", 1);
  c.GetFTextLabel(1).SetTxtLblMode(tlShadow);
  c.CrossHairSetup(1, clRed, chBox, psSolid, 1);
  c.CrossHairSetPos(1, 10.5, 8.5);
}

void JointLayers(TRChart& c) {
  c.SetStdLayout(rcl_X1Bottom_Y2Both);
  c.SetCaption("two layers, x axes joined");
  c.Scale1Y().SetCaption("mV");
  c.Scale2Y().SetCaption("mA");
  c.Scale1Y().SetColorScale(clBlue);
  c.Scale2Y().SetColorScale(clRed);
  c.JointLayers().SetControlledLayerX(2, 1);
  c.SetRange(1, 0, -150, 50, 150);
  c.SetRange(2, 0, 0, 50, 20);
  c.SetActiveLayer(1);
  c.SetDataColor(clBlue);
  c.MoveTo(0, 0);
  for (int i = 1; i <= 500; ++i) c.DrawTo(i * 0.1, 120 * std::sin(i * 0.05) * std::exp(-i * 0.003));
  c.SetActiveLayer(2);
  c.SetDataColor(clRed);
  c.MoveTo(0, 18);
  for (int i = 1; i <= 500; ++i) c.DrawTo(i * 0.1, 10 + 8 * std::cos(i * 0.031));
  c.SetActiveLayer(1);
}

void Signal(TRChart& c, bool decimate) {
  c.SetCaption(decimate ? "10^6 points, decimated per pixel column" : "10^6 points, every point drawn");
  c.SetDecimateLines(decimate);
  c.SetRange(1, 0, -3, 1000, 3);
  c.SetDataColor(RGB(0, 90, 160));
  uint32_t seed = 12345;
  auto noise = [&]() {
    seed = seed * 1664525u + 1013904223u;
    return ((seed >> 8) & 0xFFFF) / 65536.0 - 0.5;
  };
  c.MoveTo(0, 0);
  for (int i = 1; i <= 1000000; ++i) {
    const double t = i * 0.001;
    c.DrawTo(t, std::sin(t * 0.05) * 1.5 + std::sin(t * 3.1) * 0.4 + noise());
  }
}

void Layout(TRChart& c, TrcLayout l, const char* name) {
  c.SetStdLayout(l);
  c.SetCaption(name);
  c.Scale1X().SetCaption("x1");
  c.Scale1Y().SetCaption("y1");
  c.Scale2X().SetCaption("x2");
  c.Scale2Y().SetCaption("y2");
  c.SetRange(1, 0, 0, 10, 100);
  c.SetRange(2, -1, 1, 1, 1000);
  c.Scale2Y().SetLogarithmic(true);
  c.SetDataColor(clNavy);
  for (int i = 0; i <= 10; ++i) c.MarkAt(i, i * i, 2);
}

void Show(gallery::GalleryPage& page, TCustomRChart& c, const std::string& stem, const std::string& caption) {
  TBitmap b;
  c.CopyToBitmap(b);
  page.AddImage(stem, b, caption);
}

double TwoHills(double x, double y) {
  return 1.2 * std::exp(-((x - 1.5) * (x - 1.5) + (y - 1) * (y - 1)) / 2) -
         0.9 * std::exp(-((x + 2) * (x + 2) + (y + 1.5) * (y + 1.5)) / 3);
}

void Contour(TContourPlot& p, TContourPlotMode mode) {
  p.SetCaption(mode == cpmColorSurface ? "colour-coded surface" : "iso-lines as dots");
  p.SetPlotMode(mode);
  p.SetIsoParams(-1, 1.2, 0.1);
  p.SetGridStyle(gsNone);
  p.OnEstimateZVal = [](TObject*, double x, double y, double& z) { z = TwoHills(x, y); };
  p.DrawPlot();
}

void Smith(TSmithChart& s) {
  s.SetCaption("impedance loci");
  // A series R-L-C load of 50 ohm normalised, swept over frequency, and a
  // transmission line transforming a 2 - 1j load.
  s.SetDataColor(clRed);
  for (int i = 0; i <= 200; ++i) {
    const double f = std::pow(10.0, -1 + i / 100.0);
    const double r = 0.6, x = 1.5 * f - 1.0 / (1.2 * f);
    const double u = TSmithChart::CalcReflectionReal(r, x), v = TSmithChart::CalcReflectionImag(r, x);
    if (i == 0) s.MoveTo(u, v); else s.DrawTo(u, v);
  }
  s.SetDataColor(clBlue);
  const double u0 = TSmithChart::CalcReflectionReal(2, -1), v0 = TSmithChart::CalcReflectionImag(2, -1);
  const double m = std::hypot(u0, v0), a0 = std::atan2(v0, u0);
  for (int i = 0; i <= 120; ++i) {
    const double a = a0 - i * 3.14159265358979 / 120;
    if (i == 0) s.MoveTo(m * std::cos(a), m * std::sin(a)); else s.DrawTo(m * std::cos(a), m * std::sin(a));
  }
  s.MarkAt(u0, v0, 3);
  s.CrossHairSetup(1, clGreen, chBox, psSolid, 1);
  s.CrossHairSetPos(1, 0, 0);
}

}  // namespace

ZOL_GALLERY_PAGE("rchart", "Two-dimensional chart", 40) {
  page.AddHeading("Item kinds");
  page.AddText("Marks, lines, polylines, rectangles, frames, 3D bars, texts (plain and with pixel offsets), "
               "ellipses, relative pixel moves and lines, pixel rectangles and arrows (filled and open), with "
               "a shadowed text label, a box crosshair and a dotted grid.");
  {
    auto c = NewChart(560, 400);
    ItemKinds(*c);
    Show(page, *c, "items", "Each item kind");
  }
  page.AddHeading("Two layers with joint axes");
  {
    auto c = NewChart(560, 320);
    JointLayers(*c);
    Show(page, *c, "layers", "Layer 2's x axis is controlled by layer 1; separate y axes left and right");
  }
  page.AddHeading("A signal of a million points");
  page.AddText("The same 10^6 line points drawn completely and with per-column decimation (first, lowest, "
               "highest and last point of each pixel column); the pictures are identical.");
  {
    auto c = NewChart(700, 300);
    Signal(*c, false);
    TBitmap b;
    const uint64_t t0 = GetTickCount();
    c->CopyToBitmap(b);
    const uint64_t t1 = GetTickCount();
    page.AddImage("signal_full", b, "every point (" + std::to_string(t1 - t0) + " ms in this build)");
    c->SetDecimateLines(true);
    c->SetCaption("10^6 points, decimated per pixel column");
    TBitmap d;
    const uint64_t t2 = GetTickCount();
    c->CopyToBitmap(d);
    const uint64_t t3 = GetTickCount();
    page.AddImage("signal_decimated", d, "decimated (" + std::to_string(t3 - t2) + " ms in this build)");
  }
  page.AddHeading("Standard layouts");
  const struct {
    TrcLayout l;
    const char* name;
  } layouts[] = {{rcl_X1Bottom_Y1Left, "rcl_X1Bottom_Y1Left"},
                 {rcl_X1Bottom_Y2Left, "rcl_X1Bottom_Y2Left"},
                 {rcl_X1Bottom_Y2Both, "rcl_X1Bottom_Y2Both"},
                 {rcl_X2Bottom_Y2Left, "rcl_X2Bottom_Y2Left"},
                 {rcl_X2Both_Y2Both, "rcl_X2Both_Y2Both"}};
  for (const auto& l : layouts) {
    auto c = NewChart(360, 240);
    Layout(*c, l.l, l.name);
    Show(page, *c, std::string("layout_") + l.name, l.name);
  }
  page.AddHeading("Contour plot");
  page.AddText("Two hills sampled on a pivot grid every 5 pixels, as a colour-coded surface and as dotted "
               "iso-lines every 0.1.");
  for (TContourPlotMode mode : {cpmColorSurface, cpmDots}) {
    TContourPlot p(nullptr);
    p.SetBounds(0, 0, 420, 360);
    Contour(p, mode);
    Show(page, p, mode == cpmColorSurface ? "contour_surface" : "contour_dots",
         mode == cpmColorSurface ? "cpmColorSurface" : "cpmDots");
  }
  page.AddHeading("Smith chart");
  {
    TSmithChart s(nullptr);
    s.SetBounds(0, 0, 420, 400);
    Smith(s);
    Show(page, s, "smith", "A series resonant load swept over frequency (red) and a line transforming 2 - 1j (blue)");
  }
  page.AddHeading("Export: PNG, SVG and PDF");
  {
    auto c = NewChart(560, 400);
    ItemKinds(*c);
    TBitmap b;
    c->CopyToBitmap(b);
    page.AddImage("export", b, "PNG through the bitmap");
    c->CopyToSVG(page.FilePath("export.svg"));
    page.AddLink("export.svg", "SVG through the metafile (text stays text)");
    c->CopyToPDF(page.FilePath("export.pdf"));
    page.AddLink("export.pdf", "PDF through the metafile's vector writer (text stays text)");
  }
}
