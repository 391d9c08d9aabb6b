#include "base/platform/Zol_sysutils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

extern char** environ;

namespace zol {

std::string ComponentMessage(const std::string& componentName, const std::string& detail) {
  return "Component \"" + componentName + "\": " + detail;
}

// ---------------------------------------------------------------- date and time
namespace {
// Days from 1899-12-30 to 1970-01-01.
constexpr double kUnixEpoch = 25569.0;
constexpr int kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Days since 0001-01-01 of the given (proleptic Gregorian) date, 1-based day.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;  // days since 1970-01-01
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

// Whole days and milliseconds of the day of a TDateTime (negative values count the
// fraction away from zero, as the day number is the integral part).
void SplitDateTime(TDateTime dt, int64_t& days, int64_t& msOfDay) {
  double ip;
  double frac = std::modf(dt, &ip);
  days = static_cast<int64_t>(ip);
  msOfDay = static_cast<int64_t>(std::llround(std::fabs(frac) * 86400000.0));
  if (msOfDay >= 86400000) msOfDay = 86399999;
}
}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInAMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
    return false;
  result = static_cast<double>(DaysFromCivil(year, month, day)) + kUnixEpoch;
  return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
    return false;
  result = (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / 86400000.0;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime r;
  if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
  int64_t days, ms;
  SplitDateTime(dt, days, ms);
  CivilFromDays(days - static_cast<int64_t>(kUnixEpoch), year, month, day);
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
  int64_t days, ms;
  SplitDateTime(dt, days, ms);
  hour = static_cast<int>(ms / 3600000);
  min = static_cast<int>(ms / 60000 % 60);
  sec = static_cast<int>(ms / 1000 % 60);
  msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime dt) {
  int64_t days = static_cast<int64_t>(std::floor(dt));
  // 1899-12-30 was a Saturday (7).
  int64_t r = (days + 6) % 7;
  if (r < 0) r += 7;
  return static_cast<int>(r) + 1;
}

TDateTime UnixToDateTime(double unixSeconds) { return unixSeconds / 86400.0 + kUnixEpoch; }
double DateTimeToUnix(TDateTime dt) { return (dt - kUnixEpoch) * 86400.0; }

TDateTime Now() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  time_t t = ts.tv_sec;
  struct tm lt;
  localtime_r(&t, &lt);
  return UnixToDateTime(static_cast<double>(t + lt.tm_gmtoff) + ts.tv_nsec / 1e9);
}

TDateTime Date() { return std::floor(Now()); }
TDateTime Time() {
  TDateTime n = Now();
  return n - std::floor(n);
}

uint64_t GetTickCount() {
  static const auto start = std::chrono::steady_clock::now();
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
          .count());
}

// ---------------------------------------------------------------- random numbers
uint32_t RandSeed = 0;

void Randomize() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  RandSeed = static_cast<uint32_t>(ts.tv_sec * 1000003u) ^ static_cast<uint32_t>(ts.tv_nsec);
}

static uint32_t NextRand() {
  RandSeed = RandSeed * 0x08088405u + 1u;
  return RandSeed;
}

double Random() { return NextRand() * (1.0 / 4294967296.0); }

int Random(int range) {
  uint32_t r = NextRand();
  if (range <= 0) return 0;
  return static_cast<int>((static_cast<uint64_t>(r) * static_cast<uint32_t>(range)) >> 32);
}

// ---------------------------------------------------------------- strings
std::string IntToStr(int64_t v) { return std::to_string(v); }

std::string IntToHex(uint64_t v, int digits) {
  char buf[32];
  snprintf(buf, sizeof buf, "%0*llX", digits < 0 ? 0 : (digits > 16 ? 16 : digits),
           static_cast<unsigned long long>(v));
  return buf;
}

bool TryStrToInt64(const std::string& s, int64_t& v) {
  std::string t = Trim(s);
  if (t.empty()) return false;
  const char* b = t.data();
  const char* e = b + t.size();
  if (*b == '+') ++b;
  if (b == e) return false;
  if (*b == '$' || (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X'))) {
    b += (*b == '$') ? 1 : 2;
    uint64_t u;
    auto r = std::from_chars(b, e, u, 16);
    if (r.ec != std::errc() || r.ptr != e) return false;
    v = static_cast<int64_t>(u);
    return true;
  }
  auto r = std::from_chars(b, e, v);
  return r.ec == std::errc() && r.ptr == e;
}

bool TryStrToInt(const std::string& s, int& v) {
  int64_t w;
  if (!TryStrToInt64(s, w) || w < INT32_MIN || w > INT32_MAX) return false;
  v = static_cast<int>(w);
  return true;
}

int StrToInt(const std::string& s) {
  int v;
  if (!TryStrToInt(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
  return v;
}

int StrToIntDef(const std::string& s, int deflt) {
  int v;
  return TryStrToInt(s, v) ? v : deflt;
}

bool TryStrToFloat(const std::string& s, double& v) {
  std::string t = Trim(s);
  if (t.empty()) return false;
  const char* b = t.data();
  const char* e = b + t.size();
  if (*b == '+') ++b;
  auto r = std::from_chars(b, e, v);
  if (r.ec == std::errc::result_out_of_range) {
    // Over- or underflow: follow strtod (HUGE_VAL / 0 with the sign).
    v = std::strtod(t.c_str(), nullptr);
    return true;
  }
  return r.ec == std::errc() && r.ptr == e;
}

double StrToFloat(const std::string& s) {
  double v;
  if (!TryStrToFloat(s, v)) throw EConvertError("'" + s + "' is not a valid floating point value");
  return v;
}

std::string FloatToStr(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}
std::string TrimLeft(const std::string& s) {
  size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  return s.substr(b);
}
std::string TrimRight(const std::string& s) {
  size_t e = s.size();
  while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(0, e);
}
std::string UpperCase(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}
std::string LowerCase(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}
int CompareText(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}
std::string StringOfChar(char c, int count) { return std::string(count > 0 ? count : 0, c); }

// ---------------------------------------------------------------- UTF-8
namespace {
// Length of the valid UTF-8 sequence starting at s[i], 0 when invalid.
size_t Utf8SeqLen(std::string_view s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n;
  uint32_t cp;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) { n = 2; cp = c & 0x1F; }
  else if (c >= 0xE0 && c <= 0xEF) { n = 3; cp = c & 0x0F; }
  else if (c >= 0xF0 && c <= 0xF4) { n = 4; cp = c & 0x07; }
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
    return 0;
  return n;
}
}  // namespace

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    size_t n = Utf8SeqLen(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string Latin1ToUtf8(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      r += ch;
    } else {
      r += static_cast<char>(0xC0 | (c >> 6));
      r += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return r;
}

std::string BytesToUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Latin1ToUtf8(bytes);
}

void AppendUtf8(std::string& r, uint32_t cp) {
  if (cp < 0x80) {
    r += static_cast<char>(cp);
  } else if (cp < 0x800) {
    r += static_cast<char>(0xC0 | (cp >> 6));
    r += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    r += static_cast<char>(0xE0 | (cp >> 12));
    r += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    r += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    r += static_cast<char>(0xF0 | ((cp >> 18) & 0x07));
    r += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    r += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    r += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::u32string Utf8ToCodePoints(std::string_view s) {
  std::u32string r;
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    const int n = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    bool ok = n >= 0 && i + static_cast<size_t>(n) < s.size();
    char32_t cp = n <= 0 ? b : n == 1 ? (b & 0x1Fu) : n == 2 ? (b & 0x0Fu) : (b & 0x07u);
    for (int k = 1; ok && k <= n; ++k) {
      const unsigned char c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((c & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (c & 0x3Fu);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not valid sequences.
    if (ok && n > 0) {
      const char32_t lo = n == 1 ? 0x80 : n == 2 ? 0x800 : 0x10000;
      if (cp < lo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) ok = false;
    }
    if (!ok) {
      r.push_back(b);
      ++i;
    } else {
      r.push_back(cp);
      i += static_cast<size_t>(n) + 1;
    }
  }
  return r;
}

std::string Utf8Truncate(const std::string& s, size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  size_t cut = maxBytes;
  // Step back over continuation bytes so that no sequence is split.
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  return s.substr(0, cut);
}

// ---------------------------------------------------------------- files and folders
bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return DirectoryExists(path);
}

bool CreateDir(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }
bool RemoveDir(const std::string& path) { return rmdir(path.c_str()) == 0; }
bool DeleteFile(const std::string& path) { return FileExists(path) && unlink(path.c_str()) == 0; }
bool RenameFile(const std::string& oldName, const std::string& newName) {
  return rename(oldName.c_str(), newName.c_str()) == 0;
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

TDateTime FileDateTime(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return -1;
  time_t t = st.st_mtim.tv_sec;
  struct tm lt;
  localtime_r(&t, &lt);
  return UnixToDateTime(static_cast<double>(t + lt.tm_gmtoff) + st.st_mtim.tv_nsec / 1e9);
}

bool FileSetDateTime(const std::string& path, TDateTime dt) {
  // dt is local time: find the UTC instant through mktime.
  int y, mo, d, h, mi, s, ms;
  DecodeDate(dt, y, mo, d);
  DecodeTime(dt, h, mi, s, ms);
  struct tm lt{};
  lt.tm_year = y - 1900;
  lt.tm_mon = mo - 1;
  lt.tm_mday = d;
  lt.tm_hour = h;
  lt.tm_min = mi;
  lt.tm_sec = s;
  lt.tm_isdst = -1;
  time_t t = mktime(&lt);
  if (t == static_cast<time_t>(-1)) return false;
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = t;
  times[0].tv_nsec = times[1].tv_nsec = static_cast<long>(ms) * 1000000L;
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

int FileGetAttr(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return -1;
  int a = 0;
  if (S_ISLNK(st.st_mode)) {
    a |= faSymLink;
    if (stat(path.c_str(), &st) != 0) return a;
  }
  if (S_ISDIR(st.st_mode)) a |= faDirectory;
  else if (S_ISREG(st.st_mode)) a |= faArchive;
  else a |= faSysFile;
  if (access(path.c_str(), W_OK) != 0) a |= faReadOnly;
  std::string name = ExtractFileName(ExcludeTrailingPathDelimiter(path));
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= faHidden;
  return a;
}

bool FileSetReadOnly(const std::string& path, bool readOnly) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  mode_t m = st.st_mode & 07777;
  m = readOnly ? (m & ~static_cast<mode_t>(0222)) : (m | S_IWUSR);
  return chmod(path.c_str(), m) == 0;
}

int64_t DiskFree(const std::string& path) {
  struct statvfs sv;
  if (statvfs(path.empty() ? "." : path.c_str(), &sv) != 0) return -1;
  return static_cast<int64_t>(sv.f_bavail) * static_cast<int64_t>(sv.f_frsize);
}

int64_t DiskSize(const std::string& path) {
  struct statvfs sv;
  if (statvfs(path.empty() ? "." : path.c_str(), &sv) != 0) return -1;
  return static_cast<int64_t>(sv.f_blocks) * static_cast<int64_t>(sv.f_frsize);
}

std::string GetCurrentDir() {
  std::error_code ec;
  auto p = std::filesystem::current_path(ec);
  return ec ? std::string() : p.string();
}

bool SetCurrentDir(const std::string& path) { return chdir(path.c_str()) == 0; }

std::string GetTempDirectory() {
  std::string t = GetEnvironmentVariable("TMPDIR");
  if (t.empty() || !DirectoryExists(t)) t = "/tmp";
  return IncludeTrailingPathDelimiter(t);
}

std::string GetHomeDirectory() {
  std::string h = GetEnvironmentVariable("HOME");
  if (h.empty()) h = "/";
  return IncludeTrailingPathDelimiter(h);
}

std::string GetEnvironmentVariable(const std::string& name) {
  const char* v = getenv(name.c_str());
  return v ? std::string(v) : std::string();
}

std::vector<std::string> GetEnvironmentStrings() {
  std::vector<std::string> r;
  for (char** e = environ; e && *e; ++e) r.emplace_back(*e);
  return r;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  // Iterative wildcard match with back-tracking to the last '*'.
  size_t n = 0, m = 0, starM = std::string::npos, starN = 0;
  auto eq = [](char a, char b) {
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
    return a == b;
  };
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && eq(mask[m], name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::vector<std::string> FindFiles(const std::string& dir, const std::string& mask, int attr) {
  std::vector<std::string> r;
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return r;
  while (struct dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    bool isDir = DirectoryExists(IncludeTrailingPathDelimiter(dir.empty() ? "." : dir) + n);
    if (isDir && !(attr & faDirectory)) continue;
    if (MatchesMask(n, mask.empty() ? "*" : mask)) r.push_back(n);
  }
  closedir(d);
  std::sort(r.begin(), r.end());
  return r;
}

std::string ExtractFilePath(const std::string& path) {
  size_t p = path.rfind('/');
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& path) {
  size_t p = path.rfind('/');
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileExt(const std::string& path) {
  std::string n = ExtractFileName(path);
  size_t p = n.rfind('.');
  return (p == std::string::npos || p == 0) ? std::string() : n.substr(p);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  std::string dir = ExtractFilePath(path), n = ExtractFileName(path);
  size_t p = n.rfind('.');
  if (p != std::string::npos && p != 0) n.resize(p);
  return dir + n + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  if (!path.empty() && path.back() == '/') return path;
  return path + '/';
}

std::string ExcludeTrailingPathDelimiter(const std::string& path) {
  std::string r = path;
  while (r.size() > 1 && r.back() == '/') r.pop_back();
  return r;
}

std::string ExpandFileName(const std::string& path) {
  std::filesystem::path p(path);
  if (p.is_relative()) p = std::filesystem::path(GetCurrentDir()) / p;
  std::string r = p.lexically_normal().string();
  if (r.size() > 1 && r.back() == '/' && !(path.size() > 0 && path.back() == '/')) r.pop_back();
  return r;
}

// ---------------------------------------------------------------- trash
std::string TrashDirectory() {
  std::string base = GetEnvironmentVariable("XDG_DATA_HOME");
  if (base.empty()) base = GetHomeDirectory() + ".local/share";
  return IncludeTrailingPathDelimiter(base) + "Trash/";
}

namespace {
std::string PercentEncodePath(const std::string& s) {
  static const char* hex = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : s) {
    if (isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      r += static_cast<char>(c);
    } else {
      r += '%';
      r += hex[c >> 4];
      r += hex[c & 15];
    }
  }
  return r;
}
}  // namespace

bool MoveToTrash(const std::string& path) {
  if (!FileExists(path) && !DirectoryExists(path)) return false;
  std::string abs = ExpandFileName(path);
  std::string trash = TrashDirectory();
  if (!ForceDirectories(trash + "files") || !ForceDirectories(trash + "info")) return false;
  std::string name = ExtractFileName(ExcludeTrailingPathDelimiter(abs));
  std::string target = name;
  // Reserve a unique name by creating its .trashinfo exclusively.
  int fd = -1;
  for (int k = 1; k < 100000; ++k) {
    std::string info = trash + "info/" + target + ".trashinfo";
    fd = open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0 && !FileExists(trash + "files/" + target) && !DirectoryExists(trash + "files/" + target))
      break;
    if (fd >= 0) {
      close(fd);
      unlink(info.c_str());
      fd = -1;
    } else if (errno != EEXIST) {
      return false;
    }
    std::string stem = name, ext;
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
      stem = name.substr(0, dot);
      ext = name.substr(dot);
    }
    target = stem + "." + std::to_string(k) + ext;
  }
  if (fd < 0) return false;
  time_t t = time(nullptr);
  struct tm lt;
  localtime_r(&t, &lt);
  char when[32];
  strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &lt);
  std::string rec = "[Trash Info]\nPath=" + PercentEncodePath(abs) + "\nDeletionDate=" + when + "\n";
  bool ok = write(fd, rec.data(), rec.size()) == static_cast<ssize_t>(rec.size());
  close(fd);
  std::string info = trash + "info/" + target + ".trashinfo";
  if (ok && rename(abs.c_str(), (trash + "files/" + target).c_str()) == 0) return true;
  if (ok && errno == EXDEV) {
    // Another file system: copy, then remove the original.
    std::error_code ec;
    std::filesystem::copy(abs, trash + "files/" + target, std::filesystem::copy_options::recursive, ec);
    if (!ec) {
      std::filesystem::remove_all(abs, ec);
      if (!ec) return true;
    }
  }
  unlink(info.c_str());
  return false;
}

}  // namespace zol
