// Explorer entry of the platform layer: a drawing pad that exercises the
// canvas and every input path of the host (mouse, double click, wheel,
// keyboard text, shortcuts, popup menu, message box, file dialog, timer,
// clipboard).  Its state is published as properties, so a window test can
// rebuild the same picture headless and compare.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "apps/explorer/Explorer.h"
#include "base/Zol_dstruct.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_dialogs.h"
#include "base/platform/Zol_extctrls.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_menus.h"

using namespace zol;

namespace {

std::vector<int> ParseInts(const std::string& s) {
  std::vector<int> v;
  std::string cur;
  for (char c : s + ";") {
    if ((c >= '0' && c <= '9') || c == '-') {
      cur += c;
    } else if (!cur.empty()) {
      v.push_back(std::atoi(cur.c_str()));
      cur.clear();
    }
  }
  return v;
}

std::string JoinPoints(const std::vector<int>& v, size_t group) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (i) out += (i % group == 0) ? ";" : ",";
    out += std::to_string(v[i]);
  }
  return out;
}

uint32_t PixelCRC(const TBitmap& b) {
  uint32_t crc = 0xFFFFFFFFu;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      uint32_t p = b.ScanLine(y)[x];
      for (int k = 0; k < 3; ++k) crc = CalcNextCRC32(uint8_t(p >> (8 * k)), crc);
    }
  return ~crc;
}

class TDrawingPad : public TCustomControl {
 public:
  explicit TDrawingPad(TComponent* AOwner) : TCustomControl(AOwner) {
    SetTabStop(true);
    SetCursor(crCross);
    SetHint("Drawing pad: click, drag, type; right click for the menu");
    SetShowHint(true);
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->OnTimer = [this](TObject*) { ++FTicks; };
    FMenu = new TPopupMenu(this);
    FMenu->AddItem("&Clear", [this](TObject*) {
      FMenuChoice = "Clear";
      Clear();
    });
    FMenu->AddItem("-");
    FMenu->AddItem("&Thick pen", [this](TObject*) {
      FMenuChoice = "Thick pen";
      SetPenWidth(4);
    });
    FMenu->AddItem("T&hin pen", [this](TObject*) {
      FMenuChoice = "Thin pen";
      SetPenWidth(1);
    });
    SetPopupMenu(FMenu);
  }

  std::vector<int> Marks, Lines;  // x,y pairs; x1,y1,x2,y2 quadruples
  std::string Text;
  int DoubleClicks = 0, PenWidth = 1, Ticks() const { return FTicks; }
  std::string Answer, MenuChoice() const { return FMenuChoice; }
  std::string File, Pasted, ModalAnswer;
  int LastKey = 0;
  bool Inside = false;

  void Clear() {
    Marks.clear();
    Lines.clear();
    Text.clear();
    Invalidate();
  }
  void SetPenWidth(int w) {
    PenWidth = std::clamp(w, 1, 8);
    Invalidate();
  }
  void SetTimerInterval(int ms) {
    FTimer->SetEnabled(false);
    FTicks = 0;
    if (ms > 0) {
      FTimer->SetInterval(unsigned(ms));
      FTimer->SetEnabled(true);
    }
  }
  int TimerInterval() const { return FTimer->Enabled() ? int(FTimer->Interval()) : 0; }
  std::string PictureCRC() {
    auto b = PaintToBitmap();
    char buf[40];
    std::snprintf(buf, sizeof buf, "%dx%d:%08X", b->Width(), b->Height(), PixelCRC(*b));
    return buf;
  }

 protected:
  void Paint() override {
    TCanvas& c = Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(DoubleClicks % 2 ? clInfoBk : clWindow);
    c.Pen().SetColor(clBlack);
    c.Pen().SetWidth(1);
    c.Rectangle(0, 0, Width(), Height());
    c.Pen().SetWidth(PenWidth);
    c.Pen().SetColor(clNavy);
    for (size_t i = 0; i + 3 < Lines.size(); i += 4) {
      c.MoveTo(Lines[i], Lines[i + 1]);
      c.LineTo(Lines[i + 2], Lines[i + 3]);
    }
    c.Pen().SetWidth(1);
    c.Pen().SetColor(clRed);
    for (size_t i = 0; i + 1 < Marks.size(); i += 2) {
      int x = Marks[i], y = Marks[i + 1];
      c.MoveTo(x - 4, y);
      c.LineTo(x + 5, y);
      c.MoveTo(x, y - 4);
      c.LineTo(x, y + 5);
    }
    c.Brush().SetStyle(bsClear);
    c.Font().SetName("DejaVu Sans");
    c.Font().SetSize(12);
    c.Font().SetColor(clBlack);
    c.TextOut(8, Height() - 26, Text);
  }

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || (Shift & ssDouble)) return;
    FDown = true;
    FDownX = X;
    FDownY = Y;
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FDown) return;
    FDown = false;
    if (std::abs(X - FDownX) <= 3 && std::abs(Y - FDownY) <= 3) {
      Marks.insert(Marks.end(), {FDownX, FDownY});
    } else {
      Lines.insert(Lines.end(), {FDownX, FDownY, X, Y});
    }
    Invalidate();
  }
  void DblClick() override {
    TCustomControl::DblClick();
    ++DoubleClicks;
    Invalidate();
  }
  bool MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) override {
    TCustomControl::MouseWheel(Shift, WheelDelta, X, Y);
    SetPenWidth(PenWidth + (WheelDelta > 0 ? 1 : -1));
    return true;
  }
  void MouseEnter() override {
    TCustomControl::MouseEnter();
    Inside = true;
  }
  void MouseLeave() override {
    TCustomControl::MouseLeave();
    Inside = false;
  }
  void KeyDown(uint16_t& Key, TShiftState Shift) override {
    TCustomControl::KeyDown(Key, Shift);
    LastKey = Key;
    if (!(Shift & ssCtrl)) return;
    switch (Key) {
      case 'C': {  // the picture and the text
        auto b = PaintToBitmap();
        Clipboard().Open();
        Clipboard().SetAsText(Text);
        Clipboard().Assign(*b);
        Clipboard().Close();
        break;
      }
      case 'V':
        Text += Clipboard().AsText();
        Invalidate();
        break;
      case 'B': {
        TBitmap b;
        if (Clipboard().GetBitmap(b)) {
          char buf[40];
          std::snprintf(buf, sizeof buf, "%dx%d:%08X", b.Width(), b.Height(), PixelCRC(b));
          Pasted = buf;
        } else {
          Pasted = "none";
        }
        break;
      }
      case 'M': {
        TModalResult r = MessageDlg("Clear the drawing?", mtConfirmation, mbYesNo);
        Answer = r == mrYes ? "Yes" : r == mrNo ? "No" : std::to_string(r);
        if (r == mrYes) Clear();
        break;
      }
      case 'F': {  // a modal form: Return answers OK, Escape Cancel
        TForm f(nullptr);
        f.SetCaption("Pad dialog");
        f.SetBounds(ClientOrigin().X + 40, ClientOrigin().Y + 40, 240, 120);
        f.SetKeyPreview(true);
        f.OnKeyDown = [&f](TObject*, uint16_t& K, TShiftState) {
          if (K == VK_RETURN) f.SetModalResult(mrOk);
          if (K == VK_ESCAPE) f.SetModalResult(mrCancel);
        };
        TModalResult r = f.ShowModal();
        ModalAnswer = r == mrOk ? "OK" : r == mrCancel ? "Cancel" : std::to_string(r);
        break;
      }
      case 'O': {
        TOpenDialog d(nullptr);
        d.SetTitle("Open a file");
        d.SetFilter("Text files (*.txt)|*.txt|All files|*");
        d.SetOptions(d.Options() | ofFileMustExist);
        File = d.Execute() ? d.FileName() : "(cancelled)";
        break;
      }
      default:
        return;
    }
    Key = 0;
  }
  void KeyPressText(std::string& T) override {
    TCustomControl::KeyPressText(T);
    if (T.empty()) return;
    if (T == "\b") {
      if (!Text.empty()) {
        size_t n = Text.size() - 1;
        while (n > 0 && (static_cast<unsigned char>(Text[n]) & 0xC0) == 0x80) --n;
        Text.erase(n);
      }
    } else if (static_cast<unsigned char>(T[0]) >= 0x20 && T != "\x7f") {
      Text += T;
    }
    Invalidate();
  }

 private:
  TTimer* FTimer;
  TPopupMenu* FMenu;
  int FTicks = 0;
  std::string FMenuChoice;
  bool FDown = false;
  int FDownX = 0, FDownY = 0;
};

}  // namespace

ZOL_EXPLORER_ENTRY("Platform", "TCustomControl") {
  auto* p = new TDrawingPad(&Parent);
  p->SetName("Pad");
  p->SetParent(&Parent);
  p->SetBounds(20, 20, 480, 320);
  explorer::Demo d{p, {}};
  d.Properties.push_back({"Marks", [p] { return JoinPoints(p->Marks, 2); }, [p](const std::string& v) {
                            p->Marks = ParseInts(v);
                            if (p->Marks.size() % 2) p->Marks.pop_back();
                            p->Invalidate();
                          }});
  d.Properties.push_back({"Lines", [p] { return JoinPoints(p->Lines, 4); }, [p](const std::string& v) {
                            p->Lines = ParseInts(v);
                            p->Lines.resize(p->Lines.size() / 4 * 4);
                            p->Invalidate();
                          }});
  d.Properties.push_back({"Text", [p] { return p->Text; }, [p](const std::string& v) {
                            p->Text = v;
                            p->Invalidate();
                          }});
  d.Properties.push_back({"DoubleClicks", [p] { return std::to_string(p->DoubleClicks); },
                          [p](const std::string& v) {
                            p->DoubleClicks = std::max(0, std::atoi(v.c_str()));
                            p->Invalidate();
                          }});
  d.Properties.push_back({"PenWidth", [p] { return std::to_string(p->PenWidth); },
                          [p](const std::string& v) { p->SetPenWidth(std::atoi(v.c_str())); }});
  d.Properties.push_back({"TimerInterval", [p] { return std::to_string(p->TimerInterval()); },
                          [p](const std::string& v) { p->SetTimerInterval(std::atoi(v.c_str())); }});
  d.Properties.push_back({"Ticks", [p] { return std::to_string(p->Ticks()); }, nullptr});
  d.Properties.push_back({"Inside", [p] { return std::string(p->Inside ? "1" : "0"); }, nullptr});
  d.Properties.push_back({"LastKey", [p] { return std::to_string(p->LastKey); }, nullptr});
  d.Properties.push_back({"Answer", [p] { return p->Answer; }, nullptr});
  d.Properties.push_back({"MenuChoice", [p] { return p->MenuChoice(); }, nullptr});
  d.Properties.push_back({"ModalForm", [p] { return p->ModalAnswer; }, nullptr});
  d.Properties.push_back({"File", [p] { return p->File; }, nullptr});
  d.Properties.push_back({"Pasted", [p] { return p->Pasted; }, nullptr});
  d.Properties.push_back({"Picture", [p] { return p->PictureCRC(); }, nullptr});
  return d;
}
