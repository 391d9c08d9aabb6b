// Tests of the data table (Zol_datatable).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/platform/Zol_clipbrd.h"
#include "math/Zol_datatable.h"

using namespace zol;

namespace {

#include "data/datatable_ref.inc"

const std::string kData = ZOL_TEST_SRC_DIR "/data/";

std::string ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string TempPath(const std::string& stem) {
  return ::testing::TempDir() + "zol_datatable_" + stem;
}

// Everything a reader may change, to prove that a refused file changed nothing.
std::string Signature(const TDataTable& t) {
  return std::to_string(t.NrOfColumns()) + "x" + std::to_string(t.NrOfRows()) + t.CRCofData() +
         t.CRCofCellStates() + t.CRCofNamesAndAttributes();
}

// The 5 × 40 reference table of the statistics tests.
void FillStatTable(TDataTable& t) {
  t.Resize(5, 40);
  for (int c = 1; c <= 5; ++c) {
    t.SetMScaleType(c, static_cast<TMScaleType>(kStatScale[c - 1]));
    for (int r = 1; r <= 40; ++r) {
      t.SetElem(c, r, kStatVals[(c - 1) * 40 + (r - 1)]);
      t.SetCellState(c, r, static_cast<uint8_t>(kStatStates[(c - 1) * 40 + (r - 1)]));
    }
  }
}

struct EventLog {
  int data = 0, setup = 0, names = 0, attrib = 0, states = 0, resize = 0;
  std::vector<std::vector<int>> resizes, exchanges;
  void Attach(TDataTable& t) {
    t.OnChange = [this](TObject*) { ++data; };
    t.OnChangeSetup = [this](TObject*) { ++setup; };
    t.OnChangeNames = [this](TObject*) { ++names; };
    t.OnChangeAttrib = [this](TObject*) { ++attrib; };
    t.OnChangeCellState = [this](TObject*) { ++states; };
    t.OnResize = [this](TObject*, int oc, int orow, int nc, int nr) {
      ++resize;
      resizes.push_back({oc, orow, nc, nr});
    };
    t.OnSortExchange = [this](TObject*, uint8_t what, int i1, int i2, int first, int last) {
      exchanges.push_back({what, i1, i2, first, last});
    };
  }
};

// The table of the CSV exchange files (see datatable_ref.py).
void FillCsvTable(TDataTable& t) {
  t.Resize(4, 4);
  const char* cols[4] = {"x", "y, mm", "say \"hi\"", "multi\nline"};
  const char* rows[4] = {"first", "second;", "", "fourth"};
  for (int c = 1; c <= 4; ++c) t.SetColName(c, cols[c - 1]);
  for (int r = 1; r <= 4; ++r) t.SetRowName(r, rows[r - 1]);
  const double v[4][4] = {{1.5, -2.25, 1e-300, 0.1}, {3.0, 0, 123456789.125, -0.0}, {1e300, 42.0, 0, 7.0},
                          {0.5, 2.0, 3.0, 4.0}};
  for (int r = 1; r <= 4; ++r)
    for (int c = 1; c <= 4; ++c) t.SetElem(c, r, v[r - 1][c - 1]);
  t.SetCellState(2, 2, csEmpty);
  t.SetCellState(3, 3, csInvalid);
}

void ExpectCsvTable(const TDataTable& t) {
  ASSERT_EQ(t.NrOfColumns(), 4);
  ASSERT_EQ(t.NrOfRows(), 4);
  EXPECT_EQ(t.GetColName(2), "y, mm");
  EXPECT_EQ(t.GetColName(3), "say \"hi\"");
  EXPECT_EQ(t.GetColName(4), "multi\nline");
  EXPECT_EQ(t.GetRowName(2), "second;");
  EXPECT_EQ(t.GetRowName(3), "");
  EXPECT_EQ(t.GetElem(1, 1), 1.5);
  EXPECT_EQ(t.GetElem(3, 1), 1e-300);
  EXPECT_EQ(t.GetElem(4, 1), 0.1);
  EXPECT_EQ(t.GetElem(3, 2), 123456789.125);
  EXPECT_EQ(t.GetElem(1, 3), 1e300);
  EXPECT_TRUE(std::signbit(t.GetElem(4, 2)));
  EXPECT_EQ(t.GetCellState(2, 2), csEmpty);
  EXPECT_EQ(t.GetCellState(3, 3), csInvalid);
  EXPECT_EQ(t.GetCellState(1, 1), 0);
  EXPECT_EQ(t.CountEmptyCells(0, 0, 0, 0), 1);
  EXPECT_EQ(t.CountValidCells(0, 0, 0, 0), 14);
}

}  // namespace

// ==================================================================== cells, names, scale types
TEST(DataTableCells, NewTableResizeAndOutOfRange) {
  TDataTable t(nullptr);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.GetColName(1), "C-1");
  EXPECT_EQ(t.GetRowName(1), "R-1");
  t.Resize(2, 2);
  t.SetColName(1, "Weight");
  t.SetElem(2, 2, 7.5);
  t.SetCellState(2, 2, csMarkA);
  EventLog log;
  log.Attach(t);
  t.Resize(3, 2);
  EXPECT_EQ(t.GetColName(3), "C-3");
  EXPECT_EQ(t.GetColName(1), "Weight");
  EXPECT_EQ(t.GetMScaleType(3), stInterval);
  EXPECT_EQ(t.GetElem(2, 2), 7.5);
  EXPECT_EQ(t.GetCellState(2, 2), csMarkA);
  EXPECT_EQ(t.GetCellState(3, 1), 0);
  ASSERT_EQ(log.resizes.size(), 1u);
  EXPECT_EQ(log.resizes[0], (std::vector<int>{2, 2, 3, 2}));
  EXPECT_EQ(log.data, 0);  // the matrix hook is detached while resizing
  t.Resize(3, 2);
  EXPECT_EQ(log.resize, 1);

  // Outside the table: 0, empty text, stUnknown; writes ignored.
  EXPECT_EQ(t.GetElem(0, 1), 0.0);
  EXPECT_EQ(t.GetElem(4, 1), 0.0);
  EXPECT_EQ(t.GetCellState(1, 3), 0);
  EXPECT_EQ(t.GetColName(4), "");
  EXPECT_EQ(t.GetMScaleType(9), stUnknown);
  const std::string before = Signature(t);
  t.SetElem(4, 1, 1.0);
  t.SetCellState(0, 0, 5);
  t.SetColName(0, "x");
  t.SetRowAttrib(3, 4);
  EXPECT_EQ(Signature(t), before);

  // Names are cut to 50 bytes without splitting a UTF-8 sequence.
  std::string longName(49, 'a');
  longName += "\xC3\xA4xyz";  // 'ä' straddles the limit
  t.SetRowName(1, longName);
  EXPECT_EQ(t.GetRowName(1), std::string(49, 'a'));
}

TEST(DataTableCells, StateEventsAndMarks) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  EventLog log;
  log.Attach(t);
  t.SetCellState(1, 1, csMarkA);
  t.SetCellState(1, 1, csMarkA);  // same byte: no event
  EXPECT_EQ(log.states, 1);
  t.SetIsEmpty(2, 1, true);
  EXPECT_EQ(log.states, 2);
  EXPECT_EQ(log.data, 1);
  t.SetIsEmpty(2, 1, true);  // unchanged byte: data change only
  EXPECT_EQ(log.states, 2);
  EXPECT_EQ(log.data, 2);
  t.SetIsImputed(3, 2, true);
  EXPECT_TRUE(t.GetIsImputed(3, 2));
  EXPECT_TRUE(t.GetIsNumber(3, 2));
  EXPECT_FALSE(t.GetIsNumber(2, 1));
  EXPECT_TRUE(t.GetIsEmpty(2, 1));

  // Mark A counts with mask 64, not with 128.
  EXPECT_EQ(t.CountMarkedCellsInRow(1, csMarkA), 1);
  EXPECT_EQ(t.CountMarkedCellsInRow(1, csMarkB), 0);
  EXPECT_TRUE(t.IfColHasCellState(1, csMarkA));
  EXPECT_FALSE(t.IfRowHasCellState(2, csMarkA));
  t.SetCellState(2, 2, csMarkB | csImputed);
  t.ExchangeMarkings();
  EXPECT_EQ(t.GetCellState(1, 1), csMarkB);
  EXPECT_EQ(t.GetCellState(2, 2), csMarkA | csImputed);
  t.InvertCellStates(csEmpty);
  EXPECT_EQ(t.GetCellState(2, 1), 0);
  EXPECT_EQ(t.GetCellState(3, 1), csEmpty);
  t.UnmarkAllCells();
  EXPECT_EQ(t.GetCellState(2, 2), csImputed | csEmpty);
  EXPECT_EQ(t.GetCellState(1, 1), csEmpty);

  t.SetAllCellStates(0);
  t.SetCellState(1, 2, csMarkA);
  t.SetCellState(3, 1, csMarkA | csMarkB);
  log = EventLog();
  log.Attach(t);
  EXPECT_EQ(t.FillMarkedCells(9.0, csMarkA), 2);
  EXPECT_EQ(t.GetElem(1, 2), 9.0);
  EXPECT_EQ(t.GetElem(3, 1), 9.0);
  EXPECT_EQ(t.GetElem(2, 2), 0.0);
  EXPECT_EQ(log.data, 1);
  EXPECT_EQ(t.FillMarkedCells(1.0, 0x10), 0);
  EXPECT_EQ(log.data, 1);

  TDataTable u(nullptr);
  EXPECT_FALSE(u.CopyCellStatesFrom(&t));
  u.Resize(3, 2);
  EXPECT_TRUE(u.CopyCellStatesFrom(&t));
  EXPECT_EQ(u.CRCofCellStates(), t.CRCofCellStates());
}

TEST(DataTableCells, NominalLabels) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  // Labels are written only in nominal and ordinal columns.
  t.SetNominalID(1, 1, "red");
  EXPECT_EQ(t.GetNominalID(1, 1), "");
  t.SetElemNominal(1, 1, "red");  // interval column: ignored
  EXPECT_EQ(t.GetElem(1, 1), 0.0);
  EXPECT_EQ(t.GetElemNominal(1, 1), "");

  t.SetMScaleType(1, stNominal);
  t.SetElemNominal(1, 1, "red");
  t.SetElemNominal(1, 2, "Green");
  t.SetElemNominal(1, 3, "RED");
  EXPECT_EQ(t.GetElem(1, 1), 1.0);
  EXPECT_EQ(t.GetElem(1, 2), 2.0);
  EXPECT_EQ(t.GetElem(1, 3), 1.0);
  EXPECT_EQ(t.GetElemNominal(1, 2), "Green");
  EXPECT_EQ(t.OrdinalOfNominalID(1, "green", true), 2);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "green", false), 0);

  // A long label is cut to 10 bytes before the lookup: it takes one slot only.
  t.SetElemNominal(1, 1, "a very long label");
  t.SetElemNominal(1, 2, "a very long label");
  EXPECT_EQ(t.GetNominalID(1, 3), "a very lon");
  EXPECT_EQ(t.GetNominalID(1, 4), "");
  EXPECT_EQ(t.GetElem(1, 2), 3.0);
  EXPECT_EQ(t.AddNominalID(1, "A VERY LONG LABEL, again"), 3);

  // GetElem rounds in category columns; a number outside 1..25 reads as itself.
  t.SetElem(1, 3, 2.4);
  EXPECT_EQ(t.GetElem(1, 3), 2.0);
  t.SetElem(1, 3, 30);
  EXPECT_EQ(t.GetElemNominal(1, 3), "30");

  // A 26th distinct label raises and leaves the cell unchanged.
  for (int k = 4; k <= 25; ++k) t.SetNominalID(1, k, "L" + std::to_string(k));
  try {
    t.SetElemNominal(1, 3, "one more");
    FAIL() << "no exception";
  } catch (const EZOLDataTableError& e) {
    EXPECT_NE(std::string(e.what()).find("number of available nominal values exceeded"), std::string::npos);
  }
  EXPECT_EQ(t.GetElem(1, 3), 30.0);
  EXPECT_THROW(t.AddNominalID(1, "another"), EZOLDataTableError);
  EXPECT_EQ(t.AddNominalID(1, "l7"), 7);  // existing labels still found
  // Clearing a slot frees it.
  t.SetNominalID(1, 25, "");
  t.SetElemNominal(1, 3, "one more");
  EXPECT_EQ(t.GetElem(1, 3), 25.0);

  // AddNominalID makes the column nominal; the list of categorial columns.
  EXPECT_EQ(t.AddNominalID(2, "yes"), 1);
  EXPECT_EQ(t.GetMScaleType(2), stNominal);
  t.SetMScaleType(2, stOrdinal);
  EXPECT_EQ(t.ListOfCategorialVars(), (std::vector<int>{1, 2}));
  t.ClearNominalIDs(1);
  EXPECT_EQ(t.GetNominalID(1, 1), "");
  EXPECT_EQ(t.FindHighestMLevel(0, 0), stOrdinal);
  EXPECT_EQ(t.FindLowestMLevel(0, 0), stNominal);
}

TEST(DataTableCells, FindNamesAndAttributeLevels) {
  TDataTable t(nullptr);
  t.Resize(3, 4);
  t.SetColName(2, "Weight");
  t.SetRowName(3, " Probe 7 ");
  EXPECT_EQ(t.FindColIndex("  weight "), 2);
  EXPECT_EQ(t.FindColIndex("height"), 0);
  EXPECT_EQ(t.FindRowIndex("PROBE 7"), 3);
  t.SetRowAttrib(1, 5);
  t.SetRowAttrib(2, 5);
  t.SetRowAttrib(4, 9);
  EXPECT_EQ(t.RowAttribLevels(), 3);  // 0, 5, 9
  EXPECT_EQ(t.ColAttribLevels(), 1);
}

// ==================================================================== statistics
TEST(DataTableStatistics, NumCellsAgainstNumpy) {
  TDataTable t(nullptr);
  FillStatTable(t);
  int n;
  double mean, var;
  EXPECT_EQ(t.CountNumCells(0, 0, 0, 0), static_cast<int>(kNumCount));
  EXPECT_NEAR(t.SumOfNumCells(0, 0, 0, 0, n), kNumSum, 1e-9);
  EXPECT_EQ(n, static_cast<int>(kNumCount));
  t.MeanVarOfNumCells(0, 0, 0, 0, mean, var, n);
  EXPECT_NEAR(mean, kNumMean, 1e-12 * std::fabs(kNumMean));
  EXPECT_NEAR(var, kNumVar, 1e-12 * kNumVar);
  double mn, mx;
  t.MinMaxOfNumCells(0, 0, 0, 0, mn, mx, n);
  EXPECT_EQ(mn, kNumMin);
  EXPECT_EQ(mx, kNumMax);
  double q1, q2, q3;
  t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n);
  EXPECT_NEAR(q1, kNumQuart[0], 1e-12 * std::fabs(kNumQuart[0]));
  EXPECT_NEAR(q2, kNumQuart[1], 1e-12 * std::fabs(kNumQuart[1]));
  EXPECT_NEAR(q3, kNumQuart[2], 1e-12 * std::fabs(kNumQuart[2]));
  for (size_t i = 0; i < std::size(kPctP); ++i)
    EXPECT_NEAR(t.PercentileOfNumCells(kPctP[i], 0, 0, 0, 0, n), kNumPct[i], 1e-12 * std::fabs(kNumPct[i]))
        << kPctP[i];
  double sk, ku;
  t.SkewKurtOfNumCells(0, 0, 0, 0, sk, ku, n);
  EXPECT_NEAR(sk, kNumSkewPop, 1e-10);
  EXPECT_NEAR(ku, kNumKurtPop, 1e-10);
  t.SkewKurtSampleOfNumCells(0, 0, 0, 0, sk, ku, n);
  EXPECT_NEAR(sk, kNumSkewSample, 1e-10);
  EXPECT_NEAR(ku, kNumKurtSample, 1e-10);
  EXPECT_NEAR(t.GeometricMeanOfNumCells(2, 0, 2, 0, n), kCol2GMean, 1e-12 * kCol2GMean);
  EXPECT_NEAR(t.HarmonicMeanOfNumCells(2, 0, 2, 0, n), kCol2HMean, 1e-12 * kCol2HMean);

  // A sub-region, given with its corners swapped.
  t.MeanVarOfNumCells(5, 30, 4, 11, mean, var, n);
  EXPECT_NEAR(mean, kSubMean, 1e-12 * std::fabs(kSubMean));
  EXPECT_NEAR(var, kSubVar, 1e-12 * kSubVar);
  t.QuartilesOfNumCells(4, 11, 5, 30, q1, q2, q3, n);
  EXPECT_NEAR(q2, kSubQuart[1], 1e-12 * std::fabs(kSubQuart[1]));
}

TEST(DataTableStatistics, MarkedAndValidCells) {
  TDataTable t(nullptr);
  FillStatTable(t);
  int n;
  double mean, var;
  t.MeanVarOfMarkedCells(0, 0, 0, 0, csMarkA, mean, var, n);
  EXPECT_EQ(n, static_cast<int>(kMarkCount));
  EXPECT_NEAR(mean, kMarkMean, 1e-12 * std::fabs(kMarkMean));
  EXPECT_NEAR(var, kMarkVar, 1e-12 * kMarkVar);
  EXPECT_NEAR(t.SumOfMarkedCells(0, 0, 0, 0, csMarkA, n), kMarkSum, 1e-9);
  for (size_t i = 0; i < std::size(kPctP); ++i)
    EXPECT_NEAR(t.PercentileOfMarkedCells(kPctP[i], 0, 0, 0, 0, csMarkA, n), kMarkPct[i],
                1e-12 * std::fabs(kMarkPct[i]));
  // Bits 0 and 1 of the mask select nothing.
  t.MeanVarOfMarkedCells(0, 0, 0, 0, csInvalid | csEmpty, mean, var, n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(mean, 0.0);
  EXPECT_EQ(var, 1.0);
  double mn, mx;
  t.MinMaxOfValidCells(0, 0, 0, 0, mn, mx, n);
  EXPECT_EQ(n, static_cast<int>(kValidCount));
  EXPECT_EQ(mn, kValidMin);
  EXPECT_EQ(mx, kValidMax);
  EXPECT_EQ(t.CountValidCells(0, 0, 0, 0), static_cast<int>(kValidCount));
  EXPECT_EQ(t.CountEmptyCells(0, 0, 0, 0), 5 * 4);  // 3 empty + 1 marked-empty per column
  EXPECT_EQ(t.CountImputedCells(0, 0, 0, 0), 5 * 2);
}

TEST(DataTableStatistics, EdgeCasesOfTheCellSelection) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  // (1,1) 10 mark A; (1,2) 20 mark B; (2,1) 30 empty + mark A; (2,2) 40 mark A;
  // column 3 nominal with mark A.
  t.SetElem(1, 1, 10);
  t.SetElem(1, 2, 20);
  t.SetElem(2, 1, 30);
  t.SetElem(2, 2, 40);
  t.SetElem(3, 1, 1);
  t.SetElem(3, 2, 2);
  t.SetCellState(1, 1, csMarkA);
  t.SetCellState(1, 2, csMarkB);
  t.SetCellState(2, 1, csMarkA | csEmpty);
  t.SetCellState(2, 2, csMarkA);
  t.SetCellState(3, 1, csMarkA);
  t.SetMScaleType(3, stNominal);
  int n;
  double mean, var;
  t.MeanVarOfMarkedCells(0, 0, 0, 0, csMarkA, mean, var, n);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(mean, 25.0);
  EXPECT_EQ(var, 1.0);  // fewer than 3 cells
  EXPECT_EQ(t.CountNumCells(0, 0, 0, 0), 3);
  t.MeanVarOfNumCells(0, 0, 0, 0, mean, var, n);
  EXPECT_NEAR(mean, 70.0 / 3, 1e-13);
  EXPECT_NEAR(var, (std::pow(10 - 70.0 / 3, 2) + std::pow(20 - 70.0 / 3, 2) + std::pow(40 - 70.0 / 3, 2)) / 2,
              1e-11);
  // No cell at all: mean 0, extremes at their start values, percentiles 0.
  t.SetAllCellStates(csEmpty);
  t.MeanVarOfNumCells(0, 0, 0, 0, mean, var, n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(mean, 0.0);
  double mn, mx;
  t.MinMaxOfNumCells(0, 0, 0, 0, mn, mx, n);
  EXPECT_EQ(mn, 1.7e308);
  EXPECT_EQ(mx, -1.7e308);
  EXPECT_EQ(t.PercentileOfNumCells(50, 0, 0, 0, 0, n), 0.0);
  EXPECT_EQ(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), 0.0);

  // Negative / zero arguments of the geometric and harmonic means.
  t.SetAllCellStates(0);
  t.SetElem(1, 1, -1);
  EXPECT_THROW(t.GeometricMeanOfNumCells(1, 0, 1, 0, n), EZOLDataTableError);
  t.SetElem(1, 1, 0);
  EXPECT_EQ(t.GeometricMeanOfNumCells(1, 0, 1, 0, n), 0.0);
  EXPECT_THROW(t.HarmonicMeanOfNumCells(1, 0, 1, 0, n), EZOLDataTableError);
}

TEST(DataTableStatistics, VarianceOfDataFarFromZero) {
  TDataTable t(nullptr);
  t.Resize(3, 10);
  for (int i = 0; i < 30; ++i) t.SetElem(i / 10 + 1, i % 10 + 1, kOffsetData[i]);
  int n;
  double mean, var;
  t.MeanVarOfNumCells(0, 0, 0, 0, mean, var, n);
  EXPECT_EQ(n, 30);
  EXPECT_GT(var, 0.0);
  EXPECT_NEAR(var, kOffsetVar, 1e-6 * kOffsetVar);
  // Constant data: exactly zero, never negative.
  t.Fill(1e9 + 0.1);
  t.MeanVarOfNumCells(0, 0, 0, 0, mean, var, n);
  EXPECT_EQ(var, 0.0);
}

TEST(DataTableStatistics, StandardizeCenterAndDichotomous) {
  TDataTable t(nullptr);
  t.Resize(3, 4);
  const double col1[4] = {1, 2, 3, 10};
  for (int r = 1; r <= 4; ++r) {
    t.SetElem(1, r, col1[r - 1]);
    t.SetElem(2, r, r * 100);
    t.SetElem(3, r, r % 2 + 1);
  }
  t.SetCellState(1, 4, csEmpty);  // 10 does not count
  t.SetMScaleType(3, stNominal);
  TVector means(nullptr), sds(nullptr);
  means.Resize(3);
  sds.Resize(3);
  means.Fill(-7);
  t.StandardizeNumCellColumns(&means, &sds);
  EXPECT_DOUBLE_EQ(means.GetVal(1), 2.0);
  EXPECT_DOUBLE_EQ(sds.GetVal(1), 1.0);
  EXPECT_DOUBLE_EQ(t.GetElem(1, 1), -1.0);
  EXPECT_DOUBLE_EQ(t.GetElem(1, 3), 1.0);
  EXPECT_EQ(t.GetElem(1, 4), 10.0);  // empty cell untouched
  EXPECT_EQ(means.GetVal(3), -7.0);  // nominal column left alone
  EXPECT_EQ(t.GetElem(3, 1), 2.0);

  t.MeanCenterNumCellRows(nullptr);
  // Row 4: only column 2 is numeric (400) -> 0.
  EXPECT_EQ(t.GetElem(2, 4), 0.0);

  double a, b;
  EXPECT_TRUE(t.CheckDichotomousColumn(3, a, b));
  EXPECT_EQ(a, 2.0);
  EXPECT_EQ(b, 1.0);
  EXPECT_FALSE(t.CheckDichotomousColumn(2, a, b));
  EXPECT_FALSE(t.CheckDichotomousColumn(4, a, b));
}

TEST(DataTableStatistics, CalcCovarAgainstNumpy) {
  TDataTable t(nullptr);
  FillStatTable(t);
  // Columns 1, 2, 4: move column 4 next to 1 and 2.
  t.ExchangeColumns(3, 4);
  TMatrix cov(nullptr), cor(nullptr);
  cov.Resize(3, 3);
  cor.Resize(4, 4);
  EXPECT_TRUE(t.CalcCovar(&cov, 1, 3, 0, 0, 1));
  EXPECT_TRUE(t.CalcCovar(&cor, 1, 3, 0, 0, 2));
  for (int j = 1; j <= 3; ++j)
    for (int k = 1; k <= 3; ++k) {
      const double ec = kCovMode1[(j - 1) * 3 + (k - 1)], er = kCorMode2[(j - 1) * 3 + (k - 1)];
      EXPECT_NEAR(cov.GetVal(j, k), ec, 1e-10 * std::fabs(ec)) << j << "," << k;
      EXPECT_NEAR(cor.GetVal(j, k), er, 1e-12) << j << "," << k;
    }
  EXPECT_NEAR(cor.GetVal(1, 3), kCorr14, 1e-12);
  TMatrix sq(nullptr);
  sq.Resize(3, 3);
  EXPECT_TRUE(t.CalcCovar(&sq, 1, 3, 0, 0, 3));
  EXPECT_NEAR(sq.GetVal(2, 3), kCorMode2[5] * kCorMode2[5], 1e-12);
  EXPECT_EQ(sq.GetVal(2, 2), 1.0);
  TMatrix small(nullptr);
  small.Resize(3, 2);
  EXPECT_FALSE(t.CalcCovar(&small, 1, 3, 0, 0, 1));
}

TEST(DataTableStatistics, CalcCovarModesProgressAndAbort) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  const double x[3] = {1, 2, 4}, y[3] = {2, 2, 8};
  for (int r = 1; r <= 3; ++r) {
    t.SetElem(1, r, x[r - 1]);
    t.SetElem(2, r, y[r - 1]);
  }
  TMatrix m(nullptr);
  m.Resize(2, 2);
  EXPECT_TRUE(t.CalcCovar(&m, 1, 2, 0, 0, 0));
  EXPECT_DOUBLE_EQ(m.GetVal(1, 2), (2 + 4 + 32) / 2.0);
  EXPECT_DOUBLE_EQ(m.GetVal(1, 1), (1 + 4 + 16) / 2.0);
  EXPECT_TRUE(t.CalcCovar(&m, 1, 2, 0, 0, 4));
  EXPECT_DOUBLE_EQ(m.GetVal(2, 1), (1 + 0 + 16) / 2.0);
  EXPECT_EQ(m.GetVal(1, 1), 0.0);
  EXPECT_TRUE(t.CalcCovar(&m, 1, 2, 0, 0, 9));
  EXPECT_EQ(m.GetVal(1, 2), 0.0);
  // One usable row: no division by zero.
  t.SetCellState(1, 1, csEmpty);
  t.SetCellState(2, 2, csInvalid);
  EXPECT_TRUE(t.CalcCovar(&m, 1, 2, 0, 0, 1));
  EXPECT_EQ(m.GetVal(1, 2), 0.0);

  // Progress: NV steps for the means and NV for the main pass.
  std::vector<int32_t> seen;
  MathFeedBackProc = [&](int32_t s) { seen.push_back(s); };
  ProcStat = 0;
  AbortMathProc = true;  // cleared at the start
  EXPECT_TRUE(t.CalcCovar(&m, 1, 2, 0, 0, 1));
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3, 4}));
  // Aborting from the feedback stops before the next variable.
  MathFeedBackProc = [&](int32_t s) {
    if (s >= 3) AbortMathProc = true;
  };
  ProcStat = 0;
  EXPECT_FALSE(t.CalcCovar(&m, 1, 2, 0, 0, 1));
  EXPECT_EQ(ProcStat, 3);
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
  ProcStat = 0;
}

// ==================================================================== structure
TEST(DataTableStructure, InsertRemoveExchangeMirror) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 3; ++r) {
      t.SetElem(c, r, c * 10 + r);
      t.SetCellState(c, r, static_cast<uint8_t>(c * 4 + r));
    }
  t.SetRowAttrib(2, 7);
  t.SetMScaleType(2, stRatio);
  EventLog log;
  log.Attach(t);
  t.InsertRow(2);
  EXPECT_EQ(t.NrOfRows(), 4);
  EXPECT_EQ(t.GetElem(1, 3), 12.0);
  EXPECT_EQ(t.GetCellState(2, 3), 10);
  EXPECT_EQ(t.GetRowName(3), "R-2");
  EXPECT_EQ(t.GetRowAttrib(3), 7);
  EXPECT_EQ(t.GetRowName(2), "");
  EXPECT_EQ(t.GetElem(1, 2), 0.0);
  EXPECT_EQ(t.GetCellState(1, 2), 0);
  EXPECT_EQ(log.setup, 1);
  EXPECT_EQ(log.resize, 1);
  t.InsertColumn(1);
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.GetColName(1), "");
  EXPECT_EQ(t.GetColName(2), "C-1");
  EXPECT_EQ(t.GetMScaleType(3), stRatio);
  EXPECT_EQ(t.GetMScaleType(1), stInterval);
  t.InsertColumn(5);  // beyond NrOfColumns + 1: ignored
  EXPECT_EQ(t.NrOfColumns(), 3);
  t.RemoveColumn(1);
  t.RemoveRow(2);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.GetElem(2, 3), 23.0);
  EXPECT_EQ(t.GetCellState(2, 3), 11);

  t.ExchangeRows(1, 3);
  EXPECT_EQ(t.GetElem(1, 1), 13.0);
  EXPECT_EQ(t.GetRowName(1), "R-3");
  EXPECT_EQ(t.GetCellState(1, 1), 7);
  t.ExchangeColumns(1, 2);
  EXPECT_EQ(t.GetColName(1), "C-2");
  EXPECT_EQ(t.GetMScaleType(1), stRatio);
  EXPECT_EQ(t.GetElem(1, 1), 23.0);
  t.MirrorRows();
  t.MirrorColumns();
  EXPECT_EQ(t.GetElem(2, 3), 23.0);
  EXPECT_EQ(t.GetRowName(3), "R-3");
  EXPECT_EQ(t.GetColName(2), "C-2");

  // The last column and row stay.
  TDataTable u(nullptr);
  u.RemoveRow(1);
  u.RemoveColumn(1);
  EXPECT_EQ(u.NrOfColumns(), 1);
  EXPECT_EQ(u.NrOfRows(), 1);
}

TEST(DataTableStructure, SortRowsKeepsStatesNamesAndReportsSwaps) {
  TDataTable t(nullptr);
  t.Resize(3, 4);
  const double key[4] = {3, 1, 4, 2};
  for (int r = 1; r <= 4; ++r) {
    t.SetElem(1, r, key[r - 1]);
    t.SetElem(2, r, key[r - 1] * 10);
    t.SetElem(3, r, key[r - 1] * 100);
    t.SetCellState(1, r, static_cast<uint8_t>(key[r - 1]));
    t.SetCellState(3, r, static_cast<uint8_t>(key[r - 1] * 16));
    t.SetRowName(r, "k" + std::to_string(static_cast<int>(key[r - 1])));
    t.SetRowAttrib(r, static_cast<uint8_t>(key[r - 1]));
  }
  EventLog log;
  log.Attach(t);
  // Region: columns 2..3 only; the key column 1 moves along with its states.
  t.SortRows(1, true, 2, 0, 3, 0, true);
  for (int r = 1; r <= 4; ++r) {
    EXPECT_EQ(t.GetElem(1, r), r);
    EXPECT_EQ(t.GetElem(2, r), r * 10);
    EXPECT_EQ(t.GetCellState(1, r), r);
    EXPECT_EQ(t.GetCellState(3, r), r * 16);
    EXPECT_EQ(t.GetRowName(r), "k" + std::to_string(r));
    EXPECT_EQ(t.GetRowAttrib(r), r);
  }
  ASSERT_FALSE(log.exchanges.empty());
  for (const auto& e : log.exchanges) {
    EXPECT_EQ(e[0], 2);
    EXPECT_EQ(e[3], 2);
    EXPECT_EQ(e[4], 3);
  }
  EXPECT_EQ(log.names, 1);
  EXPECT_EQ(log.attrib, 1);
  EXPECT_EQ(log.states, 1);
  EXPECT_EQ(log.data, 1);

  // Without names: names stay in place.
  t.SortRows(1, false, 0, 0, 0, 0, false);
  EXPECT_EQ(t.GetElem(1, 1), 4.0);
  EXPECT_EQ(t.GetCellState(1, 1), 4);
  EXPECT_EQ(t.GetRowName(1), "k1");

  // By names (case-insensitive), rows 1..4.
  t.SetRowName(1, "delta");
  t.SetRowName(2, "Alpha");
  t.SetRowName(3, "charlie");
  t.SetRowName(4, "BRAVO");
  t.SortRowNames(true, 0, 0, 0, 0);
  EXPECT_EQ(t.GetRowName(1), "Alpha");
  EXPECT_EQ(t.GetRowName(4), "delta");
  EXPECT_EQ(t.GetElem(1, 4), 4.0);  // row "delta" held key 4
  t.SortRowAttributes(false, 0, 0, 0, 0);
  EXPECT_EQ(t.GetRowAttrib(1), 4);

  // Columns by a key row, with scale types moving along.
  TDataTable s(nullptr);
  s.Resize(3, 2);
  s.SetElem(1, 1, 9);
  s.SetElem(2, 1, 5);
  s.SetElem(3, 1, 7);
  s.SetMScaleType(1, stRatio);
  s.SetColName(1, "nine");
  s.SortCols(1, true, 0, 0, 0, 0, true);
  EXPECT_EQ(s.GetElem(1, 1), 5.0);
  EXPECT_EQ(s.GetElem(3, 1), 9.0);
  EXPECT_EQ(s.GetColName(3), "nine");
  EXPECT_EQ(s.GetMScaleType(3), stRatio);
  s.SortColNames(true, 0, 0, 0, 0);
  EXPECT_EQ(s.GetColName(3), "nine");
  EXPECT_EQ(s.GetColName(1), "C-2");
}

TEST(DataTableStructure, SerializeClearAndCopy) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  t.SetColName(1, "first");
  t.SetColName(2, "second column");
  t.SetMScaleType(2, stRatio);
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 3; ++r) {
      t.SetElem(c, r, c * 10 + r);
      t.SetCellState(c, r, static_cast<uint8_t>(c + r));
    }
  t.SetRowName(2, "middle");
  t.SetRowAttrib(3, 4);
  TDataTable copy(nullptr);
  copy.CopyContentsFrom(&t);
  EXPECT_EQ(Signature(copy), Signature(t));

  EventLog log;
  log.Attach(t);
  t.Serialize(true);
  ASSERT_EQ(t.NrOfColumns(), 2);
  ASSERT_EQ(t.NrOfRows(), 6);
  const double idx[6] = {1, 1, 1, 2, 2, 2};
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(t.GetElem(1, i), idx[i - 1]);
    EXPECT_EQ(t.GetElem(2, i), (i <= 3 ? 10 : 20) + (i - 1) % 3 + 1);
    EXPECT_EQ(t.GetCellState(2, i), (i <= 3 ? 1 : 2) + (i - 1) % 3 + 1);
  }
  EXPECT_EQ(t.GetColName(1), "(column)");
  EXPECT_EQ(t.GetColName(2), "(data)");
  EXPECT_EQ(t.GetMScaleType(1), stNominal);
  EXPECT_EQ(t.GetMScaleType(2), stRatio);
  EXPECT_EQ(t.GetElemNominal(1, 5), "2:second c");
  EXPECT_EQ(t.GetRowName(5), "middle");
  EXPECT_EQ(t.GetRowAttrib(6), 4);
  EXPECT_EQ(log.data, 0);
  EXPECT_EQ(log.resize, 1);

  copy.Serialize(false);
  EXPECT_EQ(copy.NrOfColumns(), 1);
  EXPECT_EQ(copy.GetElem(1, 6), 23.0);

  t.SetComment("note");
  t.Clear();
  EXPECT_EQ(t.Comment(), "");
  EXPECT_EQ(t.GetColName(1), "C-1");
  EXPECT_EQ(t.GetRowName(6), "R-6");
  EXPECT_EQ(t.GetMScaleType(1), stInterval);
  EXPECT_EQ(t.GetNominalID(1, 1), "");
  EXPECT_EQ(t.CountNumCells(0, 0, 0, 0), 12);
  double mn, mx;
  int n;
  t.MinMaxOfNumCells(0, 0, 0, 0, mn, mx, n);
  EXPECT_EQ(mn, 0.0);
  EXPECT_EQ(mx, 0.0);
}

TEST(DataTableStructure, FillArithmeticAndFind) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  RandSeed = 12345;
  t.FillRandomUniform(5, 6);
  double mn, mx;
  int n;
  t.MinMaxOfNumCells(0, 0, 0, 0, mn, mx, n);
  EXPECT_GE(mn, 5.0);
  EXPECT_LT(mx, 6.0);
  t.Fill(2);
  t.SetCellState(1, 1, csEmpty);
  t.SetMScaleType(2, stOrdinal);
  t.SMult(3);
  t.SAdd(1);
  EXPECT_EQ(t.GetElem(1, 1), 2.0);  // empty cell untouched
  EXPECT_EQ(t.GetElem(1, 2), 7.0);
  EXPECT_EQ(t.GetElem(2, 2), 2.0);  // ordinal column untouched
  t.SetElem(2, 3, 6.5);
  int c, r;
  t.Find(0, 0, 0, 0, 6.6, c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 3);
  t.Find(1, 1, 1, 1, 0, c, r);  // only an empty cell
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);
}

TEST(DataTableStructure, OutsideMatrixSharedAndFreed) {
  TDataTable t(nullptr);
  t.SetColName(1, "kept");
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(3, 2);
  m->SetVal(3, 2, 8.5);
  EventLog log;
  log.Attach(t);
  t.AssignAnotherDataMatrix(m.get());
  EXPECT_TRUE(t.UsesOutsideMatrix());
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.NrOfRows(), 2);
  EXPECT_EQ(t.GetElem(3, 2), 8.5);
  EXPECT_EQ(t.GetColName(1), "kept");
  EXPECT_EQ(t.GetColName(3), "C-3");
  EXPECT_EQ(log.resize, 1);
  EXPECT_EQ(log.data, 0);
  EXPECT_EQ(log.names, 0);
  // Values written through either side are shared; the matrix's changes reach the table.
  t.SetElem(1, 1, 4);
  EXPECT_EQ(m->GetVal(1, 1), 4.0);
  m->SetVal(2, 2, 9);
  EXPECT_EQ(t.GetElem(2, 2), 9.0);
  EXPECT_EQ(log.data, 2);
  // A sort of the matrix made directly moves the states along.
  t.SetCellState(1, 1, csMarkA);
  m->SetVal(1, 2, 1);
  m->SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(t.GetCellState(1, 2), csMarkA);
  EXPECT_EQ(t.GetCellState(1, 1), 0);
  EXPECT_EQ(log.exchanges.size(), 1u);
  // The matrix resized directly: the table follows.
  m->Resize(4, 2);
  EXPECT_EQ(t.NrOfColumns(), 4);
  EXPECT_EQ(t.GetColName(4), "C-4");
  // The matrix goes away first: the table keeps working with its own store.
  m.reset();
  EXPECT_FALSE(t.UsesOutsideMatrix());
  EXPECT_EQ(t.NrOfColumns(), 4);
  EXPECT_EQ(t.GetElem(2, 2), 0.0);
  t.SetElem(2, 2, 1.5);
  EXPECT_EQ(t.GetElem(2, 2), 1.5);
  EXPECT_EQ(t.GetColName(1), "kept");

  // A table freed before its matrix leaves the matrix unhooked and intact.
  TMatrix m2(nullptr);
  m2.Resize(2, 2);
  {
    TDataTable u(nullptr);
    u.AssignAnotherDataMatrix(&m2);
    u.SetElem(2, 2, 3);
  }
  EXPECT_EQ(m2.GetVal(2, 2), 3.0);
  EXPECT_FALSE(static_cast<bool>(m2.OnChange));
  m2.SetVal(1, 1, 1);

  // An owned table is freed by its owner.
  TComponent owner(nullptr);
  auto* owned = new TDataTable(&owner);
  owned->AssignAnotherDataMatrix(&m2);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(DataTableEvents, BulkOperationsFireOnce) {
  TDataTable t(nullptr);
  t.Resize(4, 4);
  EventLog log;
  log.Attach(t);
  t.Clear();
  EXPECT_EQ(log.setup, 1);
  EXPECT_EQ(log.names, 1);
  EXPECT_EQ(log.attrib, 1);
  EXPECT_EQ(log.states, 1);
  EXPECT_EQ(log.data, 1);
  t.SetComment("x");
  EXPECT_EQ(log.names, 2);
  t.SetColAttrib(1, 3);
  t.SetColAttrib(1, 3);
  EXPECT_EQ(log.attrib, 2);
  t.SetMScaleType(1, stRatio);
  EXPECT_EQ(log.setup, 2);
  t.Fill(1);
  EXPECT_EQ(log.data, 2);
  // A handler that throws leaves the table usable and its events working.
  t.OnChangeSetup = [](TObject*) { throw std::runtime_error("handler"); };
  EXPECT_THROW(t.Clear(), std::runtime_error);
  t.OnChangeSetup = nullptr;
  t.SetColName(1, "after");
  EXPECT_EQ(log.names, 3);  // the throwing handler came first, Clear's others were dropped
}

// ==================================================================== checksums
TEST(DataTableChecksums, AgainstZlib) {
  TDataTable t(nullptr);
  t.Resize(3, 4);
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 4; ++r) {
      t.SetElem(c, r, kCrcVals[(c - 1) * 4 + (r - 1)]);
      t.SetCellState(c, r, static_cast<uint8_t>(kCrcStates[(c - 1) * 4 + (r - 1)]));
    }
  EXPECT_EQ(t.CRCofData(), kCrcData);
  EXPECT_EQ(t.CRCofCellStates(), kCrcCellStates);
  t.SetComment("Trial 7");
  t.SetColName(1, "Weight");
  t.SetColName(2, "Height");
  t.SetColName(3, "Colour");
  t.SetRowName(2, "alpha");
  t.SetRowName(3, "beta");
  t.SetColAttrib(1, 3);
  t.SetColAttrib(3, 200);
  const uint8_t ra[4] = {1, 2, 0, 9};
  for (int r = 1; r <= 4; ++r) t.SetRowAttrib(r, ra[r - 1]);
  t.SetMScaleType(2, stRatio);
  t.AddNominalID(3, "red");
  t.AddNominalID(3, "green");
  t.AddNominalID(3, "blue");
  EXPECT_EQ(t.CRCofNamesAndAttributes(), kCrcNames);
}

// ==================================================================== CSV
TEST(DataTableCSV, ReadsPythonCsvFile) {
  TDataTable t(nullptr);
  ASSERT_TRUE(t.ImportFromCSV(kData + "datatable_py.csv", csvComma, true, true));
  ExpectCsvTable(t);
  TDataTable u(nullptr);
  ASSERT_TRUE(u.ImportFromCSV(kData + "datatable_py.csv", csvUnknown, true, true));
  EXPECT_EQ(Signature(u), Signature(t));
}

TEST(DataTableCSV, WriterMatchesTheFileCheckedByPythonCsv) {
  TDataTable t(nullptr);
  FillCsvTable(t);
  TStringStream s;
  t.ExportAsCSV(s, -1, csvComma, true, true);
  EXPECT_EQ(s.DataString(), ReadFileBytes(kData + "datatable_ours.csv"));
}

TEST(DataTableCSV, RoundTripAllDelimitersAndPrecisions) {
  TDataTable t(nullptr);
  FillCsvTable(t);
  for (TCSVDelimiters d : {csvComma, csvColon, csvSemicolon, csvTab}) {
    for (bool names : {false, true}) {
      TStringStream s;
      t.ExportAsCSV(s, -1, d, names, names);
      s.SetPosition(0);
      TDataTable u(nullptr);
      ASSERT_TRUE(u.ImportFromCSV(s, d, names, names)) << d << names;
      EXPECT_EQ(u.CRCofData(), t.CRCofData()) << d;
      EXPECT_EQ(u.CRCofCellStates(), t.CRCofCellStates()) << d;
      if (names) ExpectCsvTable(u);
    }
  }
  // Fixed precision rounds; a semicolon file also takes decimal commas.
  TStringStream s;
  t.ExportAsCSV(s, 2, csvSemicolon, false, false);
  EXPECT_EQ(s.DataString().substr(0, 20), "1.50;-2.25;0.00;0.10");
  TStringStream eu("1,5;2\r\n3;4,25\r\n");
  TDataTable u(nullptr);
  ASSERT_TRUE(u.ImportFromCSV(eu, csvUnknown, false, false));  // tie: semicolon
  EXPECT_EQ(u.GetElem(1, 1), 1.5);
  EXPECT_EQ(u.GetElem(2, 2), 4.25);
  // One column with an empty cell: the record is "" and reads back empty.
  TDataTable one(nullptr);
  one.Resize(1, 2);
  one.SetCellState(1, 2, csEmpty);
  TStringStream s1;
  one.ExportAsCSV(s1, -1, csvComma, false, false);
  EXPECT_EQ(s1.DataString(), "0\r\n\"\"\r\n");
  s1.SetPosition(0);
  TDataTable back(nullptr);
  ASSERT_TRUE(back.ImportFromCSV(s1, csvComma, false, false));
  EXPECT_EQ(back.NrOfRows(), 2);
  EXPECT_EQ(back.GetCellState(1, 2), csEmpty);
}

// Written for a reader that detects the delimiter (commas): fields holding one
// of the other candidates are quoted, so the detection finds the commas even
// where the names hold more TABs or semicolons than the record has commas.
TEST(DataTableCSV, DetectedDelimiterRoundTrip) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetColName(1, "a\tb\tc");
  t.SetColName(2, "x;y");
  t.SetRowName(1, "r:1");
  t.SetRowName(2, "two");
  t.SetElem(1, 1, 1.5);
  t.SetElem(2, 1, 0);
  t.SetElem(1, 2, 0);
  t.SetElem(2, 2, -2);
  TStringStream s;
  t.ExportAsCSV(s, -1, csvUnknown, true, true);
  EXPECT_EQ(s.DataString(), ",\"a\tb\tc\",\"x;y\"\r\n\"r:1\",1.5,0\r\ntwo,0,-2\r\n");
  s.SetPosition(0);
  TDataTable u(nullptr);
  ASSERT_TRUE(u.ImportFromCSV(s, csvUnknown, true, true));
  EXPECT_EQ(u.NrOfColumns(), 2);
  EXPECT_EQ(u.GetColName(1), "a\tb\tc");
  EXPECT_EQ(u.GetRowName(1), "r:1");
  EXPECT_EQ(u.GetElem(2, 2), -2.0);
  // one column: no delimiter outside quotes at all
  TDataTable one(nullptr);
  one.Resize(1, 2);
  one.SetColName(1, "p\tq\tr");
  one.SetElem(1, 1, 0);
  one.SetElem(1, 2, 3);
  TStringStream s1;
  one.ExportAsCSV(s1, -1, csvUnknown, true, false);
  s1.SetPosition(0);
  TDataTable back(nullptr);
  ASSERT_TRUE(back.ImportFromCSV(s1, csvUnknown, true, false));
  EXPECT_EQ(back.NrOfColumns(), 1);
  EXPECT_EQ(back.GetColName(1), "p\tq\tr");
  EXPECT_EQ(back.GetElem(1, 2), 3.0);
}

TEST(DataTableCSV, DamagedFilesAreRefusedWithoutChange) {
  TDataTable t(nullptr);
  FillCsvTable(t);
  t.SetComment("keep me");
  const std::string sig = Signature(t);
  const char* bad[] = {
      "",                          // nothing
      "a,b\r\n",                   // names only, no data
      "1,2\r\n3\r\n",              // short last record (truncated)
      "1,\"2\r\n",                 // unterminated quote
      "\xEF\xBB\xBF",              // byte-order mark only
  };
  for (const char* b : bad) {
    TStringStream s(b);
    EXPECT_FALSE(t.ImportFromCSV(s, csvComma, std::string(b).rfind("a,b", 0) == 0, false)) << b;
    EXPECT_EQ(Signature(t), sig);
  }
  EXPECT_FALSE(t.ImportFromCSV(TempPath("missing.csv"), csvComma, false, false));
  // Every truncation of our own file that ends inside a record is refused.
  TDataTable src(nullptr);
  FillCsvTable(src);
  TStringStream full;
  src.ExportAsCSV(full, -1, csvComma, true, true);
  const std::string bytes = full.DataString();
  // A cut is refused unless it leaves whole records: it ends at a line break
  // or inside the last field of a data record (the last record needs no
  // line break, so such a cut cannot be told from a complete file).
  for (size_t len = 0; len < bytes.size(); ++len) {
    TStringStream s(bytes.substr(0, len));
    TDataTable u(nullptr);
    u.SetComment("keep me");
    const std::string usig = Signature(u);
    if (u.ImportFromCSV(s, csvComma, true, true)) {
      const size_t ls = bytes.rfind('\n', len - 1) + 1;
      const bool atBreak = bytes[len - 1] == '\n' || bytes[len - 1] == '\r';
      EXPECT_TRUE(atBreak || std::count(bytes.begin() + ls, bytes.begin() + len, ',') == 4) << len;
      EXPECT_LE(u.NrOfRows(), 4);
    } else {
      EXPECT_EQ(Signature(u), usig);
    }
  }
}

// ==================================================================== ASC
TEST(DataTableASC, RoundTripWithNamesAttributesAndComment) {
  TDataTable t(nullptr);
  FillCsvTable(t);
  t.SetComment("Run 3\nsecond line");
  t.SetRowAttrib(2, 17);
  t.SetColAttrib(4, 255);
  t.SetRowName(1, "tab\there");
  const std::string file = TempPath("roundtrip.asc");
  t.ExportAsASC(file, -1);
  const std::string text = ReadFileBytes(file);
  EXPECT_EQ(text.rfind("Run 3 second line\n4\t;nr. of columns\n4\t;nr. of rows\nTRUE TRUE TRUE TRUE\t", 0), 0u);
  TDataTable u(nullptr);
  ASSERT_TRUE(u.ImportASC(file));
  ExpectCsvTable(u);
  EXPECT_EQ(u.Comment(), "Run 3 second line");
  EXPECT_EQ(u.GetRowAttrib(2), 17);
  EXPECT_EQ(u.GetColAttrib(4), 255);
  EXPECT_EQ(u.GetRowName(1), "tab\there");
  EXPECT_EQ(u.CRCofData(), t.CRCofData());
  std::remove(file.c_str());

  // Without attributes the flags say so and no attribute columns appear.
  TDataTable plain(nullptr);
  plain.Resize(2, 1);
  plain.SetElem(1, 1, 0.25);
  TStringStream s;
  plain.ExportAsASC(s, 3);
  EXPECT_EQ(s.DataString(),
            "\n2\t;nr. of columns\n1\t;nr. of rows\n"
            "FALSE TRUE TRUE FALSE\t;row attributes, column names, row names, column attributes\n"
            "\"C-1\"\t\"C-2\"\n\"R-1\"\t0.250\t0.000\n");
}

TEST(DataTableASC, ReadsPairTablesAndPlacesBlocks) {
  // A pair table in the layout of the curve fit's export: unquoted names
  // separated by blanks, no row names.
  const std::string pairs =
      "Exported pairs\n2\t;nr. of columns\n3\t;nr. of rows\n"
      "FALSE TRUE FALSE\t;row attributes, column names, row names\n"
      "x   y\n1.0\t2.5\n2.0\t3.5\n3.0\t4.5\n";
  TStringStream s(pairs);
  TDataTable t(nullptr);
  ASSERT_TRUE(t.ImportASC(s));
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.GetColName(2), "y");
  EXPECT_EQ(t.GetRowName(3), "R-3");
  EXPECT_EQ(t.GetElem(2, 3), 4.5);
  EXPECT_EQ(t.Comment(), "Exported pairs");

  // The same block placed at (2, 3) of another table, growing it.
  TDataTable u(nullptr);
  u.Resize(2, 2);
  u.SetComment("mine");
  u.SetElem(1, 1, 7);
  TStringStream s2(pairs);
  ASSERT_TRUE(u.ReadFromASC(s2, 2, 3, true));
  EXPECT_EQ(u.NrOfColumns(), 3);
  EXPECT_EQ(u.NrOfRows(), 5);
  EXPECT_EQ(u.GetElem(1, 1), 7.0);
  EXPECT_EQ(u.GetElem(3, 5), 4.5);
  EXPECT_EQ(u.GetColName(3), "y");
  EXPECT_EQ(u.Comment(), "mine");
  // Without AdjustSize what lies outside is dropped.
  TDataTable v(nullptr);
  v.Resize(2, 2);
  TStringStream s3(pairs);
  ASSERT_TRUE(v.ReadFromASC(s3, 2, 1, false));
  EXPECT_EQ(v.NrOfColumns(), 2);
  EXPECT_EQ(v.GetElem(2, 2), 2.0);

  // From the clipboard.
  Clipboard().SetAsText(pairs);
  TDataTable w(nullptr);
  ASSERT_TRUE(w.ImportASCFromClipboard());
  EXPECT_EQ(w.GetElem(1, 2), 2.0);
  Clipboard().Clear();
}

TEST(DataTableASC, DamagedAndTruncatedFilesAreRefused) {
  TDataTable src(nullptr);
  FillCsvTable(src);
  src.SetRowAttrib(1, 3);
  src.SetColAttrib(2, 4);
  TStringStream full;
  src.ExportAsASC(full, -1);
  const std::string bytes = full.DataString();
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetComment("untouched");
  const std::string sig = Signature(t);
  // Every proper prefix is refused (the last row needs all of its fields).
  for (size_t len = 0; len + 1 < bytes.size(); ++len) {
    TStringStream s(bytes.substr(0, len));
    EXPECT_FALSE(t.ImportASC(s)) << len;
    EXPECT_EQ(Signature(t), sig);
  }
  // Counts that the file cannot hold are refused before anything is allocated.
  const char* bad[] = {
      "c\n2000000000\t;\n2000000000\t;\nFALSE FALSE FALSE FALSE\n1\t2\n",
      "c\n3\t;\n-1\t;\nFALSE FALSE FALSE FALSE\n",
      "c\n1\t;\n1\t;\nMAYBE FALSE FALSE\n1\n",
      "c\nx\t;\n1\t;\nFALSE FALSE FALSE FALSE\n1\n",
      "c\n2\t;\n1\t;\nTRUE FALSE FALSE FALSE\n300\t1\t2\n",  // attribute beyond 255
      "c\n2\t;\n1\t;\nFALSE FALSE FALSE FALSE\n1\t2\t3\n",  // too many fields
  };
  for (const char* b : bad) {
    TStringStream s(b);
    EXPECT_FALSE(t.ImportASC(s)) << b;
    TStringStream s2(b);
    EXPECT_FALSE(t.ReadFromASC(s2, 1, 1, true)) << b;
    EXPECT_EQ(Signature(t), sig);
  }
  TStringStream far(bytes);
  EXPECT_FALSE(t.ReadFromASC(far, 2147483000, 1, true));
  EXPECT_EQ(Signature(t), sig);
  EXPECT_FALSE(t.ImportASC(TempPath("missing.asc")));
}

TEST(DataTableReaders, FuzzedFilesNeverCrashAndRefuseCleanly) {
  TDataTable src(nullptr);
  FillCsvTable(src);
  src.SetRowAttrib(2, 5);
  TStringStream asc, csv;
  src.ExportAsASC(asc, 4);
  src.ExportAsCSV(csv, 4, csvSemicolon, true, true);
  std::mt19937 rng(20261207);
  const char alphabet[] = "0123456789\t\r\n\";,.-eETRUFALS ";
  for (int round = 0; round < 1500; ++round) {
    for (int kind = 0; kind < 2; ++kind) {
      std::string b = kind == 0 ? asc.DataString() : csv.DataString();
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int e = 0; e < edits && !b.empty(); ++e) {
        const size_t pos = rng() % b.size();
        switch (rng() % 4) {
          case 0: b[pos] = alphabet[rng() % (sizeof alphabet - 1)]; break;
          case 1: b.erase(pos, 1 + rng() % 8); break;
          case 2: b.insert(pos, 1, alphabet[rng() % (sizeof alphabet - 1)]); break;
          default: b[pos] = static_cast<char>(rng() & 0xFF); break;
        }
      }
      TDataTable t(nullptr);
      t.SetComment("before");
      const std::string sig = Signature(t);
      TStringStream s(b);
      const bool ok = kind == 0 ? t.ImportASC(s) : t.ImportFromCSV(s, csvUnknown, true, true);
      if (!ok) {
        EXPECT_EQ(Signature(t), sig);
      } else {
        EXPECT_GE(t.NrOfColumns(), 1);
        EXPECT_LE(static_cast<size_t>(t.NrOfColumns()) * t.NrOfRows(), b.size() + 1);
      }
    }
  }
}
