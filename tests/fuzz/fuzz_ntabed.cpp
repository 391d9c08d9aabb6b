// The table editor's clipboard text: numbers extracted from any text into the
// table; the table copied with full precision and extracted into a second
// editor must give the same numbers (a negative zero may come back as zero).
// fuzz-libs: ctrllib
#include <string>

#include "FuzzUtil.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "gui/Zol_ntabed.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(ntabed)(const uint8_t* Data, size_t Size) {
  if (Size > 8192) return 0;
  static const bool headless = [] {
    Application()->ResetHeadless();
    return true;
  }();
  (void)headless;
  const std::string text(reinterpret_cast<const char*>(Data), Size);
  TNTabEd a(nullptr);
  a.Redimension(6, 5);
  a.Fill(0);
  Clipboard().SetAsText(text);
  int cols = -1, rows = -1;
  if (a.GetClipMatrixSize(cols, rows)) FUZZ_REQUIRE(cols >= 0 && rows >= 0);
  a.ExtractFromClipboard();
  a.SetClipboardUseFullPrec(true);
  TGridRect all;
  all.Left = a.ColOffset();
  all.Top = a.RowOffset();
  all.Right = 6 + a.ColOffset() - 1;
  all.Bottom = 5 + a.RowOffset() - 1;
  a.SetSelection(all);
  a.CopyToClipboard();
  TNTabEd b(nullptr);
  b.Redimension(6, 5);
  b.Fill(0);
  b.ExtractFromClipboard();
  for (int c = 1; c <= 6; ++c)
    for (int r = 1; r <= 5; ++r)
      if (a.GetIsNumber(c, r)) {
        // the copy's number form has no negative zero
        const double x = a.GetElem(c, r), y = b.GetElem(c, r);
        FUZZ_REQUIRE(x == y || SameNum(x, y));
      }
  Clipboard().Clear();
  return 0;
}
