// corelib: draw a line on a bitmap and save it as PNG.
#include <cstdio>

#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_graphics.h"

int main() {
  zol::TBitmap bmp(200, 100);
  bmp.Canvas().Pen().SetColor(zol::clRed);
  bmp.Canvas().MoveTo(10, 10);
  bmp.Canvas().LineTo(190, 90);
  bmp.SaveToFile("line.png");
  std::printf("%d x %d, pixel (10, 10) %s\n", bmp.Width(), bmp.Height(),
              bmp.Canvas().Pixels(10, 10) == zol::clRed ? "red" : "not red");
}
