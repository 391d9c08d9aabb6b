#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_sysutils.h"

using namespace zol;

TEST(DateTime, KnownSerialNumbers) {
  // Published serial numbers of the 1899-12-30 day count.
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
  EXPECT_EQ(EncodeDate(1800, 1, 1), -36522.0);
  int y, m, d;
  DecodeDate(36526.75, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20000101);
  DecodeDate(-36522.25, y, m, d);  // negative days: the fraction is still the time of day
  EXPECT_EQ(y * 10000 + m * 100 + d, 18000101);
  int h, mi, s, ms;
  DecodeTime(EncodeTime(13, 45, 7, 250), h, mi, s, ms);
  EXPECT_EQ(h * 10000000 + mi * 100000 + s * 1000 + ms, 134507250);
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 7)), 2);  // a Monday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
  EXPECT_EQ(DaysInAMonth(1900, 2), 28);
  EXPECT_EQ(DaysInAMonth(2000, 2), 29);
}

TEST(DateTime, NowAgreesWithTheCClock) {
  time_t t = time(nullptr);
  struct tm lt;
  localtime_r(&t, &lt);
  int y, m, d;
  DecodeDate(Now(), y, m, d);
  EXPECT_EQ(y, lt.tm_year + 1900);
  EXPECT_EQ(m, lt.tm_mon + 1);
}

TEST(RandomGen, SeededSequencesRepeatAndStayInRange) {
  RandSeed = 12345;
  std::vector<int> a;
  for (int i = 0; i < 100; ++i) a.push_back(Random(10));
  RandSeed = 12345;
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Random(10), a[static_cast<size_t>(i)]);
  int hist[10] = {};
  for (int i = 0; i < 100000; ++i) {
    double r = Random();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
    ++hist[Random(10)];
  }
  for (int k : hist) EXPECT_NEAR(k, 10000, 500);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
}

TEST(Strings, ConversionsAndCaseFolding) {
  EXPECT_EQ(StrToInt(" 42 "), 42);
  EXPECT_EQ(StrToInt("$1F"), 31);
  EXPECT_THROW(StrToInt("4x"), EConvertError);
  EXPECT_THROW(StrToInt("99999999999"), EConvertError);
  EXPECT_EQ(StrToIntDef("", 7), 7);
  EXPECT_DOUBLE_EQ(StrToFloat("-1.5e3"), -1500.0);
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(StrToFloat(FloatToStr(1.0 / 3.0)), 1.0 / 3.0);
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  // Only ASCII letters fold.
  EXPECT_EQ(UpperCase("abc\xC3\xA9"), "ABC\xC3\xA9");
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_EQ(Trim("\t x \n"), "x");
}

TEST(Strings, Utf8Helpers) {
  EXPECT_TRUE(IsValidUtf8("gr\xC3\xBC\xC3\x9F"));
  EXPECT_FALSE(IsValidUtf8("\xC3"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_EQ(BytesToUtf8("\xB0""C"), "\xC2\xB0""C");
  // Cutting never splits a sequence: the 3-byte euro sign is dropped whole.
  EXPECT_EQ(Utf8Truncate("ab\xE2\x82\xAC", 4), "ab");
  EXPECT_EQ(Utf8Truncate("ab\xE2\x82\xAC", 5), "ab\xE2\x82\xAC");
}

TEST(Files, PathPiecesAndMasks) {
  EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(ExtractFileExt("/a/b.d/c"), "");
  EXPECT_EQ(ExtractFileExt("/a/.hidden"), "");
  EXPECT_EQ(ChangeFileExt("/a/b/c.tar.gz", ".zip"), "/a/b/c.tar.zip");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
  EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
  EXPECT_TRUE(MatchesMask("Report.TXT", "*.txt"));
  EXPECT_TRUE(MatchesMask("abc", "a?c"));
  EXPECT_FALSE(MatchesMask("abcd", "a?c"));
  EXPECT_TRUE(MatchesMask("aXbYc", "a*b*c"));
  EXPECT_EQ(GetTempDirectory().back(), '/');
}

TEST(Files, AttributesDatesAndTrash) {
  std::string dir = GetTempDirectory() + "zol_test_sys/";
  ASSERT_TRUE(ForceDirectories(dir + "x/y"));
  std::string f = dir + "file.txt";
  {
    TFileStream s(f, fmCreate);
    s.WriteBuffer("12345", 5);
  }
  EXPECT_EQ(FileSize(f), 5);
  EXPECT_TRUE(FileGetAttr(dir) & faDirectory);
  TDateTime when = EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 0);
  ASSERT_TRUE(FileSetDateTime(f, when));
  EXPECT_NEAR(FileDateTime(f), when, 1e-8);
  EXPECT_GT(DiskFree(dir), 0);
  std::vector<std::string> found = FindFiles(dir, "*.TXT");
  ASSERT_EQ(found.size(), 1u);
  // The trash goes to $XDG_DATA_HOME/Trash with a .trashinfo record.
  setenv("XDG_DATA_HOME", (dir + "data").c_str(), 1);
  ASSERT_TRUE(MoveToTrash(f));
  EXPECT_FALSE(FileExists(f));
  EXPECT_TRUE(FileExists(dir + "data/Trash/files/file.txt"));
  TStringList info;
  info.LoadFromFile(dir + "data/Trash/info/file.txt.trashinfo");
  EXPECT_EQ(info[0], "[Trash Info]");
  EXPECT_EQ(info.Values("Path"), dir + "file.txt");
  // A second file of the same name gets a new name in the trash.
  {
    TFileStream s(f, fmCreate);
  }
  ASSERT_TRUE(MoveToTrash(f));
  EXPECT_TRUE(FileExists(dir + "data/Trash/files/file.1.txt"));
  unsetenv("XDG_DATA_HOME");
  std::string cmd = "rm -rf '" + dir + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
}
