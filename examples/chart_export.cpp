// chartlib: a damped oscillation on a chart, saved as PNG, SVG and PDF.
#include <cmath>
#include <cstdio>

#include "chart/Zol_rchart.h"

int main() {
  zol::TRChart c(nullptr);
  c.SetBounds(0, 0, 600, 400);
  c.SetCaption("damped oscillation");
  c.SetRange(1, 0.0, -1.0, 10.0, 1.0);  // layer 1: x from 0 to 10, y from -1 to 1
  c.SetDataColor(zol::clNavy);
  for (int i = 0; i <= 500; ++i) {
    double t = i / 50.0, y = std::exp(-0.3 * t) * std::cos(4 * t);
    if (i == 0) c.MoveTo(t, y);
    else c.DrawTo(t, y);
  }
  c.CopyToBMP("chart.png");
  c.CopyToSVG("chart.svg");
  c.CopyToPDF("chart.pdf");
  std::printf("chart with %d items written as chart.png, chart.svg, chart.pdf\n", c.NumItems());
}
