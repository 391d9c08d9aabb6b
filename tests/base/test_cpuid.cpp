// Processor identification, checked against the kernel's own report in
// /proc/cpuinfo (Linux), and the portable switch the fast paths obey.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "base/Zol_cpuid.h"

using namespace zol;

namespace {

// The value of the first "key : value" line of /proc/cpuinfo; empty when absent.
std::string CpuinfoField(const std::string& key) {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string k = line.substr(0, colon);
    while (!k.empty() && (k.back() == ' ' || k.back() == '\t')) k.pop_back();
    if (k != key) continue;
    std::string v = line.substr(colon + 1);
    size_t b = v.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : v.substr(b);
  }
  return {};
}

struct PortableGuard {
  bool Saved = CPUPortable();
  ~PortableGuard() { SetCPUPortable(Saved); }
};

}  // namespace

TEST(CPUID, AgreesWithTheKernelsReport) {
#if !(defined(__x86_64__) || defined(__i386__))
  GTEST_SKIP() << "not an x86 processor";
#endif
  std::string flagLine = CpuinfoField("flags");
  if (flagLine.empty()) GTEST_SKIP() << "no /proc/cpuinfo";
  std::set<std::string> flags;
  std::istringstream ss(flagLine);
  for (std::string f; ss >> f;) flags.insert(f);
  const TCPUInfo& info = CPUInfo();
  // The kernel's names: "pni" is SSE3, "sha_ni" the SHA extensions.
  struct Case {
    TCPUFeature Feature;
    const char* KernelName;
  } cases[] = {{cfSSE2, "sse2"},   {cfSSE3, "pni"},        {cfSSSE3, "ssse3"},   {cfSSE41, "sse4_1"},
               {cfSSE42, "sse4_2"}, {cfAVX, "avx"},        {cfAVX2, "avx2"},     {cfAVX512F, "avx512f"},
               {cfSHA, "sha_ni"},   {cfPCLMULQDQ, "pclmulqdq"}};
  for (const auto& c : cases) EXPECT_EQ(info.Has(c.Feature), flags.count(c.KernelName) == 1) << c.KernelName;
  EXPECT_EQ(info.Vendor, CpuinfoField("vendor_id"));
  EXPECT_EQ(info.Vendor.size(), 12u);
  // The kernel may name the processor from its own tables (it does so in some
  // virtual machines), so the brand is only checked for form: printable text
  // without outer blanks, present whenever the kernel names a model.
  if (!CpuinfoField("model name").empty()) {
    EXPECT_FALSE(info.Brand.empty());
  }
  for (char ch : info.Brand) EXPECT_TRUE(ch >= 0x20 && ch < 0x7F) << info.Brand;
  if (!info.Brand.empty()) {
    EXPECT_NE(info.Brand.front(), ' ');
    EXPECT_NE(info.Brand.back(), ' ');
  }
}

TEST(CPUID, PortableModeHidesEveryFeature) {
  PortableGuard guard;
  const TCPUInfo& info = CPUInfo();
  SetCPUPortable(false);
  for (int f = cfSSE2; f <= cfPCLMULQDQ; ++f) {
    auto feature = static_cast<TCPUFeature>(f);
    EXPECT_EQ(CPUHas(feature), info.Has(feature)) << CPUFeatureName(feature);
  }
  SetCPUPortable(true);
  EXPECT_TRUE(CPUPortable());
  for (int f = cfSSE2; f <= cfPCLMULQDQ; ++f) EXPECT_FALSE(CPUHas(static_cast<TCPUFeature>(f)));
  // What the processor has does not change with the mode.
  EXPECT_EQ(&CPUInfo(), &info);
  EXPECT_STREQ(CPUFeatureName(cfSSE41), "SSE4.1");
  EXPECT_STREQ(CPUFeatureName(cfAVX512F), "AVX-512F");
}
