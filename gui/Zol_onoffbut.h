// Two-state button in many looks, with texts on four sides and exclusive groups.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

enum TOnOffButStyle {
  oobsUser, oobsCheckbox, oobsRadioBut, oobsSlideTB, oobsSlideLR, oobsColSlideTB, oobsColSlideLR,
  oobsLedRedGreen, oobsArrowTopRgt, oobsArrowUpDown, oobsArrowLeftRight, oobsTrafficLPed,
  oobsBeveledLed, oobsSmileyYellow, oobsSmileyRedGrn, oobsBulb, oobsButLamp, oobsHDLeft, oobsHDRight,
  oobsUser1, oobsUser2, oobsUser3, oobsUser4, oobsUser5
};
enum TOOButMouseAction { oomaNone, oomaFocused, oomaPlain };
enum TOOButMode { oobmNormalBut, oobmSpeedBut };

class TOnOffBut : public TGraphicControl {
 public:
  explicit TOnOffBut(TComponent* AOwner);
  ~TOnOffBut() override;

  TOnOffButStyle ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TOnOffButStyle v) { StoreAndRepaint(FButtonStyle, v); }  // default oobsCheckbox
  // The user styles take their glyphs from a bitmap holding the off image
  // (left half) and the on image (right half) side by side; the bottom-left
  // pixel is transparent.  SetUserGlyph ignores styles that are not user styles.
  void SetUserGlyph(TOnOffButStyle Style, const TBitmap& Glyph);
  bool LoadUserGlyph(TOnOffButStyle Style, const std::string& FileName);  // false when unreadable
  const TBitmap* UserGlyph(TOnOffButStyle Style) const;

  // The state.  Switching a grouped button on switches the other buttons of
  // its group (same non-zero GroupIndex, same parent) off; a grouped button
  // is switched off directly only when AllowAllOff is set.
  bool OnOff() const { return FOnOff; }
  void SetOnOff(bool v);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int v);  // >= 0, default 0
  bool AllowAllOff() const { return FAllowAllOff; }
  void SetAllowAllOff(bool v) { FAllowAllOff = v; }  // default false
  // oobmNormalBut toggles when the left button is released over the button,
  // oobmSpeedBut when it is pressed.
  TOOButMode Mode() const { return FMode; }
  void SetMode(TOOButMode v) { FMode = v; }  // default oobmNormalBut
  // oomaFocused: a dotted frame around the glyph while the mouse is over it;
  // oomaPlain: the glyph moves one pixel down and right while the button is held.
  TOOButMouseAction MouseAction() const { return FMouseAction; }
  void SetMouseAction(TOOButMouseAction v) { StoreAndRepaint(FMouseAction, v); }  // default oomaNone
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { StoreAndRepaint(FTransparent, v); }  // default false
  // With AutoCenter the glyph sits in the middle of the control, otherwise at (LeftSpace, TopSpace).
  bool AutoCenter() const { return FAutoCenter; }
  void SetAutoCenter(bool v) { StoreAndRepaint(FAutoCenter, v); }  // default true
  int LeftSpace() const { return FLeftSpace; }
  void SetLeftSpace(int v);  // 0..10000, default 0
  int TopSpace() const { return FTopSpace; }
  void SetTopSpace(int v);  // 0..10000, default 0

  // Texts beside the glyph, 4 pixels from it.  Left and right texts are
  // aligned vertically with the glyph (top, centre, bottom), top and bottom
  // texts horizontally (left edges, centres, right edges).
  const std::string& LeftText() const { return FLeftText; }
  void SetLeftText(const std::string& v) { StoreAndRepaint(FLeftText, v); }
  const std::string& RightText() const { return FRightText; }
  void SetRightText(const std::string& v) { StoreAndRepaint(FRightText, v); }
  const std::string& TopText() const { return FTopText; }
  void SetTopText(const std::string& v) { StoreAndRepaint(FTopText, v); }
  const std::string& BottomText() const { return FBottomText; }
  void SetBottomText(const std::string& v) { StoreAndRepaint(FBottomText, v); }
  TVerticalAlignment LeftTextAlignment() const { return FLeftTextAlignment; }
  void SetLeftTextAlignment(TVerticalAlignment v) { StoreAndRepaint(FLeftTextAlignment, v); }  // default vaCenter
  TVerticalAlignment RightTextAlignment() const { return FRightTextAlignment; }
  void SetRightTextAlignment(TVerticalAlignment v) { StoreAndRepaint(FRightTextAlignment, v); }  // default vaCenter
  TAlignment TopTextAlignment() const { return FTopTextAlignment; }
  void SetTopTextAlignment(TAlignment v) { StoreAndRepaint(FTopTextAlignment, v); }  // default taCenter
  TAlignment BottomTextAlignment() const { return FBottomTextAlignment; }
  void SetBottomTextAlignment(TAlignment v) { StoreAndRepaint(FBottomTextAlignment, v); }  // default taCenter

  TColor ColorText() const { return FColorText; }
  void SetColorText(TColor v) { StoreAndRepaint(FColorText, v); }  // default clBlack
  TColor ColorBackgnd() const { return FColorBackgnd; }
  void SetColorBackgnd(TColor v) { StoreAndRepaint(FColorBackgnd, v); }  // default clBtnFace
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v) { StoreAndRepaint(FColorScheme, v); }  // default csBWG
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v) { StoreAndRepaint(FFrameStyle, v); }  // default fsNone

  // Size of the glyph of the current style (of the user bitmap's half for user styles).
  TSize GlyphSize() const;
  // Where the glyph is drawn.
  TRect GlyphRect() const;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void Paint() override;

 private:
  // A sibling of the group was switched on.
  void GroupSwitchedOn(TOnOffBut* Sender);
  void Toggle();
  void DrawGlyph(TCanvas& c, const TRect& r);
  static int UserSlot(TOnOffButStyle s);

  TOnOffButStyle FButtonStyle = oobsCheckbox;
  std::array<std::unique_ptr<TBitmap>, 6> FUserGlyphs;
  bool FOnOff = false;
  int FGroupIndex = 0;
  bool FAllowAllOff = false;
  TOOButMode FMode = oobmNormalBut;
  TOOButMouseAction FMouseAction = oomaNone;
  bool FTransparent = false;
  bool FAutoCenter = true;
  int FLeftSpace = 0, FTopSpace = 0;
  std::string FLeftText, FRightText, FTopText, FBottomText;
  TVerticalAlignment FLeftTextAlignment = vaCenter, FRightTextAlignment = vaCenter;
  TAlignment FTopTextAlignment = taCenter, FBottomTextAlignment = taCenter;
  TColor FColorText = clBlack;
  TColor FColorBackgnd = clBtnFace;
  TColorScheme FColorScheme = csBWG;
  TFrameStyle FFrameStyle = fsNone;
  bool FHot = false, FPressed = false;
};

}  // namespace zol
