// Number label: every display type against texts written by Python's own
// formatting (tests/gui/ref/indicators_numlab.py), states, the overflow
// indicator, the display event and the box picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "gui/Zol_numlab.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

const char* const kTypeNames[] = {"dtFloat", "dtFixP", "dtExp", "dtHex", "dtZeroInt", "dtInt",
                                  "dtDateTime", "dtState", "dtBin", "dtOct", "dtDeg", "dtDegMin",
                                  "dtDegMinSec", "dtEEng", "dtEEngNoDP"};

TEST(NumLabFormat, MatchesPythonFormattingForEveryType) {
  std::ifstream f(std::string(ZOL_TEST_SRC_DIR) + "/data/indicators_numlab.tsv");
  ASSERT_TRUE(f.good());
  std::string line;
  int n = 0;
  while (std::getline(f, line)) {
    std::vector<std::string> col;
    std::stringstream ss(line);
    std::string part;
    while (std::getline(ss, part, '\t')) col.push_back(part);
    if (col.size() == 5) col.emplace_back();
    ASSERT_EQ(col.size(), 6u) << line;
    int type = -1;
    for (int i = 0; i < 15; ++i)
      if (col[0] == kTypeNames[i]) type = i;
    ASSERT_GE(type, 0) << line;
    const double v = std::strtod(col[2].c_str(), nullptr);
    const std::string got = FormatNumLabValue(v, static_cast<TDisplay>(type), std::stoi(col[1]), "yyyy-mm-dd hh:nn:ss",
                                              {}, col[3] == "1", col[4] == "1");
    EXPECT_EQ(got, col[5]) << col[0] << " prec " << col[1] << " value " << v << " comma " << col[3];
    ++n;
  }
  EXPECT_GT(n, 1000);
}

TEST(NumLabFormat, StatesSpecialValuesAndIntegerRange) {
  const std::vector<std::string> states = {"off", "on", "fault"};
  EXPECT_EQ(FormatNumLabValue(1.2, dtState, 0, "", states, false, false), "on");
  EXPECT_EQ(FormatNumLabValue(2.0, dtState, 0, "", states, true, true), "fault");  // no sign, no comma
  EXPECT_EQ(FormatNumLabValue(3.0, dtState, 0, "", states, false, false), "");
  EXPECT_EQ(FormatNumLabValue(-1.0, dtState, 0, "", states, false, false), "");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(FormatNumLabValue(nan, dtState, 0, "", states, false, false), "");
  EXPECT_EQ(FormatNumLabValue(nan, dtInt, 0, "", {}, false, false), "NaN");
  EXPECT_EQ(FormatNumLabValue(-INFINITY, dtFloat, 3, "", {}, false, false), "-Inf");
  // Integer conversions clamp instead of wrapping.
  EXPECT_EQ(FormatNumLabValue(1e30, dtInt, 0, "", {}, false, false), "9223372036854775807");
  EXPECT_EQ(FormatNumLabValue(-1e30, dtHex, 0, "", {}, false, false), "-8000000000000000");
  EXPECT_EQ(FormatNumLabValue(4294967296.0, dtInt, 0, "", {}, false, false), "4294967296");
  // Quoted text and single-letter fields of the date pattern.
  EXPECT_EQ(FormatNumLabValue(45000.5, dtDateTime, 0, "d.m.yy \"at\" h:nn", {}, true, true), "15.3.23 at 12:00");
  EXPECT_EQ(FormatNumLabValue(1e9, dtDateTime, 0, "yyyy", {}, false, false), "");  // beyond year 9999
}

class NumLab : public HostTest {};

TEST_F(NumLab, OverflowIndicatorReplacesTextsWiderThanTheBox) {
  auto* l = Place(new TNumLab(Form.get()), 0, 0, 200, 22);
  l->SetLabelWidth(60);
  l->SetDisplayType(dtFixP);
  l->SetPrecision(2);
  l->SetValue(3.5);
  l->PaintToBitmap();
  EXPECT_EQ(l->ShownText(), "3.50");
  l->SetValue(123456789012.0);
  l->PaintToBitmap();
  EXPECT_EQ(l->ShownText(), "###");
  l->SetOverflowIndicator("E");
  l->PaintToBitmap();
  EXPECT_EQ(l->ShownText(), "E");
  // The measure is the box width minus 6 pixels.
  TBitmap probe(10, 10);
  probe.Canvas().Font().Assign(l->Font());
  l->SetDisplayType(dtInt);
  l->SetPrecision(0);
  std::string digits = "1";
  while (probe.Canvas().TextWidth(digits + "1") <= 60 - 6) digits += "1";
  l->SetValue(std::stod(digits));
  l->PaintToBitmap();
  EXPECT_EQ(l->ShownText(), digits);
  l->SetValue(std::stod(digits + "1"));
  l->PaintToBitmap();
  EXPECT_EQ(l->ShownText(), "E");
  // States are shown even when too wide.
  l->SetDisplayType(dtState);
  l->SetStateText({"a state text that is much wider than the box"});
  l->SetValue(0);
  l->PaintToBitmap();
  EXPECT_EQ(l->ShownText(), "a state text that is much wider than the box");
}

TEST_F(NumLab, BeforeDisplayEventAndEmpty) {
  auto* l = Place(new TNumLab(Form.get()), 0, 0, 100, 22);
  l->SetValue(2);
  std::string seen;
  l->OnBeforeDisplay = [&](TObject* s, std::string& t) {
    EXPECT_EQ(s, l);
    seen = t;
    t = "two";
  };
  l->PaintToBitmap();
  EXPECT_EQ(seen, "2");
  EXPECT_EQ(l->ShownText(), "two");
  l->SetEmpty(true);
  seen.clear();
  l->PaintToBitmap();
  EXPECT_EQ(seen, "");
  EXPECT_EQ(l->ShownText(), "");
}

TEST_F(NumLab, BoxAndTextsLayout) {
  auto* l = Place(new TNumLab(Form.get()), 0, 0, 160, 20);
  l->SetLeftSpace(40);
  l->SetLabelWidth(70);
  l->SetLeftText("U");
  l->SetRightText("V");
  l->SetColorLabBakG(clYellow);
  l->SetColorOutBakG(clAqua);
  l->SetEmpty(true);
  auto bmp = l->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(39, 1), clYellow);
  EXPECT_EQ(bmp->GetPixel(159, 1), clYellow);
  EXPECT_EQ(bmp->GetPixel(60, 10), clAqua);
  // csBWG lowered frame on the box: grey outer top-left, white outer bottom-right.
  EXPECT_EQ(bmp->GetPixel(40, 10), clGray);
  EXPECT_EQ(bmp->GetPixel(109, 10), clWhite);
  EXPECT_EQ(bmp->GetPixel(41, 10), clBlack);
  l->SetColorScheme(csSystem);
  bmp = l->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(40, 10), RGB(160, 160, 160));
  EXPECT_EQ(bmp->GetPixel(41, 10), RGB(105, 105, 105));
  // The left text is drawn in the label colour left of the box, the right one after it.
  l->SetColorLabText(clRed);
  bmp = l->PaintToBitmap();
  bool leftInk = false, rightInk = false;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 38; ++x) leftInk |= bmp->GetPixel(x, y) != clYellow;
    for (int x = 110; x < 160; ++x) rightInk |= bmp->GetPixel(x, y) != clYellow;
  }
  EXPECT_TRUE(leftInk);
  EXPECT_TRUE(rightInk);
}

}  // namespace
