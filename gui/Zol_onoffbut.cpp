#include "gui/Zol_onoffbut.h"

#include <algorithm>

namespace zol {

TOnOffBut::TOnOffBut(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 40, 40); }

TOnOffBut::~TOnOffBut() = default;

int TOnOffBut::UserSlot(TOnOffButStyle s) {
  if (s == oobsUser) return 0;
  if (s >= oobsUser1 && s <= oobsUser5) return 1 + (s - oobsUser1);
  return -1;
}

void TOnOffBut::SetUserGlyph(TOnOffButStyle Style, const TBitmap& Glyph) {
  const int slot = UserSlot(Style);
  if (slot < 0) return;
  auto& g = FUserGlyphs[static_cast<size_t>(slot)];
  if (!g) g = std::make_unique<TBitmap>();
  g->Assign(Glyph);
  if (Style == FButtonStyle) Invalidate();
}

bool TOnOffBut::LoadUserGlyph(TOnOffButStyle Style, const std::string& FileName) {
  if (UserSlot(Style) < 0) return false;
  TBitmap b;
  if (!b.LoadFromFile(FileName) || b.Empty()) return false;
  SetUserGlyph(Style, b);
  return true;
}

const TBitmap* TOnOffBut::UserGlyph(TOnOffButStyle Style) const {
  const int slot = UserSlot(Style);
  return slot < 0 ? nullptr : FUserGlyphs[static_cast<size_t>(slot)].get();
}

void TOnOffBut::SetOnOff(bool v) {
  if (v == FOnOff) return;
  // A grouped button goes off only through another one going on, unless
  // the group allows all buttons off.
  if (!v && FGroupIndex != 0 && !FAllowAllOff) return;
  FOnOff = v;
  Invalidate();
  if (v && FGroupIndex != 0 && Parent()) {
    TWinControl* p = Parent();
    for (int i = 0; i < p->ControlCount(); ++i) {
      auto* b = dynamic_cast<TOnOffBut*>(p->Controls(i));
      if (b && b != this && b->FGroupIndex == FGroupIndex) b->GroupSwitchedOn(this);
    }
  }
}

void TOnOffBut::GroupSwitchedOn(TOnOffBut* Sender) {
  if (!FOnOff) return;
  FOnOff = false;
  FAllowAllOff = Sender->FAllowAllOff;
  Invalidate();
}

void TOnOffBut::SetGroupIndex(int v) { FGroupIndex = std::max(v, 0); }
void TOnOffBut::SetLeftSpace(int v) { StoreAndRepaint(FLeftSpace, std::clamp(v, 0, 10000)); }
void TOnOffBut::SetTopSpace(int v) { StoreAndRepaint(FTopSpace, std::clamp(v, 0, 10000)); }

void TOnOffBut::Toggle() { SetOnOff(!FOnOff); }

void TOnOffBut::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FPressed = true;
  if (FMouseAction == oomaPlain) Invalidate();
  if (FMode == oobmSpeedBut) Toggle();
}

void TOnOffBut::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    FPressed = false;
    if (FMouseAction == oomaPlain) Invalidate();
    if (FMode == oobmNormalBut && PtInRect(ClientRect(), Point(X, Y))) Toggle();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TOnOffBut::MouseEnter() {
  FHot = true;
  if (FMouseAction == oomaFocused) Invalidate();
  TGraphicControl::MouseEnter();
}

void TOnOffBut::MouseLeave() {
  FHot = false;
  if (FMouseAction == oomaFocused) Invalidate();
  TGraphicControl::MouseLeave();
}

TSize TOnOffBut::GlyphSize() const {
  switch (FButtonStyle) {
    case oobsCheckbox: case oobsRadioBut: return TSize(13, 13);
    case oobsSlideTB: case oobsColSlideTB: return TSize(14, 28);
    case oobsSlideLR: case oobsColSlideLR: return TSize(28, 14);
    case oobsLedRedGreen: case oobsBeveledLed: return TSize(16, 16);
    case oobsArrowTopRgt: case oobsArrowUpDown: case oobsArrowLeftRight: return TSize(16, 16);
    case oobsTrafficLPed: return TSize(16, 32);
    case oobsSmileyYellow: case oobsSmileyRedGrn: return TSize(21, 21);
    case oobsBulb: return TSize(18, 26);
    case oobsButLamp: return TSize(22, 22);
    case oobsHDLeft: case oobsHDRight: return TSize(32, 16);
    default: {
      const TBitmap* g = UserGlyph(FButtonStyle);
      if (!g || g->Empty()) return TSize(0, 0);
      return TSize(g->Width() / 2, g->Height());
    }
  }
}

TRect TOnOffBut::GlyphRect() const {
  const TSize g = GlyphSize();
  const int x = FAutoCenter ? (Width() - g.cx) / 2 : FLeftSpace;
  const int y = FAutoCenter ? (Height() - g.cy) / 2 : FTopSpace;
  return Bounds(x, y, g.cx, g.cy);
}

namespace {

void Knob(TCanvas& c, int x, int y, int w, int h, TColorScheme cs) {
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(cs == csSystem ? clBtnFace : clSilver);
  c.FillRect(Bounds(x, y, w, h));
  DrawSchemeFrame(c, fsRaised, cs, x, y, x + w - 1, y + h - 1);
}

void Shape(TCanvas& c, TColor pen, TColor brush) {
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(pen);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(brush);
}

// An arrow in a 16 × 16 box pointing up, turned by quarter turns (0 up, 1 left, 2 down, 3 right).
void Arrow(TCanvas& c, int x, int y, int turn, TColor col) {
  const int px[7] = {8, 15, 11, 11, 5, 5, 1};
  const int py[7] = {1, 8, 8, 15, 15, 8, 8};
  std::vector<TPoint> p;
  for (int i = 0; i < 7; ++i) {
    int u = px[i], v = py[i];
    for (int t = 0; t < turn; ++t) {  // quarter turn counter-clockwise on the screen about (8, 8)
      const int nu = v, nv = 16 - u;
      u = nu;
      v = nv;
    }
    p.emplace_back(x + u, y + v);
  }
  Shape(c, col, col);
  c.Polygon(p);
}

}  // namespace

void TOnOffBut::DrawGlyph(TCanvas& c, const TRect& r) {
  const int x = r.Left, y = r.Top;
  const bool on = FOnOff;
  switch (FButtonStyle) {
    case oobsCheckbox:
      Shape(c, clGray, clWhite);
      c.Rectangle(x, y, x + 13, y + 13);
      if (on) {
        c.Pen().SetColor(clBlack);
        for (int d = 0; d < 2; ++d) {
          c.MoveTo(x + 3, y + 5 + d);
          c.LineTo(x + 5, y + 7 + d);
          c.LineTo(x + 10, y + 2 + d);
        }
      }
      break;
    case oobsRadioBut:
      Shape(c, clGray, clWhite);
      c.Ellipse(x, y, x + 13, y + 13);
      if (on) {
        Shape(c, clBlack, clBlack);
        c.Ellipse(x + 4, y + 4, x + 9, y + 9);
      }
      break;
    case oobsSlideTB: case oobsColSlideTB: case oobsSlideLR: case oobsColSlideLR: {
      const bool col = FButtonStyle == oobsColSlideTB || FButtonStyle == oobsColSlideLR;
      const bool tb = FButtonStyle == oobsSlideTB || FButtonStyle == oobsColSlideTB;
      Shape(c, clGray, col ? (on ? clLime : clRed) : clGray);
      c.Rectangle(x, y, r.Right, r.Bottom);
      if (tb) Knob(c, x, on ? y : y + 14, 14, 14, FColorScheme);
      else Knob(c, on ? x + 14 : x, y, 14, 14, FColorScheme);
      break;
    }
    case oobsLedRedGreen:
      Shape(c, clBlack, on ? clLime : clRed);
      c.Ellipse(x, y, x + 16, y + 16);
      Shape(c, clWhite, clWhite);
      c.Ellipse(x + 4, y + 4, x + 7, y + 7);
      break;
    case oobsBeveledLed:
      Knob(c, x, y, 16, 16, FColorScheme);
      Shape(c, clBlack, on ? clLime : RGB(0, 96, 0));
      c.Rectangle(x + 3, y + 3, x + 13, y + 13);
      break;
    case oobsArrowTopRgt: Arrow(c, x, y, on ? 0 : 3, on ? clGreen : clMaroon); break;
    case oobsArrowUpDown: Arrow(c, x, y, on ? 0 : 2, on ? clGreen : clMaroon); break;
    case oobsArrowLeftRight: Arrow(c, x, y, on ? 3 : 1, on ? clGreen : clMaroon); break;
    case oobsTrafficLPed:
      Shape(c, clBlack, RGB(40, 40, 40));
      c.Rectangle(x, y, x + 16, y + 32);
      Shape(c, clBlack, on ? RGB(80, 0, 0) : clRed);
      c.Ellipse(x + 2, y + 2, x + 14, y + 14);
      Shape(c, clBlack, on ? clLime : RGB(0, 80, 0));
      c.Ellipse(x + 2, y + 18, x + 14, y + 30);
      break;
    case oobsSmileyYellow: case oobsSmileyRedGrn: {
      const TColor face = FButtonStyle == oobsSmileyYellow ? clYellow : (on ? clLime : clRed);
      Shape(c, clBlack, face);
      c.Ellipse(x, y, x + 21, y + 21);
      Shape(c, clBlack, clBlack);
      c.FillRect(Bounds(x + 6, y + 6, 2, 3));
      c.FillRect(Bounds(x + 13, y + 6, 2, 3));
      if (on) c.Arc(x + 5, y + 6, x + 16, y + 16, x + 5, y + 11, x + 16, y + 11);
      else c.Arc(x + 5, y + 12, x + 16, y + 20, x + 16, y + 16, x + 5, y + 16);
      break;
    }
    case oobsBulb:
      Shape(c, clGray, on ? clYellow : clSilver);
      c.Ellipse(x + 1, y, x + 17, y + 17);
      Shape(c, clBlack, clGray);
      c.Rectangle(x + 5, y + 17, x + 13, y + 25);
      c.MoveTo(x + 5, y + 20);
      c.LineTo(x + 13, y + 20);
      c.MoveTo(x + 5, y + 22);
      c.LineTo(x + 13, y + 22);
      break;
    case oobsButLamp:
      Shape(c, clBlack, FColorScheme == csSystem ? clBtnFace : clSilver);
      c.FillRect(Bounds(x, y, 22, 22));
      DrawSchemeFrame(c, on ? fsLowered : fsRaised, FColorScheme, x, y, x + 21, y + 21);
      Shape(c, clBlack, on ? clRed : clMaroon);
      c.Ellipse(x + 5, y + 5, x + 17, y + 17);
      break;
    case oobsHDLeft: case oobsHDRight: {
      Shape(c, clGray, clGray);
      c.FillRect(Bounds(x, y, 32, 16));
      DrawSchemeFrame(c, fsLowered, FColorScheme, x, y, x + 31, y + 15);
      // The handle sits at the named side when the button is on.
      const bool left = (FButtonStyle == oobsHDLeft) == on;
      Knob(c, left ? x + 2 : x + 18, y + 2, 12, 12, FColorScheme);
      break;
    }
    default: {
      const TBitmap* g = UserGlyph(FButtonStyle);
      if (!g || g->Empty()) break;
      const int half = g->Width() / 2;
      c.StretchBitmap(r, *g, Bounds(on ? half : 0, 0, half, g->Height()), cmSrcCopy, true,
                      g->TransparentColor());
      break;
    }
  }
}

void TOnOffBut::Paint() {
  TCanvas& c = Canvas();
  const int w = Width(), h = Height();
  if (!FTransparent) {
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(FColorBackgnd);
    c.FillRect(Rect(0, 0, w, h));
  }
  TRect g = GlyphRect();
  if (FMouseAction == oomaPlain && FPressed) OffsetRect(g, 1, 1);
  DrawGlyph(c, g);
  if (FMouseAction == oomaFocused && FHot) {
    c.Pen().SetStyle(psDot);
    c.Pen().SetColor(FColorText);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(g.Left - 2, g.Top - 2, g.Right + 2, g.Bottom + 2);
    c.Pen().SetStyle(psSolid);
  }
  c.Font().Assign(Font());
  c.Font().SetColor(FColorText);
  c.Brush().SetStyle(bsClear);
  c.SetTextAlign(TA_LEFT | TA_TOP);
  auto vpos = [&](TVerticalAlignment a, int th) {
    return a == vaTop ? g.Top : a == vaBottom ? g.Bottom - th : g.Top + (g.Height() - th) / 2;
  };
  auto hpos = [&](TAlignment a, int tw) {
    return a == taLeftJustify ? g.Left : a == taRightJustify ? g.Right - tw : g.Left + (g.Width() - tw) / 2;
  };
  if (!FLeftText.empty()) {
    const TSize s = c.TextExtent(FLeftText);
    c.TextOut(g.Left - 4 - s.cx, vpos(FLeftTextAlignment, s.cy), FLeftText);
  }
  if (!FRightText.empty()) {
    const TSize s = c.TextExtent(FRightText);
    c.TextOut(g.Right + 4, vpos(FRightTextAlignment, s.cy), FRightText);
  }
  if (!FTopText.empty()) {
    const TSize s = c.TextExtent(FTopText);
    c.TextOut(hpos(FTopTextAlignment, s.cx), g.Top - 4 - s.cy, FTopText);
  }
  if (!FBottomText.empty()) {
    const TSize s = c.TextExtent(FBottomText);
    c.TextOut(hpos(FBottomTextAlignment, s.cx), g.Bottom + 4, FBottomText);
  }
  c.Brush().SetStyle(bsSolid);
  DrawSchemeFrame(c, FFrameStyle, FColorScheme, 0, 0, w - 1, h - 1);
  TGraphicControl::Paint();
}

}  // namespace zol
