// Mark selector: a grid of the suite's mark symbols for choosing one.
#pragma once

#include <functional>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

// A mark was clicked (Mark is its code).
using TMarkSelEvent = std::function<void(TObject* Sender, int Mark)>;

class TMarkSel : public TCustomControl {
 public:
  explicit TMarkSel(TComponent* AOwner);

  // The grid: cell k (row by row from the top left, 0-based) shows mark code
  // k; at most 256 cells are used.
  int NrOfColumns() const { return FNrOfColumns; }
  void SetNrOfColumns(int v);  // 1..256, default 8
  int NrOfRows() const { return FNrOfRows; }
  void SetNrOfRows(int v);  // 1..256, default 7
  // The chosen mark, 0..min(cells, 256) − 1.
  int Selected() const { return FSelected; }
  void SetSelected(int v);  // default 0
  // Mark 0 is a single pixel; with ShowZeroAsCross its cell shows a cross instead.
  bool ShowZeroAsCross() const { return FShowZeroAsCross; }
  void SetShowZeroAsCross(bool v) { StoreAndRepaint(FShowZeroAsCross, v); }  // default true
  TColor ColorBackGnd() const { return FColorBackGnd; }
  void SetColorBackGnd(TColor v) { StoreAndRepaint(FColorBackGnd, v); }  // default clWhite
  TColor ColorMarks() const { return FColorMarks; }
  void SetColorMarks(TColor v) { StoreAndRepaint(FColorMarks, v); }  // default clBlack
  TColor ColorHiLiteBG() const { return FColorHiLiteBG; }
  void SetColorHiLiteBG(TColor v) { StoreAndRepaint(FColorHiLiteBG, v); }  // default clYellow
  TColor ColorHiLiteSymbol() const { return FColorHiLiteSymbol; }
  void SetColorHiLiteSymbol(TColor v) { StoreAndRepaint(FColorHiLiteSymbol, v); }  // default clRed
  TColor ColorSelBG() const { return FColorSelBG; }
  void SetColorSelBG(TColor v) { StoreAndRepaint(FColorSelBG, v); }  // default clNavy
  TColor ColorSelFG() const { return FColorSelFG; }
  void SetColorSelFG(TColor v) { StoreAndRepaint(FColorSelFG, v); }  // default clWhite
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v) { StoreAndRepaint(FFrameStyle, v); }  // default fsLowered
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v) { StoreAndRepaint(FColorScheme, v); }  // default csBWG

  // Number of marks shown: min(columns × rows, 256).
  int NrOfMarks() const;
  // The cell of mark k in client coordinates (empty when k is not shown).
  TRect CellRect(int k) const;
  // The mark under a client point, -1 for none.
  int MarkAt(int X, int Y) const;
  // The mark under the mouse, -1 for none.
  int HiLited() const { return FHiLited; }

  TMarkSelEvent OnMarkClick, OnMarkDblClick;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseLeave() override;
  void DblClick() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void Paint() override;

 private:
  int FNrOfColumns = 8, FNrOfRows = 7;
  int FSelected = 0;
  bool FShowZeroAsCross = true;
  TColor FColorBackGnd = clWhite, FColorMarks = clBlack, FColorHiLiteBG = clYellow,
         FColorHiLiteSymbol = clRed, FColorSelBG = clNavy, FColorSelFG = clWhite;
  TFrameStyle FFrameStyle = fsLowered;
  TColorScheme FColorScheme = csBWG;
  int FHiLited = -1;
  int FLastDown = -1;
};

}  // namespace zol
