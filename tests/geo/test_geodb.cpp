// The geographic database: the seven files written and read byte by byte, damaged
// and random files, interrupted writes, the index rules and the edge cases of the
// record layout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "geo/Zol_geodb.h"

using namespace zol;

namespace {

const char* const kExts[7] = {".zolgdd", ".zolgds", ".zolgi0", ".zolgi1",
                              ".zolgi2", ".zolgi3", ".zolgi4"};

class GeoDBTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zolgeodbXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    Dir = tmpl;
    Base = Dir + "/db";
  }
  void TearDown() override {
    for (const char* e : kExts) std::remove((Base + e).c_str());
    std::remove((Dir + "/blob.bin").c_str());
    std::remove((Dir + "/out.bin").c_str());
    rmdir(Dir.c_str());
  }
  std::string F(int i) const { return Base + kExts[i]; }
  std::string Dir, Base;
};

std::vector<uint8_t> ReadFile(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}
void WriteFile(const std::string& name, const std::vector<uint8_t>& b) {
  std::ofstream f(name, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}
// Little-endian field builders written from the layout, independent of the unit.
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutFloat(std::vector<uint8_t>& b, size_t at, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  Put32(b, at, u);
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
  return v;
}

TgdbPolygon Square(float lat, float lon, float size) {
  return {{lat, lon}, {lat + size, lon}, {lat + size, lon + size}, {lat, lon + size}};
}

}  // namespace

TEST_F(GeoDBTest, NewDatabaseLayout) {
  TGeoDB db(nullptr);
  db.SetDBName(Base + ".xyz");
  EXPECT_EQ(db.DBName(), Base);
  EXPECT_EQ(db.NumEntries(), 0);
  EXPECT_EQ(db.DBVersion(), 4);
  EXPECT_EQ(db.Description(), "");
  EXPECT_EQ(ReadFile(F(0)).size(), 260u);
  for (int i = 1; i < 7; ++i) EXPECT_EQ(ReadFile(F(i)).size(), 0u) << i;
  const auto h = ReadFile(F(0));
  EXPECT_EQ(Get32(h, 0), 0u);
  EXPECT_EQ(Get32(h, 4), 4u);
  // closed database: nothing happens
  db.SetDBName("");
  EXPECT_EQ(db.AddTown("x", 0, 0, {1, 2}, 0, 0, 0), -1);
  TgdbPolygon p;
  EXPECT_EQ(db.RetrievePolygon(1, p), 0);
  EXPECT_EQ(db.SearchForItemID(1), 0);
  db.Sumdata(1);
  db.IxLatLow(5);
}

TEST_F(GeoDBTest, RecordLayoutWrittenByteByByte) {
  TGeoDB db(nullptr);
  db.SetDBName(Base);
  const int r = db.AddRiver("Rhine", {{47.5f, 9.5f}, {51.8f, 6.1f}}, 45000.25, 7, 0, 0, 0, 0,
                            1.5f, 3, -9);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(db.AddTown("Bonn", 45001.0, 11, {50.73f, 7.1f}, 2.5f, 4, 12), 2);
  const auto d = ReadFile(F(1));
  ASSERT_EQ(d.size(), 240u);
  EXPECT_EQ(Get32(d, 0), 1u);                       // ItemID
  EXPECT_EQ(d[4], 5);                               // name length
  EXPECT_EQ(std::string(d.begin() + 5, d.begin() + 10), "Rhine");
  EXPECT_EQ(d[10], ' ');                            // padded with spaces
  EXPECT_EQ(d[63], ' ');
  float f;
  std::memcpy(&f, &d[64], 4);
  EXPECT_EQ(f, 1.5f);                               // FloatAttrib
  EXPECT_EQ(d[68], 3);                              // ByteAttrib
  EXPECT_EQ(static_cast<int32_t>(Get32(d, 72)), -9);  // IntAttrib2
  EXPECT_EQ(Get32(d, 76), 260u);                    // DataPos right after the header
  double date;
  std::memcpy(&date, &d[80], 8);
  EXPECT_EQ(date, 45000.25);
  EXPECT_EQ(Get32(d, 88), 7u);                      // IntAttrib1
  std::memcpy(&f, &d[92], 4);
  EXPECT_EQ(f, 47.5f);                              // LatLow from the points
  std::memcpy(&f, &d[104], 4);
  EXPECT_EQ(f, 9.5f);                               // LongHigh
  EXPECT_EQ(d[108], gitRiver);
  EXPECT_EQ(Get32(d, 112), 2u);                     // NumData
  EXPECT_EQ(d[116], 0);                             // a river is open
  // the town: no data, a box of zero size at the point
  EXPECT_EQ(static_cast<int32_t>(Get32(d, 120 + 76)), -1);
  std::memcpy(&f, &d[120 + 92], 4);
  EXPECT_EQ(f, 50.73f);
  std::memcpy(&f, &d[120 + 96], 4);
  EXPECT_EQ(f, 50.73f);
  TgdbPolygon p;
  EXPECT_EQ(db.RetrievePolygon(2, p), 0);
  // data file: header + two points
  const auto g = ReadFile(F(0));
  ASSERT_EQ(g.size(), 260u + 16u);
  EXPECT_EQ(Get32(g, 0), 2u);  // last item ID
  std::memcpy(&f, &g[260 + 12], 4);
  EXPECT_EQ(f, 6.1f);
  // the item ID index: (ID, 0-based record)
  const auto i0 = ReadFile(F(2));
  ASSERT_EQ(i0.size(), 16u);
  EXPECT_EQ(Get32(i0, 0), 1u);
  EXPECT_EQ(Get32(i0, 4), 0u);
  EXPECT_EQ(Get32(i0, 8), 2u);
  EXPECT_EQ(Get32(i0, 12), 1u);
  // the LatLow index ascending: Rhine 47.5 then Bonn 50.73
  const auto i1 = ReadFile(F(3));
  std::memcpy(&f, &i1[0], 4);
  EXPECT_EQ(f, 47.5f);
  EXPECT_EQ(Get32(i1, 12), 1u);
}

TEST_F(GeoDBTest, ReadsFileSetAssembledFromTheLayout) {
  // two items built by hand: a closed lake of three points and a town
  std::vector<uint8_t> hdr(260, 0);
  Put32(hdr, 0, 17);  // last item ID
  Put32(hdr, 4, 4);
  hdr[8] = 5;
  std::memcpy(&hdr[9], "Lakes", 5);
  Put32(hdr, 72, 3);
  std::vector<uint8_t> pts(24);
  const float coords[6] = {46.2f, 6.1f, 46.5f, 6.9f, 46.3f, 6.5f};
  for (int i = 0; i < 6; ++i) PutFloat(pts, 4 * i, coords[i]);
  hdr.insert(hdr.end(), pts.begin(), pts.end());
  WriteFile(F(0), hdr);

  std::vector<uint8_t> desc(240, 0);
  auto record = [&](size_t at, uint32_t id, const std::string& name, int32_t pos, float la0,
                    float la1, float lo0, float lo1, uint8_t kind, int32_t n, bool closed) {
    Put32(desc, at, id);
    desc[at + 4] = static_cast<uint8_t>(name.size());
    std::memset(&desc[at + 5], ' ', 59);
    std::memcpy(&desc[at + 5], name.data(), name.size());
    Put32(desc, at + 76, static_cast<uint32_t>(pos));
    PutFloat(desc, at + 92, la0);
    PutFloat(desc, at + 96, la1);
    PutFloat(desc, at + 100, lo0);
    PutFloat(desc, at + 104, lo1);
    desc[at + 108] = kind;
    Put32(desc, at + 112, static_cast<uint32_t>(n));
    desc[at + 116] = closed ? 1 : 0;
  };
  record(0, 17, "Leman", 260, 46.2f, 46.5f, 6.1f, 6.9f, gitLake, 3, true);
  record(120, 9, "Lausanne", -1, 46.52f, 46.52f, 6.63f, 6.63f, gitTown, 0, false);
  WriteFile(F(1), desc);
  // indices: item ID ascending 9 -> record 1, 17 -> record 0
  std::vector<uint8_t> i0(16);
  Put32(i0, 0, 9);
  Put32(i0, 4, 1);
  Put32(i0, 8, 17);
  Put32(i0, 12, 0);
  WriteFile(F(2), i0);
  const float keys[4][2] = {{46.2f, 46.52f}, {46.5f, 46.52f}, {6.1f, 6.63f}, {6.63f, 6.9f}};
  const int recs[4][2] = {{0, 1}, {0, 1}, {0, 1}, {1, 0}};
  for (int w = 0; w < 4; ++w) {
    std::vector<uint8_t> ix(16);
    for (int k = 0; k < 2; ++k) {
      PutFloat(ix, 8 * k, keys[w][k]);
      Put32(ix, 8 * k + 4, static_cast<uint32_t>(recs[w][k]));
    }
    WriteFile(F(3 + w), ix);
  }
  TGeoDB db(nullptr);
  db.SetDBName(Base);
  EXPECT_FALSE(db.IndicesRebuilt());
  ASSERT_EQ(db.NumEntries(), 2);
  EXPECT_EQ(db.Description(), "Lakes");
  EXPECT_EQ(db.Revision(), 3);
  EXPECT_EQ(db.Sumdata(1).Name, "Leman");
  EXPECT_TRUE(db.Sumdata(1).Closed);
  EXPECT_EQ(db.SearchForItemID(9), 2);
  EXPECT_EQ(db.SearchForItemID(17), 1);
  EXPECT_EQ(db.SearchForItemID(10), 0);
  EXPECT_EQ(db.IxLongHigh(2).RecIx, 1);  // 1-based record of the largest LongHigh
  TgdbPolygon p;
  ASSERT_EQ(db.RetrievePolygon(1, p), 1);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[1].Latitude, 46.5f);
  EXPECT_EQ(p[2].Longitude, 6.5f);
  EXPECT_EQ(db.SearchArea(46.0f, 46.4f, 6.0f, 6.2f), std::vector<int>{1});
  EXPECT_EQ(db.SearchArea(46.45f, 47.0f, 6.6f, 6.7f), (std::vector<int>{1, 2}));
  EXPECT_EQ(db.SearchArea(46.51f, 47.0f, 6.6f, 6.7f), std::vector<int>{2});
  EXPECT_EQ(db.SearchData("lausanne"), 2);
  // the next item continues after the header's last ID
  EXPECT_EQ(db.AddTown("Geneva", 0, 0, {46.2f, 6.15f}, 0, 0, 0), 3);
  EXPECT_EQ(db.Sumdata(3).ItemID, 18);
}

// A name stored as Latin-1 bytes (not valid UTF-8) reads as UTF-8, where it may
// be longer than the 59-byte field; rewriting the descriptors (garbage
// collection, updates of other fields) keeps it whole.
TEST_F(GeoDBTest, Latin1NamesSurviveRewriting) {
  {
    TGeoDB db(nullptr);
    db.SetDBName(Base);
    ASSERT_EQ(db.AddTown("x", 0, 0, {46.2f, 6.15f}, 0, 0, 0), 1);
    ASSERT_EQ(db.AddTown("y", 0, 0, {47.0f, 7.0f}, 0, 0, 0), 2);
    db.SetDBName("");
  }
  std::vector<uint8_t> desc = ReadFile(F(1));
  ASSERT_EQ(desc.size(), 240u);
  desc[4] = 59;  // 59 times 0xE9 ("é" in Latin-1)
  std::memset(&desc[5], 0xE9, 59);
  desc[124] = 3;  // "Zü" followed by a byte that cannot continue it: Latin-1 as a whole
  desc[125] = 'Z';
  desc[126] = 0xFC;
  desc[127] = 'r';
  WriteFile(F(1), desc);
  std::string e59;
  for (int i = 0; i < 59; ++i) e59 += "\xC3\xA9";
  TGeoDB db(nullptr);
  db.SetDBName(Base);
  ASSERT_EQ(db.NumEntries(), 2);
  EXPECT_EQ(db.Sumdata(1).Name, e59);
  EXPECT_EQ(db.Sumdata(2).Name, "Z\xC3\xBCr");
  db.GarbageCollection();
  TgdbData d = db.Sumdata(2);
  d.IntAttrib1 = 5;
  db.UpdateBasicData(2, d);
  db.SetDBName("");
  EXPECT_EQ(ReadFile(F(1))[4], 59);
  EXPECT_EQ(ReadFile(F(1))[5], 0xE9);
  db.SetDBName(Base);
  EXPECT_EQ(db.Sumdata(1).Name, e59);
  EXPECT_EQ(db.Sumdata(2).Name, "Z\xC3\xBCr");
  EXPECT_EQ(db.Sumdata(2).IntAttrib1, 5);
  // a text of characters beyond Latin-1 is still cut to the field at a character boundary
  std::string euro;
  for (int i = 0; i < 40; ++i) euro += "\xE2\x82\xAC";  // the euro sign, 3 bytes
  db.AddTown(euro, 0, 0, {1.0f, 1.0f}, 0, 0, 0);
  EXPECT_EQ(db.Sumdata(3).Name.size(), 57u);
}

TEST_F(GeoDBTest, DeletionIDsAndClosestIndex) {
  TGeoDB db(nullptr);
  db.SetDBName(Base);
  db.AddTown("A", 0, 0, {10, 10}, 0, 0, 0);
  db.AddTown("B", 0, 0, {20, 20}, 0, 0, 0);
  db.DeleteData(1);
  ASSERT_EQ(db.NumEntries(), 1);
  EXPECT_EQ(db.Sumdata(1).Name, "B");
  EXPECT_EQ(db.Sumdata(1).ItemID, 2);
  EXPECT_EQ(db.SearchForItemID(1), 0);
  EXPECT_EQ(db.SearchForItemID(2), 1);
  EXPECT_EQ(ReadFile(F(1)).size(), 120u);
  EXPECT_EQ(db.AddTown("C", 0, 0, {5, 5}, 0, 0, 0), 2);
  EXPECT_EQ(db.Sumdata(2).ItemID, 3);  // IDs are never reused
  db.DeleteData(2);
  db.DeleteData(1);
  EXPECT_EQ(db.AddTown("D", 0, 0, {5, 5}, 0, 0, 0), 1);
  EXPECT_EQ(db.Sumdata(1).ItemID, 4);
  db.DeleteData(0);
  db.DeleteData(5);
  EXPECT_EQ(db.NumEntries(), 1);
  // closest positions: equal or first greater, N + 1 beyond the end
  db.AddTown("E", 0, 0, {15, 15}, 0, 0, 0);
  db.AddTown("F", 0, 0, {15, 16}, 0, 0, 0);
  EXPECT_EQ(db.GetClosestLatLowIx(4.0f), 1);
  EXPECT_EQ(db.GetClosestLatLowIx(15.0f), 2);
  EXPECT_EQ(db.GetClosestLatLowIx(99.0f), 4);
  EXPECT_EQ(db.GetClosestItemIDIx(5), 2);
}

TEST_F(GeoDBTest, PolygonsDescriptionAndBlobs) {
  TGeoDB db(nullptr);
  db.SetDBName(Base);
  EXPECT_EQ(db.AddBorder("none", {}, true, 0, 0, 1, 2, 3, 4, 0, 0, 0), 1);
  TgdbData d = db.Sumdata(1);
  EXPECT_EQ(d.LatLow, 90.0f);
  EXPECT_EQ(d.LatHigh, -90.0f);
  EXPECT_EQ(d.LongLow, 180.0f);
  EXPECT_EQ(d.LongHigh, -180.0f);
  EXPECT_EQ(d.NumData, 0);
  db.SetDescription(std::string(70, 'd'));
  EXPECT_EQ(db.Description(), std::string(60, 'd'));
  db.SetRevision(12);
  const std::string longName(80, 'n');
  db.AddLake(longName, Square(1, 2, 3), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(db.Sumdata(2).Name, std::string(59, 'n'));
  EXPECT_TRUE(db.Sumdata(2).Closed);

  // BLOB from memory, then a buffer one byte too small
  std::vector<uint8_t> content(40000);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 7);
  TMetaInfo mi;
  mi[miKwd] = "kw";
  mi[miCaption] = "caption";
  const int b = db.AddBLOB("/some/where/data.bin", 0, 0, 1, 1, 1, 1, 0, 0, 0, mi, content.data(),
                           static_cast<int64_t>(content.size()));
  EXPECT_EQ(db.Sumdata(b).Name, "data.bin");
  std::vector<uint8_t> buf(content.size() - 1);
  TMetaInfo got;
  EXPECT_THROW(db.RetrieveBLOB(b, got, buf.data(), static_cast<int64_t>(buf.size())),
               EZOLGeoDBError);
  buf.resize(content.size());
  ASSERT_EQ(db.RetrieveBLOB(b, got, buf.data(), static_cast<int64_t>(buf.size())), 1);
  EXPECT_EQ(buf, content);
  EXPECT_EQ(got[miCaption], "caption");
  // BLOB from a file whose path is longer than the 127 bytes of the metadata field:
  // size and date come from the file itself
  std::string sub = Dir + "/" + std::string(100, 'p');
  ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
  const std::string path = sub + "/" + std::string(60, 'q') + ".bin";
  WriteFile(path, std::vector<uint8_t>(20000, 0x5A));
  const int fb = db.AddBLOB(path, 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo());
  ASSERT_GT(fb, 0);
  EXPECT_EQ(db.Sumdata(fb).NumData, 20000);
  EXPECT_GT(db.Sumdata(fb).Date, 40000.0);
  TMemoryStream ms;
  ASSERT_EQ(db.RetrieveBLOB(fb, got, ms), 1);
  EXPECT_EQ(ms.Size(), 20000);
  EXPECT_EQ(got[miFilePath].size(), 127u);
  ASSERT_EQ(db.RetrieveBLOB(fb, Dir + "/out.bin", got), 1);
  EXPECT_EQ(ReadFile(Dir + "/out.bin").size(), 20000u);
  std::remove(path.c_str());
  rmdir(sub.c_str());
  // replacing keeps the ID and appends new data
  const int32_t id = db.Sumdata(2).ItemID;
  db.ReplaceRiver(2, "river", Square(5, 5, 1), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(db.Sumdata(2).ItemID, id);
  EXPECT_EQ(db.Sumdata(2).ItemType, gitRiver);
  EXPECT_EQ(db.SearchForItemID(id), 2);
  // packing keeps every item readable
  const auto before = ReadFile(F(0)).size();
  db.GarbageCollection();
  EXPECT_LT(ReadFile(F(0)).size(), before);
  TgdbPolygon p;
  ASSERT_EQ(db.RetrievePolygon(2, p), 1);
  EXPECT_EQ(p[2].Latitude, 6.0f);
  ASSERT_EQ(db.RetrieveBLOB(b, got, buf.data(), static_cast<int64_t>(buf.size())), 1);
  EXPECT_EQ(buf, content);
  // reopening reads the same state
  db.SetDBName("");
  db.SetDBName(Base);
  EXPECT_EQ(db.Description(), std::string(60, 'd'));
  EXPECT_EQ(db.Revision(), 12);
  EXPECT_FALSE(db.IndicesRebuilt());
  EXPECT_EQ(db.SearchForItemID(id), 2);
}

TEST_F(GeoDBTest, LazyWritingAndCrashRecovery) {
  {
    TGeoDB db(nullptr);
    db.SetDBName(Base);
    db.SetLazyWrite(true);
    for (int i = 0; i < 20; ++i) db.AddLake("l" + std::to_string(i), Square(i, -i, 0.5f), 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(ReadFile(F(2)).size(), 0u);  // indices deferred
    db.SetLazyWrite(false);
    EXPECT_EQ(ReadFile(F(2)).size(), 160u);
    db.SetLazyWrite(true);
    for (int i = 0; i < 5; ++i) db.AddTown("t", 0, 0, {1.0f * i, 2}, 0, 0, 0);
    // a crash now: the index files still describe 20 items
    const auto descs = ReadFile(F(1));
    const auto data = ReadFile(F(0));
    const std::vector<std::vector<uint8_t>> ix = {ReadFile(F(2)), ReadFile(F(3)), ReadFile(F(4)),
                                                  ReadFile(F(5)), ReadFile(F(6))};
    db.SetDBName("");
    WriteFile(F(1), descs);
    WriteFile(F(0), data);
    for (int i = 0; i < 5; ++i) WriteFile(F(2 + i), ix[i]);
  }
  {
    TGeoDB db(nullptr);
    db.SetDBName(Base);  // the files are those of the crash above
    EXPECT_EQ(db.NumEntries(), 25);
    EXPECT_EQ(db.SearchForItemID(25), 25);
  }
  // the crash recreated by hand: old indices with new descriptors
  {
    std::vector<uint8_t> i0 = ReadFile(F(2));
    i0.resize(i0.size() - 40);
    WriteFile(F(2), i0);
    // and an append cut in the middle of a descriptor
    std::vector<uint8_t> d = ReadFile(F(1));
    d.resize(d.size() + 50, 0xEE);
    WriteFile(F(1), d);
    TGeoDB db(nullptr);
    db.SetDBName(Base);
    EXPECT_TRUE(db.IndicesRebuilt());
    EXPECT_EQ(db.NumEntries(), 25);
    EXPECT_EQ(db.SearchForItemID(23), 23);
    EXPECT_EQ(db.AddTown("u", 0, 0, {0, 0}, 0, 0, 0), 26);
    EXPECT_EQ(db.Sumdata(26).ItemID, 26);
  }
  // a missing data file does not restart the item IDs
  std::remove(F(0).c_str());
  {
    TGeoDB db(nullptr);
    db.SetDBName(Base);
    EXPECT_EQ(db.AddTown("v", 0, 0, {0, 0}, 0, 0, 0), 27);
    EXPECT_EQ(db.Sumdata(27).ItemID, 27);
    EXPECT_EQ(db.SearchForItemID(27), 27);
  }
}

TEST_F(GeoDBTest, UnreadableIndexIsNotTruncated) {
  if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
  {
    TGeoDB db(nullptr);
    db.SetDBName(Base);
    db.AddTown("a", 0, 0, {1, 1}, 0, 0, 0);
  }
  ASSERT_EQ(chmod(F(3).c_str(), 0), 0);
  {
    TGeoDB db(nullptr);
    db.SetDBName(Base);
    EXPECT_TRUE(db.IndicesRebuilt());
    EXPECT_EQ(db.GetClosestLatLowIx(1.0f), 1);
  }
  chmod(F(3).c_str(), 0600);
  EXPECT_EQ(ReadFile(F(3)).size(), 8u);
}

// Truncated and random files of each of the seven kinds: opening and reading never
// crash, hang or allocate what the file cannot hold.
TEST_F(GeoDBTest, DamagedAndRandomFiles) {
  {
    TGeoDB db(nullptr);
    db.SetDBName(Base);
    db.AddLake("lake", Square(1, 1, 1), 0, 0, 0, 0, 0, 0, 0, 0, 0);
    std::vector<uint8_t> c(3000, 1);
    db.AddBLOB("b", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo(), c.data(), 3000);
    db.AddTown("t", 0, 0, {3, 3}, 0, 0, 0);
  }
  std::vector<std::vector<uint8_t>> good(7);
  for (int i = 0; i < 7; ++i) good[i] = ReadFile(F(i));
  std::mt19937 rng(12345);
  auto exercise = [&]() {
    TGeoDB db(nullptr);
    db.SetDBName(Base);
    for (int i = 0; i <= db.NumEntries() + 1; ++i) {
      TgdbPolygon p;
      db.RetrievePolygon(i, p);
      TMetaInfo m;
      TMemoryStream ms;
      db.RetrieveBLOB(i, m, ms);
      db.GetMetaInfo(i, m);
      db.SearchForItemID(static_cast<int32_t>(rng()));
    }
    db.SearchArea(-90, 90, -180, 180);
    db.AddTown("after", 0, 0, {0, 0}, 0, 0, 0);
    EXPECT_GE(db.NumEntries(), 1);
  };
  for (int kind = 0; kind < 7; ++kind) {
    for (int trial = 0; trial < 12; ++trial) {
      for (int i = 0; i < 7; ++i) WriteFile(F(i), good[i]);
      std::vector<uint8_t> b = good[kind];
      if (trial < 4 && !b.empty()) {
        b.resize(rng() % b.size());  // truncated
      } else {
        b.resize(rng() % 2000);      // random
        for (auto& x : b) x = static_cast<uint8_t>(rng());
      }
      WriteFile(F(kind), b);
      exercise();
    }
  }
  // descriptors that point past the end or claim huge counts
  for (int i = 0; i < 7; ++i) WriteFile(F(i), good[i]);
  std::vector<uint8_t> d = good[1];
  Put32(d, 112, 0x7FFFFFFF);            // NumData of the lake
  Put32(d, 120 + 76, 0x7FFFFF00);       // DataPos of the BLOB
  d[240 + 108] = 200;                   // item kind out of range
  d[240 + 4] = 255;                     // name length beyond 59
  WriteFile(F(1), d);
  TGeoDB db(nullptr);
  db.SetDBName(Base);
  TgdbPolygon p;
  EXPECT_EQ(db.RetrievePolygon(1, p), 0);
  TMetaInfo m;
  TMemoryStream ms;
  EXPECT_EQ(db.RetrieveBLOB(2, m, ms), 0);
  EXPECT_EQ(db.Sumdata(3).ItemType, gitUndefined);
  EXPECT_EQ(db.Sumdata(3).Name.size(), 59u);
}

TEST(GeoDBText, LatitudeLongitudeAndMessages) {
  EXPECT_EQ(GeoLatitude(-95, dfDeg, 1).substr(GeoLatitude(-95, dfDeg, 1).size() - 2), " S");
  EXPECT_NE(GeoLatitude(-95, dfDeg, 1).find("90"), std::string::npos);
  EXPECT_EQ(GeoLongitude(10, dfDeg, 0).back(), 'E');
  EXPECT_EQ(GeoLongitude(-0.5, dfDeg, 1).back(), 'W');
  TGeoDB db(nullptr);
  db.SetName("GeoDB1");
  EXPECT_THROW(db.SetDBName("/nonexistent-dir-zol/x"), EInOutError);
  char tmpl[] = "/tmp/zolgeodbmsgXXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string base = std::string(tmpl) + "/m";
  db.SetDBName(base);
  std::remove((base + ".zolgdd").c_str());
  try {
    db.SetRevision(3);
    ADD_FAILURE() << "no error";
  } catch (const EZOLGeoDBError& e) {
    EXPECT_STREQ(e.what(), "Component \"GeoDB1\": SetRevision: cannot open database.");
  }
  db.SetDBName("");
  for (const char* e : kExts) std::remove((base + e).c_str());
  rmdir(tmpl);
}

// The indexed area search finds exactly the items a scan of all boxes finds, also
// after deletions and replacements.
TEST_F(GeoDBTest, AreaSearchMatchesScan) {
  TGeoDB db(nullptr);
  db.SetDBName(Base);
  db.SetLazyWrite(true);
  std::mt19937 rng(99);
  std::uniform_real_distribution<float> la(-60, 60), lo(-150, 150), sz(0, 8);
  for (int i = 0; i < 400; ++i) {
    const float a = la(rng), b = lo(rng);
    if (i % 3 == 0)
      db.AddLake("l", Square(a, b, sz(rng)), 0, 0, 0, 0, 0, 0, 0, 0, 0);
    else
      db.AddTown("t", 0, 0, {a, b}, 0, 0, 0);
  }
  for (int i = 0; i < 60; ++i) db.DeleteData(1 + static_cast<int>(rng() % db.NumEntries()));
  db.ReplaceLake(5, "big", Square(-50, -100, 40), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  for (int q = 0; q < 200; ++q) {
    const float a = la(rng), b = lo(rng), h = sz(rng), w = sz(rng);
    std::vector<int> expect;
    for (int i = 1; i <= db.NumEntries(); ++i) {
      const TgdbData d = db.Sumdata(i);
      if (d.LatLow <= a + h && d.LatHigh >= a && d.LongLow <= b + w && d.LongHigh >= b)
        expect.push_back(i);
    }
    EXPECT_EQ(db.SearchArea(a, a + h, b, b + w), expect) << q;
  }
}
