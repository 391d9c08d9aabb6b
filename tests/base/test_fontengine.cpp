// Text engine: family mapping, widths and metrics against the font files' own tables (values
// made with fontTools, see ref/fontengine_ref.py), rule placement, rotated masks against the
// unrotated one, and hostile input.
#include "base/platform/Zol_fontengine.h"
#include "base/platform/Zol_sysutils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>

using namespace zol;

namespace {

struct TWidthRef {
  const char* Name;
  bool Bold, Italic;
  int Em;
  const char* Text;
  int Width;
};
struct TMetricRef {
  const char* Name;
  bool Bold, Italic;
  int Em, Ascent, Descent, ExternalLeading, AveCharWidth, MaxCharWidth;
  int UnderlineTop, UnderlineThickness, StrikeTop, StrikeThickness;
};
struct TInkRef {
  const char* Name;
  bool Bold, Italic;
  int Em;
  const char* Text;
  double Area, CentreX, CentreY;
};
#include "data/fontengine_ref.inc"

TFontSpec MakeFont(const std::string& name, int em, bool bold = false, bool italic = false, int orientation = 0) {
  TFontSpec f;
  f.Name = name;
  f.EmPixels = em;
  f.Bold = bold;
  f.Italic = italic;
  f.Orientation = orientation;
  return f;
}

// Coverage at a pixel given relative to the reference point; 0 outside the mask.
int At(const TGlyphMask& m, int x, int y) {
  x -= m.Left;
  y -= m.Top;
  if (x < 0 || y < 0 || x >= m.Width || y >= m.Height) return 0;
  return m.Alpha[size_t(y) * m.Width + x];
}

long Ink(const TGlyphMask& m) {
  long s = 0;
  for (uint8_t a : m.Alpha) s += a;
  return s;
}

// Coverage-weighted centre of the mask (pixel centres), relative to the reference point.
void Centroid(const TGlyphMask& m, double& cx, double& cy) {
  double sx = 0, sy = 0, sw = 0;
  for (int y = 0; y < m.Height; ++y)
    for (int x = 0; x < m.Width; ++x) {
      const double a = m.Alpha[size_t(y) * m.Width + x];
      sx += a * (m.Left + x + 0.5);
      sy += a * (m.Top + y + 0.5);
      sw += a;
    }
  cx = sw > 0 ? sx / sw : 0;
  cy = sw > 0 ? sy / sw : 0;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST(FontEngine, FamilyMapping) {
  const struct {
    const char* Requested;
    const char* Family;
  } cases[] = {
      {"Arial", "Liberation Sans"},        {"MS Sans Serif", "Liberation Sans"},
      {"Tahoma", "Liberation Sans"},       {"Helvetica", "Liberation Sans"},
      {"Verdana", "Liberation Sans"},      {"Segoe UI", "Liberation Sans"},
      {"Courier New", "Liberation Mono"},  {"Courier", "Liberation Mono"},
      {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
      {"aRIAL", "Liberation Sans"},        {"COURIER NEW", "Liberation Mono"},
      {"liberation serif", "Liberation Serif"}, {"DejaVu Sans Mono", "DejaVu Sans Mono"},
      {"dejavu serif", "DejaVu Serif"},    {"Liberation Sans", "Liberation Sans"},
      {"Comic Whatever", "DejaVu Sans"},   {"", "DejaVu Sans"},
      {"Arial ", "DejaVu Sans"},           {"Ärial", "DejaVu Sans"},
  };
  for (const auto& c : cases) EXPECT_EQ(FontEngine::ResolveFamily(c.Requested), c.Family) << c.Requested;
}

TEST(FontEngine, StyleSelectsFace) {
  const struct {
    const char* Requested;
    bool Bold, Italic;
    const char* File;
  } cases[] = {
      {"Arial", false, false, "/liberation2/LiberationSans-Regular.ttf"},
      {"Arial", true, false, "/liberation2/LiberationSans-Bold.ttf"},
      {"Times New Roman", false, true, "/liberation2/LiberationSerif-Italic.ttf"},
      {"courier new", true, true, "/liberation2/LiberationMono-BoldItalic.ttf"},
      {"Nothing Like It", true, false, "/dejavu/DejaVuSans-Bold.ttf"},
      // the DejaVu core set has no italic faces: the upright face is slanted while rendering
      {"DejaVu Sans", false, true, "/dejavu/DejaVuSans.ttf"},
      {"DejaVu Serif", true, true, "/dejavu/DejaVuSerif-Bold.ttf"},
  };
  for (const auto& c : cases) {
    const std::string file = FontEngine::ResolveFile(c.Requested, c.Bold, c.Italic);
    EXPECT_TRUE(EndsWith(file, c.File)) << c.Requested << " -> " << file;
  }
}

TEST(FontEngine, InstalledFamiliesAndTrueType) {
  const std::vector<std::string> fams = FontEngine::InstalledFamilies();
  for (const char* f : {"Liberation Sans", "Liberation Serif", "Liberation Mono", "DejaVu Sans",
                        "DejaVu Sans Mono", "DejaVu Serif", "Arial", "Courier New", "Times New Roman",
                        "MS Sans Serif", "Segoe UI"})
    EXPECT_NE(std::find(fams.begin(), fams.end(), f), fams.end()) << f;
  // only the pinned files are known, whatever else the machine has installed
  EXPECT_EQ(fams.size(), 6u + 10u);
  EXPECT_TRUE(FontEngine::IsInstalled("arial"));
  EXPECT_TRUE(FontEngine::IsInstalled("DEJAVU SANS"));
  EXPECT_FALSE(FontEngine::IsInstalled("Comic Whatever"));
  EXPECT_FALSE(FontEngine::IsInstalled(""));
  EXPECT_TRUE(FontEngine::IsTrueType("Arial"));
  EXPECT_TRUE(FontEngine::IsTrueType("Liberation Mono"));
  EXPECT_TRUE(FontEngine::IsTrueType("DejaVu Serif"));
  EXPECT_FALSE(FontEngine::IsTrueType("Comic Whatever"));
}

TEST(FontEngine, WidthsMatchFontTables) {
  for (const auto& r : kWidthRefs) {
    const TFontSpec f = MakeFont(r.Name, r.Em, r.Bold, r.Italic);
    EXPECT_EQ(FontEngine::TextWidth(f, r.Text), r.Width)
        << r.Name << (r.Bold ? " bold" : "") << (r.Italic ? " italic" : "") << " " << r.Em << "px \"" << r.Text << "\"";
  }
}

TEST(FontEngine, WidthIsSumOfCharacterWidthsAndIgnoresRotation) {
  const TFontSpec f = MakeFont("Arial", 13);
  // no kerning: "AV" is as wide as "A" plus "V"
  EXPECT_EQ(FontEngine::TextWidth(f, "AVAV"), 2 * FontEngine::TextWidth(f, "A") + 2 * FontEngine::TextWidth(f, "V"));
  EXPECT_EQ(FontEngine::TextWidth(f, ""), 0);
  TFontSpec r = f;
  r.Orientation = 450;
  EXPECT_EQ(FontEngine::TextWidth(r, "Rotated"), FontEngine::TextWidth(f, "Rotated"));
  // monospaced: every character has the same advance
  const TFontSpec mono = MakeFont("Courier New", 20);
  EXPECT_EQ(FontEngine::TextWidth(mono, "iiiii"), FontEngine::TextWidth(mono, "WWWWW"));
}

TEST(FontEngine, MetricsMatchFontTables) {
  for (const auto& r : kMetricRefs) {
    const TFontMetrics m = FontEngine::Metrics(MakeFont(r.Name, r.Em, r.Bold, r.Italic));
    SCOPED_TRACE(std::string(r.Name) + " " + std::to_string(r.Em));
    EXPECT_EQ(m.Ascent, r.Ascent);
    EXPECT_EQ(m.Descent, r.Descent);
    EXPECT_EQ(m.Height, r.Ascent + r.Descent);
    EXPECT_EQ(m.InternalLeading, r.Ascent + r.Descent - r.Em);
    EXPECT_EQ(m.ExternalLeading, r.ExternalLeading);
    EXPECT_EQ(m.AveCharWidth, r.AveCharWidth);
    EXPECT_EQ(m.MaxCharWidth, r.MaxCharWidth);
  }
}

TEST(FontEngine, UnderlineAndStrikeOutRules) {
  for (const auto& r : kMetricRefs) {
    SCOPED_TRACE(std::string(r.Name) + " " + std::to_string(r.Em));
    TFontSpec f = MakeFont(r.Name, r.Em, r.Bold, r.Italic);
    const int w = FontEngine::TextWidth(f, "   ");
    // blanks draw nothing but the rule, which spans the text's advance
    f.Underline = true;
    TGlyphMask m = FontEngine::Render(f, "   ");
    EXPECT_EQ(m.Left, 0);
    EXPECT_EQ(m.Width, w);
    EXPECT_EQ(m.Top, r.UnderlineTop);
    EXPECT_EQ(m.Height, r.UnderlineThickness);
    EXPECT_TRUE(std::all_of(m.Alpha.begin(), m.Alpha.end(), [](uint8_t a) { return a == 255; }));
    f.Underline = false;
    f.StrikeOut = true;
    m = FontEngine::Render(f, "   ");
    EXPECT_EQ(m.Left, 0);
    EXPECT_EQ(m.Width, w);
    EXPECT_EQ(m.Top, r.StrikeTop);
    EXPECT_EQ(m.Height, r.StrikeThickness);
    EXPECT_TRUE(std::all_of(m.Alpha.begin(), m.Alpha.end(), [](uint8_t a) { return a == 255; }));
  }
  // with text the rule joins the glyphs' coverage
  TFontSpec f = MakeFont("Arial", 13);
  f.Underline = true;
  const TGlyphMask m = FontEngine::Render(f, "Hello");
  for (int x = 0; x < FontEngine::TextWidth(f, "Hello"); ++x) EXPECT_EQ(At(m, x, 13), 255) << x;
}

TEST(FontEngine, UnrotatedMaskStaysInTheCell) {
  const char* texts[] = {"Hello, World!", "gjpqy", "ÄÖÜ Éé", "|", "x ⠇⠁ y"};
  for (const char* face : {"Arial", "Times New Roman", "Courier New", "DejaVu Sans"})
    for (const char* t : texts) {
      const TFontSpec f = MakeFont(face, 17);
      const TFontMetrics fm = FontEngine::Metrics(f);
      const TGlyphMask m = FontEngine::Render(f, t);
      SCOPED_TRACE(std::string(face) + " \"" + t + "\"");
      ASSERT_GT(m.Width, 0);
      ASSERT_GT(m.Height, 0);
      ASSERT_EQ(m.Alpha.size(), size_t(m.Width) * m.Height);
      EXPECT_GT(Ink(m), 0);
      EXPECT_GE(m.Left, -1);
      EXPECT_LE(m.Left + m.Width, FontEngine::TextWidth(f, t) + 1);
      // a few glyphs reach a pixel beyond the font's ascent/descent box (accented capitals of
      // the monospaced face, the DejaVu bar)
      EXPECT_GE(m.Top, -1);
      EXPECT_LE(m.Top + m.Height, fm.Height + 1);
      // every edge row and column of the mask carries coverage (the mask is tight)
      long top = 0, bottom = 0, left = 0, right = 0;
      for (int x = 0; x < m.Width; ++x) {
        top += m.Alpha[x];
        bottom += m.Alpha[size_t(m.Height - 1) * m.Width + x];
      }
      for (int y = 0; y < m.Height; ++y) {
        left += m.Alpha[size_t(y) * m.Width];
        right += m.Alpha[size_t(y) * m.Width + m.Width - 1];
      }
      EXPECT_GT(top, 0);
      EXPECT_GT(bottom, 0);
      EXPECT_GT(left, 0);
      EXPECT_GT(right, 0);
    }
  // a letter without descender rests on the baseline; a descender reaches below it
  const TFontSpec f = MakeFont("Arial", 40);
  const int ascent = FontEngine::Metrics(f).Ascent;
  const TGlyphMask x = FontEngine::Render(f, "x");
  EXPECT_NEAR(x.Top + x.Height, ascent, 1);
  const TGlyphMask g = FontEngine::Render(f, "g");
  EXPECT_GT(g.Top + g.Height, ascent + 5);
  // capital height of Liberation Sans is 1409/2048 em
  const TGlyphMask h = FontEngine::Render(f, "H");
  EXPECT_NEAR(h.Height, 1409.0 * 40 / 2048, 1.0);
}

TEST(FontEngine, CoverageMatchesTheOutlines) {
  // Anti-aliased coverage is the covered area of each pixel: summed, it is the outline's area,
  // and its centre is the outline's centre (moved by the pen and turned with the text).
  for (const auto& r : kInkRefs)
    for (int o : {0, 900, 300, 2250}) {
      SCOPED_TRACE(std::string(r.Name) + " \"" + r.Text + "\" orientation " + std::to_string(o));
      const TGlyphMask m = FontEngine::Render(MakeFont(r.Name, r.Em, r.Bold, r.Italic, o), r.Text);
      EXPECT_NEAR(Ink(m) / 255.0, r.Area, 0.006 * r.Area);
      double cx, cy;
      Centroid(m, cx, cy);
      const double a = o * std::numbers::pi / 1800.0;
      EXPECT_NEAR(cx, r.CentreX * std::cos(a) + r.CentreY * std::sin(a), 0.06);
      EXPECT_NEAR(cy, -r.CentreX * std::sin(a) + r.CentreY * std::cos(a), 0.06);
    }
}

TEST(FontEngine, QuarterTurnsMoveEveryPixel) {
  // The pixel (x, y) of the unrotated mask lands at (y, -1-x) after 900 tenths, at
  // (-1-x, -1-y) after 1800 and at (-1-y, x) after 2700.
  for (const char* face : {"Arial", "Times New Roman"}) {
    const TFontSpec f = MakeFont(face, 19);
    const TGlyphMask u = FontEngine::Render(f, "Rotate gjy 42");
    for (int o : {900, 1800, 2700, -900}) {
      TFontSpec fr = f;
      fr.Orientation = o;
      const TGlyphMask r = FontEngine::Render(fr, "Rotate gjy 42");
      SCOPED_TRACE(std::string(face) + " orientation " + std::to_string(o));
      EXPECT_NEAR(double(Ink(r)), double(Ink(u)), 0.01 * Ink(u));
      int worst = 0;
      for (int y = u.Top - 1; y <= u.Top + u.Height; ++y)
        for (int x = u.Left - 1; x <= u.Left + u.Width; ++x) {
          int rx = 0, ry = 0;
          switch ((o + 3600) % 3600) {
            case 900: rx = y; ry = -1 - x; break;
            case 1800: rx = -1 - x; ry = -1 - y; break;
            default: rx = -1 - y; ry = x; break;
          }
          worst = std::max(worst, std::abs(At(r, rx, ry) - At(u, x, y)));
        }
      EXPECT_LE(worst, 8);
    }
  }
  // 900 tenths: the text reads bottom to top, upward from the reference point, with its
  // baseline at x = Ascent and the letter bodies left of it
  TFontSpec f = MakeFont("Arial", 24, false, false, 900);
  const int ascent = FontEngine::Metrics(f).Ascent;
  const int width = FontEngine::TextWidth(f, "HHH");
  const TGlyphMask m = FontEngine::Render(f, "HHH");
  EXPECT_LE(m.Top + m.Height, 1);
  EXPECT_GE(m.Top, -width - 1);
  EXPECT_GE(m.Left, 0);
  EXPECT_LE(m.Left + m.Width, ascent);
  EXPECT_GE(m.Left + m.Width, ascent - 1);
}

TEST(FontEngine, ArbitraryAnglesRotateAboutTheReferencePoint) {
  const TFontSpec f = MakeFont("Liberation Serif", 30);
  const TGlyphMask u = FontEngine::Render(f, "Angle 123");
  double ux, uy;
  Centroid(u, ux, uy);
  for (int o : {150, 300, 450, 1234, 2250, 3300, 3600 + 450}) {
    TFontSpec fr = f;
    fr.Orientation = o;
    const TGlyphMask r = FontEngine::Render(fr, "Angle 123");
    SCOPED_TRACE(o);
    const double a = o * std::numbers::pi / 1800.0;
    double rx, ry;
    Centroid(r, rx, ry);
    EXPECT_NEAR(rx, ux * std::cos(a) + uy * std::sin(a), 0.5);
    EXPECT_NEAR(ry, -ux * std::sin(a) + uy * std::cos(a), 0.5);
    EXPECT_NEAR(double(Ink(r)), double(Ink(u)), 0.02 * Ink(u));
  }
}

TEST(FontEngine, StylesChangeThePicture) {
  const TGlyphMask reg = FontEngine::Render(MakeFont("DejaVu Sans", 40), "IIII");
  const TGlyphMask bold = FontEngine::Render(MakeFont("DejaVu Sans", 40, true), "IIII");
  EXPECT_GT(Ink(bold), Ink(reg) * 5 / 4);
  // DejaVu Sans has no italic face: the slanted upright glyphs lean to the right, so the top
  // rows sit further right than the bottom rows
  const TGlyphMask ital = FontEngine::Render(MakeFont("DejaVu Sans", 40, false, true), "I");
  const TGlyphMask up = FontEngine::Render(MakeFont("DejaVu Sans", 40), "I");
  auto rowCentre = [](const TGlyphMask& m, int y) {
    double s = 0, w = 0;
    for (int x = m.Left; x < m.Left + m.Width; ++x) {
      s += At(m, x, y) * (x + 0.5);
      w += At(m, x, y);
    }
    return w > 0 ? s / w : 0.0;
  };
  const int topRow = up.Top + 1, bottomRow = up.Top + up.Height - 2;
  EXPECT_NEAR(rowCentre(up, topRow), rowCentre(up, bottomRow), 0.1);
  // tan(12 degrees) times the height between the rows
  EXPECT_NEAR(rowCentre(ital, topRow) - rowCentre(ital, bottomRow), 0.2126 * (bottomRow - topRow), 1.0);
  EXPECT_EQ(FontEngine::TextWidth(MakeFont("DejaVu Sans", 40, false, true), "IIII"),
            FontEngine::TextWidth(MakeFont("DejaVu Sans", 40), "IIII"));
}

TEST(FontEngine, HostileTextAndSizes) {
  // bytes that are not UTF-8 are Latin-1 characters
  const TFontSpec f = MakeFont("Arial", 13);
  EXPECT_EQ(FontEngine::TextWidth(f, "\xff"), FontEngine::TextWidth(f, "\xc3\xbf"));
  EXPECT_EQ(FontEngine::TextWidth(f, "\xc0\xaf"), FontEngine::TextWidth(f, "\xc3\x80\xc2\xaf"));      // overlong
  EXPECT_EQ(FontEngine::TextWidth(f, "\xed\xa0\x80"), FontEngine::TextWidth(f, "\xc3\xad\xc2\xa0\xc2\x80"));  // surrogate
  EXPECT_EQ(FontEngine::TextWidth(f, std::string_view("a\0b", 3)),
            FontEngine::TextWidth(f, "ab") + FontEngine::TextWidth(f, std::string_view("\0", 1)));
  // arbitrary bytes never crash and always give a consistent mask
  uint32_t seed = 12345;
  for (int n = 0; n < 200; ++n) {
    std::string s;
    const int len = n % 23;
    for (int i = 0; i < len; ++i) {
      seed = seed * 1103515245u + 12345u;
      s.push_back(char(seed >> 24));
    }
    TFontSpec r = MakeFont(n % 2 ? "Times" : "Unknown", 5 + n % 30, n % 3 == 0, n % 5 == 0, (n * 137) % 3600);
    r.Underline = n % 7 == 0;
    const TGlyphMask m = FontEngine::Render(r, s);
    ASSERT_EQ(m.Alpha.size(), size_t(m.Width) * size_t(m.Height));
    EXPECT_GE(FontEngine::TextWidth(r, s), 0);
  }
  // sizes outside the range are clamped, not refused
  for (int em : {0, -13, 1, 2}) {
    const TFontSpec tiny = MakeFont("Arial", em);
    const TFontMetrics m = FontEngine::Metrics(tiny);
    EXPECT_GE(m.Height, 1) << em;
    const TGlyphMask g = FontEngine::Render(tiny, "Tiny text");
    EXPECT_EQ(g.Alpha.size(), size_t(g.Width) * size_t(g.Height));
  }
  EXPECT_EQ(FontEngine::Metrics(MakeFont("Arial", 1000000)).Ascent,
            FontEngine::Metrics(MakeFont("Arial", FontEngine::MaxEmPixels)).Ascent);
  const TGlyphMask none = FontEngine::Render(f, "");
  EXPECT_EQ(none.Width, 0);
  EXPECT_EQ(none.Height, 0);
  EXPECT_TRUE(none.Alpha.empty());
  EXPECT_TRUE(FontEngine::Render(f, "   ").Alpha.empty());
}

TEST(FontEngine, RepeatedCallsGiveTheSamePicture) {
  const TFontSpec f = MakeFont("Courier New", 21, true, false, 300);
  const TGlyphMask first = FontEngine::Render(f, "cache me");
  // more sizes than the engine keeps open at once
  for (int em = 5; em < 120; ++em) FontEngine::TextWidth(MakeFont("Arial", em), "x");
  const TGlyphMask again = FontEngine::Render(f, "cache me");
  EXPECT_EQ(first.Left, again.Left);
  EXPECT_EQ(first.Top, again.Top);
  EXPECT_EQ(first.Width, again.Width);
  EXPECT_EQ(first.Height, again.Height);
  EXPECT_EQ(first.Alpha, again.Alpha);
}

TEST(FontEngine, ClippedMaskIsTheMatchingPartOfTheWholeMask) {
  for (int o : {0, 900, 300, 2100}) {
    TFontSpec f = MakeFont("Times New Roman", 23, false, true, o);
    f.Underline = true;
    f.StrikeOut = o == 300;
    const TGlyphMask whole = FontEngine::Render(f, "Clip this, please");
    const int clips[][4] = {{-5, -5, 30, 12}, {whole.Left + 7, whole.Top + 3, 11, 40}, {40, -100, 200, 200},
                            {-1000, -1000, 5000, 5000}, {whole.Left + whole.Width, 0, 10, 10}, {0, 0, 0, 7}};
    for (const auto& c : clips) {
      SCOPED_TRACE(std::to_string(o) + ": clip " + std::to_string(c[0]) + "," + std::to_string(c[1]) + " " +
                   std::to_string(c[2]) + "x" + std::to_string(c[3]));
      const TGlyphMask part = FontEngine::RenderClipped(f, "Clip this, please", c[0], c[1], c[2], c[3]);
      ASSERT_EQ(part.Alpha.size(), size_t(part.Width) * part.Height);
      if (part.Width > 0) {
        EXPECT_GE(part.Left, c[0]);
        EXPECT_GE(part.Top, c[1]);
        EXPECT_LE(part.Left + part.Width, c[0] + c[2]);
        EXPECT_LE(part.Top + part.Height, c[1] + c[3]);
      }
      // outside the whole mask both are blank; the part lies within the whole mask's box
      if (part.Width > 0) {
        EXPECT_GE(part.Left, whole.Left);
        EXPECT_GE(part.Top, whole.Top);
        EXPECT_LE(part.Left + part.Width, whole.Left + whole.Width);
        EXPECT_LE(part.Top + part.Height, whole.Top + whole.Height);
      }
      long inside = 0;
      const int x0 = std::max(c[0], whole.Left), x1 = std::min(c[0] + c[2], whole.Left + whole.Width);
      const int y0 = std::max(c[1], whole.Top), y1 = std::min(c[1] + c[3], whole.Top + whole.Height);
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
          inside += At(whole, x, y);
          if (At(part, x, y) != At(whole, x, y)) {
            ADD_FAILURE() << "pixel " << x << "," << y;
            return;
          }
        }
      EXPECT_EQ(Ink(part), inside);
    }
  }
}

TEST(FontEngine, HugeTextIsRefusedWholeAndServedClipped) {
  TFontSpec f = MakeFont("Arial", 400, false, false, 450);
  f.Underline = true;
  const std::string text(2000, 'W');
  EXPECT_THROW(FontEngine::Render(f, text), Exception);
  // a window onto the middle of the turned line: about 400000 pixels along the baseline
  const double d = 400000 / std::sqrt(2.0);
  const int cx = int(d), cy = int(-d);
  const TGlyphMask m = FontEngine::RenderClipped(f, text, cx - 300, cy - 300, 600, 600);
  EXPECT_GT(Ink(m), 0);
  EXPECT_GE(m.Left, cx - 300);
  EXPECT_LE(m.Left + m.Width, cx + 300);
  EXPECT_GE(m.Top, cy - 300);
  EXPECT_LE(m.Top + m.Height, cy + 300);
}
