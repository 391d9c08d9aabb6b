// Platform services: colours, geometry records, pens, brushes, fonts, the
// drawing surface (TCanvas) and the 32-bit off-screen bitmap (TBitmap).
//
// TCanvas keeps the drawing state (pen, brush, font, pen position, text
// alignment, background mode, stretch mode, copy mode, clip rectangle) and
// declares every drawing primitive and every state-dependent query as a
// virtual member.  TBitmapCanvas draws on the pixels of a TBitmap; recording
// and printer canvases derive from TCanvas and read the current state when a
// call arrives.  Pixel rules are described in docs/DESIGN.md ("Drawing surface").
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

// ---------------------------------------------------------------- exceptions
// Raised by the graphics classes: bad image data given to a method that must
// succeed (Assign of an empty JPEG, TJPEGImage::LoadFromStreamOrRaise, ...).
class EInvalidGraphic : public Exception { using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { using Exception::Exception; };

// ---------------------------------------------------------------- colours
// A colour: red in the low byte, then green, then blue (0x00BBGGRR).  Values
// with the high byte 0x80 name system colours (0x80000000 + index) and are
// turned into RGB by ColorToRGB through the fixed platform palette.
using TColor = uint32_t;

constexpr TColor RGB(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080,
                 clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF,
                 clMedGray = 0xA4A0A0;
// "No colour" and "the default colour of the context"; ColorToRGB maps them to black.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
// What Pixels() answers for a point outside the surface or the clip
// rectangle: all bits set, -1 when read as a signed number.
constexpr TColor clOutside = 0xFFFFFFFF;

// System colours: 0x80000000 + palette index.
constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clScrollBar = 0x80000000, clBackground = 0x80000001,
                 clActiveCaption = 0x80000002, clInactiveCaption = 0x80000003,
                 clMenu = 0x80000004, clWindow = 0x80000005, clWindowFrame = 0x80000006,
                 clMenuText = 0x80000007, clWindowText = 0x80000008,
                 clCaptionText = 0x80000009, clActiveBorder = 0x8000000A,
                 clInactiveBorder = 0x8000000B, clAppWorkSpace = 0x8000000C,
                 clHighlight = 0x8000000D, clHighlightText = 0x8000000E,
                 clBtnFace = 0x8000000F, clBtnShadow = 0x80000010, clGrayText = 0x80000011,
                 clBtnText = 0x80000012, clInactiveCaptionText = 0x80000013,
                 clBtnHighlight = 0x80000014, cl3DDkShadow = 0x80000015,
                 cl3DLight = 0x80000016, clInfoText = 0x80000017, clInfoBk = 0x80000018,
                 clHotLight = 0x8000001A, clGradientActiveCaption = 0x8000001B,
                 clGradientInactiveCaption = 0x8000001C, clMenuHighlight = 0x8000001D,
                 clMenuBar = 0x8000001E;
// Resolves system colours through the platform palette (see docs/DESIGN.md);
// clNone and clDefault give black; other values are returned with the high
// byte cleared.  An unknown system index gives black.  The result has the
// high byte 0.
TColor ColorToRGB(TColor c);

// ---------------------------------------------------------------- geometry
struct TPoint {
  int X = 0, Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(int x, int y) : X(x), Y(y) {}
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};
struct TSize {
  int cx = 0, cy = 0;
  constexpr TSize() = default;
  constexpr TSize(int w, int h) : cx(w), cy(h) {}
  friend constexpr bool operator==(const TSize&, const TSize&) = default;
};
// Right and Bottom are exclusive: the rectangle holds the pixels
// Left..Right-1 and Top..Bottom-1.
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int x, int y) { return {x, y}; }
constexpr TRect Rect(int l, int t, int r, int b) { return {l, t, r, b}; }
constexpr TRect Bounds(int l, int t, int w, int h) { return {l, t, l + w, t + h}; }
// Left <= X < Right and Top <= Y < Bottom.
constexpr bool PtInRect(const TRect& r, const TPoint& p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
// The common part of a and b; false (and an all-zero Dest) when they do not overlap.
bool IntersectRect(TRect& Dest, const TRect& a, const TRect& b);
// The smallest rectangle holding both (an empty one is ignored); false when both are empty.
bool UnionRect(TRect& Dest, const TRect& a, const TRect& b);
void InflateRect(TRect& r, int dx, int dy);
void OffsetRect(TRect& r, int dx, int dy);
bool IsRectEmpty(const TRect& r);

// ---------------------------------------------------------------- pen, brush, font
class TCanvas;

// Common part of pen, brush and font: Changed() fires OnChange.
class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;
  // Counts the changes (the canvas uses it to notice brush changes).
  uint32_t ChangeCount() const { return FChangeCount; }

 protected:
  void Changed();

 private:
  uint32_t FChangeCount = 0;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// Binary raster operations of the pen (and of brush fills): P = pen/brush, D = destination.
enum TPenMode {
  pmBlack,        // 0
  pmWhite,        // 1
  pmNop,          // D
  pmNot,          // ~D
  pmCopy,         // P
  pmNotCopy,      // ~P
  pmMergePenNot,  // P | ~D
  pmMaskPenNot,   // P & ~D
  pmMergeNotPen,  // ~P | D
  pmMaskNotPen,   // ~P & D
  pmMerge,        // P | D
  pmNotMerge,     // ~(P | D)
  pmMask,         // P & D
  pmNotMask,      // ~(P & D)
  pmXor,          // P ^ D
  pmNotXor        // ~(P ^ D)
};

class TPen : public TGraphicsObject {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  int Width() const { return FWidth; }
  void SetWidth(int v);  // clamped to >= 1
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle v);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode v);
  void Assign(const TPersistent& Source) override;

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle v);
  void Assign(const TPersistent& Source) override;

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
// A small set of TFontStyle values.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> s) {
    for (TFontStyle f : s) FBits |= Bit(f);
  }
  constexpr bool Contains(TFontStyle f) const { return (FBits & Bit(f)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TFontStyles& Include(TFontStyle f) { FBits |= Bit(f); return *this; }
  constexpr TFontStyles& Exclude(TFontStyle f) { FBits &= static_cast<uint8_t>(~Bit(f)); return *this; }
  constexpr uint8_t Bits() const { return FBits; }
  static constexpr TFontStyles FromBits(uint8_t b) { TFontStyles s; s.FBits = b & 0x0F; return s; }
  friend constexpr TFontStyles operator+(TFontStyles a, TFontStyles b) { return FromBits(a.FBits | b.FBits); }
  friend constexpr TFontStyles operator-(TFontStyles a, TFontStyles b) { return FromBits(a.FBits & ~b.FBits); }
  friend constexpr TFontStyles operator*(TFontStyles a, TFontStyles b) { return FromBits(a.FBits & b.FBits); }
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

 private:
  static constexpr uint8_t Bit(TFontStyle f) { return static_cast<uint8_t>(1u << static_cast<int>(f)); }
  uint8_t FBits = 0;
};

enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, OEM_CHARSET = 255;

// The font: Height in pixels (negative: character height without internal
// leading; positive: cell height), Size in points at PixelsPerInch
// (Size = -Height * 72 / PixelsPerInch, rounded).  The default font is
// "Arial", 8 points (Height -11 at 96 pixels per inch), black.
class TFont : public TGraphicsObject {
 public:
  const std::string& Name() const { return FName; }
  void SetName(const std::string& v);
  int Size() const;
  void SetSize(int points);  // Height = -round(points * PixelsPerInch / 72)
  int Height() const { return FHeight; }
  void SetHeight(int v);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles v);
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  // Changing PixelsPerInch keeps Height (the size in points follows).
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int v);  // clamped to >= 1
  int Orientation() const { return FOrientation; }  // tenths of a degree, counter-clockwise
  void SetOrientation(int v);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch v);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset v);
  void Assign(const TPersistent& Source) override;

 private:
  std::string FName = "Arial";
  int FHeight = -11;
  TFontStyles FStyle;
  TColor FColor = clBlack;
  int FPixelsPerInch = 96;
  int FOrientation = 0;
  TFontPitch FPitch = fpDefault;
  TFontCharset FCharset = DEFAULT_CHARSET;
};

// ---------------------------------------------------------------- canvas constants
enum TFillStyle { fsSurface, fsBorder };

// Text alignment flags (SetTextAlign): one horizontal and one vertical value.
constexpr unsigned TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
                   TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24;
constexpr unsigned TA_HORZMASK = 6, TA_VERTMASK = 24;
// Background modes (SetBkMode).
constexpr int TRANSPARENT = 1, OPAQUE = 2;
// Stretch modes (SetStretchBltMode): COLORONCOLOR picks the nearest source
// pixel; HALFTONE averages the covered source area.
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = 1, STRETCH_ORSCANS = 2, STRETCH_DELETESCANS = 3, STRETCH_HALFTONE = 4;

// Copy modes: ternary raster operations of destination, source and brush pattern.
using TCopyMode = uint32_t;
constexpr TCopyMode cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
                    cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
                    cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
                    cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062;

// Device capability indices (GetDeviceCaps).
constexpr int HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12,
              LOGPIXELSX = 88, LOGPIXELSY = 90, PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111,
              PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113;

class TGraphic;
class TBitmap;

// ---------------------------------------------------------------- canvas
// The drawing surface.  State lives here; the primitives are virtual and the
// base versions do nothing (queries answer 0 / clOutside), so a recording
// canvas overrides what it records.  TBitmapCanvas is the raster version.
class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // Drawing state.
  TPen& Pen() { return *FPen; }
  TBrush& Brush() { return *FBrush; }
  TFont& Font() { return *FFont; }
  const TPen& Pen() const { return *FPen; }
  const TBrush& Brush() const { return *FBrush; }
  const TFont& Font() const { return *FFont; }
  TPoint PenPos() const { return FPenPos; }
  virtual void SetPenPos(const TPoint& p);  // same as MoveTo
  unsigned TextAlign() const { return FTextAlign; }
  virtual void SetTextAlign(unsigned flags);
  // Background mode of text cells and of the gaps of styled pens.  Changing
  // the brush sets it: OPAQUE for a solid brush, TRANSPARENT otherwise;
  // SetBkMode overrides it until the next brush change.  The background
  // colour is the brush colour.
  int BkMode() const;
  virtual void SetBkMode(int mode);
  int StretchBltMode() const { return FStretchBltMode; }
  virtual void SetStretchBltMode(int mode);
  TCopyMode CopyMode() const { return FCopyMode; }
  virtual void SetCopyMode(TCopyMode mode);

  // Clipping: everything drawn is limited to ClipRect() (and to the surface).
  TRect ClipRect() const;  // the surface when no clip rectangle is set
  virtual void SetClipRect(const TRect& r);
  virtual void ResetClip();  // the whole surface
  bool HasClipRect() const { return FHasClip; }

  // Lines and shapes.  A line does not paint its end point; rectangles and
  // ellipses hold the pixels Left..Right-1, Top..Bottom-1.
  void MoveTo(int x, int y) { SetPenPos({x, y}); }
  virtual void LineTo(int x, int y);
  virtual void Polyline(const TPoint* pts, int count);
  void Polyline(const std::vector<TPoint>& pts) { Polyline(pts.data(), static_cast<int>(pts.size())); }
  virtual void Polygon(const TPoint* pts, int count);  // alternate fill, closed outline
  void Polygon(const std::vector<TPoint>& pts) { Polygon(pts.data(), static_cast<int>(pts.size())); }
  // Cubic Bézier segments: 1 + 3n points.
  virtual void PolyBezier(const TPoint* pts, int count);
  void PolyBezier(const std::vector<TPoint>& pts) { PolyBezier(pts.data(), static_cast<int>(pts.size())); }
  virtual void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  virtual void FillRect(const TRect& r);   // brush only, no outline
  virtual void FrameRect(const TRect& r);  // 1-pixel border in the brush colour
  virtual void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  virtual void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH);
  // Elliptic arc in the box (x1,y1,x2,y2), counter-clockwise from the ray
  // towards (x3,y3) to the ray towards (x4,y4).
  virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  virtual void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  virtual void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  // 4-connected fill with the brush: fsSurface fills the area of colour c,
  // fsBorder the area bounded by colour c.
  virtual void FloodFill(int x, int y, TColor c, TFillStyle fs);

  // Pixels.  Pixels() answers clOutside for a point outside the surface or
  // the clip rectangle; SetPixel there does nothing.
  virtual TColor Pixels(int x, int y);
  virtual void SetPixel(int x, int y, TColor c);

  // Text (UTF-8).  TextOut draws at (x, y) after the text alignment; with
  // TA_UPDATECP it starts at PenPos and moves it along.  TextRect draws at
  // (x, y) clipped to r and, when the brush is not clear, fills r first.
  virtual void TextOut(int x, int y, const std::string& text);
  virtual void TextRect(const TRect& r, int x, int y, const std::string& text);
  // Unrotated advance width and cell height (ascent + descent) of the current font.
  virtual TSize TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // Ascent, descent and so on of the current font, in pixels.
  virtual void GetTextMetrics(int& ascent, int& descent, int& internalLeading, int& externalLeading,
                              int& aveCharWidth);

  // Images.  Draw keeps the graphic's size, StretchDraw fits it into r; both
  // honour a bitmap's Transparent flag.  StretchBitmap is the primitive they
  // end in (TGraphic::Draw calls it); rop is a copy mode.
  virtual void Draw(int x, int y, const TGraphic& g);
  virtual void StretchDraw(const TRect& r, const TGraphic& g);
  virtual void StretchBitmap(const TRect& dest, const TBitmap& src, const TRect& srcRect,
                             TCopyMode rop, bool transparent = false, TColor transparentColor = clNone);
  // Copies srcRect of src (a raster canvas) to dest with CopyMode(), stretching.
  virtual void CopyRect(const TRect& dest, TCanvas& src, const TRect& srcRect);

  // The bitmap this canvas draws on, or nullptr (recording/printer canvases).
  virtual TBitmap* RasterBitmap() { return nullptr; }
  virtual bool IsPrinterCanvas() const { return FPrinterCanvas; }
  // HORZRES/VERTRES (pixels), LOGPIXELSX/Y (96 here), HORZSIZE/VERTSIZE (mm), BITSPIXEL (32).
  virtual int GetDeviceCaps(int index) const;
  // Size of the surface in pixels.
  virtual int Width() const { return 0; }
  virtual int Height() const { return 0; }

  // Called before/after a change of the surface.
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void Changing();
  void Changed();
  void SetPrinterCanvasFlag(bool v) { FPrinterCanvas = v; }
  // The default clip rectangle (the surface); set again by ResetClip.
  virtual TRect SurfaceRect() const { return Rect(0, 0, Width(), Height()); }

  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TFont> FFont;
  TPoint FPenPos;
  unsigned FTextAlign = TA_LEFT | TA_TOP;
  int FBkMode = OPAQUE;
  uint32_t FBkModeStamp = 0;  // brush change count when SetBkMode was called
  int FStretchBltMode = COLORONCOLOR;
  TCopyMode FCopyMode = cmSrcCopy;
  TRect FClipRect;
  bool FHasClip = false;
  bool FPrinterCanvas = false;
};

// ---------------------------------------------------------------- graphics
// An image that can draw itself onto a canvas and be read from and written
// to streams and files.  Load* answer false on unreadable data (the image is
// then empty) and never raise; Save* raise EFCreateError/EWriteError when the
// file cannot be written.
class TGraphic : public TPersistent {
 public:
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
  // Stretches the image into r on c.
  virtual void Draw(TCanvas& c, const TRect& r) const = 0;
  virtual bool LoadFromStream(TStream& s) = 0;
  virtual void SaveToStream(TStream& s) const = 0;
  virtual bool LoadFromFile(const std::string& fileName);
  virtual void SaveToFile(const std::string& fileName) const;
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool v);
  TNotifyEvent OnChange;

 protected:
  void Changed();
  bool FTransparent = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

// A bitmap of 32-bit pixels.  Every pixel is one uint32 word 0xAARRGGBB
// (bytes B, G, R, A in memory), whatever PixelFormat says; PixelFormat only
// chooses how SaveToStream writes the file (pf32bit: 32 bits with alpha,
// otherwise 24 bits) and whether alpha is kept.  Drawing sets alpha to 255.
// A new or enlarged bitmap is white.  Rows are stored top-down.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // Keeps the overlapping pixels; new pixels are white.  Negative sizes give 0;
  // EOutOfMemory beyond 2^28 pixels.
  void SetSize(int width, int height);
  void SetWidth(int w) { SetSize(w, FHeight); }
  void SetHeight(int h) { SetSize(FWidth, h); }
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat pf);
  // The pixels of row y (0 = top); nullptr when y is out of range.
  uint32_t* ScanLine(int y);
  const uint32_t* ScanLine(int y) const;
  uint32_t* Bits() { return FPixels.data(); }
  const uint32_t* Bits() const { return FPixels.data(); }
  // The drawing surface of this bitmap (created on first use, owned by it).
  TCanvas& Canvas();

  // The colour (TColor) of a pixel, clOutside outside.
  TColor GetPixel(int x, int y) const;
  // Transparency: with tmAuto the transparent colour is the bottom-left pixel.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor c);  // sets tmFixed (clDefault: tmAuto)
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode m) { FTransparentMode = m; }

  void Draw(TCanvas& c, const TRect& r) const override;
  // Reads BMP, PNG or JPEG (recognised by their signature).
  bool LoadFromStream(TStream& s) override;
  // Writes BMP (24-bit; 32-bit when PixelFormat is pf32bit).
  void SaveToStream(TStream& s) const override;
  // SaveToFile chooses the format by extension: .png, .jpg/.jpeg, otherwise BMP.
  void SaveToFile(const std::string& fileName) const override;
  bool LoadBMPFromStream(TStream& s);
  bool LoadPNGFromStream(TStream& s);
  bool LoadJPEGFromStream(TStream& s);
  void SaveBMPToStream(TStream& s) const;
  // PNG: 8-bit RGB, or RGBA when pf32bit.  PNG and JPEG raise EInvalidGraphic
  // for an empty bitmap (BMP writes a 0 x 0 file).
  void SavePNGToStream(TStream& s) const;
  void SaveJPEGToStream(TStream& s, int quality = 90) const;
  // A built-in image (Zol_resources); false when there is none of that name.
  bool LoadFromResourceName(const std::string& name);

  void Assign(const TPersistent& Source) override;
  // Frees the pixels (0 x 0).
  void Clear() { SetSize(0, 0); }

  // Conversions between pixel words and colours.
  static constexpr uint32_t ColorToPixel(TColor c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
  }
  static constexpr TColor PixelToColor(uint32_t p) {
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
  }

 private:
  friend class TBitmapCanvas;
  bool LoadDecoded(TStream& s, int format);
  int FWidth = 0, FHeight = 0;
  std::vector<uint32_t> FPixels;
  TPixelFormat FPixelFormat = pf24bit;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};

// The raster canvas of a TBitmap (see docs/DESIGN.md for the pixel rules).
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap& bmp);
  TBitmap* RasterBitmap() override { return &FBitmap; }
  int Width() const override { return FBitmap.Width(); }
  int Height() const override { return FBitmap.Height(); }

  void LineTo(int x, int y) override;
  void Polyline(const TPoint* pts, int count) override;
  void Polygon(const TPoint* pts, int count) override;
  void PolyBezier(const TPoint* pts, int count) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void FillRect(const TRect& r) override;
  void FrameRect(const TRect& r) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) override;
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void FloodFill(int x, int y, TColor c, TFillStyle fs) override;
  TColor Pixels(int x, int y) override;
  void SetPixel(int x, int y, TColor c) override;
  void TextOut(int x, int y, const std::string& text) override;
  void TextRect(const TRect& r, int x, int y, const std::string& text) override;
  void StretchBitmap(const TRect& dest, const TBitmap& src, const TRect& srcRect, TCopyMode rop,
                     bool transparent = false, TColor transparentColor = clNone) override;

 private:
  struct Impl;
  friend struct Impl;
  TBitmap& FBitmap;
};

}  // namespace zol
