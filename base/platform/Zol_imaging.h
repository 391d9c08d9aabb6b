// Platform services: JPEG images.  The BMP, PNG and JPEG codecs of TBitmap
// live in Zol_imaging.cpp as well; this header holds no codec types.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_graphics.h"

namespace zol {

// A JPEG image: the compressed data and its decoded pixels.  LoadFromStream
// answers false (and leaves the image empty) for truncated or corrupt data,
// including data the decoder could only finish with warnings; it never
// produces a partly grey picture.  SaveToStream writes the loaded data
// unchanged, or, after Assign from a bitmap, compresses the pixels with
// CompressionQuality (1..100, default 90).
class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;
  TJPEGImage(const TJPEGImage&) = delete;
  TJPEGImage& operator=(const TJPEGImage&) = delete;

  int Width() const override;
  int Height() const override;
  int CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(int q);  // clamped to 1..100
  // Grey-scale output when saving (and decoding to grey when loading such a file).
  bool Grayscale() const { return FGrayscale; }
  void SetGrayscale(bool v);

  void Draw(TCanvas& c, const TRect& r) const override;
  bool LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  // Raises EInvalidGraphic ("JPEG error: <reason>") instead of answering false.
  void LoadFromStreamOrRaise(TStream& s);

  // Assign from a TBitmap or a TJPEGImage (other classes: EConvertError).
  void Assign(const TPersistent& Source) override;
  // The decoded pixels (an empty bitmap when the image is empty).
  const TBitmap& Bitmap() const { return *FBitmap; }
  // Copies the pixels into dest; raises EInvalidGraphic when the image is empty.
  void AssignTo(TBitmap& dest) const;
  // The last error text of LoadFromStream (empty after success).
  const std::string& LastError() const { return FLastError; }

 private:
  std::unique_ptr<TBitmap> FBitmap;
  std::vector<uint8_t> FData;  // the compressed data, empty when the pixels changed
  int FQuality = 90;
  bool FGrayscale = false;
  std::string FLastError;
};

// Codec routines used by TBitmap and TJPEGImage.  Pixels are TBitmap words
// (0xAARRGGBB).  Decoders answer false on any fault and leave the outputs
// untouched; err receives a short reason.  MaxImagePixels bounds what a
// decoder accepts.
constexpr int64_t MaxImagePixels = int64_t(1) << 28;
namespace Imaging {
bool DecodeBMP(const uint8_t* data, size_t size, int& w, int& h, std::vector<uint32_t>& px, bool& hasAlpha,
               std::string& err);
std::vector<uint8_t> EncodeBMP(int w, int h, const uint32_t* px, bool withAlpha);
bool DecodePNG(const uint8_t* data, size_t size, int& w, int& h, std::vector<uint32_t>& px, bool& hasAlpha,
               std::string& err);
bool EncodePNG(int w, int h, const uint32_t* px, bool withAlpha, std::vector<uint8_t>& out, std::string& err);
bool DecodeJPEG(const uint8_t* data, size_t size, int& w, int& h, std::vector<uint32_t>& px, bool& gray,
                std::string& err);
bool EncodeJPEG(int w, int h, const uint32_t* px, int quality, bool gray, std::vector<uint8_t>& out,
                std::string& err);
// Reads the rest of a stream (from its position) into memory; false when it
// is larger than limit bytes.
bool ReadAll(TStream& s, std::vector<uint8_t>& out, int64_t limit = int64_t(1) << 31);
}  // namespace Imaging

}  // namespace zol
