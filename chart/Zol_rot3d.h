// TRot3D: a rotatable three-dimensional scatter plot.  The control keeps a
// list of drawing items (marks, moves, line-tos and lines) in world
// coordinates; MakeVisible translates them to an origin, scales them into an
// integer cube and keeps the result as a display list, so that rotating only
// repeats integer arithmetic.
//
// Cube coordinates are (world − origin) × factor, computed in 64 bit and
// limited to ±100 000 (a hundred times the span the automatic scaling gives
// the data), so a far-away point stays far outside the picture instead of
// wrapping around into it, and the projection below never overflows.  A point
// with a coordinate that is not finite is left out of the centroid and the
// extents and is not drawn (a line-to after it starts a new line).
//
// Rotation: the integer matrix R = round(1000 × M) (elements below 1e-6 in
// magnitude 0).  Two-axis mode: M = Rx(ax)·Rz(az), i.e.
//     row 1: cos az, −sin az, 0
//     row 2: cos ax·sin az, cos az·cos ax, −sin ax
//     row 3: sin ax·sin az, sin ax·cos az, cos ax
// three-axis mode (MouseRot3Axes): M = Rx(ax)·Ry(ay)·Rz(az) with the usual
// right-handed rotations about the axes (so ay = 0 gives the two-axis
// matrix).  adRightHanded exchanges the first two columns (x and y).
// screen x = (X·R11 + Y·R12 + Z·R13) div divisor + CentX, screen y likewise
// with row 2, divisor = round(4000 / Magnification); row 3 points towards the
// viewer, and the cube corner with the smallest row-3 value is the far corner.
//
// The display list uses a palette of 32 colours: the first 32 different item
// colours in list order; any further colour is shown as the nearest palette
// colour (squared RGB distance).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_graphics.h"
#include "chart/Zol_plot3d.h"

namespace zol {

class EZOLRot3DError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TAxDir { adLeftHanded, adRightHanded };

class TRot3D : public TCustom3DView {
 public:
  using TRenderEvent = std::function<void(TObject* Sender, TCanvas& Canvas)>;

  // Item kinds (ordinals as stored in the item record).  They live in the
  // class so that they do not meet the two-dimensional chart's kinds of the
  // same names: TRot3D::tkMarkAt.
  enum Tr3Item : uint8_t { tkNone, tkMarkAt, tkLineto, tkLine, tkMoveto, tkEverything };

  // The item record, 72 bytes.
  struct Tr3ChartItem {
    double X = 0, Y = 0, Z = 0;  // first point
    TColor Color = clBlack;
    int32_t Tag = 0;
    Tr3Item Kind = tkNone;
    uint8_t Pad1[7] = {};
    double X2 = 0, Y2 = 0, Z2 = 0;  // second point (tkLine)
    uint8_t MarkOrWidth = 0;        // mark code (tkMarkAt) or line width (tkLineto, tkLine)
    uint8_t Pad2[7] = {};
  };

  explicit TRot3D(TComponent* AOwner);
  ~TRot3D() override;

  // ---- items
  void MarkAt(double x, double y, double z, uint8_t MarkType);
  void Moveto(double x, double y, double z);
  void Drawto(double x, double y, double z);
  void Line(double x1, double y1, double z1, double x2, double y2, double z2);
  int NumItems() const { return FCount; }
  // Number of items of a kind (tkEverything: all).
  int GetItemCount(Tr3Item kind) const;
  // A copy of item i (0-based); outside the list a record of kind tkNone.
  Tr3ChartItem GetChartItem(int i) const;
  Tr3ChartItem GetItemParams(int i) const { return GetChartItem(i); }
  // Overwrites item i when it exists.
  void SetChartitem(int i, const Tr3ChartItem& item);
  // Overwrites item i unless the new kind is tkNone or tkEverything (or not a kind at all).
  void SetItemParams(int i, const Tr3ChartItem& item);
  void RemoveItem(int i);
  void RemoveFirstItem() { RemoveItem(0); }
  void RemoveLastItem() { RemoveItem(FCount - 1); }
  Tr3Item GetTypeOfFirstItem() const { return FCount > 0 ? FItems[0].Kind : tkNone; }
  Tr3Item GetTypeOfLastItem() const { return FCount > 0 ? FItems[FCount - 1].Kind : tkNone; }
  // Empties the item list and the display list; repaints.
  void Clear();
  // Index of the item whose first point is nearest to (x, y, z) in world
  // units among the items of the kind (tkEverything: all); −1 and the square
  // root of the largest double when none (always for tkNone).
  int FindNearestItemReal(double x, double y, double z, Tr3Item kind, double& Dist) const;
  // The same on the projected display-list points in pixels; returns the
  // 1-based display-list position.
  int FindNearestItemScreen(int px, int py, Tr3Item kind, double& Dist) const;
  // Rebuilds the display list and the scaling; call after adding items.
  // Raises EZOLRot3DError "Component "Name": insufficient memory" when the
  // working arrays cannot be allocated (the item list is unchanged).
  void MakeVisible();
  // The display list: number of points and the screen position of point k (1-based).
  int DisplayListSize() const { return static_cast<int>(FDisp.size()); }
  TPoint DisplayPointScreenPos(int k) const;
  // Cube coordinates of display point k (1-based; zeros outside).
  void DisplayPointCube(int k, int64_t& X, int64_t& Y, int64_t& Z) const;

  // ---- current drawing attributes (not published)
  TColor DataColor() const { return FDataColor; }
  void SetDataColor(TColor v) { FDataColor = v; }
  int32_t DataTag() const { return FDataTag; }
  void SetDataTag(int32_t v) { FDataTag = v; }
  int LineWidth() const { return FLineWidth; }
  void SetLineWidth(int v) { FLineWidth = v < 1 ? 1 : (v > 255 ? 255 : v); }

  // ---- properties
  int AllocSize() const { return FAllocSize; }
  void SetAllocSize(int v);  // 1..1 000 000
  double ViewAngleX() const { return FViewAngle[0]; }
  double ViewAngleY() const { return FViewAngle[1]; }
  double ViewAngleZ() const { return FViewAngle[2]; }
  void SetViewAngleX(double v) { SetViewAngles(v, FViewAngle[1], FViewAngle[2]); }
  void SetViewAngleY(double v) { SetViewAngles(FViewAngle[0], v, FViewAngle[2]); }
  void SetViewAngleZ(double v) { SetViewAngles(FViewAngle[0], FViewAngle[1], v); }
  void SetViewAngles(double AngleX, double AngleY, double AngleZ);
  bool MouseRot3Axes() const { return FMouseRot3Axes; }
  void SetMouseRot3Axes(bool v);
  void SetMagnification(double v);  // kept within 0.1..5
  int MagDivisor() const { return FMagDivisor; }
  bool AutoOrigin() const { return FAutoOrigin; }
  void SetAutoOrigin(bool v) { FAutoOrigin = v; }
  bool AutoScale() const { return FAutoScale; }
  void SetAutoScale(bool v) { FAutoScale = v; }
  bool IsoMetric() const { return FIsoMetric; }
  void SetIsoMetric(bool v) { FIsoMetric = v; }
  double OriginX() const { return FOrigin[0]; }
  double OriginY() const { return FOrigin[1]; }
  double OriginZ() const { return FOrigin[2]; }
  // Takes effect at the next MakeVisible (and only without AutoOrigin).
  void SetOrigins(double x, double y, double z);
  // Takes effect at the next MakeVisible (and only without AutoScale).
  void SetScaleFactors(double x, double y, double z);
  double GetScaleFactX() const { return FScaleFact[0]; }
  double GetScaleFactY() const { return FScaleFact[1]; }
  double GetScaleFactZ() const { return FScaleFact[2]; }
  // Edge length of the cube, 0..4000 (kept as half the edge).
  int GetBoundBoxSize() const { return 2 * FBoxHalf; }
  int BoundBoxSize() const { return GetBoundBoxSize(); }
  void SetBoundBoxSize(int v);
  int AxSize() const { return FAxSize; }
  void SetAxSize(int v);  // 0..4000
  TAxDir AxDir() const { return FAxDir; }
  void SetAxDir(TAxDir v);
  const std::string& AxNameX() const { return FAxName[0]; }
  const std::string& AxNameY() const { return FAxName[1]; }
  const std::string& AxNameZ() const { return FAxName[2]; }
  void SetAxNameX(const std::string& v);
  void SetAxNameY(const std::string& v);
  void SetAxNameZ(const std::string& v);
  // The control frame uses ColorScheme: csBWG white, silver, grey and black;
  // csSystem the platform's button highlight, 3D light, button shadow and 3D
  // dark shadow.
  bool ShowAxes() const { return FShowAxes; }
  void SetShowAxes(bool v);
  TColor ColorChart() const { return FColorChart; }
  void SetColorChart(TColor v);
  TFontStyles TextFontStyle() const { return FTextFontStyle; }
  void SetTextFontStyle(TFontStyles v);
  int TextMarkSize() const { return FTextMarkSize; }
  void SetTextMarkSize(int v);
  // Element (i, j) of the integer rotation matrix (1-based; 0 outside).
  int GetRotMat(int i, int j) const;
  // The palette colour of index k (0..31).
  TColor PaletteColor(int k) const { return (k >= 0 && k < 32) ? FPalette[k] : clBlack; }

  TRenderEvent OnBeforeRenderData;
  TRenderEvent OnDataRendered;

 protected:
  void Resize() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void ConstructDataBmp(TCanvas& c);
  std::string PrintTitle() const override { return "Rot3D"; }
  void PaintPicture(TCanvas& c) override;

 private:
  struct TDispPoint {
    int32_t X, Y, Z;      // cube units
    uint8_t Palette;      // palette index
    Tr3Item Kind;         // the item's kind
    uint8_t MarkOrWidth;  // mark code or line width
    bool Start;           // tkLine: the first of its two points (a move)
    bool Valid;           // all coordinates finite
    int32_t Item;         // index of the item
  };
  void AddItem(Tr3Item kind, double x, double y, double z, uint8_t markOrWidth);
  void CalcMatrix();
  void ProjectCube(int64_t X, int64_t Y, int64_t Z, int& sx, int& sy) const;
  int64_t Toward(int64_t X, int64_t Y, int64_t Z) const;
  void TakeStartState(int X, int Y) override;

  std::vector<Tr3ChartItem> FItems;
  int FCount = 0;
  int FAllocSize = 1000;
  std::vector<TDispPoint> FDisp;
  TColor FPalette[32] = {};
  TColor FDataColor = clBlack;
  int32_t FDataTag = 0;
  int FLineWidth = 1;

  double FViewAngle[3] = {110, 150, 210};
  bool FMouseRot3Axes = false;
  int FMagDivisor = 5000;
  bool FAutoOrigin = true, FAutoScale = true, FIsoMetric = false;
  double FOrigin[3] = {0, 0, 0};
  double FScaleFact[3] = {1, 1, 1};
  int FBoxHalf = 400;
  int FAxSize = 700;
  TAxDir FAxDir = adLeftHanded;
  std::string FAxName[3] = {"X", "Y", "Z"};
  bool FShowAxes = true;
  TColor FColorChart = clWhite;
  TFontStyles FTextFontStyle;
  int FTextMarkSize = 8;

  int FRot[3][3] = {};
  double FStartAngle[3] = {110, 150, 210};
};

using Tr3Item = TRot3D::Tr3Item;
using Tr3ChartItem = TRot3D::Tr3ChartItem;

}  // namespace zol
