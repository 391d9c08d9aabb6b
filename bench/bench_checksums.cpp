// Checksums and the string table: CRC-32 against zlib's crc32, SHA-1 against
// OpenSSL, CRC-16, each of ours on the processor's fast path and on the
// portable one (ZOL_CPU_PORTABLE), and filling / sorting a TStringArray of
// 100 000 rows.  After the runs a table gives our speed over the reference
// library's for each size (1.0 = as fast).
#include <benchmark/benchmark.h>
#include <zlib.h>
#if ZOL_HAVE_OPENSSL
#include <openssl/evp.h>
#endif

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/Zol_cpuid.h"
#include "bench/bench_table.h"
#include "base/Zol_dstruct.h"

namespace {

std::vector<uint8_t> RandomBytes(size_t n) {
  std::vector<uint8_t> v(n);
  std::mt19937 rng(42);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

// Switches the processor's fast paths off for the lifetime of the object.
struct PortableScope {
  bool Saved = zol::CPUPortable();
  explicit PortableScope(bool Portable) { zol::SetCPUPortable(Portable); }
  ~PortableScope() { zol::SetCPUPortable(Saved); }
};

void CRC32Zol(benchmark::State& state, bool portable) {
  PortableScope scope(portable);
  auto data = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(zol::CRC32ofBuffer(data.data(), data.size()));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_CRC32_Zol(benchmark::State& state) { CRC32Zol(state, false); }
void BM_CRC32_ZolPortable(benchmark::State& state) { CRC32Zol(state, true); }

void BM_CRC16_Zol(benchmark::State& state) {
  auto data = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(zol::CRC16ofBuffer(data.data(), data.size(), zol::crcCCITT));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_CRC32_Zlib(benchmark::State& state) {
  auto data = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(crc32(0L, data.data(), static_cast<uInt>(data.size())));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void SHA1Zol(benchmark::State& state, bool portable) {
  PortableScope scope(portable);
  auto data = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(zol::SHA1FromBuffer(data.data(), data.size()));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_SHA1_Zol(benchmark::State& state) { SHA1Zol(state, false); }
void BM_SHA1_ZolPortable(benchmark::State& state) { SHA1Zol(state, true); }

#if ZOL_HAVE_OPENSSL
void BM_SHA1_OpenSSL(benchmark::State& state) {
  auto data = RandomBytes(static_cast<size_t>(state.range(0)));
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  for (auto _ : state) {
    EVP_Digest(data.data(), data.size(), md, &len, EVP_sha1(), nullptr);
    benchmark::DoNotOptimize(md);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
#endif

constexpr int kRows = 100000;

std::string RowKey(std::mt19937& rng) {
  std::string s;
  int len = 4 + static_cast<int>(rng() % 12);
  for (int i = 0; i < len; ++i) s += static_cast<char>("abcdefghijKLMNOPQRST"[rng() % 20]);
  return s;
}

void BM_StringArray_Fill100k(benchmark::State& state) {
  std::mt19937 rng(1);
  std::vector<std::string> keys(kRows);
  for (auto& k : keys) k = RowKey(rng);
  for (auto _ : state) {
    zol::TStringArray sa(nullptr);
    sa.SetAllocRowsBy(1000);
    sa.Resize(2, kRows);
    for (int r = 1; r <= kRows; ++r) {
      sa.SetString(1, r, keys[r - 1]);
      sa.SetString(2, r, std::to_string(r));
    }
    benchmark::DoNotOptimize(sa.NumPages());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_StringArray_Sort100k(benchmark::State& state) {
  std::mt19937 rng(1);
  zol::TStringArray sa(nullptr);
  sa.SetAllocRowsBy(1000);
  sa.Resize(2, kRows);
  for (int r = 1; r <= kRows; ++r) {
    sa.SetString(1, r, RowKey(rng));
    sa.SetString(2, r, std::to_string(r));
  }
  for (auto _ : state) {
    state.PauseTiming();
    sa.UnSort();
    state.ResumeTiming();
    sa.Sort(1, 2, true);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

constexpr int64_t k100MB = int64_t(100) << 20;

// The console report, keeping each run's bytes per second for the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Speed;  // run name -> bytes per second
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs) {
      auto it = r.counters.find("bytes_per_second");
      if (r.run_type == Run::RT_Iteration && !r.error_occurred && it != r.counters.end())
        Speed[r.benchmark_name()] = it->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintRatios(const RatioReporter& rep) {
  struct Row {
    const char* Label;
    const char* Ours;
    const char* Theirs;
    double Target;
  } rows[] = {{"SHA-1 / OpenSSL SHA1", "BM_SHA1_Zol", "BM_SHA1_OpenSSL", 0.5},
              {"SHA-1 portable / OpenSSL", "BM_SHA1_ZolPortable", "BM_SHA1_OpenSSL", 0.0},
              {"CRC-32 / zlib crc32", "BM_CRC32_Zol", "BM_CRC32_Zlib", 0.8},
              {"CRC-32 portable / zlib", "BM_CRC32_ZolPortable", "BM_CRC32_Zlib", 0.0}};
  const zol::TCPUInfo& cpu = zol::CPUInfo();
  std::printf("\nChecksum speed ratios (ours / reference; higher is faster) on %s%s\n", cpu.Brand.c_str(),
              zol::CPUPortable() ? " (portable mode)" : "");
  std::printf("%-28s %10s %10s %10s %8s\n", "", "4 KB", "1 MB", "100 MB", "target");
  for (const auto& row : rows) {
    std::printf("%-28s", row.Label);
    for (int64_t size : {int64_t(4096), int64_t(1) << 20, k100MB}) {
      char ours[64], theirs[64];
      std::snprintf(ours, sizeof ours, "%s/%lld", row.Ours, static_cast<long long>(size));
      std::snprintf(theirs, sizeof theirs, "%s/%lld", row.Theirs, static_cast<long long>(size));
      auto a = rep.Speed.find(ours), b = rep.Speed.find(theirs);
      if (a == rep.Speed.end() || b == rep.Speed.end() || b->second <= 0)
        std::printf(" %10s", "-");
      else
        std::printf(" %9.2fx", a->second / b->second);
    }
    if (row.Target > 0)
      std::printf(" %7.1fx\n", row.Target);
    else
      std::printf(" %8s\n", "");
  }
}

}  // namespace

BENCHMARK(BM_CRC32_Zol)->Arg(4096)->Arg(1 << 20)->Arg(k100MB);
BENCHMARK(BM_CRC32_ZolPortable)->Arg(4096)->Arg(1 << 20)->Arg(k100MB);
BENCHMARK(BM_CRC32_Zlib)->Arg(4096)->Arg(1 << 20)->Arg(k100MB);
BENCHMARK(BM_CRC16_Zol)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_SHA1_Zol)->Arg(4096)->Arg(1 << 20)->Arg(k100MB);
BENCHMARK(BM_SHA1_ZolPortable)->Arg(4096)->Arg(1 << 20)->Arg(k100MB);
#if ZOL_HAVE_OPENSSL
BENCHMARK(BM_SHA1_OpenSSL)->Arg(4096)->Arg(1 << 20)->Arg(k100MB);
#endif
BENCHMARK(BM_StringArray_Fill100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StringArray_Sort100k)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunBenchmarksWithTable<RatioReporter>(argc, argv, PrintRatios); }
