// Tagged-text records and stream helpers.
//
// The suite's records are XML-like text:
//
//   <?xml version="1.0"?>                              (only with CreateHeader)
//
//   <!-- TCustomTextLabel / ZOL Component Suite -->
//   <tag sig="ZOLCSuite" vers="1.0" id="DataID" ...>
//     <posxy x=12 y=7 />
//     <caption>text</caption>
//   </tag>
//
// Every line of a record is prefixed by the writer's indentation; child
// elements are indented two blanks deeper.  Attribute values are written in
// double quotes (texts, names) or bare (numbers, colours as $hex, enumerated
// words); a bare value ends at the next blank.  Tag and attribute names are
// lower-case words and are matched case-insensitively.
//
// All routines are free functions over a TStream or a TextFile and keep no
// state.  The stream routines move one byte per character: writers store the
// bytes of the (UTF-8) text as they are; readers return the bytes read as text,
// kept when they are valid UTF-8 and read as Latin-1 otherwise (BytesToUtf8).
// None of the readers raises on malformed input; failures of the stream's own
// writes propagate unchanged.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/platform/Zol_classes.h"

namespace zol {

// The signature attribute value and version of every tagged-text record.
inline constexpr const char* ZolSignature = "ZOLCSuite";
inline constexpr const char* ZolRecordVersion = "1.0";

// Record files: creates FileName and lets Write fill it (false when the
// file cannot be created or written), or opens FileName and answers what
// Read answers (false when it cannot be read).  No exception passes.
bool WriteRecordFile(const std::string& FileName, const std::function<void(TextFile&)>& Write);
bool ReadRecordFile(const std::string& FileName, const std::function<bool(TextFile&)>& Read);

// ---------------------------------------------------------------- tag reader
// Reads the next tag from a text file opened with Reset (or from a stream at its
// current position):
//  1. Content and Attributes are cleared; input is skipped up to and including
//     the next '<'.
//  2. The input up to and including the next '>' is the tag text.
//  3. An empty element (tag text holding "/>"): the name is the text before the
//     first blank (or before "/>" when there are no attributes), Attributes the
//     text between the first blank and the final "/>", stripped of blanks.
//  4. Otherwise the name is the text before the first blank (or before '>'),
//     Attributes the rest up to the final '>', stripped of blanks.  The name is
//     lower-cased.
//  5. For a start tag, Content receives the raw text up to the matching end
//     tag "</name>" (nested elements included, unparsed); the end tag itself is
//     consumed.  The end of the input also ends Content.
//  Processing instructions ("<?...?>"), comments ("<!-- ... -->") and
//  declarations ("<!...>") are never start tags: their name ("?xml", "!--",
//  "!doctype", ...) is returned like any other name but no Content is read, and
//  a comment is read up to its closing "-->" even when it holds '>'.
// Result: the 0-based index of the first TagList entry equal to the lower-cased
// name; when none matches (and at the end of the input) the highest index of
// TagList (-1 for an empty list).  Callers give lower-case names and end their
// list with an entry that stands for none of the names.
int ReadNextTagInTextFile(TextFile& F, const std::vector<std::string>& TagList, std::string& Content,
                          std::string& Attributes);
int ReadNextTagInStream(TStream& Stream, const std::vector<std::string>& TagList, std::string& Content,
                        std::string& Attributes);

// In-memory form of the tag reader (used by ReadNextTagInString of the string
// utilities): reads from Data[Pos..Len) with the rules above and moves Pos
// (0-based) behind the bytes read.
int ReadNextTagInBuffer(const char* Data, size_t Len, size_t& Pos, const std::vector<std::string>& TagList,
                        std::string& Content, std::string& Attributes);
// Finds the next tag at or after Pos without reading its content: the list
// index of its name as above; TagStart receives the offset of its '<' (or Len
// when no complete tag follows, the result then being the highest index).
int DetectNextTagInBuffer(const char* Data, size_t Len, size_t Pos, const std::vector<std::string>& TagList,
                          size_t& TagStart);

// Value of the attribute AttrName (case-insensitive) in an attribute text such as
// `x=12 name="a b" col=$FF00`; quoted values are returned without their quotes,
// bare values end at the next blank.  The empty text when the attribute is
// missing or a syntax error comes first.
std::string ScanForXMLAttrib(const std::string& AttrText, const std::string& AttrName);

// Reads from the current position up to the next tag named TagName (start tag
// or empty element, case-insensitive), skipping every other tag; Attributes and
// Content as for ReadNextTagInStream.  True when found; false (Attributes and
// Content empty, stream at its end) otherwise.
bool ScanStreamForXMLTag(TStream& Stream, const std::string& TagName, std::string& Attributes,
                         std::string& Content);

// Reads from the current position until one of the texts of TagList (for
// example "<caption" or "</record>") has been read, comparing case-insensitively.
// TagIx receives the 0-based index of the entry found (the one that ends first;
// the lowest index among entries ending at the same byte), or -1 when none was
// found before the end of the stream.  Returns the text read, up to and including
// the entry found; the stream is left directly after it (at the end when none
// was found).  Empty entries are ignored.
std::string ReadStreamUntilTagList(TStream& Stream, const std::vector<std::string>& TagList, int& TagIx);

// Copies every element whose tag name is in TagNames (case-insensitive) from
// Stream (current position to the end) to the end of Target: the start tag,
// its content and its end tag, or the empty element, as raw bytes, each
// element followed by CR LF.  Other text is skipped.  Returns the number of
// elements copied.
int ExtractFromStream(TStream& Stream, TMemoryStream& Target, const TStringList& TagNames);

// Copies Source (whole, from position 0) to Target (cleared first) and replaces
// occurrences of SearchText (compared case-insensitively, ASCII only, when
// IgnoreCase is set):
//  - FirstOccurrence: the occurrences before this 1-based number are kept
//    (values below 1 count as 1);
//  - MaxCount: at most this many replacements (0 or negative: all);
//  - StopText: when not empty, nothing is replaced at or behind the first
//    occurrence of StopText (searched with the same case rule);
//  - OnReplace: when set, it receives each matched text and returns its
//    replacement, otherwise ReplaceText is used.
// The search resumes behind each occurrence.  Both streams are left at their
// end.  Returns the number of replacements (an empty SearchText replaces
// nothing).
int SearchAndReplace(TMemoryStream& Source, TMemoryStream& Target, const std::string& SearchText,
                     const std::string& ReplaceText, bool IgnoreCase, int FirstOccurrence, int MaxCount,
                     const std::string& StopText,
                     const std::function<std::string(const std::string&)>& OnReplace = nullptr);

// ---------------------------------------------------------------- number scanners
// Reads a floating-point number byte by byte: leading TAB, LF, CR and blanks are
// skipped, then an optional sign, digits, a decimal separator (DecPSep 1 '.',
// 2 ',', 3 either, other values none) and, with AllowExp, an exponent (E/e,
// optional sign, digits; exponent digits beyond a value of 4200 are dropped).
// The byte that stopped the scan is left unread.  Malformed input gives 0; the
// result is clamped to [-1.7e308, 1.7e308].
double ScanStreamFPNum(TStream& Stream, bool AllowExp, int DecPSep);

// Skips blanks (code 32), accepts one '-' or '+', then reads decimal digits
// until a non-digit or the end of the stream; the terminating byte is consumed.
// The value saturates at the range of int instead of overflowing.
int ScanStreamDecimal(TStream& Stream);

// ---------------------------------------------------------------- binary numbers
// The 80-bit extended format: 10 bytes little-endian, 64-bit mantissa with an
// explicit integer bit, 15-bit exponent (bias 16383), sign.  The conversion is
// explicit and independent of the host's long double layout.
void ExtendedToBytes(long double value, uint8_t bytes[10]);
long double BytesToExtended(const uint8_t bytes[10]);

void WriteExtendedToStream(TStream& Stream, long double value);
// Reads exactly 10 bytes; Error is true (and the result 0) when they are not there.
long double ReadExtendedFromStream(TStream& Stream, bool& Error);
// A 32-bit signed integer, little-endian.
void WriteLongintToStream(TStream& Stream, int32_t value);
int32_t ReadLongintFromStream(TStream& Stream, bool& Error);

// Little-endian fields in byte buffers (file records), whatever the host's byte order.
inline void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t GetLE32(const uint8_t* p) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(p[i]) << (8 * i);
  return u;
}
inline void PutLE64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint64_t GetLE64(const uint8_t* p) {
  uint64_t u = 0;
  for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(p[i]) << (8 * i);
  return u;
}
inline void PutLEFloat(uint8_t* p, float v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  PutLE32(p, u);
}
inline float GetLEFloat(const uint8_t* p) {
  const uint32_t u = GetLE32(p);
  float v;
  std::memcpy(&v, &u, 4);
  return v;
}
inline void PutLEDouble(uint8_t* p, double v) {
  uint64_t u;
  std::memcpy(&u, &v, 8);
  PutLE64(p, u);
}
inline double GetLEDouble(const uint8_t* p) {
  const uint64_t u = GetLE64(p);
  double v;
  std::memcpy(&v, &u, 8);
  return v;
}

// ---------------------------------------------------------------- text helpers
// Writes the bytes of s (no terminator) / followed by CR LF.
void WriteStringStream(TStream& Stream, const std::string& s);
void WriteLnStream(TStream& Stream, const std::string& s);

// Reads a line: bytes >= 32 and TAB are kept, other control bytes end the line
// according to LineEndMode, otherwise they are dropped: 0 ends at LF, 1 at CR,
// 2 at CR or LF, 3 at a CR that follows an LF, 4 at an LF that follows a CR;
// other modes never end a line.  EndOfStream becomes true when the stream ends
// (which also ends the line).
std::string ReadLnStream(TStream& Stream, bool& EndOfStream, int LineEndMode);

// All remaining bytes as text.
std::string StreamAsString(TStream& Stream);

// Reads until the text read contains Delimiter (case-insensitive, ASCII).  Found:
// Status 0, the result is the text up to and including the delimiter and the
// stream is left directly after it.  Not found: Status -1, the result is the
// rest of the stream and the stream is left at its end.
std::string ReadStreamUntil(TStream& Stream, const std::string& Delimiter, int& Status);

// Reads byte by byte until b was read (true, position just after b) or the
// stream ends (false).
bool FindInStream(TStream& Stream, uint8_t b);

// Number of LF bytes from the current position to the end; leaves the stream at
// its end.
int CountLinesInStream(TStream& Stream);

}  // namespace zol
