// Data table imports: CSV with every delimiter and header choice, and ASC.
// What was read is written in the same format with the exact number form and
// read again to the same table.
// fuzz-libs: numlib
#include <string>

#include "DataTableCompare.h"
#include "FuzzUtil.h"
#include "base/Zol_streams.h"
#include "math/Zol_datatable.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(datatable)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 32768) return 0;
  // the first byte picks the reader and its options
  const uint8_t sel = Data[0];
  TMemoryStream s;
  s.WriteBuffer(Data + 1, static_cast<int64_t>(Size - 1));
  s.SetPosition(0);
  TDataTable t(nullptr);
  switch (sel % 3) {
    case 0: {
      const auto delim = static_cast<TCSVDelimiters>((sel >> 2) % 5);
      const bool colNames = (sel & 0x20) != 0, rowNames = (sel & 0x40) != 0;
      if (t.ImportFromCSV(s, delim, colNames, rowNames)) {
        TMemoryStream o;
        t.ExportAsCSV(o, -1, delim, colNames, rowNames);
        o.SetPosition(0);
        TDataTable b(nullptr);
        FUZZ_REQUIRE(b.ImportFromCSV(o, delim, colNames, rowNames));
        FUZZ_REQUIRE(SameDataTable(t, b, false, false));
        for (int c = 1; colNames && c <= t.NrOfColumns(); ++c) FUZZ_REQUIRE(t.GetColName(c) == b.GetColName(c));
        for (int r = 1; rowNames && r <= t.NrOfRows(); ++r) FUZZ_REQUIRE(t.GetRowName(r) == b.GetRowName(r));
      }
      break;
    }
    case 1:
      if (t.ImportASC(s)) {
        TMemoryStream o;
        t.ExportAsASC(o, -1);
        o.SetPosition(0);
        TDataTable b(nullptr);
        FUZZ_REQUIRE(b.ImportASC(o));
        FUZZ_REQUIRE(SameDataTable(t, b, true, true));
        std::string comment = t.Comment();  // line breaks are written as blanks
        for (char& ch : comment)
          if (ch == '\n' || ch == '\r') ch = ' ';
        FUZZ_REQUIRE(comment == b.Comment());
      }
      break;
    default:
      t.ReadFromASC(s, 1 + (sel >> 5), 1, true);
      break;
  }
  // every cell of what was read can be asked for
  for (int c = 1; c <= t.NrOfColumns(); ++c)
    for (int r = 1; r <= t.NrOfRows(); ++r) (void)t.GetCellState(c, r);
  return 0;
}
