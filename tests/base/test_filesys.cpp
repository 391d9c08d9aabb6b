#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>

#include "base/Zol_filesys.h"
#include "base/platform/Zol_forms.h"

using namespace zol;

namespace {
// A fresh folder per test, removed at the end.
class FileSys : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = GetTempDirectory() + "zol_test_filesys_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    std::string failed;
    if (DirectoryExists(dir)) DelDirTree(dir, failed);
    ASSERT_TRUE(ForceDirectories(dir));
  }
  void TearDown() override {
    std::string failed;
    DelDirTree(dir, failed);
  }
  void Write(const std::string& rel, const std::string& text) {
    TFileStream f(dir + rel, fmCreate);
    f.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  }
  std::string Read(const std::string& path) {
    TStringStream s;
    TFileStream f(path, fmOpenRead);
    s.CopyFrom(f, 0);
    return s.DataString();
  }
  std::string dir;
};
}  // namespace

TEST(FilePaths, NamesExtensionsAndAbridging) {
  EXPECT_EQ(StripExtension("/data/run.1.tar.gz"), "/data/run");
  EXPECT_EQ(StripExtension("/da.ta/run"), "/da.ta/run");
  EXPECT_EQ(StripPath("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(EnsureDefaultFileExt("/a/report", "csv"), "/a/report.csv");
  EXPECT_EQ(EnsureDefaultFileExt("/a/report", ".csv"), "/a/report.csv");
  EXPECT_EQ(EnsureDefaultFileExt("/a/report.txt", "csv"), "/a/report.txt");
  EXPECT_EQ(EnsureDefaultFileExt("/a/report", ""), "/a/report");
  EXPECT_EQ(AbridgeFilePath("/home/user/docs/file.txt", 100), "/home/user/docs/file.txt");
  EXPECT_EQ(AbridgeFilePath("/home/user/docs/file.txt", 21), "/../../docs/file.txt");
  EXPECT_EQ(AbridgeFilePath("/home/user/docs/file.txt", 20), "/../../../file.txt");
  EXPECT_EQ(AbridgeFilePath("/home/user/docs/file.txt", 5), "/../../../file.txt");
  EXPECT_EQ(AbridgeFilePath("C:\\program\\data\\x.dat", 16), "C:\\..\\..\\x.dat");
  EXPECT_EQ(ExtractDrive("c:/x"), 2);
  EXPECT_EQ(ExtractDrive("A:"), 0);
  EXPECT_EQ(ExtractDrive("/usr/lib"), -1);
  EXPECT_EQ(ExtractDrive("ab:"), -1);
  EXPECT_TRUE(IsRootDir(" / "));
  EXPECT_TRUE(IsRootDir("C:\\"));
  EXPECT_FALSE(IsRootDir("/usr"));
  EXPECT_TRUE(IsDOS83Path("DATA/REPORT1.TXT"));
  EXPECT_FALSE(IsDOS83Path("DATA/LONGFILENAME.TXT"));
  EXPECT_FALSE(IsDOS83Path("with blank"));
}

TEST_F(FileSys, CopyFeedbackDirectoryTargetAndSameFile) {
  std::string big(20000, 'x');
  Write("src.bin", big);
  ASSERT_TRUE(ForceDirectories(dir + "into"));
  std::vector<std::pair<int64_t, int64_t>> calls;
  EXPECT_EQ(FileCopyFeedBk(dir + "src.bin", dir + "into", false,
                           [&](int64_t d, int64_t t) { calls.emplace_back(d, t); }),
            0);
  EXPECT_EQ(Read(dir + "into/src.bin"), big);
  // Before the first block, after each of the three 8192-byte blocks, and at the end.
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls.front(), (std::pair<int64_t, int64_t>(0, 20000)));
  EXPECT_EQ(calls[1].first, 8192);
  EXPECT_EQ(calls.back(), (std::pair<int64_t, int64_t>(20000, 20000)));
  EXPECT_NEAR(FileDateTime(dir + "into/src.bin"), FileDateTime(dir + "src.bin"), 1e-6);
  // A file copied onto itself stays whole.
  EXPECT_EQ(FileCopyFeedBk(dir + "src.bin", dir + "src.bin", false), fcSameFile);
  EXPECT_EQ(FileCopyFeedBk(dir + "src.bin", dir + "./src.bin", false), fcSameFile);
  EXPECT_EQ(FileSize(dir + "src.bin"), 20000);
  EXPECT_EQ(FileCopyFeedBk(dir + "missing", dir + "x", false), fcSourceNotOpened);
  EXPECT_EQ(FileCopyFeedBk(dir + "src.bin", dir + "nodir/x", false), fcTargetNotCreated);
}

TEST_F(FileSys, AbortedCopyFailsAndLeavesNoPartialTarget) {
  Write("src.bin", std::string(50000, 'y'));
  int r = FileCopyFeedBk(dir + "src.bin", dir + "dst.bin", false, [](int64_t done, int64_t) {
    if (done >= 8192) AbortAnyFileCopying();
  });
  EXPECT_EQ(r, fcAborted);
  EXPECT_FALSE(FileExists(dir + "dst.bin"));
  // The flag is cleared at the start of the next copy.
  EXPECT_EQ(FileCopyFeedBk(dir + "src.bin", dir + "dst.bin", false), fcOK);
}

TEST_F(FileSys, CopyTreeIntoItsOwnSubfolderTerminates) {
  ASSERT_TRUE(ForceDirectories(dir + "src/a/b"));
  Write("src/one.txt", "1");
  Write("src/a/two.txt", "22");
  Write("src/a/b/three.txt", "333");
  std::vector<std::string> targets;
  int last = 0;
  EXPECT_EQ(CopyFileTree(dir + "src", dir + "src/backup", false,
                         [&](int64_t, int64_t, const std::string& t, int n) {
                           if (targets.empty() || targets.back() != t) targets.push_back(t);
                           last = n;
                         }),
            fcOK);
  EXPECT_EQ(Read(dir + "src/backup/a/b/three.txt"), "333");
  EXPECT_FALSE(DirectoryExists(dir + "src/backup/backup"));
  EXPECT_EQ(last, 3);
  EXPECT_EQ(targets.size(), 3u);
  // Same folder (any case): nothing happens.
  EXPECT_EQ(CopyFileTree(dir + "src", dir + "SRC/../src", false), fcOK);
}

TEST_F(FileSys, QueriesMasksAndDeletion) {
  Write("a.txt", "a");
  Write("b.TXT", "b");
  Write(".hidden.txt", "h");
  Write("c.dat", "c");
  ASSERT_TRUE(ForceDirectories(dir + "sub/deeper"));
  Write("sub/d.txt", "d");
  Write("sub/deeper/target.cfg", "t");
  EXPECT_EQ(GetFileSize(dir + "a.txt"), 1);
  EXPECT_EQ(GetFileSize(dir + "nothing"), -1);
  EXPECT_EQ(GetFileSize(dir + "sub"), -1);
  EXPECT_FALSE(DirEmpty(dir));
  EXPECT_TRUE(DirEmpty(dir + "missing"));
  EXPECT_EQ(CountFiles(dir + "*.txt", false), 3);
  TStringList l;
  int folders = 0;
  EXPECT_EQ(ScanFilesToStrList(dir + "*.txt", l, true, [&](const std::string&, int) { ++folders; }), 4);
  EXPECT_EQ(folders, 3);
  EXPECT_EQ(FileDetect(dir + "target.cfg"), dir + "sub/deeper/target.cfg");
  EXPECT_EQ(FileDetect(dir + "none.cfg"), "");
  EXPECT_EQ(DeleteFiles(dir + "*.txt"), 2);  // the hidden file stays
  EXPECT_TRUE(FileExists(dir + ".hidden.txt"));
  SetAllFilenameCase(dir + "*", true);
  EXPECT_TRUE(FileExists(dir + "C.DAT"));
  EXPECT_TRUE(FileExists(dir + "SUB/DEEPER/TARGET.CFG"));
  std::string failed;
  EXPECT_TRUE(DelDirTree(dir + "SUB", failed));
  EXPECT_FALSE(DirectoryExists(dir + "SUB"));
}

TEST_F(FileSys, ReadOnlyProbeKeepsAUsersFileOfTheSameName) {
  Write("$%$LO%$.$$$", "precious");
  EXPECT_FALSE(DirIsReadOnly(dir));
  EXPECT_EQ(Read(dir + "$%$LO%$.$$$"), "precious");
  EXPECT_EQ(CountFiles(dir + "*", false), 1);
  if (geteuid() != 0) {  // root may write anywhere
    ASSERT_TRUE(ForceDirectories(dir + "ro"));
    chmod((dir + "ro").c_str(), 0555);
    EXPECT_TRUE(DirIsReadOnly(dir + "ro"));
    chmod((dir + "ro").c_str(), 0755);
  }
}

TEST_F(FileSys, TextFileRoutines) {
  Write("t.txt", "alpha beta\r\n  gamma\ndelta Epsilon\n");
  EXPECT_EQ(CountLinesInTextFile(dir + "t.txt"), 3);
  EXPECT_EQ(CountLinesInTextFile(dir + "none"), -1);
  TextFile f;
  AssignFile(f, dir + "t.txt");
  EXPECT_EQ(CountLinesInTextFile(f), 3);
  EXPECT_EQ(ReadNextWordInTextFile(f), "alpha");
  EXPECT_EQ(ReadNextWordInTextFile(f), "beta");
  EXPECT_EQ(ReadNextWordInTextFile(f), "gamma");
  CloseFile(f);
  // Characters before the match: "alpha beta" (10) + "  gamma" (7) + "delta " (6), 1-based.
  EXPECT_EQ(DetectStringInFile(dir + "t.txt", "epsilon", true, 1000), 24);
  EXPECT_EQ(DetectStringInFile(dir + "t.txt", "epsilon", false, 1000), 0);
  EXPECT_EQ(DetectStringInFile(dir + "t.txt", "Epsilon", false, 20), 0);
  std::string line;
  EXPECT_EQ(FindFirstMatchInTextFile(dir + "t.txt", "GAMMA", true, line), 2);
  EXPECT_EQ(line, "  gamma");
  EXPECT_TRUE(AppendToTextFile(dir + "new.txt", "first"));
  TStringList more;
  more.Add("second");
  more.Add("third");
  EXPECT_TRUE(AppendToTextFile(dir + "new.txt", more));
  EXPECT_EQ(Read(dir + "new.txt"), "first\nsecond\nthird\n");
  EXPECT_FALSE(AppendToTextFile(dir + "nodir/x.txt", "x"));
}

TEST_F(FileSys, TextTypeDetection) {
  const std::pair<std::string, int> cases[] = {
      {std::string("\xEF\xBB\xBFhi", 5), 5}, {std::string("\xFF\xFE\0\0", 4), 2},
      {std::string("\0\0\xFE\xFF", 4), 3},   {std::string("\xFF\xFEh\0", 4), 0},
      {std::string("\xFE\xFF\0h", 4), 1},    {"{\\rtf1", 4},
      {"plain", 6},                          {"", 6}};
  for (const auto& [bytes, type] : cases) {
    Write("x", bytes);
    EXPECT_EQ(CheckTextFileType(dir + "x"), type) << bytes.size();
  }
  EXPECT_EQ(CheckTextFileType(dir + "none"), -1);
}

TEST_F(FileSys, AscHeader) {
  std::string c;
  int cols, rows;
  bool f1, f2, f3, f4;
  Write("a.asc", "my data\r\n 3\n12\ntrue\tfalse TRUE maybe\n1 2 3\n");
  EXPECT_EQ(ReadHeaderOfASC(dir + "a.asc", c, cols, rows, f1, f2, f3, f4), 0);
  EXPECT_EQ(c, "my data");
  EXPECT_EQ(cols, 3);
  EXPECT_EQ(rows, 12);
  EXPECT_TRUE(f1);
  EXPECT_FALSE(f2);
  EXPECT_TRUE(f3);
  EXPECT_FALSE(f4);
  Write("a.asc", "c\n2\t;nr. of columns\n7 ;rows\nFALSE FALSE FALSE FALSE\n");
  EXPECT_EQ(ReadHeaderOfASC(dir + "a.asc", c, cols, rows, f1, f2, f3, f4), 0);
  EXPECT_EQ(cols * 10 + rows, 27);
  Write("a.asc", "c\nx\n1\n");
  EXPECT_EQ(ReadHeaderOfASC(dir + "a.asc", c, cols, rows, f1, f2, f3, f4), 255);
  Write("a.asc", "c\n1\n\n");
  EXPECT_EQ(ReadHeaderOfASC(dir + "a.asc", c, cols, rows, f1, f2, f3, f4), 254);
  Write("a.asc", "c\n1\n2\nTRUE YES TRUE TRUE\n");
  EXPECT_EQ(ReadHeaderOfASC(dir + "a.asc", c, cols, rows, f1, f2, f3, f4), 253);
  EXPECT_EQ(ReadHeaderOfASC(dir + "none.asc", c, cols, rows, f1, f2, f3, f4), 251);
  // Truncated and random headers never crash.
  RandSeed = 5;
  for (int k = 0; k < 200; ++k) {
    std::string junk;
    for (int i = Random(60); i > 0; --i) junk += static_cast<char>(Random(256));
    TStringStream s(junk);
    int r = ReadHeaderOfASC(s, c, cols, rows, f1, f2, f3, f4);
    EXPECT_TRUE(r == 0 || r == 252 || r == 253 || r == 254 || r == 255);
  }
}

TEST(Password, ShapeAndCharacterSets) {
  RandSeed = 99;
  const std::string vowels = "aeiouy", consonants = "bcdfghjklmnpqrstvwxz";
  for (int len : {1, 4, 7, 10, 14, 30}) {
    std::string p = InventPassword(len);
    int clamped = std::clamp(len, 4, 14);
    ASSERT_EQ(static_cast<int>(p.size()), clamped + 2);
    std::string letters = p;
    size_t at = std::min<size_t>(6, static_cast<size_t>(clamped));
    EXPECT_TRUE(isdigit(static_cast<unsigned char>(p[at])) && isdigit(static_cast<unsigned char>(p[at + 1]))) << p;
    letters.erase(at, 2);
    // Odd lengths start with a vowel; then consonant-vowel pairs.
    size_t i = 0;
    if (clamped % 2) {
      EXPECT_NE(vowels.find(letters[i++]), std::string::npos) << p;
    }
    for (; i < letters.size(); i += 2) {
      EXPECT_NE(consonants.find(letters[i]), std::string::npos) << p;
      EXPECT_NE(vowels.find(letters[i + 1]), std::string::npos) << p;
    }
  }
  std::set<char> seen;
  for (int k = 0; k < 300; ++k)
    for (char ch : InventPassword(14, true, true)) seen.insert(ch);
  EXPECT_TRUE(seen.count('A') || seen.count('E') || seen.count('B'));
  EXPECT_TRUE(seen.count('_') || seen.count('!') || seen.count('$') || seen.count('#'));
}

TEST_F(FileSys, UnivSaveDialogWithCallbacks) {
  TUnivSaveDialog d(nullptr);
  d.SetName("Saver");
  d.SetParameters("filter=\"CSV|*.csv\" ext=\".csv\" count=\" -12\" ratio=\"2,5e1\"");
  EXPECT_EQ(d.ExtractParamAsString("FILTER"), "CSV|*.csv");
  EXPECT_EQ(d.ExtractParamAsString("none"), "");
  EXPECT_EQ(d.ExtractParamAsInt("count"), -12);
  EXPECT_DOUBLE_EQ(d.ExtractParamAsDouble("ratio"), 25.0);
  try {
    d.ExtractParamAsInt("missing");
    FAIL();
  } catch (const EZOLFileSysError& e) {
    EXPECT_STREQ(e.what(), "Component \"Saver\": missing is not specified in property Parameters");
  }
  try {
    d.Execute();
    FAIL();
  } catch (const EZOLFileSysError& e) {
    EXPECT_STREQ(e.what(), "Component \"Saver\": File select dialog is not assigned");
  }
  // The first name exists; the overwrite callback says no, then yes for the second.
  std::vector<std::string> offered = {dir + "old.csv", dir + "other.csv"};
  size_t next = 0;
  d.OnFileSelect = [&](TObject*, const std::string&, std::string& name, int& result) {
    name = offered[next++ % offered.size()];
    result = 1;
  };
  d.OnFileExists = [](TObject*, const std::string&, bool& exists) { exists = true; };
  EXPECT_THROW(d.Execute(), EZOLFileSysError);  // overwrite dialog missing
  std::vector<int> replies = {7, 6};
  size_t r = 0;
  d.OnOverwrite = [&](TObject*, const std::string&, int& reply) {
    EXPECT_EQ(reply, 7);
    reply = replies[r++];
  };
  next = 0;
  EXPECT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), dir + "other.csv");
  replies = {2};
  r = 0;
  EXPECT_FALSE(d.Execute());
  replies = {42};
  r = 0;
  EXPECT_THROW(d.Execute(), EZOLFileSysError);
}

TEST_F(FileSys, UnivSaveDialogThroughTheStandardDialog) {
  TUnivSaveDialog d(nullptr);
  d.SetName("Std");
  d.SetUseStdDialog(true);
  d.SetParameters("filter=\"Text|*.txt\" ext=\"dat\" caption=\"Save data\" initialdir=\"" + dir + "\"");
  Application()->QueueFileDialogAnswer(dir + "result.txt");
  EXPECT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), dir + "result.dat");
  ASSERT_FALSE(Application()->FileDialogs().empty());
  EXPECT_EQ(Application()->FileDialogs().back().Request.Title, "Save data");
  EXPECT_EQ(Application()->FileDialogs().back().Request.InitialDir, dir);
  Application()->QueueFileDialogCancel();
  EXPECT_FALSE(d.Execute());
  Application()->QueueFileDialogCancel(0x3002);
  try {
    d.Execute();
    FAIL();
  } catch (const EZOLFileSysError& e) {
    EXPECT_STREQ(e.what(), "Component \"Std\": Error in standard dialog (errnum = $3002).");
  }
}
