// Platform services: metafiles — recorded drawings that replay onto any
// canvas and are written as SVG.
//
// A TMetafileCanvas records every drawing call together with the drawing
// state current at that moment (pen, brush, font, text alignment, background
// mode, copy and stretch mode, clip rectangle).  Replaying the records onto a
// raster canvas at the recorded size repeats exactly the same calls, so the
// pixels equal those of drawing directly.  Text is measured by the font
// engine, as on the raster canvas, so layouts computed while recording match.
//
// SaveToStream/SaveToFile write SVG; SaveToFile writes the recording
// format instead when the file name ends in ".zolmf".  LoadFromStream reads
// the recording format (see docs/DESIGN.md, "Metafile, printer and clipboard").
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_graphics.h"

namespace zol {

// The kinds of recorded calls.
enum TMetaRecordKind : uint8_t {
  mrLineTo,       // Pts[0] = pen position, Pts[1] = end point
  mrPolyline,     // Pts
  mrPolygon,      // Pts
  mrPolyBezier,   // Pts (1 + 3n)
  mrRectangle,    // Rect
  mrFillRect,     // Rect
  mrFrameRect,    // Rect
  mrEllipse,      // Rect
  mrRoundRect,    // Rect, Pts[0] = (corner width, corner height)
  mrArc,          // Rect, Pts[0] = start ray point, Pts[1] = end ray point
  mrPie,          // as mrArc
  mrChord,        // as mrArc
  mrFloodFill,    // Pts[0], Color, Param = TFillStyle
  mrSetPixel,     // Pts[0], Color
  mrTextOut,      // Pts[0] = reference point, Pts[1] = pen position, Text
  mrTextRect,     // Rect = clip/fill box, Pts[0] = reference point, Text
  mrImage,        // Rect = destination, Image (the source part), Param = copy mode,
                  // Transparent with Color = transparent colour
};

// The drawing state in force when a call was recorded.
struct TMetaState {
  TColor PenColor = clBlack;
  int PenWidth = 1;
  TPenStyle PenStyle = psSolid;
  TPenMode PenMode = pmCopy;
  TColor BrushColor = clWhite;
  TBrushStyle BrushStyle = bsSolid;
  std::string FontName = "Arial";
  int FontHeight = -11;
  TFontStyles FontStyle;
  TColor FontColor = clBlack;
  int FontPixelsPerInch = 96;
  int FontOrientation = 0;
  TFontPitch FontPitch = fpDefault;
  TFontCharset FontCharset = DEFAULT_CHARSET;
  unsigned TextAlign = TA_LEFT | TA_TOP;
  int BkMode = OPAQUE;
  int StretchBltMode = COLORONCOLOR;
  TCopyMode CopyMode = cmSrcCopy;
  bool HasClip = false;
  TRect Clip;
  bool operator==(const TMetaState&) const = default;
};

struct TMetaRecord {
  TMetaRecordKind Kind = mrLineTo;
  int State = 0;  // index into TMetafile::States
  TRect Rect;
  std::vector<TPoint> Pts;
  std::string Text;
  TColor Color = clBlack;
  uint32_t Param = 0;
  bool Transparent = false;
  std::shared_ptr<const TBitmap> Image;  // shared between copies; never changed
};

class TMetafile : public TGraphic {
 public:
  TMetafile();
  ~TMetafile() override;
  TMetafile(const TMetafile&) = delete;
  TMetafile& operator=(const TMetafile&) = delete;

  // The frame in pixels.  A metafile recorded without a size takes the
  // extent of what was drawn when its canvas is released.
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int v);
  void SetHeight(int v);
  void SetSize(int w, int h);
  // The frame in 0.01 mm (0: derived from the pixel size at PixelsPerInch).
  int MMWidth() const;
  int MMHeight() const;
  void SetMMWidth(int v);
  void SetMMHeight(int v);
  // The resolution the drawing was recorded at (96 unless the recording
  // canvas had a reference canvas of another resolution).
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int v);  // clamped to >= 1
  bool Empty() const override { return FRecords.empty(); }
  // Removes every record (the size stays).
  void Clear();

  int RecordCount() const { return static_cast<int>(FRecords.size()); }
  const TMetaRecord& Records(int index) const;  // EListError when out of range
  const TMetaState& States(int index) const;    // EListError when out of range
  // Adds a record with the given state (used by the recording canvas).
  void AddRecord(TMetaRecord rec, const TMetaState& state);

  // Replays the records stretched into r (at the recorded size, an offset
  // only).  Drawing is clipped to r; the canvas' pen, brush, font and modes
  // are restored afterwards.  TCanvas::Draw(x, y, metafile) and
  // StretchDraw end here.
  void Draw(TCanvas& c, const TRect& r) const override;
  // Replays at (x, y) without scaling.
  void Play(TCanvas& c, int x = 0, int y = 0) const;
  // Replays only the first count records, as Draw.
  void DrawRecords(TCanvas& c, const TRect& r, int count) const;

  // SVG text of the drawing.
  std::string AsSVG() const;
  void SaveToStream(TStream& s) const override;  // SVG
  void SaveToFile(const std::string& fileName) const override;  // SVG, or recording for ".zolmf"
  // The recording format (binary, little-endian); Load answers false and
  // leaves the metafile empty on data that is not a valid recording.
  void SaveRecordingToStream(TStream& s) const;
  bool LoadRecordingFromStream(TStream& s);
  bool LoadFromStream(TStream& s) override;  // the recording format
  // Writes the drawing as a one-page PDF (see SaveMetafilesAsPDF).
  void SaveToPDFFile(const std::string& fileName) const;

  void Assign(const TPersistent& Source) override;  // from another TMetafile

 private:
  int FWidth = 0, FHeight = 0;
  int FMMWidth = 0, FMMHeight = 0;
  int FPixelsPerInch = 96;
  std::vector<TMetaRecord> FRecords;
  std::vector<TMetaState> FStates;
};

// Writes the metafiles as the pages of one PDF file: lines and shapes as
// vector paths, text as real text in the font engine's font files, images
// embedded.  A page measures Width x Height pixels at the metafile's
// PixelsPerInch (72 points per inch).  Raises EFCreateError when the file
// cannot be created and EWriteError when writing fails.
void SaveMetafilesAsPDF(const std::vector<const TMetafile*>& pages, const std::string& fileName,
                        const std::string& title = std::string());

// A canvas that records into a metafile.  The metafile must outlive it.  With
// a reference canvas the resolution (pixels per inch) and the starting font
// are taken from it.  Text is measured as on every canvas (through the font
// engine); Pixels() answers clOutside, as nothing can be read back.  Draw,
// StretchDraw and CopyRect end in StretchBitmap, which records the image.
class TMetafileCanvas : public TCanvas {
 public:
  explicit TMetafileCanvas(TMetafile& mf, TCanvas* reference = nullptr);
  ~TMetafileCanvas() override;

  TMetafile& Metafile() { return *FMetafile; }
  int Width() const override;
  int Height() const override;
  int GetDeviceCaps(int index) const override;

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
  void SetPixel(int x, int y, TColor c) override;
  void TextOut(int x, int y, const std::string& text) override;
  void TextRect(const TRect& r, int x, int y, const std::string& text) override;
  void StretchBitmap(const TRect& dest, const TBitmap& src, const TRect& srcRect, TCopyMode rop,
                     bool transparent = false, TColor transparentColor = clNone) override;

 protected:
  // A canvas of the given resolution (the printer's).
  TMetafileCanvas(TMetafile& mf, int pixelsPerInch, bool printer);
  // Records into another metafile from now on (the next printer page).
  void SetTarget(TMetafile& mf) { FMetafile = &mf; }
  TMetaState CurrentState() const;
  void Record(TMetaRecord rec);
  void AddRaw(TMetaRecord rec);  // without growing the extent
  void Extend(int x1, int y1, int x2, int y2);  // grows the drawn extent

 private:
  TMetafile* FMetafile;
  int FPPI = 96;
  int FMaxX = 0, FMaxY = 0;  // extent drawn (for a metafile without a size)
};

}  // namespace zol
