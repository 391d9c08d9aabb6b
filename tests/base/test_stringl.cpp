// Tests of the string utilities and TGrep.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <sstream>

#include "base/Zol_stringl.h"

using namespace zol;

// ---------------------------------------------------------------- number formatting
TEST(StringlFormat, FixedAndScientific) {
  EXPECT_EQ(strff(3.14159, 8, 3), "   3.142");
  EXPECT_EQ(strff(2.7, 1, 0), "3");
  EXPECT_EQ(strff(0, 1, 3), "0.000");
  EXPECT_EQ(strff(-0.0, 5, 1), "  0.0");
  EXPECT_EQ(strff(123456.789, 3, 1), "123456.8");  // longer results are not cut
  const std::string huge = strff(1e400L, 1, 2);
  EXPECT_EQ(huge.size(), 404u);
  EXPECT_EQ(huge.substr(0, 3), "100");
  EXPECT_EQ(huge.substr(401), ".00");
  // Zero filling moves the minus sign to the front.
  EXPECT_EQ(strff(-1.5, -6, 2), "-01.50");
  EXPECT_EQ(strff(42, -5, 0), "00042");
  EXPECT_EQ(strff(-42, -3, 0), "-42");
  // Scientific notation: field |w|, w-7 decimals, two exponent digits.
  EXPECT_EQ(strff(1234.56, 10, -2), " 1.235E+03");
  EXPECT_EQ(strff(-0.00012345, 12, -2), "-1.23450E-04");
  EXPECT_EQ(strff(9.9996, 10, -2), " 1.000E+01");
  EXPECT_EQ(strff(1e99, 9, -2), " 1.00E+99");
  EXPECT_EQ(strff(1e100, 9, -2), "*********");
  EXPECT_EQ(strff(-3e-150, 10, -2), "**********");
  EXPECT_EQ(strff(5, 4, -2), " 5.0E+00");  // at least one decimal
  // Other negative decimals: full precision with the four-digit exponent.
  EXPECT_EQ(strff(0.1, 22, -1), "1.0000000000000001E-0001");
  EXPECT_EQ(strff(-2.5, 26, -1), " -2.5000000000000000E+0000");
}

TEST(StringlFormat, ForcePlus) {
  EXPECT_EQ(strffForcePlus(1.5, 6, 2), " +1.50");
  EXPECT_EQ(strffForcePlus(1.5, 4, 2), "+1.50");
  EXPECT_EQ(strffForcePlus(1.5, -6, 2), "+01.50");
  EXPECT_EQ(strffForcePlus(0.5, -4, 2), "+0.50");
  EXPECT_EQ(strffForcePlus(0, 3, 0), " +0");
  EXPECT_EQ(strffForcePlus(-1.5, 6, 2), " -1.50");
}

TEST(StringlFormat, FormatDataLimits) {
  EXPECT_EQ(FormatData(0, 8, 3), "   0.000");
  EXPECT_EQ(FormatData(1e-9, 8, 3), " 1.0000000E-09");
  EXPECT_EQ(FormatData(123.456, 10, 2), "    123.46");
  EXPECT_EQ(FormatData(999999999, 10, 0), " 999999999");
  EXPECT_EQ(FormatData(1e9, 10, 0), " 1.000000000E+09");
  EXPECT_EQ(FormatData(0.5, 6, 0), " 5.00000E-01");
  EXPECT_EQ(FormatData(0.001, 6, 3), " 0.001");
  EXPECT_EQ(FormatData(0.00099, 6, 3), " 9.90000E-04");
  EXPECT_EQ(FormatData(-0.5, 6, 8), "-0.50000000");
  EXPECT_EQ(FormatData(1.5, 6, 9), " 1.50000E+00");
  EXPECT_EQ(FormatData(1.5, 6, -1), " 1.50000E+00");
}

TEST(StringlFormat, SignificantDigits) {
  EXPECT_EQ(SigDigStr(123.456, 10, 4), "     123.5");
  EXPECT_EQ(SigDigStr(123456, 10, 3), "    123456");
  EXPECT_EQ(SigDigStr(1.23e12, 8, 3), " 1.23E+12");
  EXPECT_EQ(SigDigStr(0.000123456, 8, 3), " 1.23E-04");
  EXPECT_EQ(SigDigStr(0.0123, 8, 3), "  0.0123");
  EXPECT_EQ(SigDigStr(0, 6, 3), "  0.00");
  EXPECT_EQ(SigDigStr(-2.5, 6, 2), "  -2.5");
  EXPECT_EQ(SigDigStr(123.456, 10, 4, true), "123.5");
}

TEST(StringlFormat, TimeAndBool) {
  EXPECT_EQ(TimeString(3725.5, 0), "01:02:05.50");
  EXPECT_EQ(TimeString(3725.5, 1), "01:02:05");
  EXPECT_EQ(TimeString(3725.5, 2), " 1h02");
  EXPECT_EQ(TimeString(3725.5, 3), " 1h02'05\"");
  EXPECT_EQ(TimeString(3725.5, 4), "01:02");
  EXPECT_EQ(TimeString(13 * 3600 + 5 * 60, 5), " 1:05p");
  EXPECT_EQ(TimeString(0, 5), "12:00a");
  EXPECT_EQ(TimeString(12 * 3600, 5), "12:00p");
  EXPECT_EQ(TimeString(-10, 0), "00:00:00.00");
  EXPECT_EQ(TimeString(1.29, 0), "00:00:01.29");
  EXPECT_EQ(TimeString(59.999, 0), "00:00:59.99");
  EXPECT_EQ(TimeString(100 * 3600, 2), "100h00");
  const char* t[] = {"TRUE", "T", ".T.", "1", "-1", "FF", "TRUE"};
  const char* f[] = {"FALSE", "F", ".F.", "0", "0", "00", "FALSE"};
  for (int s = 0; s < 7; ++s) {
    EXPECT_EQ(BoolToStr(true, s), t[s]);
    EXPECT_EQ(BoolToStr(false, s), f[s]);
  }
}

// ---------------------------------------------------------------- filling and editing
TEST(StringlEdit, PaddingAndTrimming) {
  EXPECT_EQ(MultiChar('x', 0), "x");
  EXPECT_EQ(MultiChar('x', 300), std::string(255, 'x'));
  EXPECT_EQ(CenterString("ab", 5), " ab  ");
  EXPECT_EQ(CenterString("abcdef", 3), "abc");
  EXPECT_EQ(LeftString("abc", 2), "ab");
  EXPECT_EQ(LeftString("ab", 4), "ab  ");
  EXPECT_EQ(RightString("ab", 4), "  ab");
  // Characters, not bytes, are counted, and sequences are never split.
  EXPECT_EQ(LeftString("\xc3\xa4" "b", 3), "\xc3\xa4" "b ");
  EXPECT_EQ(LeftString("\xc3\xa4\xc3\xb6\xc3\xbc", 2), "\xc3\xa4\xc3\xb6");
  EXPECT_EQ(AbbrevString("abcdefgh", 6), "abcd..");
  EXPECT_EQ(AbbrevString("abcdef", 6), "abcdef");
  EXPECT_EQ(StripLTBlanks("   "), "");
  EXPECT_EQ(StripLTBlanks("  a b\t "), "a b\t");
  EXPECT_EQ(StripLeadingBlanks("  a "), "a ");
  EXPECT_EQ(StripTrailingBlanks("  a "), "  a");
  EXPECT_EQ(StripTrailingChars('0', "1.500"), "1.5");
  EXPECT_EQ(StripTrailingChars('0', "000"), "0");
  EXPECT_EQ(StripLeadingChars('0', "007"), "7");
  EXPECT_EQ(StripLeadingChars('0', "000"), "");
  EXPECT_EQ(EnsureTrailingChar('/', ""), "");
  EXPECT_EQ(EnsureTrailingChar('/', "a"), "a/");
  EXPECT_EQ(EnsureTrailingChar('/', "a/"), "a/");
  EXPECT_EQ(EnsureLeadingChar('$', "ff"), "$ff");
  EXPECT_EQ(EnsureLeadingChar('$', "$ff"), "$ff");
  EXPECT_EQ(EnsureTrailingBkSlash("dir"), "dir\\");
}

TEST(StringlEdit, ReplacingAndCase) {
  EXPECT_EQ(ReplaceStringInString("aaa", "a", "aa", false), "aaaaaa");
  EXPECT_EQ(ReplaceStringInString("Hello HELLO", "hello", "x", true), "x x");
  EXPECT_EQ(ReplaceStringInString("Hello HELLO", "hello", "x", false), "Hello HELLO");
  EXPECT_EQ(ReplaceStringInString("abc", "", "x", false), "abc");
  EXPECT_EQ(ReplaceCharInString("a.b.c", '.', ','), "a,b,c");
  EXPECT_EQ(RemoveCharInString("a.b.c", '.'), "abc");
  EXPECT_EQ(RemoveControlChars("a\tb\r\nc\x7f"), "abc\x7f");
  EXPECT_EQ(CapitalizeString("hello wORLD 3rd o'neil \xc3\xbc" "ber-all"),
            "Hello WORLD 3rd O'Neil \xc3\x9c" "ber-All");
  EXPECT_EQ(ChangeCase("aBc \xc3\x84\xc3\xa4 \xc3\x9f"), "AbC \xc3\xa4\xc3\x84 \xc3\x9f");
  EXPECT_EQ(ReverseString("ab\xc3\xa4"), "\xc3\xa4" "ba");
  EXPECT_EQ(ReduceStringToAZ09("a-b \xc3\xa4Z9"), "a_b__Z9");
  EXPECT_EQ(ReduceStringToFN83CompliantChars("my file~1.txt"), "my_file~1_txt");
  EXPECT_EQ(ExpandDiphthongs("\xc3\x84pfel \xc3\x84RGER Stra\xc3\x9f" "e \xc2\xb5m \xc3\xb6l M\xc3\xbc" "ll \xc3\x9c"),
            "Aepfel AERGER Strasse um oel Muell UE");
  EXPECT_EQ(ExpandDiphthongs("\xc3\x96 a"), "Oe a");
  EXPECT_EQ(ProcessHexChars("a\\#41b\\\\c\\#e4\\#4"), "aAb\\c\xc3\xa4\\#4");
}

// ---------------------------------------------------------------- searching and counting
TEST(StringlSearch, PositionsAndCounts) {
  EXPECT_EQ(NumberedPos("ab", "xabyabzab", 1, false, 2), 5);
  EXPECT_EQ(NumberedPos("ab", "xabyabzab", 3, false, 1), 5);
  EXPECT_EQ(NumberedPos("AB", "xabyabzab", -5, true, 3), 8);
  EXPECT_EQ(NumberedPos("ab", "xabyabzab", 1, false, 4), 0);
  EXPECT_EQ(NumberedPos("AB", "xabyabzab", 1, false, 1), 0);
  EXPECT_EQ(PosLast("ab", "abxab"), 4);
  EXPECT_EQ(PosLast("q", "abxab"), 0);
  EXPECT_EQ(CountStringInString("aa", "aaaa", true), 2);
  EXPECT_EQ(CountStringInString("aa", "aaa", true), 1);
  EXPECT_EQ(CountStringInString("AB", "abAB", false), 2);
  EXPECT_EQ(CountStringInString("AB", "abAB", true), 1);
  EXPECT_EQ(CountCharInString('a', "aAa", true), 2);
  EXPECT_EQ(CountCharInString('a', "aAa", false), 3);
  EXPECT_EQ(FindFirstNonBlank("  x"), 3);
  EXPECT_EQ(FindFirstNonBlank("   "), 0);
  EXPECT_FALSE(TestAllChar("", 'a'));
  EXPECT_TRUE(TestAllChar("aaa", 'a'));
  EXPECT_FALSE(TestAllChar("aab", 'a'));
  EXPECT_EQ(StringIx("b", {"a", "b", "c"}), 2);
  EXPECT_EQ(StringIx("B", {"a", "b", "c"}), 0);
  EXPECT_TRUE(EqualAnsiStrings("Abc", "aBC"));
  EXPECT_FALSE(EqualAnsiStrings("Abc", "aBd"));
}

TEST(StringlSearch, CharacterClasses) {
  EXPECT_FALSE(StringContains("abc", "//dig"));
  EXPECT_TRUE(StringContains("a1", "//dig"));
  EXPECT_TRUE(StringContains("x\xc3\xa4", "//128up"));
  EXPECT_FALSE(StringContains("x\xe2\x82\xac", "//128up"));  // the euro sign lies above 255
  EXPECT_TRUE(StringContains("x\x01", "//31dwn"));
  EXPECT_TRUE(StringContains("Q", "//ucxyz"));
  EXPECT_TRUE(StringContains("z", "//ucxyz"));
  EXPECT_TRUE(StringContains("\xe2\x82\xac", "a\xe2\x82\xac"));
  EXPECT_FALSE(StringContainsOtherThan("abc", "//lc"));
  EXPECT_TRUE(StringContainsOtherThan("abC", "//lc"));
  EXPECT_FALSE(StringContainsOtherThan("a-1", "//lc//dig-"));
  EXPECT_TRUE(IsUmlaut(U'\u00e4'));
  EXPECT_TRUE(IsUmlaut(U'\u00df'));
  EXPECT_FALSE(IsUmlaut('a'));
  EXPECT_TRUE(IsHexChar('F'));
  EXPECT_FALSE(IsHexChar('g'));
  EXPECT_TRUE(IsDigitLetter('z'));
  EXPECT_FALSE(IsLetter(U'\u00e4'));
  EXPECT_TRUE(IsAbbreviation("NATO"));
  EXPECT_TRUE(IsAbbreviation("UNO x"));
  EXPECT_FALSE(IsAbbreviation("the UNO"));
  EXPECT_FALSE(IsAbbreviation("Nato"));
  EXPECT_FALSE(IsAbbreviation("USA2go"));
}

// ---------------------------------------------------------------- words and tokens
TEST(StringlWords, WordsFieldsTokens) {
  int f = -1, l = -1;
  EXPECT_EQ(ExtractWordFromString("hello, world", 9, f, l), "world");
  EXPECT_EQ(f, 8);
  EXPECT_EQ(l, 12);
  EXPECT_EQ(ExtractWordFromString("hello, world", 6, f, l), "");
  EXPECT_EQ(f, 0);
  EXPECT_EQ(ExtractWordFromString("hello", 1), "hello");
  EXPECT_EQ(ExtractWordFromString("hello", 9), "");
  EXPECT_EQ(ExtractSubString("a;b;;c", 0, ';'), "a");
  EXPECT_EQ(ExtractSubString("a;b;;c", 2, ';'), "");
  EXPECT_EQ(ExtractSubString("a;b;;c", 3, ';'), "c");
  EXPECT_EQ(ExtractSubString("a;b;;c", 4, ';'), "");

  std::vector<std::string> tok;
  EXPECT_EQ(Tokenize("a,b,,c", ',', tok), 4);
  EXPECT_EQ(tok[2], "");
  EXPECT_EQ(tok[3], "c");
  EXPECT_EQ(Tokenize("", ',', tok), 0);
  std::string many;
  for (int i = 0; i < 150; ++i) many += std::to_string(i) + ",";
  EXPECT_EQ(Tokenize(many, ',', tok), 100);
  EXPECT_EQ(tok[98], "98");
  EXPECT_EQ(tok[99].substr(0, 7), "99,100,");
  EXPECT_EQ(Tokenize(std::string(300, 'x') + ",y", ',', tok), 2);
  EXPECT_EQ(tok[0].size(), 255u);
  // A fixed-capacity token never ends inside a character.
  std::string umlauts;
  for (int i = 0; i < 200; ++i) umlauts += "\xc3\xa4";
  Tokenize(umlauts, ',', tok);
  EXPECT_EQ(tok[0].size(), 254u);

  EXPECT_EQ(CountWords("The cat sat."), 3);
  EXPECT_EQ(CountWords("a b cd"), 0);
  EXPECT_EQ(CountWords("\xc3\xbc" "ber alles "), 2);
  EXPECT_EQ(CountWords("x(ab)+cd-"), 2);
  EXPECT_EQ(CountWords(""), 0);
}

TEST(StringlWords, Lines) {
  const std::string s = "l1\r\nl2\nl3";
  int pos = 1;
  bool eos = false;
  EXPECT_EQ(ReadLnString(s, pos, eos, 4), "l1");
  EXPECT_EQ(pos, 5);
  EXPECT_FALSE(eos);
  EXPECT_EQ(ReadLnString(s, pos, eos, 4), "l2l3");
  EXPECT_TRUE(eos);
  pos = 1;
  EXPECT_EQ(ReadLnString(s, pos, eos, 0), "l1");
  EXPECT_EQ(ReadLnString(s, pos, eos, 0), "l2");
  EXPECT_EQ(ReadLnString(s, pos, eos, 0), "l3");
  EXPECT_TRUE(eos);
  EXPECT_EQ(ReadLnString(s, pos, eos, 0), "");
  EXPECT_TRUE(eos);
  pos = 1;
  EXPECT_EQ(ReadLnString("a\n\rb", pos, eos, 3), "a");
  EXPECT_EQ(pos, 4);
  pos = 1;
  EXPECT_EQ(ReadLnString("a\rb\nc", pos, eos, 1), "a");
  EXPECT_EQ(ReadLnString("a\rb\nc", pos, eos, 1), "bc");

  int line = 0, col = 0;
  const std::string t = "ab\ncd\r\nef\rg";
  EXPECT_TRUE(TextLineCoords(t, 1, line, col));
  EXPECT_EQ(line, 1);
  EXPECT_EQ(col, 1);
  EXPECT_TRUE(TextLineCoords(t, 5, line, col));
  EXPECT_EQ(line, 2);
  EXPECT_EQ(col, 2);
  EXPECT_TRUE(TextLineCoords(t, 8, line, col));
  EXPECT_EQ(line, 3);
  EXPECT_EQ(col, 1);
  EXPECT_TRUE(TextLineCoords(t, 12, line, col));
  EXPECT_EQ(line, 4);
  EXPECT_EQ(col, 2);
  EXPECT_FALSE(TextLineCoords(t, 13, line, col));
  EXPECT_FALSE(TextLineCoords(t, 0, line, col));
}

TEST(StringlWords, QuotedNamesAndParams) {
  const std::string s = "  \"a \"\"b\"\" c\" rest";
  int pos = 1;
  EXPECT_EQ(ParseQuotedName(s, pos), "a \"b\" c");
  EXPECT_EQ(pos, 14);
  EXPECT_EQ(ParseQuotedName(s, pos), "rest");
  EXPECT_EQ(pos, 19);
  EXPECT_EQ(ParseQuotedName(s, pos), "");
  pos = 1;
  EXPECT_EQ(ParseQuotedName("\"open end", pos), "open end");
  EXPECT_EQ(ExtractParam("cmd \"my file.txt\"  -x \"\" last", 1), "cmd");
  EXPECT_EQ(ExtractParam("cmd \"my file.txt\"  -x \"\" last", 2), "my file.txt");
  EXPECT_EQ(ExtractParam("cmd \"my file.txt\"  -x \"\" last", 3), "-x");
  EXPECT_EQ(ExtractParam("cmd \"my file.txt\"  -x \"\" last", 4), "");
  EXPECT_EQ(ExtractParam("cmd \"my file.txt\"  -x \"\" last", 5), "last");
  EXPECT_EQ(ExtractParam("cmd \"my file.txt\"  -x \"\" last", 6), "");
  EXPECT_EQ(ExtractParam("cmd", 0), "");
}

TEST(StringlWords, UUEncodingAgainstReference) {
  std::ifstream f(ZOL_TEST_SRC_DIR "/data/uu_ref.txt");
  auto unhex = [](const std::string& h) {
    std::string r;
    for (size_t i = 0; i + 1 < h.size(); i += 2) r += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return r;
  };
  std::string line;
  int n = 0;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream is(line);
    std::string in, out;
    is >> in >> out;
    const std::string data = unhex(in), enc = unhex(out);
    EXPECT_EQ(UUEncodeStr(data), enc) << in;
    EXPECT_EQ(UUDecodeStr(enc), data) << in;
    ++n;
  }
  EXPECT_EQ(n, 8);
  EXPECT_EQ(UUEncodeStr(""), "");
  // Framing lines are skipped; short or damaged lines do not read past their end.
  EXPECT_EQ(UUDecodeStr("begin 644 x\n#0V%T\nend\n"), "Cat");
  EXPECT_EQ(UUDecodeStr("M\n"), "");
  EXPECT_EQ(UUDecodeStr("#0V\n"), "");
}

TEST(StringlWords, TagsInStrings) {
  const std::string s = "<?xml version=\"1.0\"?><rec id=1><cap>A<b>B</b></cap><pos x=1 /></rec>";
  const std::vector<std::string> tags = {"rec", "cap", "pos", "/rec", "none"};
  int pos = 1;
  std::string content, attrs;
  EXPECT_EQ(ReadNextTagInString(s, pos, tags, content, attrs), 4);
  EXPECT_EQ(ReadNextTagInString(s, pos, tags, content, attrs), 0);
  EXPECT_EQ(attrs, "id=1");
  EXPECT_EQ(content, "<cap>A<b>B</b></cap><pos x=1 />");
  EXPECT_EQ(pos, static_cast<int>(s.size()) + 1);
  EXPECT_EQ(ReadNextTagInString(s, pos, tags, content, attrs), 4);

  int tagPos = -1;
  EXPECT_EQ(DetectNextTagInString(s, 22, tags, tagPos), 0);
  EXPECT_EQ(tagPos, 22);
  EXPECT_EQ(DetectNextTagInString(s, 23, tags, tagPos), 1);
  EXPECT_EQ(tagPos, 32);
  EXPECT_EQ(DetectNextTagInString(s, 62, tags, tagPos), 3);
  EXPECT_EQ(tagPos, 63);
  EXPECT_EQ(DetectNextTagInString(s, 64, tags, tagPos), 4);
  EXPECT_EQ(tagPos, 0);
  pos = 32;
  EXPECT_EQ(ReadNextTagInString(s, pos, tags, content, attrs), 1);
  EXPECT_EQ(content, "A<b>B</b>");
  EXPECT_EQ(ReadNextTagInString(s, pos, tags, content, attrs), 2);
  EXPECT_EQ(attrs, "x=1");
}

// ---------------------------------------------------------------- substitution
TEST(StringlScramble, Permutation) {
  for (uint32_t seed : {1u, 4711u, 123456789u, 0u}) {
    InitScramble(seed);
    std::string all;
    for (char32_t c = 1; c < 256; ++c) {
      if (c < 0x80)
        all += static_cast<char>(c);
      else {
        all += static_cast<char>(0xC0 | (c >> 6));
        all += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    const std::string sc = Scramble(all);
    EXPECT_NE(sc, all);
    EXPECT_EQ(DeScramble(sc), all);
    // The image of 1..255 is 1..255 again, every code once.
    std::set<std::string> images;
    size_t i = 0;
    while (i < sc.size()) {
      const size_t len = static_cast<unsigned char>(sc[i]) < 0x80 ? 1 : 2;
      images.insert(sc.substr(i, len));
      i += len;
    }
    EXPECT_EQ(images.size(), 255u);
    EXPECT_EQ(images.count(std::string(1, '\0')), 0u);
  }
  InitScramble(99);
  const std::string a = Scramble("Hello");
  InitScramble(99);
  EXPECT_EQ(Scramble("Hello"), a);
  // Code 0 and characters above 255 are left alone.
  const std::string odd = std::string("\0", 1) + "\xe2\x82\xac";
  EXPECT_EQ(Scramble(odd), odd);
  std::mt19937 rng(7);
  for (int k = 0; k < 200; ++k) {
    std::string s;
    for (int j = 0; j < 30; ++j) s += static_cast<char>(0x20 + rng() % 0x5F);
    s += "\xc3\xa4\xe2\x82\xac";
    EXPECT_EQ(DeScramble(Scramble(s)), s);
  }
  InitScramble(4711);
}

// ---------------------------------------------------------------- TGrep
namespace {

std::unique_ptr<TGrep> MakeGrep() {
  auto g = std::make_unique<TGrep>(nullptr);
  g->SetName("grep1");
  g->SetStopOnError(false);
  return g;
}

}  // namespace

TEST(StringlGrep, CompileTokens) {
  auto g = MakeGrep();
  EXPECT_EQ(g->CompileRegExp("ab*"), 0);
  ASSERT_EQ(g->NrTokens(), 2);
  TGrepToken t = g->GetRegExpToken(1);
  EXPECT_EQ(t.Action, taNormal);
  EXPECT_EQ(t.Count, 1);
  EXPECT_EQ(t.Table[1], 'a');
  t = g->GetRegExpToken(2);
  EXPECT_EQ(t.Action, taMult0);
  EXPECT_EQ(t.Count, 1);
  EXPECT_EQ(t.Table[1], 'b');
  EXPECT_EQ(g->GetRegExpToken(0).Action, taNormal);  // clamped to 1
  EXPECT_EQ(g->GetRegExpToken(99).Action, taMult0);  // clamped to the count

  EXPECT_EQ(g->CompileRegExp("^x.[a-c]+(ab)?$"), 0);
  ASSERT_EQ(g->NrTokens(), 6);
  EXPECT_EQ(g->GetRegExpToken(1).Action, taBol);
  EXPECT_EQ(g->GetRegExpToken(3).Action, taAnyByte);
  t = g->GetRegExpToken(4);
  EXPECT_EQ(t.Action, taMult1);
  EXPECT_EQ(t.Count, -1);
  EXPECT_EQ(t.Table[static_cast<int>('b')], '*');
  EXPECT_EQ(t.Table[static_cast<int>('d')], ' ');
  t = g->GetRegExpToken(5);
  EXPECT_EQ(t.Action, taOpti);
  EXPECT_EQ(t.Count, 2);
  EXPECT_EQ(g->GetRegExpToken(6).Action, taEol);
  // A reversed range and a negated set.
  EXPECT_EQ(g->CompileRegExp("[^z-x]"), 0);
  t = g->GetRegExpToken(1);
  EXPECT_EQ(t.Table[static_cast<int>('y')], ' ');
  EXPECT_EQ(t.Table[static_cast<int>('a')], '*');
  EXPECT_EQ(t.Table[0], '*');
  // ".*" repeats any character.
  EXPECT_EQ(g->CompileRegExp(".*"), 0);
  EXPECT_EQ(g->GetRegExpToken(1).Count, 0);
}

TEST(StringlGrep, CompileErrors) {
  auto g = MakeGrep();
  const std::pair<const char*, int> cases[] = {
      {"a**", 9}, {"[]", 4},   {"*a", 1},   {"$", 1},    {"+", 1},     {"a$b", 3},  {"a^", 2},
      {"[a^]", 5}, {"[-a]", 7}, {"[a-c-e]", 7}, {"a]", 6}, {"a)", 8},   {"[abc", 6}, {"(ab", 8},
      {"^*", 9},  {"(a^)", 2}, {"()", 8},   {"[^]", 4},  {"a\\", 0},   {"[a-]", 0}, {"a?+", 9},
  };
  for (const auto& [pat, code] : cases) EXPECT_EQ(g->CompileRegExp(pat), code) << pat;
  // The table limits: 64 tokens, strings of 255 bytes.
  std::string p64, p66;
  for (int i = 0; i < 32; ++i) p64 += "a.";
  p66 = p64 + "a.";
  EXPECT_EQ(g->CompileRegExp(p64), 0);
  EXPECT_EQ(g->NrTokens(), 64);
  EXPECT_EQ(g->CompileRegExp(p66), 10);
  EXPECT_EQ(g->CompileRegExp(std::string(255, 'a')), 0);
  EXPECT_EQ(g->CompileRegExp(std::string(256, 'a')), 11);
  EXPECT_EQ(g->CompileRegExp("(" + std::string(256, 'a') + ")"), 11);
  int pos;
  EXPECT_FALSE(g->MatchString("aaa", pos));  // a failed pattern matches nothing
}

TEST(StringlGrep, SetRegExpRaises) {
  TComponent owner(nullptr);
  auto* g = new TGrep(&owner);
  g->SetName("grep1");
  EXPECT_TRUE(g->StopOnError());
  try {
    g->SetRegExp("[]");
    FAIL() << "no exception";
  } catch (const EZOLStringlError& e) {
    EXPECT_STREQ(e.what(), "Component \"grep1\": error in regular expression - empty set");
  }
  EXPECT_EQ(g->ErrorCode(), 4);
  g->SetStopOnError(false);
  EXPECT_NO_THROW(g->SetRegExp("a**"));
  EXPECT_EQ(g->ErrorCode(), 9);
  g->SetRegExp("ok");
  EXPECT_EQ(g->ErrorCode(), 0);
}

TEST(StringlGrep, Matching) {
  auto g = MakeGrep();
  int pos = -1;
  struct Case {
    const char* pattern;
    const char* subject;
    bool match;
    int start, end;
  };
  const Case cases[] = {
      {"b+c", "aabbbcd", true, 3, 6},
      {"^ab", "xab", false, 0, 0},
      {"^ab", "abx", true, 1, 2},
      {"c$", "abc", true, 3, 3},
      {"c$", "abcd", false, 0, 0},
      {"a.c", "xxabc", true, 3, 5},
      {"a.", "a", false, 0, 0},
      {"[0-9]+", "abc123def", true, 4, 6},
      {"x[0-9]*y", "x12y", true, 1, 4},
      {"x[0-9]*y", "xy", true, 1, 2},
      {"colou?r", "color", true, 1, 5},
      {"colou?r", "the colour", true, 5, 10},
      {"colou?r", "colouur", false, 0, 0},
      {"(ab)+c", "xababc", true, 2, 6},
      {"[^a-c]", "abcd", true, 4, 4},
      {".*", "", true, 1, 0},
      {".*", "abc", true, 1, 3},
      {"a*", "bbb", true, 1, 0},
      {"ab*", "a", true, 1, 1},
      {"ab*", "abbb", true, 1, 4},
      {"b.*d", "abcdbd", true, 2, 4},  // shortest first for a repeat that is not last
      {"a\\.b", "axb a.b", true, 5, 7},
      {"\\#2A", "a*b", true, 2, 2},
      {"\\# $41b", "xAb", true, 2, 3},
      {"^$", "", true, 1, 0},
      {"^$", "x", false, 0, 0},
      {"ab", "", false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " / " + c.subject);
    ASSERT_EQ(g->CompileRegExp(c.pattern), 0);
    EXPECT_EQ(g->MatchString(c.subject, pos), c.match);
    if (c.match) {
      EXPECT_EQ(pos, c.start);
      EXPECT_EQ(g->MatchStart(), c.start);
      EXPECT_EQ(g->MatchEnd(), c.end);
      EXPECT_EQ(g->GetRegExpToken(1).MatchPos, c.start);
    }
  }
}

TEST(StringlGrep, CaseAndStartPosition) {
  auto g = MakeGrep();
  int pos;
  g->SetRegExp("HeLLo");
  EXPECT_FALSE(g->MatchString("say hello", pos));
  g->SetIgnoreCase(true);  // recompiles the pattern lower-cased
  EXPECT_EQ(g->GetRegExpToken(1).Table[1], 'h');
  EXPECT_TRUE(g->MatchString("say HELLO", pos));
  EXPECT_EQ(pos, 5);
  g->SetRegExp("\\#41");  // a hex escape in ignore-case mode is folded too
  EXPECT_TRUE(g->MatchString("xa", pos));
  g->SetIgnoreCase(false);
  g->SetRegExp("ab");
  g->SetSearchStartPos(3);
  EXPECT_TRUE(g->MatchString("abxab", pos));
  EXPECT_EQ(pos, 4);
  g->SetSearchStartPos(5);
  EXPECT_FALSE(g->MatchString("abxab", pos));
  g->SetSearchStartPos(-3);
  EXPECT_EQ(g->SearchStartPos(), 1);
  // A pattern compiled directly becomes the current one and survives a change of IgnoreCase.
  g->CompileRegExp("X+");
  EXPECT_EQ(g->RegExp(), "X+");
  g->SetIgnoreCase(true);
  EXPECT_TRUE(g->MatchString("axxb", pos));
  EXPECT_EQ(g->MatchEnd(), 3);
}

TEST(StringlGrep, BacktrackingStaysPolynomial) {
  // Nested repeats over a long subject that does not match would take
  // exponential time without remembering failed (token, position) pairs.
  auto g = MakeGrep();
  ASSERT_EQ(g->CompileRegExp("a*a*a*a*a*a*a*a*a*a*a*a*b"), 0);
  int pos;
  EXPECT_FALSE(g->MatchString(std::string(400, 'a'), pos));
  EXPECT_TRUE(g->MatchString(std::string(400, 'a') + "b", pos));
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(g->MatchEnd(), 401);
}

TEST(StringlGrep, PrintTokenTable) {
  auto g = MakeGrep();
  g->SetRegExp("ab*[x-z].?(cd)+");
  const std::string path = GetTempDirectory() + "zol_stringl_grep.txt";
  g->PrintRegExp(path);
  std::ifstream f(path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(f, l);) lines.push_back(l);
  const std::vector<std::string> expect = {" taNormal: a", "  taMult0: (string) b", "    taSet: xyz",
                                           "   taOpti: (anychar) ", "  taMult1: (string) cd", "no errors"};
  EXPECT_EQ(lines, expect);
  g->SetRegExp("[a");
  g->PrintRegExp(path);
  std::ifstream f2(path);
  std::string last;
  for (std::string l; std::getline(f2, l);) last = l;
  EXPECT_EQ(last, "mismatch of set brackets");
  DeleteFile(path);
}

// Random patterns and subjects: compiling and matching never crash or hang.
TEST(StringlGrep, FuzzPatterns) {
  auto g = MakeGrep();
  std::mt19937 rng(424242);
  const std::string alphabet = "ab.*+?[]^$()-\\#41 z";
  int pos;
  for (int iter = 0; iter < 3000; ++iter) {
    std::string pat, subj;
    const int pn = static_cast<int>(rng() % 12);
    for (int i = 0; i < pn; ++i) pat += alphabet[rng() % alphabet.size()];
    const int sn = static_cast<int>(rng() % 40);
    for (int i = 0; i < sn; ++i) subj += "abz*.-"[rng() % 6];
    g->SetIgnoreCase((iter & 1) != 0);
    const int err = g->CompileRegExp(pat);
    ASSERT_GE(err, 0);
    ASSERT_LE(err, 11);
    g->SetSearchStartPos(1 + static_cast<int>(rng() % 3));
    if (g->MatchString(subj, pos)) {
      ASSERT_GE(pos, 1);
      ASSERT_LE(pos, static_cast<int>(subj.size()) + 1);
      ASSERT_GE(g->MatchEnd(), pos - 1);
      ASSERT_LE(g->MatchEnd(), static_cast<int>(subj.size()));
    }
  }
}
