// Self-organising (Kohonen) feature maps.
#include "math/Zol_kohonen.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/Zol_streams.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

const char* const xmlKohonenXMLTag[13] = {"sizex",    "sizey",       "comment", "nrinsens", "maxneighb",
                                          "maxsteps", "maxalpha",    "currentstep", "cyclic", "cell",
                                          "meanstddev", "/kohonen", "invalidtag"};

namespace {

int RoundHalfEven(double x) { return static_cast<int>(std::nearbyint(x)); }

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

std::string XmlUnescape(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  static const struct {
    const char* ent;
    char c;
  } ents[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  for (size_t i = 0; i < s.size();) {
    bool done = false;
    if (s[i] == '&')
      for (const auto& e : ents) {
        const size_t l = std::char_traits<char>::length(e.ent);
        if (s.compare(i, l, e.ent) == 0) {
          r += e.c;
          i += l;
          done = true;
          break;
        }
      }
    if (!done) r += s[i++];
  }
  return r;
}

// Parses blank-separated numbers; false on anything else.
bool ParseNumbers(const std::string& s, std::vector<double>& out) {
  out.clear();
  const char* p = s.c_str();
  const char* end = p + s.size();
  while (true) {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
    if (p >= end) break;
    char* q = nullptr;
    const double v = std::strtod(p, &q);
    if (q == p) return false;
    out.push_back(v);
    p = q;
  }
  return true;
}

bool ParseIntText(const std::string& s, int64_t& v) {
  std::vector<double> n;
  if (!ParseNumbers(s, n) || n.size() != 1 || n[0] != std::floor(n[0]) || std::fabs(n[0]) > 2147483647.0)
    return false;
  v = static_cast<int64_t>(n[0]);
  return true;
}

void StreamLine(TStream& s, const std::string& line) {
  s.WriteBuffer(line.data(), static_cast<int64_t>(line.size()));
  s.WriteBuffer("\r\n", 2);
}

const std::vector<std::string>& TagList() {
  static const std::vector<std::string> t(xmlKohonenXMLTag, xmlKohonenXMLTag + 13);
  return t;
}

}  // namespace

// ==================================================================== TKohonen
TKohonen::TKohonen(TComponent* AOwner)
    : TComponent(AOwner),
      FWeights(new TMat3D(this)),
      FData(new TMatrix(this)),
      FMeans(new TVector(this)),
      FStdDevs(new TVector(this)) {
  RecreateWeights();
  RecreateScaling();
}

void TKohonen::RecreateWeights() {
  FWeights->Resize(FSizeX, FSizeY, FNrInSens);
  FWeights->Fill(0.0);
}

void TKohonen::RecreateScaling() {
  FMeans->Resize(FNrInSens);
  FMeans->Fill(0.0);
  FStdDevs->Resize(FNrInSens);
  FStdDevs->Fill(1.0);
}

void TKohonen::SetSizeX(int v) {
  if (v <= 0 || v == FSizeX) return;
  FSizeX = v;
  RecreateWeights();
}

void TKohonen::SetSizeY(int v) {
  if (v <= 0 || v == FSizeY) return;
  FSizeY = v;
  RecreateWeights();
}

void TKohonen::SetNrOfInSens(int v) {
  if (v <= 0) return;
  FNrInSens = v;
  RecreateWeights();
  FData->Resize(v, 1);
  FData->Fill(0.0);
  RecreateScaling();
}

void TKohonen::SetNrOfTrnSteps(int v) { FNrTrnSteps = std::max(v, 1); }
void TKohonen::SetInitialNeighbors(int v) { FInitNeighbors = std::max(v, 0); }
void TKohonen::SetInitialAlpha(double v) { FInitAlpha = std::isfinite(v) ? v : FInitAlpha; }

void TKohonen::SetDataMat(const TMatrix* m) {
  if (m == nullptr) return;
  FNrInSens = std::max(m->NrOfColumns(), 1);
  FData->Clone(m);
  RecreateWeights();
  RecreateScaling();
}

void TKohonen::StandardizeData() {
  FData->StandardizeColumns(FMeans, FStdDevs);
  // a column without spread is left as it is by the matrix; centre it so that
  // the data agree with ApplyIt, which subtracts the mean of such a column
  for (int k = 1; k <= FNrInSens; ++k) {
    if (FStdDevs->GetVal(k) != 0.0) continue;
    double* col = FData->ColumnData(k);
    const double mean = FMeans->GetVal(k);
    for (int r = 0; r < FData->NrOfRows(); ++r) col[r] -= mean;
  }
  FData->Changed();
}

void TKohonen::SetWeigtsToRandom() {
  for (int k = 1; k <= FNrInSens; ++k)
    for (int y = 1; y <= FSizeY; ++y)
      for (int x = 1; x <= FSizeX; ++x) FWeights->SetVal(x, y, k, (Random() - 0.5) * 0.2);
  FWeights->Changed();
}

void TKohonen::Trainit() {
  FCurStep = 1;
  SetWeigtsToRandom();
  ContinueTraining();
}

void TKohonen::ContinueTraining() {
  const int nx = FSizeX, ny = FSizeY, nk = FNrInSens;
  const int nrows = FData->NrOfRows();
  const size_t nn = static_cast<size_t>(nx) * static_cast<size_t>(ny);
  // working copies: neuron (x, y) at index (x − 1)·ny + (y − 1), its weights contiguous;
  // the data row by row
  std::vector<double> w(nn * static_cast<size_t>(nk)), data(static_cast<size_t>(nrows) * static_cast<size_t>(nk));
  auto W = [&](int x, int y) { return &w[((static_cast<size_t>(x - 1)) * ny + (y - 1)) * nk]; };
  for (int x = 1; x <= nx; ++x)
    for (int y = 1; y <= ny; ++y)
      for (int k = 1; k <= nk; ++k) W(x, y)[k - 1] = FWeights->GetVal(x, y, k);
  for (int k = 1; k <= nk; ++k) {
    const double* col = FData->ColumnData(k);
    for (int r = 0; r < nrows; ++r) data[static_cast<size_t>(r) * nk + (k - 1)] = col[r];
  }
  auto storeWeights = [&]() {
    for (int x = 1; x <= nx; ++x)
      for (int y = 1; y <= ny; ++y)
        for (int k = 1; k <= nk; ++k) FWeights->SetVal(x, y, k, W(x, y)[k - 1]);
  };
  auto sqDist = [nk](const double* a, const double* b) {
    double s = 0.0;
    for (int k = 0; k < nk; ++k) {
      const double d = a[k] - b[k];
      s += d * d;
    }
    return s;
  };

  AbortMathProc = false;
  std::vector<double> dist(nn);
  int s = FCurStep;
  while (s < FNrTrnSteps && !FAbort) {
    const double f = static_cast<double>(FNrTrnSteps - s) / FNrTrnSteps;
    const int radius = RoundHalfEven(f * f * (FInitNeighbors - 1) + 1);
    const double alpha = f * f * FInitAlpha;
    int hx = radius, hy = radius;
    if (FCyclic) {
      if (radius >= nx / 2) hx = std::max(nx / 2 - 1, 0);
      if (radius >= ny / 2) hy = std::max(ny / 2 - 1, 0);
    }
    for (int r = 0; r < nrows; ++r) {
      const double* row = &data[static_cast<size_t>(r) * nk];
      // winner (x outer, y inner, first minimum) and all distances
      double d0 = 0.0;
      int wx = 1, wy = 1;
      size_t idx = 0;
      for (int x = 1; x <= nx; ++x)
        for (int y = 1; y <= ny; ++y, ++idx) {
          const double d = sqDist(&w[idx * nk], row);
          dist[idx] = d;
          if (idx == 0 || d < d0) {
            d0 = d;
            wx = x;
            wy = y;
          }
        }
      for (int dx = -hx; dx <= hx; ++dx) {
        int x = wx + dx;
        if (FCyclic)
          x = ((x - 1) % nx + nx) % nx + 1;
        else if (x < 1 || x > nx)
          continue;
        for (int dy = -hy; dy <= hy; ++dy) {
          int y = wy + dy;
          if (FCyclic)
            y = ((y - 1) % ny + ny) % ny + 1;
          else if (y < 1 || y > ny)
            continue;
          const size_t i = static_cast<size_t>(x - 1) * ny + (y - 1);
          const double factor = alpha / (std::sqrt(std::max(dist[i] - d0, 0.0)) + 1.0);
          double* wv = &w[i * nk];
          for (int k = 0; k < nk; ++k) wv[k] += (row[k] - wv[k]) * factor;
        }
      }
    }
    storeWeights();
    if (OnFeedback) OnFeedback(this, RoundHalfEven(s * 100.0 / FNrTrnSteps));
    ++s;
    ++ProcStat;
    if (MathFeedBackProc) MathFeedBackProc(ProcStat);
    if (AbortMathProc) FAbort = true;
  }
  FCurStep = s;
  FAbort = false;
  FWeights->Changed();
}

void TKohonen::ApplyIt(std::span<const double> v, int& WinX, int& WinY, double& Dist) const {
  std::vector<double> z(static_cast<size_t>(FNrInSens), 0.0);
  for (int k = 1; k <= FNrInSens; ++k) {
    const double vk = static_cast<size_t>(k) <= v.size() ? v[static_cast<size_t>(k - 1)] : 0.0;
    const double sd = FStdDevs->GetVal(k);
    z[static_cast<size_t>(k - 1)] = sd == 0.0 ? vk - FMeans->GetVal(k) : (vk - FMeans->GetVal(k)) / sd;
  }
  Dist = 1.7e308;
  WinX = WinY = 1;
  for (int x = 1; x <= FSizeX; ++x)
    for (int y = 1; y <= FSizeY; ++y) {
      double d = 0.0;
      for (int k = 1; k <= FNrInSens; ++k) {
        const double e = FWeights->GetVal(x, y, k) - z[static_cast<size_t>(k - 1)];
        d += e * e;
      }
      if (d < Dist) {
        Dist = d;
        WinX = x;
        WinY = y;
      }
    }
}

void TKohonen::ApplyIt(const TVector* v, int& WinX, int& WinY, double& Dist) const {
  if (v == nullptr) {
    ApplyIt(std::span<const double>(), WinX, WinY, Dist);
    return;
  }
  ApplyIt(v->Values(), WinX, WinY, Dist);
}

double TKohonen::GetWeight(int x, int y, int k) const {
  if (x < 1 || x > FSizeX || y < 1 || y > FSizeY || k < 1 || k > FNrInSens) return 0.0;
  return FWeights->GetVal(x, y, k) * FStdDevs->GetVal(k) + FMeans->GetVal(k);
}

// ---------------------------------------------------------------- tagged-text record
void TKohonen::EmitRecord(const std::function<void(const std::string&)>& Line, bool CreateHeader,
                          const std::string& DataID) const {
  using vecstat::DoubleToRoundTrip;
  auto el = [&](TKohonenXMLTag t, const std::string& v) {
    const std::string n = xmlKohonenXMLTag[static_cast<int>(t)];
    Line("  <" + n + ">" + v + "</" + n + ">");
  };
  if (CreateHeader) {
    Line("<?xml version=\"1.0\"?>");
    Line("");
  }
  Line("<!-- TKohonen / ZOL Component Suite -->");
  Line(std::string("<kohonen sig=\"") + ZolSignature + "\" vers=\"" + ZolRecordVersion + "\" id=\"" +
       XmlEscape(DataID) + "\">");
  el(TKohonenXMLTag::xmlSizeX, std::to_string(FSizeX));
  el(TKohonenXMLTag::xmlSizeY, std::to_string(FSizeY));
  el(TKohonenXMLTag::xmlComment, XmlEscape(FComment));
  el(TKohonenXMLTag::xmlNrInsens, std::to_string(FNrInSens));
  el(TKohonenXMLTag::xmlMaxNeighb, std::to_string(FInitNeighbors));
  el(TKohonenXMLTag::xmlMaxSteps, std::to_string(FNrTrnSteps));
  el(TKohonenXMLTag::xmlMaxAlpha, DoubleToRoundTrip(FInitAlpha));
  el(TKohonenXMLTag::xmlCurStep, std::to_string(FCurStep));
  el(TKohonenXMLTag::xmlCyclic, FCyclic ? "true" : "false");
  for (int x = 1; x <= FSizeX; ++x)
    for (int y = 1; y <= FSizeY; ++y) {
      std::string v;
      for (int k = 1; k <= FNrInSens; ++k) {
        if (k > 1) v += ' ';
        v += DoubleToRoundTrip(FWeights->GetVal(x, y, k));
      }
      Line("  <cell x=" + std::to_string(x) + " y=" + std::to_string(y) + ">" + v + "</cell>");
    }
  for (int k = 1; k <= FNrInSens; ++k)
    Line("  <meanstddev k=" + std::to_string(k) + ">" + DoubleToRoundTrip(FMeans->GetVal(k)) + " " +
         DoubleToRoundTrip(FStdDevs->GetVal(k)) + "</meanstddev>");
  Line("</kohonen>");
}

bool TKohonen::ParseRecord(const std::string& Content) {
  int64_t sx = -1, sy = -1, nk = -1, neighb = FInitNeighbors, steps = FNrTrnSteps, cur = 1;
  double alpha = FInitAlpha;
  bool cyclic = false;
  std::string comment;
  struct Cell {
    int64_t x, y;
    std::vector<double> w;
  };
  std::vector<Cell> cells;
  std::vector<std::pair<int64_t, std::pair<double, double>>> ms;
  const auto& tags = TagList();
  size_t pos = 0;
  std::string c, a;
  std::vector<double> nums;
  while (pos < Content.size()) {
    const size_t before = pos;
    const int t = ReadNextTagInBuffer(Content.data(), Content.size(), pos, tags, c, a);
    if (pos <= before) break;
    switch (static_cast<TKohonenXMLTag>(t)) {
      case TKohonenXMLTag::xmlSizeX:
        if (!ParseIntText(c, sx) || sx < 1) return false;
        break;
      case TKohonenXMLTag::xmlSizeY:
        if (!ParseIntText(c, sy) || sy < 1) return false;
        break;
      case TKohonenXMLTag::xmlNrInsens:
        if (!ParseIntText(c, nk) || nk < 1) return false;
        break;
      case TKohonenXMLTag::xmlMaxNeighb:
        if (!ParseIntText(c, neighb) || neighb < 0) return false;
        break;
      case TKohonenXMLTag::xmlMaxSteps:
        if (!ParseIntText(c, steps) || steps < 1) return false;
        break;
      case TKohonenXMLTag::xmlCurStep:
        if (!ParseIntText(c, cur)) return false;
        break;
      case TKohonenXMLTag::xmlMaxAlpha:
        if (!ParseNumbers(c, nums) || nums.size() != 1) return false;
        alpha = nums[0];
        break;
      case TKohonenXMLTag::xmlCyclic:
        cyclic = SameText(c, "true") || c == "1";
        break;
      case TKohonenXMLTag::xmlComment:
        comment = XmlUnescape(c);
        break;
      case TKohonenXMLTag::xmlCell: {
        int64_t x, y;
        if (!ParseIntText(ScanForXMLAttrib(a, "x"), x) || !ParseIntText(ScanForXMLAttrib(a, "y"), y)) return false;
        if (!ParseNumbers(c, nums)) return false;
        // a cell cut off by the end of the record has no end tag
        if (pos < 7 || !SameText(Content.substr(pos - 7, 7), "</cell>")) return false;
        cells.push_back({x, y, nums});
        break;
      }
      case TKohonenXMLTag::xmlMeanStdDev: {
        int64_t k;
        if (!ParseIntText(ScanForXMLAttrib(a, "k"), k) || !ParseNumbers(c, nums) || nums.size() != 2) return false;
        ms.push_back({k, {nums[0], nums[1]}});
        break;
      }
      default:
        break;
    }
  }
  if (sx < 1 || sy < 1 || nk < 1) return false;
  // every neuron needs its cell: the map cannot be larger than the record
  // (sizes up to 2^31 - 1 each: the product of all three is formed only once it
  // is known to be bounded by the record's length)
  const int64_t length = static_cast<int64_t>(Content.size());
  if (sx * sy > length || nk > length / (sx * sy)) return false;
  const int64_t total = sx * sy * nk;
  std::vector<double> w(static_cast<size_t>(total), 0.0);
  std::vector<char> seen(static_cast<size_t>(sx * sy), 0);
  for (const auto& cl : cells) {
    if (cl.x < 1 || cl.x > sx || cl.y < 1 || cl.y > sy) continue;
    if (static_cast<int64_t>(cl.w.size()) != nk) return false;
    const size_t i = static_cast<size_t>((cl.x - 1) * sy + (cl.y - 1));
    seen[i] = 1;
    std::copy(cl.w.begin(), cl.w.end(), w.begin() + static_cast<ptrdiff_t>(i * static_cast<size_t>(nk)));
  }
  if (std::find(seen.begin(), seen.end(), 0) != seen.end()) return false;
  std::vector<double> mean(static_cast<size_t>(nk), 0.0), sd(static_cast<size_t>(nk), 1.0);
  for (const auto& m : ms)
    if (m.first >= 1 && m.first <= nk) {
      mean[static_cast<size_t>(m.first - 1)] = m.second.first;
      sd[static_cast<size_t>(m.first - 1)] = m.second.second;
    }
  // all checks passed: take the map over
  FSizeX = static_cast<int>(sx);
  FSizeY = static_cast<int>(sy);
  FNrInSens = static_cast<int>(nk);
  FInitNeighbors = static_cast<int>(neighb);
  FNrTrnSteps = static_cast<int>(steps);
  FCurStep = static_cast<int>(cur);
  FInitAlpha = alpha;
  FCyclic = cyclic;
  FComment = comment;
  FWeights->Resize(FSizeX, FSizeY, FNrInSens);
  for (int x = 1; x <= FSizeX; ++x)
    for (int y = 1; y <= FSizeY; ++y)
      for (int k = 1; k <= FNrInSens; ++k)
        FWeights->SetVal(x, y, k, w[(static_cast<size_t>(x - 1) * FSizeY + (y - 1)) * FNrInSens + (k - 1)]);
  FWeights->Changed();
  FMeans->Resize(FNrInSens);
  FStdDevs->Resize(FNrInSens);
  for (int k = 1; k <= FNrInSens; ++k) {
    FMeans->SetVal(k, mean[static_cast<size_t>(k - 1)]);
    FStdDevs->SetVal(k, sd[static_cast<size_t>(k - 1)]);
  }
  if (FData->NrOfColumns() != FNrInSens) {
    FData->Resize(FNrInSens, 1);
    FData->Fill(0.0);
  }
  return true;
}

void TKohonen::WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const {
  EmitRecord([&](const std::string& l) { StreamLine(Stream, l); }, CreateHeader, DataID);
}

void TKohonen::WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const {
  EmitRecord([&](const std::string& l) { WriteLn(F, l); }, CreateHeader, DataID);
}

namespace {
template <typename NextTag, typename AtEnd>
bool FindRecord(NextTag next, AtEnd atEnd, const std::string& DataID, std::string& Content) {
  static const std::vector<std::string> tags = {"kohonen", "invalidtag"};
  std::string attrs;
  for (int guard = 0; guard < 100000000; ++guard) {
    if (atEnd()) return false;
    const int t = next(tags, Content, attrs);
    if (t != 0) continue;
    if (ScanForXMLAttrib(attrs, "sig") != ZolSignature) continue;
    if (XmlUnescape(ScanForXMLAttrib(attrs, "id")) != DataID) continue;
    return true;
  }
  return false;
}
}  // namespace

bool TKohonen::ReadFromXMLStream(TStream& Stream, const std::string& DataID) {
  try {
    std::string content;
    if (!FindRecord(
            [&](const std::vector<std::string>& t, std::string& c, std::string& a) {
              return ReadNextTagInStream(Stream, t, c, a);
            },
            [&]() { return Stream.Position() >= Stream.Size(); }, DataID, content))
      return false;
    return ParseRecord(content);
  } catch (const std::exception&) {
    return false;
  }
}

bool TKohonen::ReadFromOpenXMLFile(TextFile& F, const std::string& DataID) {
  try {
    std::string content;
    if (!FindRecord(
            [&](const std::vector<std::string>& t, std::string& c, std::string& a) {
              return ReadNextTagInTextFile(F, t, c, a);
            },
            [&]() { return Eof(F); }, DataID, content))
      return false;
    return ParseRecord(content);
  } catch (const std::exception&) {
    return false;
  }
}

bool TKohonen::SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) { WriteToOpenXMLFile(F, true, DataID); });
}

bool TKohonen::LoadFromXMLFile(const std::string& FileName, const std::string& DataID) {
  return ReadRecordFile(FileName, [&](TextFile& F) { return ReadFromOpenXMLFile(F, DataID); });
}

}  // namespace zol
