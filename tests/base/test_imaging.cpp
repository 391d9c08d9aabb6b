// Bitmap files, PNG and JPEG codecs, built-in images.
// Reference files in data/img_* were written by Pillow (ref/make_imaging_refs.py);
// their pixels follow formulas repeated here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_imaging.h"
#include "base/platform/Zol_resources.h"

using namespace zol;

namespace {

const std::string kData = ZOL_TEST_SRC_DIR "/data/";

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// Pixel formulas of the reference script.
uint32_t PatternPixel(int x, int y) {
  uint32_t r = (x * 7 + y * 3) & 255, g = (x * y * 5) & 255, b = (255 - x * 11 - y) & 255;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

bool LoadBytes(TGraphic& g, const std::vector<uint8_t>& bytes) {
  TMemoryStream ms;
  if (!bytes.empty()) ms.WriteBuffer(bytes.data(), int64_t(bytes.size()));
  ms.SetPosition(0);
  return g.LoadFromStream(ms);
}

std::vector<uint8_t> StreamBytes(TMemoryStream& ms) {
  return std::vector<uint8_t>(ms.Memory(), ms.Memory() + ms.Size());
}

void FillRandom(TBitmap& b, unsigned seed, bool alpha) {
  std::mt19937 rng(seed);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      uint32_t v = rng();
      b.ScanLine(y)[x] = alpha ? v : (v | 0xFF000000u);
    }
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.ScanLine(y)[x] != b.ScanLine(y)[x]) return false;
  return true;
}

// Binary PPM (P6) / PGM (P5) reader, maxval 255, for the decoded JPEG references.
bool ReadPPM(const std::string& path, int& w, int& h, std::vector<uint8_t>& rgb, const char* magic = "P6") {
  std::vector<uint8_t> d = ReadFileBytes(path);
  size_t pos = 0;
  auto token = [&]() {
    while (pos < d.size() && isspace(d[pos])) ++pos;
    std::string t;
    while (pos < d.size() && !isspace(d[pos])) t += char(d[pos++]);
    return t;
  };
  if (token() != magic) return false;
  size_t ch = std::string(magic) == "P6" ? 3 : 1;
  w = std::atoi(token().c_str());
  h = std::atoi(token().c_str());
  if (token() != "255") return false;
  ++pos;
  if (d.size() - pos != size_t(w) * h * ch) return false;
  rgb.assign(d.begin() + long(pos), d.end());
  return true;
}

}  // namespace

// ---------------------------------------------------------------- BMP
TEST(ImagingBmp, ReadsFilesOfAnIndependentWriter) {
  TBitmap b;
  ASSERT_TRUE(b.LoadFromFile(kData + "img_rgb24.bmp"));
  ASSERT_EQ(b.Width(), 13);
  ASSERT_EQ(b.Height(), 7);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(b.ScanLine(y)[x], PatternPixel(x, y)) << x << "," << y;

  // 8-bit palette: index (x+y)%16, entry i = (16i, 255-16i, 8i).
  ASSERT_TRUE(b.LoadFromFile(kData + "img_pal8.bmp"));
  ASSERT_EQ(b.Width(), 13);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) {
      uint32_t i = (x + y) % 16;
      uint32_t want = 0xFF000000u | (((i * 16) & 255) << 16) | (((255 - i * 16) & 255) << 8) | ((i * 8) & 255);
      ASSERT_EQ(b.ScanLine(y)[x], want) << x << "," << y;
    }

  // Top-down 32-bit rows whose fourth byte is used: alpha is kept.
  ASSERT_TRUE(b.LoadFromFile(kData + "img_topdown32.bmp"));
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x)
      ASSERT_EQ(b.ScanLine(y)[x], (PatternPixel(x, y) & 0x00FFFFFFu) | (uint32_t((x * 20) & 255) << 24));
}

TEST(ImagingBmp, ReadsOneBitAndSixteenBitFiles) {
  TBitmap b;
  ASSERT_TRUE(b.LoadFromFile(kData + "img_mono1.bmp"));
  ASSERT_EQ(b.Width(), 13);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(b.GetPixel(x, y), (x + y) % 3 == 0 ? clWhite : clBlack) << x << "," << y;
  // 5-6-5 bit fields, each field scaled to 0..255 as round(v * 255 / max).
  ASSERT_TRUE(b.LoadFromFile(kData + "img_rgb565.bmp"));
  auto scale = [](int v, int mx) { return (v * 255 + mx / 2) / mx; };
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x)
      ASSERT_EQ(b.GetPixel(x, y), RGB(scale((x * 2) & 31, 31), scale((y * 9) & 63, 63), scale((x + y) & 31, 31)))
          << x << "," << y;
}

TEST(ImagingBmp, RoundTripsBitExact) {
  for (int w : {1, 2, 3, 13, 64}) {
    TBitmap a(w, 5), b;
    FillRandom(a, 7 + w, false);
    TMemoryStream ms;
    a.SaveToStream(ms);
    // Header: 54 bytes, rows padded to 4 bytes.
    EXPECT_EQ(ms.Size(), 54 + int64_t((w * 3 + 3) / 4 * 4) * 5);
    ms.SetPosition(0);
    ASSERT_TRUE(b.LoadFromStream(ms));
    EXPECT_TRUE(SamePixels(a, b)) << "width " << w;
  }
  TBitmap a(9, 4), b;
  a.SetPixelFormat(pf32bit);
  FillRandom(a, 3, true);
  a.ScanLine(0)[0] = 0x7F123456;  // make sure some alpha is not 0xFF
  TMemoryStream ms;
  a.SaveToStream(ms);
  ms.SetPosition(0);
  ASSERT_TRUE(b.LoadFromStream(ms));
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_TRUE(SamePixels(a, b));
}

TEST(ImagingBmp, RejectsTruncatedAndHostileHeaders) {
  std::vector<uint8_t> good = ReadFileBytes(kData + "img_rgb24.bmp");
  ASSERT_GT(good.size(), 54u);
  TBitmap b(3, 3);
  for (size_t n : {size_t(0), size_t(1), size_t(2), size_t(13), size_t(20), size_t(53), size_t(54), size_t(100),
                   good.size() - 1}) {
    std::vector<uint8_t> t(good.begin(), good.begin() + long(n));
    EXPECT_FALSE(LoadBytes(b, t)) << "truncated at " << n;
    EXPECT_TRUE(b.Empty());
  }
  auto patched = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> t = good;
    for (int i = 0; i < 4; ++i) t[at + size_t(i)] = uint8_t(v >> (8 * i));
    return t;
  };
  EXPECT_FALSE(LoadBytes(b, patched(18, 100000)));          // huge width, tiny file
  EXPECT_FALSE(LoadBytes(b, patched(22, 0x80000000u)));     // most negative height
  EXPECT_FALSE(LoadBytes(b, patched(18, 0)));               // zero width
  EXPECT_FALSE(LoadBytes(b, patched(18, 0xFFFFFFF0u)));     // negative width
  EXPECT_FALSE(LoadBytes(b, patched(10, 0xFFFFFFF0u)));     // pixel offset beyond the end
  EXPECT_FALSE(LoadBytes(b, patched(14, 0x7FFFFFFF)));      // header size beyond the end
  EXPECT_FALSE(LoadBytes(b, patched(30, 1)));               // RLE compression
  {
    std::vector<uint8_t> t = good;
    t[28] = 7;  // 7 bits per pixel
    EXPECT_FALSE(LoadBytes(b, t));
  }
  // A palette claiming 2^31 colours is cut to 256 and must fit in the file.
  std::vector<uint8_t> pal = ReadFileBytes(kData + "img_pal8.bmp");
  for (int i = 0; i < 4; ++i) pal[46 + size_t(i)] = uint8_t(0x80000000u >> (8 * i));
  EXPECT_TRUE(LoadBytes(b, pal));
  std::vector<uint8_t> palShort(pal.begin(), pal.begin() + 200);
  EXPECT_FALSE(LoadBytes(b, palShort));
}

// ---------------------------------------------------------------- PNG
TEST(ImagingPng, ReadsFilesOfAnIndependentWriter) {
  TBitmap b;
  ASSERT_TRUE(b.LoadFromFile(kData + "img_rgb.png"));
  ASSERT_EQ(b.Width(), 13);
  ASSERT_EQ(b.Height(), 7);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(b.ScanLine(y)[x], PatternPixel(x, y));

  ASSERT_TRUE(b.LoadFromFile(kData + "img_rgba.png"));
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x)
      ASSERT_EQ(b.ScanLine(y)[x], (PatternPixel(x, y) & 0x00FFFFFFu) | (uint32_t((x * 20) & 255) << 24));

  ASSERT_TRUE(b.LoadFromFile(kData + "img_grey.png"));
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) {
      uint32_t v = (x * 19 + y * 5) & 255;
      ASSERT_EQ(b.ScanLine(y)[x], 0xFF000000u | (v << 16) | (v << 8) | v);
    }

  ASSERT_TRUE(b.LoadFromFile(kData + "img_pal8.png"));
  uint32_t i = (4 + 2) % 16;
  EXPECT_EQ(b.GetPixel(4, 2), RGB((i * 16) & 255, (255 - i * 16) & 255, (i * 8) & 255));
}

TEST(ImagingPng, RoundTripsBitExactThroughStreamsAndFiles) {
  TBitmap a(31, 17), b;
  FillRandom(a, 11, false);
  TMemoryStream ms;
  a.SavePNGToStream(ms);
  ms.SetPosition(0);
  ASSERT_TRUE(b.LoadFromStream(ms));  // recognised by its signature
  EXPECT_TRUE(SamePixels(a, b));

  a.SetPixelFormat(pf32bit);
  FillRandom(a, 12, true);
  std::string path = GetTempDirectory() + "zol_test_imaging_rt.png";
  a.SaveToFile(path);  // by extension
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes[1], 'P');
  ASSERT_TRUE(b.LoadFromFile(path));
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_TRUE(SamePixels(a, b));
  DeleteFile(path);

  // A stream positioned after other data: reading starts at its position.
  TMemoryStream two;
  two.WriteBuffer("junk", 4);
  a.SavePNGToStream(two);
  two.SetPosition(4);
  ASSERT_TRUE(b.LoadPNGFromStream(two));
  EXPECT_TRUE(SamePixels(a, b));
}

TEST(ImagingPng, TruncatedOrCorruptDataIsAnError) {
  std::vector<uint8_t> good = ReadFileBytes(kData + "img_rgb.png");
  TBitmap b(2, 2);
  for (size_t n = 0; n < good.size(); n += 7) {
    std::vector<uint8_t> t(good.begin(), good.begin() + long(n));
    EXPECT_FALSE(LoadBytes(b, t)) << "truncated at " << n;
    EXPECT_TRUE(b.Empty());
  }
  // A flipped byte inside the image data fails its checksum.
  std::vector<uint8_t> bad = good;
  bad[good.size() - 20] ^= 0x55;
  EXPECT_FALSE(LoadBytes(b, bad));
  // A header claiming 60000 x 60000 pixels in a tiny file.
  std::vector<uint8_t> big = good;
  big[16] = 0; big[17] = 0; big[18] = 0xEA; big[19] = 0x60;
  big[20] = 0; big[21] = 0; big[22] = 0xEA; big[23] = 0x60;
  EXPECT_FALSE(LoadBytes(b, big));
}

// ---------------------------------------------------------------- JPEG
TEST(ImagingJpeg, DecodesLikeAnIndependentDecoder) {
  int w = 0, h = 0;
  std::vector<uint8_t> ref;
  ASSERT_TRUE(ReadPPM(kData + "img_q95_decoded.ppm", w, h, ref));
  TJPEGImage j;
  ASSERT_TRUE(j.LoadFromFile(kData + "img_q95.jpg"));
  ASSERT_EQ(j.Width(), w);
  ASSERT_EQ(j.Height(), h);
  int maxDiff = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t p = j.Bitmap().ScanLine(y)[x];
      const uint8_t* r = &ref[(size_t(y) * w + x) * 3];
      maxDiff = std::max({maxDiff, std::abs(int((p >> 16) & 255) - r[0]), std::abs(int((p >> 8) & 255) - r[1]),
                          std::abs(int(p & 255) - r[2])});
    }
  EXPECT_LE(maxDiff, 1);

  // The progressive file shows the same picture within the codec's error.
  TBitmap prog;
  ASSERT_TRUE(prog.LoadFromFile(kData + "img_q95_prog.jpg"));
  ASSERT_EQ(prog.Width(), w);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* r = &ref[(size_t(y) * w + x) * 3];
      ASSERT_NEAR(int(prog.ScanLine(y)[x] >> 16 & 255), r[0], 3);
    }
}

TEST(ImagingJpeg, DecodesGreyFiles) {
  int w = 0, h = 0;
  std::vector<uint8_t> ref;
  ASSERT_TRUE(ReadPPM(kData + "img_grey_decoded.pgm", w, h, ref, "P5"));
  TBitmap b;
  ASSERT_TRUE(b.LoadFromFile(kData + "img_grey.jpg"));
  ASSERT_EQ(b.Width(), w);
  ASSERT_EQ(b.Height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      TColor c = b.GetPixel(x, y);
      ASSERT_EQ(GetRValue(c), GetGValue(c));
      ASSERT_EQ(GetRValue(c), GetBValue(c));
      ASSERT_NEAR(GetRValue(c), ref[size_t(y) * w + x], 1) << x << "," << y;
    }
}

TEST(ImagingJpeg, EncodesWithinTheStatedError) {
  // Smooth picture at quality 90: every channel within 12, mean error below 2.
  TBitmap a(80, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) a.ScanLine(y)[x] = 0xFF000000u | ((x * 3) << 16) | ((y * 4) << 8) | ((x + y) & 255);
  TJPEGImage j;
  j.Assign(a);
  EXPECT_EQ(j.CompressionQuality(), 90);
  TMemoryStream ms;
  j.SaveToStream(ms);
  ms.SetPosition(0);
  TJPEGImage k;
  ASSERT_TRUE(k.LoadFromStream(ms));
  TBitmap b;
  k.AssignTo(b);
  ASSERT_EQ(b.Width(), 80);
  double sum = 0;
  int maxDiff = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x)
      for (int s : {0, 8, 16}) {
        int d = std::abs(int((a.ScanLine(y)[x] >> s) & 255) - int((b.ScanLine(y)[x] >> s) & 255));
        sum += d;
        maxDiff = std::max(maxDiff, d);
      }
  EXPECT_LE(maxDiff, 12);
  EXPECT_LT(sum / (80 * 60 * 3), 2.0);

  // Lower quality gives a smaller file; an unchanged loaded image saves its bytes as read.
  TMemoryStream low;
  j.SetCompressionQuality(20);
  j.SaveToStream(low);
  EXPECT_LT(low.Size(), ms.Size());
  TMemoryStream again;
  k.SaveToStream(again);
  EXPECT_EQ(StreamBytes(again), StreamBytes(ms));

  // Bitmap::Assign from a JPEG image draws it.
  TBitmap c;
  c.Assign(k);
  EXPECT_TRUE(SamePixels(b, c));
}

TEST(ImagingJpeg, TruncatedOrCorruptDataIsAnErrorNeverAGreyPicture) {
  std::vector<uint8_t> good = ReadFileBytes(kData + "img_q95.jpg");
  std::vector<uint8_t> prog = ReadFileBytes(kData + "img_q95_prog.jpg");
  TJPEGImage j;
  ASSERT_TRUE(LoadBytes(j, good));
  for (const auto* src : {&good, &prog}) {
    for (size_t n : {size_t(0), size_t(2), size_t(20), src->size() / 3, src->size() / 2, src->size() - 10,
                     src->size() - 2}) {
      std::vector<uint8_t> t(src->begin(), src->begin() + long(n));
      EXPECT_FALSE(LoadBytes(j, t)) << "truncated at " << n;
      EXPECT_TRUE(j.Empty());
      EXPECT_FALSE(j.LastError().empty());
      TBitmap b(1, 1);
      EXPECT_FALSE(LoadBytes(b, t));
    }
  }
  // Garbage in the entropy-coded data.
  std::vector<uint8_t> bad = good;
  for (size_t i = bad.size() / 2; i < bad.size() / 2 + 40; ++i) bad[i] = 0xFF;
  EXPECT_FALSE(LoadBytes(j, bad));
  TMemoryStream ms;
  ms.WriteBuffer(bad.data(), int64_t(bad.size()));
  ms.SetPosition(0);
  EXPECT_THROW(j.LoadFromStreamOrRaise(ms), EInvalidGraphic);
  TMemoryStream out;
  EXPECT_THROW(j.SaveToStream(out), EInvalidGraphic);
  TBitmap dst;
  EXPECT_THROW(j.AssignTo(dst), EInvalidGraphic);
}

// ---------------------------------------------------------------- bitmap basics
TEST(ImagingBitmap, SizePixelsAndFileFormatChoice) {
  TBitmap b(4, 3);
  EXPECT_EQ(b.ScanLine(0)[0], 0xFFFFFFFFu);  // new bitmaps are white
  b.ScanLine(2)[3] = TBitmap::ColorToPixel(clRed);
  EXPECT_EQ(b.ScanLine(2)[3], 0xFFFF0000u);  // red in the third byte of the word
  EXPECT_EQ(b.GetPixel(3, 2), clRed);
  EXPECT_EQ(b.GetPixel(4, 2), clOutside);
  EXPECT_EQ(b.ScanLine(3), nullptr);
  EXPECT_EQ(b.ScanLine(-1), nullptr);
  b.SetSize(6, 4);  // keeps the overlap, new pixels white
  EXPECT_EQ(b.GetPixel(3, 2), clRed);
  EXPECT_EQ(b.GetPixel(5, 3), clWhite);
  b.SetSize(2, 2);
  EXPECT_EQ(b.Width(), 2);
  b.SetSize(-5, 3);
  EXPECT_TRUE(b.Empty());
  EXPECT_THROW(b.SetSize(100000, 100000), EOutOfMemory);

  // Transparent colour: bottom-left pixel unless fixed.
  TBitmap t(3, 3);
  t.ScanLine(2)[0] = TBitmap::ColorToPixel(clLime);
  EXPECT_EQ(t.TransparentColor(), clLime);
  t.SetTransparentColor(clBlue);
  EXPECT_EQ(t.TransparentMode(), tmFixed);
  EXPECT_EQ(t.TransparentColor(), clBlue);

  // SaveToFile picks the format from the extension; LoadFromFile sniffs.
  TBitmap a(5, 5);
  FillRandom(a, 5, false);
  std::string base = GetTempDirectory() + "zol_test_imaging_fmt";
  a.SaveToFile(base + ".bmp");
  a.SaveToFile(base + ".jpg");
  EXPECT_EQ(ReadFileBytes(base + ".bmp")[0], 'B');
  EXPECT_EQ(ReadFileBytes(base + ".jpg")[0], 0xFF);
  TBitmap c;
  EXPECT_TRUE(c.LoadFromFile(base + ".jpg"));
  EXPECT_EQ(c.Width(), 5);
  EXPECT_FALSE(c.LoadFromFile(base + ".missing"));
  DeleteFile(base + ".bmp");
  DeleteFile(base + ".jpg");
}

TEST(ImagingResources, BuiltInImagesLoadByName) {
  TBitmap b;
  ASSERT_TRUE(b.LoadFromResourceName("ZOL_ARROWUP"));
  EXPECT_EQ(b.Width(), 9);
  EXPECT_EQ(b.Height(), 9);
  EXPECT_EQ(b.TransparentColor(), clFuchsia);
  EXPECT_EQ(b.GetPixel(4, 2), clBlack);  // tip of the arrow
  EXPECT_TRUE(b.LoadFromResourceName("curhand"));  // names ignore case
  EXPECT_FALSE(b.LoadFromResourceName("NO_SUCH_IMAGE"));
  for (const char* n : {"CURHAND", "CURZOOMW", "CURZOOMD", "CURZOOMP", "ZOL_CHECKMARK"})
    EXPECT_NE(Resources::Find(n), nullptr) << n;
  for (const std::string& n : Resources::Names()) {
    const TResourceImage* img = Resources::Find(n);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->Pixels.size(), size_t(img->Width) * img->Height) << n;
  }
  EXPECT_TRUE(Resources::RegisterArt("TEST_ART", {"#.", ".#"}, {{'#', 0xFF000000u}}));
  EXPECT_FALSE(Resources::RegisterArt("TEST_BAD", {"#.", "."}, {}));
  ASSERT_TRUE(b.LoadFromResourceName("test_art"));
  EXPECT_EQ(b.GetPixel(0, 0), clBlack);
  EXPECT_EQ(b.GetPixel(1, 0), clFuchsia);
}

TEST(ImagingRobustness, MutatedFilesNeverCrashOrOverAllocate) {
  // Random byte changes in valid files: the loaders may succeed or fail, but
  // must stay inside their buffers (the sanitizer build checks that) and
  // never produce more pixels than the limit.
  std::mt19937 rng(2024);
  for (const char* name : {"img_rgb24.bmp", "img_pal8.bmp", "img_rgb565.bmp", "img_rgba.png", "img_pal8.png",
                           "img_q95.jpg", "img_q95_prog.jpg"}) {
    std::vector<uint8_t> good = ReadFileBytes(kData + name);
    ASSERT_FALSE(good.empty()) << name;
    for (int round = 0; round < 150; ++round) {
      std::vector<uint8_t> t = good;
      int changes = 1 + int(rng() % 4);
      for (int k = 0; k < changes; ++k) t[rng() % t.size()] = uint8_t(rng());
      if (rng() % 4 == 0) t.resize(rng() % t.size());
      TBitmap b;
      bool ok = LoadBytes(b, t);
      if (ok) {
        EXPECT_LE(int64_t(b.Width()) * b.Height(), MaxImagePixels);
      } else {
        EXPECT_TRUE(b.Empty());
      }
    }
  }
}
