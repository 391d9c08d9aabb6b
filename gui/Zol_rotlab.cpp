#include "gui/Zol_rotlab.h"

#include <cmath>

namespace zol {

TRotLab::TRotLab(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 100, 100);
  SetColor(clWhite);
}

void TRotLab::SetTextAngle(int v) { StoreAndRepaint(FTextAngle, ((v % 360) + 360) % 360); }

TPoint TRotLab::TextOrigin() {
  TCanvas& c = Canvas();
  c.Font().Assign(Font());
  c.Font().SetOrientation(0);
  const TSize s = c.TextExtent(FCaption);
  const double a = FTextAngle * 3.14159265358979323846 / 180.0;
  const double ax = FAutoCenter ? Width() / 2.0 : FPosX, ay = FAutoCenter ? Height() / 2.0 : FPosY;
  // Along the baseline (cos a, -sin a), across it (sin a, cos a) on the screen.
  const double along = FAlignment == taLeftJustify ? 0.0 : FAlignment == taRightJustify ? s.cx : s.cx / 2.0;
  const double across = s.cy / 2.0;
  const double x = ax - along * std::cos(a) - across * std::sin(a);
  const double y = ay + along * std::sin(a) - across * std::cos(a);
  return TPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
}

void TRotLab::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  if (!FTransparent) {
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(Rect(0, 0, w, h));
  }
  const TPoint o = TextOrigin();
  c.Font().SetOrientation(FTextAngle * 10);
  c.SetTextAlign(TA_LEFT | TA_TOP);
  if (FAntiAlias) {
    c.Brush().SetStyle(bsClear);
    c.TextOut(o.X, o.Y, FCaption);
  } else if (w > 0 && h > 0) {
    // Coverage first (black on white), then the font colour where it reaches one half.
    TBitmap mask(w, h);
    TCanvas& m = mask.Canvas();
    m.Font().Assign(c.Font());
    m.Font().SetColor(clBlack);
    m.Brush().SetStyle(bsClear);
    m.TextOut(o.X, o.Y, FCaption);
    const TColor fc = ColorToRGB(Font().Color());
    for (int y = 0; y < h; ++y) {
      const uint32_t* row = mask.ScanLine(y);
      for (int x = 0; x < w; ++x)
        if ((row[x] & 0xFF) < 128) c.SetPixel(x, y, fc);
    }
  }
  c.Font().SetOrientation(0);
  c.Brush().SetStyle(bsSolid);
  DrawSchemeFrame(c, FFrameStyle, FColorScheme, 0, 0, w - 1, h - 1);
  TGraphicControl::Paint();
}

}  // namespace zol
