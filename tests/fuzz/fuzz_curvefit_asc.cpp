// Curve-fit data in ASC files: imported, exported with full precision and
// imported again; the point count must survive and the values to within the
// written decimals.
// fuzz-libs: numlib
#include <cmath>
#include <string>

#include "FuzzUtil.h"
#include "math/Zol_math2.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(curvefit_asc)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  const std::string in = PutTemp("cf.asc", Data, Size), out = TempPath("cf_out.asc");
  TCurveFit a(nullptr);
  int res;
  try {
    res = a.ImportASC(in);
  } catch (const EZOLError&) {
    return 0;  // a table that is not of two columns is refused with the unit's error
  }
  if (res != 0) return 0;
  for (int i = 1; i <= a.NumData(); ++i)
    if (!std::isfinite(a.DataX(i)) || !std::isfinite(a.DataY(i))) return 0;
  a.ExportAsASC(out, "fuzz", 20);
  TCurveFit b(nullptr);
  FUZZ_REQUIRE(b.ImportASC(out) == 0);
  FUZZ_REQUIRE(a.NumData() == b.NumData());
  auto close = [](double x, double y) { return std::fabs(x - y) <= 1e-15 * std::fabs(x) + 1e-19; };
  for (int i = 1; i <= a.NumData(); ++i) {
    FUZZ_REQUIRE(close(a.DataX(i), b.DataX(i)));
    FUZZ_REQUIRE(close(a.DataY(i), b.DataY(i)));
  }
  return 0;
}
