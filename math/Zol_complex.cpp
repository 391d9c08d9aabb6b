#include "math/Zol_complex.h"

#include <cmath>

namespace zol {

long double CpxNearZero = 1e-15L;

TComplex Cpx(long double re, long double im) { return TComplex{re, im}; }
TComplex CpxAdd(const TComplex& a, const TComplex& b) { return {a.re + b.re, a.im + b.im}; }
TComplex CpxSub(const TComplex& a, const TComplex& b) { return {a.re - b.re, a.im - b.im}; }
TComplex CpxMult(const TComplex& a, const TComplex& b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
TComplex CpxDiv(const TComplex& a, const TComplex& b) {
  long double d = b.re * b.re + b.im * b.im;
  return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}
TComplex CpxNeg(const TComplex& a) { return {-a.re, -a.im}; }
TComplex CpxConj(const TComplex& a) { return {a.re, -a.im}; }
// hypot avoids the overflow of re² + im² for large parts.
long double CpxAbs(const TComplex& a) { return std::hypot(a.re, a.im); }
long double CpxAbsSqr(const TComplex& a) { return a.re * a.re + a.im * a.im; }
bool CpxIsEqual(const TComplex& a, const TComplex& b) { return a.re == b.re && a.im == b.im; }
bool CpxIsNearEqual(const TComplex& a, const TComplex& b) {
  return std::fabs(a.re - b.re) < CpxNearZero && std::fabs(a.im - b.im) < CpxNearZero;
}
bool CpxIsZero(const TComplex& a) {
  return std::fabs(a.re) < CpxNearZero && std::fabs(a.im) < CpxNearZero;
}
TComplexPolar ConvertRectToPolar(const TComplex& a) {
  TComplexPolar p{CpxAbs(a), std::atan2(a.im, a.re)};
  // atan2 gives -pi for (-x, -0): the angle stays in (-pi, pi].
  if (p.phi <= -3.14159265358979323846264338327950288L) p.phi = -p.phi;
  return p;
}
TComplex ConvertPolarToRect(const TComplexPolar& p) {
  return {p.r * std::cos(p.phi), p.r * std::sin(p.phi)};
}

}  // namespace zol
