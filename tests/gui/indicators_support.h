// Shared fixture of the indicator-control tests: a shown form on a fresh
// headless host, and pixel helpers.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_forms.h"
#include "base/platform/Zol_graphics.h"

namespace indicators_test {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zol::Application()->ResetHeadless();
    Form = std::make_unique<zol::TForm>(nullptr);
    Form->SetBounds(0, 0, 800, 600);
    Form->SetColor(zol::clWhite);
    Form->Show();
  }
  void TearDown() override {
    Form.reset();
    zol::Application()->ResetHeadless();
  }
  // Places c on the form at (x, y) with size w × h.
  template <class T>
  T* Place(T* c, int x, int y, int w, int h) {
    c->SetParent(Form.get());
    c->SetBounds(x, y, w, h);
    return c;
  }
  std::unique_ptr<zol::TForm> Form;
};

// The colour of a pixel of a control's picture, as RGB.
inline zol::TColor Px(const zol::TBitmap& b, int x, int y) { return b.GetPixel(x, y); }

}  // namespace indicators_test
