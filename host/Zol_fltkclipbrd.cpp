#include "host/Zol_fltkclipbrd.h"


#include <chrono>
#include <vector>

#include "base/platform/Zol_imaging.h"
#include "host/Zol_fltkkeys.h"

// The toolkit last: its X headers define macros such as KeyPress.
#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Shared_Image.H>
#include <FL/Fl_Widget.H>

namespace zol {

namespace {

bool gBusy = false;
bool gInstalled = false;

// Receives the answer of a paste request.
class PasteReceiver : public Fl_Widget {
 public:
  PasteReceiver() : Fl_Widget(0, 0, 0, 0) {}
  void draw() override {}
  int handle(int ev) override {
    if (ev != FL_PASTE) return 0;
    Done = true;
    if (std::string(Fl::event_clipboard_type()) == Fl::clipboard_image) {
      auto* img = static_cast<Fl_Image*>(Fl::event_clipboard());
      if (!img) return 1;
      if (img->w() > 0 && img->h() > 0 && img->count() == 1 && img->d() >= 1 && img->data()) {
        std::vector<uint32_t> px;
        fltkhost::FromRGB(reinterpret_cast<const uint8_t*>(img->data()[0]), img->w(), img->h(), img->d(), img->ld(),
                          px);
        std::vector<uint8_t> png;
        std::string err;
        if (Imaging::EncodePNG(img->w(), img->h(), px.data(), false, png, err)) {
          Bytes.assign(png.begin(), png.end());
          Got = true;
        }
      }
      delete img;  // accepted: the receiver owns it
      return 1;
    }
    Bytes.assign(Fl::event_text(), size_t(std::max(0, Fl::event_length())));
    Got = true;
    return 1;
  }
  bool Done = false, Got = false;
  std::string Bytes;
};

bool Fetch(const char* type, std::string& out) {
  if (!Fl::first_window()) return false;
  PasteReceiver r;
  gBusy = true;
  Fl::paste(r, 1, type);
  auto start = std::chrono::steady_clock::now();
  while (!r.Done && std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) Fl::wait(0.02);
  gBusy = false;
  if (!r.Got) return false;
  out = std::move(r.Bytes);
  return true;
}

}  // namespace

TFltkClipboardStore::TFltkClipboardStore() { Fl::add_clipboard_notify(Changed, this); }

TFltkClipboardStore::~TFltkClipboardStore() { Fl::remove_clipboard_notify(Changed); }

void TFltkClipboardStore::Changed(int Source, void* Self) {
  // Another program took the clipboard: what was kept here is no longer on it.
  if (Source == 1) static_cast<TFltkClipboardStore*>(Self)->FOwned = false;
}

void TFltkClipboardStore::Clear() {
  FLocal.Clear();
  FOwned = false;
  Fl::copy("", 0, 1);
}

bool TFltkClipboardStore::HasFormat(unsigned Format) const {
  if (FOwned) return FLocal.HasFormat(Format);
  if (Format == CF_TEXT) return Fl::clipboard_contains(Fl::clipboard_plain_text) != 0;
  if (Format == CF_BITMAP) return Fl::clipboard_contains(Fl::clipboard_image) != 0;
  return false;
}

void TFltkClipboardStore::SetData(unsigned Format, const std::string& Bytes) {
  FLocal.SetData(Format, Bytes);
  if (Format == CF_TEXT) {
    Fl::copy(Bytes.data(), int(Bytes.size()), 1);
  } else if (Format == CF_BITMAP) {
    int w = 0, h = 0;
    bool alpha = false;
    std::vector<uint32_t> px;
    std::string err;
    if (Imaging::DecodePNG(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size(), w, h, px, alpha, err) &&
        w > 0 && h > 0) {
      std::vector<uint8_t> rgb;
      fltkhost::ToRGB(px.data(), w, TRect(0, 0, w, h), rgb);
      Fl::copy_image(rgb.data(), w, h, 1);
    }
  }
  // Set after the copies: the toolkit's notification of our own copy comes first.
  FOwned = true;
}

bool TFltkClipboardStore::GetData(unsigned Format, std::string& Bytes) const {
  if (FOwned) return FLocal.GetData(Format, Bytes);
  if (Format == CF_TEXT) {
    if (!Fl::clipboard_contains(Fl::clipboard_plain_text)) return false;
    return Fetch(Fl::clipboard_plain_text, Bytes);
  }
  if (Format == CF_BITMAP) {
    if (!Fl::clipboard_contains(Fl::clipboard_image)) return false;
    return Fetch(Fl::clipboard_image, Bytes);
  }
  return false;
}

void InstallFltkClipboard() {
  if (gInstalled) return;
  fl_register_images();
  SetClipboardStore(std::make_unique<TFltkClipboardStore>());
  gInstalled = true;
}

void RemoveFltkClipboard() {
  if (!gInstalled) return;
  SetClipboardStore(nullptr);
  gInstalled = false;
}

bool FltkClipboardBusy() { return gBusy; }

}  // namespace zol
