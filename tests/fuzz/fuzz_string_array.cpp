// String array records (tagged text): read, written, read again; sizes,
// attributes and every cell must survive.
// fuzz-libs: corelib
#include <string>

#include "FuzzUtil.h"
#include "base/Zol_dstruct.h"

using namespace zol;
using namespace zolfuzz;

namespace {

bool SameStringArray(const TStringArray& a, const TStringArray& b) {
  if (a.NrOfColumns() != b.NrOfColumns() || a.NrOfRows() != b.NrOfRows()) return false;
  for (int c = 0; c <= a.NrOfColumns(); ++c)
    if (a.GetColAttrib(c) != b.GetColAttrib(c)) return false;
  for (int r = 1; r <= a.NrOfRows(); ++r) {
    if (a.GetRowAttrib(r) != b.GetRowAttrib(r)) return false;
    for (int c = 0; c <= a.NrOfColumns(); ++c)
      if (a.GetString(c, r) != b.GetString(c, r)) return false;
  }
  return true;
}

}  // namespace

ZOL_FUZZ_TARGET(string_array)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  const std::string in = PutTemp("sa.xml", Data, Size), out = TempPath("sa_out.xml");
  // with the identifier of the seeds and with any identifier
  for (const char* id : {"F", ""}) {
    TStringArray a(nullptr);
    if (!a.LoadFromXMLFile(in, id)) continue;
    FUZZ_REQUIRE(a.SaveAsXMLFile(out, "F"));
    TStringArray b(nullptr);
    FUZZ_REQUIRE(b.LoadFromXMLFile(out, "F"));
    FUZZ_REQUIRE(SameStringArray(a, b));
  }
  return 0;
}
