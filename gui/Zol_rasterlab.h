// Raster label: text shown as a dot matrix, optionally scrolling by a timer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_extctrls.h"

namespace zol {

enum TRDBlockMode { rdbmOff, rdbmOn, rdbmRaster };
enum TRDScrollMode { rdsmOff, rdsmLeft, rdsmRight, rdsmDown, rdsmUp };

// Dot patterns of the character codes 0..255: row r of character c is
// Rows[c][r], bit k set for a dot in column k (0 = leftmost); LeftCol and
// RightCol are the leftmost and rightmost dot columns (-1 for a character
// without dots); Height is the number of rows used by the tallest character.
struct TRDCharMatrix {
  int Height = 0;
  std::array<std::array<uint32_t, 32>, 256> Rows{};
  std::array<int, 256> LeftCol{};
  std::array<int, 256> RightCol{};
  // Recomputes LeftCol, RightCol and Height from the rows.
  void UpdateExtents();
};

// The unit's built-in 5 × 7 dot font (codes 32..126; accented Latin-1
// letters show their base letter, the degree sign a small ring).
const TRDCharMatrix& DefaultCharMatrix();

// Rasterises the codes 32..255 (Latin-1) of a font: each is drawn into a 32 ×
// 32 cell and a dot set where the coverage reaches one half.
TRDCharMatrix CreateBitFont(const TFont& Font);

class TRasterLab : public TGraphicControl {
 public:
  explicit TRasterLab(TComponent* AOwner);
  ~TRasterLab() override;

  const std::string& Text() const { return FText; }
  void SetText(const std::string& v);
  // The current character matrix, used while the font's name is "default".
  const TRDCharMatrix& CharMatrix() const { return *FCharMatrix; }
  void SetCharMatrix(const TRDCharMatrix& m);
  // The matrix the text is drawn with: CharMatrix for the font "default",
  // otherwise the rasterised font (rebuilt when the font changes).
  const TRDCharMatrix& ActiveMatrix();

  int DotSize() const { return FDotSize; }
  void SetDotSize(int v);  // 1..100 pixels, default 3
  int DotSpacing() const { return FDotSpacing; }
  void SetDotSpacing(int v);  // 1..100 pixels from dot to dot, default 4
  TColor ColorDotOn() const { return FColorDotOn; }
  void SetColorDotOn(TColor v) { StoreAndRepaint(FColorDotOn, v); }  // default clLime
  TColor ColorDotOff() const { return FColorDotOff; }
  void SetColorDotOff(TColor v) { StoreAndRepaint(FColorDotOff, v); }  // default RGB(0, 64, 0)
  TColor ColorLabBakG() const { return FColorLabBakG; }
  void SetColorLabBakG(TColor v) { StoreAndRepaint(FColorLabBakG, v); }  // default clBlack
  // Proportional: each character takes its dot columns plus one; otherwise
  // every character takes the widest character's cell plus one.
  bool Proportional() const { return FProportional; }
  void SetProportional(bool v) { StoreAndRepaint(FProportional, v); }  // default false
  // rdbmOff: a dot at every grid position; rdbmOn: dots only in the cells of
  // the characters; rdbmRaster: the cells' dark dots as single pixels.
  TRDBlockMode CharBlockMode() const { return FCharBlockMode; }
  void SetCharBlockMode(TRDBlockMode v) { StoreAndRepaint(FCharBlockMode, v); }  // default rdbmOff
  // Position of the text's top-left dot in grid dots (without scrolling and AutoCenter).
  int PosX() const { return FPosX; }
  void SetPosX(int v) { StoreAndRepaint(FPosX, v); }  // default 1
  int PosY() const { return FPosY; }
  void SetPosY(int v) { StoreAndRepaint(FPosY, v); }  // default 1
  // AutoCenter centres the text in the grid; AutoHeight sizes the control to
  // the matrix height plus one dot above and below.
  bool AutoCenter() const { return FAutoCenter; }
  void SetAutoCenter(bool v) { StoreAndRepaint(FAutoCenter, v); }  // default false
  bool AutoHeight() const { return FAutoHeight; }
  void SetAutoHeight(bool v);  // default false

  // Scrolling: every ScrollInterval milliseconds the text moves by
  // ScrollIncrement dots; it enters at one edge and leaves at the other.
  // Once it has left: with ScrollLoop it enters again (OnScrollLoopRestart),
  // otherwise scrolling stops.
  TRDScrollMode ScrollMode() const { return FScrollMode; }
  void SetScrollMode(TRDScrollMode v);  // default rdsmOff
  int ScrollInterval() const { return FScrollInterval; }
  void SetScrollInterval(int v);  // 10..100000 ms, default 100
  int ScrollIncrement() const { return FScrollIncrement; }
  void SetScrollIncrement(int v);  // 1..1000 dots, default 1
  bool ScrollLoop() const { return FScrollLoop; }
  void SetScrollLoop(bool v) { FScrollLoop = v; }  // default true
  bool Scrolling() const;
  // Offset of the text in dots while scrolling (x for left/right, y for up/down).
  int ScrollPos() const { return FScrollPos; }

  // Grid size in dots, text size in dots, and whether dot (col, row) of the grid is lit.
  int GridColumns() const;
  int GridRows() const;
  int TextDotWidth();
  bool DotLit(int Col, int Row);

  TNotifyEvent OnScrollTimer, OnScrollLoopRestart;

 protected:
  void Paint() override;
  void FontChanged() override;
  void Resize() override;

 private:
  struct Placed {
    int Code;
    int X;      // first column of the cell in text dots
    int Width;  // cell width in dots
    int First;  // first pattern column shown
  };
  std::vector<Placed> Layout();
  void TextOrigin(int& x, int& y);
  void RestartScroll();
  void ScrollTick(TObject* Sender);
  void ApplyAutoHeight();

  std::string FText;
  std::unique_ptr<TRDCharMatrix> FCharMatrix;
  std::unique_ptr<TRDCharMatrix> FFontMatrix;
  std::string FFontKey;
  int FDotSize = 3, FDotSpacing = 4;
  TColor FColorDotOn = clLime, FColorDotOff = RGB(0, 64, 0), FColorLabBakG = clBlack;
  bool FProportional = false;
  TRDBlockMode FCharBlockMode = rdbmOff;
  int FPosX = 1, FPosY = 1;
  bool FAutoCenter = false, FAutoHeight = false;
  TRDScrollMode FScrollMode = rdsmOff;
  int FScrollInterval = 100, FScrollIncrement = 1;
  bool FScrollLoop = true;
  int FScrollPos = 0;
  TTimer* FTimer = nullptr;  // owned by this label (component owner)
};

}  // namespace zol
