// Explorer entries: the meter (with a numeric field that drives its value),
// the numeric fields and the mini calendar.
#include <cmath>
#include <cstdio>
#include <functional>
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

// A number property; text that is not a number keeps the value.
template <class Get, class Set>
explorer::Property NumProp(const std::string& name, Get get, Set set) {
  return {name, [get] { return Num(get()); }, [get, set](const std::string& s) { set(ToNum(s, get())); }};
}

// An enumeration property typed as its ordinal 0..last.
template <class E, class Get, class Set>
explorer::Property EnumProp(const std::string& name, int last, Get get, Set set) {
  return {name + " (0.." + std::to_string(last) + ")", [get] { return std::to_string(static_cast<int>(get())); },
          [last, set](const std::string& s) {
            const int v = StrToIntDef(Trim(s), -1);
            if (v >= 0 && v <= last) set(static_cast<E>(v));
          }};
}

explorer::Property BoolProp(const std::string& name, std::function<bool()> get, std::function<void(bool)> set) {
  return {name, [get] { return std::string(get() ? "true" : "false"); },
          [set](const std::string& s) { set(s == "1" || SameText(Trim(s), "true") || SameText(Trim(s), "yes")); }};
}

// Text, format and range: the properties both numeric fields share.
template <class Field>
void AddFieldProperties(explorer::Demo& d, Field* n) {
  d.Properties.push_back({"Text", [n] { return n->Text(); }, [n](const std::string& s) { n->SetText(s); }});
  d.Properties.push_back(EnumProp<TInFormat>("InputFormat", 7, [n] { return n->InputFormat(); },
                                             [n](TInFormat v) { n->SetInputFormat(v); }));
  d.Properties.push_back(NumProp("RangeLow", [n] { return n->RangeLow(); }, [n](double v) { n->SetRangeLow(v); }));
  d.Properties.push_back(NumProp("RangeHigh", [n] { return n->RangeHigh(); }, [n](double v) { n->SetRangeHigh(v); }));
  d.Properties.push_back({"OutOfRange", [n] { return std::string(n->OutOfRange() ? "true" : "false"); }, {}});
}

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
  d.Properties.push_back(NumProp("Value", [m] { return m->Value(); }, [m, n](double v) {
    m->SetValue(v);
    n->SetNioValue(m->Value());
  }));
  d.Properties.push_back(EnumProp<TMeterLayout>("MeterLayout", 5, [m] { return m->MeterLayout(); },
                                                [m](TMeterLayout v) { m->SetMeterLayout(v); }));
  d.Properties.push_back(NumProp("MeterMinValue", [m] { return m->MeterMinValue(); },
                                 [m](double v) { m->SetMeterMinValue(v); }));
  d.Properties.push_back(NumProp("MeterMaxValue", [m] { return m->MeterMaxValue(); },
                                 [m](double v) { m->SetMeterMaxValue(v); }));
  d.Properties.push_back(BoolProp("Logarithmic", [m] { return m->Logarithmic(); }, [m](bool v) { m->SetLogarithmic(v); }));
  d.Properties.push_back(NumProp("ThresholdLow", [m] { return m->ThresholdLow(); },
                                 [m](double v) { m->SetThresholdLow(v); }));
  d.Properties.push_back(NumProp("ThresholdHigh", [m] { return m->ThresholdHigh(); },
                                 [m](double v) { m->SetThresholdHigh(v); }));
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
  AddFieldProperties(d, n);
  d.Properties.push_back(BoolProp("ButVisible", [n] { return n->ButVisible(); }, [n](bool v) { n->SetButVisible(v); }));
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
  AddFieldProperties(d, n);
  d.Properties.push_back(NumProp("LabValue", [n] { return n->LabValue(); }, [n](double v) { n->SetLabValue(v); }));
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
                            TDateTime t;
                            if (std::sscanf(s.c_str(), "%d-%d-%d", &y, &mo, &da) == 3 && TryEncodeDate(y, mo, da, t))
                              c->SetDate(t);
                          }});
  d.Properties.push_back(EnumProp<TLanguage>("Language", 4, [c] { return c->Language(); },
                                             [c](TLanguage v) { c->SetLanguage(v); }));
  d.Properties.push_back(EnumProp<TDayOfWeek>("FirstDayOfWeek", 6, [c] { return c->FirstDayOfWeek(); },
                                              [c](TDayOfWeek v) { c->SetFirstDayOfWeek(v); }));
  d.Properties.push_back({"Holiday", [c] {
                            std::string n;
                            c->CheckHoliday(c->Year(), c->Month(), c->Day(), n);
                            return n;
                          }, {}});
  return d;
}
