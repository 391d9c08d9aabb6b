// Gallery driver: builds every registered page into the output folder and
// writes index.html.  Usage: gallery [output-folder]
#include <algorithm>
#include <cstdio>
#include <exception>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"

namespace gallery {

std::vector<PageInfo>& Pages() {
  static std::vector<PageInfo> pages;
  return pages;
}

int RegisterPage(PageInfo info) {
  Pages().push_back(std::move(info));
  return static_cast<int>(Pages().size());
}

std::string HtmlEscape(const std::string& s) {
  std::string r;
  for (char c : s) {
    switch (c) {
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '&': r += "&amp;"; break;
      case '"': r += "&quot;"; break;
      default: r += c;
    }
  }
  return r;
}

void GalleryPage::AddImage(const std::string& stem, const zol::TBitmap& bmp, const std::string& caption) {
  std::string name = FileName(stem) + ".png";
  bmp.SaveToFile(FOutDir + "/" + name);
  FHtml += "<figure><img src=\"" + name + "\" width=\"" + std::to_string(bmp.Width()) +
           "\" height=\"" + std::to_string(bmp.Height()) + "\" alt=\"" + HtmlEscape(caption) +
           "\"><figcaption>" + HtmlEscape(caption) + "</figcaption></figure>\n";
}

void GalleryPage::AddControlPicture(zol::TControl& Control, const std::string& stem, const std::string& caption,
                                    const std::string& Title) {
  auto bmp = Control.PaintToBitmap();
  AddImage(stem, *bmp, caption);
  zol::TMetafile mf;
  mf.SetSize(bmp->Width(), bmp->Height());
  {
    zol::TMetafileCanvas mc(mf);
    mc.Draw(0, 0, *bmp);
  }
  mf.SaveToFile(FilePath(stem + ".svg"));
  AddLink(stem + ".svg", "As SVG (through the metafile canvas)");
  zol::TPrinter& prn = zol::Printer();
  prn.SetPixelsPerInch(96);
  prn.SetPaperSizeMM(bmp->Width() * 25.4 / 96, bmp->Height() * 25.4 / 96);
  prn.SetTitle(Title);
  prn.SetOutputFile(FilePath(stem + ".pdf"));
  prn.BeginDoc();
  Control.PaintTo(prn.Canvas(), 0, 0);
  prn.EndDoc();
  AddLink(stem + ".pdf", "As a one-page PDF (through the printer canvas)");
}

void GalleryPage::AddLink(const std::string& stem, const std::string& text) {
  FHtml += "<p><a href=\"" + FileName(stem) + "\">" + HtmlEscape(text) + "</a></p>\n";
}

void GalleryPage::AddHeading(const std::string& text) { FHtml += "<h2>" + HtmlEscape(text) + "</h2>\n"; }
void GalleryPage::AddText(const std::string& text) { FHtml += "<p>" + HtmlEscape(text) + "</p>\n"; }

void GalleryPage::AddTable(const std::vector<std::vector<std::string>>& rows) {
  FHtml += "<table>\n";
  for (size_t r = 0; r < rows.size(); ++r) {
    FHtml += "<tr>";
    for (const std::string& cell : rows[r])
      FHtml += (r == 0 ? "<th>" : "<td>") + HtmlEscape(cell) + (r == 0 ? "</th>" : "</td>");
    FHtml += "</tr>\n";
  }
  FHtml += "</table>\n";
}

}  // namespace gallery

namespace {
const char* kStyle =
    "<style>body{font-family:sans-serif;margin:2em;max-width:1100px}"
    "figure{display:inline-block;margin:1em;vertical-align:top}"
    "table{border-collapse:collapse;margin:1em 0}td,th{border:1px solid #aaa;padding:2px 8px;"
    "text-align:right}th{background:#eee}</style>";

void WriteText(const std::string& path, const std::string& text) {
  zol::TFileStream f(path, zol::fmCreate);
  f.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}
}  // namespace

int main(int argc, char** argv) {
  std::string out = argc > 1 ? argv[1] : "gallery";
  if (out == "--help" || out == "-h" || (argc > 2) || (!out.empty() && out[0] == '-')) {
    std::fprintf(stderr, "usage: gallery [output-folder]   (default: ./gallery)\n");
    return out == "--help" || out == "-h" ? 0 : 2;
  }
  if (!zol::ForceDirectories(out)) {
    std::fprintf(stderr, "gallery: cannot create %s\n", out.c_str());
    return 1;
  }
  auto& pages = gallery::Pages();
  std::stable_sort(pages.begin(), pages.end(),
                   [](const gallery::PageInfo& a, const gallery::PageInfo& b) { return a.Order < b.Order; });
  std::string index = std::string("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>ZOL Component Suite gallery</title>") +
                      kStyle + "</head><body><h1>ZOL Component Suite gallery</h1><ul>\n";
  int failures = 0;
  for (const auto& info : pages) {
    gallery::GalleryPage page(out, info.Id);
    try {
      info.Build(page);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "gallery: page %s failed: %s\n", info.Id.c_str(), e.what());
      page.AddText(std::string("This page failed: ") + e.what());
      ++failures;
    }
    WriteText(out + "/" + info.Id + ".html",
              "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + gallery::HtmlEscape(info.Title) +
                  "</title>" + kStyle + "</head><body><p><a href=\"index.html\">Index</a></p><h1>" +
                  gallery::HtmlEscape(info.Title) + "</h1>\n" + page.Html() + "</body></html>\n");
    index += "<li><a href=\"" + info.Id + ".html\">" + gallery::HtmlEscape(info.Title) + "</a></li>\n";
    std::printf("gallery: %s\n", info.Title.c_str());
  }
  index += "</ul></body></html>\n";
  WriteText(out + "/index.html", index);
  return failures == 0 ? 0 : 2;
}
