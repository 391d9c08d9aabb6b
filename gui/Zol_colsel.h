// Colour selection box: a drop-down list of colour swatches with their names.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/Zol_zolcolors.h"
#include "base/platform/Zol_controls.h"

namespace zol {

class TColSelList;

// An entry of the colour list was renamed (Index 1-based).
using TColorNameChangeEvent = std::function<void(TObject* Sender, int Index)>;

class TColSel : public TCustomControl {
 public:
  explicit TColSel(TComponent* AOwner);
  ~TColSel() override;

  // The list holds the first NumColors entries of PredefinedColors.
  int NumColors() const { return FNumColors; }
  void SetNumColors(int v);  // 1..47, default 16
  // The selected colour; a colour that is not in the list is ignored.
  TColor SelColor() const { return FColors[static_cast<size_t>(FSelIndex - 1)]; }
  void SetSelColor(TColor c);
  // 1-based index of the selected entry.
  int SelIndex() const { return FSelIndex; }
  void SetSelIndex(int i);  // clamped to 1..NumColors
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int v);  // 1..47 entries shown by the open list, default 8
  int ColorBarWidth() const { return FColorBarWidth; }
  void SetColorBarWidth(int v);  // 4..1000 pixels, default 24
  // Entry i (1-based) of the list.
  TColor ArrayColor(int i) const;
  const std::string& ArrayColorName(int i) const;
  // Renames entry i (1..47); fires OnColorNameChange.
  void SetArrayColorName(int i, const std::string& name);

  // The drop-down list: opened by a click on the box, F4 or Alt+Down, closed by
  // a choice, Return or Escape (Escape keeps the colour chosen before opening).
  bool DroppedDown() const { return FDropped; }
  void SetDroppedDown(bool v);
  int ItemHeight() const;
  // The open list (nullptr while closed); it lies on the form that holds the box.
  TColSelList* DropList() const { return FList; }

  TNotifyEvent OnChange;
  TColorNameChangeEvent OnColorNameChange;
  TNotifyEvent OnDropDown;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  bool MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) override;
  void DoExit() override;
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TColSelList;
  void Choose(int i, bool close);
  void DrawItem(TCanvas& c, const TRect& r, int i, bool selected);

  std::array<TColor, 47> FColors{};
  std::array<std::string, 47> FNames;
  int FNumColors = 16;
  int FSelIndex = 1;
  int FDropDownCount = 8;
  int FColorBarWidth = 24;
  bool FDropped = false;
  int FIndexBeforeDrop = 1;
  TColSelList* FList = nullptr;  // owned by this box (component owner)
};

// The open list of a TColSel.
class TColSelList : public TCustomControl {
 public:
  TColSelList(TColSel* Box);
  int TopIndex() const { return FTopIndex; }
  void SetTopIndex(int i);
  // The entry under a client point (1-based), 0 for none.
  int ItemAt(int X, int Y) const;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  bool MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) override;
  void Paint() override;

 private:
  TColSel* FBox;
  int FTopIndex = 1;
  int FHot = 0;
};

}  // namespace zol
