#include "host/Zol_fltkdialogs.h"


#include <algorithm>
#include <deque>
#include <memory>

#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_sysutils.h"
#include "host/Zol_fltkkeys.h"

// The toolkit last: its X headers define macros such as KeyPress.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

namespace zol {

std::string MessageBoxButtonLabel(TMsgDlgBtn b) {
  switch (b) {
    case mbYes: return "&Yes";
    case mbNo: return "&No";
    case mbOK: return "OK";
    case mbCancel: return "Cancel";
    case mbAbort: return "&Abort";
    case mbRetry: return "&Retry";
    case mbIgnore: return "&Ignore";
    case mbAll: return "&All";
    case mbNoToAll: return "N&o to All";
    case mbYesToAll: return "Yes to &All";
    case mbHelp: return "&Help";
    case mbClose: return "&Close";
  }
  return "";
}

TModalResult MessageBoxEscapeResult(TMsgDlgButtons Buttons) {
  if (Buttons.Empty()) return mrOk;
  for (TMsgDlgBtn b : {mbCancel, mbNo, mbAbort, mbClose, mbIgnore})
    if (Buttons.Contains(b)) return ModalResultOfButton(b);
  if (Buttons.Contains(mbOK)) return mrOk;
  for (TMsgDlgBtn b : Buttons.List())
    if (ModalResultOfButton(b) != mrNone) return ModalResultOfButton(b);
  return mrNone;
}

TMsgDlgBtn MessageBoxDefaultButton(TMsgDlgButtons Buttons) {
  if (Buttons.Contains(mbOK)) return mbOK;
  if (Buttons.Contains(mbYes)) return mbYes;
  std::vector<TMsgDlgBtn> l = Buttons.List();
  return l.empty() ? mbOK : l.front();
}

namespace {

// Waits until the window is hidden.
void RunModal(Fl_Window& w) {
  w.set_modal();
  w.show();
  while (w.shown()) Fl::wait();
}

struct BoxState {
  TModalResult Result = mrNone;
  Fl_Window* Window = nullptr;
};

struct ButtonData {
  BoxState* State;
  TModalResult Result;
};

void ButtonCb(Fl_Widget*, void* p) {
  auto* d = static_cast<ButtonData*>(p);
  d->State->Result = d->Result;
  d->State->Window->hide();
}

}  // namespace

TModalResult TFltkDialogs::ShowMessageBox(const TMessageBoxRequest& Request) {
  TMsgDlgButtons buttons = Request.Buttons.Empty() ? TMsgDlgButtons{mbOK} : Request.Buttons;
  std::string caption = Request.Caption;
  if (caption.empty()) caption = Request.DlgType == mtCustom ? Application()->Title() : MsgDlgTypeCaption(Request.DlgType);
  std::vector<TMsgDlgBtn> list = buttons.List();
  fl_font(FL_HELVETICA, 14);
  int tw = 0, th = 0;
  // The text wraps at 420 pixels.
  tw = 420;
  fl_measure(Request.Text.c_str(), tw, th, 0);
  const int bw = 90, bh = 28, gap = 8, margin = 16;
  int buttonsW = int(list.size()) * bw + int(list.size() - 1) * gap;
  int W = std::max(tw, buttonsW) + 2 * margin;
  W = std::max(W, 240);
  int H = margin + th + margin + bh + margin;
  int X = Request.X, Y = Request.Y;
  if (X < 0 || Y < 0) {
    X = (Fl::w() - W) / 2;
    Y = (Fl::h() - H) / 2;
  }
  Fl_Window win(X, Y, W, H);
  win.copy_label(caption.c_str());
  BoxState state;
  state.Window = &win;
  TModalResult escape = MessageBoxEscapeResult(buttons);
  Fl_Box text(margin, margin, W - 2 * margin, th);
  text.copy_label(Request.Text.c_str());
  text.align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  text.labelfont(FL_HELVETICA);
  text.labelsize(14);
  std::vector<std::unique_ptr<Fl_Button>> bs;
  std::deque<ButtonData> data;
  TMsgDlgBtn def = MessageBoxDefaultButton(buttons);
  int bx = (W - buttonsW) / 2, by = H - margin - bh;
  for (TMsgDlgBtn b : list) {
    std::unique_ptr<Fl_Button> btn;
    if (b == def)
      btn = std::make_unique<Fl_Return_Button>(bx, by, bw, bh);
    else
      btn = std::make_unique<Fl_Button>(bx, by, bw, bh);
    btn->copy_label(MessageBoxButtonLabel(b).c_str());
    data.push_back({&state, ModalResultOfButton(b)});
    btn->callback(ButtonCb, &data.back());
    bs.push_back(std::move(btn));
    bx += bw + gap;
  }
  win.end();
  // Escape and the window's close box.
  ButtonData esc{&state, escape};
  win.callback(ButtonCb, &esc);
  RunModal(win);
  // The box was answered; the buttons and the window go before the toolkit sees them again.
  win.hide();
  for (auto& b : bs) win.remove(b.get());
  win.remove(&text);
  return state.Result;
}

TFileDialogResult TFltkDialogs::RunFileDialog(const TFileDialogRequest& Request) {
  TFileDialogResult res;
  res.FilterIndex = Request.FilterIndex;
  std::string filter;
  auto pairs = ParseDialogFilter(Request.Filter);
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i) filter += "\t";
    // The toolkit reads the pattern between the last parentheses.
    std::string desc = pairs[i].first;
    std::replace(desc.begin(), desc.end(), '(', '[');
    std::replace(desc.begin(), desc.end(), ')', ']');
    filter += desc + " (" + fltkhost::FilterPattern(pairs[i].second) + ")";
  }
  if (filter.empty()) filter = "All files (*)";
  int type = Request.Kind == fdSave ? Fl_File_Chooser::CREATE
             : (Request.Options & ofAllowMultiSelect) ? Fl_File_Chooser::MULTI
                                                     : Fl_File_Chooser::SINGLE;
  std::string start = Request.InitialDir;
  if (!Request.FileName.empty())
    start = Request.FileName[0] == PathDelim || start.empty() ? Request.FileName
                                                             : IncludeTrailingPathDelimiter(start) + Request.FileName;
  std::string title = Request.Title.empty() ? (Request.Kind == fdSave ? "Save As" : "Open") : Request.Title;
  for (;;) {
    Fl_File_Chooser fc(start.empty() ? "." : start.c_str(), filter.c_str(), type, title.c_str());
    fc.preview(0);
    if (!pairs.empty() && Request.FilterIndex >= 1 && Request.FilterIndex <= int(pairs.size()))
      fc.filter_value(Request.FilterIndex - 1);
    fc.show();
    while (fc.shown()) Fl::wait();
    if (fc.count() <= 0 || !fc.value(1)) return res;
    std::vector<std::string> names;
    for (int i = 1; i <= fc.count(); ++i)
      if (const char* v = fc.value(i)) names.push_back(v);
    if (!(Request.Options & ofAllowMultiSelect) && names.size() > 1) names.resize(1);
    res.FilterIndex = fc.filter_value() + 1;
    bool ok = !names.empty() && CheckDialogFileNames(Request, title, names);
    if (!ok) {
      if (!names.empty()) start = names.front();
      continue;
    }
    res.Accepted = true;
    res.FileNames = names;
    return res;
  }
}

namespace {

// Flattens the visible items of a menu level into the toolkit's array.
void BuildMenu(TMenuItem* parent, std::vector<Fl_Menu_Item>& out, std::deque<std::string>& labels) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* it = parent->Items(i);
    if (!it->Visible()) continue;
    if (it->IsLine()) {
      if (!out.empty()) out.back().flags |= FL_MENU_DIVIDER;
      continue;
    }
    labels.push_back(it->Caption());
    Fl_Menu_Item m{};
    m.text = labels.back().c_str();
    m.user_data_ = it;
    int flags = 0;
    if (!it->Enabled()) flags |= FL_MENU_INACTIVE;
    if (it->RadioItem())
      flags |= FL_MENU_RADIO;
    else if (it->Checked() || it->AutoCheck())
      flags |= FL_MENU_TOGGLE;
    if (it->Checked()) flags |= FL_MENU_VALUE;
    bool sub = it->Count() > 0;
    if (sub) flags = (flags & ~(FL_MENU_TOGGLE | FL_MENU_RADIO | FL_MENU_VALUE)) | FL_SUBMENU;
    m.flags = flags;
    out.push_back(m);
    if (sub) {
      BuildMenu(it, out, labels);
      out.push_back(Fl_Menu_Item{});
    }
  }
}

}  // namespace

TMenuItem* TFltkDialogs::ShowPopup(TPopupMenu& Menu, int X, int Y) {
  std::vector<Fl_Menu_Item> items;
  std::deque<std::string> labels;
  BuildMenu(Menu.Items(), items, labels);
  if (items.empty()) return nullptr;
  items.push_back(Fl_Menu_Item{});
  // The toolkit places popups relative to the window of the last event.
  int ox = Fl::event_x_root() - Fl::event_x(), oy = Fl::event_y_root() - Fl::event_y();
  const Fl_Menu_Item* picked = items.front().popup(X - ox, Y - oy);
  if (!picked) return nullptr;
  auto* chosen = static_cast<TMenuItem*>(picked->user_data());
  return chosen && chosen->Clickable() ? chosen : nullptr;
}

}  // namespace zol
