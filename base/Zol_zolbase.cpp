// Shared vocabulary: text tables, progress hooks, language tables, crosshairs,
// date/time label settings, text labels and the frame and mark painters.
#include "base/Zol_zolbase.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/Zol_streams.h"
#include "base/platform/Zol_fontengine.h"
#include "base/platform/Zol_printers.h"

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

// ---------------------------------------------------------------- TDTLabel
void TDTLabel::Assign(const TPersistent& Source) {
  const auto* src = dynamic_cast<const TDTLabel*>(&Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FDateSeparator = src->FDateSeparator;
  FTimeSeparator = src->FTimeSeparator;
  FYearLength = src->FYearLength;
  FMonthName = src->FMonthName;
  FDateOrder = src->FDateOrder;
  FDateForTime = src->FDateForTime;
  FTimeFormat = src->FTimeFormat;
  Changed();
}

void TDTLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TDTLabel::SetDateSeparator(char v) {
  if (v == FDateSeparator) return;
  FDateSeparator = v;
  Changed();
}

void TDTLabel::SetTimeSeparator(char v) {
  if (v == FTimeSeparator) return;
  FTimeSeparator = v;
  Changed();
}

void TDTLabel::SetYearLength(TYearLength v) {
  if (v == FYearLength) return;
  FYearLength = v;
  Changed();
}

void TDTLabel::SetMonthName(bool v) {
  if (v == FMonthName) return;
  FMonthName = v;
  Changed();
}

void TDTLabel::SetDateOrder(TDateOrder v) {
  FDateOrder = v;
  Changed();
}

void TDTLabel::SetDateForTime(TDateForTime v) {
  if (v == FDateForTime) return;
  FDateForTime = v;
  Changed();
}

void TDTLabel::SetTimeFormat(TTimeFormat v) {
  FTimeFormat = v;
  Changed();
}

// ---------------------------------------------------------------- TCrossHair
void TCrossHair::Assign(const TPersistent& Source) {
  const auto* src = dynamic_cast<const TCrossHair*>(&Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FPosX = src->FPosX;
  FPosY = src->FPosY;
  FColor = src->FColor;
  FMode = src->FMode;
  FLineType = src->FLineType;
  FLineWid = src->FLineWid;
  FLayer = src->FLayer;
  Changed();
}

void TCrossHair::Changed() {
  if (OnChange) OnChange(this);
}

void TCrossHair::SetPosX(double v) { FPosX = v; Changed(); }
void TCrossHair::SetPosY(double v) { FPosY = v; Changed(); }
void TCrossHair::SetColor(TColor v) { FColor = v; Changed(); }
void TCrossHair::SetMode(TCrossHMode v) { FMode = v; Changed(); }
void TCrossHair::SetLineType(TPenStyle v) { FLineType = v; Changed(); }
void TCrossHair::SetLineWid(int v) { FLineWid = v; Changed(); }

void TCrossHair::SetLayer(int v) {
  FLayer = v < 1 ? 1 : (v > 2 ? 2 : v);
  Changed();
}

// ---------------------------------------------------------------- TCustomTextLabel
TCustomTextLabel::TCustomTextLabel() : FFont(std::make_unique<TFont>()) {}

TCustomTextLabel::~TCustomTextLabel() = default;

void TCustomTextLabel::Assign(const TPersistent& Source) {
  const auto* src = dynamic_cast<const TCustomTextLabel*>(&Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FPosX = src->FPosX;
  FPosY = src->FPosY;
  FLayer = src->FLayer;
  FShadowDx = src->FShadowDx;
  FShadowDy = src->FShadowDy;
  FColorShadow = src->FColorShadow;
  FAlignment = src->FAlignment;
  FVertAlignment = src->FVertAlignment;
  FAttachMode = src->FAttachMode;
  FColorBkg = src->FColorBkg;
  FColorBrd = src->FColorBrd;
  FTransparent = src->FTransparent;
  FFont->Assign(*src->FFont);
  FCaption = src->FCaption;
  FMode = src->FMode;
  FVisible = src->FVisible;
  Changed();
}

void TCustomTextLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomTextLabel::SetTxtLblPosX(double v) { FPosX = v; Changed(); }
void TCustomTextLabel::SetTxtLblPosY(double v) { FPosY = v; Changed(); }

void TCustomTextLabel::SetTxtLblLayer(int v) {
  if (v < 1 || v > 16) return;
  FLayer = v;
  Changed();
}

void TCustomTextLabel::SetTxtLblShadowDx(int v) { FShadowDx = v; Changed(); }
void TCustomTextLabel::SetTxtLblShadowDy(int v) { FShadowDy = v; Changed(); }
void TCustomTextLabel::SetTxtLblColorShadow(TColor v) { FColorShadow = v; Changed(); }
void TCustomTextLabel::SetTxtLblAlignment(TAlignment v) { FAlignment = v; Changed(); }
void TCustomTextLabel::SetTxtLblVertAlignment(TVerticalAlignment v) { FVertAlignment = v; Changed(); }
void TCustomTextLabel::SetTxtLblScreenPos(TTxtLblAttachMode v) { FAttachMode = v; Changed(); }
void TCustomTextLabel::SetTxtLblColorBkg(TColor v) { FColorBkg = v; Changed(); }
void TCustomTextLabel::SetTxtLblColorBrd(TColor v) { FColorBrd = v; Changed(); }
void TCustomTextLabel::SetTxtLblTranspar(bool v) { FTransparent = v; Changed(); }
void TCustomTextLabel::SetTxtLblMode(TTxtLblMode v) { FMode = v; Changed(); }
void TCustomTextLabel::SetTxtLblVisible(bool v) { FVisible = v; Changed(); }

void TCustomTextLabel::SetTxtLblFont(const TFont& f) {
  if (&f != FFont.get()) FFont->Assign(f);
  Changed();
}

namespace {

// Control characters other than line feed become blanks.
std::string CleanCaption(const std::string& v) {
  std::string s = v;
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 32 && c != '\n') c = ' ';
  return s;
}

std::string XmlEscape(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': r += "&amp;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '"': r += "&quot;"; break;
      default: r += c;
    }
  }
  return r;
}

// Undoes XmlEscape (and &apos;); any other '&' stays as it is, so texts
// written without escapes read as before.
std::string XmlUnescape(const std::string& s) {
  static const struct {
    const char* ent;
    char ch;
  } ents[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    bool done = false;
    if (s[i] == '&') {
      for (const auto& e : ents) {
        const size_t n = std::char_traits<char>::length(e.ent);
        if (s.compare(i, n, e.ent) == 0) {
          r += e.ch;
          i += n - 1;
          done = true;
          break;
        }
      }
    }
    if (!done) r += s[i];
  }
  return r;
}

// "$" and at least six upper-case hexadecimal digits (eight for system colours).
std::string ColorText(TColor c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%06X", static_cast<unsigned>(c));
  return buf;
}

bool ParseColor(const std::string& v, TColor& c) {
  std::string t = Trim(v);
  if (!t.empty() && t[0] == '$') t.erase(0, 1);
  else if (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t.erase(0, 2);
  if (t.empty() || t.size() > 8) return false;
  uint32_t r = 0;
  for (char ch : t) {
    int d;
    if (ch >= '0' && ch <= '9') d = ch - '0';
    else if (ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
    else return false;
    r = (r << 4) | static_cast<uint32_t>(d);
  }
  c = r;
  return true;
}

// The record's number parser applied to an attribute value.
double ParseFloatAttr(const std::string& v) {
  TStringStream ss(v);
  return ScanStreamFPNum(ss, true, 1);
}

int ParseIntAttr(const std::string& v) {
  TStringStream ss(v);
  return ScanStreamDecimal(ss);
}

std::string FloatField(double v, int width) {
  std::string s = FloatToStr(v);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
  return s;
}

// Line ends inside an element's text become line feeds.
std::string NormalizeLineEnds(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      r += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      r += s[i];
    }
  }
  return r;
}

}  // namespace

void TCustomTextLabel::SetTxtLblCaption(const std::string& v) {
  FCaption = CleanCaption(v);
  Changed();
}

void TCustomTextLabel::WriteToOpenXMLFile(TextFile& F, bool WithHeader, const std::string& ID,
                                          int Indent) const {
  const std::string ind(static_cast<size_t>(Indent > 0 ? Indent : 0), ' ');
  const std::string ind2 = ind + "  ";
  if (WithHeader) WriteLn(F, ind + "<?xml version=\"1.0\"?>");
  WriteLn(F, ind);
  WriteLn(F, ind + "<!-- TCustomTextLabel / ZOL Component Suite -->");
  WriteLn(F, ind + "<custtextlbl sig=\"" + ZolSignature + "\" vers=\"" + ZolRecordVersion + "\" id=\"" +
                 XmlEscape(ID) + "\">");
  WriteLn(F, ind2 + "<posxy x=" + FloatField(FPosX, 12) + " y=" + FloatField(FPosY, 12) + " />");
  WriteLn(F, ind2 + "<caption>" + XmlEscape(FCaption) + "</caption>");
  WriteLn(F, ind2 + "<colors brd=" + ColorText(FColorBrd) + " bg=" + ColorText(FColorBkg) +
                 " shdw=" + ColorText(FColorShadow) + " />");
  WriteLn(F, ind2 + "<shadowofs dx=" + IntToStr(FShadowDx) + " dy=" + IntToStr(FShadowDy) + " />");
  WriteLn(F, ind2 + "<layer val=" + IntToStr(FLayer) + " />");
  WriteLn(F, ind2 + "<transparent val=" + (FTransparent ? "1" : "0") + " />");
  WriteLn(F, ind2 + "<visible val=" + (FVisible ? "1" : "0") + " />");
  WriteLn(F, ind2 + "<alignment horiz=" + xmlAlignment[FAlignment] +
                 " vert=" + xmlVerticalAlignment[FVertAlignment] + " />");
  WriteLn(F, ind2 + "<attachmode val=" + xmlTxtLblAttachMode[FAttachMode] + " />");
  std::string style;
  for (int i = 0; i < 4; ++i) {
    if (FFont->Style().Contains(static_cast<TFontStyle>(i))) {
      if (!style.empty()) style += ' ';
      style += xmlFontStyle[i];
    }
  }
  WriteLn(F, ind2 + "<font name=\"" + XmlEscape(FFont->Name()) + "\" size=" + IntToStr(FFont->Size()) +
                 " color=" + ColorText(FFont->Color()) + " style=\"" + style + "\" />");
  WriteLn(F, ind2 + "<style val=" + xmlTxtLblMode[FMode] + " />");
  WriteLn(F, ind + "</custtextlbl>");
}

bool TCustomTextLabel::ReadFromOpenXMLFile(TextFile& F, const std::string& ID) {
  // Locate the opening line.
  const std::string wantedID = LowerCase(ID);
  bool found = false;
  std::string line;
  while (!found && ReadLn(F, line)) {
    const std::string low = LowerCase(line);
    if (low.find("<custtextlbl") == std::string::npos || low.find("zolcsuite") == std::string::npos)
      continue;
    if (wantedID.empty()) {
      found = true;
    } else {
      const size_t p = low.find("id=\"");
      if (p == std::string::npos) continue;
      const size_t q = low.find('"', p + 4);
      const std::string id =
          XmlUnescape(Trim(low.substr(p + 4, q == std::string::npos ? std::string::npos : q - p - 4)));
      found = (id == wantedID);
    }
  }
  if (!found) return false;

  // Read the children into a copy; it is taken over at the closing element.
  TCustomTextLabel tmp;
  tmp.Assign(*this);
  const std::vector<std::string> tags = {"posxy",      "colors",    "shadowofs", "layer",
                                         "transparent", "visible",  "alignment", "caption",
                                         "attachmode",  "font",     "style",     "/custtextlbl",
                                         ""};
  enum { tPosXY, tColors, tShadow, tLayer, tTransp, tVisible, tAlign, tCaption, tAttach, tFont, tStyle,
         tEnd, tOther };
  std::string content, attr;
  for (;;) {
    const int ix = ReadNextTagInTextFile(F, tags, content, attr);
    auto get = [&attr](const char* name) { return ScanForXMLAttrib(attr, name); };
    switch (ix) {
      case tPosXY: {
        const std::string x = get("x"), y = get("y");
        if (!x.empty()) tmp.FPosX = ParseFloatAttr(x);
        if (!y.empty()) tmp.FPosY = ParseFloatAttr(y);
        break;
      }
      case tColors:
        ParseColor(get("brd"), tmp.FColorBrd);
        ParseColor(get("bg"), tmp.FColorBkg);
        ParseColor(get("shdw"), tmp.FColorShadow);
        break;
      case tShadow: {
        const std::string dx = get("dx"), dy = get("dy");
        if (!dx.empty()) tmp.FShadowDx = ParseIntAttr(dx);
        if (!dy.empty()) tmp.FShadowDy = ParseIntAttr(dy);
        break;
      }
      case tLayer: {
        const std::string v = get("val");
        if (!v.empty()) {
          const int l = ParseIntAttr(v);
          if (l >= 1 && l <= 16) tmp.FLayer = l;
        }
        break;
      }
      case tTransp: tmp.FTransparent = Trim(get("val")) == "1"; break;
      case tVisible: tmp.FVisible = Trim(get("val")) == "1"; break;
      case tAlign: {
        const int h = XmlTableIndex(xmlAlignment, Trim(get("horiz")));
        if (h >= 0) tmp.FAlignment = static_cast<TAlignment>(h);
        const int v = XmlTableIndex(xmlVerticalAlignment, Trim(get("vert")));
        if (v >= 0) tmp.FVertAlignment = static_cast<TVerticalAlignment>(v);
        break;
      }
      case tCaption: tmp.FCaption = CleanCaption(NormalizeLineEnds(XmlUnescape(content))); break;
      case tAttach: {
        const int v = XmlTableIndex(xmlTxtLblAttachMode, Trim(get("val")));
        if (v >= 0) tmp.FAttachMode = static_cast<TTxtLblAttachMode>(v);
        break;
      }
      case tFont: {
        const std::string name = XmlUnescape(get("name"));
        if (!Trim(name).empty()) tmp.FFont->SetName(name);
        const std::string size = get("size");
        if (!size.empty()) {
          const int sz = ParseIntAttr(size);
          if (sz != 0) tmp.FFont->SetSize(sz);
        }
        TColor c;
        if (ParseColor(get("color"), c)) tmp.FFont->SetColor(c);
        const std::string st = get("style");
        TFontStyles styles;
        size_t p = 0;
        while (p < st.size()) {
          while (p < st.size() && st[p] == ' ') ++p;
          size_t q = p;
          while (q < st.size() && st[q] != ' ') ++q;
          if (q > p) {
            const int f = XmlTableIndex(xmlFontStyle, st.substr(p, q - p));
            if (f >= 0) styles.Include(static_cast<TFontStyle>(f));
          }
          p = q;
        }
        tmp.FFont->SetStyle(styles);
        break;
      }
      case tStyle: {
        const int v = XmlTableIndex(xmlTxtLblMode, Trim(get("val")));
        if (v >= 0) tmp.FMode = static_cast<TTxtLblMode>(v);
        break;
      }
      case tEnd: {
        TNotifyEvent keep = OnChange;
        OnChange = nullptr;
        Assign(tmp);
        OnChange = keep;
        Changed();
        return true;
      }
      default:
        // An unknown element is skipped; the end of the file ends the read.
        if (Eof(F)) return false;
        break;
    }
  }
}

// ---------------------------------------------------------------- drawing routines
void DrawRectangle(TCanvas& Canvas, int Left, int Top, int Right, int Bottom) {
  const TPoint pts[5] = {{Left, Top}, {Left, Bottom}, {Right, Bottom}, {Right, Top}, {Left, Top}};
  Canvas.MoveTo(pts[0].X, pts[0].Y);
  for (int i = 1; i < 5; ++i) Canvas.LineTo(pts[i].X, pts[i].Y);
}

void DrawSchemeFrame(TCanvas& Canvas, TFrameStyle FrameStyle, TColorScheme Scheme, int Left, int Top,
                     int Right, int Bottom) {
  Canvas.Pen().SetStyle(psSolid);
  Canvas.Pen().SetWidth(1);
  Canvas.Pen().SetMode(pmCopy);
  if (Scheme == csSystem)
    DrawFrame(Canvas, FrameStyle, Left, Top, Right, Bottom, clBtnHighlight, cl3DLight, clBtnShadow,
              cl3DDkShadow, clWindowFrame);
  else
    DrawFrame(Canvas, FrameStyle, Left, Top, Right, Bottom, clWhite, clSilver, clGray, clBlack, clBlack);
}

int FrameWidth(TFrameStyle FrameStyle) {
  switch (FrameStyle) {
    case fsNone: return 0;
    case fsSimple: return 1;
    case fsLowered: case fsRaised: case fsEmbossed: case fsEngraved: return 2;
  }
  return 0;
}

void DrawFrame(TCanvas& Canvas, TFrameStyle FrameStyle, int Left, int Top, int Right, int Bottom,
               TColor ColorHighlight, TColor ColorLight, TColor ColorShadow, TColor ColorDarkShadow,
               TColor ColorSimple) {
  TColor tlo, bro, tli, bri;
  switch (FrameStyle) {
    case fsSimple:
      Canvas.Pen().SetColor(ColorSimple);
      DrawRectangle(Canvas, Left, Top, Right, Bottom);
      return;
    case fsLowered:
      tlo = ColorShadow; bro = ColorHighlight; tli = ColorDarkShadow; bri = ColorLight;
      break;
    case fsRaised:
      tlo = ColorHighlight; bro = ColorDarkShadow; tli = ColorLight; bri = ColorShadow;
      break;
    case fsEmbossed:
      tlo = ColorHighlight; bro = ColorShadow; tli = ColorShadow; bri = ColorHighlight;
      break;
    case fsEngraved:
      tlo = ColorShadow; bro = ColorHighlight; tli = ColorHighlight; bri = ColorShadow;
      break;
    default:
      return;
  }
  // The end point of a line is not painted, so the outer ring covers exactly
  // the rectangle and the inner ring lies one pixel inside it.
  Canvas.Pen().SetColor(tlo);
  Canvas.MoveTo(Left, Bottom);
  Canvas.LineTo(Left, Top);
  Canvas.LineTo(Right + 1, Top);
  Canvas.MoveTo(Right, Top + 1);
  Canvas.Pen().SetColor(bro);
  Canvas.LineTo(Right, Bottom);
  Canvas.LineTo(Left - 1, Bottom);
  Canvas.Pen().SetColor(tli);
  Canvas.MoveTo(Left + 1, Bottom - 1);
  Canvas.LineTo(Left + 1, Top + 1);
  Canvas.LineTo(Right, Top + 1);
  Canvas.MoveTo(Right - 1, Top + 2);
  Canvas.Pen().SetColor(bri);
  Canvas.LineTo(Right - 1, Bottom - 1);
  Canvas.LineTo(Left, Bottom - 1);
}

namespace {

// A 7x7 pattern: rows y-3..y+3, bit 6 of a row is column x-3, bit 0 column x+3.
void DrawPattern(TCanvas& c, int X, int Y, const uint8_t (&rows)[7]) {
  const TColor col = c.Pen().Color();
  for (int r = 0; r < 7; ++r)
    for (int k = 0; k < 7; ++k)
      if (rows[r] & (0x40 >> k)) c.SetPixel(X - 3 + k, Y - 3 + r, col);
}

void Line(TCanvas& c, int x1, int y1, int x2, int y2) {
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

// Closed line path through the given offsets.
void ClosedPath(TCanvas& c, int X, int Y, std::initializer_list<TPoint> pts) {
  const TPoint first = *pts.begin();
  c.MoveTo(X + first.X, Y + first.Y);
  for (auto it = pts.begin() + 1; it != pts.end(); ++it) c.LineTo(X + it->X, Y + it->Y);
  c.LineTo(X + first.X, Y + first.Y);
}

// A mark polygon (convex, offsets from (X, Y)).  Its outline runs through
// the pixels of the vertices.  A filled polygon on a raster surface paints
// every pixel whose centre lies inside or on the polygon, then the outline, so
// the mark is symmetric and has no gap between fill and outline whatever
// sampling the surface's own polygon fill uses; other surfaces get a polygon.
void Poly(TCanvas& c, int X, int Y, std::initializer_list<TPoint> pts, bool fill) {
  std::vector<TPoint> v;
  v.reserve(pts.size());
  for (const TPoint& p : pts) v.push_back({X + p.X, Y + p.Y});
  if (!fill || c.RasterBitmap() == nullptr) {
    c.Polygon(v);
    return;
  }
  int x0 = v[0].X, x1 = v[0].X, y0 = v[0].Y, y1 = v[0].Y;
  for (const TPoint& p : v) {
    x0 = std::min(x0, p.X); x1 = std::max(x1, p.X);
    y0 = std::min(y0, p.Y); y1 = std::max(y1, p.Y);
  }
  const size_t n = v.size();
  const TColor col = c.Pen().Color();
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      bool pos = false, neg = false;
      for (size_t i = 0; i < n; ++i) {
        const TPoint& a = v[i];
        const TPoint& b = v[(i + 1) % n];
        const long cross = static_cast<long>(b.X - a.X) * (y - a.Y) - static_cast<long>(b.Y - a.Y) * (x - a.X);
        if (cross > 0) pos = true;
        if (cross < 0) neg = true;
      }
      if (!(pos && neg)) c.SetPixel(x, y, col);
    }
  c.MoveTo(v[0].X, v[0].Y);
  for (size_t i = 1; i <= n; ++i) c.LineTo(v[i % n].X, v[i % n].Y);
}

void Plus(TCanvas& c, int X, int Y, int from, int to) {
  Line(c, X + from, Y, X + to, Y);
  Line(c, X, Y + from, X, Y + to);
}

// Code page 1252 text of a mark character as UTF-8.
std::string MarkChar(uint8_t code) {
  static const char16_t cp1252[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  unsigned cp = code;
  if (code >= 0x80 && code < 0xA0) cp = cp1252[code - 0x80];
  std::string s;
  if (cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) return s;  // no character in the code page
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

}  // namespace

void DrawMarkOnCanvas(TCanvas& Canvas, uint8_t MarkType, int X, int Y) {
  TCanvas& c = Canvas;
  if (MarkType >= 52) {
    std::string ch = (MarkType >= 200 && MarkType <= 209) ? std::string(1, static_cast<char>('0' + MarkType - 200))
                                                           : MarkChar(MarkType);
    if (ch.empty()) return;
    const TSize ext = c.TextExtent(ch);
    c.TextOut(X - ext.cx / 2, Y - ext.cy / 2, ch);
    return;
  }
  const bool printer = c.IsPrinterCanvas();
  const TColor penColor = c.Pen().Color();
  const TColor brushColor = c.Brush().Color();
  const TBrushStyle brushStyle = c.Brush().Style();
  auto filled = [&] {
    c.Brush().SetColor(penColor);
    c.Brush().SetStyle(bsSolid);
  };
  auto open = [&] { c.Brush().SetStyle(bsClear); };

  switch (MarkType) {
    case 0:
      c.SetPixel(X, Y, penColor);
      break;
    case 1: case 2: case 3: {
      const int a = MarkType;
      if (printer) {  // lines from -(a+1) to +(a+1), both ends included
        Plus(c, X, Y, -(a + 1), a + 2);
      } else {
        for (int i = -a; i <= a; ++i) {
          c.SetPixel(X + i, Y, penColor);
          c.SetPixel(X, Y + i, penColor);
        }
      }
      break;
    }
    case 4: case 5: case 6: {
      const int a = MarkType - 3;
      if (printer) {
        Line(c, X - a - 1, Y - a - 1, X + a + 2, Y + a + 2);
        Line(c, X - a - 1, Y + a + 1, X + a + 2, Y - a - 2);
      } else {
        for (int i = -a; i <= a; ++i) {
          c.SetPixel(X + i, Y + i, penColor);
          c.SetPixel(X + i, Y - i, penColor);
        }
      }
      break;
    }
    case 7: case 8: case 9: {
      const int a = MarkType - 6;
      filled();
      c.Rectangle(X - a, Y - a, X + a + 1, Y + a + 1);
      break;
    }
    case 10: case 11: case 12: {
      const int a = MarkType - 9;
      ClosedPath(c, X, Y, {{-a, -a}, {-a, a}, {a, a}, {a, -a}});
      break;
    }
    case 13: case 19:
      ClosedPath(c, X, Y, {{-3, 0}, {0, 3}, {3, 0}, {0, -3}});
      if (MarkType == 13) c.SetPixel(X, Y, penColor);
      break;
    case 14: case 15: {
      const int a = MarkType - 12;
      filled();
      Poly(c, X, Y, {{-a, 0}, {0, a}, {a, 0}, {0, -a}}, true);
      break;
    }
    case 16:
      open();
      c.Ellipse(X - 2, Y - 2, X + 3, Y + 3);
      break;
    case 17:
      open();
      c.Ellipse(X - 3, Y - 3, X + 4, Y + 4);
      break;
    case 18: {
      static const uint8_t pat[7] = {0x55, 0x2A, 0x55, 0x2A, 0x55, 0x2A, 0x55};
      if (printer) {
        for (int dy = -3; dy <= 3; ++dy)
          for (int dx = -3; dx <= 3; ++dx)
            if (((dx + dy) & 1) == 0) Line(c, X + dx, Y + dy, X + dx + 1, Y + dy);
      } else {
        DrawPattern(c, X, Y, pat);
      }
      break;
    }
    case 20: case 21: {
      const int a = MarkType - 17;
      Line(c, X, Y, X - a, Y + a);
      Line(c, X, Y, X + a, Y + a);
      break;
    }
    case 22: case 23: {
      const int a = MarkType - 19;
      Line(c, X, Y, X - a, Y - a);
      Line(c, X, Y, X + a, Y - a);
      break;
    }
    case 24:
      filled();
      c.Ellipse(X - 3, Y - 3, X + 4, Y + 4);
      break;
    case 25: {
      // Rows: {-3,-2,+2,+3}, {-3..-1,+1..+3}, {-2..+2}, {-1..+1}, {-2..+2}, ...
      static const uint8_t pat[7] = {0x63, 0x77, 0x3E, 0x1C, 0x3E, 0x77, 0x63};
      if (printer) {
        for (int d = -1; d <= 1; ++d) {
          Line(c, X - 3 + d, Y - 3, X + 4 + d, Y + 4);
          Line(c, X - 3 + d, Y + 3, X + 4 + d, Y - 4);
        }
      } else {
        DrawPattern(c, X, Y, pat);
      }
      break;
    }
    case 26:
      filled();
      c.Ellipse(X - 2, Y - 2, X + 3, Y + 3);
      break;
    case 27:
      open();
      c.Ellipse(X - 2, Y - 2, X + 2, Y + 2);
      break;
    case 28:
      filled();
      c.Ellipse(X - 2, Y - 2, X + 2, Y + 2);
      break;
    case 29: case 30: case 31: case 32: {
      const int a = (MarkType == 29 || MarkType == 31) ? 2 : 3;
      if (MarkType <= 30) filled(); else open();
      Poly(c, X, Y, {{-a, 0}, {0, a}, {a, 0}}, MarkType <= 30);
      break;
    }
    case 33: case 34:
      if (MarkType == 34) filled(); else open();
      Poly(c, X, Y, {{-4, -3}, {0, 4}, {4, -3}}, MarkType == 34);
      break;
    case 35: case 36:
      if (MarkType == 36) filled(); else open();
      Poly(c, X, Y, {{-4, 3}, {0, -4}, {4, 3}}, MarkType == 36);
      break;
    case 37:
      Line(c, X - 3, Y, X + 4, Y);
      Line(c, X, Y, X, Y - 8);
      break;
    case 38:
      Line(c, X - 3, Y - 2, X + 4, Y - 2);
      Line(c, X - 3, Y + 2, X + 4, Y + 2);
      Line(c, X, Y - 2, X, Y + 2);
      break;
    case 39:
      open();
      c.Ellipse(X - 3, Y - 3, X + 4, Y + 4);
      Plus(c, X, Y, -3, 4);
      break;
    case 40: case 41:
      if (MarkType == 41) filled(); else open();
      Poly(c, X, Y, {{3, -2}, {-2, 0}, {3, 2}}, MarkType == 41);
      break;
    case 42: case 43:
      if (MarkType == 43) filled(); else open();
      Poly(c, X, Y, {{4, -3}, {-3, 0}, {4, 3}}, MarkType == 43);
      break;
    case 44: case 45:
      if (MarkType == 45) filled(); else open();
      Poly(c, X, Y, {{-3, -2}, {2, 0}, {-3, 2}}, MarkType == 45);
      break;
    case 46: case 47:
      if (MarkType == 47) filled(); else open();
      Poly(c, X, Y, {{-4, -3}, {3, 0}, {-4, 3}}, MarkType == 47);
      break;
    case 48:
      open();
      c.Rectangle(X - 3, Y - 3, X + 4, Y + 4);
      Plus(c, X, Y, -3, 4);
      break;
    case 49:
      open();
      c.Rectangle(X - 2, Y - 2, X + 3, Y + 3);
      Plus(c, X, Y, -4, 5);
      break;
    case 50:
      Plus(c, X, Y, -4, 5);
      Line(c, X - 3, Y - 3, X + 4, Y + 4);
      Line(c, X - 3, Y + 3, X + 4, Y - 4);
      break;
    case 51:
      Plus(c, X, Y, -4, 5);
      Line(c, X - 1, Y - 3, X + 2, Y - 3);
      Line(c, X - 1, Y + 3, X + 2, Y + 3);
      Line(c, X - 3, Y - 1, X - 3, Y + 2);
      Line(c, X + 3, Y - 1, X + 3, Y + 2);
      break;
    default:
      break;
  }
  if (c.Brush().Color() != brushColor) c.Brush().SetColor(brushColor);
  if (c.Brush().Style() != brushStyle) c.Brush().SetStyle(brushStyle);
}

std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t MarkType, TColor ColorMark, TColor ColorBkg,
                                            int MarkSize) {
  if (MarkSize < 0) MarkSize = 0;
  if (MarkSize > 255) MarkSize = 255;
  const int side = 2 * MarkSize + 7;
  auto bmp = std::make_unique<TBitmap>(side, side);
  TCanvas& c = bmp->Canvas();
  c.Pen().SetColor(ColorBkg);
  c.Pen().SetStyle(psSolid);
  c.Brush().SetColor(ColorBkg);
  c.Brush().SetStyle(bsSolid);
  c.Rectangle(0, 0, side, side);
  c.Pen().SetColor(ColorMark);
  c.Font().SetColor(ColorMark);
  DrawMarkOnCanvas(c, MarkType, MarkSize + 3, MarkSize + 3);
  return bmp;
}

void SetCanvasFontSizeScaled(TCanvas& Canvas, int Size) {
  TFont& f = Canvas.Font();
  const int own = f.PixelsPerInch();
  if (own != ScreenPixelsPerInch) {
    f.SetPixelsPerInch(ScreenPixelsPerInch);
    f.SetSize(Size);
    f.SetPixelsPerInch(own);
  } else {
    f.SetSize(Size);
  }
}

void PrintBitmap(const TBitmap& Bitmap, int X, int Y) {
  if (Bitmap.Empty()) return;
  const int w = Bitmap.Width(), h = Bitmap.Height();
  Printer().Canvas().StretchBitmap(Rect(X, Y, X + w, Y + h), Bitmap, Rect(0, 0, w, h), cmSrcCopy);
}

bool FontIsTrueType(const std::string& FontName) {
  if (!FontEngine::IsInstalled(FontName))
    throw EZOLError("FontIsTrueType: font \"" + FontName + "\" is not installed");
  return FontEngine::IsTrueType(FontName);
}

}  // namespace zol
