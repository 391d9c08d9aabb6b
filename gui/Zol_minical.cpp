#include "gui/Zol_minical.h"

#include <algorithm>
#include <cmath>

#include "base/Zol_zolcolors.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

namespace {

// Built-in fixed holidays (day, month) and their names in English, German,
// French and Spanish.
struct TFixedHoliday {
  int Day, Month;
  const char* Names[4];
};
const TFixedHoliday FixedHolidays[8] = {
    {25, 12, {"Christmas Day", "Weihnachten", "Noël", "Navidad"}},
    {26, 12, {"Boxing Day", "Stephanitag", "Jour de boxe", "Día de San Esteban"}},
    {1, 1, {"New Year's Day", "Neujahrstag", "Nouvel An Jour", "Día de Año Nuevo"}},
    {6, 1, {"Epiphany", "Hl. Drei Könige", "Épiphanie", "Epifanía"}},
    {15, 8, {"Assumption of Mary", "Maria Himmelfahrt", "Assomption", "Asunción"}},
    {1, 11, {"All Saints", "Allerheiligen", "La Toussaint", "Día de Todos los Santos"}},
    {8, 12, {"Immaculate Conception", "Maria Empfängnis", "Immaculée Conception", "Inmaculada Concepción"}},
    {1, 5, {"Labor Day", "Tag der Arbeit", "Fête du Travail", "Día del Trabajo"}}};

// Movable feasts: offset in days from Easter Sunday and names.
struct TMovableFeast {
  int Offset;
  const char* Names[4];
};
const TMovableFeast MovableFeasts[6] = {
    {0, {"Easter Day", "Ostersonntag", "Le jour de Pâques", "Domingo de Resurrección"}},
    {1, {"Easter Monday", "Ostermontag", "Lundi de Pâques", "Lunes de Pascua"}},
    {39, {"Ascension Day", "Christi Himmelfahrt", "Ascension du Christ", "Ascensión de Cristo"}},
    {49, {"Pentecost", "Pfingstsonntag", "Dimanche de Pentecôte", "Domingo de Pentecostés"}},
    {50, {"Whit Monday", "Pfingstmontag", "Lundi de Pentecôte", "Lunes de Pentecostés"}},
    {60, {"Corpus Christi", "Fronleichnam", "Corpus Christi", "Corpus Cristi"}}};

// Index into the name tables; lgUnknown uses the English names.
int NameIndex(TLanguage lg) {
  switch (lg) {
    case lgGerman: return 1;
    case lgFrench: return 2;
    case lgSpanish: return 3;
    default: return 0;
  }
}

constexpr size_t MaxHolidayName = 255;

// Day of the week of a date, Monday = 0 .. Sunday = 6.
int WeekdayMon0(int y, int m, int d) {
  TDateTime dt;
  if (!TryEncodeDate(y, m, d, dt)) return 0;
  return (DayOfWeek(dt) + 5) % 7;  // DayOfWeek: Sunday = 1
}

// Easter as days counted from the end of February (March 1 = 1).
int EasterE(int Year) {
  int d = 0, m = 0;
  CalcEasterSunday(Year, d, m);
  if (m == 0) return -1000;
  return m == 3 ? d : d + 31;
}

}  // namespace

// ---------------------------------------------------------------- free routines
void CalcEasterSunday(int Year, int& Day, int& Month) {
  if (Year < 1 || Year > 9999) {
    Day = 0;
    Month = 0;
    return;
  }
  // Gauss's Easter rule as formulated by H. Lichtenberg (1997).
  const int K = Year / 100;
  const int M = (3 * K + 3) / 4;
  const int A = Year % 19;
  const int D = (19 * A + M - (8 * K + 13) / 25 + 15) % 30;
  const int G = 21 + D - (A / 11 + D) / 29;  // Paschal full moon, day of March
  const int E = G + 7 - (G + (Year + Year / 4 - M + 2) % 7 - 7) % 7;
  if (E >= 32) {
    Day = E - 31;
    Month = 4;
  } else {
    Day = E;
    Month = 3;
  }
}

int ISOWeekNumber(int Year, int Month, int Day) {
  TDateTime dt;
  if (!TryEncodeDate(Year, Month, Day, dt)) return 0;
  // The Thursday of the date's week decides the week-numbering year.
  const int wd = (DayOfWeek(dt) + 5) % 7;  // Monday = 0
  const TDateTime thu = dt - wd + 3;
  int ty, tm, td;
  DecodeDate(thu, ty, tm, td);
  TDateTime jan1;
  if (!TryEncodeDate(ty, 1, 1, jan1)) return 0;
  return static_cast<int>(std::floor(thu - jan1)) / 7 + 1;
}

// ---------------------------------------------------------------- construction
TMiniCal::TMiniCal(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 300, 180);
  SetTabStop(true);
  ResetHolidays();
  int y, m, d;
  DecodeDate(zol::Date(), y, m, d);
  FDate = std::floor(zol::Date());
  FYear = y;
  FMonth = m;
  FDay = d;
  UpdateCal();
}

TMiniCal::~TMiniCal() = default;

// ---------------------------------------------------------------- date
void TMiniCal::SetYMD(int y, int m, int d) {
  y = std::clamp(y, 1, 9999);
  m = std::clamp(m, 1, 12);
  d = std::clamp(d, 1, DaysInAMonth(y, m));
  SetDate(EncodeDate(y, m, d));
}

void TMiniCal::SetDate(TDateTime v) {
  if (!std::isfinite(v)) return;
  v = std::floor(v);
  TDateTime lo = EncodeDate(1, 1, 1), hi = EncodeDate(9999, 12, 31);
  if (v < lo || v > hi) return;
  if (v == FDate) return;
  FDate = v;
  DecodeDate(v, FYear, FMonth, FDay);
  UpdateCal();
  if (OnChange) {
    TNotifyEvent h = OnChange;
    h(this);
  }
}

void TMiniCal::SetYear(int v) { SetYMD(v, FMonth, FDay); }
void TMiniCal::SetMonth(int v) { SetYMD(FYear, v, FDay); }
void TMiniCal::SetDay(int v) { SetYMD(FYear, FMonth, v); }
void TMiniCal::NextYear() { SetYMD(FYear + 1, FMonth, FDay); }
void TMiniCal::PrevYear() { SetYMD(FYear - 1, FMonth, FDay); }

int TMiniCal::LastDayOfMonth() const { return DaysInAMonth(FYear, FMonth); }

void TMiniCal::MonthStep(int n) {
  TDateTime start = n <= 0 ? EncodeDate(FYear, FMonth, 1) : EncodeDate(FYear, FMonth, LastDayOfMonth());
  TDateTime t = start + n;
  if (t < EncodeDate(1, 1, 1) || t > EncodeDate(9999, 12, 31)) return;
  int y, m, d;
  DecodeDate(t, y, m, d);
  SetDate(EncodeDate(y, m, std::min(FDay, DaysInAMonth(y, m))));
}

// ---------------------------------------------------------------- holidays
void TMiniCal::ResetHolidays() {
  FHolidays.clear();
  const int ix = NameIndex(FLanguage);
  for (const auto& h : FixedHolidays) FHolidays.push_back({h.Day, h.Month, HolidayEveryYear, h.Names[ix]});
}

bool TMiniCal::CheckHoliday(int AYear, int AMonth, int ADay, std::string& Name) const {
  for (const auto& h : FHolidays) {
    if (h.Day == ADay && h.Month == AMonth && (h.Year == HolidayEveryYear || h.Year == AYear)) {
      Name = h.Name;
      return true;
    }
  }
  if (FShowMovableHolidays && AMonth >= 3 && AMonth <= 6 && ADay >= 1 &&
      ADay <= DaysInAMonth(AYear, AMonth)) {
    static const int add[4] = {0, 31, 61, 92};
    const int n = ADay + add[AMonth - 3];
    const int diff = n - EasterE(AYear);
    for (const auto& f : MovableFeasts) {
      if (f.Offset == diff) {
        Name = f.Names[NameIndex(FLanguage)];
        return true;
      }
    }
  }
  Name.clear();
  return false;
}

void TMiniCal::AddHoliday(int ADay, int AMonth, int AYear, const std::string& Name) {
  FHolidays.push_back({ADay, AMonth, AYear, Utf8Truncate(Name, MaxHolidayName)});
  UpdateCal();
}

void TMiniCal::AddRepeatHoliday(int ADay, int AMonth, const std::string& Name) {
  AddHoliday(ADay, AMonth, HolidayEveryYear, Name);
}

void TMiniCal::ClearHolidayList() {
  FHolidays.clear();
  UpdateCal();
}

bool TMiniCal::RetrieveHoliday(int Ix, int& ADay, int& AMonth, int& AYear, bool& Repeated,
                               std::string& Name) const {
  if (Ix < 1 || Ix > GetNumHolidays()) return false;
  const THoliday& h = FHolidays[Ix - 1];
  ADay = h.Day;
  AMonth = h.Month;
  AYear = h.Year;
  Repeated = h.Year == HolidayEveryYear;
  Name = h.Name;
  return true;
}

// ---------------------------------------------------------------- appearance
void TMiniCal::SetLanguage(TLanguage v) {
  if (v < lgUnknown || v > lgSpanish) return;
  FLanguage = v;
  ResetHolidays();  // always: the built-in list replaces what was added
  UpdateCal();
}

void TMiniCal::SetFirstDayOfWeek(TDayOfWeek v) {
  if (v == FFirstDayOfWeek || v < dwMon || v > dwSun) return;
  FFirstDayOfWeek = v;
  UpdateCal();
}

#define ZOL_MINICAL_BOOL_SETTER(Name)        \
  void TMiniCal::Set##Name(bool v) {         \
    if (v == F##Name) return;                \
    F##Name = v;                             \
    UpdateCal();                             \
  }
ZOL_MINICAL_BOOL_SETTER(IndicateHolidays)
ZOL_MINICAL_BOOL_SETTER(ShowHolidayHint)
ZOL_MINICAL_BOOL_SETTER(ShowMovableHolidays)
ZOL_MINICAL_BOOL_SETTER(ShowMonthShort)
ZOL_MINICAL_BOOL_SETTER(MarkToday)
#undef ZOL_MINICAL_BOOL_SETTER

void TMiniCal::SetColorField(TColor& field, TColor v) {
  if (field == v) return;
  field = v;
  Invalidate();
}

TColor TMiniCal::GetDayColors(TDayOfWeek d) const {
  return d >= dwMon && d <= dwSun ? FDayColors[d] : clNone;
}

void TMiniCal::SetDayColors(TDayOfWeek d, TColor v) {
  if (d < dwMon || d > dwSun) return;
  SetColorField(FDayColors[d], v);
}

// ---------------------------------------------------------------- layout
void TMiniCal::UpdateCal() {
  const int len = DaysInAMonth(FYear, FMonth);
  const int py = FMonth == 1 ? FYear - 1 : FYear, pm = FMonth == 1 ? 12 : FMonth - 1;
  const int ny = FMonth == 12 ? FYear + 1 : FYear, nm = FMonth == 12 ? 1 : FMonth + 1;
  const int plen = py >= 1 ? DaysInAMonth(py, pm) : 31;
  const int k = (WeekdayMon0(FYear, FMonth, 1) - static_cast<int>(FFirstDayOfWeek) + 7) % 7 + 1;
  const TDateTime first = EncodeDate(FYear, FMonth, 1);
  for (int r = 1; r <= 6; ++r) {
    for (int c = 1; c <= 7; ++c) {
      const int n = c - k + 1 + 7 * (r - 1);
      TCell& cell = FCells[r - 1][c - 1];
      if (n <= 0) {
        cell = {py, pm, plen + n, true};
      } else if (n > len) {
        cell = {ny, nm, n - len, true};
      } else {
        cell = {FYear, FMonth, n, false};
        if (n == FDay) {
          FSelCol = c;
          FSelRow = r + 1;
        }
      }
    }
    int y, m, d;
    DecodeDate(first + 7 * (r - 1), y, m, d);
    FWeekNo[r - 1] = ISOWeekNumber(y, m, d);
  }
  if (FShowHolidayHint) {
    std::string name;
    CheckHoliday(FYear, FMonth, FDay, name);
    SetHint(name);
  }
  Invalidate();
}

bool TMiniCal::CellDate(int ACol, int ARow, int& AYear, int& AMonth, int& ADay, bool& Inactive) const {
  if (ACol < 1 || ACol > 7 || ARow < 2 || ARow > 7) return false;
  const TCell& c = FCells[ARow - 2][ACol - 1];
  AYear = c.Year;
  AMonth = c.Month;
  ADay = c.Day;
  Inactive = c.Inactive;
  return true;
}

std::string TMiniCal::CellText(int ACol, int ARow) const {
  if (ACol < 0 || ACol > 7 || ARow < 0 || ARow > 7) return "";
  if (ARow == 0) {
    switch (ACol) {
      case 1: return "<<";
      case 2: return "<";
      case 6: return ">";
      case 7: return ">>";
      case 4: {
        const char* name = FShowMonthShort ? MonthShort[FLanguage][FMonth] : MonthLong[FLanguage][FMonth];
        return std::string(name) + " " + std::to_string(FYear);
      }
      default: return "";
    }
  }
  if (ARow == 1) {
    if (ACol == 0) return "#";
    return WeekDayShort[FLanguage][(static_cast<int>(FFirstDayOfWeek) + ACol - 1) % 7 + 1];
  }
  if (ACol == 0) return std::to_string(FWeekNo[ARow - 2]);
  return std::to_string(FCells[ARow - 2][ACol - 1].Day);
}

TRect TMiniCal::CellRect(int ACol, int ARow) const {
  return Rect(ColX(ACol), RowY(ARow), ColX(ACol + 1) - 1, RowY(ARow + 1) - 1);
}

void TMiniCal::CellAt(int X, int Y, int& ACol, int& ARow) const {
  ACol = -1;
  ARow = -1;
  if (Width() <= 0 || Height() <= 0 || X < 0 || Y < 0 || X >= Width() || Y >= Height()) return;
  for (int c = 0; c < 8; ++c)
    if (X >= ColX(c) && X < ColX(c + 1)) ACol = c;
  for (int r = 0; r < 8; ++r)
    if (Y >= RowY(r) && Y < RowY(r + 1)) ARow = r;
}

void TMiniCal::Resize() {
  TCustomControl::Resize();
  Invalidate();
}

// ---------------------------------------------------------------- drawing
void TMiniCal::Paint() {
  Render(Canvas());
  TCustomControl::Paint();
}

void TMiniCal::Render(TCanvas& cv) {
  cv.Brush().SetStyle(bsSolid);
  cv.Brush().SetColor(Color());
  cv.FillRect(Rect(0, 0, Width(), Height()));
  cv.Font().Assign(Font());

  auto textIn = [&](const TRect& r, const std::string& s, TColor fg, TColor bg) {
    cv.Brush().SetStyle(bsSolid);
    cv.Brush().SetColor(bg);
    cv.FillRect(r);
    if (s.empty()) return;
    cv.Font().SetColor(fg);
    const TSize e = cv.TextExtent(s);
    cv.Brush().SetStyle(bsClear);
    cv.TextRect(r, r.Left + (r.Width() - e.cx) / 2, r.Top + (r.Height() - e.cy) / 2, s);
  };

  // Title row: navigation buttons and the month over columns 3..5.
  for (int c : {1, 2, 6, 7}) {
    const TRect r = CellRect(c, 0);
    textIn(r, CellText(c, 0), clBtnText, clBtnFace);
    DrawFrame(cv, fsRaised, r.Left, r.Top, r.Right - 1, r.Bottom - 1, clBtnHighlight, cl3DLight, clBtnShadow,
              cl3DDkShadow, clBlack);
  }
  textIn(CellRect(0, 0), "", clBtnText, clBtnFace);
  {
    TRect r = CellRect(3, 0);
    r.Right = CellRect(5, 0).Right;
    textIn(r, CellText(4, 0), clBtnText, clBtnFace);
  }
  // Weekday row.
  for (int c = 0; c <= 7; ++c) textIn(CellRect(c, 1), CellText(c, 1), FColorDayIdFg, FColorDayIdBg);
  // Week numbers and days.
  int ty, tm, td;
  DecodeDate(zol::Date(), ty, tm, td);
  for (int r = 2; r <= 7; ++r) {
    textIn(CellRect(0, r), CellText(0, r), FColorWeekNoFg, FColorWeekNoBg);
    for (int c = 1; c <= 7; ++c) {
      const TCell& cell = FCells[r - 2][c - 1];
      const int wd = (static_cast<int>(FFirstDayOfWeek) + c - 1) % 7;
      TColor bg = FDayColors[wd];
      TColor fg = cell.Inactive ? FColorInactiveMonth : FColorActiveMonth;
      std::string name;
      const bool holiday = FIndicateHolidays && CheckHoliday(cell.Year, cell.Month, cell.Day, name);
      if (holiday) {
        bg = FColorHolidayBg;
        fg = FColorHolidayFg;
      }
      if (!cell.Inactive && cell.Day == FDay) {
        fg = FColorSelectedFg;
        bg = holiday ? MeanColor(ColorToRGB(FColorSelectedBg), ColorToRGB(FColorHolidayBg)) : FColorSelectedBg;
      }
      const TRect rc = CellRect(c, r);
      textIn(rc, std::to_string(cell.Day), fg, bg);
      if (FMarkToday && cell.Year == ty && cell.Month == tm && cell.Day == td) {
        cv.Brush().SetStyle(bsClear);
        cv.Pen().SetColor(FColorToday);
        cv.Pen().SetWidth(1);
        cv.Pen().SetStyle(psSolid);
        cv.Ellipse(rc.Left + 2, rc.Top + 2, rc.Right - 2, rc.Bottom - 2);
      }
    }
  }
  cv.Brush().SetStyle(bsSolid);
}

// ---------------------------------------------------------------- input
void TMiniCal::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    int c, r;
    CellAt(X, Y, c, r);
    if (r == 0 || (r == 1 && c == 0)) {
      switch (c) {
        case 0: SetDate(zol::Date()); break;
        case 1: PrevYear(); break;
        case 2: PrevMonth(); break;
        case 6: NextMonth(); break;
        case 7: NextYear(); break;
        default: break;
      }
    } else if (r >= 2 && c >= 1) {
      const TCell cell = FCells[r - 2][c - 1];
      if (!cell.Inactive) {
        SetYMD(cell.Year, cell.Month, cell.Day);
      } else if (FAutoSwitch && cell.Year >= 1 && cell.Year <= 9999) {
        SetYMD(cell.Year, cell.Month, cell.Day);
      }
    }
    UpdateCal();
  }
  if (CanFocus() && !Focused()) SetFocus();
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TMiniCal::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const bool ctrl = (Shift & ssCtrl) != 0;
  switch (Key) {
    case VK_LEFT: SetDate(FDate - 1); break;
    case VK_RIGHT: SetDate(FDate + 1); break;
    case VK_UP: SetDate(FDate - 7); break;
    case VK_DOWN: SetDate(FDate + 7); break;
    case VK_PRIOR: ctrl ? PrevYear() : PrevMonth(); break;
    case VK_NEXT: ctrl ? NextYear() : NextMonth(); break;
    case VK_HOME: SetDate(zol::Date()); break;
    default: return;
  }
  Key = 0;
}

}  // namespace zol
