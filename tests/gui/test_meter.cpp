// Meter: layout geometry, value/angle/pixel conversions on linear and
// logarithmic scales, the needle polygon, range events, degenerate ranges,
// and the pictures of bands, frame and lamps at two sizes and both schemes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "gui/Zol_meter.h"

using namespace zol;

namespace {

class Meter : public ::testing::Test {
 protected:
  void SetUp() override { Application()->ResetHeadless(); }
  void TearDown() override { Application()->ResetHeadless(); }
};

}  // namespace

// ---------------------------------------------------------------- properties
TEST_F(Meter, DefaultsAndClamping) {
  TMeter m(nullptr);
  EXPECT_EQ(m.Width(), 297);
  EXPECT_EQ(m.Height(), 209);
  EXPECT_EQ(m.MeterLayout(), mlCirc90);
  EXPECT_EQ(m.MeterNrTicks(), 3);
  EXPECT_EQ(m.ColorSclBkNorm(), 0x0080FFu);
  EXPECT_EQ(m.ColorScale(), 0x800000u);
  EXPECT_TRUE(m.NeedleLayout().Visible());
  EXPECT_FALSE(m.NeedleLayoutSec().Visible());
  m.SetMeterNrTicks(30);
  EXPECT_EQ(m.MeterNrTicks(), 21);
  m.SetMeterNrTicks(1);
  EXPECT_EQ(m.MeterNrTicks(), 2);
  m.SetMeterDecPlaces(-1);
  EXPECT_EQ(m.MeterDecPlaces(), 0);
  m.SetMeterDecPlaces(9);
  EXPECT_EQ(m.MeterDecPlaces(), 4);
  m.SetScaleBkWidth(150);
  EXPECT_EQ(m.ScaleBkWidth(), 100);
  m.NeedleLayout().SetHeadAngle(200);
  EXPECT_EQ(m.NeedleLayout().HeadAngle(), 180);
  m.NeedleLayout().SetPercentNeedleLength(-3);
  EXPECT_EQ(m.NeedleLayout().PercentNeedleLength(), 0);
  int changes = 0;
  m.NeedleLayout().OnChange = [&](TObject*) { ++changes; };
  m.NeedleLayout().SetThickness(3);
  m.NeedleLayout().SetThickness(3);
  EXPECT_EQ(changes, 1);

  m.SetBackGroundImg("/no/such/file.png");  // cannot be loaded: nothing changes
  EXPECT_EQ(m.BackGroundImg(), "");
  m.SetAnchorImage("/no/such/anchor.bmp");
  EXPECT_EQ(m.AnchorImage(), "");
}

// ---------------------------------------------------------------- geometry
TEST_F(Meter, LayoutParameters) {
  TMeter m(nullptr);
  EXPECT_EQ(m.PivotX(), 148);
  EXPECT_EQ(m.PivotY(), 191);
  EXPECT_DOUBLE_EQ(m.Radius(), 175);
  m.SetMeterLayout(mlCirc120);
  EXPECT_NEAR(m.Radius(), 150.688, 1e-3);  // (148.5 − 18) · 1.1547
  EXPECT_EQ(m.PivotY(), 191);
  m.SetMeterLayout(mlCirc180);
  EXPECT_NEAR(m.Radius(), 130.5, 1e-9);
  m.SetMeterLayout(mlCirc300);
  EXPECT_NEAR(m.Radius(), 175 / 1.866, 1e-9);  // 93.78 < 130
  EXPECT_EQ(m.PivotY(), 110);                   // round(8 + 8 + 93.78)
  m.SetMeterLayout(mlCirc360);
  EXPECT_NEAR(m.Radius(), 87.5, 1e-9);
  EXPECT_EQ(m.PivotY(), 104);  // round(103.5) away from zero
  m.SetMeterLayout(mlCirc90);
  m.SetBounds(0, 0, 400, 300);
  EXPECT_EQ(m.PivotX(), 200);
  EXPECT_EQ(m.PivotY(), 282);
  EXPECT_DOUBLE_EQ(m.Radius(), 266);
  m.SetRimTop(20);
  EXPECT_DOUBLE_EQ(m.Radius(), 254);
  m.SetBounds(0, 0, 20, 20);  // too small for its rims: radius 0, still paints
  EXPECT_EQ(m.Radius(), 0);
  EXPECT_NO_THROW(m.PaintToBitmap());
}

TEST_F(Meter, AnglesAndPixelsOnLinearAndLogScales) {
  TMeter m(nullptr);
  // Minimum at 135° (up-left), maximum at 45° (up-right): 175·cos 45° = 123.74.
  EXPECT_EQ(m.ConvertToPixelCoords(0, 100), Point(24, 67));
  EXPECT_EQ(m.ConvertToPixelCoords(1, 100), Point(272, 67));
  EXPECT_EQ(m.ConvertToPixelCoords(0.5, 100), Point(148, 16));
  EXPECT_EQ(m.ConvertToPixelCoords(0.5, 50), Point(148, 104));  // 191 − 87.5 rounds away from zero
  EXPECT_DOUBLE_EQ(m.CalcNeedleAngle(0), 135);
  EXPECT_DOUBLE_EQ(m.CalcNeedleAngle(5), 225) << "values are clamped";
  double v = -1;
  ASSERT_TRUE(m.ConvertPixelToValue(148, 50, v));
  EXPECT_NEAR(v, 0.5, 1e-12);
  ASSERT_TRUE(m.ConvertPixelToValue(48, 91, v));  // 45° up-left: the minimum
  EXPECT_NEAR(v, 0.0, 1e-12);
  EXPECT_FALSE(m.ConvertPixelToValue(148, 250, v)) << "below the pivot";
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(m.ConvertPixelToValue(20, 190, v)) << "left of the sweep";
  EXPECT_FALSE(m.ConvertPixelToValue(148, 191, v)) << "the pivot itself";

  m.SetMeterMinValue(2);
  m.SetMeterMaxValue(200);
  m.SetLogarithmic(true);
  ASSERT_TRUE(m.Logarithmic());
  ASSERT_TRUE(m.ConvertPixelToValue(148, 50, v));
  EXPECT_NEAR(v, 20, 1e-9) << "geometric mean of 2 and 200";
  EXPECT_EQ(m.ConvertToPixelCoords(20, 100), Point(148, 16));
  EXPECT_NEAR(m.ScaleFraction(2 * std::sqrt(10.0)), 0.25, 1e-12);

  m.SetMeterLayout(mlCirc360);  // the full circle: everything is on the sweep
  ASSERT_TRUE(m.ConvertPixelToValue(m.PivotX(), m.PivotY() + 30, v));
  EXPECT_TRUE(std::fabs(v - 2) < 1e-9 || std::fabs(v - 200) < 1e-9) << v;
}

TEST_F(Meter, NeedlePolygonPoints) {
  TMeter m(nullptr);
  TPoint p[7];
  // Straight up: tip 171 above the pivot; barbs 20 back at ±15°.
  m.NeedlePolygon(m.NeedleLayout(), 0.5, p);
  EXPECT_EQ(p[1], Point(148, 20));
  EXPECT_EQ(p[0], Point(153, 39));  // 148 + 20·sin 15°, 20 + 20·cos 15°
  EXPECT_EQ(p[2], Point(143, 39));
  EXPECT_EQ(p[3], Point(148, 40));
  EXPECT_EQ(p[4], Point(148, 191));
  EXPECT_EQ(p[5], Point(148, 191));
  m.NeedleLayout().SetThickness(6);
  m.NeedleLayout().SetPercentNeedleLength(50);
  m.NeedlePolygon(m.NeedleLayout(), 0.5, p);
  EXPECT_EQ(p[1], Point(148, 106));  // 191 − 85.5, rounded away from zero
  EXPECT_EQ(p[4], Point(145, 191));
  EXPECT_EQ(p[5], Point(151, 191));
  EXPECT_EQ(p[3], Point(145, 126));
  EXPECT_EQ(p[6], Point(151, 126));
}

TEST_F(Meter, CalcMDecimals) {
  EXPECT_EQ(CalcM(3, 0, 1), 3);
  EXPECT_EQ(CalcM(-2, 0, 5), 1);     // 2 − round(ln 5 / 2.5 = 0.64)
  EXPECT_EQ(CalcM(-2, 0, 0.5), 2);   // 2 − round(−0.28)
  EXPECT_EQ(CalcM(-2, 0, 0.01), 4);  // 2 − round(−1.84)
  EXPECT_EQ(CalcM(-2, 0, 150), 0);
  EXPECT_EQ(CalcM(-2, 0, 1e6), -1);
  EXPECT_EQ(CalcM(-2, 1, 1), -1);
}

// ---------------------------------------------------------------- values, thresholds and events
TEST_F(Meter, RangeEvents) {
  TMeter m(nullptr);
  std::string log;
  m.OnOverFlow = [&](TObject*) { log += "H"; };
  m.OnNormalRange = [&](TObject*) { log += "N"; };
  m.OnUnderFlow = [&](TObject*) { log += "L"; };
  m.SetMeterMaxValue(10);
  m.SetThresholdLow(2);
  m.SetThresholdHigh(8);
  EXPECT_EQ(log, "L") << "value 0 is not above the new low threshold";
  log.clear();
  m.SetValue(50);
  EXPECT_EQ(m.Value(), 10);
  EXPECT_EQ(log, "H");
  EXPECT_TRUE(m.HighState());
  m.SetValue(12);  // clamps to the same 10: nothing
  EXPECT_EQ(log, "H");
  m.SetValue(5);
  m.SetValue(2);
  EXPECT_EQ(log, "HNL");
  EXPECT_TRUE(m.LowState());
  m.SetThresholdHigh(1);  // below the low one: the low one moves down
  EXPECT_EQ(m.ThresholdLow(), 1);
  EXPECT_EQ(log, "HNLH");
  m.SetThresholdLow(9);  // above the high one: the high one moves up
  EXPECT_EQ(m.ThresholdHigh(), 9);
  EXPECT_EQ(log, "HNLHL");
  m.SetThresholdLow(-5);
  EXPECT_EQ(m.ThresholdLow(), 0) << "kept within the scale";
  log.clear();
  m.NeedleLayout().SetVisible(false);
  m.SetValue(9.5);
  EXPECT_EQ(log, "") << "no events while the primary needle is hidden";
  m.NeedleLayout().SetVisible(true);
  m.BeginLoading();
  m.SetValue(1);
  m.EndLoading();
  EXPECT_EQ(log, "") << "loading only stores";
  EXPECT_EQ(m.Value(), 1);
  m.SetValueSec(-4);
  EXPECT_EQ(m.ValueSec(), 0);
}

TEST_F(Meter, DegenerateRangesStayFinite) {
  TMeter m(nullptr);
  m.SetMeterMinValue(0);
  m.SetMeterMaxValue(0);
  m.SetValue(3);
  EXPECT_EQ(m.Value(), 0);
  EXPECT_EQ(m.ScaleFraction(0), 0);
  EXPECT_DOUBLE_EQ(m.CalcNeedleAngle(0), 135) << "a one-point scale shows its value at the minimum end";
  double v;
  ASSERT_TRUE(m.ConvertPixelToValue(148, 50, v));
  EXPECT_EQ(v, 0);
  m.SetScaleBkVisible(true);
  EXPECT_NO_THROW(m.PaintToBitmap());

  TMeter g(nullptr);
  g.SetLogarithmic(true);  // minimum 0: refused
  EXPECT_FALSE(g.Logarithmic());
  g.SetMeterMinValue(1);
  g.SetMeterMaxValue(100);
  g.SetLogarithmic(true);
  EXPECT_TRUE(g.Logarithmic());
  g.SetThresholdLow(1e-200);  // ignored on a logarithmic scale
  EXPECT_EQ(g.ThresholdLow(), 1);
  g.SetMeterMinValue(-5);  // a logarithmic scale cannot reach it: the scale turns linear
  EXPECT_FALSE(g.Logarithmic());
  g.SetValue(-5);
  EXPECT_DOUBLE_EQ(g.CalcNeedleAngle(-5), 135);
  EXPECT_TRUE(std::isfinite(g.ConvertToPixelCoords(-5, 100).X));
  g.SetMeterMinValue(std::nan(""));  // not a number: ignored
  EXPECT_EQ(g.MeterMinValue(), -5);
  g.SetValue(std::nan(""));
  EXPECT_EQ(g.Value(), -5);
}

// ---------------------------------------------------------------- labels and events of drawing
TEST_F(Meter, ScaleLabelsLinearAndLog) {
  TMeter m(nullptr);
  std::vector<std::string> labels;
  m.OnBeforeDrawScaleLabel = [&](TObject*, TCanvas&, int, int, std::string& s) { labels.push_back(s); };
  int rendered = 0;
  m.OnMeterRendered = [&](TObject*) { ++rendered; };
  m.SetMeterMaxValue(10);
  m.SetMeterDecPlaces(0);
  m.PaintToBitmap();
  ASSERT_GE(labels.size(), 3u);
  EXPECT_EQ(labels.front(), "0");
  EXPECT_EQ(labels.back(), "10");
  EXPECT_EQ(rendered, 1);
  labels.clear();
  m.SetMeterMinValue(1);
  m.SetMeterMaxValue(1000);
  m.SetLogarithmic(true);
  m.PaintToBitmap();
  EXPECT_EQ(labels, (std::vector<std::string>{"1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"}));
  // A reversed scale runs from its maximum on the left down to its minimum.
  labels.clear();
  TMeter r(nullptr);
  r.OnBeforeDrawScaleLabel = m.OnBeforeDrawScaleLabel;
  r.SetMeterDecPlaces(0);
  r.SetMeterMinValue(10);
  r.SetMeterMaxValue(0);
  r.SetValue(2.5);
  EXPECT_DOUBLE_EQ(r.ScaleFraction(2.5), 0.75);
  r.PaintToBitmap();
  ASSERT_GE(labels.size(), 3u);
  EXPECT_EQ(labels.front(), "10");
  EXPECT_EQ(labels.back(), "0");
}

TEST_F(Meter, MouseMoveReportsTheValueUnderThePointer) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 320, 240);
  auto* m = new TMeter(&form);
  m->SetParent(&form);
  m->SetBounds(10, 10, 297, 209);
  m->SetMeterMaxValue(100);
  form.Show();
  std::vector<double> seen;
  m->OnMouseMoveInMeter = [&](TObject*, TShiftState, double v) { seen.push_back(v); };
  Application()->PostMouseMove(&form, 0, 10 + 148, 10 + 60);
  Application()->PostMouseMove(&form, 0, 10 + 148, 10 + 205);  // below the pivot: not on the sweep
  Application()->ProcessMessages();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_NEAR(seen[0], 50, 1e-9);
}

// ---------------------------------------------------------------- pictures
namespace {

// Bands of [0, .25], [.25, .75], [.75, 1] as a ring from R·(1 − w) to R + 4.
void CheckBands(int W, int H, TColorScheme scheme) {
  TMeter m(nullptr);
  m.SetBounds(0, 0, W, H);
  m.SetColorScheme(scheme);
  m.SetScaleVisible(false);
  m.NeedleLayout().SetVisible(false);
  m.SetAnchorCovered(false);
  m.SetThresholdLow(0.25);
  m.SetThresholdHigh(0.75);
  m.SetScaleBkVisible(true);
  m.SetScaleBkWidth(10);
  auto bmp = m.PaintToBitmap();
  const double R = H - 10 - 8 - 16;
  const double inner = std::lround(0.9 * R);
  auto at = [&](double q, double r) {
    const double th = (90 + 45 - 90 * q) * 3.14159265358979 / 180;
    return bmp->GetPixel(static_cast<int>(std::lround(W / 2 + std::cos(th) * r)),
                         static_cast<int>(std::lround(H - 18 - std::sin(th) * r)));
  };
  const double ring = (inner + R + 4) / 2;
  EXPECT_EQ(at(0.1, ring), 0x00FF00u) << W;
  EXPECT_EQ(at(0.5, ring), 0x0080FFu) << W;
  EXPECT_EQ(at(0.9, ring), 0x0000FFu) << W;
  EXPECT_EQ(at(0.5, inner - 3), clWhite) << "inside the ring";
  EXPECT_EQ(at(0.5, R + 6), clWhite) << "outside the bands";
  EXPECT_EQ(at(-0.03, ring), clWhite) << "beyond the minimum";
  // Frame: raised, highlight top-left, shadow bottom-right.
  EXPECT_EQ(bmp->GetPixel(0, 0), clWhite);
  EXPECT_EQ(bmp->GetPixel(W - 1, H - 1), scheme == csBWG ? clGray : RGB(160, 160, 160));
  // Lamps: value 0 is at the low threshold or below.
  EXPECT_EQ(bmp->GetPixel(18, H - 18), clRed);
  EXPECT_EQ(bmp->GetPixel(W - 19, H - 18), clGray);
  m.SetValue(1);
  bmp = m.PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(18, H - 18), clGray);
  EXPECT_EQ(bmp->GetPixel(W - 19, H - 18), clRed);
}

}  // namespace

TEST_F(Meter, BandsFrameAndLampsAtTwoSizesAndSchemes) {
  CheckBands(297, 209, csBWG);
  CheckBands(297, 209, csSystem);
  CheckBands(360, 240, csBWG);
  CheckBands(360, 240, csSystem);
}

TEST_F(Meter, NeedleDrawnUnlessSkipped) {
  TMeter m(nullptr);
  m.SetValue(0.5);
  m.SetAnchorCovered(false);
  m.SetScaleVisible(false);
  m.NeedleLayout().SetThickness(6);
  m.NeedleLayout().SetColorBody(clLime);
  auto bmp = m.PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(148, 120), clLime) << "inside the shaft";
  EXPECT_EQ(bmp->GetPixel(160, 120), clWhite);
  int calls = 0;
  m.OnBeforeDrawNeedle = [&](TObject*, TCanvas&, bool& skip) {
    ++calls;
    skip = true;
  };
  m.Invalidate();
  bmp = m.PaintToBitmap();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(bmp->GetPixel(148, 120), clWhite);
}

TEST_F(Meter, ImagesLoadOrKeepThePreviousOne) {
  const std::string dir = GetTempDirectory() + "zol_meter_test/";
  ForceDirectories(dir);
  TBitmap img(6, 4);
  img.Canvas().Brush().SetColor(clFuchsia);
  img.Canvas().FillRect(Rect(0, 0, 6, 4));
  img.SaveToFile(dir + "bg.bmp");
  // A damaged copy: the header promises more pixels than the file holds.
  {
    TFileStream in(dir + "bg.bmp", fmOpenRead);
    std::string bytes(static_cast<size_t>(in.Size()), '\0');
    in.ReadBuffer(bytes.data(), in.Size());
    TFileStream out(dir + "cut.bmp", fmCreate);
    out.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size() / 2));
  }
  TMeter m(nullptr);
  m.SetScaleVisible(false);
  m.NeedleLayout().SetVisible(false);
  m.SetBackGroundImg(dir + "bg.bmp");
  EXPECT_EQ(m.BackGroundImg(), dir + "bg.bmp");
  m.SetBkgndFillMode(bfTile);
  auto bmp = m.PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(100, 100), clFuchsia) << "the face is tiled with the image";
  m.SetBackGroundImg(dir + "cut.bmp");
  EXPECT_EQ(m.BackGroundImg(), dir + "bg.bmp") << "a damaged file leaves the previous image";
  m.SetBackGroundImg("");
  EXPECT_EQ(m.BackGroundImg(), "");
  bmp = m.PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(100, 100), clWhite);
  DeleteFile(dir + "bg.bmp");
  DeleteFile(dir + "cut.bmp");
  RemoveDir(dir);
}

TEST_F(Meter, HugeRangesStayFinite) {
  TMeter m(nullptr);
  m.SetMeterMinValue(-1.5e308);
  m.SetMeterMaxValue(1.5e308);
  m.SetValue(0);
  EXPECT_NEAR(m.ScaleFraction(0), 0.5, 1e-12);
  EXPECT_NEAR(m.ScaleFraction(7.5e307), 0.75, 1e-12);
  double v = 1;
  ASSERT_TRUE(m.ConvertPixelToValue(148, 50, v));
  EXPECT_EQ(v, 0);
  ASSERT_TRUE(m.ConvertPixelToValue(48, 91, v));
  EXPECT_EQ(v, -1.5e308);
  EXPECT_NO_THROW(m.PaintToBitmap());
}
