// Gradient fill: an area cut into bands of colours running from ColorFirst
// to ColorLast, optionally mirrored about the middle, with grid lines and a frame.
#pragma once

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

enum TGradType { gtHoriz, gtVert, gtMidBandHoriz, gtMidBandVert };
enum TGridMode { gmNone, gmHoriz, gmVert, gmBoth };

// Number × Numerator / Denominator computed in 64 bits and rounded to the
// nearest integer (halves away from zero); -1 when Denominator is 0 or the
// result does not fit into 32 bits.
int MulDiv(int Number, int Numerator, int Denominator);

class TGradFill : public TGraphicControl {
 public:
  explicit TGradFill(TComponent* AOwner);

  TColor ColorFirst() const { return FColorFirst; }
  void SetColorFirst(TColor v) { StoreAndRepaint(FColorFirst, v); }  // default clNavy
  TColor ColorLast() const { return FColorLast; }
  void SetColorLast(TColor v) { StoreAndRepaint(FColorLast, v); }  // default clAqua
  int NrColors() const { return FNrColors; }
  void SetNrColors(int v);  // 1..1024 bands, default 32
  TGradType FillType() const { return FFillType; }
  void SetFillType(TGradType v) { StoreAndRepaint(FFillType, v); }  // default gtHoriz
  bool ColorFlipped() const { return FColorFlipped; }
  void SetColorFlipped(bool v) { StoreAndRepaint(FColorFlipped, v); }  // exchanges first and last colour
  TGridMode GridMode() const { return FGridMode; }
  void SetGridMode(TGridMode v) { StoreAndRepaint(FGridMode, v); }  // default gmNone
  TColor GridColor() const { return FGridColor; }
  void SetGridColor(TColor v) { StoreAndRepaint(FGridColor, v); }  // default clGray
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v) { StoreAndRepaint(FFrameStyle, v); }  // default fsLowered

  // The colour of band i (0-based, of NrColors) for the current settings:
  // for the mid-band types the bands beyond the middle use index NrColors - i - 1.
  TColor BandColor(int i) const;

 protected:
  void Paint() override;

 private:
  TColor FColorFirst = clNavy;
  TColor FColorLast = clAqua;
  int FNrColors = 32;
  TGradType FFillType = gtHoriz;
  bool FColorFlipped = false;
  TGridMode FGridMode = gmNone;
  TColor FGridColor = clGray;
  TFrameStyle FFrameStyle = fsLowered;
};

}  // namespace zol
