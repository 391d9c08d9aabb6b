// Colour arithmetic: interpolation, RGB/HSI/CMY/CMYK conversions, grey values,
// distances, random and spectral colours, predefined ramps, and TColorArray,
// a colour lookup table with a small text file format.
//
// Colour-map file (text): the first line holds First and Last separated by a
// blank; then one line per entry First..Last holding the colour as 8
// upper-case hexadecimal digits without prefix (TColor value, red in the low
// byte).  The reader also accepts leading blanks, one "$" and lower-case digits.
#pragma once

#include <array>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_graphics.h"

namespace zol {

class EZOLColArrayError : public EZOLError {
  using EZOLError::EZOLError;
};

// Predefined ramps.
extern const std::array<TColor, 11> ColorArray_Rainbow;
extern const std::array<TColor, 11> ColorArray_Geo1;
extern const std::array<TColor, 11> ColorArray_Geo2;
extern const std::array<TColor, 7> ColorArray_Circle;
extern const std::array<TColor, 12> ColorArray_Contrast;
// The 16 basic colours, money green, sky blue, cream, medium grey, then the
// system colours and special values in the order of the platform's colour
// identifier list (alphabetical: clActiveBorder … clWindowText).
extern const std::array<TColor, 47> PredefinedColors;

TColor InterpolateColor(TColor c1, TColor c2, double f);
TColor Interpolate3Colors(TColor c1, TColor c2, TColor c3, double f);
TColor MeanColor(TColor c1, TColor c2);
TColor ReverseRGBColor(TColor c);
TColor InvertColor(TColor c);
int RGBtoGray(int r, int g, int b);
TColor RGBtoGrayColor(int r, int g, int b);
TColor ColorToGrayColor(TColor c);
double RGBColorDistance(TColor c1, TColor c2);
void HSItoRGB(double H, double S, double I, int& r, int& g, int& b);
void RGBtoHSI(int r, int g, int b, double& H, double& S, double& I);
void RGBtoCMY(int r, int g, int b, double& C, double& M, double& Y);
void CMYtoRGB(double C, double M, double Y, int& r, int& g, int& b);
void CMYtoCMYK(double& C, double& M, double& Y, double& K);
void CMYKtoCMY(double& C, double& M, double& Y, double K);
TColor RandomColor();
TColor RandomColor(int RMin, int RMax, int GMin, int GMax, int BMin, int BMax);
TColor WavelengthToColor(double nm, double Gamma);

class TColorArray : public TComponent {
 public:
  explicit TColorArray(TComponent* AOwner);
  int Size() const { return static_cast<int>(FColors.size()); }
  void SetSize(int n);
  // False for n < 1; fires OnChange after a change of size.
  bool Resize(int n);
  // i below 1 gives entry 1, above Size the last entry; black without storage.
  TColor GetColorElem(int i) const;
  void SetColorElem(int i, TColor c);  // ignored outside 1..Size
  // Fills the array from the High + 1 colours of Colors, quantised into Steps
  // bands (Steps <= 0: no bands).  Colors must hold High + 1 entries; High = 0
  // fills with Colors[0].
  void FillByInterpolation(int Steps, const TColor* Colors, int High);
  template <size_t N>
  void FillByInterpolation(int Steps, const std::array<TColor, N>& Colors) {
    FillByInterpolation(Steps, Colors.data(), static_cast<int>(N) - 1);
  }
  int ColorToIndex(TColor c, double& Dist) const;
  // Copies Source's entries First..Last to this array from index Dest on;
  // entries that would land beyond Size are dropped.
  void CopyFrom(const TColorArray* Source, int First, int Dest, int Last);
  bool IsEqual(const TColorArray& Other) const;
  void Assign(const TPersistent& Source) override;
  bool LoadFromFile(const std::string& FileName, bool AdjustSize);
  bool StoreOnFile(int First, int Last, const std::string& FileName) const;
  TNotifyEvent OnChange;

 private:
  void Changed();
  std::vector<TColor> FColors;
};

}  // namespace zol
