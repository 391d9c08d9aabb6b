// Thumbnails: slide layout and CalcSlideIndex (also with a fractional first
// slide), image requests and their processing modes, focus and selection
// through clicks and keys.
#include <gtest/gtest.h>

#include <vector>

#include "gui/Zol_thumbnails.h"
#include "indicators_support.h"

using namespace zol;
using indicators_test::HostTest;

namespace {

class Thumbnails : public HostTest {
 protected:
  // Slides of 96 + 2 × 4 = 104 pixels at a pitch of 112; 4 per row in 460 pixels.
  TThumbnails* Make() {
    auto* t = Place(new TThumbnails(Form.get()), 0, 0, 460, 300);
    t->SetMax(50);
    return t;
  }
};

TEST_F(Thumbnails, LayoutAndSlideIndex) {
  auto* t = Make();
  EXPECT_EQ(t->SlidesPerRow(), 4);
  EXPECT_EQ(t->SlideRect(1), Rect(10, 10, 114, 114));
  EXPECT_EQ(t->SlideRect(6), Rect(122, 122, 226, 226));
  EXPECT_EQ(t->CalcSlideIndex(10, 10), 1);
  EXPECT_EQ(t->CalcSlideIndex(113, 113), 1);
  EXPECT_EQ(t->CalcSlideIndex(114, 50), 0);   // between slides
  EXPECT_EQ(t->CalcSlideIndex(5, 50), 0);     // in the border
  EXPECT_EQ(t->CalcSlideIndex(448, 50), 4);
  EXPECT_EQ(t->CalcSlideIndex(455, 50), 0);  // right of the last column
  EXPECT_EQ(t->CalcSlideIndex(350, 130), 8);  // row 2, column 4
  t->SetFirstThumbIx(9);
  EXPECT_EQ(t->CalcSlideIndex(10, 10), 9);
  // A fraction moves the rows up by that part of a pitch.
  t->SetFirstThumbIx(9.5);
  EXPECT_EQ(t->FirstVisible(), 9);
  EXPECT_EQ(t->SlideRect(9), Rect(10, 10 - 56, 114, 10 - 56 + 104));
  EXPECT_EQ(t->CalcSlideIndex(20, 20), 9);     // still the first row
  EXPECT_EQ(t->CalcSlideIndex(20, 10 + 60), 13);  // second row starts at 10 + 56
  // Beyond Max there is no slide.
  t->SetFirstThumbIx(49);
  EXPECT_EQ(t->CalcSlideIndex(20, 20), 49);
  EXPECT_EQ(t->CalcSlideIndex(130, 20), 50);
  EXPECT_EQ(t->CalcSlideIndex(250, 20), 0);
  t->SetFirstThumbIx(1000);
  EXPECT_EQ(t->FirstThumbIx(), 50);
  t->SetFirstThumbIx(-3);
  EXPECT_EQ(t->FirstThumbIx(), 1);
}

TEST_F(Thumbnails, ImageRequestsAndProcessing) {
  auto* t = Make();
  t->SetBounds(0, 0, 460, 120);  // one row of 4 visible slides
  std::vector<int> asked, rendered;
  int firsts = 0, lasts = 0;
  t->OnFirstImageRequest = [&](TObject*) { ++firsts; };
  t->OnLastImageRequest = [&](TObject*) { ++lasts; };
  t->OnSlideRendered = [&](TObject*, int i) { rendered.push_back(i); };
  t->OnImageRequest = [&](TObject*, int i, TBitmap& b, TImageRequestProcessing& p) {
    asked.push_back(i);
    if (i == 1) {
      b.SetSize(40, 20);
      b.Canvas().Brush().SetColor(clRed);
      b.Canvas().FillRect(Rect(0, 0, 40, 20));
      p = irpShowSlide;
    } else if (i == 2) {
      p = irpShowNothing;
    } else if (i == 3) {
      p = irpShowFrameOnly;
    }
  };
  t->SetColorBackGnd(clGray);
  t->SetColorCover(clWhite);
  auto bmp = t->PaintToBitmap();
  EXPECT_EQ(asked, (std::vector<int>{1, 2, 3, 4}));  // the next row starts below the control
  EXPECT_EQ(firsts, 1);
  EXPECT_EQ(lasts, 1);
  EXPECT_EQ(rendered, (std::vector<int>{1, 3, 4}));
  // Slide 1: the 40 × 20 image scaled to 96 × 48, centred in the slide.
  EXPECT_EQ(bmp->GetPixel(62, 62), clRed);
  EXPECT_EQ(bmp->GetPixel(62, 20), clWhite);
  // Slide 2: nothing at all.
  EXPECT_EQ(bmp->GetPixel(122 + 52, 62), clGray);
  // Slide 3: frame only (raised: white outer top-left), inside the background.
  EXPECT_EQ(bmp->GetPixel(234, 62), clWhite);
  EXPECT_EQ(bmp->GetPixel(234 + 52, 62), clGray);
  // Slide 4: empty slide in the cover colour.
  EXPECT_EQ(bmp->GetPixel(346 + 10, 62), clWhite);
}

TEST_F(Thumbnails, ClicksFocusAndSelect) {
  auto* t = Make();
  std::vector<int> clicks, focus;
  t->OnImageClick = [&](TObject*, int i) { clicks.push_back(i); };
  t->OnFocusChange = [&](TObject*, int i) { focus.push_back(i); };
  int dbl = 0;
  t->OnImageDblClick = [&](TObject*, int i) { dbl = i; };
  TApplication* app = Application();
  app->Click(Form.get(), 60, 60);    // slide 1
  app->Click(Form.get(), 170, 170);  // slide 6
  app->ProcessMessages();
  EXPECT_EQ(clicks, (std::vector<int>{1, 6}));
  EXPECT_EQ(focus, (std::vector<int>{1, 6}));
  EXPECT_EQ(t->FocusedSlide(), 6);
  // Single mode: a click clears the others.
  EXPECT_EQ(t->NumSlidesSelected(), 1);
  EXPECT_EQ(t->FirstSelectedSlide(), 6);
  t->SetSlideSelectMode(ssmMultiple);
  app->Click(Form.get(), 60, 60);
  app->ProcessMessages();
  EXPECT_EQ(t->NumSlidesSelected(), 2);
  EXPECT_TRUE(t->GetSelectedSlide(1));
  app->Click(Form.get(), 60, 60);  // toggles off again
  app->ProcessMessages();
  EXPECT_FALSE(t->GetSelectedSlide(1));
  app->DoubleClick(Form.get(), 280, 60);
  app->ProcessMessages();
  EXPECT_EQ(dbl, 3);
  // A click between slides changes nothing.
  clicks.clear();
  app->Click(Form.get(), 118, 60);
  app->ProcessMessages();
  EXPECT_TRUE(clicks.empty());
  t->ResetAllSelections();
  EXPECT_EQ(t->NumSlidesSelected(), 0);
  EXPECT_EQ(t->FirstSelectedSlide(), 0);
  t->SetSelectedSlide(60, true);  // beyond Max
  EXPECT_EQ(t->NumSlidesSelected(), 0);
  t->SetSlideSelectMode(ssmDisabled);
  app->Click(Form.get(), 60, 60);
  app->ProcessMessages();
  EXPECT_EQ(t->NumSlidesSelected(), 0);
  // Keys move the focus and scroll it into view.
  t->SetSlideSelectMode(ssmSingle);
  app->PressKey(VK_END);
  app->ProcessMessages();
  EXPECT_EQ(t->FocusedSlide(), 50);
  EXPECT_FALSE(t->SlideRect(50).IsEmpty());
  app->PressKey(VK_SPACE);
  app->ProcessMessages();
  EXPECT_TRUE(t->GetSelectedSlide(50));
  app->PressKey(VK_HOME);
  app->ProcessMessages();
  EXPECT_EQ(t->FocusedSlide(), 1);
  EXPECT_EQ(t->FirstVisible(), 1);
}

TEST_F(Thumbnails, FocusFrameAndShrinkingRange) {
  auto* t = Make();
  t->SetFocusedSlide(2);
  t->SetColorFocus(clLime);
  auto bmp = t->PaintToBitmap();
  // The focus frame of width 2 lies 1 pixel outside the slide.
  EXPECT_EQ(bmp->GetPixel(122 - 2, 60), clLime);
  EXPECT_EQ(bmp->GetPixel(122 - 3, 60), clLime);
  t->SetSelectedSlide(40, true);
  t->SetMax(30);
  EXPECT_EQ(t->NumSlidesSelected(), 0);
  t->SetFocusedSlide(31);
  EXPECT_EQ(t->FocusedSlide(), 2);
  t->SetMin(40);  // above Max: Max follows
  EXPECT_EQ(t->Max(), 40);
  EXPECT_EQ(t->FocusedSlide(), 0);
  EXPECT_NO_THROW(t->PaintToBitmap());
}

}  // namespace
