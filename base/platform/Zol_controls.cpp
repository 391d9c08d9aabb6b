#include "base/platform/Zol_controls.h"

#include <algorithm>
#include <cstring>

#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_menus.h"

namespace zol {

namespace {

// Calls a copy of the handler: the handler may free the control that holds it.
template <class F, class... A>
void Fire(const F& handler, A&&... args) {
  if (!handler) return;
  F copy = handler;
  copy(std::forward<A>(args)...);
}

// Copies src onto dst with its top-left corner at (x, y), clipped to dst.
void Blit(TBitmap& dst, int x, int y, const TBitmap& src) {
  int x0 = std::max(0, x), x1 = std::min(dst.Width(), x + src.Width());
  int y0 = std::max(0, y), y1 = std::min(dst.Height(), y + src.Height());
  if (x0 >= x1 || y0 >= y1) return;
  for (int yy = y0; yy < y1; ++yy) {
    const uint32_t* s = src.ScanLine(yy - y);
    uint32_t* d = dst.ScanLine(yy);
    std::memcpy(d + x0, s + (x0 - x), static_cast<size_t>(x1 - x0) * sizeof(uint32_t));
  }
}

}  // namespace

// ---------------------------------------------------------------- TControl
TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) { FontChangeHandler(); };
}

TControl::~TControl() {
  FLife.reset();
  if (TApplication* app = Application()) app->ControlDestroying(this);
  if (FParent) {
    TWinControl* p = FParent;
    p->RemoveControl(this);
  }
  FFont->OnChange = nullptr;
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent) {
    if (AParent == this) throw EInvalidOperation("A control cannot be its own parent");
    if (IsWindowed() && static_cast<TWinControl*>(this)->ContainsControl(AParent))
      throw EInvalidOperation("A control cannot be its own parent");
  }
  TApplication* app = Application();
  if (FParent) {
    FParent->RemoveControl(this);
  } else if (IsWindowed() && app) {
    app->TopLevelChanged(static_cast<TWinControl*>(this), false);
  }
  FParent = AParent;
  if (FParent) {
    FParent->InsertControl(this);
    if (FParentFont) ParentFontChanged();
    if (FParentColor) ParentColorChanged();
  } else if (IsWindowed() && app) {
    app->TopLevelChanged(static_cast<TWinControl*>(this), true);
  }
  if (app) app->ControlStateChanged(this);
  if (IsWindowed()) static_cast<TWinControl*>(this)->UpdateShowing();
  Invalidate();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool sized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (sized && FSurface) FSurface->SetSize(FWidth, FHeight);
  if (FParent && FAlign != alNone && !FParent->FAligning) FParent->AlignControls();
  if (sized) {
    if (IsWindowed()) static_cast<TWinControl*>(this)->AlignControls();
    Resize();
  }
  Invalidate();
}

TPoint TControl::ClientOrigin() const {
  TPoint p(FLeft, FTop);
  if (FParent) {
    TPoint o = FParent->ClientOrigin();
    p.X += o.X;
    p.Y += o.Y;
  }
  return p;
}

TPoint TControl::ClientToScreen(const TPoint& p) const {
  TPoint o = ClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(const TPoint& p) const {
  TPoint o = ClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

TPoint TControl::ClientToParent(const TPoint& p, TWinControl* AParent) const {
  TPoint s = ClientToScreen(p);
  return AParent ? AParent->ScreenToClient(s) : s;
}

void TControl::SetAlign(TAlign v) {
  if (v == FAlign) return;
  FAlign = v;
  if (FParent) FParent->Realign();
}

bool TControl::Showing() const {
  if (!FVisible) return false;
  if (FParent) return FParent->Showing();
  // A form shows when visible; another windowed control without a parent is
  // a top-level window of its own once its window exists.
  if (dynamic_cast<const TForm*>(this)) return true;
  return IsWindowed() && static_cast<const TWinControl*>(this)->HandleAllocated();
}

void TControl::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  VisibleChanged();
}

void TControl::VisibleChanged() {
  if (FParent && FAlign != alNone) FParent->Realign();
  Invalidate();
  if (TApplication* app = Application()) app->ControlStateChanged(this);
}

bool TControl::IsEnabledChain() const {
  for (const TControl* c = this; c; c = c->FParent)
    if (!c->FEnabled) return false;
  return true;
}

void TControl::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  EnabledChanged();
  if (TApplication* app = Application()) app->ControlStateChanged(this);
}

void TControl::EnabledChanged() { Invalidate(); }

void TControl::SetColor(TColor v) {
  FParentColor = false;
  if (v == FColor) return;
  FColor = v;
  Invalidate();
  if (IsWindowed()) {
    auto* w = static_cast<TWinControl*>(this);
    for (TControl* c : w->FControls)
      if (c->FParentColor) c->ParentColorChanged();
  }
}

void TControl::SetParentColor(bool v) {
  if (v == FParentColor) return;
  FParentColor = v;
  if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || !FParent) return;
  SetColor(FParent->Color());
  FParentColor = true;
}

void TControl::FontChangeHandler() {
  if (!FAssigningParentFont) FParentFont = false;
  FontChanged();
}

void TControl::FontChanged() { Invalidate(); }

void TControl::SetParentFont(bool v) {
  if (v == FParentFont) return;
  FParentFont = v;
  if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FAssigningParentFont = true;
  try {
    FFont->Assign(FParent->Font());
  } catch (...) {
    FAssigningParentFont = false;
    throw;
  }
  FAssigningParentFont = false;
}

void TControl::SetCursor(TCursor v) {
  if (v == FCursor) return;
  FCursor = v;
  if (TApplication* app = Application()) app->ControlCursorChanged(this);
}

void TControl::SetHint(const std::string& v) {
  if (v == FHint) return;
  FHint = v;
  HintStateChanged();
}

bool TControl::ShowHint() const {
  if (FParentShowHint && FParent) return FParent->ShowHint();
  return FShowHint;
}

void TControl::SetShowHint(bool v) {
  FParentShowHint = false;
  if (v == FShowHint) return;
  FShowHint = v;
  HintStateChanged();
}

void TControl::SetParentShowHint(bool v) {
  if (v == FParentShowHint) return;
  FParentShowHint = v;
  HintStateChanged();
}

void TControl::ParentShowHintChanged() { HintStateChanged(); }

void TControl::HintStateChanged() {
  if (TApplication* app = Application()) app->ControlHintChanged(this);
}

void TControl::SetPopupMenu(TPopupMenu* m) {
  if (m == FPopupMenu) return;
  if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
  FPopupMenu = m;
  if (m) FreeNotification(m);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Invalidate() {
  FInvalid = true;
  if (TApplication* app = Application()) app->ControlInvalidated(this);
}

void TControl::Update() {
  if (!FInvalid || !Showing()) return;
  if (IsWindowed()) {
    auto* w = static_cast<TWinControl*>(this);
    if (!w->HandleAllocated()) return;
  }
  PaintNow();
  if (IsWindowed()) {
    // Graphic children paint over the surface just drawn.
    auto* w = static_cast<TWinControl*>(this);
    std::vector<TControl*> kids = w->FControls;
    for (TControl* c : kids)
      if (!c->IsWindowed() && c->FVisible) c->PaintNow();
  }
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

TBitmap& TControl::Surface() {
  if (!FSurface) FSurface = std::make_unique<TBitmap>(FWidth, FHeight);
  if (FSurface->Width() != FWidth || FSurface->Height() != FHeight) FSurface->SetSize(FWidth, FHeight);
  return *FSurface;
}

TCanvas& TControl::SurfaceCanvas() { return Surface().Canvas(); }

void TControl::PrepareSurface() {
  TCanvas& c = SurfaceCanvas();
  c.ResetClip();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColor);
  c.FillRect(ClientRect());
}

void TControl::PaintNow() {
  Surface();
  PrepareSurface();
  FInvalid = false;
  FEverPainted = true;
  ++FPaintCount;
  if (TApplication* app = Application()) app->ComponentPainted();
  TCanvas& c = SurfaceCanvas();
  c.Font().Assign(*FFont);
  Paint();
}

bool TControl::DialogKey(uint16_t, TShiftState) { return false; }

bool TWinControl::DialogKey(uint16_t Key, TShiftState Shift) {
  std::vector<TControl*> kids = FControls;
  for (TControl* c : kids)
    if (c->Visible() && c->Enabled() && c->DialogKey(Key, Shift)) return true;
  return false;
}

void TControl::Paint() {
  Fire(OnPaint, this);
}

void TControl::Resize() {
  Fire(OnResize, this);
}

void TControl::ComposeInto(TBitmap& Target) {
  if (FInvalid || !FEverPainted) {
    PaintNow();
    if (IsWindowed()) {
      for (TControl* c : static_cast<TWinControl*>(this)->FControls)
        if (!c->IsWindowed()) c->FInvalid = true;
    }
  }
  Blit(Target, 0, 0, Surface());
  if (!IsWindowed()) return;
  std::vector<TControl*> kids = static_cast<TWinControl*>(this)->FControls;
  for (int pass = 0; pass < 2; ++pass) {
    for (TControl* c : kids) {
      if (c->IsWindowed() != (pass == 1) || !c->FVisible || c->FWidth <= 0 || c->FHeight <= 0) continue;
      TBitmap part(c->FWidth, c->FHeight);
      c->ComposeInto(part);
      Blit(Target, c->FLeft, c->FTop, part);
    }
  }
}

void TControl::PaintTo(TCanvas& Canvas, int X, int Y) {
  if (IsWindowed()) static_cast<TWinControl*>(this)->HandleNeeded();
  if (FWidth <= 0 || FHeight <= 0) return;
  TBitmap b(FWidth, FHeight);
  ComposeInto(b);
  Canvas.Draw(X, Y, b);
}

std::unique_ptr<TBitmap> TControl::PaintToBitmap() {
  if (IsWindowed()) static_cast<TWinControl*>(this)->HandleNeeded();
  auto b = std::make_unique<TBitmap>(FWidth, FHeight);
  if (FWidth > 0 && FHeight > 0) ComposeInto(*b);
  return b;
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& v = FParent->FControls;
  v.erase(std::find(v.begin(), v.end(), this));
  v.push_back(this);
  Invalidate();
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& v = FParent->FControls;
  v.erase(std::find(v.begin(), v.end(), this));
  v.insert(v.begin(), this);
  Invalidate();
}

bool TControl::MouseCapture() const {
  TApplication* app = Application();
  return app && app->CaptureControl() == this;
}

void TControl::SetMouseCapture(bool v) {
  TApplication* app = Application();
  if (!app) return;
  if (v)
    app->SetCaptureControl(this);
  else if (app->CaptureControl() == this)
    app->SetCaptureControl(nullptr);
}

bool TControl::MouseInClient() const {
  TApplication* app = Application();
  return app && app->HoverControl() == this;
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Fire(OnMouseDown, this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  Fire(OnMouseMove, this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Fire(OnMouseUp, this, Button, Shift, X, Y);
}

void TControl::Click() {
  Fire(OnClick, this);
}

void TControl::DblClick() {
  Fire(OnDblClick, this);
}

bool TControl::MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  bool handled = false;
  TPoint p(X, Y);
  Fire(OnMouseWheel, this, Shift, WheelDelta, p, handled);
  if (!handled) {
    if (WheelDelta < 0 && OnMouseWheelDown)
      OnMouseWheelDown(this, Shift, p, handled);
    else if (WheelDelta > 0 && OnMouseWheelUp)
      OnMouseWheelUp(this, Shift, p, handled);
  }
  return handled;
}

void TControl::MouseEnter() {
  Fire(OnMouseEnter, this);
}

void TControl::MouseLeave() {
  Fire(OnMouseLeave, this);
}

void TControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  Fire(OnKeyDown, this, Key, Shift);
}

void TControl::KeyUp(uint16_t& Key, TShiftState Shift) {
  Fire(OnKeyUp, this, Key, Shift);
}

void TControl::KeyPress(char& Key) {
  Fire(OnKeyPress, this, Key);
}

void TControl::KeyPressText(std::string& Text) {
  Fire(OnKeyPressText, this, Text);
  if (Text.size() == 1) {
    char c = Text[0];
    KeyPress(c);
    if (c == 0)
      Text.clear();
    else
      Text[0] = c;
  }
}

void TControl::DoEnter() {
  Fire(OnEnter, this);
}

void TControl::DoExit() {
  Fire(OnExit, this);
}

// ---------------------------------------------------------------- TWinControl
TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  if (TApplication* app = Application()) app->TopLevelChanged(this, true);
}

TWinControl::~TWinControl() {
  TApplication* app = Application();
  if (app) app->ForgetSubtree(this);
  // Children are freed by their owners; here they only lose their parent.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    FControls.pop_back();
    c->FParent = nullptr;
    if (c->IsWindowed() && app) app->TopLevelChanged(static_cast<TWinControl*>(c), true);
  }
}

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) return nullptr;
  return FControls[static_cast<size_t>(index)];
}

bool TWinControl::ContainsControl(const TControl* c) const {
  for (; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& p, bool AllowDisabled, bool AllLevels) const {
  for (int pass = 1; pass >= 0; --pass) {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
      TControl* c = *it;
      if (c->IsWindowed() != (pass == 1)) continue;
      if (!c->FVisible || (!AllowDisabled && !c->FEnabled)) continue;
      if (!PtInRect(c->BoundsRect(), p)) continue;
      if (AllLevels && c->IsWindowed()) {
        TControl* inner = static_cast<TWinControl*>(c)->ControlAtPos(
            TPoint(p.X - c->FLeft, p.Y - c->FTop), AllowDisabled, true);
        if (inner) return inner;
      }
      return c;
    }
  }
  return nullptr;
}

void TWinControl::Realign() { AlignControls(); }

void TWinControl::EnableAlign() {
  if (FAlignLock > 0 && --FAlignLock == 0) AlignControls();
}

void TWinControl::AlignControls() {
  if (FAlignLock > 0 || FAligning) return;
  FAligning = true;
  try {
    TRect r = ClientRect();
    static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    std::vector<TControl*> kids = FControls;
    for (TAlign a : order) {
      for (TControl* c : kids) {
        if (c->FAlign != a || !c->FVisible) continue;
        int w = std::max(0, r.Width()), h = std::max(0, r.Height());
        switch (a) {
          case alTop:
            c->SetBounds(r.Left, r.Top, w, c->FHeight);
            r.Top += c->FHeight;
            break;
          case alBottom:
            c->SetBounds(r.Left, r.Bottom - c->FHeight, w, c->FHeight);
            r.Bottom -= c->FHeight;
            break;
          case alLeft:
            c->SetBounds(r.Left, r.Top, c->FWidth, h);
            r.Left += c->FWidth;
            break;
          case alRight:
            c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, h);
            r.Right -= c->FWidth;
            break;
          case alClient:
            c->SetBounds(r.Left, r.Top, w, h);
            break;
          default:
            break;
        }
      }
    }
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

void TWinControl::HandleNeeded() {
  if (FHandleAllocated) return;
  if (FParent) FParent->HandleNeeded();
  FHandleAllocated = true;
  CreateWnd();
  Invalidate();
  // The windows of the showing children follow.
  if (Showing()) {
    std::vector<TControl*> kids = FControls;
    for (TControl* c : kids)
      if (c->IsWindowed()) static_cast<TWinControl*>(c)->UpdateShowing();
  }
}

void TWinControl::CreateWnd() {}

void TWinControl::UpdateShowing() {
  if (!Showing()) return;
  HandleNeeded();
  std::vector<TControl*> kids = FControls;
  for (TControl* c : kids)
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->UpdateShowing();
}

void TWinControl::SetTabOrder(int v) { FTabOrder = std::max(0, v); }

bool TWinControl::CanFocus() const { return Showing() && IsEnabledChain(); }

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (TApplication* app = Application()) app->FocusControl(this);
}

bool TWinControl::Focused() const {
  TApplication* app = Application();
  return app && app->FocusedControl() == this;
}

void TWinControl::CollectTabs(std::vector<TWinControl*>& out, bool CheckTabStop) const {
  std::vector<TWinControl*> kids;
  for (TControl* c : FControls)
    if (c->IsWindowed()) kids.push_back(static_cast<TWinControl*>(c));
  std::stable_sort(kids.begin(), kids.end(),
                   [](const TWinControl* a, const TWinControl* b) { return a->FTabOrder < b->FTabOrder; });
  for (TWinControl* w : kids) {
    if (!w->FVisible || !w->FEnabled) continue;
    if ((!CheckTabStop || w->FTabStop) && w->CanFocus()) out.push_back(w);
    w->CollectTabs(out, CheckTabStop);
  }
}

std::vector<TWinControl*> TWinControl::TabList(bool CheckTabStop) const {
  std::vector<TWinControl*> out;
  CollectTabs(out, CheckTabStop);
  return out;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  std::vector<TWinControl*> list = TabList(CheckTabStop);
  if (list.empty()) return;
  auto it = std::find(list.begin(), list.end(), CurControl);
  size_t n = list.size(), i;
  if (it == list.end())
    i = GoForward ? 0 : n - 1;
  else {
    size_t k = static_cast<size_t>(it - list.begin());
    i = GoForward ? (k + 1) % n : (k + n - 1) % n;
  }
  list[i]->SetFocus();
}

void TWinControl::Resize() { TControl::Resize(); }

void TWinControl::VisibleChanged() {
  TControl::VisibleChanged();
  if (Visible()) UpdateShowing();
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  std::vector<TControl*> kids = FControls;
  for (TControl* c : kids)
    if (c->FParentFont) c->ParentFontChanged();
}

void TWinControl::EnabledChanged() {
  TControl::EnabledChanged();
  std::vector<TControl*> kids = FControls;
  for (TControl* c : kids) c->EnabledChanged();
}

void TWinControl::InsertControl(TControl* c) {
  FControls.push_back(c);
  if (c->IsWindowed()) {
    auto* w = static_cast<TWinControl*>(c);
    if (w->FTabOrder < 0) {
      int n = 0;
      for (TControl* k : FControls)
        if (k != c && k->IsWindowed()) ++n;
      w->FTabOrder = n;
    }
  }
  if (c->FAlign != alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(FControls.begin(), FControls.end(), c);
  if (it == FControls.end()) return;
  FControls.erase(it);
  c->FParent = nullptr;
  if (c->FAlign != alNone && !IsDestroying()) AlignControls();
}

// ---------------------------------------------------------------- TGraphicControl
TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}

void TGraphicControl::PrepareSurface() {
  TBitmap& s = Surface();
  TWinControl* p = Parent();
  TCanvas& c = s.Canvas();
  c.ResetClip();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(p ? p->Color() : Color());
  c.FillRect(ClientRect());
  if (p && p->FSurface && p->FEverPainted) {
    // Start from the parent's pixels under the control.
    const TBitmap& ps = *p->FSurface;
    int x0 = std::max(0, Left()), x1 = std::min(ps.Width(), Left() + Width());
    int y0 = std::max(0, Top()), y1 = std::min(ps.Height(), Top() + Height());
    for (int y = y0; x0 < x1 && y < y1; ++y) {
      const uint32_t* src = ps.ScanLine(y);
      uint32_t* dst = s.ScanLine(y - Top());
      std::memcpy(dst + (x0 - Left()), src + x0, static_cast<size_t>(x1 - x0) * sizeof(uint32_t));
    }
  }
}

// ---------------------------------------------------------------- TCustomControl
TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

}  // namespace zol
