// Mini calendar: Easter and ISO weeks against Python references, holidays,
// the month layout, navigation by mouse and keyboard, and the cell colours.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "base/Zol_zolcolors.h"
#include "base/platform/Zol_forms.h"
#include "gui/Zol_minical.h"

using namespace zol;

namespace {

class MiniCal : public ::testing::Test {
 protected:
  void SetUp() override { Application()->ResetHeadless(); }
  void TearDown() override { Application()->ResetHeadless(); }
};

std::string Data(const std::string& name) { return std::string(ZOL_TEST_SRC_DIR) + "/data/" + name; }

}  // namespace

// ---------------------------------------------------------------- Easter and weeks
TEST(Easter, MatchesDateutilForEveryAcceptedYear) {
  std::ifstream f(Data("easter_ref.txt"));
  ASSERT_TRUE(f.good());
  int y, m, d, n = 0;
  while (f >> y >> m >> d) {
    int day = -1, month = -1;
    CalcEasterSunday(y, day, month);
    ASSERT_EQ(month, m) << y;
    ASSERT_EQ(day, d) << y;
    ++n;
  }
  EXPECT_EQ(n, 9999);
}

TEST(Easter, PublishedDatesAndRefusedYears) {
  const int cases[][3] = {{2000, 4, 23}, {2008, 3, 23}, {2038, 4, 25}, {1818, 3, 22},
                          {2019, 4, 21}, {2024, 3, 31}, {2025, 4, 20}, {1954, 4, 18}};
  for (const auto& c : cases) {
    int d, m;
    CalcEasterSunday(c[0], d, m);
    EXPECT_EQ(m, c[1]) << c[0];
    EXPECT_EQ(d, c[2]) << c[0];
  }
  for (int y : {0, -5, 10000, 2147483647, -2147483647 - 1}) {
    int d = 7, m = 7;
    CalcEasterSunday(y, d, m);
    EXPECT_EQ(d, 0) << y;
    EXPECT_EQ(m, 0) << y;
  }
}

TEST(Easter, IsoWeekNumbersMatchPython) {
  std::ifstream f(Data("minical_isoweek.txt"));
  ASSERT_TRUE(f.good());
  int y, m, d, w, n = 0;
  while (f >> y >> m >> d >> w) {
    ASSERT_EQ(ISOWeekNumber(y, m, d), w) << y << "-" << m << "-" << d;
    ++n;
  }
  EXPECT_GT(n, 2000);
  EXPECT_EQ(ISOWeekNumber(2023, 2, 30), 0);
}

// ---------------------------------------------------------------- holidays
TEST_F(MiniCal, MovableFeastsOf2024) {
  TMiniCal cal(nullptr);
  std::string name;
  EXPECT_TRUE(cal.CheckHoliday(2024, 5, 9, name));
  EXPECT_EQ(name, "Ascension Day");
  EXPECT_TRUE(cal.CheckHoliday(2024, 5, 19, name));
  EXPECT_EQ(name, "Pentecost");
  EXPECT_TRUE(cal.CheckHoliday(2024, 5, 20, name));
  EXPECT_EQ(name, "Whit Monday");
  EXPECT_TRUE(cal.CheckHoliday(2024, 5, 30, name));
  EXPECT_EQ(name, "Corpus Christi");
  EXPECT_TRUE(cal.CheckHoliday(2024, 3, 31, name));
  EXPECT_EQ(name, "Easter Day");
  EXPECT_FALSE(cal.CheckHoliday(2024, 3, 29, name)) << "Good Friday is not listed";
  EXPECT_EQ(name, "");
  EXPECT_TRUE(cal.CheckHoliday(2024, 4, 1, name));
  EXPECT_EQ(name, "Easter Monday");
  cal.SetShowMovableHolidays(false);
  EXPECT_FALSE(cal.CheckHoliday(2024, 4, 1, name));
  // A fixed holiday on a movable one's day wins (the list comes first): 1 May 2008 was Ascension.
  cal.SetShowMovableHolidays(true);
  EXPECT_TRUE(cal.CheckHoliday(2008, 5, 1, name));
  EXPECT_EQ(name, "Labor Day");
  cal.SetLanguage(lgGerman);
  EXPECT_TRUE(cal.CheckHoliday(2024, 5, 20, name));
  EXPECT_EQ(name, "Pfingstmontag");
  cal.SetLanguage(lgSpanish);
  EXPECT_TRUE(cal.CheckHoliday(2024, 1, 1, name));
  EXPECT_EQ(name, "Día de Año Nuevo");
}

TEST_F(MiniCal, HolidayListAddRetrieveAndLanguageReset) {
  TMiniCal cal(nullptr);
  EXPECT_EQ(cal.GetNumHolidays(), 8);
  int d, m, y;
  bool rep;
  std::string name;
  ASSERT_TRUE(cal.RetrieveHoliday(1, d, m, y, rep, name));
  EXPECT_EQ(d, 25);
  EXPECT_EQ(m, 12);
  EXPECT_TRUE(rep);
  EXPECT_EQ(name, "Christmas Day");
  EXPECT_FALSE(cal.RetrieveHoliday(0, d, m, y, rep, name));
  EXPECT_FALSE(cal.RetrieveHoliday(9, d, m, y, rep, name));

  cal.AddHoliday(3, 10, 1990, "Unity");
  EXPECT_TRUE(cal.CheckHoliday(1990, 10, 3, name));
  EXPECT_FALSE(cal.CheckHoliday(1991, 10, 3, name));
  cal.AddRepeatHoliday(9, 11, "Every ninth");
  EXPECT_TRUE(cal.CheckHoliday(1700, 11, 9, name));
  EXPECT_TRUE(cal.CheckHoliday(2300, 11, 9, name));
  ASSERT_TRUE(cal.RetrieveHoliday(9, d, m, y, rep, name));
  EXPECT_EQ(y, 1990);
  EXPECT_FALSE(rep);
  cal.AddHoliday(31, 2, 2024, "impossible");  // never matches, never raises
  EXPECT_EQ(cal.GetNumHolidays(), 11);

  cal.AddRepeatHoliday(2, 2, std::string(300, 'x'));  // names hold at most 255 bytes
  ASSERT_TRUE(cal.RetrieveHoliday(12, d, m, y, rep, name));
  EXPECT_EQ(name.size(), 255u);
  cal.AddRepeatHoliday(3, 2, std::string(254, 'x') + "é");  // never a split sequence
  ASSERT_TRUE(cal.RetrieveHoliday(13, d, m, y, rep, name));
  EXPECT_EQ(name.size(), 254u);

  cal.SetLanguage(lgGerman);
  EXPECT_EQ(cal.GetNumHolidays(), 8);
  EXPECT_FALSE(cal.CheckHoliday(1990, 10, 3, name));
  EXPECT_TRUE(cal.CheckHoliday(2000, 1, 6, name));
  EXPECT_EQ(name, "Hl. Drei Könige");
  cal.SetLanguage(lgFrench);
  EXPECT_TRUE(cal.CheckHoliday(2000, 12, 25, name));
  EXPECT_EQ(name, "Noël");
  cal.ClearHolidayList();
  EXPECT_EQ(cal.GetNumHolidays(), 0);
  EXPECT_FALSE(cal.CheckHoliday(2000, 12, 25, name));
}

// ---------------------------------------------------------------- date and layout
TEST_F(MiniCal, DatePartsAndMonthSteps) {
  TMiniCal cal(nullptr);
  int changes = 0;
  cal.OnChange = [&](TObject*) { ++changes; };
  cal.SetDate(EncodeDate(2023, 1, 31) + 0.75);
  EXPECT_EQ(cal.Date(), EncodeDate(2023, 1, 31));
  EXPECT_EQ(changes, 1);
  cal.SetDate(EncodeDate(2023, 1, 31));
  EXPECT_EQ(changes, 1) << "an unchanged date fires nothing";
  cal.NextMonth();
  EXPECT_EQ(cal.Month(), 2);
  EXPECT_EQ(cal.Day(), 28) << "February 2023 has no 31st";
  EXPECT_EQ(cal.LastDayOfMonth(), 28);
  cal.SetYear(2024);
  EXPECT_EQ(cal.LastDayOfMonth(), 29);
  cal.SetDate(EncodeDate(2024, 3, 31));
  cal.PrevMonth();
  EXPECT_EQ(cal.Date(), EncodeDate(2024, 2, 29));
  cal.MonthStep(40);  // from Feb 29 on: April 9 → April, keep 29
  EXPECT_EQ(cal.Date(), EncodeDate(2024, 4, 29));
  cal.MonthStep(-35);  // from April 1 back: February 26 → February 29
  EXPECT_EQ(cal.Date(), EncodeDate(2024, 2, 29));
  cal.NextYear();
  EXPECT_EQ(cal.Date(), EncodeDate(2025, 2, 28));
  cal.PrevYear();
  EXPECT_EQ(cal.Date(), EncodeDate(2024, 2, 28));
  cal.SetMonth(13);
  EXPECT_EQ(cal.Month(), 12);
  cal.SetDay(40);
  EXPECT_EQ(cal.Day(), 31);
  cal.SetDate(EncodeDate(9999, 12, 31));
  cal.NextMonth();  // nothing beyond the year 9999
  EXPECT_EQ(cal.Date(), EncodeDate(9999, 12, 31));
  cal.SetDate(1e300);
  cal.SetDate(-1e300);
  EXPECT_EQ(cal.Date(), EncodeDate(9999, 12, 31));
}

TEST_F(MiniCal, MonthStartingOnFirstDayOfWeek) {
  TMiniCal cal(nullptr);
  cal.SetDate(EncodeDate(2027, 2, 10));  // 1 Feb 2027 is a Monday, 28 days
  int y, m, d;
  bool inactive;
  ASSERT_TRUE(cal.CellDate(1, 2, y, m, d, inactive));
  EXPECT_EQ(d, 1);
  EXPECT_FALSE(inactive);
  ASSERT_TRUE(cal.CellDate(7, 5, y, m, d, inactive));
  EXPECT_EQ(d, 28);
  EXPECT_FALSE(inactive);
  for (int r = 6; r <= 7; ++r)
    for (int c = 1; c <= 7; ++c) {
      ASSERT_TRUE(cal.CellDate(c, r, y, m, d, inactive));
      EXPECT_TRUE(inactive);
      EXPECT_EQ(m, 3);
      EXPECT_EQ(d, c + 7 * (r - 6));
    }
  EXPECT_EQ(cal.SelCol(), 3);  // Wednesday 10th
  EXPECT_EQ(cal.SelRow(), 3);
  // Week numbers of the first day of the month plus 0, 7, … days.
  EXPECT_EQ(cal.CellText(0, 2), "5");
  EXPECT_EQ(cal.CellText(0, 7), "10");
  EXPECT_EQ(cal.CellText(1, 1), "Mon");
  EXPECT_EQ(cal.CellText(0, 1), "#");
  EXPECT_EQ(cal.CellText(4, 0), "Feb 2027");
  EXPECT_EQ(cal.CellText(1, 0), "<<");
  EXPECT_EQ(cal.CellText(7, 0), ">>");

  // Sunday first: 1 Feb 2015 is a Sunday.
  cal.SetFirstDayOfWeek(dwSun);
  cal.SetDate(EncodeDate(2015, 2, 1));
  ASSERT_TRUE(cal.CellDate(1, 2, y, m, d, inactive));
  EXPECT_EQ(d, 1);
  EXPECT_EQ(cal.CellText(1, 1), "Sun");
  EXPECT_EQ(cal.CellText(7, 1), "Sat");
  // And a month that does not start there: Monday first, March 2015 starts on a Sunday.
  cal.SetFirstDayOfWeek(dwMon);
  cal.SetDate(EncodeDate(2015, 3, 1));
  ASSERT_TRUE(cal.CellDate(1, 2, y, m, d, inactive));
  EXPECT_TRUE(inactive);
  EXPECT_EQ(m, 2);
  EXPECT_EQ(d, 23);
  ASSERT_TRUE(cal.CellDate(7, 2, y, m, d, inactive));
  EXPECT_EQ(d, 1);
  EXPECT_FALSE(inactive);
  cal.SetShowMonthShort(false);
  cal.SetLanguage(lgGerman);
  EXPECT_EQ(cal.CellText(4, 0), "März 2015");
  EXPECT_FALSE(cal.CellDate(0, 2, y, m, d, inactive));
  EXPECT_FALSE(cal.CellDate(1, 1, y, m, d, inactive));
}

TEST_F(MiniCal, HintFollowsTheSelectedDay) {
  TMiniCal cal(nullptr);
  cal.SetDate(EncodeDate(2024, 12, 25));
  EXPECT_EQ(cal.Hint(), "Christmas Day");
  cal.SetDate(EncodeDate(2024, 12, 27));
  EXPECT_EQ(cal.Hint(), "");
  cal.SetLanguage(lgFrench);
  cal.SetDate(EncodeDate(2024, 5, 9));
  EXPECT_EQ(cal.Hint(), "Ascension du Christ");
}

// ---------------------------------------------------------------- mouse and keyboard
TEST_F(MiniCal, MouseNavigationAndAutoSwitch) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 320, 200);
  auto* cal = new TMiniCal(&form);
  cal->SetParent(&form);
  cal->SetBounds(0, 0, 300, 180);  // cells of 37 or 38 × 22 or 23 pixels
  form.Show();
  cal->SetDate(EncodeDate(2027, 2, 10));
  int clicks = 0;
  cal->OnClick = [&](TObject*) { ++clicks; };
  auto clickCell = [&](int c, int r) {
    const TRect rc = cal->CellRect(c, r);
    Application()->Click(&form, (rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
    Application()->ProcessMessages();
  };
  clickCell(5, 4);  // Friday of the third week row: 19th
  EXPECT_EQ(cal->Date(), EncodeDate(2027, 2, 19));
  EXPECT_EQ(clicks, 1);
  clickCell(6, 0);
  EXPECT_EQ(cal->Date(), EncodeDate(2027, 3, 19));
  clickCell(7, 0);
  EXPECT_EQ(cal->Date(), EncodeDate(2028, 3, 19));
  clickCell(1, 0);
  clickCell(2, 0);
  EXPECT_EQ(cal->Date(), EncodeDate(2027, 2, 19));
  clickCell(3, 7);  // a greyed March day (10th)
  EXPECT_EQ(cal->Date(), EncodeDate(2027, 3, 10));
  cal->SetAutoSwitch(false);
  clickCell(1, 7);  // greyed 5 April: nothing
  EXPECT_EQ(cal->Date(), EncodeDate(2027, 3, 10));
  clickCell(0, 1);  // "#": today
  EXPECT_EQ(cal->Date(), Date());
  cal->SetDate(EncodeDate(2020, 1, 1));
  clickCell(0, 0);
  EXPECT_EQ(cal->Date(), Date());

  cal->SetDate(EncodeDate(2027, 2, 10));
  cal->SetFocus();
  Application()->PressKey(VK_RIGHT);
  Application()->PressKey(VK_DOWN);
  Application()->ProcessMessages();
  EXPECT_EQ(cal->Date(), EncodeDate(2027, 2, 18));
  Application()->PressKey(VK_NEXT);
  Application()->PressKey(VK_PRIOR, ssCtrl);
  Application()->ProcessMessages();
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 3, 18));
  Application()->PressKey(VK_UP);
  Application()->PressKey(VK_LEFT);
  Application()->ProcessMessages();
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 3, 10));
}

// ---------------------------------------------------------------- pictures
namespace {

TColor PixelAt(TBitmap& b, int x, int y) { return b.GetPixel(x, y); }

void CheckCellColours(int w, int h) {
  TMiniCal cal(nullptr);
  cal.SetBounds(0, 0, w, h);
  cal.SetMarkToday(false);
  cal.SetDate(EncodeDate(2026, 12, 8));  // Immaculate Conception, selected
  auto bmp = cal.PaintToBitmap();
  ASSERT_EQ(bmp->Width(), w);
  // Cell rows and columns: c·w div 8; the last column and row of a cell are the grid line.
  auto corner = [&](int c, int r) { return PixelAt(*bmp, c * w / 8 + 1, r * h / 8 + 1); };
  auto gridLine = [&](int c, int r) { return PixelAt(*bmp, (c + 1) * w / 8 - 1, r * h / 8 + 2); };
  // 1 December 2026 is a Tuesday: row 2 holds Nov 30, Dec 1..6.
  EXPECT_EQ(corner(1, 2), 0xF8F8F8u) << "greyed Monday on the weekday colour";
  EXPECT_EQ(corner(6, 2), 0xBBDDEEu) << "Saturday";
  EXPECT_EQ(corner(7, 2), 0xCCEEFFu) << "Sunday";
  EXPECT_EQ(corner(2, 3), MeanColor(0xD0A040, 0x9BD8F1)) << "selected holiday (Tuesday 8th)";
  EXPECT_EQ(corner(5, 5), 0x9BD8F1u) << "Christmas Day, Friday 25th";
  EXPECT_EQ(corner(0, 3), clSilver) << "week numbers";
  EXPECT_EQ(corner(3, 1), clSilver) << "weekday names";
  EXPECT_EQ(gridLine(3, 4), ColorToRGB(clBtnFace));
  cal.SetDate(EncodeDate(2026, 12, 9));
  bmp = cal.PaintToBitmap();
  EXPECT_EQ(corner(3, 3), 0xD0A040u) << "selected working day";
  EXPECT_EQ(corner(2, 3), 0x9BD8F1u) << "holiday not selected";
  cal.SetIndicateHolidays(false);
  bmp = cal.PaintToBitmap();
  EXPECT_EQ(corner(2, 3), 0xF8F8F8u);
  // The day number is centred: its ink lies in the middle of the cell.
  const TRect rc = cal.CellRect(3, 3);
  int inkL = rc.Right, inkR = -1;
  for (int y = rc.Top; y < rc.Bottom; ++y)
    for (int x = rc.Left; x < rc.Right; ++x)
      if (PixelAt(*bmp, x, y) != 0xD0A040u) {
        inkL = std::min(inkL, x);
        inkR = std::max(inkR, x);
      }
  ASSERT_GE(inkR, inkL);
  EXPECT_LE(std::abs((inkL + inkR) - (rc.Left + rc.Right - 1)), 3);
}

}  // namespace

TEST_F(MiniCal, CellColoursAtTwoSizes) {
  CheckCellColours(300, 180);
  CheckCellColours(440, 260);
}

TEST_F(MiniCal, TodayIsCircledInsetTwoPixels) {
  TMiniCal cal(nullptr);
  cal.SetBounds(0, 0, 300, 180);
  cal.SetDate(Date());
  cal.SetColorSelectedBg(clWhite);
  auto bmp = cal.PaintToBitmap();
  const TRect rc = cal.CellRect(cal.SelCol(), cal.SelRow());
  const int midY = (rc.Top + 2 + rc.Bottom - 3) / 2;
  EXPECT_EQ(bmp->GetPixel(rc.Left + 2, midY), clRed);
  EXPECT_EQ(bmp->GetPixel(rc.Right - 3, midY), clRed);
  EXPECT_NE(bmp->GetPixel(rc.Left + 1, midY), clRed);
  EXPECT_NE(bmp->GetPixel(rc.Right - 2, midY), clRed);
  cal.SetMarkToday(false);
  bmp = cal.PaintToBitmap();
  EXPECT_NE(bmp->GetPixel(rc.Left + 2, midY), clRed);
}

TEST_F(MiniCal, TinySizesPaint) {
  for (int w : {0, 1, 7, 9}) {
    TMiniCal cal(nullptr);
    cal.SetBounds(0, 0, w, w);
    EXPECT_NO_THROW(cal.PaintToBitmap());
  }
}

TEST_F(MiniCal, HostShowsTheHolidayHint) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 320, 200);
  auto* cal = new TMiniCal(&form);
  cal->SetParent(&form);
  cal->SetShowHint(true);
  form.Show();
  cal->SetDate(EncodeDate(2026, 12, 24));
  const TRect xmas = cal->CellRect(5, 5);  // Friday 25th
  Application()->PostMouseMove(&form, 0, xmas.Left + 5, xmas.Top + 5);
  Application()->ProcessMessages();
  EXPECT_EQ(Application()->CurrentHint(), "");
  Application()->Click(&form, xmas.Left + 5, xmas.Top + 5);  // a click hides the hint until the pointer leaves
  Application()->PostMouseMove(&form, 0, 310, 190);
  Application()->PostMouseMove(&form, 0, xmas.Left + 6, xmas.Top + 5);
  Application()->ProcessMessages();
  EXPECT_EQ(cal->Day(), 25);
  EXPECT_EQ(cal->Hint(), "Christmas Day");
  EXPECT_EQ(Application()->CurrentHint(), "Christmas Day");
}
