// Window host on FLTK: the clipboard store on the X CLIPBOARD selection.
//
// Text travels as UTF-8 text, bitmaps as images, so other programs paste
// them; a recorded drawing (metafile) has no common form and stays inside
// this program, valid for as long as the clipboard holds what this program
// put there.  Reading waits for the owner's answer at most two seconds.
#pragma once

#include <string>

#include "base/platform/Zol_clipbrd.h"

namespace zol {

class TFltkClipboardStore : public TClipboardStore {
 public:
  TFltkClipboardStore();
  ~TFltkClipboardStore() override;
  void Clear() override;
  bool HasFormat(unsigned Format) const override;
  void SetData(unsigned Format, const std::string& Bytes) override;
  bool GetData(unsigned Format, std::string& Bytes) const override;

 private:
  static void Changed(int Source, void* Self);
  TMemoryClipboardStore FLocal;
  bool FOwned = false;
};

// Installs (and removes) the store as the global clipboard's.
void InstallFltkClipboard();
void RemoveFltkClipboard();
// True while the store waits for another program's answer.
bool FltkClipboardBusy();

}  // namespace zol
