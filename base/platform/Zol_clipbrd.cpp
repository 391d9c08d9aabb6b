// Platform services: the clipboard.
#include "base/platform/Zol_clipbrd.h"

#include <typeinfo>

#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_metafile.h"

namespace zol {

// ---------------------------------------------------------------- memory store
void TMemoryClipboardStore::Clear() { FEntries.clear(); }

bool TMemoryClipboardStore::HasFormat(unsigned Format) const {
  for (const Entry& e : FEntries)
    if (e.Format == Format) return true;
  return false;
}

void TMemoryClipboardStore::SetData(unsigned Format, const std::string& Bytes) {
  for (Entry& e : FEntries)
    if (e.Format == Format) {
      e.Bytes = Bytes;
      return;
    }
  FEntries.push_back({Format, Bytes});
}

bool TMemoryClipboardStore::GetData(unsigned Format, std::string& Bytes) const {
  for (const Entry& e : FEntries)
    if (e.Format == Format) {
      Bytes = e.Bytes;
      return true;
    }
  return false;
}

namespace {
std::unique_ptr<TClipboardStore>& StoreSlot() {
  static std::unique_ptr<TClipboardStore> store = std::make_unique<TMemoryClipboardStore>();
  return store;
}
TClipboardStore& Store() { return *StoreSlot(); }
}  // namespace

void SetClipboardStore(std::unique_ptr<TClipboardStore> NewStore) {
  if (!NewStore) NewStore = std::make_unique<TMemoryClipboardStore>();
  StoreSlot() = std::move(NewStore);
}

// ---------------------------------------------------------------- clipboard
void TClipboard::Open() {
  if (FOpenCount == 0) FEmptied = false;
  ++FOpenCount;
}

void TClipboard::Close() {
  if (FOpenCount > 0) --FOpenCount;
}

void TClipboard::Clear() { Store().Clear(); }

bool TClipboard::HasFormat(unsigned Format) const { return Store().HasFormat(Format); }

// The first entry put on an open clipboard clears the old contents.
void TClipboard::Adding() {
  if (!FEmptied) {
    Store().Clear();
    FEmptied = true;
  }
}

void TClipboard::SetData(unsigned Format, const std::string& Bytes) {
  Open();
  try {
    Adding();
    Store().SetData(Format, Bytes);
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

std::string TClipboard::AsText() const {
  std::string s;
  if (!Store().GetData(CF_TEXT, s)) return std::string();
  return s;
}

void TClipboard::SetAsText(const std::string& Text) { SetData(CF_TEXT, Text); }

void TClipboard::Assign(const TBitmap& Bitmap) {
  TMemoryStream ms;
  Bitmap.SavePNGToStream(ms);
  SetData(CF_BITMAP, std::string(reinterpret_cast<const char*>(ms.Memory()), size_t(ms.Size())));
}

void TClipboard::Assign(const TMetafile& Metafile) {
  TMemoryStream ms;
  Metafile.SaveRecordingToStream(ms);
  SetData(CF_METAFILEPICT,
          std::string(reinterpret_cast<const char*>(ms.Memory()), size_t(ms.Size())));
}

void TClipboard::Assign(const TPersistent& Source) {
  if (auto* b = dynamic_cast<const TBitmap*>(&Source)) return Assign(*b);
  if (auto* m = dynamic_cast<const TMetafile*>(&Source)) return Assign(*m);
  TPersistent::Assign(Source);
}

bool TClipboard::GetBitmap(TBitmap& Bitmap) const {
  std::string bytes;
  if (!Store().GetData(CF_BITMAP, bytes)) return false;
  TStringStream ss(bytes);
  return Bitmap.LoadFromStream(ss);
}

bool TClipboard::GetMetafile(TMetafile& Metafile) const {
  std::string bytes;
  if (!Store().GetData(CF_METAFILEPICT, bytes)) return false;
  TStringStream ss(bytes);
  return Metafile.LoadRecordingFromStream(ss);
}

TClipboard& Clipboard() {
  static TClipboard clip;
  return clip;
}

}  // namespace zol
