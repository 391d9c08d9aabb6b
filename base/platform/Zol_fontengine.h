// Text rendering of the platform layer: font family resolution, metrics, text widths and
// anti-aliased coverage masks of (optionally rotated) text.
//
// The engine knows a fixed set of font files (the Liberation 2 and DejaVu core families) and maps
// every requested family name onto one of them, so metrics and pictures are the same on every
// machine that has those font packages installed.  Glyphs are rendered without hinting; advance
// widths come straight from the font's design units, rounded to whole pixels per glyph.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zol {

struct TFontSpec {
  std::string Name;        // requested family, e.g. "Arial"
  int EmPixels = 13;       // character height (em size) in pixels, > 0
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  int Orientation = 0;     // tenths of a degree, counter-clockwise on screen
};

struct TFontMetrics {
  int Ascent = 0, Descent = 0, Height = 0, InternalLeading = 0, ExternalLeading = 0,
      AveCharWidth = 0, MaxCharWidth = 0;
};

struct TGlyphMask {
  int Left = 0, Top = 0;          // mask's top-left pixel relative to the text reference point
  int Width = 0, Height = 0;
  std::vector<uint8_t> Alpha;     // Width*Height coverage values 0..255, row-major
};

namespace FontEngine {

// Largest em size the engine renders; larger requests are clamped to it (smaller than 1: to 1).
constexpr int MaxEmPixels = 4096;

// Family that serves a requested name: the aliases ("Arial" -> "Liberation Sans", ...), the
// installed families under their own spelling, and "DejaVu Sans" for everything else.
// Matching is ASCII case-insensitive.
std::string ResolveFamily(const std::string& requested);
// Path of the font file used for the requested family and style.  When the family has no face
// with the style, the nearest face is returned and the style is synthesised while rendering.
std::string ResolveFile(const std::string& requested, bool bold, bool italic);

TFontMetrics Metrics(const TFontSpec& f);
// Advance of the text in pixels along its baseline (the orientation is ignored).
int TextWidth(const TFontSpec& f, std::string_view utf8);
// Reference point = top-left corner of the unrotated text cell (baseline at y + Ascent); the
// text is rotated by Orientation about that point. Underline/strike-out are part of the mask.
// Raises Exception when the mask would exceed 64 Mi pixels; see RenderClipped.
TGlyphMask Render(const TFontSpec& f, std::string_view utf8);
// The part of Render's mask inside the clip rectangle (relative to the reference point, like the
// mask); glyphs outside it are not rasterised.  A drawing surface passes its own extent here, so
// huge or far-off text costs only what is visible.
TGlyphMask RenderClipped(const TFontSpec& f, std::string_view utf8, int clipLeft, int clipTop, int clipWidth,
                         int clipHeight);

// Installed families (each once, sorted) followed by the aliases.
std::vector<std::string> InstalledFamilies();
bool IsInstalled(const std::string& family);
// True for an installed family whose font file holds TrueType outlines (an sfnt with a glyf table).
bool IsTrueType(const std::string& family);

}  // namespace FontEngine
}  // namespace zol
