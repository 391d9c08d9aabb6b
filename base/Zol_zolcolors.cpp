#include "base/Zol_zolcolors.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <new>
#include <optional>

namespace zol {

namespace {
constexpr TColor C(int r, int g, int b) { return RGB(r, g, b); }
int ClampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
}  // namespace

const std::array<TColor, 11> ColorArray_Rainbow = {
    C(32, 0, 64),    C(96, 0, 128),   C(0, 18, 239), C(0, 110, 245), C(0, 244, 255), C(24, 255, 0),
    C(255, 246, 0),  C(255, 193, 0),  C(255, 19, 0), C(141, 0, 0),   C(64, 0, 0)};
const std::array<TColor, 11> ColorArray_Geo1 = {
    C(189, 210, 222), C(99, 159, 99),   C(136, 186, 137), C(173, 207, 167),
    C(210, 229, 197), C(245, 241, 203), C(234, 206, 150), C(216, 174, 108),
    C(189, 134, 53),  C(148, 101, 66),  C(252, 250, 240)};
const std::array<TColor, 11> ColorArray_Geo2 = {
    C(127, 174, 223), C(140, 182, 222), C(155, 190, 227), C(173, 201, 226),
    C(187, 204, 220), C(172, 187, 144), C(198, 201, 153), C(218, 215, 164),
    C(218, 200, 161), C(197, 182, 154), C(200, 172, 150)};
const std::array<TColor, 7> ColorArray_Circle = {C(255, 0, 0),   C(255, 255, 0), C(0, 255, 0),
                                                 C(0, 255, 255), C(0, 0, 255),   C(255, 0, 255),
                                                 C(255, 0, 0)};
const std::array<TColor, 12> ColorArray_Contrast = {
    C(0, 0, 0),     C(0, 0, 255),     C(0, 128, 0),    C(255, 0, 0),
    C(255, 128, 0), C(128, 128, 128), C(128, 64, 64),  C(255, 0, 255),
    C(0, 0, 128),   C(0, 255, 0),     C(24, 205, 197), C(0, 128, 128)};

const std::array<TColor, 47> PredefinedColors = {
    clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray, clSilver, clRed, clLime,
    clYellow, clBlue, clFuchsia, clAqua, clWhite, clMoneyGreen, clSkyBlue, clCream, clMedGray,
    clActiveBorder, clActiveCaption, clAppWorkSpace, clBackground, clBtnFace, clBtnHighlight,
    clBtnShadow, clBtnText, clCaptionText, clDefault, clGrayText, clHighlight, clHighlightText,
    clInactiveBorder, clInactiveCaption, clInactiveCaptionText, clInfoBk, clInfoText, clMenu,
    clMenuText, clNone, clScrollBar, cl3DDkShadow, cl3DLight, clWindow, clWindowFrame,
    clWindowText};

TColor InterpolateColor(TColor c1, TColor c2, double f) {
  f = Clamp01(f);
  auto ch = [f](int a, int b) { return static_cast<int>(std::trunc(a + (b - a) * f)); };
  return RGB(ch(GetRValue(c1), GetRValue(c2)), ch(GetGValue(c1), GetGValue(c2)),
             ch(GetBValue(c1), GetBValue(c2)));
}

TColor Interpolate3Colors(TColor c1, TColor c2, TColor c3, double f) {
  f = Clamp01(f);
  if (f <= 0.5) return InterpolateColor(c1, c2, 2 * f);
  return InterpolateColor(c2, c3, 2 * (f - 0.5));
}

TColor MeanColor(TColor c1, TColor c2) { return InterpolateColor(c1, c2, 0.5); }

TColor ReverseRGBColor(TColor c) { return RGB(GetBValue(c), GetGValue(c), GetRValue(c)); }

TColor InvertColor(TColor c) {
  return RGB(255 - GetRValue(c), 255 - GetGValue(c), 255 - GetBValue(c));
}

int RGBtoGray(int r, int g, int b) {
  return static_cast<int>(std::lround(0.3 * r + 0.59 * g + 0.11 * b));
}

TColor RGBtoGrayColor(int r, int g, int b) {
  int v = ClampByte(RGBtoGray(r, g, b));
  return RGB(v, v, v);
}

TColor ColorToGrayColor(TColor c) { return RGBtoGrayColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

double RGBColorDistance(TColor c1, TColor c2) {
  double dr = GetRValue(c1) - GetRValue(c2), dg = GetGValue(c1) - GetGValue(c2),
         db = GetBValue(c1) - GetBValue(c2);
  return std::sqrt((dr * dr + dg * dg + db * db) / 195075.0);
}

void HSItoRGB(double H, double S, double I, int& r, int& g, int& b) {
  if (!(H >= 0 && H < 360)) H = 0;
  S = Clamp01(S);
  I = Clamp01(I);
  if (S == 0) {
    r = g = b = static_cast<int>(std::lround(255 * I));
    return;
  }
  int m = static_cast<int>(std::trunc(H / 60));
  double f = H / 60 - m;
  double v = 255 * I, p = 255 * I * (1 - S), q = 255 * I * (1 - f * S), t = 255 * I * (1 - (1 - f) * S);
  double rr, gg, bb;
  switch (m) {
    case 0: rr = v; gg = t; bb = p; break;
    case 1: rr = q; gg = v; bb = p; break;
    case 2: rr = p; gg = v; bb = t; break;
    case 3: rr = p; gg = q; bb = v; break;
    case 4: rr = t; gg = p; bb = v; break;
    default: rr = v; gg = p; bb = q; break;
  }
  r = static_cast<int>(std::lround(rr));
  g = static_cast<int>(std::lround(gg));
  b = static_cast<int>(std::lround(bb));
}

void RGBtoHSI(int r, int g, int b, double& H, double& S, double& I) {
  int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  I = mx / 255.0;
  if (mx == 0) {
    S = 0;
    H = 0;
    return;
  }
  S = static_cast<double>(mx - mn) / mx;
  if (S == 0) {
    H = -1;
    return;
  }
  double d = mx - mn;
  if (r == mx) H = (g - b) / d;
  else if (g == mx) H = (b - r) / d + 2;
  else H = (r - g) / d + 4;
  H *= 60;
  if (H < 0) H += 360;
}

void RGBtoCMY(int r, int g, int b, double& C, double& M, double& Y) {
  C = 1 - r / 255.0;
  M = 1 - g / 255.0;
  Y = 1 - b / 255.0;
}

void CMYtoRGB(double C, double M, double Y, int& r, int& g, int& b) {
  r = static_cast<int>(std::lround(255 * (1 - Clamp01(C))));
  g = static_cast<int>(std::lround(255 * (1 - Clamp01(M))));
  b = static_cast<int>(std::lround(255 * (1 - Clamp01(Y))));
}

void CMYtoCMYK(double& C, double& M, double& Y, double& K) {
  K = std::min({C, M, Y});
  C -= K;
  M -= K;
  Y -= K;
}

void CMYKtoCMY(double& C, double& M, double& Y, double K) {
  C = std::min(1.0, C + K);
  M = std::min(1.0, M + K);
  Y = std::min(1.0, Y + K);
}

TColor RandomColor() { return RGB(Random(256), Random(256), Random(256)); }

TColor RandomColor(int RMin, int RMax, int GMin, int GMax, int BMin, int BMax) {
  auto pick = [](int lo, int hi) {
    lo = ClampByte(lo);
    hi = ClampByte(hi);
    if (lo > hi) std::swap(lo, hi);
    return lo + Random(hi - lo + 1);
  };
  int r = pick(RMin, RMax), g = pick(GMin, GMax), b = pick(BMin, BMax);
  return RGB(r, g, b);
}

TColor WavelengthToColor(double nm, double Gamma) {
  double r = 0, g = 0, b = 0;
  if (nm >= 380 && nm < 440) {
    r = (440 - nm) / 60;
    b = 1;
  } else if (nm >= 440 && nm < 490) {
    g = (nm - 440) / 50;
    b = 1;
  } else if (nm >= 490 && nm < 510) {
    g = 1;
    b = (510 - nm) / 20;
  } else if (nm >= 510 && nm < 580) {
    r = (nm - 510) / 70;
    g = 1;
  } else if (nm >= 580 && nm < 645) {
    r = 1;
    g = (645 - nm) / 65;
  } else if (nm >= 645 && nm < 780) {
    r = 1;
  }
  double factor;
  if (nm > 700) factor = 0.3 + 0.7 * (780 - nm) / 80;
  else if (nm >= 420) factor = 1;
  else factor = 0.3 + 0.7 * (nm - 380) / 40;
  if (factor < 0) factor = 0;
  auto ch = [&](double v) {
    double p = v * factor;
    return p <= 0 ? 0 : ClampByte(static_cast<int>(std::lround(255 * std::pow(p, Gamma))));
  };
  return RGB(ch(r), ch(g), ch(b));
}

// ---------------------------------------------------------------- TColorArray
TColorArray::TColorArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FColors.assign(1000, clBlack);
  } catch (const std::bad_alloc&) {
    throw EZOLColArrayError(ComponentMsg("not enough memory on heap"));
  }
  FillByInterpolation(0, ColorArray_Rainbow);
}

void TColorArray::Changed() {
  if (OnChange) OnChange(this);
}

bool TColorArray::Resize(int n) {
  if (n < 1) return false;
  if (n == Size()) return true;
  try {
    FColors.resize(static_cast<size_t>(n), clBlack);
  } catch (const std::bad_alloc&) {
    throw EZOLColArrayError(ComponentMsg("not enough memory"));
  }
  Changed();
  return true;
}

void TColorArray::SetSize(int n) {
  if (n > 0 && n != Size()) Resize(n);
}

TColor TColorArray::GetColorElem(int i) const {
  if (FColors.empty()) return clBlack;
  i = std::clamp(i, 1, Size());
  return FColors[static_cast<size_t>(i - 1)];
}

void TColorArray::SetColorElem(int i, TColor c) {
  if (i < 1 || i > Size()) return;
  FColors[static_cast<size_t>(i - 1)] = c;
  Changed();
}

void TColorArray::FillByInterpolation(int Steps, const TColor* Colors, int High) {
  if (!Colors || High < 0 || FColors.empty()) return;
  const int N = Size();
  for (int i = 1; i <= N; ++i) {
    double c = i;
    if (Steps > 0) c = std::round(std::round(static_cast<double>(i) / N * Steps) * N / Steps);
    int k = static_cast<int>(std::trunc(static_cast<double>(High) * (c - 1) / N));
    // The quantised position may round up to N: k then stays within the list.
    k = std::clamp(k, 0, High);
    TColor a = Colors[k];
    TColor b = Colors[std::min(k + 1, High)];
    FColors[static_cast<size_t>(i - 1)] = InterpolateColor(a, b, High * c / N - k);
  }
  Changed();
}

int TColorArray::ColorToIndex(TColor c, double& Dist) const {
  Dist = 1;
  int best = 1;
  for (int i = 0; i < Size(); ++i) {
    double d = RGBColorDistance(c, FColors[static_cast<size_t>(i)]);
    if (d < Dist) {
      Dist = d;
      best = i + 1;
    }
  }
  return best;
}

void TColorArray::CopyFrom(const TColorArray* Source, int First, int Dest, int Last) {
  if (!Source || Source->Size() < 1) return;
  First = std::clamp(First, 1, Source->Size());
  Last = std::clamp(Last, 1, Source->Size());
  if (First > Last) std::swap(First, Last);
  std::vector<TColor> part(Source->FColors.begin() + (First - 1), Source->FColors.begin() + Last);
  for (size_t k = 0; k < part.size(); ++k) {
    long long d = static_cast<long long>(Dest) + static_cast<long long>(k);
    if (d >= 1 && d <= Size()) FColors[static_cast<size_t>(d - 1)] = part[k];
  }
  Changed();
}

bool TColorArray::IsEqual(const TColorArray& Other) const { return FColors == Other.FColors; }

void TColorArray::Assign(const TPersistent& Source) {
  if (auto* s = dynamic_cast<const TColorArray*>(&Source)) {
    FColors = s->FColors;
    Changed();
    return;
  }
  TComponent::Assign(Source);
}

bool TColorArray::StoreOnFile(int First, int Last, const std::string& FileName) const {
  if (First > Last) std::swap(First, Last);
  First = std::max(First, 1);
  Last = std::min(Last, Size());
  try {
    TextFile f;
    AssignFile(f, FileName);
    Rewrite(f);
    WriteLn(f, std::to_string(First) + " " + std::to_string(Last));
    for (int i = First; i <= Last; ++i) WriteLn(f, IntToHex(GetColorElem(i), 8));
    CloseFile(f);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool TColorArray::LoadFromFile(const std::string& FileName, bool AdjustSize) {
  try {
    TextFile f;
    AssignFile(f, FileName);
    Reset(f);
    std::string line;
    if (!ReadLn(f, line)) return false;
    std::string t = Trim(line);
    size_t sp = t.find_first_of(" \t");
    if (sp == std::string::npos) return false;
    int first, last;
    if (!TryStrToInt(t.substr(0, sp), first) || !TryStrToInt(Trim(t.substr(sp)), last)) return false;
    if (first > last) std::swap(first, last);
    if (first < 1) return false;
    std::vector<std::optional<TColor>> read;
    for (int i = first; i <= last; ++i) {
      if (!ReadLn(f, line)) return false;  // a truncated map is refused as a whole
      size_t p = 0;
      while (p < line.size() && line[p] == ' ') ++p;
      if (p < line.size() && line[p] == '$') ++p;
      uint32_t v = 0;
      size_t digits = 0;
      // At most 8 digits make the 32-bit value; further digits are ignored.
      for (; p < line.size() && std::isxdigit(static_cast<unsigned char>(line[p])); ++p, ++digits) {
        if (digits >= 8) continue;
        char ch = line[p];
        v = v * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(ch)) ? ch - '0'
                                                                                      : (ch | 0x20) - 'a' + 10);
      }
      // An unreadable line leaves its entry as it was.
      read.push_back(digits ? std::optional<TColor>(v) : std::nullopt);
    }
    CloseFile(f);
    if (AdjustSize) Resize(last);
    if (Size() < last) return false;
    for (int i = first; i <= last; ++i)
      if (const auto& c = read[static_cast<size_t>(i - first)]) FColors[static_cast<size_t>(i - 1)] = *c;
    Changed();
    return true;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace zol
