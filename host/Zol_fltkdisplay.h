// Window host on FLTK: the connection to the X display, kept apart because
// the X headers define macros (KeyPress, …) that clash with the suite's names.
#pragma once

#include <string>

namespace zol::fltkhost {

// Opens the display named by DISPLAY for the toolkit; false (with the reason) when it cannot.
bool OpenDisplay(std::string* Why);
// The X server time (milliseconds) of the event being handled.
unsigned long EventTime();
// The X key code of the key event being handled (0 for other events).
unsigned EventKeycode();

}  // namespace zol::fltkhost
