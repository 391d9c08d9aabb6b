// The box plot: column statistics against NumPy / matplotlib reference values,
// the items built for each column in both orientations, degenerate columns,
// automatic ranges, column labels, the statistics file, small pictures
// against masks worked out from the drawing rules, and a zoom window drawn
// with the mouse through the headless host.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_sysutils.h"
#include "chart/Zol_boxplot.h"

using namespace zol;

namespace {

struct RefSet {
  std::string Name;
  std::vector<double> Values;
  // min p10 q1 median q3 p90 max mean whislo whishi
  std::vector<double> Stats;
  int Fliers = 0;
};

std::vector<RefSet> LoadRef() {
  std::ifstream f(std::string(ZOL_TEST_SRC_DIR) + "/data/boxplot_stats.txt");
  std::vector<RefSet> out;
  std::string line;
  while (std::getline(f, line)) {
    std::istringstream s(line);
    std::string tag;
    s >> tag;
    if (tag == "set") {
      out.emplace_back();
      int n;
      s >> out.back().Name >> n;
    } else if (tag == "values") {
      double v;
      while (s >> v) out.back().Values.push_back(v);
    } else if (tag == "stats") {
      for (int i = 0; i < 10; ++i) {
        double v;
        s >> v;
        out.back().Stats.push_back(v);
      }
      s >> out.back().Fliers;
    }
  }
  return out;
}

std::unique_ptr<TBoxPlot> NewPlot() {
  auto p = std::make_unique<TBoxPlot>(nullptr);
  return p;
}

// Fills the plot's table: column c holds cols[c-1]; the cells below a shorter
// column are marked empty.
void Fill(TBoxPlot& p, const std::vector<std::vector<double>>& cols) {
  size_t rows = 1;
  for (const auto& c : cols) rows = std::max(rows, c.size());
  TDataTable& t = p.DataTable();
  p.SetSuppressPaint(true);
  t.Resize(static_cast<int>(cols.size()), static_cast<int>(rows));
  t.SetAllCellStates(0);
  for (size_t c = 0; c < cols.size(); ++c)
    for (size_t r = 0; r < rows; ++r) {
      if (r < cols[c].size()) t.SetElem(static_cast<int>(c + 1), static_cast<int>(r + 1), cols[c][r]);
      else t.SetIsEmpty(static_cast<int>(c + 1), static_cast<int>(r + 1), true);
    }
  p.SetSuppressPaint(false);
}

std::vector<TrcChartItem> Items(const TBoxPlot& p) {
  std::vector<TrcChartItem> v;
  for (int i = 0; i < p.NumItems(); ++i) v.push_back(p.GetChartItem(i));
  return v;
}

bool AllFinite(const TBoxPlot& p) {
  for (const auto& it : Items(p))
    if (!std::isfinite(it.x1) || !std::isfinite(it.y1) || !std::isfinite(it.x2) || !std::isfinite(it.y2))
      return false;
  return true;
}

class BoxPlot : public ::testing::Test {
 protected:
  void SetUp() override { Application()->ResetHeadless(); }
};

}  // namespace

// ---------------------------------------------------------------- statistics

TEST_F(BoxPlot, StatisticsMatchTheReferenceForEveryDataSet) {
  const auto ref = LoadRef();
  ASSERT_EQ(9u, ref.size());
  std::vector<std::vector<double>> cols;
  for (const auto& r : ref) cols.push_back(r.Values);
  auto p = NewPlot();
  Fill(*p, cols);  // sets of different lengths side by side: the empty cells are skipped
  ASSERT_EQ(static_cast<int>(ref.size()), p->NumColumns());
  for (size_t i = 0; i < ref.size(); ++i) {
    SCOPED_TRACE(ref[i].Name);
    const TBoxPlotStats s = p->ColumnStats(static_cast<int>(i + 1));
    const auto& e = ref[i].Stats;
    ASSERT_TRUE(s.Valid);
    EXPECT_EQ(static_cast<int>(ref[i].Values.size()), s.NumValues);
    const double got[] = {s.Min, s.Perc10, s.Q1, s.Median, s.Q3, s.Perc90, s.Max, s.Mean};
    for (int k = 0; k < 8; ++k) EXPECT_NEAR(e[k], got[k], 1e-12 * std::max(1.0, std::fabs(e[k]))) << k;
    // The whiskers reach the extremes and nothing lies beyond them.
    EXPECT_EQ(e[8], s.Min);
    EXPECT_EQ(e[9], s.Max);
    EXPECT_EQ(0, ref[i].Fliers);
  }
}

TEST_F(BoxPlot, NewPlotShowsOneColumnOfNormalNumbers) {
  auto p = NewPlot();
  EXPECT_EQ(1, p->DataTable().NrOfColumns());
  EXPECT_EQ(100, p->DataTable().NrOfRows());
  const TBoxPlotStats s = p->ColumnStats(1);
  ASSERT_TRUE(s.Valid);
  EXPECT_EQ(100, s.NumValues);
  EXPECT_LT(s.Min, s.Q1);
  EXPECT_LT(s.Q1, s.Q3);
  EXPECT_LT(s.Q3, s.Max);
  EXPECT_GT(p->NumItems(), 0);
  EXPECT_EQ(bpltVertical, p->Orientation());
  EXPECT_FALSE(p->Scale1X().Visible());
  EXPECT_TRUE(p->Scale1Y().Visible());
  EXPECT_EQ(RGB(233, 233, 233), p->ColorBody());
  EXPECT_EQ(26, p->SymbolMin());
  EXPECT_EQ(5, p->SymbolMean());
}

// ---------------------------------------------------------------- items

TEST_F(BoxPlot, ItemsOfOneColumnInBothOrientations) {
  auto p = NewPlot();
  Fill(*p, {{9}, {1, 3, 4, 5, 6, 7, 9}});  // column 2: min 1, Q1 3, median 5, Q3 7, max 9, mean 5
  p->SetShow90Perc(true);
  p->SetColorMean(clRed);
  for (TBoxPlotOrientation o : {bpltVertical, bpltHorizontal}) {
    SCOPED_TRACE(o);
    p->SetOrientation(o);
    // Column 1 (one value) comes first; find column 2's items by their column coordinate.
    std::vector<TrcChartItem> it;
    for (const auto& i : Items(*p)) {
      const double c1 = o == bpltVertical ? i.x1 : i.y1;
      if (c1 > 1.5) it.push_back(i);
    }
    auto col = [&](const TrcChartItem& i, bool second) { return o == bpltVertical ? (second ? i.x2 : i.x1) : (second ? i.y2 : i.y1); };
    auto val = [&](const TrcChartItem& i, bool second) { return o == bpltVertical ? (second ? i.y2 : i.y1) : (second ? i.x2 : i.x1); };
    ASSERT_EQ(9u, it.size());
    // Whiskers Q1..min and Q3..max along the centre line.
    EXPECT_EQ(tkLine, it[0].ItemKind);
    EXPECT_EQ(2.0, col(it[0], false));
    EXPECT_EQ(2.0, col(it[0], true));
    EXPECT_EQ(1.0, val(it[0], false));
    EXPECT_EQ(3.0, val(it[0], true));
    EXPECT_EQ(7.0, val(it[1], false));
    EXPECT_EQ(9.0, val(it[1], true));
    // Filled circles at the extremes.
    EXPECT_EQ(tkMarkAt, it[2].ItemKind);
    EXPECT_EQ(26, it[2].MarkType);
    EXPECT_EQ(1.0, val(it[2], false));
    EXPECT_EQ(9.0, val(it[3], false));
    // The box, half a box width on each side of the column.
    EXPECT_EQ(tkRect, it[4].ItemKind);
    EXPECT_DOUBLE_EQ(1.75, std::min(col(it[4], false), col(it[4], true)));
    EXPECT_DOUBLE_EQ(2.25, std::max(col(it[4], false), col(it[4], true)));
    EXPECT_EQ(3.0, val(it[4], false));
    EXPECT_EQ(7.0, val(it[4], true));
    EXPECT_EQ(RGB(233, 233, 233), it[4].FillColor);
    EXPECT_EQ(0, it[4].Transparent);
    // The percentiles as lines half as wide as the box; positions 0.8 and 7.2
    // lie outside 1..7 and are clamped to the extremes.
    for (int k : {5, 6}) {
      EXPECT_EQ(tkLine, it[k].ItemKind);
      EXPECT_DOUBLE_EQ(0.25, std::fabs(col(it[k], true) - col(it[k], false)));
      EXPECT_EQ(clBlue, it[k].Color);
    }
    EXPECT_EQ(1.0, val(it[5], false));
    EXPECT_EQ(9.0, val(it[6], false));
    // Median: symbol 0 is a line across the whole box.
    EXPECT_EQ(tkLine, it[7].ItemKind);
    EXPECT_DOUBLE_EQ(0.5, std::fabs(col(it[7], true) - col(it[7], false)));
    EXPECT_EQ(5.0, val(it[7], false));
    EXPECT_EQ(5.0, val(it[7], true));
    // Mean: a diagonal cross in ColorMean.
    EXPECT_EQ(tkMarkAt, it[8].ItemKind);
    EXPECT_EQ(5, it[8].MarkType);
    EXPECT_EQ(clRed, it[8].Color);
    for (const auto& i : it) EXPECT_EQ(1, i.Layer);
  }
}

TEST_F(BoxPlot, SwitchesAndSymbolsChangeTheItems) {
  auto p = NewPlot();
  Fill(*p, {{1, 2, 3, 4, 5}});
  const int all = p->NumItems();  // whiskers 2, marks 2, box, median, mean
  EXPECT_EQ(7, all);
  p->SetShowMinMax(false);
  p->SetShowMean(false);
  p->SetShowMedian(false);
  ASSERT_EQ(1, p->NumItems());
  EXPECT_EQ(tkRect, p->GetChartItem(0).ItemKind);
  p->SetShowMedian(true);
  p->SetSymbolMedian(3);
  EXPECT_EQ(tkMarkAt, p->GetTypeOfLastItem());
  p->SetShowMinMax(true);
  p->SetSymbolMin(0);  // a short line instead of the mark
  int lines = 0;
  for (const auto& i : Items(*p)) lines += i.ItemKind == tkLine;
  EXPECT_EQ(3, lines);
}

TEST_F(BoxPlot, BeforeBoxDrawChangesTheColoursOfOneColumn) {
  auto p = NewPlot();
  std::vector<int> seen;
  p->OnBeforeBoxDraw = [&](TObject* s, int c, TColor& lines, TColor& body, TColor&, TColor&, TColor&, TColor&) {
    EXPECT_EQ(p.get(), s);
    seen.push_back(c);
    if (c == 2) {
      body = clYellow;
      lines = clGreen;
    }
  };
  Fill(*p, {{1, 2, 3}, {4, 5, 6}, {}});
  p->DataTable().SetIsEmpty(3, 1, true);
  seen.clear();
  p->CreateChart();
  EXPECT_EQ((std::vector<int>{1, 2}), seen);  // the empty column is skipped
  for (const auto& i : Items(*p))
    if (i.ItemKind == tkRect) {
      const bool second = i.x1 > 1.5;
      EXPECT_EQ(second ? clYellow : RGB(233, 233, 233), i.FillColor);
      EXPECT_EQ(second ? clGreen : clBlack, i.Color);
    }
}

// ---------------------------------------------------------------- degenerate columns

TEST_F(BoxPlot, DegenerateColumnsGiveNoItemsOrAFlatBoxNeverNaN) {
  auto p = NewPlot();
  const double inf = std::numeric_limits<double>::infinity();
  Fill(*p, {{}, {4.5}, {1, inf, 3}, {2, std::nan(""), 7}, {3, 4}, {5, 6}});
  p->DataTable().SetIsEmpty(1, 1, true);                // column 1: no numeric cell at all
  p->DataTable().SetMScaleType(6, stNominal);           // column 6: not a numeric scale
  EXPECT_FALSE(p->ColumnStats(1).Valid);
  EXPECT_FALSE(p->ColumnStats(3).Valid);  // an infinite value: no statistics
  EXPECT_FALSE(p->ColumnStats(4).Valid);
  EXPECT_FALSE(p->ColumnStats(6).Valid);
  EXPECT_FALSE(p->ColumnStats(0).Valid);
  EXPECT_FALSE(p->ColumnStats(7).Valid);
  const TBoxPlotStats one = p->ColumnStats(2);
  ASSERT_TRUE(one.Valid);
  for (double v : {one.Min, one.Q1, one.Median, one.Q3, one.Max, one.Perc10, one.Perc90, one.Mean}) EXPECT_EQ(4.5, v);
  EXPECT_TRUE(AllFinite(*p));
  for (const auto& i : Items(*p)) {
    EXPECT_TRUE(std::fabs(i.x1 - 2) <= 0.25 || std::fabs(i.x1 - 5) <= 0.25) << i.x1;
    if (i.ItemKind == tkRect && std::fabs(i.x1 - 2) <= 0.25) {
      EXPECT_EQ(i.y1, i.y2);  // a flat box
    }
  }
  // Labels only for the columns that are drawn.
  EXPECT_FALSE(p->TextLabel(1).Visible());
  EXPECT_TRUE(p->TextLabel(2).Visible());
  EXPECT_FALSE(p->TextLabel(3).Visible());
  EXPECT_TRUE(p->TextLabel(5).Visible());
  // The picture renders.
  TBitmap b;
  p->CopyToBitmap(b);
  EXPECT_EQ(p->Width(), b.Width());
}

TEST_F(BoxPlot, TableWithoutNumbersDrawsNothing) {
  auto p = NewPlot();
  Fill(*p, {{1}});
  p->DataTable().SetIsEmpty(1, 1, true);
  EXPECT_EQ(0, p->NumItems());
  const double ylo = p->Scale1Y().RangeLow(), yhi = p->Scale1Y().RangeHigh();
  p->AutoRange(10);  // the value range is kept
  EXPECT_EQ(ylo, p->Scale1Y().RangeLow());
  EXPECT_EQ(yhi, p->Scale1Y().RangeHigh());
  EXPECT_EQ(0, p->Scale1X().RangeLow());
  EXPECT_EQ(2, p->Scale1X().RangeHigh());
}

// ---------------------------------------------------------------- ranges and orientation

TEST_F(BoxPlot, AutoRangeAddsTheMarginToTheValueRange) {
  auto p = NewPlot();
  Fill(*p, {{0, 50, 20}, {30, 100}, {60, 70}});
  p->AutoRange(10);
  EXPECT_DOUBLE_EQ(-10, p->Scale1Y().RangeLow());
  EXPECT_DOUBLE_EQ(110, p->Scale1Y().RangeHigh());
  EXPECT_EQ(0, p->Scale1X().RangeLow());
  EXPECT_EQ(4, p->Scale1X().RangeHigh());
  p->SetOrientation(bpltHorizontal);
  EXPECT_TRUE(p->Scale1X().Visible());
  EXPECT_FALSE(p->Scale1Y().Visible());
  EXPECT_DOUBLE_EQ(-10, p->Scale1X().RangeLow());  // the ranges are exchanged
  EXPECT_DOUBLE_EQ(110, p->Scale1X().RangeHigh());
  EXPECT_EQ(0, p->Scale1Y().RangeLow());
  EXPECT_EQ(4, p->Scale1Y().RangeHigh());
  Fill(*p, {{5, 25}});
  p->AutoRange(50);
  EXPECT_DOUBLE_EQ(-5, p->Scale1X().RangeLow());
  EXPECT_DOUBLE_EQ(35, p->Scale1X().RangeHigh());
  EXPECT_EQ(2, p->Scale1Y().RangeHigh());
  // A single value gets one unit on each side.
  Fill(*p, {{7, 7}});
  p->AutoRange(10);
  EXPECT_EQ(6, p->Scale1X().RangeLow());
  EXPECT_EQ(8, p->Scale1X().RangeHigh());
}

TEST_F(BoxPlot, GridFollowsTheValueAxis) {
  auto p = NewPlot();
  p->SetGridStyle(bpgsDotLines);
  EXPECT_EQ(gsHorizDotLines, p->TCustomRChart::GridStyle());
  p->SetOrientation(bpltHorizontal);
  EXPECT_EQ(gsVertDotLines, p->TCustomRChart::GridStyle());
  p->SetGridStyle(bpgsLines);
  EXPECT_EQ(gsVertLines, p->TCustomRChart::GridStyle());
  p->SetGridStyle(bpgsNone);
  EXPECT_EQ(gsNone, p->TCustomRChart::GridStyle());
}

// ---------------------------------------------------------------- labels

TEST_F(BoxPlot, OnlyTheFirstThirtyColumnsGetLabels) {
  auto p = NewPlot();
  std::vector<std::vector<double>> cols(35, std::vector<double>{1, 2, 3});
  Fill(*p, cols);
  p->DataTable().SetColName(3, "dist\\#41nce");
  for (int n = 1; n <= 30; ++n) {
    EXPECT_TRUE(p->TextLabel(n).Visible()) << n;
    EXPECT_EQ(n, p->TextLabel(n).PosX());
    EXPECT_EQ(tlamXOnly, p->TextLabel(n).AttachMode());
  }
  EXPECT_EQ("C-7", p->TextLabel(7).Caption());
  EXPECT_EQ("distAnce", p->TextLabel(3).Caption());  // escape sequences resolved
  EXPECT_EQ(35, p->NumColumns());
  int boxes = p->GetItemCount(tkRect);
  EXPECT_EQ(35, boxes);
  Fill(*p, {{1, 2}, {3, 4}});  // fewer columns: the others are hidden again
  EXPECT_TRUE(p->TextLabel(2).Visible());
  EXPECT_FALSE(p->TextLabel(3).Visible());
  EXPECT_EQ("", p->TextLabel(3).Caption());
}

TEST_F(BoxPlot, LabelsArePlacedFromThePlotEdges) {
  auto p = NewPlot();
  p->SetBounds(0, 0, 300, 200);  // margins 50 / 10 / 16 / 32
  p->Labels().SetPosition(20);
  EXPECT_EQ(200 - 32 - 20, p->TextLabel(1).PosY());
  p->Labels().SetPosition(-8);
  EXPECT_EQ(16 + 8, p->TextLabel(1).PosY());
  p->SetBounds(0, 0, 300, 250);  // re-placed with the new size
  EXPECT_EQ(16 + 8, p->TextLabel(1).PosY());
  p->Labels().SetPosition(30);
  p->SetBounds(0, 0, 400, 250);
  EXPECT_EQ(250 - 32 - 30, p->TextLabel(1).PosY());
  p->SetOrientation(bpltHorizontal);
  EXPECT_EQ(tlamYOnly, p->TextLabel(1).AttachMode());
  EXPECT_EQ(1, p->TextLabel(1).PosY());
  EXPECT_EQ(400 - 10 - 30, p->TextLabel(1).PosX());
  p->Labels().SetPosition(-5);
  EXPECT_EQ(50 + 5, p->TextLabel(1).PosX());
  // Appearance: box, shadow or text only.
  EXPECT_EQ(tlBox, p->TextLabel(1).Mode());
  p->Labels().SetShadowDx(3);
  EXPECT_EQ(tlShadow, p->TextLabel(1).Mode());
  EXPECT_EQ(3, p->TextLabel(1).ShadowDx());
  p->Labels().SetTransparent(true);
  EXPECT_EQ(tlsimple, p->TextLabel(1).Mode());
  EXPECT_TRUE(p->TextLabel(1).Transparent());
  p->Labels().Font().SetColor(clRed);
  EXPECT_EQ(clRed, p->TextLabel(1).Font().Color());
}

// ---------------------------------------------------------------- data

TEST_F(BoxPlot, AssignAnotherDataTableCopiesAndRebuildsOnce) {
  auto p = NewPlot();
  TDataTable t(nullptr);
  t.Resize(2, 3);
  for (int r = 1; r <= 3; ++r) {
    t.SetElem(1, r, r);
    t.SetElem(2, r, 10 * r);
  }
  t.SetColName(2, "tens");
  int built = 0;
  p->OnBeforeBoxDraw = [&](TObject*, int, TColor&, TColor&, TColor&, TColor&, TColor&, TColor&) { ++built; };
  p->AssignAnotherDataTable(&t);
  EXPECT_EQ(2, built);  // one rebuild, two columns
  EXPECT_EQ(20, p->ColumnStats(2).Median);
  EXPECT_EQ("tens", p->TextLabel(2).Caption());
  t.SetElem(1, 1, 100);  // a copy: later changes of t do not reach the plot
  EXPECT_EQ(1, p->ColumnStats(1).Min);
  p->DataTable().SetElem(1, 1, -4);  // changes of the own table do
  EXPECT_EQ(-4, p->ColumnStats(1).Min);
  p->AssignAnotherDataTable(nullptr);
  EXPECT_EQ(2, p->NumColumns());
}

TEST_F(BoxPlot, ChangesWhileSuppressedAreAppliedAfterwards) {
  auto p = NewPlot();
  p->SetSuppressPaint(true);
  p->DataTable().Resize(2, 2);
  p->DataTable().Fill(3);
  p->SetBoxWidth(0.8);
  EXPECT_EQ(1, p->NumColumns());  // not yet
  p->SetSuppressPaint(false);
  EXPECT_EQ(2, p->NumColumns());
  EXPECT_EQ(3, p->ColumnStats(2).Mean);
  EXPECT_EQ(2, p->GetItemCount(tkRect));
  p->SetBoxWidth(-1);
  EXPECT_EQ(0, p->BoxWidth());
  p->SetBoxWidth(std::nan(""));
  EXPECT_EQ(0, p->BoxWidth());
}

TEST_F(BoxPlot, SaveDataASCWritesTheStatistics) {
  auto p = NewPlot();
  Fill(*p, {{1, 3, 4, 5, 6, 7, 9}, {}});
  p->DataTable().SetIsEmpty(2, 1, true);
  p->DataTable().SetColName(1, "we\tight");
  const std::string fn = GetTempDirectory() + "zol_boxplot_stats.txt";
  p->SaveDataASC(fn);
  std::ifstream f(fn);
  std::stringstream ss;
  ss << f.rdbuf();
  EXPECT_EQ("column\tname\tn\tmin\tperc10\tq1\tmedian\tq3\tperc90\tmax\tmean\n"
            "1\twe ight\t7\t1\t1\t3\t5\t7\t9\t9\t5\n"
            "2\tC-2\t0\t\t\t\t\t\t\t\t\n",
            ss.str());
  DeleteFile(fn);
  EXPECT_THROW(p->SaveDataASC(GetTempDirectory() + "no/such/dir/x.txt"), Exception);
}

// ---------------------------------------------------------------- pictures

namespace {

// A 60 x 50 plot with 5-pixel margins and no axes; one column holding
// 1, 3, 4, 5, 6, 7, 9 (min 1, Q1 3, median 5, Q3 7, max 9), box width 0.8,
// short red lines at the extremes, a blue median line, no mean.
std::unique_ptr<TBoxPlot> SmallPlot(TBoxPlotOrientation o) {
  auto p = NewPlot();
  p->SetSuppressPaint(true);
  p->SetBounds(0, 0, 60, 50);
  p->SetMarginLeft(5);
  p->SetMarginRight(5);
  p->SetMarginTop(5);
  p->SetMarginBottom(5);
  p->Scale1X().SetVisible(false);
  p->Scale1Y().SetVisible(false);
  p->SetBoxWidth(0.8);
  p->SetSymbolMin(0);
  p->SetSymbolMax(0);
  p->SetColorMinMax(clRed);
  p->SetColorMedian(clBlue);
  p->SetShowMean(false);
  p->Labels().SetPosition(-1000);  // out of sight
  p->SetSuppressPaint(false);
  Fill(*p, {{1, 3, 4, 5, 6, 7, 9}});
  p->SetOrientation(o);
  if (o == bpltVertical) p->SetRange(0, 0, 2, 10);  // px = 5 + 25 x, py = 45 - 4 y
  else p->SetRange(0, 0, 10, 2);                     // px = 5 + 5 x, py = 45 - 20 y
  p->Scale1X().SetVisible(false);
  p->Scale1Y().SetVisible(false);
  return p;
}

struct Mask {
  std::vector<TColor> px = std::vector<TColor>(60 * 50, clWhite);
  void Set(int x, int y, TColor c) { px[static_cast<size_t>(y * 60 + x)] = c; }
  // Lines paint their start pixel, not their end pixel.
  void HLine(int x1, int x2, int y, TColor c) {
    for (int x = x1; x != x2; x += x2 > x1 ? 1 : -1) Set(x, y, c);
  }
  void VLine(int x, int y1, int y2, TColor c) {
    for (int y = y1; y != y2; y += y2 > y1 ? 1 : -1) Set(x, y, c);
  }
  // The box includes both corner pixels: outline on its border, fill inside.
  void Box(int x1, int y1, int x2, int y2, TColor pen, TColor fill) {
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) Set(x, y, x == x1 || x == x2 || y == y1 || y == y2 ? pen : fill);
  }
};

void ExpectPicture(TBitmap& b, const Mask& m) {
  int bad = 0;
  // Inside the plotting area's outline.
  for (int y = 6; y <= 44; ++y)
    for (int x = 6; x <= 54; ++x) {
      const TColor want = m.px[static_cast<size_t>(y * 60 + x)];
      const TColor got = b.Canvas().Pixels(x, y);
      if (got != want && ++bad <= 10) ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " got " << got << " want " << want;
    }
  EXPECT_EQ(0, bad);
}

}  // namespace

TEST_F(BoxPlot, VerticalPictureMatchesTheDrawingRules) {
  auto p = SmallPlot(bpltVertical);
  TBitmap b;
  p->CopyToBitmap(b);
  Mask m;
  const TColor grey = RGB(233, 233, 233);
  m.VLine(30, 41, 33, clBlack);  // whisker min (y 41) .. Q1 (y 33)
  m.VLine(30, 17, 9, clBlack);   // whisker Q3 .. max
  m.HLine(25, 35, 41, clRed);    // x 0.8 .. 1.2 at the minimum
  m.HLine(25, 35, 9, clRed);
  m.Box(20, 17, 40, 33, clBlack, grey);  // x 0.6 .. 1.4, Q1 .. Q3
  m.HLine(20, 40, 25, clBlue);           // median across the box
  ExpectPicture(b, m);
}

TEST_F(BoxPlot, HorizontalPictureMatchesTheDrawingRules) {
  auto p = SmallPlot(bpltHorizontal);
  TBitmap b;
  p->CopyToBitmap(b);
  Mask m;
  const TColor grey = RGB(233, 233, 233);
  m.HLine(10, 20, 25, clBlack);  // whisker min (x 10) .. Q1 (x 20) at column 1 (y 25)
  m.HLine(40, 50, 25, clBlack);
  m.VLine(10, 29, 21, clRed);  // column 0.8 .. 1.2 at the minimum
  m.VLine(50, 29, 21, clRed);
  m.Box(20, 17, 40, 33, clBlack, grey);
  m.VLine(30, 33, 17, clBlue);
  ExpectPicture(b, m);
}

TEST_F(BoxPlot, ExtremeMarksAndLabelOnThePicture) {
  auto p = SmallPlot(bpltVertical);
  p->SetSymbolMin(26);  // a filled circle of 5 x 5 pixels around the minimum
  p->Labels().SetPosition(-12);
  p->Labels().SetTransparent(true);
  p->Labels().Font().SetColor(clGreen);
  p->DataTable().SetColName(1, "W");
  TBitmap b;
  p->CopyToBitmap(b);
  EXPECT_EQ(clRed, b.Canvas().Pixels(30, 41));
  EXPECT_EQ(clRed, b.Canvas().Pixels(28, 41));
  EXPECT_EQ(clRed, b.Canvas().Pixels(32, 41));
  EXPECT_EQ(clWhite, b.Canvas().Pixels(34, 41));  // no short line any more
  // Some text pixels near row 5 + 12 around the column centre.
  int green = 0;
  for (int y = 10; y <= 24; ++y)
    for (int x = 22; x <= 38; ++x) {
      const TColor c = b.Canvas().Pixels(x, y);
      if (GetGValue(c) > GetRValue(c) + 40) ++green;
    }
  EXPECT_GT(green, 5);
}

// ---------------------------------------------------------------- mouse

TEST_F(BoxPlot, ZoomWindowDrawnWithTheMouse) {
  TApplication* app = Application();
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 300, 200);
  auto* p = new TBoxPlot(form.get());
  p->SetParent(form.get());
  p->SetBounds(0, 0, 200, 150);  // plotting area x 50..190, y 16..118
  Fill(*p, {{10, 20, 30}, {40, 50, 60}});
  p->SetRange(0, 0, 140, 102);  // one world unit per pixel: px = 50 + x, py = 118 - y
  p->SetMouseAction(maZoomWindPos);
  const double labelY = p->TextLabel(1).PosY();
  form->Show();
  app->ProcessMessages();
  int zooms = 0;
  p->OnZoomPan = [&](TObject*) { ++zooms; };
  app->PostMouseMove(form.get(), 0, 60, 30);
  app->PostMouseDown(form.get(), mbLeft, ssLeft, 60, 30);
  app->PostMouseMove(form.get(), ssLeft, 90, 60);
  app->PostMouseMove(form.get(), ssLeft, 120, 90);
  app->PostMouseUp(form.get(), mbLeft, 0, 120, 90);
  app->ProcessMessages();
  EXPECT_EQ(1, zooms);
  EXPECT_EQ(10, p->Scale1X().RangeLow());
  EXPECT_EQ(70, p->Scale1X().RangeHigh());
  EXPECT_EQ(28, p->Scale1Y().RangeLow());
  EXPECT_EQ(88, p->Scale1Y().RangeHigh());
  // The items and the label's pixel row are untouched by the zoom.
  EXPECT_EQ(labelY, p->TextLabel(1).PosY());
  EXPECT_EQ(2, p->GetItemCount(tkRect));
  form.reset();
}
