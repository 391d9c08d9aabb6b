// Gallery page: the 3D surface plot in every mesh style and colour coding, and
// a rotated 3D scatter plot of a point cloud; each as PNG, SVG and PDF.
#include <cmath>
#include <memory>
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_sysutils.h"
#include "chart/Zol_plot3d.h"
#include "chart/Zol_rot3d.h"

using namespace zol;

namespace {

// PNG, SVG and PDF of a view.
void AddPicture(gallery::GalleryPage& page, const std::string& stem, const std::string& caption, TCustom3DView& v) {
  TBitmap bmp(v.Width(), v.Height());
  v.DrawOnForeignCanvas(bmp.Canvas());
  page.AddImage(stem, bmp, caption);
  TMetafile mf;
  v.CopyToMetafile(mf);
  mf.SaveToFile(page.FilePath(stem + ".svg"));
  mf.SaveToPDFFile(page.FilePath(stem + ".pdf"));
  page.AddLink(stem + ".svg", "SVG");
  page.AddLink(stem + ".pdf", "PDF");
}

// sin(r)/r over −10..10 on an n × n grid.
void FillSinc(TMatrix* m, int n) {
  m->Resize(n, n);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      const double x = -10 + 20.0 * (i - 1) / (n - 1), y = -10 + 20.0 * (j - 1) / (n - 1);
      const double r = std::hypot(x, y);
      m->SetVal(i, j, r < 1e-9 ? 1.0 : std::sin(r) / r);
    }
  m->Changed();
}

// A normal deviate (Box–Muller) from the suite's uniform generator.
double Gauss(double mean, double sd) {
  const double u = 1.0 - Random(), v = Random();
  return mean + sd * std::sqrt(-2.0 * std::log(u)) * std::cos(2 * 3.14159265358979323846 * v);
}

}  // namespace

ZOL_GALLERY_PAGE("plot3d", "3D surface and rotatable 3D scatter plot", 55) {
  const int w = 420, h = 340;
  auto plot = std::make_unique<TPlot3D>(nullptr);
  plot->SetBounds(0, 0, w, h);
  FillSinc(plot->GridMat(), 25);
  plot->SetRange(-10, 10, -10, 10, -0.4, 1.0);
  plot->SetColorScaleLow(-0.3);
  plot->SetColorScaleHigh(1.0);
  plot->SetCaptionZ("sin(r)/r");
  plot->SetMagnify(0.58);
  plot->SetDecPlaceX(0);
  plot->SetDecPlaceY(0);
  plot->SetDecPlaceZ(1);

  page.AddHeading("Surface sin(r)/r: mesh styles");
  page.AddText("A 25 × 25 grid, z range −0.4..1, colour coded from black (−0.3) to yellow (1) by the highest corner of each cell.");
  const struct {
    TMeshKind kind;
    const char* stem;
    const char* name;
  } kinds[] = {{mkMesh, "mesh", "mkMesh"},
               {mkWaterfallHorz, "waterfall_horz", "mkWaterfallHorz"},
               {mkWaterfallVert, "waterfall_vert", "mkWaterfallVert"},
               {mkWaterfallDiag, "waterfall_diag", "mkWaterfallDiag"},
               {mkGrid, "grid", "mkGrid"}};
  for (const auto& k : kinds) {
    plot->SetMeshKind(k.kind);
    AddPicture(page, k.stem, k.name, *plot);
  }

  page.AddHeading("Colour coding");
  plot->SetMeshKind(mkMesh);
  plot->SetColorCodingMode(ccmThreeColors);
  plot->SetColorLow(RGB(0, 0, 160));
  plot->SetColorMid(RGB(240, 240, 240));
  plot->SetColorHigh(RGB(200, 0, 0));
  plot->SetViewAngles(50, 210);
  AddPicture(page, "three_colors", "ccmThreeColors: blue - white - red, azimuth 210°", *plot);
  plot->SetColorCodeAvg(true);
  plot->SetMeshVisible(false);
  plot->SetBoundBoxStyle(bbFrame);
  AddPicture(page, "three_colors_avg", "ccmThreeColors by the mean of the corners, no mesh, cube frame only", *plot);
  plot->SetColorCodingMode(ccmTwoColors);
  plot->SetColorLow(RGB(20, 60, 20));
  plot->SetColorHigh(RGB(180, 255, 120));
  plot->SetMeshVisible(true);
  plot->SetColorMesh(RGB(0, 70, 0));
  plot->SetBoundBoxStyle(bbFaces);
  plot->Reset();
  plot->SetMagnify(0.58);
  AddPicture(page, "two_colors_reset", "ccmTwoColors, the view after Reset (elevation 66°, azimuth 135°)", *plot);

  // ---- rotatable scatter plot
  page.AddHeading("Rotatable 3D scatter plot");
  page.AddText("Three Gaussian clusters of 150 points each (marks in three colours), joined by the path of their centres, "
               "rotated to elevation 70°, azimuth 30°.");
  auto rot = std::make_unique<TRot3D>(nullptr);
  rot->SetBounds(0, 0, w, h);
  RandSeed = 12345;
  const double centres[3][3] = {{0, 0, 0}, {4, 1, 2}, {1, 5, -2}};
  const TColor colours[3] = {RGB(200, 0, 0), RGB(0, 120, 0), RGB(0, 0, 200)};
  const uint8_t marks[3] = {1, 5, 11};
  for (int k = 0; k < 3; ++k) {
    rot->SetDataColor(colours[k]);
    for (int i = 0; i < 150; ++i)
      rot->MarkAt(centres[k][0] + Gauss(0, 0.8), centres[k][1] + Gauss(0, 0.8), centres[k][2] + Gauss(0, 0.8),
                  marks[k]);
  }
  rot->SetDataColor(clBlack);
  rot->SetLineWidth(2);
  rot->Moveto(centres[0][0], centres[0][1], centres[0][2]);
  for (int k = 1; k < 3; ++k) rot->Drawto(centres[k][0], centres[k][1], centres[k][2]);
  rot->SetIsoMetric(true);
  rot->MakeVisible();
  rot->SetViewAngles(70, 0, 30);
  rot->SetAxSize(550);
  AddPicture(page, "scatter", "TRot3D: three clusters, isometric scaling", *rot);
  rot->SetViewAngles(110, 0, 210);
  rot->SetBoundBoxStyle(bbFrame);
  rot->SetAxDir(adRightHanded);
  AddPicture(page, "scatter_default", "The same cloud at the default angles, right-handed axes, cube frame only", *rot);
}
