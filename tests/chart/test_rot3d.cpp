// TRot3D: integer rotation and projection against the NumPy/SciPy reference
// (tests/chart/ref/plot3d_projection.py), the display list, item list and
// searches, pixels of marks, mouse rotation through the headless host, and
// far-away points that must not wrap around into the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "chart/Zol_rot3d.h"
#include "tests/chart/ref/plot3d_records.h"

using namespace zol;

namespace {

using plot3dref::Records;

class Rot3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application()->ResetHeadless();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 500, 360);
    rot = new TRot3D(form.get());
    rot->SetParent(form.get());
  }
  // Cube coordinates equal to the world coordinates.
  void Identity() {
    rot->SetAutoOrigin(false);
    rot->SetAutoScale(false);
    rot->SetOrigins(0, 0, 0);
    rot->SetScaleFactors(1, 1, 1);
  }
  void Bare() {
    rot->SetFrameStyle(fsNone);
    rot->SetBoundBoxStyle(bbNone);
    rot->SetShowAxes(false);
  }
  std::unique_ptr<TForm> form;
  TRot3D* rot = nullptr;
};

int64_t TruncDiv(int64_t a, int64_t b) { return a / b; }  // C++ division truncates towards zero

}  // namespace

TEST_F(Rot3DTest, DefaultsAndClamping) {
  EXPECT_EQ(rot->Width(), 450);
  EXPECT_EQ(rot->Height(), 300);
  EXPECT_EQ(rot->CentX(), 225);
  EXPECT_EQ(rot->CentY(), 150);
  EXPECT_EQ(rot->ViewAngleX(), 110);
  EXPECT_EQ(rot->ViewAngleY(), 150);
  EXPECT_EQ(rot->ViewAngleZ(), 210);
  EXPECT_EQ(rot->Magnification(), 0.8);
  EXPECT_EQ(rot->MagDivisor(), 5000);
  EXPECT_EQ(rot->GetBoundBoxSize(), 800);
  EXPECT_EQ(rot->AxSize(), 700);
  EXPECT_EQ(rot->AxDir(), adLeftHanded);
  EXPECT_EQ(rot->AllocSize(), 1000);
  EXPECT_EQ(rot->ColorCubeFaceHigh(), RGB(238, 238, 238));
  EXPECT_EQ(rot->TextMarkSize(), 8);
  EXPECT_TRUE(rot->AutoOrigin());
  EXPECT_TRUE(rot->AutoScale());
  EXPECT_FALSE(rot->IsoMetric());

  rot->SetBoundBoxSize(5000);
  EXPECT_EQ(rot->GetBoundBoxSize(), 4000);
  rot->SetBoundBoxSize(801);  // kept as half the edge
  EXPECT_EQ(rot->GetBoundBoxSize(), 800);
  rot->SetAxSize(-5);
  EXPECT_EQ(rot->AxSize(), 0);
  rot->SetMagnification(0.05);
  EXPECT_EQ(rot->Magnification(), 0.1);
  EXPECT_EQ(rot->MagDivisor(), 40000);
  rot->SetMagnification(7);
  EXPECT_EQ(rot->Magnification(), 5);
  EXPECT_EQ(rot->MagDivisor(), 800);
  rot->SetMagnification(3);
  EXPECT_EQ(rot->MagDivisor(), 1333);
  rot->SetViewAngles(-90, 720, 361);
  EXPECT_EQ(rot->ViewAngleX(), 270);
  EXPECT_EQ(rot->ViewAngleY(), 0);
  EXPECT_EQ(rot->ViewAngleZ(), 1);
}

TEST_F(Rot3DTest, RotationAndProjectionMatchReference) {
  const auto recs = Records("rotmat");
  ASSERT_EQ(recs.size(), 4u);
  const int pts[7][3] = {{-400, -400, -400}, {400, -400, 400}, {400, 400, 400}, {0, 0, 0},
                         {700, 0, 0},        {0, -700, 0},     {123, -456, 789}};
  Identity();
  for (const auto& p : pts) rot->MarkAt(p[0], p[1], p[2], 0);
  rot->MakeVisible();
  for (const auto& r : recs) {
    SCOPED_TRACE("mode " + std::to_string(r[0]) + " angles " + std::to_string(r[1]) + " " + std::to_string(r[2]) +
                 " " + std::to_string(r[3]));
    rot->SetMouseRot3Axes(r[0] == 3);
    rot->SetViewAngles(r[1], r[2], r[3]);
    rot->SetMagnification(r[4]);
    rot->SetCentX(static_cast<int>(r[5]));
    rot->SetCentY(static_cast<int>(r[6]));
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) EXPECT_EQ(rot->GetRotMat(i + 1, j + 1), static_cast<int>(r[7 + 3 * i + j]));
    for (int k = 0; k < 7; ++k) {
      const TPoint s = rot->DisplayPointScreenPos(k + 1);
      EXPECT_EQ(s.X, static_cast<int>(r[16 + 2 * k])) << "point " << k;
      EXPECT_EQ(s.Y, static_cast<int>(r[17 + 2 * k])) << "point " << k;
    }
  }
  EXPECT_EQ(rot->GetRotMat(0, 1), 0);
  EXPECT_EQ(rot->GetRotMat(1, 4), 0);
}

TEST_F(Rot3DTest, RightHandedExchangesTwoColumns) {
  const int r11 = rot->GetRotMat(1, 1), r12 = rot->GetRotMat(1, 2), r33 = rot->GetRotMat(3, 3);
  rot->SetAxDir(adRightHanded);
  EXPECT_EQ(rot->GetRotMat(1, 1), r12);
  EXPECT_EQ(rot->GetRotMat(1, 2), r11);
  EXPECT_EQ(rot->GetRotMat(3, 3), r33);
}

TEST_F(Rot3DTest, DisplayListScaling) {
  const auto cloud = Records("rotcloud");
  const auto iso = Records("rotcloudiso");
  ASSERT_EQ(cloud.size(), 1u);
  ASSERT_EQ(iso.size(), 1u);
  const double pts[4][3] = {{1.0, 2.0, 3.0}, {11.3, -3.0, 3.5}, {6.0, 7.2, 5.0}, {2.0, 0.0, 1.1}};
  for (const auto& p : pts) rot->MarkAt(p[0], p[1], p[2], 0);
  rot->MakeVisible();
  EXPECT_NEAR(rot->GetScaleFactX(), cloud[0][0], 1e-12);
  EXPECT_NEAR(rot->GetScaleFactY(), cloud[0][1], 1e-12);
  EXPECT_NEAR(rot->GetScaleFactZ(), cloud[0][2], 1e-12);
  EXPECT_NEAR(rot->OriginX(), 5.075, 1e-12);  // the centroid
  EXPECT_NEAR(rot->OriginZ(), 3.15, 1e-12);
  for (int k = 0; k < 4; ++k) {
    int64_t x, y, z;
    rot->DisplayPointCube(k + 1, x, y, z);
    EXPECT_EQ(x, cloud[0][3 + 3 * k]);
    EXPECT_EQ(y, cloud[0][4 + 3 * k]);
    EXPECT_EQ(z, cloud[0][5 + 3 * k]);
  }
  rot->SetIsoMetric(true);
  rot->MakeVisible();
  for (int k = 0; k < 4; ++k) {
    int64_t x, y, z;
    rot->DisplayPointCube(k + 1, x, y, z);
    EXPECT_EQ(x, iso[0][3 * k]);
    EXPECT_EQ(y, iso[0][1 + 3 * k]);
    EXPECT_EQ(z, iso[0][2 + 3 * k]);
  }
  // Without AutoScale the stored factors are used.
  rot->SetIsoMetric(false);
  rot->SetAutoScale(false);
  rot->SetScaleFactors(2, 2, 2);
  rot->MakeVisible();
  int64_t x, y, z;
  rot->DisplayPointCube(1, x, y, z);
  EXPECT_EQ(x, std::llround((1.0 - 5.075) * 2));
  EXPECT_EQ(rot->GetScaleFactX(), 2);
}

TEST_F(Rot3DTest, SingleItemSitsAtTheCentre) {
  rot->MarkAt(3, -7, 1e5, 0);
  rot->MakeVisible();
  EXPECT_EQ(rot->GetScaleFactX(), 1);
  EXPECT_EQ(rot->GetScaleFactY(), 1);
  EXPECT_EQ(rot->GetScaleFactZ(), 1);
  EXPECT_EQ(rot->DisplayPointScreenPos(1), Point(rot->CentX(), rot->CentY()));
  // An empty list: nothing to show, no division.
  rot->Clear();
  rot->MakeVisible();
  EXPECT_EQ(rot->DisplayListSize(), 0);
  EXPECT_EQ(rot->GetScaleFactX(), 1);
}

TEST_F(Rot3DTest, MarksLandOnTheirPixels) {
  // Four single-pixel marks (code 0) in four colours at the default angles:
  // the cube coordinates of the reference cloud through the reference matrix.
  const auto cloud = Records("rotcloud");
  const auto mat = Records("rotmat");
  ASSERT_EQ(cloud.size(), 1u);
  Bare();
  rot->SetBounds(0, 0, 450, 300);
  const double pts[4][3] = {{1.0, 2.0, 3.0}, {11.3, -3.0, 3.5}, {6.0, 7.2, 5.0}, {2.0, 0.0, 1.1}};
  const TColor cols[4] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255), RGB(200, 0, 200)};
  for (int k = 0; k < 4; ++k) {
    rot->SetDataColor(cols[k]);
    rot->MarkAt(pts[k][0], pts[k][1], pts[k][2], 0);
  }
  rot->MakeVisible();
  auto bmp = rot->PaintToBitmap();
  const auto& r = mat[0];  // mode 2, 110/150/210, magnification 0.8, centre 225/150
  int coloured = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 450; ++x) coloured += bmp->Canvas().Pixels(x, y) != clWhite;
  EXPECT_EQ(coloured, 4);
  for (int k = 0; k < 4; ++k) {
    const int64_t X = static_cast<int64_t>(cloud[0][3 + 3 * k]), Y = static_cast<int64_t>(cloud[0][4 + 3 * k]),
                  Z = static_cast<int64_t>(cloud[0][5 + 3 * k]);
    const int64_t sx = TruncDiv(X * int64_t(r[7]) + Y * int64_t(r[8]) + Z * int64_t(r[9]), 5000) + 225;
    const int64_t sy = TruncDiv(X * int64_t(r[10]) + Y * int64_t(r[11]) + Z * int64_t(r[12]), 5000) + 150;
    EXPECT_EQ(bmp->Canvas().Pixels(static_cast<int>(sx), static_cast<int>(sy)), cols[k]) << k;
  }
}

TEST_F(Rot3DTest, FarAwayPointsDoNotWrapIntoThePicture) {
  Bare();
  Identity();
  rot->SetBounds(0, 0, 450, 300);
  rot->SetDataColor(clRed);
  rot->MarkAt(1e12, 0, 0, 3);
  rot->MarkAt(-1e300, 5e11, 0, 3);
  rot->MarkAt(0, 0, std::numeric_limits<double>::quiet_NaN(), 3);
  rot->MarkAt(std::numeric_limits<double>::infinity(), 0, 0, 3);
  rot->MakeVisible();
  int64_t x, y, z;
  rot->DisplayPointCube(1, x, y, z);
  EXPECT_EQ(x, 100000);
  rot->DisplayPointCube(2, x, y, z);
  EXPECT_EQ(x, -100000);
  EXPECT_EQ(y, 100000);
  // R11 = -866, R21 = 171 at the default angles: far left and far below.
  const TPoint s = rot->DisplayPointScreenPos(1);
  EXPECT_EQ(s.X, 100000 * -866 / 5000 + 225);
  EXPECT_EQ(s.Y, 100000 * 171 / 5000 + 150);
  auto bmp = rot->PaintToBitmap();
  int coloured = 0;
  for (int yy = 0; yy < 300; ++yy)
    for (int xx = 0; xx < 450; ++xx) coloured += bmp->Canvas().Pixels(xx, yy) != clWhite;
  EXPECT_EQ(coloured, 0);

  // Automatic scaling of a cloud with one stray point: the stray point is
  // limited to the cube, the others keep their places.
  rot->Clear();
  rot->SetAutoOrigin(true);
  rot->SetAutoScale(true);
  rot->MarkAt(0, 0, 0, 0);
  rot->MarkAt(1, 1, 1, 0);
  rot->MarkAt(1e308, -1e308, 1e308, 0);
  rot->MakeVisible();
  rot->DisplayPointCube(3, x, y, z);
  EXPECT_LE(std::llabs(x), 100000);
  EXPECT_LE(std::llabs(y), 100000);
  rot->PaintToBitmap();
}

TEST_F(Rot3DTest, ItemList) {
  EXPECT_EQ(rot->GetTypeOfFirstItem(), TRot3D::tkNone);
  rot->SetAllocSize(2);
  rot->SetDataColor(clBlue);
  rot->SetDataTag(7);
  rot->SetLineWidth(3);
  rot->Moveto(1, 2, 3);
  rot->Drawto(4, 5, 6);
  rot->Line(0, 0, 0, 9, 9, 9);
  rot->MarkAt(-1, -1, -1, 12);
  rot->SetDataTag(8);
  rot->MarkAt(5, 5, 5, 201);
  EXPECT_EQ(rot->NumItems(), 5);
  EXPECT_EQ(rot->GetItemCount(TRot3D::tkMarkAt), 2);
  EXPECT_EQ(rot->GetItemCount(TRot3D::tkEverything), 5);
  EXPECT_EQ(rot->GetTypeOfFirstItem(), TRot3D::tkMoveto);
  EXPECT_EQ(rot->GetTypeOfLastItem(), TRot3D::tkMarkAt);

  Tr3ChartItem it = rot->GetChartItem(1);
  EXPECT_EQ(it.Kind, TRot3D::tkLineto);
  EXPECT_EQ(it.Color, clBlue);
  EXPECT_EQ(it.Tag, 7);
  EXPECT_EQ(it.MarkOrWidth, 3);
  EXPECT_EQ(it.Z, 6);
  it = rot->GetChartItem(2);
  EXPECT_EQ(it.Kind, TRot3D::tkLine);
  EXPECT_EQ(it.X2, 9);
  EXPECT_EQ(rot->GetChartItem(3).MarkOrWidth, 12);
  EXPECT_EQ(rot->GetChartItem(4).Tag, 8);
  EXPECT_EQ(rot->GetChartItem(5).Kind, TRot3D::tkNone);
  EXPECT_EQ(rot->GetChartItem(-1).Kind, TRot3D::tkNone);

  // SetItemParams refuses tkNone and tkEverything; SetChartitem overwrites.
  Tr3ChartItem bad = rot->GetChartItem(0);
  bad.Kind = TRot3D::tkEverything;
  rot->SetItemParams(0, bad);
  EXPECT_EQ(rot->GetChartItem(0).Kind, TRot3D::tkMoveto);
  bad.Kind = TRot3D::tkNone;
  rot->SetItemParams(0, bad);
  EXPECT_EQ(rot->GetChartItem(0).Kind, TRot3D::tkMoveto);
  Tr3ChartItem good = rot->GetChartItem(0);
  good.Kind = TRot3D::tkMarkAt;
  good.X = 100;
  rot->SetItemParams(0, good);
  EXPECT_EQ(rot->GetChartItem(0).Kind, TRot3D::tkMarkAt);
  EXPECT_EQ(rot->GetChartItem(0).X, 100);
  rot->SetChartitem(9, good);  // out of range: ignored
  EXPECT_EQ(rot->NumItems(), 5);

  rot->RemoveItem(1);  // the line-to
  EXPECT_EQ(rot->NumItems(), 4);
  EXPECT_EQ(rot->GetChartItem(1).Kind, TRot3D::tkLine);
  rot->RemoveFirstItem();
  EXPECT_EQ(rot->GetTypeOfFirstItem(), TRot3D::tkLine);
  rot->RemoveLastItem();
  EXPECT_EQ(rot->GetTypeOfLastItem(), TRot3D::tkMarkAt);
  EXPECT_EQ(rot->GetChartItem(1).MarkOrWidth, 12);
  rot->RemoveItem(17);
  EXPECT_EQ(rot->NumItems(), 2);
  rot->Clear();
  EXPECT_EQ(rot->NumItems(), 0);
  EXPECT_EQ(rot->GetTypeOfLastItem(), TRot3D::tkNone);
}

TEST_F(Rot3DTest, Searches) {
  double d = 0;
  EXPECT_EQ(rot->FindNearestItemReal(0, 0, 0, TRot3D::tkEverything, d), -1);
  EXPECT_EQ(d, std::sqrt(std::numeric_limits<double>::max()));
  rot->MarkAt(1, 0, 0, 0);   // 0
  rot->Moveto(0, 3, 0);      // 1
  rot->MarkAt(-1, 0, 0, 0);  // 2: as near as item 0
  rot->Line(10, 10, 10, 0, 0, 0.5);  // 3: its second point is not searched by the real search
  EXPECT_EQ(rot->FindNearestItemReal(0, 0, 0, TRot3D::tkNone, d), -1);
  EXPECT_EQ(rot->FindNearestItemReal(0, 0, 0, TRot3D::tkEverything, d), 0);
  EXPECT_DOUBLE_EQ(d, 1.0);
  EXPECT_EQ(rot->FindNearestItemReal(0, 2, 0, TRot3D::tkMoveto, d), 1);
  EXPECT_DOUBLE_EQ(d, 1.0);
  EXPECT_EQ(rot->FindNearestItemReal(0, 0, 0, TRot3D::tkLineto, d), -1);
  EXPECT_EQ(rot->FindNearestItemReal(9, 9, 9, TRot3D::tkLine, d), 3);
  EXPECT_DOUBLE_EQ(d, std::sqrt(3.0));

  // Screen search: display-list positions (1-based), a line contributing two.
  rot->MakeVisible();
  EXPECT_EQ(rot->DisplayListSize(), 5);
  const TPoint p5 = rot->DisplayPointScreenPos(5);
  EXPECT_EQ(rot->FindNearestItemScreen(p5.X + 3, p5.Y + 4, TRot3D::tkLine, d), 5);
  EXPECT_DOUBLE_EQ(d, 5.0);
  const TPoint p2 = rot->DisplayPointScreenPos(2);
  EXPECT_EQ(rot->FindNearestItemScreen(p2.X, p2.Y, TRot3D::tkMoveto, d), 2);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(rot->FindNearestItemScreen(p2.X, p2.Y, TRot3D::tkNone, d), -1);
}

TEST_F(Rot3DTest, PaletteOf32Colours) {
  Bare();
  Identity();
  for (int k = 0; k < 32; ++k) {
    rot->SetDataColor(RGB(k * 8, 0, 0));
    rot->MarkAt(-160 * 20 + k * 200, 0, 0, 0);
  }
  rot->SetDataColor(RGB(250, 0, 10));  // a 33rd colour: shown as the nearest, (248, 0, 0)
  rot->MarkAt(-160 * 20 + 32 * 200, 0, 0, 0);
  rot->MakeVisible();
  rot->SetViewAngles(0, 0, 0);  // R = 1000·identity: 200 cube units = 40 pixels apart
  rot->SetBounds(0, 0, 1500, 100);
  auto bmp = rot->PaintToBitmap();
  for (int k = 0; k <= 32; ++k) {
    const TPoint p = rot->DisplayPointScreenPos(k + 1);
    ASSERT_GE(p.X, 0);
    ASSERT_LT(p.X, 1500);
    EXPECT_EQ(bmp->Canvas().Pixels(p.X, p.Y), k < 32 ? RGB(k * 8, 0, 0) : RGB(248, 0, 0)) << k;
  }
}

TEST_F(Rot3DTest, LinesAndMovesDrawWithTheirOwnColourAndWidth) {
  Bare();
  Identity();
  rot->SetBounds(0, 0, 100, 100);
  rot->SetViewAngles(0, 0, 0);
  rot->SetMagnification(4);  // divisor 1000: one cube unit per pixel
  rot->SetDataColor(clRed);
  rot->Moveto(-40, -30, 0);
  rot->Drawto(40, -30, 0);  // horizontal line y = 20 from x 10 to 89
  rot->SetDataColor(clBlue);
  rot->SetLineWidth(3);
  rot->Line(-40, 20, 0, 40, 20, 0);  // a band of rows 69..71
  rot->SetDataColor(clLime);
  rot->SetLineWidth(1);
  rot->Drawto(0, 40, 0);  // continues from the end of the line
  rot->Drawto(0, std::numeric_limits<double>::quiet_NaN(), 0);
  rot->Drawto(30, 45, 0);  // after a NaN point: only a move
  rot->MakeVisible();
  auto bmp = rot->PaintToBitmap();
  auto px = [&](int x, int y) { return bmp->Canvas().Pixels(x, y); };
  EXPECT_EQ(px(10, 20), clRed);
  EXPECT_EQ(px(50, 20), clRed);
  EXPECT_EQ(px(90, 20), clWhite);
  EXPECT_EQ(px(50, 19), clWhite);
  EXPECT_EQ(px(30, 69), clBlue);
  EXPECT_EQ(px(30, 70), clBlue);
  EXPECT_EQ(px(30, 71), clBlue);
  EXPECT_EQ(px(30, 73), clWhite);
  EXPECT_EQ(px(70, 80), clLime);  // on the way from (90, 70) to (50, 90)
  EXPECT_EQ(px(65, 92), clWhite);  // no line from (50, 90) on to (80, 95)
  EXPECT_EQ(px(65, 93), clWhite);
  EXPECT_EQ(px(75, 94), clWhite);
}

TEST_F(Rot3DTest, CharacterMarksAreCentred) {
  // Codes 200..209 are the digits, drawn in the item colour, centred on the
  // point, at TextMarkSize points; a larger size gives a larger glyph.
  Bare();
  rot->SetBounds(0, 0, 120, 120);
  rot->SetDataColor(RGB(0, 0, 200));
  rot->MarkAt(0, 0, 0, 208);  // "8"
  rot->MakeVisible();
  auto box = [&](int& w, int& h) {
    auto bmp = rot->PaintToBitmap();
    int x0 = 1000, y0 = 1000, x1 = -1, y1 = -1;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 120; ++x) {
        const TColor c = bmp->Canvas().Pixels(x, y);
        if (c == clWhite) continue;
        EXPECT_GE(GetBValue(c), GetRValue(c)) << x << "," << y;  // blue ink blended on white
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
    w = x1 - x0 + 1;
    h = y1 - y0 + 1;
    EXPECT_NEAR((x0 + x1) / 2.0, 60, 2.5);
    EXPECT_NEAR((y0 + y1) / 2.0, 60, 3.5);
  };
  int w8, h8, w20, h20;
  box(w8, h8);
  EXPECT_GT(h8, 4);
  rot->SetTextMarkSize(20);
  box(w20, h20);
  EXPECT_GT(h20, h8 * 2);
  EXPECT_GT(w20, w8);
}

TEST_F(Rot3DTest, MouseDragRotates) {
  form->Show();
  rot->SetBounds(0, 0, 450, 300);
  Application()->ProcessMessages();
  auto* app = Application();
  // Two axes: azimuth 210 + (200 - 155)·360/450 = 246; elevation
  // 110 + (300 + 180 - 150)·360/300 = 506 -> 146.
  app->PostMouseMove(form.get(), 0, 200, 150);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 200, 150);
  app->PostMouseMove(form.get(), ssLeft, 155, 180);
  app->PostMouseUp(form.get(), mbLeft, 0, 155, 180);
  app->ProcessMessages();
  EXPECT_NEAR(rot->ViewAngleZ(), 246, 1e-9);
  EXPECT_NEAR(rot->ViewAngleX(), 146, 1e-9);
  EXPECT_EQ(rot->ViewAngleY(), 150);

  // Three axes: x from the horizontal, y from the vertical movement.
  rot->SetMouseRot3Axes(true);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 200, 150);
  app->PostMouseMove(form.get(), ssLeft, 155, 180);
  app->PostMouseUp(form.get(), mbLeft, 0, 155, 180);
  app->ProcessMessages();
  EXPECT_NEAR(rot->ViewAngleX(), 182, 1e-9);
  EXPECT_NEAR(rot->ViewAngleY(), 186, 1e-9);
  EXPECT_NEAR(rot->ViewAngleZ(), 246, 1e-9);

  // Zoom: 0.8 + 4.9·50/300.
  rot->SetMouseAction(maZoom);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 200, 150);
  app->PostMouseMove(form.get(), ssLeft, 200, 100);
  app->PostMouseUp(form.get(), mbLeft, 0, 200, 100);
  app->ProcessMessages();
  EXPECT_NEAR(rot->Magnification(), 0.8 + 4.9 * 50 / 300, 1e-12);
  EXPECT_EQ(rot->MagDivisor(), 2474);

  // Pan.
  rot->SetMouseAction(maPan);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 200, 150);
  app->PostMouseMove(form.get(), ssLeft, 190, 170);
  app->PostMouseUp(form.get(), mbLeft, 0, 190, 170);
  app->ProcessMessages();
  EXPECT_EQ(rot->CentX(), 215);
  EXPECT_EQ(rot->CentY(), 170);

  // Rotate-and-zoom: the right button zooms back.
  rot->SetMouseAction(maRotAndZoom);
  app->PostMouseDown(form.get(), mbRight, ssRight, 200, 150);
  app->PostMouseMove(form.get(), ssRight, 200, 200);
  app->PostMouseUp(form.get(), mbRight, 0, 200, 200);
  app->ProcessMessages();
  EXPECT_NEAR(rot->Magnification(), 0.8, 1e-12);
  EXPECT_NEAR(rot->ViewAngleX(), 182, 1e-9);
}

TEST_F(Rot3DTest, CubeAndEvents) {
  // The box at the default angles: the far corner (smallest row 3) has the
  // hidden-line colour, the other corners the frame colour.
  rot->SetFrameStyle(fsNone);
  rot->SetShowAxes(false);
  rot->SetBoundBoxStyle(bbFrame);
  rot->SetColorCubeFrame(RGB(1, 2, 3));
  rot->SetColorCubeHidLin(RGB(200, 100, 0));
  std::vector<std::string> order;
  rot->OnBeforeRenderData = [&](TObject*, TCanvas&) { order.push_back("before"); };
  rot->OnDataRendered = [&](TObject*, TCanvas&) { order.push_back("after"); };
  auto bmp = rot->PaintToBitmap();
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0], "before");
  int far = 0;
  int64_t best = 0;
  for (int n = 0; n < 8; ++n) {
    const int64_t X = n & 4 ? 400 : -400, Y = n & 2 ? 400 : -400, Z = n & 1 ? 400 : -400;
    const int64_t t = X * rot->GetRotMat(3, 1) + Y * rot->GetRotMat(3, 2) + Z * rot->GetRotMat(3, 3);
    if (n == 0 || t < best) {
      best = t;
      far = n;
    }
  }
  for (int n = 0; n < 8; ++n) {
    const int64_t X = n & 4 ? 400 : -400, Y = n & 2 ? 400 : -400, Z = n & 1 ? 400 : -400;
    const int sx = static_cast<int>(
        (X * rot->GetRotMat(1, 1) + Y * rot->GetRotMat(1, 2) + Z * rot->GetRotMat(1, 3)) / 5000 + 225);
    const int sy = static_cast<int>(
        (X * rot->GetRotMat(2, 1) + Y * rot->GetRotMat(2, 2) + Z * rot->GetRotMat(2, 3)) / 5000 + 150);
    if (n != far) {
      EXPECT_EQ(bmp->Canvas().Pixels(sx, sy), RGB(1, 2, 3)) << n;
    }
  }
}
