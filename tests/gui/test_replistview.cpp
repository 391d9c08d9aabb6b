// The report list view: layout and clamping, mouse and keyboard through the
// headless host (selection modes, header sorting, check boxes with their
// events, the in-place editor, the row editor form, the context menu),
// filtering in its three modes, the clipboard layouts, and pictures of a
// small list compared with what the drawing rules give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/HostFormTest.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_stdctrls.h"
#include "gui/Zol_numio.h"
#include "gui/Zol_replist.h"

using namespace zol;

namespace {

class RepListView : public HostFormTest {
 protected:
  void SetUp() override {
    HostFormTest::SetUp();
    v = new TReportListView(form.get());
    v->SetParent(form.get());
    v->SetBounds(10, 10, 400, 300);
    v->SetScrollBars(ssNone);
    app->ProcessMessages();
  }
  // Fills a list of Cols columns and the given rows (texts per row, column 1 first).
  void FillList(const std::vector<std::string>& names, const std::vector<std::vector<std::string>>& rows) {
    v->SetNrCols(static_cast<int>(names.size()));
    v->SetNrRows(static_cast<int>(rows.size()));
    for (size_t c = 0; c < names.size(); ++c) v->SetColName(static_cast<int>(c) + 1, names[c]);
    for (size_t r = 0; r < rows.size(); ++r)
      for (size_t c = 0; c < rows[r].size(); ++c)
        v->SetElem(static_cast<int>(c) + 1, static_cast<int>(r) + 1, rows[r][c]);
    app->ProcessMessages();
  }
  TRect DataRect(int c, int r) const { return v->CellRect(c - 1, v->CountHeadRows() + r - 1); }
  // Form coordinates of a point dx pixels right of the left edge of data cell (c, r), centred vertically.
  TPoint DataPt(int c, int r, int dx = -1) const {
    TRect cr = DataRect(c, r);
    int x = dx < 0 ? (cr.Left + cr.Right) / 2 : cr.Left + dx;
    return TPoint(10 + x, 10 + (cr.Top + cr.Bottom) / 2);
  }
  void ClickData(int c, int r, TShiftState s = 0, int dx = -1) {
    TPoint p = DataPt(c, r, dx);
    app->Click(form.get(), p.X, p.Y, mbLeft, s);
    app->ProcessMessages();
  }
  void ClickHeader(int c) {
    TRect cr = v->CellRect(c - 1, v->CountHeadRows() - 1);
    app->Click(form.get(), 10 + (cr.Left + cr.Right) / 2, 10 + (cr.Top + cr.Bottom) / 2);
    app->ProcessMessages();
  }
  std::vector<int> Selected() const {
    std::vector<int> s;
    for (int r = 1; r <= v->NrOfRows(); ++r)
      if (v->GetRowSelect(r)) s.push_back(r);
    return s;
  }
  TMenuItem* MenuItem(const std::string& caption) const {
    TMenuItem* root = v->ContextMenu()->Items();
    for (int i = 0; i < root->Count(); ++i)
      if (root->Items(i)->Caption() == caption) return root->Items(i);
    return nullptr;
  }
  // Right click on data cell (c, r) choosing the entry with this caption.
  void Menu(int c, int r, const std::string& caption) {
    app->QueuePopupAnswer(caption);
    TPoint p = DataPt(c, r);
    app->Click(form.get(), p.X, p.Y, mbRight);
    app->ProcessMessages();
  }
  TReportListView* v = nullptr;
};

// ---------------------------------------------------------------- layout, properties, index checks
TEST_F(RepListView, NewViewLayoutAndClamping) {
  // The grid starts with 5 columns; the list with no rows keeps one blank grid row.
  EXPECT_EQ(v->NrOfColumns(), 5);
  EXPECT_EQ(v->NrOfRows(), 0);
  EXPECT_EQ(v->CommonHeader(), "ZOL Report Listview");
  EXPECT_EQ(v->CountHeadRows(), 1);
  EXPECT_EQ(v->FixedRows(), 1);
  EXPECT_EQ(v->RowCount(), 2);
  EXPECT_EQ(v->ColCount(), 5);
  EXPECT_EQ(v->RowHeights(0), 20);
  EXPECT_EQ(v->SortColumn(), -1);
  EXPECT_EQ(v->GetColName(3), "C-3");
  v->SetColumnHeadersHeight(200);
  EXPECT_EQ(v->ColumnHeadersHeight(), 127);
  v->SetColumnHeadersHeight(3);
  EXPECT_EQ(v->ColumnHeadersHeight(), 8);
  EXPECT_EQ(v->RowHeights(0), 8);
  v->SetCommonHeaderHeight(1000);
  EXPECT_EQ(v->CommonHeaderHeight(), 127);
  // Both head rows, then none.
  v->SetCommonHeaderVisible(true);
  v->SetCommonHeaderHeight(30);
  EXPECT_EQ(v->CountHeadRows(), 2);
  EXPECT_EQ(v->FixedRows(), 2);
  EXPECT_EQ(v->RowCount(), 3);
  EXPECT_EQ(v->RowHeights(0), 30);
  EXPECT_EQ(v->RowHeights(1), 8);
  v->SetColumnHeadersVisible(false);
  EXPECT_EQ(v->CountHeadRows(), 1);
  EXPECT_EQ(v->RowHeights(0), 30) << "a lone common header row keeps its height";
  v->SetCommonHeaderVisible(false);
  EXPECT_EQ(v->CountHeadRows(), 0);
  EXPECT_EQ(v->FixedRows(), 0);
  EXPECT_EQ(v->RowCount(), 1);
  EXPECT_EQ(v->RowHeights(0), v->DefaultRowHeight());
  v->SetNrRows(4);
  EXPECT_EQ(v->RowCount(), 4);
  // Data column c is grid column c − 1.
  v->SetColWidths(2, 77);
  EXPECT_EQ(v->ColWidths(1), 77);
  EXPECT_EQ(v->GetColWidths(2), 77);
  v->ExpandColWidth(2, 50);
  EXPECT_EQ(v->GetColWidths(2), 77);
  v->ExpandColWidth(2, 90);
  EXPECT_EQ(v->GetColWidths(2), 90);
  // New columns take the per-column defaults.
  v->SetColAlignment(5, taRightJustify);
  v->SetNrCols(7);
  EXPECT_EQ(v->ColAlignment(5), taRightJustify);
  EXPECT_EQ(v->ColAlignment(7), taLeftJustify);
  EXPECT_FALSE(v->ColumnEditable(6));
  EXPECT_FALSE(v->ColumnIsPwd(6));
}

TEST_F(RepListView, OutOfRangeArgumentsAreIgnored) {
  FillList({"A", "B"}, {{"a", "b"}});
  int changes = 0;
  v->OnChange = [&](TObject*) { ++changes; };
  v->SetElem(3, 1, "x");
  v->SetElem(1, 2, "x");
  v->SetElem(-1, 1, "x");
  v->SetElemChecked(0, 1, true);
  v->SetRowSelect(0, true);
  v->SetRowSelect(2, true);
  v->SetRowEnabled(5, false);
  v->SetColSelect(3, true);
  v->SetColAlignment(0, taCenter);
  v->SetColumnEditable(9, true);
  v->SetColumnIsPwd(-4, true);
  v->SetColWidths(3, 10);
  v->RemoveRow(2);
  v->InsertRow(5);
  v->SetAllCheckmarksOfCol(7, true);
  v->CenterScrollAndSelect(9);
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(v->GetRowSelect(2));
  EXPECT_FALSE(v->GetRowEnabled(0));
  EXPECT_FALSE(v->GetColSelect(0));
  EXPECT_EQ(v->GetElem(3, 1), "");
  EXPECT_EQ(v->GetColWidths(0), 0);
  EXPECT_EQ(v->ColAlignment(3), taLeftJustify);
  EXPECT_EQ(v->NrOfRows(), 1);
  EXPECT_FALSE(v->EditRowEntries(2));
  EXPECT_EQ(v->FirstSelectedRow(), 0);
  // The last row removed: no rows, never −1.
  v->RemoveRow(1);
  v->RemoveRow(1);
  EXPECT_EQ(v->NrOfRows(), 0);
  EXPECT_EQ(v->RowCount(), 2);
}

TEST_F(RepListView, SelectionAttributesAndCounts) {
  FillList({"A", "B", "C"}, {{"1"}, {"2"}, {"3"}, {"4"}});
  int sel = 0, changes = 0;
  v->OnSelectedChange = [&](TObject*) { ++sel; };
  v->OnChange = [&](TObject*) { ++changes; };
  v->SetRowSelect(2, true);
  v->SetRowEnabled(3, false);
  v->SetColSelect(2, true);
  EXPECT_EQ(v->Data()->Cells().GetRowAttrib(2), 128);
  EXPECT_EQ(v->Data()->Cells().GetRowAttrib(3), 64);
  EXPECT_EQ(v->Data()->Cells().GetColAttrib(2), 128);
  EXPECT_EQ(sel, 3);
  EXPECT_EQ(changes, 0) << "selection is not a change of data";
  EXPECT_EQ(v->FirstSelectedRow(), 2);
  EXPECT_EQ(v->FirstSelectedColumn(), 2);
  EXPECT_EQ(v->NumEnabledRows(), 3);
  v->SelectAllRows();
  EXPECT_EQ(v->NumSelectedRows(), 4);
  EXPECT_EQ(v->Data()->Cells().GetRowAttrib(3), 128 + 64);
  v->DeselectAllRows();
  EXPECT_EQ(v->NumSelectedRows(), 0);
  v->DisableAllRows();
  EXPECT_EQ(v->NumEnabledRows(), 0);
  v->EnableAllRows();
  EXPECT_EQ(v->NumEnabledRows(), 4);
  v->SelectAllColumns();
  EXPECT_EQ(v->NumSelectedColumns(), 3);
  v->DeselectAllColumns();
  EXPECT_EQ(v->NumSelectedColumns(), 0);
  // Attributes move with their rows when the list is sorted.
  v->SetRowSelect(1, true);
  v->Sort(1, -1, false);
  EXPECT_EQ(v->GetElem(1, 4), "1");
  EXPECT_TRUE(v->GetRowSelect(4));
  EXPECT_FALSE(v->GetRowSelect(1));
}

TEST_F(RepListView, MouseCellAndCentring) {
  v->SetCommonHeaderVisible(true);
  FillList({"A", "B"}, {{"1"}, {"2"}, {"3"}});
  int c = 9, r = 9;
  TRect hd = v->CellRect(1, 0);
  v->MouseCell(hd.Left + 3, hd.Top + 3, c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, -2);
  TRect ch = v->CellRect(0, 1);
  v->MouseCell(ch.Left + 3, ch.Top + 3, c, r);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, -1);
  TRect d = DataRect(2, 3);
  v->MouseCell(d.Left + 1, d.Bottom - 1, c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 3);
  v->MouseCell(v->Width() - 5, v->Height() - 5, c, r);  // below the last row, right of the columns
  EXPECT_EQ(r, 0);
  // Centring a row far down scrolls it into the middle and selects only it.
  v->SetNrRows(60);
  v->SetRowSelect(1, true);
  v->CenterScrollAndSelect(40);
  EXPECT_EQ(Selected(), std::vector<int>{40});
  int gr = v->CountHeadRows() + 39;
  EXPECT_GT(gr, v->TopRow());
  EXPECT_LT(gr, v->TopRow() + v->VisibleRowCount());
  EXPECT_NEAR(gr - v->TopRow(), v->VisibleRowCount() / 2, 1);
}

TEST_F(RepListView, HeaderDoubleClickFitsTheColumnAndFixedFirstColumn) {
  FillList({"A", "B", "C"}, {{"a rather long text for a narrow column", "b"}, {"x", "y"}});
  v->SetColWidths(1, 30);
  // A double click within 4 pixels of the border right of column 1 fits column 1.
  TRect cr = v->CellRect(0, 0);
  app->DoubleClick(form.get(), 10 + cr.Right, 10 + (cr.Top + cr.Bottom) / 2);
  app->ProcessMessages();
  EXPECT_GT(v->GetColWidths(1), 150);
  EXPECT_EQ(v->SortColumn(), -1) << "no sort from a click at the border";
  const int w1 = v->GetColWidths(1);
  // Column 2 hidden (width 0): a double click at its border fits column 1, the next one with a width.
  v->SetColWidths(2, 0);
  v->SetColWidths(1, 40);
  TRect c3 = v->CellRect(2, 0);
  app->DoubleClick(form.get(), 10 + c3.Left + 1, 10 + (c3.Top + c3.Bottom) / 2);
  app->ProcessMessages();
  EXPECT_EQ(v->GetColWidths(1), w1);
  EXPECT_EQ(v->GetColWidths(2), 0);
  // A check column leaves room for its box.
  v->SetColCheckMode(1, cmBox);
  v->AutoColWidth(1, true, 0);
  EXPECT_GE(v->GetColWidths(1), w1 + 18 - 1);
  // FixedFirstColumn makes grid column 0 fixed.
  v->SetFixedFirstColumn(true);
  EXPECT_EQ(v->FixedCols(), 1);
  v->SetFixedFirstColumn(false);
  EXPECT_EQ(v->FixedCols(), 0);
}

TEST_F(RepListView, ForwardedEventsAndFiles) {
  FillList({"Name", "Val"}, {{"b", "2"}, {"a", "1"}, {"c", "3"}});
  v->SetColCheckMode(2, cmBox);
  v->SetElemChecked(2, 3, true);
  v->SetDataID("probe");
  v->SetComment("three rows");
  // The sort keys pass the view's OnBeforeSortExchange: here reversed by a prefix.
  int keys = 0;
  v->OnBeforeSortExchange = [&](TObject* s, const std::string& in, std::string& out) {
    EXPECT_EQ(s, v);
    ++keys;
    out = in == "a" ? "z" : in;
  };
  v->Sort(1, -1, true);
  EXPECT_GT(keys, 0);
  EXPECT_EQ(v->GetElem(1, 1), "b");
  EXPECT_EQ(v->GetElem(1, 3), "a");
  v->OnBeforeSortExchange = nullptr;
  v->UnSort();
  // The HTML export passes every cell through the view's hook.
  std::string dir = ::testing::TempDir();
  int cells = 0;
  v->OnBeforeHTMLExport = [&](TObject* s, std::string& t, int, int) {
    EXPECT_EQ(s, v);
    ++cells;
    t = "[" + t + "]";
  };
  ASSERT_TRUE(v->ExportHTMLTable(dir + "/rlv.html", 1, 2, 1, 3, {}, 1, 2, 0, true, "T", "", ""));
  EXPECT_EQ(cells, 6);
  // A record written by one view and read by another brings the grid along.
  ASSERT_TRUE(v->SaveAsXMLFile(dir + "/rlv.xml", ""));
  TReportListView* w = new TReportListView(form.get());
  w->SetParent(form.get());
  int changes = 0;
  w->OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(w->LoadFromXMLFile(dir + "/rlv.xml", "probe"));
  EXPECT_GT(changes, 0);
  EXPECT_EQ(w->NrOfColumns(), 2);
  EXPECT_EQ(w->NrOfRows(), 3);
  EXPECT_EQ(w->ColCount(), 2);
  EXPECT_EQ(w->RowCount(), 4);
  EXPECT_EQ(w->GetElem(1, 2), "a");
  EXPECT_TRUE(w->GetElemChecked(2, 3));
  EXPECT_EQ(w->Comment(), "three rows");
  EXPECT_FALSE(w->LoadFromXMLFile(dir + "/rlv.xml", "other"));
  EXPECT_EQ(w->NrOfRows(), 3);
  // Assigning another list to the data replaces its cell store: after Changed the view follows it.
  TRLData other(nullptr);
  other.SetNrCols(3);
  other.SetNrRows(2);
  other.SetElem(3, 2, "z");
  w->Data()->Assign(other);
  w->Changed();
  EXPECT_EQ(w->ColCount(), 3);
  EXPECT_EQ(w->RowCount(), 3);
  changes = 0;
  w->SetElem(1, 1, "new");
  EXPECT_EQ(changes, 1);
  delete w;  // leaves no handler behind in the store it had hooked
}

TEST_F(RepListView, SuppressPaintSkipsDrawing) {
  FillList({"A"}, {{"x"}});
  auto normal = v->PaintToBitmap();
  v->SetSuppressPaint(true);
  v->SetRowSelect(1, true);
  int64_t before = app->PaintCount();
  app->ProcessMessages();
  auto frozen = v->PaintToBitmap();
  // Nothing of the list is drawn while painting is suppressed.
  TRect r = DataRect(1, 1);
  EXPECT_NE(frozen->GetPixel(r.Left + 1, r.Top + 1), 0x94BAEDu);
  v->SetSuppressPaint(false);
  auto after = v->PaintToBitmap();
  EXPECT_EQ(after->GetPixel(r.Left + 1, r.Top + 1), 0x94BAEDu);
  EXPECT_GE(app->PaintCount(), before);
}

// ---------------------------------------------------------------- mouse selection
TEST_F(RepListView, ClickSelectsInTheThreeModes) {
  FillList({"A", "B"}, {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}, {"6"}});
  int events = 0;
  v->OnSelectedChange = [&](TObject*) { ++events; };
  ClickData(1, 2);
  EXPECT_EQ(Selected(), std::vector<int>{2});
  ClickData(2, 4);
  EXPECT_EQ(Selected(), std::vector<int>{4});
  EXPECT_GE(events, 2);
  // Mode 2 with UseCtrlForMultiSel: plain click selects one row, control-click toggles.
  v->SetRowSelectMode(2);
  ClickData(1, 2);
  EXPECT_EQ(Selected(), std::vector<int>{2});
  ClickData(1, 5, ssCtrl);
  EXPECT_EQ(Selected(), (std::vector<int>{2, 5}));
  ClickData(1, 5, ssCtrl);
  EXPECT_EQ(Selected(), std::vector<int>{2});
  // Shift-click after clicking row 2 selects rows 2 to the clicked one.
  ClickData(1, 2);
  ClickData(1, 5, ssShift);
  EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4, 5}));
  // Without UseCtrlForMultiSel a plain click toggles.
  v->SetUseCtrlForMultiSel(false);
  ClickData(1, 6);
  EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4, 5, 6}));
  ClickData(1, 3);
  EXPECT_EQ(Selected(), (std::vector<int>{2, 4, 5, 6}));
  // Mode 0 leaves the attributes alone.
  v->SetRowSelectMode(0);
  ClickData(1, 1);
  EXPECT_EQ(Selected(), (std::vector<int>{2, 4, 5, 6}));
}

TEST_F(RepListView, ShiftClickCopiesOnlyTheSelectionBit) {
  FillList({"A"}, {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}});
  v->SetRowSelectMode(2);
  v->SetRowEnabled(4, false);
  ClickData(1, 1);  // anchor, selected and enabled
  ClickData(1, 5, ssShift);
  EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_FALSE(v->GetRowEnabled(4)) << "the disabled row stays disabled";
  EXPECT_TRUE(v->GetRowEnabled(3));
  // A disabled anchor does not pass its disabled bit on.
  v->DeselectAllRows();
  v->SetRowEnabled(1, false);
  ClickData(1, 1);
  ClickData(1, 3, ssShift);
  EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
  EXPECT_TRUE(v->GetRowEnabled(2));
  EXPECT_TRUE(v->GetRowEnabled(3));
  EXPECT_EQ(v->Data()->Cells().GetRowAttrib(2), 128);
}

TEST_F(RepListView, NavigationKeysMoveTheSelection) {
  FillList({"A"}, {{"1"}, {"2"}, {"3"}, {"4"}});
  ClickData(1, 2);
  Key(VK_DOWN);
  EXPECT_EQ(Selected(), std::vector<int>{3});
  Key(VK_HOME);
  EXPECT_EQ(Selected(), std::vector<int>{1});
  Key(VK_END);
  EXPECT_EQ(Selected(), std::vector<int>{4});
  Key(VK_UP);
  EXPECT_EQ(Selected(), std::vector<int>{3});
  // Enter moves down only with AutoAdvance.
  Key(VK_RETURN);
  EXPECT_EQ(Selected(), std::vector<int>{3});
  v->SetAutoAdvance(true);
  Key(VK_RETURN);
  EXPECT_EQ(Selected(), std::vector<int>{4});
}

// ---------------------------------------------------------------- sorting by header click
TEST_F(RepListView, HeaderClicksSortDescendingThenAscending) {
  FillList({"N", "M", "K"}, {{"r1", "", "b"}, {"r2", "", "c"}, {"r3", "", "a"}, {"r4", "", "d"}});
  ClickData(1, 3);  // row with "a" selected
  int changes = 0;
  v->OnChange = [&](TObject*) { ++changes; };
  ClickHeader(3);
  EXPECT_EQ(v->SortColumn(), 3);
  EXPECT_FALSE(v->SortOrder());
  EXPECT_EQ(v->GetElem(3, 1), "d");
  EXPECT_EQ(v->GetElem(3, 4), "a");
  EXPECT_EQ(Selected(), std::vector<int>{4}) << "the selected row keeps its selection at its new place";
  EXPECT_GE(changes, 1);
  ClickHeader(3);
  EXPECT_EQ(v->SortColumn(), 3);
  EXPECT_TRUE(v->SortOrder());
  EXPECT_EQ(v->GetElem(3, 1), "a");
  EXPECT_EQ(v->GetElem(1, 1), "r3");
  EXPECT_EQ(Selected(), std::vector<int>{1});
  // A click within 4 pixels of a column border does not sort; SortEnabled off neither.
  TRect cr = v->CellRect(0, 0);
  app->Click(form.get(), 10 + cr.Right - 2, 10 + (cr.Top + cr.Bottom) / 2);
  app->ProcessMessages();
  EXPECT_EQ(v->SortColumn(), 3);
  EXPECT_TRUE(v->SortOrder());
  v->SetSortEnabled(false);
  ClickHeader(1);
  EXPECT_EQ(v->SortColumn(), 3);
  v->UnSort();
  EXPECT_EQ(v->SortColumn(), -1);
  EXPECT_EQ(v->GetElem(3, 1), "b");
}

// ---------------------------------------------------------------- check boxes
TEST_F(RepListView, CheckBoxClicksAndEvents) {
  FillList({"Box", "Text"}, {{"a", "x"}, {"b", "y"}, {"", "z"}});
  v->SetColCheckMode(1, cmBox);
  std::vector<std::vector<int>> got;  // state, col, row
  v->OnCheckedChange = [&](TObject*, bool s, int c, int r) { got.push_back({s ? 1 : 0, c, r}); };
  ClickData(1, 1, 0, 8);
  EXPECT_TRUE(v->GetElemChecked(1, 1));
  EXPECT_EQ(v->Data()->Cells().GetString(1, 1), "Xa");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], (std::vector<int>{1, 1, 1})) << "the handler receives the state the cell now has";
  ClickData(1, 1, 0, 8);
  EXPECT_FALSE(v->GetElemChecked(1, 1));
  EXPECT_EQ(got.back(), (std::vector<int>{0, 1, 1}));
  // Right of the box (18 pixels and more) the click only selects.
  ClickData(1, 2, 0, 20);
  EXPECT_FALSE(v->GetElemChecked(1, 2));
  // An empty cell takes a check with ShowEmptyCheckBoxes, not without.
  v->SetShowEmptyCheckBoxes(false);
  ClickData(1, 3, 0, 8);
  EXPECT_FALSE(v->GetElemChecked(1, 3));
  v->SetShowEmptyCheckBoxes(true);
  ClickData(1, 3, 0, 8);
  EXPECT_TRUE(v->GetElemChecked(1, 3));
  EXPECT_EQ(v->GetElem(1, 3), "");
  // Disabled rows and read-only check marks ignore the click.
  size_t n = got.size();
  v->SetRowEnabled(2, false);
  ClickData(1, 2, 0, 8);
  EXPECT_FALSE(v->GetElemChecked(1, 2));
  v->SetRowEnabled(2, true);
  v->SetROCheckmarks(true);
  ClickData(1, 2, 0, 8);
  EXPECT_FALSE(v->GetElemChecked(1, 2));
  EXPECT_EQ(got.size(), n);
  // The veto of OnBeforeCheckedChange holds.
  v->SetROCheckmarks(false);
  v->OnBeforeCheckedChange = [&](TObject*, bool& s, int, int r) {
    if (r == 2) s = false;
  };
  ClickData(1, 2, 0, 8);
  EXPECT_FALSE(v->GetElemChecked(1, 2));
  EXPECT_EQ(got.size(), n);
}

TEST_F(RepListView, RadioColumnKeepsOneCheckAndHonoursTheVeto) {
  FillList({"Pick"}, {{"a"}, {"b"}, {"c"}, {"d"}});
  v->SetColCheckMode(1, cmRadio);
  std::vector<int> states;
  v->OnCheckedChange = [&](TObject*, bool s, int, int) { states.push_back(s ? 1 : 0); };
  ClickData(1, 1, 0, 8);
  ClickData(1, 3, 0, 8);
  EXPECT_EQ(v->CountCheckedElemsInCol(1), 1);
  EXPECT_EQ(v->FirstCheckedElemInCol(1), 3);
  EXPECT_EQ(states, (std::vector<int>{1, 1}));
  // A click on the checked cell leaves it checked.
  ClickData(1, 3, 0, 8);
  EXPECT_EQ(v->FirstCheckedElemInCol(1), 3);
  EXPECT_EQ(v->CountCheckedElemsInCol(1), 1);
  // A veto leaves the column untouched.
  v->OnBeforeCheckedChange = [&](TObject*, bool& s, int, int r) {
    if (r == 4) s = false;
  };
  ClickData(1, 4, 0, 8);
  EXPECT_EQ(v->FirstCheckedElemInCol(1), 3);
  EXPECT_EQ(v->CountCheckedElemsInCol(1), 1);
  EXPECT_EQ(states.size(), 2u);
  ClickData(1, 2, 0, 8);
  EXPECT_EQ(v->FirstCheckedElemInCol(1), 2);
  EXPECT_EQ(v->CountCheckedElemsInCol(1), 1);
}

// ---------------------------------------------------------------- the in-place editor
TEST_F(RepListView, InPlaceEditorCommitsAndCancels) {
  FillList({"Name", "Box", "Pwd"}, {{"alpha", "one", "secret"}, {"beta", "two", "word"}});
  v->SetColCheckMode(2, cmBox);
  v->SetElemChecked(2, 1, true);
  v->SetColumnEditable(1, true);
  v->SetColumnEditable(2, true);
  v->SetColumnEditable(3, true);
  v->SetColumnIsPwd(3, true);
  std::vector<std::string> got;
  v->OnSetEditText = [&](TObject*, int c, int r, std::string& s) {
    got.push_back(std::to_string(c) + ":" + std::to_string(r) + ":" + s);
  };
  v->OnGetEditText = [&](TObject*, int c, int, std::string& s) {
    if (c == 1) s += "!";
  };
  // A non-editable click (first) selects, the second click on the cell opens the editor.
  ClickData(1, 1);
  ClickData(1, 1);
  ASSERT_TRUE(v->EditorMode());
  EXPECT_EQ(v->InplaceEditor()->Text(), "alpha!");
  v->InplaceEditor()->SetText("");
  Type("gamma");
  Key(VK_RETURN);
  EXPECT_FALSE(v->EditorMode());
  EXPECT_EQ(v->GetElem(1, 1), "gamma");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "1:1:gamma");
  // Escape restores.
  ClickData(1, 2);
  ClickData(1, 2);
  ASSERT_TRUE(v->EditorMode());
  Type("zzz");
  Key(VK_ESCAPE);
  EXPECT_FALSE(v->EditorMode());
  EXPECT_EQ(v->GetElem(1, 2), "beta");
  // A check-mark cell keeps its check character.
  ClickData(2, 1, 0, 30);
  ClickData(2, 1, 0, 30);
  ASSERT_TRUE(v->EditorMode());
  EXPECT_EQ(v->InplaceEditor()->Text(), "one");
  v->InplaceEditor()->SetText("uno");
  Key(VK_RETURN);
  EXPECT_EQ(v->Data()->Cells().GetString(2, 1), "Xuno");
  // A password column is masked in the editor.
  ClickData(3, 2);
  ClickData(3, 2);
  ASSERT_TRUE(v->EditorMode());
  EXPECT_EQ(v->InplaceEditor()->PasswordChar(), '*');
  Key(VK_ESCAPE);
  ClickData(1, 2);
  ClickData(1, 2);
  ASSERT_TRUE(v->EditorMode());
  EXPECT_EQ(v->InplaceEditor()->PasswordChar(), '\0');
  Key(VK_ESCAPE);
  // Disabled rows, columns that are not editable and a read-only list open no editor.
  v->SetRowEnabled(2, false);
  ClickData(1, 2);
  ClickData(1, 2);
  EXPECT_FALSE(v->EditorMode());
  v->SetRowEnabled(2, true);
  v->SetColumnEditable(1, false);
  ClickData(1, 2);
  ClickData(1, 2);
  EXPECT_FALSE(v->EditorMode());
  v->SetColumnEditable(1, true);
  v->SetDataReadOnly(true);
  ClickData(1, 2);
  ClickData(1, 2);
  EXPECT_FALSE(v->EditorMode());
  // Typing starts the editor on an editable cell.
  v->SetDataReadOnly(false);
  ClickData(1, 2);
  Type("q");
  ASSERT_TRUE(v->EditorMode());
  Key(VK_RETURN);
  EXPECT_EQ(v->GetElem(1, 2), "q");
}

// ---------------------------------------------------------------- the row editor
class RowEditor : public RepListView {
 protected:
  void SetUp() override {
    RepListView::SetUp();
    FillList({"Name", "Colour", "Qty", "Secret", "Fixed"},
             {{"x"}, {"Ann", "green", "", "abc", ""}, {"y"}});
    v->SetColumnFormat(2, "[l]red|green|blue");
    v->SetColumnFormat(3, "[i][60]rix3");
    v->SetColumnIsPwd(4, true);
    v->SetColumnFormat(5, "[#s]locked");
    dlg = std::make_unique<TForm>(nullptr);
  }
  template <class T>
  std::vector<T*> Controls() const {
    std::vector<T*> out;
    for (int i = 0; i < dlg->ComponentCount(); ++i)
      if (auto* c = dynamic_cast<T*>(dlg->Components(i))) out.push_back(c);
    return out;
  }
  std::unique_ptr<TForm> dlg;
};

TEST_F(RowEditor, FormLayoutAndFieldsByFormat) {
  bool checked = false;
  dlg->OnShow = [&](TObject*) {
    checked = true;
    EXPECT_EQ(dlg->Height(), 5 * 25 + 38);
    auto labels = Controls<TLabel>();
    ASSERT_EQ(labels.size(), 5u);
    EXPECT_EQ(labels[0]->Caption(), "Name:");
    EXPECT_EQ(labels[0]->Alignment(), taRightJustify);
    auto buttons = Controls<TButton>();
    ASSERT_EQ(buttons.size(), 2u);
    for (TButton* b : buttons) {
      EXPECT_EQ(b->Width(), 81);
      EXPECT_EQ(b->Height(), 29);
      EXPECT_EQ(b->Left() + b->Width(), dlg->Width() - 8);
    }
    EXPECT_EQ(buttons[0]->Caption(), "OK");
    EXPECT_EQ(buttons[1]->Caption(), "Cancel");
    auto combos = Controls<TComboBox>();
    ASSERT_EQ(combos.size(), 1u);
    EXPECT_EQ(combos[0]->Style(), csDropDownList);
    EXPECT_EQ(combos[0]->Items().Count(), 3);
    EXPECT_EQ(combos[0]->Text(), "green");
    EXPECT_EQ(combos[0]->Width(), 200);
    auto nums = Controls<TNumIO>();
    ASSERT_EQ(nums.size(), 1u);
    EXPECT_EQ(nums[0]->InputFormat(), itInt);
    EXPECT_EQ(nums[0]->Width(), 60);
    EXPECT_EQ(nums[0]->Text(), "002") << "an empty cell shows the column's default";
    // The lines are 25 pixels apart.
    EXPECT_EQ(nums[0]->Top() - combos[0]->Top(), 25);
    int masked = 0, disabled = 0;
    for (TEdit* e : Controls<TEdit>()) {
      if (dynamic_cast<TNumIO*>(e)) continue;
      if (e->PasswordChar() == '*') {
        ++masked;
        EXPECT_EQ(e->Text(), "abc");
      }
      if (!e->Enabled()) {
        ++disabled;
        EXPECT_EQ(e->Text(), "locked");
      }
    }
    EXPECT_EQ(masked, 1);
    EXPECT_EQ(disabled, 1);
    app->PressKey(VK_ESCAPE);
  };
  EXPECT_FALSE(v->EditRowEntries(2, dlg.get()));
  EXPECT_TRUE(checked);
  EXPECT_EQ(dlg->ComponentCount(), 0) << "the generated fields are freed, the form is kept";
  EXPECT_EQ(v->GetElem(3, 2), "") << "cancelled: the row is unchanged";
  EXPECT_EQ(v->GetElem(5, 2), "");
}

TEST_F(RowEditor, FilledBySyntheticKeysAndConfirmed) {
  dlg->OnShow = [&](TObject*) {
    // Name (focused first): append "e"; Colour: next choice; Qty: left alone; Secret: append "d".
    app->PressKey(VK_END);
    app->PostText("e");
    app->PressKey(VK_TAB);
    app->PressKey(VK_DOWN);
    app->PressKey(VK_TAB);
    app->PressKey(VK_TAB);
    app->PressKey(VK_END);
    app->PostText("d");
    app->PressKey(VK_RETURN);
  };
  EXPECT_TRUE(v->EditRowEntries(2, dlg.get()));
  EXPECT_EQ(v->GetElem(1, 2), "Anne");
  EXPECT_EQ(v->GetElem(2, 2), "blue");
  EXPECT_EQ(v->GetElem(3, 2), "002");
  EXPECT_EQ(v->GetElem(4, 2), "abcd");
  EXPECT_EQ(v->GetElem(5, 2), "locked");
  EXPECT_EQ(v->GetElem(1, 1), "x") << "other rows stay";
  // The application may replace the format: here column 1 becomes a free combo box.
  v->OnRequestEditFormat = [](TObject*, int c, int, std::string& f) {
    if (c == 1) f = "[c:4][150]one|two";
  };
  dlg->OnShow = [&](TObject*) {
    auto combos = Controls<TComboBox>();
    ASSERT_EQ(combos.size(), 2u);
    EXPECT_EQ(combos[0]->Style(), csDropDown);
    EXPECT_EQ(combos[0]->DropDownCount(), 4);
    EXPECT_EQ(combos[0]->Width(), 150);
    EXPECT_EQ(combos[0]->Text(), "y");
    app->PressKey(VK_RETURN);
  };
  EXPECT_TRUE(v->EditRowEntries(3, dlg.get()));
  EXPECT_EQ(v->GetElem(1, 3), "y");
  EXPECT_EQ(v->GetElem(2, 3), "red") << "the empty cell took the first choice";
  // A read-only list opens no editor.
  v->SetDataReadOnly(true);
  bool shown = false;
  dlg->OnShow = [&](TObject*) { shown = true; };
  EXPECT_FALSE(v->EditRowEntries(1, dlg.get()));
  EXPECT_FALSE(shown);
}

TEST_F(RowEditor, DateFieldsKeepTheirPattern) {
  v->SetColumnFormat(1, "[ddd.MM.yyyy][100]01.02.2024");
  v->SetElem(1, 1, "24.12.2023");
  dlg->OnShow = [&](TObject*) {
    auto pickers = Controls<TDateTimePicker>();
    ASSERT_EQ(pickers.size(), 1u);
    EXPECT_EQ(pickers[0]->Text(), "24.12.2023");
    app->PressKey(VK_UP);  // the first field (the day) steps up
    app->PressKey(VK_RETURN);
  };
  EXPECT_TRUE(v->EditRowEntries(1, dlg.get()));
  EXPECT_EQ(v->GetElem(1, 1), "25.12.2023");
  // An empty cell starts from the default date; a cell that is no date is left alone when untouched.
  dlg->OnShow = [&](TObject*) {
    EXPECT_EQ(Controls<TDateTimePicker>()[0]->Text(), "01.02.2024");
    app->PressKey(VK_RETURN);
  };
  v->SetElem(1, 3, "");
  EXPECT_TRUE(v->EditRowEntries(3, dlg.get()));
  EXPECT_EQ(v->GetElem(1, 3), "01.02.2024");
  v->SetElem(1, 2, "soon");
  dlg->OnShow = [&](TObject*) { app->PressKey(VK_RETURN); };
  EXPECT_TRUE(v->EditRowEntries(2, dlg.get()));
  EXPECT_EQ(v->GetElem(1, 2), "soon");
}

// ---------------------------------------------------------------- context menu and clipboard
TEST_F(RepListView, ClipboardLayoutsByteForByte) {
  FillList({"A", "Bcd"}, {{"x", "yy"}, {"zzz", "w"}});
  v->CopyToClipBoard(1, 1, 2, 2, true, false);
  EXPECT_EQ(Clipboard().AsText(), "A   Bcd \n\nx   yy  \nzzz w   \n");
  v->CopyToClipBoard(1, 1, 2, 2, true, true);
  EXPECT_EQ(Clipboard().AsText(), "A\tBcd\n\nx\tyy\nzzz\tw\n");
  v->CopyToClipBoard(1, 2, 2, 2, false, std::string(";"));
  EXPECT_EQ(Clipboard().AsText(), "zzz;w\n");
  // Check characters count for the widths of the fixed layout, the visible text is written.
  v->SetColCheckMode(1, cmBox);
  v->SetElemChecked(1, 1, true);
  v->CopyToClipBoard(1, 1, 2, 2, false, false);
  EXPECT_EQ(Clipboard().AsText(), "x    yy \nzzz  w  \n");
}

TEST_F(RepListView, ContextMenuEntries) {
  FillList({"A", "Bcd"}, {{"x", "yy"}, {"zzz", "w"}, {"", ""}, {"q", "r"}});
  v->SetRowSelectMode(2);
  // Copy: the selected rows in the tab layout with the names.
  ClickData(1, 1);
  ClickData(1, 4, ssCtrl);
  Menu(1, 4, "Copy");
  EXPECT_EQ(Clipboard().AsText(), "A\tBcd\n\nx\tyy\nq\tr\n");
  Menu(1, 1, "Copy All");
  EXPECT_EQ(Clipboard().AsText(), "A\tBcd\n\nx\tyy\nzzz\tw\n\t\nq\tr\n");
  Menu(1, 1, "Select All");
  EXPECT_EQ(v->NumSelectedRows(), 4);
  Menu(1, 1, "Deselect All");
  EXPECT_EQ(v->NumSelectedRows(), 0);
  Menu(1, 1, "Remove Empty Rows");
  EXPECT_EQ(v->NrOfRows(), 3);
  Menu(1, 2, "Insert Row");
  EXPECT_EQ(v->NrOfRows(), 4);
  EXPECT_EQ(v->GetElem(1, 2), "");
  EXPECT_EQ(v->GetElem(1, 3), "zzz");
  Menu(1, 1, "Add Row");
  EXPECT_EQ(v->NrOfRows(), 5);
  ClickData(1, 2);
  ClickData(1, 5, ssCtrl);
  Menu(1, 2, "Delete Row");
  EXPECT_EQ(v->NrOfRows(), 3);
  EXPECT_EQ(v->GetElem(1, 1), "x");
  EXPECT_EQ(v->GetElem(1, 2), "zzz");
  EXPECT_EQ(v->GetElem(1, 3), "q");
  // Check marks of the box columns.
  v->SetColCheckMode(2, cmBox);
  Menu(1, 1, "Check All");
  EXPECT_EQ(v->CountCheckedElemsInCol(2), 3);
  Menu(1, 1, "Uncheck All");
  EXPECT_EQ(v->CountCheckedElemsInCol(2), 0);
  v->SetElemChecked(2, 1, true);
  Menu(1, 1, "Invert Check Marks");
  EXPECT_EQ(v->CountCheckedElemsInCol(2), 2);
  EXPECT_FALSE(v->GetElemChecked(2, 1));
}

TEST_F(RepListView, DataReadOnlyLocksEveryModifyingEntry) {
  FillList({"A", "B"}, {{"x", "y"}, {"", ""}});
  v->SetColCheckMode(2, cmBox);
  v->SetRowSelectMode(2);
  Menu(1, 1, "Data Read-Only");
  EXPECT_TRUE(v->DataReadOnly());
  EXPECT_TRUE(MenuItem("Data Read-Only")->Checked());
  for (const char* cap : {"Edit Row...", "Insert Row", "Add Row", "Delete Row", "Remove Empty Rows", "Check All",
                          "Uncheck All", "Invert Check Marks"}) {
    Menu(1, 1, cap);
    EXPECT_FALSE(MenuItem(cap)->Enabled()) << cap;
  }
  EXPECT_EQ(v->NrOfRows(), 2);
  EXPECT_EQ(v->CountCheckedElemsInCol(2), 0);
  // Check boxes do not toggle either; copying and selecting stay.
  ClickData(2, 1, 0, 8);
  EXPECT_FALSE(v->GetElemChecked(2, 1));
  EXPECT_TRUE(MenuItem("Copy")->Enabled());
  Menu(1, 1, "Select All");
  EXPECT_EQ(v->NumSelectedRows(), 2);
  Menu(1, 1, "Data Read-Only");
  EXPECT_FALSE(v->DataReadOnly());
  Menu(1, 1, "Add Row");
  EXPECT_EQ(v->NrOfRows(), 3);
}

// ---------------------------------------------------------------- filtering
class Filter : public RepListView {
 protected:
  void SetUp() override {
    RepListView::SetUp();
    FillList({"Fruit", "Colour"}, {{"apple", "red"},
                                   {"banana", "yellow"},
                                   {"cherry", "red"},
                                   {"date", "brown"},
                                   {"Apple pie", "golden"}});
  }
  std::vector<int> Shown() const {
    std::vector<int> s;
    for (int r = 1; r <= v->NrOfRows(); ++r)
      if (v->RowVisible(r)) s.push_back(r);
    return s;
  }
};

TEST_F(Filter, SimpleMode) {
  EXPECT_EQ(v->FilterAndSort("APPLE", {}, 0, fmSimple), 2);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 5}));
  // Hidden rows take no space.
  EXPECT_EQ(v->RowHeights(v->CountHeadRows() + 1), 0);
  EXPECT_EQ(v->RowHeights(v->CountHeadRows()), v->DefaultRowHeight());
  EXPECT_EQ(v->FilterAndSort("apple", {}, 0, fmSimple, true), 1);
  EXPECT_EQ(v->FilterAndSort("red", {2}, 0, fmSimple), 2);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 3}));
  EXPECT_EQ(v->FilterAndSort("red", {1}, 0, fmSimple), 0);
  EXPECT_EQ(v->FilterAndSort("", {}, 0, fmSimple), 5);
  // Sorted after filtering.
  EXPECT_EQ(v->FilterAndSort("e", {1}, 1, fmSimple, false, false), 4);
  EXPECT_EQ(v->GetElem(1, 1), "date");
  EXPECT_EQ(v->GetElem(1, 5), "apple");
  EXPECT_EQ(v->GetElem(1, 3), "banana");
  EXPECT_FALSE(v->RowVisible(3)) << "banana stays hidden at its new place";
  v->ResetFilter();
  EXPECT_EQ(v->NumVisibleRows(), 5);
}

TEST_F(Filter, BooleanMode) {
  EXPECT_EQ(v->FilterAndSort("red AND NOT cherry", {}, 0, fmBoolean), 1);
  EXPECT_EQ(Shown(), std::vector<int>{1});
  EXPECT_EQ(v->FilterAndSort("(date | banana) !yellow", {}, 0, fmBoolean), 1);
  EXPECT_EQ(Shown(), std::vector<int>{4});
  EXPECT_EQ(v->FilterAndSort("\"apple pie\" or cherry", {}, 0, fmBoolean), 2);
  EXPECT_EQ(Shown(), (std::vector<int>{3, 5}));
  EXPECT_EQ(v->FilterAndSort("apple golden", {}, 0, fmBoolean), 1);
  EXPECT_EQ(Shown(), std::vector<int>{5});
  // A filter that cannot be read shows every row and answers −1.
  for (const char* bad : {"red AND (", "\"open", "OR", "NOT", ")"}) {
    EXPECT_EQ(v->FilterAndSort(bad, {}, 0, fmBoolean), -1) << bad;
    EXPECT_EQ(v->NumVisibleRows(), 5) << bad;
  }
  std::string deep(5000, '(');
  EXPECT_EQ(v->FilterAndSort(deep + "a", {}, 0, fmBoolean), -1);
}

TEST_F(Filter, GrepModeAndTheApplicationsDecision) {
  EXPECT_EQ(v->FilterAndSort("^[ab]", {1}, 0, fmGrep), 3);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 5}));
  EXPECT_EQ(v->FilterAndSort("an+a$", {}, 0, fmGrep), 1);
  EXPECT_EQ(Shown(), std::vector<int>{2});
  EXPECT_EQ(v->FilterAndSort("^[ab]", {1}, 0, fmGrep, true), 2);
  // OnBeforeFilter: its decision combined with the internal search.
  v->OnBeforeFilter = [](TObject*, int r, bool& found, TLogicOp& op) {
    found = r == 4;
    op = loOR;
  };
  EXPECT_EQ(v->FilterAndSort("red", {}, 0, fmSimple), 3);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 3, 4}));
  v->OnBeforeFilter = [](TObject*, int r, bool& found, TLogicOp& op) {
    found = r == 3;
    op = loANDNot;
  };
  EXPECT_EQ(v->FilterAndSort("red", {}, 0, fmSimple), 1);
  EXPECT_EQ(Shown(), std::vector<int>{1});
}

TEST_F(Filter, HostileFiltersNeverCrash) {
  const std::string alphabet = "ab()|&!\"^$[]*+?.\\ ANDORNT-";
  uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int i = 0; i < 300; ++i) {
    std::string f;
    int n = static_cast<int>(next() % 40);
    for (int k = 0; k < n; ++k) f += alphabet[next() % alphabet.size()];
    for (TFilterMode m : {fmSimple, fmBoolean, fmGrep}) {
      int shown = v->FilterAndSort(f, {1, 2, 7, -3}, 0, m);
      EXPECT_GE(shown, -1);
      EXPECT_LE(shown, 5);
      if (shown == -1) {
        EXPECT_EQ(v->NumVisibleRows(), 5);
      }
    }
  }
  std::string longPattern(3000, 'a');
  EXPECT_LE(v->FilterAndSort(longPattern, {}, 0, fmGrep), 0);
  v->ResetFilter();
  EXPECT_EQ(v->NumVisibleRows(), 5);
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(v->RowHeights(v->CountHeadRows() + r - 1), v->DefaultRowHeight());
}

// ---------------------------------------------------------------- pictures
// Pixel geometry with the default border: cells from (2, 2); the column header
// row is 20 pixels high, data rows 24, every cell followed by a 1-pixel line.
class Pixels : public RepListView {
 protected:
  void SetUp() override {
    RepListView::SetUp();
    v->SetBounds(10, 10, 140, 180);
    v->SetNrCols(2);
    v->SetNrRows(6);
    v->SetColWidths(1, 60);
    v->SetColWidths(2, 60);
    v->SetColName(1, "");
    v->SetColName(2, "");
    app->ProcessMessages();
  }
  static constexpr int Top(int r) { return 2 + 21 + (r - 1) * 25; }
  // Every pixel of the rectangle has colour c.
  static int Mismatches(const TBitmap& b, const TRect& r, TColor c) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += b.GetPixel(x, y) != c ? 1 : 0;
    return n;
  }
};

TEST_F(Pixels, ShadingSelectionHighlightAndDisabledRows) {
  v->SetRowColPattern(2);
  v->SetRowSelect(3, true);
  v->SetRowEnabled(6, false);
  v->SetRowSelect(6, true);
  v->SetHighLightRow(5);
  v->SetColSelect(2, true);
  auto bmp = v->PaintToBitmap();
  // Column 1 (x 2..61): rows 1–2 shaded, 3 selected, 4 normal, 5 highlighted, 6 disabled although selected.
  const TColor want1[6] = {0xF0F0E8, 0xF0F0E8, 0x94BAED, 0xFFFFFF, 0xCC9966, 0xF0F0F0};
  for (int r = 1; r <= 6; ++r) EXPECT_EQ(Mismatches(*bmp, Rect(2, Top(r), 62, Top(r) + 24), want1[r - 1]), 0) << r;
  // Column 2 is selected: the selected-column colour, both colours in the selected row.
  EXPECT_EQ(Mismatches(*bmp, Rect(63, Top(1), 123, Top(1) + 24), 0xF0D8C0), 0);
  EXPECT_EQ(Mismatches(*bmp, Rect(63, Top(3), 123, Top(3) + 24), 0xC08850), 0);
  EXPECT_EQ(Mismatches(*bmp, Rect(63, Top(5), 123, Top(5) + 24), 0xCC9966), 0);
  EXPECT_EQ(Mismatches(*bmp, Rect(63, Top(6), 123, Top(6) + 24), 0xF0F0F0), 0);
  // The column header row: button face inside a light top and left edge, dark line below.
  const TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(Mismatches(*bmp, Rect(3, 3, 62, 22), face), 0);
  EXPECT_EQ(Mismatches(*bmp, Rect(2, 2, 62, 3), ColorToRGB(clBtnHighlight)), 0);
  EXPECT_EQ(Mismatches(*bmp, Rect(2, 22, 62, 23), ColorToRGB(clWindowFrame)), 0);
  // Without RowColPattern no shading; a disabled control draws every cell disabled.
  v->SetRowColPattern(0);
  v->SetHighLightRow(0);
  v->DeselectAllRows();
  v->DeselectAllColumns();
  bmp = v->PaintToBitmap();
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(Mismatches(*bmp, Rect(2, Top(r), 62, Top(r) + 24), 0xFFFFFF), 0) << r;
  v->SetEnabled(false);
  bmp = v->PaintToBitmap();
  for (int r = 1; r <= 6; ++r) {
    EXPECT_EQ(Mismatches(*bmp, Rect(2, Top(r), 62, Top(r) + 24), 0xF0F0F0), 0) << r;
    EXPECT_EQ(Mismatches(*bmp, Rect(63, Top(r), 123, Top(r) + 24), 0xF0F0F0), 0) << r;
  }
}

TEST_F(Pixels, CheckBoxesAndTick) {
  v->SetRowColPattern(0);
  v->SetColCheckMode(1, cmBox);
  v->SetElemChecked(1, 2, true);
  v->SetRowEnabled(3, false);
  auto bmp = v->PaintToBitmap();
  auto frame = [&](int r, TColor ink, TColor bg) {
    const int L = 2, T = Top(r);
    int bad = 0;
    for (int y = T; y < T + 24; ++y)
      for (int x = L; x < L + 60; ++x) {
        bool onFrame = x >= L + 4 && x <= L + 14 && y >= T + 4 && y <= T + 14 &&
                       (x == L + 4 || x == L + 14 || y == T + 4 || y == T + 14);
        bool inside = x > L + 4 && x < L + 14 && y > T + 4 && y < T + 14;
        if (onFrame) bad += bmp->GetPixel(x, y) != ink;
        else if (!inside) bad += bmp->GetPixel(x, y) != bg;
      }
    return bad;
  };
  // Unchecked empty cell: the box in the text colour, its inside empty.
  EXPECT_EQ(frame(1, 0x002000, 0xFFFFFF), 0);
  EXPECT_EQ(Mismatches(*bmp, Rect(7, Top(1) + 5, 16, Top(1) + 14), 0xFFFFFF), 0);
  // Checked: the same box with a tick inside.
  EXPECT_EQ(frame(2, 0x002000, 0xFFFFFF), 0);
  EXPECT_EQ(bmp->GetPixel(2 + 6, Top(2) + 8), 0x002000);
  EXPECT_EQ(bmp->GetPixel(2 + 7, Top(2) + 9), 0x002000);
  EXPECT_EQ(bmp->GetPixel(2 + 10, Top(2) + 8), 0x002000);
  EXPECT_GT(Mismatches(*bmp, Rect(7, Top(2) + 5, 16, Top(2) + 14), 0xFFFFFF), 8);
  // A disabled row draws its box in the disabled text colour.
  EXPECT_EQ(frame(3, 0xC0C0C0, 0xF0F0F0), 0);
  // Without ShowEmptyCheckBoxes empty cells have no box.
  v->SetShowEmptyCheckBoxes(false);
  bmp = v->PaintToBitmap();
  EXPECT_EQ(Mismatches(*bmp, Rect(2, Top(1), 62, Top(1) + 24), 0xFFFFFF), 0);
}

TEST_F(Pixels, InterRowIndicatorSitsOnTheLineBetweenRows) {
  v->SetRowColPattern(0);
  v->SetInterRowIndi(3);
  auto bmp = v->PaintToBitmap();
  // The line between rows 2 and 3 is y = Top(3) − 1; the 3-pixel pen covers one pixel on either side.
  const int y = Top(3) - 1;
  EXPECT_EQ(Mismatches(*bmp, Rect(2, y - 1, 138, y + 2), 0x0000FF), 0);
  EXPECT_EQ(Mismatches(*bmp, Rect(2, y - 3, 62, y - 1), 0xFFFFFF), 0);
  EXPECT_EQ(Mismatches(*bmp, Rect(2, y + 2, 62, y + 4), 0xFFFFFF), 0);
  // Below the last row (n = NrOfRows + 1); beyond that nothing is drawn.
  v->SetInterRowIndicatorWidth(1);
  v->SetInterRowIndi(7);
  bmp = v->PaintToBitmap();
  EXPECT_EQ(Mismatches(*bmp, Rect(2, Top(7) - 1, 138, Top(7)), 0x0000FF), 0);
  v->SetInterRowIndi(8);
  bmp = v->PaintToBitmap();
  int red = 0;
  for (int yy = 0; yy < 180; ++yy) red += bmp->GetPixel(70, yy) == 0x0000FF;
  EXPECT_EQ(red, 0);
}

TEST_F(Pixels, EmptyListShowsItsMessageCentred) {
  v->SetNrRows(0);
  v->SetEmptyMessage("none");
  v->SetColorEmptyMsg(0x0000C0);
  auto bmp = v->PaintToBitmap();
  const TRect area = Rect(2, 23, 138, 178);
  const TColor bg = ColorToRGB(clWindow);
  int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
  TColor fg = bg;
  // Text is anti-aliased: its colour is that of the pixels farthest from the background.
  auto dist = [&](TColor p) {
    int d = 0;
    for (int k = 0; k < 3; ++k) d += std::abs(int((p >> (8 * k)) & 255) - int((bg >> (8 * k)) & 255));
    return d;
  };
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x) {
      TColor p = bmp->GetPixel(x, y);
      if (p == bg) continue;
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
      if (dist(p) > dist(fg)) fg = p;
    }
  // The small font has few fully covered pixels: the darkest lies within a blend step of the colour.
  for (int k = 0; k < 3; ++k)
    EXPECT_NEAR(int((fg >> (8 * k)) & 255), int((0x0000C0u >> (8 * k)) & 255), 24) << "channel " << k;
  EXPECT_NEAR((minX + maxX) / 2.0, (area.Left + area.Right - 1) / 2.0, 3);
  EXPECT_NEAR((minY + maxY) / 2.0, (area.Top + area.Bottom - 1) / 2.0, 4);
  // The head row is still there.
  EXPECT_EQ(Mismatches(*bmp, Rect(3, 3, 62, 22), ColorToRGB(clBtnFace)), 0);
}

TEST_F(Pixels, CommonHeaderLinesAndAlignment) {
  v->SetCommonHeaderVisible(true);
  v->SetCommonHeaderHeight(40);
  v->SetCommonHeader("Ab\nCd");
  v->SetCommonHeaderAlignment(taLeftJustify);
  const TColor face = ColorToRGB(clBtnFace);
  auto box = [&](TRect& ink) {
    auto bmp = v->PaintToBitmap();
    ink = Rect(1000, 1000, -1, -1);
    for (int y = 3; y < 42; ++y)
      for (int x = 3; x < 123; ++x)
        if (bmp->GetPixel(x, y) != face) {
          ink.Left = std::min(ink.Left, x);
          ink.Top = std::min(ink.Top, y);
          ink.Right = std::max(ink.Right, x + 1);
          ink.Bottom = std::max(ink.Bottom, y + 1);
        }
  };
  TRect left;
  box(left);
  // The band spans both columns (x 2..123) with the text 4 pixels in; two lines stacked.
  EXPECT_GE(left.Left, 6);
  EXPECT_LE(left.Left, 8);
  EXPECT_GT(left.Bottom - left.Top, 12) << "two lines";
  EXPECT_LE(left.Right, 123);
  v->SetCommonHeaderAlignment(taRightJustify);
  TRect right;
  box(right);
  EXPECT_GE(right.Right, 123 - 4 - 2);
  EXPECT_LE(right.Right, 123 - 4);
  EXPECT_EQ(right.Top, left.Top);
  v->SetCommonHeaderAlignment(taCenter);
  TRect mid;
  box(mid);
  EXPECT_NEAR((mid.Left + mid.Right) / 2.0, (2 + 123) / 2.0, 2);
  // The column header row follows below the 40-pixel common header row.
  EXPECT_EQ(v->CellRect(0, 1).Top, 2 + 41);
}

TEST_F(Pixels, PasswordsRenderHookAndSortTriangle) {
  v->SetRowColPattern(0);
  v->SetElem(1, 1, "hello");
  v->SetColumnIsPwd(1, true);
  v->SetElem(2, 1, "hello");
  auto bmp = v->PaintToBitmap();
  int a = 0, b = 0;
  for (int y = Top(1); y < Top(1) + 24; ++y)
    for (int x = 0; x < 60; ++x) {
      a += bmp->GetPixel(2 + x, y) != 0xFFFFFF;
      b += bmp->GetPixel(63 + x, y) != 0xFFFFFF;
    }
  EXPECT_GT(a, 0);
  EXPECT_NE(a, b) << "the password column does not show the text";
  // OnBeforeRenderCell replaces colours and text.
  v->OnBeforeRenderCell = [](TObject*, int c, int r, TColor&, TColor& brush, TColor&, TFontStyles&, std::string& t) {
    if (c == 2 && r == 1) {
      brush = 0x00FFFF;
      t.clear();
    }
  };
  v->Invalidate();
  bmp = v->PaintToBitmap();
  EXPECT_EQ(Mismatches(*bmp, Rect(63, Top(1), 123, Top(1) + 24), 0x00FFFF), 0);
  // The sort column's header carries a triangle 8 wide and 6 high in the header text colour.
  v->Sort(2, -1, true);
  bmp = v->PaintToBitmap();
  int ink = 0, minX = 1000, maxX = -1, minY = 1000, maxY = -1;
  for (int y = 3; y < 22; ++y)
    for (int x = 64; x < 123; ++x)
      if (bmp->GetPixel(x, y) == 0x000000) {
        ++ink;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  ASSERT_GT(ink, 0);
  EXPECT_EQ(maxX - minX + 1, 8);
  EXPECT_EQ(maxY - minY + 1, 6);
}

}  // namespace
