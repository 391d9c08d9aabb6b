// Platform services: metafiles (recording canvas, replay, SVG, recording
// format, PDF through Cairo).
#include "base/platform/Zol_metafile.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <sstream>

#include "base/platform/Zol_fontengine.h"

namespace zol {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The vector writers limit coordinates to +-2^26, as the raster canvas does
// for most shapes, so sizes computed from them never overflow.  Records keep
// the coordinates as given: replay passes them on unchanged.
constexpr int kCoordLimit = 1 << 26;
int ClampCoord(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kCoordLimit, kCoordLimit)); }
TPoint ClampPt(const TPoint& p) { return TPoint(ClampCoord(p.X), ClampCoord(p.Y)); }
TRect ClampRect(const TRect& r) {
  return TRect(ClampCoord(r.Left), ClampCoord(r.Top), ClampCoord(r.Right), ClampCoord(r.Bottom));
}


// ---------------------------------------------------------------- state helpers
TMetaState StateOf(const TCanvas& c) {
  TMetaState s;
  s.PenColor = c.Pen().Color();
  s.PenWidth = c.Pen().Width();
  s.PenStyle = c.Pen().Style();
  s.PenMode = c.Pen().Mode();
  s.BrushColor = c.Brush().Color();
  s.BrushStyle = c.Brush().Style();
  s.FontName = c.Font().Name();
  s.FontHeight = c.Font().Height();
  s.FontStyle = c.Font().Style();
  s.FontColor = c.Font().Color();
  s.FontPixelsPerInch = c.Font().PixelsPerInch();
  s.FontOrientation = c.Font().Orientation();
  s.FontPitch = c.Font().Pitch();
  s.FontCharset = c.Font().Charset();
  s.TextAlign = c.TextAlign();
  s.BkMode = c.BkMode();
  s.StretchBltMode = c.StretchBltMode();
  s.CopyMode = c.CopyMode();
  s.HasClip = c.HasClipRect();
  s.Clip = s.HasClip ? c.ClipRect() : TRect();
  return s;
}

// Puts the state on a canvas; font height and pen width scaled.  The
// background mode is set after the brush, whose change resets it.
void ApplyState(TCanvas& c, const TMetaState& s, double penScale, double fontScale) {
  c.Pen().SetColor(s.PenColor);
  int pw = s.PenWidth;
  if (penScale != 1.0) pw = std::max(1, static_cast<int>(std::lround(pw * penScale)));
  c.Pen().SetWidth(pw);
  c.Pen().SetStyle(s.PenStyle);
  c.Pen().SetMode(s.PenMode);
  c.Brush().SetColor(s.BrushColor);
  c.Brush().SetStyle(s.BrushStyle);
  c.Font().SetName(s.FontName);
  c.Font().SetPixelsPerInch(s.FontPixelsPerInch);
  int fh = s.FontHeight;
  if (fontScale != 1.0 && fh != 0) {
    int a = static_cast<int>(std::lround(std::abs(fh) * fontScale));
    fh = fh < 0 ? -std::max(1, a) : std::max(1, a);
  }
  c.Font().SetHeight(fh);
  c.Font().SetStyle(s.FontStyle);
  c.Font().SetColor(s.FontColor);
  c.Font().SetOrientation(s.FontOrientation);
  c.Font().SetPitch(s.FontPitch);
  c.Font().SetCharset(s.FontCharset);
  c.SetTextAlign(s.TextAlign);
  c.SetBkMode(s.BkMode);
  c.SetStretchBltMode(s.StretchBltMode);
  c.SetCopyMode(s.CopyMode);
}

// a * b / c rounded half away from zero (c > 0).
int MulDivRound(int a, int b, int c) {
  int64_t n = int64_t(a) * b;
  int64_t q = (std::llabs(n) * 2 + c) / (2 * int64_t(c));
  return static_cast<int>(n < 0 ? -q : q);
}

// The font engine's description of a font, as every canvas makes it: a
// negative height is the em size, a positive one the cell height, 0 the
// default size of 8 points.
TFontSpec SpecOf(const TMetaState& s) {
  TFontSpec f;
  f.Name = s.FontName;
  f.Bold = s.FontStyle.Contains(fsBold);
  f.Italic = s.FontStyle.Contains(fsItalic);
  f.Underline = s.FontStyle.Contains(fsUnderline);
  f.StrikeOut = s.FontStyle.Contains(fsStrikeOut);
  f.Orientation = s.FontOrientation;
  int h = s.FontHeight;
  if (h < 0) {
    f.EmPixels = -h;
  } else if (h > 0) {
    f.EmPixels = h;
    TFontMetrics m = FontEngine::Metrics(f);
    if (m.Height > 0) f.EmPixels = std::max(1, MulDivRound(h, h, m.Height));
  } else {
    f.EmPixels = MulDivRound(8, s.FontPixelsPerInch, 72);
  }
  f.EmPixels = std::clamp(f.EmPixels, 1, FontEngine::MaxEmPixels);
  return f;
}

// Copies for the vector writers with coordinates limited (corner sizes of
// rounded rectangles are limited the same way).
TMetaRecord Limited(const TMetaRecord& r) {
  TMetaRecord c = r;
  c.Rect = ClampRect(c.Rect);
  for (TPoint& p : c.Pts) p = ClampPt(p);
  return c;
}
TMetaState Limited(const TMetaState& s) {
  TMetaState c = s;
  c.Clip = ClampRect(c.Clip);
  c.PenWidth = std::clamp(c.PenWidth, 1, kCoordLimit);
  return c;
}

TRect Normalized(int x1, int y1, int x2, int y2) {
  return TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
}

// ---------------------------------------------------------------- vector model
// Paths in pixel coordinates (pixel (i, j) covers [i, i+1) x [j, j+1)).
struct Seg {
  char Op;  // 'M', 'L', 'C', 'Z'
  double P[6];
};
using Path = std::vector<Seg>;

void PMove(Path& p, double x, double y) { p.push_back({'M', {x, y, 0, 0, 0, 0}}); }
void PLine(Path& p, double x, double y) { p.push_back({'L', {x, y, 0, 0, 0, 0}}); }
void PCurve(Path& p, double a, double b, double c, double d, double e, double f) {
  p.push_back({'C', {a, b, c, d, e, f}});
}
void PClose(Path& p) { p.push_back({'Z', {0, 0, 0, 0, 0, 0}}); }

// Elliptic arc around (cx, cy), radii rx, ry, from parameter t0 over sweep
// (radians, positive = counter-clockwise on screen).  Starts with a line or
// move to the first point.
void PArc(Path& p, double cx, double cy, double rx, double ry, double t0, double sweep, bool move) {
  auto pt = [&](double t, double& x, double& y) {
    x = cx + rx * std::cos(t);
    y = cy - ry * std::sin(t);
  };
  double x, y;
  pt(t0, x, y);
  if (move) PMove(p, x, y); else PLine(p, x, y);
  int n = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)));
  double dt = sweep / n;
  double k = 4.0 / 3.0 * std::tan(dt / 4);
  double t = t0;
  for (int i = 0; i < n; ++i) {
    double t1 = t + dt;
    double x0 = cx + rx * std::cos(t), y0 = cy - ry * std::sin(t);
    double x1 = cx + rx * std::cos(t1), y1 = cy - ry * std::sin(t1);
    // derivative of (cos t, -sin t) is (-sin t, -cos t)
    double c1x = x0 + k * (-rx * std::sin(t)), c1y = y0 + k * (-ry * std::cos(t));
    double c2x = x1 - k * (-rx * std::sin(t1)), c2y = y1 - k * (-ry * std::cos(t1));
    PCurve(p, c1x, c1y, c2x, c2y, x1, y1);
    t = t1;
  }
}

void PEllipse(Path& p, double cx, double cy, double rx, double ry) {
  PArc(p, cx, cy, rx, ry, 0, 2 * kPi, true);
  PClose(p);
}

// The parameter angle of the point where the ray from the centre towards
// (x, y) meets the ellipse.
double RayParam(double cx, double cy, double rx, double ry, double x, double y) {
  double dx = x - cx, dy = y - cy;
  if (dx == 0 && dy == 0) return 0;
  return std::atan2(-dy / std::max(ry, 1e-9), dx / std::max(rx, 1e-9));
}

enum Blend { blNormal, blDifference, blMultiply, blScreen };

struct Paint {
  bool Skip = false;  // nothing at all is drawn (pmNop)
  // fill
  int FillKind = 0;  // 0 none, 1 solid, 2 hatch
  TColor FillColor = 0;
  TBrushStyle Hatch = bsSolid;
  bool EvenOdd = true;
  // stroke
  bool Stroke = false;
  TColor StrokeColor = 0;
  double StrokeWidth = 1;
  std::vector<double> Dash;
  bool RoundCap = false;
  // gaps of a styled pen in opaque background mode
  bool GapFill = false;
  TColor GapColor = 0;
  Blend Mode = blNormal;
};

// How a binary raster operation of colour c is expressed: the colour drawn
// and the blend mode.  XOR becomes "difference", AND "multiply", OR "screen":
// exact whenever the pen's colour channels are 0 or 255 (black, white and
// the pure colours); the remaining operations that combine pen and
// destination draw the pen colour.
bool MapMode(TPenMode m, TColor c, TColor& out, Blend& b) {
  c = ColorToRGB(c);
  TColor inv = (~c) & 0xFFFFFF;
  b = blNormal;
  out = c;
  switch (m) {
    case pmBlack: out = 0; break;
    case pmWhite: out = 0xFFFFFF; break;
    case pmNop: return false;
    case pmNot: out = 0xFFFFFF; b = blDifference; break;
    case pmCopy: break;
    case pmNotCopy: out = inv; break;
    case pmXor: b = blDifference; break;
    case pmNotXor: out = inv; b = blDifference; break;
    case pmMask: b = blMultiply; break;
    case pmMerge: b = blScreen; break;
    case pmMaskNotPen: out = inv; b = blMultiply; break;
    case pmMergeNotPen: out = inv; b = blScreen; break;
    default: break;
  }
  return true;
}

// Dash patterns of the styled pens, in pixels (on, off, ...).
std::vector<double> DashOf(TPenStyle s) {
  switch (s) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
  }
}

Paint MakePaint(const TMetaState& s, bool stroke, bool fill) {
  Paint p;
  TColor sc = s.PenColor;
  Blend b = blNormal;
  if (!MapMode(s.PenMode, s.PenColor, sc, b)) {
    p.Skip = true;
    return p;
  }
  p.Mode = b;
  if (stroke && s.PenStyle != psClear) {
    p.Stroke = true;
    p.StrokeColor = sc;
    p.StrokeWidth = std::max(1, s.PenWidth);
    if (s.PenWidth <= 1) p.Dash = DashOf(s.PenStyle);  // wide pens draw solid
    p.RoundCap = s.PenWidth > 1;
    if (!p.Dash.empty() && s.BkMode == OPAQUE) {
      p.GapFill = true;
      p.GapColor = ColorToRGB(s.BrushColor);
    }
  }
  if (fill && s.BrushStyle != bsClear) {
    TColor fc = s.BrushColor;
    Blend fb;
    MapMode(s.PenMode, s.BrushColor, fc, fb);
    p.FillKind = s.BrushStyle == bsSolid ? 1 : 2;
    p.FillColor = fc;
    p.Hatch = s.BrushStyle;
  }
  return p;
}

// The box of the centre line of a shape's outline.  A 1-pixel pen runs
// through the centres of the frame's edge pixels; a wide pen's band of w
// pixels lies around the frame (inside it for psInsideFrame).  Bands of an
// even width end on pixel edges: rectangles grow by w/2 on every side,
// ellipses and arcs are drawn in the box one pixel smaller at the right and
// bottom.
void ShapeBox(const TMetaState& s, const TRect& r, bool ellipse, double& x0, double& y0, double& x1,
              double& y1) {
  const int w = s.PenStyle == psClear ? 1 : std::max(1, s.PenWidth);
  if (s.PenStyle == psClear) {
    // without an outline the fill covers the frame less its right column and bottom row
    x0 = r.Left; y0 = r.Top; x1 = r.Right - 1; y1 = r.Bottom - 1;
    if (x1 < x0) x1 = x0;
    if (y1 < y0) y1 = y0;
    return;
  }
  x0 = r.Left + 0.5;
  y0 = r.Top + 0.5;
  x1 = r.Right - 0.5;
  y1 = r.Bottom - 0.5;
  if (s.PenStyle == psInsideFrame && w > 1) {
    double h = (w - 1) / 2.0;
    x0 += h; y0 += h; x1 -= h; y1 -= h;
  } else if (w % 2 == 0) {
    x0 -= 0.5; y0 -= 0.5;
    x1 += ellipse ? -0.5 : 0.5;
    y1 += ellipse ? -0.5 : 0.5;
  }
  if (x1 < x0) x0 = x1 = (x0 + x1) / 2;
  if (y1 < y0) y0 = y1 = (y0 + y1) / 2;
}

// The path of an arc, pie or chord.
Path ArcPath(const TMetaState& s, const TMetaRecord& rec) {
  double x0, y0, x1, y1;
  ShapeBox(s, rec.Rect, true, x0, y0, x1, y1);
  double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, rx = (x1 - x0) / 2, ry = (y1 - y0) / 2;
  // the rays start at the centre of the frame
  TRect f = Normalized(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right, rec.Rect.Bottom);
  double fx = (double(f.Left) + f.Right) / 2, fy = (double(f.Top) + f.Bottom) / 2;
  double t0 = RayParam(fx, fy, rx, ry, rec.Pts[0].X, rec.Pts[0].Y);
  double t1 = RayParam(fx, fy, rx, ry, rec.Pts[1].X, rec.Pts[1].Y);
  double sweep = t1 - t0;
  while (sweep <= 1e-9) sweep += 2 * kPi;
  while (sweep > 2 * kPi + 1e-9) sweep -= 2 * kPi;
  Path p;
  if (rec.Kind == mrPie) {
    PMove(p, cx, cy);
    PArc(p, cx, cy, rx, ry, t0, sweep, false);
    PClose(p);
  } else {
    PArc(p, cx, cy, rx, ry, t0, sweep, true);
    if (rec.Kind == mrChord) PClose(p);
  }
  return p;
}

Path RoundRectPath(const TMetaState& s, const TMetaRecord& rec) {
  double x0, y0, x1, y1;
  ShapeBox(s, rec.Rect, false, x0, y0, x1, y1);
  double rx = std::min(std::abs(rec.Pts[0].X) / 2.0, (x1 - x0) / 2);
  double ry = std::min(std::abs(rec.Pts[0].Y) / 2.0, (y1 - y0) / 2);
  Path p;
  if (rx <= 0 || ry <= 0) {
    PMove(p, x0, y0); PLine(p, x1, y0); PLine(p, x1, y1); PLine(p, x0, y1); PClose(p);
    return p;
  }
  PArc(p, x1 - rx, y0 + ry, rx, ry, 0, kPi / 2, true);
  PArc(p, x0 + rx, y0 + ry, rx, ry, kPi / 2, kPi / 2, false);
  PArc(p, x0 + rx, y1 - ry, rx, ry, kPi, kPi / 2, false);
  PArc(p, x1 - rx, y1 - ry, rx, ry, 1.5 * kPi, kPi / 2, false);
  PClose(p);
  return p;
}

Path PointsPath(const std::vector<TPoint>& pts, bool close) {
  Path p;
  for (size_t i = 0; i < pts.size(); ++i) {
    if (i == 0) PMove(p, pts[i].X + 0.5, pts[i].Y + 0.5);
    else PLine(p, pts[i].X + 0.5, pts[i].Y + 0.5);
  }
  if (close && !pts.empty()) PClose(p);
  return p;
}

Path BezierPath(const std::vector<TPoint>& pts) {
  Path p;
  if (pts.empty()) return p;
  PMove(p, pts[0].X + 0.5, pts[0].Y + 0.5);
  for (size_t i = 1; i + 2 < pts.size(); i += 3)
    PCurve(p, pts[i].X + 0.5, pts[i].Y + 0.5, pts[i + 1].X + 0.5, pts[i + 1].Y + 0.5,
           pts[i + 2].X + 0.5, pts[i + 2].Y + 0.5);
  return p;
}

Path RectPath(double x0, double y0, double x1, double y1) {
  Path p;
  PMove(p, x0, y0); PLine(p, x1, y0); PLine(p, x1, y1); PLine(p, x0, y1); PClose(p);
  return p;
}

// One vector drawing step: a path with its paint.
struct Shape {
  Path P;
  Paint Pt;
  Path FillP;  // the fill's own path when it differs from the outline's
};

// The vector form of a shape record (lines, polygons, rectangles, ...).
// Text, images and flood fills are handled by the writers themselves.
bool ShapeOf(const TMetaRecord& rec, const TMetaState& s, Shape& out) {
  const auto& pts = rec.Pts;
  switch (rec.Kind) {
    case mrLineTo:
      if (pts.size() < 2) return false;
      out.P = PointsPath(pts, false);
      out.Pt = MakePaint(s, true, false);
      return true;
    case mrPolyline:
      out.P = PointsPath(pts, false);
      out.Pt = MakePaint(s, true, false);
      return pts.size() >= 2;
    case mrPolygon:
      out.P = PointsPath(pts, true);
      // the fill covers the pixels whose centres lie inside the vertices' polygon
      for (const TPoint& q : pts) {
        if (out.FillP.empty()) PMove(out.FillP, q.X, q.Y);
        else PLine(out.FillP, q.X, q.Y);
      }
      PClose(out.FillP);
      out.Pt = MakePaint(s, true, true);
      return pts.size() >= 2;
    case mrPolyBezier:
      out.P = BezierPath(pts);
      out.Pt = MakePaint(s, true, false);
      return pts.size() >= 4;
    case mrRectangle: {
      double x0, y0, x1, y1;
      ShapeBox(s, Normalized(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right, rec.Rect.Bottom), false, x0,
               y0, x1, y1);
      out.P = RectPath(x0, y0, x1, y1);
      out.Pt = MakePaint(s, true, true);
      if (s.PenStyle == psClear || out.Pt.Skip) {
        // without an outline the fill covers the frame's inside only
        out.P = RectPath(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right - 1, rec.Rect.Bottom - 1);
      }
      return !rec.Rect.IsEmpty();
    }
    case mrFillRect: {
      out.P = RectPath(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right, rec.Rect.Bottom);
      Paint p;
      if (s.BrushStyle != bsClear) {
        p.FillKind = s.BrushStyle == bsSolid ? 1 : 2;
        p.FillColor = ColorToRGB(s.BrushColor);
        p.Hatch = s.BrushStyle;
      }
      out.Pt = p;
      return !rec.Rect.IsEmpty();
    }
    case mrFrameRect: {
      out.P = RectPath(rec.Rect.Left + 0.5, rec.Rect.Top + 0.5, rec.Rect.Right - 0.5,
                       rec.Rect.Bottom - 0.5);
      Paint p;
      p.Stroke = true;
      p.StrokeColor = ColorToRGB(s.BrushColor);
      out.Pt = p;
      return !rec.Rect.IsEmpty();
    }
    case mrEllipse: {
      double x0, y0, x1, y1;
      ShapeBox(s, Normalized(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right, rec.Rect.Bottom), true, x0,
               y0, x1, y1);
      PEllipse(out.P, (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2);
      out.Pt = MakePaint(s, true, true);
      return !rec.Rect.IsEmpty();
    }
    case mrRoundRect:
      if (pts.empty()) return false;
      out.P = RoundRectPath(s, rec);
      out.Pt = MakePaint(s, true, true);
      return !rec.Rect.IsEmpty();
    case mrArc:
    case mrPie:
    case mrChord:
      if (pts.size() < 2) return false;
      out.P = ArcPath(s, rec);
      out.Pt = MakePaint(s, true, rec.Kind != mrArc);
      return !rec.Rect.IsEmpty();
    case mrSetPixel: {
      out.P = RectPath(pts[0].X, pts[0].Y, pts[0].X + 1, pts[0].Y + 1);
      Paint p;
      p.FillKind = 1;
      p.FillColor = ColorToRGB(rec.Color);
      out.Pt = p;
      return !pts.empty();
    }
    default:
      return false;
  }
}

// Text placement: the reference point, the offset from it to the start of
// the baseline in the unrotated frame, the cell and the advance.
struct TextPlace {
  TFontSpec Font;
  TFontMetrics M;
  int Width = 0;
  double RefX = 0, RefY = 0;  // rotation centre
  double Dx = 0, Dy = 0;      // baseline start relative to the reference point
  double Angle = 0;           // degrees, counter-clockwise
};

TextPlace PlaceText(const TMetaState& s, int x, int y, const std::string& text) {
  TextPlace t;
  t.Font = SpecOf(s);
  TFontSpec flat = t.Font;
  flat.Orientation = 0;
  t.M = FontEngine::Metrics(flat);
  t.Width = FontEngine::TextWidth(flat, text);
  t.RefX = x;
  t.RefY = y;
  unsigned h = s.TextAlign & TA_HORZMASK, v = s.TextAlign & TA_VERTMASK;
  t.Dx = h == TA_RIGHT ? -t.Width : h == TA_CENTER ? -t.Width / 2 : 0;
  t.Dy = v == TA_BASELINE ? 0 : v == TA_BOTTOM ? t.M.Ascent - t.M.Height : t.M.Ascent;
  t.Angle = s.FontOrientation / 10.0;
  return t;
}

// ---------------------------------------------------------------- text output helpers
std::string Num(double v) {
  if (std::abs(v) < 5e-4) v = 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

std::string Hex(TColor c) {
  c = ColorToRGB(c);
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  return buf;
}

std::string XmlEscape(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (unsigned char ch : s) {
    switch (ch) {
      case '&': r += "&amp;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '"': r += "&quot;"; break;
      case '\'': r += "&apos;"; break;
      default:
        // control characters XML forbids become blanks
        if (ch < 0x20 && ch != '\t' && ch != '\n' && ch != '\r') r += ' ';
        else r += static_cast<char>(ch);
    }
  }
  return r;
}

std::string Base64(const std::string& in) {
  static const char* tab = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((in.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    uint32_t v = (uint8_t(in[i]) << 16) | (uint8_t(in[i + 1]) << 8) | uint8_t(in[i + 2]);
    out += tab[v >> 18]; out += tab[(v >> 12) & 63]; out += tab[(v >> 6) & 63]; out += tab[v & 63];
  }
  if (i + 1 == in.size()) {
    uint32_t v = uint8_t(in[i]) << 16;
    out += tab[v >> 18]; out += tab[(v >> 12) & 63]; out += "==";
  } else if (i + 2 == in.size()) {
    uint32_t v = (uint8_t(in[i]) << 16) | (uint8_t(in[i + 1]) << 8);
    out += tab[v >> 18]; out += tab[(v >> 12) & 63]; out += tab[(v >> 6) & 63]; out += '=';
  }
  return out;
}

// The part srcRect of the image as a new bitmap; pixels of the transparent
// colour get alpha 0 when transparent is set; cmNotSrcCopy inverts.
std::unique_ptr<TBitmap> ImagePart(const TMetaRecord& rec) {
  const TBitmap& src = *rec.Image;
  TRect sr(rec.Pts[0].X, rec.Pts[0].Y, rec.Pts[1].X, rec.Pts[1].Y);
  TRect clipped;
  auto out = std::make_unique<TBitmap>();
  if (!IntersectRect(clipped, sr, TRect(0, 0, src.Width(), src.Height()))) return out;
  out->SetSize(clipped.Width(), clipped.Height());
  out->SetPixelFormat(pf32bit);
  uint32_t key = TBitmap::ColorToPixel(ColorToRGB(rec.Color)) & 0xFFFFFFu;
  for (int y = 0; y < clipped.Height(); ++y) {
    const uint32_t* s = src.ScanLine(clipped.Top + y) + clipped.Left;
    uint32_t* d = out->ScanLine(y);
    for (int x = 0; x < clipped.Width(); ++x) {
      uint32_t p = s[x] | 0xFF000000u;
      if (rec.Param == cmNotSrcCopy) p = (~p & 0xFFFFFFu) | 0xFF000000u;
      if (rec.Transparent && (s[x] & 0xFFFFFFu) == key) p = 0;
      d[x] = p;
    }
  }
  return out;
}

// Destination rectangle of the visible part of the source rectangle.
void ImageDest(const TMetaRecord& rec, double& x, double& y, double& w, double& h) {
  const TBitmap& src = *rec.Image;
  TRect sr(rec.Pts[0].X, rec.Pts[0].Y, rec.Pts[1].X, rec.Pts[1].Y);
  TRect clipped;
  x = rec.Rect.Left; y = rec.Rect.Top; w = rec.Rect.Width(); h = rec.Rect.Height();
  if (sr.Width() == 0 || sr.Height() == 0) return;
  if (!IntersectRect(clipped, sr, TRect(0, 0, src.Width(), src.Height()))) return;
  double fx = double(rec.Rect.Width()) / sr.Width(), fy = double(rec.Rect.Height()) / sr.Height();
  x = rec.Rect.Left + (clipped.Left - sr.Left) * fx;
  y = rec.Rect.Top + (clipped.Top - sr.Top) * fy;
  w = clipped.Width() * fx;
  h = clipped.Height() * fy;
}

// The image of a record ready for a vector writer, and where it goes.  A
// nearest-pixel stretch of moderate size is done here exactly as the raster
// canvas does it (renderers would smooth it); otherwise the source part is
// returned with its (possibly mirrored) destination.
std::unique_ptr<TBitmap> PreparedImage(const TMetaRecord& rec, const TMetaState& st, double& x, double& y,
                                       double& w, double& h) {
  const TBitmap& src = *rec.Image;
  TRect d = rec.Rect;
  TRect s(rec.Pts[0].X, rec.Pts[0].Y, rec.Pts[1].X, rec.Pts[1].Y);
  bool flipX = false, flipY = false;
  if (d.Right < d.Left) { std::swap(d.Left, d.Right); flipX = !flipX; }
  if (d.Bottom < d.Top) { std::swap(d.Top, d.Bottom); flipY = !flipY; }
  if (s.Right < s.Left) { std::swap(s.Left, s.Right); flipX = !flipX; }
  if (s.Bottom < s.Top) { std::swap(s.Top, s.Bottom); flipY = !flipY; }
  const int64_t dw = int64_t(d.Right) - d.Left, dh = int64_t(d.Bottom) - d.Top;
  const int64_t sw = int64_t(s.Right) - s.Left, sh = int64_t(s.Bottom) - s.Top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return std::make_unique<TBitmap>();
  const bool smooth = st.StretchBltMode == HALFTONE && !rec.Transparent && (dw != sw || dh != sh);
  if (smooth || dw * dh > (int64_t(1) << 20)) {
    ImageDest(rec, x, y, w, h);
    return ImagePart(rec);
  }
  auto out = std::make_unique<TBitmap>();
  out->SetSize(int(dw), int(dh));
  out->SetPixelFormat(pf32bit);
  const uint32_t key = TBitmap::ColorToPixel(ColorToRGB(rec.Color)) & 0xFFFFFFu;
  for (int64_t j = 0; j < dh; ++j) {
    int64_t jj = flipY ? dh - 1 - j : j;
    int64_t sy = s.Top + ((2 * jj + 1) * sh) / (2 * dh);
    uint32_t* drow = out->ScanLine(int(j));
    const uint32_t* srow = sy >= 0 && sy < src.Height() ? src.ScanLine(int(sy)) : nullptr;
    for (int64_t i = 0; i < dw; ++i) {
      int64_t ii = flipX ? dw - 1 - i : i;
      int64_t sx = s.Left + ((2 * ii + 1) * sw) / (2 * dw);
      uint32_t p = 0;
      if (srow && sx >= 0 && sx < src.Width()) {
        uint32_t v = srow[sx];
        p = v | 0xFF000000u;
        if (rec.Param == cmNotSrcCopy) p = (~v & 0xFFFFFFu) | 0xFF000000u;
        if (rec.Transparent && (v & 0xFFFFFFu) == key) p = 0;
      }
      drow[i] = p;
    }
  }
  x = d.Left;
  y = d.Top;
  w = double(dw);
  h = double(dh);
  return out;
}

// A flood fill has no vector form: the drawing up to it is replayed on a
// white raster page, the fill done there, and the pixels it changed become
// an image record (the others transparent).  False when nothing changed.
bool FloodAsImage(const TMetafile& mf, int index, TMetaRecord& out) {
  const int W = mf.Width(), H = mf.Height();
  if (W <= 0 || H <= 0 || int64_t(W) * H > (int64_t(1) << 26)) return false;
  const TMetaRecord& rec = mf.Records(index);
  if (rec.Pts.empty()) return false;
  TBitmap page(W, H);
  mf.DrawRecords(page.Canvas(), TRect(0, 0, W, H), index);
  std::vector<uint32_t> before(page.Bits(), page.Bits() + size_t(W) * H);
  const TMetaState& s = mf.States(rec.State);
  TCanvas& c = page.Canvas();
  ApplyState(c, s, 1.0, 1.0);
  if (s.HasClip) c.SetClipRect(s.Clip);
  c.FloodFill(rec.Pts[0].X, rec.Pts[0].Y, rec.Color, TFillStyle(rec.Param));
  int l = W, t = H, r = -1, b = -1;
  for (int y = 0; y < H; ++y) {
    const uint32_t* row = page.ScanLine(y);
    for (int x = 0; x < W; ++x)
      if (row[x] != before[size_t(y) * W + x]) {
        l = std::min(l, x); r = std::max(r, x);
        t = std::min(t, y); b = std::max(b, y);
      }
  }
  if (r < 0) return false;
  const uint32_t keyPix = (TBitmap::ColorToPixel(ColorToRGB(s.BrushColor)) ^ 0x010101u) | 0xFF000000u;
  auto img = std::make_shared<TBitmap>();
  img->SetSize(r - l + 1, b - t + 1);
  for (int y = t; y <= b; ++y) {
    const uint32_t* row = page.ScanLine(y);
    uint32_t* d = img->ScanLine(y - t);
    for (int x = l; x <= r; ++x)
      d[x - l] = row[x] != before[size_t(y) * W + x] ? row[x] : keyPix;
  }
  out = TMetaRecord();
  out.Kind = mrImage;
  out.State = rec.State;
  out.Rect = TRect(l, t, r + 1, b + 1);
  out.Pts = {TPoint(0, 0), TPoint(r - l + 1, b - t + 1)};
  out.Param = cmSrcCopy;
  out.Transparent = true;
  out.Color = TBitmap::PixelToColor(keyPix);
  out.Image = std::move(img);
  return true;
}

// Blend and colour of an image copy mode; false for modes drawn as a plain fill.
Blend ImageBlend(uint32_t rop) {
  switch (rop) {
    case cmSrcInvert: return blDifference;
    case cmSrcAnd: return blMultiply;
    case cmSrcPaint: return blScreen;
    default: return blNormal;
  }
}

// Raster operations that ignore the source: a fill of the destination box.
bool RopFill(uint32_t rop, const TMetaState& s, Paint& p) {
  p = Paint();
  p.FillKind = 1;
  switch (rop) {
    case cmBlackness: p.FillColor = 0; return true;
    case cmWhiteness: p.FillColor = 0xFFFFFF; return true;
    case cmDstInvert: p.FillColor = 0xFFFFFF; p.Mode = blDifference; return true;
    case cmPatCopy: p.FillColor = ColorToRGB(s.BrushColor); return true;
    case cmPatInvert: p.FillColor = ColorToRGB(s.BrushColor); p.Mode = blDifference; return true;
    default: return false;
  }
}

const char* BlendCss(Blend b) {
  switch (b) {
    case blDifference: return "difference";
    case blMultiply: return "multiply";
    case blScreen: return "screen";
    default: return nullptr;
  }
}

// ---------------------------------------------------------------- SVG writer
class SvgWriter {
 public:
  explicit SvgWriter(const TMetafile& mf) : FMf(mf) {}
  std::string Run();

 private:
  std::string PathData(const Path& p);
  std::string ClipAttr(const TMetaState& s);
  std::string HatchId(TBrushStyle st, TColor c);
  void WriteShape(const Shape& sh);
  void WriteText(const TMetaRecord& rec, const TMetaState& s);
  void WriteImage(const TMetaRecord& rec, const TMetaState& s);
  const TMetafile& FMf;
  std::ostringstream FBody, FDefs;
  std::map<std::tuple<int, int, int, int>, std::string> FClips;
  std::map<std::pair<int, TColor>, std::string> FHatches;
  int FNextId = 1;
  bool FBlends = false;  // a blend mode was used
};

std::string SvgWriter::PathData(const Path& p) {
  std::string d;
  for (const Seg& s : p) {
    if (!d.empty()) d += ' ';
    switch (s.Op) {
      case 'M': d += "M" + Num(s.P[0]) + " " + Num(s.P[1]); break;
      case 'L': d += "L" + Num(s.P[0]) + " " + Num(s.P[1]); break;
      case 'C':
        d += "C" + Num(s.P[0]) + " " + Num(s.P[1]) + " " + Num(s.P[2]) + " " + Num(s.P[3]) + " " +
             Num(s.P[4]) + " " + Num(s.P[5]);
        break;
      default: d += "Z";
    }
  }
  return d;
}

std::string SvgWriter::ClipAttr(const TMetaState& s) {
  if (!s.HasClip) return std::string();
  auto key = std::make_tuple(s.Clip.Left, s.Clip.Top, s.Clip.Right, s.Clip.Bottom);
  auto it = FClips.find(key);
  if (it == FClips.end()) {
    std::string id = "c" + std::to_string(FNextId++);
    FDefs << "<clipPath id=\"" << id << "\"><rect x=\"" << s.Clip.Left << "\" y=\"" << s.Clip.Top
          << "\" width=\"" << std::max(0, s.Clip.Width()) << "\" height=\""
          << std::max(0, s.Clip.Height()) << "\"/></clipPath>\n";
    it = FClips.emplace(key, id).first;
  }
  return " clip-path=\"url(#" + it->second + ")\"";
}

// Hatch patterns repeat every 8 pixels; lines are one pixel wide.
std::string SvgWriter::HatchId(TBrushStyle st, TColor c) {
  auto key = std::make_pair(int(st), c);
  auto it = FHatches.find(key);
  if (it != FHatches.end()) return it->second;
  std::string id = "h" + std::to_string(FNextId++);
  std::string col = Hex(c);
  FDefs << "<pattern id=\"" << id
        << "\" patternUnits=\"userSpaceOnUse\" x=\"0\" y=\"0\" width=\"8\" height=\"8\">";
  bool hor = st == bsHorizontal || st == bsCross, ver = st == bsVertical || st == bsCross;
  bool fd = st == bsFDiagonal || st == bsDiagCross, bd = st == bsBDiagonal || st == bsDiagCross;
  if (hor) FDefs << "<rect x=\"0\" y=\"0\" width=\"8\" height=\"1\" fill=\"" << col << "\"/>";
  if (ver) FDefs << "<rect x=\"0\" y=\"0\" width=\"1\" height=\"8\" fill=\"" << col << "\"/>";
  for (int i = 0; i < 8; ++i) {
    if (fd) FDefs << "<rect x=\"" << i << "\" y=\"" << i << "\" width=\"1\" height=\"1\" fill=\"" << col << "\"/>";
    if (bd) FDefs << "<rect x=\"" << (8 - i) % 8 << "\" y=\"" << i << "\" width=\"1\" height=\"1\" fill=\"" << col << "\"/>";
  }
  FDefs << "</pattern>\n";
  FHatches.emplace(key, id);
  return id;
}

void SvgWriter::WriteShape(const Shape& sh) {
  const Paint& p = sh.Pt;
  if (p.Skip || (p.FillKind == 0 && !p.Stroke)) return;
  std::string d = PathData(sh.P);
  std::string blend;
  if (const char* b = BlendCss(p.Mode)) {
    blend = std::string(" style=\"mix-blend-mode:") + b + "\"";
    FBlends = true;
  }
  std::string fill = "none";
  if (p.FillKind == 1) fill = Hex(p.FillColor);
  else if (p.FillKind == 2) fill = "url(#" + HatchId(p.Hatch, ColorToRGB(p.FillColor)) + ")";
  std::string strokeCommon;
  if (p.Stroke) {
    strokeCommon = " stroke-width=\"" + Num(p.StrokeWidth) + "\"" +
                   (p.RoundCap ? " stroke-linecap=\"round\" stroke-linejoin=\"round\""
                               : " stroke-linecap=\"butt\" stroke-linejoin=\"miter\"");
  }
  if (p.FillKind != 0) {
    FBody << "<path d=\"" << (sh.FillP.empty() ? d : PathData(sh.FillP)) << "\" fill=\"" << fill << "\""
          << (p.EvenOdd ? " fill-rule=\"evenodd\"" : "") << " stroke=\"none\"" << blend << "/>\n";
  }
  if (p.Stroke) {
    if (p.GapFill)
      FBody << "<path d=\"" << d << "\" fill=\"none\" stroke=\"" << Hex(p.GapColor) << "\""
            << strokeCommon << blend << "/>\n";
    FBody << "<path d=\"" << d << "\" fill=\"none\" stroke=\"" << Hex(p.StrokeColor) << "\""
          << strokeCommon;
    if (!p.Dash.empty()) {
      FBody << " stroke-dasharray=\"";
      for (size_t i = 0; i < p.Dash.size(); ++i) FBody << (i ? "," : "") << Num(p.Dash[i]);
      FBody << "\"";
    }
    FBody << blend << "/>\n";
  }
}

void SvgWriter::WriteText(const TMetaRecord& rec, const TMetaState& s) {
  if (rec.Text.empty() && rec.Kind == mrTextOut) return;
  TPoint ref = rec.Pts.empty() ? TPoint() : rec.Pts[0];
  if (rec.Kind == mrTextOut && (s.TextAlign & TA_UPDATECP) && rec.Pts.size() > 1) ref = rec.Pts[1];
  std::string clipOpen, clipClose;
  if (rec.Kind == mrTextRect) {
    std::string id = "c" + std::to_string(FNextId++);
    FDefs << "<clipPath id=\"" << id << "\"><rect x=\"" << rec.Rect.Left << "\" y=\"" << rec.Rect.Top
          << "\" width=\"" << std::max(0, rec.Rect.Width()) << "\" height=\""
          << std::max(0, rec.Rect.Height()) << "\"/></clipPath>\n";
    FBody << "<g clip-path=\"url(#" << id << ")\">\n";
    if (s.BrushStyle != bsClear) {
      Shape bg;
      bg.P = RectPath(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right, rec.Rect.Bottom);
      bg.Pt.FillKind = s.BrushStyle == bsSolid ? 1 : 2;
      bg.Pt.FillColor = ColorToRGB(s.BrushColor);
      bg.Pt.Hatch = s.BrushStyle;
      WriteShape(bg);
    }
    clipClose = "</g>\n";
  }
  if (!rec.Text.empty()) {
    TextPlace t = PlaceText(s, ref.X, ref.Y, rec.Text);
    std::string tr;
    if (t.Angle != 0)
      tr = " transform=\"rotate(" + Num(-t.Angle) + " " + Num(t.RefX) + " " + Num(t.RefY) + ")\"";
    if (s.BkMode == OPAQUE && rec.Kind == mrTextOut) {
      FBody << "<rect x=\"" << Num(t.RefX + t.Dx) << "\" y=\"" << Num(t.RefY + t.Dy - t.M.Ascent)
            << "\" width=\"" << t.Width << "\" height=\"" << t.M.Height << "\" fill=\""
            << Hex(s.BrushColor) << "\"" << tr << "/>\n";
    }
    std::string deco;
    if (t.Font.Underline) deco += "underline";
    if (t.Font.StrikeOut) deco += std::string(deco.empty() ? "" : " ") + "line-through";
    FBody << "<text x=\"" << Num(t.RefX + t.Dx) << "\" y=\"" << Num(t.RefY + t.Dy)
          << "\" font-family=\"" << XmlEscape(FontEngine::ResolveFamily(s.FontName))
          << "\" font-size=\"" << t.Font.EmPixels << "px\"";
    if (t.Font.Bold) FBody << " font-weight=\"bold\"";
    if (t.Font.Italic) FBody << " font-style=\"italic\"";
    if (!deco.empty()) FBody << " text-decoration=\"" << deco << "\"";
    FBody << " fill=\"" << Hex(s.FontColor) << "\" xml:space=\"preserve\"" << tr << ">"
          << XmlEscape(rec.Text) << "</text>\n";
  }
  FBody << clipClose;
  (void)clipOpen;
}

void SvgWriter::WriteImage(const TMetaRecord& rec, const TMetaState& s) {
  Paint fillPaint;
  if (RopFill(rec.Param, s, fillPaint)) {
    Shape sh;
    sh.P = RectPath(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right, rec.Rect.Bottom);
    sh.Pt = fillPaint;
    WriteShape(sh);
    return;
  }
  if (!rec.Image || rec.Pts.size() < 2) return;
  double x, y, w, h;
  auto part = PreparedImage(rec, s, x, y, w, h);
  if (part->Empty()) return;
  TMemoryStream ms;
  part->SavePNGToStream(ms);
  std::string png(reinterpret_cast<const char*>(ms.Memory()), size_t(ms.Size()));
  // a negative extent mirrors the image
  std::string tr;
  if (w < 0 || h < 0) {
    tr = " transform=\"translate(" + Num(w < 0 ? 2 * x + w : 0) + " " + Num(h < 0 ? 2 * y + h : 0) +
         ") scale(" + (w < 0 ? "-1" : "1") + " " + (h < 0 ? "-1" : "1") + ")\"";
    if (w < 0) { x = x + w; w = -w; }
    if (h < 0) { y = y + h; h = -h; }
  }
  std::string style = "image-rendering:";
  style += s.StretchBltMode == HALFTONE ? "optimizeQuality" : "optimizeSpeed";
  if (const char* b = BlendCss(ImageBlend(rec.Param))) {
    style += std::string(";mix-blend-mode:") + b;
    FBlends = true;
  }
  FBody << "<image x=\"" << Num(x) << "\" y=\"" << Num(y) << "\" width=\"" << Num(w)
        << "\" height=\"" << Num(h) << "\" preserveAspectRatio=\"none\" style=\"" << style << "\""
        << tr << " xlink:href=\"data:image/png;base64," << Base64(png) << "\"/>\n";
}

std::string SvgWriter::Run() {
  for (int i = 0; i < FMf.RecordCount(); ++i) {
    const TMetaRecord rec = Limited(FMf.Records(i));
    const TMetaState s = Limited(FMf.States(rec.State));
    std::string clip = ClipAttr(s);
    if (!clip.empty()) FBody << "<g" << clip << ">\n";
    Shape sh;
    switch (rec.Kind) {
      case mrTextOut:
      case mrTextRect: WriteText(rec, s); break;
      case mrImage: WriteImage(rec, s); break;
      case mrFloodFill: {
        TMetaRecord img;
        if (FloodAsImage(FMf, i, img)) WriteImage(img, s);
        break;
      }
      default:
        if (ShapeOf(rec, s, sh)) WriteShape(sh);
    }
    if (!clip.empty()) FBody << "</g>\n";
  }
  std::ostringstream out;
  int w = std::max(1, FMf.Width()), h = std::max(1, FMf.Height());
  auto mm = [](int v) { return Num(std::max(1, v) / 100.0); };
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\""
      << " version=\"1.1\" width=\"" << mm(FMf.MMWidth()) << "mm\" height=\"" << mm(FMf.MMHeight())
      << "mm\" viewBox=\"0 0 " << w << " " << h << "\">\n";
  std::string defs = FDefs.str();
  if (!defs.empty()) out << "<defs>\n" << defs << "</defs>\n";
  out << "<g style=\"isolation:isolate\">\n";
  // raster operations combine with the paper: a drawing that uses them gets a white ground
  if (FBlends) out << "<rect x=\"0\" y=\"0\" width=\"" << w << "\" height=\"" << h << "\" fill=\"#ffffff\"/>\n";
  out << FBody.str() << "</g>\n</svg>\n";
  return out.str();
}

// ---------------------------------------------------------------- recording format
const char kMagic[8] = {'Z', 'O', 'L', 'M', 'F', '\x1A', '\x01', '\x00'};

class Writer {
 public:
  explicit Writer(TStream& s) : FS(s) {}
  void U8(uint8_t v) { FS.WriteBuffer(&v, 1); }
  void U32(uint32_t v) {
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    FS.WriteBuffer(b, 4);
  }
  void I32(int v) { U32(static_cast<uint32_t>(v)); }
  void Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    if (!s.empty()) FS.WriteBuffer(s.data(), int64_t(s.size()));
  }
  void Raw(const void* p, int64_t n) { FS.WriteBuffer(p, n); }

 private:
  TStream& FS;
};

class Reader {
 public:
  Reader(const uint8_t* p, size_t n) : FP(p), FN(n) {}
  bool Ok() const { return FOk; }
  size_t Left() const { return FN - FPos; }
  uint8_t U8() {
    if (!Need(1)) return 0;
    return FP[FPos++];
  }
  uint32_t U32() {
    if (!Need(4)) return 0;
    uint32_t v = uint32_t(FP[FPos]) | (uint32_t(FP[FPos + 1]) << 8) | (uint32_t(FP[FPos + 2]) << 16) |
                 (uint32_t(FP[FPos + 3]) << 24);
    FPos += 4;
    return v;
  }
  int I32() { return static_cast<int>(U32()); }
  std::string Str() {
    uint32_t n = U32();
    if (!Need(n)) return std::string();
    std::string s(reinterpret_cast<const char*>(FP + FPos), n);
    FPos += n;
    return s;
  }
  bool Bytes(void* dst, size_t n) {
    if (!Need(n)) return false;
    std::memcpy(dst, FP + FPos, n);
    FPos += n;
    return true;
  }
  void Fail() { FOk = false; }

 private:
  bool Need(size_t n) {
    if (!FOk || n > FN - FPos) {
      FOk = false;
      return false;
    }
    return true;
  }
  const uint8_t* FP;
  size_t FN, FPos = 0;
  bool FOk = true;
};

void WriteState(Writer& w, const TMetaState& s) {
  w.U32(s.PenColor); w.I32(s.PenWidth); w.U8(uint8_t(s.PenStyle)); w.U8(uint8_t(s.PenMode));
  w.U32(s.BrushColor); w.U8(uint8_t(s.BrushStyle));
  w.Str(s.FontName); w.I32(s.FontHeight); w.U8(s.FontStyle.Bits()); w.U32(s.FontColor);
  w.I32(s.FontPixelsPerInch); w.I32(s.FontOrientation); w.U8(uint8_t(s.FontPitch));
  w.U8(s.FontCharset);
  w.U32(s.TextAlign); w.I32(s.BkMode); w.I32(s.StretchBltMode); w.U32(s.CopyMode);
  w.U8(s.HasClip ? 1 : 0);
  w.I32(s.Clip.Left); w.I32(s.Clip.Top); w.I32(s.Clip.Right); w.I32(s.Clip.Bottom);
}

bool ReadState(Reader& r, TMetaState& s) {
  s.PenColor = r.U32();
  s.PenWidth = r.I32();
  uint8_t ps = r.U8(), pm = r.U8();
  s.BrushColor = r.U32();
  uint8_t bs = r.U8();
  s.FontName = r.Str();
  s.FontHeight = r.I32();
  s.FontStyle = TFontStyles::FromBits(r.U8());
  s.FontColor = r.U32();
  s.FontPixelsPerInch = r.I32();
  s.FontOrientation = r.I32();
  uint8_t fp = r.U8();
  s.FontCharset = r.U8();
  s.TextAlign = r.U32();
  s.BkMode = r.I32();
  s.StretchBltMode = r.I32();
  s.CopyMode = r.U32();
  s.HasClip = r.U8() != 0;
  s.Clip.Left = r.I32(); s.Clip.Top = r.I32(); s.Clip.Right = r.I32(); s.Clip.Bottom = r.I32();
  if (!r.Ok() || ps > psInsideFrame || pm > pmNotXor || bs > bsDiagCross || fp > fpFixed ||
      s.PenWidth < 1 || s.FontPixelsPerInch < 1 || std::abs(s.FontHeight) > 100000)
    return false;
  s.PenStyle = TPenStyle(ps);
  s.PenMode = TPenMode(pm);
  s.BrushStyle = TBrushStyle(bs);
  s.FontPitch = TFontPitch(fp);
  return true;
}

// Largest image side accepted from a recording.
constexpr int kMaxImageSide = 1 << 15;

}  // namespace

// ---------------------------------------------------------------- TMetafile
TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::SetWidth(int v) { SetSize(v, FHeight); }
void TMetafile::SetHeight(int v) { SetSize(FWidth, v); }
void TMetafile::SetSize(int w, int h) {
  w = std::clamp(w, 0, kCoordLimit);
  h = std::clamp(h, 0, kCoordLimit);
  if (w == FWidth && h == FHeight) return;
  FWidth = w;
  FHeight = h;
  Changed();
}
int TMetafile::MMWidth() const {
  return FMMWidth > 0 ? FMMWidth : static_cast<int>(std::lround(FWidth * 2540.0 / FPixelsPerInch));
}
int TMetafile::MMHeight() const {
  return FMMHeight > 0 ? FMMHeight : static_cast<int>(std::lround(FHeight * 2540.0 / FPixelsPerInch));
}
void TMetafile::SetMMWidth(int v) { FMMWidth = std::max(0, v); }
void TMetafile::SetMMHeight(int v) { FMMHeight = std::max(0, v); }
void TMetafile::SetPixelsPerInch(int v) { FPixelsPerInch = std::max(1, v); }

void TMetafile::Clear() {
  if (FRecords.empty() && FStates.empty()) return;
  FRecords.clear();
  FStates.clear();
  Changed();
}

const TMetaRecord& TMetafile::Records(int index) const {
  if (index < 0 || index >= RecordCount())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FRecords[size_t(index)];
}

const TMetaState& TMetafile::States(int index) const {
  if (index < 0 || index >= static_cast<int>(FStates.size()))
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FStates[size_t(index)];
}

void TMetafile::AddRecord(TMetaRecord rec, const TMetaState& state) {
  if (FStates.empty() || !(FStates.back() == state)) FStates.push_back(state);
  rec.State = static_cast<int>(FStates.size()) - 1;
  FRecords.push_back(std::move(rec));
}

void TMetafile::Play(TCanvas& c, int x, int y) const { Draw(c, Bounds(x, y, FWidth, FHeight)); }

void TMetafile::Draw(TCanvas& c, const TRect& r) const { DrawRecords(c, r, RecordCount()); }

void TMetafile::DrawRecords(TCanvas& c, const TRect& r, int count) const {
  count = std::clamp(count, 0, RecordCount());
  if (count == 0) return;
  const bool scaled = FWidth > 0 && FHeight > 0 && (r.Width() != FWidth || r.Height() != FHeight);
  const double sx = scaled ? double(r.Width()) / FWidth : 1.0;
  const double sy = scaled ? double(r.Height()) / FHeight : 1.0;
  // Moved or scaled coordinates are limited to +-(2^30 - 1), so that sizes
  // computed from them still fit an int.
  auto Fit = [](int64_t v) {
    constexpr int64_t lim = (int64_t(1) << 30) - 1;
    return static_cast<int>(std::clamp<int64_t>(v, -lim, lim));
  };
  const bool moved = scaled || r.Left != 0 || r.Top != 0;
  auto X = [&](int v) {
    if (!moved) return v;
    return Fit(scaled ? r.Left + std::llround(std::clamp(v * sx, -4e9, 4e9)) : int64_t(r.Left) + v);
  };
  auto Y = [&](int v) {
    if (!moved) return v;
    return Fit(scaled ? r.Top + std::llround(std::clamp(v * sy, -4e9, 4e9)) : int64_t(r.Top) + v);
  };
  auto P = [&](const TPoint& p) { return TPoint(X(p.X), Y(p.Y)); };
  auto R = [&](const TRect& q) { return TRect(X(q.Left), Y(q.Top), X(q.Right), Y(q.Bottom)); };
  // Relative sizes (corner sizes) scale without the offset.
  auto SX = [&](int v) { return scaled ? Fit(std::llround(std::clamp(v * sx, -4e9, 4e9))) : v; };
  auto SY = [&](int v) { return scaled ? Fit(std::llround(std::clamp(v * sy, -4e9, 4e9))) : v; };
  const double penScale = scaled ? (std::abs(sx) + std::abs(sy)) / 2 : 1.0;
  const double fontScale = scaled ? std::abs(sy) : 1.0;

  // Everything drawn stays inside the frame (and inside the target's clip).
  const TMetaState saved = StateOf(c);
  const TPoint savedPos = c.PenPos();
  TRect frame = FWidth > 0 && FHeight > 0 ? Normalized(r.Left, r.Top, r.Right, r.Bottom)
                                          : TRect(-(1 << 29), -(1 << 29), 1 << 29, 1 << 29);
  if (saved.HasClip && !IntersectRect(frame, frame, saved.Clip)) return;

  int lastState = -1;
  std::vector<TPoint> pts;
  for (int index = 0; index < count; ++index) {
    const TMetaRecord& rec = FRecords[size_t(index)];
    const TMetaState& s = FStates[size_t(rec.State)];
    if (rec.State != lastState) {
      ApplyState(c, s, penScale, fontScale);
      TRect clip = frame;
      if (s.HasClip) {
        TRect rc = R(s.Clip);
        if (!IntersectRect(clip, frame, Normalized(rc.Left, rc.Top, rc.Right, rc.Bottom)))
          clip = TRect(frame.Left, frame.Top, frame.Left, frame.Top);
      }
      c.SetClipRect(clip);
      lastState = rec.State;
    }
    pts.clear();
    for (const TPoint& p : rec.Pts) pts.push_back(P(p));
    const TRect rr = R(rec.Rect);
    switch (rec.Kind) {
      case mrLineTo:
        if (pts.size() >= 2) {
          c.MoveTo(pts[0].X, pts[0].Y);
          c.LineTo(pts[1].X, pts[1].Y);
        }
        break;
      case mrPolyline: c.Polyline(pts.data(), int(pts.size())); break;
      case mrPolygon: c.Polygon(pts.data(), int(pts.size())); break;
      case mrPolyBezier: c.PolyBezier(pts.data(), int(pts.size())); break;
      case mrRectangle: c.Rectangle(rr.Left, rr.Top, rr.Right, rr.Bottom); break;
      case mrFillRect: c.FillRect(rr); break;
      case mrFrameRect: c.FrameRect(rr); break;
      case mrEllipse: c.Ellipse(rr.Left, rr.Top, rr.Right, rr.Bottom); break;
      case mrRoundRect:
        if (!rec.Pts.empty())
          c.RoundRect(rr.Left, rr.Top, rr.Right, rr.Bottom, SX(rec.Pts[0].X), SY(rec.Pts[0].Y));
        break;
      case mrArc:
      case mrPie:
      case mrChord:
        if (pts.size() >= 2) {
          auto f = rec.Kind == mrArc ? &TCanvas::Arc : rec.Kind == mrPie ? &TCanvas::Pie : &TCanvas::Chord;
          (c.*f)(rr.Left, rr.Top, rr.Right, rr.Bottom, pts[0].X, pts[0].Y, pts[1].X, pts[1].Y);
        }
        break;
      case mrFloodFill:
        if (!pts.empty()) c.FloodFill(pts[0].X, pts[0].Y, rec.Color, TFillStyle(rec.Param));
        break;
      case mrSetPixel:
        if (!pts.empty()) c.SetPixel(pts[0].X, pts[0].Y, rec.Color);
        break;
      case mrTextOut:
        if (!pts.empty()) {
          if (pts.size() > 1) c.MoveTo(pts[1].X, pts[1].Y);
          c.TextOut(pts[0].X, pts[0].Y, rec.Text);
        }
        break;
      case mrTextRect:
        if (!pts.empty()) c.TextRect(rr, pts[0].X, pts[0].Y, rec.Text);
        break;
      case mrImage:
        if (rec.Image && rec.Pts.size() >= 2)
          c.StretchBitmap(rr, *rec.Image, TRect(rec.Pts[0].X, rec.Pts[0].Y, rec.Pts[1].X, rec.Pts[1].Y),
                          rec.Param, rec.Transparent, rec.Color);
        break;
    }
  }
  ApplyState(c, saved, 1.0, 1.0);
  if (saved.HasClip) c.SetClipRect(saved.Clip);
  else c.ResetClip();
  c.MoveTo(savedPos.X, savedPos.Y);
}

std::string TMetafile::AsSVG() const { return SvgWriter(*this).Run(); }

void TMetafile::SaveToStream(TStream& s) const {
  std::string svg = AsSVG();
  s.WriteBuffer(svg.data(), int64_t(svg.size()));
}

void TMetafile::SaveToFile(const std::string& fileName) const {
  TFileStream fs(fileName, fmCreate);
  if (SameText(ExtractFileExt(fileName), ".zolmf")) SaveRecordingToStream(fs);
  else SaveToStream(fs);
}

void TMetafile::SaveRecordingToStream(TStream& s) const {
  TMemoryStream ms;
  Writer w(ms);
  w.Raw(kMagic, 8);
  w.I32(FWidth); w.I32(FHeight); w.I32(FMMWidth); w.I32(FMMHeight); w.I32(FPixelsPerInch);
  w.U32(static_cast<uint32_t>(FStates.size()));
  for (const TMetaState& st : FStates) WriteState(w, st);
  w.U32(static_cast<uint32_t>(FRecords.size()));
  for (const TMetaRecord& r : FRecords) {
    w.U8(uint8_t(r.Kind));
    w.I32(r.State);
    w.I32(r.Rect.Left); w.I32(r.Rect.Top); w.I32(r.Rect.Right); w.I32(r.Rect.Bottom);
    w.U32(static_cast<uint32_t>(r.Pts.size()));
    for (const TPoint& p : r.Pts) { w.I32(p.X); w.I32(p.Y); }
    w.Str(r.Text);
    w.U32(r.Color);
    w.U32(r.Param);
    w.U8(r.Transparent ? 1 : 0);
    if (r.Image) {
      w.U8(1);
      w.I32(r.Image->Width());
      w.I32(r.Image->Height());
      w.U8(r.Image->PixelFormat() == pf32bit ? 1 : 0);
      for (int y = 0; y < r.Image->Height(); ++y) {
        const uint32_t* line = r.Image->ScanLine(y);
        for (int x = 0; x < r.Image->Width(); ++x) w.U32(line[x]);
      }
    } else {
      w.U8(0);
    }
  }
  s.WriteBuffer(ms.Memory(), ms.Size());
}

bool TMetafile::LoadRecordingFromStream(TStream& s) {
  int64_t avail = s.Size() - s.Position();
  if (avail < 8 + 7 * 4) return false;
  std::vector<uint8_t> buf(static_cast<size_t>(avail));
  s.ReadBuffer(buf.data(), avail);
  Reader r(buf.data(), buf.size());
  char magic[8];
  if (!r.Bytes(magic, 8) || std::memcmp(magic, kMagic, 8) != 0) return false;
  int w = r.I32(), h = r.I32(), mmw = r.I32(), mmh = r.I32(), ppi = r.I32();
  if (w < 0 || h < 0 || mmw < 0 || mmh < 0 || ppi < 1 || w > kCoordLimit || h > kCoordLimit)
    return false;
  uint32_t ns = r.U32();
  if (ns > r.Left() / 40) return false;  // a state takes at least 40 bytes
  std::vector<TMetaState> states(ns);
  for (auto& st : states)
    if (!ReadState(r, st)) return false;
  uint32_t nr = r.U32();
  // a record takes at least 39 bytes (kind, state, rectangle, point count,
  // text length, colour, parameter, transparency and image flags)
  if (nr > r.Left() / 39) return false;
  std::vector<TMetaRecord> recs(nr);
  for (auto& rec : recs) {
    uint8_t kind = r.U8();
    rec.State = r.I32();
    if (kind > mrImage || rec.State < 0 || uint32_t(rec.State) >= ns) return false;
    rec.Kind = TMetaRecordKind(kind);
    rec.Rect.Left = r.I32(); rec.Rect.Top = r.I32(); rec.Rect.Right = r.I32(); rec.Rect.Bottom = r.I32();
    uint32_t np = r.U32();
    if (!r.Ok() || np > r.Left() / 8) return false;
    rec.Pts.resize(np);
    for (auto& p : rec.Pts) {
      p.X = r.I32();
      p.Y = r.I32();
    }
    rec.Text = r.Str();
    rec.Color = r.U32();
    rec.Param = r.U32();
    rec.Transparent = r.U8() != 0;
    if (r.U8()) {
      int iw = r.I32(), ih = r.I32();
      bool alpha = r.U8() != 0;
      if (!r.Ok() || iw <= 0 || ih <= 0 || iw > kMaxImageSide || ih > kMaxImageSide ||
          uint64_t(iw) * uint64_t(ih) > r.Left() / 4)
        return false;
      auto bmp = std::make_shared<TBitmap>();
      bmp->SetSize(iw, ih);
      if (alpha) bmp->SetPixelFormat(pf32bit);
      for (int y = 0; y < ih; ++y) {
        uint32_t* line = bmp->ScanLine(y);
        for (int x = 0; x < iw; ++x) line[x] = r.U32();
      }
      rec.Image = std::move(bmp);
    }
    if (!r.Ok()) return false;
    // the kinds that need points
    size_t need = 0;
    switch (rec.Kind) {
      case mrLineTo: case mrArc: case mrPie: case mrChord: case mrImage: need = 2; break;
      case mrRoundRect: case mrFloodFill: case mrSetPixel: case mrTextOut: case mrTextRect: need = 1; break;
      default: break;
    }
    if (rec.Pts.size() < need || (rec.Kind == mrImage && !rec.Image)) return false;
    if (rec.Kind == mrFloodFill && rec.Param > fsBorder) return false;
  }
  if (!r.Ok()) return false;
  FWidth = w; FHeight = h; FMMWidth = mmw; FMMHeight = mmh; FPixelsPerInch = ppi;
  FStates = std::move(states);
  FRecords = std::move(recs);
  Changed();
  return true;
}

bool TMetafile::LoadFromStream(TStream& s) {
  int64_t pos = s.Position();
  if (LoadRecordingFromStream(s)) return true;
  s.SetPosition(pos);
  FRecords.clear();
  FStates.clear();
  FWidth = FHeight = FMMWidth = FMMHeight = 0;
  FPixelsPerInch = 96;
  Changed();
  return false;
}

void TMetafile::Assign(const TPersistent& Source) {
  if (auto* m = dynamic_cast<const TMetafile*>(&Source)) {
    if (m == this) return;
    FWidth = m->FWidth; FHeight = m->FHeight; FMMWidth = m->FMMWidth; FMMHeight = m->FMMHeight;
    FPixelsPerInch = m->FPixelsPerInch;
    FRecords = m->FRecords;  // images are shared, never changed
    FStates = m->FStates;
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

// ---------------------------------------------------------------- recording canvas
TMetafileCanvas::TMetafileCanvas(TMetafile& mf, TCanvas* reference) : FMetafile(&mf) {
  if (reference) {
    FPPI = reference->GetDeviceCaps(LOGPIXELSY);
    if (FPPI <= 0) FPPI = reference->Font().PixelsPerInch();
    Font().Assign(reference->Font());
  }
  FPPI = std::max(1, FPPI);
  Font().SetPixelsPerInch(FPPI);
  if (mf.Empty()) mf.SetPixelsPerInch(FPPI);
}

TMetafileCanvas::TMetafileCanvas(TMetafile& mf, int pixelsPerInch, bool printer)
    : FMetafile(&mf), FPPI(std::max(1, pixelsPerInch)) {
  SetPrinterCanvasFlag(printer);
  // the default font keeps its size in points on the device
  const int points = Font().Size();
  Font().SetPixelsPerInch(FPPI);
  Font().SetSize(points);
  if (mf.Empty()) mf.SetPixelsPerInch(FPPI);
}

TMetafileCanvas::~TMetafileCanvas() {
  if (FMetafile->Width() == 0 && FMetafile->Height() == 0 && (FMaxX > 0 || FMaxY > 0))
    FMetafile->SetSize(FMaxX, FMaxY);
}

int TMetafileCanvas::Width() const { return FMetafile->Width(); }
int TMetafileCanvas::Height() const { return FMetafile->Height(); }

int TMetafileCanvas::GetDeviceCaps(int index) const {
  switch (index) {
    case HORZRES: return Width();
    case VERTRES: return Height();
    case LOGPIXELSX:
    case LOGPIXELSY: return FPPI;
    case HORZSIZE: return static_cast<int>(std::lround(Width() * 25.4 / FPPI));
    case VERTSIZE: return static_cast<int>(std::lround(Height() * 25.4 / FPPI));
    case BITSPIXEL: return 32;
    case PHYSICALWIDTH: return Width();
    case PHYSICALHEIGHT: return Height();
    default: return 0;
  }
}

TMetaState TMetafileCanvas::CurrentState() const { return StateOf(*this); }

void TMetafileCanvas::Extend(int x1, int y1, int x2, int y2) {
  int pad = std::clamp(Pen().Width(), 1, 1024);
  FMaxX = ClampCoord(std::max<int64_t>({FMaxX, int64_t(x1) + pad, int64_t(x2) + pad}));
  FMaxY = ClampCoord(std::max<int64_t>({FMaxY, int64_t(y1) + pad, int64_t(y2) + pad}));
}

void TMetafileCanvas::AddRaw(TMetaRecord rec) { FMetafile->AddRecord(std::move(rec), CurrentState()); }

void TMetafileCanvas::Record(TMetaRecord rec) {
  Changing();
  for (const TPoint& p : rec.Pts) Extend(p.X, p.Y, p.X, p.Y);
  if (!rec.Rect.IsEmpty() || rec.Kind == mrRectangle || rec.Kind == mrEllipse)
    Extend(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right, rec.Rect.Bottom);
  FMetafile->AddRecord(std::move(rec), CurrentState());
  Changed();
}

void TMetafileCanvas::LineTo(int x, int y) {
  TMetaRecord r;
  r.Kind = mrLineTo;
  r.Pts = {PenPos(), TPoint(x, y)};
  FPenPos = TPoint(x, y);
  Record(std::move(r));
}

void TMetafileCanvas::Polyline(const TPoint* pts, int count) {
  if (!pts || count <= 0) return;
  TMetaRecord r;
  r.Kind = mrPolyline;
  r.Pts.assign(pts, pts + count);
  Record(std::move(r));
}

void TMetafileCanvas::Polygon(const TPoint* pts, int count) {
  if (!pts || count <= 0) return;
  TMetaRecord r;
  r.Kind = mrPolygon;
  r.Pts.assign(pts, pts + count);
  Record(std::move(r));
}

void TMetafileCanvas::PolyBezier(const TPoint* pts, int count) {
  if (!pts || count <= 0) return;
  TMetaRecord r;
  r.Kind = mrPolyBezier;
  r.Pts.assign(pts, pts + count);
  Record(std::move(r));
}

namespace {
TMetaRecord BoxRecord(TMetaRecordKind k, int x1, int y1, int x2, int y2) {
  TMetaRecord r;
  r.Kind = k;
  r.Rect = TRect(x1, y1, x2, y2);
  return r;
}
}  // namespace

void TMetafileCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Record(BoxRecord(mrRectangle, x1, y1, x2, y2));
}
void TMetafileCanvas::FillRect(const TRect& q) {
  Record(BoxRecord(mrFillRect, q.Left, q.Top, q.Right, q.Bottom));
}
void TMetafileCanvas::FrameRect(const TRect& q) {
  Record(BoxRecord(mrFrameRect, q.Left, q.Top, q.Right, q.Bottom));
}
void TMetafileCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Record(BoxRecord(mrEllipse, x1, y1, x2, y2));
}
void TMetafileCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) {
  TMetaRecord r = BoxRecord(mrRoundRect, x1, y1, x2, y2);
  r.Pts = {TPoint(cornerW, cornerH)};
  // the corner size is no position: keep it out of the extent
  Changing();
  Extend(x1, y1, x2, y2);
  AddRaw(std::move(r));
  Changed();
}
void TMetafileCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  TMetaRecord r = BoxRecord(mrArc, x1, y1, x2, y2);
  r.Pts = {TPoint(x3, y3), TPoint(x4, y4)};
  Changing();
  Extend(x1, y1, x2, y2);
  AddRaw(std::move(r));
  Changed();
}
void TMetafileCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  TMetaRecord r = BoxRecord(mrPie, x1, y1, x2, y2);
  r.Pts = {TPoint(x3, y3), TPoint(x4, y4)};
  Changing();
  Extend(x1, y1, x2, y2);
  AddRaw(std::move(r));
  Changed();
}
void TMetafileCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  TMetaRecord r = BoxRecord(mrChord, x1, y1, x2, y2);
  r.Pts = {TPoint(x3, y3), TPoint(x4, y4)};
  Changing();
  Extend(x1, y1, x2, y2);
  AddRaw(std::move(r));
  Changed();
}

void TMetafileCanvas::FloodFill(int x, int y, TColor c, TFillStyle fs) {
  TMetaRecord r;
  r.Kind = mrFloodFill;
  r.Pts = {TPoint(x, y)};
  r.Color = c;
  r.Param = static_cast<uint32_t>(fs);
  Record(std::move(r));
}

void TMetafileCanvas::SetPixel(int x, int y, TColor c) {
  TMetaRecord r;
  r.Kind = mrSetPixel;
  r.Pts = {TPoint(x, y)};
  r.Color = c;
  Record(std::move(r));
}

void TMetafileCanvas::TextOut(int x, int y, const std::string& text) {
  TMetaRecord r;
  r.Kind = mrTextOut;
  TPoint start = (TextAlign() & TA_UPDATECP) ? PenPos() : TPoint(x, y);
  r.Pts = {TPoint(x, y), PenPos()};
  r.Text = text;
  TSize ext = TextExtent(text);
  if (TextAlign() & TA_UPDATECP) {
    // the pen position moves along the baseline by the advance
    unsigned h = TextAlign() & TA_HORZMASK;
    double a = Font().Orientation() / 10.0 * kPi / 180.0;
    int adv = h == TA_CENTER ? 0 : h == TA_RIGHT ? -ext.cx : ext.cx;
    auto fit = [](int64_t v) {
      return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    FPenPos = TPoint(fit(start.X + std::llround(adv * std::cos(a))), fit(start.Y - std::llround(adv * std::sin(a))));
  }
  Changing();
  Extend(start.X, start.Y, ClampCoord(int64_t(start.X) + ext.cx), ClampCoord(int64_t(start.Y) + ext.cy));
  AddRaw(std::move(r));
  Changed();
}

void TMetafileCanvas::TextRect(const TRect& q, int x, int y, const std::string& text) {
  TMetaRecord r;
  r.Kind = mrTextRect;
  r.Rect = q;
  r.Pts = {TPoint(x, y)};
  r.Text = text;
  Changing();
  Extend(q.Left, q.Top, q.Right, q.Bottom);
  AddRaw(std::move(r));
  Changed();
}

void TMetafileCanvas::StretchBitmap(const TRect& dest, const TBitmap& src, const TRect& srcRect,
                                    TCopyMode rop, bool transparent, TColor transparentColor) {
  TMetaRecord r;
  r.Kind = mrImage;
  r.Rect = dest;
  r.Param = rop;
  r.Transparent = transparent;
  r.Color = transparentColor;
  // Keep only the source part when it lies inside the bitmap; otherwise the whole bitmap.
  TRect inside;
  TRect sr = Normalized(srcRect.Left, srcRect.Top, srcRect.Right, srcRect.Bottom);
  auto copy = std::make_shared<TBitmap>();
  copy->SetPixelFormat(src.PixelFormat());
  if (IntersectRect(inside, sr, TRect(0, 0, src.Width(), src.Height())) && inside == sr) {
    copy->SetSize(sr.Width(), sr.Height());
    for (int y = 0; y < sr.Height(); ++y)
      std::memcpy(copy->ScanLine(y), src.ScanLine(sr.Top + y) + sr.Left, size_t(sr.Width()) * 4);
    r.Pts = {TPoint(srcRect.Left - sr.Left, srcRect.Top - sr.Top),
             TPoint(srcRect.Right - sr.Left, srcRect.Bottom - sr.Top)};
  } else {
    copy->SetSize(src.Width(), src.Height());
    for (int y = 0; y < src.Height(); ++y)
      std::memcpy(copy->ScanLine(y), src.ScanLine(y), size_t(src.Width()) * 4);
    r.Pts = {srcRect.TopLeft(), srcRect.BottomRight()};
  }
  r.Image = std::move(copy);
  Changing();
  Extend(dest.Left, dest.Top, dest.Right, dest.Bottom);
  AddRaw(std::move(r));
  Changed();
}

}  // namespace zol

// ---------------------------------------------------------------- PDF through Cairo
namespace zol {
namespace {

// FreeType faces for Cairo, one per font file and synthesised style; they
// live as long as the program (Cairo may keep fonts in its caches).
struct FaceCache {
  FT_Library Lib = nullptr;
  std::map<std::string, cairo_font_face_t*> Faces;
};

FaceCache& Faces() {
  static FaceCache* cache = new FaceCache;  // reachable for the program's lifetime
  return *cache;
}

const cairo_user_data_key_t kFtFaceKey = {};

void DoneFace(void* p) { FT_Done_Face(static_cast<FT_Face>(p)); }

// The Cairo face and the FreeType face of a font, or nullptr.
cairo_font_face_t* FaceFor(const TFontSpec& f, FT_Face& ftOut) {
  ftOut = nullptr;
  std::string file = FontEngine::ResolveFile(f.Name, f.Bold, f.Italic);
  if (file.empty()) return nullptr;
  std::string key = file + (f.Bold ? "|b" : "|") + (f.Italic ? "i" : "");
  FaceCache& fc = Faces();
  auto it = fc.Faces.find(key);
  if (it != fc.Faces.end()) {
    ftOut = static_cast<FT_Face>(cairo_font_face_get_user_data(it->second, &kFtFaceKey));
    return it->second;
  }
  if (!fc.Lib && FT_Init_FreeType(&fc.Lib) != 0) {
    fc.Lib = nullptr;
    return nullptr;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(fc.Lib, file.c_str(), 0, &face) != 0) return nullptr;
  cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
  if (cairo_font_face_set_user_data(cf, &kFtFaceKey, face, DoneFace) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(cf);
    FT_Done_Face(face);
    return nullptr;
  }
  unsigned synth = 0;
  if (f.Bold && !(face->style_flags & FT_STYLE_FLAG_BOLD)) synth |= CAIRO_FT_SYNTHESIZE_BOLD;
  if (f.Italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC)) synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
  if (synth) cairo_ft_font_face_set_synthesize(cf, synth);
  fc.Faces.emplace(key, cf);
  ftOut = face;
  return cf;
}

// Next code point of UTF-8 text (invalid bytes are taken as Latin-1).
uint32_t NextCodePoint(const std::string& s, size_t& i, size_t& len) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  auto cont = [&](size_t k) { return k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80; };
  if (c < 0x80) { len = 1; return c; }
  if ((c & 0xE0) == 0xC0 && cont(i + 1)) {
    len = 2;
    return ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
  }
  if ((c & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
    len = 3;
    return ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
           (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
  }
  if ((c & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
    len = 4;
    return ((c & 0x07u) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 12) |
           ((static_cast<unsigned char>(s[i + 2]) & 0x3Fu) << 6) |
           (static_cast<unsigned char>(s[i + 3]) & 0x3Fu);
  }
  len = 1;
  return c;
}

void SetColor(cairo_t* cr, TColor c) {
  c = ColorToRGB(c);
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void SetBlend(cairo_t* cr, Blend b) {
  switch (b) {
    case blDifference: cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE); break;
    case blMultiply: cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY); break;
    case blScreen: cairo_set_operator(cr, CAIRO_OPERATOR_SCREEN); break;
    default: cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  }
}

void AddPath(cairo_t* cr, const Path& p) {
  cairo_new_path(cr);
  for (const Seg& s : p) {
    switch (s.Op) {
      case 'M': cairo_move_to(cr, s.P[0], s.P[1]); break;
      case 'L': cairo_line_to(cr, s.P[0], s.P[1]); break;
      case 'C': cairo_curve_to(cr, s.P[0], s.P[1], s.P[2], s.P[3], s.P[4], s.P[5]); break;
      default: cairo_close_path(cr);
    }
  }
}

// An 8 x 8 repeating hatch of one-pixel squares, kept as vectors.
cairo_pattern_t* HatchPattern(TBrushStyle st, TColor c) {
  cairo_rectangle_t ext = {0, 0, 8, 8};
  cairo_surface_t* rs = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &ext);
  cairo_t* pc = cairo_create(rs);
  SetColor(pc, c);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool on = ((st == bsHorizontal || st == bsCross) && y == 0) ||
                ((st == bsVertical || st == bsCross) && x == 0) ||
                ((st == bsFDiagonal || st == bsDiagCross) && x == y) ||
                ((st == bsBDiagonal || st == bsDiagCross) && ((x + y) & 7) == 0);
      if (on) cairo_rectangle(pc, x, y, 1, 1);
    }
  cairo_fill(pc);
  cairo_destroy(pc);
  cairo_pattern_t* pat = cairo_pattern_create_for_surface(rs);
  cairo_surface_destroy(rs);
  cairo_pattern_set_extend(pat, CAIRO_EXTEND_REPEAT);
  return pat;
}

void CairoShape(cairo_t* cr, const Shape& sh) {
  const Paint& p = sh.Pt;
  if (p.Skip || (p.FillKind == 0 && !p.Stroke)) return;
  cairo_save(cr);
  SetBlend(cr, p.Mode);
  if (p.FillKind != 0) {
    AddPath(cr, sh.FillP.empty() ? sh.P : sh.FillP);
    cairo_set_fill_rule(cr, p.EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    if (p.FillKind == 1) {
      SetColor(cr, p.FillColor);
      cairo_fill(cr);
    } else {
      cairo_pattern_t* pat = HatchPattern(p.Hatch, p.FillColor);
      cairo_set_source(cr, pat);
      cairo_fill(cr);
      cairo_pattern_destroy(pat);
    }
  }
  if (p.Stroke) {
    cairo_set_line_width(cr, p.StrokeWidth);
    cairo_set_line_cap(cr, p.RoundCap ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, p.RoundCap ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
    if (p.GapFill) {
      AddPath(cr, sh.P);
      SetColor(cr, p.GapColor);
      cairo_stroke(cr);
    }
    AddPath(cr, sh.P);
    if (!p.Dash.empty()) cairo_set_dash(cr, p.Dash.data(), int(p.Dash.size()), 0);
    SetColor(cr, p.StrokeColor);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

void CairoText(cairo_t* cr, const TMetaRecord& rec, const TMetaState& s) {
  TPoint ref = rec.Pts.empty() ? TPoint() : rec.Pts[0];
  if (rec.Kind == mrTextOut && (s.TextAlign & TA_UPDATECP) && rec.Pts.size() > 1) ref = rec.Pts[1];
  cairo_save(cr);
  if (rec.Kind == mrTextRect) {
    cairo_rectangle(cr, rec.Rect.Left, rec.Rect.Top, rec.Rect.Width(), rec.Rect.Height());
    cairo_clip(cr);
    if (s.BrushStyle != bsClear) {
      Shape bg;
      bg.P = RectPath(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right, rec.Rect.Bottom);
      bg.Pt.FillKind = s.BrushStyle == bsSolid ? 1 : 2;
      bg.Pt.FillColor = ColorToRGB(s.BrushColor);
      bg.Pt.Hatch = s.BrushStyle;
      CairoShape(cr, bg);
    }
  }
  if (!rec.Text.empty()) {
    TextPlace t = PlaceText(s, ref.X, ref.Y, rec.Text);
    cairo_translate(cr, t.RefX, t.RefY);
    if (t.Angle != 0) cairo_rotate(cr, -t.Angle * kPi / 180.0);
    if (s.BkMode == OPAQUE && rec.Kind == mrTextOut) {
      cairo_rectangle(cr, t.Dx, t.Dy - t.M.Ascent, t.Width, t.M.Height);
      SetColor(cr, s.BrushColor);
      cairo_fill(cr);
    }
    FT_Face ft = nullptr;
    cairo_font_face_t* face = FaceFor(t.Font, ft);
    if (face && ft) {
      cairo_set_font_face(cr, face);
      cairo_set_font_size(cr, t.Font.EmPixels);
      cairo_font_options_t* fo = cairo_font_options_create();
      cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
      cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_NONE);
      cairo_set_font_options(cr, fo);
      cairo_font_options_destroy(fo);
      // Glyphs placed with advances rounded to whole pixels, as the font engine measures them;
      // a character the font lacks comes from DejaVu Sans when that has it.  Runs of one face
      // are shown together.
      TFontSpec fbSpec = t.Font;
      fbSpec.Name = "DejaVu Sans";
      FT_Face fbFt = nullptr;
      cairo_font_face_t* fbFace = nullptr;
      bool fbTried = false;
      std::string utf8 = IsValidUtf8(rec.Text) ? rec.Text : BytesToUtf8(rec.Text);
      SetColor(cr, s.FontColor);
      double x = t.Dx;
      size_t i = 0;
      while (i < utf8.size()) {
        std::vector<cairo_glyph_t> glyphs;
        std::vector<cairo_text_cluster_t> clusters;
        size_t runStart = i;
        FT_Face runFt = nullptr;
        cairo_font_face_t* runFace = nullptr;
        while (i < utf8.size()) {
          size_t len = 1;
          uint32_t cp = NextCodePoint(utf8, i, len);
          FT_Face useFt = ft;
          cairo_font_face_t* useFace = face;
          FT_UInt gi = FT_Get_Char_Index(ft, cp);
          if (gi == 0 && cp >= 32) {
            if (!fbTried) {
              fbFace = FaceFor(fbSpec, fbFt);
              fbTried = true;
            }
            FT_UInt fg = fbFt ? FT_Get_Char_Index(fbFt, cp) : 0;
            if (fg != 0) {
              useFt = fbFt;
              useFace = fbFace;
              gi = fg;
            }
          }
          if (runFace && useFace != runFace) break;
          runFace = useFace;
          runFt = useFt;
          FT_Fixed adv = 0;
          FT_Get_Advance(useFt, gi, FT_LOAD_NO_SCALE, &adv);
          const double upm = useFt->units_per_EM > 0 ? useFt->units_per_EM : 1000;
          glyphs.push_back({gi, x, t.Dy});
          clusters.push_back({int(len), 1});
          x += std::floor(double(adv) * t.Font.EmPixels / upm + 0.5);
          i += len;
        }
        if (glyphs.empty() || !runFace) break;
        cairo_set_font_face(cr, runFace);
        (void)runFt;
        cairo_show_text_glyphs(cr, utf8.data() + runStart, int(i - runStart), glyphs.data(),
                               int(glyphs.size()), clusters.data(), int(clusters.size()),
                               cairo_text_cluster_flags_t(0));
      }
      const double upm = ft->units_per_EM > 0 ? ft->units_per_EM : 1000;
      double thick = std::max(1.0, ft->underline_thickness * t.Font.EmPixels / upm);
      if (t.Font.Underline) {
        double pos = -ft->underline_position * t.Font.EmPixels / upm;
        cairo_rectangle(cr, t.Dx, t.Dy + pos - thick / 2, t.Width, thick);
        cairo_fill(cr);
      }
      if (t.Font.StrikeOut) {
        cairo_rectangle(cr, t.Dx, t.Dy - t.M.Ascent * 0.3 - thick / 2, t.Width, thick);
        cairo_fill(cr);
      }
    }
  }
  cairo_restore(cr);
}

void CairoImage(cairo_t* cr, const TMetaRecord& rec, const TMetaState& s) {
  Paint fillPaint;
  if (RopFill(rec.Param, s, fillPaint)) {
    Shape sh;
    sh.P = RectPath(rec.Rect.Left, rec.Rect.Top, rec.Rect.Right, rec.Rect.Bottom);
    sh.Pt = fillPaint;
    CairoShape(cr, sh);
    return;
  }
  if (!rec.Image || rec.Pts.size() < 2) return;
  double x, y, w, h;
  auto part = PreparedImage(rec, s, x, y, w, h);
  if (part->Empty()) return;
  int iw = part->Width(), ih = part->Height();
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, iw, ih);
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    return;
  }
  cairo_surface_flush(img);
  unsigned char* data = cairo_image_surface_get_data(img);
  int stride = cairo_image_surface_get_stride(img);
  for (int y = 0; y < ih; ++y) std::memcpy(data + y * stride, part->ScanLine(y), size_t(iw) * 4);
  cairo_surface_mark_dirty(img);
  if (w == 0 || h == 0) {
    cairo_surface_destroy(img);
    return;
  }
  cairo_save(cr);
  SetBlend(cr, ImageBlend(rec.Param));
  cairo_translate(cr, x, y);
  cairo_scale(cr, w / iw, h / ih);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_pattern_t* pat = cairo_get_source(cr);
  cairo_pattern_set_extend(pat, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pat, s.StretchBltMode == HALFTONE ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
  cairo_rectangle(cr, 0, 0, iw, ih);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_surface_destroy(img);
}

void CairoPage(cairo_t* cr, const TMetafile& mf) {
  double k = 72.0 / mf.PixelsPerInch();
  cairo_save(cr);
  cairo_scale(cr, k, k);
  cairo_rectangle(cr, 0, 0, std::max(1, mf.Width()), std::max(1, mf.Height()));
  cairo_clip(cr);
  cairo_push_group(cr);  // blend modes combine with this page only
  cairo_set_source_rgb(cr, 1, 1, 1);  // the paper
  cairo_paint(cr);
  for (int i = 0; i < mf.RecordCount(); ++i) {
    const TMetaRecord rec = Limited(mf.Records(i));
    const TMetaState s = Limited(mf.States(rec.State));
    cairo_save(cr);
    if (s.HasClip) {
      cairo_rectangle(cr, s.Clip.Left, s.Clip.Top, std::max(0, s.Clip.Width()), std::max(0, s.Clip.Height()));
      cairo_clip(cr);
    }
    Shape sh;
    switch (rec.Kind) {
      case mrTextOut:
      case mrTextRect: CairoText(cr, rec, s); break;
      case mrImage: CairoImage(cr, rec, s); break;
      case mrFloodFill: {
        TMetaRecord img;
        if (FloodAsImage(mf, i, img)) CairoImage(cr, img, s);
        break;
      }
      default:
        if (ShapeOf(rec, s, sh)) CairoShape(cr, sh);
    }
    cairo_restore(cr);
  }
  cairo_pop_group_to_source(cr);
  cairo_paint(cr);
  cairo_restore(cr);
}

struct PdfSink {
  TStream* S = nullptr;
  bool Failed = false;
  std::string Error;
};

cairo_status_t PdfWrite(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<PdfSink*>(closure);
  if (sink->Failed) return CAIRO_STATUS_WRITE_ERROR;
  try {
    sink->S->WriteBuffer(data, length);
  } catch (const std::exception& e) {
    sink->Failed = true;
    sink->Error = e.what();
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void SaveMetafilesAsPDF(const std::vector<const TMetafile*>& pages, const std::string& fileName,
                        const std::string& title) {
  TFileStream fs(fileName, fmCreate);
  PdfSink sink;
  sink.S = &fs;
  auto pageSize = [](const TMetafile* m, double& w, double& h) {
    w = std::max(1, m->Width()) * 72.0 / m->PixelsPerInch();
    h = std::max(1, m->Height()) * 72.0 / m->PixelsPerInch();
  };
  double w0 = 595.28, h0 = 841.89;  // A4 for an empty document
  if (!pages.empty() && pages[0]) pageSize(pages[0], w0, h0);
  cairo_surface_t* surf = cairo_pdf_surface_create_for_stream(PdfWrite, &sink, w0, h0);
  if (!title.empty()) {
    std::string t = IsValidUtf8(title) ? title : BytesToUtf8(title);
    cairo_pdf_surface_set_metadata(surf, CAIRO_PDF_METADATA_TITLE, t.c_str());
  }
  cairo_t* cr = cairo_create(surf);
  bool first = true;
  for (const TMetafile* m : pages) {
    if (!m) continue;
    double w, h;
    pageSize(m, w, h);
    if (!first) cairo_show_page(cr);
    cairo_pdf_surface_set_size(surf, w, h);
    CairoPage(cr, *m);
    first = false;
  }
  cairo_show_page(cr);
  cairo_status_t st = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surf);
  if (st == CAIRO_STATUS_SUCCESS) st = cairo_surface_status(surf);
  cairo_surface_destroy(surf);
  if (sink.Failed) throw EWriteError(sink.Error);
  if (st != CAIRO_STATUS_SUCCESS)
    throw EWriteError("Cannot write file \"" + fileName + "\". " + cairo_status_to_string(st));
}

void TMetafile::SaveToPDFFile(const std::string& fileName) const {
  SaveMetafilesAsPDF({this}, fileName);
}

}  // namespace zol
