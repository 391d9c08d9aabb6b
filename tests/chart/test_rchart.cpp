// The chart's display list: the 104-byte record, the per-kind counters, item
// editing and searches, the chart data file and the readable dump (against
// files assembled by tests/chart/ref/rchart_items.py), damaged files, ranges,
// joint layers, the world/pixel mapping, zoom history and automatic ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform/Zol_dialogs.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_sysutils.h"
#include "chart/Zol_rchart.h"

using namespace zol;

namespace {

std::string DataPath(const std::string& name) { return std::string(ZOL_TEST_SRC_DIR) + "/data/" + name; }

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempPath(const std::string& name) { return GetTempDirectory() + "zol_rchart_" + name; }

class Chart : public ::testing::Test {
 protected:
  void SetUp() override {
    Application()->ResetHeadless();
    chart = std::make_unique<TRChart>(nullptr);
    chart->SetBounds(0, 0, 160, 120);
  }
  std::unique_ptr<TRChart> chart;
};

// The items of tests/chart/ref/rchart_items.py, added through the chart's methods.
void AddReferenceItems(TCustomRChart& c) {
  c.SetFillColor(RGB(192, 192, 192));
  c.SetDataColor(clRed);
  c.SetDataTag(42);
  c.SetClassDefault(3);
  c.MarkAt(1.5, -2.25, 7);
  c.SetDataTag(0);
  c.SetClassDefault(0);
  c.SetDataColor(clLime);
  c.SetPenStyle(psDot);
  c.SetLineWidth(3);
  c.Line(0, 0, 10, 5);
  c.SetDataColor(clBlack);
  c.SetPenStyle(psSolid);
  c.SetLineWidth(1);
  c.DrawTo(3, 4);
  c.SetTransparentItems(true);
  c.Rectangle(1, 1, 2, 2);
  c.SetTransparentItems(false);
  c.RectFrame(0, 0, 4, 3, fsRaised, RGB(128, 128, 128), clWhite);
  c.Bar3D(1, 0, 2, 5, 8, 45);
  c.SetTextAlignment(taCenter);
  c.Text(5, 5, 12, "Hello");
  c.MoveTo(7, 8);
  c.Ellipse(5, 5, 2, 1);
  c.MoveToRelPix(3, -4);
  c.DrawToRelPix(5, 6);
  c.Arrow(0, 0, 3, 3, 10);
  c.Text(1, 2, 10, "OffsetText long longer", 4, -3, taRightJustify);
  c.SetActiveLayer(2);
  c.SetClassDefault(200);
  c.SetFillColor(0x123456);
  c.RectangleRelPix(2, 3, 10, 20);
  c.SetActiveLayer(1);
  c.SetClassDefault(0);
}

}  // namespace

// ---------------------------------------------------------------- record layout

TEST(RChartRecord, ByteLayoutAssembledByHand) {
  TrcChartItem it;
  it.x1 = 1.0;
  it.y1 = -2.0;
  it.x2 = 0.5;
  it.y2 = 1e300;
  it.Color = 0x11223344;
  it.FillColor = 0x55667788;
  it.ColorShadow = 0x99AABBCC;
  it.ColorHighlight = 0xDDEEFF00;
  it.PenStyle = 3;
  it.Tag = -5;
  it.LineWidth = 7;
  it.ClassNum = 200;
  it.ItemKind = tkTextOfs;
  it.Layer = 2;
  it.Transparent = 1;
  it.FrameStyle = fsEngraved;
  SetItemText(it, "abc");
  it.Size = 0x01020304;
  it.Depth = -1;
  it.MarkType = 2;
  uint8_t rec[104];
  ChartItemToBytes(it, rec);

  uint8_t want[104] = {};
  auto f64 = [&](int off, double v) { std::memcpy(want + off, &v, 8); };  // x86-64 is little-endian
  auto u32 = [&](int off, uint32_t v) {
    for (int i = 0; i < 4; ++i) want[off + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  f64(0, 1.0);
  f64(8, -2.0);
  f64(16, 0.5);
  f64(24, 1e300);
  u32(32, 0x11223344);
  u32(36, 0x55667788);
  u32(40, 0x99AABBCC);
  u32(44, 0xDDEEFF00);
  want[48] = 3;
  u32(52, 0xFFFFFFFB);
  u32(56, 7);
  want[60] = 200;
  want[61] = 15;
  u32(64, 2);
  want[68] = 1;
  want[69] = 5;
  want[70] = 3;
  want[71] = 'a';
  want[72] = 'b';
  want[73] = 'c';
  u32(88, 0x01020304);
  u32(92, 0xFFFFFFFF);
  want[96] = 2;
  EXPECT_EQ(0, std::memcmp(rec, want, 104));

  TrcChartItem back;
  ASSERT_TRUE(ChartItemFromBytes(want, back));
  EXPECT_EQ(0, std::memcmp(&back, &it, sizeof it));
}

TEST(RChartRecord, RefusesKindsThatMayNotStandInTheList) {
  TrcChartItem it;
  it.ItemKind = tkLine;
  uint8_t rec[104];
  ChartItemToBytes(it, rec);
  TrcChartItem out;
  EXPECT_TRUE(ChartItemFromBytes(rec, out));
  for (int k : {0, 10, 11, 17, 255}) {
    rec[61] = static_cast<uint8_t>(k);
    EXPECT_FALSE(ChartItemFromBytes(rec, out)) << k;
  }
  rec[61] = tkText;
  rec[70] = 16;  // text length over 15
  EXPECT_FALSE(ChartItemFromBytes(rec, out));
  rec[70] = 0;
  rec[64] = 3;  // layer 3
  EXPECT_FALSE(ChartItemFromBytes(rec, out));
}

TEST(RChartRecord, TextIsCutToFifteenBytesWithoutSplittingACharacter) {
  TrcChartItem it;
  SetItemText(it, "0123456789ABCDEFGH");
  EXPECT_EQ("0123456789ABCDE", ItemText(it));
  SetItemText(it, "abcdefghijklmn\xC3\xA9");  // the é would need bytes 15 and 16
  EXPECT_EQ("abcdefghijklmn", ItemText(it));
}

// ---------------------------------------------------------------- list operations

TEST_F(Chart, AddingCountsKindsAndStoresCurrentAttributes) {
  chart->SetDataColor(clBlue);
  chart->SetLineWidth(4);
  chart->SetActiveLayer(2);
  chart->SetActiveLayer(3);  // ignored
  chart->MoveTo(1, 2);
  chart->DrawTo(3, 4);
  chart->DrawTo(5, 6);
  chart->Bar3D(0, 0, 1, 1, 5, 300);
  chart->RectFrame(0, 0, 1, 1, fsLowered, clGray, clWhite);
  EXPECT_EQ(5, chart->NumItems());
  EXPECT_EQ(2, chart->GetItemCount(tkLineto));
  EXPECT_EQ(1, chart->GetItemCount(tkMoveTo));
  const TrcChartItem b = chart->GetChartItem(3);
  EXPECT_EQ(180, b.Size);  // angle clamped
  EXPECT_EQ(2, b.Layer);
  EXPECT_EQ(clBlue, b.Color);
  EXPECT_EQ(4, b.LineWidth);
  EXPECT_EQ(1, chart->GetChartItem(4).LineWidth);  // frames always 1
  EXPECT_EQ(tkNone, chart->GetChartItem(5).ItemKind);
  EXPECT_EQ(tkNone, chart->GetChartItem(-1).ItemKind);
  EXPECT_EQ(tkMoveTo, chart->GetTypeOfFirstItem());
  EXPECT_EQ(tkRectFrame, chart->GetTypeOfLastItem());
  EXPECT_EQ(TrcLayerSet{2}, chart->FindUsedLayers());
}

TEST_F(Chart, CapacityGrowsByAllocSizeAndShrinksWhenEmpty) {
  chart->SetAllocSize(0);
  EXPECT_EQ(1, chart->AllocSize());
  chart->SetAllocSize(2000000);
  EXPECT_EQ(1000000, chart->AllocSize());
  chart->SetAllocSize(7);
  for (int i = 0; i < 10; ++i) chart->DrawTo(i, i);
  EXPECT_GE(chart->Capacity(), 10);
  EXPECT_LE(chart->Capacity(), 15);
  chart->ClearGraf();
  EXPECT_EQ(0, chart->NumItems());
  EXPECT_LE(chart->Capacity(), 1);
  EXPECT_EQ(tkNone, chart->GetTypeOfLastItem());
  for (int k = 0; k < rcNumItemKinds; ++k) EXPECT_EQ(0, chart->GetItemCount(k));
}

TEST_F(Chart, RemoveAndReplaceKeepTheCountersRight) {
  chart->MarkAt(0, 0, 1);
  chart->Line(0, 0, 1, 1);
  chart->SetClassDefault(5);
  chart->DrawTo(1, 1);
  chart->DrawTo(2, 2);
  chart->SetClassDefault(0);
  chart->MoveTo(3, 3);
  chart->RemoveItem(99);  // ignored
  chart->RemoveItem(1);
  EXPECT_EQ(0, chart->GetItemCount(tkLine));
  EXPECT_EQ(2, chart->RemoveItemsByClass(5));
  EXPECT_EQ(0, chart->GetItemCount(tkLineto));
  EXPECT_EQ(tkMoveTo, chart->GetTypeOfLastItem());
  chart->RemoveFirstItem();
  chart->RemoveLastItem();
  EXPECT_EQ(0, chart->NumItems());
  chart->RemoveLastItem();  // empty: nothing happens

  chart->MarkAt(1, 1, 2);
  TrcChartItem it = chart->GetChartItem(0);
  it.ItemKind = tkEverything;
  it.x1 = 99;
  EXPECT_FALSE(chart->SetItemParams(0, it));
  EXPECT_EQ(1, chart->GetChartItem(0).x1);
  for (int k : {0, 10, 11, 17, 200}) {
    it.ItemKind = static_cast<TrcItem>(k);
    EXPECT_FALSE(chart->SetItemParams(0, it)) << k;
  }
  it.ItemKind = tkEllipse;
  EXPECT_TRUE(chart->SetItemParams(0, it));
  EXPECT_EQ(0, chart->GetItemCount(tkMarkAt));
  EXPECT_EQ(1, chart->GetItemCount(tkEllipse));
  // SetChartitem keeps the counters, so it keeps the kind too.
  it.ItemKind = tkLine;
  it.x1 = 5;
  chart->SetChartitem(0, it);
  EXPECT_EQ(tkEllipse, chart->GetChartItem(0).ItemKind);
  EXPECT_EQ(5, chart->GetChartItem(0).x1);
}

TEST_F(Chart, MarkingSearchingAndScaling) {
  chart->MarkAt(1, 1, 1);    // 0
  chart->MoveTo(2, 2);       // 1
  chart->DrawTo(3, 3);       // 2
  chart->MarkAt(5, 5, 1);    // 3
  chart->Line(1, 1, 4, 8);   // 4
  chart->Text(0, 0, 10, "t", 7, 9, taLeftJustify);  // 5
  chart->RectangleRelPix(0, 0, 6, 6);               // 6

  EXPECT_EQ(3, chart->MarkItemsInWindow(3, 3, 1, 1, tkNotMoveTo, 9));  // reversed corners, borders count
  EXPECT_EQ(9, chart->GetChartItem(0).ClassNum);
  EXPECT_EQ(0, chart->GetChartItem(1).ClassNum);
  EXPECT_EQ(0, chart->MarkItemsInWindow(0, 0, 9, 9, tkEverything, 255));
  EXPECT_EQ(0, chart->MarkItemsInWindow(0, 0, 9, 9, tkNone, 4));
  chart->MarkAllItems(tkMarkAt, 7);
  EXPECT_EQ(7, chart->GetChartItem(0).ClassNum);
  EXPECT_EQ(7, chart->GetChartItem(3).ClassNum);
  chart->NewColorOfClassItems(clRed, 7);
  EXPECT_EQ(clRed, chart->GetChartItem(3).Color);
  EXPECT_EQ(clBlack, chart->GetChartItem(2).Color);

  double d;
  // Items 0 and 4 lie at the same distance: the lower index wins.
  EXPECT_EQ(0, chart->FindNearestItemReal(1, 1.2, tkEverything, 255, d));
  EXPECT_NEAR(0.2, d, 1e-12);
  EXPECT_EQ(3, chart->FindNearestItemReal(6, 6, tkMarkAt, 255, d));
  EXPECT_NEAR(std::sqrt(2.0), d, 1e-12);
  EXPECT_EQ(-1, chart->FindNearestItemReal(6, 6, tkArrow, 255, d));
  EXPECT_EQ(std::sqrt(std::numeric_limits<double>::max()), d);
  EXPECT_EQ(-1, chart->FindNearestItemReal(6, 6, tkNone, 255, d));

  chart->ScaleAllItems(2, 1, 3, -1);
  EXPECT_EQ(9, chart->GetChartItem(4).x2);   // 1 + 2*4
  EXPECT_EQ(23, chart->GetChartItem(4).y2);  // -1 + 3*8
  EXPECT_EQ(7, chart->GetChartItem(5).x2);   // pixel offsets unchanged
  EXPECT_EQ(6, chart->GetChartItem(6).x2);
  EXPECT_EQ(1, chart->GetChartItem(5).x1);
}

// ---------------------------------------------------------------- files

TEST_F(Chart, SaveDataWritesTheReferenceRecords) {
  AddReferenceItems(*chart);
  ASSERT_EQ(14, chart->NumItems());
  const std::string path = TempPath("save.dat");
  chart->SaveData(path);
  EXPECT_EQ(ReadAll(DataPath("rchart_items.bin")), ReadAll(path));
  DeleteFile(path);
}

TEST_F(Chart, LoadDataReadsTheReferenceRecordsAndRoundTrips) {
  ASSERT_TRUE(chart->LoadData(DataPath("rchart_items.bin"), false));
  ASSERT_EQ(14, chart->NumItems());
  EXPECT_EQ(tkMarkAt, chart->GetChartItem(0).ItemKind);
  EXPECT_EQ(-2.25, chart->GetChartItem(0).y1);
  EXPECT_EQ(42, chart->GetChartItem(0).Tag);
  EXPECT_EQ("OffsetText long", ItemText(chart->GetChartItem(12)));
  EXPECT_EQ(2, chart->GetChartItem(13).Layer);
  EXPECT_EQ(1, chart->GetItemCount(tkRectRelPix));
  EXPECT_EQ(1, chart->GetItemCount(tkTextOfs));
  ASSERT_TRUE(chart->LoadData(DataPath("rchart_items.bin"), true));
  EXPECT_EQ(28, chart->NumItems());
  EXPECT_EQ(2, chart->GetItemCount(tkArrow));
  const std::string path = TempPath("roundtrip.dat");
  chart->SaveData(path);
  const std::string one = ReadAll(DataPath("rchart_items.bin"));
  EXPECT_EQ(one + one, ReadAll(path));
  DeleteFile(path);
}

TEST_F(Chart, SaveDataASCMatchesTheReferenceDump) {
  AddReferenceItems(*chart);
  const std::string path = TempPath("dump.txt");
  chart->SaveDataASC(path);
  EXPECT_EQ(ReadAll(DataPath("rchart_items_dump.txt")), ReadAll(path));
  DeleteFile(path);
}

TEST_F(Chart, SaveDataFailureRaisesAndKeepsTheOldFile) {
  chart->Line(0, 0, 1, 1);
  EXPECT_THROW(chart->SaveData("/nonexistent-folder-zol/x.dat"), EStreamError);
  EXPECT_THROW(chart->SaveDataASC("/nonexistent-folder-zol/x.txt"), EStreamError);
  // A save that cannot write its temporary file leaves the previous file as it was.
  const std::string dir = TempPath("keep");
  ForceDirectories(dir);
  const std::string path = dir + "/c.dat";
  chart->SaveData(path);
  const std::string before = ReadAll(path);
  ForceDirectories(path + ".tmp~");  // a folder where the temporary file would go
  chart->Line(2, 2, 3, 3);
  EXPECT_THROW(chart->SaveData(path), EStreamError);
  EXPECT_EQ(before, ReadAll(path));
  RemoveDir(path + ".tmp~");
  DeleteFile(path);
  RemoveDir(dir);
}

TEST_F(Chart, DamagedDataFilesAreRefusedAndLeaveTheListAlone) {
  const std::string good = ReadAll(DataPath("rchart_items.bin"));
  chart->MarkAt(9, 9, 1);
  const std::string path = TempPath("damaged.dat");
  auto refused = [&](const std::string& bytes) {
    WriteAll(path, bytes);
    const bool ok = chart->LoadData(path, false);
    return !ok && chart->NumItems() == 1 && chart->GetChartItem(0).x1 == 9;
  };
  EXPECT_TRUE(refused(good.substr(0, good.size() - 1)));  // partial last record
  EXPECT_TRUE(refused(good.substr(0, 50)));
  std::string bad = good;
  bad[104 * 3 + 61] = 11;  // a selector kind
  EXPECT_TRUE(refused(bad));
  bad = good;
  bad[104 * 2 + 61] = 40;  // undefined kind
  EXPECT_TRUE(refused(bad));
  bad = good;
  bad[104 * 6 + 70] = 100;  // text length over 15
  EXPECT_TRUE(refused(bad));
  EXPECT_FALSE(chart->LoadData(TempPath("does-not-exist.dat"), false));
  EXPECT_EQ(1, chart->NumItems());

  // Random and mutated files: either refused with the list unchanged, or
  // read completely with consistent counters.
  std::mt19937 rng(1234);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    if (round % 3 == 0) {
      bytes.resize(rng() % 700);
      for (auto& ch : bytes) ch = static_cast<char>(rng());
    } else {
      const int flips = 1 + static_cast<int>(rng() % 6);
      for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] = static_cast<char>(rng());
      if (round % 7 == 0) bytes.resize(rng() % bytes.size());
    }
    WriteAll(path, bytes);
    const int before = chart->NumItems();
    if (chart->LoadData(path, true)) {
      EXPECT_EQ(before + static_cast<int>(bytes.size() / 104), chart->NumItems());
    } else {
      EXPECT_EQ(before, chart->NumItems());
    }
    int sum = 0;
    for (int k = 0; k < rcNumItemKinds; ++k) sum += chart->GetItemCount(k);
    EXPECT_EQ(chart->NumItems(), sum);
    if (chart->NumItems() > 500) chart->ClearGraf();
  }
  DeleteFile(path);
}

// ---------------------------------------------------------------- mapping and ranges

TEST_F(Chart, MappingPutsTheRangeOnThePlottingArea) {
  // 160 x 120, margins 50/10/16/32: plotting area x 50..150, y 16..88.
  chart->SetRange(1, 0, 0, 10, 8);
  int px, py;
  chart->R2M(1, 0, 0, px, py);
  EXPECT_EQ(50, px);
  EXPECT_EQ(88, py);
  chart->R2M(1, 10, 8, px, py);
  EXPECT_EQ(150, px);
  EXPECT_EQ(16, py);
  chart->R2M(1, 5, 4, px, py);
  EXPECT_EQ(100, px);
  EXPECT_EQ(52, py);
  double x, y;
  for (int p = 50; p <= 150; p += 7) {
    chart->M2R(1, p, p - 40, x, y);
    chart->R2M(1, x, y, px, py);
    EXPECT_EQ(p, px);
    EXPECT_EQ(p - 40, py);
  }
  chart->SetShadowWidth(4);
  chart->R2M(1, 10, 0, px, py);
  EXPECT_EQ(146, px);
  EXPECT_EQ(84, py);
}

TEST_F(Chart, LogarithmicMappingAndItsFloor) {
  chart->SetRange(1, 1, 1, 1000, 100);
  chart->Scale1X().SetLogarithmic(true);
  chart->Scale1Y().SetLogarithmic(true);
  int px, py;
  chart->R2M(1, 10, 10, px, py);
  EXPECT_EQ(83, px);  // 50 + 100/3
  EXPECT_EQ(52, py);
  chart->R2M(1, 0, -1, px, py);
  EXPECT_EQ(0, px);
  EXPECT_EQ(120, py);  // the chart's height on the vertical axis
  chart->SetRange(1, 1000, 100, 1, 1);  // reversed
  chart->R2M(1, 1e-200, 1e-200, px, py);
  EXPECT_EQ(160, px);
  EXPECT_EQ(0, py);
  // A logarithmic range is not accepted below 1e-100.
  chart->SetRange(1, 1e-120, 1, 10, 10);
  EXPECT_EQ(1000, chart->Scale1X().RangeLow());
  // Equal ends on a logarithmic axis: /1.1 and *1.1.
  chart->SetRange(1, 10, 10, 10, 10);
  EXPECT_DOUBLE_EQ(10 / 1.1, chart->Scale1X().RangeLow());
  EXPECT_DOUBLE_EQ(11, chart->Scale1X().RangeHigh());
}

TEST_F(Chart, CollapsedPlottingAreaDoesNotDivideByZero) {
  chart->SetBounds(0, 0, 40, 30);  // smaller than the margins
  chart->SetRange(1, 0, 0, 10, 10);
  double x, y;
  chart->M2R(1, 17, 5, x, y);
  EXPECT_TRUE(std::isfinite(x));
  EXPECT_TRUE(std::isfinite(y));
  int px, py;
  chart->R2M(1, 3, 3, px, py);
  EXPECT_EQ(20, px);
  EXPECT_EQ(15, py);
}

TEST_F(Chart, RangesNarrowerThanMinRangeAreIgnored) {
  chart->SetRange(1, 0, 0, 10, 10);
  chart->Scale1X().SetMinRange(0.5);
  chart->SetRange(1, 1, 2, 1.2, 8);
  EXPECT_EQ(0, chart->Scale1X().RangeLow());
  EXPECT_EQ(10, chart->Scale1X().RangeHigh());
  EXPECT_EQ(2, chart->Scale1Y().RangeLow());
  chart->SetRange(1, 3, 2, 3, 8);  // equal ends widened by MinRange / 2
  EXPECT_DOUBLE_EQ(2.75, chart->Scale1X().RangeLow());
  EXPECT_DOUBLE_EQ(3.25, chart->Scale1X().RangeHigh());
  chart->SetRange(0, -1, -2, 1, 2);
  EXPECT_EQ(-1, chart->Scale2X().RangeLow());
  EXPECT_EQ(2, chart->Scale2Y().RangeHigh());
}

TEST_F(Chart, ConfinementClipsZoomRanges) {
  chart->ConfineZoomRange(0, 0, 100, 50);
  chart->SetRange(1, -20, 10, 60, 80);
  EXPECT_EQ(0, chart->Scale1X().RangeLow());
  EXPECT_EQ(60, chart->Scale1X().RangeHigh());
  EXPECT_EQ(10, chart->Scale1Y().RangeLow());
  EXPECT_EQ(50, chart->Scale1Y().RangeHigh());
}

TEST_F(Chart, IsometricRangesHaveEqualUnits) {
  chart->SetIsometric(true);
  chart->SetRange(1, 0, 0, 10, 10);  // plotting area 100 x 72
  EXPECT_DOUBLE_EQ(10, chart->Scale1X().RangeHigh());
  EXPECT_NEAR(7.2, chart->Scale1Y().RangeHigh() - chart->Scale1Y().RangeLow(), 1e-12);
  EXPECT_NEAR(5, (chart->Scale1Y().RangeHigh() + chart->Scale1Y().RangeLow()) / 2, 1e-12);
}

TEST_F(Chart, JointLayers) {
  TJointLayers& j = chart->JointLayers();
  chart->SetRange(2, 100, 200, 300, 400);
  j.SetControlledLayerX(1, 2);
  EXPECT_EQ(100, chart->Scale1X().RangeLow());  // forced at once
  chart->SetRange(2, 5, 6, 7, 8);
  EXPECT_EQ(5, chart->Scale1X().RangeLow());
  EXPECT_EQ(7, chart->Scale1X().RangeHigh());
  EXPECT_NE(6, chart->Scale1Y().RangeLow());  // the y axis is not joined
  chart->SetRange(1, 0, 0, 1, 1);  // a controlled axis keeps its range
  EXPECT_EQ(5, chart->Scale1X().RangeLow());
  EXPECT_EQ(0, chart->Scale1Y().RangeLow());

  try {
    j.SetControlledLayerX(1, 3);
    FAIL();
  } catch (const EZOLRChartError& e) {
    EXPECT_STREQ("Destination layer 3 is out of range", e.what());
  }
  try {
    j.SetControlledLayerX(2, 1);
    FAIL();
  } catch (const EZOLRChartError& e) {
    EXPECT_STREQ("Destination layer 1 is already joined", e.what());
  }
  j.SetControlledLayerY(2, 1);
  try {
    j.SetControlledLayerY(1, 2);
    FAIL();
  } catch (const EZOLRChartError& e) {
    EXPECT_STREQ("Destination layer 2 is already joined", e.what());
  }
  j.Reset();
  j.SetControlledLayerY(1, 2);
  try {
    j.SetControlledLayerY(2, 1);
    FAIL();
  } catch (const EZOLRChartError& e) {
    EXPECT_STREQ("Destination layer 1 is already joined", e.what());
  }
  // The controlled layer's number is checked too.
  EXPECT_THROW(j.SetControlledLayerX(0, 1), EZOLRChartError);
  EXPECT_THROW(j.SetControlledLayerY(7, 2), EZOLRChartError);
  EXPECT_EQ(0, j.GetControlledLayerX(7));
}

TEST_F(Chart, LogarithmicAxisWithNonPositiveEndRaisesOnMapping) {
  chart->Scale1X().SetRangeLowHigh(1, 10);
  chart->Scale1X().SetLogarithmic(true);
  try {
    chart->Scale1X().SetRangeLowHigh(-1, 10);
    FAIL();
  } catch (const EZOLRChartError& e) {
    EXPECT_STREQ("Logarithmic axis must not be negative.", e.what());
  }
  EXPECT_THROW(chart->AdjustScaling(), EZOLRChartError);
  chart->Scale1X().SetLogarithmic(false);
}

// ---------------------------------------------------------------- zoom history, automatic ranges

TEST_F(Chart, ZoomHistoryRingOfSixteen) {
  chart->SetRange(1, 0, 0, 1, 1);
  for (int i = 1; i <= 17; ++i) chart->SetRange(1, 0, 0, 10 * i, 10 * i);
  auto e = chart->GetZoomStackEntry(1, 0);
  EXPECT_EQ(0, e[0]);
  EXPECT_EQ(170, e[1]);  // x low, y high, x high, y low
  EXPECT_EQ(170, e[2]);
  EXPECT_EQ(0, e[3]);
  EXPECT_EQ(20, chart->GetZoomStackEntry(1, -15)[2]);  // the oldest kept
  chart->ZoomHistory(-16);  // ignored
  EXPECT_EQ(170, chart->Scale1X().RangeHigh());
  chart->ZoomHistory(-3);
  EXPECT_EQ(140, chart->Scale1X().RangeHigh());
  EXPECT_EQ(140, chart->Scale1Y().RangeHigh());
  chart->ClearZoomHistory();
  EXPECT_EQ(140, chart->GetZoomStackEntry(1, 0)[2]);
  EXPECT_EQ(0, chart->GetZoomStackEntry(1, -1)[2]);
  chart->ZoomHistory(-1);  // an empty entry changes nothing
  EXPECT_EQ(140, chart->Scale1X().RangeHigh());
}

TEST_F(Chart, AutoRangeOfASingleMark) {
  chart->MarkAt(3, 4, 1);
  chart->AutoRange(1, 0);
  EXPECT_EQ(2, chart->Scale1X().RangeLow());
  EXPECT_EQ(4, chart->Scale1X().RangeHigh());
  EXPECT_EQ(3, chart->Scale1Y().RangeLow());
  EXPECT_EQ(5, chart->Scale1Y().RangeHigh());
  chart->AutoRange(1, 10, 50);
  EXPECT_DOUBLE_EQ(1.8, chart->Scale1X().RangeLow());
  EXPECT_DOUBLE_EQ(6, chart->Scale1Y().RangeHigh());
  chart->SetRange(1, 0, 0, 1, 1);
  chart->AutoRangeYOnly(1, 0);
  EXPECT_EQ(1, chart->Scale1X().RangeHigh());
  EXPECT_EQ(5, chart->Scale1Y().RangeHigh());
}

TEST_F(Chart, AutoRangeUsesSecondPointsAndHalfAxes) {
  chart->Line(1, 1, 2, 9);
  chart->Ellipse(5, 5, 3, 1);
  chart->MoveToRelPix(500, 500);  // pixel offsets do not count
  chart->SetActiveLayer(2);
  chart->MarkAt(100, 100, 1);
  chart->AutoRange(1, 0);
  EXPECT_EQ(1, chart->Scale1X().RangeLow());
  EXPECT_EQ(8, chart->Scale1X().RangeHigh());
  EXPECT_EQ(1, chart->Scale1Y().RangeLow());
  EXPECT_EQ(9, chart->Scale1Y().RangeHigh());
  // Layer 0: layer 1's x axis joined to layer 2 widens layer 2's extent.
  chart->JointLayers().SetControlledLayerX(1, 2);
  chart->AutoRange(0, 0);
  EXPECT_EQ(1, chart->Scale2X().RangeLow());
  EXPECT_EQ(100, chart->Scale2X().RangeHigh());
  EXPECT_EQ(1, chart->Scale1X().RangeLow());
  EXPECT_EQ(100, chart->Scale1X().RangeHigh());
}

TEST_F(Chart, LogarithmicAutoRangeMarginMirrorsBothEnds) {
  chart->SetRange(1, 1, 1, 10, 10);
  chart->Scale1X().SetLogarithmic(true);
  chart->MarkAt(1, 1, 1);
  chart->MarkAt(100, 2, 1);
  chart->AutoRangeXOnly(1, 10);
  // 10 % of two decades on each side: a factor 10^0.2.
  EXPECT_NEAR(100 * std::pow(10, 0.2), chart->Scale1X().RangeHigh(), 1e-9);
  EXPECT_NEAR(std::pow(10, -0.2), chart->Scale1X().RangeLow(), 1e-12);
}

TEST_F(Chart, EqualRangesUniteTheLayers) {
  chart->SetRange(1, 0, 5, 10, 6);
  chart->SetRange(2, -5, 0, 3, 20);
  chart->SetEqualRangeXOnly({1, 2});
  EXPECT_EQ(-5, chart->Scale1X().RangeLow());
  EXPECT_EQ(10, chart->Scale2X().RangeHigh());
  EXPECT_EQ(5, chart->Scale1Y().RangeLow());
  chart->SetEqualRange({1, 2});
  EXPECT_EQ(0, chart->Scale1Y().RangeLow());
  EXPECT_EQ(20, chart->Scale1Y().RangeHigh());
}

// ---------------------------------------------------------------- data sharing

TEST_F(Chart, SharedDataAndItsLimits) {
  auto a = std::make_unique<TRChart>(nullptr);
  a->Line(0, 0, 1, 1);
  chart->SetUseDataOf(a.get());
  EXPECT_EQ(1, chart->NumItems());
  chart->DrawTo(2, 2);
  EXPECT_EQ(2, a->NumItems());
  chart->SetUseDataOf(chart.get());
  a->SetUseDataOf(chart.get());
  std::vector<std::unique_ptr<TRChart>> more;
  for (int i = 0; i < 4; ++i) {
    more.push_back(std::make_unique<TRChart>(nullptr));
    more.back()->SetUseDataOf(chart.get());  // resolved to a, the owner
  }
  EXPECT_EQ(a.get(), more[2]->UseDataOf());
  EXPECT_EQ(nullptr, more[3]->UseDataOf());
  const auto& boxes = Application()->MessageBoxes();
  ASSERT_EQ(3u, boxes.size());
  EXPECT_EQ("RChart: Cannot share data with myself", boxes[0].Request.Text);
  EXPECT_EQ("RChart: Cannot use foreign data. Other RCharts are using my own data.", boxes[1].Request.Text);
  EXPECT_EQ("RChart: Max. number of data shares exceeded", boxes[2].Request.Text);
  EXPECT_EQ(mtInformation, boxes[2].Request.DlgType);
}

TEST_F(Chart, DestroyedChartsLeaveNoDanglingShares) {
  auto owner = std::make_unique<TRChart>(nullptr);
  owner->MarkAt(1, 1, 1);
  auto user = std::make_unique<TRChart>(nullptr);
  user->SetUseDataOf(owner.get());
  owner.reset();  // the user falls back to its own (empty) list
  EXPECT_EQ(nullptr, user->UseDataOf());
  EXPECT_EQ(0, user->NumItems());
  user->DrawTo(1, 1);

  auto owner2 = std::make_unique<TRChart>(nullptr);
  auto user2 = std::make_unique<TRChart>(nullptr);
  user2->SetUseDataOf(owner2.get());
  user2.reset();  // the owner forgets its user
  owner2->MarkAt(2, 2, 2);
  owner2->ShowGraf();
  auto user3 = std::make_unique<TRChart>(nullptr);
  user3->SetUseDataOf(owner2.get());
  EXPECT_EQ(1, user3->NumItems());
}
