// Gallery page: scale gauges in every index mode and background, colour scales.
#include <memory>
#include <string>
#include <vector>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_metafile.h"
#include "chart/Zol_colorscale.h"
#include "chart/Zol_gauge.h"

using namespace zol;

ZOL_GALLERY_PAGE("gauge", "Scale gauges and colour scales", 201) {
  const int W = 960, H = 700;
  std::vector<std::unique_ptr<TScaleGauge>> gauges;
  std::vector<TPoint> gpos;
  const char* modes[] = {"gimThread", "gimTriangle", "gimThreadTriangle", "gimThreadTwoTriangles",
                         "gimBand", "gimDualColorBand", "gimBar"};
  const char* backs[] = {"gbPlain", "gbVertGrad", "gbHorizGrad", "gbVertMidBand", "gbHorizMidBand"};
  for (int m = 0; m < 7; ++m) {
    auto g = std::make_unique<TScaleGauge>(nullptr);
    g->SetIndexMode(static_cast<TGaugeIndexMode>(m));
    g->SetBackground(static_cast<TGaugeBackground>(m % 5));
    g->SetValue(m == 5 ? -4.2 : 3.7);
    g->SetGaugeZero(0);
    g->SetCaption(std::string(modes[m]) + " / " + backs[m % 5]);
    g->SetCaptionSize(8);
    g->SetCaptionPosX(22);
    g->SetCaptionPosY(0);
    g->SetMarginTop(14);
    gauges.push_back(std::move(g));
    gpos.push_back(Point(10 + (m % 2) * 310, 10 + (m / 2) * 85));
  }
  {
    auto g = std::make_unique<TScaleGauge>(nullptr);  // logarithmic, moving dial
    g->SetMin(1);
    g->SetMax(1000);
    g->SetLogarithmic(true);
    g->SetValue(42);
    g->SetFixedDial(false);
    g->SetIndexMode(gimThreadTwoTriangles);
    g->SetBackground(gbVertMidBand);
    g->SetColorBg1(RGB(40, 60, 120));
    g->SetColorBg2(RGB(220, 230, 255));
    g->SetColorIndex1(clRed);
    g->SetColorIndex2(clYellow);
    gauges.push_back(std::move(g));
    gpos.push_back(Point(320, 265));
  }
  for (int k = 0; k < 2; ++k) {  // vertical gauges
    auto g = std::make_unique<TScaleGauge>(nullptr);
    g->SetBounds(0, 0, 90, 300);
    g->SetOrientation(goVertical);
    g->SetMarginRight(10);
    g->SetMarginLeft(10);
    g->SetMarginBottom(10);
    g->SetMarginTop(10);
    g->SetIndexMode(k == 0 ? gimBar : gimThreadTriangle);
    g->SetBackground(k == 0 ? gbHorizGrad : gbPlain);
    g->SetColorBg1(k == 0 ? RGB(255, 255, 255) : RGB(255, 250, 220));
    g->SetColorBg2(RGB(150, 200, 150));
    g->SetColorIndex1(k == 0 ? RGB(0, 128, 0) : clBlue);
    g->SetMin(0);
    g->SetMax(k == 0 ? 100 : 1e4);
    if (k == 1) {
      g->SetMin(1);
      g->SetLogarithmic(true);
    }
    g->SetValue(k == 0 ? 64 : 300);
    gauges.push_back(std::move(g));
    gpos.push_back(Point(640 + k * 100, 10));
  }
  std::vector<std::unique_ptr<TColorScale>> cscales;
  std::vector<TPoint> cpos;
  {
    auto c = std::make_unique<TColorScale>(nullptr);  // defaults
    c->SetBounds(0, 0, 400, 60);
    cscales.push_back(std::move(c));
    cpos.push_back(Point(10, 370));
  }
  {
    auto c = std::make_unique<TColorScale>(nullptr);  // colours over part of the range, extended
    c->SetBounds(0, 0, 400, 60);
    c->SetScaleRangeLow(0);
    c->SetScaleRangeHigh(100);
    c->SetColorLow(20);
    c->SetColorHigh(70);
    c->SetExtendColors(true);
    c->ColorArray().FillByInterpolation(0, ColorArray_Geo1);
    cscales.push_back(std::move(c));
    cpos.push_back(Point(10, 440));
  }
  {
    auto c = std::make_unique<TColorScale>(nullptr);  // banded, not extended, no frame
    c->SetBounds(0, 0, 400, 60);
    c->SetScaleRangeLow(-1);
    c->SetScaleRangeHigh(1);
    c->SetColorLow(-0.5);
    c->SetColorHigh(0.8);
    c->SetFramedColorScale(false);
    c->ColorArray().FillByInterpolation(8, ColorArray_Rainbow);
    c->SetFrameStyle(fsRaised);
    cscales.push_back(std::move(c));
    cpos.push_back(Point(10, 510));
  }
  {
    auto c = std::make_unique<TColorScale>(nullptr);  // equal ends: the middle colour
    c->SetBounds(0, 0, 400, 60);
    c->SetColorLow(3);
    c->SetColorHigh(3);
    cscales.push_back(std::move(c));
    cpos.push_back(Point(10, 580));
  }
  for (int k = 0; k < 2; ++k) {  // vertical colour scales
    auto c = std::make_unique<TColorScale>(nullptr);
    c->SetBounds(0, 0, 90, 320);
    c->SetOrientation(csoVertical);
    c->SetMarginRight(50);
    c->SetMarginLeft(12);
    c->SetMarginTop(12);
    c->SetMarginBottom(12);
    if (k == 1) {
      c->ColorArray().FillByInterpolation(0, ColorArray_Contrast);
      c->SetScaleRangeLow(0);
      c->SetScaleRangeHigh(500);
      c->SetColorLow(100);
      c->SetColorHigh(450);
      c->SetExtendColors(true);
      c->SetColorSclBkgd(clWhite);
    }
    cscales.push_back(std::move(c));
    cpos.push_back(Point(640 + k * 100, 330));
  }
  auto draw = [&](TCanvas& cv) {
    cv.Brush().SetColor(RGB(250, 250, 250));
    cv.FillRect(Rect(0, 0, W, H));
    for (size_t i = 0; i < gauges.size(); ++i) gauges[i]->RenderTo(cv, gpos[i].X, gpos[i].Y);
    for (size_t i = 0; i < cscales.size(); ++i) cscales[i]->RenderTo(cv, cpos[i].X, cpos[i].Y);
  };
  const auto sheet = RenderBitmap(W, H, draw);
  const auto mf = RenderMetafile(W, H, draw);
  page.AddText("Scale gauges in each index mode and background (value 3.7, the dual-colour band at -4.2 "
               "below its zero), a logarithmic gauge whose scale moves under a fixed index, vertical "
               "gauges; colour scales: defaults, colours over part of the range extended to the ends, an "
               "8-band rainbow, equal colour ends (the middle colour), vertical bars.");
  page.AddImage("sheet", *sheet, "Raster (PNG)");
  mf->SaveToFile(page.FilePath("sheet.svg"));
  mf->SaveToPDFFile(page.FilePath("sheet.pdf"));
  page.AddLink("sheet.svg", "The same sheet as SVG");
  page.AddLink("sheet.pdf", "The same sheet as PDF");
}
