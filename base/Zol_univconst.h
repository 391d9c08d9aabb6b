// Universal constants: mathematical constants, the limits of the floating-point
// types used as start values of minimum/maximum searches, the logarithms of those
// limits (guards against overflow of exponentials) and ln(n!) for n = 0..1000.
// Scalars are stored with extended precision.
#pragma once

#include <array>
#include <limits>

namespace zol {

inline constexpr long double uc_e = 2.718281828459045235360287471353L;
inline constexpr long double uc_etom1 = 0.367879441171442321595523770161L;        // 1/e
inline constexpr long double uc_lg2 = 0.301029995663981195213738894724L;          // log10 2
inline constexpr long double uc_lg5 = 0.698970004336018804786261105276L;          // log10 5
inline constexpr long double uc_lge = 0.434294481903251827651128918917L;          // log10 e
inline constexpr long double uc_lgPi = 0.497149872694133854351268288291L;         // log10 pi
inline constexpr long double uc_ln10 = 2.302585092994045684017991454684L;         // ln 10
inline constexpr long double uc_ln2 = 0.693147180559945309417232121458L;          // ln 2
inline constexpr long double uc_lnPi = 1.144729885849400174143427351353L;         // ln pi
inline constexpr long double uc_PiH = 1.570796326794896619231321691640L;          // pi/2
inline constexpr long double uc_PiSqr = 9.869604401089358618834490999876L;        // pi^2
inline constexpr long double uc_Pitom1 = 0.318309886183790671537767526745L;       // 1/pi
inline constexpr long double uc_sqrt2 = 1.414213562373095048801688724210L;        // sqrt 2
inline constexpr long double uc_sqrt2pi = 2.506628274631000502415765284811L;      // sqrt(2 pi)
inline constexpr long double uc_sqrt2pitom1 = 0.398942280401432677939946059934L;  // 1/sqrt(2 pi)
inline constexpr long double uc_GoldenR = 1.618033988749894848204586834366L;      // (1+sqrt 5)/2

// Limits as decimal values (not the exact limits of the formats): the 6-byte
// real, single, double and extended types.
inline constexpr long double uc_MinReal = 2.9e-39L;
inline constexpr long double uc_MaxReal = 1.7e38L;
inline constexpr long double uc_MinSingle = 1.5e-45L;
inline constexpr long double uc_MaxSingle = 3.4e38L;
inline constexpr long double uc_MinDouble = 5.0e-324L;
inline constexpr long double uc_MaxDouble = 1.7e308L;
// The smallest positive extended value (about 3.6452e-4951).
inline constexpr long double uc_MinExtended = std::numeric_limits<long double>::denorm_min();
inline constexpr long double uc_MaxExtended = 1.1e4932L;

inline constexpr long double uc_lnMinReal = -88.73610788977535L;
inline constexpr long double uc_lnMaxReal = 88.02886178483591L;
inline constexpr long double uc_lnMinSingle = -103.21086407662389L;
inline constexpr long double uc_lnMaxSingle = 88.72200896539586L;
inline constexpr long double uc_lnMinDouble = -744.4281322176367L;
inline constexpr long double uc_lnMaxDouble = 709.7268368932282L;
inline constexpr long double uc_lnMinExtended = -11398.817861568059L;
inline constexpr long double uc_lnMaxExtended = 11356.444988826437L;

// uc_LnFactorial[n] = ln(n!) for n = 0..1000 (elements 0 and 1 are 0).
inline constexpr int uc_LnFactorialMax = 1000;
extern const std::array<double, uc_LnFactorialMax + 1> uc_LnFactorial;

}  // namespace zol
