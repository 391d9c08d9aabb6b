// Geodesy and the geographic database: UTM forward and inverse conversions per
// second against GeographicLib's C++ library and PROJ, and the database's area
// search over 100 000 items.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "geo/Zol_geobasics.h"
#include "geo/Zol_geodb.h"

#ifdef ZOL_HAVE_GEOGRAPHICLIB
#include <GeographicLib/UTMUPS.hpp>
#endif
#ifdef ZOL_HAVE_PROJ
#include <proj.h>
#endif

namespace {

constexpr int kPoints = 4096;

struct Pt {
  double lat, lon;
};

// Points of zone 32 north (6..12 E, 0..72 N) and their UTM coordinates.
const std::vector<Pt>& Points() {
  static const std::vector<Pt> pts = [] {
    std::vector<Pt> v(kPoints);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> la(0.5, 71.5), lo(6.0, 11.999);
    for (auto& p : v) p = {la(rng), lo(rng)};
    return v;
  }();
  return pts;
}

const std::vector<Pt>& UTMPoints() {  // easting, northing
  static const std::vector<Pt> pts = [] {
    std::vector<Pt> v;
    for (const auto& p : Points()) {
      int zone;
      double e, n;
      zol::LatLongToUTM(p.lat, p.lon, zol::gelWGS84, zone, e, n);
      v.push_back({e, n});
    }
    return v;
  }();
  return pts;
}

void BM_UTMForward_Zol(benchmark::State& state) {
  const auto& pts = Points();
  for (auto _ : state) {
    for (const auto& p : pts) {
      int zone;
      double e, n;
      zol::LatLongToUTM(p.lat, p.lon, zol::gelWGS84, zone, e, n);
      benchmark::DoNotOptimize(e);
      benchmark::DoNotOptimize(n);
    }
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_UTMForward_Zol);

void BM_UTMInverse_Zol(benchmark::State& state) {
  const auto& pts = UTMPoints();
  for (auto _ : state) {
    for (const auto& p : pts) {
      double lat, lon;
      zol::UTMToLatLong(p.lat, p.lon, 32, false, zol::gelWGS84, lat, lon);
      benchmark::DoNotOptimize(lat);
      benchmark::DoNotOptimize(lon);
    }
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_UTMInverse_Zol);

#ifdef ZOL_HAVE_GEOGRAPHICLIB
void BM_UTMForward_GeographicLib(benchmark::State& state) {
  const auto& pts = Points();
  for (auto _ : state) {
    for (const auto& p : pts) {
      int zone;
      bool north;
      double e, n;
      GeographicLib::UTMUPS::Forward(p.lat, p.lon, zone, north, e, n, 32);
      benchmark::DoNotOptimize(e);
      benchmark::DoNotOptimize(n);
    }
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_UTMForward_GeographicLib);

void BM_UTMInverse_GeographicLib(benchmark::State& state) {
  const auto& pts = UTMPoints();
  for (auto _ : state) {
    for (const auto& p : pts) {
      double lat, lon;
      GeographicLib::UTMUPS::Reverse(32, true, p.lat, p.lon, lat, lon);
      benchmark::DoNotOptimize(lat);
      benchmark::DoNotOptimize(lon);
    }
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_UTMInverse_GeographicLib);
#endif

#ifdef ZOL_HAVE_PROJ
struct ProjUTM {
  PJ_CONTEXT* ctx = proj_context_create();
  PJ* P = proj_create(ctx, "+proj=utm +zone=32 +ellps=WGS84");
  ~ProjUTM() {
    proj_destroy(P);
    proj_context_destroy(ctx);
  }
};

void BM_UTMForward_PROJ(benchmark::State& state) {
  ProjUTM pj;
  const auto& pts = Points();
  for (auto _ : state) {
    for (const auto& p : pts) {
      PJ_COORD c = proj_coord(proj_torad(p.lon), proj_torad(p.lat), 0, 0);
      c = proj_trans(pj.P, PJ_FWD, c);
      benchmark::DoNotOptimize(c);
    }
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_UTMForward_PROJ);

void BM_UTMInverse_PROJ(benchmark::State& state) {
  ProjUTM pj;
  const auto& pts = UTMPoints();
  for (auto _ : state) {
    for (const auto& p : pts) {
      PJ_COORD c = proj_coord(p.lat, p.lon, 0, 0);
      c = proj_trans(pj.P, PJ_INV, c);
      benchmark::DoNotOptimize(c);
    }
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_UTMInverse_PROJ);
#endif

// ---- database: 100 000 towns and lakes spread over Europe, boxes of 1 x 1 degree
struct BenchDB {
  std::string dir;
  std::unique_ptr<zol::TGeoDB> db;
  BenchDB() {
    char tmpl[] = "/tmp/zolbenchgeoXXXXXX";
    dir = mkdtemp(tmpl);
    // The descriptor file is written directly (adding 100 000 items one by one
    // would measure the file system); the indices are rebuilt when it is opened.
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> la(35, 70), lo(-10, 40);
    std::vector<uint8_t> desc(100000 * zol::gdbDescriptorSize);
    for (int i = 0; i < 100000; ++i) {
      zol::TgdbData d;
      const float a = la(rng), b = lo(rng);
      d.ItemID = i + 1;
      d.Name = i % 4 == 0 ? "lake" : "town";
      d.ItemType = i % 4 == 0 ? zol::gitLake : zol::gitTown;
      d.LatLow = a;
      d.LongLow = b;
      d.LatHigh = i % 4 == 0 ? a + 0.05f : a;
      d.LongHigh = i % 4 == 0 ? b + 0.05f : b;
      zol::EncodeGdbData(d, &desc[static_cast<size_t>(i) * zol::gdbDescriptorSize]);
    }
    std::FILE* f = std::fopen((dir + "/bench.zolgds").c_str(), "wb");
    std::fwrite(desc.data(), 1, desc.size(), f);
    std::fclose(f);
    db = std::make_unique<zol::TGeoDB>(nullptr);
    db->SetDBName(dir + "/bench");
  }
  ~BenchDB() {
    db->SetDBName("");
    db.reset();
    const char* exts[] = {".zolgdd", ".zolgds", ".zolgi0", ".zolgi1", ".zolgi2", ".zolgi3", ".zolgi4"};
    for (const char* e : exts) std::remove((dir + "/bench" + e).c_str());
    rmdir(dir.c_str());
  }
};

void BM_GeoDBAreaSearch(benchmark::State& state) {
  static BenchDB bdb;
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> la(35, 69), lo(-10, 39);
  size_t found = 0;
  for (auto _ : state) {
    const float a = la(rng), b = lo(rng);
    const auto r = bdb.db->SearchArea(a, a + 1, b, b + 1);
    found += r.size();
    benchmark::DoNotOptimize(r.data());
  }
  state.counters["items/search"] =
      benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_GeoDBAreaSearch);

// The same search by a linear scan of the descriptors, for comparison.
void BM_GeoDBAreaScan(benchmark::State& state) {
  static BenchDB bdb;
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> la(35, 69), lo(-10, 39);
  for (auto _ : state) {
    const float a = la(rng), b = lo(rng);
    std::vector<int> r;
    for (int i = 1; i <= bdb.db->NumEntries(); ++i) {
      const zol::TgdbData& d = bdb.db->Sumdata(i);
      if (d.LatLow <= a + 1 && d.LatHigh >= a && d.LongLow <= b + 1 && d.LongHigh >= b)
        r.push_back(i);
    }
    benchmark::DoNotOptimize(r.data());
  }
}
BENCHMARK(BM_GeoDBAreaScan);

}  // namespace
