// The headless application host: input routing, capture, hover, focus and
// keys, timers on the fake clock, and the scripted message-box, popup-menu,
// file-dialog, hint and cursor services.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/platform/Zol_dialogs.h"
#include "base/platform/Zol_extctrls.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_menus.h"

using namespace zol;

namespace {

using Log = std::vector<std::string>;

// Wires every input event of a control into a shared log: "name:event x,y".
void Probe(TControl* c, const std::string& name, Log& log) {
  c->OnMouseDown = [&log, name](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    log.push_back(name + ":down" + std::to_string(int(b)) + (s & ssDouble ? "D" : "") + " " +
                  std::to_string(x) + "," + std::to_string(y));
  };
  c->OnMouseUp = [&log, name](TObject*, TMouseButton b, TShiftState, int x, int y) {
    log.push_back(name + ":up" + std::to_string(int(b)) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  c->OnMouseMove = [&log, name](TObject*, TShiftState, int x, int y) {
    log.push_back(name + ":move " + std::to_string(x) + "," + std::to_string(y));
  };
  c->OnClick = [&log, name](TObject*) { log.push_back(name + ":click"); };
  c->OnDblClick = [&log, name](TObject*) { log.push_back(name + ":dblclick"); };
  c->OnMouseEnter = [&log, name](TObject*) { log.push_back(name + ":enter"); };
  c->OnMouseLeave = [&log, name](TObject*) { log.push_back(name + ":leave"); };
  c->OnEnter = [&log, name](TObject*) { log.push_back(name + ":focus"); };
  c->OnExit = [&log, name](TObject*) { log.push_back(name + ":blur"); };
}

Log Only(const Log& log, const std::string& word) {
  Log r;
  for (const auto& s : log)
    if (s.find(word) != std::string::npos) r.push_back(s);
  return r;
}

class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    app = Application();
    app->ResetHeadless();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 50, 300, 200);
    a = new TCustomControl(form.get());
    a->SetParent(form.get());
    a->SetBounds(10, 10, 100, 50);
    b = new TCustomControl(form.get());
    b->SetParent(form.get());
    b->SetBounds(150, 10, 100, 50);
    Probe(form.get(), "form", log);
    Probe(a, "a", log);
    Probe(b, "b", log);
    form->Show();
    app->ProcessMessages();
    log.clear();
  }
  void TearDown() override {
    form.reset();
    app->ResetHeadless();
  }
  TApplication* app = nullptr;
  std::unique_ptr<TForm> form;
  TCustomControl* a = nullptr;
  TCustomControl* b = nullptr;
  Log log;
};

// ---------------------------------------------------------------- mouse routing
TEST_F(Host, ClickGoesToTheControlUnderThePointInItsClientCoordinates) {
  app->Click(form.get(), 30, 25);
  app->ProcessMessages();
  EXPECT_EQ(log, (Log{"a:enter", "a:move 20,15", "a:down0 20,15", "a:click", "a:up0 20,15"}));
  log.clear();
  app->Click(form.get(), 5, 5, mbRight);
  app->ProcessMessages();
  EXPECT_EQ(log, (Log{"a:leave", "form:enter", "form:move 5,5", "form:down1 5,5", "form:up1 5,5"}));
}

TEST_F(Host, TopmostVisibleEnabledControlWins) {
  auto* over = new TCustomControl(form.get());
  over->SetParent(form.get());
  over->SetBounds(50, 20, 40, 20);  // overlaps a, created later: on top
  Probe(over, "over", log);
  auto* graphic = new TGraphicControl(form.get());
  graphic->SetParent(a);
  graphic->SetBounds(50, 15, 10, 10);  // (60, 25) on the form
  Probe(graphic, "g", log);
  app->PostMouseDown(form.get(), mbLeft, 0, 65, 30);
  app->PostMouseUp(form.get(), mbLeft, 0, 65, 30);
  app->ProcessMessages();
  EXPECT_EQ(Only(log, "down"), (Log{"over:down0 15,10"}));

  log.clear();
  over->SetEnabled(false);  // disabled: the point falls through to what lies below
  app->PostMouseDown(form.get(), mbLeft, 0, 65, 30);
  app->PostMouseUp(form.get(), mbLeft, 0, 65, 30);
  app->ProcessMessages();
  EXPECT_EQ(Only(log, "down"), (Log{"g:down0 5,5"}));

  log.clear();
  graphic->Hide();
  app->PostMouseDown(form.get(), mbLeft, 0, 65, 30);
  app->PostMouseUp(form.get(), mbLeft, 0, 65, 30);
  app->ProcessMessages();
  EXPECT_EQ(Only(log, "down"), (Log{"a:down0 55,20"}));

  log.clear();
  over->SetEnabled(true);
  over->SendToBack();  // now below a
  app->PostMouseDown(form.get(), mbLeft, 0, 65, 30);
  app->PostMouseUp(form.get(), mbLeft, 0, 65, 30);
  app->ProcessMessages();
  EXPECT_EQ(Only(log, "down"), (Log{"a:down0 55,20"}));
}

TEST_F(Host, NestedControlsAndDisabledParents) {
  auto* inner = new TCustomControl(form.get());
  inner->SetParent(a);
  inner->SetBounds(5, 5, 20, 20);
  Probe(inner, "inner", log);
  app->Click(form.get(), 20, 20);  // a at (10,10), inner at a+(5,5)
  app->ProcessMessages();
  EXPECT_EQ(Only(log, "down"), (Log{"inner:down0 5,5"}));
  log.clear();
  a->SetEnabled(false);  // a disabled parent takes its children with it
  app->Click(form.get(), 20, 20);
  app->ProcessMessages();
  EXPECT_EQ(Only(log, "down"), (Log{"form:down0 20,20"}));
  EXPECT_FALSE(inner->IsEnabledChain());
}

TEST_F(Host, CaptureKeepsEventsWithThePressedControl) {
  app->PostMouseMove(form.get(), 0, 20, 20);
  app->PostMouseDown(form.get(), mbLeft, 0, 20, 20);
  app->PostMouseMove(form.get(), 0, 160, 20);  // over b, but a holds the capture
  app->ProcessMessages();
  EXPECT_EQ(app->CaptureControl(), a);
  EXPECT_TRUE(a->MouseCapture());
  app->PostMouseUp(form.get(), mbLeft, 0, 160, 20);
  app->ProcessMessages();
  EXPECT_EQ(log, (Log{"a:enter", "a:move 10,10", "a:down0 10,10", "a:move 150,10", "a:up0 150,10",
                      "a:leave", "b:enter"}))
      << "no click when released outside; hover moves on after the release";
  EXPECT_EQ(app->CaptureControl(), nullptr);
  EXPECT_EQ(app->HoverControl(), b);
}

TEST_F(Host, ShiftStateCarriesHeldButtonsAndModifiers) {
  std::vector<TShiftState> states;
  a->OnMouseMove = [&](TObject*, TShiftState s, int, int) { states.push_back(s); };
  a->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, int, int) { states.push_back(s); };
  a->OnMouseUp = [&](TObject*, TMouseButton, TShiftState s, int, int) { states.push_back(s); };
  app->PostMouseDown(form.get(), mbLeft, ssCtrl, 20, 20);
  app->PostMouseDown(form.get(), mbRight, ssCtrl, 20, 20);
  app->PostMouseMove(form.get(), ssShift, 21, 20);
  app->PostMouseUp(form.get(), mbLeft, 0, 21, 20);
  app->PostMouseUp(form.get(), mbRight, 0, 21, 20);
  app->ProcessMessages();
  ASSERT_EQ(states.size(), 5u);
  EXPECT_EQ(states[0], TShiftState(ssCtrl | ssLeft));
  EXPECT_EQ(states[1], TShiftState(ssCtrl | ssLeft | ssRight));
  EXPECT_EQ(states[2], TShiftState(ssShift | ssLeft | ssRight));
  EXPECT_EQ(states[3], TShiftState(ssRight));  // left released
  EXPECT_EQ(states[4], TShiftState(0));
}

TEST_F(Host, DoubleClickSequence) {
  app->DoubleClick(form.get(), 160, 20);
  app->ProcessMessages();
  EXPECT_EQ(log, (Log{"b:enter", "b:move 10,10", "b:down0 10,10", "b:click", "b:up0 10,10", "b:dblclick",
                      "b:down0D 10,10", "b:up0 10,10"}));
}

TEST_F(Host, EnterLeaveTracking) {
  app->PostMouseMove(form.get(), 0, 20, 20);
  app->PostMouseMove(form.get(), 0, 21, 20);  // no second enter
  app->PostMouseMove(form.get(), 0, 160, 20);
  app->PostMouseMove(form.get(), 0, 5, 5);
  app->PostMouseExit(form.get());
  app->ProcessMessages();
  Log edges;
  for (const auto& s : log)
    if (s.find(":enter") != std::string::npos || s.find(":leave") != std::string::npos) edges.push_back(s);
  EXPECT_EQ(edges, (Log{"a:enter", "a:leave", "b:enter", "b:leave", "form:enter", "form:leave"}));
  EXPECT_EQ(app->HoverControl(), nullptr);
  EXPECT_FALSE(a->MouseInClient());
}

TEST_F(Host, HidingTheHoveredControlSendsLeave) {
  app->PostMouseMove(form.get(), 0, 20, 20);
  app->ProcessMessages();
  log.clear();
  a->Hide();
  EXPECT_EQ(log, (Log{"a:leave"}));
  EXPECT_EQ(app->HoverControl(), nullptr);
}

TEST_F(Host, WheelBubblesToTheParentUntilHandled) {
  std::vector<std::string> got;
  auto* inner = new TCustomControl(form.get());
  inner->SetParent(a);
  inner->SetBounds(0, 0, 50, 50);
  inner->OnMouseWheel = [&](TObject*, TShiftState, int d, TPoint p, bool&) {
    got.push_back("inner " + std::to_string(d) + " " + std::to_string(p.X) + "," + std::to_string(p.Y));
  };
  a->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint p, bool& handled) {
    got.push_back("a down " + std::to_string(p.X) + "," + std::to_string(p.Y));
    handled = true;
  };
  form->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) { got.push_back("form"); };
  app->PostMouseWheel(form.get(), 0, -WHEEL_DELTA, 15, 12);
  app->PostMouseWheel(form.get(), 0, WHEEL_DELTA, 15, 12);  // a has no up handler: reaches the form
  app->ProcessMessages();
  EXPECT_EQ(got, (std::vector<std::string>{"inner -120 5,2", "a down 5,2", "inner 120 5,2", "form"}));
}

TEST_F(Host, InputOutsideTheWindowOrToAHiddenWindowIsDropped) {
  app->Click(form.get(), 400, 20);
  app->ProcessMessages();
  EXPECT_TRUE(log.empty());
  form->Hide();
  app->Click(form.get(), 20, 20);
  app->ProcessMessages();
  EXPECT_TRUE(Only(log, "down").empty());
}

// ---------------------------------------------------------------- focus and keys
TEST_F(Host, ClickFocusesTabStopsAndTabCyclesInTabOrder) {
  a->SetTabStop(true);
  b->SetTabStop(true);
  auto* c = new TCustomControl(form.get());
  c->SetParent(form.get());
  c->SetBounds(10, 100, 50, 20);
  c->SetTabStop(true);
  Probe(c, "c", log);
  c->SetTabOrder(0);  // c, then a, then b
  a->SetTabOrder(1);
  b->SetTabOrder(2);
  app->Click(form.get(), 160, 20);
  app->ProcessMessages();
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(Only(log, "focus"), (Log{"b:focus"}));
  log.clear();
  app->PressKey(VK_TAB);
  app->ProcessMessages();
  EXPECT_TRUE(c->Focused()) << "wraps around";
  EXPECT_EQ(Only(log, "b:blur"), (Log{"b:blur"}));
  app->PressKey(VK_TAB);
  app->ProcessMessages();
  EXPECT_TRUE(a->Focused());
  app->PressKey(VK_TAB, ssShift);
  app->ProcessMessages();
  EXPECT_TRUE(c->Focused());
  // A control that consumes Tab keeps the focus.
  c->OnKeyDown = [](TObject*, uint16_t& k, TShiftState) {
    if (k == VK_TAB) k = 0;
  };
  app->PressKey(VK_TAB);
  app->ProcessMessages();
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(Screen()->ActiveControl(), c);
  EXPECT_EQ(form->ActiveControl(), c);
}

TEST_F(Host, FocusRules) {
  a->SetFocus();
  EXPECT_TRUE(a->Focused());
  b->SetFocus();
  EXPECT_EQ(log, (Log{"a:focus", "a:blur", "b:focus"}));
  b->Hide();  // hiding the focused control takes the focus away
  EXPECT_FALSE(b->Focused());
  EXPECT_EQ(app->FocusedControl(), nullptr);
  EXPECT_EQ(log.back(), "b:blur");
  EXPECT_THROW(b->SetFocus(), EInvalidOperation);
  a->SetEnabled(false);
  EXPECT_FALSE(a->CanFocus());
  EXPECT_THROW(a->SetFocus(), EInvalidOperation);
  // A control of a hidden form cannot be focused.
  TForm hidden(nullptr);
  auto* h = new TCustomControl(&hidden);
  h->SetParent(&hidden);
  EXPECT_FALSE(h->CanFocus());
  // An exit handler may keep the focus where it is (validation).
  a->SetEnabled(true);
  b->Show();
  a->SetFocus();
  a->OnExit = [&](TObject*) { a->SetFocus(); };
  b->SetFocus();
  EXPECT_TRUE(a->Focused());
  // A queued focus change; one to a control that cannot take the focus is ignored.
  a->OnExit = nullptr;
  app->PostFocus(b);
  app->PostFocus(h);
  app->ProcessMessages();
  EXPECT_TRUE(b->Focused());
}

TEST_F(Host, KeysGoToTheFocusedControlAndFormPreview) {
  std::vector<std::string> got;
  a->OnKeyDown = [&](TObject*, uint16_t& k, TShiftState s) { got.push_back("a down " + std::to_string(k) + (s & ssCtrl ? " ctrl" : "")); };
  a->OnKeyUp = [&](TObject*, uint16_t& k, TShiftState) { got.push_back("a up " + std::to_string(k)); };
  a->OnKeyPress = [&](TObject*, char& c) { got.push_back(std::string("a press ") + c); };
  b->OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { got.push_back("b down"); };
  form->OnKeyDown = [&](TObject*, uint16_t& k, TShiftState) {
    got.push_back("form down " + std::to_string(k));
    if (k == VK_F1) k = 0;  // the form swallows F1
  };
  a->SetFocus();
  app->PressKey(VK_LEFT, ssCtrl);
  app->ProcessMessages();
  EXPECT_EQ(got, (std::vector<std::string>{"a down 37 ctrl", "a up 37"}));
  got.clear();
  form->SetKeyPreview(true);
  app->PostKeyDown(VK_F1);
  app->PostKeyDown(VK_RETURN);
  app->ProcessMessages();
  EXPECT_EQ(got, (std::vector<std::string>{"form down 112", "form down 13", "a down 13"}));
  got.clear();
  form->SetKeyPreview(false);
  app->PressKey(VK_RETURN);
  app->ProcessMessages();
  EXPECT_EQ(got, (std::vector<std::string>{"a down 13", "a press \r", "a up 13"}));
}

TEST_F(Host, TypedTextArrivesOneCharacterAtATime) {
  std::vector<std::string> texts;
  std::string pressed;
  a->OnKeyPressText = [&](TObject*, std::string& t) {
    texts.push_back(t);
    if (t == "x") t = "y";  // a handler may replace the character
  };
  a->OnKeyPress = [&](TObject*, char& c) { pressed += c; };
  a->SetFocus();
  app->PostText("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80x");  // a é € 😀 x
  app->ProcessMessages();
  EXPECT_EQ(texts, (std::vector<std::string>{"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "x"}));
  EXPECT_EQ(pressed, "ay") << "KeyPress sees the one-byte characters only, after replacement";
  // A broken sequence is passed on byte by byte, never over-read.
  texts.clear();
  app->PostText("\xE2\x82");
  app->ProcessMessages();
  EXPECT_EQ(texts, (std::vector<std::string>{"\xE2", "\x82"}));
}

TEST_F(Host, ShowingAFormFocusesItsFirstTabStop) {
  a->SetFocus();
  TForm f2(nullptr);
  auto* x = new TCustomControl(&f2);
  x->SetParent(&f2);
  auto* y = new TCustomControl(&f2);
  y->SetParent(&f2);
  y->SetTabStop(true);
  f2.Show();
  EXPECT_TRUE(y->Focused());
  EXPECT_EQ(Screen()->ActiveForm(), &f2);
  f2.Hide();
  EXPECT_EQ(Screen()->ActiveForm(), form.get());
  EXPECT_TRUE(a->Focused()) << "the form shown before gets its focus back";
  // A form without tab stops takes the keys itself.
  TForm plain(nullptr);
  uint16_t seen = 0;
  plain.OnKeyDown = [&](TObject*, uint16_t& k, TShiftState) { seen = k; };
  plain.Show();
  EXPECT_EQ(app->FocusedControl(), nullptr);
  app->PressKey(VK_F5);
  app->ProcessMessages();
  EXPECT_EQ(seen, VK_F5);
}

// ---------------------------------------------------------------- timers
TEST(HostTimers, FireExactlyAtTheirDueTimes) {
  TApplication* app = Application();
  app->ResetHeadless();
  auto owner = std::make_unique<TComponent>(nullptr);
  uint64_t t0 = app->Clock();
  std::vector<uint64_t> fired;
  auto* t = new TTimer(owner.get());
  t->SetInterval(100);
  t->OnTimer = [&](TObject*) { fired.push_back(app->Clock() - t0); };
  app->AdvanceClock(99);
  EXPECT_TRUE(fired.empty());
  app->AdvanceClock(1);
  EXPECT_EQ(fired, (std::vector<uint64_t>{100}));
  app->AdvanceClock(350);  // three periods in one step
  EXPECT_EQ(fired, (std::vector<uint64_t>{100, 200, 300, 400}));
  EXPECT_EQ(app->Clock() - t0, 450u);
  EXPECT_EQ(t->FireCount(), 4);
  // Disabled: nothing; re-enabled at 450: due at 550.
  t->SetEnabled(false);
  app->AdvanceClock(500);
  EXPECT_EQ(fired.size(), 4u);
  t->SetEnabled(true);
  app->AdvanceClock(99);
  EXPECT_EQ(fired.size(), 4u);
  app->AdvanceClock(1);
  EXPECT_EQ(fired.back(), 1050u);
  // Changing the interval restarts the period from now (1050).
  app->AdvanceClock(60);
  t->SetInterval(30);
  app->AdvanceClock(29);
  EXPECT_EQ(fired.back(), 1050u);
  app->AdvanceClock(1);
  EXPECT_EQ(fired.back(), 1140u);
  // Interval 0 never fires.
  t->SetInterval(0);
  EXPECT_FALSE(t->Running());
  app->AdvanceClock(1000);
  EXPECT_EQ(fired.back(), 1140u);
}

TEST(HostTimers, SeveralTimersFireInTimeOrder) {
  TApplication* app = Application();
  auto owner = std::make_unique<TComponent>(nullptr);
  uint64_t t0 = app->Clock();
  std::vector<std::string> fired;
  auto* t30 = new TTimer(owner.get());
  t30->SetInterval(30);
  auto* t50 = new TTimer(owner.get());
  t50->SetInterval(50);
  t30->OnTimer = [&](TObject*) { fired.push_back("A" + std::to_string(app->Clock() - t0)); };
  t50->OnTimer = [&](TObject*) { fired.push_back("B" + std::to_string(app->Clock() - t0)); };
  app->AdvanceClock(150);
  // 150 is due for both: the timer started first fires first.
  EXPECT_EQ(fired, (std::vector<std::string>{"A30", "B50", "A60", "A90", "B100", "A120", "A150", "B150"}));
}

TEST(HostTimers, HandlersMayStopOrFreeTimers) {
  TApplication* app = Application();
  auto owner = std::make_unique<TComponent>(nullptr);
  int a = 0, b = 0;
  auto* ta = new TTimer(owner.get());
  ta->SetInterval(10);
  auto* tb = new TTimer(owner.get());
  tb->SetInterval(25);
  ta->OnTimer = [&](TObject* s) {
    if (++a == 3) static_cast<TTimer*>(s)->SetEnabled(false);
  };
  tb->OnTimer = [&](TObject*) {
    ++b;
    delete ta;  // freed by another timer's handler
    ta = nullptr;
  };
  app->AdvanceClock(100);
  EXPECT_EQ(a, 2) << "ta fired at 10 and 20; tb freed it at 25";
  EXPECT_EQ(b, 4);
  owner.reset();  // frees tb; the host forgets it
  app->AdvanceClock(100);
  EXPECT_EQ(b, 4);
}

TEST(HostTimers, TimerRepaintsAreProcessedPerTick) {
  TApplication* app = Application();
  app->ResetHeadless();
  TForm f(nullptr);
  auto* c = new TCustomControl(&f);
  c->SetParent(&f);
  c->SetBounds(0, 0, 10, 10);
  f.Show();
  app->ProcessMessages();
  int before = c->PaintCount();
  auto* blink = new TTimer(&f);
  blink->SetInterval(500);
  blink->OnTimer = [&](TObject*) { c->Invalidate(); };
  app->AdvanceClock(2000);
  EXPECT_EQ(c->PaintCount() - before, 4);
}

// ---------------------------------------------------------------- message boxes
TEST(HostMessageBoxes, ScriptedAnswersAndRecords) {
  TApplication* app = Application();
  app->ResetHeadless();
  app->SetTitle("Demo");
  app->QueueMessageBoxAnswer(mrNo);
  app->QueueMessageBoxAnswer(mrCancel);
  EXPECT_EQ(MessageDlg("Save changes?", mtConfirmation, mbYesNoCancel, 0), mrNo);
  EXPECT_EQ(MessageDlg("Really?", mtWarning, {mbYes, mbCancel}), mrCancel);
  // Script exhausted: OK boxes answer OK, others the cautious button.
  EXPECT_EQ(MessageDlg("Done", mtInformation, {mbOK}), mrOk);
  EXPECT_EQ(MessageDlg("Delete?", mtConfirmation, mbYesNo), mrNo);
  EXPECT_EQ(MessageDlg("Retry?", mtError, mbAbortRetryIgnore), mrAbort);
  ShowMessage("Hello");
  const auto& log = app->MessageBoxes();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[0].Request.DlgType, mtConfirmation);
  EXPECT_EQ(log[0].Request.Text, "Save changes?");
  EXPECT_EQ(log[0].Request.Caption, "Confirm");
  EXPECT_TRUE(log[0].Request.Buttons == mbYesNoCancel);
  EXPECT_EQ(log[0].Result, mrNo);
  EXPECT_EQ(log[1].Request.Caption, "Warning");
  EXPECT_EQ(log[4].Request.Caption, "Error");
  EXPECT_EQ(log[5].Request.DlgType, mtCustom);
  EXPECT_EQ(log[5].Request.Caption, "Demo");
  EXPECT_TRUE(log[5].Request.Buttons == TMsgDlgButtons({mbOK}));
  app->SetTitle("Application");
}

TEST(HostMessageBoxes, AReplacementServiceIsUsed) {
  struct Always : TMessageBoxService {
    int calls = 0;
    TModalResult ShowMessageBox(const TMessageBoxRequest&) override {
      ++calls;
      return mrRetry;
    }
  } svc;
  TApplication* app = Application();
  app->SetMessageBoxService(&svc);
  EXPECT_EQ(MessageDlg("x", mtError, mbAbortRetryIgnore), mrRetry);
  app->SetMessageBoxService(nullptr);
  EXPECT_EQ(svc.calls, 1);
  EXPECT_EQ(app->MessageBoxService(), static_cast<TMessageBoxService*>(app));
}

// ---------------------------------------------------------------- popup menus
TEST_F(Host, RightClickOpensTheControlsPopupMenu) {
  auto* menu = new TPopupMenu(form.get());
  std::vector<std::string> clicks;
  menu->AddItem("&Copy", [&](TObject*) { clicks.push_back("copy"); });
  TMenuItem* paste = menu->AddItem("Paste", [&](TObject*) { clicks.push_back("paste"); });
  paste->SetEnabled(false);
  TMenuItem* sub = menu->AddItem("Mark");
  TMenuItem* markA = NewItem(menu, "Mark &A", false, true, [&](TObject*) { clicks.push_back("markA"); });
  sub->Add(markA);
  a->SetPopupMenu(menu);
  bool popped = false;
  menu->OnPopup = [&](TObject*) { popped = true; };

  app->QueuePopupAnswer("Copy");
  app->Click(form.get(), 20, 30, mbRight);
  app->ProcessMessages();
  EXPECT_TRUE(popped);
  EXPECT_EQ(clicks, (std::vector<std::string>{"copy"}));
  ASSERT_EQ(app->Popups().size(), 1u);
  EXPECT_EQ(app->Popups()[0].X, 120);  // screen coordinates: form at (100, 50)
  EXPECT_EQ(app->Popups()[0].Y, 80);
  EXPECT_EQ(app->Popups()[0].Captions, (std::vector<std::string>{"Copy", "Paste", "Mark"}));
  EXPECT_EQ(app->Popups()[0].Chosen, "Copy");
  EXPECT_EQ(menu->PopupComponent(), a);

  // Disabled items, sub-menu headers and unknown captions are not clicked; nested items are.
  app->QueuePopupAnswer("Paste");
  app->QueuePopupAnswer("Mark");
  app->QueuePopupAnswer("Nothing");
  app->QueuePopupAnswer(markA);
  for (int i = 0; i < 4; ++i) app->Click(form.get(), 20, 30, mbRight);
  app->ProcessMessages();
  EXPECT_EQ(clicks, (std::vector<std::string>{"copy", "markA"}));
  // No script: the menu closes without a choice.  Left clicks do not pop up.
  app->Click(form.get(), 20, 30, mbRight);
  app->Click(form.get(), 20, 30, mbLeft);
  app->ProcessMessages();
  EXPECT_EQ(app->Popups().size(), 6u);
  EXPECT_EQ(app->Popups().back().Chosen, "");
  // A control without a menu uses its parent's.
  form->SetPopupMenu(menu);
  a->SetPopupMenu(nullptr);
  app->QueuePopupAnswer("copy");  // captions match ASCII case-insensitively
  app->Click(form.get(), 20, 30, mbRight);
  app->ProcessMessages();
  EXPECT_EQ(clicks.back(), "copy");
  EXPECT_EQ(menu->PopupComponent(), form.get());
}

TEST(HostMenus, ItemTreeCheckMarksAndOwnership) {
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* menu = new TPopupMenu(owner.get());
  TMenuItem* r1 = menu->AddItem("One");
  TMenuItem* r2 = menu->AddItem("Two");
  TMenuItem* plain = menu->AddItem("Grid");
  for (TMenuItem* r : {r1, r2}) {
    r->SetRadioItem(true);
    r->SetAutoCheck(true);
  }
  plain->SetAutoCheck(true);
  r1->SetChecked(true);
  Application()->QueuePopupAnswer("Two");
  EXPECT_EQ(menu->Popup(0, 0), r2);
  EXPECT_TRUE(r2->Checked());
  EXPECT_FALSE(r1->Checked()) << "radio items of a group exclude each other";
  Application()->QueuePopupAnswer("Grid");
  menu->Popup(0, 0);
  Application()->QueuePopupAnswer("Grid");
  menu->Popup(0, 0);
  EXPECT_FALSE(plain->Checked()) << "toggled twice";
  EXPECT_TRUE(r2->Checked());

  TMenuItem* root = menu->Items();
  EXPECT_EQ(root->Count(), 3);
  EXPECT_EQ(r2->MenuIndex(), 1);
  auto* ins = new TMenuItem(owner.get());
  ins->SetCaption("&&Zero");
  root->Insert(0, ins);
  EXPECT_EQ(root->Items(0)->StrippedCaption(), "&Zero");
  EXPECT_THROW(root->Insert(9, new TMenuItem(owner.get())), EMenuError);
  EXPECT_THROW(root->Items(7), EMenuError);
  EXPECT_THROW(root->Add(r1), EMenuError) << "an item has one parent";
  int before = owner->ComponentCount();
  root->Delete(0);  // frees the item, which leaves its owner's list
  EXPECT_EQ(owner->ComponentCount(), before - 1);
  delete r1;  // an item freed early leaves its parent's list
  EXPECT_EQ(root->Count(), 2);
  EXPECT_EQ(root->Items(0), r2);
  // A queued answer naming a freed item is dropped.
  auto* gone = new TMenuItem(owner.get());
  root->Add(gone);
  Application()->QueuePopupAnswer(gone);
  delete gone;
  EXPECT_EQ(menu->Popup(0, 0), nullptr);
}

// ---------------------------------------------------------------- file dialogs
TEST(HostFileDialogs, ScriptedNamesDefaultExtensionAndCancel) {
  TApplication* app = Application();
  app->ResetHeadless();
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* dlg = new TSaveDialog(owner.get());
  dlg->SetInitialDir("/data/run");
  dlg->SetDefaultExt(".csv");
  dlg->SetFilter("Tables (*.csv)|*.csv|All files|*");
  dlg->SetTitle("Export");
  app->QueueFileDialogAnswer("result");
  EXPECT_TRUE(dlg->Execute());
  EXPECT_EQ(dlg->FileName(), "/data/run/result.csv");
  EXPECT_EQ(dlg->DefaultExt(), "csv");
  app->QueueFileDialogAnswer("/tmp/other.txt");
  EXPECT_TRUE(dlg->Execute());
  EXPECT_EQ(dlg->FileName(), "/tmp/other.txt");
  EXPECT_TRUE(dlg->Options() & ofExtensionDifferent);
  app->QueueFileDialogCancel();
  EXPECT_FALSE(dlg->Execute());
  EXPECT_EQ(dlg->FileName(), "/tmp/other.txt") << "a cancelled dialog keeps the old name";
  EXPECT_EQ(dlg->LastError(), 0);
  app->QueueFileDialogCancel(0x3002);
  EXPECT_FALSE(dlg->Execute());
  EXPECT_EQ(dlg->LastError(), 0x3002);
  EXPECT_FALSE(dlg->Execute()) << "an empty script cancels";
  ASSERT_EQ(app->FileDialogs().size(), 5u);
  EXPECT_EQ(app->FileDialogs()[0].Request.Kind, fdSave);
  EXPECT_EQ(app->FileDialogs()[0].Request.Title, "Export");
  EXPECT_EQ(app->FileDialogs()[0].Request.Filter, "Tables (*.csv)|*.csv|All files|*");

  auto parts = ParseDialogFilter(dlg->Filter());
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[1].first, "All files");
  EXPECT_EQ(parts[1].second, "*");
  EXPECT_TRUE(ParseDialogFilter("").empty());
}

TEST(HostFileDialogs, OverwritePromptAndFileMustExist) {
  TApplication* app = Application();
  app->ResetHeadless();
  std::string dir = GetTempDirectory() + "zol_host_test_" + IntToStr(Random(1000000)) + "/";
  ASSERT_TRUE(ForceDirectories(dir));
  {
    TStringList l;
    l.Add("x");
    l.SaveToFile(dir + "exists.txt");
  }
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* save = new TSaveDialog(owner.get());
  save->SetOptions(ofOverwritePrompt);
  app->QueueFileDialogAnswer(dir + "exists.txt");  // "replace?" -> No: the user picks again
  app->QueueMessageBoxAnswer(mrNo);
  app->QueueFileDialogAnswer(dir + "exists.txt");  // -> Yes
  app->QueueMessageBoxAnswer(mrYes);
  EXPECT_TRUE(save->Execute());
  EXPECT_EQ(app->MessageBoxes().size(), 2u);
  EXPECT_EQ(app->MessageBoxes()[0].Request.DlgType, mtWarning);
  EXPECT_TRUE(app->MessageBoxes()[0].Request.Buttons == mbYesNo);
  EXPECT_EQ(app->FileDialogs().size(), 1u);

  auto* open = new TOpenDialog(owner.get());
  open->SetOptions(ofFileMustExist | ofAllowMultiSelect);
  app->QueueFileDialogAnswer(dir + "missing.txt");  // refused with a box, next answer taken
  app->QueueFileDialogAnswer(std::vector<std::string>{dir + "exists.txt", dir + "exists.txt"});
  EXPECT_TRUE(open->Execute());
  EXPECT_EQ(open->Files().Count(), 2);
  EXPECT_EQ(app->MessageBoxes().size(), 3u);
  app->QueueFileDialogAnswer(dir + "missing.txt");  // refused, then the script is empty: cancel
  EXPECT_FALSE(open->Execute());
  DeleteFile(dir + "exists.txt");
  RemoveDir(dir);
}

// ---------------------------------------------------------------- hints and cursors
TEST_F(Host, HintsFollowTheHoveredControl) {
  a->SetHint("Temperature|The temperature of the probe");
  a->SetShowHint(true);
  b->SetHint("Pressure");  // ShowHint inherited from the form: off
  auto* inner = new TCustomControl(form.get());
  inner->SetParent(a);
  inner->SetBounds(60, 0, 20, 20);  // no hint of its own: a's is shown
  app->PostMouseMove(form.get(), 0, 20, 20);
  app->ProcessMessages();
  EXPECT_EQ(app->CurrentHint(), "Temperature");
  EXPECT_EQ(app->HintControl(), a);
  app->PostMouseMove(form.get(), 0, 75, 15);
  app->ProcessMessages();
  EXPECT_EQ(app->CurrentHint(), "Temperature");
  EXPECT_EQ(app->HintControl(), inner);
  app->PostMouseMove(form.get(), 0, 160, 20);
  app->ProcessMessages();
  EXPECT_EQ(app->CurrentHint(), "");
  form->SetShowHint(true);  // b follows its parent
  EXPECT_EQ(app->CurrentHint(), "Pressure");
  b->SetHint("Pressure (kPa)");  // a change while hovered shows the new text
  EXPECT_EQ(app->CurrentHint(), "Pressure (kPa)");
  app->PostMouseDown(form.get(), mbLeft, 0, 160, 20);  // a press hides the hint
  app->ProcessMessages();
  EXPECT_EQ(app->CurrentHint(), "");
  app->PostMouseUp(form.get(), mbLeft, 0, 160, 20);
  app->PostMouseMove(form.get(), 0, 20, 20);
  app->ProcessMessages();
  EXPECT_EQ(app->CurrentHint(), "Temperature");
  app->SetShowHint(false);
  EXPECT_EQ(app->CurrentHint(), "");
  app->SetShowHint(true);
}

TEST_F(Host, CursorOfTheControlUnderThePointer) {
  a->SetCursor(crCross);
  form->SetCursor(crHandPoint);
  app->PostMouseMove(form.get(), 0, 20, 20);
  app->ProcessMessages();
  EXPECT_EQ(app->CurrentCursor(), crCross);
  a->SetCursor(crSizeAll);  // changed while hovered
  EXPECT_EQ(app->CurrentCursor(), crSizeAll);
  a->SetCursor(crDefault);  // falls back to the parent's
  EXPECT_EQ(app->CurrentCursor(), crHandPoint);
  Screen()->SetCursor(crHourGlass);  // the screen's cursor overrides all
  EXPECT_EQ(app->CurrentCursor(), crHourGlass);
  Screen()->SetCursor(crDefault);
  EXPECT_EQ(app->CurrentCursor(), crHandPoint);
  Screen()->SetCursors(1, "CURHAND");
  EXPECT_EQ(Screen()->Cursors(1), "CURHAND");
  EXPECT_EQ(Screen()->Cursors(2), "");
}

// ---------------------------------------------------------------- teardown while in use
TEST_F(Host, AControlFreedInItsOwnHandlerIsForgotten) {
  a->OnClick = [&](TObject*) {
    delete a;
    a = nullptr;
  };
  app->Click(form.get(), 20, 20);
  app->Click(form.get(), 20, 20);  // now reaches the form
  app->ProcessMessages();
  EXPECT_EQ(form->ControlCount(), 1);
  EXPECT_EQ(Only(log, "form:down").size(), 1u);
  EXPECT_EQ(app->CaptureControl(), nullptr);
}

TEST_F(Host, FreeingControlsReleasesCaptureFocusAndHover) {
  a->SetFocus();
  app->PostMouseMove(form.get(), 0, 20, 20);
  app->PostMouseDown(form.get(), mbLeft, 0, 20, 20);
  app->ProcessMessages();
  ASSERT_EQ(app->CaptureControl(), a);
  ASSERT_EQ(app->HoverControl(), a);
  delete a;
  EXPECT_EQ(app->CaptureControl(), nullptr);
  EXPECT_EQ(app->HoverControl(), nullptr);
  EXPECT_EQ(app->FocusedControl(), nullptr);
  EXPECT_EQ(form->ActiveControl(), nullptr);
  app->PostMouseUp(form.get(), mbLeft, 0, 20, 20);  // the release lands on the form
  app->ProcessMessages();
  EXPECT_EQ(Only(log, "up"), (Log{"form:up0 20,20"}));
}

TEST_F(Host, EventsQueuedForAFreedWindowAreDropped) {
  auto other = std::make_unique<TForm>(nullptr);
  other->Show();
  int clicks = 0;
  other->OnClick = [&](TObject*) { ++clicks; };
  app->Click(other.get(), 5, 5);
  other.reset();
  app->ProcessMessages();  // must not touch the freed form
  EXPECT_EQ(clicks, 0);
}

TEST(HostForms, ReleaseFreesAtTheNextProcessMessages) {
  TApplication* app = Application();
  app->ResetHeadless();
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* f = new TForm(owner.get());
  f->OnCloseQuery = [](TObject*, bool& can) { can = true; };
  f->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  f->Show();
  int forms = Screen()->FormCount();
  f->Close();
  EXPECT_EQ(owner->ComponentCount(), 1);
  app->ProcessMessages();
  EXPECT_EQ(owner->ComponentCount(), 0);
  EXPECT_EQ(Screen()->FormCount(), forms - 1);
}

TEST(HostForms, ShowModalRunsUntilAResultIsSet) {
  TApplication* app = Application();
  app->ResetHeadless();
  TForm dlg(nullptr);
  auto* ok = new TCustomControl(&dlg);
  ok->SetParent(&dlg);
  ok->SetBounds(10, 10, 50, 20);
  ok->OnClick = [&](TObject*) { dlg.SetModalResult(mrOk); };
  app->Click(&dlg, 20, 20);
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  EXPECT_FALSE(dlg.Visible());
  EXPECT_EQ(dlg.ShowModal(), mrNone) << "the queue ran dry without an answer";
}

TEST(HostScreen, MetricsAndFonts) {
  EXPECT_EQ(Screen()->PixelsPerInch(), 96);
  EXPECT_GT(Screen()->Width(), 0);
  const TStringList& fonts = Screen()->Fonts();
  EXPECT_GT(fonts.Count(), 0);
  EXPECT_GE(fonts.IndexOf("DejaVu Sans"), 0);
}

}  // namespace
