// File utilities: paths, file and folder queries, copying with progress,
// text-file routines, the header of ASC data files, text-encoding detection,
// a password generator and TUnivSaveDialog.
//
// Paths follow this platform's conventions: '/' separators and no drive
// letters.  The routines that take a drive number answer "not available"
// (GetDiskDriveType gives DRIVE_NO_ROOT_DIR, DiskFreeExtended -1,
// DiskIsReadOnly false).
//
// ASC header (four lines): the comment; the number of columns; the number of
// rows; four flags, each TRUE or FALSE.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"

namespace zol {

class EZOLFileSysError : public EZOLError {
  using EZOLError::EZOLError;
};

// Drive types of GetDiskDriveType.
enum : int {
  DRIVE_UNKNOWN = 0,
  DRIVE_NO_ROOT_DIR = 1,
  DRIVE_REMOVABLE = 2,
  DRIVE_FIXED = 3,
  DRIVE_REMOTE = 4,
  DRIVE_CDROM = 5,
  DRIVE_RAMDISK = 6
};

// Results of FileCopyFeedBk.
enum : int {
  fcOK = 0,
  fcSourceNotOpened = -1,
  fcTargetNotCreated = -2,
  fcWriteError = -3,
  fcReadError = -4,
  fcAborted = -5,       // the abort flag was set; the partial target is removed
  fcSameFile = -6,      // source and target are the same file; nothing is touched
};

// Progress of a single copy: bytes done, total bytes.
using TFileCopyFeedback = std::function<void(int64_t Done, int64_t Total)>;
// Progress of a tree copy: bytes done and total of the current file, the
// current target name, the number of files copied so far.
using TTreeCopyFeedback =
    std::function<void(int64_t Done, int64_t Total, const std::string& Target, int FileCount)>;
// Progress of a scan: the folder being scanned and the number of files found so far.
using TFileScanFeedback = std::function<void(const std::string& Dir, int Count)>;

std::string StripExtension(const std::string& Path);
std::string StripPath(const std::string& Path);
std::string EnsureDefaultFileExt(const std::string& Path, const std::string& Ext);
std::string AbridgeFilePath(const std::string& Path, int MaxLen);
// 0-based number of a drive letter followed by a colon ("c:" gives 2); -1 otherwise.
int ExtractDrive(const std::string& Path);
// "/" (and a drive root such as "C:\").
bool IsRootDir(const std::string& Path);
bool IsDOS83Path(const std::string& Path);
// Short names do not exist here: the path is returned unchanged.
std::string DOSToWinPath(const std::string& Path);

bool DirExists(const std::string& Dir);
bool DirEmpty(const std::string& Dir);  // true for a missing folder too
// Probes by creating (exclusively) and erasing a file in the folder; an
// existing file of the probe's name is never touched.
bool DirIsReadOnly(const std::string& Dir);
bool DiskIsReadOnly(int Drive);
int64_t GetFileSize(const std::string& Path);
int GetDiskDriveType(int Drive);
int64_t DiskFreeExtended(int Drive);

// Mask: a folder and a name pattern with * and ?, "dir/*.txt".
int DeleteFiles(const std::string& Mask);
int MoveToRecycleBin(const std::string& Mask);
bool DelDirTree(const std::string& Dir, std::string& FailedPath);
void SetAllFilenameCase(const std::string& Mask, bool Upper);
int ScanFilesToStrList(const std::string& Mask, TStringList& List, bool Recursive,
                       const TFileScanFeedback& Feedback = nullptr);
int CountFiles(const std::string& Mask, bool Recursive, const TFileScanFeedback& Feedback = nullptr);
std::string FileDetect(const std::string& Path);

int FileCopyFeedBk(const std::string& Source, const std::string& Dest, bool ClearReadOnly,
                   const TFileCopyFeedback& Feedback = nullptr);
// Copies every file below SourceDir into DestDir; a DestDir inside SourceDir is
// not copied into itself.  Result as FileCopyFeedBk (the first failure).
int CopyFileTree(const std::string& SourceDir, const std::string& DestDir, bool ClearReadOnly,
                 const TTreeCopyFeedback& Feedback = nullptr);
void AbortAnyFileCopying();

std::string ReadNextWordInTextFile(TextFile& F);
int CountLinesInTextFile(const std::string& FileName);  // -1 when it cannot be read
int CountLinesInTextFile(TextFile& F);                  // rewinds before and after
bool AppendToTextFile(const std::string& FileName, const std::string& Line);
bool AppendToTextFile(const std::string& FileName, const TStringList& Lines);
int DetectStringInFile(const std::string& FileName, const std::string& S, bool IgnoreCase, int64_t MaxChars);
int FindFirstMatchInTextFile(const std::string& FileName, const std::string& S, bool IgnoreCase,
                             std::string& Line);
// 5 UTF-8 with BOM, 2 UTF-32 LE, 3 UTF-32 BE, 0 UTF-16 LE, 1 UTF-16 BE, 4 rich
// text, 6 anything else; -1 when the file cannot be read.
int CheckTextFileType(const std::string& FileName);

std::string GetSystemDir();   // "/usr/lib/"
std::string GetTempDir();     // the temporary folder, with a trailing '/'
std::string GetWindowsDir();  // the system's configuration folder, "/etc/"
std::string GetEnviroVar(const std::string& Name);

std::string InventPassword(int Length);
std::string InventPassword(int Length, bool MixedCase, bool SpecialChars);

// Result 0 when the whole header was read; 252 comment with a line feed,
// 255 bad column count, 254 bad row count, 253 bad flag; 251 when the file
// cannot be read.
int ReadHeaderOfASC(const std::string& FileName, std::string& Comment, int& NrColumns, int& NrRows,
                    bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4);
int ReadHeaderOfASC(TStream& Stream, std::string& Comment, int& NrColumns, int& NrRows, bool& Flag1,
                    bool& Flag2, bool& Flag3, bool& Flag4);

// Sender, parameters, in/out file name, in/out result code (1 = accepted).
using TUSDFileSelectEvent =
    std::function<void(TObject* Sender, const std::string& Params, std::string& FileName, int& Result)>;
using TUSDFileExistsEvent = std::function<void(TObject* Sender, const std::string& FileName, bool& Exists)>;
// Reply: 6 yes, 7 no, 2 cancel.
using TUSDOverwriteEvent = std::function<void(TObject* Sender, const std::string& FileName, int& Reply)>;

class TUnivSaveDialog : public TComponent {
 public:
  explicit TUnivSaveDialog(TComponent* AOwner);
  // Attributes name="value" (filter, ext, caption, initialdir for the standard dialog).
  const std::string& Parameters() const { return FParameters; }
  void SetParameters(const std::string& v) { FParameters = v; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& v) { FFileName = v; }
  bool UseStdDialog() const { return FUseStdDialog; }
  void SetUseStdDialog(bool v) { FUseStdDialog = v; }
  std::string ExtractParamAsString(const std::string& Name) const;
  int ExtractParamAsInt(const std::string& Name) const;
  double ExtractParamAsDouble(const std::string& Name) const;
  bool Execute();
  TUSDFileSelectEvent OnFileSelect;
  TUSDFileExistsEvent OnFileExists;
  TUSDOverwriteEvent OnOverwrite;

 private:
  std::string FParameters, FFileName;
  bool FUseStdDialog = false;
};

}  // namespace zol
