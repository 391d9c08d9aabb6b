// Window host on FLTK: message boxes, file dialogs and popup menus as
// toolkit windows behind the suite's service interfaces.
#pragma once

#include "base/platform/Zol_dialogs.h"
#include "base/platform/Zol_menus.h"

namespace zol {

class TFltkDialogs : public TMessageBoxService, public TFileDialogService, public TPopupMenuService {
 public:
  // A modal box with the request's text and buttons.  Return presses the
  // default button (OK or Yes, else the first), Escape or closing the box
  // answers the most cautious button (Cancel, No, Abort, Close, Ignore; OK
  // for a box with OK alone), a button's underlined letter presses it.
  TModalResult ShowMessageBox(const TMessageBoxRequest& Request) override;
  // The toolkit's file chooser; DefaultExt, ofPathMustExist,
  // ofFileMustExist and ofOverwritePrompt are applied to the names chosen,
  // and the user chooses again after a refusal.
  TFileDialogResult RunFileDialog(const TFileDialogRequest& Request) override;
  // A toolkit popup at screen position (X, Y): separators, check marks,
  // radio items, disabled and hidden items, sub-menus.
  TMenuItem* ShowPopup(TPopupMenu& Menu, int X, int Y) override;
};

// The caption of a message box button with its accelerator ("&Yes", "&No", "OK", …).
std::string MessageBoxButtonLabel(TMsgDlgBtn b);
// The button a box answers for Escape (see ShowMessageBox); mbHelp-only boxes answer mrNone.
TModalResult MessageBoxEscapeResult(TMsgDlgButtons Buttons);
// The default button of a box (pressed by Return).
TMsgDlgBtn MessageBoxDefaultButton(TMsgDlgButtons Buttons);

}  // namespace zol
