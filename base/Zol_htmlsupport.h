// HTML reports: THtmlProducer fills a template by replacing the special tags
// "<#name params>" through an event; URL encoding and decoding; word counts of
// HTML text; entity conversions.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"

namespace zol {

// Sender, tag name (lower case), parameters, in/out replacement.
using TOnHTMLTagEvent =
    std::function<void(TObject* Sender, const std::string& TagName, const std::string& Params,
                       std::string& Replacement)>;

class THtmlProducer : public TComponent {
 public:
  explicit THtmlProducer(TComponent* AOwner);
  ~THtmlProducer() override;
  const std::string& Template() const { return FTemplate; }
  void SetTemplate(const std::string& s) { FTemplate = s; }
  // Joins the lines of a text file, each followed by CR LF; raises EInOutError
  // when the file cannot be read.
  void ReadTemplateFromFile(const std::string& FileName);
  // The whole stream from position 0.
  void ReadTemplateFromStream(TStream& Stream);
  // Replaces every "<#name params>" by what OnHTMLTag makes of it (the tag
  // text itself when there is no handler); returns and keeps the result.
  void Convert(std::string& Result);
  std::string Convert() {
    std::string r;
    Convert(r);
    return r;
  }
  const std::string& ConvertedHTML() const { return FConverted; }
  void WriteConvertedHTMLToFile(const std::string& FileName) const;
  // A string stream holding the kept result at position 0, owned by the
  // producer (the previous one is freed).
  TStringStream* ConvertedHTMLAsStream();
  TOnHTMLTagEvent OnHTMLTag;

 private:
  std::string FTemplate, FConverted;
  std::unique_ptr<TStringStream> FStream;
};

// Encodes ! * ' ( ) ; : @ & = + $ , / ? % # [ ] and the blank as %XX.
std::string URLEncode(const std::string& s);
// Replaces %XX by the byte it encodes; a '%' without two hex digits stays.
// Decoding is applied once, so URLDecode(URLEncode(s)) == s for every s.
std::string URLDecode(const std::string& s);
// Drops everything up to and including "http://" (any case) and everything
// behind the last '/', keeping the '/'.
std::string ExtractHTTPPath(const std::string& url);
// Counts words (runs of at least two non-separator characters followed by a
// separator, see CountWords) outside tags; InsideTag carries the state of a
// tag that spans several calls.  With IgnoreNumbers, words beginning with a
// digit are not counted.
int CountWordsHTML(const std::string& s, bool IgnoreNumbers, bool& InsideTag);

// "&eacute;" for a Latin-1 character with a named entity, "&#NNN;" for other
// non-ASCII code points, the character itself otherwise (c is a code point).
std::string AnsiToHTMLEntity(unsigned c);
// Escapes < > & " and writes Latin-1 letters as named entities; other UTF-8
// text is copied (HTML pages of the suite are UTF-8).
std::string MakeStringHTMLCompatible(const std::string& s);
// The UTF-8 text of one entity ("&amp;", "&#233;", "&#xE9;", "&eacute;");
// empty when the entity is unknown.
std::string HTMLEntityToAnsi(const std::string& entity);
// Replaces every known entity of s by its character; unknown ones stay.
std::string ResolveHTMLEntities(const std::string& s);
// The head of a page: document type, <html>, <head> with title, character set
// (empty: UTF-8), style sheet link (empty: none) and further head text, the
// <body> tag; with IncludeHeading the title is repeated as <h1>.
std::string DefaultHTMLHead(const std::string& Title, const std::string& CharSet,
                            const std::string& StyleSheet, const std::string& HeadExtra,
                            bool IncludeHeading);
// "</body></html>", preceded by a generator line when WithGenerator is set.
std::string DefaultHTMLFoot(bool WithGenerator);

}  // namespace zol
