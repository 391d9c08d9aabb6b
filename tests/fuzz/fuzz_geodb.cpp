// Geographic database files: the input is cut at "@@@@" into the data file,
// the descriptor file and the five index files of one database.  Opening it
// must not fail other than through the database's own error; every item is
// read, then the data file is rewritten (garbage collection), the database
// opened again, and every item must read back the same.
// fuzz-libs: geolib
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "FuzzUtil.h"
#include "base/Zol_streams.h"
#include "geo/Zol_geodb.h"

using namespace zol;
using namespace zolfuzz;

namespace {

const char* const kGdbExt[7] = {".zolgdd", ".zolgds", ".zolgi0", ".zolgi1", ".zolgi2", ".zolgi3", ".zolgi4"};

struct TGdbItemRead {
  TgdbData Desc;
  int PolyOk = 0;
  TgdbPolygon Poly;
  int BlobOk = 0;
  std::string Blob;
  TMetaInfo Meta;
};

std::vector<TGdbItemRead> ReadAllItems(TGeoDB& db) {
  std::vector<TGdbItemRead> items;
  for (int i = 1; i <= db.NumEntries(); ++i) {
    TGdbItemRead it;
    it.Desc = db.Sumdata(i);
    it.PolyOk = db.RetrievePolygon(i, it.Poly);
    TMemoryStream ms;
    it.BlobOk = db.RetrieveBLOB(i, it.Meta, ms);
    if (it.BlobOk) it.Blob.assign(reinterpret_cast<const char*>(ms.Memory()), static_cast<size_t>(ms.Size()));
    items.push_back(std::move(it));
  }
  return items;
}

bool SameCoords(const TgdbPolygon& a, const TgdbPolygon& b) {
  if (a.size() != b.size()) return false;
  return a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(TSCoords)) == 0;
}

}  // namespace

ZOL_FUZZ_TARGET(geodb)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  const std::vector<std::string> parts = SplitInput(Data, Size, "@@@@", 7);
  const std::string base = TempPath("gdb");
  for (int i = 0; i < 7; ++i) {
    const std::string name = base + kGdbExt[i];
    if (static_cast<size_t>(i) < parts.size()) PutFile(name, parts[i]);
    else ::unlink(name.c_str());
  }
  ::unlink((base + ".zolgdd.tmp").c_str());
  (void)ReadSystemInformation(base + ".zolgds");
  TGeoDB db(nullptr);
  try {
    db.SetDBName(base);
  } catch (const EZOLError&) {
    return 0;
  }
  const std::vector<TGdbItemRead> before = ReadAllItems(db);
  for (int i = 1; i <= db.NumEntries(); ++i) {
    const TgdbData d = db.Sumdata(i);
    FUZZ_REQUIRE(db.SearchForItemID(d.ItemID) >= 1);
    (void)db.SearchArea(d.LatLow, d.LatHigh, d.LongLow, d.LongHigh);
    (void)db.SearchData(d.Name, gitUndefined, 1, 2);
  }
  (void)db.SearchArea(-90, 90, -180, 180);
  db.GarbageCollection();
  db.SetDBName("");
  db.SetDBName(base);
  const std::vector<TGdbItemRead> after = ReadAllItems(db);
  FUZZ_REQUIRE(before.size() == after.size());
  for (size_t k = 0; k < before.size(); ++k) {
    const TGdbItemRead &a = before[k], &b = after[k];
    FUZZ_REQUIRE(a.Desc.ItemID == b.Desc.ItemID && a.Desc.Name == b.Desc.Name && a.Desc.ItemType == b.Desc.ItemType);
    FUZZ_REQUIRE(a.PolyOk == b.PolyOk);
    if (a.PolyOk) FUZZ_REQUIRE(SameCoords(a.Poly, b.Poly));
    FUZZ_REQUIRE(a.BlobOk == b.BlobOk);
    if (a.BlobOk) {
      FUZZ_REQUIRE(a.Blob == b.Blob);
      for (int m = 0; m < 5; ++m) FUZZ_REQUIRE(a.Meta.Items[m] == b.Meta.Items[m]);
    }
  }
  db.SetDBName("");
  return 0;
}
