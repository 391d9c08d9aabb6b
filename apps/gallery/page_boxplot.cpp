// Gallery page: box plots of a data table — five columns of different
// distributions in both orientations, with percentile marks, a dotted grid,
// a column coloured by OnBeforeBoxDraw, and one plot as PNG, SVG and PDF.
#include <cmath>
#include <memory>
#include <string>

#include "apps/gallery/Gallery.h"
#include "chart/Zol_boxplot.h"

using namespace zol;

namespace {

// Five columns of 80 rows: normal, uniform, skewed (exponential), two groups,
// and a short column with only 12 numeric cells (the rest empty).
void FillTable(TDataTable& t) {
  t.Resize(5, 80);
  t.SetAllCellStates(0);
  uint32_t seed = 12345;
  auto uni = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / 16777216.0;
  };
  auto gauss = [&] {
    const double u1 = std::max(uni(), 1e-12), u2 = uni();
    return std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  };
  for (int r = 1; r <= 80; ++r) {
    t.SetElem(1, r, 50 + 10 * gauss());
    t.SetElem(2, r, 20 + 60 * uni());
    t.SetElem(3, r, 25 - 12 * std::log(std::max(uni(), 1e-9)));
    t.SetElem(4, r, (r % 2 ? 35 : 70) + 5 * gauss());
    if (r <= 12) t.SetElem(5, r, 60 + 4 * gauss());
    else t.SetIsEmpty(5, r, true);
  }
  t.SetColName(1, "normal");
  t.SetColName(2, "uniform");
  t.SetColName(3, "skewed");
  t.SetColName(4, "two groups");
  t.SetColName(5, "n = 12");
}

std::unique_ptr<TBoxPlot> NewPlot(int w, int h, TBoxPlotOrientation o) {
  auto p = std::make_unique<TBoxPlot>(nullptr);
  p->SetSuppressPaint(true);
  p->SetBounds(0, 0, w, h);
  p->SetWindColor(RGB(236, 236, 236));
  FillTable(p->DataTable());
  p->SetOrientation(o);
  p->SetShow90Perc(true);
  p->SetGridStyle(bpgsDotLines);
  p->SetGridColor(RGB(170, 170, 170));
  p->Labels().SetShadowDx(2);
  p->Labels().SetShadowDy(2);
  p->Labels().SetColorBkg(RGB(255, 255, 230));
  if (o == bpltVertical) {
    p->SetCaption("five columns, vertical");
    p->Scale1Y().SetCaption("value");
    p->Labels().SetPosition(12);
  } else {
    p->SetMarginLeft(20);
    p->SetCaption("five columns, horizontal");
    p->Scale1X().SetCaption("value");
    p->Labels().SetPosition(-40);
  }
  p->SetSuppressPaint(false);
  p->AutoRange(8);
  if (o == bpltVertical) {
    // Room under the boxes for the labels.
    p->SetRange(0, p->Scale1Y().RangeLow() - 12, 6, p->Scale1Y().RangeHigh());
  } else {
    p->SetRange(p->Scale1X().RangeLow() - 25, 0, p->Scale1X().RangeHigh(), 6);
  }
  return p;
}

}  // namespace

ZOL_GALLERY_PAGE("boxplot", "Box plot", 46) {
  page.AddHeading("Box plots of a data table");
  page.AddText("One box per column: whiskers from the minimum to the first quartile and from the third "
               "quartile to the maximum (filled circles at the extremes), the box from Q1 to Q3, the median "
               "as a line across the box, the mean as a blue diagonal cross and the 10th and 90th "
               "percentiles as short blue lines. Quartiles and percentiles use the (n + 1)·p position. "
               "The fifth column has only 12 numeric cells; the others 80.");
  {
    auto p = NewPlot(520, 380, bpltVertical);
    TBitmap b;
    p->CopyToBitmap(b);
    page.AddImage("vertical", b, "bpltVertical: columns along x, values along y");
  }
  {
    auto p = NewPlot(520, 340, bpltHorizontal);
    TBitmap b;
    p->CopyToBitmap(b);
    page.AddImage("horizontal", b, "bpltHorizontal: the same plot with x and y exchanged");
  }
  page.AddHeading("Colours per column and degenerate columns");
  page.AddText("OnBeforeBoxDraw paints the skewed column orange; a column of one value gives a flat box, "
               "a column without numeric cells gives nothing and no label.");
  {
    auto p = NewPlot(520, 380, bpltVertical);
    p->SetSuppressPaint(true);
    p->OnBeforeBoxDraw = [](TObject*, int c, TColor& lines, TColor& body, TColor&, TColor&, TColor&, TColor&) {
      if (c == 3) {
        body = RGB(255, 200, 120);
        lines = RGB(160, 80, 0);
      }
    };
    TDataTable& t = p->DataTable();
    t.Resize(7, 80);
    t.SetColName(6, "one value");
    t.SetColName(7, "empty");
    for (int r = 1; r <= 80; ++r) {
      t.SetIsEmpty(6, r, r != 1);
      t.SetIsEmpty(7, r, true);
    }
    t.SetElem(6, 1, 45);
    p->SetCaption("OnBeforeBoxDraw, one value, empty column");
    p->SetSuppressPaint(false);
    p->SetRange(0, p->Scale1Y().RangeLow(), 8, p->Scale1Y().RangeHigh());
    TBitmap b;
    p->CopyToBitmap(b);
    page.AddImage("colours", b, "column 3 coloured by the event; columns 6 and 7 degenerate");
  }
  page.AddHeading("Export: PNG, SVG and PDF");
  {
    auto p = NewPlot(520, 380, bpltVertical);
    TBitmap b;
    p->CopyToBitmap(b);
    page.AddImage("export", b, "PNG through the bitmap");
    p->CopyToSVG(page.FilePath("export.svg"));
    page.AddLink("export.svg", "SVG through the metafile (text stays text)");
    p->CopyToPDF(page.FilePath("export.pdf"));
    page.AddLink("export.pdf", "PDF through the metafile's vector writer");
  }
}
