// Binary matrix files: read, write, read again; values must survive bit for bit.
// fuzz-libs: numlib
#include "MatrixCompare.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(matrix_binary)(const uint8_t* Data, size_t Size) {
  if (Size > 262144) return 0;
  const std::string in = PutTemp("mtx.bin", Data, Size), out = TempPath("mtx_out.bin");
  TMatrix m(nullptr);
  if (m.LoadBinary(in)) {
    FUZZ_REQUIRE(m.SaveBinary(out));
    TMatrix b(nullptr);
    FUZZ_REQUIRE(b.LoadBinary(out));
    FUZZ_REQUIRE(SameMatrix(m, b, SameBits));
  }
  TIntMatrix im(nullptr);
  if (im.LoadBinary(in)) {
    FUZZ_REQUIRE(im.SaveBinary(out));
    TIntMatrix b(nullptr);
    FUZZ_REQUIRE(b.LoadBinary(out));
    FUZZ_REQUIRE(SameMatrix(im, b, [](int x, int y) { return x == y; }));
  }
  return 0;
}
