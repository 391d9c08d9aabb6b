// Tagged-text matrix records (2D, integer, 3D): read, write, read again.
// fuzz-libs: numlib
#include "MatrixCompare.h"

using namespace zol;
using namespace zolfuzz;

namespace {
bool Same3D(const TMat3D& a, const TMat3D& b) {
  if (a.NrOfColumns() != b.NrOfColumns() || a.NrOfRows() != b.NrOfRows() || a.NrOfLayers() != b.NrOfLayers())
    return false;
  for (int l = 1; l <= a.NrOfLayers(); ++l)
    for (int r = 1; r <= a.NrOfRows(); ++r)
      for (int c = 1; c <= a.NrOfColumns(); ++c)
        if (!SameNum(a.GetVal(c, r, l), b.GetVal(c, r, l))) return false;
  return true;
}
}  // namespace

ZOL_FUZZ_TARGET(matrix_xml)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  const std::string in = PutTemp("mtx.xml", Data, Size), out = TempPath("mtx_out.xml");
  TMatrix m(nullptr);
  if (m.LoadFromXMLFile(in, "F")) {
    FUZZ_REQUIRE(m.SaveAsXMLFile(out, "F"));
    TMatrix b(nullptr);
    FUZZ_REQUIRE(b.LoadFromXMLFile(out, "F"));
    FUZZ_REQUIRE(SameMatrix(m, b, SameNum));
  }
  TIntMatrix im(nullptr);
  if (im.LoadFromXMLFile(in, "F")) {
    FUZZ_REQUIRE(im.SaveAsXMLFile(out, "F"));
    TIntMatrix b(nullptr);
    FUZZ_REQUIRE(b.LoadFromXMLFile(out, "F"));
    FUZZ_REQUIRE(SameMatrix(im, b, [](int x, int y) { return x == y; }));
  }
  TMat3D m3(nullptr);
  if (m3.LoadFromXMLFile(in, "F")) {
    FUZZ_REQUIRE(m3.SaveAsXMLFile(out, "F"));
    TMat3D b(nullptr);
    FUZZ_REQUIRE(b.LoadFromXMLFile(out, "F"));
    FUZZ_REQUIRE(Same3D(m3, b));
  }
  return 0;
}
