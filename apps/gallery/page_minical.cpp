// Gallery page: the mini calendar of one month in each language, with the
// built-in holidays, the movable feasts and a holiday added by the program.
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "gui/Zol_minical.h"

using namespace zol;

namespace {

constexpr int CalW = 300, CalH = 180, Gap = 24;

void DrawCalendars(TCanvas& c, int year, int month) {
  const TLanguage langs[4] = {lgEnglish, lgGerman, lgFrench, lgSpanish};
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, 2 * (CalW + Gap), 2 * (CalH + Gap)));
  for (int i = 0; i < 4; ++i) {
    TMiniCal cal(nullptr);
    cal.SetBounds(0, 0, CalW, CalH);
    cal.SetLanguage(langs[i]);
    cal.AddRepeatHoliday(14, month, "Program's own holiday");
    if (i == 2) cal.SetFirstDayOfWeek(dwSun);
    cal.SetDate(EncodeDate(year, month, 9));
    if (i == 3) cal.SetShowMonthShort(false);
    const int x = (i % 2) * (CalW + Gap), y = (i / 2) * (CalH + Gap);
    c.Font().SetColor(clGray);
    c.Brush().SetStyle(bsClear);
    c.TextOut(x, y + 2, std::string(xmlLanguage[langs[i]]) + (i == 2 ? ", weeks from Sunday" : ""));
    c.Brush().SetStyle(bsSolid);
    TMetafile mf;
    mf.SetSize(CalW, CalH);
    {
      TMetafileCanvas mc(mf);
      cal.Render(mc);
    }
    c.Draw(x, y + 18, mf);
  }
}

}  // namespace

ZOL_GALLERY_PAGE("minical", "Mini calendar", 420) {
  // May holds Labour Day and, most years, Ascension, Pentecost and Corpus Christi.
  int y, m, d;
  DecodeDate(Date(), y, m, d);
  const int w = 2 * (CalW + Gap), h = 2 * (CalH + Gap);
  for (int month : {m, 5}) {
    const std::string stem = month == m ? "current" : "may";
    page.AddHeading(month == m ? "The current month in four languages" : "May of this year");
    page.AddText("Holidays (built-in, movable feasts computed from Easter, and one the program added on the "
                 "14th) on the holiday colours; the selected 9th; today circled; ISO week numbers at the left.");
    TBitmap bmp(w, h);
    DrawCalendars(bmp.Canvas(), y, month);
    page.AddImage(stem, bmp, "Mini calendars");
    if (month != m) continue;
    TMetafile mf;
    mf.SetSize(w, h);
    {
      TMetafileCanvas mc(mf);
      DrawCalendars(mc, y, month);
    }
    mf.SaveToFile(page.FilePath(stem + ".svg"));
    page.AddLink(stem + ".svg", "As SVG");
    TPrinter& prn = Printer();
    prn.SetPixelsPerInch(96);
    prn.SetPaperSizeMM(w * 25.4 / 96, h * 25.4 / 96);
    prn.SetTitle("Mini calendar");
    prn.SetOutputFile(page.FilePath(stem + ".pdf"));
    prn.BeginDoc();
    DrawCalendars(prn.Canvas(), y, month);
    prn.EndDoc();
    page.AddLink(stem + ".pdf", "As PDF");
  }
}
