// String utilities and pattern search: fixed-width number formatting, filling
// and trimming, searching and counting, word and token extraction, a
// reversible character substitution, and TGrep, a small backtracking matcher
// for a restricted kind of regular expression.
//
// Texts are UTF-8 std::string.  Positions are 1-based byte positions (0 means
// "not found"); characters passed as `char` are single bytes (ASCII).  The
// padding and cutting routines (LeftString, RightString, CenterString,
// AbbrevString) count characters (code points) so that columns line up, and
// never split a UTF-8 sequence.  Case folding is ASCII only unless a routine
// says otherwise.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"

namespace zol {

class EZOLStringlError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

// ---------------------------------------------------------------- number and time formatting
// Right-aligned fixed notation with Decimals decimals (at most 100) in a field
// of |Width| characters (longer results are not cut).  Decimals -2: scientific notation
// with a two-digit exponent ("-1.2346E+03") in a field of |Width| characters,
// the mantissa having |Width|-7 decimals (at least 1); a value whose exponent
// needs more than two digits gives a field of '*'.  Other negative Decimals:
// scientific notation at full precision (17 significant digits, four-digit
// exponent "E+0003") right-aligned in |Width|.  A negative Width fills leading
// blanks with '0', a minus sign moving to the first place ("-001.50").
// Infinite values give "INF"/"-INF", not-a-number "NAN".
std::string strff(long double x, int Width, int Decimals);
// As strff; values >= 0 get a '+' in the last leading blank, or in front when
// there is none (a leading '0' not followed by '.' is replaced by it).
std::string strffForcePlus(long double x, int Width, int Decimals);
// Fixed notation with 0..8 decimals when the magnitude fits into nine digits
// and is not below 10^-Decimals (zero always fits); otherwise, and for other
// decimals, strff(x, Width + 6, -2).
std::string FormatData(double x, int Width, int Decimals);
// x with Digits significant digits in a field of Width (see the source for the
// switch to scientific notation); the overload with Trim strips the blanks.
std::string SigDigStr(double x, int Width, int Digits);
std::string SigDigStr(double x, int Width, int Digits, bool Trim);
// Seconds as text; negative values count as 0.  Format 0 "hh:mm:ss.cc",
// 1 "hh:mm:ss", 2 "hhhmm" (e.g. " 5h07"), 3 "hhhmm'ss\"", 4 "hh:mm", 5 twelve-
// hour clock "hh:mma"/"hh:mmp" (hours of 2, 3 and 5 blank-padded).  Other
// formats as 0.
std::string TimeString(double Seconds, int Format);
// Style 0 "TRUE"/"FALSE", 1 "T"/"F", 2 ".T."/".F.", 3 "1"/"0", 4 "-1"/"0",
// 5 "FF"/"00"; other styles as 0.
std::string BoolToStr(bool Value, int Style);

// ---------------------------------------------------------------- filling and trimming
std::string StripLTBlanks(const std::string& s);
std::string StripLeadingBlanks(const std::string& s);
std::string StripTrailingBlanks(const std::string& s);
// Remove a run of c at the start / end (at the end one character of a string
// made of c only remains).
std::string StripLeadingChars(char c, const std::string& s);
std::string StripTrailingChars(char c, const std::string& s);
// Append / prepend c (or '\') unless already there; an empty string stays empty.
std::string EnsureTrailingChar(char c, const std::string& s);
std::string EnsureLeadingChar(char c, const std::string& s);
std::string EnsureTrailingBkSlash(const std::string& s);
// Pad with blanks to n characters on the right / left / both sides (the extra
// blank to the right), or cut to the first n characters.
std::string LeftString(const std::string& s, int n);
std::string RightString(const std::string& s, int n);
std::string CenterString(const std::string& s, int n);
// Texts longer than n characters become their first n-2 characters and "..".
std::string AbbrevString(const std::string& s, int n);
// c repeated n times, n clamped to 1..255.
std::string MultiChar(char c, int n);

// ---------------------------------------------------------------- editing
std::string ReplaceCharInString(const std::string& s, char OldChar, char NewChar);
std::string RemoveCharInString(const std::string& s, char c);
std::string RemoveControlChars(const std::string& s);  // drops every byte below 32
// Replaces every occurrence left to right; the search resumes behind the
// inserted text.  An empty OldStr replaces nothing.
std::string ReplaceStringInString(const std::string& s, const std::string& OldStr, const std::string& NewStr,
                                  bool IgnoreCase);
std::string CapitalizeString(const std::string& s);
std::string ChangeCase(const std::string& s);  // ASCII and Latin-1 letters
std::string ReverseString(const std::string& s);  // by characters
std::string ReduceStringToAZ09(const std::string& s);
std::string ReduceStringToFN83CompliantChars(const std::string& s);
std::string ExpandDiphthongs(const std::string& s);
// "\#41" (backslash, '#', two hex digits) becomes the character with that code
// (codes above 127 as their UTF-8 sequence); "\\" becomes one backslash.
std::string ProcessHexChars(const std::string& s);

// ---------------------------------------------------------------- searching and counting
// Position of the n-th occurrence of Sub at or after Start (Start < 1 counts as 1); 0 if fewer.
int NumberedPos(const std::string& Sub, const std::string& s, int Start, bool IgnoreCase, int n);
int PosLast(const std::string& Sub, const std::string& s);
int CountStringInString(const std::string& Sub, const std::string& s, bool CaseSensitive);
int CountCharInString(char c, const std::string& s, bool CaseSensitive);
// Character lists may hold the macros //dig (0-9), //lc (a-z), //uc (A-Z),
// //31dwn (codes 0-31) and //128up (codes 128-255).
bool StringContains(const std::string& s, const std::string& CharList);
bool StringContainsOtherThan(const std::string& s, const std::string& CharList);
bool TestAllChar(const std::string& s, char c);
int FindFirstNonBlank(const std::string& s);
bool IsDigit(char32_t c);
bool IsLetter(char32_t c);
bool IsDigitLetter(char32_t c);
bool IsHexChar(char32_t c);
bool IsUmlaut(char32_t c);  // one of äöüÄÖÜß
bool IsAbbreviation(const std::string& s);
int StringIx(const std::string& s, const std::vector<std::string>& List);  // 1-based, 0 if absent
bool EqualAnsiStrings(const std::string& a, const std::string& b);           // ASCII case-insensitive

// ---------------------------------------------------------------- words and tokens
// Separators of words: codes 0, 10, 13, blank, double quote and
// # % ' ( ) * + , - . / : ; < = > [ \ ] { }.  Indexed by code (< 256).
extern const std::bitset<256> WordSeps;
// The word (run of non-separators) that contains position Pos; empty when Pos
// holds a separator or lies outside.  The overload gives its first and last
// position (0, 0 when there is none).
std::string ExtractWordFromString(const std::string& s, int Pos);
std::string ExtractWordFromString(const std::string& s, int Pos, int& First, int& Last);
// The n-th (0-based) field between delimiters; empty when there are fewer.
std::string ExtractSubString(const std::string& s, int n, char Delimiter);
// Splits at every delimiter into at most 100 tokens of at most 255 bytes; the
// 100th holds the rest.  Returns the count (0 for an empty s).
constexpr int MaxTokens = 100;
int Tokenize(const std::string& s, char Delimiter, std::vector<std::string>& Tokens);
// Reads the line starting at Pos and advances Pos behind its line end;
// characters below 32 are dropped.  Mode 0 ends at LF, 1 at CR, 2 at either,
// 3 at LF followed by CR, 4 at CR followed by LF.  EndOfString becomes true when
// the line ran to the end of s.
std::string ReadLnString(const std::string& s, int& Pos, bool& EndOfString, int Mode);
// Words: runs of at least two characters outside WordSeps followed by a separator.
int CountWords(const std::string& s);

// States of ParseQuotedName.
enum TQuotedStrState { vsStart, vs1stQuote, vsQuote, vsNormal, vsEnd };
// Reads a name starting at Pos (blanks before it are skipped): either a text in
// double quotes, in which a doubled quote stands for one quote, or a run of
// characters up to the next blank.  Pos moves behind the name (and its closing
// quote).  A quoted name without closing quote runs to the end of s.
std::string ParseQuotedName(const std::string& s, int& Pos);
// The n-th (1-based) parameter of a command-line-like text: parameters are
// separated by blanks and may be quoted as for ParseQuotedName.  Empty when
// there are fewer.
std::string ExtractParam(const std::string& s, int n);
// Line (1-based) and column (1-based byte position in that line) of position
// Pos in a text whose lines end with LF, CR LF or CR.  False (Line = Col = 0)
// when Pos lies outside 1..length+1.
bool TextLineCoords(const std::string& s, int Pos, int& Line, int& Col);
// uuencoding of a byte string: lines of up to 45 bytes, each a length character
// and groups of four characters (code 32 + 6 bits, '`' for zero), each line
// ended by LF.  UUDecodeStr reverses it; lines "begin ..." and "end" are
// skipped, malformed characters count as zero.
std::string UUEncodeStr(const std::string& s);
std::string UUDecodeStr(const std::string& s);

// In-memory counterparts of the tag reader of the stream helpers.
// ReadNextTagInString reads the next tag from position Pos on with the rules of
// ReadNextTagInStream and moves Pos behind what was read (behind the end of s
// at the end).
int ReadNextTagInString(const std::string& s, int& Pos, const std::vector<std::string>& TagList,
                        std::string& Content, std::string& Attributes);
// Finds the next tag at or after Pos without reading anything behind it: the
// list index of its name (the highest index when no entry matches or no tag
// follows), TagPos its '<' (0 when none).
int DetectNextTagInString(const std::string& s, int Pos, const std::vector<std::string>& TagList, int& TagPos);

// ---------------------------------------------------------------- substitution
// A reversible substitution of the character codes 1-255 (code 0 and
// characters above 255 are left alone); texts stay valid UTF-8 and
// DeScramble(Scramble(s)) == s for valid UTF-8.  InitScramble builds the
// permutation from Seed with the unit's own generator (the shared RandSeed is
// not touched); at start-up the seed is 4711.
void InitScramble(uint32_t Seed);
std::string Scramble(const std::string& s);
std::string DeScramble(const std::string& s);

// ---------------------------------------------------------------- TGrep
enum TGrepTokenAct { taNormal, taAnyByte, taEol, taBol, taSet, taMult0, taMult1, taOpti };

constexpr int GrepMaxTokens = 64;
constexpr int GrepMaxString = 255;

struct TGrepToken {
  TGrepTokenAct Action = taNormal;
  // taNormal: string length; taSet: -1; repeats: 0 any character, -1 the set in
  // Table, > 0 the string in Table.
  int Count = 0;
  // Strings at indices 1..Count; sets: '*' member, ' ' non-member, by code.
  char Table[256] = {};
  int MatchPos = 0;  // subject position of the last match of this token
};

// Error codes of CompileRegExp: 0 none, 1..9 the pattern errors, 10 more than
// 64 tokens, 11 a literal run or group longer than 255 bytes.
class TGrep : public TComponent {
 public:
  explicit TGrep(TComponent* AOwner);

  const std::string& RegExp() const { return FRegExp; }
  // Compiles the pattern; raises EZOLStringlError on an error when StopOnError is set.
  void SetRegExp(const std::string& v);
  bool IgnoreCase() const { return FIgnoreCase; }
  void SetIgnoreCase(bool v);  // recompiles the current pattern
  int SearchStartPos() const { return FSearchStartPos; }
  void SetSearchStartPos(int v);  // clamped to >= 1
  bool StopOnError() const { return FStopOnError; }
  void SetStopOnError(bool v) { FStopOnError = v; }
  int ErrorCode() const { return FErrorCode; }
  int MatchStart() const { return FMatchStart; }
  int MatchEnd() const { return FMatchEnd; }
  int NrTokens() const { return static_cast<int>(FTokens.size()); }

  // Makes Pattern the current pattern and builds the token table; returns the
  // error code (0 = no error).  A pattern with an error matches nothing.
  int CompileRegExp(const std::string& Pattern);
  // True when the subject matches; Pos and MatchStart receive the first matched
  // position, MatchEnd the last (MatchEnd = MatchStart - 1 for an empty match).
  // Matching is done on bytes.
  bool MatchString(const std::string& Subject, int& Pos);
  // Token Index (1-based, clamped to 1..NrTokens); a default token when the
  // table is empty.
  TGrepToken GetRegExpToken(int Index) const;
  // Writes the token table as text, one line per token and a last line with
  // "no errors" or the error text.
  void PrintRegExp(const std::string& FileName) const;
  // The text of an error code ("" for 0 and unknown codes).
  static std::string ErrorText(int Code);

 private:
  bool MatchFrom(size_t t, int p);
  bool MatchOperand(const TGrepToken& tk, int p, int& next) const;
  std::string FRegExp;
  bool FIgnoreCase = false;
  int FSearchStartPos = 1;
  bool FStopOnError = true;
  int FErrorCode = 0;
  int FMatchStart = 0;
  int FMatchEnd = 0;
  std::vector<TGrepToken> FTokens;
  std::string FSubject;
  std::vector<bool> FFailed;  // (token, position) pairs known not to match
};

}  // namespace zol
