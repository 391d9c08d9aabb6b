// TPlot3D: projections against the NumPy reference (tests/chart/ref/plot3d_projection.py),
// small pictures worked out from the drawing rules, mouse rotation through the
// headless host, and the defined results for degenerate grids and ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "base/platform/Zol_sysutils.h"
#include "chart/Zol_plot3d.h"
#include "tests/chart/ref/plot3d_records.h"

using namespace zol;

namespace {

// Records of the reference file whose first word is key, split into numbers.
using plot3dref::Records;

class Plot3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application()->ResetHeadless();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 700, 560);
    plot = new TPlot3D(form.get());
    plot->SetParent(form.get());
  }
  // A bare picture: no frame, no cube, no axes.
  void Bare() {
    plot->SetFrameStyle(fsNone);
    plot->SetBoundBoxStyle(bbNone);
    plot->SetVisibleXCoords(false);
    plot->SetVisibleYCoords(false);
    plot->SetVisibleZCoords(false);
  }
  std::unique_ptr<TForm> form;
  TPlot3D* plot = nullptr;
};

TColor Px(TBitmap& b, int x, int y) { return b.Canvas().Pixels(x, y); }

}  // namespace

TEST_F(Plot3DTest, DefaultsAndClamping) {
  EXPECT_EQ(plot->Width(), 650);
  EXPECT_EQ(plot->Height(), 500);
  EXPECT_EQ(plot->CentX(), 325);
  EXPECT_EQ(plot->CentY(), 250);
  EXPECT_EQ(plot->ViewAngleX(), 60);
  EXPECT_EQ(plot->ViewAngleZ(), 15);
  EXPECT_EQ(plot->RangeZLow(), -1);
  EXPECT_EQ(plot->RangeZHigh(), 1);
  EXPECT_EQ(plot->DecPlaceZ(), 2);
  EXPECT_EQ(plot->LabDistZ(), 20);
  EXPECT_EQ(plot->ColorCubeFaceHigh(), RGB(238, 239, 254));
  EXPECT_EQ(plot->MeshKind(), mkMesh);
  EXPECT_EQ(plot->MouseAction(), maRotate);
  EXPECT_EQ(plot->CaptionY(), "Y");

  plot->SetMagnify(10);
  EXPECT_EQ(plot->Magnification(), 5);
  plot->SetMagnify(0.01);
  EXPECT_EQ(plot->Magnification(), 0.1);

  plot->SetViewAngles(400, -30);
  EXPECT_DOUBLE_EQ(plot->ViewAngleX(), 40);
  EXPECT_DOUBLE_EQ(plot->ViewAngleZ(), 330);

  plot->SetBounds(0, 0, 300, 200);  // AutoCenter follows the size
  EXPECT_EQ(plot->CentX(), 150);
  EXPECT_EQ(plot->CentY(), 100);
  plot->SetAutoCenter(false);
  plot->SetBounds(0, 0, 400, 300);
  EXPECT_EQ(plot->CentX(), 150);

  plot->Reset();
  EXPECT_EQ(plot->ViewAngleX(), 66);
  EXPECT_EQ(plot->ViewAngleZ(), 135);
  EXPECT_EQ(plot->CentX(), 200);
  EXPECT_EQ(plot->CentY(), 150);
}

TEST_F(Plot3DTest, RangesAreNeverEmpty) {
  plot->SetRange(1, 1, 0, 2, 5, 5);
  EXPECT_EQ(plot->RangeXLow(), 0.5);
  EXPECT_EQ(plot->RangeXHigh(), 1.5);
  EXPECT_EQ(plot->RangeYLow(), 0);
  EXPECT_EQ(plot->RangeYHigh(), 2);
  EXPECT_EQ(plot->RangeZLow(), 4.5);
  EXPECT_EQ(plot->RangeZHigh(), 5.5);
  // z 4.5..5.5: kz = 300, oz = -150 - 4.5*300
  EXPECT_EQ(plot->CalcIntZ(5), 0);
  EXPECT_EQ(plot->CalcIntZ(5.5), 150);

  // A single-end setter that closes the range widens it the same way.
  plot->SetRangeLowZ(5.5);
  EXPECT_EQ(plot->RangeZLow(), 5.0);
  EXPECT_EQ(plot->RangeZHigh(), 6.0);
  plot->SetRangeHighX(0.5);
  EXPECT_EQ(plot->RangeXLow(), 0.0);
  EXPECT_EQ(plot->RangeXHigh(), 1.0);
  EXPECT_EQ(plot->CalcIntZ(5.5), 0);

  // Non-finite ends are ignored; CalcIntZ never converts a NaN or an overflow.
  plot->SetRangeLowZ(std::numeric_limits<double>::quiet_NaN());
  plot->SetRangeHighZ(std::numeric_limits<double>::infinity());
  EXPECT_EQ(plot->RangeZLow(), 5.0);
  EXPECT_EQ(plot->RangeZHigh(), 6.0);
  EXPECT_EQ(plot->CalcIntZ(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(plot->CalcIntZ(1e300), 1000000000);
  EXPECT_EQ(plot->CalcIntZ(-1e300), -1000000000);
}

TEST_F(Plot3DTest, ColorCoding) {
  plot->SetColorLow(RGB(0, 0, 0));
  plot->SetColorHigh(RGB(200, 100, 50));
  // f = 0.25: 50, 25, 12.5 -> 13
  EXPECT_EQ(plot->CalcColorCoding(25), RGB(50, 25, 13));
  EXPECT_EQ(plot->CalcColorCoding(-10), RGB(0, 0, 0));
  EXPECT_EQ(plot->CalcColorCoding(1000), RGB(200, 100, 50));
  EXPECT_EQ(plot->CalcColorCoding(std::numeric_limits<double>::quiet_NaN()), RGB(0, 0, 0));

  plot->SetColorCodingMode(ccmThreeColors);
  plot->SetColorMid(RGB(10, 20, 30));
  EXPECT_EQ(plot->CalcColorCoding(50), RGB(10, 20, 30));
  // f = 0.75: halfway between mid and high
  EXPECT_EQ(plot->CalcColorCoding(75), RGB(105, 60, 40));
  // f = 0.125: a quarter of the way from low to mid (2.5 -> 3, 5, 7.5 -> 8)
  EXPECT_EQ(plot->CalcColorCoding(12.5), RGB(3, 5, 8));

  // Equal ends give the low colour instead of 0/0.
  plot->SetColorScaleLow(7);
  plot->SetColorScaleHigh(7);
  EXPECT_EQ(plot->CalcColorCoding(7), RGB(0, 0, 0));
  EXPECT_EQ(plot->CalcColorCoding(100), RGB(0, 0, 0));
}

TEST_F(Plot3DTest, CubeCornersMatchReference) {
  const auto recs = Records("plotcube");
  ASSERT_EQ(recs.size(), 6u);
  Bare();
  plot->SetAutoCenter(false);
  plot->SetBoundBoxStyle(bbFrame);
  const TColor frame = RGB(10, 200, 30), hid = RGB(250, 0, 250);
  plot->SetColorCubeFrame(frame);
  plot->SetColorCubeHidLin(hid);
  for (const auto& r : recs) {
    SCOPED_TRACE("angles " + std::to_string(r[0]) + " " + std::to_string(r[1]));
    plot->SetViewAngles(r[0], r[1]);
    plot->SetScaleFactX(r[2]);
    plot->SetScaleFactY(r[3]);
    plot->SetScaleFactZ(r[4]);
    plot->SetMagnify(r[5]);
    plot->SetCentX(static_cast<int>(r[6]));
    plot->SetCentY(static_cast<int>(r[7]));
    const int far = static_cast<int>(r[8]);
    auto bmp = plot->PaintToBitmap();
    // A front edge (from the near corner, drawn last) may pass over the far corner.
    auto onFrontEdge = [&](int n) {
      const int nc = 7 - far;
      const double px = r[9 + 2 * n], py = r[10 + 2 * n], ax = r[9 + 2 * nc], ay = r[10 + 2 * nc];
      for (int b : {4, 2, 1}) {
        const double bx = r[9 + 2 * (nc ^ b)] - ax, by = r[10 + 2 * (nc ^ b)] - ay;
        const double len2 = bx * bx + by * by;
        const double t = len2 > 0 ? std::clamp(((px - ax) * bx + (py - ay) * by) / len2, 0.0, 1.0) : 0.0;
        if (std::hypot(ax + t * bx - px, ay + t * by - py) < 1.5) return true;
      }
      return false;
    };
    for (int n = 0; n < 8; ++n) {
      double sx, sy;
      plot->Project(n & 4 ? 150 : -150, n & 2 ? 150 : -150, n & 1 ? 150 : -150, sx, sy);
      const int ex = static_cast<int>(r[9 + 2 * n]), ey = static_cast<int>(r[10 + 2 * n]);
      EXPECT_EQ(std::lround(sx), ex) << "corner " << n;
      EXPECT_EQ(std::lround(sy), ey) << "corner " << n;
      // The corner pixel itself: the hidden-line colour at the far corner
      // (its three edges are drawn last among the back parts), the frame
      // colour at every other corner.
      if (ex >= 0 && ey >= 0 && ex < bmp->Width() && ey < bmp->Height() && !(n == far && onFrontEdge(n))) {
        EXPECT_EQ(Px(*bmp, ex, ey), n == far ? hid : frame) << "corner " << n;
      }
    }
  }
}

TEST_F(Plot3DTest, BackFacesShadedByDepth) {
  // Elevation 60, azimuth 0: row 3 = (0, 0.866, 0.5).  Far corner 0; its
  // faces: the floor (summed depth 2 half edges -> t = 0.5), the back wall
  // y = -150 (2·sqrt(3) -> t = 0.866) and the wall x = -150 seen edge-on.
  Bare();
  plot->SetBoundBoxStyle(bbFaces);
  plot->SetViewAngles(60, 0);
  auto bmp = plot->PaintToBitmap();
  // Floor around (325, 250 + 130), wall around (325, 250 - 75); face colours
  // between (192,192,192) and (238,239,254).
  EXPECT_EQ(Px(*bmp, 325, 380), RGB(215, 216, 223));
  EXPECT_EQ(Px(*bmp, 325, 175), RGB(232, 233, 246));
  // Straight from above the floor faces away completely.
  plot->SetViewAngles(0, 0);
  bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 325, 250), RGB(238, 239, 254));
  // A clear frame only.
  plot->SetBoundBoxStyle(bbFrame);
  bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 325, 250), clWhite);
}

TEST_F(Plot3DTest, GridPointsMatchReference) {
  const auto recs = Records("plotgrid");
  ASSERT_EQ(recs.size(), 2u);
  const double vals[3][4] = {{0, 1, 2, 3}, {4, 5, -1, 0.5}, {2.5, 6, -2, 1.25}};
  TMatrix* m = plot->GridMat();
  m->Resize(3, 4);
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 4; ++r) m->SetVal(c + 1, r + 1, vals[c][r]);
  m->Changed();
  EXPECT_EQ(plot->DataMin(), -2);
  EXPECT_EQ(plot->DataMax(), 6);
  plot->SetRange(-1, 1, -1, 1, -2, 6);
  plot->SetAutoCenter(false);
  for (const auto& r : recs) {
    plot->SetViewAngles(r[0], r[1]);
    plot->SetMagnify(r[2]);
    plot->SetCentX(static_cast<int>(r[3]));
    plot->SetCentY(static_cast<int>(r[4]));
    plot->PaintToBitmap();
    int k = 5;
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 4; ++j, k += 2) {
        const TPoint p = plot->GridPointScreenPos(i, j);
        EXPECT_EQ(p.X, static_cast<int>(r[k])) << i << "," << j;
        EXPECT_EQ(p.Y, static_cast<int>(r[k + 1])) << i << "," << j;
      }
  }
}

TEST_F(Plot3DTest, SingleCellPicture) {
  // Seen straight from above (both angles 0, R = identity): a 2 x 2 grid is
  // one square cell whose corners lie at ±150, here magnified 0.1 around (20, 20).
  Bare();
  plot->SetBounds(0, 0, 40, 40);
  plot->SetViewAngles(0, 0);
  plot->SetMagnify(0.1);
  plot->SetColorBakGnd(clWhite);
  plot->SetColorMesh(RGB(255, 0, 0));
  plot->SetColorLow(RGB(0, 0, 255));
  plot->SetColorHigh(RGB(0, 0, 255));
  plot->GridMat()->Resize(2, 2);
  plot->GridMat()->Fill(0.5);
  int cells = 0;
  plot->OnBeforeRenderPolygon = [&](TObject*, TCanvas&, bool&, int cx, int cy, const std::array<TPoint, 4>& q,
                                    TColor&) {
    ++cells;
    EXPECT_EQ(cx, 1);
    EXPECT_EQ(cy, 1);
    EXPECT_EQ(q[0], Point(5, 5));
    EXPECT_EQ(q[1], Point(35, 5));
    EXPECT_EQ(q[2], Point(35, 35));
    EXPECT_EQ(q[3], Point(5, 35));
  };
  auto bmp = plot->PaintToBitmap();
  EXPECT_EQ(cells, 1);
  // Polygon rule: the outline through the vertex pixels 5..35, the fill inside.
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      TColor want = clWhite;
      if (x >= 5 && x <= 35 && y >= 5 && y <= 35)
        want = (x == 5 || x == 35 || y == 5 || y == 35) ? RGB(255, 0, 0) : RGB(0, 0, 255);
      ASSERT_EQ(Px(*bmp, x, y), want) << x << "," << y;
    }

  // Without the mesh the outline takes the cell colour.
  plot->SetMeshVisible(false);
  bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 5, 5), RGB(0, 0, 255));
  EXPECT_EQ(Px(*bmp, 35, 20), RGB(0, 0, 255));

  // mkGrid: the cell in its colour, the four corner pixels in the mesh colour.
  plot->SetMeshVisible(true);
  plot->SetMeshKind(mkGrid);
  bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 5, 5), RGB(255, 0, 0));
  EXPECT_EQ(Px(*bmp, 35, 35), RGB(255, 0, 0));
  EXPECT_EQ(Px(*bmp, 20, 5), RGB(0, 0, 255));
  EXPECT_EQ(Px(*bmp, 6, 5), RGB(0, 0, 255));

  // mkWaterfallDiag: the line corner 1 -> corner 3 (5,5)..(34,34) in the mesh colour.
  plot->SetMeshKind(mkWaterfallDiag);
  bmp = plot->PaintToBitmap();
  for (int d = 5; d < 35; ++d) EXPECT_EQ(Px(*bmp, d, d), RGB(255, 0, 0)) << d;
  EXPECT_EQ(Px(*bmp, 35, 5), RGB(0, 0, 255));
  EXPECT_EQ(Px(*bmp, 20, 10), RGB(0, 0, 255));

  // mkWaterfallHorz: lines 1 -> 4 (x = 5) and 3 -> 2 (x = 35); the top edge stays in the cell colour.
  plot->SetMeshKind(mkWaterfallHorz);
  bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 5, 20), RGB(255, 0, 0));
  EXPECT_EQ(Px(*bmp, 35, 20), RGB(255, 0, 0));
  EXPECT_EQ(Px(*bmp, 20, 5), RGB(0, 0, 255));
  // mkWaterfallVert: lines 1 -> 2 (y = 5) and 3 -> 4 (y = 35).
  plot->SetMeshKind(mkWaterfallVert);
  bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 20, 5), RGB(255, 0, 0));
  EXPECT_EQ(Px(*bmp, 20, 35), RGB(255, 0, 0));
  EXPECT_EQ(Px(*bmp, 5, 20), RGB(0, 0, 255));

  // The handler may take over the drawing.
  plot->OnBeforeRenderPolygon = [](TObject*, TCanvas&, bool& handled, int, int, const std::array<TPoint, 4>&,
                                   TColor&) { handled = true; };
  plot->Invalidate();
  bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 20, 20), clWhite);
  // ... or change the colour.
  plot->OnBeforeRenderPolygon = [](TObject*, TCanvas&, bool&, int, int, const std::array<TPoint, 4>&,
                                   TColor& c) { c = RGB(0, 128, 0); };
  plot->Invalidate();
  bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 20, 20), RGB(0, 128, 0));
}

TEST_F(Plot3DTest, CellColourIsMaxOrMean) {
  Bare();
  plot->SetBounds(0, 0, 40, 40);
  plot->SetViewAngles(0, 0);
  plot->SetMagnify(0.1);
  plot->SetColorLow(RGB(0, 0, 0));
  plot->SetColorHigh(RGB(200, 200, 200));
  TMatrix* m = plot->GridMat();
  m->Resize(2, 2);
  m->SetVal(1, 1, 0);
  m->SetVal(2, 1, 10);
  m->SetVal(2, 2, 20);
  m->SetVal(1, 2, 50);
  m->Changed();
  auto bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 20, 20), RGB(100, 100, 100));  // max 50 of 0..100
  plot->SetColorCodeAvg(true);
  bmp = plot->PaintToBitmap();
  EXPECT_EQ(Px(*bmp, 20, 20), RGB(40, 40, 40));  // mean 20
}

TEST_F(Plot3DTest, CellsAreDrawnBackToFront) {
  // 4 x 3 grid: the drawing order reported through OnBeforeRenderPolygon runs
  // row by row from the far rows to the near ones and, within a row, from the
  // far column to the near one.  Row 3 of the rotation (toward the viewer)
  // splits into an x part sin ax·sin az·X and a y part sin ax·cos az·Y.
  TMatrix* m = plot->GridMat();
  m->Resize(4, 3);
  m->Fill(0);
  m->Changed();
  for (double az : {15.0, 150.0, 210.0, 300.0})
    for (double ax : {60.0, 240.0}) {
      SCOPED_TRACE("ax " + std::to_string(ax) + " az " + std::to_string(az));
      plot->SetViewAngles(ax, az);
      const double a = ax * M_PI / 180, z = az * M_PI / 180;
      std::vector<double> tx, ty;
      std::vector<int> rows;
      plot->OnBeforeRenderPolygon = [&](TObject*, TCanvas&, bool&, int cx, int cy, const std::array<TPoint, 4>&,
                                        TColor&) {
        const double X = (cx + 0.5 - 2.0 - 0.5) * 100.0, Y = (cy + 0.5 - 1.5 - 0.5) * 150.0;
        tx.push_back(std::sin(a) * std::sin(z) * X);
        ty.push_back(std::sin(a) * std::cos(z) * Y);
        rows.push_back(cy);
      };
      plot->Invalidate();
      plot->PaintToBitmap();
      ASSERT_EQ(tx.size(), 6u);
      for (size_t k = 1; k < tx.size(); ++k) {
        if (rows[k] == rows[k - 1])
          EXPECT_LT(tx[k - 1], tx[k]) << k;
        else
          EXPECT_LT(ty[k - 1], ty[k]) << k;
      }
    }
  // Turning the azimuth past 180 degrees reverses the column order.
  std::vector<int> first, second;
  plot->OnBeforeRenderPolygon = [&](TObject*, TCanvas&, bool&, int cx, int, const std::array<TPoint, 4>&, TColor&) {
    first.push_back(cx);
  };
  plot->SetViewAngles(60, 170);
  plot->PaintToBitmap();
  plot->OnBeforeRenderPolygon = [&](TObject*, TCanvas&, bool&, int cx, int, const std::array<TPoint, 4>&, TColor&) {
    second.push_back(cx);
  };
  plot->SetViewAngles(60, 190);
  plot->PaintToBitmap();
  ASSERT_EQ(first.size(), 6u);
  ASSERT_EQ(second.size(), 6u);
  EXPECT_EQ(first.front(), 1);
  EXPECT_EQ(second.front(), 3);
}

TEST_F(Plot3DTest, DegenerateGrids) {
  int cells = 0;
  plot->OnBeforeRenderPolygon = [&](TObject*, TCanvas&, bool&, int, int, const std::array<TPoint, 4>&, TColor&) {
    ++cells;
  };
  // One column: no cells, the column sits on X = 0 (no 300/0).
  plot->GridMat()->Resize(1, 5);
  plot->GridMat()->Fill(0.3);
  plot->SetViewAngles(0, 0);
  plot->PaintToBitmap();
  EXPECT_EQ(cells, 0);
  EXPECT_EQ(plot->GridPointScreenPos(1, 1).X, plot->CentX());
  EXPECT_EQ(plot->GridPointScreenPos(1, 1).Y, plot->CentY() - 150);
  // One row.
  plot->GridMat()->Resize(4, 1);
  plot->PaintToBitmap();
  EXPECT_EQ(cells, 0);
  EXPECT_EQ(plot->GridPointScreenPos(2, 1).Y, plot->CentY());
  // Cells with a NaN or infinite corner are skipped, the others drawn.
  TMatrix* m = plot->GridMat();
  m->Resize(3, 3);
  m->Fill(0);
  m->SetVal(1, 1, std::numeric_limits<double>::quiet_NaN());
  m->SetVal(3, 3, std::numeric_limits<double>::infinity());
  m->Changed();
  EXPECT_EQ(plot->DataMin(), 0);
  EXPECT_EQ(plot->DataMax(), 0);
  plot->AutoScale();  // constant finite data: ScaleFactZ 1
  EXPECT_EQ(plot->ScaleFactZ(), 1);
  cells = 0;
  plot->PaintToBitmap();
  EXPECT_EQ(cells, 2);
  // A matrix freed by the application is replaced by an empty one.
  delete plot->GridMat();
  ASSERT_NE(plot->GridMat(), nullptr);
  EXPECT_EQ(plot->GridMat()->NrOfColumns(), 1);
  plot->GridMat()->Resize(2, 2);
  cells = 0;
  plot->PaintToBitmap();
  EXPECT_EQ(cells, 1);
  // Clear leaves a single point.
  plot->Clear();
  EXPECT_EQ(plot->GridMat()->NrOfColumns(), 1);
  EXPECT_EQ(plot->GridMat()->NrOfRows(), 1);
}

TEST_F(Plot3DTest, AutoScale) {
  TMatrix* m = plot->GridMat();
  m->Resize(10, 20);
  m->Fill(1);
  m->SetVal(3, 4, 5);
  m->Changed();
  plot->SetRange(0, 1, 0, 1, 0, 2);
  plot->AutoScale();
  EXPECT_DOUBLE_EQ(plot->ScaleFactX(), 2.0);
  EXPECT_DOUBLE_EQ(plot->ScaleFactY(), 1.0);
  EXPECT_DOUBLE_EQ(plot->ScaleFactZ(), 0.5);
  EXPECT_EQ(plot->GetRotMat(0, 1), 0);
  EXPECT_EQ(plot->GetRotMat(1, 3), 0);  // below 1e-6: exactly 0
}

TEST_F(Plot3DTest, MouseDragRotatesZoomsAndPans) {
  form->Show();
  Application()->ProcessMessages();
  auto* app = Application();
  // Rotate: azimuth 15 + (100 - 165)·360/650 = -21 -> 339; elevation 60 + 50·360/500 = 96.
  app->PostMouseMove(form.get(), 0, 100, 100);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 100, 100);
  app->PostMouseMove(form.get(), ssLeft, 165, 150);
  app->ProcessMessages();
  EXPECT_NEAR(plot->ViewAngleZ(), 339, 1e-9);
  EXPECT_NEAR(plot->ViewAngleX(), 96, 1e-9);
  app->PostMouseUp(form.get(), mbLeft, 0, 165, 150);
  app->ProcessMessages();

  // OnMouseAction may adjust the values.
  plot->OnMouseAction = [](TObject*, int&, int&, double& rx, double&, double&, TShiftState) { rx = 10; };
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 200, 200);
  app->PostMouseMove(form.get(), ssLeft, 210, 200);
  app->PostMouseUp(form.get(), mbLeft, 0, 210, 200);
  app->ProcessMessages();
  EXPECT_EQ(plot->ViewAngleX(), 10);
  EXPECT_NEAR(plot->ViewAngleZ(), 339 - 10 * 360.0 / 650, 1e-9);
  plot->OnMouseAction = nullptr;

  // Azimuth only.
  plot->SetMouseAction(maRotZOnly);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 300, 300);
  app->PostMouseMove(form.get(), ssLeft, 300 - 65, 400);
  app->PostMouseUp(form.get(), mbLeft, 0, 300 - 65, 400);
  app->ProcessMessages();
  EXPECT_EQ(plot->ViewAngleX(), 10);
  EXPECT_NEAR(plot->ViewAngleZ(), 339 - 10 * 360.0 / 650 + 36 - 360, 1e-9);

  // Zoom: 1 + 4.9·100/500/2 = 1.49; OnZoomPan fires.
  int zooms = 0;
  plot->OnZoomPan = [&](TObject*) { ++zooms; };
  plot->SetMouseAction(maZoom);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 300, 300);
  app->PostMouseMove(form.get(), ssLeft, 300, 200);
  app->PostMouseUp(form.get(), mbLeft, 0, 300, 200);
  app->ProcessMessages();
  EXPECT_NEAR(plot->Magnification(), 1.49, 1e-12);
  EXPECT_EQ(zooms, 1);

  // Pan: the centre follows the mouse.
  plot->SetMouseAction(maPan);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 300, 300);
  app->PostMouseMove(form.get(), ssLeft, 320, 290);
  app->PostMouseUp(form.get(), mbLeft, 0, 320, 290);
  app->ProcessMessages();
  EXPECT_EQ(plot->CentX(), 345);
  EXPECT_EQ(plot->CentY(), 240);
  EXPECT_EQ(zooms, 2);

  // Rotate-and-zoom: the right button zooms.
  plot->SetMouseAction(maRotAndZoom);
  const double ax = plot->ViewAngleX();
  app->PostMouseDown(form.get(), mbRight, ssRight, 300, 300);
  app->PostMouseMove(form.get(), ssRight, 350, 400);
  app->PostMouseUp(form.get(), mbRight, 0, 350, 400);
  app->ProcessMessages();
  EXPECT_NEAR(plot->Magnification(), 1.49 - 4.9 * 100 / 500.0 / 2, 1e-12);
  EXPECT_EQ(plot->ViewAngleX(), ax);
}

TEST_F(Plot3DTest, MouseOverPlotFindsTheFrontCell) {
  Bare();
  plot->SetViewAngles(0, 0);
  plot->SetMagnify(1);
  TMatrix* m = plot->GridMat();
  m->Resize(3, 3);
  m->Fill(0);
  m->Changed();
  form->Show();
  Application()->ProcessMessages();
  bool over = true;
  int cx = -1, cy = -1;
  plot->OnMouseMoveOverPlot = [&](TObject*, bool o, TShiftState, int x, int y) {
    over = o;
    cx = x;
    cy = y;
  };
  // From above: cell (2, 1) spans x 325..475, y 100..250.
  Application()->PostMouseMove(form.get(), 0, 400, 170);
  Application()->ProcessMessages();
  EXPECT_TRUE(over);
  EXPECT_EQ(cx, 2);
  EXPECT_EQ(cy, 1);
  Application()->PostMouseMove(form.get(), 0, 20, 20);
  Application()->ProcessMessages();
  EXPECT_FALSE(over);
}

TEST_F(Plot3DTest, HugeScaleFactorsStayFinite) {
  // Projections far outside any int: limited, so picking and axes still work.
  TMatrix* m = plot->GridMat();
  m->Resize(3, 3);
  m->Fill(0.5);
  m->SetVal(2, 2, 1e300);
  m->Changed();
  plot->SetScaleFactX(1e300);
  plot->SetScaleFactZ(-1e300);
  form->Show();
  Application()->ProcessMessages();
  int reports = 0;
  plot->OnMouseMoveOverPlot = [&](TObject*, bool, TShiftState, int, int) { ++reports; };
  Application()->PostMouseMove(form.get(), 0, 300, 200);
  Application()->ProcessMessages();
  EXPECT_EQ(reports, 1);
  const TPoint p = plot->GridPointScreenPos(3, 1);
  EXPECT_LE(std::abs(static_cast<long long>(p.X)), 1LL << 29);
  plot->AutoScale();
  EXPECT_TRUE(std::isfinite(plot->ScaleFactZ()));
  plot->PaintToBitmap();
}

TEST_F(Plot3DTest, AxesLabelsAndEvents) {
  plot->SetRange(0, 10, -5, 5, 0, 100);
  std::vector<std::string> labels[3];
  plot->OnBeforeDrawScaleLabel = [&](TObject*, TCanvas&, TP3ScaleKind k, std::string& lab, int&, int&) {
    labels[k].push_back(lab);
  };
  int rendered = 0;
  plot->OnDataRendered = [&](TObject*, TCanvas&) { ++rendered; };
  plot->PaintToBitmap();
  EXPECT_EQ(rendered, 1);
  ASSERT_FALSE(labels[0].empty());
  EXPECT_EQ(labels[0].front(), "0.0");   // one decimal
  EXPECT_EQ(labels[1].front().substr(labels[1].front().size() - 2), ".0");
  EXPECT_EQ(labels[2].front(), "0.00");  // two decimals
  EXPECT_EQ(labels[2].back(), "100.00");
  // Automatic decimals: span 100 -> 0 decimals; span 10 -> 2 - round(ln 10 / 2.5) = 1.
  plot->SetDecPlaceZ(-2);
  plot->SetDecPlaceX(-2);
  for (auto& l : labels) l.clear();
  plot->PaintToBitmap();
  EXPECT_EQ(labels[2].back(), "100");
  EXPECT_EQ(labels[0].back(), "10.0");
  // Spans of a million or more are written in exponential form.
  plot->SetRange(0, 1, 0, 1, 0, 5e6);
  for (auto& l : labels) l.clear();
  plot->PaintToBitmap();
  ASSERT_FALSE(labels[2].empty());
  EXPECT_NE(labels[2].back().find('E'), std::string::npos);
  EXPECT_LE(labels[2].back().size(), 14u);
}

TEST_F(Plot3DTest, DesignTimeAndSuppressedPainting) {
  plot->SetFrameStyle(fsNone);
  plot->SetSuppressPaint(true);
  int rendered = 0;
  plot->OnDataRendered = [&](TObject*, TCanvas&) { ++rendered; };
  plot->PaintToBitmap();
  EXPECT_EQ(rendered, 0);
  plot->SetSuppressPaint(false);
  plot->PaintToBitmap();
  EXPECT_EQ(rendered, 1);

  // At design time only the word "Plot3D" at (10, 10): black on a light
  // background, white on a dark one.
  plot->SetDesigning(true);
  // Pixels that differ from the background: all inside the text's box; the
  // extreme channel sum among them tells the ink (dark or light).
  auto inkOf = [&](TColor bg, int& count) {
    auto bmp = plot->PaintToBitmap();
    int lo = 766, hi = -1, elsewhere = 0;
    count = 0;
    for (int y = 0; y < 500; ++y)
      for (int x = 0; x < 650; ++x) {
        const TColor c = bmp->Canvas().Pixels(x, y);
        if (c == bg) continue;
        if (!(x >= 10 && x < 70 && y >= 10 && y < 30)) {
          ++elsewhere;
          continue;
        }
        ++count;
        const int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
        lo = std::min(lo, sum);
        hi = std::max(hi, sum);
      }
    EXPECT_EQ(elsewhere, 0);
    return std::make_pair(lo, hi);
  };
  int n = 0;
  plot->Invalidate();
  auto ink = inkOf(clWhite, n);
  EXPECT_GT(n, 20);
  EXPECT_LT(ink.first, 60);  // black text
  plot->SetColorBakGnd(RGB(0, 0, 150));  // 150² < 50 000
  ink = inkOf(RGB(0, 0, 150), n);
  EXPECT_GT(n, 20);
  EXPECT_GT(ink.second, 600);  // white text
  EXPECT_EQ(rendered, 1);
}

TEST_F(Plot3DTest, ExportsRenderThePicture) {
  plot->GridMat()->Resize(5, 5);
  plot->GridMat()->FillRandomUniform(-1, 1);
  plot->GridMat()->Changed();
  auto shown = plot->PaintToBitmap();

  const std::string png = GetTempDirectory() + "zol_plot3d_test.png";
  plot->CopyToBMP(png);
  TBitmap back;
  ASSERT_TRUE(back.LoadFromFile(png));
  ASSERT_EQ(back.Width(), 650);
  int diff = 0;
  for (int y = 0; y < 500; ++y)
    for (int x = 0; x < 650; ++x) diff += Px(back, x, y) != Px(*shown, x, y);
  EXPECT_EQ(diff, 0);
  DeleteFile(png);

  plot->CopyToClipboard();
  EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
  plot->CopyToClipboardWMF();
  EXPECT_TRUE(Clipboard().HasFormat(CF_METAFILEPICT));

  const std::string svg = GetTempDirectory() + "zol_plot3d_test.svg";
  plot->CopyToWMF(svg);
  EXPECT_TRUE(FileExists(svg));
  DeleteFile(svg);

  const std::string pdf = GetTempDirectory() + "zol_plot3d_test.pdf";
  Printer().SetOutputFile(pdf);
  plot->PrintIt();
  EXPECT_TRUE(FileExists(pdf));
  EXPECT_EQ(Printer().PageCount(), 1);
  DeleteFile(pdf);
}
