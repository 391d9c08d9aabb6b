#include "host/Zol_fltkdisplay.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <cstdlib>

namespace zol::fltkhost {

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
  return true;
}

}  // namespace zol::fltkhost
