// Gallery page: a data table with cell states and scale types, its statistics
// per column and over marked cells, a correlation matrix and the CSV/ASC files.
#include <cmath>
#include <string>
#include <vector>

#include "apps/gallery/Gallery.h"
#include "base/Zol_stringl.h"
#include "base/platform/Zol_classes.h"
#include "math/Zol_datatable.h"

using namespace zol;

namespace {

std::string Num(double v, int dec) { return strff(static_cast<long double>(v), 1, dec); }

// Twelve plants measured in three groups; a few cells empty, invalid or marked.
void FillPlants(TDataTable& t) {
  const char* cols[5] = {"Group", "Height cm", "Leaves", "Mass g", "Dry %"};
  const double vals[12][5] = {
      {1, 21.4, 12, 38.2, 14.1}, {1, 23.0, 14, 41.5, 13.8}, {1, 19.8, 11, 35.0, 15.2},
      {1, 22.6, 13, 40.1, 14.6}, {2, 27.9, 17, 52.3, 12.9}, {2, 30.2, 18, 55.8, 12.4},
      {2, 26.5, 16, 49.9, 13.3}, {2, 29.1, 19, 54.0, 12.7}, {3, 17.2, 9, 30.4, 16.8},
      {3, 18.5, 10, 32.7, 16.1}, {3, 16.9, 8, 29.8, 17.3}, {3, 19.4, 10, 33.9, 15.9}};
  t.Resize(5, 12);
  t.SetComment("Greenhouse trial, week 6");
  for (int c = 1; c <= 5; ++c) t.SetColName(c, cols[c - 1]);
  for (int r = 1; r <= 12; ++r) {
    t.SetRowName(r, "P" + std::to_string(r));
    for (int c = 1; c <= 5; ++c) t.SetElem(c, r, vals[r - 1][c - 1]);
  }
  t.AddNominalID(1, "shade");
  t.AddNominalID(1, "sun");
  t.AddNominalID(1, "control");
  t.SetMScaleType(2, stRatio);
  t.SetMScaleType(3, stRatio);
  t.SetMScaleType(4, stRatio);
  t.SetMScaleType(5, stInterval);
  t.SetIsEmpty(3, 7, true);       // leaves not counted
  t.SetCellState(4, 10, csInvalid);  // unreadable mass
  for (int r = 5; r <= 8; ++r) t.SetCellState(2, r, csMarkA);  // sun group heights
  t.SetCellState(2, 2, csMarkB);
}

}  // namespace

ZOL_GALLERY_PAGE("datatable", "Data table", 40) {
  TDataTable t(nullptr);
  FillPlants(t);

  page.AddHeading("The table");
  page.AddText(t.Comment() + ". Column 1 is nominal (labels shade, sun, control); leaves of P7 are empty, "
               "the mass of P10 is invalid; heights of P5..P8 carry mark A, P2 mark B.");
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> head = {""};
  for (int c = 1; c <= t.NrOfColumns(); ++c) head.push_back(t.GetColName(c));
  rows.push_back(head);
  for (int r = 1; r <= t.NrOfRows(); ++r) {
    std::vector<std::string> row = {t.GetRowName(r)};
    for (int c = 1; c <= t.NrOfColumns(); ++c) {
      const uint8_t s = t.GetCellState(c, r);
      std::string cell = (s & csEmpty) ? "" : (s & csInvalid) ? "-nan-"
                         : t.GetMScaleType(c) == stNominal ? t.GetElemNominal(c, r)
                                                           : Num(t.GetElem(c, r), 1);
      if (s & csMarkA) cell += " (A)";
      if (s & csMarkB) cell += " (B)";
      row.push_back(cell);
    }
    rows.push_back(row);
  }
  page.AddTable(rows);

  page.AddHeading("Statistics of the numeric cells per column");
  page.AddText("Only interval and ratio columns count; empty and invalid cells are skipped. Variances are "
               "sample variances; quartiles use the (n + 1)p position.");
  rows.assign(1, {"Column", "Scale", "n", "Mean", "Std. dev.", "Min", "Q1", "Median", "Q3", "Max", "Skewness",
                  "Excess kurtosis"});
  for (int c = 1; c <= t.NrOfColumns(); ++c) {
    int n;
    double mean, var, mn, mx, q1, q2, q3, sk, ku;
    t.MeanVarOfNumCells(c, 0, c, 0, mean, var, n);
    std::vector<std::string> row = {t.GetColName(c), MScaleTypeNames[t.GetMScaleType(c)], std::to_string(n)};
    if (n == 0) {
      row.insert(row.end(), 9, "-");
    } else {
      t.MinMaxOfNumCells(c, 0, c, 0, mn, mx, n);
      t.QuartilesOfNumCells(c, 0, c, 0, q1, q2, q3, n);
      t.SkewKurtOfNumCells(c, 0, c, 0, sk, ku, n);
      for (double v : {mean, std::sqrt(var), mn, q1, q2, q3, mx, sk, ku}) row.push_back(Num(v, 3));
    }
    rows.push_back(row);
  }
  page.AddTable(rows);

  page.AddHeading("Marked cells and the whole table");
  rows.assign(1, {"Selection", "n", "Sum", "Mean", "Variance", "Median"});
  struct Sel {
    const char* name;
    int kind;
    uint8_t mask;
  };
  for (const Sel& s : {Sel{"numeric cells", 0, 0}, Sel{"mark A", 1, csMarkA}, Sel{"mark B", 1, csMarkB},
                       Sel{"mark A or B", 1, csMarkA | csMarkB}}) {
    int n;
    double mean, var, sum, med;
    if (s.kind == 0) {
      sum = t.SumOfNumCells(0, 0, 0, 0, n);
      t.MeanVarOfNumCells(0, 0, 0, 0, mean, var, n);
      med = t.PercentileOfNumCells(50, 0, 0, 0, 0, n);
    } else {
      sum = t.SumOfMarkedCells(0, 0, 0, 0, s.mask, n);
      t.MeanVarOfMarkedCells(0, 0, 0, 0, s.mask, mean, var, n);
      med = t.PercentileOfMarkedCells(50, 0, 0, 0, 0, s.mask, n);
    }
    rows.push_back({s.name, std::to_string(n), Num(sum, 2), Num(mean, 3), Num(var, 3), Num(med, 2)});
  }
  page.AddTable(rows);
  page.AddText("Cells: " + std::to_string(t.CountValidCells(0, 0, 0, 0)) + " valid, " +
               std::to_string(t.CountEmptyCells(0, 0, 0, 0)) + " empty; a variance of fewer than three cells "
               "is reported as 1.");

  page.AddHeading("Correlations (pairwise complete rows)");
  TMatrix cor(nullptr);
  cor.Resize(4, 4);
  t.CalcCovar(&cor, 2, 5, 0, 0, 2);
  rows.assign(1, {""});
  for (int c = 2; c <= 5; ++c) rows[0].push_back(t.GetColName(c));
  for (int j = 1; j <= 4; ++j) {
    std::vector<std::string> row = {t.GetColName(j + 1)};
    for (int k = 1; k <= 4; ++k) row.push_back(Num(cor.GetVal(j, k), 3));
    rows.push_back(row);
  }
  page.AddTable(rows);

  page.AddHeading("Files");
  t.ExportAsCSV(page.FilePath("plants.csv"), 2, csvComma, true, true);
  t.ExportAsASC(page.FilePath("plants.asc"), 2);
  page.AddLink("plants.csv", "plants.csv (RFC 4180, comma-separated, CR LF)");
  page.AddLink("plants.asc", "plants.asc (ASC table: header, quoted names, TAB-separated values)");
  page.AddText("Checksums: values " + t.CRCofData().substr(0, 16) + "..., states " +
               t.CRCofCellStates().substr(0, 16) + "..., names and attributes " +
               t.CRCofNamesAndAttributes().substr(0, 16) + "...");
}
