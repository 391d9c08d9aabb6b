// Containers and checksums: a paged string table (TStringArray), a bit field
// (TBitFld), a byte matrix (TByteMatrix), a byte ring buffer (TFifo), a
// streaming run-length coder (TRLEncoder), a small dictionary of variant values
// (TAssocArray, TVariant), CRC-16 and CRC-32, an ASCII85-style stream coder,
// SHA-1, next combination / permutation and nearest-value search.
//
// Tagged-text records written by this unit (the common record syntax of the
// suite; every child element on its own line, two blanks deeper):
//
//   <?xml version="1.0"?>                                   (with CreateHeader)
//
//   <!-- TStringArray / ZOL Component Suite -->
//   <strarray sig="ZOLCSuite" vers="1.0" id="DataID">
//     <numcols>3</numcols>                  number of counted columns (>= 1)
//     <numrows>5</numrows>                  number of rows (>= 1)
//     <colattrib col=2 value=7 />           only columns whose attribute is not 0
//     <rowattrib row=4 value=1 />           only rows whose attribute is not 0
//     <cell col=0 row=1>text</cell>         only cells that are not empty
//   </strarray>
//
//   <!-- TAssocArray / ZOL Component Suite -->
//   <assocarray sig="ZOLCSuite" vers="1.0" id="DataID">
//     <numentries>2</numentries>
//     <assoc key="width" kind="double">2.5</assoc>
//     <assoc key="name" kind="string">a &lt;b&gt;</assoc>
//   </assocarray>
//
// Rows of a string array are written in their logical (sorted) order, so the
// reader restores what GetString showed; the sort order itself is not stored.
// Texts (cell contents, keys, values, the data identifier) are escaped the XML
// way: & < > " as &amp; &lt; &gt; &quot;, control bytes as &#N;.  The value kinds
// of an assoc element are the names of xmlVariantKind; numbers are written in
// the shortest form that reads back exactly (currency with up to 4 decimals),
// booleans as true / false, a null value with empty content.
//
// The readers locate their record by tag, signature and (when given) data
// identifier, read the children with the tagged-text reader and answer false,
// leaving the object unchanged, when the record is missing, truncated (no
// closing tag), malformed or inconsistent (counts that disagree, indices out of
// range, sizes beyond what the input can hold).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_sysutils.h"

namespace zol {

// Exception class of this unit.
class EZOLDStructError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

// target := target AND src, OR src, XOR src, AND NOT src, OR NOT src, XOR NOT src
enum TLogicOp { loAND, loOR, loXOR, loANDNot, loORNot, loXORNot };
// Start value 0 (XMODEM, check value 31C3) / FFFF (CCITT-FALSE, check value 29B1).
enum TCRC16Mode { crcZModem, crcCCITT };
// Decoder state of TRLEncoder.
enum TDecodeSt { rlData, rlLeadin, rlCnt };

// Lets an application replace the sort key of a cell (Sender, InString, OutString).
using TBeforeSortExchgEvent =
    std::function<void(TObject* Sender, const std::string& InString, std::string& OutString)>;

// ---- tagged-text record helpers, shared by the units that write records
// & < > " and control bytes escaped the XML way, and back.
std::string RecordXmlEscape(const std::string& s);
std::string RecordXmlUnescape(const std::string& s);
// Does a line open the record <tag ... sig="ZOLCSuite" ... id="DataID">
// (case-insensitive; an empty DataID accepts any identifier)?
bool RecordLineOpens(const std::string& Line, const std::string& Tag, const std::string& DataID);
// The opening line of a record: <tag sig="ZOLCSuite" vers="1.0" id="DataID">.
std::string RecordOpeningLine(const std::string& Tag, const std::string& DataID);

// ==================================================================== TStringArray
// A two-dimensional table of short strings (0..255 bytes, never splitting a
// UTF-8 sequence).  Columns 0..NrOfColumns (column 0 in addition to the counted
// columns), rows 1..NrOfRows.  Strings live back to back (length byte plus
// bytes) in pages of 32768 bytes; a cell holds a 32-bit handle: 0 = empty,
// otherwise page number (from 1) in the high and the 1-based offset of the
// length byte in the low 16 bits.  A logical row order (the sort order) maps
// each row number to the physical row where its cells and attribute live.
class TStringArray : public TComponent {
 public:
  static constexpr int PageSize = 32768;

  explicit TStringArray(TComponent* AOwner);
  ~TStringArray() override;

  int AllocRowsBy() const { return FAllocRowsBy; }
  void SetAllocRowsBy(int n);  // at least 1; takes effect at the next reallocation
  int NrOfColumns() const { return FNrCols; }
  void SetNrCols(int n);
  int NrOfRows() const { return FNrRows; }
  void SetNrRows(int n);

  // Answers false (nothing changes) when either count is below 1.
  bool Resize(int NrColumns, int NrRows);
  // Appends an empty row; answers the new row count.
  int AddRow();

  std::string GetString(int ACol, int ARow) const;
  void SetString(int ACol, int ARow, const std::string& Value);
  // The cell read as a number (blanks stripped, ',' taken as '.'); 0 for an
  // empty cell; raises EZOLDStructError for a text that is not a number.
  long double GetAsNumber(int ACol, int ARow) const;

  uint8_t GetRowAttrib(int ARow) const;
  void SetRowAttrib(int ARow, uint8_t Attrib);
  uint8_t GetColAttrib(int ACol) const;
  void SetColAttrib(int ACol, uint8_t Attrib);
  // Physical row of logical row Ix; -1 outside 1..NrOfRows.
  int GetSortOrder(int Ix) const;
  void SetSortOrder(int Ix, int Value);

  void Clear();
  void Fill(const std::string& Value);
  bool ColumnEmpty(int ACol) const;
  bool RowEmpty(int ARow) const;
  // First cell (row by row, column by column) holding Text as a substring /
  // equal to Text; -1 for a column bound (or both row bounds) means the whole range.
  bool FindCell(const std::string& Text, bool MatchCase, int ColLow, int ColHigh, int RowLow, int RowHigh,
                int& Col, int& Row) const;
  bool FindCellExact(const std::string& Text, bool MatchCase, int ColLow, int ColHigh, int RowLow,
                     int RowHigh, int& Col, int& Row) const;
  // Binary search in a column sorted in the given direction; Row ends on the
  // first of equal entries (or on the last probed row when not found).
  bool FindCellInSortedColumn(const std::string& Text, bool MatchCase, int ColIx, int RowLow, int RowHigh,
                              bool Ascending, int& Row) const;

  void InsertRow(int ARow);
  void RemoveRow(int ARow);
  void CopyRow(int Src, int Dst);
  // Comb sort of the sort order by column ColIx, ties broken by Col2Ix (>= 1).
  // Sort keys are taken once per row through BeforeSortExchange and folded to
  // lower case (ASCII) before the sort starts.
  void Sort(int ColIx, int Col2Ix, bool Ascending);
  void UnSort();
  void CommitSorting();
  void GarbageCollection();
  void BeforeSortExchange(const std::string& InString, std::string& OutString);
  virtual void Changed();

  // Tagged-text persistence (record layout at the top of this header).
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& DataID);
  bool LoadFromXMLFile(const std::string& FileName, const std::string& DataID);
  void WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const;
  // False when the file cannot be written.
  bool SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const;

  // Storage inspection.
  int NumPages() const { return static_cast<int>(FPages.size()); }
  int PageNextFree(int Page) const;  // 1-based next free offset of page 1..NumPages, 0 otherwise
  int AllocatedRows() const { return FAllocRows; }
  uint32_t CellHandle(int ACol, int ARow) const;  // handle of a logical cell, 0 outside

  TNotifyEvent OnChange;
  TOnPercentDoneEvent OnPercentDone;
  TBeforeSortExchgEvent OnBeforeSortExchange;

 private:
  struct Page {
    std::unique_ptr<uint8_t[]> Data;
    int NextFree = 1;
  };
  void InitStore();
  void AddPage();
  uint32_t& HandleRef(int ACol, int PhysRow) { return FCells[ACol][PhysRow - 1]; }
  uint32_t Handle(int ACol, int PhysRow) const { return FCells[ACol][PhysRow - 1]; }
  std::string TextOfHandle(uint32_t h) const;
  void StoreText(int ACol, int PhysRow, const std::string& Value);
  int Phys(int ARow) const { return FSortOrder[ARow - 1]; }
  bool Find(const std::string& Text, bool MatchCase, bool Exact, int ColLow, int ColHigh, int RowLow,
            int RowHigh, int& Col, int& Row) const;
  void SwapContents(TStringArray& Other);

  int FAllocRowsBy = 10;
  int FNrCols = 1;
  int FNrRows = 1;
  int FAllocRows = 10;
  std::vector<Page> FPages;
  std::vector<std::vector<uint32_t>> FCells;  // [column 0..NrCols][physical row - 1]
  std::vector<uint8_t> FRowAttrib;            // [physical row - 1]
  std::vector<uint8_t> FColAttrib;            // [column - 1]
  std::vector<int> FSortOrder;                // [logical row - 1] -> physical row
  std::array<int, 256> FFirstFit{};           // lowest page that may still hold a text of that length
};

// ==================================================================== TBitFld
// Bits 0..Size (Size + 1 bits), bit i in byte i div 8 under mask 1 shl (i mod 8).
// Bits above Size in the last byte are always 0.
class TBitFld : public TComponent {
 public:
  explicit TBitFld(TComponent* AOwner);

  int Size() const { return FSize; }
  void SetSize(int n);  // ignored unless n > 0; bits below both sizes are kept
  bool GetBit(int Ix) const;
  void SetBit(int Ix, bool Value);
  void ToggleBit(int Ix);
  void Clear();
  void Invert();
  int CountTrueBits() const;
  int FirstTrueBit() const;  // -1 when no bit is set
  void Clone(const TBitFld* Src);
  void CombineWith(const TBitFld* Src, TLogicOp Op);
  void MakeListOfBits(TIntArray& List, bool State) const;
  // Sets exactly round(Percent / 100 * Size) / NumBits randomly chosen bits
  // (clamped to 0..Size), drawing from the shared generator (Random).
  void RandomFill(double Percent);
  void RandomFill(int NumBits);
  // Storage bytes (at least Size div 8 + 2).
  const std::vector<uint8_t>& Bytes() const { return FBits; }

 private:
  void MaskTail();
  void RandomFillBits(int n);
  int FSize = 1000;
  std::vector<uint8_t> FBits;
};

// ==================================================================== TByteMatrix
// Bytes addressed (Col, Row), both 1-based.
class TByteMatrix : public TComponent {
 public:
  explicit TByteMatrix(TComponent* AOwner);

  int NrOfColumns() const { return FNrCols; }
  int NrOfRows() const { return FNrRows; }
  void SetNrCols(int n);
  void SetNrRows(int n);
  bool Resize(int NrColumns, int NrRows);
  void Fill(uint8_t Value);
  uint8_t GetByte(int Col, int Row) const;
  void SetByte(int Col, int Row, uint8_t Value);
  bool GetBit(int Col, int Row, int Bit) const;
  void SetBit(int Col, int Row, int Bit, bool Value);
  void ToggleBit(int Col, int Row, int Bit);
  void CombineWith(const TByteMatrix* Src, TLogicOp Op);
  virtual void Changed();

  TNotifyEvent OnChange;

 private:
  bool Inside(int Col, int Row) const { return Col >= 1 && Col <= FNrCols && Row >= 1 && Row <= FNrRows; }
  size_t Addr(int Col, int Row) const {
    return static_cast<size_t>(Row - 1) * static_cast<size_t>(FNrCols) + static_cast<size_t>(Col - 1);
  }
  int FNrCols = 1;
  int FNrRows = 1;
  std::vector<uint8_t> FData;
};

// ==================================================================== TFifo
// A byte ring of Size bytes holding at most Size - 1 bytes.
class TFifo : public TComponent {
 public:
  explicit TFifo(TComponent* AOwner);

  int Size() const { return FSize; }
  // Resizes the ring keeping its content: the bytes held stay in order; when
  // the new ring is too small, the oldest bytes are dropped.
  void SetSize(int n);
  bool PutByte(uint8_t b);
  bool ForceByte(uint8_t b);
  bool GetByte(uint8_t& b);
  // Puts b back in front of the oldest byte; false (nothing stored) when full.
  bool LoadBack(uint8_t b);
  bool SenseByte(int Ix, uint8_t& b) const;
  void Clear();
  int CountBytes() const;

 private:
  int FSize = 256;
  int FInIx = 0;
  int FOutIx = 0;
  std::vector<uint8_t> FRing;
};

// ==================================================================== TRLEncoder
// Streaming run-length coder with the lead-in byte 165: a run of 3 or more
// bytes, or any run of byte 165, becomes the triple 165, count, byte; shorter
// runs are written literally.  Output is handed out in blocks of BufLeng bytes.
class TRLEncoder : public TComponent {
 public:
  static constexpr uint8_t LeadIn = 165;

  explicit TRLEncoder(TComponent* AOwner);

  int BufLeng() const { return FBufLeng; }
  void SetBufLeng(int n);  // at least 1; empties the output
  // Feeds NumBytes bytes (clamped to the buffer) through the encoder; answers
  // true when at least BufLeng output bytes are waiting.
  bool Encode(const uint8_t* InBuf, int NumBytes);
  bool Encode(const TBytes& InBuf, int NumBytes);
  // When at least BufLeng bytes wait: OutBuf := the first BufLeng of them
  // (OutBuf is resized to BufLeng), which are removed; otherwise nothing.
  void GetResult(TBytes& OutBuf);
  // Emits the pending encoder run (nothing when none is pending), then moves
  // min(waiting, BufLeng) bytes to OutBuf (resized to that count) and answers
  // their number.
  int Finish(TBytes& OutBuf);
  // Feeds one encoded byte; answers true when at least BufLeng decoded bytes wait.
  bool Decode(uint8_t b);
  void Reset();
  // Number of output bytes waiting.
  int Waiting() const { return static_cast<int>(FOut.size() - FOutStart); }

 private:
  void Emit(uint8_t b) { FOut.push_back(b); }
  void EmitRun();
  void Compact();
  int FBufLeng = 256;
  std::vector<uint8_t> FOut;  // waiting bytes are FOut[FOutStart..]
  size_t FOutStart = 0;
  uint8_t FRunByte = 0;
  int FRunCount = 0;
  TDecodeSt FDecState = rlData;
  int FDecCount = 0;
};

// ==================================================================== TVariant
// The value type of TAssocArray: Null, an integer of 8 to 64 bits (signed or
// unsigned), a single or double floating-point number, a currency amount (a
// 64-bit integer of ten-thousandths), a boolean, or a (UTF-8) string.
enum TVariantKind {
  vkNull, vkShortInt, vkSmallInt, vkInteger, vkInt64, vkByte, vkWord, vkLongWord, vkUInt64,
  vkSingle, vkDouble, vkCurrency, vkBoolean, vkString
};
// "null", "shortint", "smallint", "integer", "int64", "byte", "word", "longword",
// "uint64", "single", "double", "currency", "boolean", "string".
extern const char* const xmlVariantKind[14];

class TVariant {
 public:
  TVariant() = default;  // Null
  TVariant(bool v) : FKind(vkBoolean), FInt(v ? 1 : 0) {}
  TVariant(signed char v) : FKind(vkShortInt), FInt(v) {}
  TVariant(short v) : FKind(vkSmallInt), FInt(v) {}
  TVariant(int v) : FKind(vkInteger), FInt(v) {}
  TVariant(long v) : FKind(vkInt64), FInt(v) {}
  TVariant(long long v) : FKind(vkInt64), FInt(v) {}
  TVariant(unsigned char v) : FKind(vkByte), FUInt(v) {}
  TVariant(unsigned short v) : FKind(vkWord), FUInt(v) {}
  TVariant(unsigned v) : FKind(vkLongWord), FUInt(v) {}
  TVariant(unsigned long v) : FKind(vkUInt64), FUInt(v) {}
  TVariant(unsigned long long v) : FKind(vkUInt64), FUInt(v) {}
  TVariant(float v) : FKind(vkSingle), FSingle(v) {}
  TVariant(double v) : FKind(vkDouble), FDouble(v) {}
  TVariant(const char* v) : FKind(vkString), FStr(v ? v : "") {}
  TVariant(std::string v) : FKind(vkString), FStr(std::move(v)) {}
  // A currency amount (rounded to ten-thousandths).
  static TVariant Currency(double v);
  // A currency amount given in ten-thousandths.
  static TVariant CurrencyUnits(int64_t TenThousandths);
  static TVariant Null() { return TVariant(); }

  TVariantKind Kind() const { return FKind; }
  bool IsNull() const { return FKind == vkNull; }
  bool IsNumeric() const { return FKind >= vkShortInt && FKind <= vkCurrency; }
  bool IsString() const { return FKind == vkString; }
  // The value as text: integers in decimal, floating-point numbers in the
  // shortest form that reads back exactly, currency with up to 4 decimals,
  // booleans "True" / "False", Null the empty text.
  std::string AsString() const;
  // Numeric kinds and booleans (1 / 0) as numbers; strings and Null give 0.
  long double AsExtended() const;
  double AsDouble() const { return static_cast<double>(AsExtended()); }
  int64_t AsInt64() const;
  bool AsBoolean() const;  // a number other than 0; strings "true" (any case) or a number other than 0
  // The stored string of a string value (empty for other kinds).
  const std::string& StrValue() const { return FStr; }
  // Same kind and same value.
  bool operator==(const TVariant& o) const;

 private:
  TVariantKind FKind = vkNull;
  int64_t FInt = 0;    // signed integer kinds, boolean, currency (ten-thousandths)
  uint64_t FUInt = 0;  // unsigned integer kinds
  float FSingle = 0;
  double FDouble = 0;
  std::string FStr;
};

// ==================================================================== TAssocArray
// A small dictionary from text keys to TVariant values, searched linearly in
// entry order.
class TAssocArray : public TComponent {
 public:
  explicit TAssocArray(TComponent* AOwner);

  const std::string& DataID() const { return FDataID; }
  void SetDataID(const std::string& v) { FDataID = v; }
  bool IgnoreCase() const { return FIgnoreCase; }
  void SetIgnoreCase(bool v) { FIgnoreCase = v; }
  int Granularity() const { return FGranularity; }
  void SetGranularity(int v);  // at least 1
  int NumEntries() const { return static_cast<int>(FKeys.size()); }

  void Add(const std::string& Key, const TVariant& Value);
  TVariant Resolve(const std::string& Key) const;
  std::string ResolveAsString(const std::string& Key) const;
  long double ResolveAsNumber(const std::string& Key) const;
  bool Remove(const std::string& Key);
  void Clear();
  std::string GetKeys(int Ix) const;
  void SetKeys(int Ix, const std::string& Key);
  TVariant GetValues(int Ix) const;  // an empty-string value outside 1..NumEntries
  void SetValues(int Ix, const TVariant& Value);

  // Tagged-text persistence (record layout at the top of this header).  The
  // reader searches the stream from its current position; on success the
  // entries of the record replace the current ones.
  bool ReadFromXMLStream(TStream& Stream, const std::string& DataID);
  void WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const;
  // Adds (Add) every attribute of an attribute text such as `a=12 b="x y" c=1.5`:
  // quoted values as strings, bare values as integers (int64) or doubles when
  // they are decimal numbers, otherwise as strings.  Stops at the first syntax
  // error; answers the number of attributes added.
  int AddXMLAttributes(const std::string& AttrText);

 private:
  int IndexOfKey(const std::string& Key) const;  // 0-based, -1 when absent
  void Grow();
  std::string FDataID;
  bool FIgnoreCase = true;
  int FGranularity = 1024;
  std::vector<std::string> FKeys;
  std::vector<TVariant> FValues;
};

// ==================================================================== checksums
// One step of the reflected CRC-32 (polynomial EDB88320): no inversions.
uint32_t CalcNextCRC32(uint8_t b, uint32_t crc);
// CRC-32 of the first NumBytes bytes (clamped to the buffer): start FFFFFFFF, result inverted.
uint32_t CRC32ofBuffer(const TBytes& Buf, int NumBytes);
uint32_t CRC32ofBuffer(const void* Buf, size_t NumBytes);
// CRC-32 of a whole file; 0 when it cannot be opened or read.
uint32_t CalcCRC32ofFile(const std::string& FileName);
// The same, answering false (CRC 0) when the file cannot be opened or read.
bool CalcCRC32ofFile(const std::string& FileName, uint32_t& CRC);
// One step of the non-reflected CRC-16 with polynomial 1021.
uint16_t CalcNextCRC16(uint8_t b, uint16_t crc);
uint16_t CRC16ofBuffer(const TBytes& Buf, int NumBytes, TCRC16Mode Mode);
uint16_t CRC16ofBuffer(const void* Buf, size_t NumBytes, TCRC16Mode Mode);

// ASCII85-style coding from the current position of InStream to its end.  Full
// groups of 4 bytes are standard ASCII85 ("z" for four zero bytes); a short last
// group of c bytes is written unpadded as c + 1 digits; "~>" ends the output.
void EncodeASCII85(TStream& InStream, TStream& OutStream);
// 0 on success, -1 after a character outside '!'..'u', -2 after a 'z' inside a
// group (the last such code); CR and LF are skipped.
int DecodeASCII85(TStream& InStream, TStream& OutStream);

// SHA-1 (FIPS 180).
using TSHA1Digest = std::array<uint8_t, 20>;
class TSHA1Context {
 public:
  TSHA1Context() { Init(); }
  void Init();
  void Update(const void* Data, size_t Len);
  TSHA1Digest Final();  // the context must be Init-ed again before reuse

 private:
  void Block(const uint8_t* p);
  uint32_t FState[5];
  uint64_t FLength = 0;  // bytes hashed
  uint8_t FBuf[64];
  size_t FBufLen = 0;
};
TSHA1Digest SHA1FromBuffer(const void* Buf, size_t NumBytes);
// SHA-1 of the bytes of the (UTF-8) string.
TSHA1Digest SHA1FromString(const std::string& s);
// SHA-1 of the stream from its current position to its end.
TSHA1Digest SHA1FromStream(TStream& Stream);
// SHA-1 of a file; an open failure raises the platform's EFOpenError.
TSHA1Digest SHA1FromFile(const std::string& FileName);
// 40 upper-case hexadecimal digits in digest order.
std::string SHA1DigestToHex(const TSHA1Digest& Digest);

// ==================================================================== combinatorics
// Comb[0] = k, Comb[1..k] strictly increasing values in 1..NumElem: advances to
// the next combination in lexicographic order; false (unchanged) after the last.
bool NextCombination(TBytes& Comb, int NumElem);
// Perm[0] = n, Perm[1..n] a permutation of 1..n: advances to the next one (the
// sequence starts at 1, 2, ..., n); false (unchanged) after the last.
bool NextPermutation(TBytes& Perm);

// 0-based index of the element nearest to x (the first of equally near ones);
// -1 only for an empty array.
int IndexOfNearestArrayValue(double x, const std::vector<double>& Arr);
int IndexOfNearestArrayValue(int x, const std::vector<int32_t>& Arr);

}  // namespace zol
