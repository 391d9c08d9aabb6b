// The gallery: a program that renders a sheet of every component of the suite
// into PNG (and SVG/PDF where a page offers them) plus HTML pages.
//
// A page is a function registered with ZOL_GALLERY_PAGE in its own source file
// (page_<topic>.cpp); it draws into bitmaps and adds them, tables and text to
// its GalleryPage.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/platform/Zol_graphics.h"

namespace zol {
class TControl;
}

namespace gallery {

class GalleryPage {
 public:
  GalleryPage(std::string outDir, std::string id) : FOutDir(std::move(outDir)), FId(std::move(id)) {}
  const std::string& OutDir() const { return FOutDir; }
  // Path for an output file of this page: <outdir>/<id>_<stem>.
  std::string FilePath(const std::string& stem) const { return FOutDir + "/" + FileName(stem); }
  std::string FileName(const std::string& stem) const { return FId + "_" + stem; }
  // Saves the bitmap as <id>_<stem>.png and shows it with a caption.
  void AddImage(const std::string& stem, const zol::TBitmap& bmp, const std::string& caption);
  // A control and its children as <id>_<stem>.png with a caption, and the same
  // picture as SVG (through the metafile) and as a one-page PDF titled Title
  // (through the printer), linked below it.
  void AddControlPicture(zol::TControl& Control, const std::string& stem, const std::string& caption,
                         const std::string& Title);
  // A link to a file the page wrote itself (FilePath(stem)).
  void AddLink(const std::string& stem, const std::string& text);
  void AddHeading(const std::string& text);
  void AddText(const std::string& text);  // a paragraph, HTML-escaped
  // A table; the first row is the header.
  void AddTable(const std::vector<std::vector<std::string>>& rows);
  const std::string& Html() const { return FHtml; }

 private:
  std::string FOutDir, FId, FHtml;
};

struct PageInfo {
  std::string Id;     // file-name stem of the page
  std::string Title;  // shown in the index
  int Order;          // position in the index
  std::function<void(GalleryPage&)> Build;
};

int RegisterPage(PageInfo info);
std::vector<PageInfo>& Pages();
std::string HtmlEscape(const std::string& s);

}  // namespace gallery

#define ZOL_GALLERY_CAT2(a, b) a##b
#define ZOL_GALLERY_CAT(a, b) ZOL_GALLERY_CAT2(a, b)
// ZOL_GALLERY_PAGE("id", "Title", order) { ...body using `page`... }
#define ZOL_GALLERY_PAGE(id, title, order)                                                \
  static void ZOL_GALLERY_CAT(gallery_page_, __LINE__)(gallery::GalleryPage & page);     \
  static const int ZOL_GALLERY_CAT(gallery_reg_, __LINE__) = gallery::RegisterPage(       \
      {id, title, order, &ZOL_GALLERY_CAT(gallery_page_, __LINE__)});                     \
  static void ZOL_GALLERY_CAT(gallery_page_, __LINE__)(gallery::GalleryPage & page)
