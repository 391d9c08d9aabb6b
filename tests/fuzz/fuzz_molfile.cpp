// Connection tables: molfile and connection-table streams, read, written and
// read again (atoms, mass numbers, charges and bonds must survive; coordinates
// are written with four decimals), and the clear-text format likewise.
// fuzz-libs: chemlib
#include "ChemCompare.h"
#include "FuzzUtil.h"
#include "base/Zol_streams.h"
#include "chem/Zol_cstruct.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(molfile)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 32768) return 0;
  const uint8_t sel = Data[0];
  TMemoryStream s;
  s.WriteBuffer(Data + 1, static_cast<int64_t>(Size - 1));
  s.SetPosition(0);
  TCTab a(nullptr), b(nullptr);
  switch (sel % 3) {
    case 0:
      if (a.ReadFromMDLMolStream(s)) {
        TMemoryStream o;
        a.WriteToMDLMolStream(o, "", "fuzz", 1, 1, 2020);
        o.SetPosition(0);
        FUZZ_REQUIRE(b.ReadFromMDLMolStream(o));
        FUZZ_REQUIRE(SameTable(a, b));
      }
      break;
    case 1:
      if (a.ReadFromMDLCTabStream(s)) {
        TMemoryStream o;
        a.WriteToMDLCTabStream(o);
        o.SetPosition(0);
        FUZZ_REQUIRE(b.ReadFromMDLCTabStream(o));
        FUZZ_REQUIRE(SameTable(a, b));
      }
      break;
    default: {
      const std::string in = PutTemp("ct.txt", Data + 1, Size - 1), out = TempPath("ct_out.txt");
      bool ok = false;
      {
        TextFile F;
        AssignFile(F, in);
        Reset(F);
        ok = a.ReadFromClearTextFile(F);
        CloseFile(F);
      }
      if (ok) {
        TextFile F;
        AssignFile(F, out);
        Rewrite(F);
        a.WriteToClearTextFile(F);
        CloseFile(F);
        TextFile G;
        AssignFile(G, out);
        Reset(G);
        FUZZ_REQUIRE(b.ReadFromClearTextFile(G));
        CloseFile(G);
        FUZZ_REQUIRE(SameTable(a, b));
        FUZZ_REQUIRE(a.StrucName() == b.StrucName());
      }
      break;
    }
  }
  return 0;
}
