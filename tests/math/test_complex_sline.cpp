#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "math/Zol_complex.h"
#include "math/Zol_sline.h"

using namespace zol;

TEST(Complex, ArithmeticAgreesWithStdComplex) {
  const TComplex a = Cpx(1.5L, -2.25L), b = Cpx(-0.5L, 3.0L);
  const std::complex<long double> ra(1.5L, -2.25L), rb(-0.5L, 3.0L);
  auto same = [](const TComplex& z, const std::complex<long double>& r) {
    EXPECT_NEAR(static_cast<double>(z.re), static_cast<double>(r.real()), 1e-17);
    EXPECT_NEAR(static_cast<double>(z.im), static_cast<double>(r.imag()), 1e-17);
  };
  same(CpxAdd(a, b), ra + rb);
  same(CpxSub(a, b), ra - rb);
  same(CpxMult(a, b), ra * rb);
  same(CpxDiv(a, b), ra / rb);
  same(CpxConj(a), std::conj(ra));
  same(CpxNeg(a), -ra);
  EXPECT_NEAR(static_cast<double>(CpxAbs(a)), static_cast<double>(std::abs(ra)), 1e-17);
  EXPECT_EQ(CpxAbsSqr(Cpx(3, 4)), 25.0L);
  EXPECT_TRUE(CpxIsEqual(CpxDiv(Cpx(1, 0), Cpx(0, 1)), Cpx(0, -1)));
  // Extended precision: 1 + 2^-60 is kept, which a double would lose.
  EXPECT_NE(CpxAdd(COMPLEX_1, Cpx(std::ldexp(1.0L, -60), 0)).re, 1.0L);
}

TEST(Complex, ToleranceComparisonsAndPolarForm) {
  EXPECT_TRUE(CpxIsZero(Cpx(1e-16L, -1e-16L)));
  EXPECT_FALSE(CpxIsZero(Cpx(1e-14L, 0)));
  EXPECT_TRUE(CpxIsNearEqual(Cpx(1, 1), Cpx(1 + 5e-16L, 1)));
  EXPECT_FALSE(CpxIsEqual(Cpx(1, 1), Cpx(1 + 5e-16L, 1)));
  long double saved = CpxNearZero;
  CpxNearZero = 1e-20L;
  EXPECT_FALSE(CpxIsNearEqual(Cpx(1, 1), Cpx(1 + 5e-16L, 1)));
  CpxNearZero = saved;
  TComplexPolar p = ConvertRectToPolar(Cpx(-1, 0));
  EXPECT_EQ(p.r, 1.0L);
  EXPECT_NEAR(static_cast<double>(p.phi), std::numbers::pi, 1e-18);
  p = ConvertRectToPolar(Cpx(-1, -0.0L));  // the negative zero side still gives +pi
  EXPECT_GT(p.phi, 0);
  p = ConvertRectToPolar(Cpx(0, -2));
  EXPECT_EQ(p.r, 2.0L);
  EXPECT_NEAR(static_cast<double>(p.phi), -std::numbers::pi / 2, 1e-18);
  TComplex z = ConvertPolarToRect(ConvertRectToPolar(Cpx(-3, 4)));
  EXPECT_NEAR(static_cast<double>(z.re), -3, 1e-15);
  EXPECT_NEAR(static_cast<double>(z.im), 4, 1e-15);
}

TEST(SLine, ConstructionParametersAndErrors) {
  TSLine l(nullptr);
  EXPECT_EQ(l.ParA(), 0);
  EXPECT_EQ(l.ParB(), 1);
  ASSERT_TRUE(l.LineFrom2Points(0, 0, 1, 1));
  EXPECT_EQ(l.ParA(), -1);
  EXPECT_EQ(l.ParB(), 1);
  EXPECT_EQ(l.ParC(), 0);
  EXPECT_EQ(l.Slope(), 1);
  EXPECT_EQ(l.Intercept(), 0);
  EXPECT_FALSE(l.LineFrom2Points(2, 2, 2, 2));
  EXPECT_EQ(l.ParA(), -1);
  l.SetParB(0);
  try {
    l.SetParA(0);
    FAIL();
  } catch (const EZOLSLineError& e) {
    EXPECT_STREQ(e.what(), "parameter A and B must not both be zero");
  }
  EXPECT_EQ(l.ParA(), -1);
  EXPECT_THROW(l.CalcY(1), EZOLSLineError);
  EXPECT_THROW(l.Slope(), EZOLSLineError);
  EXPECT_THROW(l.Intercept(), EZOLSLineError);
  double k, d;
  EXPECT_THROW(l.CalcKDForm(k, d), EZOLSLineError);
  l.SetSubstituteInf(true);
  EXPECT_NO_THROW(l.CalcY(1));
  l.LineFromSlopeIcpt(2, 3);
  l.CalcKDForm(k, d);
  EXPECT_EQ(k, 2);
  EXPECT_EQ(d, 3);
  EXPECT_EQ(l.CalcY(1), 5);
  EXPECT_EQ(l.CalcX(5), 1);
}

TEST(SLine, IntersectionsDistancesAndAngles) {
  TSLine a(nullptr), b(nullptr);
  a.LineFromSlopeIcpt(1, 0);
  b.LineFromSlopeIcpt(-1, 2);
  double x, y;
  ASSERT_TRUE(a.InterSection(b, x, y));
  EXPECT_DOUBLE_EQ(x, 1);
  EXPECT_DOUBLE_EQ(y, 1);
  EXPECT_DOUBLE_EQ(a.AngleBetweenLines(b), std::numbers::pi / 2);
  b.ParallelLine(a, 0, 2);
  EXPECT_FALSE(a.InterSection(b, x, y));
  EXPECT_NEAR(b.Distance(0, 0), std::sqrt(2.0), 1e-15);
  b.NormalLine(a, 3, 3);
  EXPECT_NEAR(b.Distance(3, 3), 0, 1e-15);
  EXPECT_NEAR(a.AngleBetweenLines(b), std::numbers::pi / 2, 1e-15);
  a.LineThroughPoint(1, 1, std::numbers::pi / 6);
  EXPECT_NEAR(a.Slope(), std::tan(std::numbers::pi / 6), 1e-15);
  EXPECT_NEAR(a.Direct(), std::numbers::pi / 6, 1e-15);
  a.LineThroughPoint(0, 0, 4.0);  // directions come back in [0, 2 pi)
  double dir = a.Direct();
  EXPECT_NEAR(std::fmod(dir, std::numbers::pi), std::fmod(4.0, std::numbers::pi), 1e-12);
}

TEST(SLine, ClipBoxFindsBothEndsAndCornersOnce) {
  TSLine l(nullptr);
  double x1, y1, x2, y2;
  l.LineFrom2Points(0, 0, 1, 1);
  ASSERT_TRUE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(y1, 0);
  EXPECT_EQ(x2, 10);
  EXPECT_EQ(y2, 10);
  // Through the corner (0,0) and out at the top: the corner is found on the
  // left and the bottom edge, the second end on the top edge.
  l.LineFromSlopeIcpt(2, 0);
  ASSERT_TRUE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(y1, 0);
  EXPECT_DOUBLE_EQ(x2, 5);
  EXPECT_DOUBLE_EQ(y2, 10);
  // A vertical line meets the bottom and top edges; SubstituteInf is restored.
  l.SetParB(0);
  l.SetParA(1);
  l.SetParC(-4);
  ASSERT_TRUE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_DOUBLE_EQ(x1, 4);
  EXPECT_EQ(y1, 0);
  EXPECT_DOUBLE_EQ(x2, 4);
  EXPECT_EQ(y2, 10);
  EXPECT_FALSE(l.SubstituteInf());
  // Touching only the corner (10,0): the corner twice.
  l.LineFrom2Points(10, 0, 11, 1);
  ASSERT_TRUE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 10);
  EXPECT_EQ(x2, 10);
  EXPECT_EQ(y2, 0);
  l.LineFromSlopeIcpt(0, 20);
  EXPECT_FALSE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(y2, 0);
}
