// Progress bar: a bar growing in one of four directions inside margins and
// two frames, with an optional colour gradient, grid lines, background image
// and a value text.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

enum TColorMapping { cgmCover, cgmStretch, cgmMove };

// Lets the application replace the value text before it is drawn.
using TProgBarShowValueEvent = std::function<void(TObject* Sender, std::string& Text)>;

class TProgBar : public TGraphicControl {
 public:
  explicit TProgBar(TComponent* AOwner);
  ~TProgBar() override;

  // Range and value.  Min stays at or below Max (a larger Min is taken as
  // Max, a smaller Max as Min) and Value inside Min..Max; values that are
  // not numbers are ignored.  With Max = Min the bar is empty.
  double Min() const { return FMin; }
  void SetMin(double v);  // default 0
  double Max() const { return FMax; }
  void SetMax(double v);  // default 100
  double Value() const { return FValue; }
  void SetValue(double v);  // default 0

  TDirection Direction() const { return FDirection; }
  void SetDirection(TDirection v) { StoreAndRepaint(FDirection, v); }  // default dirRightward
  TColor ColorBackGnd() const { return FColorBackGnd; }
  void SetColorBackGnd(TColor v) { StoreAndRepaint(FColorBackGnd, v); }  // default clWhite
  // Drawn stretched over the bar area instead of ColorBackGnd when not empty.
  TBitmap& BackGroundImg() { return *FBackGroundImg; }
  void SetBackGroundImg(const TBitmap& b);
  TColor ColorMin() const { return FColorMin; }
  void SetColorMin(TColor v) { StoreAndRepaint(FColorMin, v); }  // default clBlue
  // The bar's colour without gradient, and the gradient's far end.
  TColor ColorMax() const { return FColorMax; }
  void SetColorMax(TColor v) { StoreAndRepaint(FColorMax, v); }  // default clRed
  bool ShowColorGradient() const { return FShowColorGradient; }
  void SetShowColorGradient(bool v) { StoreAndRepaint(FShowColorGradient, v); }  // default false
  TColorMapping ColorMapMode() const { return FColorMapMode; }
  void SetColorMapMode(TColorMapping v) { StoreAndRepaint(FColorMapMode, v); }  // default cgmCover
  // Grid lines across the bar every GridDist pixels (from the bar's start) when GridDist > 1.
  int GridDist() const { return FGridDist; }
  void SetGridDist(int v);  // 0..10000, default 0
  TColor ColorGrid() const { return FColorGrid; }
  void SetColorGrid(TColor v) { StoreAndRepaint(FColorGrid, v); }  // default clGray
  int MarginTop() const { return FMarginTop; }
  void SetMarginTop(int v);  // 0..1000, default 4
  int MarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(int v);
  int MarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(int v);
  int MarginRight() const { return FMarginRight; }
  void SetMarginRight(int v);
  TColor ColorMargin() const { return FColorMargin; }
  void SetColorMargin(TColor v) { StoreAndRepaint(FColorMargin, v); }  // default clSilver
  TFrameStyle FrameStyleOuter() const { return FFrameStyleOuter; }
  void SetFrameStyleOuter(TFrameStyle v) { StoreAndRepaint(FFrameStyleOuter, v); }  // default fsRaised
  TFrameStyle FrameStyleInner() const { return FFrameStyleInner; }
  void SetFrameStyleInner(TFrameStyle v) { StoreAndRepaint(FFrameStyleInner, v); }  // default fsLowered
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v) { StoreAndRepaint(FColorScheme, v); }  // default csBWG

  // Value text: drawn when TextVisible with the control's Font, turned by
  // TextAngle degrees; (TextPosX, TextPosY) is the middle of the text's left
  // end, centre or right end (TextAlignment).
  bool TextVisible() const { return FTextVisible; }
  void SetTextVisible(bool v) { StoreAndRepaint(FTextVisible, v); }  // default true
  int TextPosX() const { return FTextPosX; }
  void SetTextPosX(int v) { StoreAndRepaint(FTextPosX, v); }  // default 14
  int TextPosY() const { return FTextPosY; }
  void SetTextPosY(int v) { StoreAndRepaint(FTextPosY, v); }  // default 14
  int TextAngle() const { return FTextAngle; }
  void SetTextAngle(int v);  // degrees, taken modulo 360; default 0
  TAlignment TextAlignment() const { return FTextAlignment; }
  void SetTextAlignment(TAlignment v) { StoreAndRepaint(FTextAlignment, v); }  // default taLeftJustify
  int TextDecPlaces() const { return FTextDecPlaces; }
  void SetTextDecPlaces(int v);  // 0..15, default 0

  // The value text before OnShowValue: Value with TextDecPlaces decimals.
  std::string ValueText() const;
  // The bar area inside margins and inner frame, and its filled part.
  TRect BarRect() const;
  TRect FilledRect() const;
  // Filled length in pixels: round(length × (Value − Min) / (Max − Min)), 0 when Max = Min.
  int FilledLength() const;

  TProgBarShowValueEvent OnShowValue;

 protected:
  void Paint() override;

 private:
  bool Horizontal() const { return FDirection == dirLeftward || FDirection == dirRightward; }

  double FMin = 0, FMax = 100, FValue = 0;
  TDirection FDirection = dirRightward;
  TColor FColorBackGnd = clWhite;
  std::unique_ptr<TBitmap> FBackGroundImg;
  TColor FColorMin = clBlue, FColorMax = clRed;
  bool FShowColorGradient = false;
  TColorMapping FColorMapMode = cgmCover;
  int FGridDist = 0;
  TColor FColorGrid = clGray;
  int FMarginTop = 4, FMarginBottom = 4, FMarginLeft = 4, FMarginRight = 4;
  TColor FColorMargin = clSilver;
  TFrameStyle FFrameStyleOuter = fsRaised, FFrameStyleInner = fsLowered;
  TColorScheme FColorScheme = csBWG;
  bool FTextVisible = true;
  int FTextPosX = 14, FTextPosY = 14, FTextAngle = 0;
  TAlignment FTextAlignment = taLeftJustify;
  int FTextDecPlaces = 0;
};

}  // namespace zol
