// SD files record by record, and the clear-text connection-table variants
// (the CTABG keyword record and a bare table body).  Every record read is
// written as a molfile (or clear text) and read back to the same table.
// fuzz-libs: chemlib
#include <string>

#include "ChemCompare.h"
#include "FuzzUtil.h"
#include "base/Zol_streams.h"
#include "chem/Zol_cstruct.h"

using namespace zol;
using namespace zolfuzz;

namespace {

void SdMolRoundTrip(const TCTab& a) {
  TMemoryStream o;
  a.WriteToMDLMolStream(o, "", "fuzz", 1, 1, 2020);
  o.SetPosition(0);
  TCTab b(nullptr);
  FUZZ_REQUIRE(b.ReadFromMDLMolStream(o));
  FUZZ_REQUIRE(SameTable(a, b));
}

void SdClearTextRoundTrip(const TCTab& a) {
  const std::string out = TempPath("sd_ct_out.txt");
  {
    TextFile F;
    AssignFile(F, out);
    Rewrite(F);
    a.WriteToClearTextFile(F);
    CloseFile(F);
  }
  TCTab b(nullptr);
  TextFile G;
  AssignFile(G, out);
  Reset(G);
  const bool ok = b.ReadFromClearTextFile(G);
  CloseFile(G);
  FUZZ_REQUIRE(ok);
  FUZZ_REQUIRE(SameTable(a, b));
}

}  // namespace

ZOL_FUZZ_TARGET(sdfile)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 32768) return 0;
  const uint8_t sel = Data[0];
  const std::string in = PutTemp("sd.txt", Data + 1, Size - 1);
  TextFile F;
  AssignFile(F, in);
  Reset(F);
  switch (sel % 3) {
    case 0: {
      // every record of the file; a damaged one is skipped, the next read on
      for (int k = 0; k < 200 && !Eof(F); ++k) {
        TCTab a(nullptr);
        TPropArray props;
        if (a.ReadFromMDLSDFile(F, props)) SdMolRoundTrip(a);
      }
      break;
    }
    case 1: {
      TCTab a(nullptr);
      if (a.ReadFromClearTextFileCTABG(F)) SdClearTextRoundTrip(a);
      break;
    }
    default: {
      TCTab a(nullptr);
      if (a.ReadConnTabBody(F)) SdClearTextRoundTrip(a);
      break;
    }
  }
  CloseFile(F);
  return 0;
}
