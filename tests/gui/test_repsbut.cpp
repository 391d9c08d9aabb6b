// Repeat button: timing on the headless host's clock, the interval floor,
// stopping on release and on leaving the control.
#include <gtest/gtest.h>

#include "gui/Zol_repsbut.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

class RepButton : public HostTest {};

TEST_F(RepButton, FirstRepeatAfterStartIntervalThenEveryRepeatInterval) {
  auto* b = Place(new TRepSpeedButton(Form.get()), 10, 10, 30, 30);
  EXPECT_EQ(b->StartClickInterval(), 500);
  EXPECT_EQ(b->RepeatClickInterval(), 200);
  int repeats = 0, clicks = 0;
  b->OnRepeatClick = [&](TObject* s) {
    EXPECT_EQ(s, b);
    ++repeats;
  };
  b->OnClick = [&](TObject*) { ++clicks; };
  TApplication* app = Application();
  app->PostMouseMove(Form.get(), 0, 20, 20);
  app->PostMouseDown(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
  EXPECT_TRUE(b->Down());
  app->AdvanceClock(499);
  EXPECT_EQ(repeats, 0);
  app->AdvanceClock(1);
  EXPECT_EQ(repeats, 1);
  app->AdvanceClock(199);
  EXPECT_EQ(repeats, 1);
  app->AdvanceClock(1);
  EXPECT_EQ(repeats, 2);
  app->AdvanceClock(400);
  EXPECT_EQ(repeats, 4);
  app->PostMouseUp(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->Repeating());
  app->AdvanceClock(2000);
  EXPECT_EQ(repeats, 4);
  EXPECT_EQ(clicks, 1);
  // A second press starts again with the start interval.
  app->PostMouseDown(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
  app->AdvanceClock(300);
  EXPECT_EQ(repeats, 4);
  app->AdvanceClock(200);
  EXPECT_EQ(repeats, 5);
  app->PostMouseUp(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
}

TEST_F(RepButton, IntervalsAreAtLeastTenMilliseconds) {
  TRepSpeedButton b(nullptr);
  b.SetStartClickInterval(5);
  EXPECT_EQ(b.StartClickInterval(), 10);
  b.SetRepeatClickInterval(-3);
  EXPECT_EQ(b.RepeatClickInterval(), 10);
  b.SetRepeatClickInterval(10);
  EXPECT_EQ(b.RepeatClickInterval(), 10);
}

TEST_F(RepButton, LeavingTheControlStopsTheTimer) {
  auto* b = Place(new TRepSpeedButton(Form.get()), 10, 10, 30, 30);
  b->SetStartClickInterval(50);
  b->SetRepeatClickInterval(20);
  int repeats = 0;
  b->OnRepeatClick = [&](TObject*) { ++repeats; };
  TApplication* app = Application();
  app->PostMouseMove(Form.get(), 0, 20, 20);
  app->PostMouseDown(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
  app->AdvanceClock(90);
  EXPECT_EQ(repeats, 3);  // 50, 70, 90
  // Moving out while the button is held (the control keeps the capture).
  app->PostMouseMove(Form.get(), ssLeft, 200, 200);
  app->ProcessMessages();
  EXPECT_FALSE(b->Repeating());
  EXPECT_FALSE(b->Down());
  app->AdvanceClock(500);
  EXPECT_EQ(repeats, 3);
  app->PostMouseUp(Form.get(), mbLeft, 0, 200, 200);
  app->ProcessMessages();
  // The right button does not repeat.
  app->PostMouseMove(Form.get(), 0, 20, 20);
  app->PostMouseDown(Form.get(), mbRight, 0, 20, 20);
  app->ProcessMessages();
  app->AdvanceClock(500);
  EXPECT_EQ(repeats, 3);
  app->PostMouseUp(Form.get(), mbRight, 0, 20, 20);
  app->ProcessMessages();
}

TEST_F(RepButton, PressedFaceIsLowered) {
  auto* b = Place(new TRepSpeedButton(Form.get()), 10, 10, 30, 30);
  b->SetCaption("+");
  auto up = b->PaintToBitmap();
  EXPECT_EQ(up->GetPixel(0, 10), RGB(255, 255, 255));    // raised: highlight top-left
  EXPECT_EQ(up->GetPixel(29, 10), RGB(105, 105, 105));   // dark shadow bottom-right
  TApplication* app = Application();
  app->PostMouseMove(Form.get(), 0, 20, 20);
  app->PostMouseDown(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
  auto down = b->PaintToBitmap();
  EXPECT_EQ(down->GetPixel(0, 10), RGB(160, 160, 160));  // lowered: shadow top-left
  EXPECT_EQ(down->GetPixel(29, 10), RGB(255, 255, 255));
  app->PostMouseUp(Form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
}

}  // namespace
