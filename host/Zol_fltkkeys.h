// Window host on FLTK: conversions between the toolkit's vocabulary and the
// suite's (keys, shift state, cursors, pixels, UTF-8 text).  Kept apart from
// the host so that they can be checked without a display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_graphics.h"

namespace zol::fltkhost {

// The virtual key of a toolkit key code (Fl::event_key()); 0 for keys
// without one.  Letters give their upper-case code, digits '0'..'9'.
uint16_t VirtualKeyOf(int FlKey);
// The virtual key of a letter or digit key by its position (X key code of
// the evdev set, which X servers on Linux use): what a key of a layout
// without Latin letters gives, so that Ctrl+C stays Ctrl+C.  0 for other keys.
uint16_t VirtualKeyOfPosition(unsigned Keycode);
// The shift state of a toolkit event state (Fl::event_state()): modifier
// keys and the buttons held.
TShiftState ShiftOf(int FlState);
// The mouse button of a toolkit button number (1 left, 2 middle, 3 right).
TMouseButton ButtonOf(int FlButton);
// The toolkit's standard cursor for a suite cursor (Fl_Cursor value).
int StandardCursorOf(TCursor Cursor);

// The rectangle of pixels that differ between two pictures of equal size
// (Width × Height words each); an empty rectangle when they are equal.
TRect ChangedRect(const uint32_t* Old, const uint32_t* New, int Width, int Height);
// Copies the part R of a picture (Width words a row, 0xAARRGGBB words) as
// packed R, G, B bytes, the order the toolkit's image drawing expects.
void ToRGB(const uint32_t* Pixels, int Width, const TRect& R, std::vector<uint8_t>& Out);
// The reverse: packed rows of Depth bytes (3: R, G, B; 4: R, G, B, A) into words.
void FromRGB(const uint8_t* Data, int Width, int Height, int Depth, int LineBytes,
             std::vector<uint32_t>& Out);

// Turns a dialog filter mask ("*.txt;*.csv") into the toolkit's pattern ("{*.txt,*.csv}").
std::string FilterPattern(const std::string& Mask);

}  // namespace zol::fltkhost
