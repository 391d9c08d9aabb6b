// Text rendering of the platform layer (FreeType outlines, fontconfig file scanning).
//
// Fixed choices, so that text measures and looks the same on every machine with the font
// packages installed:
// - The engine scans only the pinned font files below (Liberation 2 and the DejaVu core set)
//   into a private fontconfig configuration; the machine's own font configuration is not read.
// - Glyphs are loaded without hinting (FT_LOAD_NO_HINTING) and rendered as 8-bit grayscale
//   coverage (FT_RENDER_MODE_NORMAL).
// - The advance of a glyph is its design advance (hmtx) scaled to the em size and rounded to a
//   whole pixel, half up: (2 * advance * em + unitsPerEm) div (2 * unitsPerEm).  The width of a
//   text is the sum of those advances; there is no kerning.
// - Ascent and Descent are the OS/2 usWinAscent/usWinDescent values (the hhea ascender and
//   descender when the font has no OS/2 table) scaled and rounded the same way.

#include "base/platform/Zol_fontengine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H
#include FT_ADVANCES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <numbers>
#include <tuple>
#include <unordered_map>

#include "base/platform/Zol_sysutils.h"

namespace zol {
namespace {

// The font files the engine knows, in order of preference within a family.
constexpr const char* kPinnedFiles[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Italic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-BoldItalic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Italic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-BoldItalic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Italic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-BoldItalic.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
};

struct TAlias {
  const char* Name;
  const char* Family;
};
constexpr TAlias kAliases[] = {
    {"Arial", "Liberation Sans"},          {"MS Sans Serif", "Liberation Sans"},
    {"Tahoma", "Liberation Sans"},         {"Helvetica", "Liberation Sans"},
    {"Verdana", "Liberation Sans"},        {"Segoe UI", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},    {"Courier", "Liberation Mono"},
    {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
};
constexpr const char* kFallbackFamily = "DejaVu Sans";

// Slant of synthesised italics: tan(12 degrees) as a 16.16 value.
constexpr FT_Fixed kObliqueShear = 0x0366A;
// Faces kept open before the cache is emptied.
constexpr size_t kMaxCachedFaces = 48;
// Rendered glyphs kept per face, and the largest em size whose glyphs are kept.
constexpr size_t kMaxCachedGlyphs = 1024;
constexpr int kMaxCachedGlyphEm = 100;
// Largest coverage mask Render builds (pixels).
constexpr int64_t kMaxMaskPixels = int64_t(1) << 26;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// value * em / unitsPerEm rounded to the nearest integer, halves away from zero.
int ScaleRound(int64_t value, int em, int unitsPerEm) {
  if (unitsPerEm <= 0) return 0;
  const int64_t num = 2 * (value < 0 ? -value : value) * em + unitsPerEm;
  const int64_t r = num / (2 * int64_t(unitsPerEm));
  return int(value < 0 ? -r : r);
}

int ClampEm(int em) { return std::clamp(em, 1, FontEngine::MaxEmPixels); }

// Code points of UTF-8 text; a byte that does not start a valid sequence stands for the
// Latin-1 character of the same value.
std::vector<uint32_t> DecodeText(std::string_view s) {
  std::vector<uint32_t> out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const uint8_t b = uint8_t(s[i]);
    int len = 0;
    uint32_t cp = 0, minCp = 0;
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      len = 2; cp = b & 0x1F; minCp = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3; cp = b & 0x0F; minCp = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4; cp = b & 0x07; minCp = 0x10000;
    }
    bool ok = len > 0 && i + len <= s.size();
    for (int k = 1; ok && k < len; ++k) {
      const uint8_t c = uint8_t(s[i + k]);
      if ((c & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (c & 0x3F);
    }
    if (ok && (cp < minCp || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (ok) {
      out.push_back(cp);
      i += len;
    } else {
      out.push_back(b);
      ++i;
    }
  }
  return out;
}

// A face of the pinned set as fontconfig describes it.
struct TFaceInfo {
  std::string File;
  int Index = 0;
  std::vector<std::string> Families;  // the first is the canonical name
  int Weight = FC_WEIGHT_REGULAR;
  int Slant = FC_SLANT_ROMAN;
};

// Coverage of one glyph or rule at its screen position.
struct TPiece {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  std::vector<uint8_t> Alpha;
};

// An open FreeType face at one em size.
struct TFaceEntry {
  FT_Face Face = nullptr;
  int UnitsPerEm = 0;
  std::unordered_map<FT_UInt, int> DesignAdvance;  // glyph index -> advance in font units
  // Glyphs rendered with their origin on a pixel corner, placed relative to the origin; keyed
  // by glyph index, synthesised style and orientation (see GlyphKey).
  std::unordered_map<uint64_t, TPiece> Rendered;
  TFaceEntry() = default;
  TFaceEntry(const TFaceEntry&) = delete;
  TFaceEntry& operator=(const TFaceEntry&) = delete;
  ~TFaceEntry() {
    if (Face) FT_Done_Face(Face);
  }
};

// A face chosen for a request, with the style parts it lacks.
struct TResolved {
  const TFaceInfo* Info = nullptr;
  bool SynthBold = false, SynthItalic = false;
};

// Glyph of laid-out text.
struct TPlacedGlyph {
  TFaceEntry* Entry = nullptr;
  FT_UInt Index = 0;
  bool SynthBold = false, SynthItalic = false;
  int Advance = 0;  // pixels
};

class TEngine {
 public:
  static TEngine& Get() {
    static TEngine engine;
    return engine;
  }

  TEngine(const TEngine&) = delete;
  TEngine& operator=(const TEngine&) = delete;

  ~TEngine() {
    Cache_.clear();
    if (Library_) FT_Done_FreeType(Library_);
    if (Config_) FcConfigDestroy(Config_);
  }

  FT_Library Library() const { return Library_; }
  const std::vector<std::string>& Families() const { return Families_; }

  // Canonical spelling of an installed family; empty when not installed.
  std::string InstalledName(const std::string& name) const {
    for (const auto& f : Families_)
      if (SameAscii(f, name)) return f;
    return {};
  }

  std::string ResolveFamily(const std::string& requested) const {
    std::string own = InstalledName(requested);
    if (!own.empty()) return own;
    for (const auto& a : kAliases)
      if (SameAscii(a.Name, requested)) {
        own = InstalledName(a.Family);
        if (!own.empty()) return own;
        break;
      }
    own = InstalledName(kFallbackFamily);
    if (!own.empty()) return own;
    return Families_.empty() ? std::string() : Families_.front();
  }

  TResolved Resolve(const std::string& requested, bool bold, bool italic) const {
    const std::string family = ResolveFamily(requested);
    TResolved best;
    int bestScore = 0;
    const int wantWeight = bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    for (const auto& info : Faces_) {
      bool member = false;
      for (const auto& f : info.Families) member = member || SameAscii(f, family);
      if (!member) continue;
      const bool isItalic = info.Slant != FC_SLANT_ROMAN;
      const int score = (isItalic != italic ? 1000 : 0) + std::abs(info.Weight - wantWeight);
      if (!best.Info || score < bestScore) {
        best.Info = &info;
        bestScore = score;
      }
    }
    if (!best.Info)
      throw Exception("FontEngine: no font file found for \"" + requested + "\"");
    best.SynthBold = bold && best.Info->Weight < FC_WEIGHT_DEMIBOLD;
    best.SynthItalic = italic && best.Info->Slant == FC_SLANT_ROMAN;
    return best;
  }

  // The open face of a file at an em size.
  TFaceEntry& Face(const TFaceInfo& info, int em) {
    const auto key = std::make_tuple(info.File, info.Index, em);
    auto it = Cache_.find(key);
    if (it != Cache_.end()) return *it->second;
    auto entry = std::make_unique<TFaceEntry>();
    if (FT_New_Face(Library_, info.File.c_str(), info.Index, &entry->Face) != 0) {
      entry->Face = nullptr;
      throw Exception("FontEngine: cannot open font file \"" + info.File + "\"");
    }
    if (!FT_IS_SCALABLE(entry->Face) || entry->Face->units_per_EM == 0)
      throw Exception("FontEngine: font file \"" + info.File + "\" is not scalable");
    entry->UnitsPerEm = entry->Face->units_per_EM;
    if (FT_Set_Pixel_Sizes(entry->Face, 0, FT_UInt(em)) != 0)
      throw Exception("FontEngine: cannot scale font file \"" + info.File + "\"");
    TFaceEntry& ref = *entry;
    Cache_.emplace(key, std::move(entry));
    return ref;
  }

  // Called at the start of every public operation, never while faces are in use.
  void TrimCache() {
    if (Cache_.size() > kMaxCachedFaces) Cache_.clear();
  }

 private:
  TEngine() {
    if (FT_Init_FreeType(&Library_) != 0) {
      Library_ = nullptr;
      throw Exception("FontEngine: the font rasteriser cannot be initialised");
    }
    Config_ = FcConfigCreate();
    if (!Config_) return;
    for (const char* file : kPinnedFiles) FcConfigAppFontAddFile(Config_, reinterpret_cast<const FcChar8*>(file));
    FcFontSet* set = FcConfigGetFonts(Config_, FcSetApplication);
    if (set) {
      // Keep the pinned order so that preference ties are decided the same way everywhere.
      std::vector<TFaceInfo> found;
      for (int i = 0; i < set->nfont; ++i) {
        FcPattern* p = set->fonts[i];
        TFaceInfo info;
        FcChar8* s = nullptr;
        if (FcPatternGetString(p, FC_FILE, 0, &s) != FcResultMatch || !s) continue;
        info.File = reinterpret_cast<const char*>(s);
        for (int n = 0; FcPatternGetString(p, FC_FAMILY, n, &s) == FcResultMatch && s; ++n)
          info.Families.emplace_back(reinterpret_cast<const char*>(s));
        if (info.Families.empty()) continue;
        int v = 0;
        if (FcPatternGetInteger(p, FC_INDEX, 0, &v) == FcResultMatch) info.Index = v;
        if (FcPatternGetInteger(p, FC_WEIGHT, 0, &v) == FcResultMatch) info.Weight = v;
        if (FcPatternGetInteger(p, FC_SLANT, 0, &v) == FcResultMatch) info.Slant = v;
        found.push_back(std::move(info));
      }
      for (const char* file : kPinnedFiles)
        for (auto& info : found)
          if (info.File == file) Faces_.push_back(info);
    }
    for (const auto& info : Faces_)
      if (InstalledName(info.Families.front()).empty()) Families_.push_back(info.Families.front());
    std::sort(Families_.begin(), Families_.end());
  }

  FT_Library Library_ = nullptr;
  FcConfig* Config_ = nullptr;
  std::vector<TFaceInfo> Faces_;
  std::vector<std::string> Families_;
  std::map<std::tuple<std::string, int, int>, std::unique_ptr<TFaceEntry>> Cache_;
};

int SynthBoldPixels(int em) { return std::max(1, (em + 12) / 24); }

int GlyphAdvance(TFaceEntry& e, FT_UInt glyph, int em) {
  auto it = e.DesignAdvance.find(glyph);
  int units;
  if (it != e.DesignAdvance.end()) {
    units = it->second;
  } else {
    FT_Fixed adv = 0;
    if (FT_Get_Advance(e.Face, glyph, FT_LOAD_NO_SCALE, &adv) != 0) adv = 0;
    units = int(adv);
    e.DesignAdvance.emplace(glyph, units);
  }
  return ScaleRound(units, em, e.UnitsPerEm);
}

// Glyphs of a text in the face serving the font, with DejaVu Sans stepping in for characters
// the face lacks and the face's missing-glyph box for characters neither has.
std::vector<TPlacedGlyph> Layout(TEngine& eng, const TFontSpec& f, int em, std::string_view utf8) {
  std::vector<TPlacedGlyph> out;
  const std::vector<uint32_t> text = DecodeText(utf8);
  if (text.empty()) return out;
  const TResolved main = eng.Resolve(f.Name, f.Bold, f.Italic);
  TFaceEntry& mainFace = eng.Face(*main.Info, em);
  TFaceEntry* fallFace = nullptr;
  TResolved fall;
  bool fallTried = false;
  out.reserve(text.size());
  for (uint32_t cp : text) {
    TPlacedGlyph g;
    g.Entry = &mainFace;
    g.SynthBold = main.SynthBold;
    g.SynthItalic = main.SynthItalic;
    g.Index = FT_Get_Char_Index(mainFace.Face, cp);
    if (g.Index == 0) {
      if (!fallTried) {
        fallTried = true;
        if (!eng.InstalledName(kFallbackFamily).empty()) {
          fall = eng.Resolve(kFallbackFamily, f.Bold, f.Italic);
          if (fall.Info != main.Info) fallFace = &eng.Face(*fall.Info, em);
        }
      }
      const FT_UInt alt = fallFace ? FT_Get_Char_Index(fallFace->Face, cp) : 0;
      if (alt != 0) {
        g.Entry = fallFace;
        g.Index = alt;
        g.SynthBold = fall.SynthBold;
        g.SynthItalic = fall.SynthItalic;
      }
    }
    g.Advance = GlyphAdvance(*g.Entry, g.Index, em) + (g.SynthBold ? SynthBoldPixels(em) : 0);
    out.push_back(g);
  }
  return out;
}

struct TRotation {
  double Cos = 1, Sin = 0;
  bool Identity = true;
  int Tenths = 0;  // 0 <= Tenths < 3600
};

TRotation RotationOf(int orientation) {
  TRotation r;
  int o = orientation % 3600;
  if (o < 0) o += 3600;
  switch (o) {
    case 0: break;
    case 900: r.Cos = 0; r.Sin = 1; break;
    case 1800: r.Cos = -1; r.Sin = 0; break;
    case 2700: r.Cos = 0; r.Sin = -1; break;
    default: {
      const double a = o * std::numbers::pi / 1800.0;
      r.Cos = std::cos(a);
      r.Sin = std::sin(a);
    }
  }
  r.Identity = (o == 0);
  r.Tenths = o;
  return r;
}

// Screen position of a point given in the unrotated text frame (x right, y down).
void Rotate(const TRotation& r, double x, double y, double& sx, double& sy) {
  sx = x * r.Cos + y * r.Sin;
  sy = -x * r.Sin + y * r.Cos;
}

FT_Fixed ToFixed(double v) { return FT_Fixed(std::lround(v * 65536.0)); }

// Copies a rendered glyph slot into a piece placed at the given screen pixel.
bool PieceFromBitmap(const FT_Bitmap& bm, int left, int top, TPiece& piece) {
  if (bm.width == 0 || bm.rows == 0 || !bm.buffer || bm.pixel_mode != FT_PIXEL_MODE_GRAY) return false;
  piece.Left = left;
  piece.Top = top;
  piece.Width = int(bm.width);
  piece.Height = int(bm.rows);
  piece.Alpha.resize(size_t(piece.Width) * piece.Height);
  const int levels = bm.num_grays > 1 ? bm.num_grays - 1 : 255;
  for (int y = 0; y < piece.Height; ++y) {
    const uint8_t* src = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* dst = piece.Alpha.data() + size_t(y) * piece.Width;
    if (levels == 255) {
      std::memcpy(dst, src, size_t(piece.Width));
    } else {
      for (int x = 0; x < piece.Width; ++x) dst[x] = uint8_t(std::min(255, src[x] * 255 / levels));
    }
  }
  return true;
}

// Pixel box, half-open: [X0, X1) x [Y0, Y1).
struct TBox {
  int64_t X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  bool Empty() const { return X1 <= X0 || Y1 <= Y0; }
  int64_t Area() const { return Empty() ? 0 : (X1 - X0) * (Y1 - Y0); }
  TBox Intersect(const TBox& o) const {
    return {std::max(X0, o.X0), std::max(Y0, o.Y0), std::min(X1, o.X1), std::min(Y1, o.Y1)};
  }
  TBox Union(const TBox& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return {std::min(X0, o.X0), std::min(Y0, o.Y0), std::max(X1, o.X1), std::max(Y1, o.Y1)};
  }
};

// A filled quadrilateral in screen coordinates.
struct TQuad {
  double Xs[4] = {}, Ys[4] = {};
  TBox Bounds() const {
    return {int64_t(std::floor(*std::min_element(Xs, Xs + 4))), int64_t(std::floor(*std::min_element(Ys, Ys + 4))),
            int64_t(std::ceil(*std::max_element(Xs, Xs + 4))), int64_t(std::ceil(*std::max_element(Ys, Ys + 4)))};
  }
};

// Coverage of the part of a quadrilateral inside a box.
bool RenderQuad(FT_Library lib, const TQuad& q, const TBox& within, TPiece& piece) {
  const TBox box = q.Bounds().Intersect(within);
  if (box.Empty()) return false;
  const int w = int(box.X1 - box.X0), h = int(box.Y1 - box.Y0);
  piece.Left = int(box.X0);
  piece.Top = int(box.Y0);
  piece.Width = w;
  piece.Height = h;
  piece.Alpha.assign(size_t(w) * h, 0);
  FT_Vector points[4];
  char tags[4];
  short contours[1] = {3};
  for (int i = 0; i < 4; ++i) {
    // the rasteriser's frame: origin at the bottom-left corner of the box, y up
    points[i].x = FT_Pos(std::llround((q.Xs[i] - double(box.X0)) * 64.0));
    points[i].y = FT_Pos(std::llround((double(box.Y1) - q.Ys[i]) * 64.0));
    tags[i] = FT_CURVE_TAG_ON;
  }
  FT_Outline outline{};
  outline.n_contours = 1;
  outline.n_points = 4;
  outline.points = points;
  outline.tags = tags;
  outline.contours = contours;
  outline.flags = FT_OUTLINE_NONE;
  FT_Bitmap bm{};
  bm.rows = unsigned(h);
  bm.width = unsigned(w);
  bm.pitch = w;  // positive pitch: the first row of the buffer is the top row
  bm.buffer = piece.Alpha.data();
  bm.num_grays = 256;
  bm.pixel_mode = FT_PIXEL_MODE_GRAY;
  return FT_Outline_Get_Bitmap(lib, &outline, &bm) == 0;
}

struct TLineMetrics {
  int Ascent = 0, Descent = 0, ExternalLeading = 0, AveCharWidth = 0, MaxCharWidth = 0;
  int UnderlineTop = 0, UnderlineThickness = 1, StrikeTop = 0, StrikeThickness = 1;
};

TLineMetrics LineMetricsOf(TFaceEntry& e, int em, bool synthBold) {
  TLineMetrics m;
  const int upem = e.UnitsPerEm;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(e.Face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(e.Face, FT_SFNT_HHEA));
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(e.Face, FT_SFNT_POST));
  int64_t asc = e.Face->ascender, desc = -int64_t(e.Face->descender);
  int64_t hheaAsc = asc, hheaDesc = desc, lineGap = 0;
  if (hhea) {
    hheaAsc = hhea->Ascender;
    hheaDesc = -int64_t(hhea->Descender);
    lineGap = hhea->Line_Gap;
    asc = hheaAsc;
    desc = hheaDesc;
  }
  if (os2 && os2->version != 0xFFFF && int64_t(os2->usWinAscent) + os2->usWinDescent > 0) {
    asc = os2->usWinAscent;
    desc = os2->usWinDescent;
  }
  m.Ascent = ScaleRound(asc, em, upem);
  m.Descent = ScaleRound(desc, em, upem);
  m.ExternalLeading = ScaleRound(std::max<int64_t>(0, lineGap - ((asc + desc) - (hheaAsc + hheaDesc))), em, upem);
  const int extra = synthBold ? SynthBoldPixels(em) : 0;
  if (os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0) {
    m.AveCharWidth = ScaleRound(os2->xAvgCharWidth, em, upem) + extra;
  } else {
    const FT_UInt x = FT_Get_Char_Index(e.Face, 'x');
    m.AveCharWidth = GlyphAdvance(e, x, em) + extra;
  }
  m.MaxCharWidth = ScaleRound(hhea ? int64_t(hhea->advance_Width_Max) : int64_t(e.Face->max_advance_width), em, upem) + extra;

  // Rules are placed by the centre of their stroke, rounded to whole pixels; the top row is the
  // centre row minus half the thickness.  post.underlinePosition is the top of the underline
  // (negative: below the baseline), OS/2 yStrikeoutPosition the top of the strike-out stroke.
  int64_t ulPos = -upem / 10, ulThick = upem / 20;
  if (post && post->underlineThickness > 0) {
    ulPos = post->underlinePosition;
    ulThick = post->underlineThickness;
  }
  const int height = m.Ascent + m.Descent;
  m.UnderlineThickness = std::max(1, ScaleRound(ulThick, em, upem));
  m.UnderlineTop = m.Ascent + ScaleRound(ulThick - 2 * ulPos, em, 2 * upem) - m.UnderlineThickness / 2;
  // The underline stays below the baseline and inside the cell.
  m.UnderlineTop = std::max(m.UnderlineTop, m.Ascent);
  if (m.UnderlineTop + m.UnderlineThickness > height)
    m.UnderlineTop = std::max(m.Ascent, height - m.UnderlineThickness);
  int64_t stPos = upem * 26 / 100, stSize = ulThick;
  if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
    stPos = os2->yStrikeoutPosition;
    stSize = os2->yStrikeoutSize;
  }
  m.StrikeThickness = std::max(1, ScaleRound(stSize, em, upem));
  m.StrikeTop = m.Ascent - ScaleRound(2 * stPos - stSize, em, 2 * upem) - m.StrikeThickness / 2;
  return m;
}

// Renders one glyph with its origin at the screen point (ox, oy).
bool RenderGlyph(const TPlacedGlyph& g, const TRotation& r, double ox, double oy, int em, TPiece& piece) {
  FT_Face face = g.Entry->Face;
  const double ix = std::floor(ox), iy = std::floor(oy);
  // In the rasteriser's y-up frame: M = rotation * shear.
  const double sh = g.SynthItalic ? double(kObliqueShear) / 65536.0 : 0.0;
  FT_Matrix m;
  m.xx = ToFixed(r.Cos);
  m.xy = ToFixed(r.Cos * sh - r.Sin);
  m.yx = ToFixed(r.Sin);
  m.yy = ToFixed(r.Sin * sh + r.Cos);
  FT_Vector delta;
  delta.x = FT_Pos(std::lround((ox - ix) * 64.0));
  delta.y = -FT_Pos(std::lround((oy - iy) * 64.0));
  const bool plain = r.Identity && !g.SynthItalic && delta.x == 0 && delta.y == 0;
  FT_Set_Transform(face, plain ? nullptr : &m, plain ? nullptr : &delta);
  FT_Error err = FT_Load_Glyph(face, g.Index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
  FT_Set_Transform(face, nullptr, nullptr);
  if (err != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  if (g.SynthBold) FT_Outline_Embolden(&slot->outline, FT_Pos(SynthBoldPixels(em)) * 64);
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
  return PieceFromBitmap(slot->bitmap, int(ix) + slot->bitmap_left, int(iy) - slot->bitmap_top, piece);
}

// A glyph's coverage with its origin at (ox, oy).  Origins on a pixel corner (all of them for
// unrotated text and quarter turns) always give the same picture, which is kept with the face.
bool GlyphPiece(const TPlacedGlyph& g, const TRotation& r, int orientation, double ox, double oy, int em,
                TPiece& piece) {
  const double ix = std::floor(ox), iy = std::floor(oy);
  if (ix != ox || iy != oy || em > kMaxCachedGlyphEm) return RenderGlyph(g, r, ox, oy, em, piece);
  const uint64_t key = uint64_t(g.Index) | (uint64_t(g.SynthBold) << 32) | (uint64_t(g.SynthItalic) << 33) |
                       (uint64_t(orientation) << 34);
  auto& cache = g.Entry->Rendered;
  auto it = cache.find(key);
  if (it == cache.end()) {
    TPiece rel;
    if (!RenderGlyph(g, r, 0, 0, em, rel)) rel = TPiece();
    if (cache.size() >= kMaxCachedGlyphs) cache.clear();
    it = cache.emplace(key, std::move(rel)).first;
  }
  if (it->second.Width == 0) return false;
  piece = it->second;
  piece.Left += int(ix);
  piece.Top += int(iy);
  return true;
}

// Cuts a piece down to the part inside a box; false when nothing is left.
bool CropPiece(TPiece& p, const TBox& box) {
  const TBox pb{p.Left, p.Top, int64_t(p.Left) + p.Width, int64_t(p.Top) + p.Height};
  const TBox in = pb.Intersect(box);
  if (in.Empty()) return false;
  if (in.X0 == pb.X0 && in.Y0 == pb.Y0 && in.X1 == pb.X1 && in.Y1 == pb.Y1) return true;
  TPiece c;
  c.Left = int(in.X0);
  c.Top = int(in.Y0);
  c.Width = int(in.X1 - in.X0);
  c.Height = int(in.Y1 - in.Y0);
  c.Alpha.resize(size_t(c.Width) * c.Height);
  for (int y = 0; y < c.Height; ++y)
    std::memcpy(c.Alpha.data() + size_t(y) * c.Width,
                p.Alpha.data() + size_t(c.Top - p.Top + y) * p.Width + size_t(c.Left - p.Left), size_t(c.Width));
  p = std::move(c);
  return true;
}

// A rule (underline, strike-out) across the text's advance, turned with the text.
bool MakeRule(const TRotation& r, int width, int top, int thickness, TQuad& q) {
  if (width <= 0 || thickness <= 0) return false;
  const double ux[4] = {0, double(width), double(width), 0};
  const double uy[4] = {double(top), double(top), double(top + thickness), double(top + thickness)};
  for (int i = 0; i < 4; ++i) Rotate(r, ux[i], uy[i], q.Xs[i], q.Ys[i]);
  return true;
}

// Half the side of a square around a glyph origin that holds every pixel of the glyph.
int GlyphReach(const TFaceEntry& e, int em, bool synthBold) {
  const FT_BBox& bb = e.Face->bbox;
  const int64_t m = std::max({std::abs(int64_t(bb.xMin)), std::abs(int64_t(bb.xMax)), std::abs(int64_t(bb.yMin)),
                              std::abs(int64_t(bb.yMax)), int64_t(e.UnitsPerEm)});
  // slant and rotation stretch the box by at most a factor 1.25 * sqrt(2)
  return int(std::ceil(double(m) * em / e.UnitsPerEm * 1.8)) + (synthBold ? SynthBoldPixels(em) : 0) + 2;
}

TGlyphMask RenderWithin(const TFontSpec& f, std::string_view utf8, const TBox* clip) {
  TEngine& eng = TEngine::Get();
  eng.TrimCache();
  const int em = ClampEm(f.EmPixels);
  const std::vector<TPlacedGlyph> glyphs = Layout(eng, f, em, utf8);
  TGlyphMask mask;
  if (glyphs.empty() || (clip && clip->Empty())) return mask;
  const TRotation rot = RotationOf(f.Orientation);
  const TResolved res = eng.Resolve(f.Name, f.Bold, f.Italic);
  const TLineMetrics lm = LineMetricsOf(eng.Face(*res.Info, em), em, res.SynthBold);

  std::vector<TPiece> pieces;
  pieces.reserve(glyphs.size());
  TBox bounds;
  int64_t pieceArea = 0;
  int pen = 0;
  for (const auto& g : glyphs) {
    double ox, oy;
    Rotate(rot, pen, lm.Ascent, ox, oy);
    pen += g.Advance;
    if (clip) {
      const int reach = GlyphReach(*g.Entry, em, g.SynthBold);
      const TBox near{int64_t(std::floor(ox)) - reach, int64_t(std::floor(oy)) - reach,
                      int64_t(std::floor(ox)) + reach + 1, int64_t(std::floor(oy)) + reach + 1};
      if (near.Intersect(*clip).Empty()) continue;
    }
    TPiece p;
    if (!GlyphPiece(g, rot, rot.Tenths, ox, oy, em, p)) continue;
    if (clip && !CropPiece(p, *clip)) continue;
    bounds = bounds.Union({p.Left, p.Top, int64_t(p.Left) + p.Width, int64_t(p.Top) + p.Height});
    pieceArea += int64_t(p.Width) * p.Height;
    if (bounds.Area() > kMaxMaskPixels || pieceArea > 2 * kMaxMaskPixels)
      throw Exception("FontEngine.Render: text too large to render");
    pieces.push_back(std::move(p));
  }
  TQuad rules[2];
  int nRules = 0;
  if (f.Underline && MakeRule(rot, pen, lm.UnderlineTop, lm.UnderlineThickness, rules[nRules])) ++nRules;
  if (f.StrikeOut && MakeRule(rot, pen, lm.StrikeTop, lm.StrikeThickness, rules[nRules])) ++nRules;
  for (int i = 0; i < nRules; ++i) bounds = bounds.Union(rules[i].Bounds());
  if (clip) bounds = bounds.Intersect(*clip);
  if (bounds.Empty()) return mask;
  if (bounds.Area() > kMaxMaskPixels) throw Exception("FontEngine.Render: text too large to render");
  for (int i = 0; i < nRules; ++i) {
    TPiece p;
    if (RenderQuad(eng.Library(), rules[i], bounds, p)) pieces.push_back(std::move(p));
  }

  mask.Left = int(bounds.X0);
  mask.Top = int(bounds.Y0);
  mask.Width = int(bounds.X1 - bounds.X0);
  mask.Height = int(bounds.Y1 - bounds.Y0);
  mask.Alpha.assign(size_t(mask.Width) * mask.Height, 0);
  // Coverages of neighbouring glyphs meet along shared pixels: they add up.
  for (const auto& p : pieces) {
    const TBox pb = TBox{p.Left, p.Top, int64_t(p.Left) + p.Width, int64_t(p.Top) + p.Height}.Intersect(bounds);
    for (int64_t y = pb.Y0; y < pb.Y1; ++y) {
      uint8_t* dst = mask.Alpha.data() + size_t(y - bounds.Y0) * mask.Width + size_t(pb.X0 - bounds.X0);
      const uint8_t* src = p.Alpha.data() + size_t(y - p.Top) * p.Width + size_t(pb.X0 - p.Left);
      for (int64_t x = 0; x < pb.X1 - pb.X0; ++x) dst[x] = uint8_t(std::min(255, dst[x] + src[x]));
    }
  }
  return mask;
}

}  // namespace

namespace FontEngine {

std::string ResolveFamily(const std::string& requested) { return TEngine::Get().ResolveFamily(requested); }

std::string ResolveFile(const std::string& requested, bool bold, bool italic) {
  return TEngine::Get().Resolve(requested, bold, italic).Info->File;
}

TFontMetrics Metrics(const TFontSpec& f) {
  TEngine& eng = TEngine::Get();
  eng.TrimCache();
  const int em = ClampEm(f.EmPixels);
  const TResolved res = eng.Resolve(f.Name, f.Bold, f.Italic);
  const TLineMetrics lm = LineMetricsOf(eng.Face(*res.Info, em), em, res.SynthBold);
  TFontMetrics m;
  m.Ascent = lm.Ascent;
  m.Descent = lm.Descent;
  m.Height = lm.Ascent + lm.Descent;
  m.InternalLeading = m.Height - em;
  m.ExternalLeading = lm.ExternalLeading;
  m.AveCharWidth = lm.AveCharWidth;
  m.MaxCharWidth = lm.MaxCharWidth;
  return m;
}

int TextWidth(const TFontSpec& f, std::string_view utf8) {
  TEngine& eng = TEngine::Get();
  eng.TrimCache();
  int w = 0;
  for (const auto& g : Layout(eng, f, ClampEm(f.EmPixels), utf8)) w += g.Advance;
  return w;
}

TGlyphMask Render(const TFontSpec& f, std::string_view utf8) { return RenderWithin(f, utf8, nullptr); }

TGlyphMask RenderClipped(const TFontSpec& f, std::string_view utf8, int clipLeft, int clipTop, int clipWidth,
                         int clipHeight) {
  const TBox clip{clipLeft, clipTop, int64_t(clipLeft) + std::max(0, clipWidth),
                  int64_t(clipTop) + std::max(0, clipHeight)};
  return RenderWithin(f, utf8, &clip);
}

std::vector<std::string> InstalledFamilies() {
  std::vector<std::string> out = TEngine::Get().Families();
  for (const auto& a : kAliases) out.emplace_back(a.Name);
  return out;
}

bool IsInstalled(const std::string& family) {
  TEngine& eng = TEngine::Get();
  if (!eng.InstalledName(family).empty()) return true;
  for (const auto& a : kAliases)
    if (SameAscii(a.Name, family)) return !eng.InstalledName(a.Family).empty();
  return false;
}

bool IsTrueType(const std::string& family) {
  if (!IsInstalled(family)) return false;
  TEngine& eng = TEngine::Get();
  eng.TrimCache();
  const TResolved res = eng.Resolve(family, false, false);
  FT_Face face = eng.Face(*res.Info, 13).Face;
  if (!FT_IS_SFNT(face)) return false;
  FT_ULong length = 0;
  return FT_Load_Sfnt_Table(face, TTAG_glyf, 0, nullptr, &length) == 0 && length > 0;
}

}  // namespace FontEngine
}  // namespace zol
