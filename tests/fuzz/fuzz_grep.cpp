// Pattern search: the input is a pattern and a subject (cut at the first
// line feed).  Compiling answers an error code of the table, matching a
// position inside the subject; the token table can always be listed.
// fuzz-libs: corelib
#include <string>

#include "FuzzUtil.h"
#include "base/Zol_stringl.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(grep)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 4096) return 0;
  const std::string all(reinterpret_cast<const char*>(Data + 1), Size - 1);
  const size_t lf = all.find('\n');
  const std::string pattern = all.substr(0, lf);
  const std::string subject = lf == std::string::npos ? std::string() : all.substr(lf + 1);
  TGrep g(nullptr);
  g.SetStopOnError(false);
  g.SetIgnoreCase((Data[0] & 1) != 0);
  const int code = g.CompileRegExp(pattern);
  FUZZ_REQUIRE(code >= 0 && code <= 11);
  FUZZ_REQUIRE(code == 0 || !g.ErrorText(code).empty());
  for (int i = 0; i <= g.NrTokens() + 1; ++i) (void)g.GetRegExpToken(i);
  g.SetSearchStartPos(1 + (Data[0] >> 1) % 8);
  int pos = 0;
  if (g.MatchString(subject, pos)) {
    FUZZ_REQUIRE(code == 0);
    FUZZ_REQUIRE(g.MatchStart() >= 1 && g.MatchStart() <= static_cast<int>(subject.size()) + 1);
    FUZZ_REQUIRE(g.MatchEnd() >= g.MatchStart() - 1 && g.MatchEnd() <= static_cast<int>(subject.size()));
  }
  g.PrintRegExp(TempPath("grep.txt"));
  return 0;
}
