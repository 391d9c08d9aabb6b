// Colour scale: TColorScale shows a colour bar made from its TColorArray with
// a scale beside it, and converts between values and colours.
//
// The bar fills the control minus the four margins; the scale's base line
// runs along the bar's lower edge (horizontal, labels below) or right edge
// (vertical, labels to the right), so scale pixels and bar lines coincide.
// ColorLow and ColorHigh are the values at which the first and the last
// colour of the array are reached.  With equal ends (ColorLow = ColorHigh)
// every value has the middle colour of the array (index N div 2, at least 1)
// and every colour converts back to ColorLow: nothing is divided by zero.
// FramedColorScale draws a 1-pixel outline in ColorOfScale around the bar.
// The labels lie in the bottom margin (horizontal) or the right margin
// (vertical): a vertical colour scale wants a MarginRight wide enough for them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/Zol_zolcolors.h"
#include "base/platform/Zol_controls.h"
#include "chart/Zol_scale.h"

namespace zol {

class TMetafile;

enum TColScaleOrientation { csoHorizontal, csoVertical };

// The mouse moved over the colour scale: InScale tells whether it is over the
// bar, rMousePos is the value under the mouse.
using TMouseMoveInColorScaleEvent =
    std::function<void(TObject* Sender, bool InScale, TShiftState Shift, double rMousePos)>;

class TColorScale : public TCustomControl {
 public:
  explicit TColorScale(TComponent* AOwner);
  ~TColorScale() override;
  TColorScale(const TColorScale&) = delete;
  TColorScale& operator=(const TColorScale&) = delete;

  // Copies every setting, the colours and the event.
  void Assign(const TPersistent& Source) override;

  // Colour of a value: index round((v − ColorLow)·N / (ColorHigh − ColorLow))
  // clamped to 1..N; N div 2 when ColorHigh = ColorLow; NaN gives the middle too.
  TColor ValueToColor(double v) const;
  // Value of the nearest array colour: ColorLow + index/N·(ColorHigh − ColorLow).
  double ColorToValue(TColor c) const;

  // The owned colour array (a change repaints the scale).
  TColorArray& ColorArray() { return *FColorArray; }
  const TColorArray& ColorArray() const { return *FColorArray; }

  double ScaleRangeLow() const { return FScale->RangeLow(); }
  void SetScaleRangeLow(double v);
  double ScaleRangeHigh() const { return FScale->RangeHigh(); }
  void SetScaleRangeHigh(double v);
  double ColorLow() const { return FColorLow; }
  // Above ColorHigh, ColorHigh moves up to it.
  void SetColorLow(double v);
  double ColorHigh() const { return FColorHigh; }
  // Below ColorLow, ColorLow moves down to it.
  void SetColorHigh(double v);
  bool ExtendColors() const { return FExtendColors; }
  void SetExtendColors(bool v);
  bool FramedColorScale() const { return FFramedColorScale; }
  void SetFramedColorScale(bool v);
  TColScaleOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TColScaleOrientation v);
  TColor ColorSclBkgd() const { return FColorSclBkgd; }
  void SetColorSclBkgd(TColor v);
  TColor ColorOfScale() const { return FColorOfScale; }
  void SetColorOfScale(TColor v);
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v);
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
  // Margins are >= 0 (a negative value is stored as 0).
  int MarginTop() const { return FMarginTop; }
  void SetMarginTop(int v);
  int MarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(int v);
  int MarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(int v);
  int MarginRight() const { return FMarginRight; }
  void SetMarginRight(int v);

  // Places the inner scale (type, size and margins) for the orientation.
  void SetScaleDims();
  // The inner scale (read access for its tick list and mapping).
  const TScale& Scale() const { return *FScale; }
  // Tick settings of the inner scale.
  int MinTicks() const { return FScale->MinTicks(); }
  void SetMinTicks(int v);
  int DecPlaces() const { return FScale->DecPlaces(); }
  void SetDecPlaces(int v);

  // The colour scale on Canvas with its top-left corner at (X, Y), drawn directly.
  void RenderTo(TCanvas& Canvas, int X, int Y);
  std::unique_ptr<TBitmap> ExportBitmap();
  std::unique_ptr<TMetafile> ExportMetafile();

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TMouseMoveInColorScaleEvent OnMouseMoveInScale;

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void FontChanged() override;
  void Changed();

 private:
  TRect BarRect() const;  // right/bottom exclusive

  TScale* FScale = nullptr;            // owned by this component
  TColorArray* FColorArray = nullptr;  // owned by this component
  double FColorLow = -10, FColorHigh = 10;
  bool FExtendColors = false, FFramedColorScale = true;
  TColScaleOrientation FOrientation = csoHorizontal;
  TColor FColorSclBkgd = clSilver, FColorOfScale = clBlack;
  TColorScheme FColorScheme = csBWG;
  TFrameStyle FFrameStyle = fsLowered;
  std::string FCaption;
  TColor FCaptionColor = clBlack;
  int FCaptionPosX = 10, FCaptionPosY = 10, FCaptionSize = 12;
  TFontStyles FCaptionStyle{fsBold};
  int FMarginTop = 8, FMarginBottom = 22, FMarginLeft = 16, FMarginRight = 16;
  bool FCreating = true;
};

}  // namespace zol
