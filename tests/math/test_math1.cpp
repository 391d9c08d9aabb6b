// Tests of the numeric utilities (Zol_math1).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "math/Zol_math1.h"

using namespace zol;

namespace {

constexpr double kPi = 3.14159265358979323846;
const std::string kDeg = "\xC2\xB0";

struct Ticks {
  long double first, dist;
  uint16_t sub;
};

Ticks Calc(int n, long double lo, long double hi) {
  Ticks t{};
  CalcScalePars(n, lo, hi, t.first, t.dist, t.sub);
  return t;
}

}  // namespace

// ---------------------------------------------------------------- tick layout

TEST(Math1CalcScalePars, DocumentedLayouts) {
  Ticks t = Calc(5, 0, 10);
  EXPECT_DOUBLE_EQ(t.dist, 2);
  EXPECT_DOUBLE_EQ(t.first, 0);
  EXPECT_EQ(t.sub, 4);

  t = Calc(5, 10, 0);  // reversed axis
  EXPECT_DOUBLE_EQ(t.dist, -2);
  EXPECT_DOUBLE_EQ(t.first, 10);

  t = Calc(5, 0, 7);  // raw step 1.4
  EXPECT_DOUBLE_EQ(t.dist, 1);
  EXPECT_EQ(t.sub, 5);

  t = Calc(5, 0, 3.5);  // raw step 0.7
  EXPECT_DOUBLE_EQ(t.dist, 0.5);
  EXPECT_EQ(t.sub, 5);

  t = Calc(10, 0, 100);  // exact power of ten per tick
  EXPECT_DOUBLE_EQ(t.dist, 10);
  EXPECT_DOUBLE_EQ(t.first, 0);
  EXPECT_EQ(t.sub, 5);

  t = Calc(-5, 0, 10);  // a negative count by its magnitude
  EXPECT_DOUBLE_EQ(t.dist, 2);
  t = Calc(std::numeric_limits<int>::min(), 0, 1);
  EXPECT_GT(t.dist, 0);

  t = Calc(4, 3, 3);
  EXPECT_EQ(t.dist, 0);
  EXPECT_EQ(t.sub, 1);
  EXPECT_EQ(t.first, 3);
}

TEST(Math1CalcScalePars, RawStepOnTwoAndFiveTimesPowerOfTen) {
  // A raw step of exactly 2 or 5 times a power of ten keeps that step.
  struct Case { int n; double lo, hi, dist; uint16_t sub; };
  const Case cases[] = {
      {5, 0, 10, 2, 4},          {5, 0, 1, 0.2, 4},      {10, 0, 2000, 200, 4},
      {4, -0.04, 0.04, 0.02, 4}, {10, 0, 50, 5, 5},      {5, 0, 0.025, 0.005, 5},
      {6, 100, 3100, 500, 5},    {3, 0, 6e-7, 2e-7, 4},  {8, -8e9, 8e9, 2e9, 4},
  };
  for (const Case& c : cases) {
    Ticks t = Calc(c.n, c.lo, c.hi);
    EXPECT_NEAR(static_cast<double>(t.dist), c.dist, c.dist * 1e-12) << c.lo << ".." << c.hi;
    EXPECT_EQ(t.sub, c.sub) << c.lo << ".." << c.hi;
  }
}

TEST(Math1CalcScalePars, FirstTickTolerance) {
  // Step 2: a tick 0.0005 steps before Low is kept, 0.0015 steps before is not.
  Ticks t = Calc(5, 0.001, 10.001);
  EXPECT_DOUBLE_EQ(t.dist, 2);
  EXPECT_NEAR(static_cast<double>(t.first), 0, 1e-12);
  t = Calc(5, 0.003, 10.003);
  EXPECT_NEAR(static_cast<double>(t.first), 2, 1e-12);
  // Negative ranges and reversed axes.
  t = Calc(5, -7.3, 2.7);
  EXPECT_DOUBLE_EQ(t.dist, 2);
  EXPECT_NEAR(static_cast<double>(t.first), -6, 1e-12);
  t = Calc(5, 2.7, -7.3);
  EXPECT_DOUBLE_EQ(t.dist, -2);
  EXPECT_NEAR(static_cast<double>(t.first), 2, 1e-12);
}

TEST(Math1CalcScalePars, UnitSteps) {
  Ticks t = Calc(0, 0.5, 7.5);
  EXPECT_EQ(t.dist, 1);
  EXPECT_NEAR(static_cast<double>(t.first), 1, 1e-12);
  EXPECT_EQ(t.sub, 5);
  t = Calc(0, -3.2, 40);
  EXPECT_EQ(t.sub, 1);
  EXPECT_NEAR(static_cast<double>(t.first), -3, 1e-12);
  // A reversed axis steps downwards, so the ticks run towards High.
  t = Calc(0, 7.5, 0.5);
  EXPECT_EQ(t.dist, -1);
  EXPECT_NEAR(static_cast<double>(t.first), 7, 1e-12);
}

TEST(Math1CalcScalePars, ResolutionLimitsTerminate) {
  // Span of one unit in the last place of a double.
  Ticks t = Calc(5, 432767.63513798546, 432767.6351379855);
  EXPECT_GT(t.dist, 0);
  EXPECT_LE(std::fabs(static_cast<double>(t.first) - 432767.63513798546), 1e-9);
  // Steps below the resolution of the extended type at Low.
  t = Calc(5, 1e10L, 1e10L + 1e-9L);
  EXPECT_GT(t.dist, 0);
  EXPECT_LT(t.dist, 1e-9L);
  EXPECT_GE(t.first, 1e10L - t.dist);
  EXPECT_LE(t.first, 1e10L + 1e-9L);
  // Non-finite ends draw nothing.
  t = Calc(5, 0, std::numeric_limits<long double>::infinity());
  EXPECT_EQ(t.dist, 0);
  t = Calc(5, std::numeric_limits<long double>::quiet_NaN(), 1);
  EXPECT_EQ(t.dist, 0);
}

TEST(Math1CalcScalePars, RandomRangesGiveValidLayouts) {
  std::mt19937 rng(4711);
  std::uniform_real_distribution<double> expo(-12, 12), frac(-1, 1);
  for (int it = 0; it < 3000; ++it) {
    double scale = std::pow(10.0, expo(rng));
    double lo = frac(rng) * scale * 10, hi = frac(rng) * scale * 10;
    int n = 2 + static_cast<int>(rng() % 19);
    if (lo == hi) continue;
    Ticks t = Calc(n, lo, hi);
    long double raw = std::fabs(static_cast<long double>(hi) - lo) / n;
    long double d = std::fabs(t.dist);
    ASSERT_LE(d, raw * (1 + 1e-9L)) << lo << " " << hi << " " << n;
    ASSERT_GT(d, raw / 2.5L * (1 - 1e-9L)) << lo << " " << hi << " " << n;
    long double m = d / std::pow(10.0L, std::floor(std::log10(d) + 1e-12L));
    ASSERT_TRUE(std::fabs(m - 1) < 1e-9 || std::fabs(m - 2) < 1e-9 || std::fabs(m - 5) < 1e-9) << m;
    ASSERT_EQ(t.sub, std::fabs(m - 2) < 1e-9 ? 4 : 5);
    ASSERT_EQ(t.dist > 0, hi > lo);
    // First tick at or beyond Low, less than one step past it.
    long double s = hi > lo ? 1 : -1;
    long double off = s * (t.first - lo);
    ASSERT_GE(off, -0.0011L * d) << lo << " " << hi;
    ASSERT_LT(off, d * (1 + 1e-9L)) << lo << " " << hi;
  }
}

// ---------------------------------------------------------------- 1-2-5 rounding

TEST(Math1Round125, NearestAndDirected) {
  EXPECT_DOUBLE_EQ(Round125(0.00149), 0.001);
  EXPECT_DOUBLE_EQ(Round125(-7), -5);
  EXPECT_DOUBLE_EQ(RoundPos125(-7), -5);
  EXPECT_DOUBLE_EQ(RoundNeg125(-7), -10);
  EXPECT_EQ(Round125(0), 0);
  EXPECT_EQ(RoundPos125(0), 0);
  EXPECT_EQ(RoundNeg125(0), 0);
  EXPECT_DOUBLE_EQ(Round125(1.5), 2);
  EXPECT_DOUBLE_EQ(Round125(2.99), 2);
  EXPECT_DOUBLE_EQ(Round125(3), 5);
  EXPECT_DOUBLE_EQ(Round125(8), 10);
  EXPECT_DOUBLE_EQ(Round125(150), 200);
  EXPECT_DOUBLE_EQ(RoundPos125(1000), 1000);  // exact powers stay
  EXPECT_DOUBLE_EQ(RoundNeg125(0.001), 0.001);
  EXPECT_DOUBLE_EQ(RoundPos125(1.01), 2);
  EXPECT_DOUBLE_EQ(RoundPos125(2.01), 5);
  EXPECT_DOUBLE_EQ(RoundPos125(5.01), 10);
  EXPECT_DOUBLE_EQ(RoundNeg125(4.99), 2);
  EXPECT_DOUBLE_EQ(RoundNeg125(0.03), 0.02);
  EXPECT_DOUBLE_EQ(RoundPos125(-0.003), -0.002);
  EXPECT_DOUBLE_EQ(Round125(7.99), 5);
  EXPECT_NEAR(Round125(3.3e-320) / 5e-320, 1, 1e-3);  // subnormal
  EXPECT_NEAR(RoundPos125(1.1e-310) / 2e-310, 1, 1e-3);
}

TEST(Math1Round125, DirectedRoundingNeverCrossesValue) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> e(-30, 30);
  for (int i = 0; i < 5000; ++i) {
    double x = std::pow(10.0, e(rng)) * ((rng() & 1) ? 1 : -1);
    ASSERT_GE(RoundPos125(x), x * (1 - 1e-13 * (x > 0 ? 1 : -1))) << x;
    ASSERT_LE(RoundNeg125(x), x * (1 + 1e-13 * (x > 0 ? 1 : -1))) << x;
  }
}

TEST(Math1RoundDegrees, TableSteps) {
  int d = 4, m = 0, s = 0;
  RoundDegrees(d, m, s, false);
  EXPECT_EQ(d, 3);
  d = 4;
  RoundDegrees(d, m, s, true);
  EXPECT_EQ(d, 5);
  d = 400, m = 10, s = 10;
  RoundDegrees(d, m, s, true);
  EXPECT_EQ(d, 360);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(s, 0);
  d = 45, m = 30;
  RoundDegrees(d, m, s, true);
  EXPECT_EQ(d, 60);
  d = 0, m = 45, s = 20;
  RoundDegrees(d, m, s, true);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(s, 0);
  d = 0, m = 45, s = 20;
  RoundDegrees(d, m, s, false);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(m, 30);
  EXPECT_EQ(s, 0);
  d = 0, m = 0, s = 7;
  RoundDegrees(d, m, s, false);
  EXPECT_EQ(s, 5);
  s = 7;
  RoundDegrees(d, m, s, true);
  EXPECT_EQ(s, 10);
  s = 40;
  RoundDegrees(d, m, s, true);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(s, 0);
  d = 3, m = -1, s = 2;
  RoundDegrees(d, m, s, true);
  EXPECT_EQ(d + m + s, 0);
  d = 0, m = 75, s = 0;  // minutes clamped to 59, then rounded
  RoundDegrees(d, m, s, false);
  EXPECT_EQ(m, 30);
}

TEST(Math1IntPosNeg, CeilingAndFloor) {
  EXPECT_EQ(IntPos(2.5), 3);
  EXPECT_EQ(IntNeg(2.5), 2);
  EXPECT_EQ(IntPos(-2.5), -2);
  EXPECT_EQ(IntNeg(-2.5), -3);
  EXPECT_EQ(IntPos(3.0), 3);
  EXPECT_EQ(IntNeg(-3.0), -3);
  EXPECT_EQ(IntPos(1e20), std::numeric_limits<int>::max());
  EXPECT_EQ(IntNeg(-1e20), std::numeric_limits<int>::min());
}

// ---------------------------------------------------------------- number to text

TEST(Math1Strf, FixedNotation) {
  EXPECT_EQ(strf(3.14159, 8, 2), "    3.14");
  EXPECT_EQ(strf(-2.5, 1, 3), "-2.500");
  EXPECT_EQ(strf(123456.789, 3, 1), "123456.8");  // never cut
  EXPECT_EQ(strf(0.125, 0, 0), "0");
  EXPECT_EQ(strf(42, 6, 0), "    42");
  EXPECT_EQ(strf(1e20, 1, 2), "100000000000000000000.00");
}

TEST(Math1Strf, ShortScientific) {
  EXPECT_EQ(strf(1.5e300, 10, -2), "**********");
  EXPECT_EQ(strf(12345.678, 12, -2), " 1.23457E+04");
  EXPECT_EQ(strf(-12345.678, 12, -2), "-1.23457E+04");
  EXPECT_EQ(strf(1e-5, 10, -2), " 1.000E-05");
  EXPECT_EQ(strf(0, 10, -2), " 0.000E+00");
  EXPECT_EQ(strf(9.99999, 10, -2), " 1.000E+01");  // rounding carries into the exponent
  EXPECT_EQ(strf(2.5e-120, 12, -2), "************");
  for (int w = 8; w <= 30; ++w) {
    std::string s = strf(-6.02214076e23, w, -2);
    EXPECT_EQ(static_cast<int>(s.size()), w) << s;
    EXPECT_NE(s.find("E+23"), std::string::npos) << s;
  }
  // A too narrow field is not cut.
  std::string s = strf(1.5, 3, -2);
  EXPECT_GT(s.size(), 3u);
  EXPECT_NE(s.find("E+00"), std::string::npos);
}

TEST(Math1Strf, LongScientificForOtherNegativeDecimals) {
  EXPECT_EQ(strf(0.1, 1, -1), " 1.0000000000000001E-0001");
  EXPECT_EQ(strf(-0.5, 30, -1), "     -5.0000000000000000E-0001");
  EXPECT_EQ(strf(1e300, 22, -1), " 1.0000000000000001E+0300");
}

TEST(Math1EEngStr, PrefixLetters) {
  EXPECT_EQ(EEngStr(4700, -2), "4k7");
  EXPECT_EQ(EEngStr(4700, 3), "4.70k");
  EXPECT_EQ(EEngStr(0.0047, 3), "4.70m");
  EXPECT_EQ(EEngStr(-4700, 3), "-4.70k");
  EXPECT_EQ(EEngStr(4.7e-9, 2), "4.7n");
  EXPECT_EQ(EEngStr(2.2e-12, -2), "2p2");
  EXPECT_EQ(EEngStr(3.3e6, 2), "3.3M");
  EXPECT_EQ(EEngStr(470, 3), "470");  // no prefix for powers 0..2
  EXPECT_EQ(EEngStr(4000, -1), "4k");
  EXPECT_EQ(EEngStr(1e16, 3), "10000T");  // beyond 10^15 the prefix stays T
  EXPECT_EQ(EEngStr(1e-20, 3), "0.0100a");
  EXPECT_EQ(EEngStr(0, 3), "0.00");
  EXPECT_EQ(EEngStr(0, 1), "0");
  EXPECT_EQ(EEngStr(15, -2), "15");
  // Rounding that reaches the next power of a thousand takes its prefix.
  EXPECT_EQ(EEngStr(999.6, 3), "1.00k");
  EXPECT_EQ(EEngStr(0.00099999, 2), "1.0m");
  EXPECT_EQ(EEngStr(12345, 20), "12.3450000k");  // NDig clamped to 9: nine digits
}

TEST(Math1MakeEFormat, NormalisedMantissa) {
  EXPECT_EQ(MakeEFormat(1234.0, 8, 4), " 0.1234E+04");
  EXPECT_EQ(MakeEFormat(0, 8, 4), " 0.0000E+00");
  EXPECT_EQ(MakeEFormat(-0.05, 12, 3), "  -0.500E-01");
  EXPECT_EQ(MakeEFormat(9.99996, 8, 4), " 0.1000E+02");
  EXPECT_EQ(MakeEFormat(1, 20, 2), std::string(11, ' ') + " 0.10E+01");
  EXPECT_EQ(MakeEFormat(0.5, 1, 1), " 0.50E+00");  // clamps: width 8, 2 decimals
  // Exponents of 100 and more keep all their digits.
  EXPECT_EQ(MakeEFormat(1e300, 8, 3), " 0.100E+301");
  EXPECT_EQ(MakeEFormat(-2.5e-300, 8, 3), "-0.250E-299");
  EXPECT_EQ(MakeEFormat(1e99, 8, 3), " 0.100E+100");
  EXPECT_EQ(MakeEFormat(1e98, 8, 3), " 0.100E+99");
}

TEST(Math1DegreeToStr, Formats) {
  EXPECT_EQ(DegreeToStr(12.5, dfDeg, 1), "12.5" + kDeg);
  EXPECT_EQ(DegreeToStr(12.5, dfNumeric, 3), "12.500");
  EXPECT_EQ(DegreeToStr(12.5, dfDegMin, 2), "12" + kDeg + " 30.00'");
  EXPECT_EQ(DegreeToStr(12.5125, dfDegMinSec, 1), "12" + kDeg + " 30' 45.0\"");
  EXPECT_EQ(DegreeToStr(12.1, dfDegMinSec, 0), "12" + kDeg + "  6'   0\"");
  EXPECT_EQ(DegreeToStr(12.1, dfDegMin, 0), "12" + kDeg + "   6'");
  // Carries into the next minute or degree.
  EXPECT_EQ(DegreeToStr(12.99999999, dfDegMin, 2), "13" + kDeg + "  0.00'");
  EXPECT_EQ(DegreeToStr(12.0 + 59.0 / 60 + 59.99999 / 3600, dfDegMinSec, 2),
            "13" + kDeg + "  0'  0.00\"");
  // Negative angles keep their sign, also between -1 and 0 degrees.
  EXPECT_EQ(DegreeToStr(-12.5, dfDegMin, 2), "-12" + kDeg + " 30.00'");
  EXPECT_EQ(DegreeToStr(-0.5, dfDegMin, 2), "-0" + kDeg + " 30.00'");
  EXPECT_EQ(DegreeToStr(-0.25, dfDegMinSec, 0), "-0" + kDeg + " 15'   0\"");
  EXPECT_EQ(DegreeToStr(-0.5, dfDeg, 1), "-0.5" + kDeg);
  EXPECT_EQ(DegreeToStr(12.5, dfDegMin, 20), "12" + kDeg + " 30.00000000'");  // NDec clamped to 8
}

TEST(Math1IntegerText, DecimalHexOctalBin) {
  EXPECT_EQ(Hex(255, 0), "F");
  EXPECT_EQ(Hex(-1, 8), "FFFFFFFF");
  EXPECT_EQ(Hex(255, 4), "00FF");
  EXPECT_EQ(Hex(0x12345678, 2), "78");
  EXPECT_EQ(Hex(0x1ABCDEF0, 20), "1ABCDEF0");
  EXPECT_EQ(Octal(-1, 11), "37777777777");
  EXPECT_EQ(Octal(8, 3), "010");
  EXPECT_EQ(Octal(511, 0), "7");
  EXPECT_EQ(Bin(5, 0), "1");
  EXPECT_EQ(Bin(5, 4), "0101");
  EXPECT_EQ(Bin(-1, 32), std::string(32, '1'));
  EXPECT_EQ(Bin(1, 40), std::string(31, '0') + "1");
  EXPECT_EQ(Decimal(-42, 5), "-00042");
  EXPECT_EQ(Decimal(12345, 3), "345");
  EXPECT_EQ(Decimal(7, 0), "7");
  EXPECT_EQ(Decimal(std::numeric_limits<int>::min(), 10), "-2147483648");
}

TEST(Math1Roman, PublishedValues) {
  const std::pair<int, const char*> table[] = {
      {1, "I"},      {3, "III"},         {4, "IV"},        {9, "IX"},          {14, "XIV"},
      {40, "XL"},    {49, "XLIX"},       {90, "XC"},       {400, "CD"},        {444, "CDXLIV"},
      {1666, "MDCLXVI"}, {1994, "MCMXCIV"}, {2024, "MMXXIV"}, {3999, "MMMCMXCIX"}, {4000, "MMMM"},
  };
  for (auto& [v, r] : table) EXPECT_EQ(Roman(v), r) << v;
  EXPECT_EQ(Roman(0), "");
  EXPECT_EQ(Roman(-5), "");
  EXPECT_EQ(Roman(30000), "");
  EXPECT_EQ(Roman(29999), std::string(29, 'M') + "CMXCIX");
}

// ---------------------------------------------------------------- IEEE bit patterns

TEST(Math1FPHex, AgainstReferencePatterns) {
  std::ifstream in(ZOL_TEST_SRC_DIR "/data/math1_fphex.txt");
  ASSERT_TRUE(in.good());
  std::string line;
  int rows = 0;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string text, sh, dh, eh;
    ls >> text >> sh >> dh >> eh;
    ++rows;
    long double ld;
    if (text == "inf" || text == "-inf") {
      ld = text[0] == '-' ? -std::numeric_limits<long double>::infinity()
                          : std::numeric_limits<long double>::infinity();
    } else {
      ld = std::strtold(text.c_str(), nullptr);
    }
    EXPECT_EQ(FPNumToHex(ld), eh) << text;
    long double back = HexToExtended(eh);
    EXPECT_EQ(std::signbit(back), std::signbit(ld)) << text;
    if (!std::isnan(ld)) {
      EXPECT_EQ(back, ld) << text;
    }
    if (dh == "-") continue;
    double d = static_cast<double>(ld);
    if (text.find("inf") == std::string::npos) d = std::strtod(text.c_str(), nullptr);
    EXPECT_EQ(FPNumToHex(d), dh) << text;
    double db = HexToDouble(dh);
    EXPECT_EQ(std::memcmp(&db, &d, 8), 0) << text;
    if (sh == "-") continue;
    float f = static_cast<float>(d);
    EXPECT_EQ(FPNumToHex(f), sh) << text;
    float fb = HexToSingle(sh);
    EXPECT_EQ(std::memcmp(&fb, &f, 4), 0) << text;
  }
  EXPECT_GE(rows, 30);
}

TEST(Math1FPHex, NaNAndCaseAndErrors) {
  EXPECT_TRUE(std::isnan(HexToDouble("7FF8000000000000")));
  EXPECT_TRUE(std::isnan(HexToSingle("7fc00000")));
  EXPECT_TRUE(std::isnan(HexToExtended("7FFFC000000000000000")));
  EXPECT_EQ(HexToDouble("3ff0000000000000"), 1.0);
  EXPECT_EQ(FPNumToHex(HexToDouble("7FF0000000000001")), "7FF0000000000001");  // payload kept
  try {
    HexToDouble("3FF00000000000");
    FAIL();
  } catch (const EZOLError& e) {
    EXPECT_STREQ(e.what(), "HexToDouble: invalid hex string \"3FF00000000000\"");
  }
  try {
    HexToSingle("3F80000G");
    FAIL();
  } catch (const EZOLError& e) {
    EXPECT_STREQ(e.what(), "HexToSingle: invalid hex string \"3F80000G\"");
  }
  try {
    HexToExtended("");
    FAIL();
  } catch (const EZOLError& e) {
    EXPECT_STREQ(e.what(), "HexToExtended: invalid hex string \"\"");
  }
  EXPECT_THROW(HexToDouble(" 3FF0000000000000"), EZOLError);
}

TEST(Math1StrToIntDefault, FallsBack) {
  EXPECT_EQ(StrToIntDefault("42", 7), 42);
  EXPECT_EQ(StrToIntDefault("-13", 7), -13);
  EXPECT_EQ(StrToIntDefault("", 7), 7);
  EXPECT_EQ(StrToIntDefault("abc", 7), 7);
  EXPECT_EQ(StrToIntDefault("99999999999", 7), 7);
}

// ---------------------------------------------------------------- scanners

TEST(Math1ScanInt, HexOctalBinDecimal) {
  int p = 1;
  EXPECT_EQ(ScanHex("FF", p), 255);
  EXPECT_EQ(p, 3);
  p = 1;
  EXPECT_EQ(ScanHex("$00FF00\"", p), 0xFF00);
  EXPECT_EQ(p, 8);
  p = 1;
  EXPECT_EQ(ScanHex("  1a zz", p), 26);
  EXPECT_EQ(p, 5);
  p = 1;
  EXPECT_EQ(ScanHex("FFFFFFFF", p), -1);
  p = 1;
  EXPECT_EQ(ScanHex("0x10", p), 16);
  p = 2;
  EXPECT_EQ(ScanHex("xyz", p), 0);
  EXPECT_EQ(p, 2);
  p = 1;
  EXPECT_EQ(ScanHex("$", p), 0);
  EXPECT_EQ(p, 1);
  p = 1;
  EXPECT_EQ(ScanOctal("&17", p), 15);
  EXPECT_EQ(p, 4);
  p = 1;
  EXPECT_EQ(ScanOctal("789", p), 7);
  EXPECT_EQ(p, 2);
  p = 1;
  EXPECT_EQ(ScanBin("%1012", p), 5);
  EXPECT_EQ(p, 5);

  p = 6;  // the multiplier after a closing parenthesis
  EXPECT_EQ(ScanDecimal("(CH3)3N", p), 3);
  EXPECT_EQ(p, 7);
  p = 1;
  EXPECT_EQ(ScanDecimal("-17abc", p), -17);
  EXPECT_EQ(p, 4);
  p = 6;
  EXPECT_EQ(ScanDecimal("(CH3)", p), 0);  // no digits at the end of the text
  EXPECT_EQ(p, 6);
  p = 1;
  EXPECT_EQ(ScanDecimal("+", p), 0);
  EXPECT_EQ(p, 1);
  p = 1;
  EXPECT_EQ(ScanDecimal("99999999999", p), std::numeric_limits<int>::max());
  EXPECT_EQ(p, 12);
  p = 1;
  EXPECT_EQ(ScanDecimal("-2147483648", p), std::numeric_limits<int>::min());
}

TEST(Math1ScanFPNum, StateMachine) {
  int p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("1,5 x", true, 3, p), 1.5);
  EXPECT_EQ(p, 4);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("1,", true, 3, p), 1.0);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("-0.5e3", true, 3, p), -500);
  EXPECT_EQ(p, 7);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("1e5000", true, 3, p), 1.7e308);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("-1e5000", true, 3, p), -1.7e308);
  p = 1;
  EXPECT_EQ(ScanFPNum("1e-5000", true, 3, p), 0);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum(" \t +2.5E+2;", true, 1, p), 250);
  EXPECT_EQ(p, 11);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("2e3", false, 1, p), 2);  // exponent not allowed
  EXPECT_EQ(p, 2);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("1,5", true, 1, p), 1);  // comma not a separator
  EXPECT_EQ(p, 2);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("1.5", true, 0, p), 1);  // no separator at all
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum(".25", true, 2, p), 0);  // "." is no separator for 2
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum(",25", true, 2, p), 0.25);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("1.e5", true, 1, p), 1e5);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("1.5-2", true, 1, p), 1.5);
  EXPECT_EQ(p, 4);
  // Malformed numbers give 0.
  p = 1;
  EXPECT_EQ(ScanFPNum("+x", true, 3, p), 0);
  EXPECT_EQ(p, 2);
  p = 1;
  EXPECT_EQ(ScanFPNum("1e", true, 3, p), 0);
  p = 1;
  EXPECT_EQ(ScanFPNum("1e+;", true, 3, p), 0);
  p = 1;
  EXPECT_EQ(ScanFPNum("1.2.3", true, 3, p), 0);
  p = 1;
  EXPECT_EQ(ScanFPNum("", true, 3, p), 0);
  EXPECT_EQ(p, 1);
  // Exponent digits beyond 4200 are dropped: 1e4201 reads as 1e420.
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("1e-4201", true, 3, p), 0);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("1e-04201", true, 3, p), 0);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanFPNum("2e04201", true, 3, p), 1.7e308);
  EXPECT_EQ(p, 8);
}

TEST(Math1ScanFPNum, ReadsASequence) {
  const std::string text = "1 2,5\t-3e1 .5 7.";
  std::vector<double> got;
  int p = 1;
  for (int guard = 0; guard < 20 && p <= static_cast<int>(text.size()); ++guard) {
    int before = p;
    double v = ScanFPNum(text, true, 3, p);
    if (p == before) ++p;  // a character that cannot begin a number
    else got.push_back(v);
  }
  ASSERT_EQ(got.size(), 5u);
  EXPECT_DOUBLE_EQ(got[0], 1);
  EXPECT_DOUBLE_EQ(got[1], 2.5);
  EXPECT_DOUBLE_EQ(got[2], -30);
  EXPECT_DOUBLE_EQ(got[3], 0.5);
  EXPECT_DOUBLE_EQ(got[4], 7);
}

TEST(Math1Scanners, FuzzNeverCrashesOrHangs) {
  std::mt19937 rng(20261207);
  const std::string alphabet = "0123456789+-.,eEzZ$x&%' \t\"\xC2\xB0NSWabcdef:";
  const char* valid[] = {"-12.5e+3", "0x1F", "$00FF00", "12" "\xC2\xB0" " 30' 15.5\" S", "20240229123456",
                         "1,5E-7", "&777", "%1011", "+.5e5000"};
  std::vector<std::string> inputs;
  for (int i = 0; i < 4000; ++i) {
    std::string s;
    int n = static_cast<int>(rng() % 32);
    for (int k = 0; k < n; ++k) s += alphabet[rng() % alphabet.size()];
    inputs.push_back(s);
  }
  for (const char* v : valid)  // every truncation of valid numbers
    for (size_t k = 0; k <= std::strlen(v); ++k) inputs.emplace_back(v, k);
  for (const std::string& s : inputs) {
    const int len = static_cast<int>(s.size());
    for (int start : {-3, 0, 1, 2, len, len + 1, len + 5}) {
      int p = start;
      double v = ScanFPNum(s, (start & 1) != 0, static_cast<int>(rng() % 5), p);
      ASSERT_TRUE(std::isfinite(v)) << s;
      ASSERT_LE(std::fabs(v), 1.7e308);
      ASSERT_GE(p, 1);
      ASSERT_LE(p, std::max(len + 1, start));
      const int pStart = std::max(start, 1);
      p = start;
      ScanHex(s, p);
      ASSERT_TRUE(p == start || (p > pStart && p <= len + 1)) << s;
      p = start;
      ScanOctal(s, p);
      p = start;
      ScanBin(s, p);
      p = start;
      ScanDecimal(s, p);
      ASSERT_LE(p, std::max(len + 1, start));
      p = start;
      int err = -1;
      double d = ScanDegrees(s, p, true, err);
      ASSERT_TRUE(err >= 0 && err <= 3);
      if (err == 0) {
        ASSERT_FALSE(std::isnan(d));
      }
      p = start;
      ScanDateTime(s, "yyyymmddHHMMSS", lgUnknown, p);
      p = start;
      ScanDateTime(s, "dd mmm yyyy", lgUnknown, p);
    }
    IsValidDouble(s, true, dsBoth);
    IsValidHex(s);
    IsValidOct(s);
    IsValidBin(s);
    IsValidDecInt(s);
  }
}

TEST(Math1Validators, WholeTextChecks) {
  EXPECT_TRUE(IsValidDouble("1.5", false, dsDot));
  EXPECT_FALSE(IsValidDouble("1,5", false, dsDot));
  EXPECT_TRUE(IsValidDouble("1,5", false, dsComma));
  EXPECT_FALSE(IsValidDouble("1.5", false, dsComma));
  EXPECT_TRUE(IsValidDouble("1,5", false, dsBoth));
  EXPECT_FALSE(IsValidDouble("1e5", false, dsDot));
  EXPECT_TRUE(IsValidDouble("1e5", true, dsDot));
  EXPECT_TRUE(IsValidDouble("-.5", false, dsDot));
  EXPECT_TRUE(IsValidDouble("7.", false, dsDot));
  EXPECT_TRUE(IsValidDouble(" 2 ", false, dsDot));
  EXPECT_TRUE(IsValidDouble("1.5", false, dsSystem));  // the C locale's point
  EXPECT_FALSE(IsValidDouble(".", false, dsDot));
  EXPECT_FALSE(IsValidDouble("-", false, dsDot));
  EXPECT_FALSE(IsValidDouble("", false, dsDot));
  EXPECT_FALSE(IsValidDouble("1e", true, dsDot));
  EXPECT_FALSE(IsValidDouble("1.2.3", true, dsDot));
  EXPECT_FALSE(IsValidDouble("1e400", true, dsDot));  // not representable
  EXPECT_TRUE(IsValidDouble("1e-400", true, dsDot));  // underflows to 0
  EXPECT_TRUE(IsValidFPNum("-1.25E-5", dsDot));
  EXPECT_FALSE(IsValidFPNum("1.25E-5x", dsDot));

  EXPECT_TRUE(IsValidHex("FFFFFFFF"));
  EXPECT_TRUE(IsValidHex("00000000ff"));
  EXPECT_FALSE(IsValidHex("100000000"));
  EXPECT_FALSE(IsValidHex("G1"));
  EXPECT_FALSE(IsValidHex(""));
  EXPECT_TRUE(IsValidOct("37777777777"));
  EXPECT_FALSE(IsValidOct("40000000000"));
  EXPECT_FALSE(IsValidOct("8"));
  EXPECT_TRUE(IsValidBin(std::string(32, '1')));
  EXPECT_FALSE(IsValidBin(std::string(33, '1')));
  EXPECT_FALSE(IsValidBin("102"));
  EXPECT_TRUE(IsValidDecInt("2147483647"));
  EXPECT_FALSE(IsValidDecInt("2147483648"));
  EXPECT_TRUE(IsValidDecInt("-2147483648"));
  EXPECT_FALSE(IsValidDecInt("-2147483649"));
  EXPECT_TRUE(IsValidDecInt("+5"));
  EXPECT_FALSE(IsValidDecInt("5a"));
  EXPECT_FALSE(IsValidDecInt("-"));
  EXPECT_FALSE(IsValidDecInt("1.0"));
}

TEST(Math1ScanDegrees, DegreeTexts) {
  int p = 1, err = -1;
  EXPECT_DOUBLE_EQ(ScanDegrees("12.5" + kDeg, p, false, err), 12.5);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(p, 7);
  p = 1;
  EXPECT_NEAR(ScanDegrees("12" + kDeg + " 30.5'", p, false, err), 12 + 30.5 / 60, 1e-12);
  p = 1;
  EXPECT_NEAR(ScanDegrees("12" + kDeg + " 30' 15.2\"", p, false, err), 12 + 30 / 60.0 + 15.2 / 3600, 1e-12);
  p = 1;
  EXPECT_NEAR(ScanDegrees("48" + kDeg + "12'30\" N", p, true, err), 48 + 12 / 60.0 + 30 / 3600.0, 1e-12);
  p = 1;
  EXPECT_NEAR(ScanDegrees("16 22' 12'' W", p, true, err), -(16 + 22 / 60.0 + 12 / 3600.0), 1e-12);
  p = 1;
  EXPECT_DOUBLE_EQ(ScanDegrees("7.25 N", p, false, err), 7.25);  // compass letters not read
  EXPECT_EQ(p, 5);
  p = 1;
  EXPECT_EQ(ScanDegrees("12" + kDeg + " 75'", p, false, err), 0);
  EXPECT_EQ(err, 2);
  EXPECT_EQ(p, 1);
  p = 1;
  EXPECT_EQ(ScanDegrees("12" + kDeg + " 5' 60\"", p, false, err), 0);
  EXPECT_EQ(err, 3);
  p = 1;
  EXPECT_EQ(ScanDegrees("abc", p, false, err), 0);
  EXPECT_EQ(err, 1);
  // What DegreeToStr writes is read back.
  for (double x : {-0.5, -12.3456, 0.0, 47.999, 123.45678}) {
    for (TDegreeFormat f : {dfDeg, dfDegMin, dfDegMinSec}) {
      p = 1;
      double back = ScanDegrees(DegreeToStr(x, f, 4), p, false, err);
      EXPECT_EQ(err, 0);
      EXPECT_NEAR(back, x, 1e-4) << DegreeToStr(x, f, 4);
    }
  }
}

TEST(Math1ScanDateTime, Patterns) {
  // Day numbers since 1899-12-30 (Python datetime.date arithmetic).
  int p = 1;
  double dt = ScanDateTime("20240229123456", "yyyymmddHHMMSS", lgUnknown, p);
  EXPECT_NEAR(dt, 45351 + (12 * 3600 + 34 * 60 + 56) / 86400.0, 1e-9);
  EXPECT_EQ(p, 15);
  p = 3;
  dt = ScanDateTime("x 19991231000000 y", "yyyymmddHHMMSS", lgUnknown, p);
  EXPECT_NEAR(dt, 36525, 1e-9);
  EXPECT_EQ(p, 17);
  p = 1;
  EXPECT_EQ(ScanDateTime("20230229123456", "yyyymmddHHMMSS", lgUnknown, p), 0);  // no 29 February
  EXPECT_EQ(p, 1);
  p = 1;
  EXPECT_EQ(ScanDateTime("2024022912", "yyyymmddHHMMSS", lgUnknown, p), 0);  // cut short
  EXPECT_EQ(p, 1);
  p = 1;
  EXPECT_EQ(ScanDateTime("20240229250000", "yyyymmddHHMMSS", lgUnknown, p), 0);
  p = 1;
  EXPECT_NEAR(ScanDateTime("15.06.50", "dd.mm.yy", lgUnknown, p), 18429, 1e-9);
  p = 1;
  EXPECT_NEAR(ScanDateTime("01/01/49", "dd/mm/yy", lgUnknown, p), 54424, 1e-9);
  p = 1;
  EXPECT_NEAR(ScanDateTime("29 Feb 2024", "dd mmm yyyy", lgEnglish, p), 45351, 1e-9);
  p = 1;
  EXPECT_NEAR(ScanDateTime("1 January 1900", "d mmm yyyy", lgUnknown, p), 2, 1e-9);
  p = 1;
  EXPECT_NEAR(ScanDateTime("1 J\xC3\xA4nner 1900", "d mmm yyyy", lgGerman, p), 2, 1e-9);
  p = 1;
  EXPECT_EQ(ScanDateTime("29 Feb 2024", "dd mmm yyyy", lgFrench, p), 0);  // not a French name
  p = 1;
  EXPECT_NEAR(ScanDateTime("6:30", "h:nn", lgUnknown, p), 6.5 / 24, 1e-12);
}

// ---------------------------------------------------------------- angles and geometry

TEST(Math1Angles, AxisAngleAndCanonicalForms) {
  EXPECT_NEAR(AngleToXAxis(1, 1), kPi / 4, 1e-15);
  EXPECT_NEAR(AngleToXAxis(-1, 1), 3 * kPi / 4, 1e-15);
  EXPECT_NEAR(AngleToXAxis(-1, -1), 5 * kPi / 4, 1e-15);
  EXPECT_NEAR(AngleToXAxis(1, -1), 7 * kPi / 4, 1e-15);
  EXPECT_NEAR(AngleToXAxis(0, 1), kPi / 2, 1e-15);
  EXPECT_NEAR(AngleToXAxis(0, -1), 3 * kPi / 2, 1e-15);
  EXPECT_NEAR(AngleToXAxis(0, 0), 3 * kPi / 2, 1e-15);
  EXPECT_NEAR(AngleToXAxis(-2, 0), kPi, 1e-15);

  EXPECT_NEAR(CanonicalAngleDegrees(370), 10, 1e-12);
  EXPECT_NEAR(CanonicalAngleDegrees(-190), 170, 1e-12);
  EXPECT_NEAR(CanonicalAngleDegrees(725), 5, 1e-12);
  EXPECT_NEAR(CanonicalAngleDegrees(-730), -10, 1e-12);
  EXPECT_NEAR(CanonicalAngleDegrees(180), 180, 1e-12);
  EXPECT_NEAR(CanonicalAngleDegrees(270), -90, 1e-12);
  EXPECT_NEAR(CanonicalAngleRadians(1.5 * kPi), -0.5 * kPi, 1e-12);
  EXPECT_NEAR(CanonicalAngleRadians(-1.5 * kPi), 0.5 * kPi, 1e-12);
  EXPECT_NEAR(CanonicalAngleRadians(10.5 * kPi), 0.5 * kPi, 1e-12);
  EXPECT_NEAR(CanonicalAngleRadians(-0.25), -0.25, 1e-15);
}

TEST(Math1Angles, ConvertDegrees) {
  double d = 10.5, m = 0, s = 0;
  ConvertDegrees(d, m, s, dfDeg, dfDegMin);
  EXPECT_EQ(d, 10);
  EXPECT_NEAR(m, 30, 1e-9);
  EXPECT_EQ(s, 0);
  d = 10.5125, m = 0, s = 0;
  ConvertDegrees(d, m, s, dfDeg, dfDegMinSec);
  EXPECT_EQ(d, 10);
  EXPECT_EQ(m, 30);
  EXPECT_NEAR(s, 45, 1e-7);
  ConvertDegrees(d, m, s, dfDegMinSec, dfDeg);
  EXPECT_NEAR(d, 10.5125, 1e-12);
  EXPECT_EQ(m, 0);
  d = 10, m = 30, s = 45;
  ConvertDegrees(d, m, s, dfDegMinSec, dfDegMin);
  EXPECT_EQ(d, 10);
  EXPECT_NEAR(m, 30.75, 1e-12);
  EXPECT_EQ(s, 0);
  // Rounding remainders do not leave 60 seconds behind.
  d = 10.1, m = 0, s = 0;
  ConvertDegrees(d, m, s, dfDeg, dfDegMinSec);
  EXPECT_EQ(d, 10);
  EXPECT_EQ(m, 6);
  EXPECT_NEAR(s, 0, 1e-7);
  // Negative angles, also between -1 and 0 degrees, keep their sign both ways.
  d = -0.5, m = 0, s = 0;
  ConvertDegrees(d, m, s, dfDeg, dfDegMin);
  EXPECT_TRUE(std::signbit(d));
  EXPECT_NEAR(m, 30, 1e-9);
  ConvertDegrees(d, m, s, dfDegMin, dfDeg);
  EXPECT_NEAR(d, -0.5, 1e-12);
  d = -10.5, m = 0, s = 0;
  ConvertDegrees(d, m, s, dfDeg, dfDegMinSec);
  EXPECT_EQ(d, -10);
  EXPECT_EQ(m, 30);
  ConvertDegrees(d, m, s, dfDegMinSec, dfDeg);
  EXPECT_NEAR(d, -10.5, 1e-12);
  // Same format: only unused fields are cleared.
  d = 10.25, m = 12.5, s = 7;
  ConvertDegrees(d, m, s, dfDegMin, dfDegMin);
  EXPECT_EQ(d, 10.25);
  EXPECT_EQ(m, 12.5);
  EXPECT_EQ(s, 0);
  // Range checks.
  d = 1, m = 61, s = 0;
  try {
    ConvertDegrees(d, m, s, dfDegMin, dfDeg);
    FAIL();
  } catch (const EZOLMath1Error& e) {
    EXPECT_STREQ(e.what(), "ConvertDegrees: invalid range of minutes");
  }
  m = 0, s = -1;
  try {
    ConvertDegrees(d, m, s, dfDegMinSec, dfDeg);
    FAIL();
  } catch (const EZOLMath1Error& e) {
    EXPECT_STREQ(e.what(), "ConvertDegrees: invalid range of seconds");
  }
}

TEST(Math1Geometry, DistancesAndInterpolation) {
  const TRect r(10, 10, 20, 20);
  EXPECT_EQ(DistFromRect(TPoint(5, 15), r), 5);
  EXPECT_EQ(DistFromRect(TPoint(10, 15), r), 0);  // on the left edge
  EXPECT_EQ(DistFromRect(TPoint(15, 5), r), 5);
  EXPECT_EQ(DistFromRect(TPoint(15, 27), r), 7);
  EXPECT_EQ(DistFromRect(TPoint(15, 15), r), 0);
  EXPECT_EQ(DistFromRect(TPoint(26, 12), r), 6);
  EXPECT_EQ(DistFromRect(TPoint(7, 6), r), 5);    // corner (10, 10)
  EXPECT_EQ(DistFromRect(TPoint(23, 24), r), 5);  // corner (20, 20)
  EXPECT_EQ(DistFromRect(TPoint(11, 8), r), 2);
  EXPECT_EQ(DistFromRect(TPoint(10, 10), r), 0);
  EXPECT_DOUBLE_EQ(EuclideanDistance(1, 1, 4, 5), 5);
  EXPECT_DOUBLE_EQ(InterpolZofXYRect(1, 2, 3, 4, 0, 0), 1);
  EXPECT_DOUBLE_EQ(InterpolZofXYRect(1, 2, 3, 4, 1, 0), 3);
  EXPECT_DOUBLE_EQ(InterpolZofXYRect(1, 2, 3, 4, 0, 1), 2);
  EXPECT_DOUBLE_EQ(InterpolZofXYRect(1, 2, 3, 4, 1, 1), 4);
  EXPECT_DOUBLE_EQ(InterpolZofXYRect(1, 2, 3, 4, 0.5, 0.5), 2.5);
}

// ---------------------------------------------------------------- elementary functions

TEST(Math1Elementary, FunctionsAndErrors) {
  EXPECT_DOUBLE_EQ(lg(1000), 3);
  EXPECT_DOUBLE_EQ(ld(8), 3);
  try {
    lg(0);
    FAIL();
  } catch (const EMathError& e) {
    EXPECT_STREQ(e.what(), "logarithm: invalid argument");
  }
  EXPECT_THROW(ld(-1), EMathError);
  for (double x : {-3.0, -0.5, 0.0, 0.25, 2.0, 10.0}) {
    EXPECT_NEAR(zol::sinh(x), std::sinh(x), 1e-14 * std::max(1.0, std::fabs(std::sinh(x))));
    EXPECT_NEAR(zol::cosh(x), std::cosh(x), 1e-14 * std::cosh(x));
    EXPECT_NEAR(tgh(x), std::tanh(x), 1e-15);
    EXPECT_NEAR(tg(x), std::tan(x), 1e-14 * std::max(1.0, std::fabs(std::tan(x))));
  }
  EXPECT_DOUBLE_EQ(tgh(800), 1);
  EXPECT_DOUBLE_EQ(tgh(-800), -1);
  EXPECT_NEAR(cot(0.5), 1 / std::tan(0.5), 1e-14);
  try {
    cot(0);
    FAIL();
  } catch (const EMathError& e) {
    EXPECT_STREQ(e.what(), "cotangens overflow");
  }
  const double c[] = {1, 2, 3};
  EXPECT_DOUBLE_EQ(Polynomial(2, c, 2), 17);
  EXPECT_DOUBLE_EQ(Polynomial(2, c, 1), 5);
  EXPECT_DOUBLE_EQ(Polynomial(2, c, 0), 1);
  try {
    Polynomial(2, c, 3);
    FAIL();
  } catch (const EZOLMath1Error& e) {
    EXPECT_STREQ(e.what(), "Polynomial: invalid order of polynomial");
  }
  EXPECT_THROW(Polynomial(2, c, -1), EZOLMath1Error);
  EXPECT_EQ(Factorial(0), 1);
  EXPECT_EQ(Factorial(5), 120);
  EXPECT_EQ(Factorial(20), 2432902008176640000.0L);
  EXPECT_NEAR(static_cast<double>(Factorial(170) / std::tgamma(171.0L)), 1, 1e-15);
  EXPECT_TRUE(std::isfinite(Factorial(1000)));
  try {
    Factorial(-1);
    FAIL();
  } catch (const EZOLMath1Error& e) {
    EXPECT_STREQ(e.what(), "Factorial: negative argument");
  }
  try {
    Factorial(1001);
    FAIL();
  } catch (const EZOLMath1Error& e) {
    EXPECT_STREQ(e.what(), "Factorial: argument too big");
  }
  EXPECT_TRUE(std::signbit(Min(0.0, -0.0)));  // on equality the second
  EXPECT_FALSE(std::signbit(Max(-0.0, 0.0)));
  EXPECT_EQ(Min(1, 2), 1);
  EXPECT_EQ(Max(1, 2), 2);
  EXPECT_EQ(Signum(0), 1);
  EXPECT_EQ(Signum(-1e-300), -1);
  EXPECT_TRUE(WithinBounds(5, 10, 1));
  EXPECT_TRUE(WithinBounds(10, 10, 1));
  EXPECT_FALSE(WithinBounds(0, 1, 10));
}

// ---------------------------------------------------------------- integers and bits

TEST(Math1Bits, IntegerHelpers) {
  for (int p : {2, 3, 5, 97, 7919, 2147483647}) EXPECT_TRUE(IsPrime(p)) << p;
  for (int c : {4, 91, 561, 7917, 2147483646}) EXPECT_FALSE(IsPrime(c)) << c;
  EXPECT_TRUE(IsPrime(1));
  EXPECT_TRUE(IsPrime(0));
  EXPECT_TRUE(IsPrime(-7));
  EXPECT_FALSE(IsPrime(-8));
  EXPECT_FALSE(IsPrime(std::numeric_limits<int>::min()));

  int n = 12, d = 18;
  CancelFraction(n, d);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(d, 3);
  n = -4, d = 6;
  CancelFraction(n, d);
  EXPECT_EQ(n, -2);
  EXPECT_EQ(d, 3);
  n = 0, d = 5;
  CancelFraction(n, d);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(d, 5);
  n = std::numeric_limits<int>::min(), d = 2;
  CancelFraction(n, d);
  EXPECT_EQ(n, -1073741824);
  EXPECT_EQ(d, 1);

  EXPECT_TRUE(CheckPowerOfTwo(0));
  EXPECT_TRUE(CheckPowerOfTwo(1));
  EXPECT_TRUE(CheckPowerOfTwo(64));
  EXPECT_TRUE(CheckPowerOfTwo(0x80000000u));
  EXPECT_FALSE(CheckPowerOfTwo(96));

  EXPECT_EQ(BitReversal(1), 128);
  EXPECT_EQ(BitReversal(3), 192);
  EXPECT_EQ(BitReversal(0xF0), 0x0F);
  for (int i = 0; i < 256; ++i) {
    uint8_t b = static_cast<uint8_t>(i);
    EXPECT_EQ(BitReversal(BitReversal(b)), b);
    EXPECT_EQ(CountBits(BitReversal(b)), CountBits(b));
    EXPECT_EQ(CountBits(b), std::popcount(static_cast<unsigned>(i)));
  }
  EXPECT_EQ(DecodeBit(0), 1);
  EXPECT_EQ(DecodeBit(7), 128);
  EXPECT_EQ(DecodeBit(8), 0);
  EXPECT_EQ(DecodeBit(-1), 0);
  EXPECT_EQ(DecodeLong(31), std::numeric_limits<int>::min());
  EXPECT_EQ(DecodeLong(10), 1024);
  EXPECT_EQ(DecodeLong(32), 0);
  EXPECT_EQ(EncodeLong(8), 3);
  EXPECT_EQ(EncodeLong(12), 2);
  EXPECT_EQ(EncodeLong(0), 31);
  EXPECT_EQ(EncodeLong(std::numeric_limits<int>::min()), 31);
}

TEST(Math1Bits, GrayCodePublishedTable) {
  // Reflected binary Gray code of 0..15.
  const uint16_t gray[16] = {0, 1, 3, 2, 6, 7, 5, 4, 12, 13, 15, 14, 10, 11, 9, 8};
  for (uint16_t i = 0; i < 16; ++i) EXPECT_EQ(GrayCode(i), gray[i]) << i;
  EXPECT_EQ(GrayCode(0xFFFF), 0x8000);
  EXPECT_EQ(GrayCode(0x8000), 0xC000);
  // Successive codes differ in exactly one bit.
  for (unsigned i = 0; i < 65535; ++i)
    ASSERT_EQ(std::popcount(static_cast<unsigned>(GrayCode(static_cast<uint16_t>(i)) ^
                                                    GrayCode(static_cast<uint16_t>(i + 1)))),
              1);
}

TEST(Math1Bits, EndianAndExchange) {
  EXPECT_EQ(ConvertEndian(static_cast<uint16_t>(0x1234)), 0x3412);
  EXPECT_EQ(ConvertEndian(static_cast<int32_t>(0x12345678)), 0x78563412);
  EXPECT_EQ(FPNumToHex(ConvertEndian(1.0)), "000000000000F03F");
  EXPECT_EQ(FPNumToHex(ConvertEndian(1.0f)), "0000803F");
  EXPECT_EQ(ConvertEndian(ConvertEndian(-2.75)), -2.75);

  std::string a = "left", b = "right";
  ExChange(a, b);
  EXPECT_EQ(a, "right");
  EXPECT_EQ(b, "left");
  long double x = 1.5L, y = -2.5L;
  ExChange(x, y);
  EXPECT_EQ(x, -2.5L);
  int8_t i1 = -3, i2 = 4;
  ExChange(i1, i2);
  EXPECT_EQ(i1, 4);
  char16_t w1 = u'a', w2 = u'\u00e4';
  ExChange(w1, w2);
  EXPECT_EQ(w1, u'\u00e4');
  unsigned char m1[5] = {1, 2, 3, 4, 5}, m2[5] = {9, 8, 7, 6, 5};
  ExChange(m1, m2, 3);
  EXPECT_EQ(m1[0], 9);
  EXPECT_EQ(m1[3], 4);
  EXPECT_EQ(m2[2], 3);
  EXPECT_EQ(m2[3], 6);
  ExChange(m1, m2, -4);  // nothing
  EXPECT_EQ(m1[0], 9);
}

// ---------------------------------------------------------------- random numbers

TEST(Math1Random, Distributions) {
  RandSeed = 12345;
  EXPECT_TRUE(BRandom(1));
  EXPECT_TRUE(BRandom(2));
  int hits = 0, below = 0;
  const int N = 20000;
  for (int i = 0; i < N; ++i) {
    EXPECT_FALSE(BRandom(0));
    hits += BRandom(0.3);
    below += CRandom(5, 2) < 5;
  }
  EXPECT_NEAR(hits / double(N), 0.3, 0.02);
  EXPECT_NEAR(below / double(N), 0.5, 0.02);
  double sum = 0, sq = 0;
  for (int i = 0; i < N; ++i) {
    double g = GRandom();
    ASSERT_TRUE(std::isfinite(g));
    sum += g;
    sq += g * g;
  }
  EXPECT_NEAR(sum / N, 0, 0.03);
  EXPECT_NEAR(sq / N, 1, 0.05);
  // Cauchy deviates: the quartiles lie at Location -/+ Scale.
  std::vector<double> cv(N);
  for (double& v : cv) v = CRandom(1, 3);
  std::sort(cv.begin(), cv.end());
  EXPECT_NEAR(cv[N / 4], -2, 0.2);
  EXPECT_NEAR(cv[3 * N / 4], 4, 0.2);
}

TEST(Math1Random, LongRandReferenceSequences) {
  // Values from tests/math/ref/math1_longrand.py.
  const struct { int seed; double v[5]; } ref[] = {
      {1, {0.2979690208513005, 0.6968748289645016, 0.6440085868716272, 0.8541923406552777, 0.1436381535501828}},
      {12345,
       {0.9918772283555496, 0.7858948414495446, 0.2971496983237336, 0.022311373137547316, 0.03840736820922179}},
      {-777, {0.451861754260287, 0.9320312379932446, 0.7035134095275203, 0.9512606344766121, 0.6953324003437976}},
      {2000000000,
       {0.8434791854997693, 0.42615181159089144, 0.7573526640479826, 0.5968941234838286, 0.7848837697969278}},
  };
  for (const auto& r : ref) {
    EXPECT_NEAR(LongRand(r.seed), r.v[0], 1e-12) << r.seed;
    for (int i = 1; i < 5; ++i) EXPECT_NEAR(LongRand(0), r.v[i], 1e-12) << r.seed << " " << i;
  }
}

TEST(Math1Random, LongRandSeedsOnTheModulus) {
  // Multiples of 990923 must not lock the generator onto zero.
  for (int seed : {990923, -990923, 2 * 990923, 2167 * 990923}) {
    double first = LongRand(seed);
    std::vector<double> v{first};
    for (int i = 0; i < 50; ++i) v.push_back(LongRand(0));
    std::sort(v.begin(), v.end());
    EXPECT_GT(std::unique(v.begin(), v.end()) - v.begin(), 45) << seed;
    for (double x : v) {
      EXPECT_GE(x, 0);
      EXPECT_LT(x, 1);
    }
  }
  EXPECT_NE(LongRand(990923), LongRand(2 * 990923));
  // Long-run uniformity.
  LongRand(4242);
  double sum = 0;
  for (int i = 0; i < 20000; ++i) sum += LongRand(0);
  EXPECT_NEAR(sum / 20000, 0.5, 0.01);
}

// ---------------------------------------------------------------- sorting

TEST(Math1Sort, CombSortMatchesStdSort) {
  std::mt19937 rng(7);
  for (int n : {0, 1, 2, 3, 10, 57, 1000}) {
    std::vector<double> d(static_cast<size_t>(n));
    for (double& x : d) x = std::uniform_real_distribution<double>(-100, 100)(rng);
    if (n > 5) d[3] = d[4] = d[5];  // duplicates
    std::vector<double> ref = d;
    std::sort(ref.begin(), ref.end());
    SortArray(d, true);
    EXPECT_EQ(d, ref) << n;
    SortArray(d, false);
    std::reverse(ref.begin(), ref.end());
    EXPECT_EQ(d, ref) << n;

    std::vector<int32_t> iv(static_cast<size_t>(n));
    for (int32_t& x : iv) x = static_cast<int32_t>(rng());
    std::vector<int32_t> iref = iv;
    std::sort(iref.begin(), iref.end());
    SortArray(iv, true);
    EXPECT_EQ(iv, iref);

    std::vector<float> fv(static_cast<size_t>(n));
    for (float& x : fv) x = static_cast<float>(rng() % 1000) / 7.0f;
    std::vector<float> fref = fv;
    std::sort(fref.begin(), fref.end(), std::greater<float>());
    SortArray(fv, false);
    EXPECT_EQ(fv, fref);
  }
}

TEST(Math1Sort, PointerFormAndProgress) {
  double d[6] = {5, -1, 3, 3, 9, 0};
  SortArray(d, 6, dnum, true);
  EXPECT_EQ(std::vector<double>(d, d + 6), (std::vector<double>{-1, 0, 3, 3, 5, 9}));
  float f[4] = {1, 4, 2, 3};
  SortArray(f, 4, snum, false);
  EXPECT_EQ(std::vector<float>(f, f + 4), (std::vector<float>{4, 3, 2, 1}));
  int32_t i[5] = {3, 1, 2, 5, 4};
  SortArray(i, 3, lnum, true);  // only the first three elements
  EXPECT_EQ(std::vector<int32_t>(i, i + 5), (std::vector<int32_t>{1, 2, 3, 5, 4}));
  SortArray(i, 5, strg, true);  // kinds that are not numbers are left alone
  EXPECT_EQ(i[3], 5);

  // One progress step per comb-sort pass; an already sorted array of 10
  // elements takes the passes with the gaps 7, 5, 3, 2 and 1.
  std::vector<double> v{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  int calls = 0;
  int32_t last = 0;
  MathFeedBackProc = [&](int32_t ps) {
    ++calls;
    last = ps;
  };
  const int32_t before = ProcStat;
  SortArray(v, true);
  MathFeedBackProc = nullptr;
  EXPECT_EQ(calls, 5);
  EXPECT_EQ(ProcStat - before, 5);
  EXPECT_EQ(last, ProcStat);
}

TEST(Math1Sort, SortedInsertion) {
  std::vector<double> a{1, 3, 5};
  EXPECT_EQ(SortIntoArray(a, 4.0, true, false), 2);
  EXPECT_EQ(a, (std::vector<double>{1, 3, 4}));
  a = {1, 3, 5};
  EXPECT_EQ(SortIntoArray(a, 6.0, true, false), -1);
  EXPECT_EQ(a, (std::vector<double>{1, 3, 5}));
  EXPECT_EQ(SortIntoArray(a, 3.0, true, false), -1);
  EXPECT_EQ(SortIntoArray(a, 3.0, true, true), 1);
  EXPECT_EQ(a, (std::vector<double>{1, 3, 3}));
  EXPECT_EQ(SortIntoArray(a, 0.0, true, false), 0);
  EXPECT_EQ(a, (std::vector<double>{0, 1, 3}));
  std::vector<int32_t> dsc{5, 3, 1};
  EXPECT_EQ(SortIntoArray(dsc, 4, false, false), 1);
  EXPECT_EQ(dsc, (std::vector<int32_t>{5, 4, 3}));
  std::vector<double> none;
  EXPECT_EQ(SortIntoArray(none, 1.0, true, true), -1);

  // Pointer form: 1-based positions, 0 when nothing changed.
  float f[3] = {1, 3, 5};
  float val = 2;
  EXPECT_EQ(SortIntoArray(f, 3, snum, &val, true, false), 2);
  EXPECT_EQ(f[1], 2);
  val = 9;
  EXPECT_EQ(SortIntoArray(f, 3, snum, &val, true, false), 0);

  // Keeping the best n values of a stream, against a full sort.
  std::mt19937 rng(3);
  std::vector<double> best(7, std::numeric_limits<double>::infinity()), all;
  for (int i = 0; i < 500; ++i) {
    double x = static_cast<double>(rng() % 10000);
    all.push_back(x);
    SortIntoArray(best, x, true, true);
  }
  std::sort(all.begin(), all.end());
  EXPECT_EQ(best, std::vector<double>(all.begin(), all.begin() + 7));
}

TEST(Math1Sort, InsertIntoArray) {
  std::vector<double> a{1, 2, 3, 4};
  InsertIntoArray(a, 9.0, 1);
  EXPECT_EQ(a, (std::vector<double>{1, 9, 2, 3}));
  InsertIntoArray(a, 8.0, 3);
  EXPECT_EQ(a, (std::vector<double>{1, 9, 2, 8}));
  InsertIntoArray(a, 7.0, 4);  // beyond the highest index
  InsertIntoArray(a, 7.0, -1);  // negative positions are ignored
  EXPECT_EQ(a, (std::vector<double>{1, 9, 2, 8}));
  int32_t i[4] = {1, 2, 3, 4};
  int32_t v = 0;
  InsertIntoArray(i, 4, inum, &v, 1);
  EXPECT_EQ(std::vector<int32_t>(i, i + 4), (std::vector<int32_t>{0, 1, 2, 3}));
  InsertIntoArray(i, 4, inum, &v, 0);
  InsertIntoArray(i, 4, inum, &v, 5);
  EXPECT_EQ(std::vector<int32_t>(i, i + 4), (std::vector<int32_t>{0, 1, 2, 3}));
  InsertIntoArray(i, 4, lnum, &v, 4);
  EXPECT_EQ(i[3], 0);
}
