// Image codecs: BMP (our own), PNG (libpng, simplified interface) and JPEG
// (libjpeg-turbo), the file side of TBitmap, and TJPEGImage.
//
// Every decoder checks the sizes it reads against the bytes it has before it
// allocates: BMP exactly, PNG and JPEG by a bound on the pixels a stream of
// that length can describe (deflate and entropy-coded data cannot shrink an
// image beyond a fixed ratio).
#include "base/platform/Zol_imaging.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <initializer_list>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "base/platform/Zol_resources.h"

namespace zol {
namespace Imaging {

bool ReadAll(TStream& s, std::vector<uint8_t>& out, int64_t limit) {
  out.clear();
  int64_t pos = s.Position(), size = s.Size();
  if (size >= pos && size - pos <= limit) out.reserve(static_cast<size_t>(size - pos));
  uint8_t buf[65536];
  for (;;) {
    int64_t n = s.Read(buf, sizeof buf);
    if (n <= 0) break;
    if (int64_t(out.size()) + n > limit) return false;
    out.insert(out.end(), buf, buf + n);
  }
  return true;
}

// ---------------------------------------------------------------- BMP
namespace {
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
int32_t S32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }
void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
// Extracts the field of a bit mask scaled to 0..255.
uint32_t MaskField(uint32_t v, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  uint32_t m = mask >> shift;
  uint32_t x = (v >> shift) & m;
  if (m == 0xFF) return x;
  return static_cast<uint32_t>((uint64_t(x) * 255 + m / 2) / m);
}
}  // namespace

bool DecodeBMP(const uint8_t* d, size_t size, int& w, int& h, std::vector<uint32_t>& px, bool& hasAlpha,
               std::string& err) {
  if (size < 14 + 12 || d[0] != 'B' || d[1] != 'M') {
    err = "not a BMP file";
    return false;
  }
  uint32_t offBits = U32(d + 10);
  uint32_t hdr = U32(d + 14);
  if (hdr != 12 && hdr < 40) {
    err = "unsupported BMP header";
    return false;
  }
  if (size < 14 + size_t(hdr)) {
    err = "truncated BMP header";
    return false;
  }
  int64_t width, height;
  unsigned bpp, planes;
  uint32_t compression = 0, clrUsed = 0;
  uint32_t masks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};
  size_t palEntry = 4;
  if (hdr == 12) {
    width = U16(d + 18);
    height = static_cast<int16_t>(U16(d + 20));
    planes = U16(d + 22);
    bpp = U16(d + 24);
    palEntry = 3;
  } else {
    width = S32(d + 18);
    height = S32(d + 22);
    planes = U16(d + 26);
    bpp = U16(d + 28);
    compression = U32(d + 30);
    clrUsed = U32(d + 46);
  }
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (planes != 1 || width <= 0 || height <= 0) {
    err = "bad BMP dimensions";
    return false;
  }
  if (width * height > MaxImagePixels || width > (1 << 28) || height > (1 << 28)) {
    err = "BMP image too large";
    return false;
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
    err = "unsupported BMP bit depth";
    return false;
  }
  if (compression == 3 && (bpp == 16 || bpp == 32)) {
    // Bit fields: in the V4/V5 header or after the 40-byte header.
    size_t at = 14 + 40;
    size_t need = at + (hdr >= 56 ? 16 : 12);
    if (size < need) {
      err = "truncated BMP bit fields";
      return false;
    }
    masks[0] = U32(d + at);
    masks[1] = U32(d + at + 4);
    masks[2] = U32(d + at + 8);
    masks[3] = hdr >= 56 ? U32(d + at + 12) : 0;
  } else if (compression != 0) {
    err = "compressed BMP files are not supported";
    return false;
  } else if (bpp == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }
  // Palette.
  std::vector<uint32_t> pal;
  if (bpp <= 8) {
    uint64_t n = clrUsed ? clrUsed : (1u << bpp);
    if (n > 256) n = 256;
    size_t at = 14 + size_t(hdr) + ((compression == 3) ? 12 : 0);
    if (at + n * palEntry > size) {
      err = "truncated BMP palette";
      return false;
    }
    pal.resize(size_t(n));
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* e = d + at + i * palEntry;
      pal[i] = 0xFF000000u | (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    }
  }
  uint64_t stride = ((uint64_t(width) * bpp + 31) / 32) * 4;
  if (offBits < 14 + hdr || offBits > size || (size - offBits) / stride < uint64_t(height)) {
    err = "truncated BMP pixel data";
    return false;
  }
  std::vector<uint32_t> out(size_t(width) * size_t(height));
  bool anyAlpha = false;
  for (int64_t r = 0; r < height; ++r) {
    const uint8_t* src = d + offBits + size_t(r) * stride;
    int64_t y = topDown ? r : height - 1 - r;
    uint32_t* dst = out.data() + size_t(y) * size_t(width);
    for (int64_t x = 0; x < width; ++x) {
      uint32_t v;
      switch (bpp) {
        case 1:
        case 4:
        case 8: {
          unsigned idx;
          if (bpp == 8)
            idx = src[x];
          else if (bpp == 4)
            idx = (src[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
          else
            idx = (src[x / 8] >> (7 - (x & 7))) & 1;
          v = idx < pal.size() ? pal[idx] : 0xFF000000u;
          break;
        }
        case 16: {
          uint32_t raw = U16(src + 2 * x);
          v = 0xFF000000u | (MaskField(raw, masks[0]) << 16) | (MaskField(raw, masks[1]) << 8) |
              MaskField(raw, masks[2]);
          break;
        }
        case 24:
          v = 0xFF000000u | (uint32_t(src[3 * x + 2]) << 16) | (uint32_t(src[3 * x + 1]) << 8) | src[3 * x];
          break;
        default: {
          uint32_t raw = U32(src + 4 * x);
          if (compression == 3) {
            uint32_t a = masks[3] ? MaskField(raw, masks[3]) : 0xFF;
            v = (a << 24) | (MaskField(raw, masks[0]) << 16) | (MaskField(raw, masks[1]) << 8) |
                MaskField(raw, masks[2]);
            if (masks[3] && a != 0xFF) anyAlpha = true;
          } else {
            v = raw;
            if ((raw >> 24) != 0) anyAlpha = true;
          }
          break;
        }
      }
      dst[x] = v;
    }
  }
  hasAlpha = false;
  if (bpp == 32) {
    if (compression == 3)
      hasAlpha = masks[3] != 0 && anyAlpha;
    else if (anyAlpha)
      hasAlpha = true;  // BI_RGB with a used fourth byte: alpha
    else
      for (auto& p : out) p |= 0xFF000000u;  // all zero: unused, opaque
  }
  w = static_cast<int>(width);
  h = static_cast<int>(height);
  px.swap(out);
  return true;
}

std::vector<uint8_t> EncodeBMP(int w, int h, const uint32_t* px, bool withAlpha) {
  unsigned bpp = withAlpha ? 32 : 24;
  uint64_t stride = ((uint64_t(w) * bpp + 31) / 32) * 4;
  uint64_t dataSize = stride * uint64_t(h);
  std::vector<uint8_t> v;
  v.reserve(54 + dataSize);
  v.push_back('B');
  v.push_back('M');
  Put32(v, static_cast<uint32_t>(54 + dataSize));
  Put32(v, 0);
  Put32(v, 54);
  Put32(v, 40);
  Put32(v, static_cast<uint32_t>(w));
  Put32(v, static_cast<uint32_t>(h));  // bottom-up rows
  Put16(v, 1);
  Put16(v, bpp);
  Put32(v, 0);  // BI_RGB
  Put32(v, static_cast<uint32_t>(dataSize));
  Put32(v, 3780);  // 96 pixels per inch
  Put32(v, 3780);
  Put32(v, 0);
  Put32(v, 0);
  for (int r = h - 1; r >= 0; --r) {
    const uint32_t* row = px + size_t(r) * size_t(w);
    size_t start = v.size();
    for (int x = 0; x < w; ++x) {
      uint32_t p = row[x];
      v.push_back(uint8_t(p));
      v.push_back(uint8_t(p >> 8));
      v.push_back(uint8_t(p >> 16));
      if (withAlpha) v.push_back(uint8_t(p >> 24));
    }
    while (v.size() - start < stride) v.push_back(0);
  }
  return v;
}

// ---------------------------------------------------------------- PNG
// The simplified libpng interface does its own setjmp/longjmp inside C code;
// no C++ frame is ever skipped.
bool DecodePNG(const uint8_t* data, size_t size, int& w, int& h, std::vector<uint32_t>& px, bool& hasAlpha,
               std::string& err) {
  // The chunk list must be complete up to IEND: a file cut anywhere is an error,
  // even when the cut only lost the end marker.
  {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size < 8 || std::memcmp(data, sig, 8) != 0) {
      err = "PNG error: not a PNG file";
      return false;
    }
    size_t pos = 8;
    bool end = false;
    while (!end) {
      if (size - pos < 12) {
        err = "PNG error: truncated file";
        return false;
      }
      uint32_t len = (uint32_t(data[pos]) << 24) | (uint32_t(data[pos + 1]) << 16) |
                     (uint32_t(data[pos + 2]) << 8) | data[pos + 3];
      if (len > size - pos - 12) {
        err = "PNG error: truncated file";
        return false;
      }
      end = std::memcmp(data + pos + 4, "IEND", 4) == 0;
      pos += 12 + size_t(len);
    }
  }
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&img, data, size)) {
    err = std::string("PNG error: ") + img.message;
    png_image_free(&img);
    return false;
  }
  // 1-bit grey deflates at most ~8300 pixels per byte of stream.
  int64_t limit = std::min<int64_t>(MaxImagePixels, (int64_t(1) << 22) + int64_t(size) * 8300);
  if (img.width == 0 || img.height == 0 || int64_t(img.width) * img.height > limit) {
    err = "PNG error: image too large for its data";
    png_image_free(&img);
    return false;
  }
  hasAlpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  img.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> out(size_t(img.width) * img.height);
  if (!png_image_finish_read(&img, nullptr, out.data(), static_cast<png_int_32>(img.width * 4), nullptr)) {
    err = std::string("PNG error: ") + img.message;
    png_image_free(&img);
    return false;
  }
  if (img.warning_or_error & PNG_IMAGE_ERROR) {
    err = std::string("PNG error: ") + img.message;
    return false;
  }
  w = static_cast<int>(img.width);
  h = static_cast<int>(img.height);
  px.swap(out);
  return true;
}

bool EncodePNG(int w, int h, const uint32_t* px, bool withAlpha, std::vector<uint8_t>& out, std::string& err) {
  if (w <= 0 || h <= 0) {
    err = "PNG error: empty image";
    return false;
  }
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(w);
  img.height = static_cast<png_uint_32>(h);
  std::vector<uint8_t> rgb;
  const void* buffer = px;
  png_int_32 stride = w * 4;
  if (withAlpha) {
    img.format = PNG_FORMAT_BGRA;
  } else {
    img.format = PNG_FORMAT_BGR;
    rgb.resize(size_t(w) * size_t(h) * 3);
    for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i) {
      rgb[3 * i] = uint8_t(px[i]);
      rgb[3 * i + 1] = uint8_t(px[i] >> 8);
      rgb[3 * i + 2] = uint8_t(px[i] >> 16);
    }
    buffer = rgb.data();
    stride = w * 3;
  }
  png_alloc_size_t len = 0;
  if (!png_image_write_get_memory_size(img, len, 0, buffer, stride, nullptr)) {
    err = std::string("PNG error: ") + img.message;
    png_image_free(&img);
    return false;
  }
  out.resize(len);
  if (!png_image_write_to_memory(&img, out.data(), &len, 0, buffer, stride, nullptr)) {
    err = std::string("PNG error: ") + img.message;
    png_image_free(&img);
    out.clear();
    return false;
  }
  out.resize(len);
  return true;
}

// ---------------------------------------------------------------- JPEG
namespace {
struct JpegErr {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
  JpegErr* e = reinterpret_cast<JpegErr*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  longjmp(e->jump, 1);
}

// Warnings (premature end of data, corrupt data) are errors here: a damaged
// file must not come back as a partly grey picture.  Trace messages are ignored.
extern "C" void JpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  JpegErr* e = reinterpret_cast<JpegErr*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  longjmp(e->jump, 1);
}

extern "C" void JpegOutputMessage(j_common_ptr) {}

// No C++ object with a destructor lives in this function: longjmp may leave it.
bool DecodeJpegCore(const uint8_t* data, size_t size, std::vector<uint32_t>* out, int* w, int* h, bool* gray,
                    char* msg) {
  jpeg_decompress_struct cinfo;
  JpegErr jerr;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = JpegErrorExit;
  jerr.pub.emit_message = JpegEmitMessage;
  jerr.pub.output_message = JpegOutputMessage;
  jerr.message[0] = 0;
  if (setjmp(jerr.jump)) {
    std::snprintf(msg, JMSG_LENGTH_MAX, "%s", jerr.message);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  int64_t limit = std::min<int64_t>(MaxImagePixels, (int64_t(1) << 22) + int64_t(size) * 1024);
  if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
      int64_t(cinfo.image_width) * cinfo.image_height > limit) {
    std::snprintf(msg, JMSG_LENGTH_MAX, "image too large for its data");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  *gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  size_t W = cinfo.output_width, H = cinfo.output_height;
  out->assign(W * H, 0);
  while (cinfo.output_scanline < cinfo.output_height) {
    size_t y = cinfo.output_scanline;
    uint32_t* row32 = out->data() + y * W;
    JSAMPROW row = reinterpret_cast<JSAMPROW>(row32);
    if (cmyk) {
      // Four bytes per pixel fit the row of words; converted in place below.
      jpeg_read_scanlines(&cinfo, &row, 1);
      bool inverted = cinfo.saw_Adobe_marker;
      for (size_t x = 0; x < W; ++x) {
        uint8_t* p = reinterpret_cast<uint8_t*>(row32 + x);
        unsigned c = p[0], m = p[1], yy = p[2], k = p[3];
        if (!inverted) {
          c = 255 - c;
          m = 255 - m;
          yy = 255 - yy;
          k = 255 - k;
        }
        unsigned r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (yy * k + 127) / 255;
        row32[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
      }
    } else {
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  *w = static_cast<int>(W);
  *h = static_cast<int>(H);
  return true;
}

bool EncodeJpegCore(int w, int h, const uint32_t* px, int quality, bool gray, uint8_t* rowBuf,
                    unsigned char** outBuf, unsigned long* outSize, char* msg) {
  jpeg_compress_struct cinfo;
  JpegErr jerr;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = JpegErrorExit;
  jerr.pub.output_message = JpegOutputMessage;
  jerr.message[0] = 0;
  if (setjmp(jerr.jump)) {
    std::snprintf(msg, JMSG_LENGTH_MAX, "%s", jerr.message);
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, outBuf, outSize);
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = gray ? 1 : 4;
  cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_BGRX;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.density_unit = 1;  // dots per inch
  cinfo.X_density = 96;
  cinfo.Y_density = 96;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint32_t* src = px + size_t(cinfo.next_scanline) * size_t(w);
    JSAMPROW row;
    if (gray) {
      for (int x = 0; x < w; ++x) {
        uint32_t p = src[x];
        unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        rowBuf[x] = static_cast<uint8_t>((299 * r + 587 * g + 114 * b + 500) / 1000);
      }
      row = rowBuf;
    } else {
      row = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(src));
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}
}  // namespace

bool DecodeJPEG(const uint8_t* data, size_t size, int& w, int& h, std::vector<uint32_t>& px, bool& gray,
                std::string& err) {
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
    err = "JPEG error: not a JPEG file";
    return false;
  }
  std::vector<uint32_t> out;
  int ww = 0, hh = 0;
  bool g = false;
  char msg[JMSG_LENGTH_MAX] = {0};
  if (!DecodeJpegCore(data, size, &out, &ww, &hh, &g, msg)) {
    err = std::string("JPEG error: ") + msg;
    return false;
  }
  w = ww;
  h = hh;
  gray = g;
  px.swap(out);
  return true;
}

bool EncodeJPEG(int w, int h, const uint32_t* px, int quality, bool gray, std::vector<uint8_t>& out,
                std::string& err) {
  if (w <= 0 || h <= 0) {
    err = "JPEG error: empty image";
    return false;
  }
  std::vector<uint8_t> rowBuf(static_cast<size_t>(w));
  unsigned char* buf = nullptr;
  unsigned long len = 0;
  char msg[JMSG_LENGTH_MAX] = {0};
  bool ok = EncodeJpegCore(w, h, px, std::clamp(quality, 1, 100), gray, rowBuf.data(), &buf, &len, msg);
  if (ok) out.assign(buf, buf + len);
  std::free(buf);
  if (!ok) err = std::string("JPEG error: ") + msg;
  return ok;
}

}  // namespace Imaging

// ============================================================== TBitmap file side
namespace {
bool HasExt(const std::string& fileName, std::initializer_list<const char*> exts) {
  std::string e = LowerCase(ExtractFileExt(fileName));
  for (const char* x : exts)
    if (e == x) return true;
  return false;
}
}  // namespace

// Reads the whole stream and decodes it as the given format (fmtAuto: by the
// file signature); an unreadable stream leaves the bitmap empty.
bool TBitmap::LoadDecoded(TStream& s, int format) {
  enum { fmtAuto, fmtBMP, fmtPNG, fmtJPEG };
  std::vector<uint8_t> data;
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  std::string err;
  bool alpha = false, ok = false;
  if (Imaging::ReadAll(s, data)) {
    if (format == fmtAuto) {
      if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') format = fmtBMP;
      else if (data.size() >= 8 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G')
        format = fmtPNG;
      else if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8) format = fmtJPEG;
    }
    if (format == fmtBMP) {
      ok = Imaging::DecodeBMP(data.data(), data.size(), w, h, px, alpha, err);
    } else if (format == fmtPNG) {
      ok = Imaging::DecodePNG(data.data(), data.size(), w, h, px, alpha, err);
    } else if (format == fmtJPEG) {
      bool gray = false;
      ok = Imaging::DecodeJPEG(data.data(), data.size(), w, h, px, gray, err);
      alpha = false;
    }
  }
  if (!ok) {
    Clear();
    return false;
  }
  FPixels.swap(px);
  FWidth = w;
  FHeight = h;
  FPixelFormat = alpha ? pf32bit : pf24bit;
  Changed();
  return true;
}

bool TBitmap::LoadFromStream(TStream& s) { return LoadDecoded(s, 0); }
bool TBitmap::LoadBMPFromStream(TStream& s) { return LoadDecoded(s, 1); }
bool TBitmap::LoadPNGFromStream(TStream& s) { return LoadDecoded(s, 2); }
bool TBitmap::LoadJPEGFromStream(TStream& s) { return LoadDecoded(s, 3); }

void TBitmap::SaveToStream(TStream& s) const { SaveBMPToStream(s); }

void TBitmap::SaveBMPToStream(TStream& s) const {
  std::vector<uint8_t> v = Imaging::EncodeBMP(FWidth, FHeight, FPixels.data(), FPixelFormat == pf32bit);
  s.WriteBuffer(v.data(), int64_t(v.size()));
}

void TBitmap::SavePNGToStream(TStream& s) const {
  std::vector<uint8_t> v;
  std::string err;
  if (!Imaging::EncodePNG(FWidth, FHeight, FPixels.data(), FPixelFormat == pf32bit, v, err))
    throw EInvalidGraphic(err);
  s.WriteBuffer(v.data(), int64_t(v.size()));
}

void TBitmap::SaveJPEGToStream(TStream& s, int quality) const {
  std::vector<uint8_t> v;
  std::string err;
  if (!Imaging::EncodeJPEG(FWidth, FHeight, FPixels.data(), quality, false, v, err)) throw EInvalidGraphic(err);
  s.WriteBuffer(v.data(), int64_t(v.size()));
}

void TBitmap::SaveToFile(const std::string& fileName) const {
  TMemoryStream ms;
  if (HasExt(fileName, {".png"}))
    SavePNGToStream(ms);
  else if (HasExt(fileName, {".jpg", ".jpeg", ".jpe", ".jfif"}))
    SaveJPEGToStream(ms);
  else
    SaveBMPToStream(ms);
  TFileStream fs(fileName, fmCreate);
  fs.WriteBuffer(ms.Memory(), ms.Size());
}

bool TBitmap::LoadFromResourceName(const std::string& name) {
  const TResourceImage* img = Resources::Find(name);
  if (!img) return false;
  SetSize(0, 0);
  FPixels = img->Pixels;
  FWidth = img->Width;
  FHeight = img->Height;
  FPixelFormat = pf24bit;
  Changed();
  return true;
}

// ============================================================== TJPEGImage
TJPEGImage::TJPEGImage() : FBitmap(std::make_unique<TBitmap>()) {}
TJPEGImage::~TJPEGImage() = default;

int TJPEGImage::Width() const { return FBitmap->Width(); }
int TJPEGImage::Height() const { return FBitmap->Height(); }

void TJPEGImage::SetCompressionQuality(int q) {
  q = std::clamp(q, 1, 100);
  if (q == FQuality) return;
  FQuality = q;
  FData.clear();  // the next save compresses anew
  Changed();
}

void TJPEGImage::SetGrayscale(bool v) {
  if (v == FGrayscale) return;
  FGrayscale = v;
  FData.clear();
  Changed();
}

void TJPEGImage::Draw(TCanvas& c, const TRect& r) const { FBitmap->Draw(c, r); }

bool TJPEGImage::LoadFromStream(TStream& s) {
  std::vector<uint8_t> data;
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  bool gray = false;
  FLastError.clear();
  if (!Imaging::ReadAll(s, data)) {
    FLastError = "JPEG error: stream too large";
  } else if (Imaging::DecodeJPEG(data.data(), data.size(), w, h, px, gray, FLastError)) {
    FBitmap->SetSize(0, 0);
    FBitmap->SetSize(w, h);
    std::copy(px.begin(), px.end(), FBitmap->Bits());
    FData.swap(data);
    FGrayscale = gray;
    Changed();
    return true;
  }
  FBitmap->SetSize(0, 0);
  FData.clear();
  Changed();
  return false;
}

void TJPEGImage::LoadFromStreamOrRaise(TStream& s) {
  if (!LoadFromStream(s)) throw EInvalidGraphic(FLastError);
}

void TJPEGImage::SaveToStream(TStream& s) const {
  if (FBitmap->Empty()) throw EInvalidGraphic("JPEG error: the image is empty");
  if (!FData.empty()) {
    s.WriteBuffer(FData.data(), int64_t(FData.size()));
    return;
  }
  std::vector<uint8_t> v;
  std::string err;
  if (!Imaging::EncodeJPEG(FBitmap->Width(), FBitmap->Height(), FBitmap->Bits(), FQuality, FGrayscale, v, err))
    throw EInvalidGraphic(err);
  s.WriteBuffer(v.data(), int64_t(v.size()));
}

void TJPEGImage::Assign(const TPersistent& Source) {
  if (&Source == this) return;
  if (auto j = dynamic_cast<const TJPEGImage*>(&Source)) {
    FBitmap->Assign(*j->FBitmap);
    FData = j->FData;
    FQuality = j->FQuality;
    FGrayscale = j->FGrayscale;
    Changed();
    return;
  }
  if (auto b = dynamic_cast<const TBitmap*>(&Source)) {
    FBitmap->Assign(*b);
    FBitmap->SetPixelFormat(pf24bit);
    FData.clear();
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TBitmap& dest) const {
  if (FBitmap->Empty()) throw EInvalidGraphic("JPEG error: the image is empty");
  dest.Assign(*FBitmap);
}

}  // namespace zol
