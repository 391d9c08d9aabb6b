// Platform services: the clipboard.
//
// The clipboard holds one entry per format (text, bitmap, metafile).  Its
// contents live in a store behind the TClipboardStore interface: the headless
// host keeps them in memory, a windowing host installs a store that talks to
// the system clipboard (SetClipboardStore).  Entries are exchanged as bytes:
// text as UTF-8, bitmaps as PNG, metafiles in the metafile's own recording
// format, so a store never needs to know the drawing classes.
#pragma once

#include <memory>
#include <string>

#include "base/platform/Zol_classes.h"

namespace zol {

class TBitmap;
class TMetafile;

// Clipboard formats.
enum TClipboardFormat : unsigned {
  CF_TEXT = 1,          // UTF-8 text
  CF_BITMAP = 2,        // a raster image (PNG bytes in the store)
  CF_METAFILEPICT = 3,  // a recorded drawing (the metafile recording format)
};
// The metafile format under its second name.
constexpr TClipboardFormat CF_ENHMETAFILE = CF_METAFILEPICT;

// The store behind the clipboard.
class TClipboardStore {
 public:
  virtual ~TClipboardStore() = default;
  virtual void Clear() = 0;
  virtual bool HasFormat(unsigned Format) const = 0;
  // Adds or replaces the entry of one format; the others stay.
  virtual void SetData(unsigned Format, const std::string& Bytes) = 0;
  // False when the format is absent.
  virtual bool GetData(unsigned Format, std::string& Bytes) const = 0;
};

// The in-memory store of the headless host.
class TMemoryClipboardStore : public TClipboardStore {
 public:
  void Clear() override;
  bool HasFormat(unsigned Format) const override;
  void SetData(unsigned Format, const std::string& Bytes) override;
  bool GetData(unsigned Format, std::string& Bytes) const override;

 private:
  struct Entry {
    unsigned Format;
    std::string Bytes;
  };
  std::vector<Entry> FEntries;
};

// Replaces the store of the global clipboard (nullptr restores the in-memory
// store); the clipboard owns it.
void SetClipboardStore(std::unique_ptr<TClipboardStore> Store);

// The clipboard.  Every setter replaces the whole contents, except between
// Open and Close: there the first setter clears the clipboard and the
// following ones add their formats, so one copy can offer a bitmap and a
// metafile together.
class TClipboard : public TPersistent {
 public:
  TClipboard() = default;
  void Open();
  void Close();  // unmatched calls are ignored
  void Clear();
  bool HasFormat(unsigned Format) const;
  // The text entry; empty when the clipboard holds no text.
  std::string AsText() const;
  void SetAsText(const std::string& Text);
  void Assign(const TBitmap& Bitmap);
  void Assign(const TMetafile& Metafile);
  // TPersistent's form: a TBitmap or a TMetafile; other classes raise EConvertError.
  void Assign(const TPersistent& Source) override;
  // Fill the argument from the clipboard; false (argument unchanged) when the
  // format is absent or its bytes cannot be read.
  bool GetBitmap(TBitmap& Bitmap) const;
  bool GetMetafile(TMetafile& Metafile) const;

 private:
  void Adding();
  void SetData(unsigned Format, const std::string& Bytes);
  int FOpenCount = 0;
  bool FEmptied = false;
};

// The global clipboard.
TClipboard& Clipboard();

}  // namespace zol
