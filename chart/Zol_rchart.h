// The two-dimensional chart: a display list of drawing items in world
// coordinates on two layers, with axis scales, background, grid, text labels,
// crosshairs, zoom history, panning and zooming by mouse, data sharing between
// charts, a binary chart data file and a readable dump.
//
// Items are kept as TrcChartItem records (104 bytes in the chart data file, see
// ChartItemToBytes).  Each layer has its own x and y range (Scale1X/Scale1Y,
// Scale2X/Scale2Y) and mapping pixel = k * v + o (v = ln value on a
// logarithmic axis); an axis of one layer can be slaved to the other
// (JointLayers).
//
// Drawing: Paint builds the chart bitmap (frame, shadow, caption, axes), the
// data bitmap (background, grid, items) and copies both to the control;
// ShowGraf rebuilds only the data bitmap and ShowGrafNewOnly adds the items
// appended since the last update.  RenderTo draws the same picture on any
// canvas (the metafile and printer canvases keep text as text), which the
// export routines use.
//
// Decimation (DecimateLines, off by default): a run of consecutive tkLineto
// items of one layer drawn with a 1-pixel solid pen keeps, per pixel column,
// only the first, lowest, highest and last point (in their order).  The
// picture is identical to drawing every point; the work per repaint is then
// bounded by the plot width instead of the number of points.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_metafile.h"
#include "base/Zol_zolcolors.h"
#include "chart/Zol_colorscale.h"
#include "chart/Zol_scale.h"
#include "math/Zol_matrix.h"

namespace zol {

class EZOLRChartError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

// ---------------------------------------------------------------- items
// Item kinds; tkEverything and tkNotMoveTo never stand in the list, they
// select items in searches.
enum TrcItem : uint8_t {
  tkNone, tkMarkAt, tkLine, tkLineto, tkRect, tkRectFrame, tk3DBar, tkText, tkMoveTo, tkEllipse,
  tkEverything, tkNotMoveTo, tkMoveRelPix, tkLineRelPix, tkArrow, tkTextOfs, tkRectRelPix
};
constexpr int rcNumItemKinds = 17;
// Whether a kind may stand in the list (every defined kind but tkNone,
// tkEverything and tkNotMoveTo).
bool IsStorableItemKind(int kind);
// "tkMarkAt", "tkLine", "tkLineTo", ... ; empty for the selectors and undefined values.
std::string ItemKindName(int kind);

// One item of the display list.  The in-memory layout equals the 104-byte
// record of the chart data file (little-endian): offsets in the comments.
struct TrcChartItem {
  double x1 = 0, y1 = 0;           // 0, 8: first point
  double x2 = 0, y2 = 0;           // 16, 24: second point / pixel offsets / sizes
  uint32_t Color = 0;              // 32: pen colour
  uint32_t FillColor = 0;          // 36
  uint32_t ColorShadow = 0;        // 40: tkRectFrame
  uint32_t ColorHighlight = 0;     // 44: tkRectFrame
  uint8_t PenStyle = 0;            // 48 (TPenStyle ordinal)
  uint8_t Pad1[3] = {0, 0, 0};     // 49
  int32_t Tag = 0;                 // 52: data tag
  int32_t LineWidth = 1;           // 56
  uint8_t ClassNum = 0;            // 60
  uint8_t ItemKind = tkNone;       // 61 (TrcItem ordinal)
  uint8_t Pad2[2] = {0, 0};        // 62
  int32_t Layer = 1;               // 64
  uint8_t Transparent = 0;         // 68
  uint8_t FrameStyle = 0;          // 69 (TFrameStyle ordinal)
  char Text[16] = {};              // 70: length byte and up to 15 bytes
  uint8_t Pad3[2] = {0, 0};        // 86
  int32_t Size = 0;                // 88: text size, arrow head size or bar angle
  int32_t Depth = 0;               // 92: bar depth
  uint8_t MarkType = 0;            // 96: mark code or text alignment
  uint8_t Reserved[7] = {};        // 97
};
static_assert(sizeof(TrcChartItem) == 104, "the item record holds 104 bytes");

constexpr int rcItemRecordSize = 104;
// The text of an item (the length byte is clamped to 15; bytes that are not
// valid UTF-8 are read as Latin-1).
std::string ItemText(const TrcChartItem& Item);
// Stores at most 15 bytes of Text, never splitting a UTF-8 sequence.
void SetItemText(TrcChartItem& Item, const std::string& Text);
// The 104-byte record of an item (little-endian) and back.  ChartItemFromBytes
// answers false for a record that may not stand in the list: a kind that is
// not storable, a text length over 15, a layer outside 1..2.
void ChartItemToBytes(const TrcChartItem& Item, uint8_t* Rec104);
bool ChartItemFromBytes(const uint8_t* Rec104, TrcChartItem& Item);

// ---------------------------------------------------------------- enumerations
enum GridStyleType {
  gsNone, gsPoints, gsVertLines, gsHorizLines, gsLines, gsHorizDotLines, gsVertDotLines, gsDotLines
};
enum TCaptionAnchorHoriz { cahControlLeft, cahChartLeft, cahChartCenter, cahChartRight, cahControlRight };
enum TCaptionAnchorVert { cavControlTop, cavChartTop, cavChartCenter, cavChartBottom, cavControlBottom };
enum TTextBkg { tbClear, tbSolid };
enum TrcLayout {
  rcl_X1Bottom_Y1Left, rcl_X1Bottom_Y2Left, rcl_X1Bottom_Y2Both, rcl_X2Bottom_Y2Left,
  rcl_X2Both_Y2Both
};
enum TBGAreaMode { bamNone, bamLeft, bamRight, bamTop, bamBottom, bamVStripe, bamHStripe, bamRect };
enum TScaleLocationHoriz { slTop, slBottom };
enum TScaleLocationVert { slLeft, slRight };

// A set of layer numbers (1, 2).
using TrcLayerSet = std::set<int>;

class TCustomRChart;

// ---------------------------------------------------------------- joint layers
// For each layer the layer whose x (y) range controls its x (y) axis.
class TJointLayers : public TPersistent {
 public:
  explicit TJointLayers(TCustomRChart* Chart) : FChart(Chart) {}
  void Assign(const TPersistent& Source) override;
  int GetControlledLayerX(int L) const;  // 0 for L outside 1..2
  int GetControlledLayerY(int L) const;
  // Raises EZOLRChartError on misuse (see the messages in the source).
  void SetControlledLayerX(int L, int Source);
  void SetControlledLayerY(int L, int Source);
  int L01xControlledBy() const { return FX[0]; }
  int L02xControlledBy() const { return FX[1]; }
  int L01yControlledBy() const { return FY[0]; }
  int L02yControlledBy() const { return FY[1]; }
  void SetL01xControlledBy(int v) { SetControlledLayerX(1, v); }
  void SetL02xControlledBy(int v) { SetControlledLayerX(2, v); }
  void SetL01yControlledBy(int v) { SetControlledLayerY(1, v); }
  void SetL02yControlledBy(int v) { SetControlledLayerY(2, v); }
  // Every layer controls itself again.
  void Reset();
  TNotifyEvent OnChange;

 private:
  void SetControlled(int L, int Source, bool IsX);
  TCustomRChart* FChart;
  int FX[2] = {1, 2};
  int FY[2] = {1, 2};
};

// ---------------------------------------------------------------- background image
class TBakGndImg : public TPersistent {
 public:
  void Assign(const TPersistent& Source) override;
  const std::string& Name() const { return FName; }
  void SetName(const std::string& v);
  bool IncludePath() const { return FIncludePath; }
  void SetIncludePath(bool v);
  TBkgFill FillMode() const { return FFillMode; }
  void SetFillMode(TBkgFill v);
  TBGAreaMode AreaMode() const { return FAreaMode; }
  void SetAreaMode(TBGAreaMode v);
  TColor AreaColor() const { return FAreaColor; }
  void SetAreaColor(TColor v);
  double AreaLeft() const { return FAreaLeft; }
  void SetAreaLeft(double v);
  double AreaRight() const { return FAreaRight; }
  void SetAreaRight(double v);
  double AreaTop() const { return FAreaTop; }
  void SetAreaTop(double v);
  double AreaBottom() const { return FAreaBottom; }
  void SetAreaBottom(double v);
  TNotifyEvent OnChange;

 private:
  void Changed();
  std::string FName;
  bool FIncludePath = false;
  TBkgFill FFillMode = bfSimple;
  TBGAreaMode FAreaMode = bamNone;
  TColor FAreaColor = RGB(255, 255, 200);
  double FAreaLeft = 0, FAreaRight = 0, FAreaTop = 0, FAreaBottom = 0;
};

// ---------------------------------------------------------------- scale properties
// The settings of one chart axis.  Every setter fires OnChange when the value changes.
class TScaleProps : public TPersistent {
 public:
  TScaleProps();
  ~TScaleProps() override;
  void Assign(const TPersistent& Source) override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  int CaptionPosX() const { return FCaptionPosX; }
  void SetCaptionPosX(int v);
  int CaptionPosY() const { return FCaptionPosY; }
  void SetCaptionPosY(int v);
  TAlignment CaptionAlignment() const { return FCaptionAlignment; }
  void SetCaptionAlignment(TAlignment v);
  TScaleUnitAnchor CaptionAnchor() const { return FCaptionAnchor; }
  void SetCaptionAnchor(TScaleUnitAnchor v);
  TColor ColorScale() const { return FColorScale; }
  void SetColorScale(TColor v);
  TDTLabel& DateFormat() { return FDateFormat; }
  const TDTLabel& DateFormat() const { return FDateFormat; }
  int DecPlaces() const { return FDecPlaces; }
  void SetDecPlaces(int v);  // clamped to -3..12
  TFont& Font() { return *FFont; }
  const TFont& Font() const { return *FFont; }
  bool Logarithmic() const { return FLogarithmic; }
  // Switching on is accepted only when both range ends are above 1e-100 and
  // the labels are not date/time.
  void SetLogarithmic(bool v);
  TFigType LabelType() const { return FLabelType; }
  void SetLabelType(TFigType v);
  int MinTicks() const { return FMinTicks; }
  void SetMinTicks(int v);  // 0 or 2..10
  double MinRange() const { return FMinRange; }
  void SetMinRange(double v);  // stored as its magnitude, at least 1e-300
  double RangeLow() const { return FRangeLow; }
  double RangeHigh() const { return FRangeHigh; }
  // Direct range change without the chart's checks (used by the chart).
  void SetRangeLowHigh(double Low, double High);
  bool ShortTicks() const { return FShortTicks; }
  void SetShortTicks(bool v);
  const std::string& ScaleInscript() const { return FScaleInscript; }
  void SetScaleInscript(const std::string& v);
  int ScalePos() const { return FScalePos; }
  void SetScalePos(int v);
  const std::string& UserTickText() const { return FUserTickText; }
  void SetUserTickText(const std::string& v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  std::string FCaption;
  int FCaptionPosX = 0, FCaptionPosY = 0;
  TAlignment FCaptionAlignment = taCenter;
  TScaleUnitAnchor FCaptionAnchor = uaSclCenter;
  TColor FColorScale = clBlack;
  TDTLabel FDateFormat;
  int FDecPlaces = -2;
  std::unique_ptr<TFont> FFont;
  bool FLogarithmic = false;
  TFigType FLabelType = ftNum;
  int FMinTicks = 3;
  double FMinRange = 1e-10;
  double FRangeLow = 0, FRangeHigh = 1;
  bool FShortTicks = true;
  std::string FScaleInscript;
  int FScalePos = 0;
  std::string FUserTickText;
  bool FVisible = true;
};

class TScalePropsHoriz : public TScaleProps {
 public:
  void Assign(const TPersistent& Source) override;
  TScaleLocationHoriz ScaleLocation() const { return FLocation; }
  void SetScaleLocation(TScaleLocationHoriz v);

 private:
  TScaleLocationHoriz FLocation = slBottom;
};

class TScalePropsVert : public TScaleProps {
 public:
  void Assign(const TPersistent& Source) override;
  TScaleLocationVert ScaleLocation() const { return FLocation; }
  void SetScaleLocation(TScaleLocationVert v);

 private:
  TScaleLocationVert FLocation = slLeft;
};

// ---------------------------------------------------------------- text labels
class TTextLabel : public TCustomTextLabel {
 public:
  TTextLabel();
};

// ---------------------------------------------------------------- events
using TRenderEvent = std::function<void(TObject* Sender, TCanvas& Canvas, int Top, int Left)>;
using TCrossHairMoveEvent = std::function<void(TObject* Sender, int WhichCrossHair)>;
using TTextLabelMoveEvent = std::function<void(TObject* Sender, int WhichTextLabel)>;
using TMouseMoveInChartEvent = std::function<void(TObject* Sender, bool InChart, TShiftState Shift,
                                                  double rMousePosX, double rMousePosY)>;
// Forwarded from the axes: after each tick mark, and before each tick label.
using TChartTickDrawnEvent = std::function<void(TObject* Sender, TCanvas& Canvas, TScaleType ScaleType,
                                                double CurrentTickPos, int ChartX, int ChartY)>;
using TChartBeforeTickLabelEvent = std::function<void(TObject* Sender, TScaleType ScaleType,
                                                      double CurrentTickPos, std::string& TickLabel)>;

// Custom cursor numbers registered by the chart ("CURHAND", "CURZOOMW", "CURZOOMD", "CURZOOMP").
constexpr TCursor crRChartHand = 1, crRChartZoomW = 2, crRChartZoomD = 3, crRChartZoomP = 4;

// ---------------------------------------------------------------- the chart
class TCustomRChart : public TCustomControl {
 public:
  explicit TCustomRChart(TComponent* AOwner);
  ~TCustomRChart() override;

  // ---- adding items (current attributes, active layer)
  void MoveTo(double x, double y);
  void DrawTo(double x, double y);
  void MoveToRelPix(int dx, int dy);
  void DrawToRelPix(int dx, int dy);
  void Line(double x1, double y1, double x2, double y2);
  void MarkAt(double x, double y, uint8_t MarkType);
  void Text(double x, double y, int Size, const std::string& Txt);
  void Text(double x, double y, int Size, const std::string& Txt, int OffsetX, int OffsetY,
            TAlignment Alignment);
  void Rectangle(double x1, double y1, double x2, double y2);
  void RectangleRelPix(double x, double y, int dx, int dy);
  void RectFrame(double x1, double y1, double x2, double y2, TFrameStyle FrameStyle,
                 TColor ColorShadow, TColor ColorHighlight);
  void Bar3D(double x1, double y1, double x2, double y2, int Depth, int Angle);
  void Ellipse(double x, double y, double rx, double ry);
  void Arrow(double x1, double y1, double x2, double y2, int HeadSize);

  // ---- reading and changing items
  int NumItems() const;
  int Capacity() const;
  TrcChartItem GetChartItem(int i) const;
  TrcChartItem GetItemParams(int i) const { return GetChartItem(i); }
  void SetChartitem(int i, const TrcChartItem& Item);
  // Refuses (returns false) kinds that may not stand in the list.
  bool SetItemParams(int i, const TrcChartItem& Item);
  void RemoveItem(int i);
  void RemoveFirstItem();
  void RemoveLastItem();
  int RemoveItemsByClass(int c);
  void ClearGraf();
  TrcItem GetTypeOfFirstItem() const;
  TrcItem GetTypeOfLastItem() const;
  int GetItemCount(int kind) const;
  void MarkAllItems(TrcItem kind, int c);
  int MarkItemsInWindow(double x1, double y1, double x2, double y2, TrcItem kind, int c);
  void NewColorOfClassItems(TColor Color, int c);
  void ScaleItem(int i, double FactX, double OffsX, double FactY, double OffsY);
  void ScaleSelectedItems(double FactX, double OffsX, double FactY, double OffsY, int c);
  void ScaleAllItems(double FactX, double OffsX, double FactY, double OffsY);
  int FindNearestItemReal(double x, double y, TrcItem kind, int c, double& Dist) const;
  int FindNearestItemScreen(double x, double y, TrcItem kind, int c, double& Dist) const;

  // ---- drawing attributes of new items
  TColor DataColor() const { return FDataColor; }
  void SetDataColor(TColor v) { FDataColor = v; }
  TColor FillColor() const { return FFillColor; }
  void SetFillColor(TColor v) { FFillColor = v; }
  TPenStyle PenStyle() const { return FPenStyle; }
  void SetPenStyle(TPenStyle v) { FPenStyle = v; }
  int LineWidth() const { return FLineWidth; }
  void SetLineWidth(int v) { FLineWidth = v < 1 ? 1 : v; }
  int ClassDefault() const { return FClassDefault; }
  void SetClassDefault(int v) { FClassDefault = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }
  int DataTag() const { return FDataTag; }
  void SetDataTag(int v) { FDataTag = v; }
  bool TransparentItems() const { return FTransparentItems; }
  void SetTransparentItems(bool v) { FTransparentItems = v; }
  TAlignment TextAlignment() const { return FTextAlignment; }
  void SetTextAlignment(TAlignment v) { FTextAlignment = v; }
  int AllocSize() const { return FAllocSize; }
  void SetAllocSize(int v);  // 1..1 000 000

  // ---- layers and classes
  int ActiveLayer() const { return FActiveLayer; }
  void SetActiveLayer(int L);  // 1 or 2; other values are ignored
  bool GetLayerVisib(int L) const;
  void SetLayerVisib(int L, bool on);
  bool GetClassVisib(int c) const;
  void SetClassVisib(int c, bool on);
  TrcLayerSet FindUsedLayers() const;
  TJointLayers& JointLayers() { return *FJointLayers; }

  // ---- margins
  int MarginLeft() const { return FLRim; }
  int MarginRight() const { return FRRim; }
  int MarginTop() const { return FTRim; }
  int MarginBottom() const { return FBRim; }
  void SetMarginLeft(int v);
  void SetMarginRight(int v);
  void SetMarginTop(int v);
  void SetMarginBottom(int v);
  int LRim() const { return FLRim; }
  int RRim() const { return FRRim; }
  int TRim() const { return FTRim; }
  int BRim() const { return FBRim; }
  void SetLRim(int v) { SetMarginLeft(v); }
  void SetRRim(int v) { SetMarginRight(v); }
  void SetTRim(int v) { SetMarginTop(v); }
  void SetBRim(int v) { SetMarginBottom(v); }

  // ---- scales
  TScalePropsHoriz& Scale1X() { return *FScaleX[0]; }
  TScalePropsVert& Scale1Y() { return *FScaleY[0]; }
  TScalePropsHoriz& Scale2X() { return *FScaleX[1]; }
  TScalePropsVert& Scale2Y() { return *FScaleY[1]; }
  const TScalePropsHoriz& Scale1X() const { return *FScaleX[0]; }
  const TScalePropsVert& Scale1Y() const { return *FScaleY[0]; }
  const TScalePropsHoriz& Scale2X() const { return *FScaleX[1]; }
  const TScalePropsVert& Scale2Y() const { return *FScaleY[1]; }
  // The tick positions (world values) the x1 / y1 axes drew last, n from 1.
  double GetTickPosX(int n) const;
  double GetTickPosY(int n) const;
  int GetTickPosXCnt() const;
  int GetTickPosYCnt() const;

  // ---- ranges and mapping
  // Layer 0 sets both layers.
  void SetRange(int Layer, double XLow, double YLow, double XHigh, double YHigh);
  void ForceRange(int Layer, double XLow, double YLow, double XHigh, double YHigh);
  void ConfineZoomRange(double XLow, double YLow, double XHigh, double YHigh);
  void AdjustScaling();
  void R2M(int Layer, double x, double y, int& px, int& py) const;
  void M2R(int Layer, int px, int py, double& x, double& y) const;
  bool Isometric() const { return FIsometric; }
  void SetIsometric(bool v);

  // ---- zoom history and automatic ranges
  void ZoomStateOnStack();
  void ZoomHistory(int n);
  void ClearZoomHistory();
  // x low, y high, x high, y low of the entry n steps back (n = -15..0).
  std::array<double, 4> GetZoomStackEntry(int Layer, int n) const;
  void AutoRange(int Layer, double Margin) { AutoRange(Layer, Margin, Margin); }
  void AutoRange(int Layer, double MarginX, double MarginY);
  void AutoRangeXOnly(int Layer, double Margin) { AutoRangeXOnly(Layer, Margin, Margin); }
  void AutoRangeXOnly(int Layer, double MarginX, double MarginY);
  void AutoRangeYOnly(int Layer, double Margin) { AutoRangeYOnly(Layer, Margin, Margin); }
  void AutoRangeYOnly(int Layer, double MarginX, double MarginY);
  void SetEqualRange(const TrcLayerSet& Layers);
  void SetEqualRangeXOnly(const TrcLayerSet& Layers);
  void SetEqualRangeYOnly(const TrcLayerSet& Layers);

  // ---- files
  // Writes every item as a 104-byte record.  Writes through a temporary file
  // and renames it, so a failed save leaves an existing file untouched;
  // raises EFCreateError / EWriteError on failure.
  void SaveData(const std::string& FileName);
  // Reads a chart data file; false (list unchanged) when the file cannot be
  // read, its length is not a multiple of 104 or a record is invalid.
  bool LoadData(const std::string& FileName, bool Append);
  void SaveDataASC(const std::string& FileName);

  // ---- appearance
  TColor ChartColor() const { return FChartColor; }
  void SetChartColor(TColor v);
  TColor WindColor() const { return FWindColor; }
  void SetWindColor(TColor v);
  TColor ChartFrameColor() const { return FChartFrameColor; }
  void SetChartFrameColor(TColor v);
  TColor GridColor() const { return FGridColor; }
  void SetGridColor(TColor v);
  GridStyleType GridStyle() const { return FGridStyle; }
  void SetGridStyle(GridStyleType v);
  double GridDx() const { return FGridDx; }
  void SetGridDx(double v);  // values below -3 are ignored
  double GridDy() const { return FGridDy; }
  void SetGridDy(double v);
  int ShadowWidth() const { return FShadowWidth; }
  void SetShadowWidth(int v);
  TShadowStyle ShadowStyle() const { return FShadowStyle; }
  void SetShadowStyle(TShadowStyle v);
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor v);
  TColor ShadowBakColor() const { return FShadowBakColor; }
  void SetShadowBakColor(TColor v);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  int CaptionPosX() const { return FCaptionPosX; }
  void SetCaptionPosX(int v);
  int CaptionPosY() const { return FCaptionPosY; }
  void SetCaptionPosY(int v);
  TAlignment CaptionAlignment() const { return FCaptionAlignment; }
  void SetCaptionAlignment(TAlignment v);
  TCaptionAnchorHoriz CaptionAnchorHoriz() const { return FCaptionAnchorHoriz; }
  void SetCaptionAnchorHoriz(TCaptionAnchorHoriz v);
  TCaptionAnchorVert CaptionAnchorVert() const { return FCaptionAnchorVert; }
  void SetCaptionAnchorVert(TCaptionAnchorVert v);
  TFontStyles TextFontStyle() const { return FTextFontStyle; }
  void SetTextFontStyle(TFontStyles v);
  TTextBkg TextBkStyle() const { return FTextBkStyle; }
  void SetTextBkStyle(TTextBkg v);
  TColor TextBkColor() const { return FTextBkColor; }
  void SetTextBkColor(TColor v);
  TrcLayout StandardLayout() const { return FStandardLayout; }
  void SetStdLayout(TrcLayout v);
  void SetStandardLayout(TrcLayout v) { SetStdLayout(v); }
  TBakGndImg& BackGroundImg() { return *FBackGroundImg; }
  bool SuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool v);
  bool DecimateLines() const { return FDecimateLines; }
  void SetDecimateLines(bool v);

  // ---- crosshairs (1..4) and text labels (1..30)
  TCrossHair& CrossHair(int n);  // n clamped to 1..4
  TCrossHair& CrossHair1() { return CrossHair(1); }
  TCrossHair& CrossHair2() { return CrossHair(2); }
  TCrossHair& CrossHair3() { return CrossHair(3); }
  TCrossHair& CrossHair4() { return CrossHair(4); }
  void CrossHairSetup(int n, TColor Color, TCrossHMode Mode, TPenStyle Style, int Width);
  void CrossHairSetPos(int n, double x, double y);
  double GetCHPosX(int n);
  void SetCHPosX(int n, double v);
  double GetCHPosY(int n);
  void SetCHPosY(int n, double v);
  TTextLabel& GetFTextLabel(int n);  // n clamped to 1..30
  void SetFTextLabel(int n, const TTextLabel& v);
  TTextLabel& TextLabel(int n) { return GetFTextLabel(n); }
  // The first invisible label (0 when all are in use).
  int AddTextLabel(double x, double y, TColor Color, const std::string& Txt, int Layer);
  void SetTextLabel(int n, double x, double y, TColor Color, const std::string& Txt, int Layer);
  void HideAllTextLabels();
  void ClearAllTextLabels();

  // ---- data sharing
  TCustomRChart* UseDataOf() const { return FDataOwner; }
  // nullptr returns to the chart's own list.  Misuse shows an information box and changes nothing.
  void SetUseDataOf(TCustomRChart* OtherChart);
  void AdjustCanInfoOfSharedCharts();

  // ---- drawing
  void ShowGraf();
  void ShowGrafNewOnly();
  void ConstructChartBmp(TCanvas& Canvas);
  // The plotting area is drawn with its top-left corner at (X, Y) of Canvas.
  virtual void InitGraf(TCanvas& Canvas, int X, int Y);
  void ConstructDataBmp(TCanvas& Canvas, int X, int Y, bool BlackAndWhite, int FirstItem);
  // Copies Bitmap to Canvas at (X, Y) and draws the crosshairs over it.
  void DrawFinish(int X, int Y, TCanvas& Canvas, const TBitmap& Bitmap);
  // The full picture (what Paint shows) on any canvas, the control's top-left at (0, 0).
  void RenderTo(TCanvas& Canvas, bool BlackAndWhite = false);
  // The same with the control's top-left corner at (X, Y) of Canvas.
  void RenderTo(TCanvas& Canvas, int X, int Y, bool BlackAndWhite = false);
  // The plotting area in control pixels (right and bottom exclusive).
  TRect PlotRect() const;

  // ---- export
  void CopyToBitmap(TBitmap& Bitmap, bool BlackAndWhite = false);
  void CopyToBMP(const std::string& FileName, bool BlackAndWhite = false);  // BMP/PNG/JPEG by extension
  void CopyToWMF(const std::string& FileName, bool BlackAndWhite = false);  // SVG (".zolmf": recording)
  void CopyToSVG(const std::string& FileName, bool BlackAndWhite = false);
  void CopyToPDF(const std::string& FileName, bool BlackAndWhite = false);
  void CopyToMetafile(TMetafile& Metafile, bool BlackAndWhite = false);
  void CopyToClipboard(bool BlackAndWhite = false);     // bitmap and metafile
  void CopyToClipboardWMF(bool BlackAndWhite = false);  // metafile
  // One page on the global printer, the chart scaled by Scale, centred at the top.
  void PrintIt(double Scale, bool BlackAndWhite = false);
  // Draws on the page the printer has open at (X, Y); X and Y move below and
  // beside the drawing (Y to its bottom edge).
  void CopyToOpenPrinter(int& X, int& Y, double Scale, bool BlackAndWhite = false);

  // ---- mouse
  TMouseActMode MouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode v);
  bool MouseCursorFixed() const { return FMouseCursorFixed; }
  void SetMouseCursorFixed(bool v) { FMouseCursorFixed = v; }
  bool GetMAffLayer(int L) const;
  void SetMAffLayer(int L, bool on);
  double GetMousePosX() const { return FMousePosX; }
  double GetMousePosY() const { return FMousePosY; }
  double MousePosX() const { return FMousePosX; }
  double MousePosY() const { return FMousePosY; }
  // Waits (processing messages) for a window drawn with the mouse.
  bool MouseBox(double& x1, double& y1, double& x2, double& y2);
  void MouseBoxAbort();
  TMouseBoxState MouseBoxState() const { return FMouseBoxState; }
  void DoZoomPanEvent();
  void DoRubberbandEvent(int Layer, double LoX, double LoY, double HiX, double HiY);
  void DoCrossHMoveEvent(int WhichCrossHair);
  void DoTxtLblMoveEvent(int WhichTextLabel);

  // ---- events
  TZoomPanEvent OnZoomPan;
  TRubberBandEvent OnRubberBand;
  TCrossHairMoveEvent OnCrossHairMove;
  TTextLabelMoveEvent OnTextLabelMove;
  TMouseMoveInChartEvent OnMouseMoveInChart;
  TRenderEvent OnBeforeRenderData, OnDataRendered, OnScalesRendered;
  TChartTickDrawnEvent OnScaleTickDrawn;
  TChartBeforeTickLabelEvent OnBeforeTickLabel;
  TNotifyEvent OnChange;

  // The chart bitmap (control size) and the data bitmap (plotting area) of the last paint.
  const TBitmap& ChartBitmap() const { return *FChartBmp; }
  const TBitmap& DataBitmap() const { return *FDataBmp; }

 protected:
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void Changed();
  // Repaints now when showing (nothing while painting is suppressed).
  void Repaint2Public() { Repaint2(); }

 private:
  struct ItemList {
    std::vector<TrcChartItem> Items;
    std::array<int, rcNumItemKinds> Counts{};
  };
  struct LayerMap {
    long double kx = 1, ox = 0, ky = -1, oy = 0;
  };
  friend class TJointLayers;

  ItemList& List();
  const ItemList& List() const;
  void AddItem(TrcChartItem it);
  void SetGeometry(int& Field, int v);
  void ListChanged();
  TrcChartItem NewItem(TrcItem kind) const;
  static bool Selected(const TrcChartItem& it, TrcItem kind, int c);
  void ApplyRange(int L, double XLow, double YLow, double XHigh, double YHigh, bool Confine,
                  bool History);
  void ForceRangeEx(int L, double XLow, double YLow, double XHigh, double YHigh, bool Confine,
                    bool History);
  void PropagateJoint(int L);
  void Repaint2();
  void AutoRangeEx(int Layer, double MarginX, double MarginY, bool DoX, bool DoY);
  void EqualRangeEx(const TrcLayerSet& Layers, bool DoX, bool DoY);
  bool ItemExtent(int L, double& xl, double& xh, double& yl, double& yh) const;
  void ScalesChanged();
  void MapPoint(const LayerMap& m, int L, double x, double y, long& px, long& py) const;
  bool AxisLog(int L, bool IsX) const;
  void DrawAxes(TCanvas& Canvas);
  // Copies the properties of axis 0..3 (x1, y1, x2, y2) into its hidden scale.
  // Copies the properties of axis 0..3 (x1, y1, x2, y2) into its hidden scale.
  void SetScaleProps(int axis);
  void DrawGrid(TCanvas& Canvas, int X, int Y, int W, int H);
  void DrawItems(TCanvas& Canvas, int X, int Y, bool BlackAndWhite, int FirstItem);
  void DrawTextLabels(TCanvas& Canvas, int X, int Y);
  void DrawCrossHairs(TCanvas& Canvas, int X, int Y);
  void DrawXorWindow();
  bool InPlot(int X, int Y) const;
  void ClampToPlot(int& X, int& Y) const;
  void UpdateCursor(int X, int Y);
  void StartDrag(int X, int Y);
  void ShowInfo(const std::string& Msg);
  void DetachUsers();
  void BuildPicture();

  // items
  ItemList FOwnList;
  TCustomRChart* FDataOwner = nullptr;
  std::vector<TCustomRChart*> FUsers;
  int FAllocSize = 1000;
  int FLastDrawn = 0;
  long FLastPenX = 0, FLastPenY = 0;  // pen position after the last drawing, control pixels
  TColor FDataColor = clBlack, FFillColor = RGB(192, 192, 192);
  TPenStyle FPenStyle = psSolid;
  int FLineWidth = 1;
  uint8_t FClassDefault = 0;
  int FDataTag = 0;
  bool FTransparentItems = false;
  TAlignment FTextAlignment = taCenter;
  int FActiveLayer = 1;
  bool FLayerVisib[2] = {true, true};
  std::array<bool, 256> FClassVisib;
  // geometry
  int FLRim = 50, FRRim = 10, FTRim = 16, FBRim = 32;
  int FShadowWidth = 0;
  LayerMap FMap[2];
  std::unique_ptr<TScalePropsHoriz> FScaleX[2];
  std::unique_ptr<TScalePropsVert> FScaleY[2];
  std::unique_ptr<TJointLayers> FJointLayers;
  // The hidden axes x1, y1, x2, y2 that draw on the chart's surface.
  std::array<std::unique_ptr<TScale>, 4> FScales;
  bool FIsometric = false;
  double FConfine[4] = {0, 0, 0, 0};
  // zoom history
  double FZoomStack[2][16][4] = {};
  int FZoomPos = 1;
  // appearance
  TColor FChartColor = clWhite, FWindColor = clBtnFace, FChartFrameColor = clBlack,
         FGridColor = clBlack;
  GridStyleType FGridStyle = gsNone;
  double FGridDx = 0, FGridDy = 0;
  TShadowStyle FShadowStyle = ssFlying;
  TColor FShadowColor = clGrayText, FShadowBakColor = clBtnFace;
  std::string FCaption;
  int FCaptionPosX = 0, FCaptionPosY = -15;
  TAlignment FCaptionAlignment = taRightJustify;
  TCaptionAnchorHoriz FCaptionAnchorHoriz = cahChartRight;
  TCaptionAnchorVert FCaptionAnchorVert = cavChartTop;
  TFontStyles FTextFontStyle;
  TTextBkg FTextBkStyle = tbClear;
  TColor FTextBkColor = clWhite;
  TrcLayout FStandardLayout = rcl_X1Bottom_Y1Left;
  std::unique_ptr<TBakGndImg> FBackGroundImg;
  bool FSuppressPaint = false;
  int FSuppressDepth = 0;
  bool FDecimateLines = false;
  std::array<std::unique_ptr<TCrossHair>, 4> FCrossHair;
  std::array<std::unique_ptr<TTextLabel>, 30> FTextLabels;
  std::unique_ptr<TBitmap> FChartBmp, FDataBmp;
  bool FPainted = false;
  // mouse
  TMouseActMode FMouseAction = maNone;
  bool FMouseCursorFixed = false;
  bool FMAffLayer[16] = {true};
  double FMousePosX = 0, FMousePosY = 0;
  bool FDragging = false;
  int FDragX = 0, FDragY = 0;
  double FDragRange[2][4] = {};
  int FDragIndex = 1;
  bool FWindowOpen = false;
  TPoint FCorner1, FCorner2;
  bool FXorShown = false;
  TMouseBoxState FMouseBoxState = msNormal;
  bool FIgnoreNext = false;
};

// The chart as placed on forms.
class TRChart : public TCustomRChart {
 public:
  explicit TRChart(TComponent* AOwner) : TCustomRChart(AOwner) {}
};

// ---------------------------------------------------------------- contour plot
enum TContourPlotMode { cpmDots, cpmMonoDots, cpmColorSurface, cpmColorSurfNoIp };
using TEstimateZValEvent = std::function<void(TObject* Sender, double x, double y, double& z)>;

// Samples z(x, y), supplied by OnEstimateZVal, on a grid of pivots over the
// current ranges of layer 1 and shows iso-lines as dots or a colour-coded
// surface under the chart's items.  The number of iso levels
// (IsoHigh - IsoLow) / IsoDist is capped at MaxContourLevels.
class TContourPlot : public TCustomRChart {
 public:
  static constexpr int MaxContourLevels = 10000;
  explicit TContourPlot(TComponent* AOwner);
  ~TContourPlot() override;

  int NumPivotsX() const { return FNumPivX; }
  int NumPivotsY() const { return FNumPivY; }
  void SetPivotResX(int n);  // below 2 becomes 2
  void SetPivotResY(int n);
  void SetNumPivotsX(int n) { SetPivotResX(n); }
  void SetNumPivotsY(int n) { SetPivotResY(n); }
  int GetPivotRes() const { return FPivotRes; }
  int PivotResolution() const { return FPivotRes; }
  // The shorter side of the plotting area gets n/5 + 1 pivots, the longer
  // side proportionally more; n below 10 becomes 10.
  void SetPivotRes(int n);
  void SetPivotResolution(int n) { SetPivotRes(n); }
  // Pivots for an area of w x h pixels (each clamped to 10..5000), one per 5 pixels.
  void ResizePivotMatrix(int w, int h);
  // The sampled values: column i, row j for pivot (i, j).
  const TMatrix& PivotMatrix() const { return *FPivots; }

  double IsoLow() const { return FIsoLow; }
  double IsoHigh() const { return FIsoHigh; }
  double IsoDist() const { return FIsoDist; }
  void SetIsoLow(double v);
  void SetIsoHigh(double v);
  // Distances that are not positive, or that give more than MaxContourLevels levels, are refused.
  void SetIsoDist(double v);
  void SetIsoParams(double Low, double High, double Dist);
  TContourPlotMode PlotMode() const { return FPlotMode; }
  void SetPlotMode(TContourPlotMode v);
  TColorArray& IsoColors() { return *FIsoColors; }
  // A colour scale that follows the iso range and colours (nullptr: none).
  // The plot is told when the colour scale is destroyed.
  TColorScale* AttachedColorScale() const { return FColorScale; }
  void SetAttachedColorScale(TColorScale* v);
  // The colour of a level or value (entry 1 in cpmMonoDots).
  TColor IsoColor(double v) const;
  TScalePropsHoriz& ScaleX() { return Scale1X(); }
  TScalePropsVert& ScaleY() { return Scale1Y(); }
  double MinZ() const { return FMinZ; }
  double MaxZ() const { return FMaxZ; }
  bool NeedsResampling() const { return FResample; }

  // Samples again (after a change of OnEstimateZVal or of the function behind it) and repaints.
  void DrawPlot();
  // Samples the pivots when the plot is marked for resampling.
  void RenderContourplot();
  void RenderFromPivotPoints(TCanvas& Canvas, int X, int Y);
  // Level values at the left and bottom ends of the iso-lines that reach the
  // plotting area's border.
  void RenderLabels(TCanvas& Canvas, int X, int Y);
  // Cell (i, j)..(i + 1, j + 1): iso-line dots, or the colour-coded surface.
  void IsoQuad(TCanvas& Canvas, int X, int Y, int i, int j);
  void IsoColQuad(TCanvas& Canvas, int X, int Y, int i, int j);

  TEstimateZValEvent OnEstimateZVal;
  TOnPercentDoneEvent OnProgress;

  void InitGraf(TCanvas& Canvas, int X, int Y) override;

 protected:
  void Resize() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Invalid();
  void UpdateColorScale();
  TColorScale* FColorScale = nullptr;
  void PivotPixel(int i, int j, int X, int Y, double& px, double& py) const;
  std::unique_ptr<TMatrix> FPivots;
  std::unique_ptr<TColorArray> FIsoColors;
  int FNumPivX = 2, FNumPivY = 2, FPivotRes = 10;
  double FIsoLow = -1, FIsoHigh = 1, FIsoDist = 0.1;
  TContourPlotMode FPlotMode = cpmColorSurface;
  double FMinZ = 0, FMaxZ = 0;
  bool FResample = true;
  double FSampled[4] = {0, 0, 0, 0};
};

// ---------------------------------------------------------------- Smith chart
// An isometric chart over the unit circle of reflection coefficients with a
// Smith diagram as background.  Items go to layer 1.
class TSmithChart : public TCustomRChart {
 public:
  explicit TSmithChart(TComponent* AOwner);

  // Reflection coefficient of the normalised impedance r + jx.  At z = -1
  // (r = -1, x = 0) the coefficient is unbounded: the largest real value.
  static double CalcReflectionReal(double r, double x);
  static double CalcReflectionImag(double r, double x);
  // Normalised impedance of the reflection coefficient u + jv; the largest
  // real value for both when the denominator is 0 (u + jv = 1).
  static double CalcResistance(double u, double v);
  static double CalcReactance(double u, double v);

  TColor DiagramColor() const { return FDiagramColor; }
  void SetDiagramColor(TColor v);
  TColor GridColorLight() const { return FGridLight; }
  void SetGridColorLight(TColor v);
  TColor GridColorDark() const { return FGridDark; }
  void SetGridColorDark(TColor v);
  TCrossHair& CrossHair() { return CrossHair1(); }

  void SetRange(double XLow, double YLow, double XHigh, double YHigh) {
    TCustomRChart::SetRange(1, XLow, YLow, XHigh, YHigh);
  }
  double GetRangeLowX() { return Scale1X().RangeLow(); }
  double GetRangeHighX() { return Scale1X().RangeHigh(); }
  double GetRangeLowY() { return Scale1Y().RangeLow(); }
  double GetRangeHighY() { return Scale1Y().RangeHigh(); }
  void SetRangeLowX(double v) { SetRange(v, GetRangeLowY(), GetRangeHighX(), GetRangeHighY()); }
  void SetRangeHighX(double v) { SetRange(GetRangeLowX(), GetRangeLowY(), v, GetRangeHighY()); }
  void SetRangeLowY(double v) { SetRange(GetRangeLowX(), v, GetRangeHighX(), GetRangeHighY()); }
  void SetRangeHighY(double v) { SetRange(GetRangeLowX(), GetRangeLowY(), GetRangeHighX(), v); }
  void AutoRange(double Margin) { TCustomRChart::AutoRange(1, Margin); }
  // Keeps the extents and centres both ranges on 0.
  void CenterChart();
  void R2M(double x, double y, int& px, int& py) const { TCustomRChart::R2M(1, x, y, px, py); }
  void M2R(int px, int py, double& x, double& y) const { TCustomRChart::M2R(1, px, py, x, y); }
  // Only layer 1.
  void SetActiveLayer(int) {}

  void InitGraf(TCanvas& Canvas, int X, int Y) override;

 private:
  TColor FDiagramColor = RGB(232, 232, 248), FGridLight = RGB(219, 219, 219), FGridDark = RGB(167, 167, 167);
};

}  // namespace zol
