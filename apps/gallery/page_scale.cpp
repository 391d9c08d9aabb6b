// Gallery page: axis scales of every kind and orientation, as PNG, SVG and PDF.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_metafile.h"
#include "chart/Zol_scale.h"

using namespace zol;

namespace {

struct Sample {
  std::string title;
  int x, y, w, h;
  std::function<void(TScale&)> setup;
};

std::vector<Sample> Samples() {
  const double day = 45000;  // 2023-03-15
  return {
      {"linear 0..100 (defaults)", 10, 10, 380, 70, [](TScale&) {}},
      {"reversed, caption centred", 400, 10, 380, 70,
       [](TScale& s) {
         s.SetRange(5, -5);
         s.SetCaption("Potential [mV]");
         s.SetCaptionAnchor(uaSclCenter);
         s.SetMarginBottom(30);
         s.SetCaptionPosY(6);
       }},
      {"top axis, logarithmic 1..1e6", 10, 90, 380, 70,
       [](TScale& s) {
         s.SetScaleType(sctXT);
         s.SetRange(1, 1e6);
         s.SetLogarithmic(true);
       }},
      {"log 0.01..10 with multipliers", 400, 90, 380, 70,
       [](TScale& s) {
         s.SetScaleType(sctXT);
         s.SetRange(0.01, 10);
         s.SetLogarithmic(true);
         s.SetMinTicks(10);
         s.SetColorScale(clNavy);
       }},
      {"time (seconds) 0..3600", 10, 170, 380, 70,
       [](TScale& s) {
         s.SetLabelType(ftTime);
         s.SetRange(0, 3600);
       }},
      {"date/time, 10 minutes", 400, 170, 380, 70,
       [=](TScale& s) {
         s.SetLabelType(ftDateTime);
         s.SetRange(day + 10.0 / 24, day + 10.0 / 24 + 10.0 / 1440);
         s.SetMarginBottom(8);
         s.SetMarginTop(4);
       }},
      {"date/time, days", 10, 250, 380, 70,
       [=](TScale& s) {
         s.SetLabelType(ftDateTime);
         s.SetRange(day, day + 20);
         s.DateFormat().SetYearLength(ylNone);
       }},
      {"date/time, months and years", 400, 250, 380, 70,
       [=](TScale& s) {
         s.SetLabelType(ftDateTime);
         s.SetRange(day, day + 800);
         s.SetMinTicks(4);
       }},
      {"user texts, inscription, frame styles", 10, 330, 380, 70,
       [](TScale& s) {
         s.SetLabelType(ftUserText);
         s.SetUserTickText("none|low|mid|high|max|over");
         s.SetFrameStyle(fsRaised);
         s.SetColorBackGnd(RGB(255, 250, 230));
       }},
      {"inscription \"ca. & kg\", exponents", 400, 330, 380, 70,
       [](TScale& s) {
         s.SetRange(0, 3e7);
         s.SetScaleInscript("& kg");
         s.SetFrameStyle(fsEmbossed);
       }},
      {"left axis", 10, 410, 120, 300,
       [](TScale& s) {
         s.SetScaleType(sctYL);
         s.SetRange(-1, 1);
         s.SetCaption("V");
         s.SetCaptionAlignment(taLeftJustify);
         s.SetCaptionPosX(30);
         s.SetCaptionPosY(-16);
       }},
      {"right axis, logarithmic", 140, 410, 120, 300,
       [](TScale& s) {
         s.SetScaleType(sctYR);
         s.SetRange(1e-3, 1e3);
         s.SetLogarithmic(true);
         s.SetMinTicks(5);
       }},
      {"left axis, time", 270, 410, 120, 300,
       [](TScale& s) {
         s.SetScaleType(sctYL);
         s.SetLabelType(ftTime);
         s.SetRange(0, 2.5);
         s.SetColorScheme(csSystem);
       }},
      {"right axis, dates", 400, 410, 140, 300,
       [=](TScale& s) {
         s.SetScaleType(sctYR);
         s.SetLabelType(ftDateTime);
         s.SetRange(day, day + 90);
       }},
      {"transparent, no base line", 550, 410, 230, 300,
       [](TScale& s) {
         s.SetScaleType(sctYL);
         s.SetTransparent(true);
         s.SetShowBaseLine(false);
         s.SetRange(0, 1e-5);
         s.SetColorScale(clMaroon);
       }},
  };
}

}  // namespace

ZOL_GALLERY_PAGE("scale", "Axis scales", 200) {
  const int W = 790, H = 720;
  auto samples = Samples();
  std::vector<std::unique_ptr<TScale>> scales;
  for (const Sample& sm : samples) {
    auto s = std::make_unique<TScale>(nullptr);
    s->SetBounds(0, 0, sm.w, sm.h);
    s->Font().SetName("Arial");
    sm.setup(*s);
    scales.push_back(std::move(s));
  }
  auto draw = [&](TCanvas& c) {
    c.Brush().SetColor(RGB(250, 250, 250));
    c.FillRect(Rect(0, 0, W, H));
    for (size_t i = 0; i < samples.size(); ++i) scales[i]->RenderTo(c, samples[i].x, samples[i].y);
  };
  const auto sheet = RenderBitmap(W, H, draw);
  const auto mf = RenderMetafile(W, H, draw);
  page.AddText("Scales of every kind and orientation: linear, reversed, logarithmic (decades only and "
               "with the 2 and 5 multipliers), time in seconds, date/time at the minute, day, month and "
               "year levels, user texts and inscriptions, vertical axes on both sides, a transparent scale.");
  page.AddImage("sheet", *sheet, "Raster (PNG)");
  mf->SaveToFile(page.FilePath("sheet.svg"));
  mf->SaveToPDFFile(page.FilePath("sheet.pdf"));
  page.AddLink("sheet.svg", "The same sheet as SVG (text stays text)");
  page.AddLink("sheet.pdf", "The same sheet as PDF");
  std::vector<std::vector<std::string>> rows = {{"sample", "position", "NumTicks"}};
  for (size_t i = 0; i < samples.size(); ++i)
    rows.push_back({samples[i].title, std::to_string(samples[i].x) + "," + std::to_string(samples[i].y),
                    std::to_string(scales[i]->NumTicks())});
  page.AddTable(rows);
}
