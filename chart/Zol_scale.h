// Axis scales: TScale draws one linear, logarithmic, time or date/time axis
// (base line, long and short ticks, tick labels, caption, optional frame and
// background), maps world values to pixels along the axis and back, and
// records the values of the ticks it drew.  The chart and the gauges draw
// their axes through the same rules on a foreign drawing surface
// (UseForeignCanvas, DrawXScale, DrawYScale).
//
// Mapping: pixel = k·v + c, v being the value or, on a logarithmic scale, its
// natural logarithm.  Horizontal axes run from x = MarginLeft (RangeLow) to
// x = Width − MarginRight − 1 (RangeHigh); vertical axes from
// y = Height − MarginBottom − 1 (RangeLow) up to y = MarginTop (RangeHigh).
// A collapsed axis (usable length ≤ 0) has k = 0: every value maps to the
// middle (c = Width / 2) and every pixel maps back to the scale centre.
//
// The tick list holds at most MaxScaleTicks (250) values.  However small the
// step or however many decades the range spans, at most one tick is drawn per
// pixel of the axis: a step finer than a pixel is coarsened on the 1-2-5 grid
// before any tick is walked, so the work is bounded by the axis length.  A
// tick more than a pixel beyond the ends of the axis is not drawn (with
// MinTicks 0 a unit step may be far longer than the axis), and where the
// step had to be coarsened, or a logarithmic axis has more decades than room,
// a label that would overlap the previous one is left out.
//
// Labels: numbers never exceed 14 characters and are never cut: a longer
// fixed-point text switches to the exponent form with the fewest decimals that
// still give the tick's value, and a value whose exponent needs three digits
// (or that 14 characters cannot tell from its neighbours) is shown as
// asterisks.  Time and date/time axes with MinTicks 0 take one interval over
// the whole range.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_graphics.h"

namespace zol {

class TMetafile;

// Raised by the scale's export routines ("Component \"Name\": detail").
class EZOLScaleError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

// Where the caption sits along the axis.
enum TScaleUnitAnchor { uaSclTopLft, uaSclCenter, uaSclBotRgt };

// Capacity of the recorded tick list.
constexpr int MaxScaleTicks = 250;
// Longest tick label; a longer number switches to the exponent form and,
// when that does not fit either, is shown as asterisks (never cut).
constexpr int MaxScaleLabelLength = 14;

// Fired after each tick mark: its value and the pixel at the tick's foot on the base line.
using TScaleTickDrawnEvent = std::function<void(TObject* Sender, TCanvas& Canvas, TScaleType ScaleType,
                                                double CurrentTickPos, int ChartX, int ChartY)>;
// May change each label before it is drawn.
using TBeforeTickLabelEvent = std::function<void(TObject* Sender, TScaleType ScaleType,
                                                 double CurrentTickPos, std::string& TickLabel)>;
// Fired before and after each rendering with the surface drawn on.
using TScaleRenderedEvent = std::function<void(TObject* Sender, TCanvas& Canvas)>;

// ---------------------------------------------------------------- drawing helpers
// Shared by the chart components that draw through RenderTo.
// Frame colours of a colour scheme: csBWG white, silver (192), grey (128),
// black; csSystem the platform's button highlight, 3D light, button shadow
// and 3D dark shadow.
struct TFrameColors {
  TColor Highlight, Light, Shadow, Dark;
};
TFrameColors SchemeFrameColors(TColorScheme Scheme);
// A picture of Width × Height (at least 1 × 1) drawn by Draw on a new bitmap
// or a new metafile (vector: lines and text stay lines and text).
std::unique_ptr<TBitmap> RenderBitmap(int Width, int Height, const std::function<void(TCanvas&)>& Draw);
std::unique_ptr<TMetafile> RenderMetafile(int Width, int Height, const std::function<void(TCanvas&)>& Draw);
// Text with its top-left corner at (X, Y) in the font Base re-sized to Size
// points with Style and Color, without background; nothing for empty text.
void DrawCaptionText(TCanvas& Canvas, const TFont& Base, int X, int Y, const std::string& Text, int Size,
                     TFontStyles Style, TColor Color);

class TScale : public TCustomControl {
 public:
  explicit TScale(TComponent* AOwner);
  ~TScale() override;
  TScale(const TScale&) = delete;
  TScale& operator=(const TScale&) = delete;

  // Copies every setting, events included (not the owner, parent or bounds).
  void Assign(const TPersistent& Source) override;

  // ---------------------------------------------------------------- range
  double RangeLow() const { return FRangeLow; }
  // Stores v; when v equals RangeHigh, RangeHigh becomes v + 1.
  void SetRangeLow(double v);
  double RangeHigh() const { return FRangeHigh; }
  // Stores v; when v equals RangeLow, RangeLow becomes v + 1 (a reversed axis).
  void SetRangeHigh(double v);
  // Stores both; when equal, RangeHigh becomes Low + 1.
  void SetRange(double Low, double High);
  double GetScaleCenter() const { return (FRangeLow + FRangeHigh) / 2; }

  bool Logarithmic() const { return FLogarithmic; }
  // Switching on (outside loading) needs RangeLow and RangeHigh > 1e-100 and a
  // label type other than ftDateTime, otherwise it is ignored; off always works.
  void SetAxLinLog(bool on);
  void SetLogarithmic(bool on) { SetAxLinLog(on); }

  // ---------------------------------------------------------------- ticks and labels
  TScaleType ScaleType() const { return FScaleType; }
  void SetScaleType(TScaleType v);
  // 0 or 2..10 (a non-zero value is clamped into 2..10).
  int MinTicks() const { return FMinTicks; }
  void SetMinTicks(int v);
  // Number of tick values recorded by the last drawing (at most MaxScaleTicks).
  int NumTicks() const { return FNumTicks; }
  // The i-th recorded tick value (1-based); 0 outside 1..NumTicks.
  double GetTickPos(int i) const;
  bool ShortTicks() const { return FShortTicks; }
  void SetShortTicks(bool v);
  // Decimals of numeric labels, clamped to −3..12: −1 exponential form,
  // −2 automatic, −3 automatic (logarithmic: decade exponents only).
  int DecPlaces() const { return FDecPlaces; }
  void SetDecPlaces(int v);
  TFigType LabelType() const { return FLabelType; }
  // ftDateTime switches Logarithmic off; ftTime sets DecPlaces to 4.
  void SetLabelType(TFigType v);
  // Date/time label format; its change notification repaints the scale.
  TDTLabel& DateFormat() { return *FDateFormat; }
  const TDTLabel& DateFormat() const { return *FDateFormat; }
  void SetDateFormat(const TDTLabel& v);
  // Labels for ftUserText, separated by "|".
  const std::string& UserTickText() const { return FUserTickText; }
  void SetUserTickText(const std::string& v);
  // Text added to every numeric label (see AddScaleInscription).
  const std::string& ScaleInscript() const { return FScaleInscript; }
  void SetScaleInscript(const std::string& v);

  // ---------------------------------------------------------------- caption
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  int CaptionPosX() const { return FCaptionPosX; }
  void SetCaptionPosX(int v);
  int CaptionPosY() const { return FCaptionPosY; }
  void SetCaptionPosY(int v);
  TAlignment CaptionAlignment() const { return FCaptionAlignment; }
  void SetCaptionAlignment(TAlignment v);
  TScaleUnitAnchor CaptionAnchor() const { return FCaptionAnchor; }
  void SetCaptionAnchor(TScaleUnitAnchor v);

  // ---------------------------------------------------------------- geometry and colours
  // Margins are >= 0 (a negative value is stored as 0).
  int MarginTop() const { return FMarginTop; }
  void SetMarginTop(int v);
  int MarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(int v);
  int MarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(int v);
  int MarginRight() const { return FMarginRight; }
  void SetMarginRight(int v);
  TColor ColorScale() const { return FColorScale; }
  void SetColorScale(TColor v);
  TColor ColorBackGnd() const { return FColorBackGnd; }
  void SetColorBackGnd(TColor v);
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v);
  bool ShowBaseLine() const { return FShowBaseLine; }
  void SetShowBaseLine(bool v);
  // Draw directly on the target, without background and frame.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  // Dark colour of the frame (black).
  TColor ColorFrameDark() const { return FColorFrameDark; }
  void SetColorFrameDark(TColor v);

  // ---------------------------------------------------------------- mapping
  // Value to pixel (clamped to ±2147483647 before rounding).  On a
  // logarithmic axis a value ≤ 1e-100 maps to the start of the axis when
  // RangeHigh ≥ RangeLow and to the axis length when not (Width for
  // horizontal, Height for vertical axes).  NaN maps to the offset c.
  int R2M(double v) const;
  int ConvertToPixelCoords(double v) const { return R2M(v); }
  // Pixel to value; with k = 0 (a collapsed axis) the scale centre (on a
  // logarithmic axis the geometric one, sqrt(RangeLow·RangeHigh)).
  double M2R(int pixel) const;
  double ConvertPixelToScale(int pixel) const { return M2R(pixel); }
  // The linear equation of the mapping (pixel = k·v + c).
  double ScaleFactor() const { return FK; }
  double ScaleOffset() const { return FC; }
  // Recomputes k and c from the range, margins and size.
  void AdjustScalePars();

  // ---------------------------------------------------------------- drawing
  // Draws onto another surface at offset (X, Y) (nullptr: back to the control's own).
  void UseForeignCanvas(TCanvas* Canvas, int X, int Y);
  TCanvas* ForeignCanvas() const { return FForeignCanvas; }
  int ForCvPosX() const { return FForCvPosX; }
  void SetForCvPosX(int v);
  int ForCvPosY() const { return FForCvPosY; }
  void SetForCvPosY(int v);
  // Ticks, labels and caption of a horizontal axis whose base line lies at
  // BaseY (for a vertical axis at BaseX) on Canvas; the tick list is rebuilt.
  // Base is a coordinate of Canvas; on the foreign surface (UseForeignCanvas)
  // the positions along the axis are moved by its offset ForCvPosX/ForCvPosY.
  void DrawXScale(TCanvas& Canvas, int BaseY);
  void DrawYScale(TCanvas& Canvas, int BaseX);
  // The complete scale (background, axis, base line, frame; only the axis when
  // Transparent) on Canvas with the control's top-left corner at (X, Y), drawn
  // directly (vector surfaces keep lines and text).
  void RenderTo(TCanvas& Canvas, int X, int Y);
  // Paints even while painting is suppressed.
  void ForcePaint();
  bool SuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool v);
  // A helper scale is painted only on demand by its host component.
  bool IsHelper() const { return FIsHelper; }
  void SetIsHelper(bool v);

  // ---------------------------------------------------------------- export
  // The scale as a bitmap of its size, as a metafile (vector), and as files:
  // PNG through the bitmap, SVG through the metafile, PDF through the printer.
  std::unique_ptr<TBitmap> ExportBitmap();
  std::unique_ptr<TMetafile> ExportMetafile();
  void SaveAsPNG(const std::string& FileName);
  void SaveAsSVG(const std::string& FileName);
  void SaveAsPDF(const std::string& FileName);

  // ---------------------------------------------------------------- helpers
  // The n-th field (1-based) of Text split at "|"; beyond the last field the
  // text after the last "|" (empty when Text holds no "|" and n > 1).
  static std::string ExtractUserText(const std::string& Text, int n);
  // An empty label stays empty; "pre&post" puts pre in front and post behind;
  // without "&" the whole inscription goes in front.
  static std::string AddScaleInscription(const std::string& Label, const std::string& Inscript);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;

  // ---------------------------------------------------------------- events
  TScaleTickDrawnEvent OnScaleTickDrawn;
  TBeforeTickLabelEvent OnBeforeTickLabel;
  TScaleRenderedEvent OnBeforeScaleRendered;
  TScaleRenderedEvent OnAfterScaleRendered;

 protected:
  void Paint() override;
  void CreateWnd() override;
  void FontChanged() override;
  // Repaints after a change: at once when opaque or a helper, otherwise by invalidation.
  void Changed();

 private:
  struct TickCtx;
  bool IsHorizontal() const { return FScaleType == sctXB || FScaleType == sctXT; }
  void DoPaint(bool force);
  void DrawAxis(TCanvas& Canvas, int Base, bool Horizontal);
  void DrawLinTicks(TCanvas& Canvas, TickCtx& t);
  void DrawLogTicks(TCanvas& Canvas, TickCtx& t);
  bool DrawTimeTicks(TCanvas& Canvas, TickCtx& t);
  void DrawDateTimeTicks(TCanvas& Canvas, TickCtx& t);
  void DrawCaption(TCanvas& Canvas, int Base, bool Horizontal);
  bool DrawTick(TCanvas& Canvas, TickCtx& t, double v, int len, bool record);
  void DrawLabel(TCanvas& Canvas, TickCtx& t, double v, std::string lbl, int extraRows = 0);
  void RecordTick(double v);
  double AxisPixel(double v) const;  // unrounded, unclamped mapping

  double FRangeLow = 0, FRangeHigh = 100;
  bool FLogarithmic = false;
  TScaleType FScaleType = sctXB;
  int FMinTicks = 3;
  int FNumTicks = 0;
  double FTicks[MaxScaleTicks] = {};
  bool FShortTicks = true;
  int FDecPlaces = -2;
  TFigType FLabelType = ftNum;
  std::unique_ptr<TDTLabel> FDateFormat;
  std::string FUserTickText, FScaleInscript, FCaption;
  int FCaptionPosX = 4, FCaptionPosY = 4;
  TAlignment FCaptionAlignment = taCenter;
  TScaleUnitAnchor FCaptionAnchor = uaSclTopLft;
  int FMarginTop = 20, FMarginBottom = 20, FMarginLeft = 20, FMarginRight = 20;
  TColor FColorScale = clBlack;
  TColor FColorBackGnd = clBtnFace;
  TColorScheme FColorScheme = csBWG;
  TFrameStyle FFrameStyle = fsLowered;
  bool FShowBaseLine = true;
  bool FTransparent = false;
  TColor FColorFrameDark = clBlack;
  double FK = 1, FC = 0;
  double FAnchorV = 0, FAnchorP = 0;  // value (or its logarithm) and pixel at the axis start
  bool FSuppressPaint = true;
  bool FIsHelper = false;
  TCanvas* FForeignCanvas = nullptr;
  int FForCvPosX = 0, FForCvPosY = 0;
  int FOfsX = 0, FOfsY = 0;  // offset of the drawing in progress
};

}  // namespace zol
