// Calibrated maps: a scanned map image related to latitude and longitude by a
// calibration model fitted to reference points, shown with zoom and pan,
// graticule, UTM grid, calibration points and landmarks; the calibration and
// landmark files; and the repository of landmark symbol presets.
//
// Pixel coordinates of the map image are 0-based with y downwards; angles are
// decimal degrees, north and east positive.  The calibration models:
//   cmParabolicIp        graticule lines interpolated by parabolas
//   cmBiquadraticPn      second-order polynomials in both directions
//   cmConicConformal     parallels are circles around an apex, meridians rays
//   cmMillerCylindrical  Miller's cylindrical projection (straight-line fits)
//   cmEquiRect           linear in latitude and longitude
//   cmUTM                linear in UTM northing and easting
// A model is "calibrated" only when its fit rests on enough independent data:
// three points for the linear models and Miller, six for the biquadratic
// polynomials, three for the conic, two parallels and two meridians with
// three points each for the parabolic model.  Without that every conversion
// answers invalid.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_graphics.h"
#include "geo/Zol_geobasics.h"

namespace zol {

class EZOLGeoMapError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

// ---------------------------------------------------------------- calibration data
enum TCalibModel {
  cmParabolicIp, cmBiquadraticPn, cmConicConformal, cmMillerCylindrical, cmEquiRect, cmUTM,
  cmUndefined
};
// Names of the models in calibration files.
extern const char* const xmlCalibModel[7];

enum TGratLineKind { gtlMeridian, gtlParallel };
enum TCorners { gcoTopLeft, gcoBottomLeft, gcoBottomRight, gcoTopRight };

inline constexpr int MaxCalLines = 25;       // graticule lines of a calibration
inline constexpr int MaxCalLinePoints = 10;  // points of one graticule line
inline constexpr int MaxCalQuads = 200;      // calibration points
// Map images are limited to this many pixels (width x height).
inline constexpr int64_t MaxMapImagePixels = 3000000;

struct TLatLongPos {
  double Lat = 0;
  double Long = 0;
};
using TMapCorners = std::array<TLatLongPos, 4>;  // indexed by TCorners

struct TCalLine {
  TGratLineKind Kind = gtlParallel;
  double Value = 0;  // latitude of a parallel, longitude of a meridian
  int NPoints = 0;
  std::array<TPoint, MaxCalLinePoints> Points{};
};

// A calibration point; for cmUTM Lat holds the northing and Long the easting.
struct TCalQuad {
  double Lat = 0;
  double Long = 0;
  int X = 0;
  int Y = 0;
};

struct TCalibData {
  std::string MapName;
  std::string Caption;
  TMapCorners Corners{};
  double Resolution = 0;  // metres per pixel at the map centre
  int NCalLines = 0;
  std::array<TCalLine, MaxCalLines> CalLines{};
  int NCalQuads = 0;
  std::array<TCalQuad, MaxCalQuads> CalQuads{};
  int UTMZone = -1;
  bool UTMSouth = false;
  TGeoEllipsoid Ellipsoid = gelWGS84;
};

// True when (Lat, Long) lies inside the quadrilateral of the corners.
bool PositionInMap(const TMapCorners& Corners, double Lat, double Long);

// Reads the calibration record with the id ID (any record when ID is empty)
// of a calibration file.  False when no record was found; raises
// EZOLGeoMapError "ParseCalibData: ..." for a graticule line of unknown type
// and for point counts that differ from the stated number.
bool ParseCalibData(const std::string& FileName, const std::string& ID, TCalibData& CalibData,
                    TCalibModel& CalibModel);
bool ParseCalibData(TMemoryStream& Stream, const std::string& ID, TCalibData& CalibData,
                    TCalibModel& CalibModel);
// Writes one calibration record (see the file layout in Zol_geomap.cpp).
void WriteRawCalDataToOpenXMLFile(TextFile& F, bool WithHeader, const std::string& ID,
                                  const TCalibData& CalibData, TCalibModel Model);

// Texts of attribute values in the suite's files: the characters & " < > are
// written as entities and read back; text without entities reads unchanged.
std::string GeoMapEscape(const std::string& s);
std::string GeoMapUnescape(const std::string& s);

// ---------------------------------------------------------------- landmarks
enum TLandMarkElement {
  lmCross, lmSquare, lmTriangle, lmCircle, lmArrowFrom, lmArrowTo, lmCrossBox, lmSpade, lmUserDef
};
extern const char* const LandMarkElementNames[9];  // "Cross", ..., "User-Defined"
extern const char* const xmlLandMarkElement[8];    // "cross", ..., "spade"
enum TLandMarkAction { lmaAdd, lmaRemove };
enum TShowGrat { sgNone, sgPoints, sgLines, sgPointsAndLines, sgUTMGrid, sgPointsAndUTMGrid };

inline constexpr size_t LMTextCapacity = 80;        // bytes of a landmark caption
inline constexpr size_t LMIdentifierCapacity = 15;  // bytes of a landmark identifier
using TLMText = std::string;                        // at most LMTextCapacity bytes
using TLMIdentifier = std::string;                  // at most LMIdentifierCapacity bytes
inline constexpr int LandMarkGrowth = 1000;         // landmark array grows in these steps

// Caption properties of a landmark.  HorizAlign 0 left, 1 centre, 2 right of
// the anchor; VertAlign 0 top, 1 centre, 2 bottom.
struct TLMTextProperties {
  int Size = 8;
  std::string FontName = "Arial";
  TColor ColorFg = clBlack;
  TColor ColorBg = clWhite;
  bool Transparent = true;
  int Dir = 0;  // text direction in degrees, counter-clockwise
  int Dx = 6;
  int Dy = -6;
  uint8_t HorizAlign = 0;
  uint8_t VertAlign = 2;
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
};

struct TLandMark {
  double Latitude = 0;
  double Longitude = 0;
  double Altitude = 0;
  uint8_t Class = 0;
  int UserTag = 0;
  TLandMarkElement Element = lmCross;
  int Size = 4;
  TColor ColorFg = clRed;
  TColor ColorBg = clYellow;
  bool Transparent = false;
  int Dir = 0;
  int Leng = 20;
  TLMText Caption;
  TLMTextProperties CapProps;
  TLMIdentifier Identifier;
  TDateTime Date = 0;
};

struct TRectDouble {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Draws one landmark symbol around (X, Y): Size is the half-width in pixels,
// Dir the direction in degrees (counter-clockwise from east) of triangles and
// arrows, Leng the length of arrows; Transparent leaves the inside unfilled.
void DrawLandMarkSymbolOnCanvas(TCanvas& Canvas, int X, int Y, TLandMarkElement Element,
                                TColor ColorFg, TColor ColorBg, int Size, int Dir, int Leng,
                                bool Transparent);

// ---------------------------------------------------------------- symbol repository
struct TSymbol {
  TLandMarkElement Element = lmCross;
  std::string Name;      // at most 255 bytes
  std::string Category;  // at most 255 bytes
  TColor ColorFg = clRed;
  TColor ColorBg = clYellow;
  int Size = 4;
  bool Transparent = false;
  int Dir = 0;
  int Leng = 20;
};
TSymbol DefaultSymbolRecord();

class TSymbolRepository : public TComponent {
 public:
  explicit TSymbolRepository(TComponent* AOwner);
  int NEntries() const { return static_cast<int>(FSymbols.size()); }
  // Entry i (1-based); a default record outside 1..NEntries.
  TSymbol GetValues(int i) const;
  TSymbol Values(int i) const { return GetValues(i); }
  // Replaces entry i; i = NEntries + 1 appends; other indices are ignored.
  void SetValues(int i, const TSymbol& Symbol);
  void Clear();
  // Keeps a copy of the entries / brings the copy back.
  void Backup();
  void Restore();
  void Assign(const TPersistent& Source) override;
  bool StoreOnFile(const std::string& FileName, const std::string& ID) const;
  bool LoadFromFile(const std::string& FileName, const std::string& ID);
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& ID);
  TNotifyEvent OnChange;

 private:
  void Changed();
  std::vector<TSymbol> FSymbols, FBackup;
};

// ---------------------------------------------------------------- TGeoMap
struct TZoomStackEntry {
  int OffsetX = 0;
  int OffsetY = 0;
  double Scale = 0;
};

using TOnRubberBandActionEvent = std::function<void(TObject* Sender, TPoint Point)>;
using TDrawLandMarkEvent =
    std::function<void(TObject* Sender, bool& Handled, TCanvas& Canvas, TPoint Point, const TLandMark& LandMark)>;
using TLandMarkActionEvent =
    std::function<void(TObject* Sender, bool& Allowed, TLandMarkAction Action, const TLandMark& LandMark)>;
using TMapImgRequestEvent = std::function<void(TObject* Sender, std::string& FileName)>;
// Draws the contents of a new empty map (CreateAndLoadEmptyMap).
using TDrawEmptyMapEvent = std::function<void(TObject* Sender, TCanvas& Canvas)>;

class TGeoMap : public TCustomControl {
 public:
  // A member type, like the 3D plots': the 2D chart's event of this name also
  // passes the plotting area's corner.
  using TRenderEvent = std::function<void(TObject* Sender, TCanvas& Canvas)>;
  explicit TGeoMap(TComponent* AOwner);
  ~TGeoMap() override;

  // ---- calibration model and data
  TCalibModel CalibModel() const { return FCalibModel; }
  void SetCalibModel(TCalibModel v) { FCalibModel = v; }  // only stores it
  const TCalibData& CalibData() const { return FCal; }
  // True when the current model's fit can be used for conversions.
  bool IsCalibrated() const;
  void RecalcCalibration();
  void RecalcGratMat();
  void CalcEquiRectCalibration();
  void CalcBiquadraticCalibration();
  void CalcMillerCylCalibration();
  void CalcConicCalibration();
  // Graticule matrix: rows of (kind 1 parallel / 0 meridian, value, c0, c1, c2).
  const std::vector<std::array<double, 5>>& GratMat() const { return FGratMat; }
  // The fitted apex of the conic model.
  TPoint ConicApex() const { return {FConicXp, FConicYp}; }

  double CalcLatitude(int X, int Y, bool& Valid) const;
  double CalcLatitude(TPoint P, bool& Valid) const { return CalcLatitude(P.X, P.Y, Valid); }
  double CalcLongitude(int X, int Y, bool& Valid) const;
  double CalcLongitude(TPoint P, bool& Valid) const { return CalcLongitude(P.X, P.Y, Valid); }
  bool CalcPixelCoords(double Lat, double Long, int& X, int& Y) const;
  // Pixel of a UTM position of the map's zone and hemisphere.
  bool CalcPixelCoordsUTM(double Northing, double Easting, int& X, int& Y) const;
  // Pixel y where the line of constant Northing passes column X / pixel x
  // where the line of constant Easting passes row Y (linear UTM model; other
  // models go through latitude and longitude).
  bool CalcUTMyFromNorthingX(double Northing, int X, int& Y) const;
  bool CalcUTMxFromEastingY(double Easting, int Y, int& X) const;
  // Root mean square of (computed - actual) pixel x and y over the calibration
  // points, each computed from the point's own coordinates (northing and
  // easting for cmUTM); 0 when there are no points or the map is not calibrated.
  void CalibQuality(double& QualX, double& QualY) const;

  // ---- editing calibration data
  void AddCalibPoint(TGratLineKind Kind, double Value, int X, int Y);
  bool AddCalibPoint(double Lat, double Long, int X, int Y);
  bool AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int X, int Y);
  bool RemoveCalibPoint(int X, int Y);
  void RemoveCalibPoint(TGratLineKind Kind, double Value, int X, int Y);
  // Appends the point removed last, once; false when there is none or no room.
  bool RestoreLastDeletedCalPoint();
  void ClearCalibData();
  void SetCalibData(const TCalibData& Data);

  // ---- calibration files
  void WriteCalDataToOpenXMLFile(TextFile& F, bool WithHeader, const std::string& ID) const;
  bool SaveCalDataAsXML(const std::string& FileName, const std::string& ID) const;
  void SaveCalDataAsXML(TStream& Stream, const std::string& ID) const;
  bool LoadCalDataFromXML(const std::string& FileName, const std::string& ID);
  bool LoadCalDataFromXML(TMemoryStream& Stream, const std::string& ID);
  bool ReadCalDataFromOpenXMLFile(TextFile& F, const std::string& ID);
  const std::string& CalDatName() const { return FCalDatName; }
  void SetCalDatName(const std::string& v);

  // ---- map image and view
  const std::string& MapImgName() const { return FMapImgName; }
  void SetMapImgName(const std::string& FileName);
  void SetMapBitMap(const TBitmap& Bitmap);
  bool HasMapImage() const { return !FMap->Empty(); }
  const TBitmap& MapBitmap() const { return *FMap; }
  // Writes the calibration record followed by the landmark record.
  bool SaveMap(const std::string& FileName, const std::string& ID) const;
  // Renames the image file on disk and takes the new name.
  bool RenameMapImg(const std::string& NewName);
  // A blank map of Width x Height pixels covering the given extent with an
  // equirectangular calibration; OnDraw may draw on it.
  void CreateAndLoadEmptyMap(double LatTop, double LongLeft, double LatBottom, double LongRight, int Width,
                             int Height, const TDrawEmptyMapEvent& OnDraw);
  void ResizeMap(double Factor);  // Factor limited to 0.01..10 and the image size limit
  void ZoomFitPage();
  void PanMapToFillWindow();
  void BringMapPixelToCenter(TPoint P);
  void BringLocationToCenter(double Lat, double Long);
  TPoint ControlToMapImage(TPoint P) const;
  TPoint MapImageToControl(TPoint P) const;
  bool IsPositionWithinMap(double Lat, double Long) const;
  void CalcExtentsAndResolution();
  void ZoomStateOnStack();
  void ZoomHistory(int n);
  void ClearZoomHistory();
  TZoomStackEntry GetZoomStackEntry(int n) const;
  void Clear();
  void CopyToClipboard();
  void CopyEntireMapToClipboard();
  bool CopyToBMP(const std::string& FileName);
  // Size in printer pixels of the view printed to fit the page of the global printer.
  void CalcExtentsOfPrint(int& Width, int& Height) const;
  // Draws the view onto the open printer's page at (Left, Top) with Width x Height printer pixels.
  void CopyToOpenPrinter(int Left, int Top, int Width, int Height);
  // Prints the view on one page.
  void PrintIt();
  // Draws the whole view (map part, overlays, frame) onto Canvas, W x H pixels.
  void ConstructInternalMapImg(TCanvas& Canvas, int W, int H);

  std::string MapCaption() const { return FCal.Caption; }
  void SetMapCaption(const std::string& v);
  double Magnification() const { return FMag; }
  void SetMagnification(double v);  // clamped to 0.01..64
  TPoint TopLeft() const { return FTopLeft; }
  void SetTopLeft(TPoint v);
  bool SuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool v);
  bool ClassVisibility(int Class) const;
  void SetClassVisibility(int Class, bool v);
  int HighLM() const { return FHighLM; }
  void SetHighLM(int v);
  int RandSampleLimit() const { return FRandSampleLimit; }
  void SetRandSampleLimit(int v);
  double LastMClickLatitude() const;
  double LastMClickLongitude() const;
  TPoint LastMClickPixel() const { return FLastMClick; }
  // Position under the mouse pointer (updated on every mouse move).
  TPoint MousePosPixel() const { return FMousePos; }
  bool MousePosValid() const { return FMousePosValid; }
  double MousePosLatitude() const { return FMouseLat; }
  double MousePosLongitude() const { return FMouseLong; }

  // ---- published properties
  bool AllowPan() const { return FAllowPan; }
  void SetAllowPan(bool v) { FAllowPan = v; }
  bool AntiAlias() const { return FAntiAlias; }
  void SetAntiAlias(bool v);
  // Up to this magnification the map scaled to the view is kept between paints.
  double CacheMagLimit() const { return FCacheMagLimit; }
  void SetCacheMagLimit(double v);
  TColor ColorBackGnd() const { return FColorBackGnd; }
  void SetColorBackGnd(TColor v);
  TColor ColorGraticule() const { return FColorGraticule; }
  void SetColorGraticule(TColor v);
  TColor ColorCalibPoints() const { return FColorCalibPoints; }
  void SetColorCalibPoints(TColor v);
  TColor ColorFrame() const { return FColorFrame; }
  void SetColorFrame(TColor v);
  bool ConfinePanToMapImage() const { return FConfinePan; }
  void SetConfinePanToMapImage(bool v);
  const std::string& EmptyMsg() const { return FEmptyMsg; }
  void SetEmptyMsg(const std::string& v);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v);
  double GratLineDist() const { return FGratLineDist; }
  void SetGratLineDist(double v);  // clamped to 0.001..90 degrees
  double UTMGridDist() const { return FUTMGridDist; }
  void SetUTMGridDist(double v);  // clamped to 1..1000000 metres
  int UTMZone() const { return FCal.UTMZone; }
  void SetUTMZone(int v);  // 1..60, -1 unset
  THemisphere UTMHemisphere() const { return FCal.UTMSouth ? hemiSouth : hemiNorth; }
  void SetUTMHemisphere(THemisphere v);
  TGeoEllipsoid Ellipsoid() const { return FCal.Ellipsoid; }
  void SetEllipsoid(TGeoEllipsoid v);
  TMouseActMode MouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode v);
  TShowGrat ShowGraticule() const { return FShowGrat; }
  void SetShowGraticule(TShowGrat v);

  // ---- landmarks
  int NumLandMarks() const { return FNumLM; }
  int LandMarkCapacity() const { return static_cast<int>(FLandMarks.size()); }
  TLandMark GetLandMarkData(int i) const;  // 1-based; a default record outside
  TLandMark LandMarkData(int i) const { return GetLandMarkData(i); }
  void SetLandMarkData(int i, const TLandMark& LM);
  // Caption properties given to new landmarks.
  TLMTextProperties& LMTextProps() { return FLMTextProps; }
  // Defaults of the shorter AddLandMark overloads.
  TLandMark& LMDefaults() { return FLMDefaults; }
  int AddLandMark(double Lat, double Long, double Alti, TLandMarkElement Element, int Class,
                  const std::string& Identifier, TDateTime Date, int UserTag, TColor ColorFg, TColor ColorBg,
                  int Size, bool Transparent, int Dir, int Leng);
  int AddLandMark(double Lat, double Long, double Alti);
  int AddLandMark(double Lat, double Long, double Alti, const std::string& Identifier, TDateTime Date);
  int AddLandMark(double Lat, double Long, double Alti, const std::string& Caption, int Class, TColor Colour);
  int AddLandMark(double Lat, double Long, double Alti, const std::string& Identifier, TDateTime Date,
                  const std::string& Caption, int Class, TColor Colour);
  // The index of the added landmark, 0 when it was refused.
  int RemoveLandMark(double Lat, double Long, int Class, double Radius);
  int RemoveLandMark(const TRectDouble& Rect, int Class);
  int RemoveLandMark(double Lat, double Long, int Class);
  void RemoveLastLandMark();
  void RemoveAllLandMarks();
  void RemoveAllLandMarks(int Class);
  int FindLandMark(double Lat, double Long, int Class) const;
  bool LoadLandMarks(const std::string& FileName, const std::string& ID);
  bool ReadLandMarksFromOpenXMLFile(TextFile& F, const std::string& ID);
  bool SaveLandmarks(const std::string& FileName, const std::string& ID) const;
  void WriteLandMarksToOpenXMLFile(TextFile& F, bool WithHeader, const std::string& ID) const;

  // ---- events
  TNotifyEvent OnZoomPan;
  TOnRubberBandActionEvent OnBeginRubberBand, OnContinueRubberBand, OnEndRubberBand;
  TNotifyEvent OnDataLoading;
  TRenderEvent OnBeforeRenderData, OnDataRendered;
  TDrawLandMarkEvent OnDrawLandmark;
  TLandMarkActionEvent OnLandMarkAction;
  TMapImgRequestEvent OnMapImageRequest;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) override;

 private:
  struct TLinFit {  // v = c1 + c2·p + c3·q (c4..c6 for the quadratic terms)
    std::array<double, 6> c{};
  };
  bool FitLinear(bool Quadratic);
  bool SearchUTMAlong(bool Northing, double Target, int Fixed, int& Result) const;
  bool LatLongToMapUTM(double Lat, double Long, double& N, double& E) const;
  bool ParabolicForward(bool Latitude, double X, double Y, double& Value) const;
  bool ParabolicInverse(double Lat, double Long, int& X, int& Y) const;
  void ForwardLatLong(double X, double Y, double& Lat, double& Long, bool& Valid) const;
  void CalibChanged();
  void ApplyParsed(const TCalibData& Data, TCalibModel Model);
  void ClampTopLeft();
  void ZoomAt(TPoint ControlPoint, double NewMag);
  void FireZoomPan();
  void DrawOverlays(TCanvas& C, int W, int H);
  void DrawGraticule(TCanvas& C);
  void DrawUTMGrid(TCanvas& C, int W, int H);
  void DrawCalibPoints(TCanvas& C);
  void DrawLandMarks(TCanvas& C, int W, int H);
  void DrawOneLandMark(TCanvas& C, const TLandMark& LM, TPoint P);
  bool GeoToControl(double Lat, double Long, TPoint& P) const;
  void DrawRubberSegment();
  void GeoExtent(double& LatMin, double& LatMax, double& LongMin, double& LongMax) const;
  void ForEachBorderPoint(const std::function<void(double, double)>& Fn) const;
  bool AskLandMark(TLandMarkAction Action, const TLandMark& LM);
  int AppendLandMark(const TLandMark& LM);
  int RemoveSelected(const std::function<bool(const TLandMark&)>& Select);
  void LandMarksChanged();
  std::string Msg(const std::string& detail) const { return ComponentMsg(detail); }
  // Stores a changed property value and repaints.
  template <class T>
  void SetAndRepaint(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }

  // calibration
  TCalibData FCal;
  TCalibModel FCalibModel = cmEquiRect;
  std::string FCalDatName;
  TLinFit FFitLat, FFitLong, FFitX, FFitY;  // forward (lat/northing, long/easting), inverse (x, y)
  bool FLinValid = false, FQuadValid = false;
  double FMillerKx = 0, FMillerDx = 0, FMillerKy = 0, FMillerDy = 0;
  bool FMillerValid = false;
  int FConicXp = 0, FConicYp = 0;
  double FConicSphi = 0, FConicIphi = 0, FConicSlam = 0, FConicIlam = 0;
  bool FConicValid = false;
  std::vector<std::array<double, 5>> FGratMat;
  bool FParabolicValid = false;
  TCalQuad FLastDeleted{};
  bool FHaveLastDeleted = false;

  // image and view
  std::string FMapImgName;
  std::unique_ptr<TBitmap> FMap;
  double FMag = 1.0;
  TPoint FTopLeft{0, 0};
  bool FSuppressPaint = false;
  std::array<TZoomStackEntry, 16> FZoomStack{};
  int FZoomIx = 1;  // next write position, 1..16

  // properties
  bool FAllowPan = true, FAntiAlias = false, FConfinePan = false;
  double FCacheMagLimit = 4.0;
  TColor FColorBackGnd = clWhite, FColorGraticule = clYellow, FColorCalibPoints = clRed,
         FColorFrame = clBlack;
  std::string FEmptyMsg = "no map loaded";
  TFrameStyle FFrameStyle = fsSimple;
  double FGratLineDist = 10, FUTMGridDist = 100000;
  TMouseActMode FMouseAction = maPan;
  TShowGrat FShowGrat = sgNone;

  // landmarks
  std::vector<TLandMark> FLandMarks;  // capacity in steps of LandMarkGrowth, FNumLM used
  int FNumLM = 0;
  std::array<bool, 256> FClassVisible{};
  int FHighLM = 0;
  int FRandSampleLimit = 10000;
  TLMTextProperties FLMTextProps;
  TLandMark FLMDefaults;

  // mouse
  TPoint FLastMClick{0, 0};
  bool FHaveClick = false;
  TPoint FMousePos{0, 0};
  bool FMousePosValid = false;
  double FMouseLat = 0, FMouseLong = 0;
  bool FPanning = false;
  TPoint FPanStart{0, 0}, FPanTopLeft{0, 0};
  bool FZoomWinActive = false;
  TPoint FZoomWinStart{0, 0}, FZoomWinEnd{0, 0};
  bool FRubberActive = false;
  TPoint FRubberAnchor{0, 0}, FRubberEnd{0, 0};

  // cache of the map scaled to the current magnification
  std::unique_ptr<TBitmap> FScaled;
  double FScaledMag = 0;
  bool FScaledAA = false;
};

}  // namespace zol
