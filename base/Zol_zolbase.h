// Shared vocabulary of the ZOL Component Suite: enumerations and their text
// names for tagged-text records, event types, the base exception, the progress
// hooks of long computations, language tables, crosshairs, date/time label
// settings, text labels and the frame and mark painters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

// ---------------------------------------------------------------- exception
// Base exception class of the whole suite.
class EZOLError : public Exception {
 public:
  using Exception::Exception;
};

// ---------------------------------------------------------------- enumerations
// Each enumeration with a text table has an array xml<Name> holding the value
// names in declaration order; the tables are used when values are written to or
// read from tagged-text records.
enum TBkgFill { bfSimple, bfStretch, bfTile };
enum TBoundingBox { bbNone, bbFrame, bbFaces };
enum TColorScheme { csBWG, csSystem };
enum TDecPSep { dsSystem, dsDot, dsComma, dsBoth };
enum TFigType { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
// x scale at the bottom / top, y scale at the left / right
enum TScaleType { sctXB, sctXT, sctYL, sctYR };
enum TVerticalAlignment { vaTop, vaCenter, vaBottom };
enum TYearLength { ylNone, ylYY, ylYYYY };
enum TDateOrder { doMMDDYY, doDDMMYY, doYYMMDD };
enum TDateForTime { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
enum TShadowStyle { ssFlying, ssBox };
enum TFrameStyle { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
enum TTimeFormat { tfHHMMSS, tfHHhMM, tfAMPM };
enum TDirection { dirUpward, dirDownward, dirLeftward, dirRightward };
enum TOrientation { orVert, orHoriz };
enum TCrossHMode { chOff, chHoriz, chVert, chBoth, chBox };
enum TTxtLblAttachMode { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
enum TTxtLblMode { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
enum TDegreeFormat { dfDeg, dfDegMin, dfDegMinSec, dfNumeric };
enum TLanguage { lgUnknown, lgEnglish, lgGerman, lgFrench, lgSpanish };
enum TVarKind { rnum, dnum, snum, inum, lnum, Bool, strg };
enum TMouseBoxState { msNormal, msFirstCorner, msRectDraw, msFinished };
enum TMouseActMode {
  maNone, maPan, maPanHoriz, maPanVert, maRubberBand, maZoom, maZoomWind, maZoomWindPos,
  maZoomDrag, maDragCrossH, maDragLabel, maRotate, maRotAndZoom, maRotXOnly, maRotZOnly
};
enum TZoomState { zsNormal, zsDrawWin };

extern const char* const xmlBkgFill[3];
extern const char* const xmlBoundingBox[3];
extern const char* const xmlColorScheme[2];
extern const char* const xmlFigType[5];
extern const char* const xmlScaleType[4];
extern const char* const xmlVerticalAlignment[3];
extern const char* const xmlYearLength[3];
extern const char* const xmlDateOrder[3];
extern const char* const xmlDateForTime[4];
extern const char* const xmlShadowStyle[2];
extern const char* const xmlFrameStyle[6];
extern const char* const xmlTimeFormat[3];
extern const char* const xmlDirection[4];
extern const char* const xmlCrossHMode[5];
extern const char* const xmlTxtLblAttachMode[4];
extern const char* const xmlTxtLblMode[5];
extern const char* const xmlLanguage[5];
extern const char* const xmlVarKind[7];  // "bool" (lower case) for Bool
extern const char* const xmlMouseBoxState[4];
extern const char* const xmlMouseActMode[15];
extern const char* const xmlZoomState[2];
// Horizontal text alignment (ordinals 0 left, 1 right, 2 centre).
extern const char* const xmlAlignment[3];
// Font style flags Bold, Italic, Underline, StrikeOut (bits 1, 2, 4, 8).
extern const char* const xmlFontStyle[4];

// Index of Name in a text table (ASCII case-insensitive), -1 when absent.
int XmlTableIndex(const char* const* Table, int Count, const std::string& Name);
template <size_t N>
int XmlTableIndex(const char* const (&Table)[N], const std::string& Name) {
  return XmlTableIndex(Table, static_cast<int>(N), Name);
}

// ---------------------------------------------------------------- shared arrays
using TDoubleArray = std::vector<double>;
using TIntArray = std::vector<int32_t>;
using TPDblArray = double*;
using TBytes = std::vector<uint8_t>;

// ---------------------------------------------------------------- events
using TZoomPanEvent = std::function<void(TObject* Sender)>;
using TRubberBandEvent =
    std::function<void(TObject* Sender, int Layer, double LoX, double LoY, double HiX, double HiY)>;
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int PercentDone)>;
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;
// Reported for every swap of a sort so that owners keep parallel data in step.
using TSortExchgEvent =
    std::function<void(TObject* Sender, uint8_t ExchgWhat, int index1, int index2, int first, int last)>;
using TNumericFeedback = std::function<void(TObject* Sender, double num)>;
using TStringFeedback = std::function<void(TObject* Sender, const std::string& msg)>;

// ---------------------------------------------------------------- progress hooks
// Long computations increment ProcStat, call MathFeedBackProc (when set) with
// the counter after each increment, clear AbortMathProc when they start and stop
// early once it has been set.  Start values: 0, no callback, false.
using TMathFeedBackProc = std::function<void(int32_t ProcStat)>;
extern int32_t ProcStat;
extern TMathFeedBackProc MathFeedBackProc;
extern bool AbortMathProc;

// ---------------------------------------------------------------- language tables
// All tables are indexed by TLanguage first; texts are UTF-8.  Month and day
// indices are 1-based as in the calendar (index 0 holds an empty text):
// MonthShort[lgEnglish][1] == "Jan", WeekDayLong[lgGerman][1] == "Montag".
constexpr int NumLanguages = 5;
extern const char* const MonthShort[NumLanguages][13];    // up to 4 characters
extern const char* const MonthLong[NumLanguages][13];     // up to 10 characters
extern const char* const WeekDayShort[NumLanguages][8];   // Monday = 1; up to 3 characters
extern const char* const WeekDayLong[NumLanguages][8];    // Monday = 1; up to 10 characters
extern const char* const NumWords[NumLanguages][13];      // 0..12; up to 6 characters
// Language in which the name is written × language named.
extern const char* const LanguageID[NumLanguages][NumLanguages];
extern const char* const ISO639_2Char[NumLanguages];      // "??", "en", "de", "fr", "es"
extern const char* const ISO639_3Char[NumLanguages];      // "???", "eng", "ger", "fre", "spa"
// HTML Latin-1 entity of code points 160..255 ("&nbsp;" .. "&yuml;"); empty below 160.
extern const char* const HTMLLat1Entities[256];

// ---------------------------------------------------------------- date/time labels
// How a scale labels date and time ticks.  The separators, YearLength, MonthName
// and DateForTime fire OnChange only when the value changes; DateOrder and
// TimeFormat always fire it.
class TDTLabel : public TPersistent {
 public:
  TDTLabel() = default;
  void Assign(const TPersistent& Source) override;

  char DateSeparator() const { return FDateSeparator; }
  void SetDateSeparator(char v);
  char TimeSeparator() const { return FTimeSeparator; }
  void SetTimeSeparator(char v);
  TYearLength YearLength() const { return FYearLength; }
  void SetYearLength(TYearLength v);
  bool MonthName() const { return FMonthName; }
  void SetMonthName(bool v);
  TDateOrder DateOrder() const { return FDateOrder; }
  void SetDateOrder(TDateOrder v);
  void SetDAteOrder(TDateOrder v) { SetDateOrder(v); }  // the historical spelling
  TDateForTime DateForTime() const { return FDateForTime; }
  void SetDateForTime(TDateForTime v);
  TTimeFormat TimeFormat() const { return FTimeFormat; }
  void SetTimeFormat(TTimeFormat v);

  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  // The defaults every owning scale sets.
  char FDateSeparator = '-';
  char FTimeSeparator = ':';
  TYearLength FYearLength = ylYYYY;
  bool FMonthName = true;
  TDateOrder FDateOrder = doDDMMYY;
  TDateForTime FDateForTime = dtOnePerDay;
  TTimeFormat FTimeFormat = tfHHMMSS;
};

// Horizontal text alignment (the order of xmlAlignment).
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// ---------------------------------------------------------------- crosshairs
// A crosshair of a chart: position in world coordinates of its layer, colour,
// mode, pen style and width.  Every setter stores the value and fires OnChange
// (no comparison with the old value).
class TCrossHair : public TPersistent {
 public:
  TCrossHair() = default;
  void Assign(const TPersistent& Source) override;

  double PosX() const { return FPosX; }
  void SetPosX(double v);
  double PosY() const { return FPosY; }
  void SetPosY(double v);
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  TCrossHMode Mode() const { return FMode; }
  void SetMode(TCrossHMode v);
  TPenStyle LineType() const { return FLineType; }
  void SetLineType(TPenStyle v);
  int LineWid() const { return FLineWid; }
  void SetLineWid(int v);
  int Layer() const { return FLayer; }
  void SetLayer(int v);  // clamped to 1..2

  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  double FPosX = 0.0;
  double FPosY = 0.0;
  TColor FColor = clBlack;
  TCrossHMode FMode = chOff;
  TPenStyle FLineType = psSolid;
  int FLineWid = 1;
  int FLayer = 1;
};

// ---------------------------------------------------------------- text labels
// A text label of a chart.  Each setter stores its value and calls Changed,
// which fires OnChange.  The label stores itself as the tagged-text record
// "custtextlbl" (WriteToOpenXMLFile / ReadFromOpenXMLFile).
class TCustomTextLabel : public TPersistent {
 public:
  TCustomTextLabel();
  ~TCustomTextLabel() override;
  TCustomTextLabel(const TCustomTextLabel&) = delete;
  TCustomTextLabel& operator=(const TCustomTextLabel&) = delete;
  void Assign(const TPersistent& Source) override;

  double PosX() const { return FPosX; }
  void SetTxtLblPosX(double v);
  double PosY() const { return FPosY; }
  void SetTxtLblPosY(double v);
  int Layer() const { return FLayer; }
  void SetTxtLblLayer(int v);  // 1..16; other values are ignored
  int ShadowDx() const { return FShadowDx; }
  void SetTxtLblShadowDx(int v);
  int ShadowDy() const { return FShadowDy; }
  void SetTxtLblShadowDy(int v);
  TColor ColorShadow() const { return FColorShadow; }
  void SetTxtLblColorShadow(TColor v);
  TAlignment Alignment() const { return FAlignment; }
  void SetTxtLblAlignment(TAlignment v);
  TVerticalAlignment VertAlignment() const { return FVertAlignment; }
  void SetTxtLblVertAlignment(TVerticalAlignment v);
  TTxtLblAttachMode AttachMode() const { return FAttachMode; }
  void SetTxtLblScreenPos(TTxtLblAttachMode v);
  TColor ColorBkg() const { return FColorBkg; }
  void SetTxtLblColorBkg(TColor v);
  TColor ColorBrd() const { return FColorBrd; }
  void SetTxtLblColorBrd(TColor v);
  bool Transparent() const { return FTransparent; }
  void SetTxtLblTranspar(bool v);
  // The label's own font; SetTxtLblFont copies the attributes of f.
  TFont& Font() { return *FFont; }
  const TFont& Font() const { return *FFont; }
  void SetTxtLblFont(const TFont& f);
  const std::string& Caption() const { return FCaption; }
  // Every character below code 32 except line feed becomes a blank, so a
  // caption may hold several lines separated by line feeds.
  void SetTxtLblCaption(const std::string& v);
  TTxtLblMode Mode() const { return FMode; }
  void SetTxtLblMode(TTxtLblMode v);
  bool Visible() const { return FVisible; }
  void SetTxtLblVisible(bool v);

  // Writes the record "custtextlbl" to a text file opened with Rewrite/Append:
  // with WithHeader the XML declaration first; every line is indented by
  // Indent blanks, the child elements by two more.  The caption and the font
  // name are written with the characters < > & " escaped as entities.
  void WriteToOpenXMLFile(TextFile& F, bool WithHeader, const std::string& ID, int Indent = 0) const;
  // Reads the next record "custtextlbl" whose id equals ID (any record when ID
  // is empty; ASCII case-insensitive) from a text file opened with Reset.
  // False when no such record is found or it ends before its closing element;
  // the label is then unchanged.  Unknown elements are skipped.
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& ID);

  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  double FPosX = 100.0;
  double FPosY = 10.0;
  int FLayer = 1;
  int FShadowDx = 0;
  int FShadowDy = 0;
  TColor FColorShadow = RGB(128, 128, 128);
  TAlignment FAlignment = taCenter;
  TVerticalAlignment FVertAlignment = vaBottom;
  TTxtLblAttachMode FAttachMode = tlamNone;
  TColor FColorBkg = RGB(192, 192, 192);
  TColor FColorBrd = clBlack;
  bool FTransparent = false;
  std::unique_ptr<TFont> FFont;
  std::string FCaption;
  TTxtLblMode FMode = tlsimple;
  bool FVisible = true;
};

// ---------------------------------------------------------------- drawing routines
// Frame of style FrameStyle on the rectangle whose corner pixels are
// (Left, Top) and (Right, Bottom).  fsSimple: the outline in ColorSimple; the
// 3D styles: two nested rings (outer ring on the rectangle's edge, inner ring
// one pixel inside) in the colours of the style.  fsNone draws nothing.
void DrawFrame(TCanvas& Canvas, TFrameStyle FrameStyle, int Left, int Top, int Right, int Bottom,
               TColor ColorHighlight, TColor ColorLight, TColor ColorShadow, TColor ColorDarkShadow,
               TColor ColorSimple);
// DrawFrame in the colours of a colour scheme, with a solid 1-pixel pen:
// csBWG white, silver, grey and black (a simple frame black), csSystem the
// platform's button colours clBtnHighlight, cl3DLight, clBtnShadow,
// cl3DDkShadow (a simple frame clWindowFrame).
void DrawSchemeFrame(TCanvas& Canvas, TFrameStyle FrameStyle, TColorScheme Scheme, int Left, int Top,
                     int Right, int Bottom);
// Pixels a frame of that style takes on each side: 0 (fsNone), 1 (fsSimple), 2 (the 3D styles).
int FrameWidth(TFrameStyle FrameStyle);
// Outline with the current pen, all four corner pixels included.
void DrawRectangle(TCanvas& Canvas, int Left, int Top, int Right, int Bottom);
// Mark number MarkType centred on pixel (X, Y) in the current pen colour:
// 0..51 geometric marks (7x7 pixel patterns on raster surfaces, lines on the
// printer's surface), 200..209 the digits "0".."9", every other code the
// character of that code (code page 1252) in the current font.  The brush is
// left as it was on entry.
void DrawMarkOnCanvas(TCanvas& Canvas, uint8_t MarkType, int X, int Y);
// A square bitmap of side 2*MarkSize+7 (MarkSize clamped to 0..255) filled
// with ColorBkg and holding the mark in ColorMark at its centre.
std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t MarkType, TColor ColorMark, TColor ColorBkg,
                                            int MarkSize);
// Sets the canvas font to Size points as if the canvas had the screen's
// pixels per inch; the font keeps its own pixels per inch.
void SetCanvasFontSizeScaled(TCanvas& Canvas, int Size);
// The screen's pixels per inch used by SetCanvasFontSizeScaled.
constexpr int ScreenPixelsPerInch = 96;
// Sends the bitmap to the current page of the global printer at (X, Y) in
// printer pixels, at the bitmap's own width and height (source copy).
void PrintBitmap(const TBitmap& Bitmap, int X, int Y);
// Whether the installed font family FontName has TrueType outlines; raises
// EZOLError when the family is not installed.
bool FontIsTrueType(const std::string& FontName);

}  // namespace zol
