// Platform services: visual controls.
//
// TControl is the base of everything that has bounds on a form: position,
// size, visibility, enabled state, colour, font, cursor, hint, the repaint
// request and the mouse and keyboard handlers.  TWinControl adds a window
// (created once, by CreateWnd), a list of child controls, keyboard focus and
// the tab order.  TGraphicControl is a light-weight control without a window
// that paints over its parent's surface; TCustomControl is a windowed control
// with its own Canvas and a Paint method.
//
// Every control keeps an off-screen surface of its own size; Paint draws on
// it through Canvas().  The host (TApplication, Zol_forms) repaints the
// controls that were invalidated and that are showing when it processes its
// messages, and PaintTo / PaintToBitmap compose a control and its children
// into a picture.  Mouse and keyboard input reach the controls only through
// the host, which routes it, tracks capture, hover and focus, and shows hints
// and cursors.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_graphics.h"

namespace zol {

class TWinControl;
class TPopupMenu;

// Raised for an operation that is not allowed in the control's state
// ("Cannot focus a disabled or invisible window", "A control cannot be its own parent").
class EInvalidOperation : public Exception { using Exception::Exception; };

// ---------------------------------------------------------------- input vocabulary
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Keyboard and mouse state that accompanies an input event (bit set).
using TShiftState = unsigned;
enum : TShiftState {
  ssShift = 0x01,
  ssAlt = 0x02,
  ssCtrl = 0x04,
  ssLeft = 0x08,    // left button held
  ssRight = 0x10,   // right button held
  ssMiddle = 0x20,  // middle button held
  ssDouble = 0x40,  // the press of a double click
};

// Mouse cursors: the standard shapes have negative numbers; applications and
// components register their own shapes under positive numbers (TScreen::SetCursors).
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9,
                  crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                  crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17,
                  crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22, crSize = -22;

// Virtual key codes (KeyDown / KeyUp).  Letters and digits use their upper-case
// ASCII codes ('A'..'Z', '0'..'9').
constexpr uint16_t VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04,
                   VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D,
                   VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13,
                   VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21,
                   VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
                   VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29, VK_PRINT = 0x2A,
                   VK_EXECUTE = 0x2B, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
                   VK_HELP = 0x2F, VK_NUMPAD0 = 0x60, VK_NUMPAD1 = 0x61, VK_NUMPAD2 = 0x62,
                   VK_NUMPAD3 = 0x63, VK_NUMPAD4 = 0x64, VK_NUMPAD5 = 0x65, VK_NUMPAD6 = 0x66,
                   VK_NUMPAD7 = 0x67, VK_NUMPAD8 = 0x68, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A,
                   VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
                   VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73,
                   VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76, VK_F8 = 0x77, VK_F9 = 0x78,
                   VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_NUMLOCK = 0x90,
                   VK_SCROLL = 0x91;

// Placement of a control inside its parent's client area.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// Whether a press starts dragging the control (stored for the controls that publish it).
enum TDragMode { dmManual, dmAutomatic };

// ---------------------------------------------------------------- events
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// MousePos is in the client coordinates of the control that receives the wheel.
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
// One typed character as UTF-8 (one to four bytes); the handler may replace
// it, or clear it to swallow the character.
using TKeyPressTextEvent = std::function<void(TObject* Sender, std::string& Text)>;

// One wheel notch.
constexpr int WHEEL_DELTA = 120;

// ---------------------------------------------------------------- TControl
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // Parent: the windowed control whose client area holds this control.
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  // Bounds, in the parent's client coordinates (screen coordinates for a
  // control without a parent).
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  // Negative sizes are taken as 0.  A change of size fires Resize/OnResize
  // and repaints; the children of a windowed control are realigned.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // The client area: (0, 0, Width, Height); controls here have no borders.
  virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  void SetClientWidth(int v) { SetWidth(v); }
  void SetClientHeight(int v) { SetHeight(v); }
  // Screen position of the client area's top-left corner and conversions.
  TPoint ClientOrigin() const;
  TPoint ClientToScreen(const TPoint& p) const;
  TPoint ScreenToClient(const TPoint& p) const;
  // Converts a point of this control's client area into the client area of
  // another control of the same window tree (or the screen, when nullptr).
  TPoint ClientToParent(const TPoint& p, TWinControl* AParent = nullptr) const;

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign v);

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent visible up to a top-level control that is
  // shown: a visible form, or a windowed control without a parent whose
  // window exists (HandleNeeded).
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool v);
  // Enabled, and every parent enabled.
  bool IsEnabledChain() const;

  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool v);
  // The control's font; changing it clears ParentFont and repaints.
  TFont& Font() { return *FFont; }
  const TFont& Font() const { return *FFont; }
  void SetFont(const TFont& f) { FFont->Assign(f); }
  // With ParentFont the font follows the parent's font.
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool v);

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v);
  // With ParentShowHint (the default) ShowHint follows the parent; setting
  // ShowHint clears ParentShowHint.
  bool ShowHint() const;
  void SetShowHint(bool v);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool v);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* m);
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode v) { FDragMode = v; }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor v) { FDragCursor = v; }

  // Repainting.  Invalidate marks the control for repainting by the host's
  // next ProcessMessages; Update paints it now when it is marked and showing;
  // Repaint and Refresh do both.
  virtual void Invalidate();
  void Update();
  void Repaint();
  void Refresh() { Repaint(); }
  bool NeedsPaint() const { return FInvalid; }
  // Number of times the control was painted (Paint called).
  int PaintCount() const { return FPaintCount; }

  // Renders the control and its children onto Canvas with the top-left corner at (X, Y).
  void PaintTo(TCanvas& Canvas, int X, int Y);
  // The control and its children as a new bitmap of the control's size.
  std::unique_ptr<TBitmap> PaintToBitmap();

  // Windowed controls answer true (TWinControl).
  virtual bool IsWindowed() const { return false; }
  // Control order among the parent's children: BringToFront paints last (on top).
  void BringToFront();
  void SendToBack();

  // Mouse capture: the captured control receives every mouse event until released.
  bool MouseCapture() const;
  void SetMouseCapture(bool v);
  // True while the mouse pointer is over the control (tracked by the host).
  bool MouseInClient() const;

  // Sends the control a message the way the host dispatches input; used by
  // the host and by compound controls that forward their input.
  void DispatchMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) { MouseDown(Button, Shift, X, Y); }
  void DispatchMouseMove(TShiftState Shift, int X, int Y) { MouseMove(Shift, X, Y); }
  void DispatchMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) { MouseUp(Button, Shift, X, Y); }
  bool DispatchMouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) { return MouseWheel(Shift, WheelDelta, X, Y); }
  void DispatchClick() { Click(); }
  void DispatchDblClick() { DblClick(); }
  void DispatchMouseEnter() { MouseEnter(); }
  void DispatchMouseLeave() { MouseLeave(); }
  void DispatchKeyDown(uint16_t& Key, TShiftState Shift) { KeyDown(Key, Shift); }
  void DispatchKeyUp(uint16_t& Key, TShiftState Shift) { KeyUp(Key, Shift); }
  void DispatchKeyPressText(std::string& Text) { KeyPressText(Text); }
  void DispatchEnter() { DoEnter(); }
  // Return and Escape that the focused control left unused are offered to the
  // controls of its form (default and cancel buttons); true takes the key.
  // A windowed control offers them to its visible, enabled children.
  virtual bool DialogKey(uint16_t Key, TShiftState Shift);
  void DispatchExit() { DoExit(); }
  // Runs Paint on the control's surface now (counts as a paint).
  void PaintNow();

  // Events (sender first).
  TNotifyEvent OnClick, OnDblClick, OnResize, OnPaint;
  TNotifyEvent OnMouseEnter, OnMouseLeave;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelUp, OnMouseWheelDown;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TKeyPressTextEvent OnKeyPressText;
  TNotifyEvent OnEnter, OnExit;

  // A token that expires when the control is destroyed; the host keeps a
  // weak copy while it calls into handlers that may free the control.
  std::weak_ptr<int> LifeToken() const { return FLife; }

 protected:
  // Handlers: the default versions fire the matching events.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Click();
  virtual void DblClick();
  // Answers whether the wheel was handled; an unhandled wheel goes to the parent.
  // Fires OnMouseWheel, then OnMouseWheelDown (delta < 0) or OnMouseWheelUp.
  virtual bool MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // Keys reach the focused windowed control.  Setting Key to 0 consumes it.
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  // KeyPress receives single-byte (ASCII) characters; KeyPressText receives
  // every typed character as UTF-8 and, for a one-byte character, calls
  // KeyPress.  Override KeyPressText to accept non-ASCII text.
  virtual void KeyPress(char& Key);
  virtual void KeyPressText(std::string& Text);
  virtual void DoEnter();
  virtual void DoExit();
  // Draws the control on Canvas(); the default fills the client area with
  // Color and fires OnPaint.
  virtual void Paint();
  // Called after the size changed; fires OnResize.
  virtual void Resize();
  // Font, colour and enabled state changed.
  virtual void FontChanged();
  virtual void EnabledChanged();
  virtual void VisibleChanged();
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The drawing surface (created on first use, the control's size).
  TCanvas& SurfaceCanvas();
  TBitmap& Surface();
  // Prepares the surface before Paint (a graphic control starts from the
  // parent's pixels).
  virtual void PrepareSurface();
  void ParentFontChanged();
  void ParentColorChanged();
  void ParentShowHintChanged();

 private:
  friend class TWinControl;
  friend class TGraphicControl;
  friend class TForm;
  friend class TApplication;
  void FontChangeHandler();
  void HintStateChanged();
  void ComposeInto(TBitmap& Target);

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  bool FVisible = true, FEnabled = true;
  TColor FColor = clBtnFace;
  bool FParentColor = false;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FAssigningParentFont = false;
  TCursor FCursor = crDefault;
  std::string FHint;
  bool FShowHint = false, FParentShowHint = true;
  TPopupMenu* FPopupMenu = nullptr;
  TDragMode FDragMode = dmManual;
  TCursor FDragCursor = crDrag;
  bool FInvalid = true;
  bool FEverPainted = false;
  int FPaintCount = 0;
  std::unique_ptr<TBitmap> FSurface;
  std::shared_ptr<int> FLife = std::make_shared<int>(0);
};

// ---------------------------------------------------------------- TWinControl
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  // Frees the child controls first (whoever owns them).
  ~TWinControl() override;

  bool IsWindowed() const override { return true; }
  bool DialogKey(uint16_t Key, TShiftState Shift) override;

  // Children in painting order (windowed children paint over graphic ones).
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const;  // nullptr when out of range
  bool ContainsControl(const TControl* c) const;  // c is this or a descendant
  // The topmost visible, enabled child under a client point (nullptr for none);
  // with AllLevels the search descends into windowed children.
  TControl* ControlAtPos(const TPoint& p, bool AllowDisabled = false, bool AllLevels = false) const;
  // Lays out the children with an alignment (alTop, alBottom, alLeft, alRight, alClient).
  void Realign();
  void DisableAlign() { ++FAlignLock; }
  void EnableAlign();

  // The window.  It is created once: when the control gets a parent that is
  // showing, when its top-level control is shown, or by HandleNeeded.
  bool HandleAllocated() const { return FHandleAllocated; }
  void HandleNeeded();

  // Focus.
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool v) { FTabStop = v; }
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int v);
  virtual bool CanFocus() const;
  // Raises EInvalidOperation when the control cannot take the focus.
  virtual void SetFocus();
  bool Focused() const;
  // Moves the focus to the next (or previous) tab stop after CurControl inside this control.
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop = true);
  // The focusable tab stops inside this control, in tab order.
  std::vector<TWinControl*> TabList(bool CheckTabStop = true) const;

 protected:
  // Creates the window; called once.  Descendants that override it call the inherited version.
  virtual void CreateWnd();
  void Resize() override;
  void VisibleChanged() override;
  void FontChanged() override;
  void EnabledChanged() override;
  // Called when the control's showing state may have changed: creates the
  // window of every showing windowed descendant.
  void UpdateShowing();

 private:
  friend class TControl;
  friend class TApplication;
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void AlignControls();
  void CollectTabs(std::vector<TWinControl*>& out, bool CheckTabStop) const;

  std::vector<TControl*> FControls;
  bool FHandleAllocated = false;
  bool FTabStop = false;
  int FTabOrder = -1;
  int FAlignLock = 0;
  bool FAligning = false;
};

// ---------------------------------------------------------------- TGraphicControl
// A control without a window: it paints over its parent's surface (its own
// surface starts as a copy of the parent's pixels under it) and never takes the focus.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  TCanvas& Canvas() { return SurfaceCanvas(); }

 protected:
  void PrepareSurface() override;
};

// ---------------------------------------------------------------- TCustomControl
// A windowed control with its own drawing surface.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  TCanvas& Canvas() { return SurfaceCanvas(); }
};

}  // namespace zol
