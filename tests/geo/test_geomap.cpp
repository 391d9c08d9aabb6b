// Calibrated maps: the six models against independent projections (PROJ,
// GeographicLib), editing, the calibration, landmark and symbol files, the
// map image, the view and the mouse through the headless host.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_sysutils.h"
#include "geo/Zol_geomap.h"

using namespace zol;

namespace {

const std::string kData = std::string(ZOL_TEST_SRC_DIR) + "/data/";
const std::string kMaps = std::string(ZOL_TEST_SRC_DIR) + "/../../data/maps/";

std::string TempName(const std::string& stem) {
  return GetTempDirectory() + "zol_geomap_" + std::to_string(::getpid()) + "_" + stem;
}

struct RefPoint {
  double a, b;  // latitude/longitude or northing/easting, or value and (unused)
  double x, y;
};
struct RefSet {
  std::vector<RefPoint> fit, chk;
  std::vector<std::pair<double, TPoint>> par, mer;
};

RefSet ReadRef(const std::string& name) {
  RefSet r;
  std::ifstream f(kData + "map_" + name + ".txt");
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    std::string kind;
    s >> kind;
    if (kind == "fit" || kind == "chk") {
      RefPoint p{};
      s >> p.a >> p.b >> p.x >> p.y;
      (kind == "fit" ? r.fit : r.chk).push_back(p);
    } else {
      double v;
      int x, y;
      s >> v >> x >> y;
      (kind == "par" ? r.par : r.mer).push_back({v, {x, y}});
    }
  }
  return r;
}

// Degrees of latitude and longitude per pixel, from the extent of a point set.
void DegPerPixel(const std::vector<RefPoint>& pts, double& dlat, double& dlon) {
  double la0 = 1e9, la1 = -1e9, lo0 = 1e9, lo1 = -1e9, x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
  for (const auto& p : pts) {
    la0 = std::min(la0, p.a), la1 = std::max(la1, p.a), lo0 = std::min(lo0, p.b), lo1 = std::max(lo1, p.b);
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  }
  dlat = (la1 - la0) / (y1 - y0);
  dlon = (lo1 - lo0) / (x1 - x0);
}

struct ModelCase {
  const char* file;
  TCalibModel model;
  double tolInverse;  // pixels
  double tolForward;  // pixels (converted from degrees)
};

class ModelResiduals : public ::testing::TestWithParam<ModelCase> {};

// Each model calibrated from points of an independent projection: residuals at
// points that were not used for the fit, both directions, in pixels.
TEST_P(ModelResiduals, ForwardAndInverseAtCheckPoints) {
  const ModelCase mc = GetParam();
  const RefSet ref = ReadRef(mc.file);
  ASSERT_GE(ref.fit.size(), 9u);
  ASSERT_GE(ref.chk.size(), 9u);
  TGeoMap map(nullptr);
  map.SetCalibModel(mc.model);
  if (mc.model == cmUTM) map.SetUTMZone(33);
  for (const auto& p : ref.fit) {
    if (mc.model == cmUTM)
      ASSERT_TRUE(map.AddCalibPoint(p.a, p.b, 33, hemiNorth, int(p.x), int(p.y)));
    else
      ASSERT_TRUE(map.AddCalibPoint(p.a, p.b, int(p.x), int(p.y)));
  }
  ASSERT_TRUE(map.IsCalibrated());
  double dlat, dlon;
  DegPerPixel(ref.chk, dlat, dlon);
  double worstInv = 0, worstFwd = 0;
  for (const auto& p : ref.chk) {
    int x, y;
    ASSERT_TRUE(map.CalcPixelCoords(p.a, p.b, x, y));
    worstInv = std::max(worstInv, std::hypot(x - p.x, y - p.y));
    bool v1, v2;
    const double lat = map.CalcLatitude(int(p.x), int(p.y), v1);
    const double lon = map.CalcLongitude(int(p.x), int(p.y), v2);
    ASSERT_TRUE(v1 && v2);
    worstFwd = std::max(worstFwd, std::hypot((lat - p.a) / dlat, (lon - p.b) / dlon));
  }
  EXPECT_LE(worstInv, mc.tolInverse) << mc.file;
  EXPECT_LE(worstFwd, mc.tolForward) << mc.file;
  RecordProperty("worst_inverse_px", std::to_string(worstInv));
  RecordProperty("worst_forward_px", std::to_string(worstFwd));
  // the calibration points themselves
  double qx, qy;
  map.CalibQuality(qx, qy);
  EXPECT_LE(qx, mc.tolInverse);
  EXPECT_LE(qy, mc.tolInverse);
}

INSTANTIATE_TEST_SUITE_P(Models, ModelResiduals,
                         ::testing::Values(ModelCase{"equirect", cmEquiRect, 0.75, 0.01},
                                           ModelCase{"miller", cmMillerCylindrical, 0.75, 0.01},
                                           ModelCase{"conic", cmConicConformal, 1.5, 1.5},
                                           ModelCase{"biquadratic", cmBiquadraticPn, 1.5, 1.5},
                                           ModelCase{"utm", cmUTM, 0.75, 0.01}),
                         [](const auto& info) { return std::string(info.param.file); });

TEST(GeoMapParabolic, GraticuleLinesOfAConicProjection) {
  const RefSet ref = ReadRef("parabolic");
  TGeoMap map(nullptr);
  map.SetCalibModel(cmParabolicIp);
  for (const auto& p : ref.par) map.AddCalibPoint(gtlParallel, p.first, p.second.X, p.second.Y);
  for (const auto& p : ref.mer) map.AddCalibPoint(gtlMeridian, p.first, p.second.X, p.second.Y);
  ASSERT_TRUE(map.IsCalibrated());
  EXPECT_EQ(map.GratMat().size(), 10u);
  double worstInv = 0, worstFwd = 0;
  // about 40 px per degree of latitude and 25 px per degree of longitude
  double dlat, dlon;
  DegPerPixel(ref.chk, dlat, dlon);
  for (const auto& p : ref.chk) {
    int x, y;
    ASSERT_TRUE(map.CalcPixelCoords(p.a, p.b, x, y));
    worstInv = std::max(worstInv, std::hypot(x - p.x, y - p.y));
    bool v1, v2;
    const double lat = map.CalcLatitude(int(std::lround(p.x)), int(std::lround(p.y)), v1);
    const double lon = map.CalcLongitude(int(std::lround(p.x)), int(std::lround(p.y)), v2);
    ASSERT_TRUE(v1 && v2);
    worstFwd = std::max(worstFwd, std::hypot((lat - p.a) / dlat, (lon - p.b) / dlon));
  }
  // linear interpolation between graticule lines 5 degrees apart
  EXPECT_LE(worstInv, 3.0);
  EXPECT_LE(worstFwd, 3.0);
}

// ---------------------------------------------------------------- edge cases of the fits
TEST(GeoMapCalibration, ThreePointsReproduceTheirPixels) {
  TGeoMap map(nullptr);
  map.SetCalibModel(cmEquiRect);
  map.AddCalibPoint(50.0, 10.0, 100, 200);
  map.AddCalibPoint(40.0, 10.0, 100, 700);
  map.AddCalibPoint(50.0, 30.0, 900, 200);
  ASSERT_TRUE(map.IsCalibrated());
  int x, y;
  ASSERT_TRUE(map.CalcPixelCoords(40.0, 10.0, x, y));
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 700);
  ASSERT_TRUE(map.CalcPixelCoords(50.0, 30.0, x, y));
  EXPECT_EQ(x, 900);
  EXPECT_EQ(y, 200);
  bool v;
  EXPECT_NEAR(map.CalcLatitude(500, 450, v), 45.0, 1e-9);
  EXPECT_NEAR(map.CalcLongitude(500, 450, v), 20.0, 1e-9);
}

TEST(GeoMapCalibration, TooFewOrDependentPointsAreNotCalibrated) {
  TGeoMap map(nullptr);
  map.SetCalibModel(cmEquiRect);
  map.AddCalibPoint(50.0, 10.0, 100, 200);
  map.AddCalibPoint(40.0, 20.0, 300, 700);
  EXPECT_FALSE(map.IsCalibrated());
  int x, y;
  EXPECT_FALSE(map.CalcPixelCoords(45, 15, x, y));
  bool v = true;
  map.CalcLatitude(10, 10, v);
  EXPECT_FALSE(v);
  // a third point on the same line adds nothing independent
  map.AddCalibPoint(45.0, 15.0, 200, 450);
  EXPECT_FALSE(map.IsCalibrated());
  map.AddCalibPoint(50.0, 20.0, 300, 200);
  EXPECT_TRUE(map.IsCalibrated());

  TGeoMap quad(nullptr);
  quad.SetCalibModel(cmBiquadraticPn);
  const double pts[6][4] = {{50, 10, 0, 0}, {50, 20, 500, 0}, {40, 10, 0, 500},
                            {40, 20, 500, 500}, {45, 15, 250, 250}, {44, 12, 100, 300}};
  for (int i = 0; i < 5; ++i) quad.AddCalibPoint(pts[i][0], pts[i][1], int(pts[i][2]), int(pts[i][3]));
  EXPECT_FALSE(quad.IsCalibrated());  // six terms need six points
  quad.AddCalibPoint(pts[5][0], pts[5][1], int(pts[5][2]), int(pts[5][3]));
  EXPECT_TRUE(quad.IsCalibrated());

  TGeoMap miller(nullptr);
  miller.SetCalibModel(cmMillerCylindrical);
  miller.AddCalibPoint(10.0, 10.0, 0, 0);
  miller.AddCalibPoint(20.0, 20.0, 100, 100);
  EXPECT_FALSE(miller.IsCalibrated());
  // three points of one longitude give no horizontal scale
  miller.AddCalibPoint(30.0, 10.0, 0, 200);
  miller.RemoveCalibPoint(100, 100);
  miller.AddCalibPoint(20.0, 10.0, 0, 100);
  EXPECT_FALSE(miller.IsCalibrated());
}

TEST(GeoMapCalibration, ParabolicNeedsTwoFittedParallelsAndMeridians) {
  TGeoMap map(nullptr);
  map.SetCalibModel(cmParabolicIp);
  map.AddCalibPoint(gtlParallel, 50, 0, 100);
  map.AddCalibPoint(gtlParallel, 50, 500, 90);
  EXPECT_EQ(map.GratMat().size(), 1u);  // two points: no parabola
  map.AddCalibPoint(gtlParallel, 50, 1000, 100);
  map.AddCalibPoint(gtlMeridian, 10, 100, 0);
  map.AddCalibPoint(gtlMeridian, 10, 95, 300);
  map.AddCalibPoint(gtlMeridian, 10, 100, 600);
  bool v = true;
  map.CalcLatitude(300, 300, v);
  EXPECT_FALSE(v);  // one parallel and one meridian fitted
  EXPECT_FALSE(map.IsCalibrated());
  map.AddCalibPoint(gtlParallel, 40, 0, 500);
  map.AddCalibPoint(gtlParallel, 40, 500, 490);
  map.AddCalibPoint(gtlParallel, 40, 1000, 500);
  map.AddCalibPoint(gtlMeridian, 20, 900, 0);
  map.AddCalibPoint(gtlMeridian, 20, 895, 300);
  map.AddCalibPoint(gtlMeridian, 20, 900, 600);
  ASSERT_TRUE(map.IsCalibrated());
  // halfway between the parallels at the centre column
  EXPECT_NEAR(map.CalcLatitude(500, 290, v), 45.0, 1e-9);
  EXPECT_TRUE(v);
}

TEST(GeoMapCalibration, ParabolicWithEqualValuesOrFlatLinesStaysFinite) {
  // two parallels that coincide on the image: no division by zero
  TGeoMap map(nullptr);
  map.SetCalibModel(cmParabolicIp);
  for (int x : {0, 500, 1000}) {
    map.AddCalibPoint(gtlParallel, 50, x, 100);
    map.AddCalibPoint(gtlParallel, 40, x, 100);
  }
  for (int y : {0, 300, 600}) {
    map.AddCalibPoint(gtlMeridian, 10, 100, y);
    map.AddCalibPoint(gtlMeridian, 20, 900, y);
  }
  bool v = true;
  const double lat = map.CalcLatitude(500, 300, v);
  EXPECT_FALSE(v);
  EXPECT_TRUE(std::isfinite(lat));
  int x, y;
  EXPECT_FALSE(map.CalcPixelCoords(45, 15, x, y) && (std::abs(x) > 100000 || std::abs(y) > 100000));
}

TEST(GeoMapCalibration, ParabolicLinesOfEqualValueGiveNoGradient) {
  // a file may hold two parallels of the same latitude: they are never interpolated against each other
  TCalibData d;
  d.NCalLines = 4;
  const int rows[4] = {100, 200, 0, 0};
  for (int i = 0; i < 4; ++i) {
    TCalLine& L = d.CalLines[i];
    L.Kind = i < 2 ? gtlParallel : gtlMeridian;
    L.Value = i < 2 ? 45.0 : 10.0 * i;
    L.NPoints = 3;
    for (int k = 0; k < 3; ++k)
      L.Points[k] = i < 2 ? TPoint{k * 100, rows[i]} : TPoint{(i - 2) * 300 + 50, k * 100};
  }
  TGeoMap map(nullptr);
  map.SetCalibModel(cmParabolicIp);
  map.SetCalibData(d);
  ASSERT_TRUE(map.IsCalibrated());
  bool v = true;
  const double lat = map.CalcLatitude(100, 150, v);
  EXPECT_FALSE(v);
  EXPECT_TRUE(std::isfinite(lat));
  int x, y;
  EXPECT_FALSE(map.CalcPixelCoords(45, 25, x, y));
}

TEST(GeoMapCalibration, CapacitiesOfPointsAndLines) {
  TGeoMap map(nullptr);
  map.SetCalibModel(cmEquiRect);
  for (int i = 0; i < MaxCalQuads; ++i) ASSERT_TRUE(map.AddCalibPoint(i * 0.1, i * 0.2 + (i % 7), i, 3 * (i % 7)));
  EXPECT_FALSE(map.AddCalibPoint(1.0, 1.0, 1, 1));
  EXPECT_EQ(map.CalibData().NCalQuads, 200);

  TGeoMap par(nullptr);
  par.SetCalibModel(cmParabolicIp);
  for (int i = 0; i < 11; ++i) par.AddCalibPoint(gtlParallel, 45.0, i * 10, 5);
  EXPECT_EQ(par.CalibData().CalLines[0].NPoints, 10);
  for (int i = 0; i < 30; ++i) par.AddCalibPoint(gtlMeridian, i, 0, 0);
  EXPECT_EQ(par.CalibData().NCalLines, 25);
}

TEST(GeoMapCalibration, WrongOverloadsRaiseWithTheComponentName) {
  TGeoMap map(nullptr);
  map.SetName("Map1");
  map.SetCalibModel(cmEquiRect);
  try {
    map.AddCalibPoint(gtlParallel, 45.0, 1, 1);
    FAIL();
  } catch (const EZOLGeoMapError& e) {
    EXPECT_STREQ(e.what(),
                 "Component \"Map1\": current calibration model does not support this version of AddCalibPoint");
  }
  EXPECT_THROW(map.AddCalibPoint(5000000.0, 500000.0, 32, hemiNorth, 1, 1), EZOLGeoMapError);
  EXPECT_THROW(map.RemoveCalibPoint(gtlParallel, 45.0, 1, 1), EZOLGeoMapError);
  map.SetCalibModel(cmUTM);
  map.SetUTMZone(32);
  try {
    map.AddCalibPoint(5000000.0, 500000.0, 33, hemiNorth, 1, 1);
    FAIL();
  } catch (const EZOLGeoMapError& e) {
    EXPECT_STREQ(e.what(), "Component \"Map1\": UTM zone parameter changed");
  }
  EXPECT_THROW(map.AddCalibPoint(5000000.0, 500000.0, 32, hemiSouth, 1, 1), EZOLGeoMapError);
  EXPECT_TRUE(map.AddCalibPoint(5000000.0, 500000.0, 32, hemiNorth, 1, 1));
  map.SetCalibModel(cmParabolicIp);
  try {
    map.RemoveCalibPoint(1, 1);
    FAIL();
  } catch (const EZOLGeoMapError& e) {
    EXPECT_STREQ(e.what(),
                 "Component \"Map1\": current calibration model does not support this version of RemoveCalibPoint");
  }
}

TEST(GeoMapCalibration, RemoveAndRestoreOnce) {
  TGeoMap map(nullptr);
  map.SetCalibModel(cmEquiRect);
  map.AddCalibPoint(50.0, 10.0, 100, 200);
  map.AddCalibPoint(40.0, 10.0, 100, 700);
  map.AddCalibPoint(50.0, 30.0, 900, 200);
  EXPECT_FALSE(map.RestoreLastDeletedCalPoint());  // nothing removed yet
  ASSERT_TRUE(map.RemoveCalibPoint(110, 690));     // nearest: (100, 700)
  EXPECT_EQ(map.CalibData().NCalQuads, 2);
  EXPECT_EQ(map.CalibData().CalQuads[1].X, 900);
  EXPECT_TRUE(map.RestoreLastDeletedCalPoint());
  EXPECT_FALSE(map.RestoreLastDeletedCalPoint());  // not twice
  EXPECT_EQ(map.CalibData().NCalQuads, 3);
  EXPECT_EQ(map.CalibData().CalQuads[2].Y, 700);
  // no room: refused
  for (int i = 3; i < MaxCalQuads; ++i) map.AddCalibPoint(i, i, i, i);
  map.RemoveCalibPoint(0, 0);
  map.AddCalibPoint(1.0, 2.0, 3, 4);
  EXPECT_FALSE(map.RestoreLastDeletedCalPoint());
  EXPECT_EQ(map.CalibData().NCalQuads, MaxCalQuads);
}

TEST(GeoMapCalibration, RemovingGraticulePointsMovesTheLastIntoTheGap) {
  TGeoMap map(nullptr);
  map.SetCalibModel(cmParabolicIp);
  map.AddCalibPoint(gtlParallel, 45.0, 1, 1);
  map.AddCalibPoint(gtlParallel, 45.0, 2, 2);
  map.AddCalibPoint(gtlParallel, 45.0, 3, 3);
  map.AddCalibPoint(gtlMeridian, 7.0, 9, 9);
  map.RemoveCalibPoint(gtlParallel, 45.0, 1, 1);
  EXPECT_EQ(map.CalibData().CalLines[0].NPoints, 2);
  EXPECT_EQ(map.CalibData().CalLines[0].Points[0].X, 3);
  map.RemoveCalibPoint(gtlParallel, 45.0, 7, 7);  // no such point
  map.RemoveCalibPoint(gtlParallel, 46.0, 2, 2);  // no such line
  EXPECT_EQ(map.CalibData().CalLines[0].NPoints, 2);
  map.RemoveCalibPoint(gtlParallel, 45.0, 3, 3);
  map.RemoveCalibPoint(gtlParallel, 45.0, 2, 2);
  ASSERT_EQ(map.CalibData().NCalLines, 1);  // empty line removed, the last took its place
  EXPECT_EQ(map.CalibData().CalLines[0].Kind, gtlMeridian);
}

TEST(GeoMapCalibration, ClearResetsEverything) {
  TGeoMap map(nullptr);
  map.SetCalibModel(cmUTM);
  map.SetUTMZone(32);
  map.SetUTMHemisphere(hemiSouth);
  map.SetEllipsoid(gelGRS80);
  map.AddCalibPoint(5000000.0, 500000.0, 32, hemiSouth, 1, 1);
  map.ClearCalibData();
  EXPECT_EQ(map.CalibData().NCalQuads, 0);
  EXPECT_EQ(map.UTMZone(), -1);
  EXPECT_EQ(map.UTMHemisphere(), hemiNorth);
  EXPECT_EQ(map.Ellipsoid(), gelWGS84);
  EXPECT_FALSE(map.IsCalibrated());
}

// The sample UTM map: pixel positions against GeographicLib's GeoConvert.
TEST(GeoMapCalibration, SampleUTMMapAgreesWithGeoConvert) {
  TGeoMap map(nullptr);
  ASSERT_TRUE(map.LoadCalDataFromXML(kMaps + "utm32.cal", ""));
  EXPECT_EQ(map.CalibModel(), cmUTM);
  EXPECT_EQ(map.UTMZone(), 32);
  ASSERT_TRUE(map.HasMapImage());
  EXPECT_EQ(map.MapBitmap().Width(), 240);
  std::ifstream f(kData + "map_utm32_geoconvert.txt");
  std::string line;
  int n = 0;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    int x, y;
    double lat, lon;
    s >> x >> y >> lat >> lon;
    bool v1, v2;
    EXPECT_NEAR(map.CalcLatitude(x, y, v1), lat, 1e-7);
    EXPECT_NEAR(map.CalcLongitude(x, y, v2), lon, 1e-7);
    EXPECT_TRUE(v1 && v2);
    int px, py;
    ASSERT_TRUE(map.CalcPixelCoords(lat, lon, px, py));
    EXPECT_EQ(px, x);
    EXPECT_EQ(py, y);
    ++n;
  }
  EXPECT_EQ(n, 7);
  double qx, qy;
  map.CalibQuality(qx, qy);  // in the model's own coordinates: exact
  EXPECT_LT(qx, 0.01);
  EXPECT_LT(qy, 0.01);
}

// ---------------------------------------------------------------- calibration files
TEST(GeoMapFiles, CalibrationRoundTripWithEscapedTexts) {
  TGeoMap a(nullptr);
  a.SetCalibModel(cmParabolicIp);
  a.AddCalibPoint(gtlParallel, 45.25, 1, 2);
  a.AddCalibPoint(gtlParallel, 45.25, 3, 4);
  a.AddCalibPoint(gtlMeridian, -7.5, 5, 6);
  TCalibData d = a.CalibData();
  d.Caption = "Map \"A\" > B & <C>";
  d.MapName = "my \"map\".jpg";
  d.Corners[gcoTopLeft] = {50.12345, -10.5};
  d.Corners[gcoBottomRight] = {-40.0, 170.25};
  d.Resolution = 1234.5;
  d.NCalQuads = 2;
  d.CalQuads[0] = {48.5, 11.25, 10, 20};
  d.CalQuads[1] = {-33.75, -70.125, 300, 400};
  d.UTMZone = 59;
  d.UTMSouth = true;
  d.Ellipsoid = gelBess41;
  a.SetCalibData(d);
  const std::string fn = TempName("cal.xml");
  ASSERT_TRUE(a.SaveCalDataAsXML(fn, "Set\"1"));

  TCalibData r;
  TCalibModel m;
  ASSERT_TRUE(ParseCalibData(fn, "set\"1", r, m));
  EXPECT_EQ(m, cmParabolicIp);
  EXPECT_EQ(r.Caption, d.Caption);
  EXPECT_EQ(r.MapName, d.MapName);
  EXPECT_DOUBLE_EQ(r.Corners[gcoTopLeft].Lat, 50.12345);
  EXPECT_DOUBLE_EQ(r.Corners[gcoBottomRight].Long, 170.25);
  EXPECT_DOUBLE_EQ(r.Resolution, 1234.5);
  ASSERT_EQ(r.NCalLines, 2);
  EXPECT_EQ(r.CalLines[0].Kind, gtlParallel);
  EXPECT_DOUBLE_EQ(r.CalLines[0].Value, 45.25);
  ASSERT_EQ(r.CalLines[0].NPoints, 2);
  EXPECT_EQ(r.CalLines[0].Points[1].X, 3);
  EXPECT_EQ(r.CalLines[0].Points[1].Y, 4);
  EXPECT_EQ(r.CalLines[1].Kind, gtlMeridian);
  EXPECT_DOUBLE_EQ(r.CalLines[1].Value, -7.5);
  ASSERT_EQ(r.NCalQuads, 2);
  EXPECT_DOUBLE_EQ(r.CalQuads[1].Long, -70.125);
  EXPECT_EQ(r.CalQuads[1].Y, 400);
  EXPECT_EQ(r.UTMZone, 59);
  EXPECT_TRUE(r.UTMSouth);
  EXPECT_EQ(r.Ellipsoid, gelBess41);
  EXPECT_FALSE(ParseCalibData(fn, "other", r, m));

  // the stream variant writes the same text
  TMemoryStream ms;
  a.SaveCalDataAsXML(ms, "Set\"1");
  ms.SetPosition(0);
  TGeoMap b(nullptr);
  ASSERT_TRUE(b.LoadCalDataFromXML(ms, ""));
  EXPECT_EQ(b.MapCaption(), d.Caption);
  EXPECT_EQ(b.CalibModel(), cmParabolicIp);
  DeleteFile(fn);
}

TEST(GeoMapFiles, FileLayoutAndOlderFilesWithoutEscapes) {
  TGeoMap a(nullptr);
  a.SetCalibModel(cmEquiRect);
  a.AddCalibPoint(48.5, 11.25, 10, 20);
  const std::string fn = TempName("layout.xml");
  ASSERT_TRUE(a.SaveCalDataAsXML(fn, "X"));
  std::ifstream f(fn);
  std::vector<std::string> lines;
  for (std::string l; std::getline(f, l);) lines.push_back(l);
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[0], "<?xml version=\"1.0\"?>");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "<!-- TGeoMap Calibration / ZOL Component Suite -->");
  EXPECT_EQ(lines[3], "<geomap sig=\"ZOLCSuite\" vers=\"1.0\" id=\"X\" model=\"equirect\" map=\"\" caption=\"\">");
  EXPECT_EQ(lines[4], "<corners>");
  EXPECT_EQ(lines[7], "<ellipsoid>gelWGS84</ellipsoid>");
  EXPECT_EQ(lines[8], "<calquads npoints=\"1\">");
  EXPECT_EQ(lines[9], "[48.50000,11.25000,10,20] ");
  EXPECT_EQ(lines.back(), "</geomap>");
  DeleteFile(fn);

  // A file written without entities and without a model attribute.
  const std::string old = TempName("old.xml");
  {
    std::ofstream o(old);
    o << "<!-- x -->\n<GEOMAP sig=\"ZOLCSuite\" vers=\"1.0\" id=\"A\" map=\"m.bmp\" caption=\"Caf\xC3\xA9 & bar\">\n"
      << "<calquads npoints=\"3\">\n[1,2,3,4] [5,6,7,8]\n[9,10,11,12]\n</calquads>\n</geomap>\n";
  }
  TCalibData r;
  TCalibModel m;
  ASSERT_TRUE(ParseCalibData(old, "", r, m));
  EXPECT_EQ(m, cmBiquadraticPn);
  EXPECT_EQ(r.Caption, "Caf\xC3\xA9 & bar");
  EXPECT_EQ(r.NCalQuads, 3);
  EXPECT_EQ(r.UTMZone, -1);
  DeleteFile(old);
}

// An attribute is found only outside the quoted values of the others: a map
// name ending in " caption=" or an id holding " map=" leaves the caption alone.
TEST(GeoMapFiles, AttributeNamesInsideValuesAreText) {
  const std::string fn = TempName("names.xml");
  {
    std::ofstream o(fn);
    o << "<geomap sig=\"ZOLCSuite\" vers=\"1.0\" id=\"a map=\" model=\"equirect\" map=\"m caption=\" "
         "caption=\"Right\">\n<calquads npoints=\"1\">\n[1,2,3,4]\n</calquads>\n</geomap>\n";
  }
  TCalibData r;
  TCalibModel m;
  ASSERT_TRUE(ParseCalibData(fn, "a map=", r, m));
  EXPECT_EQ(m, cmEquiRect);
  EXPECT_EQ(r.MapName, "m caption=");
  EXPECT_EQ(r.Caption, "Right");
  // and the file written of it reads back the same
  TGeoMap a(nullptr);
  a.SetCalibData(r);
  a.SetCalibModel(cmEquiRect);
  ASSERT_TRUE(a.SaveCalDataAsXML(fn, "b caption="));
  TCalibData back;
  ASSERT_TRUE(ParseCalibData(fn, "b caption=", back, m));
  EXPECT_EQ(back.MapName, "m caption=");
  EXPECT_EQ(back.Caption, "Right");
  DeleteFile(fn);
}

TEST(GeoMapFiles, CountMismatchAndUnknownLineTypeRaise) {
  const std::string fn = TempName("bad.xml");
  auto write = [&](const std::string& body) {
    std::ofstream o(fn);
    o << "<geomap sig=\"ZOLCSuite\" vers=\"1.0\" id=\"\" model=\"parabolicip\">\n" << body << "</geomap>\n";
  };
  TCalibData r;
  TCalibModel m;
  write("<calline type=\"parallel\" value=\"45\" npoints=\"3\">\n[1,2] [3,4] \n</calline>\n");
  try {
    ParseCalibData(fn, "", r, m);
    FAIL();
  } catch (const EZOLGeoMapError& e) {
    EXPECT_STREQ(e.what(), "ParseCalibData: specified number of calibration points and actual number does not match");
  }
  write("<calline type=\"equator\" value=\"0\" npoints=\"1\">\n[1,2]\n</calline>\n");
  try {
    ParseCalibData(fn, "", r, m);
    FAIL();
  } catch (const EZOLGeoMapError& e) {
    EXPECT_STREQ(e.what(), "ParseCalibData: invalid type of graticule line: type=\"equator\"");
  }
  TGeoMap map(nullptr);
  map.SetName("M");
  try {
    map.LoadCalDataFromXML(fn, "");
    FAIL();
  } catch (const EZOLGeoMapError& e) {
    EXPECT_STREQ(e.what(), "Component \"M\": invalid type of graticule line: type=\"equator\"");
  }
  // beyond the capacities: ignored, never overrun
  std::string many;
  for (int i = 0; i < 30; ++i) many += "<calline type=\"meridian\" value=\"" + std::to_string(i) +
                                       "\" npoints=\"12\">\n" + std::string(12 * 6, ' ') +
                                       "[1,1] [2,2] [3,3] [4,4] [5,5] [6,6] [7,7] [8,8] [9,9] [0,0] [1,2] [2,1]\n</calline>\n";
  many += "<corners>\n[1,2] [3,4] [5,6] [7,8] [9,10] [11,12]\n</corners>\n";
  write(many);
  ASSERT_TRUE(ParseCalibData(fn, "", r, m));
  EXPECT_EQ(r.NCalLines, 25);
  EXPECT_EQ(r.CalLines[24].NPoints, 10);
  EXPECT_DOUBLE_EQ(r.Corners[3].Long, 8);
  DeleteFile(fn);
}

// Truncated, random and mutated calibration files: refused or read, never a crash.
TEST(GeoMapFiles, DamagedCalibrationFilesNeverCrash) {
  TGeoMap a(nullptr);
  a.SetCalibModel(cmEquiRect);
  for (int i = 0; i < 20; ++i) a.AddCalibPoint(40 + i * 0.5, 10 + (i % 5), i * 10, (i % 5) * 30);
  TMemoryStream ms;
  a.SaveCalDataAsXML(ms, "ID");
  const std::string good(reinterpret_cast<const char*>(ms.Memory()), size_t(ms.Size()));
  std::mt19937 rng(7);
  auto attempt = [](const std::string& data) {
    TMemoryStream s;
    s.WriteBuffer(data.data(), int64_t(data.size()));
    s.SetPosition(0);
    TCalibData r;
    TCalibModel m;
    try {
      ParseCalibData(s, "", r, m);
    } catch (const EZOLGeoMapError&) {
    }
    EXPECT_LE(r.NCalQuads, MaxCalQuads);
    EXPECT_LE(r.NCalLines, MaxCalLines);
  };
  for (size_t cut = 0; cut < good.size(); cut += 7) attempt(good.substr(0, cut));
  for (int k = 0; k < 200; ++k) {
    std::string m = good;
    for (int j = 0; j < 5; ++j) m[rng() % m.size()] = char(rng() % 256);
    attempt(m);
    std::string r(rng() % 400, ' ');
    for (char& c : r) c = "<>[],\"= /abc0123geomapZOLCSuite\n"[rng() % 31];
    attempt("<geomap zolcsuite>\n" + r);
  }
}

// ---------------------------------------------------------------- map image
std::string WriteBmp(int w, int h, const std::string& stem) {
  TBitmap b(w, h);
  const std::string fn = TempName(stem);
  b.SaveToFile(fn);
  return fn;
}

TEST(GeoMapImage, PixelLimitIsCheckedOnTheHeader) {
  TGeoMap map(nullptr);
  map.SetName("Map");
  const std::string ok = WriteBmp(2000, 1500, "ok.bmp");
  EXPECT_NO_THROW(map.SetMapImgName(ok));
  EXPECT_EQ(map.MapBitmap().Width(), 2000);
  DeleteFile(ok);
  const std::string big = WriteBmp(2000, 1501, "big.bmp");
  try {
    map.SetMapImgName(big);
    FAIL();
  } catch (const EZOLGeoMapError& e) {
    EXPECT_STREQ(e.what(),
                 "Component \"Map\": Cannot use map image, maximum of 3000000 pixels exceeded (size of map is 2000 x "
                 "1501)");
  }
  EXPECT_EQ(map.MapBitmap().Width(), 2000);  // the previous image stays
  DeleteFile(big);
  // A JPEG that claims 20000 x 20000 pixels but holds no image data: refused
  // by its header (a decoder would fail on it with another message).
  const std::string jpg = TempName("huge.jpg");
  {
    const unsigned char hdr[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0,
                                 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x4E, 0x20, 0x4E, 0x20, 0x03, 1, 0x22, 0, 2, 0x11, 1,
                                 3, 0x11, 1};
    std::ofstream o(jpg, std::ios::binary);
    o.write(reinterpret_cast<const char*>(hdr), sizeof hdr);
  }
  try {
    map.SetMapImgName(jpg);
    FAIL();
  } catch (const EZOLGeoMapError& e) {
    EXPECT_NE(std::string(e.what()).find("(size of map is 20000 x 20000)"), std::string::npos) << e.what();
  }
  DeleteFile(jpg);
  EXPECT_THROW(map.SetMapImgName(TempName("missing.jpg")), EZOLGeoMapError);
}

TEST(GeoMapImage, ImageRequestAndResize) {
  TGeoMap map(nullptr);
  const std::string fn = WriteBmp(100, 50, "req.bmp");
  map.OnMapImageRequest = [&](TObject*, std::string& name) { name = fn; };
  map.SetMapImgName("elsewhere/whatever.bmp");
  EXPECT_EQ(map.MapImgName(), fn);
  map.SetCalibModel(cmEquiRect);
  map.AddCalibPoint(10.0, 0.0, 0, 0);
  map.AddCalibPoint(0.0, 0.0, 0, 50);
  map.AddCalibPoint(10.0, 20.0, 100, 0);
  map.ResizeMap(2.0);
  EXPECT_EQ(map.MapBitmap().Width(), 200);
  EXPECT_EQ(map.MapBitmap().Height(), 100);
  EXPECT_EQ(map.CalibData().CalQuads[2].X, 200);
  int x, y;
  ASSERT_TRUE(map.CalcPixelCoords(0.0, 20.0, x, y));
  EXPECT_EQ(x, 200);
  EXPECT_EQ(y, 100);
  // huge factors are bounded by the image limit
  map.ResizeMap(1e9);
  EXPECT_LE(int64_t(map.MapBitmap().Width()) * map.MapBitmap().Height(), MaxMapImagePixels);
  map.ResizeMap(0);  // bounded below too
  EXPECT_GE(map.MapBitmap().Width(), 1);
  DeleteFile(fn);
}

// ---------------------------------------------------------------- view and zoom history
TEST(GeoMapView, ZoomHistoryRing) {
  TGeoMap map(nullptr);
  for (int i = 1; i <= 17; ++i) {
    map.SetTopLeft({i, 100 + i});
    map.ZoomStateOnStack();
  }
  EXPECT_EQ(map.GetZoomStackEntry(0).OffsetX, 17);
  EXPECT_EQ(map.GetZoomStackEntry(-15).OffsetX, 2);  // entry 1 was overwritten by the 17th
  map.SetTopLeft({0, 0});
  map.ZoomHistory(1);
  map.ZoomHistory(-16);
  EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
  map.ZoomHistory(-3);
  EXPECT_EQ(map.TopLeft(), (TPoint{14, 114}));
  map.ClearZoomHistory();
  EXPECT_EQ(map.GetZoomStackEntry(0).OffsetX, 14);
  EXPECT_EQ(map.GetZoomStackEntry(-1).Scale, 0.0);
  map.SetTopLeft({5, 5});
  map.ZoomHistory(-1);  // an empty entry is not restored
  EXPECT_EQ(map.TopLeft(), (TPoint{5, 5}));
}

TEST(GeoMapView, ControlAndImageCoordinates) {
  TGeoMap map(nullptr);
  map.SetBounds(0, 0, 200, 100);
  map.SetMagnification(2.0);
  map.SetTopLeft({10, 20});
  EXPECT_EQ(map.ControlToMapImage({0, 0}), (TPoint{10, 20}));
  EXPECT_EQ(map.ControlToMapImage({5, 3}), (TPoint{12, 21}));
  EXPECT_EQ(map.MapImageToControl({12, 21}), (TPoint{5, 3}));
  map.SetMagnification(1e9);
  EXPECT_EQ(map.Magnification(), 64.0);
}

// A 4 x 2 map at magnification 3: each map pixel becomes a 3 x 3 block.
TEST(GeoMapView, RenderedPictureAtMagnification) {
  TGeoMap map(nullptr);
  map.SetBounds(0, 0, 14, 8);
  map.SetFrameStyle(fsNone);
  map.SetColorBackGnd(clWhite);
  TBitmap img(4, 2);
  const TColor cols[2][4] = {{clRed, clLime, clBlue, clBlack}, {clYellow, clAqua, clFuchsia, clGray}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) img.Canvas().SetPixel(x, y, cols[y][x]);
  map.SetMapBitMap(img);
  map.SetMagnification(3.0);
  map.SetTopLeft({0, 0});
  auto pic = map.PaintToBitmap();
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 14; ++x) {
      const TColor want = (x < 12 && y < 6) ? cols[y / 3][x / 3] : clWhite;
      EXPECT_EQ(pic->Canvas().Pixels(x, y), want) << x << "," << y;
    }
}

TEST(GeoMapView, EmptyMapShowsTheMessage) {
  TGeoMap map(nullptr);
  map.SetBounds(0, 0, 120, 40);
  map.SetFrameStyle(fsNone);
  auto blank = map.PaintToBitmap();
  map.SetEmptyMsg("");
  auto none = map.PaintToBitmap();
  int differ = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) differ += blank->Canvas().Pixels(x, y) != none->Canvas().Pixels(x, y);
  EXPECT_GT(differ, 20);
}

// A blank map of one degree per pixel whose pixel centres lie on whole
// degrees: column x is longitude x - 180, row y latitude 90 - y.  Graticule
// lines every 10 degrees fall on the columns and rows divisible by 10.
TEST(GeoMapView, GraticuleAndLandmarkPixels) {
  TGeoMap map(nullptr);
  map.SetBounds(0, 0, 360, 180);
  map.SetFrameStyle(fsNone);
  map.SetColorBackGnd(clWhite);
  map.CreateAndLoadEmptyMap(90.5, -180.5, -89.5, 179.5, 360, 180, nullptr);
  ASSERT_TRUE(map.IsCalibrated());
  ASSERT_DOUBLE_EQ(map.Magnification(), 1.0);
  ASSERT_EQ(map.TopLeft(), (TPoint{0, 0}));
  bool v;
  EXPECT_NEAR(map.CalcLongitude(10, 0, v), -170, 1e-9);
  EXPECT_NEAR(map.CalcLatitude(0, 10, v), 80, 1e-9);
  map.SetGratLineDist(10);
  map.SetColorGraticule(clBlue);
  map.SetShowGraticule(sgLines);
  map.AddLandMark(0, 0, 0, lmCross, 0, "", 0, 0, clRed, clYellow, 2, false, 0, 0);
  auto pic = map.PaintToBitmap();
  TCanvas& c = pic->Canvas();
  EXPECT_EQ(c.Pixels(10, 5), clBlue);
  EXPECT_EQ(c.Pixels(350, 77), clBlue);
  EXPECT_EQ(c.Pixels(5, 20), clBlue);
  EXPECT_EQ(c.Pixels(123, 170), clBlue);
  EXPECT_EQ(c.Pixels(15, 5), clWhite);
  EXPECT_EQ(c.Pixels(125, 125), clWhite);
  // the cross at (0, 0): pixel (180, 90), arms of 2 pixels, over the graticule
  for (int d = -2; d <= 2; ++d) {
    EXPECT_EQ(c.Pixels(180 + d, 90), clRed) << d;
    EXPECT_EQ(c.Pixels(180, 90 + d), clRed) << d;
  }
  EXPECT_EQ(c.Pixels(183, 90), clBlue);  // the equator continues beyond the arm
  EXPECT_EQ(c.Pixels(181, 91), clWhite);
  // a class that is hidden is not drawn
  map.SetClassVisibility(0, false);
  auto hidden = map.PaintToBitmap();
  EXPECT_EQ(hidden->Canvas().Pixels(182, 90), clBlue);
}

// ---------------------------------------------------------------- symbols (pixel masks)
TEST(GeoMapSymbols, CrossAndSquareMasks) {
  TBitmap b(11, 11);
  DrawLandMarkSymbolOnCanvas(b.Canvas(), 5, 5, lmCross, clRed, clYellow, 3, 0, 0, false);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) {
      const bool on = (y == 5 && x >= 2 && x <= 8) || (x == 5 && y >= 2 && y <= 8);
      EXPECT_EQ(b.Canvas().Pixels(x, y), on ? clRed : clWhite) << x << "," << y;
    }
  TBitmap s(11, 11);
  DrawLandMarkSymbolOnCanvas(s.Canvas(), 5, 5, lmSquare, clBlue, clYellow, 2, 0, 0, false);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) {
      const bool in = x >= 3 && x <= 7 && y >= 3 && y <= 7;
      const bool edge = in && (x == 3 || x == 7 || y == 3 || y == 7);
      EXPECT_EQ(s.Canvas().Pixels(x, y), edge ? clBlue : in ? clYellow : clWhite) << x << "," << y;
    }
  TBitmap t(11, 11);
  DrawLandMarkSymbolOnCanvas(t.Canvas(), 5, 5, lmSquare, clBlue, clYellow, 2, 0, 0, true);
  EXPECT_EQ(t.Canvas().Pixels(5, 5), clWhite);  // transparent: no fill
  EXPECT_EQ(t.Canvas().Pixels(3, 5), clBlue);
}

// ---------------------------------------------------------------- landmarks
TEST(GeoMapLandMarks, FindRemoveAndVeto) {
  TGeoMap map(nullptr);
  map.AddLandMark(10, 10, 0, "a", 1, clRed);
  map.AddLandMark(10.5, 10, 0, "b", 2, clRed);
  map.AddLandMark(20, 20, 0, "c", 1, clRed);
  EXPECT_EQ(map.FindLandMark(10.4, 10, 1), 1);
  EXPECT_EQ(map.FindLandMark(10.4, 10, 300), 2);  // out-of-range class: all classes
  EXPECT_EQ(map.FindLandMark(10.4, 10, -5), 2);
  EXPECT_EQ(map.FindLandMark(0, 0, 7), 0);
  map.SetHighLM(3);
  std::vector<std::string> asked;
  map.OnLandMarkAction = [&](TObject*, bool& allowed, TLandMarkAction a, const TLandMark& lm) {
    asked.push_back(std::string(a == lmaRemove ? "-" : "+") + lm.Caption);
    if (lm.Caption == "b") allowed = false;
  };
  EXPECT_EQ(map.RemoveLandMark(10.2, 10, -1, 1.0), 1);  // a removed, b vetoed
  EXPECT_EQ(asked, (std::vector<std::string>{"-a", "-b"}));
  ASSERT_EQ(map.NumLandMarks(), 2);
  EXPECT_EQ(map.LandMarkData(1).Caption, "b");
  EXPECT_EQ(map.LandMarkData(2).Caption, "c");
  EXPECT_EQ(map.HighLM(), 0);  // the highlighted index no longer points past the list
  EXPECT_EQ(map.AddLandMark(1, 1, 0, "b", 0, clRed), 0);  // refused
  EXPECT_EQ(map.NumLandMarks(), 2);
  map.OnLandMarkAction = nullptr;
  EXPECT_EQ(map.RemoveLandMark(TRectDouble{15, 25, 25, 15}, 1), 1);
  EXPECT_EQ(map.RemoveLandMark(10.5, 10, 2), 1);
  EXPECT_EQ(map.NumLandMarks(), 0);
}

TEST(GeoMapLandMarks, CapacityGrowsInSteps) {
  TGeoMap map(nullptr);
  EXPECT_EQ(map.LandMarkCapacity(), 0);
  map.AddLandMark(1, 1, 0);
  EXPECT_EQ(map.LandMarkCapacity(), 1000);
  for (int i = 0; i < 1000; ++i) map.AddLandMark(i * 0.01, 0, 0);
  EXPECT_EQ(map.LandMarkCapacity(), 2000);
  map.RemoveAllLandMarks(0);
  EXPECT_EQ(map.NumLandMarks(), 0);
}

TEST(GeoMapLandMarks, FileRoundTripWithEscapes) {
  TGeoMap a(nullptr);
  a.LMTextProps().Bold = true;
  a.LMTextProps().StrikeOut = true;
  a.LMTextProps().FontName = "Times New Roman";
  a.AddLandMark(48.2, 16.37, 171, "VIE", EncodeDate(2024, 3, 5) + EncodeTime(13, 14, 15, 0),
                "Vienna \"Wien\" > <Graz> & more", 7, clBlue);
  a.AddLandMark(-33.9, 18.4, 0, lmArrowTo, 255, "an identifier longer than fifteen", 0, -3, clLime, clNavy, 9, true,
                45, 30);
  const std::string fn = TempName("lm.xml");
  ASSERT_TRUE(a.SaveLandmarks(fn, "set"));
  TGeoMap b(nullptr);
  b.AddLandMark(0, 0, 0);
  EXPECT_FALSE(b.LoadLandMarks(fn, "other"));
  EXPECT_EQ(b.NumLandMarks(), 1);
  ASSERT_TRUE(b.LoadLandMarks(fn, "SET"));
  ASSERT_EQ(b.NumLandMarks(), 2);
  const TLandMark l1 = b.LandMarkData(1), l2 = b.LandMarkData(2);
  EXPECT_EQ(l1.Caption, "Vienna \"Wien\" > <Graz> & more");
  EXPECT_DOUBLE_EQ(l1.Latitude, 48.2);
  EXPECT_DOUBLE_EQ(l1.Altitude, 171);
  EXPECT_EQ(l1.Identifier, "VIE");
  EXPECT_EQ(l1.Class, 7);
  EXPECT_EQ(l1.ColorFg, clBlue);
  EXPECT_NEAR(l1.Date, EncodeDate(2024, 3, 5) + EncodeTime(13, 14, 15, 0), 1e-8);
  EXPECT_TRUE(l1.CapProps.Bold);
  EXPECT_FALSE(l1.CapProps.Italic);
  EXPECT_TRUE(l1.CapProps.StrikeOut);
  EXPECT_EQ(l1.CapProps.FontName, "Times New Roman");
  EXPECT_EQ(l2.Element, lmArrowTo);
  EXPECT_EQ(l2.Class, 255);
  EXPECT_EQ(l2.Identifier, "an identifier l");  // 15 bytes
  EXPECT_EQ(l2.UserTag, -3);
  EXPECT_EQ(l2.ColorBg, clNavy);
  EXPECT_EQ(l2.Size, 9);
  EXPECT_TRUE(l2.Transparent);
  EXPECT_EQ(l2.Dir, 45);
  EXPECT_EQ(l2.Leng, 30);
  DeleteFile(fn);
}

TEST(GeoMapLandMarks, MissingElementGivesACrossAndDamagedFilesNeverCrash) {
  const std::string fn = TempName("lm2.xml");
  {
    std::ofstream o(fn);
    o << "<gmlandmarks sig=\"ZOLCSuite\" vers=\"1.0\" id=\"\">\n"
      << "<landmark lat=\"1.5\" long=\"2.5\" element=\"square\" />\n"
      << "<landmark lat=\"3\" long=\"4\" captext=\"plain & simple\" />\n"
      << "<landmark lat=\"5\" long=\"6\" element=\"hexagon\" />\n</gmlandmarks>\n";
  }
  TGeoMap map(nullptr);
  ASSERT_TRUE(map.LoadLandMarks(fn, ""));
  ASSERT_EQ(map.NumLandMarks(), 3);
  EXPECT_EQ(map.LandMarkData(1).Element, lmSquare);
  EXPECT_EQ(map.LandMarkData(2).Element, lmCross);
  EXPECT_EQ(map.LandMarkData(2).Caption, "plain & simple");
  EXPECT_EQ(map.LandMarkData(3).Element, lmCross);

  std::ifstream in(fn);
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::mt19937 rng(11);
  for (int k = 0; k < 300; ++k) {
    std::string m = k < 100 ? good.substr(0, rng() % good.size()) : good;
    if (k >= 100)
      for (int j = 0; j < 4; ++j) m[rng() % m.size()] = char(rng() % 256);
    {
      std::ofstream o(fn, std::ios::binary);
      o << m;
    }
    map.LoadLandMarks(fn, "");
    EXPECT_LE(map.NumLandMarks(), 3);
  }
  DeleteFile(fn);
}

// ---------------------------------------------------------------- symbol repository
TEST(SymbolRepository, RoundTripBackupAndDamagedFiles) {
  TSymbolRepository rep(nullptr);
  TSymbol s = DefaultSymbolRecord();
  s.Element = lmSpade;
  s.Name = "Peak \"K2\" > 8000";
  s.Category = "Mountains & <hills>";
  s.ColorFg = TColor(0x00123456);
  s.ColorBg = clWhite;
  s.Size = 7;
  s.Transparent = true;
  s.Dir = 90;
  s.Leng = 12;
  rep.SetValues(1, s);
  rep.SetValues(5, s);  // not the next index: ignored
  s.Element = lmCircle;
  s.Name = "Lake";
  rep.SetValues(2, s);
  EXPECT_EQ(rep.NEntries(), 2);
  const std::string fn = TempName("sym.xml");
  ASSERT_TRUE(rep.StoreOnFile(fn, "r1"));
  std::ifstream in(fn);
  std::string first, second;
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_EQ(first, "<?xml version=\"1.0\"?>");
  EXPECT_EQ(second, "<!-- TGeoMap Landmark Repository / ZOL Component Suite -->");
  TSymbolRepository back(nullptr);
  EXPECT_FALSE(back.LoadFromFile(fn, "r2"));
  ASSERT_TRUE(back.LoadFromFile(fn, "R1"));
  ASSERT_EQ(back.NEntries(), 2);
  const TSymbol r = back.Values(1);
  EXPECT_EQ(r.Element, lmSpade);
  EXPECT_EQ(r.Name, "Peak \"K2\" > 8000");
  EXPECT_EQ(r.Category, "Mountains & <hills>");
  EXPECT_EQ(r.ColorFg, TColor(0x00123456));
  EXPECT_EQ(r.Size, 7);
  EXPECT_TRUE(r.Transparent);
  EXPECT_EQ(r.Dir, 90);
  EXPECT_EQ(r.Leng, 12);
  EXPECT_EQ(back.Values(2).Element, lmCircle);
  back.Backup();
  back.Clear();
  EXPECT_EQ(back.NEntries(), 0);
  back.Restore();
  EXPECT_EQ(back.NEntries(), 2);
  TSymbolRepository copy(nullptr);
  copy.Assign(back);
  EXPECT_EQ(copy.Values(1).Name, r.Name);
  EXPECT_EQ(copy.Values(3).Name, "");  // outside: the default record

  in.close();
  std::ifstream in2(fn);
  const std::string good((std::istreambuf_iterator<char>(in2)), std::istreambuf_iterator<char>());
  std::mt19937 rng(3);
  for (int k = 0; k < 200; ++k) {
    std::string m = k < 60 ? good.substr(0, rng() % good.size()) : good;
    if (k >= 60)
      for (int j = 0; j < 4; ++j) m[rng() % m.size()] = char(rng() % 256);
    {
      std::ofstream o(fn, std::ios::binary);
      o << m;
    }
    TSymbolRepository t(nullptr);
    t.LoadFromFile(fn, "");
    EXPECT_LE(t.NEntries(), 2);
  }
  DeleteFile(fn);
}

// ---------------------------------------------------------------- headless host
class GeoMapHost : public ::testing::Test {
 protected:
  void SetUp() override {
    app = Application();
    app->ResetHeadless();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 300);
    map = new TGeoMap(form.get());
    map->SetParent(form.get());
    map->SetBounds(10, 10, 360, 180);
    form->Show();
    app->ProcessMessages();
  }
  void TearDown() override {
    form.reset();
    app->ResetHeadless();
  }
  TApplication* app = nullptr;
  std::unique_ptr<TForm> form;
  TGeoMap* map = nullptr;
};

// The world map: 1024 x 512 pixels of 0.3515625 degrees; at magnification
// 0.3515625 one control pixel is one degree.
TEST_F(GeoMapHost, MousePositionReadout) {
  ASSERT_TRUE(map->LoadCalDataFromXML(kMaps + "world.cal", ""));
  ASSERT_TRUE(map->HasMapImage());
  EXPECT_EQ(map->MapCaption(), "World");
  map->SetMagnification(0.3515625);
  map->SetTopLeft({0, 0});
  app->PostMouseMove(form.get(), 0, 10 + 190, 10 + 40);  // control (190, 40): map pixel (540, 113)
  app->ProcessMessages();
  ASSERT_TRUE(map->MousePosValid());
  EXPECT_EQ(map->MousePosPixel(), (TPoint{540, 113}));
  // pixel centre: long = -180 + (540 + 0.5) * 0.3515625, lat = 90 - (113 + 0.5) * 0.3515625
  EXPECT_NEAR(map->MousePosLongitude(), 10.01953125, 1e-4);
  EXPECT_NEAR(map->MousePosLatitude(), 50.09765625, 1e-4);
  app->Click(form.get(), 10 + 20, 10 + 100, mbRight);
  app->ProcessMessages();
  EXPECT_NEAR(map->LastMClickLongitude(), -180 + (56 + 0.5) * 0.3515625, 1e-4);
  EXPECT_NEAR(map->LastMClickLatitude(), 90 - (284 + 0.5) * 0.3515625, 1e-4);
  EXPECT_TRUE(map->IsPositionWithinMap(48.2, 16.4));
}

TEST_F(GeoMapHost, DragPansAndWheelZooms) {
  ASSERT_TRUE(map->LoadCalDataFromXML(kMaps + "europe.cal", ""));
  map->SetMagnification(1.0);
  map->SetTopLeft({0, 0});
  int events = 0;
  map->OnZoomPan = [&](TObject*) { ++events; };
  app->PostMouseDown(form.get(), mbLeft, 0, 110, 110);
  app->PostMouseMove(form.get(), ssLeft, 90, 80);
  app->PostMouseUp(form.get(), mbLeft, 0, 90, 80);
  app->ProcessMessages();
  EXPECT_EQ(map->TopLeft(), (TPoint{20, 30}));
  EXPECT_GE(events, 1);
  // the map point under the pointer stays in place while zooming
  const TPoint under = map->ControlToMapImage({100, 50});
  app->PostMouseWheel(form.get(), 0, WHEEL_DELTA, 110, 60);
  app->ProcessMessages();
  EXPECT_DOUBLE_EQ(map->Magnification(), 1.25);
  const TPoint after = map->ControlToMapImage({100, 50});
  EXPECT_LE(std::abs(after.X - under.X), 1);
  EXPECT_LE(std::abs(after.Y - under.Y), 1);
  map->ZoomHistory(0);  // back to before the wheel
  EXPECT_DOUBLE_EQ(map->Magnification(), 1.0);
  // a zoom window: drag a rectangle
  map->SetMouseAction(maZoomWind);
  app->PostMouseDown(form.get(), mbLeft, 0, 10 + 0, 10 + 0);
  app->PostMouseMove(form.get(), ssLeft, 10 + 90, 10 + 45);
  app->PostMouseUp(form.get(), mbLeft, 0, 10 + 90, 10 + 45);
  app->ProcessMessages();
  EXPECT_DOUBLE_EQ(map->Magnification(), 4.0);
}

TEST_F(GeoMapHost, RubberBandEvents) {
  map->SetMouseAction(maRubberBand);
  std::vector<std::string> log;
  map->OnBeginRubberBand = [&](TObject*, TPoint p) { log.push_back("begin " + std::to_string(p.X)); };
  map->OnContinueRubberBand = [&](TObject*, TPoint p) { log.push_back("cont " + std::to_string(p.X)); };
  map->OnEndRubberBand = [&](TObject*, TPoint p) { log.push_back("end " + std::to_string(p.X)); };
  app->Click(form.get(), 20, 20);
  app->Click(form.get(), 40, 20, mbLeft, ssCtrl);
  app->Click(form.get(), 60, 20);
  app->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"begin 10", "cont 30", "end 50"}));
}

}  // namespace
