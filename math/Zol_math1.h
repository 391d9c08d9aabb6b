// Numeric utilities of the math library: tick layout of axis scales, number
// formatting and scanning, 1-2-5 rounding, angle helpers, comb sort and sorted
// insertion for plain arrays, random generators and small integer/bit helpers.
//
// "Open arrays" are std::span views (their highest index is size() - 1).  The
// pointer forms of the sort and insertion routines take a pointer to the first
// element and count elements from 1.  Text positions are 1-based byte positions.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

// Exception of this unit.
class EZOLMath1Error : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

// ---------------------------------------------------------------- scale and rounding
// Tick layout of an axis running from Low to High (Low may exceed High).
// FirstTick is the first multiple of Distance at or beyond Low in the direction
// of High (a tick up to 0.001 steps before Low is kept); Distance is negative for
// a reversed axis and 0 when Low = High (or either end is not finite);
// NrSubTicks is the number of sub-intervals per step (1, 4 or 5).
// NTicks is the wanted number of ticks; 0 asks for unit steps.
void CalcScalePars(int NTicks, long double Low, long double High, long double& FirstTick,
                   long double& Distance, uint16_t& NrSubTicks);

double Round125(double x);     // nearest of 1, 2, 5, 10 times a power of ten, sign kept
double RoundPos125(double x);  // towards +infinity onto the 1-2-5 grid
double RoundNeg125(double x);  // towards -infinity onto the 1-2-5 grid
// Rounds an angle (degrees, minutes, seconds) onto the nearest coarser step
// of the table 1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360.
void RoundDegrees(int& Deg, int& Min, int& Sec, bool RoundUp);
int IntPos(double x);  // smallest integer >= x (clamped to the int range; NaN gives 0)
int IntNeg(double x);  // largest integer <= x (clamped to the int range; NaN gives 0)

// ---------------------------------------------------------------- number to text
// Fixed notation with Decimals digits after the point, right-aligned in Width
// characters (never cut; fields wider than 4096 are filled to 4096).
// Decimals = -2: scientific notation with a two-digit exponent in Width characters ("*" throughout when the exponent needs more
// digits); the field width sets the number of mantissa digits.  Other negative
// Decimals: scientific notation at full precision (17 significant digits) with
// a four-digit exponent, right-aligned in Width characters.
std::string strf(double x, int Width, int Decimals);
// Engineering notation with an SI prefix letter (a f p n u m k M G T):
// |NDig| significant digits; NDig < -1 puts the prefix in place of the point
// (4700, -2 -> "4k7"), otherwise it is appended (4700, 3 -> "4.70k").
std::string EEngStr(double x, int NDig);
// Mantissa in [0.1, 1) with NDecimals digits (2..15), "E", sign and at least two
// exponent digits, padded on the left to Width (8..40): 1234 -> " 0.1234E+04".
std::string MakeEFormat(double x, int Width, int NDecimals);
// Angle text in the given format with NDec decimals (0..8).
std::string DegreeToStr(double x, TDegreeFormat Format, int NDec);
std::string Decimal(int value, uint8_t NDig);  // exactly NDig digits (0 counts as 1), "-" for negatives
std::string Hex(int value, uint8_t NDig);      // 1..8 upper-case hex digits of the lowest bits
std::string Octal(int value, uint8_t NDig);    // 1..11 octal digits of the lowest bits
std::string Bin(int value, uint8_t NDig);      // 1..32 binary digits of the lowest bits
std::string Roman(int value);                  // empty for values <= 0 or >= 30000
// IEEE bit pattern as 8, 16 or 20 upper-case hex digits, most significant byte first.
std::string FPNumToHex(float x);
std::string FPNumToHex(double x);
std::string FPNumToHex(long double x);
// Inverses of FPNumToHex; exactly 8, 16 or 20 hex digits (either case), else
// EZOLError "HexToDouble: invalid hex string \"text\"" (likewise for the others).
float HexToSingle(const std::string& s);
double HexToDouble(const std::string& s);
long double HexToExtended(const std::string& s);
// The platform's text-to-integer conversion; Default when empty or invalid.
int StrToIntDefault(const std::string& s, int Default);

// ---------------------------------------------------------------- text scanning and validation
// The scanners read at the 1-based byte position Pos (a position below 1 reads
// from the start) and leave Pos on the first byte they did not use.  Blanks and
// tabs in front of the number are skipped.  When no digit is found the result
// is 0 and Pos is left unchanged.
//
// Hexadecimal integer, optionally introduced by "$" or "0x"; the lowest 32 bits
// are kept, so "FFFFFFFF" gives -1 (colour values round-trip).
int ScanHex(const std::string& Text, int& Pos);
int ScanOctal(const std::string& Text, int& Pos);  // optional "&" prefix; lowest 32 bits
int ScanBin(const std::string& Text, int& Pos);    // optional "%" prefix; lowest 32 bits
// Signed decimal integer (one "+" or "-"); saturates at the int range.
int ScanDecimal(const std::string& Text, int& Pos);
// Floating-point number.  AllowExp admits an exponent "E"/"e" [sign] digits.
// DecPSep: 1 = ".", 2 = ",", 3 = either, other values: no separator.  A text
// ending in the separator reads as if a 0 followed; exponent digits that would
// raise the exponent above 4200 are dropped; the result is clamped to
// [-1.7e308, 1.7e308].  A malformed number (a lone sign, "1e" without exponent
// digits) gives 0.  Unlike the other scanners, Pos is always left on the
// character that ended or broke off the scan (blanks in front are passed),
// as the stream scanner leaves its stream.
double ScanFPNum(const std::string& Text, bool AllowExp, int DecPSep, int& Pos);
// Angle as written by DegreeToStr: decimal degrees ("12.5", "12.5°"), degrees
// and minutes ("12° 30.5'"), or degrees, minutes and seconds ("12° 30' 15.2\"");
// a sign in front and, with AllowCompass, a trailing N, S, E or W (S and W
// negate).  Blanks between the parts are allowed; "'" and "\"" may be replaced
// by the Unicode prime signs.  ErrCode: 0 = read, 1 = no number, 2 = minutes
// outside [0, 60), 3 = seconds outside [0, 60); the result is 0 on error and
// Pos is then left unchanged.
double ScanDegrees(const std::string& Text, int& Pos, bool AllowCompass, int& ErrCode);
// Date/time read by a pattern: "yyyy" (4 digits), "yy" (2 digits, 1950..2049),
// "mm" month (digits), "mmm" month name of Language (lgUnknown: any language),
// "dd" day, "HH"/"hh" hour, "MM" or "nn" minutes, "SS"/"ss" seconds, "zzz"
// milliseconds; a field of two letters reads two digits, of one letter one or
// two digits.  Any other pattern character must appear as it is; a blank skips
// any blanks.  Example: "yyyymmddHHMMSS".  A pattern without date fields gives
// the time alone; a missing month or day counts as 1, a missing year as 1900,
// missing time fields as 0.
// An invalid or unreadable text gives 0 and leaves Pos unchanged.
TDateTime ScanDateTime(const std::string& Text, const std::string& Format, TLanguage Language,
                       int& Pos);
// Whole-text checks; blanks around the text are allowed.  dsSystem takes the
// C library's current decimal point.
bool IsValidDouble(const std::string& Text, bool AllowExp, TDecPSep DecPSep);
bool IsValidFPNum(const std::string& Text, TDecPSep DecPSep);  // exponent allowed
bool IsValidHex(const std::string& Text);     // hex digits only, at most 32 bits
bool IsValidOct(const std::string& Text);     // octal digits only, at most 32 bits
bool IsValidBin(const std::string& Text);     // binary digits only, at most 32 bits
bool IsValidDecInt(const std::string& Text);  // optional sign and digits, within the int range

// ---------------------------------------------------------------- angles and geometry
double AngleToXAxis(double dx, double dy);  // radians in [0, 2*pi]
double CanonicalAngleRadians(double x);     // into [-pi, pi]
double CanonicalAngleDegrees(double x);     // into [-180, 180]
// Converts between decimal degrees, degrees + decimal minutes and degrees +
// minutes + seconds.  Min and Sec must lie in [0, 60] (EZOLMath1Error).  The
// sign of the angle is carried by Deg alone and applies to the whole angle; an
// angle between -1 and 0 degrees has Deg = -0.0 (std::signbit tells).
void ConvertDegrees(double& Deg, double& Min, double& Sec, TDegreeFormat SourceFormat,
                    TDegreeFormat TargetFormat);
double EuclideanDistance(double x1, double y1, double x2, double y2);
int DistFromRect(TPoint Point, TRect Rect);  // 0 inside or on the border
double InterpolZofXYRect(double z1, double z2, double z3, double z4, double rx, double ry);

// ---------------------------------------------------------------- elementary functions
double lg(double x);  // log10; EMathError "logarithm: invalid argument" for x <= 0
double ld(double x);  // log2; same error
double sinh(double x);
double cosh(double x);
double tgh(double x);
double tg(double x);   // EMathError "tangens overflow" when cos x = 0
double cot(double x);  // EMathError "cotangens overflow" when sin x = 0
// Sum of Coeff[i] * x^i for i = 0..Order (constant term first).
double Polynomial(double x, std::span<const double> Coeff, int Order);
long double Factorial(int n);  // 0..1000
double Min(double a, double b);  // on equality the second argument
double Max(double a, double b);  // on equality the second argument
double Signum(double x);         // 1 for x >= 0, else -1
bool WithinBounds(double x, double b1, double b2);

// ---------------------------------------------------------------- integers and bits
bool IsPrime(int n);
void CancelFraction(int& Num, int& Den);
bool CheckPowerOfTwo(uint32_t n);  // 0 counts as a power of two
uint8_t BitReversal(uint8_t b);
int CountBits(uint8_t b);
uint8_t DecodeBit(int n);   // 2^n for n in 0..7, else 0
int DecodeLong(int n);      // 2^n for n in 0..31 (bit 31 gives the lowest int), else 0
int EncodeLong(int value);  // index of the lowest set bit; 0 gives 31
uint16_t GrayCode(uint16_t n);
double ConvertEndian(double x);
float ConvertEndian(float x);
uint16_t ConvertEndian(uint16_t x);
int32_t ConvertEndian(int32_t x);

void ExChange(int32_t& a, int32_t& b);
void ExChange(uint8_t& a, uint8_t& b);
void ExChange(float& a, float& b);
void ExChange(double& a, double& b);
void ExChange(long double& a, long double& b);
void ExChange(std::string& a, std::string& b);
void ExChange(bool& a, bool& b);
void ExChange(char16_t& a, char16_t& b);
void ExChange(uint16_t& a, uint16_t& b);
void ExChange(int8_t& a, int8_t& b);
void ExChange(uint32_t& a, uint32_t& b);
void ExChange(int64_t& a, int64_t& b);
void ExChange(void* a, void* b, int NumBytes);  // byte by byte; nothing for NumBytes <= 0

// ---------------------------------------------------------------- random numbers
bool BRandom(double p);                          // true with probability p
double CRandom(double Location, double Scale);   // Cauchy deviate
double GRandom();                                // standard normal deviate (polar method)
// Uniform in [0, 1) from three combined congruential generators with their own
// state; a non-zero Seed restarts them, 0 continues.  0 until first seeded.
double LongRand(int Seed);

// ---------------------------------------------------------------- sorting and sorted insertion
// Comb sort in place (shrink factor 1.3); counts ProcStat once per pass.
void SortArray(std::span<double> Data, bool Ascending);
void SortArray(std::span<float> Data, bool Ascending);
void SortArray(std::span<int32_t> Data, bool Ascending);
// Same on NumElem elements of the given kind (rnum, dnum: double; snum: float;
// inum, lnum: int32); other kinds are left alone.
void SortArray(void* Data, int NumElem, TVarKind Kind, bool Ascending);
// Inserts Value into a sorted array of fixed length, dropping the last element;
// returns the 0-based position, or -1 when nothing changed.
int SortIntoArray(std::span<double> Data, double Value, bool Ascending, bool AllowDuplicates);
int SortIntoArray(std::span<float> Data, float Value, bool Ascending, bool AllowDuplicates);
int SortIntoArray(std::span<int32_t> Data, int32_t Value, bool Ascending, bool AllowDuplicates);
// Pointer form: elements 1..NumElem; Value points at one element of the kind;
// returns the 1-based position, or 0 when nothing changed.
int SortIntoArray(void* Data, int NumElem, TVarKind Kind, const void* Value, bool Ascending,
                  bool AllowDuplicates);
// Shifts the elements Position..last-1 up by one (the last is lost) and stores
// Value at Position (0-based); nothing happens for a position outside the array.
void InsertIntoArray(std::span<double> Data, double Value, int Position);
void InsertIntoArray(std::span<float> Data, float Value, int Position);
void InsertIntoArray(std::span<int32_t> Data, int32_t Value, int Position);
// Pointer form with 1-based Position in 1..NumElem.
void InsertIntoArray(void* Data, int NumElem, TVarKind Kind, const void* Value, int Position);

}  // namespace zol
