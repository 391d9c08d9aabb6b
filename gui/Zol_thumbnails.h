// Thumbnails: a scrollable strip of numbered slides whose images the
// application supplies on request, with focus and selection.
#pragma once

#include <functional>
#include <memory>

#include "base/Zol_dstruct.h"
#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

enum TImageRequestProcessing { irpShowEmpty, irpShowSlide, irpShowFrameOnly, irpShowNothing };
enum TSlideSelectMode { ssmDisabled, ssmSingle, ssmMultiple };

// Asks for the image of slide Index: the handler draws into (or resizes) Bitmap
// and chooses how the slide is shown (irpShowSlide to show the image).
using TImageRequestEvent =
    std::function<void(TObject* Sender, int Index, TBitmap& Bitmap, TImageRequestProcessing& Processing)>;
using TSlideEvent = std::function<void(TObject* Sender, int Index)>;

class TThumbnails : public TCustomControl {
 public:
  explicit TThumbnails(TComponent* AOwner);
  ~TThumbnails() override;

  // Slide numbers Min..Max (1 ≤ Min ≤ Max ≤ 1000000).
  int Min() const { return FMin; }
  void SetMin(int v);  // default 1
  int Max() const { return FMax; }
  void SetMax(int v);  // default 1; resizes the selection bit field
  int SlideSize() const { return FSlideSize; }
  void SetSlideSize(int v);  // 8..4096, default 96
  int SlideMargin() const { return FSlideMargin; }
  void SetSlideMargin(int v);  // 0..1000, default 4
  int SlideDistance() const { return FSlideDistance; }
  void SetSlideDistance(int v);  // 0..1000, default 8

  // First visible slide with a fraction that shifts the rows up by that
  // fraction of a row pitch; clamped to Min..Max.
  double FirstThumbIx() const { return FFirstThumbIx; }
  void SetFirstThumbIx(double v);
  // The first visible slide: the integer part of FirstThumbIx.
  int FirstVisible() const { return static_cast<int>(FFirstThumbIx); }

  // Layout: slides per row, row pitch, and the slide rectangle (margin included)
  // of slide Index, empty when it is not on the visible rows.
  int SlidesPerRow() const;
  int Pitch() const { return FSlideSize + 2 * FSlideMargin + FSlideDistance; }
  TRect SlideRect(int Index) const;
  // The slide under a client point: first visible + (row − 1) × slides per
  // row + column − 1 (rows and columns counted from 1), or 0 outside the
  // slides (also in the distance between them) and outside Min..Max.
  int CalcSlideIndex(int X, int Y) const;

  int FocusedSlide() const { return FFocusedSlide; }
  void SetFocusedSlide(int v);  // Min..Max or 0 for none; fires OnFocusChange
  TColor ColorFocus() const { return FColorFocus; }
  void SetColorFocus(TColor v) { StoreAndRepaint(FColorFocus, v); }  // default clRed
  int FocusLinewidth() const { return FFocusLinewidth; }
  void SetFocusLinewidth(int v);  // 1..20, default 2

  TSlideSelectMode SlideSelectMode() const { return FSlideSelectMode; }
  void SetSlideSelectMode(TSlideSelectMode v);  // default ssmSingle
  // 0 when no slide is selected.
  int FirstSelectedSlide() const;
  int NumSlidesSelected() const;
  bool GetSelectedSlide(int Index) const;
  void SetSelectedSlide(int Index, bool Selected);  // ignored outside Min..Max or when disabled
  void ResetAllSelections();

  bool AntiAlias() const { return FAntiAlias; }
  void SetAntiAlias(bool v) { StoreAndRepaint(FAntiAlias, v); }  // default true
  TColor ColorBackGnd() const { return FColorBackGnd; }
  void SetColorBackGnd(TColor v) { StoreAndRepaint(FColorBackGnd, v); }  // default clGray
  TColor ColorCover() const { return FColorCover; }
  void SetColorCover(TColor v) { StoreAndRepaint(FColorCover, v); }  // slide area, default clWhite
  TColor ColorSelected() const { return FColorSelected; }
  void SetColorSelected(TColor v) { StoreAndRepaint(FColorSelected, v); }  // margin of selected slides, default clNavy
  TColor ColorMark() const { return FColorMark; }
  void SetColorMark(TColor v) { StoreAndRepaint(FColorMark, v); }  // slide numbers, default clBlack
  TFrameStyle OuterFrameStyle() const { return FOuterFrameStyle; }
  void SetOuterFrameStyle(TFrameStyle v) { StoreAndRepaint(FOuterFrameStyle, v); }  // default fsLowered
  TFrameStyle InnerFrameStyle() const { return FInnerFrameStyle; }
  void SetInnerFrameStyle(TFrameStyle v) { StoreAndRepaint(FInnerFrameStyle, v); }  // default fsRaised
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v) { StoreAndRepaint(FColorScheme, v); }  // default csBWG

  TImageRequestEvent OnImageRequest;
  TNotifyEvent OnFirstImageRequest, OnLastImageRequest;
  TSlideEvent OnSlideRendered, OnImageClick, OnImageDblClick, OnFocusChange;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  bool MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) override;
  void Paint() override;

 private:
  void DrawSlide(TCanvas& c, int Index, const TRect& r);

  int FMin = 1, FMax = 1;
  int FSlideSize = 96, FSlideMargin = 4, FSlideDistance = 8;
  double FFirstThumbIx = 1;
  int FFocusedSlide = 0;
  TColor FColorFocus = clRed;
  int FFocusLinewidth = 2;
  TSlideSelectMode FSlideSelectMode = ssmSingle;
  TBitFld* FSelection = nullptr;  // owned by this control (component owner)
  bool FAntiAlias = true;
  TColor FColorBackGnd = clGray, FColorCover = clWhite, FColorSelected = clNavy, FColorMark = clBlack;
  TFrameStyle FOuterFrameStyle = fsLowered, FInnerFrameStyle = fsRaised;
  TColorScheme FColorScheme = csBWG;
  int FLastDown = 0;
};

}  // namespace zol
