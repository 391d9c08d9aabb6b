// Numeric input and output fields: TNumIO, an edit field for one number, and
// TNumIO2, a self-drawn field with labels, spin buttons and a gauge.
//
// TNumIO2 is a self-drawn field for one number in one of eight input formats
// (decimal floating point with or without exponent, fixed point, decimal,
// hexadecimal, octal or binary integer, or a base chosen by a prefix), with
// optional label texts left and right of the box, spin buttons, a gauge that
// shows the value within its range, warning colours while the value is out of
// range, and its own caret and selection.  Every keystroke is checked: a text
// that cannot be completed to a valid number is refused.
//
// Layout of TNumIO2 (W × H): the left text fills x = 2 .. LeftSpace − 2; the box
// spans x = LeftSpace .. LeftSpace + TextBoxWidth and y = 2 .. H − 2 (with the
// gauge, up to H − 2 − GaugeTopMargin − GaugeHeight); the spin buttons follow
// ButSpace pixels after the box (ButWidth wide, ButHeight high from the top,
// the upper half adds ButIncrem, the lower half subtracts it); the right text
// starts 4 pixels after box or buttons; the gauge lies at x = GaugeLeftMargin,
// GaugeTopMargin pixels below the box.  The text has 3 pixels of padding in
// the box.
//
// Keyboard of the box: characters are inserted at the caret (replacing the
// selection) when the result is still valid — in the fixed-point format a digit
// of the fraction overwrites the next one; Backspace and Delete remove a
// character or the selection when the rest is valid; Left, Right, Home, End
// move the caret (with Shift extending the selection); Ctrl+A selects all;
// Ctrl+C, Ctrl+X, Ctrl+V and Shift+Insert use the clipboard; Up and Down act
// as the spin buttons.  A refused input beeps when Beep is set.
//
// Initial values not fixed elsewhere: range 0..100, ButIncrem 1, ColorWarnBG
// light yellow (80FFFF), the box text right-aligned and the label texts
// left-aligned, no frame around the control (fsNone, csBWG).
//
// Integer formats hold 32-bit integers: decimal texts outside −2147483648 ..
// 2147483647 and hexadecimal, octal or binary texts beyond 32 bits are refused;
// values written into an integer format are rounded and clamped to that range
// (hexadecimal, octal and binary show the 32-bit two's complement pattern).
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_extctrls.h"
#include "base/platform/Zol_stdctrls.h"

namespace zol {

enum TInFormat { itExp, itFloat, itFixPoint, itInt, itHex, itOct, itBin, itDynamic };

// The longest text a numeric field holds (longer input is refused).
constexpr size_t MaxNumTextLength = 255;

// The beep of refused input; the default writes the terminal bell to stderr.
// An application (or a test) may replace it; nullptr silences it.
extern std::function<void()> NumIOBeepProc;

// Whether Text is acceptable while typing in the format (it can still be
// completed to a valid number).
bool NumTextValid(const std::string& Text, TInFormat Format, TDecPSep DecSep, int FixPointDecPlaces);
// Whether Text is a complete number of the format, and its value (integer
// formats: within the 32-bit range).  An empty text of itInt reads as 0.
bool ConvertNumString(const std::string& Text, TInFormat Format, double& Value);
// The text of a value in the format (see the table in the header comment).
std::string FormatNumValue(double Value, TInFormat Format, TDecPSep DecSep, int FixPointDecPlaces,
                           int SignificantDigits);

class TNumIO2 : public TCustomControl {
 public:
  explicit TNumIO2(TComponent* AOwner);
  ~TNumIO2() override;

  // ---- format and value
  TInFormat InputFormat() const { return FInputFormat; }
  // Re-writes the current value in the new format.
  void SetInputFormat(TInFormat v);
  TDecPSep DecPlaceSep() const { return FDecPlaceSep; }
  void SetDecPlaceSep(TDecPSep v);
  int FixPointDecPlaces() const { return FFixPointDecPlaces; }
  void SetFixPointDecPlaces(int v);  // 0..15
  int SignificantDigits() const { return FSignificantDigits; }
  void SetSignificantDigits(int v);  // 1..17
  double RangeLow() const { return FRangeLow; }
  void SetRangeLow(double v);
  double RangeHigh() const { return FRangeHigh; }
  void SetRangeHigh(double v);
  // The value of the text (not a number when the text has none, or an itInt
  // text beyond the 32-bit range).
  double Value() const { return GetNioValue(); }
  double GetNioValue() const;
  // Writes the value's text (non-finite values are ignored) and repaints.
  void SetValue(double v) { SetNioValue(v); }
  void SetNioValue(double v);
  const std::string& Text() const { return FText; }
  // Sets the text when it is valid in the format; false (nothing changes) otherwise.
  bool SetText(const std::string& v);
  bool OutOfRange() const;
  bool CheckValidity(const std::string& s) const;

  // ---- labels and geometry
  const std::string& LeftText() const { return FLeftText; }
  void SetLeftText(const std::string& v);
  const std::string& RightText() const { return FRightText; }
  void SetRightText(const std::string& v);
  TAlignment LeftTextAlignment() const { return FLeftTextAlignment; }
  void SetLeftTextAlignment(TAlignment v);
  TAlignment RightTextAlignment() const { return FRightTextAlignment; }
  void SetRightTextAlignment(TAlignment v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  int LeftSpace() const { return FLeftSpace; }
  void SetLeftSpace(int v);  // >= 0
  int TextBoxWidth() const { return FTextBoxWidth; }
  void SetTextBoxWidth(int v);  // >= 8

  // ---- colours and frame
  TColor ColorBoxBG() const { return FColorBoxBG; }
  void SetColorBoxBG(TColor v) { SetColorField(FColorBoxBG, v); }
  TColor ColorBoxText() const { return FColorBoxText; }
  void SetColorBoxText(TColor v) { SetColorField(FColorBoxText, v); }
  TColor ColorOutBG() const { return FColorOutBG; }
  void SetColorOutBG(TColor v) { SetColorField(FColorOutBG, v); }
  TColor ColorOutText() const { return FColorOutText; }
  void SetColorOutText(TColor v) { SetColorField(FColorOutText, v); }
  TColor ColorWarnBG() const { return FColorWarnBG; }
  void SetColorWarnBG(TColor v) { SetColorField(FColorWarnBG, v); }
  TColor ColorWarnText() const { return FColorWarnText; }
  void SetColorWarnText(TColor v) { SetColorField(FColorWarnText, v); }
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v);

  // ---- spin buttons
  bool ButVisible() const { return FButVisible; }
  void SetButVisible(bool v);
  bool But3D() const { return FBut3D; }
  void SetBut3D(bool v);
  int ButWidth() const { return FButWidth; }
  void SetButWidth(int v);  // 1..50
  int ButHeight() const { return FButHeight; }
  void SetButHeight(int v);  // >= 2
  int ButSpace() const { return FButSpace; }
  void SetButSpace(int v);  // 0..50
  TColor ButColor() const { return FButColor; }
  void SetButColor(TColor v) { SetColorField(FButColor, v); }
  double ButIncrem() const { return FButIncrem; }
  void SetButIncrem(double v) { if (std::isfinite(v)) FButIncrem = v; }

  // ---- gauge
  bool GaugeVisible() const { return FGaugeVisible; }
  void SetGaugeVisible(bool v);
  int GaugeWidth() const { return FGaugeWidth; }
  void SetGaugeWidth(int v);  // >= 3
  int GaugeHeight() const { return FGaugeHeight; }
  void SetGaugeHeight(int v);  // >= 3
  int GaugeLeftMargin() const { return FGaugeLeftMargin; }
  void SetGaugeLeftMargin(int v);  // >= 0
  int GaugeTopMargin() const { return FGaugeTopMargin; }
  void SetGaugeTopMargin(int v);  // >= 0
  TFrameStyle GaugeFrameStyle() const { return FGaugeFrameStyle; }
  void SetGaugeFrameStyle(TFrameStyle v);
  TColor GaugeColor() const { return FGaugeColor; }
  void SetGaugeColor(TColor v) { SetColorField(FGaugeColor, v); }
  TColor GaugeColorBg() const { return FGaugeColorBg; }
  void SetGaugeColorBg(TColor v) { SetColorField(FGaugeColorBg, v); }
  TColor GaugeColorFrame() const { return FGaugeColorFrame; }
  void SetGaugeColorFrame(TColor v) { SetColorField(FGaugeColorFrame, v); }

  // ---- edit-field behaviour
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool v);
  bool AutoSize() const { return FAutoSize; }
  // With AutoSize the height follows the font (text height + 8, plus the gauge).
  void SetAutoSize(bool v);
  bool Beep() const { return FBeep; }
  void SetBeep(bool v) { FBeep = v; }

  // ---- caret and selection (character positions 0..length)
  int CaretPos() const { return FCaret; }
  void SetCaretPos(int v);  // clears the selection
  int SelBegin() const { return std::min(FAnchor, FCaret); }
  int SelEnd() const { return std::max(FAnchor, FCaret); }
  void SetSelBegin(int v);
  void SetSelEnd(int v);
  std::string SelText() const { return FText.substr(SelBegin(), SelEnd() - SelBegin()); }
  void SelectAll();
  bool CaretVisible() const { return FCaretOn; }
  // Pixel x of the caret before character Pos, and the character boundary
  // nearest to pixel x.
  int CharPosToXCoords(int Pos);
  int XCoordsToCharPos(int X);
  // Starts or stops the caret timer after a change of focus.
  void UpdateTimer();

  // ---- geometry
  TRect BoxRect() const;
  TRect ButtonRect(bool Up) const;  // empty when the buttons are hidden
  TRect GaugeRect() const;          // empty when the gauge is hidden
  // Draws the control onto any canvas at (0, 0) (Paint uses it; also for
  // metafiles and the printer).
  void Render(TCanvas& Canvas);

  TNotifyEvent OnChange, OnGaugeChange;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPressText(std::string& Text) override;
  void DoEnter() override;
  void DoExit() override;
  void FontChanged() override;

 private:
  void CaretTimerEvent(TObject* Sender);
  void SetColorField(TColor& f, TColor v);
  void Refused();
  // Replaces the selection with s when the result is valid; answers whether it did.
  bool ReplaceSelection(const std::string& s);
  void AcceptText(const std::string& t, int caret);
  // Writes val (0 when not finite) in the current format, caret at the end.
  void Rewrite(double val, bool fire);
  void Spin(int dir);
  void GaugeAt(int X);
  void ApplyAutoSize();
  void FireChange();
  int TextOriginX();

  TInFormat FInputFormat = itFloat;
  TDecPSep FDecPlaceSep = dsBoth;
  int FFixPointDecPlaces = 2, FSignificantDigits = 6;
  double FRangeLow = 0, FRangeHigh = 100;
  std::string FText = "0.00";
  std::string FLeftText, FRightText;
  TAlignment FLeftTextAlignment = taLeftJustify, FRightTextAlignment = taLeftJustify,
             FAlignment = taRightJustify;
  int FLeftSpace = 35, FTextBoxWidth = 80;
  TColor FColorBoxBG = clWhite, FColorBoxText = clBlack, FColorOutBG = clBtnFace, FColorOutText = clBlack;
  TColor FColorWarnBG = 0x80FFFF, FColorWarnText = clRed;
  TColorScheme FColorScheme = csBWG;
  TFrameStyle FFrameStyle = fsNone;
  bool FButVisible = false, FBut3D = true;
  int FButWidth = 18, FButHeight = 28, FButSpace = 3;
  TColor FButColor = clSilver;
  double FButIncrem = 1;
  bool FGaugeVisible = false;
  int FGaugeWidth = 82, FGaugeHeight = 8, FGaugeLeftMargin = 35, FGaugeTopMargin = 3;
  TFrameStyle FGaugeFrameStyle = fsLowered;
  TColor FGaugeColor = clNavy, FGaugeColorBg = clSilver, FGaugeColorFrame = clGray;
  bool FReadOnly = false, FHideSelection = true, FAutoSize = false, FBeep = true;
  int FCaret = 4, FAnchor = 4;
  bool FCaretOn = false;
  bool FSelecting = false, FGaugeDrag = false;
  TTimer* FTimer = nullptr;
};

// An edit field that accepts only the text of a number of the chosen input
// format.  Every change of the text is checked: a text that cannot be
// completed to a number of the format is refused (the previous text comes
// back with the caret one position left of where it was, and with Beep the
// beep sounds).  The range is checked when the value is committed — Enter,
// the focus leaving the field, or LabValue being read: a text outside
// [RangeLow, RangeHigh] (other than the value 0, which is always accepted) or
// not yet a complete number then reverts to the last accepted text.  While
// typing, such a text is shown on ColorWarnBG and OnChange waits; OnChange
// fires for every accepted text.  In itFixPoint the text always keeps exactly
// one separator, and digits beyond FixPointDecPlaces after it are cut off.
class TNumIO : public TEdit {
 public:
  explicit TNumIO(TComponent* AOwner);

  TInFormat InputFormat() const { return FInputFormat; }
  void SetInputFormat(TInFormat v);  // re-writes the accepted value in the new format
  TDecPSep DecPlaceSep() const { return FDecPlaceSep; }
  void SetDecPlaceSep(TDecPSep v);
  int FixPointDecPlaces() const { return FFixPointDecPlaces; }
  void SetFixPointDecPlaces(int v);  // 0..15
  double RangeLow() const { return FRangeLow; }
  void SetRangeLow(double v);
  double RangeHigh() const { return FRangeHigh; }
  void SetRangeHigh(double v);
  bool Beep() const { return FBeep; }
  void SetBeep(bool v) { FBeep = v; }
  TColor ColorWarnBG() const { return FColorWarnBG; }
  void SetColorWarnBG(TColor v);
  // The value: reading it commits the text first.
  double LabValue() { return GetLabValue(); }
  double GetLabValue();
  void SetLabValue(double v);  // non-finite values are ignored
  // The last accepted text.
  const std::string& AcceptedText() const { return FAccepted; }
  // The text shown is not (yet) an accepted value.
  bool OutOfRange() const { return FBuf.Text != FAccepted; }
  // Checks the shown text against the range now: an accepted text stays,
  // anything else reverts to the last accepted text.
  void Commit();

 protected:
  void Change() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void DoExit() override;

 private:
  void SetInternal(const std::string& t, int caret);
  bool Acceptable(const std::string& t, double& v) const;
  double AcceptedValue() const;  // the value of the accepted text (0 when it has none)
  void UpdateWarn();
  void Refused();

  TInFormat FInputFormat = itFloat;
  TDecPSep FDecPlaceSep = dsBoth;
  int FFixPointDecPlaces = 2;
  double FRangeLow = -1.7e308, FRangeHigh = 1.7e308;
  bool FBeep = true;
  TColor FColorWarnBG = 0x80FFFF;
  TColor FNormalColor = clWindow;
  bool FWarn = false;
  bool FInternal = false;
  std::string FAccepted, FPrev;
};

}  // namespace zol
