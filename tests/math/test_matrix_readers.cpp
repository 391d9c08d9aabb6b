// Reader faults found by fuzzing: hostile sizes, tables without values and
// empty matrices that must survive their own file formats.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "math/Zol_matrix.h"

using namespace zol;

namespace {

std::string Tmp(const std::string& stem) {
  return (std::filesystem::temp_directory_path() / ("zolmrd_" + std::to_string(::getpid()) + "_" + stem)).string();
}

void Put(const std::string& fn, const std::string& bytes) {
  std::ofstream o(fn, std::ios::binary | std::ios::trunc);
  o.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A 272-byte binary matrix header written byte by byte from the file layout.
std::string BinHeader(bool Integer, uint32_t NCols, uint32_t NRows, const std::string& ID) {
  std::string h = Integer ? std::string("ZOLIMX\x1a\x01", 8) : std::string("ZOLMTX\x1a\x01", 8);
  for (uint32_t v : {NCols, NRows})
    for (int k = 0; k < 4; ++k) h += static_cast<char>((v >> (8 * k)) & 0xFF);
  h += static_cast<char>(ID.size());
  h += ID;
  h.resize(272, '\0');
  return h;
}

}  // namespace

TEST(MatrixReaderFaults, BinaryEmptyDimensionCannotForceAllocation) {
  const std::string fn = Tmp("empty.bin");
  TMatrix m(nullptr);
  m.Resize(2, 2);
  m.SetVal(2, 2, 7.5);
  TIntMatrix im(nullptr);
  im.Resize(2, 2);
  im.SetVal(1, 2, -3);
  // zero rows (or columns) need no data bytes, so the file length does not
  // bound the other dimension
  for (auto [nc, nr] : {std::pair<uint32_t, uint32_t>{0x7FFFFFFF, 0}, {0, 0x7FFFFFFF}, {0x10000001, 0}}) {
    Put(fn, BinHeader(true, nc, nr, "X"));
    EXPECT_FALSE(im.LoadBinary(fn)) << nc << "x" << nr;
    Put(fn, BinHeader(false, nc, nr, "X"));
    EXPECT_FALSE(m.LoadBinary(fn)) << nc << "x" << nr;
  }
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.GetVal(2, 2), 7.5);
  EXPECT_EQ(im.NrOfRows(), 2);
  EXPECT_EQ(im.GetVal(1, 2), -3);
  // a small empty matrix is kept exactly and reads back as written
  Put(fn, BinHeader(false, 3, 0, "e"));
  ASSERT_TRUE(m.LoadBinary(fn));
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.NrOfRows(), 0);
  ASSERT_TRUE(m.SaveBinary(fn));
  TMatrix back(nullptr);
  ASSERT_TRUE(back.LoadBinary(fn));
  EXPECT_EQ(back.NrOfColumns(), 3);
  EXPECT_EQ(back.NrOfRows(), 0);
  EXPECT_EQ(back.DataID(), "e");
  std::remove(fn.c_str());
}

TEST(MatrixReaderFaults, BinaryDataIdOfLatin1BytesRoundTrips) {
  // 255 bytes that are not UTF-8 are read as Latin-1 (two bytes each); the
  // name read must fit the 255-byte field so that it is written back as read
  const std::string fn = Tmp("id.bin");
  std::string id(255, '\xE9');
  std::string file = BinHeader(false, 1, 1, id);
  file.append(8, '\0');
  Put(fn, file);
  TMatrix m(nullptr);
  ASSERT_TRUE(m.LoadBinary(fn));
  EXPECT_LE(m.DataID().size(), 255u);
  EXPECT_EQ(m.DataID().substr(0, 4), "\xC3\xA9\xC3\xA9");
  const std::string first = m.DataID();
  ASSERT_TRUE(m.SaveBinary(fn));
  TMatrix back(nullptr);
  ASSERT_TRUE(back.LoadBinary(fn));
  EXPECT_EQ(back.DataID(), first);
  std::remove(fn.c_str());
}

TEST(MatrixReaderFaults, TextTableWithoutValuesIsRefused) {
  const std::string fn = Tmp("novals.txt");
  TMatrix m(nullptr);
  m.Resize(1, 1);
  m.SetVal(1, 1, 4);
  TIntMatrix im(nullptr);
  for (const char* text : {",\n;;\n", "# columns 0 rows 2\n \t,\n,\n", "1 2\n,\n3 4\n"}) {
    Put(fn, text);
    EXPECT_FALSE(m.LoadFromFile(fn, true)) << text;
    EXPECT_FALSE(im.LoadFromFile(fn, true)) << text;
  }
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 4);
  // blank lines are still skipped
  Put(fn, "\n1 2\n\n3 4\n   \n");
  ASSERT_TRUE(m.LoadFromFile(fn, true));
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_EQ(m.GetVal(2, 2), 4);
  std::remove(fn.c_str());
}

TEST(MatrixReaderFaults, TaggedTextEmptyRecordsReadBackAsWritten) {
  const std::string fn = Tmp("empty.xml");
  // zero rows but a cell: the matrix has no element for it
  Put(fn,
      "<matrix sig=\"ZOLCSuite\" vers=\"1.0\" id=\"Z\">\n  <numcols>2</numcols>\n  <numrows>0</numrows>\n"
      "  <cell c=1 r=1>5</cell>\n</matrix>\n");
  TMatrix m(nullptr);
  ASSERT_TRUE(m.LoadFromXMLFile(fn, "Z"));
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 0);
  ASSERT_TRUE(m.SaveAsXMLFile(fn, "Z"));
  TMatrix back(nullptr);
  ASSERT_TRUE(back.LoadFromXMLFile(fn, "Z"));
  EXPECT_EQ(back.NrOfColumns(), 2);
  EXPECT_EQ(back.NrOfRows(), 0);

  TIntMatrix im(nullptr);
  im.Resize(0, 4);
  ASSERT_TRUE(im.SaveAsXMLFile(fn, "I"));
  TIntMatrix iback(nullptr);
  ASSERT_TRUE(iback.LoadFromXMLFile(fn, "I"));
  EXPECT_EQ(iback.NrOfColumns(), 0);
  EXPECT_EQ(iback.NrOfRows(), 4);

  // a huge column count with zero rows is still bounded by the record length
  Put(fn,
      "<matrix sig=\"ZOLCSuite\" vers=\"1.0\" id=\"H\">\n  <numcols>2000000000</numcols>\n"
      "  <numrows>0</numrows>\n</matrix>\n");
  EXPECT_FALSE(back.LoadFromXMLFile(fn, "H"));
  EXPECT_EQ(back.NrOfColumns(), 2);
  // a full matrix still needs every cell
  Put(fn,
      "<matrix sig=\"ZOLCSuite\" vers=\"1.0\" id=\"P\">\n  <numcols>2</numcols>\n  <numrows>1</numrows>\n"
      "  <cell c=1 r=1>5</cell>\n</matrix>\n");
  EXPECT_FALSE(back.LoadFromXMLFile(fn, "P"));
  std::remove(fn.c_str());
}
