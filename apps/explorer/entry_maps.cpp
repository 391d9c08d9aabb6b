// Explorer entries: the calibrated map (zoom with the wheel, pan by dragging,
// the position under the mouse) and the atlas of the sample maps.
#include <cstdlib>
#include <string>

#include "apps/explorer/Explorer.h"
#include "apps/gallery/MapsData.h"
#include "base/Zol_stringl.h"
#include "geo/Zol_geoatlas.h"
#include "geo/Zol_geomap.h"

using namespace zol;

namespace {

std::string Num(double v, int dec) { return strff(v, 1, dec); }

double ToNum(const std::string& s, double def) {
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  return end == s.c_str() ? def : v;
}

}  // namespace

ZOL_EXPLORER_ENTRY("Geography", "TGeoMap") {
  auto* m = new TGeoMap(&Parent);
  m->SetParent(&Parent);
  m->SetBounds(0, 0, 640, 400);
  m->LoadCalDataFromXML(mapsdemo::MapsDir(__FILE__) + "europe.cal", "");
  m->SetGratLineDist(10);
  m->SetShowGraticule(sgLines);
  m->ZoomFitPage();
  m->AddLandMark(48.2082, 16.3738, 171, "Vienna", 1, clRed);
  m->AddLandMark(52.52, 13.405, 34, "Berlin", 1, clRed);
  m->AddLandMark(48.8566, 2.3522, 35, "Paris", 1, clRed);
  explorer::Demo d{m, {}};
  d.Properties.push_back({"Magnification", [m] { return Num(m->Magnification(), 3); },
                          [m](const std::string& v) { m->SetMagnification(ToNum(v, m->Magnification())); }});
  d.Properties.push_back({"GratLineDist", [m] { return Num(m->GratLineDist(), 2); },
                          [m](const std::string& v) { m->SetGratLineDist(ToNum(v, m->GratLineDist())); }});
  d.Properties.push_back({"ShowGraticule (0..5)", [m] { return std::to_string(int(m->ShowGraticule())); },
                          [m](const std::string& v) {
                            const int k = int(ToNum(v, -1));
                            if (k >= 0 && k <= 5) m->SetShowGraticule(TShowGrat(k));
                          }});
  d.Properties.push_back({"Mouse position", [m] {
                            return m->MousePosValid() ? Num(m->MousePosLatitude(), 4) + ", " +
                                                            Num(m->MousePosLongitude(), 4)
                                                      : std::string("-");
                          },
                          nullptr});
  return d;
}

ZOL_EXPLORER_ENTRY("Geography", "TGeoAtlas") {
  auto* a = new TGeoAtlas(&Parent);
  a->SetParent(&Parent);
  a->SetBounds(0, 0, 640, 420);
  const std::string dir = mapsdemo::MapsDir(__FILE__);
  for (const char* n : {"world.cal", "europe.cal", "alps.cal", "utm32.cal"}) a->RegisterMap(dir + n);
  a->SelectMap(1);
  a->Map()->ZoomFitPage();
  explorer::Demo d{a, {}};
  d.Properties.push_back({"Current map", [a] { return std::to_string(a->CurrentMap()); },
                          [a](const std::string& v) { a->SelectMap(int(ToNum(v, 0))); }});
  d.Properties.push_back({"MinResDiff", [a] { return Num(a->MinResDiff(), 1); },
                          [a](const std::string& v) { a->SetMinResDiff(ToNum(v, a->MinResDiff())); }});
  d.Properties.push_back({"MapOutlineVisible", [a] { return std::string(a->MapOutlineVisible() ? "1" : "0"); },
                          [a](const std::string& v) { a->SetMapOutlineVisible(v == "1" || v == "true"); }});
  d.Properties.push_back({"Resolution (m/px)", [a] { return Num(a->Map()->CalibData().Resolution, 1); }, nullptr});
  return d;
}
