// Gallery page: the numeric table editor with cell states, marks and category labels.
#include <cmath>
#include <memory>
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "gui/Zol_ntabed.h"

using namespace zol;

namespace {

// A small table of measurements: three numeric columns with different decimal
// places, a nominal column with labels, empty and invalid cells, marks A, B
// and both, row attributes, the column-attribute row and a range selection.
std::unique_ptr<TForm> BuildForm(TNTabEd*& ed) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 520, 290);
  form->Show();
  ed = new TNTabEd(form.get());
  ed->SetParent(form.get());
  ed->SetBounds(10, 10, 500, 270);
  ed->SetAttribColVisible(true);
  ed->Redimension(4, 8);
  const char* names[4] = {"Temp", "Pressure", "Yield", "Catalyst"};
  for (int c = 1; c <= 4; ++c) ed->SetColName(c, names[c - 1]);
  ed->SetDecPlaces(1, 1);
  ed->SetDecPlaces(2, 3);
  ed->SetDecPlaces(3, -1);
  TDataTable* d = ed->Data();
  d->SetMScaleType(4, stNominal);
  d->SetNominalID(4, 1, "Pt");
  d->SetNominalID(4, 2, "Pd");
  d->SetNominalID(4, 3, "Ni");
  for (int r = 1; r <= 8; ++r) {
    ed->SetRowName(r, "Run " + std::to_string(r));
    ed->SetRowAttrib(r, static_cast<uint8_t>(r % 3));
    ed->SetElem(1, r, 20.0 + 7.5 * r);
    ed->SetElem(2, r, 1.013 + 0.05 * r);
    ed->SetElem(3, r, 0.0123 * std::exp(0.4 * r));
    ed->SetElem(4, r, 1 + r % 4);  // 4 has no label: "nominal:4"
  }
  ed->SetColAttrib(1, 1);
  ed->SetColAttrib(2, 1);
  ed->SetColAttrib(3, 2);
  ed->SetIsEmpty(2, 3, true);
  ed->SetCellState(3, 5, csInvalid);
  ed->SetElemMarkedA(1, 2, true);
  ed->SetElemMarkedA(2, 2, true);
  ed->SetElemMarkedB(1, 6, true);
  ed->SetElemMarkedB(3, 6, true);
  ed->SetElemMarkedA(3, 6, true);
  ed->SetComment("Catalyst screening, series 4");
  ed->SetFocus();
  ed->SetSelection(TGridRect{ed->ColOffset() + 1, ed->RowOffset() + 3, ed->ColOffset() + 2,
                             ed->RowOffset() + 4});
  Application()->ProcessMessages();
  return form;
}

void SaveAll(gallery::GalleryPage& page, TForm& form, const std::string& stem, const std::string& caption) {
  page.AddControlPicture(form, stem, caption, "Numeric table editor");
}

}  // namespace

ZOL_GALLERY_PAGE("ntabed", "Numeric table editor", 120) {
  {
    TNTabEd* ed = nullptr;
    auto form = BuildForm(ed);
    SaveAll(page, *form, "table",
            "A numeric table: row names and attributes, the column-attribute row, decimal places 1, 3 and "
            "scientific per column, a nominal column with category labels (an unlabelled value shows "
            "\"nominal:4\"), an empty cell, an invalid cell (\"-nan-\"), marks A (red), B (blue) and both "
            "(purple) in bold, and a range selection whose headings are emphasised");
    ed->CopyToClipboard();
    page.AddText("The selected block as Copy writes it to the clipboard (TAB-separated, CR LF line ends):");
    page.AddText(Clipboard().AsText());
  }
  Application()->ResetHeadless();
}
