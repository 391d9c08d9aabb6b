// Processor identification.
#include "base/Zol_cpuid.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define ZOL_X86 1
#endif

namespace zol {

namespace {

#ifdef ZOL_X86
// The register state the operating system saves (XCR0); read only after
// CPUID reports OSXSAVE.
uint64_t ReadXCR0() {
  uint32_t lo = 0, hi = 0;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (uint64_t(hi) << 32) | lo;
}
#endif

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

TCPUInfo Detect() {
  TCPUInfo info;
#ifdef ZOL_X86
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(0, &a, &b, &c, &d)) return info;
  unsigned maxLeaf = a;
  char vendor[13];
  std::memcpy(vendor, &b, 4);
  std::memcpy(vendor + 4, &d, 4);
  std::memcpy(vendor + 8, &c, 4);
  vendor[12] = 0;
  info.Vendor = vendor;

  bool osYmm = false, osZmm = false;
  if (maxLeaf >= 1) {
    __cpuid(1, a, b, c, d);
    info.SSE2 = d & (1u << 26);
    info.SSE3 = c & (1u << 0);
    info.PCLMULQDQ = c & (1u << 1);
    info.SSSE3 = c & (1u << 9);
    info.SSE41 = c & (1u << 19);
    info.SSE42 = c & (1u << 20);
    bool osxsave = c & (1u << 27);
    if (osxsave) {
      uint64_t xcr0 = ReadXCR0();
      osYmm = (xcr0 & 0x6) == 0x6;     // XMM and YMM state
      osZmm = (xcr0 & 0xE6) == 0xE6;   // plus opmask and both ZMM halves
    }
    info.AVX = osYmm && (c & (1u << 28));
  }
  if (maxLeaf >= 7) {
    __cpuid_count(7, 0, a, b, c, d);
    info.AVX2 = osYmm && (b & (1u << 5));
    info.AVX512F = osZmm && (b & (1u << 16));
    info.SHA = b & (1u << 29);
  }
  __cpuid(0x80000000u, a, b, c, d);
  if (a >= 0x80000004u) {
    char brand[49];
    for (unsigned i = 0; i < 3; ++i) {
      __cpuid(0x80000002u + i, a, b, c, d);
      std::memcpy(brand + 16 * i, &a, 4);
      std::memcpy(brand + 16 * i + 4, &b, 4);
      std::memcpy(brand + 16 * i + 8, &c, 4);
      std::memcpy(brand + 16 * i + 12, &d, 4);
    }
    brand[48] = 0;
    info.Brand = Trim(brand);
  }
#endif
  return info;
}

bool PortableFromEnvironment() {
  const char* v = std::getenv("ZOL_CPU_PORTABLE");
  return v && *v && std::strcmp(v, "0") != 0;
}

std::atomic<bool>& PortableFlag() {
  static std::atomic<bool> flag(PortableFromEnvironment());
  return flag;
}

}  // namespace

bool TCPUInfo::Has(TCPUFeature f) const {
  switch (f) {
    case cfSSE2: return SSE2;
    case cfSSE3: return SSE3;
    case cfSSSE3: return SSSE3;
    case cfSSE41: return SSE41;
    case cfSSE42: return SSE42;
    case cfAVX: return AVX;
    case cfAVX2: return AVX2;
    case cfAVX512F: return AVX512F;
    case cfSHA: return SHA;
    case cfPCLMULQDQ: return PCLMULQDQ;
  }
  return false;
}

const TCPUInfo& CPUInfo() {
  static const TCPUInfo info = Detect();
  return info;
}

bool CPUHas(TCPUFeature f) {
  if (PortableFlag().load(std::memory_order_relaxed)) return false;
  return CPUInfo().Has(f);
}

bool CPUPortable() { return PortableFlag().load(std::memory_order_relaxed); }

void SetCPUPortable(bool Portable) { PortableFlag().store(Portable, std::memory_order_relaxed); }

const char* CPUFeatureName(TCPUFeature f) {
  switch (f) {
    case cfSSE2: return "SSE2";
    case cfSSE3: return "SSE3";
    case cfSSSE3: return "SSSE3";
    case cfSSE41: return "SSE4.1";
    case cfSSE42: return "SSE4.2";
    case cfAVX: return "AVX";
    case cfAVX2: return "AVX2";
    case cfAVX512F: return "AVX-512F";
    case cfSHA: return "SHA";
    case cfPCLMULQDQ: return "PCLMULQDQ";
  }
  return "";
}

}  // namespace zol
