// Calibrated maps (TGeoMap), landmarks and the symbol repository.
//
// Calibration file layout (one element per line):
//
//   <?xml version="1.0"?>                  (with header only)
//                                          (always one empty line)
//   <!-- TGeoMap Calibration / ZOL Component Suite -->
//   <geomap sig="ZOLCSuite" vers="1.0" id="ID" model="equirect" map="world.jpg" caption="World">
//   <corners>
//   [lat,long] [lat,long] [lat,long] [lat,long]        (TCorners order, 5 decimals)
//   </corners>
//   <resolution>39135.742</resolution>                 (when > 0)
//   <utmzone>32</utmzone>                              (zone 1..60 only)
//   <utmsouth>false</utmsouth>
//   <ellipsoid>gelWGS84</ellipsoid>
//   <calline type="parallel" value="45" npoints="3">
//   [x,y] [x,y] [x,y]
//   </calline>
//   <calquads npoints="2">
//   [lat,long,x,y] [lat,long,x,y]
//   </calquads>
//   </geomap>
//
// Texts in attribute values (map name, caption, landmark captions, symbol
// names) are written with the entities &amp; &quot; &lt; &gt; so that quotes
// and '>' cannot end the value or the tag early.
#include "geo/Zol_geomap.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include "base/Zol_dstruct.h"
#include "base/Zol_stringl.h"
#include "base/Zol_streams.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_imaging.h"
#include "base/platform/Zol_printers.h"
#include "base/platform/Zol_sysutils.h"
#include "math/Zol_math1.h"
#include "math/Zol_math2.h"
#include "math/Zol_matrix.h"
#include "math/Zol_vector.h"

namespace zol {

const char* const xmlCalibModel[7] = {"parabolicip", "biquadraticpn", "conicconformal", "millercylindrical",
                                      "equirect",    "utm",           "undefined"};
const char* const LandMarkElementNames[9] = {"Cross",   "Square",   "Triangle", "Circle",      "ArrowFrom",
                                             "ArrowTo", "CrossBox", "Spade",    "User-Defined"};
const char* const xmlLandMarkElement[8] = {"cross",     "square",  "triangle", "circle",
                                           "arrowfrom", "arrowto", "crossbox", "spade"};

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kEarthRadius = 6371000.0;  // metres, for the map resolution
constexpr double kUTMScale = 0.9996;
constexpr int64_t kMaxFileBytes = int64_t(64) << 20;  // calibration and landmark files

// ---------------------------------------------------------------- text helpers
std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r' || s[a] == '\n')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r' || s[b - 1] == '\n')) --b;
  return s.substr(a, b - a);
}

bool ToDouble(const std::string& text, double& v) {
  const std::string t = Trim(text);
  if (t.empty()) return false;
  const char* b = t.data();
  if (*b == '+') ++b;
  double r = 0;
  auto res = std::from_chars(b, t.data() + t.size(), r);
  if (res.ec != std::errc() || res.ptr != t.data() + t.size() || !std::isfinite(r)) return false;
  v = r;
  return true;
}

double ToDoubleOr(const std::string& text, double def) {
  double v;
  return ToDouble(text, v) ? v : def;
}

int ToIntOr(const std::string& text, int def) {
  double v;
  if (!ToDouble(text, v)) return def;
  if (v > 2147483647.0) return 2147483647;
  if (v < -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(std::lround(v));
}

// A colour written as hexadecimal digits, optionally after '$' or "0x".
TColor HexColorOr(const std::string& text, TColor def) {
  std::string t = Trim(text);
  if (!t.empty() && t[0] == '$') t.erase(0, 1);
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t.erase(0, 2);
  if (t.empty() || t.size() > 8) return def;
  uint32_t v = 0;
  auto res = std::from_chars(t.data(), t.data() + t.size(), v, 16);
  if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return def;
  return static_cast<TColor>(v);
}

std::string Hex8(TColor c) { return IntToHex(static_cast<uint32_t>(c), 8); }

std::string Fixed(double v, int dec) { return strff(v, 1, dec); }

std::string General(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

std::string Lower(const std::string& s) { return LowerCase(s); }

// The position of ` name="` (or `name="` at the line start) in an opening
// line, outside the quoted values of other attributes; npos when missing.
size_t FindAttr(const std::string& line, const std::string& name) {
  const std::string low = Lower(line);
  const std::string key = name + "=\"";
  bool quoted = false;
  for (size_t i = 0; i < low.size(); ++i) {
    if (!quoted && (i == 0 || low[i - 1] == ' ' || low[i - 1] == '\t') && low.compare(i, key.size(), key) == 0)
      return i;
    if (low[i] == '"') quoted = !quoted;
  }
  return std::string::npos;
}

// The value of attribute Name in an opening line: the text between ` name="`
// (or a line start) and the next double quote; the empty text when missing.
// A value holding the text ` name=` of another attribute does not count.
std::string LineAttr(const std::string& line, const std::string& name) {
  const size_t p = FindAttr(line, name);
  if (p == std::string::npos) return {};
  const size_t a = p + name.size() + 2;
  const size_t e = line.find('"', a);
  return line.substr(a, (e == std::string::npos ? line.size() : e) - a);
}

bool HasAttr(const std::string& line, const std::string& name) {
  return FindAttr(line, name) != std::string::npos;
}

// True when the line opens a record with the tag Tag (and, when ID is not
// empty, the id ID, ignoring case).
bool IsOpeningLine(const std::string& line, const std::string& tag, const std::string& ID) {
  const std::string low = Lower(line);
  if (low.find("<" + tag) == std::string::npos || low.find("zolcsuite") == std::string::npos) return false;
  if (ID.empty()) return true;
  return Lower(Trim(GeoMapUnescape(LineAttr(line, "id")))) == Lower(Trim(ID));
}

// Bracketed groups "[a,b,...]" of a text, each split at its commas.
std::vector<std::vector<std::string>> BracketGroups(const std::string& text) {
  std::vector<std::vector<std::string>> out;
  size_t p = 0;
  while ((p = text.find('[', p)) != std::string::npos) {
    const size_t e = text.find(']', p);
    if (e == std::string::npos) break;
    std::vector<std::string> parts;
    std::string cur;
    for (size_t i = p + 1; i < e; ++i) {
      if (text[i] == ',') {
        parts.push_back(cur);
        cur.clear();
      } else {
        cur += text[i];
      }
    }
    parts.push_back(cur);
    out.push_back(std::move(parts));
    p = e + 1;
  }
  return out;
}

// Line source over a text file or a buffer.
using LineSource = std::function<bool(std::string&)>;

LineSource BufferLines(const std::string& data, size_t& pos) {
  return [&data, &pos](std::string& line) {
    if (pos >= data.size()) return false;
    size_t e = pos;
    while (e < data.size() && data[e] != '\n' && data[e] != '\r') ++e;
    line = BytesToUtf8(std::string_view(data).substr(pos, e - pos));
    if (e < data.size() && data[e] == '\r' && e + 1 < data.size() && data[e + 1] == '\n') ++e;
    pos = e + 1;
    return true;
  };
}

LineSource FileLines(TextFile& F) {
  return [&F](std::string& line) { return !Eof(F) && ReadLn(F, line); };
}

// Reads lines until the opening line of the record; then collects the lines
// up to and including the one holding the end tag into Body.
bool LocateRecord(const LineSource& next, const std::string& tag, const std::string& ID, std::string& Opening,
                  std::string& Body) {
  std::string line;
  int64_t total = 0;
  for (;;) {
    if (!next(line)) return false;
    if (IsOpeningLine(line, tag, ID)) break;
  }
  Opening = line;
  // The rest of the opening line after its '>' belongs to the body.
  const size_t gt = line.find('>');
  if (gt != std::string::npos) Body = line.substr(gt + 1) + "\n";
  const std::string endTag = "</" + tag;
  if (Lower(Body).find(endTag) != std::string::npos) return true;
  while (next(line)) {
    total += static_cast<int64_t>(line.size()) + 1;
    if (total > kMaxFileBytes) break;
    Body += line;
    Body += '\n';
    if (Lower(line).find(endTag) != std::string::npos) break;
  }
  return true;
}

bool ReadFileText(const std::string& FileName, std::string& data) {
  if (!FileExists(FileName)) return false;
  std::ifstream f(FileName, std::ios::binary);
  if (!f) return false;
  f.seekg(0, std::ios::end);
  const auto size = static_cast<int64_t>(f.tellg());
  if (size < 0 || size > kMaxFileBytes) return false;
  f.seekg(0);
  data.resize(static_cast<size_t>(size));
  f.read(data.data(), size);
  return static_cast<bool>(f);
}

std::string StreamText(TMemoryStream& Stream) {
  const int64_t size = Stream.Size();
  std::string data;
  if (size <= 0 || size > kMaxFileBytes) return data;
  data.assign(reinterpret_cast<const char*>(Stream.Memory()), static_cast<size_t>(size));
  return data;
}

// ---------------------------------------------------------------- least squares
// Solves Rows · c ≈ t by singular value decomposition; singular values below
// 1e-14 of the largest count as zero.  False (c unchanged) when there are
// fewer rows than terms, the decomposition fails or the system is singular.
bool SolveLeastSquares(const std::vector<std::vector<double>>& rows, const std::vector<double>& t,
                       std::vector<double>& c) {
  const int m = static_cast<int>(rows.size());
  if (m == 0) return false;
  const int n = static_cast<int>(rows[0].size());
  if (m < n) return false;
  auto A = std::make_unique<TMatrix>(nullptr);
  if (!A->Resize(n, m)) return false;
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < n; ++j) A->SetVal(j + 1, i + 1, rows[i][j]);
  auto U = std::make_unique<TMatrix>(nullptr);
  auto V = std::make_unique<TMatrix>(nullptr);
  auto W = std::make_unique<TVector>(nullptr);
  if (!A->SingularValueDecomposition(U.get(), W.get(), V.get())) return false;
  double wmax = 0;
  for (int j = 1; j <= n; ++j) wmax = std::max(wmax, std::fabs(W->GetVal(j)));
  if (!(wmax > 0)) return false;
  for (int j = 1; j <= n; ++j)
    if (std::fabs(W->GetVal(j)) < 1e-14 * wmax) return false;  // singular: not enough independent data
  std::vector<double> tmp(n, 0.0), x(n, 0.0);
  for (int j = 1; j <= n; ++j) {
    double s = 0;
    for (int i = 1; i <= m; ++i) s += U->GetVal(j, i) * t[i - 1];
    tmp[j - 1] = s / W->GetVal(j);
  }
  for (int k = 1; k <= n; ++k) {
    double s = 0;
    for (int j = 1; j <= n; ++j) s += V->GetVal(j, k) * tmp[j - 1];
    x[k - 1] = s;
  }
  for (double v : x)
    if (!std::isfinite(v)) return false;
  c = x;
  return true;
}

std::vector<double> Terms(double p, double q, bool quadratic) {
  if (quadratic) return {1.0, p, q, p * p, p * q, q * q};
  return {1.0, p, q};
}

double EvalTerms(const std::array<double, 6>& c, double p, double q, bool quadratic) {
  double v = c[0] + c[1] * p + c[2] * q;
  if (quadratic) v += c[3] * p * p + c[4] * p * q + c[5] * q * q;
  return v;
}

int RoundPix(double v) {
  if (!(v > -1e9)) return -1000000000;
  if (!(v < 1e9)) return 1000000000;
  return static_cast<int>(std::lround(v));
}

// ---------------------------------------------------------------- image headers
uint32_t Be16(const uint8_t* p) { return (uint32_t(p[0]) << 8) | p[1]; }
uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }
uint32_t Be32(const uint8_t* p) { return (Be16(p) << 16) | Be16(p + 2); }

// Width and height from the header of a JPEG, BMP or PNG file without decoding it.
bool ImageHeaderSize(const std::vector<uint8_t>& d, int64_t& w, int64_t& h) {
  const size_t n = d.size();
  if (n >= 4 && d[0] == 0xFF && d[1] == 0xD8) {
    size_t p = 2;
    while (p + 4 <= n) {
      if (d[p] != 0xFF) return false;
      const uint8_t m = d[p + 1];
      if (m == 0xFF) {
        ++p;
        continue;
      }
      if (m == 0xD8 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
        p += 2;
        continue;
      }
      const size_t len = Be16(&d[p + 2]);
      if (len < 2) return false;
      if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
        if (p + 9 > n) return false;
        h = Be16(&d[p + 5]);
        w = Be16(&d[p + 7]);
        return true;
      }
      p += 2 + len;
    }
    return false;
  }
  if (n >= 26 && d[0] == 'B' && d[1] == 'M') {
    const uint32_t hs = Le32(&d[14]);
    if (hs == 12) {
      w = Le16(&d[18]);
      h = Le16(&d[20]);
    } else {
      w = static_cast<int32_t>(Le32(&d[18]));
      h = static_cast<int32_t>(Le32(&d[22]));
    }
    if (h < 0) h = -h;
    return w >= 0;
  }
  static const uint8_t png[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  if (n >= 24 && std::memcmp(d.data(), png, 8) == 0) {
    w = Be32(&d[16]);
    h = Be32(&d[20]);
    return true;
  }
  return false;
}

std::string ImageLimitText(int64_t w, int64_t h) {
  return "Cannot use map image, maximum of " + std::to_string(MaxMapImagePixels) + " pixels exceeded (size of map is " +
         std::to_string(w) + " x " + std::to_string(h) + ")";
}

std::string DateText(TDateTime dt) {
  if (dt == 0) return {};
  int y, mo, d, h, mi, s, ms;
  DecodeDate(dt, y, mo, d);
  DecodeTime(dt, h, mi, s, ms);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", y, mo, d, h, mi, s);
  return buf;
}

TLandMarkElement ElementFromName(const std::string& name) {
  const std::string low = Lower(Trim(name));
  for (int i = 0; i < 8; ++i)
    if (low == xmlLandMarkElement[i]) return static_cast<TLandMarkElement>(i);
  return lmCross;
}

std::string ElementName(TLandMarkElement e) { return e >= lmCross && e <= lmSpade ? xmlLandMarkElement[e] : ""; }

}  // namespace

// ==================================================================== free routines
std::string GeoMapEscape(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': r += "&amp;"; break;
      case '"': r += "&quot;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      default: r += c;
    }
  }
  return r;
}

std::string GeoMapUnescape(const std::string& s) {
  if (s.find('&') == std::string::npos) return s;
  static const std::pair<const char*, char> ents[] = {
      {"&amp;", '&'}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}};
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    bool done = false;
    if (s[i] == '&') {
      for (const auto& e : ents) {
        const size_t len = std::strlen(e.first);
        if (s.compare(i, len, e.first) == 0) {
          r += e.second;
          i += len;
          done = true;
          break;
        }
      }
    }
    if (!done) r += s[i++];
  }
  return r;
}

bool PositionInMap(const TMapCorners& c, double Lat, double Long) {
  auto cross = [&](const TLatLongPos& P, const TLatLongPos& Q) {
    return (P.Lat - Q.Lat) * (Q.Long - Long) + (P.Long - Q.Long) * (Lat - Q.Lat);
  };
  const double ref = (c[3].Lat - c[0].Lat) * (c[0].Long - Long) + (c[3].Long - c[0].Long) * (Lat - c[0].Lat);
  return cross(c[0], c[1]) * ref > 0 && cross(c[1], c[2]) * ref > 0 && cross(c[2], c[3]) * ref > 0;
}

namespace {

[[noreturn]] void CalError(const std::string& prefix, const std::string& detail) {
  throw EZOLGeoMapError(prefix + detail);
}

// Parses the opening line and the body of a calibration record.  Prefix
// starts the error messages ("ParseCalibData: " or the component's prefix).
void ParseCalRecord(const std::string& opening, const std::string& body, TCalibData& D, TCalibModel& M,
                    const std::function<std::string(const std::string&)>& err) {
  D = TCalibData{};
  D.MapName = GeoMapUnescape(LineAttr(opening, "map"));
  D.Caption = GeoMapUnescape(LineAttr(opening, "caption"));
  M = cmBiquadraticPn;
  if (HasAttr(opening, "model")) {
    const std::string name = Lower(Trim(LineAttr(opening, "model")));
    M = cmUndefined;  // a name that is not a model's name
    for (int i = 0; i < 7; ++i)
      if (name == xmlCalibModel[i]) M = static_cast<TCalibModel>(i);
  }
  static const std::vector<std::string> tags = {
      "geomap",   "/geomap",   "calline",    "corners", "resolution", "gmlandmarks", "/gmlandmarks", "landmark",
      "calquads", "lmsymbols", "/lmsymbols", "symbol",  "utmzone",    "utmsouth",    "ellipsoid",    "\x01none"};
  const int last = static_cast<int>(tags.size()) - 1;
  size_t pos = 0;
  std::string content, attrs;
  for (;;) {
    const size_t before = pos;
    const int ix = ReadNextTagInBuffer(body.data(), body.size(), pos, tags, content, attrs);
    if (ix == 1 || ix == last || pos <= before) break;
    const std::string& tag = tags[ix];
    if (tag == "calline") {
      const std::string type = Lower(Trim(ScanForXMLAttrib(attrs, "type")));
      TGratLineKind kind;
      if (type == "parallel")
        kind = gtlParallel;
      else if (type == "meridian")
        kind = gtlMeridian;
      else
        CalError(err(""), "invalid type of graticule line: type=\"" + ScanForXMLAttrib(attrs, "type") + "\"");
      const auto groups = BracketGroups(content);
      const int npoints = ToIntOr(ScanForXMLAttrib(attrs, "npoints"), -1);
      if (npoints != static_cast<int>(groups.size()))
        CalError(err(""), "specified number of calibration points and actual number does not match");
      if (D.NCalLines >= MaxCalLines) continue;  // lines beyond the capacity are ignored
      TCalLine& L = D.CalLines[D.NCalLines++];
      L.Kind = kind;
      L.Value = ToDoubleOr(ScanForXMLAttrib(attrs, "value"), 0.0);
      L.NPoints = 0;
      for (const auto& g : groups) {
        if (L.NPoints >= MaxCalLinePoints) break;
        if (g.size() < 2) continue;
        L.Points[L.NPoints++] = {ToIntOr(g[0], 0), ToIntOr(g[1], 0)};
      }
    } else if (tag == "corners") {
      const auto groups = BracketGroups(content);
      for (size_t i = 0; i < groups.size() && i < 4; ++i) {
        if (groups[i].size() < 2) continue;
        D.Corners[i].Lat = ToDoubleOr(groups[i][0], 0.0);
        D.Corners[i].Long = ToDoubleOr(groups[i][1], 0.0);
      }
    } else if (tag == "resolution") {
      D.Resolution = ToDoubleOr(content, 0.0);
    } else if (tag == "calquads") {
      const auto groups = BracketGroups(content);
      const int npoints = ToIntOr(ScanForXMLAttrib(attrs, "npoints"), -1);
      if (npoints != static_cast<int>(groups.size()))
        CalError(err(""), "specified number of calibration points and actual number does not match");
      for (const auto& g : groups) {
        if (D.NCalQuads >= MaxCalQuads) break;  // points beyond the capacity are ignored
        if (g.size() < 4) continue;
        TCalQuad& q = D.CalQuads[D.NCalQuads++];
        q.Lat = ToDoubleOr(g[0], 0.0);
        q.Long = ToDoubleOr(g[1], 0.0);
        q.X = ToIntOr(g[2], 0);
        q.Y = ToIntOr(g[3], 0);
      }
    } else if (tag == "utmzone") {
      const int z = ToIntOr(content, -1);
      D.UTMZone = (z >= 1 && z <= 60) ? z : -1;
    } else if (tag == "utmsouth") {
      D.UTMSouth = Lower(Trim(content)) == "true";
    } else if (tag == "ellipsoid") {
      const std::string id = Lower(Trim(content));
      for (int i = 0; i < GeoEllipsoidCount; ++i)
        if (id == Lower(GeoEllipsoidId[i])) D.Ellipsoid = static_cast<TGeoEllipsoid>(i);
    }
  }
}

bool ParseCalFromLines(const LineSource& next, const std::string& ID, TCalibData& D, TCalibModel& M,
                       const std::function<std::string(const std::string&)>& err) {
  std::string opening, body;
  if (!LocateRecord(next, "geomap", ID, opening, body)) return false;
  ParseCalRecord(opening, body, D, M, err);
  return true;
}

std::string ParseErr(const std::string&) { return "ParseCalibData: "; }

}  // namespace

bool ParseCalibData(const std::string& FileName, const std::string& ID, TCalibData& CalibData,
                    TCalibModel& CalibModel) {
  std::string data;
  if (!ReadFileText(FileName, data)) return false;
  size_t pos = 0;
  return ParseCalFromLines(BufferLines(data, pos), ID, CalibData, CalibModel, ParseErr);
}

bool ParseCalibData(TMemoryStream& Stream, const std::string& ID, TCalibData& CalibData,
                    TCalibModel& CalibModel) {
  const std::string data = StreamText(Stream);
  size_t pos = 0;
  return ParseCalFromLines(BufferLines(data, pos), ID, CalibData, CalibModel, ParseErr);
}

void WriteRawCalDataToOpenXMLFile(TextFile& F, bool WithHeader, const std::string& ID,
                                  const TCalibData& D, TCalibModel Model) {
  if (WithHeader) WriteLn(F, "<?xml version=\"1.0\"?>");
  WriteLn(F, "");
  WriteLn(F, "<!-- TGeoMap Calibration / ZOL Component Suite -->");
  const int m = (Model >= cmParabolicIp && Model <= cmUndefined) ? Model : cmUndefined;
  WriteLn(F, std::string("<geomap sig=\"") + ZolSignature + "\" vers=\"" + ZolRecordVersion + "\" id=\"" +
                 GeoMapEscape(ID) + "\" model=\"" + xmlCalibModel[m] + "\" map=\"" + GeoMapEscape(D.MapName) +
                 "\" caption=\"" + GeoMapEscape(D.Caption) + "\">");
  WriteLn(F, "<corners>");
  std::string line;
  for (const auto& c : D.Corners) line += "[" + Fixed(c.Lat, 5) + "," + Fixed(c.Long, 5) + "] ";
  WriteLn(F, line);
  WriteLn(F, "</corners>");
  if (D.Resolution > 0) WriteLn(F, "<resolution>" + Fixed(D.Resolution, 3) + "</resolution>");
  if (D.UTMZone >= 1 && D.UTMZone <= 60) {
    WriteLn(F, "<utmzone>" + std::to_string(D.UTMZone) + "</utmzone>");
    WriteLn(F, std::string("<utmsouth>") + (D.UTMSouth ? "true" : "false") + "</utmsouth>");
  }
  const int ell = (D.Ellipsoid < GeoEllipsoidCount) ? D.Ellipsoid : 0;
  WriteLn(F, std::string("<ellipsoid>") + GeoEllipsoidId[ell] + "</ellipsoid>");
  for (int i = 0; i < std::clamp(D.NCalLines, 0, MaxCalLines); ++i) {
    const TCalLine& L = D.CalLines[i];
    const int np = std::clamp(L.NPoints, 0, MaxCalLinePoints);
    WriteLn(F, std::string("<calline type=\"") + (L.Kind == gtlMeridian ? "meridian" : "parallel") +
                   "\" value=\"" + General(L.Value) + "\" npoints=\"" + std::to_string(np) + "\">");
    line.clear();
    for (int k = 0; k < np; ++k)
      line += "[" + std::to_string(L.Points[k].X) + "," + std::to_string(L.Points[k].Y) + "] ";
    WriteLn(F, line);
    WriteLn(F, "</calline>");
  }
  const int nq = std::clamp(D.NCalQuads, 0, MaxCalQuads);
  if (nq > 0) {
    WriteLn(F, "<calquads npoints=\"" + std::to_string(nq) + "\">");
    line.clear();
    for (int k = 0; k < nq; ++k) {
      const TCalQuad& q = D.CalQuads[k];
      line += "[" + Fixed(q.Lat, 5) + "," + Fixed(q.Long, 5) + "," + std::to_string(q.X) + "," +
              std::to_string(q.Y) + "] ";
    }
    WriteLn(F, line);
    WriteLn(F, "</calquads>");
  }
  WriteLn(F, "</geomap>");
}

// ==================================================================== landmark symbols
void DrawLandMarkSymbolOnCanvas(TCanvas& C, int X, int Y, TLandMarkElement Element, TColor ColorFg,
                                TColor ColorBg, int Size, int Dir, int Leng, bool Transparent) {
  const int s = std::clamp(Size, 0, 1000);
  const int leng = std::clamp(Leng, 0, 10000);
  C.Pen().SetStyle(psSolid);
  C.Pen().SetWidth(1);
  C.Pen().SetMode(pmCopy);
  C.Pen().SetColor(ColorFg);
  if (Transparent) {
    C.Brush().SetStyle(bsClear);
  } else {
    C.Brush().SetStyle(bsSolid);
    C.Brush().SetColor(ColorBg);
  }
  const double a = Dir * kDeg;
  auto at = [&](double ang, double r) {
    return TPoint{X + static_cast<int>(std::lround(r * std::cos(ang))),
                  Y - static_cast<int>(std::lround(r * std::sin(ang)))};
  };
  auto arrow = [&](TPoint from, TPoint to, double ang) {  // shaft from -> to, head at `to` pointing along ang
    C.MoveTo(from.X, from.Y);
    C.LineTo(to.X, to.Y);
    const int hs = std::max(3, s);
    std::vector<TPoint> head = {
        to,
        {to.X - static_cast<int>(std::lround(hs * std::cos(ang - 0.4))),
         to.Y + static_cast<int>(std::lround(hs * std::sin(ang - 0.4)))},
        {to.X - static_cast<int>(std::lround(hs * std::cos(ang + 0.4))),
         to.Y + static_cast<int>(std::lround(hs * std::sin(ang + 0.4)))}};
    const TBrushStyle bs = C.Brush().Style();
    const TColor bc = C.Brush().Color();
    C.Brush().SetStyle(bsSolid);
    C.Brush().SetColor(ColorFg);
    C.Polygon(head);
    C.Brush().SetStyle(bs);
    if (bs != bsClear) C.Brush().SetColor(bc);
  };
  switch (Element) {
    case lmCross:
      C.MoveTo(X - s, Y);
      C.LineTo(X + s + 1, Y);
      C.MoveTo(X, Y - s);
      C.LineTo(X, Y + s + 1);
      break;
    case lmSquare:
      C.Rectangle(X - s, Y - s, X + s + 1, Y + s + 1);
      break;
    case lmTriangle: {
      // corners 120 degrees apart; at Dir 0 one corner points up
      std::vector<TPoint> t = {at(a + kPi / 2, s), at(a + kPi / 2 + 2 * kPi / 3, s),
                               at(a + kPi / 2 + 4 * kPi / 3, s)};
      C.Polygon(t);
      break;
    }
    case lmCircle:
      C.Ellipse(X - s, Y - s, X + s + 1, Y + s + 1);
      break;
    case lmArrowFrom:
      arrow({X, Y}, at(a, leng), a);
      break;
    case lmArrowTo:
      arrow(at(a, leng), {X, Y}, a + kPi);
      break;
    case lmCrossBox:
      C.Rectangle(X - s, Y - s, X + s + 1, Y + s + 1);
      C.MoveTo(X - s, Y);
      C.LineTo(X + s + 1, Y);
      C.MoveTo(X, Y - s);
      C.LineTo(X, Y + s + 1);
      break;
    case lmSpade: {
      // a pointed leaf above a short stem
      const int h = s / 2;
      std::vector<TPoint> leaf = {{X, Y - s},     {X + s, Y + h / 2}, {X + h, Y + h},
                                  {X, Y + h / 2}, {X - h, Y + h},     {X - s, Y + h / 2}};
      C.Polygon(leaf);
      std::vector<TPoint> stem = {{X, Y + h / 2}, {X + h / 2 + 1, Y + s}, {X - h / 2 - 1, Y + s}};
      C.Polygon(stem);
      break;
    }
    case lmUserDef:
      break;
  }
}

// ==================================================================== TSymbolRepository
TSymbol DefaultSymbolRecord() { return TSymbol{}; }

TSymbolRepository::TSymbolRepository(TComponent* AOwner) : TComponent(AOwner) {}

void TSymbolRepository::Changed() {
  if (OnChange) {
    auto h = OnChange;
    h(this);
  }
}

TSymbol TSymbolRepository::GetValues(int i) const {
  if (i < 1 || i > NEntries()) return DefaultSymbolRecord();
  return FSymbols[i - 1];
}

void TSymbolRepository::SetValues(int i, const TSymbol& Symbol) {
  TSymbol s = Symbol;
  s.Name = Utf8Truncate(s.Name, 255);
  s.Category = Utf8Truncate(s.Category, 255);
  if (i >= 1 && i <= NEntries())
    FSymbols[i - 1] = s;
  else if (i == NEntries() + 1)
    FSymbols.push_back(s);
  else
    return;
  Changed();
}

void TSymbolRepository::Clear() {
  FSymbols.clear();
  Changed();
}

void TSymbolRepository::Backup() { FBackup = FSymbols; }

void TSymbolRepository::Restore() {
  FSymbols = FBackup;
  Changed();
}

void TSymbolRepository::Assign(const TPersistent& Source) {
  if (auto* s = dynamic_cast<const TSymbolRepository*>(&Source)) {
    FSymbols = s->FSymbols;
    Changed();
    return;
  }
  TComponent::Assign(Source);
}

bool TSymbolRepository::StoreOnFile(const std::string& FileName, const std::string& ID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) {
    WriteLn(F, "<?xml version=\"1.0\"?>");
    WriteLn(F, "<!-- TGeoMap Landmark Repository / ZOL Component Suite -->");
    WriteLn(F, std::string("<lmsymbols sig=\"") + ZolSignature + "\" vers=\"" + ZolRecordVersion + "\" id=\"" +
                   GeoMapEscape(ID) + "\">");
    for (const TSymbol& s : FSymbols) {
      WriteLn(F, "  <symbol element=\"" + ElementName(s.Element) + "\" name=\"" + GeoMapEscape(s.Name) +
                     "\" category=\"" + GeoMapEscape(s.Category) + "\" colorfg=\"" + Hex8(s.ColorFg) +
                     "\" colorbg=\"" + Hex8(s.ColorBg) + "\" size=\"" + std::to_string(s.Size) +
                     "\" transp=\"" + (s.Transparent ? "true" : "false") + "\" dir=\"" + std::to_string(s.Dir) +
                     "\" leng=\"" + std::to_string(s.Leng) + "\" />");
    }
    WriteLn(F, "</lmsymbols>");
  });
}

namespace {
bool ParseSymbols(const LineSource& next, const std::string& ID, std::vector<TSymbol>& out) {
  std::string opening, body;
  if (!LocateRecord(next, "lmsymbols", ID, opening, body)) return false;
  static const std::vector<std::string> tags = {"symbol", "/lmsymbols", "\x01none"};
  size_t pos = 0;
  std::string content, attrs;
  for (;;) {
    const size_t before = pos;
    const int ix = ReadNextTagInBuffer(body.data(), body.size(), pos, tags, content, attrs);
    if (pos <= before || ix == 1 || (ix == 2 && pos >= body.size())) break;
    if (ix != 0) continue;
    TSymbol s;
    s.Element = ElementFromName(ScanForXMLAttrib(attrs, "element"));
    s.Name = Utf8Truncate(GeoMapUnescape(ScanForXMLAttrib(attrs, "name")), 255);
    s.Category = Utf8Truncate(GeoMapUnescape(ScanForXMLAttrib(attrs, "category")), 255);
    s.ColorFg = HexColorOr(ScanForXMLAttrib(attrs, "colorfg"), s.ColorFg);
    s.ColorBg = HexColorOr(ScanForXMLAttrib(attrs, "colorbg"), s.ColorBg);
    s.Size = ToIntOr(ScanForXMLAttrib(attrs, "size"), s.Size);
    s.Transparent = Lower(ScanForXMLAttrib(attrs, "transp")).find("true") != std::string::npos;
    s.Dir = ToIntOr(ScanForXMLAttrib(attrs, "dir"), 0);
    s.Leng = ToIntOr(ScanForXMLAttrib(attrs, "leng"), s.Leng);
    out.push_back(s);
  }
  return true;
}
}  // namespace

bool TSymbolRepository::LoadFromFile(const std::string& FileName, const std::string& ID) {
  std::string data;
  if (!ReadFileText(FileName, data)) return false;
  size_t pos = 0;
  std::vector<TSymbol> syms;
  if (!ParseSymbols(BufferLines(data, pos), ID, syms)) return false;
  FSymbols = std::move(syms);
  Changed();
  return true;
}

bool TSymbolRepository::ReadFromOpenXMLFile(TextFile& F, const std::string& ID) {
  std::vector<TSymbol> syms;
  if (!ParseSymbols(FileLines(F), ID, syms)) return false;
  FSymbols = std::move(syms);
  Changed();
  return true;
}

// ==================================================================== TGeoMap: construction
TGeoMap::TGeoMap(TComponent* AOwner) : TCustomControl(AOwner), FMap(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 400, 300);
  FClassVisible.fill(true);
  FLMDefaults.CapProps = FLMTextProps;
  SetColor(FColorBackGnd);
}

TGeoMap::~TGeoMap() = default;

// ==================================================================== calibration
bool TGeoMap::IsCalibrated() const {
  switch (FCalibModel) {
    case cmParabolicIp: return FParabolicValid;
    case cmBiquadraticPn: return FQuadValid;
    case cmConicConformal: return FConicValid;
    case cmMillerCylindrical: return FMillerValid;
    case cmEquiRect: return FLinValid;
    case cmUTM: return FLinValid && FCal.UTMZone >= 1 && FCal.UTMZone <= 60;
    default: return false;
  }
}

bool TGeoMap::FitLinear(bool Quadratic) {
  const int n = std::clamp(FCal.NCalQuads, 0, MaxCalQuads);
  std::vector<std::vector<double>> fwd, inv;
  std::vector<double> tLat, tLong, tX, tY;
  for (int i = 0; i < n; ++i) {
    const TCalQuad& q = FCal.CalQuads[i];
    fwd.push_back(Terms(q.X, q.Y, Quadratic));
    inv.push_back(Terms(q.Lat, q.Long, Quadratic));
    tLat.push_back(q.Lat);
    tLong.push_back(q.Long);
    tX.push_back(q.X);
    tY.push_back(q.Y);
  }
  std::vector<double> a, b, c, d;
  if (!SolveLeastSquares(fwd, tLat, a) || !SolveLeastSquares(fwd, tLong, b) || !SolveLeastSquares(inv, tX, c) ||
      !SolveLeastSquares(inv, tY, d))
    return false;  // coefficients stay as they were
  FFitLat = {}, FFitLong = {}, FFitX = {}, FFitY = {};
  for (size_t k = 0; k < a.size(); ++k) {
    FFitLat.c[k] = a[k];
    FFitLong.c[k] = b[k];
    FFitX.c[k] = c[k];
    FFitY.c[k] = d[k];
  }
  return true;
}

void TGeoMap::CalcEquiRectCalibration() { FLinValid = FitLinear(false); }

void TGeoMap::CalcBiquadraticCalibration() {
  FFitLat = {}, FFitLong = {}, FFitX = {}, FFitY = {};
  FQuadValid = FitLinear(true);
}

void TGeoMap::CalcMillerCylCalibration() {
  const int n = std::clamp(FCal.NCalQuads, 0, MaxCalQuads);
  FMillerValid = false;
  if (n < 3) return;
  TCurveFit fx(nullptr), fy(nullptr);
  fx.Init();
  fy.Init();
  for (int i = 0; i < n; ++i) {
    const TCalQuad& q = FCal.CalQuads[i];
    const double phi = q.Lat * kDeg;
    const double arg = std::tan(kPi / 4 + 0.4 * phi);
    if (!(arg > 0) || std::fabs(q.Lat) >= 90) return;
    fx.EnterStatValue(q.Long * kDeg, q.X);
    fy.EnterStatValue(std::log(arg), q.Y);
  }
  double kx, dx, ky, dy, qual;
  fx.CalcLinFit(kx, dx, qual);
  fy.CalcLinFit(ky, dy, qual);
  if (kx == 0 || ky == 0 || !std::isfinite(kx) || !std::isfinite(ky)) return;  // degenerate: keep old values
  FMillerKx = kx, FMillerDx = dx, FMillerKy = ky, FMillerDy = dy;
  FMillerValid = true;
}

void TGeoMap::CalcConicCalibration() {
  const int n = std::clamp(FCal.NCalQuads, 0, MaxCalQuads);
  FConicValid = false;
  if (n < 3) return;
  int xmin = INT32_MAX, xmax = INT32_MIN, ymin = INT32_MAX, ymax = INT32_MIN;
  for (int i = 0; i < n; ++i) {
    xmin = std::min(xmin, FCal.CalQuads[i].X);
    xmax = std::max(xmax, FCal.CalQuads[i].X);
    ymin = std::min(ymin, FCal.CalQuads[i].Y);
    ymax = std::max(ymax, FCal.CalQuads[i].Y);
  }
  // The error of an apex: squared RMS residuals of both straight-line fits.
  auto evaluate = [&](double xp, double yp, double& sphi, double& iphi, double& slam, double& ilam) {
    TCurveFit f1(nullptr), f2(nullptr);
    f1.Init();
    f2.Init();
    for (int i = 0; i < n; ++i) {
      const TCalQuad& q = FCal.CalQuads[i];
      f1.EnterStatValue(std::hypot(q.X - xp, q.Y - yp), q.Lat);
      if (q.Y != yp) f2.EnterStatValue(std::atan((q.X - xp) / (q.Y - yp)), q.Long);
    }
    if (f1.NumData() < 2 || f2.NumData() < 2) return 1e30;
    double qual;
    f1.CalcLinFit(sphi, iphi, qual);
    f2.CalcLinFit(slam, ilam, qual);
    double e1 = 0, e2 = 0;
    for (int i = 1; i <= f1.NumData(); ++i) {
      const double r = f1.DataY(i) - (sphi * f1.DataX(i) + iphi);
      e1 += r * r;
    }
    for (int i = 1; i <= f2.NumData(); ++i) {
      const double r = f2.DataY(i) - (slam * f2.DataX(i) + ilam);
      e2 += r * r;
    }
    return e1 / f1.NumData() + e2 / f2.NumData();
  };
  double cx = std::round(0.5 * (double(xmin) + xmax)), cy = std::round(0.5 * (double(ymin) + ymax));
  long step = 1000000;
  double bestErr = 1e10, bx = cx, by = cy, bs = 0, bi = 0, bl = 0, bil = 0;
  bool found = false;
  for (;;) {
    for (int i = -2; i <= 2; ++i)
      for (int j = -2; j <= 2; ++j) {
        const double xp = cx + double(i) * step, yp = cy + double(j) * step;
        double s1 = 0, i1 = 0, s2 = 0, i2 = 0;
        const double e = evaluate(xp, yp, s1, i1, s2, i2);
        if (e < bestErr) {
          bestErr = e, bx = xp, by = yp, bs = s1, bi = i1, bl = s2, bil = i2;
          found = true;
        }
      }
    cx = std::round(bx);
    cy = std::round(by);
    step /= 2;
    if (step <= 0) break;
  }
  if (!found || bs == 0 || bl == 0) return;
  FConicXp = static_cast<int>(std::lround(bx));
  FConicYp = static_cast<int>(std::lround(by));
  FConicSphi = bs, FConicIphi = bi, FConicSlam = bl, FConicIlam = bil;
  FConicValid = true;
}

void TGeoMap::RecalcGratMat() {
  FGratMat.clear();
  int npar = 0, nmer = 0;
  for (int i = 0; i < std::clamp(FCal.NCalLines, 0, MaxCalLines); ++i) {
    const TCalLine& L = FCal.CalLines[i];
    if (L.NPoints <= 2) continue;
    TCurveFit f(nullptr);
    f.Init();
    for (int k = 0; k < std::min(L.NPoints, MaxCalLinePoints); ++k) {
      if (L.Kind == gtlParallel)
        f.EnterStatValue(L.Points[k].X, L.Points[k].Y);
      else
        f.EnterStatValue(L.Points[k].Y, L.Points[k].X);
    }
    double c0, c1, c2, q;
    f.CalcParabolFit(c0, c1, c2, q);
    FGratMat.push_back({L.Kind == gtlParallel ? 1.0 : 0.0, L.Value, c0, c1, c2});
    (L.Kind == gtlParallel ? npar : nmer)++;
  }
  FParabolicValid = npar >= 2 && nmer >= 2;
  if (!FParabolicValid) FGratMat.assign(1, {0, 0, 0, 0, 0});
}

void TGeoMap::RecalcCalibration() {
  RecalcGratMat();
  switch (FCalibModel) {
    case cmBiquadraticPn: CalcBiquadraticCalibration(); break;
    case cmConicConformal: CalcConicCalibration(); break;
    case cmMillerCylindrical: CalcMillerCylCalibration(); break;
    case cmEquiRect:
    case cmUTM: CalcEquiRectCalibration(); break;
    default: break;
  }
  CalcExtentsAndResolution();
  Invalidate();
}

void TGeoMap::CalibChanged() { RecalcCalibration(); }

// Forward latitude (Latitude true) or longitude of the parabolic model.
bool TGeoMap::ParabolicForward(bool Latitude, double X, double Y, double& Value) const {
  if (!FParabolicValid) return false;
  const double kind = Latitude ? 1.0 : 0.0;
  double dh = 1e20, df = 1e20;
  int h = -1, f = -1;
  for (size_t i = 0; i < FGratMat.size(); ++i) {
    const auto& r = FGratMat[i];
    if (r[0] != kind) continue;
    const double u = Latitude ? X : Y, v = Latitude ? Y : X;
    const double d = std::fabs(v - r[2] - r[3] * u - r[4] * u * u);
    if (d < dh) {
      df = dh, f = h;
      dh = d, h = static_cast<int>(i);
    } else if (d < df && r[1] != FGratMat[h][1]) {
      df = d, f = static_cast<int>(i);
    }
  }
  if (h < 0 || f < 0) return false;
  const auto& H = FGratMat[h];
  const auto& Fr = FGratMat[f];
  if (H[1] == Fr[1]) return false;  // two lines of the same value give no gradient
  const double u = Latitude ? X : Y, v = Latitude ? Y : X;
  const double vh = H[2] + H[3] * u + H[4] * u * u;
  const double vf = Fr[2] + Fr[3] * u + Fr[4] * u * u;
  if (vh == vf) return false;
  Value = Fr[1] + (H[1] - Fr[1]) * (v - vf) / (vh - vf);
  return std::isfinite(Value);
}

bool TGeoMap::ParabolicInverse(double Lat, double Long, int& X, int& Y) const {
  if (!FParabolicValid) return false;
  // the two lines of a kind whose values are closest to v, interpolated to one parabola
  auto blend = [&](double kind, double v, std::array<double, 3>& c) {
    int h = -1, f = -1;
    double dh = 1e300, df = 1e300;
    for (size_t i = 0; i < FGratMat.size(); ++i) {
      const auto& r = FGratMat[i];
      if (r[0] != kind) continue;
      const double d = std::fabs(r[1] - v);
      if (d < dh) {
        if (h < 0 || FGratMat[h][1] != r[1]) df = dh, f = h;
        dh = d, h = static_cast<int>(i);
      } else if (d < df && r[1] != FGratMat[h][1]) {
        df = d, f = static_cast<int>(i);
      }
    }
    if (h < 0 || f < 0) return false;
    const auto& H = FGratMat[h];
    const auto& Fr = FGratMat[f];
    if (H[1] == Fr[1]) return false;
    const double t = (v - Fr[1]) / (H[1] - Fr[1]);
    for (int k = 0; k < 3; ++k) c[k] = Fr[2 + k] + t * (H[2 + k] - Fr[2 + k]);
    return true;
  };
  std::array<double, 3> P{}, M{};
  if (!blend(1.0, Lat, P) || !blend(0.0, Long, M)) return false;
  double x = 500, y = 0;
  for (int it = 0; it < 15; ++it) {
    y = P[0] + P[1] * x + P[2] * x * x;
    x = M[0] + M[1] * y + M[2] * y * y;
    if ((std::fabs(x) > 50000 && std::fabs(y) > 50000) || !std::isfinite(x) || !std::isfinite(y)) return false;
  }
  X = RoundPix(x);
  Y = RoundPix(y);
  return true;
}

void TGeoMap::ForwardLatLong(double X, double Y, double& Lat, double& Long, bool& Valid) const {
  Lat = Long = 0;
  Valid = false;
  if (!IsCalibrated()) return;
  switch (FCalibModel) {
    case cmEquiRect:
    case cmBiquadraticPn: {
      const bool quad = FCalibModel == cmBiquadraticPn;
      Lat = EvalTerms(FFitLat.c, X, Y, quad);
      Long = EvalTerms(FFitLong.c, X, Y, quad);
      Valid = true;
      break;
    }
    case cmUTM: {
      const double N = EvalTerms(FFitLat.c, X, Y, false), E = EvalTerms(FFitLong.c, X, Y, false);
      UTMToLatLong(E, N, FCal.UTMZone, FCal.UTMSouth, FCal.Ellipsoid, Lat, Long);
      Valid = std::isfinite(Lat) && std::isfinite(Long);
      break;
    }
    case cmMillerCylindrical:
      Long = (X - FMillerDx) / FMillerKx / kDeg;
      Lat = (std::atan(std::exp((Y - FMillerDy) / FMillerKy)) - kPi / 4) * 143.2394487827058;
      Valid = std::isfinite(Lat) && std::isfinite(Long);
      break;
    case cmConicConformal: {
      const double r = std::hypot(X - FConicXp, Y - FConicYp);
      const double theta =
          (Y != FConicYp) ? std::atan((X - FConicXp) / (Y - FConicYp)) : (X >= FConicXp ? kPi / 2 : -kPi / 2);
      Lat = FConicSphi * r + FConicIphi;
      Long = FConicSlam * theta + FConicIlam;
      Valid = true;
      break;
    }
    case cmParabolicIp: {
      bool a = ParabolicForward(true, X, Y, Lat);
      bool b = ParabolicForward(false, X, Y, Long);
      Valid = a && b;
      break;
    }
    default: break;
  }
}

double TGeoMap::CalcLatitude(int X, int Y, bool& Valid) const {
  double lat, lon;
  if (FCalibModel == cmParabolicIp) {
    Valid = ParabolicForward(true, X, Y, lat);
    return Valid ? lat : 0.0;
  }
  ForwardLatLong(X, Y, lat, lon, Valid);
  return lat;
}

double TGeoMap::CalcLongitude(int X, int Y, bool& Valid) const {
  double lat, lon;
  if (FCalibModel == cmParabolicIp) {
    Valid = ParabolicForward(false, X, Y, lon);
    return Valid ? lon : 0.0;
  }
  ForwardLatLong(X, Y, lat, lon, Valid);
  return lon;
}

// UTM coordinates of a position in the map's own zone and hemisphere.
bool TGeoMap::LatLongToMapUTM(double Lat, double Long, double& N, double& E) const {
  if (FCal.UTMZone < 1 || FCal.UTMZone > 60 || std::fabs(Lat) > 90) return false;
  double x, y;
  LatLongToTM(Lat * kDeg, Long * kDeg, UTMCentralMeridian(FCal.UTMZone), FCal.Ellipsoid, x, y);
  E = kUTMScale * x + 500000.0;
  N = kUTMScale * y + (FCal.UTMSouth ? 10000000.0 : 0.0);
  return std::isfinite(E) && std::isfinite(N);
}

bool TGeoMap::CalcPixelCoords(double Lat, double Long, int& X, int& Y) const {
  if (!IsCalibrated()) return false;
  switch (FCalibModel) {
    case cmEquiRect:
    case cmBiquadraticPn: {
      const bool quad = FCalibModel == cmBiquadraticPn;
      const double x = EvalTerms(FFitX.c, Lat, Long, quad), y = EvalTerms(FFitY.c, Lat, Long, quad);
      if (!std::isfinite(x) || !std::isfinite(y)) return false;
      X = RoundPix(x);
      Y = RoundPix(y);
      return true;
    }
    case cmUTM: {
      double N, E;
      if (!LatLongToMapUTM(Lat, Long, N, E)) return false;
      return CalcPixelCoordsUTM(N, E, X, Y);
    }
    case cmMillerCylindrical: {
      const double arg = std::tan(kPi / 4 + 0.4 * Lat * kDeg);
      if (!(arg > 0)) return false;
      X = RoundPix(Long * kDeg * FMillerKx + FMillerDx);
      Y = RoundPix(std::log(arg) * FMillerKy + FMillerDy);
      return true;
    }
    case cmConicConformal: {
      if (FConicSphi == 0 || FConicSlam == 0) return false;
      const double theta = (Long - FConicIlam) / FConicSlam;
      const double r = (Lat - FConicIphi) / FConicSphi;
      const double t = std::tan(theta);
      const double dy = r / std::sqrt(1 + t * t);
      const double y = Lat >= 0 ? FConicYp + dy : FConicYp - dy;
      const double x = t * (y - FConicYp) + FConicXp;
      if (!std::isfinite(x) || !std::isfinite(y)) return false;
      Y = RoundPix(y);
      X = RoundPix(x);
      return true;
    }
    case cmParabolicIp: return ParabolicInverse(Lat, Long, X, Y);
    default: return false;
  }
}

bool TGeoMap::CalcPixelCoordsUTM(double Northing, double Easting, int& X, int& Y) const {
  if (FCalibModel == cmUTM) {
    if (!IsCalibrated()) return false;
    const double x = EvalTerms(FFitX.c, Northing, Easting, false);
    const double y = EvalTerms(FFitY.c, Northing, Easting, false);
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    X = RoundPix(x);
    Y = RoundPix(y);
    return true;
  }
  if (FCal.UTMZone < 1 || FCal.UTMZone > 60) return false;
  double lat, lon;
  UTMToLatLong(Easting, Northing, FCal.UTMZone, FCal.UTMSouth, FCal.Ellipsoid, lat, lon);
  return CalcPixelCoords(lat, lon, X, Y);
}

// Other models than cmUTM: the pixel along row or column Fixed where the
// northing (Northing true) or easting of the map's zone equals Target, by
// bisection over the image and its surroundings.
bool TGeoMap::SearchUTMAlong(bool Northing, double Target, int Fixed, int& Result) const {
  if (!IsCalibrated() || FCal.UTMZone < 1) return false;
  auto value = [&](double t, double& v) {
    double lat, lon, n, e;
    bool ok;
    if (Northing)
      ForwardLatLong(Fixed, t, lat, lon, ok);
    else
      ForwardLatLong(t, Fixed, lat, lon, ok);
    if (!ok || !LatLongToMapUTM(lat, lon, n, e)) return false;
    v = Northing ? n : e;
    return true;
  };
  const int size = std::max(1, Northing ? FMap->Height() : FMap->Width());
  double lo = -size, hi = 2.0 * size, vlo, vhi;
  if (!value(lo, vlo) || !value(hi, vhi) || (vlo - Target) * (vhi - Target) > 0) return false;
  for (int it = 0; it < 60; ++it) {
    const double mid = 0.5 * (lo + hi);
    double vm;
    if (!value(mid, vm)) return false;
    if ((vlo - Target) * (vm - Target) <= 0)
      hi = mid;
    else
      lo = mid, vlo = vm;
  }
  Result = RoundPix(0.5 * (lo + hi));
  return true;
}

bool TGeoMap::CalcUTMyFromNorthingX(double Northing, int X, int& Y) const {
  if (FCalibModel != cmUTM) return SearchUTMAlong(true, Northing, X, Y);
  if (!IsCalibrated() || FFitLat.c[2] == 0) return false;
  const double y = (Northing - FFitLat.c[0] - FFitLat.c[1] * X) / FFitLat.c[2];
  if (!std::isfinite(y)) return false;
  Y = RoundPix(y);
  return true;
}

bool TGeoMap::CalcUTMxFromEastingY(double Easting, int Y, int& X) const {
  if (FCalibModel != cmUTM) return SearchUTMAlong(false, Easting, Y, X);
  if (!IsCalibrated() || FFitLong.c[1] == 0) return false;
  const double x = (Easting - FFitLong.c[0] - FFitLong.c[2] * Y) / FFitLong.c[1];
  if (!std::isfinite(x)) return false;
  X = RoundPix(x);
  return true;
}

void TGeoMap::CalibQuality(double& QualX, double& QualY) const {
  QualX = QualY = 0;
  const int n = std::clamp(FCal.NCalQuads, 0, MaxCalQuads);
  if (n == 0 || !IsCalibrated()) return;
  double sx = 0, sy = 0;
  int used = 0;
  for (int i = 0; i < n; ++i) {
    const TCalQuad& q = FCal.CalQuads[i];
    int x, y;
    const bool ok = FCalibModel == cmUTM ? CalcPixelCoordsUTM(q.Lat, q.Long, x, y)
                                         : CalcPixelCoords(q.Lat, q.Long, x, y);
    if (!ok) continue;
    sx += double(x - q.X) * (x - q.X);
    sy += double(y - q.Y) * (y - q.Y);
    ++used;
  }
  if (used == 0) return;
  QualX = std::sqrt(sx / used);
  QualY = std::sqrt(sy / used);
}

// ---------------------------------------------------------------- editing
void TGeoMap::AddCalibPoint(TGratLineKind Kind, double Value, int X, int Y) {
  if (FCalibModel != cmParabolicIp)
    throw EZOLGeoMapError(Msg("current calibration model does not support this version of AddCalibPoint"));
  int ix = -1;
  for (int i = 0; i < FCal.NCalLines; ++i)
    if (FCal.CalLines[i].Kind == Kind && FCal.CalLines[i].Value == Value) ix = i;
  if (ix < 0) {
    if (FCal.NCalLines >= MaxCalLines) return;
    ix = FCal.NCalLines++;
    FCal.CalLines[ix] = TCalLine{};
    FCal.CalLines[ix].Kind = Kind;
    FCal.CalLines[ix].Value = Value;
  }
  TCalLine& L = FCal.CalLines[ix];
  if (L.NPoints >= MaxCalLinePoints) return;  // a line takes at most 10 points
  L.Points[L.NPoints++] = {X, Y};
  CalibChanged();
}

bool TGeoMap::AddCalibPoint(double Lat, double Long, int X, int Y) {
  if (FCalibModel != cmBiquadraticPn && FCalibModel != cmConicConformal && FCalibModel != cmMillerCylindrical &&
      FCalibModel != cmEquiRect)
    throw EZOLGeoMapError(Msg("current calibration model does not support this version of AddCalibPoint"));
  if (FCal.NCalQuads >= MaxCalQuads) return false;
  FCal.CalQuads[FCal.NCalQuads++] = {Lat, Long, X, Y};
  CalibChanged();
  return true;
}

bool TGeoMap::AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int X, int Y) {
  if (FCalibModel != cmUTM)
    throw EZOLGeoMapError(Msg("current calibration model does not support this version of AddCalibPoint"));
  if (Zone != FCal.UTMZone || Hemisphere != UTMHemisphere())
    throw EZOLGeoMapError(Msg("UTM zone parameter changed"));
  if (FCal.NCalQuads >= MaxCalQuads) return false;
  FCal.CalQuads[FCal.NCalQuads++] = {Northing, Easting, X, Y};
  CalibChanged();
  return true;
}

bool TGeoMap::RemoveCalibPoint(int X, int Y) {
  if (FCalibModel == cmParabolicIp || FCalibModel == cmUndefined)
    throw EZOLGeoMapError(Msg("current calibration model does not support this version of RemoveCalibPoint"));
  if (FCal.NCalQuads <= 0) return false;
  int best = 0;
  double bd = std::numeric_limits<double>::max();
  for (int i = 0; i < FCal.NCalQuads; ++i) {
    const double d = double(FCal.CalQuads[i].X - X) * (FCal.CalQuads[i].X - X) +
                     double(FCal.CalQuads[i].Y - Y) * (FCal.CalQuads[i].Y - Y);
    if (d < bd) bd = d, best = i;
  }
  FLastDeleted = FCal.CalQuads[best];
  FHaveLastDeleted = true;
  for (int i = best; i < FCal.NCalQuads - 1; ++i) FCal.CalQuads[i] = FCal.CalQuads[i + 1];
  --FCal.NCalQuads;
  CalibChanged();
  return true;
}

void TGeoMap::RemoveCalibPoint(TGratLineKind Kind, double Value, int X, int Y) {
  if (FCalibModel != cmParabolicIp)
    throw EZOLGeoMapError(Msg("current calibration model does not support this version of RemoveCalibPoint"));
  for (int i = 0; i < FCal.NCalLines; ++i) {
    TCalLine& L = FCal.CalLines[i];
    if (L.Kind != Kind || L.Value != Value) continue;
    for (int k = 0; k < L.NPoints; ++k) {
      if (L.Points[k].X != X || L.Points[k].Y != Y) continue;
      L.Points[k] = L.Points[L.NPoints - 1];
      --L.NPoints;
      if (L.NPoints == 0) {
        FCal.CalLines[i] = FCal.CalLines[FCal.NCalLines - 1];
        --FCal.NCalLines;
      }
      CalibChanged();
      return;
    }
    return;
  }
}

bool TGeoMap::RestoreLastDeletedCalPoint() {
  if (!FHaveLastDeleted || FCal.NCalQuads >= MaxCalQuads) return false;
  FCal.CalQuads[FCal.NCalQuads++] = FLastDeleted;
  FHaveLastDeleted = false;  // the point comes back once only
  CalibChanged();
  return true;
}

void TGeoMap::ClearCalibData() {
  const std::string name = FCal.MapName, caption = FCal.Caption;
  FCal = TCalibData{};
  FCal.MapName = name;
  FCal.Caption = caption;
  FFitLat = {}, FFitLong = {}, FFitX = {}, FFitY = {};
  FLinValid = FQuadValid = FMillerValid = FConicValid = FParabolicValid = false;
  FMillerKx = FMillerDx = FMillerKy = FMillerDy = 0;
  FConicXp = FConicYp = 0;
  FConicSphi = FConicIphi = FConicSlam = FConicIlam = 0;
  FGratMat.assign(1, {0, 0, 0, 0, 0});
  FHaveLastDeleted = false;
  Invalidate();
}

void TGeoMap::SetCalibData(const TCalibData& Data) {
  FCal = Data;
  FCal.NCalLines = std::clamp(FCal.NCalLines, 0, MaxCalLines);
  FCal.NCalQuads = std::clamp(FCal.NCalQuads, 0, MaxCalQuads);
  for (auto& L : FCal.CalLines) L.NPoints = std::clamp(L.NPoints, 0, MaxCalLinePoints);
  CalibChanged();
}

// ---------------------------------------------------------------- calibration files
void TGeoMap::WriteCalDataToOpenXMLFile(TextFile& F, bool WithHeader, const std::string& ID) const {
  WriteRawCalDataToOpenXMLFile(F, WithHeader, ID, FCal, FCalibModel);
}

bool TGeoMap::SaveCalDataAsXML(const std::string& FileName, const std::string& ID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) { WriteCalDataToOpenXMLFile(F, true, ID); });
}

void TGeoMap::SaveCalDataAsXML(TStream& Stream, const std::string& ID) const {
  const std::string tmp = GetTempDirectory() + "zolgeomap_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + ".cal";
  if (!SaveCalDataAsXML(tmp, ID)) throw EZOLGeoMapError(Msg("cannot write calibration data"));
  std::string data;
  const bool ok = ReadFileText(tmp, data);
  DeleteFile(tmp);
  if (!ok) throw EZOLGeoMapError(Msg("cannot write calibration data"));
  Stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

void TGeoMap::ApplyParsed(const TCalibData& Data, TCalibModel Model) {
  FCal = Data;
  FCalibModel = Model;
  FHaveLastDeleted = false;
  RecalcCalibration();
}

bool TGeoMap::LoadCalDataFromXML(const std::string& FileName, const std::string& ID) {
  std::string data;
  if (!ReadFileText(FileName, data)) return false;
  size_t pos = 0;
  TCalibData d;
  TCalibModel m;
  if (!ParseCalFromLines(BufferLines(data, pos), ID, d, m, [this](const std::string&) { return Msg(""); }))
    return false;
  FCalDatName = FileName;
  // The image named in the file is looked for beside the file (or through OnMapImageRequest).
  if (!d.MapName.empty()) {
    std::string img = d.MapName;
    if (img.find('/') == std::string::npos) img = ExtractFilePath(FileName) + img;
    ApplyParsed(d, m);
    try {
      SetMapImgName(img);
    } catch (const EZOLGeoMapError&) {
      FMap->Clear();
      FMapImgName.clear();
    }
    CalcExtentsAndResolution();
    ZoomFitPage();
    return true;
  }
  ApplyParsed(d, m);
  return true;
}

bool TGeoMap::LoadCalDataFromXML(TMemoryStream& Stream, const std::string& ID) {
  const std::string data = StreamText(Stream);
  size_t pos = 0;
  TCalibData d;
  TCalibModel m;
  if (!ParseCalFromLines(BufferLines(data, pos), ID, d, m, [this](const std::string&) { return Msg(""); }))
    return false;
  ApplyParsed(d, m);
  return true;
}

bool TGeoMap::ReadCalDataFromOpenXMLFile(TextFile& F, const std::string& ID) {
  TCalibData d;
  TCalibModel m;
  if (!ParseCalFromLines(FileLines(F), ID, d, m, [this](const std::string&) { return Msg(""); })) return false;
  ApplyParsed(d, m);
  return true;
}

void TGeoMap::SetCalDatName(const std::string& v) {
  if (!v.empty() && FileExists(v) && LoadCalDataFromXML(v, "")) return;
  FCalDatName.clear();
}

// ==================================================================== map image and view
void TGeoMap::SetMapImgName(const std::string& FileName) {
  std::string name = FileName;
  if (OnMapImageRequest) {
    auto h = OnMapImageRequest;
    h(this, name);
  }
  if (OnDataLoading) {
    auto h = OnDataLoading;
    h(this);
  }
  std::vector<uint8_t> bytes;
  bool read = false;
  try {
    if (FileExists(name)) {
      TFileStream fs(name, fmOpenRead);
      read = Imaging::ReadAll(fs, bytes, int64_t(256) << 20);
    }
  } catch (const Exception&) {
    read = false;
  }
  if (!read) throw EZOLGeoMapError(Msg("cannot read map image \"" + name + "\""));
  // The size limit is checked on the header, before anything is decoded.
  int64_t w = 0, h = 0;
  if (!ImageHeaderSize(bytes, w, h)) throw EZOLGeoMapError(Msg("unknown format of map image \"" + name + "\""));
  if (w * h > MaxMapImagePixels)
    throw EZOLGeoMapError(Msg(ImageLimitText(w, h)));
  auto bmp = std::make_unique<TBitmap>();
  const std::string ext = Lower(ExtractFileExt(name));
  bool ok;
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  ms.SetPosition(0);
  if (ext == ".jpg" || ext == ".jpeg") {
    TJPEGImage jpg;
    ok = jpg.LoadFromStream(ms);
    if (ok) jpg.AssignTo(*bmp);
  } else {
    ok = bmp->LoadFromStream(ms);
  }
  if (!ok || bmp->Empty()) throw EZOLGeoMapError(Msg("cannot decode map image \"" + name + "\""));
  if (int64_t(bmp->Width()) * bmp->Height() > MaxMapImagePixels)
    throw EZOLGeoMapError(Msg(ImageLimitText(bmp->Width(), bmp->Height())));
  FMap = std::move(bmp);
  FMapImgName = name;
  FCal.MapName = ExtractFileName(name);
  FScaled.reset();
  CalcExtentsAndResolution();
  Invalidate();
}

void TGeoMap::SetMapBitMap(const TBitmap& Bitmap) {
  if (int64_t(Bitmap.Width()) * Bitmap.Height() > MaxMapImagePixels)
    throw EZOLGeoMapError(Msg(ImageLimitText(Bitmap.Width(), Bitmap.Height())));
  auto bmp = std::make_unique<TBitmap>();
  bmp->Assign(Bitmap);
  FMap = std::move(bmp);
  FScaled.reset();
  CalcExtentsAndResolution();
  Invalidate();
}

bool TGeoMap::SaveMap(const std::string& FileName, const std::string& ID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) {
    WriteCalDataToOpenXMLFile(F, true, ID);
    WriteLandMarksToOpenXMLFile(F, false, ID);
  });
}

bool TGeoMap::RenameMapImg(const std::string& NewName) {
  if (FMapImgName.empty() || NewName.empty()) return false;
  if (std::rename(FMapImgName.c_str(), NewName.c_str()) != 0) return false;
  FMapImgName = NewName;
  FCal.MapName = ExtractFileName(NewName);
  return true;
}

void TGeoMap::CreateAndLoadEmptyMap(double LatTop, double LongLeft, double LatBottom, double LongRight, int Width,
                                   int Height, const TDrawEmptyMapEvent& OnDraw) {
  Width = std::max(2, Width);
  Height = std::max(2, Height);
  if (int64_t(Width) * Height > MaxMapImagePixels)
    throw EZOLGeoMapError(Msg(ImageLimitText(Width, Height)));
  auto bmp = std::make_unique<TBitmap>(Width, Height);
  bmp->Canvas().Brush().SetStyle(bsSolid);
  bmp->Canvas().Brush().SetColor(FColorBackGnd);
  bmp->Canvas().FillRect(Rect(0, 0, Width, Height));
  if (OnDraw) OnDraw(this, bmp->Canvas());
  FMap = std::move(bmp);
  FScaled.reset();
  FMapImgName.clear();
  TCalibData d;
  auto geo = [&](int x, int y) {
    return TCalQuad{LatTop + (LatBottom - LatTop) * (y + 0.5) / Height,
                    LongLeft + (LongRight - LongLeft) * (x + 0.5) / Width, x, y};
  };
  d.CalQuads[0] = geo(0, 0);
  d.CalQuads[1] = geo(0, Height - 1);
  d.CalQuads[2] = geo(Width - 1, Height - 1);
  d.CalQuads[3] = geo(Width - 1, 0);
  d.NCalQuads = 4;
  FCalibModel = cmEquiRect;
  FCal = d;
  RecalcCalibration();
  ZoomFitPage();
}

void TGeoMap::ResizeMap(double Factor) {
  if (FMap->Empty() || !std::isfinite(Factor)) return;
  Factor = std::clamp(Factor, 0.01, 10.0);
  int64_t w = std::max<int64_t>(1, std::llround(FMap->Width() * Factor));
  int64_t h = std::max<int64_t>(1, std::llround(FMap->Height() * Factor));
  if (w * h > MaxMapImagePixels) {  // the factor is cut so that the result stays within the limit
    Factor = std::sqrt(double(MaxMapImagePixels) / (double(FMap->Width()) * FMap->Height()));
    w = std::max<int64_t>(1, static_cast<int64_t>(std::floor(FMap->Width() * Factor)));
    h = std::max<int64_t>(1, static_cast<int64_t>(std::floor(FMap->Height() * Factor)));
    while (w * h > MaxMapImagePixels) --w;
  }
  auto bmp = std::make_unique<TBitmap>(static_cast<int>(w), static_cast<int>(h));
  bmp->Canvas().SetStretchBltMode(FAntiAlias ? HALFTONE : COLORONCOLOR);
  bmp->Canvas().StretchDraw(Rect(0, 0, static_cast<int>(w), static_cast<int>(h)), *FMap);
  FMap = std::move(bmp);
  FScaled.reset();
  for (int i = 0; i < FCal.NCalLines; ++i)
    for (int k = 0; k < FCal.CalLines[i].NPoints; ++k) {
      TPoint& p = FCal.CalLines[i].Points[k];
      p = {RoundPix(p.X * Factor), RoundPix(p.Y * Factor)};
    }
  for (int i = 0; i < FCal.NCalQuads; ++i) {
    FCal.CalQuads[i].X = RoundPix(FCal.CalQuads[i].X * Factor);
    FCal.CalQuads[i].Y = RoundPix(FCal.CalQuads[i].Y * Factor);
  }
  RecalcCalibration();
}

void TGeoMap::ClampTopLeft() {
  if (!FConfinePan || FMap->Empty()) return;
  const double vw = Width() / FMag, vh = Height() / FMag;
  const int ax = static_cast<int>(std::floor(FMap->Width() - vw)), ay = static_cast<int>(std::floor(FMap->Height() - vh));
  FTopLeft.X = std::clamp(FTopLeft.X, std::min(0, ax), std::max(0, ax));
  FTopLeft.Y = std::clamp(FTopLeft.Y, std::min(0, ay), std::max(0, ay));
}

void TGeoMap::FireZoomPan() {
  if (OnZoomPan) {
    auto h = OnZoomPan;
    h(this);
  }
}

void TGeoMap::ZoomFitPage() {
  if (FMap->Empty() || Width() <= 0 || Height() <= 0) return;
  FMag = std::clamp(std::min(double(Width()) / FMap->Width(), double(Height()) / FMap->Height()), 0.01, 64.0);
  FTopLeft.X = -static_cast<int>(std::lround((Width() / FMag - FMap->Width()) / 2));
  FTopLeft.Y = -static_cast<int>(std::lround((Height() / FMag - FMap->Height()) / 2));
  FScaled.reset();
  Invalidate();
}

void TGeoMap::PanMapToFillWindow() {
  if (FMap->Empty()) return;
  const double vw = Width() / FMag, vh = Height() / FMag;
  const int ax = static_cast<int>(std::floor(FMap->Width() - vw)), ay = static_cast<int>(std::floor(FMap->Height() - vh));
  FTopLeft.X = std::clamp(FTopLeft.X, std::min(0, ax), std::max(0, ax));
  FTopLeft.Y = std::clamp(FTopLeft.Y, std::min(0, ay), std::max(0, ay));
  Invalidate();
}

void TGeoMap::BringMapPixelToCenter(TPoint P) {
  FTopLeft.X = P.X - static_cast<int>(std::lround(Width() / 2.0 / FMag));
  FTopLeft.Y = P.Y - static_cast<int>(std::lround(Height() / 2.0 / FMag));
  ClampTopLeft();
  Invalidate();
}

void TGeoMap::BringLocationToCenter(double Lat, double Long) {
  int x, y;
  if (CalcPixelCoords(Lat, Long, x, y)) BringMapPixelToCenter({x, y});
}

TPoint TGeoMap::ControlToMapImage(TPoint P) const {
  return {FTopLeft.X + static_cast<int>(std::floor(P.X / FMag)), FTopLeft.Y + static_cast<int>(std::floor(P.Y / FMag))};
}

TPoint TGeoMap::MapImageToControl(TPoint P) const {
  return {RoundPix(std::floor((P.X + 0.5 - FTopLeft.X) * FMag)), RoundPix(std::floor((P.Y + 0.5 - FTopLeft.Y) * FMag))};
}

bool TGeoMap::IsPositionWithinMap(double Lat, double Long) const { return PositionInMap(FCal.Corners, Lat, Long); }

void TGeoMap::CalcExtentsAndResolution() {
  if (FMap->Empty() || !IsCalibrated()) return;
  const int w = FMap->Width(), h = FMap->Height();
  const TPoint px[4] = {{0, 0}, {0, h - 1}, {w - 1, h - 1}, {w - 1, 0}};
  TMapCorners c;
  for (int i = 0; i < 4; ++i) {
    bool ok;
    double lat, lon;
    ForwardLatLong(px[i].X, px[i].Y, lat, lon, ok);
    if (!ok) return;
    c[i] = {lat, lon};
  }
  FCal.Corners = c;
  const int cx = w / 2, cy = h / 2;
  double la0, lo0, la1, lo1, la2, lo2;
  bool v0, v1, v2;
  ForwardLatLong(cx, cy, la0, lo0, v0);
  ForwardLatLong(cx + 1, cy, la1, lo1, v1);
  ForwardLatLong(cx, cy + 1, la2, lo2, v2);
  if (v0 && v1 && v2)
    FCal.Resolution = 0.5 * (SphereGreatCircleDist(kEarthRadius, la0, lo0, la1, lo1) +
                             SphereGreatCircleDist(kEarthRadius, la0, lo0, la2, lo2));
}

void TGeoMap::ZoomStateOnStack() {
  if (IsLoading()) return;
  FZoomStack[FZoomIx - 1] = {FTopLeft.X, FTopLeft.Y, FMag};
  FZoomIx = FZoomIx % 16 + 1;
}

TZoomStackEntry TGeoMap::GetZoomStackEntry(int n) const {
  if (n < -15 || n > 0) return {};
  // most recent entry: the one before the write index
  const int ix = ((FZoomIx - 2 + n) % 16 + 16) % 16;
  return FZoomStack[ix];
}

void TGeoMap::ZoomHistory(int n) {
  if (n < -15 || n > 0) return;
  const TZoomStackEntry e = GetZoomStackEntry(n);
  if (e.OffsetX == 0 && e.OffsetY == 0 && e.Scale == 0) return;
  FTopLeft = {e.OffsetX, e.OffsetY};
  if (e.Scale > 0) FMag = std::clamp(e.Scale, 0.01, 64.0);
  FScaled.reset();
  Invalidate();
  FireZoomPan();
}

void TGeoMap::ClearZoomHistory() {
  FZoomStack.fill(TZoomStackEntry{});
  FZoomIx = 1;
  ZoomStateOnStack();
}

void TGeoMap::Clear() {
  FMap = std::make_unique<TBitmap>();
  FScaled.reset();
  FMapImgName.clear();
  FCal.MapName.clear();
  RemoveAllLandMarks();
  ClearCalibData();
  FCalDatName.clear();
  Invalidate();
}

void TGeoMap::CopyToClipboard() {
  TBitmap bmp(Width(), Height());
  ConstructInternalMapImg(bmp.Canvas(), Width(), Height());
  Clipboard().Assign(bmp);
}

void TGeoMap::CopyEntireMapToClipboard() {
  if (FMap->Empty()) return;
  const double mag = FMag;
  const TPoint tl = FTopLeft;
  FMag = 1;
  FTopLeft = {0, 0};
  TBitmap bmp(FMap->Width(), FMap->Height());
  ConstructInternalMapImg(bmp.Canvas(), FMap->Width(), FMap->Height());
  FMag = mag;
  FTopLeft = tl;
  FScaled.reset();
  Clipboard().Assign(bmp);
}

bool TGeoMap::CopyToBMP(const std::string& FileName) {
  TBitmap bmp(std::max(1, Width()), std::max(1, Height()));
  ConstructInternalMapImg(bmp.Canvas(), Width(), Height());
  try {
    TFileStream fs(FileName, fmCreate);
    bmp.SaveToStream(fs);
  } catch (const Exception&) {
    return false;
  }
  return true;
}

void TGeoMap::CalcExtentsOfPrint(int& W, int& H) const {
  TPrinter& prn = Printer();
  const int pw = prn.PageWidth(), ph = prn.PageHeight();
  W = H = 0;
  if (Width() <= 0 || Height() <= 0) return;
  const double f = std::min(double(pw) / Width(), double(ph) / Height());
  W = static_cast<int>(std::floor(Width() * f));
  H = static_cast<int>(std::floor(Height() * f));
}

void TGeoMap::CopyToOpenPrinter(int Left, int Top, int W, int H) {
  if (Width() <= 0 || Height() <= 0) return;
  TBitmap bmp(Width(), Height());
  ConstructInternalMapImg(bmp.Canvas(), Width(), Height());
  Printer().Canvas().StretchDraw(Rect(Left, Top, Left + W, Top + H), bmp);
}

void TGeoMap::PrintIt() {
  TPrinter& prn = Printer();
  int w, h;
  prn.BeginDoc();
  CalcExtentsOfPrint(w, h);
  CopyToOpenPrinter(0, 0, w, h);
  prn.EndDoc();
}

// ---------------------------------------------------------------- properties
void TGeoMap::SetMapCaption(const std::string& v) {
  if (v == FCal.Caption) return;
  FCal.Caption = v;
  Invalidate();
}

void TGeoMap::SetMagnification(double v) {
  if (!std::isfinite(v)) return;
  v = std::clamp(v, 0.01, 64.0);
  if (v == FMag) return;
  FMag = v;
  FScaled.reset();
  ClampTopLeft();
  Invalidate();
}

void TGeoMap::SetTopLeft(TPoint v) {
  if (v == FTopLeft) return;
  FTopLeft = v;
  ClampTopLeft();
  Invalidate();
}

void TGeoMap::SetSuppressPaint(bool v) {
  if (v == FSuppressPaint) return;
  FSuppressPaint = v;
  if (!v) Invalidate();
}

bool TGeoMap::ClassVisibility(int Class) const { return Class >= 0 && Class <= 255 && FClassVisible[Class]; }

void TGeoMap::SetClassVisibility(int Class, bool v) {
  if (Class < 0 || Class > 255 || FClassVisible[Class] == v) return;
  FClassVisible[Class] = v;
  Invalidate();
}

void TGeoMap::SetHighLM(int v) {
  v = std::clamp(v, 0, FNumLM);
  SetAndRepaint(FHighLM, v);
}

void TGeoMap::SetRandSampleLimit(int v) {
  v = std::max(1, v);
  SetAndRepaint(FRandSampleLimit, v);
}

double TGeoMap::LastMClickLatitude() const {
  bool ok;
  const double v = CalcLatitude(FLastMClick, ok);
  return ok ? v : 0.0;
}

double TGeoMap::LastMClickLongitude() const {
  bool ok;
  const double v = CalcLongitude(FLastMClick, ok);
  return ok ? v : 0.0;
}

void TGeoMap::SetAntiAlias(bool v) {
  if (v == FAntiAlias) return;
  FAntiAlias = v;
  FScaled.reset();
  Invalidate();
}

void TGeoMap::SetCacheMagLimit(double v) {
  if (!std::isfinite(v)) return;
  v = std::clamp(v, 0.0, 64.0);
  if (v == FCacheMagLimit) return;
  FCacheMagLimit = v;
  FScaled.reset();
}

#define ZOL_GEOMAP_COLOR_SETTER(Name, Field) \
  void TGeoMap::Set##Name(TColor v) { SetAndRepaint(Field, v); }
ZOL_GEOMAP_COLOR_SETTER(ColorGraticule, FColorGraticule)
ZOL_GEOMAP_COLOR_SETTER(ColorCalibPoints, FColorCalibPoints)
ZOL_GEOMAP_COLOR_SETTER(ColorFrame, FColorFrame)
#undef ZOL_GEOMAP_COLOR_SETTER

void TGeoMap::SetColorBackGnd(TColor v) {
  if (v == FColorBackGnd) return;
  FColorBackGnd = v;
  SetColor(v);
  Invalidate();
}

void TGeoMap::SetConfinePanToMapImage(bool v) {
  if (v == FConfinePan) return;
  FConfinePan = v;
  ClampTopLeft();
  Invalidate();
}

void TGeoMap::SetEmptyMsg(const std::string& v) {
  SetAndRepaint(FEmptyMsg, v);
}

void TGeoMap::SetFrameStyle(TFrameStyle v) {
  SetAndRepaint(FFrameStyle, v);
}

void TGeoMap::SetGratLineDist(double v) {
  if (!std::isfinite(v)) return;
  v = std::clamp(v, 0.001, 90.0);
  SetAndRepaint(FGratLineDist, v);
}

void TGeoMap::SetUTMGridDist(double v) {
  if (!std::isfinite(v)) return;
  v = std::clamp(v, 1.0, 1000000.0);
  SetAndRepaint(FUTMGridDist, v);
}

void TGeoMap::SetUTMZone(int v) {
  if (v < 1 || v > 60) v = -1;
  if (v == FCal.UTMZone) return;
  FCal.UTMZone = v;
  CalibChanged();
}

void TGeoMap::SetUTMHemisphere(THemisphere v) {
  if ((v == hemiSouth) == FCal.UTMSouth) return;
  FCal.UTMSouth = v == hemiSouth;
  CalibChanged();
}

void TGeoMap::SetEllipsoid(TGeoEllipsoid v) {
  if (v >= GeoEllipsoidCount || v == FCal.Ellipsoid) return;
  FCal.Ellipsoid = v;
  CalibChanged();
}

void TGeoMap::SetMouseAction(TMouseActMode v) {
  if (v == FMouseAction) return;
  FMouseAction = v;
  FZoomWinActive = false;
  FRubberActive = false;
}

void TGeoMap::SetShowGraticule(TShowGrat v) {
  SetAndRepaint(FShowGrat, v);
}

// ==================================================================== landmarks
TLandMark TGeoMap::GetLandMarkData(int i) const {
  if (i < 1 || i > FNumLM) return TLandMark{};
  return FLandMarks[i - 1];
}

void TGeoMap::SetLandMarkData(int i, const TLandMark& LM) {
  if (i < 1 || i > FNumLM) return;
  TLandMark l = LM;
  l.Caption = Utf8Truncate(l.Caption, LMTextCapacity);
  l.Identifier = Utf8Truncate(l.Identifier, LMIdentifierCapacity);
  FLandMarks[i - 1] = l;
  LandMarksChanged();
}

bool TGeoMap::AskLandMark(TLandMarkAction Action, const TLandMark& LM) {
  bool allowed = true;
  if (OnLandMarkAction) {
    auto h = OnLandMarkAction;
    h(this, allowed, Action, LM);
  }
  return allowed;
}

void TGeoMap::LandMarksChanged() {
  if (FHighLM > FNumLM) FHighLM = 0;  // the highlighted landmark is gone
  Invalidate();
}

// Asks OnLandMarkAction, then appends, growing the array in steps.
int TGeoMap::AppendLandMark(const TLandMark& lm) {
  if (!AskLandMark(lmaAdd, lm)) return 0;
  if (FNumLM >= static_cast<int>(FLandMarks.size())) {
    try {
      FLandMarks.resize(FLandMarks.size() + LandMarkGrowth);
    } catch (const std::bad_alloc&) {
      throw EZOLGeoMapError(Msg("insufficient memory"));
    }
  }
  FLandMarks[FNumLM++] = lm;
  LandMarksChanged();
  return FNumLM;
}

int TGeoMap::AddLandMark(double Lat, double Long, double Alti, TLandMarkElement Element, int Class,
                         const std::string& Identifier, TDateTime Date, int UserTag, TColor ColorFg,
                         TColor ColorBg, int Size, bool Transparent, int Dir, int Leng) {
  TLandMark lm = FLMDefaults;
  lm.Latitude = Lat;
  lm.Longitude = Long;
  lm.Altitude = Alti;
  lm.Element = Element;
  lm.Class = static_cast<uint8_t>(std::clamp(Class, 0, 255));
  lm.Identifier = Utf8Truncate(Identifier, LMIdentifierCapacity);
  lm.Date = Date;
  lm.UserTag = UserTag;
  lm.ColorFg = ColorFg;
  lm.ColorBg = ColorBg;
  lm.Size = Size;
  lm.Transparent = Transparent;
  lm.Dir = Dir;
  lm.Leng = Leng;
  lm.Caption.clear();
  lm.CapProps = FLMTextProps;
  return AppendLandMark(lm);
}

int TGeoMap::AddLandMark(double Lat, double Long, double Alti) {
  const TLandMark& d = FLMDefaults;
  return AddLandMark(Lat, Long, Alti, d.Element, d.Class, "", 0, d.UserTag, d.ColorFg, d.ColorBg, d.Size,
                     d.Transparent, d.Dir, d.Leng);
}

int TGeoMap::AddLandMark(double Lat, double Long, double Alti, const std::string& Identifier, TDateTime Date) {
  const TLandMark& d = FLMDefaults;
  return AddLandMark(Lat, Long, Alti, d.Element, d.Class, Identifier, Date, d.UserTag, d.ColorFg, d.ColorBg,
                     d.Size, d.Transparent, d.Dir, d.Leng);
}

int TGeoMap::AddLandMark(double Lat, double Long, double Alti, const std::string& Caption, int Class,
                         TColor Colour) {
  return AddLandMark(Lat, Long, Alti, "", 0, Caption, Class, Colour);
}

int TGeoMap::AddLandMark(double Lat, double Long, double Alti, const std::string& Identifier, TDateTime Date,
                         const std::string& Caption, int Class, TColor Colour) {
  const TLandMark& d = FLMDefaults;
  TLandMark lm = d;
  lm.Latitude = Lat, lm.Longitude = Long, lm.Altitude = Alti;
  lm.Identifier = Utf8Truncate(Identifier, LMIdentifierCapacity);
  lm.Date = Date;
  lm.Caption = Utf8Truncate(Caption, LMTextCapacity);
  lm.Class = static_cast<uint8_t>(std::clamp(Class, 0, 255));
  lm.ColorFg = Colour;
  lm.CapProps = FLMTextProps;
  return AppendLandMark(lm);
}

int TGeoMap::RemoveSelected(const std::function<bool(const TLandMark&)>& Select) {
  TBitFld marks(nullptr);
  marks.SetSize(std::max(1, FNumLM));
  int count = 0;
  for (int i = 0; i < FNumLM; ++i) {
    if (!Select(FLandMarks[i])) continue;
    if (!AskLandMark(lmaRemove, FLandMarks[i])) continue;
    marks.SetBit(i, true);
    ++count;
  }
  if (count == 0) return 0;
  int w = 0;
  for (int i = 0; i < FNumLM; ++i)
    if (!marks.GetBit(i)) FLandMarks[w++] = FLandMarks[i];
  for (int i = w; i < FNumLM; ++i) FLandMarks[i] = TLandMark{};
  FNumLM = w;
  LandMarksChanged();
  return count;
}

namespace {
bool ClassMatches(const TLandMark& lm, int Class) {
  if (Class < -1 || Class > 255) Class = -1;
  return Class == -1 || lm.Class == Class;
}
}  // namespace

int TGeoMap::RemoveLandMark(double Lat, double Long, int Class, double Radius) {
  return RemoveSelected([&](const TLandMark& lm) {
    const double dl = lm.Latitude - Lat, dg = lm.Longitude - Long;
    return ClassMatches(lm, Class) && dl * dl + dg * dg < Radius * Radius;
  });
}

int TGeoMap::RemoveLandMark(const TRectDouble& R, int Class) {
  const double la1 = std::min(R.Top, R.Bottom), la2 = std::max(R.Top, R.Bottom);
  const double lo1 = std::min(R.Left, R.Right), lo2 = std::max(R.Left, R.Right);
  return RemoveSelected([&](const TLandMark& lm) {
    return ClassMatches(lm, Class) && lm.Latitude >= la1 && lm.Latitude <= la2 && lm.Longitude >= lo1 &&
           lm.Longitude <= lo2;
  });
}

int TGeoMap::RemoveLandMark(double Lat, double Long, int Class) {
  return RemoveSelected(
      [&](const TLandMark& lm) { return ClassMatches(lm, Class) && lm.Latitude == Lat && lm.Longitude == Long; });
}

void TGeoMap::RemoveLastLandMark() {
  if (FNumLM <= 0) return;
  if (!AskLandMark(lmaRemove, FLandMarks[FNumLM - 1])) return;
  FLandMarks[--FNumLM] = TLandMark{};
  LandMarksChanged();
}

void TGeoMap::RemoveAllLandMarks() {
  FLandMarks.clear();
  FNumLM = 0;
  FHighLM = 0;
  Invalidate();
}

void TGeoMap::RemoveAllLandMarks(int Class) {
  RemoveSelected([&](const TLandMark& lm) { return ClassMatches(lm, Class); });
}

int TGeoMap::FindLandMark(double Lat, double Long, int Class) const {
  int best = 0;
  double bd = std::numeric_limits<double>::max();
  for (int i = 0; i < FNumLM; ++i) {
    const TLandMark& lm = FLandMarks[i];
    if (!ClassMatches(lm, Class)) continue;
    const double dl = lm.Latitude - Lat, dg = lm.Longitude - Long;
    const double d = dl * dl + dg * dg;
    if (d < bd) bd = d, best = i + 1;
  }
  return best;
}

void TGeoMap::WriteLandMarksToOpenXMLFile(TextFile& F, bool WithHeader, const std::string& ID) const {
  if (WithHeader) WriteLn(F, "<?xml version=\"1.0\"?>");
  WriteLn(F, "<!-- TGeoMap Landmarks / ZOL Component Suite -->");
  WriteLn(F, std::string("<gmlandmarks sig=\"") + ZolSignature + "\" vers=\"" + ZolRecordVersion + "\" id=\"" +
                 GeoMapEscape(ID) + "\">");
  for (int i = 0; i < FNumLM; ++i) {
    const TLandMark& l = FLandMarks[i];
    const TLMTextProperties& c = l.CapProps;
    std::string s = "  <landmark lat=\"" + General(l.Latitude) + "\" long=\"" + General(l.Longitude) +
                    "\" alti=\"" + General(l.Altitude) + "\" class=\"" + std::to_string(l.Class) +
                    "\" usertag=\"" + std::to_string(l.UserTag) + "\" colorfg=\"" + Hex8(l.ColorFg) +
                    "\" colorbg=\"" + Hex8(l.ColorBg) + "\" size=\"" + std::to_string(l.Size) + "\" transp=\"" +
                    (l.Transparent ? "true" : "false") + "\" dir=\"" + std::to_string(l.Dir) + "\" leng=\"" +
                    std::to_string(l.Leng) + "\"";
    if (l.Element != lmUserDef) s += " element=\"" + ElementName(l.Element) + "\"";
    s += " id=\"" + GeoMapEscape(l.Identifier) + "\" date=\"" + DateText(l.Date) + "\" captext=\"" +
         GeoMapEscape(l.Caption) + "\" capsize=\"" + std::to_string(c.Size) + "\" capfnm=\"" +
         GeoMapEscape(c.FontName) + "\" capfgcol=\"" + Hex8(c.ColorFg) + "\" capbgcol=\"" + Hex8(c.ColorBg) +
         "\" captransp=\"" + (c.Transparent ? "true" : "false") + "\" capdir=\"" + std::to_string(c.Dir) +
         "\" capdx=\"" + std::to_string(c.Dx) + "\" capdy=\"" + std::to_string(c.Dy) + "\" caphal=\"" +
         std::to_string(c.HorizAlign) + "\" capval=\"" + std::to_string(c.VertAlign) + "\" capfst=\"" +
         (c.Bold ? "1" : "0") + (c.Italic ? "1" : "0") + (c.Underline ? "1" : "0") + (c.StrikeOut ? "1" : "0") +
         "\" />";
    WriteLn(F, s);
  }
  WriteLn(F, "</gmlandmarks>");
}

bool TGeoMap::SaveLandmarks(const std::string& FileName, const std::string& ID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) { WriteLandMarksToOpenXMLFile(F, true, ID); });
}

namespace {
bool ParseLandMarks(const LineSource& next, const std::string& ID, const TLandMark& Defaults,
                    std::vector<TLandMark>& out) {
  std::string opening, body;
  if (!LocateRecord(next, "gmlandmarks", ID, opening, body)) return false;
  static const std::vector<std::string> tags = {"landmark", "/gmlandmarks", "\x01none"};
  size_t pos = 0;
  std::string content, a;
  for (;;) {
    const size_t before = pos;
    const int ix = ReadNextTagInBuffer(body.data(), body.size(), pos, tags, content, a);
    if (pos <= before || ix == 1 || (ix == 2 && pos >= body.size())) break;
    if (ix != 0) continue;
    TLandMark l = Defaults;
    auto attr = [&](const char* n) { return ScanForXMLAttrib(a, n); };
    l.Latitude = ToDoubleOr(attr("lat"), 0);
    l.Longitude = ToDoubleOr(attr("long"), 0);
    l.Altitude = ToDoubleOr(attr("alti"), 0);
    l.Class = static_cast<uint8_t>(std::clamp(ToIntOr(attr("class"), 0), 0, 255));
    l.UserTag = ToIntOr(attr("usertag"), 0);
    l.ColorFg = HexColorOr(attr("colorfg"), l.ColorFg);
    l.ColorBg = HexColorOr(attr("colorbg"), l.ColorBg);
    l.Size = ToIntOr(attr("size"), l.Size);
    l.Transparent = Lower(attr("transp")).find("true") != std::string::npos;
    l.Dir = ToIntOr(attr("dir"), 0);
    l.Leng = ToIntOr(attr("leng"), l.Leng);
    l.Element = ElementFromName(attr("element"));
    l.Identifier = Utf8Truncate(GeoMapUnescape(attr("id")), LMIdentifierCapacity);
    l.Date = 0;
    const std::string date = Trim(attr("date"));
    if (!date.empty()) {
      int p = 1;
      l.Date = ScanDateTime(date, "yyyymmddHHMMSS", lgEnglish, p);
    }
    l.Caption = Utf8Truncate(GeoMapUnescape(attr("captext")), LMTextCapacity);
    TLMTextProperties& c = l.CapProps;
    c.Size = std::clamp(ToIntOr(attr("capsize"), c.Size), 1, 500);
    const std::string fnm = GeoMapUnescape(attr("capfnm"));
    if (!fnm.empty()) c.FontName = Utf8Truncate(fnm, 255);
    c.ColorFg = HexColorOr(attr("capfgcol"), c.ColorFg);
    c.ColorBg = HexColorOr(attr("capbgcol"), c.ColorBg);
    c.Transparent = Lower(attr("captransp")).find("true") != std::string::npos;
    c.Dir = ToIntOr(attr("capdir"), 0);
    c.Dx = ToIntOr(attr("capdx"), c.Dx);
    c.Dy = ToIntOr(attr("capdy"), c.Dy);
    c.HorizAlign = static_cast<uint8_t>(std::clamp(ToIntOr(attr("caphal"), c.HorizAlign), 0, 2));
    c.VertAlign = static_cast<uint8_t>(std::clamp(ToIntOr(attr("capval"), c.VertAlign), 0, 2));
    const std::string fst = attr("capfst");
    c.Bold = fst.size() > 0 && fst[0] == '1';
    c.Italic = fst.size() > 1 && fst[1] == '1';
    c.Underline = fst.size() > 2 && fst[2] == '1';
    c.StrikeOut = fst.size() > 3 && fst[3] == '1';
    out.push_back(std::move(l));
  }
  return true;
}
}  // namespace

bool TGeoMap::ReadLandMarksFromOpenXMLFile(TextFile& F, const std::string& ID) {
  std::vector<TLandMark> lms;
  TLandMark def = FLMDefaults;
  def.CapProps = FLMTextProps;
  const bool found = ParseLandMarks(FileLines(F), ID, def, lms);
  if (!found) return false;
  RemoveAllLandMarks();
  const size_t cap = (lms.size() + LandMarkGrowth - 1) / LandMarkGrowth * LandMarkGrowth;
  FLandMarks = std::move(lms);
  FNumLM = static_cast<int>(FLandMarks.size());
  FLandMarks.resize(std::max<size_t>(cap, LandMarkGrowth));
  LandMarksChanged();
  return true;
}

bool TGeoMap::LoadLandMarks(const std::string& FileName, const std::string& ID) {
  if (!FileExists(FileName)) return false;
  TextFile F;
  AssignFile(F, FileName);
  try {
    Reset(F);
  } catch (const Exception&) {
    return false;
  }
  const bool ok = ReadLandMarksFromOpenXMLFile(F, ID);
  CloseFile(F);
  return ok;
}

// ==================================================================== drawing
bool TGeoMap::GeoToControl(double Lat, double Long, TPoint& P) const {
  int x, y;
  if (!CalcPixelCoords(Lat, Long, x, y)) return false;
  P = MapImageToControl({x, y});
  return true;
}

// Latitude and longitude range of the map image (sampled along its border).
void TGeoMap::GeoExtent(double& LatMin, double& LatMax, double& LongMin, double& LongMax) const {
  LatMin = LongMin = 1e300;
  LatMax = LongMax = -1e300;
  ForEachBorderPoint([&](double x, double y) {
    double lat, lon;
    bool ok;
    ForwardLatLong(x, y, lat, lon, ok);
    if (!ok) return;
    LatMin = std::min(LatMin, lat), LatMax = std::max(LatMax, lat);
    LongMin = std::min(LongMin, lon), LongMax = std::max(LongMax, lon);
  });
}

// 17 points along each edge of the map image.
void TGeoMap::ForEachBorderPoint(const std::function<void(double, double)>& Fn) const {
  const int w = FMap->Width(), h = FMap->Height();
  for (int k = 0; k <= 16; ++k) {
    const double f = k / 16.0;
    Fn(f * (w - 1), 0);
    Fn(f * (w - 1), h - 1);
    Fn(0, f * (h - 1));
    Fn(w - 1, f * (h - 1));
  }
}

void TGeoMap::DrawGraticule(TCanvas& C) {
  C.Pen().SetColor(FColorGraticule);
  C.Pen().SetStyle(psSolid);
  C.Pen().SetWidth(1);
  C.Pen().SetMode(pmCopy);
  if (FCalibModel == cmParabolicIp) {  // along the fitted parabolas
    if (!FParabolicValid) return;
    const int w = FMap->Width(), h = FMap->Height();
    for (const auto& r : FGratMat) {
      std::vector<TPoint> pts;
      const int n = r[0] == 1.0 ? w : h;
      const int step = std::max(1, n / 100);
      for (int u = 0; u <= n; u += step) {
        const double v = r[2] + r[3] * u + r[4] * double(u) * u;
        const TPoint p = r[0] == 1.0 ? TPoint{u, RoundPix(v)} : TPoint{RoundPix(v), u};
        pts.push_back(MapImageToControl(p));
      }
      C.Polyline(pts);
    }
    return;
  }
  if (!IsCalibrated()) return;
  double la0, la1, lo0, lo1;
  GeoExtent(la0, la1, lo0, lo1);
  if (la0 > la1 || lo0 > lo1) return;
  const double d = FGratLineDist;
  if ((la1 - la0) / d > 400 || (lo1 - lo0) / d > 400) return;  // far too dense to be useful
  const int nseg = 64;
  auto draw = [&](bool parallel, double v, double from, double to) {
    std::vector<TPoint> pts;
    for (int k = 0; k <= nseg; ++k) {
      const double t = from + (to - from) * k / nseg;
      TPoint p;
      if (parallel ? GeoToControl(v, t, p) : GeoToControl(t, v, p)) {
        pts.push_back(p);
      } else if (pts.size() > 1) {
        C.Polyline(pts);
        pts.clear();
      }
    }
    if (pts.size() > 1) C.Polyline(pts);
  };
  for (double lat = std::ceil(la0 / d) * d; lat <= la1 + 1e-9; lat += d) draw(true, lat, lo0, lo1);
  for (double lon = std::ceil(lo0 / d) * d; lon <= lo1 + 1e-9; lon += d) draw(false, lon, la0, la1);
}

void TGeoMap::DrawUTMGrid(TCanvas& C, int, int) {
  if (!IsCalibrated() || FMap->Empty()) return;
  // the zone: the map's own, else the zone of the map centre
  const int savedZone = FCal.UTMZone;
  if (FCal.UTMZone < 1 || FCal.UTMZone > 60) {
    double lat, lon;
    bool ok;
    ForwardLatLong(FMap->Width() / 2.0, FMap->Height() / 2.0, lat, lon, ok);
    if (!ok) return;
    int z;
    char letter;
    GeoToUTMZone(lat, lon, z, letter);
    FCal.UTMZone = z;
  }
  const int w = FMap->Width(), h = FMap->Height();
  // northing/easting range over the image border
  double n0 = 1e300, n1 = -1e300, e0 = 1e300, e1 = -1e300;
  ForEachBorderPoint([&](double x, double y) {
    double N, E, lat, lon;
    bool ok = true;
    if (FCalibModel == cmUTM) {
      N = EvalTerms(FFitLat.c, x, y, false);
      E = EvalTerms(FFitLong.c, x, y, false);
    } else {
      ForwardLatLong(x, y, lat, lon, ok);
      ok = ok && LatLongToMapUTM(lat, lon, N, E);
    }
    if (!ok) return;
    n0 = std::min(n0, N), n1 = std::max(n1, N), e0 = std::min(e0, E), e1 = std::max(e1, E);
  });
  const double d = FUTMGridDist;
  if (n0 <= n1 && e0 <= e1 && (n1 - n0) / d <= 400 && (e1 - e0) / d <= 400) {
    C.Pen().SetColor(FColorGraticule);
    C.Pen().SetStyle(psSolid);
    C.Pen().SetWidth(1);
    C.Pen().SetMode(pmCopy);
    // each grid line is the straight line through two converted points, clipped to the image
    auto clipDraw = [&](double ax, double ay, double bx, double by) {
      double t0 = 0, t1 = 1;
      const double dx = bx - ax, dy = by - ay;
      const double p[4] = {-dx, dx, -dy, dy};
      const double q[4] = {ax - 0, (w - 1) - ax, ay - 0, (h - 1) - ay};
      for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
          if (q[i] < 0) return;
          continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
          t0 = std::max(t0, r);
        else
          t1 = std::min(t1, r);
      }
      if (t0 > t1) return;
      const TPoint a = MapImageToControl({RoundPix(ax + t0 * dx), RoundPix(ay + t0 * dy)});
      const TPoint b = MapImageToControl({RoundPix(ax + t1 * dx), RoundPix(ay + t1 * dy)});
      C.MoveTo(a.X, a.Y);
      C.LineTo(b.X, b.Y);
    };
    if (FCalibModel == cmUTM) {
      for (double E = std::ceil(e0 / d) * d; E <= e1; E += d) {
        int xa, ya, xb, yb;
        if (CalcPixelCoordsUTM(n0, E, xa, ya) && CalcPixelCoordsUTM(n1, E, xb, yb)) clipDraw(xa, ya, xb, yb);
      }
      for (double N = std::ceil(n0 / d) * d; N <= n1; N += d) {
        int xa, ya, xb, yb;
        if (CalcPixelCoordsUTM(N, e0, xa, ya) && CalcPixelCoordsUTM(N, e1, xb, yb)) clipDraw(xa, ya, xb, yb);
      }
    } else {
      // Other projections: the grid of the zone only (its six degrees of longitude), each line
      // as a chain of short straight pieces between converted points.
      const double cm = UTMCentralMeridian(FCal.UTMZone) / kDeg;
      const int nseg = 48;
      auto chain = [&](bool constEasting, double v, double from, double to) {
        std::vector<TPoint> pts;
        auto flush = [&] {
          if (pts.size() > 1) C.Polyline(pts);
          pts.clear();
        };
        for (int k = 0; k <= nseg; ++k) {
          const double t = from + (to - from) * k / nseg;
          const double E = constEasting ? v : t, N = constEasting ? t : v;
          double lat, lon;
          UTMToLatLong(E, N, FCal.UTMZone, FCal.UTMSouth, FCal.Ellipsoid, lat, lon);
          int x, y;
          if (std::fabs(lon - cm) > 3.0 || !CalcPixelCoords(lat, lon, x, y)) {
            flush();
            continue;
          }
          pts.push_back(MapImageToControl({x, y}));
        }
        flush();
      };
      for (double E = std::ceil(e0 / d) * d; E <= e1; E += d) chain(true, E, n0, n1);
      for (double N = std::ceil(n0 / d) * d; N <= n1; N += d) chain(false, N, e0, e1);
    }
  }
  FCal.UTMZone = savedZone;
}

void TGeoMap::DrawCalibPoints(TCanvas& C) {
  C.Pen().SetColor(FColorCalibPoints);
  C.Pen().SetStyle(psSolid);
  C.Pen().SetWidth(1);
  C.Pen().SetMode(pmCopy);
  C.Brush().SetStyle(bsClear);
  auto mark = [&](TPoint p) {
    const TPoint c = MapImageToControl(p);
    C.MoveTo(c.X - 4, c.Y);
    C.LineTo(c.X + 5, c.Y);
    C.MoveTo(c.X, c.Y - 4);
    C.LineTo(c.X, c.Y + 5);
    C.Ellipse(c.X - 3, c.Y - 3, c.X + 4, c.Y + 4);
  };
  if (FCalibModel == cmParabolicIp) {
    for (int i = 0; i < FCal.NCalLines; ++i)
      for (int k = 0; k < FCal.CalLines[i].NPoints; ++k) mark(FCal.CalLines[i].Points[k]);
  } else {
    for (int i = 0; i < FCal.NCalQuads; ++i) mark({FCal.CalQuads[i].X, FCal.CalQuads[i].Y});
  }
}

void TGeoMap::DrawOneLandMark(TCanvas& C, const TLandMark& LM, TPoint P) {
  bool handled = false;
  if (OnDrawLandmark) {
    auto h = OnDrawLandmark;
    h(this, handled, C, P, LM);
  }
  if (!handled)
    DrawLandMarkSymbolOnCanvas(C, P.X, P.Y, LM.Element, LM.ColorFg, LM.ColorBg, LM.Size, LM.Dir, LM.Leng,
                               LM.Transparent);
  if (LM.Caption.empty()) return;
  const TLMTextProperties& cp = LM.CapProps;
  C.Font().SetName(cp.FontName);
  C.Font().SetSize(cp.Size);
  C.Font().SetColor(cp.ColorFg);
  TFontStyles st;
  if (cp.Bold) st.Include(fsBold);
  if (cp.Italic) st.Include(fsItalic);
  if (cp.Underline) st.Include(fsUnderline);
  if (cp.StrikeOut) st.Include(fsStrikeOut);
  C.Font().SetStyle(st);
  C.Font().SetOrientation(cp.Dir * 10);
  if (cp.Transparent) {
    C.Brush().SetStyle(bsClear);
  } else {
    C.Brush().SetStyle(bsSolid);
    C.Brush().SetColor(cp.ColorBg);
  }
  const unsigned ha = cp.HorizAlign == 1 ? TA_CENTER : cp.HorizAlign == 2 ? TA_RIGHT : TA_LEFT;
  const unsigned va = cp.VertAlign == 2 ? TA_BOTTOM : TA_TOP;
  C.SetTextAlign(ha | va);
  int y = P.Y + cp.Dy;
  if (cp.VertAlign == 1) y += C.TextHeight(LM.Caption) / 2 * (cp.Dir == 0 ? -1 : 0);
  C.TextOut(P.X + cp.Dx, y, LM.Caption);
  C.SetTextAlign(TA_LEFT | TA_TOP);
  C.Font().SetOrientation(0);
}

void TGeoMap::DrawLandMarks(TCanvas& C, int W, int H) {
  if (FNumLM == 0 || !IsCalibrated()) return;
  std::vector<std::pair<int, TPoint>> visible;
  for (int i = 0; i < FNumLM; ++i) {
    const TLandMark& lm = FLandMarks[i];
    if (!FClassVisible[lm.Class]) continue;
    TPoint p;
    if (!GeoToControl(lm.Latitude, lm.Longitude, p)) continue;
    if (p.X < -50 || p.Y < -50 || p.X > W + 50 || p.Y > H + 50) continue;
    visible.push_back({i, p});
  }
  const bool sample = static_cast<int>(visible.size()) > FRandSampleLimit;
  const double prob = sample ? double(FRandSampleLimit) / visible.size() : 1.0;
  for (const auto& v : visible) {
    if (sample && !BRandom(prob)) continue;
    DrawOneLandMark(C, FLandMarks[v.first], v.second);
  }
  if (FHighLM >= 1 && FHighLM <= FNumLM) {
    const TLandMark& lm = FLandMarks[FHighLM - 1];
    TPoint p;
    if (GeoToControl(lm.Latitude, lm.Longitude, p)) {
      const int r = std::max(6, lm.Size + 4);
      C.Pen().SetColor(clRed);
      C.Pen().SetWidth(2);
      C.Brush().SetStyle(bsClear);
      C.Ellipse(p.X - r, p.Y - r, p.X + r + 1, p.Y + r + 1);
      C.Pen().SetWidth(1);
    }
  }
}

void TGeoMap::DrawOverlays(TCanvas& C, int W, int H) {
  if (OnBeforeRenderData) {
    auto h = OnBeforeRenderData;
    h(this, C);
  }
  const bool lines = FShowGrat == sgLines || FShowGrat == sgPointsAndLines;
  const bool points = FShowGrat == sgPoints || FShowGrat == sgPointsAndLines || FShowGrat == sgPointsAndUTMGrid;
  const bool utm = FShowGrat == sgUTMGrid || FShowGrat == sgPointsAndUTMGrid;
  if (lines) DrawGraticule(C);
  if (utm) DrawUTMGrid(C, W, H);
  if (points) DrawCalibPoints(C);
  DrawLandMarks(C, W, H);
  if (OnDataRendered) {
    auto h = OnDataRendered;
    h(this, C);
  }
}

void TGeoMap::ConstructInternalMapImg(TCanvas& C, int W, int H) {
  C.ResetClip();
  C.Brush().SetStyle(bsSolid);
  C.Brush().SetColor(FColorBackGnd);
  C.FillRect(Rect(0, 0, W, H));
  if (FMap->Empty()) {
    C.Font().SetName("Arial");
    C.Font().SetSize(10);
    C.Font().SetColor(clBlack);
    C.Brush().SetStyle(bsClear);
    C.SetTextAlign(TA_CENTER | TA_TOP);
    C.TextOut(W / 2, H / 2 - C.TextHeight(FEmptyMsg) / 2, FEmptyMsg);
    C.SetTextAlign(TA_LEFT | TA_TOP);
  } else {
    // the visible part of the map at the current scale and offset
    const double x0 = -FTopLeft.X * FMag, y0 = -FTopLeft.Y * FMag;
    const TRect dest = Rect(RoundPix(std::floor(x0)), RoundPix(std::floor(y0)),
                            RoundPix(std::floor(x0 + FMap->Width() * FMag)),
                            RoundPix(std::floor(y0 + FMap->Height() * FMag)));
    C.SetClipRect(Rect(0, 0, W, H));
    if (FMag == 1.0) {
      C.Draw(dest.Left, dest.Top, *FMap);
    } else {
      const bool cache = FMag <= FCacheMagLimit && int64_t(dest.Width()) * dest.Height() <= (int64_t(1) << 24) &&
                         C.RasterBitmap() != nullptr;
      if (cache) {
        if (!FScaled || FScaledMag != FMag || FScaledAA != FAntiAlias) {
          FScaled = std::make_unique<TBitmap>(std::max(1, dest.Width()), std::max(1, dest.Height()));
          FScaled->Canvas().SetStretchBltMode(FAntiAlias ? HALFTONE : COLORONCOLOR);
          FScaled->Canvas().StretchDraw(Rect(0, 0, dest.Width(), dest.Height()), *FMap);
          FScaledMag = FMag;
          FScaledAA = FAntiAlias;
        }
        C.Draw(dest.Left, dest.Top, *FScaled);
      } else {
        const int mode = C.StretchBltMode();
        C.SetStretchBltMode(FAntiAlias ? HALFTONE : COLORONCOLOR);
        C.StretchDraw(dest, *FMap);
        C.SetStretchBltMode(mode);
      }
    }
    DrawOverlays(C, W, H);
    C.ResetClip();
  }
  DrawFrame(C, FFrameStyle, 0, 0, W - 1, H - 1, clBtnHighlight, cl3DLight, clBtnShadow, cl3DDkShadow, FColorFrame);
}

void TGeoMap::Paint() {
  if (FSuppressPaint) return;
  ConstructInternalMapImg(Canvas(), Width(), Height());
  if (FZoomWinActive) {
    TCanvas& C = Canvas();
    C.Pen().SetColor(clBlack);
    C.Pen().SetStyle(psDot);
    C.Brush().SetStyle(bsClear);
    C.Rectangle(std::min(FZoomWinStart.X, FZoomWinEnd.X), std::min(FZoomWinStart.Y, FZoomWinEnd.Y),
                std::max(FZoomWinStart.X, FZoomWinEnd.X) + 1, std::max(FZoomWinStart.Y, FZoomWinEnd.Y) + 1);
    C.Pen().SetStyle(psSolid);
  }
  if (FRubberActive) DrawRubberSegment();
  if (OnPaint) {
    auto h = OnPaint;
    h(this);
  }
}

// ==================================================================== mouse
void TGeoMap::DrawRubberSegment() {
  TCanvas& C = Canvas();
  C.Pen().SetColor(clWhite);
  C.Pen().SetMode(pmXor);
  C.Pen().SetStyle(psSolid);
  C.Brush().SetStyle(bsClear);
  C.MoveTo(FRubberAnchor.X, FRubberAnchor.Y);
  C.LineTo(FRubberEnd.X, FRubberEnd.Y);
  C.Pen().SetMode(pmCopy);
}

void TGeoMap::ZoomAt(TPoint P, double NewMag) {
  NewMag = std::clamp(NewMag, 0.01, 64.0);
  if (NewMag == FMag) return;
  ZoomStateOnStack();
  // keep the map point under P in place
  const double mx = FTopLeft.X + P.X / FMag, my = FTopLeft.Y + P.Y / FMag;
  FMag = NewMag;
  FTopLeft = {RoundPix(mx - P.X / FMag), RoundPix(my - P.Y / FMag)};
  FScaled.reset();
  ClampTopLeft();
  Invalidate();
  FireZoomPan();
}

void TGeoMap::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FLastMClick = ControlToMapImage({X, Y});
  FHaveClick = true;
  if (Button == mbRight && FZoomWinActive) {  // a pending zoom window is cancelled
    FZoomWinActive = false;
    Invalidate();
  } else if (Button == mbLeft && FMouseAction == maZoomWind) {
    if (X >= 0 && Y >= 0 && X < Width() && Y < Height()) {
      FZoomWinActive = true;
      FZoomWinStart = FZoomWinEnd = {X, Y};
    }
  } else if (Button == mbLeft && FMouseAction == maRubberBand) {
    if (FRubberActive && (Shift & ssCtrl)) {
      FRubberAnchor = FRubberEnd = {X, Y};
      if (OnContinueRubberBand) {
        auto h = OnContinueRubberBand;
        h(this, FLastMClick);
      }
    } else if (!FRubberActive) {
      FRubberActive = true;
      FRubberAnchor = FRubberEnd = {X, Y};
      if (OnBeginRubberBand) {
        auto h = OnBeginRubberBand;
        h(this, FLastMClick);
      }
    } else {
      DrawRubberSegment();  // erase the last segment
      FRubberActive = false;
      if (OnEndRubberBand) {
        auto h = OnEndRubberBand;
        h(this, FLastMClick);
      }
      Invalidate();
    }
  } else if (Button == mbLeft && FAllowPan && (FMouseAction == maPan || FMouseAction == maNone) &&
             !FMap->Empty()) {
    FPanning = true;
    FPanStart = {X, Y};
    FPanTopLeft = FTopLeft;
    ZoomStateOnStack();
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TGeoMap::MouseMove(TShiftState Shift, int X, int Y) {
  FMousePos = ControlToMapImage({X, Y});
  bool ok1, ok2;
  FMouseLat = CalcLatitude(FMousePos, ok1);
  FMouseLong = CalcLongitude(FMousePos, ok2);
  FMousePosValid = ok1 && ok2;
  if (FPanning) {
    TPoint tl = {FPanTopLeft.X - static_cast<int>(std::lround((X - FPanStart.X) / FMag)),
                 FPanTopLeft.Y - static_cast<int>(std::lround((Y - FPanStart.Y) / FMag))};
    if (tl != FTopLeft) {
      FTopLeft = tl;
      ClampTopLeft();
      Invalidate();
      FireZoomPan();
    }
  } else if (FZoomWinActive) {
    FZoomWinEnd = {X, Y};
    Invalidate();
  } else if (FRubberActive) {
    FRubberEnd = {X, Y};
    Invalidate();
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TGeoMap::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FPanning && Button == mbLeft) FPanning = false;
  if (FZoomWinActive && Button == mbLeft) {
    FZoomWinActive = false;
    const int w = std::abs(X - FZoomWinStart.X), h = std::abs(Y - FZoomWinStart.Y);
    if (w >= 3 && h >= 3) {
      ZoomStateOnStack();
      const TPoint a = ControlToMapImage({std::min(X, FZoomWinStart.X), std::min(Y, FZoomWinStart.Y)});
      const double f = std::min(double(Width()) / w, double(Height()) / h);
      FMag = std::clamp(FMag * f, 0.01, 64.0);
      FTopLeft = a;
      FScaled.reset();
      ClampTopLeft();
      FireZoomPan();
    }
    Invalidate();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TGeoMap::MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  const bool handled = TCustomControl::MouseWheel(Shift, WheelDelta, X, Y);
  if (handled || FMap->Empty() || WheelDelta == 0) return handled;
  const double f = std::pow(1.25, double(WheelDelta) / WHEEL_DELTA);
  ZoomAt({X, Y}, FMag * f);
  return true;
}

}  // namespace zol
