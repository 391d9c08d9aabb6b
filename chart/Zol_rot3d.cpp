// TRot3D: rotatable three-dimensional scatter plot.
#include "chart/Zol_rot3d.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "base/platform/Zol_metafile.h"

namespace zol {

namespace {
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
// Cube coordinates are kept within ±kCubeLimit.
constexpr double kCubeLimit = 100000.0;
// Screen coordinates are limited to ±2^29 (sums and differences stay within int).
constexpr int64_t kPixLimit = 1 << 29;

bool Selects(Tr3Item sel, Tr3Item kind) { return sel == TRot3D::tkEverything || sel == kind; }

int ClampPix(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kPixLimit, kPixLimit)); }
}  // namespace

static_assert(sizeof(TRot3D::Tr3ChartItem) == 72, "the item record holds 72 bytes");

TRot3D::TRot3D(TComponent* AOwner) : TCustom3DView(AOwner) {
  FMagnification = 0.8;
  FStartMag = 0.8;
  SetBounds(0, 0, 450, 300);
  FCentX = Width() / 2;
  FCentY = Height() / 2;
  CalcMatrix();
}

TRot3D::~TRot3D() = default;

// ---------------------------------------------------------------- matrix
void TRot3D::CalcMatrix() {
  double M[3][3];
  if (!FMouseRot3Axes) {
    view3d::CalcRotMat(FViewAngle[0], FViewAngle[2], M);
  } else {
    const double a = FViewAngle[0] * kDegToRad, b = FViewAngle[1] * kDegToRad, g = FViewAngle[2] * kDegToRad;
    const double Rx[3][3] = {{1, 0, 0}, {0, std::cos(a), -std::sin(a)}, {0, std::sin(a), std::cos(a)}};
    const double Ry[3][3] = {{std::cos(b), 0, std::sin(b)}, {0, 1, 0}, {-std::sin(b), 0, std::cos(b)}};
    const double Rz[3][3] = {{std::cos(g), -std::sin(g), 0}, {std::sin(g), std::cos(g), 0}, {0, 0, 1}};
    double T[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        T[i][j] = 0;
        for (int k = 0; k < 3; ++k) T[i][j] += Ry[i][k] * Rz[k][j];
      }
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        M[i][j] = 0;
        for (int k = 0; k < 3; ++k) M[i][j] += Rx[i][k] * T[k][j];
        if (std::fabs(M[i][j]) < 1e-6) M[i][j] = 0;
      }
  }
  for (int i = 0; i < 3; ++i) {
    if (FAxDir == adRightHanded) std::swap(M[i][0], M[i][1]);
    for (int j = 0; j < 3; ++j) FRot[i][j] = static_cast<int>(std::lround(1000.0 * M[i][j]));
  }
}

int TRot3D::GetRotMat(int i, int j) const {
  if (i < 1 || i > 3 || j < 1 || j > 3) return 0;
  return FRot[i - 1][j - 1];
}

void TRot3D::ProjectCube(int64_t X, int64_t Y, int64_t Z, int& sx, int& sy) const {
  const int64_t d = FMagDivisor;
  sx = ClampPix((X * FRot[0][0] + Y * FRot[0][1] + Z * FRot[0][2]) / d + FCentX);
  sy = ClampPix((X * FRot[1][0] + Y * FRot[1][1] + Z * FRot[1][2]) / d + FCentY);
}

int64_t TRot3D::Toward(int64_t X, int64_t Y, int64_t Z) const {
  return X * FRot[2][0] + Y * FRot[2][1] + Z * FRot[2][2];
}

// ---------------------------------------------------------------- items
void TRot3D::AddItem(Tr3Item kind, double x, double y, double z, uint8_t markOrWidth) {
  if (FCount >= static_cast<int>(FItems.size())) FItems.resize(FItems.size() + static_cast<size_t>(FAllocSize));
  Tr3ChartItem& it = FItems[FCount++];
  it = Tr3ChartItem{};
  it.X = x;
  it.Y = y;
  it.Z = z;
  it.Color = FDataColor;
  it.Tag = FDataTag;
  it.Kind = kind;
  it.MarkOrWidth = markOrWidth;
}

void TRot3D::MarkAt(double x, double y, double z, uint8_t MarkType) { AddItem(tkMarkAt, x, y, z, MarkType); }

void TRot3D::Moveto(double x, double y, double z) { AddItem(tkMoveto, x, y, z, 0); }

void TRot3D::Drawto(double x, double y, double z) { AddItem(tkLineto, x, y, z, static_cast<uint8_t>(FLineWidth)); }

void TRot3D::Line(double x1, double y1, double z1, double x2, double y2, double z2) {
  AddItem(tkLine, x1, y1, z1, static_cast<uint8_t>(FLineWidth));
  Tr3ChartItem& it = FItems[FCount - 1];
  it.X2 = x2;
  it.Y2 = y2;
  it.Z2 = z2;
}

int TRot3D::GetItemCount(Tr3Item kind) const {
  if (kind == tkEverything) return FCount;
  int n = 0;
  for (int i = 0; i < FCount; ++i)
    if (FItems[i].Kind == kind) ++n;
  return n;
}

TRot3D::Tr3ChartItem TRot3D::GetChartItem(int i) const {
  if (i < 0 || i >= FCount) return Tr3ChartItem{};
  return FItems[i];
}

void TRot3D::SetChartitem(int i, const Tr3ChartItem& item) {
  if (i < 0 || i >= FCount) return;
  FItems[i] = item;
}

void TRot3D::SetItemParams(int i, const Tr3ChartItem& item) {
  if (i < 0 || i >= FCount) return;
  if (item.Kind == tkNone || item.Kind >= tkEverything) return;
  FItems[i] = item;
}

void TRot3D::RemoveItem(int i) {
  if (i < 0 || i >= FCount) return;
  FItems.erase(FItems.begin() + i);
  --FCount;
  if (FCount == 0) {
    FItems.assign(1, Tr3ChartItem{});
    FItems.shrink_to_fit();
  }
}

void TRot3D::Clear() {
  FItems.clear();
  FItems.shrink_to_fit();
  FCount = 0;
  FDisp.clear();
  FDisp.shrink_to_fit();
  Redraw();
}

int TRot3D::FindNearestItemReal(double x, double y, double z, Tr3Item kind, double& Dist) const {
  Dist = std::sqrt(std::numeric_limits<double>::max());
  if (kind == tkNone) return -1;
  int best = -1;
  double bestD = std::numeric_limits<double>::max();
  for (int i = 0; i < FCount; ++i) {
    const Tr3ChartItem& it = FItems[i];
    if (!Selects(kind, it.Kind)) continue;
    const double dx = it.X - x, dy = it.Y - y, dz = it.Z - z;
    const double d = dx * dx + dy * dy + dz * dz;
    if (d < bestD) {
      bestD = d;
      best = i;
    }
  }
  if (best >= 0) Dist = std::sqrt(bestD);
  return best;
}

int TRot3D::FindNearestItemScreen(int px, int py, Tr3Item kind, double& Dist) const {
  Dist = std::sqrt(std::numeric_limits<double>::max());
  if (kind == tkNone) return -1;
  int best = -1;
  double bestD = std::numeric_limits<double>::max();
  for (size_t k = 0; k < FDisp.size(); ++k) {
    const TDispPoint& p = FDisp[k];
    if (!p.Valid || !Selects(kind, p.Kind)) continue;
    int sx, sy;
    ProjectCube(p.X, p.Y, p.Z, sx, sy);
    const double dx = static_cast<double>(sx) - px, dy = static_cast<double>(sy) - py;
    const double d = dx * dx + dy * dy;
    if (d < bestD) {
      bestD = d;
      best = static_cast<int>(k) + 1;
    }
  }
  if (best >= 0) Dist = std::sqrt(bestD);
  return best;
}

TPoint TRot3D::DisplayPointScreenPos(int k) const {
  if (k < 1 || k > static_cast<int>(FDisp.size())) return Point(0, 0);
  const TDispPoint& p = FDisp[static_cast<size_t>(k - 1)];
  int sx, sy;
  ProjectCube(p.X, p.Y, p.Z, sx, sy);
  return Point(sx, sy);
}

void TRot3D::DisplayPointCube(int k, int64_t& X, int64_t& Y, int64_t& Z) const {
  X = Y = Z = 0;
  if (k < 1 || k > static_cast<int>(FDisp.size())) return;
  const TDispPoint& p = FDisp[static_cast<size_t>(k - 1)];
  X = p.X;
  Y = p.Y;
  Z = p.Z;
}

// ---------------------------------------------------------------- display list
void TRot3D::MakeVisible() {
  // 1. points, centroid and extents
  size_t n = 0, valid = 0;
  double sum[3] = {0, 0, 0}, lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  auto visit = [&](double x, double y, double z) {
    ++n;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return;
    const double p[3] = {x, y, z};
    for (int a = 0; a < 3; ++a) {
      sum[a] += p[a];
      if (valid == 0 || p[a] < lo[a]) lo[a] = p[a];
      if (valid == 0 || p[a] > hi[a]) hi[a] = p[a];
    }
    ++valid;
  };
  for (int i = 0; i < FCount; ++i) {
    const Tr3ChartItem& it = FItems[i];
    if (it.Kind == tkNone || it.Kind >= tkEverything) continue;
    visit(it.X, it.Y, it.Z);
    if (it.Kind == tkLine) visit(it.X2, it.Y2, it.Z2);
  }
  // 2. origin
  if (FAutoOrigin && valid > 0)
    for (int a = 0; a < 3; ++a) {
      const double c = sum[a] / static_cast<double>(valid);
      FOrigin[a] = std::isfinite(c) ? c : (lo[a] / 2 + hi[a] / 2);
    }
  // 3. working arrays
  std::vector<TDispPoint> disp;
  try {
    disp.reserve(n);
  } catch (const std::bad_alloc&) {
    throw EZOLRot3DError(ComponentMsg("insufficient memory"));
  } catch (const std::length_error&) {
    throw EZOLRot3DError(ComponentMsg("insufficient memory"));
  }
  // 4. scale factors
  double f[3];
  for (int a = 0; a < 3; ++a) {
    const double ext = hi[a] - lo[a];
    f[a] = (valid == 0 || !(ext > 1e-30) || !std::isfinite(ext)) ? 1.0 : 1000.0 / ext;
    if (!std::isfinite(f[a]) || f[a] == 0) f[a] = 1.0;
  }
  if (FIsoMetric) {
    const double m = std::min({f[0], f[1], f[2]});
    f[0] = f[1] = f[2] = m;
  }
  if (FAutoScale)
    for (int a = 0; a < 3; ++a) FScaleFact[a] = f[a];
  else
    for (int a = 0; a < 3; ++a) f[a] = FScaleFact[a];
  // palette
  int used = 0;
  auto paletteIndex = [&](TColor col) -> uint8_t {
    const TColor c = ColorToRGB(col);
    for (int k = 0; k < used; ++k)
      if (FPalette[k] == c) return static_cast<uint8_t>(k);
    if (used < 32) {
      FPalette[used] = c;
      return static_cast<uint8_t>(used++);
    }
    int best = 0;
    long bestD = -1;
    for (int k = 0; k < 32; ++k) {
      const long dr = GetRValue(c) - GetRValue(FPalette[k]), dg = GetGValue(c) - GetGValue(FPalette[k]),
                 db = GetBValue(c) - GetBValue(FPalette[k]);
      const long d = dr * dr + dg * dg + db * db;
      if (bestD < 0 || d < bestD) {
        bestD = d;
        best = k;
      }
    }
    return static_cast<uint8_t>(best);
  };
  // 5. cube coordinates
  auto cube = [&](double w, int a, bool& ok) -> int32_t {
    const double v = (w - FOrigin[a]) * f[a];
    if (!std::isfinite(w) || v != v) {
      ok = false;
      return 0;
    }
    return static_cast<int32_t>(std::llround(std::clamp(v, -kCubeLimit, kCubeLimit)));
  };
  auto add = [&](double x, double y, double z, const Tr3ChartItem& it, int idx, bool start) {
    TDispPoint p{};
    bool ok = true;
    p.X = cube(x, 0, ok);
    p.Y = cube(y, 1, ok);
    p.Z = cube(z, 2, ok);
    p.Valid = ok;
    p.Palette = paletteIndex(it.Color);
    p.Kind = it.Kind;
    p.MarkOrWidth = it.MarkOrWidth;
    p.Start = start;
    p.Item = idx;
    disp.push_back(p);
  };
  for (int i = 0; i < FCount; ++i) {
    const Tr3ChartItem& it = FItems[i];
    if (it.Kind == tkNone || it.Kind >= tkEverything) continue;
    add(it.X, it.Y, it.Z, it, i, it.Kind == tkLine);
    if (it.Kind == tkLine) add(it.X2, it.Y2, it.Z2, it, i, false);
  }
  FDisp.swap(disp);
  Redraw();
}

// ---------------------------------------------------------------- setters
void TRot3D::SetAllocSize(int v) { FAllocSize = std::clamp(v, 1, 1000000); }

void TRot3D::SetViewAngles(double AngleX, double AngleY, double AngleZ) {
  if (!std::isfinite(AngleX) || !std::isfinite(AngleY) || !std::isfinite(AngleZ)) return;
  AngleX = view3d::NormAngle(AngleX);
  AngleY = view3d::NormAngle(AngleY);
  AngleZ = view3d::NormAngle(AngleZ);
  if (AngleX == FViewAngle[0] && AngleY == FViewAngle[1] && AngleZ == FViewAngle[2]) return;
  FViewAngle[0] = AngleX;
  FViewAngle[1] = AngleY;
  FViewAngle[2] = AngleZ;
  CalcMatrix();
  Redraw();
}

void TRot3D::SetMouseRot3Axes(bool v) {
  if (v == FMouseRot3Axes) return;
  FMouseRot3Axes = v;
  CalcMatrix();
  Redraw();
}

void TRot3D::SetMagnification(double v) {
  if (!StoreMagnification(v)) return;
  FMagDivisor = static_cast<int>(std::lround(4000.0 / FMagnification));
  Redraw();
}

void TRot3D::SetOrigins(double x, double y, double z) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return;
  FOrigin[0] = x;
  FOrigin[1] = y;
  FOrigin[2] = z;
}

void TRot3D::SetScaleFactors(double x, double y, double z) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return;
  FScaleFact[0] = x;
  FScaleFact[1] = y;
  FScaleFact[2] = z;
}

void TRot3D::SetBoundBoxSize(int v) {
  const int h = std::clamp(v, 0, 4000) / 2;
  if (h == FBoxHalf) return;
  FBoxHalf = h;
  Redraw();
}

void TRot3D::SetAxSize(int v) {
  v = std::clamp(v, 0, 4000);
  if (v == FAxSize) return;
  FAxSize = v;
  Redraw();
}

void TRot3D::SetAxDir(TAxDir v) {
  if (v == FAxDir) return;
  FAxDir = v;
  CalcMatrix();
  Redraw();
}

void TRot3D::SetTextMarkSize(int v) {
  v = std::clamp(v, 1, 1000);
  if (v == FTextMarkSize) return;
  FTextMarkSize = v;
  Redraw();
}

#define ZOL_R3_SETTER(Name, Type, Field) \
  void TRot3D::Name(Type v) {            \
    if (v == Field) return;              \
    Field = v;                           \
    Redraw();                            \
  }
ZOL_R3_SETTER(SetAxNameX, const std::string&, FAxName[0])
ZOL_R3_SETTER(SetAxNameY, const std::string&, FAxName[1])
ZOL_R3_SETTER(SetAxNameZ, const std::string&, FAxName[2])
ZOL_R3_SETTER(SetShowAxes, bool, FShowAxes)
ZOL_R3_SETTER(SetColorChart, TColor, FColorChart)
ZOL_R3_SETTER(SetTextFontStyle, TFontStyles, FTextFontStyle)
#undef ZOL_R3_SETTER

void TRot3D::Resize() {
  FCentX = Width() / 2;
  FCentY = Height() / 2;
  TCustom3DView::Resize();
}

// ---------------------------------------------------------------- painting
void TRot3D::PaintPicture(TCanvas& c) {
  const int w = Width(), h = Height();
  c.Pen().SetMode(pmCopy);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorChart);
  c.FillRect(Rect(0, 0, w, h));
  ConstructDataBmp(c);
  if (FColorScheme == csBWG)
    DrawFrame(c, FFrameStyle, 0, 0, w - 1, h - 1, clWhite, clSilver, clGray, clBlack, FColorFrame);
  else
    DrawFrame(c, FFrameStyle, 0, 0, w - 1, h - 1, clBtnHighlight, cl3DLight, clBtnShadow, cl3DDkShadow,
              FColorFrame);
}

void TRot3D::ConstructDataBmp(TCanvas& c) {
  if (OnBeforeRenderData) {
    auto h = OnBeforeRenderData;
    h(this, c);
  }
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmCopy);
  // the cube
  view3d::TCubeView cv;
  for (int n = 0; n < 8; ++n) {
    const int64_t X = (n & 4) ? FBoxHalf : -FBoxHalf, Y = (n & 2) ? FBoxHalf : -FBoxHalf,
                  Z = (n & 1) ? FBoxHalf : -FBoxHalf;
    ProjectCube(X, Y, Z, cv.Pt[n].X, cv.Pt[n].Y);
    cv.Toward[n] = static_cast<double>(Toward(X, Y, Z));
  }
  cv.Half = 1000.0 * FBoxHalf;
  view3d::DrawCubeBack(c, cv, FBoundBoxStyle, FColorCubeFrame, FColorCubeHidLin, FColorCubeFaceLow,
                       FColorCubeFaceHigh);
  // the axes: the negative half in the hidden-line colour, then the positive half
  int ox, oy;
  ProjectCube(0, 0, 0, ox, oy);
  if (FShowAxes) {
    c.Pen().SetWidth(1);
    for (int a = 0; a < 3; ++a) {
      int64_t e[3] = {0, 0, 0};
      e[a] = FAxSize;
      int nx, ny, px, py;
      ProjectCube(-e[0], -e[1], -e[2], nx, ny);
      ProjectCube(e[0], e[1], e[2], px, py);
      c.Pen().SetColor(FColorCubeHidLin);
      c.MoveTo(ox, oy);
      c.LineTo(nx, ny);
      c.Pen().SetColor(FColorCubeFrame);
      c.MoveTo(ox, oy);
      c.LineTo(px, py);
    }
  }
  // the display list in list order
  SetCanvasFontSizeScaled(c, FTextMarkSize);
  c.Font().SetStyle(FTextFontStyle);
  c.Brush().SetStyle(bsClear);
  bool penValid = false;
  for (const TDispPoint& p : FDisp) {
    if (!p.Valid) {
      penValid = false;
      continue;
    }
    int sx, sy;
    ProjectCube(p.X, p.Y, p.Z, sx, sy);
    const TColor col = FPalette[p.Palette & 31];
    const bool move = p.Kind == tkMoveto || (p.Kind == tkLine && p.Start);
    if (move) {
      c.MoveTo(sx, sy);
      penValid = true;
    } else if (p.Kind == tkLineto || p.Kind == tkLine) {
      if (penValid) {
        c.Pen().SetColor(col);
        c.Pen().SetWidth(std::max<int>(1, p.MarkOrWidth));
        c.LineTo(sx, sy);
      } else {
        c.MoveTo(sx, sy);
      }
      penValid = true;
    } else if (p.Kind == tkMarkAt) {
      c.Pen().SetColor(col);
      c.Pen().SetWidth(1);
      c.Font().SetColor(col);
      c.Brush().SetStyle(bsClear);
      DrawMarkOnCanvas(c, p.MarkOrWidth, sx, sy);
      c.MoveTo(sx, sy);  // a following line-to starts at the mark
      penValid = true;
    }
  }
  c.Pen().SetWidth(1);
  view3d::DrawCubeFront(c, cv, FBoundBoxStyle, FColorCubeFrame);
  // the axis names
  if (FShowAxes) {
    c.Font().Assign(Font());
    c.Font().SetColor(FColorCubeFrame);
    c.Brush().SetStyle(bsClear);
    for (int a = 0; a < 3; ++a) {
      if (FAxName[a].empty()) continue;
      int64_t e[3] = {0, 0, 0};
      e[a] = FAxSize + 50;
      int px, py;
      ProjectCube(e[0], e[1], e[2], px, py);
      const TSize ext = c.TextExtent(FAxName[a]);
      c.TextOut(px - ext.cx / 2, py - ext.cy / 2, FAxName[a]);
    }
  }
  if (OnDataRendered) {
    auto h = OnDataRendered;
    h(this, c);
  }
}

// ---------------------------------------------------------------- mouse
void TRot3D::TakeStartState(int X, int Y) {
  TCustom3DView::TakeStartState(X, Y);
  for (int a = 0; a < 3; ++a) FStartAngle[a] = FViewAngle[a];
}

void TRot3D::MouseMove(TShiftState Shift, int X, int Y) {
  const bool left = (Shift & ssLeft) != 0, right = (Shift & ssRight) != 0;
  if (!left && !right) TakeStartState(X, Y);
  const int w = std::max(Width(), 1), h = std::max(Height(), 1);
  const double horiz = (FStartX - X) * 360.0 / w;
  const double vert = (h + Y - FStartY) * 360.0 / h;
  auto rotate = [&] {
    if (FMouseRot3Axes)
      SetViewAngles(FStartAngle[0] + horiz, FStartAngle[1] + vert, FViewAngle[2]);
    else
      SetViewAngles(FStartAngle[0] + vert, FViewAngle[1], FStartAngle[2] + horiz);
  };
  auto zoom = [&] { SetMagnification(FStartMag + (5 - 0.1) * (FStartY - Y) / h); };
  switch (FMouseAction) {
    case maRotate:
      if (left) rotate();
      break;
    case maRotXOnly:
      if (left) SetViewAngles(FStartAngle[0] + vert, FViewAngle[1], FViewAngle[2]);
      break;
    case maRotZOnly:
      if (left) SetViewAngles(FViewAngle[0], FViewAngle[1], FStartAngle[2] + horiz);
      break;
    case maRotAndZoom:
      if (left)
        rotate();
      else if (right)
        zoom();
      break;
    case maZoom:
      if (left) zoom();
      break;
    case maPan:
      if (left) PanTo(X, Y);
      break;
    default:
      break;
  }
  TCustom3DView::MouseMove(Shift, X, Y);
}

}  // namespace zol
