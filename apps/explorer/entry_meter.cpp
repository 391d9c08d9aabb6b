// Explorer entries: the meter (with a numeric field that drives its value),
// the numeric fields and the mini calendar.
#include <cmath>
#include <cstdio>
#include <string>

#include "apps/explorer/Explorer.h"
#include "base/Zol_stringl.h"
#include "gui/Zol_meter.h"
#include "gui/Zol_minical.h"
#include "gui/Zol_numio.h"

using namespace zol;

namespace {

std::string Num(double v) { return Trim(strff(v, 1, 3)); }

double ToNum(const std::string& s, double deflt) {
  double v;
  return TryStrToFloat(Trim(s), v) ? v : deflt;
}

bool ToBool(const std::string& s) { return s == "1" || SameText(s, "true") || SameText(s, "yes"); }

}  // namespace

ZOL_EXPLORER_ENTRY("GUI controls", "TMeter") {
  auto* m = new TMeter(&Parent);
  m->SetParent(&Parent);
  m->SetBounds(0, 0, 297, 209);
  m->SetMeterMaxValue(100);
  m->SetMeterNrTicks(6);
  m->SetMeterDecPlaces(0);
  m->SetThresholdLow(20);
  m->SetThresholdHigh(80);
  m->SetScaleBkVisible(true);
  m->SetScaleBkWidth(10);
  m->SetCaption("Pressure");
  m->SetUnitLabel("kPa");
  m->SetValue(42);
  // A numeric field with spin buttons and a gauge below the meter changes its value.
  auto* n = new TNumIO2(&Parent);
  n->SetParent(&Parent);
  n->SetBounds(0, 215, 297, 40);
  n->SetLeftText("Value");
  n->SetButVisible(true);
  n->SetButIncrem(5);
  n->SetGaugeVisible(true);
  n->SetNioValue(42);
  n->OnChange = [m, n](TObject*) {
    const double v = n->Value();
    if (std::isfinite(v)) m->SetValue(v);
  };
  explorer::Demo d{m, {}};
  d.Properties.push_back({"Value", [m] { return Num(m->Value()); },
                          [m, n](const std::string& s) { m->SetValue(ToNum(s, m->Value())); n->SetNioValue(m->Value()); }});
  d.Properties.push_back({"MeterLayout (0..5)", [m] { return std::to_string(static_cast<int>(m->MeterLayout())); },
                          [m](const std::string& s) {
                            const int v = StrToIntDef(Trim(s), 0);
                            if (v >= 0 && v <= 5) m->SetMeterLayout(static_cast<TMeterLayout>(v));
                          }});
  d.Properties.push_back({"MeterMinValue", [m] { return Num(m->MeterMinValue()); },
                          [m](const std::string& s) { m->SetMeterMinValue(ToNum(s, m->MeterMinValue())); }});
  d.Properties.push_back({"MeterMaxValue", [m] { return Num(m->MeterMaxValue()); },
                          [m](const std::string& s) { m->SetMeterMaxValue(ToNum(s, m->MeterMaxValue())); }});
  d.Properties.push_back({"Logarithmic", [m] { return std::string(m->Logarithmic() ? "true" : "false"); },
                          [m](const std::string& s) { m->SetLogarithmic(ToBool(s)); }});
  d.Properties.push_back({"ThresholdLow", [m] { return Num(m->ThresholdLow()); },
                          [m](const std::string& s) { m->SetThresholdLow(ToNum(s, m->ThresholdLow())); }});
  d.Properties.push_back({"ThresholdHigh", [m] { return Num(m->ThresholdHigh()); },
                          [m](const std::string& s) { m->SetThresholdHigh(ToNum(s, m->ThresholdHigh())); }});
  d.Properties.push_back({"Caption", [m] { return m->Caption(); }, [m](const std::string& s) { m->SetCaption(s); }});
  return d;
}

ZOL_EXPLORER_ENTRY("GUI controls", "TNumIO2") {
  auto* n = new TNumIO2(&Parent);
  n->SetParent(&Parent);
  n->SetBounds(0, 0, 260, 40);
  n->SetLeftText("Mass");
  n->SetRightText("kg");
  n->SetButVisible(true);
  n->SetGaugeVisible(true);
  n->SetNioValue(12.5);
  explorer::Demo d{n, {}};
  d.Properties.push_back({"Text", [n] { return n->Text(); }, [n](const std::string& s) { n->SetText(s); }});
  d.Properties.push_back({"InputFormat (0..7)", [n] { return std::to_string(static_cast<int>(n->InputFormat())); },
                          [n](const std::string& s) {
                            const int v = StrToIntDef(Trim(s), 1);
                            if (v >= 0 && v <= 7) n->SetInputFormat(static_cast<TInFormat>(v));
                          }});
  d.Properties.push_back({"RangeLow", [n] { return Num(n->RangeLow()); },
                          [n](const std::string& s) { n->SetRangeLow(ToNum(s, n->RangeLow())); }});
  d.Properties.push_back({"RangeHigh", [n] { return Num(n->RangeHigh()); },
                          [n](const std::string& s) { n->SetRangeHigh(ToNum(s, n->RangeHigh())); }});
  d.Properties.push_back({"OutOfRange", [n] { return std::string(n->OutOfRange() ? "true" : "false"); }, {}});
  return d;
}

ZOL_EXPLORER_ENTRY("GUI controls", "TMiniCal") {
  auto* c = new TMiniCal(&Parent);
  c->SetParent(&Parent);
  c->SetBounds(0, 0, 300, 180);
  c->SetShowHint(true);
  explorer::Demo d{c, {}};
  d.Properties.push_back({"Date (yyyy-mm-dd)",
                          [c] { return std::to_string(c->Year()) + "-" + std::to_string(c->Month()) + "-" + std::to_string(c->Day()); },
                          [c](const std::string& s) {
                            int y = 0, mo = 0, da = 0;
                            if (std::sscanf(s.c_str(), "%d-%d-%d", &y, &mo, &da) == 3) {
                              TDateTime t;
                              if (TryEncodeDate(y, mo, da, t)) c->SetDate(t);
                            }
                          }});
  d.Properties.push_back({"Language (0..4)", [c] { return std::to_string(static_cast<int>(c->Language())); },
                          [c](const std::string& s) {
                            const int v = StrToIntDef(Trim(s), 1);
                            if (v >= 0 && v <= 4) c->SetLanguage(static_cast<TLanguage>(v));
                          }});
  d.Properties.push_back({"FirstDayOfWeek (0..6)", [c] { return std::to_string(static_cast<int>(c->FirstDayOfWeek())); },
                          [c](const std::string& s) {
                            const int v = StrToIntDef(Trim(s), 0);
                            if (v >= 0 && v <= 6) c->SetFirstDayOfWeek(static_cast<TDayOfWeek>(v));
                          }});
  d.Properties.push_back({"Holiday", [c] {
                            std::string n;
                            c->CheckHoliday(c->Year(), c->Month(), c->Day(), n);
                            return n;
                          }, {}});
  return d;
}

ZOL_EXPLORER_ENTRY("GUI controls", "TNumIO") {
  auto* n = new TNumIO(&Parent);
  n->SetParent(&Parent);
  n->SetBounds(0, 0, 160, 24);
  n->SetRangeLow(10);
  n->SetRangeHigh(20);
  n->SetLabValue(15);
  explorer::Demo d{n, {}};
  d.Properties.push_back({"Text", [n] { return n->Text(); }, [n](const std::string& s) { n->SetText(s); }});
  d.Properties.push_back({"LabValue", [n] { return Num(n->LabValue()); },
                          [n](const std::string& s) { n->SetLabValue(ToNum(s, 0)); }});
  d.Properties.push_back({"InputFormat (0..7)", [n] { return std::to_string(static_cast<int>(n->InputFormat())); },
                          [n](const std::string& s) {
                            const int v = StrToIntDef(Trim(s), 1);
                            if (v >= 0 && v <= 7) n->SetInputFormat(static_cast<TInFormat>(v));
                          }});
  d.Properties.push_back({"RangeLow", [n] { return Num(n->RangeLow()); },
                          [n](const std::string& s) { n->SetRangeLow(ToNum(s, n->RangeLow())); }});
  d.Properties.push_back({"RangeHigh", [n] { return Num(n->RangeHigh()); },
                          [n](const std::string& s) { n->SetRangeHigh(ToNum(s, n->RangeHigh())); }});
  return d;
}
