// Helpers shared by the libFuzzer harnesses (and the regression replay).
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace zolfuzz {

// Per-process scratch file name (harnesses run in parallel in one folder).
inline std::string TempPath(const char* Stem) {
  return "/tmp/zolfuzz_" + std::to_string(::getpid()) + "_" + Stem;
}

// Writes the input to a scratch file and returns its name.
inline std::string PutTemp(const char* Stem, const uint8_t* Data, size_t Size) {
  const std::string fn = TempPath(Stem);
  if (FILE* f = std::fopen(fn.c_str(), "wb")) {
    if (Size > 0) std::fwrite(Data, 1, Size, f);
    std::fclose(f);
  }
  return fn;
}

// The input cut at every occurrence of Sep into at most MaxParts pieces (the
// last piece keeps the rest); for harnesses whose reader takes several files.
inline std::vector<std::string> SplitInput(const uint8_t* Data, size_t Size, const std::string& Sep,
                                           size_t MaxParts) {
  std::vector<std::string> parts;
  const std::string all(reinterpret_cast<const char*>(Data), Size);
  size_t from = 0;
  while (parts.size() + 1 < MaxParts) {
    const size_t at = all.find(Sep, from);
    if (at == std::string::npos) break;
    parts.push_back(all.substr(from, at - from));
    from = at + Sep.size();
  }
  parts.push_back(all.substr(from));
  return parts;
}

// Writes Text to the file Name.
inline void PutFile(const std::string& Name, const std::string& Text) {
  if (FILE* f = std::fopen(Name.c_str(), "wb")) {
    if (!Text.empty()) std::fwrite(Text.data(), 1, Text.size(), f);
    std::fclose(f);
  }
}

// The bytes of the file Name (empty when it cannot be read).
inline std::string GetFile(const std::string& Name) {
  std::string text;
  if (FILE* f = std::fopen(Name.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

// The same number: equal (with the sign of zero) or both not a number.
inline bool SameNum(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

using TTarget = int (*)(const uint8_t*, size_t);

// The harnesses by reader name (filled in the replay build only).
inline std::map<std::string, TTarget>& Targets() {
  static std::map<std::string, TTarget> t;
  return t;
}

inline bool RegisterTarget(const char* Name, TTarget Fn) {
  Targets()[Name] = Fn;
  return true;
}

}  // namespace zolfuzz

// ZOL_FUZZ_TARGET(reader)(const uint8_t* Data, size_t Size) { ... } is the
// libFuzzer entry point in the fuzzing build; the ordinary test suite builds
// the same harnesses with ZOL_FUZZ_REPLAY as registered functions and feeds
// them the committed inputs.
#ifdef ZOL_FUZZ_REPLAY
#define ZOL_FUZZ_TARGET(name)                                                                     \
  static int name##_OneInput(const uint8_t*, size_t);                                              \
  [[maybe_unused]] static const bool name##_registered = zolfuzz::RegisterTarget(#name, name##_OneInput); \
  static int name##_OneInput
#define ZOL_FUZZ_FAIL(msg) throw std::runtime_error(msg)
#else
#define ZOL_FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput
#define ZOL_FUZZ_FAIL(msg) std::abort()
#endif

// A failed round trip is a finding: the fuzzer aborts and keeps the input,
// the replay reports the file.
#define FUZZ_REQUIRE(cond)                                                                         \
  do {                                                                                             \
    if (!(cond)) {                                                                                 \
      std::fprintf(stderr, "round trip failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);          \
      ZOL_FUZZ_FAIL("round trip failed: " #cond);                                                  \
    }                                                                                              \
  } while (0)
