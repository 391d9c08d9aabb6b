// Chart data files (104-byte item records): loaded, drawn, saved and loaded
// again to the same items; the text listing can always be written.
// fuzz-libs: chartlib
#include <cstring>
#include <string>

#include "FuzzUtil.h"
#include "chart/Zol_rchart.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(rchart)(const uint8_t* Data, size_t Size) {
  if (Size > 104 * 256) return 0;
  const std::string in = PutTemp("chart.dat", Data, Size), out = TempPath("chart_out.dat");
  TRChart a(nullptr);
  a.SetBounds(0, 0, 120, 90);
  if (!a.LoadData(in, false)) return 0;
  FUZZ_REQUIRE(a.NumItems() == static_cast<int>(Size / rcItemRecordSize));
  TBitmap bmp;
  a.CopyToBitmap(bmp);
  a.SaveData(out);
  TRChart b(nullptr);
  b.SetBounds(0, 0, 120, 90);
  FUZZ_REQUIRE(b.LoadData(out, false));
  FUZZ_REQUIRE(a.NumItems() == b.NumItems());
  for (int i = 0; i < a.NumItems(); ++i) {
    const TrcChartItem x = a.GetChartItem(i), y = b.GetChartItem(i);
    FUZZ_REQUIRE(std::memcmp(&x, &y, sizeof x) == 0);
  }
  a.SaveDataASC(TempPath("chart_out.txt"));
  return 0;
}
