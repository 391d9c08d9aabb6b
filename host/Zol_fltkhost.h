// Window host on FLTK.
//
// UseFltkHost() connects to the display and installs the host behind the
// services of the application object: from then on every form that is shown
// becomes a toolkit window, controls paint through the suite's canvas into
// the form's picture and the window shows exactly those pixels.  Real mouse
// and keyboard input is fed through TApplication's Dispatch… calls, timers
// run on the toolkit's timeouts, and message boxes, file dialogs, popup
// menus, hints, cursors and the clipboard (X selections) are the toolkit's.
//
//   int main() {
//     if (!zol::UseFltkHost()) return 1;      // no display
//     auto* form = new MyForm(zol::Application());
//     form->Show();
//     return zol::RunFltkHost();               // until every form is hidden
//   }
//
// The headless host stays the default; nothing of the suite depends on this
// library.
#pragma once

#include <string>

namespace zol {

class TWinControl;

// Opens the display and installs the host.  False (host not installed) when
// no display can be opened; Why receives the reason.
bool UseFltkHost(std::string* Why = nullptr);
// True once UseFltkHost succeeded.
bool FltkHostActive();
// Processes window events until no form is visible any more or
// Application()->Terminate() was called.  Answers 0.
int RunFltkHost();
// Processes the pending window events and repaints, without waiting.
void FltkHostProcessEvents();
// Restores the headless services and closes every window of the host.
void ShutdownFltkHost();
// The screen position of the window of a top-level control (false when it
// has none); what tests and tools need to find a form's pixels on the screen.
bool FltkWindowOrigin(TWinControl* Window, int& X, int& Y);

}  // namespace zol
