#include "apps/explorer/ExplorerForm.h"

#include <algorithm>

using namespace zol;

namespace explorer {

// ---------------------------------------------------------------- TEntryList
TEntryList::TEntryList(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clWindow);
  SetTabStop(true);
  std::string group;
  const auto& list = Entries();
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].Group != group) {
      group = list[i].Group;
      FRows.push_back({true, group, -1});
    }
    FRows.push_back({false, list[i].Name, int(i)});
  }
}

void TEntryList::Select(int EntryIndex) {
  if (EntryIndex == FSelected) return;
  FSelected = EntryIndex;
  // Keep the selected row in view.
  for (size_t r = 0; r < FRows.size(); ++r)
    if (FRows[r].Entry == EntryIndex) {
      int visible = std::max(1, Height() / RowHeight);
      if (int(r) < FScroll) FScroll = int(r);
      if (int(r) >= FScroll + visible) FScroll = int(r) - visible + 1;
    }
  Invalidate();
  if (OnSelect) {
    auto handler = OnSelect;
    handler(EntryIndex);
  }
}

void TEntryList::Paint() {
  TCanvas& c = Canvas();
  c.Brush().SetColor(Color());
  c.FillRect(ClientRect());
  for (size_t r = size_t(FScroll); r < FRows.size(); ++r) {
    int y = (int(r) - FScroll) * RowHeight;
    if (y >= Height()) break;
    const Row& row = FRows[r];
    c.Font().Assign(Font());
    if (row.Heading) {
      c.Font().SetStyle({fsBold});
      c.Brush().SetStyle(bsClear);
      c.TextOut(4, y + 2, row.Text);
      continue;
    }
    bool sel = row.Entry == FSelected;
    if (sel) {
      c.Brush().SetStyle(bsSolid);
      c.Brush().SetColor(clHighlight);
      c.FillRect(Rect(0, y, Width(), y + RowHeight));
      c.Font().SetColor(clHighlightText);
    }
    c.Brush().SetStyle(bsClear);
    c.TextOut(16, y + 2, row.Text);
  }
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clBtnShadow);
  c.FrameRect(ClientRect());
}

void TEntryList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || Y < 0) return;
  size_t r = size_t(Y / RowHeight + FScroll);
  if (r < FRows.size() && !FRows[r].Heading) Select(FRows[r].Entry);
}

void TEntryList::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key != VK_UP && Key != VK_DOWN) return;
  std::vector<int> order;
  for (const Row& r : FRows)
    if (!r.Heading) order.push_back(r.Entry);
  if (order.empty()) return;
  auto it = std::find(order.begin(), order.end(), FSelected);
  int pos = it == order.end() ? -1 : int(it - order.begin());
  pos = Key == VK_DOWN ? std::min(int(order.size()) - 1, pos + 1) : std::max(0, pos - 1);
  Key = 0;
  Select(order[size_t(pos)]);
}

bool TEntryList::MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  TCustomControl::MouseWheel(Shift, WheelDelta, X, Y);
  int visible = std::max(1, Height() / RowHeight);
  int maxScroll = std::max(0, int(FRows.size()) - visible);
  int s = std::clamp(FScroll - WheelDelta / WHEEL_DELTA * 3, 0, maxScroll);
  if (s != FScroll) {
    FScroll = s;
    Invalidate();
  }
  return true;
}

// ---------------------------------------------------------------- TLineEdit
TLineEdit::TLineEdit(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clWindow);
  SetTabStop(true);
  SetCursor(crIBeam);
  FBlink = new TTimer(this);
  FBlink->SetInterval(500);
  FBlink->SetEnabled(false);
  FBlink->OnTimer = [this](TObject*) {
    FCaretOn = !FCaretOn;
    Invalidate();
  };
}

TLineEdit::~TLineEdit() = default;

void TLineEdit::SetText(const std::string& v) {
  FShown = v;
  if (v == FText && !FModified) return;
  FText = v;
  FModified = false;
  Invalidate();
}

void TLineEdit::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  SetColor(v ? clBtnFace : clWindow);
  Invalidate();
}

void TLineEdit::Paint() {
  TCanvas& c = Canvas();
  c.Brush().SetColor(Color());
  c.FillRect(ClientRect());
  c.Brush().SetColor(Focused() ? clHighlight : clBtnShadow);
  c.FrameRect(ClientRect());
  c.Brush().SetStyle(bsClear);
  c.Font().SetColor(FReadOnly ? clGrayText : clWindowText);
  int ty = (Height() - c.TextHeight("Ag")) / 2;
  c.TextRect(Rect(1, 1, Width() - 1, Height() - 1), 4, ty, FText);
  if (Focused() && FCaretOn && !FReadOnly) {
    int x = std::min(Width() - 3, 4 + c.TextWidth(FText));
    c.Pen().SetColor(clWindowText);
    c.MoveTo(x, ty);
    c.LineTo(x, ty + c.TextHeight("Ag"));
  }
}

void TLineEdit::KeyPressText(std::string& Text) {
  TCustomControl::KeyPressText(Text);
  if (Text.empty() || FReadOnly) return;
  if (Text == "\r") {
    if (OnApply) {
      auto h = OnApply;
      h(this);
    }
    return;
  }
  if (Text == "\x1b") {
    FText = FShown;
    FModified = false;
  } else if (Text == "\b") {
    if (!FText.empty()) {
      size_t n = FText.size() - 1;
      while (n > 0 && (static_cast<unsigned char>(FText[n]) & 0xC0) == 0x80) --n;
      FText.erase(n);
      FModified = true;
    }
  } else if (static_cast<unsigned char>(Text[0]) >= 0x20 && Text != "\x7f") {
    FText += Text;
    FModified = true;
  }
  FCaretOn = true;
  Invalidate();
}

void TLineEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
}

void TLineEdit::DoEnter() {
  TCustomControl::DoEnter();
  FCaretOn = true;
  FBlink->SetEnabled(true);
  Invalidate();
}

void TLineEdit::DoExit() {
  TCustomControl::DoExit();
  FBlink->SetEnabled(false);
  FCaretOn = false;
  Invalidate();
}

// ---------------------------------------------------------------- TPropertyPanel
TPropertyPanel::TPropertyPanel(TComponent* AOwner) : TCustomControl(AOwner) {}

void TPropertyPanel::SetProperties(const std::vector<Property>& Props) {
  for (TLineEdit* e : FEdits) delete e;
  FEdits.clear();
  FProps = Props;
  int y = 28;
  for (size_t i = 0; i < FProps.size(); ++i) {
    auto* e = new TLineEdit(this);
    e->SetParent(this);
    e->SetBounds(NameWidth + 8, y + 1, Width() - NameWidth - 16, RowHeight - 2);
    e->SetTabOrder(int(i));
    e->SetReadOnly(!FProps[i].Set);
    e->SetTabStop(bool(FProps[i].Set));
    e->OnApply = [this, i](TLineEdit* Sender) {
      if (i >= FProps.size() || !FProps[i].Set) return;
      FProps[i].Set(Sender->Text());
      Sender->SetText(FProps[i].Get ? FProps[i].Get() : Sender->Text());
      Reread();
    };
    FEdits.push_back(e);
    y += RowHeight;
  }
  Reread();
  Invalidate();
}

void TPropertyPanel::Reread() {
  for (size_t i = 0; i < FProps.size() && i < FEdits.size(); ++i) {
    if (FEdits[i]->Modified() || !FProps[i].Get) continue;
    FEdits[i]->SetText(FProps[i].Get());
  }
}

void TPropertyPanel::Paint() {
  TCanvas& c = Canvas();
  c.Brush().SetColor(Color());
  c.FillRect(ClientRect());
  c.Brush().SetStyle(bsClear);
  c.Font().SetStyle({fsBold});
  c.TextOut(8, 6, FProps.empty() ? "No properties" : "Properties");
  c.Font().SetStyle({});
  int y = 28;
  for (const Property& p : FProps) {
    c.TextRect(Rect(8, y, NameWidth + 4, y + RowHeight), 8, y + 5, p.Name);
    y += RowHeight;
  }
}

// ---------------------------------------------------------------- TExplorerForm
TExplorerForm::TExplorerForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("ZOL Explorer");
  SetBounds(0, 0, ListWidth + HostWidth + PanelWidth, HostHeight);
  SetKeyPreview(true);
  FList = new TEntryList(this);
  FList->SetParent(this);
  FList->SetBounds(0, 0, ListWidth, HostHeight);
  FList->SetTabOrder(0);
  FHost = new TCustomControl(this);
  FHost->SetParent(this);
  FHost->SetBounds(ListWidth, 0, HostWidth, HostHeight);
  FPanel = new TPropertyPanel(this);
  FPanel->SetParent(this);
  FPanel->SetBounds(ListWidth + HostWidth, 0, PanelWidth, HostHeight);
  FPanel->SetTabOrder(1);
  FList->OnSelect = [this](int i) { ShowEntry(i); };
  FRefresh = new TTimer(this);
  FRefresh->SetInterval(250);
  FRefresh->OnTimer = [this](TObject*) { FPanel->Reread(); };
}

void TExplorerForm::ClearHost() {
  FPanel->SetProperties({});
  FDemo = Demo();
  while (FHost->ComponentCount() > 0) delete FHost->Components(FHost->ComponentCount() - 1);
  FHost->Invalidate();
}

void TExplorerForm::ShowEntry(int EntryIndex) {
  ClearHost();
  const auto& list = Entries();
  if (EntryIndex < 0 || EntryIndex >= int(list.size())) return;
  FList->Select(EntryIndex);
  FDemo = list[size_t(EntryIndex)].Build(*FHost);
  FPanel->SetProperties(FDemo.Properties);
  SetCaption("ZOL Explorer - " + list[size_t(EntryIndex)].Group + "/" + list[size_t(EntryIndex)].Name);
}

bool TExplorerForm::ApplySetting(const std::string& s) {
  size_t eq = s.find('=');
  if (eq == std::string::npos) return false;
  std::string name = s.substr(0, eq), value = s.substr(eq + 1);
  for (const Property& p : FDemo.Properties)
    if (p.Name == name && p.Set) {
      p.Set(value);
      FPanel->Reread();
      return true;
    }
  return false;
}

std::string TExplorerForm::DumpProperties() const {
  std::string out;
  for (const Property& p : FDemo.Properties) out += p.Name + "=" + (p.Get ? p.Get() : std::string()) + "\n";
  return out;
}

void TExplorerForm::KeyDown(uint16_t& Key, TShiftState Shift) {
  TForm::KeyDown(Key, Shift);
  // Ctrl+Q closes the explorer.
  if (Key == 'Q' && Shift == ssCtrl) {
    Key = 0;
    Close();
  }
}

}  // namespace explorer
