// The atlas (TGeoAtlas): catalogue of registered maps, command panel, zoom
// between maps of different resolution and the outlines of the other maps.
#include "geo/Zol_geoatlas.h"

#include <algorithm>
#include <cmath>

#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_resources.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

namespace {

// The glyphs of the speed buttons and the two cursors, drawn as text.
void RegisterAtlasImages() {
  static bool done = false;
  if (done) return;
  done = true;
  const std::vector<std::pair<char, uint32_t>> legend = {
      {'#', 0xFF000000}, {'w', 0xFFFFFFFF}, {'g', 0xFF808080}, {'b', 0xFF0000C0}};
  Resources::RegisterArt("POINTR", {"................",
                                    "...#............",
                                    "...##...........",
                                    "...#w#..........",
                                    "...#ww#.........",
                                    "...#www#........",
                                    "...#wwww#.......",
                                    "...#wwwww#......",
                                    "...#wwwwww#.....",
                                    "...#wwwwwww#....",
                                    "...#wwww#####...",
                                    "...#ww#ww#......",
                                    "...#w#.#ww#.....",
                                    "...##..#ww#.....",
                                    "...#....#ww#....",
                                    "........####...."},
                         legend);
  Resources::RegisterArt("ZOOMIN", {"................",
                                    ".....####.......",
                                    "...##wwww##.....",
                                    "..#wwwbbwww#....",
                                    "..#wwwbbwww#....",
                                    ".#wbbbbbbbbw#...",
                                    ".#wbbbbbbbbw#...",
                                    "..#wwwbbwww#....",
                                    "..#wwwbbwww#....",
                                    "...##wwww###....",
                                    ".....####.###...",
                                    "...........###..",
                                    "............###.",
                                    ".............##.",
                                    "................",
                                    "................"},
                         legend);
  Resources::RegisterArt("CURGEOZOOM", {"....####........",
                                        "..##wwww##......",
                                        ".#www##www#.....",
                                        ".#www##www#.....",
                                        "#w########w#....",
                                        "#w########w#....",
                                        ".#www##www#.....",
                                        ".#www##www#.....",
                                        "..##wwww###.....",
                                        "....####.###....",
                                        "..........###...",
                                        "...........###..",
                                        "............###.",
                                        ".............##.",
                                        "................",
                                        "................"},
                                       legend);
  Resources::RegisterArt("CURGEOHAND", {"......##........",
                                        ".....#ww#.......",
                                        ".....#ww#.......",
                                        ".....#ww###.....",
                                        ".....#ww#ww##...",
                                        "..##.#ww#ww#w#..",
                                        ".#ww##ww#ww#ww#.",
                                        ".#www#wwwwwwww#.",
                                        "..#wwwwwwwwwww#.",
                                        "...#wwwwwwwwww#.",
                                        "...#wwwwwwwww#..",
                                        "....#wwwwwwww#..",
                                        ".....#wwwwww#...",
                                        ".....#wwwwww#...",
                                        ".....########...",
                                        "................"},
                                       legend);
}

}  // namespace

// ---------------------------------------------------------------- command panel
// A raised panel with the pointer and zoom speed buttons (one group: one of
// them is down) and the drop-down list of maps.
class TAtlasCmdPanel : public TPanel {
 public:
  TAtlasCmdPanel(TComponent* AOwner, TGeoAtlas* Atlas) : TPanel(AOwner) {
    SetCaption("");
    SetHeight(33);
    SetAlign(alTop);
    Pointer = new TSpeedButton(this);
    Pointer->SetParent(this);
    Pointer->SetBounds(5, 5, 23, 22);
    Pointer->Glyph().LoadFromResourceName("POINTR");
    Pointer->SetGroupIndex(1);
    Pointer->SetDown(true);
    Pointer->SetHint("Pointer");
    Pointer->OnClick = [Atlas](TObject*) { Atlas->ButtonClicked(false); };
    Zoom = new TSpeedButton(this);
    Zoom->SetParent(this);
    Zoom->SetBounds(Pointer->Left() + Pointer->Width() + 3, 5, 23, 22);
    Zoom->Glyph().LoadFromResourceName("ZOOMIN");
    Zoom->SetGroupIndex(1);
    Zoom->SetHint("Zoom between maps");
    Zoom->OnClick = [Atlas](TObject*) { Atlas->ButtonClicked(true); };
    List = new TComboBox(this);
    List->SetParent(this);
    List->SetStyle(csDropDownList);
    List->SetBounds(Zoom->Left() + Zoom->Width() + 10, 5, 300, 22);
    List->OnSelect = [Atlas, this](TObject*) { Atlas->ChooseMapFromList(List->ItemIndex()); };
  }
  TSpeedButton* Pointer;
  TSpeedButton* Zoom;
  TComboBox* List;
};

// ---------------------------------------------------------------- TGeoAtlas
TGeoAtlas::TGeoAtlas(TComponent* AOwner) : TCustomControl(AOwner) {
  RegisterAtlasImages();
  Screen()->SetCursors(crGeoZoom, "CURGEOZOOM");
  Screen()->SetCursors(crGeoHand, "CURGEOHAND");
  FPanel = new TAtlasCmdPanel(this, this);
  FPanel->SetParent(this);
  FMap = new TGeoMap(this);
  FMap->SetParent(this);
  FMap->SetAlign(alClient);
  FMap->SetCursor(crHandPoint);
  FMap->OnMapImageRequest = [this](TObject*, std::string& name) {
    const std::string& cal = FLoadingCal.empty() ? GetMapDef(FCurrent).CalFileName : FLoadingCal;
    if (!cal.empty()) name = ExtractFilePath(cal) + ExtractFileName(name);
  };
  FMap->OnDataRendered = [this](TObject*, TCanvas& C) { DrawOutlines(C); };
  FMap->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) { MapMouseDown(b, s, x, y); };
  FMap->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseUp) {
      auto h = OnMouseUp;
      h(this, b, s, x, y);
    }
  };
  FMap->OnMouseMove = [this](TObject*, TShiftState s, int x, int y) {
    if (OnMouseMove) {
      auto h = OnMouseMove;
      h(this, s, x, y);
    }
  };
  FMap->OnClick = [this](TObject*) {
    if (OnClick) {
      auto h = OnClick;
      h(this);
    }
  };
  FMap->OnDblClick = [this](TObject*) {
    if (OnDblClick) {
      auto h = OnDblClick;
      h(this);
    }
  };
  SetBounds(100, 50, 480, 320);
}

TGeoAtlas::~TGeoAtlas() = default;

void TGeoAtlas::CreateWnd() {
  TCustomControl::CreateWnd();
  FMap->SetEmptyMsg("TGeoAtlas: Empty");
}

TPanel* TGeoAtlas::CmdPanel() const { return FPanel; }
TSpeedButton* TGeoAtlas::PointerButton() const { return FPanel->Pointer; }
TSpeedButton* TGeoAtlas::ZoomButton() const { return FPanel->Zoom; }
TComboBox* TGeoAtlas::MapList() const { return FPanel->List; }

TMapDefinition TGeoAtlas::GetMapDef(int i) const {
  if (i < 1 || i > NumMaps()) return {};
  return FDefs[i - 1];
}

void TGeoAtlas::RebuildList() {
  FListItems.clear();
  for (const auto& d : FDefs) FListItems.push_back(d.Caption.empty() ? d.CalFileName : d.Caption);
  FListIndex = (FCurrent >= 1 && FCurrent <= NumMaps()) ? FCurrent - 1 : -1;
  TComboBox* cb = FPanel->List;
  cb->Items().Clear();
  for (const auto& t : FListItems) cb->Items().Add(t);
  cb->SetItemIndex(FListIndex);
}

bool TGeoAtlas::RegisterMap(const std::string& CalFileName) {
  const std::string name = LowerCase(CalFileName);
  TCalibData d;
  TCalibModel m;
  bool ok = false;
  try {
    ok = ParseCalibData(name, "", d, m);
    if (!ok && name != CalFileName) ok = ParseCalibData(CalFileName, "", d, m);
  } catch (const EZOLGeoMapError&) {
    ok = false;
  }
  if (!ok) return false;
  auto it = std::find_if(FDefs.begin(), FDefs.end(), [&](const TMapDefinition& x) { return x.CalFileName == name; });
  if (it == FDefs.end()) {
    if (NumMaps() >= MaxAtlasMaps) return false;  // the catalogue is full
    FDefs.push_back({});
    it = FDefs.end() - 1;
  }
  // the file is read under the name given; the catalogue keeps it in lower case
  it->CalFileName = name;
  it->Caption = d.Caption;
  it->Resolution = d.Resolution;
  it->Corners = d.Corners;
  FFileNames[name] = CalFileName;
  RebuildList();
  FMap->Invalidate();
  return true;
}

void TGeoAtlas::UnregisterMap(int Index) {
  if (Index < 1 || Index > NumMaps()) return;
  FFileNames.erase(FDefs[Index - 1].CalFileName);
  FDefs.erase(FDefs.begin() + (Index - 1));
  if (Index < FCurrent) {
    --FCurrent;
  } else if (Index == FCurrent) {
    // the map now at that position takes its place (the last one when it was the last)
    FCurrent = 0;
    const int next = std::min(Index, NumMaps());
    if (next >= 1) {
      if (!SelectMap(next)) FCurrent = 0;
    } else {
      FMap->Clear();
    }
  }
  RebuildList();
  FMap->Invalidate();
}

bool TGeoAtlas::SelectMap(int Index) {
  if (Index < 1 || Index > NumMaps()) return false;
  const std::string& key = FDefs[Index - 1].CalFileName;
  auto fn = FFileNames.find(key);
  FLoadingCal = fn != FFileNames.end() ? fn->second : key;
  bool ok = false;
  try {
    ok = FMap->LoadCalDataFromXML(FLoadingCal, "");
  } catch (const EZOLGeoMapError&) {
    ok = false;
  }
  FLoadingCal.clear();
  if (!ok) return false;
  FCurrent = Index;
  RebuildList();
  FMap->Invalidate();
  return true;
}

void TGeoAtlas::ChooseMapFromList(int Index) {
  if (!SelectMap(Index + 1)) {
    RebuildList();  // the list shows the map that stays
    return;
  }
  if (OnCBoxMapsChange) {
    auto h = OnCBoxMapsChange;
    h(this);
  }
}

bool TGeoAtlas::ZoomIn(double Lat, double Long, double CurrentRes) {
  if (!(CurrentRes > 0)) return false;  // nothing is finer than a resolution of 0
  int best = 0;
  double bestRes = 0;
  for (int i = 1; i <= NumMaps(); ++i) {
    const TMapDefinition& d = FDefs[i - 1];
    if (!PositionInMap(d.Corners, Lat, Long)) continue;
    if ((CurrentRes - d.Resolution) / CurrentRes > FMinResDiff / 100 && (best == 0 || d.Resolution > bestRes)) {
      best = i;
      bestRes = d.Resolution;
    }
  }
  if (best == 0 || !SelectMap(best)) return false;
  FMap->BringLocationToCenter(Lat, Long);
  return true;
}

bool TGeoAtlas::ZoomOut(double Lat, double Long, double CurrentRes) {
  int best = 0;
  double bestRes = 0;
  for (int i = 1; i <= NumMaps(); ++i) {
    const TMapDefinition& d = FDefs[i - 1];
    if (!PositionInMap(d.Corners, Lat, Long)) continue;
    if (d.Resolution > CurrentRes && (best == 0 || d.Resolution < bestRes)) {
      best = i;
      bestRes = d.Resolution;
    }
  }
  if (best == 0 || !SelectMap(best)) return false;
  FMap->BringLocationToCenter(Lat, Long);
  return true;
}

void TGeoAtlas::SetCmdPanelVisible(bool v) {
  if (v == FCmdPanelVisible) return;
  FCmdPanelVisible = v;
  FPanel->SetVisible(v);
  Realign();
  Invalidate();
}

void TGeoAtlas::SetMapOutlineColor(TColor v) {
  if (v == FOutlineColor) return;
  FOutlineColor = v;
  FMap->Invalidate();
}

void TGeoAtlas::SetMapOutlineVisible(bool v) {
  if (v == FOutlineVisible) return;
  FOutlineVisible = v;
  FMap->Invalidate();
}

void TGeoAtlas::SetMinResDiff(double v) {
  if (!std::isfinite(v)) return;
  FMinResDiff = std::clamp(v, 0.0, 1000.0);
}

void TGeoAtlas::ButtonClicked(bool Zoom) {
  FZoomDown = FPanel->Zoom->Down();
  (void)Zoom;
  if (FZoomDown) {
    SetCursor(crGeoZoom);
    FMap->SetCursor(crGeoZoom);
    FMap->SetAllowPan(false);
  } else {
    SetCursor(crHandPoint);
    FMap->SetCursor(crHandPoint);
    FMap->SetAllowPan(true);
  }
  if (OnClick) {
    auto h = OnClick;
    h(this);
  }
  auto h = Zoom ? OnZoomButClick : OnPointerButClick;
  if (h) h(this);
}

void TGeoAtlas::ClickPointerButton() { FPanel->Pointer->Click(); }
void TGeoAtlas::ClickZoomButton() { FPanel->Zoom->Click(); }

void TGeoAtlas::MapMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) {
    auto h = OnMouseDown;
    h(this, Button, Shift, X, Y);
  }
  if (!FZoomDown || FCurrent == 0) return;
  bool v1, v2;
  const TPoint p = FMap->ControlToMapImage({X, Y});
  const double lat = FMap->CalcLatitude(p, v1), lon = FMap->CalcLongitude(p, v2);
  if (!v1 || !v2) return;
  // the catalogue's resolution of the current map: the one the other maps are compared with
  const double res = GetMapDef(FCurrent).Resolution;
  if (Button == mbLeft)
    ZoomIn(lat, lon, res);
  else
    ZoomOut(lat, lon, res);
}

void TGeoAtlas::DrawOutlines(TCanvas& C) {
  if (!FOutlineVisible) return;
  C.Pen().SetColor(FOutlineColor);
  C.Pen().SetStyle(psSolid);
  C.Pen().SetWidth(1);
  C.Pen().SetMode(pmCopy);
  for (int i = 1; i <= NumMaps(); ++i) {
    if (i == FCurrent) continue;
    const TMapDefinition& d = FDefs[i - 1];
    std::vector<TPoint> pts;
    for (int k : {3, 0, 1, 2, 3}) {
      int x, y;
      if (!FMap->CalcPixelCoords(d.Corners[k].Lat, d.Corners[k].Long, x, y)) continue;  // skipped
      pts.push_back(FMap->MapImageToControl({x, y}));
    }
    if (pts.size() > 1) C.Polyline(pts);
  }
}

}  // namespace zol
