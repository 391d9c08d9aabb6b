// The processor-specific checksum paths (SHA extensions for SHA-1, carry-less
// multiplication for CRC-32) and the portable ones, each checked against
// independent references: Python's hashlib digests (tests/base/ref), zlib's
// crc32 and the published check values.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/Zol_cpuid.h"
#include "base/Zol_dstruct.h"

using namespace zol;

namespace {

// xorshift32 (13, 17, 5) from a fixed seed, the top byte of each step; the
// reference script generates the same stream.
std::vector<uint8_t> Stream(size_t n, uint32_t seed = 2463534242u) {
  std::vector<uint8_t> v(n);
  uint32_t x = seed;
  for (auto& b : v) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x >> 24);
  }
  return v;
}

std::vector<std::pair<size_t, std::string>> ReferenceDigests() {
  std::ifstream in(std::string(ZOL_TEST_SRC_DIR) + "/data/sha1_lengths.txt");
  std::vector<std::pair<size_t, std::string>> r;
  size_t n;
  std::string hex;
  while (in >> n >> hex) r.emplace_back(n, hex);
  return r;
}

// Runs the body once on the fast paths (when the processor has them) and once
// on the portable ones.
class BothPaths : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    Saved = CPUPortable();
    SetCPUPortable(GetParam());
  }
  void TearDown() override { SetCPUPortable(Saved); }
  bool Saved = false;
};

std::string PathName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "Portable" : "Native"; }

uint32_t Zlib(const uint8_t* p, size_t n) { return static_cast<uint32_t>(crc32(0L, p, static_cast<uInt>(n))); }

}  // namespace

// ==================================================================== SHA-1
TEST_P(BothPaths, SHA1PublishedVectors) {
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString("")), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString("abc")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString(std::string(1000000, 'a'))),
            "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
}

TEST_P(BothPaths, SHA1EveryLengthMatchesReference) {
  auto refs = ReferenceDigests();
  ASSERT_EQ(refs.size(), 306u);
  auto data = Stream(refs.back().first);
  for (const auto& [n, hex] : refs) EXPECT_EQ(SHA1DigestToHex(SHA1FromBuffer(data.data(), n)), hex) << n;
}

TEST_P(BothPaths, SHA1PiecewiseUpdatesMatchOneCall) {
  // Pieces of every size up to 130 bytes, so that the buffered partial block
  // meets runs of whole blocks at every offset.
  auto refs = ReferenceDigests();
  const auto& [n, hex] = refs.back();
  auto data = Stream(n);
  for (size_t piece : {1u, 3u, 63u, 64u, 65u, 127u, 130u, 100000u}) {
    TSHA1Context ctx;
    for (size_t at = 0; at < n; at += piece) ctx.Update(data.data() + at, std::min(piece, n - at));
    EXPECT_EQ(SHA1DigestToHex(ctx.Final()), hex) << piece;
  }
}

TEST(ChecksumsFast, SHA1PathsAgreeOnRandomData) {
  bool saved = CPUPortable();
  auto data = Stream(5 * 1024 * 1024 + 333, 12345u);
  for (size_t off : {0u, 1u, 7u}) {
    for (size_t n = 0; n <= 300; ++n) {
      SetCPUPortable(true);
      auto a = SHA1FromBuffer(data.data() + off, n);
      SetCPUPortable(false);
      auto b = SHA1FromBuffer(data.data() + off, n);
      EXPECT_EQ(a, b) << off << " " << n;
    }
  }
  SetCPUPortable(true);
  auto a = SHA1FromBuffer(data.data() + 3, data.size() - 3);
  SetCPUPortable(false);
  auto b = SHA1FromBuffer(data.data() + 3, data.size() - 3);
  EXPECT_EQ(a, b);
  SetCPUPortable(saved);
}

// ==================================================================== CRC-32
TEST_P(BothPaths, CRC32MatchesZlibAtEveryLengthAndOffset) {
  const std::string check = "123456789";
  EXPECT_EQ(CRC32ofBuffer(check.data(), check.size()), 0xCBF43926u);
  auto data = Stream(70000, 777u);
  for (size_t off = 0; off < 17; ++off)
    for (size_t n = 0; n <= 300; ++n)
      ASSERT_EQ(CRC32ofBuffer(data.data() + off, n), Zlib(data.data() + off, n)) << off << " " << n;
  for (size_t n : {1023u, 4096u, 4099u, 65536u, 69983u})
    EXPECT_EQ(CRC32ofBuffer(data.data() + 5, n), Zlib(data.data() + 5, n)) << n;
  // All-zero and all-one blocks: the folding must keep the initial value.
  std::vector<uint8_t> zeros(1000, 0), ones(1000, 0xFF);
  EXPECT_EQ(CRC32ofBuffer(zeros.data(), zeros.size()), Zlib(zeros.data(), zeros.size()));
  EXPECT_EQ(CRC32ofBuffer(ones.data(), ones.size()), Zlib(ones.data(), ones.size()));
}

TEST_P(BothPaths, CRC32OfLargeFileMatchesZlib) {
  // The file reader feeds the running CRC through blocks of its own size.
  auto data = Stream(3 * 1024 * 1024 + 11, 99u);
  std::string name = ::testing::TempDir() + "crc_fast_" + PathName({GetParam(), 0}) + ".bin";
  {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  }
  uint32_t crc = 0;
  EXPECT_TRUE(CalcCRC32ofFile(name, crc));
  EXPECT_EQ(crc, Zlib(data.data(), data.size()));
  std::remove(name.c_str());
}

// ==================================================================== CRC-16
TEST_P(BothPaths, CRC16SlicedMatchesByteSteps) {
  const std::string check = "123456789";
  EXPECT_EQ(CRC16ofBuffer(check.data(), check.size(), crcZModem), 0x31C3);
  EXPECT_EQ(CRC16ofBuffer(check.data(), check.size(), crcCCITT), 0x29B1);
  // References: the bitwise polynomial division, written out here.
  auto bitwise = [](const std::string& s, uint16_t crc) {
    for (unsigned char c : s) {
      crc ^= static_cast<uint16_t>(c << 8);
      for (int k = 0; k < 8; ++k) crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
  };
  auto data = Stream(300, 5u);
  std::string s(data.begin(), data.end());
  for (size_t n = 0; n <= s.size(); ++n) {
    std::string part = s.substr(0, n);
    ASSERT_EQ(CRC16ofBuffer(part.data(), n, crcZModem), bitwise(part, 0)) << n;
    ASSERT_EQ(CRC16ofBuffer(part.data(), n, crcCCITT), bitwise(part, 0xFFFF)) << n;
  }
}

INSTANTIATE_TEST_SUITE_P(ChecksumsFast, BothPaths, ::testing::Values(false, true), PathName);
