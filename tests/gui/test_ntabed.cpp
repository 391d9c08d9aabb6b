// The numeric table editor: cell texts, editing through the headless host,
// the clipboard layouts, both context menus entry by entry, heading and
// comment editing, and pictures of a small grid with states and marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/HostFormTest.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "gui/Zol_ntabed.h"

using namespace zol;

namespace {

class NTabEd : public HostFormTest {
 protected:
  void SetUp() override {
    HostFormTest::SetUp();
    t = new TNTabEd(form.get());
    t->SetParent(form.get());
    t->SetBounds(10, 10, 420, 200);
    t->SetScrollBars(ssNone);
    app->ProcessMessages();
  }
  // Centre of the grid cell of data cell (c, r), in form coordinates.
  TPoint DataPt(int c, int r) const { return GridPt(c + t->ColOffset() - 1, r + t->RowOffset() - 1); }
  TPoint GridPt(int gc, int gr) const {
    TRect cr = t->CellRect(gc, gr);
    return TPoint(10 + (cr.Left + cr.Right) / 2, 10 + (cr.Top + cr.Bottom) / 2);
  }
  void ClickData(int c, int r, TShiftState s = 0) {
    TPoint p = DataPt(c, r);
    app->Click(form.get(), p.X, p.Y, mbLeft, s);
    app->ProcessMessages();
  }
  void RightData(int c, int r) {
    TPoint p = DataPt(c, r);
    app->Click(form.get(), p.X, p.Y, mbRight);
    app->ProcessMessages();
  }
  void RightGrid(int gc, int gr) {
    TPoint p = GridPt(gc, gr);
    app->Click(form.get(), p.X, p.Y, mbRight);
    app->ProcessMessages();
  }
  // Opens the in-place editor on data cell (c, r) with two clicks, replaces its text and presses Key.
  void EditCell(int c, int r, const std::string& text, uint16_t key = VK_RETURN) {
    ClickData(c, r);
    ClickData(c, r);
    ASSERT_TRUE(t->EditorMode());
    t->InplaceEditor()->SetText("");
    Type(text);
    Key(key);
  }
  // Selects the data block (c1, r1)..(c2, r2) with a click and a shift-click.
  void SelectData(int c1, int r1, int c2, int r2) {
    ClickData(c1, r1);
    ClickData(c2, r2, ssShift);
  }
  // Right click on data cell (c, r) choosing Item (an entry or sub-entry of the data menu).
  void DataMenu(int c, int r, TMenuItem* Item) {
    app->QueuePopupAnswer(Item);
    RightData(c, r);
  }
  TMenuItem* D(int i) const { return t->DataMenu()->Items()->Items(i - 1); }
  TMenuItem* H(int i) const { return t->HeadingMenu()->Items()->Items(i - 1); }
  TNTabEd* t = nullptr;
};

TEST_F(NTabEd, NewEditorLayoutAndTexts) {
  EXPECT_TRUE(t->AttribRowVisible());
  EXPECT_FALSE(t->AttribColVisible());
  EXPECT_EQ(t->ColOffset(), 2);
  EXPECT_EQ(t->RowOffset(), 1);
  // The platform grid starts with 5 x 5 cells: 3 data columns and 4 data rows remain.
  EXPECT_EQ(t->NrOfColumns(), 3);
  EXPECT_EQ(t->NrOfRows(), 4);
  EXPECT_EQ(t->ColWidths(0), 80);
  EXPECT_EQ(t->ColWidths(1), 32);
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(t->GetDecPlaces(c), 3);
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(t->CellText(c, r), "0.000");
  }
  EXPECT_EQ(t->CellText(0, 1), "");
  EXPECT_EQ(t->CellText(4, 1), "");
  // Decimal places are clamped; the attribute row moves the data one row down.
  t->SetDecPlaces(1, 14);
  EXPECT_EQ(t->GetDecPlaces(1), 10);
  t->SetDecPlaces(1, -5);
  EXPECT_EQ(t->GetDecPlaces(1), -1);
  t->SetAttribColVisible(true);
  EXPECT_EQ(t->RowOffset(), 2);
  EXPECT_EQ(t->RowCount(), 6);
  t->SetAttribRowVisible(false);
  EXPECT_EQ(t->ColOffset(), 1);
  EXPECT_EQ(t->ColCount(), 4);
  // NumWidth accepts 1..20 only.
  t->SetNumWidth(0);
  EXPECT_EQ(t->NumWidth(), 1);
  t->SetNumWidth(8);
  EXPECT_EQ(t->NumWidth(), 8);
  EXPECT_EQ(t->CellText(2, 1), "   0.000");
}

TEST_F(NTabEd, ResizeKeepsLastColumnSettings) {
  t->SetColWidths(t->ColOffset() + 2, 90);  // data column 3
  t->SetDecPlaces(3, 5);
  t->SetNrCols(5);
  EXPECT_EQ(t->NrOfColumns(), 5);
  EXPECT_EQ(t->ColCount(), 7);
  EXPECT_EQ(t->GetDecPlaces(4), 5);
  EXPECT_EQ(t->GetDecPlaces(5), 5);
  EXPECT_EQ(t->ColWidths(t->ColOffset() + 4), 90);
  t->Redimension(2, 7);
  EXPECT_EQ(t->RowCount(), 8);
  EXPECT_EQ(t->GetDecPlaces(3), 0);  // outside
  t->SetElem(1, 1, 4);
  t->SetColName(1, "x");
  t->Clear();
  EXPECT_EQ(t->GetColName(1), "C-1");
  EXPECT_EQ(t->GetRowName(7), "R-7");
  EXPECT_EQ(t->GetElem(1, 1), 0.0);
  EXPECT_EQ(t->GetDecPlaces(2), 3);
}

TEST_F(NTabEd, CellTextsOfStatesAndCategories) {
  t->SetElem(1, 1, 3.14159);
  EXPECT_EQ(t->CellText(1, 1), "3.142");
  t->SetDecPlaces(1, -1);
  // FormatData: scientific notation in a field of NumWidth + 6 with at least one decimal.
  EXPECT_EQ(t->CellText(1, 1), " 3.1E+00");
  t->SetCellState(1, 2, csInvalid);
  EXPECT_EQ(t->CellText(1, 2), "-nan-");
  t->SetIsEmpty(1, 3, true);
  EXPECT_EQ(t->CellText(1, 3), "");
  TDataTable* d = t->Data();
  d->SetMScaleType(2, stNominal);
  d->SetNominalID(2, 1, "red");
  d->SetNominalID(2, 2, "green");
  t->SetElem(2, 1, 2);
  EXPECT_EQ(t->CellText(2, 1), "green");
  t->SetElem(2, 2, 7);
  EXPECT_EQ(t->CellText(2, 2), "nominal:7");
  t->SetElem(2, 3, 3);  // an empty label slot
  EXPECT_EQ(t->CellText(2, 3), "nominal:3");
  d->SetMScaleType(3, stOrdinal);
  t->SetElem(3, 1, 0);
  EXPECT_EQ(t->CellText(3, 1), "ordinal:0");
}

TEST_F(NTabEd, TypingIntoTheInplaceEditor) {
  int changes = 0, sets = 0;
  t->OnChange = [&](TObject*) { ++changes; };
  t->OnSetEditText = [&](TObject*, int, int, const std::string&) { ++sets; };
  EditCell(1, 1, "1,5");
  EXPECT_DOUBLE_EQ(t->GetElem(1, 1), 1.5);
  EXPECT_TRUE(t->GetIsNumber(1, 1));
  EXPECT_GT(changes, 0);
  EXPECT_EQ(sets, 1);
  // Auto advance moved the cursor down.
  EXPECT_EQ(t->Row(), t->RowOffset() + 1);
  EXPECT_EQ(t->Col(), t->ColOffset());
  EditCell(1, 3, "  2.5e3 ");
  EXPECT_DOUBLE_EQ(t->GetElem(1, 3), 2500.0);
  EditCell(2, 2, "abc");
  EXPECT_EQ(t->GetCellState(2, 2) & csInvalid, csInvalid);
  EXPECT_EQ(t->CellText(2, 2), "-nan-");
  // A valid entry clears the invalid state but keeps the marks.
  t->SetElemMarkedA(2, 2, true);
  EditCell(2, 2, "4");
  EXPECT_EQ(t->GetCellState(2, 2), csMarkA);
  EXPECT_DOUBLE_EQ(t->GetElem(2, 2), 4.0);
  // Escape keeps the old value.
  EditCell(3, 1, "99", VK_ESCAPE);
  EXPECT_FALSE(t->EditorMode());
  EXPECT_EQ(t->GetElem(3, 1), 0.0);
  // Sideways advance.
  t->SetAutoAdvanceDir(1);
  EditCell(1, 4, "7");
  EXPECT_EQ(t->Col(), t->ColOffset() + 1);
  EXPECT_EQ(t->Row(), t->RowOffset() + 3);
}

TEST_F(NTabEd, TypingIntoCategoryColumns) {
  TDataTable* d = t->Data();
  d->SetMScaleType(2, stNominal);
  d->SetNominalID(2, 1, "red");
  d->SetNominalID(2, 2, "green");
  EditCell(2, 1, "green");
  EXPECT_EQ(t->GetElem(2, 1), 2.0);
  EXPECT_EQ(t->GetCellState(2, 1), 0);
  EditCell(2, 2, "7");
  EXPECT_EQ(t->GetElem(2, 2), 7.0);
  EXPECT_EQ(t->CellText(2, 2), "nominal:7");
  t->SetElem(2, 3, 1);
  EditCell(2, 3, "blue");
  EXPECT_EQ(t->GetCellState(2, 3), csInvalid);
  EXPECT_EQ(t->GetElem(2, 3), 1.0);  // the old value stays
}

TEST_F(NTabEd, CategoryCellsOfferTheirLabels) {
  TDataTable* d = t->Data();
  d->SetMScaleType(3, stOrdinal);
  for (const char* l : {"low", "mid", "high"}) d->AddNominalID(3, l);
  d->SetMScaleType(3, stOrdinal);
  t->SetNomEditDropDownCount(2);
  t->SetElem(3, 1, 2);
  ClickData(3, 1);
  ClickData(3, 1);
  auto* list = dynamic_cast<TComboBox*>(t->InplaceEditor());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Items().Count(), 3);
  EXPECT_EQ(list->Items()[0], "low");
  EXPECT_EQ(list->DropDownCount(), 2);
  EXPECT_EQ(list->Text(), "mid");
  Key(VK_ESCAPE);
  // A plain column gets the plain edit field; OnGetEditText may change its text.
  t->OnGetEditText = [](TObject*, int, int, std::string& s) { s = "<" + s + ">"; };
  ClickData(1, 1);
  ClickData(1, 1);
  ASSERT_TRUE(t->EditorMode());
  EXPECT_EQ(dynamic_cast<TComboBox*>(t->InplaceEditor()), nullptr);
  EXPECT_EQ(t->InplaceEditor()->Text(), "<0.000>");
}

TEST_F(NTabEd, ReadOnlyLocksTyping) {
  t->SetDataReadOnly(true);
  ClickData(1, 1);
  ClickData(1, 1);
  EXPECT_FALSE(t->EditorMode());
  Type("5");
  EXPECT_EQ(t->GetElem(1, 1), 0.0);
}

TEST_F(NTabEd, TopLeftCellShowsCurrentCell) {
  std::string tl;
  t->OnBeforeRenderCell = [&](TObject*, int c, int r, TFontStyles&, TColor&, TColor&, std::string& s) {
    if (c == 0 && r == 0) tl = s;
  };
  ClickData(3, 2);
  t->PaintToBitmap();
  EXPECT_EQ(tl, "3:2");
  Key(VK_DOWN);
  t->PaintToBitmap();
  EXPECT_EQ(tl, "3:3");
}

TEST_F(NTabEd, CopyWritesTheClipboardLayout) {
  t->SetElem(1, 1, 1.5);
  t->SetIsEmpty(2, 1, true);
  t->SetElem(1, 2, -0.25);
  t->SetElem(2, 2, 100);
  SelectData(1, 1, 2, 2);
  EXPECT_FALSE(D(8)->Enabled());  // Paste before the first Copy
  DataMenu(1, 1, D(7));
  // strff at full precision: 17 significant digits and a four-digit exponent, right-aligned in 22.
  EXPECT_EQ(Clipboard().AsText(),
            " 1.5000000000000000E+0000\t####\r\n"
            " -2.5000000000000000E-0001\t1.0000000000000000E+0002\r\n");
  const TDataTable* clip = t->PrivateClipboard();
  EXPECT_EQ(clip->NrOfColumns(), 2);
  EXPECT_EQ(clip->NrOfRows(), 2);
  EXPECT_EQ(clip->GetCellState(2, 1), csEmpty);
  EXPECT_EQ(clip->GetElem(1, 2), -0.25);
  // With the column's decimal places.
  t->SetClipboardUseFullPrec(false);
  t->SetDecPlaces(2, 1);
  DataMenu(1, 1, D(7));
  EXPECT_EQ(Clipboard().AsText(), " 1.500\t####\r\n -0.250\t100.0\r\n");
  EXPECT_TRUE(D(8)->Enabled());
  // The same text read back by Extract keeps the columns (the "####" field holds its place).
  t->SetElem(4 - 1, 3, 9);
  SelectData(2, 3, 2, 3);
  DataMenu(2, 3, D(10));
  EXPECT_DOUBLE_EQ(t->GetElem(2, 3), 1.5);
  EXPECT_DOUBLE_EQ(t->GetElem(3, 3), 9.0);  // the "####" cell is left alone
  EXPECT_DOUBLE_EQ(t->GetElem(2, 4), -0.25);
  EXPECT_DOUBLE_EQ(t->GetElem(3, 4), 100.0);
}

std::string ReadRef(const std::string& name) {
  std::ifstream f(std::string(ZOL_TEST_SRC_DIR) + "/data/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The block written by tests/gui/ref/ntabed_copy.py with Python's formatting.
TEST_F(NTabEd, CopyMatchesReferenceLayouts) {
  t->SetElem(1, 1, 1.5);
  t->SetCellState(2, 1, csInvalid);
  t->SetElem(1, 2, -0.25);
  t->SetElem(2, 2, 100);
  t->SetElem(1, 3, 1e-300);
  t->SetElem(2, 3, 123456789.125);
  t->SetElemMarkedA(2, 3, true);  // marks do not matter
  t->SetDecPlaces(2, 1);
  SelectData(1, 1, 2, 3);
  DataMenu(1, 1, D(7));
  const std::string full = ReadRef("ntabed_copy_full.txt");
  ASSERT_FALSE(full.empty());
  EXPECT_EQ(Clipboard().AsText(), full);
  t->SetClipboardUseFullPrec(false);
  t->CopyToClipboard();
  EXPECT_EQ(Clipboard().AsText(), ReadRef("ntabed_copy_cols.txt"));
}

TEST_F(NTabEd, PasteWritesThePrivateTable) {
  int pastes = 0;
  t->OnPaste = [&](TObject*) { ++pastes; };
  t->SetElem(1, 1, 1);
  t->SetElem(2, 1, 2);
  t->SetElemMarkedB(2, 1, true);
  SelectData(1, 1, 2, 1);
  DataMenu(1, 1, D(7));
  ClickData(2, 4);
  DataMenu(2, 4, D(8));
  EXPECT_EQ(t->GetElem(2, 4), 1.0);
  EXPECT_EQ(t->GetElem(3, 4), 2.0);
  EXPECT_TRUE(t->GetElemMarkedB(3, 4));
  EXPECT_EQ(pastes, 1);
  TGridRect s = t->Selection();
  EXPECT_EQ(s.Left, t->ColOffset() + 1);
  EXPECT_EQ(s.Right, t->ColOffset() + 2);
  // Cut at the table's edge.
  ClickData(3, 3);
  DataMenu(3, 3, D(8));
  EXPECT_EQ(t->GetElem(3, 3), 1.0);
  // Read-only: Paste stays disabled after a Copy.
  t->SetDataReadOnly(true);
  app->QueuePopupAnswer(D(8));
  RightData(1, 1);
  EXPECT_FALSE(D(8)->Enabled());
  EXPECT_EQ(pastes, 2);
}

TEST_F(NTabEd, ExtractNumbersFromClipboardText) {
  t->Redimension(5, 5);
  Clipboard().SetAsText("1 2 3\n4 5");
  int cols = -1, rows = -1;
  EXPECT_TRUE(t->GetClipMatrixSize(cols, rows));
  EXPECT_EQ(cols, 3);
  EXPECT_EQ(rows, 2);
  int changes = 0, pastes = 0;
  t->OnChange = [&](TObject*) { ++changes; };
  t->OnPaste = [&](TObject*) { ++pastes; };
  ClickData(2, 3);
  DataMenu(2, 3, D(10));
  EXPECT_EQ(t->GetElem(2, 3), 1.0);
  EXPECT_EQ(t->GetElem(3, 3), 2.0);
  EXPECT_EQ(t->GetElem(4, 3), 3.0);
  EXPECT_EQ(t->GetElem(2, 4), 4.0);
  EXPECT_EQ(t->GetElem(3, 4), 5.0);
  EXPECT_EQ(t->GetElem(4, 4), 0.0);
  EXPECT_GT(changes, 0);
  EXPECT_EQ(pastes, 1);
  // Commas as decimal points, exponents, CR LF, text and empty fields between TABs.
  Clipboard().SetAsText("x\t1,5\t\t-2e2\r\nab\t.5 7\r\n");
  EXPECT_TRUE(t->GetClipMatrixSize(cols, rows));
  EXPECT_EQ(cols, 4);
  EXPECT_EQ(rows, 2);
  t->Redimension(5, 5);
  t->Fill(-1);
  ClickData(1, 1);
  t->ExtractFromClipboard();
  EXPECT_EQ(t->GetElem(1, 1), -1.0);
  EXPECT_EQ(t->GetElem(2, 1), 1.5);
  EXPECT_EQ(t->GetElem(3, 1), -1.0);
  EXPECT_EQ(t->GetElem(4, 1), -200.0);
  EXPECT_EQ(t->GetElem(2, 2), 0.5);
  EXPECT_EQ(t->GetElem(3, 2), 7.0);
  // No text: nothing to do.
  Clipboard().Clear();
  EXPECT_FALSE(t->GetClipMatrixSize(cols, rows));
  Clipboard().SetAsText("no numbers here");
  EXPECT_FALSE(t->GetClipMatrixSize(cols, rows));
}

TEST_F(NTabEd, ExtractSurvivesHostileText) {
  std::mt19937 rng(7);
  const std::string alphabet = "0123456789+-.,eE \t\r\n#xZ";
  for (int k = 0; k < 200; ++k) {
    std::string s;
    int n = static_cast<int>(rng() % 200);
    for (int i = 0; i < n; ++i)
      s += (rng() % 4 == 0) ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
    Clipboard().SetAsText(s);
    int c = 0, r = 0;
    t->GetClipMatrixSize(c, r);
    EXPECT_GE(c, 0);
    EXPECT_GE(r, 0);
    t->ExtractFromClipboard();
  }
  EXPECT_EQ(t->NrOfColumns(), 3);
}

TEST_F(NTabEd, MarkMenusOnRangeColumnRowAll) {
  t->Redimension(4, 4);
  SelectData(2, 2, 3, 3);
  DataMenu(2, 2, D(1)->Items(0));  // mark A: range
  EXPECT_EQ(t->NrOfMarkedDataA(), 4);
  EXPECT_TRUE(t->GetElemMarkedA(3, 3));
  EXPECT_FALSE(t->GetElemMarkedA(1, 1));
  DataMenu(2, 2, D(2)->Items(1));  // mark B: columns 2..3
  EXPECT_EQ(t->NrOfMarkedDataB(), 8);
  EXPECT_TRUE(t->IfColumnMarked(2));
  EXPECT_FALSE(t->IfColumnMarked(1));
  DataMenu(2, 2, D(3)->Items(2));  // unmark A: rows 2..3
  EXPECT_EQ(t->NrOfMarkedDataA(), 0);
  DataMenu(2, 2, D(1)->Items(3));  // mark A: all
  EXPECT_EQ(t->NrOfMarkedDataA(), 16);
  DataMenu(2, 2, D(4)->Items(3));  // unmark B: all
  EXPECT_EQ(t->NrOfMarkedDataB(), 0);
  EXPECT_TRUE(t->IfAnyMarked());
  DataMenu(2, 2, D(5));  // unmark all
  EXPECT_FALSE(t->IfAnyMarked());
  EXPECT_FALSE(t->IfRowMarked(2));
  // Marking stays possible on a read-only table; setters ignore cells outside.
  t->SetDataReadOnly(true);
  DataMenu(2, 2, D(2)->Items(0));
  EXPECT_EQ(t->NrOfMarkedDataB(), 4);
  t->SetElemMarkedA(0, 9, true);
  t->MarkAllElemsB();
  EXPECT_EQ(t->NrOfMarkedDataB(), 16);
  t->UnMarkAllElems();
  EXPECT_EQ(t->NrOfMarkedDataB(), 0);
}

TEST_F(NTabEd, ClearToggleSelectAllAndReadOnlyEntries) {
  t->Fill(5);
  t->SetCellState(1, 1, csInvalid | csMarkA);
  SelectData(1, 1, 2, 1);
  DataMenu(1, 1, D(6));  // Clear
  EXPECT_EQ(t->GetElem(1, 1), 0.0);
  EXPECT_EQ(t->GetCellState(1, 1), 0);
  EXPECT_EQ(t->GetElem(2, 1), 0.0);
  EXPECT_EQ(t->GetElem(3, 1), 5.0);
  DataMenu(1, 1, D(12));  // Toggle Empty State
  EXPECT_TRUE(t->GetIsEmpty(1, 1));
  EXPECT_TRUE(t->GetIsEmpty(2, 1));
  DataMenu(1, 1, D(12));
  EXPECT_FALSE(t->GetIsEmpty(1, 1));
  DataMenu(1, 1, D(11));  // Select All
  EXPECT_EQ(t->Selection(), (TGridRect{t->ColOffset(), t->RowOffset(), t->ColCount() - 1, t->RowCount() - 1}));
  // Data Read-Only toggles and shows its check box.
  DataMenu(1, 1, D(9));
  EXPECT_TRUE(t->DataReadOnly());
  EXPECT_TRUE(D(9)->Checked());
  // Every modifying entry is locked now.
  for (int i : {6, 8, 10, 12}) EXPECT_FALSE(D(i)->Enabled()) << i;
  Clipboard().SetAsText("7 7 7");
  for (int i : {6, 10, 12}) DataMenu(1, 1, D(i));
  EXPECT_EQ(t->GetElem(3, 2), 5.0);
  EXPECT_FALSE(t->GetIsEmpty(3, 2));
  t->ExtractFromClipboard();  // the routine also refuses
  EXPECT_EQ(t->GetElem(1, 1), 0.0);
  DataMenu(1, 1, D(9));
  EXPECT_FALSE(t->DataReadOnly());
  EXPECT_FALSE(D(9)->Checked());
}

TEST_F(NTabEd, HeadingMenuEntries) {
  // Change Precision cycles 3, 2, 1, 0, -1, 10 (the menu opens again each time).
  const int gc = t->ColOffset();  // data column 1
  std::vector<int> seen;
  for (int k = 0; k < 6; ++k) {
    app->QueuePopupAnswer(H(2));
    app->QueuePopupNone();
    RightGrid(gc, 0);
    seen.push_back(t->GetDecPlaces(1));
  }
  EXPECT_EQ(seen, (std::vector<int>{2, 1, 0, -1, 10, 9}));
  // The menu captions name the heading's kind; precision only for columns.
  EXPECT_EQ(H(3)->Caption(), "Select Column");
  RightGrid(0, 2);
  EXPECT_EQ(H(3)->Caption(), "Select Row");
  EXPECT_FALSE(H(2)->Visible());
  // Select.
  app->QueuePopupAnswer(H(3));
  RightGrid(gc + 1, 0);
  EXPECT_EQ(t->Selection(), (TGridRect{gc + 1, 1, gc + 1, t->RowCount() - 1}));
  app->QueuePopupAnswer(H(3));
  RightGrid(0, 3);
  EXPECT_EQ(t->Selection(), (TGridRect{gc, 3, t->ColCount() - 1, 3}));
  // Insert and delete.
  t->SetElem(2, 1, 8);
  app->QueuePopupAnswer(H(4));
  RightGrid(gc + 1, 0);
  EXPECT_EQ(t->NrOfColumns(), 4);
  EXPECT_EQ(t->GetColName(2), "(...)");
  EXPECT_EQ(t->GetElem(3, 1), 8.0);
  app->QueuePopupAnswer(H(4));
  RightGrid(0, 1);
  EXPECT_EQ(t->NrOfRows(), 5);
  EXPECT_EQ(t->GetRowName(1), "(...)");
  app->QueuePopupAnswer(H(5));
  RightGrid(0, 1);
  EXPECT_EQ(t->NrOfRows(), 4);
  app->QueuePopupAnswer(H(5));
  RightGrid(gc + 1, 0);
  EXPECT_EQ(t->NrOfColumns(), 3);
  EXPECT_EQ(t->GetElem(2, 1), 8.0);
  // Read-only: insert, delete and edit are locked.
  t->SetDataReadOnly(true);
  app->QueuePopupAnswer(H(4));
  RightGrid(gc, 0);
  EXPECT_EQ(t->NrOfColumns(), 3);
  for (int i : {1, 4, 5}) EXPECT_FALSE(H(i)->Enabled()) << i;
  // The heading menu opens 20 pixels right of and below the heading's corner.
  TRect cr = t->CellRect(gc, 0);
  TPoint corner = t->ClientToScreen(TPoint(cr.Left + 20, cr.Top + 20));
  EXPECT_EQ(app->Popups().back().X, corner.X);
  EXPECT_EQ(app->Popups().back().Y, corner.Y);
}

// A popup service that looks at the editor while its menu is open.
class SnapshotPopups : public TPopupMenuService {
 public:
  explicit SnapshotPopups(TNTabEd* e) : Ed(e) {}
  TMenuItem* ShowPopup(TPopupMenu&, int, int) override {
    Shot = Ed->PaintToBitmap();
    return nullptr;
  }
  TNTabEd* Ed;
  std::unique_ptr<TBitmap> Shot;
};

TEST_F(NTabEd, OpenHeadingMenuOutlinesItsCell) {
  SnapshotPopups svc(t);
  app->SetPopupMenuService(&svc);
  const int gc = t->ColOffset() + 1;
  auto before = t->PaintToBitmap();
  RightGrid(gc, 0);
  app->SetPopupMenuService(nullptr);
  ASSERT_TRUE(svc.Shot);
  TRect r = t->CellRect(gc, 0);
  // The outline inverts the cell's edge pixels; the inside stays.
  for (TPoint p : {TPoint(r.Left + 3, r.Top), TPoint(r.Left + 3, r.Bottom - 1), TPoint(r.Right - 1, r.Top + 10)})
    EXPECT_EQ(svc.Shot->GetPixel(p.X, p.Y), before->GetPixel(p.X, p.Y) ^ 0xFFFFFF) << p.X << "," << p.Y;
  EXPECT_EQ(svc.Shot->GetPixel(r.Right - 3, r.Bottom - 3), before->GetPixel(r.Right - 3, r.Bottom - 3));
  // Closed again: the plain heading.
  auto after = t->PaintToBitmap();
  EXPECT_EQ(after->GetPixel(r.Left + 3, r.Top), before->GetPixel(r.Left + 3, r.Top));
}

TEST_F(NTabEd, EditHeadingNamesAndAttributes) {
  int heads = 0, attrs = 0;
  t->OnHeadingChanged = [&](TObject*) { ++heads; };
  t->OnAttributeChanged = [&](TObject*) { ++attrs; };
  const int gc = t->ColOffset();
  app->QueuePopupAnswer(H(1));
  RightGrid(gc, 0);
  ASSERT_TRUE(t->HeadingEdit()->Visible());
  TRect cr = t->CellRect(gc, 0);
  EXPECT_EQ(t->HeadingEdit()->Left(), cr.Left + 30);
  EXPECT_EQ(t->HeadingEdit()->Top(), cr.Top + 5);
  EXPECT_EQ(t->HeadingEdit()->Text(), "C-1");
  t->HeadingEdit()->SetText("");
  Type("Weight");
  Key(VK_RETURN);
  EXPECT_FALSE(t->HeadingEdit()->Visible());
  EXPECT_EQ(t->GetColName(1), "Weight");
  EXPECT_GT(heads, 0);
  // Escape only hides.
  app->QueuePopupAnswer(H(1));
  RightGrid(0, 2);
  t->HeadingEdit()->SetText("");
  Type("Nope");
  Key(VK_ESCAPE);
  EXPECT_FALSE(t->HeadingEdit()->Visible());
  EXPECT_EQ(t->GetRowName(2), "R-2");
  // Attributes: numbers clamped to 0..255 and rounded; other text stores nothing.
  const std::vector<std::pair<std::string, int>> cases = {{"300", 255}, {"-4", 0}, {"12,6", 13}, {"abc", 13}};
  for (const auto& [text, want] : cases) {
    app->QueuePopupAnswer(H(1));
    RightGrid(1, 3);
    t->HeadingEdit()->SetText("");
    Type(text);
    Key(VK_RETURN);
    EXPECT_EQ(t->GetRowAttrib(3), want) << text;
  }
  EXPECT_GT(attrs, 0);
  // The column-attribute row.
  t->SetAttribColVisible(true);
  app->QueuePopupAnswer(H(1));
  RightGrid(gc + 2, 1);
  EXPECT_EQ(t->HeadingEdit()->Text(), "0");
  t->HeadingEdit()->SetText("");
  Type("42");
  Key(VK_RETURN);
  EXPECT_EQ(t->GetColAttrib(3), 42);
  // A click on the grid closes an open heading edit first.
  app->QueuePopupAnswer(H(1));
  RightGrid(gc, 0);
  ASSERT_TRUE(t->HeadingEdit()->Visible());
  ClickData(1, 1);
  EXPECT_FALSE(t->HeadingEdit()->Visible());
  EXPECT_EQ(t->GetColName(1), "Weight");
}

TEST_F(NTabEd, CommentEditing) {
  t->SetComment("old");
  TPoint p = GridPt(0, 0);
  app->Click(form.get(), p.X, p.Y);
  app->ProcessMessages();
  ASSERT_TRUE(t->CommentEditing());
  EXPECT_EQ(t->CommentMemo()->Text(), "old");
  EXPECT_EQ(t->CommentMemo()->Height(), 80);
  EXPECT_EQ(t->CommentMemo()->Left(), t->CellRect(0, 0).Right);
  EXPECT_EQ(t->CommentMemo()->Left() + t->CommentMemo()->Width(), t->Width() - 20);
  // The top-left cell says "Comment:" in white on teal.
  auto bmp = t->PaintToBitmap();
  TRect cr = t->CellRect(0, 0);
  EXPECT_EQ(bmp->GetPixel(cr.Right - 2, cr.Bottom - 2), clTeal);
  t->CommentMemo()->SetText("");
  Type("new comment");
  Key(VK_RETURN);
  EXPECT_FALSE(t->CommentEditing());
  EXPECT_EQ(t->Comment(), "new comment");
  app->Click(form.get(), p.X, p.Y);
  app->ProcessMessages();
  Type("xyz");
  Key(VK_ESCAPE);
  EXPECT_EQ(t->Comment(), "new comment");
  t->SetCommentEditingAllowed(false);
  app->Click(form.get(), p.X, p.Y);
  app->ProcessMessages();
  EXPECT_FALSE(t->CommentEditing());
}

TEST_F(NTabEd, PopupRulesAndCaptions) {
  int before = 0;
  t->OnBeforePopup = [&](TObject*, TPopupMenu* m) {
    ++before;
    EXPECT_EQ(m, t->DataMenu());
  };
  RightData(2, 2);
  ASSERT_EQ(app->Popups().size(), 1u);
  const TPopupRecord& rec = app->Popups().back();
  EXPECT_EQ(rec.Captions.size(), 12u);
  EXPECT_EQ(rec.Captions[0], "Mark as type A");
  EXPECT_EQ(rec.Captions[9], "Extract from Clipboard");
  EXPECT_EQ(rec.Captions[11], "Toggle Empty State");
  // 10 pixels right of and 20 above the click.
  TPoint click = DataPt(2, 2);
  TPoint screen = form->ClientToScreen(TPoint(click.X + 10, click.Y - 20));
  EXPECT_EQ(rec.X, screen.X);
  EXPECT_EQ(rec.Y, screen.Y);
  EXPECT_EQ(before, 1);
  // Blocked, or an application menu assigned: no built-in menu.
  t->SetBlockInternalPopup(true);
  RightData(2, 2);
  EXPECT_EQ(app->Popups().size(), 1u);
  t->SetBlockInternalPopup(false);
  TPopupMenu appMenu(nullptr);
  appMenu.AddItem("Mine");
  t->SetPopupMenu(&appMenu);
  RightData(2, 2);
  ASSERT_EQ(app->Popups().size(), 2u);
  EXPECT_EQ(app->Popups().back().Captions[0], "Mine");
  t->SetPopupMenu(nullptr);
  // Captions: replaced and cut to their capacity; masks disable entries.
  t->SetPopupDCaption(1, "Markieren als Typ A und noch viel mehr");
  EXPECT_EQ(t->GetPopupDCaption(1), "Markieren als Typ A und n");
  EXPECT_EQ(D(1)->Caption(), "Markieren als Typ A und n");
  t->SetPopupHCaption(3, "Auswahl..");
  EXPECT_EQ(t->GetPopupHCaption(3), "Auswahl..");
  t->SetPopupMCaption(2, "Spalte");
  EXPECT_EQ(D(1)->Items(1)->Caption(), "Spalte");
  t->SetPopupUCaption(4, "Alles");
  EXPECT_EQ(D(4)->Items(3)->Caption(), "Alles");
  EXPECT_EQ(t->GetPopupDCaption(13), "");
  t->SetPopupDMask(~(1u << 5));
  EXPECT_FALSE(D(6)->Enabled());
  EXPECT_TRUE(D(7)->Enabled());
  t->SetPopupHMask(0);
  EXPECT_FALSE(H(3)->Enabled());
}

TEST_F(NTabEd, ForwardedOperationsRaiseEvents) {
  int change = 0, states = 0, layout = 0, setup = 0;
  t->OnChange = [&](TObject*) { ++change; };
  t->OnCellStateChanged = [&](TObject*) { ++states; };
  t->OnLayoutChanged = [&](TObject*) { ++layout; };
  t->OnChangeSetup = [&](TObject*) { ++setup; };
  t->SetElem(1, 1, 3);
  EXPECT_EQ(change, 1);
  t->SetElemMarkedA(1, 1, true);
  EXPECT_EQ(states, 1);
  t->SetDecPlaces(1, 2);
  EXPECT_EQ(layout, 1);
  t->SetNrRows(6);
  EXPECT_GT(setup, 0);
  t->SetElem(1, 2, 1);
  t->SetElem(1, 3, 2);
  t->SortRows(1, true, 0, 0, 0, 0, true);
  EXPECT_EQ(t->GetElem(1, 6), 3.0);
  EXPECT_TRUE(t->GetElemMarkedA(1, 6));
  t->SetColName(2, "b");
  EXPECT_EQ(t->FindColIndex(" B "), 2);
  TNTabEd other(form.get());
  other.CopyContentsFrom(t);
  EXPECT_EQ(other.NrOfRows(), 6);
  EXPECT_EQ(other.GetElem(1, 6), 3.0);
  other.SetCellState(1, 1, csMarkB);
  EXPECT_TRUE(t->CopyCellStatesFrom(&other));
  EXPECT_TRUE(t->GetElemMarkedB(1, 1));
  t->ExchangeMarkings();
  EXPECT_TRUE(t->GetElemMarkedA(1, 1));
  EXPECT_EQ(t->FillMarkedCells(9, csMarkA), 1);
  EXPECT_EQ(t->GetElem(1, 1), 9.0);
}

// ------------------------------------------------------------------ pictures
class NTabEdPixels : public NTabEd {
 protected:
  // Text is drawn with anti-aliased coverage: the text colour is that of the
  // pixels farthest from Background (the fully covered ones).  Answers it
  // (nothing for an empty cell) and counts the pixels that are not Background.
  std::vector<TColor> Ink(const TBitmap& b, const TRect& r, TColor Background, int& Count) {
    std::vector<TColor> cols;
    std::vector<TColor> partial;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) {
        TColor p = b.GetPixel(x, y);
        if (p != Background) partial.push_back(p);
      }
    auto dist = [&](TColor p) {
      int d = 0;
      for (int k = 0; k < 3; ++k) d += std::abs(int((p >> (8 * k)) & 255) - int((Background >> (8 * k)) & 255));
      return d;
    };
    TColor fg = Background;
    for (TColor p : partial)
      if (dist(p) > dist(fg)) fg = p;
    if (!partial.empty()) cols.push_back(fg);
    Count = static_cast<int>(partial.size());
    return cols;
  }
};

TEST_F(NTabEdPixels, MarkedCellsInTheirColours) {
  t->SetColorBackground(clWhite);
  t->SetElemMarkedA(1, 2, true);
  t->SetElemMarkedB(2, 2, true);
  t->SetElemMarkedA(3, 2, true);
  t->SetElemMarkedB(3, 2, true);
  ClickData(1, 4);  // selection away from the marked row
  auto bmp = t->PaintToBitmap();
  const int gr = t->RowOffset() + 1;
  const TColor want[3] = {0x0000FF, 0xFF0000, 0xCC00BB};
  for (int c = 1; c <= 3; ++c) {
    int n = 0;
    auto ink = Ink(*bmp, t->CellRect(c + t->ColOffset() - 1, gr), clWhite, n);
    ASSERT_EQ(ink.size(), 1u) << c;
    EXPECT_EQ(ink[0], want[c - 1]) << c;
  }
  // Unmarked text in the normal colour; bold marks take more ink than plain text.
  int plain = 0, bold = 0;
  auto ink = Ink(*bmp, t->CellRect(t->ColOffset(), t->RowOffset()), clWhite, plain);
  ASSERT_EQ(ink.size(), 1u);
  EXPECT_EQ(ink[0], 0x002000);
  Ink(*bmp, t->CellRect(t->ColOffset(), gr), clWhite, bold);
  EXPECT_GT(bold, plain);
  t->SetBoldMarks(false);
  bmp = t->PaintToBitmap();
  int thin = 0;
  Ink(*bmp, t->CellRect(t->ColOffset(), gr), clWhite, thin);
  EXPECT_EQ(thin, plain);
}

TEST_F(NTabEdPixels, SelectionColoursAndTextOrigin) {
  t->SetColorBackground(clWhite);
  SelectData(1, 1, 2, 1);
  auto bmp = t->PaintToBitmap();
  // The anchor cell (the current cell at the other end carries the focus rectangle).
  TRect r = t->CellRect(t->ColOffset(), t->RowOffset());
  int n = 0;
  auto ink = Ink(*bmp, r, 0xF8E8E0, n);
  ASSERT_EQ(ink.size(), 1u);
  EXPECT_EQ(ink[0], 0x80552C);
  EXPECT_EQ(bmp->GetPixel(r.Right - 1, r.Bottom - 1), 0xF8E8E0);
  // The text starts 2 pixels right of and 1 below the corner: nothing before that.
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (bmp->GetPixel(x, y) != 0xF8E8E0) {
        EXPECT_GE(x, r.Left + 2);
        EXPECT_GE(y, r.Top + 1);
      }
  // An unselected cell: background colour only around the text.
  TRect u = t->CellRect(t->ColOffset() + 2, t->RowOffset() + 2);
  EXPECT_EQ(bmp->GetPixel(u.Right - 1, u.Bottom - 1), clWhite);
}

TEST_F(NTabEdPixels, BeforeRenderCellOverrides) {
  t->OnBeforeRenderCell = [&](TObject*, int c, int r, TFontStyles&, TColor& brush, TColor& font, std::string& s) {
    if (c == t->ColOffset() && r == t->RowOffset() + 3) {
      brush = clYellow;
      font = clBlack;
      s = "";
    }
  };
  t->Invalidate();
  auto bmp = t->PaintToBitmap();
  TRect r = t->CellRect(t->ColOffset(), t->RowOffset() + 3);
  int n = 0;
  auto ink = Ink(*bmp, r, clYellow, n);
  EXPECT_EQ(n, 0);
  // Headings of the selected cell are emphasised in ColorSelected.
  TRect h = t->CellRect(t->ColOffset(), 0);
  ink = Ink(*bmp, Rect(h.Left + 1, h.Top + 1, h.Right, h.Bottom), ColorToRGB(clBtnFace), n);
  ASSERT_EQ(ink.size(), 1u);
  EXPECT_EQ(ink[0], 0x404040);
}

}  // namespace
