// Gallery page: cities in UTM/UPS coordinates in three datums, and a small
// geographic database built, searched by a bounding box and listed.
#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "apps/gallery/Gallery.h"
#include "geo/Zol_geobasics.h"
#include "geo/Zol_geodb.h"
#include "math/Zol_math1.h"

using namespace zol;

namespace {

std::string Fixed(double v, int dec) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", dec, v);
  return buf;
}

// UTM (or UPS beyond the UTM band) of a WGS 84 position after the shift to a datum.
std::string GridText(double lat, double lon, int datum) {
  double la, lo, h;
  if (HelmertTransform(269, lat, lon, 0, datum, la, lo, h) != 0) return "-";
  const TGeoEllipsoid ell = GeoDatum(datum)->Ellipsoid;
  if (la > 84.0 || la < -80.0) {
    double x, y;
    LatLongToUPS(la, lo, ell, x, y);
    return std::string("UPS ") + (la > 0 ? "N " : "S ") + Fixed(x, 1) + " E, " + Fixed(y, 1) + " N";
  }
  int zone;
  double e, n;
  LatLongToUTM(la, lo, ell, zone, e, n);
  return GeoToUTMZone(la, lo) + " " + Fixed(e, 1) + " E, " + Fixed(n, 1) + " N";
}

}  // namespace

ZOL_GALLERY_PAGE("geo", "Geodesy and geographic database", 60) {
  struct City {
    const char* name;
    double lat, lon;
  };
  const City cities[] = {
      {"Berlin", 52.5163, 13.3276},     {"Amsterdam", 52.373, 4.8948},
      {"Kabul", 34.5309, 69.1368},      {"Washington, DC", 38.9051, -77.0162},
      {"Oslo", 59.9139, 10.7522},       {"Longyearbyen", 78.2232, 15.6267},
      {"Cape Town", -33.9249, 18.4241}, {"Sydney", -33.8688, 151.2093},
      {"Alert", 82.5018, -62.3481},     {"North Pole", 90.0, 0.0},
      {"South Pole", -90.0, 0.0},       {"Amundsen Sea", -85.0, -120.0}};
  const int datums[3] = {269, 59, 268};
  page.AddHeading("Cities in UTM / UPS coordinates");
  page.AddText(
      "WGS 84 positions shifted by the seven-parameter Helmert transformation to each datum "
      "and projected on the datum's ellipsoid (UTM between 80 S and 84 N with the Norway and "
      "Svalbard zones, UPS beyond).");
  std::vector<std::vector<std::string>> rows;
  rows.push_back({"City", "Latitude", "Longitude", "WGS 1984", "European Datum 1950",
                  "WGS 1972"});
  for (const City& c : cities) {
    std::vector<std::string> row = {c.name, GeoLatitude(c.lat, dfDegMin, 1),
                                    GeoLongitude(c.lon, dfDegMin, 1)};
    for (int d : datums) row.push_back(GridText(c.lat, c.lon, d));
    rows.push_back(row);
  }
  page.AddTable(rows);

  page.AddHeading("Ellipsoids");
  std::vector<std::vector<std::string>> ell = {{"Identifier", "Name", "a (m)", "b (m)", "1/f"}};
  for (int i = 0; i < GeoEllipsoidCount; i += 6) {
    const auto e = static_cast<TGeoEllipsoid>(i);
    ell.push_back({GeoEllipsoidId[i], GeoEllipsoidName[i], Fixed(GeoEllipsoidData[i].MajorAxis, 3),
                   Fixed(GeoEllipsoidData[i].MinorAxis, 6), Fixed(RecipFlattening(e), 6)});
  }
  page.AddTable(ell);

  // ---- a small database of capitals and two lakes
  char tmpl[] = "/tmp/zolgallerygeoXXXXXX";
  if (!mkdtemp(tmpl)) return;
  const std::string base = std::string(tmpl) + "/capitals";
  {
    TGeoDB db(nullptr);
    db.SetName("GeoDB1");
    db.SetDBName(base);
    db.SetLazyWrite(true);
    db.SetDescription("Capitals of the country catalogue");
    int towns = 0;
    for (int i = 0; i < CountryCount; ++i) {
      const TCountryRec& c = CountryData[i];
      if (std::isnan(c.CapLatitude) || c.Capital[0] == 0) continue;
      TSCoords p;
      p.Latitude = static_cast<float>(c.CapLatitude);
      p.Longitude = static_cast<float>(c.CapLongitude);
      db.AddTown(c.Capital, 0, i, p, 0, 0, 0);
      ++towns;
    }
    db.AddLake("Lake Constance",
               {{47.50f, 9.55f}, {47.70f, 9.20f}, {47.82f, 9.05f}, {47.65f, 9.45f}}, 0, 0, 0, 0,
               0, 0, 0, 0, 0);
    db.AddLake("Lake Geneva", {{46.20f, 6.15f}, {46.52f, 6.63f}, {46.40f, 6.90f}, {46.35f, 6.50f}},
               0, 0, 0, 0, 0, 0, 0, 0, 0);
    db.SetLazyWrite(false);
    page.AddHeading("Geographic database");
    page.AddText("Built with " + std::to_string(db.NumEntries()) + " items (" +
                 std::to_string(towns) +
                 " capitals whose position is known, two lakes); the items meeting the box "
                 "45..50 N, 5..17 E, found through the LatLow/LatHigh indices:");
    std::vector<std::vector<std::string>> list = {
        {"Record", "Item ID", "Kind", "Name", "Latitude", "Longitude", "Points"}};
    for (int r : db.SearchArea(45.0f, 50.0f, 5.0f, 17.0f)) {
      const TgdbData d = db.Sumdata(r);
      list.push_back({std::to_string(r), std::to_string(d.ItemID), GDB_ITEMNAMES[d.ItemType],
                      d.Name, GeoLatitude(d.LatLow, dfDeg, 3), GeoLongitude(d.LongLow, dfDeg, 3),
                      std::to_string(d.NumData)});
    }
    page.AddTable(list);
    const int berlin = db.SearchData("berlin");
    if (berlin > 0)
      page.AddText("Search by name: \"berlin\" is record " + std::to_string(berlin) +
                   ", item ID " + std::to_string(db.Sumdata(berlin).ItemID) +
                   "; searched by that ID: record " +
                   std::to_string(db.SearchForItemID(db.Sumdata(berlin).ItemID)) + ".");
    std::string info = ReadSystemInformation(base);
    info.erase(0, info.find('\n') + 1);  // without the temporary folder's name
    page.AddText(info);
    db.SetDBName("");
  }
  const char* exts[] = {".zolgdd", ".zolgds", ".zolgi0", ".zolgi1", ".zolgi2", ".zolgi3", ".zolgi4"};
  for (const char* e : exts) std::remove((base + e).c_str());
  rmdir(tmpl);
}
