// Gallery page: the platform's standard controls on one form.
#include <memory>
#include <string>

#include "apps/gallery/Gallery.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_grids.h"
#include "base/platform/Zol_metafile.h"
#include "base/platform/Zol_printers.h"
#include "base/platform/Zol_stdctrls.h"

using namespace zol;

namespace {

template <class T>
T* Put(TWinControl* parent, int x, int y, int w, int h) {
  auto* c = new T(parent);
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  return c;
}

// A form holding one of every standard control, some focused or dropped down.
std::unique_ptr<TForm> BuildForm() {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 560, 330);
  form->Show();

  auto* l = Put<TLabel>(form.get(), 12, 14, 0, 0);
  l->SetCaption("Name:");
  auto* e = Put<TEdit>(form.get(), 70, 10, 150, 21);
  e->SetText("Sample text");
  auto* pw = Put<TEdit>(form.get(), 70, 38, 150, 21);
  pw->SetPasswordChar('*');
  pw->SetText("secret");
  auto* ro = Put<TEdit>(form.get(), 70, 66, 150, 21);
  ro->SetText("disabled");
  ro->SetEnabled(false);

  auto* cb1 = Put<TCheckBox>(form.get(), 12, 98, 100, 17);
  cb1->SetCaption("Checked");
  cb1->SetChecked(true);
  auto* cb2 = Put<TCheckBox>(form.get(), 12, 118, 100, 17);
  cb2->SetCaption("Grayed");
  cb2->SetAllowGrayed(true);
  cb2->SetState(cbGrayed);
  auto* cb3 = Put<TCheckBox>(form.get(), 12, 138, 100, 17);
  cb3->SetCaption("Unchecked");

  auto* grp = Put<TPanel>(form.get(), 120, 96, 100, 64);
  grp->SetBevelOuter(bvLowered);
  auto* r1 = Put<TRadioButton>(grp, 6, 6, 88, 17);
  r1->SetCaption("First");
  auto* r2 = Put<TRadioButton>(grp, 6, 24, 88, 17);
  r2->SetCaption("Second");
  r2->SetChecked(true);
  auto* r3 = Put<TRadioButton>(grp, 6, 42, 88, 17);
  r3->SetCaption("Third");

  auto* lb = Put<TListBox>(form.get(), 240, 10, 130, 96);
  for (int i = 1; i <= 12; ++i) lb->Items().Add("List item " + std::to_string(i));
  lb->SetItemIndex(2);

  auto* combo = Put<TComboBox>(form.get(), 390, 10, 150, 21);
  combo->SetStyle(csDropDownList);
  for (const char* s : {"Linear", "Logarithmic", "Reciprocal", "Square root"}) combo->Items().Add(s);
  combo->SetItemIndex(1);
  combo->SetFocus();
  combo->SetDroppedDown(true);

  auto* combo2 = Put<TComboBox>(form.get(), 390, 120, 150, 21);
  combo2->Items().Add("free text");
  combo2->SetText("free text");

  auto* dtp = Put<TDateTimePicker>(form.get(), 370, 150, 170, 21);
  dtp->SetDate(EncodeDate(2026, 12, 8));
  dtp->SetDateFormat(dfLong);

  auto* memo = Put<TMemo>(form.get(), 12, 170, 208, 70);
  memo->Lines().Add("A memo holds lines,");
  memo->Lines().Add("one under the other,");
  memo->Lines().Add("and scrolls when they");
  memo->Lines().Add("do not fit.");

  auto* panel = Put<TPanel>(form.get(), 240, 120, 130, 50);
  panel->SetBevelInner(bvLowered);
  panel->SetBorderWidth(2);
  panel->SetCaption("Panel");

  auto* sb = Put<TScrollBar>(form.get(), 240, 180, 130, 17);
  sb->SetParams(30, 0, 100);
  sb->SetPageSize(20);
  auto* sbv = Put<TScrollBar>(form.get(), 520, 180, 17, 100);
  sbv->SetKind(sbVertical);
  sbv->SetBounds(520, 180, 17, 100);
  sbv->SetPageSize(40);

  TBitmap glyph(9, 9);
  glyph.LoadFromResourceName("ZOL_ARROWUP");
  for (int i = 0; i < 3; ++i) {
    auto* s = Put<TSpeedButton>(form.get(), 240 + i * 25, 210, 23, 22);
    s->SetGroupIndex(1);
    s->SetGlyph(glyph);
    if (i == 1) s->SetDown(true);
  }
  auto* sc = Put<TSpeedButton>(form.get(), 320, 210, 50, 22);
  sc->SetCaption("Tool");

  auto* ok = Put<TButton>(form.get(), 370, 290, 81, 29);
  ok->SetCaption("OK");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = Put<TButton>(form.get(), 459, 290, 81, 29);
  cancel->SetCaption("Cancel");
  cancel->SetCancel(true);
  auto* dis = Put<TButton>(form.get(), 12, 290, 81, 29);
  dis->SetCaption("Disabled");
  dis->SetEnabled(false);
  Application()->ProcessMessages();
  return form;
}

// A string grid with a range selection, a sized column and the editor open.
std::unique_ptr<TForm> BuildGridForm() {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 460, 230);
  form->Show();
  auto* g = Put<TStringGrid>(form.get(), 10, 10, 440, 210);
  g->SetColCount(9);
  g->SetRowCount(25);
  g->SetOptions(g->Options() | goEditing | goColSizing);
  g->SetColWidths(0, 40);
  for (int c = 1; c < 9; ++c) g->SetCells(c, 0, "Col " + std::to_string(c));
  for (int r = 1; r < 25; ++r) {
    g->SetCells(0, r, std::to_string(r));
    for (int c = 1; c < 9; ++c) g->SetCells(c, r, std::to_string(r * 10 + c));
  }
  g->SetFocus();
  g->SetSelection(TGridRect{2, 2, 3, 4});
  Application()->ProcessMessages();
  return form;
}

void SaveAll(gallery::GalleryPage& page, TForm& form, const std::string& stem, const std::string& caption) {
  page.AddControlPicture(form, stem, caption, "Standard controls");
}

}  // namespace

ZOL_GALLERY_PAGE("stdctrls", "Standard controls", 90) {
  {
    auto form = BuildForm();
    SaveAll(page, *form, "form",
            "Edit fields (plain, password, disabled), check boxes, radio buttons on a lowered panel, "
            "a list box with its scroll bar, a drop-down list opened over the form, a free-text combo "
            "box, a date picker, a memo, a panel with bevels, scroll bars, speed buttons of a group "
            "and push buttons (the default one framed)");
  }
  {
    auto form = BuildGridForm();
    SaveAll(page, *form, "grid",
            "A string grid: fixed heading row and column, a range selection whose current cell carries "
            "the focus rectangle, both scroll bars");
  }
  Application()->ResetHeadless();
}
