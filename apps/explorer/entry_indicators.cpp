// Explorer entries of the indicator controls, each with its main properties.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "apps/explorer/Explorer.h"
#include "gui/Zol_colsel.h"
#include "gui/Zol_gradfl.h"
#include "gui/Zol_marksel.h"
#include "gui/Zol_numlab.h"
#include "gui/Zol_onoffbut.h"
#include "gui/Zol_progbar.h"
#include "gui/Zol_rasterlab.h"
#include "gui/Zol_repsbut.h"
#include "gui/Zol_rotlab.h"
#include "gui/Zol_sevenseg.h"
#include "gui/Zol_thumbnails.h"

using namespace zol;

namespace {

const char* const kGroup = "Indicators";

template <class T>
T* Make(TWinControl& Parent, int w, int h) {
  auto* c = new T(&Parent);
  c->SetParent(&Parent);
  c->SetBounds(0, 0, w, h);
  return c;
}

explorer::Property Int(const std::string& name, std::function<int()> get, std::function<void(int)> set) {
  return {name, [get] { return std::to_string(get()); },
          [set](const std::string& v) { set(static_cast<int>(std::strtol(v.c_str(), nullptr, 10))); }};
}

explorer::Property Num(const std::string& name, std::function<double()> get, std::function<void(double)> set) {
  return {name,
          [get] {
            char b[64];
            std::snprintf(b, sizeof b, "%g", get());
            return std::string(b);
          },
          [set](const std::string& v) { set(std::strtod(v.c_str(), nullptr)); }};
}

explorer::Property Flag(const std::string& name, std::function<bool()> get, std::function<void(bool)> set) {
  return {name, [get] { return std::string(get() ? "1" : "0"); },
          [set](const std::string& v) { set(v == "1" || v == "true"); }};
}

explorer::Property Text(const std::string& name, std::function<std::string()> get,
                        std::function<void(const std::string&)> set) {
  return {name, get, set};
}

// Colours as "$" and six hexadecimal digits of the TColor value (blue, green, red).
explorer::Property Colour(const std::string& name, std::function<TColor()> get, std::function<void(TColor)> set) {
  return {name,
          [get] {
            char b[16];
            std::snprintf(b, sizeof b, "$%06X", static_cast<unsigned>(get() & 0xFFFFFF));
            return std::string(b);
          },
          [set](const std::string& v) {
            const char* s = v.c_str();
            if (*s == '$') ++s;
            set(static_cast<TColor>(std::strtoul(s, nullptr, 16)));
          }};
}

// Enumerations and frame styles by their ordinal.
template <class E>
explorer::Property Enum(const std::string& name, std::function<E()> get, std::function<void(E)> set) {
  return Int(name, [get] { return static_cast<int>(get()); }, [set](int v) { set(static_cast<E>(v)); });
}

}  // namespace

ZOL_EXPLORER_ENTRY(kGroup, "TSevenSeg") {
  auto* c = Make<TSevenSeg>(Parent, 300, 90);
  c->SetNumDigits(6);
  c->SetCaption("-12.345");
  explorer::Demo d{c, {}};
  d.Properties.push_back(Text("Caption", [c] { return c->Caption(); }, [c](const std::string& v) { c->SetCaption(v); }));
  d.Properties.push_back(Int("NumDigits", [c] { return c->NumDigits(); }, [c](int v) { c->SetNumDigits(v); }));
  d.Properties.push_back(Int("InterDigDist", [c] { return c->InterDigDist(); }, [c](int v) { c->SetInterDigDist(v); }));
  d.Properties.push_back(Int("Margin", [c] { return c->Margin(); }, [c](int v) { c->SetMargin(v); }));
  d.Properties.push_back(Colour("ColorText", [c] { return c->ColorText(); }, [c](TColor v) { c->SetColorText(v); }));
  d.Properties.push_back(Colour("ColorBackGnd", [c] { return c->ColorBackGnd(); }, [c](TColor v) { c->SetColorBackGnd(v); }));
  d.Properties.push_back(Enum<TColorScheme>("ColorScheme", [c] { return c->ColorScheme(); }, [c](TColorScheme v) { c->SetColorScheme(v); }));
  d.Properties.push_back(Enum<TFrameStyle>("FrameStyle", [c] { return c->FrameStyle(); }, [c](TFrameStyle v) { c->SetFrameStyle(v); }));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TNumLab") {
  auto* c = Make<TNumLab>(Parent, 260, 24);
  c->SetLeftSpace(60);
  c->SetLabelWidth(140);
  c->SetLeftText("Value");
  c->SetRightText("V");
  c->SetValue(3.14159265);
  explorer::Demo d{c, {}};
  d.Properties.push_back(Num("Value", [c] { return c->Value(); }, [c](double v) { c->SetValue(v); }));
  d.Properties.push_back(Enum<TDisplay>("DisplayType", [c] { return c->DisplayType(); }, [c](TDisplay v) { c->SetDisplayType(v); }));
  d.Properties.push_back(Int("Precision", [c] { return c->Precision(); }, [c](int v) { c->SetPrecision(v); }));
  d.Properties.push_back(Text("DTFormat", [c] { return c->DTFormat(); }, [c](const std::string& v) { c->SetDTFormat(v); }));
  d.Properties.push_back(Flag("Comma", [c] { return c->Comma(); }, [c](bool v) { c->SetComma(v); }));
  d.Properties.push_back(Flag("ForcePlusSign", [c] { return c->ForcePlusSign(); }, [c](bool v) { c->SetForcePlusSign(v); }));
  d.Properties.push_back(Flag("Empty", [c] { return c->Empty(); }, [c](bool v) { c->SetEmpty(v); }));
  d.Properties.push_back(Text("OverflowIndicator", [c] { return c->OverflowIndicator(); }, [c](const std::string& v) { c->SetOverflowIndicator(v); }));
  d.Properties.push_back(Text("LeftText", [c] { return c->LeftText(); }, [c](const std::string& v) { c->SetLeftText(v); }));
  d.Properties.push_back(Text("RightText", [c] { return c->RightText(); }, [c](const std::string& v) { c->SetRightText(v); }));
  d.Properties.push_back(Int("LabelWidth", [c] { return c->LabelWidth(); }, [c](int v) { c->SetLabelWidth(v); }));
  d.Properties.push_back(Int("LeftSpace", [c] { return c->LeftSpace(); }, [c](int v) { c->SetLeftSpace(v); }));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TOnOffBut") {
  auto* c = Make<TOnOffBut>(Parent, 160, 80);
  c->SetButtonStyle(oobsLedRedGreen);
  c->SetRightText("Pump");
  c->SetFrameStyle(fsLowered);
  explorer::Demo d{c, {}};
  d.Properties.push_back(Flag("OnOff", [c] { return c->OnOff(); }, [c](bool v) { c->SetOnOff(v); }));
  d.Properties.push_back(Enum<TOnOffButStyle>("ButtonStyle", [c] { return c->ButtonStyle(); }, [c](TOnOffButStyle v) { c->SetButtonStyle(v); }));
  d.Properties.push_back(Enum<TOOButMode>("Mode", [c] { return c->Mode(); }, [c](TOOButMode v) { c->SetMode(v); }));
  d.Properties.push_back(Enum<TOOButMouseAction>("MouseAction", [c] { return c->MouseAction(); }, [c](TOOButMouseAction v) { c->SetMouseAction(v); }));
  d.Properties.push_back(Int("GroupIndex", [c] { return c->GroupIndex(); }, [c](int v) { c->SetGroupIndex(v); }));
  d.Properties.push_back(Flag("AllowAllOff", [c] { return c->AllowAllOff(); }, [c](bool v) { c->SetAllowAllOff(v); }));
  d.Properties.push_back(Text("LeftText", [c] { return c->LeftText(); }, [c](const std::string& v) { c->SetLeftText(v); }));
  d.Properties.push_back(Text("RightText", [c] { return c->RightText(); }, [c](const std::string& v) { c->SetRightText(v); }));
  d.Properties.push_back(Text("TopText", [c] { return c->TopText(); }, [c](const std::string& v) { c->SetTopText(v); }));
  d.Properties.push_back(Text("BottomText", [c] { return c->BottomText(); }, [c](const std::string& v) { c->SetBottomText(v); }));
  d.Properties.push_back(Enum<TColorScheme>("ColorScheme", [c] { return c->ColorScheme(); }, [c](TColorScheme v) { c->SetColorScheme(v); }));
  d.Properties.push_back(Enum<TFrameStyle>("FrameStyle", [c] { return c->FrameStyle(); }, [c](TFrameStyle v) { c->SetFrameStyle(v); }));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TProgBar") {
  auto* c = Make<TProgBar>(Parent, 300, 28);
  c->SetValue(60);
  c->SetShowColorGradient(true);
  explorer::Demo d{c, {}};
  d.Properties.push_back(Num("Min", [c] { return c->Min(); }, [c](double v) { c->SetMin(v); }));
  d.Properties.push_back(Num("Max", [c] { return c->Max(); }, [c](double v) { c->SetMax(v); }));
  d.Properties.push_back(Num("Value", [c] { return c->Value(); }, [c](double v) { c->SetValue(v); }));
  d.Properties.push_back(Enum<TDirection>("Direction", [c] { return c->Direction(); }, [c](TDirection v) { c->SetDirection(v); }));
  d.Properties.push_back(Flag("ShowColorGradient", [c] { return c->ShowColorGradient(); }, [c](bool v) { c->SetShowColorGradient(v); }));
  d.Properties.push_back(Enum<TColorMapping>("ColorMapMode", [c] { return c->ColorMapMode(); }, [c](TColorMapping v) { c->SetColorMapMode(v); }));
  d.Properties.push_back(Colour("ColorMin", [c] { return c->ColorMin(); }, [c](TColor v) { c->SetColorMin(v); }));
  d.Properties.push_back(Colour("ColorMax", [c] { return c->ColorMax(); }, [c](TColor v) { c->SetColorMax(v); }));
  d.Properties.push_back(Int("GridDist", [c] { return c->GridDist(); }, [c](int v) { c->SetGridDist(v); }));
  d.Properties.push_back(Flag("TextVisible", [c] { return c->TextVisible(); }, [c](bool v) { c->SetTextVisible(v); }));
  d.Properties.push_back(Int("TextDecPlaces", [c] { return c->TextDecPlaces(); }, [c](int v) { c->SetTextDecPlaces(v); }));
  d.Properties.push_back(Enum<TColorScheme>("ColorScheme", [c] { return c->ColorScheme(); }, [c](TColorScheme v) { c->SetColorScheme(v); }));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TRasterLab") {
  auto* c = Make<TRasterLab>(Parent, 400, 68);
  c->SetText("ZOL Component Suite");
  explorer::Demo d{c, {}};
  d.Properties.push_back(Text("Text", [c] { return c->Text(); }, [c](const std::string& v) { c->SetText(v); }));
  d.Properties.push_back(Text("FontName", [c] { return c->Font().Name(); }, [c](const std::string& v) { c->Font().SetName(v); }));
  d.Properties.push_back(Int("DotSize", [c] { return c->DotSize(); }, [c](int v) { c->SetDotSize(v); }));
  d.Properties.push_back(Int("DotSpacing", [c] { return c->DotSpacing(); }, [c](int v) { c->SetDotSpacing(v); }));
  d.Properties.push_back(Flag("Proportional", [c] { return c->Proportional(); }, [c](bool v) { c->SetProportional(v); }));
  d.Properties.push_back(Enum<TRDBlockMode>("CharBlockMode", [c] { return c->CharBlockMode(); }, [c](TRDBlockMode v) { c->SetCharBlockMode(v); }));
  d.Properties.push_back(Enum<TRDScrollMode>("ScrollMode", [c] { return c->ScrollMode(); }, [c](TRDScrollMode v) { c->SetScrollMode(v); }));
  d.Properties.push_back(Int("ScrollInterval", [c] { return c->ScrollInterval(); }, [c](int v) { c->SetScrollInterval(v); }));
  d.Properties.push_back(Int("ScrollIncrement", [c] { return c->ScrollIncrement(); }, [c](int v) { c->SetScrollIncrement(v); }));
  d.Properties.push_back(Flag("AutoCenter", [c] { return c->AutoCenter(); }, [c](bool v) { c->SetAutoCenter(v); }));
  d.Properties.push_back(Colour("ColorDotOn", [c] { return c->ColorDotOn(); }, [c](TColor v) { c->SetColorDotOn(v); }));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TRotLab") {
  auto* c = Make<TRotLab>(Parent, 200, 200);
  c->SetCaption("Rotated label");
  c->SetTextAngle(30);
  c->Font().SetHeight(-18);
  explorer::Demo d{c, {}};
  d.Properties.push_back(Text("Caption", [c] { return c->Caption(); }, [c](const std::string& v) { c->SetCaption(v); }));
  d.Properties.push_back(Int("TextAngle", [c] { return c->TextAngle(); }, [c](int v) { c->SetTextAngle(v); }));
  d.Properties.push_back(Flag("AutoCenter", [c] { return c->AutoCenter(); }, [c](bool v) { c->SetAutoCenter(v); }));
  d.Properties.push_back(Int("PosX", [c] { return c->PosX(); }, [c](int v) { c->SetPosX(v); }));
  d.Properties.push_back(Int("PosY", [c] { return c->PosY(); }, [c](int v) { c->SetPosY(v); }));
  d.Properties.push_back(Enum<TAlignment>("Alignment", [c] { return c->Alignment(); }, [c](TAlignment v) { c->SetAlignment(v); }));
  d.Properties.push_back(Flag("AntiAlias", [c] { return c->AntiAlias(); }, [c](bool v) { c->SetAntiAlias(v); }));
  d.Properties.push_back(Flag("Transparent", [c] { return c->Transparent(); }, [c](bool v) { c->SetTransparent(v); }));
  d.Properties.push_back(Enum<TFrameStyle>("FrameStyle", [c] { return c->FrameStyle(); }, [c](TFrameStyle v) { c->SetFrameStyle(v); }));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TColSel") {
  auto* c = Make<TColSel>(Parent, 160, 22);
  c->SetSelColor(clTeal);
  explorer::Demo d{c, {}};
  d.Properties.push_back(Colour("SelColor", [c] { return c->SelColor(); }, [c](TColor v) { c->SetSelColor(v); }));
  d.Properties.push_back(Int("NumColors", [c] { return c->NumColors(); }, [c](int v) { c->SetNumColors(v); }));
  d.Properties.push_back(Int("DropDownCount", [c] { return c->DropDownCount(); }, [c](int v) { c->SetDropDownCount(v); }));
  d.Properties.push_back(Int("ColorBarWidth", [c] { return c->ColorBarWidth(); }, [c](int v) { c->SetColorBarWidth(v); }));
  d.Properties.push_back(Flag("DroppedDown", [c] { return c->DroppedDown(); }, [c](bool v) { c->SetDroppedDown(v); }));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TMarkSel") {
  auto* c = Make<TMarkSel>(Parent, 164, 144);
  c->SetSelected(24);
  explorer::Demo d{c, {}};
  d.Properties.push_back(Int("Selected", [c] { return c->Selected(); }, [c](int v) { c->SetSelected(v); }));
  d.Properties.push_back(Int("NrOfColumns", [c] { return c->NrOfColumns(); }, [c](int v) { c->SetNrOfColumns(v); }));
  d.Properties.push_back(Int("NrOfRows", [c] { return c->NrOfRows(); }, [c](int v) { c->SetNrOfRows(v); }));
  d.Properties.push_back(Flag("ShowZeroAsCross", [c] { return c->ShowZeroAsCross(); }, [c](bool v) { c->SetShowZeroAsCross(v); }));
  d.Properties.push_back(Colour("ColorMarks", [c] { return c->ColorMarks(); }, [c](TColor v) { c->SetColorMarks(v); }));
  d.Properties.push_back(Colour("ColorSelBG", [c] { return c->ColorSelBG(); }, [c](TColor v) { c->SetColorSelBG(v); }));
  d.Properties.push_back(Enum<TFrameStyle>("FrameStyle", [c] { return c->FrameStyle(); }, [c](TFrameStyle v) { c->SetFrameStyle(v); }));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TThumbnails") {
  auto* c = Make<TThumbnails>(Parent, 500, 300);
  c->SetMax(60);
  c->OnImageRequest = [](TObject*, int i, TBitmap& b, TImageRequestProcessing& p) {
    b.SetSize(80, 60);
    b.Canvas().Brush().SetColor(RGB((i * 53) % 256, (i * 97) % 256, (i * 151) % 256));
    b.Canvas().FillRect(Rect(0, 0, 80, 60));
    p = irpShowSlide;
  };
  explorer::Demo d{c, {}};
  d.Properties.push_back(Int("Min", [c] { return c->Min(); }, [c](int v) { c->SetMin(v); }));
  d.Properties.push_back(Int("Max", [c] { return c->Max(); }, [c](int v) { c->SetMax(v); }));
  d.Properties.push_back(Num("FirstThumbIx", [c] { return c->FirstThumbIx(); }, [c](double v) { c->SetFirstThumbIx(v); }));
  d.Properties.push_back(Int("SlideSize", [c] { return c->SlideSize(); }, [c](int v) { c->SetSlideSize(v); }));
  d.Properties.push_back(Int("SlideMargin", [c] { return c->SlideMargin(); }, [c](int v) { c->SetSlideMargin(v); }));
  d.Properties.push_back(Int("SlideDistance", [c] { return c->SlideDistance(); }, [c](int v) { c->SetSlideDistance(v); }));
  d.Properties.push_back(Int("FocusedSlide", [c] { return c->FocusedSlide(); }, [c](int v) { c->SetFocusedSlide(v); }));
  d.Properties.push_back(Enum<TSlideSelectMode>("SlideSelectMode", [c] { return c->SlideSelectMode(); }, [c](TSlideSelectMode v) { c->SetSlideSelectMode(v); }));
  d.Properties.push_back(Int("NumSlidesSelected", [c] { return c->NumSlidesSelected(); }, nullptr));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TRepSpeedButton") {
  auto* c = Make<TRepSpeedButton>(Parent, 40, 30);
  c->SetCaption("+");
  explorer::Demo d{c, {}};
  d.Properties.push_back(Text("Caption", [c] { return c->Caption(); }, [c](const std::string& v) { c->SetCaption(v); }));
  d.Properties.push_back(Int("StartClickInterval", [c] { return c->StartClickInterval(); }, [c](int v) { c->SetStartClickInterval(v); }));
  d.Properties.push_back(Int("RepeatClickInterval", [c] { return c->RepeatClickInterval(); }, [c](int v) { c->SetRepeatClickInterval(v); }));
  d.Properties.push_back(Flag("Flat", [c] { return c->Flat(); }, [c](bool v) { c->SetFlat(v); }));
  return d;
}

ZOL_EXPLORER_ENTRY(kGroup, "TGradFill") {
  auto* c = Make<TGradFill>(Parent, 300, 200);
  explorer::Demo d{c, {}};
  d.Properties.push_back(Colour("ColorFirst", [c] { return c->ColorFirst(); }, [c](TColor v) { c->SetColorFirst(v); }));
  d.Properties.push_back(Colour("ColorLast", [c] { return c->ColorLast(); }, [c](TColor v) { c->SetColorLast(v); }));
  d.Properties.push_back(Int("NrColors", [c] { return c->NrColors(); }, [c](int v) { c->SetNrColors(v); }));
  d.Properties.push_back(Enum<TGradType>("FillType", [c] { return c->FillType(); }, [c](TGradType v) { c->SetFillType(v); }));
  d.Properties.push_back(Flag("ColorFlipped", [c] { return c->ColorFlipped(); }, [c](bool v) { c->SetColorFlipped(v); }));
  d.Properties.push_back(Enum<TGridMode>("GridMode", [c] { return c->GridMode(); }, [c](TGridMode v) { c->SetGridMode(v); }));
  d.Properties.push_back(Colour("GridColor", [c] { return c->GridColor(); }, [c](TColor v) { c->SetGridColor(v); }));
  d.Properties.push_back(Enum<TFrameStyle>("FrameStyle", [c] { return c->FrameStyle(); }, [c](TFrameStyle v) { c->SetFrameStyle(v); }));
  return d;
}
