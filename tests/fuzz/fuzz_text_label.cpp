// Text label records ("custtextlbl"): read, written, read again; position,
// layer, colours, alignment, font, caption and mode must survive.
// fuzz-libs: corelib
#include <string>

#include "FuzzUtil.h"
#include "base/Zol_zolbase.h"

using namespace zol;
using namespace zolfuzz;

namespace {

bool SameLabel(const TCustomTextLabel& a, const TCustomTextLabel& b) {
  return SameNum(a.PosX(), b.PosX()) && SameNum(a.PosY(), b.PosY()) && a.Layer() == b.Layer() &&
         a.ShadowDx() == b.ShadowDx() && a.ShadowDy() == b.ShadowDy() && a.ColorShadow() == b.ColorShadow() &&
         a.Alignment() == b.Alignment() && a.VertAlignment() == b.VertAlignment() &&
         a.AttachMode() == b.AttachMode() && a.ColorBkg() == b.ColorBkg() && a.ColorBrd() == b.ColorBrd() &&
         a.Transparent() == b.Transparent() && a.Caption() == b.Caption() && a.Mode() == b.Mode() &&
         a.Visible() == b.Visible() && a.Font().Name() == b.Font().Name() && a.Font().Size() == b.Font().Size() &&
         a.Font().Color() == b.Font().Color() && a.Font().Style() == b.Font().Style();
}

}  // namespace

ZOL_FUZZ_TARGET(text_label)(const uint8_t* Data, size_t Size) {
  if (Size > 65536) return 0;
  const std::string in = PutTemp("lbl.xml", Data, Size), out = TempPath("lbl_out.xml");
  for (const char* id : {"F", ""}) {
    TCustomTextLabel a;
    bool ok;
    {
      TextFile F;
      AssignFile(F, in);
      Reset(F);
      ok = a.ReadFromOpenXMLFile(F, id);
      CloseFile(F);
    }
    if (!ok) continue;
    {
      TextFile F;
      AssignFile(F, out);
      Rewrite(F);
      a.WriteToOpenXMLFile(F, true, "F", 2);
      CloseFile(F);
    }
    TCustomTextLabel b;
    TextFile G;
    AssignFile(G, out);
    Reset(G);
    ok = b.ReadFromOpenXMLFile(G, "F");
    CloseFile(G);
    FUZZ_REQUIRE(ok);
    FUZZ_REQUIRE(SameLabel(a, b));
  }
  return 0;
}
