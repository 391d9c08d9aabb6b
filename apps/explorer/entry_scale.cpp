// Explorer entries: the axis scale, the scale gauge and the colour scale.
#include <cstdlib>
#include <string>

#include "apps/explorer/Explorer.h"
#include "chart/Zol_colorscale.h"
#include "chart/Zol_gauge.h"
#include "chart/Zol_scale.h"

namespace {

std::string Num(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}

double ToNum(const std::string& s) { return std::strtod(s.c_str(), nullptr); }
int ToInt(const std::string& s) { return std::atoi(s.c_str()); }
bool ToBool(const std::string& s) { return s == "1" || s == "true" || s == "True" || s == "yes"; }
std::string Bool(bool v) { return v ? "true" : "false"; }

}  // namespace

ZOL_EXPLORER_ENTRY("Charts", "TScale") {
  auto* s = new zol::TScale(&Parent);
  s->SetParent(&Parent);
  s->SetBounds(0, 0, 420, 90);
  s->SetCaption("Voltage [V]");
  s->SetCaptionAnchor(zol::uaSclCenter);
  s->SetMarginBottom(30);
  explorer::Demo d{s, {}};
  d.Properties.push_back({"RangeLow", [s] { return Num(s->RangeLow()); },
                          [s](const std::string& v) { s->SetRangeLow(ToNum(v)); }});
  d.Properties.push_back({"RangeHigh", [s] { return Num(s->RangeHigh()); },
                          [s](const std::string& v) { s->SetRangeHigh(ToNum(v)); }});
  d.Properties.push_back({"Logarithmic", [s] { return Bool(s->Logarithmic()); },
                          [s](const std::string& v) { s->SetLogarithmic(ToBool(v)); }});
  d.Properties.push_back({"ScaleType (0 XB, 1 XT, 2 YL, 3 YR)", [s] { return std::to_string(s->ScaleType()); },
                          [s](const std::string& v) {
                            const int t = ToInt(v);
                            if (t < 0 || t > 3) return;
                            s->SetScaleType(static_cast<zol::TScaleType>(t));
                            if (t >= 2)
                              s->SetBounds(s->Left(), s->Top(), 120, 360);
                            else
                              s->SetBounds(s->Left(), s->Top(), 420, 90);
                          }});
  d.Properties.push_back({"MinTicks", [s] { return std::to_string(s->MinTicks()); },
                          [s](const std::string& v) { s->SetMinTicks(ToInt(v)); }});
  d.Properties.push_back({"ShortTicks", [s] { return Bool(s->ShortTicks()); },
                          [s](const std::string& v) { s->SetShortTicks(ToBool(v)); }});
  d.Properties.push_back({"DecPlaces", [s] { return std::to_string(s->DecPlaces()); },
                          [s](const std::string& v) { s->SetDecPlaces(ToInt(v)); }});
  d.Properties.push_back({"LabelType (0 none, 1 num, 2 time, 3 date/time, 4 user)",
                          [s] { return std::to_string(s->LabelType()); },
                          [s](const std::string& v) {
                            const int t = ToInt(v);
                            if (t >= 0 && t <= 4) s->SetLabelType(static_cast<zol::TFigType>(t));
                          }});
  d.Properties.push_back({"UserTickText", [s] { return s->UserTickText(); },
                          [s](const std::string& v) { s->SetUserTickText(v); }});
  d.Properties.push_back({"ScaleInscript", [s] { return s->ScaleInscript(); },
                          [s](const std::string& v) { s->SetScaleInscript(v); }});
  d.Properties.push_back({"Caption", [s] { return s->Caption(); },
                          [s](const std::string& v) { s->SetCaption(v); }});
  d.Properties.push_back({"Transparent", [s] { return Bool(s->Transparent()); },
                          [s](const std::string& v) { s->SetTransparent(ToBool(v)); }});
  d.Properties.push_back({"NumTicks", [s] { return std::to_string(s->NumTicks()); }, nullptr});
  return d;
}

ZOL_EXPLORER_ENTRY("Charts", "TScaleGauge") {
  auto* g = new zol::TScaleGauge(&Parent);
  g->SetParent(&Parent);
  g->SetBounds(0, 0, 300, 75);
  g->SetValue(3.7);
  explorer::Demo d{g, {}};
  d.Properties.push_back({"Value", [g] { return Num(g->Value()); },
                          [g](const std::string& v) { g->SetValue(ToNum(v)); }});
  d.Properties.push_back({"Min", [g] { return Num(g->Min()); }, [g](const std::string& v) { g->SetMin(ToNum(v)); }});
  d.Properties.push_back({"Max", [g] { return Num(g->Max()); }, [g](const std::string& v) { g->SetMax(ToNum(v)); }});
  d.Properties.push_back({"GaugeZero", [g] { return Num(g->GaugeZero()); },
                          [g](const std::string& v) { g->SetGaugeZero(ToNum(v)); }});
  d.Properties.push_back({"Logarithmic", [g] { return Bool(g->Logarithmic()); },
                          [g](const std::string& v) { g->SetLogarithmic(ToBool(v)); }});
  d.Properties.push_back({"FixedDial", [g] { return Bool(g->FixedDial()); },
                          [g](const std::string& v) { g->SetFixedDial(ToBool(v)); }});
  d.Properties.push_back({"IndexMode (0..6)", [g] { return std::to_string(g->IndexMode()); },
                          [g](const std::string& v) {
                            const int m = ToInt(v);
                            if (m >= 0 && m <= zol::gimBar) g->SetIndexMode(static_cast<zol::TGaugeIndexMode>(m));
                          }});
  d.Properties.push_back({"Background (0..4)", [g] { return std::to_string(g->Background()); },
                          [g](const std::string& v) {
                            const int m = ToInt(v);
                            if (m >= 0 && m <= zol::gbHorizMidBand)
                              g->SetBackground(static_cast<zol::TGaugeBackground>(m));
                          }});
  d.Properties.push_back({"Orientation (0 horizontal, 1 vertical)", [g] { return std::to_string(g->Orientation()); },
                          [g](const std::string& v) {
                            const bool vert = ToInt(v) == 1;
                            if (vert)
                              g->SetBounds(g->Left(), g->Top(), 90, 300);
                            else
                              g->SetBounds(g->Left(), g->Top(), 300, 75);
                            g->SetOrientation(vert ? zol::goVertical : zol::goHorizontal);
                          }});
  d.Properties.push_back({"MinTicks", [g] { return std::to_string(g->MinTicks()); },
                          [g](const std::string& v) { g->SetMinTicks(ToInt(v)); }});
  d.Properties.push_back({"Caption", [g] { return g->Caption(); },
                          [g](const std::string& v) { g->SetCaption(v); }});
  return d;
}

ZOL_EXPLORER_ENTRY("Charts", "TColorScale") {
  auto* c = new zol::TColorScale(&Parent);
  c->SetParent(&Parent);
  c->SetBounds(0, 0, 400, 70);
  explorer::Demo d{c, {}};
  d.Properties.push_back({"ScaleRangeLow", [c] { return Num(c->ScaleRangeLow()); },
                          [c](const std::string& v) { c->SetScaleRangeLow(ToNum(v)); }});
  d.Properties.push_back({"ScaleRangeHigh", [c] { return Num(c->ScaleRangeHigh()); },
                          [c](const std::string& v) { c->SetScaleRangeHigh(ToNum(v)); }});
  d.Properties.push_back({"ColorLow", [c] { return Num(c->ColorLow()); },
                          [c](const std::string& v) { c->SetColorLow(ToNum(v)); }});
  d.Properties.push_back({"ColorHigh", [c] { return Num(c->ColorHigh()); },
                          [c](const std::string& v) { c->SetColorHigh(ToNum(v)); }});
  d.Properties.push_back({"ExtendColors", [c] { return Bool(c->ExtendColors()); },
                          [c](const std::string& v) { c->SetExtendColors(ToBool(v)); }});
  d.Properties.push_back({"FramedColorScale", [c] { return Bool(c->FramedColorScale()); },
                          [c](const std::string& v) { c->SetFramedColorScale(ToBool(v)); }});
  d.Properties.push_back({"Orientation (0 horizontal, 1 vertical)", [c] { return std::to_string(c->Orientation()); },
                          [c](const std::string& v) {
                            const bool vert = ToInt(v) == 1;
                            if (vert) {
                              c->SetBounds(c->Left(), c->Top(), 100, 320);
                              c->SetMarginRight(55);
                              c->SetMarginBottom(12);
                            } else {
                              c->SetBounds(c->Left(), c->Top(), 400, 70);
                              c->SetMarginRight(16);
                              c->SetMarginBottom(22);
                            }
                            c->SetOrientation(vert ? zol::csoVertical : zol::csoHorizontal);
                          }});
  d.Properties.push_back({"Caption", [c] { return c->Caption(); },
                          [c](const std::string& v) { c->SetCaption(v); }});
  return d;
}
