// TMatrix multiply, LU/determinant and inversion for n = 100, 300, 1000
// against Eigen (single-threaded); TVector sort of 10^6 doubles against
// std::sort; mean/variance and quartiles of 10^6 values against a plain loop
// and std::nth_element.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "math/Zol_matrix.h"
#include "math/Zol_vector.h"

#ifdef ZOL_HAVE_EIGEN3
#include <Eigen/Dense>
#endif

using namespace zol;

namespace {
void FillMatrix(TMatrix& m, int n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-1, 1);
  m.Resize(n, n);
  for (int c = 1; c <= n; ++c) {
    double* col = m.ColumnData(c);
    for (int r = 0; r < n; ++r) col[r] = u(gen) + (r + 1 == c ? n * 0.1 : 0.0);
  }
}

std::vector<double> RandomValues(size_t n) {
  std::mt19937 gen(7);
  std::normal_distribution<double> g(1000.0, 3.0);
  std::vector<double> v(n);
  for (double& x : v) x = g(gen);
  return v;
}
}  // namespace

static void BM_ZolMultiply(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TMatrix a(nullptr), b(nullptr), p(nullptr);
  FillMatrix(a, n, 1);
  FillMatrix(b, n, 2);
  p.Resize(n, n);
  for (auto _ : state) {
    a.Multiply(&b, &p);
    benchmark::DoNotOptimize(p.GetVal(1, 1));
  }
  state.counters["GFLOPS"] =
      benchmark::Counter(2.0 * n * n * n * state.iterations() / 1e9, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ZolMultiply)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

static void BM_ZolDeterminant(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TMatrix a(nullptr);
  FillMatrix(a, n, 3);
  for (auto _ : state) benchmark::DoNotOptimize(a.Determinant());
}
BENCHMARK(BM_ZolDeterminant)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

static void BM_ZolInvert(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TMatrix a(nullptr), w(nullptr);
  FillMatrix(a, n, 4);
  for (auto _ : state) {
    state.PauseTiming();
    w.Clone(&a);
    state.ResumeTiming();
    benchmark::DoNotOptimize(w.Invert());
  }
}
BENCHMARK(BM_ZolInvert)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

#ifdef ZOL_HAVE_EIGEN3
namespace {
Eigen::MatrixXd EigenRandom(int n, unsigned seed) {
  TMatrix m(nullptr);
  FillMatrix(m, n, seed);
  Eigen::MatrixXd e(n, n);
  for (int c = 1; c <= n; ++c)
    for (int r = 1; r <= n; ++r) e(r - 1, c - 1) = m.GetVal(c, r);
  return e;
}
}  // namespace

static void BM_EigenMultiply(benchmark::State& state) {
  Eigen::setNbThreads(1);
  const int n = static_cast<int>(state.range(0));
  Eigen::MatrixXd a = EigenRandom(n, 1), b = EigenRandom(n, 2), p(n, n);
  for (auto _ : state) {
    p.noalias() = a * b;
    benchmark::DoNotOptimize(p.data());
  }
  state.counters["GFLOPS"] =
      benchmark::Counter(2.0 * n * n * n * state.iterations() / 1e9, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EigenMultiply)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

static void BM_EigenDeterminant(benchmark::State& state) {
  Eigen::setNbThreads(1);
  const int n = static_cast<int>(state.range(0));
  Eigen::MatrixXd a = EigenRandom(n, 3);
  for (auto _ : state) benchmark::DoNotOptimize(a.partialPivLu().determinant());
}
BENCHMARK(BM_EigenDeterminant)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

static void BM_EigenInvert(benchmark::State& state) {
  Eigen::setNbThreads(1);
  const int n = static_cast<int>(state.range(0));
  Eigen::MatrixXd a = EigenRandom(n, 4), w(n, n);
  for (auto _ : state) {
    w = a.partialPivLu().inverse();
    benchmark::DoNotOptimize(w.data());
  }
}
BENCHMARK(BM_EigenInvert)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);
#endif

// ---------------------------------------------------------------- vectors
static void BM_ZolVectorSort(benchmark::State& state) {
  const auto vals = RandomValues(1000000);
  TVector v(nullptr);
  v.Resize(1000000);
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(vals.begin(), vals.end(), v.Data());
    state.ResumeTiming();
    v.SortElems(true, 1, 1000000);
    benchmark::DoNotOptimize(v.GetVal(1));
  }
}
BENCHMARK(BM_ZolVectorSort)->Unit(benchmark::kMillisecond);

static void BM_StdSort(benchmark::State& state) {
  const auto vals = RandomValues(1000000);
  std::vector<double> v(vals.size());
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(vals.begin(), vals.end(), v.begin());
    state.ResumeTiming();
    std::sort(v.begin(), v.end());
    benchmark::DoNotOptimize(v[0]);
  }
}
BENCHMARK(BM_StdSort)->Unit(benchmark::kMillisecond);

static void BM_ZolMeanVar(benchmark::State& state) {
  const auto vals = RandomValues(1000000);
  TVector v(nullptr);
  v.Resize(1000000);
  std::copy(vals.begin(), vals.end(), v.Data());
  for (auto _ : state) {
    double m, var;
    v.MeanVar(0, 0, m, var);
    benchmark::DoNotOptimize(var);
  }
}
BENCHMARK(BM_ZolMeanVar)->Unit(benchmark::kMicrosecond);

static void BM_PlainMeanVar(benchmark::State& state) {
  // one-pass sums, the fastest (and least stable) formula
  const auto vals = RandomValues(1000000);
  for (auto _ : state) {
    double s = 0, s2 = 0;
    for (double x : vals) {
      s += x;
      s2 += x * x;
    }
    const double n = static_cast<double>(vals.size());
    double var = (s2 - s * s / n) / (n - 1);
    benchmark::DoNotOptimize(var);
  }
}
BENCHMARK(BM_PlainMeanVar)->Unit(benchmark::kMicrosecond);

static void BM_ZolQuartiles(benchmark::State& state) {
  const auto vals = RandomValues(1000000);
  TVector v(nullptr);
  v.Resize(1000000);
  std::copy(vals.begin(), vals.end(), v.Data());
  for (auto _ : state) {
    double q1, q2, q3;
    v.Quartiles(1, 1000000, q1, q2, q3);
    benchmark::DoNotOptimize(q2);
  }
}
BENCHMARK(BM_ZolQuartiles)->Unit(benchmark::kMillisecond);

static void BM_NthElementQuartiles(benchmark::State& state) {
  const auto vals = RandomValues(1000000);
  std::vector<double> w(vals.size());
  for (auto _ : state) {
    std::copy(vals.begin(), vals.end(), w.begin());
    const size_t n = w.size();
    double q[3];
    for (int k = 0; k < 3; ++k) {
      const double p = (n + 1) * 0.25 * (k + 1);
      const size_t i = static_cast<size_t>(p) - 1;
      std::nth_element(w.begin(), w.begin() + i, w.end());
      const double lo = w[i];
      const double hi = *std::min_element(w.begin() + i + 1, w.end());
      q[k] = lo + (hi - lo) * (p - std::floor(p));
    }
    benchmark::DoNotOptimize(q[1]);
  }
}
BENCHMARK(BM_NthElementQuartiles)->Unit(benchmark::kMillisecond);
