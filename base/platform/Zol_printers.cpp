// Platform services: the printer (PDF output through the metafile's Cairo writer).
#include "base/platform/Zol_printers.h"

#include <algorithm>
#include <cmath>

namespace zol {

TPrinterCanvas::TPrinterCanvas(TMetafile& page, int pixelsPerInch)
    : TMetafileCanvas(page, pixelsPerInch, true) {}

TPrinter::TPrinter() {
  FScratch = std::make_unique<TMetafile>();
  FScratch->SetSize(PageWidth(), PageHeight());
  FScratch->SetPixelsPerInch(FPPI);
  FCanvas = std::make_unique<TPrinterCanvas>(*FScratch, FPPI);
}

TPrinter::~TPrinter() = default;

int TPrinter::PageWidth() const {
  double mm = FOrientation == poPortrait ? FPaperW : FPaperH;
  return static_cast<int>(std::lround(mm / 25.4 * FPPI));
}

int TPrinter::PageHeight() const {
  double mm = FOrientation == poPortrait ? FPaperH : FPaperW;
  return static_cast<int>(std::lround(mm / 25.4 * FPPI));
}

void TPrinter::CheckNotPrinting() const {
  if (FPrinting) throw EPrinter("Printing in progress");
}

// A new canvas keeps nothing of an earlier resolution: the font's pixels per
// inch follow the device.
void TPrinter::SetPixelsPerInch(int dpi) {
  dpi = std::clamp(dpi, 36, 2400);
  if (dpi == FPPI) return;
  CheckNotPrinting();
  FPPI = dpi;
  // the old canvas goes before the scratch page it records into
  auto scratch = std::make_unique<TMetafile>();
  scratch->SetSize(PageWidth(), PageHeight());
  scratch->SetPixelsPerInch(FPPI);
  FCanvas = std::make_unique<TPrinterCanvas>(*scratch, FPPI);
  FScratch = std::move(scratch);
}

void TPrinter::SetPaperSizeMM(double width, double height) {
  if (!std::isfinite(width) || !std::isfinite(height)) return;
  width = std::clamp(width, 10.0, 5000.0);
  height = std::clamp(height, 10.0, 5000.0);
  if (width == FPaperW && height == FPaperH) return;
  CheckNotPrinting();
  FPaperW = width;
  FPaperH = height;
  FScratch->SetSize(PageWidth(), PageHeight());
}

void TPrinter::SetOrientation(TPrinterOrientation v) {
  if (v == FOrientation) return;
  CheckNotPrinting();
  FOrientation = v;
  FScratch->SetSize(PageWidth(), PageHeight());
}

std::string TPrinter::OutputFile() const {
  if (!FOutputFile.empty()) return FOutputFile;
  std::string name = FTitle.empty() ? std::string("document") : FTitle;
  for (char& c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
        c == '>' || c == '|')
      c = '_';
  }
  name = Utf8Truncate(name, 200);
  if (name == "." || name == "..") name = "document";
  return GetTempDirectory() + name + ".pdf";
}

TMetafile& TPrinter::AddPage() {
  auto page = std::make_unique<TMetafile>();
  page->SetSize(PageWidth(), PageHeight());
  page->SetPixelsPerInch(FPPI);
  FPages.push_back(std::move(page));
  FCanvas->SetTarget(*FPages.back());
  FCanvas->MoveTo(0, 0);
  FCanvas->ResetClip();
  return *FPages.back();
}

void TPrinter::BeginDoc() {
  CheckNotPrinting();
  FPages.clear();
  FScratch->Clear();
  FAborted = false;
  FPrinting = true;
  AddPage();
}

void TPrinter::NewPage() {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
  AddPage();
}

void TPrinter::EndDoc() {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
  FPrinting = false;
  FCanvas->SetTarget(*FScratch);
  std::vector<const TMetafile*> pages;
  for (const auto& p : FPages) pages.push_back(p.get());
  SaveMetafilesAsPDF(pages, OutputFile(), FTitle);
}

void TPrinter::Abort() {
  if (!FPrinting) return;
  FPrinting = false;
  FAborted = true;
  FPages.clear();
  FCanvas->SetTarget(*FScratch);
}

TCanvas& TPrinter::Canvas() { return *FCanvas; }

const TMetafile& TPrinter::Page(int index) const {
  if (index < 0 || index >= PageCount())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return *FPages[size_t(index)];
}

namespace {
std::unique_ptr<TPrinter>& PrinterSlot() {
  static std::unique_ptr<TPrinter> printer;
  return printer;
}
}  // namespace

TPrinter& Printer() {
  auto& slot = PrinterSlot();
  if (!slot) slot = std::make_unique<TPrinter>();
  return *slot;
}

std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> p) {
  auto& slot = PrinterSlot();
  std::unique_ptr<TPrinter> old = std::move(slot);
  slot = std::move(p);
  return old;
}

}  // namespace zol
