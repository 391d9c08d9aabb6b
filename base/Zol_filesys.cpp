#include "base/Zol_filesys.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/Zol_streams.h"
#include "base/platform/Zol_dialogs.h"

namespace zol {

namespace {
bool gAbortCopy = false;

bool IsSep(char c) { return c == '/' || c == '\\'; }

// Splits "dir/pattern" into the folder (with trailing '/', "./" when none) and the pattern.
void SplitMask(const std::string& Mask, std::string& Dir, std::string& Pattern) {
  Dir = ExtractFilePath(Mask);
  Pattern = ExtractFileName(Mask);
  if (Dir.empty()) Dir = "./";
  if (Pattern.empty()) Pattern = "*";
}

std::vector<std::string> SubDirs(const std::string& Dir) {
  std::vector<std::string> r;
  for (const std::string& n : FindFiles(Dir, "*", faDirectory))
    if (DirectoryExists(Dir + n) && !(FileGetAttr(Dir + n) & faSymLink)) r.push_back(n);
  return r;
}

// Plain files of Dir matching Pattern.
std::vector<std::string> MatchingFiles(const std::string& Dir, const std::string& Pattern) {
  std::vector<std::string> r;
  for (const std::string& n : FindFiles(Dir, Pattern, 0))
    if (FileExists(Dir + n)) r.push_back(n);
  return r;
}

bool SameFileOnDisk(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
}  // namespace

std::string StripExtension(const std::string& Path) {
  std::string dir = ExtractFilePath(Path), name = ExtractFileName(Path);
  size_t dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
  return dir + name;
}

std::string StripPath(const std::string& Path) { return ExtractFileName(Path); }

std::string EnsureDefaultFileExt(const std::string& Path, const std::string& Ext) {
  if (Ext.empty() || !ExtractFileExt(Path).empty()) return Path;
  return Path + (Ext[0] == '.' ? Ext : "." + Ext);
}

std::string AbridgeFilePath(const std::string& Path, int MaxLen) {
  std::string p = Path;
  char sep = p.find('\\') != std::string::npos ? '\\' : '/';
  size_t pos = p.find(sep);
  if (pos == std::string::npos) return p;
  while (static_cast<int>(p.size()) >= MaxLen) {
    size_t next = p.find(sep, pos + 1);
    if (next == std::string::npos) break;  // only the file name follows
    p.replace(pos + 1, next - pos - 1, "..");
    pos += 3;  // on the separator behind the ".."
  }
  return p;
}

int ExtractDrive(const std::string& Path) {
  if (Path.size() >= 2 && Path[1] == ':' && std::isalpha(static_cast<unsigned char>(Path[0])))
    return (Path[0] | 0x20) - 'a';
  return -1;
}

bool IsRootDir(const std::string& Path) {
  std::string t = Trim(Path);
  if (t == "/") return true;
  return t.size() <= 3 && t.size() >= 2 && t[1] == ':' && (t.size() == 2 || IsSep(t[2]));
}

bool IsDOS83Path(const std::string& Path) {
  static const char* allowed = "!#$%&'()-@^_`{}~";
  size_t run = 0;
  for (char c : Path) {
    unsigned char u = static_cast<unsigned char>(c);
    if (IsSep(c) || c == '.' || c == ':') {
      run = 0;
      continue;
    }
    if (!(std::isalnum(u) || std::strchr(allowed, c))) return false;
    if (++run >= 10) return false;
  }
  return true;
}

std::string DOSToWinPath(const std::string& Path) { return Path; }

bool DirExists(const std::string& Dir) { return DirectoryExists(Dir); }

bool DirEmpty(const std::string& Dir) {
  if (!DirectoryExists(Dir)) return true;
  return FindFiles(IncludeTrailingPathDelimiter(Dir), "*", faDirectory).empty();
}

bool DirIsReadOnly(const std::string& Dir) {
  if (!DirectoryExists(Dir)) return false;
  std::string base = IncludeTrailingPathDelimiter(Dir) + "$%$LO%$";
  for (int k = 0; k < 100; ++k) {
    std::string probe = base + (k ? std::to_string(k) : std::string()) + ".$$$";
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      unlink(probe.c_str());
      return false;
    }
    if (errno != EEXIST) return true;  // the name is free but cannot be created
  }
  return access(Dir.c_str(), W_OK) != 0;
}

bool DiskIsReadOnly(int) { return false; }
int64_t GetFileSize(const std::string& Path) { return FileExists(Path) ? FileSize(Path) : -1; }
int GetDiskDriveType(int) { return DRIVE_NO_ROOT_DIR; }
int64_t DiskFreeExtended(int) { return -1; }

int DeleteFiles(const std::string& Mask) {
  std::string dir, pat;
  SplitMask(Mask, dir, pat);
  int n = 0;
  for (const std::string& f : MatchingFiles(dir, pat))
    if (f[0] != '.' && DeleteFile(dir + f)) ++n;
  return n;
}

int MoveToRecycleBin(const std::string& Mask) {
  std::string dir, pat;
  SplitMask(Mask, dir, pat);
  int n = 0;
  for (const std::string& f : MatchingFiles(dir, pat))
    if (f[0] != '.' && MoveToTrash(dir + f)) ++n;
  return n;
}

bool DelDirTree(const std::string& Dir, std::string& FailedPath) {
  FailedPath.clear();
  std::string d = IncludeTrailingPathDelimiter(Dir);
  if (!DirectoryExists(Dir)) {
    FailedPath = Dir;
    return false;
  }
  for (const std::string& n : FindFiles(d, "*", faDirectory)) {
    std::string p = d + n;
    bool isDir = DirectoryExists(p) && !(FileGetAttr(p) & faSymLink);
    if (isDir) {
      if (!DelDirTree(p, FailedPath)) return false;
    } else if (unlink(p.c_str()) != 0) {
      FailedPath = p;
      return false;
    }
  }
  if (!RemoveDir(ExcludeTrailingPathDelimiter(Dir))) {
    FailedPath = Dir;
    return false;
  }
  return true;
}

void SetAllFilenameCase(const std::string& Mask, bool Upper) {
  std::string dir, pat;
  SplitMask(Mask, dir, pat);
  for (const std::string& f : MatchingFiles(dir, pat)) {
    std::string n = Upper ? UpperCase(f) : LowerCase(f);
    if (n != f && !FileExists(dir + n)) RenameFile(dir + f, dir + n);
  }
  for (const std::string& s : SubDirs(dir)) {
    SetAllFilenameCase(dir + s + "/" + pat, Upper);
    std::string n = Upper ? UpperCase(s) : LowerCase(s);
    if (n != s && !DirectoryExists(dir + n)) RenameFile(dir + s, dir + n);
  }
}

namespace {
int ScanInto(const std::string& Dir, const std::string& Pattern, TStringList* List, bool Recursive,
             const TFileScanFeedback& Feedback, int count) {
  for (const std::string& f : MatchingFiles(Dir, Pattern)) {
    if (List) List->Add(Dir + f);
    ++count;
  }
  if (Feedback) Feedback(Dir, count);
  if (Recursive)
    for (const std::string& s : SubDirs(Dir)) count = ScanInto(Dir + s + "/", Pattern, List, true, Feedback, count);
  return count;
}
}  // namespace

int ScanFilesToStrList(const std::string& Mask, TStringList& List, bool Recursive,
                       const TFileScanFeedback& Feedback) {
  std::string dir, pat;
  SplitMask(Mask, dir, pat);
  return ScanInto(dir, pat, &List, Recursive, Feedback, 0);
}

int CountFiles(const std::string& Mask, bool Recursive, const TFileScanFeedback& Feedback) {
  std::string dir, pat;
  SplitMask(Mask, dir, pat);
  return ScanInto(dir, pat, nullptr, Recursive, Feedback, 0);
}

namespace {
std::string DetectBelow(const std::string& Dir, const std::string& Name, int depth) {
  if (depth > 64) return std::string();
  for (const std::string& s : SubDirs(Dir)) {
    std::string d = Dir + s + "/";
    if (FileExists(d + Name)) return d + Name;
    std::string r = DetectBelow(d, Name, depth + 1);
    if (!r.empty()) return r;
  }
  return std::string();
}
}  // namespace

std::string FileDetect(const std::string& Path) {
  if (FileExists(Path)) return Path;
  std::string dir = ExtractFilePath(Path);
  if (dir.empty()) dir = "./";
  return DetectBelow(dir, ExtractFileName(Path), 0);
}

int FileCopyFeedBk(const std::string& Source, const std::string& Dest, bool ClearReadOnly,
                   const TFileCopyFeedback& Feedback) {
  gAbortCopy = false;
  std::string target = Dest;
  if (DirectoryExists(target)) target = IncludeTrailingPathDelimiter(target) + ExtractFileName(Source);
  int in = open(Source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return fcSourceNotOpened;
  struct stat st;
  if (fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(in);
    return fcSourceNotOpened;
  }
  // Copying a file onto itself would truncate it before reading.
  if (SameFileOnDisk(Source, target)) {
    close(in);
    return fcSameFile;
  }
  int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    close(in);
    return fcTargetNotCreated;
  }
  const int64_t total = st.st_size;
  int64_t done = 0;
  int result = fcOK;
  if (Feedback) Feedback(0, total);
  std::vector<char> buf(8192);
  for (;;) {
    if (gAbortCopy) {
      result = fcAborted;
      break;
    }
    ssize_t n = read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result = fcReadError;
      break;
    }
    if (n == 0) break;
    ssize_t w = 0;
    while (w < n) {
      ssize_t k = write(out, buf.data() + w, static_cast<size_t>(n - w));
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) break;
      w += k;
    }
    if (w != n) {
      result = fcWriteError;
      break;
    }
    done += n;
    if (Feedback) Feedback(done, total);
  }
  close(in);
  if (close(out) != 0 && result == fcOK) result = fcWriteError;
  if (result != fcOK) {
    unlink(target.c_str());  // no partial target is left behind
    return result;
  }
  if (Feedback) Feedback(done, total);
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  utimensat(AT_FDCWD, target.c_str(), times, 0);
  mode_t mode = st.st_mode & 07777;
  if (ClearReadOnly) mode |= S_IWUSR;
  chmod(target.c_str(), mode);
  return fcOK;
}

int CopyFileTree(const std::string& SourceDir, const std::string& DestDir, bool ClearReadOnly,
                 const TTreeCopyFeedback& Feedback) {
  gAbortCopy = false;
  std::string src = IncludeTrailingPathDelimiter(ExpandFileName(SourceDir));
  std::string dst = IncludeTrailingPathDelimiter(ExpandFileName(DestDir));
  if (CompareText(src, dst) == 0 || !DirectoryExists(src)) return fcOK;
  // Collect the whole tree first, leaving out the target if it lies inside the
  // source, so that the copy never feeds on itself.
  std::vector<std::string> files, dirs{""};
  for (size_t i = 0; i < dirs.size(); ++i) {
    std::string rel = dirs[i];
    for (const std::string& f : MatchingFiles(src + rel, "*")) files.push_back(rel + f);
    for (const std::string& s : SubDirs(src + rel)) {
      std::string sub = IncludeTrailingPathDelimiter(src + rel + s);
      if (CompareText(sub, dst) == 0) continue;
      dirs.push_back(rel + s + "/");
    }
  }
  for (const std::string& d : dirs)
    if (!ForceDirectories(dst + d)) return fcTargetNotCreated;
  int count = 0;
  for (const std::string& f : files) {
    std::string target = dst + f;
    int r = FileCopyFeedBk(src + f, target, ClearReadOnly, [&](int64_t done, int64_t total) {
      if (Feedback) Feedback(done, total, target, count);
    });
    if (r == fcOK) ++count;
    if (Feedback) Feedback(0, 0, target, count);
    if (r != fcOK) return r;
  }
  return fcOK;
}

void AbortAnyFileCopying() { gAbortCopy = true; }

std::string ReadNextWordInTextFile(TextFile& F) {
  char c;
  std::string w;
  // Skip to the first character above blank.
  while (ReadChar(F, c)) {
    if (static_cast<unsigned char>(c) > ' ') {
      w += c;
      break;
    }
  }
  while (ReadChar(F, c)) {
    if (static_cast<unsigned char>(c) <= ' ') break;
    w += c;
  }
  return BytesToUtf8(w);
}

int CountLinesInTextFile(TextFile& F) {
  Reset(F);
  int n = 0;
  std::string line;
  while (ReadLn(F, line)) ++n;
  Reset(F);
  return n;
}

int CountLinesInTextFile(const std::string& FileName) {
  try {
    TextFile f;
    AssignFile(f, FileName);
    Reset(f);
    int n = 0;
    std::string line;
    while (ReadLn(f, line)) ++n;
    CloseFile(f);
    return n;
  } catch (const Exception&) {
    return -1;
  }
}

bool AppendToTextFile(const std::string& FileName, const std::string& Line) {
  try {
    TextFile f;
    AssignFile(f, FileName);
    Append(f);
    WriteLn(f, Line);
    CloseFile(f);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool AppendToTextFile(const std::string& FileName, const TStringList& Lines) {
  try {
    TextFile f;
    AssignFile(f, FileName);
    Append(f);
    for (int i = 0; i < Lines.Count(); ++i) WriteLn(f, Lines[i]);
    CloseFile(f);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

int DetectStringInFile(const std::string& FileName, const std::string& S, bool IgnoreCase, int64_t MaxChars) {
  if (S.empty()) return 0;
  try {
    TextFile f;
    AssignFile(f, FileName);
    Reset(f);
    std::string line, needle = IgnoreCase ? LowerCase(S) : S;
    int64_t before = 0;
    while (before < MaxChars && ReadLn(f, line)) {
      size_t p = (IgnoreCase ? LowerCase(line) : line).find(needle);
      if (p != std::string::npos && before + static_cast<int64_t>(p) < MaxChars) {
        CloseFile(f);
        int64_t r = before + static_cast<int64_t>(p) + 1;
        return r > INT32_MAX ? INT32_MAX : static_cast<int>(r);
      }
      before += static_cast<int64_t>(line.size());
    }
    CloseFile(f);
  } catch (const Exception&) {
  }
  return 0;
}

int FindFirstMatchInTextFile(const std::string& FileName, const std::string& S, bool IgnoreCase,
                             std::string& Line) {
  Line.clear();
  try {
    TextFile f;
    AssignFile(f, FileName);
    Reset(f);
    std::string l, needle = IgnoreCase ? LowerCase(S) : S;
    int n = 0;
    while (ReadLn(f, l)) {
      ++n;
      if ((IgnoreCase ? LowerCase(l) : l).find(needle) != std::string::npos) {
        Line = l;
        CloseFile(f);
        return n;
      }
    }
    CloseFile(f);
  } catch (const Exception&) {
  }
  return 0;
}

int CheckTextFileType(const std::string& FileName) {
  int fd = open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  unsigned char b[4] = {0, 0, 0, 0};
  ssize_t n = read(fd, b, 4);
  close(fd);
  if (n < 0) return -1;
  if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return 5;
  if (n >= 4 && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0) return 2;
  if (n >= 4 && b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF) return 3;
  if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) return 0;
  if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) return 1;
  if (n >= 3 && b[0] == '{' && b[1] == '\\' && b[2] == 'r') return 4;
  return 6;
}

std::string GetSystemDir() { return "/usr/lib/"; }
std::string GetTempDir() { return GetTempDirectory(); }
std::string GetWindowsDir() { return "/etc/"; }
std::string GetEnviroVar(const std::string& Name) { return GetEnvironmentVariable(Name); }

std::string InventPassword(int Length) {
  static const char* vowels = "aeiouy";
  static const char* consonants = "bcdfghjklmnpqrstvwxz";
  Length = std::clamp(Length, 4, 14);
  std::string p;
  if (Length % 2) p += vowels[Random(6)];
  for (int i = 0; i < Length / 2; ++i) {
    p += consonants[Random(20)];
    p += vowels[Random(6)];
  }
  int num = Random(100);
  std::string digits = {static_cast<char>('0' + num / 10), static_cast<char>('0' + num % 10)};
  p.insert(std::min<size_t>(6, p.size()), digits);
  return p;
}

std::string InventPassword(int Length, bool MixedCase, bool SpecialChars) {
  static const char* specials = "_!$%#=0123456789";
  std::string p = InventPassword(Length);
  for (char& c : p) {
    if (MixedCase && c >= 'a' && c <= 'z' && Random(2) == 0) c = static_cast<char>(c - 32);
    if (SpecialChars && Random(5) == 0) c = specials[Random(16)];
  }
  return p;
}

namespace {
// The integer at the start of a header line ("12\t;nr. of rows" gives 12).
bool LeadingInt(const std::string& line, int& v) {
  std::string t = Trim(line);
  size_t n = 0;
  if (n < t.size() && (t[n] == '-' || t[n] == '+')) ++n;
  size_t digits = n;
  while (n < t.size() && t[n] >= '0' && t[n] <= '9') ++n;
  if (n == digits) return false;
  return TryStrToInt(t.substr(0, n), v);
}

// Reads the four flags of line 4; 0 or 253.
int ParseAscFlags(std::string line, bool& f1, bool& f2, bool& f3, bool& f4) {
  for (char& c : line)
    if (c == '\t') c = ' ';
  line = Trim(UpperCase(line));
  bool* flags[4] = {&f1, &f2, &f3, &f4};
  for (int k = 0; k < 4; ++k) {
    if (line.compare(0, 4, "TRUE") == 0) {
      *flags[k] = true;
      line = Trim(line.substr(4));
    } else if (line.compare(0, 5, "FALSE") == 0) {
      *flags[k] = false;
      line = Trim(line.substr(5));
    } else {
      if (k < 3) return 253;
      *flags[k] = false;
    }
  }
  return 0;
}
}  // namespace

int ReadHeaderOfASC(const std::string& FileName, std::string& Comment, int& NrColumns, int& NrRows,
                    bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  try {
    TFileStream s(FileName, fmOpenRead);
    return ReadHeaderOfASC(s, Comment, NrColumns, NrRows, Flag1, Flag2, Flag3, Flag4);
  } catch (const Exception&) {
    return 251;
  }
}

int ReadHeaderOfASC(TStream& Stream, std::string& Comment, int& NrColumns, int& NrRows, bool& Flag1,
                    bool& Flag2, bool& Flag3, bool& Flag4) {
  Comment.clear();
  NrColumns = NrRows = 0;
  Flag1 = Flag2 = Flag3 = Flag4 = false;
  bool eos = false;
  // Lines end at LF; a CR before it is dropped by the line reader.
  Comment = BytesToUtf8(ReadLnStream(Stream, eos, 0));
  if (Comment.find('\n') != std::string::npos) return 252;
  if (!LeadingInt(ReadLnStream(Stream, eos, 0), NrColumns)) return 255;
  if (!LeadingInt(ReadLnStream(Stream, eos, 0), NrRows)) return 254;
  std::string l4 = ReadLnStream(Stream, eos, 0);
  return ParseAscFlags(l4, Flag1, Flag2, Flag3, Flag4);
}

// ---------------------------------------------------------------- TUnivSaveDialog
TUnivSaveDialog::TUnivSaveDialog(TComponent* AOwner) : TComponent(AOwner) {}

std::string TUnivSaveDialog::ExtractParamAsString(const std::string& Name) const {
  return ScanForXMLAttrib(FParameters, Name);
}

int TUnivSaveDialog::ExtractParamAsInt(const std::string& Name) const {
  std::string v = ScanForXMLAttrib(FParameters, Name);
  if (Trim(v).empty()) throw EZOLFileSysError(ComponentMsg(Name + " is not specified in property Parameters"));
  TStringStream s(v);
  return ScanStreamDecimal(s);
}

double TUnivSaveDialog::ExtractParamAsDouble(const std::string& Name) const {
  std::string v = ScanForXMLAttrib(FParameters, Name);
  if (Trim(v).empty()) throw EZOLFileSysError(ComponentMsg(Name + " is not specified in property Parameters"));
  TStringStream s(v);
  return ScanStreamFPNum(s, true, 3);
}

bool TUnivSaveDialog::Execute() {
  for (int round = 0; round < 1000; ++round) {
    std::string name = FFileName;
    bool chosen = false;
    if (FUseStdDialog) {
      TSaveDialog dlg(nullptr);
      dlg.SetFilter(ExtractParamAsString("filter"));
      dlg.SetTitle(ExtractParamAsString("caption"));
      dlg.SetInitialDir(ExtractParamAsString("initialdir"));
      dlg.SetFileName(FFileName);
      chosen = dlg.Execute();
      if (!chosen && dlg.LastError() != 0)
        throw EZOLFileSysError(ComponentMsg("Error in standard dialog (errnum = $" +
                                            IntToHex(static_cast<uint64_t>(dlg.LastError()) & 0xFFFF, 4) + ")."));
      if (chosen) {
        name = dlg.FileName();
        std::string ext = ExtractParamAsString("ext");
        if (!ext.empty()) name = ChangeFileExt(name, ext[0] == '.' ? ext : "." + ext);
      }
    } else {
      if (!OnFileSelect) throw EZOLFileSysError(ComponentMsg("File select dialog is not assigned"));
      int result = 0;
      OnFileSelect(this, FParameters, name, result);
      chosen = result == 1;
    }
    if (!chosen) return false;
    bool exists;
    if (FUseStdDialog) {
      exists = FileExists(name);
    } else {
      exists = false;
      if (OnFileExists) OnFileExists(this, name, exists);
      else exists = FileExists(name);
    }
    if (!exists) {
      FFileName = name;
      return true;
    }
    if (!OnOverwrite) throw EZOLFileSysError(ComponentMsg("Overwrite dialog is not assigned"));
    int reply = 7;
    OnOverwrite(this, name, reply);
    if (reply == 6) {
      FFileName = name;
      return true;
    }
    if (reply == 2) return false;
    if (reply != 7) throw EZOLFileSysError(ComponentMsg("Invalid reply argument from overwrite dialog"));
    FFileName = name;  // ask again, starting from the name just rejected
  }
  return false;
}

}  // namespace zol
