// Gallery page: the report list view with every column kind, selected,
// disabled and checked rows, a password column, the inter-row indicator, and
// the row editor form generated from the column formats.
#include <memory>
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "gui/Zol_replist.h"

using namespace zol;

namespace {

// A sample inventory: a check-box column, a free combo box, a choice list, a
// date, numbers in the floating-point, hexadecimal and integer formats, a
// plain text column shown as a password, and a radio column.
std::unique_ptr<TForm> BuildForm(TReportListView*& v) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 760, 250);
  form->Show();
  v = new TReportListView(form.get());
  v->SetParent(form.get());
  v->SetBounds(10, 10, 740, 230);
  v->SetCommonHeaderVisible(true);
  v->SetCommonHeader("Sample inventory, store 4");
  v->SetNrCols(9);
  v->SetNrRows(7);
  const char* names[9] = {"Use", "Sample", "Solvent", "Taken", "Mass/g", "Code", "Count", "Key", "Ref"};
  const char* formats[9] = {"",
                            "[s][120]",
                            "[c:5][100]water|ethanol|acetone|hexane",
                            "[dyyyy-MM-dd][100]2024-01-01",
                            "[f][80]rix2",
                            "[h][60]rix4",
                            "[i][60]rix3",
                            "[s]$pwd$8",
                            "[#s]n/a"};
  for (int c = 1; c <= 9; ++c) {
    v->SetColName(c, names[c - 1]);
    v->SetColumnFormat(c, formats[c - 1]);
  }
  v->SetColCheckMode(1, cmBox);
  v->SetColCheckMode(9, cmRadio);
  v->SetColumnIsPwd(8, true);
  v->SetColAlignment(5, taRightJustify);
  v->SetColAlignment(7, taRightJustify);
  v->SetColAlignment(6, taCenter);
  const char* samples[7] = {"Quartz sand", "Limestone", "Basalt chips", "Kaolin", "Gypsum", "Feldspar", "Mica"};
  const char* solvents[7] = {"water", "ethanol", "water", "acetone", "hexane", "water", "ethanol"};
  const char* dates[7] = {"2024-02-11", "2024-02-12", "2024-03-01", "2024-03-07", "2024-04-19", "2024-05-02",
                          "2024-05-30"};
  const char* masses[7] = {"12.50", "8.25", "31.00", "4.75", "17.10", "9.95", "2.40"};
  for (int r = 1; r <= 7; ++r) {
    v->SetElem(1, r, r % 3 == 0 ? "" : "ok");
    v->SetElem(2, r, samples[r - 1]);
    v->SetElem(3, r, solvents[r - 1]);
    v->SetElem(4, r, dates[r - 1]);
    v->SetElem(5, r, masses[r - 1]);
    v->SetElem(6, r, v->GetCellDefaultValue(6, r));
    v->SetElem(7, r, v->GetCellDefaultValue(7, r));
    v->SetElem(8, r, "k" + std::to_string(1000 + 37 * r));
    v->SetElem(9, r, "R" + std::to_string(r));
  }
  v->SetElemChecked(1, 1, true);
  v->SetElemChecked(1, 4, true);
  v->SetElemChecked(1, 5, true);
  v->SetElemChecked(9, 2, true);
  for (int c = 1; c <= 9; ++c) v->AutoColWidth(c, true, 4);
  v->SetRowSelectMode(2);
  v->SetRowSelect(2, true);
  v->SetRowSelect(3, true);
  v->SetRowEnabled(6, false);
  v->SetHighLightColumn(5);
  v->SetInterRowIndi(5);
  v->Sort(2, -1, true);
  v->AutoColWidth(2, true, 4);
  Application()->ProcessMessages();
  return form;
}

}  // namespace

ZOL_GALLERY_PAGE("replist", "Report list view", 121) {
  {
    TReportListView* v = nullptr;
    auto form = BuildForm(v);
    page.AddControlPicture(*form, "list",
                           "A report list: the common header row, column names with the sort triangle (sorted "
                           "by Sample, ascending), check boxes (column Use), a radio column (Ref), a password "
                           "column (Key), alternating shading, two selected rows, a disabled row, the "
                           "highlighted column Mass/g and the red inter-row indicator before row 5",
                           "Report list view");
    v->CopyToClipBoard(2, 1, 5, 3, true, false);
    page.AddText("Rows 1 to 3 of columns 2 to 5 as the fixed-width clipboard layout writes them:");
    page.AddText(Clipboard().AsText());

    TForm dlg(nullptr);
    dlg.OnShow = [&](TObject*) {
      Application()->ProcessMessages();
      page.AddControlPicture(dlg, "roweditor",
                             "The row editor of row 3: one line per column with a field chosen by the column "
                             "format (text, combo box, date picker, numeric fields in float, hexadecimal and "
                             "integer input, a masked password field, a disabled field for the '#' format), "
                             "OK and Cancel at the top right",
                             "Report list row editor");
      Application()->PressKey(VK_ESCAPE);
    };
    v->EditRowEntries(3, &dlg, 40, 40, "Edit Row 3");
  }
  Application()->ResetHeadless();
}
