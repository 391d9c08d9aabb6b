// Platform services: popup menus.
//
// A TPopupMenu holds a tree of TMenuItem.  Popup(X, Y) asks the popup-menu
// service of the host (a real menu on a window host; a scripted answer in the
// headless host) which item the user chose and clicks it.
#pragma once

#include <string>
#include <vector>

#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_controls.h"

namespace zol {

class TMenuItem;
class TPopupMenu;

// Raised for a bad item index ("Menu index out of range") or a bad insertion.
class EMenuError : public Exception { using Exception::Exception; };

// A menu item.  Items added to another item belong to it: deleting an item
// deletes its sub-items (whoever owns them), and an item deleted early
// leaves its parent's list.
class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v) { FCaption = v; }
  // The caption without accelerator marks ("&Open" -> "Open", "&&" -> "&").
  std::string StrippedCaption() const;
  // A caption of "-" makes a separator line.
  bool IsLine() const { return FCaption == "-"; }
  bool Checked() const { return FChecked; }
  // Checking a radio item unchecks the other radio items of its group.
  void SetChecked(bool v);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool v) { FRadioItem = v; }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int v) { FGroupIndex = v; }
  // A click toggles Checked (a radio item is checked) before OnClick.
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool v) { FAutoCheck = v; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v) { FHint = v; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int v) { FImageIndex = v; }

  // Sub-items.
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const;  // raises EMenuError out of range
  TMenuItem* operator[](int index) const { return Items(index); }
  TMenuItem* Parent() const { return FParent; }
  int MenuIndex() const;  // position in the parent's list, -1 without parent
  void Add(TMenuItem* Item);
  void Add(const std::vector<TMenuItem*>& Items);
  void Insert(int Index, TMenuItem* Item);  // 0..Count; raises EMenuError otherwise
  // Deletes (frees) the sub-item at Index.
  void Delete(int Index);
  // Takes the item out of the list without freeing it (the caller owns it then).
  void Remove(TMenuItem* Item);
  void Clear();  // frees every sub-item
  int IndexOf(const TMenuItem* Item) const;
  // The first sub-item (any depth) whose stripped caption equals Caption (ASCII case-insensitive).
  TMenuItem* Find(const std::string& Caption) const;
  // True for a visible, enabled item without sub-items whose parents are visible and enabled.
  bool Clickable() const;

  // Runs the item: AutoCheck, then OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

 private:
  std::string FCaption, FHint;
  bool FChecked = false, FEnabled = true, FVisible = true, FRadioItem = false, FAutoCheck = false;
  int FGroupIndex = 0, FImageIndex = -1;
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

// The host service that shows a popup menu and answers the item the user
// clicked (nullptr: the menu was closed without a choice).  X and Y are
// screen coordinates.
class TPopupMenuService {
 public:
  virtual ~TPopupMenuService() = default;
  virtual TMenuItem* ShowPopup(TPopupMenu& Menu, int X, int Y) = 0;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  // The root item; the menu's entries are its sub-items.
  TMenuItem* Items() const { return FItems; }
  // Convenience: a new item owned by this menu's root, appended with the caption and handler.
  TMenuItem* AddItem(const std::string& Caption, TNotifyEvent OnClick = nullptr);
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool v) { FAutoPopup = v; }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment v) { FAlignment = v; }
  // The control whose right click opened the menu (set by the host), or what
  // the application set.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* c);
  // Fires OnPopup, shows the menu at screen position (X, Y) and clicks the
  // chosen item when it is clickable.  Answers the clicked item or nullptr.
  TMenuItem* Popup(int X, int Y);
  TPoint PopupPoint() const { return FPopupPoint; }

  TNotifyEvent OnPopup;
  TNotifyEvent OnClose;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TMenuItem* FItems = nullptr;
  bool FAutoPopup = true;
  TPopupAlignment FAlignment = paLeft;
  TComponent* FPopupComponent = nullptr;
  TPoint FPopupPoint;
};

// Creates an item owned by AOwner with the given caption, shortcut-free.
TMenuItem* NewItem(TComponent* AOwner, const std::string& Caption, bool Checked, bool Enabled,
                   TNotifyEvent OnClick, const std::string& Name = std::string());
TMenuItem* NewLine(TComponent* AOwner);

}  // namespace zol
