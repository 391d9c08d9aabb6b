// Gallery page: the shared mark codes and frame styles.
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/Zol_zolbase.h"

using namespace zol;

namespace {

// Every geometric mark (0..51) and a few character marks, each drawn at its
// natural size and enlarged seven times.
void DrawMarkSheet(TBitmap& bmp) {
  constexpr int cell = 96, cols = 10, zoom = 7;
  const int codes[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                       20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39,
                       40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 65, 200, 203, 209, 120, 233};
  const int n = static_cast<int>(sizeof codes / sizeof codes[0]);
  const int rows = (n + cols - 1) / cols;
  bmp.SetSize(cols * cell, rows * cell);
  TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(clWhite);
  c.Brush().SetStyle(bsSolid);
  c.FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
  c.Font().SetName("Arial");
  c.Font().SetSize(8);
  for (int i = 0; i < n; ++i) {
    const int x0 = (i % cols) * cell, y0 = (i / cols) * cell;
    // The mark on a small bitmap with a dotted centre grid, then enlarged.
    TBitmap small(11, 11);
    TCanvas& s = small.Canvas();
    s.Pen().SetColor(clNavy);
    s.Font().SetName("Arial");
    s.Font().SetSize(8);
    s.Font().SetColor(clNavy);
    s.Brush().SetStyle(bsClear);
    DrawMarkOnCanvas(s, static_cast<uint8_t>(codes[i]), 5, 5);
    c.StretchDraw(Rect(x0 + 4, y0 + 4, x0 + 4 + 11 * zoom, y0 + 4 + 11 * zoom), small);
    c.Pen().SetColor(RGB(200, 200, 200));
    DrawRectangle(c, x0 + 3, y0 + 3, x0 + 82, y0 + 82);
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(clBlack);
    c.TextOut(x0 + 4, y0 + 82, std::to_string(codes[i]));
    // The mark at its natural size beside the number.
    c.Pen().SetColor(clMaroon);
    DrawMarkOnCanvas(c, static_cast<uint8_t>(codes[i]), x0 + 60, y0 + 88);
    c.Brush().SetStyle(bsSolid);
  }
}

// The frame styles with the classic button colours.
void DrawFrameSheet(TBitmap& bmp) {
  const TFrameStyle styles[] = {fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved};
  bmp.SetSize(6 * 130 + 10, 120);
  TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(RGB(212, 208, 200));
  c.Brush().SetStyle(bsSolid);
  c.FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
  c.Font().SetName("Arial");
  c.Font().SetSize(9);
  for (int i = 0; i < 6; ++i) {
    const int x = 10 + i * 130;
    DrawFrame(c, styles[i], x, 10, x + 110, 80, clWhite, RGB(227, 227, 227), RGB(160, 160, 160),
              RGB(64, 64, 64), clBlack);
    c.Brush().SetStyle(bsClear);
    c.TextOut(x + 10, 90, xmlFrameStyle[styles[i]]);
    c.Brush().SetStyle(bsSolid);
  }
}

}  // namespace

ZOL_GALLERY_PAGE("zolbase", "Marks and frames", 20) {
  page.AddHeading("Mark codes");
  page.AddText("DrawMarkOnCanvas: the geometric marks 0..51 enlarged seven times (and at their natural "
               "size, lower right of each cell), followed by character marks: 65 \"A\", 200 \"0\", "
               "203 \"3\", 209 \"9\", 120 \"x\", 233 \"\xC3\xA9\".");
  TBitmap marks;
  DrawMarkSheet(marks);
  page.AddImage("marks", marks, "Mark codes");
  page.AddHeading("Frame styles");
  TBitmap frames;
  DrawFrameSheet(frames);
  page.AddImage("frames", frames, "fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved");
  auto cm = CreateMarkAsBitmap(36, clRed, clYellow, 8);
  page.AddImage("markbitmap", *cm, "CreateMarkAsBitmap(36, red, yellow, 8): a 23 x 23 bitmap");
}
