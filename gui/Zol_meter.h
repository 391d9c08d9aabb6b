// Meter: an analogue panel instrument showing one value (and optionally a
// second one) as needles over a circular-arc scale, linear or logarithmic,
// with coloured range bands, a caption and unit label, a covered pivot
// anchor and two limit-watch lamps.
//
// Geometry (W × H control, rims T top, B bottom, S side):
//   mlCirc90   centre (W div 2, H − B − 8), R = H − B − T − 16
//   mlCirc120  same centre, R = min(H − B − T − 16, (W / 2 − S − 8) · 1.1547)
//   mlCirc180  same centre, R = min(H − B − T − 16, W / 2 − S − 8)
//   mlCirc270  R = min(W div 2 − S − 8, (H − B − T − 16) / 1.7071), centre y = round(T + 8 + R)
//   mlCirc300  R = min(W div 2 − S − 8, (H − B − T − 16) / 1.866), centre y = round(T + 8 + R)
//   mlCirc360  R = min(W div 2 − S − 8, (H − B − T − 16) / 2), centre y = round(T + 8 + R)
// The meter face is the rectangle inside the rims (S, T) .. (W − S, H − B),
// filled with ColorBakG; the cover (ColorCover) lies around it.  The lamps are
// discs of radius 5 at (S + 8, H − B − 8) (low) and (W − 1 − S − 8, H − B − 8)
// (high), clipped to the control.  The caption is centred half a radius above
// the pivot, the unit label a quarter radius above it (below the pivot for the
// spans of 270 degrees and more, where the bottom of the dial is free).
//
// Degenerate ranges: with MeterMinValue = MeterMaxValue every value lies at the
// minimum end of the scale (fraction 0), the scale shows one labelled tick and
// the bands collapse; a logarithmic scale needs both limits above 1e-100 —
// setting a limit at or below it while the scale is logarithmic turns the scale
// linear.  A radius below 1 pixel (a control too small for its rims) draws the
// background, frame and lamps only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

enum TMeterLayout { mlCirc90, mlCirc120, mlCirc180, mlCirc270, mlCirc300, mlCirc360 };

// The meter's frame: FrameStyle on the rectangle (Left, Top) .. (Right, Bottom) (corner
// pixels) in the colours of a scheme: csBWG grey (808080) and white, csSystem
// the platform's button shadow and highlight.
void DrawMeterFrame(TCanvas& Canvas, TFrameStyle FrameStyle, TColorScheme Scheme, int Left, int Top, int Right,
                     int Bottom);

// Decimals of tick labels: a non-negative Status is returned unchanged; the
// automatic mode (Status −2) gives −1 when |a − b| >= 1 000 000 or <= 1e-4, 0 when
// it is at least 100, otherwise 2 − round(ln|a − b| / 2.5).  Other negative
// Status values give −1.
int CalcM(int Status, double a, double b);

// Shape and colours of one needle; changes fire OnChange.
class TNeedleLayout : public TPersistent {
 public:
  explicit TNeedleLayout(bool AVisible = true) : FVisible(AVisible) {}
  void Assign(const TPersistent& Source) override;

  int PercentNeedleLength() const { return FPercentNeedleLength; }
  void SetPercentNeedleLength(int v);  // 0..100
  int HeadSize() const { return FHeadSize; }
  void SetHeadSize(int v);  // >= 0
  int HeadAngle() const { return FHeadAngle; }
  void SetHeadAngle(int v);  // 0..180 degrees
  int HeadMidLeng() const { return FHeadMidLeng; }
  void SetHeadMidLeng(int v);  // >= 0
  int Thickness() const { return FThickness; }
  void SetThickness(int v);  // >= 0
  TColor ColorBody() const { return FColorBody; }
  void SetColorBody(TColor v);
  TColor ColorOutline() const { return FColorOutline; }
  void SetColorOutline(TColor v);
  int ShadowDx() const { return FShadowDx; }
  void SetShadowDx(int v);
  int ShadowDy() const { return FShadowDy; }
  void SetShadowDy(int v);
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);

  TNotifyEvent OnChange;

 private:
  void Changed();
  template <class T>
  void SetField(T& f, T v) {
    if (f == v) return;
    f = v;
    Changed();
  }
  int FPercentNeedleLength = 100;
  int FHeadSize = 20;
  int FHeadAngle = 30;
  int FHeadMidLeng = 20;
  int FThickness = 0;
  TColor FColorBody = clSilver;
  TColor FColorOutline = clBlack;
  int FShadowDx = 0, FShadowDy = 0;
  TColor FShadowColor = clGray;
  bool FVisible = true;
};

using TBeforeDrawNeedleEvent = std::function<void(TObject* Sender, TCanvas& Canvas, bool& Skip)>;
// The label's top-left position and its text, which the handler may change
// (an empty text is not drawn).
using TBeforeDrawScaleLabelEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, int X, int Y, std::string& Text)>;
using TMouseMoveInMeterEvent = std::function<void(TObject* Sender, TShiftState Shift, double Value)>;

class TMeter : public TGraphicControl {
 public:
  explicit TMeter(TComponent* AOwner);
  ~TMeter() override;

  // ---- scale and values
  TMeterLayout MeterLayout() const { return FMeterLayout; }
  void SetMeterLayout(TMeterLayout v);
  double MeterMinValue() const { return FMin; }
  void SetMeterMinValue(double v);
  double MeterMaxValue() const { return FMax; }
  void SetMeterMaxValue(double v);
  double Value() const { return FValue; }
  void SetValue(double v);  // clamped to the range; fires the range events
  double ValueSec() const { return FValueSec; }
  void SetValueSec(double v);
  double ThresholdLow() const { return FThreshLow; }
  void SetThresholdLow(double v);
  double ThresholdHigh() const { return FThreshHigh; }
  void SetThresholdHigh(double v);
  bool Logarithmic() const { return FLog; }
  void SetLogarithmic(bool v);  // refused unless both limits exceed 1e-100
  int MeterNrTicks() const { return FNrTicks; }
  void SetMeterNrTicks(int v);  // 2..21
  int MeterDecPlaces() const { return FDecPlaces; }
  void SetMeterDecPlaces(int v);  // 0..4
  bool MeterShortTicks() const { return FShortTicks; }
  void SetMeterShortTicks(bool v);
  bool MeterScaleLine() const { return FScaleLine; }
  void SetMeterScaleLine(bool v);
  bool ScaleVisible() const { return FScaleVisible; }
  void SetScaleVisible(bool v);
  bool ScaleBkVisible() const { return FScaleBkVisible; }
  void SetScaleBkVisible(bool v);
  int ScaleBkWidth() const { return FScaleBkWidth; }
  void SetScaleBkWidth(int v);  // 0..100 percent of the radius

  // ---- colours and frame
  TColor ColorSclBkLow() const { return FColorSclBkLow; }
  void SetColorSclBkLow(TColor v) { SetColorField(FColorSclBkLow, v); }
  TColor ColorSclBkNorm() const { return FColorSclBkNorm; }
  void SetColorSclBkNorm(TColor v) { SetColorField(FColorSclBkNorm, v); }
  TColor ColorSclBkHigh() const { return FColorSclBkHigh; }
  void SetColorSclBkHigh(TColor v) { SetColorField(FColorSclBkHigh, v); }
  TColor ColorBakG() const { return FColorBakG; }
  void SetColorBakG(TColor v) { SetColorField(FColorBakG, v); }
  TColor ColorCover() const { return FColorCover; }
  void SetColorCover(TColor v) { SetColorField(FColorCover, v); }
  TColor ColorScale() const { return FColorScale; }
  void SetColorScale(TColor v) { SetColorField(FColorScale, v); }
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v);
  int RimTop() const { return FRimTop; }
  void SetRimTop(int v);  // >= 0
  int RimBottom() const { return FRimBottom; }
  void SetRimBottom(int v);
  int RimSide() const { return FRimSide; }
  void SetRimSide(int v);
  int AnchorSize() const { return FAnchorSize; }
  void SetAnchorSize(int v);  // >= 0
  bool AnchorCovered() const { return FAnchorCovered; }
  void SetAnchorCovered(bool v);
  // Images by file name; a file that cannot be loaded leaves the previous
  // image (and name); an empty name removes the image.
  const std::string& AnchorImage() const { return FAnchorImageName; }
  void SetAnchorImage(const std::string& FileName);
  const std::string& BackGroundImg() const { return FBackGroundImgName; }
  void SetBackGroundImg(const std::string& FileName);
  TBkgFill BkgndFillMode() const { return FBkgndFillMode; }
  void SetBkgndFillMode(TBkgFill v);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  const std::string& UnitLabel() const { return FUnitLabel; }
  void SetUnitLabel(const std::string& v);
  TFont& FontCaption() { return *FFontCaption; }
  void SetFontCaption(const TFont& f) { FFontCaption->Assign(f); }
  bool LimWatchLowOn() const { return FLimWatchLowOn; }
  void SetLimWatchLowOn(bool v);
  bool LimWatchHighOn() const { return FLimWatchHighOn; }
  void SetLimWatchHighOn(bool v);
  TColor LimWatchActColor() const { return FLimWatchActColor; }
  void SetLimWatchActColor(TColor v) { SetColorField(FLimWatchActColor, v); }
  TColor LimWatchPsvColor() const { return FLimWatchPsvColor; }
  void SetLimWatchPsvColor(TColor v) { SetColorField(FLimWatchPsvColor, v); }
  TNeedleLayout& NeedleLayout() { return FNeedle; }
  TNeedleLayout& NeedleLayoutSec() { return FNeedleSec; }
  void SetNeedleLayout(const TNeedleLayout& v) { FNeedle.Assign(v); }
  void SetNeedleLayoutSec(const TNeedleLayout& v) { FNeedleSec.Assign(v); }

  // ---- state of the limit watch
  bool LowState() const { return FLowState; }
  bool HighState() const { return FHighState; }

  // ---- geometry
  int PivotX() const { return FCx; }
  int PivotY() const { return FCy; }
  double Radius() const { return FR; }
  int Span() const;
  // Scale angle of a value (degrees): 180 − span/2 + span · q.
  double CalcNeedleAngle(double v) const;
  // Fraction q of the scale (0 at the minimum, 1 at the maximum) of a value.
  double ScaleFraction(double v) const;
  // The point at Percent percent of the radius in the direction of value v.
  TPoint ConvertToPixelCoords(double v, double Percent) const;
  // The value under a pixel, when the pixel lies on the sweep of the scale.
  bool ConvertPixelToValue(int X, int Y, double& Value) const;
  // The seven points of a needle at value v.
  void NeedlePolygon(const TNeedleLayout& N, double v, TPoint Pts[7]) const;

  // Draws the whole picture onto any canvas at (0, 0) (used by Paint; also
  // for metafiles and the printer).
  void Render(TCanvas& Canvas);

  TNotifyEvent OnUnderFlow, OnNormalRange, OnOverFlow, OnMeterRendered;
  TBeforeDrawNeedleEvent OnBeforeDrawNeedle;
  TBeforeDrawScaleLabelEvent OnBeforeDrawScaleLabel;
  TMouseMoveInMeterEvent OnMouseMoveInMeter;

 protected:
  void Paint() override;
  void Resize() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void Loaded() override;

 private:
  void SetColorField(TColor& f, TColor v);
  void CalcLayout();
  void Reclamp();
  double Clamp(double v) const;
  void Fire(const TNotifyEvent& e);
  void RangeEvents();
  void DrawScale(TCanvas& c);
  void DrawNeedle(TCanvas& c, const TNeedleLayout& N, double v);
  void DrawBand(TCanvas& c, double v1, double v2, TColor col, int r);

  TMeterLayout FMeterLayout = mlCirc90;
  double FMin = 0, FMax = 1, FValue = 0, FValueSec = 0, FThreshLow = 0, FThreshHigh = 1;
  bool FLog = false;
  int FNrTicks = 3, FDecPlaces = 1;
  bool FShortTicks = true, FScaleLine = true, FScaleVisible = true, FScaleBkVisible = false;
  int FScaleBkWidth = 0;
  TColor FColorSclBkLow = 0x00FF00, FColorSclBkNorm = 0x0080FF, FColorSclBkHigh = 0x0000FF;
  TColor FColorBakG = clWhite, FColorCover = clBtnFace, FColorScale = clNavy;
  TColorScheme FColorScheme = csBWG;
  TFrameStyle FFrameStyle = fsRaised;
  int FRimTop = 8, FRimBottom = 10, FRimSide = 10;
  int FAnchorSize = 24;
  bool FAnchorCovered = true;
  std::string FAnchorImageName, FBackGroundImgName;
  std::unique_ptr<TBitmap> FAnchorImg, FBackGroundImg;
  TBkgFill FBkgndFillMode = bfSimple;
  std::string FCaption, FUnitLabel;
  std::unique_ptr<TFont> FFontCaption;
  bool FLimWatchLowOn = true, FLimWatchHighOn = true;
  TColor FLimWatchActColor = clRed, FLimWatchPsvColor = clGray;
  TNeedleLayout FNeedle{true}, FNeedleSec{false};
  bool FLowState = false, FHighState = false;
  int FCx = 0, FCy = 0;
  double FR = 0;
  std::unique_ptr<TBitmap> FBuffer;
};

}  // namespace zol
