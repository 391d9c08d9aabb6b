// Report list data: the tagged-text record read, written and read again to
// the same columns, formats, check modes and cells, and tab-separated line
// files loaded.
// fuzz-libs: ctrllib
#include <string>

#include "FuzzUtil.h"
#include "base/Zol_streams.h"
#include "gui/Zol_replist.h"

using namespace zol;
using namespace zolfuzz;

namespace {

bool SameRLData(const TRLData& a, const TRLData& b) {
  if (a.NrOfColumns() != b.NrOfColumns() || a.NrOfRows() != b.NrOfRows() ||
      a.CommonHeader() != b.CommonHeader() || a.Comment() != b.Comment())
    return false;
  for (int c = 1; c <= a.NrOfColumns(); ++c)
    if (a.GetColName(c) != b.GetColName(c) || a.GetColumnFormat(c) != b.GetColumnFormat(c) ||
        a.GetColCheckMode(c) != b.GetColCheckMode(c))
      return false;
  for (int r = 1; r <= a.NrOfRows(); ++r)
    for (int c = 0; c <= a.NrOfColumns(); ++c)
      if (a.GetElem(c, r) != b.GetElem(c, r)) return false;
  return true;
}

}  // namespace

ZOL_FUZZ_TARGET(replist)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 65536) return 0;
  const std::string text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  if (Data[0] & 1) {
    // a tab-separated line file, whole or from a line range
    const std::string in = PutTemp("rl.txt", Data + 1, Size - 1);
    TRLData a(nullptr);
    const int first = 1 + (Data[0] >> 1) % 4, last = (Data[0] & 0x80) ? first + 2 : 0;
    if (a.LoadLinesFromFile(first, last, in)) {
      TMemoryStream o;
      a.WriteToXMLStream(o, true, "F");
      o.SetPosition(0);
      TRLData b(nullptr);
      FUZZ_REQUIRE(b.ReadFromXMLStream(o, "F"));
      FUZZ_REQUIRE(SameRLData(a, b));
    }
    return 0;
  }
  for (const char* id : {"F", ""}) {
    TRLData a(nullptr);
    if (!a.ReadFromXMLString(text, id)) continue;
    TMemoryStream o;
    a.WriteToXMLStream(o, true, "F");
    o.SetPosition(0);
    TRLData b(nullptr);
    FUZZ_REQUIRE(b.ReadFromXMLStream(o, "F"));
    FUZZ_REQUIRE(SameRLData(a, b));
    for (int r = 1; r <= a.NrOfRows() && r <= 8; ++r)
      for (int c = 1; c <= a.NrOfColumns() && c <= 8; ++c) (void)a.GetCellDefaultValue(c, r);
  }
  return 0;
}
