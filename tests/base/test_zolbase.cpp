// Shared vocabulary: text tables, language tables, crosshairs, date/time label
// settings, the text label and its tagged-text record, frames and marks.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_printers.h"

using namespace zol;

namespace {

// Number of UTF-8 characters.
size_t Utf8Chars(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string TempPath(const std::string& name) { return GetTempDirectory() + "zolbase_" + name; }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteWholeFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

}  // namespace

// ---------------------------------------------------------------- text tables

// The text tables must name the enumerators in declaration order.
#define ZOL_EXPECT_NAME(table, value) EXPECT_STREQ(table[value], #value)

TEST(ZolBaseTables, XmlTablesNameTheEnumeratorsInOrder) {
  ZOL_EXPECT_NAME(xmlBkgFill, bfTile);
  ZOL_EXPECT_NAME(xmlBoundingBox, bbFaces);
  ZOL_EXPECT_NAME(xmlColorScheme, csSystem);
  ZOL_EXPECT_NAME(xmlFigType, ftDateTime);
  ZOL_EXPECT_NAME(xmlFigType, ftUserText);
  ZOL_EXPECT_NAME(xmlScaleType, sctYL);
  ZOL_EXPECT_NAME(xmlScaleType, sctYR);
  ZOL_EXPECT_NAME(xmlVerticalAlignment, vaCenter);
  ZOL_EXPECT_NAME(xmlVerticalAlignment, vaBottom);
  ZOL_EXPECT_NAME(xmlYearLength, ylYYYY);
  ZOL_EXPECT_NAME(xmlDateOrder, doYYMMDD);
  ZOL_EXPECT_NAME(xmlDateForTime, dtAllTicks);
  ZOL_EXPECT_NAME(xmlShadowStyle, ssBox);
  ZOL_EXPECT_NAME(xmlFrameStyle, fsRaised);
  ZOL_EXPECT_NAME(xmlFrameStyle, fsEngraved);
  ZOL_EXPECT_NAME(xmlTimeFormat, tfHHhMM);
  ZOL_EXPECT_NAME(xmlTimeFormat, tfAMPM);
  ZOL_EXPECT_NAME(xmlDirection, dirRightward);
  ZOL_EXPECT_NAME(xmlCrossHMode, chBox);
  ZOL_EXPECT_NAME(xmlTxtLblAttachMode, tlamBoth);
  ZOL_EXPECT_NAME(xmlTxtLblMode, tlsimple);
  ZOL_EXPECT_NAME(xmlTxtLblMode, tlShadow);
  ZOL_EXPECT_NAME(xmlLanguage, lgSpanish);
  ZOL_EXPECT_NAME(xmlVarKind, strg);
  EXPECT_STREQ(xmlVarKind[Bool], "bool");  // the one lower-case name
  ZOL_EXPECT_NAME(xmlMouseBoxState, msFinished);
  ZOL_EXPECT_NAME(xmlMouseActMode, maZoomWindPos);
  ZOL_EXPECT_NAME(xmlMouseActMode, maDragLabel);
  ZOL_EXPECT_NAME(xmlMouseActMode, maRotZOnly);
  ZOL_EXPECT_NAME(xmlZoomState, zsDrawWin);
  ZOL_EXPECT_NAME(xmlAlignment, taCenter);
  ZOL_EXPECT_NAME(xmlAlignment, taRightJustify);
  ZOL_EXPECT_NAME(xmlFontStyle, fsStrikeOut);
  ZOL_EXPECT_NAME(xmlFontStyle, fsUnderline);
  // Lookup by name ignores ASCII case; unknown names give -1.
  EXPECT_EQ(XmlTableIndex(xmlMouseActMode, "MAROTXONLY"), maRotXOnly);
  EXPECT_EQ(XmlTableIndex(xmlVarKind, "Bool"), Bool);
  EXPECT_EQ(XmlTableIndex(xmlFrameStyle, "fsFlat"), -1);
  EXPECT_EQ(XmlTableIndex(xmlFrameStyle, ""), -1);
}

TEST(ZolBaseTables, EnglishNamesMatchTheCLocale) {
  // strftime in the C locale is an independent source of the English names.
  ASSERT_NE(std::setlocale(LC_TIME, "C"), nullptr);
  for (int m = 1; m <= 12; ++m) {
    std::tm t{};
    t.tm_mon = m - 1;
    char buf[32];
    std::strftime(buf, sizeof buf, "%b", &t);
    EXPECT_STREQ(MonthShort[lgEnglish][m], buf);
    std::strftime(buf, sizeof buf, "%B", &t);
    EXPECT_STREQ(MonthLong[lgEnglish][m], buf);
  }
  for (int d = 1; d <= 7; ++d) {
    std::tm t{};
    t.tm_wday = d % 7;  // day 1 is Monday, tm_wday 0 is Sunday
    char buf[32];
    std::strftime(buf, sizeof buf, "%a", &t);
    EXPECT_STREQ(WeekDayShort[lgEnglish][d], buf);
    std::strftime(buf, sizeof buf, "%A", &t);
    EXPECT_STREQ(WeekDayLong[lgEnglish][d], buf);
  }
}

TEST(ZolBaseTables, LanguageTablesKeepTheirCapacitiesAndPlaceholders) {
  char buf[16];
  for (int lg = 0; lg < NumLanguages; ++lg) {
    for (int m = 1; m <= 12; ++m) {
      EXPECT_LE(Utf8Chars(MonthShort[lg][m]), 4u) << lg << " " << m;
      EXPECT_LE(Utf8Chars(MonthLong[lg][m]), 10u) << lg << " " << m;
      EXPECT_GT(Utf8Chars(MonthShort[lg][m]), 1u);
      EXPECT_TRUE(IsValidUtf8(MonthLong[lg][m]));
    }
    for (int d = 1; d <= 7; ++d) {
      EXPECT_LE(Utf8Chars(WeekDayShort[lg][d]), 3u);
      EXPECT_LE(Utf8Chars(WeekDayLong[lg][d]), 10u);
      EXPECT_TRUE(IsValidUtf8(WeekDayLong[lg][d]));
    }
    for (int n = 0; n <= 12; ++n) {
      EXPECT_LE(Utf8Chars(NumWords[lg][n]), 6u);
      EXPECT_TRUE(IsValidUtf8(NumWords[lg][n]));
    }
    for (int k = 0; k < NumLanguages; ++k) EXPECT_LE(Utf8Chars(LanguageID[lg][k]), 15u);
  }
  // The neutral row numbers its entries.
  for (int m = 1; m <= 12; ++m) {
    std::snprintf(buf, sizeof buf, "M%02d", m);
    EXPECT_STREQ(MonthShort[lgUnknown][m], buf);
    EXPECT_STREQ(MonthLong[lgUnknown][m], buf);
  }
  for (int d = 1; d <= 7; ++d) {
    std::snprintf(buf, sizeof buf, "D%02d", d);
    EXPECT_STREQ(WeekDayLong[lgUnknown][d], buf);
  }
  EXPECT_STREQ(NumWords[lgUnknown][12], "N12");
  // Non-ASCII names are stored as UTF-8 and the one trailing blank is kept.
  EXPECT_STREQ(MonthShort[lgGerman][1], "J\xC3\xA4n");
  EXPECT_STREQ(MonthLong[lgFrench][2], "f\xC3\xA9vrier ");
  EXPECT_STREQ(WeekDayLong[lgSpanish][3], "mi\xC3\xA9rcoles");
  EXPECT_STREQ(NumWords[lgGerman][12], "zw\xC3\xB6lf");
  for (int lg = 0; lg < NumLanguages; ++lg) {
    EXPECT_STREQ(LanguageID[lgUnknown][lg], "???");
    EXPECT_STREQ(LanguageID[lg][lgUnknown], "???");
  }
  EXPECT_STREQ(LanguageID[lgGerman][lgFrench], "franz\xC3\xB6sisch");
  EXPECT_STREQ(ISO639_2Char[lgSpanish], "es");
  EXPECT_STREQ(ISO639_3Char[lgGerman], "ger");
  EXPECT_STREQ(ISO639_3Char[lgUnknown], "???");
}

TEST(ZolBaseTables, LatinOneEntitiesMatchThePythonTable) {
  std::ifstream f(ZOL_TEST_SRC_DIR "/data/lat1_entities.txt");
  ASSERT_TRUE(f.good());
  int cp, count = 0;
  std::string name;
  while (f >> cp >> name) {
    EXPECT_EQ(std::string(HTMLLat1Entities[cp]), "&" + name + ";") << cp;
    EXPECT_LE(std::string(HTMLLat1Entities[cp]).size(), 8u);
    ++count;
  }
  EXPECT_EQ(count, 96);
  EXPECT_STREQ(HTMLLat1Entities[159], "");
}

TEST(ZolBaseHooks, ProgressHooksStartEmpty) {
  EXPECT_EQ(ProcStat, 0);
  EXPECT_FALSE(static_cast<bool>(MathFeedBackProc));
  EXPECT_FALSE(AbortMathProc);
  EXPECT_THROW(throw EZOLError("x: y"), Exception);
}

// ---------------------------------------------------------------- crosshair and date labels

TEST(ZolBaseCrossHair, LayerIsClampedAndEverySetFiresOnChange) {
  TCrossHair ch;
  int fired = 0;
  ch.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &ch);
    ++fired;
  };
  ch.SetLayer(0);
  EXPECT_EQ(ch.Layer(), 1);
  ch.SetLayer(5);
  EXPECT_EQ(ch.Layer(), 2);
  ch.SetLayer(-7);
  EXPECT_EQ(ch.Layer(), 1);
  EXPECT_EQ(fired, 3);
  ch.SetPosX(0.0);  // the same value fires as well
  ch.SetPosX(0.0);
  ch.SetMode(chBoth);
  ch.SetLineType(psDot);
  ch.SetLineWid(3);
  ch.SetColor(clRed);
  EXPECT_EQ(fired, 9);
  EXPECT_EQ(ch.Mode(), chBoth);
  EXPECT_EQ(ch.LineType(), psDot);
  EXPECT_EQ(ch.LineWid(), 3);
  EXPECT_EQ(ch.Color(), clRed);
}

TEST(ZolBaseDTLabel, SettersFireOnChangeAsDescribed) {
  TDTLabel dl;
  EXPECT_EQ(dl.DateSeparator(), '-');
  EXPECT_EQ(dl.TimeSeparator(), ':');
  EXPECT_EQ(dl.YearLength(), ylYYYY);
  EXPECT_TRUE(dl.MonthName());
  EXPECT_EQ(dl.DateOrder(), doDDMMYY);
  EXPECT_EQ(dl.DateForTime(), dtOnePerDay);
  EXPECT_EQ(dl.TimeFormat(), tfHHMMSS);
  int fired = 0;
  dl.OnChange = [&](TObject*) { ++fired; };
  // Unchanged values do not fire for these.
  dl.SetDateSeparator('-');
  dl.SetTimeSeparator(':');
  dl.SetYearLength(ylYYYY);
  dl.SetMonthName(true);
  dl.SetDateForTime(dtOnePerDay);
  EXPECT_EQ(fired, 0);
  dl.SetDateSeparator('/');
  dl.SetMonthName(false);
  EXPECT_EQ(fired, 2);
  // Date order and time format always fire.
  dl.SetDAteOrder(doDDMMYY);
  dl.SetTimeFormat(tfHHMMSS);
  EXPECT_EQ(fired, 4);
}

// ---------------------------------------------------------------- text label

TEST(ZolBaseTextLabel, DefaultsAndSetters) {
  TCustomTextLabel tl;
  EXPECT_EQ(tl.PosX(), 100.0);
  EXPECT_EQ(tl.PosY(), 10.0);
  EXPECT_EQ(tl.Layer(), 1);
  EXPECT_EQ(tl.ColorShadow(), RGB(128, 128, 128));
  EXPECT_EQ(tl.ColorBkg(), RGB(192, 192, 192));
  EXPECT_EQ(tl.ColorBrd(), clBlack);
  EXPECT_EQ(tl.Alignment(), taCenter);
  EXPECT_EQ(tl.VertAlignment(), vaBottom);
  EXPECT_EQ(tl.AttachMode(), tlamNone);
  EXPECT_EQ(tl.Mode(), tlsimple);
  EXPECT_TRUE(tl.Visible());
  EXPECT_FALSE(tl.Transparent());
  EXPECT_EQ(tl.Caption(), "");
  int fired = 0;
  tl.OnChange = [&](TObject*) { ++fired; };
  tl.SetTxtLblLayer(17);
  tl.SetTxtLblLayer(0);
  EXPECT_EQ(tl.Layer(), 1);
  EXPECT_EQ(fired, 0);
  tl.SetTxtLblLayer(16);
  EXPECT_EQ(tl.Layer(), 16);
  EXPECT_EQ(fired, 1);
  tl.SetTxtLblCaption("a\tb\nc\rd\x01");
  EXPECT_EQ(tl.Caption(), "a b\nc d ");
  EXPECT_EQ(fired, 2);
  TFont f;
  f.SetName("DejaVu Serif");
  f.SetSize(14);
  f.SetStyle({fsBold});
  tl.SetTxtLblFont(f);
  EXPECT_EQ(tl.Font().Name(), "DejaVu Serif");
  EXPECT_EQ(tl.Font().Size(), 14);
  EXPECT_TRUE(tl.Font().Style().Contains(fsBold));
  EXPECT_EQ(fired, 3);
}

namespace {

void FillLabel(TCustomTextLabel& tl) {
  tl.SetTxtLblPosX(-12.625);
  tl.SetTxtLblPosY(3.0e-7);
  tl.SetTxtLblLayer(7);
  tl.SetTxtLblShadowDx(-3);
  tl.SetTxtLblShadowDy(4);
  tl.SetTxtLblColorShadow(RGB(1, 2, 3));
  tl.SetTxtLblAlignment(taRightJustify);
  tl.SetTxtLblVertAlignment(vaTop);
  tl.SetTxtLblScreenPos(tlamYOnly);
  tl.SetTxtLblColorBkg(clBtnFace);  // a system colour needs all eight digits
  tl.SetTxtLblColorBrd(RGB(0xAB, 0xCD, 0xEF));
  tl.SetTxtLblTranspar(true);
  tl.SetTxtLblVisible(false);
  tl.Font().SetName("Liberation Mono");
  tl.Font().SetSize(13);
  tl.Font().SetColor(RGB(10, 20, 30));
  tl.Font().SetStyle({fsItalic, fsStrikeOut});
  tl.SetTxtLblMode(tlUnderline);
  tl.SetTxtLblCaption("a<b> & \"c\"\n</caption> &amp; <custtextlbl sig=\"ZOLCSuite\" id=\"x\">");
}

void ExpectSameLabel(const TCustomTextLabel& a, const TCustomTextLabel& b) {
  EXPECT_EQ(a.PosX(), b.PosX());
  EXPECT_EQ(a.PosY(), b.PosY());
  EXPECT_EQ(a.Layer(), b.Layer());
  EXPECT_EQ(a.ShadowDx(), b.ShadowDx());
  EXPECT_EQ(a.ShadowDy(), b.ShadowDy());
  EXPECT_EQ(a.ColorShadow(), b.ColorShadow());
  EXPECT_EQ(a.Alignment(), b.Alignment());
  EXPECT_EQ(a.VertAlignment(), b.VertAlignment());
  EXPECT_EQ(a.AttachMode(), b.AttachMode());
  EXPECT_EQ(a.ColorBkg(), b.ColorBkg());
  EXPECT_EQ(a.ColorBrd(), b.ColorBrd());
  EXPECT_EQ(a.Transparent(), b.Transparent());
  EXPECT_EQ(a.Visible(), b.Visible());
  EXPECT_EQ(a.Font().Name(), b.Font().Name());
  EXPECT_EQ(a.Font().Size(), b.Font().Size());
  EXPECT_EQ(a.Font().Color(), b.Font().Color());
  EXPECT_EQ(a.Font().Style(), b.Font().Style());
  EXPECT_EQ(a.Mode(), b.Mode());
  EXPECT_EQ(a.Caption(), b.Caption());
}

}  // namespace

TEST(ZolBaseTextLabel, WriterProducesTheRecordLayout) {
  TCustomTextLabel tl;
  tl.SetTxtLblCaption("Peak 1 & 2");
  tl.Font().SetStyle({fsBold, fsUnderline});
  const std::string path = TempPath("layout.xml");
  TextFile F;
  AssignFile(F, path);
  Rewrite(F);
  tl.WriteToOpenXMLFile(F, true, "Lbl1", 2);
  CloseFile(F);
  const std::string expected =
      "  <?xml version=\"1.0\"?>\n"
      "  \n"
      "  <!-- TCustomTextLabel / ZOL Component Suite -->\n"
      "  <custtextlbl sig=\"ZOLCSuite\" vers=\"1.0\" id=\"Lbl1\">\n"
      "    <posxy x=         100 y=          10 />\n"
      "    <caption>Peak 1 &amp; 2</caption>\n"
      "    <colors brd=$000000 bg=$C0C0C0 shdw=$808080 />\n"
      "    <shadowofs dx=0 dy=0 />\n"
      "    <layer val=1 />\n"
      "    <transparent val=0 />\n"
      "    <visible val=1 />\n"
      "    <alignment horiz=taCenter vert=vaBottom />\n"
      "    <attachmode val=tlamNone />\n"
      "    <font name=\"Arial\" size=8 color=$000000 style=\"fsBold fsUnderline\" />\n"
      "    <style val=tlsimple />\n"
      "  </custtextlbl>\n";
  EXPECT_EQ(ReadWholeFile(path), expected);
  DeleteFile(path);
}

TEST(ZolBaseTextLabel, RecordRoundTripsIncludingEscapesFontAndModes) {
  TCustomTextLabel src, other;
  FillLabel(src);
  other.SetTxtLblCaption("second");
  const std::string path = TempPath("roundtrip.xml");
  TextFile F;
  AssignFile(F, path);
  Rewrite(F);
  other.WriteToOpenXMLFile(F, true, "first", 0);
  src.WriteToOpenXMLFile(F, false, "Wanted", 4);
  CloseFile(F);

  TCustomTextLabel dst;
  int fired = 0;
  dst.OnChange = [&](TObject*) { ++fired; };
  AssignFile(F, path);
  Reset(F);
  EXPECT_TRUE(dst.ReadFromOpenXMLFile(F, "wanted"));  // id compared ignoring case
  CloseFile(F);
  ExpectSameLabel(dst, src);
  EXPECT_EQ(fired, 1);

  // An empty ID takes the first record.
  TCustomTextLabel first;
  AssignFile(F, path);
  Reset(F);
  EXPECT_TRUE(first.ReadFromOpenXMLFile(F, ""));
  CloseFile(F);
  EXPECT_EQ(first.Caption(), "second");
  DeleteFile(path);
}

TEST(ZolBaseTextLabel, ReaderFailsWithoutMatchingOrCompleteRecord) {
  TCustomTextLabel src;
  FillLabel(src);
  const std::string path = TempPath("missing.xml");
  TextFile F;
  AssignFile(F, path);
  Rewrite(F);
  src.WriteToOpenXMLFile(F, true, "one", 0);
  CloseFile(F);

  TCustomTextLabel dst, fresh;
  int fired = 0;
  dst.OnChange = [&](TObject*) { ++fired; };
  AssignFile(F, path);
  Reset(F);
  EXPECT_FALSE(dst.ReadFromOpenXMLFile(F, "two"));
  CloseFile(F);
  ExpectSameLabel(dst, fresh);
  EXPECT_EQ(fired, 0);

  // A record cut before its closing element leaves the label unchanged.
  std::string text = ReadWholeFile(path);
  text.resize(text.find("<attachmode"));
  WriteWholeFile(path, text);
  AssignFile(F, path);
  Reset(F);
  EXPECT_FALSE(dst.ReadFromOpenXMLFile(F, "one"));
  CloseFile(F);
  ExpectSameLabel(dst, fresh);
  EXPECT_EQ(fired, 0);
  DeleteFile(path);
}

TEST(ZolBaseTextLabel, ReaderAcceptsHandWrittenAndOlderRecords) {
  // Written without escapes, other spacing and case, an unknown element, an
  // unknown alignment name and CR LF line ends.
  const std::string path = TempPath("older.xml");
  WriteWholeFile(path,
                 "<?xml version=\"1.0\"?>\r\n"
                 "<CustTextLbl sig=\"ZOLCSUITE\" vers=\"1.0\" id=\" Old \">\r\n"
                 "<posxy x=1.5E+0002 y=  -2 />\r\n"
                 "<unknown a=1 />\r\n"
                 "<caption>x<y & z\r\nline 2</caption>\r\n"
                 "<colors brd=$0000FF bg=$00FF00 shdw=$FF0000 />\r\n"
                 "<layer val=40 />\r\n"
                 "<alignment horiz=taNowhere vert=vaCenter />\r\n"
                 "<visible val=0 />\r\n"
                 "</custtextlbl>\r\n");
  TCustomTextLabel tl;
  TextFile F;
  AssignFile(F, path);
  Reset(F);
  EXPECT_TRUE(tl.ReadFromOpenXMLFile(F, "OLD"));
  CloseFile(F);
  EXPECT_EQ(tl.PosX(), 150.0);
  EXPECT_EQ(tl.PosY(), -2.0);
  EXPECT_EQ(tl.Caption(), "x<y & z\nline 2");
  EXPECT_EQ(tl.ColorBrd(), clRed);
  EXPECT_EQ(tl.ColorBkg(), clLime);
  EXPECT_EQ(tl.ColorShadow(), clBlue);
  EXPECT_EQ(tl.Layer(), 1);             // out of range: unchanged
  EXPECT_EQ(tl.Alignment(), taCenter);  // unknown name: unchanged
  EXPECT_EQ(tl.VertAlignment(), vaCenter);
  EXPECT_FALSE(tl.Visible());
  EXPECT_EQ(tl.Font().Name(), "Arial");  // no font element: unchanged
  DeleteFile(path);
}

// ---------------------------------------------------------------- frames

namespace {

// Colours of the pixels of a bitmap as a map from point to colour, white omitted.
std::map<std::pair<int, int>, TColor> Painted(const TBitmap& b) {
  std::map<std::pair<int, int>, TColor> m;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.GetPixel(x, y) != clWhite) m[{x, y}] = b.GetPixel(x, y);
  return m;
}

constexpr TColor cHi = RGB(250, 0, 0), cLi = RGB(0, 250, 0), cSh = RGB(0, 0, 250),
                 cDk = RGB(250, 250, 0), cSi = RGB(0, 250, 250);

}  // namespace

TEST(ZolBaseFrame, SimpleFramePaintsExactlyTheEdges) {
  TBitmap b(20, 20);
  DrawFrame(b.Canvas(), fsSimple, 3, 4, 12, 10, cHi, cLi, cSh, cDk, cSi);
  const auto m = Painted(b);
  size_t n = 0;
  for (int y = 4; y <= 10; ++y)
    for (int x = 3; x <= 12; ++x) {
      const bool edge = x == 3 || x == 12 || y == 4 || y == 10;
      if (!edge) continue;
      ++n;
      ASSERT_TRUE(m.count({x, y})) << x << "," << y;
      EXPECT_EQ(m.at({x, y}), cSi);
    }
  EXPECT_EQ(m.size(), n);
  // fsNone draws nothing.
  TBitmap e(20, 20);
  DrawFrame(e.Canvas(), fsNone, 3, 4, 12, 10, cHi, cLi, cSh, cDk, cSi);
  EXPECT_TRUE(Painted(e).empty());
}

TEST(ZolBaseFrame, ThreeDStylesPaintTwoRingsInsideTheRectangle) {
  // Colours per style: TL-outer, BR-outer, TL-inner, BR-inner.
  const struct {
    TFrameStyle fs;
    TColor tlo, bro, tli, bri;
  } cases[] = {{fsLowered, cSh, cHi, cDk, cLi},
               {fsRaised, cHi, cDk, cLi, cSh},
               {fsEmbossed, cHi, cSh, cSh, cHi},
               {fsEngraved, cSh, cHi, cHi, cSh}};
  const int L = 2, T = 3, R = 11, B = 9;
  for (const auto& c : cases) {
    TBitmap b(16, 16);
    DrawFrame(b.Canvas(), c.fs, L, T, R, B, cHi, cLi, cSh, cDk, cSi);
    const auto m = Painted(b);
    std::map<std::pair<int, int>, TColor> want;
    // Outer ring: the left column and top row in TL-outer, then the right
    // column and bottom row in BR-outer (which owns the bottom-left corner).
    for (int y = T; y <= B; ++y) want[{L, y}] = c.tlo;
    for (int x = L; x <= R; ++x) want[{x, T}] = c.tlo;
    for (int y = T + 1; y <= B; ++y) want[{R, y}] = c.bro;
    for (int x = L; x <= R; ++x) want[{x, B}] = c.bro;
    // Inner ring one pixel inside.
    for (int y = T + 1; y <= B - 1; ++y) want[{L + 1, y}] = c.tli;
    for (int x = L + 1; x <= R - 1; ++x) want[{x, T + 1}] = c.tli;
    for (int y = T + 2; y <= B - 1; ++y) want[{R - 1, y}] = c.bri;
    for (int x = L + 1; x <= R - 1; ++x) want[{x, B - 1}] = c.bri;
    EXPECT_EQ(m, want) << xmlFrameStyle[c.fs];
  }
}

TEST(ZolBaseFrame, DrawRectanglePaintsAllCorners) {
  TBitmap b(10, 10);
  b.Canvas().Pen().SetColor(clBlack);
  DrawRectangle(b.Canvas(), 1, 1, 5, 7);
  const auto m = Painted(b);
  EXPECT_EQ(m.size(), 20u);  // 2 * 5 + 2 * 7 - 4 corners
  for (auto p : {std::pair{1, 1}, std::pair{5, 1}, std::pair{1, 7}, std::pair{5, 7}}) EXPECT_TRUE(m.count(p));
}

// ---------------------------------------------------------------- marks

namespace {

struct MarkMask {
  int code;
  int left, top;  // offsets of the first column and row from the centre
  std::vector<const char*> rows;
};

// Expected pixels of every geometric mark, written from the shapes they are
// made of: lines do not paint their end point, boxes exclude their right and
// bottom edge, filled shapes are outline plus interior.
const std::vector<MarkMask>& Masks() {
  static const std::vector<MarkMask> m = {
      {0, 0, 0, {"#"}},
      {1, -1, -1, {".#.", "###", ".#."}},
      {2, -2, -2, {"..#..", "..#..", "#####", "..#..", "..#.."}},
      {3, -3, -3, {"...#...", "...#...", "...#...", "#######", "...#...", "...#...", "...#..."}},
      {4, -1, -1, {"#.#", ".#.", "#.#"}},
      {5, -2, -2, {"#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
      {6, -3, -3, {"#.....#", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#.....#"}},
      {7, -1, -1, {"###", "###", "###"}},
      {8, -2, -2, {"#####", "#####", "#####", "#####", "#####"}},
      {9, -3, -3, {"#######", "#######", "#######", "#######", "#######", "#######", "#######"}},
      {10, -1, -1, {"###", "#.#", "###"}},
      {11, -2, -2, {"#####", "#...#", "#...#", "#...#", "#####"}},
      {12, -3, -3, {"#######", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#", "#######"}},
      {13, -3, -3, {"...#...", "..#.#..", ".#...#.", "#..#..#", ".#...#.", "..#.#..", "...#..."}},
      {14, -2, -2, {"..#..", ".###.", "#####", ".###.", "..#.."}},
      {15, -3, -3, {"...#...", "..###..", ".#####.", "#######", ".#####.", "..###..", "...#..."}},
      {16, -2, -2, {".###.", "#...#", "#...#", "#...#", ".###."}},
      {17, -3, -3, {"..###..", ".#...#.", "#.....#", "#.....#", "#.....#", ".#...#.", "..###.."}},
      {18, -3, -3, {"#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#"}},
      {19, -3, -3, {"...#...", "..#.#..", ".#...#.", "#.....#", ".#...#.", "..#.#..", "...#..."}},
      {20, -2, 0, {"..#..", ".#.#.", "#...#"}},
      {21, -3, 0, {"...#...", "..#.#..", ".#...#.", "#.....#"}},
      {22, -2, -2, {"#...#", ".#.#.", "..#.."}},
      {23, -3, -3, {"#.....#", ".#...#.", "..#.#..", "...#..."}},
      {24, -3, -3, {"..###..", ".#####.", "#######", "#######", "#######", ".#####.", "..###.."}},
      {25, -3, -3, {"##...##", "###.###", ".#####.", "..###..", ".#####.", "###.###", "##...##"}},
      {26, -2, -2, {".###.", "#####", "#####", "#####", ".###."}},
      {27, -2, -2, {".##.", "#..#", "#..#", ".##."}},
      {28, -2, -2, {".##.", "####", "####", ".##."}},
      {29, -2, 0, {"#####", ".###.", "..#.."}},
      {30, -3, 0, {"#######", ".#####.", "..###..", "...#..."}},
      {31, -2, 0, {"#####", ".#.#.", "..#.."}},
      {32, -3, 0, {"#######", ".#...#.", "..#.#..", "...#..."}},
      {33, -4, -3,
       {"#########", ".#.....#.", ".#.....#.", "..#...#..", "..#...#..", "...#.#...", "...#.#...",
        "....#...."}},
      {34, -4, -3,
       {"#########", ".#######.", ".#######.", "..#####..", "..#####..", "...###...", "...###...",
        "....#...."}},
      {35, -4, -4,
       {"....#....", "...#.#...", "...#.#...", "..#...#..", "..#...#..", ".#.....#.", ".#.....#.",
        "#########"}},
      {36, -4, -4,
       {"....#....", "...###...", "...###...", "..#####..", "..#####..", ".#######.", ".#######.",
        "#########"}},
      {37, -3, -7,
       {"...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "#######"}},
      {38, -3, -2, {"#######", "...#...", "...#...", "...#...", "#######"}},
      {39, -3, -3, {"..###..", ".#.#.#.", "#..#..#", "#######", "#..#..#", ".#.#.#.", "..###.."}},
      {40, -2, -2, {"....##", "..##.#", "##...#", "..##.#", "....##"}},
      {41, -2, -2, {"....##", "..####", "######", "..####", "....##"}},
      {42, -3, -3, {"......##", "....##.#", "..##...#", "##.....#", "..##...#", "....##.#", "......##"}},
      {43, -3, -3, {"......##", "....####", "..######", "########", "..######", "....####", "......##"}},
      {44, -3, -2, {"##....", "#.##..", "#...##", "#.##..", "##...."}},
      {45, -3, -2, {"##....", "####..", "######", "####..", "##...."}},
      {46, -4, -3, {"##......", "#.##....", "#...##..", "#.....##", "#...##..", "#.##....", "##......"}},
      {47, -4, -3, {"##......", "####....", "######..", "########", "######..", "####....", "##......"}},
      {48, -3, -3, {"#######", "#..#..#", "#..#..#", "#######", "#..#..#", "#..#..#", "#######"}},
      {49, -4, -4,
       {"....#....", "....#....", "..#####..", "..#.#.#..", "#########", "..#.#.#..", "..#####..",
        "....#....", "....#...."}},
      {50, -4, -4,
       {"....#....", ".#..#..#.", "..#.#.#..", "...###...", "#########", "...###...", "..#.#.#..",
        ".#..#..#.", "....#...."}},
      {51, -4, -4,
       {"....#....", "...###...", "....#....", ".#..#..#.", "#########", ".#..#..#.", "....#....",
        "...###...", "....#...."}},
  };
  return m;
}

constexpr int kSize = 21, kC = 10;  // bitmap side and centre

std::string Picture(const std::set<std::pair<int, int>>& s) {
  std::string r;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) r += s.count({x, y}) ? '#' : '.';
    r += '\n';
  }
  return r;
}

std::set<std::pair<int, int>> ExpectedSet(const MarkMask& mm) {
  std::set<std::pair<int, int>> s;
  for (size_t r = 0; r < mm.rows.size(); ++r)
    for (size_t k = 0; mm.rows[r][k]; ++k)
      if (mm.rows[r][k] == '#') s.insert({kC + mm.left + static_cast<int>(k), kC + mm.top + static_cast<int>(r)});
  return s;
}

// A raster canvas that reports itself as the printer's surface.
class PrinterLikeCanvas : public TBitmapCanvas {
 public:
  explicit PrinterLikeCanvas(TBitmap& b) : TBitmapCanvas(b) { SetPrinterCanvasFlag(true); }
};

}  // namespace

TEST(ZolBaseMarks, GeometricMarksPaintTheirPixelMasks) {
  ASSERT_EQ(Masks().size(), 52u);
  const TColor ink = RGB(200, 30, 60);
  for (const MarkMask& mm : Masks()) {
    TBitmap b(kSize, kSize);
    TCanvas& c = b.Canvas();
    c.Pen().SetColor(ink);
    c.Brush().SetColor(RGB(1, 2, 3));
    c.Brush().SetStyle(bsClear);
    DrawMarkOnCanvas(c, static_cast<uint8_t>(mm.code), kC, kC);
    std::set<std::pair<int, int>> got;
    bool onlyInk = true;
    for (auto& [p, col] : Painted(b)) {
      got.insert(p);
      onlyInk = onlyInk && col == ink;
    }
    EXPECT_EQ(Picture(got), Picture(ExpectedSet(mm))) << "mark " << mm.code;
    EXPECT_TRUE(onlyInk) << "mark " << mm.code;
    // The brush is as it was on entry.
    EXPECT_EQ(c.Brush().Color(), RGB(1, 2, 3)) << "mark " << mm.code;
    EXPECT_EQ(c.Brush().Style(), bsClear) << "mark " << mm.code;
  }
}

TEST(ZolBaseMarks, PrinterSurfaceGetsLinesInsteadOfPatterns) {
  const TColor ink = clBlack;
  auto draw = [&](uint8_t code) {
    TBitmap b(kSize, kSize);
    PrinterLikeCanvas pc(b);
    pc.Pen().SetColor(ink);
    DrawMarkOnCanvas(pc, code, kC, kC);
    std::set<std::pair<int, int>> s;
    for (auto& [p, col] : Painted(b)) s.insert(p);
    return s;
  };
  // Plus of code 1: lines from -2 to +2.
  EXPECT_EQ(Picture(draw(1)), Picture(ExpectedSet({1, -2, -2, {"..#..", "..#..", "#####", "..#..", "..#.."}})));
  // Diagonal cross of code 6: diagonals from -4 to +4.
  EXPECT_EQ(Picture(draw(6)),
            Picture(ExpectedSet({6, -4, -4,
                                 {"#.......#", ".#.....#.", "..#...#..", "...#.#...", "....#....",
                                  "...#.#...", "..#...#..", ".#.....#.", "#.......#"}})));
  // The checkerboard as single dots: the same 25 pixels as on screen.
  EXPECT_EQ(draw(18).size(), 25u);
  // The thick cross: three parallel diagonals each way.
  EXPECT_EQ(Picture(draw(25)),
            Picture(ExpectedSet({25, -4, -3,
                                 {"###...###", ".###.###.", "..#####..", "...###...", "..#####..",
                                  ".###.###.", "###...###"}})));
}

TEST(ZolBaseMarks, CharacterMarksDrawTheirCharacterCentred) {
  const struct {
    uint8_t code;
    const char* text;
  } cases[] = {{203, "3"}, {200, "0"}, {209, "9"}, {65, "A"}, {52, "4"}, {0xE9, "\xC3\xA9"}};
  for (const auto& cs : cases) {
    TBitmap a(40, 40), r(40, 40);
    DrawMarkOnCanvas(a.Canvas(), cs.code, 20, 20);
    TCanvas& rc = r.Canvas();
    const TSize ext = rc.TextExtent(cs.text);
    rc.TextOut(20 - ext.cx / 2, 20 - ext.cy / 2, cs.text);
    EXPECT_FALSE(Painted(r).empty());
    EXPECT_EQ(Painted(a), Painted(r)) << "code " << int(cs.code);
  }
}

TEST(ZolBaseMarks, MarkBitmapSizeIsClampedAndTheMarkCentred) {
  auto big = CreateMarkAsBitmap(9, clRed, clYellow, 300);
  EXPECT_EQ(big->Width(), 517);
  EXPECT_EQ(big->Height(), 517);
  auto small = CreateMarkAsBitmap(9, clRed, clYellow, -5);
  ASSERT_EQ(small->Width(), 7);
  ASSERT_EQ(small->Height(), 7);
  // Mark 9 fills the 7x7 square around (3, 3): the whole bitmap.
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(small->GetPixel(x, y), clRed);
  auto m = CreateMarkAsBitmap(10, clRed, clYellow, 4);
  ASSERT_EQ(m->Width(), 15);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x) {
      const bool ring = (x >= 6 && x <= 8 && y >= 6 && y <= 8) && !(x == 7 && y == 7);
      EXPECT_EQ(m->GetPixel(x, y), ring ? clRed : clYellow) << x << "," << y;
    }
}

// ---------------------------------------------------------------- fonts

TEST(ZolBaseFonts, ScaledFontSizeUsesScreenResolution) {
  TBitmap b(4, 4);
  TFont& f = b.Canvas().Font();
  f.SetPixelsPerInch(300);
  SetCanvasFontSizeScaled(b.Canvas(), 12);
  EXPECT_EQ(f.PixelsPerInch(), 300);
  EXPECT_EQ(f.Height(), -16);  // 12 pt at 96 pixels per inch
  f.SetPixelsPerInch(96);
  SetCanvasFontSizeScaled(b.Canvas(), 9);
  EXPECT_EQ(f.Height(), -12);
}

TEST(ZolBaseFonts, TrueTypeQueryAndUnknownFont) {
  // DejaVu Sans is distributed as TrueType (glyf) outlines.
  EXPECT_TRUE(FontIsTrueType("DejaVu Sans"));
  try {
    FontIsTrueType("No Such Font Family 4711");
    FAIL() << "no exception";
  } catch (const EZOLError& e) {
    EXPECT_NE(std::string(e.what()).find("FontIsTrueType"), std::string::npos);
  }
}

// ---------------------------------------------------------------- printing

TEST(ZolBasePrint, BitmapGoesToTheOpenPageAtItsOwnSize) {
  auto old = SetPrinter(std::make_unique<TPrinter>());
  TBitmap b(7, 5);
  b.Canvas().SetPixel(2, 3, clRed);
  Printer().BeginDoc();
  PrintBitmap(b, 100, 200);
  const TMetafile& page = Printer().Page(0);
  ASSERT_EQ(page.RecordCount(), 1);
  const TMetaRecord& r = page.Records(0);
  EXPECT_EQ(r.Kind, mrImage);
  EXPECT_EQ(r.Rect, Rect(100, 200, 107, 205));
  EXPECT_EQ(r.Param, cmSrcCopy);
  ASSERT_TRUE(r.Image);
  EXPECT_EQ(r.Image->Width(), 7);
  EXPECT_EQ(r.Image->GetPixel(2, 3), clRed);
  Printer().Abort();
  SetPrinter(std::move(old));
}

TEST(ZolBasePrint, PatternMarksBecomeLinesOnThePrinterPage) {
  auto old = SetPrinter(std::make_unique<TPrinter>());
  Printer().BeginDoc();
  ASSERT_TRUE(Printer().Canvas().IsPrinterCanvas());
  for (uint8_t code : {1, 2, 3, 4, 5, 6, 18, 25}) DrawMarkOnCanvas(Printer().Canvas(), code, 50, 50);
  const TMetafile& page = Printer().Page(0);
  ASSERT_GT(page.RecordCount(), 0);
  for (int i = 0; i < page.RecordCount(); ++i)
    EXPECT_TRUE(page.Records(i).Kind == mrLineTo || page.Records(i).Kind == mrPolyline) << i;
  // Filled polygons stay polygons there.
  const int before = page.RecordCount();
  DrawMarkOnCanvas(Printer().Canvas(), 15, 50, 50);
  ASSERT_EQ(page.RecordCount(), before + 1);
  EXPECT_EQ(page.Records(before).Kind, mrPolygon);
  Printer().Abort();
  SetPrinter(std::move(old));
}
