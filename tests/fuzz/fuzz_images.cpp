// Picture readers (BMP, PNG, JPEG by signature) and the metafile recording.
// A picture read is written as BMP and read back with the same pixels; a
// recording read is written and read back to the same recording.
// fuzz-libs: corelib
#include <string>

#include "FuzzUtil.h"
#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_metafile.h"

using namespace zol;

ZOL_FUZZ_TARGET(images)(const uint8_t* Data, size_t Size) {
  if (Size > 262144) return 0;
  TMemoryStream s;
  s.WriteBuffer(Data, static_cast<int64_t>(Size));
  s.SetPosition(0);
  TBitmap b;
  if (b.LoadFromStream(s) && static_cast<int64_t>(b.Width()) * b.Height() <= 4000000) {
    TMemoryStream o;
    b.SaveBMPToStream(o);
    o.SetPosition(0);
    TBitmap c;
    FUZZ_REQUIRE(c.LoadFromStream(o));
    FUZZ_REQUIRE(c.Width() == b.Width() && c.Height() == b.Height());
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x)
        FUZZ_REQUIRE((b.GetPixel(x, y) & 0xFFFFFF) == (c.GetPixel(x, y) & 0xFFFFFF));
  }
  s.SetPosition(0);
  TMetafile m;
  if (m.LoadRecordingFromStream(s)) {
    TMemoryStream r1, r2;
    m.SaveRecordingToStream(r1);
    r1.SetPosition(0);
    TMetafile n;
    FUZZ_REQUIRE(n.LoadRecordingFromStream(r1));
    n.SaveRecordingToStream(r2);
    FUZZ_REQUIRE(r1.Size() == r2.Size());
    FUZZ_REQUIRE(r1.Size() == 0 || std::memcmp(r1.Memory(), r2.Memory(), static_cast<size_t>(r1.Size())) == 0);
  }
  return 0;
}
