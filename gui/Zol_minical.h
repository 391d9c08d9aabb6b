// Mini calendar: a month on an 8 × 8 grid (title row with navigation buttons,
// weekday row, six week rows with ISO week numbers), marking today, the
// selected day and holidays (eight built-in fixed holidays in four languages,
// the movable feasts that depend on Easter, and holidays the application
// adds); the selected day's holiday name is the control's hint.
//
// Grid geometry: column c (0..7) spans x = c·W div 8 .. (c+1)·W div 8 − 1 and
// row r (0..7) spans y = r·H div 8 .. (r+1)·H div 8 − 1; the last pixel column
// and row of every cell are the grid line, painted in the control's Color.
//
// Holiday names exist in English, German, French and Spanish; lgUnknown uses
// the English names (and the neutral month and weekday tables).
//
// Keyboard: arrows move the selection by a day (left/right) or a week
// (up/down), Page Up/Down by a month, with Ctrl by a year; Home selects today.
#pragma once

#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

enum TDayOfWeek { dwMon, dwTue, dwWed, dwThu, dwFri, dwSat, dwSun };

// Date of Easter Sunday in the Gregorian calendar (Gauss's rule in
// Lichtenberg's formulation).  Years 1..9999 are accepted (before 1583 the
// proleptic Gregorian calendar); other years give Day = Month = 0.
void CalcEasterSunday(int Year, int& Day, int& Month);

// ISO 8601 week number (1..53) of a date: the week holding the date's
// Thursday, weeks starting on Monday.  0 for an impossible date.
int ISOWeekNumber(int Year, int Month, int Day);

// Year that marks a holiday repeated every year.
constexpr int HolidayEveryYear = -99999;

class TMiniCal : public TCustomControl {
 public:
  explicit TMiniCal(TComponent* AOwner);
  ~TMiniCal() override;

  // ---- date
  TDateTime Date() const { return FDate; }
  // Stores the day (the fraction is dropped; dates outside the years
  // 1..9999 are ignored), recomputes the layout and fires OnChange.
  void SetDate(TDateTime v);
  int Year() const { return FYear; }
  int Month() const { return FMonth; }
  int Day() const { return FDay; }
  void SetYear(int v);   // clamped to 1..9999; the day is kept within the month
  void SetMonth(int v);  // clamped to 1..12; the day is kept within the month
  void SetDay(int v);    // clamped to 1..LastDayOfMonth
  void NextMonth() { MonthStep(1); }
  void PrevMonth() { MonthStep(-1); }
  void NextYear();
  void PrevYear();
  // From the first day of the shown month (n <= 0) or its last day (n > 0)
  // n days on; in the month reached the selected day number is kept when
  // that month has it, otherwise its last day is taken.
  void MonthStep(int n);
  int LastDayOfMonth() const;

  // ---- holidays
  // Whether the date is a holiday and its name (empty when not).
  bool CheckHoliday(int AYear, int AMonth, int ADay, std::string& Name) const;
  void AddHoliday(int ADay, int AMonth, int AYear, const std::string& Name);
  void AddRepeatHoliday(int ADay, int AMonth, const std::string& Name);
  void ClearHolidayList();
  int GetNumHolidays() const { return static_cast<int>(FHolidays.size()); }
  // Entry Ix (1-based); false outside the list.
  bool RetrieveHoliday(int Ix, int& ADay, int& AMonth, int& AYear, bool& Repeated,
                       std::string& Name) const;

  // ---- appearance
  TLanguage Language() const { return FLanguage; }
  // Resets the holiday list to the built-in holidays in that language.
  void SetLanguage(TLanguage v);
  TDayOfWeek FirstDayOfWeek() const { return FFirstDayOfWeek; }
  void SetFirstDayOfWeek(TDayOfWeek v);
  bool IndicateHolidays() const { return FIndicateHolidays; }
  void SetIndicateHolidays(bool v);
  bool ShowHolidayHint() const { return FShowHolidayHint; }
  void SetShowHolidayHint(bool v);
  bool ShowMovableHolidays() const { return FShowMovableHolidays; }
  void SetShowMovableHolidays(bool v);
  bool ShowMonthShort() const { return FShowMonthShort; }
  void SetShowMonthShort(bool v);
  bool MarkToday() const { return FMarkToday; }
  void SetMarkToday(bool v);
  bool AutoSwitch() const { return FAutoSwitch; }
  void SetAutoSwitch(bool v) { FAutoSwitch = v; }

  TColor ColorActiveMonth() const { return FColorActiveMonth; }
  void SetColorActiveMonth(TColor v) { SetColorField(FColorActiveMonth, v); }
  TColor ColorInactiveMonth() const { return FColorInactiveMonth; }
  void SetColorInactiveMonth(TColor v) { SetColorField(FColorInactiveMonth, v); }
  TColor ColorWeekNoBg() const { return FColorWeekNoBg; }
  void SetColorWeekNoBg(TColor v) { SetColorField(FColorWeekNoBg, v); }
  TColor ColorWeekNoFg() const { return FColorWeekNoFg; }
  void SetColorWeekNoFg(TColor v) { SetColorField(FColorWeekNoFg, v); }
  TColor ColorDayIdBg() const { return FColorDayIdBg; }
  void SetColorDayIdBg(TColor v) { SetColorField(FColorDayIdBg, v); }
  TColor ColorDayIdFg() const { return FColorDayIdFg; }
  void SetColorDayIdFg(TColor v) { SetColorField(FColorDayIdFg, v); }
  TColor ColorSelectedBg() const { return FColorSelectedBg; }
  void SetColorSelectedBg(TColor v) { SetColorField(FColorSelectedBg, v); }
  TColor ColorSelectedFg() const { return FColorSelectedFg; }
  void SetColorSelectedFg(TColor v) { SetColorField(FColorSelectedFg, v); }
  TColor ColorHolidayBg() const { return FColorHolidayBg; }
  void SetColorHolidayBg(TColor v) { SetColorField(FColorHolidayBg, v); }
  TColor ColorHolidayFg() const { return FColorHolidayFg; }
  void SetColorHolidayFg(TColor v) { SetColorField(FColorHolidayFg, v); }
  TColor ColorToday() const { return FColorToday; }
  void SetColorToday(TColor v) { SetColorField(FColorToday, v); }
  TColor GetDayColors(TDayOfWeek d) const;
  void SetDayColors(TDayOfWeek d, TColor v);

  // ---- layout queries
  // What cell (ACol 0..7, ARow 0..7) of the grid shows: the date of a day
  // cell (rows 2..7, columns 1..7; Inactive for a neighbouring month's day),
  // false for the other cells.
  bool CellDate(int ACol, int ARow, int& AYear, int& AMonth, int& ADay, bool& Inactive) const;
  // The text of any cell as drawn.
  std::string CellText(int ACol, int ARow) const;
  // Pixel rectangle of a cell without its grid line.
  TRect CellRect(int ACol, int ARow) const;
  // The grid cursor (the selected day's cell).
  int SelCol() const { return FSelCol; }
  int SelRow() const { return FSelRow; }
  // Recomputes the layout and the hint and repaints.
  void UpdateCal();
  // Draws the control onto any canvas at (0, 0) (Paint uses it; also for
  // metafiles and the printer).
  void Render(TCanvas& Canvas);

  TNotifyEvent OnChange;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void Resize() override;

 private:
  struct THoliday {
    int Day, Month, Year;
    std::string Name;
  };
  struct TCell {
    int Year = 0, Month = 0, Day = 0;
    bool Inactive = false;
  };
  void SetColorField(TColor& field, TColor v);
  void SetYMD(int y, int m, int d);
  void ResetHolidays();
  void CellAt(int X, int Y, int& ACol, int& ARow) const;
  int ColX(int c) const { return c * Width() / 8; }
  int RowY(int r) const { return r * Height() / 8; }

  TDateTime FDate = 0;
  int FYear = 1900, FMonth = 1, FDay = 1;
  TLanguage FLanguage = lgEnglish;
  TDayOfWeek FFirstDayOfWeek = dwMon;
  bool FIndicateHolidays = true, FShowHolidayHint = true, FShowMovableHolidays = true,
       FShowMonthShort = true, FMarkToday = true, FAutoSwitch = true;
  TColor FColorActiveMonth = clBlack, FColorInactiveMonth = clSilver;
  TColor FColorWeekNoBg = clSilver, FColorWeekNoFg = clBlack;
  TColor FColorDayIdBg = clSilver, FColorDayIdFg = clBlack;
  TColor FColorSelectedBg = 0xD0A040, FColorSelectedFg = clWhite;
  TColor FColorHolidayBg = 0x9BD8F1, FColorHolidayFg = 0x0000C0;
  TColor FColorToday = clRed;
  TColor FDayColors[7] = {0xF8F8F8, 0xF8F8F8, 0xF8F8F8, 0xF8F8F8, 0xF8F8F8, 0xBBDDEE, 0xCCEEFF};
  std::vector<THoliday> FHolidays;
  TCell FCells[6][7];  // week row 1..6, day column 1..7
  int FWeekNo[6] = {};
  int FSelCol = 1, FSelRow = 2;
};

}  // namespace zol
