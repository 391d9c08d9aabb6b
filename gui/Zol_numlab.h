// Number label: a box showing a number in one of many formats, with texts
// to its left and right.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

enum TDisplay {
  dtFloat, dtFixP, dtExp, dtHex, dtZeroInt, dtInt, dtDateTime, dtState, dtBin, dtOct, dtDeg,
  dtDegMin, dtDegMinSec, dtEEng, dtEEngNoDP
};

// Called with the formatted text before it is drawn; the handler may change it.
using TNumLabBeforeDisplayEvent = std::function<void(TObject* Sender, std::string& Text)>;

// The text of Value in a display type (before the overflow test):
// dtFloat, dtFixP, dtExp: printf "%1.*g", "%1.*f", "%1.*e" with Precision;
// dtInt: the rounded value with at least Precision digits ("%1.*d"; always at least one digit);
// dtZeroInt: the rounded value zero-padded to a field of Precision characters;
// dtHex, dtBin, dtOct: the rounded value in base 16 (upper-case digits), 2, 8 with at least
//   Precision digits, a '-' before negative values;
// dtDateTime: Value as a date and time written by DTFormat (yyyy, yy, mm, m, dd, d, hh, h,
//   nn, n, ss, s, zzz; text in double quotes is copied; other characters are copied);
// dtState: StateText[round(Value)], empty when there is no such entry;
// dtDeg, dtDegMin, dtDegMinSec: degrees with Precision decimals and "°", degrees and minutes
//   (decimals on the minutes), degrees, minutes and seconds (decimals on the seconds);
// dtEEng, dtEEngNoDP: engineering notation (exponent a multiple of 3, mantissa 1 ≤ |m| < 1000)
//   with Precision decimals on the mantissa, or none; "E+03" style exponent.
// Then, except for dtHex, dtDateTime, dtState and dtBin, Comma writes ',' for '.' and
// ForcePlusSign puts '+' before values above 0.  Integer conversions clamp to the
// 64-bit range; a value that is not a number is written "NaN", infinities "+Inf"/"-Inf".
std::string FormatNumLabValue(double Value, TDisplay DisplayType, int Precision, const std::string& DTFormat,
                              const std::vector<std::string>& StateText, bool Comma, bool ForcePlusSign);

class TNumLab : public TGraphicControl {
 public:
  explicit TNumLab(TComponent* AOwner);

  double Value() const { return FValue; }
  void SetValue(double v);
  TDisplay DisplayType() const { return FDisplayType; }
  void SetDisplayType(TDisplay v) { StoreAndRepaint(FDisplayType, v); }  // default dtFloat
  int Precision() const { return FPrecision; }
  void SetPrecision(int v);  // 0..30, default 4
  const std::string& DTFormat() const { return FDTFormat; }
  void SetDTFormat(const std::string& v) { StoreAndRepaint(FDTFormat, v); }  // default "yyyy-mm-dd hh:nn:ss"
  const std::vector<std::string>& StateText() const { return FStateText; }
  void SetStateText(const std::vector<std::string>& v) { StoreAndRepaint(FStateText, v); }
  bool Comma() const { return FComma; }
  void SetComma(bool v) { StoreAndRepaint(FComma, v); }
  bool ForcePlusSign() const { return FForcePlusSign; }
  void SetForcePlusSign(bool v) { StoreAndRepaint(FForcePlusSign, v); }
  bool Empty() const { return FEmpty; }
  void SetEmpty(bool v) { StoreAndRepaint(FEmpty, v); }
  // Shown instead of a text wider than the box minus 6 pixels (not for dtState).
  const std::string& OverflowIndicator() const { return FOverflowIndicator; }
  void SetOverflowIndicator(const std::string& v) { StoreAndRepaint(FOverflowIndicator, v); }  // default "###"
  const std::string& LeftText() const { return FLeftText; }
  void SetLeftText(const std::string& v) { StoreAndRepaint(FLeftText, v); }
  const std::string& RightText() const { return FRightText; }
  void SetRightText(const std::string& v) { StoreAndRepaint(FRightText, v); }
  // Layout from the left: LeftSpace pixels for the left text, the box of
  // LabelWidth pixels, then the right text.
  int LeftSpace() const { return FLeftSpace; }
  void SetLeftSpace(int v);  // 0..10000, default 0
  int LabelWidth() const { return FLabelWidth; }
  void SetLabelWidth(int v);  // 1..10000, default 80
  // Alignment of the number in its box and of the left text in its space.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { StoreAndRepaint(FAlignment, v); }  // default taRightJustify
  TAlignment LeftTextAlignment() const { return FLeftTextAlignment; }
  void SetLeftTextAlignment(TAlignment v) { StoreAndRepaint(FLeftTextAlignment, v); }  // default taLeftJustify
  // With Transparent the texts beside the box have no background.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { StoreAndRepaint(FTransparent, v); }
  TColor ColorLabBakG() const { return FColorLabBakG; }
  void SetColorLabBakG(TColor v) { StoreAndRepaint(FColorLabBakG, v); }  // default clBtnFace
  TColor ColorLabText() const { return FColorLabText; }
  void SetColorLabText(TColor v) { StoreAndRepaint(FColorLabText, v); }  // default clBlack
  TColor ColorOutBakG() const { return FColorOutBakG; }
  void SetColorOutBakG(TColor v) { StoreAndRepaint(FColorOutBakG, v); }  // default clWhite
  TColor ColorOutText() const { return FColorOutText; }
  void SetColorOutText(TColor v) { StoreAndRepaint(FColorOutText, v); }  // default clBlack
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v) { StoreAndRepaint(FFrameStyle, v); }  // box frame, default fsLowered
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v) { StoreAndRepaint(FColorScheme, v); }  // default csBWG

  // The value formatted for the current settings (before OnBeforeDisplay).
  std::string FormattedText() const;
  // The text the last paint showed in the box.
  const std::string& ShownText() const { return FShownText; }
  TRect BoxRect() const { return Rect(FLeftSpace, 0, FLeftSpace + FLabelWidth, Height()); }

  TNumLabBeforeDisplayEvent OnBeforeDisplay;

 protected:
  void Paint() override;

 private:
  double FValue = 0;
  TDisplay FDisplayType = dtFloat;
  int FPrecision = 4;
  std::string FDTFormat = "yyyy-mm-dd hh:nn:ss";
  std::vector<std::string> FStateText;
  bool FComma = false, FForcePlusSign = false, FEmpty = false;
  std::string FOverflowIndicator = "###";
  std::string FLeftText, FRightText;
  int FLeftSpace = 0, FLabelWidth = 80;
  TAlignment FAlignment = taRightJustify, FLeftTextAlignment = taLeftJustify;
  bool FTransparent = false;
  TColor FColorLabBakG = clBtnFace, FColorLabText = clBlack, FColorOutBakG = clWhite, FColorOutText = clBlack;
  TFrameStyle FFrameStyle = fsLowered;
  TColorScheme FColorScheme = csBWG;
  std::string FShownText;
};

}  // namespace zol
