// Platform services: forms, the screen and the application host.
//
// TApplication is the host of the controls.  It keeps the message queue,
// routes mouse input to the topmost visible, enabled control under the
// pointer (with capture between press and release and enter/leave
// tracking), sends keys to the focused control, repaints invalidated
// controls, runs the timers on its clock, and reaches the user through small
// services: message boxes, popup menus, file dialogs, hints and the cursor.
//
// The host in this library is headless: tests (or a window host) post
// synthetic input with Post…, run ProcessMessages, advance the clock with
// AdvanceClock, and script the answers of message boxes, popup menus and
// file dialogs.  A window host replaces the services (Set…Service) and feeds
// real input through the same Dispatch… calls; the controls do not change.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_dialogs.h"
#include "base/platform/Zol_extctrls.h"
#include "base/platform/Zol_menus.h"

namespace zol {

class TForm;
class TScreen;
class TApplication;

// The screen and the application host (created on first use; freed at exit).
TScreen* Screen();
TApplication* Application();

// ---------------------------------------------------------------- TForm
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// A top-level window.  Created hidden (Visible false), 320 × 240 pixels.
class TForm : public TCustomControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  // The control that has (or gets, when the form is shown) the focus.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* c);
  // With KeyPreview the form sees every key before the focused control.
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool v) { FKeyPreview = v; }
  int PixelsPerInch() const { return 96; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  // True while ShowModal runs for this form.
  bool Modal() const { return FModal; }

  // Asks OnCloseQuery, then OnClose; hides the form (caHide), frees it later
  // (caFree, see Release) or leaves it (caNone).
  void Close();
  bool CloseQuery();
  // Frees the form when the host next processes its messages.
  void Release();
  // Shows the form and processes messages until ModalResult is set, the
  // form is hidden or (headless) the message queue runs dry; answers ModalResult.
  TModalResult ShowModal();

  TNotifyEvent OnShow, OnHide, OnActivate, OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void VisibleChanged() override;

 private:
  friend class TApplication;
  std::string FCaption;
  TWinControl* FActiveControl = nullptr;
  bool FKeyPreview = false;
  TModalResult FModalResult = mrNone;
  bool FModal = false;
};

// ---------------------------------------------------------------- TScreen
class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  int PixelsPerInch() const { return 96; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The headless screen is 1920 × 1080 pixels unless set otherwise.
  void SetSize(int w, int h);
  TRect WorkAreaRect() const { return Rect(0, 0, FWidth, FHeight); }
  // The installed font families (sorted, each once).
  const TStringList& Fonts();
  // A cursor other than crDefault overrides every control's cursor.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v);
  // Registered cursor shapes: positive numbers name application cursors.
  std::string Cursors(TCursor id) const;  // empty when not registered
  void SetCursors(TCursor id, const std::string& Name);
  // The focused control and its form.
  TWinControl* ActiveControl() const;
  TForm* ActiveForm() const;
  int FormCount() const { return static_cast<int>(FForms.size()); }
  TForm* Forms(int index) const;  // nullptr out of range

  TNotifyEvent OnActiveControlChange;

 private:
  friend class TForm;
  friend class TApplication;
  int FWidth = 1920, FHeight = 1080;
  TCursor FCursor = crDefault;
  std::unique_ptr<TStringList> FFonts;
  std::vector<std::pair<TCursor, std::string>> FCursors;
  std::vector<TForm*> FForms;
};

// ---------------------------------------------------------------- host services
// Hints: shown while the pointer rests on a control with ShowHint and a hint.
class THintService {
 public:
  virtual ~THintService() = default;
  virtual void ActivateHint(TControl* Control, const std::string& Text, TPoint ScreenPos) = 0;
  virtual void CancelHint() = 0;
};

// The mouse cursor shown.
class TCursorService {
 public:
  virtual ~TCursorService() = default;
  virtual void ShowCursor(TCursor Cursor) = 0;
};

// What a window host is told about top-level windows.  The headless host needs none.
class TWindowService {
 public:
  virtual ~TWindowService() = default;
  virtual void WindowShown(TWinControl* Window) = 0;
  virtual void WindowHidden(TWinControl* Window) = 0;
  // A control of Window needs painting; the host calls ProcessMessages (or
  // paints the window with PaintTo) soon.
  virtual void WindowInvalidated(TWinControl* Window) = 0;
};

// ---------------------------------------------------------------- headless records
struct TMessageBoxRecord {
  TMessageBoxRequest Request;
  TModalResult Result = mrNone;
};

struct TPopupRecord {
  TPopupMenu* Menu = nullptr;  // may dangle once the menu is freed; compare only
  int X = 0, Y = 0;
  std::vector<std::string> Captions;  // stripped captions of the visible top-level items
  std::string Chosen;                 // stripped caption of the clicked item ("" for none)
};

struct TFileDialogRecord {
  TFileDialogRequest Request;
  TFileDialogResult Result;
};

// ---------------------------------------------------------------- TApplication
class TApplication : public TComponent,
                     public TMessageBoxService,
                     public TPopupMenuService,
                     public TFileDialogService,
                     public THintService,
                     public TCursorService {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v) { FTitle = v; }
  // Hints of all controls on or off.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);

  // ---- messages
  // Dispatches every queued event, frees released forms and repaints the
  // invalidated controls that are showing.
  void ProcessMessages();
  // Dispatches one queued event (and repaints); false when the queue was
  // empty.  Modal loops run `while (!done && Application()->HandleMessage()) {}`.
  bool HandleMessage();
  bool QueueEmpty() const { return FQueue.empty(); }
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }

  // ---- clock and timers
  // Milliseconds on the host clock (starts at 0).
  uint64_t Clock() const { return FClock; }
  // Moves the clock forward by ms, firing every timer that falls due on the
  // way, in time order (timers due at the same time in the order they were
  // started); after each firing the messages are processed.
  void AdvanceClock(uint64_t ms);
  int TimerCount() const { return static_cast<int>(FTimers.size()); }
  // The host time at which the next running timer falls due (UINT64_MAX when none runs).
  uint64_t NextTimerDue() const;

  // ---- waiting (window hosts)
  // A window host installs a hook that waits for real input and dispatches
  // it; HandleMessage calls it when the queue is empty and answers its
  // result (false ends modal loops).  Without a hook (headless) an empty
  // queue answers false at once.
  void SetWaitHook(std::function<bool()> Hook) { FWaitHook = std::move(Hook); }

  // ---- synthetic input (queued; ProcessMessages dispatches it)
  // Window is a top-level control (a form); X, Y are its client coordinates.
  void PostMouseDown(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X, int Y);
  void PostMouseMove(TWinControl* Window, TShiftState Shift, int X, int Y);
  void PostMouseUp(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X, int Y);
  // The second press of a double click: DblClick, then MouseDown with ssDouble.
  void PostDblClick(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X, int Y);
  void PostMouseWheel(TWinControl* Window, TShiftState Shift, int WheelDelta, int X, int Y);
  // The pointer left the window.
  void PostMouseExit(TWinControl* Window);
  void PostKeyDown(uint16_t Key, TShiftState Shift = 0);
  void PostKeyUp(uint16_t Key, TShiftState Shift = 0);
  // One typed character (a byte) or text (UTF-8, one event per character).
  void PostKeyPress(char Key);
  void PostText(const std::string& Utf8);
  void PostFocus(TWinControl* Control);
  // Convenience sequences: move, press and release (Click); press, release,
  // double press and release (DoubleClick); key down, its character for
  // Return, Escape, Back, Tab and Space, key up (PressKey).
  void Click(TWinControl* Window, int X, int Y, TMouseButton Button = mbLeft, TShiftState Shift = 0);
  void DoubleClick(TWinControl* Window, int X, int Y, TMouseButton Button = mbLeft, TShiftState Shift = 0);
  void PressKey(uint16_t Key, TShiftState Shift = 0);

  // ---- direct dispatch (what a window host calls for real input)
  void DispatchMouseDown(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X, int Y,
                         bool Double = false);
  void DispatchMouseMove(TWinControl* Window, TShiftState Shift, int X, int Y);
  void DispatchMouseUp(TWinControl* Window, TMouseButton Button, TShiftState Shift, int X, int Y);
  void DispatchMouseWheel(TWinControl* Window, TShiftState Shift, int WheelDelta, int X, int Y);
  void DispatchMouseExit(TWinControl* Window);
  void DispatchKeyDown(uint16_t Key, TShiftState Shift);
  void DispatchKeyUp(uint16_t Key, TShiftState Shift);
  void DispatchText(const std::string& Utf8Char);
  // Repaints every invalidated control that is showing.
  void PaintInvalidated();

  // ---- host state
  TWinControl* FocusedControl() const { return FFocused; }
  TControl* CaptureControl() const { return FCapture; }
  void SetCaptureControl(TControl* c);
  TControl* HoverControl() const { return FHover; }
  // The last pointer position the host saw, in screen coordinates.
  TPoint CursorPos() const { return FMouseScreen; }
  // The key target: the focused control, else the active form.
  TWinControl* KeyTarget() const;
  // Focus change (used by TWinControl::SetFocus): DoExit on the old control, DoEnter on the new.
  void FocusControl(TWinControl* c);
  // The last shown form that is still showing.
  TForm* ActiveForm() const;
  // Total number of Paint calls since start.
  int64_t PaintCount() const { return FPaintCount; }

  // ---- services (nullptr restores the headless one)
  TMessageBoxService* MessageBoxService() const { return FMsgService; }
  void SetMessageBoxService(TMessageBoxService* s) { FMsgService = s ? s : this; }
  TPopupMenuService* PopupMenuService() const { return FPopupService; }
  void SetPopupMenuService(TPopupMenuService* s) { FPopupService = s ? s : this; }
  TFileDialogService* FileDialogService() const { return FFileService; }
  void SetFileDialogService(TFileDialogService* s) { FFileService = s ? s : this; }
  THintService* HintService() const { return FHintService; }
  void SetHintService(THintService* s) { FHintService = s ? s : this; }
  TCursorService* CursorService() const { return FCursorService; }
  void SetCursorService(TCursorService* s) { FCursorService = s ? s : this; }
  TWindowService* WindowService() const { return FWindowService; }
  void SetWindowService(TWindowService* s) { FWindowService = s; }

  // ---- headless services: scripts and records
  // Message boxes answer the queued results in order; with an empty script a
  // box answers mrOk when it has an OK button, otherwise the most cautious
  // button it offers (Cancel, No, Abort, Close, Ignore, then the first).
  void QueueMessageBoxAnswer(TModalResult r) { FMsgAnswers.push_back(r); }
  const std::vector<TMessageBoxRecord>& MessageBoxes() const { return FMsgLog; }
  // Popup menus: the next menu clicks the item with this stripped caption
  // (searched at every depth), or the given item, or nothing.  A disabled,
  // hidden or unknown item is not clicked.  With an empty script nothing is chosen.
  void QueuePopupAnswer(const std::string& Caption);
  void QueuePopupAnswer(TMenuItem* Item);
  void QueuePopupNone();
  const std::vector<TPopupRecord>& Popups() const { return FPopupLog; }
  // File dialogs: the next dialog accepts these names (relative names are
  // taken in the dialog's InitialDir) or is cancelled (with an optional error code).
  void QueueFileDialogAnswer(const std::string& FileName);
  void QueueFileDialogAnswer(const std::vector<std::string>& FileNames);
  void QueueFileDialogCancel(int ErrorCode = 0);
  const std::vector<TFileDialogRecord>& FileDialogs() const { return FFileLog; }
  // Hints and cursor as the headless host shows them.
  const std::string& CurrentHint() const { return FCurrentHint; }
  TControl* HintControl() const { return FHintControl; }
  int HintActivations() const { return FHintActivations; }
  TCursor CurrentCursor() const { return FCurrentCursor; }
  // Clears the queue, the scripts and the records, capture, hover and the hint.
  void ResetHeadless();

  // ---- service implementations of the headless host
  TModalResult ShowMessageBox(const TMessageBoxRequest& Request) override;
  TMenuItem* ShowPopup(TPopupMenu& Menu, int X, int Y) override;
  TFileDialogResult RunFileDialog(const TFileDialogRequest& Request) override;
  void ActivateHint(TControl* Control, const std::string& Text, TPoint ScreenPos) override;
  void CancelHint() override;
  void ShowCursor(TCursor Cursor) override;

  // ---- notifications from controls, timers and forms
  void ControlDestroying(TControl* c);
  // Drops focus, capture, hover and hint references inside root (no events).
  void ForgetSubtree(TControl* root);
  void ControlInvalidated(TControl* c);
  void ControlStateChanged(TControl* c);  // visibility, enabled state or parent changed
  void ControlHintChanged(TControl* c);
  void ControlCursorChanged(TControl* c);
  void TopLevelChanged(TWinControl* c, bool isTopLevel);
  void ComponentPainted() { ++FPaintCount; }
  void TimerChanged(TTimer* t);
  void TimerDestroying(TTimer* t);
  void FormShown(TForm* f);
  void FormHidden(TForm* f);
  void ReleaseForm(TForm* f);
  void MenuDestroying(TComponent* m);

 private:
  enum class EvKind { Down, DblDown, Move, Up, Wheel, Exit, KeyDown, KeyUp, Text, Focus };
  struct Event {
    EvKind Kind = EvKind::Move;
    TWinControl* Window = nullptr;
    TMouseButton Button = mbLeft;
    TShiftState Shift = 0;
    int X = 0, Y = 0, Delta = 0;
    uint16_t Key = 0;
    std::string Text;
  };
  struct PopupAnswer {
    int Kind = 0;  // 0 none, 1 caption, 2 item
    std::string Caption;
    TMenuItem* Item = nullptr;
  };
  struct FileAnswer {
    bool Accept = false;
    std::vector<std::string> Names;
    int Error = 0;
  };
  void Dispatch(const Event& e);
  void FreeReleased();
  TControl* HitTest(TWinControl* Window, int X, int Y) const;
  void SetHover(TControl* c);
  void UpdateCursor();
  void UpdateHint();
  TShiftState ButtonState() const;
  void PaintTree(TControl* c);
  void ForgetTimer(TTimer* t);

  std::string FTitle = "Application";
  bool FShowHint = true;
  bool FTerminated = false;
  std::deque<Event> FQueue;
  uint64_t FClock = 0;
  uint64_t FTimerSeq = 0;
  std::vector<TTimer*> FTimers;
  std::vector<TWinControl*> FTopLevels;
  std::vector<TForm*> FReleased;
  std::vector<TForm*> FShownOrder;
  TWinControl* FFocused = nullptr;
  uint64_t FFocusRequests = 0;
  TControl* FCapture = nullptr;
  TControl* FHover = nullptr;
  TControl* FClickCandidate = nullptr;
  unsigned FButtons = 0;
  TWinControl* FMouseWindow = nullptr;
  TPoint FMouseScreen;
  bool FHintCancelled = false;
  int64_t FPaintCount = 0;
  bool FPainting = false;

  TMessageBoxService* FMsgService;
  TPopupMenuService* FPopupService;
  TFileDialogService* FFileService;
  THintService* FHintService;
  TCursorService* FCursorService;
  TWindowService* FWindowService = nullptr;
  std::function<bool()> FWaitHook;

  std::deque<TModalResult> FMsgAnswers;
  std::vector<TMessageBoxRecord> FMsgLog;
  std::deque<PopupAnswer> FPopupAnswers;
  std::vector<TPopupRecord> FPopupLog;
  std::deque<FileAnswer> FFileAnswers;
  std::vector<TFileDialogRecord> FFileLog;
  std::string FCurrentHint;
  TControl* FHintControl = nullptr;
  int FHintActivations = 0;
  TCursor FCurrentCursor = crDefault;
};

}  // namespace zol
