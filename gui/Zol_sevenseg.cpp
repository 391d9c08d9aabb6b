#include "gui/Zol_sevenseg.h"

#include <algorithm>

namespace zol {

namespace {

constexpr uint8_t Seg(int a) { return static_cast<uint8_t>(1u << (a - 1)); }

// Slant of the segments: 37 units to the right per 197 units upward.
constexpr double kSlant = 37.0 / 197.0;

struct PolyDef {
  std::vector<std::pair<double, double>> Pts;  // unsheared (u, y) in the reference cell
};

// Top-left positions of the seven segment images in the reference cell.
constexpr int kSegPos[7][2] = {{94, 0}, {37, 23}, {244, 23}, {57, 197}, {0, 220}, {207, 220}, {20, 394}};

TPoint Shear(double x, double y) { return TPoint(static_cast<int>(x + 0.5), static_cast<int>(y + 0.5)); }

// A horizontal segment image at (X, Y): a hexagon 26 units high with pointed
// ends, slanted about its middle row so that its leftmost point lies at X + 8.
std::vector<TPoint> HorizontalSegment(int X, int Y) {
  const double u[6] = {8, 21, 172, 185, 172, 21};
  const double v[6] = {13, 0, 0, 13, 26, 26};
  std::vector<TPoint> p;
  for (int i = 0; i < 6; ++i) p.push_back(Shear(X + u[i] + kSlant * (13 - v[i]), Y + v[i]));
  return p;
}

// A vertical segment image at (X, Y): a hexagon 26 units wide and 200 high
// with pointed ends, slanted so that its leftmost point lies at X.
std::vector<TPoint> VerticalSegment(int X, int Y) {
  const double u[6] = {13, 26, 26, 13, 0, 0};
  const double v[6] = {0, 13, 187, 200, 187, 13};
  std::vector<TPoint> p;
  for (int i = 0; i < 6; ++i) p.push_back(Shear(X + u[i] + kSlant * (187 - v[i]), Y + v[i]));
  return p;
}

// A slanted box: u1..u2 at the cell's bottom line, rows y1..y2.
std::vector<TPoint> SlantedBox(double u1, double y1, double u2, double y2) {
  auto at = [](double u, double y) { return Shear(u + kSlant * (SevenSegRefHeight - y), y); };
  return {at(u1, y1), at(u2, y1), at(u2, y2), at(u1, y2)};
}

enum MaskIndex { mkSeg1 = 0, mkDp = 7, mkPlusH, mkPlusV, mkColonTop, mkColonBottom, mkRingOuter, mkRingInner, mkCount };

std::vector<TPoint> MaskPolygon(int k) {
  if (k < 7) {
    const int x = kSegPos[k][0], y = kSegPos[k][1];
    return (k == 0 || k == 3 || k == 6) ? HorizontalSegment(x, y) : VerticalSegment(x, y);
  }
  switch (k) {
    case mkDp: return {TPoint(255, 394), TPoint(281, 394), TPoint(281, 420), TPoint(255, 420)};
    case mkPlusH: return SlantedBox(70, 197, 200, 223);
    case mkPlusV: return SlantedBox(122, 130, 148, 290);
    case mkColonTop: return SlantedBox(112, 110, 142, 140);
    case mkColonBottom: return SlantedBox(112, 280, 142, 310);
    case mkRingOuter: return SlantedBox(100, 20, 190, 110);
    case mkRingInner: return SlantedBox(126, 46, 164, 84);
    default: return {};
  }
}

}  // namespace

uint8_t SevenSegPattern(char32_t ch) {
  switch (ch) {
    case '0': return Seg(1) | Seg(2) | Seg(3) | Seg(5) | Seg(6) | Seg(7);
    case '1': return Seg(3) | Seg(6);
    case '2': return Seg(1) | Seg(3) | Seg(4) | Seg(5) | Seg(7);
    case '3': return Seg(1) | Seg(3) | Seg(4) | Seg(6) | Seg(7);
    case '4': return Seg(2) | Seg(3) | Seg(4) | Seg(6);
    case '5': return Seg(1) | Seg(2) | Seg(4) | Seg(6) | Seg(7);
    case '6': return Seg(1) | Seg(2) | Seg(4) | Seg(5) | Seg(6) | Seg(7);
    case '7': return Seg(1) | Seg(3) | Seg(6);
    case '8': return 0x7F;
    case '9': return Seg(1) | Seg(2) | Seg(3) | Seg(4) | Seg(6) | Seg(7);
    case '-': return Seg(4);
    case 'A': case 'a': return Seg(1) | Seg(2) | Seg(3) | Seg(4) | Seg(5) | Seg(6);
    case 'B': case 'b': return Seg(2) | Seg(4) | Seg(5) | Seg(6) | Seg(7);
    case 'C': case 'c': return Seg(1) | Seg(2) | Seg(5) | Seg(7);
    case 'D': case 'd': return Seg(3) | Seg(4) | Seg(5) | Seg(6) | Seg(7);
    case 'E': case 'e': return Seg(1) | Seg(2) | Seg(4) | Seg(5) | Seg(7);
    case 'F': case 'f': return Seg(1) | Seg(2) | Seg(4) | Seg(5);
    default: return 0;
  }
}

bool SevenSegSymbol(char32_t ch) { return ch == '+' || ch == ':' || ch == 0xB0; }

TSevenSeg::TSevenSeg(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 120, 48); }

TSevenSeg::~TSevenSeg() = default;

void TSevenSeg::SetCaption(const std::string& v) { StoreAndRepaint(FCaption, v); }

void TSevenSeg::SetNumDigits(int v) { StoreAndRepaint(FNumDigits, std::clamp(v, 1, 64)); }

void TSevenSeg::SetInterDigDist(int v) { StoreAndRepaint(FInterDigDist, std::clamp(v, 0, 1000)); }

void TSevenSeg::SetMargin(int v) { StoreAndRepaint(FMargin, std::clamp(v, 0, 1000)); }

void TSevenSeg::SetColorText(TColor v) { StoreAndRepaint(FColorText, v); }

void TSevenSeg::SetColorBackGnd(TColor v) { StoreAndRepaint(FColorBackGnd, v); }

void TSevenSeg::SetColorScheme(TColorScheme v) { StoreAndRepaint(FColorScheme, v); }

void TSevenSeg::SetFrameStyle(TFrameStyle v) { StoreAndRepaint(FFrameStyle, v); }

TRect TSevenSeg::CellRect(int i) const {
  const int fw = FrameWidth(FFrameStyle);
  const int left = fw + FMargin, top = fw + FMargin;
  const int areaW = Width() - 2 * (fw + FMargin), areaH = Height() - 2 * (fw + FMargin);
  const int cellW = (areaW - (FNumDigits - 1) * FInterDigDist) / FNumDigits;
  if (cellW <= 0 || areaH <= 0 || i < 0 || i >= FNumDigits) return TRect();
  const int x = left + i * (cellW + FInterDigDist);
  return Rect(x, top, x + cellW, top + areaH);
}

void TSevenSeg::CreateImageCache() {
  if (!FMasks.empty()) return;
  for (int k = 0; k < mkCount; ++k) {
    auto bmp = std::make_unique<TBitmap>(SevenSegRefWidth, SevenSegRefHeight);
    TCanvas& c = bmp->Canvas();
    c.Brush().SetColor(clBlack);
    c.FillRect(Rect(0, 0, SevenSegRefWidth, SevenSegRefHeight));
    c.Pen().SetColor(clWhite);
    c.Brush().SetColor(clWhite);
    c.Polygon(MaskPolygon(k));
    FMasks.push_back(std::move(bmp));
  }
}

void TSevenSeg::ColorizeSegments(TColor Lit, TColor Back) {
  Lit = ColorToRGB(Lit);
  Back = ColorToRGB(Back);
  if (FColorized && Lit == FCacheLit && Back == FCacheBack) return;
  FDigits.clear();
  FCacheLit = Lit;
  FCacheBack = Back;
  FColorized = true;
}

const TBitmap& TSevenSeg::CreateDigit(char32_t ch, bool DecPoint) {
  CreateImageCache();
  ColorizeSegments(FColorText, FColorBackGnd);
  auto key = std::make_pair(ch, DecPoint);
  auto it = FDigits.find(key);
  if (it != FDigits.end()) return *it->second;
  std::vector<int> lit, dark;
  const uint8_t pat = SevenSegPattern(ch);
  for (int k = 0; k < 7; ++k)
    if (pat & (1u << k)) lit.push_back(k);
  if (DecPoint) lit.push_back(mkDp);
  if (ch == '+') lit.insert(lit.end(), {mkPlusH, mkPlusV});
  if (ch == ':') lit.insert(lit.end(), {mkColonTop, mkColonBottom});
  if (ch == 0xB0) {
    lit.push_back(mkRingOuter);
    dark.push_back(mkRingInner);
  }
  auto bmp = std::make_unique<TBitmap>(SevenSegRefWidth, SevenSegRefHeight);
  const uint32_t litPx = TBitmap::ColorToPixel(FCacheLit), backPx = TBitmap::ColorToPixel(FCacheBack);
  uint32_t* dst = bmp->Bits();
  const size_t n = static_cast<size_t>(SevenSegRefWidth) * SevenSegRefHeight;
  std::fill(dst, dst + n, backPx);
  auto apply = [&](int k, uint32_t px) {
    const uint32_t* m = FMasks[static_cast<size_t>(k)]->Bits();
    for (size_t i = 0; i < n; ++i)
      if ((m[i] & 0xFFFFFF) != 0) dst[i] = px;
  };
  for (int k : lit) apply(k, litPx);
  for (int k : dark) apply(k, backPx);
  const TBitmap& ref = *bmp;
  FDigits.emplace(key, std::move(bmp));
  return ref;
}

std::vector<TSevenSeg::Cell> TSevenSeg::LayoutCells() const {
  std::vector<Cell> cells;
  for (char32_t cp : Utf8ToCodePoints(FCaption)) {
    if (cp == '.' || cp == ',') {
      if (!cells.empty() && !cells.back().Dp) cells.back().Dp = true;
      else cells.push_back(Cell{0, true});
    } else {
      cells.push_back(Cell{cp, false});
    }
  }
  if (static_cast<int>(cells.size()) > FNumDigits)
    cells.erase(cells.begin(), cells.end() - FNumDigits);
  return cells;
}

void TSevenSeg::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  if (w <= 0 || h <= 0) return;
  const int fw = FrameWidth(FFrameStyle);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorBackGnd);
  c.FillRect(Rect(fw, fw, w - fw, h - fw));
  const std::vector<Cell> cells = LayoutCells();
  const int first = FNumDigits - static_cast<int>(cells.size());
  c.SetStretchBltMode(COLORONCOLOR);
  for (size_t i = 0; i < cells.size(); ++i) {
    TRect r = CellRect(first + static_cast<int>(i));
    if (r.IsEmpty()) continue;
    if (SevenSegPattern(cells[i].Ch) == 0 && !SevenSegSymbol(cells[i].Ch) && !cells[i].Dp) continue;
    c.StretchDraw(r, CreateDigit(cells[i].Ch, cells[i].Dp));
  }
  DrawSchemeFrame(c, FFrameStyle, FColorScheme, 0, 0, w - 1, h - 1);
  TGraphicControl::Paint();
}

}  // namespace zol
