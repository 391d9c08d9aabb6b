#include "gui/Zol_thumbnails.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace zol {

namespace {
// Distance of the first slide from the control's edges.
constexpr int kBorder = 10;
}  // namespace

TThumbnails::TThumbnails(TComponent* AOwner) : TCustomControl(AOwner) {
  FSelection = new TBitFld(this);
  FSelection->SetSize(FMax);
  FSelection->Clear();
  SetTabStop(true);
  SetBounds(0, 0, 460, 300);
}

TThumbnails::~TThumbnails() = default;

void TThumbnails::SetMin(int v) {
  v = std::clamp(v, 1, 1000000);
  if (v > FMax) FMax = v;
  if (v == FMin) return;
  FMin = v;
  FSelection->SetSize(FMax);
  SetFirstThumbIx(FFirstThumbIx);
  if (FFocusedSlide != 0 && (FFocusedSlide < FMin || FFocusedSlide > FMax)) FFocusedSlide = 0;
  Invalidate();
}

void TThumbnails::SetMax(int v) {
  v = std::clamp(v, FMin, 1000000);
  if (v == FMax) return;
  // Selections beyond the new end are dropped.
  for (int i = v + 1; i <= FMax; ++i) FSelection->SetBit(i, false);
  FMax = v;
  FSelection->SetSize(FMax);
  SetFirstThumbIx(FFirstThumbIx);
  if (FFocusedSlide > FMax) FFocusedSlide = 0;
  Invalidate();
}

void TThumbnails::SetSlideSize(int v) { StoreAndRepaint(FSlideSize, std::clamp(v, 8, 4096)); }
void TThumbnails::SetSlideMargin(int v) { StoreAndRepaint(FSlideMargin, std::clamp(v, 0, 1000)); }
void TThumbnails::SetSlideDistance(int v) { StoreAndRepaint(FSlideDistance, std::clamp(v, 0, 1000)); }
void TThumbnails::SetFocusLinewidth(int v) { StoreAndRepaint(FFocusLinewidth, std::clamp(v, 1, 20)); }

void TThumbnails::SetFirstThumbIx(double v) {
  if (std::isnan(v)) return;
  v = std::clamp(v, static_cast<double>(FMin), static_cast<double>(FMax));
  StoreAndRepaint(FFirstThumbIx, v);
}

int TThumbnails::SlidesPerRow() const {
  return std::max(1, (Width() - 2 * kBorder + FSlideDistance) / Pitch());
}

TRect TThumbnails::SlideRect(int Index) const {
  if (Index < FirstVisible() || Index > FMax) return TRect();
  const int k = Index - FirstVisible(), spr = SlidesPerRow();
  const int col = k % spr, row = k / spr;
  const double frac = FFirstThumbIx - FirstVisible();
  const int x = kBorder + col * Pitch();
  const int y = kBorder + row * Pitch() - static_cast<int>(std::lround(frac * Pitch()));
  if (y >= Height()) return TRect();
  const int side = FSlideSize + 2 * FSlideMargin;
  return Rect(x, y, x + side, y + side);
}

int TThumbnails::CalcSlideIndex(int X, int Y) const {
  const int p = Pitch(), side = FSlideSize + 2 * FSlideMargin;
  const double frac = FFirstThumbIx - FirstVisible();
  const int dx = X - kBorder;
  const int dy = Y - kBorder + static_cast<int>(std::lround(frac * p));
  if (dx < 0 || dy < 0) return 0;
  const int col = dx / p + 1, row = dy / p + 1;
  if (dx % p >= side || dy % p >= side || col > SlidesPerRow()) return 0;
  const int64_t ix = static_cast<int64_t>(FirstVisible()) + static_cast<int64_t>(row - 1) * SlidesPerRow() + col - 1;
  if (ix < FMin || ix > FMax) return 0;
  return static_cast<int>(ix);
}

void TThumbnails::SetFocusedSlide(int v) {
  if (v != 0 && (v < FMin || v > FMax)) return;
  if (v == FFocusedSlide) return;
  FFocusedSlide = v;
  Invalidate();
  if (auto handler = OnFocusChange) handler(this, v);
}

void TThumbnails::SetSlideSelectMode(TSlideSelectMode v) {
  if (v == FSlideSelectMode) return;
  FSlideSelectMode = v;
  if (v == ssmDisabled) FSelection->Clear();
  if (v == ssmSingle && NumSlidesSelected() > 1) {
    const int first = FirstSelectedSlide();
    FSelection->Clear();
    FSelection->SetBit(first, true);
  }
  Invalidate();
}

int TThumbnails::FirstSelectedSlide() const {
  for (int i = FMin; i <= FMax; ++i)
    if (FSelection->GetBit(i)) return i;
  return 0;
}

int TThumbnails::NumSlidesSelected() const { return FSelection->CountTrueBits(); }

bool TThumbnails::GetSelectedSlide(int Index) const {
  return Index >= FMin && Index <= FMax && FSelection->GetBit(Index);
}

void TThumbnails::SetSelectedSlide(int Index, bool Selected) {
  if (Index < FMin || Index > FMax || FSlideSelectMode == ssmDisabled) return;
  if (Selected && FSlideSelectMode == ssmSingle) FSelection->Clear();
  FSelection->SetBit(Index, Selected);
  Invalidate();
}

void TThumbnails::ResetAllSelections() {
  FSelection->Clear();
  Invalidate();
}

void TThumbnails::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (CanFocus() && !Focused()) SetFocus();
  if (Button != mbLeft || (Shift & ssDouble)) return;
  const int ix = CalcSlideIndex(X, Y);
  FLastDown = ix;
  if (ix == 0) return;
  if (FSlideSelectMode == ssmSingle) {
    FSelection->Clear();
    FSelection->SetBit(ix, true);
  } else if (FSlideSelectMode == ssmMultiple) {
    FSelection->ToggleBit(ix);
  }
  Invalidate();
  SetFocusedSlide(ix);
  if (auto handler = OnImageClick) handler(this, ix);
}

void TThumbnails::DblClick() {
  TCustomControl::DblClick();
  if (FLastDown != 0)
    if (auto handler = OnImageDblClick) handler(this, FLastDown);
}

void TThumbnails::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const int spr = SlidesPerRow();
  int f = FFocusedSlide == 0 ? FirstVisible() : FFocusedSlide;
  switch (Key) {
    case VK_LEFT: f -= 1; break;
    case VK_RIGHT: f += 1; break;
    case VK_UP: f -= spr; break;
    case VK_DOWN: f += spr; break;
    case VK_HOME: f = FMin; break;
    case VK_END: f = FMax; break;
    case VK_SPACE:
      if (FFocusedSlide != 0) SetSelectedSlide(FFocusedSlide, !GetSelectedSlide(FFocusedSlide));
      Key = 0;
      return;
    default: return;
  }
  Key = 0;
  f = std::clamp(f, FMin, FMax);
  SetFocusedSlide(f);
  // Keep the focused slide on the visible rows.
  const int rowsVisible = std::max(1, (Height() - 2 * kBorder + FSlideDistance) / Pitch());
  if (f < FirstVisible()) SetFirstThumbIx(FMin + ((f - FMin) / spr) * spr);
  else if (f >= FirstVisible() + rowsVisible * spr)
    SetFirstThumbIx(FirstVisible() + ((f - FirstVisible()) / spr - rowsVisible + 1) * spr);
}

bool TThumbnails::MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  if (TCustomControl::MouseWheel(Shift, WheelDelta, X, Y)) return true;
  // One notch scrolls a third of a row.
  SetFirstThumbIx(FFirstThumbIx - WheelDelta / static_cast<double>(WHEEL_DELTA) * SlidesPerRow() / 3.0);
  return true;
}

void TThumbnails::DrawSlide(TCanvas& c, int Index, const TRect& r) {
  TBitmap img(0, 0);
  TImageRequestProcessing proc = irpShowEmpty;
  if (auto handler = OnImageRequest) handler(this, Index, img, proc);
  if (proc == irpShowNothing) return;
  const bool sel = GetSelectedSlide(Index);
  c.Brush().SetStyle(bsSolid);
  if (proc != irpShowFrameOnly) {
    c.Brush().SetColor(sel ? FColorSelected : FColorCover);
    c.FillRect(r);
    const TRect inner(r.Left + FSlideMargin, r.Top + FSlideMargin, r.Right - FSlideMargin, r.Bottom - FSlideMargin);
    c.Brush().SetColor(FColorCover);
    c.FillRect(inner);
    if (proc == irpShowSlide && !img.Empty()) {
      // Scaled to fit the slide, keeping its proportions, centred.
      const double s = std::min(static_cast<double>(inner.Width()) / img.Width(),
                                static_cast<double>(inner.Height()) / img.Height());
      const int w = std::max(1, static_cast<int>(std::lround(img.Width() * s)));
      const int h = std::max(1, static_cast<int>(std::lround(img.Height() * s)));
      const int x = inner.Left + (inner.Width() - w) / 2, y = inner.Top + (inner.Height() - h) / 2;
      c.SetStretchBltMode(FAntiAlias ? HALFTONE : COLORONCOLOR);
      c.StretchDraw(Bounds(x, y, w, h), img);
      c.SetStretchBltMode(COLORONCOLOR);
    } else if (proc == irpShowEmpty) {
      const std::string num = std::to_string(Index);
      c.Font().Assign(Font());
      c.Font().SetColor(FColorMark);
      c.Brush().SetStyle(bsClear);
      const TSize sz = c.TextExtent(num);
      c.TextOut(inner.Left + (inner.Width() - sz.cx) / 2, inner.Top + (inner.Height() - sz.cy) / 2, num);
      c.Brush().SetStyle(bsSolid);
    }
  }
  DrawSchemeFrame(c, FInnerFrameStyle, FColorScheme, r.Left, r.Top, r.Right - 1, r.Bottom - 1);
  if (Index == FFocusedSlide) {
    c.Pen().SetColor(FColorFocus);
    c.Pen().SetWidth(FFocusLinewidth);
    c.Pen().SetStyle(psInsideFrame);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(r.Left - FFocusLinewidth - 1, r.Top - FFocusLinewidth - 1, r.Right + FFocusLinewidth + 1,
                r.Bottom + FFocusLinewidth + 1);
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);
    c.Brush().SetStyle(bsSolid);
  }
  if (auto handler = OnSlideRendered) handler(this, Index);
}

void TThumbnails::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorBackGnd);
  c.FillRect(Rect(0, 0, w, h));
  const int fw = FrameWidth(FOuterFrameStyle);
  c.SetClipRect(Rect(fw, fw, w - fw, h - fw));
  bool first = true;
  for (int ix = FirstVisible(); ix <= FMax; ++ix) {
    const TRect r = SlideRect(ix);
    if (r.IsEmpty()) break;
    if (first) {
      if (auto handler = OnFirstImageRequest) handler(this);
      first = false;
    }
    DrawSlide(c, ix, r);
  }
  if (!first)
    if (auto handler = OnLastImageRequest) handler(this);
  c.ResetClip();
  DrawSchemeFrame(c, FOuterFrameStyle, FColorScheme, 0, 0, w - 1, h - 1);
  TCustomControl::Paint();
}

}  // namespace zol
