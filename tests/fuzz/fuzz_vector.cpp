// Vector readers: the text file (Lo Hi, then values) and the extended stream.
// The stream format holds values exactly, so it is read, written and read again.
// fuzz-libs: numlib
#include "FuzzUtil.h"
#include "base/Zol_streams.h"
#include "math/Zol_vector.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(vector)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  const std::string in = PutTemp("vec.txt", Data, Size);
  TVector v(nullptr);
  v.LoadFromFile(in, true);
  TIntVector iv(nullptr);
  iv.LoadFromFile(in, true);

  TMemoryStream s;
  s.WriteBuffer(Data, static_cast<int64_t>(Size));
  s.SetPosition(0);
  TVector a(nullptr);
  if (a.LoadFromStream(&s, true)) {
    TMemoryStream o;
    a.SaveToStream(o, 0, 0);
    o.SetPosition(0);
    TVector b(nullptr);
    FUZZ_REQUIRE(b.LoadFromStream(&o, true));
    FUZZ_REQUIRE(a.NrOfElem() == b.NrOfElem());
    for (int i = 1; i <= a.NrOfElem(); ++i) FUZZ_REQUIRE(SameNum(a.GetVal(i), b.GetVal(i)));
  }
  s.SetPosition(0);
  TIntVector ia(nullptr);
  ia.LoadFromStream(&s, true);
  return 0;
}
