// Label drawn at any angle.
#pragma once

#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

class TRotLab : public TGraphicControl {
 public:
  explicit TRotLab(TComponent* AOwner);

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v) { StoreAndRepaint(FCaption, v); }
  // Degrees counter-clockwise, taken modulo 360.
  int TextAngle() const { return FTextAngle; }
  void SetTextAngle(int v);
  // The anchor of the text: with AutoCenter the middle of the control,
  // otherwise (PosX, PosY).  The text's middle line passes through the
  // anchor; Alignment puts its start (taLeftJustify), middle or end there.
  int PosX() const { return FPosX; }
  void SetPosX(int v) { StoreAndRepaint(FPosX, v); }
  int PosY() const { return FPosY; }
  void SetPosY(int v) { StoreAndRepaint(FPosY, v); }
  bool AutoCenter() const { return FAutoCenter; }
  void SetAutoCenter(bool v) { StoreAndRepaint(FAutoCenter, v); }  // default true
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { StoreAndRepaint(FAlignment, v); }  // default taCenter
  // Without AntiAlias every text pixel is either the font colour (coverage
  // of at least one half) or left as it is.
  bool AntiAlias() const { return FAntiAlias; }
  void SetAntiAlias(bool v) { StoreAndRepaint(FAntiAlias, v); }  // default true
  // A transparent label shows its parent behind the text; otherwise Color fills it.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { StoreAndRepaint(FTransparent, v); }  // default false
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v) { StoreAndRepaint(FFrameStyle, v); }  // default fsNone
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v) { StoreAndRepaint(FColorScheme, v); }  // default csBWG

  // The top-left corner of the unturned text cell (the reference point of
  // the turned text) for the current settings and font.
  TPoint TextOrigin();

 protected:
  void Paint() override;

 private:
  std::string FCaption = "Label";
  int FTextAngle = 0;
  int FPosX = 0, FPosY = 0;
  bool FAutoCenter = true;
  TAlignment FAlignment = taCenter;
  bool FAntiAlias = true;
  bool FTransparent = false;
  TFrameStyle FFrameStyle = fsNone;
  TColorScheme FColorScheme = csBWG;
};

}  // namespace zol
