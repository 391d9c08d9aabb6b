// Associative array records (tagged text) and attribute texts: read, written,
// read again; keys, value kinds and values must survive.
// fuzz-libs: corelib
#include <string>

#include "FuzzUtil.h"
#include "base/Zol_dstruct.h"
#include "base/Zol_streams.h"

using namespace zol;
using namespace zolfuzz;

namespace {

bool SameAssoc(const TAssocArray& a, const TAssocArray& b) {
  if (a.NumEntries() != b.NumEntries()) return false;
  for (int i = 1; i <= a.NumEntries(); ++i) {
    if (a.GetKeys(i) != b.GetKeys(i)) return false;
    const TVariant va = a.GetValues(i), vb = b.GetValues(i);
    if (va.Kind() != vb.Kind()) return false;
    if (va.AsString() != vb.AsString()) return false;
  }
  return true;
}

void AssocRoundTrip(const TAssocArray& a) {
  TMemoryStream o;
  a.WriteToXMLStream(o, true, "F");
  o.SetPosition(0);
  TAssocArray b(nullptr);
  FUZZ_REQUIRE(b.ReadFromXMLStream(o, "F"));
  FUZZ_REQUIRE(SameAssoc(a, b));
}

}  // namespace

ZOL_FUZZ_TARGET(assoc_array)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  TMemoryStream s;
  s.WriteBuffer(Data, static_cast<int64_t>(Size));
  for (const char* id : {"F", ""}) {
    s.SetPosition(0);
    TAssocArray a(nullptr);
    if (a.ReadFromXMLStream(s, id)) AssocRoundTrip(a);
  }
  // the input as an attribute text (texts in memory are UTF-8)
  const std::string attrs(reinterpret_cast<const char*>(Data), Size);
  if (!IsValidUtf8(attrs)) return 0;
  TAssocArray t(nullptr);
  const int n = t.AddXMLAttributes(attrs);
  FUZZ_REQUIRE(n >= 0);
  AssocRoundTrip(t);
  return 0;
}
