#include "gui/Zol_progbar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/Zol_zolcolors.h"

namespace zol {

TProgBar::TProgBar(TComponent* AOwner) : TGraphicControl(AOwner), FBackGroundImg(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 300, 28);
}

TProgBar::~TProgBar() = default;

void TProgBar::SetMin(double v) {
  if (std::isnan(v)) return;
  v = std::min(v, FMax);
  if (v == FMin) return;
  FMin = v;
  FValue = std::clamp(FValue, FMin, FMax);
  Invalidate();
}

void TProgBar::SetMax(double v) {
  if (std::isnan(v)) return;
  v = std::max(v, FMin);
  if (v == FMax) return;
  FMax = v;
  FValue = std::clamp(FValue, FMin, FMax);
  Invalidate();
}

void TProgBar::SetValue(double v) {
  if (std::isnan(v)) return;
  v = std::clamp(v, FMin, FMax);
  StoreAndRepaint(FValue, v);
}

void TProgBar::SetBackGroundImg(const TBitmap& b) {
  FBackGroundImg->Assign(b);
  Invalidate();
}

void TProgBar::SetGridDist(int v) { StoreAndRepaint(FGridDist, std::clamp(v, 0, 10000)); }
void TProgBar::SetMarginTop(int v) { StoreAndRepaint(FMarginTop, std::clamp(v, 0, 1000)); }
void TProgBar::SetMarginBottom(int v) { StoreAndRepaint(FMarginBottom, std::clamp(v, 0, 1000)); }
void TProgBar::SetMarginLeft(int v) { StoreAndRepaint(FMarginLeft, std::clamp(v, 0, 1000)); }
void TProgBar::SetMarginRight(int v) { StoreAndRepaint(FMarginRight, std::clamp(v, 0, 1000)); }
void TProgBar::SetTextAngle(int v) { StoreAndRepaint(FTextAngle, ((v % 360) + 360) % 360); }
void TProgBar::SetTextDecPlaces(int v) { StoreAndRepaint(FTextDecPlaces, std::clamp(v, 0, 15)); }

std::string TProgBar::ValueText() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", FTextDecPlaces, FValue);
  return buf;
}

TRect TProgBar::BarRect() const {
  const int fo = FrameWidth(FFrameStyleOuter), fi = FrameWidth(FFrameStyleInner);
  TRect r(fo + FMarginLeft + fi, fo + FMarginTop + fi, Width() - fo - FMarginRight - fi,
          Height() - fo - FMarginBottom - fi);
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

int TProgBar::FilledLength() const {
  const TRect r = BarRect();
  const int len = Horizontal() ? r.Width() : r.Height();
  // An empty range has nothing to show: the bar stays empty instead of
  // dividing by zero.
  if (!(FMax > FMin)) return 0;
  // Halves keep the differences finite for every pair of finite numbers; an
  // infinite range end leaves no finite fraction and the bar empty.
  const double f = (FValue / 2 - FMin / 2) / (FMax / 2 - FMin / 2);
  if (!std::isfinite(f)) return 0;
  return static_cast<int>(std::lround(len * std::clamp(f, 0.0, 1.0)));
}

TRect TProgBar::FilledRect() const {
  const TRect r = BarRect();
  const int f = FilledLength();
  switch (FDirection) {
    case dirRightward: return Rect(r.Left, r.Top, r.Left + f, r.Bottom);
    case dirLeftward: return Rect(r.Right - f, r.Top, r.Right, r.Bottom);
    case dirDownward: return Rect(r.Left, r.Top, r.Right, r.Top + f);
    case dirUpward: return Rect(r.Left, r.Bottom - f, r.Right, r.Bottom);
  }
  return r;
}

void TProgBar::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  const int fo = FrameWidth(FFrameStyleOuter), fi = FrameWidth(FFrameStyleInner);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorMargin);
  c.FillRect(Rect(fo, fo, w - fo, h - fo));
  const TRect bar = BarRect();
  if (!FBackGroundImg->Empty()) {
    c.SetStretchBltMode(COLORONCOLOR);
    c.StretchDraw(bar, *FBackGroundImg);
  } else {
    c.Brush().SetColor(FColorBackGnd);
    c.FillRect(bar);
  }
  const TRect fr = FilledRect();
  const int len = Horizontal() ? bar.Width() : bar.Height();
  const int filled = FilledLength();
  if (filled > 0) {
    if (!FShowColorGradient) {
      c.Brush().SetColor(FColorMax);
      c.FillRect(fr);
    } else {
      const TColor cmin = ColorToRGB(FColorMin), cmax = ColorToRGB(FColorMax);
      // p counts pixels from the bar's start (the side it grows from).
      for (int p = 0; p < filled; ++p) {
        double f = 0;
        switch (FColorMapMode) {
          case cgmCover: f = len > 1 ? static_cast<double>(p) / (len - 1) : 1.0; break;
          case cgmStretch: f = filled > 1 ? static_cast<double>(p) / (filled - 1) : 1.0; break;
          case cgmMove: f = len > 1 ? static_cast<double>(p + len - filled) / (len - 1) : 1.0; break;
        }
        c.Brush().SetColor(InterpolateColor(cmin, cmax, f));
        switch (FDirection) {
          case dirRightward: c.FillRect(Rect(bar.Left + p, bar.Top, bar.Left + p + 1, bar.Bottom)); break;
          case dirLeftward: c.FillRect(Rect(bar.Right - p - 1, bar.Top, bar.Right - p, bar.Bottom)); break;
          case dirDownward: c.FillRect(Rect(bar.Left, bar.Top + p, bar.Right, bar.Top + p + 1)); break;
          case dirUpward: c.FillRect(Rect(bar.Left, bar.Bottom - p - 1, bar.Right, bar.Bottom - p)); break;
        }
      }
    }
  }
  if (FGridDist > 1) {
    c.Brush().SetColor(FColorGrid);
    for (int p = FGridDist; p < len; p += FGridDist) {
      switch (FDirection) {
        case dirRightward: c.FillRect(Rect(bar.Left + p, bar.Top, bar.Left + p + 1, bar.Bottom)); break;
        case dirLeftward: c.FillRect(Rect(bar.Right - p - 1, bar.Top, bar.Right - p, bar.Bottom)); break;
        case dirDownward: c.FillRect(Rect(bar.Left, bar.Top + p, bar.Right, bar.Top + p + 1)); break;
        case dirUpward: c.FillRect(Rect(bar.Left, bar.Bottom - p - 1, bar.Right, bar.Bottom - p)); break;
      }
    }
  }
  DrawSchemeFrame(c, FFrameStyleInner, FColorScheme, bar.Left - fi, bar.Top - fi, bar.Right + fi - 1,
                  bar.Bottom + fi - 1);
  DrawSchemeFrame(c, FFrameStyleOuter, FColorScheme, 0, 0, w - 1, h - 1);
  if (FTextVisible) {
    std::string text = ValueText();
    if (auto handler = OnShowValue) handler(this, text);
    if (!text.empty()) {
      c.Font().Assign(Font());
      c.Font().SetOrientation(FTextAngle * 10);
      c.Brush().SetStyle(bsClear);
      const TSize sz = c.TextExtent(text);
      const double a = FTextAngle * 3.14159265358979323846 / 180.0;
      // The reference point is the top of the text cell: half the cell height
      // back across the (turned) baseline from the given middle.
      const int x = FTextPosX - static_cast<int>(std::lround(sz.cy / 2.0 * std::sin(a)));
      const int y = FTextPosY - static_cast<int>(std::lround(sz.cy / 2.0 * std::cos(a)));
      unsigned align = TA_TOP;
      align |= FTextAlignment == taCenter ? TA_CENTER : FTextAlignment == taRightJustify ? TA_RIGHT : TA_LEFT;
      c.SetTextAlign(align);
      c.TextOut(x, y, text);
      c.SetTextAlign(TA_LEFT | TA_TOP);
      c.Brush().SetStyle(bsSolid);
    }
  }
  TGraphicControl::Paint();
}

}  // namespace zol
