// Processor identification: the feature flags the fast paths of the suite
// dispatch on, and the vendor and brand strings.
//
// The flags are read once, on first use, through the CPUID instruction (on
// processors without it every flag is false).  A feature that needs operating
// system support for its registers (AVX, AVX2, AVX-512F) is reported only when
// the system saves those registers (XGETBV).
//
// CPUHas() is what the fast paths ask.  It answers false for every feature
// while the portable mode is on: set the environment variable
// ZOL_CPU_PORTABLE=1 before the first call, or call SetCPUPortable(true) at
// run time (the tests use this to run both paths).  CPUInfo() always tells
// what the processor has.
#pragma once

#include <string>

namespace zol {

enum TCPUFeature {
  cfSSE2,
  cfSSE3,
  cfSSSE3,
  cfSSE41,
  cfSSE42,
  cfAVX,
  cfAVX2,
  cfAVX512F,
  cfSHA,
  cfPCLMULQDQ,
};

struct TCPUInfo {
  std::string Vendor;  // e.g. the 12 characters of CPUID leaf 0; empty without CPUID
  std::string Brand;   // the processor name (leading and trailing blanks removed); may be empty
  bool SSE2 = false;
  bool SSE3 = false;
  bool SSSE3 = false;
  bool SSE41 = false;
  bool SSE42 = false;
  bool AVX = false;
  bool AVX2 = false;
  bool AVX512F = false;
  bool SHA = false;
  bool PCLMULQDQ = false;
  bool Has(TCPUFeature f) const;
};

// What the processor offers (detected once; not affected by the portable mode).
const TCPUInfo& CPUInfo();
// Whether the fast paths may use the feature: the processor has it and the
// portable mode is off.
bool CPUHas(TCPUFeature f);
// The portable mode; its initial state comes from ZOL_CPU_PORTABLE (any value
// other than empty or "0" turns it on).
bool CPUPortable();
void SetCPUPortable(bool Portable);
// The name of a feature as the processor manuals write it ("SSE4.1", "AVX-512F").
const char* CPUFeatureName(TCPUFeature f);

}  // namespace zol
