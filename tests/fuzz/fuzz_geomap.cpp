// Map files: calibration records (through the parser, the map control and
// the atlas catalogue), landmark files and symbol files.  What was read is
// written, read and written again: both writings must be the same (the
// formats round the coordinates on the first writing only).
// fuzz-libs: geolib
#include <string>

#include "FuzzUtil.h"
#include "base/Zol_streams.h"
#include "geo/Zol_geoatlas.h"
#include "geo/Zol_geomap.h"

using namespace zol;
using namespace zolfuzz;

namespace {

std::string WriteCalib(const TCalibData& d, TCalibModel m, const std::string& name) {
  TextFile F;
  AssignFile(F, name);
  Rewrite(F);
  WriteRawCalDataToOpenXMLFile(F, true, "F", d, m);
  CloseFile(F);
  return GetFile(name);
}

void CalibRoundTrip(const std::string& in) {
  TCalibData d;
  TCalibModel m = cmUndefined;
  try {
    if (!ParseCalibData(in, "", d, m)) return;
  } catch (const EZOLGeoMapError&) {
    return;  // graticule lines of unknown type and wrong point counts are refused so
  }
  const std::string out1 = TempPath("cal1.xml"), out2 = TempPath("cal2.xml");
  const std::string w1 = WriteCalib(d, m, out1);
  TCalibData e;
  TCalibModel n = cmUndefined;
  FUZZ_REQUIRE(ParseCalibData(out1, "F", e, n));
  FUZZ_REQUIRE(n == m);
  FUZZ_REQUIRE(WriteCalib(e, n, out2) == w1);
  // the map control and the atlas take what the parser took
  TGeoMap map(nullptr);
  map.SetBounds(0, 0, 64, 48);
  (void)map.LoadCalDataFromXML(in, "");
  TGeoAtlas atlas(nullptr);
  FUZZ_REQUIRE(atlas.RegisterMap(in));
  (void)atlas.SelectMap(1);
}

void LandmarkRoundTrip(const std::string& in) {
  TGeoMap a(nullptr);
  if (!a.LoadLandMarks(in, "")) return;
  const std::string out1 = TempPath("lm1.xml"), out2 = TempPath("lm2.xml");
  FUZZ_REQUIRE(a.SaveLandmarks(out1, "F"));
  TGeoMap b(nullptr);
  FUZZ_REQUIRE(b.LoadLandMarks(out1, "F"));
  FUZZ_REQUIRE(a.NumLandMarks() == b.NumLandMarks());
  FUZZ_REQUIRE(b.SaveLandmarks(out2, "F"));
  FUZZ_REQUIRE(GetFile(out1) == GetFile(out2));
}

void SymbolRoundTrip(const std::string& in) {
  TSymbolRepository a(nullptr);
  if (!a.LoadFromFile(in, "")) return;
  const std::string out1 = TempPath("sym1.xml"), out2 = TempPath("sym2.xml");
  FUZZ_REQUIRE(a.StoreOnFile(out1, "F"));
  TSymbolRepository b(nullptr);
  FUZZ_REQUIRE(b.LoadFromFile(out1, "F"));
  FUZZ_REQUIRE(a.NEntries() == b.NEntries());
  FUZZ_REQUIRE(b.StoreOnFile(out2, "F"));
  FUZZ_REQUIRE(GetFile(out1) == GetFile(out2));
}

}  // namespace

ZOL_FUZZ_TARGET(geomap)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 32768) return 0;
  const std::string in = PutTemp("geomap_in.xml", Data + 1, Size - 1);
  switch (Data[0] % 3) {
    case 0: CalibRoundTrip(in); break;
    case 1: LandmarkRoundTrip(in); break;
    default: SymbolRoundTrip(in); break;
  }
  return 0;
}
