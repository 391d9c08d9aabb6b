// Platform services: message boxes and the open/save file dialogs.
//
// Both go through small host services (TMessageBoxService,
// TFileDialogService).  The headless host records every box and dialog and
// answers them from a script that tests fill (see TApplication).
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_classes.h"

namespace zol {

// ---------------------------------------------------------------- modal results
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
                       mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9,
                       mrYesToAll = 10, mrClose = 11;

// ---------------------------------------------------------------- message boxes
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                  mbYesToAll, mbHelp, mbClose };

// A set of buttons: MessageDlg(..., {mbYes, mbNo}, 0).
class TMsgDlgButtons {
 public:
  constexpr TMsgDlgButtons() = default;
  constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> b) {
    for (TMsgDlgBtn x : b) FBits |= Bit(x);
  }
  constexpr bool Contains(TMsgDlgBtn b) const { return (FBits & Bit(b)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr unsigned Bits() const { return FBits; }
  constexpr TMsgDlgButtons& Include(TMsgDlgBtn b) { FBits |= Bit(b); return *this; }
  friend constexpr bool operator==(TMsgDlgButtons, TMsgDlgButtons) = default;
  // The buttons in their order on the box.
  std::vector<TMsgDlgBtn> List() const;

 private:
  static constexpr unsigned Bit(TMsgDlgBtn b) { return 1u << static_cast<int>(b); }
  unsigned FBits = 0;
};

constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The modal result of a button (mbOK -> mrOk, …; mbHelp -> mrNone).
TModalResult ModalResultOfButton(TMsgDlgBtn b);
// The caption of a box type ("Warning", "Error", "Information", "Confirm"; "" for mtCustom).
std::string MsgDlgTypeCaption(TMsgDlgType t);
// The text of a button ("Yes", "No", "OK", "Cancel", …).
std::string MsgDlgButtonCaption(TMsgDlgBtn b);

// What a message box shows.
struct TMessageBoxRequest {
  TMsgDlgType DlgType = mtInformation;
  std::string Text;
  std::string Caption;
  TMsgDlgButtons Buttons;
  int HelpCtx = 0;
  // Screen position requested by MessageDlgPos (-1: centred).
  int X = -1, Y = -1;
};

// The host service that shows a modal message box and answers its modal result.
class TMessageBoxService {
 public:
  virtual ~TMessageBoxService() = default;
  virtual TModalResult ShowMessageBox(const TMessageBoxRequest& Request) = 0;
};

// A modal message box; the caption is the type's caption (the application's
// title for mtCustom).  Answers the modal result of the button chosen.
TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        int HelpCtx = 0);
TModalResult MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                           int HelpCtx, int X, int Y);
// A message box with its own caption.
TModalResult MessageBoxDlg(const std::string& Caption, const std::string& Msg, TMsgDlgType DlgType,
                           TMsgDlgButtons Buttons);
// An OK box without an icon, captioned with the application's title.
void ShowMessage(const std::string& Msg);
void ShowMessagePos(const std::string& Msg, int X, int Y);

// ---------------------------------------------------------------- file dialogs
// Options of the file dialogs (bit set).
using TOpenOptions = unsigned;
enum : TOpenOptions {
  ofReadOnly = 0x0001,
  ofOverwritePrompt = 0x0002,  // save: ask before replacing an existing file
  ofHideReadOnly = 0x0004,
  ofNoChangeDir = 0x0008,
  ofShowHelp = 0x0010,
  ofNoValidate = 0x0020,
  ofAllowMultiSelect = 0x0040,
  ofExtensionDifferent = 0x0080,  // set by Execute when the extension differs from DefaultExt
  ofPathMustExist = 0x0100,
  ofFileMustExist = 0x0200,  // open: only existing files are accepted
  ofCreatePrompt = 0x0400,
  ofShareAware = 0x0800,
  ofNoReadOnlyReturn = 0x1000,
  ofNoTestFileCreate = 0x2000,
  ofNoNetworkButton = 0x4000,
  ofNoLongNames = 0x8000,
  ofOldStyleDialog = 0x10000,
  ofNoDereferenceLinks = 0x20000,
  ofEnableIncludeNotify = 0x40000,
  ofEnableSizing = 0x80000,
  ofDontAddToRecent = 0x100000,
  ofForceShowHidden = 0x200000,
};

enum TFileDialogKind { fdOpen, fdSave };

// What a file dialog shows.
struct TFileDialogRequest {
  TFileDialogKind Kind = fdOpen;
  std::string Title;
  std::string Filter;  // "Text files (*.txt)|*.txt|All files|*"
  int FilterIndex = 1;  // 1-based
  std::string InitialDir;
  std::string FileName;
  std::string DefaultExt;  // without the dot
  TOpenOptions Options = 0;
};

// The answer of a file dialog.
struct TFileDialogResult {
  bool Accepted = false;
  std::vector<std::string> FileNames;  // one name unless ofAllowMultiSelect
  int FilterIndex = 1;
  // A failure of the dialog itself (0 when it was simply cancelled).
  int ErrorCode = 0;
};

// The host service that runs a file dialog.  It behaves as the dialog does
// for the user: DefaultExt is added to a name without extension, ofFileMustExist
// and ofOverwritePrompt are honoured.
class TFileDialogService {
 public:
  virtual ~TFileDialogService() = default;
  virtual TFileDialogResult RunFileDialog(const TFileDialogRequest& Request) = 0;
};

// What a file dialog does with the names the user chose before it closes:
// DefaultExt is added to a name without extension, and ofPathMustExist,
// ofFileMustExist and ofOverwritePrompt are checked, telling the user (and
// asking before a replacement) through message boxes titled Title.  False
// when the user has to choose again.  Shared by the headless and window hosts.
bool CheckDialogFileNames(const TFileDialogRequest& Request, const std::string& Title,
                          std::vector<std::string>& Names);

// Splits a filter "Desc|mask|Desc|mask" into (description, mask) pairs.
std::vector<std::pair<std::string, std::string>> ParseDialogFilter(const std::string& Filter);

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* AOwner);

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& v) { FFileName = v; }
  // All chosen names (one unless ofAllowMultiSelect).
  TStringList& Files() { return FFiles; }
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& v) { FFilter = v; }
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int v) { FFilterIndex = v; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& v) { FInitialDir = v; }
  // Extension (without the dot) added to a name typed without one.
  const std::string& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const std::string& v);
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v) { FTitle = v; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions v) { FOptions = v; }
  // The error code of the last Execute (0: none; the dialog itself failed otherwise).
  int LastError() const { return FLastError; }

  // Shows the dialog; true when a file was chosen (FileName, Files and FilterIndex updated).
  virtual bool Execute();

  TNotifyEvent OnShow, OnClose;

 protected:
  virtual TFileDialogKind Kind() const { return fdOpen; }

 private:
  std::string FFileName, FFilter, FInitialDir, FDefaultExt, FTitle;
  TStringList FFiles;
  int FFilterIndex = 1;
  TOpenOptions FOptions = ofHideReadOnly | ofEnableSizing;
  int FLastError = 0;
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;

 protected:
  TFileDialogKind Kind() const override { return fdSave; }
};

}  // namespace zol
