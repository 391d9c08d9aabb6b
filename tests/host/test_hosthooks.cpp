// The hooks a window host uses in the headless application: the next timer,
// waiting for input in modal loops, and the modal state of a form.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/platform/Zol_extctrls.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_sysutils.h"

using namespace zol;

namespace {
struct HostHooks : ::testing::Test {
  void SetUp() override { Application()->ResetHeadless(); }
  void TearDown() override {
    Application()->SetWaitHook(nullptr);
    Application()->ResetHeadless();
  }
};
}  // namespace

TEST_F(HostHooks, NextTimerDue) {
  TApplication* app = Application();
  uint64_t t0 = app->Clock();
  TTimer slow(nullptr), fast(nullptr);
  slow.SetInterval(100);
  fast.SetInterval(30);
  EXPECT_EQ(app->NextTimerDue(), t0 + 30);
  app->AdvanceClock(30);
  EXPECT_EQ(app->NextTimerDue(), t0 + 60);
  fast.SetEnabled(false);
  EXPECT_EQ(app->NextTimerDue(), t0 + 100);
  slow.SetEnabled(false);
  EXPECT_EQ(app->NextTimerDue(), UINT64_MAX);
}

TEST_F(HostHooks, ModalLoopWaitsThroughTheHook) {
  TApplication* app = Application();
  EXPECT_FALSE(app->HandleMessage());  // headless: an empty queue ends a modal loop
  TForm form(nullptr);
  int calls = 0;
  bool modalInside = false;
  app->SetWaitHook([&] {
    ++calls;
    modalInside = form.Modal();
    if (calls == 3) form.SetModalResult(mrYes);
    return true;
  });
  EXPECT_EQ(form.ShowModal(), mrYes);
  EXPECT_EQ(calls, 3);
  EXPECT_TRUE(modalInside);
  EXPECT_FALSE(form.Modal());
  EXPECT_FALSE(form.Visible());
}

TEST_F(HostHooks, QueuedInputGoesBeforeTheHook) {
  TApplication* app = Application();
  TForm form(nullptr);
  form.Show();
  int hookCalls = 0, keys = 0;
  form.OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { ++keys; };
  app->SetWaitHook([&] {
    ++hookCalls;
    return false;
  });
  app->PostKeyDown(VK_F2);
  EXPECT_TRUE(app->HandleMessage());
  EXPECT_EQ(keys, 1);
  EXPECT_EQ(hookCalls, 0);
  // A hook answering false (no window left) ends the modal loop.
  EXPECT_FALSE(app->HandleMessage());
  EXPECT_EQ(hookCalls, 1);
  form.Hide();
  EXPECT_EQ(form.ShowModal(), mrNone);
  EXPECT_FALSE(form.Visible());
}

TEST_F(HostHooks, TypedTextArrivesCharacterByCharacter) {
  // The window host passes the toolkit's text (UTF-8, possibly several
  // characters of one key event) to PostText.
  TApplication* app = Application();
  TForm form(nullptr);
  form.Show();
  std::vector<std::string> got;
  form.OnKeyPressText = [&](TObject*, std::string& t) { got.push_back(t); };
  app->PostText("a\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80");  // a Ж € 😀
  app->PostText("\xC3" "b\xE2\x82");                           // broken sequences
  app->ProcessMessages();
  std::vector<std::string> want{"a", "\xD0\x96", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC3", "b", "\xE2", "\x82"};
  EXPECT_EQ(got, want);
  form.Hide();
}

// The checks both hosts apply to the names chosen in a file dialog.
TEST_F(HostHooks, FileDialogChecksTheChosenNames) {
  TApplication* app = Application();
  std::string dir = GetTempDirectory() + "zol_host_dialog_test";
  ForceDirectories(dir);
  std::string existing = dir + "/there.txt";
  { TFileStream f(existing, fmCreate); }

  TOpenDialog open(nullptr);
  open.SetInitialDir(dir);
  open.SetDefaultExt("txt");
  open.SetOptions(open.Options() | ofFileMustExist);
  app->QueueFileDialogAnswer("missing");  // refused: "File not found.", the user chooses again
  app->QueueFileDialogAnswer("there");    // the default extension makes it there.txt
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName(), existing);
  ASSERT_EQ(app->MessageBoxes().size(), 1u);
  EXPECT_EQ(app->MessageBoxes()[0].Request.Text, dir + "/missing.txt\nFile not found.");

  TSaveDialog save(nullptr);
  save.SetInitialDir(dir);
  save.SetOptions(save.Options() | ofOverwritePrompt);
  app->QueueFileDialogAnswer("there.txt");
  app->QueueMessageBoxAnswer(mrNo);        // do not replace: choose again
  app->QueueFileDialogAnswer("new.txt");
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), dir + "/new.txt");
  ASSERT_EQ(app->MessageBoxes().size(), 2u);
  EXPECT_EQ(app->MessageBoxes()[1].Request.Text, existing + " already exists.\nDo you want to replace it?");

  TOpenDialog nowhere(nullptr);
  nowhere.SetOptions(nowhere.Options() | ofPathMustExist);
  app->QueueFileDialogAnswer(dir + "/no/such/dir/a.txt");
  app->QueueFileDialogCancel();
  EXPECT_FALSE(nowhere.Execute());
  ASSERT_EQ(app->MessageBoxes().size(), 3u);
  EXPECT_EQ(app->MessageBoxes()[2].Request.Text, dir + "/no/such/dir/a.txt\nPath does not exist.");
  DeleteFile(existing);
  RemoveDir(dir);
}
