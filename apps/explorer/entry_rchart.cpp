// Explorer entry: the two-dimensional chart, zoomed and panned by mouse.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "apps/explorer/Explorer.h"
#include "chart/Zol_rchart.h"

using namespace zol;

namespace {

TMouseActMode ActionFromText(const std::string& v) {
  const int i = XmlTableIndex(xmlMouseActMode, v);
  return i < 0 ? maNone : static_cast<TMouseActMode>(i);
}

std::string Num(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}

}  // namespace

ZOL_EXPLORER_ENTRY("Charts", "TRChart") {
  auto* c = new TRChart(&Parent);
  c->SetParent(&Parent);
  c->SetBounds(0, 0, 640, 420);
  c->SetSuppressPaint(true);
  c->SetCaption("damped oscillation");
  c->Scale1X().SetCaption("t [s]");
  c->Scale1Y().SetCaption("U [V]");
  c->SetGridStyle(gsDotLines);
  c->SetGridColor(RGB(160, 160, 160));
  c->Scale1X().SetShortTicks(false);
  c->Scale1Y().SetShortTicks(false);
  c->SetRange(1, 0, -1.2, 10, 1.2);
  c->SetDataColor(clNavy);
  c->MoveTo(0, 0);
  for (int i = 1; i <= 1000; ++i) {
    const double t = i * 0.01;
    c->DrawTo(t, std::exp(-0.3 * t) * std::sin(2 * 3.14159265358979 * t));
  }
  c->SetDataColor(clRed);
  for (int i = 0; i <= 20; ++i) c->MarkAt(i * 0.5, std::exp(-0.15 * i) * 0.9, 3);
  c->CrossHairSetup(1, clGreen, chVert, psDot, 1);
  c->CrossHairSetPos(1, 2.5, 0);
  c->AddTextLabel(5, 0.8, clBlack, "envelope", 1);
  c->SetMouseAction(maZoomWindPos);
  c->SetSuppressPaint(false);
  explorer::Demo d{c, {}};
  d.Properties.push_back({"Caption", [c] { return c->Caption(); }, [c](const std::string& v) { c->SetCaption(v); }});
  d.Properties.push_back({"MouseAction", [c] { return std::string(xmlMouseActMode[c->MouseAction()]); },
                          [c](const std::string& v) { c->SetMouseAction(ActionFromText(v)); }});
  d.Properties.push_back({"GridStyle", [c] { return std::to_string(static_cast<int>(c->GridStyle())); },
                          [c](const std::string& v) { c->SetGridStyle(static_cast<GridStyleType>(std::clamp(std::atoi(v.c_str()), 0, 7))); }});
  d.Properties.push_back({"ShadowWidth", [c] { return std::to_string(c->ShadowWidth()); },
                          [c](const std::string& v) { c->SetShadowWidth(std::atoi(v.c_str())); }});
  d.Properties.push_back({"Isometric", [c] { return std::string(c->Isometric() ? "true" : "false"); },
                          [c](const std::string& v) { c->SetIsometric(v == "true" || v == "1"); }});
  d.Properties.push_back({"DecimateLines", [c] { return std::string(c->DecimateLines() ? "true" : "false"); },
                          [c](const std::string& v) { c->SetDecimateLines(v == "true" || v == "1"); }});
  d.Properties.push_back({"X range", [c] { return Num(c->Scale1X().RangeLow()) + " .. " + Num(c->Scale1X().RangeHigh()); }, {}});
  d.Properties.push_back({"Y range", [c] { return Num(c->Scale1Y().RangeLow()) + " .. " + Num(c->Scale1Y().RangeHigh()); }, {}});
  d.Properties.push_back({"Zoom back", [] { return std::string("-1"); },
                          [c](const std::string& v) { c->ZoomHistory(std::atoi(v.c_str())); }});
  return d;
}

ZOL_EXPLORER_ENTRY("Charts", "TContourPlot") {
  auto* p = new TContourPlot(&Parent);
  p->SetParent(&Parent);
  p->SetBounds(0, 0, 480, 420);
  p->SetCaption("two hills");
  p->SetIsoParams(-1, 1.2, 0.1);
  p->SetGridStyle(gsNone);
  p->SetMouseAction(maZoomWindPos);
  p->OnEstimateZVal = [](TObject*, double x, double y, double& z) {
    z = 1.2 * std::exp(-((x - 1.5) * (x - 1.5) + (y - 1) * (y - 1)) / 2) -
        0.9 * std::exp(-((x + 2) * (x + 2) + (y + 1.5) * (y + 1.5)) / 3);
  };
  p->DrawPlot();
  explorer::Demo d{p, {}};
  d.Properties.push_back({"PlotMode", [p] { return std::to_string(static_cast<int>(p->PlotMode())); },
                          [p](const std::string& v) { p->SetPlotMode(static_cast<TContourPlotMode>(std::clamp(std::atoi(v.c_str()), 0, 3))); }});
  d.Properties.push_back({"IsoDist", [p] { return Num(p->IsoDist()); },
                          [p](const std::string& v) { p->SetIsoDist(std::atof(v.c_str())); }});
  d.Properties.push_back({"PivotResolution", [p] { return std::to_string(p->PivotResolution()); },
                          [p](const std::string& v) { p->SetPivotRes(std::atoi(v.c_str())); }});
  return d;
}

ZOL_EXPLORER_ENTRY("Charts", "TSmithChart") {
  auto* s = new TSmithChart(&Parent);
  s->SetParent(&Parent);
  s->SetBounds(0, 0, 440, 420);
  s->SetCaption("series resonance");
  s->SetDataColor(clRed);
  for (int i = 0; i <= 200; ++i) {
    const double f = std::pow(10.0, -1 + i / 100.0);
    const double r = 0.6, x = 1.5 * f - 1.0 / (1.2 * f);
    const double u = TSmithChart::CalcReflectionReal(r, x), v = TSmithChart::CalcReflectionImag(r, x);
    if (i == 0) s->MoveTo(u, v); else s->DrawTo(u, v);
  }
  s->CrossHairSetup(1, clGreen, chBoth, psDot, 1);
  s->SetMouseAction(maDragCrossH);
  explorer::Demo d{s, {}};
  d.Properties.push_back({"Crosshair r", [s] { return Num(TSmithChart::CalcResistance(s->GetCHPosX(1), s->GetCHPosY(1))); }, {}});
  d.Properties.push_back({"Crosshair x", [s] { return Num(TSmithChart::CalcReactance(s->GetCHPosX(1), s->GetCHPosY(1))); }, {}});
  return d;
}
