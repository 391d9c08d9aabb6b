// Helpers shared by the vector and matrix containers (math/Zol_vector.*,
// math/Zol_matrix.*): index ranges, comb sort, bisection of sorted data,
// number parsing for the text formats, reading a text file into lines and the
// 10-byte extended headers of the stream formats.  Internal to numlib; the
// public interface of the containers is in Zol_vector.h and Zol_matrix.h.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Zol_streams.h"
#include "base/platform/Zol_sysutils.h"

namespace zol::vecmat {

// Clamps Lo and Hi to 1..max(n, 1) and orders them.
inline void ClampRange(int& Lo, int& Hi, int n) {
  Lo = std::clamp(Lo, 1, std::max(n, 1));
  Hi = std::clamp(Hi, 1, std::max(n, 1));
  if (Lo > Hi) std::swap(Lo, Hi);
}

// As ClampRange, but (0, 0) stands for the whole range 1..n.
inline void NormRange(int& Lo, int& Hi, int n) {
  if (Lo == 0 && Hi == 0) {
    Lo = 1;
    Hi = n;
    return;
  }
  ClampRange(Lo, Hi, n);
}

// Comb sort (shrink factor 1.3) of the positions Lo..Hi: key(i) gives the
// sort key of position i, swp(i, j) exchanges two positions.
template <typename KeyFn, typename SwapFn>
void CombSortIdx(int Lo, int Hi, bool Ascending, KeyFn key, SwapFn swp) {
  if (Hi - Lo <= 0) return;
  int gap = Hi - Lo;
  bool swapped;
  do {
    gap = static_cast<int>(gap / 1.3);
    if (gap < 1) gap = 1;
    swapped = false;
    for (int i = Lo; i + gap <= Hi; ++i) {
      const auto a = key(i), b = key(i + gap);
      if (Ascending ? (a > b) : (a < b)) {
        swp(i, i + gap);
        swapped = true;
      }
    }
  } while (gap != 1 || swapped);
}

// Bisection in the sorted positions 1..n (get(i) is the value at i): the
// position holding x, else the nearer of the two positions enclosing it.
template <typename GetFn>
int BisectSorted(int n, bool Ascending, double x, GetFn get) {
  int lo = 1, hi = n;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    const double vm = get(mid);
    if (vm == x) return mid;
    if ((Ascending && x >= vm) || (!Ascending && x < vm))
      lo = mid;
    else
      hi = mid;
  }
  return std::fabs(get(hi) - x) > std::fabs(get(lo) - x) ? lo : hi;
}

// Removes the characters of Lead from the front and those of Trail from the
// back of s, then a leading '+'.
inline std::string_view TrimNumber(std::string_view s, std::string_view Lead, std::string_view Trail) {
  while (!s.empty() && Lead.find(s.front()) != std::string_view::npos) s.remove_prefix(1);
  while (!s.empty() && Trail.find(s.back()) != std::string_view::npos) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  return s;
}

// Parses a number (double or int64_t) that fills the whole of s.
template <typename T>
bool ParseWhole(std::string_view s, T& v) {
  if (s.empty()) return false;
  auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

// Reads all lines of a text file; false when it cannot be opened or read.
inline bool ReadAllLines(const std::string& FileName, std::vector<std::string>& Lines) {
  try {
    TextFile F;
    AssignFile(F, FileName);
    Reset(F);
    std::string line;
    while (ReadLn(F, line)) Lines.push_back(line);
    CloseFile(F);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// Reads Count 10-byte extended values that must be integral-sized (|v| < 3e9)
// and rounds them; false on a short stream or a value out of that range.
inline bool ReadExtendedIndices(TStream& s, int64_t* Out, int Count) {
  for (int k = 0; k < Count; ++k) {
    bool err = false;
    const long double v = ReadExtendedFromStream(s, err);
    if (err || !(std::fabs(v) < 3e9L)) return false;
    Out[k] = std::llround(static_cast<double>(v));
  }
  return true;
}

// An extended value read back into an int32 element: rounded, 0 outside the
// int32 range.
inline int32_t ExtendedToInt32(long double x) {
  return (x >= -2147483648.0L && x <= 2147483647.0L) ? static_cast<int32_t>(std::llround(static_cast<double>(x)))
                                                      : 0;
}

}  // namespace zol::vecmat
