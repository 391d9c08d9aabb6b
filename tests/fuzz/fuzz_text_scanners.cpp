// The text and stream scanners of the base library: ASC headers, words and
// lines of text files, number and line readers, delimiter and tag-list
// readers, element extraction, quoted names, command-line parameters, dialog
// filters, HTML templates and string lists.  Every scanner must finish, stay
// inside its input and answer within its documented range.
// fuzz-libs: corelib
#include <string>
#include <vector>

#include "FuzzUtil.h"
#include "base/Zol_filesys.h"
#include "base/Zol_htmlsupport.h"
#include "base/Zol_streams.h"
#include "base/Zol_stringl.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_dialogs.h"

using namespace zol;
using namespace zolfuzz;

ZOL_FUZZ_TARGET(text_scanners)(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 16384) return 0;
  const uint8_t sel = Data[0];
  const std::string text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  const int len = static_cast<int>(text.size());
  TMemoryStream s;
  s.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  auto rewind = [&] { s.SetPosition(0); };
  auto inside = [&] { return s.Position() >= 0 && s.Position() <= s.Size(); };
  // texts read from bytes that are not valid UTF-8 are Latin-1 and may double in size
  const size_t most = 2 * text.size() + 2;

  switch (sel % 8) {
    case 0: {
      rewind();
      std::string comment;
      int nc = 0, nr = 0;
      bool f1, f2, f3, f4;
      const int res = ReadHeaderOfASC(s, comment, nc, nr, f1, f2, f3, f4);
      FUZZ_REQUIRE(res == 0 || (res >= 251 && res <= 255));
      // the same bytes as a text file: words and lines
      const std::string name = PutTemp("words.txt", Data + 1, Size - 1);
      TextFile F;
      AssignFile(F, name);
      Reset(F);
      for (int k = 0; k <= len && !Eof(F); ++k) FUZZ_REQUIRE(ReadNextWordInTextFile(F).size() <= most);
      const int lines = CountLinesInTextFile(F);
      FUZZ_REQUIRE(lines >= 0 && lines <= len + 1);
      CloseFile(F);
      break;
    }
    case 1: {
      rewind();
      for (int k = 0; k < 64 && s.Position() < s.Size(); ++k) {
        const int64_t before = s.Position();
        const double v = ScanStreamFPNum(s, (sel & 8) != 0, (sel >> 4) & 3);
        FUZZ_REQUIRE(v >= -1.7e308 && v <= 1.7e308);
        FUZZ_REQUIRE(inside());
        if (s.Position() == before) s.SetPosition(before + 1);
      }
      rewind();
      for (int k = 0; k < 64 && s.Position() < s.Size(); ++k) {
        (void)ScanStreamDecimal(s);
        FUZZ_REQUIRE(inside());
      }
      rewind();
      bool err = false;
      while (!err) {
        (void)ReadExtendedFromStream(s, err);
        (void)ReadLongintFromStream(s, err);
      }
      FUZZ_REQUIRE(inside());
      break;
    }
    case 2: {
      for (int mode = 0; mode <= 5; ++mode) {
        rewind();
        bool eos = false;
        for (int k = 0; k <= len && !eos; ++k) {
          const std::string l = ReadLnStream(s, eos, mode);
          FUZZ_REQUIRE(l.size() <= most);
        }
        FUZZ_REQUIRE(eos || mode > 4 || s.Position() <= s.Size());
        int pos = 1;
        bool eol = false;
        for (int k = 0; k <= len + 1 && pos <= len; ++k) {
          const int before = pos;
          (void)ReadLnString(text, pos, eol, mode);
          FUZZ_REQUIRE(pos > before);
        }
      }
      break;
    }
    case 3: {
      // the text before the first blank as delimiter / tag list
      const size_t sp = text.find(' ');
      const std::string delim = text.substr(0, sp == std::string::npos ? 0 : sp);
      rewind();
      int status = 1;
      const std::string got = ReadStreamUntil(s, delim, status);
      FUZZ_REQUIRE(status == 0 || status == -1);
      FUZZ_REQUIRE(got.size() <= most && inside());
      rewind();
      int ix = -2;
      const std::vector<std::string> tags = {delim, "</a>", "<b", ""};
      const std::string upTo = ReadStreamUntilTagList(s, tags, ix);
      FUZZ_REQUIRE(ix >= -1 && ix < 4 && upTo.size() <= most);
      break;
    }
    case 4: {
      rewind();
      TMemoryStream target;
      TStringList names;
      names.Add("a");
      names.Add("cell");
      names.Add("matrix");
      const int n = ExtractFromStream(s, target, names);
      FUZZ_REQUIRE(n >= 0);
      FUZZ_REQUIRE(target.Size() <= s.Size() + 2 * static_cast<int64_t>(n));
      const std::vector<std::string> list = {"a", "cell", "numcols", "/matrix"};
      int pos = 1;
      std::string content, attrs;
      for (int k = 0; k <= len && pos <= len; ++k) {
        const int before = pos;
        (void)ReadNextTagInString(text, pos, list, content, attrs);
        if (pos <= before) break;
      }
      int tagPos = -1;
      const int t = DetectNextTagInString(text, 1, list, tagPos);
      FUZZ_REQUIRE(t >= 0 && t < static_cast<int>(list.size()) && tagPos >= 0 && tagPos <= len);
      break;
    }
    case 5: {
      int pos = 1;
      for (int k = 0; k <= len && pos <= len; ++k) {
        const int before = pos;
        const std::string name = ParseQuotedName(text, pos);
        FUZZ_REQUIRE(name.size() <= most);
        if (pos <= before) break;
      }
      for (int n = 1; n <= 4; ++n) FUZZ_REQUIRE(ExtractParam(text, n).size() <= most);
      int line = 0, col = 0;
      for (int p = 0; p <= len + 1 && p <= 256; ++p)
        if (TextLineCoords(text, p, line, col)) FUZZ_REQUIRE(line >= 1 && col >= 1);
      (void)CountWords(text);
      break;
    }
    case 6: {
      for (const auto& [desc, mask] : ParseDialogFilter(text)) FUZZ_REQUIRE(desc.size() + mask.size() <= most);
      rewind();
      TStringList l;
      l.LoadFromStream(s);
      FUZZ_REQUIRE(l.Count() <= len + 1);
      break;
    }
    default: {
      rewind();
      THtmlProducer h(nullptr);
      h.ReadTemplateFromStream(s);
      h.OnHTMLTag = [](TObject*, const std::string& tag, const std::string& params, std::string& repl) {
        repl = "[" + tag + "|" + params + "]";
      };
      (void)h.Convert();
      break;
    }
  }
  return 0;
}
