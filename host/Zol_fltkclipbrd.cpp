#include "host/Zol_fltkclipbrd.h"

#include <chrono>
#include <cstring>
#include <vector>

#include "base/platform/Zol_imaging.h"
#include "base/platform/Zol_sysutils.h"

// The toolkit and X last: the X headers define macros such as KeyPress.
#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xatom.h>

namespace zol {

namespace {

struct Selection {
  Window Win = 0;
  bool Owned = false;
  // Offered targets and their bytes while owned.
  std::vector<std::pair<Atom, std::string>> Offers;
  // The answer of a conversion request.
  bool Waiting = false, Answered = false;
  Atom AnswerType = 0;
  std::string Answer;
  bool Installed = false;
};

Selection gSel;

Atom A(const char* name) { return XInternAtom(fl_display, name, False); }

// Text targets: what other programs ask for.
bool IsAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

void Reply(const XSelectionRequestEvent& r, Atom property) {
  XEvent ev{};
  ev.xselection.type = SelectionNotify;
  ev.xselection.display = r.display;
  ev.xselection.requestor = r.requestor;
  ev.xselection.selection = r.selection;
  ev.xselection.target = r.target;
  ev.xselection.property = property;
  ev.xselection.time = r.time;
  XSendEvent(fl_display, r.requestor, False, 0, &ev);
  XFlush(fl_display);
}

int Handler(void* event, void*) {
  auto* ev = static_cast<XEvent*>(event);
  if (ev->type == SelectionRequest && ev->xselectionrequest.owner == gSel.Win) {
    const XSelectionRequestEvent& r = ev->xselectionrequest;
    Atom property = r.property == None ? r.target : r.property;  // obsolete requestors
    if (!gSel.Owned) {
      Reply(r, None);
      return 1;
    }
    if (r.target == A("TARGETS")) {
      std::vector<Atom> list{A("TARGETS")};
      for (auto& o : gSel.Offers) list.push_back(o.first);
      XChangeProperty(fl_display, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(list.data()), int(list.size()));
      Reply(r, property);
      return 1;
    }
    for (auto& o : gSel.Offers)
      if (o.first == r.target) {
        // Larger data would need the incremental protocol, which is not offered.
        long maxBytes = XExtendedMaxRequestSize(fl_display) > 0 ? XExtendedMaxRequestSize(fl_display) * 4
                                                                 : XMaxRequestSize(fl_display) * 4;
        if (long(o.second.size()) > maxBytes - 1024) break;
        XChangeProperty(fl_display, r.requestor, property, r.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(o.second.data()), int(o.second.size()));
        Reply(r, property);
        return 1;
      }
    Reply(r, None);
    return 1;
  }
  if (ev->type == SelectionClear && ev->xselectionclear.window == gSel.Win) {
    // Another program took the clipboard.
    gSel.Owned = false;
    gSel.Offers.clear();
    return 1;
  }
  if (ev->type == SelectionNotify && ev->xselection.requestor == gSel.Win) {
    if (!gSel.Waiting) return 1;
    gSel.Waiting = false;
    gSel.Answered = true;
    gSel.Answer.clear();
    gSel.AnswerType = 0;
    if (ev->xselection.property == None) return 1;
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    // Everything in one read (the length is counted in 32-bit units).
    if (XGetWindowProperty(fl_display, gSel.Win, ev->xselection.property, 0, 0x7FFFFFFF / 4, True,
                           AnyPropertyType, &type, &format, &n, &after, &data) == Success) {
      if (data && type != A("INCR")) {
        // 32-bit items (atoms) come as longs in memory.
        size_t unit = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
        gSel.Answer.assign(reinterpret_cast<char*>(data), n * unit);
        gSel.AnswerType = type;
      }
      if (data) XFree(data);
    }
    return 1;
  }
  return 0;
}

bool gBusy = false;

// Asks the clipboard's owner for one target; false without an answer.
bool Convert(Atom target, std::string& out, Atom* type = nullptr) {
  if (!gSel.Win) return false;
  gSel.Waiting = true;
  gSel.Answered = false;
  XConvertSelection(fl_display, A("CLIPBOARD"), target, A("ZOL_CLIPBOARD"), gSel.Win, CurrentTime);
  XFlush(fl_display);
  gBusy = true;
  auto start = std::chrono::steady_clock::now();
  while (!gSel.Answered && std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) Fl::wait(0.02);
  gBusy = false;
  gSel.Waiting = false;
  if (!gSel.Answered || gSel.AnswerType == 0) return false;
  out = gSel.Answer;
  if (type) *type = gSel.AnswerType;
  return true;
}

std::vector<Atom> Targets() {
  std::vector<Atom> r;
  std::string bytes;
  Atom type = 0;
  if (!Convert(A("TARGETS"), bytes, &type) || type != XA_ATOM) return r;
  size_t n = bytes.size() / sizeof(long);
  for (size_t i = 0; i < n; ++i) {
    long v;
    std::memcpy(&v, bytes.data() + i * sizeof(long), sizeof(long));
    r.push_back(Atom(v));
  }
  return r;
}

bool Has(const std::vector<Atom>& list, Atom a) {
  for (Atom x : list)
    if (x == a) return true;
  return false;
}

std::vector<Atom> TextTargets() { return {A("UTF8_STRING"), A("text/plain;charset=utf-8"), A("STRING"), A("TEXT")}; }
std::vector<Atom> ImageTargets() { return {A("image/png"), A("image/bmp")}; }

void Publish(const TMemoryClipboardStore& local) {
  gSel.Offers.clear();
  std::string bytes;
  if (local.GetData(CF_TEXT, bytes)) {
    gSel.Offers.push_back({A("UTF8_STRING"), bytes});
    gSel.Offers.push_back({A("text/plain;charset=utf-8"), bytes});
    if (IsAscii(bytes)) {
      gSel.Offers.push_back({A("STRING"), bytes});
      gSel.Offers.push_back({A("TEXT"), bytes});
    }
  }
  if (local.GetData(CF_BITMAP, bytes)) {
    gSel.Offers.push_back({A("image/png"), bytes});
    int w = 0, h = 0;
    bool alpha = false;
    std::vector<uint32_t> px;
    std::string err;
    if (Imaging::DecodePNG(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), w, h, px, alpha, err)) {
      std::vector<uint8_t> bmp = Imaging::EncodeBMP(w, h, px.data(), false);
      gSel.Offers.push_back({A("image/bmp"), std::string(bmp.begin(), bmp.end())});
    }
  }
  if (gSel.Offers.empty() && !local.HasFormat(CF_METAFILEPICT)) {
    if (gSel.Owned) XSetSelectionOwner(fl_display, A("CLIPBOARD"), None, CurrentTime);
    gSel.Owned = false;
    return;
  }
  XSetSelectionOwner(fl_display, A("CLIPBOARD"), gSel.Win, CurrentTime);
  gSel.Owned = XGetSelectionOwner(fl_display, A("CLIPBOARD")) == gSel.Win;
  XFlush(fl_display);
}

}  // namespace

TFltkClipboardStore::TFltkClipboardStore() = default;
TFltkClipboardStore::~TFltkClipboardStore() = default;

void TFltkClipboardStore::Clear() {
  FLocal.Clear();
  Publish(FLocal);
}

bool TFltkClipboardStore::HasFormat(unsigned Format) const {
  if (gSel.Owned) return FLocal.HasFormat(Format);
  if (Format != CF_TEXT && Format != CF_BITMAP) return false;
  std::vector<Atom> t = Targets();
  for (Atom a : Format == CF_TEXT ? TextTargets() : ImageTargets())
    if (Has(t, a)) return true;
  return false;
}

void TFltkClipboardStore::SetData(unsigned Format, const std::string& Bytes) {
  FLocal.SetData(Format, Bytes);
  Publish(FLocal);
}

bool TFltkClipboardStore::GetData(unsigned Format, std::string& Bytes) const {
  if (gSel.Owned) return FLocal.GetData(Format, Bytes);
  if (Format != CF_TEXT && Format != CF_BITMAP) return false;
  std::vector<Atom> t = Targets();
  std::string data;
  if (Format == CF_TEXT) {
    for (Atom a : TextTargets())
      if (Has(t, a) && Convert(a, data)) {
        // STRING and TEXT without UTF-8 are Latin-1.
        Bytes = (a == A("STRING") || a == A("TEXT")) && !IsAscii(data) ? BytesToUtf8(data) : data;
        return true;
      }
    return false;
  }
  for (Atom a : ImageTargets()) {
    if (!Has(t, a) || !Convert(a, data)) continue;
    int w = 0, h = 0;
    bool alpha = false;
    std::vector<uint32_t> px;
    std::string err;
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    bool ok = a == A("image/png") ? Imaging::DecodePNG(p, data.size(), w, h, px, alpha, err)
                                  : Imaging::DecodeBMP(p, data.size(), w, h, px, alpha, err);
    if (!ok) continue;
    std::vector<uint8_t> png;
    if (!Imaging::EncodePNG(w, h, px.data(), alpha, png, err)) continue;
    Bytes.assign(png.begin(), png.end());
    return true;
  }
  return false;
}

void InstallFltkClipboard() {
  if (gSel.Installed || !fl_display) return;
  gSel.Win = XCreateSimpleWindow(fl_display, RootWindow(fl_display, fl_screen), 0, 0, 1, 1, 0, 0, 0);
  Fl::add_system_handler(Handler, nullptr);
  SetClipboardStore(std::make_unique<TFltkClipboardStore>());
  gSel.Installed = true;
}

void RemoveFltkClipboard() {
  if (!gSel.Installed) return;
  SetClipboardStore(nullptr);
  Fl::remove_system_handler(Handler);
  if (gSel.Owned) XSetSelectionOwner(fl_display, XInternAtom(fl_display, "CLIPBOARD", False), None, CurrentTime);
  XDestroyWindow(fl_display, gSel.Win);
  XFlush(fl_display);
  gSel = Selection();
}

bool FltkClipboardBusy() { return gBusy; }

}  // namespace zol
