// Drawing of the chart: each item kind on a small chart against a mask worked
// out from the drawing rules of the raster canvas, grid and crosshairs, the
// polyline chunks, exact decimation, incremental updates, the paint path
// against the canvas render, and the SVG / PDF exports rendered by
// rsvg-convert and pdftoppm against the bitmap.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_printers.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_sysutils.h"
#include "chart/Zol_rchart.h"

using namespace zol;

namespace {

// A 60 x 50 chart with 5-pixel margins and hidden axes over 0..10 x 0..10:
// x -> 5 + 5x, y -> 45 - 4y; the plotting area is x 5..55, y 5..45 with a
// black outline, white inside.
class Draw : public ::testing::Test {
 protected:
  void SetUp() override {
    Application()->ResetHeadless();
    c = std::make_unique<TRChart>(nullptr);
    c->SetSuppressPaint(true);
    c->SetBounds(0, 0, 60, 50);
    c->SetMarginLeft(5);
    c->SetMarginRight(5);
    c->SetMarginTop(5);
    c->SetMarginBottom(5);
    c->Scale1X().SetVisible(false);
    c->Scale1Y().SetVisible(false);
    c->SetRange(1, 0, 0, 10, 10);
    c->SetRange(2, 0, 0, 10, 10);
    c->SetSuppressPaint(false);
  }
  TBitmap& Render() {
    c->CopyToBitmap(bmp);
    return bmp;
  }
  // Compares the inside of the plotting area with the mask: want(x, y)
  // answers the expected colour.
  void ExpectMask(const std::function<TColor(int, int)>& want) {
    Render();
    int bad = 0;
    for (int y = 6; y <= 44; ++y)
      for (int x = 6; x <= 54; ++x)
        if (bmp.GetPixel(x, y) != want(x, y) && bad++ < 8)
          ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << bmp.GetPixel(x, y) << " want "
                        << want(x, y);
    EXPECT_EQ(0, bad);
  }
  // Bounding box of the pixels inside the plotting area that are not white.
  TRect InkBox() {
    Render();
    TRect r(1000, 1000, -1, -1);
    for (int y = 6; y <= 44; ++y)
      for (int x = 6; x <= 54; ++x)
        if (bmp.GetPixel(x, y) != clWhite) {
          r.Left = std::min(r.Left, x);
          r.Top = std::min(r.Top, y);
          r.Right = std::max(r.Right, x);
          r.Bottom = std::max(r.Bottom, y);
        }
    return r;
  }
  std::unique_ptr<TRChart> c;
  TBitmap bmp;
};

bool HaveTool(const std::string& name) {
  const std::string cmd = "command -v " + name + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace

TEST_F(Draw, EmptyChartFrameAndBackground) {
  Render();
  EXPECT_EQ(clBlack, bmp.GetPixel(5, 5));
  EXPECT_EQ(clBlack, bmp.GetPixel(55, 45));
  EXPECT_EQ(clBlack, bmp.GetPixel(30, 45));
  EXPECT_EQ(clWhite, bmp.GetPixel(6, 6));
  EXPECT_EQ(ColorToRGB(clBtnFace), bmp.GetPixel(4, 4));
  EXPECT_EQ(ColorToRGB(clBtnFace), bmp.GetPixel(59, 49));  // no shadow with ShadowWidth 0
  EXPECT_EQ(ColorToRGB(clBtnFace), bmp.GetPixel(0, 0));    // and no outline
}

TEST_F(Draw, ShadowStrips) {
  c->SetShadowWidth(4);
  Render();
  EXPECT_EQ(clBlack, bmp.GetPixel(0, 0));  // outline
  EXPECT_EQ(ColorToRGB(clGrayText), bmp.GetPixel(58, 48));
  EXPECT_EQ(ColorToRGB(clBtnFace), bmp.GetPixel(58, 1));  // the flying shadow starts lower
}

TEST_F(Draw, LineAndPolylineMasks) {
  c->SetDataColor(clRed);
  c->Line(2, 5, 8, 5);  // (15,25) -> (45,25), end point not painted
  c->SetDataColor(clBlue);
  c->MoveTo(1, 1);
  c->DrawTo(1, 9);  // (10,41) -> (10,9)
  c->DrawTo(9, 9);  // -> (50,9)
  ExpectMask([](int x, int y) -> TColor {
    if (y == 25 && x >= 15 && x <= 44) return clRed;
    if (x == 10 && y >= 10 && y <= 41) return clBlue;
    if (y == 9 && x >= 10 && x <= 49) return clBlue;
    return clWhite;
  });
}

TEST_F(Draw, RelativePixelMoves) {
  c->SetDataColor(clGreen);
  c->MoveTo(2, 2);          // (15,37)
  c->MoveToRelPix(0, -2);   // (15,35)
  c->DrawToRelPix(10, 0);   // to (25,35), end pixel set
  c->DrawToRelPix(0, -5);   // to (25,30)
  ExpectMask([](int x, int y) -> TColor {
    if (y == 35 && x >= 15 && x <= 25) return clGreen;
    if (x == 25 && y >= 30 && y <= 35) return clGreen;
    return clWhite;
  });
}

// Pixel offsets read from a chart data file may be any double: they are
// clamped like mapped points, so huge, infinite and undefined offsets do not
// overflow.
TEST_F(Draw, HugePixelOffsetsFromFilesAreClamped) {
  c->SetDataColor(clGreen);
  c->MoveTo(2, 2);         // (15,37)
  c->DrawToRelPix(1, 0);   // item 1
  c->Text(5, 5, 8, "a", 3, 3, taLeftJustify);
  c->RectangleRelPix(5, 5, 2, 2);
  const double bad[] = {1e300, -9.3e18, INFINITY, NAN};
  for (double v : bad) {
    for (int i = 1; i < c->NumItems(); ++i) {
      TrcChartItem it = c->GetChartItem(i);
      if (it.ItemKind == tkLineRelPix) it.x1 = v;
      else it.x2 = v;
      c->SetChartitem(i, it);
    }
    Render();
  }
  // an ordinary offset still draws as before
  TrcChartItem it = c->GetChartItem(1);
  it.x1 = 10;
  it.y1 = 0;
  c->SetChartitem(1, it);
  Render();
  EXPECT_EQ(clGreen, bmp.GetPixel(25, 37));
}

TEST_F(Draw, RectanglesIncludeBothCorners) {
  c->SetDataColor(clBlue);
  c->SetFillColor(clYellow);
  c->Rectangle(2, 2, 4, 5);  // x 15..25, y 25..37
  c->SetTransparentItems(true);
  c->RectangleRelPix(6, 2, 6, -4);  // x 35..41, y 33..37
  c->Rectangle(9, 9, 9, 9);         // one pixel (50,9)
  ExpectMask([](int x, int y) -> TColor {
    if (x >= 15 && x <= 25 && y >= 25 && y <= 37)
      return (x == 15 || x == 25 || y == 25 || y == 37) ? clBlue : clYellow;
    if (x >= 35 && x <= 41 && y >= 33 && y <= 37) return (x == 35 || x == 41 || y == 33 || y == 37) ? clBlue : clWhite;
    if (x == 50 && y == 9) return clBlue;
    return clWhite;
  });
}

TEST_F(Draw, RectFrameLoweredAndRaised) {
  c->SetFillColor(clYellow);
  c->RectFrame(2, 2, 6, 6, fsLowered, clNavy, clAqua);  // x 15..35, y 21..37
  ExpectMask([](int x, int y) -> TColor {
    if (x < 15 || x > 35 || y < 21 || y > 37) return clWhite;
    if (y == 37 || x == 35) return clAqua;  // bottom and right edges drawn last
    if (y == 21 || x == 15) return clNavy;
    return clYellow;
  });
  c->ClearGraf();
  c->RectFrame(2, 2, 6, 6, fsRaised, clNavy, clAqua);
  ExpectMask([](int x, int y) -> TColor {
    if (x < 15 || x > 35 || y < 21 || y > 37) return clWhite;
    if (y == 37 || x == 35) return clNavy;
    if (y == 21 || x == 15) return clAqua;
    return clYellow;
  });
}

TEST_F(Draw, EllipseFillsItsBoxExactly) {
  c->SetDataColor(clRed);
  c->SetFillColor(clLime);
  c->Ellipse(5, 5, 2, 2.5);  // box x 20..40, y 15..35
  EXPECT_EQ(TRect(20, 15, 40, 35), InkBox());
  for (int y = 15; y <= 35; ++y)
    for (int x = 20; x <= 40; ++x) {
      ASSERT_EQ(bmp.GetPixel(x, y), bmp.GetPixel(60 - x, y)) << x << "," << y;
      ASSERT_EQ(bmp.GetPixel(x, y), bmp.GetPixel(x, 50 - y)) << x << "," << y;
    }
  EXPECT_EQ(clLime, bmp.GetPixel(30, 25));
  EXPECT_EQ(clRed, bmp.GetPixel(20, 25));
  EXPECT_EQ(clWhite, bmp.GetPixel(20, 15));
}

TEST_F(Draw, BarsReachTheirDepth) {
  c->SetDataColor(clBlack);
  c->SetFillColor(clRed);
  c->Bar3D(2, 2, 4, 5, 4, 90);  // front x 15..25, y 25..37; top face 4 pixels up
  EXPECT_EQ(TRect(15, 21, 25, 37), InkBox());
  EXPECT_EQ(clRed, bmp.GetPixel(20, 30));
  c->ClearGraf();
  c->Bar3D(2, 2, 4, 5, 4, 0);  // side face 4 pixels to the right
  EXPECT_EQ(TRect(15, 25, 29, 37), InkBox());
  c->ClearGraf();
  c->Bar3D(2, 2, 4, 5, 4, 180);  // to the left
  EXPECT_EQ(TRect(11, 25, 25, 37), InkBox());
}

TEST_F(Draw, ArrowHeads) {
  c->SetDataColor(clBlue);
  c->SetFillColor(clBlue);
  c->Arrow(2, 5, 8, 5, 6);  // tip (45,25); head corners at 20 degrees: (39,23) and (39,27)
  EXPECT_EQ(TRect(15, 23, 45, 27), InkBox());
  EXPECT_EQ(clBlue, bmp.GetPixel(45, 25));
  EXPECT_EQ(clBlue, bmp.GetPixel(41, 25));
  c->ClearGraf();
  c->SetTransparentItems(true);
  c->Arrow(2, 5, 8, 5, 6);
  Render();
  EXPECT_EQ(clBlue, bmp.GetPixel(45, 25));
  EXPECT_EQ(clWhite, bmp.GetPixel(40, 24));  // strokes only: the triangle stays empty
  EXPECT_EQ(clBlue, bmp.GetPixel(43, 24));
  EXPECT_EQ(clBlue, bmp.GetPixel(43, 26));
}

TEST_F(Draw, MarkIsTheSharedMarkAtTheMappedPoint) {
  c->SetDataColor(clRed);
  c->MarkAt(4, 5, 3);  // (25,25)
  Render();
  TBitmap ref(60, 50);
  ref.Canvas().Brush().SetColor(clWhite);
  ref.Canvas().FillRect(Rect(0, 0, 60, 50));
  ref.Canvas().Pen().SetColor(clRed);
  DrawMarkOnCanvas(ref.Canvas(), 3, 25, 25);
  for (int y = 15; y <= 35; ++y)
    for (int x = 15; x <= 35; ++x) ASSERT_EQ(ref.GetPixel(x, y), bmp.GetPixel(x, y)) << x << "," << y;
}

TEST_F(Draw, TextIsCentredOnItsPoint) {
  c->SetDataColor(clRed);
  c->Text(5, 5, 8, "Wy");  // centred at (30,25)
  c->Text(5, 2, 8, "Wy", 3, -2, taLeftJustify);  // starts at x = 33, centred on y = 37 - 2
  c->Text(5, 9, 8, "Wy", 0, 0, taRightJustify);  // ends at x = 30, centred on y = 9
  c->SetTextBkStyle(tbSolid);  // for every text of the chart
  c->SetTextBkColor(clYellow);
  Render();
  // The same texts drawn directly with the canvas at the positions the rules give.
  TBitmap ref(60, 50);
  TCanvas& r = ref.Canvas();
  r.Brush().SetColor(clWhite);
  r.FillRect(Rect(0, 0, 60, 50));
  r.Font().Assign(c->Font());
  r.Font().SetSize(8);
  r.Font().SetColor(clRed);
  const TSize ext = r.TextExtent("Wy");
  r.Brush().SetColor(clYellow);
  r.TextOut(30 - ext.cx / 2, 25 - ext.cy / 2, "Wy");
  r.TextOut(33, 35 - ext.cy / 2, "Wy");
  r.TextOut(30 - ext.cx, 9 - ext.cy / 2, "Wy");
  int diff = 0;
  for (int y = 6; y <= 44; ++y)
    for (int x = 6; x <= 54; ++x) diff += ref.GetPixel(x, y) != bmp.GetPixel(x, y);
  EXPECT_EQ(0, diff);
}

TEST_F(Draw, HiddenLayersAndClassesAreNotDrawn) {
  c->SetDataColor(clRed);
  c->Line(2, 5, 8, 5);
  c->SetActiveLayer(2);
  c->SetClassDefault(7);
  c->Line(2, 7, 8, 7);
  c->SetLayerVisib(2, false);
  EXPECT_EQ(TRect(15, 25, 44, 25), InkBox());
  c->SetLayerVisib(2, true);
  c->SetClassVisib(7, false);
  EXPECT_EQ(TRect(15, 25, 44, 25), InkBox());
  c->SetClassVisib(7, true);
  EXPECT_EQ(TRect(15, 17, 44, 25), InkBox());
}

TEST_F(Draw, GridLinesAtWorldDistances) {
  c->SetGridColor(clGreen);
  c->SetGridDx(2);
  c->SetGridDy(2.5);
  c->SetGridStyle(gsLines);
  ExpectMask([](int x, int y) -> TColor {
    if ((x - 5) % 10 == 0) return clGreen;  // x = 0, 2, ..., 10
    if ((y - 5) % 10 == 0) return clGreen;  // y = 0, 2.5, ..., 10
    return clWhite;
  });
  c->SetGridStyle(gsPoints);
  ExpectMask([](int x, int y) -> TColor {
    return ((x - 5) % 10 == 0 && (y - 5) % 10 == 0) ? clGreen : clWhite;
  });
  c->SetGridDx(-5);  // ignored
  EXPECT_EQ(2, c->GridDx());
}

TEST_F(Draw, CrosshairsOverThePlottingArea) {
  c->CrossHairSetup(1, clRed, chVert, psSolid, 1);
  c->CrossHairSetPos(1, 5, 5);
  c->CrossHairSetup(2, clBlue, chHoriz, psSolid, 1);
  c->CrossHairSetPos(2, 5, 2.5);
  ExpectMask([](int x, int y) -> TColor {
    if (y == 35 && x >= 6 && x <= 54) return clBlue;  // crosshair 2 is drawn last
    if (x == 30 && y >= 6 && y <= 44) return clRed;
    return clWhite;
  });
  c->CrossHairSetup(2, clBlue, chOff, psSolid, 1);
  c->CrossHairSetup(1, clRed, chBox, psSolid, 1);
  ExpectMask([](int x, int y) -> TColor {
    if (x >= 28 && x <= 32 && y >= 23 && y <= 27)
      return (x == 28 || x == 32 || y == 23 || y == 27) ? clRed : clWhite;
    if (y == 25 && x >= 20 && x <= 40) return clRed;
    if (x == 30 && y >= 15 && y <= 35) return clRed;
    return clWhite;
  });
}

// A polyline holds its start and at most 200 items; the next starts at its last point.
TEST_F(Draw, LongRunsOfDrawToAreChunkedIntoPolylines) {
  c->MoveTo(0, 0);
  for (int i = 1; i <= 250; ++i) c->DrawTo(i * 0.04, (i % 2) * 5.0);
  TMetafile mf;
  c->CopyToMetafile(mf);
  std::vector<size_t> sizes;
  for (int i = 0; i < mf.RecordCount(); ++i)
    if (mf.Records(i).Kind == mrPolyline) sizes.push_back(mf.Records(i).Pts.size());
  ASSERT_EQ(2u, sizes.size());
  EXPECT_EQ(201u, sizes[0]);
  EXPECT_EQ(51u, sizes[1]);
}

TEST_F(Draw, DecimationIsPixelIdenticalForThinSolidLines) {
  c->SetBounds(0, 0, 300, 200);
  std::mt19937 rng(7);
  std::normal_distribution<double> step(0, 0.4);
  double y = 5;
  c->SetDataColor(clNavy);
  c->MoveTo(0, 5);
  for (int i = 1; i <= 40000; ++i) {
    y += step(rng);
    if (i % 5000 == 0) y += 30;  // excursions beyond the plotting area
    if (i % 5000 == 10) y -= 30;
    c->DrawTo(i * 10.4 / 40000 - 0.2, y);
  }
  c->SetDataColor(clRed);  // a second run with another pen
  for (int i = 0; i < 3000; ++i) c->DrawTo(10 - i / 300.0, 5 + 3 * std::sin(i * 0.37));
  c->AutoRangeYOnly(1, 5);
  TBitmap full, reduced;
  c->CopyToBitmap(full);
  c->SetDecimateLines(true);
  c->CopyToBitmap(reduced);
  int diff = 0;
  for (int yy = 0; yy < full.Height(); ++yy)
    for (int xx = 0; xx < full.Width(); ++xx) diff += full.GetPixel(xx, yy) != reduced.GetPixel(xx, yy);
  EXPECT_EQ(0, diff);
  TMetafile mf;
  c->CopyToMetafile(mf);
  size_t pts = 0;
  for (int i = 0; i < mf.RecordCount(); ++i)
    if (mf.Records(i).Kind == mrPolyline) pts += mf.Records(i).Pts.size();
  EXPECT_LT(pts, 2u * 4 * 300 + 100);  // at most four points per column and run, plus chunk joints
}

TEST_F(Draw, PaintShowsWhatTheCanvasRenderShows) {
  c->SetBounds(0, 0, 220, 160);
  c->SetStdLayout(rcl_X1Bottom_Y1Left);
  c->Scale1X().SetVisible(true);
  c->Scale1Y().SetVisible(true);
  c->SetCaption("caption");
  c->SetGridStyle(gsDotLines);
  c->MarkAt(3, 3, 5);
  c->Line(0, 0, 10, 10);
  c->AddTextLabel(5, 8, clBlue, "label", 1);
  c->CrossHairSetup(1, clRed, chBoth, psDot, 1);
  c->CrossHairSetPos(1, 4, 4);
  auto shown = c->PaintToBitmap();
  TBitmap rendered;
  c->CopyToBitmap(rendered);
  int diff = 0;
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 220; ++x) diff += shown->GetPixel(x, y) != rendered.GetPixel(x, y);
  EXPECT_EQ(0, diff);
  EXPECT_GT(c->GetTickPosXCnt(), 2);
  EXPECT_EQ(0, c->GetTickPosX(1));
  EXPECT_EQ(0, c->GetTickPosX(0));
}

TEST_F(Draw, IncrementalUpdatesMatchTheFullPicture) {
  auto first = c->PaintToBitmap();
  c->ClearGraf();
  c->ShowGrafNewOnly();  // nothing new to draw
  c->SetDataColor(clRed);
  c->MoveTo(1, 1);
  c->DrawTo(5, 9);
  c->ShowGrafNewOnly();
  c->DrawTo(9, 1);
  c->MarkAt(5, 5, 2);
  c->ShowGrafNewOnly();
  TBitmap incremental;
  incremental.Assign(c->DataBitmap());
  c->ShowGraf();
  const TBitmap& full = c->DataBitmap();
  ASSERT_EQ(full.Width(), incremental.Width());
  int diff = 0;
  for (int y = 0; y < full.Height(); ++y)
    for (int x = 0; x < full.Width(); ++x) diff += full.GetPixel(x, y) != incremental.GetPixel(x, y);
  EXPECT_EQ(0, diff);
}

TEST_F(Draw, SvgAndPdfExportsLookLikeTheBitmap) {
  const bool svg = HaveTool("rsvg-convert"), pdf = HaveTool("pdftoppm");
  if (!svg && !pdf) GTEST_SKIP() << "rsvg-convert and pdftoppm are not installed";
  c->SetBounds(0, 0, 200, 150);
  c->SetStdLayout(rcl_X1Bottom_Y1Left);
  c->Scale1X().SetVisible(true);
  c->Scale1Y().SetVisible(true);
  c->SetDataColor(clBlue);
  c->SetFillColor(clYellow);
  c->Rectangle(1, 1, 4, 6);
  c->SetDataColor(clRed);
  c->MoveTo(0, 0);
  for (int i = 1; i <= 50; ++i) c->DrawTo(i * 0.2, 5 + 4 * std::sin(i * 0.3));
  c->Text(7, 8, 10, "text");
  TBitmap ref;
  c->CopyToBitmap(ref);
  const std::string dir = GetTempDirectory();
  auto compare = [&](const std::string& png) {
    TBitmap got;
    ASSERT_TRUE(got.LoadFromFile(png)) << png;
    ASSERT_EQ(200, got.Width());
    ASSERT_EQ(150, got.Height());
    int far = 0;
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 200; ++x) {
        const TColor a = ref.GetPixel(x, y), b = got.GetPixel(x, y);
        const int d = std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                      std::abs(GetBValue(a) - GetBValue(b));
        if (d > 200) ++far;
      }
    // Anti-aliased edges and text differ; the shapes must not.
    EXPECT_LT(far, 200 * 150 / 40) << png;
  };
  if (svg) {
    const std::string s = dir + "zol_rchart_export.svg", p = dir + "zol_rchart_export_svg.png";
    c->CopyToSVG(s);
    const std::string cmd = "rsvg-convert -w 200 -h 150 -b white -o '" + p + "' '" + s + "'";
    ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
    compare(p);
    DeleteFile(s);
    DeleteFile(p);
  }
  if (pdf) {
    const std::string s = dir + "zol_rchart_export.pdf", stem = dir + "zol_rchart_export_pdf";
    c->CopyToPDF(s);
    // 200 px at 96 per inch on a page of 150 points: 96 dpi gives the same size.
    const std::string cmd = "pdftoppm -png -r 96 -singlefile '" + s + "' '" + stem + "'";
    ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
    compare(stem + ".png");
    DeleteFile(s);
    DeleteFile(stem + ".png");
  }
}

TEST_F(Draw, ClipboardGetsBitmapAndMetafile) {
  c->SetDataColor(clRed);
  c->Line(2, 5, 8, 5);
  Clipboard().Clear();
  c->CopyToClipboard();
  EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
  EXPECT_TRUE(Clipboard().HasFormat(CF_METAFILEPICT));
  TBitmap got;
  ASSERT_TRUE(Clipboard().GetBitmap(got));
  Render();
  ASSERT_EQ(60, got.Width());
  for (int x = 15; x <= 44; ++x) EXPECT_EQ(clRed, got.GetPixel(x, 25));
  Clipboard().Clear();
  c->CopyToClipboardWMF();
  EXPECT_FALSE(Clipboard().HasFormat(CF_BITMAP));
  EXPECT_TRUE(Clipboard().HasFormat(CF_METAFILEPICT));
}

TEST_F(Draw, PrintingScalesTheChartOntoThePage) {
  TPrinter& p = Printer();
  const std::string out = GetTempDirectory() + "zol_rchart_print.pdf";
  p.SetOutputFile(out);
  p.SetPixelsPerInch(192);
  c->SetDataColor(clRed);
  c->Line(2, 5, 8, 5);
  c->PrintIt(1.0);
  ASSERT_EQ(1, p.PageCount());
  EXPECT_GT(p.Page(0).RecordCount(), 0);
  EXPECT_GT(FileSize(out), 100);
  int x = 10, y = 20;
  p.BeginDoc();
  c->CopyToOpenPrinter(x, y, 2.0);
  p.EndDoc();
  EXPECT_EQ(10 + 240, x);  // 60 px at 96 dpi, twice as large at 192 dpi
  EXPECT_EQ(20 + 200, y);
  EXPECT_THROW(c->CopyToOpenPrinter(x, y, 1.0), EZOLRChartError);  // no document open
  DeleteFile(out);
  p.SetPixelsPerInch(300);
}

TEST_F(Draw, BackgroundAreaAndImage) {
  c->BackGroundImg().SetAreaColor(clYellow);
  c->BackGroundImg().SetAreaLeft(2);   // x 15
  c->BackGroundImg().SetAreaRight(4);  // x 25
  c->BackGroundImg().SetAreaMode(bamVStripe);
  ExpectMask([](int x, int) -> TColor { return x >= 15 && x < 25 ? clYellow : clWhite; });
  c->BackGroundImg().SetAreaTop(8);     // y 13
  c->BackGroundImg().SetAreaBottom(6);  // y 21
  c->BackGroundImg().SetAreaMode(bamRect);
  ExpectMask([](int x, int y) -> TColor { return x >= 15 && x < 25 && y >= 13 && y < 21 ? clYellow : clWhite; });
  // An image tiled over the area.
  const std::string img = GetTempDirectory() + "zol_rchart_tile.bmp";
  TBitmap tile(4, 4);
  tile.Canvas().Brush().SetColor(clRed);
  tile.Canvas().FillRect(Rect(0, 0, 2, 4));
  tile.Canvas().Brush().SetColor(clBlue);
  tile.Canvas().FillRect(Rect(2, 0, 4, 4));
  tile.SaveToFile(img);
  c->BackGroundImg().SetFillMode(bfTile);
  c->BackGroundImg().SetName(img);
  ExpectMask([](int x, int) -> TColor { return (x - 6) % 4 < 2 ? clRed : clBlue; });
  // A file that cannot be read is dropped and the name cleared.

  {
    FILE* f = std::fopen(img.c_str(), "wb");
    std::fputs("BM not a bitmap", f);
    std::fclose(f);
  }
  c->BackGroundImg().SetName(img);  // the same name, now a damaged file
  Render();
  EXPECT_EQ("", c->BackGroundImg().Name());
  EXPECT_EQ(clWhite, bmp.GetPixel(30, 30));
  DeleteFile(img);
}
