// The two layered shadows. Xvfb composes no alpha, so the windows are
// checked by their place and styles, and the pictures by the pixels of the
// bitmaps they are made from.
#include <gtest/gtest.h>

#include <string>

#include "ui/main_window_shadow.h"
#include "ui/resource_bitmap.h"
#include "ui/scale_factor.h"
#include "ui/shadow_window.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace lite {
namespace {

void ExpectWindowRect(HWND window, const RECT& expected) {
  const RECT actual = WindowRect(window);
  EXPECT_TRUE(::EqualRect(&actual, &expected))
      << actual.left << "," << actual.top << " - " << actual.right << "," << actual.bottom;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

TEST(MainWindowShadowTest, DrawsEachPieceIntoItsRectangle) {
  ScopedScaleFactorForTesting scale(1.0);
  auto pieces = MainWindowShadowPieces(20, 12, 3);
  for (size_t i = 0; i < pieces.size(); ++i) {
    pieces[i].image_id = IDR_TEST_PIECE_FIRST + static_cast<int>(i);
  }
  TestCanvas canvas(26, 18);
  DrawShadowPieces(canvas.dc(), pieces);
  for (size_t i = 0; i < pieces.size(); ++i) {
    const RECT& rect = pieces[i].rect;
    const int x = (rect.left + rect.right) / 2;
    const int y = (rect.top + rect.bottom) / 2;
    SCOPED_TRACE("piece " + std::to_string(i));
    if (i + 1 < pieces.size()) {
      EXPECT_TRUE(Near(canvas.Colour(x, y), kPieceColours[i])) << ColourText(canvas.Colour(x, y));
      EXPECT_EQ(canvas.Alpha(x, y), 255);
    } else {
      // Half transparent white over nothing: premultiplied, as a layered
      // window takes it.
      EXPECT_TRUE(Near(canvas.Colour(x, y), RGB(kLastPieceAlpha, kLastPieceAlpha,
                                                kLastPieceAlpha)))
          << ColourText(canvas.Colour(x, y));
      EXPECT_NEAR(canvas.Alpha(x, y), kLastPieceAlpha, 2);
    }
  }
  // The window's own area stays fully transparent.
  for (int y = 6; y < 12; ++y) {
    for (int x = 6; x < 20; ++x) EXPECT_EQ(canvas.Raw(x, y), 0u) << x << "," << y;
  }
}

TEST(MainWindowShadowTest, PieceWithoutImageIsLeftOut) {
  ScopedScaleFactorForTesting scale(1.0);
  auto pieces = MainWindowShadowPieces(20, 12, 3);
  for (size_t i = 0; i < pieces.size(); ++i) {
    pieces[i].image_id = IDR_TEST_PIECE_FIRST + static_cast<int>(i);
  }
  pieces[1].image_id = 9999;  // the top edge
  TestCanvas canvas(26, 18);
  DrawShadowPieces(canvas.dc(), pieces);
  EXPECT_EQ(canvas.Raw(10, 1), 0u);
  EXPECT_TRUE(Near(canvas.Colour(2, 2), kPieceColours[0]));
  EXPECT_TRUE(Near(canvas.Colour(23, 2), kPieceColours[2]));
}

TEST(MainWindowShadowTest, PopupAroundTheWindow) {
  struct Case {
    double scale;
    int border;
  };
  for (const Case& c : {Case{1.0, 8}, Case{1.5, 12}}) {
    SCOPED_TRACE(c.scale);
    ScopedScaleFactorForTesting scale(c.scale);
    ScopedWindow window(CreatePopup(RECT{200, 150, 500, 350}));
    ASSERT_TRUE(window);
    const HWND shadow = CreateMainWindowShadow(window.get());
    ASSERT_TRUE(shadow);
    EXPECT_EQ(::GetWindow(shadow, GW_OWNER), window.get());
    EXPECT_EQ(ClassName(shadow), L"Static");
    EXPECT_EQ(::GetWindowLongPtrW(shadow, GWL_EXSTYLE) & WS_EX_LAYERED, WS_EX_LAYERED);
    const LONG_PTR style = ::GetWindowLongPtrW(shadow, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUPWINDOW | WS_VISIBLE), WS_POPUPWINDOW | WS_VISIBLE);
    ExpectWindowRect(shadow, RECT{200 - c.border, 150 - c.border, 500 + c.border,
                                  350 + c.border});
    // Owned: it goes with the window.
    window.reset();
    EXPECT_FALSE(::IsWindow(shadow));
  }
}

TEST(ShadowWindowTest, ImageFromTheCornersWithTheDialogCleared) {
  ScopedScaleFactorForTesting scale(1.0);
  ResourceBitmap image;  // 20 x 12, pixel (x, y) is RGB(10x, 20y, 128)
  ASSERT_TRUE(image.Load(IDR_TEST_POSITIONS, 1));
  const RECT inner = {3, 2, 16, 9};
  TestCanvas canvas(20, 12);
  ShadowWindow::DrawShadowImage(canvas.dc(), image, SIZE{20, 12}, inner);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      const bool cleared = x >= inner.left && x < inner.right - 1 && y >= inner.top &&
                           y < inner.bottom - 1;
      if (cleared) {
        EXPECT_EQ(canvas.Raw(x, y), 0u);
      } else {
        EXPECT_EQ(canvas.Colour(x, y), RGB(10 * x, 20 * y, 128));
        EXPECT_EQ(canvas.Alpha(x, y), 255);
      }
    }
  }
}

TEST(ShadowWindowTest, SmallerWindowLosesTheImageMiddle) {
  ScopedScaleFactorForTesting scale(1.0);
  ResourceBitmap image;
  ASSERT_TRUE(image.Load(IDR_TEST_POSITIONS, 1));
  TestCanvas canvas(11, 7);
  ShadowWindow::DrawShadowImage(canvas.dc(), image, SIZE{11, 7}, RECT{0, 0, 0, 0});
  EXPECT_EQ(canvas.Colour(4, 2), RGB(40, 40, 128));    // top-left from the top-left
  EXPECT_EQ(canvas.Colour(5, 0), RGB(140, 0, 128));    // top-right from x 14
  EXPECT_EQ(canvas.Colour(10, 6), RGB(190, 220, 128)); // bottom-right corner
  EXPECT_EQ(canvas.Colour(0, 3), RGB(0, 160, 128));    // bottom-left from y 8
}

TEST(ShadowWindowTest, LayeredPopupAroundTheDialog) {
  ScopedScaleFactorForTesting scale(1.0);
  ScopedScreenBits bits(32);
  ResourceBitmap image;
  ASSERT_TRUE(image.Load(IDR_TEST_POSITIONS, 1));
  ScopedWindow dialog(CreatePopup(RECT{300, 200, 400, 260}));
  HWND shadow = nullptr;
  {
    ShadowWindow window(dialog.get(), image, ShadowMargins{7, 4, 6, 8});
    shadow = window.window();
    ASSERT_TRUE(shadow);
    EXPECT_EQ(::GetWindow(shadow, GW_OWNER), dialog.get());
    EXPECT_EQ(ClassName(shadow), L"Static");
    const LONG_PTR ex_style = ::GetWindowLongPtrW(shadow, GWL_EXSTYLE);
    const LONG_PTR wanted = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;
    EXPECT_EQ(ex_style & wanted, wanted);
    const LONG_PTR style = ::GetWindowLongPtrW(shadow, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUPWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS),
              WS_POPUPWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS);
    ExpectWindowRect(shadow, RECT{293, 196, 406, 268});
  }
  // The window goes with the object.
  EXPECT_FALSE(::IsWindow(shadow));
}

TEST(ShadowWindowTest, StaysEmptyWithoutAlphaOnTheScreen) {
  ScopedScaleFactorForTesting scale(1.0);
  ScopedScreenBits bits(16);
  ResourceBitmap image;
  ASSERT_TRUE(image.Load(IDR_TEST_POSITIONS, 1));
  ScopedWindow dialog(CreatePopup(RECT{300, 200, 400, 260}));
  ShadowWindow window(dialog.get(), image, ShadowMargins{7, 4, 6, 8});
  ASSERT_TRUE(::IsWindow(window.window()));
  ExpectWindowRect(window.window(), RECT{0, 0, 0, 0});
}

}  // namespace
}  // namespace lite
