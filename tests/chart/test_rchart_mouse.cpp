// The chart under the mouse, driven through the headless host with synthetic
// events: zoom windows in both directions, the rubber band, panning and drag
// zoom with their history entries, confinement, dragging crosshairs and text
// labels, the exclusive-or outline, MouseBox, the mouse position and cursors.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "chart/Zol_rchart.h"

using namespace zol;

namespace {

// A 200 x 150 chart at the form's origin: plotting area x 50..190, y 16..118,
// ranges 0..140 and 0..102, so one world unit is one pixel:
// px = 50 + x, py = 118 - y.
class Mouse : public ::testing::Test {
 protected:
  void SetUp() override {
    app = Application();
    app->ResetHeadless();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 200);
    c = new TRChart(form.get());
    c->SetParent(form.get());
    c->SetBounds(0, 0, 200, 150);
    c->SetRange(1, 0, 0, 140, 102);
    c->ClearZoomHistory();
    c->OnZoomPan = [this](TObject*) { ++zoomPans; };
    form->Show();
    app->ProcessMessages();
  }
  void TearDown() override { form.reset(); }
  void Drag(int x1, int y1, int x2, int y2, TMouseButton b = mbLeft) {
    const TShiftState held = b == mbLeft ? ssLeft : ssRight;
    app->PostMouseMove(form.get(), 0, x1, y1);
    app->PostMouseDown(form.get(), b, held, x1, y1);
    app->PostMouseMove(form.get(), held, (x1 + x2) / 2, (y1 + y2) / 2);
    app->PostMouseMove(form.get(), held, x2, y2);
    app->PostMouseUp(form.get(), b, 0, x2, y2);
    app->ProcessMessages();
  }
  std::vector<double> Ranges(int L = 1) {
    auto& x = L == 1 ? static_cast<TScaleProps&>(c->Scale1X()) : static_cast<TScaleProps&>(c->Scale2X());
    auto& y = L == 1 ? static_cast<TScaleProps&>(c->Scale1Y()) : static_cast<TScaleProps&>(c->Scale2Y());
    return {x.RangeLow(), x.RangeHigh(), y.RangeLow(), y.RangeHigh()};
  }
  static bool Same(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x)
        if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    return true;
  }
  TApplication* app = nullptr;
  std::unique_ptr<TForm> form;
  TRChart* c = nullptr;
  int zoomPans = 0;
};

}  // namespace

TEST_F(Mouse, ZoomWindowKeepsDirectionsWithZoomWindPos) {
  c->SetMouseAction(maZoomWindPos);
  Drag(60, 30, 120, 90);
  EXPECT_EQ((std::vector<double>{10, 70, 28, 88}), Ranges());
  EXPECT_EQ(1, zoomPans);
  c->ZoomHistory(-1);
  EXPECT_EQ((std::vector<double>{0, 140, 0, 102}), Ranges());
  Drag(120, 90, 60, 30);  // the other way round: the same ranges
  EXPECT_EQ((std::vector<double>{10, 70, 28, 88}), Ranges());
}

TEST_F(Mouse, ZoomWindowFollowsTheDragDirectionWithZoomWind) {
  c->SetMouseAction(maZoomWind);
  Drag(60, 30, 120, 90);
  EXPECT_EQ((std::vector<double>{10, 70, 28, 88}), Ranges());
  c->ZoomHistory(-1);
  Drag(120, 90, 60, 30);
  EXPECT_EQ((std::vector<double>{70, 10, 88, 28}), Ranges());  // both axes reversed
}

TEST_F(Mouse, ZoomOnlyTheAffectedLayers) {
  c->SetRange(2, 0, 0, 14, 10.2);
  c->SetMAffLayer(2, true);
  c->SetMAffLayer(1, false);
  c->SetMouseAction(maZoomWindPos);
  Drag(60, 30, 120, 90);
  EXPECT_EQ((std::vector<double>{0, 140, 0, 102}), Ranges(1));
  EXPECT_DOUBLE_EQ(1, Ranges(2)[0]);
  EXPECT_DOUBLE_EQ(7, Ranges(2)[1]);
}

TEST_F(Mouse, RubberBandReportsTheWindowWithoutZooming) {
  c->SetMouseAction(maRubberBand);
  int layer = 0;
  double lx = 0, ly = 0, hx = 0, hy = 0;
  c->OnRubberBand = [&](TObject*, int L, double a, double b, double d, double e) {
    layer = L;
    lx = a;
    ly = b;
    hx = d;
    hy = e;
  };
  Drag(120, 90, 60, 30);
  EXPECT_EQ(1, layer);
  EXPECT_EQ(10, lx);
  EXPECT_EQ(28, ly);
  EXPECT_EQ(70, hx);
  EXPECT_EQ(88, hy);
  EXPECT_EQ((std::vector<double>{0, 140, 0, 102}), Ranges());
  // Right button and empty windows do nothing.
  layer = 0;
  Drag(60, 30, 120, 90, mbRight);
  Drag(60, 30, 60, 90);
  EXPECT_EQ(0, layer);
}

TEST_F(Mouse, ExclusiveOrOutlineDrawnTwiceRestoresThePicture) {
  c->Line(0, 0, 140, 102);
  c->ShowGraf();
  app->ProcessMessages();
  auto before = c->PaintToBitmap();
  c->SetMouseAction(maRubberBand);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 70, 40);
  app->PostMouseMove(form.get(), ssLeft, 150, 100);
  app->ProcessMessages();
  auto during = c->PaintToBitmap();
  EXPECT_FALSE(Same(*before, *during));
  EXPECT_EQ(clBlack, during->GetPixel(150, 60));  // white XOR white
  app->PostMouseMove(form.get(), ssLeft, 100, 80);  // outline moved: the old one erased
  app->PostMouseMove(form.get(), ssLeft, 70, 40);   // zero size: nothing drawn
  app->ProcessMessages();
  auto back = c->PaintToBitmap();
  EXPECT_TRUE(Same(*before, *back));
  app->PostMouseUp(form.get(), mbLeft, 0, 70, 40);
  app->ProcessMessages();
  EXPECT_TRUE(Same(*before, *c->PaintToBitmap()));
}

TEST_F(Mouse, PanFollowsTheMouseAndIsRecorded) {
  c->SetMouseAction(maPan);
  Drag(100, 60, 130, 40);  // 30 right, 20 up
  EXPECT_EQ((std::vector<double>{-30, 110, -20, 82}), Ranges());
  EXPECT_GE(zoomPans, 1);
  c->ZoomHistory(-1);
  EXPECT_EQ((std::vector<double>{0, 140, 0, 102}), Ranges());
  c->ZoomHistory(0);
  EXPECT_EQ((std::vector<double>{-30, 110, -20, 82}), Ranges());
}

TEST_F(Mouse, PanVerticallyLeavesXAlone) {
  c->SetMouseAction(maPanVert);
  Drag(100, 60, 130, 40);
  EXPECT_EQ((std::vector<double>{0, 140, -20, 82}), Ranges());
  c->SetMouseAction(maPanHoriz);
  Drag(100, 60, 130, 40);
  EXPECT_EQ((std::vector<double>{-30, 110, -20, 82}), Ranges());
}

TEST_F(Mouse, ConfinedPanKeepsTheWidth) {
  c->ConfineZoomRange(-10, -1000, 150, 1000);
  c->SetMouseAction(maPan);
  Drag(100, 60, 150, 60);  // would give -50..90
  EXPECT_EQ((std::vector<double>{-10, 130, 0, 102}), Ranges());
}

TEST_F(Mouse, DragZoomScalesAboutTheCentre) {
  c->SetMouseAction(maZoomDrag);
  Drag(100, 60, 120, 60);  // fx = 1 - 20/200
  const auto r = Ranges();
  EXPECT_DOUBLE_EQ(7, r[0]);
  EXPECT_DOUBLE_EQ(133, r[1]);
  EXPECT_DOUBLE_EQ(0, r[2]);
  EXPECT_DOUBLE_EQ(102, r[3]);
  c->ZoomHistory(-1);
  EXPECT_EQ((std::vector<double>{0, 140, 0, 102}), Ranges());
}

TEST_F(Mouse, DraggingACrosshairAndBack) {
  c->CrossHairSetup(1, clRed, chVert, psSolid, 1);
  c->CrossHairSetPos(1, 70, 0);  // x = 120
  c->CrossHair(2).SetLayer(1);  // crosshair 2 starts on layer 2
  c->CrossHairSetup(2, clBlue, chHoriz, psSolid, 1);
  c->CrossHairSetPos(2, 0, 51);  // y = 67
  app->ProcessMessages();
  auto before = c->PaintToBitmap();
  c->SetMouseAction(maDragCrossH);
  std::vector<int> moved;
  c->OnCrossHairMove = [&](TObject*, int n) { moved.push_back(n); };
  Drag(123, 100, 150, 100);  // nearest: crosshair 1 (3 pixels away horizontally)
  EXPECT_EQ(100, c->GetCHPosX(1));
  EXPECT_FALSE(moved.empty());
  EXPECT_EQ(1, moved.back());
  EXPECT_EQ(51, c->GetCHPosY(2));
  Drag(150, 100, 120, 100);
  EXPECT_EQ(70, c->GetCHPosX(1));
  EXPECT_TRUE(Same(*before, *c->PaintToBitmap()));
  Drag(60, 66, 60, 48);  // crosshair 2 by its horizontal line
  EXPECT_EQ(70, c->GetCHPosY(2));
}

TEST_F(Mouse, DraggingTextLabels) {
  const int n = c->AddTextLabel(80, 40, clBlack, "pixel", 1);
  c->GetFTextLabel(n).SetTxtLblScreenPos(tlamNone);
  const int m = c->AddTextLabel(20, 20, clBlack, "data", 1);  // at (70, 98)
  c->SetMouseAction(maDragLabel);
  int which = 0;
  c->OnTextLabelMove = [&](TObject*, int k) { which = k; };
  Drag(82, 42, 100, 50);
  EXPECT_EQ(n, which);
  EXPECT_EQ(100, c->GetFTextLabel(n).PosX());
  EXPECT_EQ(50, c->GetFTextLabel(n).PosY());
  Drag(70, 97, 90, 88);
  EXPECT_EQ(m, which);
  EXPECT_DOUBLE_EQ(40, c->GetFTextLabel(m).PosX());
  EXPECT_DOUBLE_EQ(30, c->GetFTextLabel(m).PosY());
}

TEST_F(Mouse, TextLabelAttachedInXKeepsItsPixelY) {
  const int n = c->AddTextLabel(70, 40, clBlack, "x only", 1);
  c->GetFTextLabel(n).SetTxtLblScreenPos(tlamXOnly);
  c->SetRange(1, 0, 0, 70, 51);
  EXPECT_EQ(40, c->GetFTextLabel(n).PosY());
  // The label's text sits above y = 40 pixels whatever the y range; the x follows the data (x = 190).
  auto pic = c->PaintToBitmap();
  bool inkNearRightEdge = false;
  for (int y = 20; y < 40; ++y)
    for (int x = 170; x < 200; ++x) inkNearRightEdge |= pic->GetPixel(x, y) == clBlack;
  EXPECT_TRUE(inkNearRightEdge);
}

TEST_F(Mouse, MouseBoxAnswersTheWindowOrCancels) {
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 120, 90);
  app->PostMouseMove(form.get(), ssLeft, 90, 60);
  app->PostMouseMove(form.get(), ssLeft, 60, 30);
  app->PostMouseUp(form.get(), mbLeft, 0, 60, 30);
  double x1, y1, x2, y2;
  ASSERT_TRUE(c->MouseBox(x1, y1, x2, y2));
  EXPECT_EQ(10, x1);
  EXPECT_EQ(28, y1);
  EXPECT_EQ(70, x2);
  EXPECT_EQ(88, y2);
  EXPECT_EQ(msNormal, c->MouseBoxState());

  app->PostMouseDown(form.get(), mbRight, ssRight, 120, 90);
  EXPECT_FALSE(c->MouseBox(x1, y1, x2, y2));
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 120, 90);
  app->PostMouseUp(form.get(), mbRight, 0, 60, 30);
  EXPECT_FALSE(c->MouseBox(x1, y1, x2, y2));
}

TEST_F(Mouse, PositionEventAndCursors) {
  c->SetMouseAction(maPan);
  bool inChart = false;
  double wx = 0, wy = 0;
  c->OnMouseMoveInChart = [&](TObject*, bool in, TShiftState, double x, double y) {
    inChart = in;
    wx = x;
    wy = y;
  };
  app->PostMouseMove(form.get(), 0, 60, 30);
  app->ProcessMessages();
  EXPECT_TRUE(inChart);
  EXPECT_EQ(10, wx);
  EXPECT_EQ(88, wy);
  EXPECT_EQ(10, c->GetMousePosX());
  EXPECT_EQ(crRChartHand, c->Cursor());
  EXPECT_EQ("CURHAND", Screen()->Cursors(crRChartHand));
  app->PostMouseMove(form.get(), 0, 10, 10);
  app->ProcessMessages();
  EXPECT_FALSE(inChart);
  EXPECT_EQ(10, c->GetMousePosX());  // kept from inside the area
  EXPECT_EQ(crDefault, c->Cursor());
  c->SetMouseAction(maZoomDrag);
  app->PostMouseMove(form.get(), 0, 60, 30);
  app->ProcessMessages();
  EXPECT_EQ(crRChartZoomD, c->Cursor());
  c->SetMouseCursorFixed(true);
  c->SetMouseAction(maNone);
  app->PostMouseMove(form.get(), 0, 61, 30);
  app->ProcessMessages();
  EXPECT_EQ(crRChartZoomD, c->Cursor());
}

TEST_F(Mouse, ReleaseAfterADoubleClickIsIgnored) {
  c->SetMouseAction(maZoomWindPos);
  app->PostDblClick(form.get(), mbLeft, ssLeft, 60, 30);
  app->PostMouseMove(form.get(), ssLeft, 120, 90);
  app->PostMouseUp(form.get(), mbLeft, 0, 120, 90);
  app->ProcessMessages();
  EXPECT_EQ((std::vector<double>{0, 140, 0, 102}), Ranges());
}
