// Seven-segment display: every character of the caption shown in a digit
// cell of slanted segments, scaled from a reference cell of 308 × 420 units.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

// Size of the reference cell in which the segment images are composed.
constexpr int SevenSegRefWidth = 308;
constexpr int SevenSegRefHeight = 420;

// The segments a character lights: bit k-1 for segment k (1 top, 2 upper
// left, 3 upper right, 4 middle, 5 lower left, 6 lower right, 7 bottom);
// 0 for a character that leaves the cell dark.  '+', ':' and the degree sign
// have images of their own (SevenSegSymbol).
uint8_t SevenSegPattern(char32_t ch);
// True for the characters drawn from a symbol image: '+', ':', U+00B0.
bool SevenSegSymbol(char32_t ch);

class TSevenSeg : public TGraphicControl {
 public:
  explicit TSevenSeg(TComponent* AOwner);
  ~TSevenSeg() override;

  // The text shown; '.' and ',' light the decimal point of the cell before
  // them (a leading one takes a cell of its own).  The characters fill the
  // cells from the right; characters beyond NumDigits on the left are not shown.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  int NumDigits() const { return FNumDigits; }
  void SetNumDigits(int v);  // 1..64, default 4
  int InterDigDist() const { return FInterDigDist; }
  void SetInterDigDist(int v);  // 0..1000 pixels between cells, default 4
  int Margin() const { return FMargin; }
  void SetMargin(int v);  // 0..1000 pixels inside the frame, default 4
  TColor ColorText() const { return FColorText; }
  void SetColorText(TColor v);  // lit segments, default clLime
  TColor ColorBackGnd() const { return FColorBackGnd; }
  void SetColorBackGnd(TColor v);  // default clBlack
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v);  // default csBWG
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v);  // default fsLowered

  // The rectangle of digit cell i (0 = leftmost) in client coordinates.
  TRect CellRect(int i) const;

  // Image cache: the segment masks at reference size (CreateImageCache),
  // coloured for the current colours (ColorizeSegments), and one composed
  // reference-size image per character, decimal point and colour pair (CreateDigit).
  void CreateImageCache();
  void ColorizeSegments(TColor Lit, TColor Back);
  const TBitmap& CreateDigit(char32_t ch, bool DecPoint);
  int CachedDigits() const { return static_cast<int>(FDigits.size()); }

 protected:
  void Paint() override;

 private:
  struct Cell {
    char32_t Ch = 0;
    bool Dp = false;
  };
  std::vector<Cell> LayoutCells() const;

  std::string FCaption;
  int FNumDigits = 4;
  int FInterDigDist = 4;
  int FMargin = 4;
  TColor FColorText = clLime;
  TColor FColorBackGnd = clBlack;
  TColorScheme FColorScheme = csBWG;
  TFrameStyle FFrameStyle = fsLowered;

  // Masks (true = covered) of the 7 segments, the decimal point and the
  // symbols, each a reference-size bitmap: white = covered.
  std::vector<std::unique_ptr<TBitmap>> FMasks;
  TColor FCacheLit = 0, FCacheBack = 0;
  bool FColorized = false;
  std::map<std::pair<char32_t, bool>, std::unique_ptr<TBitmap>> FDigits;
};

}  // namespace zol
