// Tests of the containers and checksums.  Checksums are compared with zlib,
// published check values and the values of tests/base/ref/dstruct_ref.py
// (binascii, sha1sum, base64.a85encode) stored in data/dstruct_ref.txt.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <sstream>

#include "base/Zol_dstruct.h"

using namespace zol;

namespace {

std::vector<uint8_t> FromHex(const std::string& h) {
  std::vector<uint8_t> r;
  if (h == "-") return r;
  for (size_t i = 0; i + 1 < h.size(); i += 2) r.push_back(static_cast<uint8_t>(std::stoi(h.substr(i, 2), nullptr, 16)));
  return r;
}

struct RefCase {
  std::string Kind;
  std::vector<uint8_t> Input;
  std::string Expected;
};

std::vector<RefCase> LoadRef() {
  std::vector<RefCase> r;
  std::ifstream f(ZOL_TEST_SRC_DIR "/data/dstruct_ref.txt");
  std::string kind, hex, exp;
  while (f >> kind >> hex >> exp) r.push_back({kind, FromHex(hex), exp});
  return r;
}

std::string Hex4(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%04X", v);
  return b;
}

std::string StreamText(TStream& s) {
  std::string r(static_cast<size_t>(s.Size()), '\0');
  s.SetPosition(0);
  if (!r.empty()) s.ReadBuffer(r.data(), static_cast<int64_t>(r.size()));
  return r;
}

class TempDir {
 public:
  TempDir() {
    Path = std::filesystem::temp_directory_path() / ("zol_dstruct_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Path);
  }
  ~TempDir() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& n) const { return (Path / n).string(); }
  std::filesystem::path Path;
};

void WriteBytes(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace

// ==================================================================== CRC
TEST(DStructCRC, CRC32MatchesZlibAndCheckValue) {
  const std::string check = "123456789";
  EXPECT_EQ(CRC32ofBuffer(check.data(), check.size()), 0xCBF43926u);
  EXPECT_EQ(CRC32ofBuffer(TBytes{}, 0), 0u);
  std::mt19937 rng(7);
  for (int len : {1, 2, 3, 7, 64, 255, 1000, 4096, 10001}) {
    TBytes buf(static_cast<size_t>(len));
    for (auto& b : buf) b = static_cast<uint8_t>(rng());
    uLong z = crc32(0L, buf.data(), static_cast<uInt>(buf.size()));
    EXPECT_EQ(CRC32ofBuffer(buf, len), z) << len;
    // the byte step without inversions, chained by hand
    uint32_t c = 0xFFFFFFFFu;
    for (uint8_t b : buf) c = CalcNextCRC32(b, c);
    EXPECT_EQ(~c, z);
    // NumBytes selects a prefix and is clamped to the buffer
    EXPECT_EQ(CRC32ofBuffer(buf, len / 2), crc32(0L, buf.data(), static_cast<uInt>(len / 2)));
    EXPECT_EQ(CRC32ofBuffer(buf, len + 100), z);
  }
}

TEST(DStructCRC, CRC32OfFileReportsUnreadableFiles) {
  TempDir tmp;
  std::string data(100000, '\0');
  std::mt19937 rng(3);
  for (auto& c : data) c = static_cast<char>(rng());
  WriteBytes(tmp.File("a.bin"), data);
  WriteBytes(tmp.File("empty.bin"), "");
  uLong z = crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  EXPECT_EQ(CalcCRC32ofFile(tmp.File("a.bin")), z);
  uint32_t crc = 1;
  EXPECT_TRUE(CalcCRC32ofFile(tmp.File("empty.bin"), crc));
  EXPECT_EQ(crc, 0u);
  EXPECT_FALSE(CalcCRC32ofFile(tmp.File("missing.bin"), crc));
  EXPECT_FALSE(CalcCRC32ofFile(tmp.Path.string(), crc));  // a folder
  EXPECT_EQ(CalcCRC32ofFile(tmp.File("missing.bin")), 0u);
  EXPECT_TRUE(CalcCRC32ofFile(tmp.File("a.bin"), crc));
  EXPECT_EQ(crc, z);
}

TEST(DStructCRC, CRC16BothModesMatchReference) {
  const std::string check = "123456789";
  EXPECT_EQ(CRC16ofBuffer(check.data(), check.size(), crcZModem), 0x31C3);
  EXPECT_EQ(CRC16ofBuffer(check.data(), check.size(), crcCCITT), 0x29B1);
  int n = 0;
  for (const auto& c : LoadRef()) {
    if (c.Kind == "crc16x") {
      EXPECT_EQ(Hex4(CRC16ofBuffer(c.Input, static_cast<int>(c.Input.size()), crcZModem)), c.Expected);
      ++n;
    } else if (c.Kind == "crc16c") {
      EXPECT_EQ(Hex4(CRC16ofBuffer(c.Input, static_cast<int>(c.Input.size()), crcCCITT)), c.Expected);
      ++n;
    }
  }
  EXPECT_GT(n, 40);
}

// ==================================================================== SHA-1
TEST(DStructSHA1, PublishedVectorsAndReference) {
  TMemoryStream empty;
  EXPECT_EQ(SHA1DigestToHex(SHA1FromStream(empty)), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString("abc")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString(std::string(1000000, 'a'))),
            "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
  int n = 0;
  for (const auto& c : LoadRef()) {
    if (c.Kind != "sha1") continue;
    EXPECT_EQ(SHA1DigestToHex(SHA1FromBuffer(c.Input.data(), c.Input.size())), c.Expected);
    // through a stream read in blocks, and incrementally in odd pieces
    TMemoryStream ms;
    if (!c.Input.empty()) ms.WriteBuffer(c.Input.data(), static_cast<int64_t>(c.Input.size()));
    ms.SetPosition(0);
    EXPECT_EQ(SHA1DigestToHex(SHA1FromStream(ms)), c.Expected);
    TSHA1Context ctx;
    for (size_t i = 0; i < c.Input.size(); i += 7) ctx.Update(c.Input.data() + i, std::min<size_t>(7, c.Input.size() - i));
    EXPECT_EQ(SHA1DigestToHex(ctx.Final()), c.Expected);
    ++n;
  }
  EXPECT_GT(n, 20);
}

TEST(DStructSHA1, StreamFromPositionAndFiles) {
  TStringStream s("xxabc");
  s.SetPosition(2);
  EXPECT_EQ(SHA1DigestToHex(SHA1FromStream(s)), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  TempDir tmp;
  WriteBytes(tmp.File("abc.txt"), "abc");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromFile(tmp.File("abc.txt"))), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_THROW(SHA1FromFile(tmp.File("missing")), EFOpenError);
}

// ==================================================================== ASCII85
TEST(DStructASCII85, FullGroupsMatchReferenceAndDecode) {
  int n = 0;
  for (const auto& c : LoadRef()) {
    if (c.Kind != "a85") continue;
    TMemoryStream in, out, back;
    if (!c.Input.empty()) in.WriteBuffer(c.Input.data(), static_cast<int64_t>(c.Input.size()));
    in.SetPosition(0);
    EncodeASCII85(in, out);
    EXPECT_EQ(StreamText(out), c.Expected);
    out.SetPosition(0);
    EXPECT_EQ(DecodeASCII85(out, back), 0);
    std::string b = StreamText(back);
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.end()), c.Input);
    ++n;
  }
  EXPECT_GT(n, 8);
}

TEST(DStructASCII85, ShortGroupsLineBreaksAndBadCharacters) {
  auto enc = [](const std::string& s) {
    TStringStream in(s), out;
    EncodeASCII85(in, out);
    return out.DataString();
  };
  auto dec = [](const std::string& s, int& rc) {
    TStringStream in(s), out;
    rc = DecodeASCII85(in, out);
    return out.DataString();
  };
  // a short last group is written unpadded: one byte -> two digits
  EXPECT_EQ(enc(std::string(1, '\0')), "!!~>");
  EXPECT_EQ(enc(std::string(1, '\xff')), "$!~>");  // 255 = 3*85 + 0
  EXPECT_EQ(enc(""), "~>");
  std::mt19937 rng(11);
  int rc = 0;
  for (int len = 0; len < 40; ++len) {
    std::string s(static_cast<size_t>(len), '\0');
    for (auto& ch : s) ch = static_cast<char>(rng() % 3 == 0 ? 0 : rng());
    std::string e = enc(s);
    EXPECT_EQ(dec(e, rc), s) << len;
    EXPECT_EQ(rc, 0);
    // CR and LF anywhere are skipped
    std::string wrapped;
    for (size_t i = 0; i < e.size(); ++i) wrapped += (i % 3 == 1) ? std::string("\r\n") + e[i] : std::string(1, e[i]);
    EXPECT_EQ(dec(wrapped, rc), s);
    EXPECT_EQ(rc, 0);
  }
  EXPECT_EQ(dec("z~>", rc), std::string(4, '\0'));
  EXPECT_EQ(rc, 0);
  dec("9jq o^~>", rc);  // a blank is not a digit
  EXPECT_EQ(rc, -1);
  dec("9jzo^~>", rc);  // 'z' inside a group
  EXPECT_EQ(rc, -2);
  dec("9jzo^ab\x7f~>", rc);  // the last bad character decides
  EXPECT_EQ(rc, -1);
  // without the end marker the characters read form the last group
  EXPECT_EQ(dec("9jqo^F*2M7", rc), "Man sure");
}

// ==================================================================== TStringArray
TEST(DStructStringArray, NewArrayAndResize) {
  TStringArray sa(nullptr);
  EXPECT_EQ(sa.NrOfColumns(), 1);
  EXPECT_EQ(sa.NrOfRows(), 1);
  EXPECT_EQ(sa.AllocatedRows(), 10);
  EXPECT_EQ(sa.NumPages(), 1);
  EXPECT_EQ(sa.GetString(0, 1), "");
  EXPECT_EQ(sa.GetString(2, 1), "");
  EXPECT_EQ(sa.GetString(1, 0), "");
  int changes = 0;
  sa.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(sa.Resize(3, 5));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(sa.Resize(3, 5));
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(sa.Resize(0, 5));
  EXPECT_FALSE(sa.Resize(3, 0));
  EXPECT_EQ(sa.NrOfColumns(), 3);
  EXPECT_EQ(changes, 1);

  sa.SetNrRows(10);
  EXPECT_EQ(sa.AllocatedRows(), 10);
  sa.SetNrRows(11);
  EXPECT_EQ(sa.AllocatedRows(), 20);
  sa.SetNrRows(20);
  EXPECT_EQ(sa.AllocatedRows(), 20);
  // contents survive a reallocation; rows that come back after a shrink are empty
  for (int r = 1; r <= 20; ++r) sa.SetString(2, r, "r" + std::to_string(r));
  sa.SetRowAttrib(15, 9);
  sa.SetColAttrib(3, 4);
  sa.SetNrCols(4);
  EXPECT_EQ(sa.GetString(2, 20), "r20");
  EXPECT_EQ(sa.GetRowAttrib(15), 9);
  EXPECT_EQ(sa.GetColAttrib(3), 4);
  EXPECT_EQ(sa.GetColAttrib(4), 0);
  sa.SetNrRows(12);
  sa.SetNrRows(20);
  EXPECT_EQ(sa.GetString(2, 12), "r12");
  EXPECT_EQ(sa.GetString(2, 13), "");
  EXPECT_EQ(sa.GetRowAttrib(15), 0);
  sa.SetNrRows(3);
  sa.SetNrCols(2);  // reallocation to fewer rows and columns
  sa.SetNrRows(25);
  EXPECT_EQ(sa.GetString(2, 3), "r3");
  EXPECT_EQ(sa.GetString(2, 4), "");
  EXPECT_EQ(sa.AddRow(), 26);
  // out-of-range writes are ignored
  sa.SetString(3, 1, "x");
  sa.SetString(0, 27, "x");
  EXPECT_EQ(sa.GetString(3, 1), "");
  EXPECT_EQ(sa.GetSortOrder(0), -1);
  EXPECT_EQ(sa.GetSortOrder(27), -1);
}

TEST(DStructStringArray, PagedStoreAndGarbageCollection) {
  TStringArray sa(nullptr);
  sa.Resize(3, 200);
  const std::string t255(255, 'q');
  // 128 texts of 256 bytes fill the first page up to 32768 - 128*256 + 1 ... until fewer than 256 bytes remain
  int r = 1;
  while (sa.NumPages() == 1) sa.SetString(1, r++, t255);
  // page 1 took 127 texts (127 * 256 = 32512 bytes, next free 32513, 255 bytes left)
  EXPECT_EQ(r - 1, 128);
  EXPECT_EQ(sa.PageNextFree(1), 32513);
  EXPECT_EQ(sa.CellHandle(1, 128), (2u << 16) | 1u);
  EXPECT_EQ(sa.PageNextFree(2), 257);
  // a short text still fits into the rest of page 1
  sa.SetString(2, 1, "abc");
  EXPECT_EQ(sa.CellHandle(2, 1), (1u << 16) | 32513u);
  // overwriting with a text that is not longer reuses the space
  uint32_t h = sa.CellHandle(1, 5);
  sa.SetString(1, 5, "short");
  EXPECT_EQ(sa.CellHandle(1, 5), h);
  EXPECT_EQ(sa.GetString(1, 5), "short");
  // texts beyond 255 bytes are cut without splitting a UTF-8 sequence
  std::string longText(254, 'x');
  longText += "\xC3\xA4\xC3\xA4";
  sa.SetString(3, 1, longText);
  EXPECT_EQ(sa.GetString(3, 1), std::string(254, 'x'));

  // overwrite everything longer, collect, read back
  std::map<std::pair<int, int>, std::string> expect;
  for (int c = 0; c <= 3; ++c)
    for (int row = 1; row <= 200; ++row) {
      std::string s = "c" + std::to_string(c) + "r" + std::to_string(row);
      sa.SetString(c, row, s);
    }
  for (int c = 0; c <= 3; ++c)
    for (int row = 1; row <= 200; ++row) {
      std::string s = "longer text of column " + std::to_string(c) + " row " + std::to_string(row) +
                      std::string(static_cast<size_t>(row % 50), '+');
      sa.SetString(c, row, s);
      expect[{c, row}] = s;
    }
  int pagesBefore = sa.NumPages();
  sa.GarbageCollection();
  EXPECT_EQ(sa.NumPages(), pagesBefore);
  for (const auto& [k, v] : expect) ASSERT_EQ(sa.GetString(k.first, k.second), v);
  // page 1 is compact: its next free offset is one past the sum of the texts it holds
  int used = 0;
  for (const auto& [k, v] : expect)
    if ((sa.CellHandle(k.first, k.second) >> 16) == 1) used += static_cast<int>(v.size()) + 1;
  EXPECT_EQ(sa.PageNextFree(1), used + 1);

  sa.Clear();
  EXPECT_EQ(sa.NumPages(), 1);
  EXPECT_EQ(sa.PageNextFree(1), 1);
  EXPECT_EQ(sa.NrOfRows(), 200);
  EXPECT_EQ(sa.GetString(0, 1), "");
}

TEST(DStructStringArray, HundredThousandCells) {
  TStringArray sa(nullptr);
  sa.SetAllocRowsBy(1000);
  ASSERT_TRUE(sa.Resize(4, 20000));  // 5 columns x 20000 rows = 100 000 cells
  auto text = [](int c, int r, int gen) {
    std::string s = std::to_string(gen) + ":" + std::to_string(c) + "/" + std::to_string(r);
    return s + std::string(static_cast<size_t>((r * 7 + c) % (gen == 0 ? 20 : 120)), static_cast<char>('a' + c));
  };
  for (int r = 1; r <= 20000; ++r)
    for (int c = 0; c <= 4; ++c) sa.SetString(c, r, text(c, r, 0));
  int pages0 = sa.NumPages();
  for (int r = 1; r <= 20000; ++r)
    for (int c = 0; c <= 4; ++c) sa.SetString(c, r, text(c, r, 1));
  int pages1 = sa.NumPages();
  EXPECT_GT(pages1, pages0);
  sa.GarbageCollection();
  for (int r = 1; r <= 20000; ++r)
    for (int c = 0; c <= 4; ++c) ASSERT_EQ(sa.GetString(c, r), text(c, r, 1)) << c << "/" << r;
  // after collection the freed room is used again before new pages are opened
  for (int r = 1; r <= 20000; ++r) sa.SetString(0, r, "");
  sa.GarbageCollection();
  for (int r = 1; r <= 20000; ++r) sa.SetString(0, r, text(0, r, 1));
  // about 40 pages of column-0 texts would be needed without the collection
  EXPECT_LE(sa.NumPages(), pages1 + 2);
  for (int r = 1; r <= 20000; r += 97) ASSERT_EQ(sa.GetString(0, r), text(0, r, 1));
}

TEST(DStructStringArray, GetAsNumber) {
  TStringArray sa(nullptr);
  sa.Resize(2, 2);
  sa.SetString(1, 1, " 3,5 ");
  EXPECT_DOUBLE_EQ(static_cast<double>(sa.GetAsNumber(1, 1)), 3.5);
  sa.SetString(1, 1, "   ");
  EXPECT_EQ(sa.GetAsNumber(1, 1), 0);
  EXPECT_EQ(sa.GetAsNumber(2, 2), 0);
  sa.SetString(1, 1, "-1.25e2");
  EXPECT_DOUBLE_EQ(static_cast<double>(sa.GetAsNumber(1, 1)), -125.0);
  sa.SetString(2, 1, "x");
  try {
    sa.GetAsNumber(2, 1);
    FAIL();
  } catch (const EZOLDStructError& e) {
    EXPECT_STREQ(e.what(), "Class TStringArray: invalid numeric string: [2,1]: x");
  }
  for (const char* bad : {"1.2.3", "1e", "--1", "1 2", "e5", "."}) {
    sa.SetString(2, 2, bad);
    EXPECT_THROW(sa.GetAsNumber(2, 2), EZOLDStructError) << bad;
  }
}

TEST(DStructStringArray, FindCells) {
  TStringArray sa(nullptr);
  sa.Resize(3, 4);
  sa.SetString(2, 3, "ABC");
  int c = -5, r = -5;
  EXPECT_TRUE(sa.FindCell("b", false, -1, -1, -1, -1, c, r));
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 3);
  EXPECT_FALSE(sa.FindCell("b", true, -1, -1, -1, -1, c, r));
  EXPECT_FALSE(sa.FindCellExact("b", false, -1, -1, -1, -1, c, r));
  EXPECT_TRUE(sa.FindCellExact("abc", false, -1, -1, -1, -1, c, r));
  EXPECT_FALSE(sa.FindCell("", false, -1, -1, -1, -1, c, r));
  // an earlier column of the same row wins; so does an earlier row
  sa.SetString(1, 3, "xBx");
  EXPECT_TRUE(sa.FindCell("b", false, -1, -1, -1, -1, c, r));
  EXPECT_EQ(c, 1);
  sa.SetString(3, 2, "b");
  EXPECT_TRUE(sa.FindCell("b", false, -1, -1, -1, -1, c, r));
  EXPECT_EQ(c, 3);
  EXPECT_EQ(r, 2);
  // bounds in either order, clamped; one row bound -1 is clamped, not "all rows"
  EXPECT_TRUE(sa.FindCell("abc", false, 3, 2, 4, 3, c, r));
  EXPECT_EQ(r, 3);
  EXPECT_FALSE(sa.FindCell("abc", false, 0, 9, -1, 2, c, r));
  c = r = 77;
  EXPECT_FALSE(sa.FindCell("nothing", false, -1, -1, -1, -1, c, r));
  EXPECT_EQ(c, 77);
}

TEST(DStructStringArray, FindInSortedColumn) {
  TStringArray sa(nullptr);
  sa.Resize(1, 4);
  const char* asc[] = {"a", "b", "b", "b"};
  for (int i = 0; i < 4; ++i) sa.SetString(1, i + 1, asc[i]);
  int row = 0;
  EXPECT_TRUE(sa.FindCellInSortedColumn("b", true, 1, -1, -1, true, row));
  EXPECT_EQ(row, 2);
  EXPECT_TRUE(sa.FindCellInSortedColumn("a", true, 1, -1, -1, true, row));
  EXPECT_EQ(row, 1);
  EXPECT_FALSE(sa.FindCellInSortedColumn("c", true, 1, -1, -1, true, row));
  // every row of a longer column, including the last one of the range
  sa.Resize(1, 57);
  for (int i = 1; i <= 57; ++i) sa.SetString(1, i, "K" + std::to_string(1000 + i));
  for (int i = 1; i <= 57; ++i) {
    ASSERT_TRUE(sa.FindCellInSortedColumn("k" + std::to_string(1000 + i), false, 1, -1, -1, true, row)) << i;
    EXPECT_EQ(row, i);
  }
  EXPECT_FALSE(sa.FindCellInSortedColumn("k1000", true, 1, -1, -1, true, row));
  EXPECT_TRUE(sa.FindCellInSortedColumn("K1030", true, 1, 40, 30, true, row));
  EXPECT_EQ(row, 30);
  // descending
  for (int i = 1; i <= 57; ++i) sa.SetString(1, i, "K" + std::to_string(2000 - i));
  for (int i = 1; i <= 57; ++i) {
    ASSERT_TRUE(sa.FindCellInSortedColumn("K" + std::to_string(2000 - i), true, 1, -1, -1, false, row));
    EXPECT_EQ(row, i);
  }
}

TEST(DStructStringArray, SortSmallCases) {
  TStringArray sa(nullptr);
  std::vector<int> progress;
  int changes = 0;
  sa.OnPercentDone = [&](TObject*, int p) { progress.push_back(p); };
  sa.OnChange = [&](TObject*) { ++changes; };
  sa.Sort(1, -1, true);
  EXPECT_EQ(progress, (std::vector<int>{0, 100}));
  EXPECT_EQ(changes, 0);

  sa.Resize(2, 3);
  sa.SetString(1, 1, "b");
  sa.SetString(1, 2, "A");
  sa.SetString(1, 3, "c");
  sa.SetString(2, 1, "row1");
  sa.SetString(2, 2, "row2");
  sa.SetString(2, 3, "row3");
  sa.SetRowAttrib(2, 42);
  progress.clear();
  changes = 0;
  sa.Sort(1, -1, true);
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(sa.GetString(1, 1), "A");
  EXPECT_EQ(sa.GetString(1, 2), "b");
  EXPECT_EQ(sa.GetString(1, 3), "c");
  EXPECT_EQ(sa.GetString(2, 1), "row2");
  EXPECT_EQ(sa.GetRowAttrib(1), 42);
  EXPECT_EQ(sa.GetSortOrder(1), 2);
  EXPECT_EQ(sa.GetSortOrder(2), 1);
  EXPECT_EQ(sa.GetSortOrder(3), 3);
  uint32_t h = sa.CellHandle(2, 1);
  sa.CommitSorting();
  EXPECT_EQ(sa.GetSortOrder(1), 1);
  EXPECT_EQ(sa.GetString(1, 1), "A");
  EXPECT_EQ(sa.GetString(2, 1), "row2");
  EXPECT_EQ(sa.CellHandle(2, 1), h);  // handles move, not the texts
  EXPECT_EQ(sa.GetRowAttrib(1), 42);
  sa.Sort(1, -1, false);
  EXPECT_EQ(sa.GetString(1, 1), "c");
  sa.UnSort();
  EXPECT_EQ(sa.GetString(1, 1), "A");
  // an order that is not a permutation is not committed (no shared strings)
  sa.SetSortOrder(2, 1);
  sa.SetSortOrder(3, 1);
  EXPECT_EQ(sa.GetString(1, 3), "A");
  sa.CommitSorting();
  sa.SetString(1, 1, "X");
  sa.GarbageCollection();
  EXPECT_EQ(sa.GetString(1, 1), "X");
  EXPECT_EQ(sa.GetString(1, 2), "b");
  EXPECT_EQ(sa.GetString(1, 3), "c");

  // secondary key and the sort-key hook
  sa.Resize(2, 4);
  const char* k1[] = {"x", "y", "x", "y"};
  const char* k2[] = {"2", "1", "1", "3"};
  for (int i = 0; i < 4; ++i) {
    sa.SetString(1, i + 1, k1[i]);
    sa.SetString(2, i + 1, k2[i]);
  }
  sa.Sort(1, 2, true);
  std::string got;
  for (int i = 1; i <= 4; ++i) got += sa.GetString(1, i) + sa.GetString(2, i) + " ";
  EXPECT_EQ(got, "x1 x2 y1 y3 ");
  sa.OnBeforeSortExchange = [](TObject*, const std::string& in, std::string& out) {
    out = std::string(in.rbegin(), in.rend());  // sort by the reversed text
  };
  sa.Resize(1, 3);
  sa.SetString(1, 1, "az");
  sa.SetString(1, 2, "by");
  sa.SetString(1, 3, "cx");
  sa.Sort(1, -1, true);
  EXPECT_EQ(sa.GetString(1, 1), "cx");
  EXPECT_EQ(sa.GetString(1, 3), "az");
}

TEST(DStructStringArray, SortManyRowsKeepsRowsIntact) {
  TStringArray sa(nullptr);
  const int n = 5000;
  sa.SetAllocRowsBy(512);
  sa.Resize(3, n);
  std::mt19937 rng(5);
  std::vector<std::string> keys;
  for (int r = 1; r <= n; ++r) {
    std::string k;
    int len = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < len; ++i) k += "aAbBcC"[rng() % 6];
    keys.push_back(k);
    sa.SetString(1, r, k);
    sa.SetString(2, r, std::to_string(r));
    sa.SetString(0, r, "#" + std::to_string(r));
    sa.SetRowAttrib(r, static_cast<uint8_t>(r % 251));
  }
  sa.Sort(1, 2, false);
  // reference: the keys folded to lower case, sorted descending with std::sort,
  // ties broken by the secondary text (descending as well)
  std::vector<std::pair<std::string, std::string>> ref;
  for (int r = 1; r <= n; ++r) {
    std::string low = keys[r - 1];
    for (auto& ch : low) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    ref.emplace_back(low, std::to_string(r));
  }
  std::sort(ref.begin(), ref.end(), std::greater<>());
  std::set<int> seen;
  for (int i = 1; i <= n; ++i) {
    int orig = std::stoi(sa.GetString(2, i));
    ASSERT_EQ(sa.GetString(0, i), "#" + std::to_string(orig));
    ASSERT_EQ(sa.GetString(1, i), keys[orig - 1]);
    ASSERT_EQ(sa.GetRowAttrib(i), orig % 251);
    std::string low = sa.GetString(1, i);
    for (auto& ch : low) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    ASSERT_EQ(low, ref[i - 1].first);
    ASSERT_EQ(sa.GetString(2, i), ref[i - 1].second);
    seen.insert(sa.GetSortOrder(i));
  }
  EXPECT_EQ(static_cast<int>(seen.size()), n);
  sa.CommitSorting();
  for (int i = 1; i <= n; ++i) ASSERT_EQ(sa.GetString(2, i), ref[i - 1].second);
}

TEST(DStructStringArray, RowOperations) {
  TStringArray sa(nullptr);
  sa.SetString(0, 1, "k");
  sa.SetString(1, 1, "v");
  sa.SetRowAttrib(1, 3);
  sa.RemoveRow(1);
  EXPECT_EQ(sa.NrOfRows(), 1);
  EXPECT_EQ(sa.GetString(0, 1), "");
  EXPECT_EQ(sa.GetString(1, 1), "");
  EXPECT_EQ(sa.GetRowAttrib(1), 0);

  sa.Resize(2, 5);
  for (int r = 1; r <= 5; ++r) {
    sa.SetString(1, r, std::string(1, static_cast<char>('a' + r - 1)));
    sa.SetString(2, r, std::to_string(r));
    sa.SetRowAttrib(r, static_cast<uint8_t>(r));
  }
  auto col1 = [&]() {
    std::string s;
    for (int r = 1; r <= sa.NrOfRows(); ++r) s += sa.GetString(1, r).empty() ? "_" : sa.GetString(1, r);
    return s;
  };
  sa.InsertRow(2);
  EXPECT_EQ(col1(), "a_bcde");
  EXPECT_EQ(sa.GetRowAttrib(2), 0);
  EXPECT_EQ(sa.GetRowAttrib(3), 2);
  sa.InsertRow(7);  // after the last row: ignored
  EXPECT_EQ(sa.NrOfRows(), 6);
  sa.RemoveRow(1);
  EXPECT_EQ(col1(), "_bcde");
  EXPECT_EQ(sa.GetString(2, 5), "5");
  sa.CopyRow(5, 1);
  EXPECT_EQ(col1(), "ebcde");
  EXPECT_EQ(sa.GetRowAttrib(1), 5);
  sa.SetString(1, 1, "changed");  // the copy is independent
  EXPECT_EQ(sa.GetString(1, 5), "e");

  // on a sorted array, rows are inserted and removed in the order shown
  sa.Sort(1, -1, false);
  EXPECT_EQ(col1(), "edchangedcb");
  sa.RemoveRow(2);
  EXPECT_EQ(col1(), "echangedcb");
  sa.InsertRow(1);
  EXPECT_EQ(col1(), "_echangedcb");
  EXPECT_EQ(sa.GetSortOrder(1), 1);

  EXPECT_FALSE(sa.RowEmpty(2));
  EXPECT_TRUE(sa.RowEmpty(1));
  sa.SetString(0, 1, "key only");
  EXPECT_TRUE(sa.RowEmpty(1));  // column 0 is not examined
  sa.SetString(1, 1, "   ");
  EXPECT_TRUE(sa.RowEmpty(1));
  EXPECT_FALSE(sa.ColumnEmpty(1));
  sa.Fill("");
  EXPECT_TRUE(sa.ColumnEmpty(1));
  sa.Fill("f");
  EXPECT_EQ(sa.GetString(0, 5), "f");
}

TEST(DStructStringArray, XMLRoundTripAndRecordSelection) {
  TempDir tmp;
  const std::string fn = tmp.File("sa.xml");
  TStringArray sa(nullptr);
  sa.Resize(3, 4);
  sa.SetString(0, 1, "key <1> & \"q\"");
  sa.SetString(1, 2, "tab\there\nnew line");
  sa.SetString(2, 3, "Gr\xC3\xBC\xC3\x9F" "e </cell> </strarray>");
  sa.SetString(3, 4, std::string(255, 'w'));
  sa.SetString(1, 1, "  lead and trail  ");
  sa.SetColAttrib(2, 17);
  sa.SetRowAttrib(3, 200);
  sa.Sort(1, -1, true);  // written in the logical order
  std::vector<std::string> shown;
  for (int r = 1; r <= 4; ++r)
    for (int c = 0; c <= 3; ++c) shown.push_back(sa.GetString(c, r));
  {
    TextFile F;
    AssignFile(F, fn);
    Rewrite(F);
    TStringArray other(nullptr);
    other.SetString(1, 1, "the other record");
    other.WriteToOpenXMLFile(F, true, "First");
    sa.WriteToOpenXMLFile(F, false, "Second \"one\"");
    CloseFile(F);
  }
  std::string text = ReadBytes(fn);
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\"?>\n\n<!-- TStringArray / ZOL Component Suite -->\n"
                       "<strarray sig=\"ZOLCSuite\" vers=\"1.0\" id=\"First\">\n  <numcols>1</numcols>\n",
                       0),
            0u);
  TStringArray rd(nullptr);
  ASSERT_TRUE(rd.LoadFromXMLFile(fn, "second \"ONE\""));
  EXPECT_EQ(rd.NrOfColumns(), 3);
  EXPECT_EQ(rd.NrOfRows(), 4);
  std::vector<std::string> got;
  for (int r = 1; r <= 4; ++r)
    for (int c = 0; c <= 3; ++c) got.push_back(rd.GetString(c, r));
  EXPECT_EQ(got, shown);
  EXPECT_EQ(rd.GetColAttrib(2), 17);
  int r200 = 0;
  for (int r = 1; r <= 4; ++r)
    if (rd.GetRowAttrib(r) == 200) r200 = r;
  EXPECT_EQ(rd.GetString(2, r200), sa.GetString(2, r200));
  ASSERT_TRUE(rd.LoadFromXMLFile(fn, ""));  // the first record
  EXPECT_EQ(rd.GetString(1, 1), "the other record");
  EXPECT_FALSE(rd.LoadFromXMLFile(fn, "third"));
  EXPECT_EQ(rd.GetString(1, 1), "the other record");
  EXPECT_FALSE(rd.LoadFromXMLFile(tmp.File("missing.xml"), ""));
  EXPECT_FALSE(sa.SaveAsXMLFile(tmp.File("no/such/folder/x.xml"), "x"));
}

TEST(DStructStringArray, ReadsHandWrittenRecords) {
  // CR LF line ends, attributes in another order, an unknown element, upper-case names
  TempDir tmp;
  const std::string fn = tmp.File("hand.xml");
  WriteBytes(fn, "<?xml version=\"1.0\"?>\r\n<root>\r\n  <STRARRAY sig=\"ZOLCSuite\" vers=\"1.0\" id=\" T1 \">\r\n"
                 "    <NumRows>2</NumRows>\r\n    <numcols>2</numcols>\r\n    <future flag=1 />\r\n"
                 "    <cell row=2 col=\"2\">&#x48;i &amp; bye</cell>\r\n    <CELL Col=0 Row=1>k</CELL>\r\n"
                 "  </strarray>\r\n</root>\r\n");
  TStringArray sa(nullptr);
  ASSERT_TRUE(sa.LoadFromXMLFile(fn, "t1"));
  EXPECT_EQ(sa.NrOfColumns(), 2);
  EXPECT_EQ(sa.NrOfRows(), 2);
  EXPECT_EQ(sa.GetString(2, 2), "Hi & bye");
  EXPECT_EQ(sa.GetString(0, 1), "k");
}

// ==================================================================== readers on hostile input
TEST(DStructReaders, TruncatedAndRandomFilesAreRefused) {
  TempDir tmp;
  const std::string fn = tmp.File("h.xml");
  TStringArray sa(nullptr);
  sa.Resize(2, 3);
  sa.SetString(1, 1, "alpha");
  sa.SetString(2, 3, "beta & gamma");
  sa.SetRowAttrib(2, 5);
  ASSERT_TRUE(sa.SaveAsXMLFile(fn, "id"));
  const std::string good = ReadBytes(fn);
  TAssocArray aa(nullptr);
  aa.Add("one", 1);
  aa.Add("two", std::string("zwei </assoc>"));
  aa.Add("pi", 3.25);
  TMemoryStream ams;
  aa.WriteToXMLStream(ams, true, "rec");
  const std::string agood = StreamText(ams);

  TStringArray target(nullptr);
  target.SetString(1, 1, "keep");
  TAssocArray atarget(nullptr);
  atarget.Add("keep", 7);
  auto unchanged = [&]() {
    return target.NrOfRows() == 1 && target.GetString(1, 1) == "keep" && atarget.NumEntries() == 1 &&
           atarget.ResolveAsNumber("keep") == 7;
  };
  // every truncation of a valid record
  for (size_t len = 0; len + 1 < good.size(); ++len) {
    WriteBytes(fn, good.substr(0, len));
    ASSERT_FALSE(target.LoadFromXMLFile(fn, "id")) << len;
  }
  for (size_t len = 0; len + 1 < agood.size(); ++len) {
    TStringStream s(agood.substr(0, len));
    ASSERT_FALSE(atarget.ReadFromXMLStream(s, "rec")) << len;
  }
  ASSERT_TRUE(unchanged());
  // random mutations and random bytes: no crash, no hang; a refused file changes nothing
  std::mt19937 rng(99);
  for (int trial = 0; trial < 400; ++trial) {
    std::string s = trial % 4 == 0 ? std::string(rng() % 300, '\0') : (trial % 2 ? good : agood);
    for (auto& ch : s)
      if (trial % 4 == 0) ch = "<>/= \"acelmnorstu0123456789\n"[rng() % 28];
    int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips && !s.empty(); ++i) s[rng() % s.size()] = static_cast<char>(rng());
    WriteBytes(fn, s);
    TStringArray t2(nullptr);
    t2.SetString(1, 1, "keep");
    if (!t2.LoadFromXMLFile(fn, "")) {
      EXPECT_EQ(t2.GetString(1, 1), "keep");
    }
    TStringStream ss(s);
    TAssocArray a2(nullptr);
    a2.Add("keep", 7);
    if (!a2.ReadFromXMLStream(ss, "")) {
      EXPECT_EQ(a2.NumEntries(), 1);
    }
  }
  // sizes the input cannot describe are refused before anything is allocated
  WriteBytes(fn, "<strarray sig=\"ZOLCSuite\" vers=\"1.0\" id=\"\">\n  <numcols>2000000000</numcols>\n"
                 "  <numrows>2000000000</numrows>\n</strarray>\n");
  EXPECT_FALSE(target.LoadFromXMLFile(fn, ""));
  WriteBytes(fn, "<strarray sig=\"ZOLCSuite\" vers=\"1.0\" id=\"\">\n  <numcols>2</numcols>\n"
                 "  <numrows>2</numrows>\n  <cell col=3 row=1>x</cell>\n</strarray>\n");
  EXPECT_FALSE(target.LoadFromXMLFile(fn, ""));
  TStringStream bad("<assocarray sig=\"ZOLCSuite\" vers=\"1.0\" id=\"\">\n  <numentries>99999999999</numentries>\n"
                    "  <assoc key=\"a\" kind=\"byte\">256</assoc>\n</assocarray>\n");
  EXPECT_FALSE(atarget.ReadFromXMLStream(bad, ""));
  EXPECT_TRUE(unchanged());
}

// ==================================================================== TBitFld
TEST(DStructBitFld, BitsAndSizes) {
  TBitFld bf(nullptr);
  EXPECT_EQ(bf.Size(), 1000);
  EXPECT_GE(bf.Bytes().size(), 1000u / 8 + 2);
  bf.SetSize(8);
  EXPECT_EQ(bf.FirstTrueBit(), -1);
  bf.SetBit(8, true);
  EXPECT_TRUE(bf.GetBit(8));
  bf.SetBit(9, true);
  EXPECT_FALSE(bf.GetBit(9));
  EXPECT_FALSE(bf.GetBit(-1));
  EXPECT_EQ(bf.CountTrueBits(), 1);
  EXPECT_EQ(bf.FirstTrueBit(), 8);
  bf.ToggleBit(3);
  EXPECT_EQ(bf.FirstTrueBit(), 3);
  bf.SetSize(0);
  EXPECT_EQ(bf.Size(), 8);

  TBitFld b3(nullptr);
  b3.SetSize(3);
  b3.SetBit(0, true);
  b3.SetBit(2, true);
  TIntArray list;
  b3.MakeListOfBits(list, false);
  EXPECT_EQ(list, (TIntArray{1, 3}));
  b3.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{0, 2}));

  // inverting must not set bits above Size that a later growth would show
  TBitFld inv(nullptr);
  inv.SetSize(10);
  inv.SetBit(4, true);
  inv.Invert();
  EXPECT_EQ(inv.CountTrueBits(), 10);
  EXPECT_FALSE(inv.GetBit(4));
  inv.SetSize(40);
  EXPECT_EQ(inv.CountTrueBits(), 10);
  for (int i = 11; i <= 40; ++i) EXPECT_FALSE(inv.GetBit(i)) << i;
  // shrinking drops the bits above the new size for good
  inv.SetSize(5);
  inv.SetSize(20);
  EXPECT_EQ(inv.CountTrueBits(), 5);

  TBitFld other(nullptr);
  other.SetSize(40);
  other.SetBit(0, true);
  inv.SetSize(40);
  inv.CombineWith(&other, loXORNot);  // sets everything not in other, bits above 40 stay clear
  EXPECT_EQ(inv.CountTrueBits(), 37);
  inv.SetSize(100);
  EXPECT_EQ(inv.CountTrueBits(), 37);
  TBitFld small(nullptr);
  small.SetSize(7);
  inv.CombineWith(&small, loAND);  // different sizes: nothing
  EXPECT_EQ(inv.CountTrueBits(), 37);
  small.Clone(&inv);
  EXPECT_EQ(small.Size(), 100);
  EXPECT_EQ(small.CountTrueBits(), 37);
  small.CombineWith(&inv, loANDNot);
  EXPECT_EQ(small.CountTrueBits(), 0);
  small.Clone(nullptr);
  EXPECT_EQ(small.Size(), 100);
}

TEST(DStructBitFld, RandomFillSetsExactCount) {
  TBitFld bf(nullptr);
  RandSeed = 12345;
  for (int size : {1, 7, 8, 100, 1001}) {
    bf.SetSize(size);
    for (int n : {0, 1, size / 2, size / 2 + 1, size - 1, size}) {
      if (n < 0) continue;
      bf.RandomFill(n);
      EXPECT_EQ(bf.CountTrueBits(), n) << size << " " << n;
      bf.SetSize(size + 16);
      EXPECT_EQ(bf.CountTrueBits(), n) << "no bits above Size";
      bf.SetSize(size);
    }
  }
  bf.SetSize(200);
  bf.RandomFill(25.0);
  EXPECT_EQ(bf.CountTrueBits(), 50);
  bf.RandomFill(150.0);
  EXPECT_EQ(bf.CountTrueBits(), 200);
  bf.RandomFill(-3);
  EXPECT_EQ(bf.CountTrueBits(), 0);
}

// ==================================================================== TByteMatrix
TEST(DStructByteMatrix, ResizeBitsAndCombine) {
  TByteMatrix bm(nullptr);
  int changes = 0;
  bm.OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(bm.Resize(1, 1));
  EXPECT_FALSE(bm.Resize(0, 3));
  EXPECT_TRUE(bm.Resize(3, 2));
  EXPECT_EQ(changes, 1);
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 2; ++r) bm.SetByte(c, r, static_cast<uint8_t>(10 * c + r));
  EXPECT_TRUE(bm.Resize(2, 4));
  EXPECT_EQ(bm.GetByte(2, 2), 22);
  EXPECT_EQ(bm.GetByte(1, 1), 11);
  EXPECT_EQ(bm.GetByte(2, 3), 0);
  EXPECT_EQ(bm.GetByte(3, 1), 0);
  bm.SetNrCols(0);
  EXPECT_EQ(bm.NrOfColumns(), 1);
  EXPECT_EQ(bm.GetByte(1, 2), 12);
  bm.SetBit(1, 3, 7, true);
  EXPECT_EQ(bm.GetByte(1, 3), 128);
  EXPECT_FALSE(bm.GetBit(1, 3, 8));
  bm.SetBit(1, 3, 8, true);
  EXPECT_EQ(bm.GetByte(1, 3), 128);
  bm.ToggleBit(1, 3, 0);
  EXPECT_TRUE(bm.GetBit(1, 3, 0));
  bm.SetByte(9, 9, 1);
  EXPECT_EQ(bm.GetByte(9, 9), 0);
  TByteMatrix other(nullptr);
  other.Resize(1, 4);
  other.Fill(0x0F);
  changes = 0;
  bm.CombineWith(&other, loANDNot);
  EXPECT_EQ(bm.GetByte(1, 3), 128);
  EXPECT_EQ(bm.GetByte(1, 1), 11 & 0xF0);
  EXPECT_EQ(changes, 0);
}

// ==================================================================== TFifo
TEST(DStructFifo, RingBehaviour) {
  TFifo f(nullptr);
  f.SetSize(4);
  EXPECT_TRUE(f.PutByte(1));
  EXPECT_TRUE(f.PutByte(2));
  EXPECT_TRUE(f.PutByte(3));
  EXPECT_FALSE(f.PutByte(4));
  EXPECT_FALSE(f.LoadBack(9));  // full
  EXPECT_TRUE(f.ForceByte(4));
  EXPECT_EQ(f.CountBytes(), 3);
  uint8_t b = 0;
  EXPECT_TRUE(f.SenseByte(0, b));
  EXPECT_EQ(b, 2);
  EXPECT_TRUE(f.SenseByte(2, b));
  EXPECT_EQ(b, 4);
  EXPECT_FALSE(f.SenseByte(3, b));
  EXPECT_TRUE(f.GetByte(b));
  EXPECT_EQ(b, 2);
  EXPECT_FALSE(f.ForceByte(5));  // room: nothing discarded
  EXPECT_TRUE(f.GetByte(b));
  EXPECT_TRUE(f.LoadBack(b));
  EXPECT_TRUE(f.SenseByte(0, b));
  EXPECT_EQ(b, 3);
  // resizing keeps the bytes in order, also when the ring has wrapped
  f.SetSize(10);
  std::string got;
  while (f.GetByte(b)) got += std::to_string(b);
  EXPECT_EQ(got, "345");
  EXPECT_FALSE(f.GetByte(b));
  for (int i = 0; i < 9; ++i) f.PutByte(static_cast<uint8_t>(i));
  f.SetSize(4);  // too small: the oldest bytes go
  got.clear();
  while (f.GetByte(b)) got += std::to_string(b);
  EXPECT_EQ(got, "678");
  f.PutByte(1);
  f.Clear();
  EXPECT_EQ(f.CountBytes(), 0);
}

// ==================================================================== TRLEncoder
namespace {
std::vector<uint8_t> RLEncodeAll(TRLEncoder& enc, const std::vector<uint8_t>& in, int chunk) {
  std::vector<uint8_t> out;
  TBytes blk;
  enc.Reset();
  for (size_t i = 0; i < in.size(); i += static_cast<size_t>(chunk)) {
    int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(chunk), in.size() - i));
    if (enc.Encode(in.data() + i, n))
      while (enc.Waiting() >= enc.BufLeng()) {
        enc.GetResult(blk);
        out.insert(out.end(), blk.begin(), blk.end());
      }
  }
  while (enc.Finish(blk) > 0) out.insert(out.end(), blk.begin(), blk.end());
  return out;
}

std::vector<uint8_t> RLDecodeAll(TRLEncoder& dec, const std::vector<uint8_t>& in) {
  std::vector<uint8_t> out;
  TBytes blk;
  dec.Reset();
  for (uint8_t b : in)
    if (dec.Decode(b))
      while (dec.Waiting() >= dec.BufLeng()) {
        dec.GetResult(blk);
        out.insert(out.end(), blk.begin(), blk.end());
      }
  while (dec.Finish(blk) > 0) out.insert(out.end(), blk.begin(), blk.end());
  return out;
}
}  // namespace

TEST(DStructRLEncoder, DescribedEncodings) {
  TRLEncoder enc(nullptr);
  using V = std::vector<uint8_t>;
  EXPECT_EQ(RLEncodeAll(enc, V(10, 7), 256), (V{165, 10, 7}));
  EXPECT_EQ(RLEncodeAll(enc, V{165}, 256), (V{165, 1, 165}));
  EXPECT_EQ(RLDecodeAll(enc, V{165, 1, 165}), V{165});
  EXPECT_EQ(RLEncodeAll(enc, V{4, 4, 9}, 256), (V{4, 4, 165, 1, 9}));
  EXPECT_EQ(RLEncodeAll(enc, V{165, 165, 1, 2}, 256), (V{165, 2, 165, 1, 165, 1, 2}));
  // 255 equal bytes close a run by themselves; 300 make a full run and a rest
  EXPECT_EQ(RLEncodeAll(enc, V(255, 0), 256), (V{165, 255, 0}));
  EXPECT_EQ(RLEncodeAll(enc, V(300, 0), 256), (V{165, 255, 0, 165, 45, 0}));
  // Finish with nothing pending emits nothing
  TBytes blk{1, 2, 3};
  enc.Reset();
  EXPECT_EQ(enc.Finish(blk), 0);
  EXPECT_TRUE(blk.empty());
  enc.Encode(V(255, 3), 255);
  EXPECT_EQ(enc.Finish(blk), 3);
  EXPECT_EQ(enc.Finish(blk), 0);
}

TEST(DStructRLEncoder, RoundTripWithSmallBlocks) {
  std::mt19937 rng(21);
  std::vector<uint8_t> data;
  while (data.size() < 20000) {
    int kind = static_cast<int>(rng() % 4);
    uint8_t b = kind == 0 ? 165 : static_cast<uint8_t>(rng());
    int run = kind == 1 ? 1 + static_cast<int>(rng() % 600) : 1 + static_cast<int>(rng() % 3);
    data.insert(data.end(), static_cast<size_t>(run), b);
  }
  for (int bl : {1, 2, 3, 7, 256, 1000}) {
    TRLEncoder enc(nullptr), dec(nullptr);
    enc.SetBufLeng(bl);
    dec.SetBufLeng(bl);
    std::vector<uint8_t> packed = RLEncodeAll(enc, data, bl * 3 + 1);
    EXPECT_LT(packed.size(), data.size());
    EXPECT_EQ(RLDecodeAll(dec, packed), data) << bl;
  }
}

// ==================================================================== TAssocArray
TEST(DStructAssocArray, KeysValuesAndRemoval) {
  TAssocArray aa(nullptr);
  EXPECT_TRUE(aa.IgnoreCase());
  EXPECT_EQ(aa.Granularity(), 1024);
  aa.Add("Key", 1);
  EXPECT_EQ(aa.Resolve("KEY").AsInt64(), 1);
  EXPECT_EQ(aa.GetKeys(1), "key");
  aa.Add("kEY", 2.5);
  EXPECT_EQ(aa.NumEntries(), 1);
  EXPECT_EQ(aa.Resolve("key").Kind(), vkDouble);
  aa.Add("b", std::string("bee"));
  aa.Add("c", true);
  EXPECT_TRUE(aa.Remove("KEY"));
  EXPECT_FALSE(aa.Remove("KEY"));
  EXPECT_EQ(aa.GetKeys(1), "c");
  EXPECT_EQ(aa.GetKeys(2), "b");
  EXPECT_EQ(aa.GetKeys(3), "");
  EXPECT_EQ(aa.GetValues(3).Kind(), vkString);
  EXPECT_EQ(aa.GetValues(3).AsString(), "");
  EXPECT_TRUE(aa.Resolve("zzz").IsNull());
  EXPECT_EQ(aa.ResolveAsString("zzz"), "");
  EXPECT_EQ(aa.ResolveAsString("c"), "True");

  aa.Clear();
  aa.SetIgnoreCase(false);
  aa.Add("Key", 1);
  EXPECT_TRUE(aa.Resolve("key").IsNull());
  EXPECT_EQ(aa.GetKeys(1), "Key");
  aa.SetGranularity(2);
  for (int i = 0; i < 50; ++i) aa.Add("k" + std::to_string(i), i);
  EXPECT_EQ(aa.NumEntries(), 51);
  EXPECT_EQ(aa.Resolve("k49").AsInt64(), 49);
}

TEST(DStructAssocArray, NumbersFromValues) {
  TAssocArray aa(nullptr);
  aa.Add("i8", static_cast<signed char>(-5));
  aa.Add("u64", static_cast<unsigned long long>(18000000000000000000ull));
  aa.Add("single", 0.5f);
  aa.Add("cur", TVariant::Currency(12.3456));
  aa.Add("s1", std::string("  3,5"));
  aa.Add("s2", std::string("-2.5e2xyz"));
  aa.Add("s3", std::string("abc"));
  aa.Add("s4", std::string("1e5000"));
  aa.Add("b", true);
  aa.Add("n", TVariant());
  EXPECT_EQ(aa.ResolveAsNumber("i8"), -5);
  EXPECT_EQ(aa.ResolveAsNumber("u64"), 18000000000000000000.0L);
  EXPECT_EQ(aa.ResolveAsNumber("single"), 0.5);
  EXPECT_NEAR(static_cast<double>(aa.ResolveAsNumber("cur")), 12.3456, 1e-12);
  EXPECT_EQ(aa.ResolveAsString("cur"), "12.3456");
  EXPECT_EQ(aa.ResolveAsNumber("s1"), 3.5);
  EXPECT_EQ(aa.ResolveAsNumber("s2"), -250);
  EXPECT_EQ(aa.ResolveAsNumber("s3"), 0);
  EXPECT_DOUBLE_EQ(static_cast<double>(aa.ResolveAsNumber("s4")), 1.7e308);
  EXPECT_EQ(aa.ResolveAsNumber("b"), 0);
  EXPECT_EQ(aa.ResolveAsNumber("n"), 0);
  EXPECT_EQ(aa.ResolveAsNumber("missing"), 0);
  EXPECT_EQ(TVariant::Currency(-0.5).AsString(), "-0.5");
  EXPECT_EQ(TVariant(0.1).AsString(), "0.1");
  EXPECT_EQ(TVariant(0.1f).AsString(), "0.1");
}

TEST(DStructAssocArray, XMLRoundTripOfEveryKind) {
  TAssocArray aa(nullptr);
  aa.Add("null", TVariant());
  aa.Add("shortint", static_cast<signed char>(-128));
  aa.Add("smallint", static_cast<short>(-32768));
  aa.Add("integer", -2147483647 - 1);
  aa.Add("int64", static_cast<long long>(INT64_MIN));
  aa.Add("byte", static_cast<unsigned char>(255));
  aa.Add("word", static_cast<unsigned short>(65535));
  aa.Add("longword", 4294967295u);
  aa.Add("uint64", static_cast<unsigned long long>(UINT64_MAX));
  aa.Add("single", 3.4028235e38f);
  aa.Add("double", 0.1 + 0.2);
  aa.Add("tiny", 4.9e-324);
  aa.Add("currency", TVariant::CurrencyUnits(-922337203685477580LL));
  aa.Add("bool", false);
  aa.Add("string", std::string("a <b> & \"c\" </assoc>\ttab\r\nline \xC3\xA4"));
  aa.Add("empty", std::string());
  aa.Add("key with \"quotes\" & <>", 1);
  TMemoryStream ms;
  ms.WriteBuffer("some text before\n", 17);
  aa.WriteToXMLStream(ms, true, "Settings");
  TAssocArray other(nullptr);
  other.Add("x", 1);
  other.WriteToXMLStream(ms, false, "Other");
  ms.SetPosition(0);
  TAssocArray rd(nullptr);
  rd.SetIgnoreCase(false);
  ASSERT_TRUE(rd.ReadFromXMLStream(ms, "settings"));
  ASSERT_EQ(rd.NumEntries(), aa.NumEntries());
  for (int i = 1; i <= aa.NumEntries(); ++i) {
    EXPECT_EQ(rd.GetKeys(i), aa.GetKeys(i));
    EXPECT_TRUE(rd.GetValues(i) == aa.GetValues(i)) << aa.GetKeys(i) << " " << rd.GetValues(i).AsString();
  }
  // the stream is left behind the record: the next record follows
  ASSERT_TRUE(rd.ReadFromXMLStream(ms, ""));
  EXPECT_EQ(rd.NumEntries(), 1);
  ms.SetPosition(0);
  EXPECT_FALSE(rd.ReadFromXMLStream(ms, "nothing"));
  EXPECT_EQ(rd.NumEntries(), 1);
}

TEST(DStructAssocArray, AddXMLAttributes) {
  TAssocArray aa(nullptr);
  EXPECT_EQ(aa.AddXMLAttributes("x=12 name=\"a b\" Z=3.5 col=$FF00 e=1e3 flag"), 5);
  EXPECT_EQ(aa.Resolve("x").Kind(), vkInt64);
  EXPECT_EQ(aa.Resolve("x").AsInt64(), 12);
  EXPECT_EQ(aa.ResolveAsString("name"), "a b");
  EXPECT_EQ(aa.ResolveAsNumber("z"), 3.5);
  EXPECT_EQ(aa.Resolve("col").Kind(), vkString);
  EXPECT_EQ(aa.ResolveAsString("col"), "$FF00");
  EXPECT_EQ(aa.ResolveAsNumber("e"), 1000);
  EXPECT_TRUE(aa.Resolve("flag").IsNull());
  EXPECT_EQ(aa.AddXMLAttributes("a=1 b==2 c=3"), 1);  // stops at the syntax error
  EXPECT_EQ(aa.AddXMLAttributes(""), 0);
}

// ==================================================================== combinatorics and search
TEST(DStructCombinatorics, NextCombination) {
  TBytes c{2, 3, 4};
  EXPECT_FALSE(NextCombination(c, 4));
  EXPECT_EQ(c, (TBytes{2, 3, 4}));
  c = {2, 1, 4};
  EXPECT_TRUE(NextCombination(c, 4));
  EXPECT_EQ(c, (TBytes{2, 2, 3}));
  // all 3-subsets of 1..7 in lexicographic order, against a bitmask enumeration
  std::vector<TBytes> ref;
  std::vector<int> sel = {0, 0, 0, 0, 1, 1, 1};
  do {
    TBytes t{3};
    for (int i = 0; i < 7; ++i)
      if (sel[i]) t.push_back(static_cast<uint8_t>(i + 1));
    ref.push_back(t);
  } while (std::next_permutation(sel.begin(), sel.end()));
  std::sort(ref.begin(), ref.end());
  std::vector<TBytes> got;
  c = {3, 1, 2, 3};
  do got.push_back(c);
  while (NextCombination(c, 7));
  EXPECT_EQ(got, ref);
  TBytes shortArr{5, 1};
  EXPECT_FALSE(NextCombination(shortArr, 9));
}

TEST(DStructCombinatorics, NextPermutation) {
  TBytes p{3, 1, 2, 3};
  ASSERT_TRUE(NextPermutation(p));
  EXPECT_EQ(p, (TBytes{3, 2, 1, 3}));
  ASSERT_TRUE(NextPermutation(p));
  EXPECT_EQ(p, (TBytes{3, 2, 3, 1}));
  ASSERT_TRUE(NextPermutation(p));
  EXPECT_EQ(p, (TBytes{3, 1, 3, 2}));
  for (int n = 1; n <= 6; ++n) {
    TBytes q{static_cast<uint8_t>(n)};
    for (int i = 1; i <= n; ++i) q.push_back(static_cast<uint8_t>(i));
    std::set<TBytes> seen{q};
    int steps = 0;
    while (NextPermutation(q)) {
      seen.insert(q);
      ++steps;
    }
    int fact = 1;
    for (int i = 2; i <= n; ++i) fact *= i;
    EXPECT_EQ(steps, fact - 1) << n;
    EXPECT_EQ(static_cast<int>(seen.size()), fact);
    TBytes last = q;
    EXPECT_FALSE(NextPermutation(q));
    EXPECT_EQ(q, last);
  }
  TBytes broken{3, 2, 2, 2};
  EXPECT_FALSE(NextPermutation(broken));
}

TEST(DStructSearch, IndexOfNearestArrayValue) {
  EXPECT_EQ(IndexOfNearestArrayValue(2.5, std::vector<double>{1, 2, 3}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(-7.0, std::vector<double>{1, -6.5, 3, -7.5}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(0.0, std::vector<double>{}), -1);
  EXPECT_EQ(IndexOfNearestArrayValue(1e308, std::vector<double>{-1e308, 5}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(HUGE_VAL, std::vector<double>{1, 2}), 0);  // never -1 for a filled array
  EXPECT_EQ(IndexOfNearestArrayValue(5, std::vector<int32_t>{9, 1, 4, 6}), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(INT32_MIN, std::vector<int32_t>{INT32_MAX, 0}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(3, std::vector<int32_t>{}), -1);
}
