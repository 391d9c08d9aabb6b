// Universal constants compared with the C++ standard library's constants and
// with lgamma of the C library.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <limits>

#include "base/Zol_univconst.h"

using namespace zol;

namespace {

// Relative difference in units of the long double epsilon.
long double RelDiff(long double a, long double b) {
  return std::fabs(a - b) / std::fabs(b) / std::numeric_limits<long double>::epsilon();
}

}  // namespace

TEST(UnivConst, MathematicalConstantsMatchStdNumbers) {
  using std::numbers::e_v;
  using std::numbers::pi_v;
  using L = long double;
  EXPECT_LE(RelDiff(uc_e, e_v<L>), 1);
  EXPECT_LE(RelDiff(uc_etom1, 1 / e_v<L>), 2);
  EXPECT_LE(RelDiff(uc_lg2, std::log10(2.0L)), 2);
  EXPECT_LE(RelDiff(uc_lg5, std::log10(5.0L)), 2);
  EXPECT_LE(RelDiff(uc_lge, std::numbers::log10e_v<L>), 1);
  EXPECT_LE(RelDiff(uc_lgPi, std::log10(pi_v<L>)), 2);
  EXPECT_LE(RelDiff(uc_ln10, std::numbers::ln10_v<L>), 1);
  EXPECT_LE(RelDiff(uc_ln2, std::numbers::ln2_v<L>), 1);
  EXPECT_LE(RelDiff(uc_lnPi, std::log(pi_v<L>)), 2);
  EXPECT_LE(RelDiff(uc_PiH, pi_v<L> / 2), 1);
  EXPECT_LE(RelDiff(uc_PiSqr, pi_v<L> * pi_v<L>), 2);
  EXPECT_LE(RelDiff(uc_Pitom1, std::numbers::inv_pi_v<L>), 1);
  EXPECT_LE(RelDiff(uc_sqrt2, std::numbers::sqrt2_v<L>), 1);
  EXPECT_LE(RelDiff(uc_sqrt2pi, std::sqrt(2 * pi_v<L>)), 2);
  EXPECT_LE(RelDiff(uc_sqrt2pitom1, 1 / std::sqrt(2 * pi_v<L>)), 2);
  EXPECT_LE(RelDiff(uc_GoldenR, std::numbers::phi_v<L>), 1);
}

TEST(UnivConst, LimitsAreTheDecimalValuesAndGuardTheFormats) {
  // The limits are representable in (or just inside) their formats.
  EXPECT_EQ(static_cast<double>(uc_MaxDouble), 1.7e308);
  EXPECT_LT(static_cast<double>(uc_MaxDouble), std::numeric_limits<double>::max());
  EXPECT_EQ(static_cast<double>(uc_MinDouble), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(static_cast<float>(uc_MaxSingle), 3.4e38f);
  EXPECT_LE(uc_MaxSingle, static_cast<long double>(std::numeric_limits<float>::max()));
  EXPECT_EQ(static_cast<float>(uc_MinSingle), std::numeric_limits<float>::denorm_min());
  EXPECT_EQ(uc_MinExtended, std::numeric_limits<long double>::denorm_min());
  EXPECT_LT(uc_MaxExtended, std::numeric_limits<long double>::max());
  EXPECT_EQ(uc_MaxReal, 1.7e38L);
  EXPECT_EQ(uc_MinReal, 2.9e-39L);
  // Searches start from these values: any double is at most uc_MaxDouble in magnitude.
  double lo = static_cast<double>(uc_MaxDouble), hi = -static_cast<double>(uc_MaxDouble);
  EXPECT_GT(lo, hi);  // an empty search keeps its start values
}

TEST(UnivConst, LogarithmicLimitsAreLogsOfTheDecimalLimits) {
  const struct {
    long double ln, limit;
  } cases[] = {{uc_lnMinReal, uc_MinReal},         {uc_lnMaxReal, uc_MaxReal},
               {uc_lnMinSingle, uc_MinSingle},     {uc_lnMaxSingle, uc_MaxSingle},
               {uc_lnMinDouble, uc_MinDouble},     {uc_lnMaxDouble, uc_MaxDouble},
               {uc_lnMaxExtended, uc_MaxExtended}};
  for (const auto& c : cases)
    EXPECT_NEAR(static_cast<double>(c.ln), static_cast<double>(std::log(c.limit)),
                1e-13 * std::fabs(static_cast<double>(c.ln)));
  // The extended lower limit is the logarithm of 3.6e-4951 (that decimal is not
  // representable, so the logarithm is composed).
  EXPECT_NEAR(static_cast<double>(uc_lnMinExtended),
              static_cast<double>(std::log(3.6L) - 4951 * std::log(10.0L)), 1e-9);
  // exp of an upper limit stays finite in its format.
  EXPECT_TRUE(std::isfinite(std::exp(static_cast<double>(uc_lnMaxDouble))));
  EXPECT_TRUE(std::isfinite(std::exp(static_cast<float>(uc_lnMaxSingle))));
  EXPECT_TRUE(std::isfinite(std::exp(uc_lnMaxExtended)));
}

TEST(UnivConst, LnFactorialAgreesWithLgamma) {
  ASSERT_EQ(uc_LnFactorial.size(), 1001u);  // elements 0..1000, no element 1001
  EXPECT_EQ(uc_LnFactorial[0], 0.0);
  EXPECT_EQ(uc_LnFactorial[1], 0.0);
  EXPECT_EQ(uc_LnFactorial[2], std::log(2.0));
  for (int n = 2; n <= 1000; ++n) {
    const long double ref = std::lgamma(static_cast<long double>(n) + 1.0L);
    // Within a few units in the last place of the double.
    const double tol = 4 * std::numeric_limits<double>::epsilon() * static_cast<double>(ref);
    ASSERT_NEAR(uc_LnFactorial[n], static_cast<double>(ref), tol) << "n = " << n;
  }
  EXPECT_NEAR(uc_LnFactorial[1000], 5912.128178488, 1e-9);
  // Published value of ln(1000!): 5912.128178488163...
  EXPECT_NEAR(uc_LnFactorial[1000], 5912.1281784881633, 2e-12);
}
