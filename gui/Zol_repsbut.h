// Speed button that repeats its click while the left mouse button holds it down.
#pragma once

#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_extctrls.h"

namespace zol {

class EZOLRepSpeedButton : public EZOLError {
  using EZOLError::EZOLError;
};

class TRepSpeedButton : public TGraphicControl {
 public:
  explicit TRepSpeedButton(TComponent* AOwner);
  ~TRepSpeedButton() override;

  // Delay before the first repetition and period of the following ones, in
  // milliseconds, at least 10 (smaller values are stored as 10).
  int StartClickInterval() const { return FStartClickInterval; }
  void SetStartClickInterval(int v);  // default 500
  int RepeatClickInterval() const { return FRepeatClickInterval; }
  void SetRepeatClickInterval(int v);  // default 200

  // Face of the button: a caption, or a glyph (drawn centred, its bottom-left
  // pixel transparent) when one is set.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  TBitmap& Glyph() { return *FGlyph; }
  void SetGlyph(const TBitmap& b);
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);  // default false: raised face; flat shows a frame only under the mouse
  // True while the button is held down.
  bool Down() const { return FDown; }
  // True while the repeat timer runs.
  bool Repeating() const;

  TNotifyEvent OnRepeatClick;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void EnabledChanged() override;
  void Paint() override;

 private:
  void StopRepeat();
  void TimerTick(TObject* Sender);

  int FStartClickInterval = 500;
  int FRepeatClickInterval = 200;
  std::string FCaption;
  std::unique_ptr<TBitmap> FGlyph;
  bool FFlat = false;
  bool FDown = false;
  bool FHot = false;
  bool FFirstTick = true;
  TTimer* FTimer = nullptr;  // owned by this button (component owner)
};

}  // namespace zol
