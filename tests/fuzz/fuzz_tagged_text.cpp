// The tagged-text scanners: tag by tag through a buffer and through a stream,
// attribute lookup in every attribute text found.
// fuzz-libs: corelib
#include <string>
#include <vector>

#include "FuzzUtil.h"
#include "base/Zol_streams.h"

using namespace zol;

ZOL_FUZZ_TARGET(tagged_text)(const uint8_t* Data, size_t Size) {
  if (Size > 32768) return 0;
  static const std::vector<std::string> tags = {"matrix", "/matrix", "cell", "numcols", "a", "b", "/b"};
  const char* d = reinterpret_cast<const char*>(Data);
  size_t pos = 0;
  std::string content, attrs;
  for (int guard = 0; pos < Size && guard < 100000; ++guard) {
    const size_t before = pos;
    ReadNextTagInBuffer(d, Size, pos, tags, content, attrs);
    for (const char* name : {"sig", "id", "c", "r", ""}) (void)ScanForXMLAttrib(attrs, name);
    FUZZ_REQUIRE(pos <= Size);
    if (pos <= before) break;
  }
  TMemoryStream s;
  s.WriteBuffer(Data, static_cast<int64_t>(Size));
  s.SetPosition(0);
  for (int guard = 0; s.Position() < s.Size() && guard < 100000; ++guard) {
    const int64_t before = s.Position();
    ReadNextTagInStream(s, tags, content, attrs);
    if (s.Position() <= before) break;
  }
  s.SetPosition(0);
  std::string at;
  ScanStreamForXMLTag(s, "cell", at, content);
  return 0;
}
