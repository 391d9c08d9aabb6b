// Kohonen training: one epoch (one training step over all rows) of a 20 × 20
// map on 10 000 vectors of 4 and of 16 variables, radius 2.
#include <benchmark/benchmark.h>

#include <memory>

#include "base/platform/Zol_sysutils.h"
#include "math/Zol_kohonen.h"
#include "math/Zol_math1.h"
#include "math/Zol_matrix.h"

using namespace zol;

static void BM_KohonenEpoch(benchmark::State& state) {
  const int nk = static_cast<int>(state.range(0));
  const int nrows = 10000;
  RandSeed = 1;
  auto data = std::make_unique<TMatrix>(nullptr);
  data->Resize(nk, nrows);
  for (int r = 1; r <= nrows; ++r)
    for (int c = 1; c <= nk; ++c) data->SetVal(c, r, (r % 5) * 2.0 + GRandom());
  TKohonen k(nullptr);
  k.SetDataMat(data.get());
  k.StandardizeData();
  k.SetSizeX(20);
  k.SetSizeY(20);
  k.SetInitialNeighbors(5);
  k.SetNrOfTrnSteps(2);  // Trainit runs step 1 only: f = 1/2, radius 2
  for (auto _ : state) {
    k.Trainit();
    benchmark::DoNotOptimize(k.GetRawWeight(1, 1, 1));
  }
  state.SetItemsProcessed(state.iterations() * nrows);
  state.counters["neurons"] = 400;
}
BENCHMARK(BM_KohonenEpoch)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

static void BM_KohonenApply(benchmark::State& state) {
  TKohonen k(nullptr);
  k.SetNrOfInSens(4);
  k.SetSizeX(20);
  k.SetSizeY(20);
  RandSeed = 2;
  k.SetWeigtsToRandom();
  const double v[4] = {0.01, -0.02, 0.03, 0.0};
  int x, y;
  double d;
  for (auto _ : state) {
    k.ApplyIt(v, x, y, d);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_KohonenApply)->Unit(benchmark::kMicrosecond);
