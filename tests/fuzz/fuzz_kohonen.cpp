// Kohonen map records (tagged text): read, written, read again; the map's
// size, settings, weights and scaling must survive bit for bit.
// fuzz-libs: numlib
#include <string>

#include "FuzzUtil.h"
#include "base/Zol_streams.h"
#include "math/Zol_kohonen.h"
#include "math/Zol_matrix.h"
#include "math/Zol_vector.h"

using namespace zol;
using namespace zolfuzz;

namespace {

bool SameKohonen(const TKohonen& a, const TKohonen& b) {
  if (a.SizeX() != b.SizeX() || a.SizeY() != b.SizeY() || a.NrOfInSens() != b.NrOfInSens() ||
      a.CurrentStep() != b.CurrentStep() || a.Cyclic() != b.Cyclic() || a.Comment() != b.Comment() ||
      !SameNum(a.InitialAlpha(), b.InitialAlpha()))
    return false;
  for (int x = 1; x <= a.SizeX(); ++x)
    for (int y = 1; y <= a.SizeY(); ++y)
      for (int k = 1; k <= a.NrOfInSens(); ++k)
        if (!SameNum(a.GetRawWeight(x, y, k), b.GetRawWeight(x, y, k))) return false;
  for (int k = 1; k <= a.NrOfInSens(); ++k)
    if (!SameNum(a.Means()->GetVal(k), b.Means()->GetVal(k)) ||
        !SameNum(a.StdDevs()->GetVal(k), b.StdDevs()->GetVal(k)))
      return false;
  return true;
}

}  // namespace

ZOL_FUZZ_TARGET(kohonen)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  TMemoryStream s;
  s.WriteBuffer(Data, static_cast<int64_t>(Size));
  for (const char* id : {"F", ""}) {
    s.SetPosition(0);
    TKohonen a(nullptr);
    if (!a.ReadFromXMLStream(s, id)) continue;
    TMemoryStream o;
    a.WriteToXMLStream(o, true, "F");
    o.SetPosition(0);
    TKohonen b(nullptr);
    FUZZ_REQUIRE(b.ReadFromXMLStream(o, "F"));
    FUZZ_REQUIRE(SameKohonen(a, b));
  }
  return 0;
}
