// TPlot3D: a matrix of z values shown as a shaded surface over a regular x-y
// grid inside an optional bounding cube, with three labelled axes, colour
// coding by value, several mesh styles and mouse rotation, zoom and pan.
//
// Geometry.  Everything is placed in cube units: the cube spans −150..150 on
// each axis.  With c columns and r rows of GridMat, grid point (i, j) (1-based)
// lies at X = (i − c/2 − 0.5)·300/(c − 1), Y = (j − r/2 − 0.5)·300/(r − 1) and
// Z = kz·value + oz with kz = 300/(RangeZHigh − RangeZLow),
// oz = −150 − RangeZLow·kz.  A grid of a single column (row) puts it at X = 0
// (Y = 0); it has no cells, so nothing but the cube and the axes is drawn.
// The view is the rotation matrix R of the two angles (degrees; ax =
// ViewAngleX the elevation, az = ViewAngleZ the azimuth; elements below 1e-6
// in magnitude are 0):
//     row 1: cos az, −sin az, 0
//     row 2: cos ax·sin az, cos az·cos ax, −sin ax
//     row 3: sin ax·sin az, sin ax·cos az, cos ax
// screen x = (ScaleFactX·X·R11 + ScaleFactY·Y·R12 + ScaleFactZ·Z·R13)·
// Magnification + CentX, screen y likewise with row 2, both rounded.  Row 3
// points towards the viewer: the cells are drawn in the order of increasing
// row 3 (back to front), and the cube corner with the smallest row-3 value is
// the far corner whose three faces are drawn behind the data.
//
// Defined results for degenerate input:
//  - a range whose ends become equal (SetRange or a single-end setter) is
//    widened to low − 0.5 .. high + 0.5, so kz is always finite;
//  - non-finite range ends, scale factors and angles are ignored;
//  - a cell with a non-finite corner value is not drawn; the data extremes
//    take the finite values only (0 and 0 when there are none);
//  - CalcColorCoding with ColorScaleLow = ColorScaleHigh gives ColorLow, and a
//    value that is not a number counts as ColorScaleLow;
//  - CalcIntZ of a value that is not a number gives 0; results are limited to
//    ±1 000 000 000.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_graphics.h"
#include "math/Zol_matrix.h"

namespace zol {

class TMetafile;

class EZOLPlot3DError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TMeshKind { mkMesh, mkWaterfallHorz, mkWaterfallVert, mkWaterfallDiag, mkGrid };
enum TColorCodingMode { ccmTwoColors, ccmThreeColors };
enum TP3ScaleKind { p3skX, p3skY, p3skZ };

// In/out: CenterX, CenterY, RotXAngle, RotZAngle, Magnification.
using TMouseActionEvent = std::function<void(TObject* Sender, int& CenterX, int& CenterY, double& RotXAngle,
                                             double& RotZAngle, double& Magnification, TShiftState Shift)>;
// quad holds the screen positions of the corners (i, j), (i+1, j),
// (i+1, j+1), (i, j+1) of cell (CellX, CellY).  Setting Handled skips the
// plot's own drawing of the cell; color may be changed.
using TBeforeRenderPolygonEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, bool& Handled, int CellX, int CellY,
                       const std::array<TPoint, 4>& quad, TColor& color)>;
using Tp3BeforeDrawScaleLabelEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, TP3ScaleKind ScaleType, std::string& CurrentTickLabel,
                       int& ChartX, int& ChartY)>;
using TMouseMoveOverPlotEvent =
    std::function<void(TObject* Sender, bool OverPlot, TShiftState Shift, int MouseCellX, int MouseCellY)>;

// Helpers shared by the 3D views of this library.
namespace view3d {
// The rotation matrix of the elevation ax and azimuth az (degrees) as above.
void CalcRotMat(double ax, double az, double R[3][3]);
// The angle brought into 0..360 (360 itself stays); non-finite values give 0.
double NormAngle(double a);
// The colour between Low and High at fraction t (0..1), channel by channel, rounded.
TColor MixColor(TColor Low, TColor High, double t);
// The bounding cube.  Corner n (0..7) has bit 2 for x, bit 1 for y and bit 0
// for z (clear: negative side).  Pt are the projected corners, Toward the
// rotated row-3 values (larger = nearer the viewer), Half the half edge
// length in the units of Toward.
struct TCubeView {
  TPoint Pt[8];
  double Toward[8];
  double Half = 150;
  int FarCorner() const;  // the corner with the smallest Toward (first of equals)
  int NearCorner() const { return 7 - FarCorner(); }
};
// The three faces meeting at the far corner, filled (bbFaces) or clear
// (bbFrame) in a colour between FaceLow and FaceHigh by the face's depth
// (summed depth of its corners in half edges ×50, out of 200: a face turned
// straight away gets FaceHigh, one seen edge-on FaceLow), outlined in Frame,
// then the three edges from the far corner in HidLin.  Nothing for bbNone.
void DrawCubeBack(TCanvas& c, const TCubeView& v, TBoundingBox Style, TColor Frame, TColor HidLin,
                  TColor FaceLow, TColor FaceHigh);
// The three edges from the near corner in Frame (nothing for bbNone).
void DrawCubeFront(TCanvas& c, const TCubeView& v, TBoundingBox Style, TColor Frame);
}  // namespace view3d

// The export and print operations of the 3D views: each renders the whole
// picture (DrawOnForeignCanvas, at the control's size) into a bitmap file
// (PNG, JPEG or BMP by extension), a metafile file (SVG, or the recording
// format for ".zolmf"), the clipboard, a new printer document or the open
// printer page.  The printer forms scale the picture by ScaleF × printer
// resolution / 96 through a metafile, so lines and text stay vectors.
class TCustom3DView : public TCustomControl {
 public:
  explicit TCustom3DView(TComponent* AOwner) : TCustomControl(AOwner) {}
  // The whole picture on another canvas, at the control's size.
  void DrawOnForeignCanvas(TCanvas& Canvas);
  void CopyToBMP(const std::string& FileName);
  void CopyToWMF(const std::string& FileName);
  void CopyToClipboard();
  void CopyToClipboardWMF();
  // The picture recorded into mf (cleared first; its size becomes the control's).
  void CopyToMetafile(TMetafile& mf);
  // A new printer document holding the picture at ScaleF (1: the size on a 96 dpi screen).
  void PrintIt(double ScaleF = 1.0);
  // The picture on the current page of the open printer document at (X, Y).
  void CopyToOpenPrinter(int X, int Y, double ScaleF = 1.0);

  // The bounding cube (TBoundingBox: none, frame only, frame with shaded back faces).
  TBoundingBox BoundBoxStyle() const { return FBoundBoxStyle; }
  void SetBoundBoxStyle(TBoundingBox v);
  TColor ColorCubeFrame() const { return FColorCubeFrame; }
  TColor ColorCubeHidLin() const { return FColorCubeHidLin; }
  TColor ColorCubeFaceLow() const { return FColorCubeFaceLow; }
  TColor ColorCubeFaceHigh() const { return FColorCubeFaceHigh; }
  void SetColorCubeFrame(TColor v);
  void SetColorCubeHidLin(TColor v);
  void SetColorCubeFaceLow(TColor v);
  void SetColorCubeFaceHigh(TColor v);
  // The control frame: its style, the colour of fsSimple, and the scheme.
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v);
  TColor ColorFrame() const { return FColorFrame; }
  void SetColorFrame(TColor v);
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v);
  TMouseActMode MouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode v) { FMouseAction = v; }
  // Screen position of the centre of the view.
  int CentX() const { return FCentX; }
  int CentY() const { return FCentY; }
  void SetCentX(int v);
  void SetCentY(int v);
  // Magnification, kept within 0.1..5.
  double Magnification() const { return FMagnification; }

 protected:
  // The document title PrintIt uses when the printer has none.
  virtual std::string PrintTitle() const = 0;
  // Background, data and control frame on c.
  virtual void PaintPicture(TCanvas& c) = 0;
  // False while painting is suppressed.
  virtual bool CanPaint() const { return true; }
  void Paint() override;
  // Takes the drag start state, then fires the event.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Asks for a repaint after a change of a property.
  virtual void Redraw() { Invalidate(); }
  // Centre or magnification changed (before the repaint).
  virtual void GeometryChanged() {}
  // Stores the magnification clamped to 0.1..5; false when nothing changed.
  bool StoreMagnification(double v);
  // The drag start state: mouse position, centre, magnification.
  virtual void TakeStartState(int X, int Y);
  // maPan: the centre follows the mouse from the start state.
  void PanTo(int X, int Y);

  int FCentX = 0, FCentY = 0;
  double FMagnification = 1;
  int FStartX = 0, FStartY = 0, FStartCentX = 0, FStartCentY = 0;
  double FStartMag = 1;

  TBoundingBox FBoundBoxStyle = bbFaces;
  TColor FColorCubeFrame = RGB(64, 64, 64);
  TColor FColorCubeHidLin = RGB(176, 176, 176);
  TColor FColorCubeFaceLow = RGB(192, 192, 192);
  TColor FColorCubeFaceHigh = RGB(238, 238, 238);
  TFrameStyle FFrameStyle = fsLowered;
  TColor FColorFrame = clBlack;
  TColorScheme FColorScheme = csSystem;
  TMouseActMode FMouseAction = maRotate;
};

class TPlot3D : public TCustom3DView {
 public:
  using TRenderEvent = std::function<void(TObject* Sender, TCanvas& Canvas)>;

  explicit TPlot3D(TComponent* AOwner);
  ~TPlot3D() override;

  // The data: columns are the x grid points, rows the y grid points.  The
  // plot owns the matrix and listens to its OnChange (do not reassign it).
  // A matrix freed by the application is replaced by a new empty one.
  TMatrix* GridMat() const { return FGridMat; }

  // ---- ranges
  double RangeXLow() const { return FRange[0][0]; }
  double RangeXHigh() const { return FRange[0][1]; }
  double RangeYLow() const { return FRange[1][0]; }
  double RangeYHigh() const { return FRange[1][1]; }
  double RangeZLow() const { return FRange[2][0]; }
  double RangeZHigh() const { return FRange[2][1]; }
  void SetRange(double XLow, double XHigh, double YLow, double YHigh, double ZLow, double ZHigh);
  void SetRangeLowX(double v);
  void SetRangeHighX(double v);
  void SetRangeLowY(double v);
  void SetRangeHighY(double v);
  void SetRangeLowZ(double v);
  void SetRangeHighZ(double v);

  // ---- view
  double ViewAngleX() const { return FViewAngleX; }
  double ViewAngleZ() const { return FViewAngleZ; }
  void SetViewAngleX(double v) { SetViewAngles(v, FViewAngleZ); }
  void SetViewAngleZ(double v) { SetViewAngles(FViewAngleX, v); }
  void SetViewAngles(double AngleX, double AngleZ);
  void SetMagnify(double v);  // clamped to 0.1..5
  bool AutoCenter() const { return FAutoCenter; }
  void SetAutoCenter(bool v);
  double ScaleFactX() const { return FScaleFact[0]; }
  double ScaleFactY() const { return FScaleFact[1]; }
  double ScaleFactZ() const { return FScaleFact[2]; }
  void SetScaleFactX(double v);
  void SetScaleFactY(double v);
  void SetScaleFactZ(double v);

  // ---- axes
  int MinTickX() const { return FMinTick[0]; }
  int MinTickY() const { return FMinTick[1]; }
  int MinTickZ() const { return FMinTick[2]; }
  void SetMinTickX(int v);
  void SetMinTickY(int v);
  void SetMinTickZ(int v);
  int DecPlaceX() const { return FDecPlace[0]; }
  int DecPlaceY() const { return FDecPlace[1]; }
  int DecPlaceZ() const { return FDecPlace[2]; }
  void SetDecPlaceX(int v);
  void SetDecPlaceY(int v);
  void SetDecPlaceZ(int v);
  int LabDistX() const { return FLabDist[0]; }
  int LabDistY() const { return FLabDist[1]; }
  int LabDistZ() const { return FLabDist[2]; }
  void SetLabDistX(int v);
  void SetLabDistY(int v);
  void SetLabDistZ(int v);
  const std::string& CaptionX() const { return FCaption[0]; }
  const std::string& CaptionY() const { return FCaption[1]; }
  const std::string& CaptionZ() const { return FCaption[2]; }
  void SetCaptionX(const std::string& v);
  void SetCaptionY(const std::string& v);
  void SetCaptionZ(const std::string& v);
  bool VisibleXCoords() const { return FVisibleCoords[0]; }
  bool VisibleYCoords() const { return FVisibleCoords[1]; }
  bool VisibleZCoords() const { return FVisibleCoords[2]; }
  void SetVisibleXCoords(bool v);
  void SetVisibleYCoords(bool v);
  void SetVisibleZCoords(bool v);
  TColor ColorXCoords() const { return FColorCoords[0]; }
  TColor ColorYCoords() const { return FColorCoords[1]; }
  TColor ColorZCoords() const { return FColorCoords[2]; }
  void SetColorXCoords(TColor v);
  void SetColorYCoords(TColor v);
  void SetColorZCoords(TColor v);

  // ---- cube, mesh and colours
  TMeshKind MeshKind() const { return FMeshKind; }
  void SetMeshKind(TMeshKind v);
  bool MeshVisible() const { return FMeshVisible; }
  void SetMeshVisible(bool v);
  TColor ColorMesh() const { return FColorMesh; }
  void SetColorMesh(TColor v);
  TColorCodingMode ColorCodingMode() const { return FColorCodingMode; }
  void SetColorCodingMode(TColorCodingMode v);
  TColor ColorLow() const { return FColorLow; }
  TColor ColorMid() const { return FColorMid; }
  TColor ColorHigh() const { return FColorHigh; }
  void SetColorLow(TColor v);
  void SetColorMid(TColor v);
  void SetColorHigh(TColor v);
  double ColorScaleLow() const { return FColorScaleLow; }
  double ColorScaleHigh() const { return FColorScaleHigh; }
  void SetColorScaleLow(double v);
  void SetColorScaleHigh(double v);
  bool ColorCodeAvg() const { return FColorCodeAvg; }
  void SetColorCodeAvg(bool v);
  TColor ColorBakGnd() const { return FColorBakGnd; }
  void SetColorBakGnd(TColor v);
  // While set, nothing is painted; clearing it repaints.
  bool SuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool v);

  // ---- operations
  // ScaleFactX = max(c, r)/c, ScaleFactY = max(c, r)/r, ScaleFactZ =
  // (RangeZHigh − RangeZLow)/(data maximum − data minimum), or 1 when the
  // data are constant; repaints.
  void AutoScale();
  // Centre to the middle, scale factors 1, ViewAngleX 66, ViewAngleZ 135,
  // magnification 1; repaints.
  void Reset();
  // Empties the data: GridMat becomes one column and one row holding 0.
  void Clear();
  // Element (i, j) of R (1-based; 0 outside).
  double GetRotMat(int i, int j) const;
  // Projects the cube corners with the current view.
  void SetCubeCorners();
  TColor CalcColorCoding(double value) const;
  // kz·value + oz rounded (cube units).
  int CalcIntZ(double value) const;
  // Draws the axis k (p3skX, p3skY, p3skZ) along the cube edge from corner
  // FromCorner to corner ToCorner (low end to high end).
  void DrawAxis(TCanvas& Canvas, TP3ScaleKind Kind, int FromCorner, int ToCorner);
  // Text centred horizontally and vertically on (x, y).
  void DrawCenteredText(TCanvas& Canvas, const std::string& text, int x, int y);
  // Data extremes (finite values of GridMat).
  double DataMin() const { return FDataMin; }
  double DataMax() const { return FDataMax; }
  // Projection of a point in cube units (unrounded).
  void Project(double X, double Y, double Z, double& sx, double& sy) const;
  // Screen position of grid point (i, j) as last drawn (picking data; 0, 0 before).
  TPoint GridPointScreenPos(int i, int j) const;
  // The cell under the screen point (the front-most one); false when none.
  bool CellAtPos(int x, int y, int& CellX, int& CellY) const;

  // ---- events
  TRenderEvent OnDataRendered;
  TMouseActionEvent OnMouseAction;
  TBeforeRenderPolygonEvent OnBeforeRenderPolygon;
  Tp3BeforeDrawScaleLabelEvent OnBeforeDrawScaleLabel;
  TMouseMoveOverPlotEvent OnMouseMoveOverPlot;
  TZoomPanEvent OnZoomPan;

 protected:
  void Resize() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void ConstructDataBmp(TCanvas& c);
  std::string PrintTitle() const override { return "Plot3D"; }
  void PaintPicture(TCanvas& c) override;
  bool CanPaint() const override { return !FSuppressPaint; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void GridChanged();
  void ResizePick();
  void CreateGridMat();
  void CalcZScaling();
  void CalcMatrix();
  void Redraw() override;
  void GeometryChanged() override { SetCubeCorners(); }
  void SetRangePair(int axis, double lo, double hi);
  void TakeStartState(int X, int Y) override;
  void ApplyMouseAction(int cx, int cy, double ax, double az, double mag, TShiftState Shift, bool rotating);
  double GridX(int i) const;
  double GridY(int j) const;
  std::string TickLabel(int axis, double v) const;

  TMatrix* FGridMat = nullptr;
  double FRange[3][2] = {{-1, 1}, {-1, 1}, {-1, 1}};
  double FViewAngleX = 60, FViewAngleZ = 15;
  bool FAutoCenter = true;
  double FScaleFact[3] = {1, 1, 1};
  int FMinTick[3] = {3, 3, 3};
  int FDecPlace[3] = {1, 1, 2};
  int FLabDist[3] = {40, 40, 20};
  std::string FCaption[3] = {"X", "Y", "Z"};
  bool FVisibleCoords[3] = {true, true, true};
  TColor FColorCoords[3] = {clRed, clBlue, clBlack};
  TMeshKind FMeshKind = mkMesh;
  bool FMeshVisible = true;
  TColor FColorMesh = clBlack;
  TColorCodingMode FColorCodingMode = ccmTwoColors;
  TColor FColorLow = clBlack, FColorMid = clBlue, FColorHigh = clYellow;
  double FColorScaleLow = 0, FColorScaleHigh = 100;
  bool FColorCodeAvg = false;
  TColor FColorBakGnd = clWhite;
  bool FSuppressPaint = false;

  double FRot[3][3] = {};
  view3d::TCubeView FCube;
  double FKz = 150, FOz = 0;
  double FDataMin = 0, FDataMax = 0;
  // Picking data per grid point (column-major, c × r): screen x, screen y and
  // the drawing order of the cell whose first corner it is (0: not drawn).
  std::vector<int> FPickX, FPickY, FPickOrder;
  int FPickCols = 0, FPickRows = 0;
  // Drag start state (besides the one of TCustom3DView).
  double FStartAX = 60, FStartAZ = 15;
  double FAngleLimLow[2] = {0, 0}, FAngleLimHigh[2] = {360, 360};
};

}  // namespace zol
