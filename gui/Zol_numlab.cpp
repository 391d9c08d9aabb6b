#include "gui/Zol_numlab.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "base/platform/Zol_sysutils.h"

namespace zol {

namespace {

const char* const kDegree = "\xC2\xB0";

// The value rounded to an integer (halves away from zero), clamped to 64 bits.
int64_t RoundClamped(double v) {
  if (v >= 9223372036854775807.0) return INT64_MAX;
  if (v <= -9223372036854775808.0) return INT64_MIN;
  return std::llround(v);
}

std::string Printf(const char* fmt, int prec, double v) {
  char buf[512];
  std::snprintf(buf, sizeof buf, fmt, prec, v);
  return buf;
}

// Digits of |n| in base 2, 8 or 16, at least MinDigits of them, '-' before negative values.
std::string InBase(int64_t n, unsigned base, int MinDigits) {
  uint64_t m = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  std::string d;
  do {
    d.insert(d.begin(), "0123456789ABCDEF"[m % base]);
    m /= base;
  } while (m != 0);
  if (static_cast<int>(d.size()) < MinDigits) d.insert(0, static_cast<size_t>(MinDigits) - d.size(), '0');
  return n < 0 ? "-" + d : d;
}

std::string TwoDigits(int v) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

std::string FormatDT(double v, const std::string& f) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDate(v, y, mo, d);
  DecodeTime(v, h, mi, s, ms);
  std::string r;
  size_t i = 0;
  auto starts = [&](const char* t) {
    const size_t n = std::char_traits<char>::length(t);
    if (i + n > f.size()) return false;
    for (size_t k = 0; k < n; ++k)
      if (std::tolower(static_cast<unsigned char>(f[i + k])) != t[k]) return false;
    return true;
  };
  while (i < f.size()) {
    if (f[i] == '"') {
      const size_t e = f.find('"', i + 1);
      const size_t end = e == std::string::npos ? f.size() : e;
      r += f.substr(i + 1, end - i - 1);
      i = end == f.size() ? end : end + 1;
    } else if (starts("yyyy")) { r += std::to_string(y); i += 4; }
    else if (starts("yy")) { r += TwoDigits(((y % 100) + 100) % 100); i += 2; }
    else if (starts("mm")) { r += TwoDigits(mo); i += 2; }
    else if (starts("m")) { r += std::to_string(mo); i += 1; }
    else if (starts("dd")) { r += TwoDigits(d); i += 2; }
    else if (starts("d")) { r += std::to_string(d); i += 1; }
    else if (starts("hh")) { r += TwoDigits(h); i += 2; }
    else if (starts("h")) { r += std::to_string(h); i += 1; }
    else if (starts("nn")) { r += TwoDigits(mi); i += 2; }
    else if (starts("n")) { r += std::to_string(mi); i += 1; }
    else if (starts("ss")) { r += TwoDigits(s); i += 2; }
    else if (starts("s")) { r += std::to_string(s); i += 1; }
    else if (starts("zzz")) { char b[8]; std::snprintf(b, sizeof b, "%03d", ms); r += b; i += 3; }
    else { r += f[i]; ++i; }
  }
  return r;
}

// Degrees, minutes and seconds: the magnitude in units of 1/Div degree
// rounded to Prec decimals, split into whole degrees (and minutes) and the rest.
std::string Degrees(double v, int prec, int parts) {
  const bool neg = v < 0;
  const double scale = parts == 1 ? 60.0 : 3600.0;
  const double p10 = std::pow(10.0, prec);
  double total = std::round(std::fabs(v) * scale * p10) / p10;  // minutes or seconds
  const double deg = std::floor(total / scale + 1e-12);
  total -= deg * scale;
  if (total < 0) total = 0;
  char buf[128];
  const int w = prec > 0 ? prec + 3 : 2;
  if (parts == 1) {
    std::snprintf(buf, sizeof buf, "%s%.0f%s%0*.*f'", neg ? "-" : "", deg, kDegree, w, prec, total);
  } else {
    const double mins = std::floor(total / 60.0 + 1e-12);
    const double secs = std::max(0.0, total - mins * 60.0);
    std::snprintf(buf, sizeof buf, "%s%.0f%s%02.0f'%0*.*f\"", neg ? "-" : "", deg, kDegree, mins, w, prec, secs);
  }
  return buf;
}

std::string Engineering(double v, int prec, bool noDP) {
  if (noDP) prec = 0;
  int e3 = 0;
  if (v != 0) e3 = static_cast<int>(std::floor(std::floor(std::log10(std::fabs(v))) / 3.0)) * 3;
  double m = v / std::pow(10.0, e3);
  std::string ms = Printf("%.*f", prec, m);
  if (std::fabs(std::atof(ms.c_str())) >= 1000.0) {
    e3 += 3;
    ms = Printf("%.*f", prec, v / std::pow(10.0, e3));
  }
  char eb[16];
  std::snprintf(eb, sizeof eb, "E%+03d", e3);
  return ms + eb;
}

}  // namespace

std::string FormatNumLabValue(double Value, TDisplay DisplayType, int Precision, const std::string& DTFormat,
                              const std::vector<std::string>& StateText, bool Comma, bool ForcePlusSign) {
  const int prec = std::clamp(Precision, 0, 30);
  std::string t;
  if (DisplayType == dtState) {
    if (std::isfinite(Value)) {
      const int64_t i = RoundClamped(Value);
      if (i >= 0 && i < static_cast<int64_t>(StateText.size())) t = StateText[static_cast<size_t>(i)];
    }
    return t;
  }
  if (std::isnan(Value)) return "NaN";
  if (std::isinf(Value)) return Value > 0 ? "+Inf" : "-Inf";
  char buf[128];
  switch (DisplayType) {
    case dtFloat: t = Printf("%1.*g", prec, Value); break;
    case dtFixP: t = Printf("%1.*f", prec, Value); break;
    case dtExp: t = Printf("%1.*e", prec, Value); break;
    case dtInt:
      // A precision of 0 would write nothing at all for the value 0: at least one digit.
      std::snprintf(buf, sizeof buf, "%1.*lld", std::max(prec, 1), static_cast<long long>(RoundClamped(Value)));
      t = buf;
      break;
    case dtZeroInt: std::snprintf(buf, sizeof buf, "%0*lld", prec, static_cast<long long>(RoundClamped(Value))); t = buf; break;
    case dtHex: t = InBase(RoundClamped(Value), 16, prec); break;
    case dtBin: t = InBase(RoundClamped(Value), 2, prec); break;
    case dtOct: t = InBase(RoundClamped(Value), 8, prec); break;
    case dtDateTime:
      // Dates outside the years 1..9999 cannot be written.
      t = (Value > -693594.0 && Value < 2958466.0) ? FormatDT(Value, DTFormat) : std::string();
      break;
    case dtDeg: t = Printf("%.*f", prec, Value) + kDegree; break;
    case dtDegMin: t = Degrees(Value, prec, 1); break;
    case dtDegMinSec: t = Degrees(Value, prec, 2); break;
    case dtEEng: t = Engineering(Value, prec, false); break;
    case dtEEngNoDP: t = Engineering(Value, prec, true); break;
    case dtState: break;
  }
  if (DisplayType != dtHex && DisplayType != dtDateTime && DisplayType != dtBin) {
    if (Comma) std::replace(t.begin(), t.end(), '.', ',');
    if (ForcePlusSign && Value > 0) t.insert(t.begin(), '+');
  }
  return t;
}

TNumLab::TNumLab(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 80, 22); }

void TNumLab::SetValue(double v) {
  if (v == FValue || (std::isnan(v) && std::isnan(FValue))) return;
  FValue = v;
  Invalidate();
}

void TNumLab::SetPrecision(int v) { StoreAndRepaint(FPrecision, std::clamp(v, 0, 30)); }
void TNumLab::SetLeftSpace(int v) { StoreAndRepaint(FLeftSpace, std::clamp(v, 0, 10000)); }
void TNumLab::SetLabelWidth(int v) { StoreAndRepaint(FLabelWidth, std::clamp(v, 1, 10000)); }

std::string TNumLab::FormattedText() const {
  return FormatNumLabValue(FValue, FDisplayType, FPrecision, FDTFormat, FStateText, FComma, FForcePlusSign);
}

void TNumLab::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  c.Font().Assign(Font());
  c.SetTextAlign(TA_LEFT | TA_TOP);
  c.Brush().SetStyle(bsSolid);
  if (!FTransparent) {
    c.Brush().SetColor(FColorLabBakG);
    c.FillRect(Rect(0, 0, std::min(FLeftSpace, w), h));
    c.FillRect(Rect(FLeftSpace + FLabelWidth, 0, w, h));
  }
  const TRect box = BoxRect();
  c.Brush().SetColor(FColorOutBakG);
  c.FillRect(box);
  c.Brush().SetStyle(bsClear);
  c.Font().SetColor(FColorLabText);
  if (!FLeftText.empty()) {
    const TSize s = c.TextExtent(FLeftText);
    const int room = FLeftSpace - 4;
    const int x = FLeftTextAlignment == taLeftJustify ? 0
                  : FLeftTextAlignment == taRightJustify ? room - s.cx : (room - s.cx) / 2;
    c.TextRect(Rect(0, 0, std::max(0, FLeftSpace - 2), h), x, (h - s.cy) / 2, FLeftText);
  }
  if (!FRightText.empty()) {
    const TSize s = c.TextExtent(FRightText);
    c.TextOut(box.Right + 4, (h - s.cy) / 2, FRightText);
  }
  FShownText.clear();
  if (!FEmpty) {
    std::string text = FormattedText();
    if (auto handler = OnBeforeDisplay) handler(this, text);
    if (FDisplayType != dtState && c.TextWidth(text) > FLabelWidth - 6) text = FOverflowIndicator;
    FShownText = text;
    const TSize s = c.TextExtent(text);
    const int x = FAlignment == taLeftJustify ? box.Left + 3
                  : FAlignment == taRightJustify ? box.Right - 3 - s.cx
                                                 : box.Left + (FLabelWidth - s.cx) / 2;
    c.Font().SetColor(FColorOutText);
    c.TextRect(Rect(box.Left + 2, box.Top + 2, box.Right - 2, box.Bottom - 2), x, (h - s.cy) / 2, text);
  }
  c.Brush().SetStyle(bsSolid);
  DrawSchemeFrame(c, FFrameStyle, FColorScheme, box.Left, box.Top, box.Right - 1, box.Bottom - 1);
  TGraphicControl::Paint();
}

}  // namespace zol
