// The clipboard: text, bitmap and metafile round trips, formats offered
// together, and a store put in by the host.
#include <gtest/gtest.h>

#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_metafile.h"

using namespace zol;

namespace {

// Every test starts from an empty in-memory clipboard.
class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClipboardStore(nullptr);
    Clipboard().Clear();
  }
  void TearDown() override { SetClipboardStore(nullptr); }
};

void Gradient(TBitmap& b) {
  b.SetSize(37, 21);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.ScanLine(y)[x] = TBitmap::ColorToPixel(RGB(7 * x, 12 * y, 255 - 5 * x));
}

// A store that counts what the host was asked to do.
class CountingStore : public TMemoryClipboardStore {
 public:
  int Sets = 0, Clears = 0;
  void Clear() override {
    ++Clears;
    TMemoryClipboardStore::Clear();
  }
  void SetData(unsigned f, const std::string& b) override {
    ++Sets;
    TMemoryClipboardStore::SetData(f, b);
  }
};

}  // namespace

TEST_F(ClipboardTest, TextRoundTrip) {
  TClipboard& c = Clipboard();
  EXPECT_FALSE(c.HasFormat(CF_TEXT));
  EXPECT_EQ(c.AsText(), "");
  const std::string t = " 1.5\t2\r\n3\t####\r\nGrüße \xE2\x82\xAC";
  c.SetAsText(t);
  EXPECT_TRUE(c.HasFormat(CF_TEXT));
  EXPECT_FALSE(c.HasFormat(CF_BITMAP));
  EXPECT_EQ(c.AsText(), t);
  std::string withNul("a\0b", 3);
  c.SetAsText(withNul);
  EXPECT_EQ(c.AsText(), withNul);
  c.Clear();
  EXPECT_FALSE(c.HasFormat(CF_TEXT));
  EXPECT_EQ(c.AsText(), "");
}

TEST_F(ClipboardTest, BitmapRoundTripKeepsEveryPixel) {
  TBitmap src, dst;
  Gradient(src);
  TBitmap untouched(3, 3);
  EXPECT_FALSE(Clipboard().GetBitmap(untouched));
  EXPECT_EQ(untouched.Width(), 3);
  Clipboard().Assign(src);
  EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
  EXPECT_FALSE(Clipboard().HasFormat(CF_TEXT));
  ASSERT_TRUE(Clipboard().GetBitmap(dst));
  ASSERT_EQ(dst.Width(), src.Width());
  ASSERT_EQ(dst.Height(), src.Height());
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x) ASSERT_EQ(dst.GetPixel(x, y), src.GetPixel(x, y)) << x << "," << y;
  // the entry is a copy: later changes of the source do not reach it
  src.Canvas().Brush().SetColor(clBlack);
  src.Canvas().FillRect(Rect(0, 0, 37, 21));
  TBitmap again;
  ASSERT_TRUE(Clipboard().GetBitmap(again));
  EXPECT_EQ(again.GetPixel(3, 3), dst.GetPixel(3, 3));
}

TEST_F(ClipboardTest, MetafileRoundTripReplaysTheSame) {
  TBitmap img;
  Gradient(img);
  TMetafile mf;
  mf.SetSize(120, 80);
  {
    TMetafileCanvas c(mf);
    c.Brush().SetColor(clYellow);
    c.Pen().SetWidth(3);
    c.Ellipse(5, 5, 100, 60);
    c.Font().SetHeight(-15);
    c.TextOut(10, 60, "Chart");
    c.Draw(70, 40, img);
  }
  Clipboard().Assign(mf);
  EXPECT_TRUE(Clipboard().HasFormat(CF_METAFILEPICT));
  EXPECT_TRUE(Clipboard().HasFormat(CF_ENHMETAFILE));
  TMetafile back;
  ASSERT_TRUE(Clipboard().GetMetafile(back));
  EXPECT_EQ(back.Width(), 120);
  EXPECT_EQ(back.RecordCount(), mf.RecordCount());
  TBitmap a(120, 80), b(120, 80);
  a.Canvas().Draw(0, 0, mf);
  b.Canvas().Draw(0, 0, back);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) ASSERT_EQ(a.GetPixel(x, y), b.GetPixel(x, y)) << x << "," << y;
}

TEST_F(ClipboardTest, FormatsOfferedTogetherBetweenOpenAndClose) {
  TBitmap bmp;
  Gradient(bmp);
  TMetafile mf;
  mf.SetSize(10, 10);
  {
    TMetafileCanvas c(mf);
    c.Rectangle(1, 1, 9, 9);
  }
  Clipboard().SetAsText("old");
  // one copy offering a bitmap and a metafile: the old text goes
  Clipboard().Open();
  Clipboard().Assign(bmp);
  Clipboard().Assign(static_cast<const TPersistent&>(mf));
  Clipboard().Close();
  EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
  EXPECT_TRUE(Clipboard().HasFormat(CF_METAFILEPICT));
  EXPECT_FALSE(Clipboard().HasFormat(CF_TEXT));
  // a setter outside Open/Close replaces everything
  Clipboard().SetAsText("new");
  EXPECT_TRUE(Clipboard().HasFormat(CF_TEXT));
  EXPECT_FALSE(Clipboard().HasFormat(CF_BITMAP));
  EXPECT_FALSE(Clipboard().HasFormat(CF_METAFILEPICT));
  // nested opens count; unmatched closes are harmless
  Clipboard().Close();
  Clipboard().Open();
  Clipboard().Open();
  Clipboard().SetAsText("x");
  Clipboard().Close();
  Clipboard().Assign(bmp);
  Clipboard().Close();
  EXPECT_TRUE(Clipboard().HasFormat(CF_TEXT));
  EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
  EXPECT_EQ(Clipboard().AsText(), "x");
  // only bitmaps and metafiles can be assigned
  TStringList sl;
  EXPECT_THROW(Clipboard().Assign(static_cast<const TPersistent&>(sl)), EConvertError);
}

TEST_F(ClipboardTest, HostStoreAndUnreadableEntries) {
  auto store = std::make_unique<CountingStore>();
  CountingStore* s = store.get();
  SetClipboardStore(std::move(store));
  Clipboard().SetAsText("via host");
  EXPECT_EQ(s->Sets, 1);
  EXPECT_EQ(s->Clears, 1);
  std::string raw;
  ASSERT_TRUE(s->GetData(CF_TEXT, raw));
  EXPECT_EQ(raw, "via host");
  // bytes a host put there that are no image or recording are refused
  s->SetData(CF_BITMAP, "not an image");
  s->SetData(CF_METAFILEPICT, std::string("ZOLMF\x1A\x01\x00garbage", 15));
  TBitmap b;
  TMetafile m;
  EXPECT_FALSE(Clipboard().GetBitmap(b));
  EXPECT_FALSE(Clipboard().GetMetafile(m));
  EXPECT_TRUE(m.Empty());
  // back to the in-memory store: empty
  SetClipboardStore(nullptr);
  EXPECT_FALSE(Clipboard().HasFormat(CF_TEXT));
}
