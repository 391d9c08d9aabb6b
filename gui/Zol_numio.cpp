#include "gui/Zol_numio.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "base/Zol_stringl.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "math/Zol_math1.h"

namespace zol {

std::function<void()> NumIOBeepProc = [] { std::fputc('\a', stderr); };

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// The platform's decimal separator: that of the C library's current locale.
char SystemDecimalSeparator() {
  const std::lconv* lc = std::localeconv();
  return lc && lc->decimal_point && lc->decimal_point[0] == ',' ? ',' : '.';
}

TDecPSep Resolve(TDecPSep ds) {
  if (ds == dsSystem) return SystemDecimalSeparator() == '.' ? dsDot : dsComma;
  return ds;
}

bool IsSep(char ch, TDecPSep ds) {
  ds = Resolve(ds);
  return (ch == '.' && (ds == dsDot || ds == dsBoth)) || (ch == ',' && (ds == dsComma || ds == dsBoth));
}

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// The typing state machine of decimal numbers (with the exponent part when
// AllowExp): true unless a character breaks the pattern.
bool FloatPrefixValid(const std::string& s, TDecPSep ds, bool AllowExp) {
  enum { Start, Sign, Int, Sep, Frac, Exp, ExpSign, ExpDig } st = Start;
  bool digits = false;
  for (char ch : s) {
    const bool dig = IsDigit(ch), sep = IsSep(ch, ds), sgn = ch == '+' || ch == '-';
    const bool e = AllowExp && (ch == 'E' || ch == 'e');
    switch (st) {
      case Start:
        if (sgn) st = Sign;
        else if (sep) st = Sep;
        else if (dig) st = Int, digits = true;
        else return false;
        break;
      case Sign:
      case Int:
        if (dig) st = Int, digits = true;
        else if (sep) st = Sep;
        else if (e && digits) st = Exp;
        else return false;
        break;
      case Sep:
      case Frac:
        if (dig) st = Frac, digits = true;
        else if (e && digits) st = Exp;
        else return false;
        break;
      case Exp:
        if (sgn) st = ExpSign;
        else if (dig) st = ExpDig;
        else return false;
        break;
      case ExpSign:
      case ExpDig:
        if (dig) st = ExpDig;
        else return false;
        break;
    }
  }
  return true;
}

// A complete decimal number: at least one mantissa digit and, after an
// exponent letter, at least one exponent digit.
bool FloatComplete(const std::string& s, bool AllowExp) {
  if (!FloatPrefixValid(s, dsBoth, AllowExp)) return false;
  bool mant = false;
  size_t i = 0;
  for (; i < s.size() && s[i] != 'E' && s[i] != 'e'; ++i)
    if (IsDigit(s[i])) mant = true;
  if (!mant) return false;
  if (i == s.size()) return true;
  for (size_t j = i + 1; j < s.size(); ++j)
    if (IsDigit(s[j])) return true;
  return false;
}

int DigitValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return 99;
}

// Digits of base 16, 8 or 2 holding at most 32 bits; the bit pattern in Bits.
bool ParseBase(const std::string& s, int base, uint32_t& Bits) {
  uint64_t v = 0;
  for (char ch : s) {
    const int d = DigitValue(ch);
    if (d >= base) return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  Bits = static_cast<uint32_t>(v);
  return true;
}

// Optional sign and decimal digits within the 32-bit range.
bool ParseInt32(const std::string& s, int32_t& v) {
  size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  if (i >= s.size()) return false;
  int64_t acc = 0;
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return false;
    acc = acc * 10 + (s[i] - '0');
    if (acc > 2147483648LL) return false;
  }
  if (neg) acc = -acc;
  if (acc < INT32_MIN || acc > INT32_MAX) return false;
  v = static_cast<int32_t>(acc);
  return true;
}

double ScanDecimalText(const std::string& s) {
  int pos = 1;
  return ScanFPNum(s, true, 3, pos);
}

int32_t ClampToInt32(double v) {
  const double r = std::round(v);
  if (r <= INT32_MIN) return INT32_MIN;
  if (r >= INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(r);
}

std::string BaseDigits(uint32_t bits, int base, int ndig) {
  static const char* dig = "0123456789ABCDEF";
  std::string r(ndig, '0');
  for (int i = ndig - 1; i >= 0; --i) {
    r[i] = dig[bits % base];
    bits /= base;
  }
  return r;
}

bool PrefixBase(char ch, int& base) {
  switch (ch) {
    case '$': base = 16; return true;
    case '%': base = 2; return true;
    case '&': base = 8; return true;
    default: return false;
  }
}

}  // namespace

// ---------------------------------------------------------------- free routines
bool NumTextValid(const std::string& Text, TInFormat Format, TDecPSep DecSep, int FixPointDecPlaces) {
  switch (Format) {
    case itFloat: return FloatPrefixValid(Text, DecSep, false);
    case itExp: return FloatPrefixValid(Text, DecSep, true);
    case itFixPoint: {
      if (!FloatPrefixValid(Text, DecSep, false)) return false;
      size_t p = 0;  // 1-based position of the separator, 0 when none
      for (size_t i = 0; i < Text.size(); ++i)
        if (IsSep(Text[i], DecSep)) p = i + 1;
      return static_cast<int>(p) == static_cast<int>(Text.size()) - FixPointDecPlaces;
    }
    case itInt: {
      if (Text.empty()) return false;
      if (Text.size() == 1) return IsDigit(Text[0]);
      int32_t v;
      return ParseInt32(Text, v);
    }
    case itHex:
    case itOct:
    case itBin: {
      uint32_t bits;
      return !Text.empty() && ParseBase(Text, Format == itHex ? 16 : Format == itOct ? 8 : 2, bits);
    }
    case itDynamic: {
      int base;
      uint32_t bits;
      // A lone prefix is accepted: the digits follow.
      if (!Text.empty() && PrefixBase(Text[0], base)) return ParseBase(Text.substr(1), base, bits);
      return FloatPrefixValid(Text, DecSep, false);
    }
  }
  return false;
}

bool ConvertNumString(const std::string& Text, TInFormat Format, double& Value) {
  Value = 0;
  switch (Format) {
    case itExp:
    case itFloat:
    case itFixPoint:
      if (!FloatComplete(Text, Format == itExp)) return false;
      Value = ScanDecimalText(Text);
      return true;
    case itInt: {
      if (Text.empty()) return true;
      int32_t v;
      if (!ParseInt32(Text, v)) return false;
      Value = v;
      return true;
    }
    case itHex:
    case itOct:
    case itBin: {
      uint32_t bits;
      if (Text.empty() || !ParseBase(Text, Format == itHex ? 16 : Format == itOct ? 8 : 2, bits)) return false;
      Value = static_cast<int32_t>(bits);
      return true;
    }
    case itDynamic: {
      int base;
      uint32_t bits;
      if (!Text.empty() && PrefixBase(Text[0], base)) {
        if (Text.size() < 2 || !ParseBase(Text.substr(1), base, bits)) return false;
        Value = static_cast<int32_t>(bits);
        return true;
      }
      if (!FloatComplete(Text, false)) return false;
      Value = ScanDecimalText(Text);
      return true;
    }
  }
  return false;
}

std::string FormatNumValue(double Value, TInFormat Format, TDecPSep DecSep, int FixPointDecPlaces,
                           int SignificantDigits) {
  std::string s;
  switch (Format) {
    case itExp: s = Trim(strff(Value, SignificantDigits + 6, -2)); break;
    case itFloat:
    case itFixPoint: s = Trim(strff(Value, 1, FixPointDecPlaces)); break;
    case itInt:
    case itDynamic: return std::to_string(ClampToInt32(Value));
    case itHex: return BaseDigits(static_cast<uint32_t>(ClampToInt32(Value)), 16, 8);
    case itOct: return BaseDigits(static_cast<uint32_t>(ClampToInt32(Value)), 8, 11);
    case itBin: return BaseDigits(static_cast<uint32_t>(ClampToInt32(Value)), 2, 32);
  }
  if (Resolve(DecSep) == dsComma) std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

// ---------------------------------------------------------------- TNumIO2
TNumIO2::TNumIO2(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 160, 28);
  SetTabStop(true);
  SetCursor(crIBeam);
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(500);
  FTimer->OnTimer = [this](TObject* s) { CaretTimerEvent(s); };
  FText = FormatNumValue(0, FInputFormat, FDecPlaceSep, FFixPointDecPlaces, FSignificantDigits);
  FCaret = FAnchor = static_cast<int>(FText.size());
}

TNumIO2::~TNumIO2() = default;

void TNumIO2::SetColorField(TColor& f, TColor v) {
  if (f == v) return;
  f = v;
  Invalidate();
}

void TNumIO2::FireChange() {
  if (OnChange) {
    TNotifyEvent h = OnChange;
    h(this);
  }
}

void TNumIO2::Refused() {
  if (FBeep && NumIOBeepProc) NumIOBeepProc();
}

bool TNumIO2::CheckValidity(const std::string& s) const {
  return s.size() <= MaxNumTextLength && NumTextValid(s, FInputFormat, FDecPlaceSep, FFixPointDecPlaces);
}

double TNumIO2::GetNioValue() const {
  switch (FInputFormat) {
    case itExp:
    case itFloat:
    case itFixPoint: return ScanDecimalText(FText);
    case itDynamic: {
      int base;
      if (!FText.empty() && PrefixBase(FText[0], base)) {
        uint32_t bits;
        if (FText.size() < 2 || !ParseBase(FText.substr(1), base, bits)) return 0;
        return static_cast<int32_t>(bits);
      }
      return ScanDecimalText(FText);
    }
    default: {
      double v;
      if (FText.empty()) return 0;
      return ConvertNumString(FText, FInputFormat, v) ? v : NaN;
    }
  }
}

void TNumIO2::SetNioValue(double v) {
  if (!std::isfinite(v)) return;
  const std::string t = FormatNumValue(v, FInputFormat, FDecPlaceSep, FFixPointDecPlaces, FSignificantDigits);
  if (t == FText) return;
  AcceptText(t, static_cast<int>(t.size()));
}

bool TNumIO2::SetText(const std::string& v) {
  if (!CheckValidity(v)) return false;
  if (v != FText) AcceptText(v, static_cast<int>(v.size()));
  return true;
}

void TNumIO2::AcceptText(const std::string& t, int caret) {
  FText = t;
  FCaret = FAnchor = std::clamp(caret, 0, static_cast<int>(FText.size()));
  Invalidate();
  FireChange();
}

bool TNumIO2::OutOfRange() const {
  const double v = GetNioValue();
  return !(v >= FRangeLow && v <= FRangeHigh);
}

// ---------------------------------------------------------------- setters
void TNumIO2::Rewrite(double val, bool fire) {
  FText = FormatNumValue(std::isfinite(val) ? val : 0, FInputFormat, FDecPlaceSep, FFixPointDecPlaces,
                         FSignificantDigits);
  FCaret = FAnchor = static_cast<int>(FText.size());
  Invalidate();
  if (fire) FireChange();
}

void TNumIO2::SetInputFormat(TInFormat v) {
  if (v == FInputFormat || v < itExp || v > itDynamic) return;
  const double val = GetNioValue();
  FInputFormat = v;
  Rewrite(val, true);
}

void TNumIO2::SetDecPlaceSep(TDecPSep v) {
  if (v == FDecPlaceSep) return;
  const double val = GetNioValue();
  FDecPlaceSep = v;
  if (!CheckValidity(FText)) Rewrite(val, false);
  Invalidate();
}

void TNumIO2::SetFixPointDecPlaces(int v) {
  v = std::clamp(v, 0, 15);
  if (v == FFixPointDecPlaces) return;
  const double val = GetNioValue();
  FFixPointDecPlaces = v;
  if (FInputFormat == itFloat || FInputFormat == itFixPoint) Rewrite(val, false);
  Invalidate();
}

void TNumIO2::SetSignificantDigits(int v) {
  v = std::clamp(v, 1, 17);
  if (v == FSignificantDigits) return;
  const double val = GetNioValue();
  FSignificantDigits = v;
  if (FInputFormat == itExp) Rewrite(val, false);
  Invalidate();
}

void TNumIO2::SetRangeLow(double v) {
  if (!(v == v) || v == FRangeLow) return;
  FRangeLow = v;
  Invalidate();
}

void TNumIO2::SetRangeHigh(double v) {
  if (!(v == v) || v == FRangeHigh) return;
  FRangeHigh = v;
  Invalidate();
}

#define ZOL_NUMIO_SETTER(Type, Name, Field, Expr) \
  void TNumIO2::Set##Name(Type a) {               \
    const auto v = [&](Type v) { return (Expr); }(a); \
    if (v == Field) return;                       \
    Field = v;                                    \
    ApplyAutoSize();                              \
    Invalidate();                                 \
  }
ZOL_NUMIO_SETTER(const std::string&, LeftText, FLeftText, v)
ZOL_NUMIO_SETTER(const std::string&, RightText, FRightText, v)
ZOL_NUMIO_SETTER(TAlignment, LeftTextAlignment, FLeftTextAlignment, v)
ZOL_NUMIO_SETTER(TAlignment, RightTextAlignment, FRightTextAlignment, v)
ZOL_NUMIO_SETTER(TAlignment, Alignment, FAlignment, v)
ZOL_NUMIO_SETTER(int, LeftSpace, FLeftSpace, std::clamp(v, 0, 100000))
ZOL_NUMIO_SETTER(int, TextBoxWidth, FTextBoxWidth, std::clamp(v, 8, 100000))
ZOL_NUMIO_SETTER(TColorScheme, ColorScheme, FColorScheme, v)
ZOL_NUMIO_SETTER(TFrameStyle, FrameStyle, FFrameStyle, v)
ZOL_NUMIO_SETTER(bool, ButVisible, FButVisible, v)
ZOL_NUMIO_SETTER(bool, But3D, FBut3D, v)
ZOL_NUMIO_SETTER(int, ButWidth, FButWidth, std::clamp(v, 1, 50))
ZOL_NUMIO_SETTER(int, ButHeight, FButHeight, std::clamp(v, 2, 100000))
ZOL_NUMIO_SETTER(int, ButSpace, FButSpace, std::clamp(v, 0, 50))
ZOL_NUMIO_SETTER(bool, GaugeVisible, FGaugeVisible, v)
ZOL_NUMIO_SETTER(int, GaugeWidth, FGaugeWidth, std::clamp(v, 3, 100000))
ZOL_NUMIO_SETTER(int, GaugeHeight, FGaugeHeight, std::clamp(v, 3, 100000))
ZOL_NUMIO_SETTER(int, GaugeLeftMargin, FGaugeLeftMargin, std::clamp(v, 0, 100000))
ZOL_NUMIO_SETTER(int, GaugeTopMargin, FGaugeTopMargin, std::clamp(v, 0, 100000))
ZOL_NUMIO_SETTER(TFrameStyle, GaugeFrameStyle, FGaugeFrameStyle, v)
ZOL_NUMIO_SETTER(bool, HideSelection, FHideSelection, v)
#undef ZOL_NUMIO_SETTER

void TNumIO2::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  ApplyAutoSize();
}

void TNumIO2::ApplyAutoSize() {
  if (!FAutoSize) return;
  TBitmap probe(1, 1);
  probe.Canvas().Font().Assign(Font());
  int h = probe.Canvas().TextHeight("0") + 8;
  if (FGaugeVisible) h += FGaugeTopMargin + FGaugeHeight;
  if (h != Height()) SetHeight(h);
}

void TNumIO2::FontChanged() {
  TCustomControl::FontChanged();
  ApplyAutoSize();
}

// ---------------------------------------------------------------- caret and selection
void TNumIO2::SetCaretPos(int v) {
  FCaret = FAnchor = std::clamp(v, 0, static_cast<int>(FText.size()));
  Invalidate();
}

void TNumIO2::SetSelBegin(int v) {
  const int e = SelEnd();
  FAnchor = std::clamp(v, 0, static_cast<int>(FText.size()));
  FCaret = std::max(e, FAnchor);
  Invalidate();
}

void TNumIO2::SetSelEnd(int v) {
  const int b = SelBegin();
  FCaret = std::clamp(v, b, static_cast<int>(FText.size()));
  FAnchor = b;
  Invalidate();
}

void TNumIO2::SelectAll() {
  FAnchor = 0;
  FCaret = static_cast<int>(FText.size());
  Invalidate();
}

void TNumIO2::UpdateTimer() {
  const bool on = Focused();
  FTimer->SetEnabled(on);
  FCaretOn = on;
  Invalidate();
}

void TNumIO2::CaretTimerEvent(TObject*) {
  FCaretOn = !FCaretOn;
  Invalidate();
}

void TNumIO2::DoEnter() {
  TCustomControl::DoEnter();
  UpdateTimer();
}

void TNumIO2::DoExit() {
  TCustomControl::DoExit();
  FTimer->SetEnabled(false);
  FCaretOn = false;
  Invalidate();
}

// ---------------------------------------------------------------- geometry
TRect TNumIO2::BoxRect() const {
  int bottom = Height() - 2;
  if (FGaugeVisible) bottom -= FGaugeTopMargin + FGaugeHeight;
  return Rect(FLeftSpace, 2, FLeftSpace + FTextBoxWidth, std::max(bottom, 3));
}

TRect TNumIO2::ButtonRect(bool Up) const {
  if (!FButVisible) return TRect();
  const TRect b = BoxRect();
  const int x = b.Right + FButSpace, h = std::min(FButHeight, Height());
  return Up ? Rect(x, 0, x + FButWidth, h / 2) : Rect(x, h / 2, x + FButWidth, h);
}

TRect TNumIO2::GaugeRect() const {
  if (!FGaugeVisible) return TRect();
  const int top = BoxRect().Bottom + FGaugeTopMargin;
  return Rect(FGaugeLeftMargin, top, FGaugeLeftMargin + FGaugeWidth, top + FGaugeHeight);
}

int TNumIO2::TextOriginX() {
  const TRect b = BoxRect();
  TCanvas& c = Canvas();
  c.Font().Assign(Font());
  const int w = c.TextWidth(FText);
  switch (FAlignment) {
    case taRightJustify: return b.Right - 3 - w;
    case taCenter: return b.Left + (b.Width() - w) / 2;
    default: return b.Left + 3;
  }
}

int TNumIO2::CharPosToXCoords(int Pos) {
  Pos = std::clamp(Pos, 0, static_cast<int>(FText.size()));
  TCanvas& c = Canvas();
  const int x0 = TextOriginX();
  return x0 + c.TextWidth(FText.substr(0, Pos));
}

int TNumIO2::XCoordsToCharPos(int X) {
  // The texts are ASCII and widths add up glyph by glyph, so one pass suffices.
  int x = TextOriginX();
  int best = 0, bestDist = std::abs(x - X);
  for (int p = 0; p < static_cast<int>(FText.size()); ++p) {
    x += Canvas().TextWidth(FText.substr(p, 1));
    const int d = std::abs(x - X);
    if (d < bestDist) best = p + 1, bestDist = d;
  }
  return best;
}

// ---------------------------------------------------------------- editing
bool TNumIO2::ReplaceSelection(const std::string& s) {
  const int b = SelBegin(), e = SelEnd();
  std::string t = FText.substr(0, b) + s + FText.substr(e);
  if (CheckValidity(t)) {
    AcceptText(t, b + static_cast<int>(s.size()));
    return true;
  }
  // Fixed point: a digit typed into the fraction overwrites the next digit.
  if (FInputFormat == itFixPoint && b == e && s.size() == 1 && IsDigit(s[0]) && b < static_cast<int>(FText.size()) &&
      IsDigit(FText[b])) {
    t = FText;
    t[b] = s[0];
    if (CheckValidity(t)) {
      AcceptText(t, b + 1);
      return true;
    }
  }
  return false;
}

void TNumIO2::KeyPressText(std::string& Text) {
  TCustomControl::KeyPressText(Text);
  if (Text.empty()) return;
  const unsigned char ch = static_cast<unsigned char>(Text[0]);
  if (ch < 32) return;  // control characters are handled in KeyDown
  if (FReadOnly || !ReplaceSelection(Text)) Refused();
  Text.clear();
}

void TNumIO2::Spin(int dir) {
  if (FReadOnly) return;
  double v = GetNioValue();
  if (!std::isfinite(v)) v = 0;
  SetNioValue(v + dir * FButIncrem);
}

void TNumIO2::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const bool shift = (Shift & ssShift) != 0, ctrl = (Shift & ssCtrl) != 0;
  const int len = static_cast<int>(FText.size());
  auto moveTo = [&](int p) {
    FCaret = std::clamp(p, 0, len);
    if (!shift) FAnchor = FCaret;
    FCaretOn = Focused();
    Invalidate();
  };
  switch (Key) {
    case VK_LEFT: moveTo(!shift && SelBegin() != SelEnd() ? SelBegin() : FCaret - 1); break;
    case VK_RIGHT: moveTo(!shift && SelBegin() != SelEnd() ? SelEnd() : FCaret + 1); break;
    case VK_HOME: moveTo(0); break;
    case VK_END: moveTo(len); break;
    case VK_UP: Spin(1); break;
    case VK_DOWN: Spin(-1); break;
    case VK_BACK:
    case VK_DELETE: {
      if (shift && Key == VK_DELETE) {  // cut
        if (SelBegin() == SelEnd()) break;
        const std::string sel = SelText();
        if (FReadOnly || !ReplaceSelection("")) Refused();
        else Clipboard().SetAsText(sel);
        break;
      }
      if (FReadOnly) {
        Refused();
        break;
      }
      if (SelBegin() == SelEnd()) {
        if (Key == VK_BACK ? FCaret == 0 : FCaret == len) break;
        if (Key == VK_BACK) FAnchor = FCaret - 1;
        else FCaret = FCaret + 1;
      }
      if (!ReplaceSelection("")) {
        Refused();
        FAnchor = FCaret = std::clamp(Key == VK_BACK ? SelEnd() : SelBegin(), 0, len);
        Invalidate();
      }
      break;
    }
    case VK_INSERT:
      if (shift) {
        if (FReadOnly || !ReplaceSelection(Trim(Clipboard().AsText()))) Refused();
      } else if (ctrl && SelBegin() != SelEnd()) {
        Clipboard().SetAsText(SelText());
      } else {
        return;
      }
      break;
    default:
      if (ctrl && (Key == 'A' || Key == 'C' || Key == 'X' || Key == 'V')) {
        if (Key == 'A') SelectAll();
        else if (Key == 'C') {
          if (SelBegin() != SelEnd()) Clipboard().SetAsText(SelText());
        } else if (Key == 'X') {
          if (SelBegin() == SelEnd()) break;
          const std::string sel = SelText();
          if (FReadOnly || !ReplaceSelection("")) Refused();
          else Clipboard().SetAsText(sel);
        } else {
          if (FReadOnly || !ReplaceSelection(Trim(Clipboard().AsText()))) Refused();
        }
        break;
      }
      return;
  }
  Key = 0;
}

// ---------------------------------------------------------------- mouse
void TNumIO2::GaugeAt(int X) {
  const TRect g = GaugeRect();
  if (g.IsEmpty() || FRangeHigh <= FRangeLow) return;
  const double f = std::clamp((X - g.Left) / static_cast<double>(std::max(g.Width() - 1, 1)), 0.0, 1.0);
  const std::string before = FText;
  SetNioValue(FRangeLow + f * (FRangeHigh - FRangeLow));
  if (FText != before && OnGaugeChange) {
    TNotifyEvent h = OnGaugeChange;
    h(this);
  }
}

void TNumIO2::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (CanFocus() && !Focused()) SetFocus();
  if (Button == mbLeft && (Shift & ssDouble) == 0) {
    const TPoint p(X, Y);
    if (PtInRect(ButtonRect(true), p)) {
      Spin(1);
    } else if (PtInRect(ButtonRect(false), p)) {
      Spin(-1);
    } else if (PtInRect(GaugeRect(), p)) {
      if (!FReadOnly) {
        FGaugeDrag = true;
        GaugeAt(X);
      }
    } else if (PtInRect(BoxRect(), p)) {
      FCaret = XCoordsToCharPos(X);
      if ((Shift & ssShift) == 0) FAnchor = FCaret;
      FSelecting = true;
      FCaretOn = Focused();
      Invalidate();
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TNumIO2::MouseMove(TShiftState Shift, int X, int Y) {
  if (FSelecting && (Shift & ssLeft)) {
    const int p = XCoordsToCharPos(X);
    if (p != FCaret) {
      FCaret = p;
      Invalidate();
    }
  } else if (FGaugeDrag && (Shift & ssLeft)) {
    GaugeAt(X);
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TNumIO2::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FSelecting = false;
  FGaugeDrag = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TNumIO2::DblClick() {
  SelectAll();
  TCustomControl::DblClick();
}

// ---------------------------------------------------------------- drawing
void TNumIO2::Paint() {
  Render(Canvas());
  TCustomControl::Paint();
}

void TNumIO2::Render(TCanvas& c) {
  const int W = Width(), H = Height();
  const TColor hi = FColorScheme == csSystem ? clBtnHighlight : clWhite;
  const TColor sh = FColorScheme == csSystem ? clBtnShadow : clGray;
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(psSolid);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorOutBG);
  c.FillRect(Rect(0, 0, W, H));
  c.Font().Assign(Font());
  const TRect box = BoxRect();
  auto label = [&](const std::string& s, int x1, int x2, TAlignment al) {
    if (s.empty() || x2 <= x1) return;
    c.Font().SetColor(FColorOutText);
    c.Brush().SetStyle(bsClear);
    const TSize e = c.TextExtent(s);
    const int x = al == taRightJustify ? x2 - e.cx : al == taCenter ? x1 + (x2 - x1 - e.cx) / 2 : x1;
    c.TextRect(Rect(x1, 0, x2, H), x, box.Top + (box.Height() - e.cy) / 2, s);
  };
  label(FLeftText, 2, FLeftSpace - 2, FLeftTextAlignment);
  int rightStart = box.Right + 4;
  if (FButVisible) rightStart = ButtonRect(true).Right + 4;
  label(FRightText, rightStart, W - 2, FRightTextAlignment);

  // The box.
  const bool warn = OutOfRange();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(warn ? FColorWarnBG : FColorBoxBG);
  c.FillRect(box);
  DrawFrame(c, fsLowered, box.Left, box.Top, box.Right - 1, box.Bottom - 1, hi, hi, sh, sh, sh);
  const TRect inner = Rect(box.Left + 2, box.Top + 2, box.Right - 2, box.Bottom - 2);
  const int tx = TextOriginX();
  c.Font().Assign(Font());
  c.Font().SetColor(warn ? FColorWarnText : FColorBoxText);
  const TSize e = c.TextExtent(FText.empty() ? std::string("0") : FText);
  const int ty = box.Top + (box.Height() - e.cy) / 2;
  c.Brush().SetStyle(bsClear);
  c.TextRect(inner, tx, ty, FText);
  const bool showSel = SelBegin() != SelEnd() && (Focused() || !FHideSelection);
  if (showSel) {
    TRect sr = Rect(CharPosToXCoords(SelBegin()), inner.Top, CharPosToXCoords(SelEnd()), inner.Bottom);
    TRect clip;
    if (IntersectRect(clip, sr, inner)) {
      c.Brush().SetStyle(bsSolid);
      c.Brush().SetColor(clHighlight);
      c.FillRect(clip);
      c.Brush().SetStyle(bsClear);
      c.Font().SetColor(clHighlightText);
      c.TextRect(clip, tx, ty, FText);
    }
  }
  if (FCaretOn && Focused()) {
    const int x = CharPosToXCoords(FCaret);
    c.Pen().SetColor(warn ? FColorWarnText : FColorBoxText);
    c.MoveTo(x, inner.Top + 1);
    c.LineTo(x, inner.Bottom - 1);
  }

  // Spin buttons.
  if (FButVisible) {
    for (bool up : {true, false}) {
      const TRect r = ButtonRect(up);
      if (r.IsEmpty()) continue;
      c.Brush().SetStyle(bsSolid);
      c.Brush().SetColor(FButColor);
      c.FillRect(r);
      if (FBut3D)
        DrawFrame(c, fsRaised, r.Left, r.Top, r.Right - 1, r.Bottom - 1, hi, hi, sh, sh, sh);
      else
        DrawFrame(c, fsSimple, r.Left, r.Top, r.Right - 1, r.Bottom - 1, hi, hi, sh, sh, sh);
      // A triangle pointing up or down.
      const int cx = (r.Left + r.Right - 1) / 2, cy = (r.Top + r.Bottom - 1) / 2;
      const int s = std::max(1, std::min(r.Width(), r.Height()) / 4);
      c.Pen().SetColor(clBlack);
      c.Brush().SetColor(clBlack);
      if (up) {
        const TPoint t[3] = {Point(cx - s, cy + s / 2), Point(cx + s, cy + s / 2), Point(cx, cy - s / 2 - 1)};
        c.Polygon(t, 3);
      } else {
        const TPoint t[3] = {Point(cx - s, cy - s / 2), Point(cx + s, cy - s / 2), Point(cx, cy + s / 2 + 1)};
        c.Polygon(t, 3);
      }
    }
  }

  // Gauge.
  if (FGaugeVisible) {
    const TRect g = GaugeRect();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(FGaugeColorBg);
    c.FillRect(g);
    double f = 0;
    const double v = GetNioValue();
    if (FRangeHigh > FRangeLow && std::isfinite(v)) f = std::clamp((v - FRangeLow) / (FRangeHigh - FRangeLow), 0.0, 1.0);
    const int fw = static_cast<int>(std::lround(f * g.Width()));
    if (fw > 0) {
      c.Brush().SetColor(FGaugeColor);
      c.FillRect(Rect(g.Left, g.Top, g.Left + fw, g.Bottom));
    }
    DrawFrame(c, FGaugeFrameStyle, g.Left, g.Top, g.Right - 1, g.Bottom - 1, hi, hi, FGaugeColorFrame,
              FGaugeColorFrame, FGaugeColorFrame);
  }
  // The control's frame.
  const TColor fhi = hi, fsh = sh;
  DrawFrame(c, FFrameStyle, 0, 0, W - 1, H - 1, fhi, fhi, fsh, fsh, fsh);
  c.Brush().SetStyle(bsSolid);
}

// ---------------------------------------------------------------- TNumIO
TNumIO::TNumIO(TComponent* AOwner) : TEdit(AOwner) {
  SetAlignment(taRightJustify);
  FAccepted = FPrev = FormatNumValue(0, FInputFormat, FDecPlaceSep, FFixPointDecPlaces, 6);
  SetInternal(FAccepted, static_cast<int>(FAccepted.size()));
}

void TNumIO::Refused() {
  if (FBeep && NumIOBeepProc) NumIOBeepProc();
}

void TNumIO::SetInternal(const std::string& t, int caret) {
  FInternal = true;
  if (t != FBuf.Text) {
    FBuf.Text = t;
    FModified = true;
  }
  FBuf.Caret = FBuf.Anchor = std::clamp(caret, 0, static_cast<int>(t.size()));
  FInternal = false;
  Invalidate();
}

bool TNumIO::Acceptable(const std::string& t, double& v) const {
  if (!ConvertNumString(t, FInputFormat, v)) return false;
  return v == 0 || (v >= FRangeLow && v <= FRangeHigh);
}

void TNumIO::UpdateWarn() {
  const bool w = OutOfRange();
  if (w == FWarn) return;
  FWarn = w;
  if (w) {
    FNormalColor = Color();
    SetColor(FColorWarnBG);
  } else {
    SetColor(FNormalColor);
  }
}

void TNumIO::Change() {
  if (FInternal) return;
  std::string t = FBuf.Text;
  int caret = FBuf.Caret;
  auto refuse = [&](int newCaret) {
    SetInternal(FPrev, newCaret);
    Refused();
    UpdateWarn();
  };
  if (FInputFormat == itFixPoint) {
    // Exactly one separator; digits beyond the decimals are cut off.
    int nsep = 0;
    size_t sepPos = 0;
    for (size_t i = 0; i < t.size(); ++i)
      if (t[i] == '.' || t[i] == ',') ++nsep, sepPos = i;
    if (nsep != 1) {
      size_t prevSep = FPrev.find_first_of(".,");
      refuse(prevSep == std::string::npos ? static_cast<int>(FPrev.size()) : static_cast<int>(prevSep));
      return;
    }
    const size_t maxLen = sepPos + 1 + FFixPointDecPlaces;
    if (t.size() > maxLen) t.resize(maxLen);
  }
  const TInFormat syntax = FInputFormat == itFixPoint ? itFloat : FInputFormat;
  if (t.size() > MaxNumTextLength || !NumTextValid(t, syntax, FDecPlaceSep, FFixPointDecPlaces)) {
    refuse(caret - 1);
    return;
  }
  double v;
  if (FInputFormat == itFixPoint && ConvertNumString(t, itFloat, v)) {
    // Re-formatted with its decimals; the caret keeps its place from the left.
    std::string f = FormatNumValue(v, itFixPoint, FDecPlaceSep, FFixPointDecPlaces, 6);
    if (!t.empty() && t[0] == '+') f = "+" + f;
    if (NumTextValid(f, itFixPoint, FDecPlaceSep, FFixPointDecPlaces)) t = f;
  }
  SetInternal(t, std::min(caret, static_cast<int>(t.size())));
  FPrev = t;
  if (Acceptable(t, v)) {
    FAccepted = t;
    UpdateWarn();
    TEdit::Change();
  } else {
    UpdateWarn();
  }
}

void TNumIO::Commit() {
  if (FBuf.Text == FAccepted) return;
  double v;
  if (Acceptable(FBuf.Text, v)) {  // e.g. after a change of the range
    FAccepted = FPrev = FBuf.Text;
    UpdateWarn();
    TEdit::Change();
    return;
  }
  Refused();
  FPrev = FAccepted;
  SetInternal(FAccepted, static_cast<int>(FAccepted.size()));
  UpdateWarn();
}

void TNumIO::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_RETURN) Commit();
  TEdit::KeyDown(Key, Shift);
}

void TNumIO::DoExit() {
  Commit();
  TEdit::DoExit();
}

double TNumIO::GetLabValue() {
  Commit();
  return AcceptedValue();
}

void TNumIO::SetLabValue(double v) {
  if (!std::isfinite(v)) return;
  const std::string t = FormatNumValue(v, FInputFormat, FDecPlaceSep, FFixPointDecPlaces, 6);
  const bool changed = t != FAccepted || t != FBuf.Text;
  FAccepted = FPrev = t;
  SetInternal(t, static_cast<int>(t.size()));
  UpdateWarn();
  if (changed) TEdit::Change();
}

double TNumIO::AcceptedValue() const {
  double val;
  return ConvertNumString(FAccepted, FInputFormat, val) ? val : 0;
}

void TNumIO::SetInputFormat(TInFormat v) {
  if (v == FInputFormat || v < itExp || v > itDynamic) return;
  const double val = AcceptedValue();
  FInputFormat = v;
  SetLabValue(val);
}

void TNumIO::SetDecPlaceSep(TDecPSep v) {
  if (v == FDecPlaceSep) return;
  const double val = AcceptedValue();
  FDecPlaceSep = v;
  if (!NumTextValid(FAccepted, FInputFormat == itFixPoint ? itFloat : FInputFormat, v, FFixPointDecPlaces))
    SetLabValue(val);
}

void TNumIO::SetFixPointDecPlaces(int v) {
  v = std::clamp(v, 0, 15);
  if (v == FFixPointDecPlaces) return;
  const double val = AcceptedValue();
  FFixPointDecPlaces = v;
  if (FInputFormat == itFloat || FInputFormat == itFixPoint) SetLabValue(val);
}

void TNumIO::SetRangeLow(double v) {
  if (!(v == v)) return;
  FRangeLow = v;
}

void TNumIO::SetRangeHigh(double v) {
  if (!(v == v)) return;
  FRangeHigh = v;
}

void TNumIO::SetColorWarnBG(TColor v) {
  FColorWarnBG = v;
  if (FWarn) SetColor(v);
}

}  // namespace zol
