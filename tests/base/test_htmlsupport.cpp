#include <gtest/gtest.h>

#include <cstdio>

#include "base/Zol_htmlsupport.h"

using namespace zol;

TEST(HtmlProducer, ReplacesSpecialTagsThroughTheEvent) {
  THtmlProducer p(nullptr);
  p.SetTemplate("<p>plain</p> a < b <#");
  EXPECT_EQ(p.Convert(), "<p>plain</p> a < b <#");  // nothing special, a trailing "<#" stays
  p.SetTemplate("Hello <#Name  first last >, today is <#date>.<#open");
  // Without a handler the tags stay as they were.
  EXPECT_EQ(p.Convert(), "Hello <#Name  first last >, today is <#date>.<#open");
  std::vector<std::string> seen;
  p.OnHTMLTag = [&](TObject* sender, const std::string& tag, const std::string& params, std::string& repl) {
    EXPECT_EQ(sender, &p);
    seen.push_back(tag + "|" + params);
    if (tag == "name") repl = "<b>" + params + "</b>";
    if (tag == "date") repl = "<#date>";  // the output is not scanned again
  };
  std::string out;
  p.Convert(out);
  EXPECT_EQ(out, "Hello <b>first last</b>, today is <#date>.<#open");
  EXPECT_EQ(p.ConvertedHTML(), out);
  EXPECT_EQ(seen, (std::vector<std::string>{"name|first last", "date|", "open|"}));
  TStringStream* s = p.ConvertedHTMLAsStream();
  EXPECT_EQ(s->Position(), 0);
  EXPECT_EQ(s->DataString(), out);
}

TEST(HtmlProducer, TemplatesFromFilesAndStreams) {
  std::string path = GetTempDirectory() + "zol_test_html.txt";
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("a\nb<#x>\n", 8);
  }
  THtmlProducer p(nullptr);
  p.ReadTemplateFromFile(path);
  EXPECT_EQ(p.Template(), "a\r\nb<#x>\r\n");
  TStringStream st("stream text");
  st.SetPosition(5);
  p.ReadTemplateFromStream(st);
  EXPECT_EQ(p.Template(), "stream text");
  p.Convert();
  p.WriteConvertedHTMLToFile(path);
  EXPECT_EQ(FileSize(path), 11);
  std::remove(path.c_str());
  EXPECT_THROW(p.ReadTemplateFromFile(path), EInOutError);
}

TEST(Url, EncodeDecodeRoundTripsEveryByte) {
  EXPECT_EQ(URLEncode("a b/c?d=e&f"), "a%20b%2Fc%3Fd%3De%26f");
  EXPECT_EQ(URLEncode("100%"), "100%25");
  EXPECT_EQ(URLDecode("%41%4a%zz%4"), "AJ%zz%4");
  // Decoding runs once: an encoded percent sign stays a percent sign.
  EXPECT_EQ(URLDecode("%2541"), "%41");
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(URLDecode(URLEncode(all)), all);
  EXPECT_EQ(URLDecode(URLEncode("%25%41 100%")), "%25%41 100%");
}

TEST(Url, ExtractHTTPPath) {
  EXPECT_EQ(ExtractHTTPPath("HTTP://example.org/a/b/page.html"), "example.org/a/b/");
  EXPECT_EQ(ExtractHTTPPath("see http://h/x"), "h/");
  EXPECT_EQ(ExtractHTTPPath("nothing"), "nothing");
}

TEST(HtmlWords, CountsOutsideTagsAcrossCalls) {
  bool inside = false;
  EXPECT_EQ(CountWordsHTML("<p class=\"big words here\">Two words.</p>", false, inside), 2);
  EXPECT_FALSE(inside);
  EXPECT_EQ(CountWordsHTML("one two <a href=", false, inside), 2);
  EXPECT_TRUE(inside);
  EXPECT_EQ(CountWordsHTML("\"x y z\">three 42 1st </a>", false, inside), 3);
  EXPECT_FALSE(inside);
  EXPECT_EQ(CountWordsHTML("three 42 1st end", true, inside), 1);  // the last run has no separator
}

TEST(HtmlEntities, ConversionsBothWays) {
  EXPECT_EQ(AnsiToHTMLEntity(0xE9), "&eacute;");
  EXPECT_EQ(AnsiToHTMLEntity('<'), "&lt;");
  EXPECT_EQ(AnsiToHTMLEntity(0x20AC), "&#8364;");
  EXPECT_EQ(MakeStringHTMLCompatible("caf\xC3\xA9 <b> & \"q\" \xE2\x82\xAC"),
            "caf&eacute; &lt;b&gt; &amp; &quot;q&quot; \xE2\x82\xAC");
  EXPECT_EQ(HTMLEntityToAnsi("&eacute;"), "\xC3\xA9");
  EXPECT_EQ(HTMLEntityToAnsi("&#x20AC;"), "\xE2\x82\xAC");
  EXPECT_EQ(HTMLEntityToAnsi("&#233;"), "\xC3\xA9");
  EXPECT_EQ(HTMLEntityToAnsi("&bogus;"), "");
  EXPECT_EQ(HTMLEntityToAnsi("&#xD800;"), "");
  EXPECT_EQ(ResolveHTMLEntities("a &lt;&amp;&gt; &nbsp;&unknown; & b"), "a <&> \xC2\xA0&unknown; & b");
  std::string head = DefaultHTMLHead("R&D", "", "s.css", "", true);
  EXPECT_NE(head.find("<title>R&amp;D</title>"), std::string::npos);
  EXPECT_NE(head.find("<h1>R&amp;D</h1>"), std::string::npos);
  EXPECT_NE(DefaultHTMLFoot(false).find("</html>"), std::string::npos);
}
