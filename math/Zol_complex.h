// Complex numbers in extended precision: construction, arithmetic,
// comparison with a tolerance, rectangular and polar forms.
#pragma once

#include "base/Zol_zolbase.h"

namespace zol {

class EZOLComplexError : public EZOLError {
  using EZOLError::EZOLError;
};

struct TComplex {
  long double re = 0;
  long double im = 0;
};

struct TComplexPolar {
  long double r = 0;    // magnitude
  long double phi = 0;  // angle in radians, (-pi, pi]
};

inline constexpr TComplex COMPLEX_0{0, 0};
inline constexpr TComplex COMPLEX_1{1, 0};

// Tolerance of the near-comparisons (1e-15 at start-up); callers may change it.
extern long double CpxNearZero;

TComplex Cpx(long double re, long double im);
TComplex CpxAdd(const TComplex& a, const TComplex& b);
TComplex CpxSub(const TComplex& a, const TComplex& b);
TComplex CpxMult(const TComplex& a, const TComplex& b);
// Division by zero is not caught: the parts become infinite or NaN.
TComplex CpxDiv(const TComplex& a, const TComplex& b);
TComplex CpxNeg(const TComplex& a);
TComplex CpxConj(const TComplex& a);
long double CpxAbs(const TComplex& a);
long double CpxAbsSqr(const TComplex& a);
bool CpxIsEqual(const TComplex& a, const TComplex& b);
bool CpxIsNearEqual(const TComplex& a, const TComplex& b);
bool CpxIsZero(const TComplex& a);
TComplexPolar ConvertRectToPolar(const TComplex& a);
TComplex ConvertPolarToRect(const TComplexPolar& p);

}  // namespace zol
