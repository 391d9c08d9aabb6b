// The other matrix files: the extended-number stream (double and integer
// matrices), Matrix Market sparse files and the four-dimensional binary and
// tagged-text files.  Each read is written and read again to the same content.
// fuzz-libs: numlib
#include <string>

#include "MatrixCompare.h"
#include "base/Zol_streams.h"

using namespace zol;
using namespace zolfuzz;

namespace {

bool Same4D(const TMat4D& a, const TMat4D& b) {
  if (a.NrOfColumns() != b.NrOfColumns() || a.NrOfRows() != b.NrOfRows() || a.NrOfLayers() != b.NrOfLayers() ||
      a.NrOfTimeSlots() != b.NrOfTimeSlots())
    return false;
  for (int t = 1; t <= a.NrOfTimeSlots(); ++t)
    for (int l = 1; l <= a.NrOfLayers(); ++l)
      for (int r = 1; r <= a.NrOfRows(); ++r)
        for (int c = 1; c <= a.NrOfColumns(); ++c)
          if (!SameNum(a.GetVal(c, r, l, t), b.GetVal(c, r, l, t))) return false;
  return true;
}

void StreamRoundTrip(const uint8_t* Data, size_t Size) {
  TMemoryStream s;
  s.WriteBuffer(Data, static_cast<int64_t>(Size));
  s.SetPosition(0);
  TMatrix m(nullptr);
  if (m.LoadFromStream(&s, true)) {
    TMemoryStream o;
    m.SaveToStream(o, 1, 1, m.NrOfColumns(), m.NrOfRows());
    o.SetPosition(0);
    TMatrix b(nullptr);
    FUZZ_REQUIRE(b.LoadFromStream(&o, true));
    FUZZ_REQUIRE(SameMatrix(m, b, SameNum));
  }
  s.SetPosition(0);
  TIntMatrix im(nullptr);
  if (im.LoadFromStream(&s, true)) {
    TMemoryStream o;
    im.SaveToStream(o, 1, 1, im.NrOfColumns(), im.NrOfRows());
    o.SetPosition(0);
    TIntMatrix b(nullptr);
    FUZZ_REQUIRE(b.LoadFromStream(&o, true));
    FUZZ_REQUIRE(SameMatrix(im, b, [](int x, int y) { return x == y; }));
  }
}

void SparseRoundTrip(const std::string& in) {
  TIntMatrix a(nullptr);
  if (!a.LoadSparseMat(in)) return;
  const std::string out = TempPath("sparse_out.mtx");
  FUZZ_REQUIRE(a.StoreSparseMat(out));
  TIntMatrix b(nullptr);
  FUZZ_REQUIRE(b.LoadSparseMat(out));
  FUZZ_REQUIRE(SameMatrix(a, b, [](int x, int y) { return x == y; }));
}

void Mat4DRoundTrip(const std::string& in) {
  const std::string out = TempPath("m4d_out.bin");
  int nc = 0, nr = 0, nl = 0, nt = 0;
  std::string id;
  TMat4D a(nullptr);
  if (a.ReadBinaryHeader(in, nc, nr, nl, nt, id) && nt >= 1 && a.LoadBinary(in, 1, nt)) {
    a.SaveBinary(out, 1, a.NrOfTimeSlots());
    TMat4D b(nullptr);
    FUZZ_REQUIRE(b.LoadBinary(out, 1, a.NrOfTimeSlots()));
    FUZZ_REQUIRE(Same4D(a, b) && a.DataID() == b.DataID());
  }
  TMat4D x(nullptr);
  if (x.LoadFromXMLFile(in, "")) {
    FUZZ_REQUIRE(x.SaveAsXMLFile(out, "F"));
    TMat4D y(nullptr);
    FUZZ_REQUIRE(y.LoadFromXMLFile(out, "F"));
    FUZZ_REQUIRE(Same4D(x, y));
  }
}

}  // namespace

ZOL_FUZZ_TARGET(matrix_more)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 65536) return 0;
  switch (Data[0] % 3) {
    case 0: StreamRoundTrip(Data + 1, Size - 1); break;
    case 1: SparseRoundTrip(PutTemp("sparse.mtx", Data + 1, Size - 1)); break;
    default: Mat4DRoundTrip(PutTemp("m4d.bin", Data + 1, Size - 1)); break;
  }
  return 0;
}
