// The comment of a stored PLS model: the first <plsmodel> record of a
// tagged-text file is searched and its <comment> element read.
// fuzz-libs: numlib
#include <string>

#include "FuzzUtil.h"
#include "math/Zol_statis.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(pls_comment)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  const std::string comment = LoadPLSModelComment(PutTemp("pls.xml", Data, Size));
  // read as Latin-1 where the bytes are not UTF-8: at most twice the input
  FUZZ_REQUIRE(comment.size() <= 2 * Size);
  return 0;
}
