// Gallery page: calibrated maps made from NASA's Blue Marble picture — the
// world with graticule and capitals, UTM grids, a calibrated crop with its
// calibration points and residuals, and the atlas at three resolutions.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "apps/gallery/Gallery.h"
#include "apps/gallery/MapsData.h"
#include "base/Zol_stringl.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "geo/Zol_geoatlas.h"
#include "geo/Zol_geobasics.h"
#include "geo/Zol_geomap.h"

using namespace zol;

namespace {

std::string Fixed(double v, int dec) { return strff(v, 1, dec); }

// Loads a sample map into a control of w x h pixels, shown from its top-left corner at Mag.
bool Open(TGeoMap& map, const std::string& calFile, int w, int h, double mag) {
  map.SetBounds(0, 0, w, h);
  if (!map.LoadCalDataFromXML(calFile, "")) return false;
  map.SetMagnification(mag);
  map.SetTopLeft({0, 0});
  return true;
}

// Capitals of the country table: a small circle each, the larger ones captioned.
void AddCapitals(TGeoMap& map, bool captions) {
  static const char* const named[] = {"Washington",   "Ottawa", "Mexico",  "Brasilia", "Buenos Aires", "Lima",
                                      "London",       "Paris",  "Berlin",  "Madrid",   "Rome",         "Moscow",
                                      "Cairo",        "Nairobi", "Pretoria", "Abuja",  "New Delhi",    "Beijing",
                                      "Tokyo",        "Canberra", "Jakarta", "Tehran", "Vienna",       "Warsaw",
                                      "Stockholm",    "Kyiv",   "Ankara",  "Bern",     "Prague",       "Oslo"};
  map.LMTextProps().Size = 7;
  map.LMTextProps().ColorFg = clWhite;
  map.LMTextProps().Dx = 4;
  map.LMTextProps().Dy = -2;
  for (const TCountryRec& c : CountryData) {
    if (std::isnan(c.CapLatitude) || std::isnan(c.CapLongitude) || !*c.Capital) continue;
    bool caption = false;
    for (const char* n : named) caption = caption || std::string(c.Capital).rfind(n, 0) == 0;
    map.AddLandMark(c.CapLatitude, c.CapLongitude, 0, lmCircle, caption ? 1 : 0, c.ISO3Code, 0, 0, clRed, clYellow,
                    2, false, 0, 0);
    if (caption && captions) {
      TLandMark lm = map.LandMarkData(map.NumLandMarks());
      lm.Caption = c.Capital;
      map.SetLandMarkData(map.NumLandMarks(), lm);
    }
  }
}

// A map control of the size of its image (at Mag) rendered into a bitmap.
std::unique_ptr<TBitmap> Render(TGeoMap& map, int w, int h) {
  auto bmp = std::make_unique<TBitmap>(w, h);
  map.ConstructInternalMapImg(bmp->Canvas(), w, h);
  return bmp;
}

void SaveVector(gallery::GalleryPage& page, TGeoMap& map, int w, int h, const std::string& stem,
                const std::string& title) {
  TMetafile mf;
  mf.SetSize(w, h);
  {
    TMetafileCanvas mc(mf);
    map.ConstructInternalMapImg(mc, w, h);
  }
  mf.SaveToFile(page.FilePath(stem + ".svg"));
  page.AddLink(stem + ".svg", title + " as SVG (recorded through the metafile canvas)");
  TPrinter& prn = Printer();
  prn.SetPixelsPerInch(96);
  prn.SetPaperSizeMM(w * 25.4 / 96, h * 25.4 / 96);
  prn.SetTitle(title);
  prn.SetOutputFile(page.FilePath(stem + ".pdf"));
  prn.BeginDoc();
  map.ConstructInternalMapImg(prn.Canvas(), w, h);
  prn.EndDoc();
  page.AddLink(stem + ".pdf", title + " as a one-page PDF (printed through the printer canvas)");
}

}  // namespace

ZOL_GALLERY_PAGE("maps", "Calibrated maps and the atlas", 62) {
  const std::string dir = mapsdemo::MapsDir(__FILE__);

  // ---- the world
  page.AddHeading("The world: graticule and capitals");
  page.AddText(
      "NASA's Blue Marble (public domain, from Debian's xplanet-images) scaled to 1024 x 512 pixels, "
      "calibrated as an equirectangular map from nine points. Graticule every 30 degrees; the capitals of "
      "the country table as landmarks, thirty of them captioned.");
  {
    TGeoMap map(nullptr);
    if (!Open(map, dir + "world.cal", 1024, 512, 1.0)) {
      page.AddText("The sample maps were not found in " + dir + ".");
      return;
    }
    map.SetGratLineDist(30);
    map.SetColorGraticule(RGB(255, 255, 160));
    map.SetShowGraticule(sgLines);
    AddCapitals(map, true);
    auto bmp = Render(map, 1024, 512);
    page.AddImage("world", *bmp, "World map, graticule 30 degrees, capitals as landmarks");
    SaveVector(page, map, 1024, 512, "world", "The world map");
  }

  // ---- UTM grids
  page.AddHeading("UTM grids");
  page.AddText(
      "Left: Europe at the source resolution (about 16 km per pixel) with the grid of UTM zone 32 every "
      "200 km, drawn within the zone as chains of converted points. Right: the "
      "UTM-projected crop of zone 32 (2.5 km per pixel, resampled with PROJ), calibrated in northing and "
      "easting, with its calibration points and a 50 km grid, each line straight between two converted "
      "points and clipped to the image.");
  {
    TGeoMap eu(nullptr);
    Open(eu, dir + "europe.cal", 320, 234, 1.0);
    eu.SetUTMZone(32);
    eu.SetUTMGridDist(200000);
    eu.SetColorGraticule(clYellow);
    eu.SetShowGraticule(sgUTMGrid);
    AddCapitals(eu, false);
    auto a = Render(eu, 320, 234);
    TGeoMap utm(nullptr);
    Open(utm, dir + "utm32.cal", 480, 400, 2.0);
    utm.SetUTMGridDist(50000);
    utm.SetColorGraticule(clYellow);
    utm.SetShowGraticule(sgPointsAndUTMGrid);
    AddCapitals(utm, true);
    auto b = Render(utm, 480, 400);
    TBitmap both(320 + 10 + 480, 400);
    both.Canvas().Brush().SetColor(clWhite);
    both.Canvas().FillRect(Rect(0, 0, both.Width(), both.Height()));
    both.Canvas().Draw(0, 0, *a);
    both.Canvas().Draw(330, 0, *b);
    page.AddImage("utm", both, "UTM zone 32 grid on Europe (200 km) and on the UTM crop (50 km, magnified 2x)");
  }

  // ---- a calibrated crop
  page.AddHeading("A calibrated crop: calibration points and residuals");
  page.AddText(
      "The Alps crop (source pixels magnified four times) calibrated with the second-order polynomial model "
      "from its nine points. The table lists each point's pixel and the pixel the calibration computes from "
      "its latitude and longitude; below it, capitals converted to pixels and back.");
  {
    TGeoMap map(nullptr);
    Open(map, dir + "alps.cal", 608, 320, 2.0);
    map.SetCalibModel(cmBiquadraticPn);
    map.RecalcCalibration();
    map.SetGratLineDist(1);
    map.SetColorGraticule(RGB(255, 255, 160));
    map.SetColorCalibPoints(clRed);
    map.SetShowGraticule(sgPointsAndLines);
    AddCapitals(map, true);
    auto bmp = Render(map, 608, 320);
    page.AddImage("alps", *bmp, "The Alps, biquadratic calibration, graticule every degree, calibration points in red");
    std::vector<std::vector<std::string>> rows = {
        {"Latitude", "Longitude", "Pixel x", "Pixel y", "Computed x", "Computed y"}};
    const TCalibData& cd = map.CalibData();
    for (int i = 0; i < cd.NCalQuads; ++i) {
      int x = 0, y = 0;
      map.CalcPixelCoords(cd.CalQuads[i].Lat, cd.CalQuads[i].Long, x, y);
      rows.push_back({Fixed(cd.CalQuads[i].Lat, 5), Fixed(cd.CalQuads[i].Long, 5), std::to_string(cd.CalQuads[i].X),
                      std::to_string(cd.CalQuads[i].Y), std::to_string(x), std::to_string(y)});
    }
    page.AddTable(rows);
    double qx, qy;
    map.CalibQuality(qx, qy);
    page.AddText("Root mean square of the residuals: x " + Fixed(qx, 3) + " pixels, y " + Fixed(qy, 3) + " pixels.");
    std::vector<std::vector<std::string>> caps = {{"Capital", "Latitude", "Longitude", "Pixel", "Back to latitude",
                                                   "Back to longitude"}};
    for (const char* name : {"Vienna", "Bern", "Ljubljana", "Vaduz", "Zagreb"}) {
      for (const TCountryRec& c : CountryData) {
        if (std::string(c.Capital) != name) continue;
        int x = 0, y = 0;
        bool v1 = false, v2 = false;
        double la = 0, lo = 0;
        if (map.CalcPixelCoords(c.CapLatitude, c.CapLongitude, x, y)) {
          la = map.CalcLatitude(x, y, v1);
          lo = map.CalcLongitude(x, y, v2);
        }
        caps.push_back({name, Fixed(c.CapLatitude, 4), Fixed(c.CapLongitude, 4),
                        "(" + std::to_string(x) + ", " + std::to_string(y) + ")", v1 ? Fixed(la, 4) : "-",
                        v2 ? Fixed(lo, 4) : "-"});
      }
    }
    page.AddTable(caps);
  }

  // ---- the atlas
  page.AddHeading("The atlas at three resolutions");
  page.AddText(
      "An atlas with the world, Europe and the Alps registered. Zooming in at Innsbruck moves from the world "
      "(39 km per pixel) to Europe (16 km per pixel) to the Alps (4 km per pixel); the outlines of the other "
      "registered maps are drawn in blue on the current one.");
  {
    auto atlas = std::make_unique<TGeoAtlas>(nullptr);
    atlas->SetBounds(0, 0, 480, 320);
    for (const char* n : {"world.cal", "europe.cal", "alps.cal"}) atlas->RegisterMap(dir + n);
    atlas->SelectMap(1);
    atlas->Map()->ZoomFitPage();
    std::vector<std::unique_ptr<TBitmap>> shots;
    shots.push_back(atlas->PaintToBitmap());
    for (int k = 0; k < 2; ++k) {
      atlas->ZoomIn(47.27, 11.39, atlas->MapDef(atlas->CurrentMap()).Resolution);
      shots.push_back(atlas->PaintToBitmap());
    }
    TBitmap sheet(3 * 480 + 20, 320);
    sheet.Canvas().Brush().SetColor(clWhite);
    sheet.Canvas().FillRect(Rect(0, 0, sheet.Width(), sheet.Height()));
    for (int k = 0; k < 3; ++k) sheet.Canvas().Draw(k * 490, 0, *shots[k]);
    page.AddImage("atlas", sheet, "World, Europe and Alps: two zoom-in steps at Innsbruck");
  }
}
