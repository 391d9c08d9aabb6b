// Checksums and the string table: CRC-32 against zlib's crc32, SHA-1 against
// OpenSSL, and filling / sorting a TStringArray of 100 000 rows.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "base/Zol_dstruct.h"

namespace {

std::vector<uint8_t> RandomBytes(size_t n) {
  std::vector<uint8_t> v(n);
  std::mt19937 rng(42);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

void BM_CRC32_Zol(benchmark::State& state) {
  auto data = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(zol::CRC32ofBuffer(data.data(), data.size()));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_CRC32_Zlib(benchmark::State& state) {
  auto data = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(crc32(0L, data.data(), static_cast<uInt>(data.size())));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_SHA1_Zol(benchmark::State& state) {
  auto data = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(zol::SHA1FromBuffer(data.data(), data.size()));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

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

}  // namespace

BENCHMARK(BM_CRC32_Zol)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_CRC32_Zlib)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_SHA1_Zol)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_SHA1_OpenSSL)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_StringArray_Fill100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StringArray_Sort100k)->Unit(benchmark::kMillisecond);
