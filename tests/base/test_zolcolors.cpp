#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "base/Zol_zolcolors.h"

using namespace zol;

namespace {
struct HsvRef {
  int r, g, b;
  double h, s, v;
};
// From Python's colorsys (tests/base/ref/zolcolors_hsv.py).
const HsvRef kHsv[] = {
    {255, 0, 0, 0.000000000000, 1.000000000000, 1.000000000000},
    {12, 200, 77, 140.744680851064, 0.940000000000, 0.784313725490},
    {90, 30, 240, 257.142857142857, 0.875000000000, 0.941176470588},
    {250, 250, 10, 60.000000000000, 0.960000000000, 0.980392156863},
    {1, 2, 3, 210.000000000000, 0.666666666667, 0.011764705882},
    {200, 100, 150, 330.000000000000, 0.500000000000, 0.784313725490},
    {0, 255, 255, 180.000000000000, 1.000000000000, 1.000000000000},
    {128, 64, 32, 20.000000000000, 0.750000000000, 0.501960784314},
};
std::string TempFile(const char* n) { return GetTempDirectory() + "zol_test_colors_" + n; }
void WriteFile(const std::string& p, const std::string& text) {
  TFileStream f(p, fmCreate);
  f.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}
}  // namespace

TEST(ColorArithmetic, InterpolationClampsAndTruncates) {
  EXPECT_EQ(InterpolateColor(clBlack, clWhite, 1.5), clWhite);
  EXPECT_EQ(InterpolateColor(clBlack, clWhite, -1), clBlack);
  // trunc(0 + 255 * 0.5) = 127 in every channel.
  EXPECT_EQ(MeanColor(clBlack, clWhite), RGB(127, 127, 127));
  // Falling channels truncate towards zero too: trunc(255 - 255*0.3) = 178.
  EXPECT_EQ(InterpolateColor(clRed, clBlue, 0.3), RGB(178, 0, 76));
  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, 0.5), clLime);
  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, 0.75), RGB(0, 127, 127));
  EXPECT_EQ(ReverseRGBColor(RGB(1, 2, 3)), RGB(3, 2, 1));
  EXPECT_EQ(InvertColor(RGB(0, 100, 255)), RGB(255, 155, 0));
  // The system-colour byte is dropped.
  EXPECT_EQ(InvertColor(0x80000005u) >> 24, 0u);
}

TEST(ColorArithmetic, GreyAndDistance) {
  EXPECT_EQ(RGBtoGray(255, 255, 255), 255);
  EXPECT_EQ(RGBtoGray(100, 0, 0), 30);
  EXPECT_EQ(RGBtoGray(0, 0, 5), 1);  // round(0.55)
  EXPECT_EQ(ColorToGrayColor(RGB(0, 100, 0)), RGB(59, 59, 59));
  EXPECT_DOUBLE_EQ(RGBColorDistance(clBlack, clWhite), 1.0);
  EXPECT_DOUBLE_EQ(RGBColorDistance(clTeal, clTeal), 0.0);
  EXPECT_NEAR(RGBColorDistance(clBlack, clRed), std::sqrt(1.0 / 3.0), 1e-15);
}

TEST(ColorArithmetic, HsiMatchesColorsysAndRoundTrips) {
  for (const HsvRef& t : kHsv) {
    double H, S, I;
    RGBtoHSI(t.r, t.g, t.b, H, S, I);
    EXPECT_NEAR(H, t.h, 1e-9) << t.r << "," << t.g << "," << t.b;
    EXPECT_NEAR(S, t.s, 1e-9);
    EXPECT_NEAR(I, t.v, 1e-9);
    int r, g, b;
    HSItoRGB(H, S, I, r, g, b);
    EXPECT_EQ(RGB(r, g, b), RGB(t.r, t.g, t.b));
  }
  double H, S, I;
  RGBtoHSI(0, 0, 0, H, S, I);
  EXPECT_EQ(H, 0);
  EXPECT_EQ(S, 0);
  EXPECT_EQ(I, 0);
  RGBtoHSI(128, 128, 128, H, S, I);
  EXPECT_EQ(H, -1);
  int r, g, b;
  HSItoRGB(400, 1, 1, r, g, b);  // hue out of range counts as 0: red
  EXPECT_EQ(RGB(r, g, b), clRed);
  HSItoRGB(10, 0, 0.5, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(128, 128, 128));
}

TEST(ColorArithmetic, CmyAndCmyk) {
  double C, M, Y, K;
  RGBtoCMY(255, 0, 51, C, M, Y);
  EXPECT_DOUBLE_EQ(C, 0);
  EXPECT_DOUBLE_EQ(M, 1);
  EXPECT_NEAR(Y, 0.8, 1e-15);
  CMYtoCMYK(C, M, Y, K);
  EXPECT_DOUBLE_EQ(K, 0);
  C = 0.5, M = 0.7, Y = 0.9;
  CMYtoCMYK(C, M, Y, K);
  EXPECT_DOUBLE_EQ(K, 0.5);
  EXPECT_NEAR(M, 0.2, 1e-15);
  CMYKtoCMY(C, M, Y, 0.6);
  EXPECT_DOUBLE_EQ(Y, 1.0);  // 0.4 + 0.6 capped
  int r, g, b;
  CMYtoRGB(-1, 2, 0.5, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(255, 0, 128));
}

TEST(ColorArithmetic, SpectralAndRandomColours) {
  EXPECT_EQ(WavelengthToColor(800, 0.8), clBlack);
  EXPECT_EQ(WavelengthToColor(379, 1), clBlack);
  EXPECT_EQ(GetGValue(WavelengthToColor(550, 1)), 255);
  // 550 nm: red (550 - 510) / 70 = 4/7 -> round(145.71) = 146.
  EXPECT_EQ(WavelengthToColor(550, 1), RGB(146, 255, 0));
  // 410 nm: red 1/2, blue 1, factor 0.3 + 0.7 * 30/40 = 0.825.
  EXPECT_EQ(WavelengthToColor(410, 1), RGB(105, 0, 210));
  // 740 nm: factor 0.3 + 0.7 * 40/80 = 0.65; gamma 0.8: round(255 * 0.65^0.8).
  EXPECT_EQ(GetRValue(WavelengthToColor(740, 0.8)), static_cast<int>(std::lround(255 * std::pow(0.65, 0.8))));
  RandSeed = 77;
  for (int i = 0; i < 200; ++i) {
    TColor c = RandomColor(10, 20, 200, 100, 5, 5);
    EXPECT_GE(GetRValue(c), 10);
    EXPECT_LE(GetRValue(c), 20);
    EXPECT_GE(GetGValue(c), 100);
    EXPECT_LE(GetGValue(c), 200);
    EXPECT_EQ(GetBValue(c), 5);
    EXPECT_EQ(c >> 24, 0u);
  }
}

TEST(ColorArray, ConstructionAccessAndInterpolation) {
  TColorArray a(nullptr);
  ASSERT_EQ(a.Size(), 1000);
  // The rainbow fill starts near its first colour and ends at the last.
  EXPECT_EQ(a.GetColorElem(1000), ColorArray_Rainbow[10]);
  EXPECT_EQ(a.GetColorElem(0), a.GetColorElem(1));
  EXPECT_EQ(a.GetColorElem(1005), a.GetColorElem(1000));
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  a.SetColorElem(0, clRed);
  a.SetColorElem(1001, clRed);
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(a.Resize(0));
  ASSERT_TRUE(a.Resize(4));
  EXPECT_EQ(changes, 1);
  // Four entries from black to white: positions c/N * High with High = 1.
  const TColor bw[] = {clBlack, clWhite};
  a.FillByInterpolation(0, bw, 1);
  EXPECT_EQ(a.GetColorElem(1), RGB(63, 63, 63));
  EXPECT_EQ(a.GetColorElem(2), RGB(127, 127, 127));
  EXPECT_EQ(a.GetColorElem(4), clWhite);
  // A single colour (High = 0) fills everything without reading past the list.
  const TColor one[] = {clTeal};
  a.FillByInterpolation(3, one, 0);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(a.GetColorElem(i), clTeal);
  double d;
  a.SetColorElem(3, clRed);
  EXPECT_EQ(a.ColorToIndex(RGB(250, 0, 0), d), 3);
  EXPECT_NEAR(d, 5 / std::sqrt(195075.0), 1e-12);
}

TEST(ColorArray, CopyAssignAndCompare) {
  TColorArray a(nullptr), b(nullptr);
  a.Resize(5);
  b.Resize(5);
  for (int i = 1; i <= 5; ++i) a.SetColorElem(i, RGB(i, 0, 0));
  for (int i = 1; i <= 5; ++i) b.SetColorElem(i, clWhite);
  b.CopyFrom(&a, 4, 3, 2);  // reversed bounds are exchanged: entries 2..4 to 3..5
  EXPECT_EQ(b.GetColorElem(2), clWhite);
  EXPECT_EQ(b.GetColorElem(3), RGB(2, 0, 0));
  EXPECT_EQ(b.GetColorElem(5), RGB(4, 0, 0));
  b.CopyFrom(&a, 1, 4, 5);  // entries beyond Size are dropped, not written past the end
  EXPECT_EQ(b.GetColorElem(5), RGB(2, 0, 0));
  b.CopyFrom(nullptr, 1, 1, 5);
  EXPECT_FALSE(a.IsEqual(b));
  b.Assign(a);
  EXPECT_TRUE(a.IsEqual(b));
}

TEST(ColorArray, ColourMapFiles) {
  TColorArray a(nullptr);
  a.Resize(3);
  a.SetColorElem(1, RGB(0x12, 0x34, 0x56));
  a.SetColorElem(2, clLime);
  a.SetColorElem(3, clBlue);
  std::string p = TempFile("map.txt");
  ASSERT_TRUE(a.StoreOnFile(3, 1, p));
  TStringList lines;
  lines.LoadFromFile(p);
  ASSERT_EQ(lines.Count(), 4);
  EXPECT_EQ(lines[0], "1 3");
  EXPECT_EQ(lines[1], "00563412");
  TColorArray b(nullptr);
  ASSERT_TRUE(b.LoadFromFile(p, true));
  EXPECT_EQ(b.Size(), 3);
  EXPECT_TRUE(a.IsEqual(b));
  // Blanks, a dollar sign and lower-case digits; an unreadable line is skipped.
  WriteFile(p, "2 3\n  $00ff00\nxyz\n");
  b.SetColorElem(3, clRed);
  ASSERT_TRUE(b.LoadFromFile(p, false));
  EXPECT_EQ(b.GetColorElem(2), clLime);
  EXPECT_EQ(b.GetColorElem(3), clRed);
  // Truncated, too large without AdjustSize, and missing files give false and change nothing.
  WriteFile(p, "1 3\n000000FF\n");
  EXPECT_FALSE(b.LoadFromFile(p, true));
  EXPECT_EQ(b.GetColorElem(1), RGB(0x12, 0x34, 0x56));
  WriteFile(p, "1 9\n");
  EXPECT_FALSE(b.LoadFromFile(p, false));
  EXPECT_FALSE(b.LoadFromFile(p + ".missing", false));
  EXPECT_FALSE(a.StoreOnFile(1, 3, "/nonexistent-dir/map.txt"));
  std::remove(p.c_str());
}
