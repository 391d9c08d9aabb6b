#include "base/platform/Zol_classes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <typeinfo>

namespace zol {

// ---------------------------------------------------------------- TPersistent
void TPersistent::Assign(const TPersistent& Source) {
  throw EConvertError(std::string("Cannot assign a ") + typeid(Source).name() + " to a " +
                      typeid(*this).name());
}

// ---------------------------------------------------------------- TComponent
TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FComponentState |= csDestroying;
  // Tell everybody who asked, then free what we own (last created first).
  std::vector<TComponent*> notifies;
  notifies.swap(FFreeNotifies);
  for (TComponent* c : notifies) {
    auto& theirs = c->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    c->Notification(this, opRemove);
  }
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    delete c;  // the child's destructor removes it from FComponents
  }
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* c) {
  c->FOwner = this;
  FComponents.push_back(c);
  Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  auto it = std::find(FComponents.begin(), FComponents.end(), c);
  if (it == FComponents.end()) return;
  FComponents.erase(it);
  c->FOwner = nullptr;
  Notification(c, opRemove);
}

void TComponent::SetName(const std::string& v) { FName = v; }

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) return nullptr;
  return FComponents[static_cast<size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, name)) return c;
  return nullptr;
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& v = FOwner->FComponents;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TComponent::SetDesigning(bool v, bool children) {
  if (v) FComponentState |= csDesigning;
  else FComponentState &= ~static_cast<unsigned>(csDesigning);
  if (children)
    for (TComponent* c : FComponents) c->SetDesigning(v, true);
}

void TComponent::BeginLoading() { FComponentState |= csLoading | csReading; }

void TComponent::EndLoading() {
  FComponentState &= ~static_cast<unsigned>(csReading);
  Loaded();
}

void TComponent::Loaded() { FComponentState &= ~static_cast<unsigned>(csLoading); }

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  auto& theirs = AComponent->FFreeNotifies;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent),
                      FFreeNotifies.end());
  auto& theirs = AComponent->FFreeNotifies;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::ChangeOwner(TComponent* NewOwner) {
  if (NewOwner == FOwner) return;
  for (TComponent* p = NewOwner; p; p = p->FOwner)
    if (p == this) throw EListError("A component cannot own itself");
  if (FOwner) FOwner->RemoveComponent(this);
  if (NewOwner) NewOwner->InsertComponent(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) {
    // Keep the free-notification list free of dangling entries.
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent),
                        FFreeNotifies.end());
  }
}

// ---------------------------------------------------------------- TStream
int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  int64_t done = 0;
  while (done < Count) {
    int64_t n = Read(static_cast<char*>(Buffer) + done, Count - done);
    if (n <= 0) throw EReadError("Stream read error");
    done += n;
  }
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  if (Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  int64_t total = Count;
  std::vector<char> buf(65536);
  while (Count > 0) {
    int64_t n = std::min<int64_t>(Count, static_cast<int64_t>(buf.size()));
    Source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    Count -= n;
  }
  return total;
}

// ---------------------------------------------------------------- TFileStream
TFileStream::TFileStream(const std::string& FileName, unsigned Mode) : FFileName(FileName) {
  if ((Mode & 0xFF00) == fmCreate) {
    FHandle = open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0)
      throw EFCreateError("Cannot create file \"" + FileName + "\". " + std::strerror(errno));
    return;
  }
  int flags = O_RDONLY;
  switch (Mode & 3) {
    case fmOpenWrite: flags = O_WRONLY; break;
    case fmOpenReadWrite: flags = O_RDWR; break;
    default: break;
  }
  struct stat st;
  if (stat(FileName.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    throw EFOpenError("Cannot open file \"" + FileName + "\". Is a directory");
  FHandle = open(FileName.c_str(), flags | O_CLOEXEC);
  if (FHandle < 0)
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) close(FHandle);
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t done = 0;
  while (done < Count) {
    ssize_t n = ::read(FHandle, static_cast<char*>(Buffer) + done, static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t done = 0;
  while (done < Count) {
    ssize_t n =
        ::write(FHandle, static_cast<const char*>(Buffer) + done, static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int whence = Origin == soBeginning ? SEEK_SET : (Origin == soCurrent ? SEEK_CUR : SEEK_END);
  off_t r = lseek(FHandle, static_cast<off_t>(Offset), whence);
  if (r < 0) return lseek(FHandle, 0, SEEK_CUR);
  return static_cast<int64_t>(r);
}

void TFileStream::SetSize(int64_t NewSize) {
  if (NewSize < 0 || ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
    throw EStreamError("Cannot set the size of \"" + FFileName + "\"");
  if (Position() > NewSize) Seek(NewSize, soBeginning);
}

// ---------------------------------------------------------------- TMemoryStream
int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || FPosition >= Size()) return 0;
  int64_t n = std::min(Count, Size() - FPosition);
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (FPosition + Count > Size()) FData.resize(static_cast<size_t>(FPosition + Count));
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition += Count;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t p = Origin == soBeginning ? Offset : (Origin == soCurrent ? FPosition + Offset : Size() + Offset);
  if (p >= 0) FPosition = p;  // a position past the end is allowed; writing there fills with zeros
  return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  FData.resize(static_cast<size_t>(NewSize));
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
  Stream.SetPosition(0);
  int64_t n = Stream.Size();
  std::vector<uint8_t> data(static_cast<size_t>(n > 0 ? n : 0));
  Stream.ReadBuffer(data.data(), n);
  FData.swap(data);
  FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& Stream) { Stream.WriteBuffer(FData.data(), Size()); }

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(f);
}

TStringStream::TStringStream(const std::string& Data) {
  FData.assign(Data.begin(), Data.end());
}

// ---------------------------------------------------------------- TStringList
static void CheckIndex(int index, int count) {
  if (index < 0 || index >= count)
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

int TStringList::Compare(const std::string& a, const std::string& b) const {
  if (FCaseSensitive) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  return CompareText(a, b);
}

void TStringList::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TStringList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

const std::string& TStringList::Strings(int index) const {
  CheckIndex(index, Count());
  return FItems[static_cast<size_t>(index)].S;
}

void TStringList::SetStrings(int index, const std::string& s) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  CheckIndex(index, Count());
  FItems[static_cast<size_t>(index)].S = s;
  Changed();
}

TObject* TStringList::Objects(int index) const {
  CheckIndex(index, Count());
  return FItems[static_cast<size_t>(index)].Obj;
}

void TStringList::SetObjects(int index, TObject* obj) {
  CheckIndex(index, Count());
  FItems[static_cast<size_t>(index)].Obj = obj;
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, TObject* obj) {
  int index = Count();
  if (FSorted) {
    if (Find(s, index)) {
      if (FDuplicates == dupIgnore) return index;
      if (FDuplicates == dupError) throw EListError("String list does not allow duplicates");
    }
  }
  FItems.insert(FItems.begin() + index, Item{s, obj});
  Changed();
  return index;
}

void TStringList::AddStrings(const TStringList& other) {
  BeginUpdate();
  for (const Item& it : other.FItems) AddObject(it.S, it.Obj);
  EndUpdate();
}

void TStringList::Insert(int index, const std::string& s) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  if (index < 0 || index > Count())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  FItems.insert(FItems.begin() + index, Item{s, nullptr});
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count());
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TStringList::Exchange(int i, int j) {
  CheckIndex(i, Count());
  CheckIndex(j, Count());
  std::swap(FItems[static_cast<size_t>(i)], FItems[static_cast<size_t>(j)]);
  Changed();
}

void TStringList::Move(int from, int to) {
  CheckIndex(from, Count());
  CheckIndex(to, Count());
  Item it = FItems[static_cast<size_t>(from)];
  FItems.erase(FItems.begin() + from);
  FItems.insert(FItems.begin() + to, it);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

int TStringList::IndexOf(const std::string& s) const {
  if (FSorted) {
    int i;
    return Find(s, i) ? i : -1;
  }
  for (size_t i = 0; i < FItems.size(); ++i)
    if (Compare(FItems[i].S, s) == 0) return static_cast<int>(i);
  return -1;
}

bool TStringList::Find(const std::string& s, int& Index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = Compare(FItems[static_cast<size_t>(mid)].S, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) lo = mid;
      }
    }
  }
  Index = lo;
  return found;
}

void TStringList::Sort() {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [this](const Item& a, const Item& b) { return Compare(a.S, b.S) < 0; });
  Changed();
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& Cmp) {
  // Insertion sort through the index-based comparer (lists are short where this is used).
  for (int i = 1; i < Count(); ++i)
    for (int j = i; j > 0 && Cmp(*this, j - 1, j) > 0; --j)
      std::swap(FItems[static_cast<size_t>(j - 1)], FItems[static_cast<size_t>(j)]);
  Changed();
}

void TStringList::SetSorted(bool v) {
  if (v == FSorted) return;
  FSorted = v;
  if (v) Sort();
}

void TStringList::SetCaseSensitive(bool v) {
  if (v == FCaseSensitive) return;
  FCaseSensitive = v;
  if (FSorted) Sort();
}

std::string TStringList::Text() const {
  std::string r;
  for (const Item& it : FItems) {
    r += it.S;
    r += LineBreak;
  }
  return r;
}

void TStringList::SetText(const std::string& s) {
  BeginUpdate();
  Clear();
  size_t i = 0;
  while (i < s.size()) {
    size_t j = i;
    while (j < s.size() && s[j] != '\n' && s[j] != '\r') ++j;
    Add(s.substr(i, j - i));
    if (j < s.size() && s[j] == '\r' && j + 1 < s.size() && s[j + 1] == '\n') ++j;
    i = j + 1;
  }
  EndUpdate();
}

std::string TStringList::CommaText() const {
  std::string r;
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (i) r += ',';
    const std::string& s = FItems[i].S;
    bool quote = s.empty() && FItems.size() > 1;
    for (char c : s)
      if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') quote = true;
    if (!quote) {
      r += s;
      continue;
    }
    r += '"';
    for (char c : s) {
      if (c == '"') r += '"';
      r += c;
    }
    r += '"';
  }
  return r;
}

void TStringList::SetCommaText(const std::string& s) {
  BeginUpdate();
  Clear();
  size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  while (i < s.size()) {
    std::string field;
    if (s[i] == '"') {
      ++i;
      while (i < s.size()) {
        if (s[i] == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += s[i++];
      }
    } else {
      while (i < s.size() && s[i] != ',' && static_cast<unsigned char>(s[i]) > ' ') field += s[i++];
    }
    FItems.push_back(Item{field, nullptr});
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    if (i < s.size() && s[i] == ',') {
      ++i;
      while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
      if (i == s.size()) FItems.push_back(Item{std::string(), nullptr});
    }
  }
  if (FSorted) Sort();
  EndUpdate();
}

std::string TStringList::Names(int index) const {
  const std::string& s = Strings(index);
  size_t p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

int TStringList::IndexOfName(const std::string& name) const {
  for (size_t i = 0; i < FItems.size(); ++i) {
    size_t p = FItems[i].S.find('=');
    if (p != std::string::npos && Compare(FItems[i].S.substr(0, p), name) == 0)
      return static_cast<int>(i);
  }
  return -1;
}

std::string TStringList::Values(const std::string& name) const {
  int i = IndexOfName(name);
  if (i < 0) return std::string();
  const std::string& s = FItems[static_cast<size_t>(i)].S;
  return s.substr(s.find('=') + 1);
}

void TStringList::SetValues(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  if (i < 0) {
    Add(name + "=" + value);
  } else {
    FItems[static_cast<size_t>(i)].S = name + "=" + value;
    Changed();
  }
}

void TStringList::LoadFromStream(TStream& Stream) {
  int64_t avail = Stream.Size() - Stream.Position();
  std::string bytes;
  if (avail > 0) {
    bytes.resize(static_cast<size_t>(avail));
    int64_t n = Stream.Read(bytes.data(), avail);
    bytes.resize(static_cast<size_t>(n > 0 ? n : 0));
  }
  // A UTF-8 byte-order mark is dropped.
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
      static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
    bytes.erase(0, 3);
  SetText(BytesToUtf8(bytes));
}

void TStringList::SaveToStream(TStream& Stream) const {
  std::string t = Text();
  Stream.WriteBuffer(t.data(), static_cast<int64_t>(t.size()));
}

void TStringList::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead);
  LoadFromStream(f);
}

void TStringList::SaveToFile(const std::string& FileName) const {
  TFileStream f(FileName, fmCreate);
  SaveToStream(f);
}

void TStringList::Assign(const TPersistent& Source) {
  if (auto* s = dynamic_cast<const TStringList*>(&Source)) {
    if (s == this) return;
    BeginUpdate();
    FItems = s->FItems;
    if (FSorted) Sort();
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------- text files
namespace {
[[noreturn]] void IoError(const TextFile& F, const std::string& what, int err) {
  throw EInOutError(what + " \"" + TextFileName(F) + "\": " + std::strerror(err), err);
}
constexpr size_t kTextBuf = 65536;
}  // namespace

TextFile::~TextFile() {
  if (FHandle >= 0) {
    try {
      CloseFile(*this);
    } catch (...) {
      // A destructor does not raise; the data that could not be written is reported by CloseFile.
    }
  }
}

const std::string& TextFileName(const TextFile& F) { return F.FName; }

void AssignFile(TextFile& F, const std::string& FileName) {
  if (F.FHandle >= 0) CloseFile(F);
  F.FName = FileName;
}

void TextFile::Open(int flags, int mode) {
  if (FHandle >= 0) CloseFile(*this);
  struct stat st;
  if (stat(FName.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) IoError(*this, "Cannot open", EISDIR);
  int h = open(FName.c_str(), flags | O_CLOEXEC, 0666);
  if (h < 0) IoError(*this, "Cannot open", errno);
  FHandle = h;
  FMode = mode;
  FBuf.assign(kTextBuf, 0);
  FPos = FLen = 0;
}

void Reset(TextFile& F) { F.Open(O_RDONLY, 1); }
void Rewrite(TextFile& F) { F.Open(O_WRONLY | O_CREAT | O_TRUNC, 2); }
void Append(TextFile& F) { F.Open(O_WRONLY | O_CREAT | O_APPEND, 2); }

void Flush(TextFile& F) {
  if (F.FMode != 2 || F.FLen == 0) return;
  size_t done = 0;
  while (done < F.FLen) {
    ssize_t n = ::write(F.FHandle, F.FBuf.data() + done, F.FLen - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      F.FLen = 0;
      IoError(F, "Cannot write", errno ? errno : EIO);
    }
    done += static_cast<size_t>(n);
  }
  F.FLen = 0;
}

void CloseFile(TextFile& F) {
  if (F.FHandle < 0) return;
  int h = F.FHandle;
  try {
    Flush(F);
  } catch (...) {
    close(h);
    F.FHandle = -1;
    F.FMode = 0;
    throw;
  }
  F.FHandle = -1;
  F.FMode = 0;
  F.FBuf.clear();
  F.FBuf.shrink_to_fit();
  if (close(h) != 0) IoError(F, "Cannot close", errno);
}

int TextFile::Fill() {
  if (FPos < FLen) return 1;
  for (;;) {
    ssize_t n = ::read(FHandle, FBuf.data(), FBuf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) IoError(*this, "Cannot read", errno);
    FPos = 0;
    FLen = static_cast<size_t>(n);
    return n > 0 ? 1 : 0;
  }
}

bool Eof(TextFile& F) {
  if (F.FMode != 1) {
    if (F.FMode == 0) IoError(F, "File not open", EBADF);
    return true;
  }
  return F.Fill() == 0;
}

bool ReadChar(TextFile& F, char& c) {
  if (F.FMode != 1) IoError(F, "File not open for reading", EBADF);
  if (!F.Fill()) return false;
  c = F.FBuf[F.FPos++];
  return true;
}

bool ReadLn(TextFile& F, std::string& Line) {
  if (F.FMode != 1) IoError(F, "File not open for reading", EBADF);
  Line.clear();
  if (!F.Fill()) return false;
  std::string bytes;
  while (F.Fill()) {
    char c = F.FBuf[F.FPos++];
    if (c == '\n') break;
    if (c == '\r') {
      if (F.Fill() && F.FBuf[F.FPos] == '\n') ++F.FPos;
      break;
    }
    bytes += c;
  }
  Line = BytesToUtf8(bytes);
  return true;
}

void Write(TextFile& F, const std::string& s) {
  if (F.FMode != 2) IoError(F, "File not open for writing", EBADF);
  size_t i = 0;
  while (i < s.size()) {
    if (F.FLen == F.FBuf.size()) Flush(F);
    size_t n = std::min(s.size() - i, F.FBuf.size() - F.FLen);
    std::memcpy(F.FBuf.data() + F.FLen, s.data() + i, n);
    F.FLen += n;
    i += n;
  }
}

void WriteLn(TextFile& F, const std::string& s) {
  Write(F, s);
  Write(F, "\n");
}

}  // namespace zol
