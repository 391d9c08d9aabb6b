// Tests of the tagged-text reader and the stream helpers.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "base/Zol_streams.h"

using namespace zol;

namespace {

std::string Rest(TStream& s) {
  std::string r;
  char c;
  while (s.Read(&c, 1) == 1) r += c;
  return r;
}

std::string TempPath(const std::string& name) { return GetTempDirectory() + "zol_streams_" + name; }

const std::vector<std::string> kTags = {"font", "caption", "posxy", "/record", "record", "none"};

const char* kRecord =
    "<?xml version=\"1.0\"?>\n"
    "\n"
    "<!-- TCustomTextLabel / ZOL Component Suite -->\n"
    "<record sig=\"ZOLCSuite\" vers=\"1.0\" id=\"lbl1\">\n"
    "  <font name=\"Arial\" size=10 />\n"
    "  <caption>Hello <b>bold</b> world</caption>\n"
    "  <posxy x=12 y=7 />\n"
    "  <unknown a=1 />\n"
    "</record>\n";

// Walks kRecord with a reader and checks every step; used for the stream and
// the text-file variant alike.
template <class ReadFn>
void WalkRecord(ReadFn read) {
  std::string content, attrs;
  // The xml declaration and the comment are reported by their names (not in
  // the list) and must not swallow the record.
  EXPECT_EQ(read(content, attrs), 5);
  EXPECT_EQ(content, "");
  EXPECT_EQ(read(content, attrs), 5);
  EXPECT_EQ(content, "");
  // The record's start tag reads the whole record as its content.
  EXPECT_EQ(read(content, attrs), 4);
  EXPECT_EQ(attrs, "sig=\"ZOLCSuite\" vers=\"1.0\" id=\"lbl1\"");
  EXPECT_NE(content.find("<caption>Hello <b>bold</b> world</caption>"), std::string::npos);
  EXPECT_EQ(content.substr(content.size() - 18), "  <unknown a=1 />\n");
  // The record was consumed up to its end tag: nothing is left.
  EXPECT_EQ(read(content, attrs), 5);
  EXPECT_EQ(content, "");
  EXPECT_EQ(attrs, "");
}

}  // namespace

// ---------------------------------------------------------------- tag reader
TEST(StreamsTagReader, ElementsOfARecord) {
  TStringStream s(
      "  <font name=\"Arial\" size=10 />\n"
      "  <caption>Hello <b>bold</b> world</caption>\n"
      "  <POSXY x=12 y=7 />\n"
      "  <unknown a=1 />\n"
      "</record>\n");
  std::string content, attrs;
  EXPECT_EQ(ReadNextTagInStream(s, kTags, content, attrs), 0);
  EXPECT_EQ(attrs, "name=\"Arial\" size=10");
  EXPECT_EQ(content, "");
  EXPECT_EQ(ReadNextTagInStream(s, kTags, content, attrs), 1);
  EXPECT_EQ(content, "Hello <b>bold</b> world");
  EXPECT_EQ(attrs, "");
  EXPECT_EQ(ReadNextTagInStream(s, kTags, content, attrs), 2);  // names are matched case-insensitively
  EXPECT_EQ(attrs, "x=12 y=7");
  EXPECT_EQ(ReadNextTagInStream(s, kTags, content, attrs), 5);  // not in the list
  EXPECT_EQ(ReadNextTagInStream(s, kTags, content, attrs), 3);  // the record's end tag
  EXPECT_EQ(ReadNextTagInStream(s, kTags, content, attrs), 5);  // end of input
  EXPECT_EQ(ReadNextTagInStream(s, kTags, content, attrs), 5);
}

TEST(StreamsTagReader, StreamStopsBehindTheElement) {
  TStringStream s("<caption>a<i>b</i></CAPTION>tail<posxy x=1 />");
  std::string content, attrs;
  EXPECT_EQ(ReadNextTagInStream(s, kTags, content, attrs), 1);
  EXPECT_EQ(content, "a<i>b</i>");
  EXPECT_EQ(Rest(s), "tail<posxy x=1 />");
}

TEST(StreamsTagReader, DeclarationAndCommentsAreNotStartTags) {
  TStringStream s(kRecord);
  WalkRecord([&](std::string& c, std::string& a) { return ReadNextTagInStream(s, kTags, c, a); });

  // A comment holding '>' and markup is skipped as a whole.
  TStringStream s2("<!-- a > b <caption>x</caption> --><posxy x=1 />");
  std::string content, attrs;
  EXPECT_EQ(ReadNextTagInStream(s2, kTags, content, attrs), 5);
  EXPECT_EQ(ReadNextTagInStream(s2, kTags, content, attrs), 2);
  EXPECT_EQ(attrs, "x=1");
}

TEST(StreamsTagReader, TextFileVariant) {
  const std::string path = TempPath("record.xml");
  {
    std::ofstream f(path, std::ios::binary);
    f << kRecord;
  }
  TextFile tf;
  AssignFile(tf, path);
  Reset(tf);
  WalkRecord([&](std::string& c, std::string& a) { return ReadNextTagInTextFile(tf, kTags, c, a); });
  CloseFile(tf);
  {
    // A file stream: the reader gives back what it read ahead.
    TFileStream fs(path, fmOpenRead);
    WalkRecord([&](std::string& c, std::string& a) { return ReadNextTagInStream(fs, kTags, c, a); });
  }
  DeleteFile(path);
}

TEST(StreamsTagReader, LongContentAndReadAhead) {
  const std::string big(20000, 'q');
  const std::string path = TempPath("long.xml");
  {
    std::ofstream f(path, std::ios::binary);
    f << "<caption>" << big << "</caption>\nline two\n<posxy x=5 />";
  }
  TFileStream fs(path, fmOpenRead);
  std::string content, attrs;
  EXPECT_EQ(ReadNextTagInStream(fs, kTags, content, attrs), 1);
  EXPECT_EQ(content, big);
  bool eos = true;
  EXPECT_EQ(ReadLnStream(fs, eos, 0), "");
  EXPECT_EQ(ReadLnStream(fs, eos, 0), "line two");
  EXPECT_FALSE(eos);
  EXPECT_EQ(fs.Position(), 20000 + 9 + 10 + 10);
  EXPECT_EQ(ReadNextTagInStream(fs, kTags, content, attrs), 2);
  EXPECT_EQ(attrs, "x=5");
  EXPECT_EQ(fs.Position(), fs.Size());
  DeleteFile(path);
}

TEST(StreamsTagReader, OddTags) {
  std::string content, attrs;
  // An empty element without attributes is accepted.
  TStringStream s1("<posxy/><font  size=3  />");
  EXPECT_EQ(ReadNextTagInStream(s1, kTags, content, attrs), 2);
  EXPECT_EQ(attrs, "");
  EXPECT_EQ(ReadNextTagInStream(s1, kTags, content, attrs), 0);
  EXPECT_EQ(attrs, "size=3");
  // A start tag without end tag takes the rest of the input.
  TStringStream s2("<caption>never closed <posxy x=1 />");
  EXPECT_EQ(ReadNextTagInStream(s2, kTags, content, attrs), 1);
  EXPECT_EQ(content, "never closed <posxy x=1 />");
  // A tag cut off by the end of the input counts as the end.
  TStringStream s3("text <caption");
  EXPECT_EQ(ReadNextTagInStream(s3, kTags, content, attrs), 5);
  // An empty list gives -1.
  TStringStream s4("<a>");
  EXPECT_EQ(ReadNextTagInStream(s4, {}, content, attrs), -1);
  // Latin-1 bytes in the content become UTF-8.
  TStringStream s5("<caption>Gr\xfc\xdf" "e</caption>");
  EXPECT_EQ(ReadNextTagInStream(s5, kTags, content, attrs), 1);
  EXPECT_EQ(content, "Gr\xc3\xbc\xc3\x9f" "e");
}

TEST(StreamsTagReader, AttributeScanner) {
  const std::string a = "x=12 y=\"a b\" Z=3";
  EXPECT_EQ(ScanForXMLAttrib(a, "x"), "12");
  EXPECT_EQ(ScanForXMLAttrib(a, "y"), "a b");
  EXPECT_EQ(ScanForXMLAttrib(a, "z"), "3");
  EXPECT_EQ(ScanForXMLAttrib(a, "Z"), "3");
  EXPECT_EQ(ScanForXMLAttrib(a, "w"), "");
  EXPECT_EQ(ScanForXMLAttrib("name = \"with = sign\" col=$FF00", "name"), "with = sign");
  EXPECT_EQ(ScanForXMLAttrib("name = \"with = sign\" col=$FF00", "col"), "$FF00");
  EXPECT_EQ(ScanForXMLAttrib("a=\"\" b=2", "a"), "");
  EXPECT_EQ(ScanForXMLAttrib("a=\"\" b=2", "b"), "2");
  // Syntax errors end the scan.
  EXPECT_EQ(ScanForXMLAttrib("a==1 b=2", "b"), "");
  EXPECT_EQ(ScanForXMLAttrib("\"a\"=1 b=2", "b"), "");
  EXPECT_EQ(ScanForXMLAttrib("a=1=2 b=2", "b"), "");
  // A value running to the end of the text.
  EXPECT_EQ(ScanForXMLAttrib("a=\"open", "a"), "open");
  EXPECT_EQ(ScanForXMLAttrib("", "a"), "");
}

TEST(StreamsTagReader, ScanForTagAndTagLists) {
  TStringStream s("<a><x k=1>in<x>ner</x> tail</x><y v=2/></a>");
  std::string attrs, content;
  EXPECT_TRUE(ScanStreamForXMLTag(s, "X", attrs, content));
  EXPECT_EQ(attrs, "k=1");
  EXPECT_EQ(content, "in<x>ner");  // the first end tag closes the element
  EXPECT_TRUE(ScanStreamForXMLTag(s, "y", attrs, content));
  EXPECT_EQ(attrs, "v=2");
  EXPECT_EQ(content, "");
  EXPECT_FALSE(ScanStreamForXMLTag(s, "y", attrs, content));
  EXPECT_EQ(attrs, "");

  TStringStream t("head <Caption>text</caption> more </RECORD> after");
  int ix = 99;
  EXPECT_EQ(ReadStreamUntilTagList(t, {"</record>", "", "<caption"}, ix), "head <Caption");
  EXPECT_EQ(ix, 2);
  EXPECT_EQ(ReadStreamUntilTagList(t, {"</record>", "<caption"}, ix), ">text</caption> more </RECORD>");
  EXPECT_EQ(ix, 0);
  EXPECT_EQ(ReadStreamUntilTagList(t, {"</record>"}, ix), " after");
  EXPECT_EQ(ix, -1);
}

TEST(StreamsTagReader, ExtractElements) {
  TStringStream s("<r><keep a=1/>x<drop>y</drop><KEEP>z<i/></KEEP><other/></r>");
  TMemoryStream target;
  TStringList names;
  names.Add("keep");
  names.Add("other");
  EXPECT_EQ(ExtractFromStream(s, target, names), 3);
  target.SetPosition(0);
  EXPECT_EQ(Rest(target), "<keep a=1/>\r\n<KEEP>z<i/></KEEP>\r\n<other/>\r\n");
}

TEST(StreamsTagReader, SearchAndReplace) {
  TStringStream src("one Two one ONE one. stop one");
  TMemoryStream dst;
  EXPECT_EQ(SearchAndReplace(src, dst, "one", "1", false, 1, 0, "", nullptr), 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dst.Memory()), dst.Size()), "1 Two 1 ONE 1. stop 1");
  EXPECT_EQ(SearchAndReplace(src, dst, "one", "1", true, 2, 2, "stop", nullptr), 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dst.Memory()), dst.Size()), "one Two 1 1 one. stop one");
  int calls = 0;
  auto upper = [&](const std::string& m) {
    ++calls;
    return "[" + m + "]";
  };
  EXPECT_EQ(SearchAndReplace(src, dst, "ONE", "", true, 0, -1, "", upper), 5);
  EXPECT_EQ(calls, 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dst.Memory()), dst.Size()),
            "[one] Two [one] [ONE] [one]. stop [one]");
  // Replacement text holding the search text does not loop.
  EXPECT_EQ(SearchAndReplace(src, dst, "o", "oo", false, 1, 0, "", nullptr), 6);
  EXPECT_EQ(SearchAndReplace(src, dst, "", "x", false, 1, 0, "", nullptr), 0);
  EXPECT_EQ(dst.Size(), src.Size());
}

// ---------------------------------------------------------------- number scanners
TEST(StreamsNumbers, FloatingPointScanner) {
  {
    TStringStream s("1,5;");
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s, true, 3), 1.5);
    EXPECT_EQ(Rest(s), ";");
  }
  {
    TStringStream s("1,x");
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s, true, 3), 1.0);
    EXPECT_EQ(Rest(s), "x");
  }
  {
    TStringStream s("\t -0.5e3 7");
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s, true, 1), -500.0);
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s, true, 1), 7.0);
  }
  {
    TStringStream s("1e5000 -1E+999 1e-5000");
    EXPECT_EQ(ScanStreamFPNum(s, true, 1), 1.7e308);
    EXPECT_EQ(ScanStreamFPNum(s, true, 1), -1.7e308);
    EXPECT_EQ(ScanStreamFPNum(s, true, 1), 0.0);
  }
  {
    // Without exponent the 'E' ends the number.
    TStringStream s("2.5E3");
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s, false, 1), 2.5);
    EXPECT_EQ(Rest(s), "E3");
  }
  {
    // Separator selection: ',' is not a separator with 1, '.' not with 2.
    TStringStream s1("3,25");
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s1, true, 1), 3.0);
    TStringStream s2("3.25");
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s2, true, 2), 3.0);
    TStringStream s3("3.25");
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s3, true, 0), 3.0);
  }
  {
    // Errors give 0 and leave the offending byte for the next reader.
    TStringStream s("x");
    EXPECT_EQ(ScanStreamFPNum(s, true, 1), 0.0);
    EXPECT_EQ(Rest(s), "x");
    TStringStream s2("--1");
    EXPECT_EQ(ScanStreamFPNum(s2, true, 1), 0.0);
    EXPECT_EQ(Rest(s2), "-1");
    TStringStream s3("1e+x");
    EXPECT_EQ(ScanStreamFPNum(s3, true, 1), 0.0);
    EXPECT_EQ(Rest(s3), "x");
  }
  {
    // A number at the very end: nothing is read twice.
    TStringStream s("12 34");
    EXPECT_EQ(ScanStreamFPNum(s, true, 1), 12.0);
    EXPECT_EQ(ScanStreamFPNum(s, true, 1), 34.0);
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(ScanStreamFPNum(s, true, 1), 0.0);
    EXPECT_EQ(s.Position(), 5);
  }
  {
    TStringStream s(".5 -.25");
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s, true, 1), 0.5);
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s, true, 1), -0.25);
  }
}

TEST(StreamsNumbers, DecimalScanner) {
  TStringStream s("   -123x+45 7");
  EXPECT_EQ(ScanStreamDecimal(s), -123);
  EXPECT_EQ(ScanStreamDecimal(s), 45);  // the 'x' was consumed with -123
  EXPECT_EQ(ScanStreamDecimal(s), 7);
  EXPECT_EQ(ScanStreamDecimal(s), 0);
  // Saturation instead of overflow.
  TStringStream big("2147483647 2147483648 -2147483648 -99999999999999999999999 99999999999999999999;");
  EXPECT_EQ(ScanStreamDecimal(big), INT_MAX);
  EXPECT_EQ(ScanStreamDecimal(big), INT_MAX);
  EXPECT_EQ(ScanStreamDecimal(big), INT_MIN);
  EXPECT_EQ(ScanStreamDecimal(big), INT_MIN);
  EXPECT_EQ(ScanStreamDecimal(big), INT_MAX);
  EXPECT_EQ(Rest(big), "");
}

// ---------------------------------------------------------------- binary numbers
namespace {

struct ExtRef {
  std::string literal;
  uint8_t bytes[10];
};

std::vector<ExtRef> LoadExtendedRef() {
  std::vector<ExtRef> refs;
  std::ifstream f(ZOL_TEST_SRC_DIR "/data/extended_ref.txt");
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream is(line);
    ExtRef r;
    std::string hex;
    is >> r.literal >> hex;
    for (int i = 0; i < 10; ++i) r.bytes[i] = static_cast<uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    refs.push_back(r);
  }
  return refs;
}

}  // namespace

TEST(StreamsBinary, ExtendedAgainstReferenceBytes) {
  const auto refs = LoadExtendedRef();
  ASSERT_EQ(refs.size(), 25u);
  for (const auto& r : refs) {
    SCOPED_TRACE(r.literal);
    const long double v = std::strtold(r.literal.c_str(), nullptr);
    uint8_t b[10];
    ExtendedToBytes(v, b);
    EXPECT_EQ(0, std::memcmp(b, r.bytes, 10));
    const long double back = BytesToExtended(r.bytes);
    EXPECT_EQ(std::signbit(back), std::signbit(v));
    if (!std::isnan(v)) {
      EXPECT_TRUE(back == v);
    }
    // Through a stream.
    TMemoryStream s;
    WriteExtendedToStream(s, v);
    ASSERT_EQ(s.Size(), 10);
    EXPECT_EQ(0, std::memcmp(s.Memory(), r.bytes, 10));
    s.SetPosition(0);
    bool err = true;
    EXPECT_TRUE(ReadExtendedFromStream(s, err) == v);
    EXPECT_FALSE(err);
  }
}

#if defined(__x86_64__) && LDBL_MANT_DIG == 64
// On x86-64 the host's long double is the 80-bit format itself: its memory
// image is an independent reference.
TEST(StreamsBinary, ExtendedAgainstHostLongDouble) {
  std::mt19937_64 rng(12345);
  for (int i = 0; i < 20000; ++i) {
    uint8_t raw[16] = {};
    uint64_t m = rng();
    unsigned se = static_cast<unsigned>(rng() & 0xFFFF);
    if (i % 4 == 0) se = (se & 0x8000) | (se & 0x000F);               // denormal and tiny range
    if ((se & 0x7FFF) != 0) m |= 0x8000000000000000ull;               // normal numbers carry the integer bit
    else m &= 0x7FFFFFFFFFFFFFFFull;
    if ((se & 0x7FFF) == 0x7FFF) se &= 0xBFFF;                         // keep away from inf/nan here
    std::memcpy(raw, &m, 8);
    raw[8] = static_cast<uint8_t>(se);
    raw[9] = static_cast<uint8_t>(se >> 8);
    long double host;
    std::memcpy(&host, raw, sizeof host);
    SCOPED_TRACE(i);
    long double ours = BytesToExtended(raw);
    ASSERT_TRUE(ours == host || (std::isnan(ours) && std::isnan(host)));
    ASSERT_EQ(std::signbit(ours), std::signbit(host));
    uint8_t back[10];
    ExtendedToBytes(host, back);
    ASSERT_EQ(0, std::memcmp(back, raw, 10));
  }
  // Infinities, extremes and zeros.
  const long double edgeValues[] = {HUGE_VALL, -HUGE_VALL, LDBL_MAX, -LDBL_MIN, LDBL_TRUE_MIN, 0.0L, -0.0L};
  for (long double v : edgeValues) {
    uint8_t b[10], raw[16] = {};
    std::memcpy(raw, &v, sizeof v);
    ExtendedToBytes(v, b);
    EXPECT_EQ(0, std::memcmp(b, raw, 10));
  }
}
#endif

// Every double is exactly representable in the 80-bit format: its fields
// follow from the IEEE bit pattern (exponent rebiased from 1023 to 16383, the
// 52 fraction bits below an explicit integer bit).
TEST(StreamsBinary, ExtendedFromIeeeDoubles) {
  std::mt19937_64 rng(777);
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = rng();
    if (i % 5 == 0) bits &= 0x800FFFFFFFFFFFFFull;  // subnormal doubles
    const unsigned expD = static_cast<unsigned>((bits >> 52) & 0x7FF);
    if (expD == 0x7FF) continue;
    double d;
    std::memcpy(&d, &bits, 8);
    uint64_t frac = bits & 0xFFFFFFFFFFFFFull;
    uint64_t mant = 0;
    unsigned expE = 0;
    if (expD != 0) {
      mant = (1ull << 63) | (frac << 11);
      expE = expD - 1023 + 16383;
    } else if (frac != 0) {
      int e = -1022;
      while ((frac & (1ull << 52)) == 0) {
        frac <<= 1;
        --e;
      }
      mant = frac << 11;
      expE = static_cast<unsigned>(e + 16383);
    }
    uint8_t expect[10];
    for (int k = 0; k < 8; ++k) expect[k] = static_cast<uint8_t>(mant >> (8 * k));
    const unsigned se = expE | ((bits >> 63) != 0 ? 0x8000u : 0u);
    expect[8] = static_cast<uint8_t>(se);
    expect[9] = static_cast<uint8_t>(se >> 8);
    uint8_t b[10];
    ExtendedToBytes(static_cast<long double>(d), b);
    ASSERT_EQ(0, std::memcmp(b, expect, 10)) << i;
    const double back = static_cast<double>(BytesToExtended(expect));
    uint64_t backBits;
    std::memcpy(&backBits, &back, 8);
    ASSERT_EQ(backBits, bits) << i;
  }
}

TEST(StreamsBinary, ExtendedOddValuesAndShortStreams) {
  uint8_t b[10];
  ExtendedToBytes(std::nanl(""), b);
  EXPECT_TRUE(std::isnan(BytesToExtended(b)));
  EXPECT_EQ(b[9] & 0x7F, 0x7F);
  // An "unnormal" (exponent set, integer bit clear) is not a number.
  const uint8_t unnormal[10] = {0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F};
  EXPECT_TRUE(std::isnan(BytesToExtended(unnormal)));

  TMemoryStream s;
  s.WriteBuffer("123456789", 9);
  s.SetPosition(0);
  bool err = false;
  EXPECT_EQ(ReadExtendedFromStream(s, err), 0.0L);
  EXPECT_TRUE(err);
}

TEST(StreamsBinary, Longint) {
  TMemoryStream s;
  WriteLongintToStream(s, 0x12345678);
  WriteLongintToStream(s, -2);
  WriteLongintToStream(s, INT32_MIN);
  const uint8_t expect[12] = {0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80};
  ASSERT_EQ(s.Size(), 12);
  EXPECT_EQ(0, std::memcmp(s.Memory(), expect, 12));
  s.SetPosition(0);
  bool err = true;
  EXPECT_EQ(ReadLongintFromStream(s, err), 0x12345678);
  EXPECT_FALSE(err);
  EXPECT_EQ(ReadLongintFromStream(s, err), -2);
  EXPECT_EQ(ReadLongintFromStream(s, err), INT32_MIN);
  EXPECT_FALSE(err);
  EXPECT_EQ(ReadLongintFromStream(s, err), 0);
  EXPECT_TRUE(err);
  s.SetPosition(10);
  EXPECT_EQ(ReadLongintFromStream(s, err), 0);
  EXPECT_TRUE(err);
}

// ---------------------------------------------------------------- text helpers
TEST(StreamsText, ReadLnModes) {
  bool eos = false;
  {
    TStringStream s("a\rb\nc\r\nrest");
    EXPECT_EQ(ReadLnStream(s, eos, 4), "abc");
    EXPECT_FALSE(eos);
    EXPECT_EQ(ReadLnStream(s, eos, 4), "rest");
    EXPECT_TRUE(eos);
  }
  {
    TStringStream s("l1\r\nl2\nl3");
    EXPECT_EQ(ReadLnStream(s, eos, 0), "l1");
    EXPECT_EQ(ReadLnStream(s, eos, 0), "l2");
    EXPECT_FALSE(eos);
    EXPECT_EQ(ReadLnStream(s, eos, 0), "l3");
    EXPECT_TRUE(eos);
  }
  {
    TStringStream s("a\nb\rc\n\rd");
    EXPECT_EQ(ReadLnStream(s, eos, 1), "ab");
    EXPECT_EQ(ReadLnStream(s, eos, 2), "c");
    EXPECT_EQ(ReadLnStream(s, eos, 2), "");
    EXPECT_EQ(ReadLnStream(s, eos, 2), "d");
  }
  {
    TStringStream s("a\r\nb\n\rc");
    EXPECT_EQ(ReadLnStream(s, eos, 3), "ab");
    EXPECT_EQ(ReadLnStream(s, eos, 3), "c");
    EXPECT_TRUE(eos);
  }
  {
    TStringStream s("a\tb\x01\nc");
    EXPECT_EQ(ReadLnStream(s, eos, 9), "a\tbc");  // this mode never ends a line
    EXPECT_TRUE(eos);
  }
  {
    TStringStream s("");
    EXPECT_EQ(ReadLnStream(s, eos, 0), "");
    EXPECT_TRUE(eos);
  }
}

TEST(StreamsText, WritersAndWholeStream) {
  TMemoryStream s;
  WriteStringStream(s, "ab");
  WriteLnStream(s, "c\xc3\xa4");
  WriteStringStream(s, "");
  WriteLnStream(s, "");
  ASSERT_EQ(s.Size(), 9);
  EXPECT_EQ(0, std::memcmp(s.Memory(), "abc\xc3\xa4\r\n\r\n", 9));
  s.SetPosition(1);
  EXPECT_EQ(StreamAsString(s), "bc\xc3\xa4\r\n\r\n");
  EXPECT_EQ(StreamAsString(s), "");
  s.SetPosition(0);
  EXPECT_EQ(CountLinesInStream(s), 2);
  EXPECT_EQ(s.Position(), 9);
  s.SetPosition(0);
  EXPECT_TRUE(FindInStream(s, '\n'));
  EXPECT_EQ(s.Position(), 7);
  EXPECT_TRUE(FindInStream(s, '\n'));
  EXPECT_FALSE(FindInStream(s, '\n'));
  EXPECT_EQ(s.Position(), 9);
}

TEST(StreamsText, ReadUntilDelimiter) {
  // The delimiter straddles the 256-byte block boundary.
  std::string data(254, 'x');
  data += "EnD-mark";
  data += std::string(300, 'y');
  TStringStream s(data);
  int status = 5;
  std::string r = ReadStreamUntil(s, "end-MARK", status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(r, data.substr(0, 262));
  EXPECT_EQ(s.Position(), 262);
  r = ReadStreamUntil(s, "none", status);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(r, std::string(300, 'y'));
  EXPECT_EQ(s.Position(), static_cast<int64_t>(data.size()));

  TStringStream t("short;rest");
  EXPECT_EQ(ReadStreamUntil(t, ";", status), "short;");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Rest(t), "rest");
}

// ---------------------------------------------------------------- hostile input
// Random and truncated input must neither crash nor hang the readers; every
// call has to make progress or report the end.
TEST(StreamsFuzz, ReadersSurviveRandomInput) {
  std::mt19937 rng(20261207);
  const std::string alphabet = "<>/=\" !?-xyaZ019.,eE+-\t\r\n\x80\xff";
  const std::string doc(kRecord);
  const std::vector<std::string> tags = {"font", "caption", "posxy", "/record", "record", "none"};
  for (int iter = 0; iter < 1500; ++iter) {
    std::string input;
    switch (iter % 3) {
      case 0: {  // random characters from a markup-heavy alphabet
        int n = static_cast<int>(rng() % 200);
        for (int i = 0; i < n; ++i) input += alphabet[rng() % alphabet.size()];
        break;
      }
      case 1:  // a record cut off anywhere
        input = doc.substr(0, rng() % (doc.size() + 1));
        break;
      default: {  // a record with random bytes flipped
        input = doc;
        for (int k = 0; k < 5; ++k) input[rng() % input.size()] = static_cast<char>(rng() % 256);
        break;
      }
    }
    TStringStream s(input);
    std::string content, attrs;
    int calls = 0;
    while (s.Position() < s.Size()) {
      const int64_t before = s.Position();
      int r = ReadNextTagInStream(s, tags, content, attrs);
      ASSERT_GE(r, 0);
      ASSERT_LE(r, 5);
      ASSERT_GT(s.Position(), before);
      ASSERT_LE(s.Position(), s.Size());
      ScanForXMLAttrib(attrs, "x");
      ScanForXMLAttrib(attrs, "name");
      ASSERT_LT(++calls, 1000);
    }
    // The in-memory reader over the same bytes.
    size_t off = 0;
    calls = 0;
    while (off < input.size()) {
      const size_t before = off;
      size_t tagStart = 0;
      const int d = DetectNextTagInBuffer(input.data(), input.size(), off, tags, tagStart);
      ASSERT_LE(tagStart, input.size());
      ASSERT_EQ(ReadNextTagInBuffer(input.data(), input.size(), off, tags, content, attrs), d);
      ASSERT_GT(off, before);
      ASSERT_LE(off, input.size());
      ASSERT_LT(++calls, 1000);
    }
    // The number scanners over the same bytes.
    TStringStream n(input);
    calls = 0;
    while (n.Position() < n.Size()) {
      const int64_t before = n.Position();
      double v = ScanStreamFPNum(n, (iter & 1) != 0, 1 + iter % 4);
      ASSERT_TRUE(std::isfinite(v));
      ASSERT_LE(std::fabs(v), 1.7e308);
      if (n.Position() == before) n.Seek(1, soCurrent);  // the scanner leaves a stopping byte unread
      ScanStreamDecimal(n);
      ASSERT_LT(++calls, 1000);
    }
    TStringStream l(input);
    bool eos = false;
    calls = 0;
    while (!eos) {
      ReadLnStream(l, eos, static_cast<int>(rng() % 6));
      ASSERT_LT(++calls, 1000);
    }
  }
}
