// The box plot: a two-dimensional chart that shows one box-and-whisker
// symbol per column of a data table.
//
// Per column the plot keeps the statistics of the column's numeric cells
// (minimum, maximum, the quartiles, the 10th and 90th percentiles and the
// mean, all through the data table's routines: quartiles and percentiles at
// the (n + 1)·p position with linear interpolation, clamped to the extremes).
// CreateChart turns them into ordinary chart items on layer 1: whiskers and
// min/max marks, the box from Q1 to Q3, the percentile, median and mean
// marks (or short lines), and places the column names (text labels 1..30)
// at the columns.
//
// Orientation: bpltVertical puts column c at x = c with the values along y;
// bpltHorizontal exchanges x and y (column c at y = c, values along x).
//
// Degenerate columns: a column without numeric cells, or whose statistics
// are not finite (a numeric cell holding an infinity or NaN), produces no
// items and no label; a column with a single value gives a box of zero
// height with every mark on that value.  Coordinates handed to the chart
// are always finite.
//
// Column labels: label c (c ≤ 30) is attached to the data in the column
// direction and placed in pixels in the value direction: Labels().Position
// p < 0 puts its centre |p| pixels inside the plotting area's top edge
// (vertical) or left edge (horizontal), p ≥ 0 p pixels inside the bottom
// (right) edge.  The label is drawn transparent (text only) when
// Labels().Transparent is set, with a shadow when ShadowDx or ShadowDy is
// not 0, otherwise as a box with a border.
//
// Grid: bpgsLines / bpgsDotLines draw solid / dotted lines across the plot
// at the value axis' ticks (the chart's horizontal or vertical grid).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/Zol_rchart.h"
#include "math/Zol_datatable.h"

namespace zol {

class EZOLBoxPlotError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TBoxPlotOrientation { bpltHorizontal, bpltVertical };
enum TBoxPlotGridStyle { bpgsNone, bpgsLines, bpgsDotLines };

// Fired before the symbol of a column is built; the handler may change the colours.
using TOnBeforeBoxDrawEvent =
    std::function<void(TObject* Sender, int Column, TColor& ColorLines, TColor& ColorBody, TColor& ColorMinMax,
                       TColor& Color90Perc, TColor& ColorMean, TColor& ColorMedian)>;

// The statistics of one column.  Valid is false for a column without
// numeric cells (or with non-finite statistics); the values are 0 then.
struct TBoxPlotStats {
  bool Valid = false;
  int NumValues = 0;
  double Min = 0, Max = 0;
  double Q1 = 0, Median = 0, Q3 = 0;
  double Perc10 = 0, Perc90 = 0;
  double Mean = 0;
};

// The appearance of the column labels.  Every setter fires OnChange when the value changes.
class TBoxPlotLabel : public TPersistent {
 public:
  TBoxPlotLabel();
  ~TBoxPlotLabel() override;
  void Assign(const TPersistent& Source) override;

  int Position() const { return FPosition; }
  void SetPosition(int v);
  TColor ColorBkg() const { return FColorBkg; }
  void SetColorBkg(TColor v);
  TColor ColorBorder() const { return FColorBorder; }
  void SetColorBorder(TColor v);
  TColor ColorShadow() const { return FColorShadow; }
  void SetColorShadow(TColor v);
  int ShadowDx() const { return FShadowDx; }
  void SetShadowDx(int v);
  int ShadowDy() const { return FShadowDy; }
  void SetShadowDy(int v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  // Changes made to the font directly fire OnChange too.
  TFont& Font() { return *FFont; }
  const TFont& Font() const { return *FFont; }
  void SetFont(const TFont& f);
  TNotifyEvent OnChange;

 private:
  void Changed();
  int FPosition = 12;
  TColor FColorBkg = clWhite, FColorBorder = clBlack, FColorShadow = RGB(128, 128, 128);
  int FShadowDx = 0, FShadowDy = 0;
  bool FTransparent = false;
  std::unique_ptr<TFont> FFont;
};

class TBoxPlot : public TCustomRChart {
 public:
  // Mark codes (Part of the shared drawing routines): 26 a filled circle, 5 a diagonal cross.
  explicit TBoxPlot(TComponent* AOwner);
  ~TBoxPlot() override;

  // ---- data
  // The plot's own table (1 column of 100 normally distributed numbers when created).
  TDataTable& DataTable() { return *FTable; }
  const TDataTable& DataTable() const { return *FTable; }
  // Copies size, values, states, names and scale types of Table into the
  // plot's table and rebuilds the plot once; nullptr is ignored.
  void AssignAnotherDataTable(const TDataTable* Table);
  // The reaction to a change of the table: unless painting is suppressed,
  // CommitChangedData, the column names into labels 1..30, CreateChart.
  // While painting is suppressed the change is remembered and handled when
  // SetSuppressPaint(false) is called.
  void DataChanged();
  // Recomputes the statistics of every column from its numeric cells.
  void CommitChangedData();
  // Rebuilds the chart items from the statistics and repaints.
  void CreateChart();
  void Update() { CreateChart(); }
  int NumColumns() const { return static_cast<int>(FStats.size()); }
  // The statistics of column c (1-based); an invalid record outside 1..NumColumns.
  TBoxPlotStats ColumnStats(int c) const;

  // ---- ranges
  // Recomputes the statistics; values [min − m, max + m] with
  // m = |max − min|·Margin/100 over all columns, columns 0 .. columns + 1.
  // A single value v gives v − 1 .. v + 1; without any numeric cell the value
  // range is kept.
  void AutoRange(double Margin);
  // The chart's SetRange on layer 1.
  void SetRange(double XLow, double YLow, double XHigh, double YHigh);
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // ---- files
  // The statistics as TAB-separated text (see the source); raises the
  // platform's file errors (EFCreateError, EWriteError).
  void SaveDataASC(const std::string& FileName);

  // ---- painting
  // Changes remembered while painting was suppressed are applied when it is switched on again.
  void SetSuppressPaint(bool v);

  // ---- properties
  TBoxPlotOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TBoxPlotOrientation v);
  double BoxWidth() const { return FBoxWidth; }
  void SetBoxWidth(double v);  // clamped to 0..10 (column units); NaN is ignored
  bool ShowMinMax() const { return FShowMinMax; }
  void SetShowMinMax(bool v);
  bool ShowMedian() const { return FShowMedian; }
  void SetShowMedian(bool v);
  bool ShowMean() const { return FShowMean; }
  void SetShowMean(bool v);
  bool Show90Perc() const { return FShow90Perc; }
  void SetShow90Perc(bool v);
  uint8_t SymbolMin() const { return FSymbolMin; }
  void SetSymbolMin(uint8_t v);
  uint8_t SymbolMax() const { return FSymbolMax; }
  void SetSymbolMax(uint8_t v);
  uint8_t SymbolMean() const { return FSymbolMean; }
  void SetSymbolMean(uint8_t v);
  uint8_t SymbolMedian() const { return FSymbolMedian; }
  void SetSymbolMedian(uint8_t v);
  uint8_t Symbol90Perc() const { return FSymbol90Perc; }
  void SetSymbol90Perc(uint8_t v);
  TColor ColorBody() const { return FColorBody; }
  void SetColorBody(TColor v);
  TColor ColorLines() const { return FColorLines; }
  void SetColorLines(TColor v);
  TColor ColorMedian() const { return FColorMedian; }
  void SetColorMedian(TColor v);
  TColor ColorMean() const { return FColorMean; }
  void SetColorMean(TColor v);
  TColor Color90Perc() const { return FColor90Perc; }
  void SetColor90Perc(TColor v);
  TColor ColorMinMax() const { return FColorMinMax; }
  void SetColorMinMax(TColor v);
  TBoxPlotGridStyle GridStyle() const { return FGridStyle; }
  void SetGridStyle(TBoxPlotGridStyle v);
  TBoxPlotLabel& Labels() { return *FLabels; }
  const TBoxPlotLabel& Labels() const { return *FLabels; }

  TOnBeforeBoxDrawEvent OnBeforeBoxDraw;

 private:
  void HookTable();
  void PlaceLabels();
  void ApplyAxes();
  void ApplyGrid();
  // Rebuilds the items when a property changes (nothing while suppressed).
  void PropChanged();
  // Adds a line along the column axis direction (c1..c2 at value v) or along
  // the value direction (column c, values v1..v2), exchanged when horizontal.
  void AddLine(double col1, double val1, double col2, double val2);
  void AddMark(double col, double val, uint8_t code);

  std::unique_ptr<TDataTable> FTable;
  std::unique_ptr<TBoxPlotLabel> FLabels;
  std::vector<TBoxPlotStats> FStats;
  bool FDirty = false;
  bool FAssigning = false;
  TBoxPlotOrientation FOrientation = bpltVertical;
  double FBoxWidth = 0.5;
  bool FShowMinMax = true, FShowMedian = true, FShowMean = true, FShow90Perc = false;
  uint8_t FSymbolMin = 26, FSymbolMax = 26, FSymbolMean = 5, FSymbolMedian = 0, FSymbol90Perc = 0;
  TColor FColorBody = RGB(233, 233, 233), FColorLines = clBlack, FColorMedian = clBlack, FColorMean = clBlue,
         FColor90Perc = clBlue, FColorMinMax = clBlack;
  TBoxPlotGridStyle FGridStyle = bpgsNone;
};

}  // namespace zol
