#include "gui/Zol_colsel.h"

#include <algorithm>

namespace zol {

namespace {

// Names of the PredefinedColors entries.
const char* const kColorNames[47] = {
    "Black", "Maroon", "Green", "Olive", "Navy", "Purple", "Teal", "Gray", "Silver", "Red", "Lime",
    "Yellow", "Blue", "Fuchsia", "Aqua", "White", "MoneyGreen", "SkyBlue", "Cream", "MedGray",
    "ActiveBorder", "ActiveCaption", "AppWorkSpace", "Background", "BtnFace", "BtnHighlight",
    "BtnShadow", "BtnText", "CaptionText", "Default", "GrayText", "Highlight", "HighlightText",
    "InactiveBorder", "InactiveCaption", "InactiveCaptionText", "InfoBk", "InfoText", "Menu",
    "MenuText", "None", "ScrollBar", "3DDkShadow", "3DLight", "Window", "WindowFrame", "WindowText"};

// Width of the drop-down button at the right end of the box.
constexpr int kButtonWidth = 17;

}  // namespace

TColSel::TColSel(TComponent* AOwner) : TCustomControl(AOwner) {
  for (size_t i = 0; i < 47; ++i) {
    FColors[i] = PredefinedColors[i];
    FNames[i] = kColorNames[i];
  }
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 145, 22);
}

TColSel::~TColSel() = default;

void TColSel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FList) {
    FList = nullptr;
    FDropped = false;
  }
}

void TColSel::SetNumColors(int v) {
  v = std::clamp(v, 1, 47);
  if (v == FNumColors) return;
  FNumColors = v;
  if (FSelIndex > v) Choose(v, false);
  if (FList) FList->Invalidate();
  Invalidate();
}

void TColSel::SetSelColor(TColor c) {
  for (int i = 1; i <= FNumColors; ++i)
    if (FColors[static_cast<size_t>(i - 1)] == c) {
      Choose(i, false);
      return;
    }
}

void TColSel::SetSelIndex(int i) { Choose(std::clamp(i, 1, FNumColors), false); }

void TColSel::SetDropDownCount(int v) { FDropDownCount = std::clamp(v, 1, 47); }

void TColSel::SetColorBarWidth(int v) {
  v = std::clamp(v, 4, 1000);
  if (v == FColorBarWidth) return;
  FColorBarWidth = v;
  Invalidate();
  if (FList) FList->Invalidate();
}

TColor TColSel::ArrayColor(int i) const { return FColors[static_cast<size_t>(std::clamp(i, 1, 47) - 1)]; }

const std::string& TColSel::ArrayColorName(int i) const { return FNames[static_cast<size_t>(std::clamp(i, 1, 47) - 1)]; }

void TColSel::SetArrayColorName(int i, const std::string& name) {
  if (i < 1 || i > 47) return;
  if (FNames[static_cast<size_t>(i - 1)] == name) return;
  FNames[static_cast<size_t>(i - 1)] = name;
  Invalidate();
  if (FList) FList->Invalidate();
  if (auto handler = OnColorNameChange) handler(this, i);
}

int TColSel::ItemHeight() const { return std::max(Height() - 4, 8); }

void TColSel::Choose(int i, bool close) {
  if (close) SetDroppedDown(false);
  if (i == FSelIndex) return;
  FSelIndex = i;
  Invalidate();
  if (FList) FList->Invalidate();
  if (auto handler = OnChange) handler(this);
}

void TColSel::SetDroppedDown(bool v) {
  if (v == FDropped) return;
  if (v) {
    // The list lies on the top-level control that holds the box, under it.
    TWinControl* top = Parent();
    if (!top) return;
    while (top->Parent()) top = top->Parent();
    FIndexBeforeDrop = FSelIndex;
    if (auto handler = OnDropDown) handler(this);
    if (!FList) FList = new TColSelList(this);
    const TPoint p = ClientToParent(Point(0, Height()), top);
    const int n = std::min(FDropDownCount, FNumColors);
    FList->SetParent(top);
    FList->SetBounds(p.X, p.Y, Width(), n * ItemHeight() + 2);
    FList->SetTopIndex(std::clamp(FSelIndex - n + 1, 1, std::max(1, FSelIndex)));
    FList->BringToFront();
    FList->Show();
    FDropped = true;
  } else {
    FDropped = false;
    if (FList) FList->Hide();
  }
  Invalidate();
}

void TColSel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (CanFocus() && !Focused()) SetFocus();
  if (Button == mbLeft) SetDroppedDown(!FDropped);
}

void TColSel::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  switch (Key) {
    case VK_UP: case VK_LEFT:
      if (Key == VK_UP && (Shift & ssAlt)) SetDroppedDown(!FDropped);
      else Choose(std::max(1, FSelIndex - 1), false);
      break;
    case VK_DOWN: case VK_RIGHT:
      if (Key == VK_DOWN && (Shift & ssAlt)) SetDroppedDown(!FDropped);
      else Choose(std::min(FNumColors, FSelIndex + 1), false);
      break;
    case VK_HOME: Choose(1, false); break;
    case VK_END: Choose(FNumColors, false); break;
    case VK_PRIOR: Choose(std::max(1, FSelIndex - FDropDownCount), false); break;
    case VK_NEXT: Choose(std::min(FNumColors, FSelIndex + FDropDownCount), false); break;
    case VK_F4: SetDroppedDown(!FDropped); break;
    case VK_RETURN:
      if (!FDropped) return;
      SetDroppedDown(false);
      break;
    case VK_ESCAPE:
      if (!FDropped) return;
      SetDroppedDown(false);
      Choose(FIndexBeforeDrop, false);
      break;
    default: return;
  }
  Key = 0;
  if (FList && FDropped) {
    const int n = std::min(FDropDownCount, FNumColors);
    if (FSelIndex < FList->TopIndex()) FList->SetTopIndex(FSelIndex);
    if (FSelIndex >= FList->TopIndex() + n) FList->SetTopIndex(FSelIndex - n + 1);
  }
}

bool TColSel::MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  if (TCustomControl::MouseWheel(Shift, WheelDelta, X, Y)) return true;
  Choose(std::clamp(FSelIndex - WheelDelta / WHEEL_DELTA, 1, FNumColors), false);
  return true;
}

void TColSel::DoExit() {
  SetDroppedDown(false);
  TCustomControl::DoExit();
}

void TColSel::DrawItem(TCanvas& c, const TRect& r, int i, bool selected) {
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(selected ? clHighlight : clWindow);
  c.FillRect(r);
  const TRect bar(r.Left + 2, r.Top + 2, r.Left + 2 + FColorBarWidth, r.Bottom - 2);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(FColors[static_cast<size_t>(i - 1)]);
  c.Rectangle(bar);
  c.Font().Assign(Font());
  c.Font().SetColor(selected ? clHighlightText : clWindowText);
  c.Brush().SetStyle(bsClear);
  const std::string& name = FNames[static_cast<size_t>(i - 1)];
  const TSize s = c.TextExtent(name);
  c.TextRect(r, bar.Right + 4, r.Top + (r.Height() - s.cy) / 2, name);
  c.Brush().SetStyle(bsSolid);
}

void TColSel::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clWindow);
  c.FillRect(Rect(0, 0, w, h));
  DrawItem(c, Rect(2, 2, w - 2 - kButtonWidth, h - 2), FSelIndex, Focused() && !FDropped);
  // The drop-down button with a small triangle.
  const TRect b(w - 2 - kButtonWidth, 2, w - 2, h - 2);
  c.Brush().SetColor(clBtnFace);
  c.FillRect(b);
  DrawSchemeFrame(c, FDropped ? fsLowered : fsRaised, csSystem, b.Left, b.Top, b.Right - 1, b.Bottom - 1);
  const int cx = (b.Left + b.Right) / 2, cy = (b.Top + b.Bottom) / 2;
  c.Pen().SetColor(clBtnText);
  c.Brush().SetColor(clBtnText);
  c.Polygon({Point(cx - 4, cy - 2), Point(cx + 4, cy - 2), Point(cx, cy + 2)});
  DrawSchemeFrame(c, fsLowered, csSystem, 0, 0, w - 1, h - 1);
  TCustomControl::Paint();
}

TColSelList::TColSelList(TColSel* Box) : TCustomControl(Box), FBox(Box) { SetColor(clWindow); }

void TColSelList::SetTopIndex(int i) {
  const int n = std::min(FBox->FDropDownCount, FBox->FNumColors);
  i = std::clamp(i, 1, std::max(1, FBox->FNumColors - n + 1));
  if (i == FTopIndex) return;
  FTopIndex = i;
  Invalidate();
}

int TColSelList::ItemAt(int X, int Y) const {
  if (X < 0 || X >= Width() || Y < 1) return 0;
  const int k = (Y - 1) / FBox->ItemHeight();
  const int n = std::min(FBox->FDropDownCount, FBox->FNumColors);
  if (k >= n) return 0;
  return FTopIndex + k;
}

void TColSelList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  const int i = ItemAt(X, Y);
  if (i > 0) FBox->Choose(i, true);
}

void TColSelList::MouseMove(TShiftState Shift, int X, int Y) {
  const int i = ItemAt(X, Y);
  if (i != FHot) {
    FHot = i;
    Invalidate();
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

bool TColSelList::MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  if (TCustomControl::MouseWheel(Shift, WheelDelta, X, Y)) return true;
  SetTopIndex(FTopIndex - WheelDelta / WHEEL_DELTA);
  return true;
}

void TColSelList::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height(), ih = FBox->ItemHeight();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clWindow);
  c.FillRect(Rect(0, 0, w, h));
  const int n = std::min(FBox->FDropDownCount, FBox->FNumColors);
  for (int k = 0; k < n; ++k) {
    const int i = FTopIndex + k;
    if (i > FBox->FNumColors) break;
    FBox->DrawItem(c, Rect(1, 1 + k * ih, w - 1, 1 + (k + 1) * ih), i, i == FBox->FSelIndex || i == FHot);
  }
  c.Pen().SetColor(clWindowFrame);
  c.Brush().SetStyle(bsClear);
  c.Rectangle(0, 0, w, h);
  c.Brush().SetStyle(bsSolid);
  TCustomControl::Paint();
}

}  // namespace zol
