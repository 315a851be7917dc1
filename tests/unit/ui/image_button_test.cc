#include "ui/image_button.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/drawing.h"
#include "ui/scale_factor.h"
#include "ui/subclassed_window.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace lite {
namespace {

TEST(ButtonFrameTest, PressedThenHotThenNormal) {
  struct Case {
    UINT state;
    int frame;
  };
  const Case cases[] = {
      {0, 0},
      {CDIS_FOCUS, 0},
      {CDIS_SHOWKEYBOARDCUES, 0},
      {CDIS_HOT, 1},
      {CDIS_HOT | CDIS_FOCUS, 1},
      {CDIS_SELECTED, 2},
      {CDIS_SELECTED | CDIS_HOT, 2},
      {CDIS_SELECTED | CDIS_FOCUS | CDIS_HOT, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(ButtonFrame(c.state), c.frame) << c.state;
}

class ImageButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_.reset(CreatePopup(RECT{40, 40, 240, 140}));
    ASSERT_TRUE(parent_);
  }

  HWND Button(const RECT& rect, const wchar_t* text = L"") {
    return CreateChild(parent_.get(), L"Button", text, BS_PUSHBUTTON, rect, 1);
  }

  ScopedScaleFactorForTesting scale_{1.0};
  ScopedWindow parent_;
};

TEST_F(ImageButtonTest, PaintsTheFrameOfTheState) {
  const HWND window = Button(RECT{5, 4, 15, 10});
  ImageButton button(IDR_TEST_THREE_FRAMES, 0, RGB(0, 0, 0), nullptr, window, ResourceBitmap(),
                     0, 0);
  EXPECT_EQ(button.Size().cx, 10);
  EXPECT_EQ(button.Size().cy, 6);
  struct Case {
    UINT state;
    int frame;
  };
  for (const Case& c : {Case{0, 0}, Case{CDIS_HOT, 1}, Case{CDIS_SELECTED | CDIS_HOT, 2}}) {
    SCOPED_TRACE(c.state);
    TestCanvas canvas(10, 6);
    canvas.Fill(RGB(1, 2, 3));
    button.OnCustomDraw(CustomDraw(window, canvas.dc(), RECT{0, 0, 10, 6}, c.state), 2);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 10; ++x) {
        ASSERT_EQ(canvas.Colour(x, y), kFrameColours[c.frame]) << x << "," << y;
      }
    }
  }
}

TEST_F(ImageButtonTest, PaintsOnlyBeforeErasing) {
  const HWND window = Button(RECT{5, 4, 15, 10});
  ImageButton button(IDR_TEST_THREE_FRAMES, 0, RGB(0, 0, 0), nullptr, window, ResourceBitmap(),
                     0, 0);
  for (DWORD stage : {CDDS_PREPAINT, CDDS_POSTERASE, CDDS_POSTPAINT}) {
    TestCanvas canvas(10, 6);
    canvas.Fill(RGB(1, 2, 3));
    button.OnCustomDraw(CustomDraw(window, canvas.dc(), RECT{0, 0, 10, 6}, 0, stage), 2);
    EXPECT_EQ(canvas.Colour(4, 3), RGB(1, 2, 3)) << stage;
  }
}

TEST_F(ImageButtonTest, ParentPictureUnderTheButton) {
  ResourceBitmap background;  // pixel (x, y) is RGB(10x, 20y, 128)
  ASSERT_TRUE(background.Load(IDR_TEST_POSITIONS, 1));
  const HWND window = Button(RECT{5, 4, 15, 10});
  // No face: the picture under the button shows alone; the parent's client
  // area starts at (2, 1) in the picture.
  ImageButton button(9999, 0, RGB(0, 0, 0), nullptr, window, background, 2, 1);
  EXPECT_EQ(button.Size().cx, 0);
  TestCanvas canvas(10, 6);
  button.OnCustomDraw(CustomDraw(window, canvas.dc(), RECT{0, 0, 10, 6}, 0), 2);
  EXPECT_EQ(canvas.Colour(0, 0), RGB(70, 100, 128));
  EXPECT_EQ(canvas.Colour(9, 5), RGB(160, 200, 128));
}

// The bounding box of the pixels that are not white.
RECT InkBox(const TestCanvas& canvas) {
  RECT box = {canvas.width(), canvas.height(), -1, -1};
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.Colour(x, y) == RGB(255, 255, 255)) continue;
      box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                 std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
    }
  }
  return box;
}

TEST_F(ImageButtonTest, TextCentredInItsRectangle) {
  const ScopedFont font = CreateUiFont(L"Arial", 14, 700, false);
  const HWND window = Button(RECT{0, 0, 80, 30}, L"Go");
  // No face and no picture: only the text on white.
  ImageButton button(9999, 0, RGB(200, 0, 0), font.get(), window, ResourceBitmap(), 0, 0);
  auto ink = [&](UINT state) {
    TestCanvas canvas(80, 30);
    canvas.Fill(RGB(255, 255, 255));
    button.OnCustomDraw(CustomDraw(window, canvas.dc(), RECT{0, 0, 80, 30}, state), 2);
    return InkBox(canvas);
  };
  const RECT plain = ink(0);
  ASSERT_GT(plain.right, plain.left);
  // Centred both ways.
  EXPECT_NEAR(plain.left + plain.right, 80, 3);
  EXPECT_NEAR(plain.top + plain.bottom, 30, 4);

  // Insets shrink the rectangle; the pressed offset moves the text while
  // pressed only.
  button.SetTextLayout(RECT{20, 0, 0, 0}, POINT{3, 2});
  const RECT inset = ink(0);
  EXPECT_EQ(inset.left - plain.left, 10);
  EXPECT_EQ(inset.top, plain.top);
  const RECT pressed = ink(CDIS_SELECTED);
  EXPECT_EQ(pressed.left - inset.left, 3);
  EXPECT_EQ(pressed.top - inset.top, 2);
}

TEST_F(ImageButtonTest, FocusRectangleInsideTheEdgeWhenShown) {
  const HWND window = Button(RECT{0, 0, 40, 20});
  ImageButton button(9999, 0, RGB(0, 0, 0), nullptr, window, ResourceBitmap(), 0, 0);
  auto changed_in_row = [](const TestCanvas& canvas, int y) {
    int changed = 0;
    for (int x = 0; x < canvas.width(); ++x) changed += canvas.Colour(x, y) != RGB(255, 255, 255);
    return changed;
  };
  auto changed_in_column = [](const TestCanvas& canvas, int x) {
    int changed = 0;
    for (int y = 0; y < canvas.height(); ++y) changed += canvas.Colour(x, y) != RGB(255, 255, 255);
    return changed;
  };
  struct Case {
    bool show_focus;
    UINT state;
    int inset;
    bool drawn;
  };
  const Case cases[] = {
      {true, CDIS_FOCUS, 2, true},
      {true, CDIS_FOCUS | CDIS_HOT, 0, true},
      {false, CDIS_FOCUS, 2, false},
      {true, CDIS_HOT, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.state) + " inset " + std::to_string(c.inset));
    button.set_show_focus(c.show_focus);
    TestCanvas canvas(40, 20);
    canvas.Fill(RGB(255, 255, 255));
    button.OnCustomDraw(CustomDraw(window, canvas.dc(), RECT{0, 0, 40, 20}, c.state), c.inset);
    if (!c.drawn) {
      for (int y = 0; y < 20; ++y) EXPECT_EQ(changed_in_row(canvas, y), 0) << y;
      continue;
    }
    for (int i = 0; i < c.inset; ++i) {
      EXPECT_EQ(changed_in_row(canvas, i), 0);
      EXPECT_EQ(changed_in_row(canvas, 19 - i), 0);
      EXPECT_EQ(changed_in_column(canvas, i), 0);
      EXPECT_EQ(changed_in_column(canvas, 39 - i), 0);
    }
    EXPECT_GT(changed_in_row(canvas, c.inset), 5);
    EXPECT_GT(changed_in_row(canvas, 19 - c.inset), 5);
    EXPECT_GT(changed_in_column(canvas, c.inset), 3);
    EXPECT_GT(changed_in_column(canvas, 39 - c.inset), 3);
    // Nothing inside the rectangle.
    for (int x = c.inset + 1; x < 39 - c.inset; ++x) {
      EXPECT_EQ(canvas.Colour(x, 10), RGB(255, 255, 255)) << x;
    }
  }
}

// Hands the button its custom-draw notifications as the installer's
// windows do, answering CDRF_SKIPDEFAULT in every stage.
class CustomDrawParent : public SubclassedWindow {
 public:
  bool HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT* result) override {
    if (message != WM_NOTIFY || !button) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (header->code != NM_CUSTOMDRAW || header->hwndFrom != button->window()) return false;
    const auto* draw = reinterpret_cast<const NMCUSTOMDRAW*>(lparam);
    stages |= draw->dwDrawStage;
    button->OnCustomDraw(*draw, 2);
    *result = CDRF_SKIPDEFAULT;
    return true;
  }
  ImageButton* button = nullptr;
  DWORD stages = 0;
};

TEST_F(ImageButtonTest, PaintsTheRealButtonThroughItsParent) {
  CustomDrawParent parent;
  parent.Attach(parent_.get());
  ::ShowWindow(parent_.get(), SW_SHOWNOACTIVATE);
  const HWND window = Button(RECT{5, 4, 15, 10});
  ImageButton button(IDR_TEST_THREE_FRAMES, 0, RGB(0, 0, 0), nullptr, window, ResourceBitmap(),
                     0, 0);
  parent.button = &button;
  ::InvalidateRect(window, nullptr, TRUE);
  ::UpdateWindow(window);
  EXPECT_TRUE(parent.stages & CDDS_PREERASE);
  TestCanvas canvas(10, 6);
  ScopedGetDc window_dc(window);
  ::BitBlt(canvas.dc(), 0, 0, 10, 6, window_dc.get(), 0, 0, SRCCOPY);
  EXPECT_EQ(canvas.Colour(0, 0), kFrameColours[0]);
  EXPECT_EQ(canvas.Colour(9, 5), kFrameColours[0]);
  parent.button = nullptr;
}

TEST_F(ImageButtonTest, AccessibleThroughTheButton) {
  const HWND window = Button(RECT{0, 0, 40, 20});
  ImageButton button(IDR_TEST_THREE_FRAMES, 0, RGB(0, 0, 0), nullptr, window, ResourceBitmap(),
                     0, 0);
  button.accessible().SetAccessibleInfo(ROLE_SYSTEM_PUSHBUTTON, L"Close", L"");
  IAccessible* object = nullptr;
  ASSERT_EQ(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
            S_OK);
  VARIANT self;
  ::VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  EXPECT_EQ(object->get_accName(self, &name), S_OK);
  EXPECT_STREQ(name, L"Close");
  ::SysFreeString(name);
  object->Release();
}

}  // namespace
}  // namespace lite
