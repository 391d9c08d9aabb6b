#include "host/Zol_fltkkeys.h"

#include <FL/Enumerations.H>

#include <string>

namespace zol::fltkhost {

uint16_t VirtualKeyOf(int k) {
  if (k >= 'a' && k <= 'z') return static_cast<uint16_t>(k - 'a' + 'A');
  if ((k >= 'A' && k <= 'Z') || (k >= '0' && k <= '9')) return static_cast<uint16_t>(k);
  if (k > FL_F && k <= FL_F + 24) return static_cast<uint16_t>(VK_F1 + (k - FL_F - 1));
  if (k >= FL_KP + '0' && k <= FL_KP + '9') return static_cast<uint16_t>(VK_NUMPAD0 + (k - FL_KP - '0'));
  switch (k) {
    case ' ': return VK_SPACE;
    case FL_BackSpace: return VK_BACK;
    case FL_Tab: return VK_TAB;
    case FL_Enter: case FL_KP_Enter: return VK_RETURN;
    case FL_Pause: return VK_PAUSE;
    case FL_Scroll_Lock: return VK_SCROLL;
    case FL_Escape: return VK_ESCAPE;
    case FL_Home: return VK_HOME;
    case FL_Left: return VK_LEFT;
    case FL_Up: return VK_UP;
    case FL_Right: return VK_RIGHT;
    case FL_Down: return VK_DOWN;
    case FL_Page_Up: return VK_PRIOR;
    case FL_Page_Down: return VK_NEXT;
    case FL_End: return VK_END;
    case FL_Print: return VK_SNAPSHOT;
    case FL_Insert: return VK_INSERT;
    case FL_Help: return VK_HELP;
    case FL_Num_Lock: return VK_NUMLOCK;
    case FL_Shift_L: case FL_Shift_R: return VK_SHIFT;
    case FL_Control_L: case FL_Control_R: return VK_CONTROL;
    case FL_Alt_L: case FL_Alt_R: return VK_MENU;
    case FL_Caps_Lock: return VK_CAPITAL;
    case FL_Delete: return VK_DELETE;
    case FL_KP + '*': return VK_MULTIPLY;
    case FL_KP + '+': return VK_ADD;
    case FL_KP + '-': return VK_SUBTRACT;
    case FL_KP + '.': return VK_DECIMAL;
    case FL_KP + '/': return VK_DIVIDE;
    // Punctuation of the US layout: the OEM key codes.
    case ';': return 0xBA;
    case '=': return 0xBB;
    case ',': return 0xBC;
    case '-': return 0xBD;
    case '.': return 0xBE;
    case '/': return 0xBF;
    case '`': return 0xC0;
    case '[': return 0xDB;
    case '\\': return 0xDC;
    case ']': return 0xDD;
    case '\'': return 0xDE;
    default: return 0;
  }
}

uint16_t VirtualKeyOfPosition(unsigned kc) {
  static const char* const rows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  static const unsigned first[] = {10, 24, 38, 52};
  for (int r = 0; r < 4; ++r) {
    unsigned n = unsigned(std::char_traits<char>::length(rows[r]));
    if (kc >= first[r] && kc < first[r] + n) return static_cast<uint16_t>(rows[r][kc - first[r]]);
  }
  return 0;
}

TShiftState ShiftOf(int s) {
  TShiftState r = 0;
  if (s & FL_SHIFT) r |= ssShift;
  if (s & FL_ALT) r |= ssAlt;
  if (s & FL_CTRL) r |= ssCtrl;
  if (s & FL_BUTTON1) r |= ssLeft;
  if (s & FL_BUTTON2) r |= ssMiddle;
  if (s & FL_BUTTON3) r |= ssRight;
  return r;
}

TMouseButton ButtonOf(int b) {
  switch (b) {
    case 2: return mbMiddle;
    case 3: return mbRight;
    default: return mbLeft;
  }
}

int StandardCursorOf(TCursor c) {
  switch (c) {
    case crNone: return FL_CURSOR_NONE;
    case crCross: return FL_CURSOR_CROSS;
    case crIBeam: return FL_CURSOR_INSERT;
    case crSizeNESW: return FL_CURSOR_NESW;
    case crSizeNS: case crVSplit: return FL_CURSOR_NS;
    case crSizeNWSE: return FL_CURSOR_NWSE;
    case crSizeWE: case crHSplit: return FL_CURSOR_WE;
    case crUpArrow: return FL_CURSOR_N;
    case crHourGlass: case crSQLWait: case crAppStart: return FL_CURSOR_WAIT;
    case crHandPoint: return FL_CURSOR_HAND;
    case crSizeAll: case crDrag: case crMultiDrag: return FL_CURSOR_MOVE;
    case crHelp: return FL_CURSOR_HELP;
    case crArrow: return FL_CURSOR_ARROW;
    default: return FL_CURSOR_DEFAULT;
  }
}

TRect ChangedRect(const uint32_t* a, const uint32_t* b, int w, int h) {
  int x0 = w, y0 = h, x1 = -1, y1 = -1;
  for (int y = 0; y < h; ++y) {
    const uint32_t* ra = a + size_t(y) * size_t(w);
    const uint32_t* rb = b + size_t(y) * size_t(w);
    int first = -1, last = -1;
    for (int x = 0; x < w; ++x)
      if (ra[x] != rb[x]) {
        first = x;
        break;
      }
    if (first < 0) continue;
    for (int x = w - 1; x >= first; --x)
      if (ra[x] != rb[x]) {
        last = x;
        break;
      }
    if (first < x0) x0 = first;
    if (last > x1) x1 = last;
    if (y < y0) y0 = y;
    y1 = y;
  }
  if (x1 < 0) return TRect(0, 0, 0, 0);
  return TRect(x0, y0, x1 + 1, y1 + 1);
}

void ToRGB(const uint32_t* px, int w, const TRect& r, std::vector<uint8_t>& out) {
  int rw = r.Right - r.Left, rh = r.Bottom - r.Top;
  out.resize(size_t(rw > 0 ? rw : 0) * size_t(rh > 0 ? rh : 0) * 3);
  size_t o = 0;
  for (int y = r.Top; y < r.Bottom; ++y) {
    const uint32_t* row = px + size_t(y) * size_t(w);
    for (int x = r.Left; x < r.Right; ++x) {
      uint32_t p = row[x];
      out[o++] = static_cast<uint8_t>(p >> 16);
      out[o++] = static_cast<uint8_t>(p >> 8);
      out[o++] = static_cast<uint8_t>(p);
    }
  }
}

void FromRGB(const uint8_t* d, int w, int h, int depth, int line, std::vector<uint32_t>& out) {
  if (line <= 0) line = w * depth;
  out.assign(size_t(w) * size_t(h), 0xFF000000u);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = d + size_t(y) * size_t(line);
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + size_t(x) * size_t(depth);
      uint32_t v;
      if (depth >= 3) {
        uint32_t a = depth >= 4 ? p[3] : 255u;
        v = (a << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
      } else {
        uint32_t a = depth == 2 ? p[1] : 255u;
        v = (a << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[0]) << 8) | p[0];
      }
      out[size_t(y) * size_t(w) + size_t(x)] = v;
    }
  }
}

std::string FilterPattern(const std::string& mask) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : mask) {
    if (c == ';') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else if (c != ' ') {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  if (parts.empty()) return "*";
  if (parts.size() == 1) return parts[0];
  std::string r = "{";
  for (size_t i = 0; i < parts.size(); ++i) r += (i ? "," : "") + parts[i];
  return r + "}";
}

}  // namespace zol::fltkhost
