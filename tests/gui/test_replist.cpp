// Report list data: columns, check marks, default values from column formats,
// row removal, sorting, clipboard layouts, assignment and the tagged-text record.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>

#include "base/Zol_filesys.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_sysutils.h"
#include "gui/Zol_replist.h"

using namespace zol;

namespace {

std::string TempName(const std::string& stem) { return GetTempDir() + "zol_replist_" + stem; }

TEST(RLData, DefaultsColumnsAndNames) {
  TRLData d(nullptr);
  EXPECT_EQ(d.NrOfColumns(), 1);
  EXPECT_EQ(d.NrOfRows(), 0);
  EXPECT_EQ(d.GetColName(1), "C-1");
  EXPECT_EQ(d.CommonHeader(), "ZOL Report Listview");
  EXPECT_EQ(d.SortColumn(), -1);
  d.SetNrCols(3);
  EXPECT_EQ(d.GetColName(2), "C-2");
  EXPECT_EQ(d.GetColName(3), "C-3");
  d.SetColName(2, "Keep");
  d.SetNrCols(0);
  EXPECT_EQ(d.NrOfColumns(), 1);
  d.SetNrCols(2);
  EXPECT_EQ(d.GetColName(2), "C-2");  // a new column again
  d.SetColName(1, std::string(60, 'n'));
  EXPECT_EQ(d.GetColName(1), std::string(50, 'n'));
  d.SetColumnFormat(1, std::string(90, 'f'));
  EXPECT_EQ(d.GetColumnFormat(1).size(), 80u);
  d.SetColName(2, "Temperature");
  EXPECT_EQ(d.ColumnIndex("TEMPERATURE", false), 2);
  EXPECT_EQ(d.ColumnIndex("perat", true), 2);
  EXPECT_EQ(d.ColumnIndex("perat", false), -1);
  // Out of range: ignored and empty answers.
  d.SetColName(7, "x");
  EXPECT_EQ(d.GetColName(7), "");
  EXPECT_EQ(d.GetElem(1, 5), "");
  d.SetElem(1, 5, "ignored");
  EXPECT_FALSE(d.GetElemChecked(9, 1));
}

TEST(RLData, CheckMarksBoxAndRadio) {
  TRLData d(nullptr);
  d.SetNrRows(4);
  d.SetElem(1, 1, "abc");
  d.SetColCheckMode(1, cmBox);
  EXPECT_EQ(d.Cells().GetString(1, 1), " abc");
  EXPECT_EQ(d.GetElem(1, 1), "abc");
  EXPECT_FALSE(d.GetElemChecked(1, 1));
  EXPECT_EQ(d.Cells().GetString(1, 2), "");  // empty cells stay empty
  d.SetElemChecked(1, 1, true);
  EXPECT_EQ(d.Cells().GetString(1, 1), "Xabc");
  EXPECT_TRUE(d.GetCheckedCol(1));
  d.SetElem(1, 1, "new");
  EXPECT_EQ(d.Cells().GetString(1, 1), "Xnew");
  d.SetColCheckMode(1, cmNone);
  EXPECT_EQ(d.GetElem(1, 1), "new");
  EXPECT_FALSE(d.GetCheckedCol(1));

  d.SetColCheckMode(1, cmBox);
  d.InvertAllCheckmarksOfCol(1);
  EXPECT_EQ(d.CountCheckedElemsInCol(1), 4);
  EXPECT_EQ(d.Cells().GetString(1, 2), "X");
  d.SetAllCheckmarksOfCol(1, false);
  EXPECT_EQ(d.CountCheckedElemsInCol(1), 0);
  EXPECT_EQ(d.FirstCheckedElemInCol(1), 0);

  d.SetColCheckMode(1, cmRadio);
  d.SetElemChecked(1, 1, true);
  d.SetElemChecked(1, 3, true);
  EXPECT_EQ(d.CountCheckedElemsInCol(1), 1);
  EXPECT_EQ(d.FirstCheckedElemInCol(1), 3);
  d.InvertAllCheckmarksOfCol(1);  // nothing in a radio column
  EXPECT_EQ(d.CountCheckedElemsInCol(1), 1);
  d.SetNrCols(2);
  d.SetColCheckMode(2, cmBox);
  d.SetElemChecked(2, 3, true);
  EXPECT_EQ(d.CountCheckedElemsInRow(3), 2);
  // Any first character other than a blank counts as checked.
  d.Cells().SetString(2, 4, "?x");
  EXPECT_TRUE(d.GetElemChecked(2, 4));
}

TEST(RLData, DefaultValuesFromColumnFormats) {
  TRLData d(nullptr);
  d.SetNrCols(8);
  d.SetColumnFormat(1, "[f][80]rix2");
  d.SetColumnFormat(2, "[i][60]rix3");
  d.SetColumnFormat(3, "[h]rix4");
  d.SetColumnFormat(4, "[c][120]red|green|blue");
  d.SetColumnFormat(5, "[s]");
  d.SetColumnFormat(6, "[s][100]$PWD$12");
  d.SetColumnFormat(7, "[#e]1.5");
  d.SetColumnFormat(8, "plain default");
  EXPECT_EQ(d.GetCellDefaultValue(1, 7), "7.00");
  EXPECT_EQ(d.GetCellDefaultValue(2, 7), "007");
  EXPECT_EQ(d.GetCellDefaultValue(3, 10), "000A");
  EXPECT_EQ(d.GetCellDefaultValue(4, 1), "red");
  EXPECT_EQ(d.GetCellDefaultValue(5, 1), "");
  // A pronounceable password of 12 letters with its two digits inserted.
  EXPECT_EQ(d.GetCellDefaultValue(6, 1).size(), 14u);
  EXPECT_EQ(d.GetCellDefaultValue(7, 1), "1.5");
  EXPECT_EQ(d.GetCellDefaultValue(8, 1), "plain default");
  // The digit count stands right after the marker, wherever the marker is.
  d.SetColumnFormat(1, "[i]  rix4");
  EXPECT_EQ(d.GetCellDefaultValue(1, 12), "0012");
  d.SetColumnFormat(1, "[l:5][90]one");
  EXPECT_EQ(d.GetCellDefaultValue(1, 1), "one");
  d.SetColumnFormat(1, "[f]RIX0");
  EXPECT_EQ(d.GetCellDefaultValue(1, 3), "3");
  EXPECT_EQ(d.GetCellDefaultValue(99, 1), "");
}

TEST(RLData, RemovingRows) {
  TRLData d(nullptr);
  d.RemoveRow(1);  // an empty list stays empty
  EXPECT_EQ(d.NrOfRows(), 0);
  d.SetNrRows(1);
  d.SetElem(1, 1, "only");
  d.RemoveRow(1);
  EXPECT_EQ(d.NrOfRows(), 0);
  d.SetNrRows(1);
  EXPECT_EQ(d.GetElem(1, 1), "");  // rows coming back are empty
  d.SetNrRows(3);
  d.SetElem(1, 1, "a");
  d.SetElem(1, 3, "b");
  d.RemoveEmptyRows();
  ASSERT_EQ(d.NrOfRows(), 2);
  EXPECT_EQ(d.GetElem(1, 1), "a");
  EXPECT_EQ(d.GetElem(1, 2), "b");
  // A row holding only a check mark is kept.
  d.SetNrCols(2);
  d.SetNrRows(3);
  d.SetColCheckMode(2, cmBox);
  d.SetElemChecked(2, 3, true);
  d.RemoveEmptyRows();
  EXPECT_EQ(d.NrOfRows(), 3);
}

TEST(RLData, SortThenRemoveKeepsTheShownOrder) {
  TRLData d(nullptr);
  d.SetNrRows(4);
  const char* v[] = {"delta", "alpha", "charlie", "bravo"};
  for (int r = 1; r <= 4; ++r) d.SetElem(1, r, v[r - 1]);
  d.Sort(1, -1, true);
  EXPECT_EQ(d.SortColumn(), 1);
  EXPECT_EQ(d.GetElem(1, 1), "alpha");
  d.RemoveRow(1);
  ASSERT_EQ(d.NrOfRows(), 3);
  EXPECT_EQ(d.GetElem(1, 1), "bravo");
  EXPECT_EQ(d.GetElem(1, 2), "charlie");
  EXPECT_EQ(d.GetElem(1, 3), "delta");
  d.UnSort();
  EXPECT_EQ(d.SortColumn(), -1);
  EXPECT_EQ(d.GetElem(1, 1), "bravo");  // the removal committed the order
}

TEST(RLData, ClipboardLayouts) {
  TRLData d(nullptr);
  d.SetNrCols(2);
  d.SetNrRows(2);
  d.SetColName(1, "A");
  d.SetColName(2, "Bcd");
  d.SetElem(1, 1, "x");
  d.SetElem(2, 1, "yy");
  d.SetElem(1, 2, "zzz");
  d.SetElem(2, 2, "w");
  EXPECT_EQ(d.ClipboardText(1, 1, 2, 2, true, false), "A   Bcd \n\nx   yy  \nzzz w   \n");
  EXPECT_EQ(d.ClipboardText(1, 1, 2, 2, false, true), "x\tyy\nzzz\tw\n");
  EXPECT_EQ(d.ClipboardText(1, 1, 2, 2, true, std::string(";")), "A;Bcd\n\nx;yy\nzzz;w\n");
  d.CopyToClipBoard(1, 2, 2, 2, false, true);
  EXPECT_EQ(Clipboard().AsText(), "zzz\tw\n");
  // Out-of-range bounds are cut to the list.
  EXPECT_EQ(d.ClipboardText(1, 2, 9, 9, false, true), "zzz\tw\n");
}

TEST(RLData, AssignCopiesTheSortedView) {
  TRLData a(nullptr);
  a.SetNrCols(2);
  a.SetNrRows(3);
  a.SetColName(2, "Second");
  a.SetColumnFormat(1, "[i]rix2");
  a.SetColCheckMode(2, cmRadio);
  const char* v[] = {"c", "a", "b"};
  for (int r = 1; r <= 3; ++r) a.SetElem(1, r, v[r - 1]);
  a.SetElemChecked(2, 2, true);
  a.Cells().SetRowAttrib(2, 128);
  a.SetComment("note");
  a.Sort(1, -1, true);
  TRLData b(nullptr);
  b.Assign(a);
  EXPECT_EQ(b.NrOfColumns(), 2);
  EXPECT_EQ(b.NrOfRows(), 3);
  EXPECT_EQ(b.GetElem(1, 1), "a");
  EXPECT_TRUE(b.GetElemChecked(2, 1));
  EXPECT_EQ(b.Cells().GetRowAttrib(1), 128);
  EXPECT_EQ(b.GetColName(2), "Second");
  EXPECT_EQ(b.GetColumnFormat(1), "[i]rix2");
  EXPECT_EQ(b.GetColCheckMode(2), cmRadio);
  EXPECT_EQ(b.SortColumn(), 1);
  EXPECT_EQ(b.Comment(), "note");
  b.UnSort();
  EXPECT_EQ(b.GetElem(1, 1), "c");  // the same storage order as the source
  // AssignTo: another list takes the copy; an unrelated target is refused.
  TRLData c(nullptr);
  a.AssignTo(c);
  EXPECT_EQ(c.GetElem(1, 1), "a");
  EXPECT_EQ(c.GetColName(2), "Second");
  TStringList other;
  EXPECT_THROW(a.AssignTo(other), EConvertError);
}

TEST(RLData, RecordRoundTripAndRecognition) {
  TRLData a(nullptr);
  a.SetNrCols(3);
  a.SetNrRows(2);
  a.SetColName(1, "Name <1>");
  a.SetColumnFormat(3, "[f][80]rix2");
  a.SetColCheckMode(2, cmBox);
  a.SetElem(1, 1, "x & y");
  a.SetElem(2, 1, "checked");
  a.SetElemChecked(2, 1, true);
  a.SetElem(3, 2, "1.5");
  a.SetElem(0, 2, "key");
  a.SetCommonHeader("Header \"quoted\"");
  a.SetComment("multi\nline");
  std::string file = TempName("rt.xml");
  ASSERT_TRUE(a.SaveAsXMLFile(file, "MyList"));
  EXPECT_TRUE(CheckIfValidReplist(file, "mylist"));
  EXPECT_TRUE(CheckIfValidReplist(file, ""));
  EXPECT_FALSE(CheckIfValidReplist(file, "other"));
  TRLData b(nullptr);
  ASSERT_TRUE(b.LoadFromXMLFile(file, "MYLIST"));
  EXPECT_EQ(b.NrOfColumns(), 3);
  EXPECT_EQ(b.NrOfRows(), 2);
  EXPECT_EQ(b.GetColName(1), "Name <1>");
  EXPECT_EQ(b.GetColumnFormat(3), "[f][80]rix2");
  EXPECT_EQ(b.GetColCheckMode(2), cmBox);
  EXPECT_EQ(b.GetElem(1, 1), "x & y");
  EXPECT_TRUE(b.GetElemChecked(2, 1));
  EXPECT_EQ(b.GetElem(2, 1), "checked");
  EXPECT_EQ(b.GetElem(0, 2), "key");
  EXPECT_EQ(b.CommonHeader(), "Header \"quoted\"");
  EXPECT_EQ(b.Comment(), "multi\nline");
  EXPECT_EQ(b.DataID(), "MyList");
  DeleteFile(file);

  // Streams and strings; a stream check leaves the stream after the opening line.
  TStringStream s;
  a.WriteToXMLStream(s, true, "abc");
  s.Seek(0, soBeginning);
  ASSERT_TRUE(CheckIfValidReplist(s, "ABC"));
  EXPECT_GT(s.Position(), 0);
  TRLData c(nullptr);
  EXPECT_TRUE(c.ReadFromXMLString(s.DataString(), "abc"));
  EXPECT_EQ(c.GetElem(3, 2), "1.5");
  EXPECT_FALSE(c.ReadFromXMLString(s.DataString(), "abd"));
}

TEST(RLData, CheckIfValidReplistReadsTheIdentifierLine) {
  std::string ok = "<replist sig=\"ZOLCSuite\" id=\"  abc  \">\n";
  TStringStream s1(ok);
  EXPECT_TRUE(CheckIfValidReplist(s1, "ABC"));
  TStringStream s2("<replist sig=\"ZOLCSuite\" id=\"abd\">\n");
  EXPECT_FALSE(CheckIfValidReplist(s2, "ABC"));
  TStringStream s3("<replist sig=\"other\" id=\"abc\">\n");
  EXPECT_FALSE(CheckIfValidReplist(s3, ""));
  EXPECT_THROW(CheckIfValidReplist(TempName("missing.xml"), ""), EInOutError);
}

TEST(RLData, HostileRecordsAreRefused) {
  TRLData a(nullptr);
  a.SetNrCols(2);
  a.SetNrRows(3);
  for (int r = 1; r <= 3; ++r) a.SetElem(1, r, "cell " + std::to_string(r));
  TStringStream s;
  a.WriteToXMLStream(s, false, "h");
  std::string good = s.DataString();
  TRLData b(nullptr);
  b.SetElem(1, 1, "unchanged");
  // Truncated at every length: never a crash, never a partial list.
  for (size_t n = 0; n + 1 < good.size(); n += 7) {
    TRLData t(nullptr);
    t.SetNrRows(1);
    t.SetElem(1, 1, "keep");
    if (!t.ReadFromXMLString(good.substr(0, n), "h")) {
      EXPECT_EQ(t.GetElem(1, 1), "keep") << n;
    }
  }
  // Inconsistent indices and absurd sizes.
  std::string head = "<replist sig=\"ZOLCSuite\" id=\"h\">\n";
  EXPECT_FALSE(b.ReadFromXMLString(head + "<numcols>2</numcols><numrows>1</numrows><cell col=5 row=1>x</cell></replist>", ""));
  EXPECT_FALSE(b.ReadFromXMLString(head + "<numcols>2000000</numcols><numrows>2000000</numrows></replist>", ""));
  EXPECT_FALSE(b.ReadFromXMLString(head + "<numcols>-3</numcols><numrows>1</numrows></replist>", ""));
  // Random mutations.
  std::mt19937 rng(13);
  for (int k = 0; k < 200; ++k) {
    std::string m = good;
    for (int j = 0; j < 4; ++j) m[rng() % m.size()] = static_cast<char>(rng() % 256);
    TRLData t(nullptr);
    t.ReadFromXMLString(m, "");
  }
}

TEST(RLData, LinesFromFileAndHTMLExport) {
  std::string file = TempName("lines.txt");
  {
    TextFile F;
    AssignFile(F, file);
    Rewrite(F);
    WriteLn(F, "skip");
    WriteLn(F, "a\tb\tc");
    WriteLn(F, "d");
    WriteLn(F, "tail");
    CloseFile(F);
  }
  TRLData d(nullptr);
  ASSERT_TRUE(d.LoadLinesFromFile(2, 3, file));
  EXPECT_EQ(d.NrOfColumns(), 3);
  EXPECT_EQ(d.NrOfRows(), 2);
  EXPECT_EQ(d.GetElem(3, 1), "c");
  EXPECT_EQ(d.GetElem(1, 2), "d");
  EXPECT_FALSE(d.LoadLinesFromFile(1, 0, TempName("missing.txt")));
  DeleteFile(file);

  d.SetElem(2, 2, "<b>");
  d.OnBeforeHTMLExport = [](TObject*, std::string& t, int c, int r) {
    if (c == 1 && r == 1) t = "first";
  };
  std::string html = TempName("t.html");
  ASSERT_TRUE(d.ExportHTMLTable(html, 1, 3, 1, 2, {40, 50}, 1, 2, 0, true, "T", "Cap", "#E0E0E0"));
  TStringList l;
  l.LoadFromFile(html);
  std::string t = l.Text();
  EXPECT_NE(t.find("<td>first</td>"), std::string::npos);
  EXPECT_NE(t.find("&lt;b&gt;"), std::string::npos);
  EXPECT_NE(t.find("<th width=\"40\" bgcolor=\"#E0E0E0\">C-1</th>"), std::string::npos);
  EXPECT_NE(t.find("<caption>Cap</caption>"), std::string::npos);
  DeleteFile(html);
}

}  // namespace

// The tab layout is what a spreadsheet or Python's csv module reads back: the
// expected text was written by csv.writer (tests/gui/ref/replist_tsv.py).
TEST(RLData, TabLayoutMatchesTheCsvModule) {
  auto readAll = [](const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  };
  const std::string dir = std::string(ZOL_TEST_SRC_DIR) + "/data/";
  std::istringstream cells(readAll(dir + "replist_tsv_cells.txt"));
  int nc = 0, nr = 0;
  cells >> nc >> nr;
  ASSERT_GT(nc, 0);
  ASSERT_GT(nr, 0);
  std::string line;
  std::getline(cells, line);
  TRLData d(nullptr);
  d.SetNrCols(nc);
  d.SetNrRows(nr);
  for (int c = 1; c <= nc; ++c) {
    std::getline(cells, line);
    d.SetColName(c, line);
  }
  for (int r = 1; r <= nr; ++r)
    for (int c = 1; c <= nc; ++c) {
      std::getline(cells, line);
      d.SetElem(c, r, line);
    }
  const std::string expected = readAll(dir + "replist_tsv_expected.txt");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(d.ClipboardText(1, 1, nc, nr, true, true), expected);
  d.CopyToClipBoard(1, 1, nc, nr, true, true);
  EXPECT_EQ(Clipboard().AsText(), expected);
}
