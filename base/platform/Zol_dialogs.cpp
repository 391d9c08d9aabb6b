#include "base/platform/Zol_dialogs.h"

#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

std::vector<TMsgDlgBtn> TMsgDlgButtons::List() const {
  std::vector<TMsgDlgBtn> r;
  for (TMsgDlgBtn b : {mbYes, mbYesToAll, mbNo, mbNoToAll, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll,
                       mbClose, mbHelp})
    if (Contains(b)) r.push_back(b);
  return r;
}

TModalResult ModalResultOfButton(TMsgDlgBtn b) {
  switch (b) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbClose: return mrClose;
    case mbHelp: return mrNone;
  }
  return mrNone;
}

std::string MsgDlgTypeCaption(TMsgDlgType t) {
  switch (t) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: return "";
  }
  return "";
}

std::string MsgDlgButtonCaption(TMsgDlgBtn b) {
  switch (b) {
    case mbYes: return "Yes";
    case mbNo: return "No";
    case mbOK: return "OK";
    case mbCancel: return "Cancel";
    case mbAbort: return "Abort";
    case mbRetry: return "Retry";
    case mbIgnore: return "Ignore";
    case mbAll: return "All";
    case mbNoToAll: return "No to All";
    case mbYesToAll: return "Yes to All";
    case mbHelp: return "Help";
    case mbClose: return "Close";
  }
  return "";
}

namespace {

TModalResult Run(TMessageBoxRequest& r) {
  TApplication* app = Application();
  if (!app) return mrCancel;
  if (r.Buttons.Empty()) r.Buttons = TMsgDlgButtons{mbOK};
  return app->MessageBoxService()->ShowMessageBox(r);
}

std::string DefaultCaption(TMsgDlgType t) {
  if (t != mtCustom) return MsgDlgTypeCaption(t);
  TApplication* app = Application();
  return app ? app->Title() : std::string();
}

}  // namespace

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return MessageDlgPos(Msg, DlgType, Buttons, HelpCtx, -1, -1);
}

TModalResult MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                           int X, int Y) {
  TMessageBoxRequest r;
  r.DlgType = DlgType;
  r.Text = Msg;
  r.Caption = DefaultCaption(DlgType);
  r.Buttons = Buttons;
  r.HelpCtx = HelpCtx;
  r.X = X;
  r.Y = Y;
  return Run(r);
}

TModalResult MessageBoxDlg(const std::string& Caption, const std::string& Msg, TMsgDlgType DlgType,
                           TMsgDlgButtons Buttons) {
  TMessageBoxRequest r;
  r.DlgType = DlgType;
  r.Text = Msg;
  r.Caption = Caption.empty() ? DefaultCaption(DlgType) : Caption;
  r.Buttons = Buttons;
  return Run(r);
}

void ShowMessage(const std::string& Msg) { ShowMessagePos(Msg, -1, -1); }

void ShowMessagePos(const std::string& Msg, int X, int Y) {
  TMessageBoxRequest r;
  r.DlgType = mtCustom;
  r.Text = Msg;
  r.Caption = DefaultCaption(mtCustom);
  r.Buttons = TMsgDlgButtons{mbOK};
  r.X = X;
  r.Y = Y;
  Run(r);
}

bool CheckDialogFileNames(const TFileDialogRequest& Request, const std::string& Title,
                          std::vector<std::string>& Names) {
  for (std::string& n : Names) {
    if (!Request.DefaultExt.empty() && ExtractFileExt(n).empty()) {
      std::string ext = Request.DefaultExt;
      if (ext[0] == '.') ext.erase(0, 1);
      n += "." + ext;
    }
    std::string dir = ExtractFilePath(n);
    if ((Request.Options & ofPathMustExist) && !dir.empty() && !DirectoryExists(dir)) {
      MessageBoxDlg(Title, n + "\nPath does not exist.", mtWarning, {mbOK});
      return false;
    }
    if (Request.Kind == fdOpen && (Request.Options & ofFileMustExist) && !FileExists(n)) {
      MessageBoxDlg(Title, n + "\nFile not found.", mtWarning, {mbOK});
      return false;
    }
    if (Request.Kind == fdSave && (Request.Options & ofOverwritePrompt) && FileExists(n)) {
      if (MessageBoxDlg(Title, n + " already exists.\nDo you want to replace it?", mtWarning, mbYesNo) != mrYes)
        return false;
    }
  }
  return true;
}

std::vector<std::pair<std::string, std::string>> ParseDialogFilter(const std::string& Filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t bar = Filter.find('|', start);
    parts.push_back(Filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::vector<std::pair<std::string, std::string>> r;
  if (Filter.empty()) return r;
  for (size_t i = 0; i < parts.size(); i += 2)
    r.emplace_back(parts[i], i + 1 < parts.size() ? parts[i + 1] : std::string());
  return r;
}

// ---------------------------------------------------------------- TOpenDialog
TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

void TOpenDialog::SetDefaultExt(const std::string& v) {
  FDefaultExt = (!v.empty() && v[0] == '.') ? v.substr(1) : v;
}

bool TOpenDialog::Execute() {
  FLastError = 0;
  TApplication* app = Application();
  if (!app) return false;
  TFileDialogRequest r;
  r.Kind = Kind();
  r.Title = FTitle;
  r.Filter = FFilter;
  r.FilterIndex = FFilterIndex;
  r.InitialDir = FInitialDir;
  r.FileName = FFileName;
  r.DefaultExt = FDefaultExt;
  r.Options = FOptions;
  if (OnShow) OnShow(this);
  TFileDialogResult res = app->FileDialogService()->RunFileDialog(r);
  if (OnClose) OnClose(this);
  if (!res.Accepted || res.FileNames.empty()) {
    FLastError = res.ErrorCode;
    return false;
  }
  FFileName = res.FileNames.front();
  FFiles.Clear();
  for (const std::string& n : res.FileNames) FFiles.Add(n);
  FFilterIndex = res.FilterIndex;
  std::string ext = ExtractFileExt(FFileName);
  if (!FDefaultExt.empty() && !SameText(ext, "." + FDefaultExt))
    FOptions |= ofExtensionDifferent;
  else
    FOptions &= ~static_cast<TOpenOptions>(ofExtensionDifferent);
  return true;
}

}  // namespace zol
