// The box plot (see the header for the layout of symbols and labels).
#include "chart/Zol_boxplot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/Zol_stringl.h"
#include "base/platform/Zol_classes.h"

namespace zol {

// ---------------------------------------------------------------- TBoxPlotLabel

TBoxPlotLabel::TBoxPlotLabel() : FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) { Changed(); };
}

TBoxPlotLabel::~TBoxPlotLabel() = default;

void TBoxPlotLabel::Changed() {
  if (OnChange) {
    auto h = OnChange;
    h(this);
  }
}

void TBoxPlotLabel::Assign(const TPersistent& Source) {
  const auto* s = dynamic_cast<const TBoxPlotLabel*>(&Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  FPosition = s->FPosition;
  FColorBkg = s->FColorBkg;
  FColorBorder = s->FColorBorder;
  FColorShadow = s->FColorShadow;
  FShadowDx = s->FShadowDx;
  FShadowDy = s->FShadowDy;
  FTransparent = s->FTransparent;
  FFont->Assign(*s->FFont);  // fires Changed through the font
  Changed();
}

#define ZOL_BPL_SETTER(Name, Type, Field) \
  void TBoxPlotLabel::Set##Name(Type v) { \
    if (v == Field) return;               \
    Field = v;                            \
    Changed();                            \
  }
ZOL_BPL_SETTER(Position, int, FPosition)
ZOL_BPL_SETTER(ColorBkg, TColor, FColorBkg)
ZOL_BPL_SETTER(ColorBorder, TColor, FColorBorder)
ZOL_BPL_SETTER(ColorShadow, TColor, FColorShadow)
ZOL_BPL_SETTER(ShadowDx, int, FShadowDx)
ZOL_BPL_SETTER(ShadowDy, int, FShadowDy)
ZOL_BPL_SETTER(Transparent, bool, FTransparent)
#undef ZOL_BPL_SETTER

void TBoxPlotLabel::SetFont(const TFont& f) { FFont->Assign(f); }

// ---------------------------------------------------------------- TBoxPlot

namespace {

bool Finite(const TBoxPlotStats& s) {
  for (double v : {s.Min, s.Max, s.Q1, s.Median, s.Q3, s.Perc10, s.Perc90, s.Mean})
    if (!std::isfinite(v)) return false;
  return true;
}

// The shortest text that reads back to the same double.
std::string Num(double v) {
  char b[40];
  for (int prec = 1; prec <= 17; ++prec) {
    std::snprintf(b, sizeof b, "%.*g", prec, v);
    if (std::strtod(b, nullptr) == v) break;
  }
  return b;
}

}  // namespace

TBoxPlot::TBoxPlot(TComponent* AOwner) : TCustomRChart(AOwner) {
  TCustomRChart::SetSuppressPaint(true);
  FLabels = std::make_unique<TBoxPlotLabel>();
  FLabels->OnChange = [this](TObject*) { PlaceLabels(); };
  FTable = std::make_unique<TDataTable>(nullptr);
  FTable->Resize(1, 100);
  FTable->FillRandomGauss(0, 1);
  HookTable();
  ApplyAxes();
  FDirty = true;
  TCustomRChart::SetSuppressPaint(false);
  DataChanged();
  AutoRange(5);
}

TBoxPlot::~TBoxPlot() {
  // The table goes with the plot; its handlers must not call back into it.
  FTable->OnChange = nullptr;
  FTable->OnChangeSetup = nullptr;
  FTable->OnChangeNames = nullptr;
  FTable->OnChangeCellState = nullptr;
  FTable->OnResize = nullptr;
  FLabels->OnChange = nullptr;
}

void TBoxPlot::HookTable() {
  auto changed = [this](TObject*) { DataChanged(); };
  FTable->OnChange = changed;
  FTable->OnChangeSetup = changed;
  FTable->OnChangeNames = changed;
  FTable->OnChangeCellState = changed;
  FTable->OnResize = [this](TObject*, int, int, int, int) { DataChanged(); };
}

void TBoxPlot::AssignAnotherDataTable(const TDataTable* Table) {
  if (!Table || Table == FTable.get()) return;
  FAssigning = true;
  try {
    FTable->CopyContentsFrom(Table);
  } catch (...) {
    FAssigning = false;
    throw;
  }
  FAssigning = false;
  FDirty = true;
  DataChanged();
}

void TBoxPlot::SetSuppressPaint(bool v) {
  TCustomRChart::SetSuppressPaint(v);
  if (!v && FDirty) DataChanged();
}

void TBoxPlot::DataChanged() {
  if (FAssigning || TCustomRChart::SuppressPaint()) {
    FDirty = true;
    return;
  }
  FDirty = false;
  TCustomRChart::SetSuppressPaint(true);
  try {
    CommitChangedData();
    for (int n = 1; n <= 30; ++n)
      TextLabel(n).SetTxtLblCaption(n <= FTable->NrOfColumns() ? ProcessHexChars(FTable->GetColName(n)) : "");
    CreateChart();
  } catch (...) {
    TCustomRChart::SetSuppressPaint(false);
    throw;
  }
  TCustomRChart::SetSuppressPaint(false);
}

void TBoxPlot::CommitChangedData() {
  const int cols = FTable->NrOfColumns(), rows = FTable->NrOfRows();
  FStats.assign(static_cast<size_t>(cols), TBoxPlotStats{});
  for (int c = 1; c <= cols; ++c) {
    TBoxPlotStats s;
    int n = 0;
    FTable->MinMaxOfNumCells(c, 1, c, rows, s.Min, s.Max, n);
    if (n > 0) {
      FTable->QuartilesOfNumCells(c, 1, c, rows, s.Q1, s.Median, s.Q3, n);
      s.Perc10 = FTable->PercentileOfNumCells(10, c, 1, c, rows, n);
      s.Perc90 = FTable->PercentileOfNumCells(90, c, 1, c, rows, n);
      double var = 0;
      FTable->MeanVarOfNumCells(c, 1, c, rows, s.Mean, var, n);
      s.NumValues = n;
      s.Valid = Finite(s);
    }
    // A column without usable statistics keeps nothing that could reach the drawing.
    if (!s.Valid) s = TBoxPlotStats{false, n, 0, 0, 0, 0, 0, 0, 0, 0};
    FStats[static_cast<size_t>(c - 1)] = s;
  }
}

TBoxPlotStats TBoxPlot::ColumnStats(int c) const {
  if (c < 1 || c > NumColumns()) return TBoxPlotStats{};
  return FStats[static_cast<size_t>(c - 1)];
}

void TBoxPlot::AddLine(double col1, double val1, double col2, double val2) {
  if (FOrientation == bpltVertical) Line(col1, val1, col2, val2);
  else Line(val1, col1, val2, col2);
}

void TBoxPlot::AddMark(double col, double val, uint8_t code) {
  if (FOrientation == bpltVertical) MarkAt(col, val, code);
  else MarkAt(val, col, code);
}

void TBoxPlot::CreateChart() {
  const bool was = TCustomRChart::SuppressPaint();
  if (!was) TCustomRChart::SetSuppressPaint(true);
  // The user's drawing attributes survive the rebuild.
  const TColor oldData = DataColor(), oldFill = FillColor();
  const TPenStyle oldStyle = PenStyle();
  const int oldWidth = LineWidth(), oldClass = ClassDefault(), oldTag = DataTag(), oldLayer = ActiveLayer();
  const bool oldTransp = TransparentItems();
  try {
    ClearGraf();
    SetActiveLayer(1);
    SetPenStyle(psSolid);
    SetLineWidth(1);
    SetTransparentItems(false);
    const double w = FBoxWidth;
    for (int c = 1; c <= NumColumns(); ++c) {
      const TBoxPlotStats& s = FStats[static_cast<size_t>(c - 1)];
      if (!s.Valid) continue;
      TColor cLines = FColorLines, cBody = FColorBody, cMinMax = FColorMinMax, c90 = FColor90Perc,
             cMean = FColorMean, cMedian = FColorMedian;
      if (OnBeforeBoxDraw) {
        auto h = OnBeforeBoxDraw;
        h(this, c, cLines, cBody, cMinMax, c90, cMean, cMedian);
      }
      const double x = c;
      if (FShowMinMax) {
        SetDataColor(cLines);
        AddLine(x, s.Min, x, s.Q1);
        AddLine(x, s.Q3, x, s.Max);
        SetDataColor(cMinMax);
        SetFillColor(cMinMax);
        if (FSymbolMin) AddMark(x, s.Min, FSymbolMin);
        else AddLine(x - w / 4, s.Min, x + w / 4, s.Min);
        if (FSymbolMax) AddMark(x, s.Max, FSymbolMax);
        else AddLine(x - w / 4, s.Max, x + w / 4, s.Max);
      }
      SetDataColor(cLines);
      SetFillColor(cBody);
      if (FOrientation == bpltVertical) Rectangle(x - w / 2, s.Q1, x + w / 2, s.Q3);
      else Rectangle(s.Q1, x - w / 2, s.Q3, x + w / 2);
      if (FShow90Perc) {
        SetDataColor(c90);
        SetFillColor(c90);
        for (double v : {s.Perc10, s.Perc90}) {
          if (FSymbol90Perc) AddMark(x, v, FSymbol90Perc);
          else AddLine(x - w / 4, v, x + w / 4, v);
        }
      }
      if (FShowMedian) {
        SetDataColor(cMedian);
        SetFillColor(cMedian);
        if (FSymbolMedian) AddMark(x, s.Median, FSymbolMedian);
        else AddLine(x - w / 2, s.Median, x + w / 2, s.Median);
      }
      if (FShowMean) {
        SetDataColor(cMean);
        SetFillColor(cMean);
        if (FSymbolMean) AddMark(x, s.Mean, FSymbolMean);
        else AddLine(x - w / 2, s.Mean, x + w / 2, s.Mean);
      }
    }
    PlaceLabels();
  } catch (...) {
    SetDataColor(oldData);
    SetFillColor(oldFill);
    if (!was) TCustomRChart::SetSuppressPaint(false);
    throw;
  }
  SetDataColor(oldData);
  SetFillColor(oldFill);
  SetPenStyle(oldStyle);
  SetLineWidth(oldWidth);
  SetClassDefault(oldClass);
  SetDataTag(oldTag);
  SetActiveLayer(oldLayer);
  SetTransparentItems(oldTransp);
  if (!was) {
    TCustomRChart::SetSuppressPaint(false);
    ShowGraf();
  }
}

void TBoxPlot::PlaceLabels() {
  if (!FLabels || !FTable) return;  // during construction
  const bool was = TCustomRChart::SuppressPaint();
  if (!was) TCustomRChart::SetSuppressPaint(true);
  const int p = FLabels->Position();
  const int sw = ShadowWidth();
  const TTxtLblMode mode = FLabels->Transparent() ? tlsimple
                           : (FLabels->ShadowDx() != 0 || FLabels->ShadowDy() != 0) ? tlShadow
                                                                                     : tlBox;
  for (int n = 1; n <= 30; ++n) {
    TTextLabel& lb = TextLabel(n);
    const bool show = n <= NumColumns() && FStats[static_cast<size_t>(n - 1)].Valid;
    lb.SetTxtLblFont(FLabels->Font());
    lb.SetTxtLblColorBkg(FLabels->ColorBkg());
    lb.SetTxtLblColorBrd(FLabels->ColorBorder());
    lb.SetTxtLblColorShadow(FLabels->ColorShadow());
    lb.SetTxtLblShadowDx(FLabels->ShadowDx());
    lb.SetTxtLblShadowDy(FLabels->ShadowDy());
    lb.SetTxtLblTranspar(FLabels->Transparent());
    lb.SetTxtLblAlignment(taCenter);
    lb.SetTxtLblVertAlignment(vaCenter);
    lb.SetTxtLblLayer(1);
    if (FOrientation == bpltVertical) {
      lb.SetTxtLblScreenPos(tlamXOnly);
      lb.SetTxtLblPosX(n);
      lb.SetTxtLblPosY(p < 0 ? MarginTop() - p : Height() - MarginBottom() - sw - p);
    } else {
      lb.SetTxtLblScreenPos(tlamYOnly);
      lb.SetTxtLblPosY(n);
      lb.SetTxtLblPosX(p < 0 ? MarginLeft() - p : Width() - MarginRight() - sw - p);
    }
    lb.SetTxtLblMode(show ? mode : tlOff);
    lb.SetTxtLblVisible(show);
  }
  if (!was) TCustomRChart::SetSuppressPaint(false);
}

void TBoxPlot::ApplyAxes() {
  Scale1X().SetVisible(FOrientation == bpltHorizontal);
  Scale1Y().SetVisible(FOrientation == bpltVertical);
  ApplyGrid();
}

void TBoxPlot::ApplyGrid() {
  GridStyleType g = gsNone;
  if (FGridStyle == bpgsLines) g = FOrientation == bpltVertical ? gsHorizLines : gsVertLines;
  else if (FGridStyle == bpgsDotLines) g = FOrientation == bpltVertical ? gsHorizDotLines : gsVertDotLines;
  TCustomRChart::SetGridStyle(g);
}

void TBoxPlot::AutoRange(double Margin) {
  CommitChangedData();
  if (!std::isfinite(Margin)) Margin = 0;
  bool any = false;
  double lo = 0, hi = 0;
  for (const auto& s : FStats) {
    if (!s.Valid) continue;
    lo = any ? std::min(lo, s.Min) : s.Min;
    hi = any ? std::max(hi, s.Max) : s.Max;
    any = true;
  }
  if (any) {
    if (hi == lo) {
      lo -= 1;
      hi += 1;
    } else {
      const double m = std::fabs(hi - lo) * Margin / 100;
      const double l2 = lo - m, h2 = hi + m;
      // A margin that overflows or turns the range round is not applied.
      if (std::isfinite(l2) && std::isfinite(h2) && l2 < h2) {
        lo = l2;
        hi = h2;
      }
    }
  } else if (FOrientation == bpltVertical) {
    lo = Scale1Y().RangeLow();
    hi = Scale1Y().RangeHigh();
  } else {
    lo = Scale1X().RangeLow();
    hi = Scale1X().RangeHigh();
  }
  const double cols = NumColumns() + 1;
  if (FOrientation == bpltVertical) SetRange(0, lo, cols, hi);
  else SetRange(lo, 0, hi, cols);
}

void TBoxPlot::SetRange(double XLow, double YLow, double XHigh, double YHigh) {
  TCustomRChart::SetRange(1, XLow, YLow, XHigh, YHigh);
}

void TBoxPlot::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomRChart::SetBounds(ALeft, ATop, AWidth, AHeight);
  PlaceLabels();
}

void TBoxPlot::SaveDataASC(const std::string& FileName) {
  // Line 1: the column captions; then one line per column of the table:
  // number, name, count and the statistics (empty fields for a column
  // without numeric cells), separated by TABs, every line ending in LF.
  // The statistics are taken from the table as it is now.
  CommitChangedData();
  std::string s = "column\tname\tn\tmin\tperc10\tq1\tmedian\tq3\tperc90\tmax\tmean\n";
  for (int c = 1; c <= NumColumns(); ++c) {
    const TBoxPlotStats& st = FStats[static_cast<size_t>(c - 1)];
    std::string name = FTable->GetColName(c);
    std::replace_if(name.begin(), name.end(), [](char ch) { return ch == '\t' || ch == '\n' || ch == '\r'; }, ' ');
    s += std::to_string(c) + "\t" + name + "\t" + std::to_string(st.Valid ? st.NumValues : 0);
    for (double v : {st.Min, st.Perc10, st.Q1, st.Median, st.Q3, st.Perc90, st.Max, st.Mean})
      s += "\t" + (st.Valid ? Num(v) : std::string());
    s += "\n";
  }
  TFileStream f(FileName, fmCreate);
  f.WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
}

void TBoxPlot::PropChanged() {
  if (TCustomRChart::SuppressPaint()) {
    FDirty = true;
    return;
  }
  CreateChart();
}

void TBoxPlot::SetOrientation(TBoxPlotOrientation v) {
  if (v == FOrientation) return;
  FOrientation = v;
  const bool was = TCustomRChart::SuppressPaint();
  if (!was) TCustomRChart::SetSuppressPaint(true);
  const double xl = Scale1X().RangeLow(), xh = Scale1X().RangeHigh();
  const double yl = Scale1Y().RangeLow(), yh = Scale1Y().RangeHigh();
  ForceRange(1, yl, xl, yh, xh);
  ApplyAxes();
  if (!was) TCustomRChart::SetSuppressPaint(false);
  PropChanged();
}

#define ZOL_BP_SETTER(Name, Type, Field) \
  void TBoxPlot::Set##Name(Type v) {     \
    if (v == Field) return;              \
    Field = v;                           \
    PropChanged();                       \
  }
ZOL_BP_SETTER(ShowMinMax, bool, FShowMinMax)
ZOL_BP_SETTER(ShowMedian, bool, FShowMedian)
ZOL_BP_SETTER(ShowMean, bool, FShowMean)
ZOL_BP_SETTER(Show90Perc, bool, FShow90Perc)
ZOL_BP_SETTER(SymbolMin, uint8_t, FSymbolMin)
ZOL_BP_SETTER(SymbolMax, uint8_t, FSymbolMax)
ZOL_BP_SETTER(SymbolMean, uint8_t, FSymbolMean)
ZOL_BP_SETTER(SymbolMedian, uint8_t, FSymbolMedian)
ZOL_BP_SETTER(Symbol90Perc, uint8_t, FSymbol90Perc)
ZOL_BP_SETTER(ColorBody, TColor, FColorBody)
ZOL_BP_SETTER(ColorLines, TColor, FColorLines)
ZOL_BP_SETTER(ColorMedian, TColor, FColorMedian)
ZOL_BP_SETTER(ColorMean, TColor, FColorMean)
ZOL_BP_SETTER(Color90Perc, TColor, FColor90Perc)
ZOL_BP_SETTER(ColorMinMax, TColor, FColorMinMax)
#undef ZOL_BP_SETTER

void TBoxPlot::SetBoxWidth(double v) {
  if (std::isnan(v)) return;
  v = std::clamp(v, 0.0, 10.0);
  if (v == FBoxWidth) return;
  FBoxWidth = v;
  PropChanged();
}

void TBoxPlot::SetGridStyle(TBoxPlotGridStyle v) {
  if (v == FGridStyle) return;
  FGridStyle = v;
  ApplyGrid();
}

}  // namespace zol
