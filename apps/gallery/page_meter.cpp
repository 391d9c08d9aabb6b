// Gallery page: a panel of meters (linear, logarithmic, two needles, range
// bands, lamps, every layout) and numeric fields in every input format.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "gui/Zol_meter.h"
#include "gui/Zol_numio.h"


using namespace zol;

namespace {

constexpr int CellW = 300, CellH = 215, Cols = 3;

// The meters of the panel, configured one by one.
std::vector<std::function<void(TMeter&)>> MeterSetups() {
  return {
      [](TMeter& m) {
        m.SetCaption("Linear, 90°");
        m.SetUnitLabel("bar");
        m.SetMeterMaxValue(10);
        m.SetMeterNrTicks(6);
        m.SetValue(6.2);
      },
      [](TMeter& m) {
        m.SetCaption("Bands and lamps");
        m.SetMeterLayout(mlCirc120);
        m.SetMeterMinValue(-20);
        m.SetMeterMaxValue(120);
        m.SetMeterNrTicks(8);
        m.SetMeterDecPlaces(0);
        m.SetThresholdLow(10);
        m.SetThresholdHigh(90);
        m.SetScaleBkVisible(true);
        m.SetScaleBkWidth(12);
        m.SetValue(104);
        m.SetUnitLabel("°C");
      },
      [](TMeter& m) {
        m.SetCaption("Logarithmic");
        m.SetMeterLayout(mlCirc180);
        m.SetMeterMinValue(0.1);
        m.SetMeterMaxValue(1000);
        m.SetLogarithmic(true);
        m.SetMeterDecPlaces(1);
        m.SetValue(31.6);
        m.SetUnitLabel("Hz");
      },
      [](TMeter& m) {
        m.SetCaption("Two needles");
        m.SetMeterLayout(mlCirc270);
        m.SetMeterMaxValue(100);
        m.SetMeterNrTicks(11);
        m.SetMeterDecPlaces(0);
        m.NeedleLayoutSec().SetVisible(true);
        m.NeedleLayoutSec().SetColorBody(clRed);
        m.NeedleLayoutSec().SetPercentNeedleLength(70);
        m.NeedleLayout().SetThickness(4);
        m.NeedleLayout().SetShadowDx(-3);
        m.NeedleLayout().SetShadowDy(-3);
        m.SetValue(72);
        m.SetValueSec(35);
        m.SetAnchorSize(14);
      },
      [](TMeter& m) {
        m.SetCaption("300°, low alarm");
        m.SetMeterLayout(mlCirc300);
        m.SetMeterMaxValue(8);
        m.SetMeterNrTicks(5);
        m.SetMeterDecPlaces(0);
        m.SetThresholdLow(2);
        m.SetThresholdHigh(6);
        m.SetScaleBkVisible(true);
        m.SetScaleBkWidth(100);
        m.SetValue(1.2);
        m.SetColorScheme(csSystem);
        m.SetFrameStyle(fsLowered);
        m.SetAnchorSize(10);
      },
      [](TMeter& m) {
        m.SetCaption("360°, compass");
        m.SetMeterLayout(mlCirc360);
        m.SetMeterMaxValue(360);
        m.SetMeterNrTicks(9);
        m.SetMeterDecPlaces(0);
        m.SetMeterShortTicks(false);
        // North is 0: the label of 360 would print over it.
        m.OnBeforeDrawScaleLabel = [](TObject*, TCanvas&, int, int, std::string& s) {
          if (s == "360") s.clear();
        };
        m.SetValue(225);
        m.SetLimWatchLowOn(false);
        m.SetLimWatchHighOn(false);
        m.SetColorBakG(0xE0F0FF);
        m.SetAnchorSize(8);
        m.NeedleLayout().SetColorBody(clNavy);
      },
  };
}

void DrawPanel(TCanvas& c, bool raster) {
  const auto setups = MeterSetups();
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, Cols * CellW, 2 * CellH));
  for (size_t i = 0; i < setups.size(); ++i) {
    TMeter m(nullptr);
    m.SetBounds(0, 0, CellW - 3, CellH - 6);
    setups[i](m);
    const int x = static_cast<int>(i % Cols) * CellW, y = static_cast<int>(i / Cols) * CellH;
    if (raster) {
      auto b = m.PaintToBitmap();
      c.Draw(x, y, *b);
    } else {
      TMetafile mf;
      mf.SetSize(m.Width(), m.Height());
      {
        TMetafileCanvas mc(mf);
        m.Render(mc);
      }
      c.Draw(x, y, mf);
    }
  }
}

// The drawing as SVG (through the metafile canvas) and as a one-page PDF
// (through the printer canvas), with links on the page.
void AddVectorCopies(gallery::GalleryPage& page, const std::string& stem, const std::string& title, int w, int h,
                     const std::function<void(TCanvas&)>& draw) {
  TMetafile mf;
  mf.SetSize(w, h);
  {
    TMetafileCanvas mc(mf);
    draw(mc);
  }
  mf.SaveToFile(page.FilePath(stem + ".svg"));
  page.AddLink(stem + ".svg", title + " as SVG (recorded through the metafile canvas)");
  TPrinter& prn = Printer();
  prn.SetPixelsPerInch(96);
  prn.SetPaperSizeMM(w * 25.4 / 96, h * 25.4 / 96);
  prn.SetTitle(title);
  prn.SetOutputFile(page.FilePath(stem + ".pdf"));
  prn.BeginDoc();
  draw(prn.Canvas());
  prn.EndDoc();
  page.AddLink(stem + ".pdf", title + " as a one-page PDF (printed through the printer canvas)");
}

// One numeric field per input format, and a few in special states.
struct FieldSetup {
  const char* Title;
  std::function<void(TNumIO2&)> Setup;
};

std::vector<FieldSetup> FieldSetups() {
  return {
      {"itFloat", [](TNumIO2& n) { n.SetNioValue(3.14159); }},
      {"itExp", [](TNumIO2& n) { n.SetInputFormat(itExp); n.SetRangeLow(-1e6); n.SetNioValue(-1234.5678); }},
      {"itFixPoint, comma", [](TNumIO2& n) { n.SetInputFormat(itFixPoint); n.SetDecPlaceSep(dsComma); n.SetFixPointDecPlaces(3); n.SetNioValue(2.5); }},
      {"itInt", [](TNumIO2& n) { n.SetInputFormat(itInt); n.SetRangeHigh(1e6); n.SetNioValue(4711); }},
      {"itHex", [](TNumIO2& n) { n.SetInputFormat(itHex); n.SetRangeHigh(1e9); n.SetNioValue(48879); }},
      {"itOct", [](TNumIO2& n) { n.SetInputFormat(itOct); n.SetNioValue(64); }},
      {"itBin", [](TNumIO2& n) { n.SetInputFormat(itBin); n.SetTextBoxWidth(230); n.SetNioValue(85); }},
      {"itDynamic", [](TNumIO2& n) { n.SetInputFormat(itDynamic); n.SetText("$1F"); }},
      {"spin buttons, units", [](TNumIO2& n) { n.SetButVisible(true); n.SetRightText("kg"); n.SetNioValue(12.5); }},
      {"out of range 10..20", [](TNumIO2& n) { n.SetRangeLow(10); n.SetRangeHigh(20); n.SetNioValue(25); }},
      {"gauge", [](TNumIO2& n) { n.SetHeight(40); n.SetGaugeVisible(true); n.SetNioValue(62.5); }},
      {"framed, system colours", [](TNumIO2& n) { n.SetFrameStyle(fsRaised); n.SetColorScheme(csSystem); n.SetAlignment(taLeftJustify); n.SetNioValue(0.5); }},
  };
}

constexpr int FieldW = 300, FieldRowH = 58;

void DrawFields(TCanvas& c) {
  const auto setups = FieldSetups();
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, 2 * FieldW, FieldRowH * static_cast<int>((setups.size() + 1) / 2)));
  for (size_t i = 0; i < setups.size(); ++i) {
    TNumIO2 n(nullptr);
    n.SetBounds(0, 0, FieldW - 10, 28);
    n.SetLeftText("x =");
    setups[i].Setup(n);
    const int x = static_cast<int>(i % 2) * FieldW, y = static_cast<int>(i / 2) * FieldRowH;
    c.Font().SetColor(clGray);
    c.Brush().SetStyle(bsClear);
    c.TextOut(x + 4, y, setups[i].Title);
    c.Brush().SetStyle(bsSolid);
    TMetafile mf;
    mf.SetSize(n.Width(), n.Height());
    {
      TMetafileCanvas mc(mf);
      n.Render(mc);
    }
    c.Draw(x, y + 14, mf);
  }
}

// TNumIO, the edit field, in every format (a picture of the platform edit).
void AddEditSection(gallery::GalleryPage& page) {
  const TInFormat formats[8] = {itExp, itFloat, itFixPoint, itInt, itHex, itOct, itBin, itDynamic};
  const char* names[8] = {"itExp", "itFloat", "itFixPoint", "itInt", "itHex", "itOct", "itBin", "itDynamic"};
  TBitmap sheet(2 * FieldW, 4 * 44);
  sheet.Canvas().Brush().SetColor(clWhite);
  sheet.Canvas().FillRect(Rect(0, 0, sheet.Width(), sheet.Height()));
  for (int i = 0; i < 8; ++i) {
    TNumIO e(nullptr);
    e.SetBounds(0, 0, formats[i] == itBin ? 280 : 160, 24);
    e.SetInputFormat(formats[i]);
    e.SetLabValue(formats[i] == itDynamic ? 31 : 42.125);
    if (i == 7) e.SetText("$1F");
    auto b = e.PaintToBitmap();
    const int x = (i % 2) * FieldW, y = (i / 2) * 44;
    sheet.Canvas().Font().SetColor(clGray);
    sheet.Canvas().Brush().SetStyle(bsClear);
    sheet.Canvas().TextOut(x + 4, y, names[i]);
    sheet.Canvas().Brush().SetStyle(bsSolid);
    sheet.Canvas().Draw(x, y + 15, *b);
  }
  page.AddHeading("Edit fields");
  page.AddText("TNumIO, the platform edit field that accepts numbers only, showing 42.125 (31 in itDynamic) "
               "in every input format.");
  page.AddImage("edits", sheet, "TNumIO in every input format");
}

void AddNumIOSection(gallery::GalleryPage& page) {
  page.AddHeading("Numeric fields");
  page.AddText("TNumIO2 in every input format; spin buttons with a unit text; the warning colours of a "
               "value out of range; the gauge showing the value within the range.");
  const int h = FieldRowH * static_cast<int>((FieldSetups().size() + 1) / 2);
  TBitmap bmp(2 * FieldW, h);
  DrawFields(bmp.Canvas());
  page.AddImage("fields", bmp, "Numeric fields");
  AddVectorCopies(page, "fields", "The fields", 2 * FieldW, h, [](TCanvas& c) { DrawFields(c); });
}

}  // namespace

ZOL_GALLERY_PAGE("meter", "Meters and numeric fields", 410) {
  page.AddHeading("Meters");
  page.AddText("Every layout from 90 to 360 degrees; linear and logarithmic scales; range bands of "
               "different widths; a secondary needle and a needle shadow; the low and high lamps light "
               "when the value reaches a threshold.");
  const int w = Cols * CellW, h = 2 * CellH;
  TBitmap bmp(w, h);
  DrawPanel(bmp.Canvas(), true);
  page.AddImage("panel", bmp, "A panel of meters");

  AddVectorCopies(page, "panel", "The panel", w, h, [](TCanvas& c) { DrawPanel(c, false); });

  AddNumIOSection(page);
  AddEditSection(page);
}
