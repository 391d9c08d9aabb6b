#include "host/Zol_fltkhost.h"


#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "host/Zol_fltkclipbrd.h"
#include "host/Zol_fltkdialogs.h"
#include "host/Zol_fltkdisplay.h"
#include "host/Zol_fltkkeys.h"

// The toolkit last: its X headers define macros such as KeyPress.
#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Menu_Window.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

namespace zol {

using namespace fltkhost;

namespace {

class FormWindow;

// The host: the window, cursor and hint services, the clock and the windows.
class FltkHost : public TWindowService, public TCursorService, public THintService {
 public:
  FltkHost();
  ~FltkHost() override;

  // TWindowService
  void WindowShown(TWinControl* Window) override;
  void WindowHidden(TWinControl* Window) override;
  void WindowInvalidated(TWinControl* Window) override;
  // TCursorService
  void ShowCursor(TCursor Cursor) override;
  // THintService
  void ActivateHint(TControl* Control, const std::string& Text, TPoint ScreenPos) override;
  void CancelHint() override;

  // Brings the host clock to the real time (fires due timers).
  void Catchup();
  // Processes the application's messages, then brings every window up to date
  // and schedules the next timer.
  void Tick();
  void InputWindow(FormWindow* w) { FLastInput = w; }
  // True for a press that completes a double click: the same button as the
  // press before, within DoubleClickTime and DoubleClickDistance of it.  A
  // third press starts a new pair.
  bool IsDoubleClick(TMouseButton b, int X, int Y);
  static constexpr int DoubleClickTime = 500, DoubleClickDistance = 4;
  FormWindow* WindowOf(TWinControl* c) const;
  bool AnyShown() const;
  void CloseAll();

 private:
  static void CheckCb(void* self) {
    // Not while the clipboard is read: the handler that reads it is still running.
    if (!FltkClipboardBusy()) static_cast<FltkHost*>(self)->Tick();
  }
  static void TimerCb(void* self) {
    if (!FltkClipboardBusy()) static_cast<FltkHost*>(self)->Tick();
  }
  static void HintCb(void* self);
  void ApplyCursor(FormWindow* w);
  void DropDead();

  std::chrono::steady_clock::time_point FStart;
  uint64_t FClockBase = 0;
  std::map<TWinControl*, std::unique_ptr<FormWindow>> FWindows;
  FormWindow* FLastInput = nullptr;
  TCursor FCursor = crDefault;
  bool FInSync = false;
  bool FHavePress = false;
  TMouseButton FPressButton = mbLeft;
  int FPressX = 0, FPressY = 0;
  unsigned long FPressTime = 0;
  // hint
  std::unique_ptr<Fl_Menu_Window> FHintWin;
  std::string FHintText;
  TPoint FHintPos;
  TBitmap FHintPicture;
  std::map<TCursor, std::unique_ptr<Fl_RGB_Image>> FCursorImages;
};

FltkHost* gHost = nullptr;

// ZOL_HOST_TRACE=1 reports repaints on stderr.
bool Trace() {
  static const bool on = std::getenv("ZOL_HOST_TRACE") != nullptr;
  return on;
}
std::unique_ptr<FltkHost> gHostOwner;
std::unique_ptr<TFltkDialogs> gDialogs;

// A form's window: shows the form's picture and feeds input to the application.
class FormWindow : public Fl_Double_Window {
 public:
  FormWindow(TWinControl* c)
      : Fl_Double_Window(c->Left(), c->Top(), std::max(1, c->Width()), std::max(1, c->Height())),
        FControl(c), FLife(c->LifeToken()) {
    end();
    if (auto* f = dynamic_cast<TForm*>(c)) {
      FCaption = f->Caption();
      label(FCaption.c_str());
    }
    callback(CloseCb, this);
  }

  bool Alive() const { return !FLife.expired(); }
  TWinControl* Control() const { return Alive() ? FControl : nullptr; }

  // Brings geometry, caption and pixels up to date with the control.
  void Sync() {
    TWinControl* c = Control();
    if (!c) return;
    if (auto* f = dynamic_cast<TForm*>(c))
      if (f->Caption() != FCaption) {
        FCaption = f->Caption();
        label(FCaption.c_str());
      }
    int W = std::max(1, c->Width()), H = std::max(1, c->Height());
    if (c->Left() != x() || c->Top() != y() || W != w() || H != h()) {
      FSyncing = true;
      resize(c->Left(), c->Top(), W, H);
      FSyncing = false;
      FDirty = true;
    }
    if (!FDirty || !shown()) return;
    FDirty = false;
    std::unique_ptr<TBitmap> pic = c->PaintToBitmap();
    int pw = pic->Width(), ph = pic->Height();
    const uint32_t* px = pic->Bits();
    if (pw != FW || ph != FH) {
      FPixels.assign(px, px + size_t(pw) * size_t(ph));
      FW = pw;
      FH = ph;
      damage(FL_DAMAGE_ALL);
      return;
    }
    TRect r = ChangedRect(FPixels.data(), px, pw, ph);
    if (Trace()) std::fprintf(stderr, "zolhost: changed %d,%d-%d,%d\n", r.Left, r.Top, r.Right, r.Bottom);
    if (r.IsEmpty()) return;
    for (int y = r.Top; y < r.Bottom; ++y)
      std::copy(px + size_t(y) * pw + r.Left, px + size_t(y) * pw + r.Right, FPixels.data() + size_t(y) * pw + r.Left);
    ++FUpdates;
    damage(FL_DAMAGE_USER1, r.Left, r.Top, r.Width(), r.Height());
  }

  void MarkDirty() { FDirty = true; }

  void draw() override {
    int X, Y, W, H;
    fl_clip_box(0, 0, w(), h(), X, Y, W, H);
    if (Trace()) std::fprintf(stderr, "zolhost: draw %d,%d %dx%d damage %x\n", X, Y, W, H, damage());
    TRect r(X, Y, std::min(X + W, FW), std::min(Y + H, FH));
    if (!r.IsEmpty()) {
      ToRGB(FPixels.data(), FW, r, FRGB);
      fl_draw_image(FRGB.data(), r.Left, r.Top, r.Width(), r.Height(), 3, r.Width() * 3);
    }
    // Window area beyond the picture (a window larger than its form).
    fl_color(FL_GRAY);
    if (X + W > FW) fl_rectf(std::max(X, FW), Y, X + W - std::max(X, FW), H);
    if (Y + H > FH) fl_rectf(X, std::max(Y, FH), W, Y + H - std::max(Y, FH));
  }

  void resize(int X, int Y, int W, int H) override {
    Fl_Double_Window::resize(X, Y, W, H);
    if (FSyncing) return;
    TWinControl* c = Control();
    if (!c) return;
    if (c->Left() != X || c->Top() != Y || c->Width() != W || c->Height() != H) c->SetBounds(X, Y, W, H);
    FDirty = true;
  }

  int handle(int ev) override;

  int FUpdates = 0;  // partial updates made

 private:
  static void CloseCb(Fl_Widget*, void* self) {
    auto* w = static_cast<FormWindow*>(self);
    TWinControl* c = w->Control();
    if (auto* f = dynamic_cast<TForm*>(c)) {
      f->Close();
    } else if (c) {
      c->Hide();
    } else {
      w->hide();
    }
    if (gHost) gHost->Tick();
  }

  TWinControl* FControl;
  std::weak_ptr<int> FLife;
  std::string FCaption;
  std::vector<uint32_t> FPixels;
  std::vector<uint8_t> FRGB;
  int FW = 0, FH = 0;
  bool FDirty = true;
  bool FSyncing = false;
};

int FormWindow::handle(int ev) {
  TWinControl* c = Control();
  TApplication* app = Application();
  if (!c || !app || !gHost) return Fl_Double_Window::handle(ev);
  switch (ev) {
    case FL_PUSH: case FL_RELEASE: case FL_DRAG: case FL_MOVE: case FL_MOUSEWHEEL: case FL_ENTER:
    case FL_LEAVE: case FL_KEYDOWN: case FL_KEYUP: case FL_SHORTCUT:
      break;
    case FL_FOCUS: case FL_UNFOCUS:
      return 1;
    case FL_SHOW: {
      int r = Fl_Double_Window::handle(ev);
      MarkDirty();
      return r;
    }
    default:
      return Fl_Double_Window::handle(ev);
  }
  // Input is queued in the application and dispatched by the next tick.
  gHost->InputWindow(this);
  TShiftState shift = ShiftOf(Fl::event_state()) & (ssShift | ssAlt | ssCtrl);
  int X = Fl::event_x(), Y = Fl::event_y();
  switch (ev) {
    case FL_PUSH: {
      if (Fl::focus() != this) Fl::focus(this);
      TMouseButton b = ButtonOf(Fl::event_button());
      if (gHost->IsDoubleClick(b, X, Y))
        app->PostDblClick(c, b, shift, X, Y);
      else
        app->PostMouseDown(c, b, shift, X, Y);
      break;
    }
    case FL_RELEASE:
      app->PostMouseUp(c, ButtonOf(Fl::event_button()), shift, X, Y);
      break;
    case FL_DRAG: case FL_MOVE: case FL_ENTER:
      app->PostMouseMove(c, shift, X, Y);
      break;
    case FL_MOUSEWHEEL:
      if (Fl::event_dy() != 0) app->PostMouseWheel(c, shift, -Fl::event_dy() * WHEEL_DELTA, X, Y);
      break;
    case FL_LEAVE:
      app->PostMouseExit(c);
      break;
    case FL_KEYDOWN: case FL_SHORTCUT: {
      uint16_t vk = VirtualKeyOf(Fl::event_key());
      if (!vk) vk = VirtualKeyOfPosition(EventKeycode());
      std::string text(Fl::event_text(), size_t(std::max(0, Fl::event_length())));
      if (Trace()) std::fprintf(stderr, "zolhost: key %x code %u text \"%s\"\n", Fl::event_key(), EventKeycode(), text.c_str());
      if (vk) app->PostKeyDown(vk, shift);
      // Characters: typed text, and the control characters of Return,
      // Escape, Back and Tab; nothing with Ctrl or Alt held (shortcuts).
      if (!text.empty() && !(shift & (ssCtrl | ssAlt))) app->PostText(text);
      break;
    }
    case FL_KEYUP: {
      uint16_t vk = VirtualKeyOf(Fl::event_key());
      if (!vk) vk = VirtualKeyOfPosition(EventKeycode());
      if (vk) app->PostKeyUp(vk, shift);
      break;
    }
    default: break;
  }
  // The next tick (the check before the toolkit waits again) dispatches it,
  // so that a burst of events is painted once.
  return 1;
}

// ---- the host
FltkHost::FltkHost() : FStart(std::chrono::steady_clock::now()) {
  TApplication* app = Application();
  FClockBase = app->Clock();
  app->SetWindowService(this);
  app->SetCursorService(this);
  app->SetHintService(this);
  app->SetWaitHook([] {
    if (!gHost) return false;
    gHost->Tick();
    Fl::wait(0.5);
    gHost->Tick();
    return gHost->AnyShown();
  });
  Fl::add_check(CheckCb, this);
}

FltkHost::~FltkHost() {
  Fl::remove_check(CheckCb, this);
  Fl::remove_timeout(TimerCb, this);
  Fl::remove_timeout(HintCb, this);
  if (TApplication* app = Application()) {
    app->SetWindowService(nullptr);
    app->SetCursorService(nullptr);
    app->SetHintService(nullptr);
    app->SetWaitHook(nullptr);
  }
  CloseAll();
  if (FHintWin) FHintWin->hide();
}

void FltkHost::CloseAll() {
  for (auto& w : FWindows) w.second->hide();
  FWindows.clear();
  FLastInput = nullptr;
}

FormWindow* FltkHost::WindowOf(TWinControl* c) const {
  auto it = FWindows.find(c);
  return it == FWindows.end() || !it->second->Alive() ? nullptr : it->second.get();
}

bool FltkHost::AnyShown() const {
  for (auto& w : FWindows)
    if (w.second->Alive() && w.second->shown()) return true;
  return false;
}

void FltkHost::WindowShown(TWinControl* c) {
  DropDead();
  auto it = FWindows.find(c);
  if (it == FWindows.end()) it = FWindows.emplace(c, std::make_unique<FormWindow>(c)).first;
  FormWindow* w = it->second.get();
  auto* f = dynamic_cast<TForm*>(c);
  if (f && f->Modal())
    w->set_modal();
  else
    w->set_non_modal();
  w->MarkDirty();
  w->Sync();
  w->show();
  w->MarkDirty();
}

void FltkHost::WindowHidden(TWinControl* c) {
  if (FormWindow* w = WindowOf(c)) w->hide();
}

void FltkHost::WindowInvalidated(TWinControl* c) {
  if (FormWindow* w = WindowOf(c)) w->MarkDirty();
}

void FltkHost::DropDead() {
  for (auto it = FWindows.begin(); it != FWindows.end();) {
    if (!it->second->Alive()) {
      if (FLastInput == it->second.get()) FLastInput = nullptr;
      it->second->hide();
      // The toolkit may still be inside this window's handler: delete it later.
      Fl::delete_widget(it->second.release());
      it = FWindows.erase(it);
    } else {
      ++it;
    }
  }
}

void FltkHost::Catchup() {
  TApplication* app = Application();
  if (!app) return;
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - FStart).count();
  uint64_t now = FClockBase + uint64_t(ms);
  if (now > app->Clock()) app->AdvanceClock(now - app->Clock());
}

bool FltkHost::IsDoubleClick(TMouseButton b, int X, int Y) {
  // The server's time stamps, so that a busy program does not turn a double
  // click into two single ones.
  unsigned long now = EventTime();
  bool dbl = FHavePress && b == FPressButton && std::abs(X - FPressX) <= DoubleClickDistance &&
             std::abs(Y - FPressY) <= DoubleClickDistance && now - FPressTime <= DoubleClickTime;
  FHavePress = !dbl;
  FPressButton = b;
  FPressX = X;
  FPressY = Y;
  FPressTime = now;
  return dbl;
}

void FltkHost::Tick() {
  TApplication* app = Application();
  if (!app) return;
  if (Trace()) std::fprintf(stderr, "zolhost: tick%s\n", FInSync ? " (nested)" : "");
  Catchup();
  app->ProcessMessages();
  DropDead();
  if (!FInSync) {
    // Painting runs no event loop; the guard keeps a handler that does from nesting.
    FInSync = true;
    try {
      std::vector<FormWindow*> ws;
      for (auto& w : FWindows) ws.push_back(w.second.get());
      for (FormWindow* w : ws) w->Sync();
      // Show the changes now: the toolkit would flush only when it next wakes up.
      Fl::flush();
    } catch (...) {
      FInSync = false;
      throw;
    }
    FInSync = false;
  }
  Fl::remove_timeout(TimerCb, this);
  uint64_t due = app->NextTimerDue();
  if (due != UINT64_MAX) {
    uint64_t now = app->Clock();
    double s = due > now ? double(due - now) / 1000.0 : 0.0;
    Fl::add_timeout(s, TimerCb, this);
  }
}

void FltkHost::ShowCursor(TCursor c) {
  FCursor = c;
  FormWindow* w = FLastInput;
  if (w && w->Alive() && w->shown()) ApplyCursor(w);
}

void FltkHost::ApplyCursor(FormWindow* w) {
  if (FCursor > 0) {
    auto it = FCursorImages.find(FCursor);
    if (it == FCursorImages.end()) {
      std::unique_ptr<Fl_RGB_Image> img;
      TBitmap b;
      std::string name = Screen() ? Screen()->Cursors(FCursor) : std::string();
      if (!name.empty() && b.LoadFromResourceName(name) && b.Width() > 0) {
        // Fuchsia is the transparent background of the built-in images.
        int W = b.Width(), H = b.Height();
        auto* data = new uint8_t[size_t(W) * size_t(H) * 4];
        for (int y = 0; y < H; ++y)
          for (int x = 0; x < W; ++x) {
            uint32_t p = b.ScanLine(y)[x];
            uint8_t* d = data + (size_t(y) * W + x) * 4;
            d[0] = uint8_t(p >> 16);
            d[1] = uint8_t(p >> 8);
            d[2] = uint8_t(p);
            d[3] = (p & 0xFFFFFF) == 0xFF00FF ? 0 : 255;
          }
        img = std::make_unique<Fl_RGB_Image>(data, W, H, 4);
        img->alloc_array = 1;
      }
      it = FCursorImages.emplace(FCursor, std::move(img)).first;
    }
    if (it->second) {
      w->cursor(it->second.get(), it->second->w() / 2, it->second->h() / 2);
      return;
    }
  }
  w->cursor(static_cast<Fl_Cursor>(StandardCursorOf(FCursor)));
}

// ---- hints: a small borderless window drawn with the suite's canvas
class HintWindow : public Fl_Menu_Window {
 public:
  HintWindow(TBitmap& pic) : Fl_Menu_Window(0, 0, 1, 1), FPic(pic) {
    end();
    set_override();
    clear_border();
  }
  void draw() override {
    std::vector<uint8_t> rgb;
    TRect r(0, 0, FPic.Width(), FPic.Height());
    ToRGB(FPic.Bits(), FPic.Width(), r, rgb);
    if (!rgb.empty()) fl_draw_image(rgb.data(), 0, 0, r.Width(), r.Height(), 3, r.Width() * 3);
  }

 private:
  TBitmap& FPic;
};

void FltkHost::ActivateHint(TControl*, const std::string& Text, TPoint ScreenPos) {
  FHintText = Text;
  FHintPos = ScreenPos;
  Fl::remove_timeout(HintCb, this);
  if (FHintWin) FHintWin->hide();
  Fl::add_timeout(0.5, HintCb, this);
}

void FltkHost::CancelHint() {
  Fl::remove_timeout(HintCb, this);
  FHintText.clear();
  if (FHintWin) FHintWin->hide();
}

void FltkHost::HintCb(void* p) {
  auto* h = static_cast<FltkHost*>(p);
  if (h->FHintText.empty()) return;
  TBitmap& b = h->FHintPicture;
  b.SetSize(1, 1);
  TCanvas& c = b.Canvas();
  c.Font().SetName("Tahoma");
  c.Font().SetSize(8);
  int tw = c.TextWidth(h->FHintText), th = c.TextHeight(h->FHintText);
  b.SetSize(tw + 8, th + 4);
  TCanvas& cv = b.Canvas();
  cv.Brush().SetStyle(bsSolid);
  cv.Brush().SetColor(clInfoBk);
  cv.Pen().SetColor(clInfoText);
  cv.Rectangle(0, 0, b.Width(), b.Height());
  cv.Font().SetName("Tahoma");
  cv.Font().SetSize(8);
  cv.Font().SetColor(clInfoText);
  cv.Brush().SetStyle(bsClear);
  cv.TextOut(4, 2, h->FHintText);
  if (!h->FHintWin) h->FHintWin = std::make_unique<HintWindow>(b);
  h->FHintWin->resize(h->FHintPos.X, h->FHintPos.Y + 20, b.Width(), b.Height());
  h->FHintWin->show();
  h->FHintWin->redraw();
}

}  // namespace

// ---- public entry points
bool UseFltkHost(std::string* Why) {
  if (gHost) return true;
  if (!OpenDisplay(Why)) return false;
  Fl::visual(FL_RGB);
  Fl::scheme("none");
  gHostOwner = std::make_unique<FltkHost>();
  gHost = gHostOwner.get();
  gDialogs = std::make_unique<TFltkDialogs>();
  TApplication* app = Application();
  app->SetMessageBoxService(gDialogs.get());
  app->SetFileDialogService(gDialogs.get());
  app->SetPopupMenuService(gDialogs.get());
  InstallFltkClipboard();
  // Leave before the application object goes at exit.
  static bool atExit = false;
  if (!atExit) {
    atExit = true;
    std::atexit([] { ShutdownFltkHost(); });
  }
  return true;
}

bool FltkHostActive() { return gHost != nullptr; }

int RunFltkHost() {
  if (!gHost) return 0;
  TApplication* app = Application();
  gHost->Tick();
  while (app && !app->Terminated() && gHost->AnyShown()) {
    Fl::wait(1.0);
    gHost->Tick();
  }
  return 0;
}

void FltkHostProcessEvents() {
  if (!gHost) return;
  gHost->Tick();
  Fl::check();
  gHost->Tick();
  Fl::flush();
}

void ShutdownFltkHost() {
  if (!gHost) return;
  if (TApplication* app = Application()) {
    app->SetMessageBoxService(nullptr);
    app->SetFileDialogService(nullptr);
    app->SetPopupMenuService(nullptr);
  }
  RemoveFltkClipboard();
  gDialogs.reset();
  gHost = nullptr;
  gHostOwner.reset();
  Fl::flush();
}

bool FltkWindowOrigin(TWinControl* Window, int& X, int& Y) {
  if (!gHost) return false;
  FormWindow* w = gHost->WindowOf(Window);
  if (!w || !w->shown()) return false;
  X = w->x_root();
  Y = w->y_root();
  return true;
}

}  // namespace zol
