// Platform services: the standard controls.
//
// Edit field, memo, label, push button, check box, radio button, panel, list
// box, combo box, speed button, scroll bar and date-time picker, drawn through
// the canvas in the classic 3D look and driven by the host's mouse and
// keyboard events like every control.
//
// Drawing rules shared by the controls (colours are the system palette's):
// - Frame3D(r, TopLeft, BottomRight, w) paints w nested 1-pixel frames: the
//   top row (Left..Right−2) and left column (Top..Bottom−2) in TopLeft, the
//   bottom row (Left..Right−1) and right column (Top..Bottom−1) in BottomRight,
//   and shrinks r by one pixel on every side per frame.
// - A raised button: Frame3D(clBtnHighlight, cl3DDkShadow), then
//   Frame3D(cl3DLight, clBtnShadow); pressed: Frame3D(cl3DDkShadow,
//   clBtnHighlight), then Frame3D(clBtnShadow, cl3DLight) and the face
//   contents moved one pixel right and down.  A default (or focused) push
//   button first gets a 1-pixel clWindowFrame frame around the whole button.
// - A sunken field (edit, list box, combo box, memo, check box square):
//   Frame3D(clBtnShadow, clBtnHighlight), then Frame3D(cl3DDkShadow, cl3DLight);
//   the inside is clWindow (clBtnFace while disabled or read-only for boxes).
// - The focus rectangle inverts every second pixel of a 1-pixel frame (the
//   pixels where x + y is even, counted in the control), so drawing it twice
//   restores the picture.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_dialogs.h"
#include "base/platform/Zol_extctrls.h"
#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

class TForm;
class TListBox;

// ---------------------------------------------------------------- drawing helpers
void Frame3D(TCanvas& Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);
// Inverts every second pixel (x + y even) of the 1-pixel frame of Rect.
void DrawFocusRect(TCanvas& Canvas, const TRect& Rect);
// A raised or pressed button face filling Rect (bevels and clBtnFace inside);
// answers the rectangle left inside the bevels.
TRect DrawButtonFace(TCanvas& Canvas, const TRect& Rect, bool Pressed);
// A sunken field frame around Rect, filled with Fill; answers the inside.
TRect DrawSunkenField(TCanvas& Canvas, const TRect& Rect, TColor Fill);
// A small filled triangle (arrow) centred in Rect pointing down (Dir 0),
// up (1), left (2) or right (3), 7 pixels wide at its base.
void DrawArrow(TCanvas& Canvas, const TRect& Rect, int Dir, TColor Color);

// The form a control lies on (nullptr when none).
TForm* GetParentForm(TControl* Control);

enum TBorderStyle { bsNone, bsSingle };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// ---------------------------------------------------------------- TScrollBar
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom,
                   scEndScroll };
using TScrollEvent =
    std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

// The geometry and mouse handling of a scroll bar, shared by TScrollBar and
// by the controls that draw their own bars (list box, memo, grid).  Arrow
// buttons are squares of the bar's thickness at both ends; the thumb's length
// is max(8, track × Page / (Max − Min + 1)) (the track length when the range
// is not larger than the page); its position is proportional to
// (Position − Min) / (Max − Min + 1 − Page).
struct TScrollBarState {
  TScrollBarKind Kind = sbVertical;
  int Min = 0, Max = 100, Position = 0, Page = 0;
  int SmallChange = 1, LargeChange = 1;
  bool Enabled = true;
  // The highest position the thumb can take: Max − max(Page, 1) + 1, at least Min.
  int MaxPos() const;
  // Thumb rectangle inside the bar rectangle R (empty when there is no room).
  TRect ThumbRect(const TRect& R) const;
  void Paint(TCanvas& Canvas, const TRect& R) const;
  // What a press at P (inside R) does: scLineUp/Down on the arrows, scPageUp/Down
  // on the track, scTrack on the thumb; -1 outside.
  int HitTest(const TRect& R, TPoint P) const;
  // The position for the thumb dragged so that its start lies at pixel Offset along the track.
  int PositionAt(const TRect& R, int Offset) const;
};

// Tracks a drag or auto-repeat on a drawn scroll bar; used by the controls
// that own bars.  Press answers whether the bar took the press.
class TScrollBarTracker {
 public:
  // Applies one code to Pos (clamped to Min..MaxPos of State).
  static int Apply(const TScrollBarState& State, int Code, int Pos);
  bool Press(const TScrollBarState& State, const TRect& R, TPoint P, int& NewPos);
  bool Move(const TScrollBarState& State, const TRect& R, TPoint P, int& NewPos);
  void Release() { FTracking = false; }
  bool Tracking() const { return FTracking; }

 private:
  bool FTracking = false;
  int FGrab = 0;
};

class TScrollBar : public TCustomControl {
 public:
  explicit TScrollBar(TComponent* AOwner);
  TScrollBarKind Kind() const { return FState.Kind; }
  void SetKind(TScrollBarKind v);
  int Min() const { return FState.Min; }
  int Max() const { return FState.Max; }
  int Position() const { return FState.Position; }
  int PageSize() const { return FState.Page; }
  void SetMin(int v) { SetParams(FState.Position, v, FState.Max); }
  void SetMax(int v) { SetParams(FState.Position, FState.Min, v); }
  void SetPosition(int v) { SetParams(v, FState.Min, FState.Max); }
  void SetPageSize(int v);
  // Stores Min ≤ Max (Max raised to Min) and the position clamped to the range; OnChange when it moved.
  void SetParams(int APosition, int AMin, int AMax);
  int SmallChange() const { return FState.SmallChange; }
  void SetSmallChange(int v) { FState.SmallChange = v; }
  int LargeChange() const { return FState.LargeChange; }
  void SetLargeChange(int v) { FState.LargeChange = v; }
  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

 private:
  void Scroll(TScrollCode Code, int Pos);
  TScrollBarState FState;
  TScrollBarTracker FTracker;
};

// ---------------------------------------------------------------- text editing
// The text, caret and selection of an edit field (byte positions on UTF-8
// character boundaries).  The anchor is the fixed end of the selection.
struct TEditBuffer {
  std::string Text;
  int Caret = 0, Anchor = 0;
  int SelStart() const { return Caret < Anchor ? Caret : Anchor; }
  int SelLength() const { return Caret < Anchor ? Anchor - Caret : Caret - Anchor; }
  std::string SelText() const { return Text.substr(SelStart(), SelLength()); }
  int PrevChar(int pos) const;
  int NextChar(int pos) const;
  int PrevWord(int pos) const;
  int NextWord(int pos) const;
  int LineStart(int pos) const;  // after the previous '\n'
  int LineEnd(int pos) const;    // at the next '\n' or the end
  // Snaps a position to 0..size on a character boundary.
  int Snap(int pos) const;
  void MoveCaret(int pos, bool Extend);
  // Replaces the selection with s; with MaxLength > 0 the text keeps at most
  // MaxLength bytes (s is cut on a character boundary).  Answers whether the text changed.
  bool Insert(const std::string& s, int MaxLength);
  bool DeleteSelection();
};

// The edit field.  A single-line field shows its text (or PasswordChar per
// character) inside a sunken frame; the text starts 1 pixel right of the
// frame's inside and is centred vertically.  The caret is a 1-pixel line of
// the text's height at the left of the character it stands before, blinking
// every 500 ms on a platform timer while the field has the focus.
class TCustomEdit : public TCustomControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  std::string Text() const { return FBuf.Text; }
  void SetText(const std::string& v);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  // 0: the text shows itself.
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  // With AutoSelect the whole text is selected when the field takes the focus.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool v) { FAutoSelect = v; }
  // With HideSelection the selection shows only while the field has the focus.
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool v);
  bool Modified() const { return FModified; }
  void SetModified(bool v) { FModified = v; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);

  int SelStart() const { return FBuf.SelStart(); }
  void SetSelStart(int v);  // moves the caret there, empty selection
  int SelLength() const { return FBuf.SelLength(); }
  void SetSelLength(int v);  // selects from SelStart
  std::string SelText() const { return FBuf.SelText(); }
  void SetSelText(const std::string& v);  // replaces the selection
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(""); }
  // One level of undo: the text and selection before the last change by the
  // user (typing, deleting, cutting, pasting); Ctrl+Z or Alt+Back.
  bool CanUndo() const { return FHasUndo; }
  void Undo();
  void CutToClipboard();
  void CopyToClipboard();  // a password field copies nothing
  void PasteFromClipboard();
  // The caret as a byte position (the moving end of the selection).
  int CaretPos() const { return FBuf.Caret; }
  // Whether the caret is drawn now (focused, and in the visible half of the blink).
  bool CaretShowing() const;
  // The caret's x in the control and the rectangle the text is drawn in.
  int CaretX();
  virtual TRect TextArea() const;
  // The byte position nearest to the control point x (single line).
  int PositionAt(int X);

  TNotifyEvent OnChange;

 protected:
  void Paint() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPressText(std::string& Text) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void DoEnter() override;
  void DoExit() override;
  virtual void Change();
  // The text as drawn (password characters in place).
  std::string DisplayText() const;
  // The drawn text's byte position for a text position.
  int DisplayPos(int pos) const;
  int TextPos(int displayPos) const;
  virtual bool CanModify() const { return !FReadOnly; }
  // The editing keys of the field (arrows, Home/End, Back, Delete, clipboard
  // shortcuts); sets Key to 0 when it used the key.  Fires no event.
  void EditKey(uint16_t& Key, TShiftState Shift);
  // Draws the single-line text with selection and caret in TextArea().
  void PaintText(TCanvas& c, bool ShowSelection, bool ShowCaret);
  void RestartBlink();
  void ScrollCaretIntoView();

  // Remembers the state before a user edit (for Undo).
  void SaveUndo();
  TEditBuffer FBuf;
  TEditBuffer FUndo;
  bool FHasUndo = false;
  bool FTypingRun = false;  // typed characters undo together
  int FMaxLength = 0;
  bool FReadOnly = false;
  char FPasswordChar = 0;
  TBorderStyle FBorderStyle = bsSingle;
  bool FAutoSelect = true, FHideSelection = true, FModified = false;
  TAlignment FAlignment = taLeftJustify;
  int FScrollX = 0;
  bool FBlinkOn = true;
  bool FSelecting = false;
  std::unique_ptr<TTimer> FBlink;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// A multi-line edit field.  Lines are separated by LF in Text; Lines() is a
// string list kept equal to the text (changing one changes the other).
// Return inserts a line break (WantReturns), Tab a TAB character only with
// WantTabs.  The text starts 1 pixel inside the frame; line i's top is at
// inside.top + (i − TopLine) × TextHeight.
class TMemo : public TCustomEdit {
 public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
  TStringList& Lines() { return *FLines; }
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool v) { FWantReturns = v; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool v) { FWantTabs = v; }
  int TopLine() const { return FTopLine; }
  // The caret's line and byte column.
  int CaretLine() const;
  int CaretColumn() const;
  int LineHeight();
  // The byte position nearest to a control point.
  int PositionAtXY(int X, int Y);

 protected:
  void Paint() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPressText(std::string& Text) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void Change() override;

 private:
  void LinesChanged();
  void ScrollToCaret();
  std::unique_ptr<TStringList> FLines;
  bool FSyncing = false;
  bool FWantReturns = true, FWantTabs = false;
  int FTopLine = 0;
  int FGoalX = -1;
};

// ---------------------------------------------------------------- TLabel
// A text without a window.  With AutoSize (the default) its size follows the
// text: the widest line's width × (number of lines × text height); lines are
// separated by LF, and with WordWrap long lines break at blanks to the width.
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  // A transparent label leaves its parent's pixels behind the text.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* v) { FFocusControl = v; }
  // The lines as they are drawn.
  std::vector<std::string> DrawnLines();

 protected:
  void Paint() override;
  void FontChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void AdjustSize();
  std::string FCaption;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FAutoSize = true, FWordWrap = false, FTransparent = false;
  TWinControl* FFocusControl = nullptr;
};

// ---------------------------------------------------------------- TButton
// A push button (75 × 25 at creation).  Clicking it (mouse, Space, or Return
// while it has the focus) sets its form's ModalResult to the button's
// ModalResult when that is not mrNone, then fires OnClick.  Return pressed in a
// form clicks its visible, enabled Default button and Escape its Cancel
// button, unless the focused control used the key itself.
class TButton : public TCustomControl {
 public:
  explicit TButton(TComponent* AOwner);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  bool Default() const { return FDefault; }
  void SetDefault(bool v);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool v) { FCancel = v; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  // Clicks the button as the user would.
  void Click() override;
  bool Pressed() const { return FPressed; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyUp(uint16_t& Key, TShiftState Shift) override;
  bool DialogKey(uint16_t Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  std::string FCaption;
  bool FDefault = false, FCancel = false;
  TModalResult FModalResult = mrNone;
  bool FPressed = false, FMouseDown = false, FSpaceDown = false;
};

// ---------------------------------------------------------------- check box and radio button
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A 13 × 13 sunken square at the left (vertically centred), the caption 4
// pixels right of it.  A click or Space toggles the state (through cbGrayed
// when AllowGrayed).  The check mark is drawn in clWindowText: 7 columns from
// inside.left + 1, each a vertical run of 3 pixels, starting at rows
// 4,5,6,5,4,3,2 below inside.top (inside = the square shrunk by 2).
class TCheckBox : public TCustomControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState v);  // fires OnClick when it changes
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool v) { FAllowGrayed = v; }
  // taRightJustify (default): caption right of the box; taLeftJustify: left of it.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TRect BoxRect() const;

 protected:
  void Paint() override;
  void Click() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  std::string FCaption;
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TAlignment FAlignment = taRightJustify;
  bool FInSet = false;
};

// A round button of a group: checking one unchecks the other radio buttons of
// the same parent.  A 12 × 12 circle at the left, the caption 4 pixels right
// of it; the dot is the 4 × 4 disc in its middle.
class TRadioButton : public TCustomControl {
 public:
  explicit TRadioButton(TComponent* AOwner);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  bool Checked() const { return FChecked; }
  void SetChecked(bool v);  // fires OnClick when it becomes checked
  TRect CircleRect() const;

 protected:
  void Paint() override;
  void Click() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  std::string FCaption;
  bool FChecked = false;
  bool FInSet = false;
};

// ---------------------------------------------------------------- TPanel
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A container with bevels: from the outside in, BevelOuter (BevelWidth
// pixels: raised clBtnHighlight/clBtnShadow, lowered the reverse, space in
// the panel colour), BorderWidth pixels of the panel colour, BevelInner.  The
// client rectangle (for aligned children) lies inside all of them; the
// caption is drawn in it with Alignment, centred vertically.
class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* AOwner);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut v);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut v);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v);  // at least 1
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v);  // at least 0
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TRect ClientRect() const override;

 protected:
  void Paint() override;

 private:
  void BordersChanged();
  std::string FCaption;
  TBevelCut FBevelOuter = bvRaised, FBevelInner = bvNone;
  int FBevelWidth = 1, FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

// ---------------------------------------------------------------- TListBox
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };
using TOwnerDrawState = unsigned;
enum : TOwnerDrawState { odSelected = 1, odFocused = 2, odDisabled = 4 };
using TDrawItemEvent =
    std::function<void(TObject* Sender, int Index, TRect Rect, TOwnerDrawState State)>;

// A list of text lines in a sunken frame.  Item i lies at inside.top +
// (i − TopIndex) × ItemHeight; the selected item is filled with clHighlight
// (text clHighlightText) and carries the focus rectangle while the box has
// the focus; text starts 2 pixels right of the inside.  When the items do not
// fit, a vertical scroll bar of 17 pixels lies at the right of the inside.
class TListBox : public TCustomControl {
 public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;
  TStringList& Items() { return *FItems; }
  int Count() const { return FItems->Count(); }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int v);  // −1 for none; out-of-range values give −1
  int TopIndex() const { return FTopIndex; }
  void SetTopIndex(int v);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int v);  // at least 1; 0 restores the font's text height + 2
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool v) { FItems->SetSorted(v); }
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool v);
  bool Selected(int i) const;
  void SetSelected(int i, bool v);
  int SelCount() const;
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  // Number of whole items that fit.
  int VisibleItems() const;
  // Index of the item at a control point (−1 when none).
  int ItemAtPos(TPoint P, bool Existing = true) const;
  TRect ItemRect(int Index) const;
  bool ScrollBarShowing() const;
  void Clear() { FItems->Clear(); }

  TDrawItemEvent OnDrawItem;

 protected:
  void Paint() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPressText(std::string& Text) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) override;
  void DoEnter() override;
  void DoExit() override;
  void FontChanged() override;
  TRect Inside() const;
  TRect ScrollBarRect() const;
  TScrollBarState BarState() const;
  void SelectFromUser(int Index, TShiftState Shift);
  void MakeVisible(int Index);

 private:
  friend class TComboBox;
  void ItemsChanged();
  std::unique_ptr<TStringList> FItems;
  std::vector<bool> FSel;
  int FItemIndex = -1, FTopIndex = 0, FItemHeight = 0, FAnchor = -1;
  bool FExplicitItemHeight = false;
  bool FMultiSelect = false;
  TListBoxStyle FStyle = lbStandard;
  TBorderStyle FBorderStyle = bsSingle;
  bool FDragSelect = false;
  TScrollBarTracker FTracker;
  bool FBarCaptured = false;
  // The list of a combo box: tracks the pointer, ends on release.
  bool FComboList = false;
};

// ---------------------------------------------------------------- TComboBox
enum TComboBoxStyle { csDropDown, csDropDownList, csSimple };

// A field with a drop-down button (17 pixels wide at the right of the
// inside, a raised face with a down arrow).  csDropDown edits free text;
// csDropDownList shows only the chosen item.  The drop-down list is a list
// box placed under the field on the form (DropDownCount lines inside a
// 1-pixel clWindowFrame frame); clicking an
// item chooses it and closes the list.  Up/Down choose the previous/next
// item, Alt+Down or F4 open the list, Escape closes it, Return takes the
// highlighted item.  OnChange fires when the text changes by the user.
class TComboBox : public TCustomEdit {
 public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;
  TStringList& Items() { return *FItems; }
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle v);
  int ItemIndex() const { return FItemIndex; }
  // Chooses an item (−1: none, the text then cleared in csDropDownList);
  // does not fire OnChange.
  void SetItemIndex(int v);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int v);  // at least 1
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool v) { FItems->SetSorted(v); }
  bool DroppedDown() const { return FList && FList->Visible(); }
  void SetDroppedDown(bool v);
  // The drop-down list while it is open (nullptr otherwise).
  TListBox* DropDownList() const { return DroppedDown() ? FList : nullptr; }
  TRect ButtonRect() const;
  TRect TextArea() const override;

  TNotifyEvent OnSelect, OnDropDown, OnCloseUp;

 protected:
  void Paint() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPressText(std::string& Text) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoExit() override;
  void Change() override;
  bool CanModify() const override { return !FReadOnly && FStyle != csDropDownList; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TListBox;
  void ChooseFromUser(int Index);
  void CloseUp(bool Accept);
  void ItemsChanged();
  std::unique_ptr<TStringList> FItems;
  TComboBoxStyle FStyle = csDropDown;
  int FItemIndex = -1;
  int FDropDownCount = 8;
  TListBox* FList = nullptr;
  bool FInternal = false;
  bool FButtonDown = false;
};

// ---------------------------------------------------------------- TSpeedButton
// A tool button without a window.  It shows a glyph (its bottom-left pixel
// being the transparent colour; with NumGlyphs 2 the right half is the
// disabled image) centred with its caption.  A button with GroupIndex > 0
// stays down once clicked, and pressing one releases the others of the same
// group and parent; with AllowAllUp a down button of the group is released by
// another click.  The faces: up: Frame3D(clBtnHighlight, clBtnShadow), then
// clBtnFace; down: Frame3D(clBtnShadow, clBtnHighlight) with the contents one
// pixel right and down.  A Flat button draws the up frame only under the pointer.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  TBitmap& Glyph() { return *FGlyph; }
  void SetGlyph(const TBitmap& b);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int v);  // 1..4
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int v);
  bool Down() const { return FDown; }
  void SetDown(bool v);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool v);
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  // Gap between glyph and caption (pixels).
  int Spacing() const { return FSpacing; }
  void SetSpacing(int v);
  void Click() override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  void UpdateGroup();
  std::string FCaption;
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1, FGroupIndex = 0, FSpacing = 4;
  bool FDown = false, FAllowAllUp = false, FFlat = false;
  bool FPressed = false, FMouseDown = false, FHot = false;
};

// ---------------------------------------------------------------- TDateTimePicker
enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateFormat { dfShort, dfLong };

// Formats a date with a picker pattern (tokens are case-sensitive): "yyyy"
// (4-digit year), "yy" (2 digits), "MMMM" (month name), "MMM" (abbreviated),
// "MM"/"M" (number with/without a leading zero), "dddd"/"ddd" (weekday name,
// abbreviated), "dd"/"d", "HH"/"H" (24-hour), "hh"/"h" (12-hour), "mm"/"m"
// (minutes), "ss"/"s", "tt"/"t" (AM/PM, A/P); text in '…' or "…" is copied as
// it stands and every other character too.  English names.
std::string FormatDatePattern(const std::string& Pattern, TDateTime Value);

// A date (or time) field: the value formatted with Format (dfShort:
// "yyyy-MM-dd", dfLong: "dddd, d MMMM yyyy", time: "HH:mm:ss" when Format is
// empty) in a sunken field with a drop-down button.  The number fields of
// the text (year, month, day or hour, minute, second) are edited in place:
// Left/Right choose the field (highlighted), Up/Down step it (a day past the
// month's end wraps to 1), digits type it.  OnChange on every change of the value.
class TDateTimePicker : public TCustomControl {
 public:
  explicit TDateTimePicker(TComponent* AOwner);
  TDateTime DateTime() const { return FValue; }
  void SetDateTime(TDateTime v);
  TDateTime Date() const;
  void SetDate(TDateTime v);
  TDateTime Time() const;
  void SetTime(TDateTime v);
  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind v);
  TDTDateFormat DateFormat() const { return FDateFormat; }
  void SetDateFormat(TDTDateFormat v);
  const std::string& Format() const { return FFormat; }
  void SetFormat(const std::string& v);
  // The pattern in force and the text shown.
  std::string EffectivePattern() const;
  std::string Text() const;
  // Bounds on the date (0 = none).
  TDateTime MinDate() const { return FMinDate; }
  void SetMinDate(TDateTime v) { FMinDate = v; SetDateTime(FValue); }
  TDateTime MaxDate() const { return FMaxDate; }
  void SetMaxDate(TDateTime v) { FMaxDate = v; SetDateTime(FValue); }
  // The selected number field (0-based among the fields of the pattern).
  int FieldIndex() const { return FField; }
  int FieldCount() const;
  TNotifyEvent OnChange;

 protected:
  void Paint() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPressText(std::string& Text) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  struct Field {
    char Kind;  // 'y','m','d','h','n','s'
    int Start, Length;  // in the formatted text
  };
  std::vector<Field> Fields() const;
  void Step(int Delta);
  void TypeDigit(int d);
  void Store(TDateTime v);
  TDateTime FValue = 0;
  TDateTimeKind FKind = dtkDate;
  TDTDateFormat FDateFormat = dfShort;
  std::string FFormat;
  TDateTime FMinDate = 0, FMaxDate = 0;
  int FField = 0;
  int FTyped = 0, FTypedDigits = 0;
};

}  // namespace zol
