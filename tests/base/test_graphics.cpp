// The raster canvas: pixel rules of lines, shapes, fills, pen styles and modes,
// clipping, copying and stretching, text placement; colours and rectangles.
// Every painted pixel that a test expects is paired with a neighbour that must
// stay untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>

#include "base/platform/Zol_graphics.h"

using namespace zol;

namespace {

constexpr TColor W = clWhite, K = clBlack;

struct Surface {
  TBitmap bmp;
  TCanvas& c;
  explicit Surface(int w = 40, int h = 30) : bmp(w, h), c(bmp.Canvas()) {}
  TColor At(int x, int y) const { return bmp.GetPixel(x, y); }
  // Pixels that differ from white.
  std::set<std::pair<int, int>> Painted() const {
    std::set<std::pair<int, int>> s;
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x)
        if (At(x, y) != W) s.insert({x, y});
    return s;
  }
  void Noise(unsigned seed) {
    std::mt19937 rng(seed);
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) bmp.ScanLine(y)[x] = rng() | 0xFF000000u;
  }
  std::vector<uint32_t> Snapshot() const {
    return std::vector<uint32_t>(bmp.Bits(), bmp.Bits() + size_t(bmp.Width()) * bmp.Height());
  }
};

// Region of the ellipse inscribed in the box x1..x2-1, y1..y2-1: the pixels
// whose centres lie inside or on it.
bool InEllipse(int x, int y, int x1, int y1, int x2, int y2) {
  double a = (x2 - x1) / 2.0, b = (y2 - y1) / 2.0;
  double cx = x1 + a, cy = y1 + b;
  double u = (x + 0.5 - cx) / a, v = (y + 0.5 - cy) / b;
  return u * u + v * v <= 1.0 + 1e-12;
}

}  // namespace

// ---------------------------------------------------------------- colours, rectangles
TEST(GraphicsColor, LayoutSystemColoursAndPixelWords) {
  EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
  EXPECT_EQ(GetRValue(clRed), 255);
  EXPECT_EQ(GetBValue(clNavy), 128);
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(240, 240, 240));
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
  EXPECT_EQ(ColorToRGB(clHighlight), RGB(0, 120, 215));
  EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
  EXPECT_EQ(ColorToRGB(clNone), clBlack);
  EXPECT_EQ(ColorToRGB(clDefault), clBlack);
  EXPECT_EQ(ColorToRGB(0x800000FFu), clBlack);  // unknown system index
  EXPECT_EQ(TBitmap::ColorToPixel(RGB(0x12, 0x34, 0x56)), 0xFF123456u);
  EXPECT_EQ(TBitmap::PixelToColor(0x80123456u), RGB(0x12, 0x34, 0x56));
}

TEST(GraphicsRect, ExclusiveEdgesAndHelpers) {
  TRect r = Rect(2, 3, 7, 9);
  EXPECT_EQ(r.Width(), 5);
  EXPECT_EQ(r.Height(), 6);
  EXPECT_TRUE(PtInRect(r, Point(2, 3)));
  EXPECT_FALSE(PtInRect(r, Point(7, 3)));
  EXPECT_FALSE(PtInRect(r, Point(2, 9)));
  TRect i;
  EXPECT_TRUE(IntersectRect(i, r, Rect(5, 0, 20, 4)));
  EXPECT_EQ(i, Rect(5, 3, 7, 4));
  EXPECT_FALSE(IntersectRect(i, r, Rect(7, 0, 9, 9)));  // touching edges do not overlap
  EXPECT_EQ(i, TRect());
  InflateRect(r, 1, 2);
  EXPECT_EQ(r, Rect(1, 1, 8, 11));
  OffsetRect(r, -1, 4);
  EXPECT_EQ(r, Rect(0, 5, 7, 15));
  TRect u;
  EXPECT_TRUE(UnionRect(u, Rect(0, 0, 2, 2), Rect(5, 5, 6, 6)));
  EXPECT_EQ(u, Rect(0, 0, 6, 6));
  EXPECT_TRUE(UnionRect(u, TRect(), Rect(1, 1, 2, 2)));
  EXPECT_EQ(u, Rect(1, 1, 2, 2));
}

TEST(GraphicsFont, SizeHeightAndResolution) {
  TFont f;
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  f.SetPixelsPerInch(72);
  EXPECT_EQ(f.Size(), 16);
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -10);
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetStyle({fsBold, fsItalic});
  f.SetStyle({fsItalic, fsBold});  // same set: no change
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(f.Style().Contains(fsBold));
  EXPECT_FALSE(f.Style().Contains(fsUnderline));
  // Assign keeps the size in points at the receiver's resolution.
  TFont g;
  g.Assign(f);
  EXPECT_EQ(g.PixelsPerInch(), 96);
  EXPECT_EQ(g.Size(), 10);
  EXPECT_EQ(g.Height(), -13);
  EXPECT_TRUE(g.Style() == (TFontStyles{fsBold, fsItalic}));
  TPen p;
  EXPECT_THROW(p.Assign(f), EConvertError);
}

// ---------------------------------------------------------------- lines
TEST(GraphicsLine, EndPointIsNotPainted) {
  Surface s;
  s.c.MoveTo(2, 5);
  s.c.LineTo(8, 5);
  EXPECT_EQ(s.c.PenPos(), Point(8, 5));
  EXPECT_EQ(s.At(2, 5), K);
  EXPECT_EQ(s.At(7, 5), K);
  EXPECT_EQ(s.At(8, 5), W);
  EXPECT_EQ(s.At(1, 5), W);
  EXPECT_EQ(s.Painted().size(), 6u);

  Surface d;  // diagonal and upward vertical
  d.c.MoveTo(0, 0);
  d.c.LineTo(5, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(d.At(i, i), K);
  EXPECT_EQ(d.At(5, 5), W);
  d.c.MoveTo(20, 9);
  d.c.LineTo(20, 2);
  EXPECT_EQ(d.At(20, 9), K);
  EXPECT_EQ(d.At(20, 3), K);
  EXPECT_EQ(d.At(20, 2), W);
  EXPECT_EQ(d.Painted().size(), 5u + 7u);

  Surface z;  // a zero-length line paints nothing
  z.c.MoveTo(3, 3);
  z.c.LineTo(3, 3);
  EXPECT_TRUE(z.Painted().empty());
}

TEST(GraphicsLine, NearestPixelsAndTiesTowardsSmallerCoordinate) {
  // (0,0)-(4,1): ideal y = x/4, the tie at x = 2 goes to y = 0.
  Surface s;
  s.c.MoveTo(0, 0);
  s.c.LineTo(4, 1);
  std::set<std::pair<int, int>> want = {{0, 0}, {1, 0}, {2, 0}, {3, 1}};
  EXPECT_EQ(s.Painted(), want);
  // Drawn backwards the same pixels are chosen (end points aside).
  Surface b;
  b.c.MoveTo(4, 1);
  b.c.LineTo(0, 0);
  std::set<std::pair<int, int>> back = {{4, 1}, {3, 1}, {2, 0}, {1, 0}};
  EXPECT_EQ(b.Painted(), back);
  // A steep line chooses x the same way.
  Surface t;
  t.c.MoveTo(10, 10);
  t.c.LineTo(11, 14);  // x = 10 + (y-10)/4: tie at y = 12 -> 10
  std::set<std::pair<int, int>> steep = {{10, 10}, {10, 11}, {10, 12}, {11, 13}};
  EXPECT_EQ(t.Painted(), steep);
}

TEST(GraphicsLine, LongLinesFarOutsideAreClippedNotWalked) {
  Surface s(20, 20);
  s.c.MoveTo(-1000000000, 10);
  s.c.LineTo(1000000000, 10);
  for (int x = 0; x < 20; ++x) EXPECT_EQ(s.At(x, 10), K);
  EXPECT_EQ(s.At(5, 9), W);
  EXPECT_EQ(s.At(5, 11), W);
}

TEST(GraphicsLine, PolylineJointsPaintedOnceLastPointNot) {
  Surface s;
  s.c.Pen().SetColor(clWhite);
  s.c.Pen().SetMode(pmXor);  // white ^ white = black: a pixel painted twice would turn white again
  TPoint pts[] = {{0, 0}, {5, 0}, {5, 5}, {2, 5}};
  s.c.Polyline(pts, 4);
  EXPECT_EQ(s.At(0, 0), K);
  EXPECT_EQ(s.At(5, 0), K);  // joint
  EXPECT_EQ(s.At(5, 5), K);  // joint
  EXPECT_EQ(s.At(3, 5), K);
  EXPECT_EQ(s.At(2, 5), W);  // last point
  EXPECT_EQ(s.At(6, 0), W);
  EXPECT_EQ(s.Painted().size(), 5u + 5u + 3u);
}

TEST(GraphicsLine, PenStylesDashLengthsAndBackground) {
  auto row = [](TPenStyle st, bool opaque) {
    Surface s(60, 3);
    s.c.Pen().SetStyle(st);
    s.c.Brush().SetColor(clRed);
    if (!opaque) s.c.Brush().SetStyle(bsClear);
    s.c.MoveTo(0, 1);
    s.c.LineTo(60, 1);
    std::string r;
    for (int x = 0; x < 60; ++x) {
      TColor c = s.At(x, 1);
      r += c == K ? '#' : c == clRed ? 'r' : c == W ? '.' : '?';
    }
    return r;
  };
  EXPECT_EQ(row(psDot, false), "###...###...###...###...###...###...###...###...###...###...");
  EXPECT_EQ(row(psDash, false).substr(0, 30), "##################......######");
  EXPECT_EQ(row(psDashDot, false).substr(0, 30), "#########......###......######");
  EXPECT_EQ(row(psDashDotDot, false).substr(0, 30), "#########...###...###...######");
  // With a solid brush the background mode is opaque: gaps take the brush colour.
  EXPECT_EQ(row(psDot, true).substr(0, 12), "###rrr###rrr");
  EXPECT_EQ(row(psClear, true), std::string(60, '.'));
  // The pattern continues over the joints of a polyline.
  Surface p(20, 20);
  p.c.Brush().SetStyle(bsClear);
  p.c.Pen().SetStyle(psDot);
  TPoint pts[] = {{0, 0}, {4, 0}, {4, 10}};
  p.c.Polyline(pts, 3);
  EXPECT_EQ(p.At(2, 0), K);
  EXPECT_EQ(p.At(3, 0), W);   // step 3: gap
  EXPECT_EQ(p.At(4, 0), W);   // step 4: gap (first of the second segment)
  EXPECT_EQ(p.At(4, 2), K);   // step 6: on again
  EXPECT_EQ(p.At(4, 1), W);
}

TEST(GraphicsLine, WidePensHaveRoundEndsAndCoverTheirWidth) {
  Surface s(40, 30);
  s.c.Pen().SetWidth(5);
  s.c.MoveTo(10, 10);
  s.c.LineTo(30, 10);
  for (int y = 8; y <= 12; ++y) EXPECT_EQ(s.At(20, y), K) << y;
  EXPECT_EQ(s.At(20, 7), W);
  EXPECT_EQ(s.At(20, 13), W);
  EXPECT_EQ(s.At(32, 10), K);  // round cap reaches w/2 beyond the end point
  EXPECT_EQ(s.At(33, 10), W);
  EXPECT_EQ(s.At(8, 10), K);
  EXPECT_EQ(s.At(7, 10), W);
  EXPECT_EQ(s.At(32, 8), W);  // the cap is round, not square
  // Even widths: w/2 above the line, w/2 - 1 below.
  Surface e(40, 30);
  e.c.Pen().SetWidth(4);
  e.c.MoveTo(5, 10);
  e.c.LineTo(30, 10);
  EXPECT_EQ(e.At(15, 8), K);
  EXPECT_EQ(e.At(15, 11), K);
  EXPECT_EQ(e.At(15, 7), W);
  EXPECT_EQ(e.At(15, 12), W);
}

// ---------------------------------------------------------------- pen modes
TEST(GraphicsPenMode, BinaryRasterOperationsOnRgb) {
  const TColor D = RGB(0x5A, 0xC3, 0x0F), P = RGB(0x33, 0x0F, 0xF0);
  struct Case {
    TPenMode m;
    uint32_t want;
  } cases[] = {
      {pmBlack, 0},           {pmWhite, 0xFFFFFF},        {pmNop, D},
      {pmNot, ~D},            {pmCopy, P},                {pmNotCopy, ~P},
      {pmMergePenNot, P | ~D}, {pmMaskPenNot, P & ~D},    {pmMergeNotPen, ~P | D},
      {pmMaskNotPen, ~P & D}, {pmMerge, P | D},           {pmNotMerge, ~(P | D)},
      {pmMask, P & D},        {pmNotMask, ~(P & D)},      {pmXor, P ^ D},
      {pmNotXor, ~(P ^ D)},
  };
  for (const Case& k : cases) {
    Surface s(4, 4);
    s.c.Pen().SetColor(D);
    s.c.MoveTo(0, 1);
    s.c.LineTo(4, 1);
    s.c.Pen().SetColor(P);
    s.c.Pen().SetMode(k.m);
    s.c.MoveTo(0, 1);
    s.c.LineTo(3, 1);
    EXPECT_EQ(s.At(1, 1), k.want & 0xFFFFFF) << "mode " << int(k.m);
    EXPECT_EQ(s.At(3, 1), D) << "end point untouched, mode " << int(k.m);
  }
}

TEST(GraphicsPenMode, XorDrawnTwiceRestoresThePicture) {
  Surface s(60, 50);
  s.Noise(42);
  auto before = s.Snapshot();
  TCanvas& c = s.c;
  c.Pen().SetMode(pmXor);
  c.Pen().SetColor(RGB(0x12, 0xF0, 0x7E));
  c.Brush().SetColor(RGB(0x80, 0x08, 0xC1));
  auto drawAll = [&] {
    c.MoveTo(-5, 3);
    c.LineTo(70, 41);
    TPoint star[] = {{30, 2}, {40, 45}, {5, 15}, {55, 15}, {20, 45}};
    c.Polygon(star, 5);
    c.Rectangle(3, 4, 25, 20);
    c.Ellipse(10, 10, 50, 38);
    c.RoundRect(2, 30, 30, 48, 10, 8);
    c.Pie(30, 5, 58, 30, 58, 5, 30, 5);
    c.Chord(5, 5, 40, 30, 40, 20, 5, 5);
    c.Arc(0, 0, 60, 50, 60, 0, 0, 50);
    c.Pen().SetWidth(6);
    TPoint zig[] = {{5, 45}, {20, 30}, {35, 45}, {50, 30}, {50, 30}, {52, 47}};
    c.Polyline(zig, 6);
    c.Ellipse(20, 5, 40, 25);
    c.Rectangle(8, 8, 30, 30);
    c.Pen().SetWidth(1);
    c.Pen().SetStyle(psDashDot);
    c.Polyline(zig, 6);
    c.Pen().SetStyle(psSolid);
  };
  drawAll();
  EXPECT_NE(s.Snapshot(), before);
  drawAll();
  EXPECT_EQ(s.Snapshot(), before);
}

// ---------------------------------------------------------------- rectangles
TEST(GraphicsRectangle, OutlineInsideExclusiveEdges) {
  Surface s;
  s.c.Brush().SetColor(clRed);
  s.c.Rectangle(2, 2, 7, 6);
  EXPECT_EQ(s.At(2, 2), K);
  EXPECT_EQ(s.At(6, 5), K);  // right-bottom corner pixel is x2-1, y2-1
  EXPECT_EQ(s.At(7, 5), W);
  EXPECT_EQ(s.At(6, 6), W);
  EXPECT_EQ(s.At(1, 2), W);
  EXPECT_EQ(s.At(3, 3), clRed);
  EXPECT_EQ(s.At(5, 4), clRed);
  EXPECT_EQ(s.At(6, 4), K);
  EXPECT_EQ(s.Painted().size(), 20u);
  // Swapped corners mean the same rectangle; an empty one paints nothing.
  Surface t;
  t.c.Brush().SetColor(clRed);
  t.c.Rectangle(7, 6, 2, 2);
  EXPECT_EQ(t.Painted(), s.Painted());
  Surface e;
  e.c.Rectangle(3, 3, 3, 9);
  EXPECT_TRUE(e.Painted().empty());
}

TEST(GraphicsRectangle, ClearPenFillsOnePixelLess) {
  Surface s;
  s.c.Brush().SetColor(clRed);
  s.c.Pen().SetStyle(psClear);
  s.c.Rectangle(2, 2, 7, 6);
  EXPECT_EQ(s.At(2, 2), clRed);
  EXPECT_EQ(s.At(5, 4), clRed);
  EXPECT_EQ(s.At(6, 4), W);
  EXPECT_EQ(s.At(5, 5), W);
  EXPECT_EQ(s.Painted().size(), 12u);
}

TEST(GraphicsRectangle, WideAndInsideFramePens) {
  Surface s;
  s.c.Pen().SetWidth(3);
  s.c.Brush().SetColor(clRed);
  s.c.Rectangle(5, 5, 16, 12);  // outline path x 5..15, y 5..11; band -1..+1
  EXPECT_EQ(s.At(4, 8), K);
  EXPECT_EQ(s.At(3, 8), W);
  EXPECT_EQ(s.At(16, 8), K);
  EXPECT_EQ(s.At(17, 8), W);
  EXPECT_EQ(s.At(10, 4), K);
  EXPECT_EQ(s.At(10, 3), W);
  EXPECT_EQ(s.At(10, 12), K);
  EXPECT_EQ(s.At(10, 13), W);
  EXPECT_EQ(s.At(7, 7), clRed);
  EXPECT_EQ(s.At(6, 7), K);

  Surface f;
  f.c.Pen().SetWidth(3);
  f.c.Pen().SetStyle(psInsideFrame);
  f.c.Brush().SetColor(clRed);
  f.c.Rectangle(5, 5, 16, 12);
  EXPECT_EQ(f.At(5, 8), K);
  EXPECT_EQ(f.At(4, 8), W);
  EXPECT_EQ(f.At(15, 8), K);
  EXPECT_EQ(f.At(16, 8), W);
  EXPECT_EQ(f.At(7, 8), K);
  EXPECT_EQ(f.At(8, 8), clRed);
  EXPECT_EQ(f.At(13, 8), K);
  EXPECT_EQ(f.At(12, 8), clRed);
}

TEST(GraphicsRectangle, FillRectFrameRectAndHatches) {
  Surface s;
  s.c.Pen().SetMode(pmXor);  // FillRect does not use the pen mode
  s.c.Brush().SetColor(clBlue);
  s.c.FillRect(Rect(1, 1, 4, 3));
  EXPECT_EQ(s.At(3, 2), clBlue);
  EXPECT_EQ(s.At(4, 2), W);
  EXPECT_EQ(s.At(3, 3), W);
  s.c.FillRect(Rect(10, 10, 5, 12));  // inverted: nothing
  EXPECT_EQ(s.Painted().size(), 6u);
  s.c.Brush().SetColor(clGreen);
  s.c.FrameRect(Rect(10, 10, 14, 13));
  EXPECT_EQ(s.At(13, 12), clGreen);
  EXPECT_EQ(s.At(11, 11), W);
  EXPECT_EQ(s.At(14, 12), W);
  EXPECT_EQ(s.Painted().size(), 6u + 10u);

  Surface h(16, 16);
  h.c.Brush().SetColor(clRed);
  h.c.Brush().SetStyle(bsCross);
  h.c.FillRect(Rect(0, 0, 16, 16));
  EXPECT_EQ(h.At(0, 5), clRed);
  EXPECT_EQ(h.At(8, 3), clRed);
  EXPECT_EQ(h.At(3, 8), clRed);
  EXPECT_EQ(h.At(3, 3), W);  // gaps of a hatch stay untouched
  EXPECT_EQ(h.Painted().size(), 16u * 16u - 14u * 14u);
  Surface d(16, 16);
  d.c.Brush().SetStyle(bsFDiagonal);
  d.c.Brush().SetColor(clBlack);
  d.c.FillRect(Rect(0, 0, 16, 16));
  EXPECT_EQ(d.At(5, 5), K);
  EXPECT_EQ(d.At(9, 1), K);
  EXPECT_EQ(d.At(5, 6), W);
}

// ---------------------------------------------------------------- ellipses and arcs
TEST(GraphicsEllipse, RegionOutlineAndExtentsFollowTheInscribedEllipse) {
  struct Box {
    int x1, y1, x2, y2;
  } boxes[] = {{2, 3, 12, 9}, {0, 0, 21, 21}, {5, 5, 6, 6}, {5, 5, 7, 7}, {4, 4, 5, 14}, {1, 1, 30, 8}, {3, 2, 20, 27}};
  for (const Box& b : boxes) {
    Surface s(40, 30);
    s.c.Brush().SetColor(clRed);
    s.c.Ellipse(b.x1, b.y1, b.x2, b.y2);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        bool in = InEllipse(x, y, b.x1, b.y1, b.x2, b.y2);
        bool edge = in && (!InEllipse(x - 1, y, b.x1, b.y1, b.x2, b.y2) || !InEllipse(x + 1, y, b.x1, b.y1, b.x2, b.y2) ||
                           !InEllipse(x, y - 1, b.x1, b.y1, b.x2, b.y2) || !InEllipse(x, y + 1, b.x1, b.y1, b.x2, b.y2));
        TColor want = !in ? W : edge ? K : clRed;
        ASSERT_EQ(s.At(x, y), want) << "box " << b.x1 << "," << b.y1 << "," << b.x2 << "," << b.y2 << " at " << x
                                     << "," << y;
      }
    // Extents: the first and last rows and columns of the box are touched, nothing beyond.
    int minx = 99, maxx = -1, miny = 99, maxy = -1;
    for (auto [x, y] : s.Painted()) {
      minx = std::min(minx, x);
      maxx = std::max(maxx, x);
      miny = std::min(miny, y);
      maxy = std::max(maxy, y);
    }
    EXPECT_EQ(minx, b.x1);
    EXPECT_EQ(maxx, b.x2 - 1);
    EXPECT_EQ(miny, b.y1);
    EXPECT_EQ(maxy, b.y2 - 1);
  }
}

TEST(GraphicsEllipse, WidePenGrowsOutwardsInsideFrameStaysInTheBox) {
  Surface s(50, 50);
  s.c.Pen().SetWidth(5);
  s.c.Ellipse(10, 10, 31, 31);
  EXPECT_EQ(s.At(8, 20), K);
  EXPECT_EQ(s.At(7, 20), W);
  EXPECT_EQ(s.At(32, 20), K);
  EXPECT_EQ(s.At(33, 20), W);
  EXPECT_EQ(s.At(20, 20), W);  // white brush inside
  Surface f(50, 50);
  f.c.Pen().SetWidth(5);
  f.c.Pen().SetStyle(psInsideFrame);
  f.c.Ellipse(10, 10, 31, 31);
  EXPECT_EQ(f.At(10, 20), K);
  EXPECT_EQ(f.At(9, 20), W);
  EXPECT_EQ(f.At(30, 20), K);
  EXPECT_EQ(f.At(31, 20), W);
  EXPECT_EQ(f.At(14, 20), K);
  EXPECT_EQ(f.At(15, 20), W);
}

TEST(GraphicsEllipse, RoundRectCornersAndStraightEdges) {
  Surface s(40, 30);
  s.c.Brush().SetColor(clRed);
  s.c.RoundRect(2, 2, 30, 20, 8, 6);
  EXPECT_EQ(s.At(15, 2), K);  // straight top edge
  EXPECT_EQ(s.At(15, 1), W);
  EXPECT_EQ(s.At(2, 11), K);  // straight left edge
  EXPECT_EQ(s.At(1, 11), W);
  EXPECT_EQ(s.At(29, 11), K);
  EXPECT_EQ(s.At(30, 11), W);
  EXPECT_EQ(s.At(15, 19), K);
  EXPECT_EQ(s.At(15, 20), W);
  EXPECT_EQ(s.At(2, 2), W);  // rounded corners
  EXPECT_EQ(s.At(29, 19), W);
  EXPECT_EQ(s.At(15, 11), clRed);
}

TEST(GraphicsEllipse, ArcPieAndChordSweepCounterClockwise) {
  // Box 0..40 x 0..40, centre (20, 20).  From the ray to the right (angle 0)
  // counter-clockwise to the ray upwards (90 degrees): the upper-right quarter.
  Surface a(41, 41);
  a.c.Arc(0, 0, 40, 40, 40, 20, 20, 0);
  EXPECT_EQ(a.At(39, 19), K);  // rightmost outline pixel above the centre line
  EXPECT_EQ(a.At(19, 0), W);   // left of the top ray: not in the sweep
  EXPECT_EQ(a.At(0, 20), W);
  EXPECT_EQ(a.At(20, 39), W);
  bool upperRight = false;
  for (auto [x, y] : a.Painted()) {
    EXPECT_GE(x, 20);
    EXPECT_LE(y, 20);
    if (x > 30 && y < 10) upperRight = true;
  }
  EXPECT_TRUE(upperRight);

  Surface p(41, 41);
  p.c.Brush().SetColor(clRed);
  p.c.Pie(0, 0, 40, 40, 40, 20, 20, 0);
  EXPECT_EQ(p.At(28, 12), clRed);  // inside the quarter
  EXPECT_EQ(p.At(12, 12), W);      // other quarters untouched
  EXPECT_EQ(p.At(28, 28), W);
  EXPECT_EQ(p.At(20, 10), K);  // the radius to the top
  EXPECT_EQ(p.At(30, 20), K);  // the radius to the right

  // Chord over the same quarter: the triangle next to the centre is outside.
  Surface c(41, 41);
  c.c.Brush().SetColor(clRed);
  c.c.Chord(0, 0, 40, 40, 40, 20, 20, 0);
  EXPECT_EQ(c.At(33, 7), clRed);
  EXPECT_EQ(c.At(24, 16), W);
  // Equal start and end rays: the whole ellipse.
  Surface f(41, 41);
  f.c.Arc(0, 0, 40, 40, 40, 20, 40, 20);
  EXPECT_EQ(f.At(0, 20), K);
  EXPECT_EQ(f.At(20, 39), K);
}

// ---------------------------------------------------------------- polygons
TEST(GraphicsPolygon, PixelCentresInsideAlternateRule) {
  Surface s;
  s.c.Pen().SetStyle(psClear);
  s.c.Brush().SetColor(clRed);
  TPoint sq[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  s.c.Polygon(sq, 4);
  EXPECT_EQ(s.At(0, 0), clRed);
  EXPECT_EQ(s.At(9, 9), clRed);
  EXPECT_EQ(s.At(10, 5), W);
  EXPECT_EQ(s.At(5, 10), W);
  EXPECT_EQ(s.Painted().size(), 100u);
  // With a pen the closed outline runs through the vertices: column 10 is painted.
  Surface o;
  o.c.Brush().SetColor(clRed);
  o.c.Polygon(sq, 4);
  EXPECT_EQ(o.At(10, 10), K);
  EXPECT_EQ(o.At(10, 3), K);
  EXPECT_EQ(o.At(11, 3), W);
  EXPECT_EQ(o.At(5, 5), clRed);
  EXPECT_EQ(o.Painted().size(), 121u);

  // Pentagram: the inner pentagon is crossed twice and stays empty.
  Surface p(60, 60);
  p.c.Pen().SetStyle(psClear);
  p.c.Brush().SetColor(clRed);
  std::vector<TPoint> star;
  for (int i = 0; i < 5; ++i) {
    double a = -M_PI / 2 + i * 4 * M_PI / 5;
    star.push_back({int(std::lround(30 + 28 * std::cos(a))), int(std::lround(30 + 28 * std::sin(a)))});
  }
  p.c.Polygon(star);
  EXPECT_EQ(p.At(30, 31), W);
  EXPECT_EQ(p.At(30, 8), clRed);  // the upper tip
  EXPECT_EQ(p.At(0, 0), W);

  // A triangle compared with a plain even-odd test at the pixel centres
  // (vertices chosen so that no centre lies on an edge).
  Surface t(40, 40);
  t.c.Pen().SetStyle(psClear);
  t.c.Brush().SetColor(clRed);
  TPoint tri[] = {{3, 1}, {37, 12}, {11, 35}};
  t.c.Polygon(tri, 3);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      double px = x + 0.5, py = y + 0.5;
      bool in = false;
      for (int i = 0, j = 2; i < 3; j = i++) {
        double xi = tri[i].X, yi = tri[i].Y, xj = tri[j].X, yj = tri[j].Y;
        if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
      }
      ASSERT_EQ(t.At(x, y), in ? clRed : W) << x << "," << y;
    }
}

// ---------------------------------------------------------------- flood fill
TEST(GraphicsFloodFill, SurfaceAndBorderModesAreFourConnected) {
  Surface s(20, 20);
  s.c.Rectangle(2, 2, 12, 10);
  s.c.Brush().SetColor(clRed);
  s.c.FloodFill(5, 5, clWhite, fsSurface);
  EXPECT_EQ(s.At(3, 3), clRed);
  EXPECT_EQ(s.At(10, 8), clRed);
  EXPECT_EQ(s.At(2, 5), K);
  EXPECT_EQ(s.At(1, 5), W);
  EXPECT_EQ(s.At(12, 5), W);
  // Diagonal gaps do not leak: a diagonal line separates two areas.
  Surface d(10, 10);
  d.c.MoveTo(0, 9);
  d.c.LineTo(10, -1);  // anti-diagonal x + y = 9
  d.c.Brush().SetColor(clBlue);
  d.c.FloodFill(0, 0, clWhite, fsSurface);
  EXPECT_EQ(d.At(0, 0), clBlue);
  EXPECT_EQ(d.At(4, 4), clBlue);
  EXPECT_EQ(d.At(5, 5), W);
  EXPECT_EQ(d.At(9, 9), W);
  // Border mode crosses other colours and stops at the border colour.
  Surface b(20, 20);
  b.c.Pen().SetColor(clGreen);
  b.c.Rectangle(0, 0, 15, 15);
  b.c.Pen().SetColor(clBlue);
  b.c.MoveTo(1, 7);
  b.c.LineTo(14, 7);
  b.c.Brush().SetColor(clRed);
  b.c.FloodFill(3, 3, clGreen, fsBorder);
  EXPECT_EQ(b.At(3, 7), clRed);
  EXPECT_EQ(b.At(13, 12), clRed);
  EXPECT_EQ(b.At(0, 5), clGreen);
  EXPECT_EQ(b.At(16, 5), W);
  // Starting on the wrong colour does nothing.
  Surface n(5, 5);
  n.c.Brush().SetColor(clRed);
  n.c.FloodFill(1, 1, clBlack, fsSurface);
  n.c.FloodFill(1, 1, clWhite, fsBorder);
  EXPECT_TRUE(n.Painted().empty());
}

// ---------------------------------------------------------------- clipping, pixels
TEST(GraphicsClip, EverythingStaysInsideTheClipRectangle) {
  Surface s(30, 30);
  s.c.SetClipRect(Rect(5, 5, 10, 10));
  EXPECT_EQ(s.c.ClipRect(), Rect(5, 5, 10, 10));
  s.c.Brush().SetColor(clRed);
  s.c.FillRect(Rect(0, 0, 30, 30));
  s.c.Ellipse(0, 0, 30, 30);
  s.c.MoveTo(0, 7);
  s.c.LineTo(30, 7);
  s.c.SetPixel(2, 2, clBlue);
  EXPECT_EQ(s.Painted().size(), 25u);
  EXPECT_EQ(s.At(5, 5), clRed);
  EXPECT_EQ(s.At(9, 7), K);
  EXPECT_EQ(s.At(10, 7), W);
  EXPECT_EQ(s.At(4, 7), W);
  EXPECT_EQ(s.c.Pixels(2, 2), clOutside);  // outside the clip rectangle
  EXPECT_EQ(s.c.Pixels(9, 7), K);
  s.c.ResetClip();
  EXPECT_EQ(s.c.ClipRect(), Rect(0, 0, 30, 30));
  s.c.SetPixel(2, 2, clBlue);
  EXPECT_EQ(s.c.Pixels(2, 2), clBlue);
  EXPECT_EQ(s.c.Pixels(30, 0), clOutside);
  EXPECT_EQ(s.c.Pixels(-1, 0), clOutside);
  EXPECT_EQ(static_cast<int32_t>(s.c.Pixels(0, 30)), -1);
  // A clip rectangle larger than the surface is cut to it.
  s.c.SetClipRect(Rect(-10, -10, 100, 100));
  EXPECT_EQ(s.c.ClipRect(), Rect(0, 0, 30, 30));
}

// ---------------------------------------------------------------- copying and stretching
TEST(GraphicsCopy, CopyModesAndOverlappingCopies) {
  TBitmap src(4, 4);
  src.Canvas().Brush().SetColor(RGB(0xF0, 0x0F, 0x55));
  src.Canvas().FillRect(Rect(0, 0, 4, 4));
  const TColor S = RGB(0xF0, 0x0F, 0x55), D = RGB(0x3C, 0xAA, 0x0F);
  struct Case {
    TCopyMode m;
    TColor want;
  } cases[] = {{cmSrcCopy, S},        {cmSrcInvert, (S ^ D) & 0xFFFFFF}, {cmSrcAnd, S & D},
               {cmSrcPaint, S | D},   {cmNotSrcCopy, ~S & 0xFFFFFF},     {cmBlackness, 0},
               {cmWhiteness, 0xFFFFFF}, {cmDstInvert, ~D & 0xFFFFFF},    {cmMergePaint, (~S | D) & 0xFFFFFF},
               {cmNotSrcErase, ~(S | D) & 0xFFFFFF}, {cmSrcErase, S & ~D & 0xFFFFFF}};
  for (const Case& k : cases) {
    Surface s(10, 10);
    s.c.Brush().SetColor(D);
    s.c.FillRect(Rect(0, 0, 10, 10));
    s.c.SetCopyMode(k.m);
    s.c.CopyRect(Rect(2, 2, 6, 6), src.Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(s.At(2, 2), k.want) << std::hex << k.m;
    EXPECT_EQ(s.At(5, 5), k.want) << std::hex << k.m;
    EXPECT_EQ(s.At(6, 6), D);
    EXPECT_EQ(s.At(1, 2), D);
  }
  // Source-invert twice restores.
  Surface x(10, 10);
  x.Noise(5);
  auto before = x.Snapshot();
  TBitmap noise(10, 10);
  for (int i = 0; i < 100; ++i) noise.Bits()[i] = 0xFF000000u | uint32_t(i * 0x2F1B3);
  x.c.SetCopyMode(cmSrcInvert);
  x.c.CopyRect(Rect(0, 0, 10, 10), noise.Canvas(), Rect(0, 0, 10, 10));
  x.c.CopyRect(Rect(0, 0, 10, 10), noise.Canvas(), Rect(0, 0, 10, 10));
  EXPECT_EQ(x.Snapshot(), before);
  // Scrolling a bitmap onto itself copies the original pixels.
  Surface r(6, 1);
  for (int i = 0; i < 6; ++i) r.bmp.Bits()[i] = 0xFF000000u | uint32_t(i);
  r.c.CopyRect(Rect(1, 0, 6, 1), r.c, Rect(0, 0, 5, 1));
  for (int i = 1; i < 6; ++i) EXPECT_EQ(r.bmp.Bits()[i], 0xFF000000u | uint32_t(i - 1));
  EXPECT_EQ(r.bmp.Bits()[0], 0xFF000000u);
}

TEST(GraphicsCopy, StretchNearestHalftoneMirrorAndTransparency) {
  TBitmap src(2, 2);
  const TColor A = clRed, B = clLime, C = clBlue, D = RGB(100, 100, 100);
  src.ScanLine(0)[0] = TBitmap::ColorToPixel(A);
  src.ScanLine(0)[1] = TBitmap::ColorToPixel(B);
  src.ScanLine(1)[0] = TBitmap::ColorToPixel(C);
  src.ScanLine(1)[1] = TBitmap::ColorToPixel(D);
  Surface s(10, 10);
  s.c.StretchDraw(Rect(1, 1, 5, 5), src);  // 2x enlargement: 2x2 blocks
  EXPECT_EQ(s.At(1, 1), A);
  EXPECT_EQ(s.At(2, 2), A);
  EXPECT_EQ(s.At(3, 1), B);
  EXPECT_EQ(s.At(2, 3), C);
  EXPECT_EQ(s.At(4, 4), D);
  EXPECT_EQ(s.At(5, 4), W);
  EXPECT_EQ(s.At(0, 1), W);
  // Mirrored destination.
  Surface m(4, 2);
  m.c.StretchDraw(Rect(2, 0, 0, 2), src);
  EXPECT_EQ(m.At(0, 0), B);
  EXPECT_EQ(m.At(1, 0), A);
  EXPECT_EQ(m.At(2, 0), W);
  // Halftone shrink 2x2 -> 1x1 averages.
  Surface h(3, 3);
  h.c.SetStretchBltMode(HALFTONE);
  h.c.StretchDraw(Rect(1, 1, 2, 2), src);
  EXPECT_EQ(h.At(1, 1), RGB((255 + 100 + 2) / 4, (255 + 100 + 2) / 4, (255 + 100 + 2) / 4));
  EXPECT_EQ(h.At(0, 0), W);
  // Nearest shrink picks the pixel under each destination centre.
  TBitmap big(4, 1);
  for (int i = 0; i < 4; ++i) big.Bits()[i] = TBitmap::ColorToPixel(RGB(i * 10, 0, 0));
  Surface n(2, 1);
  n.c.StretchDraw(Rect(0, 0, 2, 1), big);
  EXPECT_EQ(n.At(0, 0), RGB(10, 0, 0));
  EXPECT_EQ(n.At(1, 0), RGB(30, 0, 0));
  // Transparent bitmaps skip their transparent colour (tmAuto: bottom-left pixel).
  Surface t(4, 4);
  t.c.Brush().SetColor(clYellow);
  t.c.FillRect(Rect(0, 0, 4, 4));
  src.SetTransparent(true);
  EXPECT_EQ(src.TransparentColor(), C);
  t.c.Draw(1, 1, src);
  EXPECT_EQ(t.At(1, 1), A);
  EXPECT_EQ(t.At(1, 2), clYellow);
  EXPECT_EQ(t.At(2, 2), D);
  EXPECT_EQ(t.At(3, 3), clYellow);
}

// ---------------------------------------------------------------- text
TEST(GraphicsText, AlignmentBackgroundAndClipping) {
  Surface s(200, 60);
  TCanvas& c = s.c;
  c.Font().SetHeight(-16);
  TSize ext = c.TextExtent("Hello");
  ASSERT_GT(ext.cx, 20);
  ASSERT_GT(ext.cy, 14);
  EXPECT_EQ(c.TextWidth(""), 0);
  EXPECT_EQ(c.TextHeight("x"), ext.cy);
  // Opaque (solid brush): the whole cell takes the brush colour or text.
  c.Brush().SetColor(clYellow);
  c.TextOut(10, 10, "Hello");
  for (int y = 10; y < 10 + ext.cy; ++y) {
    for (int x = 10; x < 10 + ext.cx; ++x) ASSERT_NE(s.At(x, y), W) << x << "," << y;
    EXPECT_EQ(s.At(9, y), W);
    EXPECT_EQ(s.At(10 + ext.cx, y), W);
  }
  for (int x = 10; x < 10 + ext.cx; ++x) {
    EXPECT_EQ(s.At(x, 9), W);
    EXPECT_EQ(s.At(x, 10 + ext.cy), W);
  }
  // Right and bottom alignment put the cell left of and above the point.
  Surface r(200, 60);
  r.c.Font().SetHeight(-16);
  r.c.Brush().SetColor(clYellow);
  r.c.SetTextAlign(TA_RIGHT | TA_BOTTOM);
  r.c.TextOut(100, 40, "Hello");
  EXPECT_NE(r.At(99, 39), W);
  EXPECT_NE(r.At(100 - ext.cx, 40 - ext.cy), W);
  EXPECT_EQ(r.At(100, 39), W);
  EXPECT_EQ(r.At(99, 40), W);
  EXPECT_EQ(r.At(99 - ext.cx, 39), W);
  // Transparent background: text pixels only, in the font colour.
  Surface t(200, 60);
  t.c.Font().SetHeight(-16);
  t.c.Font().SetColor(clBlue);
  t.c.Brush().SetStyle(bsClear);
  EXPECT_EQ(t.c.BkMode(), TRANSPARENT);
  t.c.TextOut(10, 10, "Hello");
  auto painted = t.Painted();
  ASSERT_FALSE(painted.empty());
  EXPECT_LT(painted.size(), size_t(ext.cx * ext.cy / 2));
  bool pure = false;
  for (auto [x, y] : painted) {
    EXPECT_GE(x, 10);
    EXPECT_LT(x, 10 + ext.cx + 2);
    if (t.At(x, y) == clBlue) pure = true;
  }
  EXPECT_TRUE(pure);
  // TextRect fills its rectangle and clips the text to it.
  Surface q(200, 60);
  q.c.Font().SetHeight(-30);
  q.c.Brush().SetColor(clYellow);
  q.c.TextRect(Rect(20, 20, 40, 30), 15, 15, "WWWW");
  for (auto [x, y] : q.Painted()) {
    EXPECT_GE(x, 20);
    EXPECT_LT(x, 40);
    EXPECT_GE(y, 20);
    EXPECT_LT(y, 30);
  }
  EXPECT_EQ(q.Painted().size(), 200u);
}

TEST(GraphicsText, RotatedTextRunsUpwardsAndUpdatesThePenPosition) {
  Surface s(100, 200);
  s.c.Font().SetHeight(-16);
  s.c.Font().SetOrientation(900);
  s.c.Brush().SetStyle(bsClear);
  s.c.TextOut(30, 150, "Rotated");
  int w = s.c.TextWidth("Rotated");
  int minY = 999, maxY = -1, minX = 999, maxX = -1;
  for (auto [x, y] : s.Painted()) {
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
  }
  // Turned 90 degrees counter-clockwise about (30, 150): up from the point, cell to the right.
  EXPECT_LE(maxY, 150);
  EXPECT_GE(minY, 150 - w - 2);
  EXPECT_LT(minY, 150 - w / 2);
  EXPECT_GE(minX, 30);
  EXPECT_LE(maxX, 30 + 20);

  Surface u(200, 40);
  u.c.Brush().SetStyle(bsClear);
  u.c.SetTextAlign(TA_UPDATECP);
  u.c.MoveTo(5, 5);
  u.c.TextOut(0, 0, "ab");
  EXPECT_EQ(u.c.PenPos(), Point(5 + u.c.TextWidth("ab"), 5));
}

TEST(GraphicsCanvas, BackgroundModeFollowsTheBrushUntilSet) {
  TBitmap b(2, 2);
  TCanvas& c = b.Canvas();
  EXPECT_EQ(c.BkMode(), OPAQUE);
  c.Brush().SetStyle(bsCross);
  EXPECT_EQ(c.BkMode(), TRANSPARENT);
  c.SetBkMode(OPAQUE);
  EXPECT_EQ(c.BkMode(), OPAQUE);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetStyle(bsClear);
  EXPECT_EQ(c.BkMode(), TRANSPARENT);
  EXPECT_FALSE(c.IsPrinterCanvas());
  EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSY), 96);
  EXPECT_EQ(c.GetDeviceCaps(HORZRES), 2);
  EXPECT_EQ(c.RasterBitmap(), &b);
}

TEST(GraphicsLine, BezierRunsFromFirstToLastPointInclusive) {
  Surface s(40, 20);
  TPoint straight[] = {{2, 10}, {10, 10}, {20, 10}, {30, 10}};  // collinear: a straight line
  s.c.PolyBezier(straight, 4);
  for (int x = 2; x <= 30; ++x) EXPECT_EQ(s.At(x, 10), K) << x;
  EXPECT_EQ(s.At(31, 10), W);
  EXPECT_EQ(s.At(1, 10), W);
  EXPECT_EQ(s.Painted().size(), 29u);
  Surface c(40, 40);
  TPoint arch[] = {{2, 35}, {2, 2}, {37, 2}, {37, 35}};
  c.c.PolyBezier(arch, 4);
  EXPECT_EQ(c.At(2, 35), K);
  EXPECT_EQ(c.At(37, 35), K);
  // The curve stays inside the control polygon's hull and reaches its middle height
  // y = 35 - 0.75 * 33 at t = 1/2.
  int minY = 99;
  for (auto [x, y] : c.Painted()) {
    EXPECT_GE(x, 2);
    EXPECT_LE(x, 37);
    minY = std::min(minY, y);
  }
  EXPECT_NEAR(minY, 35 - 0.75 * 33, 1.0);
  // Fewer than four points draw nothing.
  Surface n(10, 10);
  n.c.PolyBezier(straight, 3);
  EXPECT_TRUE(n.Painted().empty());
}

TEST(GraphicsCopy, StretchFromBeyondTheSourceLeavesTheRestUntouched) {
  TBitmap src(4, 4);
  src.Canvas().Brush().SetColor(clRed);
  src.Canvas().FillRect(Rect(0, 0, 4, 4));
  for (int mode : {COLORONCOLOR, HALFTONE}) {
    Surface s(10, 10);
    s.c.SetStretchBltMode(mode);
    // Source rectangle twice as wide as the bitmap: the right half has no source.
    s.c.CopyRect(Rect(0, 0, 8, 4), src.Canvas(), Rect(0, 0, 8, 4));
    EXPECT_EQ(s.At(0, 0), clRed);
    EXPECT_EQ(s.At(3, 3), clRed);
    EXPECT_EQ(s.At(4, 0), W);
    EXPECT_EQ(s.At(7, 3), W);
    // A huge source rectangle mapped onto a few pixels.
    s.c.CopyRect(Rect(0, 5, 3, 8), src.Canvas(), Rect(-1000000000, -1000000000, 1000000000, 1000000000));
  }
}

// A canvas that only records what arrives: the contract for recording and
// printer canvases, which get images through StretchBitmap and measure text
// through the base class.
namespace {
class ProbeCanvas : public TCanvas {
 public:
  int stretchCalls = 0;
  TRect lastDest, lastSrc;
  TCopyMode lastRop = 0;
  bool lastTransparent = false;
  void StretchBitmap(const TRect& dest, const TBitmap&, const TRect& srcRect, TCopyMode rop, bool transparent,
                     TColor) override {
    ++stretchCalls;
    lastDest = dest;
    lastSrc = srcRect;
    lastRop = rop;
    lastTransparent = transparent;
  }
  bool IsPrinterCanvas() const override { return true; }
};
}  // namespace

TEST(GraphicsCanvas, DerivedCanvasesReceiveImagesThroughStretchBitmap) {
  ProbeCanvas p;
  TBitmap b(5, 3);
  p.Draw(10, 20, b);
  EXPECT_EQ(p.stretchCalls, 1);
  EXPECT_EQ(p.lastDest, Rect(10, 20, 15, 23));
  EXPECT_EQ(p.lastSrc, Rect(0, 0, 5, 3));
  EXPECT_EQ(p.lastRop, cmSrcCopy);
  b.SetTransparent(true);
  p.StretchDraw(Rect(0, 0, 50, 30), b);
  EXPECT_TRUE(p.lastTransparent);
  EXPECT_EQ(p.lastDest, Rect(0, 0, 50, 30));
  p.SetCopyMode(cmSrcAnd);
  p.CopyRect(Rect(1, 1, 3, 3), b.Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(p.stretchCalls, 3);
  EXPECT_EQ(p.lastRop, cmSrcAnd);
  ProbeCanvas q;
  b.Canvas().CopyRect(Rect(0, 0, 2, 2), q, Rect(0, 0, 2, 2));  // no pixels to copy from a recording canvas
  // Drawing calls of the base class do nothing; text is measured like everywhere.
  p.Rectangle(0, 0, 10, 10);
  p.LineTo(5, 6);
  EXPECT_EQ(p.PenPos(), Point(5, 6));
  EXPECT_EQ(p.Pixels(0, 0), clOutside);
  EXPECT_EQ(p.TextExtent("Hello"), b.Canvas().TextExtent("Hello"));
  EXPECT_TRUE(p.IsPrinterCanvas());
  p.SetClipRect(Rect(-5, -5, 5, 5));
  EXPECT_EQ(p.ClipRect(), Rect(-5, -5, 5, 5));  // no surface to cut it to
}

TEST(GraphicsText, CentreAndBaselineAlignmentOfTheCell) {
  Surface s(200, 80);
  s.c.Font().SetHeight(-20);
  s.c.Brush().SetColor(clYellow);
  int asc, desc, il, el, acw;
  s.c.GetTextMetrics(asc, desc, il, el, acw);
  int w = s.c.TextWidth("Mid");
  ASSERT_GT(asc, 10);
  EXPECT_EQ(s.c.TextHeight("Mid"), asc + desc);
  s.c.SetTextAlign(TA_CENTER | TA_BASELINE);
  s.c.TextOut(100, 50, "Mid");
  int left = 100 - w / 2, top = 50 - asc;
  EXPECT_NE(s.At(left, top), W);
  EXPECT_NE(s.At(left + w - 1, top + asc + desc - 1), W);
  EXPECT_EQ(s.At(left - 1, top + 2), W);
  EXPECT_EQ(s.At(left + w, top + 2), W);
  EXPECT_EQ(s.At(left + 2, top - 1), W);
  EXPECT_EQ(s.At(left + 2, top + asc + desc), W);
}

TEST(GraphicsCanvas, ExtremeCoordinatesAndWidthsAreSafe) {
  // Nothing here may overflow, hang or touch memory outside the bitmap.
  Surface s(16, 16);
  TCanvas& c = s.c;
  const int lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
  c.Brush().SetColor(clRed);
  c.Rectangle(lo, lo, hi, hi);
  c.Ellipse(lo, lo, hi, hi);
  c.RoundRect(lo, lo, hi, hi, hi, hi);
  c.Arc(lo, lo, hi, hi, hi, 0, lo, 0);
  c.Pie(lo, 0, hi, 16, hi, hi, lo, lo);
  c.FillRect(Rect(lo, lo, hi, hi));
  c.FrameRect(Rect(lo, lo, hi, hi));
  TPoint pts[] = {{lo, lo}, {hi, 3}, {5, hi}, {lo, hi}};
  c.Polygon(pts, 4);
  c.PolyBezier(pts, 4);
  c.MoveTo(lo, hi);
  c.LineTo(hi, lo);
  c.TextOut(lo, hi, "x");
  c.TextRect(Rect(lo, lo, hi, hi), hi, lo, "x");
  c.StretchDraw(Rect(lo, lo, hi, hi), s.bmp);
  c.Pen().SetWidth(hi);
  c.MoveTo(0, 0);
  c.LineTo(10, 10);
  c.Rectangle(2, 2, 10, 10);
  c.Ellipse(2, 2, 10, 10);
  c.Pie(0, 0, 16, 16, 16, 8, 8, 0);
  // A huge pen covers the whole surface with its colour.
  EXPECT_EQ(s.At(0, 15), K);
  EXPECT_EQ(s.At(15, 0), K);
}
