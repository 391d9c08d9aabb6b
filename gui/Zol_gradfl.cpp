#include "gui/Zol_gradfl.h"

#include <algorithm>
#include <cstdint>

namespace zol {

int MulDiv(int Number, int Numerator, int Denominator) {
  if (Denominator == 0) return -1;
  int64_t p = static_cast<int64_t>(Number) * Numerator;
  int64_t d = Denominator;
  if (d < 0) {
    p = -p;
    d = -d;
  }
  const int64_t q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
  if (q < INT32_MIN || q > INT32_MAX) return -1;
  return static_cast<int>(q);
}

TGradFill::TGradFill(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 200, 100); }

void TGradFill::SetNrColors(int v) { StoreAndRepaint(FNrColors, std::clamp(v, 1, 1024)); }

TColor TGradFill::BandColor(int i) const {
  TColor first = ColorToRGB(FColorFirst), last = ColorToRGB(FColorLast);
  if (FColorFlipped) std::swap(first, last);
  const int n = FNrColors;
  if (n < 2) return first;
  if ((FFillType == gtMidBandHoriz || FFillType == gtMidBandVert) && i > (n - 1) / 2) i = n - i - 1;
  auto ch = [&](int a, int b) { return a + MulDiv(i, b - a, n); };
  return RGB(ch(GetRValue(first), GetRValue(last)), ch(GetGValue(first), GetGValue(last)),
             ch(GetBValue(first), GetBValue(last)));
}

void TGradFill::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  const bool horiz = FFillType == gtHoriz || FFillType == gtMidBandHoriz;
  const int extent = horiz ? h : w;
  const int n = FNrColors < 2 ? 1 : FNrColors;
  c.Brush().SetStyle(bsSolid);
  for (int i = 0; i < n; ++i) {
    const int a = MulDiv(i, extent, n), b = MulDiv(i + 1, extent, n);
    c.Brush().SetColor(BandColor(i));
    c.FillRect(horiz ? Rect(0, a, w, b) : Rect(a, 0, b, h));
  }
  // Grid lines lie on the band borders, in both directions at the band pitch.
  if (FGridMode != gmNone && n > 1) {
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);
    c.Pen().SetMode(pmCopy);
    c.Pen().SetColor(FGridColor);
    for (int i = 1; i < n; ++i) {
      if (FGridMode == gmHoriz || FGridMode == gmBoth) {
        const int y = MulDiv(i, h, n);
        c.MoveTo(0, y);
        c.LineTo(w, y);
      }
      if (FGridMode == gmVert || FGridMode == gmBoth) {
        const int x = MulDiv(i, w, n);
        c.MoveTo(x, 0);
        c.LineTo(x, h);
      }
    }
  }
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  DrawFrame(c, FFrameStyle, 0, 0, w - 1, h - 1, clWhite, clSilver, clGray, clGray, clGray);
  TGraphicControl::Paint();
}

}  // namespace zol
