// The ln(n!) table, built while compiling: natural logarithms are evaluated in
// extended precision (binary range reduction, then the atanh series) and summed.
#include "base/Zol_univconst.h"

namespace zol {

namespace {

// ln x for x >= 1: x = m * 2^k with m in [1, 2); ln m = 2 atanh((m-1)/(m+1)).
constexpr long double ConstLn(long double x) {
  int k = 0;
  while (x >= 2.0L) {
    x /= 2.0L;
    ++k;
  }
  if (x > 1.4142135623730950488L) {  // centre m around 1 for a faster series
    x /= 2.0L;
    ++k;
  }
  const long double z = (x - 1.0L) / (x + 1.0L);
  const long double z2 = z * z;
  long double term = z, sum = 0.0L;
  for (int n = 1; n < 200; n += 2) {
    const long double add = term / n;
    if (sum + add == sum) break;
    sum += add;
    term *= z2;
  }
  return k * uc_ln2 + 2.0L * sum;
}

constexpr std::array<double, uc_LnFactorialMax + 1> MakeLnFactorial() {
  std::array<double, uc_LnFactorialMax + 1> t{};
  long double acc = 0.0L;
  t[0] = 0.0;
  for (int n = 1; n <= uc_LnFactorialMax; ++n) {
    acc += ConstLn(static_cast<long double>(n));
    t[n] = static_cast<double>(acc);
  }
  return t;
}

}  // namespace

constexpr std::array<double, uc_LnFactorialMax + 1> uc_LnFactorial = MakeLnFactorial();

}  // namespace zol
