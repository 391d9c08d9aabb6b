// Explorer entry: the box plot of a small data table.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "apps/explorer/Explorer.h"
#include "chart/Zol_boxplot.h"

using namespace zol;

namespace {

bool IsTrue(const std::string& v) { return v == "true" || v == "1"; }
std::string BoolText(bool b) { return b ? "true" : "false"; }

}  // namespace

ZOL_EXPLORER_ENTRY("Charts", "TBoxPlot") {
  auto* p = new TBoxPlot(&Parent);
  p->SetParent(&Parent);
  p->SetBounds(0, 0, 600, 400);
  p->SetSuppressPaint(true);
  TDataTable& t = p->DataTable();
  t.Resize(4, 60);
  t.SetAllCellStates(0);
  for (int r = 1; r <= 60; ++r) {
    const double s = std::sin(r * 1.7), c = std::cos(r * 2.3);
    t.SetElem(1, r, 10 + 3 * s);
    t.SetElem(2, r, 14 + 5 * s * c);
    t.SetElem(3, r, 8 + 2 * std::exp(c));
    t.SetElem(4, r, 12 + (r % 3) * 2 + c);
  }
  t.SetColName(1, "A");
  t.SetColName(2, "B");
  t.SetColName(3, "C");
  t.SetColName(4, "D");
  p->SetCaption("four samples");
  p->SetShow90Perc(true);
  p->SetGridStyle(bpgsDotLines);
  p->SetGridColor(RGB(170, 170, 170));
  p->SetMouseAction(maZoomWindPos);
  p->SetSuppressPaint(false);
  p->AutoRange(10);
  p->SetRange(0, p->Scale1Y().RangeLow() - 2, 5, p->Scale1Y().RangeHigh());
  explorer::Demo d{p, {}};
  d.Properties.push_back({"Orientation", [p] { return std::string(p->Orientation() == bpltVertical ? "vertical" : "horizontal"); },
                          [p](const std::string& v) {
                            p->SetOrientation(v == "horizontal" ? bpltHorizontal : bpltVertical);
                            p->AutoRange(10);
                          }});
  d.Properties.push_back({"BoxWidth", [p] { return std::to_string(p->BoxWidth()); },
                          [p](const std::string& v) { p->SetBoxWidth(std::atof(v.c_str())); }});
  d.Properties.push_back({"ShowMinMax", [p] { return BoolText(p->ShowMinMax()); }, [p](const std::string& v) { p->SetShowMinMax(IsTrue(v)); }});
  d.Properties.push_back({"ShowMedian", [p] { return BoolText(p->ShowMedian()); }, [p](const std::string& v) { p->SetShowMedian(IsTrue(v)); }});
  d.Properties.push_back({"ShowMean", [p] { return BoolText(p->ShowMean()); }, [p](const std::string& v) { p->SetShowMean(IsTrue(v)); }});
  d.Properties.push_back({"Show90Perc", [p] { return BoolText(p->Show90Perc()); }, [p](const std::string& v) { p->SetShow90Perc(IsTrue(v)); }});
  d.Properties.push_back({"SymbolMedian", [p] { return std::to_string(p->SymbolMedian()); },
                          [p](const std::string& v) { p->SetSymbolMedian(static_cast<uint8_t>(std::clamp(std::atoi(v.c_str()), 0, 255))); }});
  d.Properties.push_back({"GridStyle", [p] { return std::to_string(static_cast<int>(p->GridStyle())); },
                          [p](const std::string& v) { p->SetGridStyle(static_cast<TBoxPlotGridStyle>(std::clamp(std::atoi(v.c_str()), 0, 2))); }});
  d.Properties.push_back({"Label position", [p] { return std::to_string(p->Labels().Position()); },
                          [p](const std::string& v) { p->Labels().SetPosition(std::atoi(v.c_str())); }});
  return d;
}
