// TPlot3D: 3D surface plot, and the helpers shared by the 3D views.
#include "chart/Zol_plot3d.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Zol_stringl.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "math/Zol_math1.h"

namespace zol {

namespace {
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

// Screen coordinates are limited to ±2^29, so that sums and differences of
// two of them stay within int; NaN gives 0.
constexpr double kPixLimit = 536870912.0;
int RoundToInt(double v) {
  if (!(v == v)) return 0;
  return static_cast<int>(std::lround(std::clamp(v, -kPixLimit, kPixLimit)));
}
}  // namespace

// ================================================================ view3d helpers
namespace view3d {

void CalcRotMat(double ax, double az, double R[3][3]) {
  const double a = ax * kDegToRad, z = az * kDegToRad;
  const double sa = std::sin(a), ca = std::cos(a), sz = std::sin(z), cz = std::cos(z);
  R[0][0] = cz;       R[0][1] = -sz;      R[0][2] = 0;
  R[1][0] = ca * sz;  R[1][1] = cz * ca;  R[1][2] = -sa;
  R[2][0] = sa * sz;  R[2][1] = sa * cz;  R[2][2] = ca;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (std::fabs(R[i][j]) < 1e-6) R[i][j] = 0;
}

double NormAngle(double a) {
  if (!std::isfinite(a)) return 0;
  if (a >= 0 && a <= 360) return a;
  double r = std::fmod(a, 360.0);
  if (r < 0) r += 360.0;
  return r;
}

TColor MixColor(TColor Low, TColor High, double t) {
  if (!(t == t)) t = 0;
  t = std::clamp(t, 0.0, 1.0);
  const TColor lo = ColorToRGB(Low), hi = ColorToRGB(High);
  auto ch = [t](int a, int b) { return static_cast<int>(std::lround(a + t * (b - a))); };
  return RGB(ch(GetRValue(lo), GetRValue(hi)), ch(GetGValue(lo), GetGValue(hi)), ch(GetBValue(lo), GetBValue(hi)));
}

int TCubeView::FarCorner() const {
  int best = 0;
  for (int n = 1; n < 8; ++n)
    if (Toward[n] < Toward[best]) best = n;
  return best;
}

void DrawCubeBack(TCanvas& c, const TCubeView& v, TBoundingBox Style, TColor Frame, TColor HidLin,
                  TColor FaceLow, TColor FaceHigh) {
  if (Style == bbNone) return;
  const int f = v.FarCorner();
  const int bits[3] = {4, 2, 1};
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmCopy);
  c.Pen().SetColor(Frame);
  for (int k = 0; k < 3; ++k) {
    const int b1 = bits[(k + 1) % 3], b2 = bits[(k + 2) % 3];
    const int n[4] = {f, f ^ b1, f ^ b1 ^ b2, f ^ b2};
    double depth = 0;  // away from the viewer, in half edges
    for (int q : n) depth -= v.Toward[q] / (v.Half > 0 ? v.Half : 1);
    const double t = depth * 50.0 / 200.0;
    if (Style == bbFaces) {
      c.Brush().SetStyle(bsSolid);
      c.Brush().SetColor(MixColor(FaceLow, FaceHigh, t));
    } else {
      c.Brush().SetStyle(bsClear);
    }
    const TPoint pts[4] = {v.Pt[n[0]], v.Pt[n[1]], v.Pt[n[2]], v.Pt[n[3]]};
    c.Polygon(pts, 4);
  }
  c.Pen().SetColor(HidLin);
  for (int b : bits) {
    c.MoveTo(v.Pt[f].X, v.Pt[f].Y);
    c.LineTo(v.Pt[f ^ b].X, v.Pt[f ^ b].Y);
  }
}

void DrawCubeFront(TCanvas& c, const TCubeView& v, TBoundingBox Style, TColor Frame) {
  if (Style == bbNone) return;
  const int nc = v.NearCorner();
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmCopy);
  c.Pen().SetColor(Frame);
  for (int b : {4, 2, 1}) {
    c.MoveTo(v.Pt[nc].X, v.Pt[nc].Y);
    c.LineTo(v.Pt[nc ^ b].X, v.Pt[nc ^ b].Y);
  }
}

}  // namespace view3d

// ================================================================ TCustom3DView
void TCustom3DView::CopyToBMP(const std::string& FileName) {
  TBitmap bmp(std::max(Width(), 1), std::max(Height(), 1));
  DrawOnForeignCanvas(bmp.Canvas());
  bmp.SaveToFile(FileName);
}

void TCustom3DView::CopyToMetafile(TMetafile& mf) {
  mf.Clear();
  mf.SetSize(std::max(Width(), 1), std::max(Height(), 1));
  TMetafileCanvas mc(mf);
  DrawOnForeignCanvas(mc);
}

void TCustom3DView::CopyToWMF(const std::string& FileName) {
  TMetafile mf;
  CopyToMetafile(mf);
  mf.SaveToFile(FileName);
}

void TCustom3DView::CopyToClipboard() {
  TBitmap bmp(std::max(Width(), 1), std::max(Height(), 1));
  DrawOnForeignCanvas(bmp.Canvas());
  Clipboard().Assign(bmp);
}

void TCustom3DView::CopyToClipboardWMF() {
  TMetafile mf;
  CopyToMetafile(mf);
  Clipboard().Assign(mf);
}

void TCustom3DView::CopyToOpenPrinter(int X, int Y, double ScaleF) {
  if (!std::isfinite(ScaleF) || ScaleF <= 0) ScaleF = 1;
  TMetafile mf;
  CopyToMetafile(mf);
  TPrinter& prn = Printer();
  const double s = ScaleF * prn.PixelsPerInch() / 96.0;
  const int w = std::max(1, RoundToInt(mf.Width() * s)), h = std::max(1, RoundToInt(mf.Height() * s));
  prn.Canvas().StretchDraw(Bounds(X, Y, w, h), mf);
}

void TCustom3DView::PrintIt(double ScaleF) {
  TPrinter& prn = Printer();
  if (prn.Title().empty()) prn.SetTitle(PrintTitle());
  prn.BeginDoc();
  try {
    CopyToOpenPrinter(0, 0, ScaleF);
  } catch (...) {
    prn.Abort();
    throw;
  }
  prn.EndDoc();
}

// Plain setters: store, repaint.
#define ZOL_VIEW_SETTER(Class, Name, Type, Field) \
  void Class::Name(Type v) {                      \
    if (v == Field) return;                       \
    Field = v;                                    \
    Redraw();                                     \
  }
#define ZOL_3D_SETTER(Name, Type, Field) ZOL_VIEW_SETTER(TCustom3DView, Name, Type, Field)
ZOL_3D_SETTER(SetBoundBoxStyle, TBoundingBox, FBoundBoxStyle)
ZOL_3D_SETTER(SetColorCubeFrame, TColor, FColorCubeFrame)
ZOL_3D_SETTER(SetColorCubeHidLin, TColor, FColorCubeHidLin)
ZOL_3D_SETTER(SetColorCubeFaceLow, TColor, FColorCubeFaceLow)
ZOL_3D_SETTER(SetColorCubeFaceHigh, TColor, FColorCubeFaceHigh)
ZOL_3D_SETTER(SetFrameStyle, TFrameStyle, FFrameStyle)
ZOL_3D_SETTER(SetColorFrame, TColor, FColorFrame)
ZOL_3D_SETTER(SetColorScheme, TColorScheme, FColorScheme)
#undef ZOL_3D_SETTER

void TCustom3DView::SetCentX(int v) {
  if (v == FCentX) return;
  FCentX = v;
  GeometryChanged();
  Redraw();
}

void TCustom3DView::SetCentY(int v) {
  if (v == FCentY) return;
  FCentY = v;
  GeometryChanged();
  Redraw();
}

bool TCustom3DView::StoreMagnification(double v) {
  if (!(v == v)) return false;
  v = std::clamp(v, 0.1, 5.0);
  if (v == FMagnification) return false;
  FMagnification = v;
  return true;
}

void TCustom3DView::Paint() {
  if (!Visible() || !CanPaint()) return;
  PaintPicture(Canvas());
}

void TCustom3DView::DrawOnForeignCanvas(TCanvas& Canvas) {
  Canvas.Font().Assign(Font());
  PaintPicture(Canvas);
}

void TCustom3DView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TakeStartState(X, Y);
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustom3DView::TakeStartState(int X, int Y) {
  FStartX = X;
  FStartY = Y;
  FStartCentX = FCentX;
  FStartCentY = FCentY;
  FStartMag = FMagnification;
}

void TCustom3DView::PanTo(int X, int Y) {
  FCentX = FStartCentX + (X - FStartX);
  FCentY = FStartCentY + (Y - FStartY);
  GeometryChanged();
  Redraw();
}

// ================================================================ TPlot3D
TPlot3D::TPlot3D(TComponent* AOwner) : TCustom3DView(AOwner) {
  FColorCubeFaceHigh = RGB(238, 239, 254);
  CreateGridMat();
  SetBounds(0, 0, 650, 500);
  FCentX = Width() / 2;
  FCentY = Height() / 2;
  CalcMatrix();
  CalcZScaling();
  GridChanged();
}

TPlot3D::~TPlot3D() {
  if (FGridMat) FGridMat->OnChange = nullptr;
}

void TPlot3D::CreateGridMat() {
  FGridMat = new TMatrix(this);
  FGridMat->OnChange = [this](TObject*) { GridChanged(); };
}

void TPlot3D::Notification(TComponent* AComponent, TOperation Operation) {
  TCustom3DView::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != FGridMat || !FGridMat) return;
  FGridMat = nullptr;
  if (IsDestroying()) return;
  CreateGridMat();
  GridChanged();
}

void TPlot3D::Redraw() {
  if (!FSuppressPaint) Invalidate();
}

void TPlot3D::ResizePick() {
  FPickCols = FGridMat->NrOfColumns();
  FPickRows = FGridMat->NrOfRows();
  const size_t n = static_cast<size_t>(std::max(FPickCols, 0)) * static_cast<size_t>(std::max(FPickRows, 0));
  FPickX.assign(n, 0);
  FPickY.assign(n, 0);
  FPickOrder.assign(n, 0);
}

void TPlot3D::GridChanged() {
  ResizePick();
  bool any = false;
  double lo = 0, hi = 0;
  for (int c = 1; c <= FPickCols; ++c) {
    const double* col = FGridMat->ColumnData(c);
    for (int r = 0; r < FPickRows; ++r) {
      const double v = col[r];
      if (!std::isfinite(v)) continue;
      if (!any) {
        lo = hi = v;
        any = true;
      } else {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
    }
  }
  FDataMin = lo;
  FDataMax = hi;
  Redraw();
}

void TPlot3D::CalcZScaling() {
  FKz = 300.0 / (FRange[2][1] - FRange[2][0]);
  FOz = -150.0 - FRange[2][0] * FKz;
}

void TPlot3D::CalcMatrix() {
  view3d::CalcRotMat(FViewAngleX, FViewAngleZ, FRot);
  SetCubeCorners();
}

void TPlot3D::Project(double X, double Y, double Z, double& sx, double& sy) const {
  const double x = FScaleFact[0] * X, y = FScaleFact[1] * Y, z = FScaleFact[2] * Z;
  sx = (x * FRot[0][0] + y * FRot[0][1] + z * FRot[0][2]) * FMagnification + FCentX;
  sy = (x * FRot[1][0] + y * FRot[1][1] + z * FRot[1][2]) * FMagnification + FCentY;
}

void TPlot3D::SetCubeCorners() {
  for (int n = 0; n < 8; ++n) {
    const double X = (n & 4) ? 150 : -150, Y = (n & 2) ? 150 : -150, Z = (n & 1) ? 150 : -150;
    double sx, sy;
    Project(X, Y, Z, sx, sy);
    FCube.Pt[n] = Point(RoundToInt(sx), RoundToInt(sy));
    const double x = FScaleFact[0] * X, y = FScaleFact[1] * Y, z = FScaleFact[2] * Z;
    FCube.Toward[n] = x * FRot[2][0] + y * FRot[2][1] + z * FRot[2][2];
  }
  FCube.Half = 150;
}

double TPlot3D::GetRotMat(int i, int j) const {
  if (i < 1 || i > 3 || j < 1 || j > 3) return 0;
  return FRot[i - 1][j - 1];
}

// ---------------------------------------------------------------- ranges
void TPlot3D::SetRangePair(int axis, double lo, double hi) {
  if (!std::isfinite(lo) || !std::isfinite(hi)) return;
  if (lo == hi) {
    lo -= 0.5;
    hi += 0.5;
  }
  if (FRange[axis][0] == lo && FRange[axis][1] == hi) return;
  FRange[axis][0] = lo;
  FRange[axis][1] = hi;
  if (axis == 2) CalcZScaling();
  Redraw();
}

void TPlot3D::SetRange(double XLow, double XHigh, double YLow, double YHigh, double ZLow, double ZHigh) {
  SetRangePair(0, XLow, XHigh);
  SetRangePair(1, YLow, YHigh);
  SetRangePair(2, ZLow, ZHigh);
}
void TPlot3D::SetRangeLowX(double v) { SetRangePair(0, v, FRange[0][1]); }
void TPlot3D::SetRangeHighX(double v) { SetRangePair(0, FRange[0][0], v); }
void TPlot3D::SetRangeLowY(double v) { SetRangePair(1, v, FRange[1][1]); }
void TPlot3D::SetRangeHighY(double v) { SetRangePair(1, FRange[1][0], v); }
void TPlot3D::SetRangeLowZ(double v) { SetRangePair(2, v, FRange[2][1]); }
void TPlot3D::SetRangeHighZ(double v) { SetRangePair(2, FRange[2][0], v); }

// ---------------------------------------------------------------- view
void TPlot3D::SetViewAngles(double AngleX, double AngleZ) {
  if (!std::isfinite(AngleX) || !std::isfinite(AngleZ)) return;
  AngleX = view3d::NormAngle(AngleX);
  AngleZ = view3d::NormAngle(AngleZ);
  if (AngleX == FViewAngleX && AngleZ == FViewAngleZ) return;
  FViewAngleX = AngleX;
  FViewAngleZ = AngleZ;
  CalcMatrix();
  Redraw();
}

void TPlot3D::SetMagnify(double v) {
  if (!StoreMagnification(v)) return;
  SetCubeCorners();
  Redraw();
}

void TPlot3D::SetAutoCenter(bool v) {
  if (v == FAutoCenter) return;
  FAutoCenter = v;
  if (v) {
    FCentX = Width() / 2;
    FCentY = Height() / 2;
    SetCubeCorners();
    Redraw();
  }
}

void TPlot3D::Resize() {
  if (FAutoCenter) {
    FCentX = Width() / 2;
    FCentY = Height() / 2;
    SetCubeCorners();
  }
  TCustom3DView::Resize();
}

#define ZOL_P3_SCALE_SETTER(Name, idx)   \
  void TPlot3D::Name(double v) {         \
    if (!std::isfinite(v)) return;       \
    if (v == FScaleFact[idx]) return;    \
    FScaleFact[idx] = v;                 \
    SetCubeCorners();                    \
    Redraw();                            \
  }
ZOL_P3_SCALE_SETTER(SetScaleFactX, 0)
ZOL_P3_SCALE_SETTER(SetScaleFactY, 1)
ZOL_P3_SCALE_SETTER(SetScaleFactZ, 2)
#undef ZOL_P3_SCALE_SETTER

#define ZOL_P3_SETTER(Name, Type, Field) ZOL_VIEW_SETTER(TPlot3D, Name, Type, Field)
ZOL_P3_SETTER(SetMinTickX, int, FMinTick[0])
ZOL_P3_SETTER(SetMinTickY, int, FMinTick[1])
ZOL_P3_SETTER(SetMinTickZ, int, FMinTick[2])
ZOL_P3_SETTER(SetLabDistX, int, FLabDist[0])
ZOL_P3_SETTER(SetLabDistY, int, FLabDist[1])
ZOL_P3_SETTER(SetLabDistZ, int, FLabDist[2])
ZOL_P3_SETTER(SetCaptionX, const std::string&, FCaption[0])
ZOL_P3_SETTER(SetCaptionY, const std::string&, FCaption[1])
ZOL_P3_SETTER(SetCaptionZ, const std::string&, FCaption[2])
ZOL_P3_SETTER(SetVisibleXCoords, bool, FVisibleCoords[0])
ZOL_P3_SETTER(SetVisibleYCoords, bool, FVisibleCoords[1])
ZOL_P3_SETTER(SetVisibleZCoords, bool, FVisibleCoords[2])
ZOL_P3_SETTER(SetColorXCoords, TColor, FColorCoords[0])
ZOL_P3_SETTER(SetColorYCoords, TColor, FColorCoords[1])
ZOL_P3_SETTER(SetColorZCoords, TColor, FColorCoords[2])
ZOL_P3_SETTER(SetMeshKind, TMeshKind, FMeshKind)
ZOL_P3_SETTER(SetMeshVisible, bool, FMeshVisible)
ZOL_P3_SETTER(SetColorMesh, TColor, FColorMesh)
ZOL_P3_SETTER(SetColorCodingMode, TColorCodingMode, FColorCodingMode)
ZOL_P3_SETTER(SetColorLow, TColor, FColorLow)
ZOL_P3_SETTER(SetColorMid, TColor, FColorMid)
ZOL_P3_SETTER(SetColorHigh, TColor, FColorHigh)
ZOL_P3_SETTER(SetColorCodeAvg, bool, FColorCodeAvg)
ZOL_P3_SETTER(SetColorBakGnd, TColor, FColorBakGnd)
#undef ZOL_P3_SETTER
#undef ZOL_VIEW_SETTER

void TPlot3D::SetDecPlaceX(int v) {
  v = std::clamp(v, -2, 12);
  if (v == FDecPlace[0]) return;
  FDecPlace[0] = v;
  Redraw();
}
void TPlot3D::SetDecPlaceY(int v) {
  v = std::clamp(v, -2, 12);
  if (v == FDecPlace[1]) return;
  FDecPlace[1] = v;
  Redraw();
}
void TPlot3D::SetDecPlaceZ(int v) {
  v = std::clamp(v, -2, 12);
  if (v == FDecPlace[2]) return;
  FDecPlace[2] = v;
  Redraw();
}

void TPlot3D::SetColorScaleLow(double v) {
  if (!std::isfinite(v) || v == FColorScaleLow) return;
  FColorScaleLow = v;
  Redraw();
}

void TPlot3D::SetColorScaleHigh(double v) {
  if (!std::isfinite(v) || v == FColorScaleHigh) return;
  FColorScaleHigh = v;
  Redraw();
}

void TPlot3D::SetSuppressPaint(bool v) {
  if (v == FSuppressPaint) return;
  FSuppressPaint = v;
  if (!v) Invalidate();
}

// ---------------------------------------------------------------- operations
void TPlot3D::AutoScale() {
  const int c = std::max(FGridMat->NrOfColumns(), 1), r = std::max(FGridMat->NrOfRows(), 1);
  const double m = std::max(c, r);
  FScaleFact[0] = m / c;
  FScaleFact[1] = m / r;
  const double span = FDataMax - FDataMin;
  FScaleFact[2] = (span > 0 && std::isfinite(span)) ? (FRange[2][1] - FRange[2][0]) / span : 1.0;
  if (!std::isfinite(FScaleFact[2]) || FScaleFact[2] == 0) FScaleFact[2] = 1;
  SetCubeCorners();
  Redraw();
}

void TPlot3D::Reset() {
  FCentX = Width() / 2;
  FCentY = Height() / 2;
  FScaleFact[0] = FScaleFact[1] = FScaleFact[2] = 1;
  FViewAngleX = 66;
  FViewAngleZ = 135;
  FMagnification = 1;
  CalcMatrix();
  Redraw();
}

void TPlot3D::Clear() {
  FGridMat->Resize(1, 1);
  FGridMat->SetVal(1, 1, 0);
  FGridMat->Changed();
}

TColor TPlot3D::CalcColorCoding(double value) const {
  const double lo = FColorScaleLow, hi = FColorScaleHigh;
  double f = 0;
  if (hi != lo) {
    double v = (value == value) ? value : lo;
    v = std::clamp(v, std::min(lo, hi), std::max(lo, hi));
    f = (v - lo) / (hi - lo);
  }
  if (FColorCodingMode == ccmTwoColors) return view3d::MixColor(FColorLow, FColorHigh, f);
  if (f < 0.5) return view3d::MixColor(FColorLow, FColorMid, 2 * f);
  return view3d::MixColor(FColorMid, FColorHigh, 2 * (f - 0.5));
}

int TPlot3D::CalcIntZ(double value) const {
  if (!(value == value)) return 0;
  const double z = FKz * value + FOz;
  if (z > 1e9) return 1000000000;
  if (z < -1e9) return -1000000000;
  return static_cast<int>(std::lround(z));
}

double TPlot3D::GridX(int i) const {
  const int c = FGridMat->NrOfColumns();
  return c > 1 ? (i - c / 2.0 - 0.5) * 300.0 / (c - 1) : 0.0;
}

double TPlot3D::GridY(int j) const {
  const int r = FGridMat->NrOfRows();
  return r > 1 ? (j - r / 2.0 - 0.5) * 300.0 / (r - 1) : 0.0;
}

TPoint TPlot3D::GridPointScreenPos(int i, int j) const {
  if (i < 1 || j < 1 || i > FPickCols || j > FPickRows) return Point(0, 0);
  const size_t k = static_cast<size_t>(i - 1) * FPickRows + (j - 1);
  return Point(FPickX[k], FPickY[k]);
}

// ---------------------------------------------------------------- painting
void TPlot3D::PaintPicture(TCanvas& c) {
  const int w = Width(), h = Height();
  c.Pen().SetMode(pmCopy);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorBakGnd);
  c.FillRect(Rect(0, 0, w, h));
  if (IsDesigning()) {
    const TColor bg = ColorToRGB(FColorBakGnd);
    const int r = GetRValue(bg), g = GetGValue(bg), b = GetBValue(bg);
    c.Font().SetColor(r * r + g * g + b * b > 50000 ? clBlack : clWhite);
    c.Brush().SetStyle(bsClear);
    c.TextOut(10, 10, "Plot3D");
  } else {
    ConstructDataBmp(c);
  }
  DrawFrame(c, FFrameStyle, 0, 0, w - 1, h - 1, clWhite, clSilver, clGray, clBlack, FColorFrame);
}

void TPlot3D::ConstructDataBmp(TCanvas& c) {
  SetCubeCorners();
  // 1.-2. far corner and the back of the cube
  view3d::DrawCubeBack(c, FCube, FBoundBoxStyle, FColorCubeFrame, FColorCubeHidLin, FColorCubeFaceLow,
                       FColorCubeFaceHigh);

  // 3. the cells, back to front
  const int nc = FGridMat->NrOfColumns(), nr = FGridMat->NrOfRows();
  if (nc != FPickCols || nr != FPickRows) ResizePick();
  std::fill(FPickOrder.begin(), FPickOrder.end(), 0);
  for (int i = 1; i <= nc; ++i)
    for (int j = 1; j <= nr; ++j) {
      double sx, sy;
      const double v = FGridMat->GetVal(i, j);
      const double Z = std::isfinite(v) ? FKz * v + FOz : 0.0;
      Project(GridX(i), GridY(j), Z, sx, sy);
      const size_t k = static_cast<size_t>(i - 1) * nr + (j - 1);
      FPickX[k] = RoundToInt(sx);
      FPickY[k] = RoundToInt(sy);
    }
  const bool elevBelow = FViewAngleX > 180;
  const bool rowsForward = elevBelow != (FViewAngleZ < 90 || FViewAngleZ > 270);
  const bool colsForward = elevBelow == (FViewAngleZ > 180);
  int order = 0;
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmCopy);
  c.Brush().SetStyle(bsSolid);
  for (int rr = 0; rr < nr - 1; ++rr) {
    const int j = rowsForward ? rr + 1 : nr - 1 - rr;
    for (int cc = 0; cc < nc - 1; ++cc) {
      const int i = colsForward ? cc + 1 : nc - 1 - cc;
      const double v[4] = {FGridMat->GetVal(i, j), FGridMat->GetVal(i + 1, j), FGridMat->GetVal(i + 1, j + 1),
                           FGridMat->GetVal(i, j + 1)};
      if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2]) || !std::isfinite(v[3])) continue;
      auto at = [&](int ci, int cj) {
        const size_t k = static_cast<size_t>(ci - 1) * nr + (cj - 1);
        return Point(FPickX[k], FPickY[k]);
      };
      const std::array<TPoint, 4> quad = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
      FPickOrder[static_cast<size_t>(i - 1) * nr + (j - 1)] = ++order;
      const double cellv =
          FColorCodeAvg ? (v[0] + v[1] + v[2] + v[3]) / 4.0 : std::max(std::max(v[0], v[1]), std::max(v[2], v[3]));
      TColor color = CalcColorCoding(cellv);
      bool handled = false;
      if (OnBeforeRenderPolygon) {
        auto h = OnBeforeRenderPolygon;
        h(this, c, handled, i, j, quad, color);
        c.Pen().SetStyle(psSolid);
        c.Pen().SetWidth(1);
        c.Pen().SetMode(pmCopy);
        c.Brush().SetStyle(bsSolid);
      }
      if (handled) continue;
      const TColor meshPen = FMeshVisible ? FColorMesh : color;
      c.Brush().SetColor(color);
      auto line = [&c](const TPoint& a, const TPoint& b) {
        c.MoveTo(a.X, a.Y);
        c.LineTo(b.X, b.Y);
      };
      // The cell: outlined in the mesh colour (mkMesh) or in its own colour,
      // then the mesh lines or corner pixels of the other kinds.
      c.Pen().SetColor(FMeshKind == mkMesh ? meshPen : color);
      c.Polygon(quad.data(), 4);
      c.Pen().SetColor(meshPen);
      switch (FMeshKind) {
        case mkMesh:
          break;
        case mkWaterfallHorz:
          line(quad[0], quad[3]);
          line(quad[2], quad[1]);
          break;
        case mkWaterfallVert:
          line(quad[0], quad[1]);
          line(quad[2], quad[3]);
          break;
        case mkWaterfallDiag:
          line(quad[0], quad[2]);
          break;
        case mkGrid:
          for (const TPoint& p : quad) c.SetPixel(p.X, p.Y, meshPen);
          break;
      }
    }
  }

  // 4. the front edges of the cube
  view3d::DrawCubeFront(c, FCube, FBoundBoxStyle, FColorCubeFrame);

  // 5. the axes along edges chosen from the far corner
  const int f = FCube.FarCorner();
  // x and y along the bottom edges on the viewer's side, z on the side edge
  // (neither the far nor the near one) that lies further right, so that its
  // ticks and labels point away from the cube.
  const int nx = (~f) & 4, ny = (~f) & 2, fx = f & 4, fy = f & 2;
  const int zEdge = FCube.Pt[nx | fy].X >= FCube.Pt[fx | ny].X ? (nx | fy) : (fx | ny);
  if (FVisibleCoords[0]) DrawAxis(c, p3skX, ny, 4 | ny);
  if (FVisibleCoords[1]) DrawAxis(c, p3skY, nx, nx | 2);
  if (FVisibleCoords[2]) DrawAxis(c, p3skZ, zEdge, zEdge | 1);

  // 6.
  if (OnDataRendered) {
    auto h = OnDataRendered;
    h(this, c);
  }
}

std::string TPlot3D::TickLabel(int axis, double v) const {
  const double lo = FRange[axis][0], hi = FRange[axis][1];
  const double span = std::fabs(hi - lo);
  int dec = FDecPlace[axis];
  if (dec == -2) {
    if (span >= 1e6 || span <= 1e-4)
      dec = -1;
    else if (span >= 100)
      dec = 0;
    else
      dec = 2 - static_cast<int>(std::lround(std::log(span) / 2.5));
  }
  if (span > 0 && std::fabs(v / span) < 1e-14) {
    if (span > 100000) return dec == 0 ? "0" : "0.0";
    v = 0;
  }
  std::string s = dec < 0 ? strff(v, 10, -2) : strff(v, 1, std::min(dec, 12));
  s = Trim(s);
  if (s.size() > 14) s.resize(14);
  return s;
}

void TPlot3D::DrawCenteredText(TCanvas& Canvas, const std::string& text, int x, int y) {
  const TSize e = Canvas.TextExtent(text);
  Canvas.TextOut(x - e.cx / 2, y - e.cy / 2, text);
}

void TPlot3D::DrawAxis(TCanvas& Canvas, TP3ScaleKind Kind, int FromCorner, int ToCorner) {
  TCanvas& c = Canvas;
  const int axis = static_cast<int>(Kind);
  FromCorner &= 7;
  ToCorner &= 7;
  SetCanvasFontSizeScaled(c, 8);
  const TColor col = FColorCoords[axis];
  c.Pen().SetColor(col);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmCopy);
  c.Font().SetColor(col);
  c.Brush().SetStyle(bsClear);
  const TPoint a = FCube.Pt[FromCorner], b = FCube.Pt[ToCorner];
  c.MoveTo(a.X, a.Y);
  c.LineTo(b.X, b.Y);

  const double lo = FRange[axis][0], hi = FRange[axis][1];
  long double first = 0, dist = 0;
  uint16_t nsub = 1;
  CalcScalePars(FMinTick[axis], lo, hi, first, dist, nsub);
  const bool below = FViewAngleX > 90 && FViewAngleX < 270;
  const int tdy = below ? -8 : 8;
  // Labels of the x and y axes are moved sideways, away from the cube's
  // centre, by up to half their width.
  const double mx = (a.X + b.X) / 2.0 - FCentX, my = (a.Y + b.Y) / 2.0 - FCentY;
  const double mlen = std::hypot(mx, my);
  const double side = mlen > 0 ? mx / mlen : 0.0;
  const double span = hi - lo;
  const double tol = std::fabs(span) * 1e-9;
  int count = 0;
  for (long double t = first; dist != 0 && count < 500; t += dist, ++count) {
    const double v = static_cast<double>(t);
    if ((span > 0 && (v < lo - tol || v > hi + tol)) || (span < 0 && (v > lo + tol || v < hi - tol))) break;
    const double p = (v - lo) / span;
    const int x = RoundToInt(a.X + p * (b.X - a.X)), y = RoundToInt(a.Y + p * (b.Y - a.Y));
    std::string lab = TickLabel(axis, v);
    const TSize e = c.TextExtent(lab);
    int lx, ly;
    c.MoveTo(x, y);
    if (Kind == p3skZ) {
      c.LineTo(x + 8, y);
      lx = x + 10 + e.cx / 2;
      ly = y;
    } else {
      c.LineTo(x, y + tdy);
      lx = x + RoundToInt(e.cx / 2.0 * side);
      ly = y + tdy + (below ? -(e.cy / 2 + 1) : e.cy / 2 + 1);
    }
    if (OnBeforeDrawScaleLabel) {
      auto h = OnBeforeDrawScaleLabel;
      h(this, c, Kind, lab, lx, ly);
      c.Font().SetColor(col);
      c.Brush().SetStyle(bsClear);
    }
    DrawCenteredText(c, lab, lx, ly);
  }
  // caption
  const std::string& cap = FCaption[axis];
  if (!cap.empty()) {
    if (Kind == p3skZ) {
      DrawCenteredText(c, cap, b.X, b.Y - FLabDist[2]);
    } else {
      const int mx = (a.X + b.X) / 2, my = (a.Y + b.Y) / 2;
      DrawCenteredText(c, cap, mx, my + (below ? -FLabDist[axis] : FLabDist[axis]));
    }
  }
}

// ---------------------------------------------------------------- picking
bool TPlot3D::CellAtPos(int x, int y, int& CellX, int& CellY) const {
  CellX = CellY = 0;
  int bestOrder = 0;
  const int nc = FPickCols, nr = FPickRows;
  if (static_cast<size_t>(nc) * nr != FPickOrder.size()) return false;
  for (int i = 1; i < nc; ++i)
    for (int j = 1; j < nr; ++j) {
      const int ord = FPickOrder[static_cast<size_t>(i - 1) * nr + (j - 1)];
      if (ord <= bestOrder) continue;
      const TPoint q[4] = {GridPointScreenPos(i, j), GridPointScreenPos(i + 1, j), GridPointScreenPos(i + 1, j + 1),
                           GridPointScreenPos(i, j + 1)};
      int sum = 0;
      for (int k = 0; k < 4; ++k) {
        const TPoint& p = q[k];
        const TPoint& n = q[(k + 1) % 4];
        const long long cp = static_cast<long long>(n.X - p.X) * (y - p.Y) - static_cast<long long>(n.Y - p.Y) * (x - p.X);
        sum += (cp > 0) - (cp < 0);
      }
      if (sum > 2 || sum < -2) {
        bestOrder = ord;
        CellX = i;
        CellY = j;
      }
    }
  return bestOrder > 0;
}

// ---------------------------------------------------------------- mouse
void TPlot3D::TakeStartState(int X, int Y) {
  TCustom3DView::TakeStartState(X, Y);
  FStartAX = FViewAngleX;
  FStartAZ = FViewAngleZ;
}

void TPlot3D::ApplyMouseAction(int cx, int cy, double ax, double az, double mag, TShiftState Shift, bool rotating) {
  if (rotating && OnMouseAction) {
    auto h = OnMouseAction;
    h(this, cx, cy, ax, az, mag, Shift);
  }
  if (!std::isfinite(ax) || !std::isfinite(az) || !(mag == mag)) return;
  FCentX = cx;
  FCentY = cy;
  FViewAngleX = view3d::NormAngle(ax);
  FViewAngleZ = view3d::NormAngle(az);
  FMagnification = std::clamp(mag, 0.1, 5.0);
  CalcMatrix();
  Redraw();
}

void TPlot3D::MouseMove(TShiftState Shift, int X, int Y) {
  const bool left = (Shift & ssLeft) != 0, right = (Shift & ssRight) != 0;
  if (!left && !right) TakeStartState(X, Y);
  const int w = std::max(Width(), 1), h = std::max(Height(), 1);
  const double newAZ = FStartAZ + (FStartX - X) * 360.0 / w;
  const double newAX = FStartAX + (Y - FStartY) * 360.0 / h;
  auto limited = [this](double a, int k) {
    a = view3d::NormAngle(a);
    return std::clamp(a, FAngleLimLow[k], FAngleLimHigh[k]);
  };
  auto zoom = [&] {
    const double m = std::clamp(FStartMag + (5 - 0.1) * (FStartY - Y) / h / 2, 0.1, 5.0);
    if (m != FMagnification) {
      FMagnification = m;
      SetCubeCorners();
      Redraw();
    }
    if (OnZoomPan) {
      auto hz = OnZoomPan;
      hz(this);
    }
  };
  switch (FMouseAction) {
    case maRotate:
      if (left) ApplyMouseAction(FCentX, FCentY, limited(newAX, 0), limited(newAZ, 1), FMagnification, Shift, true);
      break;
    case maRotXOnly:
      if (left) ApplyMouseAction(FCentX, FCentY, view3d::NormAngle(newAX), FViewAngleZ, FMagnification, Shift, true);
      break;
    case maRotZOnly:
      if (left) ApplyMouseAction(FCentX, FCentY, FViewAngleX, view3d::NormAngle(newAZ), FMagnification, Shift, true);
      break;
    case maRotAndZoom:
      if (left)
        ApplyMouseAction(FCentX, FCentY, view3d::NormAngle(newAX), view3d::NormAngle(newAZ), FMagnification, Shift,
                         true);
      else if (right)
        zoom();
      break;
    case maZoom:
      if (left) zoom();
      break;
    case maPan:
      if (left) {
        PanTo(X, Y);
        if (OnZoomPan) {
          auto hz = OnZoomPan;
          hz(this);
        }
      }
      break;
    default:
      break;
  }
  if (OnMouseMoveOverPlot) {
    int cx = 0, cy = 0;
    const bool over = CellAtPos(X, Y, cx, cy);
    auto hm = OnMouseMoveOverPlot;
    hm(this, over, Shift, cx, cy);
  }
  TCustom3DView::MouseMove(Shift, X, Y);
}

}  // namespace zol
