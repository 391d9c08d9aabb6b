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
