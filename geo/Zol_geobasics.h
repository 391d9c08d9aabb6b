// Geodetic foundation of the geographic library: reference ellipsoids, geodetic
// datums, countries, and stateless routines for ellipsoid arithmetic, cartesian
// conversion, seven-parameter Helmert datum shifts, the meridian arc, transverse
// Mercator, UTM and UPS.
//
// Angles are decimal degrees unless a routine says radians; north latitude and
// east longitude are positive; lengths are metres.
#pragma once

#include <cstdint>
#include <string>

#include "base/Zol_zolbase.h"

namespace zol {

class EZOLGeoBasicsError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum THemisphere { hemiNorth, hemiSouth };

enum TGeoEllipsoid : uint8_t {
  gelWGS84, gelWGS72, gelWGS66, gelWGS60, gelClrk80RGS, gelClrk66, gelBess41, gelBess41Jap,
  gelBess41Nam, gelNewInt67, gelInt24, gelEver69, gelEver56, gelEver48, gelEver30Ind,
  gelEverPak, gelEverest, gelGRS80, gelAiry30, gelModifAiry, gelFish68, gelFish60,
  gelModifFish60, gelAuNat65, gelKrass40, gelHough60, gelSphere, gelIndo74, gelHelm06,
  gelSGS85, gelSAm69, gelATS77, gelAuthSph, gelBesselMod, gelCGCS2000, gelClrk58,
  gelClrk66Mich, gelClrk80, gelClrk80Arc, gelClrk80Benoit, gelClrk80IGN, gelClrk80intfoot,
  gelClrk80SGA22, gelDan76, gelEver30, gelEver75, gelGEM10C, gelGRS67, gelGRS67Mod,
  gelHughes80, gelIAG75, gelInt24AuthSph, gelOSU86F, gelOSU91A, gelPlessis17,
  gelPopVisSphere, gelPZ90, gelStruve60, gelWarOffice, gelHongKong63, gelNahrwan29
};
inline constexpr int GeoEllipsoidCount = 61;

struct TEllipsoidAxes {
  double MajorAxis;
  double MinorAxis;
};

extern const char* const GeoEllipsoidId[GeoEllipsoidCount];
extern const char* const GeoEllipsoidName[GeoEllipsoidCount];
extern const TEllipsoidAxes GeoEllipsoidData[GeoEllipsoidCount];

// One datum and region with its shift to WGS 84 (position-vector rotations).
// Rows whose shift is not known hold NaN in all seven parameters; a transformation
// through such a row is refused (status -5).
struct TDatumRec {
  const char* DatumName;  // at most 33 characters
  const char* Region;     // at most 35 characters
  TGeoEllipsoid Ellipsoid;
  double dX, dY, dZ;       // metres
  double Scale;            // parts per million
  double RotX, RotY, RotZ; // arc seconds
};
inline constexpr int DatumCount = 271;
// Read access to the datum catalogue, Ix in 1..271; nullptr outside.
const TDatumRec* GeoDatum(int Ix);
// True when the row's shift parameters are known.
bool GeoDatumKnown(int Ix);

// A country. Values no source provides: empty FIPS code, NaN positions,
// CapAltitudeUnknown as the capital's elevation.
struct TCountryRec {
  const char* Name;      // at most 40 characters
  const char* FIPSCode;  // two lower-case letters or empty when unknown
  const char* ISO2Code;  // ISO 3166-1 alpha-2, lower case
  const char* ISO3Code;  // ISO 3166-1 alpha-3, lower case
  double Latitude, Longitude;
  const char* Capital;  // at most 31 characters
  double CapLatitude, CapLongitude;
  int32_t CapAltitude;
};
inline constexpr int CountryCount = 231;
inline constexpr int32_t CapAltitudeUnknown = INT32_MIN;
extern const TCountryRec CountryData[CountryCount];

// ---- ellipsoid arithmetic
// An ellipsoid value outside the catalogue (0..GeoEllipsoidCount-1) raises
// EZOLGeoBasicsError in every routine that takes one.
double GeoEllEccSquared(TGeoEllipsoid Ellipsoid);
double GeoEllEccSquared(double Axis1, double Axis2);
double GeoEllEccSquared(double RecipFlattening);
double RecipFlattening(TGeoEllipsoid Ellipsoid);
double RecipFlattening(double MajorAxis, double MinorAxis);
double RecipFlattening(double EccSquared);
double EllipsoidMinAxFlat(double MajorAxis, double RecipFlattening);
double EllipsoidMinAxEcc(double MajorAxis, double EccSquared);

// ---- cartesian coordinates
// Lat, Long in degrees, Height and X, Y, Z in metres.  A latitude outside
// -90..90 (or NaN) raises EZOLGeoBasicsError.
void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid Ellipsoid, double& X,
                    double& Y, double& Z);
// X, Y, Z in metres; Lat, Long in degrees (Long in -180..180), Height in metres.
void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid Ellipsoid, double& Lat,
                    double& Long, double& Height);

// Lat, Long and the results in degrees, heights in metres.
// Status: 0 success, -1 bad source datum, -2 bad target datum, -3 latitude outside
// -90..90, -4 longitude outside -180..180, -5 a datum's shift is unknown.  A
// NaN latitude, longitude or height gives NaN results and status -3 (or -4).
int HelmertTransform(int SourceDatum, double Lat, double Long, double Height, int TargetDatum,
                     double& LatOut, double& LongOut, double& HeightOut);

// ---- transverse Mercator, UTM, UPS
// Length in metres of the meridian from the equator to latitude Phi (radians).
double ArcLengthOfMeridian(double Phi, TGeoEllipsoid Ellipsoid);
// Central meridian of a UTM zone in RADIANS; 0 for a zone outside 1..60.
double UTMCentralMeridian(int Zone);
// Lat, Long in degrees.
void GeoToUTMZone(double Lat, double Long, int& Zone, char& Letter);
std::string GeoToUTMZone(double Lat, double Long);
// Transverse Mercator at scale 1.  Phi, Lambda and the central meridian
// Lambda0 in RADIANS; X (east of the central meridian) and Y (north of the
// equator) in metres.  Lambda - Lambda0 is taken the short way round.
void LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid Ellipsoid, double& X,
                 double& Y);
// The inverse: X, Y in metres, Lambda0 in RADIANS; Phi and Lambda in RADIANS,
// Lambda in (-pi, pi].
void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid Ellipsoid, double& Phi,
                 double& Lambda);
// Lat, Long in degrees; Easting, Northing in metres.
void LatLongToUTM(double Lat, double Long, TGeoEllipsoid Ellipsoid, int& Zone, double& Easting,
                  double& Northing);
// Easting, Northing in metres; Lat, Long in degrees, Long in (-180, 180].
void UTMToLatLong(double Easting, double Northing, int Zone, bool SouthHemi,
                  TGeoEllipsoid Ellipsoid, double& Lat, double& Long);
// Lat, Long in degrees; X, Y in metres.  A latitude outside -90..90 (or NaN)
// raises EZOLGeoBasicsError.
void LatLongToUPS(double Lat, double Long, TGeoEllipsoid Ellipsoid, double& X, double& Y);
// X, Y in metres; Lat, Long in degrees.
void UPSToLatLong(double X, double Y, bool SouthHemi, TGeoEllipsoid Ellipsoid, double& Lat,
                  double& Long);

}  // namespace zol
