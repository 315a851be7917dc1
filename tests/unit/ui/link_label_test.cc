#include "ui/link_label.h"

#include <gtest/gtest.h>

#include "ui/drawing.h"
#include "ui/scale_factor.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace lite {
namespace {

class LinkLabelTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_.reset(CreatePopup(RECT{30, 30, 230, 130}));
    label_ = CreateChild(parent_.get(), L"Button", L"Privacy policy", BS_OWNERDRAW,
                         RECT{2, 3, 42, 15}, 118);
    ASSERT_TRUE(label_);
  }

  ScopedScaleFactorForTesting scale_{1.0};
  ScopedWindow parent_;
  HWND label_ = nullptr;
};

TEST_F(LinkLabelTest, HandCursorAndTheRestForTheControl) {
  const LONG_PTR original = ::GetWindowLongPtrW(label_, GWLP_WNDPROC);
  {
    LinkLabel link(label_, RGB(0, 0, 0), 255, nullptr, ResourceBitmap());
    link.accessible().SetAccessibleInfo(ROLE_SYSTEM_LINK, L"Privacy policy", L"");
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(::SendMessageW(label_, WM_SETCURSOR, reinterpret_cast<WPARAM>(label_),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    // Past the link and the accessibility procedure to the button itself.
    EXPECT_EQ(::SendMessageW(label_, WM_GETTEXTLENGTH, 0, 0), 14);
    // The accessibility procedure sits between the two.
    EXPECT_TRUE(GetObjectAnswer(label_));
  }
  // Both procedures are gone with the link.
  EXPECT_EQ(::GetWindowLongPtrW(label_, GWLP_WNDPROC), original);
  EXPECT_EQ(::SendMessageW(label_, WM_GETTEXTLENGTH, 0, 0), 14);
}

TEST_F(LinkLabelTest, DrawsTextOverTheParentPicture) {
  ResourceBitmap background;  // pixel (x, y) is RGB(10x, 20y, 128)
  ASSERT_TRUE(background.Load(IDR_TEST_POSITIONS, 1));
  ::SetWindowTextW(label_, L"");
  LinkLabel link(label_, RGB(0, 0, 0), 255, nullptr, background);
  // No text: the picture under the label at (2, 3).
  TestCanvas canvas(16, 9);
  link.OnDrawItem(DrawItem(label_, canvas.dc(), RECT{0, 0, 16, 9}, 0));
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 16; ++x) {
      ASSERT_EQ(canvas.Colour(x, y), RGB(10 * (x + 2), 20 * (y + 3), 128)) << x << "," << y;
    }
  }
  // With the focus: a rectangle on the edge, the inside untouched.
  link.OnDrawItem(DrawItem(label_, canvas.dc(), RECT{0, 0, 16, 9}, ODS_FOCUS));
  int changed = 0;
  for (int x = 0; x < 16; ++x) changed += canvas.Colour(x, 0) != RGB(10 * (x + 2), 60, 128);
  EXPECT_GT(changed, 3);
  EXPECT_EQ(canvas.Colour(5, 4), RGB(70, 140, 128));

  // Text, at the given opacity.
  const ScopedFont font = CreateUiFont(L"Arial", 14, 700, false);
  ::SetWindowTextW(label_, L"MM");
  LinkLabel translucent(CreateChild(parent_.get(), L"Button", L"MM", BS_OWNERDRAW,
                                    RECT{0, 0, 40, 16}),
                        RGB(0, 0, 0), 184, font.get(), ResourceBitmap());
  TestCanvas text_canvas(40, 16);
  text_canvas.Fill(RGB(255, 255, 255));
  translucent.OnDrawItem(DrawItem(translucent.window(), text_canvas.dc(), RECT{0, 0, 40, 16}, 0));
  int darkest = 255;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 40; ++x) {
      darkest = std::min<int>(darkest, GetRValue(text_canvas.Colour(x, y)));
    }
  }
  EXPECT_NEAR(darkest, 71, 2);
}

}  // namespace
}  // namespace lite
