// Platform services: the component model, byte streams, string lists and
// line-oriented text files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_sysutils.h"

namespace zol {

// ---------------------------------------------------------------- objects
class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  // Copies the state of Source; the default raises EConvertError
  // ("Cannot assign a <type> to a <type>") for unrelated classes.
  virtual void Assign(const TPersistent& Source);
};

// ---------------------------------------------------------------- components
enum TOperation { opInsert, opRemove };

// Component state flags (bit set).
enum : unsigned {
  csLoading = 0x01,     // properties are being read; Loaded() follows
  csReading = 0x02,
  csDesigning = 0x04,   // hosted by a form designer
  csDestroying = 0x08,  // the destructor runs
};

// A component is created with an owner, which deletes it.  A component deleted
// early removes itself from its owner's list; every component that asked for a
// FreeNotification, and the owner, get Notification(comp, opRemove).
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  virtual void SetName(const std::string& v);
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const;  // nullptr when out of range
  TComponent* FindComponent(const std::string& name) const;  // ASCII case-insensitive
  int ComponentIndex() const;  // position in the owner's list, -1 without owner
  unsigned ComponentState() const { return FComponentState; }
  bool IsLoading() const { return (FComponentState & csLoading) != 0; }
  bool IsDesigning() const { return (FComponentState & csDesigning) != 0; }
  bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }
  void SetDesigning(bool v, bool children = true);
  // Marks the start of property reading; EndLoading clears the flag and calls Loaded().
  void BeginLoading();
  void EndLoading();
  // Called after all properties were read.
  virtual void Loaded();
  // Asks to be told (Notification opRemove) when AComponent is destroyed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  // Moves the component to another owner (nullptr: the caller owns it).
  void ChangeOwner(TComponent* NewOwner);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t v) { FTag = v; }

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // The detail text of a component message: "Component \"Name\": detail".
  std::string ComponentMsg(const std::string& detail) const { return ComponentMessage(FName, detail); }
  unsigned FComponentState = 0;

 private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  TComponent* FOwner = nullptr;
  std::string FName;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  intptr_t FTag = 0;
};

// ---------------------------------------------------------------- streams
enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
 public:
  // Move up to Count bytes; return the number moved (0 at the end).
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t v) { Seek(v, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);
  // Raise EReadError / EWriteError when Count bytes cannot be moved.
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes (all from position 0 when Count == 0) from Source; returns the count.
  int64_t CopyFrom(TStream& Source, int64_t Count);
};

// File open modes (fmCreate replaces an existing file).
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmCreate = 0xFF00,
  fmShareDenyNone = 0x0040,  // sharing flags are accepted and ignored
  fmShareDenyWrite = 0x0020,
  fmShareExclusive = 0x0010,
};

class TFileStream : public TStream {
 public:
  // Raises EFOpenError ("Cannot open file \"path\". reason") or
  // EFCreateError ("Cannot create file \"path\". reason").
  TFileStream(const std::string& FileName, unsigned Mode);
  ~TFileStream() override;
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  const std::string& FileName() const { return FFileName; }

 private:
  int FHandle = -1;
  std::string FFileName;
};

class TMemoryStream : public TStream {
 public:
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }
  void SetSize(int64_t NewSize) override;
  void Clear();
  uint8_t* Memory() { return FData.data(); }
  const uint8_t* Memory() const { return FData.data(); }
  void LoadFromStream(TStream& Stream);  // the whole stream from position 0
  void SaveToStream(TStream& Stream);
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

 protected:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};

// A memory stream over a string of bytes.
class TStringStream : public TMemoryStream {
 public:
  explicit TStringStream(const std::string& Data = std::string());
  std::string DataString() const { return std::string(FData.begin(), FData.end()); }
};

// ---------------------------------------------------------------- string lists
enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TPersistent {
 public:
  TStringList() = default;
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError ("List index out of bounds (i)") for a bad index.
  const std::string& Strings(int index) const;
  void SetStrings(int index, const std::string& s);
  const std::string& operator[](int index) const { return Strings(index); }
  TObject* Objects(int index) const;
  void SetObjects(int index, TObject* obj);
  int Add(const std::string& s);  // returns the index (sorted position when Sorted)
  int AddObject(const std::string& s, TObject* obj);
  void AddStrings(const TStringList& other);
  void Insert(int index, const std::string& s);
  void Delete(int index);
  void Exchange(int i, int j);
  void Move(int from, int to);
  void Clear();
  int IndexOf(const std::string& s) const;  // CaseSensitive decides; -1 when absent
  // Binary search of a sorted list: true when found; Index is the match or the insertion point.
  bool Find(const std::string& s, int& Index) const;
  void Sort();
  void CustomSort(const std::function<int(const TStringList&, int, int)>& Compare);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool v);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates v) { FDuplicates = v; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool v);
  // Lines joined with LineBreak after each; SetText splits at LF, CR LF and CR.
  std::string Text() const;
  void SetText(const std::string& s);
  // Comma-separated, fields with blanks, commas or quotes are double-quoted.
  std::string CommaText() const;
  void SetCommaText(const std::string& s);
  std::string LineBreak = "\n";
  // Name=Value pairs.
  std::string Names(int index) const;
  std::string Values(const std::string& name) const;
  void SetValues(const std::string& name, const std::string& value);
  int IndexOfName(const std::string& name) const;
  // Files: bytes that are not valid UTF-8 are read as Latin-1.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;
  void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream) const;
  void Assign(const TPersistent& Source) override;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  TNotifyEvent OnChange;

 private:
  int Compare(const std::string& a, const std::string& b) const;
  void Changed();
  struct Item {
    std::string S;
    TObject* Obj = nullptr;
  };
  std::vector<Item> FItems;
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = dupIgnore;
  int FUpdateCount = 0;
};

// ---------------------------------------------------------------- text files
// Line-oriented text files: AssignFile, then Reset (read), Rewrite (create) or
// Append; failures raise EInOutError.  Lines end in LF, CR LF or CR when read
// and in LF when written.
class TextFile {
 public:
  TextFile() = default;
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

 private:
  friend void AssignFile(TextFile&, const std::string&);
  friend void Reset(TextFile&);
  friend void Rewrite(TextFile&);
  friend void Append(TextFile&);
  friend void CloseFile(TextFile&);
  friend bool Eof(TextFile&);
  friend bool ReadChar(TextFile&, char&);
  friend bool ReadLn(TextFile&, std::string&);
  friend void Write(TextFile&, const std::string&);
  friend void WriteLn(TextFile&, const std::string&);
  friend void Flush(TextFile&);
  friend const std::string& TextFileName(const TextFile&);
  int Fill();
  void Open(int flags, int mode);
  std::string FName;
  int FHandle = -1;
  int FMode = 0;  // 0 closed, 1 reading, 2 writing
  std::vector<char> FBuf;
  size_t FPos = 0, FLen = 0;
};

void AssignFile(TextFile& F, const std::string& FileName);
void Reset(TextFile& F);    // opens for reading
void Rewrite(TextFile& F);  // creates (truncates) for writing
void Append(TextFile& F);   // opens for writing at the end (creates when missing)
void CloseFile(TextFile& F);
bool Eof(TextFile& F);
// Reads one byte exactly as stored (line ends included); false at the end.
bool ReadChar(TextFile& F, char& c);
// Reads the next line without its line end, converted by BytesToUtf8; false at the end.
bool ReadLn(TextFile& F, std::string& Line);
void Write(TextFile& F, const std::string& s);
void WriteLn(TextFile& F, const std::string& s = std::string());
void Flush(TextFile& F);
const std::string& TextFileName(const TextFile& F);

}  // namespace zol
