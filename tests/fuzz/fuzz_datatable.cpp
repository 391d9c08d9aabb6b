// Data table imports: CSV with every delimiter and header choice, and ASC.
// fuzz-libs: numlib
#include "FuzzUtil.h"
#include "base/Zol_streams.h"
#include "math/Zol_datatable.h"

using namespace zol;

ZOL_FUZZ_TARGET(datatable)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 32768) return 0;
  // the first byte picks the reader and its options
  const uint8_t sel = Data[0];
  TMemoryStream s;
  s.WriteBuffer(Data + 1, static_cast<int64_t>(Size - 1));
  s.SetPosition(0);
  TDataTable t(nullptr);
  switch (sel % 3) {
    case 0:
      t.ImportFromCSV(s, static_cast<TCSVDelimiters>((sel >> 2) % 5), (sel & 0x20) != 0, (sel & 0x40) != 0);
      break;
    case 1:
      t.ImportASC(s);
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
