// The two-dimensional chart (see Zol_rchart.h).
#include "chart/Zol_rchart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "base/Zol_streams.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_dialogs.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_printers.h"
#include "base/platform/Zol_sysutils.h"
#include "math/Zol_math1.h"

namespace zol {

namespace {

constexpr double kLogFloor = 1e-100;
constexpr long kPixClamp = 30000;
// The most items a polyline gathers after its start point before it is flushed.
constexpr int kPolyChunk = 200;

template <class F, class... A>
void Fire(const F& f, A&&... a) {
  if (f) {
    F copy = f;
    copy(std::forward<A>(a)...);
  }
}

long ClampPix(long double v) {
  if (!(v == v)) return 0;
  if (v > kPixClamp) return kPixClamp;
  if (v < -kPixClamp) return -kPixClamp;
  return std::lround(static_cast<double>(v));
}

int ClampInt(long double v) {
  if (!(v == v)) return 0;
  if (v > 2147483647.0L) return 2147483647;
  if (v < -2147483647.0L) return -2147483647;
  return static_cast<int>(std::llround(static_cast<double>(v)));
}

std::string Hex8(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%08X", v);
  return b;
}
std::string F4(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%.4f", v);
  return b;
}
std::string F0(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%.0f", v);
  return b;
}

}  // namespace

// ================================================================ item records

bool IsStorableItemKind(int kind) {
  return kind >= tkMarkAt && kind <= tkRectRelPix && kind != tkEverything && kind != tkNotMoveTo;
}

std::string ItemKindName(int kind) {
  static const char* const names[rcNumItemKinds] = {
      "", "tkMarkAt", "tkLine", "tkLineTo", "tkRect", "tkRectFrame", "tk3DBar", "tkText", "tkMoveTo",
      "tkEllipse", "", "", "tkMoveRelPix", "tkLineRelPix", "tkArrow", "tkTextOfs", "tkRectRelPix"};
  if (kind < 0 || kind >= rcNumItemKinds) return "";
  return names[kind];
}

std::string ItemText(const TrcChartItem& Item) {
  const int n = std::min<int>(static_cast<uint8_t>(Item.Text[0]), 15);
  return BytesToUtf8(std::string_view(Item.Text + 1, static_cast<size_t>(n)));
}

void SetItemText(TrcChartItem& Item, const std::string& Text) {
  const std::string t = Utf8Truncate(Text, 15);
  std::memset(Item.Text, 0, sizeof Item.Text);
  Item.Text[0] = static_cast<char>(t.size());
  std::memcpy(Item.Text + 1, t.data(), t.size());
}

void ChartItemToBytes(const TrcChartItem& it, uint8_t* r) {
  std::memset(r, 0, rcItemRecordSize);
  PutLEDouble(r + 0, it.x1);
  PutLEDouble(r + 8, it.y1);
  PutLEDouble(r + 16, it.x2);
  PutLEDouble(r + 24, it.y2);
  PutLE32(r + 32, it.Color);
  PutLE32(r + 36, it.FillColor);
  PutLE32(r + 40, it.ColorShadow);
  PutLE32(r + 44, it.ColorHighlight);
  r[48] = it.PenStyle;
  PutLE32(r + 52, static_cast<uint32_t>(it.Tag));
  PutLE32(r + 56, static_cast<uint32_t>(it.LineWidth));
  r[60] = it.ClassNum;
  r[61] = it.ItemKind;
  PutLE32(r + 64, static_cast<uint32_t>(it.Layer));
  r[68] = it.Transparent;
  r[69] = it.FrameStyle;
  std::memcpy(r + 70, it.Text, 16);
  PutLE32(r + 88, static_cast<uint32_t>(it.Size));
  PutLE32(r + 92, static_cast<uint32_t>(it.Depth));
  r[96] = it.MarkType;
}

bool ChartItemFromBytes(const uint8_t* r, TrcChartItem& out) {
  TrcChartItem it;
  it.x1 = GetLEDouble(r + 0);
  it.y1 = GetLEDouble(r + 8);
  it.x2 = GetLEDouble(r + 16);
  it.y2 = GetLEDouble(r + 24);
  it.Color = GetLE32(r + 32);
  it.FillColor = GetLE32(r + 36);
  it.ColorShadow = GetLE32(r + 40);
  it.ColorHighlight = GetLE32(r + 44);
  it.PenStyle = r[48];
  it.Tag = static_cast<int32_t>(GetLE32(r + 52));
  it.LineWidth = static_cast<int32_t>(GetLE32(r + 56));
  it.ClassNum = r[60];
  it.ItemKind = r[61];
  it.Layer = static_cast<int32_t>(GetLE32(r + 64));
  it.Transparent = r[68];
  it.FrameStyle = r[69];
  std::memcpy(it.Text, r + 70, 16);
  it.Size = static_cast<int32_t>(GetLE32(r + 88));
  it.Depth = static_cast<int32_t>(GetLE32(r + 92));
  it.MarkType = r[96];
  if (!IsStorableItemKind(it.ItemKind)) return false;
  if (static_cast<uint8_t>(it.Text[0]) > 15) return false;
  if (it.Layer < 1 || it.Layer > 2) return false;
  if (it.PenStyle > psInsideFrame || it.FrameStyle > fsEngraved) return false;
  out = it;
  return true;
}

// ================================================================ joint layers

void TJointLayers::Assign(const TPersistent& Source) {
  if (auto* s = dynamic_cast<const TJointLayers*>(&Source)) {
    std::copy(std::begin(s->FX), std::end(s->FX), FX);
    std::copy(std::begin(s->FY), std::end(s->FY), FY);
    Fire(OnChange, this);
    return;
  }
  TPersistent::Assign(Source);
}

int TJointLayers::GetControlledLayerX(int L) const { return (L == 1 || L == 2) ? FX[L - 1] : 0; }
int TJointLayers::GetControlledLayerY(int L) const { return (L == 1 || L == 2) ? FY[L - 1] : 0; }
void TJointLayers::SetControlledLayerX(int L, int Source) { SetControlled(L, Source, true); }
void TJointLayers::SetControlledLayerY(int L, int Source) { SetControlled(L, Source, false); }

void TJointLayers::SetControlled(int L, int Source, bool IsX) {
  int* tab = IsX ? FX : FY;
  // Both layer numbers are checked: a bad L would index the table out of bounds.
  if (Source < 1 || Source > 2)
    throw EZOLRChartError("Destination layer " + std::to_string(Source) + " is out of range");
  if (L < 1 || L > 2) throw EZOLRChartError("Layer " + std::to_string(L) + " is out of range");
  if (Source == L) {
    tab[L - 1] = L;
    Fire(OnChange, this);
    return;
  }
  if (tab[Source - 1] != Source)
    throw EZOLRChartError("Destination layer " + std::to_string(Source) + " is already joined");
  std::string users;
  for (int k = 1; k <= 2; ++k)
    if (k != L && tab[k - 1] == L) users += (users.empty() ? "" : ", ") + std::to_string(k);
  if (!users.empty())
    throw EZOLRChartError("Layer " + std::to_string(L) + " is joined by other layers (" + users + ")");
  tab[L - 1] = Source;
  if (FChart) {
    // L's axis takes Source's range.
    auto& src = IsX ? static_cast<TScaleProps&>(*FChart->FScaleX[Source - 1])
                    : static_cast<TScaleProps&>(*FChart->FScaleY[Source - 1]);
    auto& dst = IsX ? static_cast<TScaleProps&>(*FChart->FScaleX[L - 1])
                    : static_cast<TScaleProps&>(*FChart->FScaleY[L - 1]);
    dst.SetRangeLowHigh(src.RangeLow(), src.RangeHigh());
    FChart->AdjustScaling();
  }
  Fire(OnChange, this);
}

void TJointLayers::Reset() {
  FX[0] = FY[0] = 1;
  FX[1] = FY[1] = 2;
  Fire(OnChange, this);
}

// ================================================================ background image

void TBakGndImg::Assign(const TPersistent& Source) {
  if (auto* s = dynamic_cast<const TBakGndImg*>(&Source)) {
    FName = s->FName;
    FIncludePath = s->FIncludePath;
    FFillMode = s->FFillMode;
    FAreaMode = s->FAreaMode;
    FAreaColor = s->FAreaColor;
    FAreaLeft = s->FAreaLeft;
    FAreaRight = s->FAreaRight;
    FAreaTop = s->FAreaTop;
    FAreaBottom = s->FAreaBottom;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}
void TBakGndImg::Changed() { Fire(OnChange, this); }
#define ZOL_SETTER(Cls, Name, Type, Field) \
  void Cls::Set##Name(Type v) {            \
    if (Field == v) return;                \
    Field = v;                             \
    Changed();                             \
  }
ZOL_SETTER(TBakGndImg, Name, const std::string&, FName)
ZOL_SETTER(TBakGndImg, IncludePath, bool, FIncludePath)
ZOL_SETTER(TBakGndImg, FillMode, TBkgFill, FFillMode)
ZOL_SETTER(TBakGndImg, AreaMode, TBGAreaMode, FAreaMode)
ZOL_SETTER(TBakGndImg, AreaColor, TColor, FAreaColor)
ZOL_SETTER(TBakGndImg, AreaLeft, double, FAreaLeft)
ZOL_SETTER(TBakGndImg, AreaRight, double, FAreaRight)
ZOL_SETTER(TBakGndImg, AreaTop, double, FAreaTop)
ZOL_SETTER(TBakGndImg, AreaBottom, double, FAreaBottom)

// ================================================================ scale properties

TScaleProps::TScaleProps() : FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) { Changed(); };
  FDateFormat.OnChange = [this](TObject*) { Changed(); };
}
TScaleProps::~TScaleProps() = default;
void TScaleProps::Changed() { Fire(OnChange, this); }

void TScaleProps::Assign(const TPersistent& Source) {
  if (auto* s = dynamic_cast<const TScaleProps*>(&Source)) {
    FCaption = s->FCaption;
    FCaptionPosX = s->FCaptionPosX;
    FCaptionPosY = s->FCaptionPosY;
    FCaptionAlignment = s->FCaptionAlignment;
    FCaptionAnchor = s->FCaptionAnchor;
    FColorScale = s->FColorScale;
    FDateFormat.Assign(s->FDateFormat);
    FDecPlaces = s->FDecPlaces;
    FFont->Assign(*s->FFont);
    FLogarithmic = s->FLogarithmic;
    FLabelType = s->FLabelType;
    FMinTicks = s->FMinTicks;
    FMinRange = s->FMinRange;
    FRangeLow = s->FRangeLow;
    FRangeHigh = s->FRangeHigh;
    FShortTicks = s->FShortTicks;
    FScaleInscript = s->FScaleInscript;
    FScalePos = s->FScalePos;
    FUserTickText = s->FUserTickText;
    FVisible = s->FVisible;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

ZOL_SETTER(TScaleProps, Caption, const std::string&, FCaption)
ZOL_SETTER(TScaleProps, CaptionPosX, int, FCaptionPosX)
ZOL_SETTER(TScaleProps, CaptionPosY, int, FCaptionPosY)
ZOL_SETTER(TScaleProps, CaptionAlignment, TAlignment, FCaptionAlignment)
ZOL_SETTER(TScaleProps, CaptionAnchor, TScaleUnitAnchor, FCaptionAnchor)
ZOL_SETTER(TScaleProps, ColorScale, TColor, FColorScale)
ZOL_SETTER(TScaleProps, ShortTicks, bool, FShortTicks)
ZOL_SETTER(TScaleProps, ScaleInscript, const std::string&, FScaleInscript)
ZOL_SETTER(TScaleProps, ScalePos, int, FScalePos)
ZOL_SETTER(TScaleProps, UserTickText, const std::string&, FUserTickText)
ZOL_SETTER(TScaleProps, Visible, bool, FVisible)

void TScaleProps::SetDecPlaces(int v) {
  v = std::clamp(v, -3, 12);
  if (v == FDecPlaces) return;
  FDecPlaces = v;
  Changed();
}
void TScaleProps::SetLogarithmic(bool v) {
  if (v == FLogarithmic) return;
  if (v && (FRangeLow <= kLogFloor || FRangeHigh <= kLogFloor || FLabelType == ftDateTime)) return;
  FLogarithmic = v;
  Changed();
}
void TScaleProps::SetLabelType(TFigType v) {
  if (v == FLabelType) return;
  FLabelType = v;
  if (v == ftDateTime) FLogarithmic = false;
  if (v == ftTime) FDecPlaces = 4;
  Changed();
}
void TScaleProps::SetMinTicks(int v) {
  if (v != 0) v = std::clamp(v, 2, 10);
  if (v == FMinTicks) return;
  FMinTicks = v;
  Changed();
}
void TScaleProps::SetMinRange(double v) {
  v = std::fabs(v);
  if (!(v >= 1e-300)) v = 1e-300;
  if (v == FMinRange) return;
  FMinRange = v;
  Changed();
}
void TScaleProps::SetRangeLowHigh(double Low, double High) {
  if (Low == FRangeLow && High == FRangeHigh) return;
  FRangeLow = Low;
  FRangeHigh = High;
  Changed();
}

void TScalePropsHoriz::Assign(const TPersistent& Source) {
  if (auto* s = dynamic_cast<const TScalePropsHoriz*>(&Source)) FLocation = s->FLocation;
  TScaleProps::Assign(Source);
}
void TScalePropsHoriz::SetScaleLocation(TScaleLocationHoriz v) {
  if (v == FLocation) return;
  FLocation = v;
  Changed();
}
void TScalePropsVert::Assign(const TPersistent& Source) {
  if (auto* s = dynamic_cast<const TScalePropsVert*>(&Source)) FLocation = s->FLocation;
  TScaleProps::Assign(Source);
}
void TScalePropsVert::SetScaleLocation(TScaleLocationVert v) {
  if (v == FLocation) return;
  FLocation = v;
  Changed();
}

// ================================================================ text labels

TTextLabel::TTextLabel() {
  SetTxtLblVisible(false);
  SetTxtLblMode(tlOff);
  SetTxtLblScreenPos(tlamBoth);
  SetTxtLblAlignment(taCenter);
  SetTxtLblVertAlignment(vaBottom);
  SetTxtLblColorBkg(clWhite);
  SetTxtLblColorBrd(clBlack);
  SetTxtLblShadowDx(3);
  SetTxtLblShadowDy(3);
  SetTxtLblColorShadow(clGray);
}

// ================================================================ the chart: list

TCustomRChart::TCustomRChart(TComponent* AOwner) : TCustomControl(AOwner) {
  FClassVisib.fill(true);
  for (int L = 0; L < 2; ++L) {
    FScaleX[L] = std::make_unique<TScalePropsHoriz>();
    FScaleY[L] = std::make_unique<TScalePropsVert>();
    FScaleX[L]->OnChange = [this](TObject*) { ScalesChanged(); };
    FScaleY[L]->OnChange = [this](TObject*) { ScalesChanged(); };
  }
  for (int a = 0; a < 4; ++a) {
    FScales[static_cast<size_t>(a)] = std::make_unique<TScale>(nullptr);
    TScale& sc = *FScales[static_cast<size_t>(a)];
    sc.SetSuppressPaint(true);
    sc.SetIsHelper(true);
    sc.SetVisible(false);
    sc.SetTransparent(true);
    sc.SetFrameStyle(fsNone);
    sc.OnScaleTickDrawn = [this](TObject*, TCanvas& c, TScaleType st, double v, int x, int y) {
      Fire(OnScaleTickDrawn, this, c, st, v, x, y);
    };
    sc.OnBeforeTickLabel = [this](TObject*, TScaleType st, double v, std::string& t) {
      Fire(OnBeforeTickLabel, this, st, v, t);
    };
  }
  // The axes start as in the layout rcl_X1Bottom_Y1Left: layer 2's axes hidden.
  FScaleX[0]->SetCaptionPosY(22);
  FScaleY[0]->SetCaptionPosY(-16);
  FScaleY[0]->SetCaptionAlignment(taLeftJustify);
  FScaleY[0]->SetCaptionAnchor(uaSclTopLft);
  FScaleX[1]->SetCaptionPosX(10);
  FScaleX[1]->SetCaptionPosY(100);
  FScaleX[1]->SetVisible(false);
  FScaleY[1]->SetCaptionPosX(10);
  FScaleY[1]->SetCaptionPosY(100);
  FScaleY[1]->SetCaptionAlignment(taRightJustify);
  FScaleY[1]->SetCaptionAnchor(uaSclTopLft);
  FScaleY[1]->SetVisible(false);
  FJointLayers = std::make_unique<TJointLayers>(this);
  FJointLayers->OnChange = [this](TObject*) { Changed(); };
  FBackGroundImg = std::make_unique<TBakGndImg>();
  FBackGroundImg->OnChange = [this](TObject*) { Repaint2(); };
  for (int i = 0; i < 4; ++i) {
    FCrossHair[i] = std::make_unique<TCrossHair>();
    FCrossHair[i]->SetLayer(std::min(i + 1, 2));
    FCrossHair[i]->OnChange = [this](TObject*) { Repaint2(); };
  }
  for (auto& l : FTextLabels) {
    l = std::make_unique<TTextLabel>();
    l->SetTxtLblFont(Font());
    l->OnChange = [this](TObject*) { Repaint2(); };
  }
  FChartBmp = std::make_unique<TBitmap>();
  FDataBmp = std::make_unique<TBitmap>();
  FOwnList.Items.reserve(1);
  if (TScreen* s = Screen()) {
    s->SetCursors(crRChartHand, "CURHAND");
    s->SetCursors(crRChartZoomW, "CURZOOMW");
    s->SetCursors(crRChartZoomD, "CURZOOMD");
    s->SetCursors(crRChartZoomP, "CURZOOMP");
  }
  SetBounds(0, 0, 300, 200);
  SetCursor(crCross);
  AdjustScaling();
  ClearZoomHistory();
}

TCustomRChart::~TCustomRChart() {
  // Neither a chart using this one's data nor the one whose data this chart
  // uses may keep a pointer to it.
  DetachUsers();
  if (FDataOwner) {
    auto& u = FDataOwner->FUsers;
    u.erase(std::remove(u.begin(), u.end(), this), u.end());
    FDataOwner = nullptr;
  }
}

void TCustomRChart::DetachUsers() {
  std::vector<TCustomRChart*> users;
  users.swap(FUsers);
  for (TCustomRChart* u : users) u->FDataOwner = nullptr;
}

TCustomRChart::ItemList& TCustomRChart::List() { return FDataOwner ? FDataOwner->FOwnList : FOwnList; }
const TCustomRChart::ItemList& TCustomRChart::List() const {
  return FDataOwner ? FDataOwner->FOwnList : FOwnList;
}

void TCustomRChart::Changed() { Fire(OnChange, this); }

int TCustomRChart::NumItems() const { return static_cast<int>(List().Items.size()); }
int TCustomRChart::Capacity() const { return static_cast<int>(List().Items.capacity()); }

void TCustomRChart::SetAllocSize(int v) { FAllocSize = std::clamp(v, 1, 1000000); }

TrcChartItem TCustomRChart::NewItem(TrcItem kind) const {
  TrcChartItem it;
  it.ItemKind = kind;
  it.Color = FDataColor;
  it.FillColor = FFillColor;
  it.PenStyle = static_cast<uint8_t>(FPenStyle);
  it.Tag = FDataTag;
  it.LineWidth = FLineWidth;
  it.ClassNum = FClassDefault;
  it.Layer = FActiveLayer;
  it.Transparent = FTransparentItems ? 1 : 0;
  return it;
}

void TCustomRChart::AddItem(TrcChartItem it) {
  ItemList& l = List();
  if (l.Items.size() == l.Items.capacity()) {
    try {
      l.Items.reserve(l.Items.size() + static_cast<size_t>(FAllocSize));
    } catch (const std::bad_alloc&) {
      throw EZOLRChartError(ComponentMsg("not enough memory on heap"));
    }
  }
  l.Items.push_back(it);
  ++l.Counts[it.ItemKind];
  ListChanged();
}

void TCustomRChart::ListChanged() {
  ItemList& l = List();
  if (l.Items.empty()) {
    l.Items.shrink_to_fit();
    l.Items.reserve(1);
    l.Counts.fill(0);
  }
  AdjustCanInfoOfSharedCharts();
  Changed();
}

void TCustomRChart::AdjustCanInfoOfSharedCharts() {
  // Users read the owner's list directly; only the drawn index is handed on.
  TCustomRChart* owner = FDataOwner ? FDataOwner : this;
  const int n = static_cast<int>(owner->FOwnList.Items.size());
  if (owner->FLastDrawn > n) owner->FLastDrawn = n;
  for (TCustomRChart* u : owner->FUsers)
    if (u->FLastDrawn > n) u->FLastDrawn = n;
}

void TCustomRChart::MoveTo(double x, double y) {
  TrcChartItem it = NewItem(tkMoveTo);
  it.x1 = x;
  it.y1 = y;
  AddItem(it);
}
void TCustomRChart::DrawTo(double x, double y) {
  TrcChartItem it = NewItem(tkLineto);
  it.x1 = x;
  it.y1 = y;
  AddItem(it);
}
void TCustomRChart::MoveToRelPix(int dx, int dy) {
  TrcChartItem it = NewItem(tkMoveRelPix);
  it.x1 = dx;
  it.y1 = dy;
  AddItem(it);
}
void TCustomRChart::DrawToRelPix(int dx, int dy) {
  TrcChartItem it = NewItem(tkLineRelPix);
  it.x1 = dx;
  it.y1 = dy;
  AddItem(it);
}
void TCustomRChart::Line(double x1, double y1, double x2, double y2) {
  TrcChartItem it = NewItem(tkLine);
  it.x1 = x1; it.y1 = y1; it.x2 = x2; it.y2 = y2;
  AddItem(it);
}
void TCustomRChart::MarkAt(double x, double y, uint8_t MarkType) {
  TrcChartItem it = NewItem(tkMarkAt);
  it.x1 = x;
  it.y1 = y;
  it.MarkType = MarkType;
  AddItem(it);
}
void TCustomRChart::Text(double x, double y, int Size, const std::string& Txt) {
  TrcChartItem it = NewItem(tkText);
  it.x1 = x;
  it.y1 = y;
  it.Size = Size;
  it.MarkType = static_cast<uint8_t>(FTextAlignment);
  SetItemText(it, Txt);
  AddItem(it);
}
void TCustomRChart::Text(double x, double y, int Size, const std::string& Txt, int OffsetX, int OffsetY,
                         TAlignment Alignment) {
  TrcChartItem it = NewItem(tkTextOfs);
  it.x1 = x;
  it.y1 = y;
  it.x2 = OffsetX;
  it.y2 = OffsetY;
  it.Size = Size;
  it.MarkType = static_cast<uint8_t>(Alignment);
  SetItemText(it, Txt);
  AddItem(it);
}
void TCustomRChart::Rectangle(double x1, double y1, double x2, double y2) {
  TrcChartItem it = NewItem(tkRect);
  it.x1 = x1; it.y1 = y1; it.x2 = x2; it.y2 = y2;
  AddItem(it);
}
void TCustomRChart::RectangleRelPix(double x, double y, int dx, int dy) {
  TrcChartItem it = NewItem(tkRectRelPix);
  it.x1 = x; it.y1 = y; it.x2 = dx; it.y2 = dy;
  AddItem(it);
}
void TCustomRChart::RectFrame(double x1, double y1, double x2, double y2, TFrameStyle FrameStyle,
                              TColor ColorShadow, TColor ColorHighlight) {
  TrcChartItem it = NewItem(tkRectFrame);
  it.x1 = x1; it.y1 = y1; it.x2 = x2; it.y2 = y2;
  it.FrameStyle = static_cast<uint8_t>(FrameStyle);
  it.ColorShadow = ColorShadow;
  it.ColorHighlight = ColorHighlight;
  it.LineWidth = 1;
  AddItem(it);
}
void TCustomRChart::Bar3D(double x1, double y1, double x2, double y2, int Depth, int Angle) {
  TrcChartItem it = NewItem(tk3DBar);
  it.x1 = x1; it.y1 = y1; it.x2 = x2; it.y2 = y2;
  it.Depth = Depth;
  it.Size = std::clamp(Angle, 0, 180);
  AddItem(it);
}
void TCustomRChart::Ellipse(double x, double y, double rx, double ry) {
  TrcChartItem it = NewItem(tkEllipse);
  it.x1 = x; it.y1 = y; it.x2 = rx; it.y2 = ry;
  AddItem(it);
}
void TCustomRChart::Arrow(double x1, double y1, double x2, double y2, int HeadSize) {
  TrcChartItem it = NewItem(tkArrow);
  it.x1 = x1; it.y1 = y1; it.x2 = x2; it.y2 = y2;
  it.Size = HeadSize;
  AddItem(it);
}

TrcChartItem TCustomRChart::GetChartItem(int i) const {
  const ItemList& l = List();
  if (i < 0 || i >= static_cast<int>(l.Items.size())) {
    TrcChartItem none;
    none.ItemKind = tkNone;
    return none;
  }
  return l.Items[static_cast<size_t>(i)];
}

void TCustomRChart::SetChartitem(int i, const TrcChartItem& Item) {
  ItemList& l = List();
  if (i < 0 || i >= static_cast<int>(l.Items.size())) return;
  // The counters stay as they are, so the kind must not change under them.
  TrcChartItem it = Item;
  it.ItemKind = l.Items[static_cast<size_t>(i)].ItemKind;
  l.Items[static_cast<size_t>(i)] = it;
  ListChanged();
}

bool TCustomRChart::SetItemParams(int i, const TrcChartItem& Item) {
  ItemList& l = List();
  if (i < 0 || i >= static_cast<int>(l.Items.size())) return false;
  if (!IsStorableItemKind(Item.ItemKind)) return false;
  TrcChartItem it = Item;
  if (static_cast<uint8_t>(it.Text[0]) > 15) it.Text[0] = 15;
  --l.Counts[l.Items[static_cast<size_t>(i)].ItemKind];
  ++l.Counts[it.ItemKind];
  l.Items[static_cast<size_t>(i)] = it;
  ListChanged();
  return true;
}

void TCustomRChart::RemoveItem(int i) {
  ItemList& l = List();
  if (i < 0 || i >= static_cast<int>(l.Items.size())) return;
  --l.Counts[l.Items[static_cast<size_t>(i)].ItemKind];
  l.Items.erase(l.Items.begin() + i);
  ListChanged();
}
void TCustomRChart::RemoveFirstItem() { RemoveItem(0); }
void TCustomRChart::RemoveLastItem() { RemoveItem(NumItems() - 1); }

int TCustomRChart::RemoveItemsByClass(int c) {
  ItemList& l = List();
  const size_t before = l.Items.size();
  auto it = std::remove_if(l.Items.begin(), l.Items.end(), [&](const TrcChartItem& x) {
    if (x.ClassNum != c) return false;
    --l.Counts[x.ItemKind];
    return true;
  });
  l.Items.erase(it, l.Items.end());
  const int n = static_cast<int>(before - l.Items.size());
  if (n > 0) ListChanged();
  return n;
}

void TCustomRChart::ClearGraf() {
  ItemList& l = List();
  l.Items.clear();
  ListChanged();
  FLastDrawn = 0;
  // The chart's picture is cleared too.
  if (FPainted) ShowGraf();
}

TrcItem TCustomRChart::GetTypeOfFirstItem() const {
  return List().Items.empty() ? tkNone : static_cast<TrcItem>(List().Items.front().ItemKind);
}
TrcItem TCustomRChart::GetTypeOfLastItem() const {
  return List().Items.empty() ? tkNone : static_cast<TrcItem>(List().Items.back().ItemKind);
}
int TCustomRChart::GetItemCount(int kind) const {
  if (kind < 0 || kind >= rcNumItemKinds) return 0;
  return List().Counts[static_cast<size_t>(kind)];
}

bool TCustomRChart::Selected(const TrcChartItem& it, TrcItem kind, int c) {
  if (c != 255 && it.ClassNum != c) return false;
  if (kind == tkEverything) return true;
  if (kind == tkNotMoveTo) return it.ItemKind != tkMoveTo;
  return it.ItemKind == kind;
}

void TCustomRChart::MarkAllItems(TrcItem kind, int c) {
  if (c == 255 || kind == tkNone || c < 0 || c > 255) return;
  for (auto& it : List().Items)
    if (Selected(it, kind, 255)) it.ClassNum = static_cast<uint8_t>(c);
  ListChanged();
}

int TCustomRChart::MarkItemsInWindow(double x1, double y1, double x2, double y2, TrcItem kind, int c) {
  if (c == 255 || kind == tkNone || c < 0 || c > 255) return 0;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  int n = 0;
  for (auto& it : List().Items)
    if (Selected(it, kind, 255) && it.x1 >= x1 && it.x1 <= x2 && it.y1 >= y1 && it.y1 <= y2) {
      it.ClassNum = static_cast<uint8_t>(c);
      ++n;
    }
  if (n > 0) ListChanged();
  return n;
}

void TCustomRChart::NewColorOfClassItems(TColor Color, int c) {
  for (auto& it : List().Items)
    if (c == 255 || it.ClassNum == c) it.Color = Color;
  ListChanged();
}

namespace {
bool HasSecondPoint(uint8_t k) {
  return k == tkLine || k == tkRect || k == tkRectFrame || k == tk3DBar || k == tkEllipse || k == tkArrow;
}
void ScaleOne(TrcChartItem& it, double FactX, double OffsX, double FactY, double OffsY) {
  it.x1 = OffsX + FactX * it.x1;
  it.y1 = OffsY + FactY * it.y1;
  if (HasSecondPoint(it.ItemKind)) {
    it.x2 = OffsX + FactX * it.x2;
    it.y2 = OffsY + FactY * it.y2;
  }
}
}  // namespace

void TCustomRChart::ScaleItem(int i, double FactX, double OffsX, double FactY, double OffsY) {
  ItemList& l = List();
  if (i < 0 || i >= static_cast<int>(l.Items.size())) return;
  ScaleOne(l.Items[static_cast<size_t>(i)], FactX, OffsX, FactY, OffsY);
  ListChanged();
}
void TCustomRChart::ScaleSelectedItems(double FactX, double OffsX, double FactY, double OffsY, int c) {
  for (auto& it : List().Items)
    if (c == 255 || it.ClassNum == c) ScaleOne(it, FactX, OffsX, FactY, OffsY);
  ListChanged();
}
void TCustomRChart::ScaleAllItems(double FactX, double OffsX, double FactY, double OffsY) {
  for (auto& it : List().Items) ScaleOne(it, FactX, OffsX, FactY, OffsY);
  ListChanged();
}

int TCustomRChart::FindNearestItemReal(double x, double y, TrcItem kind, int c, double& Dist) const {
  Dist = std::sqrt(std::numeric_limits<double>::max());
  if (kind == tkNone) return -1;
  int best = -1;
  double bd = std::numeric_limits<double>::max();
  const auto& items = List().Items;
  for (size_t i = 0; i < items.size(); ++i) {
    if (!Selected(items[i], kind, c)) continue;
    const double dx = items[i].x1 - x, dy = items[i].y1 - y;
    const double d = dx * dx + dy * dy;
    if (d < bd) {
      bd = d;
      best = static_cast<int>(i);
    }
  }
  if (best >= 0) Dist = std::sqrt(bd);
  return best;
}

int TCustomRChart::FindNearestItemScreen(double x, double y, TrcItem kind, int c, double& Dist) const {
  Dist = std::sqrt(std::numeric_limits<double>::max());
  if (kind == tkNone) return -1;
  int mx, my;
  R2M(FActiveLayer, x, y, mx, my);
  int best = -1;
  double bd = std::numeric_limits<double>::max();
  const auto& items = List().Items;
  for (size_t i = 0; i < items.size(); ++i) {
    if (!Selected(items[i], kind, c)) continue;
    int px, py;
    R2M(FActiveLayer, items[i].x1, items[i].y1, px, py);
    const double dx = static_cast<double>(px) - mx, dy = static_cast<double>(py) - my;
    const double d = dx * dx + dy * dy;
    if (d < bd) {
      bd = d;
      best = static_cast<int>(i);
    }
  }
  if (best >= 0) Dist = std::sqrt(bd);
  return best;
}

// ================================================================ layers

void TCustomRChart::SetActiveLayer(int L) {
  if (L == 1 || L == 2) FActiveLayer = L;
}
bool TCustomRChart::GetLayerVisib(int L) const { return (L == 1 || L == 2) && FLayerVisib[L - 1]; }
void TCustomRChart::SetLayerVisib(int L, bool on) {
  if ((L != 1 && L != 2) || FLayerVisib[L - 1] == on) return;
  FLayerVisib[L - 1] = on;
  Repaint2();
}
bool TCustomRChart::GetClassVisib(int c) const { return c >= 0 && c <= 255 && FClassVisib[static_cast<size_t>(c)]; }
void TCustomRChart::SetClassVisib(int c, bool on) {
  if (c < 0 || c > 255 || FClassVisib[static_cast<size_t>(c)] == on) return;
  FClassVisib[static_cast<size_t>(c)] = on;
  Repaint2();
}
TrcLayerSet TCustomRChart::FindUsedLayers() const {
  TrcLayerSet s;
  for (const auto& it : List().Items) s.insert(it.Layer);
  return s;
}

// ================================================================ margins and appearance

#define ZOL_CHART_SETTER(Name, Type, Field) \
  void TCustomRChart::Set##Name(Type v) {   \
    if (Field == v) return;                 \
    Field = v;                              \
    Repaint2();                             \
  }
// The margins and the shadow width define the plotting area: the mapping follows.
void TCustomRChart::SetGeometry(int& Field, int v) {
  v = std::max(v, 0);
  if (v == Field) return;
  Field = v;
  AdjustScaling();
  Repaint2();
}
void TCustomRChart::SetMarginLeft(int v) { SetGeometry(FLRim, v); }
void TCustomRChart::SetMarginRight(int v) { SetGeometry(FRRim, v); }
void TCustomRChart::SetMarginTop(int v) { SetGeometry(FTRim, v); }
void TCustomRChart::SetMarginBottom(int v) { SetGeometry(FBRim, v); }
void TCustomRChart::SetShadowWidth(int v) { SetGeometry(FShadowWidth, v); }
ZOL_CHART_SETTER(ChartColor, TColor, FChartColor)
ZOL_CHART_SETTER(WindColor, TColor, FWindColor)
ZOL_CHART_SETTER(ChartFrameColor, TColor, FChartFrameColor)
ZOL_CHART_SETTER(GridColor, TColor, FGridColor)
ZOL_CHART_SETTER(GridStyle, GridStyleType, FGridStyle)
ZOL_CHART_SETTER(ShadowStyle, TShadowStyle, FShadowStyle)
ZOL_CHART_SETTER(ShadowColor, TColor, FShadowColor)
ZOL_CHART_SETTER(ShadowBakColor, TColor, FShadowBakColor)
ZOL_CHART_SETTER(Caption, const std::string&, FCaption)
ZOL_CHART_SETTER(CaptionPosX, int, FCaptionPosX)
ZOL_CHART_SETTER(CaptionPosY, int, FCaptionPosY)
ZOL_CHART_SETTER(CaptionAlignment, TAlignment, FCaptionAlignment)
ZOL_CHART_SETTER(CaptionAnchorHoriz, TCaptionAnchorHoriz, FCaptionAnchorHoriz)
ZOL_CHART_SETTER(CaptionAnchorVert, TCaptionAnchorVert, FCaptionAnchorVert)
ZOL_CHART_SETTER(TextFontStyle, TFontStyles, FTextFontStyle)
ZOL_CHART_SETTER(TextBkStyle, TTextBkg, FTextBkStyle)
ZOL_CHART_SETTER(TextBkColor, TColor, FTextBkColor)
ZOL_CHART_SETTER(DecimateLines, bool, FDecimateLines)

void TCustomRChart::SetGridDx(double v) {
  if (v < -3 || v == FGridDx) return;
  FGridDx = v;
  Repaint2();
}
void TCustomRChart::SetGridDy(double v) {
  if (v < -3 || v == FGridDy) return;
  FGridDy = v;
  Repaint2();
}
void TCustomRChart::SetIsometric(bool v) {
  if (v == FIsometric) return;
  FIsometric = v;
  if (v) {
    for (int L = 1; L <= 2; ++L) {
      const auto& sx = *FScaleX[L - 1];
      const auto& sy = *FScaleY[L - 1];
      SetRange(L, sx.RangeLow(), sy.RangeLow(), sx.RangeHigh(), sy.RangeHigh());
    }
  }
  Repaint2();
}
void TCustomRChart::SetSuppressPaint(bool v) {
  if (v == FSuppressPaint) return;
  FSuppressPaint = v;
  if (!v) Repaint2();
}

void TCustomRChart::SetStdLayout(TrcLayout v) {
  struct Ax {
    int loc, cx, cy, align, anchor, pos;
    bool vis;
  };
  struct Row {
    int b, t, l, r, cx, cy, calign, ah, av;
    Ax x1, y1, x2, y2;
  };
  // Locations: x axes 0 top, 1 bottom; y axes 0 left, 1 right.  Alignment 0 left, 1 right, 2 centre.
  static const Row rows[5] = {
      {40, 20, 50, 20, 0, -16, 1, 3, 1, {1, 0, 22, 2, 1, 0, true}, {0, 0, -16, 0, 0, 0, true},
       {1, 10, 100, 2, 1, 0, false}, {0, 10, 100, 1, 0, 0, false}},
      {40, 24, 100, 20, 0, -16, 1, 3, 1, {1, 0, 22, 2, 1, 0, true}, {0, 0, -23, 1, 0, 0, true},
       {1, 10, 100, 2, 1, 0, false}, {0, 0, -23, 1, 0, 50, true}},
      {40, 24, 50, 50, 0, -20, 2, 2, 1, {1, 0, 22, 2, 1, 0, true}, {0, 0, -23, 1, 0, 0, true},
       {1, 10, 100, 2, 1, 0, false}, {1, 0, -23, 0, 0, 0, true}},
      {70, 24, 100, 20, 0, -16, 1, 3, 1, {1, -20, 7, 1, 0, 0, true}, {0, 0, -23, 1, 0, 0, true},
       {1, -20, 7, 1, 0, 30, true}, {0, 0, -23, 1, 0, 50, true}},
      {40, 48, 50, 50, 0, -46, 2, 2, 1, {1, -20, 7, 1, 0, 0, true}, {0, 0, -40, 1, 0, 0, true},
       {0, -20, -24, 1, 0, 0, true}, {1, 0, -40, 0, 0, 0, true}},
  };
  const Row& r = rows[std::clamp(static_cast<int>(v), 0, 4)];
  const bool old = FSuppressPaint;
  FSuppressPaint = true;
  FStandardLayout = v;
  FBRim = r.b;
  FTRim = r.t;
  FLRim = r.l;
  FRRim = r.r;
  FCaptionPosX = r.cx;
  FCaptionPosY = r.cy;
  FCaptionAlignment = static_cast<TAlignment>(r.calign);
  FCaptionAnchorHoriz = static_cast<TCaptionAnchorHoriz>(r.ah);
  FCaptionAnchorVert = static_cast<TCaptionAnchorVert>(r.av);
  auto apply = [](TScaleProps& p, const Ax& a) {
    p.SetCaptionPosX(a.cx);
    p.SetCaptionPosY(a.cy);
    p.SetCaptionAlignment(static_cast<TAlignment>(a.align));
    p.SetCaptionAnchor(static_cast<TScaleUnitAnchor>(a.anchor));
    p.SetScalePos(a.pos);
    p.SetVisible(a.vis);
  };
  apply(*FScaleX[0], r.x1);
  FScaleX[0]->SetScaleLocation(r.x1.loc ? slBottom : slTop);
  apply(*FScaleY[0], r.y1);
  FScaleY[0]->SetScaleLocation(r.y1.loc ? slRight : slLeft);
  apply(*FScaleX[1], r.x2);
  FScaleX[1]->SetScaleLocation(r.x2.loc ? slBottom : slTop);
  apply(*FScaleY[1], r.y2);
  FScaleY[1]->SetScaleLocation(r.y2.loc ? slRight : slLeft);
  AdjustScaling();
  FSuppressPaint = old;
  Repaint2();
}

void TCustomRChart::ScalesChanged() {
  AdjustScaling();
  Repaint2();
}

// ================================================================ ranges and mapping

bool TCustomRChart::AxisLog(int L, bool IsX) const {
  return IsX ? FScaleX[L - 1]->Logarithmic() : FScaleY[L - 1]->Logarithmic();
}

void TCustomRChart::AdjustScaling() {
  const int sw = FShadowWidth;
  const long double W = Width() - FLRim - FRRim - sw;
  const long double H = Height() - FTRim - FBRim - sw;
  for (int L = 1; L <= 2; ++L) {
    const auto& sx = *FScaleX[L - 1];
    const auto& sy = *FScaleY[L - 1];
    long double xl = sx.RangeLow(), xh = sx.RangeHigh(), yl = sy.RangeLow(), yh = sy.RangeHigh();
    if (sx.Logarithmic()) {
      if (xl <= 0 || xh <= 0) throw EZOLRChartError("Logarithmic axis must not be negative.");
      xl = std::log(xl);
      xh = std::log(xh);
    }
    if (sy.Logarithmic()) {
      if (yl <= 0 || yh <= 0) throw EZOLRChartError("Logarithmic axis must not be negative.");
      yl = std::log(yl);
      yh = std::log(yh);
    }
    LayerMap& m = FMap[L - 1];
    if (W <= 0 || xh == xl) {
      m.kx = 0;
      m.ox = Width() / 2.0L;
    } else {
      m.kx = W / (xh - xl);
      m.ox = (FLRim * xh - (Width() - FRRim - sw) * xl) / (xh - xl);
    }
    if (H <= 0 || yh == yl) {
      m.ky = 0;
      m.oy = Height() / 2.0L;
    } else {
      m.ky = -H / (yh - yl);
      m.oy = ((Height() - FBRim - sw) * yh - FTRim * yl) / (yh - yl);
    }
  }
}

void TCustomRChart::R2M(int Layer, double x, double y, int& px, int& py) const {
  const int L = std::clamp(Layer, 1, 2);
  const LayerMap& m = FMap[L - 1];
  const auto& sx = *FScaleX[L - 1];
  const auto& sy = *FScaleY[L - 1];
  if (sx.Logarithmic()) {
    if (x <= kLogFloor)
      px = sx.RangeHigh() >= sx.RangeLow() ? 0 : Width();
    else
      px = ClampInt(m.kx * std::log(static_cast<long double>(x)) + m.ox);
  } else {
    px = ClampInt(m.kx * x + m.ox);
  }
  if (sy.Logarithmic()) {
    if (y <= kLogFloor)
      py = sy.RangeHigh() >= sy.RangeLow() ? Height() : 0;
    else
      py = ClampInt(m.ky * std::log(static_cast<long double>(y)) + m.oy);
  } else {
    py = ClampInt(m.ky * y + m.oy);
  }
}

void TCustomRChart::M2R(int Layer, int px, int py, double& x, double& y) const {
  const int L = std::clamp(Layer, 1, 2);
  const LayerMap& m = FMap[L - 1];
  const auto& sx = *FScaleX[L - 1];
  const auto& sy = *FScaleY[L - 1];
  // A range collapsed to one pixel (k = 0) answers its low end.
  if (m.kx == 0) {
    x = sx.RangeLow();
  } else {
    const long double v = (px - m.ox) / m.kx;
    x = static_cast<double>(sx.Logarithmic() ? std::exp(v) : v);
  }
  if (m.ky == 0) {
    y = sy.RangeLow();
  } else {
    const long double v = (py - m.oy) / m.ky;
    y = static_cast<double>(sy.Logarithmic() ? std::exp(v) : v);
  }
}

TRect TCustomRChart::PlotRect() const {
  return Rect(FLRim, FTRim, Width() - FRRim - FShadowWidth + 1, Height() - FBRim - FShadowWidth + 1);
}

void TCustomRChart::ConfineZoomRange(double XLow, double YLow, double XHigh, double YHigh) {
  FConfine[0] = XLow;
  FConfine[1] = YLow;
  FConfine[2] = XHigh;
  FConfine[3] = YHigh;
}

namespace {
// Keeps [lo, hi] inside [c1, c2]: shifted back keeping its width when
// Shift, else clipped.
void ConfineAxis(double& lo, double& hi, double c1, double c2, bool Shift) {
  const double cl = std::min(c1, c2), ch = std::max(c1, c2);
  if (cl == ch) return;
  const bool rev = lo > hi;
  double a = std::min(lo, hi), b = std::max(lo, hi);
  if (Shift && b - a <= ch - cl) {
    if (a < cl) {
      b += cl - a;
      a = cl;
    }
    if (b > ch) {
      a -= b - ch;
      b = ch;
    }
  } else {
    a = std::clamp(a, cl, ch);
    b = std::clamp(b, cl, ch);
  }
  lo = rev ? b : a;
  hi = rev ? a : b;
}
}  // namespace

void TCustomRChart::ApplyRange(int L, double XLow, double YLow, double XHigh, double YHigh, bool Confine,
                               bool History) {
  auto& sx = *FScaleX[L - 1];
  auto& sy = *FScaleY[L - 1];
  const bool confined = FConfine[0] != 0 || FConfine[1] != 0 || FConfine[2] != 0 || FConfine[3] != 0;
  if (Confine && confined) {
    const bool panX = FMouseAction == maPan || FMouseAction == maPanHoriz;
    const bool panY = FMouseAction == maPan || FMouseAction == maPanVert;
    ConfineAxis(XLow, XHigh, FConfine[0], FConfine[2], panX && FDragging);
    ConfineAxis(YLow, YHigh, FConfine[1], FConfine[3], panY && FDragging);
  }
  auto ok = [](const TScaleProps& p, double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) return false;
    if (!(std::fabs(hi - lo) >= p.MinRange())) return false;
    if (p.Logarithmic() && (lo < kLogFloor || hi < kLogFloor)) return false;
    return true;
  };
  bool changed = false;
  TNotifyEvent hx = std::move(sx.OnChange), hy = std::move(sy.OnChange);
  sx.OnChange = nullptr;
  sy.OnChange = nullptr;
  if (ok(sx, XLow, XHigh) && (XLow != sx.RangeLow() || XHigh != sx.RangeHigh())) {
    sx.SetRangeLowHigh(XLow, XHigh);
    changed = true;
  }
  if (ok(sy, YLow, YHigh) && (YLow != sy.RangeLow() || YHigh != sy.RangeHigh())) {
    sy.SetRangeLowHigh(YLow, YHigh);
    changed = true;
  }
  sx.OnChange = std::move(hx);
  sy.OnChange = std::move(hy);
  AdjustScaling();
  if (History && changed) ZoomStateOnStack();
}

void TCustomRChart::ForceRangeEx(int L, double XLow, double YLow, double XHigh, double YHigh, bool Confine,
                                 bool History) {
  L = std::clamp(L, 1, 2);
  const int old = FSuppressDepth++;
  (void)old;
  // An axis controlled by another layer keeps its range.
  if (FJointLayers->GetControlledLayerX(L) != L) {
    XLow = FScaleX[L - 1]->RangeLow();
    XHigh = FScaleX[L - 1]->RangeHigh();
  }
  if (FJointLayers->GetControlledLayerY(L) != L) {
    YLow = FScaleY[L - 1]->RangeLow();
    YHigh = FScaleY[L - 1]->RangeHigh();
  }
  try {
    ApplyRange(L, XLow, YLow, XHigh, YHigh, Confine, History);
    PropagateJoint(L);
  } catch (...) {
    --FSuppressDepth;
    throw;
  }
  --FSuppressDepth;
}

void TCustomRChart::PropagateJoint(int L) {
  for (int K = 1; K <= 2; ++K) {
    if (K == L) continue;
    const bool jx = FJointLayers->GetControlledLayerX(K) == L;
    const bool jy = FJointLayers->GetControlledLayerY(K) == L;
    if (!jx && !jy) continue;
    auto& kx = *FScaleX[K - 1];
    auto& ky = *FScaleY[K - 1];
    TNotifyEvent hx = std::move(kx.OnChange), hy = std::move(ky.OnChange);
    kx.OnChange = nullptr;
    ky.OnChange = nullptr;
    if (jx) kx.SetRangeLowHigh(FScaleX[L - 1]->RangeLow(), FScaleX[L - 1]->RangeHigh());
    if (jy) ky.SetRangeLowHigh(FScaleY[L - 1]->RangeLow(), FScaleY[L - 1]->RangeHigh());
    kx.OnChange = std::move(hx);
    ky.OnChange = std::move(hy);
  }
  AdjustScaling();
}

void TCustomRChart::ForceRange(int Layer, double XLow, double YLow, double XHigh, double YHigh) {
  if (Layer == 0) {
    ForceRangeEx(1, XLow, YLow, XHigh, YHigh, true, true);
    ForceRangeEx(2, XLow, YLow, XHigh, YHigh, true, true);
  } else {
    ForceRangeEx(Layer, XLow, YLow, XHigh, YHigh, true, true);
  }
  Repaint2();
}

void TCustomRChart::SetRange(int Layer, double XLow, double YLow, double XHigh, double YHigh) {
  const int first = Layer == 0 ? 1 : std::clamp(Layer, 1, 2);
  const int last = Layer == 0 ? 2 : first;
  for (int L = first; L <= last; ++L) {
    double xl = XLow, xh = XHigh, yl = YLow, yh = YHigh;
    const auto& sx = *FScaleX[L - 1];
    const auto& sy = *FScaleY[L - 1];
    if (xl == xh) {
      if (sx.Logarithmic()) {
        xh = xh * 1.1;
        xl = xl / 1.1;
      } else {
        xl -= sx.MinRange() / 2;
        xh += sx.MinRange() / 2;
      }
    }
    if (yl == yh) {
      if (sy.Logarithmic()) {
        yh = yh * 1.1;
        yl = yl / 1.1;
      } else {
        yl -= sy.MinRange() / 2;
        yh += sy.MinRange() / 2;
      }
    }
    if (FIsometric && !sx.Logarithmic() && !sy.Logarithmic()) {
      const double W = Width() - FLRim - FRRim - FShadowWidth;
      const double H = Height() - FTRim - FBRim - FShadowWidth;
      if (W > 0 && H > 0) {
        const double mid = (yl + yh) / 2;
        const double ext = std::fabs(xh - xl) * H / W;
        const double s = yh >= yl ? 1.0 : -1.0;
        yl = mid - s * ext / 2;
        yh = mid + s * ext / 2;
      }
    }
    ForceRangeEx(L, xl, yl, xh, yh, true, true);
  }
  Repaint2();
}

// ================================================================ zoom history

void TCustomRChart::ZoomStateOnStack() {
  if (IsLoading()) return;
  const int p = FZoomPos - 1;
  for (int L = 0; L < 2; ++L) {
    FZoomStack[L][p][0] = FScaleX[L]->RangeLow();
    FZoomStack[L][p][1] = FScaleY[L]->RangeHigh();
    FZoomStack[L][p][2] = FScaleX[L]->RangeHigh();
    FZoomStack[L][p][3] = FScaleY[L]->RangeLow();
  }
  FZoomPos = FZoomPos == 16 ? 1 : FZoomPos + 1;
}

std::array<double, 4> TCustomRChart::GetZoomStackEntry(int Layer, int n) const {
  if (n < -15 || n > 0) return {0, 0, 0, 0};
  const int L = std::clamp(Layer, 1, 2);
  // The last written entry is one before the write position.
  const int idx = ((FZoomPos - 2 + n) % 16 + 32) % 16;
  const double* e = FZoomStack[L - 1][idx];
  return {e[0], e[1], e[2], e[3]};
}

void TCustomRChart::ZoomHistory(int n) {
  if (n < -15 || n > 0) return;
  for (int L = 1; L <= 2; ++L) {
    const auto e = GetZoomStackEntry(L, n);
    if (e[0] == 0 && e[1] == 0 && e[2] == 0 && e[3] == 0) continue;
    ForceRangeEx(L, e[0], e[3], e[2], e[1], false, false);
  }
  Repaint2();
}

void TCustomRChart::ClearZoomHistory() {
  std::memset(FZoomStack, 0, sizeof FZoomStack);
  FZoomPos = 1;
  ZoomStateOnStack();
}

// ================================================================ automatic and equal ranges

bool TCustomRChart::ItemExtent(int L, double& xl, double& xh, double& yl, double& yh) const {
  bool any = false;
  xl = yl = std::numeric_limits<double>::max();
  xh = yh = -std::numeric_limits<double>::max();
  auto take = [&](double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    xl = std::min(xl, x);
    xh = std::max(xh, x);
    yl = std::min(yl, y);
    yh = std::max(yh, y);
    any = true;
  };
  for (const auto& it : List().Items) {
    if (it.Layer != L) continue;
    const uint8_t k = it.ItemKind;
    if (k == tkMoveRelPix || k == tkLineRelPix || k == tkRectRelPix) continue;
    if (k == tkEllipse) {
      take(it.x1 - it.x2, it.y1 - it.y2);
      take(it.x1 + it.x2, it.y1 + it.y2);
      continue;
    }
    take(it.x1, it.y1);
    if (k == tkLine || k == tkRect || k == tkRectFrame || k == tk3DBar || k == tkArrow) take(it.x2, it.y2);
  }
  return any;
}

namespace {
void WidenAndMargin(double& lo, double& hi, double m, bool log) {
  if (lo == hi) {
    if (log && lo > 0) {
      // low - 1 could leave the logarithmic axis; one decade on each side instead.
      lo /= 10;
      hi *= 10;
    } else {
      lo -= 1;
      hi += 1;
    }
  }
  if (log && lo > 0 && hi > 0) {
    const double r = std::log(hi / lo);
    hi = hi * std::exp(m / 100 * r);
    lo = lo * std::exp(-m / 100 * r);
  } else {
    const double d = (hi - lo) * m / 100;
    lo -= d;
    hi += d;
  }
}
}  // namespace

void TCustomRChart::AutoRangeEx(int Layer, double MarginX, double MarginY, bool DoX, bool DoY) {
  double ext[2][4];
  bool have[2] = {false, false};
  const int first = Layer == 0 ? 1 : std::clamp(Layer, 1, 2);
  const int last = Layer == 0 ? 2 : first;
  for (int L = 1; L <= 2; ++L) have[L - 1] = ItemExtent(L, ext[L - 1][0], ext[L - 1][1], ext[L - 1][2], ext[L - 1][3]);
  if (Layer == 0) {
    // A controlled axis widens the extent of the layer that controls it.
    for (int L = 1; L <= 2; ++L) {
      if (!have[L - 1]) continue;
      const int cx = FJointLayers->GetControlledLayerX(L), cy = FJointLayers->GetControlledLayerY(L);
      if (cx != L) {
        if (!have[cx - 1]) {
          std::copy(ext[L - 1], ext[L - 1] + 4, ext[cx - 1]);
          have[cx - 1] = true;
        }
        ext[cx - 1][0] = std::min(ext[cx - 1][0], ext[L - 1][0]);
        ext[cx - 1][1] = std::max(ext[cx - 1][1], ext[L - 1][1]);
      }
      if (cy != L) {
        if (!have[cy - 1]) {
          std::copy(ext[L - 1], ext[L - 1] + 4, ext[cy - 1]);
          have[cy - 1] = true;
        }
        ext[cy - 1][2] = std::min(ext[cy - 1][2], ext[L - 1][2]);
        ext[cy - 1][3] = std::max(ext[cy - 1][3], ext[L - 1][3]);
      }
    }
  }
  for (int L = first; L <= last; ++L) {
    if (!have[L - 1]) continue;
    double xl = ext[L - 1][0], xh = ext[L - 1][1], yl = ext[L - 1][2], yh = ext[L - 1][3];
    WidenAndMargin(xl, xh, MarginX, FScaleX[L - 1]->Logarithmic());
    WidenAndMargin(yl, yh, MarginY, FScaleY[L - 1]->Logarithmic());
    if (!DoX) {
      xl = FScaleX[L - 1]->RangeLow();
      xh = FScaleX[L - 1]->RangeHigh();
    }
    if (!DoY) {
      yl = FScaleY[L - 1]->RangeLow();
      yh = FScaleY[L - 1]->RangeHigh();
    }
    SetRange(L, xl, yl, xh, yh);
  }
}

void TCustomRChart::AutoRange(int Layer, double MarginX, double MarginY) {
  AutoRangeEx(Layer, MarginX, MarginY, true, true);
}
void TCustomRChart::AutoRangeXOnly(int Layer, double MarginX, double MarginY) {
  AutoRangeEx(Layer, MarginX, MarginY, true, false);
}
void TCustomRChart::AutoRangeYOnly(int Layer, double MarginX, double MarginY) {
  AutoRangeEx(Layer, MarginX, MarginY, false, true);
}

void TCustomRChart::EqualRangeEx(const TrcLayerSet& Layers, bool DoX, bool DoY) {
  double xl = std::numeric_limits<double>::max(), xh = -xl, yl = xl, yh = -xl;
  bool any = false;
  for (int L : Layers) {
    if (L < 1 || L > 2) continue;
    any = true;
    const auto& sx = *FScaleX[L - 1];
    const auto& sy = *FScaleY[L - 1];
    xl = std::min({xl, sx.RangeLow(), sx.RangeHigh()});
    xh = std::max({xh, sx.RangeLow(), sx.RangeHigh()});
    yl = std::min({yl, sy.RangeLow(), sy.RangeHigh()});
    yh = std::max({yh, sy.RangeLow(), sy.RangeHigh()});
  }
  if (!any) return;
  for (int L : Layers) {
    if (L < 1 || L > 2) continue;
    const auto& sx = *FScaleX[L - 1];
    const auto& sy = *FScaleY[L - 1];
    SetRange(L, DoX ? xl : sx.RangeLow(), DoY ? yl : sy.RangeLow(), DoX ? xh : sx.RangeHigh(),
             DoY ? yh : sy.RangeHigh());
  }
}
void TCustomRChart::SetEqualRange(const TrcLayerSet& Layers) { EqualRangeEx(Layers, true, true); }
void TCustomRChart::SetEqualRangeXOnly(const TrcLayerSet& Layers) { EqualRangeEx(Layers, true, false); }
void TCustomRChart::SetEqualRangeYOnly(const TrcLayerSet& Layers) { EqualRangeEx(Layers, false, true); }

// ================================================================ files

void TCustomRChart::SaveData(const std::string& FileName) {
  const std::string tmp = FileName + ".tmp~";
  {
    TFileStream f(tmp, fmCreate);
    try {
      std::vector<uint8_t> buf;
      const auto& items = List().Items;
      buf.resize(items.size() * rcItemRecordSize);
      for (size_t i = 0; i < items.size(); ++i) ChartItemToBytes(items[i], buf.data() + i * rcItemRecordSize);
      if (!buf.empty()) f.WriteBuffer(buf.data(), static_cast<int64_t>(buf.size()));
    } catch (...) {
      DeleteFile(tmp);
      throw;
    }
  }
  if (!RenameFile(tmp, FileName)) {
    DeleteFile(tmp);
    throw EFCreateError("Cannot create file \"" + FileName + "\".");
  }
}

bool TCustomRChart::LoadData(const std::string& FileName, bool Append) {
  std::vector<TrcChartItem> loaded;
  try {
    TFileStream f(FileName, fmOpenRead);
    const int64_t size = f.Size();
    if (size < 0 || size % rcItemRecordSize != 0) return false;
    const int64_t n = size / rcItemRecordSize;
    loaded.reserve(static_cast<size_t>(std::min<int64_t>(n, 1 << 20)));
    uint8_t rec[rcItemRecordSize];
    for (int64_t i = 0; i < n; ++i) {
      if (f.Read(rec, rcItemRecordSize) != rcItemRecordSize) return false;
      TrcChartItem it;
      if (!ChartItemFromBytes(rec, it)) return false;
      loaded.push_back(it);
    }
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const Exception&) {
    return false;
  }
  ItemList& l = List();
  if (!Append) {
    l.Items.clear();
    l.Counts.fill(0);
    FLastDrawn = 0;
  }
  l.Items.reserve(l.Items.size() + loaded.size());
  for (const auto& it : loaded) {
    l.Items.push_back(it);
    ++l.Counts[it.ItemKind];
  }
  ListChanged();
  ShowGraf();
  return true;
}

void TCustomRChart::SaveDataASC(const std::string& FileName) {
  std::string s;
  const auto& items = List().Items;
  static const char* const frames[] = {"", "", "rbLowered", "rbRaised", "rbEmbossed", "rbEngraved"};
  for (size_t i = 0; i < items.size(); ++i) {
    const TrcChartItem& it = items[i];
    auto line = [&](const std::string& t) { s += t + "\n"; };
    auto pt = [](double x, double y) { return "[" + F4(x) + "/" + F4(y) + "]"; };
    auto tf = [](uint8_t b) { return std::string(b ? "TRUE" : "FALSE"); };
    line("");
    line("------ item " + std::to_string(i) + " ------");
    line(" elemtype: " + ItemKindName(it.ItemKind));
    line(" startpnt: " + pt(it.x1, it.y1));
    line("    color: " + Hex8(it.Color));
    char ps[8];
    std::snprintf(ps, sizeof ps, "%02X", it.PenStyle);
    line(" penstyle: " + std::string(ps));
    line("linewidth: " + std::to_string(it.LineWidth));
    line(" classnum: " + std::to_string(it.ClassNum));
    switch (it.ItemKind) {
      case tkMarkAt: line(" marktype: " + std::to_string(it.MarkType)); break;
      case tkLine: line(" endpoint: " + pt(it.x2, it.y2)); break;
      case tkRect:
        line("   corner: " + pt(it.x2, it.y2));
        line("fillcolor: " + Hex8(it.FillColor));
        line("  transp.: " + tf(it.Transparent));
        break;
      case tkRectFrame:
        line("   corner: " + pt(it.x2, it.y2));
        line("fillcolor: " + Hex8(it.FillColor));
        if (it.FrameStyle >= fsLowered && it.FrameStyle <= fsEngraved)
          line("frametype: " + std::string(frames[it.FrameStyle]));
        line("shadowcol: " + Hex8(it.ColorShadow));
        line("hilitecol: " + Hex8(it.ColorHighlight));
        break;
      case tk3DBar:
        line(" endpoint: " + pt(it.x2, it.y2));
        line("fillcolor: " + Hex8(it.FillColor));
        line("    depth: " + std::to_string(it.Depth));
        line("    angle: " + std::to_string(it.Size));
        break;
      case tkText:
      case tkTextOfs:
        line("     text: '" + ItemText(it) + "'");
        line("     size: " + std::to_string(it.Size));
        line("    align: " + std::to_string(it.MarkType));
        if (it.ItemKind == tkTextOfs) {
          line(" offset x: '" + F0(it.x2) + "'");
          line(" offset y: '" + F0(it.y2) + "'");
        }
        break;
      case tkEllipse:
        line(" halfaxes: " + F4(it.x2) + " " + F4(it.y2));
        line("fillcolor: " + Hex8(it.FillColor));
        line("  transp.: " + tf(it.Transparent));
        break;
      case tkArrow:
        line("    arrow: " + pt(it.x2, it.y2));
        line("fillcolor: " + Hex8(it.FillColor));
        line("  transp.: " + tf(it.Transparent));
        line(" headsize: " + std::to_string(it.Size));
        break;
      case tkRectRelPix:
        line("    dx/dy: " + F0(it.x2) + "/" + F0(it.y2));
        line("fillcolor: " + Hex8(it.FillColor));
        line("  transp.: " + tf(it.Transparent));
        break;
      default: break;
    }
  }
  TFileStream f(FileName, fmCreate);
  if (!s.empty()) f.WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
}

// ================================================================ axes

double TCustomRChart::GetTickPosX(int n) const { return FScales[0]->GetTickPos(n); }
double TCustomRChart::GetTickPosY(int n) const { return FScales[1]->GetTickPos(n); }
int TCustomRChart::GetTickPosXCnt() const { return FScales[0]->NumTicks(); }
int TCustomRChart::GetTickPosYCnt() const { return FScales[1]->NumTicks(); }

void TCustomRChart::SetScaleProps(int axis) {
  const bool isX = axis % 2 == 0;
  const int L = axis / 2 + 1;
  const TScaleProps& p = isX ? static_cast<const TScaleProps&>(*FScaleX[L - 1])
                             : static_cast<const TScaleProps&>(*FScaleY[L - 1]);
  TScale& s = *FScales[static_cast<size_t>(axis)];
  const int sw = FShadowWidth;
  // The scale maps like the chart: low end at the left / bottom edge of the
  // plotting area, high end at the right / top edge.
  s.SetBounds(0, 0, Width(), Height());
  s.SetMarginLeft(FLRim);
  s.SetMarginRight(FRRim + sw - 1);
  s.SetMarginTop(FTRim);
  s.SetMarginBottom(FBRim + sw - 1);
  if (isX)
    s.SetScaleType(FScaleX[L - 1]->ScaleLocation() == slTop ? sctXB : sctXT);
  else
    s.SetScaleType(FScaleY[L - 1]->ScaleLocation() == slRight ? sctYL : sctYR);
  s.SetAxLinLog(false);
  s.SetRange(p.RangeLow(), p.RangeHigh());
  s.SetLabelType(p.LabelType());
  s.SetAxLinLog(p.Logarithmic());
  s.SetMinTicks(p.MinTicks());
  s.SetShortTicks(p.ShortTicks());
  s.SetDecPlaces(p.DecPlaces());
  s.SetDateFormat(p.DateFormat());
  s.SetUserTickText(p.UserTickText());
  s.SetScaleInscript(p.ScaleInscript());
  s.SetCaption(p.Caption());
  s.SetCaptionPosX(p.CaptionPosX());
  s.SetCaptionPosY(p.CaptionPosY());
  s.SetCaptionAlignment(p.CaptionAlignment());
  s.SetCaptionAnchor(p.CaptionAnchor());
  s.SetColorScale(p.ColorScale());
  s.Font().Assign(p.Font());
  s.AdjustScalePars();
}

void TCustomRChart::DrawAxes(TCanvas& c) {
  const int sw = FShadowWidth;
  const int right = Width() - FRRim - sw, bottom = Height() - FBRim - sw;
  for (int axis = 0; axis < 4; ++axis) {
    const bool isX = axis % 2 == 0;
    const int L = axis / 2 + 1;
    const TScaleProps& p = isX ? static_cast<const TScaleProps&>(*FScaleX[L - 1])
                               : static_cast<const TScaleProps&>(*FScaleY[L - 1]);
    SetScaleProps(axis);
    TScale& s = *FScales[static_cast<size_t>(axis)];
    int base;
    if (isX)
      base = FScaleX[L - 1]->ScaleLocation() == slTop ? FTRim - p.ScalePos() : bottom + p.ScalePos();
    else
      base = FScaleY[L - 1]->ScaleLocation() == slRight ? right + p.ScalePos() : FLRim - p.ScalePos();
    // An invisible axis still lays out its ticks (the grid uses them) on a surface that draws nothing.
    TCanvas none;
    TCanvas& target = p.Visible() ? c : none;
    target.Pen().SetStyle(psSolid);
    target.Pen().SetWidth(1);
    target.Pen().SetMode(pmCopy);
    if (isX) {
      s.DrawXScale(target, base);
      target.MoveTo(FLRim, base);
      target.LineTo(right + 1, base);
    } else {
      s.DrawYScale(target, base);
      target.MoveTo(base, FTRim);
      target.LineTo(base, bottom + 1);
    }
  }
}

// ================================================================ drawing

void TCustomRChart::ConstructChartBmp(TCanvas& c) {
  if (TBitmap* b = c.RasterBitmap(); b == FChartBmp.get()) b->SetSize(Width(), Height());
  const int W = Width(), H = Height(), sw = FShadowWidth;
  c.Pen().SetStyle(psSolid);
  c.Pen().SetMode(pmCopy);
  c.Pen().SetWidth(1);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FWindColor);
  c.FillRect(Rect(0, 0, W, H));
  if (sw > 0) {
    c.Brush().SetColor(FShadowBakColor);
    c.FillRect(Rect(W - sw, 0, W, H));
    c.FillRect(Rect(0, H - sw, W, H));
    const int f = FShadowStyle == ssFlying ? sw - 1 : 0;
    c.Brush().SetColor(FShadowColor);
    c.Pen().SetColor(FShadowStyle == ssFlying ? FShadowColor : clBlack);
    const TPoint bottomShadow[4] = {{f, H - sw}, {sw - 1, H - 1}, {W - 1, H - 1}, {W - sw, H - sw}};
    c.Polygon(bottomShadow, 4);
    const TPoint rightShadow[4] = {{W - sw, H - sw}, {W - 1, H - 1}, {W - 1, sw - 1}, {W - sw, f}};
    c.Polygon(rightShadow, 4);
    c.Pen().SetColor(clBlack);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(0, 0, W - sw + 1, H - sw + 1);
  }
  c.Pen().SetColor(FChartFrameColor);
  c.Brush().SetStyle(bsClear);
  c.Font().Assign(Font());
  if (c.IsPrinterCanvas()) SetCanvasFontSizeScaled(c, Font().Size());
  if (!FCaption.empty()) {
    const int ahx[5] = {0, FLRim, FLRim + (W - FLRim - FRRim - sw) / 2, W - FRRim - sw, W};
    const int avy[5] = {0, FTRim, FTRim + (H - FTRim - FBRim - sw) / 2, H - FBRim, H};
    int x = FCaptionPosX + ahx[FCaptionAnchorHoriz];
    const int y = FCaptionPosY + avy[FCaptionAnchorVert];
    const int tw = c.TextWidth(FCaption);
    if (FCaptionAlignment == taRightJustify) x -= tw;
    else if (FCaptionAlignment == taCenter) x -= tw / 2;
    c.TextOut(x, y, FCaption);
  }
  AdjustScaling();
  DrawAxes(c);
  Fire(OnScalesRendered, this, c, FTRim, FLRim);
}

void TCustomRChart::InitGraf(TCanvas& c, int X, int Y) {
  const int sw = FShadowWidth;
  const int extra = c.IsPrinterCanvas() ? 0 : 1;
  const int W = std::max(Width() - FLRim - FRRim - sw + extra, 0);
  const int H = std::max(Height() - FTRim - FBRim - sw + extra, 0);
  if (TBitmap* b = c.RasterBitmap(); b == FDataBmp.get()) b->SetSize(W, H);
  c.Pen().SetMode(pmCopy);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(FChartFrameColor);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FChartColor);
  c.Rectangle(X, Y, X + W, Y + H);
  const TRect area = Rect(X + 1, Y + 1, X + W - 1, Y + H - 1);
  if (!FBackGroundImg->Name().empty()) {
    TBitmap img;
    if (!img.LoadFromFile(FBackGroundImg->Name()) || img.Empty()) {
      // An image that cannot be loaded is dropped.
      TNotifyEvent h = std::move(FBackGroundImg->OnChange);
      FBackGroundImg->OnChange = nullptr;
      FBackGroundImg->SetName("");
      FBackGroundImg->OnChange = std::move(h);
      return;
    }
    const bool clip = c.HasClipRect();
    const TRect old = c.ClipRect();
    TRect cr = area;
    if (clip) IntersectRect(cr, area, old);
    c.SetClipRect(cr);
    switch (FBackGroundImg->FillMode()) {
      case bfSimple: c.Draw(area.Left, area.Top, img); break;
      case bfStretch: c.StretchDraw(area, img); break;
      case bfTile:
        for (int y = area.Top; y < area.Bottom; y += img.Height())
          for (int x = area.Left; x < area.Right; x += img.Width()) c.Draw(x, y, img);
        break;
    }
    if (clip) c.SetClipRect(old);
    else c.ResetClip();
    return;
  }
  const TBGAreaMode am = FBackGroundImg->AreaMode();
  if (am == bamNone) return;
  int lx, ty, rx, by;
  R2M(1, FBackGroundImg->AreaLeft(), FBackGroundImg->AreaTop(), lx, ty);
  R2M(1, FBackGroundImg->AreaRight(), FBackGroundImg->AreaBottom(), rx, by);
  lx += X - FLRim;
  rx += X - FLRim;
  ty += Y - FTRim;
  by += Y - FTRim;
  TRect r = area;
  switch (am) {
    case bamLeft: r.Right = lx; break;
    case bamRight: r.Left = rx; break;
    case bamTop: r.Bottom = ty; break;
    case bamBottom: r.Top = by; break;
    case bamVStripe: r.Left = std::min(lx, rx); r.Right = std::max(lx, rx); break;
    case bamHStripe: r.Top = std::min(ty, by); r.Bottom = std::max(ty, by); break;
    case bamRect:
      r = Rect(std::min(lx, rx), std::min(ty, by), std::max(lx, rx), std::max(ty, by));
      break;
    default: break;
  }
  TRect d;
  if (!IntersectRect(d, r, area)) return;
  c.Brush().SetColor(FBackGroundImg->AreaColor());
  c.FillRect(d);
}

void TCustomRChart::DrawGrid(TCanvas& c, int X, int Y, int W, int H) {
  const int L = FActiveLayer;
  auto positions = [&](bool isX) {
    std::vector<int> out;
    const TScaleProps& p = isX ? static_cast<const TScaleProps&>(*FScaleX[L - 1])
                               : static_cast<const TScaleProps&>(*FScaleY[L - 1]);
    const double d = isX ? FGridDx : FGridDy;
    const double lo = std::min(p.RangeLow(), p.RangeHigh()), hi = std::max(p.RangeLow(), p.RangeHigh());
    std::vector<double> vals;
    if (d > 0) {
      double v = std::round(lo / d) * d;
      for (int i = 0; i < 100000 && v <= hi && vals.size() < 1000; ++i, v = std::round(lo / d) * d + i * d)
        if (v >= lo) vals.push_back(v);
    } else if (d == 0 || !p.Logarithmic() || lo <= 0) {
      const TScale& sc = *FScales[static_cast<size_t>((L - 1) * 2 + (isX ? 0 : 1))];
      for (int i = 1; i <= sc.NumTicks(); ++i) vals.push_back(sc.GetTickPos(i));
    } else {
      const int e0 = static_cast<int>(std::floor(std::log10(lo))), e1 = static_cast<int>(std::ceil(std::log10(hi)));
      for (int e = e0; e <= e1 && vals.size() < 1000; ++e) {
        const double dec = std::pow(10.0, e);
        for (int m = 1; m <= 9; ++m) {
          if (d == -1 && m != 1) continue;
          if (d == -2 && m != 1 && m != 2 && m != 5) continue;
          const double v = m * dec;
          if (v >= lo && v <= hi && vals.size() < 1000) vals.push_back(v);
        }
      }
    }
    for (double v : vals) {
      int px, py;
      R2M(L, isX ? v : (FScaleX[L - 1]->Logarithmic() ? 1.0 : 0.0), isX ? (FScaleY[L - 1]->Logarithmic() ? 1.0 : 0.0) : v,
          px, py);
      out.push_back(isX ? px - FLRim + X : py - FTRim + Y);
    }
    if (out.size() > 1000) out.resize(1000);
    return out;
  };
  const std::vector<int> xs = positions(true), ys = positions(false);
  c.Pen().SetColor(FGridColor);
  c.Pen().SetWidth(1);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FChartColor);
  const bool dotted = FGridStyle == gsHorizDotLines || FGridStyle == gsVertDotLines || FGridStyle == gsDotLines;
  c.Pen().SetStyle(dotted ? psDot : psSolid);
  const bool vert = FGridStyle == gsVertLines || FGridStyle == gsLines || FGridStyle == gsVertDotLines ||
                    FGridStyle == gsDotLines;
  const bool horz = FGridStyle == gsHorizLines || FGridStyle == gsLines || FGridStyle == gsHorizDotLines ||
                    FGridStyle == gsDotLines;
  if (FGridStyle == gsPoints) {
    const TColor col = FGridColor;
    int n = 0;
    for (int x : xs)
      for (int y : ys)
        if (n++ < 1000) c.SetPixel(x, y, col);
  }
  if (vert)
    for (int x : xs) {
      c.MoveTo(x, Y);
      c.LineTo(x, Y + H);
    }
  if (horz)
    for (int y : ys) {
      c.MoveTo(X, y);
      c.LineTo(X + W, y);
    }
  c.Pen().SetStyle(psSolid);
}

void TCustomRChart::MapPoint(const LayerMap& m, int L, double x, double y, long& px, long& py) const {
  const auto& sx = *FScaleX[L - 1];
  const auto& sy = *FScaleY[L - 1];
  if (sx.Logarithmic())
    px = x <= kLogFloor ? (sx.RangeHigh() >= sx.RangeLow() ? 0 : Width())
                        : ClampPix(m.kx * std::log(static_cast<long double>(x)) + m.ox);
  else
    px = ClampPix(m.kx * x + m.ox);
  if (sy.Logarithmic())
    py = y <= kLogFloor ? (sy.RangeHigh() >= sy.RangeLow() ? Height() : 0)
                        : ClampPix(m.ky * std::log(static_cast<long double>(y)) + m.oy);
  else
    py = ClampPix(m.ky * y + m.oy);
}

namespace {
void FillBox(TCanvas& c, long x1, long y1, long x2, long y2, TColor pen) {
  if (x1 == x2 && y1 == y2) {
    c.SetPixel(static_cast<int>(x1), static_cast<int>(y1), pen);
    return;
  }
  c.Rectangle(static_cast<int>(std::min(x1, x2)), static_cast<int>(std::min(y1, y2)),
              static_cast<int>(std::max(x1, x2)) + 1, static_cast<int>(std::max(y1, y2)) + 1);
}
void HLine(TCanvas& c, int x1, int x2, int y) {
  c.MoveTo(x1, y);
  c.LineTo(x2 + 1, y);
}
void VLine(TCanvas& c, int x, int y1, int y2) {
  c.MoveTo(x, y1);
  c.LineTo(x, y2 + 1);
}
}  // namespace

void TCustomRChart::DrawItems(TCanvas& c, int X, int Y, bool BW, int FirstItem) {
  const auto& items = List().Items;
  const int n = static_cast<int>(items.size());
  const long dx0 = X - FLRim, dy0 = Y - FTRim;
  c.Pen().SetMode(pmCopy);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(items.empty() ? 1 : std::max(1, items.front().LineWidth));
  c.Pen().SetColor(FChartColor);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FChartColor);
  TPoint pen = FirstItem > 0 ? c.PenPos() : TPoint(X, Y);
  if (FirstItem > 0) pen = TPoint(static_cast<int>(FLastPenX + dx0), static_cast<int>(FLastPenY + dy0));
  std::vector<TPoint> poly;
  poly.reserve(kPolyChunk);
  TColor polyColor = 0;
  int polyWidth = 1;
  TPenStyle polyStyle = psSolid;
  auto flush = [&]() {
    if (poly.size() >= 2) c.Polyline(poly);
    poly.clear();
  };
  auto addPoint = [&](const TPoint& p) {
    if (poly.empty()) poly.push_back(pen);
    poly.push_back(p);
    pen = p;
    if (static_cast<int>(poly.size()) == kPolyChunk + 1) {
      c.Polyline(poly);
      poly.clear();
      poly.push_back(pen);
    }
  };
  auto setPen = [&](TColor col, int w, TPenStyle st) {
    c.Pen().SetColor(col);
    c.Pen().SetWidth(std::max(1, w));
    c.Pen().SetStyle(st);
  };
  for (int i = std::max(FirstItem, 0); i < n; ++i) {
    const TrcChartItem& it = items[static_cast<size_t>(i)];
    const int L = it.Layer == 2 ? 2 : 1;
    if (!FLayerVisib[L - 1] || !FClassVisib[it.ClassNum]) continue;
    const LayerMap& m = FMap[L - 1];
    const TColor col = BW ? clBlack : it.Color;
    const TColor fill = BW ? clSilver : it.FillColor;
    const TPenStyle ps = it.PenStyle <= psInsideFrame ? static_cast<TPenStyle>(it.PenStyle) : psSolid;
    const int lw = std::clamp(it.LineWidth, 1, 1000);
    long px, py;
    if (it.ItemKind == tkLineto) {
      if (!poly.empty() && (polyColor != col || polyWidth != lw || polyStyle != ps)) flush();
      if (poly.empty()) {
        polyColor = col;
        polyWidth = lw;
        polyStyle = ps;
        setPen(col, lw, ps);
      }
      if (FDecimateLines && lw == 1 && ps == psSolid) {
        // The run of tkLineto items of this layer with the same pen, reduced
        // per pixel column to the first, lowest, highest and last point.
        int j = i;
        long colX = 0;
        struct P { long y; int idx; };
        P first{0, 0}, lo{0, 0}, hi{0, 0}, last{0, 0};
        bool open = false;
        auto emit = [&]() {
          int idx[4] = {first.idx, lo.idx, hi.idx, last.idx};
          long ys[4] = {first.y, lo.y, hi.y, last.y};
          // In item order, each point once.
          for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
              if (idx[b] < idx[a]) {
                std::swap(idx[a], idx[b]);
                std::swap(ys[a], ys[b]);
              }
          for (int a = 0; a < 4; ++a) {
            if (a > 0 && idx[a] == idx[a - 1]) continue;
            addPoint(TPoint(static_cast<int>(colX + dx0), static_cast<int>(ys[a] + dy0)));
          }
        };
        for (; j < n; ++j) {
          const TrcChartItem& q = items[static_cast<size_t>(j)];
          if (q.ItemKind != tkLineto || q.Layer != it.Layer || !FClassVisib[q.ClassNum] ||
              (BW ? clBlack : q.Color) != col || q.LineWidth != it.LineWidth || q.PenStyle != it.PenStyle)
            break;
          long qx, qy;
          MapPoint(m, L, q.x1, q.y1, qx, qy);
          if (!open || qx != colX) {
            if (open) emit();
            open = true;
            colX = qx;
            first = lo = hi = last = P{qy, j};
          } else {
            if (qy < lo.y) lo = P{qy, j};
            if (qy > hi.y) hi = P{qy, j};
            last = P{qy, j};
          }
        }
        if (open) emit();
        i = j - 1;
        continue;
      }
      MapPoint(m, L, it.x1, it.y1, px, py);
      addPoint(TPoint(static_cast<int>(px + dx0), static_cast<int>(py + dy0)));
      continue;
    }
    flush();
    setPen(col, lw, ps);
    c.Brush().SetStyle(it.Transparent ? bsClear : bsSolid);
    c.Brush().SetColor(fill);
    auto map2 = [&](double x, double y, long& qx, long& qy) {
      MapPoint(m, L, x, y, qx, qy);
      qx += dx0;
      qy += dy0;
    };
    switch (it.ItemKind) {
      case tkMoveTo:
        map2(it.x1, it.y1, px, py);
        pen = TPoint(static_cast<int>(px), static_cast<int>(py));
        break;
      case tkMoveRelPix:
      case tkLineRelPix: {
        // pixel offsets from the file are clamped like mapped points (no overflow)
        const TPoint to(static_cast<int>(ClampPix(static_cast<long double>(pen.X) + it.x1)),
                        static_cast<int>(ClampPix(static_cast<long double>(pen.Y) + it.y1)));
        if (it.ItemKind == tkLineRelPix) {
          c.MoveTo(pen.X, pen.Y);
          c.LineTo(to.X, to.Y);
          c.SetPixel(to.X, to.Y, col);
        }
        pen = to;
        break;
      }
      case tkMarkAt: {
        map2(it.x1, it.y1, px, py);
        c.Font().SetColor(col);
        if (c.IsPrinterCanvas() && it.Size > 0) SetCanvasFontSizeScaled(c, it.Size);
        DrawMarkOnCanvas(c, it.MarkType, static_cast<int>(px), static_cast<int>(py));
        pen = TPoint(static_cast<int>(px), static_cast<int>(py));
        break;
      }
      case tkLine: {
        long qx, qy;
        map2(it.x1, it.y1, px, py);
        map2(it.x2, it.y2, qx, qy);
        if (px == qx && py == qy) {
          c.SetPixel(static_cast<int>(px), static_cast<int>(py), col);
        } else {
          c.MoveTo(static_cast<int>(px), static_cast<int>(py));
          c.LineTo(static_cast<int>(qx), static_cast<int>(qy));
        }
        pen = TPoint(static_cast<int>(qx), static_cast<int>(qy));
        break;
      }
      case tkRect: {
        long qx, qy;
        map2(it.x1, it.y1, px, py);
        map2(it.x2, it.y2, qx, qy);
        FillBox(c, px, py, qx, qy, col);
        break;
      }
      case tkEllipse: {
        long ax, ay, bx, by;
        map2(it.x1 - it.x2, it.y1 - it.y2, ax, ay);
        map2(it.x1 + it.x2, it.y1 + it.y2, bx, by);
        if (ax == bx && ay == by) {
          c.SetPixel(static_cast<int>(ax), static_cast<int>(ay), col);
        } else {
          c.Ellipse(static_cast<int>(std::min(ax, bx)), static_cast<int>(std::min(ay, by)),
                    static_cast<int>(std::max(ax, bx)) + 1, static_cast<int>(std::max(ay, by)) + 1);
        }
        break;
      }
      case tkRectRelPix: {
        map2(it.x1, it.y1, px, py);
        FillBox(c, px, py, ClampPix(static_cast<long double>(px) + it.x2),
                ClampPix(static_cast<long double>(py) + it.y2), col);
        break;
      }
      case tkRectFrame: {
        long qx, qy;
        map2(it.x1, it.y1, px, py);
        map2(it.x2, it.y2, qx, qy);
        const int l = static_cast<int>(std::min(px, qx)), r = static_cast<int>(std::max(px, qx));
        const int t = static_cast<int>(std::min(py, qy)), b = static_cast<int>(std::max(py, qy));
        c.Pen().SetColor(fill);
        c.Pen().SetWidth(1);
        c.Brush().SetStyle(bsSolid);
        c.Rectangle(l, t, r + 1, b + 1);
        const TColor shadow = BW ? clBlack : it.ColorShadow, hilite = BW ? clWhite : it.ColorHighlight;
        switch (it.FrameStyle) {
          case fsLowered:
          case fsRaised: {
            const TColor tl = it.FrameStyle == fsLowered ? shadow : hilite;
            const TColor br = it.FrameStyle == fsLowered ? hilite : shadow;
            c.Pen().SetColor(tl);
            HLine(c, l, r, t);
            VLine(c, l, t, b);
            c.Pen().SetColor(br);
            HLine(c, l, r, b);
            VLine(c, r, t, b);
            break;
          }
          case fsEmbossed:
          case fsEngraved: {
            // Two outlines inside the box: one shifted right/down, one left/up.
            const TColor a = it.FrameStyle == fsEmbossed ? shadow : hilite;
            const TColor z = it.FrameStyle == fsEmbossed ? hilite : shadow;
            c.Brush().SetStyle(bsClear);
            c.Pen().SetColor(a);
            DrawRectangle(c, l + 1, t + 1, r, b);
            c.Pen().SetColor(z);
            DrawRectangle(c, l, t, r - 1, b - 1);
            break;
          }
          default: break;
        }
        break;
      }
      case tk3DBar: {
        long qx, qy;
        map2(it.x1, it.y1, px, py);
        map2(it.x2, it.y2, qx, qy);
        int left = static_cast<int>(std::min(px, qx)), right = static_cast<int>(std::max(px, qx));
        const int top = static_cast<int>(std::min(py, qy)), bottom = static_cast<int>(std::max(py, qy));
        const int a = std::clamp(it.Size, 0, 180);
        const double rad = a * 3.14159265358979323846 / 180.0;
        const int dx = static_cast<int>(std::lround(std::cos(rad) * it.Depth));
        const int dy = -static_cast<int>(std::lround(std::sin(rad) * it.Depth));
        const int fl = left, fr = right;
        if (a > 90) std::swap(left, right);
        c.Brush().SetStyle(bsSolid);
        const TPoint topFace[4] = {{left, top}, {left + dx, top + dy}, {right + dx, top + dy}, {right, top}};
        c.Polygon(topFace, 4);
        const TPoint side[4] = {{right + dx, top + dy}, {right, top}, {right, bottom}, {right + dx, bottom + dy}};
        c.Polygon(side, 4);
        c.Rectangle(fl, top, fr + 1, bottom + 1);
        break;
      }
      case tkArrow: {
        long qx, qy;
        map2(it.x1, it.y1, px, py);
        map2(it.x2, it.y2, qx, qy);
        c.MoveTo(static_cast<int>(px), static_cast<int>(py));
        c.LineTo(static_cast<int>(qx), static_cast<int>(qy));
        c.SetPixel(static_cast<int>(qx), static_cast<int>(qy), col);
        if (it.Size >= 1 && (px != qx || py != qy)) {
          const double phi = std::atan2(static_cast<double>(qy - py), static_cast<double>(qx - px));
          const double h = it.Size, d = 0.3490658503988659;
          const TPoint tip(static_cast<int>(qx), static_cast<int>(qy));
          const TPoint a1(static_cast<int>(std::lround(qx - h * std::cos(phi + d))),
                          static_cast<int>(std::lround(qy - h * std::sin(phi + d))));
          const TPoint a2(static_cast<int>(std::lround(qx - h * std::cos(phi - d))),
                          static_cast<int>(std::lround(qy - h * std::sin(phi - d))));
          if (it.Transparent) {
            c.MoveTo(tip.X, tip.Y);
            c.LineTo(a1.X, a1.Y);
            c.MoveTo(tip.X, tip.Y);
            c.LineTo(a2.X, a2.Y);
          } else {
            const TPoint tri[3] = {tip, a1, a2};
            c.Polygon(tri, 3);
          }
        }
        pen = TPoint(static_cast<int>(qx), static_cast<int>(qy));
        break;
      }
      case tkText:
      case tkTextOfs: {
        map2(it.x1, it.y1, px, py);
        if (it.ItemKind == tkTextOfs) {
          px = ClampPix(static_cast<long double>(px) + it.x2);
          py = ClampPix(static_cast<long double>(py) + it.y2);
        }
        c.Font().Assign(Font());
        c.Font().SetColor(col);
        c.Font().SetStyle(FTextFontStyle);
        if (it.Size > 0) SetCanvasFontSizeScaled(c, it.Size);
        if (FTextBkStyle == tbSolid) {
          c.Brush().SetStyle(bsSolid);
          c.Brush().SetColor(FTextBkColor);
        } else {
          c.Brush().SetStyle(bsClear);
        }
        const std::string t = ItemText(it);
        const TSize ext = c.TextExtent(t);
        int x = static_cast<int>(px);
        if (it.MarkType == taRightJustify) x -= ext.cx;
        else if (it.MarkType == taCenter) x -= ext.cx / 2;
        c.SetTextAlign(TA_LEFT | TA_TOP);
        c.TextOut(x, static_cast<int>(py) - ext.cy / 2, t);
        break;
      }
      default: break;
    }
  }
  flush();
  FLastPenX = pen.X - dx0;
  FLastPenY = pen.Y - dy0;
  c.MoveTo(pen.X, pen.Y);
}

void TCustomRChart::DrawTextLabels(TCanvas& c, int X, int Y) {
  const long dx0 = X - FLRim, dy0 = Y - FTRim;
  for (auto& lp : FTextLabels) {
    TTextLabel& lb = *lp;
    if (!lb.Visible() || lb.Mode() == tlOff) continue;
    const int L = std::clamp(lb.Layer(), 1, 2);
    if (!FLayerVisib[L - 1]) continue;
    int ax = static_cast<int>(std::lround(lb.PosX())), ay = static_cast<int>(std::lround(lb.PosY()));
    int mx, my;
    R2M(L, lb.PosX(), lb.PosY(), mx, my);
    switch (lb.AttachMode()) {
      case tlamXOnly: ax = mx; break;
      case tlamYOnly: ay = my; break;
      case tlamBoth: ax = mx; ay = my; break;
      default: break;
    }
    ax += static_cast<int>(dx0);
    ay += static_cast<int>(dy0);
    c.Font().Assign(lb.Font());
    if (c.IsPrinterCanvas()) SetCanvasFontSizeScaled(c, lb.Font().Size());
    std::vector<std::string> lines;
    size_t s = 0;
    const std::string& cap = lb.Caption();
    for (;;) {
      const size_t p = cap.find('\n', s);
      lines.push_back(cap.substr(s, p == std::string::npos ? std::string::npos : p - s));
      if (p == std::string::npos) break;
      s = p + 1;
    }
    const int lh = c.TextHeight("Ag");
    int bw = 0;
    for (const auto& l : lines) bw = std::max(bw, c.TextWidth(l));
    const int bh = lh * static_cast<int>(lines.size());
    int left = lb.Alignment() == taLeftJustify ? ax : lb.Alignment() == taRightJustify ? ax - bw : ax - bw / 2;
    int top = lb.VertAlignment() == vaTop ? ay : lb.VertAlignment() == vaCenter ? ay - bh / 2 : ay - bh;
    TRect box = Rect(left - 4, top - 2, left + bw + 4, top + bh + 2);
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);
    c.Pen().SetMode(pmCopy);
    switch (lb.Mode()) {
      case tlsimple:
      case tlUnderline:
        if (!lb.Transparent()) {
          c.Brush().SetStyle(bsSolid);
          c.Brush().SetColor(lb.ColorBkg());
          c.FillRect(box);
        }
        if (lb.Mode() == tlUnderline) {
          c.Pen().SetColor(lb.ColorBrd());
          c.MoveTo(box.Left, box.Bottom - 1);
          c.LineTo(box.Right, box.Bottom - 1);
        }
        break;
      case tlShadow: {
        TRect sh = box;
        OffsetRect(sh, lb.ShadowDx(), lb.ShadowDy());
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(lb.ColorShadow());
        c.FillRect(sh);
        [[fallthrough]];
      }
      case tlBox:
        c.Pen().SetColor(lb.ColorBrd());
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(lb.ColorBkg());
        c.Rectangle(box);
        break;
      default: break;
    }
    c.Brush().SetStyle(bsClear);
    for (size_t i = 0; i < lines.size(); ++i) {
      const int w = c.TextWidth(lines[i]);
      const int x = lb.Alignment() == taLeftJustify ? left : lb.Alignment() == taRightJustify ? left + bw - w
                                                                                             : left + (bw - w) / 2;
      c.TextOut(x, top + static_cast<int>(i) * lh, lines[i]);
    }
  }
}

void TCustomRChart::ConstructDataBmp(TCanvas& c, int X, int Y, bool BlackAndWhite, int FirstItem) {
  Fire(OnBeforeRenderData, this, c, Y, X);
  const int sw = FShadowWidth;
  const int W = Width() - FLRim - FRRim - sw, H = Height() - FTRim - FBRim - sw;
  if (FirstItem <= 0 && FGridStyle != gsNone && W > 0 && H > 0) DrawGrid(c, X, Y, W, H);
  DrawItems(c, X, Y, BlackAndWhite, FirstItem);
  DrawTextLabels(c, X, Y);
  Fire(OnDataRendered, this, c, Y, X);
}

void TCustomRChart::DrawCrossHairs(TCanvas& c, int X, int Y) {
  const int sw = FShadowWidth;
  const TPen saved = [&] {
    TPen p;
    p.Assign(c.Pen());
    return p;
  }();
  for (int n = 0; n < 4; ++n) {
    const TCrossHair& ch = *FCrossHair[n];
    if (ch.Mode() == chOff) continue;
    int x, y;
    R2M(ch.Layer(), ch.PosX(), ch.PosY(), x, y);
    c.Pen().SetColor(ch.Color());
    c.Pen().SetWidth(ch.LineWid());
    c.Pen().SetStyle(ch.LineType());
    c.Pen().SetMode(pmCopy);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(FChartColor);
    const int w = ch.LineWid() / 2;
    const int right = Width() - FRRim - sw, bottom = Height() - FBRim - sw;
    if ((ch.Mode() == chHoriz || ch.Mode() == chBoth) && y > FTRim + w && y < bottom - w) {
      c.MoveTo(X + FLRim + w + 1, Y + y);
      c.LineTo(X + right - w, Y + y);
    }
    if ((ch.Mode() == chVert || ch.Mode() == chBoth) && x > FLRim + w && x < right - w) {
      c.MoveTo(X + x, Y + FTRim + w + 1);
      c.LineTo(X + x, Y + bottom - w);
    }
    if (ch.Mode() == chBox) {
      c.MoveTo(X + x - 10, Y + y);
      c.LineTo(X + x + 11, Y + y);
      c.MoveTo(X + x, Y + y - 10);
      c.LineTo(X + x, Y + y + 11);
      c.Rectangle(X + x - 2, Y + y - 2, X + x + 3, Y + y + 3);
    }
  }
  c.Pen().Assign(saved);
}

void TCustomRChart::DrawFinish(int X, int Y, TCanvas& Canvas, const TBitmap& Bitmap) {
  Canvas.SetCopyMode(cmSrcCopy);
  Canvas.Draw(X, Y, Bitmap);
  DrawCrossHairs(Canvas, X, Y);
  FXorShown = false;
  if (FWindowOpen || FMouseBoxState == msRectDraw) DrawXorWindow();
}

void TCustomRChart::RenderTo(TCanvas& c, bool BlackAndWhite) {
  ConstructChartBmp(c);
  const bool hadClip = c.HasClipRect();
  const TRect oldClip = c.ClipRect();
  const TRect pr = PlotRect();
  TRect clip = pr;
  if (hadClip) IntersectRect(clip, pr, oldClip);
  c.SetClipRect(clip);
  InitGraf(c, FLRim, FTRim);
  ConstructDataBmp(c, FLRim, FTRim, BlackAndWhite, 0);
  if (hadClip) c.SetClipRect(oldClip);
  else c.ResetClip();
  DrawCrossHairs(c, 0, 0);
}

void TCustomRChart::RenderTo(TCanvas& c, int X, int Y, bool BlackAndWhite) {
  if (X == 0 && Y == 0) {
    RenderTo(c, BlackAndWhite);
    return;
  }
  // Recorded, then replayed at the offset: vector surfaces keep lines and text.
  TMetafile mf;
  CopyToMetafile(mf, BlackAndWhite);
  mf.Play(c, X, Y);
}

void TCustomRChart::BuildPicture() {
  ConstructChartBmp(FChartBmp->Canvas());
  InitGraf(FDataBmp->Canvas(), 0, 0);
  ConstructDataBmp(FDataBmp->Canvas(), 0, 0, false, 0);
  FChartBmp->Canvas().SetCopyMode(cmSrcCopy);
  FChartBmp->Canvas().Draw(FLRim, FTRim, *FDataBmp);
  FLastDrawn = NumItems();
}

void TCustomRChart::Paint() {
  if (FSuppressPaint || FSuppressDepth > 0 || IsLoading()) {
    if (FChartBmp->Width() > 0) DrawFinish(0, 0, Canvas(), *FChartBmp);
    return;
  }
  BuildPicture();
  FPainted = true;
  DrawFinish(0, 0, Canvas(), *FChartBmp);
  Fire(OnPaint, this);
}

void TCustomRChart::Resize() {
  AdjustScaling();
  if (FIsometric) {
    // Equal units need the y ranges fitted to the new plotting area.
    ++FSuppressDepth;
    try {
      for (int L = 1; L <= 2; ++L)
        SetRange(L, FScaleX[L - 1]->RangeLow(), FScaleY[L - 1]->RangeLow(), FScaleX[L - 1]->RangeHigh(),
                 FScaleY[L - 1]->RangeHigh());
    } catch (...) {
      --FSuppressDepth;
      throw;
    }
    --FSuppressDepth;
  }
  TCustomControl::Resize();
}

void TCustomRChart::Repaint2() {
  if (FSuppressPaint || FSuppressDepth > 0) return;
  Invalidate();
  if (Showing()) Update();
}

void TCustomRChart::ShowGraf() {
  if (FPainted && Showing() && !FSuppressPaint && FSuppressDepth == 0) {
    InitGraf(FDataBmp->Canvas(), 0, 0);
    ConstructDataBmp(FDataBmp->Canvas(), 0, 0, false, 0);
    FChartBmp->Canvas().SetCopyMode(cmSrcCopy);
    FChartBmp->Canvas().Draw(FLRim, FTRim, *FDataBmp);
    FLastDrawn = NumItems();
    DrawFinish(0, 0, Canvas(), *FChartBmp);
  } else {
    Repaint2();
  }
  TCustomRChart* owner = FDataOwner ? FDataOwner : this;
  std::vector<TCustomRChart*> others = owner->FUsers;
  if (owner != this) others.push_back(owner);
  for (TCustomRChart* u : others)
    if (u != this) u->Repaint2();
}

void TCustomRChart::ShowGrafNewOnly() {
  if (!FPainted || FDataBmp->Width() == 0) {
    ShowGraf();
    return;
  }
  const int n = NumItems();
  if (FLastDrawn >= n) return;
  ConstructDataBmp(FDataBmp->Canvas(), 0, 0, false, FLastDrawn);
  FLastDrawn = n;
  FChartBmp->Canvas().SetCopyMode(cmSrcCopy);
  FChartBmp->Canvas().Draw(FLRim, FTRim, *FDataBmp);
  DrawFinish(0, 0, Canvas(), *FChartBmp);
}

// ================================================================ crosshairs and labels

TCrossHair& TCustomRChart::CrossHair(int n) { return *FCrossHair[static_cast<size_t>(std::clamp(n, 1, 4) - 1)]; }

void TCustomRChart::CrossHairSetup(int n, TColor Color, TCrossHMode Mode, TPenStyle Style, int Width) {
  if (n < 1 || n > 4) return;
  TCrossHair& ch = CrossHair(n);
  TNotifyEvent h = std::move(ch.OnChange);
  ch.OnChange = nullptr;
  ch.SetColor(Color);
  ch.SetMode(Mode);
  ch.SetLineType(Style);
  ch.SetLineWid(Width);
  ch.OnChange = std::move(h);
  Repaint2();
}

void TCustomRChart::CrossHairSetPos(int n, double x, double y) {
  if (n < 1 || n > 4) return;
  TCrossHair& ch = CrossHair(n);
  TNotifyEvent h = std::move(ch.OnChange);
  ch.OnChange = nullptr;
  ch.SetPosX(x);
  ch.SetPosY(y);
  ch.OnChange = std::move(h);
  if (FPainted && Showing()) DrawFinish(0, 0, Canvas(), *FChartBmp);
  else Repaint2();
}

double TCustomRChart::GetCHPosX(int n) { return CrossHair(n).PosX(); }
double TCustomRChart::GetCHPosY(int n) { return CrossHair(n).PosY(); }
void TCustomRChart::SetCHPosX(int n, double v) { CrossHairSetPos(n, v, CrossHair(n).PosY()); }
void TCustomRChart::SetCHPosY(int n, double v) { CrossHairSetPos(n, CrossHair(n).PosX(), v); }

TTextLabel& TCustomRChart::GetFTextLabel(int n) {
  return *FTextLabels[static_cast<size_t>(std::clamp(n, 1, 30) - 1)];
}
void TCustomRChart::SetFTextLabel(int n, const TTextLabel& v) {
  if (n < 1 || n > 30) return;
  GetFTextLabel(n).Assign(v);
}

void TCustomRChart::SetTextLabel(int n, double x, double y, TColor Color, const std::string& Txt, int Layer) {
  if (n < 1 || n > 30) return;
  TTextLabel& lb = GetFTextLabel(n);
  TNotifyEvent h = std::move(lb.OnChange);
  lb.OnChange = nullptr;
  lb.SetTxtLblPosX(x);
  lb.SetTxtLblPosY(y);
  TFont f;
  f.Assign(lb.Font());
  f.SetColor(Color);
  lb.SetTxtLblFont(f);
  lb.SetTxtLblCaption(Txt);
  lb.SetTxtLblLayer(Layer);
  if (lb.Mode() == tlOff) lb.SetTxtLblMode(tlsimple);
  lb.SetTxtLblVisible(true);
  lb.OnChange = std::move(h);
  Repaint2();
}

int TCustomRChart::AddTextLabel(double x, double y, TColor Color, const std::string& Txt, int Layer) {
  for (int n = 1; n <= 30; ++n)
    if (!GetFTextLabel(n).Visible()) {
      SetTextLabel(n, x, y, Color, Txt, Layer);
      return n;
    }
  return 0;
}

void TCustomRChart::HideAllTextLabels() {
  for (auto& l : FTextLabels) {
    TNotifyEvent h = std::move(l->OnChange);
    l->OnChange = nullptr;
    l->SetTxtLblVisible(false);
    l->OnChange = std::move(h);
  }
  Repaint2();
}

void TCustomRChart::ClearAllTextLabels() {
  for (auto& l : FTextLabels) {
    auto fresh = std::make_unique<TTextLabel>();
    fresh->SetTxtLblFont(Font());
    fresh->OnChange = [this](TObject*) { Repaint2(); };
    l = std::move(fresh);
  }
  Repaint2();
}

// ================================================================ data sharing

void TCustomRChart::ShowInfo(const std::string& Msg) { MessageDlg(Msg, mtInformation, {mbOK}, 0); }

void TCustomRChart::SetUseDataOf(TCustomRChart* Other) {
  if (Other == FDataOwner) return;
  if (Other == nullptr) {
    auto& u = FDataOwner->FUsers;
    u.erase(std::remove(u.begin(), u.end(), this), u.end());
    FDataOwner = nullptr;
    FLastDrawn = 0;
    ShowGraf();
    return;
  }
  if (Other == this) {
    ShowInfo("RChart: Cannot share data with myself");
    return;
  }
  if (!FUsers.empty()) {
    ShowInfo("RChart: Cannot use foreign data. Other RCharts are using my own data.");
    return;
  }
  if (Other->FDataOwner) Other = Other->FDataOwner;
  if (Other == FDataOwner) return;
  if (Other->FUsers.size() >= 4) {
    ShowInfo("RChart: Max. number of data shares exceeded");
    return;
  }
  if (FDataOwner) {
    auto& u = FDataOwner->FUsers;
    u.erase(std::remove(u.begin(), u.end(), this), u.end());
  }
  FDataOwner = Other;
  Other->FUsers.push_back(this);
  FLastDrawn = 0;
  ShowGraf();
}

// ================================================================ export

void TCustomRChart::CopyToBitmap(TBitmap& Bitmap, bool BlackAndWhite) {
  Bitmap.SetSize(Width(), Height());
  Bitmap.SetPixelFormat(pf24bit);
  RenderTo(Bitmap.Canvas(), BlackAndWhite);
}

void TCustomRChart::CopyToBMP(const std::string& FileName, bool BlackAndWhite) {
  TBitmap b;
  CopyToBitmap(b, BlackAndWhite);
  b.SaveToFile(FileName);
}

void TCustomRChart::CopyToMetafile(TMetafile& Metafile, bool BlackAndWhite) {
  Metafile.Clear();
  Metafile.SetSize(Width(), Height());
  TMetafileCanvas mc(Metafile);
  RenderTo(mc, BlackAndWhite);
}

void TCustomRChart::CopyToWMF(const std::string& FileName, bool BlackAndWhite) {
  TMetafile mf;
  CopyToMetafile(mf, BlackAndWhite);
  mf.SaveToFile(FileName);
}
void TCustomRChart::CopyToSVG(const std::string& FileName, bool BlackAndWhite) {
  TMetafile mf;
  CopyToMetafile(mf, BlackAndWhite);
  TFileStream f(FileName, fmCreate);
  mf.SaveToStream(f);
}
void TCustomRChart::CopyToPDF(const std::string& FileName, bool BlackAndWhite) {
  TMetafile mf;
  CopyToMetafile(mf, BlackAndWhite);
  mf.SaveToPDFFile(FileName);
}

void TCustomRChart::CopyToClipboard(bool BlackAndWhite) {
  TBitmap b;
  CopyToBitmap(b, BlackAndWhite);
  TMetafile mf;
  CopyToMetafile(mf, BlackAndWhite);
  Clipboard().Open();
  Clipboard().Assign(b);
  Clipboard().Assign(mf);
  Clipboard().Close();
}
void TCustomRChart::CopyToClipboardWMF(bool BlackAndWhite) {
  TMetafile mf;
  CopyToMetafile(mf, BlackAndWhite);
  Clipboard().Assign(mf);
}

void TCustomRChart::CopyToOpenPrinter(int& X, int& Y, double Scale, bool BlackAndWhite) {
  TPrinter& pr = Printer();
  if (!pr.Printing()) throw EZOLRChartError(ComponentMsg("printer is not open"));
  if (!(Scale > 0)) Scale = 1;
  TMetafile mf;
  CopyToMetafile(mf, BlackAndWhite);
  // The chart's screen size, converted to the printer's resolution and scaled.
  const double f = Scale * pr.PixelsPerInch() / 96.0;
  const int w = static_cast<int>(std::lround(Width() * f)), h = static_cast<int>(std::lround(Height() * f));
  pr.Canvas().StretchDraw(Rect(X, Y, X + w, Y + h), mf);
  X += w;
  Y += h;
}

void TCustomRChart::PrintIt(double Scale, bool BlackAndWhite) {
  TPrinter& pr = Printer();
  pr.BeginDoc();
  try {
    if (!(Scale > 0)) Scale = 1;
    const double f = Scale * pr.PixelsPerInch() / 96.0;
    int x = std::max(0, static_cast<int>((pr.PageWidth() - std::lround(Width() * f)) / 2));
    int y = pr.PixelsPerInch() / 2;
    CopyToOpenPrinter(x, y, Scale, BlackAndWhite);
  } catch (...) {
    pr.Abort();
    throw;
  }
  pr.EndDoc();
}

// ================================================================ mouse

void TCustomRChart::SetMouseAction(TMouseActMode v) {
  if (v == FMouseAction) return;
  if (FWindowOpen) {
    DrawXorWindow();
    FWindowOpen = false;
  }
  FDragging = false;
  FMouseAction = v;
}

bool TCustomRChart::GetMAffLayer(int L) const { return L >= 1 && L <= 16 && FMAffLayer[L - 1]; }
void TCustomRChart::SetMAffLayer(int L, bool on) {
  if (L >= 1 && L <= 16) FMAffLayer[L - 1] = on;
}

bool TCustomRChart::InPlot(int X, int Y) const {
  return X >= FLRim && X <= Width() - FRRim - FShadowWidth && Y >= FTRim && Y <= Height() - FBRim - FShadowWidth;
}
void TCustomRChart::ClampToPlot(int& X, int& Y) const {
  X = std::clamp(X, FLRim, std::max(FLRim, Width() - FRRim - FShadowWidth));
  Y = std::clamp(Y, FTRim, std::max(FTRim, Height() - FBRim - FShadowWidth));
}

// The outline of the window being drawn, by exclusive-or: drawn twice it is gone.
void TCustomRChart::DrawXorWindow() {
  TCanvas& c = Canvas();
  c.Pen().SetMode(pmXor);
  c.Pen().SetColor(clWhite);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Brush().SetStyle(bsClear);
  const int l = std::min(FCorner1.X, FCorner2.X), r = std::max(FCorner1.X, FCorner2.X);
  const int t = std::min(FCorner1.Y, FCorner2.Y), b = std::max(FCorner1.Y, FCorner2.Y);
  if (r > l && b > t) c.Rectangle(l, t, r + 1, b + 1);
  c.Pen().SetMode(pmCopy);
  c.Brush().SetStyle(bsSolid);
  FXorShown = !FXorShown;
}

void TCustomRChart::UpdateCursor(int X, int Y) {
  if (FMouseCursorFixed) return;
  TCursor cur = crDefault;
  if (InPlot(X, Y)) {
    switch (FMouseAction) {
      case maNone: cur = crCross; break;
      case maPan:
      case maPanHoriz:
      case maPanVert: cur = crRChartHand; break;
      case maZoomWind: cur = crRChartZoomW; break;
      case maZoomWindPos: cur = crRChartZoomP; break;
      case maZoomDrag: cur = crRChartZoomD; break;
      default: cur = crDefault; break;
    }
  }
  if (cur != Cursor()) SetCursor(cur);
}

void TCustomRChart::StartDrag(int X, int Y) {
  FDragging = true;
  FDragX = X;
  FDragY = Y;
  for (int L = 0; L < 2; ++L) {
    FDragRange[L][0] = FScaleX[L]->RangeLow();
    FDragRange[L][1] = FScaleX[L]->RangeHigh();
    FDragRange[L][2] = FScaleY[L]->RangeLow();
    FDragRange[L][3] = FScaleY[L]->RangeHigh();
  }
  if (FMouseAction == maDragCrossH) {
    // The crosshair nearest to the mouse along the direction its line moves in.
    long best = std::numeric_limits<long>::max();
    FDragIndex = 1;
    for (int n = 1; n <= 4; ++n) {
      const TCrossHair& ch = CrossHair(n);
      int px, py;
      R2M(ch.Layer(), ch.PosX(), ch.PosY(), px, py);
      if (ch.Mode() == chVert || ch.Mode() == chBoth) {
        const long d = static_cast<long>(px - X) * (px - X);
        if (d < best) {
          best = d;
          FDragIndex = n;
        }
      }
      if (ch.Mode() == chHoriz || ch.Mode() == chBoth) {
        const long d = static_cast<long>(py - Y) * (py - Y);
        if (d < best) {
          best = d;
          FDragIndex = n;
        }
      }
    }
  } else if (FMouseAction == maDragLabel) {
    long best = std::numeric_limits<long>::max();
    FDragIndex = 1;
    for (int n = 1; n <= 30; ++n) {
      const TTextLabel& lb = GetFTextLabel(n);
      if (lb.Mode() == tlOff || !lb.Visible()) continue;
      int mx, my;
      R2M(lb.Layer(), lb.PosX(), lb.PosY(), mx, my);
      int ax = static_cast<int>(std::lround(lb.PosX())), ay = static_cast<int>(std::lround(lb.PosY()));
      if (lb.AttachMode() == tlamXOnly || lb.AttachMode() == tlamBoth) ax = mx;
      if (lb.AttachMode() == tlamYOnly || lb.AttachMode() == tlamBoth) ay = my;
      const long d = static_cast<long>(ax - X) * (ax - X) + static_cast<long>(ay - Y) * (ay - Y);
      if (d < best) {
        best = d;
        FDragIndex = n;
      }
    }
  }
}

void TCustomRChart::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Shift & ssDouble) {
    // The release of a double click is not taken as the end of a drag.
    FIgnoreNext = true;
    return;
  }
  if (FIgnoreNext) {
    FIgnoreNext = false;
    return;
  }
  if (FMouseBoxState == msFirstCorner) {
    if (Button == mbRight) {
      FMouseBoxState = msNormal;
    } else if (Button == mbLeft) {
      ClampToPlot(X, Y);
      FCorner1 = FCorner2 = TPoint(X, Y);
      FMouseBoxState = msRectDraw;
      FXorShown = false;
    }
    return;
  }
  if (Button != mbLeft || !InPlot(X, Y)) return;
  switch (FMouseAction) {
    case maRubberBand:
    case maZoomWind:
    case maZoomWindPos:
      FWindowOpen = true;
      FCorner1 = FCorner2 = TPoint(X, Y);
      FXorShown = false;
      break;
    case maPan:
    case maPanHoriz:
    case maPanVert:
    case maZoomDrag:
    case maDragCrossH:
    case maDragLabel: StartDrag(X, Y); break;
    default: break;
  }
}

void TCustomRChart::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  const bool left = (Shift & ssLeft) != 0;
  if (FMouseBoxState == msRectDraw) {
    if (FXorShown) DrawXorWindow();
    ClampToPlot(X, Y);
    FCorner2 = TPoint(X, Y);
    DrawXorWindow();
  } else if (FWindowOpen) {
    if (FXorShown) DrawXorWindow();
    int cx = X, cy = Y;
    ClampToPlot(cx, cy);
    if (FIsometric) {
      const int w = std::abs(cx - FCorner1.X);
      cy = FCorner1.Y + (cy >= FCorner1.Y ? w : -w);
      int dummy = cx;
      ClampToPlot(dummy, cy);
    }
    FCorner2 = TPoint(cx, cy);
    DrawXorWindow();
  } else if (FDragging && left) {
    const int sw = FShadowWidth;
    const double W = std::max(1, Width() - FLRim - FRRim - sw), H = std::max(1, Height() - FTRim - FBRim - sw);
    const int ddx = X - FDragX, ddy = Y - FDragY;
    switch (FMouseAction) {
      case maPan:
      case maPanHoriz:
      case maPanVert: {
        if (!InPlot(X, Y)) break;
        ++FSuppressDepth;
        try {
          for (int L = 1; L <= 2; ++L) {
            if (!FMAffLayer[L - 1]) continue;
            double xl = FDragRange[L - 1][0], xh = FDragRange[L - 1][1];
            double yl = FDragRange[L - 1][2], yh = FDragRange[L - 1][3];
            if (FMouseAction != maPanVert) {
              if (FScaleX[L - 1]->Logarithmic()) {
                const double f = std::exp(std::log(xh / xl) * (-ddx) / W);
                xl *= f;
                xh *= f;
              } else {
                const double s = -ddx * (xh - xl) / W;
                xl += s;
                xh += s;
              }
            }
            if (FMouseAction != maPanHoriz) {
              if (FScaleY[L - 1]->Logarithmic()) {
                const double f = std::exp(std::log(yh / yl) * ddy / H);
                yl *= f;
                yh *= f;
              } else {
                const double s = ddy * (yh - yl) / H;
                yl += s;
                yh += s;
              }
            }
            ForceRangeEx(L, xl, yl, xh, yh, true, false);
          }
        } catch (...) {
          --FSuppressDepth;
          throw;
        }
        --FSuppressDepth;
        Repaint2();
        DoZoomPanEvent();
        break;
      }
      case maZoomDrag: {
        const double fx = std::max(1e-3, 1.0 - ddx / static_cast<double>(Width()));
        const double fy = FIsometric ? fx : std::max(1e-3, 1.0 + ddy / static_cast<double>(Height()));
        ++FSuppressDepth;
        try {
          for (int L = 1; L <= 2; ++L) {
            if (!FMAffLayer[L - 1]) continue;
            auto scaled = [](double lo, double hi, double f, bool log, double& a, double& b) {
              if (log && lo > 0 && hi > 0) {
                const double c = std::sqrt(lo * hi), r = std::pow(hi / lo, f / 2);
                a = c / r;
                b = c * r;
              } else {
                const double c = (lo + hi) / 2, h = (hi - lo) * f / 2;
                a = c - h;
                b = c + h;
              }
            };
            double xl, xh, yl, yh;
            scaled(FDragRange[L - 1][0], FDragRange[L - 1][1], fx, FScaleX[L - 1]->Logarithmic(), xl, xh);
            scaled(FDragRange[L - 1][2], FDragRange[L - 1][3], fy, FScaleY[L - 1]->Logarithmic(), yl, yh);
            ForceRangeEx(L, xl, yl, xh, yh, true, false);
          }
        } catch (...) {
          --FSuppressDepth;
          throw;
        }
        --FSuppressDepth;
        Repaint2();
        DoZoomPanEvent();
        break;
      }
      case maDragCrossH: {
        TCrossHair& ch = CrossHair(FDragIndex);
        double x, y;
        M2R(ch.Layer(), X, Y, x, y);
        TNotifyEvent h = std::move(ch.OnChange);
        ch.OnChange = nullptr;
        ch.SetPosX(x);
        ch.SetPosY(y);
        ch.OnChange = std::move(h);
        if (FPainted) DrawFinish(0, 0, Canvas(), *FChartBmp);
        DoCrossHMoveEvent(FDragIndex);
        break;
      }
      case maDragLabel: {
        TTextLabel& lb = GetFTextLabel(FDragIndex);
        double x, y;
        M2R(lb.Layer(), X, Y, x, y);
        TNotifyEvent h = std::move(lb.OnChange);
        lb.OnChange = nullptr;
        const TTxtLblAttachMode am = lb.AttachMode();
        lb.SetTxtLblPosX(am == tlamXOnly || am == tlamBoth ? x : X);
        lb.SetTxtLblPosY(am == tlamYOnly || am == tlamBoth ? y : Y);
        lb.OnChange = std::move(h);
        ShowGraf();
        DoTxtLblMoveEvent(FDragIndex);
        break;
      }
      default: break;
    }
  }
  const bool in = InPlot(X, Y);
  if (in) M2R(FActiveLayer, X, Y, FMousePosX, FMousePosY);
  UpdateCursor(X, Y);
  Fire(OnMouseMoveInChart, this, in, Shift, FMousePosX, FMousePosY);
}

void TCustomRChart::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (FIgnoreNext) {
    FIgnoreNext = false;
    return;
  }
  if (FMouseBoxState == msRectDraw) {
    if (FXorShown) DrawXorWindow();
    if (Button == mbRight) {
      FMouseBoxState = msNormal;
    } else {
      ClampToPlot(X, Y);
      FCorner2 = TPoint(X, Y);
      FMouseBoxState = msFinished;
    }
    return;
  }
  if (FWindowOpen) {
    if (FXorShown) DrawXorWindow();
    FWindowOpen = false;
    if (Button == mbRight || FCorner1.X == FCorner2.X || FCorner1.Y == FCorner2.Y) return;
    ++FSuppressDepth;
    try {
      for (int L = 1; L <= 2; ++L) {
        if (!FMAffLayer[L - 1]) continue;
        double ax, ay, bx, by;
        M2R(L, FCorner1.X, FCorner1.Y, ax, ay);
        M2R(L, FCorner2.X, FCorner2.Y, bx, by);
        double xl, xh, yl, yh;
        if (FMouseAction == maZoomWind) {
          // In the order drawn: the drag direction decides each axis' direction.
          xl = ax;
          xh = bx;
          yh = ay;
          yl = by;
        } else {
          const bool upX = FScaleX[L - 1]->RangeHigh() >= FScaleX[L - 1]->RangeLow();
          const bool upY = FScaleY[L - 1]->RangeHigh() >= FScaleY[L - 1]->RangeLow();
          xl = upX ? std::min(ax, bx) : std::max(ax, bx);
          xh = upX ? std::max(ax, bx) : std::min(ax, bx);
          yl = upY ? std::min(ay, by) : std::max(ay, by);
          yh = upY ? std::max(ay, by) : std::min(ay, by);
        }
        if (FIsometric) {
          const int sw = FShadowWidth;
          const double W = Width() - FLRim - FRRim - sw, H = Height() - FTRim - FBRim - sw;
          if (W > 0) {
            const double mid = (yl + yh) / 2, ext = std::fabs(xh - xl) * H / W;
            const double s = yh >= yl ? 1.0 : -1.0;
            yl = mid - s * ext / 2;
            yh = mid + s * ext / 2;
          }
        }
        if (FMouseAction == maRubberBand)
          DoRubberbandEvent(L, xl, yl, xh, yh);
        else
          ForceRangeEx(L, xl, yl, xh, yh, true, true);
      }
    } catch (...) {
      --FSuppressDepth;
      throw;
    }
    --FSuppressDepth;
    if (FMouseAction != maRubberBand) Repaint2();
    DoZoomPanEvent();
    return;
  }
  if (FDragging) {
    const bool history = FMouseAction == maPan || FMouseAction == maPanHoriz || FMouseAction == maPanVert ||
                         FMouseAction == maZoomDrag;
    FDragging = false;
    if (history) ZoomStateOnStack();
  }
}

void TCustomRChart::DblClick() { TCustomControl::DblClick(); }

bool TCustomRChart::MouseBox(double& x1, double& y1, double& x2, double& y2) {
  FMouseBoxState = msFirstCorner;
  while ((FMouseBoxState == msFirstCorner || FMouseBoxState == msRectDraw) && Application()->HandleMessage()) {
  }
  if (FMouseBoxState != msFinished) {
    if (FXorShown) DrawXorWindow();
    FMouseBoxState = msNormal;
    return false;
  }
  FMouseBoxState = msNormal;
  M2R(FActiveLayer, FCorner1.X, FCorner1.Y, x1, y1);
  M2R(FActiveLayer, FCorner2.X, FCorner2.Y, x2, y2);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  return true;
}

void TCustomRChart::MouseBoxAbort() {
  if (FXorShown) DrawXorWindow();
  FMouseBoxState = msNormal;
}

void TCustomRChart::DoZoomPanEvent() { Fire(OnZoomPan, this); }
void TCustomRChart::DoRubberbandEvent(int Layer, double LoX, double LoY, double HiX, double HiY) {
  Fire(OnRubberBand, this, Layer, LoX, LoY, HiX, HiY);
}
void TCustomRChart::DoCrossHMoveEvent(int WhichCrossHair) { Fire(OnCrossHairMove, this, WhichCrossHair); }
void TCustomRChart::DoTxtLblMoveEvent(int WhichTextLabel) { Fire(OnTextLabelMove, this, WhichTextLabel); }

// ================================================================ contour plot

TContourPlot::TContourPlot(TComponent* AOwner)
    : TCustomRChart(AOwner), FPivots(std::make_unique<TMatrix>(nullptr)), FIsoColors(std::make_unique<TColorArray>(nullptr)) {
  FIsoColors->SetSize(256);
  FIsoColors->FillByInterpolation(0, ColorArray_Rainbow);
  FIsoColors->OnChange = [this](TObject*) {
    UpdateColorScale();
    Repaint2Public();
  };
  SetSuppressPaint(true);
  Scale2X().SetVisible(false);
  Scale2Y().SetVisible(false);
  SetGridStyle(gsPoints);
  TCustomRChart::SetRange(1, -5.2, -5.2, 5.2, 5.2);
  ResizePivotMatrix(Width() - MarginLeft() - MarginRight() - ShadowWidth(),
                    Height() - MarginTop() - MarginBottom() - ShadowWidth());
  SetSuppressPaint(false);
}

TContourPlot::~TContourPlot() {
  if (FColorScale) FColorScale->RemoveFreeNotification(this);
}

void TContourPlot::Invalid() {
  FResample = true;
  UpdateColorScale();
  Repaint2Public();
}

void TContourPlot::SetAttachedColorScale(TColorScale* v) {
  if (v == FColorScale) return;
  if (FColorScale) FColorScale->RemoveFreeNotification(this);
  FColorScale = v;
  if (FColorScale) FColorScale->FreeNotification(this);
  UpdateColorScale();
}

void TContourPlot::UpdateColorScale() {
  if (!FColorScale) return;
  FColorScale->ColorArray().Assign(*FIsoColors);
  FColorScale->SetScaleRangeLow(FIsoLow);
  FColorScale->SetScaleRangeHigh(FIsoHigh);
}

void TContourPlot::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomRChart::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FColorScale) FColorScale = nullptr;
}

void TContourPlot::SetPivotResX(int n) {
  n = std::clamp(n, 2, 5000);
  FNumPivX = n;
  FPivots->Resize(FNumPivX, FNumPivY);
  Invalid();
}
void TContourPlot::SetPivotResY(int n) {
  n = std::clamp(n, 2, 5000);
  FNumPivY = n;
  FPivots->Resize(FNumPivX, FNumPivY);
  Invalid();
}

void TContourPlot::SetPivotRes(int n) {
  n = std::clamp(n, 10, 25000);
  FPivotRes = n;
  const int W = std::max(1, Width() - MarginLeft() - MarginRight() - ShadowWidth());
  const int H = std::max(1, Height() - MarginTop() - MarginBottom() - ShadowWidth());
  const int shortN = n / 5 + 1;
  const int longN = static_cast<int>(std::lround(n / 5.0 * std::max(W, H) / std::min(W, H))) + 1;
  FNumPivX = std::clamp(W <= H ? shortN : longN, 2, 5000);
  FNumPivY = std::clamp(W <= H ? longN : shortN, 2, 5000);
  FPivots->Resize(FNumPivX, FNumPivY);
  Invalid();
}

void TContourPlot::ResizePivotMatrix(int w, int h) {
  FNumPivX = std::max(2, std::clamp(w, 10, 5000) / 5);
  FNumPivY = std::max(2, std::clamp(h, 10, 5000) / 5);
  FPivots->Resize(FNumPivX, FNumPivY);
  FResample = true;
}

void TContourPlot::Resize() {
  TCustomRChart::Resize();
  FResample = true;
}

void TContourPlot::SetIsoLow(double v) {
  FIsoLow = v;
  if (!(FIsoHigh > v)) FIsoHigh = v + 1;
  if ((FIsoHigh - FIsoLow) / FIsoDist > MaxContourLevels) FIsoDist = (FIsoHigh - FIsoLow) / MaxContourLevels;
  Invalid();
}
void TContourPlot::SetIsoHigh(double v) {
  FIsoHigh = v;
  if (!(v > FIsoLow)) FIsoLow = v - 1;
  if ((FIsoHigh - FIsoLow) / FIsoDist > MaxContourLevels) FIsoDist = (FIsoHigh - FIsoLow) / MaxContourLevels;
  Invalid();
}
void TContourPlot::SetIsoDist(double v) {
  if (!(v > 0) || !std::isfinite(v) || (FIsoHigh - FIsoLow) / v > MaxContourLevels) return;
  FIsoDist = v;
  Invalid();
}
void TContourPlot::SetIsoParams(double Low, double High, double Dist) {
  if (!std::isfinite(Low) || !std::isfinite(High)) return;
  FIsoLow = Low;
  FIsoHigh = High > Low ? High : Low + 1;
  if (Dist > 0 && std::isfinite(Dist) && (FIsoHigh - FIsoLow) / Dist <= MaxContourLevels) FIsoDist = Dist;
  else if ((FIsoHigh - FIsoLow) / FIsoDist > MaxContourLevels) FIsoDist = (FIsoHigh - FIsoLow) / MaxContourLevels;
  Invalid();
}
void TContourPlot::SetPlotMode(TContourPlotMode v) {
  if (v == FPlotMode) return;
  FPlotMode = v;
  Repaint2Public();
}

TColor TContourPlot::IsoColor(double v) const {
  const int n = FIsoColors->Size();
  if (n < 1) return clBlack;
  if (FPlotMode == cpmMonoDots) return FIsoColors->GetColorElem(1);
  const double f = (v - FIsoLow) * n / (FIsoHigh - FIsoLow);
  const long idx = std::isfinite(f) ? std::lround(std::clamp(f, -1.0, n + 1.0)) : 1;
  return FIsoColors->GetColorElem(static_cast<int>(std::clamp<long>(idx, 1, n)));
}

void TContourPlot::RenderContourplot() {
  const double xl = Scale1X().RangeLow(), xh = Scale1X().RangeHigh();
  const double yl = Scale1Y().RangeLow(), yh = Scale1Y().RangeHigh();
  if (FPivots->NrOfColumns() != FNumPivX || FPivots->NrOfRows() != FNumPivY) FPivots->Resize(FNumPivX, FNumPivY);
  if (!FResample && FSampled[0] == xl && FSampled[1] == xh && FSampled[2] == yl && FSampled[3] == yh) return;
  FMinZ = std::numeric_limits<double>::max();
  FMaxZ = -std::numeric_limits<double>::max();
  for (int i = 1; i <= FNumPivX; ++i) {
    const double x = xl + (xh - xl) * (i - 1) / (FNumPivX - 1);
    double* col = FPivots->ColumnData(i);
    for (int j = 1; j <= FNumPivY; ++j) {
      const double y = yl + (yh - yl) * (j - 1) / (FNumPivY - 1);
      double z = 0;
      Fire(OnEstimateZVal, this, x, y, z);
      col[j - 1] = z;
      if (std::isfinite(z)) {
        FMinZ = std::min(FMinZ, z);
        FMaxZ = std::max(FMaxZ, z);
      }
    }
    Fire(OnProgress, this, 30 * i / FNumPivX);
  }
  FSampled[0] = xl;
  FSampled[1] = xh;
  FSampled[2] = yl;
  FSampled[3] = yh;
  FResample = false;
}

void TContourPlot::PivotPixel(int i, int j, int X, int Y, double& px, double& py) const {
  const double xl = Scale1X().RangeLow(), xh = Scale1X().RangeHigh();
  const double yl = Scale1Y().RangeLow(), yh = Scale1Y().RangeHigh();
  int mx, my;
  R2M(1, xl + (xh - xl) * (i - 1) / (FNumPivX - 1), yl + (yh - yl) * (j - 1) / (FNumPivY - 1), mx, my);
  px = mx - MarginLeft() + X;
  py = my - MarginTop() + Y;
}

void TContourPlot::IsoColQuad(TCanvas& c, int X, int Y, int i, int j) {
  double xa, ya, xb, yb;
  PivotPixel(i, j, X, Y, xa, ya);
  PivotPixel(i + 1, j + 1, X, Y, xb, yb);
  const double z00 = FPivots->GetVal(i, j), z10 = FPivots->GetVal(i + 1, j);
  const double z01 = FPivots->GetVal(i, j + 1), z11 = FPivots->GetVal(i + 1, j + 1);
  c.Brush().SetStyle(bsSolid);
  for (int a = 0; a < 5; ++a) {
    int x0 = static_cast<int>(std::lround(xa + (xb - xa) * a / 5)), x1 = static_cast<int>(std::lround(xa + (xb - xa) * (a + 1) / 5));
    if (x0 > x1) std::swap(x0, x1);
    if (i + 1 == FNumPivX && a == 4) ++x1;  // the last column reaches the border pixel
    for (int b = 0; b < 5; ++b) {
      int y0 = static_cast<int>(std::lround(ya + (yb - ya) * b / 5)), y1 = static_cast<int>(std::lround(ya + (yb - ya) * (b + 1) / 5));
      if (y0 > y1) std::swap(y0, y1);
      if (j == 1 && b == 0) ++y1;  // the bottom row reaches the border pixel
      const double u = (a + 0.5) / 5, v = (b + 0.5) / 5;
      const double z = (1 - u) * (1 - v) * z00 + u * (1 - v) * z10 + (1 - u) * v * z01 + u * v * z11;
      c.Brush().SetColor(IsoColor(z));
      c.FillRect(Rect(x0, y0, x1, y1));
    }
  }
}

void TContourPlot::IsoQuad(TCanvas& c, int X, int Y, int i, int j) {
  double xa, ya, xb, yb;
  PivotPixel(i, j, X, Y, xa, ya);
  PivotPixel(i + 1, j + 1, X, Y, xb, yb);
  const double z00 = FPivots->GetVal(i, j), z10 = FPivots->GetVal(i + 1, j);
  const double z01 = FPivots->GetVal(i, j + 1), z11 = FPivots->GetVal(i + 1, j + 1);
  const int n = static_cast<int>(std::lround(std::min<double>((FIsoHigh - FIsoLow) / FIsoDist, MaxContourLevels)));
  auto scan = [&](double va, double vb, double pxa, double pya, double pxb, double pyb) {
    if (!(va != vb) || !std::isfinite(va) || !std::isfinite(vb)) return;
    const double lo = std::min(va, vb), hi = std::max(va, vb);
    const long k0 = std::max(0L, static_cast<long>(std::ceil((lo - FIsoLow) / FIsoDist - 1e-9)));
    const long k1 = std::min(static_cast<long>(n) - 1, static_cast<long>(std::floor((hi - FIsoLow) / FIsoDist + 1e-9)));
    for (long k = k0; k <= k1; ++k) {
      const double L = FIsoLow + k * FIsoDist;
      if (L < lo || L > hi) continue;
      const double f = (L - va) / (vb - va);
      c.SetPixel(static_cast<int>(std::lround(pxa + (pxb - pxa) * f)), static_cast<int>(std::lround(pya + (pyb - pya) * f)),
                 IsoColor(L));
    }
  };
  for (int s = 0; s <= 4; ++s) {
    const double t = s / 4.0;
    // A line at constant y (fraction t between rows j and j + 1) and one at constant x.
    scan(z00 + (z01 - z00) * t, z10 + (z11 - z10) * t, xa, ya + (yb - ya) * t, xb, ya + (yb - ya) * t);
    scan(z00 + (z10 - z00) * t, z01 + (z11 - z01) * t, xa + (xb - xa) * t, ya, xa + (xb - xa) * t, yb);
  }
}

void TContourPlot::RenderFromPivotPoints(TCanvas& c, int X, int Y) {
  c.Pen().SetMode(pmCopy);
  if (FPlotMode == cpmColorSurfNoIp) {
    const double W = Width() - MarginLeft() - MarginRight() - ShadowWidth();
    const double H = Height() - MarginTop() - MarginBottom() - ShadowWidth();
    const double hx = W / (FNumPivX - 1) / 2, hy = H / (FNumPivY - 1) / 2;
    c.Brush().SetStyle(bsSolid);
    for (int i = 1; i <= FNumPivX; ++i) {
      for (int j = 1; j <= FNumPivY; ++j) {
        double px, py;
        PivotPixel(i, j, X, Y, px, py);
        const TColor col = IsoColor(FPivots->GetVal(i, j));
        if (hx < 0.5 || hy < 0.5) {
          c.SetPixel(static_cast<int>(std::lround(px)), static_cast<int>(std::lround(py)), col);
          continue;
        }
        c.Brush().SetColor(col);
        c.FillRect(Rect(static_cast<int>(std::lround(px - hx)), static_cast<int>(std::lround(py - hy)),
                        static_cast<int>(std::lround(px + hx)) + 1, static_cast<int>(std::lround(py + hy)) + 1));
      }
      Fire(OnProgress, this, 30 + 70 * i / FNumPivX);
    }
    return;
  }
  for (int i = 1; i < FNumPivX; ++i) {
    for (int j = 1; j < FNumPivY; ++j) {
      if (FPlotMode == cpmColorSurface) IsoColQuad(c, X, Y, i, j);
      else IsoQuad(c, X, Y, i, j);
    }
    Fire(OnProgress, this, 30 + 70 * i / (FNumPivX - 1));
  }
}

void TContourPlot::RenderLabels(TCanvas& c, int X, int Y) {
  c.Font().Assign(Font());
  c.Brush().SetStyle(bsClear);
  const int n = static_cast<int>(std::lround(std::min<double>((FIsoHigh - FIsoLow) / FIsoDist, MaxContourLevels)));
  int lastX = -1000;
  // Along the bottom row: where a level crosses between two pivots, its value above the border.
  for (int i = 1; i < FNumPivX; ++i) {
    const double va = FPivots->GetVal(i, 1), vb = FPivots->GetVal(i + 1, 1);
    if (!(va != vb)) continue;
    for (int k = 0; k < n; ++k) {
      const double L = FIsoLow + k * FIsoDist;
      if (L < std::min(va, vb) || L > std::max(va, vb)) continue;
      double xa, ya, xb, yb;
      PivotPixel(i, 1, X, Y, xa, ya);
      PivotPixel(i + 1, 1, X, Y, xb, yb);
      const int x = static_cast<int>(std::lround(xa + (xb - xa) * (L - va) / (vb - va)));
      if (x - lastX < 40) continue;
      char b[32];
      std::snprintf(b, sizeof b, "%g", L);
      c.Font().SetColor(IsoColor(L));
      c.TextOut(x + 2, static_cast<int>(ya) - c.TextHeight(b) - 1, b);
      lastX = x;
    }
  }
}

void TContourPlot::InitGraf(TCanvas& c, int X, int Y) {
  TCustomRChart::InitGraf(c, X, Y);
  RenderContourplot();
  Fire(OnProgress, this, 30);
  RenderFromPivotPoints(c, X, Y);
  if (FPlotMode == cpmDots || FPlotMode == cpmMonoDots) RenderLabels(c, X, Y);
  // The outline stays on top of the surface.
  const int extra = c.IsPrinterCanvas() ? 0 : 1;
  c.Pen().SetColor(ChartFrameColor());
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Brush().SetStyle(bsClear);
  c.Rectangle(X, Y, X + Width() - MarginLeft() - MarginRight() - ShadowWidth() + extra,
              Y + Height() - MarginTop() - MarginBottom() - ShadowWidth() + extra);
  Fire(OnProgress, this, 100);
}

void TContourPlot::DrawPlot() {
  // Samples again in any case: the function may have changed behind the plot's back.
  FResample = true;
  RenderContourplot();
  Repaint2Public();
}

// ================================================================ Smith chart

TSmithChart::TSmithChart(TComponent* AOwner) : TCustomRChart(AOwner) {
  SetSuppressPaint(true);
  Scale1X().SetVisible(false);
  Scale1Y().SetVisible(false);
  Scale2X().SetVisible(false);
  Scale2Y().SetVisible(false);
  SetGridStyle(gsPoints);
  SetGridColor(FGridDark);
  SetTransparentItems(true);
  SetIsometric(true);
  TCustomRChart::SetRange(1, -1.2, -1.2, 1.2, 1.2);
  SetSuppressPaint(false);
}

double TSmithChart::CalcReflectionReal(double r, double x) {
  const double d = (r + 1) * (r + 1) + x * x;
  if (d == 0) return std::numeric_limits<double>::max();
  return (r * r + x * x - 1) / d;
}
double TSmithChart::CalcReflectionImag(double r, double x) {
  if (x == 0) return 0;
  return 2 * x / (x * x + (r + 1) * (r + 1));
}
double TSmithChart::CalcResistance(double u, double v) {
  const double d = (1 - u) * (1 - u) + v * v;
  if (d == 0) return std::numeric_limits<double>::max();
  return (1 - u * u - v * v) / d;
}
double TSmithChart::CalcReactance(double u, double v) {
  const double d = (1 - u) * (1 - u) + v * v;
  if (d == 0) return std::numeric_limits<double>::max();
  return 2 * v / d;
}

void TSmithChart::SetDiagramColor(TColor v) {
  if (v == FDiagramColor) return;
  FDiagramColor = v;
  Repaint2Public();
}
void TSmithChart::SetGridColorLight(TColor v) {
  if (v == FGridLight) return;
  FGridLight = v;
  Repaint2Public();
}
void TSmithChart::SetGridColorDark(TColor v) {
  if (v == FGridDark) return;
  FGridDark = v;
  Repaint2Public();
}

void TSmithChart::CenterChart() {
  const double wx = Scale1X().RangeHigh() - Scale1X().RangeLow();
  const double wy = Scale1Y().RangeHigh() - Scale1Y().RangeLow();
  SetRange(-wx / 2, -wy / 2, wx / 2, wy / 2);
}

void TSmithChart::InitGraf(TCanvas& c, int X, int Y) {
  TCustomRChart::InitGraf(c, X, Y);
  const int dx = X - MarginLeft(), dy = Y - MarginTop();
  auto pix = [&](double u, double v) {
    int px, py;
    TCustomRChart::R2M(1, u, v, px, py);
    return TPoint(px + dx, py + dy);
  };
  c.Pen().SetMode(pmCopy);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  // The unit circle.
  const TPoint a = pix(-1, 1), b = pix(1, -1);
  c.Pen().SetColor(FGridDark);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FDiagramColor);
  c.Ellipse(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) + 1, std::max(a.Y, b.Y) + 1);
  static const double values[] = {0.2, 0.5, 1, 2, 5};
  std::vector<TPoint> pts;
  // Circles of constant resistance: x runs over the whole real line (x = tan t).
  for (double r : values) {
    pts.clear();
    for (int k = -180; k <= 180; ++k) {
      const double x = std::tan(k * (3.14159265358979323846 / 2) / 181);
      pts.push_back(pix(CalcReflectionReal(r, x), CalcReflectionImag(r, x)));
    }
    pts.push_back(pix(1, 0));
    pts.insert(pts.begin(), pix(1, 0));
    c.Pen().SetColor(r == 1 ? FGridDark : FGridLight);
    c.Polyline(pts);
  }
  // Arcs of constant reactance: r runs from 0 to infinity (r = tan t).
  for (double xv : values)
    for (double sgn : {1.0, -1.0}) {
      pts.clear();
      for (int k = 0; k <= 180; ++k) {
        const double r = std::tan(k * (3.14159265358979323846 / 2) / 181);
        pts.push_back(pix(CalcReflectionReal(r, sgn * xv), CalcReflectionImag(r, sgn * xv)));
      }
      pts.push_back(pix(1, 0));
      c.Pen().SetColor(xv == 1 ? FGridDark : FGridLight);
      c.Polyline(pts);
    }
  // The real axis.
  c.Pen().SetColor(FGridDark);
  const TPoint l = pix(-1, 0), r = pix(1, 0);
  c.MoveTo(l.X, l.Y);
  c.LineTo(r.X + 1, r.Y);
  // Scale texts: resistances on the real axis, reactances on the rim.
  c.Font().Assign(Font());
  c.Font().SetColor(FGridDark);
  c.Brush().SetStyle(bsClear);
  for (double v : values) {
    char t[16];
    std::snprintf(t, sizeof t, "%g", v);
    const TPoint p = pix(CalcReflectionReal(v, 0), 0);
    c.TextOut(p.X + 2, p.Y + 1, t);
    const TPoint q = pix(CalcReflectionReal(0, v), CalcReflectionImag(0, v));
    const TPoint q2 = pix(CalcReflectionReal(0, -v), CalcReflectionImag(0, -v));
    c.TextOut(q.X + (q.X < (l.X + r.X) / 2 ? -c.TextWidth(t) - 2 : 2), q.Y - c.TextHeight(t), t);
    std::snprintf(t, sizeof t, "-%g", v);
    c.TextOut(q2.X + (q2.X < (l.X + r.X) / 2 ? -c.TextWidth(t) - 2 : 2), q2.Y, t);
  }
}

}  // namespace zol
