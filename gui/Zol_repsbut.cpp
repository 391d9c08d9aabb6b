#include "gui/Zol_repsbut.h"

#include <algorithm>

namespace zol {

TRepSpeedButton::TRepSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 23, 22);
}

TRepSpeedButton::~TRepSpeedButton() = default;

void TRepSpeedButton::SetStartClickInterval(int v) { FStartClickInterval = std::max(v, 10); }

void TRepSpeedButton::SetRepeatClickInterval(int v) {
  FRepeatClickInterval = std::max(v, 10);
  if (FTimer && FTimer->Enabled() && !FFirstTick) FTimer->SetInterval(static_cast<unsigned>(FRepeatClickInterval));
}

void TRepSpeedButton::SetCaption(const std::string& v) { StoreAndRepaint(FCaption, v); }

void TRepSpeedButton::SetGlyph(const TBitmap& b) {
  FGlyph->Assign(b);
  Invalidate();
}

void TRepSpeedButton::SetFlat(bool v) { StoreAndRepaint(FFlat, v); }

bool TRepSpeedButton::Repeating() const { return FTimer && FTimer->Enabled(); }

void TRepSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !IsEnabledChain()) return;
  if (!FTimer) {
    try {
      FTimer = new TTimer(this);
    } catch (...) {
      throw EZOLRepSpeedButton(ComponentMsg("no timer available"));
    }
    FTimer->SetEnabled(false);
    FTimer->OnTimer = [this](TObject* s) { TimerTick(s); };
  }
  FDown = true;
  FFirstTick = true;
  FTimer->SetInterval(static_cast<unsigned>(FStartClickInterval));
  FTimer->SetEnabled(true);
  Invalidate();
}

void TRepSpeedButton::TimerTick(TObject*) {
  if (FFirstTick) {
    FFirstTick = false;
    FTimer->SetInterval(static_cast<unsigned>(FRepeatClickInterval));
  }
  if (auto handler = OnRepeatClick) handler(this);
}

void TRepSpeedButton::StopRepeat() {
  if (FTimer) FTimer->SetEnabled(false);
  if (FDown) {
    FDown = false;
    Invalidate();
  }
}

void TRepSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  // Leaving the control with the button held stops the repetition.
  if (FDown && !PtInRect(ClientRect(), Point(X, Y))) StopRepeat();
  TGraphicControl::MouseMove(Shift, X, Y);
}

void TRepSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) StopRepeat();
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TRepSpeedButton::MouseEnter() {
  FHot = true;
  if (FFlat) Invalidate();
  TGraphicControl::MouseEnter();
}

void TRepSpeedButton::MouseLeave() {
  FHot = false;
  StopRepeat();
  if (FFlat) Invalidate();
  TGraphicControl::MouseLeave();
}

void TRepSpeedButton::EnabledChanged() {
  if (!Enabled()) StopRepeat();
  TGraphicControl::EnabledChanged();
  Invalidate();
}

void TRepSpeedButton::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.FillRect(Rect(0, 0, w, h));
  const int shift = FDown ? 1 : 0;
  if (!FGlyph->Empty()) {
    const int gx = (w - FGlyph->Width()) / 2 + shift, gy = (h - FGlyph->Height()) / 2 + shift;
    c.StretchBitmap(Bounds(gx, gy, FGlyph->Width(), FGlyph->Height()), *FGlyph,
                    Rect(0, 0, FGlyph->Width(), FGlyph->Height()), cmSrcCopy, true, FGlyph->TransparentColor());
  } else if (!FCaption.empty()) {
    c.Font().Assign(Font());
    if (!IsEnabledChain()) c.Font().SetColor(clGrayText);
    c.Brush().SetStyle(bsClear);
    const TSize sz = c.TextExtent(FCaption);
    c.TextOut((w - sz.cx) / 2 + shift, (h - sz.cy) / 2 + shift, FCaption);
    c.Brush().SetStyle(bsSolid);
  }
  if (FDown)
    DrawSchemeFrame(c, fsLowered, csSystem, 0, 0, w - 1, h - 1);
  else if (!FFlat || FHot)
    DrawSchemeFrame(c, fsRaised, csSystem, 0, 0, w - 1, h - 1);
  TGraphicControl::Paint();
}

}  // namespace zol
