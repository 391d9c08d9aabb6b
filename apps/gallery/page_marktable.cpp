// Gallery page: all 256 mark codes in a labelled table; month and weekday
// names in every language.
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/Zol_zolbase.h"

using namespace zol;

ZOL_GALLERY_PAGE("marktable", "Mark codes 0..255 and language tables", 21) {
  constexpr int cell = 44, cols = 16;
  TBitmap bmp(cols * cell + 1, 16 * cell + 1);
  TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(clWhite);
  c.Brush().SetStyle(bsSolid);
  c.FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
  for (int code = 0; code < 256; ++code) {
    const int x0 = (code % cols) * cell, y0 = (code / cols) * cell;
    c.Pen().SetColor(RGB(200, 200, 200));
    c.Brush().SetStyle(bsClear);
    c.Rectangle(x0, y0, x0 + cell + 1, y0 + cell + 1);
    c.Font().SetName("Arial");
    c.Font().SetSize(7);
    c.Font().SetColor(clGray);
    c.TextOut(x0 + 2, y0 + 1, std::to_string(code));
    c.Pen().SetColor(clNavy);
    c.Brush().SetColor(clYellow);
    c.Font().SetSize(10);
    c.Font().SetColor(clNavy);
    DrawMarkOnCanvas(c, static_cast<uint8_t>(code), x0 + cell / 2, y0 + cell / 2 + 5);
  }
  page.AddImage("all", bmp, "DrawMarkOnCanvas for every code, labelled with its number");

  const char* names[] = {"unknown", "English", "German", "French", "Spanish"};
  std::vector<std::vector<std::string>> months{{"language"}}, days{{"language"}};
  for (int m = 1; m <= 12; ++m) months[0].push_back(std::to_string(m));
  for (int d = 1; d <= 7; ++d) days[0].push_back(std::to_string(d));
  for (int lg = 0; lg < NumLanguages; ++lg) {
    std::vector<std::string> rm{names[lg]}, rs{names[lg]}, dm{names[lg]}, ds{names[lg]};
    for (int m = 1; m <= 12; ++m) {
      rm.push_back(MonthLong[lg][m]);
      rs.push_back(MonthShort[lg][m]);
    }
    for (int d = 1; d <= 7; ++d) {
      dm.push_back(WeekDayLong[lg][d]);
      ds.push_back(WeekDayShort[lg][d]);
    }
    months.push_back(rm);
    months.push_back(rs);
    days.push_back(dm);
    days.push_back(ds);
  }
  page.AddHeading("Month names (long and short)");
  page.AddTable(months);
  page.AddHeading("Weekday names, Monday first (long and short)");
  page.AddTable(days);
}
