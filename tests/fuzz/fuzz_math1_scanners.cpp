// Number, angle and date scanners of the math library.
// fuzz-libs: numlib
#include <algorithm>
#include <string>

#include "FuzzUtil.h"
#include "math/Zol_math1.h"

using namespace zol;

ZOL_FUZZ_TARGET(math1_scanners)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 4096) return 0;
  const uint8_t sel = Data[0];
  const std::string text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  const int start = sel % 4;
  const int limit = std::max(start, static_cast<int>(text.size()) + 1);
  auto check = [&](int pos) { FUZZ_REQUIRE(pos >= 0 && pos <= limit); };
  int p;
  p = start; (void)ScanHex(text, p); check(p);
  p = start; (void)ScanOctal(text, p); check(p);
  p = start; (void)ScanBin(text, p); check(p);
  p = start; (void)ScanDecimal(text, p); check(p);
  p = start; (void)ScanFPNum(text, (sel & 4) != 0, (sel & 8) ? ',' : '.', p); check(p);
  int err = 0;
  p = start; (void)ScanDegrees(text, p, (sel & 16) != 0, err); check(p);
  // the text before the first '|' is the pattern
  const size_t bar = text.find('|');
  if (bar != std::string::npos) {
    p = 1;
    (void)ScanDateTime(text.substr(bar + 1), text.substr(0, bar), static_cast<TLanguage>(sel % 5), p);
  }
  return 0;
}
