// Platform services: the printer.
//
// The printer of the headless host prints into a PDF file.  Between BeginDoc
// and EndDoc its canvas records the drawing of each page (IsPrinterCanvas()
// answers true); EndDoc replays the pages onto a PDF through Cairo with
// vector lines and real text.  The device has PixelsPerInch pixels per inch
// (300 by default) and a paper size (A4 by default: 2480 x 3508 pixels
// portrait); a landscape page swaps width and height.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_metafile.h"

namespace zol {

class EPrinter : public Exception {
  using Exception::Exception;
};

enum TPrinterOrientation { poPortrait, poLandscape };

// The drawing surface of the printer: a recording canvas of the printer's
// resolution whose IsPrinterCanvas() answers true.
class TPrinterCanvas : public TMetafileCanvas {
 public:
  TPrinterCanvas(TMetafile& page, int pixelsPerInch);
  using TMetafileCanvas::SetTarget;
};

class TPrinter : public TObject {
 public:
  TPrinter();
  ~TPrinter() override;
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Starts a document with its first page; EPrinter "Printing in progress"
  // when a document is open.
  void BeginDoc();
  // Starts the next page; EPrinter "Printer is not currently printing"
  // outside a document.
  void NewPage();
  // Writes the document to OutputFile() and closes it; EPrinter outside a
  // document.  A failed write raises EFCreateError / EWriteError (the
  // document is closed all the same).
  void EndDoc();
  // Discards the open document; nothing is written.
  void Abort();

  // The canvas of the current page.  Outside a document it records into a
  // scratch page that is discarded by the next BeginDoc.
  TCanvas& Canvas();
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  int PageNumber() const { return FPrinting ? static_cast<int>(FPages.size()) : 0; }

  // Page size in device pixels (orientation applied).
  int PageWidth() const;
  int PageHeight() const;
  int PixelsPerInch() const { return FPPI; }
  // Changing the resolution or the paper is refused while printing (EPrinter).
  void SetPixelsPerInch(int dpi);  // clamped to 36..2400
  // Paper size in millimetres, portrait (width <= height is not required).
  double PaperWidthMM() const { return FPaperW; }
  double PaperHeightMM() const { return FPaperH; }
  void SetPaperSizeMM(double width, double height);  // clamped to 10..5000
  TPrinterOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientation v);
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v) { FTitle = v; }

  // The PDF file EndDoc writes.  Without one set, the document goes to
  // "<temporary folder>/<Title or "document">.pdf" (characters that do not
  // belong in a file name replaced by '_').
  std::string OutputFile() const;
  void SetOutputFile(const std::string& path) { FOutputFile = path; }

  // The pages of the open document, or of the last one written (kept until
  // the next BeginDoc).
  int PageCount() const { return static_cast<int>(FPages.size()); }
  const TMetafile& Page(int index) const;  // EListError when out of range

 private:
  void CheckNotPrinting() const;
  TMetafile& AddPage();
  std::vector<std::unique_ptr<TMetafile>> FPages;
  std::unique_ptr<TMetafile> FScratch;
  std::unique_ptr<TPrinterCanvas> FCanvas;
  bool FPrinting = false;
  bool FAborted = false;
  int FPPI = 300;
  double FPaperW = 210, FPaperH = 297;
  TPrinterOrientation FOrientation = poPortrait;
  std::string FTitle;
  std::string FOutputFile;
};

// The global printer.
TPrinter& Printer();
// Replaces the global printer (nullptr: a new default one); returns the old one.
std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> p);

}  // namespace zol
