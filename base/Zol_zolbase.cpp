// Shared vocabulary: text tables, progress hooks, language tables, crosshairs,
// date/time label settings, text labels and the frame and mark painters.
#include "base/Zol_zolbase.h"

namespace zol {

// ---------------------------------------------------------------- text tables
const char* const xmlBkgFill[3] = {"bfSimple", "bfStretch", "bfTile"};
const char* const xmlBoundingBox[3] = {"bbNone", "bbFrame", "bbFaces"};
const char* const xmlColorScheme[2] = {"csBWG", "csSystem"};
const char* const xmlFigType[5] = {"ftNoFigs", "ftNum", "ftTime", "ftDateTime", "ftUserText"};
const char* const xmlScaleType[4] = {"sctXB", "sctXT", "sctYL", "sctYR"};
const char* const xmlVerticalAlignment[3] = {"vaTop", "vaCenter", "vaBottom"};
const char* const xmlYearLength[3] = {"ylNone", "ylYY", "ylYYYY"};
const char* const xmlDateOrder[3] = {"doMMDDYY", "doDDMMYY", "doYYMMDD"};
const char* const xmlDateForTime[4] = {"dtNone", "dtOnePerChart", "dtOnePerDay", "dtAllTicks"};
const char* const xmlShadowStyle[2] = {"ssFlying", "ssBox"};
const char* const xmlFrameStyle[6] = {"fsNone",     "fsSimple",   "fsLowered",
                                      "fsRaised",   "fsEmbossed", "fsEngraved"};
const char* const xmlTimeFormat[3] = {"tfHHMMSS", "tfHHhMM", "tfAMPM"};
const char* const xmlDirection[4] = {"dirUpward", "dirDownward", "dirLeftward", "dirRightward"};
const char* const xmlCrossHMode[5] = {"chOff", "chHoriz", "chVert", "chBoth", "chBox"};
const char* const xmlTxtLblAttachMode[4] = {"tlamNone", "tlamXOnly", "tlamYOnly", "tlamBoth"};
const char* const xmlTxtLblMode[5] = {"tlOff", "tlsimple", "tlBox", "tlUnderline", "tlShadow"};
const char* const xmlLanguage[5] = {"lgUnknown", "lgEnglish", "lgGerman", "lgFrench", "lgSpanish"};
const char* const xmlVarKind[7] = {"rnum", "dnum", "snum", "inum", "lnum", "bool", "strg"};
const char* const xmlMouseBoxState[4] = {"msNormal", "msFirstCorner", "msRectDraw", "msFinished"};
const char* const xmlMouseActMode[15] = {
    "maNone",     "maPan",        "maPanHoriz",   "maPanVert",    "maRubberBand",
    "maZoom",     "maZoomWind",   "maZoomWindPos", "maZoomDrag",  "maDragCrossH",
    "maDragLabel", "maRotate",    "maRotAndZoom", "maRotXOnly",   "maRotZOnly"};
const char* const xmlZoomState[2] = {"zsNormal", "zsDrawWin"};
const char* const xmlAlignment[3] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const xmlFontStyle[4] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

int XmlTableIndex(const char* const* Table, int Count, const std::string& Name) {
  for (int i = 0; i < Count; ++i)
    if (SameText(Table[i], Name)) return i;
  return -1;
}

// ---------------------------------------------------------------- progress hooks
int32_t ProcStat = 0;
TMathFeedBackProc MathFeedBackProc;
bool AbortMathProc = false;

// ---------------------------------------------------------------- language tables
const char* const MonthShort[NumLanguages][13] = {
    {"", "M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"},
    {"", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"", "Jän", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"", "jan", "fév", "mar", "avr", "mai", "juin", "jul", "aoû", "sep", "oct", "nov", "déc"},
    {"", "Ene", "Feb", "Mar", "Abr", "May", "Jun", "Jul", "Ago", "Sep", "Oct", "Nov", "Dic"}};

const char* const MonthLong[NumLanguages][13] = {
    {"", "M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"},
    {"", "January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"},
    {"", "Jänner", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September",
     "Oktober", "November", "Dezember"},
    {"", "janvier", "février ", "mars", "avril", "mai", "juin", "juillet", "août", "septembre",
     "octobre", "novembre", "décembre"},
    {"", "enero", "febrero", "marzo", "abril", "mai", "junio", "julio", "agosto", "septiembre",
     "octubre", "noviembre", "diciembre"}};

const char* const WeekDayShort[NumLanguages][8] = {
    {"", "D01", "D02", "D03", "D04", "D05", "D06", "D07"},
    {"", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"},
    {"", "Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"},
    {"", "lun", "mar", "mer", "jeu", "ven", "sam", "dim"},
    {"", "lun", "mar", "mie", "jue", "vie", "sab", "dom"}};

const char* const WeekDayLong[NumLanguages][8] = {
    {"", "D01", "D02", "D03", "D04", "D05", "D06", "D07"},
    {"", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"},
    {"", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"},
    {"", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"},
    {"", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado", "domingo"}};

const char* const NumWords[NumLanguages][13] = {
    {"N00", "N01", "N02", "N03", "N04", "N05", "N06", "N07", "N08", "N09", "N10", "N11", "N12"},
    {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
     "eleven", "twelve"},
    {"null", "eins", "zwei", "drei", "vier", "fünf", "sechs", "sieben", "acht", "neun", "zehn",
     "elf", "zwölf"},
    {"zéro", "celui", "deux", "trois", "quatre", "cinq", "six", "sept", "huit", "neuf", "dix",
     "onze", "douze"},
    {"cero", "uno", "dos", "tres", "cuatro", "cinco", "seis", "siete", "ocho", "nueve", "diez",
     "once", "doce"}};

const char* const LanguageID[NumLanguages][NumLanguages] = {
    {"???", "???", "???", "???", "???"},
    {"???", "English", "German", "French", "Spanish"},
    {"???", "englisch", "deutsch", "französisch", "spanisch"},
    {"???", "anglais", "allemand", "français", "espagnol"},
    {"???", "inglés", "alemán", "francés", "español"}};

const char* const ISO639_2Char[NumLanguages] = {"??", "en", "de", "fr", "es"};
const char* const ISO639_3Char[NumLanguages] = {"???", "eng", "ger", "fre", "spa"};

#define ZOL_E16 "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""
const char* const HTMLLat1Entities[256] = {
    ZOL_E16, ZOL_E16, ZOL_E16, ZOL_E16, ZOL_E16, ZOL_E16, ZOL_E16, ZOL_E16, ZOL_E16, ZOL_E16,
    "&nbsp;",   "&iexcl;",  "&cent;",   "&pound;",  "&curren;", "&yen;",    "&brvbar;", "&sect;",
    "&uml;",    "&copy;",   "&ordf;",   "&laquo;",  "&not;",    "&shy;",    "&reg;",    "&macr;",
    "&deg;",    "&plusmn;", "&sup2;",   "&sup3;",   "&acute;",  "&micro;",  "&para;",   "&middot;",
    "&cedil;",  "&sup1;",   "&ordm;",   "&raquo;",  "&frac14;", "&frac12;", "&frac34;", "&iquest;",
    "&Agrave;", "&Aacute;", "&Acirc;",  "&Atilde;", "&Auml;",   "&Aring;",  "&AElig;",  "&Ccedil;",
    "&Egrave;", "&Eacute;", "&Ecirc;",  "&Euml;",   "&Igrave;", "&Iacute;", "&Icirc;",  "&Iuml;",
    "&ETH;",    "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;",  "&Otilde;", "&Ouml;",   "&times;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;",  "&Uuml;",   "&Yacute;", "&THORN;",  "&szlig;",
    "&agrave;", "&aacute;", "&acirc;",  "&atilde;", "&auml;",   "&aring;",  "&aelig;",  "&ccedil;",
    "&egrave;", "&eacute;", "&ecirc;",  "&euml;",   "&igrave;", "&iacute;", "&icirc;",  "&iuml;",
    "&eth;",    "&ntilde;", "&ograve;", "&oacute;", "&ocirc;",  "&otilde;", "&ouml;",   "&divide;",
    "&oslash;", "&ugrave;", "&uacute;", "&ucirc;",  "&uuml;",   "&yacute;", "&thorn;",  "&yuml;"};
#undef ZOL_E16

}  // namespace zol
