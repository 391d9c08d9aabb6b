#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/platform/Zol_classes.h"

using namespace zol;

namespace {

// Records the notifications it receives.
class Probe : public TComponent {
 public:
  using TComponent::TComponent;
  std::vector<std::pair<TComponent*, TOperation>> seen;
  int* deleted = nullptr;
  ~Probe() override {
    if (deleted) ++*deleted;
  }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    seen.emplace_back(c, op);
  }
};

std::string TempPath(const char* name) { return GetTempDirectory() + "zol_test_classes_" + name; }

}  // namespace

TEST(Component, OwnerTreeFreesChildrenAndEarlyDeleteLeavesList) {
  int deleted = 0;
  auto owner = std::make_unique<Probe>(nullptr);
  auto* a = new Probe(owner.get());
  auto* b = new Probe(owner.get());
  auto* grandchild = new Probe(a);
  a->deleted = b->deleted = grandchild->deleted = &deleted;
  a->SetName("Alpha");
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent("ALPHA"), a);
  EXPECT_EQ(b->ComponentIndex(), 1);
  delete b;  // early delete: leaves the owner's list and the owner hears of it
  EXPECT_EQ(owner->ComponentCount(), 1);
  ASSERT_FALSE(owner->seen.empty());
  EXPECT_EQ(owner->seen.back().first, b);
  EXPECT_EQ(owner->seen.back().second, opRemove);
  owner.reset();
  EXPECT_EQ(deleted, 3);
}

TEST(Component, FreeNotificationReachesObserverAndIsDroppedBothWays) {
  auto root = std::make_unique<TComponent>(nullptr);
  auto* watched = new Probe(root.get());
  auto* observer = new Probe(root.get());
  watched->FreeNotification(observer);
  delete watched;
  bool heard = false;
  for (auto& [c, op] : observer->seen) heard |= (c == watched && op == opRemove);
  EXPECT_TRUE(heard);
  // The observer going first must not leave a dangling entry in the watched one.
  auto* w2 = new Probe(root.get());
  auto* o2 = new Probe(root.get());
  w2->FreeNotification(o2);
  delete o2;
  delete w2;  // would touch freed memory under ASan if the entry were kept
}

TEST(Component, LoadingStateAndOwnerChange) {
  TComponent a(nullptr), b(nullptr);
  auto* c = new TComponent(&a);
  c->BeginLoading();
  EXPECT_TRUE(c->IsLoading());
  c->EndLoading();
  EXPECT_FALSE(c->IsLoading());
  c->ChangeOwner(&b);
  EXPECT_EQ(a.ComponentCount(), 0);
  EXPECT_EQ(b.ComponentCount(), 1);
  EXPECT_THROW(b.ChangeOwner(c), EListError);
}

TEST(Stream, MemoryStreamReadWriteSeekAndShortReads) {
  TMemoryStream m;
  const char data[] = "abcdef";
  m.WriteBuffer(data, 6);
  EXPECT_EQ(m.Size(), 6);
  m.SetPosition(4);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "ef");
  m.SetPosition(5);
  EXPECT_THROW(m.ReadBuffer(buf, 2), EReadError);
  // Writing past the end fills the gap with zeros.
  m.SetPosition(8);
  m.WriteBuffer("x", 1);
  EXPECT_EQ(m.Size(), 9);
  EXPECT_EQ(m.Memory()[6], 0);
  m.SetSize(3);
  EXPECT_EQ(m.Position(), 3);
}

TEST(Stream, FileStreamModesAndErrors) {
  std::string p = TempPath("fs.bin");
  {
    TFileStream f(p, fmCreate);
    f.WriteBuffer("hello world", 11);
    EXPECT_EQ(f.Size(), 11);
  }
  {
    TFileStream f(p, fmOpenReadWrite);
    f.Seek(-5, soEnd);
    char b[5];
    f.ReadBuffer(b, 5);
    EXPECT_EQ(std::string(b, 5), "world");
    f.SetSize(5);
  }
  EXPECT_EQ(FileSize(p), 5);
  EXPECT_THROW(TFileStream(p + ".missing", fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream("/nonexistent-dir/x", fmCreate), EFCreateError);
  try {
    TFileStream f(p + ".missing", fmOpenRead);
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + p + ".missing\".", 0), 0u);
  }
  std::remove(p.c_str());
}

TEST(StringList, SortedFindDuplicatesAndCase) {
  TStringList l;
  l.SetSorted(true);
  l.Add("pear");
  l.Add("Apple");
  l.Add("banana");
  EXPECT_EQ(l.Add("APPLE"), 0);  // dupIgnore: the existing entry's index
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l[0], "Apple");
  EXPECT_EQ(l[2], "pear");
  EXPECT_EQ(l.IndexOf("BANANA"), 1);
  int idx;
  EXPECT_FALSE(l.Find("cherry", idx));
  EXPECT_EQ(idx, 2);
  l.SetDuplicates(dupError);
  EXPECT_THROW(l.Add("pear"), EListError);
  EXPECT_THROW(l.Insert(0, "x"), EListError);
  EXPECT_THROW(l.Strings(3), EListError);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("BANANA"), -1);
}

TEST(StringList, TextCommaTextAndValues) {
  TStringList l;
  l.SetText("one\r\ntwo\rthree\nfour");
  ASSERT_EQ(l.Count(), 4);
  EXPECT_EQ(l[1], "two");
  EXPECT_EQ(l.Text(), "one\ntwo\nthree\nfour\n");
  l.SetCommaText("a, \"b c\",\"say \"\"hi\"\"\",d");
  ASSERT_EQ(l.Count(), 4);
  EXPECT_EQ(l[1], "b c");
  EXPECT_EQ(l[2], "say \"hi\"");
  EXPECT_EQ(l.CommaText(), "a,\"b c\",\"say \"\"hi\"\"\",d");
  l.Clear();
  l.SetValues("Width", "10");
  l.SetValues("height", "20");
  l.SetValues("WIDTH", "11");
  EXPECT_EQ(l.Values("width"), "11");
  EXPECT_EQ(l.Count(), 2);
  EXPECT_EQ(l.Names(1), "height");
}

TEST(StringList, FilesReadLatin1AndUtf8) {
  std::string p = TempPath("sl.txt");
  {
    TFileStream f(p, fmCreate);
    const std::string bytes = "caf\xE9\nna\xC3\xAFve\n";
    f.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  // The first file is not valid UTF-8 as a whole, so every byte is read as Latin-1.
  TStringList l;
  l.LoadFromFile(p);
  ASSERT_EQ(l.Count(), 2);
  EXPECT_EQ(l[0], "caf\xC3\xA9");
  {
    TFileStream f(p, fmCreate);
    const std::string bytes = "\xEF\xBB\xBFna\xC3\xAFve";
    f.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  l.LoadFromFile(p);
  ASSERT_EQ(l.Count(), 1);
  EXPECT_EQ(l[0], "na\xC3\xAFve");
  std::remove(p.c_str());
}

TEST(TextFileIO, LinesCharsAppendAndErrors) {
  std::string p = TempPath("tf.txt");
  {
    TFileStream f(p, fmCreate);
    f.WriteBuffer("a\r\nb\rc\n\nlast", 12);
  }
  TextFile t;
  AssignFile(t, p);
  Reset(t);
  std::vector<std::string> lines;
  std::string s;
  while (ReadLn(t, s)) lines.push_back(s);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "last"}));
  EXPECT_TRUE(Eof(t));
  CloseFile(t);
  Reset(t);
  char c;
  ASSERT_TRUE(ReadChar(t, c));
  EXPECT_EQ(c, 'a');
  ASSERT_TRUE(ReadChar(t, c));
  EXPECT_EQ(c, '\r');
  CloseFile(t);
  Rewrite(t);
  WriteLn(t, "x");
  CloseFile(t);
  Append(t);
  Write(t, "y");
  CloseFile(t);
  TMemoryStream m;
  m.LoadFromFile(p);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), m.Size()), "x\ny");
  std::remove(p.c_str());
  AssignFile(t, p + ".missing");
  EXPECT_THROW(Reset(t), EInOutError);
}
