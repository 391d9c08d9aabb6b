// Shared vocabulary of the ZOL Component Suite: enumerations and their text
// names for tagged-text records, event types, the base exception, the progress
// hooks of long computations, language tables, crosshairs, date/time label
// settings, text labels and the frame and mark painters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/platform/Zol_classes.h"
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

}  // namespace zol
