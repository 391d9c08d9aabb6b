// Colour-map files: read (with and without taking the file's size), stored,
// read again to the same colours.
// fuzz-libs: corelib
#include <string>

#include "FuzzUtil.h"
#include "base/Zol_zolcolors.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(colour_map)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  const std::string in = PutTemp("cmap.txt", Data, Size), out = TempPath("cmap_out.txt");
  for (bool adjust : {true, false}) {
    TColorArray a(nullptr);
    a.SetSize(16);
    if (!a.LoadFromFile(in, adjust)) continue;
    FUZZ_REQUIRE(a.StoreOnFile(1, a.Size(), out));
    TColorArray b(nullptr);
    FUZZ_REQUIRE(b.LoadFromFile(out, true));
    FUZZ_REQUIRE(a.IsEqual(b));
  }
  return 0;
}
