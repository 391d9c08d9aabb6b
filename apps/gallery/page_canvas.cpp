// Gallery page: what the drawing surface can do.
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"

using namespace zol;

namespace {

// Draws the whole sheet onto any canvas (bitmap, metafile, printer page).
void DrawCanvasSheet(TCanvas& c, int w, int h) {
  c.Brush().SetColor(clWhite);
  c.Brush().SetStyle(bsSolid);
  c.FillRect(Rect(0, 0, w, h));
  c.Font().SetName("Arial");
  c.Font().SetSize(10);
  c.Font().SetColor(clBlack);
  c.Brush().SetStyle(bsClear);

  // Pen styles, in widths 1 and 3.
  const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
  const char* styleNames[] = {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
  c.TextOut(10, 6, "Pen styles (width 1 and 3)");
  for (int i = 0; i < 7; ++i) {
    int y = 30 + i * 18;
    c.Pen().SetMode(pmCopy);
    c.Pen().SetColor(clNavy);
    c.Pen().SetStyle(styles[i]);
    c.Pen().SetWidth(1);
    c.MoveTo(10, y);
    c.LineTo(150, y);
    c.Pen().SetWidth(3);
    c.MoveTo(160, y);
    c.LineTo(300, y);
    c.TextOut(310, y - 7, styleNames[i]);
  }

  // Pen modes over a striped background.
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmCopy);
  c.TextOut(420, 6, "Pen modes over colour stripes");
  const TColor stripes[] = {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia};
  for (int i = 0; i < 6; ++i) {
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(stripes[i]);
    c.FillRect(Rect(420 + i * 40, 28, 460 + i * 40, 160));
  }
  const TPenMode modes[] = {pmCopy, pmXor, pmNotXor, pmNot, pmMask, pmMerge, pmNotCopy};
  const char* modeNames[] = {"pmCopy", "pmXor", "pmNotXor", "pmNot", "pmMask", "pmMerge", "pmNotCopy"};
  c.Brush().SetStyle(bsClear);
  for (int i = 0; i < 7; ++i) {
    int y = 36 + i * 18;
    c.Pen().SetColor(clGray);
    c.Pen().SetMode(modes[i]);
    c.Pen().SetWidth(5);
    c.MoveTo(420, y);
    c.LineTo(660, y);
    c.Pen().SetMode(pmCopy);
    c.TextOut(670, y - 7, modeNames[i]);
  }
  c.Pen().SetWidth(1);

  // Shapes.
  c.TextOut(10, 170, "Shapes: rectangle, ellipse, round rectangle, pie, chord, arc, polygon, hatches");
  c.Pen().SetColor(clBlack);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(RGB(255, 220, 120));
  c.Rectangle(10, 195, 90, 265);
  c.Brush().SetColor(RGB(150, 200, 255));
  c.Ellipse(100, 195, 190, 265);
  c.Brush().SetColor(RGB(190, 255, 190));
  c.RoundRect(200, 195, 290, 265, 24, 24);
  c.Brush().SetColor(RGB(255, 170, 170));
  c.Pie(300, 195, 380, 275, 380, 235, 340, 195);
  c.Brush().SetColor(RGB(220, 180, 255));
  c.Chord(390, 195, 470, 275, 470, 250, 390, 220);
  c.Pen().SetWidth(3);
  c.Pen().SetColor(clMaroon);
  c.Arc(480, 195, 560, 275, 560, 235, 480, 235);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(RGB(255, 240, 160));
  c.Polygon({{600, 195}, {640, 275}, {570, 220}, {650, 220}, {580, 275}});
  const TBrushStyle hatches[] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
  for (int i = 0; i < 6; ++i) {
    c.Brush().SetStyle(hatches[i]);
    c.Brush().SetColor(clTeal);
    c.Rectangle(670 + (i % 3) * 42, 195 + (i / 3) * 42, 708 + (i % 3) * 42, 233 + (i / 3) * 42);
  }

  // Rotated text in the pinned fonts.
  c.Brush().SetStyle(bsClear);
  c.Pen().SetColor(clBlack);
  c.TextOut(10, 290, "Text in the pinned families, rotated");
  const char* fonts[] = {"Arial", "Times New Roman", "Courier New", "Tahoma", "Some Other Font"};
  for (int i = 0; i < 5; ++i) {
    c.Font().SetName(fonts[i]);
    c.Font().SetSize(12);
    c.Font().SetOrientation(0);
    c.Font().SetColor(clBlack);
    c.TextOut(10, 315 + i * 24, std::string(fonts[i]) + ": Ag 0123 \xC3\xA4\xC3\xB6\xC3\xBC \xC2\xB0");
  }
  c.Font().SetName("Arial");
  c.Font().SetSize(11);
  for (int a = 0; a < 360; a += 45) {
    c.Font().SetOrientation(a * 10);
    c.Font().SetColor(a % 90 == 0 ? clBlue : clMaroon);
    c.TextOut(560, 400, "  rotated " + std::to_string(a));
  }
  c.Font().SetOrientation(0);
  c.Font().SetColor(clBlack);
  c.Font().SetStyle(TFontStyles{fsBold});
  c.TextOut(320, 315, "Bold");
  c.Font().SetStyle(TFontStyles{fsItalic});
  c.TextOut(320, 339, "Italic");
  c.Font().SetStyle(TFontStyles{fsUnderline});
  c.TextOut(320, 363, "Underline");
  c.Font().SetStyle(TFontStyles{fsStrikeOut});
  c.TextOut(320, 387, "Strike-out");
  c.Font().SetStyle(TFontStyles{});

  // A small bitmap stretched both ways.
  TBitmap small(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      small.Canvas().SetPixel(x, y, ((x + y) % 2) ? RGB(30 * x, 255 - 30 * y, 128) : clWhite);
  c.TextOut(10, 450, "An 8 x 8 bitmap: as is, stretched wide and tall (nearest), smoothed");
  c.Draw(10, 475, small);
  c.SetStretchBltMode(COLORONCOLOR);
  c.StretchDraw(Rect(30, 475, 230, 515), small);
  c.StretchDraw(Rect(240, 475, 270, 595), small);
  c.SetStretchBltMode(HALFTONE);
  c.StretchDraw(Rect(280, 475, 360, 555), small);
  c.SetStretchBltMode(COLORONCOLOR);
}

}  // namespace

ZOL_GALLERY_PAGE("canvas", "Drawing surface", 10) {
  const int w = 800, h = 610;
  TBitmap bmp(w, h);
  DrawCanvasSheet(bmp.Canvas(), w, h);
  page.AddImage("sheet", bmp, "Pen styles and modes, shapes, rotated text, stretched bitmaps");

  // The same sheet recorded into a metafile and saved as SVG.
  TMetafile mf;
  mf.SetSize(w, h);
  {
    TMetafileCanvas mc(mf);
    DrawCanvasSheet(mc, w, h);
  }
  mf.SaveToFile(page.FilePath("sheet.svg"));
  page.AddLink("sheet.svg", "The sheet as SVG (recorded through the metafile canvas)");

  // And printed as a one-page PDF at screen resolution, the paper cut to the sheet.
  TPrinter& prn = Printer();
  prn.SetPixelsPerInch(96);
  prn.SetPaperSizeMM(w * 25.4 / 96, h * 25.4 / 96);
  prn.SetTitle("Drawing surface");
  prn.SetOutputFile(page.FilePath("sheet.pdf"));
  prn.BeginDoc();
  DrawCanvasSheet(prn.Canvas(), w, h);
  prn.EndDoc();
  page.AddLink("sheet.pdf", "The sheet as a one-page PDF (printed through the printer canvas)");
}
