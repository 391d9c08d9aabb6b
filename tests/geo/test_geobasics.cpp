// Geodesy against independent references: GeographicLib's command-line tools
// (GeoConvert, TransverseMercatorProj, CartConvert) and PROJ (cs2cs, cct); the
// values were made by tests/geo/ref/make_geo_ref.py into tests/geo/data/.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "geo/Zol_geobasics.h"

using namespace zol;

namespace {

std::vector<std::vector<std::string>> ReadRef(const char* name) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream f(std::string(ZOL_TEST_SRC_DIR "/data/") + name);
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream is(line);
    std::vector<std::string> row;
    std::string tok;
    while (is >> tok) row.push_back(tok);
    rows.push_back(row);
  }
  return rows;
}

double D(const std::string& s) { return std::stod(s); }

// Horizontal distance in metres of two nearby geographic positions (good to far
// below a millimetre for the differences tested here).
double GroundDistance(double lat1, double lon1, double lat2, double lon2) {
  const double r = 6378137.0 * M_PI / 180.0;
  double dlon = lon1 - lon2;
  if (dlon > 180) dlon -= 360;
  if (dlon < -180) dlon += 360;
  const double dx = dlon * r * std::cos(lat1 * M_PI / 180.0);
  const double dy = (lat1 - lat2) * r;
  return std::hypot(dx, dy);
}

}  // namespace

// ---------------------------------------------------------------- catalogues
TEST(GeoBasicsCatalogue, EllipsoidsAndReferenceRows) {
  EXPECT_STREQ(GeoEllipsoidId[gelNahrwan29], "gelNahrwan29");
  EXPECT_STREQ(GeoEllipsoidName[gelClrk80intfoot], "Clarke 1880 (international foot)");
  EXPECT_EQ(GeoEllipsoidData[gelBess41].MajorAxis, 6377397.155);
  EXPECT_EQ(GeoEllipsoidData[gelBess41].MinorAxis, 6356078.96284);

  const TDatumRec* d = GeoDatum(13);
  ASSERT_NE(d, nullptr);
  EXPECT_STREQ(d->DatumName, "RD, AMERSFOORT");
  EXPECT_EQ(d->Ellipsoid, gelBess41);
  EXPECT_EQ(d->Scale, 4.08);
  EXPECT_EQ(d->RotZ, -1.869);
  EXPECT_STREQ(GeoDatum(67)->Region, "Spain (except NW),");
  EXPECT_STREQ(GeoDatum(216)->DatumName, "QORNOQ ");
  EXPECT_EQ(GeoDatum(0), nullptr);
  EXPECT_EQ(GeoDatum(272), nullptr);
  int known = 0;
  for (int i = 1; i <= DatumCount; ++i) {
    const TDatumRec* r = GeoDatum(i);
    EXPECT_LE(std::string(r->DatumName).size(), 33u) << i;
    EXPECT_LE(std::string(r->Region).size(), 35u) << i;
    EXPECT_LT(static_cast<int>(r->Ellipsoid), GeoEllipsoidCount);
    if (GeoDatumKnown(i)) {
      ++known;
      // shifts of classical datums to WGS 84 stay within a few kilometres
      EXPECT_LT(std::fabs(r->dX) + std::fabs(r->dY) + std::fabs(r->dZ), 5000.0) << i;
    }
  }
  EXPECT_GT(known, 200);

  const TCountryRec& de = CountryData[79];
  EXPECT_STREQ(de.Name, "Germany");
  EXPECT_STREQ(de.FIPSCode, "gm");
  EXPECT_STREQ(de.ISO3Code, "deu");
  EXPECT_EQ(de.CapAltitude, 34);
  EXPECT_STREQ(CountryData[7].Capital, "");
  EXPECT_STREQ(CountryData[230].Name, "Zimbabwe");
  // ISO codes are distinct two and three lower-case letters
  for (int i = 0; i < CountryCount; ++i) {
    const std::string a2 = CountryData[i].ISO2Code, a3 = CountryData[i].ISO3Code;
    EXPECT_EQ(a2.size(), 2u) << CountryData[i].Name;
    EXPECT_EQ(a3.size(), 3u) << CountryData[i].Name;
    for (int j = 0; j < i; ++j) EXPECT_NE(a2, std::string(CountryData[j].ISO2Code));
  }
}

// ---------------------------------------------------------------- ellipsoid arithmetic
TEST(GeoBasicsEllipsoid, PublishedWGS84Values) {
  // NIMA TR8350.2: 1/f = 298.257223563, e² = 0.00669437999014, b = 6356752.3142
  EXPECT_NEAR(RecipFlattening(gelWGS84), 298.257223563, 2e-6);
  EXPECT_NEAR(GeoEllEccSquared(gelWGS84), 0.00669437999014, 1e-13);
  EXPECT_NEAR(GeoEllEccSquared(298.257223563), 0.00669437999014, 1e-13);
  EXPECT_NEAR(GeoEllEccSquared(6356752.314245, 6378137.0), 0.00669437999014, 1e-13);
  EXPECT_NEAR(EllipsoidMinAxFlat(6378137.0, 298.257223563), 6356752.3142, 1e-4);
  EXPECT_NEAR(EllipsoidMinAxEcc(6378137.0, 0.00669437999014), 6356752.3142, 1e-4);
  EXPECT_NEAR(RecipFlattening(0.00669437999014), 298.257223563, 1e-6);
  // International 1924: 1/f = 297 exactly by definition
  EXPECT_NEAR(RecipFlattening(gelInt24), 297.0, 1e-6);
}

TEST(GeoBasicsEllipsoid, SpheresAndInvalidArguments) {
  EXPECT_EQ(RecipFlattening(gelSphere), 0.0);
  EXPECT_EQ(GeoEllEccSquared(gelSphere), 0.0);
  EXPECT_EQ(GeoEllEccSquared(0.0), 0.0);
  EXPECT_EQ(RecipFlattening(0.0), 0.0);
  EXPECT_EQ(EllipsoidMinAxFlat(6371000.0, 0.0), 6371000.0);
  EXPECT_THROW(EllipsoidMinAxFlat(6378137.0, -1.0), EZOLGeoBasicsError);
  // reciprocal flattenings in (0, 1] would give a minor axis of zero or less
  EXPECT_THROW(EllipsoidMinAxFlat(6378137.0, 1.0), EZOLGeoBasicsError);
  EXPECT_THROW(EllipsoidMinAxFlat(6378137.0, 0.5), EZOLGeoBasicsError);
  EXPECT_THROW(EllipsoidMinAxEcc(6378137.0, -0.1), EZOLGeoBasicsError);
  EXPECT_THROW(RecipFlattening(-0.1), EZOLGeoBasicsError);
  EXPECT_THROW(RecipFlattening(1.1), EZOLGeoBasicsError);
  try {
    EllipsoidMinAxFlat(1, -2);
  } catch (const EZOLGeoBasicsError& e) {
    EXPECT_NE(std::string(e.what()).find("invalid reciprocal flattening"), std::string::npos);
  }
}

// ---------------------------------------------------------------- cartesian
TEST(GeoBasicsCartesian, AgainstCartConvert) {
  const auto rows = ReadRef("cart_ref.txt");
  ASSERT_GT(rows.size(), 1000u);
  double maxFwd = 0, maxInv = 0, maxH = 0;
  for (const auto& r : rows) {
    const auto ell = static_cast<TGeoEllipsoid>(std::stoi(r[0]));
    const double lat = D(r[1]), lon = D(r[2]), h = D(r[3]);
    const double X = D(r[4]), Y = D(r[5]), Z = D(r[6]);
    double x, y, z;
    GeoToCartesian(lat, lon, h, ell, x, y, z);
    maxFwd = std::max(maxFwd, std::hypot(x - X, y - Y, z - Z));
    double la, lo, hh;
    CartesianToGeo(X, Y, Z, ell, la, lo, hh);
    // at the poles the longitude is arbitrary
    const double dist = std::fabs(lat) == 90.0 ? std::fabs(la - lat) * 111000.0
                                                : GroundDistance(la, lo, lat, lon);
    maxInv = std::max(maxInv, dist);
    maxH = std::max(maxH, std::fabs(hh - h));
  }
  EXPECT_LT(maxFwd, 1e-3);
  EXPECT_LT(maxInv, 1e-3);  // the whole globe, all four quadrants of longitude
  EXPECT_LT(maxH, 1e-3);
}

TEST(GeoBasicsCartesian, QuadrantsPolesAndCentre) {
  double lat, lon, h;
  CartesianToGeo(-6378137.0, 0, 0, gelWGS84, lat, lon, h);
  EXPECT_NEAR(std::fabs(lon), 180.0, 1e-12);
  EXPECT_NEAR(lat, 0.0, 1e-12);
  EXPECT_NEAR(h, 0.0, 1e-6);
  CartesianToGeo(-1000.0, -1000.0, 0, gelWGS84, lat, lon, h);
  EXPECT_NEAR(lon, -135.0, 1e-12);
  CartesianToGeo(0, 0, 6356852.314245, gelWGS84, lat, lon, h);
  EXPECT_NEAR(lat, 90.0, 1e-12);
  EXPECT_NEAR(h, 100.0, 1e-6);
  CartesianToGeo(0, 0, 0, gelWGS84, lat, lon, h);
  EXPECT_FALSE(std::isnan(lat) || std::isnan(lon) || std::isnan(h));
  // a sphere needs no reciprocal flattening
  CartesianToGeo(0, 4504727.0, 4504727.0, gelSphere, lat, lon, h);
  EXPECT_NEAR(lat, 45.0, 1e-9);
  EXPECT_NEAR(lon, 90.0, 1e-9);
}

// ---------------------------------------------------------------- Helmert
TEST(GeoBasicsHelmert, SourceToWGS84AgainstPROJ) {
  const auto rows = ReadRef("helmert_ref.txt");
  ASSERT_GE(rows.size(), 250u);
  double maxD = 0, maxH = 0;
  for (const auto& r : rows) {
    const int row = std::stoi(r[0]);
    double la, lo, h;
    ASSERT_EQ(HelmertTransform(row, D(r[1]), D(r[2]), D(r[3]), 269, la, lo, h), 0);
    maxD = std::max(maxD, GroundDistance(la, lo, D(r[4]), D(r[5])));
    maxH = std::max(maxH, std::fabs(h - D(r[6])));
  }
  EXPECT_LT(maxD, 1e-3);
  EXPECT_LT(maxH, 1e-3);
}

TEST(GeoBasicsHelmert, StatusCodesAndIdentity) {
  double la, lo, h;
  EXPECT_EQ(HelmertTransform(269, 48.2, 16.37, 200, 269, la, lo, h), 0);
  EXPECT_NEAR(la, 48.2, 1e-9);
  EXPECT_NEAR(lo, 16.37, 1e-9);
  EXPECT_NEAR(h, 200, 1e-6);
  EXPECT_EQ(HelmertTransform(0, 10, 10, 0, 269, la, lo, h), -1);
  EXPECT_EQ(HelmertTransform(272, 10, 10, 0, 269, la, lo, h), -1);
  EXPECT_EQ(HelmertTransform(269, 10, 10, 0, 0, la, lo, h), -2);
  EXPECT_EQ(HelmertTransform(269, 10, 10, 0, 272, la, lo, h), -2);
  EXPECT_EQ(HelmertTransform(269, 91, 10, 0, 269, la, lo, h), -3);
  EXPECT_EQ(HelmertTransform(0, 91, 181, 0, 0, la, lo, h), -4);  // the last failing check wins
  EXPECT_EQ(HelmertTransform(269, 91, 10, 0, 0, la, lo, h), -3);
  // a row without known parameters is refused instead of shifting by garbage
  for (int i = 1; i <= DatumCount; ++i)
    if (!GeoDatumKnown(i)) {
      EXPECT_EQ(HelmertTransform(i, 10, 10, 0, 269, la, lo, h), -5);
      break;
    }
  // ED50 and back: the approximate inverse of the target step returns near the start
  double la2, lo2, h2;
  ASSERT_EQ(HelmertTransform(59, 50, 10, 0, 269, la, lo, h), 0);
  ASSERT_EQ(HelmertTransform(269, la, lo, h, 59, la2, lo2, h2), 0);
  EXPECT_LT(GroundDistance(la2, lo2, 50, 10), 1e-3);
}

// ---------------------------------------------------------------- UTM zones
TEST(GeoBasicsUTM, ZoneDesignators) {
  int zone;
  char letter;
  GeoToUTMZone(84.0, 10, zone, letter);
  EXPECT_EQ(letter, 'X');
  GeoToUTMZone(84.0001, 10, zone, letter);
  EXPECT_EQ(zone, 0);
  EXPECT_EQ(letter, ' ');
  GeoToUTMZone(-80.0001, 10, zone, letter);
  EXPECT_EQ(zone, 0);
  GeoToUTMZone(10, 180, zone, letter);
  EXPECT_EQ(zone, 0);
  GeoToUTMZone(10, -180, zone, letter);
  EXPECT_EQ(zone, 1);
  EXPECT_EQ(GeoToUTMZone(60, 5), "32V");
  EXPECT_EQ(GeoToUTMZone(75, 10), "33X");
  EXPECT_EQ(GeoToUTMZone(75, 40), "37X");
  EXPECT_EQ(GeoToUTMZone(48.2, 16.37), "33U");
  EXPECT_EQ(GeoToUTMZone(-33.9, 18.4), "34H");
  EXPECT_EQ(GeoToUTMZone(-80, 0), "31C");
  EXPECT_EQ(GeoToUTMZone(71.9, 0), "31W");
  EXPECT_EQ(GeoToUTMZone(91, 0), "");
  EXPECT_EQ(UTMCentralMeridian(0), 0.0);
  EXPECT_EQ(UTMCentralMeridian(61), 0.0);
  EXPECT_NEAR(UTMCentralMeridian(32), 9.0 * M_PI / 180.0, 1e-15);
}

TEST(GeoBasicsUTM, EquatorAndCentralMeridian) {
  int zone;
  double e, n;
  LatLongToUTM(0, 9, gelWGS84, zone, e, n);
  EXPECT_EQ(zone, 32);
  EXPECT_NEAR(e, 500000.0, 1e-9);
  EXPECT_NEAR(n, 0.0, 1e-9);
  LatLongToUTM(-0.00001, 9, gelWGS84, zone, e, n);
  EXPECT_LT(n, 10000000.0);
  EXPECT_GT(n, 9999998.0);
}

// Forward and inverse UTM over every zone against GeoConvert (standard zones with
// the Norway and Svalbard exceptions); the error is kept by distance from the
// central meridian.
TEST(GeoBasicsUTM, AgainstGeoConvert) {
  const auto rows = ReadRef("utm_ref.txt");
  ASSERT_GT(rows.size(), 10000u);
  double maxFwd[10] = {}, maxInv[10] = {};
  for (const auto& r : rows) {
    const double lat = D(r[0]), lon = D(r[1]);
    if (r.size() == 5) {
      // GeoConvert's standard zone at latitude 84 is UPS, ours is the UTM band X
      // (84 belongs to it); the UPS coordinates must agree all the same
      double x, y;
      LatLongToUPS(lat, lon, gelWGS84, x, y);
      EXPECT_LT(std::hypot(x - D(r[3]), y - D(r[4])), 1e-3) << lat << " " << lon;
      continue;
    }
    const int refZone = std::stoi(r[2]);
    const bool south = r[3] == "s";
    const double E = D(r[4]), N = D(r[5]);
    int zone;
    double e, n;
    LatLongToUTM(lat, lon, gelWGS84, zone, e, n);
    ASSERT_EQ(zone, refZone) << lat << " " << lon;
    double dlon = std::fabs(lon - (6.0 * zone - 183.0));
    const int bin = std::min(9, static_cast<int>(dlon));
    // GeoConvert writes the southern hemisphere with 10000000 added; so do we below 0
    if (!(south && n < 5000000.0 && N > 5000000.0))
      maxFwd[bin] = std::max(maxFwd[bin], std::hypot(e - E, n - N));
    double la, lo;
    UTMToLatLong(E, N, zone, south, gelWGS84, la, lo);
    maxInv[bin] = std::max(maxInv[bin], GroundDistance(la, lo, lat, lon));
  }
  for (int b = 0; b < 10; ++b)
    if (maxFwd[b] > 0)
      std::printf("UTM %d..%d deg from the central meridian: forward %.3g m, inverse %.3g m\n",
                  b, b + 1, maxFwd[b], maxInv[b]);
  for (int b = 0; b < 6; ++b) {
    EXPECT_LT(maxFwd[b], 1e-3) << b;
    EXPECT_LT(maxInv[b], 1e-3) << b;
  }
}

TEST(GeoBasicsUTM, TransverseMercatorByDistance) {
  const auto rows = ReadRef("tm_ref.txt");
  ASSERT_GT(rows.size(), 1000u);
  double maxFwd[10] = {}, maxInv[10] = {};
  for (const auto& r : rows) {
    const double lat = D(r[0]), dlon = D(r[1]), X = D(r[2]), Y = D(r[3]);
    double x, y;
    LatLongToTM(lat * M_PI / 180, dlon * M_PI / 180, 0, gelWGS84, x, y);
    const int bin = std::min(9, static_cast<int>(dlon - 1e-9 < 0 ? 0 : dlon - 1e-9));
    maxFwd[bin] = std::max(maxFwd[bin], std::hypot(0.9996 * x - X, 0.9996 * y - Y));
    double phi, lam;
    TMToLatLong(X / 0.9996, Y / 0.9996, 0, gelWGS84, phi, lam);
    maxInv[bin] = std::max(maxInv[bin], GroundDistance(phi * 180 / M_PI, lam * 180 / M_PI, lat, dlon));
  }
  for (int b = 0; b < 9; ++b)
    std::printf("TM %d..%d deg: forward %.3g m, inverse %.3g m\n", b, b + 1, maxFwd[b], maxInv[b]);
  // within 6 degrees of the central meridian (the widest Norway/Svalbard zones)
  for (int b = 0; b < 6; ++b) {
    EXPECT_LT(maxFwd[b], 1e-3) << b;
    EXPECT_LT(maxInv[b], 1e-3) << b;
  }
}

// ---------------------------------------------------------------- UPS
TEST(GeoBasicsUPS, AgainstGeoConvert) {
  const auto rows = ReadRef("ups_ref.txt");
  ASSERT_GT(rows.size(), 500u);
  double maxFwd = 0, maxInv = 0;
  for (const auto& r : rows) {
    const double lat = D(r[0]), lon = D(r[1]);
    const bool south = r[2] == "s";
    const double E = D(r[3]), N = D(r[4]);
    double x, y;
    LatLongToUPS(lat, lon, gelWGS84, x, y);
    maxFwd = std::max(maxFwd, std::hypot(x - E, y - N));
    double la, lo;
    UPSToLatLong(E, N, south, gelWGS84, la, lo);
    const double d = std::fabs(lat) == 90.0 ? std::fabs(la - lat) * 111000.0
                                             : GroundDistance(la, lo, lat, lon);
    maxInv = std::max(maxInv, d);
  }
  EXPECT_LT(maxFwd, 1e-3);
  EXPECT_LT(maxInv, 1e-3);
  double x, y;
  LatLongToUPS(90, 0, gelWGS84, x, y);
  EXPECT_EQ(x, 2000000.0);
  EXPECT_EQ(y, 2000000.0);
}

// ---------------------------------------------------------------- the antimeridian and bad arguments

TEST(GeoBasicsUTM, LongitudesAcrossTheAntimeridian) {
  // GeographicLib: echo "-35.5 -179.9" | GeoConvert -u -z 60 -p 4 -> 60s 781193.6385 6067086.5944
  double x, y;
  LatLongToTM(-35.5 * M_PI / 180, -179.9 * M_PI / 180, UTMCentralMeridian(60), gelWGS84, x, y);
  EXPECT_NEAR(0.9996 * x + 500000, 781193.6385, 1e-3);
  EXPECT_NEAR(0.9996 * y + 10000000, 6067086.5944, 1e-3);
  // The same point written as 180.1 degrees east gives the same plane position.
  double x2, y2;
  LatLongToTM(-35.5 * M_PI / 180, 180.1 * M_PI / 180, UTMCentralMeridian(60), gelWGS84, x2, y2);
  EXPECT_NEAR(x2, x, 1e-6);
  EXPECT_NEAR(y2, y, 1e-6);
  // 176.456 E seen from zone 1 lies 6.544 degrees west of its central meridian,
  // exactly as -183.544 does.
  double xa, ya, xb, yb;
  LatLongToTM(0.2, 176.456 * M_PI / 180, UTMCentralMeridian(1), gelWGS84, xa, ya);
  LatLongToTM(0.2, -183.544 * M_PI / 180, UTMCentralMeridian(1), gelWGS84, xb, yb);
  EXPECT_NEAR(xa, xb, 1e-6);
  EXPECT_NEAR(ya, yb, 1e-6);
  EXPECT_LT(xa, -600000);
  // GeoConvert: echo "60s 800000 6068000" | GeoConvert -g -p 6 -> -35.48627537385 -179.69330668798
  double lat, lon;
  UTMToLatLong(800000, 6068000, 60, true, gelWGS84, lat, lon);
  EXPECT_NEAR(lat, -35.48627537385, 1e-8);
  EXPECT_NEAR(lon, -179.69330668798, 1e-8);
  double phi, lam;
  TMToLatLong(500000, 0, UTMCentralMeridian(60), gelWGS84, phi, lam);  // 4.5 degrees east of 177 E
  EXPECT_GT(lam, -M_PI);
  EXPECT_LE(lam, M_PI);
  EXPECT_LT(lam, 0);
}

TEST(GeoBasicsEllipsoid, ValuesOutsideTheCatalogueRaise) {
  for (int v : {61, 200, 255}) {
    auto e = static_cast<TGeoEllipsoid>(v);
    double x, y, z, lat, lon;
    int zone;
    EXPECT_THROW(GeoEllEccSquared(e), EZOLGeoBasicsError) << v;
    EXPECT_THROW(RecipFlattening(e), EZOLGeoBasicsError) << v;
    EXPECT_THROW(ArcLengthOfMeridian(0.5, e), EZOLGeoBasicsError) << v;
    EXPECT_THROW(GeoToCartesian(10, 10, 0, e, x, y, z), EZOLGeoBasicsError) << v;
    EXPECT_THROW(CartesianToGeo(6e6, 1e5, 1e5, e, lat, lon, z), EZOLGeoBasicsError) << v;
    EXPECT_THROW(LatLongToUTM(10, 10, e, zone, x, y), EZOLGeoBasicsError) << v;
    EXPECT_THROW(UPSToLatLong(2e6, 2e6, false, e, lat, lon), EZOLGeoBasicsError) << v;
  }
  try {
    GeoEllEccSquared(static_cast<TGeoEllipsoid>(61));
  } catch (const EZOLGeoBasicsError& ex) {
    EXPECT_STREQ(ex.what(), "GeoEllEccSquared: unknown ellipsoid 61");
  }
  EXPECT_NO_THROW(GeoEllEccSquared(static_cast<TGeoEllipsoid>(60)));
}

TEST(GeoBasicsCartesian, LatitudesBeyondThePolesAreRefused) {
  double x, y, z;
  for (double lat : {90.5, -90.0001, 180.0, std::nan("")}) {
    EXPECT_THROW(GeoToCartesian(lat, 0, 0, gelWGS84, x, y, z), EZOLGeoBasicsError) << lat;
    EXPECT_THROW(LatLongToUPS(lat, 0, gelWGS84, x, y), EZOLGeoBasicsError) << lat;
  }
  EXPECT_NO_THROW(GeoToCartesian(90, 0, 0, gelWGS84, x, y, z));
  EXPECT_NO_THROW(LatLongToUPS(-90, 0, gelWGS84, x, y));
  // The datum shift reports instead of raising, and never calls NaN a success.
  double la, lo, h;
  EXPECT_EQ(HelmertTransform(269, std::nan(""), 10, 0, 269, la, lo, h), -3);
  EXPECT_TRUE(std::isnan(la));
  EXPECT_EQ(HelmertTransform(269, 10, std::nan(""), 0, 269, la, lo, h), -4);
  EXPECT_NE(HelmertTransform(269, 10, 10, std::nan(""), 269, la, lo, h), 0);
  EXPECT_TRUE(std::isnan(h));
  // Finite values out of range are still computed, with their status.
  EXPECT_EQ(HelmertTransform(269, 91, 10, 0, 269, la, lo, h), -3);
  EXPECT_TRUE(std::isfinite(la));
}
