// Conversions of the window host, checked without a display.  Expected key
// codes are the published virtual-key values and the Linux input event codes
// (X key code = event code + 8).
#include <FL/Enumerations.H>
#include <gtest/gtest.h>

#include "host/Zol_fltkdialogs.h"
#include "host/Zol_fltkkeys.h"

using namespace zol;
using namespace zol::fltkhost;

TEST(FltkKeys, ToolkitKeysGiveVirtualKeys) {
  EXPECT_EQ(VirtualKeyOf('a'), 0x41);
  EXPECT_EQ(VirtualKeyOf('z'), 0x5A);
  EXPECT_EQ(VirtualKeyOf('7'), 0x37);
  EXPECT_EQ(VirtualKeyOf(FL_F + 1), 0x70);
  EXPECT_EQ(VirtualKeyOf(FL_F + 12), 0x7B);
  EXPECT_EQ(VirtualKeyOf(FL_KP + '0'), 0x60);
  EXPECT_EQ(VirtualKeyOf(FL_KP + '9'), 0x69);
  EXPECT_EQ(VirtualKeyOf(FL_KP + '+'), 0x6B);
  EXPECT_EQ(VirtualKeyOf(FL_Enter), 0x0D);
  EXPECT_EQ(VirtualKeyOf(FL_KP_Enter), 0x0D);
  EXPECT_EQ(VirtualKeyOf(FL_Escape), 0x1B);
  EXPECT_EQ(VirtualKeyOf(FL_BackSpace), 0x08);
  EXPECT_EQ(VirtualKeyOf(FL_Tab), 0x09);
  EXPECT_EQ(VirtualKeyOf(' '), 0x20);
  EXPECT_EQ(VirtualKeyOf(FL_Left), 0x25);
  EXPECT_EQ(VirtualKeyOf(FL_Up), 0x26);
  EXPECT_EQ(VirtualKeyOf(FL_Right), 0x27);
  EXPECT_EQ(VirtualKeyOf(FL_Down), 0x28);
  EXPECT_EQ(VirtualKeyOf(FL_Page_Up), 0x21);
  EXPECT_EQ(VirtualKeyOf(FL_Page_Down), 0x22);
  EXPECT_EQ(VirtualKeyOf(FL_Home), 0x24);
  EXPECT_EQ(VirtualKeyOf(FL_End), 0x23);
  EXPECT_EQ(VirtualKeyOf(FL_Insert), 0x2D);
  EXPECT_EQ(VirtualKeyOf(FL_Delete), 0x2E);
  EXPECT_EQ(VirtualKeyOf(FL_Shift_R), 0x10);
  EXPECT_EQ(VirtualKeyOf(FL_Control_L), 0x11);
  EXPECT_EQ(VirtualKeyOf(FL_Alt_L), 0x12);
  EXPECT_EQ(VirtualKeyOf(';'), 0xBA);
  EXPECT_EQ(VirtualKeyOf('\''), 0xDE);
  // Keys without a virtual key: a Cyrillic letter (keysym 0x6ca), a mouse button.
  EXPECT_EQ(VirtualKeyOf(0x6ca), 0);
  EXPECT_EQ(VirtualKeyOf(FL_Button + 1), 0);
}

TEST(FltkKeys, KeyPositionsOfNonLatinLayouts) {
  EXPECT_EQ(VirtualKeyOfPosition(2 + 8), '1');   // KEY_1
  EXPECT_EQ(VirtualKeyOfPosition(11 + 8), '0');  // KEY_0
  EXPECT_EQ(VirtualKeyOfPosition(16 + 8), 'Q');  // KEY_Q
  EXPECT_EQ(VirtualKeyOfPosition(25 + 8), 'P');  // KEY_P
  EXPECT_EQ(VirtualKeyOfPosition(30 + 8), 'A');  // KEY_A
  EXPECT_EQ(VirtualKeyOfPosition(38 + 8), 'L');  // KEY_L
  EXPECT_EQ(VirtualKeyOfPosition(44 + 8), 'Z');  // KEY_Z
  EXPECT_EQ(VirtualKeyOfPosition(46 + 8), 'C');  // KEY_C
  EXPECT_EQ(VirtualKeyOfPosition(50 + 8), 'M');  // KEY_M
  // Neighbours that are no letters: Escape, minus, bracket, semicolon, comma.
  for (unsigned kc : {1u + 8, 12u + 8, 26u + 8, 39u + 8, 51u + 8, 0u, 255u}) EXPECT_EQ(VirtualKeyOfPosition(kc), 0) << kc;
}

TEST(FltkKeys, ShiftStateAndButtons) {
  EXPECT_EQ(ShiftOf(0), 0u);
  EXPECT_EQ(ShiftOf(FL_SHIFT | FL_CTRL | FL_BUTTON3), ssShift | ssCtrl | ssRight);
  EXPECT_EQ(ShiftOf(FL_ALT | FL_BUTTON1 | FL_BUTTON2), ssAlt | ssLeft | ssMiddle);
  // Lock keys are no shift state.
  EXPECT_EQ(ShiftOf(FL_CAPS_LOCK | FL_NUM_LOCK), 0u);
  EXPECT_EQ(ButtonOf(1), mbLeft);
  EXPECT_EQ(ButtonOf(2), mbMiddle);
  EXPECT_EQ(ButtonOf(3), mbRight);
}

TEST(FltkKeys, CursorShapes) {
  EXPECT_EQ(StandardCursorOf(crDefault), FL_CURSOR_DEFAULT);
  EXPECT_EQ(StandardCursorOf(crIBeam), FL_CURSOR_INSERT);
  EXPECT_EQ(StandardCursorOf(crCross), FL_CURSOR_CROSS);
  EXPECT_EQ(StandardCursorOf(crHourGlass), FL_CURSOR_WAIT);
  EXPECT_EQ(StandardCursorOf(crSizeWE), FL_CURSOR_WE);
  EXPECT_EQ(StandardCursorOf(crNone), FL_CURSOR_NONE);
  EXPECT_EQ(StandardCursorOf(12345), FL_CURSOR_DEFAULT);
}

TEST(FltkPixels, ChangedRectangle) {
  const int w = 7, h = 5;
  std::vector<uint32_t> a(w * h, 0xFF000000u), b = a;
  EXPECT_TRUE(ChangedRect(a.data(), b.data(), w, h).IsEmpty());
  b[2 * w + 3] = 0xFFFFFFFFu;
  EXPECT_EQ(ChangedRect(a.data(), b.data(), w, h), TRect(3, 2, 4, 3));
  b[0] = 1;
  b[4 * w + 6] = 1;  // the corners
  EXPECT_EQ(ChangedRect(a.data(), b.data(), w, h), TRect(0, 0, 7, 5));
  // A change of alpha alone is a change as well.
  std::vector<uint32_t> c = a;
  c[1 * w + 5] = 0x00000000u;
  EXPECT_EQ(ChangedRect(a.data(), c.data(), w, h), TRect(5, 1, 6, 2));
}

TEST(FltkPixels, ByteOrderOfImageRows) {
  // Bitmap words are 0xAARRGGBB; the toolkit takes R, G, B bytes.
  const int w = 3;
  std::vector<uint32_t> px{0xFF112233u, 0xFF445566u, 0xFF778899u, 0x80AABBCCu, 0xFFDDEEFFu, 0xFF010203u};
  std::vector<uint8_t> rgb;
  ToRGB(px.data(), w, TRect(1, 0, 3, 2), rgb);
  std::vector<uint8_t> want{0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xDD, 0xEE, 0xFF, 0x01, 0x02, 0x03};
  EXPECT_EQ(rgb, want);
  // Back, with padded rows and with alpha.
  std::vector<uint8_t> rows{1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  std::vector<uint32_t> back;
  FromRGB(rows.data(), 2, 2, 3, 8, back);
  EXPECT_EQ(back, (std::vector<uint32_t>{0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu}));
}

TEST(FltkPixels, GreyAndAlphaImagesFromTheClipboard) {
  std::vector<uint8_t> rgba{10, 20, 30, 40};
  std::vector<uint32_t> out;
  FromRGB(rgba.data(), 1, 1, 4, 0, out);
  EXPECT_EQ(out[0], 0x280A141Eu);
  std::vector<uint8_t> grey{0x7F, 0x30};
  FromRGB(grey.data(), 2, 1, 1, 0, out);
  EXPECT_EQ(out, (std::vector<uint32_t>{0xFF7F7F7Fu, 0xFF303030u}));
}

TEST(FltkDialogs, FilterPatterns) {
  EXPECT_EQ(FilterPattern("*.txt"), "*.txt");
  EXPECT_EQ(FilterPattern("*.txt;*.csv"), "{*.txt,*.csv}");
  EXPECT_EQ(FilterPattern(" *.png ; *.jpg ;"), "{*.png,*.jpg}");
  EXPECT_EQ(FilterPattern(""), "*");
}

TEST(FltkDialogs, MessageBoxKeys) {
  EXPECT_EQ(MessageBoxEscapeResult(mbYesNo), mrNo);
  EXPECT_EQ(MessageBoxEscapeResult(mbOKCancel), mrCancel);
  EXPECT_EQ(MessageBoxEscapeResult(TMsgDlgButtons{mbOK}), mrOk);
  EXPECT_EQ(MessageBoxEscapeResult(mbYesNoCancel), mrCancel);
  EXPECT_EQ(MessageBoxEscapeResult(mbAbortRetryIgnore), mrAbort);
  EXPECT_EQ(MessageBoxEscapeResult(TMsgDlgButtons{mbRetry}), mrRetry);
  EXPECT_EQ(MessageBoxEscapeResult(TMsgDlgButtons{}), mrOk);
  EXPECT_EQ(MessageBoxDefaultButton(mbYesNo), mbYes);
  EXPECT_EQ(MessageBoxDefaultButton(mbOKCancel), mbOK);
  EXPECT_EQ(MessageBoxDefaultButton(mbAbortRetryIgnore), mbAbort);
  // The accelerators of a box's buttons differ, so a letter presses one button.
  for (TMsgDlgButtons set : {mbYesNo, mbYesNoCancel, mbYesAllNoAllCancel, mbAbortRetryIgnore, mbOKCancel}) {
    std::string keys;
    for (TMsgDlgBtn b : set.List()) {
      std::string l = MessageBoxButtonLabel(b);
      size_t amp = l.find('&');
      if (amp == std::string::npos) continue;
      char k = char(std::tolower(static_cast<unsigned char>(l[amp + 1])));
      EXPECT_EQ(keys.find(k), std::string::npos) << l;
      keys += k;
    }
  }
}
