// Axis scale TScale: mapping, range rules, tick layout and labels of every
// kind of axis, the bounds on ticks per pixel and per list, pixel pictures in
// each orientation, painting through the headless host and vector export.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "base/platform/Zol_sysutils.h"
#include "chart/Zol_colorscale.h"
#include "chart/Zol_gauge.h"
#include "chart/Zol_scale.h"

using namespace zol;

namespace {

std::unique_ptr<TScale> MakeScale(int w = 400, int h = 400) {
  auto s = std::make_unique<TScale>(nullptr);
  s->SetBounds(0, 0, w, h);
  return s;
}

struct Drawn {
  std::vector<double> values;
  std::vector<int> pixels;
  std::vector<std::string> labels;
  std::vector<double> labelValues;
};

// Draws the scale once and collects the ticks and labels it drew.
Drawn Collect(TScale& s) {
  Drawn d;
  s.OnScaleTickDrawn = [&](TObject*, TCanvas&, TScaleType t, double v, int x, int y) {
    d.values.push_back(v);
    d.pixels.push_back(t == sctXB || t == sctXT ? x : y);
  };
  s.OnBeforeTickLabel = [&](TObject*, TScaleType, double v, std::string& lbl) {
    d.labels.push_back(lbl);
    d.labelValues.push_back(v);
  };
  s.ExportBitmap();
  s.OnScaleTickDrawn = nullptr;
  s.OnBeforeTickLabel = nullptr;
  return d;
}

// Checks the bounds every drawing keeps: at most one tick per pixel, at most
// MaxScaleTicks recorded, ticks inside the range and the pixels on the axis.
void CheckBounds(TScale& s, const Drawn& d, const std::string& what) {
  // A long tick may stand on the pixel of a short tick of the same value;
  // two different values never share a pixel.
  const double span0 = std::fabs(s.RangeHigh() - s.RangeLow());
  std::map<int, double> onPixel;
  for (size_t i = 0; i < d.pixels.size(); ++i) {
    auto it = onPixel.find(d.pixels[i]);
    if (it == onPixel.end())
      onPixel[d.pixels[i]] = d.values[i];
    else
      EXPECT_NEAR(it->second, d.values[i], span0 * 1e-9) << what << ": two ticks on pixel " << d.pixels[i];
  }
  EXPECT_LE(static_cast<int>(onPixel.size()), s.ScaleType() <= sctXT ? s.Width() : s.Height()) << what;
  EXPECT_LE(s.NumTicks(), MaxScaleTicks) << what;
  const double lo = std::min(s.RangeLow(), s.RangeHigh()), hi = std::max(s.RangeLow(), s.RangeHigh());
  const double tol = (hi - lo) * 1e-3;
  for (double v : d.values) {
    EXPECT_GE(v, lo - tol) << what;
    EXPECT_LE(v, hi + tol) << what;
  }
  for (const auto& l : d.labels) EXPECT_LE(l.size(), 14u) << what << ": " << l;
}

bool HaveTool(const char* name) {
  std::string cmd = std::string("command -v ") + name + " > /dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

std::string TempPath(const std::string& name) {
  return GetTempDirectory() + "zol_scale_" + std::to_string(getpid()) + "_" + name;
}

}  // namespace

// ====================================================================== mapping
TEST(ScaleMapping, HorizontalExampleAndRoundTrip) {
  auto s = MakeScale();
  EXPECT_EQ(s->R2M(0), 20);
  EXPECT_EQ(s->R2M(100), 379);
  EXPECT_EQ(s->ConvertToPixelCoords(50), 200);  // 20 + 359/2 = 199.5 rounds up
  for (int p = -50; p < 450; ++p) EXPECT_EQ(s->R2M(s->M2R(p)), p) << p;
  s->SetRange(100, -3.7);  // reversed
  EXPECT_EQ(s->R2M(100), 20);
  EXPECT_EQ(s->R2M(-3.7), 379);
  for (int p = 0; p < 400; ++p) EXPECT_EQ(s->R2M(s->ConvertPixelToScale(p)), p) << p;
}

TEST(ScaleMapping, LargeOffsetsKeepTheirPrecision) {
  auto s = MakeScale();
  s->SetRange(1e12, 1e12 + 0.5);  // 718 pixels per unit on values near 10^12
  EXPECT_EQ(s->R2M(1e12), 20);
  EXPECT_EQ(s->R2M(1e12 + 0.5), 379);
  EXPECT_EQ(s->R2M(1e12 + 0.25), 200);  // 20 + 179.5 rounds up
  for (int p = 0; p < 400; ++p) EXPECT_EQ(s->R2M(s->M2R(p)), p) << p;
  s->SetRange(1e15, 1e15 + 0.5);  // only four values in the range: the ends still map exactly
  EXPECT_EQ(s->R2M(1e15), 20);
  EXPECT_EQ(s->R2M(1e15 + 0.5), 379);
  s->SetMinTicks(10);  // a step of 0.05 is below the resolution: a tick at each end
  Collect(*s);
  EXPECT_EQ(s->NumTicks(), 2);
}

TEST(ScaleMapping, VerticalRunsUpwards) {
  auto s = MakeScale(100, 300);
  s->SetScaleType(sctYL);
  EXPECT_EQ(s->R2M(0), 279);   // Height − MarginBottom − 1
  EXPECT_EQ(s->R2M(100), 20);  // MarginTop
  for (int p = 0; p < 300; ++p) EXPECT_EQ(s->R2M(s->M2R(p)), p);
  s->SetScaleType(sctYR);
  EXPECT_EQ(s->R2M(0), 279);
}

TEST(ScaleMapping, LogarithmicMapping) {
  auto s = MakeScale(420, 100);  // axis 20..399: 379 pixels for 3 decades
  s->SetRange(1, 1000);
  s->SetAxLinLog(true);
  ASSERT_TRUE(s->Logarithmic());
  EXPECT_EQ(s->R2M(1), 20);
  EXPECT_EQ(s->R2M(1000), 399);
  EXPECT_EQ(s->R2M(10), 20 + static_cast<int>(std::lround(379.0 / 3)));
  EXPECT_NEAR(s->M2R(20), 1, 1e-12);
  EXPECT_NEAR(s->M2R(399), 1000, 1e-9);
  for (int p = 0; p < 420; ++p) EXPECT_EQ(s->R2M(s->M2R(p)), p);
  // Values at or below 1e-100 fall to the start of the axis.
  EXPECT_EQ(s->R2M(0), 0);
  EXPECT_EQ(s->R2M(-5), 0);
  s->SetRange(1000, 1);
  EXPECT_EQ(s->R2M(1e-200), 420);  // reversed horizontal: the far end, Width
}

TEST(ScaleMapping, LogarithmicTinyValuesOnVerticalAxisUseHeight) {
  auto s = MakeScale(60, 300);
  s->SetScaleType(sctYL);
  s->SetRange(1, 100);
  s->SetAxLinLog(true);
  // Low values lie at the bottom of a vertical axis: a value below the
  // logarithmic range maps to the bottom edge, Height (not Width, not 0).
  EXPECT_EQ(s->R2M(0), 300);
  s->SetRange(100, 1);
  EXPECT_EQ(s->R2M(0), 0);
}

TEST(ScaleMapping, CollapsedAxisNeverDividesByZero) {
  auto s = MakeScale(30, 30);  // 30 − 20 − 20 − 1 < 0
  EXPECT_EQ(s->ScaleFactor(), 0);
  EXPECT_EQ(s->R2M(12345), 15);
  const double v = s->M2R(7);
  EXPECT_TRUE(std::isfinite(v));
  EXPECT_DOUBLE_EQ(v, 50);  // the scale centre
  s->SetAxLinLog(true);     // refused: RangeLow is 0
  s->SetRange(1, 100);
  s->SetAxLinLog(true);
  EXPECT_TRUE(std::isfinite(s->M2R(3)));
  s->ExportBitmap();  // draws without ticks, does not hang
  EXPECT_LE(s->NumTicks(), 1);
  // Extreme values clamp instead of overflowing.
  auto t = MakeScale();
  t->SetRange(0, 1e-300);
  EXPECT_EQ(t->R2M(1e300), 2147483647);
  EXPECT_EQ(t->R2M(-1e300), -2147483647);
}

TEST(ScaleMapping, NonFiniteAndExtremeRangesDrawSafely) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  const double ranges[][2] = {{-1.7e308, 1.7e308}, {0, inf}, {-inf, inf}, {nan, 5}, {5, nan},
                              {-5e-324, 5e-324},   {1e308, 1.7e308}};
  for (const auto& r : ranges) {
    for (TFigType ft : {ftNum, ftTime, ftDateTime}) {
      auto s = MakeScale(300, 60);
      s->SetLabelType(ft);
      s->SetRange(r[0], r[1]);
      s->SetMinTicks(10);
      s->ExportBitmap();
      EXPECT_LE(s->NumTicks(), MaxScaleTicks);
      for (int p : {0, 150, 299}) {
        const int back = s->R2M(s->M2R(p));
        EXPECT_GE(back, -2147483647);  // defined, never a NaN conversion
      }
      s->SetLogarithmic(true);
      s->ExportBitmap();
    }
  }
}

// ====================================================================== range rules
TEST(ScaleRange, SettersKeepARange) {
  auto s = MakeScale();
  s->SetRange(5, 50);
  s->SetRangeHigh(5);  // equal to the low end: the low end moves to 6
  EXPECT_EQ(s->RangeLow(), 6);
  EXPECT_EQ(s->RangeHigh(), 5);
  s->SetRangeLow(5);   // equal to the high end: the high end moves to 6
  EXPECT_EQ(s->RangeLow(), 5);
  EXPECT_EQ(s->RangeHigh(), 6);
  s->SetRange(3, 3);
  EXPECT_EQ(s->RangeLow(), 3);
  EXPECT_EQ(s->RangeHigh(), 4);
  EXPECT_DOUBLE_EQ(s->GetScaleCenter(), 3.5);
}

TEST(ScaleRange, LogarithmicSwitchAndLabelTypes) {
  auto s = MakeScale();
  s->SetAxLinLog(true);  // RangeLow 0
  EXPECT_FALSE(s->Logarithmic());
  s->SetRange(1e-101, 10);
  s->SetLogarithmic(true);
  EXPECT_FALSE(s->Logarithmic());
  s->SetRange(1, 10);
  s->SetLabelType(ftDateTime);
  s->SetLogarithmic(true);  // refused for date/time labels
  EXPECT_FALSE(s->Logarithmic());
  s->SetLabelType(ftNum);
  s->SetLogarithmic(true);
  EXPECT_TRUE(s->Logarithmic());
  s->SetLabelType(ftDateTime);  // switches the logarithmic mapping off
  EXPECT_FALSE(s->Logarithmic());
  s->SetLabelType(ftTime);
  EXPECT_EQ(s->DecPlaces(), 4);
  s->SetLogarithmic(false);
  EXPECT_FALSE(s->Logarithmic());
}

TEST(ScaleRange, ClampedProperties) {
  auto s = MakeScale();
  s->SetMinTicks(1);
  EXPECT_EQ(s->MinTicks(), 2);
  s->SetMinTicks(50);
  EXPECT_EQ(s->MinTicks(), 10);
  s->SetMinTicks(0);
  EXPECT_EQ(s->MinTicks(), 0);
  s->SetDecPlaces(-9);
  EXPECT_EQ(s->DecPlaces(), -3);
  s->SetDecPlaces(40);
  EXPECT_EQ(s->DecPlaces(), 12);
  s->SetMarginLeft(-4);
  EXPECT_EQ(s->MarginLeft(), 0);
  EXPECT_EQ(s->R2M(0), 0);
}

TEST(ScaleRange, AssignCopiesSettingsAndEvents) {
  auto a = MakeScale();
  a->SetRange(2, 2000);
  a->SetLogarithmic(true);
  a->SetCaption("mV");
  a->SetScaleType(sctYR);
  a->SetUserTickText("a|b");
  int fired = 0;
  a->OnAfterScaleRendered = [&](TObject*, TCanvas&) { ++fired; };
  auto b = MakeScale();
  b->Assign(*a);
  EXPECT_EQ(b->RangeLow(), 2);
  EXPECT_TRUE(b->Logarithmic());
  EXPECT_EQ(b->Caption(), "mV");
  EXPECT_EQ(b->ScaleType(), sctYR);
  EXPECT_EQ(b->UserTickText(), "a|b");
  b->ExportBitmap();
  EXPECT_EQ(fired, 1);
}

// ====================================================================== helpers
TEST(ScaleText, ExtractUserTextAndInscription) {
  EXPECT_EQ(TScale::ExtractUserText("a|bb|c", 1), "a");
  EXPECT_EQ(TScale::ExtractUserText("a|bb|c", 2), "bb");
  EXPECT_EQ(TScale::ExtractUserText("a|bb|c", 3), "c");
  EXPECT_EQ(TScale::ExtractUserText("a|bb|c", 7), "c");
  EXPECT_EQ(TScale::ExtractUserText("abc", 1), "abc");
  EXPECT_EQ(TScale::ExtractUserText("abc", 2), "");
  EXPECT_EQ(TScale::ExtractUserText("a||", 2), "");
  EXPECT_EQ(TScale::AddScaleInscription("12", "$"), "$12");
  EXPECT_EQ(TScale::AddScaleInscription("12", "ca. & kg"), "ca. 12 kg");
  EXPECT_EQ(TScale::AddScaleInscription("12", "&%"), "12%");
  EXPECT_EQ(TScale::AddScaleInscription("", "&%"), "");
}

// ====================================================================== linear ticks
TEST(ScaleLinear, DefaultAxisTicksAndLabels) {
  auto s = MakeScale();
  Drawn d = Collect(*s);
  // Step 20 with 4 sub-steps: short ticks every 5, recorded instead of the long ones.
  ASSERT_EQ(s->NumTicks(), 21);
  for (int i = 1; i <= 21; ++i) EXPECT_DOUBLE_EQ(s->GetTickPos(i), 5.0 * (i - 1));
  EXPECT_EQ(s->GetTickPos(0), 0);
  EXPECT_EQ(s->GetTickPos(22), 0);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"0", "20", "40", "60", "80", "100"}));
  CheckBounds(*s, d, "default");
}

TEST(ScaleLinear, VerticalAxesRecordLongTicksToo) {
  auto s = MakeScale(100, 400);
  s->SetScaleType(sctYL);
  s->SetRange(0, 10);
  s->SetMinTicks(2);  // step 5, sub-step 1
  Collect(*s);
  EXPECT_EQ(s->NumTicks(), 11 + 3);
  s->SetShortTicks(false);
  Collect(*s);
  EXPECT_EQ(s->NumTicks(), 3);
}

TEST(ScaleLinear, DecimalRules) {
  auto s = MakeScale();
  s->SetRange(0, 1);
  s->SetDecPlaces(0);  // fractional ticks stay unlabelled
  Drawn d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"0", "", "", "", "", "1"}));
  s->SetDecPlaces(-2);  // span 1: 2 − round(0) = 2 decimals
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"0.00", "0.20", "0.40", "0.60", "0.80", "1.00"}));
  s->SetRange(-5, 5);  // span 10: 2 − round(0.92) = 1 decimal; zero never "-0.0"
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"-4.0", "-2.0", "0.0", "2.0", "4.0"}));
  s->SetRange(0, 0.05);  // span 0.05: 2 − round(−1.2) = 3 decimals
  d = Collect(*s);
  EXPECT_EQ(d.labels.front(), "0.000");
  EXPECT_EQ(d.labels.back(), "0.050");
  s->SetRange(0, 2e6);  // exponent form
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"0.0", "5.0E+05", "1.0E+06", "1.5E+06", "2.0E+06"}));
  s->SetDecPlaces(3);
  s->SetRange(-1, 1);
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"-1.000", "-0.500", "0.000", "0.500", "1.000"}));
}

TEST(ScaleLinear, ZeroOnAWideAxis) {
  auto s = MakeScale();
  s->SetRange(-3e5, 3e5);  // span above 100000: the zero tick reads "0"
  s->SetDecPlaces(0);
  Drawn d = Collect(*s);
  bool sawZero = false;
  for (size_t i = 0; i < d.labels.size(); ++i)
    if (d.labelValues[i] == 0) {
      sawZero = true;
      EXPECT_EQ(d.labels[i], "0");
    }
  EXPECT_TRUE(sawZero);
  s->SetDecPlaces(2);
  d = Collect(*s);
  for (size_t i = 0; i < d.labels.size(); ++i)
    if (d.labelValues[i] == 0) {
      EXPECT_EQ(d.labels[i], "0.0");
    }
}

TEST(ScaleLinear, LongNumbersNeverShowAnotherValue) {
  auto s = MakeScale();
  s->SetRange(0, 4e15);
  s->SetDecPlaces(0);  // "1000000000000000" has 16 characters
  Drawn d = Collect(*s);
  ASSERT_FALSE(d.labels.empty());
  for (size_t i = 0; i < d.labels.size(); ++i) {
    const std::string& l = d.labels[i];
    ASSERT_LE(l.size(), 14u);
    if (l.empty() || l[0] == '*') continue;
    EXPECT_NEAR(std::strtod(l.c_str(), nullptr), d.labelValues[i], 1e-9 * 4e15) << l;
  }
  EXPECT_EQ(d.labels[1], "1.0E+15");
  s->SetRange(1e15, 1e15 + 60);  // a fine step on a large offset: 14 characters
  s->SetDecPlaces(1);               // cannot tell the ticks apart, so no number is shown
  d = Collect(*s);
  ASSERT_FALSE(d.labels.empty());
  for (size_t i = 0; i < d.labels.size(); ++i)
    if (d.labels[i][0] != '*') {
      EXPECT_EQ(std::strtod(d.labels[i].c_str(), nullptr), d.labelValues[i]) << d.labels[i];
    }
  EXPECT_EQ(d.labels[1], std::string(14, '*'));
  s->SetRange(1e13, 1e13 + 60);  // "10000000000020" still fits
  s->SetDecPlaces(0);
  d = Collect(*s);
  for (size_t i = 0; i < d.labels.size(); ++i)
    EXPECT_EQ(std::strtod(d.labels[i].c_str(), nullptr), d.labelValues[i]) << d.labels[i];
  // An exponent of three digits cannot be written in the label: asterisks.
  s->SetRange(0, 4e120);
  s->SetDecPlaces(-1);
  d = Collect(*s);
  EXPECT_EQ(d.labels[1].find_first_not_of('*'), std::string::npos) << d.labels[1];
}

TEST(ScaleLinear, UserTextInscriptionAndNoFigures) {
  auto s = MakeScale();
  s->SetLabelType(ftUserText);
  s->SetUserTickText("zero|one|two");
  Drawn d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"zero", "one", "two", "two", "two", "two"}));
  s->SetLabelType(ftNum);
  s->SetScaleInscript("&%");
  d = Collect(*s);
  EXPECT_EQ(d.labels.front(), "0%");
  s->SetLabelType(ftNoFigs);
  d = Collect(*s);
  EXPECT_TRUE(d.labels.empty());
  EXPECT_FALSE(d.values.empty());
  s->SetLabelType(ftNum);
  s->SetScaleInscript("");
  s->OnBeforeTickLabel = [](TObject*, TScaleType, double v, std::string& l) { l = v == 40 ? "forty" : l; };
  bool drawn = false;
  auto bmp = s->ExportBitmap();
  // The changed label is wider than "40": some dark pixels right of the number's place.
  for (int x = s->R2M(40) + 8; x < s->R2M(40) + 14 && !drawn; ++x)
    for (int y = 300; y < 380; ++y)
      if (bmp->GetPixel(x, y) == clBlack) drawn = true;
  EXPECT_TRUE(drawn);
}

TEST(ScaleLinear, SweepOfRangesKeepsTheBounds) {
  const double ranges[][2] = {{0, 1},      {0, 7},         {-1e-9, 1e-9},   {123.4, 123.5},
                              {1e15, 1e15 + 1}, {-1e300, 1e300}, {0, 1e12},   {5, -5},
                              {1e-300, 2e-300}, {0.1, 0.1000001}, {-7e7, 3},   {2, 2.0000000001}};
  for (int mt : {0, 2, 3, 5, 10}) {
    for (const auto& r : ranges) {
      for (TScaleType st : {sctXB, sctYL}) {
        auto s = MakeScale(st == sctXB ? 300 : 80, st == sctXB ? 80 : 300);
        s->SetScaleType(st);
        s->SetRange(r[0], r[1]);
        s->SetMinTicks(mt);
        Drawn d = Collect(*s);
        std::ostringstream what;
        what << r[0] << ".." << r[1] << " MinTicks " << mt << " type " << st;
        CheckBounds(*s, d, what.str());
        for (size_t i = 0; i < d.labels.size(); ++i) {
          const std::string& l = d.labels[i];
          if (l.empty() || l[0] == '*') continue;
          const double span = std::fabs(r[1] - r[0]);
          EXPECT_NEAR(std::strtod(l.c_str(), nullptr), d.labelValues[i], span * 0.01 + 1e-300)
              << what.str() << " label " << l;
        }
      }
    }
  }
}

// ====================================================================== logarithmic ticks
TEST(ScaleLog, DecadesAndMultipliers) {
  auto s = MakeScale();
  s->SetRange(1, 1000);
  s->SetLogarithmic(true);
  Drawn d = Collect(*s);  // 3 decades, MinTicks 3: decades only
  EXPECT_EQ(d.labels, (std::vector<std::string>{"1", "10", "100", "1000"}));
  EXPECT_EQ(s->NumTicks(), 4);
  s->SetMinTicks(10);  // 3.5 < 10: multipliers 2 and 5 labelled, the rest short
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"}));
  EXPECT_EQ(s->NumTicks(), 28);  // 9 per decade and 1000
  s->SetShortTicks(false);
  Collect(*s);
  EXPECT_EQ(s->NumTicks(), 10);
  s->SetDecPlaces(-3);  // decade exponents only
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"0", "1", "2", "3"}));
  s->SetRange(0.01, 10);  // automatic decimals: 1 − round(log10 0.01) = 3, zeros trimmed
  s->SetDecPlaces(-2);
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"0.01", "0.02", "0.05", "0.1", "0.2", "0.5", "1", "2", "5", "10"}));
  s->SetMinTicks(3);
  s->SetRange(0.5, 3);  // below one decade: linear ticks on the logarithmic mapping
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"0.50", "1.00", "1.50", "2.00", "2.50", "3.00"}));
  EXPECT_EQ(s->R2M(1), 20 + static_cast<int>(std::lround(359 * std::log(2.0) / std::log(6.0))));
  CheckBounds(*s, d, "sub-decade");
}

TEST(ScaleLog, ManyDecadesStayOnePerPixel) {
  for (int decades : {1, 2, 5, 20, 80, 150, 300}) {
    for (TScaleType st : {sctXB, sctXT, sctYL, sctYR}) {
      const bool h = st <= sctXT;
      auto s = MakeScale(h ? 200 : 60, h ? 60 : 200);
      s->SetScaleType(st);
      const int below = std::min(decades / 2, 99);  // the low end stays above 1e-100
      s->SetRange(std::pow(10.0, -below), std::pow(10.0, decades - below));
      s->SetLogarithmic(true);
      s->SetMinTicks(10);
      ASSERT_TRUE(s->Logarithmic());
      Drawn d = Collect(*s);
      CheckBounds(*s, d, std::to_string(decades) + " decades");
      EXPECT_GE(d.values.size(), 2u);
      for (size_t i = 0; i < d.labels.size(); ++i) {
        const std::string& l = d.labels[i];
        if (l[0] == '*') continue;
        EXPECT_NEAR(std::strtod(l.c_str(), nullptr) / d.labelValues[i], 1, 1e-6) << l;
      }
    }
  }
}

// ====================================================================== time ticks
TEST(ScaleTime, StepsAndLabels) {
  auto s = MakeScale();
  s->SetLabelType(ftTime);
  s->SetRange(0, 60);  // 60 / 3 = 20 s
  Drawn d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{" 00:00:00", " 00:00:20", " 00:00:40", " 00:01:00"}));
  s->SetRange(0, 1.5);  // 0.5 s steps carry milliseconds
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{" 00:00:00.000", " 00:00:00.500", " 00:00:01.000", " 00:00:01.500"}));
  s->SetRange(-7200, 0);  // 2400 s → 1800 s steps
  d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"-02:00:00", "-01:30:00", "-01:00:00", "-00:30:00", " 00:00:00"}));
  s->SetRange(3599, 3601.2);  // 0.733 s → 0.5 s
  d = Collect(*s);
  EXPECT_EQ(d.labels.front(), " 00:59:59.000");
  EXPECT_EQ(d.labels.back(), " 01:00:01.000");
  // Outside the step table the numeric ticks take over.
  s->SetRange(0, 0.002);
  d = Collect(*s);
  EXPECT_EQ(d.labels.front().find(':'), std::string::npos);
  s->SetRange(0, 3e5);
  d = Collect(*s);
  EXPECT_EQ(d.labels.front().find(':'), std::string::npos);
}

TEST(ScaleTime, EveryStepOfTheTable) {
  const double steps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20,
                          30, 60, 120, 180, 300, 600, 1200, 1800, 3600, 7200, 14400, 21600, 43200};
  for (double st : steps) {
    auto s = MakeScale(600, 80);
    s->SetLabelType(ftTime);
    s->SetMinTicks(4);
    s->SetRange(st * 0.5, st * 0.5 + st * 4 * 1.05);  // raw step 1.05 · st
    Drawn d = Collect(*s);
    ASSERT_GE(d.labelValues.size(), 3u) << st;
    EXPECT_NEAR(d.labelValues[1] - d.labelValues[0], st, st * 1e-9) << st;
    EXPECT_NEAR(d.labelValues[0], st, st * 1e-9) << st;  // first multiple after 0.5 st
    CheckBounds(*s, d, "time step " + std::to_string(st));
  }
}

// ====================================================================== date/time ticks
namespace {

// Expected ticks from a reference file: lines "case low high minticks
// shortticks" followed by "tick value label" lines and "end".
struct DTCase {
  std::string name;
  double low = 0, high = 0;
  int minTicks = 3;
  bool shortTicks = true;
  std::vector<std::pair<double, std::string>> ticks;
};

std::vector<DTCase> ReadDTCases() {
  std::ifstream in(std::string(ZOL_TEST_SRC_DIR) + "/data/scale_datetime.txt");
  std::vector<DTCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string kw;
    ls >> kw;
    if (kw == "case") {
      DTCase c;
      int st;
      ls >> c.name >> c.low >> c.high >> c.minTicks >> st;
      c.shortTicks = st != 0;
      cases.push_back(c);
    } else if (kw == "tick" && !cases.empty()) {
      double v;
      ls >> v;
      std::string rest;
      std::getline(ls, rest);
      if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
      cases.back().ticks.emplace_back(v, rest);
    }
  }
  return cases;
}

}  // namespace

TEST(ScaleDateTime, LevelsAndStepsAgainstReference) {
  const auto cases = ReadDTCases();
  ASSERT_GE(cases.size(), 20u);
  for (const DTCase& c : cases) {
    auto s = MakeScale(900, 80);
    s->SetLabelType(ftDateTime);
    s->SetRange(c.low, c.high);
    s->SetMinTicks(c.minTicks);
    s->SetShortTicks(c.shortTicks);
    s->DateFormat().SetDateForTime(dtNone);
    Drawn d = Collect(*s);
    ASSERT_EQ(d.labels.size(), c.ticks.size()) << c.name;
    for (size_t i = 0; i < c.ticks.size(); ++i) {
      EXPECT_NEAR(d.labelValues[i], c.ticks[i].first, 1e-7) << c.name << " #" << i;
      EXPECT_EQ(d.labels[i], c.ticks[i].second) << c.name << " #" << i;
    }
    CheckBounds(*s, d, c.name);
  }
}

TEST(ScaleDateTime, TenMinutesGiveTwoMinuteSteps) {
  auto s = MakeScale(600, 80);
  s->SetLabelType(ftDateTime);
  const double t0 = 45000 + 10.0 / 24;  // 10:00
  s->SetRange(t0, t0 + 10.0 / 1440);
  s->DateFormat().SetDateForTime(dtNone);
  Drawn d = Collect(*s);
  EXPECT_EQ(d.labels, (std::vector<std::string>{"10:00", "10:02", "10:04", "10:06", "10:08", "10:10"}));
  s->DateFormat().SetTimeFormat(tfAMPM);
  d = Collect(*s);
  EXPECT_EQ(d.labels.front(), "10:00 am");
  s->DateFormat().SetTimeFormat(tfHHhMM);
  d = Collect(*s);
  EXPECT_EQ(d.labels.front(), "10h00");
  // The date appears with the first time label of each day.
  s->DateFormat().SetTimeFormat(tfHHMMSS);
  s->DateFormat().SetDateForTime(dtOnePerDay);
  d = Collect(*s);
  ASSERT_EQ(d.labels.size(), 7u);
  EXPECT_EQ(d.labels[1], "15-Mar-2023");  // day 45000 is 2023-03-15
}

TEST(ScaleDateTime, MessagesInsteadOfTicks) {
  auto s = MakeScale(300, 60);
  s->SetLabelType(ftDateTime);
  s->SetRange(45000, 45000 + 2.0 / 86400);  // below 3 s over 3 ticks
  auto blank = MakeScale(300, 60);
  blank->SetLabelType(ftNoFigs);
  blank->SetShowBaseLine(true);
  blank->SetRange(0, 1);
  blank->SetMinTicks(0);
  auto bmp = s->ExportBitmap();
  EXPECT_EQ(s->NumTicks(), 0);
  // Text is drawn above the base line in the middle.
  int dark = 0;
  for (int y = 0; y < 38; ++y)
    for (int x = 60; x < 240; ++x)
      if (bmp->GetPixel(x, y) == clBlack) ++dark;
  EXPECT_GT(dark, 50);
  s->SetRange(10, -10);  // reversed: invalid
  bmp = s->ExportBitmap();
  EXPECT_EQ(s->NumTicks(), 0);
  s->SetRange(-700000, 0);  // before year 1
  s->ExportBitmap();
  EXPECT_EQ(s->NumTicks(), 0);
}

// ====================================================================== pictures
namespace {

struct TickMark {
  int pixel, length;
};

// The expected picture of a plain scale (white ground, no frame, no labels).
std::vector<std::string> ExpectedMask(int w, int h, TScaleType st, int base, int from, int to,
                                      const std::vector<TickMark>& ticks) {
  std::vector<std::string> m(h, std::string(w, '.'));
  auto set = [&](int x, int y) {
    if (x >= 0 && y >= 0 && x < w && y < h) m[y][x] = '#';
  };
  const bool horiz = st <= sctXT;
  for (int p = from; p <= to; ++p) horiz ? set(p, base) : set(base, p);
  for (const TickMark& t : ticks)
    for (int i = 0; i < t.length; ++i) {
      switch (st) {
        case sctXB: set(t.pixel, base - i); break;
        case sctXT: set(t.pixel, base + i); break;
        case sctYL: set(base + i, t.pixel); break;
        case sctYR: set(base - i, t.pixel); break;
      }
    }
  return m;
}

std::vector<std::string> Mask(const TBitmap& b) {
  std::vector<std::string> m(b.Height(), std::string(b.Width(), '.'));
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const TColor c = b.GetPixel(x, y);
      if (c == clBlack) m[y][x] = '#';
      else if (c != clWhite) m[y][x] = '?';
    }
  return m;
}

}  // namespace

TEST(ScalePicture, EveryOrientation) {
  // Axis of 41 pixels for 0..10, step 5 with sub-step 1: four pixels per unit.
  for (TScaleType st : {sctXB, sctXT, sctYL, sctYR}) {
    const bool horiz = st <= sctXT;
    const int w = horiz ? 61 : 30, h = horiz ? 30 : 61;
    auto s = MakeScale(w, h);
    s->SetMarginLeft(horiz ? 10 : 5);
    s->SetMarginRight(horiz ? 10 : 5);
    s->SetMarginTop(horiz ? 5 : 10);
    s->SetMarginBottom(horiz ? 5 : 10);
    s->SetScaleType(st);
    s->SetRange(0, 10);
    s->SetMinTicks(2);
    s->SetLabelType(ftNoFigs);
    s->SetFrameStyle(fsNone);
    s->SetColorBackGnd(clWhite);
    std::vector<TickMark> ticks;
    const int longLen = horiz ? 7 : 6;
    for (int v = 0; v <= 10; ++v) {
      const int p = horiz ? 10 + 4 * v : 50 - 4 * v;
      ticks.push_back({p, v % 5 == 0 ? longLen : 4});
    }
    int base = 0;
    switch (st) {
      case sctXB: base = h - 5 - 1; break;
      case sctXT: base = 5; break;
      case sctYL: base = 5; break;
      case sctYR: base = w - 5 - 1; break;
    }
    const auto expected = ExpectedMask(w, h, st, base, 10, 50, ticks);
    EXPECT_EQ(Mask(*s->ExportBitmap()), expected) << "type " << st;
  }
}

TEST(ScalePicture, FrameAndBackground) {
  auto s = MakeScale(40, 30);
  s->SetMarginLeft(5);
  s->SetMarginRight(5);
  s->SetLabelType(ftNoFigs);
  s->SetShowBaseLine(false);
  s->SetMinTicks(0);
  s->SetRange(0, 1e9);  // would be a billion unit steps: coarsened
  s->SetFrameStyle(fsSimple);
  s->SetColorFrameDark(clRed);
  s->SetColorBackGnd(clYellow);
  auto b = s->ExportBitmap();
  EXPECT_EQ(b->GetPixel(0, 0), clRed);
  EXPECT_EQ(b->GetPixel(39, 29), clRed);
  EXPECT_EQ(b->GetPixel(20, 2), clYellow);
  s->SetFrameStyle(fsLowered);  // outer ring: shadow grey on top, white at the bottom
  b = s->ExportBitmap();
  EXPECT_EQ(b->GetPixel(10, 0), RGB(128, 128, 128));
  EXPECT_EQ(b->GetPixel(10, 29), clWhite);
}

TEST(ScalePicture, TransparentScaleOnAForeignSurface) {
  TBitmap target(200, 100);
  target.Canvas().Brush().SetColor(clAqua);
  target.Canvas().FillRect(Rect(0, 0, 200, 100));
  auto s = MakeScale(61, 30);
  s->SetMarginLeft(10);
  s->SetMarginRight(10);
  s->SetMarginTop(5);
  s->SetMarginBottom(5);
  s->SetRange(0, 10);
  s->SetMinTicks(2);
  s->SetLabelType(ftNoFigs);
  s->SetTransparent(true);
  s->SetIsHelper(true);
  s->UseForeignCanvas(&target.Canvas(), 100, 50);
  s->ForcePaint();
  // Base line at y = 50 + 24 from x = 110 to 150; everything else untouched.
  EXPECT_EQ(target.GetPixel(110, 74), clBlack);
  EXPECT_EQ(target.GetPixel(150, 74), clBlack);
  EXPECT_EQ(target.GetPixel(151, 74), clAqua);
  EXPECT_EQ(target.GetPixel(130, 68), clBlack);  // long tick at 5
  EXPECT_EQ(target.GetPixel(130, 67), clAqua);
  EXPECT_EQ(target.GetPixel(5, 5), clAqua);
}

// ====================================================================== host
TEST(ScaleHost, PaintingFollowsTheWindowAndTheSetters) {
  Application()->ResetHeadless();
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 500, 300);
  auto* s = new TScale(form.get());
  EXPECT_TRUE(s->SuppressPaint());
  s->SetParent(form.get());
  s->SetBounds(10, 10, 300, 80);
  form->Show();
  Application()->ProcessMessages();
  EXPECT_FALSE(s->SuppressPaint());
  const int before = s->PaintCount();
  EXPECT_GE(before, 1);
  s->SetRangeHigh(50);  // opaque: painted at once
  EXPECT_EQ(s->PaintCount(), before + 1);
  s->SetTransparent(true);
  const int mid = s->PaintCount();
  s->SetCaption("s");  // transparent: invalidated, painted by the host
  EXPECT_EQ(s->PaintCount(), mid);
  EXPECT_TRUE(s->NeedsPaint());
  Application()->ProcessMessages();
  EXPECT_EQ(s->PaintCount(), mid + 1);
  s->SetSuppressPaint(true);
  s->SetRangeHigh(70);
  s->SetTransparent(false);
  EXPECT_EQ(s->PaintCount(), mid + 1);
  s->ForcePaint();
  EXPECT_EQ(s->PaintCount(), mid + 2);
  // Events around each rendering, in order.
  std::vector<std::string> log;
  s->OnBeforeScaleRendered = [&](TObject*, TCanvas&) { log.push_back("before"); };
  s->OnScaleTickDrawn = [&](TObject*, TCanvas&, TScaleType, double, int, int) {
    if (log.back() != "tick") log.push_back("tick");
  };
  s->OnAfterScaleRendered = [&](TObject*, TCanvas&) { log.push_back("after"); };
  s->ForcePaint();
  EXPECT_EQ(log, (std::vector<std::string>{"before", "tick", "after"}));
  // The picture on the form is the scale's picture.
  auto shot = s->PaintToBitmap();
  auto ref = s->ExportBitmap();
  ASSERT_EQ(shot->Width(), ref->Width());
  int diff = 0;
  for (int y = 0; y < ref->Height(); ++y)
    for (int x = 0; x < ref->Width(); ++x) diff += shot->GetPixel(x, y) != ref->GetPixel(x, y);
  EXPECT_EQ(diff, 0);
}

TEST(ScaleHost, LoadingDefersMappingAndPainting) {
  auto s = MakeScale();
  s->BeginLoading();
  s->SetAxLinLog(true);  // accepted while loading, whatever the range
  EXPECT_TRUE(s->Logarithmic());
  s->SetRange(10, 1000);
  s->SetBounds(0, 0, 420, 60);
  EXPECT_EQ(s->ScaleFactor(), 359.0 / 100);  // still the mapping of 0..100 on 400 pixels
  s->EndLoading();                           // Loaded recomputes
  EXPECT_EQ(s->R2M(10), 20);
  EXPECT_EQ(s->R2M(1000), 399);
  EXPECT_EQ(s->R2M(100), 210);  // 20 + 379/2 = 209.5 rounds up
}

TEST(ScaleHost, PrinterSurfaceGetsThePrinterResolution) {
  auto s = MakeScale(400, 80);
  s->Font().SetSize(10);
  TPrinter& pr = Printer();
  pr.BeginDoc();
  TCanvas& c = pr.Canvas();
  ASSERT_TRUE(c.IsPrinterCanvas());
  s->DrawXScale(c, 59);
  EXPECT_EQ(c.Font().PixelsPerInch(), c.GetDeviceCaps(LOGPIXELSY));
  EXPECT_EQ(c.Font().Size(), 10);
  EXPECT_EQ(c.Font().Height(), -(10 * c.GetDeviceCaps(LOGPIXELSY) + 36) / 72);
  EXPECT_EQ(s->NumTicks(), 21);
  pr.Abort();
}

// ====================================================================== export
namespace {

// Share of pixels whose channels differ by more than 96 between two pictures.
double DifferentShare(const TBitmap& a, const TBitmap& b) {
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const TColor p = a.GetPixel(x, y), q = b.GetPixel(x, y);
      for (int sh = 0; sh < 24; sh += 8)
        if (std::abs(int((p >> sh) & 255) - int((q >> sh) & 255)) > 96) {
          ++n;
          break;
        }
    }
  return double(n) / (a.Width() * a.Height());
}

std::unique_ptr<TScale> ExportScale() {
  auto s = MakeScale(320, 90);
  s->SetRange(-2.5, 7.5);
  s->SetCaption("Voltage [V]");
  s->SetCaptionAnchor(uaSclCenter);
  s->SetColorBackGnd(clWhite);
  s->SetMarginBottom(30);
  return s;
}

}  // namespace

TEST(ScaleExport, SvgMatchesTheBitmap) {
  if (!HaveTool("rsvg-convert")) GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
  auto s = ExportScale();
  const std::string svg = TempPath("a.svg"), png = TempPath("a.png");
  s->SaveAsSVG(svg);
  std::ifstream in(svg);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_NE(ss.str().find("<text"), std::string::npos);  // text stays text
  const std::string cmd = "rsvg-convert -w 320 -h 90 -b white -o '" + png + "' '" + svg + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  TBitmap fromSvg;
  ASSERT_TRUE(fromSvg.LoadFromFile(png));
  auto ref = s->ExportBitmap();
  EXPECT_LT(DifferentShare(fromSvg, *ref), 0.02);
  std::remove(svg.c_str());
  std::remove(png.c_str());
}

TEST(ScaleExport, PdfMatchesTheBitmap) {
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  auto s = ExportScale();
  const std::string pdf = TempPath("b.pdf"), stem = TempPath("b");
  s->SaveAsPDF(pdf);
  // One pixel per PDF pixel: the page is Width × Height at 96 pixels per inch.
  const std::string cmd = "pdftoppm -r 96 -png -singlefile '" + pdf + "' '" + stem + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  TBitmap fromPdf;
  ASSERT_TRUE(fromPdf.LoadFromFile(stem + ".png"));
  ASSERT_EQ(fromPdf.Width(), 320);
  ASSERT_EQ(fromPdf.Height(), 90);
  auto ref = s->ExportBitmap();
  EXPECT_LT(DifferentShare(fromPdf, *ref), 0.03);
  std::remove(pdf.c_str());
  std::remove((stem + ".png").c_str());
  auto png = TempPath("c.png");
  s->SaveAsPNG(png);
  TBitmap back;
  ASSERT_TRUE(back.LoadFromFile(png));
  EXPECT_EQ(DifferentShare(back, *ref), 0);
  std::remove(png.c_str());
  EXPECT_THROW(s->SaveAsPNG("/nonexistent-dir/x.png"), EZOLError);
}

// The gauge and the colour scale export through the same helpers: their
// vector pictures rendered by rsvg-convert and pdftoppm match their bitmaps.
TEST(ScaleExport, GaugeAndColourScaleVectorPictures) {
  const bool svgTool = HaveTool("rsvg-convert"), pdfTool = HaveTool("pdftoppm");
  if (!svgTool || !pdfTool) GTEST_SKIP() << "rsvg-convert or pdftoppm is not installed";
  TScaleGauge g(nullptr);
  g.SetValue(2.5);
  g.SetIndexMode(gimThreadTwoTriangles);
  g.SetCaption("bar");
  TColorScale c(nullptr);
  c.SetCaption("K");
  c.SetCaptionPosY(0);
  struct Item {
    std::unique_ptr<TMetafile> mf;
    std::unique_ptr<TBitmap> bmp;
    std::string name;
  };
  Item items[] = {{g.ExportMetafile(), g.ExportBitmap(), "gauge"}, {c.ExportMetafile(), c.ExportBitmap(), "cscale"}};
  for (Item& it : items) {
    const int w = it.bmp->Width(), h = it.bmp->Height();
    const std::string svg = TempPath(it.name + ".svg"), png = TempPath(it.name + "_svg.png");
    it.mf->SaveToFile(svg);
    std::string cmd = "rsvg-convert -w " + std::to_string(w) + " -h " + std::to_string(h) + " -b white -o '" +
                      png + "' '" + svg + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    TBitmap fromSvg;
    ASSERT_TRUE(fromSvg.LoadFromFile(png));
    EXPECT_LT(DifferentShare(fromSvg, *it.bmp), 0.03) << it.name;
    const std::string pdf = TempPath(it.name + ".pdf"), stem = TempPath(it.name + "_pdf");
    it.mf->SaveToPDFFile(pdf);
    cmd = "pdftoppm -r 96 -png -singlefile '" + pdf + "' '" + stem + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    TBitmap fromPdf;
    ASSERT_TRUE(fromPdf.LoadFromFile(stem + ".png"));
    ASSERT_EQ(fromPdf.Width(), w);
    EXPECT_LT(DifferentShare(fromPdf, *it.bmp), 0.03) << it.name;
    for (const std::string& f : {svg, png, pdf, stem + ".png"}) std::remove(f.c_str());
  }
}
