// geolib: a UTM conversion and a query of a small geographic database.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/platform/Zol_sysutils.h"
#include "geo/Zol_geobasics.h"
#include "geo/Zol_geodb.h"

int main() {
  int zone;
  double e, n;
  zol::LatLongToUTM(48.2082, 16.3738, zol::gelWGS84, zone, e, n);  // Vienna
  std::printf("Vienna: UTM %s (zone %d) easting %.1f northing %.1f\n", zol::GeoToUTMZone(48.2082, 16.3738).c_str(), zone, e, n);
  std::string base = zol::GetTempDirectory() + "zol_example_db";
  {
    zol::TGeoDB db(nullptr);
    db.SetDBName(base);
    const struct { const char* name; float lat, lon; } towns[] = {
        {"Vienna", 48.21f, 16.37f}, {"Graz", 47.07f, 15.44f}, {"Munich", 48.14f, 11.58f}, {"Zurich", 47.37f, 8.54f}};
    for (auto& t : towns) db.AddTown(t.name, 0, 0, {t.lat, t.lon}, 0, 0, 0);
    db.SetLazyWrite(false);
    auto found = db.SearchArea(46.5f, 48.5f, 14.0f, 17.0f);
    std::printf("towns in the box: %zu\n", found.size());
    for (int ix : found) std::printf("  %s\n", db.Sumdata(ix).Name.c_str());
    db.SetDBName("");
  }
  for (const char* ext : {".zolgdd", ".zolgds", ".zolgi0", ".zolgi1", ".zolgi2", ".zolgi3", ".zolgi4"})
    std::remove((base + ext).c_str());
}
