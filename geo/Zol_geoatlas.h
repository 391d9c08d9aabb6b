// The atlas: a calibrated map (TGeoMap) with a command panel and a catalogue
// of up to 200 registered maps, each known by its calibration file.  The user
// picks a map from the list or, with the zoom button down, clicks a position
// to switch to the registered map covering it at the next finer (left button)
// or coarser (other buttons) resolution.  The outlines of the other
// registered maps are drawn on the current one.
//
// Resolutions are those of the calibration files: metres per pixel at the map
// centre, so a finer map has the smaller number.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_stdctrls.h"
#include "geo/Zol_geomap.h"

namespace zol {

inline constexpr int MaxAtlasMaps = 200;
// Cursors registered with the screen object.
inline constexpr TCursor crGeoZoom = 1000, crGeoHand = 1001;

struct TMapDefinition {
  std::string CalFileName;  // lower case
  std::string Caption;      // may be empty
  double Resolution = 0;
  TMapCorners Corners{};
};

class TAtlasCmdPanel;

class TGeoAtlas : public TCustomControl {
 public:
  explicit TGeoAtlas(TComponent* AOwner);
  ~TGeoAtlas() override;

  // The map control (owned by the atlas).
  TGeoMap* Map() const { return FMap; }

  int NumMaps() const { return static_cast<int>(FDefs.size()); }
  // Index (1-based) of the map shown; 0 when none is selected.
  int CurrentMap() const { return FCurrent; }
  // Definition i, or an empty definition outside 1..NumMaps.
  TMapDefinition GetMapDef(int i) const;
  TMapDefinition MapDef(int i) const { return GetMapDef(i); }

  // Reads the calibration file and adds or updates its definition; false when
  // the file holds no calibration record or the catalogue is full.
  bool RegisterMap(const std::string& CalFileName);
  void UnregisterMap(int Index);
  bool SelectMap(int Index);
  bool ZoomIn(double Lat, double Long, double CurrentRes);
  bool ZoomOut(double Lat, double Long, double CurrentRes);

  bool CmdPanelVisible() const { return FCmdPanelVisible; }
  void SetCmdPanelVisible(bool v);
  TColor MapOutlineColor() const { return FOutlineColor; }
  void SetMapOutlineColor(TColor v);
  bool MapOutlineVisible() const { return FOutlineVisible; }
  void SetMapOutlineVisible(bool v);
  double MinResDiff() const { return FMinResDiff; }
  void SetMinResDiff(double v);  // percent, clamped to 0..1000

  // The command panel: the pointer and zoom speed buttons (one of them is
  // down) and the list of maps (captions, or file names without caption).
  TPanel* CmdPanel() const;
  TSpeedButton* PointerButton() const;
  TSpeedButton* ZoomButton() const;
  TComboBox* MapList() const;
  bool ZoomButtonDown() const { return FZoomDown; }
  const std::vector<std::string>& MapListItems() const { return FListItems; }
  int MapListIndex() const { return FListIndex; }  // 0-based, -1 none
  // What a click on a speed button does.
  void ClickPointerButton();
  void ClickZoomButton();
  // What choosing entry Index (0-based) of the map list does.
  void ChooseMapFromList(int Index);

  TNotifyEvent OnZoomButClick, OnPointerButClick, OnCBoxMapsChange;

 protected:
  void CreateWnd() override;

 private:
  friend class TAtlasCmdPanel;
  void RebuildList();
  void ButtonClicked(bool Zoom);
  void DrawOutlines(TCanvas& C);
  void MapMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);

  TGeoMap* FMap = nullptr;
  TAtlasCmdPanel* FPanel = nullptr;
  std::vector<TMapDefinition> FDefs;
  std::map<std::string, std::string> FFileNames;  // lower-case name -> name as given
  int FCurrent = 0;
  std::string FLoadingCal;
  std::vector<std::string> FListItems;
  int FListIndex = -1;
  bool FZoomDown = false;
  bool FCmdPanelVisible = true;
  TColor FOutlineColor = TColor(0xFF0000);
  bool FOutlineVisible = true;
  double FMinResDiff = 10;
};

}  // namespace zol
