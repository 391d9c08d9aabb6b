// Gallery page: the indicator controls in several states — seven-segment
// displays, number labels, on/off buttons in every look, progress bars,
// raster labels, rotated labels, colour and mark selectors, thumbnails,
// repeat buttons and gradient fills.
#include <memory>
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "gui/Zol_colsel.h"
#include "gui/Zol_gradfl.h"
#include "gui/Zol_marksel.h"
#include "gui/Zol_numlab.h"
#include "gui/Zol_onoffbut.h"
#include "gui/Zol_progbar.h"
#include "gui/Zol_rasterlab.h"
#include "gui/Zol_repsbut.h"
#include "gui/Zol_rotlab.h"
#include "gui/Zol_sevenseg.h"
#include "gui/Zol_thumbnails.h"

using namespace zol;

namespace {

constexpr int kW = 960, kH = 900;

struct Caption {
  int x, y;
  std::string text;
};

template <class T>
T* Put(TForm& f, T* c, int x, int y, int w, int h) {
  c->SetParent(&f);
  c->SetBounds(x, y, w, h);
  return c;
}

// Builds the sheet's controls on the form and answers the captions.
std::vector<Caption> Build(TForm& f) {
  std::vector<Caption> cap;
  // Seven-segment displays.
  cap.push_back({10, 8, "TSevenSeg: digits, decimal points, symbols, hexadecimal; both colour schemes"});
  auto* s1 = Put(f, new TSevenSeg(&f), 10, 28, 200, 70);
  s1->SetNumDigits(5);
  s1->SetCaption("-12.34");
  auto* s2 = Put(f, new TSevenSeg(&f), 220, 28, 200, 70);
  s2->SetNumDigits(5);
  s2->SetCaption("12:45");
  s2->SetColorText(clRed);
  s2->SetColorBackGnd(RGB(40, 0, 0));
  s2->SetFrameStyle(fsRaised);
  auto* s3 = Put(f, new TSevenSeg(&f), 430, 28, 240, 70);
  s3->SetNumDigits(6);
  s3->SetCaption("AbCdEF");
  s3->SetColorText(clAqua);
  s3->SetColorBackGnd(clNavy);
  s3->SetColorScheme(csSystem);
  auto* s4 = Put(f, new TSevenSeg(&f), 680, 28, 270, 70);
  s4->SetNumDigits(6);
  s4->SetCaption("+21.5\xC2\xB0" "C");
  s4->SetColorText(clYellow);
  s4->SetFrameStyle(fsSimple);

  // Number labels.
  cap.push_back({10, 108, "TNumLab: float, fixed point, hex, date/time, state, degrees, engineering, overflow"});
  const TDisplay types[] = {dtFloat, dtFixP, dtHex, dtDateTime, dtState, dtDegMinSec, dtEEng, dtFixP};
  const char* names[] = {"float", "fixP", "hex", "date", "state", "dms", "eng", "ovfl"};
  const double values[] = {3.14159265, -2.5, 48879, 45000.5, 1, 47.2625, 0.000123456, 1.5e12};
  for (int i = 0; i < 8; ++i) {
    auto* l = Put(f, new TNumLab(&f), 10 + (i % 4) * 235, 128 + (i / 4) * 26, 225, 22);
    l->SetLeftSpace(50);
    l->SetLabelWidth(150);
    l->SetLeftText(names[i]);
    l->SetDisplayType(types[i]);
    l->SetPrecision(i == 2 ? 6 : 3);
    l->SetStateText({"off", "running", "fault"});
    l->SetForcePlusSign(i == 6);
    l->SetComma(i == 1);
    l->SetValue(values[i]);
    if (i % 2) l->SetColorScheme(csSystem);
  }

  // On/off buttons in every look, off and on.
  cap.push_back({10, 186, "TOnOffBut: every look, off (upper row) and on (lower row)"});
  for (int s = oobsCheckbox; s <= oobsHDRight; ++s)
    for (int on = 0; on < 2; ++on) {
      auto* b = Put(f, new TOnOffBut(&f), 10 + (s - 1) * 52, 206 + on * 44, 48, 40);
      b->SetButtonStyle(static_cast<TOnOffButStyle>(s));
      b->SetOnOff(on == 1);
      b->SetColorBackgnd(clWhite);
      b->SetFrameStyle(fsSimple);
    }
  auto* bt = Put(f, new TOnOffBut(&f), 10, 296, 200, 60);
  bt->SetButtonStyle(oobsLedRedGreen);
  bt->SetOnOff(true);
  bt->SetLeftText("left");
  bt->SetRightText("right");
  bt->SetTopText("top");
  bt->SetBottomText("bottom");
  bt->SetFrameStyle(fsLowered);

  // Progress bars.
  cap.push_back({230, 296, "TProgBar: plain, gradients (cover, stretch, move), grid, vertical, empty range"});
  const TColorMapping modes[] = {cgmCover, cgmStretch, cgmMove};
  for (int i = 0; i < 4; ++i) {
    auto* p = Put(f, new TProgBar(&f), 230, 316 + i * 32, 300, 28);
    p->SetValue(25 + i * 20);
    if (i > 0) {
      p->SetShowColorGradient(true);
      p->SetColorMapMode(modes[i - 1]);
    }
    if (i == 3) {
      p->SetGridDist(20);
      p->SetColorScheme(csSystem);
    }
  }
  auto* pv = Put(f, new TProgBar(&f), 540, 316, 28, 124);
  pv->SetDirection(dirUpward);
  pv->SetValue(70);
  pv->SetShowColorGradient(true);
  pv->SetColorMin(clLime);
  pv->SetColorMax(clRed);
  pv->SetTextVisible(false);
  auto* pe = Put(f, new TProgBar(&f), 580, 316, 28, 124);
  pe->SetDirection(dirDownward);
  pe->SetMin(5);
  pe->SetMax(5);
  pe->SetTextVisible(false);

  // Raster labels.
  cap.push_back({10, 450, "TRasterLab: built-in dot font, proportional, raster blocks, a rasterised font"});
  auto* r1 = Put(f, new TRasterLab(&f), 10, 470, 460, 40);
  r1->SetText("ZOL 12:34 ABC xyz");
  auto* r2 = Put(f, new TRasterLab(&f), 480, 470, 470, 40);
  r2->SetText("Proportional iIlW");
  r2->SetProportional(true);
  r2->SetCharBlockMode(rdbmRaster);
  r2->SetColorDotOn(clYellow);
  r2->SetColorDotOff(RGB(60, 60, 0));
  auto* r3 = Put(f, new TRasterLab(&f), 10, 515, 940, 70);
  r3->Font().SetName("Liberation Sans");
  r3->Font().SetHeight(-14);
  r3->SetDotSpacing(3);
  r3->SetDotSize(2);
  r3->SetText("Liberation Sans, rasterised, proportional");
  r3->SetProportional(true);
  r3->SetColorDotOn(clRed);
  r3->SetColorDotOff(RGB(50, 0, 0));
  r3->SetCharBlockMode(rdbmOn);

  // Rotated labels.
  cap.push_back({10, 594, "TRotLab"});
  const int angles[] = {0, 30, 90, 200};
  for (int i = 0; i < 4; ++i) {
    auto* l = Put(f, new TRotLab(&f), 10 + i * 95, 614, 90, 90);
    l->SetCaption("Angle " + std::to_string(angles[i]));
    l->SetTextAngle(angles[i]);
    l->SetFrameStyle(fsLowered);
    l->SetAntiAlias(i != 3);
    l->Font().SetHeight(-14);
  }

  // Colour and mark selectors.
  cap.push_back({400, 594, "TColSel, TMarkSel"});
  auto* cs = Put(f, new TColSel(&f), 400, 614, 160, 22);
  cs->SetSelColor(clTeal);
  auto* ms = Put(f, new TMarkSel(&f), 570, 614, 164, 144);
  ms->SetSelected(24);

  // Repeat buttons.
  auto* rb = Put(f, new TRepSpeedButton(&f), 400, 646, 30, 26);
  rb->SetCaption("+");
  auto* rb2 = Put(f, new TRepSpeedButton(&f), 434, 646, 30, 26);
  rb2->SetCaption("-");
  rb2->SetFlat(true);

  // Gradient fills.
  cap.push_back({745, 594, "TGradFill"});
  const TGradType gt[] = {gtHoriz, gtVert, gtMidBandHoriz, gtMidBandVert};
  for (int i = 0; i < 4; ++i) {
    auto* g = Put(f, new TGradFill(&f), 745 + (i % 2) * 105, 614 + (i / 2) * 75, 100, 70);
    g->SetFillType(gt[i]);
    g->SetNrColors(i < 2 ? 4 : 16);
    g->SetColorFirst(i % 2 ? clBlack : clNavy);
    g->SetColorLast(i % 2 ? clWhite : clYellow);
    g->SetGridMode(i == 0 ? gmBoth : gmNone);
  }

  // Thumbnails.
  cap.push_back({10, 712, "TThumbnails: images on request, selection, focus, frame-only and empty slides"});
  auto* t = Put(f, new TThumbnails(&f), 10, 732, 940, 160);
  t->SetMax(40);
  t->SetSlideSize(64);
  t->SetFirstThumbIx(3.25);
  t->SetSlideSelectMode(ssmMultiple);
  t->SetSelectedSlide(5, true);
  t->SetSelectedSlide(7, true);
  t->SetFocusedSlide(6);
  t->OnImageRequest = [](TObject*, int i, TBitmap& b, TImageRequestProcessing& p) {
    if (i % 5 == 0) {
      p = irpShowFrameOnly;
      return;
    }
    if (i % 4 == 0) return;  // empty slide with its number
    b.SetSize(80, 50 + (i % 3) * 15);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(RGB((i * 53) % 256, (i * 97) % 256, (i * 151) % 256));
    c.FillRect(Rect(0, 0, b.Width(), b.Height()));
    c.Brush().SetColor(clWhite);
    c.Pen().SetColor(clBlack);
    c.Ellipse(20, 10, 60, b.Height() - 10);
    p = irpShowSlide;
  };
  return cap;
}

void DrawSheet(TCanvas& c, TForm& f, const std::vector<Caption>& cap) {
  f.PaintTo(c, 0, 0);
  c.Font().SetName("Arial");
  c.Font().SetHeight(-12);
  c.Font().SetStyle({fsBold});
  c.Font().SetColor(clBlack);
  c.Brush().SetStyle(bsClear);
  c.SetTextAlign(TA_LEFT | TA_TOP);
  for (const Caption& k : cap) c.TextOut(k.x, k.y, k.text);
  c.Brush().SetStyle(bsSolid);
}

}  // namespace

ZOL_GALLERY_PAGE("indicators", "Indicator controls", 420) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, kW, kH);
  form->SetColor(clWhite);
  form->Show();
  const std::vector<Caption> cap = Build(*form);
  Application()->ProcessMessages();

  TBitmap bmp(kW, kH);
  DrawSheet(bmp.Canvas(), *form, cap);
  page.AddImage("sheet", bmp, "The indicator controls in several states");

  TMetafile mf;
  mf.SetSize(kW, kH);
  {
    TMetafileCanvas mc(mf);
    DrawSheet(mc, *form, cap);
  }
  mf.SaveToFile(page.FilePath("sheet.svg"));
  page.AddLink("sheet.svg", "The sheet as SVG (recorded through the metafile canvas)");

  TPrinter& prn = Printer();
  prn.SetPixelsPerInch(96);
  prn.SetPaperSizeMM(kW * 25.4 / 96, kH * 25.4 / 96);
  prn.SetTitle("Indicator controls");
  prn.SetOutputFile(page.FilePath("sheet.pdf"));
  prn.BeginDoc();
  DrawSheet(prn.Canvas(), *form, cap);
  prn.EndDoc();
  page.AddLink("sheet.pdf", "The sheet as a one-page PDF (printed through the printer canvas)");
}
