// Matrix text tables: read, write, read again; the content must not change.
// fuzz-libs: numlib
#include "MatrixCompare.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(matrix_text)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  const std::string in = PutTemp("mtx.txt", Data, Size), out = TempPath("mtx_out.txt");
  TMatrix m(nullptr);
  if (m.LoadFromFile(in, true)) {
    FUZZ_REQUIRE(m.StoreOnFile(0, 0, 0, 0, out));
    TMatrix b(nullptr);
    FUZZ_REQUIRE(b.LoadFromFile(out, true));
    FUZZ_REQUIRE(SameMatrix(m, b, SameNum));
  }
  TIntMatrix im(nullptr);
  if (im.LoadFromFile(in, true)) {
    FUZZ_REQUIRE(im.StoreOnFile(0, 0, 0, 0, out));
    TIntMatrix b(nullptr);
    FUZZ_REQUIRE(b.LoadFromFile(out, true));
    FUZZ_REQUIRE(SameMatrix(im, b, [](int x, int y) { return x == y; }));
  }
  return 0;
}
