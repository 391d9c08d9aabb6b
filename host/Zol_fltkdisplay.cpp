#include "host/Zol_fltkdisplay.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <cstdlib>

namespace zol::fltkhost {

namespace {

// A changed keyboard mapping (another layout, or a tool that maps a spare
// key to a character it types) must reach Xlib's key translation, or typed
// characters come out as the old mapping's.
int MappingHandler(void* event, void*) {
  auto* ev = static_cast<XEvent*>(event);
  if (ev->type == MappingNotify) XRefreshKeyboardMapping(&ev->xmapping);
  return 0;
}

}  // namespace

bool OpenDisplay(std::string* Why) {
  if (fl_display) return true;
  const char* d = std::getenv("DISPLAY");
  if (!d || !*d) {
    if (Why) *Why = "no display (DISPLAY is not set)";
    return false;
  }
  Display* disp = XOpenDisplay(nullptr);
  if (!disp) {
    if (Why) *Why = std::string("cannot open display ") + d;
    return false;
  }
  fl_open_display(disp);
  Fl::add_system_handler(MappingHandler, nullptr);
  return true;
}

unsigned long EventTime() { return fl_event_time; }

unsigned EventKeycode() {
  if (!fl_xevent || (fl_xevent->type != KeyPress && fl_xevent->type != KeyRelease)) return 0;
  return fl_xevent->xkey.keycode;
}

}  // namespace zol::fltkhost
