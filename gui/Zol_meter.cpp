#include "gui/Zol_meter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/Zol_stringl.h"
#include "math/Zol_math1.h"

namespace zol {

namespace {

constexpr double MinLogLimit = 1e-100;
constexpr double DegToRad = std::numbers::pi / 180.0;

int RoundI(double v) {
  if (!(v == v)) return 0;
  v = std::clamp(v, -1e9, 1e9);
  return static_cast<int>(std::lround(v));
}

}  // namespace

// ---------------------------------------------------------------- free routines
void DrawMeterFrame(TCanvas& Canvas, TFrameStyle FrameStyle, TColorScheme Scheme, int Left, int Top, int Right,
                     int Bottom) {
  const TColor hi = Scheme == csSystem ? clBtnHighlight : clWhite;
  const TColor sh = Scheme == csSystem ? clBtnShadow : clGray;
  DrawFrame(Canvas, FrameStyle, Left, Top, Right, Bottom, hi, hi, sh, sh, sh);
}

int CalcM(int Status, double a, double b) {
  if (Status >= 0) return Status;
  if (Status != -2) return -1;
  const double d = std::fabs(a - b);
  if (!(d == d) || d >= 1e6 || d <= 1e-4) return -1;
  if (d >= 100) return 0;
  return 2 - static_cast<int>(std::lround(std::log(d) / 2.5));
}

// ---------------------------------------------------------------- TNeedleLayout
void TNeedleLayout::Assign(const TPersistent& Source) {
  const auto* s = dynamic_cast<const TNeedleLayout*>(&Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  FPercentNeedleLength = s->FPercentNeedleLength;
  FHeadSize = s->FHeadSize;
  FHeadAngle = s->FHeadAngle;
  FHeadMidLeng = s->FHeadMidLeng;
  FThickness = s->FThickness;
  FColorBody = s->FColorBody;
  FColorOutline = s->FColorOutline;
  FShadowDx = s->FShadowDx;
  FShadowDy = s->FShadowDy;
  FShadowColor = s->FShadowColor;
  FVisible = s->FVisible;
  Changed();
}

void TNeedleLayout::Changed() {
  if (OnChange) {
    TNotifyEvent h = OnChange;
    h(this);
  }
}


void TNeedleLayout::SetPercentNeedleLength(int v) { SetField(FPercentNeedleLength, std::clamp(v, 0, 100)); }
void TNeedleLayout::SetHeadSize(int v) { SetField(FHeadSize, std::clamp(v, 0, 100000)); }
void TNeedleLayout::SetHeadAngle(int v) { SetField(FHeadAngle, std::clamp(v, 0, 180)); }
void TNeedleLayout::SetHeadMidLeng(int v) { SetField(FHeadMidLeng, std::clamp(v, 0, 100000)); }
void TNeedleLayout::SetThickness(int v) { SetField(FThickness, std::clamp(v, 0, 100000)); }
void TNeedleLayout::SetShadowDx(int v) { SetField(FShadowDx, std::clamp(v, -100000, 100000)); }
void TNeedleLayout::SetShadowDy(int v) { SetField(FShadowDy, std::clamp(v, -100000, 100000)); }
void TNeedleLayout::SetColorBody(TColor v) { SetField(FColorBody, v); }
void TNeedleLayout::SetColorOutline(TColor v) { SetField(FColorOutline, v); }
void TNeedleLayout::SetShadowColor(TColor v) { SetField(FShadowColor, v); }
void TNeedleLayout::SetVisible(bool v) { SetField(FVisible, v); }

// ---------------------------------------------------------------- TMeter: construction
TMeter::TMeter(TComponent* AOwner)
    : TGraphicControl(AOwner), FFontCaption(std::make_unique<TFont>()), FBuffer(std::make_unique<TBitmap>()) {
  FNeedle.OnChange = [this](TObject*) { Invalidate(); };
  FNeedleSec.OnChange = [this](TObject*) { Invalidate(); };
  FFontCaption->OnChange = [this](TObject*) { Invalidate(); };
  SetBounds(0, 0, 297, 209);
  CalcLayout();
  FLowState = FValue <= FThreshLow;
  FHighState = FValue >= FThreshHigh;
}

TMeter::~TMeter() {
  FNeedle.OnChange = nullptr;
  FNeedleSec.OnChange = nullptr;
  FFontCaption->OnChange = nullptr;
}

void TMeter::Loaded() {
  TGraphicControl::Loaded();
  FLowState = FValue <= FThreshLow;
  FHighState = FValue >= FThreshHigh;
  CalcLayout();
  Invalidate();
}

void TMeter::Fire(const TNotifyEvent& e) {
  if (e) {
    TNotifyEvent h = e;
    h(this);
  }
}

void TMeter::SetColorField(TColor& f, TColor v) {
  if (f == v) return;
  f = v;
  Invalidate();
}

// ---------------------------------------------------------------- geometry
int TMeter::Span() const {
  static const int spans[6] = {90, 120, 180, 270, 300, 360};
  return spans[FMeterLayout];
}

void TMeter::CalcLayout() {
  const int W = Width(), H = Height();
  const int B = FRimBottom, S = FRimSide, T = FRimTop;
  const double vert = H - B - T - 16;
  FCx = W / 2;
  switch (FMeterLayout) {
    case mlCirc90:
      FCy = H - B - 8;
      FR = vert;
      break;
    case mlCirc120:
      FCy = H - B - 8;
      FR = std::min(vert, (W / 2.0 - S - 8) * 1.1547);
      break;
    case mlCirc180:
      FCy = H - B - 8;
      FR = std::min(vert, W / 2.0 - S - 8);
      break;
    case mlCirc270:
    case mlCirc300:
    case mlCirc360: {
      const double k = FMeterLayout == mlCirc270 ? 1.7071 : FMeterLayout == mlCirc300 ? 1.866 : 2.0;
      FR = std::min(static_cast<double>(W / 2 - S - 8), vert / k);
      FCy = RoundI(T + 8 + std::max(FR, 0.0));
      break;
    }
  }
  if (FR < 0) FR = 0;
}

void TMeter::Resize() {
  TGraphicControl::Resize();
  CalcLayout();
  Invalidate();
}

double TMeter::Clamp(double v) const {
  const double lo = std::min(FMin, FMax), hi = std::max(FMin, FMax);
  if (!(v == v)) return lo;
  return std::clamp(v, lo, hi);
}

double TMeter::ScaleFraction(double v) const {
  v = Clamp(v);
  if (FMax == FMin) return 0.0;  // one-point scale: everything at the minimum end
  double q;
  if (FLog)
    q = (std::log(v) - std::log(FMin)) / (std::log(FMax) - std::log(FMin));
  else
    q = (v * 0.5 - FMin * 0.5) / (FMax * 0.5 - FMin * 0.5);  // halves: no overflow over ±1e308
  if (!(q == q)) return 0.0;
  return std::clamp(q, 0.0, 1.0);
}

double TMeter::CalcNeedleAngle(double v) const {
  const double span = Span();
  return 180.0 - span / 2 + span * ScaleFraction(v);
}

TPoint TMeter::ConvertToPixelCoords(double v, double Percent) const {
  const double theta = (-90.0 - CalcNeedleAngle(v)) * DegToRad;
  const double r = Percent / 100.0 * FR;
  return Point(RoundI(FCx + std::cos(theta) * r), RoundI(FCy - std::sin(theta) * r));
}

bool TMeter::ConvertPixelToValue(int X, int Y, double& Value) const {
  Value = 0;
  const double dx = X - FCx, dy = Y - FCy;
  if (dx == 0 && dy == 0) return false;
  double a = std::atan2(dy, dx) / DegToRad;
  if (a < 0) a += 360;
  double g = a - 90;
  if (g < 0) g += 360;
  const double span = Span();
  const double g0 = 180 - span / 2;
  if (g < g0 || g > 180 + span / 2) return false;
  const double q = (g - g0) / span;
  if (FLog && FMax != FMin)
    Value = std::exp(std::log(FMin) + q * (std::log(FMax) - std::log(FMin)));
  else
    Value = FMin * (1 - q) + FMax * q;
  return true;
}

void TMeter::NeedlePolygon(const TNeedleLayout& N, double v, TPoint Pts[7]) const {
  const double th = (-90.0 - CalcNeedleAngle(v)) * DegToRad;
  const double L = N.PercentNeedleLength() * (FR - 4) / 100.0;
  const double tx = RoundI(FCx + L * std::cos(th)), ty = RoundI(FCy - L * std::sin(th));
  const double hx = std::sin(th) * N.Thickness() / 2.0, hy = std::cos(th) * N.Thickness() / 2.0;
  const double a = N.HeadAngle() * DegToRad;
  const double hs = N.HeadSize(), ml = N.HeadMidLeng();
  const double dx = std::cos(th), dy = -std::sin(th);
  Pts[0] = Point(RoundI(tx - hs * std::cos(th + a / 2)), RoundI(ty + hs * std::sin(th + a / 2)));
  Pts[1] = Point(RoundI(tx), RoundI(ty));
  Pts[2] = Point(RoundI(tx - hs * std::cos(th - a / 2)), RoundI(ty + hs * std::sin(th - a / 2)));
  Pts[3] = Point(RoundI(tx - hx - ml * dx), RoundI(ty - hy - ml * dy));
  Pts[4] = Point(RoundI(FCx - hx), RoundI(FCy - hy));
  Pts[5] = Point(RoundI(FCx + hx), RoundI(FCy + hy));
  Pts[6] = Point(RoundI(tx + hx - ml * dx), RoundI(ty + hy - ml * dy));
}

// ---------------------------------------------------------------- values and range events
void TMeter::RangeEvents() {
  FLowState = FValue <= FThreshLow;
  FHighState = FValue >= FThreshHigh;
  if (IsLoading() || !FNeedle.Visible()) return;
  if (FValue >= FThreshHigh)
    Fire(OnOverFlow);
  else if (FValue > FThreshLow)
    Fire(OnNormalRange);
  else
    Fire(OnUnderFlow);
}

void TMeter::SetValue(double v) {
  v = Clamp(v);
  if (v == FValue) return;
  FValue = v;
  RangeEvents();
  Invalidate();
}

void TMeter::SetValueSec(double v) {
  v = Clamp(v);
  if (v == FValueSec) return;
  FValueSec = v;
  Invalidate();
}

void TMeter::Reclamp() {
  FValue = Clamp(FValue);
  FValueSec = Clamp(FValueSec);
  FThreshLow = Clamp(FThreshLow);
  FThreshHigh = Clamp(FThreshHigh);
  if (FThreshHigh < FThreshLow) FThreshHigh = FThreshLow;
  FLowState = FValue <= FThreshLow;
  FHighState = FValue >= FThreshHigh;
}

void TMeter::SetMeterMinValue(double v) {
  if (!std::isfinite(v) || v == FMin) return;
  FMin = v;
  if (FLog && v <= MinLogLimit) FLog = false;
  Reclamp();
  Invalidate();
}

void TMeter::SetMeterMaxValue(double v) {
  if (!std::isfinite(v) || v == FMax) return;
  FMax = v;
  if (FLog && v <= MinLogLimit) FLog = false;
  Reclamp();
  Invalidate();
}

void TMeter::SetThresholdLow(double v) {
  if (!(v == v) || (FLog && v < MinLogLimit)) return;
  v = Clamp(v);
  if (v == FThreshLow) return;
  FThreshLow = v;
  if (FThreshHigh < v) FThreshHigh = v;
  FLowState = FValue <= FThreshLow;
  FHighState = FValue >= FThreshHigh;
  if (!IsLoading() && FNeedle.Visible() && FLowState) Fire(OnUnderFlow);
  Invalidate();
}

void TMeter::SetThresholdHigh(double v) {
  if (!(v == v) || (FLog && v < MinLogLimit)) return;
  v = Clamp(v);
  if (v == FThreshHigh) return;
  FThreshHigh = v;
  if (FThreshLow > v) FThreshLow = v;
  FLowState = FValue <= FThreshLow;
  FHighState = FValue >= FThreshHigh;
  if (!IsLoading() && FNeedle.Visible() && FHighState) Fire(OnOverFlow);
  Invalidate();
}

void TMeter::SetLogarithmic(bool v) {
  if (v && (FMin <= MinLogLimit || FMax <= MinLogLimit)) v = false;
  if (v == FLog) return;
  FLog = v;
  Invalidate();
}

// ---------------------------------------------------------------- simple setters
void TMeter::SetMeterLayout(TMeterLayout v) {
  if (v == FMeterLayout || v < mlCirc90 || v > mlCirc360) return;
  FMeterLayout = v;
  CalcLayout();
  Invalidate();
}

#define ZOL_METER_SETTER(Type, Name, Field, Expr) \
  void TMeter::Set##Name(Type v) {                \
    v = (Expr);                                   \
    if (v == Field) return;                       \
    Field = v;                                    \
    CalcLayout();                                 \
    Invalidate();                                 \
  }
ZOL_METER_SETTER(int, MeterNrTicks, FNrTicks, std::clamp(v, 2, 21))
ZOL_METER_SETTER(int, MeterDecPlaces, FDecPlaces, std::clamp(v, 0, 4))
ZOL_METER_SETTER(bool, MeterShortTicks, FShortTicks, v)
ZOL_METER_SETTER(bool, MeterScaleLine, FScaleLine, v)
ZOL_METER_SETTER(bool, ScaleVisible, FScaleVisible, v)
ZOL_METER_SETTER(bool, ScaleBkVisible, FScaleBkVisible, v)
ZOL_METER_SETTER(int, ScaleBkWidth, FScaleBkWidth, std::clamp(v, 0, 100))
ZOL_METER_SETTER(TColorScheme, ColorScheme, FColorScheme, v)
ZOL_METER_SETTER(TFrameStyle, FrameStyle, FFrameStyle, v)
ZOL_METER_SETTER(int, RimTop, FRimTop, std::clamp(v, 0, 100000))
ZOL_METER_SETTER(int, RimBottom, FRimBottom, std::clamp(v, 0, 100000))
ZOL_METER_SETTER(int, RimSide, FRimSide, std::clamp(v, 0, 100000))
ZOL_METER_SETTER(int, AnchorSize, FAnchorSize, std::clamp(v, 0, 100000))
ZOL_METER_SETTER(bool, AnchorCovered, FAnchorCovered, v)
ZOL_METER_SETTER(TBkgFill, BkgndFillMode, FBkgndFillMode, v)
ZOL_METER_SETTER(bool, LimWatchLowOn, FLimWatchLowOn, v)
ZOL_METER_SETTER(bool, LimWatchHighOn, FLimWatchHighOn, v)
#undef ZOL_METER_SETTER

void TMeter::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Invalidate();
}

void TMeter::SetUnitLabel(const std::string& v) {
  if (v == FUnitLabel) return;
  FUnitLabel = v;
  Invalidate();
}

namespace {
// Loads an image by name: an empty name clears it; a failure keeps the old one.
void LoadImageByName(const std::string& FileName, std::string& Name, std::unique_ptr<TBitmap>& Img) {
  if (FileName.empty()) {
    Name.clear();
    Img.reset();
    return;
  }
  auto b = std::make_unique<TBitmap>();
  if (!b->LoadFromFile(FileName) || b->Empty()) return;
  Img = std::move(b);
  Name = FileName;
}
}  // namespace

void TMeter::SetAnchorImage(const std::string& FileName) {
  LoadImageByName(FileName, FAnchorImageName, FAnchorImg);
  Invalidate();
}

void TMeter::SetBackGroundImg(const std::string& FileName) {
  LoadImageByName(FileName, FBackGroundImgName, FBackGroundImg);
  Invalidate();
}

// ---------------------------------------------------------------- drawing
void TMeter::DrawBand(TCanvas& c, double v1, double v2, TColor col, int r) {
  const double a1 = CalcNeedleAngle(v1), a2 = CalcNeedleAngle(v2);
  if (std::fabs(a1 - a2) <= 1e-6) return;
  // Values grow clockwise: the sector runs counter-clockwise from v2 to v1.
  const double t1 = (-90.0 - a1) * DegToRad, t2 = (-90.0 - a2) * DegToRad;
  const int far = 10000;
  c.Pen().SetColor(col);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(col);
  c.Pie(FCx - r, FCy - r, FCx + r + 1, FCy + r + 1, RoundI(FCx + far * std::cos(t2)),
        RoundI(FCy - far * std::sin(t2)), RoundI(FCx + far * std::cos(t1)), RoundI(FCy - far * std::sin(t1)));
}

void TMeter::DrawScale(TCanvas& c) {
  const int Ri = RoundI(FR);
  const double span = Span();
  c.Pen().SetColor(FColorScale);
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(psSolid);
  if (FScaleLine) {
    const TPoint pmin = ConvertToPixelCoords(FMin, 1000), pmax = ConvertToPixelCoords(FMax, 1000);
    if (FMax == FMin)
      c.SetPixel(ConvertToPixelCoords(FMin, 100).X, ConvertToPixelCoords(FMin, 100).Y, FColorScale);
    else
      c.Arc(FCx - Ri, FCy - Ri, FCx + Ri + 1, FCy + Ri + 1, pmax.X, pmax.Y, pmin.X, pmin.Y);
  }
  auto stroke = [&](double t, int len) {
    const double phi = (span / 2 + 90 - span * ScaleFraction(t)) * DegToRad;
    c.MoveTo(RoundI(FCx + std::cos(phi) * FR), RoundI(FCy - std::sin(phi) * FR));
    c.LineTo(RoundI(FCx + std::cos(phi) * (FR - len)), RoundI(FCy - std::sin(phi) * (FR - len)));
  };
  c.Font().Assign(Font());
  c.Font().SetColor(FColorScale);
  const TSize minExt = c.TextExtent(strff(FMin, 1, FDecPlaces));
  const double ldx = minExt.cx / 2.0 + 15, ldy = minExt.cy / 2.0 + 15;
  auto label = [&](double t) {
    const double phi = (span / 2 + 90 - span * ScaleFraction(t)) * DegToRad;
    std::string s = strff(t, 1, FDecPlaces);
    const TSize e = c.TextExtent(s);
    int x = RoundI(FCx + std::cos(phi) * (FR - ldx)) - e.cx / 2;
    int y = RoundI(FCy - std::sin(phi) * (FR - ldy)) - e.cy / 2;
    if (OnBeforeDrawScaleLabel) {
      TBeforeDrawScaleLabelEvent h = OnBeforeDrawScaleLabel;
      h(this, c, x, y, s);
    }
    if (s.empty()) return;
    c.Brush().SetStyle(bsClear);
    c.SetTextAlign(TA_LEFT | TA_TOP);
    c.TextOut(x, y, s);
  };
  const double lo = std::min(FMin, FMax), hi = std::max(FMin, FMax);
  if (FLog && hi >= 10 * lo) {
    // Decades: every d·10^k is a tick, those of 1, 2 and 5 are labelled.
    const int k0 = static_cast<int>(std::floor(std::log10(lo))), k1 = static_cast<int>(std::ceil(std::log10(hi)));
    for (int k = k0; k <= k1; ++k)
      for (int d = 1; d <= 9; ++d) {
        const double t = d * std::pow(10.0, k);
        if (t < lo * (1 - 1e-9) || t > hi * (1 + 1e-9)) continue;
        if (d == 1 || d == 2 || d == 5) {
          stroke(t, 8);
          label(t);
        } else if (FShortTicks) {
          stroke(t, 4);
        }
      }
    return;
  }
  long double first = 0, dist = 0;
  uint16_t nsub = 1;
  CalcScalePars(FNrTicks, FMin, FMax, first, dist, nsub);
  if (dist == 0 || !std::isfinite(static_cast<double>(dist))) {
    stroke(FMin, 8);
    label(FMin);
    return;
  }
  const double d = static_cast<double>(dist), f = static_cast<double>(first);
  const double tol = 1e-9 * std::fabs(d);
  auto inRange = [&](double t) { return t >= lo - tol && t <= hi + tol; };
  for (int i = 0; i < 1000; ++i) {
    const double t = f + i * d;
    if (!inRange(t)) {
      if ((d > 0 && t > hi) || (d < 0 && t < lo)) break;
      continue;
    }
    stroke(t, 8);
    label(t);
  }
  if (FShortTicks && nsub > 1) {
    const double sd = d / nsub;
    for (int j = -static_cast<int>(nsub); j < 1000 * static_cast<int>(nsub); ++j) {
      const double t = f + j * sd;
      if ((d > 0 && t > hi + tol) || (d < 0 && t < lo - tol)) break;
      if (!inRange(t)) continue;
      const double rel = (t - f) / d;
      if (std::fabs(rel - std::round(rel)) <= 1e-5) continue;  // a labelled tick
      stroke(t, 4);
    }
  }
}

void TMeter::DrawNeedle(TCanvas& c, const TNeedleLayout& N, double v) {
  bool skip = false;
  if (OnBeforeDrawNeedle) {
    TBeforeDrawNeedleEvent h = OnBeforeDrawNeedle;
    h(this, c, skip);
  }
  if (skip) return;
  TPoint p[7];
  NeedlePolygon(N, v, p);
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(psSolid);
  c.Brush().SetStyle(bsSolid);
  if (N.ShadowDx() != 0 || N.ShadowDy() != 0) {
    TPoint s[7];
    for (int i = 0; i < 7; ++i) s[i] = Point(p[i].X - N.ShadowDx(), p[i].Y - N.ShadowDy());
    c.Pen().SetColor(N.ShadowColor());
    c.Brush().SetColor(N.ShadowColor());
    c.Polygon(s, 7);
  }
  c.Pen().SetColor(N.ColorOutline());
  c.Brush().SetColor(N.ColorBody());
  c.Polygon(p, 7);
}

void TMeter::Render(TCanvas& c) {
  const int W = Width(), H = Height();
  const int S = FRimSide, T = FRimTop, B = FRimBottom;
  const TColor hi = FColorScheme == csSystem ? clBtnHighlight : clWhite;
  const TColor sh = FColorScheme == csSystem ? clBtnShadow : clGray;
  c.Pen().SetMode(pmCopy);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  // 1. Cover, face (or background image) and frame.
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorCover);
  c.FillRect(Rect(0, 0, W, H));
  const TRect face = Rect(S, T, W - S, H - B);
  if (!face.IsEmpty()) {
    if (FBackGroundImg) {
      c.SetClipRect(face);
      const int iw = FBackGroundImg->Width(), ih = FBackGroundImg->Height();
      switch (FBkgndFillMode) {
        case bfStretch: c.StretchDraw(face, *FBackGroundImg); break;
        case bfTile:
          for (int y = face.Top; y < face.Bottom; y += ih)
            for (int x = face.Left; x < face.Right; x += iw) c.Draw(x, y, *FBackGroundImg);
          break;
        default:
          c.Brush().SetColor(FColorBakG);
          c.FillRect(face);
          c.Draw(face.Left, face.Top, *FBackGroundImg);
          break;
      }
      c.ResetClip();
    } else {
      c.Brush().SetColor(FColorBakG);
      c.FillRect(face);
    }
    DrawFrame(c, fsLowered, face.Left - 1, face.Top - 1, face.Right, face.Bottom, hi, hi, sh, sh, sh);
  }
  DrawMeterFrame(c, FFrameStyle, FColorScheme, 0, 0, W - 1, H - 1);

  const int Ri = RoundI(FR);
  if (FR >= 1) {
    // 2. Range bands.
    if (FScaleBkVisible && !face.IsEmpty()) {
      c.SetClipRect(face);  // the bands lie on the face, never on the cover
      const int rb = Ri + 4;
      DrawBand(c, FMin, FThreshLow, FColorSclBkLow, rb);
      DrawBand(c, FThreshLow, FThreshHigh, FColorSclBkNorm, rb);
      DrawBand(c, FThreshHigh, FMax, FColorSclBkHigh, rb);
      const int rd = RoundI((100 - FScaleBkWidth) * FR / 100);
      if (rd > 0) {
        c.Pen().SetColor(FColorBakG);
        c.Brush().SetColor(FColorBakG);
        c.Ellipse(FCx - rd, FCy - rd, FCx + rd + 1, FCy + rd + 1);
      }
      c.ResetClip();
    }
    // 3. Scale.
    if (FScaleVisible) DrawScale(c);
    // 4. Unit label and caption.
    c.Brush().SetStyle(bsClear);
    c.SetTextAlign(TA_LEFT | TA_TOP);
    const double side = FMeterLayout >= mlCirc270 ? 1.0 : -1.0;
    if (!FUnitLabel.empty()) {
      c.Font().Assign(Font());
      const TSize e = c.TextExtent(FUnitLabel);
      c.TextOut(FCx - e.cx / 2, RoundI(FCy + side * FR / 4) - e.cy / 2, FUnitLabel);
    }
    if (!FCaption.empty()) {
      c.Font().Assign(*FFontCaption);
      const TSize e = c.TextExtent(FCaption);
      c.TextOut(FCx - e.cx / 2, RoundI(FCy + side * FR / 2) - e.cy / 2, FCaption);
    }
    // 5. Needles.
    if (FNeedleSec.Visible()) DrawNeedle(c, FNeedleSec, FValueSec);
    if (FNeedle.Visible()) DrawNeedle(c, FNeedle, FValue);
    // 6. Anchor.
    if (FAnchorCovered) {
      if (FAnchorImg) {
        c.Draw(FCx - FAnchorImg->Width() / 2, FCy - FAnchorImg->Height() / 2, *FAnchorImg);
      } else if (FAnchorSize > 0) {
        const int a = FAnchorSize;
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(FColorCover);
        c.Pen().SetColor(FColorCover);
        c.Ellipse(FCx - a, FCy - a, FCx + a + 1, FCy + a + 1);
        // Raised edge: light upper-left half, shadow lower-right half.
        c.Pen().SetColor(hi);
        c.Arc(FCx - a, FCy - a, FCx + a + 1, FCy + a + 1, FCx + a, FCy - a, FCx - a, FCy + a);
        c.Pen().SetColor(sh);
        c.Arc(FCx - a, FCy - a, FCx + a + 1, FCy + a + 1, FCx - a, FCy + a, FCx + a, FCy - a);
      }
    }
  }
  // 7. Limit-watch lamps.
  auto lamp = [&](int x, int y, bool active) {
    c.Pen().SetColor(0x404040);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(active ? FLimWatchActColor : FLimWatchPsvColor);
    c.Ellipse(x - 5, y - 5, x + 6, y + 6);
  };
  if (FLimWatchLowOn) lamp(S + 8, H - B - 8, FValue <= FThreshLow);
  if (FLimWatchHighOn) lamp(W - 1 - S - 8, H - B - 8, FValue >= FThreshHigh);
  c.Brush().SetStyle(bsSolid);
}

void TMeter::Paint() {
  const int W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  if (FBuffer->Width() != W || FBuffer->Height() != H) FBuffer->SetSize(W, H);
  Render(FBuffer->Canvas());
  Fire(OnMeterRendered);
  Canvas().Draw(0, 0, *FBuffer);
  TGraphicControl::Paint();
}

void TMeter::MouseMove(TShiftState Shift, int X, int Y) {
  double v;
  if (OnMouseMoveInMeter && ConvertPixelToValue(X, Y, v)) {
    TMouseMoveInMeterEvent h = OnMouseMoveInMeter;
    h(this, Shift, v);
  }
  TGraphicControl::MouseMove(Shift, X, Y);
}

}  // namespace zol
