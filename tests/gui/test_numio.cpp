// Numeric fields: validity while typing, text/value conversion in every
// format, the 32-bit limits of the integer formats, keystroke sequences
// through the headless host (typing, deleting, selecting, pasting, spin
// buttons, gauge, caret timer) and the pictures of box, warning and gauge.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "gui/Zol_numio.h"

using namespace zol;

namespace {

class NumIO : public ::testing::Test {
 protected:
  void SetUp() override {
    Application()->ResetHeadless();
    beeps = 0;
    NumIOBeepProc = [this] { ++beeps; };
  }
  void TearDown() override {
    NumIOBeepProc = nullptr;
    Application()->ResetHeadless();
  }
  int beeps = 0;
};

bool Valid(const std::string& s, TInFormat f, TDecPSep d = dsDot, int dec = 2) {
  return NumTextValid(s, f, d, dec);
}

double Conv(const std::string& s, TInFormat f) {
  double v;
  return ConvertNumString(s, f, v) ? v : std::nan("");
}

}  // namespace

// ---------------------------------------------------------------- validity while typing
TEST(NumText, FloatAndFixPoint) {
  for (const char* ok : {"", "-", "+", "-1", "1.", ".5", "-.5", "12.75", "0"}) EXPECT_TRUE(Valid(ok, itFloat)) << ok;
  for (const char* bad : {"1,5", "1.2.3", "--1", "1-", "a", "1e5", " 1", "1 "}) EXPECT_FALSE(Valid(bad, itFloat)) << bad;
  EXPECT_TRUE(Valid("1,5", itFloat, dsBoth));
  EXPECT_TRUE(Valid("1,5", itFloat, dsComma));
  EXPECT_FALSE(Valid("1.5", itFloat, dsComma));
  EXPECT_TRUE(Valid("1.5", itFloat, dsSystem)) << "the C locale's separator is a point";
  EXPECT_TRUE(Valid("3.14", itFixPoint));
  EXPECT_FALSE(Valid("3.1", itFixPoint));
  EXPECT_FALSE(Valid("3.141", itFixPoint));
  EXPECT_FALSE(Valid("314", itFixPoint));
  EXPECT_TRUE(Valid("-.25", itFixPoint));
  EXPECT_TRUE(Valid("7.", itFixPoint, dsDot, 0));
}

TEST(NumText, ExponentIntegerAndBases) {
  for (const char* ok : {"1E", "1e-", "-2.5E+03", "1.E7", ".5e1", ""}) EXPECT_TRUE(Valid(ok, itExp)) << ok;
  for (const char* bad : {"E5", "-E", "1E5.", "1E+-5", "1EE"}) EXPECT_FALSE(Valid(bad, itExp)) << bad;
  for (const char* ok : {"7", "-12", "+3", "2147483647", "-2147483648"}) EXPECT_TRUE(Valid(ok, itInt)) << ok;
  for (const char* bad : {"", "-", "1.", "2147483648", "-2147483649", "99999999999999999999"})
    EXPECT_FALSE(Valid(bad, itInt)) << bad;
  EXPECT_TRUE(Valid("dEadBeef", itHex));
  EXPECT_FALSE(Valid("1FFFFFFFF", itHex)) << "beyond 32 bits";
  EXPECT_TRUE(Valid("000000000FF", itHex)) << "leading zeros do not count";
  EXPECT_FALSE(Valid("", itHex));
  EXPECT_FALSE(Valid("G", itHex));
  EXPECT_TRUE(Valid("37777777777", itOct));
  EXPECT_FALSE(Valid("40000000000", itOct));
  EXPECT_FALSE(Valid("8", itOct));
  EXPECT_TRUE(Valid(std::string(32, '1'), itBin));
  EXPECT_FALSE(Valid("1" + std::string(32, '0'), itBin));
  EXPECT_FALSE(Valid("102", itBin));
  for (const char* ok : {"$", "$1F", "%101", "&17", "2.5", "-", ""}) EXPECT_TRUE(Valid(ok, itDynamic)) << ok;
  for (const char* bad : {"$G", "%2", "&8", "1$", "1E3"}) EXPECT_FALSE(Valid(bad, itDynamic)) << bad;
}

TEST(NumText, ConversionAndFormatting) {
  EXPECT_EQ(Conv("$1F", itDynamic), 31);
  EXPECT_EQ(Conv("%101", itDynamic), 5);
  EXPECT_EQ(Conv("&17", itDynamic), 15);
  EXPECT_EQ(Conv("2.5", itDynamic), 2.5);
  EXPECT_TRUE(std::isnan(Conv("$", itDynamic)));
  EXPECT_EQ(Conv("1,25", itFloat), 1.25);
  EXPECT_EQ(Conv("-2.5E+03", itExp), -2500);
  EXPECT_TRUE(std::isnan(Conv("1E", itExp)));
  EXPECT_TRUE(std::isnan(Conv("-", itFloat)));
  EXPECT_EQ(Conv("", itInt), 0);
  EXPECT_EQ(Conv("-2147483648", itInt), -2147483648.0);
  EXPECT_TRUE(std::isnan(Conv("2147483648", itInt)));
  EXPECT_EQ(Conv("FFFFFFFF", itHex), -1) << "32-bit pattern";
  EXPECT_EQ(Conv("777", itOct), 511);

  EXPECT_EQ(FormatNumValue(255, itHex, dsDot, 2, 6), "000000FF");
  EXPECT_EQ(FormatNumValue(255, itBin, dsDot, 2, 6), std::string(24, '0') + std::string(8, '1'));
  EXPECT_EQ(FormatNumValue(8, itOct, dsDot, 2, 6), "00000000010");
  EXPECT_EQ(FormatNumValue(-1, itHex, dsDot, 2, 6), "FFFFFFFF");
  EXPECT_EQ(FormatNumValue(1e12, itInt, dsDot, 2, 6), "2147483647") << "clamped, never wrapped";
  EXPECT_EQ(FormatNumValue(-1e12, itInt, dsDot, 2, 6), "-2147483648");
  EXPECT_EQ(FormatNumValue(1e12, itHex, dsDot, 2, 6), "7FFFFFFF");
  EXPECT_EQ(FormatNumValue(2.5, itInt, dsDot, 2, 6), "3");
  EXPECT_EQ(FormatNumValue(3.14159, itFloat, dsDot, 3, 6), "3.142");
  EXPECT_EQ(FormatNumValue(3.14159, itFixPoint, dsComma, 2, 6), "3,14");
  EXPECT_EQ(FormatNumValue(1234.5678, itExp, dsDot, 2, 6), "1.23457E+03");
  EXPECT_EQ(FormatNumValue(-0.5, itExp, dsDot, 2, 3), "-5.00E-01");
}

// ---------------------------------------------------------------- TNumIO2 value and text
TEST_F(NumIO, ValueTextAndFormats) {
  TNumIO2 n(nullptr);
  EXPECT_EQ(n.Width(), 160);
  EXPECT_EQ(n.Height(), 28);
  EXPECT_EQ(n.InputFormat(), itFloat);
  EXPECT_EQ(n.Text(), "0.00");
  int changes = 0;
  n.OnChange = [&](TObject*) { ++changes; };
  n.SetNioValue(2.345);
  EXPECT_EQ(n.Text(), "2.35");  // strff rounds half away from zero on the binary value
  EXPECT_EQ(changes, 1);
  n.SetNioValue(2.345);
  EXPECT_EQ(changes, 1);
  n.SetNioValue(std::nan(""));
  EXPECT_EQ(n.Text(), "2.35");
  n.SetInputFormat(itHex);
  EXPECT_EQ(n.Text(), "00000002");
  n.SetNioValue(255);
  EXPECT_EQ(n.Text(), "000000FF");
  EXPECT_EQ(n.Value(), 255);
  n.SetInputFormat(itBin);
  EXPECT_EQ(n.Text(), std::string(24, '0') + "11111111");
  n.SetInputFormat(itDynamic);
  EXPECT_TRUE(n.SetText("$1F"));
  EXPECT_EQ(n.Value(), 31);
  EXPECT_FALSE(n.SetText("$1G"));
  EXPECT_EQ(n.Text(), "$1F");
  n.SetInputFormat(itInt);
  EXPECT_EQ(n.Text(), "31");
  EXPECT_FALSE(n.SetText("3000000000"));
  n.SetFixPointDecPlaces(3);
  n.SetInputFormat(itFixPoint);
  EXPECT_EQ(n.Text(), "31.000");
  n.SetDecPlaceSep(dsComma);
  EXPECT_EQ(n.Text(), "31,000") << "rewritten for the new separator";
  EXPECT_EQ(n.Value(), 31);
  n.SetButWidth(80);
  EXPECT_EQ(n.ButWidth(), 50);
  n.SetButSpace(-3);
  EXPECT_EQ(n.ButSpace(), 0);
  n.SetGaugeHeight(1);
  EXPECT_EQ(n.GaugeHeight(), 3);
}

TEST_F(NumIO, OutOfRangeFollowsTheValue) {
  TNumIO2 n(nullptr);
  n.SetRangeLow(10);
  n.SetRangeHigh(20);
  EXPECT_TRUE(n.OutOfRange());
  n.SetNioValue(15);
  EXPECT_FALSE(n.OutOfRange());
  n.SetNioValue(20.5);
  EXPECT_TRUE(n.OutOfRange());
  n.SetInputFormat(itInt);
  n.SetRangeHigh(1e10);
  EXPECT_TRUE(n.SetText("2147483647"));
  EXPECT_FALSE(n.OutOfRange());
}

// ---------------------------------------------------------------- keystrokes through the host
namespace {

// A field on a shown form with the focus, fed through the headless host.
template <class C>
struct HostedField {
  TForm form{nullptr};
  C* n;
  HostedField(int w, int h) {
    form.SetBounds(0, 0, 300, 80);
    n = new C(&form);
    n->SetParent(&form);
    n->SetBounds(10, 10, w, h);
  }
  void Show() {
    form.Show();
    n->SetFocus();
    Application()->ProcessMessages();
  }
  void Type(const std::string& s) {
    Application()->PostText(s);
    Application()->ProcessMessages();
  }
  void Key(uint16_t k, TShiftState sh = 0) {
    Application()->PressKey(k, sh);
    Application()->ProcessMessages();
  }
  void Replace(const std::string& s) {
    Key('A', ssCtrl);
    Type(s);
  }
};

struct Field : HostedField<TNumIO2> {
  Field() : HostedField(200, 28) { Show(); }
};

}  // namespace

TEST_F(NumIO, TypingDeletingAndRefusing) {
  Field f;
  f.n->SetDecPlaceSep(dsDot);
  f.Key('A', ssCtrl);
  f.Type("-12.5");
  EXPECT_EQ(f.n->Text(), "-12.5");
  EXPECT_EQ(beeps, 0);
  f.Type(",");  // not a separator of dsDot
  f.Type(".");  // a second point
  f.Type("x");
  EXPECT_EQ(f.n->Text(), "-12.5");
  EXPECT_EQ(beeps, 3);
  f.Key(VK_BACK);
  f.Key(VK_BACK);
  EXPECT_EQ(f.n->Text(), "-12");
  f.Key(VK_HOME);
  f.Key(VK_DELETE);
  EXPECT_EQ(f.n->Text(), "12");
  f.Key(VK_RIGHT);
  f.Type("0");
  EXPECT_EQ(f.n->Text(), "102");
  EXPECT_EQ(f.n->CaretPos(), 2);
  f.Key(VK_END, ssShift);
  EXPECT_EQ(f.n->SelText(), "2");
  f.Type("7.25");
  EXPECT_EQ(f.n->Text(), "107.25");
  EXPECT_DOUBLE_EQ(f.n->Value(), 107.25);
  f.n->SetBeep(false);
  f.Type("e");
  EXPECT_EQ(beeps, 3) << "no beep when Beep is off";
  f.n->SetReadOnly(true);
  f.Type("1");
  f.Key(VK_BACK);
  EXPECT_EQ(f.n->Text(), "107.25");
}

TEST_F(NumIO, IntegerTypingStopsAtThe32BitLimit) {
  Field f;
  f.n->SetInputFormat(itInt);
  f.Key('A', ssCtrl);
  f.Type("21474836479");
  EXPECT_EQ(f.n->Text(), "2147483647") << "the last digit would leave the 32-bit range";
  EXPECT_EQ(beeps, 1);
  f.Key(VK_UP);  // the spin clamps instead of wrapping
  EXPECT_EQ(f.n->Text(), "2147483647");
  f.n->SetInputFormat(itHex);
  f.Key('A', ssCtrl);
  f.Type("FFFFFFFF1");
  EXPECT_EQ(f.n->Text(), "FFFFFFFF");
  EXPECT_EQ(f.n->Value(), -1);
}

TEST_F(NumIO, FixPointOverwritesTheFraction) {
  Field f;
  f.n->SetInputFormat(itFixPoint);
  EXPECT_EQ(f.n->Text(), "0.00");
  f.Key(VK_HOME);
  f.Type("3");
  EXPECT_EQ(f.n->Text(), "30.00");
  f.Key(VK_RIGHT);
  f.Key(VK_RIGHT);
  f.Type("75");
  EXPECT_EQ(f.n->Text(), "30.75");
  f.Type("1");  // at the end: a third decimal is refused
  EXPECT_EQ(f.n->Text(), "30.75");
  EXPECT_EQ(beeps, 1);
  f.Key(VK_BACK);  // would leave one decimal: refused
  EXPECT_EQ(f.n->Text(), "30.75");
}

TEST_F(NumIO, ClipboardSelectionAndSpin) {
  Field f;
  f.Key('A', ssCtrl);
  f.Key('C', ssCtrl);
  EXPECT_EQ(Clipboard().AsText(), "0.00");
  Clipboard().SetAsText("  42.5 \n");
  f.Key('A', ssCtrl);
  f.Key('V', ssCtrl);
  EXPECT_EQ(f.n->Text(), "42.5");
  Clipboard().SetAsText("4x");
  f.Key('V', ssCtrl);
  EXPECT_EQ(f.n->Text(), "42.5");
  EXPECT_EQ(beeps, 1);
  f.Key(VK_HOME);
  f.Key(VK_RIGHT, ssShift);
  f.Key(VK_RIGHT, ssShift);
  f.Key('X', ssCtrl);
  EXPECT_EQ(Clipboard().AsText(), "42");
  EXPECT_EQ(f.n->Text(), ".5");
  f.Key(VK_UP);
  EXPECT_EQ(f.n->Text(), "1.50");
  f.n->SetButIncrem(0.25);
  f.Key(VK_DOWN);
  EXPECT_EQ(f.n->Text(), "1.25");

  f.n->SetButVisible(true);
  Application()->ProcessMessages();
  const TRect up = f.n->ButtonRect(true), down = f.n->ButtonRect(false);
  ASSERT_FALSE(up.IsEmpty());
  EXPECT_EQ(up.Left, f.n->BoxRect().Right + 3);
  EXPECT_EQ(up.Width(), 18);
  Application()->Click(&f.form, 10 + up.Left + 5, 10 + up.Top + 3);
  Application()->Click(&f.form, 10 + up.Left + 5, 10 + up.Top + 3);
  Application()->Click(&f.form, 10 + down.Left + 5, 10 + down.Bottom - 3);
  Application()->ProcessMessages();
  EXPECT_EQ(f.n->Text(), "1.50");
}

TEST_F(NumIO, MouseSelectionGaugeAndCaretTimer) {
  Field f;
  f.n->SetAlignment(taLeftJustify);
  f.n->SetText("123.45");
  const int x2 = f.n->CharPosToXCoords(2), x5 = f.n->CharPosToXCoords(5);
  EXPECT_EQ(f.n->CharPosToXCoords(0), f.n->BoxRect().Left + 3);
  EXPECT_LT(x2, x5);
  EXPECT_EQ(f.n->XCoordsToCharPos(x2 + 1), 2);
  EXPECT_EQ(f.n->XCoordsToCharPos(-100), 0);
  EXPECT_EQ(f.n->XCoordsToCharPos(10000), 6);
  Application()->PostMouseDown(&f.form, mbLeft, 0, 10 + x2, 20);
  Application()->PostMouseMove(&f.form, ssLeft, 10 + x5, 20);
  Application()->PostMouseUp(&f.form, mbLeft, 0, 10 + x5, 20);
  Application()->ProcessMessages();
  EXPECT_EQ(f.n->SelText(), "3.4");
  Application()->DoubleClick(&f.form, 10 + x2, 20);
  Application()->ProcessMessages();
  EXPECT_EQ(f.n->SelText(), "123.45");

  // The caret blinks every 500 ms while the field has the focus.
  const bool c0 = f.n->CaretVisible();
  Application()->AdvanceClock(500);
  EXPECT_NE(f.n->CaretVisible(), c0);
  Application()->AdvanceClock(500);
  EXPECT_EQ(f.n->CaretVisible(), c0);

  // The gauge: a click sets the value at that fraction of the range.
  f.n->SetHeight(40);
  f.n->SetGaugeVisible(true);
  Application()->ProcessMessages();
  const TRect g = f.n->GaugeRect();
  EXPECT_EQ(g.Left, 35);
  EXPECT_EQ(g.Width(), 82);
  EXPECT_EQ(g.Top, f.n->BoxRect().Bottom + 3);
  int gauge = 0;
  f.n->OnGaugeChange = [&](TObject*) { ++gauge; };
  Application()->Click(&f.form, 10 + g.Left + 81, 10 + g.Top + 2);  // the right end: the maximum
  Application()->ProcessMessages();
  EXPECT_EQ(f.n->Text(), "100.00");
  EXPECT_EQ(gauge, 1);
  Application()->Click(&f.form, 10 + g.Left, 10 + g.Top + 2);
  Application()->ProcessMessages();
  EXPECT_EQ(f.n->Text(), "0.00");
  EXPECT_EQ(gauge, 2);

  // Losing the focus stops the caret.
  auto* other = new TNumIO2(&f.form);
  other->SetParent(&f.form);
  other->SetBounds(10, 50, 100, 20);
  other->SetFocus();
  Application()->ProcessMessages();
  EXPECT_FALSE(f.n->CaretVisible());
  Application()->AdvanceClock(1000);
  EXPECT_FALSE(f.n->CaretVisible());
}

// ---------------------------------------------------------------- pictures
namespace {

void CheckBox(int w, int h, TColorScheme scheme) {
  TNumIO2 n(nullptr);
  n.SetBounds(0, 0, w, h);
  n.SetColorScheme(scheme);
  n.SetRangeLow(10);
  n.SetRangeHigh(20);
  n.SetNioValue(15);
  n.SetAlignment(taRightJustify);
  auto bmp = n.PaintToBitmap();
  const TRect b = n.BoxRect();
  EXPECT_EQ(b, Rect(35, 2, 115, h - 2));
  const TColor shadow = scheme == csBWG ? clGray : RGB(160, 160, 160);
  EXPECT_EQ(bmp->GetPixel(b.Left, b.Top), shadow) << "lowered box frame";
  EXPECT_EQ(bmp->GetPixel(b.Right - 1, b.Bottom - 1), clWhite);
  EXPECT_EQ(bmp->GetPixel(b.Left + 3, b.Top + 3), clWhite) << "box background";
  EXPECT_EQ(bmp->GetPixel(b.Left - 3, h / 2), ColorToRGB(clBtnFace)) << "outside the box";
  n.SetNioValue(25);
  bmp = n.PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(b.Left + 3, b.Top + 3), 0x80FFFFu) << "warning background";
  // The text is right-aligned: red ink ends 3 pixels inside the box (the last digit may leave a pixel of bearing).
  int lastInk = -1;
  for (int y = b.Top + 2; y < b.Bottom - 2; ++y)
    for (int x = b.Left + 2; x < b.Right - 2; ++x) {
      const TColor p = bmp->GetPixel(x, y);
      if (p != 0x80FFFFu && GetRValue(p) > 2 * GetGValue(p)) lastInk = std::max(lastInk, x);
    }
  EXPECT_GE(lastInk, b.Right - 6);
  EXPECT_LE(lastInk, b.Right - 4);
}

}  // namespace

TEST_F(NumIO, BoxAndWarningAtTwoSizesAndSchemes) {
  CheckBox(160, 28, csBWG);
  CheckBox(160, 28, csSystem);
  CheckBox(220, 40, csBWG);
  CheckBox(220, 40, csSystem);
}

TEST_F(NumIO, GaugeFillsItsFraction) {
  TNumIO2 n(nullptr);
  n.SetGaugeVisible(true);
  n.SetNioValue(25);  // range 0..100: 21 of 82 pixels (20.5 rounded up)
  auto bmp = n.PaintToBitmap();
  const TRect g = n.GaugeRect();
  EXPECT_EQ(g, Rect(35, 18, 117, 26));
  const int midY = g.Top + 4;
  EXPECT_EQ(bmp->GetPixel(g.Left + 5, midY), clNavy);
  EXPECT_EQ(bmp->GetPixel(g.Left + 20, midY), clNavy);
  EXPECT_EQ(bmp->GetPixel(g.Left + 21, midY), clSilver);
  EXPECT_EQ(bmp->GetPixel(g.Left, g.Top), clGray) << "lowered gauge frame";
  n.SetRangeLow(5);
  n.SetRangeHigh(5);  // an empty range: nothing filled, no division by zero
  bmp = n.PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(g.Left + 5, midY), clSilver);
}

// ---------------------------------------------------------------- TNumIO (edit field)
namespace {

struct EditField : HostedField<TNumIO> {
  TNumIO* other;
  int changes = 0;
  EditField() : HostedField(120, 24) {
    other = new TNumIO(&form);
    other->SetParent(&form);
    other->SetBounds(10, 40, 120, 24);
    Show();
    n->OnChange = [this](TObject*) { ++changes; };
  }
};

}  // namespace

TEST_F(NumIO, EditChecksTheRangeOnlyWhenCommitted) {
  EditField f;
  EXPECT_EQ(f.n->Text(), "0.00");
  f.n->SetRangeLow(10);
  f.n->SetRangeHigh(20);
  f.Replace("15");  // "1" alone is below the range, but typing goes on
  EXPECT_EQ(f.n->Text(), "15");
  EXPECT_FALSE(f.n->OutOfRange());
  EXPECT_EQ(f.changes, 1) << "OnChange waits for an accepted value";
  EXPECT_EQ(beeps, 0);
  const TColor normal = f.n->Color();
  f.Type("0");
  EXPECT_EQ(f.n->Text(), "150");
  EXPECT_TRUE(f.n->OutOfRange());
  EXPECT_EQ(f.n->Color(), 0x80FFFFu) << "the out-of-range state is shown";
  f.Key(VK_RETURN);
  EXPECT_EQ(f.n->Text(), "15") << "Enter reverts to the last accepted text";
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(f.n->Color(), normal);
  f.Replace("0");
  EXPECT_EQ(f.n->Text(), "0") << "0 is always accepted";
  EXPECT_FALSE(f.n->OutOfRange());
  EXPECT_EQ(f.changes, 2);

  f.n->SetRangeLow(1);
  f.n->SetRangeHigh(10);
  f.Replace("11");
  EXPECT_TRUE(f.n->OutOfRange());
  f.other->SetFocus();  // the focus leaves: committed
  Application()->ProcessMessages();
  EXPECT_EQ(f.n->Text(), "1");
  f.n->SetFocus();
  f.Replace("-");
  EXPECT_EQ(f.n->Text(), "-");
  EXPECT_DOUBLE_EQ(f.n->GetLabValue(), 1) << "reading the value commits";
  EXPECT_EQ(f.n->Text(), "1");
}

TEST_F(NumIO, EditRefusesSyntaxKeystroke) {
  EditField f;
  f.n->SetDecPlaceSep(dsDot);
  f.Replace("2.5");
  f.Type("x");
  f.Type(",");
  f.Type(".");
  EXPECT_EQ(f.n->Text(), "2.5");
  EXPECT_EQ(f.n->CaretPos(), 3) << "one left of the caret after the refused character: where it stood";
  EXPECT_EQ(beeps, 3);
  Clipboard().SetAsText("7.25");
  f.Key('A', ssCtrl);
  f.Key('V', ssCtrl);
  EXPECT_EQ(f.n->Text(), "7.25");
  EXPECT_DOUBLE_EQ(f.n->LabValue(), 7.25);
  Clipboard().SetAsText("abc");
  f.Key('V', ssCtrl);
  EXPECT_EQ(f.n->Text(), "7.25");

  f.n->SetInputFormat(itInt);
  EXPECT_EQ(f.n->Text(), "7");
  f.Replace("2147483648");
  EXPECT_EQ(f.n->Text(), "214748364") << "the tenth digit would leave the 32-bit range";
  f.n->SetInputFormat(itFloat);
  Clipboard().SetAsText(std::string(300, '9'));
  f.Key('A', ssCtrl);
  f.Key('V', ssCtrl);
  EXPECT_EQ(f.n->Text(), "214748364.00") << "an overlong paste is refused";
  f.n->SetInputFormat(itHex);
  f.n->SetLabValue(255);
  EXPECT_EQ(f.n->Text(), "000000FF");
  f.n->SetLabValue(-1e20);
  EXPECT_EQ(f.n->Text(), "80000000");
  f.n->SetInputFormat(itDynamic);
  f.Replace("%101");
  EXPECT_DOUBLE_EQ(f.n->LabValue(), 5);
}

TEST_F(NumIO, EditFixPointKeepsOneSeparatorAndItsDecimals) {
  EditField f;
  f.n->SetInputFormat(itFixPoint);
  EXPECT_EQ(f.n->Text(), "0.00");
  f.Key(VK_END);
  f.Type("7");  // a third decimal is cut off
  EXPECT_EQ(f.n->Text(), "0.00");
  f.Key(VK_HOME);
  f.Type("3");
  EXPECT_EQ(f.n->Text(), "30.00");
  f.Replace("5");  // no separator left: the previous text returns, caret at its point
  EXPECT_EQ(f.n->Text(), "30.00");
  EXPECT_EQ(f.n->CaretPos(), 2);
  EXPECT_GE(beeps, 1);
  f.Key(VK_END);
  f.Key(VK_BACK);  // one decimal left: re-formatted with two
  EXPECT_EQ(f.n->Text(), "30.00");
  f.Key(VK_HOME);
  f.Key(VK_DELETE);
  EXPECT_EQ(f.n->Text(), "0.00");
}

TEST_F(NumIO, AutoSizeSelectionDisplayAndTinySizes) {
  TNumIO2 n(nullptr);
  TBitmap probe(1, 1);
  probe.Canvas().Font().Assign(n.Font());
  const int th = probe.Canvas().TextHeight("0");
  n.SetAutoSize(true);
  EXPECT_EQ(n.Height(), th + 8);
  n.SetGaugeVisible(true);
  EXPECT_EQ(n.Height(), th + 8 + 3 + 8);
  n.Font().SetHeight(-20);
  probe.Canvas().Font().SetHeight(-20);
  EXPECT_EQ(n.Height(), probe.Canvas().TextHeight("0") + 8 + 3 + 8);

  // The selection shows without the focus only when HideSelection is off.
  TNumIO2 s(nullptr);
  s.SetAlignment(taLeftJustify);
  s.SetText("8888");
  s.SelectAll();
  const int x = s.CharPosToXCoords(1);
  auto bmp = s.PaintToBitmap();
  EXPECT_NE(bmp->GetPixel(x, 6), ColorToRGB(clHighlight));
  s.SetHideSelection(false);
  bmp = s.PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(x, 6), ColorToRGB(clHighlight));

  for (int w : {0, 1, 5}) {
    TNumIO2 t(nullptr);
    t.SetBounds(0, 0, w, w);
    t.SetButVisible(true);
    t.SetGaugeVisible(true);
    EXPECT_NO_THROW(t.PaintToBitmap());
  }
}

TEST_F(NumIO, OverlongTextIsRefused) {
  Field f;
  f.n->SetDecPlaceSep(dsDot);
  const std::string digits(255, '7');
  EXPECT_TRUE(f.n->SetText(digits));
  EXPECT_FALSE(f.n->SetText(digits + "7"));
  Clipboard().SetAsText("1" + std::string(100000, '0'));
  f.Key('A', ssCtrl);
  f.Key('V', ssCtrl);
  EXPECT_EQ(f.n->Text(), digits);
  EXPECT_EQ(beeps, 1);
  f.n->SetAlignment(taLeftJustify);
  EXPECT_EQ(f.n->XCoordsToCharPos(f.n->CharPosToXCoords(100)), 100);
}
