// Colour scale TColorScale: value/colour conversion, colour bar, helper scale and frame.
#include "chart/Zol_colorscale.h"

#include <algorithm>
#include <cmath>

#include "base/platform/Zol_metafile.h"

namespace zol {

TColorScale::TColorScale(TComponent* AOwner) : TCustomControl(AOwner) {
  FColorArray = new TColorArray(this);
  FColorArray->OnChange = [this](TObject*) { Changed(); };
  FScale = new TScale(this);
  FScale->SetIsHelper(true);
  FScale->SetTransparent(true);
  FScale->SetFrameStyle(fsNone);
  FScale->SetSuppressPaint(true);
  FScale->SetRange(-10, 10);
  TCustomControl::SetBounds(0, 0, 300, 75);
  SetScaleDims();
  FCreating = false;
}

TColorScale::~TColorScale() {
  FCreating = true;
  FColorArray->OnChange = nullptr;
}

void TColorScale::Assign(const TPersistent& Source) {
  const auto* c = dynamic_cast<const TColorScale*>(&Source);
  if (!c) {
    TCustomControl::Assign(Source);
    return;
  }
  FCreating = true;
  FColorArray->Assign(*c->FColorArray);
  FScale->SetRange(c->FScale->RangeLow(), c->FScale->RangeHigh());
  FScale->SetMinTicks(c->FScale->MinTicks());
  FScale->SetDecPlaces(c->FScale->DecPlaces());
  FColorLow = c->FColorLow;
  FColorHigh = c->FColorHigh;
  FExtendColors = c->FExtendColors;
  FFramedColorScale = c->FFramedColorScale;
  FOrientation = c->FOrientation;
  FColorSclBkgd = c->FColorSclBkgd;
  FColorOfScale = c->FColorOfScale;
  FColorScheme = c->FColorScheme;
  FFrameStyle = c->FFrameStyle;
  FCaption = c->FCaption;
  FCaptionColor = c->FCaptionColor;
  FCaptionPosX = c->FCaptionPosX;
  FCaptionPosY = c->FCaptionPosY;
  FCaptionSize = c->FCaptionSize;
  FCaptionStyle = c->FCaptionStyle;
  FMarginTop = c->FMarginTop;
  FMarginBottom = c->FMarginBottom;
  FMarginLeft = c->FMarginLeft;
  FMarginRight = c->FMarginRight;
  SetFont(c->Font());
  OnMouseMoveInScale = c->OnMouseMoveInScale;
  SetScaleDims();
  FCreating = false;
  Changed();
}

void TColorScale::Changed() {
  if (FCreating || IsLoading() || IsDestroying()) return;
  Repaint();
}

// ---------------------------------------------------------------- conversion
TColor TColorScale::ValueToColor(double v) const {
  const int n = FColorArray->Size();
  int idx;
  const double range = FColorHigh - FColorLow;
  if (range == 0 || std::isnan(v) || !std::isfinite(range)) {
    idx = n / 2;  // equal ends: the middle colour
  } else {
    const double q = std::round((v - FColorLow) * n / range);
    idx = q < 1 ? 1 : (q > n ? n : static_cast<int>(q));
  }
  return FColorArray->GetColorElem(std::clamp(idx, 1, std::max(n, 1)));
}

double TColorScale::ColorToValue(TColor c) const {
  const int n = std::max(FColorArray->Size(), 1);
  double dist = 0;
  const int idx = FColorArray->ColorToIndex(c, dist);
  return FColorLow + static_cast<double>(idx) / n * (FColorHigh - FColorLow);
}

// ---------------------------------------------------------------- setters
void TColorScale::SetScaleRangeLow(double v) {
  if (v == FScale->RangeLow()) return;
  FScale->SetRangeLow(v);
  Changed();
}

void TColorScale::SetScaleRangeHigh(double v) {
  if (v == FScale->RangeHigh()) return;
  FScale->SetRangeHigh(v);
  Changed();
}

void TColorScale::SetColorLow(double v) {
  if (v == FColorLow || std::isnan(v)) return;
  FColorLow = v;
  if (FColorLow > FColorHigh) FColorHigh = FColorLow;
  Changed();
}

void TColorScale::SetColorHigh(double v) {
  if (v == FColorHigh || std::isnan(v)) return;
  FColorHigh = v;
  if (FColorHigh < FColorLow) FColorLow = FColorHigh;
  Changed();
}

void TColorScale::SetMinTicks(int v) {
  if (v == FScale->MinTicks()) return;
  FScale->SetMinTicks(v);
  Changed();
}

void TColorScale::SetDecPlaces(int v) {
  if (v == FScale->DecPlaces()) return;
  FScale->SetDecPlaces(v);
  Changed();
}

#define ZOL_CSCALE_SETTER(Type, Name, Field, Extra) \
  void TColorScale::Set##Name(Type v) {             \
    if (v == Field) return;                         \
    Field = v;                                      \
    Extra;                                          \
    Changed();                                      \
  }
ZOL_CSCALE_SETTER(bool, ExtendColors, FExtendColors, (void)0)
ZOL_CSCALE_SETTER(bool, FramedColorScale, FFramedColorScale, (void)0)
ZOL_CSCALE_SETTER(TColScaleOrientation, Orientation, FOrientation, SetScaleDims())
ZOL_CSCALE_SETTER(TColor, ColorSclBkgd, FColorSclBkgd, (void)0)
ZOL_CSCALE_SETTER(TColor, ColorOfScale, FColorOfScale, (void)0)
ZOL_CSCALE_SETTER(TColorScheme, ColorScheme, FColorScheme, (void)0)
ZOL_CSCALE_SETTER(TFrameStyle, FrameStyle, FFrameStyle, (void)0)
ZOL_CSCALE_SETTER(const std::string&, Caption, FCaption, (void)0)
ZOL_CSCALE_SETTER(TColor, CaptionColor, FCaptionColor, (void)0)
ZOL_CSCALE_SETTER(int, CaptionPosX, FCaptionPosX, (void)0)
ZOL_CSCALE_SETTER(int, CaptionPosY, FCaptionPosY, (void)0)
ZOL_CSCALE_SETTER(int, CaptionSize, FCaptionSize, (void)0)
ZOL_CSCALE_SETTER(TFontStyles, CaptionStyle, FCaptionStyle, (void)0)
#undef ZOL_CSCALE_SETTER

#define ZOL_CSCALE_MARGIN(Name, Field) \
  void TColorScale::Set##Name(int v) { \
    if (v < 0) v = 0;                  \
    if (v == Field) return;            \
    Field = v;                         \
    SetScaleDims();                    \
    Changed();                         \
  }
ZOL_CSCALE_MARGIN(MarginTop, FMarginTop)
ZOL_CSCALE_MARGIN(MarginBottom, FMarginBottom)
ZOL_CSCALE_MARGIN(MarginLeft, FMarginLeft)
ZOL_CSCALE_MARGIN(MarginRight, FMarginRight)
#undef ZOL_CSCALE_MARGIN

void TColorScale::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!FScale) return;
  SetScaleDims();
  Changed();
}

void TColorScale::FontChanged() {
  TCustomControl::FontChanged();
  Changed();
}

void TColorScale::SetScaleDims() {
  if (!FScale) return;
  FScale->SetBounds(0, 0, Width(), Height());
  if (FOrientation == csoHorizontal) {
    // Base line along the lower edge of the bar, ticks and labels below it.
    FScale->SetScaleType(sctXT);
    FScale->SetMarginLeft(FMarginLeft);
    FScale->SetMarginRight(FMarginRight);
    FScale->SetMarginTop(std::max(0, Height() - FMarginBottom));
    FScale->SetMarginBottom(0);
  } else {
    // Base line along the right edge of the bar, ticks and labels to its right.
    FScale->SetScaleType(sctYL);
    FScale->SetMarginLeft(std::max(0, Width() - FMarginRight));
    FScale->SetMarginRight(0);
    FScale->SetMarginTop(FMarginTop);
    FScale->SetMarginBottom(FMarginBottom);
  }
}

TRect TColorScale::BarRect() const {
  return Rect(FMarginLeft, FMarginTop, std::max(FMarginLeft, Width() - FMarginRight),
              std::max(FMarginTop, Height() - FMarginBottom));
}

// ---------------------------------------------------------------- painting
void TColorScale::Paint() {
  Canvas().Draw(0, 0, *ExportBitmap());
  if (OnPaint) {
    TNotifyEvent h = OnPaint;
    h(this);
  }
}

void TColorScale::RenderTo(TCanvas& Cv, int X, int Y) {
  const int W = Width(), H = Height();
  const TRect b = BarRect();
  const bool horiz = FOrientation == csoHorizontal;
  Cv.Pen().SetWidth(1);
  Cv.Pen().SetStyle(psSolid);
  Cv.Pen().SetMode(pmCopy);
  Cv.Brush().SetStyle(bsSolid);
  Cv.Brush().SetColor(FColorSclBkgd);
  Cv.FillRect(Rect(X, Y, X + W, Y + H));
  const int n = FColorArray->Size();
  if (b.Right > b.Left && b.Bottom > b.Top && n > 0) {
    // Pixel lines along the scale from the first to the last bar line.
    const int first = horiz ? b.Left : b.Top, last = horiz ? b.Right - 1 : b.Bottom - 1;
    auto line = [&](int p, TColor c) {
      Cv.Pen().SetColor(c);
      if (horiz) {
        Cv.MoveTo(X + p, Y + b.Top);
        Cv.LineTo(X + p, Y + b.Bottom);
      } else {
        Cv.MoveTo(X + b.Left, Y + p);
        Cv.LineTo(X + b.Right, Y + p);
      }
    };
    const int pLow = std::clamp(FScale->R2M(FColorLow), first, last);
    const int pHigh = std::clamp(FScale->R2M(FColorHigh), first, last);
    const int lo = std::min(pLow, pHigh), hi = std::max(pLow, pHigh);
    for (int p = lo; p <= hi; ++p) {
      int idx;
      if (pHigh == pLow) {
        idx = n / 2;
      } else {
        idx = static_cast<int>(std::lround(static_cast<double>(p - pLow) / (pHigh - pLow) * n));
      }
      line(p, FColorArray->GetColorElem(std::clamp(idx, 1, n)));
    }
    if (FExtendColors) {
      // Beyond ColorLow the first colour, beyond ColorHigh the last one.
      const TColor cLow = FColorArray->GetColorElem(1), cHigh = FColorArray->GetColorElem(n);
      const int dirLow = pLow <= pHigh ? -1 : 1;
      for (int p = pLow + dirLow; p >= first && p <= last; p += dirLow) line(p, cLow);
      for (int p = pHigh - dirLow; p >= first && p <= last; p -= dirLow) line(p, cHigh);
    }
  }
  if (FFramedColorScale) {
    Cv.Pen().SetColor(FColorOfScale);
    Cv.Brush().SetStyle(bsClear);
    Cv.Rectangle(X + b.Left - 1, Y + b.Top - 1, X + b.Right + 1, Y + b.Bottom + 1);
    Cv.Brush().SetStyle(bsSolid);
  }
  FScale->SetColorScale(FColorOfScale);
  FScale->SetFont(Font());
  FScale->UseForeignCanvas(&Cv, X, Y);
  FScale->ForcePaint();
  FScale->UseForeignCanvas(nullptr, 0, 0);
  DrawCaptionText(Cv, Font(), X + FCaptionPosX, Y + FCaptionPosY, FCaption, FCaptionSize, FCaptionStyle,
                  FCaptionColor);
  const TFrameColors fc = SchemeFrameColors(FColorScheme);
  DrawFrame(Cv, FFrameStyle, X, Y, X + W - 1, Y + H - 1, fc.Highlight, fc.Light, fc.Shadow, fc.Dark, fc.Dark);
}

std::unique_ptr<TBitmap> TColorScale::ExportBitmap() {
  return RenderBitmap(Width(), Height(), [this](TCanvas& c) { RenderTo(c, 0, 0); });
}

std::unique_ptr<TMetafile> TColorScale::ExportMetafile() {
  return RenderMetafile(Width(), Height(), [this](TCanvas& c) { RenderTo(c, 0, 0); });
}

void TColorScale::MouseMove(TShiftState Shift, int X, int Y) {
  const TRect b = BarRect();
  const bool in = X >= b.Left && X < b.Right && Y >= b.Top && Y < b.Bottom;
  if (OnMouseMoveInScale) {
    TMouseMoveInColorScaleEvent h = OnMouseMoveInScale;
    h(this, in, Shift, FScale->M2R(FOrientation == csoHorizontal ? X : Y));
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

}  // namespace zol
