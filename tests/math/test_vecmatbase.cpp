// The integer containers run the code they share with the double ones:
// 32-bit wrap-around, integer readers, the sparse mode of TIntMatrix through
// the common statistics, sorting and storage, and the per-family messages.
// Expected values are worked out by hand from the documented rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/Zol_streams.h"
#include "math/Zol_matrix.h"

using namespace zol;

namespace {

std::string TempName(const std::string& stem) {
  return (std::filesystem::temp_directory_path() / ("zolvmb_" + std::to_string(::getpid()) + "_" + stem)).string();
}

void WriteText(const std::string& fn, const std::string& text) {
  std::ofstream f(fn, std::ios::binary);
  f << text;
}

std::vector<uint8_t> FileBytes(const std::string& fn) {
  std::ifstream f(fn, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

template <typename Fn>
std::string MessageOf(Fn fn) {
  try {
    fn();
  } catch (const EZOLError& e) {
    return e.what();
  }
  return "(nothing thrown)";
}

}  // namespace

TEST(IntVectorShared, ArithmeticWrapsLikeInt32AndMessagesMatchTVector) {
  TIntVector a(nullptr), b(nullptr);
  a.SetName("iv");
  a.Resize(3);
  b.Resize(3);
  a.SetVal(1, INT32_MAX);
  a.SetVal(2, INT32_MIN);
  a.SetVal(3, 46341);
  b.Fill(1);
  a.Add(b);
  EXPECT_EQ(a.GetVal(1), INT32_MIN);
  EXPECT_EQ(a.GetVal(2), INT32_MIN + 1);
  a.Subtract(b);
  EXPECT_EQ(a.GetVal(1), INT32_MAX);
  EXPECT_EQ(a.GetVal(2), INT32_MIN);
  a.Subtract(b);
  EXPECT_EQ(a.GetVal(2), INT32_MAX);
  a.SetVal(3, 46341);
  a.SMult(46341);  // 46341² = 2147488281 = 2^31 + 4633
  EXPECT_EQ(a.GetVal(3), INT32_MIN + 4633);

  TIntVector c(nullptr);
  c.Resize(2);
  TVector d(nullptr), e(nullptr);
  d.SetName("iv");
  d.Resize(3);
  e.Resize(2);
  const std::string msg = "Component \"iv\": vectors have different dimensions";
  EXPECT_EQ(MessageOf([&] { a.Add(c); }), msg);
  EXPECT_EQ(MessageOf([&] { a.DotProduct(c); }), msg);
  EXPECT_EQ(MessageOf([&] { d.Subtract(e); }), msg);
  a.SetVal(1, -1);
  EXPECT_EQ(MessageOf([&] { a.GeometricMean(0, 0); }),
            "Component \"iv\": negative argument passed to GeometricMean");
}

TEST(IntVectorShared, ReadersRoundAndRefuseWhatAnInt32CannotHold) {
  // stream: extended values are rounded half away from zero; beyond the
  // int32 range an element reads as 0
  TVector src(nullptr);
  src.Resize(4);
  src.SetVal(1, 2.5);
  src.SetVal(2, -2.5);
  src.SetVal(3, 3e10);
  src.SetVal(4, -7.4);
  TMemoryStream ms;
  src.SaveToStream(ms, 0, 0);
  ms.SetPosition(0);
  TIntVector iv(nullptr);
  ASSERT_TRUE(iv.LoadFromStream(&ms, true));
  ASSERT_EQ(iv.NrOfElem(), 4);
  EXPECT_EQ(iv.GetVal(1), 3);
  EXPECT_EQ(iv.GetVal(2), -3);
  EXPECT_EQ(iv.GetVal(3), 0);
  EXPECT_EQ(iv.GetVal(4), -7);

  // text: a line that is not a whole int32 leaves its element as it was
  const std::string fn = TempName("iv.txt");
  WriteText(fn, "2 6\n7\n1.5\n2147483648\n  -3\t\nabc\n");
  TIntVector t(nullptr);
  t.Resize(6);
  t.Fill(9);
  ASSERT_TRUE(t.LoadFromFile(fn, false));
  const int32_t expect[6] = {9, 7, 9, 9, -3, 9};
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(t.GetVal(i), expect[i - 1]) << i;
  // the header promises more lines than there are
  WriteText(fn, "1 3\n1\n2\n");
  EXPECT_FALSE(t.LoadFromFile(fn, true));
  EXPECT_EQ(t.GetVal(2), 7);
  std::filesystem::remove(fn);
}

TEST(IntMatrixShared, SparseModeRunsStatisticsSearchAndSorting) {
  // columns: (5, 0, 0), (0, 0, 7), (0, -4, 0)
  TIntMatrix s(nullptr, 4);
  s.SetVal(1, 1, 5);
  s.SetVal(3, 2, -4);
  s.SetVal(2, 3, 7);
  ASSERT_EQ(s.NrOfColumns(), 3);
  ASSERT_EQ(s.NrOfRows(), 3);
  EXPECT_EQ(s.Sum(0, 0, 0, 0), 8.0);
  int32_t mn, mx;
  s.MinMax(0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, -4);
  EXPECT_EQ(mx, 7);
  // sorted: -4 0 0 0 0 0 0 5 7, positions (n + 1)·p = 2.5, 5, 7.5
  double q1, q2, q3;
  ASSERT_TRUE(s.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 0.0);
  EXPECT_EQ(q2, 0.0);
  EXPECT_EQ(q3, 2.5);
  // 5 and 7 are both 1 from 6: the first in column order wins
  int c, r;
  s.Find(0, 0, 0, 0, 6, c, r);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 1);

  // rows by column 1 ascending: keys 5, 0, 0 -> 0, 0, 5 (comb sort swaps 1-2, then 2-3)
  std::vector<std::pair<int, int>> swaps;
  s.OnSortExchange = [&](TObject*, int, int a, int b, int, int) { swaps.emplace_back(a, b); };
  s.SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(swaps, (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}}));
  EXPECT_EQ(s.GetVal(3, 1), -4);
  EXPECT_EQ(s.GetVal(2, 2), 7);
  EXPECT_EQ(s.GetVal(1, 3), 5);
  EXPECT_TRUE(s.IsSparse());

  s.MirrorColumns();
  EXPECT_EQ(s.GetVal(1, 1), -4);
  EXPECT_EQ(s.GetVal(3, 3), 5);
}

TEST(IntMatrixShared, SparseMatrixWritesAndReadsEveryCommonFormat) {
  TIntMatrix s(nullptr, 2);
  s.SetVal(1, 1, 5);
  s.SetVal(3, 1, -4);
  s.SetVal(2, 2, 7);
  s.SetDataID("sp");
  const std::string fn = TempName("im");

  // binary: 272-byte header, then int32 little-endian column by column
  ASSERT_TRUE(s.SaveBinary(fn + ".bin"));
  const auto bytes = FileBytes(fn + ".bin");
  ASSERT_EQ(bytes.size(), 272u + 6 * 4);
  const uint8_t m4[4] = {0xFC, 0xFF, 0xFF, 0xFF};  // (3, 1) = -4 is the 5th value
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 272 + 16, bytes.begin() + 272 + 20),
            std::vector<uint8_t>(m4, m4 + 4));
  TIntMatrix b(nullptr, 8);
  ASSERT_TRUE(b.LoadBinary(fn + ".bin"));
  EXPECT_FALSE(b.IsSparse());  // a reader gives a dense matrix
  EXPECT_EQ(b.NrOfColumns(), 3);
  EXPECT_EQ(b.NrOfRows(), 2);
  EXPECT_EQ(b.GetVal(3, 1), -4);
  EXPECT_EQ(b.GetVal(2, 2), 7);
  EXPECT_EQ(b.DataID(), "sp");

  // the text table read into a sparse matrix keeps it sparse
  ASSERT_TRUE(s.StoreOnFile(0, 0, 0, 0, fn + ".txt"));
  TIntMatrix t(nullptr, 2);
  ASSERT_TRUE(t.LoadFromFile(fn + ".txt", true));
  EXPECT_TRUE(t.IsSparse());
  EXPECT_EQ(t.GetVal(1, 1), 5);
  EXPECT_EQ(t.GetVal(3, 1), -4);
  EXPECT_EQ(t.GetVal(2, 2), 7);
  EXPECT_EQ(t.DataID(), "sp");

  // tagged text: a TMatrix reads the record; a cell 2.5 is refused by TIntMatrix
  TMemoryStream xs;
  s.WriteToXMLStream(xs, true, "I");
  TMatrix d(nullptr);
  d.Resize(1, 1);
  d.SetVal(1, 1, 2.5);
  d.WriteToXMLStream(xs, false, "D");
  xs.SetPosition(0);
  TMatrix m(nullptr);
  ASSERT_TRUE(m.ReadFromXMLStream(xs, "I"));
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.GetVal(3, 1), -4.0);
  EXPECT_EQ(m.GetVal(2, 2), 7.0);
  EXPECT_EQ(m.DataID(), "I");
  xs.SetPosition(0);
  const std::string before = t.CRCofData();
  EXPECT_FALSE(t.ReadFromXMLStream(xs, "D"));
  EXPECT_EQ(t.CRCofData(), before);
  EXPECT_TRUE(t.IsSparse());

  // the region stream
  TMemoryStream rs;
  s.SaveToStream(rs, 2, 1, 3, 2);
  rs.SetPosition(0);
  TIntMatrix u(nullptr);
  ASSERT_TRUE(u.LoadFromStream(&rs, true));
  EXPECT_EQ(u.NrOfColumns(), 3);
  EXPECT_EQ(u.GetVal(1, 1), 0);
  EXPECT_EQ(u.GetVal(3, 1), -4);
  EXPECT_EQ(u.GetVal(2, 2), 7);
  std::filesystem::remove(fn + ".bin");
  std::filesystem::remove(fn + ".txt");
}

TEST(MatrixShared, EmptyDimensionsFindNothingAndMessagesMatch) {
  // a matrix without columns holds no element to find
  TMatrix m(nullptr);
  m.SetVal(1, 1, 3.0);
  m.Resize(0, 3);
  int c = -1, r = -1;
  m.Find(1, 1, 1, 3, 3.0, c, r);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);
  TIntMatrix im(nullptr);
  im.Resize(0, 3);
  im.Find(1, 1, 1, 3, 0, c, r);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);

  TMatrix a(nullptr);
  TIntMatrix ia(nullptr);
  a.SetName("m");
  ia.SetName("m");
  EXPECT_EQ(MessageOf([&] { a.Correlate(nullptr); }), "Component \"m\": matrices do not match");
  EXPECT_EQ(MessageOf([&] { ia.Correlate(nullptr); }), "Component \"m\": matrices do not match");
  ia.SetVal(1, 1, 0);
  EXPECT_EQ(MessageOf([&] { ia.HarmonicMean(0, 0, 0, 0); }),
            "Component \"m\": negative or zero argument passed to HarmonicMean");
}
