// Clustering and distance matrices on the data SciPy is timed with
// (bench/ref/cluster_scipy.py): k-means and agglomerative clustering of
// 5000 × 10 points, distance matrices of 2000 × 50 points.
//
//   bench_cluster [benchmark flags]     the timings
//   bench_cluster --dump=DIR            writes our results into DIR for the
//                                       comparison with SciPy, no timings
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "math/Zol_math2.h"
#include "math/Zol_matrix.h"

using namespace zol;

namespace {

// The 64-bit linear congruential sequence of the reference script, mapped to
// exact doubles in [0, 1).
struct Lcg {
  uint64_t s;
  double Next() {
    s = 6364136223846793005ULL * s + 1442695040888963407ULL;
    return static_cast<double>(s >> 11) * 0x1p-53;
  }
};

// A rows × cols matrix whose entry (r, c) (from 0) is value(r, c, u) with u
// the next number of the sequence seeded with seed, row by row.
template <class Value>
std::unique_ptr<TMatrix> LcgMatrix(int rows, int cols, uint64_t seed, Value value) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(cols, rows);
  Lcg g{seed};
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) m->SetVal(c + 1, r + 1, value(r, c, g.Next()));
  return m;
}

// 5000 × 10: eight overlapping clouds, point r around centre r mod 8.
std::unique_ptr<TMatrix> ClusterData() {
  return LcgMatrix(5000, 10, 20261208, [](int r, int c, double u) {
    return ((r % 8) * 7 + c * 3) % 11 * 4.0 - 20.0 + 12.0 * (u - 0.5);
  });
}

// 2000 × 50 uniform in [-5, 5).
std::unique_ptr<TMatrix> DistanceData() {
  return LcgMatrix(2000, 50, 4242, [](int, int, double u) { return 10.0 * (u - 0.5); });
}

constexpr int kClusters = 8;

struct Linkage {
  const char* Name;  // SciPy's method
  TClusterMethod Method;
  TDistMode Dist;
} const kLinkages[] = {{"single", cmSingleLink, dmEuclid},   {"complete", cmCompleteLink, dmEuclid},
                       {"average", cmUpgma, dmEuclid},       {"weighted", cmAvgLink, dmEuclid},
                       {"ward", cmWard, dmEuclidSqr},        {"flexible", cmFlexLink, dmEuclid}};

void BM_KMeans(benchmark::State& state) {
  auto d = ClusterData();
  TMatrix centres(nullptr);
  TIntVector assign(nullptr);
  for (auto _ : state) {
    kMeansClustering(d.get(), 0, 0, kClusters, &centres, &assign);
    benchmark::DoNotOptimize(assign.GetVal(1));
  }
}
BENCHMARK(BM_KMeans)->Unit(benchmark::kMillisecond);

void BM_Agglom(benchmark::State& state) {
  const Linkage& l = kLinkages[state.range(0)];
  state.SetLabel(l.Name);
  auto d = ClusterData();
  TIntMatrix merges(nullptr);
  TVector heights(nullptr), pos(nullptr);
  for (auto _ : state) {
    AgglomClustering(nullptr, d.get(), l.Dist, l.Method, 0.5, &merges, &heights, &pos, nullptr, nullptr);
    benchmark::DoNotOptimize(heights.GetVal(1));
  }
}
BENCHMARK(BM_Agglom)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_DistMat(benchmark::State& state) {
  const TDistMode mode = state.range(0) == 0 ? dmEuclid : dmManhattan;
  state.SetLabel(mode == dmEuclid ? "euclidean" : "cityblock");
  auto d = DistanceData();
  TMatrix dm(nullptr);
  dm.Resize(d->NrOfRows(), d->NrOfRows());
  for (auto _ : state) {
    d->CalcDistMat(mode, &dm);
    benchmark::DoNotOptimize(dm.GetVal(1, 2));
  }
}
BENCHMARK(BM_DistMat)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Our results as text (k-means, linkages) and raw doubles (distance matrices).
int Dump(const std::string& dir) {
  auto d = ClusterData();
  {
    TMatrix centres(nullptr);
    TIntVector assign(nullptr);
    const int before = ProcStat;
    kMeansClustering(d.get(), 0, 0, kClusters, &centres, &assign);
    FILE* f = std::fopen((dir + "/kmeans.txt").c_str(), "w");
    if (!f) return 1;
    std::fprintf(f, "%d\n", ProcStat - before);  // iterations, the last one without a change
    for (int k = 1; k <= kClusters; ++k)
      for (int c = 1; c <= d->NrOfColumns(); ++c) std::fprintf(f, "%.17g\n", centres.GetVal(c, k));
    for (int r = 1; r <= d->NrOfRows(); ++r) std::fprintf(f, "%d\n", assign.GetVal(r));
    std::fclose(f);
  }
  for (const Linkage& l : kLinkages) {
    TIntMatrix merges(nullptr);
    TVector heights(nullptr), pos(nullptr);
    AgglomClustering(nullptr, d.get(), l.Dist, l.Method, 0.5, &merges, &heights, &pos, nullptr, nullptr);
    FILE* f = std::fopen((dir + "/linkage_" + l.Name + ".txt").c_str(), "w");
    if (!f) return 1;
    for (int k = 1; k < d->NrOfRows(); ++k)
      std::fprintf(f, "%d %d %.17g\n", merges.GetVal(1, k), merges.GetVal(2, k), heights.GetVal(k));
    std::fclose(f);
  }
  auto x = DistanceData();
  const int n = x->NrOfRows();
  for (TDistMode mode : {dmEuclid, dmManhattan}) {
    TMatrix dm(nullptr);
    dm.Resize(n, n);
    x->CalcDistMat(mode, &dm);
    FILE* f = std::fopen((dir + (mode == dmEuclid ? "/dist_euclidean.bin" : "/dist_cityblock.bin")).c_str(), "wb");
    if (!f) return 1;
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= n; ++j) {
        const double v = dm.GetVal(j, i);
        std::fwrite(&v, sizeof v, 1, f);
      }
    std::fclose(f);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--dump=", 7) == 0) return Dump(argv[i] + 7);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
