// Platform services: exceptions, date and time, files and folders, environment,
// the shared random generator and UTF-8 helpers.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zol {

// ---------------------------------------------------------------- exceptions
// Root of every exception raised by the suite and its platform layer.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
  std::string Message() const { return what(); }
};
class EMathError : public Exception { using Exception::Exception; };
class EZeroDivide : public EMathError { using EMathError::EMathError; };
class EOutOfMemory : public Exception { using Exception::Exception; };
class EConvertError : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
class EInOutError : public Exception {
 public:
  EInOutError(const std::string& msg, int code = 0) : Exception(msg), ErrorCode(code) {}
  int ErrorCode;  // errno of the failing call, 0 when not applicable
};
class EStreamError : public Exception { using Exception::Exception; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };

// "Component \"Name\": detail" — the message layout of component methods.
std::string ComponentMessage(const std::string& componentName, const std::string& detail);

// ---------------------------------------------------------------- date and time
// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

TDateTime Now();
TDateTime Date();  // today at midnight
TDateTime Time();  // the time of day (fraction only)
bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);  // 0 for an invalid month
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
TDateTime EncodeDate(int year, int month, int day);               // EConvertError when invalid
TDateTime EncodeTime(int hour, int min, int sec, int msec);       // EConvertError when invalid
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
int DayOfWeek(TDateTime dt);  // 1 = Sunday … 7 = Saturday
// Milliseconds since the process started (monotonic).
uint64_t GetTickCount();
// Conversions between TDateTime and Unix time (seconds since 1970-01-01 UTC).
TDateTime UnixToDateTime(double unixSeconds);
double DateTimeToUnix(TDateTime dt);

// ---------------------------------------------------------------- random numbers
// The suite's shared, seedable uniform generator (32-bit linear congruential).
extern uint32_t RandSeed;
void Randomize();        // seeds from the clock
double Random();         // uniform in [0, 1)
int Random(int range);   // uniform in [0, range); 0 when range <= 0

// ---------------------------------------------------------------- strings
std::string IntToStr(int64_t v);
std::string IntToHex(uint64_t v, int digits);
int StrToInt(const std::string& s);                  // EConvertError when not an integer
int StrToIntDef(const std::string& s, int deflt);
bool TryStrToInt(const std::string& s, int& v);
bool TryStrToInt64(const std::string& s, int64_t& v);
double StrToFloat(const std::string& s);             // '.' decimal separator; EConvertError
bool TryStrToFloat(const std::string& s, double& v);
std::string FloatToStr(double v);                    // shortest text that reads back exactly
std::string Trim(const std::string& s);              // removes bytes <= ' ' at both ends
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
std::string UpperCase(const std::string& s);         // folds ASCII only
std::string LowerCase(const std::string& s);         // folds ASCII only
int CompareText(const std::string& a, const std::string& b);  // ASCII case-insensitive, <0/0/>0
bool SameText(const std::string& a, const std::string& b);
std::string StringOfChar(char c, int count);

// UTF-8 helpers.
bool IsValidUtf8(std::string_view s);
std::string Latin1ToUtf8(std::string_view s);
// File bytes as text: kept when they are valid UTF-8, otherwise read as Latin-1.
std::string BytesToUtf8(std::string_view bytes);
// Appends the UTF-8 encoding of code point cp (at most U+10FFFF) to r.
void AppendUtf8(std::string& r, uint32_t cp);
// The code points of s; a byte that begins no valid sequence is the
// Latin-1 character of that value.
std::u32string Utf8ToCodePoints(std::string_view s);
// Cuts s to at most maxBytes bytes without splitting a UTF-8 sequence.
std::string Utf8Truncate(const std::string& s, size_t maxBytes);

// ---------------------------------------------------------------- files and folders
constexpr char PathDelim = '/';
// File attribute bits.
constexpr int faReadOnly = 0x01, faHidden = 0x02, faSysFile = 0x04, faVolumeID = 0x08,
              faDirectory = 0x10, faArchive = 0x20, faSymLink = 0x40, faAnyFile = 0x3F;

bool FileExists(const std::string& path);        // a file (not a folder)
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);  // creates every missing level
bool CreateDir(const std::string& path);
bool RemoveDir(const std::string& path);         // an empty folder
bool DeleteFile(const std::string& path);
bool RenameFile(const std::string& oldName, const std::string& newName);
int64_t FileSize(const std::string& path);       // -1 when it does not exist
// Modification time as TDateTime (local time); -1 when the file does not exist.
TDateTime FileDateTime(const std::string& path);
bool FileSetDateTime(const std::string& path, TDateTime dt);
int FileGetAttr(const std::string& path);        // -1 when it does not exist
bool FileSetReadOnly(const std::string& path, bool readOnly);
int64_t DiskFree(const std::string& path);       // bytes available; -1 on failure
int64_t DiskSize(const std::string& path);       // -1 on failure
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& path);
std::string GetTempDirectory();                  // with a trailing '/'
std::string GetHomeDirectory();                  // with a trailing '/'
std::string GetEnvironmentVariable(const std::string& name);  // empty when unset
std::vector<std::string> GetEnvironmentStrings();             // "NAME=value" entries
// Names (not paths) of the entries of a folder matching a mask with * and ?;
// attr selects faDirectory entries too when it holds faDirectory.
std::vector<std::string> FindFiles(const std::string& dir, const std::string& mask, int attr = 0);
bool MatchesMask(const std::string& name, const std::string& mask);  // * and ?, ASCII case-insensitive

// Path pieces, '/' separated.
std::string ExtractFilePath(const std::string& path);   // up to and including the last '/'
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path);    // with the dot; empty when none
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);
std::string ExpandFileName(const std::string& path);    // absolute, '.' and '..' resolved

// Moves a file or folder into the freedesktop.org trash of the user
// ($XDG_DATA_HOME/Trash, with a .trashinfo record).  False on failure.
bool MoveToTrash(const std::string& path);
// The trash folder used by MoveToTrash, with a trailing '/'.
std::string TrashDirectory();

}  // namespace zol
