// Drawing surface, pens, brushes, fonts and the 32-bit bitmap.
//
// The raster canvas builds every primitive as sets of pixel spans (pen,
// pen-gap and brush parts), each pixel at most once per call, and then paints
// the spans with the raster operation.  That keeps exclusive-or drawing
// reversible: the same call made twice restores the picture.
#include "base/platform/Zol_graphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "base/platform/Zol_fontengine.h"

namespace zol {

// ============================================================== colours
namespace {
// The platform palette of the system colours, indexed by the low byte.
constexpr TColor kSystemPalette[] = {
    RGB(200, 200, 200),  // 0  clScrollBar
    RGB(0, 0, 0),        // 1  clBackground
    RGB(153, 180, 209),  // 2  clActiveCaption
    RGB(191, 205, 219),  // 3  clInactiveCaption
    RGB(240, 240, 240),  // 4  clMenu
    RGB(255, 255, 255),  // 5  clWindow
    RGB(100, 100, 100),  // 6  clWindowFrame
    RGB(0, 0, 0),        // 7  clMenuText
    RGB(0, 0, 0),        // 8  clWindowText
    RGB(0, 0, 0),        // 9  clCaptionText
    RGB(180, 180, 180),  // 10 clActiveBorder
    RGB(244, 247, 252),  // 11 clInactiveBorder
    RGB(171, 171, 171),  // 12 clAppWorkSpace
    RGB(0, 120, 215),    // 13 clHighlight
    RGB(255, 255, 255),  // 14 clHighlightText
    RGB(240, 240, 240),  // 15 clBtnFace
    RGB(160, 160, 160),  // 16 clBtnShadow
    RGB(109, 109, 109),  // 17 clGrayText
    RGB(0, 0, 0),        // 18 clBtnText
    RGB(0, 0, 0),        // 19 clInactiveCaptionText
    RGB(255, 255, 255),  // 20 clBtnHighlight
    RGB(105, 105, 105),  // 21 cl3DDkShadow
    RGB(227, 227, 227),  // 22 cl3DLight
    RGB(0, 0, 0),        // 23 clInfoText
    RGB(255, 255, 225),  // 24 clInfoBk
    RGB(0, 0, 0),        // 25 (unused)
    RGB(0, 102, 204),    // 26 clHotLight
    RGB(185, 209, 234),  // 27 clGradientActiveCaption
    RGB(215, 228, 242),  // 28 clGradientInactiveCaption
    RGB(51, 153, 255),   // 29 clMenuHighlight
    RGB(240, 240, 240),  // 30 clMenuBar
};
}  // namespace

TColor ColorToRGB(TColor c) {
  if (c == clNone || c == clDefault) return clBlack;
  if ((c & 0xFF000000u) == clSystemColor) {
    uint32_t idx = c & 0x00FFFFFFu;
    if (idx < std::size(kSystemPalette)) return kSystemPalette[idx];
    return clBlack;
  }
  return c & 0x00FFFFFFu;
}

// ============================================================== rectangles
bool IntersectRect(TRect& Dest, const TRect& a, const TRect& b) {
  TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom));
  if (r.IsEmpty()) {
    Dest = TRect();
    return false;
  }
  Dest = r;
  return true;
}

bool UnionRect(TRect& Dest, const TRect& a, const TRect& b) {
  if (a.IsEmpty()) {
    Dest = b.IsEmpty() ? TRect() : b;
    return !b.IsEmpty();
  }
  if (b.IsEmpty()) {
    Dest = a;
    return true;
  }
  Dest = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
               std::max(a.Bottom, b.Bottom));
  return true;
}

void InflateRect(TRect& r, int dx, int dy) {
  r.Left -= dx;
  r.Right += dx;
  r.Top -= dy;
  r.Bottom += dy;
}

void OffsetRect(TRect& r, int dx, int dy) {
  r.Left += dx;
  r.Right += dx;
  r.Top += dy;
  r.Bottom += dy;
}

bool IsRectEmpty(const TRect& r) { return r.IsEmpty(); }

// ============================================================== pen, brush, font
void TGraphicsObject::Changed() {
  ++FChangeCount;
  if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}
void TPen::SetWidth(int v) {
  v = std::max(1, v);
  if (v == FWidth) return;
  FWidth = v;
  Changed();
}
void TPen::SetStyle(TPenStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}
void TPen::SetMode(TPenMode v) {
  if (v == FMode) return;
  FMode = v;
  Changed();
}
void TPen::Assign(const TPersistent& Source) {
  if (auto p = dynamic_cast<const TPen*>(&Source)) {
    if (p == this) return;
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}
void TBrush::SetStyle(TBrushStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}
void TBrush::Assign(const TPersistent& Source) {
  if (auto p = dynamic_cast<const TBrush*>(&Source)) {
    if (p == this) return;
    FColor = p->FColor;
    FStyle = p->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

namespace {
// a * b / c rounded half away from zero (c > 0).
int MulDiv(int a, int b, int c) {
  int64_t n = int64_t(a) * b;
  int64_t q = (std::llabs(n) * 2 + c) / (2 * int64_t(c));
  return static_cast<int>(n < 0 ? -q : q);
}
}  // namespace

void TFont::SetName(const std::string& v) {
  if (v == FName) return;
  FName = v;
  Changed();
}
int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, FPixelsPerInch, 72)); }
void TFont::SetHeight(int v) {
  if (v == FHeight) return;
  FHeight = v;
  Changed();
}
void TFont::SetStyle(TFontStyles v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}
void TFont::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}
void TFont::SetPixelsPerInch(int v) {
  v = std::max(1, v);
  if (v == FPixelsPerInch) return;
  FPixelsPerInch = v;
  Changed();
}
void TFont::SetOrientation(int v) {
  if (v == FOrientation) return;
  FOrientation = v;
  Changed();
}
void TFont::SetPitch(TFontPitch v) {
  if (v == FPitch) return;
  FPitch = v;
  Changed();
}
void TFont::SetCharset(TFontCharset v) {
  if (v == FCharset) return;
  FCharset = v;
  Changed();
}
void TFont::Assign(const TPersistent& Source) {
  if (auto p = dynamic_cast<const TFont*>(&Source)) {
    if (p == this) return;
    FName = p->FName;
    // The character size is kept in points when the resolutions differ.
    FHeight = p->FPixelsPerInch == FPixelsPerInch ? p->FHeight
                                                  : -MulDiv(p->Size(), FPixelsPerInch, 72);
    FStyle = p->FStyle;
    FColor = p->FColor;
    FOrientation = p->FOrientation;
    FPitch = p->FPitch;
    FCharset = p->FCharset;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ============================================================== text helpers
namespace {
TFontSpec MakeFontSpec(const TFont& f) {
  TFontSpec s;
  s.Name = f.Name();
  s.Bold = f.Style().Contains(fsBold);
  s.Italic = f.Style().Contains(fsItalic);
  s.Underline = f.Style().Contains(fsUnderline);
  s.StrikeOut = f.Style().Contains(fsStrikeOut);
  s.Orientation = f.Orientation();
  int h = f.Height();
  if (h < 0) {
    s.EmPixels = -h;
  } else if (h > 0) {
    // A positive height is the cell height: find the em size that gives it.
    s.EmPixels = h;
    TFontMetrics m = FontEngine::Metrics(s);
    if (m.Height > 0) s.EmPixels = std::max(1, MulDiv(h, h, m.Height));
  } else {
    s.EmPixels = MulDiv(8, f.PixelsPerInch(), 72);  // the default size
  }
  s.EmPixels = std::clamp(s.EmPixels, 1, FontEngine::MaxEmPixels);
  return s;
}
}  // namespace

// ============================================================== TCanvas (state)
TCanvas::TCanvas()
    : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()), FFont(std::make_unique<TFont>()) {
  FBkModeStamp = FBrush->ChangeCount();
}
TCanvas::~TCanvas() = default;

void TCanvas::SetPenPos(const TPoint& p) { FPenPos = p; }
void TCanvas::SetTextAlign(unsigned f) { FTextAlign = f; }
int TCanvas::BkMode() const {
  if (FBkModeStamp == FBrush->ChangeCount()) return FBkMode;
  return FBrush->Style() == bsSolid ? OPAQUE : TRANSPARENT;
}
void TCanvas::SetBkMode(int m) {
  FBkMode = (m == TRANSPARENT) ? TRANSPARENT : OPAQUE;
  FBkModeStamp = FBrush->ChangeCount();
}
void TCanvas::SetStretchBltMode(int m) { FStretchBltMode = m; }
void TCanvas::SetCopyMode(TCopyMode m) { FCopyMode = m; }

TRect TCanvas::ClipRect() const {
  if (!FHasClip) return SurfaceRect();
  if (Width() > 0 || Height() > 0) {
    TRect r;
    IntersectRect(r, FClipRect, SurfaceRect());
    return r;
  }
  return FClipRect;
}
void TCanvas::SetClipRect(const TRect& r) {
  FClipRect = r;
  FHasClip = true;
}
void TCanvas::ResetClip() {
  FHasClip = false;
  FClipRect = TRect();
}

void TCanvas::LineTo(int x, int y) { FPenPos = {x, y}; }
void TCanvas::Polyline(const TPoint*, int) {}
void TCanvas::Polygon(const TPoint*, int) {}
void TCanvas::PolyBezier(const TPoint*, int) {}
void TCanvas::Rectangle(int, int, int, int) {}
void TCanvas::FillRect(const TRect&) {}
void TCanvas::FrameRect(const TRect&) {}
void TCanvas::Ellipse(int, int, int, int) {}
void TCanvas::RoundRect(int, int, int, int, int, int) {}
void TCanvas::Arc(int, int, int, int, int, int, int, int) {}
void TCanvas::Pie(int, int, int, int, int, int, int, int) {}
void TCanvas::Chord(int, int, int, int, int, int, int, int) {}
void TCanvas::FloodFill(int, int, TColor, TFillStyle) {}
TColor TCanvas::Pixels(int, int) { return clOutside; }
void TCanvas::SetPixel(int, int, TColor) {}
void TCanvas::TextOut(int, int, const std::string&) {}
void TCanvas::TextRect(const TRect&, int, int, const std::string&) {}

TSize TCanvas::TextExtent(const std::string& text) {
  TFontSpec s = MakeFontSpec(*FFont);
  TFontMetrics m = FontEngine::Metrics(s);
  return TSize(FontEngine::TextWidth(s, text), m.Height);
}

void TCanvas::GetTextMetrics(int& ascent, int& descent, int& internalLeading, int& externalLeading,
                             int& aveCharWidth) {
  TFontMetrics m = FontEngine::Metrics(MakeFontSpec(*FFont));
  ascent = m.Ascent;
  descent = m.Descent;
  internalLeading = m.InternalLeading;
  externalLeading = m.ExternalLeading;
  aveCharWidth = m.AveCharWidth;
}

void TCanvas::Draw(int x, int y, const TGraphic& g) {
  if (g.Empty()) return;
  g.Draw(*this, Bounds(x, y, g.Width(), g.Height()));
}

void TCanvas::StretchDraw(const TRect& r, const TGraphic& g) {
  if (g.Empty()) return;
  g.Draw(*this, r);
}

void TCanvas::StretchBitmap(const TRect&, const TBitmap&, const TRect&, TCopyMode, bool, TColor) {}

void TCanvas::CopyRect(const TRect& dest, TCanvas& src, const TRect& srcRect) {
  TBitmap* b = src.RasterBitmap();
  if (!b) return;
  StretchBitmap(dest, *b, srcRect, FCopyMode);
}

int TCanvas::GetDeviceCaps(int index) const {
  switch (index) {
    case HORZRES:
    case PHYSICALWIDTH: return Width();
    case VERTRES:
    case PHYSICALHEIGHT: return Height();
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case HORZSIZE: return MulDiv(Width(), 254, 960);
    case VERTSIZE: return MulDiv(Height(), 254, 960);
    case BITSPIXEL: return 32;
    default: return 0;
  }
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}
void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

// ============================================================== TGraphic
bool TGraphic::LoadFromFile(const std::string& fileName) {
  try {
    TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
    return LoadFromStream(fs);
  } catch (const Exception&) {
    return false;
  }
}

void TGraphic::SaveToFile(const std::string& fileName) const {
  TFileStream fs(fileName, fmCreate);
  SaveToStream(fs);
}

void TGraphic::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Changed();
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

// ============================================================== TBitmap (non-codec part)
TBitmap::TBitmap() = default;
TBitmap::TBitmap(int width, int height) { SetSize(width, height); }
TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == FWidth && height == FHeight) return;
  if (int64_t(width) * height > (int64_t(1) << 28))
    throw EOutOfMemory("TBitmap.SetSize: " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels is too large");
  std::vector<uint32_t> px(size_t(width) * size_t(height), 0xFFFFFFFFu);
  int cw = std::min(width, FWidth), ch = std::min(height, FHeight);
  for (int y = 0; cw > 0 && y < ch; ++y)
    std::memcpy(px.data() + size_t(y) * width, FPixels.data() + size_t(y) * FWidth, size_t(cw) * 4);
  FPixels.swap(px);
  FWidth = width;
  FHeight = height;
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat pf) {
  if (pf == FPixelFormat) return;
  FPixelFormat = pf;
  if (pf != pf32bit)
    for (auto& p : FPixels) p |= 0xFF000000u;
  Changed();
}

uint32_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= FHeight || FWidth == 0) return nullptr;
  return FPixels.data() + size_t(y) * FWidth;
}
const uint32_t* TBitmap::ScanLine(int y) const {
  if (y < 0 || y >= FHeight || FWidth == 0) return nullptr;
  return FPixels.data() + size_t(y) * FWidth;
}

TCanvas& TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(*this);
  return *FCanvas;
}

TColor TBitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return clOutside;
  return PixelToColor(FPixels[size_t(y) * FWidth + x]);
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (FWidth == 0 || FHeight == 0) return clDefault;
  return GetPixel(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor c) {
  if (c == clDefault) {
    FTransparentMode = tmAuto;
  } else {
    FTransparentMode = tmFixed;
    FTransparentColor = c;
  }
  Changed();
}

void TBitmap::Draw(TCanvas& c, const TRect& r) const {
  if (Empty()) return;
  c.StretchBitmap(r, *this, Rect(0, 0, FWidth, FHeight), c.CopyMode(), Transparent(), TransparentColor());
}

void TBitmap::Assign(const TPersistent& Source) {
  if (&Source == this) return;
  if (auto b = dynamic_cast<const TBitmap*>(&Source)) {
    FPixels = b->FPixels;
    FWidth = b->FWidth;
    FHeight = b->FHeight;
    FPixelFormat = b->FPixelFormat;
    FTransparent = b->FTransparent;
    FTransparentMode = b->FTransparentMode;
    FTransparentColor = b->FTransparentColor;
    Changed();
    return;
  }
  if (auto g = dynamic_cast<const TGraphic*>(&Source)) {
    SetSize(0, 0);
    SetSize(g->Width(), g->Height());
    if (!g->Empty()) {
      TCanvas& c = Canvas();
      TCopyMode cm = c.CopyMode();
      c.SetCopyMode(cmSrcCopy);
      g->Draw(c, Rect(0, 0, FWidth, FHeight));
      c.SetCopyMode(cm);
    }
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ============================================================== raster engine
namespace {

constexpr int kCoordLimit = 1 << 26;  // coordinates are clamped to +-2^26
int ClampCoord(int v) { return std::clamp(v, -kCoordLimit, kCoordLimit); }
// Pen widths beyond 2^20 pixels are drawn as 2^20.
int RasterPenWidth(const TPen& p) { return std::min(p.Width(), 1 << 20); }
TPoint ClampPt(TPoint p) { return {ClampCoord(p.X), ClampCoord(p.Y)}; }

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  int64_t q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return q;
}
// n/d rounded to the nearest integer, halves towards the smaller value.
int64_t RoundHalfDown(int64_t n, int64_t d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  return FloorDiv(2 * n + d - 1, 2 * d);
}

// Spans [x0, x1] (inclusive) of pixel rows, limited to a clip rectangle and
// kept in one flat list; Normalize sorts them by row and merges overlaps.
class SpanSet {
 public:
  struct Span {
    int y, x0, x1;
  };
  explicit SpanSet(const TRect& clip) : FClip(clip) {}
  const TRect& Clip() const { return FClip; }
  bool RowVisible(int y) const { return y >= FClip.Top && y < FClip.Bottom; }
  void Add(int y, int x0, int x1) {
    if (y < FClip.Top || y >= FClip.Bottom) return;
    x0 = std::max(x0, FClip.Left);
    x1 = std::min(x1, FClip.Right - 1);
    if (x0 > x1) return;
    FSpans.push_back({y, x0, x1});
  }
  void AddPixel(int x, int y) {
    if (!FSpans.empty()) {  // extend the last span when the pixel continues it
      Span& t = FSpans.back();
      if (t.y == y && x >= FClip.Left && x < FClip.Right) {
        if (x == t.x1 + 1) { t.x1 = x; return; }
        if (x == t.x0 - 1) { t.x0 = x; return; }
      }
    }
    Add(y, x, x);
  }
  bool Empty() const { return FSpans.empty(); }
  void Normalize() {
    if (FSpans.size() < 2) return;
    auto less = [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; };
    int rows = FClip.Height();
    if (FSpans.size() < 256 || FSpans.size() < size_t(rows) / 4) {
      if (!std::is_sorted(FSpans.begin(), FSpans.end(), less)) std::sort(FSpans.begin(), FSpans.end(), less);
    } else if (!std::is_sorted(FSpans.begin(), FSpans.end(), less)) {
      // Many spans: bucket by row (counting sort), then sort each row by x.
      std::vector<uint32_t> start(size_t(rows) + 1, 0);
      for (const Span& sp : FSpans) ++start[size_t(sp.y - FClip.Top) + 1];
      for (int r = 0; r < rows; ++r) start[size_t(r) + 1] += start[size_t(r)];
      std::vector<Span> sorted(FSpans.size());
      std::vector<uint32_t> fill(start.begin(), start.end() - 1);
      for (const Span& sp : FSpans) sorted[fill[size_t(sp.y - FClip.Top)]++] = sp;
      for (int r = 0; r < rows; ++r)
        if (start[size_t(r) + 1] - start[size_t(r)] > 1)
          std::sort(sorted.begin() + start[size_t(r)], sorted.begin() + start[size_t(r) + 1], less);
      FSpans.swap(sorted);
    }
    size_t k = 0;
    for (size_t i = 1; i < FSpans.size(); ++i) {
      Span& t = FSpans[k];
      const Span& n = FSpans[i];
      if (n.y == t.y && n.x0 <= t.x1 + 1)
        t.x1 = std::max(t.x1, n.x1);
      else
        FSpans[++k] = n;
    }
    FSpans.resize(k + 1);
  }
  // Removes from this set every pixel of other (both normalised).
  void Subtract(const SpanSet& other) {
    if (FSpans.empty() || other.FSpans.empty()) return;
    std::vector<Span> out;
    out.reserve(FSpans.size());
    size_t j = 0;
    const auto& sub = other.FSpans;
    for (const Span& sp : FSpans) {
      while (j < sub.size() && sub[j].y < sp.y) ++j;
      int a = sp.x0;
      for (size_t t = j; t < sub.size() && sub[t].y == sp.y && a <= sp.x1; ++t) {
        if (sub[t].x1 < a) continue;
        if (sub[t].x0 > sp.x1) break;
        if (sub[t].x0 > a) out.push_back({sp.y, a, sub[t].x0 - 1});
        a = std::max(a, sub[t].x1 + 1);
      }
      if (a <= sp.x1) out.push_back({sp.y, a, sp.x1});
    }
    FSpans.swap(out);
  }
  template <class F>
  void ForEach(F f) const {
    for (const Span& sp : FSpans) f(sp.y, sp.x0, sp.x1);
  }

 private:
  TRect FClip;
  std::vector<Span> FSpans;
};

// Binary raster operation on the RGB part; the result is opaque.
inline uint32_t Rop2(TPenMode m, uint32_t p, uint32_t d) {
  uint32_t r;
  switch (m) {
    case pmBlack: r = 0; break;
    case pmWhite: r = 0xFFFFFF; break;
    case pmNop: r = d; break;
    case pmNot: r = ~d; break;
    case pmCopy: r = p; break;
    case pmNotCopy: r = ~p; break;
    case pmMergePenNot: r = p | ~d; break;
    case pmMaskPenNot: r = p & ~d; break;
    case pmMergeNotPen: r = ~p | d; break;
    case pmMaskNotPen: r = ~p & d; break;
    case pmMerge: r = p | d; break;
    case pmNotMerge: r = ~(p | d); break;
    case pmMask: r = p & d; break;
    case pmNotMask: r = ~(p & d); break;
    case pmXor: r = p ^ d; break;
    case pmNotXor: r = ~(p ^ d); break;
    default: r = p; break;
  }
  return (r & 0x00FFFFFFu) | 0xFF000000u;
}

// Ternary raster operation (index = bits 16..23 of the copy mode).
inline uint32_t Rop3(uint32_t idx, uint32_t p, uint32_t s, uint32_t d) {
  switch (idx) {
    case 0xCC: return s;
    case 0x66: return ((s ^ d) & 0x00FFFFFFu) | 0xFF000000u;
    case 0x88: return ((s & d) & 0x00FFFFFFu) | 0xFF000000u;
    case 0xEE: return ((s | d) & 0x00FFFFFFu) | 0xFF000000u;
    default: break;
  }
  uint32_t r = 0;
  for (int b = 0; b < 8; ++b) {
    if (!(idx & (1u << b))) continue;
    uint32_t t = ((b & 4) ? p : ~p) & ((b & 2) ? s : ~s) & ((b & 1) ? d : ~d);
    r |= t;
  }
  return (r & 0x00FFFFFFu) | 0xFF000000u;
}

// Brush hatch patterns, 8 x 8 pixels aligned to the surface origin.
inline bool HatchBit(TBrushStyle st, int x, int y) {
  int xm = x & 7, ym = y & 7;
  switch (st) {
    case bsHorizontal: return ym == 0;
    case bsVertical: return xm == 0;
    case bsFDiagonal: return ((x - y) & 7) == 0;
    case bsBDiagonal: return ((x + y) & 7) == 0;
    case bsCross: return xm == 0 || ym == 0;
    case bsDiagCross: return ((x - y) & 7) == 0 || ((x + y) & 7) == 0;
    default: return true;
  }
}

struct Painter {
  TBitmap& bmp;
  uint32_t* px;
  int w, h;
  TRect clip;  // clip rectangle within the surface

  Painter(TCanvas& c, TBitmap& b) : bmp(b), px(b.Bits()), w(b.Width()), h(b.Height()) {
    clip = c.ClipRect();
    TRect s(0, 0, w, h);
    if (!IntersectRect(clip, clip, s)) clip = TRect();
  }
  uint32_t* Row(int y) { return px + size_t(y) * size_t(w); }

  void PaintRop2(const SpanSet& set, uint32_t color, TPenMode m) {
    if (m == pmNop) return;
    if (m == pmCopy) {
      uint32_t v = color | 0xFF000000u;
      set.ForEach([&](int y, int x0, int x1) { std::fill(Row(y) + x0, Row(y) + x1 + 1, v); });
      return;
    }
    set.ForEach([&](int y, int x0, int x1) {
      uint32_t* row = Row(y);
      for (int x = x0; x <= x1; ++x) row[x] = Rop2(m, color, row[x]);
    });
  }
  // Brush fill: solid or hatched (hatch gaps stay untouched).
  void PaintBrush(const SpanSet& set, const TBrush& br, TPenMode m) {
    if (br.Style() == bsClear || m == pmNop) return;
    uint32_t color = TBitmap::ColorToPixel(ColorToRGB(br.Color()));
    TBrushStyle st = br.Style();
    if (st == bsSolid && m == pmCopy) {
      set.ForEach([&](int y, int x0, int x1) { std::fill(Row(y) + x0, Row(y) + x1 + 1, color); });
      return;
    }
    set.ForEach([&](int y, int x0, int x1) {
      uint32_t* row = Row(y);
      for (int x = x0; x <= x1; ++x)
        if (st == bsSolid || HatchBit(st, x, y)) row[x] = Rop2(m, color, row[x]);
    });
  }
};

// ---------------------------------------------------------------- thin lines
// Pen style patterns: on/off run lengths in pixels.
struct DashPattern {
  int n = 0;
  int len[6] = {};
  int period = 0;
};
DashPattern PatternOf(TPenStyle st) {
  DashPattern p;
  auto set = [&](std::initializer_list<int> l) {
    for (int v : l) p.len[p.n++] = v;
    for (int i = 0; i < p.n; ++i) p.period += p.len[i];
  };
  switch (st) {
    case psDash: set({18, 6}); break;
    case psDot: set({3, 3}); break;
    case psDashDot: set({9, 6, 3, 6}); break;
    case psDashDotDot: set({9, 3, 3, 3, 3, 3}); break;
    default: break;
  }
  return p;
}
// True when pixel number i of the styled line is "on".
bool DashOn(const DashPattern& p, int64_t i) {
  if (p.n == 0) return true;
  int64_t k = i % p.period;
  for (int j = 0; j < p.n; ++j) {
    if (k < p.len[j]) return (j % 2) == 0;
    k -= p.len[j];
  }
  return true;
}

// Visits the pixels of the line (x0,y0)-(x1,y1) without its end point, as
// plot(x, y, stepIndex).  Only steps whose major coordinate can fall in clip
// are visited.  Returns the number of steps of the whole line.
template <class F>
int64_t ThinLine(TPoint a, TPoint b, const TRect& clip, F plot) {
  a = ClampPt(a);
  b = ClampPt(b);
  int64_t dx = int64_t(b.X) - a.X, dy = int64_t(b.Y) - a.Y;
  int64_t adx = std::llabs(dx), ady = std::llabs(dy);
  if (adx == 0 && ady == 0) return 0;
  if (adx >= ady) {
    int sx = dx > 0 ? 1 : -1;
    // steps i = 0..adx-1, x = a.X + i*sx
    int64_t iFrom = 0, iTo = adx - 1;
    if (sx > 0) {
      iFrom = std::max<int64_t>(iFrom, int64_t(clip.Left) - a.X);
      iTo = std::min<int64_t>(iTo, int64_t(clip.Right) - 1 - a.X);
    } else {
      iFrom = std::max<int64_t>(iFrom, int64_t(a.X) - (clip.Right - 1));
      iTo = std::min<int64_t>(iTo, int64_t(a.X) - clip.Left);
    }
    for (int64_t i = iFrom; i <= iTo; ++i) {
      int64_t x = a.X + i * sx;
      int64_t y = RoundHalfDown(int64_t(a.Y) * dx + (x - a.X) * dy, dx);
      if (y >= clip.Top && y < clip.Bottom) plot(static_cast<int>(x), static_cast<int>(y), i);
    }
    return adx;
  }
  int sy = dy > 0 ? 1 : -1;
  int64_t iFrom = 0, iTo = ady - 1;
  if (sy > 0) {
    iFrom = std::max<int64_t>(iFrom, int64_t(clip.Top) - a.Y);
    iTo = std::min<int64_t>(iTo, int64_t(clip.Bottom) - 1 - a.Y);
  } else {
    iFrom = std::max<int64_t>(iFrom, int64_t(a.Y) - (clip.Bottom - 1));
    iTo = std::min<int64_t>(iTo, int64_t(a.Y) - clip.Top);
  }
  for (int64_t i = iFrom; i <= iTo; ++i) {
    int64_t y = a.Y + i * sy;
    int64_t x = RoundHalfDown(int64_t(a.X) * dy + (y - a.Y) * dx, dy);
    if (x >= clip.Left && x < clip.Right) plot(static_cast<int>(x), static_cast<int>(y), i);
  }
  return ady;
}

// ---------------------------------------------------------------- polygon fill
struct PtD {
  double x, y;
};

// Adds the pixels whose centres lie inside the polygon (even-odd rule; a
// centre on a left/top edge is inside, on a right/bottom edge outside).
void FillPolygonSpans(const std::vector<PtD>& pts, SpanSet& out) {
  size_t n = pts.size();
  if (n < 3) return;
  struct Edge {
    double x0, y0, x1, y1;
  };
  std::vector<Edge> edges;
  edges.reserve(n);
  double ymin = pts[0].y, ymax = pts[0].y;
  for (size_t i = 0; i < n; ++i) {
    PtD a = pts[i], b = pts[(i + 1) % n];
    ymin = std::min(ymin, a.y);
    ymax = std::max(ymax, a.y);
    if (a.y == b.y) continue;
    if (a.y > b.y) std::swap(a, b);
    edges.push_back({a.x, a.y, b.x, b.y});
  }
  if (edges.empty()) return;
  const TRect& clip = out.Clip();
  // rows whose centre y+0.5 lies in [ymin, ymax)
  int64_t r0 = static_cast<int64_t>(std::ceil(ymin - 0.5));
  int64_t r1 = static_cast<int64_t>(std::ceil(ymax - 0.5)) - 1;
  r0 = std::max<int64_t>(r0, clip.Top);
  r1 = std::min<int64_t>(r1, clip.Bottom - 1);
  if (r0 > r1) return;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
  std::vector<const Edge*> active;
  std::vector<double> xs;
  size_t next = 0;
  for (int64_t y = r0; y <= r1; ++y) {
    double yc = double(y) + 0.5;
    while (next < edges.size() && edges[next].y0 <= yc) active.push_back(&edges[next++]);
    xs.clear();
    size_t k = 0;
    for (size_t i = 0; i < active.size(); ++i) {
      const Edge* e = active[i];
      if (e->y1 <= yc) continue;  // finished
      active[k++] = e;
      xs.push_back(e->x0 + (yc - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0));
    }
    active.resize(k);
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      double a = xs[i], b = xs[i + 1];
      double fa = std::ceil(a - 0.5), fb = std::ceil(b - 0.5) - 1;
      fa = std::max(fa, double(clip.Left));
      fb = std::min(fb, double(clip.Right - 1));
      if (fa > fb) continue;
      out.Add(static_cast<int>(y), static_cast<int>(fa), static_cast<int>(fb));
    }
  }
}

// ---------------------------------------------------------------- wide pens
// Disc of diameter w centred on pixel (cx, cy).  A pixel belongs to it when
// its centre is closer than w/2; at exactly w/2 only the top/left half counts,
// matching the half-open band of a wide line.
void AddDisc(int cx, int cy, int w, SpanSet& out) {
  const int64_t w2 = int64_t(w) * w;
  const int r = w / 2 + 1;
  const int yFrom = std::max(cy - r, out.Clip().Top), yTo = std::min(cy + r, out.Clip().Bottom - 1);
  for (int y = yFrom; y <= yTo; ++y) {
    int64_t dy = y - cy;
    int64_t rem = w2 - 4 * dy * dy;  // 4 dx^2 < rem, or == rem on the top/left half
    if (rem < 0 || (rem == 0 && dy > 0)) continue;
    int64_t k = static_cast<int64_t>(std::sqrt(double(rem) / 4.0)) + 1;
    while (k > 0 && 4 * k * k >= rem) --k;  // largest k with 4 k^2 < rem (0 when none)
    if (4 * k * k >= rem) {
      // Not even dx = 0 is strictly inside: only the tie point (dy < 0, dx = 0) can count.
      if (rem == 0 && dy < 0) out.Add(y, cx, cx);
      continue;
    }
    int64_t lo = -k, hi = k;
    if (4 * (k + 1) * (k + 1) == rem && (dy < 0 || dy == 0)) {
      // Points exactly on the circle: above the centre both ends count, on the centre row only the left.
      lo = -(k + 1);
      if (dy < 0) hi = k + 1;
    }
    out.Add(y, static_cast<int>(cx + lo), static_cast<int>(cx + hi));
  }
}

// The band of a wide line between the centres of pixels a and b.
void AddWideSegment(TPoint a, TPoint b, int w, SpanSet& out) {
  double ax = a.X + 0.5, ay = a.Y + 0.5, bx = b.X + 0.5, by = b.Y + 0.5;
  double dx = bx - ax, dy = by - ay;
  double len = std::hypot(dx, dy);
  if (len == 0) return;
  double nx = -dy / len * w / 2.0, ny = dx / len * w / 2.0;
  std::vector<PtD> q = {{ax + nx, ay + ny}, {bx + nx, by + ny}, {bx - nx, by - ny}, {ax - nx, ay - ny}};
  FillPolygonSpans(q, out);
}

// ---------------------------------------------------------------- ellipse rows
// Span of row r (0-based) of the region of pixels whose centres lie inside the
// ellipse inscribed in a W x H box; false when the row is empty.
bool EllipseRow(int64_t W, int64_t H, int64_t r, int64_t& l, int64_t& rr) {
  if (W <= 0 || H <= 0 || r < 0 || r >= H) return false;
  int64_t dy = 2 * r + 1 - H;
  // (2x+1-W)^2 H^2 + dy^2 W^2 <= W^2 H^2
  __int128 rem = (__int128)W * W * (H * H - dy * dy);
  if (rem < 0) return false;
  // k = |2x+1-W| with k^2 H^2 <= rem, k of the parity of W+1
  long double kd = std::sqrt((long double)rem) / (long double)H;
  int64_t k = static_cast<int64_t>(kd) + 1;
  while (k >= 0 && (__int128)k * k * H * H > rem) --k;
  if (((k - (W + 1)) % 2 + 2) % 2 != 0) --k;
  if (k < 0) return false;
  l = (W - 1 - k) / 2;
  rr = W - 1 - l;
  return true;
}

// Span of row y of a rounded rectangle (box x1..x2-1, y1..y2-1, corner
// ellipses cw x ch); an ellipse when cw, ch are the box size.
bool RoundRectRow(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t cw, int64_t ch, int64_t y,
                  int64_t& l, int64_t& r) {
  int64_t W = x2 - x1, H = y2 - y1;
  if (W <= 0 || H <= 0 || y < y1 || y >= y2) return false;
  cw = std::min(cw, W);
  ch = std::min(ch, H);
  int64_t row = y - y1;
  if (cw <= 1 || ch <= 1) {
    l = x1;
    r = x2 - 1;
    return true;
  }
  int64_t er;
  if (row < (ch + 1) / 2)
    er = row;
  else if (row >= H - ch / 2)
    er = row - (H - ch);
  else {
    l = x1;
    r = x2 - 1;
    return true;
  }
  int64_t el, err;
  if (!EllipseRow(cw, ch, er, el, err)) return false;
  l = x1 + el;
  r = x1 + (W - cw) + err;
  return true;
}

struct RoundShape {
  int64_t x1, y1, x2, y2, cw, ch;
  bool Row(int64_t y, int64_t& l, int64_t& r) const { return RoundRectRow(x1, y1, x2, y2, cw, ch, y, l, r); }
};

// Outline (pen) and interior (brush) of a rounded shape for pen width w.
void RoundShapeSets(int x1, int y1, int x2, int y2, int cw, int ch, bool isEllipse, int w, bool insideFrame,
                    SpanSet& pen, SpanSet& fill) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  auto corner = [&](int64_t W, int64_t c) { return isEllipse ? W : c; };
  if (w <= 1) {
    RoundShape s{x1, y1, x2, y2, corner(x2 - x1, cw), corner(y2 - y1, ch)};
    int64_t from = std::max<int64_t>(y1, pen.Clip().Top - 1), to = std::min<int64_t>(y2 - 1, pen.Clip().Bottom);
    for (int64_t y = from; y <= to; ++y) {
      int64_t l, r;
      if (!s.Row(y, l, r)) continue;
      int64_t lp, rp, ln, rn;
      bool hp = s.Row(y - 1, lp, rp), hn = s.Row(y + 1, ln, rn);
      if (!hp || !hn) {
        pen.Add(int(y), int(l), int(r));
        continue;
      }
      int64_t a = std::max(lp, ln), b = std::min(rp, rn);
      int64_t le = std::min(r, std::max(l, a - 1));
      int64_t rs = std::max(l, std::min(r, b + 1));
      pen.Add(int(y), int(l), int(le));
      pen.Add(int(y), int(rs), int(r));
      if (le + 1 <= rs - 1) fill.Add(int(y), int(le + 1), int(rs - 1));
    }
    return;
  }
  int64_t ox1, oy1, ox2, oy2;
  if (insideFrame) {
    ox1 = x1; oy1 = y1; ox2 = x2; oy2 = y2;
  } else {
    ox1 = x1 - w / 2; oy1 = y1 - w / 2; ox2 = x2 + (w - 1) / 2; oy2 = y2 + (w - 1) / 2;
  }
  int64_t ix1 = ox1 + w, iy1 = oy1 + w, ix2 = ox2 - w, iy2 = oy2 - w;
  RoundShape outer{ox1, oy1, ox2, oy2, corner(ox2 - ox1, cw + w - 1), corner(oy2 - oy1, ch + w - 1)};
  RoundShape inner{ix1, iy1, ix2, iy2, corner(ix2 - ix1, std::max<int64_t>(0, cw - w - 1)),
                   corner(iy2 - iy1, std::max<int64_t>(0, ch - w - 1))};
  int64_t from = std::max<int64_t>(oy1, pen.Clip().Top), to = std::min<int64_t>(oy2 - 1, pen.Clip().Bottom - 1);
  for (int64_t y = from; y <= to; ++y) {
    int64_t l, r, il, ir;
    if (!outer.Row(y, l, r)) continue;
    if (!inner.Row(y, il, ir) || il > ir) {
      pen.Add(int(y), int(l), int(r));
      continue;
    }
    pen.Add(int(y), int(l), int(std::min(r, il - 1)));
    pen.Add(int(y), int(std::max(l, ir + 1)), int(r));
    fill.Add(int(y), int(il), int(ir));
  }
}

// ---------------------------------------------------------------- text blending
inline uint32_t Blend(uint32_t dst, uint32_t src, unsigned a) {
  if (a >= 255) return src | 0xFF000000u;
  unsigned ia = 255 - a;
  auto ch = [&](int sh) {
    unsigned d = (dst >> sh) & 0xFF, s = (src >> sh) & 0xFF;
    return ((s * a + d * ia + 127) / 255) << sh;
  };
  return ch(16) | ch(8) | ch(0) | 0xFF000000u;
}

}  // namespace

// ============================================================== TBitmapCanvas
struct TBitmapCanvas::Impl {
  // Paints pen spans, the gaps of styled pens and brush spans in that order:
  // brush first, then gaps, then the pen.
  static void PaintSets(TBitmapCanvas& c, Painter& p, const SpanSet* fill, const SpanSet* gaps,
                        const SpanSet* pen) {
    TPenMode m = c.Pen().Mode();
    if (fill && !fill->Empty()) p.PaintBrush(*fill, c.Brush(), m);
    if (gaps && !gaps->Empty())
      p.PaintRop2(*gaps, TBitmap::ColorToPixel(ColorToRGB(c.Brush().Color())), m);
    if (pen && !pen->Empty()) p.PaintRop2(*pen, TBitmap::ColorToPixel(ColorToRGB(c.Pen().Color())), m);
  }

  // The outline of an open or closed path with the current pen.
  static void PathPen(TBitmapCanvas& c, const TRect& clip, const TPoint* pts, int count, bool closed,
                      SpanSet& pen, SpanSet& gaps) {
    const TPen& pn = c.Pen();
    if (pn.Style() == psClear || count < 1) return;
    int w = RasterPenWidth(pn);
    if (w <= 1) {
      DashPattern pat = PatternOf(pn.Style());
      bool opaque = c.BkMode() == OPAQUE;
      int64_t base = 0;
      int segs = closed ? count : count - 1;
      for (int i = 0; i < segs; ++i) {
        TPoint a = pts[i], b = pts[(i + 1) % count];
        base += ThinLine(a, b, clip, [&](int x, int y, int64_t k) {
          if (DashOn(pat, base + k))
            pen.AddPixel(x, y);
          else if (opaque)
            gaps.AddPixel(x, y);
        });
      }
      pen.Normalize();
      gaps.Normalize();
      gaps.Subtract(pen);
      return;
    }
    // Wide pens: bands with round caps and joins.
    for (int i = 0; i < count; ++i) {
      TPoint a = ClampPt(pts[i]);
      if (a.X + w < clip.Left || a.X - w >= clip.Right || a.Y + w < clip.Top || a.Y - w >= clip.Bottom) {
      } else {
        AddDisc(a.X, a.Y, w, pen);
      }
      if (i + 1 < count || closed) {
        TPoint b = ClampPt(pts[(i + 1) % count]);
        if (std::max(a.X, b.X) + w < clip.Left || std::min(a.X, b.X) - w >= clip.Right ||
            std::max(a.Y, b.Y) + w < clip.Top || std::min(a.Y, b.Y) - w >= clip.Bottom)
          continue;
        AddWideSegment(a, b, w, pen);
      }
    }
    pen.Normalize();
  }

  // Angle (counter-clockwise on screen, radians) of the vector (dx, dy).
  static double Angle(double dx, double dy) { return std::atan2(-dy, dx); }

  // Arc, pie and chord.  kind: 0 arc, 1 pie, 2 chord.
  static void ArcShape(TBitmapCanvas& c, int kind, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                       int y4) {
    x1 = ClampCoord(x1); x2 = ClampCoord(x2); y1 = ClampCoord(y1); y2 = ClampCoord(y2);
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1) return;
    Painter p(c, c.FBitmap);
    if (p.clip.IsEmpty()) return;
    const double cx = (double(x1) + x2) / 2, cy = (double(y1) + y2) / 2;
    double a3 = Angle(x3 - cx, y3 - cy), a4 = Angle(x4 - cx, y4 - cy);
    const double twoPi = 2 * std::numbers::pi;
    double sweep = std::fmod(a4 - a3 + 2 * twoPi, twoPi);
    if (sweep == 0) sweep = twoPi;
    auto inSweep = [&](double px, double py) {
      double d = std::fmod(Angle(px - cx, py - cy) - a3 + 2 * twoPi, twoPi);
      return d <= sweep;
    };
    const TPen& pn = c.Pen();
    int w = pn.Style() == psClear ? 0 : RasterPenWidth(pn);
    bool inside = pn.Style() == psInsideFrame;
    SpanSet outline(p.clip), region(p.clip);
    RoundShapeSets(x1, y1, x2, y2, 0, 0, true, std::max(1, w), inside, outline, region);
    outline.Normalize();
    region.Normalize();
    // End points of the arc on the ellipse through the outline pixel centres.
    auto endPoint = [&](double ang) {
      double ra = std::max(0.0, (x2 - x1 - 1) / 2.0), rb = std::max(0.0, (y2 - y1 - 1) / 2.0);
      double ux = std::cos(ang), uy = -std::sin(ang);
      double den = std::sqrt((ra > 0 ? (ux / ra) * (ux / ra) : 1e300 * std::fabs(ux)) +
                             (rb > 0 ? (uy / rb) * (uy / rb) : 1e300 * std::fabs(uy)));
      double t = den > 0 ? 1.0 / den : 0.0;
      return TPoint(static_cast<int>(std::floor(cx + t * ux)), static_cast<int>(std::floor(cy + t * uy)));
    };
    TPoint e3 = endPoint(a3), e4 = endPoint(a4);
    TPoint ctr(static_cast<int>(std::floor(cx)), static_cast<int>(std::floor(cy)));
    SpanSet pen(p.clip), fill(p.clip);
    if (w > 0) {
      outline.ForEach([&](int y, int xa, int xb) {
        for (int x = xa; x <= xb; ++x)
          if (inSweep(x + 0.5, y + 0.5)) pen.AddPixel(x, y);
      });
      if (kind != 0) {
        std::vector<TPoint> path;
        if (kind == 1)
          path = {e4, ctr, e3};
        else
          path = {e4, e3};
        SpanSet lines(p.clip);
        // Radii and chord in the pen's width, solid.
        if (w <= 1) {
          for (size_t i = 0; i + 1 < path.size(); ++i)
            ThinLine(path[i], path[i + 1], p.clip, [&](int x, int y, int64_t) { lines.AddPixel(x, y); });
          lines.AddPixel(path.back().X, path.back().Y);
        } else {
          for (size_t i = 0; i < path.size(); ++i) {
            AddDisc(path[i].X, path[i].Y, w, lines);
            if (i + 1 < path.size()) AddWideSegment(path[i], path[i + 1], w, lines);
          }
        }
        lines.ForEach([&](int y, int xa, int xb) { pen.Add(y, xa, xb); });
      }
      pen.Normalize();
    }
    if (kind != 0) {
      // Interior: pie = sector, chord = the part on the arc's side of the chord.
      double mx = e3.X + 0.5, my = e3.Y + 0.5, nx = e4.X + 0.5, ny = e4.Y + 0.5;
      TPoint em = endPoint(a3 + sweep / 2);  // a point of the arc itself
      double sx = em.X + 0.5, sy = em.Y + 0.5;
      auto side = [&](double px, double py) { return (nx - mx) * (py - my) - (ny - my) * (px - mx); };
      double ref = side(sx, sy);
      bool full = sweep >= twoPi;
      SpanSet all(p.clip);
      if (w <= 1) {
        outline.ForEach([&](int y, int xa, int xb) { all.Add(y, xa, xb); });
      }
      region.ForEach([&](int y, int xa, int xb) { all.Add(y, xa, xb); });
      all.ForEach([&](int y, int xa, int xb) {
        for (int x = xa; x <= xb; ++x) {
          double px = x + 0.5, py = y + 0.5;
          bool in;
          if (full)
            in = true;
          else if (kind == 1)
            in = inSweep(px, py);
          else {
            double s = side(px, py);
            in = (ref >= 0) ? s >= 0 : s <= 0;
          }
          if (in) fill.AddPixel(x, y);
        }
      });
      fill.Normalize();
      fill.Subtract(pen);
    }
    c.Changing();
    PaintSets(c, p, kind != 0 ? &fill : nullptr, nullptr, &pen);
    c.Changed();
  }

  // Draws text whose reference (top-left of the unrotated cell) is at (x, y)
  // after alignment; clip is the effective clip; opaque fills the cell.
  static void DrawText(TBitmapCanvas& c, int x, int y, const std::string& text, const TRect& clip,
                       bool opaque) {
    TFontSpec font = MakeFontSpec(c.Font());
    TFontMetrics m = FontEngine::Metrics(font);
    int width = FontEngine::TextWidth(font, text);
    unsigned al = c.TextAlign();
    bool updateCP = (al & TA_UPDATECP) != 0;
    if (updateCP) {
      x = c.PenPos().X;
      y = c.PenPos().Y;
    }
    x = ClampCoord(x);
    y = ClampCoord(y);
    double ox = 0, oy = 0;
    switch (al & TA_HORZMASK) {
      case TA_RIGHT: ox = -width; break;
      case TA_CENTER: ox = -(width / 2); break;
      default: break;
    }
    switch (al & TA_VERTMASK) {
      case TA_BASELINE: oy = -m.Ascent; break;
      case TA_BOTTOM: oy = -m.Height; break;
      default: break;
    }
    double ang = font.Orientation / 10.0 * std::numbers::pi / 180.0;
    double cs = std::cos(ang), sn = std::sin(ang);
    switch (((font.Orientation % 3600) + 3600) % 3600) {  // exact quarter turns
      case 0: cs = 1; sn = 0; break;
      case 900: cs = 0; sn = 1; break;
      case 1800: cs = -1; sn = 0; break;
      case 2700: cs = 0; sn = -1; break;
      default: break;
    }
    int rx = x + static_cast<int>(std::lround(ox * cs + oy * sn));
    int ry = y + static_cast<int>(std::lround(-ox * sn + oy * cs));
    if (updateCP) {
      // The current position moves to the other end of the text (stays for centred text).
      int adv = 0;
      switch (al & TA_HORZMASK) {
        case TA_RIGHT: adv = -width; break;
        case TA_CENTER: adv = 0; break;
        default: adv = width; break;
      }
      c.FPenPos = {x + static_cast<int>(std::lround(adv * cs)), y + static_cast<int>(std::lround(-adv * sn))};
    }
    Painter p(c, c.FBitmap);
    TRect cl;
    if (!IntersectRect(cl, clip, p.clip)) return;
    c.Changing();
    if (opaque) {
      uint32_t bk = TBitmap::ColorToPixel(ColorToRGB(c.Brush().Color()));
      SpanSet cell(cl);
      if (sn == 0 && cs == 1) {
        for (int yy = ry; yy < ry + m.Height; ++yy) cell.Add(yy, rx, rx + width - 1);
      } else {
        auto rot = [&](double tx, double ty) { return PtD{rx + tx * cs + ty * sn, ry - tx * sn + ty * cs}; };
        std::vector<PtD> q = {rot(0, 0), rot(width, 0), rot(width, m.Height), rot(0, m.Height)};
        FillPolygonSpans(q, cell);
      }
      p.PaintRop2(cell, bk, pmCopy);
    }
    // Only the part of the text inside the clip rectangle is rasterised.
    TGlyphMask g = FontEngine::RenderClipped(font, text, cl.Left - rx, cl.Top - ry, cl.Width(), cl.Height());
    uint32_t fc = TBitmap::ColorToPixel(ColorToRGB(c.Font().Color()));
    for (int j = 0; j < g.Height; ++j) {
      int yy = ry + g.Top + j;
      if (yy < cl.Top || yy >= cl.Bottom) continue;
      uint32_t* row = p.Row(yy);
      const uint8_t* a = g.Alpha.data() + size_t(j) * size_t(g.Width);
      for (int i = 0; i < g.Width; ++i) {
        int xx = rx + g.Left + i;
        if (xx < cl.Left || xx >= cl.Right || a[i] == 0) continue;
        row[xx] = Blend(row[xx], fc, a[i]);
      }
    }
    c.Changed();
  }
};

TBitmapCanvas::TBitmapCanvas(TBitmap& bmp) : FBitmap(bmp) {}

void TBitmapCanvas::LineTo(int x, int y) {
  TPoint pts[2] = {FPenPos, {x, y}};
  FPenPos = {x, y};
  Polyline(pts, 2);
  FPenPos = {x, y};
}

void TBitmapCanvas::Polyline(const TPoint* pts, int count) {
  if (count < 2 || !pts) return;
  Painter p(*this, FBitmap);
  if (p.clip.IsEmpty()) return;
  // Fast path for 1-pixel pens whose pixels cannot meet twice (one segment) or
  // whose raster operation gives the same result when it does.
  const TPen& pn = Pen();
  TPenMode m = pn.Mode();
  bool idempotent = m == pmBlack || m == pmWhite || m == pmNop || m == pmCopy || m == pmNotCopy ||
                    m == pmMerge || m == pmMask;
  bool solid = pn.Style() == psSolid || pn.Style() == psInsideFrame;
  if (pn.Width() <= 1 && pn.Style() != psClear && (count == 2 || (idempotent && solid))) {
    if (m == pmNop) return;
    uint32_t fg = TBitmap::ColorToPixel(ColorToRGB(pn.Color()));
    uint32_t bg = TBitmap::ColorToPixel(ColorToRGB(Brush().Color()));
    DashPattern pat = PatternOf(pn.Style());
    bool opaque = BkMode() == OPAQUE;
    Changing();
    int64_t base = 0;
    for (int i = 0; i + 1 < count; ++i)
      base += ThinLine(pts[i], pts[i + 1], p.clip, [&](int x, int y, int64_t k) {
        uint32_t& d = p.Row(y)[x];
        if (DashOn(pat, base + k))
          d = Rop2(m, fg, d);
        else if (opaque)
          d = Rop2(m, bg, d);
      });
    Changed();
    return;
  }
  SpanSet pen(p.clip), gaps(p.clip);
  Impl::PathPen(*this, p.clip, pts, count, false, pen, gaps);
  Changing();
  Impl::PaintSets(*this, p, nullptr, &gaps, &pen);
  Changed();
}

void TBitmapCanvas::Polygon(const TPoint* pts, int count) {
  if (count < 2 || !pts) return;
  Painter p(*this, FBitmap);
  if (p.clip.IsEmpty()) return;
  SpanSet pen(p.clip), gaps(p.clip), fill(p.clip);
  std::vector<PtD> v(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    TPoint q = ClampPt(pts[i]);
    v[size_t(i)] = {double(q.X), double(q.Y)};
  }
  FillPolygonSpans(v, fill);
  fill.Normalize();
  Impl::PathPen(*this, p.clip, pts, count, true, pen, gaps);
  Changing();
  Impl::PaintSets(*this, p, &fill, &gaps, &pen);
  Changed();
}

void TBitmapCanvas::PolyBezier(const TPoint* pts, int count) {
  if (count < 4 || !pts) return;
  std::vector<TPoint> path;
  path.push_back(ClampPt(pts[0]));
  for (int i = 0; i + 3 < count; i += 3) {
    TPoint p0 = ClampPt(pts[i]), p1 = ClampPt(pts[i + 1]), p2 = ClampPt(pts[i + 2]), p3 = ClampPt(pts[i + 3]);
    double len = std::hypot(p1.X - p0.X, p1.Y - p0.Y) + std::hypot(p2.X - p1.X, p2.Y - p1.Y) +
                 std::hypot(p3.X - p2.X, p3.Y - p2.Y);
    int n = std::clamp(static_cast<int>(len / 4), 1, 1000);
    for (int k = 1; k <= n; ++k) {
      double t = double(k) / n, u = 1 - t;
      double x = u * u * u * p0.X + 3 * u * u * t * p1.X + 3 * u * t * t * p2.X + t * t * t * p3.X;
      double y = u * u * u * p0.Y + 3 * u * u * t * p1.Y + 3 * u * t * t * p2.Y + t * t * t * p3.Y;
      TPoint q(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
      if (!(q == path.back())) path.push_back(q);
    }
  }
  if (path.size() < 2) return;
  // A Bézier curve paints its last point as well.
  Painter p(*this, FBitmap);
  if (p.clip.IsEmpty()) return;
  SpanSet pen(p.clip), gaps(p.clip);
  Impl::PathPen(*this, p.clip, path.data(), static_cast<int>(path.size()), false, pen, gaps);
  if (Pen().Style() != psClear && Pen().Width() <= 1) {
    pen.AddPixel(path.back().X, path.back().Y);
    pen.Normalize();
    gaps.Subtract(pen);
  }
  Changing();
  Impl::PaintSets(*this, p, nullptr, &gaps, &pen);
  Changed();
}

void TBitmapCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  x1 = ClampCoord(x1); x2 = ClampCoord(x2); y1 = ClampCoord(y1); y2 = ClampCoord(y2);
  if (x1 == x2 || y1 == y2) return;
  Painter p(*this, FBitmap);
  if (p.clip.IsEmpty()) return;
  SpanSet pen(p.clip), gaps(p.clip), fill(p.clip);
  const TPen& pn = Pen();
  int w = RasterPenWidth(pn);
  if (pn.Style() == psClear) {
    // Without a pen the filled area is one pixel smaller at the right and bottom.
    for (int y = y1; y < y2 - 1; ++y) fill.Add(y, x1, x2 - 2);
  } else if (w <= 1) {
    if (pn.Style() == psSolid || pn.Style() == psInsideFrame) {
      pen.Add(y1, x1, x2 - 1);
      pen.Add(y2 - 1, x1, x2 - 1);
      for (int y = std::max(y1 + 1, p.clip.Top); y < std::min(y2 - 1, p.clip.Bottom); ++y) {
        pen.AddPixel(x1, y);
        pen.AddPixel(x2 - 1, y);
      }
      pen.Normalize();
    } else {
      TPoint path[4] = {{x1, y1}, {x2 - 1, y1}, {x2 - 1, y2 - 1}, {x1, y2 - 1}};
      Impl::PathPen(*this, p.clip, path, 4, true, pen, gaps);
      if (x2 - x1 == 1 || y2 - y1 == 1) {  // degenerate path: paint the lone pixels
        for (int y = y1; y < y2; ++y) pen.Add(y, x1, x2 - 1);
        pen.Normalize();
        gaps.Subtract(pen);
      }
    }
    for (int y = std::max(y1 + 1, p.clip.Top); y < std::min(y2 - 1, p.clip.Bottom); ++y)
      fill.Add(y, x1 + 1, x2 - 2);
  } else {
    // Wide pen: a band of w pixels centred on the outline (inside it for psInsideFrame).
    int lo = pn.Style() == psInsideFrame ? 0 : -(w / 2);
    int ox1 = x1 + lo, oy1 = y1 + lo, ox2 = x2 - 1 - lo, oy2 = y2 - 1 - lo;  // outer corner pixels
    int ix1 = ox1 + w, iy1 = oy1 + w, ix2 = ox2 - w, iy2 = oy2 - w;          // inner corner pixels
    for (int y = std::max(oy1, p.clip.Top); y <= std::min(oy2, p.clip.Bottom - 1); ++y) {
      if (y < iy1 || y > iy2 || ix1 > ix2) {
        pen.Add(y, ox1, ox2);
      } else {
        pen.Add(y, ox1, ix1 - 1);
        pen.Add(y, ix2 + 1, ox2);
        fill.Add(y, ix1, ix2);
      }
    }
    pen.Normalize();
  }
  fill.Normalize();
  Changing();
  Impl::PaintSets(*this, p, &fill, &gaps, &pen);
  Changed();
}

void TBitmapCanvas::FillRect(const TRect& r) {
  Painter p(*this, FBitmap);
  TRect cl;
  if (!IntersectRect(cl, r, p.clip)) return;
  SpanSet fill(p.clip);
  for (int y = cl.Top; y < cl.Bottom; ++y) fill.Add(y, cl.Left, cl.Right - 1);
  Changing();
  p.PaintBrush(fill, Brush(), pmCopy);
  Changed();
}

void TBitmapCanvas::FrameRect(const TRect& r) {
  if (r.IsEmpty()) return;
  Painter p(*this, FBitmap);
  if (p.clip.IsEmpty()) return;
  SpanSet fill(p.clip);
  fill.Add(r.Top, r.Left, r.Right - 1);
  fill.Add(r.Bottom - 1, r.Left, r.Right - 1);
  for (int y = std::max(r.Top + 1, p.clip.Top); y < std::min(r.Bottom - 1, p.clip.Bottom); ++y) {
    fill.AddPixel(r.Left, y);
    fill.AddPixel(r.Right - 1, y);
  }
  fill.Normalize();
  Changing();
  p.PaintBrush(fill, Brush(), pmCopy);
  Changed();
}

void TBitmapCanvas::Ellipse(int x1, int y1, int x2, int y2) { RoundRect(x1, y1, x2, y2, -1, -1); }

void TBitmapCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) {
  bool isEllipse = cornerW < 0 && cornerH < 0;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  x1 = ClampCoord(x1); x2 = ClampCoord(x2); y1 = ClampCoord(y1); y2 = ClampCoord(y2);
  if (x1 == x2 || y1 == y2) return;
  Painter p(*this, FBitmap);
  if (p.clip.IsEmpty()) return;
  SpanSet pen(p.clip), fill(p.clip);
  const TPen& pn = Pen();
  if (pn.Style() == psClear) {
    // Without a pen the shape is one pixel smaller at the right and bottom.
    SpanSet dummy(p.clip);
    RoundShapeSets(x1, y1, x2 - 1, y2 - 1, std::max(0, cornerW), std::max(0, cornerH), isEllipse, 2, true,
                   dummy, fill);
    dummy.ForEach([&](int y, int a, int b) { fill.Add(y, a, b); });
  } else {
    RoundShapeSets(x1, y1, x2, y2, std::max(0, cornerW), std::max(0, cornerH), isEllipse, RasterPenWidth(pn),
                   pn.Style() == psInsideFrame, pen, fill);
  }
  pen.Normalize();
  fill.Normalize();
  Changing();
  Impl::PaintSets(*this, p, &fill, nullptr, &pen);
  Changed();
}

void TBitmapCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Impl::ArcShape(*this, 0, x1, y1, x2, y2, x3, y3, x4, y4);
}
void TBitmapCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Impl::ArcShape(*this, 1, x1, y1, x2, y2, x3, y3, x4, y4);
}
void TBitmapCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Impl::ArcShape(*this, 2, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TBitmapCanvas::FloodFill(int x, int y, TColor c, TFillStyle fs) {
  Painter p(*this, FBitmap);
  if (!PtInRect(p.clip, {x, y}) || Brush().Style() == bsClear) return;
  uint32_t target = TBitmap::ColorToPixel(ColorToRGB(c)) & 0x00FFFFFFu;
  auto match = [&](int xx, int yy) {
    bool same = (p.Row(yy)[xx] & 0x00FFFFFFu) == target;
    return fs == fsSurface ? same : !same;
  };
  if (!match(x, y)) return;
  const TRect& cl = p.clip;
  int cw = cl.Width();
  std::vector<uint8_t> seen(size_t(cw) * size_t(cl.Height()), 0);
  auto idx = [&](int xx, int yy) { return size_t(yy - cl.Top) * size_t(cw) + size_t(xx - cl.Left); };
  SpanSet fill(cl);
  std::vector<TPoint> stack{{x, y}};
  while (!stack.empty()) {
    TPoint s = stack.back();
    stack.pop_back();
    if (seen[idx(s.X, s.Y)] || !match(s.X, s.Y)) continue;
    int l = s.X, r = s.X;
    while (l - 1 >= cl.Left && !seen[idx(l - 1, s.Y)] && match(l - 1, s.Y)) --l;
    while (r + 1 < cl.Right && !seen[idx(r + 1, s.Y)] && match(r + 1, s.Y)) ++r;
    for (int i = l; i <= r; ++i) seen[idx(i, s.Y)] = 1;
    fill.Add(s.Y, l, r);
    for (int ny : {s.Y - 1, s.Y + 1}) {
      if (ny < cl.Top || ny >= cl.Bottom) continue;
      bool inRun = false;
      for (int i = l; i <= r; ++i) {
        bool ok = !seen[idx(i, ny)] && match(i, ny);
        if (ok && !inRun) stack.push_back({i, ny});
        inRun = ok;
      }
    }
  }
  fill.Normalize();
  Changing();
  p.PaintBrush(fill, Brush(), pmCopy);
  Changed();
}

TColor TBitmapCanvas::Pixels(int x, int y) {
  if (!PtInRect(ClipRect(), {x, y})) return clOutside;
  return FBitmap.GetPixel(x, y);
}

void TBitmapCanvas::SetPixel(int x, int y, TColor c) {
  Painter p(*this, FBitmap);
  if (!PtInRect(p.clip, {x, y})) return;
  Changing();
  p.Row(y)[x] = TBitmap::ColorToPixel(ColorToRGB(c));
  Changed();
}

void TBitmapCanvas::TextOut(int x, int y, const std::string& text) {
  if (text.empty()) return;
  Impl::DrawText(*this, x, y, text, ClipRect(), BkMode() == OPAQUE);
}

void TBitmapCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
  Painter p(*this, FBitmap);
  TRect cl;
  if (!IntersectRect(cl, r, p.clip)) return;
  if (Brush().Style() != bsClear) {
    SpanSet fill(cl);
    for (int yy = cl.Top; yy < cl.Bottom; ++yy) fill.Add(yy, cl.Left, cl.Right - 1);
    Changing();
    p.PaintRop2(fill, TBitmap::ColorToPixel(ColorToRGB(Brush().Color())), pmCopy);
    Changed();
  }
  if (!text.empty()) Impl::DrawText(*this, x, y, text, cl, false);
}

void TBitmapCanvas::StretchBitmap(const TRect& dest, const TBitmap& srcIn, const TRect& srcRectIn, TCopyMode rop,
                                  bool transparent, TColor transparentColor) {
  // Copy the source first when it is this bitmap (overlapping copies).
  std::unique_ptr<TBitmap> copy;
  const TBitmap* src = &srcIn;
  if (src == &FBitmap) {
    copy = std::make_unique<TBitmap>();
    copy->Assign(srcIn);
    src = copy.get();
  }
  TRect d = dest, s = srcRectIn;
  bool flipX = false, flipY = false;
  if (d.Right < d.Left) { std::swap(d.Left, d.Right); flipX = !flipX; }
  if (d.Bottom < d.Top) { std::swap(d.Top, d.Bottom); flipY = !flipY; }
  if (s.Right < s.Left) { std::swap(s.Left, s.Right); flipX = !flipX; }
  if (s.Bottom < s.Top) { std::swap(s.Top, s.Bottom); flipY = !flipY; }
  int64_t dw = int64_t(d.Right) - d.Left, dh = int64_t(d.Bottom) - d.Top;
  int64_t sw = int64_t(s.Right) - s.Left, sh = int64_t(s.Bottom) - s.Top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  Painter p(*this, FBitmap);
  TRect cl;
  if (!IntersectRect(cl, d, p.clip)) return;
  uint32_t ropIdx = (rop >> 16) & 0xFF;
  uint32_t pat = TBitmap::ColorToPixel(ColorToRGB(Brush().Color()));
  uint32_t tkey = TBitmap::ColorToPixel(ColorToRGB(transparentColor)) & 0x00FFFFFFu;
  const int srcW = src->Width(), srcH = src->Height();
  bool smooth = StretchBltMode() == HALFTONE && !transparent && (dw != sw || dh != sh);
  Changing();
  if (!smooth) {
    // Nearest source pixel: the one under the centre of the destination pixel.
    std::vector<int64_t> colMap(size_t(cl.Width()));
    for (int x = cl.Left; x < cl.Right; ++x) {
      int64_t i = int64_t(x) - d.Left;
      if (flipX) i = dw - 1 - i;
      colMap[size_t(x - cl.Left)] = s.Left + static_cast<int64_t>((__int128(2 * i + 1) * sw) / (2 * dw));
    }
    for (int y = cl.Top; y < cl.Bottom; ++y) {
      int64_t j = int64_t(y) - d.Top;
      if (flipY) j = dh - 1 - j;
      int64_t sy = s.Top + static_cast<int64_t>((__int128(2 * j + 1) * sh) / (2 * dh));
      if (sy < 0 || sy >= srcH) continue;
      const uint32_t* srow = src->ScanLine(static_cast<int>(sy));
      uint32_t* drow = p.Row(y);
      for (int x = cl.Left; x < cl.Right; ++x) {
        int64_t sx = colMap[size_t(x - cl.Left)];
        if (sx < 0 || sx >= srcW) continue;
        uint32_t sv = srow[sx];
        if (transparent && (sv & 0x00FFFFFFu) == tkey) continue;
        drow[x] = Rop3(ropIdx, pat, sv, drow[x]);
      }
    }
  } else {
    // Area averaging: every destination pixel is the mean of the source area it covers.
    struct Tap {
      int64_t idx;
      double wgt;
    };
    auto taps = [](int64_t i, int64_t dn, int64_t sn, int64_t s0, bool flip, int64_t limit) {
      if (flip) i = dn - 1 - i;
      double a = double(i) * sn / dn, b = double(i + 1) * sn / dn;
      std::vector<Tap> t;
      // Only source pixels that exist can contribute (the weights are normalised later).
      int64_t kFrom = std::max<int64_t>(static_cast<int64_t>(std::floor(a)), -s0 - 1);
      double kEnd = std::min(b, double(limit - s0 + 1));
      for (int64_t k = kFrom; k < kEnd; ++k) {
        double lo = std::max(a, double(k)), hi = std::min(b, double(k + 1));
        if (hi > lo) t.push_back({s0 + k, (hi - lo) / (b - a)});
      }
      return t;
    };
    std::vector<std::vector<Tap>> cols(size_t(cl.Width()));
    for (int x = cl.Left; x < cl.Right; ++x) cols[size_t(x - cl.Left)] = taps(int64_t(x) - d.Left, dw, sw, s.Left, flipX, srcW);
    for (int y = cl.Top; y < cl.Bottom; ++y) {
      std::vector<Tap> rows = taps(int64_t(y) - d.Top, dh, sh, s.Top, flipY, srcH);
      uint32_t* drow = p.Row(y);
      for (int x = cl.Left; x < cl.Right; ++x) {
        double acc[4] = {0, 0, 0, 0}, wsum = 0;
        for (const Tap& ty : rows) {
          if (ty.idx < 0 || ty.idx >= srcH) continue;
          const uint32_t* srow = src->ScanLine(static_cast<int>(ty.idx));
          for (const Tap& tx : cols[size_t(x - cl.Left)]) {
            if (tx.idx < 0 || tx.idx >= srcW) continue;
            uint32_t v = srow[tx.idx];
            double wgt = ty.wgt * tx.wgt;
            for (int ch = 0; ch < 4; ++ch) acc[ch] += wgt * ((v >> (8 * ch)) & 0xFF);
            wsum += wgt;
          }
        }
        if (wsum <= 0) continue;
        uint32_t sv = 0;
        for (int ch = 0; ch < 4; ++ch) {
          uint32_t b = static_cast<uint32_t>(std::lround(std::clamp(acc[ch] / wsum, 0.0, 255.0)));
          sv |= b << (8 * ch);
        }
        drow[x] = Rop3(ropIdx, pat, sv, drow[x]);
      }
    }
  }
  Changed();
}

}  // namespace zol
