// Axis scales: tick layout, labels, mapping and painting of TScale.
#include "chart/Zol_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <vector>

#include "base/platform/Zol_metafile.h"
#include "math/Zol_math1.h"

namespace zol {

namespace {

constexpr double kMinLogValue = 1e-100;

// Days since 1899-12-30 of a civil date and back (proleptic Gregorian
// calendar; the day-count algorithm of H. Hinnant, "chrono-compatible
// low-level date algorithms").

int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;  // 1970-01-01 is day 25569
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z -= 25569;
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = yoe + era * 400;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

std::string TwoDigits(int v) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

// The number in exponent form with the fewest decimals (at least one) that
// reads back within Tol of v; asterisks when the exponent needs three digits.
std::string ExpForm(double v, double Tol) {
  char b[64];
  for (int dec = 1; dec <= 16; ++dec) {
    std::snprintf(b, sizeof b, "%.*E", dec, v);
    if (std::fabs(std::strtod(b, nullptr) - v) <= Tol) break;
  }
  std::string s = b;
  const size_t e = s.find('E');
  if (e != std::string::npos && s.size() - e > 4) return std::string(s.size(), '*');
  return s;
}

// A number with Dec decimals (Dec −1: exponent form).  Labels never exceed
// MaxScaleLabelLength characters: a longer fixed text switches to the
// exponent form, which itself never shows a truncated value.
std::string FormatTickValue(double v, int Dec, double Tol) {
  if (!std::isfinite(v)) return "*";
  std::string s;
  if (Dec >= 0) {
    char b[400];
    std::snprintf(b, sizeof b, "%.*f", Dec, v);
    s = b;
    if (s == "-0" || (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos))
      s.erase(0, 1);  // no negative zero
    if (static_cast<int>(s.size()) <= MaxScaleLabelLength) return s;
  }
  s = ExpForm(v, Tol);
  if (static_cast<int>(s.size()) > MaxScaleLabelLength) return std::string(MaxScaleLabelLength, '*');
  return s;
}

// First multiple of Dist at or beyond Low in the direction of Dist (a tick
// within 0.001 steps before Low is kept).
double FirstMultiple(double Low, double Dist) {
  double q = std::ceil(Low / Dist - 0.001);
  return q * Dist;
}

// Next coarser step of the 1-2-5 grid.
double Next125(double d) {
  const double e = std::floor(std::log10(d) + 1e-9);
  const double p = std::pow(10.0, e);
  const double m = d / p;
  if (m < 1.5) return 2 * p;
  if (m < 3.5) return 5 * p;
  return 10 * p;
}

}  // namespace

// ---------------------------------------------------------------- drawing context
struct TScale::TickCtx {
  bool Horiz = true;
  int Base = 0;         // base line position on the drawing surface
  bool HaveLast = false;
  int LastPix = 0;      // pixel of the last tick drawn
  int LabelCount = 0;   // labelled ticks so far (user texts)
  bool ShortRecorded = false;
  int LastLabelEnd = std::numeric_limits<int>::min();  // thinning of crowded log labels
  bool ThinLabels = false;
  int DateRows = 0;
  int64_t LastDateDay = std::numeric_limits<int64_t>::min();
  double Tol = 0;       // precision of label values
  int Dec = 0;
};

// ---------------------------------------------------------------- construction
TScale::TScale(TComponent* AOwner) : TCustomControl(AOwner), FDateFormat(std::make_unique<TDTLabel>()) {
  FDateFormat->OnChange = [this](TObject*) { Changed(); };
  TCustomControl::SetBounds(0, 0, 400, 400);
  AdjustScalePars();
}

TScale::~TScale() = default;

void TScale::Assign(const TPersistent& Source) {
  const auto* s = dynamic_cast<const TScale*>(&Source);
  if (!s) {
    TCustomControl::Assign(Source);
    return;
  }
  FRangeLow = s->FRangeLow;
  FRangeHigh = s->FRangeHigh;
  FLogarithmic = s->FLogarithmic;
  FScaleType = s->FScaleType;
  FMinTicks = s->FMinTicks;
  FShortTicks = s->FShortTicks;
  FDecPlaces = s->FDecPlaces;
  FLabelType = s->FLabelType;
  FDateFormat->Assign(*s->FDateFormat);
  FUserTickText = s->FUserTickText;
  FScaleInscript = s->FScaleInscript;
  FCaption = s->FCaption;
  FCaptionPosX = s->FCaptionPosX;
  FCaptionPosY = s->FCaptionPosY;
  FCaptionAlignment = s->FCaptionAlignment;
  FCaptionAnchor = s->FCaptionAnchor;
  FMarginTop = s->FMarginTop;
  FMarginBottom = s->FMarginBottom;
  FMarginLeft = s->FMarginLeft;
  FMarginRight = s->FMarginRight;
  FColorScale = s->FColorScale;
  FColorBackGnd = s->FColorBackGnd;
  FColorScheme = s->FColorScheme;
  FFrameStyle = s->FFrameStyle;
  FShowBaseLine = s->FShowBaseLine;
  FTransparent = s->FTransparent;
  FColorFrameDark = s->FColorFrameDark;
  SetFont(s->Font());
  OnScaleTickDrawn = s->OnScaleTickDrawn;
  OnBeforeTickLabel = s->OnBeforeTickLabel;
  OnBeforeScaleRendered = s->OnBeforeScaleRendered;
  OnAfterScaleRendered = s->OnAfterScaleRendered;
  AdjustScalePars();
  Changed();
}

// ---------------------------------------------------------------- setters
void TScale::SetRangeLow(double v) {
  if (v == FRangeLow) return;
  FRangeLow = v;
  if (FRangeLow == FRangeHigh) FRangeHigh = v + 1;
  AdjustScalePars();
  Changed();
}

void TScale::SetRangeHigh(double v) {
  if (v == FRangeHigh) return;
  FRangeHigh = v;
  if (FRangeLow == FRangeHigh) FRangeLow = v + 1;
  AdjustScalePars();
  Changed();
}

void TScale::SetRange(double Low, double High) {
  if (Low == FRangeLow && High == FRangeHigh) return;
  FRangeLow = Low;
  FRangeHigh = (Low == High) ? Low + 1 : High;
  AdjustScalePars();
  Changed();
}

void TScale::SetAxLinLog(bool on) {
  if (on == FLogarithmic) return;
  if (on && !IsLoading() &&
      !(FRangeLow > kMinLogValue && FRangeHigh > kMinLogValue && FLabelType != ftDateTime))
    return;
  FLogarithmic = on;
  AdjustScalePars();
  Changed();
}

void TScale::SetScaleType(TScaleType v) {
  if (v == FScaleType) return;
  FScaleType = v;
  AdjustScalePars();
  Changed();
}

void TScale::SetMinTicks(int v) {
  if (v != 0) v = std::clamp(v, 2, 10);
  if (v == FMinTicks) return;
  FMinTicks = v;
  Changed();
}

double TScale::GetTickPos(int i) const {
  if (i < 1 || i > FNumTicks) return 0;
  return FTicks[i - 1];
}

void TScale::SetShortTicks(bool v) {
  if (v == FShortTicks) return;
  FShortTicks = v;
  Changed();
}

void TScale::SetDecPlaces(int v) {
  v = std::clamp(v, -3, 12);
  if (v == FDecPlaces) return;
  FDecPlaces = v;
  Changed();
}

void TScale::SetLabelType(TFigType v) {
  if (v == FLabelType) return;
  FLabelType = v;
  if (v == ftDateTime && FLogarithmic) {
    FLogarithmic = false;
    AdjustScalePars();
  }
  if (v == ftTime) FDecPlaces = 4;
  Changed();
}

void TScale::SetDateFormat(const TDTLabel& v) { FDateFormat->Assign(v); }

void TScale::SetUserTickText(const std::string& v) {
  if (v == FUserTickText) return;
  FUserTickText = v;
  Changed();
}

void TScale::SetScaleInscript(const std::string& v) {
  if (v == FScaleInscript) return;
  FScaleInscript = v;
  Changed();
}

void TScale::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Changed();
}

void TScale::SetCaptionPosX(int v) {
  if (v == FCaptionPosX) return;
  FCaptionPosX = v;
  Changed();
}

void TScale::SetCaptionPosY(int v) {
  if (v == FCaptionPosY) return;
  FCaptionPosY = v;
  Changed();
}

void TScale::SetCaptionAlignment(TAlignment v) {
  if (v == FCaptionAlignment) return;
  FCaptionAlignment = v;
  Changed();
}

void TScale::SetCaptionAnchor(TScaleUnitAnchor v) {
  if (v == FCaptionAnchor) return;
  FCaptionAnchor = v;
  Changed();
}

#define ZOL_SCALE_MARGIN_SETTER(Name, Field) \
  void TScale::Set##Name(int v) {            \
    if (v < 0) v = 0;                        \
    if (v == Field) return;                  \
    Field = v;                               \
    AdjustScalePars();                       \
    Changed();                               \
  }
ZOL_SCALE_MARGIN_SETTER(MarginTop, FMarginTop)
ZOL_SCALE_MARGIN_SETTER(MarginBottom, FMarginBottom)
ZOL_SCALE_MARGIN_SETTER(MarginLeft, FMarginLeft)
ZOL_SCALE_MARGIN_SETTER(MarginRight, FMarginRight)
#undef ZOL_SCALE_MARGIN_SETTER

void TScale::SetColorScale(TColor v) {
  if (v == FColorScale) return;
  FColorScale = v;
  Changed();
}

void TScale::SetColorBackGnd(TColor v) {
  if (v == FColorBackGnd) return;
  FColorBackGnd = v;
  Changed();
}

void TScale::SetColorScheme(TColorScheme v) {
  if (v == FColorScheme) return;
  FColorScheme = v;
  Changed();
}

void TScale::SetFrameStyle(TFrameStyle v) {
  if (v == FFrameStyle) return;
  FFrameStyle = v;
  Changed();
}

void TScale::SetShowBaseLine(bool v) {
  if (v == FShowBaseLine) return;
  FShowBaseLine = v;
  Changed();
}

void TScale::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Changed();
}

void TScale::SetColorFrameDark(TColor v) {
  if (v == FColorFrameDark) return;
  FColorFrameDark = v;
  Changed();
}

void TScale::SetSuppressPaint(bool v) {
  if (v == FSuppressPaint) return;
  FSuppressPaint = v;
  if (!v) Changed();
}

void TScale::SetIsHelper(bool v) { FIsHelper = v; }

void TScale::UseForeignCanvas(TCanvas* Canvas, int X, int Y) {
  FForeignCanvas = Canvas;
  FForCvPosX = X;
  FForCvPosY = Y;
}

void TScale::SetForCvPosX(int v) {
  if (v == FForCvPosX) return;
  FForCvPosX = v;
  Changed();
}

void TScale::SetForCvPosY(int v) {
  if (v == FForCvPosY) return;
  FForCvPosY = v;
  Changed();
}

void TScale::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  AdjustScalePars();
  Changed();
}

void TScale::Loaded() {
  TCustomControl::Loaded();
  AdjustScalePars();
  Changed();
}

void TScale::CreateWnd() {
  TCustomControl::CreateWnd();
  FSuppressPaint = false;
}

void TScale::FontChanged() {
  TCustomControl::FontChanged();
  Changed();
}

void TScale::Changed() {
  if (IsLoading() || IsDestroying()) return;
  if (!FTransparent || FIsHelper)
    DoPaint(false);
  else
    Invalidate();
}

// ---------------------------------------------------------------- mapping
void TScale::AdjustScalePars() {
  if (IsLoading() || FRangeLow == FRangeHigh) return;
  const bool horiz = IsHorizontal();
  const double L = horiz ? Width() - FMarginLeft - FMarginRight - 1.0 : Height() - FMarginTop - FMarginBottom - 1.0;
  const double S = horiz ? FMarginLeft : FMarginTop;
  double lo = FRangeLow, hi = FRangeHigh;
  if (FLogarithmic) {
    if (lo <= 0 || hi <= 0) return;
    lo = std::log(lo);
    hi = std::log(hi);
  }
  double k, c, v0;
  if (horiz) {
    k = L / (hi - lo);
    c = S - lo * k;
    v0 = lo;
  } else {
    k = L / (lo - hi);
    c = S - hi * k;
    v0 = hi;
  }
  if (L <= 0 || k == 0 || !std::isfinite(k) || !std::isfinite(c)) {
    // A collapsed axis: every value lies in the middle of the control.
    k = 0;
    c = (horiz ? Width() : Height()) / 2;
    v0 = 0;
  }
  FK = k;
  FC = c;
  // The mapping is evaluated about the start of the axis, S + k·(v − v0),
  // which equals k·v + c but keeps its precision far from zero.
  FAnchorV = v0;
  FAnchorP = k == 0 ? c : S;
}

double TScale::AxisPixel(double v) const {
  if (FLogarithmic) {
    if (!(v > kMinLogValue)) {
      // Below the logarithmic range: the end towards which the values fall.
      if (FK > 0) return 0;
      if (FK < 0) return IsHorizontal() ? Width() : Height();
      return FC;
    }
    return FK * (std::log(v) - FAnchorV) + FAnchorP;
  }
  return FK * (v - FAnchorV) + FAnchorP;
}

int TScale::R2M(double v) const {
  double p = AxisPixel(v);
  if (std::isnan(p)) p = FC;
  p = std::clamp(p, -2147483647.0, 2147483647.0);
  return static_cast<int>(std::lround(p));
}

double TScale::M2R(int pixel) const {
  if (FK == 0) return FLogarithmic && FRangeLow > 0 && FRangeHigh > 0 ? std::sqrt(FRangeLow * FRangeHigh)
                                                                      : GetScaleCenter();
  const double q = FAnchorV + (pixel - FAnchorP) / FK;
  return FLogarithmic ? std::exp(q) : q;
}

// ---------------------------------------------------------------- helpers
std::string TScale::ExtractUserText(const std::string& Text, int n) {
  if (n < 1) return "";
  size_t start = 0;
  for (int i = 1; i < n; ++i) {
    const size_t bar = Text.find('|', start);
    if (bar == std::string::npos) {
      // Beyond the last field: the text after the last "|".
      const size_t last = Text.rfind('|');
      return last == std::string::npos ? "" : Text.substr(last + 1);
    }
    start = bar + 1;
  }
  const size_t bar = Text.find('|', start);
  return Text.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
}

std::string TScale::AddScaleInscription(const std::string& Label, const std::string& Inscript) {
  if (Label.empty()) return Label;
  const size_t amp = Inscript.find('&');
  if (amp == std::string::npos) return Inscript + Label;
  return Inscript.substr(0, amp) + Label + Inscript.substr(amp + 1);
}

// ---------------------------------------------------------------- painting
void TScale::ForcePaint() { DoPaint(true); }

void TScale::DoPaint(bool force) {
  if (!force && (FSuppressPaint || IsLoading())) return;
  if (!Visible() && !(IsDesigning() && !FIsHelper)) return;
  if (FForeignCanvas) {
    if (FTransparent) {
      RenderTo(*FForeignCanvas, FForCvPosX, FForCvPosY);
    } else {
      FForeignCanvas->Draw(FForCvPosX, FForCvPosY, *ExportBitmap());
    }
    return;
  }
  bool saved = FSuppressPaint;
  FSuppressPaint = false;
  PaintNow();
  FSuppressPaint = saved;
}

void TScale::Paint() {
  if (FSuppressPaint || IsLoading()) return;
  if (!FTransparent) {
    // Off-screen bitmap of the control's size copied in one step.
    Canvas().Draw(0, 0, *ExportBitmap());
  } else {
    RenderTo(Canvas(), 0, 0);
  }
  if (OnPaint) {
    TNotifyEvent h = OnPaint;
    h(this);
  }
}

void TScale::RenderTo(TCanvas& Cv, int X, int Y) {
  if (OnBeforeScaleRendered) {
    TScaleRenderedEvent h = OnBeforeScaleRendered;
    h(this, Cv);
  }
  const int W = Width(), H = Height();
  FOfsX = X;
  FOfsY = Y;
  TCanvas* savedForeign = FForeignCanvas;
  FForeignCanvas = &Cv;  // the offsets apply to this surface while drawing
  const int saveFx = FForCvPosX, saveFy = FForCvPosY;
  FForCvPosX = X;
  FForCvPosY = Y;
  if (!FTransparent) {
    Cv.Brush().SetStyle(bsSolid);
    Cv.Brush().SetColor(FColorBackGnd);
    Cv.FillRect(Rect(X, Y, X + W, Y + H));
  }
  Cv.Pen().SetColor(FColorScale);
  Cv.Pen().SetWidth(1);
  Cv.Pen().SetStyle(psSolid);
  Cv.Pen().SetMode(pmCopy);
  int base;
  switch (FScaleType) {
    case sctXB: base = H - FMarginBottom - 1; break;
    case sctXT: base = FMarginTop; break;
    case sctYL: base = FMarginLeft; break;
    default: base = W - FMarginRight - 1; break;
  }
  if (IsHorizontal()) {
    DrawXScale(Cv, base + Y);
    if (FShowBaseLine) {
      Cv.Pen().SetColor(FColorScale);
      Cv.MoveTo(X + FMarginLeft, Y + base);
      Cv.LineTo(X + W - FMarginRight, Y + base);  // end pixel W − MarginRight − 1 included
    }
  } else {
    DrawYScale(Cv, base + X);
    if (FShowBaseLine) {
      Cv.Pen().SetColor(FColorScale);
      Cv.MoveTo(X + base, Y + FMarginTop);
      Cv.LineTo(X + base, Y + H - FMarginBottom);
    }
  }
  if (OnAfterScaleRendered) {
    TScaleRenderedEvent h = OnAfterScaleRendered;
    h(this, Cv);
  }
  if (!FTransparent) {
    const TFrameColors fc = SchemeFrameColors(FColorScheme);
    DrawFrame(Cv, FFrameStyle, X, Y, X + W - 1, Y + H - 1, fc.Highlight, RGB(192, 192, 192), fc.Shadow,
              FColorFrameDark, FColorFrameDark);
  }
  FForeignCanvas = savedForeign;
  FForCvPosX = saveFx;
  FForCvPosY = saveFy;
  FOfsX = FOfsY = 0;
}

void TScale::DrawXScale(TCanvas& Canvas, int BaseY) { DrawAxis(Canvas, BaseY, true); }
void TScale::DrawYScale(TCanvas& Canvas, int BaseX) { DrawAxis(Canvas, BaseX, false); }

void TScale::RecordTick(double v) {
  if (FNumTicks < MaxScaleTicks) FTicks[FNumTicks++] = v;
}

void TScale::DrawAxis(TCanvas& Cv, int Base, bool Horizontal) {
  // Drawing on the foreign surface happens at its offset.
  if (&Cv == FForeignCanvas) {
    FOfsX = FForCvPosX;
    FOfsY = FForCvPosY;
  } else {
    FOfsX = FOfsY = 0;
  }
  Cv.Font().Assign(Font());
  if (Cv.IsPrinterCanvas()) {
    Cv.Font().SetPixelsPerInch(Cv.GetDeviceCaps(LOGPIXELSY));
    Cv.Font().SetSize(Font().Size());
  }
  Cv.Font().SetColor(FColorScale);
  Cv.Pen().SetColor(FColorScale);
  Cv.Brush().SetColor(FColorBackGnd);
  Cv.Brush().SetStyle(FTransparent ? bsClear : bsSolid);
  Cv.SetTextAlign(TA_LEFT | TA_TOP);
  FNumTicks = 0;
  int nt = FMinTicks;
  if (nt != 0) nt = std::clamp(nt, 2, 20);
  TickCtx t;
  t.Horiz = Horizontal;
  t.Base = Base;
  const int savedMin = FMinTicks;
  FMinTicks = nt;
  switch (FLabelType) {
    case ftDateTime: DrawDateTimeTicks(Cv, t); break;
    case ftTime:
      if (!DrawTimeTicks(Cv, t)) {
        if (FLogarithmic) DrawLogTicks(Cv, t); else DrawLinTicks(Cv, t);
      }
      break;
    default:
      if (FLogarithmic) DrawLogTicks(Cv, t); else DrawLinTicks(Cv, t);
      break;
  }
  FMinTicks = savedMin;
  DrawCaption(Cv, Base, Horizontal);
  FOfsX = FOfsY = 0;
}

bool TScale::DrawTick(TCanvas& Cv, TickCtx& t, double v, int len, bool record) {
  const int p = R2M(v);
  // Only ticks on the axis (a tick kept by the end tolerance may lie beyond
  // it when the step is far longer than the axis), at most one per pixel.
  const int a0 = t.Horiz ? FMarginLeft : FMarginTop;
  const int a1 = t.Horiz ? Width() - FMarginRight - 1 : Height() - FMarginBottom - 1;
  if (p < std::min(a0, a1) - 1 || p > std::max(a0, a1) + 1) return false;
  if (t.HaveLast && p == t.LastPix) return false;
  t.HaveLast = true;
  t.LastPix = p;
  if (record) RecordTick(v);
  int x0, y0, x1, y1;
  if (t.Horiz) {
    x0 = x1 = p + FOfsX;
    y0 = t.Base;
    y1 = FScaleType == sctXT ? t.Base + len : t.Base - len;
  } else {
    y0 = y1 = p + FOfsY;
    x0 = t.Base;
    x1 = FScaleType == sctYR ? t.Base - len : t.Base + len;
  }
  Cv.Pen().SetColor(FColorScale);
  Cv.MoveTo(x0, y0);
  Cv.LineTo(x1, y1);
  if (OnScaleTickDrawn) {
    TScaleTickDrawnEvent h = OnScaleTickDrawn;
    h(this, Cv, FScaleType, v, x0, y0);
  }
  return true;
}

void TScale::DrawLabel(TCanvas& Cv, TickCtx& t, double v, std::string lbl, int extraRows) {
  if (OnBeforeTickLabel) {
    TBeforeTickLabelEvent h = OnBeforeTickLabel;
    h(this, FScaleType, v, lbl);
  }
  if (lbl.empty()) return;
  const TSize sz = Cv.TextExtent(lbl);
  const int p = R2M(v);
  int x, y;
  if (t.Horiz) {
    x = p - sz.cx / 2;
    if (x < 2) x = 2;
    if (x + sz.cx > Width() - 2) x = Width() - 2 - sz.cx;
    if (FScaleType == sctXT)
      y = t.Base - FOfsY + 7 + extraRows * sz.cy;
    else
      y = t.Base - FOfsY - sz.cy - 7 - extraRows * sz.cy;
    if (t.ThinLabels) {
      // Crowded decade labels: a label overlapping the previous one is left out.
      if (x <= t.LastLabelEnd) return;
      t.LastLabelEnd = x + sz.cx + 2;
    }
  } else {
    const int bx = t.Base - FOfsX;
    x = FScaleType == sctYL ? bx + 8 : bx - sz.cx - 8;
    y = p - Cv.TextHeight("0") / 2 + extraRows * sz.cy;
    if (t.ThinLabels) {
      // Vertical axes run upwards: compare with the top of the previous label.
      if (t.LastLabelEnd != std::numeric_limits<int>::min() && y + sz.cy >= t.LastLabelEnd) return;
      t.LastLabelEnd = y - 2;
    }
  }
  Cv.TextOut(x + FOfsX, y + FOfsY, lbl);
}

// ---------------------------------------------------------------- linear ticks
void TScale::DrawLinTicks(TCanvas& Cv, TickCtx& t) {
  const double lo = FRangeLow, hi = FRangeHigh;
  long double ftL, distL;
  uint16_t nsub;
  CalcScalePars(FMinTicks, lo, hi, ftL, distL, nsub);
  double dist = static_cast<double>(distL);
  double first = static_cast<double>(ftL);
  if (dist == 0 || !std::isfinite(dist) || lo == hi) return;
  const double s = hi > lo ? 1.0 : -1.0;
  const double span = std::fabs(hi - lo);
  if (!std::isfinite(span)) return;  // beyond the range of doubles: no ticks
  // Pixels along the axis; a step finer than a pixel is coarsened on the
  // 1-2-5 grid, so no more ticks are walked than the axis can show.
  const double pixels = std::fabs(FK * (hi - lo)) + 1;
  if (span / std::fabs(dist) > pixels) {
    double d = std::fabs(dist);
    for (int guard = 0; guard < 1100 && span / d > pixels; ++guard) d = Next125(d);
    dist = s * d;
    first = FirstMultiple(lo, dist);
    nsub = 1;
    // Ticks this dense cannot all carry labels: a label that would overlap
    // the previous one is left out.
    t.ThinLabels = true;
  }
  if (!std::isfinite(first) || std::fabs(dist) < std::fabs(first) * 1e-15) {
    // The step is below the resolution of the values: a tick at each end only.
    first = lo;
    dist = hi - lo;
    nsub = 1;
  }
  double sub = dist / std::max<int>(nsub, 1);
  bool shortTicks = FShortTicks && nsub > 1 && span / std::fabs(sub) <= pixels;
  const bool vertical = !t.Horiz;
  const double endTol = 0.001;
  if (shortTicks) {
    const double start = first - dist;
    const long n = static_cast<long>(std::floor((span + 2 * std::fabs(dist)) / std::fabs(sub))) + 2;
    for (long i = 0; i <= n; ++i) {
      const double v = start + static_cast<double>(i) * sub;
      if (s * (v - hi) > endTol * std::fabs(sub)) break;
      if (s * (v - lo) < -endTol * std::fabs(sub)) continue;
      DrawTick(Cv, t, v, 4, true);
    }
    t.ShortRecorded = FNumTicks > 0;
    t.HaveLast = false;
  }
  // Long ticks.
  std::vector<double> longs;
  const long n = static_cast<long>(std::floor(span / std::fabs(dist))) + 2;
  for (long i = 0; i <= n; ++i) {
    const double v = first + static_cast<double>(i) * dist;
    if (s * (v - hi) > endTol * std::fabs(dist)) break;
    if (DrawTick(Cv, t, v, t.Horiz ? 7 : 6, vertical || !t.ShortRecorded)) longs.push_back(v);
  }
  if (FLabelType == ftNoFigs) return;
  // Decimals.
  int dec = FDecPlaces;
  if (dec == -2 || dec == -3) {
    if (span >= 1e6 || span <= 1e-4)
      dec = -1;
    else if (span >= 100)
      dec = 0;
    else
      dec = 2 - static_cast<int>(std::lround(std::log(span) / 2.5));
  }
  const double tol = std::fabs(dist) * 1e-6;
  for (double v : longs) {
    std::string lbl;
    if (std::fabs(v / (hi - lo)) < 1e-14) {
      if (span <= 100000)
        lbl = FormatTickValue(0.0, dec, tol);
      else
        lbl = dec != 0 ? "0.0" : "0";
      v = 0;
    } else {
      lbl = FormatTickValue(v, dec, tol);
    }
    if (dec == 0 && std::fabs(v - std::round(v)) > 1e-6) lbl.clear();
    ++t.LabelCount;
    if (FLabelType == ftUserText)
      lbl = ExtractUserText(FUserTickText, t.LabelCount);
    else
      lbl = AddScaleInscription(lbl, FScaleInscript);
    DrawLabel(Cv, t, v, lbl);
  }
}

// ---------------------------------------------------------------- logarithmic ticks
void TScale::DrawLogTicks(TCanvas& Cv, TickCtx& t) {
  const double lo = FRangeLow, hi = FRangeHigh;
  if (!(lo > 0 && hi > 0)) {
    DrawLinTicks(Cv, t);
    return;
  }
  const double decades = std::fabs(std::log10(hi / lo));
  if (decades < 1) {
    DrawLinTicks(Cv, t);
    return;
  }
  const double mn = std::min(lo, hi), mx = std::max(lo, hi);
  const bool multipliers = decades + 0.5 < FMinTicks;
  int dec = FDecPlaces;
  const bool trimZeros = dec == -2;
  const bool exponentsOnly = dec == -3;
  if (dec == -2 || dec == -3) {
    const double span = std::fabs(hi - lo);
    if (span >= 1e6 || span <= 1e-4)
      dec = -1;
    else if (mn >= 1)
      dec = 0;
    else
      dec = 1 - static_cast<int>(std::lround(std::log10(std::fabs(mn))));
  }
  t.ThinLabels = true;
  const int e0 = static_cast<int>(std::floor(std::log10(mn * 0.999999999)));
  const int e1 = static_cast<int>(std::floor(std::log10(mx))) + 1;
  auto inside = [&](double v) { return v >= mn * (1 - 1e-9) && v <= mx * (1 + 1e-9); };
  struct Lbl { double v; int e; bool decade; };
  std::vector<Lbl> labels;
  // Walk in the direction of the axis so that ticks and labels follow the pixels.
  const bool up = hi > lo;
  const int first = up ? e0 : e1, last = up ? e1 : e0, stepE = up ? 1 : -1;
  static const int kMultUp[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int e = first;; e += stepE) {
    const double decade = std::pow(10.0, e);
    if (up && !(0.999999999 * decade <= mx)) break;
    if (std::isfinite(decade) && decade > 0) {
      for (int j = 0; j < 9; ++j) {
        const int m = up ? kMultUp[j] : kMultUp[8 - j];
        const double v = m * decade;
        if (!inside(v)) continue;
        const bool isLong = m == 1 || (multipliers && (m == 2 || m == 5));
        const bool isShort = !isLong && multipliers;
        if (isLong) {
          if (DrawTick(Cv, t, v, t.Horiz ? 7 : 6, true) && (!exponentsOnly || m == 1))
            labels.push_back({v, e, m == 1});
        } else if (isShort && FShortTicks) {
          DrawTick(Cv, t, v, 4, true);
        }
      }
    }
    if (e == last) break;
  }
  if (FLabelType == ftNoFigs) return;
  for (const Lbl& l : labels) {
    std::string lbl;
    if (exponentsOnly) {
      lbl = std::to_string(l.e);
    } else {
      lbl = FormatTickValue(l.v, dec, std::fabs(l.v) * 1e-9);
      if (trimZeros && dec > 0 && lbl.find('E') == std::string::npos && lbl.find('.') != std::string::npos) {
        while (!lbl.empty() && lbl.back() == '0') lbl.pop_back();
        if (!lbl.empty() && lbl.back() == '.') lbl.pop_back();
      }
    }
    ++t.LabelCount;
    if (FLabelType == ftUserText)
      lbl = ExtractUserText(FUserTickText, t.LabelCount);
    else
      lbl = AddScaleInscription(lbl, FScaleInscript);
    DrawLabel(Cv, t, l.v, lbl);
  }
}

// ---------------------------------------------------------------- time ticks
bool TScale::DrawTimeTicks(TCanvas& Cv, TickCtx& t) {
  struct Step { double s; int n; };
  static const Step kSteps[] = {{0.001, 5}, {0.002, 4}, {0.005, 5}, {0.01, 5}, {0.02, 4}, {0.05, 5},
                                {0.1, 5},   {0.2, 4},   {0.5, 5},   {1, 5},    {2, 4},    {5, 5},
                                {10, 5},    {20, 4},    {30, 6},    {60, 6},   {120, 6},  {180, 6},
                                {300, 5},   {600, 5},   {1200, 6},  {1800, 6}, {3600, 6}, {7200, 4},
                                {14400, 4}, {21600, 6}, {43200, 6}};
  const double lo = FRangeLow, hi = FRangeHigh;
  const double span = std::fabs(hi - lo);
  if (FMinTicks == 0) return false;
  const double raw = span / FMinTicks;
  if (!(raw >= 0.001) || raw >= 86400) return false;
  int idx = 0;
  for (int i = 0; i < static_cast<int>(std::size(kSteps)); ++i)
    if (kSteps[i].s <= raw * (1 + 1e-12)) idx = i;
  const double step = kSteps[idx].s;
  const double sub = step / kSteps[idx].n;
  const double s = hi > lo ? 1.0 : -1.0;
  const double pixels = std::fabs(FK * (hi - lo)) + 1;
  // Work in whole milliseconds so that multiples stay exact.
  const double first = FirstMultiple(lo, s * step);
  if (FShortTicks && span / sub <= pixels) {
    const long n = static_cast<long>(span / sub) + kSteps[idx].n + 2;
    for (long i = 0; i <= n; ++i) {
      const double v = first - s * step + s * sub * static_cast<double>(i);
      if (s * (v - hi) > 0.001 * sub) break;
      if (s * (v - lo) < -0.001 * sub) continue;
      DrawTick(Cv, t, v, 4, true);
    }
    t.ShortRecorded = FNumTicks > 0;
    t.HaveLast = false;
  }
  std::vector<double> longs;
  const long n = static_cast<long>(span / step) + 2;
  for (long i = 0; i <= n; ++i) {
    const double v = first + s * step * static_cast<double>(i);
    if (s * (v - hi) > 0.001 * step) break;
    if (DrawTick(Cv, t, v, t.Horiz ? 7 : 6, !t.Horiz || !t.ShortRecorded)) longs.push_back(v);
  }
  if (FLabelType == ftNoFigs) return true;
  for (double v : longs) {
    double a = std::fabs(v);
    if (a < step * 1e-6) a = 0;
    const bool neg = v < 0 && a > 0;
    long long ms = std::llround(a * 1000);
    const long long h = ms / 3600000;
    ms -= h * 3600000;
    const int mi = static_cast<int>(ms / 60000);
    ms -= mi * 60000LL;
    const int se = static_cast<int>(ms / 1000);
    ms -= se * 1000LL;
    std::string lbl = neg ? "-" : " ";
    char hb[32];
    std::snprintf(hb, sizeof hb, "%02lld", h);
    lbl += std::string(hb) + ":" + TwoDigits(mi) + ":" + TwoDigits(se);
    if (step < 1) {
      char mb[8];
      std::snprintf(mb, sizeof mb, ".%03d", static_cast<int>(ms));
      lbl += mb;
    }
    ++t.LabelCount;
    if (FLabelType == ftUserText) lbl = ExtractUserText(FUserTickText, t.LabelCount);
    DrawLabel(Cv, t, v, lbl);
  }
  return true;
}

// ---------------------------------------------------------------- date/time ticks
namespace {

std::string YearText(int y, TYearLength yl) {
  switch (yl) {
    case ylNone: return "";
    case ylYY: return TwoDigits(((y % 100) + 100) % 100);
    default: return std::to_string(y);
  }
}

std::string DateText(const TDTLabel& f, int y, int m, int d) {
  const std::string ms = f.MonthName() ? std::string(MonthShort[lgEnglish][m]) : TwoDigits(m);
  const std::string ds = TwoDigits(d);
  const std::string ys = YearText(y, f.YearLength());
  const std::string sep(1, f.DateSeparator());
  const bool year = f.YearLength() != ylNone;
  switch (f.DateOrder()) {
    case doMMDDYY: return ms + sep + ds + (year ? sep + ys : "");
    case doDDMMYY: return ds + sep + ms + (year ? sep + ys : "");
    default: return year ? ys + sep + ms + sep + ds : ms + sep + ds;
  }
}

std::string TimeText(const TDTLabel& f, int level, int h, int n, int s) {
  const std::string sep(1, f.TimeSeparator());
  const int h12 = h % 12 == 0 ? 12 : h % 12;
  const std::string ampm = h < 12 ? "am" : "pm";
  switch (level) {
    case 2:  // hours
      if (f.TimeFormat() == tfHHMMSS) return TwoDigits(h) + sep + TwoDigits(n);
      if (f.TimeFormat() == tfHHhMM) return std::to_string(h) + "h";
      return std::to_string(h12) + " " + ampm;
    case 1:  // minutes
      if (f.TimeFormat() == tfHHMMSS) return TwoDigits(h) + sep + TwoDigits(n);
      if (f.TimeFormat() == tfHHhMM) return std::to_string(h) + "h" + TwoDigits(n);
      return std::to_string(h12) + sep + TwoDigits(n) + " " + ampm;
    default:  // seconds
      if (f.TimeFormat() == tfHHMMSS) return TwoDigits(h) + sep + TwoDigits(n) + sep + TwoDigits(s);
      if (f.TimeFormat() == tfHHhMM) return std::to_string(h) + "h" + TwoDigits(n) + sep + TwoDigits(s);
      return std::to_string(h12) + sep + TwoDigits(n) + "." + TwoDigits(s) + " " + ampm;
  }
}

}  // namespace

void TScale::DrawDateTimeTicks(TCanvas& Cv, TickCtx& t) {
  const double lo = FRangeLow, hi = FRangeHigh;
  auto message = [&](const std::string& text) {
    const TSize sz = Cv.TextExtent(text);
    const int mid = R2M((lo + hi) / 2);
    if (t.Horiz) {
      const int y = FScaleType == sctXT ? t.Base + 7 : t.Base - sz.cy - 7;
      Cv.TextOut(mid - sz.cx / 2 + FOfsX, y, text);
    } else {
      const int x = FScaleType == sctYL ? t.Base + 8 : t.Base - sz.cx - 8;
      Cv.TextOut(x, mid - sz.cy / 2 + FOfsY, text);
    }
  };
  if (!(hi >= lo && lo >= -693593 && hi <= 3000000)) {
    message("invalid DateTime scale");
    return;
  }
  const int nt = std::max(FMinTicks, 1);
  const double d = (hi - lo) / nt;
  if (d <= 1.1574e-5) {
    message("DateTime range is below 1 second");
    return;
  }
  const double pixels = std::fabs(FK * (hi - lo)) + 1;
  const TDTLabel& f = *FDateFormat;
  const bool labels = FLabelType != ftNoFigs;
  struct L { double v; std::string text; int64_t day; };
  std::vector<L> lbls;
  auto addLong = [&](double v, std::string text, int64_t day) {
    if (DrawTick(Cv, t, v, t.Horiz ? 7 : 6, true)) lbls.push_back({v, std::move(text), day});
  };
  auto addShort = [&](double v) { DrawTick(Cv, t, v, 4, true); };

  if (d <= 1) {
    // Seconds, minutes or hours.
    int level;
    double upd;
    if (d <= 6.9444e-4) {
      level = 0;
      upd = 86400;
    } else if (d <= 0.041667) {
      level = 1;
      upd = 1440;
    } else {
      level = 2;
      upd = 24;
    }
    static const int kHourSteps[] = {1, 2, 3, 6, 8, 12}, kHourShort[] = {1, 1, 1, 2, 2, 3};
    static const int kMinSteps[] = {1, 2, 5, 10, 20, 30}, kMinShort[] = {1, 1, 1, 2, 5, 10};
    const int* steps = level == 2 ? kHourSteps : kMinSteps;
    const int* shorts = level == 2 ? kHourShort : kMinShort;
    const double u = d * upd;
    int idx = 0;
    for (int i = 0; i < 6; ++i)
      if (steps[i] <= u * (1 + 1e-9)) idx = i;
    const int64_t step = steps[idx];
    int64_t sstep = FShortTicks ? shorts[idx] : step;
    const double ulo = lo * upd, uhi = hi * upd;
    if ((uhi - ulo) / static_cast<double>(sstep) > pixels) sstep = step;
    const int64_t firstLong = static_cast<int64_t>(std::ceil(ulo / static_cast<double>(step) - 1e-9)) * step;
    const int64_t start = sstep != step ? firstLong - step : firstLong;
    for (int64_t x = start; static_cast<double>(x) <= uhi + 1e-6; x += sstep) {
      if (static_cast<double>(x) < ulo - 1e-6) continue;
      const double v = static_cast<double>(x) / upd;
      const bool isLong = ((x % step) + step) % step == 0;
      if (!isLong) {
        addShort(v);
        continue;
      }
      // Units of the day, counted from midnight.
      const int64_t updI = static_cast<int64_t>(upd);
      const int64_t day = (x >= 0 ? x / updI : -((-x + updI - 1) / updI));
      int64_t r = x - day * updI;
      int hh, nn, ss;
      if (level == 0) {
        hh = static_cast<int>(r / 3600);
        nn = static_cast<int>(r / 60 % 60);
        ss = static_cast<int>(r % 60);
      } else if (level == 1) {
        hh = static_cast<int>(r / 60);
        nn = static_cast<int>(r % 60);
        ss = 0;
      } else {
        hh = static_cast<int>(r);
        nn = ss = 0;
      }
      addLong(v, TimeText(f, level, hh, nn, ss), day);
    }
    if (!labels) return;
    int count = 0;
    int64_t lastDay = std::numeric_limits<int64_t>::min();
    for (const L& l : lbls) {
      ++count;
      std::string text = l.text;
      ++t.LabelCount;
      if (FLabelType == ftUserText) text = ExtractUserText(FUserTickText, t.LabelCount);
      DrawLabel(Cv, t, l.v, text);
      bool withDate = false;
      switch (f.DateForTime()) {
        case dtNone: break;
        case dtOnePerChart: withDate = count == 1; break;
        case dtOnePerDay: withDate = l.day != lastDay; break;
        case dtAllTicks: withDate = true; break;
      }
      lastDay = l.day;
      if (withDate && FLabelType != ftUserText) {
        int y, m, dd;
        CivilFromDays(l.day, y, m, dd);
        std::string dt = DateText(f, y, m, dd);
        DrawLabel(Cv, t, l.v, dt, 1);
      }
    }
    return;
  }

  // Whole days from here on; dates beyond the year 9999 are not drawn.
  const int64_t dayLo = static_cast<int64_t>(std::ceil(lo - 1e-9));
  const int64_t dayHi = static_cast<int64_t>(std::floor(hi + 1e-9));
  const int64_t lastDay = std::min<int64_t>(dayHi, DaysFromCivil(9999, 12, 31));
  int y0, m0, d0;
  CivilFromDays(static_cast<int64_t>(std::floor(lo)), y0, m0, d0);
  if (d <= 30) {
    static const int kDaySteps[] = {1, 2, 3, 7, 14, 28};
    int step = 1;
    for (int s : kDaySteps)
      if (s <= d * (1 + 1e-9)) step = s;
    int sstep = step;
    if (FShortTicks) sstep = step <= 7 ? 1 : 7;
    if (static_cast<double>(dayHi - dayLo) / sstep > pixels) sstep = step;
    const int64_t jan1 = DaysFromCivil(y0, 1, 1);
    int64_t x = jan1 + ((dayLo - jan1 + sstep - 1) / sstep) * sstep;
    for (; x <= lastDay; x += sstep) {
      if (x < dayLo) continue;
      if ((x - jan1) % step == 0) {
        int y, m, dd;
        CivilFromDays(x, y, m, dd);
        addLong(static_cast<double>(x), DateText(f, y, m, dd), x);
      } else {
        addShort(static_cast<double>(x));
      }
    }
  } else if (d <= 366) {
    static const int kMonthSteps[] = {1, 2, 3, 4, 6};
    const double mpt = d / 30.4375;
    int step = 1;
    for (int s : kMonthSteps)
      if (s <= mpt * (1 + 1e-9)) step = s;
    // First of a month at or after RangeLow.
    int y = y0, m = m0;
    if (DaysFromCivil(y, m, 1) < dayLo) {
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
    auto isLongMonth = [&](int mm) { return step == 1 || mm % step == 1; };
    if (!FShortTicks) {
      while (!isLongMonth(m)) {
        if (++m > 12) {
          m = 1;
          ++y;
        }
      }
    }
    for (int guard = 0; guard < 100000 && y <= 9999; ++guard) {
      const int64_t x = DaysFromCivil(y, m, 1);
      if (x > dayHi) break;
      if (isLongMonth(m)) {
        const std::string ms = f.MonthName() ? std::string(MonthShort[lgEnglish][m]) : TwoDigits(m);
        const std::string ys = YearText(y, f.YearLength());
        const std::string sep(1, f.DateSeparator());
        std::string text;
        if (ys.empty())
          text = ms;
        else
          text = f.DateOrder() == doYYMMDD ? ys + sep + ms : ms + sep + ys;
        addLong(static_cast<double>(x), text, x);
      } else {
        addShort(static_cast<double>(x));
      }
      const int adv = FShortTicks ? 1 : step;
      m += adv;
      while (m > 12) {
        m -= 12;
        ++y;
      }
    }
  } else {
    double a = (hi - lo) / 365.25 / nt;
    if (a < 1) a = 1;
    const double p = std::pow(10.0, std::floor(std::log10(a)));
    const double mant = a / p;
    const int fct = mant >= 5 ? 5 : (mant >= 2 ? 2 : 1);
    const int64_t g = std::max<int64_t>(1, std::llround(p * fct));
    int64_t sstep = g;
    if (FShortTicks) sstep = std::max<int64_t>(1, fct == 5 ? g / 5 : g / 2);
    if (static_cast<double>(dayHi - dayLo) / 365.0 / static_cast<double>(sstep) > pixels) sstep = g;
    // Years that are multiples of the short step, from the first 1 January at or after RangeLow.
    int64_t y = y0;
    if (DaysFromCivil(y, 1, 1) < dayLo) ++y;
    y = ((y + (y >= 0 ? sstep - 1 : 0)) / sstep) * sstep;
    if (y < y0) y += sstep;
    for (; y <= 9999; y += sstep) {
      const int64_t x = DaysFromCivil(y, 1, 1);
      if (x > dayHi) break;
      if (x < dayLo) continue;
      if (y % g == 0) {
        std::string text = f.YearLength() == ylNone ? "" : (f.YearLength() == ylYY ? TwoDigits(static_cast<int>(((y % 100) + 100) % 100)) : std::to_string(y));
        addLong(static_cast<double>(x), text, x);
      } else {
        addShort(static_cast<double>(x));
      }
    }
  }
  if (!labels) return;
  for (const L& l : lbls) {
    std::string text = l.text;
    ++t.LabelCount;
    if (FLabelType == ftUserText) text = ExtractUserText(FUserTickText, t.LabelCount);
    DrawLabel(Cv, t, l.v, text);
  }
}

// ---------------------------------------------------------------- caption
void TScale::DrawCaption(TCanvas& Cv, int Base, bool Horizontal) {
  if (FCaption.empty()) return;
  const TSize sz = Cv.TextExtent(FCaption);
  int x, y;
  if (Horizontal) {
    switch (FCaptionAnchor) {
      case uaSclTopLft: x = FMarginLeft; break;
      case uaSclCenter: x = FMarginLeft + (Width() - FMarginLeft - FMarginRight) / 2; break;
      default: x = Width() - FMarginRight; break;
    }
    x += FCaptionPosX + FOfsX;
    y = Base + FCaptionPosY;
  } else {
    switch (FCaptionAnchor) {
      case uaSclTopLft: y = FMarginTop; break;
      case uaSclCenter: y = FMarginTop + (Height() - FMarginTop - FMarginBottom) / 2; break;
      default: y = Height() - FMarginBottom; break;
    }
    y += FCaptionPosY + FOfsY;
    x = Base + FCaptionPosX;
  }
  if (FCaptionAlignment == taRightJustify)
    x -= sz.cx;
  else if (FCaptionAlignment == taCenter)
    x -= sz.cx / 2;
  Cv.TextOut(x, y, FCaption);
}

// ---------------------------------------------------------------- export
TFrameColors SchemeFrameColors(TColorScheme Scheme) {
  if (Scheme == csSystem)
    return {ColorToRGB(clBtnHighlight), ColorToRGB(cl3DLight), ColorToRGB(clBtnShadow), ColorToRGB(cl3DDkShadow)};
  return {clWhite, RGB(192, 192, 192), RGB(128, 128, 128), clBlack};
}

std::unique_ptr<TBitmap> RenderBitmap(int Width, int Height, const std::function<void(TCanvas&)>& Draw) {
  auto bmp = std::make_unique<TBitmap>(std::max(Width, 1), std::max(Height, 1));
  Draw(bmp->Canvas());
  return bmp;
}

std::unique_ptr<TMetafile> RenderMetafile(int Width, int Height, const std::function<void(TCanvas&)>& Draw) {
  auto mf = std::make_unique<TMetafile>();
  mf->SetSize(std::max(Width, 1), std::max(Height, 1));
  {
    TMetafileCanvas mc(*mf);
    Draw(mc);
  }
  return mf;
}

void DrawCaptionText(TCanvas& Cv, const TFont& Base, int X, int Y, const std::string& Text, int Size,
                     TFontStyles Style, TColor Color) {
  if (Text.empty()) return;
  Cv.Font().Assign(Base);
  Cv.Font().SetSize(Size);
  Cv.Font().SetStyle(Style);
  Cv.Font().SetColor(Color);
  const TBrushStyle saved = Cv.Brush().Style();
  Cv.Brush().SetStyle(bsClear);
  Cv.SetTextAlign(TA_LEFT | TA_TOP);
  Cv.TextOut(X, Y, Text);
  Cv.Brush().SetStyle(saved);
}

std::unique_ptr<TBitmap> TScale::ExportBitmap() {
  return RenderBitmap(Width(), Height(), [this](TCanvas& c) { RenderTo(c, 0, 0); });
}

std::unique_ptr<TMetafile> TScale::ExportMetafile() {
  return RenderMetafile(Width(), Height(), [this](TCanvas& c) { RenderTo(c, 0, 0); });
}

void TScale::SaveAsPNG(const std::string& FileName) {
  try {
    ExportBitmap()->SaveToFile(FileName);
  } catch (const std::exception& e) {
    throw EZOLScaleError(ComponentMsg(std::string("cannot write ") + FileName + ": " + e.what()));
  }
}

void TScale::SaveAsSVG(const std::string& FileName) {
  try {
    ExportMetafile()->SaveToFile(FileName);
  } catch (const std::exception& e) {
    throw EZOLScaleError(ComponentMsg(std::string("cannot write ") + FileName + ": " + e.what()));
  }
}

void TScale::SaveAsPDF(const std::string& FileName) {
  try {
    ExportMetafile()->SaveToPDFFile(FileName);
  } catch (const std::exception& e) {
    throw EZOLScaleError(ComponentMsg(std::string("cannot write ") + FileName + ": " + e.what()));
  }
}

}  // namespace zol
