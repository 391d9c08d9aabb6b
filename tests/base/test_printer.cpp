// The printer: device geometry, document states, and the PDF it writes,
// checked with the poppler tools (pdfinfo, pdftoppm, pdftotext, pdffonts).
#include <gtest/gtest.h>

#include <cairo.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/platform/Zol_graphics.h"
#include "base/platform/Zol_printers.h"

using namespace zol;

namespace {

bool HaveTool(const char* name) {
  std::string cmd = std::string("command -v ") + name + " > /dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

std::string RunTool(const std::string& cmd) {
  std::string out;
  FILE* f = popen(cmd.c_str(), "r");
  if (!f) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  pclose(f);
  return out;
}

// The value of a "Key: value" line of pdfinfo's report.
std::string InfoField(const std::string& info, const std::string& key) {
  size_t pos = 0;
  while (pos < info.size()) {
    size_t end = info.find('\n', pos);
    if (end == std::string::npos) end = info.size();
    std::string line = info.substr(pos, end - pos);
    if (line.rfind(key + ":", 0) == 0) return Trim(line.substr(key.size() + 1));
    pos = end + 1;
  }
  return "(missing)";
}

std::string TempPath(const std::string& name) {
  return GetTempDirectory() + "zol_pr_" + std::to_string(getpid()) + "_" + name;
}

// The pixels of a PNG file (alpha composed over white), as TColor.
struct Png {
  int W = 0, H = 0;
  std::vector<TColor> Px;
  bool Load(const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(s);
      return false;
    }
    W = cairo_image_surface_get_width(s);
    H = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char* d = cairo_image_surface_get_data(s);
    bool alpha = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
    Px.resize(size_t(W) * H);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        uint32_t p = reinterpret_cast<const uint32_t*>(d + y * stride)[x];
        unsigned a = alpha ? p >> 24 : 255;
        auto ch = [&](int sh) { return int(std::min(255u, ((p >> sh) & 0xFF) + (255 - a))); };
        Px[size_t(y) * W + x] = RGB(ch(16), ch(8), ch(0));
      }
    cairo_surface_destroy(s);
    return true;
  }
  TColor At(int x, int y) const { return Px[size_t(y) * W + x]; }
};

bool Near(TColor a, TColor b, int tol) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tol && std::abs(GetGValue(a) - GetGValue(b)) <= tol &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tol;
}

int Luma(TColor c) { return (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10; }

// A page with fills, thick lines, an ellipse, a hatch, an image and text.
void PagePicture(TCanvas& c) {
  c.Brush().SetColor(RGB(200, 30, 40));
  c.FillRect(Rect(40, 40, 240, 140));
  c.Pen().SetColor(RGB(0, 128, 0));
  c.Pen().SetWidth(12);
  c.Brush().SetColor(RGB(40, 60, 220));
  c.Rectangle(300, 40, 500, 200);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(RGB(250, 200, 0));
  c.Ellipse(540, 40, 740, 200);
  c.Pen().SetWidth(15);
  c.Pen().SetColor(RGB(120, 0, 160));
  c.MoveTo(60, 260);
  c.LineTo(700, 380);
  c.Pen().SetWidth(1);
  TBitmap img(4, 2);
  for (int x = 0; x < 4; ++x) {
    img.ScanLine(0)[x] = TBitmap::ColorToPixel(x < 2 ? clRed : clBlue);
    img.ScanLine(1)[x] = TBitmap::ColorToPixel(x < 2 ? clLime : clYellow);
  }
  c.StretchDraw(Rect(60, 440, 260, 540), img);
  c.Brush().SetStyle(bsClear);
  c.Font().SetName("Arial");
  c.Font().SetHeight(-48);
  c.Font().SetStyle({fsBold});
  c.Font().SetColor(clBlack);
  c.TextOut(320, 460, "Grüße 42");
  c.Font().SetStyle({});
  c.Brush().SetStyle(bsSolid);
}

}  // namespace

TEST(Printer, DeviceGeometry) {
  TPrinter p;
  EXPECT_EQ(p.PixelsPerInch(), 300);
  EXPECT_EQ(p.PageWidth(), 2480);   // 210 mm at 300 dpi
  EXPECT_EQ(p.PageHeight(), 3508);  // 297 mm at 300 dpi
  TCanvas& c = p.Canvas();
  EXPECT_TRUE(c.IsPrinterCanvas());
  EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSX), 300);
  EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSY), 300);
  EXPECT_EQ(c.GetDeviceCaps(HORZRES), 2480);
  EXPECT_EQ(c.GetDeviceCaps(VERTRES), 3508);
  EXPECT_EQ(c.GetDeviceCaps(HORZSIZE), 210);
  // the default font is 8 points on the printer too; sizes in points become printer pixels
  EXPECT_EQ(c.Font().Size(), 8);
  EXPECT_EQ(c.Font().Height(), -33);
  c.Font().SetSize(12);
  EXPECT_EQ(c.Font().Height(), -50);
  p.SetOrientation(poLandscape);
  EXPECT_EQ(p.PageWidth(), 3508);
  EXPECT_EQ(p.PageHeight(), 2480);
  p.SetPaperSizeMM(215.9, 279.4);  // letter
  p.SetPixelsPerInch(600);
  EXPECT_EQ(p.PageWidth(), 6600);
  EXPECT_EQ(p.PageHeight(), 5100);
  EXPECT_TRUE(p.Canvas().IsPrinterCanvas());
  EXPECT_EQ(p.Canvas().GetDeviceCaps(LOGPIXELSX), 600);
}

TEST(Printer, DocumentStates) {
  TPrinter p;
  std::string path = TempPath("states.pdf");
  p.SetOutputFile(path);
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 0);
  EXPECT_THROW(p.NewPage(), EPrinter);
  EXPECT_THROW(p.EndDoc(), EPrinter);
  p.BeginDoc();
  EXPECT_TRUE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 1);
  EXPECT_THROW(p.BeginDoc(), EPrinter);
  EXPECT_THROW(p.SetOrientation(poLandscape), EPrinter);
  EXPECT_THROW(p.SetPixelsPerInch(150), EPrinter);
  p.Canvas().Rectangle(10, 10, 100, 100);
  p.NewPage();
  EXPECT_EQ(p.PageNumber(), 2);
  EXPECT_EQ(p.PageCount(), 2);
  EXPECT_EQ(p.Page(0).RecordCount(), 1);
  EXPECT_EQ(p.Page(1).RecordCount(), 0);
  EXPECT_EQ(p.Page(0).Width(), 2480);
  EXPECT_THROW(p.Page(2), EListError);
  p.Abort();
  EXPECT_FALSE(p.Printing());
  EXPECT_TRUE(p.Aborted());
  EXPECT_FALSE(FileExists(path));
  // a new document after the abort
  p.BeginDoc();
  EXPECT_FALSE(p.Aborted());
  p.Canvas().TextOut(100, 100, "x");
  p.EndDoc();
  EXPECT_FALSE(p.Printing());
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(p.PageCount(), 1);
  DeleteFile(path);
  // an output file that cannot be created: the document is closed and the error raised
  p.SetOutputFile(TempPath("no/such/folder/x.pdf"));
  p.BeginDoc();
  EXPECT_THROW(p.EndDoc(), EStreamError);
  EXPECT_FALSE(p.Printing());
}

TEST(Printer, DefaultOutputFileFollowsTheTitle) {
  TPrinter p;
  p.SetTitle("Chart: a/b");
  EXPECT_EQ(p.OutputFile(), GetTempDirectory() + "Chart_ a_b.pdf");
  p.SetTitle("");
  EXPECT_EQ(p.OutputFile(), GetTempDirectory() + "document.pdf");
  p.SetOutputFile("/x/y.pdf");
  EXPECT_EQ(p.OutputFile(), "/x/y.pdf");
}

TEST(Printer, GlobalPrinter) {
  TPrinter& a = Printer();
  EXPECT_EQ(&a, &Printer());
  auto mine = std::make_unique<TPrinter>();
  TPrinter* raw = mine.get();
  auto old = SetPrinter(std::move(mine));
  EXPECT_EQ(&Printer(), raw);
  SetPrinter(std::move(old));
  EXPECT_EQ(&Printer(), &a);
}

TEST(Printer, PdfPagesSizeTitleTextAndFonts) {
  if (!HaveTool("pdfinfo") || !HaveTool("pdftotext") || !HaveTool("pdffonts"))
    GTEST_SKIP() << "poppler-utils is not installed";
  TPrinter p;
  std::string path = TempPath("doc.pdf");
  p.SetOutputFile(path);
  p.SetTitle("Chart of June");
  p.BeginDoc();
  PagePicture(p.Canvas());
  p.NewPage();
  p.Canvas().Font().SetName("Times New Roman");
  p.Canvas().Font().SetSize(14);
  p.Canvas().TextOut(300, 300, "Second page");
  // a character the font lacks comes from DejaVu Sans, as on the raster canvas
  p.Canvas().Font().SetName("Arial");
  p.Canvas().TextOut(300, 500, "King \xE2\x99\x94!");
  p.EndDoc();
  std::string info = RunTool("pdfinfo '" + path + "'");
  EXPECT_EQ(InfoField(info, "Pages"), "2");
  EXPECT_EQ(InfoField(info, "Page size").rfind("595.2 x 841.92 pts", 0), 0u) << info;
  EXPECT_EQ(InfoField(info, "Title"), "Chart of June");
  std::string text = RunTool("pdftotext -enc UTF-8 '" + path + "' -");
  EXPECT_NE(text.find("Grüße 42"), std::string::npos) << text;
  EXPECT_NE(text.find("Second page"), std::string::npos) << text;
  std::string fonts = RunTool("pdffonts '" + path + "'");
  EXPECT_NE(fonts.find("LiberationSans-Bold"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("LiberationSerif"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("DejaVuSans"), std::string::npos) << fonts;
  EXPECT_NE(text.find("King \xE2\x99\x94!"), std::string::npos) << text;
  DeleteFile(path);

  p.SetOrientation(poLandscape);
  p.BeginDoc();
  p.EndDoc();
  info = RunTool("pdfinfo '" + path + "'");
  EXPECT_EQ(InfoField(info, "Page size").rfind("841.92 x 595.2 pts", 0), 0u) << info;
  EXPECT_EQ(InfoField(info, "Pages"), "1");
  DeleteFile(path);
}

TEST(Printer, PdfRenderedIndependentlyMatchesTheRasterCanvas) {
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  // A 96 dpi printer: the PDF rendered at 96 dpi has the device's pixels.
  TPrinter p;
  p.SetPixelsPerInch(96);
  ASSERT_EQ(p.PageWidth(), 794);
  ASSERT_EQ(p.PageHeight(), 1123);
  std::string path = TempPath("ras.pdf"), prefix = TempPath("ras");
  p.SetOutputFile(path);
  p.BeginDoc();
  PagePicture(p.Canvas());
  p.NewPage();
  p.Canvas().Brush().SetColor(clTeal);
  p.Canvas().FillRect(Rect(100, 100, 300, 300));
  // NOT over the paper and over the fill
  p.Canvas().Pen().SetMode(pmNot);
  p.Canvas().Pen().SetWidth(10);
  p.Canvas().MoveTo(50, 200);
  p.Canvas().LineTo(600, 200);
  p.Canvas().Pen().SetMode(pmCopy);
  p.EndDoc();
  TBitmap direct(794, 1123);
  PagePicture(direct.Canvas());

  std::string cmd = "pdftoppm -png -r 96 '" + path + "' '" + prefix + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  Png page1, page2;
  ASSERT_TRUE(page1.Load(prefix + "-1.png"));
  ASSERT_TRUE(page2.Load(prefix + "-2.png"));
  DeleteFile(prefix + "-1.png");
  DeleteFile(prefix + "-2.png");
  DeleteFile(path);
  ASSERT_EQ(page1.W, 794);
  ASSERT_EQ(page1.H, 1123);
  const TPoint places[] = {
      {140, 90},   // filled rectangle
      {400, 120},  // rectangle interior
      {300, 120},  // on the 12-pixel outline
      {400, 42},   // on the outline's top
      {640, 120},  // ellipse interior
      {380, 320},  // on the 15-pixel line
      {100, 465},  // image, red
      {230, 520},  // image, yellow
      {700, 700},  // paper
      {20, 1100},  // paper
  };
  for (const TPoint& q : places)
    EXPECT_TRUE(Near(page1.At(q.X, q.Y), direct.GetPixel(q.X, q.Y), 40))
        << "at (" << q.X << "," << q.Y << ") pdf " << std::hex << page1.At(q.X, q.Y) << " raster "
        << direct.GetPixel(q.X, q.Y);
  // the text: about the same ink at about the same place
  int inkPdf = 0, inkRaster = 0;
  int l1 = 9999, l2 = 9999, r1 = -1, r2 = -1;
  for (int y = 440; y < 540; ++y)
    for (int x = 300; x < 794; ++x) {
      if (Luma(page1.At(x, y)) < 128) { ++inkPdf; l1 = std::min(l1, x); r1 = std::max(r1, x); }
      if (Luma(direct.GetPixel(x, y)) < 128) { ++inkRaster; l2 = std::min(l2, x); r2 = std::max(r2, x); }
    }
  ASSERT_GT(inkRaster, 500);
  EXPECT_NEAR(inkPdf, inkRaster, inkRaster * 0.3);
  EXPECT_NEAR(l1, l2, 3);
  EXPECT_NEAR(r1, r2, 4);
  // the second page
  EXPECT_TRUE(Near(page2.At(200, 150), clTeal, 10));
  EXPECT_TRUE(Near(page2.At(200, 200), RGB(255, 127, 127), 10)) << std::hex << page2.At(200, 200);
  EXPECT_TRUE(Near(page2.At(450, 200), clBlack, 10)) << std::hex << page2.At(450, 200);
  EXPECT_TRUE(Near(page2.At(400, 400), clWhite, 2));
}
