// Scale gauge TScaleGauge: background, helper scale, index marks, covers and frames.
#include "chart/Zol_gauge.h"

#include <algorithm>
#include <cmath>

#include "base/Zol_zolcolors.h"
#include "base/platform/Zol_metafile.h"

namespace zol {

namespace {
constexpr double kMinLog = 1e-100;
constexpr int kMinAreaSize = 20;  // pixels kept between opposite margins
}  // namespace

TScaleGauge::TScaleGauge(TComponent* AOwner) : TCustomControl(AOwner) {
  FScale = new TScale(this);
  FScale->SetIsHelper(true);
  FScale->SetTransparent(true);
  FScale->SetFrameStyle(fsNone);
  FScale->SetSuppressPaint(true);
  TCustomControl::SetBounds(0, 0, 300, 75);
  SetScaleDims();
  UpdateScaleRange();
  FCreating = false;
}

TScaleGauge::~TScaleGauge() { FCreating = true; }

void TScaleGauge::Assign(const TPersistent& Source) {
  const auto* g = dynamic_cast<const TScaleGauge*>(&Source);
  if (!g) {
    TCustomControl::Assign(Source);
    return;
  }
  FCreating = true;
  FMin = g->FMin;
  FMax = g->FMax;
  FValue = g->FValue;
  FGaugeZero = g->FGaugeZero;
  FFixedDial = g->FFixedDial;
  FOrientation = g->FOrientation;
  FBackground = g->FBackground;
  FColorBg1 = g->FColorBg1;
  FColorBg2 = g->FColorBg2;
  FIndexMode = g->FIndexMode;
  FColorIndex1 = g->FColorIndex1;
  FColorIndex2 = g->FColorIndex2;
  FColorScale = g->FColorScale;
  FColorCover = g->FColorCover;
  FMarginLeft = g->FMarginLeft;
  FMarginRight = g->FMarginRight;
  FMarginTop = g->FMarginTop;
  FMarginBottom = g->FMarginBottom;
  FCaption = g->FCaption;
  FCaptionColor = g->FCaptionColor;
  FCaptionPosX = g->FCaptionPosX;
  FCaptionPosY = g->FCaptionPosY;
  FCaptionSize = g->FCaptionSize;
  FCaptionStyle = g->FCaptionStyle;
  FFrameStyleOuter = g->FFrameStyleOuter;
  FFrameStyleInner = g->FFrameStyleInner;
  FColorScheme = g->FColorScheme;
  SetFont(g->Font());
  FScale->SetMinTicks(g->FScale->MinTicks());
  FScale->SetShortTicks(g->FScale->ShortTicks());
  FScale->SetAxLinLog(false);
  OnMouseMoveInGauge = g->OnMouseMoveInGauge;
  ClampMargins();
  SetScaleDims();
  UpdateScaleRange();
  if (g->Logarithmic()) FScale->SetAxLinLog(true);
  FCreating = false;
  Changed();
}

void TScaleGauge::Changed() {
  if (FCreating || IsLoading() || IsDestroying()) return;
  Repaint();
}

// ---------------------------------------------------------------- value and range
void TScaleGauge::SetValue(double v) {
  if (std::isnan(v)) return;
  v = std::clamp(v, std::min(FMin, FMax), std::max(FMin, FMax));
  if (v == FValue) return;
  FValue = v;
  if (!FFixedDial) UpdateScaleRange();
  Changed();
}

void TScaleGauge::SetMin(double v) {
  if (v == FMin || std::isnan(v)) return;
  FMin = v;
  FValue = std::clamp(FValue, std::min(FMin, FMax), std::max(FMin, FMax));
  UpdateScaleRange();
  Changed();
}

void TScaleGauge::SetMax(double v) {
  if (v == FMax || std::isnan(v)) return;
  FMax = v;
  FValue = std::clamp(FValue, std::min(FMin, FMax), std::max(FMin, FMax));
  UpdateScaleRange();
  Changed();
}

void TScaleGauge::SetGaugeZero(double v) {
  if (v == FGaugeZero) return;
  FGaugeZero = v;
  Changed();
}

bool TScaleGauge::Logarithmic() const { return FScale->Logarithmic(); }

void TScaleGauge::SetLogarithmic(bool v) {
  if (v == FScale->Logarithmic()) return;
  if (v && !(FMin > kMinLog && FMax > kMinLog)) return;
  if (v) FScale->SetRange(FMin, FMax);  // a positive range first, then the mapping
  FScale->SetAxLinLog(v);
  UpdateScaleRange();
  Changed();
}

int TScaleGauge::MinTicks() const { return FScale->MinTicks(); }
void TScaleGauge::SetMinTicks(int v) {
  if (v == FScale->MinTicks()) return;
  FScale->SetMinTicks(v);
  Changed();
}

bool TScaleGauge::ShortTicks() const { return FScale->ShortTicks(); }
void TScaleGauge::SetShortTicks(bool v) {
  if (v == FScale->ShortTicks()) return;
  FScale->SetShortTicks(v);
  Changed();
}

void TScaleGauge::SetFixedDial(bool v) {
  if (v == FFixedDial) return;
  FFixedDial = v;
  UpdateScaleRange();
  Changed();
}

void TScaleGauge::UpdateScaleRange() {
  double lo = FMin, hi = FMax;
  const bool log = FScale->Logarithmic();
  if (!FFixedDial) {
    if (log && FMin > 0 && FMax > 0 && FValue > 0) {
      const double r = std::sqrt(FMax / FMin);
      lo = FValue / r;
      hi = FValue * r;
    } else {
      const double h = std::fabs(FMax - FMin) / 2;
      lo = FValue - h;
      hi = FValue + h;
    }
  }
  // A range that no longer suits the logarithmic mapping switches it off.
  if (log && !(lo > kMinLog && hi > kMinLog)) FScale->SetAxLinLog(false);
  if (lo == hi) hi = lo + 1;
  FScale->SetRange(lo, hi);
}

// ---------------------------------------------------------------- appearance setters
#define ZOL_GAUGE_SETTER(Type, Name, Field, Extra) \
  void TScaleGauge::Set##Name(Type v) {            \
    if (v == Field) return;                        \
    Field = v;                                     \
    Extra;                                         \
    Changed();                                     \
  }
ZOL_GAUGE_SETTER(TGaugeOrientation, Orientation, FOrientation, SetScaleDims())
ZOL_GAUGE_SETTER(TGaugeBackground, Background, FBackground, (void)0)
ZOL_GAUGE_SETTER(TColor, ColorBg1, FColorBg1, (void)0)
ZOL_GAUGE_SETTER(TColor, ColorBg2, FColorBg2, (void)0)
ZOL_GAUGE_SETTER(TGaugeIndexMode, IndexMode, FIndexMode, (void)0)
ZOL_GAUGE_SETTER(TColor, ColorIndex1, FColorIndex1, (void)0)
ZOL_GAUGE_SETTER(TColor, ColorIndex2, FColorIndex2, (void)0)
ZOL_GAUGE_SETTER(TColor, ColorScale, FColorScale, (void)0)
ZOL_GAUGE_SETTER(TColor, ColorCover, FColorCover, (void)0)
ZOL_GAUGE_SETTER(const std::string&, Caption, FCaption, (void)0)
ZOL_GAUGE_SETTER(TColor, CaptionColor, FCaptionColor, (void)0)
ZOL_GAUGE_SETTER(int, CaptionPosX, FCaptionPosX, (void)0)
ZOL_GAUGE_SETTER(int, CaptionPosY, FCaptionPosY, (void)0)
ZOL_GAUGE_SETTER(int, CaptionSize, FCaptionSize, (void)0)
ZOL_GAUGE_SETTER(TFontStyles, CaptionStyle, FCaptionStyle, (void)0)
ZOL_GAUGE_SETTER(TFrameStyle, FrameStyleOuter, FFrameStyleOuter, (void)0)
ZOL_GAUGE_SETTER(TFrameStyle, FrameStyleInner, FFrameStyleInner, (void)0)
ZOL_GAUGE_SETTER(TColorScheme, ColorScheme, FColorScheme, (void)0)
#undef ZOL_GAUGE_SETTER

void TScaleGauge::SetMarginLeft(int v) {
  v = std::clamp(v, 0, std::max(0, Width() - FMarginRight - kMinAreaSize));
  if (v == FMarginLeft) return;
  FMarginLeft = v;
  SetScaleDims();
  Changed();
}

void TScaleGauge::SetMarginRight(int v) {
  v = std::clamp(v, 0, std::max(0, Width() - FMarginLeft - kMinAreaSize));
  if (v == FMarginRight) return;
  FMarginRight = v;
  SetScaleDims();
  Changed();
}

void TScaleGauge::SetMarginTop(int v) {
  v = std::clamp(v, 0, std::max(0, Height() - FMarginBottom - kMinAreaSize));
  if (v == FMarginTop) return;
  FMarginTop = v;
  SetScaleDims();
  Changed();
}

void TScaleGauge::SetMarginBottom(int v) {
  v = std::clamp(v, 0, std::max(0, Height() - FMarginTop - kMinAreaSize));
  if (v == FMarginBottom) return;
  FMarginBottom = v;
  SetScaleDims();
  Changed();
}

void TScaleGauge::ClampMargins() {
  FMarginLeft = std::clamp(FMarginLeft, 0, std::max(0, Width() - FMarginRight - kMinAreaSize));
  FMarginRight = std::clamp(FMarginRight, 0, std::max(0, Width() - FMarginLeft - kMinAreaSize));
  FMarginTop = std::clamp(FMarginTop, 0, std::max(0, Height() - FMarginBottom - kMinAreaSize));
  FMarginBottom = std::clamp(FMarginBottom, 0, std::max(0, Height() - FMarginTop - kMinAreaSize));
}

void TScaleGauge::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!FScale) return;
  ClampMargins();
  SetScaleDims();
  Changed();
}

void TScaleGauge::FontChanged() {
  TCustomControl::FontChanged();
  Changed();
}

void TScaleGauge::SetScaleDims() {
  if (!FScale) return;
  FScale->SetBounds(0, 0, Width(), Height());
  FScale->SetScaleType(FOrientation == goHorizontal ? sctXB : sctYL);
  FScale->SetMarginLeft(FMarginLeft);
  FScale->SetMarginRight(FMarginRight);
  FScale->SetMarginTop(FMarginTop);
  FScale->SetMarginBottom(FMarginBottom);
}

TRect TScaleGauge::Area() const {
  return Rect(FMarginLeft, FMarginTop, std::max(FMarginLeft, Width() - FMarginRight),
              std::max(FMarginTop, Height() - FMarginBottom));
}

int TScaleGauge::IndexPixel() const {
  const TRect a = Area();
  if (!FFixedDial)
    return FOrientation == goHorizontal ? (a.Left + a.Right - 1) / 2 : (a.Top + a.Bottom - 1) / 2;
  return FScale->R2M(FValue);
}

double TScaleGauge::PixelToValue(int X, int Y) const {
  return FScale->M2R(FOrientation == goHorizontal ? X : Y);
}

// ---------------------------------------------------------------- painting
void TScaleGauge::Paint() {
  Canvas().Draw(0, 0, *ExportBitmap());
  if (OnPaint) {
    TNotifyEvent h = OnPaint;
    h(this);
  }
}

void TScaleGauge::RenderTo(TCanvas& Cv, int X, int Y) {
  const int W = Width(), H = Height();
  const TRect a = Area();
  const bool horiz = FOrientation == goHorizontal;
  Cv.Pen().SetWidth(1);
  Cv.Pen().SetStyle(psSolid);
  Cv.Pen().SetMode(pmCopy);
  Cv.Brush().SetStyle(bsSolid);
  auto hline = [&](int x0, int x1, int y, TColor c) {  // x0..x1 inclusive
    if (x1 < x0) std::swap(x0, x1);
    Cv.Pen().SetColor(c);
    Cv.MoveTo(X + x0, Y + y);
    Cv.LineTo(X + x1 + 1, Y + y);
  };
  auto vline = [&](int x, int y0, int y1, TColor c) {
    if (y1 < y0) std::swap(y0, y1);
    Cv.Pen().SetColor(c);
    Cv.MoveTo(X + x, Y + y0);
    Cv.LineTo(X + x, Y + y1 + 1);
  };
  // 1. Background.
  Cv.Brush().SetColor(FColorBg1);
  Cv.FillRect(Rect(X, Y, X + W, Y + H));
  auto grad = [&](int i, int n, bool mid) {
    double f = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
    if (mid) f = 1 - std::fabs(2 * f - 1);
    return InterpolateColor(FColorBg1, FColorBg2, f);
  };
  switch (FBackground) {
    case gbPlain: break;
    case gbVertGrad:
    case gbVertMidBand: {
      const int n = a.Right - a.Left;
      for (int x = a.Left; x < a.Right; ++x)
        vline(x, 0, H - 1, grad(x - a.Left, n, FBackground == gbVertMidBand));
      break;
    }
    case gbHorizGrad:
    case gbHorizMidBand: {
      const int n = a.Bottom - a.Top;
      for (int y = a.Top; y < a.Bottom; ++y)
        hline(0, W - 1, y, grad(y - a.Top, n, FBackground == gbHorizMidBand));
      break;
    }
  }
  // 2. The scale in ColorScale with the gauge's font.
  FScale->SetColorScale(FColorScale);
  FScale->SetFont(Font());
  FScale->UseForeignCanvas(&Cv, X, Y);
  FScale->ForcePaint();
  FScale->UseForeignCanvas(nullptr, 0, 0);
  // 3. The index, in coordinates along (u) and across (w) the scale; w runs
  // from the top edge downwards (horizontal) or from the right edge leftwards.
  const int p = IndexPixel();
  const int u0 = horiz ? a.Left : a.Bottom - 1;   // start of the scale (RangeLow side)
  const int across = horiz ? a.Bottom - a.Top : a.Right - a.Left;
  auto pt = [&](int u, int w, int& x, int& y) {
    if (horiz) {
      x = u;
      y = a.Top + w;
    } else {
      y = u;
      x = a.Right - 1 - w;
    }
  };
  auto seg = [&](int u, int w0, int w1, TColor c) {  // a line across the scale at u
    int x0, y0, x1, y1;
    pt(u, w0, x0, y0);
    pt(u, w1, x1, y1);
    if (horiz) vline(x0, y0, y1, c); else hline(x0, x1, y0, c);
  };
  auto alongSeg = [&](int ua, int ub, int w, TColor c) {  // a line along the scale at w
    int x0, y0, x1, y1;
    pt(ua, w, x0, y0);
    pt(ub, w, x1, y1);
    if (horiz) hline(x0, x1, y0, c); else vline(x0, y0, y1, c);
  };
  auto triangle = [&](bool nearEdge, TColor c) {
    for (int i = 0; i < 8 && i < across; ++i) {
      const int w = nearEdge ? i : across - 1 - i;
      alongSeg(p - (7 - i), p + (7 - i), w, c);
    }
  };
  const int bandW0 = std::min(3, std::max(across - 1, 0));
  const int bandW1 = std::max(bandW0, std::min(across - 1, across / 3));
  auto band = [&](int from, int to, const std::function<TColor(int)>& color) {
    const int step = to >= from ? 1 : -1;
    for (int u = from;; u += step) {
      seg(u, bandW0, bandW1, color(u));
      if (u == to) break;
    }
  };
  switch (FIndexMode) {
    case gimThread: seg(p, 0, across - 1, FColorIndex1); break;
    case gimTriangle: triangle(true, FColorIndex1); break;
    case gimThreadTriangle:
      seg(p, 0, across - 1, FColorIndex1);
      triangle(true, FColorIndex1);
      break;
    case gimThreadTwoTriangles:
      seg(p, 0, across - 1, FColorIndex1);
      triangle(true, FColorIndex1);
      triangle(false, FColorIndex2);
      break;
    case gimBand: {
      const int n = std::abs(p - u0);
      band(u0, p, [&](int u) {
        return InterpolateColor(FColorIndex1, FColorIndex2, n > 0 ? std::abs(u - u0) / double(n) : 0.0);
      });
      break;
    }
    case gimDualColorBand: {
      const int z = FScale->R2M(FGaugeZero);
      const int zc = horiz ? std::clamp(z, a.Left, std::max(a.Left, a.Right - 1))
                           : std::clamp(z, a.Top, std::max(a.Top, a.Bottom - 1));
      const TColor c = FValue >= FGaugeZero ? FColorIndex1 : FColorIndex2;
      band(zc, p, [&](int) { return c; });
      break;
    }
    case gimBar: band(u0, p, [&](int) { return FColorIndex1; }); break;
  }
  // 4. Covers, caption and frames.
  Cv.Brush().SetStyle(bsSolid);
  Cv.Brush().SetColor(FColorCover);
  Cv.FillRect(Rect(X, Y, X + W, Y + a.Top));
  Cv.FillRect(Rect(X, Y + a.Bottom, X + W, Y + H));
  Cv.FillRect(Rect(X, Y + a.Top, X + a.Left, Y + a.Bottom));
  Cv.FillRect(Rect(X + a.Right, Y + a.Top, X + W, Y + a.Bottom));
  DrawCaptionText(Cv, Font(), X + FCaptionPosX, Y + FCaptionPosY, FCaption, FCaptionSize, FCaptionStyle,
                  FCaptionColor);
  const TFrameColors fc = SchemeFrameColors(FColorScheme);
  DrawFrame(Cv, FFrameStyleInner, X + a.Left - 2, Y + a.Top - 2, X + a.Right + 1, Y + a.Bottom + 1, fc.Highlight,
            fc.Light, fc.Shadow, fc.Dark, fc.Dark);
  DrawFrame(Cv, FFrameStyleOuter, X, Y, X + W - 1, Y + H - 1, fc.Highlight, fc.Light, fc.Shadow, fc.Dark, fc.Dark);
}

std::unique_ptr<TBitmap> TScaleGauge::ExportBitmap() {
  return RenderBitmap(Width(), Height(), [this](TCanvas& c) { RenderTo(c, 0, 0); });
}

std::unique_ptr<TMetafile> TScaleGauge::ExportMetafile() {
  return RenderMetafile(Width(), Height(), [this](TCanvas& c) { RenderTo(c, 0, 0); });
}

void TScaleGauge::MouseMove(TShiftState Shift, int X, int Y) {
  const TRect a = Area();
  const bool in = X >= a.Left && X < a.Right && Y >= a.Top && Y < a.Bottom;
  if (OnMouseMoveInGauge) {
    TMouseMoveInGaugeEvent h = OnMouseMoveInGauge;
    h(this, in, Shift, PixelToValue(X, Y));
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

}  // namespace zol
