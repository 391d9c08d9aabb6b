// Drawing surface, pens, brushes, fonts and the 32-bit bitmap (first compiling version).
#include "base/platform/Zol_graphics.h"

#include <algorithm>

namespace zol {

TColor ColorToRGB(TColor c) {
  if (c == clNone || c == clDefault) return clBlack;
  if ((c & 0xFF000000u) == clSystemColor) return clBlack;
  return c & 0x00FFFFFFu;
}

bool IntersectRect(TRect& Dest, const TRect& a, const TRect& b) {
  TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom));
  if (r.IsEmpty()) { Dest = TRect(); return false; }
  Dest = r;
  return true;
}
bool UnionRect(TRect& Dest, const TRect& a, const TRect& b) {
  if (a.IsEmpty()) { Dest = b.IsEmpty() ? TRect() : b; return !b.IsEmpty(); }
  if (b.IsEmpty()) { Dest = a; return true; }
  Dest = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom));
  return true;
}
void InflateRect(TRect& r, int dx, int dy) { r.Left -= dx; r.Right += dx; r.Top -= dy; r.Bottom += dy; }
void OffsetRect(TRect& r, int dx, int dy) { r.Left += dx; r.Right += dx; r.Top += dy; r.Bottom += dy; }
bool IsRectEmpty(const TRect& r) { return r.IsEmpty(); }

void TGraphicsObject::Changed() { if (OnChange) OnChange(this); }
void TPen::SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
void TPen::SetWidth(int v) { v = std::max(1, v); if (v != FWidth) { FWidth = v; Changed(); } }
void TPen::SetStyle(TPenStyle v) { if (v != FStyle) { FStyle = v; Changed(); } }
void TPen::SetMode(TPenMode v) { if (v != FMode) { FMode = v; Changed(); } }
void TPen::Assign(const TPersistent& Source) {
  if (auto p = dynamic_cast<const TPen*>(&Source)) { FColor = p->FColor; FWidth = p->FWidth; FStyle = p->FStyle; FMode = p->FMode; Changed(); return; }
  TPersistent::Assign(Source);
}
void TBrush::SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
void TBrush::SetStyle(TBrushStyle v) { if (v != FStyle) { FStyle = v; Changed(); } }
void TBrush::Assign(const TPersistent& Source) {
  if (auto p = dynamic_cast<const TBrush*>(&Source)) { FColor = p->FColor; FStyle = p->FStyle; Changed(); return; }
  TPersistent::Assign(Source);
}
void TFont::SetName(const std::string& v) { if (v != FName) { FName = v; Changed(); } }
int TFont::Size() const { return 0; }
void TFont::SetSize(int) {}
void TFont::SetHeight(int v) { if (v != FHeight) { FHeight = v; Changed(); } }
void TFont::SetStyle(TFontStyles v) { if (v != FStyle) { FStyle = v; Changed(); } }
void TFont::SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
void TFont::SetPixelsPerInch(int v) { FPixelsPerInch = std::max(1, v); }
void TFont::SetOrientation(int v) { FOrientation = v; }
void TFont::SetPitch(TFontPitch v) { FPitch = v; }
void TFont::SetCharset(TFontCharset v) { FCharset = v; }
void TFont::Assign(const TPersistent& Source) { TPersistent::Assign(Source); }

TCanvas::TCanvas() : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()), FFont(std::make_unique<TFont>()) {}
TCanvas::~TCanvas() = default;
void TCanvas::SetPenPos(const TPoint& p) { FPenPos = p; }
void TCanvas::SetTextAlign(unsigned f) { FTextAlign = f; }
void TCanvas::SetBkMode(int m) { FBkMode = m; }
void TCanvas::SetStretchBltMode(int m) { FStretchBltMode = m; }
void TCanvas::SetCopyMode(TCopyMode m) { FCopyMode = m; }
TRect TCanvas::ClipRect() const { return FHasClip ? FClipRect : SurfaceRect(); }
void TCanvas::SetClipRect(const TRect& r) { FClipRect = r; FHasClip = true; }
void TCanvas::ResetClip() { FHasClip = false; }
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
TSize TCanvas::TextExtent(const std::string& t) { return TSize(static_cast<int>(t.size()) * 6, 13); }
void TCanvas::GetTextMetrics(int& a, int& d, int& il, int& el, int& acw) { a = 10; d = 3; il = 2; el = 0; acw = 6; }
void TCanvas::Draw(int, int, const TGraphic&) {}
void TCanvas::StretchDraw(const TRect&, const TGraphic&) {}
void TCanvas::StretchBitmap(const TRect&, const TBitmap&, const TRect&, TCopyMode, bool, TColor) {}
void TCanvas::CopyRect(const TRect&, TCanvas&, const TRect&) {}
int TCanvas::GetDeviceCaps(int) const { return 0; }
void TCanvas::Changing() { if (OnChanging) OnChanging(this); }
void TCanvas::Changed() { if (OnChange) OnChange(this); }
void TCanvas::BrushChanged() {}

bool TGraphic::LoadFromFile(const std::string&) { return false; }
void TGraphic::SaveToFile(const std::string&) const {}
void TGraphic::SetTransparent(bool v) { FTransparent = v; }
void TGraphic::Changed() { if (OnChange) OnChange(this); }

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int w, int h) { SetSize(w, h); }
TBitmap::~TBitmap() = default;
void TBitmap::SetSize(int w, int h) { FWidth = std::max(0, w); FHeight = std::max(0, h); FPixels.assign(size_t(FWidth) * FHeight, 0xFFFFFFFFu); }
void TBitmap::SetPixelFormat(TPixelFormat pf) { FPixelFormat = pf; }
uint32_t* TBitmap::ScanLine(int y) { return (y < 0 || y >= FHeight) ? nullptr : FPixels.data() + size_t(y) * FWidth; }
const uint32_t* TBitmap::ScanLine(int y) const { return (y < 0 || y >= FHeight) ? nullptr : FPixels.data() + size_t(y) * FWidth; }
TCanvas& TBitmap::Canvas() { if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(*this); return *FCanvas; }
TColor TBitmap::GetPixel(int x, int y) const { if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return clOutside; return PixelToColor(FPixels[size_t(y) * FWidth + x]); }
TColor TBitmap::TransparentColor() const { return FTransparentColor; }
void TBitmap::SetTransparentColor(TColor c) { FTransparentColor = c; }
void TBitmap::Draw(TCanvas&, const TRect&) const {}
bool TBitmap::LoadFromStream(TStream&) { return false; }
void TBitmap::SaveToStream(TStream&) const {}
void TBitmap::SaveToFile(const std::string&) const {}
bool TBitmap::LoadBMPFromStream(TStream&) { return false; }
bool TBitmap::LoadPNGFromStream(TStream&) { return false; }
bool TBitmap::LoadJPEGFromStream(TStream&) { return false; }
void TBitmap::SaveBMPToStream(TStream&) const {}
void TBitmap::SavePNGToStream(TStream&) const {}
void TBitmap::SaveJPEGToStream(TStream&, int) const {}
bool TBitmap::LoadFromResourceName(const std::string&) { return false; }
void TBitmap::Assign(const TPersistent& Source) { TPersistent::Assign(Source); }

struct TBitmapCanvas::Impl {};
TBitmapCanvas::TBitmapCanvas(TBitmap& bmp) : FBitmap(bmp) {}
void TBitmapCanvas::LineTo(int x, int y) { FPenPos = {x, y}; }
void TBitmapCanvas::Polyline(const TPoint*, int) {}
void TBitmapCanvas::Polygon(const TPoint*, int) {}
void TBitmapCanvas::PolyBezier(const TPoint*, int) {}
void TBitmapCanvas::Rectangle(int, int, int, int) {}
void TBitmapCanvas::FillRect(const TRect&) {}
void TBitmapCanvas::FrameRect(const TRect&) {}
void TBitmapCanvas::Ellipse(int, int, int, int) {}
void TBitmapCanvas::RoundRect(int, int, int, int, int, int) {}
void TBitmapCanvas::Arc(int, int, int, int, int, int, int, int) {}
void TBitmapCanvas::Pie(int, int, int, int, int, int, int, int) {}
void TBitmapCanvas::Chord(int, int, int, int, int, int, int, int) {}
void TBitmapCanvas::FloodFill(int, int, TColor, TFillStyle) {}
TColor TBitmapCanvas::Pixels(int x, int y) { return FBitmap.GetPixel(x, y); }
void TBitmapCanvas::SetPixel(int, int, TColor) {}
void TBitmapCanvas::TextOut(int, int, const std::string&) {}
void TBitmapCanvas::TextRect(const TRect&, int, int, const std::string&) {}
void TBitmapCanvas::StretchBitmap(const TRect&, const TBitmap&, const TRect&, TCopyMode, bool, TColor) {}

}  // namespace zol
