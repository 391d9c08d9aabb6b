// Explorer entries: the 3D surface plot and the rotatable 3D scatter plot.
// Both rotate with the left mouse button (MouseAction maRotate); the panel
// switches to zoom or pan and changes the main properties.
#include <cmath>
#include <string>

#include "apps/explorer/Explorer.h"
#include "base/platform/Zol_sysutils.h"
#include "chart/Zol_plot3d.h"
#include "chart/Zol_rot3d.h"

using namespace zol;

namespace {

std::string Num(double v) { return FloatToStr(v); }
double ToNum(const std::string& s, double deflt) {
  double v;
  return TryStrToFloat(s, v) ? v : deflt;
}
bool ToBool(const std::string& s) { return s == "1" || s == "true" || s == "True" || s == "TRUE"; }
std::string BoolText(bool b) { return b ? "true" : "false"; }

template <size_t N>
explorer::Property EnumProp(const std::string& name, const char* const (&names)[N], std::function<int()> get,
                            std::function<void(int)> set) {
  return {name, [get, &names] { const int v = get(); return std::string(v >= 0 && v < int(N) ? names[v] : "?"); },
          [set, &names](const std::string& s) {
            const int i = XmlTableIndex(names, s);
            if (i >= 0) set(i);
          }};
}

const char* const kMeshKinds[5] = {"mkMesh", "mkWaterfallHorz", "mkWaterfallVert", "mkWaterfallDiag", "mkGrid"};
const char* const kCodingModes[2] = {"ccmTwoColors", "ccmThreeColors"};
const char* const kAxDirs[2] = {"adLeftHanded", "adRightHanded"};

}  // namespace

ZOL_EXPLORER_ENTRY("Charts", "TPlot3D") {
  auto* p = new TPlot3D(&Parent);
  p->SetParent(&Parent);
  p->SetBounds(0, 0, 560, 440);
  TMatrix* m = p->GridMat();
  const int n = 31;
  m->Resize(n, n);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      const double x = -3 + 6.0 * (i - 1) / (n - 1), y = -3 + 6.0 * (j - 1) / (n - 1);
      m->SetVal(i, j, std::exp(-(x - 1) * (x - 1) - y * y) - 0.7 * std::exp(-(x + 1.2) * (x + 1.2) - (y - 1) * (y - 1)));
    }
  m->Changed();
  p->SetRange(-3, 3, -3, 3, -1, 1);
  p->SetColorCodingMode(ccmThreeColors);
  p->SetColorLow(RGB(0, 0, 170));
  p->SetColorMid(RGB(235, 235, 235));
  p->SetColorHigh(RGB(200, 0, 0));
  p->SetColorScaleLow(-0.7);
  p->SetColorScaleHigh(1);
  p->SetMagnify(0.8);
  explorer::Demo d{p, {}};
  d.Properties.push_back({"ViewAngleX", [p] { return Num(p->ViewAngleX()); },
                          [p](const std::string& s) { p->SetViewAngleX(ToNum(s, p->ViewAngleX())); }});
  d.Properties.push_back({"ViewAngleZ", [p] { return Num(p->ViewAngleZ()); },
                          [p](const std::string& s) { p->SetViewAngleZ(ToNum(s, p->ViewAngleZ())); }});
  d.Properties.push_back({"Magnification", [p] { return Num(p->Magnification()); },
                          [p](const std::string& s) { p->SetMagnify(ToNum(s, p->Magnification())); }});
  d.Properties.push_back(EnumProp("MouseAction", xmlMouseActMode, [p] { return int(p->MouseAction()); },
                                  [p](int v) { p->SetMouseAction(TMouseActMode(v)); }));
  d.Properties.push_back(EnumProp("MeshKind", kMeshKinds, [p] { return int(p->MeshKind()); },
                                  [p](int v) { p->SetMeshKind(TMeshKind(v)); }));
  d.Properties.push_back(EnumProp("ColorCodingMode", kCodingModes, [p] { return int(p->ColorCodingMode()); },
                                  [p](int v) { p->SetColorCodingMode(TColorCodingMode(v)); }));
  d.Properties.push_back(EnumProp("BoundBoxStyle", xmlBoundingBox, [p] { return int(p->BoundBoxStyle()); },
                                  [p](int v) { p->SetBoundBoxStyle(TBoundingBox(v)); }));
  d.Properties.push_back({"MeshVisible", [p] { return BoolText(p->MeshVisible()); },
                          [p](const std::string& s) { p->SetMeshVisible(ToBool(s)); }});
  d.Properties.push_back({"ColorCodeAvg", [p] { return BoolText(p->ColorCodeAvg()); },
                          [p](const std::string& s) { p->SetColorCodeAvg(ToBool(s)); }});
  d.Properties.push_back({"CaptionZ", [p] { return p->CaptionZ(); }, [p](const std::string& s) { p->SetCaptionZ(s); }});
  return d;
}

ZOL_EXPLORER_ENTRY("Charts", "TRot3D") {
  auto* r = new TRot3D(&Parent);
  r->SetParent(&Parent);
  r->SetBounds(0, 0, 560, 440);
  // A helix of marks around a line, and a square at its foot.
  r->SetDataColor(RGB(0, 90, 200));
  for (int i = 0; i <= 120; ++i) {
    const double t = i * 0.15;
    r->MarkAt(std::cos(t) * 3, std::sin(t) * 3, t, 1);
  }
  r->SetDataColor(RGB(200, 30, 30));
  r->SetLineWidth(2);
  r->Line(0, 0, 0, 0, 0, 18);
  r->SetDataColor(RGB(0, 130, 0));
  r->SetLineWidth(1);
  r->Moveto(-3, -3, 0);
  r->Drawto(3, -3, 0);
  r->Drawto(3, 3, 0);
  r->Drawto(-3, 3, 0);
  r->Drawto(-3, -3, 0);
  r->SetIsoMetric(true);
  r->MakeVisible();
  explorer::Demo d{r, {}};
  d.Properties.push_back({"ViewAngleX", [r] { return Num(r->ViewAngleX()); },
                          [r](const std::string& s) { r->SetViewAngleX(ToNum(s, r->ViewAngleX())); }});
  d.Properties.push_back({"ViewAngleY", [r] { return Num(r->ViewAngleY()); },
                          [r](const std::string& s) { r->SetViewAngleY(ToNum(s, r->ViewAngleY())); }});
  d.Properties.push_back({"ViewAngleZ", [r] { return Num(r->ViewAngleZ()); },
                          [r](const std::string& s) { r->SetViewAngleZ(ToNum(s, r->ViewAngleZ())); }});
  d.Properties.push_back({"Magnification", [r] { return Num(r->Magnification()); },
                          [r](const std::string& s) { r->SetMagnification(ToNum(s, r->Magnification())); }});
  d.Properties.push_back(EnumProp("MouseAction", xmlMouseActMode, [r] { return int(r->MouseAction()); },
                                  [r](int v) { r->SetMouseAction(TMouseActMode(v)); }));
  d.Properties.push_back({"MouseRot3Axes", [r] { return BoolText(r->MouseRot3Axes()); },
                          [r](const std::string& s) { r->SetMouseRot3Axes(ToBool(s)); }});
  d.Properties.push_back(EnumProp("BoundBoxStyle", xmlBoundingBox, [r] { return int(r->BoundBoxStyle()); },
                                  [r](int v) { r->SetBoundBoxStyle(TBoundingBox(v)); }));
  d.Properties.push_back({"BoundBoxSize", [r] { return IntToStr(r->GetBoundBoxSize()); },
                          [r](const std::string& s) { r->SetBoundBoxSize(StrToIntDef(s, r->GetBoundBoxSize())); }});
  d.Properties.push_back(EnumProp("AxDir", kAxDirs, [r] { return int(r->AxDir()); },
                                  [r](int v) { r->SetAxDir(TAxDir(v)); }));
  d.Properties.push_back({"ShowAxes", [r] { return BoolText(r->ShowAxes()); },
                          [r](const std::string& s) { r->SetShowAxes(ToBool(s)); }});
  d.Properties.push_back({"IsoMetric", [r] { return BoolText(r->IsoMetric()); },
                          [r](const std::string& s) {
                            r->SetIsoMetric(ToBool(s));
                            r->MakeVisible();
                          }});
  return d;
}
