// Gallery page: colour ramps, colour-array interpolation, spectral colours.
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/Zol_zolcolors.h"

using namespace zol;

namespace {

void Label(TCanvas& c, int x, int y, const std::string& s) {
  c.Brush().SetStyle(bsClear);
  c.Font().SetColor(clBlack);
  c.TextOut(x, y, s);
}

// A colour array drawn as a horizontal bar, one column per entry.
void DrawBar(TCanvas& c, const TColorArray& a, int x, int y, int w, int h) {
  for (int i = 0; i < w; ++i) {
    int idx = 1 + static_cast<int>(static_cast<double>(i) * a.Size() / w);
    c.Pen().SetColor(a.GetColorElem(idx));
    c.MoveTo(x + i, y);
    c.LineTo(x + i, y + h);
  }
  c.Pen().SetColor(clBlack);
  c.Brush().SetStyle(bsClear);
  c.Rectangle(x - 1, y - 1, x + w + 1, y + h + 1);
}

}  // namespace

ZOL_GALLERY_PAGE("colors", "Colours and colour arrays", 30) {
  TBitmap bmp(760, 560);
  TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
  c.Font().SetName("Arial");
  c.Font().SetSize(10);
  TColorArray a(nullptr);
  struct Ramp {
    const char* name;
    const TColor* colors;
    int high;
  };
  const Ramp ramps[] = {
      {"ColorArray_Rainbow", ColorArray_Rainbow.data(), static_cast<int>(ColorArray_Rainbow.size()) - 1},
      {"ColorArray_Geo1", ColorArray_Geo1.data(), static_cast<int>(ColorArray_Geo1.size()) - 1},
      {"ColorArray_Geo2", ColorArray_Geo2.data(), static_cast<int>(ColorArray_Geo2.size()) - 1},
      {"ColorArray_Circle", ColorArray_Circle.data(), static_cast<int>(ColorArray_Circle.size()) - 1},
      {"ColorArray_Contrast", ColorArray_Contrast.data(), static_cast<int>(ColorArray_Contrast.size()) - 1},
  };
  int y = 10;
  for (const Ramp& r : ramps) {
    Label(c, 10, y, r.name);
    a.FillByInterpolation(0, r.colors, r.high);
    DrawBar(c, a, 200, y, 540, 22);
    y += 34;
  }
  Label(c, 10, y, "Rainbow in 8 steps");
  a.FillByInterpolation(8, ColorArray_Rainbow);
  DrawBar(c, a, 200, y, 540, 22);
  y += 34;
  Label(c, 10, y, "Interpolate3Colors");
  for (int i = 0; i < 540; ++i) {
    c.Pen().SetColor(Interpolate3Colors(clNavy, clWhite, clMaroon, i / 539.0));
    c.MoveTo(200 + i, y);
    c.LineTo(200 + i, y + 22);
  }
  y += 34;
  Label(c, 10, y, "Spectrum 380..780 nm (gamma 0.8)");
  for (int i = 0; i < 540; ++i) {
    c.Pen().SetColor(WavelengthToColor(380 + 400.0 * i / 539, 0.8));
    c.MoveTo(200 + i, y);
    c.LineTo(200 + i, y + 22);
  }
  y += 34;
  Label(c, 10, y, "HSI hue circle (S 1, I 1)");
  for (int i = 0; i < 540; ++i) {
    int r, g, b;
    HSItoRGB(359.999 * i / 539, 1, 1, r, g, b);
    c.Pen().SetColor(RGB(r, g, b));
    c.MoveTo(200 + i, y);
    c.LineTo(200 + i, y + 22);
  }
  y += 40;
  Label(c, 10, y, "The predefined colours (system colours resolved through the platform palette)");
  y += 22;
  for (size_t i = 0; i < PredefinedColors.size(); ++i) {
    int x = 10 + static_cast<int>(i % 16) * 46, yy = y + static_cast<int>(i / 16) * 40;
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(ColorToRGB(PredefinedColors[i]));
    c.Pen().SetColor(clBlack);
    c.Rectangle(x, yy, x + 40, yy + 34);
  }
  page.AddImage("ramps", bmp, "Predefined ramps, quantised rainbow, three-colour interpolation, spectral colours, hue circle, predefined colours");
}
