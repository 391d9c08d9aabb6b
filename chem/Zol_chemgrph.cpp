#include "chem/Zol_chemgrph.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/platform/Zol_sysutils.h"
#include "chem/Zol_cdata.h"

namespace zol {

namespace {

constexpr uint32_t kNoColor = 0x80000000u;
constexpr uint32_t kColorMask = 0x03FFFFFFu;
constexpr int kVisShift = 28;
constexpr uint32_t kVisMask = 0x70000000u;

// Saves pen, brush, font and text alignment of a canvas and restores them.
class CanvasStateSaver {
 public:
  explicit CanvasStateSaver(TCanvas& c) : FCanvas(c), FAlign(c.TextAlign()) {
    FPen.Assign(c.Pen());
    FBrush.Assign(c.Brush());
    FFont.Assign(c.Font());
  }
  ~CanvasStateSaver() {
    FCanvas.Pen().Assign(FPen);
    FCanvas.Brush().Assign(FBrush);
    FCanvas.Font().Assign(FFont);
    FCanvas.SetTextAlign(FAlign);
  }

 private:
  TCanvas& FCanvas;
  TPen FPen;
  TBrush FBrush;
  TFont FFont;
  unsigned FAlign;
};

int RoundInt(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::clamp(v, -1.0e8, 1.0e8);
  return static_cast<int>(std::lround(v));
}

// Clips the segment from (x0, y0) towards (x1, y1) so that it starts where it
// leaves the rectangle r (grown by one pixel); answers the parameter t in [0, 1].
double LeaveBox(double x0, double y0, double x1, double y1, const TRect& r) {
  double dx = x1 - x0, dy = y1 - y0;
  double tx = 1e300, ty = 1e300;
  double left = r.Left - 1.0, right = r.Right + 0.0, top = r.Top - 1.0, bottom = r.Bottom + 0.0;
  if (dx > 0) tx = (right - x0) / dx;
  else if (dx < 0) tx = (left - x0) / dx;
  if (dy > 0) ty = (bottom - y0) / dy;
  else if (dy < 0) ty = (top - y0) / dy;
  double t = std::min(tx, ty);
  if (!std::isfinite(t) || t < 0) t = 0;
  return std::min(t, 1.0);
}

}  // namespace

// ---------------------------------------------------------------- construction
TChemGraph::TChemGraph(TComponent* AOwner) : TCustomControl(AOwner) {
  FMol = new TCTab(this);
  FMol->OnChange = [this](TObject* s) { StructureHasChanged(s); };
  Font().SetName("Courier New");
  Font().SetSize(14);
  SetBounds(Left(), Top(), 300, 200);
}

TChemGraph::~TChemGraph() {
  if (FMol) FMol->OnChange = nullptr;
}

void TChemGraph::StructureHasChanged(TObject*) { Invalidate(); }

// ---------------------------------------------------------------- properties
void TChemGraph::SetColorBkg(TColor v) {
  if (v == FColorBkg) return;
  FColorBkg = v;
  Invalidate();
}

void TChemGraph::SetColorStructure(TColor v) {
  if (v == FColorStructure) return;
  FColorStructure = v;
  Invalidate();
}

void TChemGraph::SetColorScheme(TColorScheme v) {
  if (v == FColorScheme) return;
  FColorScheme = v;
  Invalidate();
}

void TChemGraph::SetDisplayMode(TCGDispMode v) {
  if (v == FDisplayMode) return;
  FDisplayMode = v;
  Invalidate();
}

void TChemGraph::SetFrameStyle(TFrameStyle v) {
  if (v == FFrameStyle) return;
  FFrameStyle = v;
  Invalidate();
}

void TChemGraph::SetMaxBondLeng(int v) {
  v = std::max(v, 0);
  if (v == FMaxBondLeng) return;
  FMaxBondLeng = v;
  Invalidate();
}

void TChemGraph::SetSuppressPaint(bool v) {
  if (v == FSuppressPaint) return;
  FSuppressPaint = v;
  if (!v) Invalidate();
}

void TChemGraph::SetDrawAsIs(bool v) {
  if (v == FDrawAsIs) return;
  FDrawAsIs = v;
  Invalidate();
}

void TChemGraph::SetClipBoundary(TDirection d, int v) {
  if (d < diLeft || d > diBottom || FClip[d] == v) return;
  FClip[d] = v;
  Invalidate();
}

TColor TChemGraph::AtColor(int Atom) const {
  if (Atom < 1 || Atom > FMol->NAtoms()) return clNone;
  uint32_t w = FMol->AtomEntries(Atom).DispAttr;
  return (w & kNoColor) ? clNone : static_cast<TColor>(w & kColorMask);
}

void TChemGraph::SetAtColor(int Atom, TColor v) {
  if (Atom < 1 || Atom > FMol->NAtoms()) return;
  CTElem e = FMol->AtomEntries(Atom);
  uint32_t w = e.DispAttr & kVisMask;
  if (v == clNone) w |= kNoColor;
  else w |= static_cast<uint32_t>(v) & kColorMask;
  if (w == e.DispAttr) return;
  e.DispAttr = w;
  FMol->SetAtomEntries(Atom, e);
  FMol->Changed();  // repaints
}

int TChemGraph::VisAttrib(int Atom) const {
  if (Atom < 1 || Atom > FMol->NAtoms()) return 0;
  return static_cast<int>((FMol->AtomEntries(Atom).DispAttr & kVisMask) >> kVisShift);
}

void TChemGraph::SetVisAttrib(int Atom, int v) {
  if (Atom < 1 || Atom > FMol->NAtoms()) return;
  CTElem e = FMol->AtomEntries(Atom);
  uint32_t w = (e.DispAttr & ~kVisMask) | ((static_cast<uint32_t>(v) & 7u) << kVisShift);
  if (w == e.DispAttr) return;
  e.DispAttr = w;
  FMol->SetAtomEntries(Atom, e);
  FMol->Changed();
}

// ---------------------------------------------------------------- labels
int TChemGraph::ConstructElemSymb(int Atom, std::string& Label) const {
  Label.clear();
  if (Atom < 1 || Atom > FMol->NAtoms()) return 0;
  int z = FMol->AtNum(Atom);
  int charge = FMol->Charge(Atom);
  int bonds = 0;
  for (int s = 1; s <= MaxConn; ++s) {
    if (FMol->ConnTo(Atom, s) == 0) break;
    bonds += FMol->TypConn(Atom, s);
  }
  int sum = 10 * charge + bonds;
  Label = CElemSymb(z);
  std::string suffix;
  bool tabled = false;
  if (z == 7 || z == 15) {  // nitrogen, phosphorus
    switch (sum) {
      case 0: suffix = "H3"; break;
      case 1: suffix = "H2"; break;
      case 2: suffix = "H"; break;
      case 10: suffix = "H4+"; break;
      case 11: suffix = "H3+"; break;
      case 12: suffix = "H2+"; break;
      case 13: suffix = "H+"; break;
      case 14: suffix = "+"; break;
      case -9: suffix = "H-"; break;
      case -8: case -7: suffix = "-"; break;
      default: break;
    }
    tabled = !suffix.empty() || sum == 3;
  } else if (z == 8 || z == 16) {  // oxygen, sulfur
    switch (sum) {
      case 1: suffix = "H"; break;
      case 11: suffix = "H2+"; break;
      case 12: suffix = "H+"; break;
      case -9: case -8: suffix = "-"; break;
      default: break;
    }
    tabled = !suffix.empty() || sum == 2;
  } else if (charge == -1) {
    suffix = "-";
    tabled = true;
  } else if (charge == 1) {
    suffix = "+";
    tabled = true;
  }
  // A charge the table does not cover is still shown with its sign.
  if (!tabled && charge != 0) {
    int m = std::abs(charge);
    suffix = (m > 1 ? std::to_string(m) : std::string()) + (charge > 0 ? "+" : "-");
  }
  Label += suffix;
  return static_cast<int>(Label.size());
}

bool TChemGraph::LabelShown(int Atom, TCGDispMode Mode) const {
  int z = FMol->AtNum(Atom);
  bool charged = FMol->Charge(Atom) != 0;
  bool isolated = FMol->ConnTo(Atom, 1) == 0;
  int w = FMol->AtWeight(Atom);
  bool isotope = z > 0 && w != 0 && w != IntAtWeight(z);
  switch (Mode) {
    case dmSkeleton: return isolated || charged || isotope;
    case dmHeteroOnly: return !(z == 6 && !charged && !isolated && !isotope);
    case dmAllAtoms:
    case dmNumbers: return true;
  }
  return false;
}

std::string TChemGraph::LabelText(int Atom, TCGDispMode Mode) const {
  if (Mode == dmNumbers) return std::to_string(Atom);
  std::string s;
  ConstructElemSymb(Atom, s);
  return s;
}

// The label's box on the canvas, centred on the atom (empty when no label is shown).
TRect TChemGraph::LabelBox(TCanvas& Canvas, int Atom, TCGDispMode Mode) {
  if (!LabelShown(Atom, Mode)) return Rect(0, 0, 0, 0);
  std::string text = LabelText(Atom, Mode);
  TSize sz = Canvas.TextExtent(text);
  double x, y;
  ScreenPos(Atom, x, y);
  int left = RoundInt(x) - sz.cx / 2, top = RoundInt(y) - sz.cy / 2;
  return Rect(left, top, left + sz.cx, top + sz.cy);
}

TColor TChemGraph::AtomDrawColor(int Atom, bool ColorAtoms) const {
  if (ColorAtoms) {
    TColor c = AtColor(Atom);
    if (c != clNone) return c;
  }
  return FColorStructure;
}

void TChemGraph::DispElemSymb(TCanvas& Canvas, int Atom, TCGDispMode Mode, bool ColorAtoms) {
  if (Atom < 1 || Atom > FMol->NAtoms()) return;
  double x, y;
  ScreenPos(Atom, x, y);
  TColor col = AtomDrawColor(Atom, ColorAtoms);
  int attr = VisAttrib(Atom);
  if (attr > 0) {
    int r = 3 + attr;
    Canvas.Pen().SetColor(col);
    Canvas.Pen().SetStyle(psSolid);
    Canvas.Brush().SetStyle(bsClear);
    Canvas.Ellipse(RoundInt(x) - r, RoundInt(y) - r, RoundInt(x) + r + 1, RoundInt(y) + r + 1);
  }
  if (!LabelShown(Atom, Mode)) return;
  std::string text = LabelText(Atom, Mode);
  TRect box = LabelBox(Canvas, Atom, Mode);
  Canvas.Brush().SetStyle(bsClear);
  Canvas.Font().SetColor(col);
  Canvas.SetTextAlign(TA_LEFT | TA_TOP);
  Canvas.TextOut(box.Left, box.Top, text);
  int z = FMol->AtNum(Atom), w = FMol->AtWeight(Atom);
  if (Mode != dmNumbers && z > 0 && w != 0 && w != IntAtWeight(z)) {
    // Mass number before the symbol, smaller and raised.
    TFont saved;
    saved.Assign(Canvas.Font());
    int h = Canvas.Font().Height();
    Canvas.Font().SetHeight(h < 0 ? std::min(-1, (2 * h) / 3) : std::max(1, (2 * h) / 3));
    std::string mass = std::to_string(w);
    TSize ms = Canvas.TextExtent(mass);
    Canvas.TextOut(box.Left - ms.cx, box.Top - box.Height() / 3, mass);
    Canvas.Font().Assign(saved);
  }
}

// ---------------------------------------------------------------- bonds
void TChemGraph::DrawConnections(TCanvas& Canvas, int Atom, TCGDispMode Mode, bool ColorAtoms) {
  if (Atom < 1 || Atom > FMol->NAtoms()) return;
  double ax, ay;
  ScreenPos(Atom, ax, ay);
  TRect boxA = LabelBox(Canvas, Atom, Mode);
  bool labA = boxA.Width() > 0;
  for (int s = 1; s <= MaxConn; ++s) {
    int b = FMol->ConnTo(Atom, s);
    if (b == 0) break;
    if (b <= Atom || b > FMol->NAtoms()) continue;
    int type = FMol->TypConn(Atom, s);
    double bx, by;
    ScreenPos(b, bx, by);
    // Shorten at labelled ends.
    double t0 = 0, t1 = 1;
    if (labA) t0 = LeaveBox(ax, ay, bx, by, boxA);
    TRect boxB = LabelBox(Canvas, b, Mode);
    if (boxB.Width() > 0) t1 = 1 - LeaveBox(bx, by, ax, ay, boxB);
    if (t1 <= t0) continue;
    double x0 = ax + (bx - ax) * t0, y0 = ay + (by - ay) * t0;
    double x1 = ax + (bx - ax) * t1, y1 = ay + (by - ay) * t1;
    double len = std::hypot(bx - ax, by - ay);
    double nx = 0, ny = 0;
    if (len > 0) {
      nx = -(by - ay) / len;
      ny = (bx - ax) / len;
    }
    std::vector<double> offsets;
    switch (type) {
      case 2: offsets = {-1.65, 1.65}; break;
      case 3: offsets = {-3.0, 0.0, 3.0}; break;
      default: offsets = {0.0}; break;
    }
    Canvas.Pen().SetWidth(1);
    Canvas.Pen().SetStyle(type == 4 ? psDash : psSolid);
    TColor ca = AtomDrawColor(Atom, ColorAtoms), cb = AtomDrawColor(b, ColorAtoms);
    for (double o : offsets) {
      double ox = nx * o, oy = ny * o;
      if (ca == cb) {
        Canvas.Pen().SetColor(ca);
        Canvas.MoveTo(RoundInt(x0 + ox), RoundInt(y0 + oy));
        Canvas.LineTo(RoundInt(x1 + ox), RoundInt(y1 + oy));
      } else {
        // Each half in its atom's colour.
        double tm = std::clamp((0.5 - t0) / (t1 - t0), 0.0, 1.0);
        double xm = x0 + (x1 - x0) * tm, ym = y0 + (y1 - y0) * tm;
        Canvas.Pen().SetColor(ca);
        Canvas.MoveTo(RoundInt(x0 + ox), RoundInt(y0 + oy));
        Canvas.LineTo(RoundInt(xm + ox), RoundInt(ym + oy));
        Canvas.Pen().SetColor(cb);
        Canvas.LineTo(RoundInt(x1 + ox), RoundInt(y1 + oy));
      }
    }
  }
  Canvas.Pen().SetStyle(psSolid);
}

// ---------------------------------------------------------------- mapping
void TChemGraph::LoadPositions() {
  int n = FMol->NAtoms();
  bool same = n >= 2;
  for (int a = 1; a <= n; ++a) {
    FPosX[a] = FMol->Coords(a, 1);
    FPosY[a] = FMol->Coords(a, 2);
    if (a > 1 && (FPosX[a] != FPosX[1] || FPosY[a] != FPosY[1])) same = false;
  }
  FCircleLayout = same;
  if (same) {
    // No coordinates: atoms on a circle of unit bonds between neighbours in atom order.
    double r = 0.5 / std::sin(M_PI / n);
    for (int a = 1; a <= n; ++a) {
      double phi = 2 * M_PI * (a - 1) / n;
      FPosX[a] = r * std::cos(phi);
      FPosY[a] = r * std::sin(phi);
    }
  }
}

void TChemGraph::ScreenPos(int Atom, double& X, double& Y) const {
  X = FOffsetX + FScale * FPosX[Atom];
  Y = FOffsetY + FScale * FPosY[Atom];
}

void TChemGraph::ToStructure(int X, int Y, double& SX, double& SY) const {
  double s = FScale != 0 ? FScale : 1;
  SX = (X - FOffsetX) / s;
  SY = (Y - FOffsetY) / s;
}

void TChemGraph::FitMapping(int Left, int Top, int Right, int Bottom, int MaxBondLen, double& MeanBond) {
  LoadPositions();
  double xmin, ymin, xmax, ymax, xmean, ymean;
  MeanBond = FMol->CalcMolExtents(xmin, ymin, xmax, ymax, xmean, ymean);
  int n = FMol->NAtoms();
  if (FCircleLayout) {
    xmin = ymin = 1e300;
    xmax = ymax = -1e300;
    for (int a = 1; a <= n; ++a) {
      xmin = std::min(xmin, FPosX[a]); xmax = std::max(xmax, FPosX[a]);
      ymin = std::min(ymin, FPosY[a]); ymax = std::max(ymax, FPosY[a]);
    }
    MeanBond = 1;
  }
  double bw = Right - Left, bh = Bottom - Top;
  double ex = xmax - xmin, ey = ymax - ymin;
  // A zero extent (a straight chain along one axis) leaves the box dimension
  // itself as that axis's ratio.
  double sx = ex > 0 ? bw / ex : bw, sy = ey > 0 ? bh / ey : bh;
  double scale = std::min(sx, sy);
  if (MaxBondLen > 0) scale = std::min(scale, MeanBond > 0 ? MaxBondLen / MeanBond : double(MaxBondLen));
  if (!std::isfinite(scale) || scale <= 0) scale = 1;
  double cx, cy;
  if (n == 1) {
    // A single atom: the scale follows the fixed extents, the atom sits in the middle.
    cx = FPosX[1];
    cy = FPosY[1];
  } else {
    cx = (xmin + xmax) / 2;
    cy = (ymin + ymax) / 2;
  }
  FScale = scale;
  FOffsetX = (Left + Right) / 2 - scale * cx;
  FOffsetY = (Top + Bottom) / 2 - scale * cy;
}

void TChemGraph::SetLabelFont(TCanvas& Canvas, double MeanBond) const {
  Canvas.Font().SetName("Courier New");
  long v = std::lround(std::clamp(FScale * MeanBond / 5, -1e6, 1e6));
  int size = v >= 4 ? static_cast<int>(v) + 4 : 8;
  Canvas.Font().SetSize(std::min(size, 20));
}

// ---------------------------------------------------------------- drawing
void TChemGraph::DrawMolRaw(TCGDispMode Mode, double AScale, double AOffsetX, double AOffsetY,
                            bool ColorAtoms, TCanvas& Canvas) {
  CanvasStateSaver saver(Canvas);
  LoadPositions();
  FScale = std::isfinite(AScale) && AScale != 0 ? AScale : 1;
  FOffsetX = std::isfinite(AOffsetX) ? AOffsetX : 0;
  FOffsetY = std::isfinite(AOffsetY) ? AOffsetY : 0;
  Canvas.Pen().SetColor(FColorStructure);
  Canvas.Pen().SetMode(pmCopy);
  Canvas.Font().SetColor(FColorStructure);
  Canvas.Brush().SetStyle(bsClear);
  int n = FMol->NAtoms();
  for (int a = 1; a <= n; ++a) DrawConnections(Canvas, a, Mode, ColorAtoms);
  for (int a = 1; a <= n; ++a) DispElemSymb(Canvas, a, Mode, ColorAtoms);
}

void TChemGraph::ShowMoleculeInABox(TCanvas& Canvas, TCGDispMode Mode, int Left, int Top, int Right,
                                    int Bottom, int MaxBondLen) {
  double b;
  FitMapping(Left, Top, Right, Bottom, MaxBondLen, b);
  TFont saved;
  saved.Assign(Canvas.Font());
  SetLabelFont(Canvas, b);
  DrawMolRaw(Mode, FScale, FOffsetX, FOffsetY, true, Canvas);
  Canvas.Font().Assign(saved);
}

void TChemGraph::Paint() {
  if (FSuppressPaint || !Visible()) return;
  int w = Width(), h = Height();
  if (w <= 0 || h <= 0) return;
  TBitmap bmp(w, h);
  TCanvas& c = bmp.Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorBkg);
  c.FillRect(Rect(0, 0, w, h));
  TColor hi = FColorScheme == csBWG ? clWhite : clBtnHighlight;
  TColor sh = FColorScheme == csBWG ? TColor(0x808080) : clBtnShadow;
  DrawFrame(c, FFrameStyle, 0, 0, w - 1, h - 1, hi, hi, sh, sh, clBlack);
  c.Font().Assign(Font());
  if (FMol->NAtoms() == 0) {
    c.Font().SetColor(FColorStructure);
    c.Brush().SetStyle(bsClear);
    c.SetTextAlign(TA_CENTER | TA_TOP);
    c.TextOut(w / 2, (h - c.TextHeight("no structure loaded")) / 2, "no structure loaded");
  } else if (FDrawAsIs) {
    LoadPositions();
    c.SetClipRect(Rect(FClip[diLeft], FClip[diTop], FClip[diRight], FClip[diBottom]));
    DrawMolRaw(FDisplayMode, 1, 0, 0, true, c);
    c.ResetClip();
  } else {
    // The structure fitted inside the frame, with room for labels at the edges.
    int m = 4 + std::max(4, -Font().Height() / 2 + 2);
    ShowMoleculeInABox(c, FDisplayMode, m, m, w - m, h - m, FMaxBondLeng);
  }
  Canvas().Draw(0, 0, bmp);
  TCustomControl::Paint();
}

// ---------------------------------------------------------------- mouse and picking
void TChemGraph::MouseMove(TShiftState Shift, int X, int Y) {
  MoveOverStruct(X, Y, Shift);
  TCustomControl::MouseMove(Shift, X, Y);
}

void TChemGraph::MoveOverStruct(int X, int Y, TShiftState Shift) {
  double sx, sy;
  ToStructure(X, Y, sx, sy);
  int atom = 0;
  double dist = 0;
  if (FMol->NAtoms() > 0) {
    if (FCircleLayout) {
      dist = 1e300;
      for (int a = 1; a <= FMol->NAtoms(); ++a) {
        double d = std::hypot(FPosX[a] - sx, FPosY[a] - sy);
        if (d < dist) { dist = d; atom = a; }
      }
    } else {
      FMol->FindClosestAtom(sx, sy, 0, atom, dist);
    }
  }
  if (OnMoveOverStruct) {
    auto handler = OnMoveOverStruct;
    handler(this, atom, dist, Shift, sx, sy);
  }
}

void TChemGraph::ComputeRingAtoms(bool InRing[MaxAtoms + 1]) {
  std::fill(InRing, InRing + MaxAtoms + 1, false);
  auto rings = std::make_unique<RingListType>();
  FMol->FindSSSR(*rings);
  for (int r = 1; r <= rings->NumRings; ++r)
    for (int i = 1; i <= rings->Rings[r].Length; ++i) InRing[rings->Rings[r].Atoms[i]] = true;
}

bool TChemGraph::FindRingNextToCursor(int X, int Y, RingType& Ring) {
  Ring = RingType();
  if (FMol->NAtoms() < 3) return false;
  LoadPositions();
  double px, py;
  ToStructure(X, Y, px, py);
  auto rings = std::make_unique<RingListType>();
  FMol->FindSSSR(*rings);
  double bestArea = 1e300;
  int best = 0;
  for (int r = 1; r <= rings->NumRings; ++r) {
    const RingType& ring = rings->Rings[r];
    bool inside = false;
    double area = 0;
    for (int i = 1, j = ring.Length; i <= ring.Length; j = i++) {
      double xi = FPosX[ring.Atoms[i]], yi = FPosY[ring.Atoms[i]];
      double xj = FPosX[ring.Atoms[j]], yj = FPosY[ring.Atoms[j]];
      // Even-odd rule (ray towards +x).
      if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
      area += xj * yi - xi * yj;
    }
    area = std::fabs(area) / 2;
    if (inside && area < bestArea) {
      bestArea = area;
      best = r;
    }
  }
  if (best == 0) return false;
  Ring = rings->Rings[best];
  return true;
}

bool TChemGraph::FindChainNexttoCursor(int X, int Y, AtListType& Atoms) {
  Atoms = AtListType();
  int n = FMol->NAtoms();
  if (n == 0) return false;
  LoadPositions();
  double px, py;
  ToStructure(X, Y, px, py);
  int nearest = 0;
  double dist = 1e300;
  for (int a = 1; a <= n; ++a) {
    double d = std::hypot(FPosX[a] - px, FPosY[a] - py);
    if (d < dist) { dist = d; nearest = a; }
  }
  double xmin, ymin, xmax, ymax, xm, ym;
  double b = FMol->CalcMolExtents(xmin, ymin, xmax, ymax, xm, ym);
  if (FCircleLayout || b <= 0) b = FCircleLayout ? 1.0 : 10.0 / (FScale != 0 ? FScale : 1);
  if (dist > b / 2) return false;
  bool inRing[MaxAtoms + 1];
  ComputeRingAtoms(inRing);
  if (inRing[nearest]) return false;
  // Breadth-first over chain atoms: once to find an end, once from that end.
  auto bfs = [&](int start, std::vector<int>& order) {
    bool seen[MaxAtoms + 1] = {};
    order.clear();
    order.push_back(start);
    seen[start] = true;
    for (size_t q = 0; q < order.size(); ++q) {
      int a = order[q];
      for (int s = 1; s <= MaxConn; ++s) {
        int k = FMol->ConnTo(a, s);
        if (k == 0) break;
        if (k > n || seen[k] || inRing[k]) continue;
        seen[k] = true;
        order.push_back(k);
      }
    }
  };
  std::vector<int> order;
  bfs(nearest, order);
  bfs(order.back(), order);
  Atoms.Length = static_cast<int>(order.size());
  for (size_t i = 0; i < order.size(); ++i) Atoms.Atoms[i + 1] = static_cast<uint8_t>(order[i]);
  return true;
}

// ---------------------------------------------------------------- layout
namespace {

double ScoreOf(const TCTab& t, double BondLen) {
  int n = t.NAtoms();
  auto dist = [&](int a, int b) {
    double dx = t.Coords(a, 1) - t.Coords(b, 1), dy = t.Coords(a, 2) - t.Coords(b, 2),
           dz = t.Coords(a, 3) - t.Coords(b, 3);
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  };
  double score = 0;
  for (int a = 1; a <= n; ++a) {
    for (int b = a + 1; b <= n; ++b) {
      double d = dist(a, b);
      if (t.CheckConnect(a, b) == 0) {
        score += d;
        continue;
      }
      score -= 0.5 * (d - BondLen) * (d - BondLen);
      // Angles: the other neighbours of either atom at 1.732 bond lengths from the partner.
      for (int s = 1; s <= MaxConn; ++s) {
        int k = t.ConnTo(a, s);
        if (k == 0) break;
        if (k == b || k > n) continue;
        double e = dist(b, k) - 1.732 * BondLen;
        score -= 0.5 * e * e;
      }
      for (int s = 1; s <= MaxConn; ++s) {
        int k = t.ConnTo(b, s);
        if (k == 0) break;
        if (k == a || k > n) continue;
        double e = dist(a, k) - 1.732 * BondLen;
        score -= 0.5 * e * e;
      }
    }
  }
  return score;
}

}  // namespace

double TChemGraph::LayoutScore(double BondLen) const { return ScoreOf(*FMol, BondLen); }

void TChemGraph::OptimizeMolShape(double BondLen) {
  int n = FMol->NAtoms();
  if (n < 2 || !(BondLen > 0) || !std::isfinite(BondLen)) return;
  // The search works on a copy, so the table changes (and repaints) once at the end.
  TCTab work(nullptr);
  work.CopyFrom(*FMol);
  double best = ScoreOf(work, BondLen);
  const int steps = n * 100;
  auto move = [&](int a, double f, double& ox, double& oy) {
    ox = work.Coords(a, 1);
    oy = work.Coords(a, 2);
    work.SetCoords(a, 1, ox + (Random() * 2 * BondLen - BondLen) * f);
    work.SetCoords(a, 2, oy + (Random() * 2 * BondLen - BondLen) * f);
  };
  for (int i = 0; i < steps; ++i) {
    // The step shrinks from a bond length to nothing over the run.
    double f = static_cast<double>(steps - i) / steps;
    int a1 = 1 + Random(n);
    double x1, y1, x2 = 0, y2 = 0;
    move(a1, f, x1, y1);
    int a2 = 0;
    if (i % 2 == 0) {
      a2 = 1 + Random(n);
      move(a2, f, x2, y2);
    }
    double s = ScoreOf(work, BondLen);
    if (s >= best) {
      best = s;
    } else {  // undo in reverse order (a2 may equal a1)
      if (a2) {
        work.SetCoords(a2, 1, x2);
        work.SetCoords(a2, 2, y2);
      }
      work.SetCoords(a1, 1, x1);
      work.SetCoords(a1, 2, y1);
    }
  }
  for (int a = 1; a <= n; ++a) {
    FMol->SetCoords(a, 1, work.Coords(a, 1));
    FMol->SetCoords(a, 2, work.Coords(a, 2));
  }
  FMol->Changed();
}

}  // namespace zol
