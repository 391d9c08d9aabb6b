// Fixture of the interaction tests: a shown form on a freshly reset headless
// host with an empty clipboard, and the synthetic key and text input the
// tests of the controls share.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"

class HostFormTest : public ::testing::Test {
 protected:
  explicit HostFormTest(int FormWidth = 640, int FormHeight = 400) : formW(FormWidth), formH(FormHeight) {}
  void SetUp() override {
    app = zol::Application();
    app->ResetHeadless();
    zol::Clipboard().Clear();
    form = std::make_unique<zol::TForm>(nullptr);
    form->SetBounds(0, 0, formW, formH);
    form->Show();
  }
  void TearDown() override {
    form.reset();
    zol::Clipboard().Clear();
    app->ResetHeadless();
  }
  void Key(uint16_t k, zol::TShiftState s = 0) {
    app->PressKey(k, s);
    app->ProcessMessages();
  }
  void Type(const std::string& s) {
    app->PostText(s);
    app->ProcessMessages();
  }
  zol::TApplication* app = nullptr;
  std::unique_ptr<zol::TForm> form;

 private:
  int formW, formH;
};
