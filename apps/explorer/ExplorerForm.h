// The explorer's main form: the list of entries (grouped), the selected
// component live in the middle, and the panel of its properties on the right.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/explorer/Explorer.h"
#include "base/platform/Zol_extctrls.h"
#include "base/platform/Zol_forms.h"

namespace explorer {

// The list of entries: group headings and the entries below them.  A click
// or the arrow keys select an entry.
class TEntryList : public zol::TCustomControl {
 public:
  explicit TEntryList(zol::TComponent* AOwner);
  // Index into Entries(), -1 for none.
  int Selected() const { return FSelected; }
  void Select(int EntryIndex);
  std::function<void(int EntryIndex)> OnSelect;
  static constexpr int RowHeight = 18;

 protected:
  void Paint() override;
  void MouseDown(zol::TMouseButton Button, zol::TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, zol::TShiftState Shift) override;
  bool MouseWheel(zol::TShiftState Shift, int WheelDelta, int X, int Y) override;

 private:
  struct Row {
    bool Heading;
    std::string Text;
    int Entry;
  };
  std::vector<Row> FRows;
  int FSelected = -1;
  int FScroll = 0;  // first row shown
};

// A one-line text field: typing edits, Return applies (OnApply), Escape
// restores the value it showed; the caret blinks while it has the focus.
class TLineEdit : public zol::TCustomControl {
 public:
  explicit TLineEdit(zol::TComponent* AOwner);
  ~TLineEdit() override;
  const std::string& Text() const { return FText; }
  void SetText(const std::string& v);
  bool Modified() const { return FModified; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  std::function<void(TLineEdit* Sender)> OnApply;

 protected:
  void Paint() override;
  void KeyPressText(std::string& Text) override;
  void KeyDown(uint16_t& Key, zol::TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  std::string FText, FShown;
  bool FModified = false, FReadOnly = false, FCaretOn = false;
  zol::TTimer* FBlink = nullptr;
};

// The properties of the shown component: a name and a field per property.
class TPropertyPanel : public zol::TCustomControl {
 public:
  explicit TPropertyPanel(zol::TComponent* AOwner);
  void SetProperties(const std::vector<Property>& Props);
  // Reads every property again (fields being edited keep their text).
  void Reread();
  static constexpr int RowHeight = 24, NameWidth = 116;

 protected:
  void Paint() override;

 private:
  std::vector<Property> FProps;
  std::vector<TLineEdit*> FEdits;
};

class TExplorerForm : public zol::TForm {
 public:
  explicit TExplorerForm(zol::TComponent* AOwner);
  // Shows the entry (index into Entries()); -1 shows nothing.
  void ShowEntry(int EntryIndex);
  const Demo& Current() const { return FDemo; }
  zol::TCustomControl* HostPanel() const { return FHost; }
  // Applies "Name=Value" settings to the current demo; false when a name is unknown.
  bool ApplySetting(const std::string& Setting);
  // "Name=Value" lines of the current demo's properties.
  std::string DumpProperties() const;

  static constexpr int ListWidth = 200, HostWidth = 800, HostHeight = 600, PanelWidth = 260;

 protected:
  void KeyDown(uint16_t& Key, zol::TShiftState Shift) override;

 private:
  void ClearHost();
  TEntryList* FList;
  zol::TCustomControl* FHost;
  TPropertyPanel* FPanel;
  zol::TTimer* FRefresh;
  Demo FDemo;
};

}  // namespace explorer
