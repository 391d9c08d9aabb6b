#include "base/platform/Zol_menus.h"

#include <algorithm>

#include "base/platform/Zol_forms.h"

namespace zol {

// ---------------------------------------------------------------- TMenuItem
TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  if (TApplication* app = Application()) app->MenuDestroying(this);
  Clear();
  if (FParent) FParent->Remove(this);
}

std::string TMenuItem::StrippedCaption() const {
  std::string r;
  for (size_t i = 0; i < FCaption.size(); ++i) {
    if (FCaption[i] == '&') {
      if (i + 1 < FCaption.size() && FCaption[i + 1] == '&') {
        r += '&';
        ++i;
      }
      continue;
    }
    r += FCaption[i];
  }
  return r;
}

void TMenuItem::SetChecked(bool v) {
  if (v == FChecked) return;
  FChecked = v;
  if (v && FRadioItem && FParent) {
    for (TMenuItem* s : FParent->FItems)
      if (s != this && s->FRadioItem && s->FGroupIndex == FGroupIndex) s->FChecked = false;
  }
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) throw EMenuError("Menu index out of range");
  return FItems[static_cast<size_t>(index)];
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Add(const std::vector<TMenuItem*>& Items) {
  for (TMenuItem* i : Items) Add(i);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EMenuError("Menu inserted twice");
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
}

void TMenuItem::Delete(int Index) {
  TMenuItem* item = Items(Index);
  Remove(item);
  delete item;  // leaves its owner's list too
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const std::string& Caption) const {
  for (TMenuItem* i : FItems)
    if (SameText(i->StrippedCaption(), Caption)) return i;
  for (TMenuItem* i : FItems)
    if (TMenuItem* f = i->Find(Caption)) return f;
  return nullptr;
}

bool TMenuItem::Clickable() const {
  if (!FItems.empty() || IsLine() || !FParent) return false;
  // Every level up to (not including) the menu's root must be visible and enabled.
  for (const TMenuItem* p = this; p && p->FParent; p = p->FParent)
    if (!p->FVisible || !p->FEnabled) return false;
  return true;
}

void TMenuItem::Click() {
  if (FAutoCheck) SetChecked(FRadioItem ? true : !FChecked);
  if (OnClick) {
    TNotifyEvent handler = OnClick;  // the handler may free the item
    handler(this);
  }
}

TMenuItem* NewItem(TComponent* AOwner, const std::string& Caption, bool Checked, bool Enabled,
                   TNotifyEvent OnClick, const std::string& Name) {
  auto* i = new TMenuItem(AOwner);
  i->SetCaption(Caption);
  i->SetChecked(Checked);
  i->SetEnabled(Enabled);
  i->OnClick = std::move(OnClick);
  if (!Name.empty()) i->SetName(Name);
  return i;
}

TMenuItem* NewLine(TComponent* AOwner) {
  auto* i = new TMenuItem(AOwner);
  i->SetCaption("-");
  return i;
}

// ---------------------------------------------------------------- TPopupMenu
TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() {
  SetPopupComponent(nullptr);
  delete FItems;  // with every sub-item
  FItems = nullptr;
}

TMenuItem* TPopupMenu::AddItem(const std::string& Caption, TNotifyEvent OnClick) {
  TMenuItem* i = NewItem(this, Caption, false, true, std::move(OnClick));
  FItems->Add(i);
  return i;
}

void TPopupMenu::SetPopupComponent(TComponent* c) {
  if (c == FPopupComponent) return;
  if (FPopupComponent) RemoveFreeNotification(FPopupComponent);
  FPopupComponent = c;
  if (c) FreeNotification(c);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

TMenuItem* TPopupMenu::Popup(int X, int Y) {
  FPopupPoint = TPoint(X, Y);
  if (OnPopup) OnPopup(this);
  TApplication* app = Application();
  if (!app) return nullptr;
  TMenuItem* chosen = app->PopupMenuService()->ShowPopup(*this, X, Y);
  if (OnClose) OnClose(this);
  if (!chosen || !chosen->Clickable()) return nullptr;
  chosen->Click();
  return chosen;
}

}  // namespace zol
