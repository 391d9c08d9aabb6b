// Seven-segment display: the segments every shown character lights, sampled
// at the middle of each segment image in the reference cell (308 × 420 units,
// segments at the documented top-left positions) and mapped to the digit
// cell; frames of both colour schemes; decimal points and cell layout.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gui/Zol_sevenseg.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

constexpr double kSlant = 37.0 / 197.0;

struct RefPt {
  double x, y;
};

// Middle of segment k (1..7): horizontal images are 26 units high and run
// from X + 8 to X + 185 (slanted about their middle row); vertical images
// are 200 units high, 26 wide, slanted so that their leftmost point is X.
RefPt SegmentMiddle(int k) {
  const int pos[7][2] = {{94, 0}, {37, 23}, {244, 23}, {57, 197}, {0, 220}, {207, 220}, {20, 394}};
  const double X = pos[k - 1][0], Y = pos[k - 1][1];
  if (k == 1 || k == 4 || k == 7) return {X + 96.5, Y + 13};
  return {X + 13 + kSlant * 87, Y + 100};
}
// The decimal point: the square 255..281 × 394..420.
const RefPt kDecPoint{268, 407};

// The expected lit segments, written out from the character table.
std::vector<int> Lit(char ch) {
  switch (ch) {
    case '0': return {1, 2, 3, 5, 6, 7};
    case '1': return {3, 6};
    case '2': return {1, 3, 4, 5, 7};
    case '3': return {1, 3, 4, 6, 7};
    case '4': return {2, 3, 4, 6};
    case '5': return {1, 2, 4, 6, 7};
    case '6': return {1, 2, 4, 5, 6, 7};
    case '7': return {1, 3, 6};
    case '8': return {1, 2, 3, 4, 5, 6, 7};
    case '9': return {1, 2, 3, 4, 6, 7};
    case '-': return {4};
    case 'A': case 'a': return {1, 2, 3, 4, 5, 6};
    case 'B': case 'b': return {2, 4, 5, 6, 7};
    case 'C': case 'c': return {1, 2, 5, 7};
    case 'D': case 'd': return {3, 4, 5, 6, 7};
    case 'E': case 'e': return {1, 2, 4, 5, 7};
    case 'F': case 'f': return {1, 2, 4, 5};
    default: return {};
  }
}

// The destination pixel whose nearest source sample lies at (or next to) a
// reference point, for a cell at (cx, cy) of size cw × ch.
TPoint ToCell(RefPt p, int cx, int cy, int cw, int ch) {
  return TPoint(cx + static_cast<int>(std::floor(p.x * cw / 308.0)),
                cy + static_cast<int>(std::floor(p.y * ch / 420.0)));
}

class SevenSeg : public HostTest {};

struct Size {
  int w, h;
};

TEST_F(SevenSeg, EveryCharacterLightsItsSegmentsAtTwoSizes) {
  const std::string chars = "0123456789-AaBbCcDdEeFfGhZ ?";
  for (Size sz : {Size{70, 90}, Size{124, 164}}) {
    auto* s = Place(new TSevenSeg(Form.get()), 0, 0, sz.w, sz.h);
    s->SetNumDigits(1);
    s->SetColorText(clRed);
    s->SetColorBackGnd(clNavy);
    // Frame 2 pixels + margin 4: the single cell fills the rest.
    const int cx = 6, cy = 6, cw = sz.w - 12, ch = sz.h - 12;
    for (char c : chars) {
      s->SetCaption(std::string(1, c));
      auto bmp = s->PaintToBitmap();
      std::vector<int> lit = Lit(c);
      for (int k = 1; k <= 7; ++k) {
        bool on = std::find(lit.begin(), lit.end(), k) != lit.end();
        TPoint p = ToCell(SegmentMiddle(k), cx, cy, cw, ch);
        EXPECT_EQ(bmp->GetPixel(p.X, p.Y), on ? clRed : clNavy)
            << "char '" << c << "' segment " << k << " size " << sz.w;
      }
      TPoint dp = ToCell(kDecPoint, cx, cy, cw, ch);
      EXPECT_EQ(bmp->GetPixel(dp.X, dp.Y), clNavy) << c;
      // The cell's corners lie outside every segment.
      EXPECT_EQ(bmp->GetPixel(cx, cy), clNavy);
      EXPECT_EQ(bmp->GetPixel(cx + cw - 1, cy + ch - 1), clNavy);
    }
    delete s;
  }
}

TEST_F(SevenSeg, UnknownCharacterLeavesTheWholeCellDark) {
  auto* s = Place(new TSevenSeg(Form.get()), 0, 0, 70, 90);
  s->SetNumDigits(1);
  s->SetFrameStyle(fsNone);
  s->SetMargin(0);
  s->SetColorBackGnd(clBlack);
  s->SetCaption("G");
  auto bmp = s->PaintToBitmap();
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 70; ++x) ASSERT_EQ(bmp->GetPixel(x, y), clBlack) << x << "," << y;
}

TEST_F(SevenSeg, SymbolsHaveTheirOwnImages) {
  auto* s = Place(new TSevenSeg(Form.get()), 0, 0, 124, 164);
  s->SetNumDigits(1);
  s->SetColorText(clYellow);
  s->SetColorBackGnd(clBlack);
  const int cx = 6, cy = 6, cw = 112, ch = 152;
  auto at = [&](const TBitmap& b, double u, double y) {
    TPoint p = ToCell({u + kSlant * (420 - y), y}, cx, cy, cw, ch);
    return b.GetPixel(p.X, p.Y);
  };
  s->SetCaption("+");
  auto plus = s->PaintToBitmap();
  EXPECT_EQ(at(*plus, 80, 210), clYellow);   // horizontal bar, left part
  EXPECT_EQ(at(*plus, 135, 140), clYellow);  // vertical bar, upper part
  EXPECT_EQ(at(*plus, 20, 210), clBlack);    // where segment 5 / 2 would be
  s->SetCaption(":");
  auto colon = s->PaintToBitmap();
  EXPECT_EQ(at(*colon, 127, 125), clYellow);
  EXPECT_EQ(at(*colon, 127, 295), clYellow);
  EXPECT_EQ(at(*colon, 127, 210), clBlack);
  s->SetCaption("\xC2\xB0");  // degree sign, UTF-8
  auto deg = s->PaintToBitmap();
  EXPECT_EQ(at(*deg, 110, 65), clYellow);  // the ring
  EXPECT_EQ(at(*deg, 145, 65), clBlack);   // its hole
  EXPECT_EQ(at(*deg, 145, 300), clBlack);
}

TEST_F(SevenSeg, DecimalPointsJoinThePreviousCellAndCaptionFillsFromTheRight) {
  auto* s = Place(new TSevenSeg(Form.get()), 0, 0, 2 * 2 + 3 * 40 + 2 * 4, 60);
  s->SetFrameStyle(fsNone);
  s->SetMargin(2);
  s->SetInterDigDist(4);
  s->SetNumDigits(3);
  s->SetColorText(clWhite);
  s->SetColorBackGnd(clBlack);
  // Cells 40 × 56 at x = 2, 46, 90.
  auto cell = [](int i) { return 2 + i * 44; };
  s->SetCaption("1.5");
  auto bmp = s->PaintToBitmap();
  for (int k = 1; k <= 7; ++k) {
    TPoint p0 = ToCell(SegmentMiddle(k), cell(0), 2, 40, 56);
    EXPECT_EQ(bmp->GetPixel(p0.X, p0.Y), clBlack) << "cell 0 stays empty, segment " << k;
  }
  TPoint dp1 = ToCell(kDecPoint, cell(1), 2, 40, 56);
  EXPECT_EQ(bmp->GetPixel(dp1.X, dp1.Y), clWhite);
  TPoint s3 = ToCell(SegmentMiddle(3), cell(1), 2, 40, 56);
  EXPECT_EQ(bmp->GetPixel(s3.X, s3.Y), clWhite);  // '1'
  TPoint dp2 = ToCell(kDecPoint, cell(2), 2, 40, 56);
  EXPECT_EQ(bmp->GetPixel(dp2.X, dp2.Y), clBlack);
  TPoint s2 = ToCell(SegmentMiddle(2), cell(2), 2, 40, 56);
  EXPECT_EQ(bmp->GetPixel(s2.X, s2.Y), clWhite);  // '5'
  // Too long a caption keeps its right end; a leading point takes a cell of its own.
  s->SetCaption("12345");
  bmp = s->PaintToBitmap();
  TPoint first = ToCell(SegmentMiddle(5), cell(0), 2, 40, 56);
  EXPECT_EQ(bmp->GetPixel(first.X, first.Y), clBlack);  // '3' has no segment 5
  s->SetCaption(",,");
  bmp = s->PaintToBitmap();
  TPoint d1 = ToCell(kDecPoint, cell(1), 2, 40, 56), d2 = ToCell(kDecPoint, cell(2), 2, 40, 56);
  EXPECT_EQ(bmp->GetPixel(d1.X, d1.Y), clWhite);
  EXPECT_EQ(bmp->GetPixel(d2.X, d2.Y), clWhite);
}

TEST_F(SevenSeg, FramesFollowTheColourScheme) {
  auto* s = Place(new TSevenSeg(Form.get()), 0, 0, 60, 40);
  s->SetFrameStyle(fsRaised);
  auto bmp = s->PaintToBitmap();
  // csBWG raised: outer top-left white, outer bottom-right black, inner
  // top-left silver, inner bottom-right grey.
  EXPECT_EQ(bmp->GetPixel(0, 10), clWhite);
  EXPECT_EQ(bmp->GetPixel(59, 10), clBlack);
  EXPECT_EQ(bmp->GetPixel(1, 10), clSilver);
  EXPECT_EQ(bmp->GetPixel(58, 10), clGray);
  s->SetColorScheme(csSystem);
  bmp = s->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 10), RGB(255, 255, 255));   // button highlight
  EXPECT_EQ(bmp->GetPixel(59, 10), RGB(105, 105, 105));  // 3D dark shadow
  EXPECT_EQ(bmp->GetPixel(1, 10), RGB(227, 227, 227));   // 3D light
  EXPECT_EQ(bmp->GetPixel(58, 10), RGB(160, 160, 160));  // button shadow
  s->SetFrameStyle(fsSimple);
  bmp = s->PaintToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 0), RGB(100, 100, 100));  // window frame
  EXPECT_EQ(bmp->GetPixel(1, 1), ColorToRGB(s->ColorBackGnd()));
}

TEST_F(SevenSeg, SettersClampAndDigitsAreCachedPerCharacter) {
  auto* s = Place(new TSevenSeg(Form.get()), 0, 0, 200, 60);
  s->SetNumDigits(0);
  EXPECT_EQ(s->NumDigits(), 1);
  s->SetNumDigits(1000);
  EXPECT_EQ(s->NumDigits(), 64);
  s->SetMargin(-3);
  EXPECT_EQ(s->Margin(), 0);
  s->SetInterDigDist(-1);
  EXPECT_EQ(s->InterDigDist(), 0);
  s->SetNumDigits(6);
  s->SetCaption("88.88");
  s->PaintToBitmap();
  EXPECT_EQ(s->CachedDigits(), 2);  // "8." and "8"
  s->SetColorText(clBlue);
  s->PaintToBitmap();
  EXPECT_EQ(s->CachedDigits(), 2);  // rebuilt for the new colour
  // A control too small for its cells draws nothing but does not fail.
  s->SetBounds(0, 0, 5, 5);
  EXPECT_NO_THROW(s->PaintToBitmap());
}

}  // namespace

namespace {

// Captions are UTF-8; bytes that begin no valid sequence count as Latin-1.
TEST(SevenSegText, CodePointsOfValidAndBrokenUtf8) {
  EXPECT_EQ(Utf8ToCodePoints("1\xC2\xB0"), (std::u32string{U'1', 0xB0}));
  EXPECT_EQ(Utf8ToCodePoints("\xB0"), (std::u32string{0xB0}));             // Latin-1 byte
  EXPECT_EQ(Utf8ToCodePoints("\xC2"), (std::u32string{0xC2}));             // cut sequence
  EXPECT_EQ(Utf8ToCodePoints("\xE2\x82"), (std::u32string{0xE2, 0x82}));  // cut three-byte sequence
  EXPECT_EQ(Utf8ToCodePoints("\xC0\xAF"), (std::u32string{0xC0, 0xAF}));  // overlong '/'
  EXPECT_EQ(Utf8ToCodePoints("\xED\xA0\x80"), (std::u32string{0xED, 0xA0, 0x80}));  // surrogate
  EXPECT_EQ(Utf8ToCodePoints("\xF0\x9F\x98\x80"), (std::u32string{0x1F600}));
  EXPECT_EQ(Utf8ToCodePoints("\xF4\x90\x80\x80"), (std::u32string{0xF4, 0x90, 0x80, 0x80}));  // beyond U+10FFFF
}

}  // namespace
