// Text and byte codecs: ASCII85, run-length, URL, UU and HTML entities.
// Each decoder is fed the input as it stands; each coder must give back what
// it was given.
// fuzz-libs: corelib
#include <string>
#include <vector>

#include "FuzzUtil.h"
#include "base/Zol_dstruct.h"
#include "base/Zol_htmlsupport.h"
#include "base/Zol_stringl.h"

using namespace zol;

namespace {

std::vector<uint8_t> RLE(const std::vector<uint8_t>& in, bool encode) {
  TRLEncoder r(nullptr);
  r.SetBufLeng(64);
  std::vector<uint8_t> out;
  TBytes blk;
  for (size_t i = 0; i < in.size(); ++i) {
    const bool full = encode ? r.Encode(&in[i], 1) : r.Decode(in[i]);
    if (full) {
      r.GetResult(blk);
      out.insert(out.end(), blk.begin(), blk.end());
    }
  }
  while (r.Finish(blk) > 0) out.insert(out.end(), blk.begin(), blk.end());
  return out;
}

}  // namespace

ZOL_FUZZ_TARGET(codecs)(const uint8_t* Data, size_t Size) {
  if (Size > 16384) return 0;
  const std::string text(reinterpret_cast<const char*>(Data), Size);
  const std::vector<uint8_t> bytes(Data, Data + Size);

  // ASCII85: decode the input; encode and decode it back
  {
    TMemoryStream in, out;
    in.WriteBuffer(Data, static_cast<int64_t>(Size));
    in.SetPosition(0);
    (void)DecodeASCII85(in, out);
    TMemoryStream enc, dec;
    in.SetPosition(0);
    EncodeASCII85(in, enc);
    enc.SetPosition(0);
    FUZZ_REQUIRE(DecodeASCII85(enc, dec) == 0);
    FUZZ_REQUIRE(dec.Size() == static_cast<int64_t>(Size));
    FUZZ_REQUIRE(Size == 0 || std::memcmp(dec.Memory(), Data, Size) == 0);
  }
  // run-length coder
  (void)RLE(bytes, false);
  FUZZ_REQUIRE(RLE(RLE(bytes, true), false) == bytes);
  // URL, UU and entities
  (void)URLDecode(text);
  FUZZ_REQUIRE(URLDecode(URLEncode(text)) == text);
  (void)UUDecodeStr(text);
  FUZZ_REQUIRE(UUDecodeStr(UUEncodeStr(text)) == text);
  (void)ResolveHTMLEntities(text);
  (void)HTMLEntityToAnsi(text);
  return 0;
}
