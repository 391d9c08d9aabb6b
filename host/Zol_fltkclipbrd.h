// Window host on FLTK: the clipboard store on the X CLIPBOARD selection.
//
// The store owns the selection through a window of its own and answers
// other programs' requests itself: text as UTF8_STRING, STRING (ASCII text),
// TEXT and text/plain;charset=utf-8, bitmaps as image/png and image/bmp, all
// offered together.  A recorded drawing (metafile) has no common form and
// stays inside this program, valid while it owns the selection.  Reading
// another program's clipboard asks for its targets and waits for the answer
// at most two seconds; incremental (INCR) transfers are not read.
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
  TMemoryClipboardStore FLocal;
};

// Installs (and removes) the store as the global clipboard's.
void InstallFltkClipboard();
void RemoveFltkClipboard();
// True while the store waits for another program's answer.
bool FltkClipboardBusy();

}  // namespace zol
