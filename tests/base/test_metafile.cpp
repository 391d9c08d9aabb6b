// Metafiles: replay against direct drawing, the recording format, and the SVG
// output rendered by an independent renderer (rsvg-convert).
#include <gtest/gtest.h>

#include <cairo.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_metafile.h"

using namespace zol;

namespace {

constexpr int W = 320, H = 240;

// A small image with four coloured quadrants and a white bottom-left corner.
void MakeImage(TBitmap& b) {
  b.SetSize(12, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      TColor c = x < 6 ? (y < 5 ? clRed : clLime) : (y < 5 ? clBlue : clYellow);
      b.ScanLine(y)[x] = TBitmap::ColorToPixel(c);
    }
  b.ScanLine(9)[0] = TBitmap::ColorToPixel(clWhite);
}

// Everything a chart does and more: all pen styles and modes, widths, brush
// hatches, shapes, text in several alignments and angles, images, clipping,
// pixels and a flood fill.  Reads no pixels back.
void BusyPicture(TCanvas& c, const TBitmap& img) {
  c.Brush().SetColor(RGB(250, 250, 235));
  c.FillRect(Rect(0, 0, W, H));
  const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
  for (int i = 0; i < 7; ++i) {
    c.Pen().SetStyle(styles[i]);
    c.Pen().SetColor(RGB(30 * i, 20, 200 - 20 * i));
    c.Pen().SetWidth(1);
    c.MoveTo(4, 4 + 5 * i);
    c.LineTo(150, 9 + 5 * i);
    c.Pen().SetWidth(2 + i % 3);
    c.MoveTo(160, 4 + 6 * i);
    c.LineTo(300, 12 + 6 * i);
  }
  // gaps of styled pens: opaque and transparent background
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(psDashDot);
  c.Brush().SetColor(clYellow);
  c.SetBkMode(OPAQUE);
  c.MoveTo(4, 44);
  c.LineTo(150, 44);
  c.SetBkMode(TRANSPARENT);
  c.MoveTo(4, 47);
  c.LineTo(150, 70);
  // all sixteen pen modes over a two-coloured band
  c.Pen().SetStyle(psSolid);
  c.Brush().SetColor(RGB(30, 144, 255));
  c.FillRect(Rect(160, 50, 320, 60));
  c.Brush().SetColor(clBlack);
  c.FillRect(Rect(160, 60, 320, 70));
  for (int m = 0; m < 16; ++m) {
    c.Pen().SetMode(TPenMode(m));
    c.Pen().SetColor(RGB(200, 100, 50));
    c.Pen().SetWidth(1 + m % 3);
    c.MoveTo(164 + 9 * m, 48);
    c.LineTo(166 + 9 * m, 72);
  }
  c.Pen().SetMode(pmXor);
  c.Brush().SetColor(clWhite);
  c.Rectangle(150, 46, 170, 66);
  c.Pen().SetMode(pmCopy);
  // shapes with solid, hatched and clear brushes
  const TBrushStyle brushes[] = {bsSolid, bsHorizontal, bsVertical, bsFDiagonal,
                                 bsBDiagonal, bsCross, bsDiagCross, bsClear};
  for (int i = 0; i < 8; ++i) {
    c.Brush().SetStyle(brushes[i]);
    c.Brush().SetColor(RGB(40 + 25 * i, 160, 90));
    c.Pen().SetColor(RGB(120, 0, 20 * i));
    c.Pen().SetWidth(1 + i % 4);
    c.Pen().SetStyle(i == 7 ? psClear : i == 6 ? psInsideFrame : psSolid);
    int x = 6 + 39 * i;
    c.Rectangle(x, 78, x + 30, 100);
    c.Ellipse(x, 104, x + 31, 128);
    c.RoundRect(x, 132, x + 33, 150, 12, 8);
  }
  c.Brush().SetStyle(bsSolid);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Brush().SetColor(RGB(255, 180, 180));
  c.Pie(4, 154, 54, 204, 54, 154, 4, 204);
  c.Pen().SetWidth(3);
  c.Chord(60, 154, 110, 204, 110, 180, 60, 160);
  c.Arc(116, 154, 166, 204, 116, 154, 166, 204);
  c.Pen().SetWidth(1);
  const std::vector<TPoint> star = {{200, 150}, {215, 200}, {175, 170}, {225, 170}, {185, 200}};
  c.Brush().SetColor(RGB(120, 200, 255));
  c.Polygon(star);
  c.Pen().SetWidth(2);
  c.Polyline(std::vector<TPoint>{{230, 150}, {250, 170}, {240, 190}, {270, 160}});
  c.Pen().SetWidth(1);
  c.PolyBezier(std::vector<TPoint>{{270, 200}, {280, 150}, {300, 230}, {315, 160}});
  c.Brush().SetColor(clMaroon);
  c.FrameRect(Rect(272, 204, 316, 236));
  // text
  c.Brush().SetColor(clWhite);
  c.Font().SetName("Arial");
  c.Font().SetHeight(-14);
  c.Font().SetColor(clNavy);
  c.SetTextAlign(TA_LEFT | TA_TOP);
  c.TextOut(8, 206, "Opaque text");
  c.Brush().SetStyle(bsClear);
  c.Font().SetStyle({fsBold, fsItalic});
  c.TextOut(8, 222, "Bold italic");
  c.Font().SetStyle({fsUnderline, fsStrikeOut});
  c.SetTextAlign(TA_CENTER | TA_BASELINE);
  c.TextOut(150, 222, "Centred");
  c.SetTextAlign(TA_RIGHT | TA_BOTTOM);
  c.Font().SetStyle({});
  c.Font().SetName("Times New Roman");
  c.Font().SetHeight(18);
  c.TextOut(268, 238, "Right");
  c.SetTextAlign(TA_LEFT | TA_TOP);
  c.Font().SetOrientation(900);
  c.Font().SetName("Courier New");
  c.TextOut(300, 120, "Up");
  c.Font().SetOrientation(450);
  c.TextOut(230, 130, "Slant");
  c.Font().SetOrientation(0);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(RGB(220, 255, 220));
  c.TextRect(Rect(100, 206, 150, 220), 96, 204, "Clipped text");
  // images: plain, stretched, transparent, copied
  c.Draw(300, 60, img);
  c.StretchDraw(Rect(276, 84, 312, 114), img);
  TBitmap t;
  t.Assign(img);
  t.SetTransparent(true);
  c.Draw(300, 200, t);
  c.CopyRect(Rect(240, 200, 258, 212), const_cast<TBitmap&>(img).Canvas(), Rect(2, 2, 11, 8));
  // clipping
  c.SetClipRect(Rect(120, 20, 150, 40));
  c.Brush().SetColor(clFuchsia);
  c.Ellipse(110, 10, 160, 50);
  c.ResetClip();
  // pixels and flood fill
  for (int i = 0; i < 10; ++i) c.SetPixel(310 + i % 3, 130 + i, RGB(25 * i, 0, 0));
  c.Pen().SetColor(clBlack);
  c.Brush().SetStyle(bsClear);
  c.Rectangle(60, 206, 90, 218);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clAqua);
  c.FloodFill(70, 210, clBlack, fsBorder);
}

std::string FirstDifference(const TBitmap& a, const TBitmap& b, int ox = 0, int oy = 0) {
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.GetPixel(x, y) != b.GetPixel(x + ox, y + oy)) {
        std::ostringstream s;
        s << "pixel (" << x << "," << y << "): direct " << std::hex << a.GetPixel(x, y) << ", replay "
          << b.GetPixel(x + ox, y + oy);
        return s.str();
      }
  return std::string();
}

void Record(TMetafile& mf, const TBitmap& img) {
  mf.SetSize(W, H);
  TMetafileCanvas mc(mf);
  BusyPicture(mc, img);
}

// ---------------------------------------------------------------- external renderers
bool HaveTool(const char* name) {
  std::string cmd = std::string("command -v ") + name + " > /dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

std::string TempPath(const std::string& name) {
  return GetTempDirectory() + "zol_mf_" + std::to_string(getpid()) + "_" + name;
}

// The pixels of a PNG file as 0x00RRGGBB (alpha composed over white).
struct Png {
  int W = 0, H = 0;
  std::vector<uint32_t> Px;
  bool Load(const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(s);
      return false;
    }
    W = cairo_image_surface_get_width(s);
    H = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char* d = cairo_image_surface_get_data(s);
    bool alpha = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
    Px.resize(size_t(W) * H);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        uint32_t p = reinterpret_cast<const uint32_t*>(d + y * stride)[x];
        unsigned a = alpha ? p >> 24 : 255;
        auto ch = [&](int sh) { return ((p >> sh) & 0xFF) + (255 - a); };  // premultiplied over white
        Px[size_t(y) * W + x] = (std::min(255u, ch(16)) << 16) | (std::min(255u, ch(8)) << 8) |
                                std::min(255u, ch(0));
      }
    cairo_surface_destroy(s);
    return true;
  }
  // As a TColor (red in the low byte).
  TColor At(int x, int y) const {
    uint32_t p = Px[size_t(y) * W + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

bool Near(TColor a, TColor b, int tol) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tol && std::abs(GetGValue(a) - GetGValue(b)) <= tol &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tol;
}

int Luma(TColor c) { return (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10; }

// Dark pixels (ink) in a box and their bounding box.
struct Ink {
  int Count = 0, L = 1 << 30, T = 1 << 30, R = -1, B = -1;
};
template <class F>
Ink InkIn(F colorAt, const TRect& box) {
  Ink k;
  for (int y = box.Top; y < box.Bottom; ++y)
    for (int x = box.Left; x < box.Right; ++x)
      if (Luma(colorAt(x, y)) < 128) {
        ++k.Count;
        k.L = std::min(k.L, x); k.R = std::max(k.R, x);
        k.T = std::min(k.T, y); k.B = std::max(k.B, y);
      }
  return k;
}

// The picture used for the independent renderers: areas large enough to be
// checked away from their edges.
void PlainPicture(TCanvas& c, const TBitmap& img) {
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, W, H));
  c.Brush().SetColor(RGB(200, 30, 40));
  c.FillRect(Rect(10, 10, 60, 50));
  c.Pen().SetColor(RGB(0, 128, 0));
  c.Pen().SetWidth(7);
  c.Brush().SetColor(RGB(40, 60, 220));
  c.Rectangle(80, 10, 150, 60);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(RGB(250, 200, 0));
  c.Ellipse(170, 10, 250, 70);
  c.Pen().SetWidth(9);
  c.Pen().SetColor(RGB(120, 0, 160));
  c.MoveTo(10, 80);
  c.LineTo(150, 120);
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(psDash);
  c.Pen().SetColor(clBlack);
  c.MoveTo(10, 140);
  c.LineTo(130, 140);
  c.Pen().SetStyle(psSolid);
  c.Brush().SetColor(clBlack);
  c.FillRect(Rect(170, 90, 310, 130));
  c.Pen().SetMode(pmXor);
  c.Pen().SetColor(clWhite);
  c.Pen().SetWidth(8);
  c.MoveTo(160, 110);
  c.LineTo(316, 110);
  c.Pen().SetMode(pmCopy);
  c.Pen().SetWidth(1);
  c.Brush().SetColor(RGB(0, 150, 0));
  c.Brush().SetStyle(bsHorizontal);
  c.Pen().SetStyle(psClear);
  c.Rectangle(170, 140, 230, 180);
  c.Pen().SetStyle(psSolid);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(RGB(255, 160, 60));
  c.Polygon(std::vector<TPoint>{{240, 140}, {310, 140}, {275, 190}});
  c.StretchDraw(Rect(10, 160, 58, 200), img);
  c.Brush().SetStyle(bsClear);
  c.Pen().SetColor(clBlack);
  c.Rectangle(240, 200, 270, 230);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clAqua);
  c.FloodFill(255, 215, clBlack, fsBorder);
  c.Brush().SetStyle(bsClear);
  c.Font().SetName("Arial");
  c.Font().SetHeight(-28);
  c.Font().SetStyle({fsBold});
  c.Font().SetColor(clBlack);
  c.TextOut(70, 190, "Hamburg");
  c.Font().SetOrientation(900);
  c.Font().SetHeight(-20);
  c.TextOut(290, 236, "Up");
}

}  // namespace

// ---------------------------------------------------------------- replay
TEST(Metafile, ReplayEqualsDirectDrawingPixelForPixel) {
  TBitmap img;
  MakeImage(img);
  TBitmap direct(W, H);
  BusyPicture(direct.Canvas(), img);

  TMetafile mf;
  Record(mf, img);
  EXPECT_GT(mf.RecordCount(), 80);
  TBitmap replay(W, H);
  replay.Canvas().Draw(0, 0, mf);
  EXPECT_EQ(FirstDifference(direct, replay), "");

  // At an offset onto a larger canvas: the same pixels there, nothing outside
  // the frame.  (Hatches keep their 8-pixel grid on the surface, so the offset
  // is a multiple of 8.)
  TBitmap big(W + 40, H + 30);
  big.Canvas().Brush().SetColor(clGray);
  big.Canvas().FillRect(Rect(0, 0, W + 40, H + 30));
  big.Canvas().Draw(24, 16, mf);
  EXPECT_EQ(FirstDifference(direct, big, 24, 16), "");
  EXPECT_EQ(big.GetPixel(23, 100), clGray);
  EXPECT_EQ(big.GetPixel(24 + W, 100), clGray);
  EXPECT_EQ(big.GetPixel(100, 16 + H), clGray);
}

TEST(Metafile, ReplayKeepsTheTargetCanvasState) {
  TBitmap img;
  MakeImage(img);
  TMetafile mf;
  Record(mf, img);
  TBitmap b(W, H);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(clTeal);
  c.Pen().SetWidth(3);
  c.Brush().SetColor(clOlive);
  c.Font().SetHeight(-20);
  c.SetTextAlign(TA_RIGHT);
  c.SetClipRect(Rect(0, 0, 100, 100));
  c.MoveTo(5, 6);
  c.Draw(0, 0, mf);
  EXPECT_EQ(c.Pen().Color(), clTeal);
  EXPECT_EQ(c.Pen().Width(), 3);
  EXPECT_EQ(c.Brush().Color(), clOlive);
  EXPECT_EQ(c.Font().Height(), -20);
  EXPECT_EQ(c.TextAlign(), TA_RIGHT);
  EXPECT_EQ(c.ClipRect(), Rect(0, 0, 100, 100));
  EXPECT_EQ(c.PenPos(), Point(5, 6));
  // the target's clip rectangle limited the replay
  EXPECT_EQ(b.GetPixel(200, 150), clWhite);
}

TEST(Metafile, StretchedReplayScalesShapes) {
  TMetafile mf;
  mf.SetSize(100, 50);
  {
    TMetafileCanvas mc(mf);
    mc.Brush().SetColor(clRed);
    mc.FillRect(Rect(0, 0, 50, 50));
    mc.Brush().SetColor(clBlue);
    mc.FillRect(Rect(50, 0, 100, 50));
  }
  TBitmap b(300, 100);
  b.Canvas().StretchDraw(Rect(0, 0, 200, 100), mf);
  EXPECT_EQ(b.GetPixel(5, 5), clRed);
  EXPECT_EQ(b.GetPixel(99, 99), clRed);
  EXPECT_EQ(b.GetPixel(100, 0), clBlue);
  EXPECT_EQ(b.GetPixel(199, 50), clBlue);
  EXPECT_EQ(b.GetPixel(200, 50), clWhite);
}

TEST(Metafile, RecordingCanvasAnswersLikeARasterCanvas) {
  TMetafile mf;
  mf.SetSize(200, 100);
  TMetafileCanvas mc(mf);
  TBitmap b(200, 100);
  for (TCanvas* c : {static_cast<TCanvas*>(&mc), &b.Canvas()}) {
    c->Font().SetName("Arial");
    c->Font().SetHeight(-17);
  }
  EXPECT_EQ(mc.TextExtent("Layout 123"), b.Canvas().TextExtent("Layout 123"));
  EXPECT_FALSE(mc.IsPrinterCanvas());
  EXPECT_EQ(mc.GetDeviceCaps(LOGPIXELSX), 96);
  EXPECT_EQ(mc.GetDeviceCaps(HORZRES), 200);
  EXPECT_EQ(mc.Pixels(3, 3), clOutside);
  // LineTo moves the pen position as on every canvas
  mc.MoveTo(1, 2);
  mc.LineTo(30, 40);
  EXPECT_EQ(mc.PenPos(), Point(30, 40));
}

TEST(Metafile, SizeFromDrawnExtentWhenUnset) {
  TMetafile mf;
  {
    TMetafileCanvas mc(mf);
    mc.Rectangle(10, 10, 120, 70);
  }
  EXPECT_GE(mf.Width(), 120);
  EXPECT_GE(mf.Height(), 70);
  EXPECT_LE(mf.Width(), 125);
  mf.Clear();
  EXPECT_TRUE(mf.Empty());
  EXPECT_EQ(mf.RecordCount(), 0);
}

TEST(Metafile, ExtremeCoordinatesStayDefined) {
  const int M = std::numeric_limits<int>::max(), m = std::numeric_limits<int>::min();
  auto pic = [&](TCanvas& c) {
    c.Brush().SetColor(clRed);
    c.Rectangle(m, m, 50, 40);
    c.Pen().SetWidth(3);
    c.MoveTo(m, 20);
    c.LineTo(M, 25);
    c.Brush().SetStyle(bsClear);
    c.Ellipse(10, 10, M, M);
    c.RoundRect(m, 30, 60, 90, 100000, 100000);
    c.Font().SetHeight(-12);
    c.TextOut(M, 5, "x");
    c.SetClipRect(Rect(m, m, M, M));
    c.Pie(-(1 << 29), -(1 << 29), 1 << 29, 1 << 29, 0, 0, 1, 1);
  };
  TBitmap direct(80, 60);
  pic(direct.Canvas());
  TMetafile mf;
  mf.SetSize(80, 60);
  {
    TMetafileCanvas mc(mf);
    pic(mc);
  }
  TBitmap replay(80, 60);
  replay.Canvas().Draw(0, 0, mf);
  EXPECT_EQ(FirstDifference(direct, replay), "");
  TBitmap shifted(80, 60);
  shifted.Canvas().Draw(1 << 30, -(1 << 30), mf);
  shifted.Canvas().StretchDraw(Rect(0, 0, 80000, 3), mf);
  EXPECT_FALSE(mf.AsSVG().empty());
  std::string path = TempPath("extreme.pdf");
  mf.SaveToPDFFile(path);
  EXPECT_TRUE(FileExists(path));
  DeleteFile(path);
}

// ---------------------------------------------------------------- recording format
TEST(Metafile, RecordingFormatRoundTrip) {
  TBitmap img;
  MakeImage(img);
  TMetafile mf;
  Record(mf, img);
  mf.SetMMWidth(8467);
  TMemoryStream ms;
  mf.SaveRecordingToStream(ms);
  ms.SetPosition(0);
  TMetafile back;
  ASSERT_TRUE(back.LoadFromStream(ms));
  EXPECT_EQ(back.Width(), W);
  EXPECT_EQ(back.Height(), H);
  EXPECT_EQ(back.MMWidth(), 8467);
  EXPECT_EQ(back.RecordCount(), mf.RecordCount());
  TBitmap a(W, H), b(W, H);
  a.Canvas().Draw(0, 0, mf);
  b.Canvas().Draw(0, 0, back);
  EXPECT_EQ(FirstDifference(a, b), "");

  // through a file named .zolmf; Assign copies
  std::string path = TempPath("rt.zolmf");
  mf.SaveToFile(path);
  TMetafile fromFile;
  EXPECT_TRUE(fromFile.LoadFromFile(path));
  EXPECT_EQ(fromFile.RecordCount(), mf.RecordCount());
  DeleteFile(path);
  TMetafile copy;
  copy.Assign(mf);
  TBitmap c(W, H);
  c.Canvas().Draw(0, 0, copy);
  EXPECT_EQ(FirstDifference(a, c), "");
}

// Records without points, text or image are the shortest a recording holds
// (39 bytes); a recording made of only such records must read back.
TEST(Metafile, RecordingOfShortestRecordsReadsBack) {
  for (int n : {1, 2, 40}) {
    TMetafile mf;
    mf.SetSize(30, 20);
    {
      TMetafileCanvas mc(mf);
      mc.Brush().SetColor(clRed);
      for (int i = 0; i < n; ++i) mc.FillRect(Rect(i % 10, 0, i % 10 + 5, 5));
    }
    ASSERT_EQ(mf.RecordCount(), n);
    TMemoryStream ms;
    mf.SaveRecordingToStream(ms);
    ms.SetPosition(0);
    TMetafile back;
    ASSERT_TRUE(back.LoadRecordingFromStream(ms)) << n << " records";
    EXPECT_EQ(back.RecordCount(), n);
    TBitmap a(30, 20), b(30, 20);
    a.Canvas().Draw(0, 0, mf);
    b.Canvas().Draw(0, 0, back);
    EXPECT_EQ(FirstDifference(a, b), "");
    // one byte short is refused
    TStringStream cut(std::string(reinterpret_cast<const char*>(ms.Memory()), size_t(ms.Size() - 1)));
    TMetafile m;
    EXPECT_FALSE(m.LoadRecordingFromStream(cut));
  }
}

TEST(Metafile, DamagedRecordingsAreRefused) {
  TBitmap img;
  MakeImage(img);
  TMetafile mf;
  mf.SetSize(50, 40);
  {
    TMetafileCanvas mc(mf);
    mc.Rectangle(1, 1, 20, 20);
    mc.TextOut(2, 2, "abc");
    mc.Draw(5, 5, img);
  }
  TMemoryStream ms;
  mf.SaveRecordingToStream(ms);
  std::string bytes(reinterpret_cast<const char*>(ms.Memory()), size_t(ms.Size()));
  // every truncation fails cleanly and leaves the metafile empty
  for (size_t n = 0; n < bytes.size(); n += 7) {
    TStringStream s(bytes.substr(0, n));
    TMetafile m;
    EXPECT_FALSE(m.LoadFromStream(s)) << n;
    EXPECT_TRUE(m.Empty());
  }
  // huge counts and image sizes are checked against the data before allocating
  auto patched = [&](size_t off, uint32_t v) {
    std::string b = bytes;
    for (int i = 0; i < 4; ++i) b[off + i] = char((v >> (8 * i)) & 0xFF);
    TStringStream s(b);
    TMetafile m;
    return m.LoadFromStream(s);
  };
  EXPECT_FALSE(patched(28, 0x7FFFFFFF));  // state count
  // random damage never crashes
  uint32_t seed = 12345;
  for (int k = 0; k < 300; ++k) {
    std::string b = bytes;
    for (int j = 0; j < 4; ++j) {
      seed = seed * 1103515245u + 12345u;
      b[8 + (seed >> 8) % (b.size() - 8)] = char(seed >> 24);
    }
    TStringStream s(b);
    TMetafile m;
    if (m.LoadFromStream(s)) {
      TBitmap t(50, 40);
      t.Canvas().Draw(0, 0, m);
      (void)m.AsSVG();
    }
  }
  // SVG text is no recording
  TStringStream svg(mf.AsSVG());
  TMetafile m;
  EXPECT_FALSE(m.LoadFromStream(svg));
}

// ---------------------------------------------------------------- SVG
TEST(Metafile, SvgIsWellFormedAndCarriesTheDrawing) {
  TBitmap img;
  MakeImage(img);
  TMetafile mf;
  mf.SetSize(W, H);
  {
    TMetafileCanvas mc(mf);
    PlainPicture(mc, img);
    mc.Font().SetOrientation(0);
    mc.TextOut(5, 5, "a<b & \"c\"");
  }
  std::string svg = mf.AsSVG();
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("viewBox=\"0 0 320 240\""), std::string::npos);
  EXPECT_NE(svg.find("a&lt;b &amp; &quot;c&quot;"), std::string::npos);
  EXPECT_NE(svg.find("font-family=\"Liberation Sans\""), std::string::npos);
  EXPECT_NE(svg.find("font-weight=\"bold\""), std::string::npos);
  EXPECT_NE(svg.find("rotate(-90 290 236)"), std::string::npos);
  EXPECT_NE(svg.find("data:image/png;base64,iVBORw0KGgo"), std::string::npos);  // PNG signature
  EXPECT_NE(svg.find("stroke-dasharray=\"18,6\""), std::string::npos);
  EXPECT_NE(svg.find("mix-blend-mode:difference"), std::string::npos);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

TEST(Metafile, SvgRenderedIndependentlyMatchesTheRasterCanvas) {
  if (!HaveTool("rsvg-convert")) GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
  TBitmap img;
  MakeImage(img);
  TBitmap direct(W, H);
  PlainPicture(direct.Canvas(), img);
  TMetafile mf;
  mf.SetSize(W, H);
  {
    TMetafileCanvas mc(mf);
    PlainPicture(mc, img);
  }
  std::string svgPath = TempPath("plain.svg"), pngPath = TempPath("plain.png");
  mf.SaveToFile(svgPath);
  std::string cmd = "rsvg-convert -w 320 -h 240 -b white -o '" + pngPath + "' '" + svgPath + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  Png png;
  ASSERT_TRUE(png.Load(pngPath));
  DeleteFile(svgPath);
  DeleteFile(pngPath);
  ASSERT_EQ(png.W, W);
  ASSERT_EQ(png.H, H);

  // Places away from edges: inside fills, on thick lines, on the background.
  const TPoint places[] = {
      {35, 30},    // filled rectangle
      {115, 35},   // rectangle interior
      {81, 35},    // on the 7-pixel outline
      {115, 12},   // on the outline's top
      {210, 40},   // ellipse interior
      {80, 100},   // on the 9-pixel diagonal line
      {40, 139},   // white gap of the dashed line? checked below
      {200, 100},  // black box
      {200, 110},  // XOR of white over black: white
      {165, 110},  // XOR of white over white: black
      {275, 155},  // polygon
      {20, 170},   // image red quadrant, stretched x4
      {50, 195},   // image yellow quadrant
      {255, 215},  // flood fill
      {244, 204},  // flood fill
      {300, 20},   // background
      {160, 200},  // background
  };
  for (const TPoint& p : places) {
    if (p.X == 40) continue;
    EXPECT_TRUE(Near(png.At(p.X, p.Y), direct.GetPixel(p.X, p.Y), 40))
        << "at (" << p.X << "," << p.Y << ") svg " << std::hex << png.At(p.X, p.Y) << " raster "
        << direct.GetPixel(p.X, p.Y);
  }
  // dashes of 18 on, 6 off from the start of the line
  for (int x : {15, 25, 40, 50, 55}) {
    bool on = (x - 10) % 24 < 18;
    EXPECT_EQ(Luma(png.At(x, 140)) < 128, on) << "dash at x=" << x;
    EXPECT_EQ(Luma(direct.GetPixel(x, 140)) < 128, on) << "raster dash at x=" << x;
  }
  // horizontal hatch: a line every 8 pixels from the surface origin
  EXPECT_TRUE(Near(png.At(200, 144), RGB(0, 150, 0), 60));
  EXPECT_TRUE(Near(png.At(200, 148), clWhite, 10));
  // text: the ink is about the same amount at about the same place
  auto svgAt = [&](int x, int y) { return png.At(x, y); };
  auto rasAt = [&](int x, int y) { return direct.GetPixel(x, y); };
  TRect textBox(60, 185, 260, 230);
  Ink a = InkIn(rasAt, textBox), b = InkIn(svgAt, textBox);
  ASSERT_GT(a.Count, 200);
  EXPECT_NEAR(b.Count, a.Count, a.Count * 0.3);
  EXPECT_NEAR(b.L, a.L, 3);
  EXPECT_NEAR(b.R, a.R, 4);
  EXPECT_NEAR(b.T, a.T, 3);
  EXPECT_NEAR(b.B, a.B, 3);
  TRect upBox(280, 190, 320, 240);
  Ink c = InkIn(rasAt, upBox), d = InkIn(svgAt, upBox);
  ASSERT_GT(c.Count, 50);
  EXPECT_NEAR(d.Count, c.Count, c.Count * 0.35);
  EXPECT_NEAR(d.T, c.T, 3);
  EXPECT_NEAR(d.L, c.L, 3);
}
