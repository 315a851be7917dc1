#include "ui/image_check_box.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/app_theme.h"
#include "ui/drawing.h"
#include "ui/scale_factor.h"
#include "ui/subclassed_window.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace lite {
namespace {

TEST(CheckBoxFrameTest, PressedThenHotThenNormalAndThreeMoreWhenChecked) {
  struct Case {
    bool selected;
    bool hot;
    bool checked;
    int frame;
  };
  const Case cases[] = {
      {false, false, false, 0}, {false, true, false, 1}, {true, false, false, 2},
      {true, true, false, 2},   {false, false, true, 3}, {false, true, true, 4},
      {true, false, true, 5},   {true, true, true, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckBoxFrame(c.selected, c.hot, c.checked), c.frame)
        << c.selected << c.hot << c.checked;
  }
}

// The parent of the check boxes, as the installer's window: flips the box
// on every click and hands it WM_DRAWITEM.
class ClickingParent : public SubclassedWindow {
 public:
  bool HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT* result) override {
    if (!box) return false;
    if (message == WM_DRAWITEM) {
      box->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      *result = TRUE;
      return true;
    }
    if (message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) return false;
    box->Toggle();
    ++clicks;
    *result = 0;
    return true;
  }
  ImageCheckBox* box = nullptr;
  int clicks = 0;
};

class ImageCheckBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_window_.reset(CreatePopup(RECT{30, 30, 230, 130}));
    ASSERT_TRUE(parent_window_);
    parent_.Attach(parent_window_.get());
  }

  HWND CheckBox(const RECT& rect, const wchar_t* text = L"") {
    return CreateChild(parent_window_.get(), L"Button", text, BS_AUTOCHECKBOX | WS_TABSTOP, rect,
                       109);
  }

  ScopedScaleFactorForTesting scale_{1.0};
  ScopedWindow parent_window_;
  ClickingParent parent_;
};

TEST_F(ImageCheckBoxTest, UnthemedBoxIsOwnerDrawnAndKeepsItsOwnState) {
  ScopedApplicationThemedForTesting themed(false);
  const HWND window = CheckBox(RECT{0, 0, 100, 20});
  ImageCheckBox box(IDR_TEST_SIX_FRAMES, 0, RGB(0, 0, 0), nullptr, window, ResourceBitmap(), true,
                    255, true);
  EXPECT_EQ(::GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_TRUE(box.IsChecked());
  parent_.box = &box;
  // Real clicks: the button tells the parent, which flips the box.
  ::SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_EQ(parent_.clicks, 1);
  EXPECT_FALSE(box.IsChecked());
  ::SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_TRUE(box.IsChecked());
  // The button's own state plays no part.
  ::SendMessageW(window, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_TRUE(box.IsChecked());
  parent_.box = nullptr;
}

TEST_F(ImageCheckBoxTest, OwnerDrawnBoxPaintsThroughItsParent) {
  ScopedApplicationThemedForTesting themed(false);
  ::ShowWindow(parent_window_.get(), SW_SHOWNOACTIVATE);
  const HWND window = CheckBox(RECT{0, 0, 30, 16});
  ImageCheckBox box(IDR_TEST_SIX_FRAMES, 0, RGB(0, 0, 0), nullptr, window, ResourceBitmap(), true,
                    255, true);
  parent_.box = &box;
  auto box_colour = [&] {
    ::InvalidateRect(window, nullptr, TRUE);
    ::UpdateWindow(window);
    TestCanvas canvas(30, 16);
    ScopedGetDc window_dc(window);
    ::BitBlt(canvas.dc(), 0, 0, 30, 16, window_dc.get(), 0, 0, SRCCOPY);
    return canvas.Colour(8, 8);
  };
  EXPECT_EQ(box_colour(), kFrameColours[3]);  // checked
  ::SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_EQ(box_colour(), kFrameColours[0]);  // unchecked
  parent_.box = nullptr;
}

TEST_F(ImageCheckBoxTest, ThemedBoxKeepsTheButtonState) {
  ScopedApplicationThemedForTesting themed(true);
  const HWND window = CheckBox(RECT{0, 0, 100, 20});
  ImageCheckBox box(IDR_TEST_SIX_FRAMES, 0, RGB(0, 0, 0), nullptr, window, ResourceBitmap(), true,
                    255, true);
  EXPECT_EQ(::GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  EXPECT_EQ(::SendMessageW(window, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(box.IsChecked());
  box.Toggle();  // the button itself flips on a click
  EXPECT_TRUE(box.IsChecked());
  ::SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_FALSE(box.IsChecked());

  const HWND unchecked_window = CheckBox(RECT{0, 30, 100, 50});
  ImageCheckBox unchecked(IDR_TEST_SIX_FRAMES, 0, RGB(0, 0, 0), nullptr, unchecked_window,
                          ResourceBitmap(), false, 255, true);
  EXPECT_FALSE(unchecked.IsChecked());
}

TEST_F(ImageCheckBoxTest, OwnerDrawnFrameOverTheParentPicture) {
  ScopedApplicationThemedForTesting themed(false);
  ResourceBitmap background;  // pixel (x, y) is RGB(10x, 20y, 128)
  ASSERT_TRUE(background.Load(IDR_TEST_POSITIONS, 1));
  const HWND window = CheckBox(RECT{1, 1, 17, 11});
  ImageCheckBox box(IDR_TEST_SIX_FRAMES, 0, RGB(0, 0, 0), nullptr, window, background, false, 255,
                    true);
  struct Case {
    UINT state;
    bool checked;
    int frame;
  };
  const Case cases[] = {
      {0, false, 0},
      {ODS_HOTLIGHT, false, 1},
      {ODS_SELECTED | ODS_HOTLIGHT, false, 2},
      {ODS_FOCUS, true, 3},
      {ODS_HOTLIGHT, true, 4},
      {ODS_SELECTED, true, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.state) + (c.checked ? " checked" : ""));
    if (box.IsChecked() != c.checked) box.Toggle();
    TestCanvas canvas(16, 16);
    box.OnDrawItem(DrawItem(window, canvas.dc(), RECT{0, 0, 16, 10}, c.state));
    // The 8 x 8 box 4 pixels in (the margin of the focus rectangle).
    EXPECT_EQ(canvas.Colour(4, 4), kFrameColours[c.frame]);
    EXPECT_EQ(canvas.Colour(11, 9), kFrameColours[c.frame]);
    // Around it the parent's picture under the control at (1, 1).
    EXPECT_EQ(canvas.Colour(0, 0), RGB(10, 20, 128));
    EXPECT_EQ(canvas.Colour(3, 4), RGB(40, 100, 128));
    EXPECT_EQ(canvas.Colour(12, 4), RGB(130, 100, 128));
    // No focus rectangle on the owner-drawn path.
    EXPECT_EQ(canvas.Colour(15, 9), RGB(160, 200, 128));
    // Nothing below the item.
    EXPECT_EQ(canvas.Raw(5, 12), 0u);
  }
}

TEST_F(ImageCheckBoxTest, LabelBesideTheBox) {
  ScopedApplicationThemedForTesting themed(false);
  const ScopedFont font = CreateUiFont(L"Arial", 14, 700, false);
  const HWND window = CheckBox(RECT{0, 0, 100, 20}, L"Make it so");
  ImageCheckBox box(IDR_TEST_SIX_FRAMES, 0, RGB(0, 0, 0), font.get(), window, ResourceBitmap(),
                    false, 255, true);
  TestCanvas canvas(100, 20);
  canvas.Fill(RGB(255, 255, 255));
  box.OnDrawItem(DrawItem(window, canvas.dc(), RECT{0, 0, 100, 20}, 0));
  // The label starts at margin + box + 8 = 20 and from the margin down.
  int darkest = 255;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 100; ++x) {
      const COLORREF colour = canvas.Colour(x, y);
      const bool box_area = x >= 4 && x < 12 && y >= 4 && y < 12;
      if (x < 20 || y < 4) {
        if (!box_area) {
          ASSERT_EQ(colour, RGB(255, 255, 255)) << x << "," << y;
        }
      } else {
        darkest = std::min<int>(darkest, GetRValue(colour));
      }
    }
  }
  EXPECT_LT(darkest, 64);
}

TEST_F(ImageCheckBoxTest, ThemedCustomDraw) {
  ScopedApplicationThemedForTesting themed(true);
  const HWND window = CheckBox(RECT{0, 0, 30, 20});
  ImageCheckBox box(IDR_TEST_SIX_FRAMES, 0, RGB(0, 0, 0), nullptr, window, ResourceBitmap(), true,
                    255, true);
  TestCanvas canvas(30, 20);
  canvas.Fill(RGB(255, 255, 255));
  EXPECT_FALSE(box.OnCustomDraw(CustomDraw(window, canvas.dc(), RECT{0, 0, 30, 20}, CDIS_HOT,
                                           CDDS_PREPAINT)));
  EXPECT_EQ(canvas.Colour(6, 6), RGB(255, 255, 255));
  EXPECT_TRUE(box.OnCustomDraw(CustomDraw(window, canvas.dc(), RECT{0, 0, 30, 20}, CDIS_HOT)));
  EXPECT_EQ(canvas.Colour(6, 6), kFrameColours[4]);  // hot, checked
  // No focus, no focus rectangle.
  for (int x = 0; x < 30; ++x) EXPECT_EQ(canvas.Colour(x, 0), RGB(255, 255, 255)) << x;

  canvas.Fill(RGB(255, 255, 255));
  ASSERT_TRUE(box.OnCustomDraw(CustomDraw(window, canvas.dc(), RECT{0, 0, 30, 20}, CDIS_FOCUS)));
  EXPECT_EQ(canvas.Colour(6, 6), kFrameColours[3]);
  int changed = 0;
  for (int x = 0; x < 30; ++x) changed += canvas.Colour(x, 0) != RGB(255, 255, 255);
  EXPECT_GT(changed, 5);  // the focus rectangle on the item's edge

  // Without the focus-rectangle flag: no margin, no rectangle.
  const HWND plain_window = CheckBox(RECT{0, 30, 30, 50});
  ImageCheckBox plain(IDR_TEST_SIX_FRAMES, 0, RGB(0, 0, 0), nullptr, plain_window,
                      ResourceBitmap(), false, 255, false);
  canvas.Fill(RGB(255, 255, 255));
  ASSERT_TRUE(plain.OnCustomDraw(CustomDraw(plain_window, canvas.dc(), RECT{0, 0, 30, 20},
                                            CDIS_FOCUS | CDIS_SELECTED)));
  EXPECT_EQ(canvas.Colour(0, 0), kFrameColours[2]);
  EXPECT_EQ(canvas.Colour(7, 7), kFrameColours[2]);
  EXPECT_EQ(canvas.Colour(8, 8), RGB(255, 255, 255));

  // A box whose window is gone paints nothing.
  ::DestroyWindow(plain_window);
  canvas.Fill(RGB(255, 255, 255));
  EXPECT_FALSE(plain.OnCustomDraw(CustomDraw(plain_window, canvas.dc(), RECT{0, 0, 30, 20}, 0)));
  EXPECT_EQ(canvas.Colour(0, 0), RGB(255, 255, 255));
}

TEST_F(ImageCheckBoxTest, MeasureHeight) {
  ScopedApplicationThemedForTesting themed(false);
  const ScopedFont font = CreateUiFont(L"Arial", 20, 400, false);
  const ScopedFont tiny_font = CreateUiFont(L"Arial", 5, 400, false);
  int line = 0;
  {
    ScopedGetDc screen(nullptr);
    ScopedSelectObject select(screen.get(), font.get());
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(screen.get(), &metrics);
    line = metrics.tmHeight;
  }
  ASSERT_GT(line, 8);
  struct Case {
    const wchar_t* text;
    HFONT font;
    bool focus_rectangle;
    int width;
    int expected_lines;  // 0: the box is higher
  };
  const Case cases[] = {
      {L"", font.get(), true, 300, 0},
      {L"", font.get(), false, 300, 0},
      {L"Short", tiny_font.get(), true, 300, 0},
      {L"Short", font.get(), true, 300, 1},
      {L"Short", font.get(), false, 300, 1},
      {L"Several words that cannot share one narrow line", font.get(), true, 120, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::wstring(c.text).size());
    const HWND window = CheckBox(RECT{0, 0, c.width, 20}, c.text);
    ImageCheckBox box(IDR_TEST_SIX_FRAMES, 0, RGB(0, 0, 0), c.font, window, ResourceBitmap(),
                      false, 255, c.focus_rectangle);
    const int margin = c.focus_rectangle ? 4 : 0;
    const int height = box.MeasureHeight(RECT{10, 50, 10 + c.width, 70});
    if (c.expected_lines == 0) {
      EXPECT_EQ(height, margin + 8);
    } else if (c.expected_lines > 0) {
      EXPECT_EQ(height, margin + c.expected_lines * line);
    } else {
      // Wrapped onto several whole lines.
      EXPECT_GE(height - margin, 2 * line);
      EXPECT_EQ((height - margin) % line, 0);
    }
    ::DestroyWindow(window);
  }
}

}  // namespace
}  // namespace lite
