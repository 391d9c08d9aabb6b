#include "gui/Zol_rasterlab.h"

#include <algorithm>

#include "base/platform/Zol_sysutils.h"

namespace zol {

namespace {

// The built-in 5 × 7 font, codes 32..126: five column bytes per character,
// bit 0 the top row.
const uint8_t kFont5x7[95][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x08, 0x2A, 0x1C, 0x2A, 0x08}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x60, 0x60, 0x00, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x36, 0x36, 0x00, 0x00},
    {0x00, 0x56, 0x36, 0x00, 0x00}, {0x08, 0x14, 0x22, 0x41, 0x00}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06}, {0x32, 0x49, 0x79, 0x41, 0x3E},
    {0x7E, 0x11, 0x11, 0x11, 0x7E}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x49, 0x49, 0x7A}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x0C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x46, 0x49, 0x49, 0x49, 0x31}, {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x07, 0x08, 0x70, 0x08, 0x07}, {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x00},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78},
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20}, {0x38, 0x44, 0x44, 0x48, 0x7F},
    {0x38, 0x54, 0x54, 0x54, 0x18}, {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x0C, 0x52, 0x52, 0x52, 0x3E},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, {0x20, 0x40, 0x44, 0x3D, 0x00},
    {0x7F, 0x10, 0x28, 0x44, 0x00}, {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, {0x7C, 0x14, 0x14, 0x14, 0x08},
    {0x08, 0x14, 0x14, 0x18, 0x7C}, {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20},
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, {0x1C, 0x20, 0x40, 0x20, 0x1C},
    {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x7F, 0x00, 0x00},
    {0x00, 0x41, 0x36, 0x08, 0x00}, {0x08, 0x04, 0x08, 0x10, 0x08}};

// Latin-1 letters 0xC0..0xFF shown as their base letter.
const char kLatin1Base[65] = "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYPBaaaaaaaceeeeiiiidnooooo/ouuuuypy";

TRDCharMatrix BuildDefault() {
  TRDCharMatrix m;
  for (int c = 32; c <= 126; ++c)
    for (int col = 0; col < 5; ++col)
      for (int row = 0; row < 7; ++row)
        if (kFont5x7[c - 32][col] & (1u << row)) m.Rows[static_cast<size_t>(c)][static_cast<size_t>(row)] |= 1u << col;
  for (int c = 0xC0; c <= 0xFF; ++c) m.Rows[static_cast<size_t>(c)] = m.Rows[static_cast<unsigned char>(kLatin1Base[c - 0xC0])];
  // Degree sign: a small ring at the top.
  m.Rows[0xB0][0] = 0x2;
  m.Rows[0xB0][1] = 0x5;
  m.Rows[0xB0][2] = 0x2;
  m.Rows[0xA0] = m.Rows[32];
  m.UpdateExtents();
  m.Height = 7;
  return m;
}

}  // namespace

void TRDCharMatrix::UpdateExtents() {
  Height = 0;
  for (size_t c = 0; c < 256; ++c) {
    uint32_t all = 0;
    for (size_t r = 0; r < 32; ++r) {
      all |= Rows[c][r];
      if (Rows[c][r] != 0) Height = std::max(Height, static_cast<int>(r) + 1);
    }
    if (all == 0) {
      LeftCol[c] = RightCol[c] = -1;
    } else {
      int l = 0, r = 31;
      while (!(all & (1u << l))) ++l;
      while (!(all & (1u << r))) --r;
      LeftCol[c] = l;
      RightCol[c] = r;
    }
  }
}

const TRDCharMatrix& DefaultCharMatrix() {
  static const TRDCharMatrix m = BuildDefault();
  return m;
}

TRDCharMatrix CreateBitFont(const TFont& Font) {
  TRDCharMatrix m;
  TBitmap cell(32, 32);
  TCanvas& c = cell.Canvas();
  c.Font().Assign(Font);
  c.Font().SetOrientation(0);
  c.Font().SetColor(clBlack);
  c.SetTextAlign(TA_LEFT | TA_TOP);
  for (int code = 32; code <= 255; ++code) {
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, 32, 32));
    c.Brush().SetStyle(bsClear);
    const char ch = static_cast<char>(code);
    c.TextOut(0, 0, Latin1ToUtf8(std::string_view(&ch, 1)));
    for (int y = 0; y < 32; ++y) {
      const uint32_t* row = cell.ScanLine(y);
      uint32_t bits = 0;
      for (int x = 0; x < 32; ++x)
        if ((row[x] & 0xFF) < 128) bits |= 1u << x;
      m.Rows[static_cast<size_t>(code)][static_cast<size_t>(y)] = bits;
    }
  }
  m.UpdateExtents();
  return m;
}

TRasterLab::TRasterLab(TComponent* AOwner)
    : TGraphicControl(AOwner), FCharMatrix(std::make_unique<TRDCharMatrix>(DefaultCharMatrix())) {
  Font().SetName("default");
  Font().SetSize(8);
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->OnTimer = [this](TObject* s) { ScrollTick(s); };
  SetBounds(0, 0, 400, 68);
}

TRasterLab::~TRasterLab() = default;

void TRasterLab::SetText(const std::string& v) {
  if (v == FText) return;
  FText = v;
  if (Scrolling()) RestartScroll();
  Invalidate();
}

void TRasterLab::SetCharMatrix(const TRDCharMatrix& m) {
  *FCharMatrix = m;
  ApplyAutoHeight();
  Invalidate();
}

const TRDCharMatrix& TRasterLab::ActiveMatrix() {
  if (SameText(Font().Name(), "default")) return *FCharMatrix;
  const std::string key = Font().Name() + "|" + std::to_string(Font().Height()) + "|" +
                          std::to_string(Font().Style().Bits());
  if (!FFontMatrix || key != FFontKey) {
    FFontMatrix = std::make_unique<TRDCharMatrix>(CreateBitFont(Font()));
    FFontKey = key;
  }
  return *FFontMatrix;
}

void TRasterLab::SetDotSize(int v) { StoreAndRepaint(FDotSize, std::clamp(v, 1, 100)); }

void TRasterLab::SetDotSpacing(int v) {
  StoreAndRepaint(FDotSpacing, std::clamp(v, 1, 100));
  ApplyAutoHeight();
}

void TRasterLab::SetAutoHeight(bool v) {
  StoreAndRepaint(FAutoHeight, v);
  ApplyAutoHeight();
}

void TRasterLab::ApplyAutoHeight() {
  if (!FAutoHeight) return;
  const int h = (ActiveMatrix().Height + 2) * FDotSpacing;
  if (h != Height()) SetHeight(h);
}

void TRasterLab::FontChanged() {
  TGraphicControl::FontChanged();
  ApplyAutoHeight();
  Invalidate();
}

void TRasterLab::Resize() {
  TGraphicControl::Resize();
  Invalidate();
}

void TRasterLab::SetScrollMode(TRDScrollMode v) {
  if (v == FScrollMode) return;
  FScrollMode = v;
  RestartScroll();
  Invalidate();
}

void TRasterLab::SetScrollInterval(int v) {
  FScrollInterval = std::clamp(v, 10, 100000);
  FTimer->SetInterval(static_cast<unsigned>(FScrollInterval));
}

void TRasterLab::SetScrollIncrement(int v) { FScrollIncrement = std::clamp(v, 1, 1000); }

bool TRasterLab::Scrolling() const { return FTimer->Enabled(); }

int TRasterLab::GridColumns() const { return Width() / FDotSpacing; }
int TRasterLab::GridRows() const { return Height() / FDotSpacing; }

std::vector<TRasterLab::Placed> TRasterLab::Layout() {
  const TRDCharMatrix& m = ActiveMatrix();
  int widest = 0;
  for (int c = 32; c < 256; ++c)
    if (m.RightCol[static_cast<size_t>(c)] >= 0) widest = std::max(widest, m.RightCol[static_cast<size_t>(c)] + 1);
  if (widest == 0) widest = 1;
  std::vector<Placed> out;
  int x = 0;
  for (char32_t cp : Utf8ToCodePoints(FText)) {
    const int code = cp > 255 ? '?' : static_cast<int>(cp);
    const size_t k = static_cast<size_t>(code);
    Placed p{code, x, widest + 1, 0};
    if (FProportional) {
      if (m.LeftCol[k] < 0) {
        p.Width = std::max(2, (widest + 1) / 2);  // blanks and empty characters
      } else {
        p.First = m.LeftCol[k];
        p.Width = m.RightCol[k] - m.LeftCol[k] + 2;
      }
    }
    out.push_back(p);
    x += p.Width;
  }
  return out;
}

int TRasterLab::TextDotWidth() {
  int w = 0;
  for (const Placed& p : Layout()) w += p.Width;
  return w;
}

void TRasterLab::TextOrigin(int& x, int& y) {
  x = FPosX;
  y = FPosY;
  if (FAutoCenter) {
    x = (GridColumns() - TextDotWidth()) / 2;
    y = (GridRows() - ActiveMatrix().Height) / 2;
  }
  switch (FScrollMode) {
    case rdsmLeft: case rdsmRight: x = FScrollPos; break;
    case rdsmUp: case rdsmDown: y = FScrollPos; break;
    case rdsmOff: break;
  }
}

bool TRasterLab::DotLit(int Col, int Row) {
  int ox = 0, oy = 0;
  TextOrigin(ox, oy);
  const TRDCharMatrix& m = ActiveMatrix();
  const int r = Row - oy;
  if (r < 0 || r >= 32) return false;
  for (const Placed& p : Layout()) {
    const int c = Col - ox - p.X;
    if (c < 0 || c >= p.Width) continue;
    const int bit = c + p.First;
    return bit < 32 && (m.Rows[static_cast<size_t>(p.Code)][static_cast<size_t>(r)] & (1u << bit)) != 0;
  }
  return false;
}

void TRasterLab::RestartScroll() {
  const int cols = GridColumns(), rows = GridRows();
  switch (FScrollMode) {
    case rdsmLeft: FScrollPos = cols; break;
    case rdsmRight: FScrollPos = -TextDotWidth(); break;
    case rdsmUp: FScrollPos = rows; break;
    case rdsmDown: FScrollPos = -ActiveMatrix().Height; break;
    case rdsmOff: break;
  }
  FTimer->SetInterval(static_cast<unsigned>(FScrollInterval));
  FTimer->SetEnabled(FScrollMode != rdsmOff);
}

void TRasterLab::ScrollTick(TObject*) {
  const int step = FScrollIncrement;
  bool gone = false;
  switch (FScrollMode) {
    case rdsmLeft: FScrollPos -= step; gone = FScrollPos + TextDotWidth() <= 0; break;
    case rdsmRight: FScrollPos += step; gone = FScrollPos >= GridColumns(); break;
    case rdsmUp: FScrollPos -= step; gone = FScrollPos + ActiveMatrix().Height <= 0; break;
    case rdsmDown: FScrollPos += step; gone = FScrollPos >= GridRows(); break;
    case rdsmOff: FTimer->SetEnabled(false); return;
  }
  if (gone) {
    if (FScrollLoop) {
      RestartScroll();
      if (auto handler = OnScrollLoopRestart) handler(this);
    } else {
      FTimer->SetEnabled(false);
    }
  }
  Invalidate();
  if (auto handler = OnScrollTimer) handler(this);
}

void TRasterLab::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorLabBakG);
  c.FillRect(Rect(0, 0, w, h));
  const int cols = GridColumns(), rows = GridRows();
  const TRDCharMatrix& m = ActiveMatrix();
  int ox = 0, oy = 0;
  TextOrigin(ox, oy);
  const std::vector<Placed> cells = Layout();
  const int textW = cells.empty() ? 0 : cells.back().X + cells.back().Width;
  // Dots are squares of DotSize pixels centred in their DotSpacing pitch.
  const int inset = (FDotSpacing - FDotSize) / 2;
  c.Pen().SetStyle(psClear);
  for (int row = 0; row < rows; ++row) {
    const int r = row - oy;
    for (int col = 0; col < cols; ++col) {
      const int tc = col - ox;
      const bool inCell = r >= 0 && r < m.Height && tc >= 0 && tc < textW;
      bool lit = false;
      if (inCell && r < 32) {
        for (const Placed& p : cells) {
          if (tc < p.X || tc >= p.X + p.Width) continue;
          const int bit = tc - p.X + p.First;
          lit = bit < 32 && (m.Rows[static_cast<size_t>(p.Code)][static_cast<size_t>(r)] & (1u << bit)) != 0;
          break;
        }
      }
      const int x = col * FDotSpacing + inset, y = row * FDotSpacing + inset;
      if (lit) {
        c.Brush().SetColor(FColorDotOn);
        c.FillRect(Bounds(x, y, FDotSize, FDotSize));
      } else if (FCharBlockMode == rdbmOff || (FCharBlockMode == rdbmOn && inCell)) {
        c.Brush().SetColor(FColorDotOff);
        c.FillRect(Bounds(x, y, FDotSize, FDotSize));
      } else if (FCharBlockMode == rdbmRaster && inCell) {
        c.SetPixel(x + FDotSize / 2, y + FDotSize / 2, FColorDotOff);
      }
    }
  }
  c.Pen().SetStyle(psSolid);
  TGraphicControl::Paint();
}

}  // namespace zol
