// Scale gauge: TScaleGauge shows one value on a linear or logarithmic scale
// with an index mark, either moving over a fixed scale (FixedDial) or fixed in
// the middle while the scale moves under it.  A hidden helper TScale draws the
// scale onto the gauge's off-screen bitmap.
//
// Geometry: the scale area is the control minus the four margins; the index
// sits at the pixel of Value along the area (its middle when the dial moves).
// Index marks: gimThread a 1-pixel line across the area; gimTriangle a
// triangle of side 15 pointing into the area from its top (horizontal) or
// right (vertical) edge; gimThreadTriangle both; gimThreadTwoTriangles adds a
// second triangle in ColorIndex2 at the opposite edge; gimBand a band over the
// first third of the area from the start of the scale up to the index, its
// colour running from ColorIndex1 to ColorIndex2; gimDualColorBand the same
// band between GaugeZero and the index, in ColorIndex1 above GaugeZero and
// ColorIndex2 below it; gimBar a solid bar in ColorIndex1 over the same third.
// A collapsed scale (no pixels between the margins) puts every value in the
// middle: the mapping never divides by zero.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"
#include "chart/Zol_scale.h"

namespace zol {

class TMetafile;

enum TGaugeOrientation { goHorizontal, goVertical };
enum TGaugeBackground { gbPlain, gbVertGrad, gbHorizGrad, gbVertMidBand, gbHorizMidBand };
enum TGaugeIndexMode {
  gimThread, gimTriangle, gimThreadTriangle, gimThreadTwoTriangles, gimBand, gimDualColorBand, gimBar
};

// The mouse moved over the gauge: InGauge tells whether it is inside the
// scale area, rMousePos is the value under the mouse.
using TMouseMoveInGaugeEvent =
    std::function<void(TObject* Sender, bool InGauge, TShiftState Shift, double rMousePos)>;

class TScaleGauge : public TCustomControl {
 public:
  explicit TScaleGauge(TComponent* AOwner);
  ~TScaleGauge() override;
  TScaleGauge(const TScaleGauge&) = delete;
  TScaleGauge& operator=(const TScaleGauge&) = delete;

  // Copies every setting and the event.
  void Assign(const TPersistent& Source) override;

  // Value, clamped to the range between Min and Max.
  double Value() const { return FValue; }
  void SetValue(double v);
  double Min() const { return FMin; }
  void SetMin(double v);
  double Max() const { return FMax; }
  void SetMax(double v);
  double GaugeZero() const { return FGaugeZero; }
  void SetGaugeZero(double v);
  // Accepted only when the scale can be logarithmic (Min and Max above 1e-100).
  bool Logarithmic() const;
  void SetLogarithmic(bool v);
  int MinTicks() const;
  void SetMinTicks(int v);
  bool ShortTicks() const;
  void SetShortTicks(bool v);
  bool FixedDial() const { return FFixedDial; }
  void SetFixedDial(bool v);
  TGaugeOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TGaugeOrientation v);
  TGaugeBackground Background() const { return FBackground; }
  void SetBackground(TGaugeBackground v);
  TColor ColorBg1() const { return FColorBg1; }
  void SetColorBg1(TColor v);
  TColor ColorBg2() const { return FColorBg2; }
  void SetColorBg2(TColor v);
  TGaugeIndexMode IndexMode() const { return FIndexMode; }
  void SetIndexMode(TGaugeIndexMode v);
  TColor ColorIndex1() const { return FColorIndex1; }
  void SetColorIndex1(TColor v);
  TColor ColorIndex2() const { return FColorIndex2; }
  void SetColorIndex2(TColor v);
  TColor ColorScale() const { return FColorScale; }
  void SetColorScale(TColor v);
  TColor ColorCover() const { return FColorCover; }
  void SetColorCover(TColor v);
  // Each margin is reduced so that at least 20 pixels remain between it and
  // the opposite margin (and it is never negative).
  int MarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(int v);
  int MarginRight() const { return FMarginRight; }
  void SetMarginRight(int v);
  int MarginTop() const { return FMarginTop; }
  void SetMarginTop(int v);
  int MarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(int v);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  TColor CaptionColor() const { return FCaptionColor; }
  void SetCaptionColor(TColor v);
  int CaptionPosX() const { return FCaptionPosX; }
  void SetCaptionPosX(int v);
  int CaptionPosY() const { return FCaptionPosY; }
  void SetCaptionPosY(int v);
  int CaptionSize() const { return FCaptionSize; }
  void SetCaptionSize(int v);
  TFontStyles CaptionStyle() const { return FCaptionStyle; }
  void SetCaptionStyle(TFontStyles v);
  TFrameStyle FrameStyleOuter() const { return FFrameStyleOuter; }
  void SetFrameStyleOuter(TFrameStyle v);
  TFrameStyle FrameStyleInner() const { return FFrameStyleInner; }
  void SetFrameStyleInner(TFrameStyle v);
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v);

  // Places the inner scale (type, size and margins) for the orientation.
  void SetScaleDims();
  // The inner scale (read access for its tick list and mapping).
  const TScale& Scale() const { return *FScale; }
  // Pixel of the index along the scale (x when horizontal, y when vertical).
  int IndexPixel() const;
  // The value under a pixel of the control (along the scale).
  double PixelToValue(int X, int Y) const;

  // The gauge on Canvas with its top-left corner at (X, Y), drawn directly.
  void RenderTo(TCanvas& Canvas, int X, int Y);
  std::unique_ptr<TBitmap> ExportBitmap();
  std::unique_ptr<TMetafile> ExportMetafile();

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TMouseMoveInGaugeEvent OnMouseMoveInGauge;

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void FontChanged() override;
  void Changed();

 private:
  void ClampMargins();
  void UpdateScaleRange();
  TRect Area() const;  // the scale area (right/bottom exclusive)

  TScale* FScale = nullptr;  // owned by this component
  double FValue = 0, FMin = -10, FMax = 10, FGaugeZero = 0;
  bool FFixedDial = true;
  TGaugeOrientation FOrientation = goHorizontal;
  TGaugeBackground FBackground = gbVertGrad;
  TColor FColorBg1 = RGB(128, 128, 128), FColorBg2 = clWhite;
  TGaugeIndexMode FIndexMode = gimTriangle;
  TColor FColorIndex1 = clBlack, FColorIndex2 = clRed;
  TColor FColorScale = clBlack, FColorCover = clSilver;
  int FMarginLeft = 20, FMarginRight = 10, FMarginTop = 10, FMarginBottom = 20;
  std::string FCaption;
  TColor FCaptionColor = clBlack;
  int FCaptionPosX = 10, FCaptionPosY = 10, FCaptionSize = 12;
  TFontStyles FCaptionStyle{fsBold};
  TFrameStyle FFrameStyleOuter = fsRaised, FFrameStyleInner = fsLowered;
  TColorScheme FColorScheme = csBWG;
  bool FCreating = true;
};

}  // namespace zol
