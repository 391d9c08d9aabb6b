// A small file-based database of geographic items (borders, towns, cities, lakes,
// rivers, roads, routes) and binary large objects, kept in seven files:
//   N.zolgdd  data file: 260-byte header, then polygon points and BLOBs
//   N.zolgds  descriptor file: 120-byte records
//   N.zolgi0  item ID index, N.zolgi1..4 LatLow, LatHigh, LongLow, LongHigh indices
// All files are little-endian.  Items are addressed by their 1-based record number
// (which changes when items are deleted) or by their item ID (which never changes).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"

namespace zol {

class EZOLGeoDBError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum TgdbItem : uint8_t {
  gitBorder, gitTown, gitCity, gitLake, gitRiver, gitRoad, gitRoute, gitBLOB, gitUndefined
};
extern const char* const GDB_ITEMNAMES[9];

struct TSCoords {
  float Latitude = 0;
  float Longitude = 0;
};
using TgdbPolygon = std::vector<TSCoords>;

enum TMetaItem { miKwd, miCaption, miFilePath, miDescriptor, miComment };

// BLOB metadata: 1024 bytes on file, five length-byte strings of 255, 127, 127, 255
// and 255 bytes.
struct TMetaInfo {
  std::string Items[5];
  std::string& operator[](TMetaItem i) { return Items[i]; }
  const std::string& operator[](TMetaItem i) const { return Items[i]; }
};
void ClearMetaInfo(TMetaInfo& MetaInfo);

inline constexpr int gdbNameLength = 59;
inline constexpr int gdbDescriptorSize = 120;
inline constexpr int gdbHeaderSize = 260;
inline constexpr int gdbMetaInfoSize = 1024;
inline constexpr int gdbDescriptionLength = 60;

// The item descriptor (120 bytes on file).
struct TgdbData {
  int32_t ItemID = 0;
  std::string Name;  // at most 59 bytes; padded with spaces on file
  float FloatAttrib = 0;
  uint8_t ByteAttrib = 0;
  int32_t IntAttrib2 = 0;
  int32_t DataPos = -1;
  double Date = 0;
  int32_t IntAttrib1 = 0;
  float LatLow = 0, LatHigh = 0, LongLow = 0, LongHigh = 0;
  TgdbItem ItemType = gitUndefined;
  int32_t NumData = 0;
  bool Closed = false;
};
void ClearGdbData(TgdbData& Data);
TSCoords ExtractLocation(const TgdbData& Data);
// The 120-byte file image of a descriptor and back (the name is cut to 59 bytes
// without splitting a character; an item kind beyond gitUndefined reads as gitUndefined).
void EncodeGdbData(const TgdbData& Data, uint8_t* Buf);
TgdbData DecodeGdbData(const uint8_t* Buf);
void EncodeMetaInfo(const TMetaInfo& MetaInfo, uint8_t* Buf);
TMetaInfo DecodeMetaInfo(const uint8_t* Buf);

struct TIxItemIDRec {
  int32_t ItemID;
  int32_t RecIx;  // 0-based record number
};
struct TIxLLRec {
  float Value;
  int32_t RecIx;
};
using TIxItemIDRecArray = std::vector<TIxItemIDRec>;
using TIxLLRecArray = std::vector<TIxLLRec>;

std::string GeoLatitude(double Value, TDegreeFormat Format, int Decimals);
std::string GeoLongitude(double Value, TDegreeFormat Format, int Decimals);
// A readable summary of the database whose name (any of its seven files) is given:
// header values and the sizes of its files; empty when there is no data file.
std::string ReadSystemInformation(const std::string& FileName);

class TGeoDB : public TComponent {
 public:
  explicit TGeoDB(TComponent* AOwner);
  ~TGeoDB() override;

  // Assigning opens or creates a database (any extension is removed first); an empty
  // name closes it.  Reading gives the descriptor file name without extension.
  std::string DBName() const { return FBaseName; }
  void SetDBName(const std::string& Value);
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool Value);
  int NumEntries() const { return static_cast<int>(FData.size()); }
  TOnPercentDoneEvent OnPercentDone;

  std::string Description() const { return FDescription; }
  void SetDescription(const std::string& Value);
  int32_t Revision() const { return FRevision; }
  void SetRevision(int32_t Value);
  int32_t DBVersion() const { return FVersion; }
  int32_t GetDBVersion() const { return FVersion; }
  int32_t LastItemID() const { return FLastItemID; }
  // True when the indices read from file did not match the descriptors and were rebuilt.
  bool IndicesRebuilt() const { return FIndicesRebuilt; }

  // Indexed accessors, position clamped into 1..NumEntries (an empty record on an
  // empty database).  The index accessors give 1-based record numbers.
  TgdbData Sumdata(int Ix) const;
  TgdbData GetSumdata(int Ix) const { return Sumdata(Ix); }
  TIxItemIDRec IxItemID(int Ix) const;
  TIxLLRec IxLatLow(int Ix) const { return LLEntry(0, Ix); }
  TIxLLRec IxLatHigh(int Ix) const { return LLEntry(1, Ix); }
  TIxLLRec IxLongLow(int Ix) const { return LLEntry(2, Ix); }
  TIxLLRec IxLongHigh(int Ix) const { return LLEntry(3, Ix); }
  TIxItemIDRec GetIxItemID(int Ix) const { return IxItemID(Ix); }
  TIxLLRec GetIxLatLow(int Ix) const { return IxLatLow(Ix); }
  TIxLLRec GetIxLatHigh(int Ix) const { return IxLatHigh(Ix); }
  TIxLLRec GetIxLongLow(int Ix) const { return IxLongLow(Ix); }
  TIxLLRec GetIxLongHigh(int Ix) const { return IxLongHigh(Ix); }

  // ---- adding; each returns the new record number or -1 when no database is open
  int AddData(const std::string& Name, const TgdbPolygon& Polygon, bool Closed, TgdbItem ItemType,
              uint8_t ByteAttrib, double Date, int32_t IntAttrib1, float LatLow, float LatHigh,
              float LongLow, float LongHigh, float FloatAttrib, int32_t IntAttrib2,
              const TMetaInfo& MetaInfo, const void* Data, int64_t DataSize, bool FromFile,
              const std::string& SourceFile = std::string());
  int AddBorder(const std::string& Name, const TgdbPolygon& Polygon, bool Closed, double Date,
                int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
                float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  int AddCity(const std::string& Name, const TgdbPolygon& Polygon, bool Closed, double Date,
              int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
              float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  int AddLake(const std::string& Name, const TgdbPolygon& Polygon, double Date,
              int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
              float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  int AddRiver(const std::string& Name, const TgdbPolygon& Polygon, double Date,
               int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
               float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  int AddRoad(const std::string& Name, const TgdbPolygon& Polygon, double Date,
              int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
              float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  int AddRoute(const std::string& Name, const TgdbPolygon& Polygon, double Date,
               int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
               float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  int AddTown(const std::string& Name, double Date, int32_t IntAttrib1, TSCoords Coords,
              float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  int AddBLOB(const std::string& FileName, double Date, int32_t IntAttrib1, float LatLow,
              float LatHigh, float LongLow, float LongHigh, float FloatAttrib, uint8_t ByteAttrib,
              int32_t IntAttrib2, const TMetaInfo& MetaInfo);
  int AddBLOB(const std::string& FileName, const std::string& BlobName, double Date,
              int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
              float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2, const TMetaInfo& MetaInfo);
  // As the previous one; Comment, when not empty, replaces the metadata's comment. The
  // metadata actually stored is read back into MetaInfoOut.
  int AddBLOB(const std::string& FileName, const std::string& BlobName, const std::string& Comment,
              double Date, int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
              float LongHigh, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2,
              const TMetaInfo& MetaInfo, TMetaInfo* MetaInfoOut = nullptr);
  int AddBLOB(const std::string& BlobName, double Date, int32_t IntAttrib1, float LatLow,
              float LatHigh, float LongLow, float LongHigh, float FloatAttrib, uint8_t ByteAttrib,
              int32_t IntAttrib2, const TMetaInfo& MetaInfo, const void* Data, int64_t DataSize);
  int AddBLOB(const std::string& BlobName, double Date, int32_t IntAttrib1, float LatLow,
              float LatHigh, float LongLow, float LongHigh, float FloatAttrib, uint8_t ByteAttrib,
              int32_t IntAttrib2, const TMetaInfo& MetaInfo, TMemoryStream& Stream);

  // ---- replacing (1-based record number first; nothing happens outside 1..NumEntries)
  void ReplaceData(int Ix, const std::string& Name, const TgdbPolygon& Polygon, bool Closed,
                   TgdbItem ItemType, uint8_t ByteAttrib, double Date, int32_t IntAttrib1,
                   float LatLow, float LatHigh, float LongLow, float LongHigh, float FloatAttrib,
                   int32_t IntAttrib2, const TMetaInfo& MetaInfo, const void* Data,
                   int64_t DataSize, bool FromFile, const std::string& SourceFile = std::string());
  // The box values of the polygon kinds are ignored (computed from the points).
  void ReplaceBorder(int Ix, const std::string& Name, const TgdbPolygon& Polygon, bool Closed,
                     double Date, int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
                     float LongHigh, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  void ReplaceCity(int Ix, const std::string& Name, const TgdbPolygon& Polygon, bool Closed,
                   double Date, int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
                   float LongHigh, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  void ReplaceLake(int Ix, const std::string& Name, const TgdbPolygon& Polygon, double Date,
                   int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
                   float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  void ReplaceRiver(int Ix, const std::string& Name, const TgdbPolygon& Polygon, double Date,
                    int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
                    float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  void ReplaceRoad(int Ix, const std::string& Name, const TgdbPolygon& Polygon, double Date,
                   int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
                   float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  void ReplaceRoute(int Ix, const std::string& Name, const TgdbPolygon& Polygon, double Date,
                    int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow, float LongHigh,
                    float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  void ReplaceTown(int Ix, const std::string& Name, double Date, int32_t IntAttrib1,
                   TSCoords Coords, float FloatAttrib, uint8_t ByteAttrib, int32_t IntAttrib2);
  void ReplaceBLOB(int Ix, const std::string& FileName, double Date, int32_t IntAttrib1,
                   float LatLow, float LatHigh, float LongLow, float LongHigh, float FloatAttrib,
                   uint8_t ByteAttrib, int32_t IntAttrib2, const TMetaInfo& MetaInfo);
  void ReplaceBLOB(int Ix, const std::string& BlobName, double Date, int32_t IntAttrib1,
                   float LatLow, float LatHigh, float LongLow, float LongHigh, float FloatAttrib,
                   uint8_t ByteAttrib, int32_t IntAttrib2, const TMetaInfo& MetaInfo,
                   const void* Data, int64_t DataSize);
  void ReplaceBLOB(int Ix, const std::string& BlobName, double Date, int32_t IntAttrib1,
                   float LatLow, float LatHigh, float LongLow, float LongHigh, float FloatAttrib,
                   uint8_t ByteAttrib, int32_t IntAttrib2, const TMetaInfo& MetaInfo,
                   TMemoryStream& Stream);

  // ---- other operations
  void DeleteData(int Ix);
  int RetrievePolygon(int Ix, TgdbPolygon& Polygon);
  int RetrieveBLOB(int Ix, const std::string& FileName, TMetaInfo& MetaInfo);
  int RetrieveBLOB(int Ix, TMetaInfo& MetaInfo, void* Buffer, int64_t BufferSize);
  int RetrieveBLOB(int Ix, TMetaInfo& MetaInfo, TMemoryStream& Stream);
  bool GetMetaInfo(int Ix, TMetaInfo& MetaInfo);
  // Overwrites name, attributes, date, box and Closed of record Ix; item ID, kind and
  // data reference stay.
  void UpdateBasicData(int Ix, const TgdbData& Data);
  // Overwrites the stored metadata of BLOB Ix.
  bool UpdateMetaInfo(int Ix, const TMetaInfo& MetaInfo);
  int SearchForItemID(int32_t ItemID) const;
  // First record (from StartPos, 1-based) whose name matches. Mode 0: equal, 1: begins
  // with, 2: contains; ASCII case-insensitive. ItemKind gitUndefined accepts every kind.
  int SearchData(const std::string& Name) const;
  int SearchData(const std::string& Name, TgdbItem ItemKind, int StartPos, uint8_t Mode) const;
  // Record numbers (ascending) of the items whose box meets the given box.
  std::vector<int> SearchArea(float LatLow, float LatHigh, float LongLow, float LongHigh) const;
  int GetClosestItemIDIx(int32_t ItemID) const;
  int GetClosestLatLowIx(float Value) const { return ClosestLL(0, Value); }
  int GetClosestLatHighIx(float Value) const { return ClosestLL(1, Value); }
  int GetClosestLongLowIx(float Value) const { return ClosestLL(2, Value); }
  int GetClosestLongHighIx(float Value) const { return ClosestLL(3, Value); }
  void SaveIndex(int Index);
  void RecalcIndexes();
  // Rewrites the data file without unreferenced data and adjusts every DataPos.
  void GarbageCollection();
  void ExportDataDebug(const std::string& FileName) const;

  // ---- index maintenance (arrays grown by one free slot at the end before insertion)
  static void SortIxInto(TIxLLRecArray& Ix, int NumUsed, float Value, int32_t RecIx);
  static void SortIxItemIDInto(TIxItemIDRecArray& Ix, int NumUsed, int32_t ItemID, int32_t RecIx);
  void InsertIntoIndex(int RecNo, const TgdbData& Data);
  void RemoveIndexEntries(int RecNo);

 private:
  TIxLLRec LLEntry(int Which, int Ix) const;
  int ClosestLL(int Which, float Value) const;
  void CloseDB();
  void OpenDB(const std::string& BaseName);
  void WriteHeader(const char* Op);
  void WriteAllIndices();
  void Progress(int Pct);
  bool ValidateIndices() const;
  // Builds a descriptor and appends its data; the caller stores the descriptor.
  TgdbData BuildEntry(const char* Op, const std::string& Name, const TgdbPolygon& Polygon,
                      bool Closed, TgdbItem ItemType, uint8_t ByteAttrib, double Date,
                      int32_t IntAttrib1, float LatLow, float LatHigh, float LongLow,
                      float LongHigh, float FloatAttrib, int32_t IntAttrib2,
                      const TMetaInfo& MetaInfo, const void* Data, int64_t DataSize,
                      bool FromFile, const std::string& SourceFile, int32_t ItemID);
  void WriteDescriptor(int RecIx, const TgdbData& Data);
  bool ReadBlobHeader(int Ix, TMetaInfo& MetaInfo, int64_t& ContentPos) const;
  bool ReadBlobContent(int Ix, TMetaInfo& MetaInfo, std::vector<uint8_t>* Out, std::FILE* To);

  std::string FBaseName;
  std::string FFileNames[7];  // .zolgdd, .zolgds, .zolgi0 .. .zolgi4
  std::vector<TgdbData> FData;
  TIxItemIDRecArray FIxItemID;
  TIxLLRecArray FIxLL[4];
  int32_t FLastItemID = 0;
  int32_t FVersion = 4;
  int32_t FRevision = 0;
  std::string FDescription;
  bool FLazyWrite = false;
  bool FIndicesRebuilt = false;
  // Largest LatHigh - LatLow of all items (an upper bound after deletions); -1 when it
  // must be computed again, NaN when some box is not finite.
  mutable float FMaxLatSpan = -1;
};

}  // namespace zol
