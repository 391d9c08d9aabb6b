// The atlas: catalogue, selection, zoom between resolutions, outlines, and the
// command panel through the headless host.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_sysutils.h"
#include "geo/Zol_geoatlas.h"

using namespace zol;

namespace {

const std::string kMaps = std::string(ZOL_TEST_SRC_DIR) + "/../../data/maps/";

std::string TempDir() {
  const std::string d = GetTempDirectory() + "zol_atlas_" + std::to_string(::getpid()) + "/";
  ForceDirectories(d);
  return d;
}

// A calibration file without image: a square of the given extent and resolution.
std::string WriteCal(const std::string& name, const std::string& caption, double res, double lat0, double lat1,
                     double lon0, double lon1) {
  const std::string fn = TempDir() + name;
  std::ofstream o(fn);
  o << "<geomap sig=\"ZOLCSuite\" vers=\"1.0\" id=\"\" model=\"equirect\" map=\"\" caption=\"" << caption << "\">\n"
    << "<corners>\n[" << lat1 << "," << lon0 << "] [" << lat0 << "," << lon0 << "] [" << lat0 << "," << lon1
    << "] [" << lat1 << "," << lon1 << "]\n</corners>\n<resolution>" << res << "</resolution>\n"
    << "<calquads npoints=\"3\">\n[" << lat1 << "," << lon0 << ",0,0] [" << lat0 << "," << lon0 << ",0,100] ["
    << lat1 << "," << lon1 << ",100,0]\n</calquads>\n</geomap>\n";
  return fn;
}

TEST(PositionInMap, InsideOutsideAndCornerOrder) {
  TMapCorners c;
  c[gcoTopLeft] = {50, 10};
  c[gcoBottomLeft] = {40, 10};
  c[gcoBottomRight] = {40, 20};
  c[gcoTopRight] = {50, 20};
  EXPECT_TRUE(PositionInMap(c, 45, 15));
  EXPECT_TRUE(PositionInMap(c, 49.9, 10.1));
  EXPECT_FALSE(PositionInMap(c, 51, 15));
  EXPECT_FALSE(PositionInMap(c, 45, 9.9));
  EXPECT_FALSE(PositionInMap(c, 40, 15));  // on an edge: not inside
  std::swap(c[1], c[3]);                   // the other turning sense
  EXPECT_TRUE(PositionInMap(c, 45, 15));
  EXPECT_FALSE(PositionInMap(c, 35, 15));
  TMapCorners none{};
  EXPECT_FALSE(PositionInMap(none, 0, 0));
}

TEST(GeoAtlas, CatalogueRegistersOnceInAnyCase) {
  TGeoAtlas atlas(nullptr);
  EXPECT_EQ(atlas.Left(), 100);
  EXPECT_EQ(atlas.Top(), 50);
  EXPECT_EQ(atlas.Width(), 480);
  EXPECT_EQ(atlas.Height(), 320);
  EXPECT_EQ(atlas.MinResDiff(), 10);
  EXPECT_EQ(atlas.MapOutlineColor(), TColor(0xFF0000));
  ASSERT_TRUE(atlas.RegisterMap(kMaps + "world.cal"));
  ASSERT_TRUE(atlas.RegisterMap(kMaps + "WORLD.CAL"));
  EXPECT_EQ(atlas.NumMaps(), 1);
  EXPECT_EQ(atlas.MapDef(1).Caption, "World");
  EXPECT_EQ(atlas.MapDef(1).CalFileName, LowerCase(kMaps + "world.cal"));
  EXPECT_NEAR(atlas.MapDef(1).Corners[gcoTopLeft].Lat, 90 - 0.5 * 0.3515625, 1e-5);
  EXPECT_EQ(atlas.MapDef(2).CalFileName, "");  // outside: empty
  EXPECT_FALSE(atlas.RegisterMap(kMaps + "nothing.cal"));
  ASSERT_TRUE(atlas.RegisterMap(kMaps + "europe.cal"));
  EXPECT_EQ(atlas.MapListItems(), (std::vector<std::string>{"World", "Europe"}));
  const std::string bare = WriteCal("bare.cal", "", 5, 0, 1, 0, 1);
  ASSERT_TRUE(atlas.RegisterMap(bare));
  EXPECT_EQ(atlas.MapListItems()[2], LowerCase(bare));  // no caption: the file name
}

TEST(GeoAtlas, CatalogueIsBounded) {
  TGeoAtlas atlas(nullptr);
  for (int i = 0; i < MaxAtlasMaps; ++i)
    ASSERT_TRUE(atlas.RegisterMap(WriteCal("m" + std::to_string(i) + ".cal", "M", 1, 0, 1, 0, 1)));
  EXPECT_FALSE(atlas.RegisterMap(WriteCal("extra.cal", "X", 1, 0, 1, 0, 1)));
  EXPECT_EQ(atlas.NumMaps(), MaxAtlasMaps);
  EXPECT_TRUE(atlas.RegisterMap(TempDir() + "m7.cal"));  // an update still works
}

TEST(GeoAtlas, ZoomBetweenResolutions) {
  TGeoAtlas atlas(nullptr);
  atlas.RegisterMap(WriteCal("r100.cal", "R100", 100, 40, 50, 0, 20));
  atlas.RegisterMap(WriteCal("r50.cal", "R50", 50, 44, 46, 9, 11));
  atlas.RegisterMap(WriteCal("r45.cal", "R45", 45, 44.5, 45.5, 9.5, 10.5));
  atlas.RegisterMap(WriteCal("far.cal", "Far", 10, -10, 0, 100, 120));
  ASSERT_TRUE(atlas.SelectMap(1));
  EXPECT_TRUE(atlas.ZoomIn(45, 10, 100));
  EXPECT_EQ(atlas.CurrentMap(), 2);
  EXPECT_EQ(atlas.MapListIndex(), 1);
  EXPECT_FALSE(atlas.ZoomIn(45, 10, 50));  // 45 lies within 10 percent of 50
  EXPECT_EQ(atlas.CurrentMap(), 2);
  atlas.SetMinResDiff(5);
  EXPECT_TRUE(atlas.ZoomIn(45, 10, 50));
  EXPECT_EQ(atlas.CurrentMap(), 3);
  EXPECT_TRUE(atlas.ZoomOut(45, 10, 45));
  EXPECT_EQ(atlas.CurrentMap(), 2);
  EXPECT_TRUE(atlas.ZoomOut(45, 10, 50));
  EXPECT_EQ(atlas.CurrentMap(), 1);
  EXPECT_FALSE(atlas.ZoomOut(45, 10, 100));
  EXPECT_FALSE(atlas.ZoomIn(60, 60, 100));  // nothing covers the position
  EXPECT_EQ(atlas.CurrentMap(), 1);
  EXPECT_FALSE(atlas.ZoomIn(45, 10, 0));  // a current resolution of 0
  EXPECT_FALSE(atlas.ZoomIn(45, 10, -3));
  EXPECT_EQ(atlas.CurrentMap(), 1);
}

TEST(GeoAtlas, UnregisterKeepsTheCurrentIndexValid) {
  TGeoAtlas atlas(nullptr);
  for (const char* n : {"a.cal", "b.cal", "c.cal", "d.cal"}) atlas.RegisterMap(WriteCal(n, n, 1, 0, 1, 0, 1));
  ASSERT_TRUE(atlas.SelectMap(3));
  atlas.UnregisterMap(1);  // before the current one
  EXPECT_EQ(atlas.CurrentMap(), 2);
  EXPECT_EQ(atlas.MapDef(atlas.CurrentMap()).Caption, "c.cal");
  atlas.UnregisterMap(2);  // the current one: the map taking its place is selected
  EXPECT_EQ(atlas.CurrentMap(), 2);
  EXPECT_EQ(atlas.MapDef(2).Caption, "d.cal");
  EXPECT_EQ(atlas.MapListIndex(), 1);
  atlas.UnregisterMap(2);  // the last one: the new last is selected
  EXPECT_EQ(atlas.CurrentMap(), 1);
  atlas.UnregisterMap(1);
  EXPECT_EQ(atlas.CurrentMap(), 0);
  EXPECT_EQ(atlas.NumMaps(), 0);
  EXPECT_EQ(atlas.MapListIndex(), -1);
  atlas.UnregisterMap(5);  // out of range: nothing
  EXPECT_FALSE(atlas.SelectMap(1));
}

// The outline of Europe on the world map at magnification 1: its corners at
// the world pixels of the known geometry (0.3515625 degrees per pixel).
TEST(GeoAtlas, OutlinesOfTheOtherMaps) {
  TGeoAtlas atlas(nullptr);
  atlas.SetBounds(0, 0, 1024, 512 + 33);
  atlas.RegisterMap(kMaps + "world.cal");
  atlas.RegisterMap(kMaps + "europe.cal");
  ASSERT_TRUE(atlas.SelectMap(1));
  atlas.Map()->SetFrameStyle(fsNone);
  atlas.Map()->SetMagnification(1);
  atlas.Map()->SetTopLeft({0, 0});
  auto pic = atlas.Map()->PaintToBitmap();
  // Europe's top-left corner pixel centre: 71.98242 N, 16.78711 W
  const int x0 = int(std::floor((-16.78711 + 180) / 0.3515625));
  const int y0 = int(std::floor((90 - 71.98242) / 0.3515625));
  const int x1 = int(std::floor((39.28711 + 180) / 0.3515625));
  const int y1 = int(std::floor((90 - 31.02539) / 0.3515625));
  const TColor blue = TColor(0xFF0000);
  EXPECT_EQ(pic->Canvas().Pixels((x0 + x1) / 2, y0), blue);
  EXPECT_EQ(pic->Canvas().Pixels((x0 + x1) / 2, y1), blue);
  EXPECT_EQ(pic->Canvas().Pixels(x0, (y0 + y1) / 2), blue);
  EXPECT_EQ(pic->Canvas().Pixels(x1, (y0 + y1) / 2), blue);
  EXPECT_NE(pic->Canvas().Pixels((x0 + x1) / 2, y0 + 3), blue);
  atlas.SetMapOutlineVisible(false);
  auto plain = atlas.Map()->PaintToBitmap();
  EXPECT_NE(plain->Canvas().Pixels((x0 + x1) / 2, y0), blue);
}

class AtlasHost : public ::testing::Test {
 protected:
  void SetUp() override {
    app = Application();
    app->ResetHeadless();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 500, 400);
    atlas = new TGeoAtlas(form.get());
    atlas->SetParent(form.get());
    atlas->SetBounds(0, 0, 480, 353);
    for (const char* n : {"world.cal", "europe.cal", "alps.cal"}) ASSERT_TRUE(atlas->RegisterMap(kMaps + n));
    form->Show();
    ASSERT_TRUE(atlas->SelectMap(1));
    app->ProcessMessages();
  }
  void TearDown() override {
    form.reset();
    app->ResetHeadless();
  }
  // Clicks the map at the control position of (lat, long) on the current map.
  void ClickAt(double lat, double lon, TMouseButton b) {
    int x, y;
    ASSERT_TRUE(atlas->Map()->CalcPixelCoords(lat, lon, x, y));
    const TPoint c = atlas->Map()->MapImageToControl({x, y});
    app->Click(form.get(), c.X, c.Y + 33, b);
    app->ProcessMessages();
  }
  TApplication* app = nullptr;
  std::unique_ptr<TForm> form;
  TGeoAtlas* atlas = nullptr;
};

TEST_F(AtlasHost, PanelLayoutAndEmptyMessage) {
  EXPECT_EQ(atlas->Map()->EmptyMsg(), "TGeoAtlas: Empty");
  EXPECT_EQ(atlas->CmdPanel()->Height(), 33);
  EXPECT_EQ(atlas->ZoomButton()->Left(), atlas->PointerButton()->Left() + atlas->PointerButton()->Width() + 3);
  EXPECT_EQ(atlas->MapList()->Left(), atlas->ZoomButton()->Left() + atlas->ZoomButton()->Width() + 10);
  EXPECT_EQ(atlas->MapList()->Top(), 5);
  EXPECT_EQ(atlas->MapList()->Width(), 300);
  EXPECT_EQ(atlas->Map()->Top(), 33);
  EXPECT_EQ(atlas->Map()->Height(), 353 - 33);
  atlas->SetCmdPanelVisible(false);
  EXPECT_EQ(atlas->Map()->Top(), 0);
}

TEST_F(AtlasHost, ZoomInAndOutAcrossThreeMaps) {
  std::vector<std::string> log;
  atlas->OnZoomButClick = [&](TObject*) { log.push_back("zoom"); };
  atlas->OnPointerButClick = [&](TObject*) { log.push_back("pointer"); };
  atlas->OnClick = [&](TObject*) { log.push_back("click"); };
  const TSpeedButton* zb = atlas->ZoomButton();
  app->Click(form.get(), zb->Left() + 5, zb->Top() + 5);
  app->ProcessMessages();
  EXPECT_TRUE(atlas->ZoomButtonDown());
  EXPECT_EQ(atlas->Cursor(), crGeoZoom);
  EXPECT_FALSE(atlas->Map()->AllowPan());
  EXPECT_EQ(log, (std::vector<std::string>{"click", "zoom"}));
  // Innsbruck lies on all three maps
  ClickAt(47.27, 11.39, mbLeft);
  EXPECT_EQ(atlas->CurrentMap(), 2);
  ClickAt(47.27, 11.39, mbLeft);
  EXPECT_EQ(atlas->CurrentMap(), 3);
  ClickAt(47.27, 11.39, mbLeft);  // nothing finer
  EXPECT_EQ(atlas->CurrentMap(), 3);
  ClickAt(47.27, 11.39, mbRight);
  EXPECT_EQ(atlas->CurrentMap(), 2);
  ClickAt(47.27, 11.39, mbRight);
  EXPECT_EQ(atlas->CurrentMap(), 1);
  // the clicked position is brought to the centre of the view
  int x, y;
  ASSERT_TRUE(atlas->Map()->CalcPixelCoords(47.27, 11.39, x, y));
  const TPoint c = atlas->Map()->MapImageToControl({x, y});
  EXPECT_LE(std::abs(c.X - atlas->Map()->Width() / 2), 2);
  EXPECT_LE(std::abs(c.Y - atlas->Map()->Height() / 2), 2);
  EXPECT_TRUE(zb->Down());
  const TSpeedButton* pb = atlas->PointerButton();
  EXPECT_FALSE(pb->Down());
  app->Click(form.get(), pb->Left() + 5, pb->Top() + 5);
  app->ProcessMessages();
  EXPECT_FALSE(atlas->ZoomButtonDown());
  EXPECT_EQ(atlas->Cursor(), crHandPoint);
  EXPECT_TRUE(atlas->Map()->AllowPan());
  ClickAt(47.27, 11.39, mbLeft);  // pointer mode: no zoom
  EXPECT_EQ(atlas->CurrentMap(), 1);
}

TEST_F(AtlasHost, ChoosingFromTheListSelectsTheMap) {
  int changes = 0;
  atlas->OnCBoxMapsChange = [&](TObject*) { ++changes; };
  TComboBox* cb = atlas->MapList();
  EXPECT_EQ(cb->Items().Count(), 3);
  EXPECT_EQ(cb->Text(), "World");
  const TPoint at = cb->ClientToParent({60, 10}, form.get());
  app->Click(form.get(), at.X, at.Y);
  app->ProcessMessages();
  ASSERT_TRUE(cb->DroppedDown());
  TListBox* l = cb->DropDownList();
  const TPoint item = l->ClientToParent({20, 2 * l->ItemHeight() + 2}, form.get());  // the third line
  app->Click(form.get(), item.X, item.Y);
  app->ProcessMessages();
  EXPECT_EQ(atlas->CurrentMap(), 3);
  EXPECT_EQ(atlas->MapListIndex(), 2);
  EXPECT_EQ(cb->Text(), "Alps");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(atlas->Map()->MapCaption(), "Alps");
  EXPECT_TRUE(atlas->Map()->HasMapImage());  // found beside its calibration file
  int mouse = 0;
  atlas->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++mouse; };
  app->Click(form.get(), 100, 100);
  app->ProcessMessages();
  EXPECT_EQ(mouse, 1);  // the map's mouse events are the atlas's own
}

}  // namespace
