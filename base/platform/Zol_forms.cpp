#include "base/platform/Zol_forms.h"

#include <algorithm>

#include "base/platform/Zol_fontengine.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

// ---------------------------------------------------------------- globals
namespace {

struct HostGlobals {
  std::unique_ptr<TScreen> screen;
  std::unique_ptr<TApplication> app;
  bool down = false;
  ~HostGlobals() {
    down = true;
    app.reset();
    screen.reset();
  }
};

HostGlobals& Globals() {
  static HostGlobals g;
  return g;
}

bool Alive(const std::weak_ptr<int>& w) { return !w.expired(); }

std::string ShortHint(const std::string& h) {
  size_t bar = h.find('|');
  return bar == std::string::npos ? h : h.substr(0, bar);
}

TForm* FormOf(TControl* c) {
  while (c && c->Parent()) c = c->Parent();
  return dynamic_cast<TForm*>(c);
}

bool InSubtree(const TControl* root, const TControl* c) {
  for (; c; c = c->Parent())
    if (c == root) return true;
  return false;
}

unsigned ButtonBit(TMouseButton b) {
  switch (b) {
    case mbLeft: return ssLeft;
    case mbRight: return ssRight;
    case mbMiddle: return ssMiddle;
  }
  return 0;
}

}  // namespace

TScreen* Screen() {
  HostGlobals& g = Globals();
  if (g.down) return nullptr;
  if (!g.screen) g.screen = std::make_unique<TScreen>(nullptr);
  return g.screen.get();
}

TApplication* Application() {
  HostGlobals& g = Globals();
  if (g.down) return nullptr;
  if (!g.app) {
    Screen();
    g.app = std::make_unique<TApplication>(nullptr);
  }
  return g.app.get();
}

// ---------------------------------------------------------------- TForm
TForm::TForm(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;
  SetBounds(0, 0, 320, 240);
  if (TScreen* s = Screen()) s->FForms.push_back(this);
}

TForm::~TForm() {
  if (TScreen* s = Screen()) s->FForms.erase(std::remove(s->FForms.begin(), s->FForms.end(), this), s->FForms.end());
}

void TForm::SetCaption(const std::string& v) { FCaption = v; }

void TForm::SetActiveControl(TWinControl* c) {
  if (c == FActiveControl) return;
  if (c && !ContainsControl(c)) throw EInvalidOperation("Invalid active control");
  FActiveControl = c;
  if (c && Showing() && c->CanFocus()) c->SetFocus();
}

void TForm::VisibleChanged() {
  TApplication* app = Application();
  if (Visible()) {
    if (OnShow) OnShow(this);
    TCustomControl::VisibleChanged();
    if (app) app->FormShown(this);
  } else {
    if (OnHide) OnHide(this);
    TCustomControl::VisibleChanged();
    if (app) app->FormHidden(this);
  }
}

bool TForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  TCloseAction a = caHide;
  if (OnClose) OnClose(this, a);
  if (FModalResult == mrNone) FModalResult = mrCancel;
  switch (a) {
    case caHide:
    case caMinimize:
      Hide();
      break;
    case caFree:
      Hide();
      Release();
      break;
    case caNone:
      break;
  }
}

void TForm::Release() {
  if (TApplication* app = Application()) app->ReleaseForm(this);
}

TModalResult TForm::ShowModal() {
  FModalResult = mrNone;
  std::weak_ptr<int> life = LifeToken();
  Show();
  TApplication* app = Application();
  while (app && Alive(life) && FModalResult == mrNone && Showing() && app->HandleMessage()) {
  }
  if (!Alive(life)) return mrCancel;
  TModalResult r = FModalResult;
  Hide();
  return r;
}

// ---------------------------------------------------------------- TScreen
TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() = default;

void TScreen::SetSize(int w, int h) {
  FWidth = std::max(1, w);
  FHeight = std::max(1, h);
}

const TStringList& TScreen::Fonts() {
  if (!FFonts) {
    FFonts = std::make_unique<TStringList>();
    for (const std::string& f : FontEngine::InstalledFamilies())
      if (FFonts->IndexOf(f) < 0) FFonts->Add(f);
  }
  return *FFonts;
}

void TScreen::SetCursor(TCursor v) {
  if (v == FCursor) return;
  FCursor = v;
  if (TApplication* app = Application()) app->ControlCursorChanged(nullptr);
}

std::string TScreen::Cursors(TCursor id) const {
  for (const auto& c : FCursors)
    if (c.first == id) return c.second;
  return std::string();
}

void TScreen::SetCursors(TCursor id, const std::string& Name) {
  for (auto& c : FCursors)
    if (c.first == id) {
      c.second = Name;
      return;
    }
  FCursors.emplace_back(id, Name);
}

TWinControl* TScreen::ActiveControl() const {
  TApplication* app = Application();
  return app ? app->FocusedControl() : nullptr;
}

TForm* TScreen::ActiveForm() const {
  TApplication* app = Application();
  return app ? app->ActiveForm() : nullptr;
}

TForm* TScreen::Forms(int index) const {
  if (index < 0 || index >= FormCount()) return nullptr;
  return FForms[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------- TApplication
TApplication::TApplication(TComponent* AOwner)
    : TComponent(AOwner),
      FMsgService(this),
      FPopupService(this),
      FFileService(this),
      FHintService(this),
      FCursorService(this) {}

TApplication::~TApplication() {
  // Free the owned forms while the host's own state still exists.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
}

void TApplication::SetShowHint(bool v) {
  if (v == FShowHint) return;
  FShowHint = v;
  UpdateHint();
}

// ---- messages
void TApplication::ProcessMessages() {
  while (!FQueue.empty()) {
    Event e = std::move(FQueue.front());
    FQueue.pop_front();
    Dispatch(e);
  }
  FreeReleased();
  PaintInvalidated();
}

bool TApplication::HandleMessage() {
  bool any = !FQueue.empty();
  if (any) {
    Event e = std::move(FQueue.front());
    FQueue.pop_front();
    Dispatch(e);
  }
  FreeReleased();
  PaintInvalidated();
  return any;
}

void TApplication::Dispatch(const Event& e) {
  switch (e.Kind) {
    case EvKind::Down: DispatchMouseDown(e.Window, e.Button, e.Shift, e.X, e.Y, false); break;
    case EvKind::DblDown: DispatchMouseDown(e.Window, e.Button, e.Shift, e.X, e.Y, true); break;
    case EvKind::Move: DispatchMouseMove(e.Window, e.Shift, e.X, e.Y); break;
    case EvKind::Up: DispatchMouseUp(e.Window, e.Button, e.Shift, e.X, e.Y); break;
    case EvKind::Wheel: DispatchMouseWheel(e.Window, e.Shift, e.Delta, e.X, e.Y); break;
    case EvKind::Exit: DispatchMouseExit(e.Window); break;
    case EvKind::KeyDown: DispatchKeyDown(e.Key, e.Shift); break;
    case EvKind::KeyUp: DispatchKeyUp(e.Key, e.Shift); break;
    case EvKind::Text: DispatchText(e.Text); break;
    case EvKind::Focus:
      if (e.Window && e.Window->CanFocus()) FocusControl(e.Window);
      break;
  }
}

void TApplication::FreeReleased() {
  while (!FReleased.empty()) {
    TForm* f = FReleased.back();
    FReleased.pop_back();
    delete f;  // its destructor forgets every other reference
  }
}

void TApplication::PaintInvalidated() {
  if (FPainting) return;
  FPainting = true;
  try {
    std::vector<std::pair<TWinControl*, std::weak_ptr<int>>> tops;
    for (TWinControl* w : FTopLevels) tops.emplace_back(w, w->LifeToken());
    for (auto& t : tops)
      if (Alive(t.second) && t.first->Showing() && t.first->HandleAllocated()) PaintTree(t.first);
  } catch (...) {
    FPainting = false;
    throw;
  }
  FPainting = false;
}

void TApplication::PaintTree(TControl* c) {
  if (!c->Visible()) return;
  bool painted = false;
  if (c->FInvalid) {
    c->PaintNow();
    painted = true;
  }
  if (!c->IsWindowed()) return;
  auto* w = static_cast<TWinControl*>(c);
  std::vector<std::pair<TControl*, std::weak_ptr<int>>> kids;
  for (TControl* k : w->FControls) kids.emplace_back(k, k->LifeToken());
  for (int pass = 0; pass < 2; ++pass) {
    for (auto& k : kids) {
      if (!Alive(k.second) || k.first->IsWindowed() != (pass == 1)) continue;
      if (painted && !k.first->IsWindowed()) k.first->FInvalid = true;
      PaintTree(k.first);
    }
  }
}

// ---- clock and timers
void TApplication::AdvanceClock(uint64_t ms) {
  uint64_t target = FClock + ms;
  for (;;) {
    TTimer* next = nullptr;
    for (TTimer* t : FTimers) {
      if (!t->FRunning || t->FDue > target) continue;
      if (!next || t->FDue < next->FDue || (t->FDue == next->FDue && t->FSeq < next->FSeq)) next = t;
    }
    if (!next) break;
    if (next->FDue > FClock) FClock = next->FDue;
    next->FDue += next->FInterval;
    next->Fire();  // may free or restart the timer
    ProcessMessages();
  }
  if (target > FClock) FClock = target;
}

void TApplication::TimerChanged(TTimer* t) {
  bool run = t->FEnabled && t->FInterval > 0 && !t->IsDestroying();
  auto it = std::find(FTimers.begin(), FTimers.end(), t);
  if (run) {
    t->FRunning = true;
    t->FDue = FClock + t->FInterval;
    t->FSeq = ++FTimerSeq;
    if (it == FTimers.end()) FTimers.push_back(t);
  } else {
    t->FRunning = false;
    if (it != FTimers.end()) FTimers.erase(it);
  }
}

void TApplication::TimerDestroying(TTimer* t) { ForgetTimer(t); }

void TApplication::ForgetTimer(TTimer* t) {
  FTimers.erase(std::remove(FTimers.begin(), FTimers.end(), t), FTimers.end());
}

// ---- synthetic input
void TApplication::PostMouseDown(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X, int Y) {
  Event e;
  e.Kind = EvKind::Down;
  e.Window = Window; e.Button = Button; e.Shift = Shift; e.X = X; e.Y = Y;
  FQueue.push_back(e);
}

void TApplication::PostMouseMove(TWinControl* Window, TShiftState Shift, int X, int Y) {
  Event e;
  e.Kind = EvKind::Move;
  e.Window = Window; e.Shift = Shift; e.X = X; e.Y = Y;
  FQueue.push_back(e);
}

void TApplication::PostMouseUp(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X, int Y) {
  Event e;
  e.Kind = EvKind::Up;
  e.Window = Window; e.Button = Button; e.Shift = Shift; e.X = X; e.Y = Y;
  FQueue.push_back(e);
}

void TApplication::PostDblClick(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X, int Y) {
  Event e;
  e.Kind = EvKind::DblDown;
  e.Window = Window; e.Button = Button; e.Shift = Shift; e.X = X; e.Y = Y;
  FQueue.push_back(e);
}

void TApplication::PostMouseWheel(TWinControl* Window, TShiftState Shift, int WheelDelta, int X, int Y) {
  Event e;
  e.Kind = EvKind::Wheel;
  e.Window = Window; e.Shift = Shift; e.Delta = WheelDelta; e.X = X; e.Y = Y;
  FQueue.push_back(e);
}

void TApplication::PostMouseExit(TWinControl* Window) {
  Event e;
  e.Kind = EvKind::Exit;
  e.Window = Window;
  FQueue.push_back(e);
}

void TApplication::PostKeyDown(uint16_t Key, TShiftState Shift) {
  Event e;
  e.Kind = EvKind::KeyDown;
  e.Key = Key; e.Shift = Shift;
  FQueue.push_back(e);
}

void TApplication::PostKeyUp(uint16_t Key, TShiftState Shift) {
  Event e;
  e.Kind = EvKind::KeyUp;
  e.Key = Key; e.Shift = Shift;
  FQueue.push_back(e);
}

void TApplication::PostKeyPress(char Key) {
  Event e;
  e.Kind = EvKind::Text;
  e.Text = std::string(1, Key);
  FQueue.push_back(e);
}

void TApplication::PostText(const std::string& Utf8) {
  size_t i = 0;
  while (i < Utf8.size()) {
    unsigned char b = static_cast<unsigned char>(Utf8[i]);
    size_t n = b < 0x80 ? 1 : (b >> 5) == 0x06 ? 2 : (b >> 4) == 0x0E ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    // A truncated or malformed sequence is passed on byte by byte.
    if (i + n > Utf8.size()) n = 1;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(Utf8[i + k]) & 0xC0) != 0x80) { n = 1; break; }
    Event e;
    e.Kind = EvKind::Text;
    e.Text = Utf8.substr(i, n);
    FQueue.push_back(e);
    i += n;
  }
}

void TApplication::PostFocus(TWinControl* Control) {
  Event e;
  e.Kind = EvKind::Focus;
  e.Window = Control;
  FQueue.push_back(e);
}

void TApplication::Click(TWinControl* Window, int X, int Y, TMouseButton Button, TShiftState Shift) {
  PostMouseMove(Window, Shift, X, Y);
  PostMouseDown(Window, Button, Shift, X, Y);
  PostMouseUp(Window, Button, Shift, X, Y);
}

void TApplication::DoubleClick(TWinControl* Window, int X, int Y, TMouseButton Button, TShiftState Shift) {
  PostMouseMove(Window, Shift, X, Y);
  PostMouseDown(Window, Button, Shift, X, Y);
  PostMouseUp(Window, Button, Shift, X, Y);
  PostDblClick(Window, Button, Shift, X, Y);
  PostMouseUp(Window, Button, Shift, X, Y);
}

void TApplication::PressKey(uint16_t Key, TShiftState Shift) {
  PostKeyDown(Key, Shift);
  switch (Key) {
    case VK_RETURN: PostKeyPress('\r'); break;
    case VK_ESCAPE: PostKeyPress('\x1b'); break;
    case VK_BACK: PostKeyPress('\b'); break;
    case VK_TAB: PostKeyPress('\t'); break;
    case VK_SPACE: PostKeyPress(' '); break;
    default: break;
  }
  PostKeyUp(Key, Shift);
}

// ---- routing
TShiftState TApplication::ButtonState() const { return FButtons; }

TControl* TApplication::HitTest(TWinControl* Window, int X, int Y) const {
  if (!Window || !Window->Showing() || !Window->IsEnabledChain()) return nullptr;
  TPoint p(X, Y);
  if (!PtInRect(Window->ClientRect(), p)) return nullptr;
  TControl* c = Window->ControlAtPos(p, false, true);
  return c ? c : Window;
}

void TApplication::SetHover(TControl* c) {
  if (c == FHover) return;
  TControl* old = FHover;
  FHover = c;
  FHintCancelled = false;
  if (old) old->DispatchMouseLeave();
  if (c && FHover == c) c->DispatchMouseEnter();
  UpdateHint();
  UpdateCursor();
}

void TApplication::DispatchMouseDown(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X,
                                     int Y, bool Double) {
  if (!Window) return;
  FMouseWindow = Window;
  FMouseScreen = Window->ClientToScreen(TPoint(X, Y));
  TControl* target = FCapture ? FCapture : HitTest(Window, X, Y);
  if (!FCapture) SetHover(target);
  FHintCancelled = true;
  UpdateHint();
  if (!target) return;
  std::weak_ptr<int> life = target->LifeToken();
  FButtons |= ButtonBit(Button);
  if (!FCapture) FCapture = target;
  if (target->IsWindowed()) {
    auto* w = static_cast<TWinControl*>(target);
    if (w->TabStop() && w->CanFocus() && FFocused != w) {
      FocusControl(w);
      if (!Alive(life)) return;
    }
  }
  TPoint p = target->ScreenToClient(FMouseScreen);
  TShiftState s = Shift | ButtonState() | (Double ? TShiftState(ssDouble) : TShiftState(0));
  if (Double) {
    if (FClickCandidate == target) FClickCandidate = nullptr;
    target->DispatchDblClick();
    if (!Alive(life)) return;
  } else if (Button == mbLeft) {
    FClickCandidate = target;
  }
  target->DispatchMouseDown(Button, s, p.X, p.Y);
  UpdateCursor();
}

void TApplication::DispatchMouseMove(TWinControl* Window, TShiftState Shift, int X, int Y) {
  if (!Window) return;
  FMouseWindow = Window;
  FMouseScreen = Window->ClientToScreen(TPoint(X, Y));
  TControl* target;
  if (FCapture) {
    target = FCapture;
  } else {
    target = HitTest(Window, X, Y);
    SetHover(target);
  }
  if (!target) return;
  TPoint p = target->ScreenToClient(FMouseScreen);
  target->DispatchMouseMove(Shift | ButtonState(), p.X, p.Y);
  UpdateCursor();
}

void TApplication::DispatchMouseUp(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!Window) return;
  FMouseWindow = Window;
  FMouseScreen = Window->ClientToScreen(TPoint(X, Y));
  TControl* target = FCapture ? FCapture : HitTest(Window, X, Y);
  FButtons &= ~ButtonBit(Button);
  if (target) {
    std::weak_ptr<int> life = target->LifeToken();
    TPoint p = target->ScreenToClient(FMouseScreen);
    if (Button == mbLeft && FClickCandidate == target) {
      FClickCandidate = nullptr;
      if (PtInRect(target->ClientRect(), p)) {
        target->DispatchClick();
        if (!Alive(life)) target = nullptr;
      }
    }
    if (target) {
      target->DispatchMouseUp(Button, Shift | ButtonState(), p.X, p.Y);
      if (!Alive(life)) target = nullptr;
    }
    if (target && Button == mbRight) {
      // The context menu of the control or of the nearest parent that has one.
      for (TControl* c = target; c; c = c->Parent()) {
        TPopupMenu* m = c->PopupMenu();
        if (m && m->AutoPopup()) {
          m->SetPopupComponent(c);
          m->Popup(FMouseScreen.X, FMouseScreen.Y);
          break;
        }
      }
    }
  }
  if (FButtons == 0) {
    FCapture = nullptr;
    SetHover(HitTest(Window, X, Y));
  }
  UpdateCursor();
}

void TApplication::DispatchMouseWheel(TWinControl* Window, TShiftState Shift, int WheelDelta, int X, int Y) {
  if (!Window) return;
  FMouseWindow = Window;
  FMouseScreen = Window->ClientToScreen(TPoint(X, Y));
  TControl* c = FCapture ? FCapture : HitTest(Window, X, Y);
  while (c) {
    std::weak_ptr<int> life = c->LifeToken();
    TPoint p = c->ScreenToClient(FMouseScreen);
    if (c->DispatchMouseWheel(Shift | ButtonState(), WheelDelta, p.X, p.Y)) break;
    if (!Alive(life)) break;
    c = c->Parent();
  }
}

void TApplication::DispatchMouseExit(TWinControl* Window) {
  if (!Window || FCapture) return;
  if (FHover && !InSubtree(Window, FHover)) return;
  SetHover(nullptr);
}

TWinControl* TApplication::KeyTarget() const {
  if (FFocused) return FFocused;
  return ActiveForm();
}

void TApplication::DispatchKeyDown(uint16_t Key, TShiftState Shift) {
  TWinControl* target = KeyTarget();
  if (!target) return;
  std::weak_ptr<int> life = target->LifeToken();
  TForm* form = FormOf(target);
  if (form && form != target && form->KeyPreview()) {
    form->DispatchKeyDown(Key, Shift);
    if (Key == 0 || !Alive(life)) return;
  }
  target->DispatchKeyDown(Key, Shift);
  if (!Alive(life)) return;
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && !(Shift & (ssCtrl | ssAlt))) {
    // Default and cancel buttons of the form take the keys the control left.
    TWinControl* top = target;
    while (top->Parent()) top = top->Parent();
    top->DialogKey(Key, Shift);
    return;
  }
  if (Key != VK_TAB || (Shift & (ssCtrl | ssAlt))) return;
  // An unhandled Tab moves the focus through the tab stops of the form.
  TWinControl* top = target;
  while (top->Parent()) top = top->Parent();
  top->SelectNext(FFocused, (Shift & ssShift) == 0);
}

void TApplication::DispatchKeyUp(uint16_t Key, TShiftState Shift) {
  TWinControl* target = KeyTarget();
  if (!target) return;
  std::weak_ptr<int> life = target->LifeToken();
  TForm* form = FormOf(target);
  if (form && form != target && form->KeyPreview()) {
    form->DispatchKeyUp(Key, Shift);
    if (Key == 0 || !Alive(life)) return;
  }
  target->DispatchKeyUp(Key, Shift);
}

void TApplication::DispatchText(const std::string& Utf8Char) {
  TWinControl* target = KeyTarget();
  if (!target) return;
  std::string t = Utf8Char;
  std::weak_ptr<int> life = target->LifeToken();
  TForm* form = FormOf(target);
  if (form && form != target && form->KeyPreview()) {
    form->DispatchKeyPressText(t);
    if (t.empty() || !Alive(life)) return;
  }
  target->DispatchKeyPressText(t);
}

// ---- host state
void TApplication::SetCaptureControl(TControl* c) { FCapture = c; }

void TApplication::FocusControl(TWinControl* c) {
  uint64_t request = ++FFocusRequests;
  if (c == FFocused) return;
  TWinControl* old = FFocused;
  if (old) {
    old->DispatchExit();
    // The exit handler asked for the focus itself (or freed controls): its wish wins.
    if (request != FFocusRequests || FFocused != old) return;
  }
  FFocused = c;
  if (c) {
    if (TForm* f = FormOf(c)) f->FActiveControl = c;
    c->DispatchEnter();
  }
  if (TScreen* s = Screen())
    if (s->OnActiveControlChange) s->OnActiveControlChange(s);
}

TForm* TApplication::ActiveForm() const {
  for (auto it = FShownOrder.rbegin(); it != FShownOrder.rend(); ++it)
    if ((*it)->Showing()) return *it;
  return nullptr;
}

void TApplication::UpdateCursor() {
  TCursor c = crDefault;
  if (TScreen* s = Screen()) c = s->Cursor();
  if (c == crDefault) {
    TControl* ctl = FCapture ? FCapture : FHover;
    while (ctl && ctl->Cursor() == crDefault) ctl = ctl->Parent();
    if (ctl) c = ctl->Cursor();
  }
  if (c != FCurrentCursor) {
    FCurrentCursor = c;
    FCursorService->ShowCursor(c);
  }
}

void TApplication::UpdateHint() {
  TControl* h = nullptr;
  std::string text;
  if (FShowHint && !FHintCancelled && FHover && FHover->ShowHint()) {
    for (TControl* c = FHover; c; c = c->Parent())
      if (!c->Hint().empty()) {
        text = ShortHint(c->Hint());
        break;
      }
    if (!text.empty()) h = FHover;
  }
  if (h) {
    if (h != FHintControl || text != FCurrentHint) FHintService->ActivateHint(h, text, FMouseScreen);
    FHintControl = h;
    FCurrentHint = text;
  } else if (FHintControl || !FCurrentHint.empty()) {
    FHintService->CancelHint();
    FHintControl = nullptr;
    FCurrentHint.clear();
  }
}

// ---- services of the headless host
TModalResult TApplication::ShowMessageBox(const TMessageBoxRequest& Request) {
  TModalResult r;
  if (!FMsgAnswers.empty()) {
    r = FMsgAnswers.front();
    FMsgAnswers.pop_front();
  } else if (Request.Buttons.Contains(mbOK) || Request.Buttons.Empty()) {
    r = mrOk;
  } else {
    r = mrNone;
    for (TMsgDlgBtn b : {mbCancel, mbNo, mbAbort, mbClose, mbIgnore})
      if (Request.Buttons.Contains(b)) {
        r = ModalResultOfButton(b);
        break;
      }
    if (r == mrNone) {
      std::vector<TMsgDlgBtn> list = Request.Buttons.List();
      for (TMsgDlgBtn b : list)
        if (ModalResultOfButton(b) != mrNone) {
          r = ModalResultOfButton(b);
          break;
        }
    }
  }
  FMsgLog.push_back({Request, r});
  return r;
}

void TApplication::QueuePopupAnswer(const std::string& Caption) {
  PopupAnswer a;
  a.Kind = 1;
  a.Caption = Caption;
  FPopupAnswers.push_back(a);
}

void TApplication::QueuePopupAnswer(TMenuItem* Item) {
  PopupAnswer a;
  a.Kind = Item ? 2 : 0;
  a.Item = Item;
  FPopupAnswers.push_back(a);
}

void TApplication::QueuePopupNone() { FPopupAnswers.push_back(PopupAnswer()); }

TMenuItem* TApplication::ShowPopup(TPopupMenu& Menu, int X, int Y) {
  TPopupRecord rec;
  rec.Menu = &Menu;
  rec.X = X;
  rec.Y = Y;
  TMenuItem* root = Menu.Items();
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->Visible()) rec.Captions.push_back(root->Items(i)->StrippedCaption());
  PopupAnswer a;
  if (!FPopupAnswers.empty()) {
    a = FPopupAnswers.front();
    FPopupAnswers.pop_front();
  }
  TMenuItem* chosen = nullptr;
  if (a.Kind == 1) {
    chosen = root->Find(a.Caption);
  } else if (a.Kind == 2) {
    for (TMenuItem* p = a.Item; p; p = p->Parent())
      if (p == root) {
        chosen = a.Item;
        break;
      }
  }
  if (chosen && !chosen->Clickable()) chosen = nullptr;
  if (chosen) rec.Chosen = chosen->StrippedCaption();
  FPopupLog.push_back(rec);
  return chosen;
}

void TApplication::MenuDestroying(TComponent* m) {
  for (auto& a : FPopupAnswers)
    if (a.Kind == 2 && a.Item == m) {
      a.Kind = 0;
      a.Item = nullptr;
    }
}

void TApplication::QueueFileDialogAnswer(const std::string& FileName) {
  QueueFileDialogAnswer(std::vector<std::string>{FileName});
}

void TApplication::QueueFileDialogAnswer(const std::vector<std::string>& FileNames) {
  FileAnswer a;
  a.Accept = !FileNames.empty();
  a.Names = FileNames;
  FFileAnswers.push_back(a);
}

void TApplication::QueueFileDialogCancel(int ErrorCode) {
  FileAnswer a;
  a.Error = ErrorCode;
  FFileAnswers.push_back(a);
}

TFileDialogResult TApplication::RunFileDialog(const TFileDialogRequest& Request) {
  for (;;) {
    FileAnswer a;
    if (!FFileAnswers.empty()) {
      a = FFileAnswers.front();
      FFileAnswers.pop_front();
    }
    TFileDialogResult res;
    res.FilterIndex = Request.FilterIndex;
    if (!a.Accept) {
      res.ErrorCode = a.Error;
      FFileLog.push_back({Request, res});
      return res;
    }
    std::vector<std::string> names = a.Names;
    if (!(Request.Options & ofAllowMultiSelect) && names.size() > 1) names.resize(1);
    bool ok = true;
    for (std::string& n : names) {
      if (!n.empty() && n[0] != PathDelim && !Request.InitialDir.empty())
        n = IncludeTrailingPathDelimiter(Request.InitialDir) + n;
      if (!Request.DefaultExt.empty() && ExtractFileExt(n).empty()) {
        std::string ext = Request.DefaultExt;
        if (ext[0] == '.') ext.erase(0, 1);
        n += "." + ext;
      }
      std::string dir = ExtractFilePath(n);
      if ((Request.Options & ofPathMustExist) && !dir.empty() && !DirectoryExists(dir)) {
        MessageBoxDlg(Request.Title, n + "\nPath does not exist.", mtWarning, {mbOK});
        ok = false;
        break;
      }
      if (Request.Kind == fdOpen && (Request.Options & ofFileMustExist) && !FileExists(n)) {
        MessageBoxDlg(Request.Title, n + "\nFile not found.", mtWarning, {mbOK});
        ok = false;
        break;
      }
      if (Request.Kind == fdSave && (Request.Options & ofOverwritePrompt) && FileExists(n)) {
        if (MessageBoxDlg(Request.Title, n + " already exists.\nDo you want to replace it?", mtWarning,
                          mbYesNo) != mrYes) {
          ok = false;
          break;
        }
      }
    }
    if (!ok) continue;  // the user picks again: the next scripted answer
    res.Accepted = true;
    res.FileNames = names;
    FFileLog.push_back({Request, res});
    return res;
  }
}

void TApplication::ActivateHint(TControl* Control, const std::string& Text, TPoint) {
  FHintControl = Control;
  FCurrentHint = Text;
  ++FHintActivations;
}

void TApplication::CancelHint() {
  FHintControl = nullptr;
  FCurrentHint.clear();
}

void TApplication::ShowCursor(TCursor) {}

void TApplication::ResetHeadless() {
  FQueue.clear();
  FMsgAnswers.clear();
  FMsgLog.clear();
  FPopupAnswers.clear();
  FPopupLog.clear();
  FFileAnswers.clear();
  FFileLog.clear();
  FCapture = nullptr;
  FClickCandidate = nullptr;
  FButtons = 0;
  FHover = nullptr;
  FMouseWindow = nullptr;
  FHintCancelled = false;
  FHintControl = nullptr;
  FCurrentHint.clear();
  FHintActivations = 0;
  FCurrentCursor = crDefault;
}

// ---- notifications
void TApplication::ForgetSubtree(TControl* root) {
  if (InSubtree(root, FFocused)) FFocused = nullptr;
  if (InSubtree(root, FCapture)) {
    FCapture = nullptr;
    FButtons = 0;
  }
  if (InSubtree(root, FHover)) FHover = nullptr;
  if (InSubtree(root, FClickCandidate)) FClickCandidate = nullptr;
  if (InSubtree(root, FHintControl)) {
    FHintService->CancelHint();
    FHintControl = nullptr;
    FCurrentHint.clear();
  }
  if (TScreen* s = Screen())
    for (TForm* f : s->FForms)
      if (InSubtree(root, f->FActiveControl)) f->FActiveControl = nullptr;
}

void TApplication::ControlDestroying(TControl* c) {
  ForgetSubtree(c);
  FQueue.erase(std::remove_if(FQueue.begin(), FQueue.end(), [c](const Event& e) { return e.Window == c; }),
               FQueue.end());
  if (FMouseWindow == c) FMouseWindow = nullptr;
  FTopLevels.erase(std::remove(FTopLevels.begin(), FTopLevels.end(), c), FTopLevels.end());
  FReleased.erase(std::remove(FReleased.begin(), FReleased.end(), c), FReleased.end());
  FShownOrder.erase(std::remove(FShownOrder.begin(), FShownOrder.end(), c), FShownOrder.end());
}

void TApplication::ControlInvalidated(TControl* c) {
  if (!FWindowService) return;
  TControl* top = c;
  while (top->Parent()) top = top->Parent();
  if (top->IsWindowed() && top->Showing()) FWindowService->WindowInvalidated(static_cast<TWinControl*>(top));
}

void TApplication::ControlStateChanged(TControl* c) {
  if (FFocused && InSubtree(c, FFocused) && !FFocused->CanFocus()) {
    TWinControl* old = FFocused;
    FFocused = nullptr;
    old->DispatchExit();
  }
  if (FCapture && InSubtree(c, FCapture) && !(FCapture->Showing() && FCapture->IsEnabledChain())) {
    FCapture = nullptr;
    FButtons = 0;
  }
  if (FClickCandidate && InSubtree(c, FClickCandidate) && !FClickCandidate->Showing()) FClickCandidate = nullptr;
  if (FHover && InSubtree(c, FHover) && !(FHover->Showing() && FHover->IsEnabledChain())) SetHover(nullptr);
  UpdateHint();
}

void TApplication::ControlHintChanged(TControl* c) {
  if (FHover && InSubtree(c, FHover)) UpdateHint();
}

void TApplication::ControlCursorChanged(TControl*) { UpdateCursor(); }

void TApplication::TopLevelChanged(TWinControl* c, bool isTopLevel) {
  auto it = std::find(FTopLevels.begin(), FTopLevels.end(), c);
  if (isTopLevel && it == FTopLevels.end()) FTopLevels.push_back(c);
  if (!isTopLevel && it != FTopLevels.end()) FTopLevels.erase(it);
}

void TApplication::FormShown(TForm* f) {
  FShownOrder.erase(std::remove(FShownOrder.begin(), FShownOrder.end(), f), FShownOrder.end());
  FShownOrder.push_back(f);
  if (FWindowService) FWindowService->WindowShown(f);
  // Focus the form's active control, or its first tab stop.
  if (FFocused && InSubtree(f, FFocused)) return;
  TWinControl* c = f->FActiveControl;
  if (!c || !c->CanFocus()) {
    std::vector<TWinControl*> tabs = f->TabList();
    c = tabs.empty() ? nullptr : tabs.front();
  }
  // Without a tab stop the form itself takes the keys (KeyTarget).
  FocusControl(c);
}

void TApplication::FormHidden(TForm* f) {
  FShownOrder.erase(std::remove(FShownOrder.begin(), FShownOrder.end(), f), FShownOrder.end());
  if (FWindowService) FWindowService->WindowHidden(f);
  // The form shown before gets its active control back.
  if (FFocused && !InSubtree(f, FFocused)) return;
  TForm* prev = ActiveForm();
  if (prev && prev->FActiveControl && prev->FActiveControl->CanFocus()) FocusControl(prev->FActiveControl);
}

void TApplication::ReleaseForm(TForm* f) {
  if (!f->Owner()) return;  // a form without owner belongs to the caller's unique_ptr
  if (std::find(FReleased.begin(), FReleased.end(), f) == FReleased.end()) FReleased.push_back(f);
}

}  // namespace zol
